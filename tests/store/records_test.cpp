// Records of the store: tournaments, players, clubs, duos, classes, pools,
// positions, matches, results and match rules.
#include <algorithm>
#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "store/database.h"
#include "store_fixture.h"
#include "support/text.h"

namespace velgram {
namespace {

using Names = std::vector<std::string>;
using Games = std::vector<int>;

PlayerRecord Player(const std::string& name, int idClub = -1, const std::string& bondsnummer = "",
                    int rating = 0, const std::string& klasse = "") {
  return {-1, name, idClub, bondsnummer, rating, klasse, 0, "", ""};
}

class RecordsTest : public StoreTest {
 protected:
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
  Names ClassNames() {
    return Column("SELECT name FROM Systems WHERE idToernooi=" + std::to_string(toernooi) + " ORDER BY sort");
  }
  Names PoolNames(int idSystem) {
    return Column("SELECT name FROM Pools WHERE idSystem=" + std::to_string(idSystem) + " ORDER BY sort");
  }
  SystemRecord System(int id) {
    SystemRecord s;
    db.GetSystem(s, id);
    return s;
  }
  PlayerRecord Get(int id) {
    PlayerRecord p;
    db.GetPlayer(p, id);
    return p;
  }
  // A pool with two positions, a match with a full result and a round row.
  int AddPlayedMatch(int idPool) {
    for (int i = 0; i < 2; ++i) db.AddContestant({-1, idPool, 0, 0, 1, 0, 0, 0});
    int id = db.AddMatch(idPool, 1, 2, 1, 930);
    db.RecordResult(id, 0, {8, -5, 3}, true);
    db.AddRoundMatch(idPool, 1, id);
    return id;
  }

