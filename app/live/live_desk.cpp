#include "app/live/live_desk.h"

#include <algorithm>
#include <utility>

#include "app/shell/app.h"
#include "app/shell/mainwindow.h"
#include "competition/table_entry.h"
#include "store/database.h"
#include "support/text.h"

namespace velgram {

LiveDesk::LiveDesk(CVelgramApp& app, QObject* parent) : QObject(parent), app_(app) {
  flush_.setSingleShot(true);
  flush_.setInterval(0);
  connect(&flush_, &QTimer::timeout, this, &LiveDesk::Flush);
  // The server's thread only posts the entry; the desk never waits for the
  // server, nor the server for the desk's database.
  server_.SetEntrySink([this](TableEntry entry) {
    QMetaObject::invokeMethod(
        this, [this, e = std::move(entry)]() mutable { Receive(std::move(e)); }, Qt::QueuedConnection);
  });
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
  tablesChanged_ = false;
  entryTables_.clear();
  Publish();
  const bool ok = server_.Start(port, localOnly, error);
  if (!ok) snapshot_.reset();
  emit runningChanged();
  return ok;
}

void LiveDesk::Stop() {
  server_.Stop();
  StoreEntries();  // what the devices were told was sent
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

void LiveDesk::Receive(TableEntry entry) {
  entries_.push_back(std::move(entry));
  flush_.start();
}

void LiveDesk::TablesChanged() {
  // The notice our own storing sends: only the tables it stored for change.
  if (!snapshot_ || storing_) return;
  tablesChanged_ = true;
  flush_.start();
}

void LiveDesk::StoreEntries() {
  if (entries_.empty()) return;
  std::vector<TableEntry> entries;
  entries.swap(entries_);
  // Without a tournament there is nowhere to put them; the devices keep
  // them and send them again.
  if (!app_.HasToernooi()) return;
  Database& db = app_.Db();
  const int idToernooi = app_.IdToernooi();
  const bool autoAccept = LiveSettings::Read(db, idToernooi).autoAccept;
  // The entries of one turn go to disk in one write: each keeps its own
  // checks, and a later one sees what an earlier one stored. Should that
  // write be refused, nothing of it is kept (no device was told of any of
  // them yet); they are stored one by one then, so that one entry that
  // cannot be written does not hold back the others.
  std::vector<SubmitOutcome> outcomes;
  if (entries.size() > 1) {
    Transaction tx(db);
    for (const TableEntry& entry : entries) outcomes.push_back(SubmitTableEntry(db, idToernooi, entry, autoAccept));
    if (!tx.Commit()) outcomes.clear();
  }
  if (outcomes.empty())
    for (const TableEntry& entry : entries) outcomes.push_back(SubmitTableEntry(db, idToernooi, entry, autoAccept));
  CVelgramDlg* window = app_.MainWindow();
  bool queueChanged = false;
  for (size_t i = 0; i < entries.size(); ++i) {
    const SubmitOutcome& outcome = outcomes[i];
    if (!outcome.stored || outcome.duplicate) continue;
    queueChanged = true;
    entryTables_.insert(entries[i].tafel);
    // A result stored at once is told as a result typed at the desk.
    if (outcome.resultStored) {
      if (window)
        window->NotifyDataChanged(outcome.change);
      else
        Follow(outcome.change);
    }
  }
  if (!queueChanged || !window) return;
  // The navigation's count, the notice and the queue pane; the table
  // documents follow from entryTables_ in this turn.
  storing_ = true;
  window->NotifyEntriesChanged();
  storing_ = false;
}

void LiveDesk::Flush() {
  StoreEntries();
  flush_.stop();  // what storing announced is applied below, in this turn
  std::vector<int> entryTables(entryTables_.begin(), entryTables_.end());
  entryTables_.clear();
  if (!snapshot_ || !app_.HasToernooi()) return;
  if (tablesChanged_ && waiting_.empty()) {
    tablesChanged_ = false;
    snapshot_->TablesChanged();
    Publish();
    return;
  }
  if (waiting_.empty()) {
    if (entryTables.empty()) return;
    snapshot_->EntriesChanged(entryTables);
    Publish();
    return;
  }
  const bool tables = std::exchange(tablesChanged_, false);
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
  if (tables)
    snapshot_->TablesChanged();
  else if (!rebuild && !entryTables.empty())
    snapshot_->EntriesChanged(entryTables);
  Publish();
}

void LiveDesk::Publish() {
  server_.Publish(snapshot_->Documents());
  ++publishes_;
}

}  // namespace velgram
