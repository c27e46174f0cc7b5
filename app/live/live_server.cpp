#include "app/live/live_server.h"

#include <QAbstractHttpServer>
#include <QElapsedTimer>
#include <QFile>
#include <QHttpServerRequest>
#include <QHttpServerResponder>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <functional>
#include <mutex>
#include <unordered_map>
#include <vector>

#include "online/table_http.h"

#ifdef __linux__
#include <sys/resource.h>
#endif

// The pages are compiled into the program's library; a static library keeps
// its resources only when something names them.
static void InitLivePages() { Q_INIT_RESOURCE(live); }

namespace velgram {

// What the desk's thread and the server's thread share.
struct LiveShared {
  explicit LiveShared(Clock& c) : clock(c) {}
  Clock& clock;
  std::map<std::string, LiveAsset> assets = LiveServer::PageAssets();  // read-only once made
  LiveDevices devices;
  TableTokenGuard guard;
  std::atomic<int> connections{0};

  std::shared_ptr<const LiveDocuments> Current() {
    std::lock_guard<std::mutex> lock(mutex);
    return documents;
  }
  void Set(std::shared_ptr<const LiveDocuments> d) {
    std::lock_guard<std::mutex> lock(mutex);
    documents.swap(d);
  }
  void SetSink(std::function<void(TableEntry)> s) {
    std::lock_guard<std::mutex> lock(mutex);
    sink = std::move(s);
  }
  // Hands an entry from a table to the desk (server thread).
  bool Hand(TableEntry entry) {
    std::function<void(TableEntry)> s;
    {
      std::lock_guard<std::mutex> lock(mutex);
      s = sink;
    }
    if (!s) return false;
    s(std::move(entry));
    return true;
  }

 private:
  std::mutex mutex;
  std::shared_ptr<const LiveDocuments> documents;
  std::function<void(TableEntry)> sink;
};

namespace {

// One peer address per device: an IPv4 peer reached through the dual-stack
// socket counts as its IPv4 address.
std::string PeerText(const QHostAddress& address) {
  bool v4 = false;
  quint32 ip = address.toIPv4Address(&v4);
  return (v4 ? QHostAddress(ip) : address).toString().toStdString();
}

std::string MethodText(QHttpServerRequest::Method method) {
  switch (method) {
    case QHttpServerRequest::Method::Get: return "GET";
    case QHttpServerRequest::Method::Head: return "HEAD";
    case QHttpServerRequest::Method::Post: return "POST";
    case QHttpServerRequest::Method::Put: return "PUT";
    case QHttpServerRequest::Method::Delete: return "DELETE";
    case QHttpServerRequest::Method::Options: return "OPTIONS";
    case QHttpServerRequest::Method::Patch: return "PATCH";
    case QHttpServerRequest::Method::Connect: return "CONNECT";
    case QHttpServerRequest::Method::Trace: return "TRACE";
    default: return "UNKNOWN";
  }
}

// Hands every accepted socket to the server first, so that it can count it,
// refuse it, and watch its bytes before the HTTP parser sees them.
class LiveTcpServer : public QTcpServer {
 public:
  explicit LiveTcpServer(std::function<QTcpSocket*(qintptr, QObject*)> admit) : admit_(std::move(admit)) {}

 protected:
  void incomingConnection(qintptr descriptor) override {
    if (QTcpSocket* socket = admit_(descriptor, this)) addPendingConnection(socket);
  }

 private:
  std::function<QTcpSocket*(qintptr, QObject*)> admit_;
};

}  // namespace

// Lives on the server's thread. Qt's HTTP server parses the requests; this
// class answers them through AnswerLive() and cuts every connection that
// exceeds its limits.
class LiveHttp : public QAbstractHttpServer {
 public:
  LiveHttp(std::shared_ptr<LiveShared> shared, const LiveLimits& limits, bool localOnly)
      : shared_(std::move(shared)), limits_(limits), localOnly_(localOnly) {
    clock_.start();
  }

  bool Listen(quint16 port, QString* error) {
    auto* tcp = new LiveTcpServer([this](qintptr d, QObject* parent) { return Admit(d, parent); });
    // A hall of phones reconnects at once when the server comes back; a short
    // queue would drop their first knock and keep them waiting a second.
    tcp->setListenBacklogSize(limits_.maxConnections);
    if (!tcp->listen(localOnly_ ? QHostAddress(QHostAddress::LocalHost) : QHostAddress(QHostAddress::Any), port)) {
      if (error) *error = tcp->errorString();
      delete tcp;
      return false;
    }
    bind(tcp);
    tcp_ = tcp;
    sweep_ = new QTimer(this);
    sweep_->setInterval(std::clamp(std::min(limits_.requestMs, limits_.idleMs) / 5, 10, 1000));
    connect(sweep_, &QTimer::timeout, this, [this] { Sweep(); });
    sweep_->start();
    return true;
  }

