#include "competition/poule.h"
#include <gtest/gtest.h>
#include <random>
#include "competition/matchbook.h"
#include "competition/tables.h"
#include "engine_fixture.h"

namespace velgram {
namespace {

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
}

// Every case of the separation table, with the sizes of three and four
// before it: generated pools with the clubs the case names (every other
// player from a club of their own), shuffled and with random ratings; the
// expected numbering follows the case's layout, each group in rating order
// and same-sized clubs taking their roles (K, then P or T, then Q) by first
// appearance.
TEST(ClubSeparation, EveryCaseOfTheTable) {
  const std::vector<std::pair<int, std::string>> layouts = {
      {3, "O1 K1 K2"},
      {4, "K1 O2 O1 K2|K1 O1 K3 K2|K1 P2 P1 K2"},
      {5, "O1 K1 K2 K3 K4|O1 K1 K2 K3 O2|O1 K1 P1 P2 K2|O1 K1 O3 O2 K2"},
      {6, "K1 K2 K3 K4 K5 O1|K1 O1 K2 K3 K4 O2|K1 O1 P1 P2 K2 K3|K1 O1 O2 O3 K2 K3|O1 K1 P1 P2 K2 O2|"
          "O1 K1 O2 O3 K2 O4"},
      {7, "O1 K1 K2 K3 K4 K5 K6|K1 K2 K3 O1 O2 K4 K5|O1 K1 K2 P1 P2 K3 K4|O1 K1 K2 O2 O3 K3 K4|"
          "K1 O1 P1 K2 K3 P2 O2|K1 O1 O2 K2 K3 O3 O4|O1 K1 P1 Q1 Q2 P2 K2|O1 K1 P1 O2 O3 P2 K2|O1 K1 O2 O3 O4 O5 K2"},
      {8, "K1 K2 K3 K4 K5 K6 O1 K7|K1 O1 K2 K3 K4 K5 O2 K6|K1 O1 P1 K2 K3 P2 K4 K5|K1 O1 O2 K2 K3 O3 K4 K5|"
          "K1 T1 T2 K2 K3 T3 O1 K4|K1 O1 P1 K2 K3 P2 O2 K4|K1 O1 O2 K2 K3 O3 O4 K4|K1 T1 T2 K2 K3 T3 O1 O2|"
          "K1 O1 P1 K2 K3 P2 O2 O3|K1 O1 O2 K2 K3 O3 O4 O5|K1 P1 O1 Q1 Q2 O2 P2 K2|K1 P1 O1 O2 O3 O4 P2 K2|"
          "K1 O1 O2 O3 O4 O5 O6 K2"},
      {9, "O1 K1 K2 K3 K4 K5 K6 K7 K8|O1 K1 K2 K3 K4 K5 K6 K7 O2|O1 O2 K2 K3 K4 K5 K6 K1 O3|"
          "O1 O2 K1 K2 K3 K4 K5 O3 O4|O1 O2 O3 K1 K2 K3 K4 O4 O5|O1 O2 O3 K1 K2 K3 O4 O5 O6|"
          "O1 K1 O2 O3 O4 O5 O6 O7 K2"},
      {10, "O1 K1 K2 K3 K4 K5 K6 K7 K8 K9|O1 K1 K2 K3 K4 K5 K6 K7 K8 O2|O1 O2 K1 K2 K3 K4 K5 K6 K7 O3|"
           "O1 O2 K1 K2 K3 K4 K5 K6 O3 O4|K1 O1 O2 K2 K3 O3 O4 O5 K4 K5|K1 O1 O2 K2 K3 O3 O4 O5 O6 K4|"
           "K1 O1 O2 O3 O4 O5 O6 O7 K2 K3|K1 O1 O2 O3 O4 O5 O6 O7 O8 K2"},
      {11, "O1 K1 K2 K3 K4 K5 K6 K7 K8 K9 K10|O1 K1 K2 K3 K4 O2 K5 K6 K7 K8 K9|O1 K1 K2 K3 K4 O2 K5 K6 K7 K8 O3|"
           "O1 K1 K2 K3 K4 O2 K5 K6 K7 O4 O3|O1 K1 K2 K3 K4 O2 K5 K6 O5 O4 O3|O1 O2 K1 K2 K3 K4 K5 O3 O4 O5 O6|"
           "O1 O2 O3 K1 K2 K3 K4 O4 O5 O6 O7|O1 O2 O3 O4 K1 K2 K3 O5 O6 O7 O8|O1 O2 O3 O4 O5 K1 K2 O6 O7 O8 O9"}};
  std::mt19937 rng(11);
  int cases = 0;
  for (const auto& [n, all] : layouts) {
    std::stringstream list(all);
    for (std::string layout; std::getline(list, layout, '|'); ++cases) {
      std::vector<std::string> tokens;
      std::stringstream words(layout);
      for (std::string w; words >> w;) tokens.push_back(w);
      ASSERT_EQ(static_cast<int>(tokens.size()), n) << layout;
      for (int trial = 0; trial < 20; ++trial) {
        std::vector<char> seats;  // the group letter of each position
        for (const std::string& t : tokens) seats.push_back(t[0]);
        std::shuffle(seats.begin(), seats.end(), rng);
        auto first = [&](char g) { return std::find(seats.begin(), seats.end(), g) - seats.begin(); };
        auto count = [&](char g) { return std::count(seats.begin(), seats.end(), g); };
        for (int pass = 0; pass < 3; ++pass)
          for (auto [x, y] : {std::pair{'K', 'P'}, {'K', 'T'}, {'P', 'Q'}, {'K', 'Q'}})
            if (first(y) < first(x) && count(x) == count(y))
              for (char& c : seats) c = c == x ? y : c == y ? x : c;
        std::vector<int> ratings(n);
        std::vector<std::string> clubs;
        std::map<char, std::vector<int>> members;
        for (int i = 0; i < n; ++i) {
          ratings[i] = 10 * i;
          clubs.push_back(seats[i] == 'O' ? "O" + std::to_string(i) : std::string(1, seats[i]));
          members[seats[i]].push_back(i);
        }
        std::shuffle(ratings.begin(), ratings.end(), rng);
        for (auto& [g, m] : members)
          std::sort(m.begin(), m.end(), [&](int a, int b) { return ratings[a] > ratings[b]; });
        std::vector<int> expected;
        for (const std::string& t : tokens) expected.push_back(members[t[0]][std::stoi(t.substr(1)) - 1]);
        ASSERT_EQ(SeparateClubs(clubs, ratings), expected) << layout;
      }
    }
    // No club with two, or one club holding every seat: rating order, ties
    // (all of them at seven) in list order.
    std::vector<int> ratings(n), byRating(n);
    for (int i = 0; i < n; ++i) ratings[i] = (i * 7) % n;
    std::iota(byRating.begin(), byRating.end(), 0);
    std::stable_sort(byRating.begin(), byRating.end(), [&](int a, int b) { return ratings[a] > ratings[b]; });
    std::vector<std::string> own(n);
    for (int i = 0; i < n; ++i) own[i] = std::to_string(i);
    EXPECT_EQ(SeparateClubs(own, ratings), byRating) << n;
    EXPECT_EQ(SeparateClubs(std::vector<std::string>(n, "K"), ratings), byRating) << n;
  }
  EXPECT_EQ(cases, 60);
}

std::vector<Contestant> Positions(int n) {
  std::vector<Contestant> list(n);
  for (int i = 0; i < n; ++i) list[i].id = list[i].sort = i + 1;
  return list;
}

MatchEntry Result(int c1, int c2, int winner, std::vector<int> games, int decision = kDecisionPlayed) {
  MatchEntry m;
  std::tie(m.idContestant1, m.idContestant2, m.indexWinner, m.games, m.decision) =
      std::tie(c1, c2, winner, games, decision);
  return m;
}

// One pool object through every case, so that nothing of a case before
// lingers: wins, then the mutual result, then game and point quotients. A
// walkover brings no games into the quotients (and the places of both say
// so); a retirement keeps the games played before it.
TEST(Standings, WinsThenMutualResultsThenQuotients) {
  const std::string cycle = "3 spelers met 1 overwinning voor plaats 1 t/m 3\r\nOnderling resultaat in sets gelijk\r\n";
  const std::string three = cycle + "Game quotient gelijk\r\n";
  const std::string lot = three + "Punten quotient gelijk\r\nGame quotient gelijk\r\nHet lot";
  const std::string five = "5 spelers met 2 overwinningen voor plaats 1 t/m 5\r\nOnderling resultaat in sets gelijk\r\n";
  const std::string fiveTie = five + "6 games gewonnen en 6 games verloren, quotient=1.00\r\n";
  const std::string four = "4 spelers met 3 overwinningen voor plaats 1 t/m 4\r\nOnderling resultaat in sets gelijk\r\n";
  const std::string two = "2 spelers met 2 overwinningen voor plaats 1 t/m 2\r\n";
  const std::string mutual = " in onderling resultaat";
  const std::string wo = "\r\n1 wedstrijd door w.o. beslist: telt zonder games en punten";
  // 1 beat 2 without playing it out, 2 beat 3 3-0, 3 beat 1 3-1.
  auto notPlayedOut = [](int decision, std::vector<int> games) {
    return std::vector<MatchEntry>{Result(1, 2, 0, std::move(games), decision), Result(2, 3, 0, {6, 6, 6}),
                                   Result(1, 3, 1, {-6, 6, -6, -6})};
  };
  // Five players each beating the next two (mod 5), all 3-0 but 1's 3-1 over
  // 2: 2 has the best game quotient, 1 the worst, and 3, 4 and 5 tie at 1.00.
  std::vector<MatchEntry> ring;
  for (int i = 0; i < 5; ++i)
    for (int step = 1; step <= 2; ++step)
      ring.push_back(Result(i + 1, (i + step) % 5 + 1, 0,
                            i + step == 1 ? std::vector<int>{1, -1, 1, 1} : std::vector<int>{1, 1, 1}));
  const struct {
    const char* what;
    int n;
    std::vector<MatchEntry> matches;
    std::vector<int> places;
    std::map<int, std::string> explanations;
  } cases[] = {
      {"cycle, every match 3-1 with 11-5 games", 3,
       {Result(1, 2, 0, {6, -6, 6, 6}), Result(2, 3, 0, {6, 6, -6, 6}), Result(1, 3, 1, {-6, -6, 6, -6})},
       {0, 1, 2}, {{0, lot}, {1, lot}, {2, lot}}},
      // 1 beats 2 with deuce games. Points (winner 11, or loser + 2 past 9): 1
      // scores 41-41 against 2 and 26-38 against 3, 2 38-26 against 3, 3 38-26
      // against 1; so 2 has 79/67, 3 64/64 and 1 67/79.
      {"cycle with deuce games", 3,
       {Result(1, 2, 0, {11, -6, 11, 11}), Result(2, 3, 0, {6, 6, -6, 6}), Result(1, 3, 1, {-6, -6, 6, -6})},
       {2, 0, 1},
       {{1, three + "79 punten gewonnen en 67 punten verloren, quotient=1.17910"},
        {2, three + "64 punten gewonnen en 64 punten verloren, quotient=1.00000"}}},
      {"walkover", 3, notPlayedOut(kDecisionWalkover, {}), {2, 0, 1},
       {{0, cycle + "1 games gewonnen en 3 games verloren, quotient=0.33" + wo},
        {1, cycle + "3 games gewonnen en 0 games verloren, geen quotient" + wo}}},
      {"retirement", 3, notPlayedOut(kDecisionRetired, {6, 6}), {1, 0, 2},
       {{0, cycle + "3 games gewonnen en 3 games verloren, quotient=1.00"},
        {1, cycle + "3 games gewonnen en 2 games verloren, quotient=1.50"}}},
      {"unfinished", 3, {Result(1, 2, 1, {-3, -3, -3}), Result(2, 3, -1, {3, 3, 3}), Result(1, 3, 0, {3, 3, 3})},
       {-1, -1, -1}, {{0, ""}, {1, ""}, {2, ""}}},
      {"not started", 3, {}, {-1, -1, -1}, {}},
      // 1 and 3 both win twice, 3 beat 1; 2 and 4 win once, 4 beat 2.
      {"mutual win", 4,
       {Result(1, 2, 0, {1, 1, 1}), Result(1, 3, 1, {-1, -1, -1}), Result(1, 4, 0, {1, 1, 1}),
        Result(2, 3, 0, {1, 1, 1}), Result(2, 4, 1, {-1, -1, -1}), Result(3, 4, 0, {1, 1, 1})},
       {1, 3, 0, 2},
       {{2, two + "Enige speler met 1 overwinning" + mutual},
        {0, two + "Enige speler met 0 overwinningen" + mutual},
        {1, "2 spelers met 1 overwinning voor plaats 3 t/m 4\r\nEnige speler met 0 overwinningen" + mutual}}},
      {"quotient tie back to mutual wins", 5, ring, {4, 0, 1, 2, 3},
       {{1, five + "7 games gewonnen en 6 games verloren, quotient=1.17"},
        {0, five + "6 games gewonnen en 7 games verloren, quotient=0.86"},
        {2, fiveTie + "Enige speler met 2 overwinningen" + mutual},
        {3, fiveTie + "Enige speler met 1 overwinning" + mutual},
        {4, fiveTie + "Enige speler met 0 overwinningen" + mutual}}},
      // Members without a quotient still get the places of their heading: one
      // who lost no game ranks above every quotient, one who won none below
      // them. 1-4 win three each; among them 1 and 2 twice, 3 and 4 once; 2
      // beat 1 3-0, 3 beat 4 3-1.
      {"partial ties", 6,
       {Result(2, 1, 0, {1, 1, 1}), Result(1, 3, 0, {1, 1, 1}), Result(1, 4, 0, {1, 1, 1}),
        Result(2, 3, 0, {1, 1, 1}), Result(4, 2, 0, {1, 1, 1}), Result(3, 4, 0, {1, -1, 1, 1}),
        Result(1, 5, 0, {1, 1, 1}), Result(2, 5, 0, {1, 1, 1}), Result(3, 5, 0, {1, 1, 1}),
        Result(4, 5, 0, {1, 1, 1}), Result(1, 6, 1, {-1, -1, -1}), Result(2, 6, 1, {-1, -1, -1}),
        Result(3, 6, 0, {1, 1, 1}), Result(4, 6, 0, {1, 1, 1}), Result(5, 6, 0, {1, 1, 1})},
       {1, 0, 2, 3, 5, 4},
       {{1, four + "3 games gewonnen en 0 games verloren, geen quotient"},
        {0, four + "0 games gewonnen en 3 games verloren, quotient=0.00"},
        {2, four + "3 games gewonnen en 1 games verloren, quotient=3.00"},
        {5, "Enige speler met 2 overwinningen"}, {4, "Enige speler met 1 overwinning"}}},
  };
  LPoule pool;
  for (const auto& c : cases) {
    pool.Standings(Positions(c.n), c.matches);
    EXPECT_EQ(pool.places, c.places) << c.what;
    for (const auto& [i, text] : c.explanations) EXPECT_EQ(pool.explanations.at(i), text) << c.what << " " << i;
  }
}

using StartPool = testing::EngineTest;
using V = std::vector<int>;

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
  EXPECT_TRUE(StartPoule(db, prompter, pool) == StartOutcome::kCancelled && prompter.alerts.empty());
  EXPECT_EQ(StartPoule(db, prompter, pool), StartOutcome::kRefused);
  std::vector<int> many;
  for (int i = 0; i < 11; ++i) many.push_back(AddPlayer("Speler " + std::to_string(i), "X", 1));
  AddPlayers(pool, many);
  EXPECT_EQ(StartPoule(db, prompter, pool), StartOutcome::kRefused);
  int bare = AddPool(cls, "Zonder tafels", "");
  AddPlayers(bare, {AddPlayer("Kees", "X", 1), AddPlayer("Klaas", "Y", 1)});
  EXPECT_EQ(StartPoule(db, prompter, bare), StartOutcome::kRefused);
  EXPECT_EQ(prompter.alerts, (std::vector<std::string>{"Een poule moet minstens twee spelers hebben.",
                                                       "Een poule mag maximaal elf spelers hebben.",
                                                       "Er zijn geen tafels voor de wedstrijden."}));
  EXPECT_TRUE(Matches(bare).empty());
  // Ticking "do not show again" on the warning stops all further asking.
  WarningStub warning;
  warning.tick = true;
  size_t questions = prompter.questions.size();
  for (int i = 0; i < 2; ++i) EXPECT_EQ(StartPoule(db, prompter, bare, &warning), StartOutcome::kRefused);
  EXPECT_EQ(std::tuple(warning.asked, db.GetSetting("PouleActivateWarning"), prompter.questions.size()),
            std::tuple(1, "No", questions));
}

