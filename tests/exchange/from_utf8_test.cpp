#include "exchange/from_utf8.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "from_utf8_reference.h"

namespace velgram {
namespace {

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
    ASSERT_EQ(FromUtf8(s), testing::StepByStep(s)) << "input bytes: " << ::testing::PrintToString(s);
  }
  // And every string of up to four bytes from the bytes that matter.
  static const char kBytes[] = "\xC2\xC3\xE2\x80\x82\x83\x8E\x93\xA4\xA9\xAC\xAE%";
  std::vector<std::string> level = {""};
  for (int n = 1; n <= 4; ++n) {
    std::vector<std::string> next;
    for (const std::string& s : level)
      for (size_t k = 0; k + 1 < sizeof kBytes; ++k) next.push_back(s + kBytes[k]);
    for (const std::string& s : next) ASSERT_EQ(FromUtf8(s), testing::StepByStep(s));
    level = std::move(next);
  }
}

}  // namespace
}  // namespace velgram
