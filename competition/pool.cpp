#include "competition/pool.h"

#include <utility>

#include "competition/dropout.h"
#include "competition/poule.h"
#include "competition/swiss.h"
#include "competition/tables.h"
#include "store/database.h"

namespace velgram {

Contestant Contestant::FromRecord(const ContestantRecord& r) {
  Contestant c;
  c.id = r.id;
  c.idPool = r.idPool;
  c.poolPos = r.poolPos;
  c.sort = r.sort;
  c.linktype = r.linktype;
  c.idPlayer = r.idPlayer;
  c.idLinkedPool = r.idLinkedPool;
  c.indexKlasse = r.indexKlasse;
  return c;
}

ContestantRecord Contestant::ToRecord() const {
  ContestantRecord r;
  r.id = id;
  r.idPool = idPool;
  r.poolPos = poolPos;
  r.sort = sort;
  r.linktype = linktype;
  r.idPlayer = idPlayer;
  r.idLinkedPool = idLinkedPool;
  r.indexKlasse = indexKlasse;
  return r;
}

MatchEntry MatchEntry::FromRecord(const MatchRecord& r) {
  MatchEntry m;
  static_cast<MatchRecord&>(m) = r;
  return m;
}

MatchEntry MatchEntry::FromRecord(MatchRecord&& r) {
  MatchEntry m;
  static_cast<MatchRecord&>(m) = std::move(r);
  return m;
}

void LPool::FillFrom(const PoolRecord& row) {
  id = row.id;
  idSystem = row.idSystem;
  idMatchSystem = row.idMatchSystem;
  name = row.name;
  tables = ParseTables(row.tables);
  starttime = row.starttime;
  endtime = row.endtime;
  sort = row.sort;
}

PoolRecord LPool::ToRecord() const {
  PoolRecord r;
  r.id = id;
  r.playstyle = Playstyle();
  r.idSystem = idSystem;
  r.name = name;
  r.tables = FormatTables(tables);
  r.starttime = starttime;
  r.endtime = endtime;
  r.sort = sort;
  r.extra = ExtraText();
  r.idMatchSystem = idMatchSystem;
  return r;
}

std::unique_ptr<LPool> MakePool(const PoolRecord& row) {
  std::unique_ptr<LPool> pool;
  switch (row.playstyle) {
    case kPlaystylePoule:
      pool = std::make_unique<LPoule>();
      break;
    case kPlaystyleSwiss:
      pool = std::make_unique<LSwiss>(row.extra);
      break;
    case kPlaystyleDropout:
      pool = std::make_unique<LDropout>(row.extra);
      break;
    default:
      return nullptr;
  }
  pool->FillFrom(row);
  return pool;
}

// A Swiss pool counts byes from its rounds, which only the database holds:
// every pool read from the database gets it, so no caller can rank a Swiss
// pool without them.
std::unique_ptr<LPool> MakeStoredPool(Database& db, const PoolRecord& row) {
  std::unique_ptr<LPool> pool = MakePool(row);
  if (auto* swiss = dynamic_cast<LSwiss*>(pool.get())) swiss->AttachDatabase(&db);
  return pool;
}

std::unique_ptr<LPool> LoadPool(Database& db, int idPool) {
  PoolRecord row;
  if (!db.GetPool(idPool, row)) return nullptr;
  return MakeStoredPool(db, row);
}

void LoadPools(Database& db, int idSystem, std::vector<std::unique_ptr<LPool>>& list) {
  list.clear();
  std::vector<PoolRecord> rows;
  db.ListPools(idSystem, rows);
  for (const PoolRecord& row : rows) {
    std::unique_ptr<LPool> pool = MakeStoredPool(db, row);
    if (!pool) break;
    list.push_back(std::move(pool));
  }
}

}  // namespace velgram
