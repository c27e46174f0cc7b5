#include "store/database.h"

#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string_view>
#include <system_error>
#include <thread>

#include "store/recordset.h"
#include "support/paths.h"
#include "support/text.h"

namespace velgram {

std::string DatabasePath() { return DataFolder() + "/Velgram.db"; }

namespace {

int AppendRecord(void* context, int count, char** values, char** names) {
  static_cast<Records*>(context)->AppendRow(count, values, names);
  return 0;
}

int AppendRow(void* context, int count, char** values, char** names) {
  if (!context) return 0;
  std::string& out = *static_cast<std::string*>(context);
  out += "<Record";
  for (int i = 0; i < count; ++i) {
    out += ' ';
    out += names[i] ? names[i] : "";
    out += "=\"";
    if (values[i]) AppendEscaped(out, values[i]);
    out += '"';
  }
  out += " />";
  return 0;
}

std::vector<std::string> ReadNames(Database& db, const std::string& sql) {
  Records rs;
  db.ExecText(&rs, sql);
  std::vector<std::string> names;
  RecordSet r(rs);
  for (bool ok = r.First(); ok; ok = r.Next()) names.push_back(r.Text("name"));
  return names;
}

bool Contains(const std::vector<std::string>& list, const std::string& name) {
  return std::find(list.begin(), list.end(), name) != list.end();
}

int CollectFirstColumn(void* context, int count, char** values, char**) {
  auto& lines = *static_cast<std::vector<std::string>*>(context);
  lines.push_back(count > 0 && values[0] ? values[0] : "");
  return 0;
}

// "ok" alone when the file is sound; a read, never a write.
int QuickCheck(sqlite3* db, std::vector<std::string>& lines) {
  return sqlite3_exec(db, "PRAGMA quick_check", &CollectFirstColumn, &lines, nullptr);
}

std::string FailureReason(int rc) {
  switch (rc & 0xff) {
    case SQLITE_FULL:
      return "de schijf is vol";
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
      return "een ander programma houdt de database bezet";
    case SQLITE_READONLY:
    case SQLITE_PERM:
    case SQLITE_AUTH:
      return "het bestand mag niet beschreven worden";
    case SQLITE_CANTOPEN:
    case SQLITE_MISUSE:
      return "het bestand kan niet geopend worden";
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
      return "het bestand is beschadigd of is geen database";
    case SQLITE_IOERR:
      return "de schijf gaf een lees- of schrijffout";
    case SQLITE_NOMEM:
      return "er is te weinig geheugen";
    case SQLITE_ABORT:
      return "SQLite heeft de bewerking afgebroken";
    default:
      return Format("SQLite-fout %d", rc);
  }
}

}  // namespace

std::string Database::FailureText(int rc) { return FailureReason(rc); }

namespace {
// A club keeps years of tournaments in one file: the look-ups of one
// tournament's classes (and through them its pools and matches), of a setting,
// of a club by name and of a tournament's duos would otherwise read every row
// of every tournament. IF NOT EXISTS makes the step a no-op on a file that has
// them; older versions of the program read such a file as before.
void AddLookupIndexes(Database& db) {
  static const char* const kIndexes[] = {
      "CREATE INDEX IF NOT EXISTS ixSystemsToernooi ON Systems (idToernooi,sort)",
      "CREATE INDEX IF NOT EXISTS ixSettingsKey ON Settings (theKey)",
      "CREATE INDEX IF NOT EXISTS ixClubsName ON Clubs (name)",
      "CREATE INDEX IF NOT EXISTS ixDuosToernooi ON Duos (idToernooi)",
  };
  for (const char* sql : kIndexes) db.ExecText(nullptr, sql);
}

// The positions of the oldest files keep a player id in item1, or minus the id
// of a linked pool with the place in item2.
void ConvertLegacyPositions(Database& db, const char* select) {
  Records rows;
  db.ExecText(&rows, select);
  RecordSet r(rows);
  for (bool ok = r.First(); ok; ok = r.Next()) {
    int item1 = r.Int("item1");
    if (item1 >= 1)
      db.Exec(nullptr, "UPDATE Contestants SET linktype=%d,idPlayer=%d WHERE id=%d", 1, item1, r.Int("id"));
    else
      db.Exec(nullptr, "UPDATE Contestants SET linktype=%d,idLinkedPool=%d,indexKlasse=%d WHERE id=%d", 2, -item1,
              r.Int("item2"), r.Int("id"));
  }
}

}  // namespace

Database::Database(std::string path, Clock& clock, StatementHook hook, OpenKind kind)
    : path_(std::move(path)), clock_(clock), hook_(std::move(hook)) {
  Open();
  if (!CheckOpenFile()) return;
  if (!UpgradeSchema()) {
    // The upgrade rolled back whole; going on would write to a file of the
    // wrong shape.
    startError_ = Format("Velgram kan de database %s niet openen: %s. Er is niets in het bestand veranderd.",
                         path_.c_str(), FailureReason(lastFailure_).c_str());
    Close();
    return;
  }
  DateTime d = clock_.NowLocal();
  const int today = d.year * 10000 + d.month * 100 + d.day;
  if (kind == OpenKind::kRestored) SetSettingInt(kSettingBackupRestoredOn, today);
  if (GetSettingInt("BackupOnceDay") > 0 && GetSettingInt(kSettingBackupRestoredOn) != today) {
    Close();
    BackupOnceADay(path_, clock_);
    for (int attempt = 0; attempt < 5 && !db_; ++attempt) {
      if (attempt > 0) std::this_thread::sleep_for(std::chrono::milliseconds(200));
      Open();
    }
  }
  backupInterval_ = GetSettingInt("BackupInterval");
  lastBackupTime_ = clock_.NowUnix();
}

Database::~Database() { Close(); }

void Database::Open() {
  if (db_) return;
  sqlite3* db = nullptr;
  if (sqlite3_open(path_.c_str(), &db) != SQLITE_OK) {
    sqlite3_close(db);
    return;
  }
  // Another program (a virus scanner, a file-sync tool, a backup copy) may
  // hold the file for a moment; wait for it rather than failing the statement.
  sqlite3_busy_timeout(db, busyWaitMs_);
  db_ = db;
}

void Database::Close() {
  if (!db_) return;
  sqlite3_close(db_);
  db_ = nullptr;
}

void Database::SetBusyWait(int ms) {
  busyWaitMs_ = ms;
  if (db_) sqlite3_busy_timeout(db_, ms);
}

void Database::SetStatementHook(StatementHook hook) {
  hook_ = std::move(hook);
  hookCount_ = 0;
}

bool Database::CheckOpenFile() {
  if (!db_) return true;  // the upgrade fails and says why
  std::vector<std::string> lines;
  int rc = QuickCheck(db_, lines);
  if (rc == SQLITE_OK && lines.size() == 1 && lines[0] == "ok") return true;
  damaged_ = rc == SQLITE_OK || (rc & 0xff) == SQLITE_CORRUPT || (rc & 0xff) == SQLITE_NOTADB;
  startError_ = Format("Velgram kan de database %s niet openen: %s. Er is niets in het bestand veranderd.",
                       path_.c_str(), FailureReason(damaged_ ? SQLITE_CORRUPT : rc).c_str());
  // Not one write may reach a damaged file: it is evidence, and perhaps
  // still partly readable by a repair tool.
  Close();
  return false;
}

bool Database::PassesCheck() {
  if (!db_) return FilePassesCheck(path_);
  std::vector<std::string> lines;
  return QuickCheck(db_, lines) == SQLITE_OK && lines.size() == 1 && lines[0] == "ok";
}

bool Database::FilePassesCheck(const std::string& path) {
  std::error_code ec;
  if (!std::filesystem::exists(path, ec)) return true;
  if (std::filesystem::file_size(path, ec) == 0 && !ec) return true;
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
    sqlite3_close(db);
    return false;
  }
  sqlite3_busy_timeout(db, kBusyWaitMs);
  std::vector<std::string> lines;
  int rc = QuickCheck(db, lines);
  sqlite3_close(db);
  return rc == SQLITE_OK && lines.size() == 1 && lines[0] == "ok";
}

