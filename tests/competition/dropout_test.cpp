// Knockout brackets: size in the extra JSON, shapes and seeding, activation
// and the winners carried forward.
#include "competition/dropout.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "competition/matchbook.h"
#include "event_fixture.h"
#include "support/text.h"

namespace velgram {
namespace {

using testing::EventFixture;
using testing::FakePrompter;

TEST(DropoutSize, ExtraJsonAndBounds) {
  EXPECT_EQ(LDropout("").dimension, 2);
  EXPECT_EQ(LDropout("{ \"dimension\":8 }").dimension, 8);
  LDropout big("{ \"dimension\":16 }");
  EXPECT_EQ(big.ExtraText(), "{ \"dimension\":16 }");
  EXPECT_FALSE(big.Grow());
  EXPECT_EQ(big.dimension, 16);
  LDropout small;
  EXPECT_FALSE(small.Shrink());
  EXPECT_EQ(small.dimension, 2);
  EXPECT_TRUE(small.Grow());
  EXPECT_EQ(small.ExtraText(), "{ \"dimension\":4 }");
  // Stored sizes that are no bracket become the bracket that holds them.
  EXPECT_EQ(LDropout("{ \"dimension\":5 }").dimension, 8);
  EXPECT_EQ(LDropout("{ \"dimension\":64 }").dimension, 16);
  EXPECT_EQ(LDropout("{ \"dimension\":-3 }").dimension, 2);
  EXPECT_EQ(LDropout("kapot").dimension, 2);
}

TEST(DropoutShape, SeedsAndLevels) {
  std::vector<BracketMatch> eight = BracketShape(8);
  ASSERT_EQ(eight.size(), 7u);
  EXPECT_EQ(eight[1].side1, 6);
  EXPECT_EQ(eight[1].side2, 4);
  EXPECT_EQ(eight[3].side1, 7);
  EXPECT_EQ(eight[3].side2, 2);
  EXPECT_EQ(eight[4].side1, -1);
  EXPECT_EQ(eight[4].side2, -2);
  EXPECT_EQ(eight[6].side1, -5);
  EXPECT_EQ(eight[6].side2, -6);
  EXPECT_EQ(eight[6].level, 3);

  std::vector<BracketMatch> sixteen = BracketShape(16);
  ASSERT_EQ(sixteen.size(), 15u);
  const int firstLevel[16] = {1, 16, 11, 8, 6, 9, 13, 4, 3, 14, 10, 5, 7, 12, 15, 2};
  for (int k = 0; k < 8; ++k) {
    EXPECT_EQ(sixteen[k].side1, firstLevel[2 * k]);
    EXPECT_EQ(sixteen[k].side2, firstLevel[2 * k + 1]);
    EXPECT_EQ(sixteen[k].level, 1);
  }
  EXPECT_EQ(sixteen[12].side1, -9);  // match 13: W9 v W10
  EXPECT_EQ(sixteen[12].side2, -10);
  EXPECT_EQ(sixteen[14].side1, -13);
  EXPECT_EQ(sixteen[14].level, 4);
  // Seeds 1 and 2 meet only in the final: they are in different halves.
  for (int size : {4, 8, 16}) {
    std::vector<BracketMatch> shape = BracketShape(size);
    int half = size / 4;
    bool oneInFirstHalf = false, twoInSecondHalf = false;
    for (int k = 0; k < size / 2; ++k) {
      if (shape[k].side1 == 1 || shape[k].side2 == 1) oneInFirstHalf = k < half;
      if (shape[k].side1 == 2 || shape[k].side2 == 2) twoInSecondHalf = k >= half;
    }
    EXPECT_TRUE(oneInFirstHalf && twoInSecondHalf) << size;
  }
  EXPECT_EQ(BracketShape(2).size(), 1u);
  EXPECT_TRUE(BracketShape(6).empty());
}

class DropoutActivation : public ::testing::Test, public EventFixture {
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

