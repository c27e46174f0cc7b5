#include <algorithm>
#include <string>
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
    SystemRecord s;
    s.name = name;
    s.nrPlayers = 1;
    db.AddSystem(s, idToernooi);
    std::vector<SystemRecord> list;
    db.ListSystems(list, idToernooi);
    return list.back().id;
  }

  int AddPool(int idSystem, const std::string& name, int playstyle = kPlaystylePoule) {
    PoolRecord p;
    p.name = name;
    p.playstyle = playstyle;
    return db.AddPool(p, idSystem);
  }

  std::vector<std::string> ClassNames() {
    std::vector<SystemRecord> list;
    db.ListSystems(list, toernooi);
    std::vector<std::string> names;
    for (auto& s : list) names.push_back(s.name);
    return names;
  }

  std::vector<std::string> PoolNames(int idSystem) {
    std::vector<PoolRecord> list;
    db.ListPools(idSystem, list);
    std::vector<std::string> names;
    for (auto& p : list) names.push_back(p.name);
    return names;
  }

  // A pool with two positions, a match with a full result and a round row.
  int AddPlayedMatch(int idPool) {
    ContestantRecord c;
    c.idPool = idPool;
    c.linktype = 1;
    db.AddContestant(c);
    db.AddContestant(c);
    int id = db.AddMatch(idPool, 1, 2, 1, 930);
    db.RecordResult(id, 0, {8, -5, 3}, true);
    db.AddRoundMatch(idPool, 1, id);
    return id;
  }

  int CountForPool(const char* table, int idPool) {
    return Count(std::string(table) + " WHERE idPool=" + std::to_string(idPool));
  }

  int toernooi = -1;
};

using Names = std::vector<std::string>;

TEST_F(CompetitionRecordsTest, FirstClassAndPoolGetSortOne) {
  int a = AddClass("Heren A");
  int b = AddClass("Heren B");
  SystemRecord s;
  db.GetSystem(s, a);
  EXPECT_EQ(s.sort, 1);
  db.GetSystem(s, b);
  EXPECT_EQ(s.sort, 2);
  EXPECT_EQ(s.name, "Heren B");
  EXPECT_EQ(s.nrPlayers, 1);

  int p1 = AddPool(a, "Poule 1");
  int p2 = AddPool(a, "Poule 2");
  int other = AddPool(b, "Poule 1");
  PoolRecord p;
  ASSERT_TRUE(db.GetPool(p1, p));
  EXPECT_EQ(p.sort, 1);
  ASSERT_TRUE(db.GetPool(p2, p));
  EXPECT_EQ(p.sort, 2);
  ASSERT_TRUE(db.GetPool(other, p));
  EXPECT_EQ(p.sort, 1);
}

TEST_F(CompetitionRecordsTest, ClassNamesAreUniqueWithinATournament) {
  int a = AddClass("Jeugd");
  AddClass("Jeugd");
  int other = db.AddToernooi("Ander");
  AddClass("Jeugd", other);
  EXPECT_EQ(ClassNames(), (Names{"Jeugd", "Jeugd (1)"}));

  std::vector<SystemRecord> list;
  db.ListSystems(list, other);
  ASSERT_EQ(list.size(), 1u);
  EXPECT_EQ(list[0].name, "Jeugd");

  // Keeping its own name is no clash; taking a neighbour's is.
  int b = AddClass("Dames");
  SystemRecord s;
  db.GetSystem(s, a);
  s.description = "onder 18";
  db.UpdateSystem(s, toernooi);
  db.GetSystem(s, a);
  EXPECT_EQ(s.name, "Jeugd");
  EXPECT_EQ(s.description, "onder 18");
  db.GetSystem(s, b);
  s.name = "Jeugd";
  db.UpdateSystem(s, toernooi);
  EXPECT_EQ(ClassNames(), (Names{"Jeugd", "Jeugd (1)", "Jeugd (2)"}));
}

TEST_F(CompetitionRecordsTest, PoolNamesAreUniqueWithinTheirClass) {
  int a = AddClass("A");
  int b = AddClass("B");
  AddPool(a, "Finale 'A'");
  AddPool(a, "Finale 'A'");
  AddPool(b, "Finale 'A'");
  EXPECT_EQ(PoolNames(a), (Names{"Finale 'A'", "Finale 'A' (1)"}));
  EXPECT_EQ(PoolNames(b), (Names{"Finale 'A'"}));
}

