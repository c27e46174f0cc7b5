// Simulated participants and simulated Swiss results.
#include "competition/simulate.h"

#include <gtest/gtest.h>

#include <set>

#include "competition/swiss.h"
#include "event_fixture.h"

namespace velgram {
namespace {

using testing::EventFixture;
using testing::ScriptedRandom;

class Simulation : public ::testing::Test, public EventFixture {
 protected:
  std::vector<PlayerRecord> Players() {
    std::vector<PlayerRecord> list;
    db->ListPlayers(list, idToernooi);
    return list;
  }
};

TEST_F(Simulation, ParticipantsAreCappedNamedAndRated) {
  StdRandom random;
  EXPECT_EQ(AddSimulatedParticipants(*db, idToernooi, {"150", "1000", "2000", false}, random, clock), 100);
  std::vector<PlayerRecord> players = Players();
  ASSERT_EQ(players.size(), 100u);
  std::set<std::string> names;
  for (const PlayerRecord& p : players) {
    names.insert(p.name);
    EXPECT_GE(p.rating, 1000);
    EXPECT_LT(p.rating, 2000);  // the maximum itself is never drawn
    std::string club = db->GetClubName(p.idClub);
    EXPECT_TRUE(club.size() == 4 && club.compare(0, 3, "OT ") == 0 && club[3] >= '1' && club[3] <= '5') << club;
  }
  // At 14:07:09 the names are Deelnemer 791, 792, ...
  EXPECT_TRUE(names.count("Deelnemer 791"));
  EXPECT_TRUE(names.count("Deelnemer 79100"));
}

TEST_F(Simulation, EqualOrAdjacentBoundsGiveTheMinimum) {
  StdRandom random;
  ASSERT_EQ(AddSimulatedParticipants(*db, idToernooi, {"4", "1200", "1200", false}, random, clock), 4);
  ASSERT_EQ(AddSimulatedParticipants(*db, idToernooi, {"4", "1200", "1201", false}, random, clock), 4);
  for (const PlayerRecord& p : Players()) EXPECT_EQ(p.rating, 1200);
}

TEST_F(Simulation, InvalidFormsAddNothing) {
  StdRandom random;
  for (SimParticipantsForm form : {SimParticipantsForm{"0", "1000", "2000"}, SimParticipantsForm{"abc", "1", "2"},
                                   SimParticipantsForm{"5", "-1", "2000"}, SimParticipantsForm{"5", "2000", "1000"}})
    EXPECT_EQ(AddSimulatedParticipants(*db, idToernooi, form, random, clock), 0);
  EXPECT_TRUE(Players().empty());
}

TEST_F(Simulation, FiveWithDuoGiveTwoDuos) {
  StdRandom random;
  ASSERT_EQ(AddSimulatedParticipants(*db, idToernooi, {"5", "1000", "1500", true}, random, clock), 5);
  std::vector<DuoRecord> duos;
  db->ListDuos(duos, idToernooi);
  ASSERT_EQ(duos.size(), 2u);
  std::set<int> inDuo;
  for (const DuoRecord& d : duos) {
    EXPECT_LT(d.idPlayer1, d.idPlayer2);  // the first of each two is player 1
    inDuo.insert(d.idPlayer1);
    inDuo.insert(d.idPlayer2);
  }
  EXPECT_EQ(inDuo.size(), 4u);
  EXPECT_EQ(Players().size(), 5u);
}

TEST(SimulatedWinner, Modes) {
  ScriptedRandom none({});
  EXPECT_EQ(SimulatedWinner(SimMode::kPerfect, 1500, 1500, none), 0);
  EXPECT_EQ(SimulatedWinner(SimMode::kPerfect, 1400, 1600, none), 1);
  EXPECT_EQ(SimulatedWinner(SimMode::kAntiPerfect, 1400, 1600, none), 0);
  EXPECT_EQ(SimulatedWinner(SimMode::kAntiPerfect, 1500, 1500, none), 1);
  // Weighted: even ratings, side 1 up to 500.
  ScriptedRandom even({500, 501, 1500});
  EXPECT_EQ(SimulatedWinner(SimMode::kWeighted, 1500, 1500, even), 0);
  EXPECT_EQ(SimulatedWinner(SimMode::kWeighted, 1500, 1500, even), 1);
  EXPECT_EQ(SimulatedWinner(SimMode::kWeighted, 1500, 1500, even), 0);  // 1500 mod 1000
  // p = 0.75: side 1 only up to 333; p = 0.25: always side 1.
  ScriptedRandom strong({333, 334, 999});
  EXPECT_EQ(SimulatedWinner(SimMode::kWeighted, 3000, 1000, strong), 0);
  EXPECT_EQ(SimulatedWinner(SimMode::kWeighted, 3000, 1000, strong), 1);
  EXPECT_EQ(SimulatedWinner(SimMode::kWeighted, 1000, 3000, strong), 0);
  // Both ratings 0: an even match rather than a division by zero.
  ScriptedRandom zero({100, 900});
  EXPECT_EQ(SimulatedWinner(SimMode::kWeighted, 0, 0, zero), 0);
  EXPECT_EQ(SimulatedWinner(SimMode::kWeighted, 0, 0, zero), 1);
}

TEST(SimulatedGames, StraightGamesOrDudodevaPoints) {
  ScriptedRandom none({});
  EXPECT_EQ(SimulatedGames(0, false, 11, none), (std::vector<int>{1, 1, 1}));
  EXPECT_EQ(SimulatedGames(1, false, 11, none), (std::vector<int>{-1, -1, -1}));
  ScriptedRandom draws({0, 9, 10, 25, 3, 3, 3, 3, 3, 3});
  std::vector<int> games = SimulatedGames(1, true, 11, draws);
  ASSERT_EQ(games.size(), 10u);
  EXPECT_EQ(games[0], -1);
  EXPECT_EQ(games[1], -10);
  EXPECT_EQ(games[2], -1);  // 10 mod 10 + 1
  EXPECT_EQ(games[3], -6);
  // gameStop below 2 leaves no points to draw: every game is won 1-0.
  for (int stop : {1, 0, -4}) {
    ScriptedRandom any({7});
    EXPECT_EQ(SimulatedGames(0, true, stop, any), std::vector<int>(10, 1));
  }
}

TEST_F(Simulation, SwissResultsFillOnlyOpenMatchesBetweenPositions) {
  int idPool = AddPool(kPlaystyleSwiss);
  int a = AddContestant(idPool, AddPlayer("A", "X", 1500), 1);
  int b = AddContestant(idPool, AddPlayer("B", "X", 1500), 2);
  int c = AddContestant(idPool, AddPlayer("C", "Y", 1400), 3);
  int d = AddContestant(idPool, AddPlayer("D", "Y", 1600), 4);
  int open1 = db->AddMatch(idPool, a, b, 1, 900);
  int open2 = db->AddMatch(idPool, c, d, 2, 900);
  int decided = db->AddMatch(idPool, d, a, 1, 915);
  int notPlayed = db->AddMatch(idPool, b, kNotPlayed, 0, 0);
  db->RecordResult(decided, 1, {-3, -4, -5}, true);

  std::vector<Contestant> contestants;
  for (int id : {a, b, c, d}) {
    ContestantRecord r;
    db->GetContestant(r, id);
    contestants.push_back(Contestant::FromRecord(r));
  }
  contestants[0].rating = contestants[1].rating = 1500;
  contestants[2].rating = 1400;
  contestants[3].rating = 1600;
  LSwiss pool;
  pool.id = idPool;
  StdRandom random;
  EXPECT_EQ(SimulateSwissResults(*db, pool, contestants, Entries(idPool), SimMode::kAntiPerfect, random, clock), 2);
  for (const MatchRecord& m : Matches(idPool)) {
    if (m.id == open1) {
      EXPECT_EQ(m.indexWinner, 1);  // anti-perfect: equal ratings favour side 2
      EXPECT_EQ(m.games, (std::vector<int>{-1, -1, -1}));
      EXPECT_EQ(m.stamp.isodate, 20260516);
      EXPECT_EQ(m.stamp.isotime, 140709);
    } else if (m.id == open2) {
      EXPECT_EQ(m.indexWinner, 0);  // 1400 against 1600
    } else if (m.id == decided) {
      EXPECT_EQ(m.games, (std::vector<int>{-3, -4, -5}));
    } else if (m.id == notPlayed) {
      EXPECT_EQ(m.indexWinner, -1);
    }
  }
}

TEST_F(Simulation, DudodevaPoolsGetTenGames) {
  MatchSystem duo;
  duo.name = "Duo Dudodeva";
  duo.gameStop = 1;  // a rule that leaves no loser points
  int idSystem = db->AddMatchSystem(duo);
  int idPool = AddPool(kPlaystyleSwiss, "1", 900, "", idSystem);
  int a = AddContestant(idPool, AddPlayer("A", "X", 1500), 1);
  int b = AddContestant(idPool, AddPlayer("B", "X", 1400), 2);
  db->AddMatch(idPool, a, b, 1, 900);
  std::vector<Contestant> contestants(2);
  contestants[0].id = a;
  contestants[0].rating = 1500;
  contestants[1].id = b;
  contestants[1].rating = 1400;
  LSwiss pool;
  pool.id = idPool;
  pool.idMatchSystem = idSystem;
  StdRandom random;
  ASSERT_EQ(SimulateSwissResults(*db, pool, contestants, Entries(idPool), SimMode::kPerfect, random, clock), 1);
  EXPECT_EQ(Matches(idPool)[0].games, std::vector<int>(10, 1));
}

}  // namespace
}  // namespace velgram