// Two positions are never reordered; three with a club pair put the pair at
// 2 and 3, meeting first, a match a slot on one table; starting again
// replaces the matches rather than adding to them.
TEST_F(StartPool, NumbersPositionsAndSchedulesTheirMatches) {
  db.SetSetting("PouleActivateWarning", "No");
  int cls = AddClass("A");
  int two = AddPool(cls, "Twee", "5-6", 1030);
  auto ids = AddPlayers(two, {AddPlayer("Jan", "X", 1), AddPlayer("Piet", "Y", 2)});
  ASSERT_EQ(StartPoule(db, prompter, two), StartOutcome::kStarted);
  MatchRecord m = Matches(two).at(0);
  EXPECT_EQ((V{m.idContestant1, m.idContestant2, m.tafel, m.starttime}), (V{ids[0], ids[1], 5, 1030}));
  int three = AddPool(cls, "Drie", "1");
  ids = AddPlayers(three, {AddPlayer("Jan", "TTV", 1500), AddPlayer("Piet", "Smash", 1200),
                           AddPlayer("Kees", "TTV", 1600)});
  for (int again = 0; again < 2; ++again) ASSERT_EQ(StartPoule(db, prompter, three), StartOutcome::kStarted);
  const std::vector<ContestantRecord> rows = Rows(three);
  for (int i = 0; i < 3; ++i)
    EXPECT_EQ((V{rows.at(i).id, rows.at(i).sort, rows.at(i).poolPos}), (V{ids[(i + 1) % 3], i + 1, i + 1}));
  const std::vector<MatchRecord> matches = Matches(three);
  ASSERT_EQ(matches.size(), 3u);
  EXPECT_EQ(std::pair(matches[0].idContestant1, matches[0].idContestant2), std::pair(ids[2], ids[0]));
  for (int i = 0; i < 3; ++i) EXPECT_EQ(matches[i].starttime, 900 + 15 * i);
}

}  // namespace
}  // namespace velgram
