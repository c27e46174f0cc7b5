// The Swiss pane driven through its buttons, menus and views, and the
// improvement dialog on a real worker thread.
#include <QHeaderView>
#include <QTest>

#include <fstream>
#include <sstream>

#include "app/dialogs/dlg_shuffle.h"
#include "app/panes/pane_swiss.h"
#include "app/pools/dlg_contestants.h"
#include "app/results/dlg_result_sets.h"
#include "competition/match_rules.h"
#include "competition/matchbook.h"
#include "tests/app/shell_fixture.h"

namespace velgram::testing {
namespace {

// Keeps every proposed round as it is.
class KeepProposal : public PairingReviewer {
 public:
  std::vector<LCard> Review(const std::vector<LCard>&, const std::vector<MatchEntry>&) override { return {}; }
};

class SwissPaneTest : public ShellTest {
 protected:
  SwissPaneTest() {
    OpenTournament();
    db().SetSetting("PouleActivateWarning", "No");
    idSystem = AddClass("Heren");
    idPool = AddPool(idSystem, "Zwitsers A", kPlaystyleSwiss);
  }

  // n players rated 2000, 1990, ... of the clubs "Club 1" to "Club 3".
  void Seat(int n) {
    for (int i = 1; i <= n; ++i)
      ShellTest::Seat(idPool, AddPlayer("Speler " + std::to_string(i), 2010 - 10 * i, "Club " + std::to_string(i % 3 + 1), "B"));
  }
  std::unique_ptr<LPaneSwiss> Pane() {
    auto pane = std::make_unique<LPaneSwiss>(*app, idPool);
    pane->resize(1200, 700);
    pane->show();
    pane->SetReviewer(&keep);
    pane->SetExportFolder(dir.File(""));
    pane->Refresh();
    return pane;
  }
  static void Run(QMenu* menu, const QString& text) {
    ASSERT_NE(menu, nullptr);
    for (QAction* a : menu->actions())
      if (a->text() == text) return a->trigger();
    ADD_FAILURE() << "no menu item " << text.toStdString();
  }
  static QStringList Column(LGrid* grid, int col) {
    QStringList texts;
    for (int r = 0; r < grid->RowCount(); ++r) texts << grid->Cell(r, col);
    return texts;
  }
  std::vector<ContestantRecord> Positions() {
    std::vector<ContestantRecord> list;
    db().ListContestants(idPool, list);
    return list;
  }
  std::vector<MatchRecord> Matches() {
    std::vector<MatchRecord> list;
    db().ListMatches(idPool, list);
    db().ReadResults(list);
    return list;
  }
  std::string Last() const { return prompter.alerts.empty() ? "" : prompter.alerts.back(); }

