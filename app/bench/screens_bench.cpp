// A result entered at a big tournament, measured against SQLite's own step
// interface reading the tournament (matches, results, pools, positions and
// players) on a second connection in the same run: the double click until the
// result dialog shows, the OK until the round-robin pane, the matches pane and
// the hall display all show the new result, and the matches pane's full
// refresh. Tournaments of 200, 2,000, 5,000 and 20,000 matches, and one of
// 2,000 among 20 of that size in one file (argument -2000). Each fixture is
// built once per process: the large ones take a while.
//
// Every case reports, beside Google Benchmark's own figures, the median CPU
// time of the measuring thread per step ("ms"), that of the raw read ("raw_ms")
// and their ratio ("x_raw").
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <time.h>

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/display/fly_hall.h"
#include "app/panes/pane_matches.h"
#include "app/panes/pane_poule.h"
#include "app/results/dlg_result_fast.h"
#include "app/shell/app.h"
#include "bench/bench_tournament.h"
#include "competition/changes.h"
#include "competition/match_rules.h"
#include "competition/matchbook.h"
#include "store/database.h"
#include "store/recordset.h"
#include "support/clock.h"
#include "support/prompt.h"
#include "support/text.h"

namespace velgram {
namespace {

double ThreadMs() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

double Median(std::vector<double> v) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

constexpr int kPlayersPerPool = 6;  // 15 matches a pool
constexpr int kPoolsPerClass = 20;

// Rows written straight into the tables, many to a statement: the fixtures
// must be affordable at 62,000 matches.
class Batch {
 public:
  Batch(Database& db, std::string head) : db_(db), head_(std::move(head)) {}
  ~Batch() { Flush(); }
  void Add(const std::string& values) {
    sql_ += (sql_.empty() ? head_ : ",") + values;
    if (++n_ == 400) Flush();
  }
  void Flush() {
    if (!sql_.empty()) db_.ExecText(nullptr, sql_);
    sql_.clear();
    n_ = 0;
  }

