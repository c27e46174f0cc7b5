#include <algorithm>
#include <string>
#include <tuple>
#include <vector>

#include "store/database.h"
#include "store_fixture.h"

namespace velgram {
namespace {

using MatchSystemsTest = StoreTest;

MatchSystem UserRule(const std::string& name) {
  MatchSystem s;
  s.gameStop = 21;
  s.gameDiff = true;
  s.setMax = 3;
  s.setWon = 2;
  s.result = 4;
  s.name = name;
  s.duo_ay = true;
  return s;
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
  s.setMax = 5;
  s.name = "Tot 21";
  db.UpdateMatchSystem(s);
  Database again(db.Path(), clock);  // what the file holds, not only the cache
  MatchSystem back;
  again.GetMatchSystem(back, 6);
  EXPECT_EQ(std::tie(back.name, back.setMax, back.duo_ay, back.duo_bx), std::make_tuple("Tot 21", 5, true, false));

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
  EXPECT_FALSE(db.DeleteMatchSystem(3));
  EXPECT_TRUE(Listed(db, 3));
  EXPECT_TRUE(db.DeleteMatchSystem(999));  // never there

  MatchSystem byPool = UserRule("pool"), byClass = UserRule("klasse"), byTournament = UserRule("toernooi"),
              unused = UserRule("ongebruikt");
  for (MatchSystem* s : {&byPool, &byClass, &byTournament, &unused}) db.AddMatchSystem(*s);
  // Uses in another tournament than the one on screen count as well.
  int t1 = db.AddToernooi("T1");
  int t2 = db.AddToernooi("T2");
  SystemRecord cls;
  cls.idMatchSystem = byClass.id;
  db.AddSystem(cls, t2);
  std::vector<SystemRecord> classes;
  db.ListSystems(classes, t2);
  PoolRecord pool;
  pool.idMatchSystem = byPool.id;
  int idPool = db.AddPool(pool, classes[0].id);
  db.Exec(nullptr, "UPDATE Toernooien SET idMatchSystem=%d WHERE id=%d", byTournament.id, t1);
  for (int id : {byPool.id, byClass.id, byTournament.id}) {
    EXPECT_FALSE(db.DeleteMatchSystem(id)) << id;
    EXPECT_TRUE(Listed(db, id)) << id;
  }
  EXPECT_TRUE(db.DeleteMatchSystem(unused.id));
  EXPECT_FALSE(Listed(db, unused.id));
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
  EXPECT_FALSE(db.DeleteMatchSystem(loose.id));
  EXPECT_TRUE(Listed(db, loose.id));
}

}  // namespace
}  // namespace velgram
