#pragma once
// The knockout pool: a single-elimination bracket of 2, 4, 8 or 16 seats.
// Activation writes every match at once; later matches name the earlier
// matches whose winners meet in them (side -m), so a result needs no further
// writes.
#include <string>
#include <vector>

#include "competition/pool.h"

namespace velgram {

class Database;
class Prompter;

inline constexpr int kMinBracketSize = 2;
inline constexpr int kMaxBracketSize = 16;

class LDropout : public LPool {
 public:
  // Takes "dimension" from the extra JSON; an empty text gives size 2.
  explicit LDropout(const std::string& extra = "");
  int Playstyle() const override { return kPlaystyleDropout; }
  std::string ExtraText() const override;
  int PaneResource() const override { return 175; }
  // A knockout pool has no places: links to it stay unresolved.
  void Standings(const std::vector<Contestant>& contestants, const std::vector<MatchEntry>& matches) override;

  // Double or halve the size within 2..16; false (and no change) at a bound.
  bool Grow();
  bool Shrink();

  int dimension = 2;
};

// A size read from stored text made valid: the smallest bracket size that
// holds it, 2 to 16.
int ValidBracketSize(int size);

// One match of a bracket shape. A side above 0 is a seed (1-based); a side
// below 0 is minus the number of the match whose winner plays.
struct BracketMatch {
  int number = 0;  // 1 .. dimension-1, creation and display order
  int level = 0;   // 1 for the first round; the final has the highest level
  int side1 = 0;
  int side2 = 0;
};
std::vector<BracketMatch> BracketShape(int dimension);

// "Kruislings": the seed order in which places 1..places of `pools` earlier
// pools enter a bracket of `dimension` seats. The winners take seeds 1..pools
// in pool order; each following place takes the next block of seeds, its
// pools in turn reversed (runners-up from the last pool to the first), each
// on the free seed of the block that meets its own pool's earlier places as
// late as the bracket allows (a pool's first and second in opposite halves).
// Element s is seed s + 1. Empty when the places do not fit the bracket.
struct CrossSeed {
  int pool = 0;   // 0-based index of the earlier pool
  int place = 0;  // 1-based place in that pool
};
std::vector<CrossSeed> CrossOrder(int pools, int places, int dimension);

// The first-round matches of a bracket with these positions as seeds 1, 2, ...
// as "Wedstrijd %d: %s - %s" (names; "Bye" for a seat beyond the positions).
std::vector<std::string> FirstRoundPairings(const std::vector<Contestant>& seeds, int dimension);

// The seats of the bracket: the positions in order, then byes (id 0, the
// pool's id, poolPos and sort the 0-based seat, linktype kLinkBye) up to the
// bracket size.
std::vector<Contestant> SeatsWithByes(const std::vector<Contestant>& contestants, int idPool, int dimension);

// Pane arrows "Systeemgrootte:": changes the size and saves the pool row;
// false when the size is already at the bound (nothing saved).
bool ChangeBracketSize(Database& db, LDropout& pool, bool grow);

enum class ActivateOutcome {
  kActivated,
  kNoContestants,  // "Er zijn geen spelers toegekend."
  kTooMany,        // "Maximum aantal spelers is %d"
  kNoTables,       // "Er zijn geen tafels voor de wedstrijden."
  kStoreFailed,
};

// "Start afvalsysteem" after the pane's warning: replaces the pool's matches
// by the whole bracket, in one transaction. Refusals are told through the
// prompter and change nothing. The pool's tables and start time place the
// matches in waves.
ActivateOutcome ActivateDropout(Database& db, Prompter& prompter, const LDropout& pool,
                                const std::vector<Contestant>& contestants);

// Bye matches are decided when read, never stored: a bye is not a victory
// anyone can be credited with (exports, club trophy). The winner index of a
// knockout match: its stored result, else 1 when side 1 is a bye, 0 when side
// 2 is a bye (also when the bye comes through from an earlier match), -1
// while undecided. poolMatches are the matches of the bracket.
int KnockoutWinnerIndex(const std::vector<MatchEntry>& poolMatches, const MatchRecord& match);
// What a side value stands for now: a contestant id, 0 for a bye, -1 while the
// earlier match it refers to is undecided (or missing).
int KnockoutSide(const std::vector<MatchEntry>& poolMatches, int side);

}  // namespace velgram
