// The knockout pane: the bracket, its start, and playing it to the champion.
#include <QTest>
#include <algorithm>

#include "app/panes/pane_dropout.h"
#include "app/results/dlg_result_sets.h"
#include "competition/match_rules.h"
#include "tests/app/shell_fixture.h"

namespace velgram::testing {
namespace {

class DropoutPaneTest : public ShellTest {
 protected:
  DropoutPaneTest() {
    OpenTournament();
    db().SetSetting("PouleActivateWarning", "No");
    idSystem = AddClass("Jeugd");
  }
  // A bracket of the size with n players rated 1900, 1890, ...
  std::unique_ptr<LPaneDropout> Bracket(int dimension, int n) {
    idPool = AddPool(idSystem, "Afval " + std::to_string(dimension), kPlaystyleDropout);
    db().Exec(nullptr, "UPDATE Pools SET extra='{ \"dimension\":%d }' WHERE id=%d", dimension, idPool);
    for (int i = 1; i <= n; ++i) Seat(idPool, AddPlayer("Speler " + std::to_string(i), 1910 - 10 * i, "TTV"));
    auto pane = std::make_unique<LPaneDropout>(*app, idPool);
    pane->resize(1200, 800);
    pane->show();
    pane->Refresh();
    return pane;
  }
  static QString CellOf(LPaneDropout& pane, std::pair<int, int> cell) {
    return pane.Grid()->Cell(cell.first, cell.second);
  }
  int idSystem = -1, idPool = -1;
};

// Before the start a bracket of 8 names its matches and the seats they lead
// to; the byes decide matches 1 and 4 at the start, the others are played to
// the champion by double clicks.
TEST_F(DropoutPaneTest, ABracketWithTwoByesIsPlayedToItsChampionByDoubleClicks) {
  auto pane = Bracket(8, 6);
  db().Exec(nullptr, "UPDATE Pools SET idMatchSystem=(SELECT id FROM MatchSystems WHERE name='Sets') WHERE id=%d", idPool);
  EXPECT_EQ(QSize(pane->Grid()->ColumnCount(), pane->Grid()->RowCount()), QSize(7, 23));
  for (int k = 1; k <= 7; ++k) EXPECT_EQ(CellOf(*pane, pane->MatchCell(k)), QStringLiteral("Wedstrijd %1").arg(k));
  EXPECT_EQ(pane->Grid()->Cell(0, 0) + "|" + pane->Grid()->Cell(18, 0) + "|" + CellOf(*pane, pane->WinnerSeat(7)),
            QStringLiteral("Speler 1|Bye|Speler 15"));  // seed 7 has a bye
  // The lines of match 1: its seats underlined, down to seed 8, across to its winner.
  LGridModel& m = *pane->Grid()->Model();
  EXPECT_TRUE(m.CellAt(0, 0)->lines & m.CellAt(1, 1)->lines & LGrid::kLineBottom && m.CellAt(2, 0)->lines & LGrid::kLineRight);
  pane->Button(QStringLiteral("Start afvalsysteem"))->click();  // gone after it: PanesFitTest
  for (int k : {1, 4})
    EXPECT_EQ(CellOf(*pane, pane->MatchCell(k)) + QString::number(pane->MatchAt(pane->MatchCell(k).first, pane->MatchCell(k).second)), "-1");
  EXPECT_EQ(CellOf(*pane, pane->WinnerSeat(1)) + CellOf(*pane, pane->WinnerSeat(4)), QStringLiteral("Speler 1Speler 2"));
  // Before any result an open match names itself, its table and its time.
  const MatchRecord second = StoredMatch(db(), pane->MatchAt(pane->MatchCell(2).first, pane->MatchCell(2).second));
  EXPECT_EQ(CellOf(*pane, pane->MatchCell(2)),
            QString::asprintf("Wedstrijd 2, Tafel %d, %d:%02d", second.tafel, second.starttime / 100, second.starttime % 100));
  // Side 1 wins every match: 6 beats 4, 3 beats 5, 1 beats 6, 3 beats 2, 1 beats 3.
  for (int k : {2, 3, 5, 6, 7}) {
    auto [r, c] = pane->MatchCell(k);
    ASSERT_GT(pane->MatchAt(r, c), 0) << k;
    OnModal<LDlgResultSingleSets>([](LDlgResultSingleSets* d) { d->SideButton(0)->click(); });
    DoubleClick(pane->Grid(), r, c);
    EXPECT_EQ(CellOf(*pane, pane->MatchCell(k)), QStringLiteral("1 - 0")) << k;
  }
  EXPECT_EQ(CellOf(*pane, pane->WinnerSeat(2)) + CellOf(*pane, pane->WinnerSeat(6)) + CellOf(*pane, pane->WinnerSeat(7)),
            QStringLiteral("Speler 6Speler 3Speler 1"));
  pane->TablesBox()->click();
  const MatchRecord final = StoredMatch(db(), pane->MatchAt(pane->MatchCell(7).first, pane->MatchCell(7).second));
  EXPECT_EQ(CellOf(*pane, pane->MatchCell(7)), QStringLiteral("1 - 0, Tafel %1").arg(final.tafel));
  // An unstarted bracket grows to 16, no further.
  auto next = Bracket(8, 2);
  next->GrowButton()->click();
  next->GrowButton()->click();
  EXPECT_EQ(next->SizeLabel()->text() + " " + QString::number(next->Grid()->RowCount()), QStringLiteral("16 47"));
}

}  // namespace
}  // namespace velgram::testing
