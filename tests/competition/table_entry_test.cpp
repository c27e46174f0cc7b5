// Results entered at the tables: what a device's JSON may hold, how the queue
// decides between accepting, waiting and refusing, the director's accept and
// reject, where a stored result came from, and the tables' tokens.
#include "competition/table_entry.h"

#include <gtest/gtest.h>

#include <functional>

#include "competition/poule.h"
#include "event_fixture.h"
#include "support/text.h"

namespace velgram {
namespace {

using testing::EventFixture;
using testing::ScopedEnv;

const GameTexts kWin = {{"11", "7"}, {"11", "5"}, {"11", "9"}};   // 3 - 0, stored as 8, 6, 10
const GameTexts kLose = {{"7", "11"}, {"5", "11"}, {"9", "11"}};  // 0 - 3
const std::vector<int> kWinCodes = {8, 6, 10};
const EntryStatus kA = EntryStatus::kAccepted, kW = EntryStatus::kWaiting, kR = EntryStatus::kRejected;

class TableEntryTest : public EventFixture {
 protected:
  void SetUp() override {
    db->SetSetting("PouleActivateWarning", "No");
    poule = AddPool(kPlaystylePoule, "1-2", 900);
    for (int i = 1; i <= 4; ++i) AddContestant(poule, AddPlayer("Speler " + std::to_string(i), "TTV", 1500), i);
    ASSERT_EQ(StartPoule(*db, prompter, poule), StartOutcome::kStarted);
    match = Matches(poule).front();
  }
  TableEntry Entry(const std::string& id, const GameTexts& games = kWin, int tafel = 0, int idMatch = 0) {
    TableEntry e;
    std::tie(e.entryId, e.device, e.mode, e.games) = std::tuple(id, "device-a1b2c3d4", kResultAll, games);
    std::tie(e.tafel, e.idMatch) = std::pair(tafel ? tafel : match.tafel, idMatch ? idMatch : match.id);
    return e;
  }
  SubmitOutcome Submit(const TableEntry& e, bool autoAccept = true) {
    return SubmitTableEntry(*db, idToernooi, e, autoAccept);
  }
  MatchRecord Stored() {
    for (const MatchRecord& m : Matches(poule))
      if (m.id == match.id) return m;
    return {};
  }
  size_t Entries() { return ListTableEntries(*db, idToernooi, false).size(); }
  int poule = -1;
  MatchRecord match;
};

TEST_F(TableEntryTest, QueueDecidesInItsOrder) {
  auto result = [&] { db->RecordResult(match.id, 1, {-3, -3, -3}, true); };
  auto other = [&](const GameTexts& games, bool reject) {
    return [&, games, reject] {
      const SubmitOutcome o = Submit(Entry("other-entry", games), false);
      if (reject) RejectTableEntry(*db, o.idEntry);
    };
  };
  const TableEntry here = Entry("entry-0001"), elsewhere = Entry("entry-0001", kWin, 9);
  const TableEntry tooFew = Entry("entry-0001", {{"11", "7"}}), gone = Entry("entry-0001", {{"11", "7"}}, 0, 999999);
  const std::string tooFewMessage = "De winnaar moet minstens 3 games gewonnen hebben.";
  struct Case {
    const char* name;
    std::function<void()> before;
    TableEntry entry;
    bool autoAccept;
    EntryStatus status;
    std::string reason;
    int toernooi = 0;  // added to the tournament the entry is sent to
  } const cases[] = {
      {"accepted at once", {}, here, true, kA, ""},
      {"the director accepts each", {}, here, false, kW, kEntryWaitsMessage},
      {"result first, then table", result, elsewhere, true, kW, kEntryHasResultMessage},
      {"another table's token", {}, elsewhere, true, kW, kEntryMovedMessage},
      {"moved before disagreeing", other(kLose, false), elsewhere, true, kW, kEntryMovedMessage},
      {"second device disagrees", other(kLose, false), here, true, kW, kEntryDisagreesMessage},
      {"second device agrees", other(kWin, false), here, true, kA, ""},
      {"disagreeing but refused", other(kLose, true), here, true, kA, ""},
      {"rules before the result", result, tooFew, true, kR, tooFewMessage},
      {"gone before the rules", {}, gone, true, kR, kMatchGoneMessage},
      {"another tournament's match", {}, here, true, kR, kMatchGoneMessage, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    db->Exec(nullptr, "DELETE FROM TableEntries");
    db->ClearResult(match.id);
    if (c.before) c.before();
    const int waiting = CountWaitingEntries(*db, idToernooi);
    const SubmitOutcome out = SubmitTableEntry(*db, idToernooi + c.toernooi, c.entry, c.autoAccept);
    EXPECT_EQ(std::tuple(out.stored, out.duplicate, out.status, out.reason),
              std::tuple(true, false, c.status, c.reason));
    QueuedEntry q;
    ASSERT_TRUE(GetTableEntry(*db, out.idEntry, q));
    EXPECT_EQ(std::tuple(q.status, q.reason, q.entry.tafel, q.received, q.idToernooi),
              std::tuple(c.status, c.reason, c.entry.tafel, clock.NowUnix(), idToernooi + c.toernooi));
    EXPECT_EQ(CountWaitingEntries(*db, idToernooi), waiting + (c.status == kW));
    const bool ok = c.status == kA;
    ResultSource source;
    const bool hasSource = ResultSourceOf(*db, match.id, source);
    EXPECT_EQ(std::tuple(out.resultStored, out.change.kind, out.change.idMatch, out.change.idPool, hasSource),
              ok ? std::tuple(true, ChangeKind::kResult, match.id, poule, true)
                 : std::tuple(false, ChangeKind::kStructure, -1, -1, false));
    if (ok) {
      EXPECT_EQ(std::tuple(source.idEntry, Stored().indexWinner, Stored().games),
                std::tuple(out.idEntry, 0, kWinCodes));
    }
  }
}

TEST_F(TableEntryTest, SameEntryIdIsStoredOnce) {
  const SubmitOutcome first = Submit(Entry("entry-0001"));
  const SubmitOutcome again = Submit(Entry("entry-0001", kLose));
  EXPECT_EQ(std::tuple(again.stored, again.duplicate, again.idEntry, again.status, again.reason, again.resultStored),
            std::tuple(true, true, first.idEntry, kA, "", false));
  EXPECT_FALSE(Submit(Entry("short")).stored);
  EXPECT_EQ(std::tuple(Entries(), Stored().indexWinner), std::tuple(1u, 0));
}

TEST_F(TableEntryTest, DirectorAcceptsOrRejects) {
  auto moved = [&](int) { MatchRecord m = match; m.tafel = 9; db->UpdateMatch(m); };
  auto bestOf3 = [&](int) { PoolRecord p; db->GetPool(poule, p); p.idMatchSystem = 2; db->UpdatePool(p); };
  struct Case { const char* name; std::function<void(int idEntry)> meanwhile; std::string alert; } const cases[] = {
      {"nothing changed", [](int) {}, ""},
      {"a result typed at the desk is replaced", [&](int) { db->RecordResult(match.id, 1, {}, false); }, ""},
      {"moved to another table", moved, ""},
      {"match deleted", [&](int) { db->DeleteMatchesOfPool(poule); }, kMatchGoneMessage},
      {"rules changed", bestOf3, "De winnaar heeft teveel games gewonnen."},
      {"refused", [&](int id) {
         EXPECT_TRUE(RejectTableEntry(*db, id));
         EXPECT_FALSE(RejectTableEntry(*db, id));  // only while it waits
         QueuedEntry q;
         EXPECT_TRUE(GetTableEntry(*db, id, q) && q.status == kR && q.reason == kEntryRejectedMessage);
       }, "Deze invoer wacht niet meer op de wedstrijdtafel."},
  };
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SetUp();
    const int id = Submit(Entry(Format("entry-%04d", ++n)), false).idEntry;
    c.meanwhile(id);
    prompter.alerts.clear();
    DataChange change;
    const bool ok = c.alert.empty();
    EXPECT_EQ(AcceptTableEntry(*db, prompter, id, &change), ok);
    EXPECT_EQ(prompter.alerts, ok ? std::vector<std::string>{} : std::vector<std::string>{c.alert});
    QueuedEntry q;
    ASSERT_TRUE(GetTableEntry(*db, id, q));
    EXPECT_EQ(std::tuple(q.status == kA, change.kind, change.idMatch, Stored().indexWinner),
              ok ? std::tuple(true, ChangeKind::kResult, match.id, 0)
                 : std::tuple(false, ChangeKind::kStructure, -1, -1));
    if (ok) {
      EXPECT_EQ(std::tuple(q.reason, change.idPool, Stored().games), std::tuple("", poule, kWinCodes));
    }
  }
}

// The program closed with entries waiting: they come back as they were sent,
// and the accepted one is the result's source until the desk types it again.
TEST_F(TableEntryTest, WaitingEntriesOutliveARestart) {
  ScopedEnv tz("TZ", "UTC");
  tzset();
  const TableEntry e = Entry("entry-0001", {{"11", "7"}, {"5", "11"}, {"11", "9"}, {"12", "10"}});
  Submit(e, false);
  Submit(Entry("entry-0002", kLose), false);
  db = std::make_unique<Database>(dir.File("Velgram.db"), clock);
  const std::vector<QueuedEntry> list = ListTableEntries(*db, idToernooi, true);
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(std::tuple(TableEntryJson(list[0].entry), list[0].entry.tafel, list[1].entry.entryId),
            std::tuple(TableEntryJson(e), match.tafel, "entry-0002"));
  ASSERT_TRUE(AcceptTableEntry(*db, prompter, list[0].id, nullptr));
  EXPECT_EQ(Stored().games, (std::vector<int>{8, -6, 10, 11}));
  EXPECT_EQ(std::tuple(CountWaitingEntries(*db, idToernooi), Entries()), std::tuple(1, 2u));
  ResultSource source;
  ASSERT_TRUE(ResultSourceOf(*db, match.id, source));
  EXPECT_EQ(std::tuple(source.idEntry, source.tafel, source.device, source.received),
            std::tuple(list[0].id, match.tafel, "device-a1b2c3d4", clock.NowUnix()));
  EXPECT_EQ(ResultSourceText(source), Format("Ingevoerd aan tafel %d om 14:07:09, apparaat device-a", match.tafel));
  ASSERT_TRUE(SaveResult(*db, match.id, DecideWinnerOnly(1)));
  EXPECT_FALSE(ResultSourceOf(*db, match.id, source));
}

// Each statement of storing or accepting an entry fails in turn, as on a full
// disk: either everything is written, or nothing is.
TEST_F(TableEntryTest, FailedStatementWritesNothing) {
  for (bool accept : {false, true}) {
    auto reset = [&] {
      db->Exec(nullptr, "DELETE FROM TableEntries");
      db->ClearResult(match.id);
      return accept ? Submit(Entry("entry-0001"), false).idEntry : 0;
    };
    auto run = [&](int id) {
      return accept ? AcceptTableEntry(*db, prompter, id, nullptr) : Submit(Entry("entry-0001")).stored;
    };
    int statements = 0, id = reset();
    db->SetStatementHook([&](int n, const char*) { return statements = n, StatementFault::kRun; });
    ASSERT_TRUE(run(id));
    db->SetStatementHook(nullptr);
    for (StatementFault fault : {StatementFault::kFail, StatementFault::kLeaveTransaction}) {
      for (int k = 1; k <= statements; ++k) {
        SCOPED_TRACE(Format("%s, statement %d of %d", accept ? "accept" : "submit", k, statements));
        id = reset();
        db->SetStatementHook([&](int n, const char*) { return n == k ? fault : StatementFault::kRun; });
        const bool ok = run(id);
        db->SetStatementHook(nullptr);
        QueuedEntry q;
        const EntryStatus status = GetTableEntry(*db, id, q) ? q.status : kR;
        EXPECT_EQ(std::tuple(Stored().indexWinner, Stored().games.size(), Entries(), status),
                  ok ? std::tuple(0, 3u, 1u, accept ? kA : kR)
                     : std::tuple(-1, 0u, accept ? 1u : 0u, accept ? kW : kR));
      }
    }
  }
}

TEST_F(TableEntryTest, TokensPerTable) {
  unsigned char next = 0;
  auto counter = [&](unsigned char* out, std::size_t n) { while (n--) *out++ = next++; };
  EXPECT_EQ(NewTableToken(counter), "000102030405060708090a0b0c0d0e0f");
  MatchRecord moved = match;
  moved.tafel = 7;
  db->UpdateMatch(moved);
  EXPECT_EQ(TablesOfToernooi(*db, idToernooi), (std::vector<int>{1, 2, 7}));
  const std::map<int, std::string> tokens = TableTokens(*db, idToernooi, counter);
  ASSERT_EQ(tokens.size(), 3u);
  EXPECT_EQ(std::tuple(tokens.at(2), db->GetSetting(Format("TableToken%d_7", idToernooi))),
            std::tuple("202122232425262728292a2b2c2d2e2f", tokens.at(7)));
  EXPECT_EQ(TableTokens(*db, idToernooi, counter), tokens);  // kept, none made
  // A lost card: the table's old token stops working, the others stay.
  std::map<int, std::string> after = tokens;
  after[2] = RenewTableToken(*db, idToernooi, 2);
  EXPECT_NE(after[2], tokens.at(2));
  EXPECT_EQ(TableTokens(*db, idToernooi), after);

  EXPECT_EQ(RenewTableToken(*db, idToernooi, 0), "");
  AddPool(kPlaystylePoule, "8", 900);
  RefuseWrites();
  EXPECT_EQ(RenewTableToken(*db, idToernooi, 1), "");
  EXPECT_EQ(TableTokens(*db, idToernooi), after);  // table 8's token could not be kept
}

TEST(TableEntryJsonTest, ReadsOnlyWhatADeviceMaySend) {
  // Ids at their shortest and longest, with every kind of character.
  const std::string ids = R"({"entry":"AZaz09-_","device":")" + std::string(64, 'd') + "\",";
  const std::string head = ids + R"("match":12,)";
  std::string duo = R"(["11","7"])";
  for (int i = 1; i < kDuoGames; ++i) duo += R"(,["",""])";
  const std::pair<std::string, std::string> good[] = {  // as sent, as stored
      {head + R"("mode":4,"tafel":9,"games":[["11","7"],["9","11"]]})",
       head + R"("mode":4,"decision":0,"side":-1,"games":[["11","7"],["9","11"]]})"},
      {head + R"("mode":1,"decision":1,"side":0})", head + R"("mode":1,"decision":1,"side":0,"winner":-1})"},
      {head + R"("mode":1,"side":1,"winner":1})", head + R"("mode":1,"decision":0,"side":-1,"winner":1})"},
      {head + "\"mode\":2,\"games1\":\"3\xC3\xA9\\\"\",\"games2\":\"1\"}",
       head + R"("mode":2,"decision":0,"side":-1,"games1":"3\u00e9\"","games2":"1"})"},
      {head + R"("mode":3,"decision":2,"side":1,"duo":[["11","7"]]})",
       head + R"("mode":3,"decision":2,"side":1,"duo":[)" + duo + "]}"},
      {head + R"("mode":4)" + std::string(kTableEntryMaxBytes - head.size() - 9, ' ') + "}",
       head + R"("mode":4,"decision":0,"side":-1,"games":[]})"},
  };
  for (const auto& [json, stored] : good) {
    SCOPED_TRACE(json);
    TableEntry e, back;
    ASSERT_TRUE(ReadTableEntryJson(json, 5, e));
    EXPECT_EQ(std::tuple(TableEntryJson(e), e.tafel), std::tuple(stored, 5));
    ASSERT_TRUE(ReadTableEntryJson(stored, 6, back));
    EXPECT_EQ(TableEntryJson(back), stored);
  }
  const std::string eight = R"(["1","2"],["1","2"],["1","2"],["1","2"],["1","2"],["1","2"],["1","2"],["1","2"])";
  for (const std::string& bad : std::vector<std::string>{
           "nonsense", R"({"entry":"abcdefg","device":"dev_0001-X","match":12,"mode":4})",
           R"({"entry":"abcdefg!","device":"dev_0001-X","match":12,"mode":4})",
           R"({"entry":")" + std::string(65, 'a') + R"(","device":"dev_0001-X","match":12,"mode":4})",
           R"({"entry":["abcdefgh"],"device":"dev_0001-X","match":12,"mode":4})",
           R"({"entry":"abcdefgh","match":12,"mode":4})", ids + R"("match":"12","mode":4})",
           ids + R"("match":0,"mode":4})", head + R"("mode":5})", head + R"("mode":null})",
           head + R"("mode":4,"decision":3,"side":0})", head + R"("mode":4,"decision":1})",
           head + R"("mode":4,"decision":1,"side":2})", head + R"("mode":4,"side":true})",
           head + R"("mode":1,"winner":2})", head + R"("mode":1,"winner":"1"})", head + R"("mode":2,"games1":3})",
           head + R"("mode":2,"games2":null})", head + R"("mode":4,"games":"11-7"})",
           head + R"("mode":4,"games":[["11","7","1"]]})", head + R"("mode":4,"games":[["11",7]]})",
           head + R"("mode":4,"games":[)" + eight + "]}", head + R"("mode":3,"duo":[)" + duo + R"(,["",""]]})",
           head + R"("mode":4)" + std::string(kTableEntryMaxBytes - head.size() - 8, ' ') + "}"}) {
    TableEntry e;
    EXPECT_FALSE(ReadTableEntryJson(bad, 5, e)) << bad.substr(0, 120);
  }
}

