// A damaged file is never written to: it is set aside, a sound backup is
// offered in its place. Backups refuse to copy a damaged file and clear away
// what an interrupted copy left.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>

#include "common/fakes.h"
#include "store/database.h"
#include "store/startup.h"
#include "store_actions.h"
#include "store_fixture.h"
#include "support/text.h"

namespace velgram {
namespace {

namespace fs = std::filesystem;
using testing::ReadFileBytes;
using testing::WriteFileBytes;

const std::string kGarbage(5000, 'x');

const auto FilesIn = testing::FileNames;

class Startup : public ::testing::Test {
 protected:
  Startup() { clock.SetLocal(2023, 10, 15, 14, 30, 5); }

  // A sound file holding one tournament of that name.
  void MakeDatabase(const std::string& path, const std::string& tournament) {
    Database db(path, clock);
    db.AddToernooi(tournament);
    // Enough rows for pages beyond the schema, so one can be spoilt.
    Transaction tx(db);
    for (int i = 0; i < 400; ++i) db.Exec(nullptr, "INSERT INTO Clubs (name) VALUES ('Vereniging %d met een lange naam')", i);
    ASSERT_TRUE(tx.Commit());
  }
  // Overwrites a page in the middle and marks the file changed, as a failing
  // disk would.
  static void Spoil(const std::string& path) {
    std::string bytes = ReadFileBytes(path);
    ASSERT_GT(bytes.size(), 4u * 4096);
    bytes.replace(3 * 4096, 4096, std::string(4096, '\x5a'));
    bytes[27] = static_cast<char>(bytes[27] + 1);
    WriteFileBytes(path, bytes);
  }
  static std::string Tournament(Database& db) {
    std::vector<std::pair<int, std::string>> list;
    db.ListToernooien(list);
    return list.empty() ? "" : list[0].second;
  }

