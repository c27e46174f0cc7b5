// Reading the files a user imports: splitting, fields, dialects, the UTF-8
// conversion against its step-by-step definition, and random and mutated
// input, which may not crash, hang or let a line break, NUL or byte-order mark
// into a participant's fields.
#include "exchange/import_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "common/fakes.h"
#include "exchange/from_utf8.h"
#include "support/text.h"

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

using Cells = std::array<std::string, 7>;

// Seven fields, trimmed; name and club converted from UTF-8, the other fields
// as written. A line with no name, another number of fields or the header is
// skipped ("naam" is somebody's name).
TEST(ParseImportLine, ReadsSevenFieldsOrSkipsTheLine) {
  const struct {
    const char* line;
    Cells cells = {};  // empty: skipped
  } cases[] = {
      {"  \"Jansen, Piet\" , TTV De Bal ,NL123, man , piet@x.nl , 1650 , B \r\n",
       {"Jansen, Piet", "TTV De Bal", "NL123", "M", "1650", "B", "piet@x.nl"}},
      {"Ren\xC3\xA9" "e,Caf\xC3\xA9,\xC3\xA9,V,\xC3\xA9,0,\xC3\xA9",
       {"Ren\xE9" "e", "Caf\xE9", "\xC3\xA9", "V", "0", "\xC3\xA9", "\xC3\xA9"}},
      {"Piet,TTV,1,v,,1500,A", {"Piet", "TTV", "1", "V", "1500", "A", ""}},
      {"naam,vereniging,bondsnummer,geslacht,email,speelsterkte,klasse",
       {"naam", "vereniging", "bondsnummer", "?", "0", "klasse", "email"}},
      {"\fAn\v,\tC ,1,,,1,A\f", {"An", "C", "1", "?", "1", "A", ""}},
      {"Piet,TTV,1,M,p@x.nl,1500,"},  // empty class: six fields
      {"Piet,TTV,1,M,p@x.nl,1500,A,extra"},
      {"\"Naam \",Vereniging,a,b,c,d,e"},
      {" \t\r\n"},
      {" ,TTV,1,M,p@x.nl,1500,A"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(std::string(c.line)));
    PlayerRecord r;
    const bool ok = ParseImportLine(c.line, r, ',');
    EXPECT_EQ(ok, !c.cells[0].empty());
    if (!ok) continue;
    EXPECT_EQ(ImportPreviewCells(r), c.cells);
    const int gender = c.cells[3] == "M" ? 1 : c.cells[3] == "V" ? 0 : -1;
    EXPECT_EQ(std::tie(r.id, r.idClub, r.gender), std::make_tuple(-1, -1, gender));
  }
  const std::pair<const char*, int> ratings[] = {{"abc", 0}, {"1500 punten", 1500}, {"-20", -20}, {"+7", 7},
                                                 {"99999999999999999999", INT_MAX}, {"-99999999999999999999", INT_MIN}};
  for (auto [text, rating] : ratings) EXPECT_EQ(ParseRating(text), rating) << text;
}

std::vector<std::string> Names(const ImportFile& file) {
  std::vector<std::string> names;
  for (const PlayerRecord& r : file.rows) names.push_back(r.name);
  return names;
}

std::string Utf16(const std::u16string& s, bool little) {
  std::string out = little ? "\xFF\xFE" : "\xFE\xFF";
  for (char16_t u : s) {
    char lo = static_cast<char>(u & 0xFF), hi = static_cast<char>(u >> 8);
    out += little ? std::string{lo, hi} : std::string{hi, lo};
  }
  return out;
}

