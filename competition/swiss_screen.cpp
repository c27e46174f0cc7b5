#include "competition/swiss_screen.h"

#include <algorithm>
#include <map>
#include <unordered_map>

#include "competition/match_rules.h"
#include "competition/matchbook.h"
#include "store/database.h"
#include "support/clock.h"
#include "support/prompt.h"
#include "support/text.h"

namespace velgram {

namespace {

std::string WinnerText(int indexWinner) { return indexWinner == 0 ? "1 - 0" : "0 - 1"; }

LSwiss LoadSwiss(Database& db, const PoolRecord& row) {
  LSwiss pool;
  pool.FillFrom(row);
  pool.AttachDatabase(&db);
  pool.Load(db);
  return pool;
}

const Contestant* FindContestant(const std::vector<Contestant>& list, int id) {
  for (const Contestant& c : list)
    if (c.id == id) return &c;
  return nullptr;
}

// The result without a walkover's or a retirement's mark.
std::string PlayedResultText(const MatchEntry& match, const MatchSystem& system, bool eachGame) {
  if (match.indexWinner < 0) return "";
  const std::vector<int>& games = match.games;
  if (system.result == kResultSets || games.empty()) return WinnerText(match.indexWinner);
  if (system.result == kResultGames) {
    if (games.size() < 2) return WinnerText(match.indexWinner);
    return Format("%d - %d", games[0], games[1]);
  }
  int won1 = 0, won2 = 0;
  std::string list;
  for (int code : games) {
    if (code == 0) continue;
    (code > 0 ? won1 : won2)++;
    int p1 = 0, p2 = 0;
    GameScore(system, code, p1, p2);
    if (!list.empty()) list += ", ";
    list += Format("%d-%d", p1, p2);
  }
  if (list.empty()) return WinnerText(match.indexWinner);
  if (!eachGame) return Format("%d - %d", won1, won2);
  return Format("%d - %d (%s)", won1, won2, list.c_str());
}

}  // namespace

std::string MatchResultText(const MatchEntry& match, const MatchSystem& system, bool eachGame) {
  const std::string text = PlayedResultText(match, system, eachGame);
  const std::string mark = DecisionMark(match.decision);
  return mark.empty() ? text : text + " " + mark;
}

bool StartSwissPool(Database& db, Prompter& prompter, Clock& clock, int idPool) {
  PoolRecord row;
  if (!db.GetPool(idPool, row) || row.playstyle != kPlaystyleSwiss) return false;
  LSwiss pool = LoadSwiss(db, row);
  if (pool.contestants.size() < 2) {
    prompter.Alert("Een poule moet minstens twee spelers hebben.");
    return false;
  }
  if (pool.tables.empty()) {
    prompter.Alert("Er zijn geen tafels voor de wedstrijden.");
    return false;
  }
  for (const Contestant& c : pool.contestants) {
    if (c.known) continue;
    prompter.Alert(Format("De poule kan alleen gestart worden als alle spelers bekend zijn.\n%s is nog niet bekend.",
                          c.name.c_str()));
    return false;
  }
  // Clearing and the first round together: a start that cannot be written
  // leaves the pool as it was.
  Transaction tx(db);
  db.Exec(nullptr, "DELETE FROM Rounds WHERE idPool=%d", idPool);
  db.DeleteMatchesOfPool(idPool);
  pool.SetData(pool.contestants, {}, {});
  RoundOutcome outcome = pool.WriteNextRound(db, clock, nullptr);
  if (outcome != RoundOutcome::kWritten || !tx.Commit()) {
    if (outcome == RoundOutcome::kNoPairing) prompter.Alert("Er is geen combinatie van spelers mogelijk voor de volgende ronde.");
    return false;
  }
  return true;
}

bool NextSwissRound(Database& db, Prompter& prompter, Clock& clock, int idPool, PairingReviewer* reviewer) {
  PoolRecord row;
  if (!db.GetPool(idPool, row) || row.playstyle != kPlaystyleSwiss) return false;
  LSwiss pool = LoadSwiss(db, row);
  for (const MatchEntry& m : pool.matches) {
    if (m.indexWinner >= 0) continue;
    const Contestant* a = FindContestant(pool.contestants, m.idContestant1);
    const Contestant* b = FindContestant(pool.contestants, m.idContestant2);
    if (!a || !b) continue;  // against NotPlayed: nothing to wait for
    prompter.Alert(Format("De wedstrijd tussen %s en %s heeft nog geen uitslag.", a->name.c_str(), b->name.c_str()));
    return false;
  }
  switch (pool.WriteNextRound(db, clock, reviewer)) {
    case RoundOutcome::kWritten: return true;
    case RoundOutcome::kNoPairing:
      prompter.Alert("Er is geen combinatie van spelers mogelijk voor de volgende ronde.");
      return false;
    case RoundOutcome::kNoTables:
      prompter.Alert("Er zijn geen tafels voor de wedstrijden.");
      return false;
    case RoundOutcome::kStoreFailed:
      prompter.Alert("De ronde kon niet worden opgeslagen.");
      return false;
  }
  return false;
}

bool DeleteCurrentSwissRound(Database& db, Prompter& prompter, int idPool) {
  int round = db.MaxRound(idPool);
  if (round <= 0) return false;
  std::vector<RoundEntry> rounds;
  db.ListRounds(rounds, idPool);
  std::vector<MatchRecord> matches;
  db.ListMatches(idPool, matches);
  db.ReadResults(matches);
  std::unordered_map<int, const MatchRecord*> byId;
  for (const MatchRecord& m : matches) byId.emplace(m.id, &m);
  // The lost rounds of a late entrant are no results anyone entered.
  bool entered = std::any_of(rounds.begin(), rounds.end(), [&](const RoundEntry& r) {
    auto it = byId.find(r.idMatch);
    return r.round == round && it != byId.end() && it->second->indexWinner >= 0 &&
           it->second->idContestant1 != kNotPlayed && it->second->idContestant2 != kNotPlayed;
  });
  if (entered && !prompter.Confirm("Deze ronde heeft al uitslagen. Toch verwijderen?")) return false;
  if (!DeleteSwissRound(db, idPool, round)) {
    prompter.Alert("De ronde kon niet verwijderd worden. Er is niets gewijzigd.");
    return false;
  }
  return true;
}

bool ToggleSwissContestant(Database& db, Prompter& prompter, int idPool, int idContestant) {
  ContestantRecord row;
  if (!db.GetContestant(row, idContestant) || row.idPool != idPool) return false;
  std::vector<MatchRecord> matches;
  db.ListMatches(idPool, matches);
  if (matches.empty()) {
    db.DeleteContestant(idContestant);
    return true;
  }
  Contestant c = Contestant::FromRecord(row);
  ResolveContestant(db, c);
  bool active = row.poolPos >= 0;
  std::string question = Format(active ? "Weet u zeker, dat u %s wilt verwijderen?" : "Weet u zeker, dat u %s weer wilt indelen?",
                                c.name.c_str());
  if (!prompter.Confirm(question)) return false;
  row.poolPos = active ? -1 : 0;
  db.UpdateContestant(row);
  return true;
}

int CurrentRoundMatch(const LSwiss& pool, int idContestant) {
  for (const RoundEntry& r : pool.rounds) {
    if (r.round != pool.maxRound) continue;
    for (const MatchEntry& m : pool.matches)
      if (m.id == r.idMatch && (m.idContestant1 == idContestant || m.idContestant2 == idContestant)) return m.id;
  }
  return -1;
}

std::string SwissName(const Contestant& c, bool withClub) {
  if (withClub && !c.club.empty()) return c.name + " (" + c.club + ")";
  return c.name;
}

std::vector<std::string> SwissStandHeader(bool dudodeva) {
  std::vector<std::string> header = {"", "Nr", "Naam", "Klasse", "Sterkte", "Punten", "Weerstand", "Zwitsers"};
  if (dudodeva) header.insert(header.end(), {"Totaal", "#", "Gemiddeld"});
  return header;
}

std::vector<SwissStandLine> SwissStandLines(const LSwiss& pool, const std::set<int>& expanded,
                                            const SwissStandOptions& options) {
  const size_t columns = SwissStandHeader(options.dudodeva).size();
  std::vector<size_t> order(pool.contestants.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = i;
  auto place = [&](size_t i) { return i < pool.places.size() && pool.places[i] >= 0 ? pool.places[i] : 1 << 30; };
  std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return place(a) < place(b); });