  testing::TempDir dir;
  testing::FakeClock clock;
  testing::FakePrompter prompter;
  std::string path = dir.File("Velgram.db");
  std::string backups = dir.File("backup");
  std::string aside = dir.File("Velgram-beschadigd-20231015-143005.db");
};

TEST_F(Startup, AFileThatIsNoDatabaseIsNeverWritten) {
  WriteFileBytes(path, kGarbage);
  {
    Database db(path, clock);
    EXPECT_TRUE(db.Damaged() && !db.IsOpen());
    EXPECT_NE(db.StartError().find("beschadigd"), std::string::npos);
    db.ExecText(nullptr, "CREATE TABLE x (id integer)");
  }
  EXPECT_EQ(ReadFileBytes(path), kGarbage);

  // Without a backup the program goes on with a new empty database and says
  // where the old file went.
  std::unique_ptr<Database> db = OpenDatabase(path, clock, prompter);
  ASSERT_TRUE(db);
  EXPECT_TRUE(db->StartError().empty());
  EXPECT_GT(db->AddToernooi("Nieuw"), 0);
  EXPECT_EQ(ReadFileBytes(aside), kGarbage);
  ASSERT_EQ(prompter.alerts.size(), 1u);
  EXPECT_NE(prompter.alerts[0].find(aside), std::string::npos);
  EXPECT_NE(prompter.alerts[0].find("nieuwe, lege database"), std::string::npos);
  EXPECT_TRUE(prompter.questions.empty());
}

TEST_F(Startup, ADamagedFileIsSetAsideAndTheNewestSoundBackupOffered) {
  fs::create_directories(backups);
  MakeDatabase(backups + "/Velgram20231013.db", "Oudste");
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
    EXPECT_EQ(prompter.alerts.size(), restore ? 0u : 1u);
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
    EXPECT_NE(told[0].find(newest), std::string::npos) << told[0];
    EXPECT_EQ(told[0].find(backups) != std::string::npos, withBackup) << told[0];
    EXPECT_EQ(Tournament(*db), withBackup ? "Goede" : "");
  }
  // The database is there now: the next start asks nothing.
  prompter = {};
  EXPECT_TRUE(OpenDatabase(path, clock, prompter));
  EXPECT_TRUE(prompter.questions.empty() && prompter.alerts.empty());
}

TEST_F(Startup, ARestoredBackupIsTheDaysDailyCopy) {
  fs::create_directories(backups);
  MakeDatabase(dir.File("bron.db"), "Goede");
  {
    Database source(dir.File("bron.db"), clock);
    source.SetSettingInt("BackupOnceDay", 1);
  }
  for (int day = 5; day <= 14; ++day)
    fs::copy_file(dir.File("bron.db"), backups + Format("/Velgram202310%02d.db", day));
  const std::set<std::string> ten = FilesIn(backups);
  WriteFileBytes(path, kGarbage);
  prompter.answers = {true};
  ASSERT_TRUE(OpenDatabase(path, clock, prompter));
  EXPECT_EQ(FilesIn(backups), ten);
  { Database again(path, clock); }  // a later start the same day
  EXPECT_EQ(FilesIn(backups), ten);
  clock.Advance(86400);
  { Database tomorrow(path, clock); }
  EXPECT_TRUE(FilesIn(backups).count("Velgram20231016.db"));
  EXPECT_FALSE(FilesIn(backups).count("Velgram20231005.db"));
}

TEST_F(Startup, TheDataFolderMustBeAWritableFolder) {
  WriteFileBytes(dir.File("map"), "een bestand");
  const struct {
    std::string path, told;
  } cases[] = {
      {dir.File("map/Velgram.db"), "De gegevensmap " + dir.File("map") + " is geen map maar een bestand."},
      {dir.File("map/sub/Velgram.db"), "De gegevensmap " + dir.File("map/sub") + " bestaat niet"},
      {path, ""},
  };
  for (const auto& c : cases) {
    std::string problem = DataFolderProblem(c.path);
    EXPECT_EQ(problem.substr(0, c.told.size()), c.told) << c.path;
    EXPECT_EQ(problem.empty(), c.told.empty()) << problem;
  }
  EXPECT_EQ(ReadFileBytes(dir.File("map")), "een bestand");
}

TEST_F(Startup, StartEventsAreLogged) {
  fs::create_directories(backups);
  MakeDatabase(backups + "/Velgram20231014.db", "Goede");
  WriteFileBytes(path, kGarbage);
  prompter.answers = {true};
  ASSERT_TRUE(OpenDatabase(path, clock, prompter));
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
}

TEST_F(Startup, AnInterruptedConversionIsFinished) {
  // An earlier version stopped after adding the kind column to two of the
  // three rows' worth of work: one row converted, two without a kind, and
  // the pool column never added.
  ASSERT_TRUE(testing::WriteRawFile(path,
               "CREATE TABLE Contestants (id integer PRIMARY KEY,idPool integer,poolPos integer,item1 integer,"
               "item2 integer,sort integer,linktype integer,idPlayer integer);"
               "INSERT INTO Contestants VALUES (1,10,1,17,0,0,1,17),(2,10,2,-4,2,1,NULL,NULL),"
               "(3,10,3,9,0,2,NULL,NULL)"));
  Database db(path, clock);
  EXPECT_EQ(ColumnOf(db, "SELECT linktype||':'||idPlayer||':'||idLinkedPool||':'||indexKlasse AS x "
                         "FROM Contestants", "x"),
            (std::vector<std::string>{"1:17:0:0", "2:0:4:2", "1:9:0:0"}));
}

TEST_F(Startup, BackupsRefuseADamagedFileAndClearInterruptedCopies) {
  MakeDatabase(path, "Actueel");
  fs::create_directories(backups);
  const std::set<std::string> kept = {"Velgram20231001.db", "notities.txt", ".verborgen", ".Velgram.txt"};
  for (const std::string& name : kept) WriteFileBytes(backups + "/" + name, "van de gebruiker");
  WriteFileBytes(backups + "/.Velgram20231014.db.part", "afgebroken");
  WriteFileBytes(backups + "/.Velgram20231015-101010.db.part", "afgebroken");

  Database db(path, clock);
  std::string copy = db.BackupNow();
  std::set<std::string> expected = kept;
  expected.insert("Velgram20231015-143005.db");
  EXPECT_EQ(FilesIn(backups), expected);
  for (const std::string& name : kept) EXPECT_EQ(ReadFileBytes(backups + "/" + name), "van de gebruiker");

  WriteFileBytes(backups + "/.Velgram20231015.db.part", "afgebroken");
  Database::BackupOnceADay(path, clock);  // a copy made today counts as today's
  EXPECT_EQ(FilesIn(backups), expected);

  Spoil(path);
  clock.Advance(60);
  EXPECT_EQ(db.BackupNow(), "FOUT: Kan database niet kopi\xEB" "ren.");
  clock.Advance(86400);
  Database::BackupOnceADay(path, clock);
  EXPECT_EQ(FilesIn(backups), expected);
}

}  // namespace
}  // namespace velgram
