// A program killed at any moment of a user action leaves a sound file with the
// action done whole or not at all: a driver process runs each action on a real
// file and is killed with SIGKILL at random moments within it.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <random>
#include <thread>

#include "common/fakes.h"
#include "store/database.h"
#include "store_actions.h"

namespace velgram {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

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

TEST(Crash, KilledAnywhereInAnActionLeavesItWholeOrUndone) {
  testing::TempDir dir;
  testing::FakeClock clock;
  const std::string world = dir.File("world.db"), old = dir.File("old.db"), work = dir.File("work.db");
  {
    Database db(world, clock);
    testing::BuildWorld(db, clock);
  }
  testing::WriteOldFile(old);

  std::vector<std::pair<std::string, std::string>> actions;  // driver argument, source file
  for (size_t i = 0; i < testing::StoreActions().size(); ++i) actions.push_back({std::to_string(i), world});
  actions.push_back({"upgrade", old});

  std::mt19937 random(20231015);
  int kills = 0, journals = 0;
  for (const auto& [action, source] : actions) {
    const std::string before = testing::DumpDatabase(source);
    // A run to its end: what the action writes, and how long it takes.
    fs::copy_file(source, work, fs::copy_options::overwrite_existing);
    Driver full = Spawn(work, action);
    ASSERT_TRUE(Sign(full.out, 'R')) << action;
    auto start = Clock::now();
    ASSERT_TRUE(Sign(full.out, 'D')) << action;
    auto length = std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - start).count();
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
