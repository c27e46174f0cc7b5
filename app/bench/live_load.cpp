// The hall under load: simulated phone pages poll the live server on
// loopback while the desk enters a result every second, through the database
// and the main window's change notice, as the director does, and the umpires'
// phones at the tables send results of their own.
//
//   live_load [--seconds 300] [--baseline-seconds S] [--pages 200]
//             [--interval-ms 2000] [--port 18190]
//             [--tables 20] [--table-interval-ms 3000]
//
// The desk loop runs in slices of 30 seconds, by turns with the server off
// (the baseline, --baseline-seconds in all) and with the server on and the
// pages polling (--seconds in all), so that both see the same machine: other
// work on it comes and goes. A 1 ms timer on the desk's thread measures the
// event loop's gaps outside the desk's own result entry in both. Every page asks for "nu" and for its
// pool's document with If-None-Match, as the pages do; a request fails when the
// connection breaks, the answer is not 200 or 304, or no answer comes within
// five seconds. Exit status 0 when no request failed, at least nine in ten of
// the expected requests were answered, and 999 in 1000 of the loop's gaps with
// the server on stayed within 16 ms; the longest stall is reported beside the
// same figure without the server, as a shared machine stalls now and then on
// its own.
//
// Each table's phone reads its table's document with its card's cookie and,
// every --table-interval-ms, sends a result for the match on its table; one
// table in ten sends every entry twice with the same entry id, as a phone
// does when an answer is lost. The desk accepts them at once. At the end every
// entry the server took must be in the queue once (no more rows than entry
// ids), accepted, and the source of its match's result; a table's request
// that fails counts as a failed request. The tables play their own pools, the
// desk types into others, so that neither replaces the other's results.
// The turns in which the desk stores entries are work the server causes: they
// count among the gaps, and are reported apart too.
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTcpSocket>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <functional>
#include <memory>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "app/live/live_desk.h"
#include "app/shell/app.h"
#include "app/shell/mainwindow.h"
#include "bench/bench_tournament.h"
#include "competition/poule.h"
#include "competition/table_entry.h"

using namespace velgram;

namespace {

struct Options {
  int seconds = 300;
  int baselineSeconds = -1;  // as long as the load phase
  int pages = 200;
  int intervalMs = 2000;
  int port = 18190;
  int tables = 20;
  int tableIntervalMs = 3000;
};

Options Parse(int argc, char** argv) {
  Options o;
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string key = argv[i];
    const int value = std::atoi(argv[i + 1]);
    if (key == "--seconds") o.seconds = value;
    if (key == "--baseline-seconds") o.baselineSeconds = value;
    if (key == "--pages") o.pages = value;
    if (key == "--interval-ms") o.intervalMs = value;
    if (key == "--port") o.port = value;
    if (key == "--tables") o.tables = value;
    if (key == "--table-interval-ms") o.tableIntervalMs = value;
  }
  if (o.baselineSeconds < 0) o.baselineSeconds = o.seconds;
  return o;
}

double Percentile(std::vector<double> v, double p) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  return v[std::min(v.size() - 1, static_cast<size_t>(p * static_cast<double>(v.size())))];
}

// An HTTP answer read from a kept-alive connection; false while incomplete.
struct Answer {
  int status = 0;
  QByteArray etag, body;
};

bool ReadAnswer(QByteArray& buffer, Answer& answer) {
  const int end = buffer.indexOf("\r\n\r\n");
  if (end < 0) return false;
  const QList<QByteArray> lines = buffer.left(end).split('\n');
  answer.status = lines.value(0).split(' ').value(1).toInt();
  qsizetype length = 0;
  answer.etag.clear();
  for (const QByteArray& line : lines) {
    const int colon = line.indexOf(':');
    if (colon < 0) continue;
    const QByteArray name = line.left(colon).trimmed().toLower();
    if (name == "content-length") length = line.mid(colon + 1).trimmed().toLongLong();
    if (name == "etag") answer.etag = line.mid(colon + 1).trimmed();
  }
  if (buffer.size() < end + 4 + length) return false;
  answer.body = buffer.mid(end + 4, length);
  buffer.remove(0, end + 4 + length);
  return true;
}

