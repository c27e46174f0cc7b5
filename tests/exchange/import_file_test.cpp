#include "exchange/import_file.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "common/fakes.h"

namespace velgram {
namespace {

using Fields = std::vector<std::string>;

TEST(SplitImportLine, QuotesProtectCommasAndDoubleQuotes) {
  EXPECT_EQ(SplitImportLine("\"Jansen, Piet\",TTV,1"), (Fields{"Jansen, Piet", "TTV", "1"}));
  EXPECT_EQ(SplitImportLine("\"Piet \"\"de Snelle\"\" Jansen\",x"), (Fields{"Piet \"de Snelle\" Jansen", "x"}));
  EXPECT_EQ(SplitImportLine("\"\"\"\""), (Fields{"\""}));
  // Text before an opening quote is dropped; text after the closing quote stays.
  EXPECT_EQ(SplitImportLine("ab\"cd\"ef,g"), (Fields{"cdef", "g"}));
  // An unterminated quote takes the rest of the line, separators included.
  EXPECT_EQ(SplitImportLine("a,\"b,c"), (Fields{"a", "b,c"}));
}

TEST(SplitImportLine, EmptyFieldsCountExceptTheLast) {
  EXPECT_EQ(SplitImportLine("a,,b"), (Fields{"a", "", "b"}));
  EXPECT_EQ(SplitImportLine("a,b,"), (Fields{"a", "b"}));
  EXPECT_EQ(SplitImportLine("a,b,\"\""), (Fields{"a", "b"}));
  EXPECT_EQ(SplitImportLine(",,"), (Fields{"", ""}));
  EXPECT_EQ(SplitImportLine(""), Fields{});
  EXPECT_EQ(SplitImportLine("a;b", ';'), (Fields{"a", "b"}));
}

PlayerRecord Parse(const std::string& line, bool* accepted = nullptr) {
  PlayerRecord row;
  row.name = "<untouched>";
  bool ok = ParseImportLine(line, row);
  if (accepted) *accepted = ok;
  return row;
}

TEST(ParseImportLine, FillsTheRowFromSevenFields) {
  bool ok = false;
  PlayerRecord r = Parse("  \"Jansen, Piet\" , TTV De Bal ,NL123, man , piet@x.nl , 1650 , B \r\n", &ok);
  ASSERT_TRUE(ok);
  EXPECT_EQ(r.id, -1);
  EXPECT_EQ(r.idClub, -1);
  EXPECT_EQ(r.name, "Jansen, Piet");
  EXPECT_EQ(r.clubName, "TTV De Bal");
  EXPECT_EQ(r.bondsnummer, "NL123");
  EXPECT_EQ(r.gender, 1);
  EXPECT_EQ(r.email, "piet@x.nl");
  EXPECT_EQ(r.rating, 1650);
  EXPECT_EQ(r.klasse, "B");

  // Name and club are converted from UTF-8; the other fields stand as written.
  r = Parse("Ren\xC3\xA9" "e,Caf\xC3\xA9,\xC3\xA9,V,\xC3\xA9,0,\xC3\xA9", &ok);
  ASSERT_TRUE(ok);
  EXPECT_EQ(r.name, "Ren\xE9" "e");
  EXPECT_EQ(r.clubName, "Caf\xE9");
  EXPECT_EQ(r.bondsnummer, "\xC3\xA9");
  EXPECT_EQ(r.klasse, "\xC3\xA9");
}

TEST(ParseImportLine, SkipsWhatIsNotAParticipant) {
  bool ok = true;
  Parse("Piet,TTV,1,M,p@x.nl,1500,", &ok);  // empty class: six fields
  EXPECT_FALSE(ok);
  Parse("Piet,TTV,1,M,p@x.nl,1500,A,extra", &ok);
  EXPECT_FALSE(ok);
  Parse("Naam,Vereniging,Bondsnummer,Geslacht,Email,Speelsterkte,Klasse", &ok);
  EXPECT_FALSE(ok);
  Parse("\"Naam \",a,b,c,d,e,f", &ok);  // "Naam" after trimming
  EXPECT_FALSE(ok);
  Parse(" \t\r\n", &ok);
  EXPECT_FALSE(ok);
  Parse(" ,TTV,1,M,p@x.nl,1500,A", &ok);  // no name
  EXPECT_FALSE(ok);

  // An empty e-mail in the middle is a field; "naam" is somebody's name.
  PlayerRecord r = Parse("Piet,TTV,1,M,,1500,A", &ok);
  EXPECT_TRUE(ok);
  EXPECT_EQ(r.email, "");
  EXPECT_EQ(r.klasse, "A");
  r = Parse("naam,vereniging,bondsnummer,geslacht,email,speelsterkte,klasse", &ok);
  EXPECT_TRUE(ok);
  EXPECT_EQ(r.name, "naam");
  EXPECT_EQ(r.rating, 0);
}

TEST(ParseImportLine, GenderAndRatingAreReadLeniently) {
  struct Case {
    const char* text;
    int gender;
  } genders[] = {{"man", 1}, {"M", 1}, {"m", 1}, {"Vrouw", 0}, {"v", 0}, {"X", -1}, {"", -1}, {" M", 1}};
  for (const Case& c : genders) {
    bool ok = false;
    PlayerRecord r = Parse(std::string("P,C,1,") + c.text + ",e,1,A", &ok);
    ASSERT_TRUE(ok) << c.text;
    EXPECT_EQ(r.gender, c.gender) << c.text;
  }
  EXPECT_EQ(ParseRating("abc"), 0);
  EXPECT_EQ(ParseRating(""), 0);
  EXPECT_EQ(ParseRating("1500 punten"), 1500);
  EXPECT_EQ(ParseRating("-20"), -20);
  EXPECT_EQ(ParseRating("+7"), 7);
  EXPECT_EQ(ParseRating("99999999999999999999"), INT_MAX);
  EXPECT_EQ(ParseRating("-99999999999999999999"), INT_MIN);
  EXPECT_EQ(GenderLetter(1), "M");
  EXPECT_EQ(GenderLetter(0), "V");
  EXPECT_EQ(GenderLetter(-1), "?");
}

std::vector<std::string> Names(const std::vector<PlayerRecord>& rows) {
  std::vector<std::string> names;
  for (const PlayerRecord& r : rows) names.push_back(r.name);
  return names;
}

TEST(ParseImportText, LineEndsBlankLinesAndByteOrderMarks) {
  std::string text =
      "\xEF\xBB\xBFNaam,Vereniging,Bondsnummer,Geslacht,Email,Speelsterkte,Klasse\r\n"
      "An,C,1,V,,1,A\r\n"
      "\r\n"
      "   \n"
      "Bo,C,2,M,,1,A\n"
      "Cor,C,3,M,,1,A\r"
      "Dirk,C,4,M,,1,A\r\r\n"
      "Eva,C,5,V,,1,A";
  EXPECT_EQ(Names(ParseImportText(text)), (Fields{"An", "Bo", "Cor", "Dirk", "Eva"}));

  // Without a header the mark must not stick to the first name.
  EXPECT_EQ(Names(ParseImportText("\xEF\xBB\xBF" "An,C,1,V,,1,A\n")), Fields{"An"});
  // Nor when files were joined and the mark stands at the start of a line.
  EXPECT_EQ(Names(ParseImportText("An,C,1,V,,1,A\n\xEF\xBB\xBF" "Bo,C,1,V,,1,A\n")), (Fields{"An", "Bo"}));
  // NUL bytes are dropped.
  EXPECT_EQ(Names(ParseImportText(std::string("A\0n,C,1,V,,1,A\n", 15))), Fields{"An"});
}

TEST(ParseImportText, ReadsUtf16Files) {
  auto utf16 = [](const std::u16string& s, bool little) {
    std::string out = little ? "\xFF\xFE" : "\xFE\xFF";
    for (char16_t u : s) {
      char lo = static_cast<char>(u & 0xFF), hi = static_cast<char>(u >> 8);
      out += little ? std::string{lo, hi} : std::string{hi, lo};
    }
    return out;
  };
  std::u16string text = u"Naam,Vereniging,Bondsnummer,Geslacht,Email,Speelsterkte,Klasse\r\n"
                        u"Ren\u00E9e \u0160,\u20AC,1,V,,1,A\r\n"
                        u"\U0001F600,C,2,M,,1,A\r\n";
  for (bool little : {true, false}) {
    std::vector<PlayerRecord> rows = ParseImportText(utf16(text, little));
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].name, "Ren\xE9" "e \x8A");
    EXPECT_EQ(rows[0].clubName, "\x80");
    EXPECT_EQ(rows[1].name, "?");
  }
}