std::string Database::BackupFolder() const {
  size_t slash = path_.find_last_of('/');
  std::string folder = slash == std::string::npos ? std::string(".") : path_.substr(0, slash);
  return folder + "/backup";
}

void Database::CheckTimedBackup() {
  if (backupInterval_ == 0 || txDepth_ > 0) return;
  int64_t now = clock_.NowUnix();
  if (now - lastBackupTime_ > static_cast<int64_t>(backupInterval_) * 60) {
    lastBackupTime_ = now;
    BackupNow();
  }
}

void Database::SetBackupInterval(int minutes) { backupInterval_ = minutes; }

int Database::LastInsertId() const {
  if (!db_) return -1;
  sqlite3_int64 id = sqlite3_last_insert_rowid(db_);
  return id > 0 && id <= INT32_MAX ? static_cast<int>(id) : -1;
}

int Database::Exec(std::string* records, const char* fmt, ...) {
  va_list args;
  va_start(args, fmt);
  std::string sql = FormatV(fmt, args);
  va_end(args);
  return ExecText(records, sql);
}

int Database::ExecText(std::string* records, const std::string& sql) {
  CheckTimedBackup();
  return Run(records, nullptr, sql.c_str());
}

int Database::Exec(Records* records, const char* fmt, ...) {
  va_list args;
  va_start(args, fmt);
  std::string sql = FormatV(fmt, args);
  va_end(args);
  return ExecText(records, sql);
}

