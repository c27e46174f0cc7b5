#include "support/log.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <sstream>
#include <thread>
#include <vector>

#include "support/clock.h"
#include "support/log_internal.h"
#include "support/paths.h"
#include "support/text.h"
#include "support_test_util.h"

namespace velgram {
namespace {

using support_test::ReadFile;
using support_test::ScopedEnv;
using support_test::TempFolder;
using support_test::WriteFile;

class FixedClock : public Clock {
 public:
  DateTime utc, local;
  int64_t NowUnix() const override { return 0; }
  DateTime NowLocal() const override { return local; }
  DateTime NowUtc() const override { return utc; }
};

DateTime Make(int y, int mo, int d, int h, int mi, int s, int ms) {
  DateTime t;
  t.year = y, t.month = mo, t.day = d, t.hour = h, t.minute = mi, t.second = s;
  t.millisecond = ms;
  t.fraction = ms * 10000;
  return t;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// Concatenation of every log file in the folder, oldest name first.
std::string AllLogs(const std::string& logFolder) {
  std::vector<std::string> names;
  for (auto& e : std::filesystem::directory_iterator(logFolder)) names.push_back(e.path().string());
  std::sort(names.begin(), names.end());
  std::string all;
  for (auto& n : names) all += ReadFile(n);
  return all;
}

TEST(LogInternalTest, DailyFilesByUtcDateWithTheExactPrefix) {
  TempFolder tmp;
  FixedClock clock;
  std::string data = tmp.path() + "/deep/Velgram";
  ASSERT_TRUE(MakeFolders(data + "/logfiles"));
  WriteFile(data + "/logfiles/log20240307.txt", "oud\n");
  clock.utc = Make(2024, 3, 7, 23, 59, 59, 995);
  clock.local = Make(2024, 3, 8, 0, 59, 59, 995);  // local already the next day
  ASSERT_TRUE(log_internal::Append(clock, data, "eerste"));
  clock.utc.millisecond = 998;
  ASSERT_TRUE(log_internal::Append(clock, data, "tweede"));
  clock.utc = Make(2024, 3, 8, 0, 0, 0, 3);
  ASSERT_TRUE(log_internal::Append(clock, data, "na"));
  EXPECT_EQ(ReadFile(data + "/logfiles/log20240307.txt"),
            "oud\n20240307-23:59:59/995 eerste\n20240307-23:59:59/998 tweede\n");
  EXPECT_EQ(ReadFile(data + "/logfiles/log20240308.txt"), "20240308-00:00:00/003 na\n");
}

TEST(LogInternalTest, UnusableFolderIsSilent) {
  TempFolder tmp;
  FixedClock clock;
  clock.utc = Make(2024, 1, 1, 0, 0, 0, 0);
  WriteFile(tmp.path() + "/blocker", "x");
  EXPECT_FALSE(log_internal::Append(clock, tmp.path() + "/blocker/sub", "weg"));
  // The day's file is a folder: ten attempts fail, nothing is thrown.
  MakeFolders(tmp.path() + "/d2/logfiles/log20240101.txt");
  EXPECT_FALSE(log_internal::Append(clock, tmp.path() + "/d2", "weg"));
}

class LogTest : public ::testing::Test {
 protected:
  TempFolder home_;
  ScopedEnv homeEnv_{"HOME", home_.path().c_str()};
  ScopedEnv xdgEnv_{"XDG_CONFIG_HOME", nullptr};
  std::string Logs() const { return AllLogs(home_.path() + "/Documents/" + ExecutableBaseName() + "/logfiles"); }
};

// "dddddddd-dd:dd:dd/ddd " at the start of the text.
bool HasPrefix(const std::string& text) {
  static const char shape[] = "dddddddd-dd:dd:dd/ddd ";
  if (text.size() < 22) return false;
  for (size_t i = 0; i < 22; ++i)
    if (shape[i] == 'd' ? (text[i] < '0' || text[i] > '9') : text[i] != shape[i]) return false;
  return true;
}

TEST_F(LogTest, WritesFormattedMessagesUnchangedIntoTheDataFolder) {
  DateTime today = DefaultClock().NowUtc();
  Log("regel %s\nregel %d\n", "een", 2);
  std::string all = Logs();
  EXPECT_TRUE(HasPrefix(all)) << all;
  EXPECT_EQ(all.substr(22), "regel een\nregel 2\n\n");
  std::string date = Format("%04d%02d%02d", today.year, today.month, today.day);
  EXPECT_TRUE(all.starts_with(date) || DefaultClock().NowUtc().day != today.day) << all;
}

TEST_F(LogTest, ConcurrentThreadsWriteWholeLines) {
  constexpr int kThreads = 4;
  constexpr int kLines = 500;
  std::atomic<bool> go{false};
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([t, &go] {
      while (!go.load()) std::this_thread::yield();
      // A long, thread-specific payload makes interleaving easy to detect.
      std::string pad(200, static_cast<char>('a' + t));
      for (int i = 0; i < kLines; ++i) Log("T%d %05d %s", t, i, pad.c_str());
    });
  }
  go = true;
  for (auto& th : threads) th.join();

  auto lines = Lines(Logs());
  ASSERT_EQ(lines.size(), static_cast<size_t>(kThreads * kLines));
  std::vector<int> next(kThreads, 0);
  for (const auto& l : lines) {
    // "<prefix>T<t> <nnnnn> <200 times the thread's letter>"
    ASSERT_EQ(l.size(), 22u + 9u + 200u) << l;
    ASSERT_TRUE(HasPrefix(l)) << l;
    int t = l[23] - '0';
    ASSERT_TRUE(t >= 0 && t < kThreads) << l;
    EXPECT_EQ(std::stoi(l.substr(25, 5)), next[t]++) << "thread " << t << " out of order";
    EXPECT_EQ(l.substr(31), std::string(200, static_cast<char>('a' + t))) << l;
  }
}

}  // namespace
}  // namespace velgram