TEST_F(CompetitionRecordsTest, PoolFieldsRoundTrip) {
  int a = AddClass("A");
  PoolRecord p;
  p.name = "Zwitsers";
  p.playstyle = kPlaystyleSwiss;
  p.tables = "1-4,6";
  p.starttime = 930;
  p.endtime = 1215;
  p.extra = "{\"dimension\":8, \"naam\":\"'x'\"}";
  p.idMatchSystem = 3;
  int id = db.AddPool(p, a);
  PoolRecord back;
  ASSERT_TRUE(db.GetPool(id, back));
  EXPECT_EQ(back.id, id);
  EXPECT_EQ(back.idSystem, a);
  EXPECT_EQ(back.playstyle, kPlaystyleSwiss);
  EXPECT_EQ(back.tables, "1-4,6");
  EXPECT_EQ(back.starttime, 930);
  EXPECT_EQ(back.endtime, 1215);
  EXPECT_EQ(back.extra, p.extra);
  EXPECT_EQ(back.idMatchSystem, 3);
}

TEST_F(CompetitionRecordsTest, UnknownPlaystylesEndTheListAndAreNotReturned) {
  int a = AddClass("A");
  int first = AddPool(a, "Een", kPlaystylePoule);
  int odd = AddPool(a, "Later formaat", 7);
  AddPool(a, "Drie", kPlaystyleDropout);
  std::vector<PoolRecord> list;
  db.ListPools(a, list);
  ASSERT_EQ(list.size(), 1u);
  EXPECT_EQ(list[0].id, first);

  PoolRecord p;
  p.name = "unchanged";
  EXPECT_FALSE(db.GetPool(odd, p));
  EXPECT_FALSE(db.GetPool(9999, p));
  EXPECT_EQ(p.name, "unchanged");
}

TEST_F(CompetitionRecordsTest, EarlierPoolsAreThoseBeforeInTheSameClass) {
  int a = AddClass("A");
  int b = AddClass("B");
  int p1 = AddPool(a, "1");
  int p2 = AddPool(a, "2");
  int p3 = AddPool(a, "3");
  int q1 = AddPool(b, "1");
  std::vector<PoolRecord> list;
  db.ListEarlierPools(p3, list);
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list[0].id, p1);
  EXPECT_EQ(list[1].id, p2);
  db.ListEarlierPools(p1, list);
  EXPECT_TRUE(list.empty());
  EXPECT_TRUE(db.HasEarlierPool(p2));
  EXPECT_FALSE(db.HasEarlierPool(p1));
  EXPECT_FALSE(db.HasEarlierPool(q1));
}

TEST_F(CompetitionRecordsTest, MovesSwapNeighboursAndStopAtTheEnds) {
  int a = AddClass("A");
  int b = AddClass("B");
  int c = AddClass("C");
  db.MoveSystemUp(a);
  db.MoveSystemDown(c);
  db.MoveSystemUp(9999);
  EXPECT_EQ(ClassNames(), (Names{"A", "B", "C"}));
  db.MoveSystemUp(c);
  EXPECT_EQ(ClassNames(), (Names{"A", "C", "B"}));
  db.MoveSystemDown(a);
  EXPECT_EQ(ClassNames(), (Names{"C", "A", "B"}));
  (void)b;

  int p1 = AddPool(a, "1");
  int p2 = AddPool(a, "2");
  db.MovePoolDown(p2, a);
  EXPECT_EQ(PoolNames(a), (Names{"1", "2"}));
  db.MovePoolDown(p1, a);
  EXPECT_EQ(PoolNames(a), (Names{"2", "1"}));
}

TEST_F(CompetitionRecordsTest, PoolCascadeLeavesOtherPoolsIntact) {
  int a = AddClass("A");
  int gone = AddPool(a, "weg");
  int kept = AddPool(a, "blijft");
  int goneMatch = AddPlayedMatch(gone);
  int keptMatch = AddPlayedMatch(kept);

  db.DeletePool(gone);
  PoolRecord p;
  EXPECT_FALSE(db.GetPool(gone, p));
  EXPECT_EQ(CountForPool("Contestants", gone), 0);
  EXPECT_EQ(CountForPool("Matches", gone), 0);
  EXPECT_EQ(CountForPool("Rounds", gone), 0);
  EXPECT_EQ(Count("ResultWinner WHERE idMatch=" + std::to_string(goneMatch)), 0);
  EXPECT_EQ(Count("ResultGames WHERE idMatch=" + std::to_string(goneMatch)), 0);

  EXPECT_EQ(CountForPool("Contestants", kept), 2);
  EXPECT_EQ(CountForPool("Matches", kept), 1);
  EXPECT_EQ(CountForPool("Rounds", kept), 1);
  EXPECT_EQ(Count("ResultWinner WHERE idMatch=" + std::to_string(keptMatch)), 1);
  EXPECT_EQ(Count("ResultGames WHERE idMatch=" + std::to_string(keptMatch)), 3);
}

