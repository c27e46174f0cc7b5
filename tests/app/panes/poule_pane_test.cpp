// The round-robin pane: its buttons before and after the start, the cross
// table with the explained places, and the matches list.
#include <QTest>

#include "app/panes/pane_poule.h"
#include "app/pools/dlg_contestants.h"
#include "app/shell/mainwindow.h"
#include "competition/match_rules.h"
#include "competition/matchbook.h"
#include "competition/swiss_screen.h"
#include "tests/app/shell_fixture.h"

namespace velgram::testing {
namespace {

class PoulePaneTest : public ShellTest {
 protected:
  std::unique_ptr<CVelgramDlg> Window() {
    auto w = std::make_unique<CVelgramDlg>(*app);
    w->StartTimer().stop();
    app->DropToernooi();
    w->OpenStartTournament();
    return w;
  }
  LPanePoule* Show(CVelgramDlg& w, int pool) {
    EXPECT_TRUE(w.SelectItem(NavType::Pool, pool));
    return dynamic_cast<LPanePoule*>(w.CurrentPane());
  }
  int PoolOf(int cls, const std::string& name, const std::vector<std::string>& players) {
    int pool = AddPool(cls, name);
    int rating = 1500;
    for (const std::string& p : players) Seat(pool, AddPlayer(p, rating -= 10, "Club " + p));
    return pool;
  }
  // Saves a result of best-of-5 games: first side wins when firstWins.
  void Play(const MatchRecord& m, bool firstWins) {
    std::vector<int> codes = firstWins ? std::vector<int>{8, 10, 6} : std::vector<int>{-8, -10, -6};
    ASSERT_TRUE(SaveResult(db(), m.id, DecideGameByGame(DefaultMatchSystem(), codes)));
  }
  static bool Visible(QPushButton* b) { return b && !b->isHidden(); }
};

TEST_F(PoulePaneTest, ButtonsBeforeAndAfterTheStart) {
  OpenTournament();
  int cls = AddClass("Jeugd");
  int first = PoolOf(cls, "Poule A", {"Anna", "Bert", "Cor"});
  int second = AddPool(cls, "Finale");
  int other = PoolOf(AddClass("Senioren"), "Enige", {"Dirk", "Eva"});
  auto w = Window();

  LPanePoule* pane = Show(*w, first);
  ASSERT_NE(pane, nullptr);
  EXPECT_TRUE(Visible(pane->Button(QStringLiteral("Spelers toevoegen en verwijderen"))));
  EXPECT_TRUE(Visible(pane->Button(QStringLiteral("Start poule"))));
  // The first pool of its class has nothing to link to.
  EXPECT_FALSE(Visible(pane->Button(QStringLiteral("Koppel met vorig blok"))));
  EXPECT_FALSE(Visible(Show(*w, other)->Button(QStringLiteral("Koppel met vorig blok"))));
  EXPECT_TRUE(Visible(Show(*w, second)->Button(QStringLiteral("Koppel met vorig blok"))));

  pane = Show(*w, first);
  int changes = 0;
  QObject::connect(w.get(), &CVelgramDlg::dataChanged, [&] { ++changes; });
  OnModal<LDlgPouleActivateWarning>([](LDlgPouleActivateWarning* d) { d->cancelButton->click(); });
  pane->Button(QStringLiteral("Start poule"))->click();
  EXPECT_EQ(pane->MatchList()->RowCount(), 0);
  EXPECT_EQ(changes, 0);
  OnModal<LDlgPouleActivateWarning>([](LDlgPouleActivateWarning* d) { d->startButton->click(); });
  pane->Button(QStringLiteral("Start poule"))->click();
  EXPECT_EQ(changes, 1);
  ASSERT_EQ(pane->MatchList()->RowCount(), 3);
  EXPECT_EQ(pane->MatchList()->Cell(0, 0), QStringLiteral("2 - 3"));
  EXPECT_EQ(pane->MatchList()->Cell(0, LPanePoule::kColNames), QStringLiteral("Bert - Cor"));
  EXPECT_TRUE(pane->MatchList()->Cell(0, LPanePoule::kColResult).isEmpty());
  EXPECT_FALSE(Visible(pane->Button(QStringLiteral("Start poule"))));
  EXPECT_FALSE(Visible(pane->Button(QStringLiteral("Spelers toevoegen en verwijderen"))));
  EXPECT_TRUE(Visible(pane->Button(QStringLiteral("Wijzig naam"))));
  EXPECT_EQ(pane->Button(QStringLiteral("Wijzig Naam, Tafels, Tijden")), nullptr);

  // Tables and times show while their boxes are ticked, remembered per tournament.
  EXPECT_TRUE(pane->MatchList()->ColumnHidden(LPanePoule::kColTable));
  EXPECT_TRUE(pane->MatchList()->ColumnHidden(LPanePoule::kColTime));
  pane->TablesBox()->click();
  pane->TimesBox()->click();
  EXPECT_FALSE(pane->MatchList()->ColumnHidden(LPanePoule::kColTable));
  EXPECT_EQ(pane->MatchList()->Cell(0, LPanePoule::kColTable), QStringLiteral("1"));
  EXPECT_EQ(pane->MatchList()->Cell(2, LPanePoule::kColTime), QStringLiteral("10:00"));
  EXPECT_EQ(db().GetSetting("PouleTables" + std::to_string(app->IdToernooi())), "1");
  pane->TimesBox()->click();
  EXPECT_EQ(db().GetSetting("PouleTimes" + std::to_string(app->IdToernooi())), "0");
  EXPECT_TRUE(pane->MatchList()->ColumnHidden(LPanePoule::kColTime));
}

TEST_F(PoulePaneTest, CrossTableShowsWinsAndTheExplainedPlacesOnceFinished) {
  OpenTournament();
  int cls = AddClass("Jeugd");
  int pool = PoolOf(cls, "Poule A", {"Anna", "Bert", "Cor", "Dirk"});
  db().SetSetting("PouleActivateWarning", "No");
  auto w = Window();
  LPanePoule* pane = Show(*w, pool);
  pane->Button(QStringLiteral("Start poule"))->click();
  LGrid* table = pane->Standings();
  ASSERT_EQ(table->RowCount(), 4);
  ASSERT_EQ(table->ColumnCount(), 3 + 4 + 2);
  EXPECT_EQ(table->ColumnTitle(1), QStringLiteral("Speler"));
  EXPECT_EQ(table->ColumnTitle(3), QStringLiteral("1"));
  EXPECT_EQ(table->ColumnTitle(7), QStringLiteral("Gewonnen"));
  EXPECT_EQ(table->ColumnTitle(8), QStringLiteral("Stand"));
  for (int i = 0; i < 4; ++i)
    EXPECT_EQ(table->Model()->index(i, 3 + i).data(Qt::BackgroundRole).value<QBrush>().color(), QColor(192, 192, 192));

  std::vector<MatchRecord> matches;
  db().ListMatches(pool, matches);
  ASSERT_EQ(matches.size(), 6u);
  // The lower number wins every match but the last.
  for (size_t i = 0; i < matches.size(); ++i) Play(matches[i], i + 1 < matches.size());
  // Still unfinished until the last result is in.
  db().ClearResult(matches.back().id);
  pane->Refresh();
  for (int i = 0; i < 4; ++i) EXPECT_TRUE(table->Cell(i, 8).isEmpty());
  Play(matches.back(), false);
  pane->Refresh();

  LinkResolver resolver(db(), app->IdToernooi());
  const std::vector<int>& places = resolver.Places(pool);
  const std::vector<std::string>& why = resolver.Explanations(pool);
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(table->Cell(i, 8), QString::number(places[i] + 1)) << i;
    EXPECT_EQ(table->Model()->index(i, 8).data(Qt::ToolTipRole).toString(),
              QString::fromStdString(why[i]).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
  }
  // Per match: 1 in the winner's row under the loser, 0 the other way round.
  const std::vector<Contestant>& positions = resolver.Contestants(pool);
  auto index = [&](int id) {
    for (size_t i = 0; i < positions.size(); ++i)
      if (positions[i].id == id) return static_cast<int>(i);
    return -1;
  };
  std::vector<int> wins(4, 0);
  for (const MatchEntry& m : resolver.Matches(pool)) {
    int a = index(m.idContestant1), b = index(m.idContestant2);
    int winner = m.indexWinner == 0 ? a : b, loser = m.indexWinner == 0 ? b : a;
    EXPECT_EQ(table->Cell(winner, 3 + loser), QStringLiteral("1"));
    EXPECT_EQ(table->Cell(loser, 3 + winner), QStringLiteral("0"));
    ++wins[winner];
  }
  for (int i = 0; i < 4; ++i) EXPECT_EQ(table->Cell(i, 7), QString::number(wins[i]));
  // The match list names every result beside its players.
  const MatchSystem system = EffectiveMatchSystem(db(), pool);
  for (const MatchEntry& m : resolver.Matches(pool)) {
    int row = 0;
    while (row < 6 && pane->MatchList()->RowData(row) != m.id) ++row;
    ASSERT_LT(row, 6);
    EXPECT_EQ(pane->MatchList()->Cell(row, LPanePoule::kColResult), QString::fromStdString(MatchResultText(m, system)));
    EXPECT_FALSE(pane->MatchList()->Cell(row, LPanePoule::kColResult).isEmpty());
  }
}

}  // namespace
}  // namespace velgram::testing
