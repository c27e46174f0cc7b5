#include "support/log.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
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
  size_t start = 0;
  while (start < text.size()) {
    size_t nl = text.find('\n', start);
    if (nl == std::string::npos) {
      lines.push_back(text.substr(start));  // an unterminated last line
      break;
    }
    lines.push_back(text.substr(start, nl - start));
    start = nl + 1;
  }
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

TEST(LogInternalTest, PrefixAndFileName) {
  DateTime t = Make(2024, 3, 7, 9, 5, 3, 42);
  EXPECT_EQ(log_internal::Prefix(t), "20240307-09:05:03/042 ");
  EXPECT_EQ(log_internal::Prefix(t).size(), 22u);
  EXPECT_EQ(log_internal::FileName(t), "log20240307.txt");
}

TEST(LogInternalTest, TwoCallsSameFileInOrder) {
  TempFolder tmp;
  FixedClock clock;
  clock.utc = clock.local = Make(2024, 3, 7, 23, 59, 59, 995);
  std::string data = tmp.path() + "/Velgram";
  ASSERT_TRUE(log_internal::Append(clock, data, "eerste"));
  clock.utc.millisecond = 998;
  ASSERT_TRUE(log_internal::Append(clock, data, "tweede"));
  EXPECT_EQ(ReadFile(data + "/logfiles/log20240307.txt"),
            "20240307-23:59:59/995 eerste\n20240307-23:59:59/998 tweede\n");
}

TEST(LogInternalTest, NewFileAtMidnightUtcNotLocal) {
  TempFolder tmp;
  FixedClock clock;
  std::string data = tmp.path() + "/Velgram";
  clock.utc = Make(2024, 3, 7, 23, 59, 59, 999);
  clock.local = Make(2024, 3, 8, 0, 59, 59, 999);  // local already the next day
  ASSERT_TRUE(log_internal::Append(clock, data, "voor"));
  clock.utc = Make(2024, 3, 8, 0, 0, 0, 3);
  clock.local = Make(2024, 3, 8, 1, 0, 0, 3);
  ASSERT_TRUE(log_internal::Append(clock, data, "na"));
  EXPECT_EQ(ReadFile(data + "/logfiles/log20240307.txt"), "20240307-23:59:59/999 voor\n");
  EXPECT_EQ(ReadFile(data + "/logfiles/log20240308.txt"), "20240308-00:00:00/003 na\n");
}

TEST(LogInternalTest, CreatesFoldersAndAppendsToExistingFile) {
  TempFolder tmp;
  FixedClock clock;
  clock.utc = Make(2023, 12, 31, 12, 0, 0, 0);
  std::string data = tmp.path() + "/deep/er/Velgram";
  ASSERT_TRUE(MakeFolders(data + "/logfiles"));
  WriteFile(data + "/logfiles/log20231231.txt", "oud\n");
  ASSERT_TRUE(log_internal::Append(clock, data, "nieuw"));
  EXPECT_EQ(ReadFile(data + "/logfiles/log20231231.txt"), "oud\n20231231-12:00:00/000 nieuw\n");
}

TEST(LogInternalTest, UnusableFolderIsSilent) {
  TempFolder tmp;
  FixedClock clock;
  clock.utc = Make(2024, 1, 1, 0, 0, 0, 0);
  WriteFile(tmp.path() + "/blocker", "x");
  EXPECT_FALSE(log_internal::Append(clock, tmp.path() + "/blocker", "weg"));
  EXPECT_FALSE(log_internal::Append(clock, tmp.path() + "/blocker/sub", "weg"));
  // logfiles itself is a file.
  MakeFolders(tmp.path() + "/data");
  WriteFile(tmp.path() + "/data/logfiles", "x");
  EXPECT_FALSE(log_internal::Append(clock, tmp.path() + "/data", "weg"));
  // The day's file is a folder: ten attempts fail, nothing is thrown.
  MakeFolders(tmp.path() + "/d2/logfiles/log20240101.txt");
  EXPECT_FALSE(log_internal::Append(clock, tmp.path() + "/d2", "weg"));
}

