#pragma once
// Tables and times: the text form of a pool's table list, the waves in which
// matches are given a table and a start time, moving one match, and the
// tables overview chart.
#include <string>
#include <vector>

#include "store/records.h"

namespace velgram {

class Database;
class Prompter;

// Table numbers run from 1 to this. A pool's table list never holds more, so a
// typed range such as "1-2000000000" costs at most this many entries.
inline constexpr int kMaxTableNumber = 9999;

// Minutes a round-robin or Swiss match occupies its table; knockout waves are
// further apart.
inline constexpr int kMatchMinutes = 15;
inline constexpr int kKnockoutWaveMinutes = 20;
// End of the day in the overview.
inline constexpr int kEndOfDay = 2400;

// "1-4,6" -> {1,2,3,4,6}: sorted, without duplicates. Lenient: malformed text
// yields whatever numbers can be read from it; numbers outside
// 1..kMaxTableNumber are left out and ranges are cut to that bound.
std::vector<int> ParseTables(const std::string& text);
// {1,2,3,4,6} -> "1-4,6". Expects a sorted list.
std::string FormatTables(const std::vector<int>& tables);

// Times of day are hours*100 + minutes. Adding carries into the hours and
// does not wrap at midnight (2350 + 15 = 2405).
int AddMinutes(int hhmm, int minutes);
std::string FormatTime(int hhmm);  // "9:30"
// A time as a director types it: "9:30", "09:30", "9.30", "930", "0930" or
// just the hour ("9"). False for anything else, hours above 23 or minutes
// above 59 included.
bool ParseTimeOfDay(const std::string& text, int& hhmm);

struct TableTime {
  int tafel = 0;
  int starttime = 0;
};

// The round-robin and Swiss wave rule: waves of min(tables, players/2)
// matches, kMatchMinutes apart, starting at start. One entry per match.
std::vector<TableTime> RoundRobinWaves(const std::vector<int>& tables, int start, int nrPlayers, int nrMatches);
// The knockout wave rule: levels[i] is the bracket level of match i, in the
// bracket's order.
std::vector<TableTime> KnockoutWaves(const std::vector<int>& tables, int start, const std::vector<int>& levels);

// The table/time dialog's OK: "Vul de tafel in" through the prompter (and
// false) when the table text is not a number above 0; otherwise writes the
// match's table and start time, everything else unchanged, and returns true.
// False also when the match does not exist.
bool ChangeTableTime(Database& db, Prompter& prompter, int idMatch, const std::string& tableText, int hour,
                     int minute);

// --- tables overview ("Tafels") ---------------------------------------------

// The matches of a tournament on table tafel that overlap [start, end): what
// a chart cell stands for, so that one of them can be moved from there.
std::vector<MatchRecord> MatchesInSlot(Database& db, int idToernooi, int tafel, int start, int end);

struct Booking {
  int tafel = 0;
  int start = 0;  // hhmm
  int end = 0;    // hhmm
  std::string className;
  std::string poolName;
};

enum class CellColour { kNone, kBusy, kDouble };  // empty, green RGB(0,160,0), red RGB(160,0,0)

struct ChartCell {
  CellColour colour = CellColour::kNone;
  std::string tooltip;  // "<class> / <pool>" per booking, joined by "\r\n"
};

struct ChartRow {
  std::string slot;  // "9:30 - 9:45"
  int start = 0, end = 0;
  std::vector<ChartCell> cells;  // one per table column
};

// Column 0 of the grid is "Tijdvak"; then one column per table number.
struct TablesChart {
  std::vector<int> tables;
  std::vector<ChartRow> rows;
};

// Bookings of every pool of a tournament: a pool without matches books its
// tables from its start to its end time, a pool with matches books each
// match (without NotPlayed sides) for kMatchMinutes.
std::vector<Booking> CollectBookings(Database& db, int idToernooi);
// The chart of the bookings. Bookings are cut at kEndOfDay; a booking that
// ends before it starts is left out (it has no time on the chart).
TablesChart BuildTablesChart(std::vector<Booking> bookings);

}  // namespace velgram
