// Pictures of the result dialogs for the README. Run on purpose under a real
// display: xvfb-run -a test_app --gtest_also_run_disabled_tests
//   --gtest_filter='ResultShots.*' (VELGRAM_SHOTS names the folder,
// VELGRAM_SHOT_POINTS the font size).
#include <QApplication>
#include <QTest>

#include "app/results/dlg_result_duo.h"
#include "app/results/dlg_result_fast.h"
#include "app/results/dlg_result_sets.h"
#include "tests/app/shell_fixture.h"

namespace velgram::testing {
namespace {

class ResultShots : public ShellTest {
 protected:
  void SetUp() override {
    if (int pt = qEnvironmentVariableIntValue("VELGRAM_SHOT_POINTS")) {
      QFont f = QApplication::font();
      f.setPointSize(pt);
      QApplication::setFont(f);
    }
    OpenTournament("Open Clubkampioenschap 2026");
    cls = AddClass("Heren A");
  }
  // A pool of the two sides (players, or duos with link kLinkDuo), and the
  // ids of its two positions.
  std::vector<int> Sides(const std::string& name, int a, int b, int link = kLinkPlayer) {
    pool = AddPool(cls, name);
    Seat(pool, a, link);
    Seat(pool, b, link);
    std::vector<ContestantRecord> pos;
    db().ListContestants(pool, pos);
    return {pos[0].id, pos[1].id};
  }
  void Save(QWidget* w, const char* name) {
    QTest::qWait(700);
    ASSERT_TRUE(w->grab().save(qEnvironmentVariable("VELGRAM_SHOTS", "docs/screenshots") + "/" + name));
  }
  int cls = -1, pool = -1;
};

TEST_F(ResultShots, DISABLED_GameByGameMidEntryRetirementAndWalkover) {
  auto s = Sides("Poule 2", AddPlayer("Marieke van den Berg", 1630, "TTV Smash"),
                 AddPlayer("Jeroen Kuipers", 1585, "De Batjes"));
  for (auto [file, second, table, time, ending] :
       {std::tuple{"result_fast_dialog.png", 10, 3, 1015, 0}, {"result_retirement_dialog.png", 9, 2, 1045, 4}}) {
    LDlgResultFast d(*app, db().AddMatch(pool, s[0], s[1], table, time), 0);
    ASSERT_TRUE(d.Load());
    d.show();
    for (int p : {7, second}) QTest::mouseClick(d.KeypadButton(p), Qt::LeftButton);
    QTest::mouseClick(d.Game(1)->ExchangeButton(), Qt::LeftButton);
    if (ending) d.EndingCombo()->setCurrentIndex(ending);
    else QTest::mouseClick(d.KeypadButton(5), Qt::LeftButton);
    Save(&d, file);
  }
  LDlgResultSingleSets sets(*app, db().AddMatch(pool, s[1], s[0], 3, 1105), 0);
  ASSERT_TRUE(sets.Load());
  sets.show();
  sets.EndingCombo()->setCurrentIndex(2);
  Save(&sets, "result_walkover_dialog.png");
}

TEST_F(ResultShots, DISABLED_DuoPoints) {
  for (auto [p1, p2] : {std::pair{"Anna de Vries", "Bea Jansen"}, {"Carla Peters", "Dirk Smit"}}) {
    DuoRecord d;
    d.idPlayer1 = AddPlayer(p1);
    d.idPlayer2 = AddPlayer(p2);
    db().AddDuo(d, app->IdToernooi());
  }
  std::vector<DuoRecord> duos;
  db().ListDuos(duos, app->IdToernooi());
  auto s = Sides("Duo's", duos[0].id, duos[1].id, kLinkDuo);
  std::vector<MatchSystem> all;
  db().ListMatchSystems(&all);
  const int dudodeva = std::find_if(all.begin(), all.end(), [](auto& m) { return m.name == "Duo Dudodeva"; })->id;
  LDlgResultDuoPoints d(*app, db().AddMatch(pool, s[0], s[1], 1, 1100), dudodeva);
  ASSERT_TRUE(d.Load());
  d.show();
  const char* typed[][2] = {{"11", "7"}, {"9", "11"}, {"11", "4"}, {"11", "8"}, {"6", "11"}, {"11", "10"}};
  for (int g = 0; g < 6; ++g)
    for (int side = 0; side < 2; ++side) QTest::keyClicks(d.Field(g, side), typed[g][side]);
  Save(&d, "result_duo_dialog.png");
}

}  // namespace
}  // namespace velgram::testing
