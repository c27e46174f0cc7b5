// The matches pane and the match-slips pane driven as the director does:
// filters, sorting that survives a restart, result entry, and the slips
// printed to a PDF file.
#include <QFile>
#include <QImage>
#include <QPrinter>
#include <QProcess>
#include <QTest>
#include <functional>

#include "app/panes/pane_matches.h"
#include "app/printing/print_preview.h"
#include "app/results/dlg_result_sets.h"
#include "app/shell/mainwindow.h"
#include "competition/match_rules.h"
#include "tests/app/shell_fixture.h"

namespace velgram::testing {
namespace {

class MatchPanesTest : public ShellTest {
 protected:
  std::unique_ptr<CVelgramDlg> Window() {
    auto w = std::make_unique<CVelgramDlg>(*app);
    w->StartTimer().stop();
    app->DropToernooi();
    w->OpenStartTournament();
    w->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(w.get()));
    return w;
  }
  template <typename P>
  P* Show(CVelgramDlg& w, NavType type) {
    EXPECT_TRUE(w.SelectItem(type));
    return dynamic_cast<P*>(w.CurrentPane());
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
  static QStringList Column(LGrid* grid, int col) {
    QStringList texts;
    for (int r = 0; r < grid->RowCount(); ++r) texts << grid->Cell(r, col);
    return texts;
  }
  static void ClickHeader(LGrid* grid, int col) {
    QHeaderView* h = grid->horizontalHeader();
    QTest::mouseClick(h->viewport(), Qt::LeftButton, {}, QPoint(h->sectionViewportPosition(col) + 3, h->height() / 2));
  }
  int next_ = 0;
  int lastPool_ = -1;
};

TEST_F(MatchPanesTest, PlayedBoxShowsOpenMatchesFirstAndFollowsResultsEnteredElsewhere) {
  OpenTournament();
  const int heren = AddClass("Heren A");
  const std::vector<int> ids = Pool(heren, "Poule 1", {"Anna", "Bert", "Cor"});
  std::vector<ContestantRecord> seats;
  db().ListContestants(lastPool_, seats);
  db().AddMatch(lastPool_, seats[0].id, kNotPlayed, 0, 0);  // a bye: nobody plays it
  auto w = Window();
  auto* pane = Show<LPaneMatches>(*w, NavType::Matches);
  ASSERT_NE(pane, nullptr);
  EXPECT_EQ(pane->PlayedBox()->checkState(), Qt::Unchecked);
  EXPECT_EQ(pane->Grid()->RowCount(), 3);

  // How the open list follows a notice: NoticesLeaveThePaneAsAFreshFillLeavesIt.
  ASSERT_TRUE(SaveResult(db(), ids[0], DecideWinnerOnly(0)));
  // Clicking cycles through all matches (third state) and the played ones.
  struct Step {
    Qt::CheckState state;
    int rows;
    const char* subtitle;
  };
  for (const Step& s : {Step{Qt::PartiallyChecked, 3, "Gespeeld en niet gespeeld"}, Step{Qt::Checked, 1, "Gespeeld"},
                        Step{Qt::Unchecked, 2, "Niet gespeeld"}}) {
    pane->PlayedBox()->click();
    ASSERT_EQ(pane->PlayedBox()->checkState(), s.state);
    EXPECT_EQ(pane->Grid()->RowCount(), s.rows) << s.subtitle;
    EXPECT_EQ(pane->PrintSubtitle(), QString::fromUtf8(s.subtitle));
  }
  pane->PlayedBox()->click();
  pane->PlayedBox()->click();
  const int row = pane->Grid()->FindRowData(ids[0]);
  ASSERT_GE(row, 0);
  EXPECT_EQ(pane->Grid()->Cell(row, LPaneMatches::kResultaat), QStringLiteral("1-0"));

  // A hidden pane waits, and catches up once it is shown.
  pane->hide();
  ASSERT_TRUE(SaveResult(db(), ids[1], DecideWalkover(0)));
  w->NotifyDataChanged();
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
  OpenTournament();
  auto w = Window();
  struct Look {
    Qt::CheckState played;
    int sortColumn, sortDir;
  };
  for (const Look& look : {Look{Qt::Unchecked, LPaneMatches::kTijd, 0}, Look{Qt::PartiallyChecked, LPaneMatches::kSpeler1, 1}}) {
    OpenTournament(look.sortDir ? "Tweede" : "Eerste");
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
    const std::string t = std::to_string(app->IdToernooi());
    db().SetSetting("PaneMatchesSortColumn" + t, std::to_string(look.sortColumn));
    db().SetSetting("PaneMatchesSortDir" + t, std::to_string(look.sortDir));
    db().SetSetting("MatchesTables" + t, "1");
    db().SetSetting("MatchesTimes" + t, "1");
    auto configure = [&](LPaneMatches& pane) {
      pane.PlayedBox()->setCheckState(look.played);
      pane.resize(900, 500);
      pane.Refresh();
    };
    auto shown = [](LPaneMatches& pane) {
      QStringList rows;
      for (int r = 0; r < pane.Grid()->RowCount(); ++r) {
        QString row = QString::number(pane.Grid()->RowData(r));
        for (int c = 0; c < pane.Grid()->ColumnCount(); ++c) row += "|" + pane.Grid()->Cell(r, c);
        rows << row;
      }
      for (int c = 0; c < pane.Grid()->ColumnCount(); ++c) rows << QString::number(pane.Grid()->columnWidth(c));
      return rows;
    };
    LPaneMatches pane(*app);
    configure(pane);
    pane.show();
    const std::vector<std::pair<const char*, std::function<DataChange()>>> script = {
        {"result", [&] { SaveResult(db(), first[0], DecideWinnerOnly(1)); return DataChange::Result(first[0]); }},
        {"elsewhere", [&] { SaveResult(db(), second[1], DecideWinnerOnly(0)); return DataChange::Result(second[1]); }},
        {"pool done", [&] { SaveResult(db(), first[1], DecideWinnerOnly(0)); return DataChange::Result(first[1]); }},
        {"links named", [&] { SaveResult(db(), first[2], DecideWinnerOnly(0)); return DataChange::Result(first[2]); }},
        {"moved", [&] {
           MatchRecord m;
           db().GetMatch(m, second[0]);
           m.tafel = 9;
           m.starttime = 805;
           db().UpdateMatch(m);
           return DataChange::TableTime(m.id);
         }},
        {"cleared", [&] { ClearStoredResult(db(), prompter, first[1]); return DataChange::Result(first[1]); }},
        {"final", [&] { SaveResult(db(), final, DecideWinnerOnly(0)); return DataChange::Result(final); }},
        {"new pool", [&] { Pool(heren, "Poule 3", {"Gijs", "Hans"}); return DataChange::Structure(); }},
    };
    for (const auto& [step, change] : script) {
      w->NotifyDataChanged(change());
      LPaneMatches fresh(*app);
      configure(fresh);
      EXPECT_EQ(shown(pane), shown(fresh)) << step << " " << look.sortColumn;
    }
  }
}

TEST_F(MatchPanesTest, ParticipantFilterIgnoresCaseAndWaitsForTypingToPause) {
  OpenTournament();
  Pool(AddClass("Heren A"), "Poule 1", {"Jan Smit", "JAN BOS", "Piet jansen", "Kees", "Wim"});
  auto w = Window();
  auto* pane = Show<LPaneMatches>(*w, NavType::Matches);
  ASSERT_EQ(pane->Grid()->RowCount(), 10);
  QTest::keyClicks(pane->ParticipantField(), QStringLiteral("ja"));
  EXPECT_EQ(pane->Grid()->RowCount(), 10);  // nothing happens while typing
  QTest::qWait(150);
  QTest::keyClicks(pane->ParticipantField(), QStringLiteral("n"));
  // Every key starts the 300 ms over.
  EXPECT_EQ(pane->FilterTimer().interval(), 300);
  EXPECT_TRUE(pane->FilterTimer().isActive());
  EXPECT_GT(pane->FilterTimer().remainingTime(), 200);
  QTRY_COMPARE_WITH_TIMEOUT(pane->Grid()->RowCount(), 9, 2000);  // all but Kees - Wim
  for (int r = 0; r < pane->Grid()->RowCount(); ++r) {
    const QString sides = pane->Grid()->Cell(r, LPaneMatches::kSpeler1) + pane->Grid()->Cell(r, LPaneMatches::kSpeler2);
    EXPECT_TRUE(sides.contains(QStringLiteral("jan"), Qt::CaseInsensitive)) << sides.toStdString();
  }
  EXPECT_EQ(pane->PrintSubtitle(), QStringLiteral("jan, Niet gespeeld"));

  pane->ClubBox()->click();
  EXPECT_EQ(db().GetSetting("MatchesClub" + std::to_string(app->IdToernooi())), "1");
}

TEST_F(MatchPanesTest, AnotherClassKeepsThePoolOnlyWhenItHasOneOfThatName) {
  OpenTournament();
  const int a = AddClass("Heren A"), b = AddClass("Heren B");
  Pool(a, "Poule 1", {"A1", "A2"});
  Pool(a, "Poule 2", {"A3", "A4"});
  Pool(b, "Poule 1", {"B1", "B2"});
  auto w = Window();
  auto* pane = Show<LPaneMatches>(*w, NavType::Matches);
  EXPECT_EQ(pane->ClassList()->itemText(0), QStringLiteral("Alle spelklassen"));
  EXPECT_EQ(pane->ClassList()->count(), 3);
  EXPECT_EQ(pane->PoolList()->count(), 3);  // "Alle poules", "Poule 1", "Poule 2"

  struct Case {
    const char *fromClass, *pool, *toClass, *poolAfter;
    int rows;
  };
  for (const Case& c : {Case{"Heren A", "Poule 2", "Heren B", "Alle poules", 1},
                        Case{"Heren B", "Poule 1", "Heren A", "Poule 1", 1},
                        Case{"Heren A", "Poule 2", "Alle spelklassen", "Poule 2", 1}}) {
    pane->ClassList()->setCurrentText(QString::fromUtf8(c.fromClass));
    pane->PoolList()->setCurrentText(QString::fromUtf8(c.pool));
    pane->ClassList()->setCurrentText(QString::fromUtf8(c.toClass));
    EXPECT_EQ(pane->PoolList()->currentText(), QString::fromUtf8(c.poolAfter)) << c.fromClass << " -> " << c.toClass;
    EXPECT_EQ(pane->Grid()->RowCount(), c.rows) << c.toClass;
  }
  EXPECT_EQ(pane->PrintSubtitle(), QStringLiteral("Poule 2, Niet gespeeld"));
}

TEST_F(MatchPanesTest, TimeHeaderSortsBothWaysAndTheOrderSurvivesARestart) {
  OpenTournament();
  Pool(AddClass("Heren A"), "Poule 1", {"P1", "P2", "P3", "P4", "P5"});  // 9:00 to 10:30
  const std::string key = std::to_string(app->IdToernooi());
  db().SetSetting("MatchesTimes" + key, "1");
  QStringList descending;
  {
    auto w = Window();
    auto* pane = Show<LPaneMatches>(*w, NavType::Matches);
    ASSERT_FALSE(pane->Grid()->ColumnHidden(LPaneMatches::kTijd));
    EXPECT_TRUE(pane->Grid()->ColumnHidden(LPaneMatches::kTafel));
    ClickHeader(pane->Grid(), LPaneMatches::kTijd);
    const QStringList first = Column(pane->Grid(), LPaneMatches::kTijd);
    ClickHeader(pane->Grid(), LPaneMatches::kTijd);
    const QStringList second = Column(pane->Grid(), LPaneMatches::kTijd);
    QStringList reversed(second.rbegin(), second.rend());
    EXPECT_EQ(first, reversed);
    EXPECT_NE(first, second);
    EXPECT_EQ(db().GetSetting("PaneMatchesSortColumn" + key), "1");
    descending = db().GetSetting("PaneMatchesSortDir" + key) == "1" ? second : first;
    // Time order, not text order: 10:30 after 9:50.
    EXPECT_EQ(descending.first(), QStringLiteral("10:30"));
    EXPECT_EQ(descending.last(), QStringLiteral("9:00"));
    ClickHeader(pane->Grid(), LPaneMatches::kTijd);  // descending again for the restart
    EXPECT_EQ(db().GetSetting("PaneMatchesSortDir" + key), "1");
  }
  app = std::make_unique<CVelgramApp>(dir.File("Velgram.db"));
  app->SetPrompter(&prompter);
  auto w = Window();
  auto* pane = Show<LPaneMatches>(*w, NavType::Matches);
  EXPECT_EQ(Column(pane->Grid(), LPaneMatches::kTijd), descending);
}

TEST_F(MatchPanesTest, DoubleClickEntersTheResultWithThePoolsRulesOrSaysThePoolIsGone) {
  OpenTournament();
  const std::vector<int> ids = Pool(AddClass("Heren A"), "Poule 1", {"Anna", "Bert", "Cor"});
  MatchSystem winnerOnly;
  winnerOnly.result = kResultSets;
  winnerOnly.setMax = 3;
  winnerOnly.name = "Alleen winnaar";
  PoolRecord pool;
  ASSERT_TRUE(db().GetPool(lastPool_, pool));
  pool.idMatchSystem = db().AddMatchSystem(winnerOnly);
  db().UpdatePool(pool);
  auto w = Window();
  auto* pane = Show<LPaneMatches>(*w, NavType::Matches);
  ASSERT_EQ(pane->Grid()->RowCount(), 3);

  // The pool's own rules pick the winner-only dialog; the result takes the
  // match off the list of open matches.
  const int row = pane->Grid()->FindRowData(ids[1]);
  OnModal<LDlgResultSingleSets>([](LDlgResultSingleSets* d) { d->SideButton(1)->click(); });
  const QPoint at = pane->Grid()->visualRect(pane->Grid()->model()->index(row, 2)).center();
  QTest::mouseClick(pane->Grid()->viewport(), Qt::LeftButton, {}, at);
  QTest::mouseDClick(pane->Grid()->viewport(), Qt::LeftButton, {}, at);
  EXPECT_EQ(pane->Grid()->RowCount(), 2);
  EXPECT_EQ(pane->Grid()->FindRowData(ids[1]), -1);
  MatchRecord m;
  ASSERT_TRUE(db().GetMatch(m, ids[1]));
  std::vector<MatchRecord> played{m};
  db().ReadResults(played);
  EXPECT_EQ(played[0].indexWinner, 1);

  db().DeletePool(lastPool_);
  pane->OpenRow(0);
  ASSERT_FALSE(prompter.alerts.empty());
  EXPECT_EQ(prompter.alerts.back(), "Kan de poule niet vinden.");
  pane->OpenMatch(ids[0] + 1000);
  EXPECT_EQ(prompter.alerts.back(), "Kan de poule niet vinden.");
}

TEST(MatchInfoText, FullAndShortForms) {
  struct Case {
    const char *klasse, *pool;
    int round;
    bool brief;
    const char* text;
  } cases[] = {
      {"Heren A", "Poule 1", 3, true, "HA.P1-R3"},    {"Heren A", "Poule 1", 3, false, "Heren A / Poule 1 / R3"},
      {"A", "1", 0, true, "A.1"},                     {"Heren A", "Poule 1", 0, false, "Heren A / Poule 1"},
      {"Dames", "Finale", 0, true, "Ds.Fe"},          {"AB", "X", 12, true, "AB.X-R12"},
  };
  for (const Case& c : cases) EXPECT_EQ(MatchInfoText(c.klasse, c.pool, c.round, c.brief), c.text) << c.text;
}

TEST_F(MatchPanesTest, SlipsPaneShowsOnePoolWithItsCodeAndKeepsByes) {
  OpenTournament();
  const int heren = AddClass("Heren A");
  Pool(heren, "Poule 1", {"Anna", "Bert", "Cor"});
  const std::vector<int> swiss = Pool(heren, "Zwitsers", {"Dirk", "Eva"}, kPlaystyleSwiss);
  db().AddRoundMatch(lastPool_, 1, swiss[0]);
  db().AddRoundMatch(lastPool_, 3, swiss[0]);
  std::vector<ContestantRecord> seats;
  db().ListContestants(lastPool_, seats);
  db().AddMatch(lastPool_, seats[0].id, kNotPlayed, 0, 0);
  Pool(AddClass("A"), "1", {"Fien", "Gijs"});
  const std::string key = std::to_string(app->IdToernooi());
  db().SetSetting("MatchNotesInfo" + key, "1");
  auto w = Window();
  auto* pane = Show<LPaneMatchNotes>(*w, NavType::MatchNotes);
  ASSERT_NE(pane, nullptr);
  EXPECT_EQ(pane->ClassList()->itemText(0), QStringLiteral("A"));  // no "all" entry
  EXPECT_EQ(pane->PoolList()->currentText(), QStringLiteral("1"));
  EXPECT_TRUE(pane->Grid()->ColumnHidden(LPaneMatchNotes::kTafel));
  EXPECT_FALSE(pane->Grid()->ColumnHidden(LPaneMatchNotes::kInfo));

  struct Case {
    const char *klasse, *pool;
    bool brief;
    const char* info;
    int rows;
  };
  for (const Case& c : {Case{"A", "1", false, "A / 1", 1}, Case{"A", "1", true, "A.1", 1},
                        Case{"Heren A", "Zwitsers", true, "HA.Zs-R3", 2},
                        Case{"Heren A", "Poule 1", false, "Heren A / Poule 1", 3},
                        Case{"Heren A", "Zwitsers", false, "Heren A / Zwitsers / R3", 2}}) {
    if (pane->BriefBox()->isChecked() != c.brief) pane->BriefBox()->click();
    pane->ClassList()->setCurrentText(QString::fromUtf8(c.klasse));
    pane->PoolList()->setCurrentText(QString::fromUtf8(c.pool));
    ASSERT_EQ(pane->Grid()->RowCount(), c.rows) << c.info;
    EXPECT_EQ(pane->Grid()->Cell(0, LPaneMatchNotes::kInfo), QString::fromUtf8(c.info));
  }
  EXPECT_EQ(db().GetSetting("MatchNotesInfoBrief" + key), "0");
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

// The page count of a PDF file as poppler reads it; -1 when unreadable.
int PdfPages(const QString& path) {
  QProcess info;
  info.start(QStringLiteral("pdfinfo"), {path});
  if (!info.waitForFinished(20000)) return -1;
  for (const QString& line : QString::fromUtf8(info.readAllStandardOutput()).split(QLatin1Char('\n')))
    if (line.startsWith(QStringLiteral("Pages:"))) return line.mid(6).trimmed().toInt();
  return -1;
}

TEST_F(MatchPanesTest, SlipLayoutPrintsSeveralSlipsPerPageInsideThePaper) {
  OpenTournament();
  // 9 players: 36 matches, more than two pages of slips.
  Pool(AddClass("Heren A"), "Poule 1",
       {"Jan van der Zandvoort-Meijer (TTV De Zeeuwse Stromen)", "Bert", "Cor", "Dirk", "Eva", "Fien", "Gijs", "Hans",
        "Ilse"});
  auto w = Window();
  auto* pane = Show<LPaneMatchNotes>(*w, NavType::MatchNotes);
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
    const QRect area = preview.Printer()->pageLayout().paintRectPixels(preview.Printer()->resolution());
    const SlipPageLayout layout =
        LayoutSlipPages(slips.Slips(), area.width(), area.height(), preview.Printer()->resolution(), preview.CurrentSetup());
    EXPECT_EQ(layout.columns, 2);
    EXPECT_GE(layout.PerPage(), 10);
    EXPECT_EQ(expected, (36 + layout.PerPage() - 1) / layout.PerPage());
    ASSERT_TRUE(preview.PrintNow());
  }
  EXPECT_EQ(PdfPages(pdf), expected);

  // The first page rendered as a viewer would: nothing in the 15 mm margins
  // of the paper, so no slip runs over the printable area.
  const QString png = QString::fromStdString(dir.File("page"));
  ASSERT_EQ(QProcess::execute(QStringLiteral("pdftoppm"), {"-r", "80", "-f", "1", "-l", "1", "-png", "-singlefile", pdf, png}), 0);
  QImage page(png + ".png");
  ASSERT_FALSE(page.isNull());
  const int margin = static_cast<int>(15 * 80 / 25.4) - 1;  // just inside the 15 mm at 80 dpi
  int dark = 0;
  for (int y = 0; y < page.height(); ++y)
    for (int x = 0; x < page.width(); ++x) {
      const bool edge = x < margin || y < margin || x >= page.width() - margin || y >= page.height() - margin;
      if (edge && qGray(page.pixel(x, y)) < 200) ++dark;
    }
  EXPECT_EQ(dark, 0);
  // And something was drawn: the slips' borders.
  int ink = 0;
  for (int y = 0; y < page.height(); ++y)
    for (int x = 0; x < page.width(); ++x) ink += qGray(page.pixel(x, y)) < 128;
  EXPECT_GT(ink, 1000);

  // The choice is remembered for this kind of list only.
  LDlgPrintPreview again(db(), prompter, *pane->Grid(), "PaneMatchNotes", QString(), pane, &slips);
  EXPECT_TRUE(again.PrintsSlips());
  LDlgPrintPreview list(db(), prompter, *pane->Grid(), "PaneMatches", QString(), pane, &slips);
  EXPECT_FALSE(list.PrintsSlips());
}

}  // namespace
}  // namespace velgram::testing