 private:
  Database& db_;
  std::string head_, sql_;
  int n_ = 0;
};

// Round-robin pools of six in classes of twenty pools; every other match has
// a result. Returns the tournament id; target gets an open match of a pool in
// the middle.
int BuildTournament(Database& db, const std::string& name, int nrMatches, int& target) {
  const int t = db.AddToernooi(name);
  Transaction tx(db);
  std::string rs;
  auto next = [&](const char* table) {
    db.ExecText(&rs, Format("SELECT MAX(id) AS m FROM %s", table));
    RecordSet r(rs);
    return r.First() ? std::max(0, r.Int("m")) + 1 : 1;
  };
  int idPlayer = next("PlayersMain"), idContestant = next("Contestants"), idMatch = next("Matches");
  std::vector<int> clubs;
  for (int c = 0; c < 30; ++c) clubs.push_back(db.GetOrAddClub("TTV " + std::to_string(c)));
  {
    Batch players(db, "INSERT INTO PlayersMain (id,name,idClub,bondsnummer,gender,email) VALUES ");
    Batch entries(db, "INSERT INTO PlayersToernooi (idPlayer,idToernooi,rating,klasse) VALUES ");
    Batch seats(db, "INSERT INTO Contestants (id,idPool,poolPos,indexKlasse,sort,linktype,idLinkedPool,idPlayer) VALUES ");
    Batch matches(db, "INSERT INTO Matches (id,idPool,idContestant1,idContestant2,tafel,starttime) VALUES ");
    Batch winners(db, "INSERT INTO ResultWinner (idMatch,indexWinner,isodate,isotime,isofraction) VALUES ");
    Batch games(db, "INSERT INTO ResultGames (idMatch,game,result) VALUES ");
    int made = 0, idClass = -1;
    for (int p = 0; made < nrMatches; ++p) {
      if (p % kPoolsPerClass == 0) idClass = bench::AddClass(db, t, "Klasse " + std::to_string(p / kPoolsPerClass + 1));
      const int idPool = bench::AddPool(db, idClass, "Poule " + std::to_string(p % kPoolsPerClass + 1), "1-12",
                                        kPlaystylePoule, "", 900, 2200);
      std::vector<int> seat;
      for (int s = 0; s < kPlayersPerPool; ++s, ++idPlayer, ++idContestant) {
        players.Add(Format("(%d,'Speler %d %d',%d,'%d',0,'')", idPlayer, t, idPlayer, clubs[idPlayer % 30], idPlayer));
        entries.Add(Format("(%d,%d,%d,'%c')", idPlayer, t, 1000 + idPlayer % 900, 'A' + p % 4));
        seats.Add(Format("(%d,%d,%d,0,%d,1,0,%d)", idContestant, idPool, s + 1, s, idPlayer));
        seat.push_back(idContestant);
      }
      for (int a = 0; a < kPlayersPerPool && made < nrMatches; ++a)
        for (int b = a + 1; b < kPlayersPerPool && made < nrMatches; ++b, ++made, ++idMatch) {
          matches.Add(Format("(%d,%d,%d,%d,%d,%d)", idMatch, idPool, seat[a], seat[b], 1 + made % 12,
                             900 + (made / 12) % 13 * 100 + made % 6 * 10));
          if (made % 2) {
            winners.Add(Format("(%d,0,20261207,101010,0)", idMatch));
            for (int g = 0; g < 3; ++g) games.Add(Format("(%d,%d,%d)", idMatch, g, 8 + g));
          } else if (made / 15 == nrMatches / 30 && target < 0) {
            target = idMatch;
          }
        }
    }
  }
  tx.Commit();
  return t;
}

// SQLite's step interface reading what the match book reads, on a second
// connection.
class RawReader {
 public:
  explicit RawReader(const std::string& path) { sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READONLY, nullptr); }
  ~RawReader() { sqlite3_close(db_); }
  long long Read(int idToernooi) {
    const std::string t = std::to_string(idToernooi);
    const std::string pools = "SELECT Pools.id FROM Pools,Systems WHERE Pools.idSystem=Systems.id AND Systems.idToernooi=" + t;
    const std::string matches = "SELECT Matches.id FROM Matches WHERE idPool IN (" + pools + ")";
    long long sum = 0;
    for (const std::string& sql : {
             "SELECT Matches.*,Pools.name AS poolname,Systems.name as systemname FROM Matches,Pools,Systems WHERE "
             "Matches.idPool=Pools.id AND Pools.idSystem=Systems.id AND Systems.idToernooi=" + t + " ORDER BY id",
             "SELECT idMatch,indexWinner,isodate,isotime,isofraction FROM ResultWinner WHERE idMatch IN (" + matches + ")",
             "SELECT idMatch,game,result FROM ResultGames WHERE idMatch IN (" + matches + ")",
             "SELECT Pools.* FROM Pools,Systems WHERE Pools.idSystem=Systems.id AND Systems.idToernooi=" + t,
             "SELECT * FROM Contestants WHERE idPool IN (" + pools + ")",
             "select PlayersMain.*,PlayersToernooi.rating,PlayersToernooi.klasse FROM PlayersMain,PlayersToernooi "
             "WHERE PlayersMain.id=PlayersToernooi.idPlayer AND idToernooi=" + t}) {
      sqlite3_stmt* st = nullptr;
      sqlite3_prepare_v2(db_, sql.c_str(), -1, &st, nullptr);
      while (sqlite3_step(st) == SQLITE_ROW) {
        for (int c = 0; c < sqlite3_column_count(st); ++c) {
          const unsigned char* text = sqlite3_column_text(st, c);
          sum += text ? text[0] : 0;
        }
      }
      sqlite3_finalize(st);
    }
    return sum;
  }

