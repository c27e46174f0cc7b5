#include "competition/tables.h"

#include <gtest/gtest.h>

#include <chrono>

#include "engine_fixture.h"

namespace velgram {
namespace {

using V = std::vector<int>;

TEST(TableList, ParsesRangesAndFormatsThemBack) {
  EXPECT_EQ(ParseTables("1-4,6"), (V{1, 2, 3, 4, 6}));
  EXPECT_EQ(FormatTables(ParseTables("1-4,6")), "1-4,6");
  EXPECT_EQ(ParseTables("6,1-3,2"), (V{1, 2, 3, 6}));
  EXPECT_EQ(FormatTables(ParseTables("6,1-3,2")), "1-3,6");
  EXPECT_EQ(FormatTables({1, 3, 4}), "1,3-4");
  EXPECT_EQ(FormatTables({5}), "5");
  EXPECT_EQ(FormatTables({1, 2, 4, 5, 7, 9, 10, 11}), "1-2,4-5,7,9-11");
  EXPECT_EQ(FormatTables({}), "");
  for (const char* text : {"1-2,4-5,7,9-11", "3", "2-9999", "1,3,5,7"}) EXPECT_EQ(FormatTables(ParseTables(text)), text);
}

TEST(TableList, MalformedTextYieldsWhatCanBeRead) {
  EXPECT_EQ(ParseTables("4-2"), V{});
  EXPECT_EQ(ParseTables(""), V{});
  EXPECT_EQ(ParseTables("1,,2"), (V{1, 2}));
  EXPECT_EQ(ParseTables("1,2,"), (V{1, 2}));
  EXPECT_EQ(ParseTables(" 3 - 5 "), (V{3, 4, 5}));
  EXPECT_EQ(ParseTables("7abc,x"), V{7});  // "x" reads as 0, which is no table
  EXPECT_EQ(ParseTables("2-2"), V{2});
  EXPECT_EQ(ParseTables("-2"), V{});  // a negative number is no table
  EXPECT_EQ(ParseTables("0-3"), (V{1, 2, 3}));
}

TEST(TableList, HugeOrNegativeRangesStayBounded) {
  auto begin = std::chrono::steady_clock::now();
  V big = ParseTables("1-2000000000");
  ASSERT_EQ(big.size(), static_cast<size_t>(kMaxTableNumber));
  EXPECT_EQ(big.back(), kMaxTableNumber);
  EXPECT_EQ(ParseTables("-5--1"), V{});
  EXPECT_EQ(ParseTables("99999999999999999999"), V{});
  EXPECT_EQ(ParseTables("-2000000000-3"), V{});  // its first '-' starts the number
  EXPECT_EQ(ParseTables("9998-99999999999999"), (V{9998, 9999}));
  std::string many;
  for (int i = 0; i < 200; ++i) many += "1-2000000000,";
  EXPECT_EQ(ParseTables(many).size(), static_cast<size_t>(kMaxTableNumber));
  EXPECT_LT(std::chrono::steady_clock::now() - begin, std::chrono::seconds(2));
}

TEST(Times, CarryIntoHoursWithoutWrapping) {
  EXPECT_EQ(AddMinutes(950, 15), 1005);
  EXPECT_EQ(AddMinutes(2350, 15), 2405);
  EXPECT_EQ(AddMinutes(900, 135), 1115);
  EXPECT_EQ(FormatTime(930), "9:30");
  EXPECT_EQ(FormatTime(1405), "14:05");
}

TEST(Waves, RoundRobinSixOnTwoTablesFromTenToTen) {
  auto w = RoundRobinWaves({1, 2}, 950, 6, 15);
  ASSERT_EQ(w.size(), 15u);
  int expectTimes[] = {950, 950, 1005, 1005, 1020, 1020};
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(w[i].starttime, expectTimes[i]) << i;
    EXPECT_EQ(w[i].tafel, i % 2 + 1) << i;
  }
  EXPECT_EQ(w[14].starttime, 1135);  // the eighth wave
  EXPECT_EQ(w[14].tafel, 1);
}

TEST(Waves, RoundRobinWaveIsNeverWiderThanHalfThePool) {
  auto four = RoundRobinWaves({3, 4, 5, 6, 7}, 900, 4, 6);
  for (size_t i = 0; i < four.size(); ++i) {
    EXPECT_EQ(four[i].tafel, i % 2 ? 4 : 3);
    EXPECT_EQ(four[i].starttime, AddMinutes(900, 15 * static_cast<int>(i / 2)));
  }
  auto five = RoundRobinWaves({1, 2, 3, 4}, 900, 5, 10);
  EXPECT_EQ(five[2].starttime, 915);
  EXPECT_EQ(five[2].tafel, 1);
  auto single = RoundRobinWaves({8}, 900, 6, 3);
  EXPECT_EQ(single[0].starttime, 900);
  EXPECT_EQ(single[1].starttime, 915);
  EXPECT_EQ(single[2].starttime, 930);
  EXPECT_EQ(single[2].tafel, 8);
}

TEST(Waves, KnockoutLevelChangeAndTablesRunningOut) {
  auto w = KnockoutWaves({1, 2}, 1000, {1, 1, 1, 1, 2});
  int times[] = {1000, 1000, 1020, 1020, 1100};
  int tables[] = {1, 2, 1, 2, 1};
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(w[i].starttime, times[i]) << i;
    EXPECT_EQ(w[i].tafel, tables[i]) << i;
  }
  auto mid = KnockoutWaves({1, 2, 3}, 1000, {1, 1, 2});
  EXPECT_EQ(mid[2].starttime, 1020);
  EXPECT_EQ(mid[2].tafel, 1);
}