  KeepProposal keep;
  int idSystem = -1, idPool = -1;
};

TEST_F(SwissPaneTest, StartIsRefusedWithOnePlayer) {
  Seat(1);
  auto pane = Pane();
  pane->Button(QStringLiteral("Start poule"))->click();
  EXPECT_EQ(Last(), "Een poule moet minstens twee spelers hebben.");
  EXPECT_TRUE(Matches().empty());
  EXPECT_TRUE(pane->Button(QStringLiteral("Start poule"))->isVisibleTo(pane.get()));
}

TEST_F(SwissPaneTest, OpenMatchBlocksTheNextRoundButNotOneAgainstNotPlayed) {
  Seat(5);
  auto pane = Pane();
  pane->Button(QStringLiteral("Start poule"))->click();
  ASSERT_EQ(pane->CurrentView(), LPaneSwiss::View::kRound);
  EXPECT_EQ(Column(pane->Grid(), 1), (QStringList{"Speler 5", "Speler 4", "Bye"}));

  std::vector<MatchRecord> round1 = Matches();
  SaveResult(db(), round1[0].id, DecideWinnerOnly(0));
  pane->Button(QStringLiteral("Bereken volgende ronde"))->click();
  EXPECT_EQ(Last(), "De wedstrijd tussen Speler 2 en Speler 4 heeft nog geen uitslag.");
  EXPECT_EQ(pane->RoundLabel()->text(), QStringLiteral("Ronde: 1"));

  // Speler 3 leaves: round 2 gives it a NotPlayed match, never to be played.
  pane->ShowView(LPaneSwiss::View::kPlayers);
  Run(pane->RowMenu(2), QStringLiteral("Speler verwijderen"));
  EXPECT_EQ(prompter.questions.back(), "Weet u zeker, dat u Speler 3 wilt verwijderen?");
  EXPECT_TRUE(pane->Grid()->Model()->CellAt(2, 1)->strike);
  Run(pane->CommandMenu(), QStringLiteral("Simuleer perfect resultaat"));
  pane->Button(QStringLiteral("Bereken volgende ronde"))->click();
  ASSERT_EQ(pane->RoundLabel()->text(), QStringLiteral("Ronde: 2"));
  int notPlayed = static_cast<int>(Column(pane->Grid(), 1).indexOf(QStringLiteral("Niet gespeeld")));
  ASSERT_GE(notPlayed, 0);
  EXPECT_EQ(pane->Grid()->Cell(notPlayed, 2) + pane->Grid()->Cell(notPlayed, 3), QString());  // no table, no time
  EXPECT_NE(pane->Grid()->Cell(0, 2), QString());
  Run(pane->CommandMenu(), QStringLiteral("Simuleer gewogen resultaat"));
  pane->Button(QStringLiteral("Bereken volgende ronde"))->click();
  EXPECT_EQ(pane->RoundLabel()->text(), QStringLiteral("Ronde: 3"));
}

TEST_F(SwissPaneTest, RemovingAPlayerDeletesBeforeTheStartAndOnlyMarksAfterIt) {
  Seat(4);
  auto pane = Pane();
  Run(pane->RowMenu(3), QStringLiteral("Speler verwijderen"));
  EXPECT_TRUE(prompter.questions.empty());
  EXPECT_EQ(Positions().size(), 3u);

  pane->Button(QStringLiteral("Start poule"))->click();
  pane->ShowView(LPaneSwiss::View::kStand);
  int row = pane->Grid()->FindRowData(Positions()[0].id);
  prompter.answers = {false, true};
  Run(pane->RowMenu(row), QStringLiteral("Speler verwijderen"));
  EXPECT_EQ(Positions()[0].poolPos, 1);  // No: unchanged
  Run(pane->RowMenu(row), QStringLiteral("Speler verwijderen"));
  ASSERT_EQ(Positions().size(), 3u);
  EXPECT_EQ(Positions()[0].poolPos, -1);
  // And back into the draw, by the menu and by the button.
  Run(pane->RowMenu(pane->Grid()->FindRowData(Positions()[0].id)), QStringLiteral("Speler weer indelen"));
  EXPECT_EQ(prompter.questions.back(), "Weet u zeker, dat u Speler 1 weer wilt indelen?");
  EXPECT_EQ(Positions()[0].poolPos, 0);
  QPushButton* back = pane->Button(QStringLiteral("Speler weer indelen"));
  ASSERT_TRUE(back && back->isVisibleTo(pane.get()));
  EXPECT_FALSE(back->isEnabled());  // nobody to bring back
  Run(pane->RowMenu(pane->Grid()->FindRowData(Positions()[1].id)), QStringLiteral("Speler verwijderen"));
  ASSERT_EQ(Positions()[1].poolPos, -1);
  ASSERT_TRUE(back->isEnabled());
  back->click();
  EXPECT_EQ(prompter.questions.back(), "Weet u zeker, dat u Speler 2 weer wilt indelen?");
  EXPECT_EQ(Positions()[1].poolPos, 0);
  // A late entrant through its own button.
  int opened = 0;
  OnModal<LDlgAddContestants>([&](LDlgAddContestants* d) {
    ++opened;
    d->reject();
  });
  pane->Button(QStringLiteral("Speler toevoegen"))->click();
  EXPECT_EQ(prompter.questions.back(), "Weet u zeker dat u een speler wilt toevoegen?");
  EXPECT_EQ(opened, 1);
}

TEST_F(SwissPaneTest, StandExpandsAPlayersRoundsWithItsBye) {
  Seat(5);
  auto pane = Pane();
  pane->Button(QStringLiteral("Start poule"))->click();
  for (int round = 2; round <= 3; ++round) {
    Run(pane->CommandMenu(), QStringLiteral("Simuleer perfect resultaat"));
    pane->Button(QStringLiteral("Bereken volgende ronde"))->click();
  }
  ASSERT_EQ(pane->Pool().maxRound, 3);
  // Who had the bye of round 2: the active player without a match in it.
  std::set<int> inRound2;
  for (const RoundEntry& r : pane->Pool().rounds)
    for (const MatchEntry& m : pane->Pool().matches)
      if (r.round == 2 && r.idMatch == m.id) inRound2.insert({m.idContestant1, m.idContestant2});
  int bye = -1;
  for (const Contestant& c : pane->Pool().contestants)
    if (!inRound2.count(c.id)) bye = c.id;
  ASSERT_GT(bye, 0);

  pane->ShowView(LPaneSwiss::View::kStand);
  LGrid* g = pane->Grid();
  int row = g->FindRowData(bye);
  QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, g->visualRect(g->Model()->index(row, 0)).center());
  QCoreApplication::processEvents();
  ASSERT_EQ(g->RowCount(), 8);
  EXPECT_EQ(g->Cell(row, 0), QStringLiteral("\u2212"));
  EXPECT_EQ(Column(g, 0).count(QStringLiteral("+")), 4);
  EXPECT_EQ(g->Cell(row + 2, 2), QStringLiteral("2 Bye"));
  EXPECT_EQ(g->Cell(row + 2, 5), QStringLiteral("1"));
  EXPECT_EQ(g->Cell(row + 1, 2).left(2), QStringLiteral("1 "));
  EXPECT_EQ(g->Cell(row + 3, 2).left(2), QStringLiteral("3 "));

