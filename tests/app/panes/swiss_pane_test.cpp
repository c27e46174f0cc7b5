// The Swiss pane driven through its buttons, menus and views.
#include <QHeaderView>
#include <QTest>

#include "app/dialogs/dlg_shuffle.h"
#include "app/panes/pane_swiss.h"
#include "app/pools/dlg_contestants.h"
#include "app/results/dlg_result_sets.h"
#include "competition/match_rules.h"
#include "competition/matchbook.h"
#include "competition/swiss_screen.h"
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
    idPool = AddPool(AddClass("Heren"), "Zwitsers A", kPlaystyleSwiss);
  }
  // n players rated 2000, 1990, ... of the clubs "Club 1" to "Club 3"; the
  // pane of the pool, by default the first one.
  std::unique_ptr<LPaneSwiss> Pane(int n, int pool = 0) {
    if (!pool) pool = idPool;
    for (int i = 1; i <= n; ++i)
      ShellTest::Seat(pool, AddPlayer("Speler " + std::to_string(i), 2010 - 10 * i, "Club " + std::to_string(i % 3 + 1), "B"));
    auto pane = std::make_unique<LPaneSwiss>(*app, pool);
    pane->resize(1200, 700);
    pane->show();
    pane->SetReviewer(&keep);
    pane->SetExportFolder(dir.File(""));
    pane->Refresh();
    return pane;
  }
  static void Click(LPaneSwiss& pane, const char* button) { pane.Button(QString::fromUtf8(button))->click(); }
  static void Command(LPaneSwiss& pane, const char* item) { RunMenu(pane.CommandMenu(), QString::fromUtf8(item)); }
  std::string Last() const { return prompter.alerts.empty() ? "" : prompter.alerts.back(); }

  KeepProposal keep;
  int idPool = -1;
};

