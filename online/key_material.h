#pragma once
// The daily key shared with the support server. The server computes the same
// material from the same constants (tests/online/support_server.py keeps a
// copy; a test holds both sides to the same key), so a change here must be
// made there too.
#include <array>
#include <cstdint>

#include "online/cipher.h"

namespace velgram {

namespace key_material {

// Five fixed words, then the multipliers of the day, the month and the year.
inline constexpr std::array<uint32_t, 5> kFixed = {0x56C3A91Du, 0x2E8F4B07u, 0x9D1472E5u, 0x4B6E0C38u, 0xE25A7F91u};
inline constexpr uint32_t kDayFactor = 0x01F3A5C7u;
inline constexpr uint32_t kMonthFactor = 0x3B9D0E4Fu;
inline constexpr uint32_t kYearFactor = 0x000A6E2Bu;

}  // namespace key_material

// The 32 bytes of eight little-endian words: the five fixed words, then day,
// month and year each times its factor (modulo 2^32).
std::array<uint8_t, 32> KeyMaterial(int year, int month, int day);

// MD5 of the material: the RC4 key of that local date.
Md5Digest DailyKey(int year, int month, int day);

}  // namespace velgram