int Database::ExecText(Records* records, const std::string& sql) {
  CheckTimedBackup();
  return Run(nullptr, records, sql.c_str());
}

int Database::Exec(std::nullptr_t, const char* fmt, ...) {
  va_list args;
  va_start(args, fmt);
  std::string sql = FormatV(fmt, args);
  va_end(args);
  return ExecText(nullptr, sql);
}

int Database::ExecText(std::nullptr_t, const std::string& sql) {
  CheckTimedBackup();
  return Run(nullptr, nullptr, sql.c_str());
}

StatementFault Database::NextFault(const char* sql) {
  if (!hook_) return StatementFault::kRun;
  StatementFault fault = hook_(++hookCount_, sql);
  if (fault == StatementFault::kLeaveTransaction && db_ && !sqlite3_get_autocommit(db_))
    sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
  return fault;
}

void Database::Spoil(int rc) {
  if (txFailed_) return;
  txFailed_ = true;
  lastFailure_ = rc;
}

int Database::Run(std::string* records, Records* rows, const char* sql) {
  if (records) *records = "<Records>";
  // Without a semicolon the text is one statement, whose rows all have the
  // same columns; with one (even inside a quoted value) each row's column
  // names are compared with the row before.
  if (rows) rows->Start(std::strchr(sql, ';') == nullptr);
  int rc = SQLITE_MISUSE;
  StatementFault fault = NextFault(sql);
  if (txDepth_ > 0 && (txFailed_ || !db_ || sqlite3_get_autocommit(db_))) {
    // The transaction is spoilt, or SQLite has already rolled it back: this
    // statement would be saved on its own, the first half of an action.
    rc = txFailed_ ? SQLITE_ABORT : SQLITE_ABORT_ROLLBACK;
  } else if (fault == StatementFault::kFail) {
    rc = SQLITE_IOERR;
  } else if (db_) {
    char* error = nullptr;
    if (rows)
      rc = sqlite3_exec(db_, sql, &AppendRecord, rows, &error);
    else
      rc = sqlite3_exec(db_, sql, &AppendRow, records, &error);
    if (error) sqlite3_free(error);
  }
  if (rc != SQLITE_OK) ++failedStatements_;
  if (txDepth_ > 0 && (rc != SQLITE_OK || !db_ || sqlite3_get_autocommit(db_)))
    Spoil(rc != SQLITE_OK ? rc : SQLITE_ABORT_ROLLBACK);
  if (records) {
    if (rc == SQLITE_OK)
      *records += "</Records>";
    else
      records->clear();
  }
  if (rows && rc != SQLITE_OK) rows->Fail();
  return rc;
}

