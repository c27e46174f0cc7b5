// Tournaments, clubs, players and duos.
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

// Names get " (1)", " (2)", ... appended until free; after this many tries the
// last candidate is taken as it is.
constexpr int kMaxNameSuffix = 999;

std::string NameCandidate(const std::string& name, int n) {
  return n == 0 ? name : Format("%s (%d)", name.c_str(), n);
}

PlayerRecord ReadPlayer(const RecordSet& r) {
  PlayerRecord p;
  p.id = r.Int("id");
  p.name = r.Text("name");
  p.idClub = r.Int("idClub");
  p.bondsnummer = r.Text("bondsnummer");
  p.rating = r.Int("rating");
  p.klasse = r.Text("klasse");
  p.gender = r.Int("gender");
  p.email = r.Text("email");
  return p;
}

void ReadClubs(const Records& rs, std::vector<ClubEntry>& list) {
  RecordSet r(rs);
  for (bool ok = r.First(); ok; ok = r.Next()) list.push_back({r.Int("id"), r.Text("name")});
}

}  // namespace

// ---------------------------------------------------------------- tournaments

void Database::GetToernooi(TournamentRecord& record, int id) {
  Records rs;
  Exec(&rs, "SELECT * FROM Toernooien WHERE id=%d", id);
  if (!HasRows(rs)) return;
  RecordSet r(rs);
  r.First();
  record.id = id;
  record.name = r.Text("name");
  record.idMatchSystem = r.Int("idMatchSystem");
}

void Database::ListToernooien(std::vector<std::pair<int, std::string>>& list) {
  list.clear();
  Records rs;
  ExecText(&rs, "SELECT id,name FROM Toernooien ORDER BY name");
  RecordSet r(rs);
  for (bool ok = r.First(); ok; ok = r.Next()) list.emplace_back(r.Int("id"), r.Text("name"));
}

int Database::AddToernooi(const std::string& name) {
  Transaction tx(*this);
  Records rs;
  ExecText(&rs, "SELECT name FROM Toernooien");
  std::unordered_set<std::string> taken;
  RecordSet r(rs);
  for (bool ok = r.First(); ok; ok = r.Next()) taken.insert(r.Text("name"));

  std::string candidate = name;
  for (int n = 1; taken.count(candidate); ++n) candidate = NameCandidate(name, n);

  if (Exec(nullptr, "INSERT INTO Toernooien (name) VALUES ('%s')", QuoteSql(candidate).c_str()) != 0)
    return -1;
  // By row id rather than by name: a renamed tournament may carry the same name.
  int id = LastInsertId();
  if (id < 0 || !tx.Commit()) return -1;
  return id;
}

void Database::RenameToernooi(int id, const std::string& name) {
  Exec(nullptr, "UPDATE Toernooien SET name='%s' WHERE id=%d", QuoteSql(name).c_str(), id);
}

// ---------------------------------------------------------------- clubs

int Database::GetOrAddClub(const std::string& name) {
  if (name.empty()) return -1;
  for (const ClubEntry& c : clubCache_)
    if (c.name == name) return c.id;

  std::string quoted = QuoteSql(name);
  auto lookup = [&]() {
    Records rs;
    Exec(&rs, "SELECT id FROM Clubs WHERE name='%s'", quoted.c_str());
    RecordSet r(rs);
    return r.First() ? r.Int("id") : -1;
  };
  int id = lookup();
  if (id < 0) {
    if (Exec(nullptr, "INSERT INTO Clubs (name) VALUES ('%s')", quoted.c_str()) == 0) id = LastInsertId();
  }
  if (id >= 0) clubCache_.push_back({id, name});
  return id;
}

std::string Database::GetClubName(int id) {
  for (const ClubEntry& c : clubCache_)
    if (c.id == id) return c.name;
  Records rs;
  Exec(&rs, "SELECT id,name FROM Clubs WHERE id=%d", id);
  RecordSet r(rs);
  if (!r.First()) return "";  // not cached: the id may belong to a club added later
  std::string name = r.Text("name");
  clubCache_.push_back({id, name});
  return name;
}