  // Sorting by name keeps the round lines under their player.
  QTest::mouseClick(g->horizontalHeader()->viewport(), Qt::LeftButton, {},
                    QPoint(g->horizontalHeader()->sectionViewportPosition(2) + 5, 5));
  EXPECT_EQ(g->Cell(0, 2), QStringLiteral("Speler 1"));
  row = g->FindRowData(bye);
  EXPECT_EQ(g->Cell(row + 2, 2), QStringLiteral("2 Bye"));
  EXPECT_EQ(g->RowCount(), 8);
}

TEST_F(SwissPaneTest, TheSortArrowGoesWithItsView) {
  Seat(3);
  auto pane = Pane();
  pane->Button(QStringLiteral("Start poule"))->click();
  pane->ShowView(LPaneSwiss::View::kPlayers);
  QHeaderView* header = pane->Grid()->horizontalHeader();
  QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(header->sectionViewportPosition(3) + 5, 5));
  ASSERT_TRUE(header->isSortIndicatorShown());
  pane->ShowView(LPaneSwiss::View::kMatrix);
  EXPECT_FALSE(header->isSortIndicatorShown());
}

TEST_F(SwissPaneTest, ClubIsShownInEveryViewWhenTicked) {
  Seat(3);
  auto pane = Pane();
  pane->ClubBox()->click();
  EXPECT_EQ(db().GetSetting("SwissClub" + std::to_string(app->IdToernooi())), "1");
  EXPECT_EQ(pane->Grid()->Cell(0, 1), QStringLiteral("Speler 1 (Club 2)"));
  pane->Button(QStringLiteral("Start poule"))->click();
  EXPECT_EQ(pane->Grid()->Cell(0, 0), QStringLiteral("Speler 1 (Club 2)"));
  pane->ShowView(LPaneSwiss::View::kMatrix);
  EXPECT_TRUE(Column(pane->Grid(), 1).contains(QStringLiteral("Speler 1 (Club 2)")));
  pane->ShowView(LPaneSwiss::View::kStand);
  EXPECT_TRUE(Column(pane->Grid(), 2).contains(QStringLiteral("Speler 1 (Club 2)")));
}

