#include "online/key_material.h"

#include <string_view>

namespace velgram {

std::array<uint8_t, 32> KeyMaterial(int year, int month, int day) {
  std::array<uint32_t, 8> words{};
  for (size_t k = 0; k < key_material::kFixed.size(); ++k) words[k] = key_material::kFixed[k];
  words[5] = static_cast<uint32_t>(day) * key_material::kDayFactor;
  words[6] = static_cast<uint32_t>(month) * key_material::kMonthFactor;
  words[7] = static_cast<uint32_t>(year) * key_material::kYearFactor;
  std::array<uint8_t, 32> bytes{};
  for (size_t k = 0; k < words.size(); ++k)
    for (int b = 0; b < 4; ++b) bytes[k * 4 + b] = static_cast<uint8_t>(words[k] >> (8 * b));
  return bytes;
}

Md5Digest DailyKey(int year, int month, int day) {
  auto material = KeyMaterial(year, month, day);
  return Md5(std::string_view(reinterpret_cast<const char*>(material.data()), material.size()));
}

}  // namespace velgram
