// Every user action is saved whole or not at all, whatever statement fails:
// each action is run again and again with its k-th statement failing (or SQLite
// leaving the transaction there), k = 1, 2, ... until it succeeds; then on a
// full disk, against a neighbour holding the file, and in a driver process
// killed with SIGKILL at random moments within it.
#include <gtest/gtest.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <random>
#include <thread>

#include "common/fakes.h"
#include "store/database.h"
#include "store_actions.h"
#include "support/text.h"

namespace velgram {
namespace {

using testing::DumpDatabase;
using testing::StoreAction;
using testing::World;

// The loops commit thousands of times; what they test does not hang on the
// disk's flushes, which a busy build machine makes slow.
void SkipFlushes(Database& db) { db.ExecText(nullptr, "PRAGMA synchronous=OFF"); }

// A write and its undo, each committed: the connection is usable again.
bool NextActionWorks(Database& db) {
  if (db.InTransaction()) return false;
  db.SetSettingInt("Probe", 1);
  if (db.GetSettingInt("Probe") != 1) return false;
  Transaction tx(db);
  db.ExecText(nullptr, "DELETE FROM Settings WHERE theKey='Probe'");
  return tx.Commit() && db.GetSetting("Probe").empty();
}

struct Tally {
  int actions = 0, points = 0;
  ~Tally() { std::printf("all-or-nothing: %d actions, %d failure points\n", actions, points); }
};
Tally tally;

class AllOrNothing : public ::testing::Test {
 protected:
  AllOrNothing() {
    Database db(pristine, clock);
    SkipFlushes(db);
    world = testing::BuildWorld(db, clock);
  }

  // A working copy of the event; the file with the action done in expected.
  std::string Copy(const std::string& name) {
    std::string path = dir.File(name);
    std::filesystem::copy_file(pristine, path, std::filesystem::copy_options::overwrite_existing);
    return path;
  }
  // The file as the action leaves it, and how many statements it runs.
  std::string Expected(const StoreAction& action, int* statements = nullptr) {
    std::string path = Copy("expected.db");
    Database db(path, clock);
    SkipFlushes(db);
    int count = 0;
    db.SetStatementHook([&](int n, const char*) {
      count = n;
      return StatementFault::kRun;
    });
    EXPECT_TRUE(action.run(db, clock, world)) << action.name << " fails without a fault";
    if (statements) *statements = count;
    return DumpDatabase(path);
  }
  std::unique_ptr<Database> OpenCopy(const std::string& name) {
    auto db = std::make_unique<Database>(Copy(name), clock);
    SkipFlushes(*db);
    return db;
  }

  // One failed attempt: nothing of it may be left, and the program goes on.
  void ExpectUntouched(Database& db, const std::string& path, const std::string& before, const std::string& what) {
    EXPECT_EQ(DumpDatabase(path), before) << what << " reported failure, but left something";
    EXPECT_TRUE(NextActionWorks(db)) << what;
    ++tally.points;
  }
  void ExpectDone(const std::string& path, const std::string& expected, const std::string& what) {
    EXPECT_EQ(DumpDatabase(path), expected) << what << " reported success";
  }