TEST_F(SwissPaneTest, DeletingARoundWithResultsAsksFirst) {
  Seat(4);
  auto pane = Pane();
  pane->Button(QStringLiteral("Start poule"))->click();
  Run(pane->CommandMenu(), QStringLiteral("Simuleer perfect resultaat"));
  prompter.answers = {false};
  Run(pane->CommandMenu(), QStringLiteral("Verwijder huidige ronde"));
  EXPECT_EQ(prompter.questions.back(), "Deze ronde heeft al uitslagen. Toch verwijderen?");
  EXPECT_EQ(Matches().size(), 2u);
  Run(pane->CommandMenu(), QStringLiteral("Verwijder huidige ronde"));
  EXPECT_TRUE(Matches().empty());

  // A round without results goes without a question.
  pane->Button(QStringLiteral("Start poule"))->click();
  size_t asked = prompter.questions.size();
  Run(pane->CommandMenu(), QStringLiteral("Verwijder huidige ronde"));
  EXPECT_EQ(prompter.questions.size(), asked);
  EXPECT_TRUE(Matches().empty());
}

TEST_F(SwissPaneTest, ExportThatCannotBeWrittenLeavesTheOldFile) {
  Seat(3);
  auto pane = Pane();
  pane->Button(QStringLiteral("Start poule"))->click();
  pane->SetExportFolder(dir.File("missing"));
  Run(pane->CommandMenu(), QStringLiteral("Exporteer"));
  EXPECT_EQ(Last(), "Kan het bestand niet opnenen.");
}

// What the export must hold, written from the core's own standings: the
// header, then every player in standings order with each of its rounds.
std::string ExpectedExport(Database& db, int idPool) {
  std::unique_ptr<LPool> base = LoadPool(db, idPool);
  auto& pool = dynamic_cast<LSwiss&>(*base);
  pool.Load(db);
  pool.Standings(pool.contestants, pool.matches);
  std::string text = ";Nr;Naam;Klasse;Sterkte;Punten;Weerstand;Zwitsers\n";
  for (int place = 0; place < static_cast<int>(pool.contestants.size()); ++place) {
    size_t i = std::find(pool.places.begin(), pool.places.end(), place) - pool.places.begin();
    const Contestant& c = pool.contestants.at(i);
    text += "+;" + std::to_string(place + 1) + ";" + c.name + ";" + c.klasse + ";" + std::to_string(c.rating) + ";" +
            std::to_string(pool.Points(c)) + ";" + std::to_string(pool.Resistance(c)) + ";" + pool.SwissScoreText(c) +
            "\n";
    for (int round = 1; round <= pool.maxRound; ++round) {
      const MatchEntry* played = nullptr;
      for (const RoundEntry& r : pool.rounds)
        for (const MatchEntry& m : pool.matches)
          if (r.round == round && r.idMatch == m.id && (m.idContestant1 == c.id || m.idContestant2 == c.id)) played = &m;
      std::string line = ";;" + std::to_string(round) + " ";
      if (!played) {
        line += c.poolPos < 0 ? "Verwijderd;;;0;;" : "Bye;;;1;;";
      } else {
        bool first = played->idContestant1 == c.id;
        int other = first ? played->idContestant2 : played->idContestant1;
        auto opponent = std::find_if(pool.contestants.begin(), pool.contestants.end(),
                                     [&](const Contestant& o) { return o.id == other; });
        line += opponent == pool.contestants.end() ? "Niet gespeeld;;" : opponent->name + ";;" + std::to_string(opponent->rating);
        line += ";";
        if (played->indexWinner >= 0) line += (played->indexWinner == 0) == first ? "1" : "0";
        line += ";;";
      }
      text += line + "\n";
    }
  }
  return text;
}

