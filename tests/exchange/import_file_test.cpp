#include "exchange/import_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <string>
#include <tuple>
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

PlayerRecord Parse(const std::string& line, bool* accepted = nullptr, bool* approximated = nullptr) {
  PlayerRecord row;
  row.name = "<untouched>";
  bool ok = ParseImportLine(line, row, ',', approximated);
  if (accepted) *accepted = ok;
  return row;
}

using Cells = std::array<std::string, 7>;

TEST(ParseImportLine, FillsTheRowFromSevenFields) {
  bool ok = false;
  PlayerRecord r = Parse("  \"Jansen, Piet\" , TTV De Bal ,NL123, man , piet@x.nl , 1650 , B \r\n", &ok);
  ASSERT_TRUE(ok);
  EXPECT_EQ(std::tie(r.id, r.idClub), std::make_tuple(-1, -1));
  EXPECT_EQ(ImportPreviewCells(r), (Cells{"Jansen, Piet", "TTV De Bal", "NL123", "M", "1650", "B", "piet@x.nl"}));
  // Name and club are converted from UTF-8; the other fields stand as written.
  bool approximated = true;
  r = Parse("Ren\xC3\xA9" "e,Caf\xC3\xA9,\xC3\xA9,V,\xC3\xA9,0,\xC3\xA9", nullptr, &approximated);
  EXPECT_EQ(ImportPreviewCells(r), (Cells{"Ren\xE9" "e", "Caf\xE9", "\xC3\xA9", "V", "0", "\xC3\xA9", "\xC3\xA9"}));
  EXPECT_FALSE(approximated);
  // A letter Windows-1252 lacks, in the name or in the club, is told.
  r = Parse("Lech Wa\xC5\x82\xC4\x99sa,TTV,1,M,,1,A", nullptr, &approximated);
  EXPECT_EQ(std::tie(r.name, approximated), std::make_tuple("Lech Walesa", true));
  approximated = false;
  r = Parse("Jan,\xC5\x81\xC3\xB3" "d\xC5\xBA,1,M,,1,A", nullptr, &approximated);
  EXPECT_EQ(std::tie(r.clubName, approximated), std::make_tuple("L\xF3" "dz", true));
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
  EXPECT_EQ(std::tie(ok, r.klasse), std::make_tuple(true, "A"));
  r = Parse("naam,vereniging,bondsnummer,geslacht,email,speelsterkte,klasse", &ok);
  EXPECT_EQ(std::tie(ok, r.name, r.rating), std::make_tuple(true, "naam", 0));
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

std::vector<std::string> Names(const ImportFile& file) {
  std::vector<std::string> names;
  for (const PlayerRecord& r : file.rows) names.push_back(r.name);
  return names;
}

TEST(ParseImportText, TakesTheSeparatorFromTheFirstLine) {
  const std::string header = "Naam,Vereniging,Bondsnummer,Geslacht,Email,Speelsterkte,Klasse\r\n";
  auto with = [](std::string text, char separator) {
    std::replace(text.begin(), text.end(), ',', separator);
    return text;
  };
  struct Case {
    std::string text;
    char separator;
    Fields names, clubs;
  };
  const Case cases[] = {
      // What a spreadsheet writes under Dutch regional settings.
      {with(header + "Jan,TTV,1,M,,1500,A\r\nPiet,De Bal,2,M,,1400,B\r\n", ';'), ';', {"Jan", "Piet"}, {"TTV", "De Bal"}},
      {with(header + "Jan,TTV,1,M,,1500,A\n", '\t'), '\t', {"Jan"}, {"TTV"}},
      // Names with commas in a ";" file need no quotes.
      {"\r\n  \nJansen, Piet;TTV, Delft;1;M;;1500;A\nVries, de;Club;2;M;;1;A\n", ';',
       {"Jansen, Piet", "Vries, de"}, {"TTV, Delft", "Club"}},
      // A quoted ";" does not make a "," file one of ";".
      {"\"Jansen; Piet\",TTV,1,M,,1500,A\nAn;Bo,C,2,V,,1,A\n", ',', {"Jansen; Piet", "An;Bo"}, {"TTV", "C"}},
      // The first line decides for the whole file.
      {"Jan;TTV;1;M;;1500;A\nPiet,TTV,2,M,,1400,B\n", ';', {"Jan"}, {"TTV"}},
      // A first line that splits into seven fields by nothing keeps ",".
      {"a;b;c\nJan,TTV,1,M,,1500,A\n", ',', {"Jan"}, {"TTV"}},
  };
  for (const Case& c : cases) {
    ImportFile file = ParseImportText(c.text);
    EXPECT_EQ(file.separator, c.separator) << c.text;
    EXPECT_EQ(Names(file), c.names) << c.text;
    Fields clubs;
    for (const PlayerRecord& r : file.rows) clubs.push_back(r.clubName);
    EXPECT_EQ(clubs, c.clubs) << c.text;
  }
  EXPECT_EQ(SeparatorName(','), "komma");
  EXPECT_EQ(SeparatorName(';'), "puntkomma");
  EXPECT_EQ(SeparatorName('\t'), "tab");
}

TEST(ParseImportText, NamesTheRowsWhoseTextWasApproximated) {
  ImportFile file = ParseImportText(
      "\xE2\x80\x99t Hoekje,Club,1,M,,1,A\n"    // the apostrophe is Windows-1252's own
      "Lech Wa\xC5\x82\xC4\x99sa,TTV,2,M,,1,A\n"  // Ł and ę are not
      "Jan,TTV \xF0\x9F\x8F\x93,3,M,,1,A\n"       // nor an emoji in the club
      "Lech Wa\xC5\x82\xC4\x99sa,TTV,2,M,,1,A\n");
  EXPECT_EQ(Names(file), (Fields{"\x92t Hoekje", "Lech Walesa", "Jan", "Lech Walesa"}));
  EXPECT_EQ(file.rows[2].clubName, "TTV ?");
  EXPECT_EQ(file.approximated, (Fields{"Lech Walesa", "Jan"}));
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
    std::vector<PlayerRecord> rows = ParseImportText(utf16(text, little)).rows;
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(std::tie(rows[0].name, rows[0].clubName, rows[1].name), std::make_tuple("Ren\xE9" "e \x8A", "\x80", "?"));
  }
}

