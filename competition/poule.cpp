#include "competition/poule.h"

#include <algorithm>
#include <cstdint>
#include <map>
#include <sstream>

#include "competition/matchbook.h"
#include "competition/tables.h"
#include "store/database.h"
#include "support/prompt.h"
#include "support/text.h"

namespace velgram {

// --- pairing tables ------------------------------------------------------------

namespace {

// Rounds separated by '/', pairings "first-second" in playing order.
const char* const kPairingText[kMaxPouleSize + 1] = {
    "",
    "",
    "1-2",
    "2-3 / 1-3 / 1-2",
    "1-4 2-3 / 1-3 2-4 / 1-2 3-4",
    "2-5 3-4 / 1-5 2-4 / 1-4 2-3 / 1-3 4-5 / 1-2 3-5",
    "1-6 2-5 3-4 / 1-5 2-4 3-6 / 1-4 2-3 5-6 / 1-3 2-6 4-5 / 1-2 3-5 4-6",
    "2-7 3-6 4-5 / 1-7 3-5 4-6 / 2-5 1-6 4-7 / 1-5 2-6 3-7 / 1-4 6-7 2-3 / 5-7 2-4 1-3 / 5-6 3-4 1-2",
    "1-8 2-7 3-6 4-5 / 1-7 2-6 3-5 4-8 / 1-6 2-5 3-8 4-7 / 1-5 2-8 3-7 4-6 / 5-8 6-7 2-3 1-4 / 6-8 5-7 2-4 1-3 / "
    "7-8 5-6 3-4 1-2",
    "2-9 3-8 4-7 5-6 / 1-9 2-8 3-7 4-6 / 1-8 2-7 3-6 4-5 / 1-7 2-6 3-5 8-9 / 1-6 2-5 4-9 7-8 / 1-5 3-9 4-8 6-7 / "
    "5-9 6-8 1-4 2-3 / 5-8 7-9 1-3 2-4 / 6-9 5-7 3-4 1-2",
    "1-10 2-9 3-8 4-7 5-6 / 1-9 2-8 3-7 4-6 5-10 / 1-8 2-7 3-6 4-5 9-10 / 1-7 2-6 3-5 4-10 8-9 / "
    "1-6 2-5 3-10 4-9 7-8 / 1-5 2-10 3-9 4-8 6-7 / 1-4 2-3 5-9 6-8 7-10 / 1-3 2-4 5-8 6-10 7-9 / "
    "1-2 3-4 5-7 6-9 8-10",
    "2-11 3-10 4-9 5-8 6-7 / 1-11 2-10 3-9 4-8 5-7 / 1-10 2-9 3-8 4-7 5-6 / 1-9 2-8 3-7 4-6 5-11 / "
    "1-8 2-7 3-6 4-5 10-11 / 1-7 2-6 3-5 4-11 9-10 / 1-6 2-5 3-4 9-11 8-10 / 1-5 2-4 6-11 7-10 8-9 / "
    "1-4 2-3 6-10 7-9 8-11 / 1-3 4-10 5-9 6-8 7-11 / 1-2 3-11 5-10 6-9 7-8",
};

std::vector<std::pair<int, int>> ParsePairings(const char* text) {
  std::vector<std::pair<int, int>> out;
  std::istringstream in(text);
  std::string word;
  while (in >> word) {
    size_t dash = word.find('-');
    if (dash == std::string::npos) continue;  // the round separator
    out.emplace_back(std::stoi(word.substr(0, dash)), std::stoi(word.substr(dash + 1)));
  }
  return out;
}

}  // namespace

const std::vector<std::pair<int, int>>& PairingTable(int n) {
  static const std::vector<std::vector<std::pair<int, int>>> tables = [] {
    std::vector<std::vector<std::pair<int, int>>> t;
    for (int size = 0; size <= kMaxPouleSize; ++size) t.push_back(ParsePairings(kPairingText[size]));
    return t;
  }();
  static const std::vector<std::pair<int, int>> none;
  if (n < 0 || n > kMaxPouleSize) return none;
  return tables[n];
}

// --- club separation --------------------------------------------------------------

namespace {

// One line of the separation table: the club sizes it asks for and where the
// members go. second is 0, or 2 (P) or 3 (T) for a second club; withQ asks for
// a third club of two.
struct SeparationCase {
  int size;
  int k;
  int second;
  bool withQ;
  const char* numbers;
};

const SeparationCase kCases[] = {
    {5, 4, 0, false, "O1 K1 K2 K3 K4"},
    {5, 3, 0, false, "O1 K1 K2 K3 O2"},
    {5, 2, 2, false, "O1 K1 P1 P2 K2"},
    {5, 2, 0, false, "O1 K1 O3 O2 K2"},
    {6, 5, 0, false, "K1 K2 K3 K4 K5 O1"},
    {6, 4, 0, false, "K1 O1 K2 K3 K4 O2"},
    {6, 3, 2, false, "K1 O1 P1 P2 K2 K3"},
    {6, 3, 0, false, "K1 O1 O2 O3 K2 K3"},
    {6, 2, 2, false, "O1 K1 P1 P2 K2 O2"},
    {6, 2, 0, false, "O1 K1 O2 O3 K2 O4"},
    {7, 6, 0, false, "O1 K1 K2 K3 K4 K5 K6"},
    {7, 5, 0, false, "K1 K2 K3 O1 O2 K4 K5"},
    {7, 4, 2, false, "O1 K1 K2 P1 P2 K3 K4"},
    {7, 4, 0, false, "O1 K1 K2 O2 O3 K3 K4"},
    {7, 3, 2, false, "K1 O1 P1 K2 K3 P2 O2"},
    {7, 3, 0, false, "K1 O1 O2 K2 K3 O3 O4"},
    {7, 2, 2, true, "O1 K1 P1 Q1 Q2 P2 K2"},
    {7, 2, 2, false, "O1 K1 P1 O2 O3 P2 K2"},
    {7, 2, 0, false, "O1 K1 O2 O3 O4 O5 K2"},
    {8, 7, 0, false, "K1 K2 K3 K4 K5 K6 O1 K7"},
    {8, 6, 0, false, "K1 O1 K2 K3 K4 K5 O2 K6"},
    {8, 5, 2, false, "K1 O1 P1 K2 K3 P2 K4 K5"},
    {8, 5, 0, false, "K1 O1 O2 K2 K3 O3 K4 K5"},
    {8, 4, 3, false, "K1 T1 T2 K2 K3 T3 O1 K4"},
    {8, 4, 2, false, "K1 O1 P1 K2 K3 P2 O2 K4"},
    {8, 4, 0, false, "K1 O1 O2 K2 K3 O3 O4 K4"},
    {8, 3, 3, false, "K1 T1 T2 K2 K3 T3 O1 O2"},
    {8, 3, 2, false, "K1 O1 P1 K2 K3 P2 O2 O3"},
    {8, 3, 0, false, "K1 O1 O2 K2 K3 O3 O4 O5"},
    {8, 2, 2, true, "K1 P1 O1 Q1 Q2 O2 P2 K2"},
    {8, 2, 2, false, "K1 P1 O1 O2 O3 O4 P2 K2"},
    {8, 2, 0, false, "K1 O1 O2 O3 O4 O5 O6 K2"},
    {9, 8, 0, false, "O1 K1 K2 K3 K4 K5 K6 K7 K8"},
    {9, 7, 0, false, "O1 K1 K2 K3 K4 K5 K6 K7 O2"},
    {9, 6, 0, false, "O1 O2 K2 K3 K4 K5 K6 K1 O3"},
    {9, 5, 0, false, "O1 O2 K1 K2 K3 K4 K5 O3 O4"},
    {9, 4, 0, false, "O1 O2 O3 K1 K2 K3 K4 O4 O5"},
    {9, 3, 0, false, "O1 O2 O3 K1 K2 K3 O4 O5 O6"},
    {9, 2, 0, false, "O1 K1 O2 O3 O4 O5 O6 O7 K2"},
    {10, 9, 0, false, "O1 K1 K2 K3 K4 K5 K6 K7 K8 K9"},
    {10, 8, 0, false, "O1 K1 K2 K3 K4 K5 K6 K7 K8 O2"},
    {10, 7, 0, false, "O1 O2 K1 K2 K3 K4 K5 K6 K7 O3"},
    {10, 6, 0, false, "O1 O2 K1 K2 K3 K4 K5 K6 O3 O4"},
    {10, 5, 0, false, "K1 O1 O2 K2 K3 O3 O4 O5 K4 K5"},
    {10, 4, 0, false, "K1 O1 O2 K2 K3 O3 O4 O5 O6 K4"},
    {10, 3, 0, false, "K1 O1 O2 O3 O4 O5 O6 O7 K2 K3"},
    {10, 2, 0, false, "K1 O1 O2 O3 O4 O5 O6 O7 O8 K2"},
    {11, 10, 0, false, "O1 K1 K2 K3 K4 K5 K6 K7 K8 K9 K10"},
    {11, 9, 0, false, "O1 K1 K2 K3 K4 O2 K5 K6 K7 K8 K9"},
    {11, 8, 0, false, "O1 K1 K2 K3 K4 O2 K5 K6 K7 K8 O3"},
    {11, 7, 0, false, "O1 K1 K2 K3 K4 O2 K5 K6 K7 O4 O3"},
    {11, 6, 0, false, "O1 K1 K2 K3 K4 O2 K5 K6 O5 O4 O3"},
    {11, 5, 0, false, "O1 O2 K1 K2 K3 K4 K5 O3 O4 O5 O6"},
    {11, 4, 0, false, "O1 O2 O3 K1 K2 K3 K4 O4 O5 O6 O7"},
    {11, 3, 0, false, "O1 O2 O3 O4 K1 K2 K3 O5 O6 O7 O8"},
    {11, 2, 0, false, "O1 O2 O3 O4 O5 K1 K2 O6 O7 O8 O9"},
};

}  // namespace

std::vector<int> SeparateClubs(const std::vector<std::string>& clubs, const std::vector<int>& ratings) {
  const int n = static_cast<int>(clubs.size());
  std::vector<int> order(n);
  for (int i = 0; i < n; ++i) order[i] = i;
  if (n <= 2 || static_cast<int>(ratings.size()) != n) return order;

  auto byRating = [&](std::vector<int>& list) {
    std::stable_sort(list.begin(), list.end(), [&](int a, int b) { return ratings[a] > ratings[b]; });
  };
  // Clubs in order of first appearance with their number of positions.
  std::vector<std::pair<std::string, int>> counts;
  for (const std::string& club : clubs) {
    auto it = std::find_if(counts.begin(), counts.end(), [&](const auto& c) { return c.first == club; });
    if (it == counts.end()) {
      counts.emplace_back(club, 1);
    } else {
      ++it->second;
    }
  }
  auto membersOf = [&](const std::string& club) {
    std::vector<int> members;
    for (int i = 0; i < n; ++i)
      if (clubs[i] == club) members.push_back(i);
    byRating(members);
    return members;
  };
  auto others = [&](const std::vector<const std::string*>& taken) {
    std::vector<int> rest;
    for (int i = 0; i < n; ++i) {
      bool in = false;
      for (const std::string* club : taken) in = in || clubs[i] == *club;
      if (!in) rest.push_back(i);
    }
    byRating(rest);
    return rest;
  };

  if (n == 3) {
    for (const auto& [club, count] : counts) {
      if (count != 2) continue;
      std::vector<int> k = membersOf(club);
      std::vector<int> rest = others({&club});
      return {rest[0], k[0], k[1]};
    }
    byRating(order);
    return order;
  }

  int largest = 0;
  for (const auto& c : counts) largest = std::max(largest, c.second);
  if (largest < 2 || largest == n) {
    byRating(order);
    return order;
  }

  if (n == 4) {
    for (const auto& [club, count] : counts) {
      if (count < 2) continue;
      std::vector<int> result = membersOf(club);
      for (int i : others({&club})) result.push_back(i);
      std::swap(result[1], result[3]);
      return result;
    }
  }

  auto firstWithCount = [&](int count, const std::vector<const std::string*>& except) -> const std::string* {
    for (const auto& c : counts) {
      if (c.second != count) continue;
      bool excluded = false;
      for (const std::string* e : except) excluded = excluded || *e == c.first;
      if (!excluded) return &c.first;
    }
    return nullptr;
  };

  for (const SeparationCase& sc : kCases) {
    if (sc.size != n) continue;
    const std::string* k = firstWithCount(sc.k, {});
    if (!k) continue;
    const std::string* second = nullptr;
    if (sc.second) {
      second = firstWithCount(sc.second, {k});
      if (!second) continue;
    }
    const std::string* q = nullptr;
    if (sc.withQ) {
      q = firstWithCount(2, {k, second});
      if (!q) continue;
    }
    std::map<char, std::vector<int>> groups;
    groups['K'] = membersOf(*k);
    std::vector<const std::string*> taken = {k};
    if (second) {
      groups[sc.second == 3 ? 'T' : 'P'] = membersOf(*second);
      taken.push_back(second);
    }
    if (q) {
      groups['Q'] = membersOf(*q);
      taken.push_back(q);
    }
    groups['O'] = others(taken);
    std::vector<int> result;
    std::istringstream in(sc.numbers);
    std::string token;
    while (in >> token) {
      const std::vector<int>& g = groups[token[0]];
      size_t index = static_cast<size_t>(std::stoi(token.substr(1)) - 1);
      if (index >= g.size()) break;
      result.push_back(g[index]);
    }
    if (static_cast<int>(result.size()) == n) return result;
  }
  byRating(order);
  return order;
}

// --- start --------------------------------------------------------------------

bool ConfirmPoolStart(Database& db, Prompter& prompter, StartWarning* warning) {
  if (db.GetSetting("PouleActivateWarning") == "No") return true;
  if (!warning) {
    return prompter.Confirm("Het starten kan niet ongedaan gemaakt worden.\r\nDe spelers worden hiermee definitief.");
  }
  bool dontShowAgain = false;
  if (!warning->Ask(dontShowAgain)) return false;
  if (dontShowAgain) db.SetSetting("PouleActivateWarning", "No");
  return true;
}

StartOutcome StartPoule(Database& db, Prompter& prompter, int idPool, StartWarning* warning) {
  if (!ConfirmPoolStart(db, prompter, warning)) return StartOutcome::kCancelled;
  // A read that failed looks like a smaller pool or players without a club;
  // a schedule drawn from it would be stored as if all were well.
  const int failures = db.FailedStatements();
  std::unique_ptr<LPool> pool = LoadPool(db, idPool);
  if (!pool || pool->Playstyle() != kPlaystylePoule) return StartOutcome::kRefused;
  std::vector<Contestant> positions;
  LoadContestants(db, idPool, positions, true);
  if (db.FailedStatements() != failures) {
    prompter.Alert("De poule kon niet gestart worden.");
    return StartOutcome::kRefused;
  }
  const int n = static_cast<int>(positions.size());
  if (n < kMinPouleSize) {
    prompter.Alert("Een poule moet minstens twee spelers hebben.");
    return StartOutcome::kRefused;
  }
  if (n > kMaxPouleSize) {
    prompter.Alert("Een poule mag maximaal elf spelers hebben.");
    return StartOutcome::kRefused;
  }
  if (pool->tables.empty()) {
    prompter.Alert("Er zijn geen tafels voor de wedstrijden.");
    return StartOutcome::kRefused;
  }

  std::vector<std::string> clubs;
  std::vector<int> ratings;
  for (const Contestant& c : positions) {
    clubs.push_back(c.club);
    ratings.push_back(c.rating);
  }
  std::vector<int> order = SeparateClubs(clubs, ratings);

  Transaction tx(db);
  db.DeleteMatchesOfPool(idPool);
  std::vector<ContestantRecord> rows;
  std::vector<int> ids;
  for (int i = 0; i < n; ++i) {
    ContestantRecord r = positions[order[i]].ToRecord();
    r.sort = i + 1;
    // A link's poolPos is the place it takes from the earlier pool; its
    // number here is its sort. It stays a link so that it keeps pointing at
    // that place.
    if (r.linktype != kLinkPlace) r.poolPos = i + 1;
    rows.push_back(r);
    ids.push_back(r.id);
  }
  db.ReplaceContestants(idPool, rows);
  const auto& pairings = PairingTable(n);
  std::vector<TableTime> slots =
      RoundRobinWaves(pool->tables, pool->starttime, n, static_cast<int>(pairings.size()));
  bool written = true;
  for (size_t m = 0; m < pairings.size() && written; ++m) {
    written = db.AddMatch(idPool, ids[pairings[m].first - 1], ids[pairings[m].second - 1], slots[m].tafel,
                          slots[m].starttime) > 0;
  }
  // A half-written schedule is worse than none: everything or nothing.
  if (!written || !tx.Commit()) {
    prompter.Alert("De poule kon niet gestart worden.");
    return StartOutcome::kRefused;
  }
  return StartOutcome::kStarted;
}

// --- standings -------------------------------------------------------------------

namespace {

// Won and lost games or points, compared as exact fractions. A member that
// lost nothing but won something ranks above every quotient; one without any
// games ranks below every quotient, a quotient of 0 included.
struct Quotient {
  int64_t won = 0, lost = 0;
  int Category() const { return won > 0 && lost == 0 ? 3 : lost > 0 && won > 0 ? 2 : lost > 0 ? 1 : 0; }
  bool Defined() const { return lost > 0; }
};

bool SameQuotient(const Quotient& a, const Quotient& b) {
  if (a.Category() != b.Category()) return false;
  if (a.Category() != 2) return true;
  return a.won * b.lost == b.won * a.lost;
}

bool HigherQuotient(const Quotient& a, const Quotient& b) {
  if (a.Category() != b.Category()) return a.Category() > b.Category();
  if (a.Category() != 2) return false;
  return a.won * b.lost > b.won * a.lost;
}

class Ranker {
 public:
  Ranker(const std::vector<Contestant>& contestants, const std::vector<MatchEntry>& matches, bool gameCodes,
         std::vector<int>& places, std::vector<std::string>& explanations)
      : n_(static_cast<int>(contestants.size())), places_(places), explanations_(explanations) {
    std::map<int, int> index;
    for (int i = 0; i < n_; ++i) index.emplace(contestants[i].id, i);
    for (const MatchEntry& m : matches) {
      Played p;
      auto a = index.find(m.idContestant1), b = index.find(m.idContestant2);
      p.first = a == index.end() ? -1 : a->second;
      p.second = b == index.end() ? -1 : b->second;
      p.winner = m.indexWinner == 0 ? p.first : p.second;
      if (gameCodes) p.games = m.games;
      if (m.decision == kDecisionWalkover) {
        for (int side : {p.first, p.second})
          if (side >= 0) ++walkovers_[side];
      }
      played_.push_back(std::move(p));
    }
  }

