// "Live in de zaal" at the desk: the dialog starts and stops the server,
// prints the poster and keeps the choices per tournament; the server follows
// the tournament's setting from the program's start, the desk's results and
// what the tables send, which the entries pane counts and decides (the queue's
// rules are the core's); table cards and slips carry the tables' addresses.
#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QSpinBox>
#include <QTcpServer>
#include <QTest>
#include <QTreeWidget>

#include "app/live/dlg_live.h"
#include "app/live/live_desk.h"
#include "app/panes/pane_entries.h"
#include "app/panes/pane_matches.h"
#include "app/printing/table_cards.h"
#include "app/results/dlg_result_base.h"
#include "app/shell/qtext.h"
#include "competition/poule.h"
#include "competition/table_entry.h"
#include "tests/app/live/live_client.h"
#include "tests/app/shell_fixture.h"

namespace velgram::testing {
namespace {

class LiveDeskTest : public ShellTest {
 protected:
  void SetUp() override {
    idToernooi = OpenTournament("Open Zaalkampioenschap");
    db().SetSetting("PouleActivateWarning", "No");
    pool = AddPool(AddClass("Heren A"), "Poule 1");  // tables 1-2
    for (int i = 1; i <= 4; ++i) Seat(pool, AddPlayer("Speler " + std::to_string(i), 1500, "TTV Hal"));
    ASSERT_EQ(StartPoule(db(), prompter, pool), StartOutcome::kStarted);
    db().ListMatches(pool, matches);
  }
  // The program started on the tournament with the server on, entry at the tables as asked.
  // Each test has a port of its own: ctest runs them side by side.
  void Open(quint16 atPort, bool tableEntry = false, bool autoAccept = false) {
    port = atPort;
    ASSERT_TRUE((LiveSettings{true, port, true, tableEntry, autoAccept}.Write(db(), idToernooi)));
    window = Window();
    window->show();
    ASSERT_TRUE(window->Live().Running());
  }
  // Plays the user in the dialog of the menu entry.
  void InDialog(std::function<void(LDlgLive*)> act) {
    OnModal<LDlgLive>([act](LDlgLive* d) {
      act(d);
      d->accept();
    });
    window->findChild<QAction*>(QStringLiteral("Live in de zaal"))->trigger();
  }
  std::map<int, std::string> Tokens() { return TableTokens(db(), idToernooi); }
  // A 3-0 from the match's table.
  static TableEntry Entry(const std::string& entryId, const MatchRecord& m) {
    return {.entryId = entryId, .device = "toestel-01", .tafel = m.tafel, .idMatch = m.id, .mode = kResultAll,
            .ending = {}, .games1 = {}, .games2 = {}, .games = {{"11", "7"}, {"11", "8"}, {"11", "9"}}, .duo = {}};
  }
  // The same, sent through the hall's server.
  void Hand(const std::string& entryId, const MatchRecord& m) {
    EXPECT_EQ(LiveClient(port).PostEntry(Tokens()[m.tafel], TableEntryJson(Entry(entryId, m))).status, 202);
  }
  void ExpectWaiting(int n) {
    EXPECT_EQ(window->Navigation().Find(NavType::Entries)->text(0),
              QStringLiteral("Binnengekomen uitslagen (%1)").arg(n));
    EXPECT_EQ(window->EntriesNotice()->isVisible() ? window->EntriesNotice()->text() : QString(),
              n ? QStringLiteral("1 binnengekomen uitslag wacht") : QString());
  }

