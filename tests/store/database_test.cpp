#include <gtest/gtest.h>
#include <sqlite3.h>

#include <string>
#include <vector>

#include "common/fakes.h"
#include "store/database.h"
#include "store/font.h"
#include "store/recordset.h"

namespace velgram {
namespace {

using testing::FakeClock;
using testing::TempDir;

std::vector<std::string> Column(Database& db, const std::string& sql, const char* column) {
  std::string rs;
  db.ExecText(&rs, sql);
  std::vector<std::string> out;
  RecordSet r(rs);
  for (bool ok = r.First(); ok; ok = r.Next()) out.push_back(r.Text(column));
  return out;
}

// Builds a database file by hand, as an older version of the program left it.
void MakeRawFile(const std::string& path, const std::vector<std::string>& statements) {
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
  for (const auto& s : statements) ASSERT_EQ(sqlite3_exec(db, s.c_str(), nullptr, nullptr, nullptr), SQLITE_OK) << s;
  sqlite3_close(db);
}

class DatabaseTest : public ::testing::Test {
 protected:
  TempDir dir;
  FakeClock clock;
};

TEST_F(DatabaseTest, RecordSetTextHasTheExactForm) {
  Database db(dir.File("v.db"), clock);
  std::string rs;
  db.ExecText(&rs, "SELECT id FROM Clubs");
  EXPECT_EQ(rs, "<Records></Records>");
  EXPECT_EQ(rs.size(), 19u);
  EXPECT_FALSE(HasRows(rs));

  db.ExecText(nullptr, "INSERT INTO Clubs (id,name) VALUES (3,'A & B \"x\" <y>')");
  db.ExecText(&rs, "SELECT id,name FROM Clubs");
  EXPECT_EQ(rs, "<Records><Record id=\"3\" name=\"A &amp; B &amp;quot;x&amp;quot; <y>\" /></Records>");

  // One row of one empty column is a row.
  db.ExecText(&rs, "SELECT '' AS e");
  EXPECT_EQ(rs, "<Records><Record e=\"\" /></Records>");
  EXPECT_TRUE(HasRows(rs));
}

TEST_F(DatabaseTest, FailingStatementGivesEmptyTextAndErrorCode) {
  Database db(dir.File("v.db"), clock);
  std::string rs = "stale";
  EXPECT_NE(db.ExecText(&rs, "SELECT nothing FROM NoSuchTable"), 0);
  EXPECT_EQ(rs, "");
  RecordSet r(rs);
  EXPECT_FALSE(r.First());
  EXPECT_EQ(r.Text("id"), "");
  EXPECT_EQ(r.Int("id"), -1);
}

TEST_F(DatabaseTest, IntDistinguishesAbsentNullAndText) {
  Database db(dir.File("v.db"), clock);
  std::string rs;
  db.Exec(&rs, "SELECT MAX(sort) as maxsort FROM Systems WHERE idToernooi=%d", 7);
  ASSERT_TRUE(HasRows(rs));
  RecordSet r(rs);
  ASSERT_TRUE(r.First());
  EXPECT_EQ(r.Int("maxsort"), 0);   // NULL
  EXPECT_EQ(r.Int("missing"), -1);  // absent

  db.ExecText(&rs, "SELECT 'abc' AS t, '12ab' AS d, '-4' AS n");
  RecordSet s(rs);
  ASSERT_TRUE(s.First());
  EXPECT_EQ(s.Int("t"), 0);
  EXPECT_EQ(s.Int("d"), 12);
  EXPECT_EQ(s.Int("n"), -4);
  EXPECT_FALSE(s.Next());
  EXPECT_EQ(s.Int("t"), -1);  // past the last row
}

TEST_F(DatabaseTest, StoredTextsComeBackThroughTheRecordSet) {
  Database db(dir.File("v.db"), clock);
  const std::vector<std::string> names = {"'t Hoogeveen", "Quote \" in", "A & B", "tab\there", "line\nbreak",
                                          "caf\xE9", "<tag/>", "x=\"1\""};
  for (const auto& n : names)
    db.Exec(nullptr, "INSERT INTO Clubs (name) VALUES ('%s')", QuoteSql(n).c_str());
  EXPECT_EQ(Column(db, "SELECT name FROM Clubs ORDER BY id", "name"), names);

  // The reader undoes the two escaping steps once more, so the literal texts
  // "&amp;" and "&quot;" come back decoded.
  db.ExecText(nullptr, "DELETE FROM Clubs");
  db.ExecText(nullptr, "INSERT INTO Clubs (name) VALUES ('&amp;'),('&quot;')");
  EXPECT_EQ(Column(db, "SELECT name FROM Clubs ORDER BY id", "name"), (std::vector<std::string>{"&", "\""}));
}

TEST_F(DatabaseTest, ExecFormatsLongStatements) {
  Database db(dir.File("v.db"), clock);
  std::string longName(300000, 'x');
  db.Exec(nullptr, "INSERT INTO Clubs (name) VALUES ('%s')", longName.c_str());
  EXPECT_EQ(Column(db, "SELECT name FROM Clubs", "name"), std::vector<std::string>{longName});
}

TEST_F(DatabaseTest, NewFileHasFullSchemaAndSeeds) {
  Database db(dir.File("v.db"), clock);
  auto tables = Column(db, "SELECT name FROM sqlite_master WHERE type='table' ORDER BY name", "name");
  EXPECT_EQ(tables, (std::vector<std::string>{"Clubs", "Contestants", "Duos", "MatchSystems", "Matches",
                                              "PlayersMain", "PlayersToernooi", "Pools", "ResultGames",
                                              "ResultWinner", "Rounds", "Settings", "Systems", "Toernooien"}));
  EXPECT_EQ(Column(db, "PRAGMA table_info('Contestants')", "name"),
            (std::vector<std::string>{"id", "idPool", "poolPos", "item1", "item2", "sort", "linktype", "idPlayer",
                                      "idLinkedPool", "indexKlasse"}));
  EXPECT_EQ(Column(db, "SELECT id||':'||name AS x FROM MatchSystems ORDER BY id", "x"),
            (std::vector<std::string>{"1:Sets", "2:Best of 3", "3:Best of 5", "4:Best of 7", "5:Duo Dudodeva"}));
  std::string rs;
  db.ExecText(&rs, "SELECT * FROM MatchSystems WHERE id=5");
  RecordSet r(rs);
  ASSERT_TRUE(r.First());
  EXPECT_EQ(r.Int("gameDiff"), 0);
  EXPECT_EQ(r.Int("setMax"), 2);
  EXPECT_EQ(r.Int("result"), 3);
  EXPECT_EQ(r.Int("duo_abxy"), 1);
}

TEST_F(DatabaseTest, UpgradeIsIdempotent) {
  std::string path = dir.File("v.db");
  { Database db(path, clock); }
  Database db(path, clock);
  EXPECT_EQ(Column(db, "SELECT COUNT(*) AS c FROM MatchSystems", "c"), std::vector<std::string>{"5"});
  EXPECT_EQ(Column(db, "PRAGMA table_info('Contestants')", "name").size(), 10u);
}

TEST_F(DatabaseTest, UpgradeConvertsOldFiles) {
  std::string path = dir.File("old.db");
  MakeRawFile(path, {
                        "CREATE TABLE Players (id integer PRIMARY KEY,name text)",
                        "INSERT INTO Players (name) VALUES ('gone')",
                        "CREATE TABLE Toernooien (id integer PRIMARY KEY,name text)",
                        "INSERT INTO Toernooien (name) VALUES ('Oud')",
                        "CREATE TABLE Pools (id integer PRIMARY KEY,playstyle integer,idSystem integer,name "
                        "text,tables text,starttime integer,endtime integer,sort integer,extra text)",
                        "CREATE TABLE Contestants (id integer PRIMARY KEY,idPool integer,poolPos integer,item1 "
                        "integer,item2 integer)",
                        "INSERT INTO Contestants (id,idPool,poolPos,item1,item2) VALUES (1,10,2,17,0)",
                        "INSERT INTO Contestants (id,idPool,poolPos,item1,item2) VALUES (2,10,1,-4,2)",
                        "INSERT INTO Contestants (id,idPool,poolPos,item1,item2) VALUES (3,11,5,8,0)",
                        "CREATE TABLE ResultWinner (id integer PRIMARY KEY,idMatch integer,indexWinner integer)",
                        "INSERT INTO ResultWinner (idMatch,indexWinner) VALUES (1,1)",
                        "CREATE TABLE MatchSystems (id integer PRIMARY KEY,gameStop integer,gameDiff "
                        "integer,setMax integer,setWon integer,result integer,name text,immutable integer,duoteam "
                        "integer,duo_ax integer,duo_ay integer,duo_bx integer,duo_by integer,duo_abxy integer)",
                        "INSERT INTO MatchSystems (name) VALUES ('a'),('b'),('c')",
                    });
  Database db(path, clock);
  EXPECT_TRUE(Column(db, "SELECT name FROM sqlite_master WHERE name='Players'", "name").empty());

  std::string rs;
  db.ExecText(&rs, "SELECT * FROM Contestants ORDER BY id");
  RecordSet r(rs);
  ASSERT_TRUE(r.First());
  EXPECT_EQ(r.Int("linktype"), 1);
  EXPECT_EQ(r.Int("idPlayer"), 17);
  EXPECT_EQ(r.Int("sort"), 1);  // poolPos 2 after poolPos 1 in pool 10
  ASSERT_TRUE(r.Next());
  EXPECT_EQ(r.Int("linktype"), 2);
  EXPECT_EQ(r.Int("idLinkedPool"), 4);
  EXPECT_EQ(r.Int("indexKlasse"), 2);
  EXPECT_EQ(r.Int("sort"), 0);
  ASSERT_TRUE(r.Next());
  EXPECT_EQ(r.Int("sort"), 0);  // numbered per pool

  // Added columns hold 0 in existing rows, never NULL.
  db.ExecText(&rs, "SELECT isodate,isofraction FROM ResultWinner");
  RecordSet w(rs);
  ASSERT_TRUE(w.First());
  EXPECT_EQ(w.Text("isodate"), "0");
  db.ExecText(&rs, "SELECT idMatchSystem FROM Toernooien");
  RecordSet t(rs);
  ASSERT_TRUE(t.First());
  EXPECT_EQ(t.Text("idMatchSystem"), "0");
  EXPECT_EQ(Column(db, "PRAGMA table_info('Pools')", "name").back(), "idMatchSystem");

  // Three rows present: all five seeds are added.
  EXPECT_EQ(Column(db, "SELECT COUNT(*) AS c FROM MatchSystems", "c"), std::vector<std::string>{"8"});
}

TEST_F(DatabaseTest, FiveOrMoreMatchSystemsGetNoSeeds) {
  std::string path = dir.File("old.db");
  MakeRawFile(path, {"CREATE TABLE MatchSystems (id integer PRIMARY KEY,name text)",
                     "INSERT INTO MatchSystems (name) VALUES ('a'),('b'),('c'),('d'),('e'),('f')"});
  Database db(path, clock);
  EXPECT_EQ(Column(db, "SELECT COUNT(*) AS c FROM MatchSystems", "c"), std::vector<std::string>{"6"});
  // The missing rule columns were added and read as 0.
  EXPECT_EQ(Column(db, "SELECT gameStop FROM MatchSystems WHERE id=1", "gameStop"), std::vector<std::string>{"0"});
}

TEST_F(DatabaseTest, UnopenableFileLeavesStatementsFailing) {
  Database db(dir.Path() + "/no/such/folder/v.db", clock);
  EXPECT_FALSE(db.IsOpen());
  std::string rs = "x";
  EXPECT_NE(db.ExecText(&rs, "SELECT 1 AS a"), 0);
  EXPECT_EQ(rs, "");
  EXPECT_EQ(db.GetSetting("ToernooiID"), "");
}

TEST_F(DatabaseTest, SettingsKeepOneRowPerKeyAndQuotes) {
  Database db(dir.File("v.db"), clock);
  EXPECT_EQ(db.GetSetting("NavFont"), "");
  EXPECT_EQ(db.GetSettingInt("width"), 0);
  EXPECT_EQ(db.GetSettingInt("ClubTrofeeDenom3", 1), 1);
  db.SetSetting("Naam", "it's \"quoted\"");
  db.SetSetting("Naam", "it's again");
  EXPECT_EQ(db.GetSetting("Naam"), "it's again");
  EXPECT_EQ(Column(db, "SELECT COUNT(*) AS c FROM Settings WHERE theKey='Naam'", "c"), std::vector<std::string>{"1"});

  db.SetSettingInt("PaneMatchesSortColumn3", 4);
  EXPECT_EQ(db.GetSetting("PaneMatchesSortColumn3"), "4");
  EXPECT_EQ(db.GetSetting("PaneMatchesSortColumn4"), "");
  db.SetSetting("Empty", "");
  EXPECT_EQ(db.GetSettingInt("Empty", 7), 7);
}

TEST_F(DatabaseTest, NestedTransactionRollbackUndoesTheWholeOperation) {
  Database db(dir.File("v.db"), clock);
  {
    Transaction outer(db);
    db.ExecText(nullptr, "INSERT INTO Clubs (name) VALUES ('a')");
    {
      Transaction inner(db);
      db.ExecText(nullptr, "INSERT INTO Clubs (name) VALUES ('b')");
      // inner ends without Commit: the operation gave up
    }
    EXPECT_FALSE(outer.Commit());
  }
  EXPECT_TRUE(Column(db, "SELECT name FROM Clubs", "name").empty());

  {
    Transaction outer(db);
    db.ExecText(nullptr, "INSERT INTO Clubs (name) VALUES ('a')");
    {
      Transaction inner(db);
      db.ExecText(nullptr, "INSERT INTO Clubs (name) VALUES ('b')");
      EXPECT_TRUE(inner.Commit());
    }
    EXPECT_TRUE(outer.Commit());
  }
  EXPECT_EQ(Column(db, "SELECT name FROM Clubs ORDER BY id", "name"), (std::vector<std::string>{"a", "b"}));
  EXPECT_FALSE(db.InTransaction());
}

TEST_F(DatabaseTest, RolledBackClubIsNotRememberedByTheCache) {
  Database db(dir.File("v.db"), clock);
  {
    Transaction tx(db);
    EXPECT_GT(db.GetOrAddClub("TTV Rolled"), 0);
  }
  int id = db.GetOrAddClub("TTV Rolled");
  EXPECT_EQ(db.GetClubName(id), "TTV Rolled");
  EXPECT_EQ(Column(db, "SELECT name FROM Clubs", "name"), std::vector<std::string>{"TTV Rolled"});
}

TEST(FontText, ParsesFieldsUntilTheFirstMissingOne) {
  FontDescription d = ParseFontText(kDefaultFontText, 96);
  EXPECT_EQ(d.face, "Arial");
  EXPECT_EQ(d.height, -13);  // 10 pt at 96 dpi: 13.33 rounds to 13
  EXPECT_EQ(d.weight, 400);
  EXPECT_EQ(d.quality, 1);
  EXPECT_EQ(d.pitchAndFamily, 34);
  EXPECT_FALSE(d.italic);
  EXPECT_FALSE(d.underline);

  FontDescription face = ParseFontText("Verdana", 96);
  EXPECT_EQ(face.face, "Verdana");
  EXPECT_EQ(face.height, -11);
  EXPECT_EQ(face.weight, 400);
  EXPECT_EQ(face.pitchAndFamily, 49);

  FontDescription bold = ParseFontText("Arial,,700", 96);
  EXPECT_EQ(bold.height, -11);
  EXPECT_EQ(bold.weight, 700);

  FontDescription underlined = ParseFontText("Arial,12,400,1,34,1,1", 120);
  EXPECT_EQ(underlined.height, -20);
  EXPECT_TRUE(underlined.italic);
  EXPECT_TRUE(underlined.underline);

  FontDescription noScreen = ParseFontText("Arial,12", 0);
  EXPECT_EQ(noScreen.height, -11);

  FontDescription empty = ParseFontText("", 96);
  EXPECT_EQ(empty.face, "Courier New");
  EXPECT_EQ(ParseFontText(std::string(40, 'F'), 96).face.size(), 31u);
}

TEST(FontText, FormatsWithoutUnderlineAndRoundTrips) {
  FontDescription d = ParseFontText("Times New Roman,11,700,2,18,1,1", 96);
  EXPECT_EQ(FormatFontText(d, 96), "Times New Roman,11,700,2,18,1");
  for (int pt = 6; pt <= 36; ++pt) {
    std::string text = "Arial," + std::to_string(pt) + ",400,1,34,0";
    EXPECT_EQ(FormatFontText(ParseFontText(text, 96), 96), text);
  }
  EXPECT_EQ(MulDiv(10, 96, 72), 13);
  EXPECT_EQ(MulDiv(-3, 1, 2), -2);  // half away from zero
  EXPECT_EQ(MulDiv(5, 1, 0), -1);
}

}  // namespace
}  // namespace velgram
