// Copies of the database file: daily, on demand and timed.
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <new>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include <sqlite3.h>

#include <algorithm>

#include "store/database.h"
#include "support/text.h"

namespace velgram {

namespace fs = std::filesystem;

namespace {

const char* const kCopyFailed = "FOUT: Kan database niet kopi\xEB" "ren.";

constexpr size_t kCopyBlock = 10000;

// The daily copies are pruned only when there are exactly this many files.
constexpr size_t kDailyPruneCount = 10;

// Numbers of daily copies are yyyymmdd; the search for the oldest starts above
// any date a copy can carry.
constexpr int kNoDailyNumber = 21000000;

// Reopening after a copy is retried: a virus scanner or indexer that has just
// seen the file change may hold it for a moment.
constexpr int kReopenAttempts = 5;
constexpr auto kReopenPause = std::chrono::milliseconds(200);

// The same rule as Database::BackupFolder, for the daily copy, which runs
// before there is a Database to ask.
std::string BackupFolderOf(const std::string& databasePath) {
  size_t slash = databasePath.find_last_of('/');
  std::string folder = slash == std::string::npos ? std::string(".") : databasePath.substr(0, slash);
  return folder + "/backup";
}

void MakeFolder(const std::string& folder) {
  std::error_code ec;
  fs::create_directories(folder, ec);  // a failure shows up as a failed copy
}

// Copies under a hidden temporary name and renames it into place, so the
// folder never holds a partial copy under a backup name: a half-written daily
// copy would otherwise count as today's and block the real one.
bool CopyIntoPlace(const std::string& source, const std::string& folder, const std::string& name) {
  std::error_code ec;
  if (!fs::is_regular_file(source, ec)) return false;  // nothing to copy is no backup
  std::string target = folder + "/" + name;
  std::string temp = folder + "/." + name + ".part";
  if (Database::CopyDatabaseFile(source, temp) != 0) {
    fs::remove(temp, ec);
    return false;
  }
  fs::rename(temp, target, ec);
  if (ec) {
    std::error_code ignored;
    fs::remove(temp, ignored);
    return false;
  }
  return true;
}

bool StartsWith(const std::string& s, const char* prefix) { return s.rfind(prefix, 0) == 0; }

bool EndsWith(const std::string& s, const std::string& suffix) {
  return s.size() >= suffix.size() && s.compare(s.size() - suffix.size(), suffix.size(), suffix) == 0;
}

// A copy cut off by a crash or a power cut leaves its hidden temporary file
// behind; only those go, never a backup or anything the user put there.
void RemoveInterruptedCopies(const std::string& folder) {
  std::error_code ec;
  std::vector<fs::path> leftovers;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    std::string name = it->path().filename().string();
    std::error_code typeError;
    if (StartsWith(name, ".Velgram") && EndsWith(name, ".db.part") && it->is_regular_file(typeError))
      leftovers.push_back(it->path());
  }
  for (const fs::path& p : leftovers) fs::remove(p, ec);
}

}  // namespace

int Database::CopyDatabaseFile(const std::string& source, const std::string& target) {
  std::error_code ec;
  if (!fs::exists(source, ec)) return 0;
  std::unique_ptr<char[]> buffer(new (std::nothrow) char[kCopyBlock]);
  if (!buffer) return 1;
  FILE* in = std::fopen(source.c_str(), "rb");
  if (!in) return 2;
  FILE* out = std::fopen(target.c_str(), "wb");
  if (!out) {
    std::fclose(in);
    return 3;
  }
  int result = 0;
  for (;;) {
    size_t n = std::fread(buffer.get(), 1, kCopyBlock, in);
    if (n > 0 && std::fwrite(buffer.get(), 1, n, out) != n) {
      result = 3;
      break;
    }
    if (n < kCopyBlock) {
      if (std::ferror(in)) result = 2;
      break;
    }
  }
  // A copy is only good once it is on disk; a full disk often shows first
  // at the flush.
  if (result == 0 && (std::fflush(out) != 0 || fsync(fileno(out)) != 0)) result = 3;
  if (std::fclose(out) != 0 && result == 0) result = 3;
  std::fclose(in);
  if (result != 0) fs::remove(target, ec);
  return result;
}

std::string Database::BackupNow() {
  // Closing the connection now would throw away the open transaction's work
  // and leave its operation half done.
  if (InTransaction()) return kCopyFailed;

  std::string folder = BackupFolder();
  MakeFolder(folder);
  RemoveInterruptedCopies(folder);
  // A damaged file must not push out the last good copies; the check reads
  // through the open connection, before it is closed for the copy.
  if (!PassesCheck()) return kCopyFailed;
  DateTime t = clock_.NowLocal();
  std::string name =
      Format("Velgram%04d%02d%02d-%02d%02d%02d.db", t.year, t.month, t.day, t.hour, t.minute, t.second);

  // Only a closed file is a consistent file.
  Close();
  bool copied = CopyIntoPlace(path_, folder, name);
  for (int attempt = 0; attempt < kReopenAttempts; ++attempt) {
    if (attempt > 0) std::this_thread::sleep_for(kReopenPause);
    Open();
    if (IsOpen()) break;
  }
  return copied ? folder + "/" + name : kCopyFailed;
}

