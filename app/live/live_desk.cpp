#include "app/live/live_desk.h"

#include <algorithm>

#include "app/shell/app.h"
#include "store/database.h"
#include "support/text.h"

namespace velgram {

LiveDesk::LiveDesk(CVelgramApp& app, QObject* parent) : QObject(parent), app_(app) {
  flush_.setSingleShot(true);
  flush_.setInterval(0);
  connect(&flush_, &QTimer::timeout, this, &LiveDesk::Flush);
}

LiveDesk::~LiveDesk() { server_.Stop(); }

bool LiveDesk::Start(quint16 port, bool localOnly, QString* error) {
  if (!app_.HasToernooi()) {
    if (error) *error = QStringLiteral("Er is geen toernooi geopend.");
    return false;
  }
  snapshot_ = std::make_unique<LiveSnapshot>(app_.Db());
  idToernooi_ = app_.IdToernooi();
  snapshot_->Build(idToernooi_);
  waiting_.clear();
  Publish();
  const bool ok = server_.Start(port, localOnly, error);
  if (!ok) snapshot_.reset();
  emit runningChanged();
  return ok;
}

void LiveDesk::Stop() {
  server_.Stop();
  snapshot_.reset();
  waiting_.clear();
  flush_.stop();
  emit runningChanged();
}

bool LiveDesk::FollowTournament(QString* error) {
  if (!app_.HasToernooi()) {
    Stop();
    return true;
  }
  const LiveSettings s = LiveSettings::Read(app_.Db(), app_.IdToernooi());
  if (!s.on) {
    if (Running()) Stop();
    return true;
  }
  if (Running() && server_.Port() == s.port && server_.LocalOnly() == s.localOnly) {
    // The same server, another tournament: only the documents change.
    Follow(DataChange::Structure());
    Flush();
    return true;
  }
  return Start(static_cast<quint16>(s.port), s.localOnly, error);
}

void LiveDesk::Follow(const DataChange& change) {
  if (!snapshot_) return;
  waiting_.push_back(change);
  flush_.start();
}

void LiveDesk::Flush() {
  flush_.stop();
  if (!snapshot_ || waiting_.empty() || !app_.HasToernooi()) return;
  std::vector<DataChange> changes;
  changes.swap(waiting_);
  const bool rebuild = app_.IdToernooi() != idToernooi_ ||
                       std::any_of(changes.begin(), changes.end(),
                                   [](const DataChange& c) { return c.kind == ChangeKind::kStructure; });
  if (rebuild) {
    idToernooi_ = app_.IdToernooi();
    snapshot_->Build(idToernooi_);
  } else {
    // One notice per match is enough: a burst of them asks the same.
    std::vector<DataChange> unique;
    for (const DataChange& c : changes)
      if (std::none_of(unique.begin(), unique.end(), [&](const DataChange& u) {
            return u.kind == c.kind && u.idMatch == c.idMatch && u.idPool == c.idPool;
          }))
        unique.push_back(c);
    for (const DataChange& c : unique) snapshot_->Apply(c);
  }
  Publish();
}

void LiveDesk::Publish() {
  server_.Publish(snapshot_->Documents());
  ++publishes_;
}

}  // namespace velgram