void Database::ListClubs(int idToernooi, std::vector<ClubEntry>& list) {
  list.clear();
  std::string sql;
  if (idToernooi > 0)
    sql = Format(
        "SELECT * FROM Clubs WHERE id IN (SELECT idClub FROM PlayersMain WHERE id IN (SELECT idPlayer FROM "
        "PlayersToernooi WHERE idToernooi=%d))",
        idToernooi);
  else
    sql = "SELECT id,name FROM Clubs";
  sql += " ORDER BY name";
  Records rs;
  ExecText(&rs, sql);
  ReadClubs(rs, list);
}

void Database::ListClubsOfToernooi(int idToernooi, std::vector<ClubEntry>& list) {
  list.clear();
  Records rs;
  Exec(&rs,
       "SELECT id,name FROM Clubs WHERE id IN (SELECT DISTINCT(idClub) FROM PlayersMain WHERE id IN (SELECT "
       "idPlayer FROM PlayersToernooi WHERE idToernooi=%d)) ORDER BY name",
       idToernooi);
  ReadClubs(rs, list);
}

// ---------------------------------------------------------------- players

int Database::AddPlayer(const PlayerRecord& player, int idToernooi, std::string* storedName) {
  Transaction tx(*this);
  std::string candidate;
  for (int n = 0; n <= kMaxNameSuffix; ++n) {
    candidate = NameCandidate(player.name, n);
    Records rs;
    Exec(&rs, "SELECT id FROM PlayersMain WHERE name='%s'", QuoteSql(candidate).c_str());
    if (!HasRows(rs)) break;
  }
  if (Exec(nullptr,
           "INSERT INTO PlayersMain (name,idClub,bondsnummer,gender,email) VALUES ('%s',%d,'%s',%d,'%s')",
           QuoteSql(candidate).c_str(), player.idClub, QuoteSql(player.bondsnummer).c_str(), player.gender,
           QuoteSql(player.email).c_str()) != 0)
    return -1;
  // By row id: after 999 taken names the candidate is not unique, and a look-up
  // by name would give the entry to the older player of that name.
  int id = LastInsertId();
  if (id < 0) return -1;
  if (Exec(nullptr, "INSERT INTO PlayersToernooi (idPlayer,idToernooi,rating,klasse) VALUES (%d,%d,%d,'%s')", id,
           idToernooi, player.rating, QuoteSql(player.klasse).c_str()) != 0)
    return -1;
  if (!tx.Commit()) return -1;
  if (storedName) *storedName = candidate;
  return id;
}

int Database::FindPlayer(const PlayerRecord& player) {
  Records rs;
  if (!player.bondsnummer.empty()) {
    Exec(&rs, "SELECT id FROM PlayersMain WHERE bondsnummer='%s'", QuoteSql(player.bondsnummer).c_str());
    RecordSet r(rs);
    if (r.First()) return r.Int("id");
  }
  Exec(&rs, "SELECT id FROM PlayersMain WHERE name='%s' AND idClub=%d", QuoteSql(player.name).c_str(),
       player.idClub);
  RecordSet r(rs);
  return r.First() ? r.Int("id") : -1;
}

bool Database::SetPlayerInToernooi(const PlayerRecord& player, int idToernooi) {
  Records rs;
  Exec(&rs, "SELECT id FROM PlayersToernooi WHERE idPlayer=%d AND idToernooi=%d", player.id, idToernooi);
  if (HasRows(rs)) {
    if (player.rating < 1 && player.klasse.empty()) return true;
    std::string sql = "UPDATE PlayersToernooi SET ";
    if (player.rating > 0) sql += Format("rating=%d,", player.rating);
    if (!player.klasse.empty()) sql += Format("klasse='%s',", QuoteSql(player.klasse).c_str());
    sql.pop_back();
    // Keyed by the player alone: a player's rating and class are the same in
    // every tournament, which GetPlayer relies on.
    sql += Format(" WHERE idPlayer=%d", player.id);
    ExecText(nullptr, sql);
    return true;
  }
  Exec(nullptr, "INSERT INTO PlayersToernooi (idPlayer,idToernooi,rating,klasse) VALUES (%d,%d,%d,'%s')",
       player.id, idToernooi, player.rating, QuoteSql(player.klasse).c_str());
  return false;
}

