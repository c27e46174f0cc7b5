#include "competition/match_rules.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

#include "store/database.h"
#include "store/recordset.h"
#include "support/prompt.h"
#include "support/text.h"

namespace velgram {

const std::array<const char*, kDuoSubMatches> kDuoSubMatchNames = {"a-x", "b-y", "a-y", "b-x", "ab-xy"};

namespace {

// A whole number written the plain way: it must read back unchanged when
// formatted as a decimal number ("07", " 7" and "7.0" do not count).
bool ReadWholeNumber(const std::string& text, int& value) {
  if (text.empty() || text.size() > 9) return false;
  size_t i = text[0] == '-' ? 1 : 0;
  if (i == text.size()) return false;
  for (size_t k = i; k < text.size(); ++k)
    if (!std::isdigit(static_cast<unsigned char>(text[k]))) return false;
  value = std::atoi(text.c_str());
  return Format("%d", value) == text;
}

std::string Trim(const std::string& s) {
  size_t b = s.find_first_not_of(" \t\r\n");
  if (b == std::string::npos) return "";
  size_t e = s.find_last_not_of(" \t\r\n");
  return s.substr(b, e - b + 1);
}

}  // namespace

int WinnerPoints(const MatchSystem& ms, int loserPoints) {
  int winner = loserPoints < ms.gameStop ? ms.gameStop : loserPoints + 1;
  if (ms.gameDiff && winner - loserPoints < 2) winner = loserPoints + 2;
  return winner;
}

void GameScore(const MatchSystem& ms, int code, int& points1, int& points2) {
  if (code > 0) {
    points2 = code - 1;
    points1 = WinnerPoints(ms, points2);
  } else if (code < 0) {
    points1 = -code - 1;
    points2 = WinnerPoints(ms, points1);
  } else {
    points1 = points2 = 0;
  }
}

int EncodeGame(const MatchSystem& ms, int p1, int p2) {
  if (p1 < 0 || p2 < 0) return 0;
  // A drawn game has no winner, whatever the rules.
  if (p1 == p2) return 0;
  if (std::max(p1, p2) < ms.gameStop) return 0;
  if (ms.gameDiff && std::abs(p1 - p2) < 2) return 0;
  return p1 > p2 ? GameCode(true, p2) : GameCode(false, p1);
}

int EncodeGame(const MatchSystem& ms, const std::string& points1, const std::string& points2) {
  int p1 = 0, p2 = 0;
  if (!ReadWholeNumber(points1, p1) || !ReadWholeNumber(points2, p2)) return 0;
  return EncodeGame(ms, p1, p2);
}

std::vector<int> LeadingGames(const std::vector<int>& windowCodes) {
  std::vector<int> games;
  for (int c : windowCodes) {
    if (c == 0) break;
    games.push_back(c);
  }
  return games;
}

int BoldSide(const MatchSystem& ms, const std::vector<int>& leadingGames) {
  if (static_cast<int>(leadingGames.size()) < ms.setWon) return kKeepFonts;
  int won1 = 0, won2 = 0;
  for (int c : leadingGames) (c > 0 ? won1 : won2)++;
  if (won1 == won2 || (won1 < ms.setWon && won2 < ms.setWon)) return -1;
  return won1 >= ms.setWon ? 0 : 1;
}

ResultDecision DecideWinnerOnly(int indexWinner) {
  ResultDecision d;
  d.indexWinner = indexWinner == 0 ? 0 : 1;
  d.writeGames = false;
  return d;
}

ResultDecision DecideGamesWon(const MatchSystem& ms, int g1, int g2) {
  ResultDecision d;
  if (g1 < 0 || g2 < 0) {
    d.error = "Het aantal games kan niet negatief zijn.";
  } else if (g1 == ms.setWon && g2 >= g1) {
    d.error = Format("Er kan slechts 1 speler zijn met %d gewonnen games.", ms.setWon);
  } else if (g1 != ms.setWon && g2 != ms.setWon) {
    d.error = Format("Een van de spelers moet %d games gewonnen hebben.", ms.setWon);
  } else if (g2 == ms.setWon && g1 >= g2) {
    d.error = Format("Er kan slechts 1 speler zijn met %d gewonnen games.", ms.setWon);
  } else if (g1 + g2 > ms.setMax) {
    d.error = Format("Er zijn teveel games. Max=%d", ms.setMax);
  } else {
    d.indexWinner = g1 > g2 ? 0 : 1;
    d.games = {g1, g2};
    d.writeGames = true;
  }
  return d;
}

ResultDecision DecideGameByGame(const MatchSystem& ms, const std::vector<int>& codes) {
  ResultDecision d;
  int won1 = 0, won2 = 0;
  std::vector<int> games;
  for (int c : codes) {
    if (c == 0) continue;  // not a game
    games.push_back(c);
    (c > 0 ? won1 : won2)++;
  }
  if (games.empty() || won1 == won2) {
    d.error = "Er is geen winnaar.";
  } else if (won1 < ms.setWon && won2 < ms.setWon) {
    d.error = Format("De winnaar moet minstens %d games gewonnen hebben.", ms.setWon);
  } else if (won1 > ms.setWon || won2 > ms.setWon) {
    d.error = "De winnaar heeft teveel games gewonnen.";
  } else {
    d.indexWinner = won1 > won2 ? 0 : 1;
    d.games = std::move(games);
    d.writeGames = true;
  }
  return d;
}

// --- walkovers and retirements ---------------------------------------------------

const char* const kRetirementGapMessage = "Bij een opgave staan de gespeelde games vooraan, zonder lege game ertussen.";
const char* const kAlreadyDecidedMessage =
    "Met deze games is de wedstrijd al beslist. Kies \"Gespeeld\" of vul alleen de games tot de opgave in.";

std::vector<std::string> EndingChoices(const std::string& name1, const std::string& name2) {
  return {"Gespeeld", "w.o.: " + name1 + " niet gespeeld", "w.o.: " + name2 + " niet gespeeld",
          "Opgegeven door " + name1, "Opgegeven door " + name2};
}

Ending EndingOfChoice(int index) {
  Ending e;
  if (index < 1 || index >= kEndingChoices) return e;
  e.decision = index <= 2 ? kDecisionWalkover : kDecisionRetired;
  e.side = (index - 1) % 2;
  return e;
}

int ChoiceOfMatch(const MatchRecord& match) {
  if (match.decision == kDecisionPlayed) return 0;
  const int loser = match.indexWinner == 0 ? 1 : 0;
  return (match.decision == kDecisionWalkover ? 1 : 3) + loser;
}

std::string DecisionMark(int decision) {
  return decision == kDecisionWalkover ? "w.o." : decision == kDecisionRetired ? "opg." : "";
}

ResultDecision DecideWalkover(int absentSide) {
  ResultDecision d;
  d.indexWinner = absentSide == 0 ? 1 : 0;
  d.decision = kDecisionWalkover;
  // Games of an earlier entry must go: a walkover counts no games at all.
  d.writeGames = true;
  return d;
}

namespace {

ResultDecision Retired(int side, std::vector<int> games) {
  ResultDecision d;
  d.indexWinner = side == 0 ? 1 : 0;
  d.decision = kDecisionRetired;
  d.games = std::move(games);
  d.writeGames = true;
  return d;
}

ResultDecision Refused(const std::string& message) {
  ResultDecision d;
  d.error = message;
  return d;
}

}  // namespace

ResultDecision DecideEnding(const Ending& ending) {
  if (ending.decision == kDecisionWalkover) return DecideWalkover(ending.side);
  return Retired(ending.side, {});
}

// --- typed numbers -------------------------------------------------------------

int MaxGamePoints(const MatchSystem& ms) {
  // Deuces can run long under the two-point rule; three digits are a typo.
  return std::max(99, ms.gameStop + 2);
}

int ReadGamePoints(const MatchSystem& ms, const std::string& text) {
  int v = 0;
  if (!ReadWholeNumber(Trim(text), v) || v < 0 || v > MaxGamePoints(ms)) return -1;
  return v;
}

std::string GamePointsMessage(const MatchSystem& ms) {
  return Format("Vul een aantal punten van 0 tot en met %d in.", MaxGamePoints(ms));
}

std::vector<int> WindowCodes(const MatchSystem& ms, const GameTexts& windows) {
  std::vector<int> codes;
  for (const auto& w : windows) {
    int p1 = ReadGamePoints(ms, w.first), p2 = ReadGamePoints(ms, w.second);
    codes.push_back(p1 < 0 || p2 < 0 ? 0 : EncodeGame(ms, p1, p2));
  }
  return codes;
}

ResultDecision DecideGameTexts(const MatchSystem& ms, const GameTexts& windows, const Ending& ending) {
  if (ending.decision == kDecisionWalkover) return DecideWalkover(ending.side);
  for (size_t i = 0; i < windows.size(); ++i) {
    for (const std::string* text : {&windows[i].first, &windows[i].second}) {
      if (Trim(*text).empty() || ReadGamePoints(ms, *text) >= 0) continue;
      ResultDecision d;
      d.error = Format("Game %d: ", static_cast<int>(i) + 1) + GamePointsMessage(ms);
      return d;
    }
  }
  const std::vector<int> codes = WindowCodes(ms, windows);
  std::vector<int> games = LeadingGames(codes);
  if (ending.decision != kDecisionRetired) return DecideGameByGame(ms, games);
  // Only the games before the first empty window are kept; a game after it
  // would be lost without a word.
  if (std::any_of(codes.begin() + static_cast<std::ptrdiff_t>(games.size()), codes.end(), [](int c) { return c != 0; }))
    return Refused(kRetirementGapMessage);
  int won1 = 0, won2 = 0;
  for (int c : games) (c > 0 ? won1 : won2)++;
  if (won1 >= ms.setWon || won2 >= ms.setWon) return Refused(kAlreadyDecidedMessage);
  return Retired(ending.side, std::move(games));
}

ResultDecision DecideGamesWonTexts(const MatchSystem& ms, const std::string& games1, const std::string& games2,
                                   const Ending& ending) {
  if (ending.decision == kDecisionWalkover) return DecideWalkover(ending.side);
  int g[2] = {0, 0};
  const std::string* texts[2] = {&games1, &games2};
  for (int i = 0; i < 2; ++i) {
    std::string t = Trim(*texts[i]);
    if (t.empty()) continue;
    // Negative counts get their own message from the rules below.
    if (!ReadWholeNumber(t, g[i]) || g[i] > 99) {
      ResultDecision d;
      d.error = "Vul bij beide spelers het aantal gewonnen games in.";
      return d;
    }
  }
  if (ending.decision != kDecisionRetired) return DecideGamesWon(ms, g[0], g[1]);
  if (g[0] < 0 || g[1] < 0) return Refused("Het aantal games kan niet negatief zijn.");
  if (g[0] >= ms.setWon || g[1] >= ms.setWon) return Refused(kAlreadyDecidedMessage);
  return Retired(ending.side, {g[0], g[1]});
}

// --- Duo Dudodeva -----------------------------------------------------------

namespace {

// Players: 0 a, 1 b (first duo), 2 x, 3 y (second duo); 4 ab, 5 xy. The
// sub-matches in their fixed order as (first duo's side, second duo's side).
constexpr int kPairs[kDuoSubMatches][2] = {{0, 2}, {1, 3}, {0, 3}, {1, 2}, {4, 5}};

// Which real player stands behind each label as the swaps show them: the left
// labels (a, b, ab) are the second duo when ab and xy are exchanged, and each
// of "Wissel a en b" and "Wissel x en y" exchanges the two labels it names.
std::array<int, 6> LabelPlayers(const DuoSwaps& s) {
  int leftFirst = s.abxy ? 2 : 0, rightFirst = s.abxy ? 0 : 2;
  std::array<int, 6> p{};
  p[0] = leftFirst + (s.ab ? 1 : 0);
  p[1] = leftFirst + (s.ab ? 0 : 1);
  p[2] = rightFirst + (s.xy ? 1 : 0);
  p[3] = rightFirst + (s.xy ? 0 : 1);
  p[4] = s.abxy ? 5 : 4;
  p[5] = s.abxy ? 4 : 5;
  return p;
}

// For displayed sub-match r: the sub-match of the match it really is, and
// whether its sides are shown the other way round.
void DisplayedToReal(const DuoSwaps& s, int r, int& real, bool& flipped) {
  std::array<int, 6> p = LabelPlayers(s);
  int left = p[kPairs[r][0]], right = p[kPairs[r][1]];
  flipped = left == 2 || left == 3 || left == 5;
  if (flipped) std::swap(left, right);
  for (int k = 0; k < kDuoSubMatches; ++k)
    if (kPairs[k][0] == left && kPairs[k][1] == right) real = k;
}

}  // namespace

std::array<int, 4> DuoLabelPlayers(const DuoSwaps& swaps) {
  std::array<int, 6> p = LabelPlayers(swaps);
  return {p[0], p[1], p[2], p[3]};
}

std::vector<int> DuoToMatchOrder(std::vector<int> displayed, const DuoSwaps& swaps) {
  std::vector<int> stored(displayed.size(), 0);
  if (displayed.size() != static_cast<size_t>(kDuoGames)) return displayed;
  for (int r = 0; r < kDuoSubMatches; ++r) {
    int real = r;
    bool flipped = false;
    DisplayedToReal(swaps, r, real, flipped);
    for (int g = 0; g < 2; ++g) stored[2 * real + g] = flipped ? -displayed[2 * r + g] : displayed[2 * r + g];
  }
  return stored;
}

std::vector<int> DuoToDisplayOrder(std::vector<int> stored, const DuoSwaps& swaps) {
  std::vector<int> displayed(stored.size(), 0);
  if (stored.size() != static_cast<size_t>(kDuoGames)) return stored;
  for (int r = 0; r < kDuoSubMatches; ++r) {
    int real = r;
    bool flipped = false;
    DisplayedToReal(swaps, r, real, flipped);
    for (int g = 0; g < 2; ++g) displayed[2 * r + g] = flipped ? -stored[2 * real + g] : stored[2 * real + g];
  }
  return displayed;
}

namespace {

// A duo score is read as a number: an empty field is 0 and leading zeros
// are what a director types ("07"), not a fault.
bool ReadDuoScore(const std::string& text, int& value) {
  std::string t = Trim(text);
  size_t digits = t.find_first_not_of('0');
  if (digits == std::string::npos) {  // empty or only zeros
    value = 0;
    return true;
  }
  return ReadWholeNumber(t.substr(digits), value);
}

int LenientScore(const std::string& text) {
  int v = 0;
  return ReadDuoScore(text, v) ? v : 0;
}

}  // namespace

ResultDecision DecideDuo(const MatchSystem& ms, const DuoEntry& entry, const DuoSwaps& swaps, const Ending& ending) {
  if (ending.decision == kDecisionWalkover) return DecideWalkover(ending.side);
  const bool retired = ending.decision == kDecisionRetired;
  ResultDecision d;
  std::vector<int> displayed;
  int total1 = 0, total2 = 0;
  for (int i = 0; i < kDuoGames; ++i) {
    int l = 0, r = 0;
    bool ok = ReadDuoScore(entry.left[i], l) && ReadDuoScore(entry.right[i], r);
    if (ok && retired && l == 0 && r == 0) {  // not played before the retirement
      displayed.push_back(0);
      continue;
    }
    ok = ok && l >= 0 && r >= 0 && l <= ms.gameStop && r <= ms.gameStop && ((l == ms.gameStop) != (r == ms.gameStop));
    if (!ok) {
      d.error = Format("Game %d van %s is incorrect.", i % 2 + 1, kDuoSubMatchNames[i / 2]);
      return d;
    }
    displayed.push_back(l == ms.gameStop ? GameCode(true, r) : GameCode(false, l));
    total1 += l;
    total2 += r;
  }
  if (retired) {
    // The sub-matches are played in their fixed order; a gap would mean a
    // game typed in the wrong row.
    std::vector<int> played = DuoToMatchOrder(displayed, swaps);
    auto gap = std::find(played.begin(), played.end(), 0);
    if (gap == played.end()) return Refused(kAlreadyDecidedMessage);
    if (std::any_of(gap, played.end(), [](int c) { return c != 0; }))
      return Refused(std::string(kRetirementGapMessage) + " De volgorde is a-x, b-y, a-y, b-x, ab-xy.");
    played.erase(gap, played.end());
    return Retired(ending.side, std::move(played));
  }
  int leftWins = total1 != total2 ? (total1 > total2) : (displayed.back() > 0);
  d.indexWinner = leftWins ? 0 : 1;
  if (swaps.abxy) d.indexWinner = 1 - d.indexWinner;
  d.games = DuoToMatchOrder(displayed, swaps);
  d.writeGames = true;
  return d;
}

std::array<std::array<int, 2>, kDuoSubMatches + 1> DuoTotals(const DuoEntry& entry) {
  std::array<std::array<int, 2>, kDuoSubMatches + 1> totals{};
  for (int i = 0; i < kDuoGames; ++i) {
    int l = LenientScore(entry.left[i]), r = LenientScore(entry.right[i]);
    totals[i / 2][0] += l;
    totals[i / 2][1] += r;
    totals[kDuoSubMatches][0] += l;
    totals[kDuoSubMatches][1] += r;
  }
  return totals;
}

std::string FormatTotal(int left, int right) { return Format("%d - %d", left, right); }

// --- which rules apply --------------------------------------------------------

MatchSystem MatchSystemById(Database& db, int id) {
  if (id < 1) return DefaultMatchSystem();
  MatchSystem ms;
  db.GetMatchSystem(ms, id);
  return ms;
}

int EffectiveMatchSystemId(Database& db, int idPool) {
  PoolRecord pool;
  if (!db.GetPool(idPool, pool)) return 0;
  if (pool.idMatchSystem >= 1) return pool.idMatchSystem;
  SystemRecord cls;
  db.GetSystem(cls, pool.idSystem);
  if (cls.idMatchSystem >= 1) return cls.idMatchSystem;
  Records rows;
  db.Exec(&rows, "SELECT idToernooi FROM Systems WHERE id=%d", pool.idSystem);
  RecordSet rs(rows);
  if (!rs.First()) return 0;
  TournamentRecord tournament;
  db.GetToernooi(tournament, rs.Int("idToernooi"));
  return tournament.idMatchSystem >= 1 ? tournament.idMatchSystem : 0;
}

MatchSystem EffectiveMatchSystem(Database& db, int idPool) {
  return MatchSystemById(db, EffectiveMatchSystemId(db, idPool));
}

// --- saving -----------------------------------------------------------------

const char* const kMatchGoneMessage = "Deze wedstrijd bestaat niet meer. Er is niets opgeslagen.";
const char* const kResultNotStoredMessage =
    "De uitslag kon niet in de database worden opgeslagen. Er is niets gewijzigd.";

bool MatchExists(Database& db, int idMatch) {
  MatchRecord m;
  return idMatch > 0 && db.GetMatch(m, idMatch);
}

bool SaveResult(Database& db, int idMatch, const ResultDecision& decision, int idEntry) {
  if (!decision.Ok() || decision.indexWinner < 0) return false;
  return db.RecordResult(idMatch, decision.indexWinner, decision.games, decision.writeGames, decision.decision,
                         idEntry);
}

void ClearMatchResult(Database& db, int idMatch) { db.ClearResult(idMatch); }

bool StoreResult(Database& db, Prompter& prompter, int idMatch, const ResultDecision& decision) {
  if (!decision.Ok()) {
    prompter.Alert(decision.error);
    return false;
  }
  // Result rows of a deleted match would be orphans that a reused id could
  // pick up.
  if (!MatchExists(db, idMatch)) {
    prompter.Alert(kMatchGoneMessage);
    return false;
  }
  // A busy or full database rolls the whole result back; the director must
  // know, or the slip goes on the done pile with nothing stored.
  if (!SaveResult(db, idMatch, decision)) {
    prompter.Alert(kResultNotStoredMessage);
    return false;
  }
  return true;
}

bool ClearStoredResult(Database& db, Prompter& prompter, int idMatch) {
  if (!MatchExists(db, idMatch)) {
    prompter.Alert(kMatchGoneMessage);
    return false;
  }
  if (!db.ClearResult(idMatch)) {
    prompter.Alert(kResultNotStoredMessage);
    return false;
  }
  return true;
}

// --- EnterResult ------------------------------------------------------------------

EntryChoice ChooseEntryDialog(const MatchSystem& ms) {
  EntryChoice choice;
  if (ms.duoteam && ms.result == kResultPoints) {
    if (ms.name == "Duo Dudodeva") {
      choice.dialog = EntryDialog::kDuoPoints;
    } else {
      choice.message = "Alleen Duo Dudodeva wordt ondersteund op dit moment.";
    }
    return choice;
  }
  if (!ms.duoteam) {
    switch (ms.result) {
      case kResultSets:
        choice.dialog = EntryDialog::kWinnerOnly;
        return choice;
      case kResultGames:
        choice.dialog = EntryDialog::kGamesWon;
        return choice;
      case kResultAll:
        // More games than the dialog has rows cannot be entered game by game;
        // the winner alone keeps the stored games consistent with the mode.
        if (ms.setMax > kFastGameRows) {
          choice.dialog = EntryDialog::kWinnerOnly;
          choice.message = Format(
              "Dit wedstrijdsysteem heeft meer dan %d games; alleen de winnaar kan ingevoerd worden.", kFastGameRows);
        } else {
          choice.dialog = EntryDialog::kGameByGame;
        }
        return choice;
      default:
        break;
    }
  }
  choice.dialog = EntryDialog::kGameByGame;
  choice.message = "Fallback EnterResult not ready yet";
  return choice;
}

// --- editor ---------------------------------------------------------------------

EditorEnabling EnableEditorControls(int resultMode, bool duoteam) {
  EditorEnabling e;
  if (resultMode == kResultGames) {
    e.setMax = e.setWon = true;
  } else if (resultMode == kResultPoints || resultMode == kResultAll) {
    e.points = e.gameDiff = e.setMax = e.setWon = true;
  }
  e.subMatches = duoteam;
  return e;
}

MatchSystem ReadEditorControls(const EditorControls& c) {
  MatchSystem ms;
  ms.gameStop = std::atoi(c.gameStop.c_str());
  ms.setMax = std::atoi(c.setMax.c_str());
  ms.setWon = std::atoi(c.setWon.c_str());
  ms.gameDiff = c.gameDiff;
  ms.result = c.result >= kResultSets && c.result <= kResultAll ? c.result : kResultSets;
  ms.name = Trim(c.name);
  ms.immutable = false;
  ms.duoteam = c.duoteam;
  if (c.duoteam) {
    ms.duo_ax = c.duo_ax;
    ms.duo_ay = c.duo_ay;
    ms.duo_bx = c.duo_bx;
    ms.duo_by = c.duo_by;
    ms.duo_abxy = c.duo_abxy;
  }
  return ms;
}

EditorControls EditorControlsOf(const MatchSystem& ms) {
  EditorControls c;
  c.gameStop = Format("%d", ms.gameStop);
  c.setMax = Format("%d", ms.setMax);
  c.setWon = Format("%d", ms.setWon);
  c.gameDiff = ms.gameDiff;
  c.result = ms.result;
  c.name = ms.name;
  c.duoteam = ms.duoteam;
  c.duo_ax = ms.duo_ax;
  c.duo_ay = ms.duo_ay;
  c.duo_bx = ms.duo_bx;
  c.duo_by = ms.duo_by;
  c.duo_abxy = ms.duo_abxy;
  return c;
}

int EditorInitialSelection(Database& db, int id) {
  std::vector<MatchSystem> all;
  db.ListMatchSystems(&all);
  if (id >= 1) {
    for (const MatchSystem& ms : all)
      if (ms.id == id && !ms.name.empty()) return id;
  }
  for (const MatchSystem& ms : all)
    if (ms.name == "Best of 5") return ms.id;
  return 0;
}

namespace {

bool SameRules(const MatchSystem& a, const MatchSystem& b) {
  if (a.gameStop != b.gameStop || a.gameDiff != b.gameDiff || a.setMax != b.setMax || a.setWon != b.setWon ||
      a.result != b.result || a.duoteam != b.duoteam)
    return false;
  if (!a.duoteam) return true;
  return a.duo_ax == b.duo_ax && a.duo_ay == b.duo_ay && a.duo_bx == b.duo_bx && a.duo_by == b.duo_by &&
         a.duo_abxy == b.duo_abxy;
}

// Rules under which no result could ever be entered would leave every pool
// that uses them stuck.
bool PlayableRules(const MatchSystem& ms) {
  if ((ms.result == kResultPoints || ms.result == kResultAll) && ms.gameStop < 1) return false;
  if ((ms.result == kResultGames || ms.result == kResultAll) && (ms.setWon < 1 || ms.setMax < ms.setWon))
    return false;
  return true;
}

}  // namespace

int SaveEditorMatchSystem(Database& db, Prompter& prompter, const MatchSystem& typed) {
  std::vector<MatchSystem> all;
  db.ListMatchSystems(&all);
  for (const MatchSystem& ms : all)
    if (SameRules(ms, typed)) return ms.id;
  if (!PlayableRules(typed)) {
    prompter.Alert("Met deze aantallen kan geen wedstrijd gewonnen worden.");
    return -1;
  }
  if (typed.name.empty()) {
    prompter.Alert("Vul de naam in.");
    return -1;
  }
  for (const MatchSystem& ms : all) {
    if (ms.name != typed.name) continue;
    if (ms.immutable) {
      prompter.Alert("Kies een andere naam");
      return -1;
    }
    MatchSystem updated = typed;
    updated.id = ms.id;
    updated.immutable = false;
    db.UpdateMatchSystem(updated);
    return ms.id;
  }
  MatchSystem added = typed;
  added.immutable = false;
  return db.AddMatchSystem(added);
}

bool DeleteEditorMatchSystem(Database& db, Prompter& prompter, int id, int idToernooi) {
  std::vector<MatchSystem> all;
  db.ListMatchSystems(&all);
  auto it = std::find_if(all.begin(), all.end(), [id](const MatchSystem& ms) { return ms.id == id; });
  if (it == all.end()) return false;
  if (it->immutable) {
    prompter.Alert("Dit wedstrijdsysteem kan niet verwijderd worden.");
    return false;
  }
  if (!prompter.Confirm(Format("Weet u zeker dat u %s wilt verwijderen?", it->name.c_str()))) return false;
  if (db.DeleteMatchSystem(id)) return true;

  std::vector<int> pools = db.PoolsUsingMatchSystem(id, idToernooi);
  if (!pools.empty()) {
    PoolRecord pool;
    db.GetPool(pools.front(), pool);
    prompter.Alert("Het wedstrijdsysteem is in gebruik in poule " + pool.name);
    return false;
  }
  std::vector<int> classes = db.SystemsUsingMatchSystem(id, idToernooi);
  if (!classes.empty()) {
    SystemRecord cls;
    db.GetSystem(cls, classes.front());
    prompter.Alert("Het wedstrijdsysteem is in gebruik in systeem " + cls.name);
    return false;
  }
  std::vector<int> tournaments = db.TournamentsUsingMatchSystem(id);
  if (!tournaments.empty()) {
    TournamentRecord t;
    db.GetToernooi(t, tournaments.front());
    prompter.Alert("Het wedstrijdsysteem is in gebruik in toernooi " + t.name);
    return false;
  }
  prompter.Alert("Het wedstrijdsysteem is in gebruik.");
  return false;
}

}  // namespace velgram
