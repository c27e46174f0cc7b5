// Classes, pools, positions, matches, results and Swiss rounds.
#include <algorithm>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "store/database.h"
#include "store/recordset.h"
#include "support/text.h"

namespace velgram {

namespace {

constexpr int kMaxNameSuffix = 999;

// Ids per statement when a list of matches is read or written by id; keeps
// each statement small whatever the size of the tournament.
constexpr size_t kIdsPerStatement = 5000;

std::string NameCandidate(const std::string& name, int n) {
  return n == 0 ? name : Format("%s (%d)", name.c_str(), n);
}

int ReadInt(Database& db, const std::string& sql, const char* column, int none) {
  Records rs;
  db.ExecText(&rs, sql);
  RecordSet r(rs);
  return r.First() ? r.Int(column) : none;
}

SystemRecord ReadSystem(const RecordSet& r) {
  SystemRecord s;
  s.id = r.Int("id");
  s.name = r.Text("name");
  s.description = r.Text("description");
  s.nrPlayers = r.Int("nrPlayers");
  s.sort = r.Int("sort");
  s.idMatchSystem = r.Int("idMatchSystem");
  return s;
}

bool KnownPlaystyle(int playstyle) { return playstyle >= kPlaystylePoule && playstyle <= kPlaystyleDropout; }

PoolRecord ReadPool(const RecordSet& r) {
  PoolRecord p;
  p.id = r.Int("id");
  p.playstyle = r.Int("playstyle");
  p.idSystem = r.Int("idSystem");
  p.name = r.Text("name");
  p.tables = r.Text("tables");
  p.starttime = r.Int("starttime");
  p.endtime = r.Int("endtime");
  p.sort = r.Int("sort");
  p.extra = r.Text("extra");
  p.idMatchSystem = r.Int("idMatchSystem");
  return p;
}

// A file from a later version may hold formats this one cannot play; the list
// ends before the first of them, so nothing after it is shown half-understood.
void ReadPools(Database& db, const std::string& sql, std::vector<PoolRecord>& list) {
  list.clear();
  Records rs;
  db.ExecText(&rs, sql);
  RecordSet r(rs);
  for (bool ok = r.First(); ok; ok = r.Next()) {
    PoolRecord p = ReadPool(r);
    if (!KnownPlaystyle(p.playstyle)) break;
    list.push_back(std::move(p));
  }
}

ContestantRecord ReadContestant(const RecordSet& r) {
  ContestantRecord c;
  c.id = r.Int("id");
  c.idPool = r.Int("idPool");
  c.poolPos = r.Int("poolPos");
  c.sort = r.Int("sort");
  c.linktype = r.Int("linktype");
  c.idPlayer = r.Int("idPlayer");
  c.idLinkedPool = r.Int("idLinkedPool");
  c.indexKlasse = r.Int("indexKlasse");
  return c;
}

void ReadContestants(Database& db, const std::string& sql, std::vector<ContestantRecord>& list) {
  list.clear();
  Records rs;
  db.ExecText(&rs, sql);
  RecordSet r(rs);
  for (bool ok = r.First(); ok; ok = r.Next()) list.push_back(ReadContestant(r));
}

MatchRecord ReadMatch(const RecordSet& r) {
  MatchRecord m;
  m.id = r.Int("id");
  m.idPool = r.Int("idPool");
  m.idContestant1 = r.Int("idContestant1");
  m.idContestant2 = r.Int("idContestant2");
  m.tafel = r.Int("tafel");
  m.starttime = r.Int("starttime");
  m.poolName = r.Text("poolname");
  m.systemName = r.Text("systemname");
  return m;
}

// Runs the statements of one pool's cascade; false at the first failure.
bool CascadePool(Database& db, int idPool) {
  static const char* const kSteps[] = {
      "DELETE FROM Contestants WHERE idPool=%d",
      "DELETE FROM ResultWinner WHERE idMatch IN (SELECT id FROM Matches WHERE idPool=%d)",
      "DELETE FROM ResultGames WHERE idMatch IN (SELECT id FROM Matches WHERE idPool=%d)",
      "DELETE FROM Rounds WHERE idPool=%d",
      "DELETE FROM Matches WHERE idPool=%d",
      "DELETE FROM Pools WHERE id=%d",
  };
  for (const char* step : kSteps)
    if (db.ExecText(nullptr, Format(step, idPool)) != 0) return false;
  return true;
}

// Gives two rows each other's sort value, both or neither.
void SwapSort(Database& db, const char* table, int idA, int sortA, int idB, int sortB) {
  Transaction tx(db);
  if (db.Exec(nullptr, "UPDATE %s SET sort=%d WHERE id=%d", table, sortB, idA) != 0) return;
  if (db.Exec(nullptr, "UPDATE %s SET sort=%d WHERE id=%d", table, sortA, idB) != 0) return;
  tx.Commit();
}

// "prefix id,id,...) suffix" for consecutive slices of ids.
std::vector<std::string> ChunkedInList(const std::vector<int>& ids, const std::string& prefix,
                                       const std::string& suffix) {
  std::vector<std::string> statements;
  for (size_t start = 0; start < ids.size(); start += kIdsPerStatement) {
    size_t end = std::min(ids.size(), start + kIdsPerStatement);
    std::string sql = prefix;
    sql.reserve(prefix.size() + suffix.size() + (end - start) * 8);
    for (size_t i = start; i < end; ++i) {
      if (i > start) sql += ',';
      sql += std::to_string(ids[i]);
    }
    sql += ')';
    sql += suffix;
    statements.push_back(std::move(sql));
  }
  return statements;
}

}  // namespace

// ---------------------------------------------------------------- classes

void Database::AddSystem(const SystemRecord& system, int idToernooi) {
  std::string candidate;
  for (int n = 0; n <= kMaxNameSuffix; ++n) {
    candidate = NameCandidate(system.name, n);
    Records rs;
    Exec(&rs, "SELECT id FROM Systems WHERE idToernooi=%d AND name='%s'", idToernooi, QuoteSql(candidate).c_str());
    if (!HasRows(rs)) break;
  }
  int maxsort = ReadInt(*this, Format("SELECT MAX(sort) as maxsort FROM Systems WHERE idToernooi=%d", idToernooi),
                        "maxsort", 0);
  Exec(nullptr,
       "INSERT INTO Systems (idToernooi,name,description,nrPlayers,sort,idMatchSystem) VALUES "
       "(%d,'%s','%s',%d,%d,%d)",
       idToernooi, QuoteSql(candidate).c_str(), QuoteSql(system.description).c_str(), system.nrPlayers,
       maxsort + 1, system.idMatchSystem);
}

void Database::UpdateSystem(const SystemRecord& system, int idToernooi) {
  std::string candidate;
  for (int n = 0; n <= kMaxNameSuffix; ++n) {
    candidate = NameCandidate(system.name, n);
    Records rs;
    Exec(&rs, "SELECT id FROM Systems WHERE idToernooi=%d AND name='%s' AND id<>%d", idToernooi,
         QuoteSql(candidate).c_str(), system.id);
    if (!HasRows(rs)) break;
  }
  Exec(nullptr, "UPDATE Systems SET name='%s',description='%s',nrPlayers=%d,idMatchSystem=%d WHERE id=%d",
       QuoteSql(candidate).c_str(), QuoteSql(system.description).c_str(), system.nrPlayers, system.idMatchSystem,
       system.id);
}

void Database::GetSystem(SystemRecord& system, int id) {
  Records rs;
  Exec(&rs, "SELECT * FROM Systems WHERE id=%d", id);
  RecordSet r(rs);
  if (r.First()) system = ReadSystem(r);
}

void Database::ListSystems(std::vector<SystemRecord>& list, int idToernooi) {
  list.clear();
  Records rs;
  Exec(&rs, "SELECT * FROM Systems WHERE idToernooi=%d ORDER BY sort", idToernooi);
  RecordSet r(rs);
  for (bool ok = r.First(); ok; ok = r.Next()) list.push_back(ReadSystem(r));
}

void Database::MoveSystemUp(int id) {
  int idToernooi = ReadInt(*this, Format("SELECT idToernooi FROM Systems WHERE id=%d", id), "idToernooi", -1);
  if (idToernooi < 0) return;
  std::vector<SystemRecord> list;
  ListSystems(list, idToernooi);
  auto it = std::find_if(list.begin(), list.end(), [id](const SystemRecord& s) { return s.id == id; });
  if (it == list.end() || it == list.begin()) return;
  const SystemRecord& prev = *(it - 1);
  SwapSort(*this, "Systems", prev.id, prev.sort, it->id, it->sort);
}

void Database::MoveSystemDown(int id) {
  int idToernooi = ReadInt(*this, Format("SELECT idToernooi FROM Systems WHERE id=%d", id), "idToernooi", -1);
  if (idToernooi < 0) return;
  std::vector<SystemRecord> list;
  ListSystems(list, idToernooi);
  auto it = std::find_if(list.begin(), list.end(), [id](const SystemRecord& s) { return s.id == id; });
  if (it == list.end() || it + 1 == list.end()) return;
  const SystemRecord& next = *(it + 1);
  SwapSort(*this, "Systems", it->id, it->sort, next.id, next.sort);
}

bool Database::DeleteSystem(int id) {
  // Every pool row of the class, also one of a format this version cannot
  // list: none may be left behind without its class. Read inside the
  // transaction, so a failed read cannot pass for a class without pools.
  Transaction tx(*this);
  Records rs;
  if (Exec(&rs, "SELECT id FROM Pools WHERE idSystem=%d", id) != 0) return false;
  std::vector<int> pools;
  RecordSet r(rs);
  for (bool ok = r.First(); ok; ok = r.Next()) pools.push_back(r.Int("id"));

  for (int idPool : pools)
    if (!CascadePool(*this, idPool)) return false;
  if (Exec(nullptr, "DELETE FROM Systems WHERE id=%d", id) != 0) return false;
  return tx.Commit();
}

// ---------------------------------------------------------------- pools

void Database::ListPools(int idSystem, std::vector<PoolRecord>& list) {
  ReadPools(*this, Format("SELECT * FROM Pools WHERE idSystem=%d ORDER BY sort", idSystem), list);
}

void Database::ListEarlierPools(int idPool, std::vector<PoolRecord>& list) {
  ReadPools(*this,
            Format("SELECT * FROM Pools WHERE idSystem IN (SELECT idSystem FROM pools WHERE id=%d) AND "
                   "sort<(SELECT sort FROM Pools WHERE id=%d)"
                   " ORDER BY sort",
                   idPool, idPool),
            list);
}

void Database::ListPoolsOfToernooi(int idToernooi, std::vector<PoolRecord>& list) {
  // Unlike ListPools, a row of an unknown playstyle is kept: the caller treats
  // it as a pool that cannot be built, as GetPool does.
  list.clear();
  Records rs;
  Exec(&rs,
       "SELECT Pools.* FROM Pools,Systems WHERE Pools.idSystem=Systems.id AND Systems.idToernooi=%d"
       " ORDER BY Systems.sort,Pools.sort",
       idToernooi);
  RecordSet r(rs);
  for (bool ok = r.First(); ok; ok = r.Next()) list.push_back(ReadPool(r));
}

bool Database::HasEarlierPool(int idPool) {
  return ReadInt(*this,
                 Format("SELECT COUNT(*) AS count FROM Pools WHERE sort<(SELECT sort FROM Pools WHERE id=%d) AND "
                        "idSystem IN (SELECT idSystem FROM Pools WHERE id=%d)",
                        idPool, idPool),
                 "count", 0) > 0;
}

bool Database::GetPool(int idPool, PoolRecord& pool) {
  Records rs;
  Exec(&rs, "SELECT * FROM Pools WHERE id=%d", idPool);
  RecordSet r(rs);
  if (!r.First()) return false;
  PoolRecord p = ReadPool(r);
  if (!KnownPlaystyle(p.playstyle)) return false;
  pool = std::move(p);
  return true;
}

int Database::AddPool(const PoolRecord& pool, int idSystem) {
  Transaction tx(*this);
  std::string candidate;
  for (int n = 0; n <= kMaxNameSuffix; ++n) {
    candidate = NameCandidate(pool.name, n);
    Records rs;
    Exec(&rs, "SELECT id FROM Pools WHERE idSystem=%d AND name='%s'", idSystem, QuoteSql(candidate).c_str());
    if (!HasRows(rs)) break;
  }
  int maxsort =
      ReadInt(*this, Format("SELECT MAX(sort) as maxsort FROM Pools WHERE idSystem=%d", idSystem), "maxsort", 0);
  if (Exec(nullptr,
           "INSERT INTO Pools (idSystem,playstyle,name,tables,starttime,endtime,sort,extra,idMatchSystem) VALUES "
           "(%d,%d,'%s','%s',%d,%d,%d,'%s',%d)",
           idSystem, pool.playstyle, QuoteSql(candidate).c_str(), QuoteSql(pool.tables).c_str(), pool.starttime,
           pool.endtime, maxsort + 1, QuoteSql(pool.extra).c_str(), pool.idMatchSystem) != 0)
    return -1;
  // By row id: a pool renamed earlier may carry the same name in this class.
  int id = LastInsertId();
  if (id < 0 || !tx.Commit()) return -1;
  return id;
}

void Database::UpdatePool(const PoolRecord& pool) {
  Exec(nullptr,
       "UPDATE Pools SET name='%s',tables='%s',starttime=%d,endtime=%d,sort=%d,extra='%s',idMatchSystem=%d WHERE "
       "id=%d",
       QuoteSql(pool.name).c_str(), QuoteSql(pool.tables).c_str(), pool.starttime, pool.endtime, pool.sort,
       QuoteSql(pool.extra).c_str(), pool.idMatchSystem, pool.id);
}

void Database::MovePoolDown(int idPool, int idSystem) {
  std::vector<PoolRecord> list;
  ListPools(idSystem, list);
  auto it = std::find_if(list.begin(), list.end(), [idPool](const PoolRecord& p) { return p.id == idPool; });
  if (it == list.end() || it + 1 == list.end()) return;
  const PoolRecord& next = *(it + 1);
  SwapSort(*this, "Pools", it->id, it->sort, next.id, next.sort);
}

bool Database::DeletePool(int idPool) {
  Transaction tx(*this);
  return CascadePool(*this, idPool) && tx.Commit();
}

// ---------------------------------------------------------------- positions

void Database::AddContestant(const ContestantRecord& c) {
  if (c.id < 1)
    Exec(nullptr,
         "INSERT INTO Contestants (idPool,poolPos,indexKlasse,sort,linktype,idLinkedPool,idPlayer) VALUES "
         "(%d,%d,%d,%d,%d,%d,%d)",
         c.idPool, c.poolPos, c.indexKlasse, c.sort, c.linktype, c.idLinkedPool, c.idPlayer);
  else
    Exec(nullptr,
         "INSERT INTO Contestants (id,idPool,poolPos,indexKlasse,sort,linktype,idLinkedPool,idPlayer) VALUES "
         "(%d,%d,%d,%d,%d,%d,%d,%d)",
         c.id, c.idPool, c.poolPos, c.indexKlasse, c.sort, c.linktype, c.idLinkedPool, c.idPlayer);
}

void Database::ListContestants(int idPool, std::vector<ContestantRecord>& list) {
  ReadContestants(*this, Format("SELECT * FROM Contestants WHERE idPool=%d ORDER BY sort", idPool), list);
}

bool Database::GetContestant(ContestantRecord& contestant, int id) {
  Records rs;
  Exec(&rs, "SELECT * FROM Contestants WHERE id=%d", id);
  RecordSet r(rs);
  if (!r.First()) return false;
  contestant = ReadContestant(r);
  return true;
}

void Database::ListContestantsOfSystem(int idSystem, std::vector<ContestantRecord>& list) {
  ReadContestants(
      *this, Format("SELECT * FROM Contestants WHERE idPool IN (SELECT id FROM Pools WHERE idSystem=%d)", idSystem),
      list);
}

void Database::ListContestantsOfToernooi(int idToernooi, std::vector<ContestantRecord>& list) {
  ReadContestants(*this,
                  Format("SELECT Contestants.* FROM Contestants,Pools,Systems WHERE Contestants.idPool=Pools.id AND "
                         "Pools.idSystem=Systems.id AND Systems.idToernooi=%d ORDER BY Contestants.idPool,"
                         "Contestants.sort",
                         idToernooi),
                  list);
}

void Database::UpdateContestant(const ContestantRecord& c) {
  Exec(nullptr,
       "UPDATE Contestants SET idPool=%d,poolPos=%d,indexKlasse=%d,sort=%d,linktype=%d,idLinkedPool=%d,idPlayer=%d "
       "WHERE id=%d",
       c.idPool, c.poolPos, c.indexKlasse, c.sort, c.linktype, c.idLinkedPool, c.idPlayer, c.id);
}

void Database::DeleteContestant(int id) { Exec(nullptr, "DELETE FROM Contestants WHERE id=%d", id); }

bool Database::ReplaceContestants(int idPool, const std::vector<ContestantRecord>& list) {
  // Matches refer to positions by id, so positions keep theirs; a failed
  // insert (an id that another pool holds) keeps the old positions.
  Transaction tx(*this);
  if (Exec(nullptr, "DELETE FROM Contestants WHERE idPool=%d", idPool) != 0) return false;
  for (ContestantRecord c : list) {
    c.idPool = idPool;
    std::string sql;
    if (c.id < 1)
      sql = Format(
          "INSERT INTO Contestants (idPool,poolPos,indexKlasse,sort,linktype,idLinkedPool,idPlayer) VALUES "
          "(%d,%d,%d,%d,%d,%d,%d)",
          c.idPool, c.poolPos, c.indexKlasse, c.sort, c.linktype, c.idLinkedPool, c.idPlayer);
    else
      sql = Format(
          "INSERT INTO Contestants (id,idPool,poolPos,indexKlasse,sort,linktype,idLinkedPool,idPlayer) VALUES "
          "(%d,%d,%d,%d,%d,%d,%d,%d)",
          c.id, c.idPool, c.poolPos, c.indexKlasse, c.sort, c.linktype, c.idLinkedPool, c.idPlayer);
    if (ExecText(nullptr, sql) != 0) return false;
  }
  return tx.Commit();
}

// ---------------------------------------------------------------- matches

int Database::AddMatch(int idPool, int idContestant1, int idContestant2, int tafel, int starttime) {
  // One above every id that matches, rounds or results mention, so results
  // left behind by a deleted match never attach to a new one.
  Transaction tx(*this);
  Records rs;
  ExecText(&rs,
           "SELECT MAX(maxid) AS themax FROM ("
           "SELECT MAX(id) AS maxid FROM Matches"
           " UNION "
           "SELECT MAX(idMatch) AS maxid FROM Rounds"
           " UNION "
           "SELECT MAX(idMatch) AS maxid FROM ResultGames"
           " UNION "
           "SELECT MAX(idMatch) AS maxid FROM ResultWinner"
           ")");
  RecordSet r(rs);
  if (!r.First()) return -1;
  int id = r.Int("themax") + 1;
  if (Exec(nullptr,
           "INSERT INTO Matches (id,idPool,idContestant1,idContestant2,tafel,starttime) VALUES (%d,%d,%d,%d,%d,%d)",
           id, idPool, idContestant1, idContestant2, tafel, starttime) != 0)
    return -1;
  return tx.Commit() ? id : -1;
}

void Database::ListMatches(int idPool, std::vector<MatchRecord>& list) {
  list.clear();
  Records rs;
  Exec(&rs, "SELECT * FROM Matches WHERE idPool=%d ORDER BY starttime,tafel", idPool);
  RecordSet r(rs);
  for (bool ok = r.First(); ok; ok = r.Next()) list.push_back(ReadMatch(r));
}

bool Database::GetMatch(MatchRecord& match, int id) {
  Records rs;
  Exec(&rs,
       "SELECT Matches.*,Pools.name AS poolname,Systems.name as systemname"
       " FROM Matches,Pools,Systems"
       " WHERE Matches.id=%d AND Matches.idPool=Pools.id AND Pools.idSystem=Systems.id",
       id);
  RecordSet r(rs);
  if (!r.First()) return false;
  match = ReadMatch(r);
  return true;
}

void Database::ListMatchesOfToernooi(int idToernooi, std::vector<MatchRecord>& list) {
  list.clear();
  std::string sql =
      "SELECT Matches.*,Pools.name AS poolname,Systems.name as systemname"
      " FROM Matches,Pools,Systems"
      " WHERE Matches.idPool=Pools.id AND Pools.idSystem=Systems.id";
  if (idToernooi > 0) sql += Format(" AND Systems.idToernooi=%d", idToernooi);
  sql += " ORDER BY id";
  Records rs;
  ExecText(&rs, sql);
  RecordSet r(rs);
  for (bool ok = r.First(); ok; ok = r.Next()) list.push_back(ReadMatch(r));
}

void Database::UpdateMatch(const MatchRecord& m) {
  Exec(nullptr, "Update Matches SET idPool=%d,idContestant1=%d,idContestant2=%d,tafel=%d,starttime=%d WHERE id=%d",
       m.idPool, m.idContestant1, m.idContestant2, m.tafel, m.starttime, m.id);
}

int Database::ToernooiOfMatch(int idMatch) {
  int id = ReadInt(*this,
                   Format("select idToernooi FROM Systems WHERE id = (SELECT idSystem FROM Pools WHERE id = (SELECT "
                          "idPool FROM Matches WHERE ID=%d))",
                          idMatch),
                   "idToernooi", -1);
  return id > 0 ? id : -1;
}

ResultStamp Database::StampNow() const {
  DateTime now = GetClock().NowLocal();
  ResultStamp s;
  s.isodate = now.year * 10000 + now.month * 100 + now.day;
  s.isotime = now.hour * 10000 + now.minute * 100 + now.second;
  s.isofraction = now.fraction;
  return s;
}

bool Database::RecordResult(int idMatch, int indexWinner, const std::vector<int>& games, bool writeGames,
                            int decision, int idEntry) {
  Transaction tx(*this);
  WriteWinner(idMatch, indexWinner, decision, idEntry);
  if (writeGames) WriteGames(idMatch, games);
  return tx.Commit();  // rolls back when either part failed
}

bool Database::ClearResult(int idMatch) {
  Transaction tx(*this);
  if (Exec(nullptr, "DELETE FROM ResultWinner WHERE idMatch=%d", idMatch) != 0) return false;
  if (Exec(nullptr, "DELETE FROM ResultGames WHERE idMatch=%d", idMatch) != 0) return false;
  return tx.Commit();
}

void Database::WriteWinner(int idMatch, int indexWinner, int decision, int idEntry) {
  Transaction tx(*this);
  if (Exec(nullptr, "DELETE FROM ResultWinner WHERE idMatch=%d", idMatch) != 0) return;
  ResultStamp s = StampNow();
  if (Exec(nullptr,
           "INSERT INTO ResultWinner (idMatch,indexWinner,isodate,isotime,isofraction,decision,idEntry) "
           "VALUES (%d,%d,%d,%d,%d,%d,%d)",
           idMatch, indexWinner, s.isodate, s.isotime, s.isofraction, decision, idEntry) != 0)
    return;
  tx.Commit();
}

void Database::WriteGames(int idMatch, const std::vector<int>& games) {
  Transaction tx(*this);
  if (Exec(nullptr, "DELETE FROM ResultGames WHERE idMatch=%d", idMatch) != 0) return;
  if (!games.empty()) {
    std::string sql = "INSERT INTO ResultGames (idMatch,game,result) VALUES";
    for (size_t i = 0; i < games.size(); ++i)
      sql += Format(" (%d,%d,%d),", idMatch, static_cast<int>(i), games[i]);
    sql.pop_back();
    if (ExecText(nullptr, sql) != 0) return;
  }
  tx.Commit();
}

namespace {

// The results of matches, read by the given statements (winner rows by
// idMatch, then game rows by idMatch and game), put on the matches that hold
// them.
void ReadResultRows(Database& db, std::vector<MatchRecord>& matches, const std::vector<std::string>& winnerSql,
                    const std::vector<std::string>& gamesSql) {
  // Rows come back by match id; a map finds their objects in constant time,
  // whatever the order of the list. A match listed twice is rare: its later
  // entries hang off the first in `next`, so no match costs a list of its own.
  constexpr size_t kNone = static_cast<size_t>(-1);
  std::unordered_map<int, size_t> first;
  first.reserve(matches.size());
  std::vector<size_t> next(matches.size(), kNone), last(matches.size(), kNone);
  for (size_t i = 0; i < matches.size(); ++i) {
    MatchRecord& m = matches[i];
    // Start from nothing, so a result cleared since the last read is not kept.
    m.indexWinner = -1;
    m.decision = kDecisionPlayed;
    m.stamp = ResultStamp{};
    m.games.clear();
    auto [it, added] = first.emplace(m.id, i);
    if (!added) next[last[it->second]] = i;
    last[it->second] = i;
  }
  // Calls f with every entry of the list that is match id.
  auto forMatch = [&](int id, auto f) {
    auto it = first.find(id);
    if (it == first.end()) return;
    for (size_t i = it->second; i != kNone; i = next[i]) f(matches[i]);
  };

  for (const std::string& sql : winnerSql) {
    Records rs;
    db.ExecText(&rs, sql);
    RecordSet r(rs);
    for (bool ok = r.First(); ok; ok = r.Next()) {
      forMatch(r.Int("idMatch"), [&r](MatchRecord& m) {
        m.indexWinner = r.Int("indexWinner");
        m.stamp.isodate = r.Int("isodate");
        m.stamp.isotime = r.Int("isotime");
        m.stamp.isofraction = r.Int("isofraction");
        // Rows written without it (byes, late entrants) were played or never
        // played at all; only the two kinds below mean anything else.
        const int decision = r.Int("decision");
        m.decision = decision == kDecisionWalkover || decision == kDecisionRetired ? decision : kDecisionPlayed;
      });
    }
  }

  for (const std::string& sql : gamesSql) {
    Records rs;
    db.ExecText(&rs, sql);
    RecordSet r(rs);
    for (bool ok = r.First(); ok; ok = r.Next()) {
      const int idMatch = r.Int("idMatch");  // the columns in their order
      const int result = r.Int("result");
      forMatch(idMatch, [result](MatchRecord& m) { m.games.push_back(result); });
    }
  }
}

constexpr const char* kWinnerColumns = "SELECT idMatch,indexWinner,isodate,isotime,isofraction,decision FROM ResultWinner";
constexpr const char* kGameColumns = "SELECT idMatch,game,result FROM ResultGames";

}  // namespace

void Database::ReadResults(std::vector<MatchRecord>& matches) {
  if (matches.empty()) return;
  std::vector<int> ids;
  ids.reserve(matches.size());
  std::unordered_set<int> seen;
  for (const MatchRecord& m : matches)
    if (seen.insert(m.id).second) ids.push_back(m.id);
  ReadResultRows(*this, matches,
                 ChunkedInList(ids, std::string(kWinnerColumns) + " WHERE idMatch IN (", " ORDER BY idMatch"),
                 ChunkedInList(ids, std::string(kGameColumns) + " WHERE idMatch IN (", " ORDER BY idMatch,game"));
}

void Database::ReadResultsOfToernooi(int idToernooi, std::vector<MatchRecord>& matches) {
  if (idToernooi <= 0) {
    ReadResults(matches);
    return;
  }
  if (matches.empty()) return;
  // The tournament's matches selected in SQL: two short statements instead
  // of the ids spelled out, which SQLite would parse a thousand at a time.
  const std::string ofToernooi = Format(
      " WHERE idMatch IN (SELECT Matches.id FROM Matches,Pools,Systems WHERE Matches.idPool=Pools.id AND "
      "Pools.idSystem=Systems.id AND Systems.idToernooi=%d)",
      idToernooi);
  ReadResultRows(*this, matches, {kWinnerColumns + ofToernooi + " ORDER BY idMatch"},
                 {kGameColumns + ofToernooi + " ORDER BY idMatch,game"});
}

// ---------------------------------------------------------------- Swiss rounds

void Database::AddRoundMatch(int idPool, int round, int idMatch) {
  Exec(nullptr, "INSERT INTO Rounds (idPool,round,idMatch) VALUES (%d,%d,%d)", idPool, round, idMatch);
}

int Database::MaxRound(int idPool) {
  int round =
      ReadInt(*this, Format("SELECT MAX(round) AS maxround FROM Rounds WHERE idPool=%d", idPool), "maxround", 0);
  return round > 0 ? round : 0;
}

void Database::ListRounds(std::vector<RoundEntry>& list, int idPool) {
  list.clear();
  Records rs;
  Exec(&rs, "SELECT * FROM Rounds WHERE idPool=%d ORDER BY idMatch", idPool);
  RecordSet r(rs);
  for (bool ok = r.First(); ok; ok = r.Next()) list.push_back({r.Int("id"), r.Int("round"), r.Int("idMatch")});
}

bool Database::DeleteMatchesOfPool(int idPool) {
  // Results left behind would lose their match, and match ids are handed out
  // above the highest id any result still carries.
  Transaction tx(*this);
  static const char* const kSteps[] = {
      "DELETE FROM ResultWinner WHERE idMatch IN (SELECT id FROM Matches WHERE idPool=%d)",
      "DELETE FROM ResultGames WHERE idMatch IN (SELECT id FROM Matches WHERE idPool=%d)",
      "DELETE FROM Matches WHERE idPool=%d",
  };
  for (const char* step : kSteps)
    if (ExecText(nullptr, Format(step, idPool)) != 0) return false;
  return tx.Commit();
}

bool Database::DeleteRound(int idPool, int round) {
  Transaction tx(*this);
  static const char* const kSteps[] = {
      "DELETE FROM ResultWinner WHERE idMatch IN (SELECT idMatch FROM Rounds WHERE idPool=%d AND round=%d)",
      "DELETE FROM ResultGames WHERE idMatch IN (SELECT idMatch FROM Rounds WHERE idPool=%d AND round=%d)",
      "DELETE FROM Matches WHERE id IN (SELECT idMatch FROM Rounds WHERE idPool=%d AND round=%d)",
      "DELETE FROM Rounds WHERE idPool=%d AND round=%d",
  };
  for (const char* step : kSteps)
    if (ExecText(nullptr, Format(step, idPool, round)) != 0) return false;
  return tx.Commit();
}

}  // namespace velgram
