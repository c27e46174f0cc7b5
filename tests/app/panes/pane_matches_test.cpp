// The matches pane and the match-slips pane driven as the director does:
// filters, sorting that survives a restart, result entry, and the slips
// printed to a PDF file.
#include <QImage>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>
#include <functional>

#include "app/panes/pane_matches.h"
#include "app/printing/print_preview.h"
#include "app/results/dlg_result_sets.h"
#include "competition/match_rules.h"
#include "tests/app/shell_fixture.h"

namespace velgram::testing {
namespace {

class MatchPanesTest : public ShellTest {
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
  // A pool of the named players, every pair a match, times from 9:00 in
  // steps of ten minutes on table 1, 2, ...; returns the match ids.
  std::vector<int> Pool(int idSystem, const std::string& name, const std::vector<std::string>& players,
                        int playstyle = kPlaystylePoule) {
    const int idPool = AddPool(idSystem, name, playstyle);
    for (const std::string& p : players) Seat(idPool, AddPlayer(p));
    std::vector<ContestantRecord> seats;
    db().ListContestants(idPool, seats);
    std::vector<int> ids;
    for (size_t i = 0; i < seats.size(); ++i)
      for (size_t j = i + 1; j < seats.size(); ++j) {
        const int n = next_++;
        ids.push_back(db().AddMatch(idPool, seats[i].id, seats[j].id, 1 + n % 3, 900 + n * 10 % 60 + n / 6 * 100));
      }
    lastPool_ = idPool;
    return ids;
  }
  // A match of the last pool's first seat against nobody.
  void AddBye() {
    std::vector<ContestantRecord> seats;
    db().ListContestants(lastPool_, seats);
    db().AddMatch(lastPool_, seats[0].id, kNotPlayed, 0, 0);
  }
  std::string Key() const { return std::to_string(app->IdToernooi()); }
  std::unique_ptr<CVelgramDlg> window;
  int next_ = 0;
  int lastPool_ = -1;
};

TEST_F(MatchPanesTest, PlayedBoxShowsOpenMatchesFirstAndFollowsResultsEnteredElsewhere) {
  const std::vector<int> ids = Pool(AddClass("Heren A"), "Poule 1", {"Anna", "Bert", "Cor"});
  AddBye();  // nobody plays it
  auto* pane = Shown<LPaneMatches>(NavType::Matches);
  ASSERT_NE(pane, nullptr);
  EXPECT_EQ(pane->PlayedBox()->checkState(), Qt::Unchecked);
  EXPECT_EQ(pane->Grid()->RowCount(), 3);

  // How the open list follows a notice: NoticesLeaveThePaneAsAFreshFillLeavesIt.
  ASSERT_TRUE(SaveResult(db(), ids[0], DecideWinnerOnly(0)));
  // Clicking cycles through all matches (third state) and the played ones.
  const std::tuple<Qt::CheckState, int, const char*> steps[] = {{Qt::PartiallyChecked, 3, "Gespeeld en niet gespeeld"},
                                                                {Qt::Checked, 1, "Gespeeld"},
                                                                {Qt::Unchecked, 2, "Niet gespeeld"}};
  for (auto [state, rows, subtitle] : steps) {
    pane->PlayedBox()->click();
    ASSERT_EQ(pane->PlayedBox()->checkState(), state);
    EXPECT_EQ(pane->Grid()->RowCount(), rows) << subtitle;
    EXPECT_EQ(pane->PrintSubtitle(), QString::fromUtf8(subtitle));
  }
  pane->PlayedBox()->click();
  pane->PlayedBox()->click();
  EXPECT_EQ(pane->Grid()->Cell(pane->Grid()->FindRowData(ids[0]), LPaneMatches::kResultaat), QStringLiteral("1-0"));

  // A hidden pane waits, and catches up once it is shown.
  pane->hide();
  ASSERT_TRUE(SaveResult(db(), ids[1], DecideWalkover(0)));
  window->NotifyDataChanged();
  EXPECT_EQ(pane->Grid()->FindRowData(ids[1]), -1);
  pane->show();
  QTRY_VERIFY_WITH_TIMEOUT(pane->Grid()->FindRowData(ids[1]) >= 0, 2000);
  EXPECT_EQ(pane->Grid()->Cell(pane->Grid()->FindRowData(ids[1]), LPaneMatches::kResultaat), QStringLiteral("0-1 w.o."));
}

// A script of changes told by notices: after each, a pane that followed them
// shows exactly what a pane filled afresh shows, rows, order and widths; once
// with the open matches by time, once with all matches by the first name,
// descending.
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
    const int later = AddPool(heren, "Finale");
    Seat(later, 0, kLinkPlace, poule1);
    Seat(later, 0, kLinkPlace, poule1);
    std::vector<ContestantRecord> seats;
    db().ListContestants(later, seats);
    const int final = db().AddMatch(later, seats[0].id, seats[1].id, 4, 1500);
    db().SetSetting("PaneMatchesSortColumn" + Key(), std::to_string(sortColumn));
    db().SetSetting("PaneMatchesSortDir" + Key(), std::to_string(sortDir));
    db().SetSetting("MatchesTables" + Key(), "1");
    db().SetSetting("MatchesTimes" + Key(), "1");
    auto configure = [&, played = played](LPaneMatches& pane) {
      pane.PlayedBox()->setCheckState(played);
      pane.resize(900, 500);
      pane.Refresh();
    };
    auto shown = [](LPaneMatches& pane) {
      QStringList rows;
      for (int r = 0; r < pane.Grid()->RowCount(); ++r) {
        rows << QString::number(pane.Grid()->RowData(r));
        for (int c = 0; c < pane.Grid()->ColumnCount(); ++c) rows.back() += "|" + pane.Grid()->Cell(r, c);
      }
      for (int c = 0; c < pane.Grid()->ColumnCount(); ++c) rows << QString::number(pane.Grid()->columnWidth(c));
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
           MatchRecord m;
           db().GetMatch(m, second[0]);
           m.tafel = 9;
           m.starttime = 805;
           db().UpdateMatch(m);
           return DataChange::TableTime(m.id);
         }},
        {"cleared", [&] { ClearStoredResult(db(), prompter, first[1]); return DataChange::Result(first[1]); }},
        {"final", [&] { return result(final, 0); }},
        {"new pool", [&] { Pool(heren, "Poule 3", {"Gijs", "Hans"}); return DataChange::Structure(); }},
    };
    for (const auto& [step, change] : script) {
      w->NotifyDataChanged(change());
      LPaneMatches fresh(*app);
      configure(fresh);
      EXPECT_EQ(shown(pane), shown(fresh)) << step;
    }
  }
}