  quint16 port = 0;
  int idToernooi = -1, pool = -1;
  std::vector<MatchRecord> matches;
  std::unique_ptr<CVelgramDlg> window;
};

TEST_F(LiveDeskTest, DialogStartsAndStopsTheServerPrintsThePosterAndKeepsTheChoices) {
  window = Window(false);
  const QString pdf = QString::fromStdString(dir.File("poster.pdf"));
  QTcpServer taken;  // a port in use is told, and the server stays off
  ASSERT_TRUE(taken.listen(QHostAddress::Any, 18821));
  InDialog([&](LDlgLive* d) {
    d->port->setValue(18821);
    d->start->click();
    EXPECT_FALSE(window->Live().Running());
    EXPECT_FALSE(LiveSettings::Read(db(), idToernooi).on);
    d->port->setValue(18820);
    d->localOnly->setChecked(true);
    d->start->click();
    EXPECT_TRUE(window->Live().Running());
    EXPECT_EQ(d->address->text(), QStringLiteral("http://127.0.0.1:18820/"));
    EXPECT_FALSE(d->qr->pixmap().isNull());
    d->SetPdfOutput(pdf);
    d->print->click();
    EXPECT_TRUE(LiveSettings::Read(db(), idToernooi).on);
    d->stop->click();
    EXPECT_FALSE(window->Live().Running());
    EXPECT_TRUE(d->qr->pixmap().isNull());
  });
  // The poster carries the name and the address.
  QProcess text;
  text.start(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
  ASSERT_TRUE(text.waitForFinished(10000));
  const QString printed = QString::fromUtf8(text.readAllStandardOutput());
  EXPECT_TRUE(printed.contains(QStringLiteral("Open Zaalkampioenschap")) &&
              printed.contains(QStringLiteral("http://127.0.0.1:18820/")))
      << printed.toStdString();
  ASSERT_EQ(prompter.alerts.size(), 1u);
  EXPECT_NE(prompter.alerts[0].find("18821"), std::string::npos);
  const LiveSettings kept = LiveSettings::Read(db(), idToernooi);
  EXPECT_EQ(std::tuple(kept.on, kept.port, kept.localOnly), std::tuple(false, 18820, true));
  InDialog([](LDlgLive* d) {  // the dialog opens on the kept choices
    EXPECT_EQ(std::pair(d->port->value(), d->localOnly->isChecked()), std::pair(18820, true));
  });
}

TEST(LiveQrImage, TheThreeFinderSquaresInsideTheQuietZone) {
  const QImage code = LiveQrImage(QStringLiteral("http://192.168.1.20:8080/"));
  ASSERT_FALSE(code.isNull());
  const int w = code.width();
  for (auto [ox, oy] : {std::pair{4, 4}, {w - 11, 4}, {4, w - 11}})
    for (int y = 0; y < 7; ++y)
      for (int x = 0; x < 7; ++x)
        ASSERT_EQ(code.pixelIndex(ox + x, oy + y), std::max(std::abs(x - 3), std::abs(y - 3)) != 2 ? 1 : 0)
            << ox << "," << oy << " module " << x << "," << y;
  EXPECT_EQ(code.pixelIndex(3, 3), 0);
}

// The slips carry their table's address while entry at the tables is on.
TEST_F(LiveDeskTest, DialogKeepsTheTableSwitchesRenewsTheSelectedTablesCodeAndSlipsFollow) {
  Open(18850);
  auto* notes = Show<LPaneMatchNotes>(*window, NavType::MatchNotes);
  auto expectSlips = [&](bool on) {
    const std::vector<MatchSlip> slips = notes->Slips();
    ASSERT_EQ(slips.size(), 6u);
    for (const MatchSlip& s : slips)
      EXPECT_EQ(s.qr, on ? "http://127.0.0.1:18850/t/" + QString::fromStdString(Tokens().at(s.table.toInt())) : "");
  };
  expectSlips(false);
  LDlgLive d(*app, window->Live());
  const int publishes = window->Live().Publishes();
  d.tableEntry->click();
  d.autoAccept->click();
  window->Live().Flush();
  const LiveSettings kept = LiveSettings::Read(db(), idToernooi);
  EXPECT_EQ(std::tuple(kept.on, kept.tableEntry, kept.autoAccept), std::tuple(true, true, true));
  EXPECT_EQ(window->Live().Publishes(), publishes + 1);  // the hall's documents follow the switches
  const std::map<int, std::string> before = Tokens();
  ASSERT_EQ(d.tables->topLevelItemCount(), 2);
  d.tables->topLevelItem(1)->setSelected(true);
  prompter.answers = {false, true};  // the first question declined: nothing changes
  d.renew->click();
  EXPECT_EQ(Tokens(), before);
  d.renew->click();
  EXPECT_EQ(std::pair(Tokens().at(1) == before.at(1), Tokens().at(2) == before.at(2)), std::pair(true, false));
  EXPECT_NE(prompter.questions.at(1).find("tafel 2"), std::string::npos);
  window->Live().Flush();
  EXPECT_EQ(window->Live().Publishes(), publishes + 2);
  expectSlips(true);
}

TEST(TableCards, OneCardPerTableWithItsTokensAddressFourToAPage) {
  const TableCardPages pages(TableCards("Cup", "http://10.0.0.5/", {{9, "e"}, {1, "a"}, {2, "b"}, {3, "c"}, {4, "d"}}));
  QStringList cards;
  for (const TableCard& c : pages.Cards()) cards << QString("%1 %2 %3").arg(c.tafel).arg(c.toernooi, c.address);
  EXPECT_EQ(cards.join(", "), "1 Cup http://10.0.0.5/t/a, 2 Cup http://10.0.0.5/t/b, 3 Cup http://10.0.0.5/t/c, "
                              "4 Cup http://10.0.0.5/t/d, 9 Cup http://10.0.0.5/t/e");
  EXPECT_EQ(pages.PageCount(1000, 1400, 96, {}), 2);
  EXPECT_EQ(TableCardRect(2, 1000, 1400), QRectF(0, 700, 500, 700));
  EXPECT_EQ(TableCardRect(7, 1000, 1400), QRectF(500, 700, 500, 700));
}

// From the program's start the server follows the desk's results and what
// the tables send, one publish per turn of the desk.
TEST_F(LiveDeskTest, ServerFollowsTheDesksResultsAndTheTablesEntries) {
  Open(18851, true, false);
  auto* pane = Show<LPaneEntries>(*window, NavType::Entries);
  ASSERT_NE(pane, nullptr);
  LiveClient page(port);
  ASSERT_EQ(page.Get("/data/nu").status, 200);
  int told = 0;
  QObject::connect(window.get(), &CVelgramDlg::dataChanged, [&](const DataChange& c) {
    told += c.kind == ChangeKind::kResult && c.idMatch == matches[1].id;
  });
  int publishes = window->Live().Publishes();
  db().RecordResult(matches[2].id, 0, {}, false);
  window->NotifyDataChanged(DataChange::Result(matches[2].id, pool));
  window->NotifyDataChanged(DataChange::Result(matches[2].id, pool));
  QTest::qWait(20);
  EXPECT_EQ(window->Live().Publishes(), ++publishes);

  Hand("aaaaaaaaaaaaaaaa", matches[0]);
  Hand("aaaaaaaaaaaaaaaa", matches[0]);  // sent again after a lost answer, before the desk's turn
  QTest::qWait(20);
  EXPECT_EQ(window->Live().Publishes(), ++publishes);
  EXPECT_EQ(Column(pane->Grid(), LPaneEntries::kStatus), QStringList{QStringLiteral("Wacht")});
  ExpectWaiting(1);

  LiveSettings{true, port, true, true, true}.Write(db(), idToernooi);
  Hand("bbbbbbbbbbbbbbbb", matches[1]);
  QTest::qWait(20);
  EXPECT_EQ(told, 1);  // as a result typed at the desk
  EXPECT_EQ(Column(pane->Grid(), LPaneEntries::kStatus), QStringList({"Wacht", "Geaccepteerd"}));
  ExpectWaiting(1);
  // The notice opens the pane.
  window->SelectItem(NavType::Players);
  QTest::mouseClick(window->EntriesNotice(), Qt::LeftButton);
  EXPECT_EQ(window->CurrentPane(), pane);

  window->close();
  EXPECT_EQ(std::pair(window->Live().Running(), page.Closed(500)), std::pair(false, true));
}

// The entries of one turn are stored together; one whose write is refused
// keeps nothing of the others from being stored, and comes again.
TEST_F(LiveDeskTest, ARefusedEntryOfATurnLosesNoOtherAndIsStoredWhenSentAgain) {
  Open(18852, true, false);
  const std::string refused(16, 'r'), kept(16, 'k');
  db().SetStatementHook([&](int, const char* sql) {
    const std::string text(sql);
    return text.find("INSERT INTO TableEntries") != std::string::npos && text.find(refused) != std::string::npos
               ? StatementFault::kFail
               : StatementFault::kRun;
  });
  auto turn = [&] {
    window->Live().Receive(Entry(refused, matches[0]));
    window->Live().Receive(Entry(kept, matches[1]));  // again the second time: the page had not listed it yet
    QTest::qWait(20);
    std::vector<std::string> ids;
    for (const QueuedEntry& q : ListTableEntries(db(), idToernooi, false)) ids.push_back(q.entry.entryId);
    return ids;
  };
  EXPECT_EQ(turn(), std::vector<std::string>{kept});
  ExpectWaiting(1);
  db().SetStatementHook(nullptr);
  EXPECT_EQ(turn(), std::vector<std::string>({kept, refused}));
}

TEST_F(LiveDeskTest, EntriesPaneAcceptsOrRejectsAndOpensTheResultWithItsSource) {
  Open(18853, true, false);
  auto* pane = Show<LPaneEntries>(*window, NavType::Entries);
  ASSERT_NE(pane, nullptr);
  for (int i : {0, 1}) {
    const bool accept = i == 0;
    SCOPED_TRACE(accept);
    Hand(std::string(16, static_cast<char>('c' + i)), matches[i]);
    QTest::qWait(20);
    ExpectWaiting(1);
    ASSERT_EQ(pane->Grid()->FirstSelectedRow(), 0);  // what waits comes first
    pane->Button(accept ? QStringLiteral("Accepteren") : QStringLiteral("Afwijzen"))->click();
    EXPECT_EQ(Column(pane->Grid(), LPaneEntries::kStatus).first(), accept ? "Geaccepteerd" : "Afgewezen");
    EXPECT_FALSE(pane->Button(QStringLiteral("Accepteren"))->isEnabled());
    ExpectWaiting(0);
    // The result dialog beside the entry names the table when it stored it.
    ResultSource source;
    ResultSourceOf(db(), matches[i].id, source);
    OnModal<LDlgResultBase>([&](LDlgResultBase* d) {
      EXPECT_EQ(d->Match().id, matches[i].id);
      EXPECT_EQ(d->SourceLabel()->isVisible(), accept);
      EXPECT_EQ(d->SourceLabel()->text(), accept ? ToQt(ResultSourceText(source)) : QString());
      d->reject();
    });
    pane->Button(QStringLiteral("Uitslag openen"))->click();
  }
}

}  // namespace
}  // namespace velgram::testing
