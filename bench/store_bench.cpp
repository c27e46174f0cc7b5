// What grouping writes into one transaction buys: a tournament's entry list
// and its played matches, written once with a commit per operation and once
// with one commit for everything, on a real database file.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "common/fakes.h"
#include "store/database.h"

namespace {

using velgram::Database;

constexpr int kPlayers = 2000;
constexpr int kMatches = 2000;

double g_secondsSingle = 0;
double g_secondsGrouped = 0;

void WriteTournament(Database& db) {
  int toernooi = db.AddToernooi("Benchmark");
  for (int i = 0; i < kPlayers; ++i) {
    velgram::PlayerRecord p;
    p.name = "Speler " + std::to_string(i);
    p.rating = 1000 + i % 900;
    p.klasse = "A";
    db.AddPlayer(p, toernooi);
  }
  velgram::SystemRecord s;
  s.name = "Heren";
  db.AddSystem(s, toernooi);
  std::vector<velgram::SystemRecord> classes;
  db.ListSystems(classes, toernooi);
  velgram::PoolRecord pool;
  pool.name = "Poule 1";
  int idPool = db.AddPool(pool, classes.at(0).id);
  for (int i = 0; i < kMatches; ++i) {
    int id = db.AddMatch(idPool, i % kPlayers + 1, (i + 1) % kPlayers + 1, i % 12 + 1, 900);
    db.RecordResult(id, i % 2, {8, -5, 3, i % 2 ? -9 : 10}, true);
  }
}

void Run(benchmark::State& state, bool grouped, double& seconds) {
  double total = 0;
  int64_t runs = 0;
  for (auto _ : state) {
    state.PauseTiming();
    auto dir = std::make_unique<velgram::testing::TempDir>();
    velgram::testing::FakeClock clock;
    auto db = std::make_unique<Database>(dir->File("Velgram.db"), clock);
    state.ResumeTiming();

    auto start = std::chrono::steady_clock::now();
    if (grouped) {
      velgram::Transaction tx(*db);
      WriteTournament(*db);
      tx.Commit();
    } else {
      WriteTournament(*db);
    }
    total += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    ++runs;

    state.PauseTiming();
    db.reset();
    dir.reset();
    state.ResumeTiming();
  }
  seconds = total / static_cast<double>(runs);
  state.counters["players"] = kPlayers;
  state.counters["matches"] = kMatches;
  state.counters["writes_per_s"] =
      benchmark::Counter(static_cast<double>(kPlayers + kMatches) * static_cast<double>(runs),
                         benchmark::Counter::kIsRate);
}

void BM_CommitPerOperation(benchmark::State& state) { Run(state, false, g_secondsSingle); }
void BM_OneTransaction(benchmark::State& state) { Run(state, true, g_secondsGrouped); }

BENCHMARK(BM_CommitPerOperation)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();
BENCHMARK(BM_OneTransaction)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  if (g_secondsSingle > 0 && g_secondsGrouped > 0)
    std::printf("commit per operation %.1f ms, one transaction %.1f ms: %.1fx faster in one transaction\n",
                g_secondsSingle * 1000, g_secondsGrouped * 1000, g_secondsSingle / g_secondsGrouped);
  return 0;
}