TEST(ParseImportText, LongLinesAreReadInPiecesOfTheBufferSize) {
  const std::string row = "Jan,C,1,M,,1,A";
  // A line one buffer long is followed by the row as a line of its own...
  std::vector<PlayerRecord> rows = ParseImportText(std::string(kImportLinePiece, 'x') + row + "\n");
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].name, "Jan");
  // ...one character shorter and the buffer takes the J.
  rows = ParseImportText(std::string(kImportLinePiece - 1, 'x') + row + "\n");
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].name, "an");
  // A piece that is a whole row on its own counts too.
  std::string longRow = "Jan,C,1,M,," + std::string(kImportLinePiece - 13, '7') + ",A";
  ASSERT_EQ(longRow.size(), kImportLinePiece);
  rows = ParseImportText(longRow + "Kees,C,2,M,,1,B\n");
  EXPECT_EQ(Names(rows), (Fields{"Jan", "Kees"}));
}

TEST(ParseImportText, ChunksMakeNoDifference) {
  std::string text = "\xEF\xBB\xBF" "An,C,1,V,,1,A\r\nBo,C,2,M,,1,A\rCor,C,3,M,,1,A\r\n\r\nDirk,\"C,D\",4,M,,1,A";
  std::vector<std::string> whole, byByte;
  ImportLineReader a([&](std::string_view l) { whole.emplace_back(l); });
  a.Feed(text);
  a.Finish();
  ImportLineReader b([&](std::string_view l) { byByte.emplace_back(l); });
  for (char c : text) b.Feed(std::string_view(&c, 1));
  b.Finish();
  EXPECT_EQ(whole, byByte);
  EXPECT_EQ(whole.front(), "An,C,1,V,,1,A");
  EXPECT_EQ(whole.back(), "Dirk,\"C,D\",4,M,,1,A");
}