TEST_F(MatchPanesTest, ParticipantFilterIgnoresCaseAndWaitsForTypingToPause) {
  Pool(AddClass("Heren A"), "Poule 1", {"Jan Smit", "JAN BOS", "Piet jansen", "Kees", "Wim"});
  auto* pane = Shown<LPaneMatches>(NavType::Matches);
  ASSERT_EQ(pane->Grid()->RowCount(), 10);
  QTest::keyClicks(pane->ParticipantField(), QStringLiteral("ja"));
  EXPECT_EQ(pane->Grid()->RowCount(), 10);  // nothing happens while typing
  QTest::qWait(150);
  QTest::keyClicks(pane->ParticipantField(), QStringLiteral("n"));
  // Every key starts the 300 ms over.
  EXPECT_EQ(pane->FilterTimer().interval(), 300);
  EXPECT_GT(pane->FilterTimer().remainingTime(), 200);
  QTRY_COMPARE_WITH_TIMEOUT(pane->Grid()->RowCount(), 9, 2000);  // all but Kees - Wim
  for (int r = 0; r < pane->Grid()->RowCount(); ++r) {
    const QString sides = pane->Grid()->Cell(r, LPaneMatches::kSpeler1) + pane->Grid()->Cell(r, LPaneMatches::kSpeler2);
    EXPECT_TRUE(sides.contains(QStringLiteral("jan"), Qt::CaseInsensitive)) << sides.toStdString();
  }
  EXPECT_EQ(pane->PrintSubtitle(), QStringLiteral("jan, Niet gespeeld"));
  pane->ClubBox()->click();
  EXPECT_EQ(db().GetSetting("MatchesClub" + Key()), "1");
}