class LogTest : public ::testing::Test {
 protected:
  TempFolder home_;
  ScopedEnv homeEnv_{"HOME", home_.path().c_str()};
  ScopedEnv xdgEnv_{"XDG_CONFIG_HOME", nullptr};

  std::string LogFolder() const {
    return home_.path() + "/Documents/" + ExecutableBaseName() + "/logfiles";
  }
};

// "dddddddd-dd:dd:dd/ddd " at the start of the text.
bool HasPrefix(const std::string& text) {
  static const char shape[] = "dddddddd-dd:dd:dd/ddd ";
  if (text.size() < 22) return false;
  for (size_t i = 0; i < 22; ++i) {
    bool ok = shape[i] == 'd' ? (text[i] >= '0' && text[i] <= '9') : text[i] == shape[i];
    if (!ok) return false;
  }
  return true;
}

TEST_F(LogTest, WritesToDataFolderWithUtcDate) {
  DateTime before = DefaultClock().NowUtc();
  Log("Hallo %s %d", "wereld", 42);
  DateTime after = DefaultClock().NowUtc();
  std::string folder = LogFolder();
  ASSERT_TRUE(std::filesystem::is_directory(folder));
  std::string all = AllLogs(folder);
  auto lines = Lines(all);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_TRUE(HasPrefix(lines[0])) << lines[0];
  EXPECT_EQ(lines[0].substr(22), "Hallo wereld 42");
  std::string date = lines[0].substr(0, 8);
  EXPECT_TRUE(date == Format("%04d%02d%02d", before.year, before.month, before.day) ||
              date == Format("%04d%02d%02d", after.year, after.month, after.day));
  EXPECT_TRUE(std::filesystem::exists(folder + "/log" + date + ".txt"));
}

TEST_F(LogTest, MessageWithNewlineWrittenUnchanged) {
  Log("regel een\nregel twee\n");
  std::string all = AllLogs(LogFolder());
  ASSERT_GE(all.size(), 22u);
  EXPECT_TRUE(HasPrefix(all));
  EXPECT_EQ(all.substr(22), "regel een\nregel twee\n\n");
}

TEST_F(LogTest, ExceptionMessageForm) {
  Log("LDlgShuffle::StartThread  EXCEPTION: %s", "Unknown exception");
  std::string all = AllLogs(LogFolder());
  ASSERT_GE(all.size(), 22u);
  EXPECT_EQ(all.substr(22), "LDlgShuffle::StartThread  EXCEPTION: Unknown exception\n");
}

TEST_F(LogTest, LongMessage) {
  std::string big(20000, 'z');
  Log("%s", big.c_str());
  std::string all = AllLogs(LogFolder());
  ASSERT_GE(all.size(), 22u);
  EXPECT_EQ(all.substr(22), big + "\n");
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

  auto lines = Lines(AllLogs(LogFolder()));
  ASSERT_EQ(lines.size(), static_cast<size_t>(kThreads * kLines));
  std::vector<int> next(kThreads, 0);
  std::string lastPrefix;
  for (const auto& l : lines) {
    // "<prefix>T<t> <nnnnn> <200 times the thread's letter>"
    ASSERT_EQ(l.size(), 22u + 9u + 200u) << l;
    ASSERT_TRUE(HasPrefix(l)) << l;
    ASSERT_EQ(l[22], 'T') << l;
    int t = l[23] - '0';
    ASSERT_TRUE(t >= 0 && t < kThreads) << l;
    ASSERT_EQ(l[24], ' ') << l;
    ASSERT_EQ(l[30], ' ') << l;
    int i = std::stoi(l.substr(25, 5));
    EXPECT_EQ(i, next[t]) << "thread " << t << " out of order";
    next[t] = i + 1;
    EXPECT_EQ(l.substr(31), std::string(200, static_cast<char>('a' + t))) << l;
    // Stamps in the file never go backwards (the time is read under the lock).
    std::string prefix = l.substr(0, 22);
    EXPECT_LE(lastPrefix, prefix);
    lastPrefix = prefix;
  }
  for (int t = 0; t < kThreads; ++t) EXPECT_EQ(next[t], kLines);
}

}  // namespace
}  // namespace velgram
