#include "competition/dropout.h"
#include <gtest/gtest.h>
#include "competition/matchbook.h"
#include "event_fixture.h"
#include "store/recordset.h"
#include "support/text.h"

namespace velgram {
namespace {

using testing::EventFixture;

TEST(DropoutSize, ExtraJsonAndBounds) {
  const struct {
    const char* extra;
    int dimension;
  } cases[] = {{"", 2}, {"{ \"dimension\":8 }", 8}, {"kapot", 2},
               // Stored sizes that are no bracket become the bracket that holds them.
               {"{ \"dimension\":5 }", 8}, {"{ \"dimension\":64 }", 16}, {"{ \"dimension\":-3 }", 2}};
  for (const auto& c : cases) EXPECT_EQ(LDropout(c.extra).dimension, c.dimension) << c.extra;
}

// The seeds of each size are checked through the first rounds of the cross
// links below and the later levels on activation.
TEST(DropoutShape, NoBracketOfSixAndNoLoopOfWinners) {
  EXPECT_TRUE(BracketShape(6).empty());
  // A damaged file where a decided match names its own winner as a side: the
  // side stays undecided rather than naming some other match.
  MatchEntry loop;
  std::tie(loop.id, loop.idContestant1, loop.indexWinner) = std::tuple(7, -7, 0);
  EXPECT_EQ(KnockoutSide({loop}, -7), -1);
}

TEST(DropoutCross, PoolsAreSpreadOverTheBracket) {
  // Expected first rounds worked out by hand from the seeding of each size:
  // a pool's first two in opposite halves, winners meeting in round one only
  // when there are more of them than halves of first-round matches. "B2" is
  // the runner-up of the second pool.
  const struct {
    int pools, places, dimension;
    const char* firstRound;
  } cases[] = {
      {2, 2, 4, "A1-B2 A2-B1"},
      {3, 2, 8, "A1-Bye B2-C2 C1-A2 Bye-B1"},
      {4, 2, 8, "A1-B2 C2-D1 C1-D2 A2-B1"},
      {8, 2, 16, "A1-B2 E2-H1 F1-G2 C2-D1 C1-D2 H2-E1 G1-F2 A2-B1"},
      {4, 1, 4, "A1-D1 C1-B1"},
      {2, 2, 16, "A1-Bye Bye-Bye Bye-Bye Bye-B2 A2-Bye Bye-Bye Bye-Bye Bye-B1"},
      {5, 2, 8, ""},  // does not fit
  };
  for (const auto& c : cases) {
    std::vector<CrossSeed> order = CrossOrder(c.pools, c.places, c.dimension);
    std::vector<Contestant> seeds;
    for (const CrossSeed& s : order) {
      seeds.emplace_back();
      seeds.back().name = Format("%c%d", 'A' + s.pool, s.place);
    }
    std::string got;
    if (!order.empty())
      for (const std::string& line : FirstRoundPairings(seeds, c.dimension)) {
        std::string pair = line.substr(line.find(": ") + 2);
        pair.replace(pair.find(" - "), 3, "-");
        got += (got.empty() ? "" : " ") + pair;
      }
    EXPECT_EQ(got, c.firstRound) << c.pools << "x" << c.places;
  }
}

class DropoutActivation : public EventFixture {
 protected:
  LDropout MakePool(int dimension, int players, const std::string& tables = "1-2", int start = 1000) {
    LDropout pool(Format("{ \"dimension\":%d }", dimension));
    int id = AddPool(kPlaystyleDropout, tables, start, pool.ExtraText());
    PoolRecord row;
    db->GetPool(id, row);
    pool.FillFrom(row);
    seats.clear();
    for (int i = 1; i <= players; ++i) {
      int player = AddPlayer("Speler " + std::to_string(i), i % 2 ? "TTV" : "Smash", 2000 - i);
      seats.push_back(Contestant::FromRecord({AddContestant(id, player, i), id, i, 0, kLinkPlayer, player, 0, 0}));
    }
    return pool;
  }
  std::vector<MatchEntry> Bracket(int idPool) {
    std::vector<MatchEntry> list = Entries(idPool);
    std::sort(list.begin(), list.end(), [](auto& a, auto& b) { return a.id < b.id; });
    return list;
  }
  // The sides of the matches as in the shape table: the seed, 0 for a bye,
  // -n for the winner of the n-th match.
  std::vector<int> Sides(const std::vector<MatchEntry>& bracket) {
    auto side = [&](int value) {
      for (size_t i = 0; i < seats.size(); ++i)
        if (value > 0 && seats[i].id == value) return static_cast<int>(i) + 1;
      for (size_t i = 0; i < bracket.size(); ++i)
        if (value < 0 && bracket[i].id == -value) return -static_cast<int>(i) - 1;
      return value == 0 ? 0 : 999;
    };
    std::vector<int> sides;
    for (const MatchEntry& m : bracket) sides.insert(sides.end(), {side(m.idContestant1), side(m.idContestant2)});
    return sides;
  }
  std::vector<Contestant> seats;
};

TEST_F(DropoutActivation, SixInABracketOfEightGetTwoDecidedByes) {
  LDropout pool = MakePool(8, 6, "1-2", 1000);
  ASSERT_EQ(ActivateDropout(*db, prompter, pool, seats), ActivateOutcome::kActivated);
  std::vector<MatchEntry> m = Bracket(pool.id);
  EXPECT_EQ(Sides(m), (std::vector<int>{1, 0, 6, 4, 3, 5, 0, 2, -1, -2, -3, -4, -5, -6}));
  std::vector<int> slots;  // time * 10 + table
  for (const MatchEntry& e : m) slots.push_back(e.starttime * 10 + e.tafel);
  EXPECT_EQ(slots, (std::vector<int>{10001, 10002, 10201, 10202, 11001, 11002, 11401}));
  // Byes are decided without a stored result: match 5 is seed 1 against the
  // winner of 6 v 4.
  EXPECT_EQ(std::vector<int>({m[0].indexWinner, KnockoutWinnerIndex(m, m[0]), KnockoutWinnerIndex(m, m[3]),
                              KnockoutWinnerIndex(m, m[1]), KnockoutSide(m, m[4].idContestant1),
                              KnockoutSide(m, m[4].idContestant2), KnockoutSide(m, m[5].idContestant2)}),
            std::vector<int>({-1, 0, 1, -1, seats[0].id, -1, seats[1].id}));
  // A result carries the winner forward; deleting it makes the side open again.
  db->RecordResult(m[1].id, 1, {1, 1, 1}, true);
  db->RecordResult(m[4].id, 1, {-1, -1, -1}, true);
  m = Bracket(pool.id);
  EXPECT_EQ(KnockoutSide(m, m[6].idContestant1), seats[3].id);
  db->ClearResult(m[1].id);
  m = Bracket(pool.id);
  EXPECT_EQ(std::pair(KnockoutSide(m, m[4].idContestant2), KnockoutSide(m, m[6].idContestant1)), std::pair(-1, -1));
}

TEST_F(DropoutActivation, FourAndTwoSeatsAndRefusalsThatChangeNothing) {
  LDropout four = MakePool(4, 4);
  ASSERT_EQ(ActivateDropout(*db, prompter, four, seats), ActivateOutcome::kActivated);
  EXPECT_EQ(Sides(Bracket(four.id)), (std::vector<int>{1, 4, 3, 2, -1, -2}));
  EXPECT_EQ(ActivateDropout(*db, prompter, four, {}), ActivateOutcome::kNoContestants);
  std::vector<Contestant> five = seats;
  five.push_back(seats[0]);
  EXPECT_EQ(ActivateDropout(*db, prompter, four, five), ActivateOutcome::kTooMany);
  LDropout noTables = four;
  noTables.tables.clear();
  EXPECT_EQ(ActivateDropout(*db, prompter, noTables, seats), ActivateOutcome::kNoTables);
  EXPECT_EQ(prompter.alerts, (std::vector<std::string>{"Er zijn geen spelers toegekend.", "Maximum aantal spelers is 4",
                                                       "Er zijn geen tafels voor de wedstrijden."}));
  EXPECT_EQ(Bracket(four.id).size(), 3u);  // the bracket that was there stays
  LDropout two = MakePool(2, 2);
  ASSERT_EQ(ActivateDropout(*db, prompter, two, seats), ActivateOutcome::kActivated);
  EXPECT_EQ(Sides(Bracket(two.id)), (std::vector<int>{1, 2}));
  // Activating again replaces the bracket instead of adding to it, and the
  // old match's result goes with it.
  ASSERT_TRUE(db->RecordResult(Bracket(two.id)[0].id, 0, {3, 5, 7}, true));
  ASSERT_EQ(ActivateDropout(*db, prompter, two, seats), ActivateOutcome::kActivated);
  EXPECT_EQ(Bracket(two.id).size(), 1u);
  std::string rs;
  db->Exec(&rs, "SELECT (SELECT COUNT(*) FROM ResultWinner WHERE idMatch NOT IN (SELECT id FROM Matches)) + "
                "(SELECT COUNT(*) FROM ResultGames WHERE idMatch NOT IN (SELECT id FROM Matches)) AS n");
  RecordSet r(rs);
  EXPECT_TRUE(r.First() && r.Int("n") == 0) << rs;
}

TEST_F(DropoutActivation, SizeChangesAreSavedWithinTheBounds) {
  LDropout pool = MakePool(8, 0);
  PoolRecord row;
  auto stored = [&] { return db->GetPool(pool.id, row) ? row.extra : "?"; };
  ASSERT_TRUE(ChangeBracketSize(*db, pool, true));
  EXPECT_EQ(stored(), "{ \"dimension\":16 }");
  // Doubling at 16 keeps 16 and writes nothing.
  row.extra = "";
  db->UpdatePool(row);
  EXPECT_FALSE(ChangeBracketSize(*db, pool, true));
  EXPECT_EQ(std::pair(pool.dimension, stored()), std::pair(16, std::string()));
  EXPECT_TRUE(ChangeBracketSize(*db, pool, false));
  EXPECT_EQ(stored(), "{ \"dimension\":8 }");
  LDropout two;  // halving at 2 keeps 2
  EXPECT_TRUE(!ChangeBracketSize(*db, two, false) && two.dimension == 2);
}

TEST_F(DropoutActivation, MatchBookNamesTheWinnerOfAByeMatch) {
  LDropout pool = MakePool(4, 3);
  ASSERT_EQ(ActivateDropout(*db, prompter, pool, seats), ActivateOutcome::kActivated);
  std::vector<MatchEntry> m = Bracket(pool.id);
  ASSERT_EQ(m.size(), 3u);
  MatchBook book(*db);
  book.Refill(m[0].id);
  // Match 1 is seed 1 against a bye: the final already names seed 1. Match 2
  // (seed 3 v seed 2) is open: its table and time stand in.
  EXPECT_EQ(std::tuple(book.CheckSides(*book.FindMatch(m[0].id)), book.SideName(m[2].idContestant1, pool.id),
                       book.SideName(m[2].idContestant2, pool.id).substr(0, 1)),
            std::tuple(MatchBook::Sides::kBye, "Speler 1", "?"));
  // Seed 3 did not come, or gave up: seed 2 goes on to the final either way.
  for (int decision : {kDecisionWalkover, kDecisionRetired}) {
    db->RecordResult(m[1].id, 1, {}, true, decision);
    book.Refill(m[0].id);
    EXPECT_EQ(book.SideName(m[2].idContestant2, pool.id), "Speler 2") << decision;
  }
}

}  // namespace
}  // namespace velgram