TEST(ParseImportText, LongLinesAreReadInPiecesOfTheBufferSize) {
  const std::string row = "Jan,C,1,M,,1,A";
  // A line one buffer long is followed by the row as a line of its own...
  std::vector<PlayerRecord> rows = ParseImportText(std::string(kImportLinePiece, 'x') + row + "\n").rows;
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].name, "Jan");
  // ...one character shorter and the buffer takes the J.
  rows = ParseImportText(std::string(kImportLinePiece - 1, 'x') + row + "\n").rows;
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].name, "an");
  // A piece that is a whole row on its own counts too.
  std::string longRow = "Jan,C,1,M,," + std::string(kImportLinePiece - 13, '7') + ",A";
  ASSERT_EQ(longRow.size(), kImportLinePiece);
  EXPECT_EQ(Names(ParseImportText(longRow + "Kees,C,2,M,,1,B\n")), (Fields{"Jan", "Kees"}));
}

TEST(ReadImportFile, ReadsFilesAndTellsWhenItCannot) {
  testing::TempDir dir;
  testing::WriteFileBytes(dir.File("spelers.csv"), "Naam,a,b,c,d,e,f\r\nAn,C,1,V,,1500,A\r\nBo,C,2,X,b@c,abc,B\r\n");
  testing::FakePrompter prompter;
  std::vector<PlayerRecord> rows = LoadImportRows(dir.File("spelers.csv"), prompter).rows;
  EXPECT_TRUE(prompter.alerts.empty());
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(ImportPreviewCells(rows[0]), (Cells{"An", "C", "1", "V", "1500", "A", ""}));
  EXPECT_EQ(ImportPreviewCells(rows[1]), (Cells{"Bo", "C", "2", "?", "0", "B", "b@c"}));

  EXPECT_TRUE(LoadImportRows(dir.File("missing.csv"), prompter).rows.empty());
  EXPECT_TRUE(LoadImportRows(dir.Path(), prompter).rows.empty());  // a folder
  EXPECT_EQ(prompter.alerts, (Fields{"Kan bestand niet openen", "Kan bestand niet openen"}));
  EXPECT_FALSE(ReadImportFile(dir.File("missing.csv")).has_value());
}

}  // namespace
}  // namespace velgram