void Database::UpdatePlayer(const PlayerRecord& player) {
  Transaction tx(*this);
  std::string candidate;
  for (int n = 0; n <= kMaxNameSuffix; ++n) {
    candidate = NameCandidate(player.name, n);
    Records rs;
    // The player's own row does not make its name taken.
    Exec(&rs, "SELECT id FROM PlayersMain WHERE name='%s' AND id<>%d", QuoteSql(candidate).c_str(), player.id);
    if (!HasRows(rs)) break;
  }
  if (Exec(nullptr,
           "UPDATE PlayersMain SET name='%s',idClub=%d,bondsnummer='%s',gender=%d,email='%s' WHERE id=%d",
           QuoteSql(candidate).c_str(), player.idClub, QuoteSql(player.bondsnummer).c_str(), player.gender,
           QuoteSql(player.email).c_str(), player.id) != 0)
    return;
  if (Exec(nullptr, "UPDATE PlayersToernooi SET rating=%d,klasse='%s' WHERE idPlayer=%d", player.rating,
           QuoteSql(player.klasse).c_str(), player.id) != 0)
    return;
  tx.Commit();
}

void Database::GetPlayer(PlayerRecord& player, int id) {
  Records rs;
  Exec(&rs,
       "select PlayersMain.*,PlayersToernooi.rating,PlayersToernooi.klasse FROM PlayersMain,PlayersToernooi WHERE "
       "PlayersMain.id=%d AND PlayersMain.id=PlayersToernooi.idPlayer",
       id);
  RecordSet r(rs);
  if (!r.First()) return;
  std::string clubName = std::move(player.clubName);
  player = ReadPlayer(r);
  player.clubName = std::move(clubName);
}

void Database::ListPlayers(std::vector<PlayerRecord>& list, int idToernooi) {
  list.clear();
  std::string sql =
      "select PlayersMain.*,PlayersToernooi.rating,PlayersToernooi.klasse FROM PlayersMain,PlayersToernooi WHERE "
      "PlayersMain.id=PlayersToernooi.idPlayer";
  if (idToernooi > 0) sql += Format(" AND idToernooi=%d", idToernooi);
  Records rs;
  ExecText(&rs, sql);
  RecordSet r(rs);
  for (bool ok = r.First(); ok; ok = r.Next()) list.push_back(ReadPlayer(r));
}

void Database::ListPlayersById(int idToernooi, const std::vector<int>& ids, std::vector<PlayerRecord>& list) {
  list.clear();
  if (ids.empty()) return;
  std::string sql = Format(
      "select PlayersMain.*,PlayersToernooi.rating,PlayersToernooi.klasse FROM PlayersMain,PlayersToernooi WHERE "
      "PlayersMain.id=PlayersToernooi.idPlayer AND idToernooi=%d AND PlayersMain.id IN (",
      idToernooi);
  for (size_t i = 0; i < ids.size(); ++i) sql += (i ? "," : "") + std::to_string(ids[i]);
  sql += ")";
  std::string rs;
  ExecText(&rs, sql);
  RecordSet r(rs);
  for (bool ok = r.First(); ok; ok = r.Next()) list.push_back(ReadPlayer(r));
}

void Database::ListPlayersWithClub(int idToernooi, std::vector<PlayerWithClub>& list) {
  list.clear();
  std::string sql = Format(
      "SELECT PlayersMain.id,PlayersMain.name,Clubs.name as club,PlayersToernooi.rating,PlayersToernooi.klasse"
      " FROM PlayersMain,PlayersToernooi,Clubs"
      " WHERE idToernooi=%d"
      " AND PlayersMain.id=PlayersToernooi.idPlayer AND PlayersMain.idClub=Clubs.id"
      " UNION "
      "SELECT PlayersMain.id,PlayersMain.name,'' as club,PlayersToernooi.rating,PlayersToernooi.klasse"
      " FROM PlayersMain,PlayersToernooi"
      " WHERE idToernooi=%d"
      " AND PlayersMain.id=PlayersToernooi.idPlayer AND PlayersMain.idClub NOT IN (SELECT id FROM Clubs)",
      idToernooi, idToernooi);
  Records rs;
  ExecText(&rs, sql);
  RecordSet r(rs);
  for (bool ok = r.First(); ok; ok = r.Next()) {
    PlayerWithClub p;
    p.id = r.Int("id");
    p.name = r.Text("name");
    p.club = r.Text("club");
    p.rating = r.Int("rating");
    p.klasse = r.Text("klasse");
    list.push_back(std::move(p));
  }
}

