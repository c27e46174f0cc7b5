#pragma once
// Match systems and result rules: which rules govern a pool, how games are
// coded, how an entered result is validated and decided, and the logic of the
// match-system editor. Dialogs only gather input and show what comes back.
#include <array>
#include <string>
#include <utility>
#include <vector>

#include "store/records.h"

namespace velgram {

class Database;
class Prompter;

enum ResultMode {
  kResultSets = 1,    // winner only
  kResultGames = 2,   // games won per side; ResultGames rows 0 and 1 hold the counts
  kResultPoints = 3,  // duo team points, ten game codes
  kResultAll = 4,     // game by game, one game code per game
};

// The game-by-game dialog has this many game rows.
inline constexpr int kFastGameRows = 7;

// A game code is the loser's points plus 1, from the first side's point of
// view: positive when the first side won the game, negative otherwise.
inline int GameCode(bool firstWon, int loserPoints) { return firstWon ? loserPoints + 1 : -(loserPoints + 1); }

// Points of the winner of a game whose loser scored loserPoints.
int WinnerPoints(const MatchSystem& ms, int loserPoints);
// The score of a stored game code as (first side's points, second side's).
void GameScore(const MatchSystem& ms, int code, int& points1, int& points2);

// One game as typed in the game-by-game entry: the code, or 0 when the two
// texts do not make a valid game under the rules (treated as not entered).
int EncodeGame(const MatchSystem& ms, const std::string& points1, const std::string& points2);
int EncodeGame(const MatchSystem& ms, int points1, int points2);

// The outcome of validating an entered result: a message for the user, or the
// winner and the games to store.
struct ResultDecision {
  std::string error;  // empty when the result may be saved
  int indexWinner = -1;
  std::vector<int> games;
  bool writeGames = false;  // false in mode 1: games are neither written nor deleted
  int decision = kDecisionPlayed;  // played out, walkover or retirement
  bool Ok() const { return error.empty(); }
};

// --- walkovers and retirements -------------------------------------------------
// How the director says a match ended besides its score: played out, or one
// side (0 the first, 1 the second) did not play ("w.o.") or gave up during
// play ("opgegeven"). That side loses.
struct Ending {
  int decision = kDecisionPlayed;
  int side = -1;  // the side that did not play or gave up
};
// The choices every result dialog offers, in this order: played, a walkover
// of the first and of the second side, a retirement of the first and of the
// second side.
inline constexpr int kEndingChoices = 5;
std::vector<std::string> EndingChoices(const std::string& name1, const std::string& name2);
Ending EndingOfChoice(int index);  // index outside the list: played
// The choice that shows how a stored result ended.
int ChoiceOfMatch(const MatchRecord& match);
// What the lists write beside a result: "w.o.", "opg." or nothing.
std::string DecisionMark(int decision);

// A walkover: no games, the other side wins.
ResultDecision DecideWalkover(int absentSide);
// Told when a retirement comes with games that already decide the match.
extern const char* const kAlreadyDecidedMessage;
// Told when a retirement's games leave an empty game between played ones.
extern const char* const kRetirementGapMessage;
// The entry's ending applied to the winner-only dialog, whose side buttons
// mean "this side won" only for a played match: a walkover or a retirement
// names the loser, and no games are kept.
ResultDecision DecideEnding(const Ending& ending);

// The game-by-game dialog's codes as they stand in its windows (0 for a window
// without a valid game) cut at the first window without one.
std::vector<int> LeadingGames(const std::vector<int>& windowCodes);
// Which name the game-by-game dialog sets in bold for those games: 0 or 1 for
// the side that has won at least setWon of them (the counts differing), -1 for
// neither, kKeepFonts while fewer than setWon games are entered.
inline constexpr int kKeepFonts = -2;
int BoldSide(const MatchSystem& ms, const std::vector<int>& leadingGames);

ResultDecision DecideWinnerOnly(int indexWinner);                           // mode 1
ResultDecision DecideGamesWon(const MatchSystem& ms, int games1, int games2);  // mode 2
ResultDecision DecideGameByGame(const MatchSystem& ms, const std::vector<int>& codes);  // mode 4

// --- typed numbers -----------------------------------------------------------
// The most points one side can score in a game that the entry takes.
int MaxGamePoints(const MatchSystem& ms);
// A typed number of points: a whole number from 0 to MaxGamePoints, else -1.
int ReadGamePoints(const MatchSystem& ms, const std::string& text);
// What the user is told when a typed number of points cannot be a score.
std::string GamePointsMessage(const MatchSystem& ms);

// The two texts of each game window shown, in game order.
using GameTexts = std::vector<std::pair<std::string, std::string>>;
// The code of each window (0 where it holds no valid game).
std::vector<int> WindowCodes(const MatchSystem& ms, const GameTexts& windows);
// OK of the game-by-game entry: a field holding text that cannot be a number
// of points ("Game 2: ...") stops it; an empty or incomplete window ends the
// games; then the mode-4 rules.
// A walkover ignores the windows; a retirement keeps the games up to the first
// window without one, as long as they do not decide the match yet.
ResultDecision DecideGameTexts(const MatchSystem& ms, const GameTexts& windows, const Ending& ending = {});
// OK of the games-won entry: an empty field counts 0, anything but a plain
// number is refused before the mode-2 rules.
// A retirement keeps games won so far while neither side has setWon of them.
ResultDecision DecideGamesWonTexts(const MatchSystem& ms, const std::string& games1, const std::string& games2,
                                   const Ending& ending = {});

// --- Duo Dudodeva ---------------------------------------------------------
// Sub-matches in their fixed order: a-x, b-y, a-y, b-x, ab-xy; two games each.
inline constexpr int kDuoSubMatches = 5;
inline constexpr int kDuoGames = 2 * kDuoSubMatches;
extern const std::array<const char*, kDuoSubMatches> kDuoSubMatchNames;  // "a-x", ...

struct DuoSwaps {
  bool ab = false;    // "Wissel a en b"
  bool xy = false;    // "Wissel x en y"
  bool abxy = false;  // "Wissel ab en xy"
};

// A duo score as typed: for each of the ten games (sub-match order, game 1
// then game 2), the left and the right text. An empty text reads as 0.
struct DuoEntry {
  std::array<std::string, kDuoGames> left, right;
};

// Which player stands behind the labels a, b, x and y under the swaps: 0 and
// 1 are the first duo's players, 2 and 3 the second's.
std::array<int, 4> DuoLabelPlayers(const DuoSwaps& swaps);

// The codes of the ten games as displayed (left column as first side) brought
// back to the match's own order.
std::vector<int> DuoToMatchOrder(std::vector<int> displayed, const DuoSwaps& swaps);
// And the other way, for showing stored games under the current swaps.
std::vector<int> DuoToDisplayOrder(std::vector<int> stored, const DuoSwaps& swaps);
// Validates (first fault: "Game 1 van a-x is incorrect.") and decides.
// A retirement keeps the complete games played so far: in the match's own
// order (a-x, b-y, a-y, b-x, ab-xy) they come first, and the games not
// played are empty (or 0 - 0).
ResultDecision DecideDuo(const MatchSystem& ms, const DuoEntry& entry, const DuoSwaps& swaps,
                         const Ending& ending = {});
// Totals as displayed, left and right: per sub-match (0..4) and overall (5).
// Unreadable texts count as 0.
std::array<std::array<int, 2>, kDuoSubMatches + 1> DuoTotals(const DuoEntry& entry);
std::string FormatTotal(int left, int right);  // "%d - %d"

// --- which rules apply ------------------------------------------------------
// The row with that id, or DefaultMatchSystem() (id 0) when none has it.
MatchSystem MatchSystemById(Database& db, int id);
// The id that governs a pool: the pool's own, else its class's, else its
// tournament's; 0 when none is set (the default rules).
int EffectiveMatchSystemId(Database& db, int idPool);
MatchSystem EffectiveMatchSystem(Database& db, int idPool);

// --- saving ---------------------------------------------------------------
// Told when a screen works on a match that was deleted after it was listed.
extern const char* const kMatchGoneMessage;
// Told when the database refused to store or clear a result (busy, full).
extern const char* const kResultNotStoredMessage;
bool MatchExists(Database& db, int idMatch);

// Stores a decided result (the old one is replaced). False when the decision
// holds an error or the database refused it; nothing is written then.
// idEntry: the table entry the result came from, 0 when typed at the desk.
bool SaveResult(Database& db, int idMatch, const ResultDecision& decision, int idEntry = 0);
void ClearMatchResult(Database& db, int idMatch);
// The same for a dialog, which may outlive its match: the decision's
// message, or kMatchGoneMessage when the match no longer exists, is told
// through the prompter and nothing is written.
bool StoreResult(Database& db, Prompter& prompter, int idMatch, const ResultDecision& decision);
bool ClearStoredResult(Database& db, Prompter& prompter, int idMatch);

// --- EnterResult: which dialog ---------------------------------------------
enum class EntryDialog { kNone, kWinnerOnly, kGamesWon, kGameByGame, kDuoPoints };
struct EntryChoice {
  EntryDialog dialog = EntryDialog::kNone;
  std::string message;  // shown first when not empty
};
EntryChoice ChooseEntryDialog(const MatchSystem& ms);

// --- match-system editor ("Wedstrijdsysteem") --------------------------------
struct EditorEnabling {
  bool points = false, gameDiff = false, setMax = false, setWon = false;
  bool subMatches = false;
};
// resultMode 0 when no radio button is set.
EditorEnabling EnableEditorControls(int resultMode, bool duoteam);

// The editor's controls as typed.
struct EditorControls {
  std::string gameStop, setMax, setWon;
  bool gameDiff = false;
  int result = 0;  // the radio button set, 0 for none
  std::string name;
  bool duoteam = false;
  bool duo_ax = false, duo_ay = false, duo_bx = false, duo_by = false, duo_abxy = false;
};
MatchSystem ReadEditorControls(const EditorControls& controls);
EditorControls EditorControlsOf(const MatchSystem& ms);

// The row selected when the editor opens with this id: its own, or "Best of 5"
// when the id is below 1 or the row has no name. 0 when neither exists.
int EditorInitialSelection(Database& db, int id);

// OK: an existing row with the same rules, an overwritten row of the same
// name, or a new row. Returns its id, or -1 after "Kies een andere naam" (the
// dialog stays open).
int SaveEditorMatchSystem(Database& db, Prompter& prompter, const MatchSystem& typed);

// "Verwijder...": asks, deletes, or reports why it cannot. True when the row
// was deleted (the list must be filled again). idToernooi is the current
// tournament, for the in-use messages.
bool DeleteEditorMatchSystem(Database& db, Prompter& prompter, int id, int idToernooi);

}  // namespace velgram