  void Run() {
    std::vector<int> wins(n_, 0);
    for (const Played& p : played_)
      if (p.winner >= 0) ++wins[p.winner];
    int place = 0;
    for (int w : DistinctDescending(wins)) {
      std::vector<int> group;
      for (int i = 0; i < n_; ++i)
        if (wins[i] == w) group.push_back(i);
      if (group.size() == 1) {
        Place(group[0], place, w == 1 ? Format("Enige speler met %d overwinning", w)
                                      : Format("Enige speler met %d overwinningen", w));
        ++place;
      } else {
        std::string heading =
            Format(w == 1 ? "%d spelers met %d overwinning voor plaats %d t/m %d"
                          : "%d spelers met %d overwinningen voor plaats %d t/m %d",
                   static_cast<int>(group.size()), w, place + 1, place + static_cast<int>(group.size()));
        MutualWins(group, heading + "\r\n", place);
        place += static_cast<int>(group.size());
      }
    }
    // A walkover is a won match without games: the director must see why
    // the quotients of such a player count fewer games than its matches.
    for (const auto& [member, count] : walkovers_)
      explanations_[member] +=
          Format(count == 1 ? "\r\n%d wedstrijd door w.o. beslist: telt zonder games en punten"
                            : "\r\n%d wedstrijden door w.o. beslist: tellen zonder games en punten",
                 count);
  }

