#include <gtest/gtest.h>
#include "competition/simulate.h"
#include "competition/swiss.h"
#include "support/random.h"

namespace velgram {
namespace {

using Pairs = std::vector<std::pair<int, int>>;

// n players with distinct ratings, strongest first.
std::vector<Contestant> Field(int n) {
  std::vector<Contestant> list(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) std::tie(list[i].id, list[i].rating, list[i].poolPos) = std::tuple(101 + i, 1990 - 10 * i, i + 1);
  return list;
}

MatchEntry Played(int id, int a, int b) {
  MatchEntry m;
  std::tie(m.id, m.idContestant1, m.idContestant2, m.indexWinner) = std::tuple(id, a, b, 0);
  return m;
}

// Pairs as 1-based positions in the sorted card list.
Pairs PairsByPosition(const LSwiss& s) {
  std::map<int, int> posOf;
  for (size_t i = 0; i < s.cards.size(); ++i) posOf[s.cards[i].contestantId] = static_cast<int>(i) + 1;
  Pairs pairs;
  for (size_t i = 0; i < s.cards.size(); ++i)
    if (s.cards[i].partner >= 0 && posOf[s.cards[i].partner] > static_cast<int>(i) + 1)
      pairs.emplace_back(static_cast<int>(i) + 1, posOf[s.cards[i].partner]);
  return pairs;
}

TEST(SwissBorder, SettingGivesDistance) {
  const struct {
    const char* setting;
    int positions;
    int border;
  } cases[] = {{"-40", 10, 4}, {"-40", 30, 12}, {"-5", 10, 5},  {"abc", 10, 5}, {"", 10, 5},
               {"0", 10, 5},   {"3", 10, 3},    {" 7x", 10, 7}, {"-40", 0, 5},  {"99999999999999", 10, 2147483647}};
  for (const auto& c : cases) EXPECT_EQ(SwissBorderDistance(c.setting, c.positions), c.border) << c.setting;
  EXPECT_GT(SwissBorderDistance("-99999999999999", 1000), 0);
}

TEST(SwissPairing, FirstRoundPairsAtDistanceFive) {
  const struct {
    int players;
    Pairs pairs;
    int byeAt;  // 1-based position, 0 for none
  } cases[] = {{12, {{1, 6}, {2, 7}, {3, 8}, {4, 9}, {5, 10}, {11, 12}}, 0}, {5, {{1, 5}, {2, 4}}, 3}};
  for (const auto& c : cases) {
    LSwiss s;
    s.SetData(Field(c.players), {}, {});
    ASSERT_TRUE(s.PairCards());
    EXPECT_EQ(PairsByPosition(s), c.pairs) << c.players;
    for (int i = 0; i < c.players; ++i) EXPECT_EQ(s.cards[i].partner == kCardBye, i + 1 == c.byeAt);
    EXPECT_EQ(s.maxByesPerRound, 1);  // the first attempt succeeded
  }
}

TEST(SwissPairing, EvenFieldWithAnUnpairablePlayerNeedsTheSecondAttempt) {
  // Four players, everyone played every round; the fourth has met all others
  // (the others also met players who have left the pool since).
  const int schedule[3][3][2] = {{{1, 4}, {2, 901}, {3, 902}}, {{2, 4}, {1, 903}, {3, 904}}, {{3, 4}, {1, 905}, {2, 906}}};
  std::vector<MatchEntry> matches;
  std::vector<RoundEntry> rounds;
  for (int r = 0; r < 3; ++r)
    for (const auto& pair : schedule[r]) {
      matches.push_back(Played(static_cast<int>(matches.size()) + 1, pair[0], pair[1]));
      rounds.push_back({matches.back().id, r + 1, matches.back().id});
    }
  std::vector<Contestant> field = Field(4);
  for (int i = 0; i < 4; ++i) field[i].id = i + 1;
  LSwiss s;
  s.SetData(field, matches, rounds);
  ASSERT_TRUE(s.PairCards());
  EXPECT_TRUE(s.allowEvenBye && s.maxByesPerRound == 2);
  // The fourth and one other player sit out; the other two play.
  EXPECT_EQ(std::count_if(s.cards.begin(), s.cards.end(), [](const LCard& c) { return c.partner == kCardBye; }), 2);
  EXPECT_EQ(std::find_if(s.cards.begin(), s.cards.end(), [](const LCard& c) { return c.contestantId == 4; })->partner,
            kCardBye);
  // Two players who met before, with their byes used up: no pairing at all.
  s.SetData(Field(2), {Played(5, 101, 102)}, {{1, 1, 5}, {2, 3, 99}});
  EXPECT_FALSE(s.PairCards());
  for (const LCard& c : s.cards) EXPECT_EQ(c.partner, kCardUnpaired);
}

TEST(SwissPairing, WholeEventsHaveNoRematchesAndByesOnlyAtTheBottom) {
  // Pair, simulate weighted results, repeat; check every round.
  for (auto [players, roundsToPlay] : {std::pair{13, 8}, std::pair{30, 9}}) {
    StdRandom random(7);
    const std::vector<Contestant> field = Field(players);
    std::vector<MatchEntry> matches;
    std::vector<RoundEntry> rounds;
    std::set<std::pair<int, int>> played;
    std::set<int> hadBye;
    for (int round = 1; round <= roundsToPlay; ++round) {
      LSwiss s;
      s.SetData(field, matches, rounds);
      ASSERT_TRUE(s.PairCards()) << players << " round " << round;
      int byes = 0;
      for (const LCard& c : s.cards) {
        if (c.partner == kCardBye) {
          ++byes;
          EXPECT_LT(c.byes, s.maxByesPerPlayer);
          // The last score group, possibly widened by the cards it could not
          // pair upwards; never above it.
          EXPECT_LE(c.points, s.cards.back().points + 1);
          hadBye.insert(c.contestantId);
        }
        if (c.partner < c.contestantId) continue;  // each pair once
        ASSERT_TRUE(played.insert({c.contestantId, c.partner}).second) << "rematch in round " << round;
        MatchEntry m = Played(static_cast<int>(matches.size()) + 1, c.contestantId, c.partner);
        m.indexWinner = SimulatedWinner(SimMode::kWeighted, field[c.contestantId - 101].rating,
                                        field[c.partner - 101].rating, random);
        matches.push_back(m);
        rounds.push_back({m.id, round, m.id});
      }
      EXPECT_EQ(byes > 0, players % 2 == 1 || s.allowEvenBye);
      EXPECT_LE(byes, s.maxByesPerRound);
    }
    EXPECT_EQ(played.size(), static_cast<size_t>(roundsToPlay * (players / 2)));
    // Thirteen players: a different one has the bye every round.
    EXPECT_EQ(hadBye.size(), players == 13 ? 8u : 0u);
  }
}

}  // namespace
}  // namespace velgram
