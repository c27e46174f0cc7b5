// Records of the store: tournaments, players, clubs, duos, classes, pools,
// positions, matches, results and match rules.
#include <algorithm>
#include <string>
#include <tuple>
#include <vector>

#include "store/database.h"
#include "store_fixture.h"

namespace velgram {
namespace {

class CompetitionRecordsTest : public StoreTest {
 protected:
  CompetitionRecordsTest() { toernooi = db.AddToernooi("Toernooi"); }

  // Adds a class and returns its id (the store tells it only through a list).
  int AddClass(const std::string& name, int idToernooi = -1) {
    if (idToernooi < 0) idToernooi = toernooi;
    db.AddSystem({-1, name, "", 1, 0, 0}, idToernooi);
    std::vector<SystemRecord> list;
    db.ListSystems(list, idToernooi);
    return list.back().id;
  }

  int AddPool(int idSystem, const std::string& name, int playstyle = kPlaystylePoule) {
    return db.AddPool({-1, playstyle, -1, name, "", 0, 0, 0, "", 0}, idSystem);
  }

  std::vector<std::string> ClassNames() {
    return Column("SELECT name FROM Systems WHERE idToernooi=" + std::to_string(toernooi) + " ORDER BY sort");
  }
  std::vector<std::string> PoolNames(int idSystem) {
    return Column("SELECT name FROM Pools WHERE idSystem=" + std::to_string(idSystem) + " ORDER BY sort");
  }

  // A pool with two positions, a match with a full result and a round row.
  int AddPlayedMatch(int idPool) {
    for (int i = 0; i < 2; ++i) db.AddContestant({-1, idPool, 0, 0, 1, 0, 0, 0});
    int id = db.AddMatch(idPool, 1, 2, 1, 930);
    db.RecordResult(id, 0, {8, -5, 3}, true);
    db.AddRoundMatch(idPool, 1, id);
    return id;
  }

  SystemRecord System(int id) {
    SystemRecord s;
    db.GetSystem(s, id);
    return s;
  }
  int CountForPool(const char* table, int idPool) {
    return Count(std::string(table) + " WHERE idPool=" + std::to_string(idPool));
  }

