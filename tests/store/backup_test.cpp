// Backups and restores, and the start: a damaged file is never written to;
// it is set aside, a sound backup is offered in its place. Backups refuse to
// copy a damaged file and clear away what an interrupted copy left.
#include <filesystem>

#include "store/startup.h"
#include "store_actions.h"
#include "store_fixture.h"
#include "support/text.h"

namespace velgram {
namespace {

namespace fs = std::filesystem;
using testing::ReadFileBytes;
using testing::WriteFileBytes;

const std::string kCopyFailed = "FOUT: Kan database niet kopi\xEB" "ren.";

const auto FilesIn = testing::FileNames;
using Names = std::set<std::string>;

// The tournaments' names, in name order.
std::vector<std::string> Tournaments(Database& db) {
  std::vector<std::pair<int, std::string>> list;
  db.ListToernooien(list);
  std::vector<std::string> names;
  for (const auto& t : list) names.push_back(t.second);
  return names;
}

// Enough rows for pages beyond the schema, so one can be spoilt.
void FillPages(Database& db) {
  Transaction tx(db);
  for (int i = 0; i < 400; ++i) db.Exec(nullptr, "INSERT INTO Clubs (name) VALUES ('Vereniging %d met een lange naam')", i);
  ASSERT_TRUE(tx.Commit());
}
// Overwrites a page in the middle and marks the file changed, as a failing
// disk would.
void Spoil(const std::string& path) {
  std::string bytes = ReadFileBytes(path);
  ASSERT_GT(bytes.size(), 4u * 4096);
  bytes.replace(3 * 4096, 4096, std::string(4096, '\x5a'));
  bytes[27] = static_cast<char>(bytes[27] + 1);
  WriteFileBytes(path, bytes);
}

class BackupTest : public StoreTest {
 protected:
  void SetUp() override { db.AddToernooi("Voor de backup"); }
  // The database still reads and writes, and holds what it held.
  void ExpectUsable() {
    EXPECT_TRUE(db.IsOpen());
    EXPECT_GT(db.AddToernooi("Na de backup " + std::to_string(++added)), 0);
    EXPECT_EQ(Tournaments(db).size(), 1u + added);
  }
  // A file where the backup folder should be: nothing can be written there.
  void BlockBackupFolder() {
    fs::remove_all(db.BackupFolder());
    WriteFileBytes(db.BackupFolder(), "in de weg");
  }
  int added = 0;
};

TEST(CopyDatabaseFile, CopiesEveryByteAndReportsWhatWentWrong) {
  testing::TempDir dir;
  const size_t open = FilesIn("/proc/self/fd").size();
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
  EXPECT_EQ(FilesIn("/proc/self/fd").size(), open);  // and no file left open
}

// A copy of a sound file only. What an interrupted copy left is cleared; the
// user's own files in the folder stay.
TEST_F(BackupTest, BackupNowMakesATimestampedCopyAndKeepsWorking) {
  const std::string folder = db.BackupFolder();
  fs::create_directories(folder);
  const Names kept = {"Velgram20231001.db", "notities.txt", ".verborgen", ".Velgram.txt"};
  for (const std::string& name : kept) WriteFileBytes(folder + "/" + name, "van de gebruiker");
  WriteFileBytes(folder + "/.Velgram20231014.db.part", "afgebroken");
  WriteFileBytes(folder + "/.Velgram20231015-101010.db.part", "afgebroken");
  std::string path = db.BackupNow();
  EXPECT_EQ(path, folder + "/Velgram20231015-143005.db");
  EXPECT_EQ(ReadFileBytes(path), ReadFileBytes(db.Path()));
  Names expected = kept;
  expected.insert("Velgram20231015-143005.db");
  EXPECT_EQ(FilesIn(folder), expected);  // no temporary left behind
  for (const std::string& name : kept) EXPECT_EQ(ReadFileBytes(folder + "/" + name), "van de gebruiker");
  ExpectUsable();
  WriteFileBytes(folder + "/.Velgram20231015.db.part", "afgebroken");
  Database::BackupOnceADay(db.Path(), clock);  // a copy made today counts as today's
  EXPECT_EQ(FilesIn(folder), expected);

  // Inside a transaction the file is not consistent: no copy, the work stays.
  {
    Transaction tx(db);
    db.AddToernooi("Half");
    EXPECT_EQ(db.BackupNow(), kCopyFailed);
    EXPECT_TRUE(db.InTransaction());
    EXPECT_TRUE(tx.Commit());
  }
  EXPECT_EQ(FilesIn(folder), expected);
  added++;  // "Half"

  BlockBackupFolder();
  EXPECT_EQ(db.BackupNow(), kCopyFailed);
  EXPECT_EQ(ReadFileBytes(folder), "in de weg");
  ExpectUsable();

  // A damaged file is copied neither now nor the next day.
  fs::remove(folder);
  FillPages(db);
  Spoil(db.Path());
  clock.Advance(60);
  EXPECT_EQ(db.BackupNow(), kCopyFailed);
  clock.Advance(86400);
  Database::BackupOnceADay(db.Path(), clock);
  EXPECT_TRUE(FilesIn(folder).empty());
}

TEST_F(BackupTest, TimedBackupRunsAtTheFirstAccessAfterTheInterval) {
  db.SetBackupInterval(5);
  clock.Advance(4 * 60);
  db.GetSetting("x");
  EXPECT_TRUE(FilesIn(db.BackupFolder()).empty());

  clock.Advance(2 * 60);
  int64_t now = clock.NowUnix();
  db.GetSetting("x");
  EXPECT_EQ(FilesIn(db.BackupFolder()), Names{"Velgram20231015-143605.db"});
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

// The oldest copy goes only when there are exactly ten; a failed copy leaves
// no file that counts as today's.
TEST_F(BackupTest, DailyBackupKeepsTenAndNeverCountsAFailedCopy) {
  fs::create_directories(db.BackupFolder() + "/Velgram20231015.db/inhoud");  // the rename must fail
  Database::BackupOnceADay(db.Path(), clock);
  EXPECT_EQ(FilesIn(db.BackupFolder()), Names{"Velgram20231015.db"});
  EXPECT_TRUE(fs::is_directory(db.BackupFolder() + "/Velgram20231015.db"));

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
    Names files = FilesIn(folder);
    EXPECT_EQ(files.count("Velgram20230901.db"), present == 10 ? 0u : 1u) << present;  // the oldest, no other
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
  EXPECT_EQ(db.ListBackups(), (std::vector<std::string>{"Velgram20231015-143105.db", "Velgram20231015-143005.db"}));
  EXPECT_EQ(Tournaments(db), std::vector<std::string>{"Voor de backup"});
  EXPECT_EQ(db.BackupInterval(), 0);  // the copy's setting rules now
  ExpectUsable();
  // The saved copy holds what was there before, and can itself come back.
  clock.Advance(60);
  std::string again;
  ASSERT_TRUE(db.RestoreBackup(saved, again));
  EXPECT_EQ(Tournaments(db).size(), 2u);
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
    EXPECT_EQ(Tournaments(db), (std::vector<std::string>{"Na de backup", "Voor de backup"})) << c.name;
  }
  // A copy in place whose schema upgrade is refused: the saved data returns.
  std::string message;
  db.SetStatementHook([](int, const char*) { return StatementFault::kFail; });
  EXPECT_FALSE(db.RestoreBackup(good, message));
  db.SetStatementHook(nullptr);
  EXPECT_NE(message.find("weigerde"), std::string::npos) << message;
  EXPECT_EQ(Tournaments(db).size(), 2u);
  // A hundred copies made this very second leave the current data no name to be saved under.
  const DateTime t = clock.NowLocal();
  const std::string stamp = db.BackupFolder() + Format("/Velgram%04d%02d%02d-%02d%02d%02d", t.year, t.month, t.day,
                                                       t.hour, t.minute, t.second);
  for (int n = 1; n < 100; ++n) WriteFileBytes(stamp + (n == 1 ? std::string() : Format("-%d", n)) + ".db", "x");
  EXPECT_FALSE(db.RestoreBackup(good, message));
  EXPECT_EQ(Tournaments(db).size(), 2u);
  // Refused before anything is written: inside an open transaction, and
  // when the current data cannot be saved first.
  clock.Advance(1);  // a second with no copies yet
  {
    Transaction tx(db);
    EXPECT_FALSE(db.RestoreBackup(dir.File("groot.db"), message));
    EXPECT_EQ(message, kCopyFailed);  // not even the current data was saved
  }
  BlockBackupFolder();
  EXPECT_FALSE(db.RestoreBackup(dir.File("groot.db"), message));
  EXPECT_EQ(message, kCopyFailed);
  added = 1;
  ExpectUsable();
}

const std::string kGarbage(5000, 'x');

class Startup : public ::testing::Test {
 protected:
  Startup() { clock.SetLocal(2023, 10, 15, 14, 30, 5); }