// A whole event through the pane's buttons, menus and dialogs. The round rules
// are the core's (SwissRound.*); here the pane reaches them and shows what they wrote.
TEST_F(SwissPaneTest, ThirteenPlayersPlayFourRoundsAndTheStandingsAreExported) {
  db().Exec(nullptr, "UPDATE Pools SET idMatchSystem=(SELECT id FROM MatchSystems WHERE name='Sets') WHERE id=%d", idPool);
  int late = AddPlayer("Laatkomer", 2100, "Club 9", "A");
  auto pane = Pane(13);
  Click(*pane, "Start poule");
  ASSERT_EQ(pane->CurrentView(), LPaneSwiss::View::kRound);
  Click(*pane, "Bereken volgende ronde");
  EXPECT_EQ(Last().rfind("De wedstrijd tussen ", 0), 0u) << Last();
  EXPECT_EQ(pane->RoundLabel()->text(), QStringLiteral("Ronde: 1"));
  Command(*pane, "Simuleer perfect resultaat");
  Click(*pane, "Bereken volgende ronde");
  Command(*pane, "Simuleer gewogen resultaat");

  // A late entrant after round 2, from the players' list, after a Yes.
  pane->ShowView(LPaneSwiss::View::kPlayers);
  OnModal<LDlgAddContestants>([&](LDlgAddContestants* d) {
    d->participants->SelectRow(d->participants->FindRowData(late));
    d->AddSelected();
    d->accept();
  });
  RunMenu(pane->RowMenu(-1), QStringLiteral("Speler toevoegen"));
  EXPECT_EQ(prompter.questions.back(), "Weet u zeker dat u een speler wilt toevoegen?");
  ASSERT_EQ(pane->Grid()->RowCount(), 14);
  Click(*pane, "Bereken volgende ronde");
  ASSERT_EQ(pane->RoundLabel()->text(), QStringLiteral("Ronde: 3"));

  // Round 3 through the result dialog, one double click per match.
  LGrid* g = pane->Grid();
  std::vector<int> open;
  for (int r = 0; r < g->RowCount(); ++r)
    if (g->RowData(r) > 0) open.push_back(g->RowData(r));
  for (int idMatch : open) {
    OnModal<LDlgResultSingleSets>([](LDlgResultSingleSets* d) { d->SideButton(1)->click(); });
    DoubleClick(g, g->FindRowData(idMatch));
  }
  ASSERT_EQ(open.size(), 7u);
  for (const MatchEntry& m : pane->Pool().matches) EXPECT_GE(m.indexWinner, 0);  // as read again after each

  // One player leaves after round 3.
  pane->ShowView(LPaneSwiss::View::kPlayers);
  const std::string leaver = pane->Grid()->Cell(4, 1).toStdString();
  RunMenu(pane->RowMenu(4), QStringLiteral("Speler verwijderen"));
  EXPECT_EQ(prompter.questions.back(), "Weet u zeker, dat u " + leaver + " wilt verwijderen?");
  EXPECT_TRUE(pane->Grid()->Model()->CellAt(4, 1)->strike);
  Click(*pane, "Bereken volgende ronde");
  Command(*pane, "Simuleer anti-perfect resultaat");
  ASSERT_EQ(pane->RoundLabel()->text(), QStringLiteral("Ronde: 4"));

  // "Stand" shows the core's standings (SwissStandLines.*), the leaver struck
  // out; the export has every round expanded (its form: SwissExportText.*).
  std::unique_ptr<LPool> core = LoadPool(db(), idPool);
  auto& swiss = dynamic_cast<LSwiss&>(*core);
  swiss.Load(db());
  swiss.Standings(swiss.contestants, swiss.matches);
  pane->ShowView(LPaneSwiss::View::kStand);
  for (const SwissStandLine& line : SwissStandLines(swiss, {}, {})) {
    const int row = g->FindRowData(line.idContestant);
    EXPECT_EQ(std::pair(Cells(*g, row, {1, 2, 3}).toStdString(), g->Model()->CellAt(row, 2)->strike),
              std::pair(line.cells[1] + "|" + line.cells[2] + "|" + line.cells[3], line.removed));
  }
  Command(*pane, "Exporteer");
  const std::string path = dir.File("") + "/VelgramExport.txt";
  EXPECT_EQ(Last(), path);
  const std::string written = ReadFileBytes(path);
  EXPECT_EQ(written.rfind(SwissExportText({SwissStandHeader(false)}), 0), 0u);
  EXPECT_NE(written.find(";;4 Niet gespeeld;"), std::string::npos);  // the leaver's rounds

  // An export that cannot be written says so and leaves the old file.
  pane->SetExportFolder(dir.File("missing"));
  Command(*pane, "Exporteer");
  EXPECT_EQ(Last(), "Kan het bestand niet opnenen.");
  EXPECT_EQ(ReadFileBytes(path), written);

  // A click opens a player's rounds under him in "Stand", also when sorted:
  // here the player with the bye of round 2.
  std::set<int> bye;
  for (const Contestant& c : pane->Pool().contestants) bye.insert(c.id);
  for (const RoundEntry& r : pane->Pool().rounds)
    for (const MatchEntry& m : pane->Pool().matches)
      if (r.round == 2 && r.idMatch == m.id) bye.erase(m.idContestant1), bye.erase(m.idContestant2);
  bye.erase(late);
  ASSERT_EQ(bye.size(), 1u);
  QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, g->visualRect(g->Model()->index(g->FindRowData(*bye.begin()), 0)).center());
  for (bool sorted : {false, true}) {
    SCOPED_TRACE(sorted ? "sorted by name" : "by place");
    if (sorted) ClickHeader(g, 2);
    QCoreApplication::processEvents();
    const int row = g->FindRowData(*bye.begin());
    ASSERT_EQ(std::pair(g->RowCount(), int(Column(g, 0).count(QStringLiteral("+")))), std::pair(18, 13));
    EXPECT_EQ(QStringList({g->Cell(row, 0), g->Cell(row + 1, 2).left(2), g->Cell(row + 2, 2), g->Cell(row + 2, 5), g->Cell(row + 3, 2).left(2)}),
              QStringList({"\u2212", "1 ", "2 Bye", "1", "3 "}));
  }
  EXPECT_EQ(g->Cell(0, 2), QStringLiteral("Laatkomer"));
  // Every view shows the club when asked.
  pane->ClubBox()->click();
  EXPECT_EQ(db().GetSetting("SwissClub" + std::to_string(app->IdToernooi())), "1");
  for (auto [view, col] : {std::pair{LPaneSwiss::View::kStand, 2}, std::pair{LPaneSwiss::View::kRound, 0},
                           std::pair{LPaneSwiss::View::kMatrix, 1}, std::pair{LPaneSwiss::View::kPlayers, 1}}) {
    pane->ShowView(view);
    EXPECT_TRUE((Column(g, col) + Column(g, col + 1)).contains(QStringLiteral("Speler 1 (Club 2)"))) << static_cast<int>(view);
  }

  // A round with results goes only after a Yes; the button brings back whoever
  // was removed, and is off while nobody is.
  prompter.answers = {false};
  for (const char* label : {"Ronde: 4", "Ronde: 3"}) {
    Command(*pane, "Verwijder huidige ronde");
    EXPECT_EQ(prompter.questions.back(), "Deze ronde heeft al uitslagen. Toch verwijderen?");
    EXPECT_EQ(pane->RoundLabel()->text(), QString::fromLatin1(label));
  }
  QPushButton* back = pane->Button(QStringLiteral("Speler weer indelen"));
  ASSERT_TRUE(back && back->isVisibleTo(pane.get()) && back->isEnabled());
  back->click();
  std::vector<ContestantRecord> seats;
  db().ListContestants(idPool, seats);
  for (const ContestantRecord& c : seats) EXPECT_GE(c.poolPos, 0);
  EXPECT_FALSE(back->isEnabled());
}

