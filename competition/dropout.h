#pragma once
// The knockout pool.
#include <string>
#include <vector>

#include "competition/pool.h"

namespace velgram {

class LDropout : public LPool {
 public:
  explicit LDropout(const std::string& extra = "");
  int Playstyle() const override { return kPlaystyleDropout; }
  std::string ExtraText() const override;
  int PaneResource() const override { return 175; }
  // A knockout pool has no places: links to it stay unresolved.
  void Standings(const std::vector<Contestant>& contestants, const std::vector<MatchEntry>& matches) override;

  int dimension = 2;
};

}  // namespace velgram