TEST(TableEntryDecideTest, TheMatchRulesDecide) {
  MatchSystem bestOf5 = DefaultMatchSystem(), sets = bestOf5, gamesWon = bestOf5, long9 = bestOf5, duo = bestOf5;
  std::tie(sets.result, gamesWon.result, long9.setMax) = std::tuple(kResultSets, kResultGames, 9);
  std::tie(duo.result, duo.duoteam, duo.name) = std::tuple(kResultPoints, true, "Duo Dudodeva");
  MatchSystem otherDuo = duo;
  otherDuo.name = "Duo";
  auto entry = [](int mode, int decision = kDecisionPlayed, int side = -1, int winner = 1) {
    TableEntry e;
    std::tie(e.mode, e.ending, e.winner, e.games1, e.games2, e.games) =
        std::tuple(mode, Ending{decision, side}, winner, "3", "1", kWin);
    return e;
  };
  struct Case { MatchSystem ms; TableEntry entry; std::string error, text; } const cases[] = {
      {bestOf5, entry(kResultAll), "", "3 - 0 (11-7, 11-5, 11-9)"},
      {bestOf5, entry(kResultAll, kDecisionWalkover, 0), "", "0 - 1 w.o."},
      {bestOf5, entry(kResultSets), kTableEntryModeMessage, ""},
      {long9, entry(kResultSets), "", "0 - 1"},
      {sets, entry(kResultSets, kDecisionRetired, 1), "", "1 - 0 opg."},
      {sets, entry(kResultSets, kDecisionPlayed, -1, -1), "Er is geen winnaar.", ""},
      {gamesWon, entry(kResultGames), "", "3 - 1"},
      {gamesWon, entry(kResultAll), kTableEntryModeMessage, ""},
      {duo, entry(kResultPoints), "Game 1 van a-x is incorrect.", ""},
      {otherDuo, entry(kResultPoints), "Alleen Duo Dudodeva wordt ondersteund op dit moment.", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text + c.error);
    EXPECT_EQ(std::tuple(DecideTableEntry(c.ms, c.entry).error, TableEntryText(c.ms, c.entry)),
              std::tuple(c.error, c.text));
  }
}

}  // namespace
}  // namespace velgram
