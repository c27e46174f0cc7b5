#include <gtest/gtest.h>
#include "competition/swiss.h"

namespace velgram {
namespace {

Contestant Player(int id, int rating, int poolPos = 1) {
  Contestant c;
  std::tie(c.id, c.rating, c.poolPos) = std::tie(id, rating, poolPos);
  return c;
}

MatchEntry Match(int id, int a, int b, int winner, std::vector<int> games = {}) {
  MatchEntry m;
  std::tie(m.id, m.idContestant1, m.idContestant2, m.indexWinner) = std::tie(id, a, b, winner);
  m.games = std::move(games);
  return m;
}

// Rounds 1..n as rows (only the highest round number matters here).
std::vector<RoundEntry> Rounds(int n) {
  std::vector<RoundEntry> list;
  for (int r = 1; r <= n; ++r) list.push_back({r, r, 10000 + r});
  return list;
}

TEST(SwissStandings, ScoreCountsWinsByesAndWeerstand) {
  // Round 3: X beat Y (1500) and Z (1400) and had a bye.
  LSwiss s;
  s.SetData({Player(1, 1450), Player(2, 1500), Player(3, 1400)},
            {Match(1, 1, 2, 0), Match(2, 3, 1, 1), Match(3, 2, 3, 1)}, Rounds(3));
  const Contestant x = s.contestants[0];
  EXPECT_EQ(std::tuple(s.Wins(x), s.Byes(x), s.Points(x), s.Resistance(x), s.SwissScoreText(x)),
            std::tuple(2, 1, 3, 2900, "3.0290"));
  // A side without a result still counts as a match and as an opponent; Y
  // has a loss and the bye of round 2.
  s.SetData(s.contestants, {Match(1, 1, 2, 0), Match(2, 3, 1, -1)}, Rounds(2));
  EXPECT_EQ(std::tuple(s.Points(x), s.Resistance(x), s.Points(s.contestants[1])), std::tuple(1, 2900, 1));
  // Rounds 1 and 2 played; then removed for rounds 3 and 4 (NotPlayed), then
  // put back: round 5 has no match of it yet, so one bye.
  s.SetData({Player(1, 1500, -1), Player(2, 1400), Player(3, 1300)},
            {Match(1, 1, 2, 0), Match(2, 3, 1, 0), Match(3, 1, kNotPlayed, -1), Match(4, 1, kNotPlayed, -1)}, Rounds(5));
  EXPECT_EQ(s.Points(s.contestants[0]), 1);  // removed: wins only
  s.contestants[0].poolPos = 3;              // put back
  EXPECT_EQ(std::tuple(s.Byes(s.contestants[0]), s.Points(s.contestants[0]), s.Points(Player(kNotPlayed, 0))),
            std::tuple(1, 2, 0));  // NotPlayed itself never scores
}

// A walkover gives the winner its point, but like a bye no opponent's
// strength to either side; a retirement was played and counts as usual.
TEST(SwissStandings, AWalkoverCountsAsAWinWithoutWeerstand) {
  const std::string wo = "\r\n1 wedstrijd door w.o. beslist: telt zonder weerstand";
  const std::string tie = "2 spelers met 1 overwinning voor plaats 2 t/m 3\r\nWeerstand";
  struct Case {
    int decision;  // of A's win over B in round 1
    int weerstandA;
    std::vector<int> places;
    std::string a, b;
  } cases[] = {
      {kDecisionWalkover, 1300, {2, 3, 0, 1}, tie + wo, "Enige speler met 0 overwinningen" + wo},
      {kDecisionRetired, 2700, {1, 3, 0, 2}, tie, "Enige speler met 0 overwinningen"},
  };
  for (const Case& c : cases) {
    std::vector<Contestant> field = {Player(1, 1500), Player(2, 1400), Player(3, 1300), Player(4, 1200)};
    // Round 1: A beats B, C beats D; round 2: C beats A, D beats B.
    std::vector<MatchEntry> matches = {Match(1, 1, 2, 0), Match(2, 3, 4, 0), Match(3, 1, 3, 1), Match(4, 2, 4, 1)};
    matches[0].decision = c.decision;
    LSwiss s;
    s.SetData(field, matches, Rounds(2));
    s.Standings(field, matches);
    EXPECT_EQ(std::tuple(s.Points(field[0]), s.Resistance(field[0]), s.places, s.explanations[0], s.explanations[1]),
              std::tuple(1, c.weerstandA, c.places, c.a, c.b));
  }
}

TEST(SwissStandings, GroupsAreRankedByWeerstandWithExplanations) {
  // Round 4. Opponents 900+ are not in the pool and add no Weerstand.
  std::vector<Contestant> field = {
      Player(1, 1000),      // A: four byes
      Player(2, 1500),      // B: beat D, lost once
      Player(3, 1400),      // C: beat E, lost once
      Player(6, 1300),      // F: two losses
      Player(5, 1100),      // E: lost to C and once more
      Player(4, 1000),      // D: lost to B and once more
      Player(7, 900),       // G: three losses
      Player(8, 800, -1),   // H: removed, nothing won
  };
  std::vector<MatchEntry> matches = {
      Match(1, 2, 901, 1), Match(2, 2, 4, 0),   Match(3, 3, 902, 1), Match(4, 3, 5, 0),
      Match(5, 4, 903, 1), Match(6, 5, 904, 1), Match(7, 6, 905, 1), Match(8, 6, 906, 1),
      Match(9, 7, 907, 1), Match(10, 7, 908, 1), Match(11, 7, 909, 1), Match(12, 8, kNotPlayed, -1),
  };
  LSwiss s;
  s.SetData(field, matches, Rounds(4));
  s.Standings(field, matches);  // no database attached: uses the rounds as set
  // B's Weerstand is D's rating (1000), C's is E's (1100): C ranks above B.
  EXPECT_EQ(s.places, (std::vector<int>{0, 2, 1, 5, 4, 3, 6, 7}));
  EXPECT_EQ(s.explanations[0] + "|" + s.explanations[1] + "|" + s.explanations[6],
            "Enige speler met 4 overwinningen|2 spelers met 3 overwinningen voor plaats 2 t/m 3\r\nWeerstand|"
            "Enige speler met 1 overwinning");
  for (int i : {3, 4, 5}) EXPECT_EQ(s.explanations[i], "3 spelers met 2 overwinningen voor plaats 4 t/m 6\r\nWeerstand");
  // The removed player earns no byes for rounds it missed.
  EXPECT_EQ(std::pair(s.Byes(field[7]), s.explanations[7]), std::pair(0, std::string("Enige speler met 0 overwinningen")));
  // Before the first round everyone shares one group, in pool order.
  s.rounds.clear();
  s.Standings(field, {});
  EXPECT_EQ(s.places, (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7}));
  for (const std::string& e : s.explanations) EXPECT_EQ(e, "8 spelers met 0 overwinningen voor plaats 1 t/m 8\r\nWeerstand");
}

TEST(SwissStandings, DudodevaGamePoints) {
  LSwiss s;
  s.SetData({Player(1, 0), Player(2, 0)},
            {Match(1, 1, 2, 0, {5, -3, 11}), Match(2, 2, 1, 1, {}), Match(3, 1, kNotPlayed, 1, {4})}, Rounds(3));
  DuoGamePoints first = s.GamePoints(s.contestants[0], 11);
  // 11 + (-1 - -3) + 11; the NotPlayed match does not count.
  EXPECT_EQ(std::tuple(first.total, first.matches, first.average), std::tuple(24, 1, 24.0));
  EXPECT_EQ(s.GamePoints(s.contestants[1], 11).total, 4 + 11 + 10);
  // No stored games: average 0, not a division by zero.
  LSwiss empty;
  empty.SetData({Player(1, 0)}, {Match(1, 1, 2, 0)}, Rounds(1));
  EXPECT_EQ(empty.GamePoints(empty.contestants[0], 11).average, 0);
}

}  // namespace
}  // namespace velgram
