#include "support/ljson.h"

#include <gtest/gtest.h>

#include <climits>
#include <clocale>
#include <string>

namespace velgram {
namespace {

TEST(LjsonTest, SpecDimension) {
  Ljson j("{ \"dimension\":8 }");
  ASSERT_TRUE(j.IsValid());
  int v = 0;
  EXPECT_TRUE(j.GetInt("dimension", v));
  EXPECT_EQ(v, 8);
}

TEST(LjsonTest, GetIntFromStringWithLetters) {
  Ljson j(R"({"a":"12abc","b":"abc","c":"  -7x","d":"+5","e":"99999999999","f":"-99999999999","g":"1.9"})");
  int v = -1;
  EXPECT_TRUE(j.GetInt("a", v));
  EXPECT_EQ(v, 12);
  EXPECT_TRUE(j.GetInt("b", v));
  EXPECT_EQ(v, 0);
  EXPECT_TRUE(j.GetInt("c", v));
  EXPECT_EQ(v, -7);
  EXPECT_TRUE(j.GetInt("d", v));
  EXPECT_EQ(v, 5);
  EXPECT_TRUE(j.GetInt("e", v));
  EXPECT_EQ(v, INT_MAX);
  EXPECT_TRUE(j.GetInt("f", v));
  EXPECT_EQ(v, INT_MIN);
  EXPECT_TRUE(j.GetInt("g", v));
  EXPECT_EQ(v, 1);
}

TEST(LjsonTest, GetIntOtherTypesSucceedUnchanged) {
  Ljson j(R"({"t":true,"n":null,"a":[1],"o":{"x":1}})");
  for (const char* key : {"t", "n", "a", "o"}) {
    int v = 77;
    EXPECT_TRUE(j.GetInt(key, v)) << key;
    EXPECT_EQ(v, 77) << key;
  }
  int v = 77;
  EXPECT_FALSE(j.GetInt("missing", v));
  EXPECT_EQ(v, 77);
}

TEST(LjsonTest, GetIntRoundsHalfAwayFromZero) {
  Ljson j(R"({"a":2.5,"b":-2.5,"c":2.4999,"d":-0.4,"e":1e2,"f":-1.5E+1,"g":0.5,"h":-0})");
  int v = 0;
  EXPECT_TRUE(j.GetInt("a", v)); EXPECT_EQ(v, 3);
  EXPECT_TRUE(j.GetInt("b", v)); EXPECT_EQ(v, -3);
  EXPECT_TRUE(j.GetInt("c", v)); EXPECT_EQ(v, 2);
  EXPECT_TRUE(j.GetInt("d", v)); EXPECT_EQ(v, 0);
  EXPECT_TRUE(j.GetInt("e", v)); EXPECT_EQ(v, 100);
  EXPECT_TRUE(j.GetInt("f", v)); EXPECT_EQ(v, -15);
  EXPECT_TRUE(j.GetInt("g", v)); EXPECT_EQ(v, 1);
  EXPECT_TRUE(j.GetInt("h", v)); EXPECT_EQ(v, 0);
}

TEST(LjsonTest, GetIntClampsHugeNumbers) {
  Ljson j(R"({"a":1e300,"b":-1e300,"c":1e999,"d":-1e999,"e":2147483647,"f":-2147483648,"g":2147483647.6,"h":1e-999})");
  ASSERT_TRUE(j.IsValid());
  int v = 0;
  EXPECT_TRUE(j.GetInt("a", v)); EXPECT_EQ(v, INT_MAX);
  EXPECT_TRUE(j.GetInt("b", v)); EXPECT_EQ(v, INT_MIN);
  EXPECT_TRUE(j.GetInt("c", v)); EXPECT_EQ(v, INT_MAX);
  EXPECT_TRUE(j.GetInt("d", v)); EXPECT_EQ(v, INT_MIN);
  EXPECT_TRUE(j.GetInt("e", v)); EXPECT_EQ(v, INT_MAX);
  EXPECT_TRUE(j.GetInt("f", v)); EXPECT_EQ(v, INT_MIN);
  EXPECT_TRUE(j.GetInt("g", v)); EXPECT_EQ(v, INT_MAX);
  EXPECT_TRUE(j.GetInt("h", v)); EXPECT_EQ(v, 0);
}

TEST(LjsonTest, NumbersIgnoreProcessLocale) {
  // The application sets the locale from the environment; a comma decimal mark
  // must not change the reading of "2.5".
  const char* old = std::setlocale(LC_NUMERIC, nullptr);
  std::string saved = old ? old : "C";
  bool switched = std::setlocale(LC_NUMERIC, "nl_NL.UTF-8") || std::setlocale(LC_NUMERIC, "de_DE.UTF-8");
  Ljson j(R"({"a":2.5})");
  std::setlocale(LC_NUMERIC, saved.c_str());
  int v = 0;
  EXPECT_TRUE(j.GetInt("a", v));
  EXPECT_EQ(v, 3);
  if (!switched) GTEST_SKIP() << "no comma locale installed; checked in the C locale only";
}

TEST(LjsonTest, GetStringNullGivesNullText) {
  Ljson j(R"({"a":null,"b":"tekst","c":5,"d":true})");
  std::string s = "x";
  EXPECT_TRUE(j.GetString("a", s));
  EXPECT_EQ(s, "null");
  EXPECT_TRUE(j.GetString("b", s));
  EXPECT_EQ(s, "tekst");
  s = "x";
  EXPECT_FALSE(j.GetString("c", s));
  EXPECT_FALSE(j.GetString("d", s));
  EXPECT_FALSE(j.GetString("missing", s));
  EXPECT_EQ(s, "x");
}

TEST(LjsonTest, GetCount) {
  Ljson j(R"({"tickets":[],"more":[1,2,[3]],"obj":{}})");
  int n = -1;
  EXPECT_TRUE(j.GetCount("tickets", n));
  EXPECT_EQ(n, 0);
  EXPECT_TRUE(j.GetCount("more", n));
  EXPECT_EQ(n, 3);
  EXPECT_TRUE(j.GetCount("more|2|", n));
  EXPECT_EQ(n, 1);
  n = -1;
  EXPECT_FALSE(j.GetCount("missing", n));
  EXPECT_FALSE(j.GetCount("obj", n));
  EXPECT_EQ(n, -1);
  Ljson arr("[1,2,3,4]");
  EXPECT_TRUE(arr.GetCount("", n));
  EXPECT_EQ(n, 4);
}

TEST(LjsonTest, PathWalk) {
  Ljson j(R"({"tickets":[{"subject":"eerste","id":1},{"subject":"tweede","id":"2"}],
              "lijst":["a","b",null,7]})");
  ASSERT_TRUE(j.IsValid());
  std::string s;
  int v = 0;
  EXPECT_TRUE(j.GetString("tickets|1|subject", s));
  EXPECT_EQ(s, "tweede");
  EXPECT_TRUE(j.GetInt("tickets|0|id", v));
  EXPECT_EQ(v, 1);
  EXPECT_TRUE(j.GetInt("tickets|1|id", v));
  EXPECT_EQ(v, 2);
  // An index equal to the length fails, as do negative and non-numeric ones.
  EXPECT_FALSE(j.GetString("tickets|2|subject", s));
  EXPECT_FALSE(j.GetString("tickets|-1|subject", s));
  EXPECT_FALSE(j.GetString("tickets|x|subject", s));
  EXPECT_FALSE(j.GetString("tickets|99999999999999999999999|subject", s));
  EXPECT_FALSE(j.GetString("tickets|0|missing", s));
  EXPECT_FALSE(j.GetString("nope|0|subject", s));
  // A walk through a scalar fails.
  EXPECT_FALSE(j.GetString("tickets|0|subject|x", s));
  // The array-index rule of GetString's last segment.
  EXPECT_TRUE(j.GetString("lijst|1", s));
  EXPECT_EQ(s, "b");
  EXPECT_FALSE(j.GetString("lijst|4", s));
  EXPECT_FALSE(j.GetString("lijst|3", s));  // a number element
  EXPECT_FALSE(j.GetString("lijst|2", s));  // a null element: not a member look-up
  // GetInt's last segment is a member name only.
  EXPECT_FALSE(j.GetInt("lijst|3", v));
  // Empty last segment: the node itself.
  EXPECT_TRUE(j.GetString("tickets|0|subject|", s));
  EXPECT_EQ(s, "eerste");
  EXPECT_TRUE(j.GetCount("lijst|", v));
  EXPECT_EQ(v, 4);
  Ljson str(R"("los")");
  EXPECT_TRUE(str.GetString("", s));
  EXPECT_EQ(s, "los");
  Ljson num("42");
  EXPECT_TRUE(num.GetInt("", v));
  EXPECT_EQ(v, 42);
}

TEST(LjsonTest, LiteralsIgnoreCase) {
  Ljson j(R"({"a":TRUE,"b":False,"c":NuLL})");
  ASSERT_TRUE(j.IsValid());
  std::string s;
  EXPECT_TRUE(j.GetString("c", s));
  EXPECT_EQ(s, "null");
  EXPECT_FALSE(Ljson("tru").IsValid());
  EXPECT_FALSE(Ljson("nul").IsValid());
  EXPECT_FALSE(Ljson("truex").IsValid());
}

TEST(LjsonTest, Cp1252InAndOut) {
  // The 8-bit text is Windows-1252: 0x80 is the euro sign, 0xEB is e-umlaut.
  Ljson j("{\"bedrag\":\"\x80 5\",\"kopi\xEB" "ren\":\"ja\"}");
  ASSERT_TRUE(j.IsValid());
  std::string s;
  EXPECT_TRUE(j.GetString("bedrag", s));
  EXPECT_EQ(s, "\x80 5");
  EXPECT_TRUE(j.GetString("kopi\xEB" "ren", s));
  EXPECT_EQ(s, "ja");
}

TEST(LjsonTest, StringEscapes) {
  Ljson j(R"({"a":"q\"b\\s\/n\nr\rt\tb\bf\f","e":"\u20ac\u00EB","p":"\ud83d\ude00","c":"\u4e2d","z":"a\u0000b","l":"\ud83dx"})");
  ASSERT_TRUE(j.IsValid());
  std::string s;
  EXPECT_TRUE(j.GetString("a", s));
  EXPECT_EQ(s, "q\"b\\s/n\nr\rt\tb\bf\f");
  EXPECT_TRUE(j.GetString("e", s));
  EXPECT_EQ(s, "\x80\xEB");
  EXPECT_TRUE(j.GetString("p", s));  // a surrogate pair is one character
  EXPECT_EQ(s, "?");
  EXPECT_TRUE(j.GetString("c", s));
  EXPECT_EQ(s, "?");
  EXPECT_TRUE(j.GetString("z", s));
  EXPECT_EQ(s, std::string("a\0b", 3));
  EXPECT_TRUE(j.GetString("l", s));  // a lone surrogate narrows to '?'
  EXPECT_EQ(s, "?x");
  // Member names with escapes.
  Ljson k(R"({"na\u006De":1})");
  int v = 0;
  EXPECT_TRUE(k.GetInt("name", v));
  EXPECT_EQ(v, 1);
}

