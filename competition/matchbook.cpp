#include "competition/matchbook.h"

#include "competition/dropout.h"
#include "competition/swiss.h"

#include <algorithm>

#include "competition/match_rules.h"
#include "competition/poule.h"
#include "competition/tables.h"
#include "store/database.h"
#include "support/text.h"

namespace velgram {

struct LinkResolver::PoolData {
  bool read = false;
  std::unique_ptr<LPool> pool;
  bool rowsRead = false;  // rows holds the pool's positions as stored
  std::vector<ContestantRecord> rows;
  bool contestantsDone = false;
  std::vector<Contestant> contestants;
  bool matchesRead = false;
  std::vector<MatchEntry> matches;
  bool ranked = false;
  bool classesDone = false;
  std::vector<std::string> classes;
};

LinkResolver::LinkResolver(Database& db, int idToernooi) : db_(db), idToernooi_(idToernooi) {}
LinkResolver::~LinkResolver() = default;

void LinkResolver::Clear() {
  pools_.clear();
  resolving_.clear();
  playersRead_ = duosRead_ = false;
  players_.clear();
  duos_.clear();
  // Matches read for the whole tournament are as stale as the rest.
  allMatches_ = false;
  matchesByPool_.clear();
  toernooiClasses_.clear();
  classSystem_.clear();
}

LinkResolver::PoolData* LinkResolver::Load(int idPool) {
  std::unique_ptr<PoolData>& slot = pools_[idPool];
  if (!slot) slot = std::make_unique<PoolData>();
  if (!slot->read) {
    slot->read = true;
    slot->pool = LoadPool(db_, idPool);
  }
  return slot.get();
}

LPool* LinkResolver::Pool(int idPool) { return Load(idPool)->pool.get(); }

const std::vector<ContestantRecord>& LinkResolver::Rows(int idPool) {
  PoolData* data = Load(idPool);
  if (!data->rowsRead) {
    data->rowsRead = true;
    db_.ListContestants(idPool, data->rows);
  }
  return data->rows;
}

void LinkResolver::ReadPlayersOf(const std::vector<ContestantRecord>& rows) {
  if (playersRead_ || idToernooi_ <= 0) return;
  std::vector<int> ids;
  for (const ContestantRecord& r : rows)
    if (r.linktype == kLinkPlayer && !players_.count(r.idPlayer)) ids.push_back(r.idPlayer);
  if (ids.empty()) return;
  std::vector<PlayerRecord> list;
  db_.ListPlayersById(idToernooi_, ids, list);
  for (PlayerRecord& p : list) players_.emplace(p.id, std::move(p));
}

void LinkResolver::ReadAllPlayers() {
  if (playersRead_ || idToernooi_ <= 0) return;
  playersRead_ = true;
  std::vector<PlayerRecord> list;
  db_.ListPlayers(list, idToernooi_);
  for (PlayerRecord& p : list) players_.emplace(p.id, std::move(p));
}

void LinkResolver::ReadToernooi() {
  if (idToernooi_ <= 0) return;
  std::vector<PoolRecord> pools;
  db_.ListPoolsOfToernooi(idToernooi_, pools);
  for (PoolRecord& row : pools) {
    std::unique_ptr<PoolData>& slot = pools_[row.id];
    if (!slot) slot = std::make_unique<PoolData>();
    slot->read = true;
    // Naming and ranking positions never looks at the tables.
    row.tables.clear();
    slot->pool = MakeStoredPool(db_, row);
    slot->rowsRead = true;
    slot->rows.clear();
  }
  std::vector<ContestantRecord> rows;
  db_.ListContestantsOfToernooi(idToernooi_, rows);
  for (ContestantRecord& r : rows) {
    auto it = pools_.find(r.idPool);
    if (it != pools_.end()) it->second->rows.push_back(std::move(r));
  }
  ReadAllPlayers();
}

const std::vector<Contestant>& LinkResolver::Contestants(int idPool) {
  PoolData* data = Load(idPool);
  if (data->contestantsDone || !data->pool || resolving_.count(idPool)) return data->contestants;
  resolving_.insert(idPool);
  const std::vector<ContestantRecord>& rows = Rows(idPool);
  ReadPlayersOf(rows);
  data->contestants.clear();
  for (const ContestantRecord& r : rows) data->contestants.push_back(Contestant::FromRecord(r));
  for (Contestant& c : data->contestants) ResolveOne(c);
  resolving_.erase(idPool);
  data->contestantsDone = true;
  return data->contestants;
}

void LinkResolver::ReadMatchesOfToernooi() {
  if (idToernooi_ <= 0) return;
  std::vector<MatchRecord> rows;
  db_.ListMatchesOfToernooi(idToernooi_, rows);
  db_.ReadResultsOfToernooi(idToernooi_, rows);
  std::vector<MatchEntry> all;
  all.reserve(rows.size());
  for (MatchRecord& r : rows) all.push_back(MatchEntry::FromRecord(std::move(r)));
  ownMatches_ = std::move(all);
  UseMatchesOfToernooi(ownMatches_);
}

void LinkResolver::UseMatchesOfToernooi(const std::vector<MatchEntry>& all) {
  if (idToernooi_ <= 0) return;
  if (&all != &ownMatches_) ownMatches_.clear();
  std::vector<SystemRecord> classes;
  db_.ListSystems(classes, idToernooi_);
  toernooiClasses_.clear();
  for (const SystemRecord& c : classes) toernooiClasses_.insert(c.id);
  Borrow(all);
  allMatches_ = true;
}

namespace {
// The order a pool's own list has: by start time and table, then by id.
bool PoolOrder(const MatchEntry* a, const MatchEntry* b) {
  if (a->starttime != b->starttime) return a->starttime < b->starttime;
  if (a->tafel != b->tafel) return a->tafel < b->tafel;
  return a->id < b->id;
}
}  // namespace

void LinkResolver::Borrow(const std::vector<MatchEntry>& all) {
  // Pointers only: an entry carries several texts, and a refresh needs the
  // matches of only the few pools that places link to, copied when asked.
  matchesByPool_.clear();
  for (const MatchEntry& m : all) matchesByPool_[m.idPool].push_back(&m);
  for (auto& [id, list] : matchesByPool_) std::stable_sort(list.begin(), list.end(), PoolOrder);
}

const std::vector<MatchEntry>& LinkResolver::Matches(int idPool) {
  PoolData* data = Load(idPool);
  if (!data->matchesRead && allMatches_ && data->pool && toernooiClasses_.count(data->pool->idSystem)) {
    data->matchesRead = true;
    auto it = matchesByPool_.find(idPool);
    data->matches.clear();
    if (it != matchesByPool_.end())
      for (const MatchEntry* m : it->second) data->matches.push_back(*m);
  }
  if (!data->matchesRead) {
    data->matchesRead = true;
    std::vector<MatchRecord> rows;
    db_.ListMatches(idPool, rows);
    db_.ReadResults(rows);
    data->matches.clear();
    for (const MatchRecord& r : rows) data->matches.push_back(MatchEntry::FromRecord(r));
  }
  return data->matches;
}

bool LinkResolver::GameCodesOf(const LPool& pool) {
  int id = pool.idMatchSystem;
  if (id < 1) {
    // Pools of one class share the class's and the tournament's rules.
    auto it = classSystem_.find(pool.idSystem);
    if (it == classSystem_.end()) it = classSystem_.emplace(pool.idSystem, EffectiveMatchSystemId(db_, pool.id)).first;
    id = it->second;
  }
  MatchSystem ms = MatchSystemById(db_, id);
  return ms.result == kResultPoints || ms.result == kResultAll;
}

const std::vector<int>& LinkResolver::Places(int idPool) {
  static const std::vector<int> kNone;
  PoolData* data = Load(idPool);
  if (!data->pool || resolving_.count(idPool)) return kNone;
  if (!data->ranked) {
    const std::vector<Contestant>& contestants = Contestants(idPool);
    const std::vector<MatchEntry>& matches = Matches(idPool);
    if (auto* poule = dynamic_cast<LPoule*>(data->pool.get())) poule->gameCodes = GameCodesOf(*poule);
    data->pool->Standings(contestants, matches);
    data->ranked = true;
    ++standingsComputed_;
  }
  return data->pool->places;
}

const std::vector<std::string>& LinkResolver::Explanations(int idPool) {
  static const std::vector<std::string> kNone;
  Places(idPool);
  PoolData* data = Load(idPool);
  if (!data->pool || !data->ranked) return kNone;
  return data->pool->explanations;
}

void LinkResolver::ResolvePlayer(Contestant& c, int idPlayer) {
  auto it = players_.find(idPlayer);
  if (it == players_.end()) {
    PlayerRecord p;
    db_.GetPlayer(p, idPlayer);
    if (p.name.empty() && p.id != idPlayer) return;
    it = players_.emplace(idPlayer, p).first;
  }
  const PlayerRecord& p = it->second;
  c.name = p.name;
  c.club = db_.GetClubName(p.idClub);
  c.klasse = p.klasse;
  c.rating = p.rating;
  c.known = true;
  c.idResolved = idPlayer;
  c.resolvedType = kLinkPlayer;
}

void LinkResolver::ResolveDuo(Contestant& c) {
  if (!duosRead_ && idToernooi_ > 0) {
    duosRead_ = true;
    // The duos' players are the tournament's: one read rather than one each.
    ReadAllPlayers();
    std::vector<DuoRecord> list;
    db_.ListDuos(list, idToernooi_);
    for (DuoRecord& d : list)
      if (!d.name.empty()) duos_.emplace(d.id, std::move(d));
  }
  auto it = duos_.find(c.idPlayer);
  if (it == duos_.end()) {
    DuoRecord d;
    db_.GetDuo(d, c.idPlayer);
    if (d.idPlayer1 < 0 && d.idPlayer2 < 0) return;
    d.id = c.idPlayer;
    it = duos_.emplace(c.idPlayer, d).first;
  }
  const DuoRecord& d = it->second;
  c.name = d.name;
  c.club = d.club;
  c.klasse = d.klasse;
  c.rating = d.rating;
  c.known = true;
  c.idResolved = c.idPlayer;
  c.resolvedType = kLinkDuo;
  int members[2] = {d.idPlayer1, d.idPlayer2};
  for (int k = 0; k < 2; ++k) {
    Contestant player;
    ResolvePlayer(player, members[k]);
    if (!player.known) continue;
    c.duoNames[k] = player.name;
    c.duoNames[k + 2] = player.club;
  }
}

void LinkResolver::ResolvePlace(Contestant& c) {
  LPool* linked = Pool(c.idLinkedPool);
  if (!linked) return;
  const std::string poolName = linked->name;
  c.source = Format("%s nr. %d", poolName.c_str(), c.poolPos);
  std::string filter;
  bool filterKnown = true;
  if (c.indexKlasse >= 1) {
    if (c.classList.empty()) c.classList = ClassList(c.idLinkedPool);
    if (c.indexKlasse <= static_cast<int>(c.classList.size())) {
      filter = c.classList[c.indexKlasse - 1];
      c.source += ", klasse " + filter;
    } else {
      filterKnown = false;  // the class is gone: no place can be told
    }
  }

  c.name = Format("%s nr. %d", poolName.c_str(), c.poolPos);
  c.club.clear();
  c.klasse.clear();
  c.rating = 0;
  c.known = false;
  // Places count from 1: place 0 would match the -1 of every position of a
  // pool that is not finished yet.
  if (!filterKnown || c.poolPos < 1) return;
  // A pool being resolved now is reached again only through a cycle of links.
  if (resolving_.count(c.idLinkedPool)) return;
  std::vector<int> places = Places(c.idLinkedPool);
  const std::vector<Contestant>& others = Contestants(c.idLinkedPool);
  if (places.size() != others.size()) return;
  if (c.indexKlasse >= 1) places = FilterPlacesByClass(places, others, filter);
  for (size_t i = 0; i < others.size(); ++i) {
    if (places[i] != c.poolPos - 1) continue;
    const Contestant& o = others[i];
    c.name = o.name;
    c.club = o.club;
    c.klasse = o.klasse;
    c.rating = o.rating;
    for (int k = 0; k < 4; ++k) c.duoNames[k] = o.duoNames[k];
    c.known = o.known;
    c.idResolved = o.idResolved;
    c.resolvedType = o.resolvedType;
    return;
  }
}

void LinkResolver::Resolve(Contestant& c) {
  // A position resolved on its own, outside a pool: one read of the
  // tournament's players serves every further call.
  if (c.linktype == kLinkPlayer && !players_.count(c.idPlayer)) ReadAllPlayers();
  ResolveOne(c);
}

void LinkResolver::ResolveOne(Contestant& c) {
  c.name = c.club = c.klasse = "???";
  c.rating = 0;
  c.known = false;
  c.idResolved = 0;
  c.resolvedType = 0;
  for (std::string& s : c.duoNames) s.clear();
  switch (c.linktype) {
    case kLinkPlayer:
      c.source = "Vast";
      ResolvePlayer(c, c.idPlayer);
      break;
    case kLinkDuo:
      c.source = "Vast";
      ResolveDuo(c);
      break;
    case kLinkPlace:
      ResolvePlace(c);
      break;
    default:
      break;
  }
}

void LinkResolver::CollectClasses(int idPool, std::set<std::string>& classes, std::set<int>& visiting) {
  if (!visiting.insert(idPool).second) return;  // a cycle of links
  const std::vector<ContestantRecord>& rows = Rows(idPool);
  ReadPlayersOf(rows);
  for (const ContestantRecord& r : rows) {
    if (r.linktype == kLinkPlace) {
      CollectClasses(r.idLinkedPool, classes, visiting);
    } else if (r.linktype == kLinkPlayer || r.linktype == kLinkDuo) {
      Contestant c = Contestant::FromRecord(r);
      // A duo's class is the duo's own, not that of a player who happens to
      // share its id.
      if (r.linktype == kLinkPlayer) {
        ResolvePlayer(c, r.idPlayer);
      } else {
        ResolveDuo(c);
      }
      if (c.known && !c.klasse.empty()) classes.insert(c.klasse);
    }
  }
}

std::vector<std::string> LinkResolver::ClassList(int idPool) {
  PoolData* data = Load(idPool);
  if (!data->classesDone) {
    std::set<std::string> classes;
    std::set<int> visiting;
    CollectClasses(idPool, classes, visiting);
    // std::string orders bytes as unsigned values, the plain byte-wise order.
    data->classes.assign(classes.begin(), classes.end());
    data->classesDone = true;
  }
  return data->classes;
}

void LinkResolver::Forget(const std::set<int>& pools) {
  for (int id : pools) {
    auto it = pools_.find(id);
    if (it == pools_.end()) continue;
    PoolData& d = *it->second;
    d.contestantsDone = false;
    d.contestants.clear();
    d.matchesRead = false;
    d.matches.clear();
    d.ranked = false;
    d.classesDone = false;
    d.classes.clear();
  }
}

void LinkResolver::UpdateMatch(const MatchEntry& match) {
  auto it = matchesByPool_.find(match.idPool);
  if (it == matchesByPool_.end()) return;
  for (const MatchEntry* m : it->second) {
    if (m->id != match.id) continue;
    // The borrowed entry is mostly the changed one itself; a copy of it
    // changes a list read here.
    if (m != &match && !ownMatches_.empty() && m >= ownMatches_.data() && m < ownMatches_.data() + ownMatches_.size())
      ownMatches_[static_cast<size_t>(m - ownMatches_.data())] = match;
    // A pool's own list runs by time and table.
    std::stable_sort(it->second.begin(), it->second.end(), PoolOrder);
    return;
  }
}

void LinkResolver::ReplacePool(int idPool, const std::vector<MatchEntry>& all) {
  if (allMatches_) {
    if (&all != &ownMatches_) ownMatches_.clear();
    Borrow(all);
  }
  auto it = pools_.find(idPool);
  if (it != pools_.end()) {
    it->second->rowsRead = false;
    it->second->rows.clear();
  }
}

std::set<int> LinkResolver::PoolsRead() const {
  std::set<int> ids;
  for (const auto& [id, data] : pools_) ids.insert(id);
  return ids;
}

LinkGraph LinkResolver::Links() {
  LinkGraph graph;
  for (const auto& [id, data] : pools_) {
    if (!data->pool) continue;
    std::set<int>& targets = graph[id];
    for (const ContestantRecord& r : Rows(id))
      if (r.linktype == kLinkPlace) targets.insert(r.idLinkedPool);
  }
  return graph;
}

void LoadContestants(Database& db, int idPool, std::vector<Contestant>& list, bool resolve) {
  list.clear();
  if (resolve) {
    LinkResolver resolver(db);
    list = resolver.Contestants(idPool);
    return;
  }
  std::vector<ContestantRecord> rows;
  db.ListContestants(idPool, rows);
  for (const ContestantRecord& r : rows) list.push_back(Contestant::FromRecord(r));
}

void ResolveContestant(Database& db, Contestant& c) {
  LinkResolver resolver(db);
  resolver.Resolve(c);
}

std::vector<std::string> PoolClassList(Database& db, int idPool) {
  LinkResolver resolver(db);
  return resolver.ClassList(idPool);
}

std::vector<int> FilterPlacesByClass(const std::vector<int>& places, const std::vector<Contestant>& contestants,
                                     const std::string& klasse) {
  std::vector<int> out = places;
  for (size_t i = 0; i < out.size() && i < contestants.size(); ++i) {
    // Without a place there is nothing to renumber; a pool that is not
    // finished must not hand out places through the filter.
    if (out[i] < 0) continue;
    if (contestants[i].klasse != klasse || contestants[i].poolPos < 0) out[i] += 1000;
  }
  int next = 2000;
  for (;;) {
    size_t best = out.size();
    for (size_t i = 0; i < out.size(); ++i)
      if (out[i] >= 0 && out[i] < 1000 && (best == out.size() || out[i] < out[best])) best = i;
    if (best == out.size()) break;
    out[best] = next++;
  }
  for (int& v : out)
    if (v >= 2000) v -= 2000;
  return out;
}

// --- MatchBook -------------------------------------------------------------------

void MatchBook::Clear() {
  matches_.clear();
  matchIndex_.clear();
  byPool_.clear();
  whole_ = false;
  links_.clear();
  contestants_.clear();
  resolver_.reset();
  idPoolOfSystem_ = -1;
}

LinkResolver& MatchBook::Resolver() {
  if (!resolver_) resolver_ = std::make_unique<LinkResolver>(db_, idToernooi_);
  return *resolver_;
}

void MatchBook::Refill(int idMatch) {
  int t = db_.ToernooiOfMatch(idMatch);
  if (t > 0) idToernooi_ = t;
  FillToernooi(idToernooi_);
}

void MatchBook::FillToernooi(int idToernooi) {
  Clear();
  idToernooi_ = idToernooi;
  if (idToernooi <= 0) return;
  std::vector<MatchRecord> rows;
  db_.ListMatchesOfToernooi(idToernooi, rows);
  db_.ReadResultsOfToernooi(idToernooi, rows);
  matches_.reserve(rows.size());
  for (MatchRecord& r : rows) matches_.push_back(MatchEntry::FromRecord(std::move(r)));
  IndexMatches();
  // Pools, positions and players in one statement each, not two per pool.
  Resolver().ReadToernooi();
  Resolver().UseMatchesOfToernooi(matches_);
  for (MatchEntry& m : matches_) Name(m);
  whole_ = true;
  links_ = Resolver().Links();
}

void MatchBook::IndexMatches() {
  matchIndex_.clear();
  byPool_.clear();
  matchIndex_.reserve(matches_.size());
  for (size_t i = 0; i < matches_.size(); ++i) {
    matchIndex_[matches_[i].id] = i;
    byPool_[matches_[i].idPool].push_back(i);
  }
}

std::vector<MatchEntry> MatchBook::PoolMatches(int idPool) const {
  std::vector<MatchEntry> list;
  auto it = byPool_.find(idPool);
  if (it == byPool_.end()) return list;
  for (size_t i : it->second) list.push_back(matches_[i]);
  return list;
}

MatchBook::Touched MatchBook::Apply(const DataChange& change) {
  Touched touched;
  int idPool = change.idPool;
  MatchEntry* match = change.idMatch > 0 ? FindMatch(change.idMatch) : nullptr;
  if (match && idPool < 0) idPool = match->idPool;
  const bool oneMatch = change.kind == ChangeKind::kResult || change.kind == ChangeKind::kTableTime;
  if (change.kind == ChangeKind::kStructure || !whole_ || idPool < 0 || (oneMatch && !match) ||
      (match && match->idPool != idPool)) {
    FillToernooi(idToernooi_);
    touched.all = true;
    return touched;
  }
  if (change.kind == ChangeKind::kResult) {
    std::vector<MatchRecord> one{*match};
    db_.ReadResults(one);
    match->indexWinner = one[0].indexWinner;
    match->decision = one[0].decision;  // a walkover or retirement shows its mark
    match->stamp = one[0].stamp;
    match->games = one[0].games;
    Resolver().UpdateMatch(*match);
  } else if (change.kind == ChangeKind::kTableTime) {
    MatchRecord row;
    if (!db_.GetMatch(row, match->id)) {
      FillToernooi(idToernooi_);
      touched.all = true;
      return touched;
    }
    match->tafel = row.tafel;
    match->starttime = row.starttime;
    Resolver().UpdateMatch(*match);
  } else {
    // New positions may come with new matches (a late entrant of a running
    // Swiss pool): the pool's matches are read again too.
    std::vector<MatchRecord> rows;
    db_.ListMatches(idPool, rows);
    db_.ReadResults(rows);
    std::string poolName, className;
    auto old = byPool_.find(idPool);
    if (old != byPool_.end() && !old->second.empty()) {
      poolName = matches_[old->second.front()].poolName;
      className = matches_[old->second.front()].systemName;
    } else if (!rows.empty()) {
      MatchRecord named;
      db_.GetMatch(named, rows.front().id);
      poolName = named.poolName;
      className = named.systemName;
    }
    std::vector<MatchEntry> fresh;
    for (MatchRecord& r : rows) {
      r.poolName = poolName;
      r.systemName = className;
      fresh.push_back(MatchEntry::FromRecord(r));
    }
    std::erase_if(matches_, [idPool](const MatchEntry& m) { return m.idPool == idPool; });
    matches_.insert(matches_.end(), fresh.begin(), fresh.end());
    std::stable_sort(matches_.begin(), matches_.end(), [](const MatchEntry& a, const MatchEntry& b) { return a.id < b.id; });
    IndexMatches();
    Resolver().ReplacePool(idPool, matches_);
    Resolver().Forget({idPool});
    links_[idPool].clear();
    for (const ContestantRecord& r : Resolver().Rows(idPool))
      if (r.linktype == kLinkPlace) links_[idPool].insert(r.idLinkedPool);
  }
  touched.pools = PoolsTouched(change.kind, idPool, links_);
  Resolver().Forget(touched.pools);
  for (int id : touched.pools) {
    contestants_.erase(id);
    auto it = byPool_.find(id);
    if (it == byPool_.end()) continue;
    for (size_t i : it->second) Name(matches_[i]);
  }
  if (idPoolOfSystem_ == idPool) idPoolOfSystem_ = -1;
  return touched;
}

void MatchBook::FillPoolOfMatch(int idMatch) {
  Clear();
  MatchRecord match;
  if (!db_.GetMatch(match, idMatch)) return;
  idToernooi_ = db_.ToernooiOfMatch(idMatch);
  std::vector<MatchRecord> rows;
  db_.ListMatches(match.idPool, rows);
  db_.ReadResults(rows);
  // The tournament's order (by id), which a knockout bracket is numbered by.
  std::sort(rows.begin(), rows.end(), [](const MatchRecord& a, const MatchRecord& b) { return a.id < b.id; });
  matches_.reserve(rows.size());
  for (MatchRecord& r : rows) {
    r.poolName = match.poolName;
    r.systemName = match.systemName;
    matches_.push_back(MatchEntry::FromRecord(r));
  }
  IndexMatches();
  for (MatchEntry& m : matches_) Name(m);
}

void MatchBook::Name(MatchEntry& m) {
  m.name1 = SideName(m.idContestant1, m.idPool, m.duo1);
  m.name2 = SideName(m.idContestant2, m.idPool, m.duo2);
}

MatchEntry* MatchBook::FindMatch(int idMatch) {
  auto it = matchIndex_.find(idMatch);
  return it == matchIndex_.end() ? nullptr : &matches_[it->second];
}

const std::vector<Contestant>* MatchBook::PoolContestants(int idPool) {
  auto it = contestants_.find(idPool);
  if (it != contestants_.end()) return &it->second;
  if (!Resolver().Pool(idPool)) return nullptr;
  return &(contestants_[idPool] = Resolver().Contestants(idPool));
}

const Contestant* MatchBook::FindContestant(int idPool, int idContestant) {
  const std::vector<Contestant>* list = PoolContestants(idPool);
  if (!list) return nullptr;
  for (const Contestant& c : *list)
    if (c.id == idContestant) return &c;
  return nullptr;
}

std::string MatchBook::SideName(int value, int idPool, std::string duo[2]) {
  if (value == kNotPlayed) return "Niet gespeeld";
  if (value < 0) {
    const MatchEntry* earlier = FindMatch(-value);
    if (!earlier) return "???";
    int winner = earlier->indexWinner;
    if (winner < 0 && (earlier->idContestant1 <= 0 || earlier->idContestant2 <= 0)) {
      // A knockout match against a bye is decided without a stored result.
      std::vector<MatchEntry> bracket = PoolMatches(earlier->idPool);
      winner = KnockoutWinnerIndex(bracket, *earlier);
    }
    if (winner < 0)
      return "?" + Format("%s Tafel %d", FormatTime(earlier->starttime).c_str(), earlier->tafel);
    value = winner == 0 ? earlier->idContestant1 : earlier->idContestant2;
    if (value < 0) {
      std::vector<MatchEntry> bracket = PoolMatches(earlier->idPool);
      int through = KnockoutSide(bracket, value);
      if (through > 0) value = through;
    }
    if (value < 0) return "??";
    if (value == kNotPlayed) return "Niet gespeeld";
    idPool = earlier->idPool;
  }
  const std::vector<Contestant>* list = PoolContestants(idPool);
  if (!list) return "?";
  for (const Contestant& c : *list) {
    if (c.id != value) continue;
    if (duo) {
      duo[0] = c.duoNames[0];
      duo[1] = c.duoNames[1];
    }
    return withClub ? c.name + " (" + c.club + ")" : c.name;
  }
  return "???";
}

std::string MatchBook::SeatName(int idPool, int seat, bool withSource) {
  auto it = contestants_.find(idPool);
  if (it == contestants_.end()) return Format("Speler %d", seat + 1);
  if (seat < 0 || seat >= static_cast<int>(it->second.size())) return "Bye";
  const Contestant& c = it->second[seat];
  std::string name = c.name;
  if (withClub) name += " (" + c.club + ")";
  if (withSource && !c.source.empty()) name += " (" + c.source + ")";
  return name;
}

const Contestant* MatchBook::SideContestant(int value, int idPool, bool& undecided) {
  undecided = false;
  // A chain of winners is at most as long as the list of matches.
  for (size_t hops = 0; value < 0 && hops <= matches_.size(); ++hops) {
    const MatchEntry* earlier = FindMatch(-value);
    int winner = earlier ? earlier->indexWinner : -1;
    if (earlier && winner < 0 && (earlier->idContestant1 <= 0 || earlier->idContestant2 <= 0)) {
      // A knockout match against a bye is decided without a stored result;
      // the next match can be played as its names already show.
      std::vector<MatchEntry> bracket = PoolMatches(earlier->idPool);
      winner = KnockoutWinnerIndex(bracket, *earlier);
    }
    if (winner < 0) {
      undecided = true;
      return nullptr;
    }
    value = winner == 0 ? earlier->idContestant1 : earlier->idContestant2;
    idPool = earlier->idPool;
  }
  if (value < 0) {
    undecided = true;
    return nullptr;
  }
  if (value == kNotPlayed) return nullptr;
  return FindContestant(idPool, value);
}

MatchBook::Sides MatchBook::CheckSides(const MatchEntry& match) {
  bool bye = false;
  for (int value : {match.idContestant1, match.idContestant2}) {
    bool undecided = false;
    const Contestant* c = SideContestant(value, match.idPool, undecided);
    if (undecided) return Sides::kUnknown;
    if (!c) {
      bye = true;
      continue;
    }
    if (!c->known || c->name.find('?') != std::string::npos) return Sides::kUnknown;
  }
  return bye ? Sides::kBye : Sides::kReady;
}

const MatchSystem& MatchBook::MatchSystemOfPool(int idPool) {
  if (idPool != idPoolOfSystem_) {
    system_ = EffectiveMatchSystem(db_, idPool);
    idPoolOfSystem_ = idPool;
  }
  return system_;
}

}  // namespace velgram
