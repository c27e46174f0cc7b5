// Every user action, and the schema upgrade of opening an old file, is saved
// whole or not at all, whatever goes wrong: each is run again and again with
// its k-th statement failing (or SQLite leaving the transaction there),
// k = 1, 2, ... until it succeeds; then on a full disk, against a neighbour
// holding the file, and in a child process killed with SIGKILL at random
// moments within it.
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

#include "store_actions.h"
#include "store_fixture.h"
#include "support/text.h"

namespace velgram {
namespace {

namespace fs = std::filesystem;
using testing::DumpDatabase;

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

// One action of the loops, done on a working copy of its source file.
struct Case {
  std::string name, source;
  const testing::StoreAction* action;  // none: the schema upgrade of opening the file
};

// A child process doing a case, for the crash test to kill.
struct Driver {
  pid_t pid = -1;
  int out = -1;  // the child's 'R' when the case starts and 'D' when it was reported done
};

class AllOrNothing : public ::testing::Test {
 protected:
  AllOrNothing() {
    {
      Database db(pristine, clock);
      SkipFlushes(db);
      world = testing::BuildWorld(db, clock);
    }
    testing::WriteOldFile(old);
    for (const testing::StoreAction& action : testing::StoreActions())
      cases.push_back({action.name, pristine, &action});
    cases.push_back({"upgrade", old, nullptr});
  }

  // A fresh working copy, opened for an action; the upgrade opens it itself.
  std::unique_ptr<Database> Fresh(const Case& c) {
    fs::copy_file(c.source, work, fs::copy_options::overwrite_existing);
    if (!c.action) return nullptr;
    auto db = std::make_unique<Database>(work, clock);
    SkipFlushes(*db);
    return db;
  }
  // Runs the case on the working copy; true when it reported success.
  bool Run(const Case& c, Database* db, StatementHook hook = nullptr) {
    if (db) {
      db->SetStatementHook(hook);
      bool ok = c.action->run(*db, clock, world);
      db->SetStatementHook(nullptr);
      return ok;
    }
    Database opening(work, clock, hook);
    const std::string& error = opening.StartError();
    EXPECT_EQ(opening.IsOpen(), error.empty());
    EXPECT_TRUE(error.empty() || error.rfind("Velgram kan de database " + work + " niet openen: ", 0) == 0) << error;
    return error.empty();
  }
  // The file as the case leaves it, and how many statements it runs.
  std::string Expected(const Case& c, int* statements = nullptr) {
    std::unique_ptr<Database> db = Fresh(c);
    int count = 0;
    bool ok = Run(c, db.get(), [&](int n, const char*) {
      count = n;
      return StatementFault::kRun;
    });
    EXPECT_TRUE(ok) << c.name << " fails without a fault";
    if (statements) *statements = count;
    return DumpDatabase(work);
  }

  // One failed attempt: nothing of it may be left, and the program goes on.
  void ExpectUntouched(Database* db, const std::string& before, const std::string& what) {
    EXPECT_EQ(DumpDatabase(work), before) << what << " reported failure, but left something";
    if (db) {
      EXPECT_TRUE(NextActionWorks(*db)) << what;
    }
  }
  void ExpectDone(const std::string& expected, const std::string& what) {
    EXPECT_EQ(DumpDatabase(work), expected) << what << " reported success";
  }

  Driver Spawn(const Case& c);

