#include "support/text.h"

#include <gtest/gtest.h>

#include <string>

namespace velgram {
namespace {

TEST(FormatTest, OutputOfAnyLengthIsComplete) {
  EXPECT_EQ(Format("%d:%02d", 9, 5), "9:05");
  for (size_t n : {size_t{500}, size_t{511}, size_t{512}, size_t{513}, size_t{100000}}) {
    std::string s(n, 'a');
    EXPECT_EQ(Format("<%s|%d>", s.c_str(), 42), "<" + s + "|42>") << n;
  }
  EXPECT_EQ(Format("a%cb", 0), std::string("a\0b", 3));
}

TEST(CodePageTest, EveryByteRoundTripsThroughUtf8) {
  EXPECT_EQ(Cp1252ToUtf8("\x80 kopi\xEB" "ren"), "\xE2\x82\xAC kopi\xC3\xAB" "ren");
  EXPECT_EQ(Cp1252ToUnicode(0x9F), U'\u0178');
  EXPECT_EQ(Cp1252ToUnicode(0x8D), U'\u008D');  // undefined: the C1 control of that number
  EXPECT_EQ(UnicodeToCp1252(0x80), '?');         // the euro's byte is not reached from U+0080
  std::string all;
  for (int i = 0; i < 256; ++i) all += static_cast<char>(i);
  std::string utf8 = Cp1252ToUtf8(all);
  EXPECT_TRUE(FitsCp1252(utf8));
  bool lossless = false;
  EXPECT_EQ(Utf8ToCp1252(utf8, &lossless), all);
  EXPECT_TRUE(lossless);
}

TEST(CodePageTest, UnmappableAndInvalidUtf8) {
  bool lossless = true;
  // U+4E2D (CJK), U+1F600 (emoji, four bytes), U+0100.
  EXPECT_EQ(Utf8ToCp1252("a\xE4\xB8\xAD" "b\xF0\x9F\x98\x80" "c\xC4\x80", &lossless), "a?b?c?");
  EXPECT_FALSE(lossless);
  EXPECT_TRUE(FitsCp1252("what?"));
  // A lone Latin-1 byte, a truncated sequence, an overlong '/', an encoded
  // surrogate, a code point above U+10FFFF and a stray continuation byte pass
  // through byte by byte.
  for (const char* raw : {"Caf\xE9", "\xE2\x82", "\xC0\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\x80x"})
    EXPECT_EQ(Utf8ToCp1252(raw), raw);
  EXPECT_EQ(Utf8ToCp1252("\xFF\xE2\x82\xAC"), "\xFF\x80");
}

}  // namespace
}  // namespace velgram
