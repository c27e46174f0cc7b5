#include "competition/simulate.h"
#include <gtest/gtest.h>
#include "competition/swiss.h"
#include "event_fixture.h"
#include "support/text.h"

namespace velgram {
namespace {

using testing::EventFixture;
using testing::ScriptedRandom;

class Simulation : public EventFixture {
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
  std::set<std::string> names;
  for (const PlayerRecord& p : Players()) names.insert(p.name + (p.gender == -1 ? "" : " with a gender"));
  // At 14:07:09 the names are Deelnemer 791, 792, ... Deelnemer 79100.
  EXPECT_TRUE(names.size() == 100u && names.count("Deelnemer 791") && names.count("Deelnemer 79100"));
  // Each player draws its club, then its rating, which never reaches the maximum.
  ScriptedRandom scripted({7, 1234, 0, 999});
  ASSERT_EQ(AddSimulatedParticipants(*db, idToernooi, {"2", "1000", "2000", false}, scripted, clock), 2);
  std::vector<PlayerRecord> players = Players();
  std::sort(players.begin(), players.end(), [](auto& a, auto& b) { return a.id < b.id; });
  EXPECT_EQ(Format("%s %d %s %d", db->GetClubName(players[100].idClub).c_str(), players[100].rating,
                   db->GetClubName(players[101].idClub).c_str(), players[101].rating),
            "OT 3 1234 OT 1 1999");
}

TEST_F(Simulation, EqualOrAdjacentBoundsGiveTheMinimumAndInvalidFormsNothing) {
  StdRandom random;
  for (SimParticipantsForm form : {SimParticipantsForm{"0", "1000", "2000"}, SimParticipantsForm{"abc", "1", "2"},
                                   SimParticipantsForm{"5", "-1", "2000"}, SimParticipantsForm{"5", "2000", "1000"}})
    EXPECT_EQ(AddSimulatedParticipants(*db, idToernooi, form, random, clock), 0);
  EXPECT_TRUE(Players().empty());
  ASSERT_EQ(AddSimulatedParticipants(*db, idToernooi, {"4", "1200", "1200", false}, random, clock), 4);
  ASSERT_EQ(AddSimulatedParticipants(*db, idToernooi, {"4", "1200", "1201", false}, random, clock), 4);
  for (const PlayerRecord& p : Players()) EXPECT_EQ(p.rating, 1200);
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
    inDuo.insert({d.idPlayer1, d.idPlayer2});
  }
  EXPECT_EQ(std::pair(inDuo.size(), Players().size()), std::pair(size_t{4}, size_t{5}));
}

TEST(SimulatedWinner, Modes) {
  const struct {
    SimMode mode;
    int rating1, rating2, draw, winner;
  } cases[] = {
      {SimMode::kPerfect, 1500, 1500, 0, 0},       {SimMode::kPerfect, 1400, 1600, 0, 1},
      {SimMode::kAntiPerfect, 1400, 1600, 0, 0},   {SimMode::kAntiPerfect, 1500, 1500, 0, 1},
      // Weighted: even ratings, side 1 up to 500 (the draw is taken mod 1000).
      {SimMode::kWeighted, 1500, 1500, 500, 0},    {SimMode::kWeighted, 1500, 1500, 501, 1},
      {SimMode::kWeighted, 1500, 1500, 1500, 0},
      // p = 0.75: side 1 only up to 333; p = 0.25: always side 1.
      {SimMode::kWeighted, 3000, 1000, 333, 0},    {SimMode::kWeighted, 3000, 1000, 334, 1},
      {SimMode::kWeighted, 1000, 3000, 999, 0},
      // Both ratings 0: an even match rather than a division by zero.
      {SimMode::kWeighted, 0, 0, 100, 0},          {SimMode::kWeighted, 0, 0, 900, 1},
  };
  for (const auto& c : cases) {
    ScriptedRandom random({c.draw});
    EXPECT_EQ(SimulatedWinner(c.mode, c.rating1, c.rating2, random), c.winner)
        << c.rating1 << " v " << c.rating2 << " draw " << c.draw;
  }
}

TEST(SimulatedGames, DudodevaLoserPointsStayBelowGameStop) {
  // Codes are (draw mod (gameStop - 1)) + 1, negative for a win of side 2.
  ScriptedRandom draws({0, 9, 10, 25, 3});
  EXPECT_EQ(SimulatedGames(1, true, 11, draws), (std::vector<int>{-1, -10, -1, -6, -4, -4, -4, -4, -4, -4}));
}

TEST_F(Simulation, SwissResultsFillOnlyOpenMatchesBetweenPositions) {
  // A "Best of 5" pool and a "Duo Dudodeva" one whose games leave the loser
  // no points to draw.
  MatchSystem duo;
  duo.name = "Duo Dudodeva", duo.gameStop = 1;
  for (int idMatchSystem : {0, db->AddMatchSystem(duo)}) {
    int idPool = AddPool(kPlaystyleSwiss, "1", 900, "", idMatchSystem);
    int a = AddContestant(idPool, AddPlayer("A", "X", 1500), 1);
    int b = AddContestant(idPool, AddPlayer("B", "X", 1500), 2);
    int c = AddContestant(idPool, AddPlayer("C", "Y", 1400), 3);
    int d = AddContestant(idPool, AddPlayer("D", "Y", 1600), 4);
    int equal = db->AddMatch(idPool, a, b, 1, 900);
    int weaker = db->AddMatch(idPool, c, d, 2, 900);
    db->RecordResult(db->AddMatch(idPool, d, a, 1, 915), 1, {-3, -4, -5}, true);
    db->AddMatch(idPool, b, kNotPlayed, 0, 0);
    LSwiss pool;
    pool.id = idPool, pool.idMatchSystem = idMatchSystem;
    pool.Load(*db);
    StdRandom random;
    EXPECT_EQ(SimulateSwissResults(*db, pool, pool.contestants, pool.matches, SimMode::kAntiPerfect, random, clock), 2);
    const std::vector<int> lost = idMatchSystem ? std::vector<int>(10, -1) : std::vector<int>{-1, -1, -1};
    for (const MatchRecord& m : Matches(idPool)) {
      if (m.id == equal) {  // anti-perfect: equal ratings favour side 2
        EXPECT_EQ(std::tuple(m.indexWinner, m.games, m.stamp.isotime), std::tuple(1, lost, 140709));
      } else if (m.id == weaker) {
        EXPECT_EQ(m.indexWinner, 0);
      } else {  // the result already there and the NotPlayed match stay as they are
        EXPECT_EQ(m.games, (m.idContestant2 == kNotPlayed ? std::vector<int>{} : std::vector<int>{-3, -4, -5}));
      }
    }
  }
}

}  // namespace
}  // namespace velgram
