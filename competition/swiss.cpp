#include "competition/swiss.h"

namespace velgram {

LSwiss::LSwiss(const std::string&) {}

void LSwiss::Standings(const std::vector<Contestant>& contestants, const std::vector<MatchEntry>&) {
  places.assign(contestants.size(), -1);
  explanations.assign(contestants.size(), "");
}

}  // namespace velgram