 private:
  struct Played {
    int first = -1, second = -1, winner = -1;
    std::vector<int> games;
  };

  static std::vector<int> DistinctDescending(std::vector<int> values) {
    std::sort(values.begin(), values.end(), std::greater<int>());
    values.erase(std::unique(values.begin(), values.end()), values.end());
    return values;
  }

  static bool In(const std::vector<int>& group, int i) { return std::find(group.begin(), group.end(), i) != group.end(); }

  void Place(int member, int place, const std::string& text) {
    places_[member] = place;
    explanations_[member] = text;
  }

  // Level 1: wins against the other members of the group.
  void MutualWins(const std::vector<int>& group, const std::string& text, int place) {
    std::map<int, int> mutual;
    for (int i : group) mutual[i] = 0;
    for (const Played& p : played_)
      if (In(group, p.first) && In(group, p.second) && p.winner >= 0) ++mutual[p.winner];
    std::vector<int> values;
    for (int i : group) values.push_back(mutual[i]);
    for (int m : DistinctDescending(values)) {
      std::vector<int> sub;
      for (int i : group)
        if (mutual[i] == m) sub.push_back(i);
      if (sub.size() == 1) {
        Place(sub[0], place,
              text + Format(m == 1 ? "Enige speler met %d overwinning in onderling resultaat"
                                   : "Enige speler met %d overwinningen in onderling resultaat",
                            m));
      } else {
        QuotientLevel(sub, text, place, 2);
      }
      place += static_cast<int>(sub.size());
    }
  }

