#include "competition/poule.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>

#include "competition/matchbook.h"
#include "competition/tables.h"
#include "engine_fixture.h"

namespace velgram {
namespace {

// --- pairings ------------------------------------------------------------------

TEST(Pairings, EveryPairMeetsOnceAndNobodyTwiceInARound) {
  for (int n = 2; n <= kMaxPouleSize; ++n) {
    const auto& table = PairingTable(n);
    ASSERT_EQ(table.size(), static_cast<size_t>(n * (n - 1) / 2)) << n;
    std::set<std::pair<int, int>> met;
    for (size_t m = 0; m < table.size(); ++m) {
      auto [a, b] = table[m];
      ASSERT_TRUE(a >= 1 && a <= n && b >= 1 && b <= n && a != b) << n;
      EXPECT_TRUE(met.insert({std::min(a, b), std::max(a, b)}).second) << n << ": " << a << "-" << b;
    }
    const size_t perRound = static_cast<size_t>(MatchesPerRound(n));
    for (size_t start = 0; start < table.size(); start += perRound) {
      std::set<int> seen;
      for (size_t m = start; m < start + perRound; ++m) {
        EXPECT_TRUE(seen.insert(table[m].first).second) << n;
        EXPECT_TRUE(seen.insert(table[m].second).second) << n;
      }
    }
  }
  EXPECT_TRUE(PairingTable(12).empty());
  EXPECT_EQ(PairingTable(3).front(), std::make_pair(2, 3));
}

// --- club separation -----------------------------------------------------------

struct Seat {
  std::string name, club;
  int rating;
};

std::vector<std::string> Separated(const std::vector<Seat>& seats) {
  std::vector<std::string> clubs;
  std::vector<int> ratings;
  for (const Seat& s : seats) {
    clubs.push_back(s.club);
    ratings.push_back(s.rating);
  }
  std::vector<std::string> names;
  for (int i : SeparateClubs(clubs, ratings)) names.push_back(seats[i].name);
  return names;
}

using Names = std::vector<std::string>;

TEST(ClubSeparation, SmallPools) {
  EXPECT_EQ(Separated({{"a", "X", 1}, {"b", "X", 9}}), (Names{"a", "b"}));
  // Three with a club pair: the pair takes 2 and 3 and meets first (2-3).
  EXPECT_EQ(Separated({{"k1", "K", 1500}, {"o", "O", 1000}, {"k2", "K", 1700}}), (Names{"o", "k2", "k1"}));
  EXPECT_EQ(Separated({{"a", "A", 10}, {"b", "B", 30}, {"c", "C", 20}}), (Names{"b", "c", "a"}));
  // Four with a club pair: 1 and 4, who meet in the first round (1-4).
  EXPECT_EQ(Separated({{"o1", "O", 1900}, {"k1", "K", 1500}, {"p", "P", 1000}, {"k2", "K", 1700}}),
            (Names{"k2", "p", "o1", "k1"}));
  // One club only: plain rating order, ties in list order.
  EXPECT_EQ(Separated({{"a", "K", 5}, {"b", "K", 7}, {"c", "K", 5}, {"d", "K", 9}}), (Names{"d", "b", "a", "c"}));
}

TEST(ClubSeparation, LargerPoolsPlaceClubsByTheirSize) {
  // Five with a club of three: the others at 1 and 5, the club in the middle.
  EXPECT_EQ(Separated({{"k1", "K", 1}, {"o1", "O", 50}, {"k2", "K", 3}, {"o2", "Q", 40}, {"k3", "K", 2}}),
            (Names{"o1", "k2", "k3", "k1", "o2"}));
  // Eight with clubs of four and three: the three take 2, 3 and 6.
  EXPECT_EQ(Separated({{"t1", "T", 80}, {"k1", "K", 90}, {"o", "O", 99}, {"k2", "K", 70}, {"t2", "T", 60},
                       {"k3", "K", 50}, {"k4", "K", 40}, {"t3", "T", 30}}),
            (Names{"k1", "t1", "t2", "k2", "k3", "t3", "o", "k4"}));
  // Nine with a club of six: its best player comes after its others.
  EXPECT_EQ(Separated({{"o1", "A", 99}, {"o2", "B", 98}, {"o3", "C", 97}, {"k1", "K", 96}, {"k2", "K", 95},
                       {"k3", "K", 94}, {"k4", "K", 93}, {"k5", "K", 92}, {"k6", "K", 91}}),
            (Names{"o1", "o2", "k2", "k3", "k4", "k5", "k6", "k1", "o3"}));
  // Eleven with a club of seven: the last two others in reverse.
  EXPECT_EQ(Separated({{"o1", "A", 99}, {"o2", "B", 98}, {"o3", "C", 97}, {"o4", "D", 96}, {"k1", "K", 80},
                       {"k2", "K", 79}, {"k3", "K", 78}, {"k4", "K", 77}, {"k5", "K", 76}, {"k6", "K", 75},
                       {"k7", "K", 74}}),
            (Names{"o1", "k1", "k2", "k3", "k4", "o2", "k5", "k6", "k7", "o4", "o3"}));
  // Ten with two clubs of two: only the first pair in list order (P) is
  // treated, at 1 and 10; the K pair stays among the rest in rating order.
  EXPECT_EQ(Separated({{"a", "A", 100}, {"p1", "P", 95}, {"k1", "K", 90}, {"b", "B", 85}, {"k2", "K", 80},
                       {"c", "C", 75}, {"p2", "P", 70}, {"d", "D", 65}, {"e", "E", 60}, {"f", "F", 55}}),
            (Names{"p1", "a", "k1", "b", "k2", "c", "d", "e", "f", "p2"}));
}

// Where a club of two is treated (every pair club up to three of them in
// pools up to eight, the largest club beyond that), the pair meets in the
// first round; every outcome numbers each position exactly once.
TEST(ClubSeparation, GeneratedPoolsPairClubsMeetInTheFirstRound) {
  std::mt19937 rng(7);
  int checkedPairs = 0;
  for (int n = 3; n <= kMaxPouleSize; ++n) {
    for (int trial = 0; trial < 300; ++trial) {
      std::vector<std::string> clubs;
      std::vector<int> ratings;
      int nrClubs = 1 + static_cast<int>(rng() % n);
      for (int i = 0; i < n; ++i) {
        clubs.push_back(std::string(1, static_cast<char>('A' + rng() % nrClubs)));
        ratings.push_back(static_cast<int>(rng() % 5));
      }
      std::vector<int> order = SeparateClubs(clubs, ratings);
      std::vector<int> sorted = order;
      std::sort(sorted.begin(), sorted.end());
      for (int i = 0; i < n; ++i) ASSERT_EQ(sorted[i], i);

      std::map<std::string, int> count;
      for (const std::string& c : clubs) ++count[c];
      int largest = 0, pairs = 0;
      for (auto& [c, k] : count) {
        largest = std::max(largest, k);
        pairs += k == 2;
      }
      if (n < 4 || largest != 2) continue;
      if (n >= 9 && pairs > 1) continue;  // only the first pair is treated there
      if (pairs > 3) continue;
      std::vector<int> number(n);
      for (int i = 0; i < n; ++i) number[order[i]] = i + 1;
      const auto& table = PairingTable(n);
      std::set<std::pair<int, int>> firstRound(table.begin(), table.begin() + MatchesPerRound(n));
      for (auto& [c, k] : count) {
        if (k != 2) continue;
        std::vector<int> nums;
        for (int i = 0; i < n; ++i)
          if (clubs[i] == c) nums.push_back(number[i]);
        std::sort(nums.begin(), nums.end());
        EXPECT_TRUE(firstRound.count({nums[0], nums[1]}) != 0) << "n=" << n << " club " << c;
        ++checkedPairs;
      }
    }
  }
  EXPECT_GT(checkedPairs, 100);
}

// --- standings -----------------------------------------------------------------

std::vector<Contestant> Positions(int n) {
  std::vector<Contestant> list(n);
  for (int i = 0; i < n; ++i) {
    list[i].id = i + 1;
    list[i].sort = i + 1;
  }
  return list;
}

MatchEntry Result(int c1, int c2, int winner, std::vector<int> games) {
  MatchEntry m;
  m.idContestant1 = c1;
  m.idContestant2 = c2;
  m.indexWinner = winner;
  m.games = std::move(games);
  return m;
}

TEST(Standings, ThreeWayCycleGoesToTheLotThroughAllHeadings) {
  LPoule pool;
  // 1 beats 2, 2 beats 3, 3 beats 1; every match 3-1 with 11-5 games.
  std::vector<MatchEntry> matches = {Result(1, 2, 0, {6, -6, 6, 6}), Result(2, 3, 0, {6, 6, -6, 6}),
                                     Result(1, 3, 1, {-6, -6, 6, -6})};
  pool.Standings(Positions(3), matches);
  EXPECT_EQ(pool.places, (std::vector<int>{0, 1, 2}));
  const std::string lines =
      "3 spelers met 1 overwinning voor plaats 1 t/m 3\r\nOnderling resultaat in sets gelijk\r\n"
      "Game quotient gelijk\r\nPunten quotient gelijk\r\nGame quotient gelijk\r\nHet lot";
  for (const std::string& e : pool.explanations) EXPECT_EQ(e, lines);
}

TEST(Standings, SoleWinnersAndAnUnfinishedPool) {
  LPoule pool;
  std::vector<MatchEntry> matches = {Result(1, 2, 1, {-3, -3, -3}), Result(2, 3, 0, {3, 3, 3}),
                                     Result(1, 3, 0, {3, 3, 3})};
  pool.Standings(Positions(3), matches);
  EXPECT_EQ(pool.places, (std::vector<int>{1, 0, 2}));
  EXPECT_EQ(pool.explanations[1], "Enige speler met 2 overwinningen");
  EXPECT_EQ(pool.explanations[0], "Enige speler met 1 overwinning");
  EXPECT_EQ(pool.explanations[2], "Enige speler met 0 overwinningen");
  matches[1].indexWinner = -1;
  pool.Standings(Positions(3), matches);
  EXPECT_EQ(pool.places, (std::vector<int>{-1, -1, -1}));
  EXPECT_EQ(pool.explanations, (std::vector<std::string>{"", "", ""}));
  pool.Standings(Positions(3), {});  // not started
  EXPECT_EQ(pool.places, (std::vector<int>{-1, -1, -1}));
}

TEST(Standings, MutualWinSplitsATieOnWins) {
  LPoule pool;
  // 1 and 3 both win twice, 3 beat 1; 2 and 4 win once, 4 beat 2.
  std::vector<MatchEntry> matches = {Result(1, 2, 0, {1, 1, 1}),  Result(1, 3, 1, {-1, -1, -1}),
                                     Result(1, 4, 0, {1, 1, 1}),  Result(2, 3, 0, {1, 1, 1}),
                                     Result(2, 4, 1, {-1, -1, -1}), Result(3, 4, 0, {1, 1, 1})};
  pool.Standings(Positions(4), matches);
  EXPECT_EQ(pool.places, (std::vector<int>{1, 3, 0, 2}));
  EXPECT_EQ(pool.explanations[2],
            "2 spelers met 2 overwinningen voor plaats 1 t/m 2\r\n"
            "Enige speler met 1 overwinning in onderling resultaat");
  EXPECT_EQ(pool.explanations[0],
            "2 spelers met 2 overwinningen voor plaats 1 t/m 2\r\n"
            "Enige speler met 0 overwinningen in onderling resultaat");
  EXPECT_EQ(pool.explanations[1],
            "2 spelers met 1 overwinning voor plaats 3 t/m 4\r\n"
            "Enige speler met 0 overwinningen in onderling resultaat");
}

TEST(Standings, GameQuotientsSplitACycle) {
  LPoule pool;
  // 1 beats 2 3-0, 2 beats 3 3-2, 3 beats 1 3-2; 4 loses everything.
  std::vector<MatchEntry> matches = {Result(1, 2, 0, {5, 5, 5}),          Result(2, 3, 0, {5, -5, 5, -5, 5}),
                                     Result(1, 3, 1, {5, -5, 5, -5, -5}), Result(1, 4, 0, {1, 1, 1}),
                                     Result(2, 4, 0, {1, 1, 1}),          Result(3, 4, 0, {1, 1, 1})};
  pool.Standings(Positions(4), matches);
  // Games among the three: 1 has 5-3, 3 has 5-5 and 2 has 3-5.
  EXPECT_EQ(pool.places, (std::vector<int>{0, 2, 1, 3}));
  const std::string head = "3 spelers met 2 overwinningen voor plaats 1 t/m 3\r\nOnderling resultaat in sets gelijk\r\n";
  EXPECT_EQ(pool.explanations[0], head + "5 games gewonnen en 3 games verloren, quotient=1.67");
  EXPECT_EQ(pool.explanations[2], head + "5 games gewonnen en 5 games verloren, quotient=1.00");
  EXPECT_EQ(pool.explanations[1], head + "3 games gewonnen en 5 games verloren, quotient=0.60");
  EXPECT_EQ(pool.explanations[3], "Enige speler met 0 overwinningen");
}

TEST(Standings, AQuotientTieGoesBackToMutualWins) {
  LPoule pool;
  // Five players, each beating the next two (mod 5), all 3-0 except 1's win
  // over 2, which is 3-1: 2 has the best game quotient, 1 the worst, and 3, 4
  // and 5 tie at 1.00 and are split by their wins among themselves.
  std::vector<MatchEntry> matches;
  for (int i = 0; i < 5; ++i) {
    for (int step = 1; step <= 2; ++step) {
      int j = (i + step) % 5;
      std::vector<int> games = {1, 1, 1};
      if (i == 0 && j == 1) games = {1, -1, 1, 1};
      matches.push_back(Result(i + 1, j + 1, 0, games));
    }
  }
  pool.Standings(Positions(5), matches);
  EXPECT_EQ(pool.places, (std::vector<int>{4, 0, 1, 2, 3}));
  const std::string head = "5 spelers met 2 overwinningen voor plaats 1 t/m 5\r\nOnderling resultaat in sets gelijk\r\n";
  EXPECT_EQ(pool.explanations[1], head + "7 games gewonnen en 6 games verloren, quotient=1.17");
  EXPECT_EQ(pool.explanations[0], head + "6 games gewonnen en 7 games verloren, quotient=0.86");
  const std::string tie = head + "6 games gewonnen en 6 games verloren, quotient=1.00\r\n";
  EXPECT_EQ(pool.explanations[2], tie + "Enige speler met 2 overwinningen in onderling resultaat");
  EXPECT_EQ(pool.explanations[3], tie + "Enige speler met 1 overwinning in onderling resultaat");
  EXPECT_EQ(pool.explanations[4], tie + "Enige speler met 0 overwinningen in onderling resultaat");
}

// A tie that breaks partly by quotient goes back to mutual wins for the rest;
// a member who lost no game ranks above every quotient.
TEST(Standings, PartialTiesAndMembersWithoutAQuotient) {
  LPoule pool;
  // A=1 B=2 C=3 D=4 E=5 F=6. A, B, C, D win three each; among them A and B
  // win twice, C and D once; B beat A 3-0, C beat D 3-1.
  std::vector<MatchEntry> m = {
      Result(2, 1, 0, {1, 1, 1}),    Result(1, 3, 0, {1, 1, 1}),    Result(1, 4, 0, {1, 1, 1}),
      Result(2, 3, 0, {1, 1, 1}),    Result(4, 2, 0, {1, 1, 1}),    Result(3, 4, 0, {1, -1, 1, 1}),
      Result(1, 5, 0, {1, 1, 1}),    Result(2, 5, 0, {1, 1, 1}),    Result(3, 5, 0, {1, 1, 1}),
      Result(4, 5, 0, {1, 1, 1}),    Result(1, 6, 1, {-1, -1, -1}), Result(2, 6, 1, {-1, -1, -1}),
      Result(3, 6, 0, {1, 1, 1}),    Result(4, 6, 0, {1, 1, 1}),    Result(5, 6, 0, {1, 1, 1})};
  pool.Standings(Positions(6), m);
  EXPECT_EQ(pool.places, (std::vector<int>{1, 0, 2, 3, 5, 4}));
  const std::string head = "4 spelers met 3 overwinningen voor plaats 1 t/m 4\r\n";
  EXPECT_EQ(pool.explanations[1], head + "Onderling resultaat in sets gelijk\r\n3 games gewonnen en 0 games verloren, geen quotient");
  EXPECT_EQ(pool.explanations[0], head + "Onderling resultaat in sets gelijk\r\n0 games gewonnen en 3 games verloren, quotient=0.00");
  EXPECT_EQ(pool.explanations[2], head + "Onderling resultaat in sets gelijk\r\n3 games gewonnen en 1 games verloren, quotient=3.00");
  EXPECT_EQ(pool.explanations[5], "Enige speler met 2 overwinningen");
  EXPECT_EQ(pool.explanations[4], "Enige speler met 1 overwinning");
}

TEST(Standings, PoolsWithoutGameCodesStillPlaceEveryone) {
  // Winner-only results (mode 1) keep no games; games-won results (mode 2)
  // keep counts that are no game codes.
  for (bool countsStored : {false, true}) {
    LPoule pool;
    pool.gameCodes = false;
    std::vector<MatchEntry> matches = {Result(1, 2, 0, {}), Result(2, 3, 0, {}), Result(1, 3, 1, {}),
                                       Result(1, 4, 0, {}), Result(2, 4, 0, {}), Result(3, 4, 0, {})};
    if (countsStored)
      for (MatchEntry& e : matches) e.games = e.indexWinner == 0 ? std::vector<int>{3, 0} : std::vector<int>{1, 3};
    pool.Standings(Positions(4), matches);
    EXPECT_EQ(pool.places, (std::vector<int>{0, 1, 2, 3}));
    EXPECT_EQ(pool.explanations[1],
              "3 spelers met 2 overwinningen voor plaats 1 t/m 3\r\nOnderling resultaat in sets gelijk\r\n"
              "Game quotient gelijk\r\nPunten quotient gelijk\r\nGame quotient gelijk\r\nHet lot");
  }
}

TEST(Standings, PointQuotientUsesTheFixedElevenRule) {
  LPoule pool;
  // Cycle with equal games (each 3-1 winner, 1-3 loser) but different points:
  // 1 beat 2 with deuce games.
  std::vector<MatchEntry> matches = {Result(1, 2, 0, {11, -6, 11, 11}), Result(2, 3, 0, {6, 6, -6, 6}),
                                     Result(1, 3, 1, {-6, -6, 6, -6})};
  pool.Standings(Positions(3), matches);
  // Points (winner 11, or loser + 2 past 9): 1 scores 41-41 against 2 and
  // 26-38 against 3; 2 scores 38-26 against 3; 3 scores 38-26 against 1.
  // So 2 has 79/67, 3 has 64/64 and 1 has 67/79.
  EXPECT_EQ(pool.places, (std::vector<int>{2, 0, 1}));
  EXPECT_EQ(pool.explanations[1],
            "3 spelers met 1 overwinning voor plaats 1 t/m 3\r\nOnderling resultaat in sets gelijk\r\n"
            "Game quotient gelijk\r\n79 punten gewonnen en 67 punten verloren, quotient=1.17910");
  EXPECT_EQ(pool.explanations[2],
            "3 spelers met 1 overwinning voor plaats 1 t/m 3\r\nOnderling resultaat in sets gelijk\r\n"
            "Game quotient gelijk\r\n64 punten gewonnen en 64 punten verloren, quotient=1.00000");
}

// --- start ---------------------------------------------------------------------

using StartPool = testing::EngineTest;

struct WarningStub : StartWarning {
  bool answer = true, tick = false;
  int asked = 0;
  bool Ask(bool& dontShowAgain) override {
    ++asked;
    dontShowAgain = tick;
    return answer;
  }
};

TEST_F(StartPool, ChecksAndTheWarning) {
  int cls = AddClass("A");
  int pool = AddPool(cls, "Poule 1", "1-2");
  AddPlayers(pool, {AddPlayer("Jan", "X", 1)});
  prompter.answers = {false};
  EXPECT_EQ(StartPoule(db, prompter, pool), StartOutcome::kCancelled);
  EXPECT_TRUE(prompter.alerts.empty());
  EXPECT_EQ(StartPoule(db, prompter, pool), StartOutcome::kRefused);
  EXPECT_EQ(prompter.alerts.back(), "Een poule moet minstens twee spelers hebben.");
  std::vector<int> many;
  for (int i = 0; i < 11; ++i) many.push_back(AddPlayer("Speler " + std::to_string(i), "X", 1));
  AddPlayers(pool, many);
  EXPECT_EQ(StartPoule(db, prompter, pool), StartOutcome::kRefused);
  EXPECT_EQ(prompter.alerts.back(), "Een poule mag maximaal elf spelers hebben.");

  int bare = AddPool(cls, "Zonder tafels", "");
  AddPlayers(bare, {AddPlayer("Kees", "X", 1), AddPlayer("Klaas", "Y", 1)});
  EXPECT_EQ(StartPoule(db, prompter, bare), StartOutcome::kRefused);
  EXPECT_EQ(prompter.alerts.back(), "Er zijn geen tafels voor de wedstrijden.");
  std::vector<MatchRecord> matches;
  db.ListMatches(bare, matches);
  EXPECT_TRUE(matches.empty());

  WarningStub warning;
  warning.tick = true;
  size_t questions = prompter.questions.size();
  EXPECT_EQ(StartPoule(db, prompter, bare, &warning), StartOutcome::kRefused);
  EXPECT_EQ(warning.asked, 1);
  EXPECT_EQ(db.GetSetting("PouleActivateWarning"), "No");
  EXPECT_EQ(StartPoule(db, prompter, bare, &warning), StartOutcome::kRefused);
  EXPECT_EQ(warning.asked, 1);
  EXPECT_EQ(prompter.questions.size(), questions);
}

TEST_F(StartPool, TwoPlayersPlayOneMatchOnTheFirstTable) {
  db.SetSetting("PouleActivateWarning", "No");
  int pool = AddPool(AddClass("A"), "P", "5-6", 1030);
  auto ids = AddPlayers(pool, {AddPlayer("Jan", "X", 1), AddPlayer("Piet", "Y", 2)});
  ASSERT_EQ(StartPoule(db, prompter, pool), StartOutcome::kStarted);
  std::vector<MatchRecord> matches;
  db.ListMatches(pool, matches);
  ASSERT_EQ(matches.size(), 1u);
  EXPECT_EQ(matches[0].tafel, 5);
  EXPECT_EQ(matches[0].starttime, 1030);
  EXPECT_EQ(matches[0].idContestant1, ids[0]);  // two positions are never reordered
  EXPECT_EQ(matches[0].idContestant2, ids[1]);
}

TEST_F(StartPool, ClubPairOfThreeMeetsFirstAndPositionsAreRenumbered) {
  db.SetSetting("PouleActivateWarning", "No");
  int pool = AddPool(AddClass("A"), "P", "1");
  auto ids = AddPlayers(pool, {AddPlayer("Jan", "TTV", 1500), AddPlayer("Piet", "Smash", 1200),
                               AddPlayer("Kees", "TTV", 1600)});
  ASSERT_EQ(StartPoule(db, prompter, pool), StartOutcome::kStarted);
  std::vector<ContestantRecord> rows;
  db.ListContestants(pool, rows);
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0].id, ids[1]);
  EXPECT_EQ(rows[1].id, ids[2]);
  EXPECT_EQ(rows[2].id, ids[0]);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(rows[i].sort, i + 1);
    EXPECT_EQ(rows[i].poolPos, i + 1);
  }
  std::vector<MatchRecord> matches;
  db.ListMatches(pool, matches);
  ASSERT_EQ(matches.size(), 3u);
  EXPECT_EQ(matches[0].idContestant1, ids[2]);
  EXPECT_EQ(matches[0].idContestant2, ids[0]);
  EXPECT_EQ(matches[0].starttime, 900);
  EXPECT_EQ(matches[1].starttime, 915);  // one table: every match its own slot
  EXPECT_EQ(matches[2].starttime, 930);
}

