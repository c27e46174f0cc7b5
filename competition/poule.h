#pragma once
// The round-robin pool: its pairing tables, the club separation that numbers
// its positions at the start, the start itself, and its standings with the
// tie-break chain.
#include <string>
#include <utility>
#include <vector>

#include "competition/pool.h"

namespace velgram {

class Database;
class Prompter;

inline constexpr int kMinPouleSize = 2;
inline constexpr int kMaxPouleSize = 11;

class LPoule : public LPool {
 public:
  LPoule() = default;
  int Playstyle() const override { return kPlaystylePoule; }
  std::string ExtraText() const override { return ""; }
  int PaneResource() const override { return 161; }
  // Places by wins, then mutual wins, game quotient, point quotient and the
  // pool order, with an explanation per position (lines joined by CR LF).
  // Leaves every place at -1 while a match has no result.
  void Standings(const std::vector<Contestant>& contestants, const std::vector<MatchEntry>& matches) override;

  // Whether the stored games are game codes. Pools played with winner-only or
  // games-won results keep no codes; their quotient levels then see no games
  // and a tie that wins cannot break goes to the pool order. LinkResolver
  // sets it from the pool's rules; whoever ranks a pool directly must too.
  bool gameCodes = true;
};

// The round-robin pane's cross table over the positions in list order:
// cells[i][j] is "1" when position i beat position j, "0" when it lost to it,
// and "" on the diagonal and while their match is open; wins[i] counts the
// matches position i won.
struct PouleCrossTable {
  std::vector<std::vector<std::string>> cells;
  std::vector<int> wins;
};
PouleCrossTable CrossTableOf(const std::vector<Contestant>& positions, const std::vector<MatchEntry>& matches);

// The pairings of a pool of n positions (2..11), 1-based, in playing order;
// empty for other sizes.
const std::vector<std::pair<int, int>>& PairingTable(int n);
// Number of matches in one round: the pairings are grouped in rounds of this
// many.
inline int MatchesPerRound(int n) { return n / 2; }

// The order in which the positions (given by club and rating, in list order)
// are numbered 1..n so that players of one club meet early: result[i] is the
// index of the position that gets number i + 1.
std::vector<int> SeparateClubs(const std::vector<std::string>& clubs, const std::vector<int>& ratings);

// The warning before a start ("Let op"). The application shows its dialog; a
// null warning asks through the prompter.
class StartWarning {
 public:
  virtual ~StartWarning() = default;
  // True for "Start"; dontShowAgain is set when the box is ticked.
  virtual bool Ask(bool& dontShowAgain) = 0;
};
// Asks unless the setting "PouleActivateWarning" is "No"; writes "No" when the
// user ticked the box and started. True to go on.
bool ConfirmPoolStart(Database& db, Prompter& prompter, StartWarning* warning);

enum class StartOutcome { kStarted, kCancelled, kRefused };

// "Start poule": the warning, the checks, club separation and numbering, the
// positions written back and every match written with its table and time, in
// one transaction. A position linked to a place of an earlier pool stays a
// link to that same place (its poolPos keeps the place; only its sort takes
// the new number), so the place it refers to is never lost.
StartOutcome StartPoule(Database& db, Prompter& prompter, int idPool, StartWarning* warning = nullptr);

}  // namespace velgram