TEST(LjsonTest, InvalidEscapes) {
  EXPECT_FALSE(Ljson(R"("\x")").IsValid());
  EXPECT_FALSE(Ljson(R"("\u12")").IsValid());
  EXPECT_FALSE(Ljson(R"("\u12G4")").IsValid());
  EXPECT_FALSE(Ljson(R"("\")").IsValid());
  EXPECT_FALSE(Ljson("\"\\").IsValid());
  EXPECT_FALSE(Ljson("\"\\u").IsValid());
  EXPECT_FALSE(Ljson("\"a\nb\"").IsValid());  // raw control character
}

TEST(LjsonTest, Numbers) {
  int v = 0;
  Ljson a("[-0, 0.5e1, 12E-1, -3.75, 1e+2]");
  ASSERT_TRUE(a.IsValid());
  EXPECT_TRUE(Ljson("-12").GetInt("", v));
  EXPECT_EQ(v, -12);
  for (const char* bad : {"-", "01", "1.", ".5", "1e", "1e+", "+1", "--1", "0x10", "1.2.3", "- 1"})
    EXPECT_FALSE(Ljson(bad).IsValid()) << bad;
}

TEST(LjsonTest, WhitespaceAndTrailingText) {
  EXPECT_TRUE(Ljson(" \t\r\n{ \"a\" : [ 1 , 2 ] } \n\t ").IsValid());
  EXPECT_FALSE(Ljson("{} x").IsValid());
  EXPECT_FALSE(Ljson("{}{}").IsValid());
  EXPECT_FALSE(Ljson("1 2").IsValid());
  EXPECT_FALSE(Ljson("").IsValid());
  EXPECT_FALSE(Ljson("   ").IsValid());
}