Booking B(int t, int s, int e, const char* cls, const char* pool) { return {t, s, e, cls, pool}; }

TEST(TablesChart, PoolWithoutMatchesBooksItsTablesAsOneBlock) {
  TablesChart chart = BuildTablesChart({B(1, 900, 1200, "A", "Poule 1"), B(2, 900, 1200, "A", "Poule 1")});
  EXPECT_EQ(chart.tables, (V{1, 2}));
  ASSERT_EQ(chart.rows.size(), 1u);
  EXPECT_EQ(chart.rows[0].slot, "9:00 - 12:00");
  for (const ChartCell& c : chart.rows[0].cells) {
    EXPECT_EQ(c.colour, CellColour::kBusy);
    EXPECT_EQ(c.tooltip, "A / Poule 1");
  }
  // Another pool starting inside the block splits it into slots.
  chart = BuildTablesChart({B(1, 900, 1200, "A", "Poule 1"), B(2, 900, 1200, "A", "Poule 1"),
                            B(3, 1000, 1015, "B", "Poule 2")});
  ASSERT_EQ(chart.rows.size(), 3u);
  EXPECT_EQ(chart.rows[0].slot, "9:00 - 10:00");
  EXPECT_EQ(chart.rows[1].slot, "10:00 - 10:15");
  EXPECT_EQ(chart.rows[2].slot, "10:15 - 12:00");
  EXPECT_EQ(chart.rows[0].cells[2].colour, CellColour::kNone);
  EXPECT_EQ(chart.rows[1].cells[2].colour, CellColour::kBusy);
  EXPECT_EQ(chart.rows[1].cells[0].colour, CellColour::kBusy);
}

TEST(TablesChart, OverlappingPoolsOnOneTableShowRed) {
  TablesChart chart = BuildTablesChart({B(3, 900, 1000, "A", "P1"), B(3, 930, 1030, "B", "P2")});
  ASSERT_EQ(chart.rows.size(), 3u);
  EXPECT_EQ(chart.rows[0].slot, "9:00 - 9:30");
  EXPECT_EQ(chart.rows[0].cells[0].colour, CellColour::kBusy);
  EXPECT_EQ(chart.rows[1].slot, "9:30 - 10:00");
  EXPECT_EQ(chart.rows[1].cells[0].colour, CellColour::kDouble);
  EXPECT_EQ(chart.rows[1].cells[0].tooltip, "A / P1\r\nB / P2");
  EXPECT_EQ(chart.rows[2].cells[0].colour, CellColour::kBusy);
  EXPECT_EQ(chart.rows[2].cells[0].tooltip, "B / P2");
}

