#pragma once
// The one data-store object of the process. Every read and write of the
// database goes through it; statements run through SQLite's one-shot execute,
// rows come back as record-set text (recordset.h).
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "store/records.h"
#include "support/clock.h"

struct sqlite3;

namespace velgram {

class Records;

std::string DatabasePath();  // DataFolder() + "/Velgram.db"

// How long a statement waits for a neighbour (a file-sync tool, a backup copy,
// a second reader) that holds the file before it gives up.
inline constexpr int kBusyWaitMs = 5000;

// What a test makes of the next statement (see Database::SetStatementHook).
enum class StatementFault {
  kRun,               // run it as usual
  kFail,              // it fails without touching the file
  kLeaveTransaction,  // SQLite has already rolled the open transaction back
};
// Called before every statement (BEGIN and COMMIT included) with its number,
// counted from 1 since the hook was set.
using StatementHook = std::function<StatementFault(int number, const char* sql)>;

// How a file comes to be opened at start-up.
enum class OpenKind {
  kAsFound,
  // Just copied back from a backup: it counts as the day's daily copy, which
  // would only repeat it and, by the keep-ten rule, push out the oldest good
  // copy.
  kRestored,
};

// yyyymmdd of the day on which the database was last restored from a backup.
inline constexpr const char* kSettingBackupRestoredOn = "BackupRestoredOn";

class Database {
 public:
  // Opens (creating when missing) the file at path, checks it, brings the
  // schema up to date, runs the daily backup when "BackupOnceDay" is on, reads
  // the timed backup interval and notes the current time. A file that fails
  // the check or whose upgrade is refused is left as it was and the
  // connection closed: see Damaged() and StartError().
  // A test passes hook to see the statements of the start-up as well.
  explicit Database(std::string path, Clock& clock = DefaultClock(), StatementHook hook = nullptr,
                    OpenKind kind = OpenKind::kAsFound);
  ~Database();
  Database(const Database&) = delete;
  Database& operator=(const Database&) = delete;

  bool IsOpen() const { return db_ != nullptr; }
  const std::string& Path() const { return path_; }
  std::string BackupFolder() const;  // folder of the database + "/backup"
  Clock& GetClock() const { return clock_; }

  // The file is damaged or not a database; nothing was written to it.
  bool Damaged() const { return damaged_; }
  // Why the database cannot be used, in Dutch ("" when it can): a damaged
  // file, or a schema upgrade that was refused and rolled back.
  const std::string& StartError() const { return startError_; }
  // PRAGMA quick_check of a closed file, opened read-only: true when it is a
  // sound database (an empty or missing file counts as sound).
  static bool FilePassesCheck(const std::string& path);

  // --- SQL gateway -------------------------------------------------------
  // Formats printf-style and runs the statement(s). When records is given it
  // receives the record-set text ("" when the statement failed). Returns
  // SQLite's result code.
  int Exec(std::string* records, const char* fmt, ...) __attribute__((format(printf, 3, 4)));
  int ExecText(std::string* records, const std::string& sql);
  // The same with the rows held as a list (the text only when asked for);
  // after a failed statement records reads as the empty text.
  int Exec(Records* records, const char* fmt, ...) __attribute__((format(printf, 3, 4)));
  int ExecText(Records* records, const std::string& sql);
  // For its effect only.
  int Exec(std::nullptr_t, const char* fmt, ...) __attribute__((format(printf, 3, 4)));
  int ExecText(std::nullptr_t, const std::string& sql);

  // --- transactions ------------------------------------------------------
  // Nested transactions join the outermost one; the outermost commits or
  // rolls back. The timed backup never runs while one is open.
  // A refused BEGIN, a failing statement, or SQLite leaving the transaction by
  // itself (after a full disk or an I/O error) spoils the transaction: every
  // further statement fails unrun until the outermost one ends, and that one
  // rolls back and reports false.
  void BeginTransaction();
  bool CommitTransaction();  // false when rolled back instead
  void RollbackTransaction();
  bool InTransaction() const { return txDepth_ > 0; }
  bool TransactionFailed() const { return txDepth_ > 0 && txFailed_; }
  // The result code of the first failure of the last spoilt transaction.
  int LastFailure() const { return lastFailure_; }
  // Why a statement failed with SQLite's result code rc, in Dutch ("de schijf
  // is vol"), to tell the user beside "nothing was saved".
  static std::string FailureText(int rc);
  // Statements that failed so far. A caller that must not act on a read that
  // failed (and so looks like no rows) compares it before and after.
  int FailedStatements() const { return failedStatements_; }
  // The row id of the last successful insert on this connection, or -1. Read
  // it straight after the insert: it runs no statement, so no timed backup can
  // reopen the connection in between.
  int LastInsertId() const;

  // The busy wait of the connection; kBusyWaitMs unless a test shortens it.
  void SetBusyWait(int ms);
  // Test seam (see StatementHook); null removes it.
  void SetStatementHook(StatementHook hook);

