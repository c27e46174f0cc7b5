#include "support/text.h"

#include <gtest/gtest.h>

#include <string>

namespace velgram {
namespace {

TEST(FormatTest, Short) {
  EXPECT_EQ(Format("%d:%02d", 9, 5), "9:05");
  EXPECT_EQ(Format("%s", ""), "");
  EXPECT_EQ(Format("abc"), "abc");
}

TEST(FormatTest, LongOutputIsComplete) {
  std::string big(100000, 'x');
  std::string out = Format("<%s|%d>", big.c_str(), 42);
  EXPECT_EQ(out.size(), big.size() + 5);
  EXPECT_EQ(out, "<" + big + "|42>");
}

TEST(FormatTest, OutputAroundInternalBufferSize) {
  for (size_t n = 500; n < 530; ++n) {
    std::string s(n, 'a');
    EXPECT_EQ(Format("%s", s.c_str()), s) << n;
  }
}

TEST(FormatTest, EmbeddedNulFromPercentC) {
  std::string out = Format("a%cb", 0);
  EXPECT_EQ(out, std::string("a\0b", 3));
}

TEST(CodePageTest, EuroAndFriends) {
  EXPECT_EQ(Cp1252ToUnicode(0x80), U'\u20AC');
  EXPECT_EQ(Cp1252ToUnicode(0x9F), U'\u0178');
  EXPECT_EQ(Cp1252ToUnicode(0x8A), U'\u0160');
  EXPECT_EQ(Cp1252ToUnicode(0x93), U'\u201C');
  EXPECT_EQ(Cp1252ToUnicode(0xEB), U'\u00EB');
  EXPECT_EQ(Cp1252ToUnicode('A'), U'A');
  EXPECT_EQ(Cp1252ToUtf8("\x80"), "\xE2\x82\xAC");
  EXPECT_EQ(Cp1252ToUtf8("kopi\xEB" "ren"), "kopi\xC3\xAB" "ren");
  EXPECT_EQ(Utf8ToCp1252("\xE2\x82\xAC 5"), "\x80 5");
  EXPECT_EQ(Utf8ToCp1252("Caf\xC3\xA9"), "Caf\xE9");
  EXPECT_EQ(UnicodeToCp1252(U'\u2122'), '\x99');
}

TEST(CodePageTest, UndefinedBytesMapToC1) {
  for (unsigned char c : {0x81, 0x8D, 0x8F, 0x90, 0x9D}) {
    EXPECT_EQ(Cp1252ToUnicode(c), static_cast<char32_t>(c));
    EXPECT_EQ(static_cast<unsigned char>(UnicodeToCp1252(c)), c);
  }
  // The defined C1 positions are not reachable from their C1 code points.
  EXPECT_EQ(UnicodeToCp1252(0x80), '?');
  EXPECT_EQ(UnicodeToCp1252(0x9F), '?');
}

TEST(CodePageTest, AllBytesRoundTrip) {
  std::string all;
  for (int i = 0; i < 256; ++i) all += static_cast<char>(i);
  std::string utf8 = Cp1252ToUtf8(all);
  EXPECT_TRUE(FitsCp1252(utf8));
  bool lossless = false;
  EXPECT_EQ(Utf8ToCp1252(utf8, &lossless), all);
  EXPECT_TRUE(lossless);
  for (int i = 0; i < 256; ++i) {
    auto c = static_cast<unsigned char>(i);
    EXPECT_EQ(static_cast<unsigned char>(UnicodeToCp1252(Cp1252ToUnicode(c))), c) << i;
    std::string one(1, static_cast<char>(c));
    EXPECT_EQ(Utf8ToCp1252(Cp1252ToUtf8(one)), one) << i;
  }
}

TEST(CodePageTest, TableIsABijection) {
  for (int i = 0; i < 256; ++i)
    for (int j = i + 1; j < 256; ++j)
      ASSERT_NE(Cp1252ToUnicode(static_cast<unsigned char>(i)),
                Cp1252ToUnicode(static_cast<unsigned char>(j)))
          << i << " " << j;
}

TEST(CodePageTest, UnmappableBecomesQuestionMark) {
  bool lossless = true;
  // U+4E2D (CJK), U+1F600 (emoji, four bytes), U+0100.
  EXPECT_EQ(Utf8ToCp1252("a\xE4\xB8\xAD" "b\xF0\x9F\x98\x80" "c\xC4\x80", &lossless), "a?b?c?");
  EXPECT_FALSE(lossless);
  EXPECT_FALSE(FitsCp1252("\xE4\xB8\xAD"));
  lossless = false;
  EXPECT_EQ(Utf8ToCp1252("what?", &lossless), "what?");
  EXPECT_TRUE(lossless);
  EXPECT_TRUE(FitsCp1252("what?"));
  EXPECT_TRUE(FitsCp1252(""));
  EXPECT_EQ(UnicodeToCp1252(0x110000), '?');
}

TEST(CodePageTest, InvalidUtf8BytesTakenAsCp1252) {
  // A lone Latin-1 byte, a truncated sequence, an overlong '/', an encoded
  // surrogate and a stray continuation byte pass through byte by byte.
  EXPECT_EQ(Utf8ToCp1252("Caf\xE9"), "Caf\xE9");
  EXPECT_EQ(Utf8ToCp1252("\xE2\x82"), "\xE2\x82");
  EXPECT_EQ(Utf8ToCp1252("\xC0\xAF"), "\xC0\xAF");
  EXPECT_EQ(Utf8ToCp1252("\xED\xA0\x80"), "\xED\xA0\x80");
  EXPECT_EQ(Utf8ToCp1252("\x80x"), "\x80x");
  EXPECT_EQ(Utf8ToCp1252("\xF4\x90\x80\x80"), "\xF4\x90\x80\x80");  // above U+10FFFF
  // Mixed: valid euro after an invalid byte.
  EXPECT_EQ(Utf8ToCp1252("\xFF\xE2\x82\xAC"), "\xFF\x80");
}

TEST(CodePageTest, EmbeddedNul) {
  std::string s("a\0b", 3);
  EXPECT_EQ(Cp1252ToUtf8(s), s);
  EXPECT_EQ(Utf8ToCp1252(s), s);
}

}  // namespace
}  // namespace velgram