  Quotient Count(const std::vector<int>& group, int member, bool points) const {
    Quotient q;
    for (const Played& p : played_) {
      if (!In(group, p.first) || !In(group, p.second)) continue;
      if (p.first != member && p.second != member) continue;
      for (int code : p.games) {
        if (code == 0) continue;
        bool firstWon = code > 0;
        bool memberWon = firstWon == (p.first == member);
        int64_t won = 1, lost = 1;
        if (points) {
          int loser = (code > 0 ? code : -code) - 1;
          int winner = loser <= 9 ? 11 : loser + 2;
          won = memberWon ? winner : loser;
          lost = memberWon ? loser : winner;
          q.won += won;
          q.lost += lost;
        } else {
          (memberWon ? q.won : q.lost) += 1;
        }
      }
    }
    return q;
  }

  static std::string Sentence(const Quotient& q, bool points) {
    std::string s = Format(points ? "%d punten gewonnen en %d punten verloren" : "%d games gewonnen en %d games verloren",
                           static_cast<int>(q.won), static_cast<int>(q.lost));
    if (!q.Defined()) return s + ", geen quotient";
    double value = static_cast<double>(q.won) / static_cast<double>(q.lost);
    return s + Format(points ? ", quotient=%1.5f" : ", quotient=%1.2f", value);
  }

