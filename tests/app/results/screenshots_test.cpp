// Pictures of the result dialogs for the README. Run on purpose under a real
// display: xvfb-run -a test_app --gtest_also_run_disabled_tests
//   --gtest_filter='*Screenshots' (VELGRAM_SHOTS names the folder,
// VELGRAM_SHOT_POINTS the font size).
#include <QTest>

#include "app/results/dlg_result_duo.h"
#include "app/results/dlg_result_fast.h"
#include "app/results/dlg_result_sets.h"
#include "tests/app/dialog_fixture.h"

namespace velgram::testing {
namespace {

void Save(QDialog* d, const char* name) {
  QTest::qWait(700);
  ASSERT_TRUE(d->grab().save(qEnvironmentVariable("VELGRAM_SHOTS", "docs/screenshots") + "/" + name));
}

TEST_F(DialogTest, DISABLED_ResultDialogScreenshots) {
  if (int pt = qEnvironmentVariableIntValue("VELGRAM_SHOT_POINTS")) QApplication::setFont(QFont(QApplication::font().family(), pt));
  OpenTournament("Open Clubkampioenschap 2026");
  const int cls = AddClass("Heren A"), pool = AddPool(cls, "Poule 2"), duos = AddPool(cls, "Duo's");
  Seat(pool, AddPlayer("Marieke van den Berg", 1630, "TTV Smash"));
  Seat(pool, AddPlayer("Jeroen Kuipers", 1585, "De Batjes"));
  for (auto [file, second, table, time, ending] :
       {std::tuple{"result_fast_dialog.png", 10, 3, 1015, 0}, {"result_retirement_dialog.png", 9, 2, 1045, 4}}) {
    LDlgResultFast d(*app, AddMatch(pool, table, time), 0);
    ASSERT_TRUE(d.Load());
    d.show();
    for (int p : {7, second}) QTest::mouseClick(d.KeypadButton(p), Qt::LeftButton);
    QTest::mouseClick(d.Game(1)->ExchangeButton(), Qt::LeftButton);
    if (ending) d.EndingCombo()->setCurrentIndex(ending);
    else QTest::mouseClick(d.KeypadButton(5), Qt::LeftButton);
    Save(&d, file);
  }
  LDlgResultSingleSets sets(*app, db().AddMatch(pool, Seats(pool)[1].id, Seats(pool)[0].id, 3, 1105), 0);
  ASSERT_TRUE(sets.Load());
  sets.show();
  sets.EndingCombo()->setCurrentIndex(2);
  Save(&sets, "result_walkover_dialog.png");
  Seat(duos, AddDuo("Anna de Vries", "Bea Jansen"), kLinkDuo);
  Seat(duos, AddDuo("Carla Peters", "Dirk Smit"), kLinkDuo);
  LDlgResultDuoPoints d(*app, AddMatch(duos, 1, 1100), SystemId("Duo Dudodeva"));
  ASSERT_TRUE(d.Load());
  d.show();
  const char* typed[][2] = {{"11", "7"}, {"9", "11"}, {"11", "4"}, {"11", "8"}, {"6", "11"}, {"11", "10"}};
  for (int g = 0; g < 6; ++g)
    for (int side = 0; side < 2; ++side) QTest::keyClicks(d.Field(g, side), typed[g][side]);
  Save(&d, "result_duo_dialog.png");
}

}  // namespace
}  // namespace velgram::testing
