// The pool, match-system, add-players, link and start-warning dialogs driven
// through their controls.
#include <QHeaderView>
#include <QTest>
#include <numeric>

#include "app/pools/dlg_contestants.h"
#include "app/pools/dlg_matchsystem.h"
#include "app/pools/dlg_pool.h"
#include "app/widgets/grid.h"
#include "competition/match_rules.h"
#include "tests/app/shell_fixture.h"

namespace velgram::testing {
namespace {

class PoolDialogsTest : public ShellTest {
 protected:
  int SystemId(const std::string& name) {
    std::vector<MatchSystem> all;
    db().ListMatchSystems(&all);
    for (const MatchSystem& ms : all)
      if (ms.name == name) return ms.id;
    return -1;
  }
  // A pool of the class holding n players.
  int PoolWith(int cls, const std::string& name, int n, int firstPlayer = 0) {
    int pool = AddPool(cls, name);
    for (int i = 0; i < n; ++i) Seat(pool, AddPlayer("Speler " + std::to_string(firstPlayer + i), 1000 + i, "TTV"));
    return pool;
  }
  std::vector<ContestantRecord> Rows(int pool) {
    std::vector<ContestantRecord> rows;
    db().ListContestants(pool, rows);
    return rows;
  }
};

TEST_F(PoolDialogsTest, PoolDialogWantsANameAFormatAndReadableTimes) {
  OpenTournament();
  int cls = AddClass("Jeugd");
  LDlgPool dlg(*app, cls, -1);
  EXPECT_EQ(dlg.start->text(), QStringLiteral("09:00"));
  EXPECT_EQ(dlg.end->text(), QStringLiteral("16:00"));
  EXPECT_EQ(dlg.matchSystem->text(), QStringLiteral("Best of 5"));
  dlg.name->setText(QStringLiteral("  "));
  dlg.accept();
  EXPECT_EQ(prompter.alerts.back(), "Vul de naam in.");
  dlg.name->setText(QStringLiteral("Voorronde"));
  dlg.accept();
  EXPECT_EQ(prompter.alerts.back(), "Kies een speelwijze.");
  EXPECT_EQ(dlg.SavedId(), -1);

  dlg.style->setCurrentIndex(0);
  dlg.tables->setText(QStringLiteral("4,1-2"));
  dlg.start->clear();
  QTest::keyClicks(dlg.start, QStringLiteral("25:00"));
  size_t before = prompter.alerts.size();
  dlg.accept();
  ASSERT_EQ(prompter.alerts.size(), before + 1);
  EXPECT_EQ(prompter.alerts.back(), "De begintijd is onjuist. Vul een tijd in zoals 9:30 of 930.");
  EXPECT_EQ(dlg.SavedId(), -1);
  // Typed over the whole field, as a director does.
  dlg.start->selectAll();
  QTest::keyClicks(dlg.start, QStringLiteral("930"));
  dlg.end->selectAll();
  QTest::keyClicks(dlg.end, QStringLiteral("1745"));
  dlg.accept();
  ASSERT_GT(dlg.SavedId(), 0);
  PoolRecord p;
  ASSERT_TRUE(db().GetPool(dlg.SavedId(), p));
  EXPECT_EQ(p.playstyle, kPlaystylePoule);
  EXPECT_EQ(p.tables, "1-2,4");
  EXPECT_EQ(p.starttime, 930);
  EXPECT_EQ(p.endtime, 1745);
  EXPECT_EQ(p.idMatchSystem, SystemId("Best of 5"));

  for (const char* typed : {"930", "9:30", "09:30"}) {
    LDlgPool edit(*app, cls, p.id);
    EXPECT_FALSE(edit.style->isEnabled());
    EXPECT_EQ(edit.start->text(), QStringLiteral("09:30"));
    edit.start->selectAll();
    QTest::keyClicks(edit.start, QString::fromLatin1(typed));
    edit.start->editingFinished();
    EXPECT_EQ(edit.start->text(), QStringLiteral("09:30")) << typed;
    edit.accept();
    ASSERT_TRUE(db().GetPool(p.id, p));
    EXPECT_EQ(p.starttime, 930) << typed;
  }
}

TEST_F(PoolDialogsTest, AStartedPoolKeepsItsTablesAndTimesAndStoresItsMatchSystemAtOnce) {
  OpenTournament();
  int cls = AddClass("Jeugd");
  int pool = PoolWith(cls, "Poule A", 2);
  std::vector<ContestantRecord> rows = Rows(pool);
  db().AddMatch(pool, rows[0].id, rows[1].id, 1, 930);
  LDlgPool dlg(*app, cls, pool);
  EXPECT_TRUE(dlg.Locked());
  EXPECT_FALSE(dlg.tables->isEnabled());
  EXPECT_FALSE(dlg.start->isEnabled());
  EXPECT_FALSE(dlg.end->isEnabled());
  EXPECT_TRUE(dlg.name->isEnabled());
  EXPECT_EQ(dlg.matchSystem->text(), QStringLiteral("Best of 5"));

  OnModal<LDlgMatchSystem>([](LDlgMatchSystem* m) {
    EXPECT_EQ(m->select->currentText(), QStringLiteral("Best of 5"));
    m->select->setCurrentIndex(m->select->findText(QStringLiteral("Best of 3")));
    m->accept();
  });
  dlg.matchSystemButton->click();
  EXPECT_EQ(dlg.matchSystem->text(), QStringLiteral("Best of 3"));
  PoolRecord p;
  ASSERT_TRUE(db().GetPool(pool, p));
  EXPECT_EQ(p.idMatchSystem, SystemId("Best of 3"));  // before the pool dialog's OK
  dlg.reject();
}

TEST_F(PoolDialogsTest, MatchSystemEditorFollowsTheRulesOfItsControls) {
  OpenTournament();
  LDlgMatchSystem dlg(*app, 0);
  EXPECT_EQ(dlg.select->currentText(), QStringLiteral("Best of 5"));
  EXPECT_TRUE(dlg.resultMode[3]->isChecked());
  struct Case {
    int button;
    bool points, setMax;
  };
  for (Case c : {Case{0, false, false}, Case{1, false, true}, Case{2, true, true}, Case{3, true, true}}) {
    dlg.resultMode[c.button]->click();
    EXPECT_EQ(dlg.points->isEnabled(), c.points) << c.button;
    EXPECT_EQ(dlg.gameDiff->isEnabled(), c.points) << c.button;
    EXPECT_EQ(dlg.setMax->isEnabled(), c.setMax) << c.button;
    EXPECT_EQ(dlg.setWon->isEnabled(), c.setMax) << c.button;
  }
  EXPECT_FALSE(dlg.subMatches[0]->isEnabled());
  dlg.duoteam->click();
  EXPECT_TRUE(dlg.subMatches[4]->isEnabled());
  dlg.duoteam->click();

  // The rules of an existing row give that row, whatever the name.
  dlg.name->setText(QStringLiteral("Mijn systeem"));
  dlg.accept();
  EXPECT_EQ(dlg.ChosenId(), SystemId("Best of 5"));
  EXPECT_EQ(SystemId("Mijn systeem"), -1);

  LDlgMatchSystem other(*app, SystemId("Best of 5"));
  other.setMax->setText(QStringLiteral("9"));
  other.setWon->setText(QStringLiteral("5"));
  other.accept();
  EXPECT_EQ(prompter.alerts.back(), "Kies een andere naam");
  EXPECT_EQ(other.result(), QDialog::Rejected);
  other.name->setText(QStringLiteral("Best of 9"));
  other.accept();
  int added = SystemId("Best of 9");
  ASSERT_GT(added, 0);
  EXPECT_EQ(other.ChosenId(), added);

  LDlgMatchSystem remover(*app, added);
  EXPECT_EQ(remover.select->currentText(), QStringLiteral("Best of 9"));
  remover.select->setCurrentIndex(remover.select->findText(QStringLiteral("Sets")));
  remover.deleteButton->click();
  EXPECT_EQ(prompter.alerts.back(), "Dit wedstrijdsysteem kan niet verwijderd worden.");
  remover.select->setCurrentIndex(remover.select->findText(QStringLiteral("Best of 9")));
  remover.deleteButton->click();
  EXPECT_EQ(prompter.questions.back(), "Weet u zeker dat u Best of 9 wilt verwijderen?");
  EXPECT_EQ(SystemId("Best of 9"), -1);
  EXPECT_EQ(remover.select->findText(QStringLiteral("Best of 9")), -1);
}

TEST_F(PoolDialogsTest, APlayerIsRefusedWhenThePoolHoldsTwelvePositions) {
  OpenTournament();
  int cls = AddClass("Jeugd");
  int pool = PoolWith(cls, "Poule A", 11);
  AddPlayer("Anna", 1500, "TTV Smash", "B");
  AddPlayer("Bert", 1400, "TTC Batjes", "C");
  LDlgAddContestants dlg(*app, pool, 12);
  ASSERT_EQ(dlg.participants->RowCount(), 2);
  EXPECT_EQ(dlg.participants->Cell(0, 0), QStringLiteral("Anna"));
  EXPECT_EQ(dlg.participants->Cell(0, 2), QStringLiteral("1500"));
  EXPECT_EQ(dlg.participants->Cell(0, 3), QStringLiteral("B"));
  EXPECT_EQ(dlg.pool->RowCount(), 11);

  dlg.participants->SelectRow(0);
  dlg.addButton->click();
  EXPECT_EQ(dlg.pool->RowCount(), 12);
  EXPECT_EQ(dlg.pool->Cell(11, 0), QStringLiteral("Anna"));
  EXPECT_TRUE(prompter.alerts.empty());
  dlg.participants->SelectRow(0);
  dlg.addButton->click();
  EXPECT_EQ(prompter.alerts.back(), "Maximum aantal spelers is 12");
  EXPECT_EQ(dlg.pool->RowCount(), 12);

  // A double click on a position takes it out again; OK writes the list.
  dlg.pool->SelectRow(0);
  dlg.removeButton->click();
  EXPECT_EQ(dlg.pool->RowCount(), 11);
  EXPECT_EQ(dlg.participants->RowCount(), 2);
  EXPECT_EQ(Rows(pool).size(), 11u);
  dlg.accept();
  std::vector<ContestantRecord> rows = Rows(pool);
  ASSERT_EQ(rows.size(), 11u);
  PlayerRecord last;
  db().GetPlayer(last, rows.back().idPlayer);
  EXPECT_EQ(last.name, "Anna");
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

TEST_F(PoolDialogsTest, AddPlayersShowsWholeColumnsAndTheArrowOnlyOverSortedRows) {
  OpenTournament();
  int pool = AddPool(AddClass("Dubbel", 2), "Poule A");
  // By name the duos come in the reverse order of their ratings.
  for (int i = 0; i < 3; ++i) {
    DuoRecord d;
    std::string n = std::string(1, static_cast<char>('A' + i));
    d.idPlayer1 = AddPlayer(n + " Wilhelmina Jansen", 1900 - 100 * i, "TTV Smash");
    d.idPlayer2 = AddPlayer(n + " Hendrika de Vries", 1900 - 100 * i, "TTC Batjes");
    db().AddDuo(d, app->IdToernooi());
  }
  LDlgAddContestants dlg(*app, pool, 12);
  dlg.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
  QHeaderView* header = dlg.participants->horizontalHeader();
  QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(header->sectionViewportPosition(2) + 5, 5));
  ASSERT_EQ(dlg.participants->Cell(0, 0).left(1), QStringLiteral("C"));
  dlg.participants->SelectRow(0);
  dlg.addButton->click();
  QTest::qWait(50);  // the dialog takes its new size
  EXPECT_EQ(CutOffColumns(dlg.participants), "");
  EXPECT_EQ(CutOffColumns(dlg.pool), "");
  ASSERT_EQ(dlg.participants->RowCount(), 2);
  EXPECT_EQ(header->sortIndicatorSection(), 2);
  EXPECT_EQ(header->sortIndicatorOrder(), Qt::AscendingOrder);
  EXPECT_LT(dlg.participants->Cell(0, 2).toInt(), dlg.participants->Cell(1, 2).toInt());
}

TEST_F(PoolDialogsTest, BestPlacesAreLinkedWhenTheyFitAndRemovingLinksKeepsThePlayers) {
  OpenTournament();
  int cls = AddClass("Jeugd");
  PoolWith(cls, "Poule A", 4);
  int final = PoolWith(cls, "Finale", 9, 10);
  LDlgLink dlg(*app, final, 12);
  ASSERT_EQ(dlg.poolList->count(), 1);
  EXPECT_EQ(dlg.poolList->currentText(), QStringLiteral("Poule A"));
  EXPECT_EQ(dlg.klasse->itemText(0), QStringLiteral("Alle klassen"));
  EXPECT_EQ(dlg.number->count(), 16);
  EXPECT_EQ(dlg.best->itemText(15), QStringLiteral("16"));

  dlg.number->setCurrentIndex(0);
  dlg.addNumber->click();  // 10 positions
  dlg.best->setCurrentIndex(2);
  dlg.addBest->click();
  EXPECT_EQ(prompter.alerts.back(), "Maximum aantal spelers is 12");
  ASSERT_EQ(dlg.grid->RowCount(), 10);

  // Back to nine: the three best fit.
  dlg.grid->SelectRow(9);
  dlg.removeButton->click();
  ASSERT_EQ(dlg.grid->RowCount(), 9);
  dlg.addBest->click();
  ASSERT_EQ(dlg.grid->RowCount(), 12);
  EXPECT_EQ(dlg.grid->Cell(11, LDlgLink::kColSource), QStringLiteral("Poule A nr. 3"));
  EXPECT_EQ(dlg.grid->Cell(11, LDlgLink::kColNr), QStringLiteral("12"));
  EXPECT_TRUE(dlg.grid->Cell(0, LDlgLink::kColUp).isEmpty());
  EXPECT_FALSE(dlg.grid->Cell(0, LDlgLink::kColDown).isEmpty());
  EXPECT_TRUE(dlg.grid->Cell(11, LDlgLink::kColDown).isEmpty());

  // The arrow of the first link lifts it above the last player.
  QRect up = dlg.grid->visualRect(dlg.grid->model()->index(9, LDlgLink::kColUp));
  QTest::mouseClick(dlg.grid->viewport(), Qt::LeftButton, {}, up.center());
  EXPECT_EQ(dlg.grid->Cell(8, LDlgLink::kColSource), QStringLiteral("Poule A nr. 1"));
  EXPECT_EQ(dlg.grid->Cell(9, LDlgLink::kColName), QStringLiteral("Speler 18"));

  // Removing every row removes only the links (which rows stay:
  // PositionsTest.BestPlacesMustAllFitAndRemovingLinksKeepsPlayers).
  std::vector<int> all(12);
  std::iota(all.begin(), all.end(), 0);
  dlg.grid->SelectRows(all);
  dlg.removeButton->click();
  ASSERT_EQ(dlg.grid->RowCount(), 9);
  dlg.number->setCurrentIndex(1);
  dlg.addNumber->click();
  dlg.accept();
  std::vector<ContestantRecord> rows = Rows(final);
  ASSERT_EQ(rows.size(), 10u);
  EXPECT_EQ(rows[9].linktype, kLinkPlace);
  EXPECT_EQ(rows[9].poolPos, 2);
  EXPECT_EQ(rows[9].sort, 9);
}

TEST_F(PoolDialogsTest, CrossLinksShowTheFirstRoundBeforeOk) {
  OpenTournament();
  int cls = AddClass("Jeugd");
  for (const char* name : {"Poule A", "Poule B", "Poule C", "Poule D"}) AddPool(cls, name);
  int knockout = AddPool(cls, "Finale", kPlaystyleDropout);
  PoolRecord row;
  db().GetPool(knockout, row);
  row.extra = "{ \"dimension\":8 }";
  db().UpdatePool(row);
  LDlgLink dlg(*app, knockout, 8);
  ASSERT_TRUE(dlg.pairings->isVisibleTo(&dlg));
  dlg.best->setCurrentIndex(1);
  dlg.addCross->click();
  ASSERT_EQ(dlg.grid->RowCount(), 8);
  EXPECT_TRUE(dlg.pairings->text().contains(QStringLiteral("Wedstrijd 1: Poule A nr. 1 - Poule B nr. 2")));
  // The arrows still reach any order, and the first round follows them.
  dlg.MoveUp(7);
  EXPECT_TRUE(dlg.pairings->text().contains(QStringLiteral("Wedstrijd 1: Poule A nr. 1 - Poule A nr. 2")));
  dlg.accept();
  EXPECT_EQ(Rows(knockout).size(), 8u);
}

TEST_F(PoolDialogsTest, TheStartWarningRemembersItsBox) {
  OpenTournament();
  for (bool tick : {false, true}) {
    OnModal<LDlgPouleActivateWarning>([tick](LDlgPouleActivateWarning* d) {
      EXPECT_EQ(d->windowTitle(), QStringLiteral("Let op"));
      EXPECT_EQ(d->startButton->text(), QStringLiteral("Start"));
      d->dontShowAgain->setChecked(tick);
      d->startButton->click();
    });
    DialogStartWarning warning(nullptr);
    EXPECT_TRUE(ConfirmPoolStart(db(), prompter, &warning));
    EXPECT_EQ(db().GetSetting("PouleActivateWarning"), tick ? "No" : "");
  }
}

// Dialogs grow with the list font instead of cutting their contents off.
TEST_F(PoolDialogsTest, DialogsGrowWithTheirFont) {
  OpenTournament();
  int cls = AddClass("Jeugd");
  int pool = PoolWith(cls, "Poule A", 3);
  auto widthAt = [&](int points, auto make) {
    QFont f = QApplication::font();
    f.setPointSize(points);
    QApplication::setFont(f);
    auto d = make();
    d->adjustSize();
    int w = d->sizeHint().width();
    return w;
  };
  QFont original = QApplication::font();
  auto pool8 = widthAt(8, [&] { return std::make_unique<LDlgPool>(*app, cls, pool); });
  auto pool16 = widthAt(16, [&] { return std::make_unique<LDlgPool>(*app, cls, pool); });
  auto ms8 = widthAt(8, [&] { return std::make_unique<LDlgMatchSystem>(*app, 0); });
  auto ms16 = widthAt(16, [&] { return std::make_unique<LDlgMatchSystem>(*app, 0); });
  QApplication::setFont(original);
  EXPECT_GT(pool16, pool8);
  EXPECT_GT(ms16, ms8);
}

}  // namespace
}  // namespace velgram::testing
