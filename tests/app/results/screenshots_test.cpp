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
  void Save(QWidget* w, const char* name) {
    QTest::qWait(700);
    QString folder = qEnvironmentVariable("VELGRAM_SHOTS", "docs/screenshots");
    ASSERT_TRUE(w->grab().save(folder + "/" + name));
  }
  std::vector<int> Seated(int idPool) {
    std::vector<ContestantRecord> pos;
    db().ListContestants(idPool, pos);
    std::vector<int> ids;
    for (const auto& c : pos) ids.push_back(c.id);
    return ids;
  }
  int cls = -1;
};

TEST_F(ResultShots, DISABLED_GameByGameMidEntry) {
  int pool = AddPool(cls, "Poule 2");
  Seat(pool, AddPlayer("Marieke van den Berg", 1630, "TTV Smash"));
  Seat(pool, AddPlayer("Jeroen Kuipers", 1585, "De Batjes"));
  auto pos = Seated(pool);
  int match = db().AddMatch(pool, pos[0], pos[1], 3, 1015);
  LDlgResultFast d(*app, match, 0);
  ASSERT_TRUE(d.Load());
  d.show();
  for (int p : {7, 10}) QTest::mouseClick(d.KeypadButton(p), Qt::LeftButton);
  QTest::mouseClick(d.Game(1)->ExchangeButton(), Qt::LeftButton);
  QTest::mouseClick(d.KeypadButton(5), Qt::LeftButton);
  Save(&d, "result_fast_dialog.png");
}

TEST_F(ResultShots, DISABLED_RetirementMidMatch) {
  int pool = AddPool(cls, "Poule 3");
  Seat(pool, AddPlayer("Sanne Dekker", 1540, "TTV Smash"));
  Seat(pool, AddPlayer("Ruben Hoekstra", 1495, "De Batjes"));
  auto pos = Seated(pool);
  LDlgResultFast d(*app, db().AddMatch(pool, pos[0], pos[1], 2, 1045), 0);
  ASSERT_TRUE(d.Load());
  d.show();
  for (int p : {7, 9}) QTest::mouseClick(d.KeypadButton(p), Qt::LeftButton);
  QTest::mouseClick(d.Game(1)->ExchangeButton(), Qt::LeftButton);
  d.EndingCombo()->setCurrentIndex(4);
  Save(&d, "result_retirement_dialog.png");
  d.close();
  LDlgResultSingleSets sets(*app, db().AddMatch(pool, pos[1], pos[0], 3, 1105), 0);
  ASSERT_TRUE(sets.Load());
  sets.show();
  sets.EndingCombo()->setCurrentIndex(2);
  Save(&sets, "result_walkover_dialog.png");
}

TEST_F(ResultShots, DISABLED_DuoPoints) {
  std::vector<int> duoIds;
  for (auto [p1, p2] : {std::pair{"Anna de Vries", "Bea Jansen"}, {"Carla Peters", "Dirk Smit"}}) {
    DuoRecord d;
    d.idPlayer1 = AddPlayer(p1);
    d.idPlayer2 = AddPlayer(p2);
    db().AddDuo(d, app->IdToernooi());
  }
  std::vector<DuoRecord> list;
  db().ListDuos(list, app->IdToernooi());
  int pool = AddPool(cls, "Duo's");
  int dudodeva = -1;
  std::vector<MatchSystem> all;
  db().ListMatchSystems(&all);
  for (const MatchSystem& ms : all)
    if (ms.name == "Duo Dudodeva") dudodeva = ms.id;
  for (const DuoRecord& r : list) Seat(pool, r.id, kLinkDuo);
  auto pos = Seated(pool);
  int match = db().AddMatch(pool, pos[0], pos[1], 1, 1100);
  LDlgResultDuoPoints d(*app, match, dudodeva);
  ASSERT_TRUE(d.Load());
  d.show();
  const char* typed[][2] = {{"11", "7"}, {"9", "11"}, {"11", "4"}, {"11", "8"}, {"6", "11"}, {"11", "10"}};
  for (int g = 0; g < 6; ++g)
    for (int s = 0; s < 2; ++s) QTest::keyClicks(d.Field(g, s), typed[g][s]);
  Save(&d, "result_duo_dialog.png");
}

}  // namespace
}  // namespace velgram::testing
