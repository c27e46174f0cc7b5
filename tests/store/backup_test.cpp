#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "store/database.h"
#include "store_fixture.h"

namespace velgram {
namespace {

namespace fs = std::filesystem;
using testing::ReadFileBytes;
using testing::WriteFileBytes;

const std::string kCopyFailed = "FOUT: Kan database niet kopi\xEB" "ren.";

std::set<std::string> FilesIn(const std::string& folder) {
  std::set<std::string> names;
  std::error_code ec;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
    names.insert(it->path().filename().string());
  return names;
}

class BackupTest : public StoreTest {
 protected:
  // The database still reads and writes, and holds what it held.
  void ExpectUsable() {
    EXPECT_TRUE(db.IsOpen());
    int id = db.AddToernooi("Na de backup");
    EXPECT_GT(id, 0);
    std::vector<std::pair<int, std::string>> list;
    db.ListToernooien(list);
    EXPECT_EQ(list.size(), 2u);
  }
  void SetUp() override { db.AddToernooi("Voor de backup"); }
};

TEST(CopyDatabaseFile, CopiesEveryByteAcrossBlockBoundaries) {
  testing::TempDir dir;
  for (size_t size : {size_t{0}, size_t{9999}, size_t{10000}, size_t{25001}}) {
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>(i * 7 + size);
    WriteFileBytes(dir.File("in"), bytes);
    ASSERT_EQ(Database::CopyDatabaseFile(dir.File("in"), dir.File("out")), 0);
    EXPECT_EQ(ReadFileBytes(dir.File("out")), bytes) << size;
  }
}

TEST(CopyDatabaseFile, ReportsWhatWentWrong) {
  testing::TempDir dir;
  EXPECT_EQ(Database::CopyDatabaseFile(dir.File("missing"), dir.File("out")), 0);
  EXPECT_FALSE(fs::exists(dir.File("out")));

  WriteFileBytes(dir.File("in"), "data");
  EXPECT_EQ(Database::CopyDatabaseFile(dir.File("in"), dir.File("no/such/folder/out")), 3);
  // A folder exists but cannot be read as a file.
  fs::create_directory(dir.File("folder"));
  EXPECT_EQ(Database::CopyDatabaseFile(dir.File("folder"), dir.File("out")), 2);
  EXPECT_FALSE(fs::exists(dir.File("out")));
}

TEST_F(BackupTest, BackupNowMakesATimestampedCopyAndKeepsWorking) {
  std::string path = db.BackupNow();
  EXPECT_EQ(path, db.BackupFolder() + "/Velgram20231015-143005.db");
  EXPECT_EQ(ReadFileBytes(path), ReadFileBytes(db.Path()));
  EXPECT_EQ(FilesIn(db.BackupFolder()).size(), 1u);  // no temporary left behind
  ExpectUsable();

  // The copy is a database of its own, with the data as it was.
  testing::FakeClock other;
  Database copy(path, other);
  std::vector<std::pair<int, std::string>> list;
  copy.ListToernooien(list);
  ASSERT_EQ(list.size(), 1u);
  EXPECT_EQ(list[0].second, "Voor de backup");
}

TEST_F(BackupTest, NoCopyInsideATransaction) {
  {
    Transaction tx(db);
    db.AddToernooi("Half");
    EXPECT_EQ(db.BackupNow(), kCopyFailed);
    EXPECT_TRUE(db.InTransaction());
    EXPECT_TRUE(tx.Commit());
  }
  EXPECT_TRUE(FilesIn(db.BackupFolder()).empty());
  std::vector<std::pair<int, std::string>> list;
  db.ListToernooien(list);
  EXPECT_EQ(list.size(), 2u);
}

TEST_F(BackupTest, AFailedCopyReportsAndLeavesTheDatabaseUsable) {
  // A file where the backup folder should be: nothing can be written there.
  WriteFileBytes(db.BackupFolder(), "in de weg");
  EXPECT_EQ(db.BackupNow(), kCopyFailed);
  EXPECT_EQ(ReadFileBytes(db.BackupFolder()), "in de weg");
  EXPECT_TRUE(FilesIn(dir.Path()).count("Velgram.db"));
  ExpectUsable();
}

TEST_F(BackupTest, TimedBackupRunsAtTheFirstAccessAfterTheInterval) {
  db.SetBackupInterval(5);
  clock.Advance(4 * 60);
  db.GetSetting("x");
  EXPECT_TRUE(FilesIn(db.BackupFolder()).empty());

  clock.Advance(2 * 60);
  int64_t now = clock.NowUnix();
  db.GetSetting("x");
  EXPECT_EQ(FilesIn(db.BackupFolder()), std::set<std::string>{"Velgram20231015-143605.db"});
  EXPECT_EQ(db.LastBackupTime(), now);
  ExpectUsable();

  // Switched off: no more copies however long it runs.
  db.SetBackupInterval(0);
  clock.Advance(60 * 60);
  db.GetSetting("x");
  EXPECT_EQ(FilesIn(db.BackupFolder()).size(), 1u);
}

TEST_F(BackupTest, TimedBackupWaitsForAnOpenTransaction) {
  db.SetBackupInterval(5);
  clock.Advance(6 * 60);
  {
    Transaction tx(db);
    db.AddToernooi("Midden in");
    EXPECT_TRUE(FilesIn(db.BackupFolder()).empty());
    tx.Commit();
  }
  db.GetSetting("x");
  EXPECT_EQ(FilesIn(db.BackupFolder()).size(), 1u);
}

TEST_F(BackupTest, DailyBackupOnlyOnceADay) {
  db.SetSettingInt("BackupOnceDay", 1);
  { Database first(db.Path(), clock); }
  clock.Advance(3 * 60 * 60);
  { Database second(db.Path(), clock); }
  EXPECT_EQ(FilesIn(db.BackupFolder()), std::set<std::string>{"Velgram20231015.db"});

  clock.Advance(24 * 60 * 60);
  Database nextDay(db.Path(), clock);
  EXPECT_EQ(FilesIn(db.BackupFolder()), (std::set<std::string>{"Velgram20231015.db", "Velgram20231016.db"}));
  EXPECT_TRUE(nextDay.IsOpen());
}

TEST_F(BackupTest, DailyBackupDeletesTheOldestOfExactlyTen) {
  std::string folder = db.BackupFolder();
  fs::create_directories(folder);
  for (int day = 1; day <= 9; ++day) WriteFileBytes(folder + "/Velgram2023090" + std::to_string(day) + ".db", "x");
  WriteFileBytes(folder + "/Velgram20230910-120000.db", "x");  // timestamped copies count too
  WriteFileBytes(folder + "/.Velgram20230801.db", "x");         // hidden: not counted
  WriteFileBytes(folder + "/notes.txt", "x");

  Database::BackupOnceADay(db.Path(), clock);
  std::set<std::string> files = FilesIn(folder);
  EXPECT_FALSE(files.count("Velgram20230901.db"));
  EXPECT_TRUE(files.count("Velgram20230902.db"));
  EXPECT_TRUE(files.count("Velgram20231015.db"));
  EXPECT_EQ(files.size(), 12u);
  EXPECT_EQ(ReadFileBytes(folder + "/Velgram20231015.db"), ReadFileBytes(db.Path()));
}

TEST_F(BackupTest, DailyBackupDeletesNothingWithElevenFiles) {
  std::string folder = db.BackupFolder();
  fs::create_directories(folder);
  for (int day = 10; day <= 20; ++day) WriteFileBytes(folder + "/Velgram202309" + std::to_string(day) + ".db", "x");
  Database::BackupOnceADay(db.Path(), clock);
  EXPECT_EQ(FilesIn(folder).size(), 12u);
}

TEST_F(BackupTest, DailyBackupCountsACopyMadeEarlierToday) {
  db.BackupNow();
  Database::BackupOnceADay(db.Path(), clock);
  EXPECT_EQ(FilesIn(db.BackupFolder()).size(), 1u);
}

TEST_F(BackupTest, DailyBackupOfAMissingDatabaseDoesNothing) {
  Database::BackupOnceADay(dir.File("elders/Velgram.db"), clock);
  EXPECT_FALSE(fs::exists(dir.File("elders")));
}

TEST_F(BackupTest, AFailedDailyCopyLeavesNoFileThatWouldCountAsToday) {
  std::string folder = db.BackupFolder();
  fs::create_directories(folder);
  // The copy's target name is taken by a folder, so the rename must fail.
  fs::create_directory(folder + "/Velgram20231015.db");
  fs::create_directory(folder + "/Velgram20231015.db/inhoud");
  Database::BackupOnceADay(db.Path(), clock);
  EXPECT_EQ(FilesIn(folder), std::set<std::string>{"Velgram20231015.db"});
  EXPECT_TRUE(fs::is_directory(folder + "/Velgram20231015.db"));
}

}  // namespace
}  // namespace velgram
