#pragma once
// The hall's live server: phones on the hall's network read the tournament
// from it. It runs on a thread of its own and answers every request from the
// documents the desk last published, so a busy hall never waits on the desk
// and the desk never waits on the hall; it never touches the database. What a
// request gets is decided by AnswerHall(); this class only carries bytes and
// keeps every client within its limits.
#include <QString>
#include <QtGlobal>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "competition/live_snapshot.h"
#include "competition/table_entry.h"
#include "online/live_http.h"
#include "support/clock.h"

class QThread;

namespace velgram {

class LiveHttp;
struct LiveShared;

// How much one client may take of the server. The defaults are the core's
// limits; a test shortens the times.
struct LiveLimits {
  int maxConnections = static_cast<int>(kLiveMaxConnections);
  int maxRequestBytes = static_cast<int>(kLiveMaxRequestBytes);
  int maxHeaderBytes = static_cast<int>(kLiveMaxHeaderBytes);
  int requestMs = static_cast<int>(kLiveRequestSeconds) * 1000;  // from a request's first byte to its answer
  // A kept-alive connection that asks nothing for this long is closed, so
  // that phones put away do not hold places a page in use needs.
  int idleMs = 60000;
  // Answers a client has asked for but not read yet. A page reads every
  // answer; a client that only asks would make the server hold answers
  // without end.
  int maxUnsentBytes = 1 << 20;
};

class LiveServer {
 public:
  explicit LiveServer(Clock& clock = DefaultClock());
  ~LiveServer();  // stops
  LiveServer(const LiveServer&) = delete;
  LiveServer& operator=(const LiveServer&) = delete;

  // The pages compiled into the program: "/hall.js" and "/hall.css" that
  // both pages load first, "/" (index.html), "/live.js", "/live.css", and
  // the table's page "/tafel" (tafel.html), "/tafel.js",
  // "/tafel.css" when the program holds it.
  static std::map<std::string, LiveAsset> PageAssets();

  // Takes effect at the next Start.
  void SetLimits(const LiveLimits& limits) { limits_ = limits; }

  // Listens on every address of the machine, or on the loopback address only
  // when localOnly (and then refuses any other peer as well). False with the
  // reason in error when the port cannot be had.
  bool Start(quint16 port, bool localOnly, QString* error);
  // Stops listening and drops every connection at once; the thread is gone
  // when it returns.
  void Stop();
  bool Running() const { return http_ != nullptr; }
  quint16 Port() const { return port_; }
  bool LocalOnly() const { return localOnly_; }

  // The documents the next requests are answered from. Thread-safe and cheap:
  // a pointer swap.
  void Publish(std::shared_ptr<const LiveDocuments> documents);
  // Where an entry sent from a table goes: called on the server's thread
  // for each entry that passed the server's checks, so the receiver must
  // hand it on to the desk's thread. Thread-safe.
  void SetEntrySink(std::function<void(TableEntry)> sink);
  // Peers that asked anything in the last minute.
  int DevicesLastMinute() const;
  // Connections open now.
  int Connections() const;

 private:
  Clock& clock_;
  LiveLimits limits_;
  std::shared_ptr<LiveShared> shared_;
  QThread* thread_ = nullptr;
  LiveHttp* http_ = nullptr;
  quint16 port_ = 0;
  bool localOnly_ = false;
};

}  // namespace velgram