// The first line decides the separator for the whole file; line ends, blank
// lines, byte-order marks and NUL bytes never reach a participant; a line
// longer than the buffer is read in pieces of its size.
TEST(ParseImportText, ReadsTheFileAsItsFirstLineAndMarksSay) {
  const std::string header = "Naam,Vereniging,Bondsnummer,Geslacht,Email,Speelsterkte,Klasse\r\n";
  auto with = [](std::string text, char separator) {
    std::replace(text.begin(), text.end(), ',', separator);
    return text;
  };
  // U+1D7FF, beyond the first plane, is written with the last low surrogate.
  const std::u16string utf16 = u"Naam,Vereniging,Bondsnummer,Geslacht,Email,Speelsterkte,Klasse\r\n"
                               u"Ren\u00E9e \u0160,\u20AC,1,V,,1,A\r\nLech Wa\u0142\u0119sa,C,3,M,,1,A\r\n\U0001D7FF,C,2,M,,1,A\r\n";
  const std::string row = "Jan,C,1,M,,1,A", longRow = "Jan,C,1,M,," + std::string(kImportLinePiece - 13, '7') + ",A";
  ASSERT_EQ(longRow.size(), kImportLinePiece);
  const struct {
    std::string text;
    Fields names, clubs = {};  // clubs unchecked when empty
    std::optional<Fields> approximated = Fields{};
    char separator = ',';
  } cases[] = {
      // What a spreadsheet writes under Dutch regional settings, after blank
      // lines: names with commas need no quotes, a line of "," is no row.
      {"\r\n  \n" + with(header, ';') + "Jansen, Piet;TTV, Delft;1;M;;1500;A\nPiet,TTV,2,M,,1400,B\n"
                                         "Vries, de;Club;2;M;;1;A\n",
       {"Jansen, Piet", "Vries, de"}, {"TTV, Delft", "Club"}, {}, ';'},
      {with(header + "Jan,TTV,1,M,,1500,A\n", '\t'), {"Jan"}, {"TTV"}, {}, '\t'},
      // A quoted ";" does not make a "," file one of ";".
      {"\"Jansen; Piet\",TTV,1,M,,1500,A\nAn;Bo,C,2,V,,1,A\n", {"Jansen; Piet", "An;Bo"}, {"TTV", "C"}},
      // A first line that splits into seven fields by nothing keeps ",".
      {"a;b;c\nJan,TTV,1,M,,1500,A\n", {"Jan"}, {"TTV"}},
      {"\xE2\x80\x99t Hoekje,Club,1,M,,1,A\n"    // the apostrophe is Windows-1252's own
       "Lech Wa\xC5\x82\xC4\x99sa,TTV,2,M,,1,A\n"  // Ł and ę are not
       "Jan,TTV \xF0\x9F\x8F\x93,3,M,,1,A\n"       // nor an emoji in the club
       "Lech Wa\xC5\x82\xC4\x99sa,TTV,2,M,,1,A\n",
       {"\x92t Hoekje", "Lech Walesa", "Jan", "Lech Walesa"}, {"Club", "TTV", "TTV ?", "TTV"}, Fields{"Lech Walesa", "Jan"}},
      {"\xEF\xBB\xBF" + header + "An,C,1,V,,1,A\r\n\r\n   \nBo,C,2,M,,1,A\nCor,C,3,M,,1,A\rDirk,C,4,M,,1,A\r\r\nEva,C,5,V,,1,A",
       {"An", "Bo", "Cor", "Dirk", "Eva"}},
      // Without a header, or where files were joined, the mark is no part of a name.
      {"\xEF\xBB\xBF" "An,C,1,V,,1,A\n\xEF\xBB\xBF" "Bo,C,1,V,,1,A\n", {"An", "Bo"}},
      {std::string("A\0n,C,1,V,,1,A\n", 15), {"An"}},
      // A UTF-16 file's letters outside Windows-1252 are brought near and told, as a UTF-8 file's.
      {Utf16(utf16, true), {"Ren\xE9" "e \x8A", "Lech Walesa", "?"}, {"\x80", "C", "C"}, Fields{"Lech Walesa", "?"}},
      {Utf16(utf16, false), {"Ren\xE9" "e \x8A", "Lech Walesa", "?"}, {"\x80", "C", "C"}, Fields{"Lech Walesa", "?"}},
      // A line one buffer long is followed by the row as a line of its own;
      // one character shorter and the buffer takes the J.
      {std::string(kImportLinePiece, 'x') + row + "\n", {"Jan"}},
      {std::string(kImportLinePiece - 1, 'x') + row + "\n", {"an"}},
      {longRow + "Kees,C,2,M,,1,B\n", {"Jan", "Kees"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.text.substr(0, 80)));
    ImportFile file = ParseImportText(c.text);
    EXPECT_EQ(std::make_tuple(file.separator, Names(file)), std::make_tuple(c.separator, c.names));
    Fields clubs;
    for (const PlayerRecord& r : file.rows) clubs.push_back(r.clubName);
    EXPECT_TRUE(c.clubs.empty() || clubs == c.clubs) << ::testing::PrintToString(clubs);
    EXPECT_TRUE(!c.approximated || file.approximated == *c.approximated) << ::testing::PrintToString(file.approximated);
  }
  EXPECT_EQ(SeparatorName(',') + SeparatorName(';') + SeparatorName('\t'), "kommapuntkommatab");
}