int Database::RunControl(const char* sql) {
  if (NextFault(sql) == StatementFault::kFail) return SQLITE_IOERR;
  if (!db_) return SQLITE_MISUSE;
  return sqlite3_exec(db_, sql, nullptr, nullptr, nullptr);
}

// ---------------------------------------------------------------- transactions

void Database::BeginTransaction() {
  // The first statement of an operation is its BEGIN: an interval that ran
  // out is served here, before the transaction opens, not after it.
  if (txDepth_ == 0) CheckTimedBackup();
  if (txDepth_++ == 0) {
    txFailed_ = false;
    lastFailure_ = 0;
    // IMMEDIATE takes the write lock at once, so the operation cannot fail
    // half-way for want of it; when even that is refused, nothing is written.
    int rc = RunControl("BEGIN IMMEDIATE");
    if (rc != SQLITE_OK) Spoil(rc);
  }
}

bool Database::CommitTransaction() {
  if (txDepth_ == 0) return false;
  if (--txDepth_ > 0) return !txFailed_;
  bool ok = !txFailed_;
  if (ok && (!db_ || sqlite3_get_autocommit(db_))) {
    Spoil(SQLITE_ABORT_ROLLBACK);
    ok = false;
  }
  if (ok) {
    // A reader still holding the file refuses the commit. The busy wait has
    // usually been spent inside the first attempt; a refusal that came back
    // at once is tried again until the wait is over.
    auto start = std::chrono::steady_clock::now();
    for (;;) {
      int rc = RunControl("COMMIT");
      if (rc == SQLITE_OK) break;
      auto waited = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
      if ((rc & 0xff) == SQLITE_BUSY && waited.count() < busyWaitMs_ && db_ && !sqlite3_get_autocommit(db_)) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        continue;
      }
      Spoil(rc);
      ok = false;
      break;
    }
  }
  if (!ok) {
    if (db_ && !sqlite3_get_autocommit(db_)) sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    ForgetCaches();
  }
  txFailed_ = false;
  return ok;
}

void Database::RollbackTransaction() {
  if (txDepth_ == 0) return;
  if (--txDepth_ > 0) {
    Spoil(SQLITE_ABORT);  // the outermost one rolls back when it ends
    return;
  }
  if (db_ && !sqlite3_get_autocommit(db_)) sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
  txFailed_ = false;
  ForgetCaches();
}

void Database::ForgetCaches() {
  // Rows added inside a rolled-back transaction are gone; cached copies of
  // them must go too.
  clubCache_.clear();
  matchSystemCache_.clear();
  matchSystemsLoaded_ = false;
}

// ---------------------------------------------------------------- schema

bool Database::AddColumnIfMissing(const std::vector<std::string>& columns, const char* table,
                                  const char* column, const char* type) {
  if (Contains(columns, column)) return true;
  Exec(nullptr, "ALTER TABLE %s ADD %s %s", table, column, type);
  if (std::string_view(type) == "text")
    Exec(nullptr, "UPDATE %s SET %s=''", table, column);
  else
    Exec(nullptr, "UPDATE %s SET %s=0", table, column);
  return false;
}

