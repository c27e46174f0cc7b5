#include "competition/swiss.h"

#include <algorithm>
#include <climits>
#include <cstdlib>

#include "competition/matchbook.h"
#include "competition/tables.h"
#include "store/database.h"
#include "support/clock.h"
#include "support/text.h"

namespace velgram {

namespace {

uint64_t PairKey(int a, int b) {
  if (a > b) std::swap(a, b);
  return (static_cast<uint64_t>(static_cast<uint32_t>(a)) << 32) | static_cast<uint32_t>(b);
}

// The row that ties a match to its round. Without it the match belongs to no
// round (byes and rematch checks go wrong), so a refused insert must fail the
// whole write instead of being committed with the match.
bool AddRoundRow(Database& db, int idPool, int round, int idMatch) {
  return db.Exec(nullptr, "INSERT INTO Rounds (idPool,round,idMatch) VALUES (%d,%d,%d)", idPool, round, idMatch) == 0;
}

}  // namespace

const PairingLimits kPairingAttempts[7] = {
    {1, false, 1}, {1, true, 2}, {2, true, 2}, {1, true, 3}, {2, true, 3}, {1, true, 4}, {2, true, 4},
};

void SortCards(std::vector<LCard>& cards) {
  std::stable_sort(cards.begin(), cards.end(), [](const LCard& a, const LCard& b) {
    if (a.points != b.points) return a.points > b.points;
    if (a.resistance != b.resistance) return a.resistance > b.resistance;
    if (a.rating != b.rating) return a.rating > b.rating;
    return a.byes < b.byes;
  });
}

int SwissBorderDistance(const std::string& setting, int positions) {
  // Read like atoi, but without overflow: surplus digits saturate.
  const char* p = setting.c_str();
  while (*p == ' ' || *p == '\t') ++p;
  bool negative = false;
  if (*p == '+' || *p == '-') negative = *p++ == '-';
  long long v = 0;
  while (*p >= '0' && *p <= '9' && v < INT_MAX) v = v * 10 + (*p++ - '0');
  v = std::min<long long>(v, INT_MAX);
  if (negative) v = -v;

  if (v == 0) return 5;
  if (v > 0) return static_cast<int>(v);
  if (positions <= 0) return 5;
  long long b = static_cast<long long>(positions) * -v / 100;
  if (b == 0) return 5;
  return static_cast<int>(std::min<long long>(b, INT_MAX));
}

LSwiss::LSwiss(const std::string&) {}

void LSwiss::SetData(std::vector<Contestant> contestantList, std::vector<MatchEntry> matchList,
                     std::vector<RoundEntry> roundList) {
  contestants = std::move(contestantList);
  matches = std::move(matchList);
  rounds = std::move(roundList);
  Recount();
}

void LSwiss::Recount() {
  maxRound = 0;
  for (const RoundEntry& r : rounds) maxRound = std::max(maxRound, r.round);

  std::unordered_map<int, int> ratingOf;
  ratingOf.reserve(contestants.size());
  for (const Contestant& c : contestants) ratingOf.emplace(c.id, c.rating);
  auto rating = [&](int id) {
    if (id < 0) return 0;
    auto it = ratingOf.find(id);
    return it == ratingOf.end() ? 0 : it->second;
  };

  tallies_.clear();
  std::unordered_map<int, const MatchEntry*> byId;
  byId.reserve(matches.size());
  for (const MatchEntry& m : matches) {
    byId.emplace(m.id, &m);
    Tally& t1 = tallies_[m.idContestant1];
    Tally& t2 = tallies_[m.idContestant2];
    ++t1.matches;
    ++t2.matches;
    // A walkover was never played: like a bye it gives the winner its point
    // but neither side an opponent's strength.
    if (m.decision != kDecisionWalkover) {
      t1.resistance += rating(m.idContestant2);
      t2.resistance += rating(m.idContestant1);
    } else {
      ++t1.walkovers;
      ++t2.walkovers;
    }
    if (m.indexWinner == 0) ++t1.wins;
    if (m.indexWinner == 1) ++t2.wins;
  }

  met_.clear();
  for (const RoundEntry& r : rounds) {
    auto it = byId.find(r.idMatch);
    if (it != byId.end()) met_.insert(PairKey(it->second->idContestant1, it->second->idContestant2));
  }
}

const LSwiss::Tally* LSwiss::TallyOf(int contestantId) const {
  if (contestantId == kNotPlayed) return nullptr;
  auto it = tallies_.find(contestantId);
  return it == tallies_.end() ? nullptr : &it->second;
}

int LSwiss::Wins(const Contestant& c) const {
  const Tally* t = TallyOf(c.id);
  return t ? t->wins : 0;
}

int LSwiss::Byes(const Contestant& c) const {
  if (c.id == kNotPlayed || c.poolPos < 0) return 0;
  const Tally* t = TallyOf(c.id);
  // More matches than rounds only happens in damaged data; never count a
  // negative number of byes.
  return std::max(0, maxRound - (t ? t->matches : 0));
}

int LSwiss::Points(const Contestant& c) const { return Wins(c) + Byes(c); }

int LSwiss::Resistance(const Contestant& c) const {
  const Tally* t = TallyOf(c.id);
  return t ? t->resistance : 0;
}

double LSwiss::SwissScore(const Contestant& c) const { return Points(c) + Resistance(c) / 100000.0; }

std::string LSwiss::SwissScoreText(const Contestant& c) const { return Format("%1.4f", SwissScore(c)); }

DuoGamePoints LSwiss::GamePoints(const Contestant& c, int gameStop) const {
  DuoGamePoints result;
  if (c.id == kNotPlayed) return result;
  for (const MatchEntry& m : matches) {
    if (m.idContestant1 == kNotPlayed || m.idContestant2 == kNotPlayed) continue;
    bool first = m.idContestant1 == c.id;
    if (!first && m.idContestant2 != c.id) continue;
    for (int g : m.games) {
      if (first)
        result.total += g > 0 ? gameStop : -1 - g;
      else
        result.total += g > 0 ? g - 1 : gameStop;
    }
    if (!m.games.empty()) ++result.matches;
  }
  if (result.matches > 0) result.average = static_cast<double>(result.total) / result.matches;
  return result;
}

void LSwiss::Standings(const std::vector<Contestant>& contestantList, const std::vector<MatchEntry>& matchList) {
  contestants = contestantList;
  matches = matchList;
  if (database_) database_->ListRounds(rounds, id);
  Recount();

  const size_t n = contestants.size();
  places.assign(n, -1);
  explanations.assign(n, "");

  std::vector<int> points(n);
  std::vector<int> values;
  for (size_t i = 0; i < n; ++i) {
    points[i] = Points(contestants[i]);
    values.push_back(points[i]);
  }
  std::sort(values.begin(), values.end(), std::greater<int>());
  values.erase(std::unique(values.begin(), values.end()), values.end());

  int next = 0;
  for (int w : values) {
    std::vector<size_t> group;
    for (size_t i = 0; i < n; ++i)
      if (points[i] == w) group.push_back(i);
    if (group.size() == 1) {
      places[group[0]] = next;
      explanations[group[0]] =
          Format(w == 1 ? "Enige speler met %d overwinning" : "Enige speler met %d overwinningen", w);
    } else if (group.size() > 1) {
      int k = static_cast<int>(group.size());
      std::string header =
          Format(w == 1 ? "%d spelers met %d overwinning voor plaats %d t/m %d"
                        : "%d spelers met %d overwinningen voor plaats %d t/m %d",
                 k, w, next + 1, next + k) +
          "\r\nWeerstand";
      std::stable_sort(group.begin(), group.end(), [&](size_t a, size_t b) {
        return Resistance(contestants[a]) > Resistance(contestants[b]);
      });
      for (int j = 0; j < k; ++j) {
        places[group[j]] = next + j;
        explanations[group[j]] = header;
      }
    }
    next += static_cast<int>(group.size());
  }
  for (size_t i = 0; i < n; ++i) {
    const Tally* t = TallyOf(contestants[i].id);
    if (!t || t->walkovers == 0) continue;
    explanations[i] += Format(t->walkovers == 1 ? "\r\n%d wedstrijd door w.o. beslist: telt zonder weerstand"
                                                : "\r\n%d wedstrijden door w.o. beslist: tellen zonder weerstand",
                              t->walkovers);
  }
}

bool LSwiss::HaveMet(int contestantA, int contestantB) const { return met_.count(PairKey(contestantA, contestantB)) > 0; }

void LSwiss::BuildCards() {
  cards.clear();
  for (const Contestant& c : contestants) {
    if (c.poolPos < 0) continue;
    int byes = c.id == kNotPlayed ? 0 : Byes(c);
    cards.emplace_back(c.id, Wins(c) + byes, Resistance(c), c.rating, byes);
  }
  SortCards(cards);
}

void LSwiss::ComputeGroups() {
  groupStarts.clear();
  if (cards.empty()) return;
  groupStarts.push_back(0);
  for (size_t i = 1; i < cards.size(); ++i)
    if (cards[i].points < cards[i - 1].points) groupStarts.push_back(static_cast<int>(i));
}

bool LSwiss::SearchPairing() {
  const int n = static_cast<int>(cards.size());
  int i = 0;
  while (i < n && cards[i].partner != kCardUnpaired) ++i;
  if (i == n) return true;

  // An index, not an iterator: deeper levels replace groupStarts.
  const size_t gi = static_cast<size_t>(std::upper_bound(groupStarts.begin(), groupStarts.end(), i) - groupStarts.begin());
  const bool lastGroup = gi == groupStarts.size();
  const int end = lastGroup ? n : groupStarts[gi];
  // Beyond the group nothing is tried, so a huge border needs no overflow.
  const int b = std::min(border, n);

  auto tryPartner = [&](int j) {
    if (cards[j].partner != kCardUnpaired || HaveMet(cards[i].contestantId, cards[j].contestantId)) return false;
    cards[i].partner = cards[j].contestantId;
    cards[j].partner = cards[i].contestantId;
    if (SearchPairing()) return true;
    cards[i].partner = kCardUnpaired;
    cards[j].partner = kCardUnpaired;
    return false;
  };
  for (int j = i + b; j < end; ++j)
    if (tryPartner(j)) return true;
  for (int j = std::min(i + b - 1, end - 1); j > i; --j)
    if (tryPartner(j)) return true;

  if (lastGroup) {
    int byesThisRound = static_cast<int>(
        std::count_if(cards.begin(), cards.end(), [](const LCard& c) { return c.partner == kCardBye; }));
    if (cards[i].byes < maxByesPerPlayer && (allowEvenBye || n % 2 == 1) && byesThisRound < maxByesPerRound) {
      cards[i].partner = kCardBye;
      if (SearchPairing()) return true;
      cards[i].partner = kCardUnpaired;
    }
    return false;
  }

  // Let the first card of the next group join this one and try again.
  std::vector<int> saved = groupStarts;
  ++groupStarts[gi];
  if (groupStarts[gi] == n)
    groupStarts.erase(groupStarts.begin() + static_cast<std::ptrdiff_t>(gi));
  else if (gi + 1 < groupStarts.size() && groupStarts[gi] == groupStarts[gi + 1])
    groupStarts.erase(groupStarts.begin() + static_cast<std::ptrdiff_t>(gi));
  bool ok = SearchPairing();
  groupStarts = std::move(saved);
  return ok;
}

bool LSwiss::PairCards() {
  BuildCards();
  for (const PairingLimits& limits : kPairingAttempts) {
    for (LCard& c : cards) c.partner = kCardUnpaired;
    maxByesPerPlayer = limits.maxByesPerPlayer;
    allowEvenBye = limits.allowEvenBye;
    maxByesPerRound = limits.maxByesPerRound;
    ComputeGroups();
    if (SearchPairing()) return true;
  }
  for (LCard& c : cards) c.partner = kCardUnpaired;
  return false;
}

RoundOutcome LSwiss::WriteNextRound(Database& db, Clock& clock, PairingReviewer* reviewer) {
  // A round cannot be put on tables that are no longer there; refuse before
  // anything is asked or written.
  if (tables.empty()) return RoundOutcome::kNoTables;
  border = SwissBorderDistance(db.GetSetting("SwissBorder"), static_cast<int>(contestants.size()));
  // A "round" of byes alone has nobody playing: it is no pairing, and
  // writing it would only hand out points and NotPlayed matches.
  auto anyPair = [](const std::vector<LCard>& list) {
    return std::any_of(list.begin(), list.end(), [](const LCard& c) { return c.partner >= 0; });
  };
  if (!PairCards() || !anyPair(cards)) return RoundOutcome::kNoPairing;

  if (maxRound >= 1 && reviewer) {
    std::vector<LCard> reviewed = reviewer->Review(cards, matches);
    if (anyPair(reviewed)) cards = std::move(reviewed);
  }

  const int round = maxRound + 1;
  int pairs = 0;
  for (const LCard& card : cards)
    if (card.partner >= 0) ++pairs;
  pairs /= 2;
  DateTime now = clock.NowLocal();
  std::vector<TableTime> slots =
      RoundRobinWaves(tables, now.hour * 100 + now.minute, static_cast<int>(contestants.size()), pairs);
  size_t next = 0;

  std::unordered_map<int, size_t> cardOf;
  for (size_t i = 0; i < cards.size(); ++i) cardOf.emplace(cards[i].contestantId, i);

  Transaction tx(db);
  for (LCard& card : cards) {
    if (card.partner < 0) continue;
    int partner = card.partner;
    TableTime slot = next < slots.size() ? slots[next] : TableTime{tables.front(), now.hour * 100 + now.minute};
    ++next;
    int idMatch = db.AddMatch(id, card.contestantId, partner, slot.tafel, slot.starttime);
    if (idMatch < 0 || !AddRoundRow(db, id, round, idMatch)) return RoundOutcome::kStoreFailed;
    card.partner = kCardWritten;
    auto it = cardOf.find(partner);
    if (it != cardOf.end()) cards[it->second].partner = kCardWritten;
  }
  for (const Contestant& c : contestants) {
    if (c.poolPos >= 0) continue;
    int idMatch = db.AddMatch(id, c.id, kNotPlayed, 0, 0);
    if (idMatch < 0 || !AddRoundRow(db, id, round, idMatch)) return RoundOutcome::kStoreFailed;
  }
  return tx.Commit() ? RoundOutcome::kWritten : RoundOutcome::kStoreFailed;
}

void LSwiss::Load(Database& db) {
  std::vector<Contestant> list;
  LoadContestants(db, id, list, true);

  std::vector<MatchRecord> matchRows;
  db.ListMatches(id, matchRows);
  db.ReadResults(matchRows);
  std::vector<MatchEntry> matchList;
  for (const MatchRecord& m : matchRows) matchList.push_back(MatchEntry::FromRecord(m));

  std::vector<RoundEntry> roundList;
  db.ListRounds(roundList, id);
  SetData(std::move(list), std::move(matchList), std::move(roundList));
}

RoundOutcome LSwiss::CalculateNextRound(Database& db, Clock& clock, PairingReviewer* reviewer) {
  // A failed read looks like a pool without rounds or results; pairing on it
  // would write a wrong round as if all were well.
  const int failures = db.FailedStatements();
  Load(db);
  if (db.FailedStatements() != failures) return RoundOutcome::kStoreFailed;
  return WriteNextRound(db, clock, reviewer);
}

bool DeleteSwissRound(Database& db, int idPool, int round) { return db.DeleteRound(idPool, round); }

void AddMissedRounds(Database& db, int idPool, int idContestant) {
  int current = db.MaxRound(idPool);
  if (current <= 0) return;
  Transaction tx(db);
  for (int round = 1; round <= current; ++round) {
    int idMatch = db.AddMatch(idPool, idContestant, kNotPlayed, 1, 900);
    if (idMatch < 0 || !AddRoundRow(db, idPool, round, idMatch)) return;
    // Lost 0-11 three times, so that game and point counts see the round too.
    db.RecordResult(idMatch, 1, {-1, -1, -1}, true);
  }
  tx.Commit();
}

}  // namespace velgram
