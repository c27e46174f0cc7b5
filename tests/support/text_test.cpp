#include <gtest/gtest.h>

#include <climits>
#include <clocale>
#include <string>

#include "support/ljson.h"
#include "support/text.h"

namespace velgram {
namespace {

TEST(FormatTest, OutputOfAnyLengthIsComplete) {
  for (size_t n : {size_t{500}, size_t{511}, size_t{512}, size_t{513}, size_t{100000}}) {
    std::string s(n, 'a');
    EXPECT_EQ(Format("<%s|%d>", s.c_str(), 42), "<" + s + "|42>") << n;
  }
  EXPECT_EQ(Format("a%cb", 0), std::string("a\0b", 3));
}

TEST(CodePageTest, RoundTripsEveryByteAndReplacesOrPassesTheRest) {
  EXPECT_EQ(Cp1252ToUtf8("\x80 kopi\xEB" "ren"), "\xE2\x82\xAC kopi\xC3\xAB" "ren");
  EXPECT_EQ((std::u32string{Cp1252ToUnicode(0x9F), Cp1252ToUnicode(0x8D)}), U"\u0178\u008D");  // 8D undefined: C1
  EXPECT_EQ(UnicodeToCp1252(0x80), '?');  // the euro's byte is not reached from U+0080
  std::string all;
  for (int i = 0; i < 256; ++i) all += static_cast<char>(i);
  std::string utf8 = Cp1252ToUtf8(all);
  EXPECT_TRUE(FitsCp1252(utf8));
  bool lossless = false;
  EXPECT_EQ(Utf8ToCp1252(utf8, &lossless), all);
  EXPECT_TRUE(lossless);
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

TEST(LjsonTest, GetIntReadsNumbersStringsAndLeavesOtherTypes) {
  Ljson j(R"({ "dimension":8, "a":"12abc", "b":"abc", "c":"  -7x", "e":"99999999999", "h1":2.5, "h2":-2.5,
               "x":1e300, "y":-1e999, "t":TRUE, "n":NuLL, "arr":[1], "o":{"x":1}, "k":1, "k":2 })");
  ASSERT_TRUE(j.IsValid());
  const std::pair<const char*, int> cases[] = {{"dimension", 8}, {"a", 12},      {"b", 0},       {"c", -7},
                                               {"e", INT_MAX},   {"h1", 3},      {"h2", -3},     {"x", INT_MAX},
                                               {"y", INT_MIN},   {"t", 77},      {"n", 77},      {"arr", 77},
                                               {"o", 77},        {"k", 2}};  // 77: unchanged
  for (auto [key, want] : cases) {
    int v = 77;
    EXPECT_TRUE(j.GetInt(key, v) && v == want) << key << ": " << v;
  }
  int v = 77;
  EXPECT_TRUE(!j.GetInt("missing", v) && v == 77);
  // The application takes the locale from the environment: a comma decimal
  // mark must not change the reading of "2.5".
  std::string saved = std::setlocale(LC_NUMERIC, nullptr);
  if (std::setlocale(LC_NUMERIC, "nl_NL.UTF-8") || std::setlocale(LC_NUMERIC, "de_DE.UTF-8")) {
    Ljson comma(R"({"a":2.5})");
    std::setlocale(LC_NUMERIC, saved.c_str());
    EXPECT_TRUE(comma.GetInt("a", v) && v == 3);
  }
}

TEST(LjsonTest, PathsWalkArraysAndObjects) {
  Ljson j(R"({"tickets":[{"subject":"eerste","id":1},{"subject":"tw\u00EBede \u20ac","id":"2"}],
              "lijst":["a","b",null,7], "leeg":[], "n":null, "c":5, "a":"q\"b\\s\/n\nr\rt\tb\bf\f",
              "p":"\ud83d\ude00", "zh":"\u4e2d", "z":"a\u0000b", "l":"\ud83dx"})");
  ASSERT_TRUE(j.IsValid());
  std::string s;
  int v = 0;
  // Texts are narrowed to Windows-1252, escapes read; an empty last segment
  // is the node itself; an array index may be GetString's last segment.
  const std::pair<const char*, std::string> texts[] = {
      {"tickets|1|subject", "tw\xEB" "ede \x80"}, {"n", "null"}, {"lijst|1", "b"}, {"tickets|0|subject|", "eerste"},
      {"a", "q\"b\\s/n\nr\rt\tb\bf\f"}, {"p", "?"}, {"zh", "?"}, {"z", std::string("a\0b", 3)}, {"l", "?x"}};
  for (const auto& [path, want] : texts) EXPECT_TRUE(j.GetString(path, s) && s == want) << path << ": " << s;
  EXPECT_TRUE(j.GetInt("tickets|1|id", v) && v == 2);
  EXPECT_TRUE(j.GetCount("leeg", v) && v == 0);
  EXPECT_TRUE(j.GetCount("lijst|", v) && v == 4);
  bool b = false;
  EXPECT_TRUE(Ljson("{\"o\":TRUE}").GetBool("o", b) && b);
  EXPECT_FALSE(j.GetBool("c", b));  // true or false only
  s = "x";
  v = -1;
  for (const char* path : {"tickets|2|subject", "tickets|-1|subject", "tickets|x|subject",
                           "tickets|99999999999999999999999|subject", "tickets|0|missing",
                           "tickets|0|subject|x", "lijst|4", "lijst|3", "lijst|2", "c", "missing"})
    EXPECT_FALSE(j.GetString(path, s)) << path;
  EXPECT_FALSE(j.GetInt("lijst|3", v));  // GetInt's last segment is a member name only
  EXPECT_FALSE(j.GetCount("missing", v));
  EXPECT_FALSE(j.GetCount("tickets|0", v));
  EXPECT_EQ(s + std::to_string(v), "x-1");
  Ljson key("{\"kopi\xEB" "ren\":\"ja\"}");  // member names are widened as well
  EXPECT_TRUE(key.GetString("kopi\xEB" "ren", s) && s == "ja");
}

TEST(LjsonTest, MalformedOrHostileTextsGiveAnEmptyReaderAndNeverCrash) {
  for (const char* bad : {"", "   ", "{} x", "1 2", "{", "[1,]", "{\"a\"}", "{\"a\":1,}", "{a:1}", "[1 2]", "\"abc",
                          "{\"a\":1]", "tru", "truex", "-", "01", "1.", ".5", "1e+", "+1", "0x10", R"("\x")",
                          R"("\u12G4")", "\"\\", "\"\\u", "\"a\nb\""})
    EXPECT_FALSE(Ljson(bad).IsValid()) << bad;
  for (const std::string& bad : {std::string("{\"a\":1}\0{}", 10), std::string("{\"a\":\"x\0y\"}", 11)})
    EXPECT_FALSE(Ljson(bad).IsValid());

  Ljson j("{\"a\":1");
  int v = 5;
  std::string s = "x";
  EXPECT_FALSE(j.GetInt("a", v) || j.GetString("", s) || j.GetCount("", v));
  EXPECT_EQ(std::to_string(v) + s, "5x");

  std::string full = R"({"t":[{"id":12,"s":"V \u20ac","o":true,"x":null,"f":-1.5e3}],"n":[[],{}]})";
  ASSERT_TRUE(Ljson(full).IsValid());
  for (size_t n = 0; n < full.size(); ++n) EXPECT_FALSE(Ljson(full.substr(0, n)).IsValid()) << n;

  // Hostile input: deep nesting is refused, and nothing crashes.
  std::string objects;
  for (int i = 0; i < 100000; ++i) objects += "{\"a\":";
  EXPECT_FALSE(Ljson(objects + "1" + std::string(100000, '}')).IsValid());
  auto nested = [](int depth) { return std::string(depth, '[') + std::string(depth, ']'); };
  EXPECT_TRUE(Ljson(nested(512)).IsValid());
  EXPECT_FALSE(Ljson(nested(513)).IsValid());

  for (int c = 0; c < 256; ++c)  // every single byte as a whole text
    EXPECT_EQ(Ljson(std::string(1, static_cast<char>(c))).IsValid(), c >= '0' && c <= '9') << c;
}

}  // namespace
}  // namespace velgram