 private:
  sqlite3* db_ = nullptr;
};

// One file with its tournaments, the open screens and the match to enter.
struct Fixture {
  explicit Fixture(int arg) {
    app = std::make_unique<CVelgramApp>(QDir(dir.path()).filePath("Velgram.db").toStdString());
    app->SetPrompter(&prompter);
    const int matches = std::abs(arg);
    const int tournaments = arg < 0 ? 20 : 1;
    for (int k = 0; k < tournaments; ++k) {
      int target = -1;
      int t = BuildTournament(app->Db(), "Toernooi " + std::to_string(k + 1), matches, target);
      // Among many, one in the middle of the file.
      if (k == tournaments / 2) {
        idToernooi = t;
        idMatch = target;
      }
    }
    Database& db = app->Db();
    MatchRecord m;
    db.GetMatch(m, idMatch);
    idPool = m.idPool;
    app->OpenToernooi(idToernooi);
    const std::string t = std::to_string(idToernooi);
    db.SetSetting("MatchesTimes" + t, "1");
    db.SetSetting("MatchesTables" + t, "1");
    db.SetSetting("PaneMatchesSortColumn" + t, "1");
    raw = std::make_unique<RawReader>(db.Path());
  }
  // The screens open during play; closed again by each case, before the
  // application goes.
  void OpenScreens() {
    matchesPane = std::make_unique<LPaneMatches>(*app);
    matchesPane->resize(1200, 700);
    matchesPane->show();
    matchesPane->Refresh();
    poulePane = std::make_unique<LPanePoule>(*app, idPool);
    poulePane->resize(1200, 700);
    poulePane->show();
    poulePane->Refresh();
    hall = std::make_unique<LFlyHallDisplay>(*app, DefaultClock());
    hall->resize(1280, 720);
    hall->Reload();
  }
  double RawMs() {
    std::vector<double> times;
    for (int i = 0; i < 5; ++i) {
      const double start = ThreadMs();
      benchmark::DoNotOptimize(raw->Read(idToernooi));
      times.push_back(ThreadMs() - start);
    }
    return Median(times);
  }

