#pragma once
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "support/text.h"

namespace velgram::testing {

// The conversion as it was always defined: 140 replace-all steps, each one
// replacing non-overlapping occurrences from the left without looking at its
// own replacements again.
inline std::string ReplaceAll(std::string s, const std::string& from, const std::string& to) {
  size_t pos = 0;
  while ((pos = s.find(from, pos)) != std::string::npos) {
    s.replace(pos, from.size(), to);
    pos += to.size();
  }
  return s;
}

inline std::string StepByStep(std::string s) {
  using Step = std::pair<std::string, std::string>;
  static const std::vector<Step> steps = [] {
    std::vector<Step> list;
    list.emplace_back("\xC2\xAE", "\xAE");
    list.emplace_back("\xC2\xB7", "\xB7");
    for (int cp = 0xC0; cp <= 0xFF; ++cp) {
      int second = cp - 0x40;
      list.emplace_back(std::string{'\xC3', static_cast<char>(second)}, std::string(1, static_cast<char>(cp)));
      list.emplace_back(Format("%%C3%%%02X", second), std::string(1, static_cast<char>(cp)));
    }
    list.emplace_back("\xC3\xC2\xA9", "\xE9");
    list.emplace_back("\xE2\x80\x8E", "");
    for (int d = 0x90; d <= 0x95; ++d) list.emplace_back(std::string{'\xE2', '\x80', static_cast<char>(d)}, "-");
    list.emplace_back("\xE2\x82\xA4", "\xA3");
    list.emplace_back("\xE2\x82\xAC", "\x80");
    if (list.size() != 140) ADD_FAILURE() << list.size() << " steps";
    return list;
  }();
  for (const Step& step : steps) s = ReplaceAll(std::move(s), step.first, step.second);
  return s;
}

}  // namespace velgram::testing
