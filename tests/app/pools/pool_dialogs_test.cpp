// The pool dialogs driven through their controls. What the core refuses and
// why (names, times, maximum positions, links, first rounds): PositionsTest,
// EditsTest, DropoutTest.
#include <QHeaderView>
#include <QTest>
#include <numeric>

#include "app/pools/dlg_contestants.h"
#include "app/pools/dlg_matchsystem.h"
#include "app/pools/dlg_pool.h"
#include "competition/match_rules.h"
#include "tests/app/dialog_fixture.h"

namespace velgram::testing {
namespace {

class PoolDialogsTest : public DialogTest {
 protected:
  PoolDialogsTest() {
    OpenTournament();
    cls = AddClass("Jeugd");
  }
  int PoolWith(const std::string& name, int n, int firstPlayer = 0) {
    int pool = AddPool(cls, name);
    for (int i = 0; i < n; ++i) Seat(pool, AddPlayer("Speler " + std::to_string(firstPlayer + i), 1000 + i, "TTV"));
    return pool;
  }
  static void Type(QLineEdit* field, const char* text) {
    field->selectAll();  // typed over the whole field, as a director does
    QTest::keyClicks(field, QString::fromLatin1(text));
  }
  int cls = -1;
};

// A pool's style is set once; a started pool keeps its tables and times and
// stores a new match system at once, before the pool dialog's OK. (A new
// pool's fields: PanesTest.ClassesAndTheirPoolsAreAddedMovedAndDeleted.)
TEST_F(PoolDialogsTest, PoolDialogLocksWhatAStartedPoolCannotChange) {
  LDlgPool edit(*app, cls, AddPool(cls, "Voorronde"));
  EXPECT_FALSE(edit.style->isEnabled());
  Type(edit.start, "9:30");
  edit.start->editingFinished();
  EXPECT_EQ(edit.start->text(), QStringLiteral("09:30"));
  int pool = PoolWith("Poule A", 2);
  AddMatch(pool);
  LDlgPool started(*app, cls, pool);
  EXPECT_TRUE(started.Locked() && started.name->isEnabled());
  EXPECT_FALSE(started.tables->isEnabled() || started.start->isEnabled() || started.end->isEnabled());
  OnModal<LDlgMatchSystem>([](LDlgMatchSystem* m) {
    EXPECT_EQ(m->select->currentText(), QStringLiteral("Best of 5"));
    m->select->setCurrentIndex(m->select->findText(QStringLiteral("Best of 3")));
    m->accept();
  });
  started.matchSystemButton->click();
  EXPECT_EQ(started.matchSystem->text(), QStringLiteral("Best of 3"));
  PoolRecord p;
  ASSERT_TRUE(db().GetPool(pool, p));
  EXPECT_EQ(p.idMatchSystem, SystemId("Best of 3"));
}

TEST_F(PoolDialogsTest, MatchSystemEditorAppliesTheCoresEnablingAndAddsAndDeletes) {
  LDlgMatchSystem dlg(*app, 0);
  EXPECT_TRUE(dlg.select->currentText() == QStringLiteral("Best of 5") && dlg.resultMode[3]->isChecked());
  // Which controls a way of entering enables is the core's (MatchSystemEditor.*).
  dlg.resultMode[1]->click();
  EXPECT_EQ((std::vector{dlg.points->isEnabled(), dlg.gameDiff->isEnabled(), dlg.setMax->isEnabled(), dlg.setWon->isEnabled()}),
            (std::vector{false, false, true, true}));
  const bool before = dlg.subMatches[0]->isEnabled();
  dlg.duoteam->click();
  EXPECT_TRUE(!before && dlg.subMatches[4]->isEnabled());
  LDlgMatchSystem other(*app, SystemId("Best of 5"));
  other.setMax->setText(QStringLiteral("9"));
  other.setWon->setText(QStringLiteral("5"));
  other.name->setText(QStringLiteral("Best of 9"));
  other.accept();
  const int added = SystemId("Best of 9");
  ASSERT_GT(added, 0);
  EXPECT_EQ(other.ChosenId(), added);
  LDlgMatchSystem remover(*app, added);
  EXPECT_EQ(remover.select->currentText(), QStringLiteral("Best of 9"));
  remover.deleteButton->click();  // after the core's question
  EXPECT_EQ(std::tuple(prompter.questions.size(), SystemId("Best of 9"), remover.select->findText("Best of 9")),
            std::tuple(size_t{1}, -1, -1));
}

// The columns of a grid that do not fit in its view, by title.
std::string CutOffColumns(LGrid* g) {
  QStringList cut;
  for (int c = 0; c < g->ColumnCount(); ++c)
    if (g->columnViewportPosition(c) + g->columnWidth(c) > g->viewport()->width() ||
        g->columnWidth(c) < g->horizontalHeader()->fontMetrics().horizontalAdvance(g->ColumnTitle(c)))
      cut << g->ColumnTitle(c);
  return cut.join(QStringLiteral(", ")).toStdString();
}

// Rows move both ways and nothing is written before OK; every column stays
// whole and the sort arrow stays over sorted rows when the dialog grows.
TEST_F(PoolDialogsTest, AddPlayersMovesRowsBothWaysWritesOnOkAndShowsWholeColumns) {
  int pool = PoolWith("Poule A", 11);
  // By name the duos come in the reverse order of their ratings.
  for (int i = 0; i < 3; ++i) {
    DuoRecord d;
    const std::string n(1, static_cast<char>('A' + i));
    d.idPlayer1 = AddPlayer(n + " Wilhelmina Jansen", 1900 - 100 * i, "TTV Smash");
    d.idPlayer2 = AddPlayer(n + " Hendrika de Vries", 1900 - 100 * i, "TTC Batjes", "B");
    db().AddDuo(d, app->IdToernooi());
  }
  const int duos = AddPool(AddClass("Dubbel", 2), "Dubbel A");
  LDlgAddContestants dlg(*app, pool, 12);
  ASSERT_EQ(std::pair(dlg.participants->RowCount(), dlg.pool->RowCount()), std::pair(6, 11));
  EXPECT_EQ(RowText(*dlg.participants, 0).section('|', 0, 3), QStringLiteral("A Hendrika de Vries|TTC Batjes|1900|B"));
  dlg.participants->SelectRow(0);
  dlg.addButton->click();
  EXPECT_EQ(dlg.pool->Cell(11, 0), QStringLiteral("A Hendrika de Vries"));
  dlg.pool->SelectRow(0);
  dlg.removeButton->click();
  EXPECT_EQ(std::tuple(dlg.pool->RowCount(), dlg.participants->RowCount(), Seats(pool).size()),
            std::tuple(11, 6, size_t{11}));  // nothing written before OK
  dlg.accept();
  EXPECT_EQ(Seats(pool).back().idPlayer, Players()[12].id);
  LDlgAddContestants pairs(*app, duos, 12);
  pairs.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&pairs));
  QHeaderView* header = pairs.participants->horizontalHeader();
  QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(header->sectionViewportPosition(2) + 5, 5));
  ASSERT_EQ(pairs.participants->Cell(0, 0).left(1), QStringLiteral("C"));
  pairs.participants->SelectRow(0);
  pairs.addButton->click();
  QTest::qWait(50);  // the dialog takes its new size
  EXPECT_EQ(CutOffColumns(pairs.participants) + CutOffColumns(pairs.pool), "");
  ASSERT_EQ(pairs.participants->RowCount(), 2);
  EXPECT_EQ(std::pair(header->sortIndicatorSection(), header->sortIndicatorOrder()), std::pair(2, Qt::AscendingOrder));
  EXPECT_LT(pairs.participants->Cell(0, 2).toInt(), pairs.participants->Cell(1, 2).toInt());
}