TEST_F(CompetitionRecordsTest, DeleteSystemTakesEveryPoolOfTheClassAlong) {
  int a = AddClass("A");
  int b = AddClass("B");
  int p = AddPool(a, "gewoon");
  AddPlayedMatch(p);
  AddPool(a, "onbekend formaat", 9);  // not listable, but still the class's
  int other = AddPool(b, "ander");
  AddPlayedMatch(other);

  db.DeleteSystem(a);
  EXPECT_EQ(ClassNames(), (Names{"B"}));
  EXPECT_EQ(Count("Pools"), 1);
  EXPECT_EQ(Count("Matches"), 1);
  EXPECT_EQ(Count("ResultGames"), 3);
  EXPECT_EQ(Count("Contestants"), 2);
}

TEST_F(CompetitionRecordsTest, FailedCascadeLeavesEverything) {
  int a = AddClass("A");
  int p = AddPool(a, "P");
  AddPlayedMatch(p);
  // The fifth step of the cascade fails after four have run.
  ASSERT_EQ(db.ExecText(nullptr, "CREATE TRIGGER stuck BEFORE DELETE ON Matches BEGIN SELECT RAISE(ABORT,'x'); END"),
            0);
  db.DeletePool(p);
  db.DeleteSystem(a);
  EXPECT_FALSE(db.InTransaction());
  EXPECT_EQ(CountForPool("Contestants", p), 2);
  EXPECT_EQ(Count("ResultWinner"), 1);
  EXPECT_EQ(Count("ResultGames"), 3);
  EXPECT_EQ(CountForPool("Rounds", p), 1);
  EXPECT_EQ(ClassNames(), (Names{"A"}));
}

TEST_F(CompetitionRecordsTest, OperationsJoinAnEnclosingTransaction) {
  int a = AddClass("A");
  int p = AddPool(a, "P");
  int m = AddPlayedMatch(p);
  {
    Transaction tx(db);
    db.DeletePool(p);
    db.ClearResult(m);
    EXPECT_EQ(Count("Pools"), 0);
  }  // not committed
  EXPECT_EQ(Count("Pools"), 1);
  EXPECT_EQ(Count("ResultGames"), 3);
  EXPECT_EQ(CountForPool("Contestants", p), 2);
}

TEST_F(CompetitionRecordsTest, ContestantsKeepTheirIdsWhenWrittenBack) {
  int a = AddClass("A");
  int p = AddPool(a, "P");
  int q = AddPool(a, "Q");
  for (int i = 0; i < 3; ++i) {
    ContestantRecord c;
    c.idPool = p;
    c.poolPos = i;
    c.sort = 2 - i;
    c.linktype = 2;
    c.idLinkedPool = 40 + i;
    c.indexKlasse = i;
    db.AddContestant(c);
  }
  std::vector<ContestantRecord> list;
  db.ListContestants(p, list);
  ASSERT_EQ(list.size(), 3u);
  EXPECT_EQ(list[0].poolPos, 2);  // ordered by sort
  EXPECT_EQ(list[0].idLinkedPool, 42);

  std::vector<int> ids;
  for (auto& c : list) ids.push_back(c.id);
  std::reverse(list.begin(), list.end());
  for (size_t i = 0; i < list.size(); ++i) list[i].sort = static_cast<int>(i);
  list.pop_back();
  ContestantRecord added;
  added.linktype = 1;
  added.idPlayer = 12;
  added.sort = 9;
  list.push_back(added);
  db.ReplaceContestants(p, list);

  std::vector<ContestantRecord> back;
  db.ListContestants(p, back);
  ASSERT_EQ(back.size(), 3u);
  EXPECT_EQ(back[0].id, ids[2]);
  EXPECT_EQ(back[1].id, ids[1]);
  EXPECT_EQ(back[2].idPlayer, 12);
  EXPECT_EQ(back[2].idPool, p);

  // An id that another pool holds cannot be written; the pool keeps its old positions.
  ContestantRecord foreign;
  foreign.idPool = q;
  db.AddContestant(foreign);
  std::vector<ContestantRecord> inQ;
  db.ListContestants(q, inQ);
  std::vector<ContestantRecord> clash = back;
  clash.push_back(inQ[0]);
  db.ReplaceContestants(p, clash);
  db.ListContestants(p, list);
  ASSERT_EQ(list.size(), 3u);
  EXPECT_EQ(list[0].id, back[0].id);
  EXPECT_EQ(CountForPool("Contestants", q), 1);
}

