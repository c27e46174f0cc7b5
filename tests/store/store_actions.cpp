#include "store_actions.h"

#include <sqlite3.h>

#include <algorithm>
#include <stdexcept>

#include "common/fakes.h"
#include "competition/club_trophy.h"
#include "competition/dropout.h"
#include "competition/match_rules.h"
#include "competition/matchbook.h"
#include "competition/poule.h"
#include "competition/swiss.h"
#include "exchange/import_players.h"
#include "store/recordset.h"
#include "support/text.h"

namespace velgram::testing {

namespace {

PlayerRecord Player(int n) {
  PlayerRecord p{-1, Format("Speler %02d", n), -1, Format("NL%04d", n), 1000 + 37 * n, "A", 0, "", "TTV Noord"};
  if (n >= 7) p.klasse = "B";
  if (n % 2 == 0) p.clubName = "Smash";
  return p;
}

// A pool of the class with the players at its first positions.
int AddPool(Database& db, int idSystem, int playstyle, const char* name, const char* extra, std::vector<int> players) {
  int id = db.AddPool({-1, playstyle, idSystem, name, "1-3", 900, 1200, 0, extra, 0}, idSystem);
  std::vector<ContestantRecord> rows;
  for (int i = 0; i < static_cast<int>(players.size()); ++i) rows.push_back({0, -1, i + 1, i + 1, 1, players[i], 0, 0});
  if (!db.ReplaceContestants(id, rows)) throw std::runtime_error("positions not written");
  return id;
}

bool GetSwiss(Database& db, int idPool, LSwiss& pool) {
  PoolRecord row;
  if (!db.GetPool(idPool, row)) return false;
  pool = LSwiss(row.extra);
  pool.FillFrom(row);
  pool.AttachDatabase(&db);
  return true;
}

// Answers the import's questions: every club is known, and the two players
// the file no longer lists are removed.
class RemovingImport : public FakePrompterOf<ImportPrompter> {
 public:
  ClubChoice SelectClub(const PlayerRecord&, const std::vector<ClubEntry>&) override { return {}; }
  RemoveOutcome RemovePlayers(const std::vector<PlayerRecord>& players,
                              const std::function<bool(const std::vector<int>&)>& removeSelected) override {
    std::vector<int> ids;
    for (const PlayerRecord& p : players)
      if (p.name == "Speler 11" || p.name == "Speler 12") ids.push_back(p.id);
    if (!ids.empty()) removeSelected(ids);
    return RemoveOutcome::kContinue;
  }
};

}  // namespace

World BuildWorld(Database& db, Clock& clock) {
  World w;
  w.idToernooi = db.AddToernooi("Open");
  std::vector<int> players;
  for (int n = 1; n <= 12; ++n) {
    PlayerRecord p = Player(n);
    p.idClub = db.GetOrAddClub(p.clubName);
    players.push_back(db.AddPlayer(p, w.idToernooi));
  }
  db.AddSystem({-1, "Heren", "", 0, 0, 0}, w.idToernooi);
  std::vector<SystemRecord> classes;
  db.ListSystems(classes, w.idToernooi);
  w.idSystem = classes.at(0).id;

  const std::vector<int>& p = players;
  w.idPoule = AddPool(db, w.idSystem, kPlaystylePoule, "Poule A", "", {p[0], p[1], p[2], p[3], p[4]});
  w.idSwiss = AddPool(db, w.idSystem, kPlaystyleSwiss, "Zwitsers", "", {p[0], p[2], p[4], p[5], p[6], p[7]});
  w.idKnockout =
      AddPool(db, w.idSystem, kPlaystyleDropout, "Afval", "{ \"dimension\":8 }", {p[1], p[3], p[5], p[7], p[8], p[9]});

  LSwiss swiss;
  if (!GetSwiss(db, w.idSwiss, swiss) || swiss.CalculateNextRound(db, clock, nullptr) != RoundOutcome::kWritten)
    throw std::runtime_error("first Swiss round not written");
  std::vector<MatchRecord> matches;
  db.ListMatches(w.idSwiss, matches);
  for (const MatchRecord& m : matches) db.RecordResult(m.id, 0, {8, 5, -9, 12}, true);
  w.idMatch = matches.at(0).id;
  return w;
}

const std::vector<StoreAction>& StoreActions() {
  static const std::vector<StoreAction> actions = {
      {"import",
       [](Database& db, Clock&, const World& w) {
         // Two players keep their place with a new rating and class, two are
         // new, two are removed.
         ImportFile file;
         for (int n = 1; n <= 10; ++n) {
           PlayerRecord p = Player(n);
           if (n <= 2) p.rating += 100, p.klasse = "C";
           file.rows.push_back(p);
         }
         file.rows.push_back(Player(21));
         file.rows.push_back(Player(22));
         RemovingImport prompter;
         return ImportPlayers(db, w.idToernooi, file, prompter) == ImportResult::kImported;
       }},
      {"start round robin",
       [](Database& db, Clock&, const World& w) {
         FakePrompter prompter;
         return StartPoule(db, prompter, w.idPoule) == StartOutcome::kStarted;
       }},
      {"Swiss round",
       [](Database& db, Clock& clock, const World& w) {
         LSwiss swiss;
         return GetSwiss(db, w.idSwiss, swiss) &&
                swiss.CalculateNextRound(db, clock, nullptr) == RoundOutcome::kWritten;
       }},
      {"activate knockout",
       [](Database& db, Clock&, const World& w) {
         PoolRecord row;
         if (!db.GetPool(w.idKnockout, row)) return false;
         LDropout pool(row.extra);
         pool.FillFrom(row);
         std::vector<Contestant> seats;
         LoadContestants(db, w.idKnockout, seats, true);
         FakePrompter prompter;
         return ActivateDropout(db, prompter, pool, seats) == ActivateOutcome::kActivated;
       }},
      {"delete class", [](Database& db, Clock&, const World& w) { return db.DeleteSystem(w.idSystem); }},
      {"delete pool", [](Database& db, Clock&, const World& w) { return db.DeletePool(w.idSwiss); }},
      {"delete round", [](Database& db, Clock&, const World& w) { return DeleteSwissRound(db, w.idSwiss, 1); }},
      {"replace positions",
       [](Database& db, Clock&, const World& w) {
         std::vector<ContestantRecord> list;
         db.ListContestants(w.idKnockout, list);
         if (list.empty()) return false;
         std::reverse(list.begin(), list.end());
         for (size_t i = 0; i < list.size(); ++i) list[i].sort = static_cast<int>(i) + 1;
         ContestantRecord extra = list.front();
         extra.id = 0;
         extra.sort = static_cast<int>(list.size()) + 1;
         list.push_back(extra);
         return db.ReplaceContestants(w.idKnockout, list);
       }},
      {"save result",
       [](Database& db, Clock&, const World& w) {
         return SaveResult(db, w.idMatch, DecideGameByGame(DefaultMatchSystem(), {-6, 10, -4, -12}));
       }},
      {"clear result", [](Database& db, Clock&, const World& w) { return db.ClearResult(w.idMatch); }},
      {"club trophy sort",
       [](Database& db, Clock&, const World& w) {
         ClubTrophyModel model(db, w.idToernooi);
         return model.SortBy(ClubTrophyModel::kMinQuotient);
       }},
  };
  return actions;
}

bool WriteRawFile(const std::string& path, const std::string& sql) {
  sqlite3* db = nullptr;
  bool ok = sqlite3_open(path.c_str(), &db) == SQLITE_OK &&
            sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
  sqlite3_close(db);
  return ok;
}

void WriteOldFile(const std::string& path) {
  // Each table with its id and the columns the oldest versions had.
  static const char* const tables[][2] = {
      {"Settings", "theKey text,theValue text"},
      {"Toernooien", "name text"},
      {"Clubs", "name text"},
      {"Players", "name text"},
      {"PlayersMain", "name text,idClub integer,bondsnummer text,gender integer,email text"},
      {"PlayersToernooi", "idPlayer integer,idToernooi integer,rating integer,klasse text"},
      {"Systems", "idToernooi integer,name text,description text,nrPlayers integer,sort integer"},
      {"Pools", "playstyle integer,idSystem integer,name text,tables text,starttime integer,endtime integer,sort "
                "integer,extra text"},
      {"Contestants", "idPool integer,poolPos integer,item1 integer,item2 integer"},
      {"Matches", "idPool integer,idContestant1 integer,idContestant2 integer,tafel integer,starttime integer"},
      {"ResultWinner", "idMatch integer,indexWinner integer"},
      {"ResultGames", "idMatch integer,game integer,result integer"}};
  std::string sql = "BEGIN;";
  for (const auto& t : tables) sql += Format("CREATE TABLE %s (id integer PRIMARY KEY,%s);", t[0], t[1]);
  sql +=
      "INSERT INTO Toernooien (name) VALUES ('Oud');"
      "INSERT INTO Players (name) VALUES ('weg');"
      "INSERT INTO Systems (idToernooi,name,description,nrPlayers,sort) VALUES (1,'Heren','',8,1);"
      "INSERT INTO Pools (playstyle,idSystem,name,tables,starttime,endtime,sort,extra) VALUES "
      "(1,1,'A','1-2',900,1000,1,''),(1,1,'B','3',1000,1100,2,'');"
      "INSERT INTO ResultWinner (idMatch,indexWinner) VALUES (1,0);";
  for (int i = 1; i <= 8; ++i) {
    sql += Format("INSERT INTO PlayersMain (name,idClub,bondsnummer,gender,email) VALUES ('Oud %d',0,'',0,'');", i);
    sql += Format("INSERT INTO PlayersToernooi (idPlayer,idToernooi,rating,klasse) VALUES (%d,1,%d,'A');", i,
                  1500 + i);
    sql += Format("INSERT INTO Contestants (idPool,poolPos,item1,item2) VALUES (1,%d,%d,0);", 9 - i, i);
  }
  sql += "INSERT INTO Contestants (idPool,poolPos,item1,item2) VALUES (2,1,-1,1),(2,2,-1,2);COMMIT;";
  WriteRawFile(path, sql);
}

std::string DumpDatabase(const std::string& path) {
  sqlite3* db = nullptr;
  // Read-write, so that a journal left by a killed writer is played back
  // first, as the program's own next start would.
  if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
    sqlite3_close(db);
    return "(cannot open)";
  }
  sqlite3_busy_timeout(db, 2000);
  auto append = [](void* out, int n, char** values, char**) {
    std::string& s = *static_cast<std::string*>(out);
    for (int i = 0; i < n; ++i) (s += values[i] ? values[i] : "NULL") += '|';
    s += '\n';
    return 0;
  };
  std::string dump;
  std::vector<std::string> tables;
  sqlite3_exec(db, "PRAGMA integrity_check", append, &dump, nullptr);
  sqlite3_exec(db, "SELECT type,name,sql FROM sqlite_master ORDER BY type,name", append, &dump, nullptr);
  sqlite3_exec(
      db, "SELECT name FROM sqlite_master WHERE type='table' ORDER BY name",
      [](void* out, int, char** values, char**) {
        static_cast<std::vector<std::string>*>(out)->push_back(values[0]);
        return 0;
      },
      &tables, nullptr);
  for (const std::string& t : tables) {
    dump += "== " + t + "\n";
    sqlite3_exec(db, ("SELECT * FROM \"" + t + "\" ORDER BY rowid").c_str(), append, &dump, nullptr);
  }
  sqlite3_close(db);
  return dump;
}

}  // namespace velgram::testing