  int toernooi = -1;
};

using Names = std::vector<std::string>;

TEST_F(CompetitionRecordsTest, SortValuesAndUniqueNamesOfClassesAndPools) {
  int a = AddClass("Jeugd");
  int a1 = AddClass("Jeugd");
  int other = db.AddToernooi("Ander");
  AddClass("Jeugd", other);
  EXPECT_EQ(ClassNames(), (Names{"Jeugd", "Jeugd (1)"}));
  EXPECT_EQ(std::make_tuple(System(a).sort, System(a1).sort), std::make_tuple(1, 2));  // 1: the tournament's first

  // Keeping its own name is no clash; taking a neighbour's is.
  int b = AddClass("Dames");
  SystemRecord s = System(a);
  s.description = "onder 18";
  db.UpdateSystem(s, toernooi);
  s = System(b);
  s.name = "Jeugd";
  db.UpdateSystem(s, toernooi);
  EXPECT_EQ(ClassNames(), (Names{"Jeugd", "Jeugd (1)", "Jeugd (2)"}));
  EXPECT_EQ(System(a).description, "onder 18");

  // After 999 taken names the last candidate is used.
  ASSERT_EQ(db.ExecText(nullptr, "WITH RECURSIVE n(i) AS (SELECT 3 UNION ALL SELECT i+1 FROM n WHERE i<999) "
                                 "INSERT INTO Systems (idToernooi,name,sort) SELECT " + std::to_string(toernooi) +
                                     ",'Jeugd ('||i||')',0 FROM n"),
            0);
  AddClass("Jeugd");
  EXPECT_EQ(Count("Systems WHERE name='Jeugd (999)'"), 2);

  int p1 = AddPool(a, "Finale 'A'");
  int p2 = AddPool(a, "Finale 'A'");
  int q1 = AddPool(b, "Finale 'A'");
  EXPECT_EQ(PoolNames(a), (Names{"Finale 'A'", "Finale 'A' (1)"}));
  EXPECT_EQ(PoolNames(b), (Names{"Finale 'A'"}));
  PoolRecord p;
  for (auto [id, sort] : std::initializer_list<std::pair<int, int>>{{p1, 1}, {p2, 2}, {q1, 1}}) {
    ASSERT_TRUE(db.GetPool(id, p));
    EXPECT_EQ(p.sort, sort);
  }
  // A refused commit is a failure, not a pool.
  db.SetStatementHook([](int, const char* sql) {
    return std::string(sql).rfind("COMMIT", 0) == 0 ? StatementFault::kFail : StatementFault::kRun;
  });
  EXPECT_EQ(AddPool(b, "Niet bewaard"), -1);
}

TEST_F(CompetitionRecordsTest, UnknownPlaystylesEndTheListAndEarlierPoolsAreOfTheClass) {
  int a = AddClass("A");
  PoolRecord p;
  p.playstyle = kPlaystyleSwiss;
  p.extra = "{\"naam\":\"'x'\"}";
  int id = db.AddPool(p, a);
  int odd = AddPool(a, "Later formaat", 7);
  int p3 = AddPool(a, "Drie", kPlaystyleDropout);
  std::vector<PoolRecord> list;
  db.ListPools(a, list);
  ASSERT_EQ(list.size(), 1u);
  EXPECT_EQ(list[0].extra, p.extra);
  p.name = "unchanged";
  EXPECT_FALSE(db.GetPool(odd, p));
  EXPECT_EQ(p.name, "unchanged");
  db.ListEarlierPools(p3, list);  // before it in the same class, up to the odd one
  ASSERT_EQ(list.size(), 1u);
  EXPECT_EQ(list[0].id, id);
  const int alone = AddPool(AddClass("B"), "1");
  EXPECT_EQ(std::make_tuple(db.HasEarlierPool(p3), db.HasEarlierPool(id), db.HasEarlierPool(alone)),
            std::make_tuple(true, false, false));
}

TEST_F(CompetitionRecordsTest, MovesSwapNeighboursAndStopAtTheEnds) {
  int a = AddClass("A");
  AddClass("B");
  int c = AddClass("C");
  db.MoveSystemUp(a);
  db.MoveSystemDown(c);
  EXPECT_EQ(ClassNames(), (Names{"A", "B", "C"}));
  db.MoveSystemUp(c);
  EXPECT_EQ(ClassNames(), (Names{"A", "C", "B"}));
  db.MoveSystemDown(a);
  EXPECT_EQ(ClassNames(), (Names{"C", "A", "B"}));

  int p1 = AddPool(a, "1");
  int p2 = AddPool(a, "2");
  db.MovePoolDown(p2, a);
  EXPECT_EQ(PoolNames(a), (Names{"1", "2"}));
  db.MovePoolDown(p1, a);
  EXPECT_EQ(PoolNames(a), (Names{"2", "1"}));
}

TEST_F(CompetitionRecordsTest, CascadesTakeThePoolOrTheWholeClass) {
  int a = AddClass("A");
  int b = AddClass("B");
  int gone = AddPool(a, "weg");
  int goneMatch = AddPlayedMatch(gone);
  AddPlayedMatch(AddPool(a, "blijft"));
  AddPlayedMatch(AddPool(b, "ander"));
  auto counts = [&] {
    return std::make_tuple(Count("Pools"), Count("Contestants"), Count("Matches"), Count("ResultWinner"),
                           Count("ResultGames"), Count("Rounds"));
  };
  db.DeletePool(gone);
  PoolRecord p;
  EXPECT_FALSE(db.GetPool(gone, p));
  for (const char* t : {"Contestants", "Matches", "Rounds"}) EXPECT_EQ(CountForPool(t, gone), 0) << t;
  const std::string ofGone = " WHERE idMatch=" + std::to_string(goneMatch);
  EXPECT_EQ(Count("ResultWinner" + ofGone) + Count("ResultGames" + ofGone), 0);
  EXPECT_EQ(counts(), std::make_tuple(2, 4, 2, 2, 6, 2));  // the other pools keep theirs

  AddPool(a, "onbekend formaat", 9);  // not listable, but still the class's
  db.DeleteSystem(a);
  EXPECT_EQ(ClassNames(), (Names{"B"}));
  EXPECT_EQ(counts(), std::make_tuple(1, 2, 1, 1, 3, 1));
}

TEST_F(CompetitionRecordsTest, ContestantsKeepTheirIdsWhenWrittenBack) {
  int a = AddClass("A");
  int p = AddPool(a, "P");
  ContestantRecord c;
  c.idPool = p;
  for (c.sort = 2; c.sort >= 0; --c.sort)
    c.poolPos = 10 + c.sort, c.linktype = c.sort, c.idPlayer = 50 + c.sort, c.idLinkedPool = 40 + c.sort,
    c.indexKlasse = c.sort, db.AddContestant(c);
  std::vector<ContestantRecord> list;
  db.ListContestants(p, list);  // by sort
  ASSERT_EQ(list.size(), 3u);
  EXPECT_EQ(std::tie(list[2].poolPos, list[2].linktype, list[2].idPlayer, list[2].idLinkedPool, list[2].indexKlasse),
            std::make_tuple(12, 2, 52, 42, 2));
  std::vector<ContestantRecord> back = {list[2], list[0], ContestantRecord{}};
  for (int i = 0; i < 3; ++i) back[i].sort = i;
  db.ReplaceContestants(p, back);
  db.ListContestants(p, list);
  ASSERT_EQ(list.size(), 3u);
  EXPECT_EQ(std::tie(list[0].id, list[1].id, list[2].idPool), std::tie(back[0].id, back[1].id, p));
}

TEST_F(CompetitionRecordsTest, MatchIdsAreNeverReusedWhileResultsReferToThem) {
  int p = AddPool(AddClass("Heren"), "Poule 1");
  for (int i = 1; i <= 5; ++i) EXPECT_EQ(db.AddMatch(p, i, 2, 6 - i, 900), i);
  db.WriteGames(5, {8, 9, 10});
  db.ExecText(nullptr, "DELETE FROM Matches WHERE id=5");
  EXPECT_EQ(db.AddMatch(p, 1, 2, 1, 930), 6);
  db.AddRoundMatch(p, 1, 40);  // a round row alone also keeps its id taken
  EXPECT_EQ(db.AddMatch(p, 1, 2, 1, 930), 41);
  std::vector<MatchRecord> list;
  db.ListMatches(p, list);  // by time, then table
  ASSERT_EQ(list.size(), 6u);
  EXPECT_EQ(std::make_tuple(list[0].id, db.ToernooiOfMatch(4), db.ToernooiOfMatch(5)),
            std::make_tuple(4, toernooi, -1));
}

TEST_F(CompetitionRecordsTest, ResultsAreReplacedWithAFreshStamp) {
  int p = AddPool(AddClass("A"), "P");
  int m = db.AddMatch(p, 1, 2, 1, 900);
  clock.fraction = 1234567;
  db.RecordResult(m, 1, {-8, 12, -1, -3, -9}, true);
  clock.Advance(65);
  db.RecordResult(m, 0, {8, -5, 3}, true);
  EXPECT_EQ(Count("ResultWinner"), 1);
  std::vector<MatchRecord> list;
  db.ListMatches(p, list);
  db.ReadResults(list);
  const MatchRecord& r = list[0];
  using Games = std::vector<int>;
  EXPECT_EQ(std::tie(r.indexWinner, r.stamp.isodate, r.stamp.isotime, r.stamp.isofraction, r.games),
            std::make_tuple(0, 20231015, 143110, 1234567, Games{8, -5, 3}));

  // The winner alone, and how the match was decided: the games stay.
  db.RecordResult(m, 1, {}, false, kDecisionRetired);
  db.ReadResults(list);
  EXPECT_EQ(std::tie(r.indexWinner, r.decision, r.games), std::make_tuple(1, kDecisionRetired, Games{8, -5, 3}));

  db.ClearResult(m);
  db.ReadResults(list);
  EXPECT_EQ(std::tie(r.indexWinner, r.games), std::make_tuple(-1, Games{}));
}

// Read by ids or tournament-wide, over more matches than one statement takes
// and in any order, every match gets its own result: a stale one is cleared,
// a match listed twice gets it twice, a row written without how the match was
// decided reads as played.
TEST_F(CompetitionRecordsTest, ResultsReadAlikeByIdsAndTournamentWide) {
  constexpr int kMatches = 50000;
  int p = AddPool(AddClass("A"), "P");
  // Every third match played: winner id%2, decided id/3%3 (0 written as NULL), games id%7+1 and -(id%5)-1.
  ASSERT_EQ(db.ExecText(nullptr,
                        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i+1 FROM n WHERE i<50000) "
                        "INSERT INTO Matches (id,idPool,idContestant1,idContestant2,tafel,starttime) "
                        "SELECT i," + std::to_string(p) + ",1,2,i%20,900 FROM n;"
                        "INSERT INTO ResultWinner (idMatch,indexWinner,isodate,isotime,isofraction,decision) "
                        "SELECT id,id%2,20231015,id,0,NULLIF(id/3%3,0) FROM Matches WHERE id%3=0;"
                        "INSERT INTO ResultGames (idMatch,game,result) SELECT id,1,-(id%5)-1 FROM Matches WHERE id%3=0;"
                        "INSERT INTO ResultGames (idMatch,game,result) SELECT id,0,id%7+1 FROM Matches WHERE id%3=0;"),
            0);
  AddPlayedMatch(AddPool(AddClass("B", db.AddToernooi("Ander")), "Q"));
  std::vector<MatchRecord> byIds;
  db.ListMatchesOfToernooi(toernooi, byIds);
  ASSERT_EQ(byIds.size(), static_cast<size_t>(kMatches));
  std::reverse(byIds.begin(), byIds.end());
  for (MatchRecord& m : byIds) m.indexWinner = 0, m.decision = kDecisionRetired, m.games = {1};
  byIds.push_back(*std::find_if(byIds.begin(), byIds.end(), [](const MatchRecord& m) { return m.id % 3 == 0; }));
  std::vector<MatchRecord> byToernooi = byIds;
  db.ReadResults(byIds);
  db.ReadResultsOfToernooi(toernooi, byToernooi);
  auto fields = [](const MatchRecord& m) { return std::tie(m.indexWinner, m.decision, m.stamp.isotime, m.games); };
  for (size_t i = 0; i < byIds.size(); ++i) {
    const MatchRecord& m = byIds[i];
    const bool played = m.id % 3 == 0;
    ASSERT_EQ(fields(m), std::make_tuple(played ? m.id % 2 : -1, played ? m.id / 3 % 3 : 0, played ? m.id : 0,
                                         played ? std::vector<int>{m.id % 7 + 1, -(m.id % 5) - 1} : std::vector<int>{}))
        << m.id;
    ASSERT_EQ(fields(byToernooi[i]), fields(m)) << m.id;
  }
}

TEST_F(CompetitionRecordsTest, DeleteRoundLeavesOtherRoundsIntact) {
  int p = AddPool(AddClass("A"), "P");
  EXPECT_EQ(db.MaxRound(p), 0);
  for (int round = 1; round <= 2; ++round)
    for (int i = 0; i < 4 - round; ++i) {
      int m = db.AddMatch(p, 1, 2, i, 900);
      db.AddRoundMatch(p, round, m);
      db.RecordResult(m, 0, {5, 5, 5}, true);
    }
  EXPECT_EQ(db.MaxRound(p), 2);
  db.DeleteRound(p, 1);
  std::vector<RoundEntry> rounds;
  db.ListRounds(rounds, p);
  ASSERT_EQ(rounds.size(), 2u);
  EXPECT_EQ(std::make_tuple(rounds[0].idMatch, rounds[1].round, Count("Matches"), Count("ResultWinner"),
                            Count("ResultGames")),
            std::make_tuple(4, 2, 2, 2, 6));
}

using MatchSystemsTest = StoreTest;

MatchSystem UserRule(const std::string& name) {
  return {0, 21, false, 3, 2, 4, name, false, false, false, true, false, true, false};  // to 21, best of 3, duo AY, BY
}

bool Listed(Database& db, int id) {
  std::vector<MatchSystem> list;
  db.ListMatchSystems(&list);
  return std::any_of(list.begin(), list.end(), [id](const MatchSystem& s) { return s.id == id; });
}

TEST_F(MatchSystemsTest, RulesAreStoredCachedAndFallBackToBestOfFive) {
  MatchSystem s = UserRule("Tot 21 'oud'");
  EXPECT_EQ(db.AddMatchSystem(s), 6);  // after the five seeds
  EXPECT_EQ(s.id, 6);
  MatchSystem back;
  Database(db.Path(), clock).GetMatchSystem(back, 6);  // what the file holds, not only the cache
  EXPECT_EQ(std::tie(back.name, back.gameDiff), std::make_tuple("Tot 21 'oud'", false));
  s.setMax = 5;
  s.gameDiff = true;
  s.name = "Tot 21";
  db.UpdateMatchSystem(s);
  Database again(db.Path(), clock);
  again.GetMatchSystem(back, 6);
  EXPECT_EQ(std::tie(back.name, back.gameDiff, back.setMax, back.duo_ay, back.duo_bx, back.duo_by),
            std::make_tuple("Tot 21", true, 5, true, false, true));

  // A failed update leaves the cache as the table is.
  db.ExecText(nullptr, "CREATE TRIGGER f BEFORE UPDATE ON MatchSystems BEGIN SELECT RAISE(ABORT,'x'); END");
  s.name = "Niet opgeslagen";
  db.UpdateMatchSystem(s);
  db.GetMatchSystem(back, 6);
  EXPECT_EQ(back.name, "Tot 21");

  db.GetMatchSystem(back, 424242);
  EXPECT_EQ(std::tie(back.id, back.name, back.setMax, back.result, back.immutable, back.duo_ay),
            std::make_tuple(0, "Best of 5", 5, 4, true, false));
}

TEST_F(MatchSystemsTest, DeleteRefusesSeededRulesAndRulesInUseAnywhere) {
  EXPECT_TRUE(!db.DeleteMatchSystem(3) && Listed(db, 3));
  EXPECT_TRUE(db.DeleteMatchSystem(999));  // never there

  MatchSystem byPool = UserRule("pool"), byClass = UserRule("klasse"), byTournament = UserRule("toernooi"),
              unused = UserRule("ongebruikt");
  for (MatchSystem* s : {&byPool, &byClass, &byTournament, &unused}) db.AddMatchSystem(*s);
  // Uses in another tournament than the one on screen count as well.
  int t1 = db.AddToernooi("T1");
  int t2 = db.AddToernooi("T2");
  db.AddSystem({-1, "", "", 0, 0, byClass.id}, t2);
  std::vector<SystemRecord> classes;
  db.ListSystems(classes, t2);
  int idPool = db.AddPool({-1, kPlaystylePoule, -1, "", "", 0, 0, 0, "", byPool.id}, classes[0].id);
  db.Exec(nullptr, "UPDATE Toernooien SET idMatchSystem=%d WHERE id=%d", byTournament.id, t1);
  for (int id : {byPool.id, byClass.id, byTournament.id})
    EXPECT_TRUE(!db.DeleteMatchSystem(id) && Listed(db, id)) << id;
  EXPECT_TRUE(db.DeleteMatchSystem(unused.id) && !Listed(db, unused.id));
  EXPECT_EQ(Count("MatchSystems"), 8);

  EXPECT_EQ(db.TournamentsUsingMatchSystem(byPool.id), std::vector<int>{t2});
  EXPECT_EQ(db.TournamentsUsingMatchSystem(byTournament.id), std::vector<int>{t1});
  EXPECT_EQ(db.SystemsUsingMatchSystem(byClass.id, t2), std::vector<int>{classes[0].id});
  EXPECT_TRUE(db.SystemsUsingMatchSystem(byClass.id, t1).empty());
  EXPECT_EQ(db.PoolsUsingMatchSystem(byPool.id, t2), std::vector<int>{idPool});

  // When the use cannot be read, the rule may be in use: it stays.
  MatchSystem loose = UserRule("los");
  db.AddMatchSystem(loose);
  db.ExecText(nullptr, "ALTER TABLE Pools RENAME TO PoolsWeg");
  EXPECT_TRUE(!db.DeleteMatchSystem(loose.id) && Listed(db, loose.id));
}

// Players are shared by every tournament; each has its own entries.
class ParticipantsTest : public StoreTest {
 protected:
  int t1 = db.AddToernooi("T1"), t2 = db.AddToernooi("T2");
};

PlayerRecord Player(const std::string& name, int idClub = -1, const std::string& bondsnummer = "",
                    int rating = 0, const std::string& klasse = "") {
  return {-1, name, idClub, bondsnummer, rating, klasse, 0, "", ""};
}

PlayerRecord Get(Database& db, int id) {
  PlayerRecord p;
  db.GetPlayer(p, id);
  return p;
}
std::string PlayerName(Database& db, int id) { return Get(db, id).name; }
// A player known by its id only, as the screens pass it to another tournament.
PlayerRecord Known(int id) { return {id, "", -1, "", 0, "", 0, "", ""}; }

TEST_F(ParticipantsTest, TournamentNamesAreUniqueWithoutLimitAndKeepQuotes) {
  int first = db.AddToernooi("'t Hoekje \"zomer\" & co");
  int second = db.AddToernooi("'t Hoekje \"zomer\" & co");
  TournamentRecord t;
  db.GetToernooi(t, second);
  EXPECT_EQ(t.name, "'t Hoekje \"zomer\" & co (1)");
  EXPECT_EQ(t.idMatchSystem, 0);  // never written: reads as none, not as "no column"
  db.RenameToernooi(first, "Zomer '23");
  db.GetToernooi(t, first);
  EXPECT_EQ(t.name, "Zomer '23");

  // Unlike players and classes, tournaments go past 999.
  std::string sql = "INSERT INTO Toernooien (name) VALUES ('Open')";
  for (int n = 1; n <= 999; ++n) sql += ",('Open (" + std::to_string(n) + ")')";
  ASSERT_EQ(db.ExecText(nullptr, sql), 0);
  db.GetToernooi(t, db.AddToernooi("Open"));
  EXPECT_EQ(t.name, "Open (1000)");
}

TEST_F(ParticipantsTest, ClubsAreAddedOnceCachedAndListedPerTournament) {
  EXPECT_EQ(db.GetOrAddClub(""), -1);
  EXPECT_EQ(db.GetClubName(1), "");  // an unknown id is not remembered as nameless
  int zwolle = db.GetOrAddClub("'s-Zwolle");
  ASSERT_EQ(zwolle, 1);
  EXPECT_EQ(db.GetClubName(1), "'s-Zwolle");
  EXPECT_EQ(db.GetOrAddClub("'s-Zwolle"), zwolle);
  EXPECT_EQ(Count("Clubs"), 1);

  int almelo = db.GetOrAddClub("Almelo");
  db.GetOrAddClub("Deventer");  // no players
  db.AddPlayer(Player("Anna", zwolle), t1);
  db.AddPlayer(Player("Bert", zwolle), t1);
  db.AddPlayer(Player("Cor", almelo), t1);
  db.AddPlayer(Player("Dirk", db.GetOrAddClub("Enschede")), t2);
  std::vector<ClubEntry> list, distinct;
  db.ListClubs(t1, list);
  db.ListClubsOfToernooi(t1, distinct);
  for (const auto* l : {&list, &distinct}) {
    ASSERT_EQ(l->size(), 2u);
    EXPECT_EQ((*l)[0].name, "'s-Zwolle");
    EXPECT_EQ((*l)[1].id, almelo);
  }
}

TEST_F(ParticipantsTest, PlayerNamesAreUniqueAcrossTournamentsUpTo999AndOnUpdate) {
  PlayerRecord full = Player("Henk 't Hart", db.GetOrAddClub("De \"Batjes\""), "NL'123", 1650, "B'");
  full.gender = 1;
  full.email = "henk@example.nl";
  int a = db.AddPlayer(full, t1);
  int b = db.AddPlayer(Player("Henk 't Hart"), t2);
  int c = db.AddPlayer(Player("Henk 't Hart"), t1);
  EXPECT_EQ(PlayerName(db, b), "Henk 't Hart (1)");
  EXPECT_EQ(PlayerName(db, c), "Henk 't Hart (2)");
  // An update keeps the player's own name and avoids the others'.
  PlayerRecord p = Get(db, c);
  p.rating = 1500;
  db.UpdatePlayer(p);
  p = Get(db, c);
  EXPECT_EQ(std::tie(p.name, p.rating), std::make_tuple("Henk 't Hart (2)", 1500));
  p = Get(db, b);
  p.name = "Bea";
  db.UpdatePlayer(p);
  p.name = "Henk 't Hart";
  db.UpdatePlayer(p);
  EXPECT_EQ(PlayerName(db, b), "Henk 't Hart (1)");
  std::vector<PlayerRecord> byId;
  db.ListPlayersById(t1, {c, b, a}, byId);  // b is not entered in t1
  EXPECT_EQ(byId.size(), 2u);
  PlayerRecord b2 = Get(db, a);
  EXPECT_EQ(std::tie(b2.name, b2.idClub, b2.bondsnummer, b2.rating, b2.klasse, b2.gender, b2.email),
            std::tie(full.name, full.idClub, full.bondsnummer, full.rating, full.klasse, full.gender, full.email));

  // After 999 taken names the last candidate is used, and the new player
  // still gets its own tournament entry.
  std::string sql = "INSERT INTO PlayersMain (name,idClub) VALUES ('Piet',-1)";
  for (int n = 1; n <= 999; ++n) sql += ",('Piet (" + std::to_string(n) + ")',-1)";
  ASSERT_EQ(db.ExecText(nullptr, sql), 0);
  int piet = db.AddPlayer(Player("Piet", -1, "", 1234), t2);
  EXPECT_EQ(PlayerName(db, piet), "Piet (999)");
  std::vector<PlayerRecord> list;
  db.ListPlayers(list, t2);
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list[1].id, piet);
  EXPECT_EQ(list[1].rating, 1234);
}