TEST_F(StartPool, TenPlayersAndARestart) {
  db.SetSetting("PouleActivateWarning", "No");
  int pool = AddPool(AddClass("A"), "P", "1-3");
  std::vector<int> players;
  for (int i = 0; i < 10; ++i) players.push_back(AddPlayer("Speler " + std::to_string(i), i < 4 ? "A" : "B", i));
  AddPlayers(pool, players);
  ASSERT_EQ(StartPoule(db, prompter, pool), StartOutcome::kStarted);
  ASSERT_EQ(StartPoule(db, prompter, pool), StartOutcome::kStarted);
  std::vector<MatchRecord> matches;
  db.ListMatches(pool, matches);
  ASSERT_EQ(matches.size(), 45u);
  std::map<int, int> perSlot;
  for (const MatchRecord& m : matches) ++perSlot[m.starttime];
  EXPECT_EQ(perSlot.size(), 15u);
  for (auto& [t, k] : perSlot) EXPECT_EQ(k, 3) << t;
}

TEST_F(StartPool, LinkedPositionsKeepTheirPlace) {
  db.SetSetting("PouleActivateWarning", "No");
  int cls = AddClass("A");
  int first = AddPool(cls, "Poule A", "1");
  int jan = AddPlayer("Jan", "X", 1000), piet = AddPlayer("Piet", "Y", 1100), kees = AddPlayer("Kees", "Z", 900);
  auto a = AddPlayers(first, {jan, piet, kees});
  Play(first, a[0], a[1], 0);
  Play(first, a[1], a[2], 0);
  Play(first, a[0], a[2], 0);  // Jan first, Piet second, Kees third

  int second = AddPool(cls, "Poule B", "1");
  int link = AddLink(second, first, 2);
  AddPlayers(second, {AddPlayer("Anna", "X", 2000), AddPlayer("Bert", "W", 1900)});
  ASSERT_EQ(StartPoule(db, prompter, second), StartOutcome::kStarted);

  std::vector<Contestant> positions;
  LoadContestants(db, second, positions, true);
  ASSERT_EQ(positions.size(), 3u);
  auto it = std::find_if(positions.begin(), positions.end(), [&](const Contestant& c) { return c.id == link; });
  ASSERT_NE(it, positions.end());
  EXPECT_EQ(it->linktype, kLinkPlace);
  EXPECT_EQ(it->poolPos, 2);
  EXPECT_EQ(it->idLinkedPool, first);
  EXPECT_EQ(it->name, "Piet");
  EXPECT_EQ(it->sort, static_cast<int>(it - positions.begin()) + 1);
  // Piet (club Y, 1100) ranks below Anna and Bert and shares no club.
  EXPECT_EQ(positions[0].name, "Anna");
  EXPECT_EQ(positions[2].name, "Piet");
}

}  // namespace
}  // namespace velgram
