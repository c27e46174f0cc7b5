#pragma once
// The Swiss pool.
#include <string>
#include <vector>

#include "competition/pool.h"

namespace velgram {

class LSwiss : public LPool {
 public:
  explicit LSwiss(const std::string& extra = "");
  int Playstyle() const override { return kPlaystyleSwiss; }
  std::string ExtraText() const override { return ""; }
  int PaneResource() const override { return 181; }
  void Standings(const std::vector<Contestant>& contestants, const std::vector<MatchEntry>& matches) override;
};

}  // namespace velgram