// A phone's kept-alive connection: from its offset on it beats every interval,
// sends one request at a time and times its answer. A broken connection, or
// no answer within five seconds, counts as a failure.
class Client : public QObject {
 public:
  Client(quint16 port, int intervalMs, int offsetMs, std::vector<double>& latencies, int& failures,
         std::function<void()> onBeat, std::function<void(const Answer&)> onAnswer)
      : port_(port), latencies_(latencies), failures_(failures), onBeat_(std::move(onBeat)),
        onAnswer_(std::move(onAnswer)) {
    connect(&socket_, &QTcpSocket::readyRead, this, [this] { Read(); });
    connect(&socket_, &QTcpSocket::errorOccurred, this, [this] {
      if (busy_) Fail();
    });
    beat_.setInterval(intervalMs);
    connect(&beat_, &QTimer::timeout, this, [this] { onBeat_(); });
    deadline_.setSingleShot(true);
    deadline_.setInterval(5000);
    connect(&deadline_, &QTimer::timeout, this, [this] { Fail(); });
    QTimer::singleShot(offsetMs, this, [this] {
      beat_.start();
      onBeat_();
    });
  }
  bool Busy() const { return busy_; }
  quint16 Port() const { return port_; }
  void Send(const QByteArray& request) {
    if (socket_.state() != QAbstractSocket::ConnectedState) {
      socket_.abort();
      socket_.connectToHost(QHostAddress::LocalHost, port_);
    }
    busy_ = true;
    buffer_.clear();
    sent_.start();
    deadline_.start();
    socket_.write(request);
  }
  // An answer that came but is not the one expected.
  void CountFailure() { ++failures_; }
  void Halt() {
    beat_.stop();
    deadline_.stop();
    busy_ = false;
    socket_.abort();
  }

 private:
  void Read() {
    buffer_ += socket_.readAll();
    if (!busy_) return;
    Answer answer;
    if (!ReadAnswer(buffer_, answer)) return;
    deadline_.stop();
    busy_ = false;
    latencies_.push_back(static_cast<double>(sent_.nsecsElapsed()) / 1e6);
    onAnswer_(answer);
  }
  void Fail() {
    ++failures_;
    deadline_.stop();
    busy_ = false;
    socket_.abort();
  }

  quint16 port_;
  std::vector<double>& latencies_;
  int& failures_;
  std::function<void()> onBeat_;
  std::function<void(const Answer&)> onAnswer_;
  bool busy_ = false;
  QByteArray buffer_;
  QTcpSocket socket_;
  QTimer beat_, deadline_;
  QElapsedTimer sent_;
};

// One phone page: asks for its two documents every interval, one after the
// other.
class Page {
 public:
  Page(quint16 port, std::string pool, int intervalMs, int offsetMs, const std::atomic<bool>& polling,
       std::vector<double>& latencies, int& failures)
      : polling_(polling),
        client_(port, intervalMs, offsetMs, latencies, failures, [this] { Poll(); },
                [this](const Answer& answer) { Take(answer); }) {
    names_ = {"nu", std::move(pool)};
    etags_.resize(names_.size());
  }
  void Halt() { client_.Halt(); }

 private:
  void Poll() {
    if (client_.Busy() || !polling_) return;  // the last poll is still waiting: the page would skip this beat too
    index_ = 0;
    Send();
  }
  void Send() {
    QByteArray request = "GET /data/" + QByteArray::fromStdString(names_[index_]) +
                         " HTTP/1.1\r\nHost: 127.0.0.1\r\nUser-Agent: live_load\r\n";
    if (!etags_[index_].isEmpty()) request += "If-None-Match: " + etags_[index_] + "\r\n";
    client_.Send(request + "\r\n");
  }
  void Take(const Answer& answer) {
    if ((answer.status != 200 && answer.status != 304) || (answer.status == 200 && answer.body.isEmpty())) {
      client_.CountFailure();
      return;
    }
    if (!answer.etag.isEmpty()) etags_[index_] = answer.etag;
    if (++index_ < names_.size()) Send();
  }

  const std::atomic<bool>& polling_;
  std::vector<std::string> names_;
  std::vector<QByteArray> etags_;
  size_t index_ = 0;
  Client client_;
};