TEST(ReadImportFile, ReadsFilesAndTellsWhenItCannot) {
  testing::TempDir dir;
  testing::WriteFileBytes(dir.File("spelers.csv"), "Naam,a,b,c,d,e,f\r\nAn,C,1,V,,1500,A\r\nBo,C,2,X,b@c,abc,B\r\n");
  testing::FakePrompter prompter;
  std::vector<PlayerRecord> rows = LoadImportRows(dir.File("spelers.csv"), prompter);
  EXPECT_TRUE(prompter.alerts.empty());
  ASSERT_EQ(rows.size(), 2u);
  using Cells = std::array<std::string, 7>;
  EXPECT_EQ(ImportPreviewCells(rows[0]), (Cells{"An", "C", "1", "V", "1500", "A", ""}));
  EXPECT_EQ(ImportPreviewCells(rows[1]), (Cells{"Bo", "C", "2", "?", "0", "B", "b@c"}));

  EXPECT_TRUE(LoadImportRows(dir.File("missing.csv"), prompter).empty());
  EXPECT_TRUE(LoadImportRows(dir.Path(), prompter).empty());  // a folder
  EXPECT_EQ(prompter.alerts, (Fields{"Kan bestand niet openen", "Kan bestand niet openen"}));
  EXPECT_FALSE(ReadImportFile(dir.File("missing.csv")).has_value());
}

}  // namespace
}  // namespace velgram
