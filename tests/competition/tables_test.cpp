#include "competition/tables.h"
#include <gtest/gtest.h>
#include "engine_fixture.h"
#include "support/text.h"

namespace velgram {
namespace {

using V = std::vector<int>;

TEST(TableList, ParsesRangesAndFormatsThemBack) {
  for (auto [text, list, formatted] :
       {std::tuple<const char*, V, const char*>{"1-4,6", {1, 2, 3, 4, 6}, "1-4,6"}, {"6,1-3,2", {1, 2, 3, 6}, "1-3,6"},
        {"1,3-4", {1, 3, 4}, "1,3-4"}, {"", {}, ""}, {"4-2", {}, ""}, {"1,,2", {1, 2}, "1-2"}, {"1,2,", {1, 2}, "1-2"},
        {" 3 - 5 ", {3, 4, 5}, "3-5"},
        {"7abc,x", {7}, "7"},  // "x" reads as 0, which is no table
        {"2-2", {2}, "2"}, {"-2", {}, ""}, {"0-3", {1, 2, 3}, "1-3"}, {"+3", {3}, "3"},
        // The first '-' starts a number; numbers beyond the last table stop there.
        {"-5--1", {}, ""}, {"99999999999999999999", {}, ""}, {"-2000000000-3", {}, ""},
        {"9998-99999999999999", {9998, 9999}, "9998-9999"}}) {
    EXPECT_EQ(ParseTables(text), list) << text;
    EXPECT_EQ(FormatTables(list), formatted) << text;
  }
}

void ExpectWaves(const std::vector<TableTime>& got, const V& times, const V& tables) {
  ASSERT_GE(got.size(), times.size());
  for (size_t i = 0; i < times.size(); ++i) EXPECT_EQ(std::pair(got[i].starttime, got[i].tafel), std::pair(times[i], tables[i])) << i;
}

TEST(TimeOfDay, TypedTimesReadAsTheyAreMeant) {
  for (auto [text, hhmm] : {std::pair<const char*, int>{"930", 930}, {"9:30", 930}, {"09:30", 930}, {"0930", 930},
                            {"9.30", 930}, {" 16:00 ", 1600}, {"9", 900}, {"0:00", 0}, {"2359", 2359}}) {
    int got = -1;
    EXPECT_EQ(std::pair(ParseTimeOfDay(text, got), got), std::pair(true, hhmm)) << text;
  }
  for (const char* bad : {"", "9:3", "9:300", "24:00", "960", "12345", "9u30", "-930", ":30", "9:", "ab"}) {
    int got = 1234;
    EXPECT_EQ(std::pair(ParseTimeOfDay(bad, got), got), std::pair(false, 1234)) << bad;
  }
}

TEST(Waves, RoundRobinAndKnockoutExamples) {
  // Six on two tables from 9:50: waves of two, 15 minutes apart, past the hour.
  ExpectWaves(RoundRobinWaves({1, 2}, 950, 6, 15), {950, 950, 1005, 1005, 1020, 1020}, {1, 2, 1, 2, 1, 2});
  // Four on five tables and five on four: never wider than half the pool.
  ExpectWaves(RoundRobinWaves({3, 4, 5, 6, 7}, 900, 4, 6), {900, 900, 915, 915, 930, 930}, {3, 4, 3, 4, 3, 4});
  ExpectWaves(RoundRobinWaves({1, 2, 3, 4}, 900, 5, 10), {900, 900, 915}, {1, 2, 1});
  ExpectWaves(RoundRobinWaves({8}, 2330, 6, 3), {2330, 2345, 2400}, {8, 8, 8});  // no wrap at midnight
  ExpectWaves(RoundRobinWaves({}, 900, 4, 2), {900, 915}, {0, 0});  // no tables: no table, a wave each
  // Knockout: the tables run out at the end of a level and the level changes.
  ExpectWaves(KnockoutWaves({1, 2}, 1000, {1, 1, 1, 1, 2}), {1000, 1000, 1020, 1020, 1100}, {1, 2, 1, 2, 1});
  ExpectWaves(KnockoutWaves({1, 2, 3}, 1000, {1, 1, 2}), {1000, 1000, 1020}, {1, 2, 1});
}

Booking B(int t, int s, int e, const char* cls, const char* pool) { return {t, s, e, cls, pool}; }

std::vector<std::string> Slots(const TablesChart& chart) {
  std::vector<std::string> slots;
  for (const ChartRow& r : chart.rows) slots.push_back(r.slot);
  return slots;
}

TEST(TablesChart, OverlapsShowRedAndAPoolsMatchesMerge) {
  TablesChart chart = BuildTablesChart({B(3, 900, 1000, "A", "P1"), B(3, 930, 1030, "B", "P2")});
  std::vector<std::tuple<std::string, CellColour, std::string>> rows;
  for (const ChartRow& r : chart.rows) rows.emplace_back(r.slot, r.cells.at(0).colour, r.cells.at(0).tooltip);
  EXPECT_EQ(rows, (decltype(rows){{"9:00 - 9:30", CellColour::kBusy, "A / P1"},
                                  {"9:30 - 10:00", CellColour::kDouble, "A / P1\r\nB / P2"},
                                  {"10:00 - 10:30", CellColour::kBusy, "B / P2"}}));
  // The last two bookings of the table merge as well; a neighbour of another pool never does.
  chart = BuildTablesChart({B(1, 915, 930, "A", "P"), B(1, 900, 915, "A", "P"), B(1, 845, 900, "A", "Q")});
  ASSERT_EQ(Slots(chart), (std::vector<std::string>{"8:45 - 9:00", "9:00 - 9:30"}));
  EXPECT_EQ(chart.rows[0].cells[0].tooltip, "A / Q");
}

TEST(TablesChart, EndsForLateAndBackwardBookings) {
  TablesChart chart = BuildTablesChart({B(1, 2350, 2405, "A", "Laat"), B(2, 1200, 900, "A", "Achteruit"),
                                        B(4, 2400, 2500, "A", "Morgen"), B(1, 2300, 2315, "A", "P")});
  EXPECT_EQ(Slots(chart), (std::vector<std::string>{"23:00 - 23:15", "23:50 - 24:00"}));
  EXPECT_TRUE(BuildTablesChart({B(1, 900, 900, "A", "P")}).rows.empty() && BuildTablesChart({}).tables.empty());
}

using TablesDb = testing::EngineTest;

TEST_F(TablesDb, ChangingOneMatchNeedsATableNumber) {
  int pool = AddPool(AddClass("A"), "P");
  auto pos = AddPlayers(pool, {AddPlayer("Jan", "X", 1), AddPlayer("Piet", "Y", 2)});
  int match = db.AddMatch(pool, pos[0], pos[1], 2, 900);
  auto stored = [&] {
    MatchRecord m;
    EXPECT_TRUE(db.GetMatch(m, match));
    return V{m.idPool, m.idContestant1, m.idContestant2, m.tafel, m.starttime};
  };
  for (const char* bad : {"", "0", "-3", "abc", "3a", "99999"})
    EXPECT_TRUE(!ChangeTableTime(db, prompter, match, bad, 10, 15) && prompter.alerts.back() == "Vul de tafel in") << bad;
  EXPECT_EQ(stored(), (V{pool, pos[0], pos[1], 2, 900}));
  EXPECT_TRUE(ChangeTableTime(db, prompter, match, " 7 ", 10, 15));
  EXPECT_EQ(stored(), (V{pool, pos[0], pos[1], 7, 1015}));
  EXPECT_TRUE(!ChangeTableTime(db, prompter, match + 100, "3", 10, 15) && prompter.alerts.back() == kMatchGoneMessage);
  // A chart cell's matches: those on its table overlapping its slot.
  int other = db.AddMatch(pool, pos[1], pos[0], 7, 1025);
  auto ids = [&](int tafel, int start, int end) {
    std::vector<int> r;
    for (const MatchRecord& m : MatchesInSlot(db, toernooi, tafel, start, end)) r.push_back(m.id);
    return r;
  };
  EXPECT_EQ((std::vector<V>{ids(7, 1015, 1030), ids(7, 1030, 1045), ids(7, 1040, 1100), ids(2, 1015, 1030)}),
            (std::vector<V>{{match, other}, {other}, {}, {}}));
}

// A pool without matches books its tables from start to end; a pool with
// matches books each match but those against NotPlayed.
TEST_F(TablesDb, BookingsOfPoolsWithAndWithoutMatches) {
  int cls = AddClass("Dames");
  AddPool(cls, "Wacht", "1-2", 900);
  int running = AddPool(cls, "Loopt", "3", 930);
  auto pos = AddPlayers(running, {AddPlayer("Jan", "X", 1), AddPlayer("Piet", "Y", 2)});
  db.AddMatch(running, pos[0], pos[1], 3, 930);
  db.AddMatch(running, pos[0], kNotPlayed, 0, 0);
  std::vector<std::string> shown;
  for (const Booking& b : CollectBookings(db, toernooi))
    shown.push_back(Format("%d %d-%d ", b.tafel, b.start, b.end) + b.className + " / " + b.poolName);
  EXPECT_EQ(shown, (std::vector<std::string>{"1 900-1600 Dames / Wacht", "2 900-1600 Dames / Wacht",
                                             "3 930-945 Dames / Loopt"}));
}

}  // namespace
}  // namespace velgram