// What the tables' phones sent and heard.
struct TableLog {
  std::set<std::string> taken;  // entry ids the server answered 202 to
  int posts = 0, twice = 0;     // POSTs sent; of them, repeats of an entry id
  int failures = 0;
  std::vector<double> latencies;
};

// One table's phone: its table's document, then a result for the match on the
// table that it has not sent one for yet, game by game under the match's rules
// (or in the match's own mode).
class Table {
 public:
  Table(quint16 port, const std::string& token, bool twice, int intervalMs, int offsetMs, int serial,
        const std::atomic<bool>& polling, TableLog& log)
      : cookie_("Cookie: velgram_tafel=" + QByteArray::fromStdString(token) + "\r\n"),
        twice_(twice), serial_(serial), polling_(polling), log_(log),
        client_(port, intervalMs, offsetMs, log.latencies, log.failures, [this] { Beat(); },
                [this](const Answer& answer) { Take(answer); }) {}
  void Halt() { client_.Halt(); }

 private:
  void Beat() {
    if (client_.Busy() || !polling_) return;
    posting_ = false;
    QByteArray request = "GET /tafel/data HTTP/1.1\r\nHost: 127.0.0.1\r\nUser-Agent: live_load\r\n" + cookie_;
    if (!etag_.isEmpty()) request += "If-None-Match: " + etag_ + "\r\n";
    client_.Send(request + "\r\n");
  }
  void Post() {
    ++log_.posts;
    client_.Send("POST /tafel/uitslag HTTP/1.1\r\nHost: 127.0.0.1\r\nUser-Agent: live_load\r\n" + cookie_ +
                 "Content-Type: application/json\r\nContent-Length: " + QByteArray::number(entry_.size()) +
                 "\r\n\r\n" + entry_);
  }
  void Take(const Answer& answer) {
    if (posting_) {
      if (answer.status != 202) {
        std::fprintf(stderr, "table entry answered %d: %s\n", answer.status, answer.body.constData());
        client_.CountFailure();
        return;
      }
      log_.taken.insert(entryId_);
      if (twice_ && !repeated_) {
        repeated_ = true;
        ++log_.twice;
        Post();
      }
      return;
    }
    if (answer.status == 200) {
      etag_ = answer.etag;
      now_ = QJsonDocument::fromJson(answer.body).object().value("nu").toObject();
    } else if (answer.status != 304) {
      client_.CountFailure();
      return;
    }
    const int idMatch = now_.value("id").toInt(-1);
    if (idMatch < 0 || idMatch == lastMatch_) return;  // nothing new on the table yet
    lastMatch_ = idMatch;
    entryId_ = QStringLiteral("%1").arg(++serial_, 32, 16, QLatin1Char('0')).toStdString();
    QJsonObject entry{{"entry", QString::fromStdString(entryId_)},
                      {"device", QStringLiteral("live-load-%1").arg(client_.Port())},
                      {"match", idMatch}, {"mode", now_.value("mode")}, {"decision", 0}, {"side", -1}};
    const int mode = now_.value("mode").toInt();
    if (mode == kResultSets) entry["winner"] = serial_ % 2;
    if (mode == kResultGames) {
      entry["games1"] = QString::number(now_.value("setWon").toInt());
      entry["games2"] = QStringLiteral("0");
    }
    if (mode == kResultAll) {
      // The first side wins every game, its opponent two points short.
      const int stop = now_.value("gameStop").toInt();
      QJsonArray games;
      for (int g = 0; g < now_.value("setWon").toInt(); ++g)
        games.append(QJsonArray{QString::number(stop), QString::number(stop - 2 - g % 3)});
      entry["games"] = games;
    }
    entry_ = QJsonDocument(entry).toJson(QJsonDocument::Compact);
    posting_ = true;
    repeated_ = false;
    Post();
  }

  QByteArray cookie_;
  bool twice_;
  int serial_;  // entry ids: unique across the tables
  const std::atomic<bool>& polling_;
  TableLog& log_;
  QByteArray etag_, entry_;
  QJsonObject now_;
  int lastMatch_ = -1;
  std::string entryId_;
  bool posting_ = false, repeated_ = false;
  Client client_;
};