TEST_F(CompetitionRecordsTest, MatchIdsAreNeverReusedWhileResultsReferToThem) {
  int p = AddPool(AddClass("A"), "P");
  EXPECT_EQ(db.AddMatch(p, 1, 2, 1, 900), 1);
  for (int i = 2; i <= 5; ++i) EXPECT_EQ(db.AddMatch(p, 1, 2, i, 900), i);
  db.WriteGames(5, {8, 9, 10});
  db.ExecText(nullptr, "DELETE FROM Matches WHERE id=5");
  EXPECT_EQ(db.AddMatch(p, 1, 2, 1, 900), 6);

  // A round row alone also keeps its id taken.
  db.AddRoundMatch(p, 1, 40);
  EXPECT_EQ(db.AddMatch(p, 1, 2, 1, 900), 41);
}

TEST_F(CompetitionRecordsTest, MatchesListInTimeAndTableOrderWithNames) {
  int a = AddClass("Heren");
  int p = AddPool(a, "Poule 1");
  int late = db.AddMatch(p, 1, 2, 1, 1000);
  int early2 = db.AddMatch(p, 3, 4, 2, 930);
  int early1 = db.AddMatch(p, 5, 6, 1, 930);
  std::vector<MatchRecord> list;
  db.ListMatches(p, list);
  ASSERT_EQ(list.size(), 3u);
  EXPECT_EQ(list[0].id, early1);
  EXPECT_EQ(list[1].id, early2);
  EXPECT_EQ(list[2].id, late);

  MatchRecord m;
  ASSERT_TRUE(db.GetMatch(m, early2));
  EXPECT_EQ(m.poolName, "Poule 1");
  EXPECT_EQ(m.systemName, "Heren");
  EXPECT_EQ(m.idContestant1, 3);
  EXPECT_FALSE(db.GetMatch(m, 999));

  EXPECT_EQ(db.ToernooiOfMatch(late), toernooi);
  EXPECT_EQ(db.ToernooiOfMatch(999), -1);

  int other = db.AddToernooi("Ander");
  db.AddMatch(AddPool(AddClass("X", other), "Q"), 1, 2, 1, 900);
  db.ListMatchesOfToernooi(toernooi, list);
  ASSERT_EQ(list.size(), 3u);
  EXPECT_EQ(list[0].id, late);  // by id
  db.ListMatchesOfToernooi(0, list);
  EXPECT_EQ(list.size(), 4u);
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
  ASSERT_EQ(list.size(), 1u);
  EXPECT_EQ(list[0].indexWinner, 0);
  EXPECT_EQ(list[0].stamp.isodate, 20231015);
  EXPECT_EQ(list[0].stamp.isotime, 143110);
  EXPECT_EQ(list[0].stamp.isofraction, 1234567);
  EXPECT_EQ(list[0].games, (std::vector<int>{8, -5, 3}));

  // The winner alone: the games stay; reading twice does not double them.
  db.RecordResult(m, 1, {}, false);
  db.ReadResults(list);
  EXPECT_EQ(list[0].indexWinner, 1);
  EXPECT_EQ(list[0].games, (std::vector<int>{8, -5, 3}));

  db.WriteGames(m, {});
  EXPECT_EQ(Count("ResultGames"), 0);
  db.ClearResult(m);
  db.ReadResults(list);
  EXPECT_EQ(list[0].indexWinner, -1);
  EXPECT_EQ(list[0].stamp.isodate, 0);
}