  std::unordered_map<int, const MatchEntry*> matchOf;
  for (const MatchEntry& m : pool.matches) matchOf.emplace(m.id, &m);
  std::multimap<int, const MatchEntry*> byRound;
  for (const RoundEntry& r : pool.rounds) {
    auto it = matchOf.find(r.idMatch);
    if (it != matchOf.end()) byRound.emplace(r.round, it->second);
  }

  std::vector<SwissStandLine> lines;
  for (size_t i : order) {
    const Contestant& c = pool.contestants[i];
    SwissStandLine line;
    line.idContestant = c.id;
    line.removed = c.poolPos < 0;
    line.cells = {"+",
                  place(i) < (1 << 30) ? Format("%d", place(i) + 1) : "",
                  SwissName(c, options.withClub),
                  c.klasse,
                  Format("%d", c.rating),
                  Format("%d", pool.Points(c)),
                  Format("%d", pool.Resistance(c)),
                  pool.SwissScoreText(c)};
    if (options.dudodeva) {
      DuoGamePoints g = pool.GamePoints(c, options.gameStop);
      line.cells.insert(line.cells.end(),
                        {Format("%d", g.total), Format("%d", g.matches), Format("%1.3f", g.average)});
    }
    lines.push_back(line);
    if (!expanded.count(c.id)) continue;

    for (int round = 1; round <= pool.maxRound; ++round) {
      SwissStandLine sub;
      sub.player = false;
      sub.idContestant = c.id;
      sub.removed = line.removed;
      sub.cells.assign(columns, "");
      const MatchEntry* match = nullptr;
      auto range = byRound.equal_range(round);
      for (auto it = range.first; it != range.second && !match; ++it)
        if (it->second->idContestant1 == c.id || it->second->idContestant2 == c.id) match = it->second;
      if (!match) {
        sub.cells[2] = Format(line.removed ? "%d Verwijderd" : "%d Bye", round);
        sub.cells[5] = line.removed ? "0" : "1";
      } else {
        bool first = match->idContestant1 == c.id;
        int other = first ? match->idContestant2 : match->idContestant1;
        const Contestant* opponent = FindContestant(pool.contestants, other);
        sub.idMatch = match->id;
        sub.cells[2] = Format("%d %s", round, opponent ? SwissName(*opponent, options.withClub).c_str() : "Niet gespeeld");
        // The strength column says what the round adds to "Weerstand": a
        // walkover was never played and adds nothing, so it shows its mark
        // instead; a retirement was played and counts, its mark beside.
        const std::string mark = DecisionMark(match->decision);
        if (match->decision == kDecisionWalkover)
          sub.cells[4] = mark;
        else if (opponent)
          sub.cells[4] = Format("%d", opponent->rating) + (mark.empty() ? "" : " " + mark);
        if (match->indexWinner >= 0) sub.cells[5] = (match->indexWinner == 0) == first ? "1" : "0";
      }
      lines.push_back(sub);
    }
  }
  return lines;
}

std::string SwissExportText(const std::vector<std::vector<std::string>>& rows) {
  std::string text;
  for (const std::vector<std::string>& row : rows) {
    for (size_t i = 0; i < row.size(); ++i) {
      if (i) text += ';';
      text += row[i];
    }
    text += '\n';
  }
  return text;
}

}  // namespace velgram
