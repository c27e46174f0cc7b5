// Results entered at the tables, at the desk: what the phones send is stored once and counted, and
// the pane accepts, rejects and opens the match's result dialog.
#include <QTest>

#include "app/live/live_desk.h"
#include "app/panes/pane_entries.h"
#include "app/results/dlg_result_base.h"
#include "app/shell/qtext.h"
#include "competition/poule.h"
#include "competition/table_entry.h"
#include "tests/app/live/live_client.h"
#include "tests/app/shell_fixture.h"

namespace velgram::testing {
namespace {

class EntriesPaneTest : public ShellTest {
 protected:
  void SetUp() override {
    idToernooi = OpenTournament();
    db().SetSetting("PouleActivateWarning", "No");
    pool = PoolOf(AddClass("Senioren"), "Poule A",
                  {"Marieke van den Berg", "Jeroen Kuipers", "Sanne de Wit", "Ruud Bakker"});
    ASSERT_EQ(StartPoule(db(), prompter, pool), StartOutcome::kStarted);
    db().ListMatches(pool, matches);
    Allow(false);
    window = Window();
    window->show();
    ASSERT_TRUE(window->Live().Running());
  }
  void Allow(bool autoAccept) {
    LiveSettings s{true, 18500, true};
    s.tableEntry = true;
    s.autoAccept = autoAccept;
    ASSERT_TRUE(s.Write(db(), idToernooi));
  }
  // A 3-0 from the match's own table.
  TableEntry Entry(const std::string& entryId, const MatchRecord& m,
                   GameTexts games = {{"11", "7"}, {"11", "8"}, {"11", "9"}}, int tafel = 0,
                   const std::string& device = "toestel-01") {
    return {.entryId = entryId, .device = device, .tafel = tafel ? tafel : m.tafel, .idMatch = m.id,
            .mode = kResultAll, .ending = {}, .games1 = {}, .games2 = {}, .games = std::move(games), .duo = {}};
  }
  // Sent by the table's phone, through the hall's server.
  void Hand(const std::string& entryId, const MatchRecord& m) {
    const std::string body = TableEntryJson(Entry(entryId, m)), token = TableTokens(db(), idToernooi)[m.tafel];
    LiveClient phone(18500);
    phone.Send("POST /tafel/uitslag HTTP/1.1\r\nHost: x\r\nContent-Type: application/json\r\nCookie: velgram_tafel=" +
               token + "\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body);
    EXPECT_EQ(phone.Receive().status, 202);
  }
  int Winner(int idMatch) {
    std::vector<MatchRecord> now;
    db().ListMatches(pool, now);
    db().ReadResults(now);
    return std::find_if(now.begin(), now.end(), [&](const MatchRecord& m) { return m.id == idMatch; })->indexWinner;
  }
  void ExpectWaiting(int n) {
    EXPECT_EQ(window->Navigation().Find(NavType::Entries)->text(0),
              QStringLiteral("Binnengekomen uitslagen (%1)").arg(n));
    EXPECT_EQ(window->EntriesNotice()->isVisible() ? window->EntriesNotice()->text() : QString(),
              n ? QStringLiteral("1 binnengekomen uitslag wacht") : QString());
  }

  int idToernooi = -1, pool = -1;
  std::vector<MatchRecord> matches;
  std::unique_ptr<CVelgramDlg> window;
};

TEST_F(EntriesPaneTest, HandedEntriesAreStoredOnceCountedListedAndAcceptedAtOnceWhenAllowed) {
  auto* pane = Show<LPaneEntries>(*window, NavType::Entries);
  ASSERT_NE(pane, nullptr);
  int told = 0;
  QObject::connect(window.get(), &CVelgramDlg::dataChanged, [&](const DataChange& c) {
    told += c.kind == ChangeKind::kResult && c.idMatch == matches[1].id;
  });
  const int publishes = window->Live().Publishes();
  Hand("aaaaaaaaaaaaaaaa", matches[0]);
  Hand("aaaaaaaaaaaaaaaa", matches[0]);  // sent again after a lost answer, before the desk's turn
  QTest::qWait(20);
  EXPECT_EQ(window->Live().Publishes(), publishes + 1);  // one turn, one publish
  EXPECT_EQ(ListTableEntries(db(), idToernooi, false).size(), 1u);
  EXPECT_EQ(Column(pane->Grid(), LPaneEntries::kStatus), QStringList{QStringLiteral("Wacht")});
  ExpectWaiting(1);

  Allow(true);
  Hand("bbbbbbbbbbbbbbbb", matches[1]);
  QTest::qWait(20);
  EXPECT_EQ(told, 1);  // as a result typed at the desk
  EXPECT_EQ(Winner(matches[1].id), 0);
  EXPECT_EQ(Column(pane->Grid(), LPaneEntries::kStatus), QStringList({"Wacht", "Geaccepteerd"}));
  ExpectWaiting(1);
  // The notice opens the pane.
  window->SelectItem(NavType::Players);
  QTest::mouseClick(window->EntriesNotice(), Qt::LeftButton);
  EXPECT_EQ(window->CurrentPane(), pane);
}

// The entries of one turn are stored together; one whose write is refused
// keeps nothing of the others from being stored, and comes again.
TEST_F(EntriesPaneTest, ARefusedEntryOfATurnLosesNoOtherAndIsStoredWhenSentAgain) {
  const std::string refused(16, 'r'), kept(16, 'k');
  db().SetStatementHook([&](int, const char* sql) {
    return std::string(sql).find("INSERT INTO TableEntries") != std::string::npos &&
                   std::string(sql).find(refused) != std::string::npos
               ? StatementFault::kFail
               : StatementFault::kRun;
  });
  window->Live().Receive(Entry(refused, matches[0]));
  window->Live().Receive(Entry(kept, matches[1]));
  QTest::qWait(20);
  auto stored = [&] {
    std::vector<std::string> ids;
    for (const QueuedEntry& q : ListTableEntries(db(), idToernooi, false)) ids.push_back(q.entry.entryId);
    return ids;
  };
  EXPECT_EQ(stored(), std::vector<std::string>{kept});
  ExpectWaiting(1);
  db().SetStatementHook(nullptr);
  window->Live().Receive(Entry(refused, matches[0]));
  window->Live().Receive(Entry(kept, matches[1]));  // the page had not listed it yet
  QTest::qWait(20);
  EXPECT_EQ(stored(), std::vector<std::string>({kept, refused}));
  // Its table's page lists it now, so its phone stops sending it.
  const std::string token = TableTokens(db(), idToernooi)[matches[0].tafel];
  const LiveAnswer page = LiveClient(18500).Get("/tafel/data", "Cookie: velgram_tafel=" + token + "\r\n");
  EXPECT_NE(page.body.find("\"entry\":\"" + refused + "\""), std::string::npos);
}

TEST_F(EntriesPaneTest, ThePaneAcceptsOrRejectsAndOpensTheResultWithItsSource) {
  struct Case { const char* button; const char* status; int winner; };
  const Case cases[] = {{"Accepteren", "Geaccepteerd", 0}, {"Afwijzen", "Afgewezen", -1}};
  auto* pane = Show<LPaneEntries>(*window, NavType::Entries);
  ASSERT_NE(pane, nullptr);
  for (int i = 0; i < 2; ++i) {
    const Case& c = cases[i];
    SCOPED_TRACE(c.button);
    Hand(std::string(16, static_cast<char>('c' + i)), matches[i]);
    QTest::qWait(20);
    ExpectWaiting(1);
    ASSERT_EQ(pane->Grid()->FirstSelectedRow(), 0);  // what waits comes first
    pane->Button(QString::fromLatin1(c.button))->click();
    EXPECT_EQ(Winner(matches[i].id), c.winner);
    EXPECT_EQ(Column(pane->Grid(), LPaneEntries::kStatus).first(), QString::fromLatin1(c.status));
    EXPECT_FALSE(pane->Button(QStringLiteral("Accepteren"))->isEnabled());
    ExpectWaiting(0);

    // The result dialog beside the entry names the table when it stored it.
    ResultSource source;
    const bool fromTable = ResultSourceOf(db(), matches[i].id, source);
    EXPECT_EQ(fromTable, c.winner >= 0);
    OnModal<LDlgResultBase>([&](LDlgResultBase* d) {
      EXPECT_EQ(d->Match().id, matches[i].id);
      EXPECT_EQ(d->SourceLabel()->isVisible(), fromTable);
      EXPECT_EQ(d->SourceLabel()->text(), fromTable ? ToQt(ResultSourceText(source)) : QString());
      d->reject();
    });
    pane->Button(QStringLiteral("Uitslag openen"))->click();
  }
}
}  // namespace
}  // namespace velgram::testing