  int toernooi = db.AddToernooi("Toernooi");
};

// A taken name gets " (1)", " (2)", ...: tournaments and players everywhere,
// classes within their tournament, pools within their class. After 999 taken
// names the last candidate is used, but tournaments go on counting.
TEST_F(RecordsTest, TakenNamesGetTheNextFreeNumber) {
  const int other = db.AddToernooi("Ander"), cls = AddClass("Klasse"), otherClass = AddClass("Klasse", other);
  const struct {
    const char* table;
    std::string scope;  // the column and value of the records a name must differ from
    std::function<int(const std::string&, bool elsewhere)> add;
    const char *numbered, *elsewhere, *afterTheLimit;
  } kinds[] = {
      {"Toernooien", "", [&](const std::string& name, bool) { return db.AddToernooi(name); }, "'t Hoek (1)",
       "'t Hoek (2)", "Piet (1000)"},
      {"Systems", "idToernooi=" + std::to_string(toernooi),
       [&](const std::string& name, bool elsewhere) { return AddClass(name, elsewhere ? other : toernooi); },
       "'t Hoek (1)", "'t Hoek", "Piet (999)"},
      {"Pools", "idSystem=" + std::to_string(cls),
       [&](const std::string& name, bool elsewhere) { return AddPool(elsewhere ? otherClass : cls, name); },
       "'t Hoek (1)", "'t Hoek", "Piet (999)"},
      {"PlayersMain", "",
       [&](const std::string& name, bool elsewhere) {
         return db.AddPlayer(Player(name), elsewhere ? other : toernooi);
       },
       "'t Hoek (1)", "'t Hoek (2)", "Piet (999)"},
  };
  for (const auto& k : kinds) {
    SCOPED_TRACE(k.table);
    auto stored = [&](int id) { return Column(Format("SELECT name FROM %s WHERE id=%d", k.table, id)); };
    EXPECT_EQ(stored(k.add("'t Hoek", false)), Names{"'t Hoek"});
    EXPECT_EQ(stored(k.add("'t Hoek", false)), Names{k.numbered});
    EXPECT_EQ(stored(k.add("'t Hoek", true)), Names{k.elsewhere});
    const size_t is = k.scope.find('=');
    ASSERT_EQ(db.ExecText(nullptr, "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i+1 FROM n WHERE i<999) "
                                   "INSERT INTO " + std::string(k.table) + " (name" +
                                       (k.scope.empty() ? "" : "," + k.scope.substr(0, is)) +
                                       ") SELECT 'Piet'||IIF(i,' ('||i||')','')" +
                                       (k.scope.empty() ? "" : "," + k.scope.substr(is + 1)) + " FROM n"),
              0);
    EXPECT_EQ(stored(k.add("Piet", false)), Names{k.afterTheLimit});
  }
  // The new player, not an older one of that name, got the tournament entry.
  EXPECT_EQ(Column("SELECT name FROM PlayersMain,PlayersToernooi WHERE idPlayer=PlayersMain.id AND name LIKE 'Piet%'"),
            Names{"Piet (999)"});

  // An edit keeps the record's own name and avoids its neighbours'.
  SystemRecord s = System(AddClass("Dames"));
  s.name = "Klasse";
  db.UpdateSystem(s, toernooi);
  s.name = System(s.id).name;
  s.description = "onder 18";
  db.UpdateSystem(s, toernooi);
  s = System(s.id);
  EXPECT_EQ(std::tie(s.name, s.description), std::make_tuple("Klasse (1)", "onder 18"));
  PlayerRecord p = Get(db.AddPlayer(Player("Bea"), toernooi));
  p.name = "'t Hoek";
  db.UpdatePlayer(p);
  p = Get(p.id);
  p.rating = 1500;
  db.UpdatePlayer(p);
  p = Get(p.id);
  EXPECT_EQ(std::tie(p.name, p.rating), std::make_tuple("'t Hoek (3)", 1500));
  db.RenameToernooi(other, "Zomer '23");
  TournamentRecord t;
  db.GetToernooi(t, other);
  EXPECT_EQ(std::tie(t.name, t.idMatchSystem), std::make_tuple("Zomer '23", 0));  // never written: none, not -1
}

TEST_F(RecordsTest, ClassesAndPoolsAreSortedListedAndMoved) {
  int a = AddClass("A");
  AddClass("B");
  int c = AddClass("C");
  EXPECT_EQ(std::make_tuple(System(a).sort, System(c).sort), std::make_tuple(1, 3));  // 1: the tournament's first
  db.MoveSystemUp(a);
  db.MoveSystemDown(c);
  EXPECT_EQ(ClassNames(), (Names{"A", "B", "C"}));
  db.MoveSystemUp(c);
  EXPECT_EQ(ClassNames(), (Names{"A", "C", "B"}));
  db.MoveSystemDown(a);
  EXPECT_EQ(ClassNames(), (Names{"C", "A", "B"}));

  PoolRecord p;
  p.playstyle = kPlaystyleSwiss;
  p.extra = "{\"naam\":\"'x'\"}";
  int first = db.AddPool(p, a);
  int second = AddPool(a, "2");
  int otherClass = AddPool(c, "2");
  db.MovePoolDown(second, a);
  db.MovePoolDown(first, a);
  EXPECT_EQ(PoolNames(a), (Names{"2", ""}));
  for (auto [id, sort] : std::initializer_list<std::pair<int, int>>{{first, 2}, {second, 1}, {otherClass, 1}}) {
    ASSERT_TRUE(db.GetPool(id, p));
    EXPECT_EQ(p.sort, sort);
  }
  // A file of a later version may hold formats this one cannot play: the list
  // ends before the first of them, and it cannot be read alone.
  int odd = AddPool(a, "Later formaat", 7);
  int last = AddPool(a, "Drie", kPlaystyleDropout);
  std::vector<PoolRecord> list;
  db.ListPools(a, list);
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(std::make_tuple(list[0].id, list[1].extra), std::make_tuple(second, "{\"naam\":\"'x'\"}"));
  p.name = "unchanged";
  EXPECT_FALSE(db.GetPool(odd, p));
  EXPECT_EQ(p.name, "unchanged");
  db.ListEarlierPools(last, list);  // before it in the same class, up to the odd one
  EXPECT_EQ(list.size(), 2u);
  EXPECT_EQ(std::make_tuple(db.HasEarlierPool(last), db.HasEarlierPool(second), db.HasEarlierPool(otherClass)),
            std::make_tuple(true, false, false));
  // A refused commit is a failure, not a pool.
  db.SetStatementHook([](int, const char* sql) {
    return std::string(sql).rfind("COMMIT", 0) == 0 ? StatementFault::kFail : StatementFault::kRun;
  });
  EXPECT_EQ(AddPool(a, "Niet bewaard"), -1);
}

TEST_F(RecordsTest, CascadesTakeThePoolOrTheWholeClass) {
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
  for (const char* t : {"Contestants", "Matches", "Rounds"})
    EXPECT_EQ(Count(std::string(t) + " WHERE idPool=" + std::to_string(gone)), 0) << t;
  const std::string ofGone = " WHERE idMatch=" + std::to_string(goneMatch);
  EXPECT_EQ(Count("ResultWinner" + ofGone) + Count("ResultGames" + ofGone), 0);
  EXPECT_EQ(counts(), std::make_tuple(2, 4, 2, 2, 6, 2));  // the other pools keep theirs

  AddPool(a, "onbekend formaat", 9);  // not listable, but still the class's
  db.DeleteSystem(a);
  EXPECT_EQ(ClassNames(), (Names{"B"}));
  EXPECT_EQ(counts(), std::make_tuple(1, 2, 1, 1, 3, 1));
}

TEST_F(RecordsTest, ContestantsKeepTheirIdsWhenWrittenBack) {
  int p = AddPool(AddClass("A"), "P");
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

// Match ids are never reused while results or rounds refer to them. Deleting
// a round takes its matches and results and leaves the other rounds.
TEST_F(RecordsTest, MatchIdsRoundsAndResults) {
  int p = AddPool(AddClass("Heren"), "Poule 1");
  EXPECT_EQ(db.MaxRound(p), 0);
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

  for (int m : {6, 41}) db.AddRoundMatch(p, 1, m);
  for (int m : {2, 3}) db.AddRoundMatch(p, 2, m);
  for (int m : {2, 6}) db.RecordResult(m, 0, {5, 5, 5}, true);
  EXPECT_EQ(db.MaxRound(p), 2);
  db.DeleteRound(p, 1);
  std::vector<RoundEntry> rounds;
  db.ListRounds(rounds, p);
  ASSERT_EQ(rounds.size(), 2u);
  // Left: matches 1-4, the result of 2 and the games of 2 and of the deleted match 5.
  EXPECT_EQ(std::make_tuple(rounds[0].idMatch, rounds[1].round, Count("Matches"), Count("ResultWinner"),
                            Count("ResultGames")),
            std::make_tuple(2, 2, 4, 1, 6));
}

TEST_F(RecordsTest, ResultsAreReplacedWithAFreshStamp) {
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
TEST_F(RecordsTest, ResultsReadAlikeByIdsAndTournamentWide) {
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

MatchSystem UserRule(const std::string& name) {
  // To 21, best of 3, duo AX, AY, BY.
  return {0, 21, false, 3, 2, 4, name, false, false, true, true, false, true, false};
}

bool Listed(Database& db, int id) {
  std::vector<MatchSystem> list;
  db.ListMatchSystems(&list);
  return std::any_of(list.begin(), list.end(), [id](const MatchSystem& s) { return s.id == id; });
}

TEST_F(RecordsTest, RulesAreStoredCachedAndFallBackToBestOfFive) {
  MatchSystem s = UserRule("Tot 21 'oud'");
  EXPECT_EQ(db.AddMatchSystem(s), 6);  // after the five seeds
  EXPECT_EQ(s.id, 6);
  // Every field as the file holds it, not only as the cache does.
  auto fields = [](const MatchSystem& m) {
    return std::tie(m.name, m.gameStop, m.gameDiff, m.setMax, m.setWon, m.result, m.immutable, m.duoteam, m.duo_ax,
                    m.duo_ay, m.duo_bx, m.duo_by, m.duo_abxy);
  };
  MatchSystem back;
  Database(db.Path(), clock).GetMatchSystem(back, 6);
  EXPECT_EQ(fields(back), fields(s));
  s.setMax = 5;
  s.gameDiff = s.duoteam = s.duo_bx = s.duo_abxy = true;  // every flag turned
  s.duo_ax = s.duo_ay = s.duo_by = false;
  s.name = "Tot 21";
  db.UpdateMatchSystem(s);
  Database again(db.Path(), clock);
  again.GetMatchSystem(back, 6);
  EXPECT_EQ(fields(back), fields(s));
  // A new file was seeded once, not again at the later openings.
  EXPECT_EQ(Column("SELECT id||':'||name||':'||setMax||result||duo_abxy AS x FROM MatchSystems ORDER BY id", "x"),
            (Names{"1:Sets:310", "2:Best of 3:340", "3:Best of 5:540", "4:Best of 7:740", "5:Duo Dudodeva:231",
                   "6:Tot 21:541"}));

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

TEST_F(RecordsTest, DeleteRefusesSeededRulesAndRulesInUseAnywhere) {
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

// Players and clubs are shared by every tournament; each has its own entries.
TEST_F(RecordsTest, ClubsAreAddedOnceCachedAndListedPerTournament) {
  const int other = db.AddToernooi("Ander");
  EXPECT_EQ(db.GetOrAddClub(""), -1);
  EXPECT_EQ(db.GetClubName(1), "");  // an unknown id is not remembered as nameless
  int zwolle = db.GetOrAddClub("'s-Zwolle");
  ASSERT_EQ(zwolle, 1);
  EXPECT_EQ(db.GetClubName(1), "'s-Zwolle");
  EXPECT_EQ(db.GetOrAddClub("'s-Zwolle"), zwolle);
  EXPECT_EQ(Count("Clubs"), 1);

  int almelo = db.GetOrAddClub("Almelo");
  db.GetOrAddClub("Deventer");  // no players
  db.AddPlayer(Player("Anna", zwolle), toernooi);
  db.AddPlayer(Player("Bert", zwolle), toernooi);
  db.AddPlayer(Player("Cor", almelo), toernooi);
  db.AddPlayer(Player("Dirk", db.GetOrAddClub("Enschede")), other);
  std::vector<ClubEntry> list, distinct;
  db.ListClubs(toernooi, list);
  db.ListClubsOfToernooi(toernooi, distinct);
  for (const auto* l : {&list, &distinct}) {
    ASSERT_EQ(l->size(), 2u);
    EXPECT_EQ((*l)[0].name, "'s-Zwolle");
    EXPECT_EQ((*l)[1].id, almelo);
  }
}

TEST_F(RecordsTest, PlayersAreFoundAndEnteredPerTournament) {
  const int other = db.AddToernooi("Ander");
  PlayerRecord full = Player("Henk 't Hart", db.GetOrAddClub("De \"Batjes\""), "NL'123", 1650, "B'");
  full.gender = 1;
  full.email = "henk@example.nl";
  int henk = db.AddPlayer(full, toernooi);
  PlayerRecord back = Get(henk);
  EXPECT_EQ(std::tie(back.name, back.idClub, back.bondsnummer, back.rating, back.klasse, back.gender, back.email),
            std::tie(full.name, full.idClub, full.bondsnummer, full.rating, full.klasse, full.gender, full.email));
  // By bondsnummer first, else by name and club.
  int other1 = db.AddPlayer(Player("O'Neill", full.idClub), toernooi);
  EXPECT_EQ(db.FindPlayer(Player("Wrong name", -1, "NL'123")), henk);
  EXPECT_EQ(db.FindPlayer(Player("O'Neill", full.idClub, "9999999")), other1);
  EXPECT_EQ(db.FindPlayer(Player("O'Neill", full.idClub + 1)), -1);

  PlayerRecord p = Player("Kees");
  p.id = db.AddPlayer(Player("Kees", -1, "", 1200, "D"), toernooi);
  EXPECT_FALSE(db.SetPlayerInToernooi(p, other));  // a new entry
  EXPECT_TRUE(db.SetPlayerInToernooi(p, toernooi));   // nothing to set: unchanged
  EXPECT_EQ(Count("PlayersToernooi WHERE rating=1200 AND klasse='D'"), 1);
  std::vector<PlayerRecord> byId;
  db.ListPlayersById(other, {henk, p.id}, byId);  // henk is not entered there
  EXPECT_EQ(byId.size(), 1u);
  p.rating = 1400;  // a rating alone changes every entry's rating, not the class
  EXPECT_TRUE(db.SetPlayerInToernooi(p, toernooi));
  EXPECT_EQ(Count("PlayersToernooi WHERE rating=1400"), 2);
  EXPECT_EQ(Count("PlayersToernooi WHERE klasse='D'"), 1);
  p.rating = 0;
  p.klasse = "A'";
  EXPECT_TRUE(db.SetPlayerInToernooi(p, other));
  EXPECT_EQ(Count("PlayersToernooi WHERE klasse='A''' AND rating=1400"), 2);
}

TEST_F(RecordsTest, DuosShowOneOrTwoClubsAndBelongToTheirTournament) {
  const int other = db.AddToernooi("Ander");
  int zwolle = db.GetOrAddClub("Zwolle");
  int a = db.AddPlayer(Player("Anna", zwolle, "", 1000), toernooi);
  int b = db.AddPlayer(Player("Bert", db.GetOrAddClub("Kampen"), "", 1200), toernooi);
  int c = db.AddPlayer(Player("Cas", zwolle, "", 800), toernooi);
  db.AddDuo({-1, a, b, "A", "", "", 0}, toernooi);
  db.AddDuo({-1, a, c, "A", "", "", 0}, toernooi);

  std::vector<DuoRecord> list;
  db.ListDuos(list, toernooi);
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(std::tie(list[0].name, list[0].club, list[0].rating),
            std::make_tuple("Anna + Bert", "Zwolle/Kampen", 2200));
  EXPECT_EQ(std::tie(list[1].club, list[1].rating), std::make_tuple("Zwolle", 1800));

  // The players are shared, but another tournament has no pairs.
  for (int id : {a, b}) db.SetPlayerInToernooi({id, "", -1, "", 0, "", 0, "", ""}, other);
  std::vector<DuoRecord> none;
  db.ListDuos(none, other);
  EXPECT_TRUE(none.empty());

  list[0].idPlayer2 = c;
  db.UpdateDuo(list[0]);
  DuoRecord one{-1, -1, -1, "", "stale", "stale", 1};
  db.GetDuo(one, 424242);  // none: nothing stale is left
  EXPECT_EQ(std::tie(one.name, one.club, one.rating), std::make_tuple("", "", 0));
  db.GetDuo(one, list[0].id);  // looked up among all players
  EXPECT_EQ(one.name + "/" + one.club, "Anna + Cas/Zwolle");
}

}  // namespace
}  // namespace velgram