TEST_F(ParticipantsTest, SetPlayerInToernooiIsKeyedByThePlayer) {
  PlayerRecord p = Player("Kees");
  p.id = db.AddPlayer(Player("Kees", -1, "", 1200, "D"), t1);
  EXPECT_FALSE(db.SetPlayerInToernooi(p, t2));  // a new entry
  EXPECT_TRUE(db.SetPlayerInToernooi(p, t1));   // nothing to set: unchanged
  EXPECT_EQ(Count("PlayersToernooi WHERE rating=1200 AND klasse='D'"), 1);

  p.rating = 1400;  // a rating alone changes every entry's rating, not the class
  EXPECT_TRUE(db.SetPlayerInToernooi(p, t1));
  EXPECT_EQ(Count("PlayersToernooi WHERE rating=1400"), 2);
  EXPECT_EQ(Count("PlayersToernooi WHERE klasse='D'"), 1);
  p.rating = 0;
  p.klasse = "A'";
  EXPECT_TRUE(db.SetPlayerInToernooi(p, t2));
  EXPECT_EQ(Count("PlayersToernooi WHERE klasse='A''' AND rating=1400"), 2);
}

TEST_F(ParticipantsTest, FindPlayerFallsBackFromBondsnummerToNameAndClub) {
  int club = db.GetOrAddClub("Veenendaal");
  int withNumber = db.AddPlayer(Player("Els", club, "1234567"), t1);
  int other = db.AddPlayer(Player("O'Neill", club), t1);
  EXPECT_EQ(db.FindPlayer(Player("Wrong name", -1, "1234567")), withNumber);
  EXPECT_EQ(db.FindPlayer(Player("O'Neill", club, "9999999")), other);
  EXPECT_EQ(db.FindPlayer(Player("O'Neill", club + 1)), -1);
}