  // Levels 2 to 5: game, point, game and point quotient over the matches
  // within the group; a group still wholly tied after level 5 is placed in
  // pool order ("Het lot").
  void QuotientLevel(const std::vector<int>& group, const std::string& text, int place, int level) {
    static const char* const kHeadings[] = {"", "", "Onderling resultaat in sets gelijk", "Game quotient gelijk",
                                            "Punten quotient gelijk", "Game quotient gelijk"};
    const bool points = level == 3 || level == 5;
    const std::string levelText = text + kHeadings[level] + "\r\n";
    std::vector<Quotient> q;
    for (int i : group) q.push_back(Count(group, i, points));
    std::vector<size_t> handled(group.size(), 0);
    size_t done = 0;
    while (done < group.size()) {
      // The highest quotient among the members not yet placed.
      size_t best = group.size();
      for (size_t k = 0; k < group.size(); ++k)
        if (!handled[k] && (best == group.size() || HigherQuotient(q[k], q[best]))) best = k;
      std::vector<int> sub;
      for (size_t k = 0; k < group.size(); ++k) {
        if (!handled[k] && SameQuotient(q[k], q[best])) {
          sub.push_back(group[k]);
          handled[k] = 1;
        }
      }
      done += sub.size();
      if (sub.size() == 1) {
        Place(sub[0], place, levelText + Sentence(q[best], points));
      } else if (sub.size() < group.size()) {
        MutualWins(sub, levelText + Sentence(q[best], points) + "\r\n", place);
      } else if (level < 5) {
        QuotientLevel(group, levelText, place, level + 1);
      } else {
        for (size_t k = 0; k < group.size(); ++k) Place(group[k], place + static_cast<int>(k), levelText + "Het lot");
      }
      place += static_cast<int>(sub.size());
    }
  }