// The improvement dialog on its worker: OK writes the best pairing it
// showed; closing it while the worker runs waits for the worker and keeps
// the proposal.
TEST_F(SwissPaneTest, ImprovementDialogWritesWhatItShowsAndWaitsForItsWorker) {
  for (bool ok : {true, false}) {
    SCOPED_TRACE(ok ? "OK" : "closed");
    const int pool = ok ? idPool : AddPool(AddClass("Dames"), "Zwitsers B", kPlaystyleSwiss);
    auto pane = Pane(8, pool);
    pane->SetReviewer(nullptr);
    Click(*pane, "Start poule");
    Command(*pane, "Simuleer perfect resultaat");
    std::set<std::pair<int, int>> shown;
    OnModal<LDlgShuffle>([&](LDlgShuffle* d) {
      // The blue cells of a matrix as contestant pairs (row's, column's).
      auto blue = [d](LGrid* grid) {
        std::set<std::pair<int, int>> pairs;
        const std::vector<LCard>& cards = d->Engine().Cards();
        for (int r = 0; r < grid->RowCount(); ++r)
          for (int c = r + 1; c < grid->ColumnCount(); ++c)
            if (grid->Model()->CellAt(r, c)->bg == QColor(0, 0, 255))
              pairs.insert(std::minmax(cards[r].contestantId, cards[c].contestantId));
        return pairs;
      };
      if (!ok) shown = blue(d->proposal);
      d->startButton->click();
      EXPECT_EQ(d->startButton->text(), QStringLiteral("Stop"));
      EXPECT_FALSE(d->okButton->isEnabled());
      QTRY_VERIFY_WITH_TIMEOUT(!d->shuffles->text().isEmpty() && d->shuffles->text() != QStringLiteral("0"), 5000);
      if (!ok) {
        d->close();
        EXPECT_FALSE(d->Engine().Running());
        return;
      }
      d->startButton->click();  // Stop
      EXPECT_TRUE(d->okButton->isEnabled());
      EXPECT_EQ(d->startButton->text(), QStringLiteral("Start"));
      shown = blue(d->best);
      d->okButton->click();
    });
    Click(*pane, "Bereken volgende ronde");
    std::set<std::pair<int, int>> round2;  // as the pane read them back
    for (const MatchEntry& m : pane->Pool().matches)
      for (const RoundEntry& r : pane->Pool().rounds)
        if (r.round == 2 && r.idMatch == m.id) round2.insert(std::minmax(m.idContestant1, m.idContestant2));
    ASSERT_EQ(shown.size(), 4u);
    EXPECT_EQ(round2, shown);
  }
}

}  // namespace
}  // namespace velgram::testing
