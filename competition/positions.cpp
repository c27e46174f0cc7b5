#include "competition/positions.h"

#include <algorithm>
#include <set>

#include "competition/dropout.h"
#include "competition/swiss.h"
#include "store/database.h"
#include "store/recordset.h"
#include "support/prompt.h"
#include "support/text.h"

namespace velgram {

namespace {

constexpr const char* kMaximumMessage = "Maximum aantal spelers is %d";

int ToernooiOfSystem(Database& db, int idSystem) {
  Records rs;
  db.Exec(&rs, "SELECT idToernooi FROM Systems WHERE id=%d", idSystem);
  RecordSet r(rs);
  return r.First() ? r.Int("idToernooi") : -1;
}

}  // namespace

PositionDraft::PositionDraft(Database& db, int idPool, int maximum)
    : db_(db), idPool_(idPool), maximum_(maximum) {
  PoolRecord pool;
  if (db_.GetPool(idPool_, pool)) {
    SystemRecord cls;
    db_.GetSystem(cls, pool.idSystem);
    duoPool_ = cls.nrPlayers == 2;
    idToernooi_ = ToernooiOfSystem(db_, pool.idSystem);
    running_ = pool.playstyle == kPlaystyleSwiss && db_.MaxRound(idPool_) > 0;
    if (pool.playstyle == kPlaystyleDropout) bracketSize_ = LDropout(pool.extra).dimension;
  }
  resolver_ = std::make_unique<LinkResolver>(db_, idToernooi_);
  list_ = resolver_->Contestants(idPool_);
}

PositionDraft::~PositionDraft() = default;

std::vector<Candidate> PositionDraft::Candidates() const {
  const int type = duoPool_ ? kLinkDuo : kLinkPlayer;
  std::set<int> seated;
  for (const Contestant& c : list_)
    if (c.linktype == type) seated.insert(c.idPlayer);
  std::vector<Candidate> out;
  if (duoPool_) {
    std::vector<DuoRecord> duos;
    db_.ListDuos(duos, idToernooi_);
    for (const DuoRecord& d : duos)
      if (!seated.count(d.id)) out.push_back({d.id, d.name, d.club, d.klasse, d.rating});
  } else {
    std::vector<PlayerWithClub> players;
    db_.ListPlayersWithClub(idToernooi_, players);
    for (const PlayerWithClub& p : players)
      if (!seated.count(p.id)) out.push_back({p.id, p.name, p.club, p.klasse, p.rating});
  }
  std::stable_sort(out.begin(), out.end(), [](const Candidate& a, const Candidate& b) { return a.name < b.name; });
  return out;
}

bool PositionDraft::AddParticipants(Prompter& prompter, const std::vector<int>& ids) {
  // Only checked before adding: several rows chosen at once may pass the
  // maximum, which the start refuses with its own message.
  if (static_cast<int>(list_.size()) >= maximum_) {
    prompter.Alert(Format(kMaximumMessage, maximum_));
    return false;
  }
  std::vector<Candidate> candidates = Candidates();
  bool added = false;
  for (int id : ids) {
    auto it = std::find_if(candidates.begin(), candidates.end(), [id](const Candidate& c) { return c.id == id; });
    if (it == candidates.end()) continue;  // already seated
    Contestant c;
    c.idPool = idPool_;
    c.linktype = duoPool_ ? kLinkDuo : kLinkPlayer;
    c.idPlayer = id;
    c.poolPos = static_cast<int>(list_.size()) + 1;
    c.sort = static_cast<int>(list_.size());
    resolver_->Resolve(c);
    list_.push_back(c);
    candidates.erase(it);
    added = true;
  }
  return added;
}

bool PositionDraft::RemovePositions(const std::vector<int>& indices) {
  // Matches of a running pool refer to its positions.
  if (running_) return false;
  std::vector<int> sorted = indices;
  std::sort(sorted.rbegin(), sorted.rend());
  sorted.erase(std::unique(sorted.begin(), sorted.end()), sorted.end());
  for (int i : sorted)
    if (i >= 0 && i < static_cast<int>(list_.size())) list_.erase(list_.begin() + i);
  return true;
}

std::vector<ContestantRecord> PositionDraft::Records() const {
  std::vector<ContestantRecord> rows;
  for (size_t i = 0; i < list_.size(); ++i) {
    ContestantRecord r = list_[i].ToRecord();
    r.idPool = idPool_;
    r.sort = static_cast<int>(i);
    rows.push_back(r);
  }
  return rows;
}

bool PositionDraft::SaveParticipants() {
  std::set<int> before;
  for (const Contestant& c : list_)
    if (c.id > 0) before.insert(c.id);
  Transaction tx(db_);
  db_.ReplaceContestants(idPool_, Records());
  if (running_) {
    std::vector<ContestantRecord> stored;
    db_.ListContestants(idPool_, stored);
    for (const ContestantRecord& r : stored)
      if (!before.count(r.id)) AddMissedRounds(db_, idPool_, r.id);
  }
  return tx.Commit();
}

std::vector<PoolRecord> PositionDraft::EarlierPools() const {
  std::vector<PoolRecord> list;
  db_.ListEarlierPools(idPool_, list);
  return list;
}

std::vector<std::string> PositionDraft::ClassList(int idLinkedPool) const {
  return resolver_->ClassList(idLinkedPool);
}

Contestant PositionDraft::MakeLink(int idLinkedPool, int number, int indexKlasse) {
  Contestant c;
  c.idPool = idPool_;
  c.linktype = kLinkPlace;
  c.idLinkedPool = idLinkedPool;
  c.poolPos = number;
  c.indexKlasse = indexKlasse;
  c.sort = static_cast<int>(list_.size());
  resolver_->Resolve(c);
  return c;
}

bool PositionDraft::AddLink(Prompter& prompter, int idLinkedPool, int number, int indexKlasse) {
  if (static_cast<int>(list_.size()) >= maximum_) {
    prompter.Alert(Format(kMaximumMessage, maximum_));
    return false;
  }
  if (number < 1) {
    prompter.Alert("Het nummer in de poule moet minstens 1 zijn.");
    return false;
  }
  if (idLinkedPool < 1) return false;
  list_.push_back(MakeLink(idLinkedPool, number, indexKlasse));
  return true;
}

bool PositionDraft::AddBest(Prompter& prompter, int idLinkedPool, int best, int indexKlasse) {
  if (static_cast<int>(list_.size()) + best > maximum_) {
    prompter.Alert(Format(kMaximumMessage, maximum_));
    return false;
  }
  if (idLinkedPool < 1 || best < 1) return false;
  for (int place = 1; place <= best; ++place) list_.push_back(MakeLink(idLinkedPool, place, indexKlasse));
  return true;
}

bool PositionDraft::AddCross(Prompter& prompter, int best) {
  std::vector<PoolRecord> pools = EarlierPools();
  const int count = static_cast<int>(pools.size()) * best;
  if (static_cast<int>(list_.size()) + count > maximum_) {
    prompter.Alert(Format(kMaximumMessage, maximum_));
    return false;
  }
  if (pools.empty() || best < 1) return false;
  const int size = bracketSize_ > 0 ? bracketSize_ : ValidBracketSize(count);
  std::vector<CrossSeed> order = CrossOrder(static_cast<int>(pools.size()), best, size);
  if (order.empty())
    for (int place = 1; place <= best; ++place)
      for (size_t k = 0; k < pools.size(); ++k)
        order.push_back({static_cast<int>(place % 2 == 1 ? k : pools.size() - 1 - k), place});
  for (const CrossSeed& s : order) list_.push_back(MakeLink(pools[static_cast<size_t>(s.pool)].id, s.place, 0));
  return true;
}

void PositionDraft::RemoveLinks(const std::vector<int>& indices) {
  std::vector<int> sorted = indices;
  std::sort(sorted.rbegin(), sorted.rend());
  sorted.erase(std::unique(sorted.begin(), sorted.end()), sorted.end());
  for (int i : sorted)
    if (i >= 0 && i < static_cast<int>(list_.size()) && list_[i].IsLink()) list_.erase(list_.begin() + i);
}

bool PositionDraft::MoveUp(int index) {
  if (index < 1 || index >= static_cast<int>(list_.size())) return false;
  std::swap(list_[index], list_[index - 1]);
  return true;
}

bool PositionDraft::MoveDown(int index) {
  if (index < 0 || index + 1 >= static_cast<int>(list_.size())) return false;
  std::swap(list_[index], list_[index + 1]);
  return true;
}

bool PositionDraft::SaveLinks() { return db_.ReplaceContestants(idPool_, Records()); }

}  // namespace velgram