  // --- schema ------------------------------------------------------------
  bool UpgradeSchema();  // false when refused and rolled back
  bool AddColumnIfMissing(const std::vector<std::string>& columns, const char* table,
                          const char* column, const char* type);

  // --- settings ----------------------------------------------------------
  std::string GetSetting(const std::string& key);
  void SetSetting(const std::string& key, const std::string& value);
  int GetSettingInt(const std::string& key, int fallback = 0);  // fallback when empty
  void SetSettingInt(const std::string& key, int value);
  // Settings that belong together (a sort column and its direction, a window
  // placement) in one commit: all of them or none; false when none.
  bool SetSettings(const std::vector<std::pair<std::string, std::string>>& settings);

  // --- tournaments, clubs, players, duos -----------------------------------
  void GetToernooi(TournamentRecord& record, int id);
  void ListToernooien(std::vector<std::pair<int, std::string>>& list);
  int AddToernooi(const std::string& name);
  void RenameToernooi(int id, const std::string& name);

  int GetOrAddClub(const std::string& name);
  std::string GetClubName(int id);
  void ListClubs(int idToernooi, std::vector<ClubEntry>& list);
  void ListClubsOfToernooi(int idToernooi, std::vector<ClubEntry>& list);

  // storedName, when given, receives the name the player was stored under
  // (made unique with " (n)").
  int AddPlayer(const PlayerRecord& player, int idToernooi, std::string* storedName = nullptr);
  int FindPlayer(const PlayerRecord& player);
  bool SetPlayerInToernooi(const PlayerRecord& player, int idToernooi);
  void UpdatePlayer(const PlayerRecord& player);
  void GetPlayer(PlayerRecord& player, int id);
  void ListPlayers(std::vector<PlayerRecord>& list, int idToernooi);
  // The tournament's entries of just these players (a pool's positions).
  void ListPlayersById(int idToernooi, const std::vector<int>& ids, std::vector<PlayerRecord>& list);
  void ListPlayersWithClub(int idToernooi, std::vector<PlayerWithClub>& list);
  void DeletePlayer(int idPlayer);  // from every tournament

  void AddDuo(const DuoRecord& duo, int idToernooi);
  void UpdateDuo(const DuoRecord& duo);
  void DeleteDuo(int id);
  void ListDuos(std::vector<DuoRecord>& list, int idToernooi);
  void GetDuo(DuoRecord& duo, int id);

  // --- classes ------------------------------------------------------------
  void AddSystem(const SystemRecord& system, int idToernooi);
  void UpdateSystem(const SystemRecord& system, int idToernooi);
  void GetSystem(SystemRecord& system, int id);
  void ListSystems(std::vector<SystemRecord>& list, int idToernooi);
  void MoveSystemUp(int id);
  void MoveSystemDown(int id);
  bool DeleteSystem(int id);  // with all its pools; false: nothing deleted

  // --- pools --------------------------------------------------------------
  // Rows of playstyle 1 to 3 only: listing stops at the first other row.
  void ListPools(int idSystem, std::vector<PoolRecord>& list);
  void ListEarlierPools(int idPool, std::vector<PoolRecord>& list);
  // Every pool row of the tournament, of any playstyle, by class and sort.
  void ListPoolsOfToernooi(int idToernooi, std::vector<PoolRecord>& list);
  bool HasEarlierPool(int idPool);
  bool GetPool(int idPool, PoolRecord& pool);  // false: no row or other playstyle
  int AddPool(const PoolRecord& pool, int idSystem);
  void UpdatePool(const PoolRecord& pool);
  void MovePoolDown(int idPool, int idSystem);
  bool DeletePool(int idPool);  // with positions, matches, results and rounds; false: nothing deleted

  // --- positions ----------------------------------------------------------
  void AddContestant(const ContestantRecord& contestant);
  void ListContestants(int idPool, std::vector<ContestantRecord>& list);
  bool GetContestant(ContestantRecord& contestant, int id);
  void ListContestantsOfSystem(int idSystem, std::vector<ContestantRecord>& list);
  // Every position of the tournament's pools, by pool and sort.
  void ListContestantsOfToernooi(int idToernooi, std::vector<ContestantRecord>& list);
  void UpdateContestant(const ContestantRecord& contestant);
  void DeleteContestant(int id);
  // Writes the positions of a pool as a whole (old rows deleted, all rows
  // inserted again, under their ids where they have one), in one transaction.
  bool ReplaceContestants(int idPool, const std::vector<ContestantRecord>& list);

