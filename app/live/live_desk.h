#pragma once
// The desk's side of the live server: while it runs, the tournament's
// documents are kept on the desk's thread from the main window's change
// notices and published to the server, which answers the hall from them.
// Results entered at the tables come back the other way: the server hands
// each entry over, and the desk, the one writer, stores it in the queue.
#include <QObject>
#include <QString>
#include <QTimer>
#include <memory>
#include <set>
#include <vector>

#include "app/live/live_server.h"
#include "competition/changes.h"
#include "competition/live_snapshot.h"

namespace velgram {

class CVelgramApp;
class Database;

class LiveDesk : public QObject {
  Q_OBJECT
 public:
  explicit LiveDesk(CVelgramApp& app, QObject* parent = nullptr);
  ~LiveDesk() override;

  // Builds the documents of the open tournament and starts the server on
  // them; false with the reason when there is no tournament or no port.
  bool Start(quint16 port, bool localOnly, QString* error);
  void Stop();
  // What the open tournament's settings ask: running when it is on, off
  // otherwise. False with the reason when it should run but cannot.
  bool FollowTournament(QString* error);

  LiveServer& Server() { return server_; }
  bool Running() const { return server_.Running(); }

  // A change notice of the main window. Notices arriving in one turn of the
  // event loop are applied together and published once.
  void Follow(const DataChange& change);
  // An entry from a table, handed over by the server (any thread): it is
  // stored on the desk's thread, with the other entries of the same turn.
  void Receive(TableEntry entry);
  // The queue, a token or the entry settings changed: the table documents
  // are read again with the next publish.
  void TablesChanged();
  // Stores the entries received and applies the waiting notices now.
  void Flush();
  QTimer& FlushTimer() { return flush_; }
  int Publishes() const { return publishes_; }

 signals:
  void runningChanged();

 private:
  void Publish();
  void StoreEntries();

  CVelgramApp& app_;
  LiveServer server_;
  std::unique_ptr<LiveSnapshot> snapshot_;  // while running
  int idToernooi_ = -1;                     // what the snapshot was built for
  std::vector<DataChange> waiting_;
  std::vector<TableEntry> entries_;  // received, not yet stored
  bool tablesChanged_ = false;
  std::set<int> entryTables_;  // tables whose entries were stored since the last publish
  bool storing_ = false;       // the queue notice of our own storing is answered by entryTables_
  QTimer flush_;
  int publishes_ = 0;
};

}  // namespace velgram