TEST_F(MatchPanesTest, AnotherClassKeepsThePoolOnlyWhenItHasOneOfThatName) {
  const int a = AddClass("Heren A"), b = AddClass("Heren B");
  Pool(a, "Poule 1", {"A1", "A2"});
  Pool(a, "Poule 2", {"A3", "A4"});
  Pool(b, "Poule 1", {"B1", "B2"});
  auto* pane = Shown<LPaneMatches>(NavType::Matches);
  EXPECT_EQ(pane->ClassList()->itemText(0), QStringLiteral("Alle spelklassen"));
  EXPECT_EQ(pane->ClassList()->count(), 3);
  EXPECT_EQ(pane->PoolList()->count(), 3);  // "Alle poules", "Poule 1", "Poule 2"
  const std::array<const char*, 4> cases[] = {{"Heren A", "Poule 2", "Heren B", "Alle poules"},
                                              {"Heren B", "Poule 1", "Heren A", "Poule 1"},
                                              {"Heren A", "Poule 2", "Alle spelklassen", "Poule 2"}};
  for (const auto& [fromClass, pool, toClass, poolAfter] : cases) {
    SCOPED_TRACE(std::string(fromClass) + " -> " + toClass);
    pane->ClassList()->setCurrentText(QString::fromUtf8(fromClass));
    pane->PoolList()->setCurrentText(QString::fromUtf8(pool));
    pane->ClassList()->setCurrentText(QString::fromUtf8(toClass));
    EXPECT_EQ(pane->PoolList()->currentText(), QString::fromUtf8(poolAfter));
    EXPECT_EQ(pane->Grid()->RowCount(), 1);
  }
  EXPECT_EQ(pane->PrintSubtitle(), QStringLiteral("Poule 2, Niet gespeeld"));
}

TEST_F(MatchPanesTest, TimeHeaderSortsBothWaysAndTheOrderSurvivesARestart) {
  Pool(AddClass("Heren A"), "Poule 1", {"P1", "P2", "P3", "P4", "P5"});  // 9:00 to 10:30
  db().SetSetting("MatchesTimes" + Key(), "1");
  auto* pane = Shown<LPaneMatches>(NavType::Matches);
  ASSERT_FALSE(pane->Grid()->ColumnHidden(LPaneMatches::kTijd));
  EXPECT_TRUE(pane->Grid()->ColumnHidden(LPaneMatches::kTafel));
  QStringList seen[2];
  for (QStringList& times : seen) {
    ClickHeader(pane->Grid(), LPaneMatches::kTijd);
    times = Column(pane->Grid(), LPaneMatches::kTijd);
  }
  EXPECT_EQ(seen[0], QStringList(seen[1].rbegin(), seen[1].rend()));
  EXPECT_EQ(db().GetSetting("PaneMatchesSortColumn" + Key()), "1");
  const QStringList descending = seen[db().GetSetting("PaneMatchesSortDir" + Key()) == "1" ? 1 : 0];
  // Time order, not text order: 10:30 after 9:50.
  EXPECT_EQ(descending.first(), QStringLiteral("10:30"));
  EXPECT_EQ(descending.last(), QStringLiteral("9:00"));
  if (db().GetSetting("PaneMatchesSortDir" + Key()) != "1") ClickHeader(pane->Grid(), LPaneMatches::kTijd);

  window.reset();
  app = std::make_unique<CVelgramApp>(dir.File("Velgram.db"));
  app->SetPrompter(&prompter);
  EXPECT_EQ(Column(Shown<LPaneMatches>(NavType::Matches)->Grid(), LPaneMatches::kTijd), descending);
}

