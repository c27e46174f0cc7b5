// The Swiss pane driven through its buttons, menus and views, and the
// improvement dialog on a real worker thread.
#include <QTest>

#include <fstream>
#include <sstream>

#include "app/dialogs/dlg_shuffle.h"
#include "app/panes/pane_swiss.h"
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
  EXPECT_TRUE(Column(pane->Grid(), 1).contains(QStringLiteral("Niet gespeeld")));
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
  // And back into the draw.
  Run(pane->RowMenu(pane->Grid()->FindRowData(Positions()[0].id)), QStringLiteral("Speler verwijderen"));
  EXPECT_EQ(prompter.questions.back(), "Weet u zeker, dat u Speler 1 weer wilt indelen?");
  EXPECT_EQ(Positions()[0].poolPos, 0);
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
  ASSERT_EQ(g->RowCount(), 8);
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
