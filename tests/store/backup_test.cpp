#include <algorithm>
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

const auto FilesIn = testing::FileNames;

class BackupTest : public StoreTest {
 protected:
  void SetUp() override { db.AddToernooi("Voor de backup"); }
  // The database still reads and writes, and holds what it held.
  void ExpectUsable() {
    EXPECT_TRUE(db.IsOpen());
    EXPECT_GT(db.AddToernooi("Na de backup " + std::to_string(++added)), 0);
    std::vector<std::pair<int, std::string>> list;
    db.ListToernooien(list);
    EXPECT_EQ(list.size(), 1u + added);
  }
  int added = 0;
};

TEST(CopyDatabaseFile, CopiesEveryByteAndReportsWhatWentWrong) {
  testing::TempDir dir;
  for (size_t size : {size_t{0}, size_t{9999}, size_t{10000}, size_t{25001}}) {
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>(i * 7 + size);
    WriteFileBytes(dir.File("in"), bytes);
    ASSERT_EQ(Database::CopyDatabaseFile(dir.File("in"), dir.File("out")), 0);
    EXPECT_EQ(ReadFileBytes(dir.File("out")), bytes) << size;
  }
  fs::remove(dir.File("out"));
  EXPECT_EQ(Database::CopyDatabaseFile(dir.File("missing"), dir.File("out")), 0);
  EXPECT_EQ(Database::CopyDatabaseFile(dir.File("in"), dir.File("no/such/folder/out")), 3);
  fs::create_directory(dir.File("folder"));  // exists, but cannot be read as a file
  EXPECT_EQ(Database::CopyDatabaseFile(dir.File("folder"), dir.File("out")), 2);
  EXPECT_FALSE(fs::exists(dir.File("out")));  // no partial target left
}

TEST_F(BackupTest, BackupNowMakesATimestampedCopyAndKeepsWorking) {
  std::string path = db.BackupNow();
  EXPECT_EQ(path, db.BackupFolder() + "/Velgram20231015-143005.db");
  EXPECT_EQ(ReadFileBytes(path), ReadFileBytes(db.Path()));
  EXPECT_EQ(FilesIn(db.BackupFolder()).size(), 1u);  // no temporary left behind
  ExpectUsable();

  // Inside a transaction the file is not consistent: no copy, the work stays.
  {
    Transaction tx(db);
    db.AddToernooi("Half");
    EXPECT_EQ(db.BackupNow(), kCopyFailed);
    EXPECT_TRUE(db.InTransaction());
    EXPECT_TRUE(tx.Commit());
  }
  EXPECT_EQ(FilesIn(db.BackupFolder()).size(), 1u);
  added++;  // "Half"
  ExpectUsable();

  // A file where the backup folder should be: nothing can be written there.
  fs::remove_all(db.BackupFolder());
  WriteFileBytes(db.BackupFolder(), "in de weg");
  EXPECT_EQ(db.BackupNow(), kCopyFailed);
  EXPECT_EQ(ReadFileBytes(db.BackupFolder()), "in de weg");
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

  // An operation that starts with its transaction is served before it opens;
  // once open, the transaction is never cut by a copy.
  clock.Advance(6 * 60);
  {
    Transaction tx(db);
    EXPECT_EQ(FilesIn(db.BackupFolder()).size(), 2u);
    clock.Advance(6 * 60);
    db.AddToernooi("Midden in");
    EXPECT_EQ(FilesIn(db.BackupFolder()).size(), 2u);
    tx.Commit();
  }
  db.GetSetting("x");
  EXPECT_EQ(FilesIn(db.BackupFolder()).size(), 3u);

  db.SetBackupInterval(0);  // off: no more copies however long it runs
  clock.Advance(60 * 60);
  db.GetSetting("x");
  EXPECT_EQ(FilesIn(db.BackupFolder()).size(), 3u);
}

TEST_F(BackupTest, DailyBackupOnlyOnceADay) {
  // A failed copy leaves no file that would count as today's.
  fs::create_directories(db.BackupFolder() + "/Velgram20231015.db/inhoud");  // the rename must fail
  Database::BackupOnceADay(db.Path(), clock);
  EXPECT_EQ(FilesIn(db.BackupFolder()), std::set<std::string>{"Velgram20231015.db"});
  EXPECT_TRUE(fs::is_directory(db.BackupFolder() + "/Velgram20231015.db"));
  fs::remove_all(db.BackupFolder());

  db.SetSettingInt("BackupOnceDay", 1);
  { Database first(db.Path(), clock); }
  clock.Advance(3 * 60 * 60);
  { Database second(db.Path(), clock); }
  EXPECT_EQ(FilesIn(db.BackupFolder()), std::set<std::string>{"Velgram20231015.db"});

  clock.Advance(24 * 60 * 60);
  db.BackupNow();  // a copy made earlier today counts as today's
  Database::BackupOnceADay(db.Path(), clock);
  EXPECT_EQ(FilesIn(db.BackupFolder()),
            (std::set<std::string>{"Velgram20231015.db", "Velgram20231016-173005.db"}));
}