TEST_F(CompetitionRecordsTest, AFailedResultWriteKeepsTheOldResult) {
  int p = AddPool(AddClass("A"), "P");
  int m = db.AddMatch(p, 1, 2, 1, 900);
  db.RecordResult(m, 0, {8, 8, 8}, true);
  ASSERT_EQ(db.ExecText(nullptr, "CREATE TRIGGER full BEFORE INSERT ON ResultGames BEGIN SELECT RAISE(ABORT,'x'); END"),
            0);
  db.RecordResult(m, 1, {-1, -1, -1}, true);
  std::vector<MatchRecord> list;
  db.ListMatches(p, list);
  db.ReadResults(list);
  EXPECT_EQ(list[0].indexWinner, 0);
  EXPECT_EQ(list[0].games, (std::vector<int>{8, 8, 8}));
}

TEST_F(CompetitionRecordsTest, ReadResultsCoversFiftyThousandMatchesInAnyOrder) {
  constexpr int kMatches = 50000;
  int p = AddPool(AddClass("A"), "P");
  // Bulk rows: winner id%2, games id%7 and -(id%5)-1 for every third match.
  ASSERT_EQ(db.ExecText(nullptr,
                        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i+1 FROM n WHERE i<50000) "
                        "INSERT INTO Matches (id,idPool,idContestant1,idContestant2,tafel,starttime) "
                        "SELECT i," + std::to_string(p) + ",1,2,i%20,900 FROM n;"
                        "INSERT INTO ResultWinner (idMatch,indexWinner,isodate,isotime,isofraction) "
                        "SELECT id,id%2,20231015,id,0 FROM Matches WHERE id%3=0;"
                        "INSERT INTO ResultGames (idMatch,game,result) SELECT id,1,-(id%5)-1 FROM Matches WHERE id%3=0;"
                        "INSERT INTO ResultGames (idMatch,game,result) SELECT id,0,id%7+1 FROM Matches WHERE id%3=0;"),
            0);
  std::vector<MatchRecord> list;
  db.ListMatches(p, list);
  ASSERT_EQ(list.size(), static_cast<size_t>(kMatches));
  std::reverse(list.begin(), list.end());
  db.ReadResults(list);
  int withResult = 0;
  for (const MatchRecord& m : list) {
    if (m.id % 3 == 0) {
      ++withResult;
      ASSERT_EQ(m.indexWinner, m.id % 2) << m.id;
      ASSERT_EQ(m.stamp.isotime, m.id);
      ASSERT_EQ(m.games, (std::vector<int>{m.id % 7 + 1, -(m.id % 5) - 1})) << m.id;
    } else {
      ASSERT_EQ(m.indexWinner, -1) << m.id;
      ASSERT_TRUE(m.games.empty()) << m.id;
    }
  }
  EXPECT_EQ(withResult, kMatches / 3);
}

TEST_F(CompetitionRecordsTest, DeleteRoundLeavesOtherRoundsIntact) {
  int p = AddPool(AddClass("A"), "P");
  EXPECT_EQ(db.MaxRound(p), 0);
  std::vector<int> round1, round2;
  for (int i = 0; i < 3; ++i) {
    int m = db.AddMatch(p, 1, 2, i, 900);
    db.AddRoundMatch(p, 1, m);
    db.RecordResult(m, 0, {5, 5, 5}, true);
    round1.push_back(m);
  }
  for (int i = 0; i < 2; ++i) {
    int m = db.AddMatch(p, 1, 2, i, 1000);
    db.AddRoundMatch(p, 2, m);
    db.RecordResult(m, 1, {-5, -5, -5}, true);
    round2.push_back(m);
  }
  EXPECT_EQ(db.MaxRound(p), 2);

  db.DeleteRound(p, 1);
  EXPECT_EQ(db.MaxRound(p), 2);
  std::vector<RoundEntry> rounds;
  db.ListRounds(rounds, p);
  ASSERT_EQ(rounds.size(), 2u);
  EXPECT_EQ(rounds[0].idMatch, round2[0]);
  EXPECT_EQ(rounds[1].round, 2);
  EXPECT_EQ(Count("Matches"), 2);
  EXPECT_EQ(Count("ResultWinner"), 2);
  EXPECT_EQ(Count("ResultGames"), 6);
  for (int m : round1) EXPECT_EQ(Count("ResultGames WHERE idMatch=" + std::to_string(m)), 0);
}

}  // namespace
}  // namespace velgram
