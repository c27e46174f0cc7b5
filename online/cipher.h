#pragma once
// The building blocks of the web API's enciphering: MD5 for the daily key,
// RC4 for the request and answer bytes, Base64 for the body on the wire.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace velgram {

using Md5Digest = std::array<uint8_t, 16>;

// MD5 through OpenSSL's EVP interface.
Md5Digest Md5(std::string_view bytes);

// RC4 keystream; Apply enciphers and deciphers alike (XOR with the stream),
// continuing where the previous call stopped.
class Rc4 {
 public:
  Rc4(const uint8_t* key, size_t length);
  void Apply(std::string& bytes);

 private:
  uint8_t s_[256];
  uint8_t i_ = 0, j_ = 0;
};

// Standard alphabet with "=" padding.
std::string Base64Encode(std::string_view bytes);

// Decodes up to the first "="; line breaks and blanks are skipped. A character
// outside the alphabet makes the call return false.
bool Base64Decode(std::string_view text, std::string& bytes);

}  // namespace velgram
