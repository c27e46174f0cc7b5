#pragma once
// What the Swiss pane's commands do, with their checks and Dutch messages,
// and the lines of its standings view ("Stand") that the export writes. The
// pane only turns clicks into these calls and shows what they return.
#include <set>
#include <string>
#include <vector>

#include "competition/swiss.h"
#include "store/records.h"

namespace velgram {

class Clock;
class Database;
class Prompter;

// The result of a match as the lists show it: "" while open, "1 - 0" or
// "0 - 1" for a winner only, the games won ("3 - 1") and, when the games are
// known, each game from the first side's view ("3 - 1 (11-7, 9-11, ...)").
// A walkover or a retirement is marked after it: "1 - 0 w.o.", "1 - 2 (11-7,
// 5-11, 3-11) opg.". Without eachGame the games are only counted ("1 - 2
// opg."), for a display read from afar where the list would be cut off.
std::string MatchResultText(const MatchEntry& match, const MatchSystem& system, bool eachGame = true);

// "Start poule" after the start warning: refuses fewer than two positions, an
// empty table list or a position not yet known; otherwise replaces the pool's
// rounds and matches by round 1. True when round 1 was written.
bool StartSwissPool(Database& db, Prompter& prompter, Clock& clock, int idPool);

// "Bereken volgende ronde": names the first open match between two positions
// of the pool and stops; otherwise calculates the next round (the reviewer,
// when given, sees the proposal from round 2 on). True when a round was
// written.
bool NextSwissRound(Database& db, Prompter& prompter, Clock& clock, int idPool, PairingReviewer* reviewer);

// "Verwijder huidige ronde": deletes the pool's current round; asks first when
// it holds an entered result, and deletes nothing on No.
bool DeleteCurrentSwissRound(Database& db, Prompter& prompter, int idPool);

// "Speler verwijderen": before the start the position is deleted at once;
// once the pool has matches an active position is taken out of the draw
// (poolPos -1) and a removed one put back (0), each after a question.
bool ToggleSwissContestant(Database& db, Prompter& prompter, int idPool, int idContestant);

// The contestant's match of the current round; -1 when it has none.
int CurrentRoundMatch(const LSwiss& pool, int idContestant);

// One line of "Stand": a player's line, or one of its round lines below it.
struct SwissStandLine {
  std::vector<std::string> cells;
  int idContestant = -1;  // the player the line belongs to
  int idMatch = -1;       // round lines: the round's match, -1 for a bye
  bool player = true;     // false for a round line
  bool removed = false;   // drawn struck through
};

struct SwissStandOptions {
  bool withClub = false;  // "Jan (Club)"
  bool dudodeva = false;  // the pool plays "Duo Dudodeva": game-point columns
  int gameStop = 11;
};

std::vector<std::string> SwissStandHeader(bool dudodeva);
// The player lines in standings order, each followed by its round lines when
// its contestant id is in expanded. The pool's standings must be computed.
// A round line's "Sterkte" is what the round adds to "Weerstand": "w.o." for a
// walkover, the opponent's strength with "opg." beside for a retirement.
std::vector<SwissStandLine> SwissStandLines(const LSwiss& pool, const std::set<int>& expanded,
                                            const SwissStandOptions& options);
// One contestant's name as the Swiss lists show it.
std::string SwissName(const Contestant& c, bool withClub);

// The export text: every row's cells joined by ";", each row ended by "\n".
std::string SwissExportText(const std::vector<std::vector<std::string>>& rows);

}  // namespace velgram
