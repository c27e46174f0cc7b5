#include "exchange/import_file.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "common/fakes.h"

namespace velgram {
namespace {

using Fields = std::vector<std::string>;

TEST(SplitImportLine, QuotesCommasAndEmptyFields) {
  const std::pair<const char*, Fields> cases[] = {
      {"\"Jansen, Piet\",TTV,1", {"Jansen, Piet", "TTV", "1"}},
      {"\"Piet \"\"de Snelle\"\" Jansen\",x", {"Piet \"de Snelle\" Jansen", "x"}},
      {"ab\"cd\"ef,g", {"cdef", "g"}},  // text before an opening quote is dropped
      {"a,\"b,c", {"a", "b,c"}},        // an unterminated quote takes the rest
      {"a,,b", {"a", "", "b"}},
      {"a,b,", {"a", "b"}},  // an empty last field is no field
      {"a,b,\"\"", {"a", "b"}},
      {"", {}},
  };
  for (const auto& [line, fields] : cases) EXPECT_EQ(SplitImportLine(line), fields) << line;
}

PlayerRecord Parse(const std::string& line, bool* accepted = nullptr) {
  PlayerRecord row;
  row.name = "<untouched>";
  bool ok = ParseImportLine(line, row);
  if (accepted) *accepted = ok;
  return row;
}

using Cells = std::array<std::string, 7>;

TEST(ParseImportLine, FillsTheRowFromSevenFields) {
  bool ok = false;
  PlayerRecord r = Parse("  \"Jansen, Piet\" , TTV De Bal ,NL123, man , piet@x.nl , 1650 , B \r\n", &ok);
  ASSERT_TRUE(ok);
  EXPECT_EQ(r.id, -1);
  EXPECT_EQ(r.idClub, -1);
  EXPECT_EQ(ImportPreviewCells(r), (Cells{"Jansen, Piet", "TTV De Bal", "NL123", "M", "1650", "B", "piet@x.nl"}));
  // Name and club are converted from UTF-8; the other fields stand as written.
  r = Parse("Ren\xC3\xA9" "e,Caf\xC3\xA9,\xC3\xA9,V,\xC3\xA9,0,\xC3\xA9");
  EXPECT_EQ(ImportPreviewCells(r), (Cells{"Ren\xE9" "e", "Caf\xE9", "\xC3\xA9", "V", "0", "\xC3\xA9", "\xC3\xA9"}));
}

TEST(ParseImportLine, SkipsWhatIsNotAParticipant) {
  for (const char* line : {"Piet,TTV,1,M,p@x.nl,1500,",  // empty class: six fields
                           "Piet,TTV,1,M,p@x.nl,1500,A,extra", "\"Naam \",Vereniging,a,b,c,d,e", " \t\r\n",
                           " ,TTV,1,M,p@x.nl,1500,A"}) {
    bool ok = true;
    Parse(line, &ok);
    EXPECT_FALSE(ok) << line;
  }
  // An empty e-mail in the middle is a field; "naam" is somebody's name.
  bool ok = false;
  PlayerRecord r = Parse("Piet,TTV,1,M,,1500,A", &ok);
  EXPECT_TRUE(ok);
  EXPECT_EQ(r.klasse, "A");
  r = Parse("naam,vereniging,bondsnummer,geslacht,email,speelsterkte,klasse", &ok);
  EXPECT_TRUE(ok);
  EXPECT_EQ(r.name, "naam");
  EXPECT_EQ(r.rating, 0);
}

TEST(ParseImportLine, GenderAndRatingAreReadLeniently) {
  const std::pair<const char*, int> genders[] = {{"man", 1}, {"M", 1},  {"m", 1},  {"Vrouw", 0},
                                                 {"v", 0},   {"X", -1}, {"", -1}, {" M", 1}};
  for (auto [text, gender] : genders) {
    PlayerRecord r = Parse(std::string("P,C,1,") + text + ",e,1,A");
    EXPECT_EQ(r.gender, gender) << text;
    EXPECT_EQ(ImportPreviewCells(r)[3], gender == 1 ? "M" : gender == 0 ? "V" : "?");
  }
  const std::pair<const char*, int> ratings[] = {{"abc", 0},   {"", 0},  {"1500 punten", 1500},
                                                 {"-20", -20}, {"+7", 7}, {"99999999999999999999", INT_MAX},
                                                 {"-99999999999999999999", INT_MIN}};
  for (auto [text, rating] : ratings) EXPECT_EQ(ParseRating(text), rating) << text;
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

TEST(ReadImportFile, ReadsFilesAndTellsWhenItCannot) {
  testing::TempDir dir;
  testing::WriteFileBytes(dir.File("spelers.csv"), "Naam,a,b,c,d,e,f\r\nAn,C,1,V,,1500,A\r\nBo,C,2,X,b@c,abc,B\r\n");
  testing::FakePrompter prompter;
  std::vector<PlayerRecord> rows = LoadImportRows(dir.File("spelers.csv"), prompter);
  EXPECT_TRUE(prompter.alerts.empty());
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(ImportPreviewCells(rows[0]), (Cells{"An", "C", "1", "V", "1500", "A", ""}));
  EXPECT_EQ(ImportPreviewCells(rows[1]), (Cells{"Bo", "C", "2", "?", "0", "B", "b@c"}));

  EXPECT_TRUE(LoadImportRows(dir.File("missing.csv"), prompter).empty());
  EXPECT_TRUE(LoadImportRows(dir.Path(), prompter).empty());  // a folder
  EXPECT_EQ(prompter.alerts, (Fields{"Kan bestand niet openen", "Kan bestand niet openen"}));
  EXPECT_FALSE(ReadImportFile(dir.File("missing.csv")).has_value());
}

}  // namespace
}  // namespace velgram
