// Match rules (MatchSystems), read once into a cache that every change keeps
// in step.
#include <algorithm>
#include <string>
#include <vector>

#include "store/database.h"
#include "store/recordset.h"
#include "support/text.h"

namespace velgram {

MatchSystem DefaultMatchSystem() {
  MatchSystem s;
  s.id = 0;
  s.gameStop = 11;
  s.gameDiff = true;
  s.setMax = 5;
  s.setWon = 3;
  s.result = 4;
  s.name = "Best of 5";
  s.immutable = true;
  return s;
}

namespace {

std::vector<int> ReadIds(Database& db, const std::string& sql) {
  Records rs;
  db.ExecText(&rs, sql);
  std::vector<int> ids;
  RecordSet r(rs);
  for (bool ok = r.First(); ok; ok = r.Next()) ids.push_back(r.Int("id"));
  return ids;
}

auto WithId(int id) {
  return [id](const MatchSystem& s) { return s.id == id; };
}

}  // namespace

void Database::LoadMatchSystems() {
  if (matchSystemsLoaded_) return;
  Records rs;
  // A failed read leaves the cache unloaded, so the next use tries again
  // instead of working from an empty list for the rest of the run.
  if (ExecText(&rs, "SELECT * FROM MatchSystems") != 0) return;
  matchSystemCache_.clear();
  RecordSet r(rs);
  for (bool ok = r.First(); ok; ok = r.Next()) {
    MatchSystem s;
    s.id = r.Int("id");
    s.gameStop = r.Int("gameStop");
    s.gameDiff = r.Int("gameDiff") > 0;
    s.setMax = r.Int("setMax");
    s.setWon = r.Int("setWon");
    s.result = r.Int("result");
    s.name = r.Text("name");
    s.immutable = r.Int("immutable") > 0;
    s.duoteam = r.Int("duoteam") > 0;
    s.duo_ax = r.Int("duo_ax") > 0;
    s.duo_ay = r.Int("duo_ay") > 0;
    s.duo_bx = r.Int("duo_bx") > 0;
    s.duo_by = r.Int("duo_by") > 0;
    s.duo_abxy = r.Int("duo_abxy") > 0;
    matchSystemCache_.push_back(std::move(s));
  }
  matchSystemsLoaded_ = true;
}

void Database::ListMatchSystems(std::vector<MatchSystem>* list) {
  LoadMatchSystems();
  if (list) *list = matchSystemCache_;
}

void Database::GetMatchSystem(MatchSystem& system, int id) {
  LoadMatchSystems();
  auto it = std::find_if(matchSystemCache_.begin(), matchSystemCache_.end(), WithId(id));
  system = it != matchSystemCache_.end() ? *it : DefaultMatchSystem();
}

int Database::AddMatchSystem(MatchSystem& system) {
  LoadMatchSystems();  // before the insert, so the new row is not cached twice
  Transaction tx(*this);
  if (Exec(nullptr,
           "INSERT INTO MatchSystems "
           "(gameStop,gameDiff,setMax,setWon,result,name,immutable,duoteam,duo_ax,duo_ay,duo_bx,duo_by,duo_abxy) "
           "VALUES (%d,%d,%d,%d,%d,'%s',%d,%d,%d,%d,%d,%d,%d)",
           system.gameStop, system.gameDiff ? 1 : 0, system.setMax, system.setWon, system.result,
           QuoteSql(system.name).c_str(), system.immutable ? 1 : 0, system.duoteam ? 1 : 0, system.duo_ax ? 1 : 0,
           system.duo_ay ? 1 : 0, system.duo_bx ? 1 : 0, system.duo_by ? 1 : 0, system.duo_abxy ? 1 : 0) != 0)
    return -1;
  Records rs;
  ExecText(&rs, "SELECT last_insert_rowid() AS lastid");
  RecordSet r(rs);
  int id = r.First() ? r.Int("lastid") : -1;
  if (id <= 0 || !tx.Commit()) return -1;
  system.id = id;
  if (matchSystemsLoaded_) matchSystemCache_.push_back(system);
  return id;
}

void Database::UpdateMatchSystem(const MatchSystem& system) {
  LoadMatchSystems();
  auto it = std::find_if(matchSystemCache_.begin(), matchSystemCache_.end(), WithId(system.id));
  if (it == matchSystemCache_.end()) return;
  // The cache follows the table only when the table really changed.
  if (Exec(nullptr,
           "UPDATE MatchSystems SET"
           " gameStop=%d,gameDiff=%d,setMax=%d,setWon=%d,result=%d"
           ",name='%s',immutable=%d,duoteam=%d,duo_ax=%d,duo_ay=%d,duo_bx=%d,duo_by=%d,duo_abxy=%d"
           " WHERE id=%d",
           system.gameStop, system.gameDiff ? 1 : 0, system.setMax, system.setWon, system.result,
           QuoteSql(system.name).c_str(), system.immutable ? 1 : 0, system.duoteam ? 1 : 0, system.duo_ax ? 1 : 0,
           system.duo_ay ? 1 : 0, system.duo_bx ? 1 : 0, system.duo_by ? 1 : 0, system.duo_abxy ? 1 : 0,
           system.id) != 0)
    return;
  *it = system;
}

bool Database::DeleteMatchSystem(int id) {
  LoadMatchSystems();
  auto it = std::find_if(matchSystemCache_.begin(), matchSystemCache_.end(), WithId(id));
  if (it == matchSystemCache_.end()) return true;
  if (it->immutable) return false;
  Records rs;
  int rc = Exec(&rs,
                "SELECT id FROM Toernooien WHERE idMatchSystem=%d"
                " UNION "
                "SELECT id FROM Systems WHERE idMatchSystem=%d"
                " UNION "
                "SELECT id FROM Pools WHERE idMatchSystem=%d",
                id, id, id);
  // When the use cannot be read, the rule may be in use: keep it.
  if (rc != 0 || HasRows(rs)) return false;
  if (Exec(nullptr, "DELETE FROM MatchSystems WHERE id=%d", id) != 0) return false;
  matchSystemCache_.erase(it);
  return true;
}

std::vector<int> Database::TournamentsUsingMatchSystem(int id) {
  return ReadIds(*this, Format("SELECT id FROM Toernooien WHERE idMatchSystem=%d OR id IN (SELECT idToernooi FROM "
                               "Systems WHERE idMatchSystem=%d) OR id IN (SELECT idToernooi FROM Systems WHERE id IN "
                               "(SELECT idSystem FROM Pools WHERE idMatchSystem=%d))",
                               id, id, id));
}

std::vector<int> Database::SystemsUsingMatchSystem(int id, int idToernooi) {
  return ReadIds(*this, Format("SELECT id FROM Systems WHERE idMatchSystem=%d AND idToernooi=%d", id, idToernooi));
}

std::vector<int> Database::PoolsUsingMatchSystem(int id, int idToernooi) {
  return ReadIds(*this, Format("SELECT id FROM Pools WHERE idMatchSystem=%d AND idSystem IN (SELECT id FROM Systems "
                               "WHERE idToernooi=%d)",
                               id, idToernooi));
}

}  // namespace velgram