  // Stops listening and drops every connection now.
  void Shutdown() {
    if (sweep_) sweep_->stop();
    if (tcp_) tcp_->close();
    std::vector<QTcpSocket*> open;
    for (auto& [socket, c] : connections_)
      if (c.socket) open.push_back(socket);
    for (QTcpSocket* s : open) Cut(s);
    connections_.clear();
    shared_->connections = 0;
  }

 protected:
  bool handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) override {
    if (socket->bytesToWrite() > limits_.maxUnsentBytes) {
      // Cut after Qt's parser is done with the request.
      QMetaObject::invokeMethod(this, [this, s = QPointer<QTcpSocket>(socket)] {
        if (s) Cut(s);
      }, Qt::QueuedConnection);
      return true;
    }
    if (auto it = connections_.find(socket); it != connections_.end()) {
      it->second.pending = 0;
      it->second.headerEnded = false;
      it->second.tail.clear();
      it->second.lastAnswer = clock_.elapsed();
    }
    const std::string peer = PeerText(request.remoteAddress());
    const std::int64_t now = shared_->clock.NowUnix();
    shared_->devices.Seen(peer, now);
    LiveRequest asked;
    asked.method = MethodText(request.method());
    const QUrl url = request.url();
    asked.path = url.path(QUrl::FullyEncoded).toStdString();
    if (url.hasQuery()) asked.path += "?" + url.query(QUrl::FullyEncoded).toStdString();
    asked.ifNoneMatch = request.value("If-None-Match").toStdString();
    asked.cookie = request.value("Cookie").toStdString();
    asked.contentType = request.value("Content-Type").toStdString();
    asked.body = request.body().toStdString();
    asked.peer = peer;
    const std::shared_ptr<const LiveDocuments> documents = shared_->Current();
    LiveReply reply = AnswerHall(asked, documents.get(), shared_->assets, shared_->guard, now);
    if (reply.entry && !shared_->Hand(std::move(*reply.entry))) reply = TableEntryNotTaken();

    QHttpServerResponder responder = makeResponder(request, socket);
    responder.writeStatusLine(static_cast<QHttpServerResponder::StatusCode>(reply.status));
    if (!reply.contentType.empty()) responder.writeHeader("Content-Type", QByteArray::fromStdString(reply.contentType));
    responder.writeHeader("Content-Length", QByteArray::number(static_cast<qulonglong>(reply.body.size())));
    for (const auto& [name, value] : reply.headers)
      responder.writeHeader(QByteArray::fromStdString(name), QByteArray::fromStdString(value));
    responder.writeBody(reply.body.data(), static_cast<qint64>(reply.body.size()));
    return true;
  }

  void missingHandler(const QHttpServerRequest&, QTcpSocket* socket) override { Cut(socket); }

 private:
  struct Connection {
    QPointer<QTcpSocket> socket;
    qint64 pending = 0;       // bytes of the request not answered yet
    bool headerEnded = false;  // its blank line has come
    QByteArray tail;          // the last bytes seen, to find a blank line split over two reads
    qint64 since = 0;         // when its first byte came
    qint64 lastAnswer = 0;    // when it was accepted or last answered
  };

  QTcpSocket* Admit(qintptr descriptor, QObject* parent) {
    Prune();
    auto* socket = new QTcpSocket(parent);
    if (!socket->setSocketDescriptor(descriptor)) {
      delete socket;
      return nullptr;
    }
    if (static_cast<int>(connections_.size()) >= limits_.maxConnections ||
        (localOnly_ && !IsLoopbackPeer(PeerText(socket->peerAddress())))) {
      socket->abort();
      delete socket;
      return nullptr;
    }
    Connection c;
    c.socket = socket;
    c.lastAnswer = clock_.elapsed();
    connections_[socket] = c;
    shared_->connections = static_cast<int>(connections_.size());
    // Connected before the HTTP server connects its own, so this sees the
    // bytes first and can cut the connection before they are parsed.
    connect(socket, &QTcpSocket::readyRead, this, [this, socket] { Watch(socket); });
    connect(socket, &QObject::destroyed, this, [this, socket] { Forget(socket); });
    return socket;
  }

  void Watch(QTcpSocket* socket) {
    auto it = connections_.find(socket);
    if (it == connections_.end()) return;
    Connection& c = it->second;
    const qint64 fresh = socket->bytesAvailable();
    if (fresh <= 0) return;
    if (c.pending == 0) c.since = clock_.elapsed();
    if (!c.headerEnded) {
      const qint64 look = std::min<qint64>(fresh, limits_.maxHeaderBytes + 4);
      const QByteArray seen = c.tail + socket->peek(look);
      c.headerEnded = seen.contains("\n\r\n") || seen.contains("\n\n");
      c.tail = seen.right(2);
    }
    c.pending += fresh;
    if (c.pending > limits_.maxRequestBytes || (!c.headerEnded && c.pending > limits_.maxHeaderBytes)) Cut(socket);
  }