  testing::TempDir dir;
  testing::FakeClock clock;
  std::string pristine = dir.File("pristine.db"), old = dir.File("old.db"), work = dir.File("work.db");
  testing::World world;
  std::vector<Case> cases;
};

TEST_F(AllOrNothing, EveryStatementOfEveryActionMayFail) {
  for (const Case& c : cases) {
    int statements = 0, refused = 0;
    const std::string expected = Expected(c, &statements);
    for (StatementFault fault : {StatementFault::kFail, StatementFault::kLeaveTransaction}) {
      std::unique_ptr<Database> db = Fresh(c);
      const std::string before = DumpDatabase(work);
      for (int k = 1; k <= statements; ++k) {
        const std::string what = c.name + Format(" with statement %d of %d", k, statements);
        if (!Run(c, db.get(), [&](int n, const char*) { return n == k ? fault : StatementFault::kRun; })) {
          ExpectUntouched(db.get(), before, what);
          ++refused;
          continue;
        }
        // A statement the action can do without (a read outside its
        // transaction, a rollback that SQLite did already): all of it is done.
        ExpectDone(expected, what);
        db.reset();
        db = Fresh(c);
      }
    }
    EXPECT_GT(refused, 0) << c.name << ": no statement it needs";
  }
}

// Room for one more page, then two, ... until the action fits; then a
// neighbour holding the file.
TEST_F(AllOrNothing, FullDiskAndBusyNeighbour) {
  for (const Case& c : cases) {
    if (!c.action) continue;  // the upgrade has no connection to limit before it runs
    const std::string expected = Expected(c);
    std::unique_ptr<Database> db = Fresh(c);
    const std::string before = DumpDatabase(work);
    for (int room = 0;; ++room) {
      ASSERT_LT(room, 200);
      LimitGrowth(*db, room);
      bool ok = Run(c, db.get());
      LimitGrowth(*db, -1);
      if (ok) break;
      EXPECT_EQ(db->LastFailure() & 0xff, SQLITE_FULL) << c.name;
      ExpectUntouched(db.get(), before, c.name);
    }
    ExpectDone(expected, c.name);

    db.reset();
    db = Fresh(c);
    db->SetBusyWait(20);
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(work.c_str(), &other), SQLITE_OK);
    // A neighbour writing all the time: the BEGIN is refused.
    ASSERT_EQ(sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
    EXPECT_FALSE(Run(c, db.get())) << c.name;
    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    ExpectUntouched(db.get(), before, c.name);
    // A neighbour that starts reading while the action runs: the COMMIT is
    // refused, retried and rolled back.
    EXPECT_FALSE(Run(c, db.get(), [&](int n, const char*) {
      if (n == 2) sqlite3_exec(other, "BEGIN; SELECT COUNT(*) FROM Settings", nullptr, nullptr, nullptr);
      return StatementFault::kRun;
    })) << c.name;
    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    EXPECT_EQ(db->LastFailure() & 0xff, SQLITE_BUSY) << c.name;
    ExpectUntouched(db.get(), before, c.name);
    sqlite3_close(other);
    EXPECT_TRUE(Run(c, db.get())) << c.name;
    ExpectDone(expected, c.name);
  }
}

// A program killed at any moment of a user action leaves a sound file with the
// action done whole or not at all.
using Steady = std::chrono::steady_clock;

constexpr int kKillsPerAction = 24;

// Does the case on the working copy in a child process, for the test to kill.
Driver AllOrNothing::Spawn(const Case& c) {
  int pipefd[2];
  if (pipe(pipefd) != 0) return {};
  pid_t pid = fork();
  if (pid == 0) {
    close(pipefd[0]);
    auto say = [&](char sign) { return write(pipefd[1], &sign, 1) == 1; };
    bool done = false;
    if (c.action) {
      Database db(work, clock);
      done = say('R') && c.action->run(db, clock, world);
    } else {
      done = say('R') && Database(work, clock).StartError().empty();
    }
    _exit(done && say('D') ? 0 : 1);
  }
  close(pipefd[1]);
  return {pid, pipefd[0]};
}

// Waits for the child's next sign; false at its end.
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
  std::mt19937 random(20231015);
  int kills = 0, journals = 0;
  for (const Case& c : cases) {
    const std::string before = DumpDatabase(c.source);
    // A run to its end: what the action writes, and how long it takes.
    fs::copy_file(c.source, work, fs::copy_options::overwrite_existing);
    Driver full = Spawn(c);
    ASSERT_TRUE(Sign(full.out, 'R')) << c.name;
    auto start = Steady::now();
    ASSERT_TRUE(Sign(full.out, 'D')) << c.name;
    auto length = std::chrono::duration_cast<std::chrono::microseconds>(Steady::now() - start).count();
    ASSERT_EQ(Finish(full), 0) << c.name;
    const std::string expected = DumpDatabase(work);
    ASSERT_NE(expected, before) << c.name;

    std::uniform_int_distribution<long> moment(0, length + length / 5);
    for (int k = 0; k < kKillsPerAction; ++k) {
      fs::copy_file(c.source, work, fs::copy_options::overwrite_existing);
      std::error_code ec;
      fs::remove(work + "-journal", ec);
      Driver run = Spawn(c);
      ASSERT_TRUE(Sign(run.out, 'R')) << c.name;
      std::this_thread::sleep_for(std::chrono::microseconds(moment(random)));
      kill(run.pid, SIGKILL);
      Finish(run);
      ++kills;
      if (fs::exists(work + "-journal")) ++journals;  // killed inside a transaction
      // The dump starts with the integrity check, so a damaged file matches neither.
      std::string now = DumpDatabase(work);
      EXPECT_TRUE(now == before || now == expected) << c.name << " kill " << k << " left it half done:\n" << now;
    }
  }
  std::printf("crash: %zu actions, %d kills (%d inside a transaction)\n", cases.size(), kills, journals);
}

}  // namespace
}  // namespace velgram