TEST_F(ParticipantsTest, DuosShowOneOrTwoClubsAndBelongToTheirTournament) {
  int zwolle = db.GetOrAddClub("Zwolle");
  int a = db.AddPlayer(Player("Anna", zwolle, "", 1000), t1);
  int b = db.AddPlayer(Player("Bert", db.GetOrAddClub("Kampen"), "", 1200), t1);
  int c = db.AddPlayer(Player("Cas", zwolle, "", 800), t1);
  db.AddDuo({-1, a, b, "A", "", "", 0}, t1);
  db.AddDuo({-1, a, c, "A", "", "", 0}, t1);

  std::vector<DuoRecord> list;
  db.ListDuos(list, t1);
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(std::tie(list[0].name, list[0].club, list[0].rating), std::make_tuple("Anna + Bert", "Zwolle/Kampen", 2200));
  EXPECT_EQ(std::tie(list[1].club, list[1].rating), std::make_tuple("Zwolle", 1800));

  // The players are shared, but another tournament has no pairs.
  for (int id : {a, b}) db.SetPlayerInToernooi(Known(id), t2);
  std::vector<DuoRecord> none;
  db.ListDuos(none, t2);
  EXPECT_TRUE(none.empty());

  list[0].idPlayer2 = c;
  db.UpdateDuo(list[0]);
  DuoRecord one;
  one.name = "stale";
  db.GetDuo(one, list[0].id);  // looked up among all players
  EXPECT_EQ(one.name + "/" + one.club, "Anna + Cas/Zwolle");
}

}  // namespace
}  // namespace velgram