  // A request that takes too long to arrive, or a connection that has asked
  // nothing for too long, is closed.
  void Sweep() {
    const qint64 now = clock_.elapsed();
    std::vector<QTcpSocket*> late;
    for (auto& [socket, c] : connections_) {
      if (!c.socket) continue;
      if (c.pending > 0 ? now - c.since > limits_.requestMs : now - c.lastAnswer > limits_.idleMs)
        late.push_back(socket);
    }
    for (QTcpSocket* s : late) Cut(s);
    Prune();
  }

  void Cut(QTcpSocket* socket) {
    // The HTTP server must not parse what is left: its read handler goes
    // first, then the socket; its own close handler frees the request.
    QObject::disconnect(socket, &QTcpSocket::readyRead, this, nullptr);
    socket->abort();
    socket->deleteLater();
    Forget(socket);
  }

  void Forget(QTcpSocket* socket) {
    connections_.erase(socket);
    shared_->connections = static_cast<int>(connections_.size());
  }

  // Sockets Qt's parser gave up on lose their signals, the one that would
  // tell of their end among them.
  void Prune() {
    for (auto it = connections_.begin(); it != connections_.end();)
      it = it->second.socket ? std::next(it) : connections_.erase(it);
    shared_->connections = static_cast<int>(connections_.size());
  }

  std::shared_ptr<LiveShared> shared_;
  LiveLimits limits_;
  bool localOnly_;
  QElapsedTimer clock_;
  QTcpServer* tcp_ = nullptr;
  QTimer* sweep_ = nullptr;
  std::unordered_map<QTcpSocket*, Connection> connections_;
};

LiveServer::LiveServer(Clock& clock) : clock_(clock), shared_(std::make_shared<LiveShared>(clock)) {}

LiveServer::~LiveServer() { Stop(); }

std::map<std::string, LiveAsset> LiveServer::PageAssets() {
  InitLivePages();
  auto read = [](const char* name, const char* type) {
    QFile f(QStringLiteral(":/live/") + QLatin1String(name));
    f.open(QIODevice::ReadOnly);
    return LiveAsset{type, f.readAll().toStdString()};
  };
  // What both pages load first; the table's page fetches them through the
  // live routes, which any page of the hall may use.
  std::map<std::string, LiveAsset> assets = {{"/hall.js", read("hall.js", "text/javascript; charset=utf-8")},
                                             {"/hall.css", read("hall.css", "text/css; charset=utf-8")},
                                             {"/", read("index.html", "text/html; charset=utf-8")},
                                             {"/live.js", read("live.js", "text/javascript; charset=utf-8")},
                                             {"/live.css", read("live.css", "text/css; charset=utf-8")}};
  // The table's page, for entry at the tables.
  const struct { const char *path, *file, *type; } table[] = {
      {"/tafel", "tafel.html", "text/html; charset=utf-8"},
      {"/tafel.js", "tafel.js", "text/javascript; charset=utf-8"},
      {"/tafel.css", "tafel.css", "text/css; charset=utf-8"},
  };
  for (const auto& t : table)
    if (QFile::exists(QStringLiteral(":/live/") + QLatin1String(t.file))) assets[t.path] = read(t.file, t.type);
  return assets;
}

bool LiveServer::Start(quint16 port, bool localOnly, QString* error) {
  Stop();
  thread_ = new QThread;
  thread_->setObjectName(QStringLiteral("LiveServer"));
  auto* http = new LiveHttp(shared_, limits_, localOnly);
  http->moveToThread(thread_);
  QObject::connect(thread_, &QThread::finished, http, &QObject::deleteLater);
  // Below the desk's priority, as every worker of the program: when the
  // machine is busy, a phone waits a little rather than the director.
  thread_->start(QThread::LowPriority);
  bool ok = false;
  QString why;
  QMetaObject::invokeMethod(
      http,
      [&] {
#ifdef __linux__
        // Linux keeps a niceness per thread; Qt's priority leaves ordinary
        // threads as they are.
        setpriority(PRIO_PROCESS, 0, 5);
#endif
        ok = http->Listen(port, &why);
      },
      Qt::BlockingQueuedConnection);
  if (!ok) {
    thread_->quit();
    thread_->wait();
    delete thread_;
    thread_ = nullptr;
    if (error) *error = why;
    return false;
  }
  http_ = http;
  port_ = port;
  localOnly_ = localOnly;
  return true;
}

void LiveServer::Stop() {
  if (!thread_) return;
  if (http_) QMetaObject::invokeMethod(http_, [h = http_] { h->Shutdown(); }, Qt::BlockingQueuedConnection);
  // The server and its sockets go with the thread's end.
  thread_->quit();
  thread_->wait();
  delete thread_;
  thread_ = nullptr;
  http_ = nullptr;
}

void LiveServer::Publish(std::shared_ptr<const LiveDocuments> documents) { shared_->Set(std::move(documents)); }

void LiveServer::SetEntrySink(std::function<void(TableEntry)> sink) { shared_->SetSink(std::move(sink)); }

int LiveServer::DevicesLastMinute() const { return shared_->devices.Count(clock_.NowUnix()); }

int LiveServer::Connections() const { return Running() ? shared_->connections.load() : 0; }

}  // namespace velgram
