// The hall display: opened from the menu as a window of its own, following
// results through the main window's change notice, paging on its clock, and
// leaving off the classes the director chose to hide.
#include <QAction>
#include <QKeyEvent>
#include <QTest>
#include <algorithm>
#include <set>

#include "app/display/dlg_hall_settings.h"
#include "app/display/fly_hall.h"
#include "app/results/dlg_result_sets.h"
#include "app/results/enter_result.h"
#include "app/shell/mainwindow.h"
#include "competition/poule.h"
#include "competition/swiss.h"
#include "tests/app/shell_fixture.h"

namespace velgram::testing {
namespace {

class HallDisplayTest : public ShellTest {
 protected:
  // A round robin in "Heren A" and a Swiss pool in "Dames", both in play.
  void SetUp() override {
    OpenTournament();
    db().SetSetting("PouleActivateWarning", "No");
    int heren = AddClass("Heren A");
    int dames = AddClass("Dames");
    poule = AddPool(heren, "Poule 1");
    for (int i = 1; i <= pouleSize; ++i) Seat(poule, AddPlayer("Heer " + std::to_string(i), 1500, "TTV Hal"));
    ASSERT_EQ(StartPoule(db(), prompter, poule), StartOutcome::kStarted);
    swiss = AddPool(dames, "Zwitsers", kPlaystyleSwiss);
    for (int i = 1; i <= 6; ++i) Seat(swiss, AddPlayer("Dame " + std::to_string(i), 1900 - 50 * i, "Spin"));
    LSwiss s;
    PoolRecord row;
    ASSERT_TRUE(db().GetPool(swiss, row));
    s.FillFrom(row);
    s.AttachDatabase(&db());
    ASSERT_EQ(s.CalculateNextRound(db(), clock, nullptr), RoundOutcome::kWritten);
    window = std::make_unique<CVelgramDlg>(*app);
    window->StartTimer().stop();
  }

  std::vector<MatchRecord> Matches(int idPool) {
    std::vector<MatchRecord> list;
    db().ListMatches(idPool, list);
    return list;
  }
  static std::vector<int> OpenIds(const LFlyHallDisplay& d) {
    std::vector<int> ids;
    for (const HallMatchRow& r : d.Content().open) ids.push_back(r.idMatch);
    return ids;
  }
  static const HallBlock* Block(const LFlyHallDisplay& d, int idPool) {
    for (const HallBlock& b : d.Content().blocks)
      if (b.idPool == idPool) return &b;
    return nullptr;
  }
  LFlyHallDisplay* OpenFromMenu() {
    QAction* action = window->findChild<QAction*>(QStringLiteral("Zaalscherm"));
    if (!action) return nullptr;
    action->trigger();
    for (QWidget* w : QApplication::topLevelWidgets())
      if (auto* d = qobject_cast<LFlyHallDisplay*>(w)) return d;
    return nullptr;
  }

