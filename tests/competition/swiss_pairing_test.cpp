// Pairing of Swiss rounds on in-memory pools: the distance B, score groups,
// byes and the absence of rematches over a whole event.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>

#include "competition/simulate.h"
#include "competition/swiss.h"
#include "support/random.h"

namespace velgram {
namespace {

Contestant Player(int id, int rating, int poolPos) {
  Contestant c;
  c.id = id;
  c.rating = rating;
  c.poolPos = poolPos;
  c.known = true;
  return c;
}

// n players with distinct ratings, strongest first.
std::vector<Contestant> Field(int n) {
  std::vector<Contestant> list;
  for (int i = 1; i <= n; ++i) list.push_back(Player(100 + i, 2000 - 10 * i, i));
  return list;
}

// Pairs as 1-based positions in the sorted card list.
std::vector<std::pair<int, int>> PairsByPosition(const LSwiss& s) {
  std::map<int, int> posOf;
  for (size_t i = 0; i < s.cards.size(); ++i) posOf[s.cards[i].contestantId] = static_cast<int>(i) + 1;
  std::vector<std::pair<int, int>> pairs;
  for (size_t i = 0; i < s.cards.size(); ++i) {
    int partner = s.cards[i].partner;
    if (partner >= 0 && posOf[partner] > static_cast<int>(i) + 1) pairs.emplace_back(static_cast<int>(i) + 1, posOf[partner]);
  }
  return pairs;
}

TEST(SwissBorder, SettingGivesDistance) {
  EXPECT_EQ(SwissBorderDistance("-40", 10), 4);
  EXPECT_EQ(SwissBorderDistance("-40", 30), 12);
  EXPECT_EQ(SwissBorderDistance("-5", 10), 5);  // 0 after truncation
  EXPECT_EQ(SwissBorderDistance("abc", 10), 5);
  EXPECT_EQ(SwissBorderDistance("", 10), 5);
  EXPECT_EQ(SwissBorderDistance("0", 10), 5);
  EXPECT_EQ(SwissBorderDistance("3", 10), 3);
  EXPECT_EQ(SwissBorderDistance(" 7x", 10), 7);
  EXPECT_EQ(SwissBorderDistance("-40", 0), 5);  // a pool without positions
  // Absurd values neither overflow nor go negative.
  EXPECT_EQ(SwissBorderDistance("99999999999999", 10), 2147483647);
  EXPECT_GT(SwissBorderDistance("-99999999999999", 1000), 0);
}

TEST(SwissPairing, FirstRoundOfTwelvePairsAtDistanceFive) {
  LSwiss s;
  s.SetData(Field(12), {}, {});
  s.border = 5;
  ASSERT_TRUE(s.PairCards());
  std::vector<std::pair<int, int>> expected = {{1, 6}, {2, 7}, {3, 8}, {4, 9}, {5, 10}, {11, 12}};
  EXPECT_EQ(PairsByPosition(s), expected);
  EXPECT_EQ(s.cards[0].contestantId, 101);
}

TEST(SwissPairing, FirstRoundOfFiveGivesTheMiddleOneTheBye) {
  LSwiss s;
  s.SetData(Field(5), {}, {});
  s.border = 5;
  ASSERT_TRUE(s.PairCards());
  std::vector<std::pair<int, int>> expected = {{1, 5}, {2, 4}};
  EXPECT_EQ(PairsByPosition(s), expected);
  EXPECT_EQ(s.cards[2].partner, kCardBye);
  // The first attempt succeeded.
  EXPECT_EQ(s.maxByesPerRound, 1);
  EXPECT_FALSE(s.allowEvenBye);
}

TEST(SwissPairing, EvenFieldWithAnUnpairablePlayerNeedsTheSecondAttempt) {
  // Four players; D (4) has met all three others. Everyone played every
  // round (the others also against players who have left the pool since).
  std::vector<Contestant> field = {Player(1, 1900, 1), Player(2, 1800, 2), Player(3, 1700, 3), Player(4, 1600, 4)};
  std::vector<MatchEntry> matches;
  std::vector<RoundEntry> rounds;
  const int schedule[3][3][2] = {{{1, 4}, {2, 901}, {3, 902}}, {{2, 4}, {1, 903}, {3, 904}}, {{3, 4}, {1, 905}, {2, 906}}};
  int idMatch = 10;
  for (int r = 0; r < 3; ++r)
    for (const auto& pair : schedule[r]) {
      MatchEntry m;
      m.id = ++idMatch;
      m.idContestant1 = pair[0];
      m.idContestant2 = pair[1];
      m.indexWinner = 0;
      matches.push_back(m);
      rounds.push_back({idMatch, r + 1, idMatch});
    }
  LSwiss s;
  s.SetData(field, matches, rounds);
  s.border = 5;
  ASSERT_TRUE(s.PairCards());
  EXPECT_TRUE(s.allowEvenBye);
  EXPECT_EQ(s.maxByesPerRound, 2);
  int byes = 0;
  for (const LCard& c : s.cards) {
    if (c.partner == kCardBye) ++byes;
    if (c.partner >= 0) {
      EXPECT_FALSE(s.HaveMet(c.contestantId, c.partner));
    }
  }
  EXPECT_EQ(byes, 2);
  auto d = std::find_if(s.cards.begin(), s.cards.end(), [](const LCard& c) { return c.contestantId == 4; });
  EXPECT_EQ(d->partner, kCardBye);
}

TEST(SwissPairing, NoPairingAtAllFailsAndLeavesCardsUnpaired) {
  // Two players who already met, both with their one bye used up twice over.
  std::vector<Contestant> field = {Player(1, 1900, 1), Player(2, 1800, 2)};
  MatchEntry m;
  m.id = 5;
  m.idContestant1 = 1;
  m.idContestant2 = 2;
  m.indexWinner = 0;
  LSwiss s;
  // Three rounds, one match each: both had two byes already.
  s.SetData(field, {m}, {{1, 1, 5}, {2, 3, 99}});
  s.border = 5;
  EXPECT_FALSE(s.PairCards());
  ASSERT_EQ(s.cards.size(), 2u);
  for (const LCard& c : s.cards) EXPECT_EQ(c.partner, kCardUnpaired);
}

// An event played in memory: pair, simulate weighted results, repeat.
class MemoryEvent {
 public:
  explicit MemoryEvent(int players) : field_(Field(players)) {}

