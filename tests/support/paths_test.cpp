#include "support/paths.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <filesystem>

#include "support/clock.h"
#include "support_test_util.h"

namespace velgram {
namespace {

using support_test::ScopedEnv;
using support_test::TempFolder;
using support_test::WriteFile;

class PathsTest : public ::testing::Test {
 protected:
  TempFolder home_;
  ScopedEnv homeEnv_{"HOME", home_.path().c_str()};
  ScopedEnv xdgEnv_{"XDG_CONFIG_HOME", nullptr};

  void WriteUserDirs(const std::string& text) {
    MakeFolders(home_.path() + "/.config");
    WriteFile(home_.path() + "/.config/user-dirs.dirs", text);
  }
};

TEST_F(PathsTest, NoUserDirsGivesHomeDocuments) {
  EXPECT_EQ(DocumentsFolder(), home_.path() + "/Documents");
}

TEST_F(PathsTest, XdgDocumentsDirWithHomeExpanded) {
  WriteUserDirs(
      "# This file is written by xdg-user-dirs-update\n"
      "XDG_DESKTOP_DIR=\"$HOME/Bureaublad\"\n"
      "XDG_DOCUMENTS_DIR=\"$HOME/Documenten\"\n"
      "XDG_MUSIC_DIR=\"$HOME/Muziek\"\n");
  EXPECT_EQ(DocumentsFolder(), home_.path() + "/Documenten");
}

TEST_F(PathsTest, XdgDocumentsDirAbsolute) {
  WriteUserDirs("XDG_DOCUMENTS_DIR=\"/srv/docs\"\n");
  EXPECT_EQ(DocumentsFolder(), "/srv/docs");
}

TEST_F(PathsTest, XdgDocumentsDirEqualToHomeIsIgnored) {
  WriteUserDirs("XDG_DOCUMENTS_DIR=\"$HOME/\"\n");
  EXPECT_EQ(DocumentsFolder(), home_.path() + "/Documents");
  WriteUserDirs("XDG_DOCUMENTS_DIR=\"$HOME\"\n");
  EXPECT_EQ(DocumentsFolder(), home_.path() + "/Documents");
}

TEST_F(PathsTest, CommentedLineIsIgnored) {
  WriteUserDirs("# XDG_DOCUMENTS_DIR=\"$HOME/Nee\"\n");
  EXPECT_EQ(DocumentsFolder(), home_.path() + "/Documents");
}

TEST_F(PathsTest, XdgConfigHomeIsUsed) {
  TempFolder config;
  ScopedEnv env("XDG_CONFIG_HOME", config.path().c_str());
  WriteFile(config.path() + "/user-dirs.dirs", "XDG_DOCUMENTS_DIR=\"$HOME/Elders\"\n");
  EXPECT_EQ(DocumentsFolder(), home_.path() + "/Elders");
}

TEST_F(PathsTest, HomeUnsetUsesPasswordEntry) {
  ScopedEnv unset("HOME", nullptr);
  std::string docs = DocumentsFolder();
  EXPECT_FALSE(docs.empty());
  EXPECT_EQ(docs.front(), '/');
}

TEST_F(PathsTest, ExecutableBaseNameHasNoFolderOrExtension) {
  std::string name = ExecutableBaseName();
  ASSERT_FALSE(name.empty());
  EXPECT_EQ(name.find('/'), std::string::npos);
  std::string expected = program_invocation_short_name;
  if (auto dot = expected.find_last_of('.'); dot != std::string::npos && dot > 0)
    expected.resize(dot);
  EXPECT_EQ(name, expected);
}

TEST_F(PathsTest, DataFolderIsCreated) {
  std::string folder = DataFolder();
  EXPECT_EQ(folder, home_.path() + "/Documents/" + ExecutableBaseName());
  EXPECT_TRUE(std::filesystem::is_directory(folder));
  EXPECT_EQ(DataFolder(), folder);  // an existing folder is not an error
}

TEST_F(PathsTest, MakeFolders) {
  std::string deep = home_.path() + "/a/b/c";
  EXPECT_TRUE(MakeFolders(deep));
  EXPECT_TRUE(std::filesystem::is_directory(deep));
  EXPECT_TRUE(MakeFolders(deep));
  WriteFile(home_.path() + "/file", "x");
  EXPECT_FALSE(MakeFolders(home_.path() + "/file"));
  EXPECT_FALSE(MakeFolders(home_.path() + "/file/sub"));
  EXPECT_FALSE(MakeFolders(""));
}

TEST(ClockTest, UtcAgreesWithUnixTime) {
  SystemClock clock;
  int64_t before = clock.NowUnix();
  DateTime utc = clock.NowUtc();
  int64_t after = clock.NowUnix();
  // Days from civil date (Howard Hinnant's algorithm) to compare with NowUnix.
  int y = utc.year - (utc.month <= 2);
  int era = (y >= 0 ? y : y - 399) / 400;
  int yoe = y - era * 400;
  int doy = (153 * (utc.month + (utc.month > 2 ? -3 : 9)) + 2) / 5 + utc.day - 1;
  int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  int64_t days = static_cast<int64_t>(era) * 146097 + doe - 719468;
  int64_t secs = days * 86400 + utc.hour * 3600 + utc.minute * 60 + utc.second;
  EXPECT_GE(secs, before);
  EXPECT_LE(secs, after);
}

TEST(ClockTest, FieldsInRange) {
  SystemClock clock;
  for (const DateTime& t : {clock.NowUtc(), clock.NowLocal()}) {
    EXPECT_GE(t.year, 2020);
    EXPECT_GE(t.month, 1);
    EXPECT_LE(t.month, 12);
    EXPECT_GE(t.day, 1);
    EXPECT_LE(t.day, 31);
    EXPECT_LE(t.hour, 23);
    EXPECT_LE(t.minute, 59);
    EXPECT_LE(t.second, 59);
    EXPECT_GE(t.millisecond, 0);
    EXPECT_LE(t.millisecond, 999);
    EXPECT_GE(t.fraction, 0);
    EXPECT_LE(t.fraction, 9999999);
    EXPECT_EQ(t.millisecond, t.fraction / 10000);
  }
}

TEST(ClockTest, DefaultClockIsOneObject) { EXPECT_EQ(&DefaultClock(), &DefaultClock()); }

}  // namespace
}  // namespace velgram