  int pouleSize = 4;
  int poule = -1, swiss = -1;
  FakeClock clock;
  std::unique_ptr<CVelgramDlg> window;
};

TEST_F(HallDisplayTest, MenuOpensAWindowOfItsOwnWithTheCallableMatchesInOrder) {
  LFlyHallDisplay* d = OpenFromMenu();
  ASSERT_TRUE(d);
  EXPECT_TRUE(d->isWindow());
  EXPECT_TRUE(d->isVisible());
  EXPECT_EQ(d->parentWidget(), nullptr);
  EXPECT_EQ(OpenFromMenu(), d);  // one display, brought to the front
  d->resize(1920, 1080);

  std::set<int> expected;
  for (int id : {poule, swiss})
    for (const MatchRecord& m : Matches(id)) expected.insert(m.id);
  std::vector<int> got = OpenIds(*d);
  EXPECT_EQ(got.size(), 6u + 3u);
  EXPECT_EQ(std::set<int>(got.begin(), got.end()), expected);
  for (size_t i = 1; i < d->Content().open.size(); ++i) {
    const HallMatchRow& a = d->Content().open[i - 1];
    const HallMatchRow& b = d->Content().open[i];
    EXPECT_TRUE(a.starttime < b.starttime || (a.starttime == b.starttime && a.tafel <= b.tafel));
  }
  EXPECT_EQ(d->MatchesOnPage(), got);  // all on the one page
  EXPECT_EQ(d->PageIndicator(), QString());
  ASSERT_EQ(d->Content().blocks.size(), 2u);
  EXPECT_EQ(d->Content().blocks[0].klasse, "Heren A");

  // One screen here: F11 makes it full screen, Escape leaves it; remembered.
  QTest::keyClick(d, Qt::Key_F11);
  EXPECT_TRUE(d->isFullScreen());
  EXPECT_EQ(db().GetSettingInt("HallFullScreen" + std::to_string(app->IdToernooi())), 1);
  QTest::keyClick(d, Qt::Key_Escape);
  EXPECT_FALSE(d->isFullScreen());
  EXPECT_EQ(db().GetSettingInt("HallFullScreen" + std::to_string(app->IdToernooi()), -1), 0);
}

TEST_F(HallDisplayTest, AResultThroughTheDialogLeavesTheListAndMovesTheStandings) {
  LFlyHallDisplay* d = OpenFromMenu();
  ASSERT_TRUE(d);
  MatchRecord played = Matches(poule).front();
  const HallBlock* before = Block(*d, poule);
  ASSERT_TRUE(before);
  EXPECT_EQ(before->rows.front().wins, 0);
  int reloads = d->Reloads();

  // Winner only: the first side, by its key.
  int sets = -1;
  std::vector<MatchSystem> systems;
  db().ListMatchSystems(&systems);
  for (const MatchSystem& ms : systems)
    if (ms.name == "Sets") sets = ms.id;
  OnModal<LDlgResultSingleSets>([](LDlgResultSingleSets* dlg) { QTest::keyClick(dlg, Qt::Key_1); });
  ASSERT_TRUE(EnterResult(*app, played.id, sets, window.get()));

  // The notice is followed at once, without reading the tournament again.
  EXPECT_EQ(d->Reloads(), reloads);
  EXPECT_TRUE(d->Content() == BuildHallContent(db(), app->IdToernooi(), ReadHallOptions(db(), app->IdToernooi())));
  std::vector<int> ids = OpenIds(*d);
  EXPECT_EQ(std::count(ids.begin(), ids.end(), played.id), 0);
  EXPECT_EQ(ids.size(), 6u - 1 + 3u);
  const HallBlock* after = Block(*d, poule);
  ASSERT_TRUE(after);
  EXPECT_EQ(after->rows.front().wins, 1);
  EXPECT_EQ(d->Content().played, 1);

  // A burst of changes of the structure is read once.
  window->NotifyDataChanged();
  window->NotifyDataChanged();
  QTRY_COMPARE_WITH_TIMEOUT(d->Reloads(), reloads + 1, 1000);
  QTest::qWait(300);
  EXPECT_EQ(d->Reloads(), reloads + 1);
}

// Eight in the round robin: 28 + 3 open matches do not fit one page.
class HallDisplayPaging : public HallDisplayTest {
 protected:
  HallDisplayPaging() { pouleSize = 8; }
};

TEST_F(HallDisplayPaging, PagesCycleOnTheClockAndReadAgainOncePerCycle) {
  LFlyHallDisplay d(*app, clock);
  d.resize(1920, 1080);
  d.Reload();
  const int pages = d.PageCount();
  ASSERT_GE(pages, 3);
  EXPECT_EQ(d.PageIndicator(), QStringLiteral("1/%1").arg(pages));
  int reloads = d.Reloads();

  std::vector<int> first = d.MatchesOnPage();
  std::multiset<int> seen(first.begin(), first.end());
  clock.Advance(14);
  d.Tick();
  EXPECT_EQ(d.CurrentPage(), 0);  // not yet
  for (int k = 1; k <= pages; ++k) {
    clock.Advance(15);
    d.Tick();
    EXPECT_EQ(d.CurrentPage(), k % pages);
    if (k < pages) {
      EXPECT_EQ(d.PageIndicator(), QStringLiteral("%1/%2").arg(k + 1).arg(pages));
      EXPECT_EQ(d.Reloads(), reloads);  // no reading within the cycle
      for (int id : d.MatchesOnPage()) seen.insert(id);
    }
  }
  EXPECT_EQ(d.Reloads(), reloads + 1);
  std::vector<int> all = OpenIds(d);
  EXPECT_EQ(seen, std::multiset<int>(all.begin(), all.end()));  // every match on exactly one page
}

TEST_F(HallDisplayTest, TheClassChoiceHidesTheOtherClasses) {
  LFlyHallDisplay* d = OpenFromMenu();
  ASSERT_TRUE(d);
  OnModal<LDlgHallSettings>([](LDlgHallSettings* dlg) {
    ASSERT_EQ(dlg->classes.size(), 2u);
    EXPECT_TRUE(dlg->showBoth->isChecked());
    EXPECT_EQ(dlg->pageSeconds->value(), 15);
    dlg->classes[1]->setChecked(false);  // "Dames"
    dlg->pageSeconds->setValue(20);
    dlg->accept();
  });
  QContextMenuEvent click(QContextMenuEvent::Mouse, QPoint(10, 10), d->mapToGlobal(QPoint(10, 10)));
  QApplication::sendEvent(d, &click);

  std::set<int> herenMatches;
  for (const MatchRecord& m : Matches(poule)) herenMatches.insert(m.id);
  std::vector<int> ids = OpenIds(*d);
  EXPECT_EQ(std::set<int>(ids.begin(), ids.end()), herenMatches);
  EXPECT_FALSE(Block(*d, swiss));
  EXPECT_TRUE(Block(*d, poule));
  EXPECT_EQ(d->Content().toPlay, 6);
  HallOptions stored = ReadHallOptions(db(), app->IdToernooi());
  EXPECT_EQ(stored.pageSeconds, 20);
  EXPECT_EQ(stored.hiddenClasses.size(), 1u);
}

}  // namespace
}  // namespace velgram::testing