  testing::TempDir dir;
  testing::FakeClock clock;
  std::string pristine = dir.File("pristine.db");
  World world;
};

TEST_F(AllOrNothing, EveryStatementOfEveryActionMayFail) {
  for (const StoreAction& action : testing::StoreActions()) {
    ++tally.actions;
    int statements = 0;
    const std::string expected = Expected(action, &statements);
    const std::string path = dir.File("work.db");
    for (StatementFault fault : {StatementFault::kFail, StatementFault::kLeaveTransaction}) {
      std::unique_ptr<Database> db = OpenCopy("work.db");
      const std::string before = DumpDatabase(path);
      for (int k = 1; k <= statements; ++k) {
        db->SetStatementHook([&](int n, const char*) { return n == k ? fault : StatementFault::kRun; });
        bool ok = action.run(*db, clock, world);
        db->SetStatementHook(nullptr);
        std::string what = std::string(action.name) + Format(" with statement %d of %d", k, statements);
        if (!ok) {
          ExpectUntouched(*db, path, before, what);
          continue;
        }
        // A statement the action can do without (a read outside its
        // transaction, a rollback that SQLite did already): all of it is done.
        ExpectDone(path, expected, what);
        db.reset();
        db = OpenCopy("work.db");
      }
    }
  }
}

TEST_F(AllOrNothing, SchemaUpgradeIsWholeOrRefused) {
  const std::string old = dir.File("old.db"), work = dir.File("work.db");
  testing::WriteOldFile(old);
  std::filesystem::copy_file(old, dir.File("expected.db"));
  int statements = 0;
  {
    Database upgraded(dir.File("expected.db"), clock, [&](int n, const char*) {
      statements = n;
      return StatementFault::kRun;
    });
  }
  const std::string expected = DumpDatabase(dir.File("expected.db"));
  const std::string before = DumpDatabase(old);
  ++tally.actions;
  for (StatementFault fault : {StatementFault::kFail, StatementFault::kLeaveTransaction}) {
    for (int k = 1; k <= statements; ++k) {
      if (k == 1) std::filesystem::copy_file(old, work, std::filesystem::copy_options::overwrite_existing);
      std::string startError;
      {
        Database db(work, clock, [&](int n, const char*) { return n == k ? fault : StatementFault::kRun; });
        startError = db.StartError();
        EXPECT_EQ(db.IsOpen(), startError.empty());
      }
      if (startError.empty()) {
        ExpectDone(work, expected, "upgrade");
        std::filesystem::copy_file(old, work, std::filesystem::copy_options::overwrite_existing);
        continue;
      }
      EXPECT_EQ(startError.rfind("Velgram kan de database " + work + " niet openen: ", 0), 0u) << startError;
      EXPECT_EQ(DumpDatabase(work), before) << "upgrade with statement " << k;
      ++tally.points;
    }
  }
}

// Room for one more page, then two, ... until the action fits; then a
// neighbour holding the file.
TEST_F(AllOrNothing, FullDiskAndBusyNeighbour) {
  for (const StoreAction& action : testing::StoreActions()) {
    const std::string expected = Expected(action), path = Copy("work.db"), before = DumpDatabase(path);
    std::unique_ptr<Database> full = OpenCopy("work.db");
    std::string rs;
    full->ExecText(&rs, "PRAGMA page_count");
    const int pages = std::atoi(rs.c_str() + rs.find('"') + 1);
    for (int room = 0;; ++room) {
      ASSERT_LT(room, 200);
      full->Exec(nullptr, "PRAGMA max_page_count=%d", pages + room);
      bool ok = action.run(*full, clock, world);
      full->ExecText(nullptr, "PRAGMA max_page_count=1000000000");
      if (ok) {
        ExpectDone(path, expected, action.name);
        break;
      }
      EXPECT_EQ(full->LastFailure() & 0xff, SQLITE_FULL) << action.name;
      ExpectUntouched(*full, path, before, action.name);
    }
    full.reset();

    std::unique_ptr<Database> opened = OpenCopy("work.db");
    Database& db = *opened;
    db.SetBusyWait(20);
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &other), SQLITE_OK);
    // A neighbour writing all the time: the BEGIN is refused.
    ASSERT_EQ(sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
    EXPECT_FALSE(action.run(db, clock, world)) << action.name;
    EXPECT_FALSE(db.InTransaction());
    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    ExpectUntouched(db, path, before, action.name);
    // A neighbour that starts reading while the action runs: the COMMIT is
    // refused, retried and rolled back.
    db.SetStatementHook([&](int n, const char*) {
      if (n == 2) sqlite3_exec(other, "BEGIN; SELECT COUNT(*) FROM Settings", nullptr, nullptr, nullptr);
      return StatementFault::kRun;
    });
    EXPECT_FALSE(action.run(db, clock, world)) << action.name;
    db.SetStatementHook(nullptr);
    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    EXPECT_EQ(db.LastFailure() & 0xff, SQLITE_BUSY) << action.name;
    ExpectUntouched(db, path, before, action.name);
    sqlite3_close(other);
    EXPECT_TRUE(action.run(db, clock, world)) << action.name;
    ExpectDone(path, expected, action.name);
  }
}

// A program killed at any moment of a user action leaves a sound file with the
// action done whole or not at all.
namespace fs = std::filesystem;
using Steady = std::chrono::steady_clock;

constexpr int kKillsPerAction = 24;

struct Driver {
  pid_t pid = -1;
  int out = -1;  // the driver's 'R' and 'D'
};

Driver Spawn(const std::string& file, const std::string& action) {
  int pipefd[2];
  if (pipe(pipefd) != 0) return {};
  pid_t pid = fork();
  if (pid == 0) {
    dup2(pipefd[1], STDOUT_FILENO);
    close(pipefd[0]);
    close(pipefd[1]);
    execl(VELGRAM_CRASH_DRIVER, VELGRAM_CRASH_DRIVER, file.c_str(), action.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  close(pipefd[1]);
  return {pid, pipefd[0]};
}

// Waits for the driver's next sign; false at its end.
bool Sign(int fd, char expected) {
  char c = 0;
  return read(fd, &c, 1) == 1 && c == expected;
}

int Finish(Driver& run) {
  int status = 0;
  waitpid(run.pid, &status, 0);
  close(run.out);
  return status;
}

TEST_F(AllOrNothing, KilledAnywhereInAnActionLeavesItWholeOrUndone) {
  const std::string old = dir.File("old.db"), work = dir.File("work.db");
  testing::WriteOldFile(old);

  std::vector<std::pair<std::string, std::string>> actions;  // driver argument, source file
  for (size_t i = 0; i < testing::StoreActions().size(); ++i) actions.push_back({std::to_string(i), pristine});
  actions.push_back({"upgrade", old});

  std::mt19937 random(20231015);
  int kills = 0, journals = 0;
  for (const auto& [action, source] : actions) {
    const std::string before = testing::DumpDatabase(source);
    // A run to its end: what the action writes, and how long it takes.
    fs::copy_file(source, work, fs::copy_options::overwrite_existing);
    Driver full = Spawn(work, action);
    ASSERT_TRUE(Sign(full.out, 'R')) << action;
    auto start = Steady::now();
    ASSERT_TRUE(Sign(full.out, 'D')) << action;
    auto length = std::chrono::duration_cast<std::chrono::microseconds>(Steady::now() - start).count();
    ASSERT_EQ(Finish(full), 0) << action;
    const std::string expected = testing::DumpDatabase(work);
    ASSERT_NE(expected, before) << action;

    std::uniform_int_distribution<long> moment(0, length + length / 5);
    for (int k = 0; k < kKillsPerAction; ++k) {
      fs::copy_file(source, work, fs::copy_options::overwrite_existing);
      std::error_code ec;
      fs::remove(work + "-journal", ec);
      Driver run = Spawn(work, action);
      ASSERT_TRUE(Sign(run.out, 'R')) << action;
      std::this_thread::sleep_for(std::chrono::microseconds(moment(random)));
      kill(run.pid, SIGKILL);
      Finish(run);
      ++kills;
      if (fs::exists(work + "-journal")) ++journals;  // killed inside a transaction
      // The dump starts with the integrity check, so a damaged file matches neither.
      std::string now = testing::DumpDatabase(work);
      EXPECT_TRUE(now == before || now == expected) << action << " kill " << k << " left it half done:\n" << now;
    }
  }
  std::printf("crash: %zu actions, %d kills (%d inside a transaction)\n", actions.size(), kills, journals);
}

}  // namespace
}  // namespace velgram