TEST_F(SwissPaneTest, ThirteenPlayersPlayFiveRoundsAndTheStandingsAreExported) {
  Seat(13);
  std::vector<MatchSystem> systems;
  db().ListMatchSystems(&systems);
  for (const MatchSystem& m : systems)
    if (m.name == "Sets") db().Exec(nullptr, "UPDATE Pools SET idMatchSystem=%d WHERE id=%d", m.id, idPool);
  int late = AddPlayer("Laatkomer", 2100, "Club 9", "A");
  auto pane = Pane();
  pane->Button(QStringLiteral("Start poule"))->click();
  Run(pane->CommandMenu(), QStringLiteral("Simuleer perfect resultaat"));
  pane->Button(QStringLiteral("Bereken volgende ronde"))->click();
  Run(pane->CommandMenu(), QStringLiteral("Simuleer gewogen resultaat"));

  // A late entrant after round 2, from the players' list.
  pane->ShowView(LPaneSwiss::View::kPlayers);
  OnModal<LDlgAddContestants>([&](LDlgAddContestants* d) {
    d->participants->SelectRow(d->participants->FindRowData(late));
    d->AddSelected();
    d->accept();
  });
  Run(pane->RowMenu(-1), QStringLiteral("Speler toevoegen"));
  ASSERT_EQ(pane->Grid()->RowCount(), 14);
  pane->Button(QStringLiteral("Bereken volgende ronde"))->click();
  ASSERT_EQ(pane->RoundLabel()->text(), QStringLiteral("Ronde: 3"));

  // Round 3 through the result dialog, one double click per match.
  LGrid* g = pane->Grid();
  std::vector<int> open;
  for (int r = 0; r < g->RowCount(); ++r)
    if (g->RowData(r) > 0) open.push_back(g->RowData(r));
  ASSERT_EQ(open.size(), 7u);
  for (int idMatch : open) {
    OnModal<LDlgResultSingleSets>([](LDlgResultSingleSets* d) { d->SideButton(1)->click(); });
    QModelIndex index = g->Model()->index(g->FindRowData(idMatch), 0);
    g->scrollTo(index);
    QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, g->visualRect(index).center());
    QTest::mouseDClick(g->viewport(), Qt::LeftButton, {}, g->visualRect(index).center());
    QCoreApplication::processEvents();
  }
  for (const MatchRecord& m : Matches()) EXPECT_GE(m.indexWinner, 0);

  // One player leaves after round 3.
  pane->ShowView(LPaneSwiss::View::kPlayers);
  Run(pane->RowMenu(4), QStringLiteral("Speler verwijderen"));
  for (int round = 4; round <= 5; ++round) {
    pane->Button(QStringLiteral("Bereken volgende ronde"))->click();
    Run(pane->CommandMenu(), round == 4 ? QStringLiteral("Simuleer anti-perfect resultaat") : QStringLiteral("Simuleer perfect resultaat"));
  }
  ASSERT_EQ(pane->RoundLabel()->text(), QStringLiteral("Ronde: 5"));

  // "Stand" agrees with the core's standings.
  std::unique_ptr<LPool> core = LoadPool(db(), idPool);
  auto& swiss = dynamic_cast<LSwiss&>(*core);
  swiss.Load(db());
  swiss.Standings(swiss.contestants, swiss.matches);
  pane->ShowView(LPaneSwiss::View::kStand);
  ASSERT_EQ(g->RowCount(), 14);
  for (size_t i = 0; i < swiss.contestants.size(); ++i) {
    const Contestant& c = swiss.contestants[i];
    int row = g->FindRowData(c.id);
    ASSERT_GE(row, 0);
    EXPECT_EQ(g->Cell(row, 1), QString::number(swiss.places[i] + 1));
    EXPECT_EQ(g->Cell(row, 5), QString::number(swiss.Points(c)));
    EXPECT_EQ(g->Cell(row, 7), QString::fromStdString(swiss.SwissScoreText(c)));
    EXPECT_EQ(g->Model()->CellAt(row, 2)->strike, c.poolPos < 0);
  }

  Run(pane->CommandMenu(), QStringLiteral("Exporteer"));
  std::string path = dir.File("") + "/VelgramExport.txt";
  EXPECT_EQ(Last(), path);
  std::ifstream in(path, std::ios::binary);
  std::stringstream written;
  written << in.rdbuf();
  EXPECT_EQ(written.str(), ExpectedExport(db(), idPool));
  EXPECT_EQ(g->RowCount(), 14);  // the grid folded back
}