TEST_F(MatchPanesTest, DoubleClickEntersTheResultWithThePoolsRulesOrSaysThePoolIsGone) {
  const std::vector<int> ids = Pool(AddClass("Heren A"), "Poule 1", {"Anna", "Bert", "Cor"});
  MatchSystem winnerOnly;
  winnerOnly.result = kResultSets;
  winnerOnly.setMax = 3;
  winnerOnly.name = "Alleen winnaar";
  PoolRecord pool;
  ASSERT_TRUE(db().GetPool(lastPool_, pool));
  pool.idMatchSystem = db().AddMatchSystem(winnerOnly);
  db().UpdatePool(pool);
  auto* pane = Shown<LPaneMatches>(NavType::Matches);
  ASSERT_EQ(pane->Grid()->RowCount(), 3);

  // The pool's own rules pick the winner-only dialog; the result takes the
  // match off the list of open matches.
  OnModal<LDlgResultSingleSets>([](LDlgResultSingleSets* d) { d->SideButton(1)->click(); });
  DoubleClick(pane->Grid(), pane->Grid()->FindRowData(ids[1]), 2);
  EXPECT_EQ(pane->Grid()->RowCount(), 2);
  EXPECT_EQ(pane->Grid()->FindRowData(ids[1]), -1);
  std::vector<MatchRecord> played(1);
  ASSERT_TRUE(db().GetMatch(played[0], ids[1]));
  db().ReadResults(played);
  EXPECT_EQ(played[0].indexWinner, 1);

  db().DeletePool(lastPool_);
  pane->OpenRow(0);
  EXPECT_EQ(prompter.alerts, std::vector<std::string>{"Kan de poule niet vinden."});
  pane->OpenMatch(ids[0] + 1000);
  EXPECT_EQ(prompter.alerts.size(), 2u);
}

TEST(MatchInfoText, FullAndShortForms) {
  const std::tuple<const char*, const char*, int, bool, const char*> cases[] = {
      {"Heren A", "Poule 1", 3, true, "HA.P1-R3"},    {"Heren A", "Poule 1", 3, false, "Heren A / Poule 1 / R3"},
      {"A", "1", 0, true, "A.1"},                     {"Heren A", "Poule 1", 0, false, "Heren A / Poule 1"},
      {"Dames", "Finale", 0, true, "Ds.Fe"},          {"AB", "X", 12, true, "AB.X-R12"},
  };
  for (auto [klasse, pool, round, brief, text] : cases) EXPECT_EQ(MatchInfoText(klasse, pool, round, brief), text);
}

TEST_F(MatchPanesTest, SlipsPaneShowsOnePoolWithItsCodeAndKeepsByes) {
  const int heren = AddClass("Heren A");
  Pool(heren, "Poule 1", {"Anna", "Bert", "Cor"});
  const std::vector<int> swiss = Pool(heren, "Zwitsers", {"Dirk", "Eva"}, kPlaystyleSwiss);
  db().AddRoundMatch(lastPool_, 1, swiss[0]);
  db().AddRoundMatch(lastPool_, 3, swiss[0]);
  AddBye();
  Pool(AddClass("A"), "1", {"Fien", "Gijs"});
  db().SetSetting("MatchNotesInfo" + Key(), "1");
  auto* pane = Shown<LPaneMatchNotes>(NavType::MatchNotes);
  ASSERT_NE(pane, nullptr);
  EXPECT_EQ(pane->ClassList()->itemText(0), QStringLiteral("A"));  // no "all" entry
  EXPECT_EQ(pane->PoolList()->currentText(), QStringLiteral("1"));
  EXPECT_TRUE(pane->Grid()->ColumnHidden(LPaneMatchNotes::kTafel));
  EXPECT_FALSE(pane->Grid()->ColumnHidden(LPaneMatchNotes::kInfo));

  const std::tuple<const char*, const char*, bool, const char*, int> cases[] = {
      {"A", "1", false, "A / 1", 1},
      {"A", "1", true, "A.1", 1},
      {"Heren A", "Zwitsers", true, "HA.Zs-R3", 2},
      {"Heren A", "Poule 1", false, "Heren A / Poule 1", 3},
      {"Heren A", "Zwitsers", false, "Heren A / Zwitsers / R3", 2}};
  for (auto [klasse, pool, brief, info, rows] : cases) {
    if (pane->BriefBox()->isChecked() != brief) pane->BriefBox()->click();
    pane->ClassList()->setCurrentText(QString::fromUtf8(klasse));
    pane->PoolList()->setCurrentText(QString::fromUtf8(pool));
    ASSERT_EQ(pane->Grid()->RowCount(), rows) << info;
    EXPECT_EQ(pane->Grid()->Cell(0, LPaneMatchNotes::kInfo), QString::fromUtf8(info));
  }
  EXPECT_EQ(db().GetSetting("MatchNotesInfoBrief" + Key()), "0");
  EXPECT_EQ(pane->Grid()->Cell(1, LPaneMatchNotes::kSpeler2), QStringLiteral("Niet gespeeld"));
  EXPECT_EQ(pane->PrintSubtitle(), QStringLiteral("Heren A, Zwitsers"));
  // The bye gets no slip; every slip has the pool's five game boxes.
  const std::vector<MatchSlip> slips = pane->Slips();
  ASSERT_EQ(slips.size(), 1u);
  EXPECT_EQ(slips[0].info, QStringLiteral("Heren A / Zwitsers / R3"));
  EXPECT_EQ(slips[0].games, 5);
  EXPECT_EQ(slips[0].markSide, -1);
  // A retirement is marked on its slip beside the side that gave up.
  ASSERT_TRUE(SaveResult(db(), pane->Grid()->RowData(0), DecideEnding({kDecisionRetired, 1})));
  pane->Refresh();
  EXPECT_EQ(pane->Grid()->Cell(0, LPaneMatchNotes::kResultaat), QStringLiteral("1-0 opg."));
  EXPECT_EQ(pane->Slips()[0].mark, QStringLiteral("opg."));
  EXPECT_EQ(pane->Slips()[0].markSide, 1);
}