  // --- matches and results -----------------------------------------------
  int AddMatch(int idPool, int idContestant1, int idContestant2, int tafel, int starttime);
  void ListMatches(int idPool, std::vector<MatchRecord>& list);
  bool GetMatch(MatchRecord& match, int id);
  void ListMatchesOfToernooi(int idToernooi, std::vector<MatchRecord>& list);
  void UpdateMatch(const MatchRecord& match);  // pool, sides, table and time
  // Every match of the pool with its results, in one transaction (a caller's
  // transaction when one is open); false: nothing deleted.
  bool DeleteMatchesOfPool(int idPool);
  int ToernooiOfMatch(int idMatch);            // -1 when unknown
  ResultStamp StampNow() const;
  // Replaces the match's result in one transaction: the winner row with a
  // fresh stamp, and the games when writeGames is set. idEntry is the table
  // entry the result came from (TableEntries), 0 when typed at the desk.
  bool RecordResult(int idMatch, int indexWinner, const std::vector<int>& games, bool writeGames,
                    int decision = kDecisionPlayed, int idEntry = 0);
  bool ClearResult(int idMatch);
  void WriteWinner(int idMatch, int indexWinner, int decision = kDecisionPlayed, int idEntry = 0);
  void WriteGames(int idMatch, const std::vector<int>& games);
  void ReadResults(std::vector<MatchRecord>& matches);
  // The same for a list that holds every match of the tournament (as
  // ListMatchesOfToernooi reads them), selected by the tournament in SQL.
  void ReadResultsOfToernooi(int idToernooi, std::vector<MatchRecord>& matches);

  // --- Swiss rounds --------------------------------------------------------
  void AddRoundMatch(int idPool, int round, int idMatch);
  int MaxRound(int idPool);  // 0 when the pool has no rounds
  void ListRounds(std::vector<RoundEntry>& list, int idPool);
  bool DeleteRound(int idPool, int round);  // false: nothing deleted

  // --- match systems -----------------------------------------------------
  void ListMatchSystems(std::vector<MatchSystem>* list);
  void GetMatchSystem(MatchSystem& system, int id);
  int AddMatchSystem(MatchSystem& system);
  void UpdateMatchSystem(const MatchSystem& system);
  bool DeleteMatchSystem(int id);
  std::vector<int> TournamentsUsingMatchSystem(int id);
  std::vector<int> SystemsUsingMatchSystem(int id, int idToernooi);
  std::vector<int> PoolsUsingMatchSystem(int id, int idToernooi);

  // --- backups --------------------------------------------------------------
  // A timestamped copy in the backup folder; its path, or
  // "FOUT: Kan database niet kopiëren." when the copy failed or the database
  // fails its check (a bad file must not push out the good copies).
  std::string BackupNow();
  void SetBackupInterval(int minutes);  // 0 off
  int BackupInterval() const { return backupInterval_; }
  int64_t LastBackupTime() const { return lastBackupTime_; }
  // The daily copy "Velgram<yyyymmdd>.db"; at most one a day, and with exactly
  // ten copies present the oldest daily one goes first.
  static void BackupOnceADay(const std::string& databasePath, Clock& clock);
  // 0 ok (also when the source is missing), 1 no buffer, 2 source unreadable,
  // 3 target unwritable.
  static int CopyDatabaseFile(const std::string& source, const std::string& target);
  // The names of the copies in the backup folder ("Velgram*.db"), newest
  // first.
  std::vector<std::string> ListBackups() const;
  // "Backup Beheer": puts the copy at backupPath in place of the current data.
  // The current data is first saved as a timestamped copy; the chosen copy
  // must pass PRAGMA quick_check and be a Velgram database; it then replaces
  // the data in one step through the open connection, which SQLite rolls back
  // whole when it fails (a full disk), and the schema is brought up to date.
  // True with message = the path of the saved current data; false with the
  // Dutch reason, the current data unchanged.
  bool RestoreBackup(const std::string& backupPath, std::string& message);

 private:
  void Open();
  void Close();
  bool CheckOpenFile();
  bool PassesCheck();  // quick_check through the connection, or of the closed file
  void CheckTimedBackup();
  int Run(std::string* records, Records* rows, const char* sql);
  int RunControl(const char* sql);
  StatementFault NextFault(const char* sql);
  void Spoil(int rc);
  void LoadMatchSystems();
  void ForgetCaches();

  std::string path_;
  Clock& clock_;
  sqlite3* db_ = nullptr;
  int txDepth_ = 0;
  bool txFailed_ = false;
  int lastFailure_ = 0;
  int failedStatements_ = 0;
  int busyWaitMs_ = kBusyWaitMs;
  StatementHook hook_;
  int hookCount_ = 0;
  bool damaged_ = false;
  std::string startError_;
  std::vector<ClubEntry> clubCache_;
  std::vector<MatchSystem> matchSystemCache_;
  bool matchSystemsLoaded_ = false;
  int backupInterval_ = 0;
  int64_t lastBackupTime_ = 0;
};

// One user action, one commit: rolls back unless Commit() was called.
class Transaction {
 public:
  explicit Transaction(Database& db) : db_(db) { db_.BeginTransaction(); }
  ~Transaction() {
    if (!done_) db_.RollbackTransaction();
  }
  Transaction(const Transaction&) = delete;
  Transaction& operator=(const Transaction&) = delete;
  bool Commit() {
    done_ = true;
    return db_.CommitTransaction();
  }

 private:
  Database& db_;
  bool done_ = false;
};

}  // namespace velgram