TEST_F(BackupTest, DailyBackupDeletesTheOldestOnlyOfExactlyTen) {
  for (int present : {10, 11}) {
    testing::TempDir other;
    std::string path = other.File("Velgram.db");
    fs::copy_file(db.Path(), path);
    std::string folder = other.File("backup");
    fs::create_directories(folder);
    for (int day = 1; day < present; ++day)
      WriteFileBytes(folder + "/Velgram202309" + (day < 10 ? "0" : "") + std::to_string(day) + ".db", "x");
    WriteFileBytes(folder + "/Velgram20230920-120000.db", "x");  // timestamped copies count too
    WriteFileBytes(folder + "/.Velgram20230801.db", "x");         // hidden: not counted
    WriteFileBytes(folder + "/notes.txt", "x");

    Database::BackupOnceADay(path, clock);
    std::set<std::string> files = FilesIn(folder);
    EXPECT_EQ(files.count("Velgram20230901.db"), present == 10 ? 0u : 1u) << present;
    EXPECT_TRUE(files.count("Velgram20230902.db"));
    EXPECT_EQ(files.size(), present == 10 ? 12u : 14u);
    EXPECT_EQ(ReadFileBytes(folder + "/Velgram20231015.db"), ReadFileBytes(path));
  }
}

TEST_F(BackupTest, ARestorePutsTheCopyBackAfterSavingTheCurrentData) {
  std::string copy = db.BackupNow();  // "Voor de backup" alone, no timed backups
  db.AddToernooi("Na de backup");
  db.SetSettingInt("BackupInterval", 10);
  db.SetBackupInterval(10);
  clock.Advance(60);
  std::string saved;
  ASSERT_TRUE(db.RestoreBackup(copy, saved)) << saved;
  EXPECT_EQ(saved, db.BackupFolder() + "/Velgram20231015-143105.db");
  EXPECT_EQ(db.ListBackups(), (std::vector<std::string>{"Velgram20231015-143105.db", "Velgram20231015-143005.db"}));
  std::vector<std::pair<int, std::string>> list;
  db.ListToernooien(list);
  EXPECT_EQ(list, (std::vector<std::pair<int, std::string>>{{1, "Voor de backup"}}));
  EXPECT_EQ(db.BackupInterval(), 0);  // the copy's setting rules now
  ExpectUsable();
  // The saved copy holds what was there before, and can itself come back.
  clock.Advance(60);
  std::string again;
  ASSERT_TRUE(db.RestoreBackup(saved, again));
  db.ListToernooien(list);
  EXPECT_EQ(list.size(), 2u);
  std::vector<std::string> names = db.ListBackups();
  EXPECT_EQ(names.size(), 3u);
  EXPECT_TRUE(std::is_sorted(names.rbegin(), names.rend()));  // newest first
}

TEST_F(BackupTest, AFailedRestoreLeavesTheCurrentData) {
  std::string good = db.BackupNow();
  db.AddToernooi("Na de backup");
  std::string damaged = dir.File("kapot.db");
  std::string bytes = ReadFileBytes(good);
  bytes.replace(bytes.size() / 2, 4096, std::string(4096, '\x5A'));  // pages of rubbish
  WriteFileBytes(damaged, bytes);
  WriteFileBytes(dir.File("tekst.db"), "geen database");
  {
    Database other(dir.File("ander.db"), clock);  // sound, but not ours
    other.ExecText(nullptr, "DROP TABLE Toernooien");
    // A full disk shows when the copy needs more room than the data it replaces.
    Database big(dir.File("groot.db"), clock);
    Transaction tx(big);
    for (int i = 0; i < 300; ++i) big.AddToernooi(std::string(200, 'x') + std::to_string(i));
    ASSERT_TRUE(tx.Commit());
  }
  const struct {
    const char* name;
    std::string path;
    int pageRoom;  // pages the disk still takes; -1 for no limit
    const char* why;
  } cases[] = {{"damaged copy", damaged, -1, "beschadigd"},
               {"no database", dir.File("tekst.db"), -1, "beschadigd"},
               {"another database", dir.File("ander.db"), -1, "geen Velgram-database"},
               {"missing", dir.File("weg.db"), -1, "beschadigd"},
               {"full disk", dir.File("groot.db"), 0, "de schijf is vol"}};
  for (const auto& c : cases) {
    clock.Advance(1);
    if (c.pageRoom >= 0) {
      std::string rs;
      db.ExecText(&rs, "PRAGMA page_count");
      db.Exec(nullptr, "PRAGMA max_page_count=%d", std::atoi(rs.c_str() + rs.find('"') + 1) + c.pageRoom);
    }
    std::string message;
    EXPECT_FALSE(db.RestoreBackup(c.path, message)) << c.name;
    EXPECT_EQ(message.rfind("FOUT: ", 0), 0u) << c.name << ": " << message;
    EXPECT_NE(message.find(c.why), std::string::npos) << c.name << ": " << message;
    db.ExecText(nullptr, "PRAGMA max_page_count=1000000000");
    std::vector<std::pair<int, std::string>> list;
    db.ListToernooien(list);
    ASSERT_EQ(list.size(), 2u) << c.name;
    EXPECT_EQ(list[0].second, "Na de backup") << c.name;  // in name order
  }
  // A copy in place whose schema upgrade is refused: the saved data returns.
  std::string message;
  db.SetStatementHook([](int, const char*) { return StatementFault::kFail; });
  EXPECT_FALSE(db.RestoreBackup(good, message));
  db.SetStatementHook(nullptr);
  EXPECT_NE(message.find("weigerde"), std::string::npos) << message;
  std::vector<std::pair<int, std::string>> list;
  db.ListToernooien(list);
  ASSERT_EQ(list.size(), 2u);
  // Refused before anything is written: inside an open transaction, and
  // when the current data cannot be saved first.
  {
    Transaction tx(db);
    EXPECT_FALSE(db.RestoreBackup(dir.File("groot.db"), message));
  }
  fs::remove_all(db.BackupFolder());
  WriteFileBytes(db.BackupFolder(), "in de weg");
  EXPECT_FALSE(db.RestoreBackup(dir.File("groot.db"), message));
  EXPECT_EQ(message, kCopyFailed);
  added = 1;
  ExpectUsable();
}

}  // namespace
}  // namespace velgram