TEST(LjsonTest, InvalidReaderFailsEveryLookup) {
  Ljson j("{\"a\":1");
  EXPECT_FALSE(j.IsValid());
  int v = 5;
  std::string s = "x";
  EXPECT_FALSE(j.GetInt("a", v));
  EXPECT_FALSE(j.GetInt("", v));
  EXPECT_FALSE(j.GetString("a", s));
  EXPECT_FALSE(j.GetString("", s));
  EXPECT_FALSE(j.GetCount("", v));
  EXPECT_EQ(v, 5);
  EXPECT_EQ(s, "x");
}

TEST(LjsonTest, MalformedStructures) {
  for (const char* bad : {"{", "[", "[1,", "[1,]", "[,1]", "{\"a\"}", "{\"a\":}", "{\"a\":1,}",
                          "{a:1}", "{'a':1}", "{\"a\" 1}", "[1 2]", "}", "]", "\"abc", "[\"abc]",
                          "{\"a\":1]", "[1}", "{\"a\":1 \"b\":2}"})
    EXPECT_FALSE(Ljson(bad).IsValid()) << bad;
}

TEST(LjsonTest, TruncatedInputAtEveryLength) {
  std::string full =
      R"({"tickets":[{"id":12,"subject":"Vraag \u20ac","open":true,"x":null,"f":-1.5e3}],"n":[[],{}]})";
  ASSERT_TRUE(Ljson(full).IsValid());
  for (size_t n = 0; n < full.size(); ++n)
    EXPECT_FALSE(Ljson(full.substr(0, n)).IsValid()) << n;
}