TEST_F(PoolDialogsTest, BestPlacesAreLinkedAndTheArrowsMoveThem) {
  PoolWith("Poule A", 4);
  int final = PoolWith("Finale", 9, 10);
  LDlgLink dlg(*app, final, 12);
  EXPECT_EQ(dlg.poolList->itemText(dlg.poolList->count() - 1) + "|" + dlg.klasse->itemText(0), "Poule A|Alle klassen");
  EXPECT_EQ(std::pair(dlg.number->count(), dlg.best->itemText(15)), std::pair(16, QStringLiteral("16")));
  dlg.best->setCurrentIndex(2);
  dlg.addBest->click();
  ASSERT_EQ(dlg.grid->RowCount(), 12);
  EXPECT_EQ(dlg.grid->Cell(11, LDlgLink::kColSource) + "|" + dlg.grid->Cell(11, LDlgLink::kColNr),
            QStringLiteral("Poule A nr. 3|12"));
  EXPECT_EQ((std::vector{dlg.grid->Cell(0, LDlgLink::kColUp).isEmpty(), dlg.grid->Cell(0, LDlgLink::kColDown).isEmpty(),
                         dlg.grid->Cell(11, LDlgLink::kColDown).isEmpty()}),
            (std::vector{true, false, true}));
  // The arrow of the first link lifts it above the last player.
  QRect up = dlg.grid->visualRect(dlg.grid->model()->index(9, LDlgLink::kColUp));
  QTest::mouseClick(dlg.grid->viewport(), Qt::LeftButton, {}, up.center());
  EXPECT_EQ(dlg.grid->Cell(8, LDlgLink::kColSource) + "|" + dlg.grid->Cell(9, LDlgLink::kColName),
            QStringLiteral("Poule A nr. 1|Speler 18"));
  // Removing every row removes only the links; a number is linked on OK.
  std::vector<int> all(12);
  std::iota(all.begin(), all.end(), 0);
  dlg.grid->SelectRows(all);
  dlg.removeButton->click();
  ASSERT_EQ(dlg.grid->RowCount(), 9);
  dlg.number->setCurrentIndex(1);
  dlg.addNumber->click();
  dlg.accept();
  const ContestantRecord last = Seats(final).at(9);
  EXPECT_EQ(std::tuple(last.linktype, last.poolPos, last.sort), std::tuple(kLinkPlace, 2, 9));
}

}  // namespace
}  // namespace velgram::testing
