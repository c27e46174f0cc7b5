// The matches pane and the match-slips pane driven as the director does.
#include <QImage>
#include <QProcess>
#include <QTest>
#include <functional>

#include "app/panes/pane_matches.h"
#include "app/printing/print_preview.h"
#include "app/results/dlg_result_sets.h"
#include "competition/match_rules.h"
#include "tests/app/dialog_fixture.h"

namespace velgram::testing {
namespace {

class MatchPanesTest : public DialogTest {
 protected:
  MatchPanesTest() { OpenTournament(); }
  // The window shown, with the pane of the type in front.
  template <typename P>
  P* Shown(NavType type) {
    window = Window();
    window->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    return Show<P>(*window, type);
  }
  // The players seated, every pair a match at its own table and time; the match ids.
  std::vector<int> Pool(int idSystem, const std::string& name, const std::vector<std::string>& players,
                        int playstyle = kPlaystylePoule) {
    lastPool_ = AddPool(idSystem, name, playstyle);
    for (const std::string& p : players) Seat(lastPool_, AddPlayer(p));
    const std::vector<ContestantRecord> seats = Seats(lastPool_);
    std::vector<int> ids;
    for (size_t i = 0; i < seats.size(); ++i)
      for (size_t j = i + 1; j < seats.size(); ++j) {
        const int n = next_++;
        ids.push_back(db().AddMatch(lastPool_, seats[i].id, seats[j].id, 1 + n % 3, 900 + n * 10 % 60 + n / 6 * 100));
      }
    return ids;
  }
  // A match of the last pool's first seat against nobody.
  void AddBye() { db().AddMatch(lastPool_, Seats(lastPool_)[0].id, kNotPlayed, 0, 0); }
  std::string Key() const { return std::to_string(app->IdToernooi()); }
  std::unique_ptr<CVelgramDlg> window;
  int next_ = 0;
  int lastPool_ = -1;
};

// A double click enters the result with the pool's own rules (here the winner
// only); the box cycles through open, all and played; a hidden pane catches up.
TEST_F(MatchPanesTest, DoubleClickEntersAResultAndThePlayedBoxAndNoticesChooseTheRows) {
  const std::vector<int> ids = Pool(AddClass("Heren A"), "Poule 1", {"Anna", "Bert", "Cor"});
  db().Exec(nullptr, "UPDATE Pools SET idMatchSystem=(SELECT id FROM MatchSystems WHERE name='Sets') WHERE id=%d", lastPool_);
  AddBye();  // nobody plays it
  auto* pane = Shown<LPaneMatches>(NavType::Matches);
  ASSERT_NE(pane, nullptr);
  LGrid* g = pane->Grid();
  EXPECT_EQ(g->RowCount(), 3);  // open matches first
  OnModal<LDlgResultSingleSets>([](LDlgResultSingleSets* d) { d->SideButton(1)->click(); });
  DoubleClick(g, g->FindRowData(ids[1]), 2);
  EXPECT_EQ(std::pair(g->RowCount(), StoredMatch(db(), ids[1]).indexWinner), std::pair(2, 1));
  const std::tuple<Qt::CheckState, int, const char*> steps[] = {{Qt::PartiallyChecked, 3, "Gespeeld en niet gespeeld"},
                                                                {Qt::Checked, 1, "Gespeeld"},
                                                                {Qt::Unchecked, 2, "Niet gespeeld"}};
  for (auto [state, rows, subtitle] : steps) {
    pane->PlayedBox()->click();
    ASSERT_EQ(pane->PlayedBox()->checkState(), state);
    EXPECT_EQ(g->RowCount(), rows) << subtitle;
    EXPECT_EQ(pane->PrintSubtitle(), QString::fromUtf8(subtitle));
  }
  pane->PlayedBox()->click();
  pane->PlayedBox()->click();  // played ones
  pane->hide();
  ASSERT_TRUE(SaveResult(db(), ids[0], DecideWalkover(0)));
  window->NotifyDataChanged();
  EXPECT_EQ(g->FindRowData(ids[0]), -1);  // a hidden pane waits
  pane->show();
  QTRY_VERIFY_WITH_TIMEOUT(g->FindRowData(ids[0]) >= 0, 2000);
  EXPECT_EQ(g->Cell(g->FindRowData(ids[0]), LPaneMatches::kResultaat), QStringLiteral("0-1 w.o."));
  db().DeletePool(lastPool_);
  pane->OpenRow(0);
  pane->OpenMatch(ids[0] + 1000);
  EXPECT_EQ(prompter.alerts, std::vector<std::string>(2, "Kan de poule niet vinden."));
}

// After each change told by a notice, the pane shows exactly what a pane
// filled afresh shows: rows, order and widths, in two looks.
TEST_F(MatchPanesTest, NoticesLeaveThePaneAsAFreshFillLeavesIt) {
  auto w = Window();
  const std::tuple<Qt::CheckState, int, int> looks[] = {{Qt::Unchecked, LPaneMatches::kTijd, 0},
                                                        {Qt::PartiallyChecked, LPaneMatches::kSpeler1, 1}};
  for (auto [played, sortColumn, sortDir] : looks) {
    SCOPED_TRACE(sortColumn);
    OpenTournament(sortDir ? "Tweede" : "Eerste");
    const int heren = AddClass("Heren A");
    const std::vector<int> first = Pool(heren, "Poule 1", {"Anna", "Bert", "Cor"});
    const int poule1 = lastPool_;
    const std::vector<int> second = Pool(heren, "Poule 2", {"Dirk", "Eva", "Frank"});
    lastPool_ = AddPool(heren, "Finale");
    Seat(lastPool_, 0, kLinkPlace, poule1);
    Seat(lastPool_, 0, kLinkPlace, poule1);
    const int final = db().AddMatch(lastPool_, Seats(lastPool_)[0].id, Seats(lastPool_)[1].id, 4, 1500);
    const std::pair<const char*, int> settings[] = {
        {"PaneMatchesSortColumn", sortColumn}, {"PaneMatchesSortDir", sortDir}, {"MatchesTables", 1}, {"MatchesTimes", 1}};
    for (auto [name, value] : settings) db().SetSetting(name + Key(), std::to_string(value));
    auto configure = [played = played](LPaneMatches& pane) -> LPaneMatches& {
      pane.PlayedBox()->setCheckState(played);
      pane.resize(900, 500);
      pane.Refresh();
      return pane;
    };
    auto look = [](LPaneMatches& pane) {
      QStringList rows;
      for (int r = 0; r < pane.Grid()->RowCount(); ++r) rows << QString::number(pane.Grid()->RowData(r));
      for (int c = 0; c < pane.Grid()->ColumnCount(); ++c)
        rows << Column(pane.Grid(), c) << QString::number(pane.Grid()->columnWidth(c));
      return rows;
    };
    auto result = [&](int id, int winner) {
      SaveResult(db(), id, DecideWinnerOnly(winner));
      return DataChange::Result(id);
    };
    LPaneMatches pane(*app);
    configure(pane);
    pane.show();
    const std::vector<std::pair<const char*, std::function<DataChange()>>> script = {
        {"result", [&] { return result(first[0], 1); }},
        {"elsewhere", [&] { return result(second[1], 0); }},
        {"pool done", [&] { return result(first[1], 0); }},
        {"links named", [&] { return result(first[2], 0); }},
        {"moved", [&] {
           db().Exec(nullptr, "UPDATE Matches SET tafel=9, starttime=805 WHERE id=%d", second[0]);
           return DataChange::TableTime(second[0]);
         }},
        {"cleared", [&] { ClearStoredResult(db(), prompter, first[1]); return DataChange::Result(first[1]); }},
        {"final", [&] { return result(final, 0); }},
        {"new pool", [&] { Pool(heren, "Poule 3", {"Gijs", "Hans"}); return DataChange::Structure(); }},
    };
    for (const auto& [step, change] : script) {
      w->NotifyDataChanged(change());
      LPaneMatches fresh(*app);
      EXPECT_EQ(look(pane), look(configure(fresh))) << step;
    }
  }
}

// The order chosen by the time header survives a restart (how times sort:
// GridSort.*); the participant filter ignores case and waits for typing to pause.
TEST_F(MatchPanesTest, TimeOrderSurvivesARestartAndTheFilterWaitsForAPause) {
  Pool(AddClass("Heren A"), "Poule 1", {"Jan Smit", "JAN BOS", "Piet jansen", "Kees", "Wim"});  // 9:00 to 10:30
  db().SetSetting("MatchesTimes" + Key(), "1");
  auto* pane = Shown<LPaneMatches>(NavType::Matches);
  EXPECT_TRUE(!pane->Grid()->ColumnHidden(LPaneMatches::kTijd) && pane->Grid()->ColumnHidden(LPaneMatches::kTafel));
  for (int i = 0; i < 2 && Column(pane->Grid(), LPaneMatches::kTijd).first() != "10:30"; ++i)
    ClickHeader(pane->Grid(), LPaneMatches::kTijd);
  const QStringList descending = Column(pane->Grid(), LPaneMatches::kTijd);
  EXPECT_EQ(db().GetSetting("PaneMatchesSortColumn" + Key()) + db().GetSetting("PaneMatchesSortDir" + Key()), "11");
  window.reset();
  app = std::make_unique<CVelgramApp>(dir.File("Velgram.db"));
  app->SetPrompter(&prompter);
  pane = Shown<LPaneMatches>(NavType::Matches);
  EXPECT_EQ(Column(pane->Grid(), LPaneMatches::kTijd), descending);
  QTest::keyClicks(pane->ParticipantField(), QStringLiteral("jan"));
  EXPECT_EQ(pane->Grid()->RowCount(), 10);  // nothing happens while typing
  QTRY_COMPARE_WITH_TIMEOUT(pane->Grid()->RowCount(), 9, 2000);  // all but Kees - Wim
  EXPECT_EQ(pane->PrintSubtitle(), QStringLiteral("jan, Niet gespeeld"));
}

// One pool at a time with its code; a bye gets no slip. Printed as slips,
// several to a page and inside the paper's margins.
TEST_F(MatchPanesTest, SlipsPaneShowsOnePoolWithItsCodeAndPrintsItsSlipsInsideThePaper) {
  const int heren = AddClass("Heren A");
  // 9 players: 36 matches, more than two pages of slips.
  Pool(heren, "Poule 1", {"Jan van der Zandvoort-Meijer (TTV De Zeeuwse Stromen)", "Bert", "Cor", "Dirk", "Eva", "Fien",
                          "Gijs", "Hans", "Ilse"});
  const std::vector<int> swiss = Pool(heren, "Zwitsers", {"Dirk", "Eva"}, kPlaystyleSwiss);
  db().AddRoundMatch(lastPool_, 1, swiss[0]);
  db().AddRoundMatch(lastPool_, 3, swiss[0]);
  AddBye();
  Pool(AddClass("A"), "1", {"Fien", "Gijs"});
  db().SetSetting("MatchNotesInfo" + Key(), "1");
  auto* pane = Shown<LPaneMatchNotes>(NavType::MatchNotes);
  ASSERT_NE(pane, nullptr);
  LGrid* g = pane->Grid();
  EXPECT_EQ(pane->ClassList()->itemText(0) + pane->PoolList()->currentText(), QStringLiteral("A1"));  // no "all" entry
  EXPECT_TRUE(g->ColumnHidden(LPaneMatchNotes::kTafel));
  const std::tuple<const char*, const char*, bool, const char*, int> cases[] = {
      {"Heren A", "Zwitsers", true, "HA.Zs-R3", 2},
      {"Heren A", "Poule 1", false, "Heren A / Poule 1", 36},
      {"Heren A", "Zwitsers", false, "Heren A / Zwitsers / R3", 2}};
  for (auto [klasse, pool, brief, info, rows] : cases) {
    if (pane->BriefBox()->isChecked() != brief) pane->BriefBox()->click();
    pane->ClassList()->setCurrentText(QString::fromUtf8(klasse));
    pane->PoolList()->setCurrentText(QString::fromUtf8(pool));
    ASSERT_EQ(g->RowCount(), rows) << info;
    EXPECT_EQ(g->Cell(0, LPaneMatchNotes::kInfo), QString::fromUtf8(info));
  }
  EXPECT_EQ(g->Cell(1, LPaneMatchNotes::kSpeler2), QStringLiteral("Niet gespeeld"));
  EXPECT_EQ(pane->PrintSubtitle(), QStringLiteral("Heren A, Zwitsers"));
  // The bye gets no slip; a retirement is marked beside the side that gave up.
  ASSERT_TRUE(SaveResult(db(), g->RowData(0), DecideEnding({kDecisionRetired, 1})));
  pane->Refresh();
  EXPECT_EQ(g->Cell(0, LPaneMatchNotes::kResultaat), QStringLiteral("1-0 opg."));
  const std::vector<MatchSlip> slips = pane->Slips();
  ASSERT_EQ(slips.size(), 1u);
  EXPECT_EQ(slips[0].info + slips[0].mark, QStringLiteral("Heren A / Zwitsers / R3opg."));
  EXPECT_EQ(std::pair(slips[0].games, slips[0].markSide), std::pair(5, 1));

  pane->PoolList()->setCurrentText(QStringLiteral("Poule 1"));
  const SlipPages pages(pane->Slips());
  const QString pdf = QString::fromStdString(dir.File("briefjes.pdf"));
  {
    LDlgPrintPreview preview(db(), prompter, *g, "PaneMatchNotes", pane->PrintSubtitle(), pane, &pages);
    ASSERT_NE(preview.SlipsBox(), nullptr);
    preview.SetPdfOutput(pdf);
    const int listPages = preview.PageCount();
    preview.SlipsBox()->click();
    EXPECT_EQ(db().GetSetting("SlipLayoutPaneMatchNotes"), "1");
    EXPECT_FALSE(preview.RowHeightField()->isEnabled());
    // Two columns of at least five slips a page.
    EXPECT_TRUE(preview.PageCount() > listPages && preview.PageCount() >= 2 && preview.PageCount() <= 4) << preview.PageCount();
    ASSERT_TRUE(preview.PrintNow());
  }
  // The first page rendered as a viewer would: the slips' borders drawn, and
  // nothing in the 15 mm margins of the paper.
  const QString png = QString::fromStdString(dir.File("page"));
  ASSERT_EQ(QProcess::execute(QStringLiteral("pdftoppm"), {"-r", "80", "-f", "1", "-l", "1", "-png", "-singlefile", pdf, png}), 0);
  QImage page(png + ".png");
  ASSERT_FALSE(page.isNull());
  const int margin = static_cast<int>(15 * 80 / 25.4) - 1;  // just inside the 15 mm at 80 dpi
  int edgeInk = 0, ink = 0;
  for (int y = 0; y < page.height(); ++y)
    for (int x = 0; x < page.width(); ++x) {
      const bool edge = x < margin || y < margin || x >= page.width() - margin || y >= page.height() - margin;
      edgeInk += edge && qGray(page.pixel(x, y)) < 200;
      ink += qGray(page.pixel(x, y)) < 128;
    }
  EXPECT_EQ(std::pair(edgeInk, ink > 1000), std::pair(0, true));
  // The choice is remembered for this kind of list only.
  EXPECT_FALSE(LDlgPrintPreview(db(), prompter, *g, "PaneMatches", QString(), pane, &pages).PrintsSlips());
}

}  // namespace
}  // namespace velgram::testing
