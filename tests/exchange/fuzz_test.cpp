// Random and mutated input for the parts that read whatever file a user
// picks: none may crash, hang or let a line break, NUL or byte-order mark into
// a participant's fields.
#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <string>
#include <vector>

#include "common/fakes.h"
#include "exchange/from_utf8.h"
#include "exchange/import_file.h"
#include "from_utf8_reference.h"

namespace velgram {
namespace {

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
      ASSERT_EQ(converted, testing::StepByStep(s));
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