  int n_;
  std::vector<Played> played_;
  std::map<int, int> walkovers_;  // matches decided by a walkover, per member
  std::vector<int>& places_;
  std::vector<std::string>& explanations_;
};

}  // namespace

void LPoule::Standings(const std::vector<Contestant>& contestants, const std::vector<MatchEntry>& matches) {
  places.assign(contestants.size(), -1);
  explanations.assign(contestants.size(), "");
  // A pool that has not started has no matches, and no standings yet either:
  // otherwise links to it would take players in list order.
  if (matches.empty()) return;
  for (const MatchEntry& m : matches)
    if (m.indexWinner < 0) return;
  Ranker(contestants, matches, gameCodes, places, explanations).Run();
}

PouleCrossTable CrossTableOf(const std::vector<Contestant>& positions, const std::vector<MatchEntry>& matches) {
  const size_t n = positions.size();
  PouleCrossTable t;
  t.cells.assign(n, std::vector<std::string>(n));
  t.wins.assign(n, 0);
  std::map<int, size_t> indexOf;  // contestant id -> list index
  for (size_t i = 0; i < n; ++i) indexOf[positions[i].id] = i;
  for (const MatchEntry& m : matches) {
    if (m.indexWinner < 0) continue;
    auto a = indexOf.find(m.idContestant1), b = indexOf.find(m.idContestant2);
    if (a == indexOf.end() || b == indexOf.end()) continue;
    const size_t winner = m.indexWinner == 0 ? a->second : b->second;
    const size_t loser = m.indexWinner == 0 ? b->second : a->second;
    t.cells[winner][loser] = "1";
    t.cells[loser][winner] = "0";
    ++t.wins[winner];
  }
  return t;
}

}  // namespace velgram