namespace {

// How a match was decided (played, walkover, retirement) sits beside its
// winner. Rows of older files read 0, played, which is what they were; older
// versions of the program ignore the column and still see the winner.
void AddResultDecision(Database& db) {
  db.AddColumnIfMissing(ReadNames(db, "PRAGMA table_info('ResultWinner')"), "ResultWinner", "decision", "integer");
}

// Results entered at the tables: the queue of what the devices sent, and
// beside each result the entry it came from (0: typed at the desk, which is
// what every older row was). An entry id is stored once per tournament, so a
// device that sends again after a dropped connection adds nothing. Older
// versions of the program ignore both.
void AddTableEntries(Database& db, bool hasTable) {
  db.AddColumnIfMissing(ReadNames(db, "PRAGMA table_info('ResultWinner')"), "ResultWinner", "idEntry", "integer");
  if (!hasTable)
    db.ExecText(nullptr,
                "CREATE TABLE TableEntries (id integer PRIMARY KEY,idToernooi integer,tafel integer,idMatch "
                "integer,entryId text,device text,received integer,status integer,reason text,payload text)");
  db.ExecText(nullptr, "CREATE UNIQUE INDEX IF NOT EXISTS ixTableEntriesEntry ON TableEntries (idToernooi,entryId)");
  db.ExecText(nullptr, "CREATE INDEX IF NOT EXISTS ixTableEntriesMatch ON TableEntries (idMatch)");
  // What the desk asks for every entry that comes in: the other entries for
  // its match, a table's latest entries, the count of those that wait. A
  // queue that grows over the day must not make each entry slower.
  db.ExecText(nullptr, "CREATE INDEX IF NOT EXISTS ixTableEntriesMatchOf ON TableEntries (idToernooi,idMatch)");
  db.ExecText(nullptr, "CREATE INDEX IF NOT EXISTS ixTableEntriesTable ON TableEntries (idToernooi,tafel)");
  db.ExecText(nullptr, "CREATE INDEX IF NOT EXISTS ixTableEntriesStatus ON TableEntries (idToernooi,status)");
}

}  // namespace