TEST(LjsonTest, NulBytes) {
  std::string middle("{\"a\":1}\0{\"b\":2}", 15);
  EXPECT_FALSE(Ljson(middle).IsValid());
  std::string inString("{\"a\":\"x\0y\"}", 11);
  EXPECT_FALSE(Ljson(inString).IsValid());
  std::string inKey("{\"a\0\":1}", 8);
  EXPECT_FALSE(Ljson(inKey).IsValid());
  std::string lead("\0{}", 3);
  EXPECT_FALSE(Ljson(lead).IsValid());
}

TEST(LjsonTest, DeepNestingFailsWithoutCrash) {
  EXPECT_FALSE(Ljson(std::string(100000, '[')).IsValid());
  EXPECT_FALSE(Ljson(std::string(100000, '[') + std::string(100000, ']')).IsValid());
  std::string objects;
  for (int i = 0; i < 100000; ++i) objects += "{\"a\":";
  EXPECT_FALSE(Ljson(objects).IsValid());
  // Moderate nesting is fine.
  std::string ok = std::string(100, '[') + "7" + std::string(100, ']');
  Ljson j(ok);
  ASSERT_TRUE(j.IsValid());
  int n = 0;
  EXPECT_TRUE(j.GetCount("", n));
  EXPECT_EQ(n, 1);
}

TEST(LjsonTest, NestingLimitIs512) {
  auto nested = [](int depth) { return std::string(depth, '[') + std::string(depth, ']'); };
  EXPECT_TRUE(Ljson(nested(512)).IsValid());
  EXPECT_FALSE(Ljson(nested(513)).IsValid());
}

TEST(LjsonTest, DuplicateMembersLastWins) {
  Ljson j(R"({"a":1,"a":2})");
  int v = 0;
  EXPECT_TRUE(j.GetInt("a", v));
  EXPECT_EQ(v, 2);
}

TEST(LjsonTest, LargeFlatArray) {
  std::string text = "[";
  for (int i = 0; i < 100000; ++i) text += (i ? ",\"" : "\"") + std::to_string(i) + "\"";
  text += "]";
  Ljson j(text);
  ASSERT_TRUE(j.IsValid());
  int n = 0;
  EXPECT_TRUE(j.GetCount("", n));
  EXPECT_EQ(n, 100000);
  std::string s;
  EXPECT_TRUE(j.GetString("99999", s));
  EXPECT_EQ(s, "99999");
}

TEST(LjsonTest, HostileBytesNeverCrash) {
  // Every single byte as a whole text, and a few binary soups.
  for (int c = 0; c < 256; ++c) {
    Ljson j(std::string(1, static_cast<char>(c)));
    EXPECT_EQ(j.IsValid(), c >= '0' && c <= '9') << c;
  }
  unsigned seed = 12345;
  for (int round = 0; round < 2000; ++round) {
    std::string text;
    int len = static_cast<int>(seed % 40);
    for (int i = 0; i < len; ++i) {
      seed = seed * 1103515245u + 12345u;
      static const char alphabet[] = "{}[]\",:0123456789-+.eEtrufalsn \\u\x80\xFF";
      text += alphabet[(seed >> 16) % (sizeof alphabet - 1)];
    }
    seed = seed * 1103515245u + 12345u;
    Ljson j(text);
    int v = 0;
    std::string s;
    j.GetInt("", v);
    j.GetString("0", s);
    j.GetCount("a|0|", v);
  }
}

}  // namespace
}  // namespace velgram
