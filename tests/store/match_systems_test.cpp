#include <algorithm>
#include <string>
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

TEST_F(MatchSystemsTest, SeededRulesAndTheFallback) {
  std::vector<MatchSystem> list;
  db.ListMatchSystems(&list);
  ASSERT_EQ(list.size(), 5u);
  EXPECT_EQ(list[2].id, 3);
  EXPECT_EQ(list[2].name, "Best of 5");
  EXPECT_TRUE(list[4].duoteam);
  EXPECT_TRUE(list[4].duo_abxy);
  EXPECT_FALSE(list[4].gameDiff);

  MatchSystem s = UserRule("wordt overschreven");
  db.GetMatchSystem(s, 424242);
  MatchSystem d = DefaultMatchSystem();
  EXPECT_EQ(s.id, 0);
  EXPECT_EQ(s.name, "Best of 5");
  EXPECT_EQ(s.gameStop, 11);
  EXPECT_TRUE(s.gameDiff);
  EXPECT_EQ(s.setMax, 5);
  EXPECT_EQ(s.setWon, 3);
  EXPECT_EQ(s.result, 4);
  EXPECT_TRUE(s.immutable);
  EXPECT_FALSE(s.duo_ay);
  EXPECT_EQ(d.name, s.name);
  EXPECT_EQ(d.id, 0);
}

TEST_F(MatchSystemsTest, AddedAndUpdatedRulesAreStoredAndCached) {
  MatchSystem s = UserRule("Tot 21 'oud'");
  int id = db.AddMatchSystem(s);
  EXPECT_EQ(id, 6);
  EXPECT_EQ(s.id, 6);

  MatchSystem back;
  db.GetMatchSystem(back, id);
  EXPECT_EQ(back.name, "Tot 21 'oud'");
  EXPECT_EQ(back.gameStop, 21);
  EXPECT_TRUE(back.duo_ay);
  EXPECT_FALSE(back.duo_bx);

  back.setMax = 5;
  back.setWon = 3;
  back.name = "Tot 21";
  db.UpdateMatchSystem(back);

  // A second database on the same file reads what the first wrote.
  Database again(db.Path(), clock);
  MatchSystem stored;
  again.GetMatchSystem(stored, id);
  EXPECT_EQ(stored.name, "Tot 21");
  EXPECT_EQ(stored.setMax, 5);
  EXPECT_TRUE(stored.duo_ay);

  MatchSystem unknown = UserRule("nergens");
  unknown.id = 77;
  db.UpdateMatchSystem(unknown);
  EXPECT_EQ(Count("MatchSystems"), 6);
  EXPECT_FALSE(Listed(db, 77));
}

TEST_F(MatchSystemsTest, DeleteRefusesSeededRulesAndRulesInUse) {
  EXPECT_FALSE(db.DeleteMatchSystem(3));
  EXPECT_TRUE(Listed(db, 3));
  EXPECT_TRUE(db.DeleteMatchSystem(999));  // never there

  MatchSystem byPool = UserRule("pool");
  MatchSystem byClass = UserRule("klasse");
  MatchSystem byTournament = UserRule("toernooi");
  MatchSystem unused = UserRule("ongebruikt");
  for (MatchSystem* s : {&byPool, &byClass, &byTournament, &unused}) db.AddMatchSystem(*s);

  // Uses in another tournament than the one on screen count as well.
  int t1 = db.AddToernooi("T1");
  int t2 = db.AddToernooi("T2");
  SystemRecord cls;
  cls.name = "A";
  db.AddSystem(cls, t2);
  std::vector<SystemRecord> classes;
  db.ListSystems(classes, t2);
  PoolRecord pool;
  pool.name = "P";
  pool.idMatchSystem = byPool.id;
  int idPool = db.AddPool(pool, classes[0].id);
  classes[0].idMatchSystem = byClass.id;
  db.UpdateSystem(classes[0], t2);
  db.Exec(nullptr, "UPDATE Toernooien SET idMatchSystem=%d WHERE id=%d", byTournament.id, t1);

  EXPECT_FALSE(db.DeleteMatchSystem(byPool.id));
  EXPECT_FALSE(db.DeleteMatchSystem(byClass.id));
  EXPECT_FALSE(db.DeleteMatchSystem(byTournament.id));
  EXPECT_TRUE(Listed(db, byPool.id));

  EXPECT_TRUE(db.DeleteMatchSystem(unused.id));
  EXPECT_FALSE(Listed(db, unused.id));
  EXPECT_EQ(Count("MatchSystems WHERE id=" + std::to_string(unused.id)), 0);
  MatchSystem s;
  db.GetMatchSystem(s, unused.id);
  EXPECT_EQ(s.id, 0);

  EXPECT_EQ(db.TournamentsUsingMatchSystem(byPool.id), std::vector<int>{t2});
  EXPECT_EQ(db.TournamentsUsingMatchSystem(byTournament.id), std::vector<int>{t1});
  EXPECT_EQ(db.SystemsUsingMatchSystem(byClass.id, t2), std::vector<int>{classes[0].id});
  EXPECT_TRUE(db.SystemsUsingMatchSystem(byClass.id, t1).empty());
  EXPECT_EQ(db.PoolsUsingMatchSystem(byPool.id, t2), std::vector<int>{idPool});
  EXPECT_TRUE(db.PoolsUsingMatchSystem(byPool.id, t1).empty());
}

TEST_F(MatchSystemsTest, DeleteKeepsARuleWhoseUseCannotBeChecked) {
  MatchSystem s = UserRule("los");
  db.AddMatchSystem(s);
  db.ExecText(nullptr, "ALTER TABLE Pools RENAME TO PoolsWeg");
  EXPECT_FALSE(db.DeleteMatchSystem(s.id));
  EXPECT_TRUE(Listed(db, s.id));
}

}  // namespace
}  // namespace velgram
