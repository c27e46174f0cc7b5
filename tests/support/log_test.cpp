#include "support/log.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <thread>
#include <vector>

#include "common/fakes.h"
#include "support/log_internal.h"
#include "support/paths.h"
#include "support/text.h"

namespace velgram {
namespace {

using testing::ReadFileBytes;

// Local time and UTC apart, as they are outside the winter of Greenwich.
class SplitClock : public Clock {
 public:
  DateTime utc, local;
  int64_t NowUnix() const override { return 0; }
  DateTime NowLocal() const override { return local; }
  DateTime NowUtc() const override { return utc; }
};

DateTime Make(int y, int mo, int d, int h, int mi, int s, int ms) { return {y, mo, d, h, mi, s, ms, ms * 10000}; }

TEST(LogInternalTest, DailyFilesByUtcDateAndUnusableFoldersAreSilent) {
  testing::TempDir tmp;
  SplitClock clock;
  std::string data = tmp.File("deep/Velgram");
  ASSERT_TRUE(MakeFolders(data + "/logfiles"));
  testing::WriteFileBytes(data + "/logfiles/log20240307.txt", "oud\n");
  clock.utc = Make(2024, 3, 7, 23, 59, 59, 995);
  clock.local = Make(2024, 3, 8, 0, 59, 59, 995);  // local already the next day
  ASSERT_TRUE(log_internal::Append(clock, data, "eerste"));
  clock.utc.millisecond = 998;
  ASSERT_TRUE(log_internal::Append(clock, data, "tweede"));
  clock.utc = Make(2024, 3, 8, 0, 0, 0, 3);
  ASSERT_TRUE(log_internal::Append(clock, data, "na"));
  EXPECT_EQ(ReadFileBytes(data + "/logfiles/log20240307.txt"),
            "oud\n20240307-23:59:59/995 eerste\n20240307-23:59:59/998 tweede\n");
  EXPECT_EQ(ReadFileBytes(data + "/logfiles/log20240308.txt"), "20240308-00:00:00/003 na\n");

  testing::WriteFileBytes(tmp.File("blocker"), "x");
  EXPECT_FALSE(log_internal::Append(clock, tmp.File("blocker/sub"), "weg"));
  MakeFolders(tmp.File("d2/logfiles/log20240308.txt"));  // the day's file is a folder
  EXPECT_FALSE(log_internal::Append(clock, tmp.File("d2"), "weg"));
}

// "dddddddd-dd:dd:dd/ddd " at the start of the text.
bool HasPrefix(const std::string& text) {
  static const char shape[] = "dddddddd-dd:dd:dd/ddd ";
  for (size_t i = 0; i < 22; ++i)
    if (i >= text.size() || (shape[i] == 'd' ? (text[i] < '0' || text[i] > '9') : text[i] != shape[i])) return false;
  return true;
}

TEST(LogTest, WritesWholeLinesFromConcurrentThreadsIntoTheDataFolder) {
  testing::TempDir home;
  testing::ScopedEnv homeEnv("HOME", home.Path().c_str()), xdgEnv("XDG_CONFIG_HOME", nullptr);
  const DateTime today = DefaultClock().NowUtc();
  const std::string file = home.Path() + "/Documents/" + ExecutableBaseName() +
                           Format("/logfiles/log%04d%02d%02d.txt", today.year, today.month, today.day);
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