// The pages live on a thread of their own, as the phones are elsewhere: the
// desk's loop carries only what the server asks of it.
class Hall : public QObject {
 public:
  std::vector<double> latencies;
  int failures = 0;
  std::atomic<bool> polling{false};
  std::vector<std::unique_ptr<Page>> pages;
  TableLog tableLog;
  std::vector<std::unique_ptr<Table>> tables;
};

struct Phase {
  double maxStallMs = 0;
  std::vector<double> gaps;
  std::vector<double> entryMs;
  int entries = 0;
  std::vector<double> tableTurnMs;  // gaps in which the desk stored entries from the tables
};

}  // namespace

int main(int argc, char** argv) {
  QApplication qt(argc, argv);
  const Options o = Parse(argc, argv);

  // A tournament in play: eight round robins of eight players.
  QDir dir(QDir::temp().filePath(QStringLiteral("live_load_%1").arg(QCoreApplication::applicationPid())));
  dir.mkpath(QStringLiteral("."));
  bench::QuietPrompter prompter;
  auto app = std::make_unique<CVelgramApp>(dir.filePath(QStringLiteral("Velgram.db")).toStdString());
  app->SetPrompter(&prompter);
  Database& db = app->Db();
  db.SetSetting("PouleActivateWarning", "No");
  const int t = db.AddToernooi("Open Zaalkampioenschap 2026");
  app->OpenToernooi(t);
  std::vector<int> pools;
  std::vector<std::pair<int, int>> matches;  // match, pool
  const std::string deskTables = std::to_string(o.tables + 1) + "-" + std::to_string(o.tables + 8);
  for (int c = 0; c < 4; ++c) {
    const int klasse = bench::AddClass(db, t, "Klasse " + std::to_string(c + 1));
    for (int p = 0; p < 2; ++p) {
      const int pool = bench::AddPool(db, klasse, "Poule " + std::to_string(p + 1), deskTables);
      std::vector<int> players;
      for (int i = 0; i < 8; ++i)
        players.push_back(bench::AddPlayer(db, t, "Speler " + std::to_string(c) + "-" + std::to_string(p) + "-" +
                                                      std::to_string(i),
                                           "TTV " + std::to_string(i % 5), 1500 - i * 10));
      bench::Seat(db, pool, players);
      StartPoule(db, prompter, pool);
      pools.push_back(pool);
      std::vector<MatchRecord> list;
      db.ListMatches(pool, list);
      for (const MatchRecord& m : list) matches.push_back({m.id, pool});
    }
  }
  // The tables' pools: ten players each on five tables, nine matches per table
  // and pool, enough for a result every interval for the whole run.
  constexpr int kTablesPerPool = 5;
  const int perTable = o.seconds * 1000 / std::max(1, o.tableIntervalMs) + 2;
  const int poolsPerGroup = (perTable + 8) / 9;
  const int tableClass = bench::AddClass(db, t, "Tafels");
  for (int first = 1; first <= o.tables; first += kTablesPerPool)
    for (int p = 0; p < poolsPerGroup; ++p) {
      const int last = std::min(o.tables, first + kTablesPerPool - 1);
      const int pool = bench::AddPool(db, tableClass, "Poule " + std::to_string(first) + "." + std::to_string(p + 1),
                                      std::to_string(first) + "-" + std::to_string(last));
      std::vector<int> players;
      for (int i = 0; i < 10; ++i)
        players.push_back(bench::AddPlayer(db, t, "Tafelspeler " + std::to_string(pool) + "-" + std::to_string(i),
                                           "TTV " + std::to_string(i % 5), 1500 - i * 10));
      bench::Seat(db, pool, players);
      StartPoule(db, prompter, pool);
      pools.push_back(pool);
    }
  // Entry at the tables, accepted at once when nothing is in doubt.
  LiveSettings settings = LiveSettings::Read(db, t);
  settings.tableEntry = true;
  settings.autoAccept = true;
  settings.Write(db, t);
  const std::map<int, std::string> tokens = TableTokens(db, t);
  CVelgramDlg window(*app);
  window.StartTimer().stop();
  LiveDesk& live = window.Live();

  // The desk: a result every second; the 1 ms beat notes the loop's gaps
  // between them.
  QElapsedTimer clock;
  clock.start();
  Phase* phase = nullptr;
  size_t next = 0;
  int entriesSeen = 0, entriesDone = 0;
  // Storing entries from the tables is work the server brings to the desk:
  // its turns count among the gaps, and are reported apart as well.
  int tableTurnsSeen = 0, tableTurns = 0;
  QObject::connect(&window, &CVelgramDlg::entriesChanged, [&] { ++tableTurns; });
  qint64 lastBeat = clock.nsecsElapsed();
  QTimer beat;
  beat.setTimerType(Qt::PreciseTimer);
  beat.setInterval(1);
  QObject::connect(&beat, &QTimer::timeout, [&] {
    const qint64 now = clock.nsecsElapsed();
    const double gap = static_cast<double>(now - lastBeat) / 1e6;
    if (phase && entriesSeen == entriesDone) {
      phase->gaps.push_back(gap);
      phase->maxStallMs = std::max(phase->maxStallMs, gap);
      if (tableTurnsSeen != tableTurns) phase->tableTurnMs.push_back(gap);
    }
    entriesSeen = entriesDone;
    tableTurnsSeen = tableTurns;
    lastBeat = now;
  });
  QTimer entry;
  entry.setInterval(1000);
  QObject::connect(&entry, &QTimer::timeout, [&] {
    QElapsedTimer took;
    took.start();
    const auto [idMatch, idPool] = matches[next % matches.size()];
    const int winner = static_cast<int>((next / matches.size() + next) % 2);
    ++next;
    db.RecordResult(idMatch, winner, {}, false);
    window.NotifyDataChanged(DataChange::Result(idMatch, idPool));
    live.Flush();  // the notice's Apply and Publish belong to the entry
    if (phase) {
      phase->entryMs.push_back(static_cast<double>(took.nsecsElapsed()) / 1e6);
      ++phase->entries;
    }
    ++entriesDone;
  });
  beat.start();
  entry.start();
  auto run = [&](Phase& p, int seconds) {
    phase = &p;
    entriesSeen = -1;  // the first gap spans the switch between slices
    QEventLoop loop;
    QTimer::singleShot(seconds * 1000, &loop, &QEventLoop::quit);
    loop.exec();
    phase = nullptr;
  };

  QThread hallThread;
  Hall hall;
  hall.moveToThread(&hallThread);
  hallThread.start();
  QMetaObject::invokeMethod(
      &hall,
      [&] {
        std::mt19937 rng(7);
        for (int i = 0; i < o.pages; ++i)
          hall.pages.push_back(std::make_unique<Page>(
              static_cast<quint16>(o.port), "poule/" + std::to_string(pools[static_cast<size_t>(i) % pools.size()]),
              o.intervalMs, static_cast<int>(rng() % static_cast<unsigned>(o.intervalMs)), hall.polling,
              hall.latencies, hall.failures));
        for (int n = 1; n <= o.tables; ++n) {
          const auto token = tokens.find(n);
          hall.tables.push_back(std::make_unique<Table>(
              static_cast<quint16>(o.port), token == tokens.end() ? "" : token->second, n % 10 == 0,
              o.tableIntervalMs, static_cast<int>(rng() % static_cast<unsigned>(o.tableIntervalMs)), n * 1000000,
              hall.polling, hall.tableLog));
        }
      },
      Qt::BlockingQueuedConnection);

  Phase baseline, loaded;
  int devices = 0;
  constexpr int kSlice = 30;
  for (int off = o.baselineSeconds, on = o.seconds; off > 0 || on > 0;) {
    if (off > 0) {
      run(baseline, std::min(kSlice, off));
      off -= std::min(kSlice, off);
    }
    if (on > 0) {
      QString why;
      if (!live.Start(static_cast<quint16>(o.port), true, &why)) {
        std::fprintf(stderr, "server did not start on port %d: %s\n", o.port, qPrintable(why));
        return 2;
      }
      hall.polling = true;
      run(loaded, std::min(kSlice, on));
      on -= std::min(kSlice, on);
      // The pages finish what they asked before the server goes.
      hall.polling = false;
      devices = std::max(devices, live.Server().DevicesLastMinute());
      QEventLoop settle;
      QTimer::singleShot(500, &settle, &QEventLoop::quit);
      settle.exec();
      live.Stop();
    }
  }
  QMetaObject::invokeMethod(
      &hall,
      [&] {
        for (auto& page : hall.pages) page->Halt();
        hall.pages.clear();
        for (auto& table : hall.tables) table->Halt();
        hall.tables.clear();
      },
      Qt::BlockingQueuedConnection);
  hallThread.quit();
  hallThread.wait();
  live.Stop();

  // Nothing lost, nothing stored twice: the queue holds each entry the server
  // took once, and each is accepted and the source of its match's result.
  const TableLog& tablesSent = hall.tableLog;
  const std::vector<QueuedEntry> queue = ListTableEntries(db, t, false);
  std::set<std::string> queued;
  int accepted = 0, sourced = 0;
  for (const QueuedEntry& q : queue) {
    queued.insert(q.entry.entryId);
    if (q.status != EntryStatus::kAccepted) {
      std::fprintf(stderr, "entry %s for match %d not accepted: %s\n", q.entry.entryId.c_str(), q.entry.idMatch,
                   q.reason.c_str());
      continue;
    }
    ++accepted;
    ResultSource source;
    if (ResultSourceOf(db, q.entry.idMatch, source) && source.idEntry == q.id) ++sourced;
  }
  const bool tablesOk = tablesSent.failures == 0 && (o.tables == 0 || !tablesSent.taken.empty()) &&
                        queued == tablesSent.taken &&
                        queue.size() == tablesSent.taken.size() && accepted == static_cast<int>(queue.size()) &&
                        sourced == accepted;

  const double expected = static_cast<double>(o.pages) * 2 * o.seconds * 1000.0 / o.intervalMs;
  const double answered = static_cast<double>(hall.latencies.size());
  std::printf("pages %d, polling every %d ms, %d s with the server and %d s without, by turns\n", o.pages, o.intervalMs,
              o.seconds, o.baselineSeconds);
  std::printf("requests answered %.0f of about %.0f expected, failed %d, devices seen %d\n", answered, expected,
              hall.failures, devices);
  std::printf("answer time ms: median %.2f, 99th percentile %.2f, max %.2f\n", Percentile(hall.latencies, 0.5),
              Percentile(hall.latencies, 0.99), Percentile(hall.latencies, 1.0));
  std::printf("tables %d, a result every %d ms: %d entries sent (%d of them again with the same id), %zu taken, "
              "failed %d; queue rows %zu, accepted %d, results from their entry %d; table answer ms: median %.2f, "
              "max %.2f\n",
              o.tables, o.tableIntervalMs, tablesSent.posts - tablesSent.twice, tablesSent.twice,
              tablesSent.taken.size(), tablesSent.failures, queue.size(), accepted, sourced,
              Percentile(tablesSent.latencies, 0.5), Percentile(tablesSent.latencies, 1.0));
  for (const auto& [name, p] : {std::pair<const char*, Phase*>{"server off", &baseline}, {"server on ", &loaded}})
    std::printf("desk loop, %s: longest stall %.2f ms, 99.9th percentile gap %.2f ms, gaps over 16 ms %ld; "
                "%d entries, entry median %.2f ms, max %.2f ms\n",
                name, p->maxStallMs, Percentile(p->gaps, 0.999), static_cast<long>(std::count_if(
                    p->gaps.begin(), p->gaps.end(), [](double g) { return g > 16.0; })),
                p->entries, Percentile(p->entryMs, 0.5), Percentile(p->entryMs, 1.0));
  std::printf("desk loop, turns storing entries from the tables: %zu, median %.2f ms, max %.2f ms\n",
              loaded.tableTurnMs.size(), Percentile(loaded.tableTurnMs, 0.5), Percentile(loaded.tableTurnMs, 1.0));
  std::printf("ratio server on / off: longest stall %.2f, 99.9th percentile gap %.2f\n",
              loaded.maxStallMs / std::max(0.001, baseline.maxStallMs),
              Percentile(loaded.gaps, 0.999) / std::max(0.001, Percentile(baseline.gaps, 0.999)));
  window.close();
  app.reset();
  dir.removeRecursively();
  const bool ok = hall.failures == 0 && answered >= 0.9 * expected && Percentile(loaded.gaps, 0.999) <= 16.0 &&
                  tablesOk;
  std::printf("%s\n", ok ? "ok" : "FAILED");
  return ok ? 0 : 1;
}