  // A sound file holding one tournament of that name.
  void MakeDatabase(const std::string& path, const std::string& tournament) {
    Database db(path, clock);
    db.AddToernooi(tournament);
    FillPages(db);
  }
  static std::string Tournament(Database& db) { return Tournaments(db).empty() ? "" : Tournaments(db)[0]; }

  testing::TempDir dir;
  testing::FakeClock clock;
  testing::FakePrompter prompter;
  std::string path = dir.File("Velgram.db");
  std::string backups = dir.File("backup");
  std::string aside = dir.File("Velgram-beschadigd-20231015-143005.db");
};

TEST_F(Startup, ADamagedFileIsSetAsideAndTheNewestSoundBackupOffered) {
  fs::create_directories(backups);
  MakeDatabase(backups + "/Velgram20231013.db", "Oudste");
  MakeDatabase(backups + "/Velgram20231014.db", "Ochtend");  // the daily copy, made before the timed one
  MakeDatabase(backups + "/Velgram20231014-180000.db", "Goede");
  WriteFileBytes(backups + "/Velgram20231015-090000.db", kGarbage);  // newest, but no database
  MakeDatabase(path, "Actueel");
  Spoil(path);
  const std::string damaged = ReadFileBytes(path);

  for (bool restore : {true, false}) {
    if (!restore) {
      fs::remove(path);
      fs::rename(aside, path);
      prompter = {};
    }
    prompter.answers = {restore};
    std::unique_ptr<Database> db = OpenDatabase(path, clock, prompter);
    ASSERT_TRUE(db);
    ASSERT_EQ(prompter.questions.size(), 1u);
    EXPECT_NE(prompter.questions[0].find(backups + "/Velgram20231014-180000.db"), std::string::npos);
    EXPECT_NE(prompter.questions[0].find(aside), std::string::npos);
    EXPECT_EQ(ReadFileBytes(aside), damaged);
    EXPECT_EQ(Tournament(*db), restore ? "Goede" : "");
    // Declined: the program goes on with a new empty database.
    ASSERT_EQ(prompter.alerts.size(), restore ? 0u : 1u);
    if (!restore) {
      EXPECT_NE(prompter.alerts[0].find("nieuwe, lege database"), std::string::npos);
    }
  }
}

TEST_F(Startup, AStartKilledAtTheBackupQuestionAsksAgain) {
  // The damaged file was set aside, then the program was killed while it
  // asked: no database, only the file set aside (" (1)" is the newer one).
  WriteFileBytes(dir.File("Velgram-beschadigd-20231014-100000.db"), kGarbage);
  WriteFileBytes(dir.File("Velgram-beschadigd-20231015-143005 (1).db"), kGarbage);
  WriteFileBytes(dir.File("Velgram-kopie-van-de-voorzitter.db"), kGarbage);  // not set aside by a start
  const std::string newest = dir.File("Velgram-beschadigd-20231015-143005 (1).db");
  for (bool withBackup : {false, true}) {
    fs::remove(path);
    if (withBackup) {
      fs::create_directories(backups);
      MakeDatabase(backups + "/Velgram20231014.db", "Goede");
    }
    prompter = {};
    std::unique_ptr<Database> db = OpenDatabase(path, clock, prompter);
    ASSERT_TRUE(db);
    const std::vector<std::string>& told = withBackup ? prompter.questions : prompter.alerts;
    ASSERT_EQ(told.size(), 1u) << withBackup;
    EXPECT_EQ(prompter.questions.size() + prompter.alerts.size(), 1u) << withBackup;  // asked with a backup, told without
    EXPECT_NE(told[0].find(newest), std::string::npos) << told[0];
    EXPECT_EQ(told[0].find(backups) != std::string::npos, withBackup) << told[0];
    EXPECT_EQ(Tournament(*db), withBackup ? "Goede" : "");
  }
  // The database is there now: the next start asks nothing.
  prompter = {};
  EXPECT_TRUE(OpenDatabase(path, clock, prompter));
  EXPECT_TRUE(prompter.questions.empty() && prompter.alerts.empty());
}

TEST_F(Startup, ARestoredBackupIsTheDaysDailyCopyAndStartsAreLogged) {
  fs::create_directories(backups);
  MakeDatabase(dir.File("bron.db"), "Goede");
  {
    Database source(dir.File("bron.db"), clock);
    source.SetSettingInt("BackupOnceDay", 1);
  }
  for (int day = 5; day <= 14; ++day)
    fs::copy_file(dir.File("bron.db"), backups + Format("/Velgram202310%02d.db", day));
  const Names ten = FilesIn(backups);
  WriteFileBytes(path, kGarbage);
  EXPECT_TRUE(Database(path, clock).Damaged());
  prompter.answers = {true};
  ASSERT_TRUE(OpenDatabase(path, clock, prompter));
  EXPECT_EQ(ReadFileBytes(aside), kGarbage);  // a file that is no database is never written to
  EXPECT_EQ(FilesIn(backups), ten);
  RefuseSecondCopy(path, clock, prompter);
  // A table where the upgrade wants to make one: the upgrade is refused.
  const std::string odd = dir.File("Vreemd.db");
  ASSERT_TRUE(testing::WriteRawFile(odd, "CREATE VIEW Matches AS SELECT 1 AS id"));
  EXPECT_FALSE(OpenDatabase(odd, clock, prompter));
  std::string log = ReadFileBytes(dir.File("logfiles/log20231015.txt"));
  std::vector<std::string> lines;
  for (size_t at = 0, end; (end = log.find('\n', at)) != std::string::npos; at = end + 1)
    lines.push_back(log.substr(at + 22, end - at - 22));  // without the time stamp
  const std::vector<std::string> expected = {
      "Start: beschadigd bestand " + path + " opzij gezet als " + aside,
      "Start: backup " + backups + "/Velgram20231014.db teruggezet als " + path,
      "Start geweigerd: " + path + " is al geopend door een andere Velgram",
      "Start geweigerd: Velgram kan de database " + odd + " niet openen",
  };
  ASSERT_EQ(lines.size(), expected.size()) << log;
  for (size_t i = 0; i < lines.size(); ++i) EXPECT_EQ(lines[i].substr(0, expected[i].size()), expected[i]);

  { Database again(path, clock); }  // a later start the same day
  EXPECT_EQ(FilesIn(backups), ten);
  clock.Advance(86400);
  { Database tomorrow(path, clock); }
  EXPECT_TRUE(FilesIn(backups).count("Velgram20231016.db"));
  EXPECT_FALSE(FilesIn(backups).count("Velgram20231005.db"));
}

TEST_F(Startup, TheDataFolderMustBeAWritableFolder) {
  const std::string map = dir.File("map");
  WriteFileBytes(map, "een bestand");
  EXPECT_EQ(DataFolderProblem(map + "/Velgram.db").rfind("De gegevensmap " + map + " is geen map maar een bestand.", 0),
            0u);
  EXPECT_EQ(DataFolderProblem(map + "/sub/Velgram.db").rfind("De gegevensmap " + map + "/sub bestaat niet", 0), 0u);
  EXPECT_EQ(DataFolderProblem(path), "");
  EXPECT_EQ(ReadFileBytes(map), "een bestand");
}

}  // namespace
}  // namespace velgram
