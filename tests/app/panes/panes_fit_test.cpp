// Every pane at the window size of the first start and at the smallest size
// the window allows: each button and check box on screen and whole.
#include <QAbstractButton>
#include <QTest>
#include <algorithm>

#include "app/panes/pane_swiss.h"
#include "competition/match_rules.h"
#include "tests/app/shell_fixture.h"

namespace velgram::testing {
namespace {

class PanesFitTest : public ShellTest {
 protected:
  // What is wrong with the controls of the pane shown: outside the window,
  // narrower than they need for their text, or lying over a list.
  static QStringList Misfits(CVelgramDlg& w) {
    LPane* pane = w.CurrentPane();
    QStringList out;
    if (!pane) return {QStringLiteral("geen paneel")};
    auto inWindow = [&](QWidget* x) { return QRect(x->mapTo(&w, QPoint(0, 0)), x->size()); };
    const QRect area = inWindow(pane).intersected(w.rect());
    for (QAbstractButton* b : pane->findChildren<QAbstractButton*>()) {
      if (!b->isVisibleTo(&w)) continue;
      LGrid* grids[] = {pane->Grid(), pane->Grid2()};
      if (std::any_of(std::begin(grids), std::end(grids), [b](LGrid* g) { return g && g->isAncestorOf(b); })) continue;
      const QString name = pane->TitleLabel()->text() + QStringLiteral(": ") +
                           (b->text().isEmpty() ? QString::fromLatin1(b->metaObject()->className()) : b->text());
      const QRect r = inWindow(b);
      if (!area.contains(r)) out << name + QStringLiteral(" buiten het venster");
      if (b->width() < b->sizeHint().width()) out << name + QStringLiteral(" te smal");
      for (LGrid* g : grids)
        if (g && g->isVisibleTo(&w) && inWindow(g).intersects(r)) out << name + QStringLiteral(" over een lijst");
    }
    return out;
  }
};

TEST_F(PanesFitTest, EveryControlOfEveryPaneIsWholeAtTheFirstAndTheSmallestSize) {
  OpenTournament();
  db().SetSetting("PouleActivateWarning", "No");
  int cls = AddClass("Jeugd");
  // Each pool with the button that starts it.
  std::vector<std::pair<int, const char*>> pools;
  int n = 0;
  for (auto [name, style, start] : {std::tuple{"Poule A", kPlaystylePoule, "Start poule"},
                                    std::tuple{"Zwitsers", kPlaystyleSwiss, "Start poule"},
                                    std::tuple{"Afval", kPlaystyleDropout, "Start afvalsysteem"}}) {
    int pool = AddPool(cls, name, style);
    if (style == kPlaystyleDropout) db().Exec(nullptr, "UPDATE Pools SET extra='{ \"dimension\":8 }' WHERE id=%d", pool);
    for (int i = 0; i < 4; ++i, ++n)
      Seat(pool, AddPlayer("Speler " + std::to_string(n), 1500 + n, "TTV De Batjes", "B"));
    pools.emplace_back(pool, start);
  }
  auto window = Window();
  CVelgramDlg& w = *window;
  w.show();
  const QSize sizes[] = {QSize(1200, 720), w.minimumSize()};
  auto check = [&](const char* state) {
    for (QSize size : sizes) {
      w.resize(size);
      // The Swiss pane lays out once more on a timer.
      QTest::qWait(dynamic_cast<LPaneSwiss*>(w.CurrentPane()) ? 150 : 0);
      for (const QString& misfit : Misfits(w))
        ADD_FAILURE() << state << " at " << size.width() << "x" << size.height() << ": " << misfit.toStdString();
    }
  };
  for (NavType type : {NavType::Players, NavType::Tables, NavType::Matches, NavType::Systems, NavType::MatchNotes}) {
    ASSERT_TRUE(w.SelectItem(type));
    check("list");
  }
  ASSERT_TRUE(w.SelectItem(NavType::System, cls));
  check("class");
  for (auto [pool, button] : pools) {
    ASSERT_TRUE(w.SelectItem(NavType::Pool, pool));
    check("before the start");
    QPushButton* start = w.CurrentPane()->Button(QString::fromLatin1(button));
    ASSERT_NE(start, nullptr);
    start->click();
    ASSERT_FALSE(start->isVisibleTo(&w)) << button;
    check("after the start");
  }
}

}  // namespace
}  // namespace velgram::testing