void Database::BackupOnceADay(const std::string& databasePath, Clock& clock) {
  std::error_code ec;
  if (!fs::exists(databasePath, ec)) return;
  std::string folder = BackupFolderOf(databasePath);
  MakeFolder(folder);
  RemoveInterruptedCopies(folder);
  if (!FilePassesCheck(databasePath)) return;

  // Every copy counts, daily or timestamped; atoi of "20231015-093000.db"
  // gives the date, so a copy made earlier today also counts as today's.
  std::vector<int> numbers;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    std::string name = it->path().filename().string();
    if (StartsWith(name, ".") || !StartsWith(name, "Velgram") || !EndsWith(name, ".db")) continue;
    std::error_code typeError;
    if (it->is_directory(typeError)) continue;
    numbers.push_back(std::atoi(name.c_str() + 7));
  }

  DateTime d = clock.NowLocal();
  int today = d.year * 10000 + d.month * 100 + d.day;
  for (int n : numbers)
    if (n == today) return;

  if (numbers.size() == kDailyPruneCount) {
    int oldest = kNoDailyNumber;
    for (int n : numbers)
      if (n < oldest) oldest = n;
    if (oldest < kNoDailyNumber) fs::remove(folder + Format("/Velgram%d.db", oldest), ec);
  }

  CopyIntoPlace(databasePath, folder, Format("Velgram%d.db", today));
}

namespace {

const char* const kRestoreRefused =
    "FOUT: De backup %s is beschadigd of is geen Velgram-database. Er is niets veranderd.";

// Copies every page of one open database into another through SQLite, in one
// write transaction of the target: it fails whole or not at all.
int CopyPages(sqlite3* from, sqlite3* to) {
  sqlite3_backup* copy = sqlite3_backup_init(to, "main", from, "main");
  if (!copy) return sqlite3_errcode(to);
  int rc = sqlite3_backup_step(copy, -1);
  int finish = sqlite3_backup_finish(copy);
  return rc == SQLITE_DONE ? finish : rc;
}

// A sound copy that holds the tournaments table: anything else would replace
// the data by something the program cannot use.
bool IsVelgramCopy(const std::string& path) {
  std::error_code ec;
  if (!fs::is_regular_file(path, ec) || fs::file_size(path, ec) == 0 || ec) return false;
  if (!Database::FilePassesCheck(path)) return false;
  sqlite3* db = nullptr;
  bool found = false;
  if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db, "SELECT 1 FROM sqlite_master WHERE type='table' AND name='Toernooien'", -1, &st,
                           nullptr) == SQLITE_OK)
      found = sqlite3_step(st) == SQLITE_ROW;
    sqlite3_finalize(st);
  }
  sqlite3_close(db);
  return found;
}

}  // namespace

std::vector<std::string> Database::ListBackups() const {
  std::vector<std::string> names;
  std::error_code ec;
  for (fs::directory_iterator it(BackupFolder(), ec), end; !ec && it != end; it.increment(ec)) {
    std::string name = it->path().filename().string();
    std::error_code typeError;
    if (StartsWith(name, "Velgram") && EndsWith(name, ".db") && it->is_regular_file(typeError)) names.push_back(name);
  }
  std::sort(names.rbegin(), names.rend());
  return names;
}

bool Database::RestoreBackup(const std::string& backupPath, std::string& message) {
  message = kCopyFailed;
  if (!db_ || InTransaction()) return false;

  // 1. The current data as a copy of its own, taken through the connection
  //    so that it stays open: there is no moment without a database.
  std::string folder = BackupFolder();
  MakeFolder(folder);
  RemoveInterruptedCopies(folder);
  DateTime t = clock_.NowLocal();
  std::string stamp = Format("Velgram%04d%02d%02d-%02d%02d%02d", t.year, t.month, t.day, t.hour, t.minute, t.second);
  std::string name = stamp + ".db";
  std::error_code ec;
  // Never over another copy, least of all the chosen one (made this second).
  for (int n = 2; fs::exists(folder + "/" + name, ec) && n < 100; ++n) name = Format("%s-%d.db", stamp.c_str(), n);
  std::string saved = folder + "/" + name;
  std::string temp = folder + "/." + name + ".part";
  if (fs::exists(saved, ec)) return false;
  sqlite3* out = nullptr;
  int rc = sqlite3_open(temp.c_str(), &out);
  if (rc == SQLITE_OK) rc = CopyPages(db_, out);
  sqlite3_close(out);
  if (rc == SQLITE_OK) fs::rename(temp, saved, ec);
  if (rc != SQLITE_OK || ec) {
    fs::remove(temp, ec);
    return false;
  }

  // 2. The chosen copy is checked before it may replace anything.
  if (!IsVelgramCopy(backupPath)) {
    message = Format(kRestoreRefused, backupPath.c_str());
    return false;
  }

  // 3. It takes the place of the data, schema upgrade included; any failure
  //    puts the saved data back the same way.
  auto copyFrom = [this](const std::string& path) {
    sqlite3* in = nullptr;
    int result = sqlite3_open_v2(path.c_str(), &in, SQLITE_OPEN_READONLY, nullptr);
    if (result == SQLITE_OK) result = CopyPages(in, db_);
    sqlite3_close(in);
    ForgetCaches();
    return result;
  };
  rc = copyFrom(backupPath);
  if (rc == SQLITE_OK && PassesCheck() && UpgradeSchema()) {
    backupInterval_ = GetSettingInt("BackupInterval");  // the copy's own choice
    message = saved;
    return true;
  }
  const char* reason = (rc & 0xff) == SQLITE_FULL ? "de schijf is vol" : "de database weigerde de gegevens";
  if (rc == SQLITE_OK) copyFrom(saved);  // replaced, but unusable: back to what it was
  message = Format("FOUT: De backup kan niet teruggezet worden: %s. Er is niets veranderd.", reason);
  return false;
}

}  // namespace velgram
