// The conversion from UTF-8 against its step-by-step definition, and random
// and mutated input for the parts that read whatever file a user picks: none
// may crash, hang or let a line break, NUL or byte-order mark into a
// participant's fields.
#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <string>
#include <vector>

#include "common/fakes.h"
#include "exchange/from_utf8.h"
#include "exchange/import_file.h"
#include "support/text.h"

namespace velgram {
namespace {

// The conversion as it was always defined: 140 replace-all steps, each one
// replacing non-overlapping occurrences from the left without looking at its
// own replacements again.
std::string ReplaceAll(std::string s, const std::string& from, const std::string& to) {
  size_t pos = 0;
  while ((pos = s.find(from, pos)) != std::string::npos) {
    s.replace(pos, from.size(), to);
    pos += to.size();
  }
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


TEST(FromUtf8, ConvertsTheKnownForms) {
  EXPECT_EQ(FromUtf8("Ren\xC3\xA9" "e M\xC3\xBCller"), "Ren\xE9" "e M\xFCller");
  EXPECT_EQ(FromUtf8("Fran%C3%A7ois"), "Fran\xE7" "ois");
  EXPECT_EQ(FromUtf8("TTV \xC2\xAE \xC2\xB7"), "TTV \xAE \xB7");
  EXPECT_EQ(FromUtf8("Jean\xE2\x80\x93Pierre\xE2\x80\x8E"), "Jean-Pierre");
  EXPECT_EQ(FromUtf8("\xE2\x82\xAC 5 \xE2\x82\xA4"), "\x80 5 \xA3");
  EXPECT_EQ(FromUtf8("Caf\xC3\xC2\xA9"), "Caf\xE9");
  // A letter made by one step pairs with what follows only in a later step.
  EXPECT_EQ(FromUtf8("\xC3\x83\xA9 \xC3\x83\x80 %C3%83\x83"), "\xE9 \xC3\x80 \xC3\x83");
  // Lower-case percent forms and other characters are not converted.
  EXPECT_EQ(FromUtf8("%c3%a9 \xC5\x82"), "%c3%a9 \xC5\x82");
  EXPECT_EQ(FromUtf8(""), "");
}

TEST(ImportText, LeftoverUtf8BecomesWindows1252OrThePlainLetter) {
  struct Case {
    const char* in;
    const char* out;
    bool approximated;
  };
  const Case cases[] = {
      {"\xE2\x80\x99t Hoekje", "\x92t Hoekje", false},     // typographic apostrophe
      {"\xC5\xA0koda \xC5\xBD \xC5\x93", "\x8Akoda \x8E \x9C", false},  // S and Z caron, oe
      {"\xE2\x80\x9E" "Ann\xE2\x80\x9D \xE2\x80\xA6", "\x84" "Ann\x94 \x85", false},
      {"\xC5\x81\xC3\xB3" "d\xC5\xBA", "L\xF3" "dz", true},      // L stroke, z acute
      {"\xC4\xB2sselmonde", "IJsselmonde", true},
      {"Jose\xCC\x81", "Jose", true},  // a combining accent: its letter is there already
      {"Ping \xF0\x9F\x8F\x93!", "Ping ?!", true},  // a four-byte emoji
      {"\xCE\xA9mega", "?mega", true},
      {"M\xFCller \xE9\xE9n", "M\xFCller \xE9\xE9n", false},  // Windows-1252 already
      {"Caf\xC3\xA9 \xE2\x82\xAC", "Caf\xE9 \x80", false},   // the known forms first
  };
  for (const Case& c : cases) {
    bool approximated = !c.approximated;
    EXPECT_EQ(ImportText(c.in, &approximated), c.out) << c.in;
    EXPECT_EQ(approximated, c.approximated) << c.in;
  }
}

// Random texts made of the bytes and pieces that take part in the steps.
std::string Generate(std::mt19937& rng) {
  static const std::vector<std::string> pieces = {
      "\xC2", "\xC3", "\xE2", "\x80", "\x82", "\x83", "\x8E", "\x90", "\x93", "\x95", "\x96", "\xA4", "\xA9",
      "\xAC", "\xAE", "\xB7", "\xBF", "\xC0", "%",    "C",    "3",    "8",    "9",    "A",    "B",    "F",
      "c",    "x",    " ",    "%C3%", "%C3%8", "%C3%83", "%C3%A2", "%C3%82", "%C3%A9", "%C3%BF", "%C3%C3",
      "\xC3\x83", "\xC3\x82", "\xC3\xA2", "\xE2\x80", "\xE2\x82", "\xC3\xC2\xA9", "\xC2\xAE", "\xC2\xB7",
      std::string(1, '\0')};
  std::uniform_int_distribution<size_t> len(0, 14);
  std::uniform_int_distribution<size_t> pick(0, pieces.size() - 1);
  std::uniform_int_distribution<int> anyByte(0, 255);
  std::string s;
  size_t n = len(rng);
  for (size_t i = 0; i < n; ++i) {
    if (rng() % 8 == 0)
      s.push_back(static_cast<char>(anyByte(rng)));
    else
      s += pieces[pick(rng)];
  }
  return s;
}

TEST(FromUtf8, EqualsTheStepByStepDefinition) {
  std::mt19937 rng(20230304);
  for (int i = 0; i < 30000; ++i) {
    std::string s = Generate(rng);
    ASSERT_EQ(FromUtf8(s), StepByStep(s)) << "input bytes: " << ::testing::PrintToString(s);
  }
  // And every string of up to four bytes from the bytes that matter.
  static const char kBytes[] = "\xC2\xC3\xE2\x80\x82\x83\x8E\x93\xA4\xA9\xAC\xAE%";
  std::vector<std::string> level = {""};
  for (int n = 1; n <= 4; ++n) {
    std::vector<std::string> next;
    for (const std::string& s : level)
      for (size_t k = 0; k + 1 < sizeof kBytes; ++k) next.push_back(s + kBytes[k]);
    for (const std::string& s : next) ASSERT_EQ(FromUtf8(s), StepByStep(s));
    level = std::move(next);
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
  static const std::string kTokens[] = {",", "\"", "\"\"", "\r", "\n", "\r\n", std::string(1, '\0'), "\xC3", "\xC2",
                                        "\xE2\x80", "%C3%", "\xEF\xBB\xBF", "\xFF\xFE", " ", "Naam"};
  int edits = 1 + static_cast<int>(rng() % 6);
  for (int e = 0; e < edits; ++e) {
    size_t at = s.empty() ? 0 : rng() % (s.size() + 1);
    switch (rng() % 5) {
      case 0:  // insert a token that means something to the reader
        s.insert(at, kTokens[rng() % std::size(kTokens)]);
        break;
      case 1:  // any byte
        s.insert(s.begin() + static_cast<long>(at), static_cast<char>(rng() & 0xFF));
        break;
      case 2:  // delete a stretch
        if (!s.empty()) s.erase(at >= s.size() ? s.size() - 1 : at, 1 + rng() % 4);
        break;
      case 3:  // overwrite a byte
        if (!s.empty()) s[at % s.size()] = static_cast<char>(rng() & 0xFF);
        break;
      default:  // repeat a piece
        if (!s.empty()) {
          size_t from = rng() % s.size();
          s.insert(at, s.substr(from, 1 + rng() % 12));
        }
    }
  }
  return s;
}

std::string RandomBytes(std::mt19937& rng, size_t n) {
  std::string s(n, '\0');
  for (char& c : s) c = static_cast<char>(rng() & 0xFF);
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
  auto start = std::chrono::steady_clock::now();
  int n = 0;
  std::string corpus;
  for (; n < 300000; ++n) {
    std::string s = n % 4 == 0 ? RandomBytes(rng, rng() % 64) : Mutate(kSeeds[rng() % kSeeds.size()], rng);

    std::vector<std::string> fields = SplitImportLine(s);
    size_t total = 0;
    for (const std::string& f : fields) total += f.size();
    ASSERT_LE(total, s.size());
    ASSERT_LE(fields.size(), s.size() + 1);

    std::string converted = FromUtf8(s);
    ASSERT_LE(converted.size(), s.size());
    if (n % 64 == 0) {
      ASSERT_EQ(converted, StepByStep(s));
    }

    // Whole or in random chunks, the reader sees the same lines.
    std::vector<PlayerRecord> rows = ParseImportText(s).rows;
    CheckRows(rows);
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
    if (corpus.size() < 200000) corpus += s;
  }
  // Everything at once, as one file.
  CheckRows(ParseImportText(corpus).rows);
  auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  EXPECT_EQ(n, 300000);
  RecordProperty("seconds", std::to_string(seconds));
}

TEST(Fuzz, HugeAndBinaryFilesAreReadWithoutHanging) {
  testing::TempDir dir;
  std::mt19937 rng(50);

  // 50 MB on one line, with a participant hidden at a piece boundary.
  std::string line(50u << 20, 'a');
  for (size_t i = 0; i < line.size(); i += 1 + rng() % 5000) line[i] = ',';
  std::string row = "Jan,C,1,M,,1,A";
  line.replace(kImportLinePiece * 7, row.size() + 1, row + "\n");
  line.replace(kImportLinePiece * 7 + row.size() + 1, kImportLinePiece - row.size() - 1,
               std::string(kImportLinePiece - row.size() - 1, 'b'));
  testing::WriteFileBytes(dir.File("huge.csv"), line);
  auto start = std::chrono::steady_clock::now();
  std::optional<ImportFile> rows = ReadImportFile(dir.File("huge.csv"));
  ASSERT_TRUE(rows.has_value());
  CheckRows(rows->rows);
  bool found = false;
  for (const PlayerRecord& r : rows->rows) found = found || r.name == "Jan";
  EXPECT_TRUE(found);
  EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), 30.0);

  // Binary content, NULs included.
  testing::WriteFileBytes(dir.File("binary.csv"), RandomBytes(rng, 4u << 20));
  rows = ReadImportFile(dir.File("binary.csv"));
  ASSERT_TRUE(rows.has_value());
  CheckRows(rows->rows);
}

}  // namespace
}  // namespace velgram
