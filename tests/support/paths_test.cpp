#include "support/paths.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <ctime>
#include <filesystem>

#include "support/clock.h"
#include "common/fakes.h"

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

  void WriteUserDirs(const std::string& text) {
    MakeFolders(home_.Path() + "/.config");
    WriteFile(home_.Path() + "/.config/user-dirs.dirs", text);
  }
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
  for (const auto& [text, want] : cases) {
    WriteUserDirs(text);
    EXPECT_EQ(DocumentsFolder(), want) << text;
  }
  TempDir config;
  ScopedEnv env("XDG_CONFIG_HOME", config.Path().c_str());
  WriteFile(config.Path() + "/user-dirs.dirs", "XDG_DOCUMENTS_DIR=\"$HOME/Elders\"\n");
  EXPECT_EQ(DocumentsFolder(), home_.Path() + "/Elders");
}

TEST_F(PathsTest, DataFolderIsDocumentsAndTheProgramNameAndIsCreated) {
  std::string expected = program_invocation_short_name;
  if (auto dot = expected.find_last_of('.'); dot != std::string::npos && dot > 0) expected.resize(dot);
  EXPECT_EQ(ExecutableBaseName(), expected);
  const std::string folder = home_.Path() + "/Documents/" + expected;
  EXPECT_EQ(DataFolder(), folder);
  EXPECT_TRUE(std::filesystem::is_directory(folder));
  EXPECT_EQ(DataFolder(), folder);  // an existing folder is not an error
  WriteFile(home_.Path() + "/file", "x");
  EXPECT_FALSE(MakeFolders(home_.Path() + "/file/sub") || MakeFolders(""));
}

TEST(ClockTest, UtcAgreesWithUnixTimeAndFieldsAreInRange) {
  SystemClock clock;
  int64_t before = clock.NowUnix();
  DateTime utc = clock.NowUtc();
  int64_t after = clock.NowUnix();
  std::tm tm{};
  tm.tm_year = utc.year - 1900, tm.tm_mon = utc.month - 1, tm.tm_mday = utc.day;
  tm.tm_hour = utc.hour, tm.tm_min = utc.minute, tm.tm_sec = utc.second;
  const int64_t secs = timegm(&tm);
  EXPECT_TRUE(secs >= before && secs <= after) << secs;
  for (const DateTime& t : {utc, clock.NowLocal()}) {
    EXPECT_TRUE(t.month >= 1 && t.month <= 12 && t.day >= 1 && t.day <= 31 && t.hour <= 23 && t.second <= 59);
    EXPECT_TRUE(t.fraction >= 0 && t.fraction <= 9999999);
    EXPECT_EQ(t.millisecond, t.fraction / 10000);
  }
}

}  // namespace
}  // namespace velgram