TEST(TablesChart, ConsecutiveMatchesOfAPoolMergeIntoOneBlock) {
  TablesChart chart =
      BuildTablesChart({B(1, 915, 930, "A", "P"), B(1, 900, 915, "A", "P"), B(1, 930, 945, "A", "Q")});
  ASSERT_EQ(chart.rows.size(), 2u);
  EXPECT_EQ(chart.rows[0].slot, "9:00 - 9:30");
  EXPECT_EQ(chart.rows[1].slot, "9:30 - 9:45");
  EXPECT_EQ(chart.rows[1].cells[0].tooltip, "A / Q");
}

TEST(TablesChart, EndsForLateAndBackwardBookings) {
  TablesChart chart = BuildTablesChart({B(1, 2350, 2405, "A", "Laat"), B(2, 1200, 900, "A", "Achteruit"),
                                        B(4, 2400, 2500, "A", "Morgen"), B(1, 2300, 2315, "A", "P")});
  ASSERT_EQ(chart.rows.size(), 2u);
  EXPECT_EQ(chart.rows[0].slot, "23:00 - 23:15");
  EXPECT_EQ(chart.rows[1].slot, "23:50 - 24:00");
  EXPECT_TRUE(BuildTablesChart({B(1, 1200, 900, "A", "P")}).rows.empty());
  EXPECT_TRUE(BuildTablesChart({}).tables.empty());
}

using TablesDb = testing::EngineTest;

TEST_F(TablesDb, ChangingOneMatchNeedsATableNumber) {
  int pool = AddPool(AddClass("A"), "P");
  auto pos = AddPlayers(pool, {AddPlayer("Jan", "X", 1), AddPlayer("Piet", "Y", 2)});
  int match = db.AddMatch(pool, pos[0], pos[1], 2, 900);
  for (const char* bad : {"", "0", "-3", "abc", "3a", "99999"}) {
    EXPECT_FALSE(ChangeTableTime(db, prompter, match, bad, 10, 15)) << bad;
    EXPECT_EQ(prompter.alerts.back(), "Vul de tafel in");
  }
  MatchRecord m;
  ASSERT_TRUE(db.GetMatch(m, match));
  EXPECT_EQ(m.tafel, 2);
  EXPECT_EQ(m.starttime, 900);
  EXPECT_TRUE(ChangeTableTime(db, prompter, match, " 7 ", 10, 15));
  ASSERT_TRUE(db.GetMatch(m, match));
  EXPECT_EQ(m.tafel, 7);
  EXPECT_EQ(m.starttime, 1015);
  EXPECT_EQ(m.idContestant1, pos[0]);
  EXPECT_EQ(m.idContestant2, pos[1]);
  EXPECT_EQ(m.idPool, pool);
  EXPECT_FALSE(ChangeTableTime(db, prompter, match + 100, "3", 10, 15));
}

TEST_F(TablesDb, BookingsOfPoolsWithAndWithoutMatches) {
  int cls = AddClass("Dames");
  int waiting = AddPool(cls, "Wacht", "1-2", 900);
  (void)waiting;
  int running = AddPool(cls, "Loopt", "3", 930);
  auto pos = AddPlayers(running, {AddPlayer("Jan", "X", 1), AddPlayer("Piet", "Y", 2)});
  db.AddMatch(running, pos[0], pos[1], 3, 930);
  db.AddMatch(running, pos[0], kNotPlayed, 0, 0);
  std::vector<Booking> bookings = CollectBookings(db, toernooi);
  ASSERT_EQ(bookings.size(), 3u);
  EXPECT_EQ(bookings[0].tafel, 1);
  EXPECT_EQ(bookings[0].start, 900);
  EXPECT_EQ(bookings[0].end, 1600);
  EXPECT_EQ(bookings[1].tafel, 2);
  EXPECT_EQ(bookings[2].tafel, 3);
  EXPECT_EQ(bookings[2].start, 930);
  EXPECT_EQ(bookings[2].end, 945);
  EXPECT_EQ(bookings[2].className, "Dames");
  EXPECT_EQ(bookings[2].poolName, "Loopt");
  TablesChart chart = BuildTablesChart(bookings);
  EXPECT_EQ(chart.tables, (V{1, 2, 3}));
  ASSERT_EQ(chart.rows.size(), 3u);
  EXPECT_EQ(chart.rows[1].slot, "9:30 - 9:45");
  EXPECT_EQ(chart.rows[1].cells[2].tooltip, "Dames / Loopt");
}

}  // namespace
}  // namespace velgram