  // Pairs the next round; false when no pairing exists.
  bool PlayRound(Random& random, LSwiss& s) {
    s.SetData(field_, matches_, rounds_);
    s.border = 5;
    if (!s.PairCards()) return false;
    int round = s.maxRound + 1;
    std::set<int> done;
    for (const LCard& c : s.cards) {
      if (c.partner < 0 || done.count(c.contestantId)) continue;
      done.insert(c.contestantId);
      done.insert(c.partner);
      MatchEntry m;
      m.id = ++nextMatch_;
      m.idContestant1 = c.contestantId;
      m.idContestant2 = c.partner;
      m.indexWinner = SimulatedWinner(SimMode::kWeighted, Rating(c.contestantId), Rating(c.partner), random);
      matches_.push_back(m);
      rounds_.push_back({m.id, round, m.id});
    }
    return true;
  }

  int Rating(int id) const {
    for (const Contestant& c : field_)
      if (c.id == id) return c.rating;
    return 0;
  }

  std::vector<Contestant> field_;
  std::vector<MatchEntry> matches_;
  std::vector<RoundEntry> rounds_;
  int nextMatch_ = 0;
};

TEST(SwissPairing, ByesGoToTheBottomWithinTheLimitsThatSucceeded) {
  StdRandom random(7);
  MemoryEvent event(13);
  std::map<int, int> byesOf;
  for (int round = 1; round <= 8; ++round) {
    LSwiss s;
    ASSERT_TRUE(event.PlayRound(random, s)) << "round " << round;
    int byes = 0;
    int lowest = s.cards.back().points;
    for (const LCard& c : s.cards) {
      if (c.partner != kCardBye) continue;
      ++byes;
      EXPECT_LT(c.byes, s.maxByesPerPlayer) << "round " << round;
      // The bye goes to a card of the last score group (possibly widened by
      // the cards it could not pair upwards), never above it.
      EXPECT_LE(c.points, lowest + 1) << "round " << round;
      ++byesOf[c.contestantId];
    }
    EXPECT_GE(byes, 1);
    EXPECT_LE(byes, s.maxByesPerRound);
    if (s.cards.size() % 2 == 0) {
      EXPECT_TRUE(s.allowEvenBye);
    }
  }
  // Thirteen players over eight rounds: eight different players had a bye.
  EXPECT_EQ(byesOf.size(), 8u);
}

}  // namespace
}  // namespace velgram
