#pragma once
// What the hall display shows: the matches that can be called now, the
// standings of every pool in play and the count of matches played, built from
// the match cache and the pools' own standings, and cut into pages of a given
// number of lines. The screen only draws what this hands it.
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "competition/changes.h"
#include "store/records.h"

namespace velgram {

class Database;
class MatchBook;

enum class HallShow { kBoth = 0, kMatches = 1, kStandings = 2 };

// The choices of the display's settings dialog, kept per tournament.
struct HallOptions {
  HallShow show = HallShow::kBoth;
  std::set<int> hiddenClasses;  // class ids left off the display
  int pageSeconds = 15;         // how long each page stays
  bool withClub = false;        // side names carry the club, as in the matches pane
};

inline constexpr int kHallMinPageSeconds = 3;
inline constexpr int kHallMaxPageSeconds = 600;

// Reads "HallShow%d", "HallHiddenClasses%d", "HallPageSeconds%d" and the
// matches pane's "MatchesClub%d".
HallOptions ReadHallOptions(Database& db, int idToernooi);
// Writes the display's own choices (not the club flag, which belongs to the
// matches pane).
void WriteHallOptions(Database& db, int idToernooi, const HallOptions& options);

// A match that can be played now: no result and both players known.
struct HallMatchRow {
  int idMatch = -1;
  int tafel = 0;
  int starttime = 0;
  std::string name1, name2;
  std::string klasse, pool;
  int idPool = -1;
  bool operator==(const HallMatchRow&) const = default;
};

// One line of a pool's standings. Knockout lines are the matches of the
// bracket's current round instead: name against name2, with the winner.
struct HallStandingRow {
  int place = 0;  // 1-based; equal places share a number
  std::string name, club;
  int wins = 0;        // round robin
  int points = 0;      // Swiss
  int resistance = 0;  // Swiss "Weerstand"
  bool removed = false;  // a Swiss position taken out of the draw
  std::string name2;     // knockout: the other side
  int winner = -1;       // knockout: 0 or 1 once decided
  bool bye = false;      // knockout: decided without a match
  std::string result;    // knockout: as the lists show it, games counted ("3 - 1", "1 - 0 w.o.")
  bool operator==(const HallStandingRow&) const = default;
};

struct HallBlock {
  int idPool = -1;
  int playstyle = 0;
  std::string klasse, pool;
  std::string caption;  // "Ronde %d", the knockout round's name, or empty
  std::vector<HallStandingRow> rows;
  bool operator==(const HallBlock&) const = default;
};

struct HallContent {
  std::string toernooi;
  bool showMatches = true;
  bool showStandings = true;
  std::vector<HallMatchRow> open;  // by time, table, then match id
  std::vector<HallBlock> blocks;   // class order, then pool order
  int played = 0;  // matches with a result (byes and "Niet gespeeld" left out)
  int toPlay = 0;  // matches without one
  bool operator==(const HallContent&) const = default;
};

// Reads the tournament once through a MatchBook (club flag from the options).
HallContent BuildHallContent(Database& db, int idToernooi, const HallOptions& options);
// The same from a book already filled for the tournament.
HallContent BuildHallContent(Database& db, MatchBook& book, int idToernooi, const HallOptions& options);

// The content kept up to date: built once, then each change recomputes only
// the open matches, the counts and the standings of the pools it touched, so
// that a result shows at once whatever the size of the tournament.
class HallView {
 public:
  explicit HallView(Database& db);
  // Works on a book of the caller's, filled for the tournament.
  HallView(Database& db, MatchBook& book);
  ~HallView();
  // Reads the tournament anew (the caller's book only when fillBook).
  void Build(int idToernooi, const HallOptions& options, bool fillBook = true);
  // Follows a change; one of the structure reads everything again.
  void Apply(const DataChange& change);
  // The same for a change a shared book has followed already: what its
  // Apply answered (all, or the pools whose matches were named again).
  void Follow(bool all, const std::set<int>& pools);
  const HallContent& Content() const { return content_; }

 private:
  struct Part;
  void ReadParts();
  void Compute(Part& part);

  Database& db_;
  std::unique_ptr<MatchBook> owned_;
  MatchBook* book_;
  int idToernooi_ = -1;
  HallOptions options_;
  HallContent content_;
  std::vector<Part> parts_;  // the pools shown, in class order and pool order
};

// The name of a knockout round by the number of rounds still to come after
// it: "Finale", "Halve finale", "Kwartfinale", "Achtste finale".
std::string KnockoutRoundName(int roundsAfter);

// One piece of a page: the open matches from row `first` on, or a slice of a
// standings block, placed in a column at a line. Every piece takes a title
// line and a column header line above its rows.
struct HallPiece {
  enum Kind { kMatches, kBlock } kind = kMatches;
  int block = -1;  // index into blocks
  int first = 0;
  int count = 0;
  int column = 0;  // 0 for the open matches, which span every column
  int line = 0;
  bool continued = false;  // a later slice of a block or list that did not fit
};
struct HallPage {
  std::vector<HallPiece> pieces;
};

inline constexpr int kHallPieceHead = 2;  // title and column header

// Cuts the content into pages of `lines` lines. The open matches come first
// across the full width; the standings follow below them in `columns`
// columns. A block is split only when it does not fit a whole column. Always
// at least one page.
std::vector<HallPage> PaginateHall(const HallContent& content, int lines, int columns);

}  // namespace velgram