// The conversion as it was always defined: 140 replace-all steps, each one
// replacing non-overlapping occurrences from the left without looking at its
// own replacements again.
std::string ReplaceAll(std::string s, const std::string& from, const std::string& to) {
  for (size_t pos = 0; (pos = s.find(from, pos)) != std::string::npos; pos += to.size()) s.replace(pos, from.size(), to);
  return s;
}

std::string StepByStep(std::string s) {
  using Step = std::pair<std::string, std::string>;
  static const std::vector<Step> steps = [] {
    std::vector<Step> list;
    list.emplace_back("\xC2\xAE", "\xAE");
    list.emplace_back("\xC2\xB7", "\xB7");
    for (int cp = 0xC0; cp <= 0xFF; ++cp) {
      int second = cp - 0x40;
      list.emplace_back(std::string{'\xC3', static_cast<char>(second)}, std::string(1, static_cast<char>(cp)));
      list.emplace_back(Format("%%C3%%%02X", second), std::string(1, static_cast<char>(cp)));
    }
    list.emplace_back("\xC3\xC2\xA9", "\xE9");
    list.emplace_back("\xE2\x80\x8E", "");
    for (int d = 0x90; d <= 0x95; ++d) list.emplace_back(std::string{'\xE2', '\x80', static_cast<char>(d)}, "-");
    list.emplace_back("\xE2\x82\xA4", "\xA3");
    list.emplace_back("\xE2\x82\xAC", "\x80");
    if (list.size() != 140) ADD_FAILURE() << list.size() << " steps";
    return list;
  }();
  for (const Step& step : steps) s = ReplaceAll(std::move(s), step.first, step.second);
  return s;
}

TEST(ImportText, LeftoverUtf8BecomesWindows1252OrThePlainLetter) {
  const std::tuple<const char*, const char*, bool> cases[] = {
      {"\xC5\xA0koda \xC5\xBD \xC5\x93", "\x8Akoda \x8E \x9C", false},  // S and Z caron, oe
      {"\xC5\x81\xC3\xB3" "d\xC5\xBA", "L\xF3" "dz", true},      // L stroke, z acute
      {"\xC4\xB2sselmonde", "IJsselmonde", true},
      {"\xC4\x80" "da \xC5\xBF", "Ada s", true},  // the first and last letters of Latin Extended-A
      {"Jose\xCC\x81", "Jose", true},  // a combining accent: its letter is there already
      {"\xCE\xA9mega", "?mega", true},
      {"M\xFCller \xE9\xE9n", "M\xFCller \xE9\xE9n", false},  // Windows-1252 already
  };
  for (const auto& [in, out, approximated] : cases) {
    bool told = !approximated;
    EXPECT_EQ(ImportText(in, &told), out) << in;
    EXPECT_EQ(told, approximated) << in;
  }
}

const std::vector<std::string> kSeeds = {
    "Naam,Vereniging,Bondsnummer,Geslacht,Email,Speelsterkte,Klasse\r\n",
    "\"Jansen, Piet\",TTV De Bal,NL123,M,piet@x.nl,1650,B\r\n",
    "Ren\xC3\xA9" "e \"\"R\"\",Caf%C3%A9,,V,,abc,A\n",
    "\xEF\xBB\xBF" "An,C,1,V,,1,A\r",
    "\xFF\xFE" "A\0n\0,\0C\0",
    ",,,,,,\n",
    "\"\"\"\",\"a,b\",\"\",x\"y\"z,,\xE2\x80\x93,\xC3\n",
};

std::string Mutate(std::string s, std::mt19937& rng) {
  // What means something to the reader, and the bytes and pieces that take
  // part in the conversion's steps.
  static const std::string kTokens[] = {
      ",", "\"", "\"\"", "\r", "\n", "\r\n", std::string(1, '\0'), "\xEF\xBB\xBF", "\xFF\xFE", " ", "Naam",
      "\xC2", "\xC3", "\xE2", "\x80", "\x82", "\x83", "\x8E", "\x90", "\x93", "\x95", "\x96", "\xA4", "\xA9",
      "\xAC", "\xAE", "\xB7", "\xBF", "\xC0", "%", "C", "3", "8", "9", "A", "B", "F", "c", "x", "%C3%", "%C3%8",
      "%C3%83", "%C3%A2", "%C3%82", "%C3%A9", "%C3%BF", "%C3%C3", "\xC3\x83", "\xC3\x82", "\xC3\xA2", "\xE2\x80",
      "\xE2\x82", "\xC3\xC2\xA9", "\xC2\xAE", "\xC2\xB7"};
  int edits = 1 + static_cast<int>(rng() % (s.empty() ? 14 : 6));
  for (int e = 0; e < edits; ++e) {
    size_t at = s.empty() ? 0 : rng() % (s.size() + 1);
    // Insert a token or any byte, delete a stretch, overwrite a byte, or
    // repeat a piece.
    const unsigned kind = rng() % 5;
    if (kind == 0) s.insert(at, kTokens[rng() % std::size(kTokens)]);
    if (kind == 1) s.insert(s.begin() + static_cast<long>(at), static_cast<char>(rng() & 0xFF));
    if (s.empty()) continue;
    if (kind == 2) s.erase(at >= s.size() ? s.size() - 1 : at, 1 + rng() % 4);
    if (kind == 3) s[at % s.size()] = static_cast<char>(rng() & 0xFF);
    const size_t from = kind == 4 ? rng() % s.size() : 0;
    if (kind == 4) s.insert(at, s.substr(from, 1 + rng() % 12));
  }
  return s;
}