void Database::DeletePlayer(int idPlayer) {
  // Both or neither: an entry without its player would show as a nameless row.
  Transaction tx(*this);
  if (Exec(nullptr, "DELETE FROM PlayersToernooi WHERE idPlayer=%d", idPlayer) != 0) return;
  if (Exec(nullptr, "DELETE FROM PlayersMain WHERE id=%d", idPlayer) != 0) return;
  tx.Commit();
}

// ---------------------------------------------------------------- duos

namespace {

using PlayerIndex = std::unordered_map<int, const PlayerRecord*>;

PlayerIndex IndexPlayers(const std::vector<PlayerRecord>& players) {
  PlayerIndex index;
  index.reserve(players.size());
  for (const PlayerRecord& p : players) index.emplace(p.id, &p);  // first entry of a player wins
  return index;
}

void FillDuoDisplay(Database& db, DuoRecord& duo, const PlayerIndex& players) {
  auto p1 = players.find(duo.idPlayer1);
  if (p1 == players.end()) return;
  duo.name = p1->second->name;
  duo.club = db.GetClubName(p1->second->idClub);
  duo.rating = p1->second->rating;
  auto p2 = players.find(duo.idPlayer2);
  if (p2 == players.end()) return;
  duo.name += " + " + p2->second->name;
  duo.rating += p2->second->rating;
  std::string club2 = db.GetClubName(p2->second->idClub);
  if (club2 != duo.club) duo.club += "/" + club2;
}

}  // namespace

void Database::AddDuo(const DuoRecord& duo, int idToernooi) {
  Exec(nullptr, "INSERT INTO Duos (idToernooi,idPlayer1,idPlayer2,klasse) VALUES (%d,%d,%d,'%s')", idToernooi,
       duo.idPlayer1, duo.idPlayer2, QuoteSql(duo.klasse).c_str());
}

void Database::UpdateDuo(const DuoRecord& duo) {
  Exec(nullptr, "UPDATE Duos SET idPlayer1=%d,idPlayer2=%d,klasse='%s' WHERE id=%d", duo.idPlayer1, duo.idPlayer2,
       QuoteSql(duo.klasse).c_str(), duo.id);
}

void Database::DeleteDuo(int id) { Exec(nullptr, "DELETE FROM Duos WHERE id=%d", id); }

void Database::ListDuos(std::vector<DuoRecord>& list, int idToernooi) {
  list.clear();
  std::string sql = "SELECT id,idPlayer1,idPlayer2,klasse FROM Duos";
  // Only the pairs entered for this tournament: players are shared between
  // tournaments, so another tournament's pair would otherwise show up here
  // with its names filled in.
  if (idToernooi > 0) sql += Format(" WHERE idToernooi=%d", idToernooi);
  Records rs;
  ExecText(&rs, sql);
  RecordSet r(rs);
  for (bool ok = r.First(); ok; ok = r.Next()) {
    DuoRecord d;
    d.id = r.Int("id");
    d.idPlayer1 = r.Int("idPlayer1");
    d.idPlayer2 = r.Int("idPlayer2");
    d.klasse = r.Text("klasse");
    list.push_back(std::move(d));
  }
  if (idToernooi <= 0 || list.empty()) return;
  std::vector<PlayerRecord> players;
  ListPlayers(players, idToernooi);
  PlayerIndex index = IndexPlayers(players);
  for (DuoRecord& d : list) FillDuoDisplay(*this, d, index);
}

void Database::GetDuo(DuoRecord& duo, int id) {
  duo.name.clear();
  duo.club.clear();
  duo.rating = 0;
  Records rs;
  Exec(&rs, "SELECT idPlayer1,idPlayer2,klasse FROM Duos WHERE id=%d", id);
  RecordSet r(rs);
  if (!r.First()) return;
  duo.id = id;
  duo.idPlayer1 = r.Int("idPlayer1");
  duo.idPlayer2 = r.Int("idPlayer2");
  duo.klasse = r.Text("klasse");
  std::vector<PlayerRecord> players;
  ListPlayers(players, 0);
  FillDuoDisplay(*this, duo, IndexPlayers(players));
}

}  // namespace velgram