// The improvement dialog on its worker: what OK writes is the best pairing
// it showed; closing it while the worker runs waits for the worker.
class ShuffleDialogTest : public SwissPaneTest {
 protected:
  // Round 1 of eight players played; the pane with the real dialog.
  std::unique_ptr<LPaneSwiss> Round2Pane() {
    Seat(8);
    auto pane = Pane();
    pane->SetReviewer(nullptr);
    pane->Button(QStringLiteral("Start poule"))->click();
    Run(pane->CommandMenu(), QStringLiteral("Simuleer perfect resultaat"));
    return pane;
  }
  static void RunUntilCounted(LDlgShuffle* d) {
    d->startButton->click();
    EXPECT_EQ(d->startButton->text(), QStringLiteral("Stop"));
    EXPECT_FALSE(d->okButton->isEnabled());
    QTRY_VERIFY_WITH_TIMEOUT(!d->shuffles->text().isEmpty() && d->shuffles->text() != QStringLiteral("0"), 5000);
  }
  // The blue cells of a matrix as contestant pairs (row's, column's).
  static std::set<std::pair<int, int>> BluePairs(LDlgShuffle* d, LGrid* grid) {
    std::set<std::pair<int, int>> pairs;
    const std::vector<LCard>& cards = d->Engine().Cards();
    for (int r = 0; r < grid->RowCount(); ++r)
      for (int c = r + 1; c < grid->ColumnCount(); ++c)
        if (grid->Model()->CellAt(r, c)->bg == QColor(0, 0, 255))
          pairs.insert(std::minmax(cards[r].contestantId, cards[c].contestantId));
    return pairs;
  }
  std::set<std::pair<int, int>> Round2() {
    std::vector<RoundEntry> rounds;
    db().ListRounds(rounds, idPool);
    std::set<std::pair<int, int>> pairs;
    for (const MatchRecord& m : Matches())
      for (const RoundEntry& r : rounds)
        if (r.round == 2 && r.idMatch == m.id) pairs.insert(std::minmax(m.idContestant1, m.idContestant2));
    return pairs;
  }
};

TEST_F(ShuffleDialogTest, OkWritesTheBestPairingShown) {
  auto pane = Round2Pane();
  std::set<std::pair<int, int>> shown;
  OnModal<LDlgShuffle>([&](LDlgShuffle* d) {
    RunUntilCounted(d);
    d->startButton->click();  // Stop
    EXPECT_TRUE(d->okButton->isEnabled());
    EXPECT_EQ(d->startButton->text(), QStringLiteral("Start"));
    shown = BluePairs(d, d->best);
    d->okButton->click();
  });
  pane->Button(QStringLiteral("Bereken volgende ronde"))->click();
  ASSERT_EQ(shown.size(), 4u);
  EXPECT_EQ(Round2(), shown);
}

TEST_F(ShuffleDialogTest, ClosingWhileTheWorkerRunsKeepsTheProposal) {
  auto pane = Round2Pane();
  std::set<std::pair<int, int>> proposal;
  OnModal<LDlgShuffle>([&](LDlgShuffle* d) {
    proposal = BluePairs(d, d->proposal);
    RunUntilCounted(d);
    d->close();
    EXPECT_FALSE(d->Engine().Running());
  });
  pane->Button(QStringLiteral("Bereken volgende ronde"))->click();
  EXPECT_EQ(Round2(), proposal);
}

}  // namespace
}  // namespace velgram::testing