void CheckRows(const std::vector<PlayerRecord>& rows) {
  for (const PlayerRecord& r : rows) {
    for (const std::string* f : {&r.name, &r.clubName, &r.bondsnummer, &r.email, &r.klasse}) {
      ASSERT_EQ(f->find_first_of(std::string("\r\n\0", 3)), std::string::npos);
      ASSERT_EQ(TrimBlanks(*f), *f);
      ASSERT_LE(f->size(), kImportLinePiece);
    }
    ASSERT_FALSE(r.name.empty());
    ASSERT_NE(r.name, "Naam");
    ASSERT_NE(r.name.rfind("\xEF\xBB\xBF", 0), 0u);
    ASSERT_TRUE(r.gender >= -1 && r.gender <= 1);
  }
}

TEST(Fuzz, SplitterConverterAndReaderSurviveRandomInput) {
  std::mt19937 rng(6);
  for (int n = 0; n < 300000; ++n) {
    // Texts of the conversion's pieces and random bytes, or a mutated line.
    std::string s = n % 4 == 1 ? Mutate("", rng) : Mutate(kSeeds[rng() % kSeeds.size()], rng);
    std::string converted = FromUtf8(s);
    ASSERT_LE(converted.size(), s.size());
    if (n % 4 == 1 || n % 64 == 0) {
      ASSERT_EQ(converted, StepByStep(s)) << ::testing::PrintToString(s);
    }

    // Whole or in random chunks, the reader sees the same lines.
    CheckRows(ParseImportText(s).rows);
    if (n % 8 == 0) {
      std::vector<std::string> whole, chunked;
      ImportLineReader a([&](std::string_view l) { whole.emplace_back(l); });
      a.Feed(s);
      a.Finish();
      ImportLineReader b([&](std::string_view l) { chunked.emplace_back(l); });
      for (size_t i = 0; i < s.size();) {
        size_t len = 1 + rng() % 5;
        b.Feed(std::string_view(s).substr(i, len));
        i += len;
      }
      b.Finish();
      ASSERT_EQ(whole, chunked);
    }
  }
}

TEST(ReadImportFile, ReadsFilesHugeOnesWithoutHangingAndTellsWhenItCannot) {
  testing::TempDir dir;
  testing::WriteFileBytes(dir.File("spelers.csv"), "Naam,a,b,c,d,e,f\r\nAn,C,1,V,,1500,A\r\nBo,C,2,X,b@c,abc,B\r\n");
  testing::FakePrompter prompter;
  EXPECT_EQ(Names(LoadImportRows(dir.File("spelers.csv"), prompter)), (Fields{"An", "Bo"}));
  EXPECT_TRUE(LoadImportRows(dir.File("missing.csv"), prompter).rows.empty());
  EXPECT_TRUE(LoadImportRows(dir.Path(), prompter).rows.empty());  // a folder
  EXPECT_EQ(prompter.alerts, (Fields{"Kan bestand niet openen", "Kan bestand niet openen"}));

  // 50 MB on one line, then a participant.
  std::mt19937 rng(50);
  std::string line(50u << 20, 'a');
  for (size_t i = 0; i < line.size(); i += 1 + rng() % 5000) line[i] = ',';
  testing::WriteFileBytes(dir.File("huge.csv"), line + "\nJan,C,1,M,,1,A\n");
  auto start = std::chrono::steady_clock::now();
  std::optional<ImportFile> rows = ReadImportFile(dir.File("huge.csv"));
  ASSERT_TRUE(rows.has_value());
  CheckRows(rows->rows);
  const Fields names = Names(*rows);
  EXPECT_NE(std::find(names.begin(), names.end(), "Jan"), names.end());
  EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), 30.0);
}

}  // namespace
}  // namespace velgram
