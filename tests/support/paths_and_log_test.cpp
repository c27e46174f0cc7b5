// Where the data lives (the documents folder, the data folder), the clock, and
// the daily log files written there.
#include "support/paths.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <ctime>
#include <filesystem>
#include <regex>
#include <thread>
#include <vector>

#include "common/fakes.h"
#include "support/clock.h"
#include "support/log.h"
#include "support/log_internal.h"
#include "support/text.h"

namespace velgram {
namespace {
using testing::ScopedEnv;
using testing::TempDir;
const auto WriteFile = testing::WriteFileBytes;

class PathsTest : public ::testing::Test {
 protected:
  TempDir home_;
  ScopedEnv homeEnv_{"HOME", home_.Path().c_str()};
  ScopedEnv xdgEnv_{"XDG_CONFIG_HOME", nullptr};
};

TEST_F(PathsTest, DocumentsFolderFollowsTheUserDirsFile) {
  EXPECT_EQ(DocumentsFolder(), home_.Path() + "/Documents");  // no user-dirs file
  const std::pair<const char*, std::string> cases[] = {
      {"# written by xdg-user-dirs-update\nXDG_DESKTOP_DIR=\"$HOME/Bureaublad\"\n"
       "XDG_DOCUMENTS_DIR=\"$HOME/Documenten\"\n",
       home_.Path() + "/Documenten"},
      {"XDG_DOCUMENTS_DIR=\"/srv/docs\"\n", "/srv/docs"},
      {"XDG_DOCUMENTS_DIR=\"$HOME/\"\n", home_.Path() + "/Documents"},  // the home folder itself
      {"# XDG_DOCUMENTS_DIR=\"$HOME/Nee\"\n", home_.Path() + "/Documents"},
  };
  MakeFolders(home_.Path() + "/.config");
  for (const auto& [text, want] : cases) {
    WriteFile(home_.Path() + "/.config/user-dirs.dirs", text);
    EXPECT_EQ(DocumentsFolder(), want) << text;
  }
  TempDir config;
  ScopedEnv env("XDG_CONFIG_HOME", config.Path().c_str());
  WriteFile(config.Path() + "/user-dirs.dirs", "XDG_DOCUMENTS_DIR=\"$HOME/Elders\"\n");
  EXPECT_EQ(DocumentsFolder(), home_.Path() + "/Elders");
}

TEST(ClockTest, UtcAgreesWithUnixTimeAndMillisecondsWithTheFraction) {
  SystemClock clock;
  int64_t before = clock.NowUnix();
  DateTime utc = clock.NowUtc();
  int64_t after = clock.NowUnix();
  std::tm tm{};
  tm.tm_year = utc.year - 1900, tm.tm_mon = utc.month - 1, tm.tm_mday = utc.day;
  tm.tm_hour = utc.hour, tm.tm_min = utc.minute, tm.tm_sec = utc.second;
  const int64_t secs = timegm(&tm);
  EXPECT_TRUE(secs >= before && secs <= after) << secs;
  // The fraction counts 100 ns; the milliseconds are taken from it.
  for (const DateTime& t : {utc, clock.NowLocal()})
    EXPECT_TRUE(t.fraction >= 0 && t.fraction <= 9999999 && t.millisecond == t.fraction / 10000) << t.fraction;
}

using testing::ReadFileBytes;

TEST(LogInternalTest, DailyFilesByUtcDateAndUnusableFoldersAreSilent) {
  testing::TempDir tmp;
  testing::FakeClock clock;
  clock.localAhead = 3600;  // as outside the winter of Greenwich
  std::string data = tmp.File("deep/Velgram");
  ASSERT_TRUE(MakeFolders(data + "/logfiles"));
  testing::WriteFileBytes(data + "/logfiles/log20240307.txt", "oud\n");
  clock.SetLocal(2024, 3, 8, 0, 59, 59);  // local already the next day
  clock.millisecond = 995;
  ASSERT_TRUE(log_internal::Append(clock, data, "eerste"));
  clock.Advance(1);
  clock.millisecond = 3;
  ASSERT_TRUE(log_internal::Append(clock, data, "na"));
  EXPECT_EQ(ReadFileBytes(data + "/logfiles/log20240307.txt"),
            "oud\n20240307-23:59:59/995 eerste\n");
  EXPECT_EQ(ReadFileBytes(data + "/logfiles/log20240308.txt"), "20240308-00:00:00/003 na\n");

  testing::WriteFileBytes(tmp.File("blocker"), "x");
  EXPECT_FALSE(log_internal::Append(clock, tmp.File("blocker/sub"), "weg"));
  MakeFolders(tmp.File("d2/logfiles/log20240308.txt"));  // the day's file is a folder
  EXPECT_FALSE(log_internal::Append(clock, tmp.File("d2"), "weg"));
}

// "dddddddd-dd:dd:dd/ddd " at the start of the text.
bool HasPrefix(const std::string& text) {
  static const std::regex shape(R"(^\d{8}-\d\d:\d\d:\d\d/\d{3} )");
  return std::regex_search(text, shape);
}

TEST_F(PathsTest, TheDataFolderIsMadeAndTheLogWritesWholeLinesFromConcurrentThreadsThere) {
  std::string name = program_invocation_short_name;
  if (auto dot = name.find_last_of('.'); dot != std::string::npos && dot > 0) name.resize(dot);
  EXPECT_EQ(ExecutableBaseName(), name);
  const std::string folder = home_.Path() + "/Documents/" + name;
  EXPECT_EQ(DataFolder(), folder);
  EXPECT_TRUE(std::filesystem::is_directory(folder));
  EXPECT_EQ(DataFolder(), folder);  // an existing folder is not an error
  WriteFile(home_.Path() + "/file", "x");
  EXPECT_FALSE(MakeFolders(home_.Path() + "/file/sub") || MakeFolders(""));

  const DateTime today = DefaultClock().NowUtc();
  const std::string file = folder + Format("/logfiles/log%04d%02d%02d.txt", today.year, today.month, today.day);
  Log("regel %s\nregel %d\n", "een", 2);
  std::string first = ReadFileBytes(file);
  EXPECT_TRUE(HasPrefix(first) && first.substr(22) == "regel een\nregel 2\n\n") << first;
  std::filesystem::remove(file);

  constexpr int kThreads = 4, kLines = 500;
  std::atomic<bool> go{false};
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t)
    threads.emplace_back([t, &go] {
      while (!go.load()) std::this_thread::yield();
      std::string pad(200, static_cast<char>('a' + t));  // long, so interleaving shows
      for (int i = 0; i < kLines; ++i) Log("T%d %05d %s", t, i, pad.c_str());
    });
  go = true;
  for (auto& th : threads) th.join();
  std::string all = ReadFileBytes(file);
  std::vector<int> next(kThreads, 0);
  int lines = 0;
  for (size_t at = 0, end; (end = all.find('\n', at)) != std::string::npos; at = end + 1, ++lines) {
    std::string l = all.substr(at, end - at);
    int t = l.size() > 23 ? l[23] - '0' : -1;
    ASSERT_TRUE(l.size() == 22u + 9u + 200u && HasPrefix(l) && t >= 0 && t < kThreads) << l;
    EXPECT_EQ(std::stoi(l.substr(25, 5)), next[t]++) << "thread " << t << " out of order";
    EXPECT_EQ(l.substr(31), std::string(200, static_cast<char>('a' + t))) << l;
  }
  EXPECT_EQ(lines, kThreads * kLines);
}

}  // namespace
}  // namespace velgram
