#include "competition/dropout.h"

#include "support/ljson.h"
#include "support/text.h"

namespace velgram {

LDropout::LDropout(const std::string& extra) {
  if (!extra.empty()) {
    Ljson json(extra);
    json.GetInt("dimension", dimension);
  }
}

std::string LDropout::ExtraText() const { return Format("{ \"dimension\":%d }", dimension); }

void LDropout::Standings(const std::vector<Contestant>&, const std::vector<MatchEntry>&) {
  places.clear();
  explanations.clear();
}

}  // namespace velgram
