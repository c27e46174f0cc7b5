#include "competition/live_snapshot.h"

#include "store/database.h"

namespace velgram {

struct LiveSnapshot::State {
  Database& db;
  int idToernooi = -1;
  std::shared_ptr<const LiveDocuments> docs = std::make_shared<LiveDocuments>();
  explicit State(Database& d) : db(d) {}
};

LiveSnapshot::LiveSnapshot(Database& db) : state_(std::make_unique<State>(db)) {}
LiveSnapshot::~LiveSnapshot() = default;

void LiveSnapshot::Build(int idToernooi) {
  state_->idToernooi = idToernooi;
  auto docs = std::make_shared<LiveDocuments>(*state_->docs);
  docs->version += 1;
  for (const char* name : {"nu", "poules", "spelers"}) {
    auto doc = std::make_shared<LiveDocument>();
    doc->json = "{}";
    doc->version = docs->version;
    docs->byName[name] = doc;
  }
  state_->docs = docs;
}

void LiveSnapshot::Apply(const DataChange&) { Build(state_->idToernooi); }

std::shared_ptr<const LiveDocuments> LiveSnapshot::Documents() const { return state_->docs; }

}  // namespace velgram