bool Database::UpgradeSchema() {
  // One commit for the whole upgrade: an interrupted upgrade leaves the old
  // file as it was instead of a half-converted one.
  Transaction tx(*this);
  std::vector<std::string> tables = ReadNames(*this, "SELECT name FROM sqlite_master WHERE type=\"table\"");
  auto has = [&](const char* t) { return Contains(tables, t); };
  auto columns = [&](const char* t) {
    return ReadNames(*this, Format("PRAGMA table_info('%s')", t));
  };

  if (!has("Settings")) ExecText(nullptr, "CREATE TABLE Settings (id integer PRIMARY KEY,theKey text,theValue text)");

  if (has("Toernooien"))
    AddColumnIfMissing(columns("Toernooien"), "Toernooien", "idMatchSystem", "integer");
  else
    ExecText(nullptr, "CREATE TABLE Toernooien (id integer PRIMARY KEY,name text,idMatchSystem integer)");

  if (!has("Clubs")) ExecText(nullptr, "CREATE TABLE Clubs (id integer PRIMARY KEY,name text)");
  if (has("Players")) ExecText(nullptr, "DROP TABLE Players");
  if (!has("PlayersMain"))
    ExecText(nullptr,
             "CREATE TABLE PlayersMain (id integer PRIMARY KEY,name text,idClub integer,bondsnummer "
             "text,gender integer,email text)");
  if (!has("PlayersToernooi"))
    ExecText(nullptr,
             "CREATE TABLE PlayersToernooi (id integer PRIMARY KEY,idPlayer integer,idToernooi "
             "integer,rating integer,klasse text)");
  if (!has("Duos"))
    ExecText(nullptr,
             "CREATE TABLE Duos (id integer PRIMARY KEY,idPlayer1 integer,idPlayer2 integer,idToernooi "
             "integer,klasse text)");

  if (has("Systems"))
    AddColumnIfMissing(columns("Systems"), "Systems", "idMatchSystem", "integer");
  else
    ExecText(nullptr,
             "CREATE TABLE Systems (id integer PRIMARY KEY,idToernooi integer,name text,description "
             "text,nrPlayers integer,sort integer,idMatchSystem integer)");

  if (has("Pools"))
    AddColumnIfMissing(columns("Pools"), "Pools", "idMatchSystem", "integer");
  else
    ExecText(nullptr,
             "CREATE TABLE Pools (id integer PRIMARY KEY,playstyle integer,idSystem integer,name "
             "text,tables text,starttime integer,endtime integer,sort integer,extra text,idMatchSystem "
             "integer)");

  if (has("Contestants")) {
    std::vector<std::string> cols = columns("Contestants");
    if (!AddColumnIfMissing(cols, "Contestants", "sort", "integer")) {
      Records pools;
      ExecText(&pools, "SELECT DISTINCT(idPool) AS idPool FROM Contestants");
      RecordSet p(pools);
      for (bool ok = p.First(); ok; ok = p.Next()) {
        Records rows;
        Exec(&rows, "SELECT id FROM Contestants WHERE idPool=%d ORDER BY poolPos", p.Int("idPool"));
        RecordSet r(rows);
        int sort = 0;
        for (bool more = r.First(); more; more = r.Next())
          Exec(nullptr, "UPDATE Contestants SET sort=%d WHERE id=%d", sort++, r.Int("id"));
      }
    }
    bool hadKinds = AddColumnIfMissing(cols, "Contestants", "linktype", "integer");
    // Also when the kind column is there: an earlier version could be stopped
    // between these steps, each saved on its own.
    AddColumnIfMissing(cols, "Contestants", "idPlayer", "integer");
    AddColumnIfMissing(cols, "Contestants", "idLinkedPool", "integer");
    AddColumnIfMissing(cols, "Contestants", "indexKlasse", "integer");
    // Rows such an interrupted conversion had not reached are left without a
    // kind; they would never be converted because the column is there now.
    ConvertLegacyPositions(*this, hadKinds ? "SELECT * FROM Contestants WHERE linktype IS NULL"
                                           : "SELECT * FROM Contestants");
    if (hadKinds) {
      // Columns added by such a run but never filled read as 0, like every
      // added column.
      for (const char* column : {"idPlayer", "idLinkedPool", "indexKlasse"})
        Exec(nullptr, "UPDATE Contestants SET %s=0 WHERE %s IS NULL", column, column);
    }
  } else {
    ExecText(nullptr,
             "CREATE TABLE Contestants (id integer PRIMARY KEY,idPool integer,poolPos integer,item1 "
             "integer,item2 integer,sort integer)");
    std::vector<std::string> none;
    AddColumnIfMissing(none, "Contestants", "linktype", "integer");
    AddColumnIfMissing(none, "Contestants", "idPlayer", "integer");
    AddColumnIfMissing(none, "Contestants", "idLinkedPool", "integer");
    AddColumnIfMissing(none, "Contestants", "indexKlasse", "integer");
  }

  if (!has("Matches"))
    ExecText(nullptr,
             "CREATE TABLE Matches (id integer PRIMARY KEY,idPool integer,idContestant1 "
             "integer,idContestant2 integer,tafel integer,starttime integer)");

  if (has("ResultWinner")) {
    std::vector<std::string> cols = columns("ResultWinner");
    AddColumnIfMissing(cols, "ResultWinner", "isodate", "integer");
    AddColumnIfMissing(cols, "ResultWinner", "isotime", "integer");
    AddColumnIfMissing(cols, "ResultWinner", "isofraction", "integer");
  } else {
    ExecText(nullptr,
             "CREATE TABLE ResultWinner (id integer PRIMARY KEY,idMatch integer,indexWinner "
             "integer,isodate integer,isotime integer,isofraction integer)");
  }

  if (!has("ResultGames"))
    ExecText(nullptr, "CREATE TABLE ResultGames (id integer PRIMARY KEY,idMatch integer,game integer,result integer)");
  if (!has("Rounds"))
    ExecText(nullptr, "CREATE TABLE Rounds (id integer PRIMARY KEY,idPool integer,round integer,idMatch integer)");

  if (has("MatchSystems")) {
    std::vector<std::string> cols = columns("MatchSystems");
    static const char* const kInts[] = {"gameStop", "gameDiff", "setMax", "setWon", "result"};
    static const char* const kFlags[] = {"immutable", "duoteam", "duo_ax", "duo_ay", "duo_bx", "duo_by", "duo_abxy"};
    for (const char* c : kInts) AddColumnIfMissing(cols, "MatchSystems", c, "integer");
    AddColumnIfMissing(cols, "MatchSystems", "name", "text");
    for (const char* c : kFlags) AddColumnIfMissing(cols, "MatchSystems", c, "integer");
  } else {
    ExecText(nullptr,
             "CREATE TABLE MatchSystems (id integer PRIMARY KEY,gameStop integer,gameDiff integer,setMax "
             "integer,setWon integer,result integer,name text,immutable integer,duoteam integer,duo_ax "
             "integer,duo_ay integer,duo_bx integer,duo_by integer,duo_abxy integer)");
  }

  // Look-ups by player, match and pool would otherwise scan whole tables; an
  // import of a few thousand players then takes seconds instead of a blink.
  // Indexes change nothing that older versions of the program read.
  static const char* const kIndexes[] = {
      "CREATE INDEX IF NOT EXISTS ixPlayersMainBondsnummer ON PlayersMain (bondsnummer)",
      "CREATE INDEX IF NOT EXISTS ixPlayersMainName ON PlayersMain (name)",
      "CREATE INDEX IF NOT EXISTS ixPlayersToernooiPlayer ON PlayersToernooi (idPlayer,idToernooi)",
      "CREATE INDEX IF NOT EXISTS ixPlayersToernooiToernooi ON PlayersToernooi (idToernooi)",
      "CREATE INDEX IF NOT EXISTS ixContestantsPool ON Contestants (idPool)",
      "CREATE INDEX IF NOT EXISTS ixMatchesPool ON Matches (idPool)",
      "CREATE INDEX IF NOT EXISTS ixResultWinnerMatch ON ResultWinner (idMatch)",
      "CREATE INDEX IF NOT EXISTS ixResultGamesMatch ON ResultGames (idMatch)",
      "CREATE INDEX IF NOT EXISTS ixRoundsPool ON Rounds (idPool)",
      "CREATE INDEX IF NOT EXISTS ixPoolsSystem ON Pools (idSystem)",
  };
  for (const char* sql : kIndexes) ExecText(nullptr, sql);

  Records count;
  ExecText(&count, "SELECT COUNT(*) AS count FROM MatchSystems");
  RecordSet c(count);
  c.First();
  if (c.Int("count") < 5) {
    static const char* const kSeeds[] = {
        "(11,1,3,2,1,'Sets',1,0,0,0,0,0,0)",      "(11,1,3,2,4,'Best of 3',1,0,0,0,0,0,0)",
        "(11,1,5,3,4,'Best of 5',1,0,0,0,0,0,0)", "(11,1,7,4,4,'Best of 7',1,0,0,0,0,0,0)",
        "(11,0,2,2,3,'Duo Dudodeva',1,1,1,1,1,1,1)"};
    for (const char* values : kSeeds)
      ExecText(nullptr, std::string("INSERT INTO MatchSystems (gameStop,gameDiff,setMax,setWon,result,name,"
                                    "immutable,duoteam,duo_ax,duo_ay,duo_bx,duo_by,duo_abxy) VALUES ") +
                            values);
  }
  AddResultDecision(*this);
  AddTableEntries(*this, has("TableEntries"));
  AddLookupIndexes(*this);
  return tx.Commit();
}

