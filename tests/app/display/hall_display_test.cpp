// The hall display: a window of its own showing the core's hall content,
// following the main window's notices and paging on its clock.
#include <QAction>
#include <QKeyEvent>
#include <QTest>

#include "app/display/dlg_hall_settings.h"
#include "app/display/fly_hall.h"
#include "app/results/dlg_result_sets.h"
#include "app/results/enter_result.h"
#include "competition/poule.h"
#include "competition/swiss_screen.h"
#include "tests/app/dialog_fixture.h"

namespace velgram::testing {
namespace {

class HallDisplayTest : public DialogTest {
 protected:
  // A round robin in "Heren A" and a Swiss pool in "Dames", both in play.
  void SetUp() override {
    OpenTournament();
    db().SetSetting("PouleActivateWarning", "No");
    poule = AddPool(AddClass("Heren A"), "Poule 1");
    for (int i = 1; i <= 4; ++i) Seat(poule, AddPlayer("Heer " + std::to_string(i), 1500, "TTV Hal"));
    ASSERT_EQ(StartPoule(db(), prompter, poule), StartOutcome::kStarted);
    swiss = AddPool(AddClass("Dames"), "Zwitsers", kPlaystyleSwiss);
    for (int i = 1; i <= 6; ++i) Seat(swiss, AddPlayer("Dame " + std::to_string(i), 1900 - 50 * i, "Spin"));
    ASSERT_TRUE(StartSwissPool(db(), prompter, clock, swiss));
    window = Window(false);
  }
  // What the core would show now.
  HallContent Fresh() { return BuildHallContent(db(), app->IdToernooi(), ReadHallOptions(db(), app->IdToernooi())); }
  LFlyHallDisplay* OpenFromMenu() {
    QAction* action = window->findChild<QAction*>(QStringLiteral("Zaalscherm"));
    if (!action) return nullptr;
    action->trigger();
    for (QWidget* w : QApplication::topLevelWidgets())
      if (auto* d = qobject_cast<LFlyHallDisplay*>(w)) return d;
    return nullptr;
  }

  int poule = -1, swiss = -1;
  FakeClock clock;
  std::unique_ptr<CVelgramDlg> window;
};

TEST_F(HallDisplayTest, MenuOpensOneWindowThatGoesFullScreenOnF11AndFollowsItsSettingsAndTheResults) {
  LFlyHallDisplay* d = OpenFromMenu();
  ASSERT_TRUE(d);
  EXPECT_TRUE(d->isWindow() && d->isVisible() && !d->parentWidget());
  EXPECT_EQ(OpenFromMenu(), d);  // one display, brought to the front
  d->resize(1920, 1080);
  EXPECT_TRUE(d->Content() == Fresh());
  std::vector<int> all;
  for (const HallMatchRow& r : d->Content().open) all.push_back(r.idMatch);
  EXPECT_EQ(d->MatchesOnPage(), all);  // all on the one page, no page number
  EXPECT_EQ(d->PageIndicator(), QString());

  // F11 makes it full screen, Escape leaves it; remembered.
  const std::string key = "HallFullScreen" + std::to_string(app->IdToernooi());
  for (auto [press, full] : {std::pair{Qt::Key_F11, true}, std::pair{Qt::Key_Escape, false}}) {
    QTest::keyClick(d, press);
    EXPECT_EQ(d->isFullScreen(), full);
    EXPECT_EQ(db().GetSettingInt(key, -1), full);
  }
  // The settings dialog from the context menu stores the choices; the display follows.
  OnModal<LDlgHallSettings>([](LDlgHallSettings* dlg) {
    ASSERT_EQ(dlg->classes.size(), 2u);
    EXPECT_TRUE(dlg->showBoth->isChecked());
    dlg->classes[1]->setChecked(false);  // "Dames"
    dlg->pageSeconds->setValue(20);
    dlg->accept();
  });
  QContextMenuEvent click(QContextMenuEvent::Mouse, QPoint(10, 10), d->mapToGlobal(QPoint(10, 10)));
  QApplication::sendEvent(d, &click);
  HallOptions stored = ReadHallOptions(db(), app->IdToernooi());
  EXPECT_EQ(std::pair(stored.pageSeconds, stored.hiddenClasses.size()), std::pair(20, size_t{1}));
  EXPECT_TRUE(d->Content() == Fresh());

  // A result through the dialog is followed at once, without reading the
  // tournament again; a burst of notices is read once.
  const int reloads = d->Reloads();
  std::vector<MatchRecord> matches;
  db().ListMatches(poule, matches);
  OnModal<LDlgResultSingleSets>([](LDlgResultSingleSets* dlg) { QTest::keyClick(dlg, Qt::Key_1); });
  ASSERT_TRUE(EnterResult(*app, matches.front().id, SystemId("Sets"), window.get()));
  EXPECT_EQ(std::pair(d->Reloads(), d->Content().played), std::pair(reloads, 1));
  EXPECT_TRUE(d->Content() == Fresh());

  window->NotifyDataChanged();
  window->NotifyDataChanged();
  QTRY_COMPARE_WITH_TIMEOUT(d->Reloads(), reloads + 1, 1000);
  QTest::qWait(300);
  EXPECT_EQ(d->Reloads(), reloads + 1);
}

TEST_F(HallDisplayTest, PagesTurnOnTheClockAndReadAgainOncePerCycle) {
  // Eight more in a round robin: 28 more open matches do not fit one page.
  const int eight = AddPool(AddClass("Heren B"), "Poule 2");
  for (int i = 1; i <= 8; ++i) Seat(eight, AddPlayer("Heer B" + std::to_string(i), 1500, "TTV Hal"));
  ASSERT_EQ(StartPoule(db(), prompter, eight), StartOutcome::kStarted);
  LFlyHallDisplay d(*app, clock);
  d.resize(1920, 1080);
  d.Reload();
  const int pages = d.PageCount();
  ASSERT_GE(pages, 3);
  const int reloads = d.Reloads();
  clock.Advance(14);
  d.Tick();
  EXPECT_EQ(d.CurrentPage(), 0);  // not yet
  for (int k = 1; k <= pages; ++k) {
    clock.Advance(15);
    d.Tick();
    EXPECT_EQ(d.CurrentPage(), k % pages);
    EXPECT_EQ(d.Reloads(), reloads + (k == pages));  // no reading within the cycle
    EXPECT_EQ(d.PageIndicator(), QStringLiteral("%1/%2").arg(k % pages + 1).arg(pages));
  }
}

}  // namespace
}  // namespace velgram::testing
