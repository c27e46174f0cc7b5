#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "store/font.h"
#include "store_actions.h"
#include "store_fixture.h"
#include "support/text.h"

namespace velgram {
namespace {

using DatabaseTest = StoreTest;

// The rows of a query as a text, and its reader: NULL reads as 0, an absent
// column as -1, a text as its leading number. Stored texts come back as
// written, but for the literal texts "&amp;" and "&quot;": the reader undoes
// the two escaping steps once more. The rows held as a list read exactly as
// their text does, and give that text when asked for it.
TEST_F(DatabaseTest, RecordSetTextAndTheRowListReadAlike) {
  std::string rs;
  db.ExecText(&rs, "SELECT id FROM Clubs");
  EXPECT_EQ(rs, "<Records></Records>");
  EXPECT_FALSE(HasRows(rs));
  db.ExecText(&rs, "SELECT '' AS e");  // one row of one empty column is a row
  EXPECT_EQ(rs, "<Records><Record e=\"\" /></Records>");
  EXPECT_TRUE(HasRows(rs));
  db.Exec(&rs, "SELECT MAX(sort) as maxsort, 'abc' AS t, '12ab' AS d FROM Systems WHERE idToernooi=%d", 7);
  RecordSet r(rs);
  ASSERT_TRUE(r.First());
  EXPECT_EQ(std::make_tuple(r.Int("maxsort"), r.Int("missing"), r.Int("t"), r.Int("d")), std::make_tuple(0, -1, 0, 12));
  EXPECT_FALSE(r.Next());
  EXPECT_EQ(r.Int("t"), -1);  // past the last row
  // A failing statement leaves an empty text, not the empty result.
  rs = "stale";
  EXPECT_NE(db.ExecText(&rs, "SELECT nothing FROM NoSuchTable"), 0);
  EXPECT_EQ(rs, "");
  RecordSet none(rs);
  EXPECT_FALSE(none.First());
  EXPECT_EQ(std::make_tuple(none.Text("id"), none.Int("id")), std::make_tuple("", -1));

  const std::vector<std::string> names = {"'t Hoekje", "Quote \" in", "A & B \"x\" <y>", "&amp;", "&quot;",
                                          "a&amp;quot;\"b", "tab\there", "cr\r\nlf\rcr", "<tag/> x=\"1\"", "M\xFCller",
                                          "", " 12 "};
  for (const std::string& name : names)
    db.Exec(nullptr, "INSERT INTO Clubs (name) VALUES ('%s')", QuoteSql(name).c_str());
  db.ExecText(&rs, "SELECT id,name FROM Clubs WHERE id=3");
  EXPECT_EQ(rs, "<Records><Record id=\"3\" name=\"A &amp; B &amp;quot;x&amp;quot; <y>\" /></Records>");
  std::vector<std::string> decoded = names;
  decoded[3] = "&", decoded[4] = "\"", decoded[5] = "a\"\"b";
  EXPECT_EQ(Column("SELECT name FROM Clubs ORDER BY id"), decoded);
  const std::string longName(300000, 'x');  // longer than any fixed statement buffer
  db.Exec(nullptr, "UPDATE Clubs SET name='%s' WHERE id=1", longName.c_str());
  EXPECT_TRUE(Column("SELECT name FROM Clubs WHERE id=1") == std::vector<std::string>{longName});
  db.ExecText(nullptr, "INSERT INTO Clubs (name) VALUES (NULL)");
  const char* const columns[] = {"id", "name", "n", "d", "a", "b", "missing", "COUNT(*)", "1a"};
  Records rows;  // one list for every query: each starts afresh
  for (const char* sql : {"SELECT id,name FROM Clubs ORDER BY id", "SELECT id,NULL AS n,'12ab' AS d FROM Clubs",
                          "SELECT name AS a FROM Clubs WHERE id<0", "SELECT 1 AS a; SELECT 'x' AS b,2 AS a",
                          "SELECT COUNT(*) FROM Clubs", "SELECT 1 AS \"1a\"", "SELECT id,id FROM Clubs",
                          "SELECT nothing FROM NoSuchTable", "SELECT name FROM Clubs ORDER BY id"}) {
    SCOPED_TRACE(sql);
    std::string text;
    EXPECT_EQ(db.ExecText(&rows, sql), db.ExecText(&text, sql));
    EXPECT_EQ(rows.Text(), text);
    EXPECT_EQ(HasRows(rows), HasRows(text));
    RecordSet fromList(rows), fromText(text);
    bool list = fromList.First(), xml = fromText.First();
    EXPECT_EQ(list, xml);
    while (list && xml) {
      for (const char* c : columns) {
        EXPECT_EQ(fromList.Text(c), fromText.Text(c)) << c;
        EXPECT_EQ(fromList.Int(c), fromText.Int(c)) << c;
      }
      list = fromList.Next(), xml = fromText.Next();
      EXPECT_EQ(list, xml);
    }
    EXPECT_EQ(fromList.Int("id"), -1);  // past the last row
  }
  Database closed(dir.File("no/such/folder/v.db"), clock);
  EXPECT_FALSE(closed.IsOpen());
  EXPECT_NE(closed.ExecText(&rs, "SELECT 1 AS a"), 0);
  EXPECT_EQ(closed.GetSetting("ToernooiID"), "");
}

// A file as the oldest versions left it is converted, and then looks up
// without scanning whole tables.
TEST_F(DatabaseTest, UpgradeConvertsOldFilesAndIndexesThem) {
  std::string path = dir.File("old.db");
  testing::WriteOldFile(path);
  ASSERT_TRUE(testing::WriteRawFile(path, "INSERT INTO Clubs (name) VALUES ('HTC'); CREATE TABLE Duos (id integer "
                                          "PRIMARY KEY,idPlayer1 integer,idPlayer2 integer,idToernooi integer,"
                                          "klasse text); CREATE TABLE MatchSystems (id integer PRIMARY KEY,name "
                                          "text); INSERT INTO MatchSystems (name) VALUES ('a'),('b'),('c')"));
  Database old(path, clock);
  EXPECT_TRUE(ColumnOf(old, "SELECT name FROM sqlite_master WHERE name='Players'", "name").empty());
  // linktype:idPlayer:idLinkedPool:indexKlasse:sort; sort numbered per pool in poolPos order.
  std::vector<std::string> contestants;
  for (int i = 1; i <= 8; ++i) contestants.push_back(Format("1:%d:0:0:%d", i, 8 - i));
  contestants.insert(contestants.end(), {"2:0:1:1:0", "2:0:1:2:1"});
  EXPECT_EQ(ColumnOf(old, "SELECT linktype||':'||idPlayer||':'||idLinkedPool||':'||indexKlasse||':'||sort AS x "
                       "FROM Contestants ORDER BY id", "x"),
            contestants);
  // Added columns hold 0 or '' in existing rows, never NULL.
  EXPECT_EQ(ColumnOf(old, "SELECT isodate||isofraction||decision AS x FROM ResultWinner", "x"),
            std::vector<std::string>{"000"});
  EXPECT_EQ(ColumnOf(old, "SELECT idMatchSystem FROM Toernooien", "idMatchSystem"), std::vector<std::string>{"0"});
  EXPECT_EQ(ColumnOf(old, "SELECT 'x'||name||gameStop AS x FROM MatchSystems WHERE id=1", "x"),
            std::vector<std::string>{"xa0"});
  // Three rows present: all five seeds are added (five or more get none, as
  // the rules test shows at a later opening).
  EXPECT_EQ(ColumnOf(old, "SELECT COUNT(*) AS c FROM MatchSystems", "c"), std::vector<std::string>{"8"});

  std::vector<std::string> statements;
  old.SetStatementHook([&](int, const char* sql) {
    statements.push_back(sql);
    return StatementFault::kRun;
  });
  std::vector<SystemRecord> systems;
  std::vector<PoolRecord> pools;
  std::vector<MatchRecord> matches;
  std::vector<DuoRecord> duos;
  old.GetSetting("ToernooiID");
  old.ListSystems(systems, 1);
  old.ListPools(1, pools);
  old.ListMatchesOfToernooi(1, matches);
  old.ListMatches(1, matches);
  old.ListDuos(duos, 1);
  old.GetOrAddClub("HTC");
  old.SetStatementHook(nullptr);
  ASSERT_GE(statements.size(), 7u);
  for (const std::string& sql : statements)
    for (const std::string& step : ColumnOf(old, "EXPLAIN QUERY PLAN " + sql, "detail"))
      EXPECT_NE(step.rfind("SCAN ", 0), 0u) << sql << ": " << step;

  // An earlier version stopped after adding the kind column to one of three
  // rows: the other two are converted, and the pool column is added.
  ASSERT_TRUE(testing::WriteRawFile(
      dir.File("half.db"),
      "CREATE TABLE Contestants (id integer PRIMARY KEY,idPool integer,poolPos integer,item1 integer,item2 integer,"
      "sort integer,linktype integer,idPlayer integer); INSERT INTO Contestants VALUES (1,10,1,17,0,0,1,17),"
      "(2,10,2,-4,2,1,NULL,NULL),(3,10,3,9,0,2,NULL,NULL)"));
  Database half(dir.File("half.db"), clock);
  EXPECT_EQ(ColumnOf(half, "SELECT linktype||':'||idPlayer||':'||idLinkedPool||':'||indexKlasse AS x FROM Contestants",
                     "x"),
            (std::vector<std::string>{"1:17:0:0", "2:0:4:2", "1:9:0:0"}));
}

TEST_F(DatabaseTest, SettingsKeepOneRowPerKeyAndQuotes) {
  EXPECT_EQ(db.GetSetting("NavFont") + std::to_string(db.GetSettingInt("width")), "0");
  db.SetSetting("Naam", "it's \"quoted\"");
  db.SetSetting("Naam", "it's again");
  EXPECT_EQ(db.GetSetting("Naam"), "it's again");
  EXPECT_EQ(Column("SELECT COUNT(*) AS c FROM Settings WHERE theKey='Naam'", "c"), std::vector<std::string>{"1"});
  db.SetSettingInt("PaneMatchesSortColumn3", 4);
  EXPECT_EQ(db.GetSetting("PaneMatchesSortColumn3") + "|" + db.GetSetting("PaneMatchesSortColumn4"), "4|");
  db.SetSetting("Empty", "");
  EXPECT_EQ(db.GetSettingInt("Empty", 7), 7);
  // A refused write keeps the old value.
  db.ExecText(nullptr, "CREATE TRIGGER refuse BEFORE INSERT ON Settings WHEN NEW.theValue='bad' "
                       "BEGIN SELECT RAISE(ABORT,'refused'); END");
  db.SetSetting("Naam", "bad");
  EXPECT_EQ(db.GetSetting("Naam"), "it's again");
  EXPECT_FALSE(db.InTransaction());
}

// A nested transaction that ends without its commit takes the outer one with
// it, and the club cache forgets what was rolled back. (The fault-injection
// loops show that nested commits commit once, at the outer end.)
TEST_F(DatabaseTest, AnInnerRollbackUndoesTheOuterTransactionAndItsCachedClubs) {
  {
    Transaction outer(db);
    EXPECT_GT(db.GetOrAddClub("TTV Rolled"), 0);
    {
      Transaction inner(db);
      db.ExecText(nullptr, "INSERT INTO Clubs (name) VALUES ('b')");
    }
    db.ExecText(nullptr, "INSERT INTO Clubs (name) VALUES ('c')");  // still the outer one's
    EXPECT_FALSE(outer.Commit());
  }
  const int id = db.GetOrAddClub("TTV Rolled");
  EXPECT_EQ(Column("SELECT id||name AS x FROM Clubs", "x"),
            std::vector<std::string>{std::to_string(id) + "TTV Rolled"});
  EXPECT_FALSE(db.InTransaction());
}

TEST(FontText, ParsesFieldsUntilTheFirstMissingOneAndFormatsBack) {
  // Text, pixels per inch; face, height, weight, pitch. 13.33 rounds to 13; 0 ppi: no screen.
  const std::tuple<const char*, int, std::string, int, int, int> cases[] = {
      {"Arial,10,400,1,34,0", 96, "Arial", -13, 400, 34}, {"Verdana", 96, "Verdana", -11, 400, 49},
      {"Arial,,700", 96, "Arial", -11, 700, 49}, {"Arial,12", 0, "Arial", -11, 400, 49},
      {"", 96, "Courier New", -11, 400, 49}};
  for (const auto& [text, ppi, face, height, weight, pitch] : cases) {
    FontDescription d = ParseFontText(text, ppi);
    EXPECT_EQ(std::tie(d.face, d.height, d.weight, d.pitchAndFamily), std::tie(face, height, weight, pitch)) << text;
  }
  FontDescription d = ParseFontText("Times New Roman,11,700,2,18,1,1", 120);
  EXPECT_TRUE(d.height == -18 && d.italic && d.underline);
  EXPECT_EQ(FormatFontText(d, 120), "Times New Roman,11,700,2,18,1");  // without the underline
  EXPECT_EQ(ParseFontText(std::string(40, 'F'), 96).face.size(), 31u);
  for (int pt = 6; pt <= 36; ++pt) {
    std::string text = "Arial," + std::to_string(pt) + ",400,1,34,0";
    EXPECT_EQ(FormatFontText(ParseFontText(text, 96), 96), text);
  }
  EXPECT_EQ(MulDiv(-3, 1, 2), -2);  // half away from zero
}

}  // namespace
}  // namespace velgram