  std::vector<Contestant> seats;
  FakePrompter prompter;
};

TEST_F(DropoutActivation, SixInABracketOfEightGetTwoDecidedByes) {
  LDropout pool = MakePool(8, 6);
  ASSERT_EQ(ActivateDropout(*db, prompter, pool, seats), ActivateOutcome::kActivated);
  std::vector<MatchEntry> m = Bracket(pool.id);
  ASSERT_EQ(m.size(), 7u);
  // Match 1: seed 1 v bye (seed 8); match 4: bye (seed 7) v seed 2.
  EXPECT_EQ(m[0].idContestant1, seats[0].id);
  EXPECT_EQ(m[0].idContestant2, 0);
  EXPECT_EQ(m[3].idContestant1, 0);
  EXPECT_EQ(m[3].idContestant2, seats[1].id);
  EXPECT_EQ(m[1].idContestant1, seats[5].id);  // 6 v 4
  EXPECT_EQ(m[1].idContestant2, seats[3].id);
  // Byes are decided without a stored result.
  EXPECT_EQ(m[0].indexWinner, -1);
  EXPECT_EQ(KnockoutWinnerIndex(m, m[0]), 0);
  EXPECT_EQ(KnockoutWinnerIndex(m, m[3]), 1);
  EXPECT_EQ(KnockoutWinnerIndex(m, m[1]), -1);
  // Match 5: seed 1 against the winner of 6 v 4.
  EXPECT_EQ(m[4].idContestant1, -m[0].id);
  EXPECT_EQ(m[4].idContestant2, -m[1].id);
  EXPECT_EQ(KnockoutSide(m, m[4].idContestant1), seats[0].id);
  EXPECT_EQ(KnockoutSide(m, m[4].idContestant2), -1);
  EXPECT_EQ(KnockoutSide(m, m[5].idContestant2), seats[1].id);

  // A result carries the winner forward; deleting it makes the side open again.
  db->RecordResult(m[1].id, 1, {1, 1, 1}, true);
  m = Bracket(pool.id);
  EXPECT_EQ(KnockoutSide(m, m[4].idContestant2), seats[3].id);
  db->RecordResult(m[4].id, 1, {-1, -1, -1}, true);
  m = Bracket(pool.id);
  EXPECT_EQ(KnockoutSide(m, m[6].idContestant1), seats[3].id);
  db->ClearResult(m[1].id);
  m = Bracket(pool.id);
  EXPECT_EQ(KnockoutSide(m, m[4].idContestant2), -1);
  // Nothing but the results entered here is stored.
  std::string rs;
  db->Exec(&rs, "SELECT COUNT(*) AS n FROM ResultWinner");
  EXPECT_NE(rs.find("n=\"1\""), std::string::npos) << rs;
}

TEST_F(DropoutActivation, WavesPerLevelOnThePoolsTables) {
  LDropout pool = MakePool(8, 8, "1-2", 1000);
  ASSERT_EQ(ActivateDropout(*db, prompter, pool, seats), ActivateOutcome::kActivated);
  std::vector<MatchEntry> m = Bracket(pool.id);
  std::vector<int> times, tables;
  for (const MatchEntry& e : m) {
    times.push_back(e.starttime);
    tables.push_back(e.tafel);
  }
  EXPECT_EQ(times, (std::vector<int>{1000, 1000, 1020, 1020, 1100, 1100, 1140}));
  EXPECT_EQ(tables, (std::vector<int>{1, 2, 1, 2, 1, 2, 1}));
}

TEST_F(DropoutActivation, FourAndTwoSeats) {
  LDropout four = MakePool(4, 4);
  ASSERT_EQ(ActivateDropout(*db, prompter, four, seats), ActivateOutcome::kActivated);
  std::vector<MatchEntry> m = Bracket(four.id);
  ASSERT_EQ(m.size(), 3u);
  EXPECT_EQ(m[1].idContestant1, seats[2].id);  // 3 v 2
  EXPECT_EQ(m[1].idContestant2, seats[1].id);
  EXPECT_EQ(m[2].idContestant1, -m[0].id);
  EXPECT_EQ(m[2].idContestant2, -m[1].id);

  LDropout two = MakePool(2, 2);
  ASSERT_EQ(ActivateDropout(*db, prompter, two, seats), ActivateOutcome::kActivated);
  m = Bracket(two.id);
  ASSERT_EQ(m.size(), 1u);
  EXPECT_EQ(m[0].idContestant1, seats[0].id);
  EXPECT_EQ(m[0].idContestant2, seats[1].id);

  // Activating again replaces the bracket instead of adding to it.
  ASSERT_EQ(ActivateDropout(*db, prompter, two, seats), ActivateOutcome::kActivated);
  EXPECT_EQ(Bracket(two.id).size(), 1u);
}

TEST_F(DropoutActivation, ByesOnBothSidesPassAByeOn) {
  // Three players in eight seats: match 2 is bye v bye, so seed 1 goes
  // through match 5 without playing.
  LDropout pool = MakePool(8, 3);
  ASSERT_EQ(ActivateDropout(*db, prompter, pool, seats), ActivateOutcome::kActivated);
  std::vector<MatchEntry> m = Bracket(pool.id);
  EXPECT_EQ(KnockoutSide(m, -m[1].id), 0);
  EXPECT_EQ(KnockoutWinnerIndex(m, m[4]), 0);
  EXPECT_EQ(KnockoutSide(m, -m[4].id), seats[0].id);
  // Match 6 (3 v bye, bye v 2) is a real one: 3 against 2.
  EXPECT_EQ(KnockoutSide(m, m[5].idContestant1), seats[2].id);
  EXPECT_EQ(KnockoutSide(m, m[5].idContestant2), seats[1].id);
  EXPECT_EQ(KnockoutWinnerIndex(m, m[5]), -1);
}

TEST_F(DropoutActivation, RefusalsChangeNothing) {
  LDropout pool = MakePool(4, 4);
  ASSERT_EQ(ActivateDropout(*db, prompter, pool, seats), ActivateOutcome::kActivated);
  EXPECT_EQ(ActivateDropout(*db, prompter, pool, {}), ActivateOutcome::kNoContestants);
  EXPECT_EQ(prompter.alerts.back(), "Er zijn geen spelers toegekend.");
  std::vector<Contestant> five = seats;
  five.push_back(seats[0]);
  EXPECT_EQ(ActivateDropout(*db, prompter, pool, five), ActivateOutcome::kTooMany);
  EXPECT_EQ(prompter.alerts.back(), "Maximum aantal spelers is 4");
  LDropout noTables = pool;
  noTables.tables.clear();
  EXPECT_EQ(ActivateDropout(*db, prompter, noTables, seats), ActivateOutcome::kNoTables);
  EXPECT_EQ(prompter.alerts.back(), "Er zijn geen tafels voor de wedstrijden.");
  EXPECT_EQ(Bracket(pool.id).size(), 3u);  // the bracket that was there stays
}

TEST_F(DropoutActivation, SizeChangesAreSavedWithinTheBounds) {
  LDropout pool = MakePool(8, 0);
  ASSERT_TRUE(ChangeBracketSize(*db, pool, true));
  PoolRecord row;
  db->GetPool(pool.id, row);
  EXPECT_EQ(row.extra, "{ \"dimension\":16 }");
  // Doubling at 16 keeps 16 and writes nothing.
  row.name = "Hernoemd";
  db->UpdatePool(row);
  EXPECT_FALSE(ChangeBracketSize(*db, pool, true));
  db->GetPool(pool.id, row);
  EXPECT_EQ(row.name, "Hernoemd");
  EXPECT_EQ(pool.dimension, 16);
  EXPECT_TRUE(ChangeBracketSize(*db, pool, false));
  db->GetPool(pool.id, row);
  EXPECT_EQ(row.extra, "{ \"dimension\":8 }");
  // Seats beyond the positions are byes in memory.
  std::vector<Contestant> seatList = SeatsWithByes({}, pool.id, 4);
  ASSERT_EQ(seatList.size(), 4u);
  EXPECT_EQ(seatList[3].id, 0);
  EXPECT_EQ(seatList[3].poolPos, 3);
  EXPECT_EQ(seatList[3].linktype, kLinkBye);
  EXPECT_EQ(seatList[3].idPool, pool.id);
}

}  // namespace
}  // namespace velgram

namespace velgram {
namespace {

TEST_F(DropoutActivation, MatchBookNamesTheWinnerOfAByeMatch) {
  LDropout pool = MakePool(4, 3);
  ASSERT_EQ(ActivateDropout(*db, prompter, pool, seats), ActivateOutcome::kActivated);
  std::vector<MatchEntry> m = Bracket(pool.id);
  ASSERT_EQ(m.size(), 3u);
  MatchBook book(*db);
  book.Refill(m[0].id);
  // Match 1 is seed 1 against a bye: the final already names seed 1.
  EXPECT_EQ(book.SideName(m[2].idContestant1, pool.id), "Speler 1");
  // Match 2 (seed 3 v seed 2) is open: its table and time stand in.
  EXPECT_EQ(book.SideName(m[2].idContestant2, pool.id).substr(0, 1), "?");
}

}  // namespace
}  // namespace velgram
