// Published test vectors: RFC 6229 (RC4), RFC 1321 (MD5), RFC 4648 (Base64).
#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

#include "online/cipher.h"

namespace velgram {
namespace {

std::string Hex(const uint8_t* p, size_t n) {
  std::string s;
  char b[3];
  for (size_t k = 0; k < n; ++k) std::snprintf(b, sizeof b, "%02x", p[k]), s += b;
  return s;
}

std::vector<uint8_t> Bytes(const std::string& hex) {
  std::vector<uint8_t> v;
  for (size_t k = 0; k + 1 < hex.size(); k += 2) v.push_back(static_cast<uint8_t>(std::stoi(hex.substr(k, 2), nullptr, 16)));
  return v;
}

TEST(Rc4, KeystreamMatchesRfc6229) {
  struct Case {
    const char* key;
    size_t offset;
    const char* stream;
  } cases[] = {
      {"0102030405", 0, "b2396305f03dc027ccc3524a0a1118a8"},
      {"0102030405", 16, "6982944f18fc82d589c403a47a0d0919"},
      {"0102030405", 240, "28cb1132c96ce286421dcaadb8b69eae"},
      {"0102030405", 256, "1cfcf62b03eddb641d77dfcf7f8d8c93"},
      {"0102030405060708090a0b0c0d0e0f10", 0, "9ac7cc9a609d1ef7b2932899cde41b97"},
      {"0102030405060708090a0b0c0d0e0f10", 16, "5248c4959014126a6e8a84f11d1a9e1c"},
      {"0102030405060708090a0b0c0d0e0f10", 240, "065902e4b620f6cc36c8589f66432f2b"},
      {"0102030405060708090a0b0c0d0e0f10", 256, "d39d566bc6bce3010768151549f3873f"},
  };
  for (const Case& c : cases) {
    std::vector<uint8_t> key = Bytes(c.key);
    Rc4 rc4(key.data(), key.size());
    // The stream is taken in two calls to show that Apply carries on.
    std::string skip(c.offset, '\0'), block(16, '\0');
    rc4.Apply(skip);
    rc4.Apply(block);
    const std::string expected = c.stream;
    EXPECT_EQ(Hex(reinterpret_cast<const uint8_t*>(block.data()), block.size()), expected) << c.key << " @" << c.offset;
  }
}

TEST(Md5, DigestsMatchRfc1321) {
  const std::pair<const char*, const char*> cases[] = {
      {"", "d41d8cd98f00b204e9800998ecf8427e"},
      {"a", "0cc175b9c0f1b6a831c399e269772661"},
      {"abc", "900150983cd24fb0d6963f7d28e17f72"},
      {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
      {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
      {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789", "d174ab98d277d9f5a5611c2c9f419d9f"},
      {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
       "57edf4a22be3c955ac49da2e2107b67a"},
  };
  for (const auto& [text, digest] : cases) {
    Md5Digest d = Md5(text);
    EXPECT_EQ(Hex(d.data(), d.size()), digest) << '"' << text << '"';
  }
}

TEST(Base64, EncodesAndDecodesRfc4648Vectors) {
  const std::pair<const char*, const char*> cases[] = {
      {"", ""},         {"f", "Zg=="},         {"fo", "Zm8="},        {"foo", "Zm9v"},
      {"foob", "Zm9vYg=="}, {"fooba", "Zm9vYmE="}, {"foobar", "Zm9vYmFy"},
  };
  for (const auto& [plain, encoded] : cases) {
    EXPECT_EQ(Base64Encode(plain), encoded);
    std::string back;
    ASSERT_TRUE(Base64Decode(encoded, back));
    EXPECT_EQ(back, plain);
  }
  std::string all;
  for (int c = 0; c < 256; ++c) all += static_cast<char>(c);
  std::string back;
  ASSERT_TRUE(Base64Decode(Base64Encode(all), back));
  EXPECT_EQ(back, all);
}

TEST(Base64, StopsAtPaddingSkipsLineBreaksAndRefusesForeignCharacters) {
  std::string out;
  EXPECT_TRUE(Base64Decode("Zm9v\r\nYmFy", out));
  EXPECT_EQ(out, "foobar");
  EXPECT_TRUE(Base64Decode("Zm8=Zm9v", out));
  EXPECT_EQ(out, "fo");
  EXPECT_FALSE(Base64Decode("<html>", out));
}

}  // namespace
}  // namespace velgram