// ---------------------------------------------------------------- settings

std::string Database::GetSetting(const std::string& key) {
  Records rs;
  Exec(&rs, "SELECT theValue FROM Settings WHERE theKey='%s'", key.c_str());
  if (!HasRows(rs)) return "";
  RecordSet r(rs);
  r.First();
  return r.Text("theValue");
}

void Database::SetSetting(const std::string& key, const std::string& value) {
  // Delete and insert commit together, so a failed insert cannot lose the
  // old value.
  Transaction tx(*this);
  Exec(nullptr, "DELETE FROM Settings WHERE theKey='%s'", key.c_str());
  if (Exec(nullptr, "INSERT INTO Settings (theKey,theValue) VALUES('%s','%s')", key.c_str(),
           QuoteSql(value).c_str()) != SQLITE_OK)
    return;  // the transaction rolls back and the delete with it
  tx.Commit();
}

int Database::GetSettingInt(const std::string& key, int fallback) {
  std::string v = GetSetting(key);
  if (v.empty()) return fallback;
  return std::atoi(v.c_str());
}

void Database::SetSettingInt(const std::string& key, int value) { SetSetting(key, Format("%d", value)); }

bool Database::SetSettings(const std::vector<std::pair<std::string, std::string>>& settings) {
  // A failing SetSetting spoils this transaction too, so a half-written group
  // is rolled back whole.
  Transaction tx(*this);
  for (const auto& [key, value] : settings) SetSetting(key, value);
  return tx.Commit();
}

}  // namespace velgram