TEST_F(MatchPanesTest, SlipLayoutPrintsSeveralSlipsPerPageInsideThePaper) {
  // 9 players: 36 matches, more than two pages of slips.
  Pool(AddClass("Heren A"), "Poule 1",
       {"Jan van der Zandvoort-Meijer (TTV De Zeeuwse Stromen)", "Bert", "Cor", "Dirk", "Eva", "Fien", "Gijs", "Hans",
        "Ilse"});
  auto* pane = Shown<LPaneMatchNotes>(NavType::MatchNotes);
  ASSERT_EQ(pane->Grid()->RowCount(), 36);
  const SlipPages slips(pane->Slips());
  const QString pdf = QString::fromStdString(dir.File("briefjes.pdf"));
  int expected = 0;
  {
    LDlgPrintPreview preview(db(), prompter, *pane->Grid(), "PaneMatchNotes", pane->PrintSubtitle(), pane, &slips);
    ASSERT_NE(preview.SlipsBox(), nullptr);
    preview.SetPdfOutput(pdf);
    const int listPages = preview.PageCount();
    preview.SlipsBox()->click();
    EXPECT_EQ(db().GetSetting("SlipLayoutPaneMatchNotes"), "1");
    EXPECT_FALSE(preview.RowHeightField()->isEnabled());
    expected = preview.PageCount();
    EXPECT_GT(expected, listPages);
    EXPECT_GE(expected, 2);
    EXPECT_LE(expected, 4);  // two columns of at least five slips a page
    ASSERT_TRUE(preview.PrintNow());
  }
  QProcess info;
  info.start(QStringLiteral("pdfinfo"), {pdf});
  ASSERT_TRUE(info.waitForFinished(20000));
  const QRegularExpression pages(QStringLiteral("Pages:\\s+%1\\n").arg(expected));
  EXPECT_TRUE(QString::fromUtf8(info.readAllStandardOutput()).contains(pages));

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
  EXPECT_EQ(edgeInk, 0);
  EXPECT_GT(ink, 1000);

  // The choice is remembered for this kind of list only.
  EXPECT_TRUE(LDlgPrintPreview(db(), prompter, *pane->Grid(), "PaneMatchNotes", QString(), pane, &slips).PrintsSlips());
  EXPECT_FALSE(LDlgPrintPreview(db(), prompter, *pane->Grid(), "PaneMatches", QString(), pane, &slips).PrintsSlips());
}

}  // namespace
}  // namespace velgram::testing