  QTemporaryDir dir;
  bench::QuietPrompter prompter;
  std::unique_ptr<CVelgramApp> app;
  int idToernooi = -1, idMatch = -1, idPool = -1;
  std::unique_ptr<RawReader> raw;
  std::unique_ptr<LPaneMatches> matchesPane;
  std::unique_ptr<LPanePoule> poulePane;
  std::unique_ptr<LFlyHallDisplay> hall;
};

struct Screens {
  explicit Screens(Fixture& f) : f(f) { f.OpenScreens(); }
  ~Screens() {
    f.hall.reset();
    f.poulePane.reset();
    f.matchesPane.reset();
  }
  Fixture& f;
};

Fixture& Get(int arg) {
  static std::map<int, std::unique_ptr<Fixture>> fixtures;
  std::unique_ptr<Fixture>& f = fixtures[arg];
  if (!f) f = std::make_unique<Fixture>(arg);
  return *f;
}

void Report(benchmark::State& state, Fixture& f, const std::vector<double>& times) {
  const double ms = Median(times), raw = f.RawMs();
  state.counters["ms"] = ms;
  state.counters["raw_ms"] = raw;
  state.counters["x_raw"] = raw > 0 ? ms / raw : 0;
}

// The double click: the pool's rules, the match still there, and the
// game-by-game dialog loaded and shown.
void BM_DoubleClickToDialog(benchmark::State& state) {
  Fixture& f = Get(static_cast<int>(state.range(0)));
  Database& db = f.app->Db();
  std::vector<double> times;
  for (auto _ : state) {
    const double start = ThreadMs();
    const int idMatchSystem = EffectiveMatchSystemId(db, f.idPool);
    if (!MatchExists(db, f.idMatch)) state.SkipWithError("the match is gone");
    LDlgResultFast dlg(*f.app, f.idMatch, idMatchSystem);
    if (!dlg.Load()) state.SkipWithError("the dialog did not load");
    dlg.show();
    benchmark::DoNotOptimize(dlg.ShownGames());
    dlg.hide();
    times.push_back(ThreadMs() - start);
  }
  Report(state, f, times);
}

// OK: the result stored, and the three open screens following the notice.
// The match is decided and cleared in turn, so that it leaves the list of
// open matches and comes back.
void BM_OkToAllScreens(benchmark::State& state) {
  Fixture& f = Get(static_cast<int>(state.range(0)));
  Screens screens(f);
  Database& db = f.app->Db();
  const ResultDecision decision = DecideGameTexts(DefaultMatchSystem(), {{"11", "7"}, {"11", "9"}, {"11", "5"}});
  std::vector<double> times, parts[4];
  bool decided = false;
  for (auto _ : state) {
    const double start = ThreadMs();
    const bool ok = decided ? ClearStoredResult(db, f.prompter, f.idMatch) : StoreResult(db, f.prompter, f.idMatch, decision);
    if (!ok) state.SkipWithError("nothing stored");
    decided = !decided;
    const DataChange change = DataChange::Result(f.idMatch, f.idPool);
    const double stored = ThreadMs();
    f.poulePane->Follow(change);
    const double poule = ThreadMs();
    f.matchesPane->Follow(change);
    const double matches = ThreadMs();
    f.hall->Follow(change);
    const double end = ThreadMs();
    times.push_back(end - start);
    parts[0].push_back(stored - start);
    parts[1].push_back(poule - stored);
    parts[2].push_back(matches - poule);
    parts[3].push_back(end - matches);
  }
  // Where the time goes: the store, then each screen.
  const char* names[] = {"store_ms", "poule_ms", "pane_ms", "hall_ms"};
  for (int k = 0; k < 4; ++k) state.counters[names[k]] = Median(parts[k]);
  // What the three show must be the result.
  const bool open = f.matchesPane->Grid()->FindRowData(f.idMatch) >= 0;
  if (open == decided) state.SkipWithError("the matches pane did not follow");
  Report(state, f, times);
}

void BM_MatchesPaneRefresh(benchmark::State& state) {
  Fixture& f = Get(static_cast<int>(state.range(0)));
  Screens screens(f);
  std::vector<double> times;
  for (auto _ : state) {
    const double start = ThreadMs();
    f.matchesPane->Refresh();
    benchmark::DoNotOptimize(f.matchesPane->Grid()->RowCount());
    times.push_back(ThreadMs() - start);
  }
  state.counters["rows"] = f.matchesPane->Grid()->RowCount();
  Report(state, f, times);
}

// What the full refresh is made of: the book filled (reads and names), and
// the same rows read through the record sets alone.
void BM_BookFill(benchmark::State& state) {
  Fixture& f = Get(static_cast<int>(state.range(0)));
  std::vector<double> times;
  for (auto _ : state) {
    const double start = ThreadMs();
    MatchBook book(f.app->Db());
    book.FillToernooi(f.idToernooi);
    benchmark::DoNotOptimize(book.Matches().size());
    times.push_back(ThreadMs() - start);
  }
  Report(state, f, times);
}

void BM_RecordSetRead(benchmark::State& state) {
  Fixture& f = Get(static_cast<int>(state.range(0)));
  Database& db = f.app->Db();
  std::vector<double> times;
  for (auto _ : state) {
    const double start = ThreadMs();
    std::vector<MatchRecord> matches;
    db.ListMatchesOfToernooi(f.idToernooi, matches);
    db.ReadResults(matches);
    std::vector<PoolRecord> pools;
    db.ListPoolsOfToernooi(f.idToernooi, pools);
    std::vector<ContestantRecord> seats;
    db.ListContestantsOfToernooi(f.idToernooi, seats);
    std::vector<PlayerRecord> players;
    db.ListPlayers(players, f.idToernooi);
    benchmark::DoNotOptimize(players.size());
    times.push_back(ThreadMs() - start);
  }
  Report(state, f, times);
}

void BM_RawRead(benchmark::State& state) {
  Fixture& f = Get(static_cast<int>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(f.raw->Read(f.idToernooi));
}

#define SIZES ->Arg(200)->Arg(2000)->Arg(5000)->Arg(20000)->Arg(-2000)->Unit(benchmark::kMillisecond)
BENCHMARK(BM_RawRead) SIZES;
BENCHMARK(BM_DoubleClickToDialog) SIZES;
BENCHMARK(BM_OkToAllScreens) SIZES;
BENCHMARK(BM_MatchesPaneRefresh) SIZES;
BENCHMARK(BM_BookFill)->Arg(5000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RecordSetRead)->Arg(5000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace velgram
