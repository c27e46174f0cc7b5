// Swiss pairing of large fields and the throughput and memory of the
// improvement search.
//
//   swiss_bench                          all benchmarks
//   VELGRAM_SHUFFLE_SECONDS=60 swiss_bench --benchmark_filter=Shuffle
//
// The improvement search runs for VELGRAM_SHUFFLE_SECONDS (default 10) on its
// worker thread, as the dialog runs it.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <set>
#include <thread>

#include "common/fakes.h"
#include "competition/improve.h"
#include "competition/simulate.h"
#include "competition/swiss.h"
#include "support/random.h"

namespace velgram {
namespace {

// A field of n players after `rounds` rounds paired by the engine itself and
// played out with weighted simulated results.
struct Event {
  std::vector<Contestant> field;
  std::vector<MatchEntry> matches;
  std::vector<RoundEntry> rounds;
};

Event PlayedEvent(int n, int rounds) {
  Event e;
  StdRandom ratings(n);
  for (int i = 1; i <= n; ++i) {
    Contestant c;
    c.id = i;
    c.poolPos = i;
    c.rating = 800 + ratings.Next() % 1400;
    e.field.push_back(c);
  }
  StdRandom results(7 * n + rounds);
  int nextMatch = 0;
  for (int r = 1; r <= rounds; ++r) {
    LSwiss s;
    s.SetData(e.field, e.matches, e.rounds);
    s.border = 5;
    if (!s.PairCards()) break;
    std::set<int> done;
    for (const LCard& c : s.cards) {
      if (c.partner < 0 || done.count(c.contestantId)) continue;
      done.insert(c.partner);
      MatchEntry m;
      m.id = ++nextMatch;
      m.idContestant1 = c.contestantId;
      m.idContestant2 = c.partner;
      m.indexWinner = SimulatedWinner(SimMode::kWeighted, e.field[c.contestantId - 1].rating,
                                      e.field[c.partner - 1].rating, results);
      e.matches.push_back(m);
      e.rounds.push_back({m.id, r, m.id});
    }
  }
  return e;
}

void BM_PairRound(benchmark::State& state) {
  const int players = static_cast<int>(state.range(0));
  const int round = static_cast<int>(state.range(1));
  Event e = PlayedEvent(players, round - 1);
  bool ok = true;
  for (auto _ : state) {
    LSwiss s;
    s.SetData(e.field, e.matches, e.rounds);
    s.border = 5;
    ok = s.PairCards() && ok;
    benchmark::DoNotOptimize(s.cards.data());
  }
  if (!ok) state.SkipWithError("no pairing");
  state.counters["matches_before"] = static_cast<double>(e.matches.size());
}
BENCHMARK(BM_PairRound)
    ->ArgNames({"players", "round"})
    ->Args({50, 1})
    ->Args({50, 7})
    ->Args({200, 1})
    ->Args({200, 7})
    ->Args({1000, 1})
    ->Args({1000, 7})
    ->Unit(benchmark::kMicrosecond);

void BM_CostOfOnePairing(benchmark::State& state) {
  Event e = PlayedEvent(100, 6);
  LSwiss s;
  s.SetData(e.field, e.matches, e.rounds);
  s.border = 5;
  s.PairCards();
  PairingCost cost(s.cards, s.matches);
  Pairing p = PairingOfCards(s.cards);
  for (auto _ : state) benchmark::DoNotOptimize(cost(p));
}
BENCHMARK(BM_CostOfOnePairing);

// Candidates per CPU second of the search itself, on the measuring thread:
// after round 1 most draws are free of rematches and get their cost computed;
// after round 6 most are skipped for a rematch.
void BM_ShuffleCandidates100(benchmark::State& state) {
  Event e = PlayedEvent(100, static_cast<int>(state.range(0)));
  LSwiss s;
  s.SetData(e.field, e.matches, e.rounds);
  s.border = 5;
  s.PairCards();
  SystemClock clock;
  ShuffleEngine engine(s.cards, s.matches, clock, std::make_unique<StdRandom>(), 12345);
  const int64_t batch = 10000;
  for (auto _ : state) engine.RunCandidates(batch);
  state.SetItemsProcessed(state.iterations() * batch);
  state.counters["distinct_share"] =
      static_cast<double>(engine.Snapshot().seenCount) / static_cast<double>(batch);
}
BENCHMARK(BM_ShuffleCandidates100)->ArgName("rounds_played")->Arg(1)->Arg(6)->Unit(benchmark::kMillisecond);

void BM_ShuffleSearch100(benchmark::State& state) {
  const char* env = std::getenv("VELGRAM_SHUFFLE_SECONDS");
  const int seconds = env && std::atoi(env) > 0 ? std::atoi(env) : 10;
  Event e = PlayedEvent(100, 6);
  LSwiss s;
  s.SetData(e.field, e.matches, e.rounds);
  s.border = 5;
  s.PairCards();
  SystemClock clock;
  ShuffleSnapshot snap;
  for (auto _ : state) {
    ShuffleEngine engine(s.cards, s.matches, clock, std::make_unique<StdRandom>(),
                         ShuffleEngine::SeedFromClock(clock));
    auto start = std::chrono::steady_clock::now();
    engine.Start();
    std::this_thread::sleep_for(std::chrono::seconds(seconds));
    engine.Stop();
    double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    snap = engine.Snapshot();
    state.counters["candidates_per_s"] = static_cast<double>(snap.shuffleCount) / elapsed;
  }
  state.counters["seconds"] = seconds;
  state.counters["candidates"] = static_cast<double>(snap.shuffleCount);
  state.counters["distinct"] = static_cast<double>(snap.seenCount);
  state.counters["seen_MiB"] = static_cast<double>(snap.seenBytes) / (1024.0 * 1024.0);
  state.counters["initial"] = snap.initialValue;
  state.counters["best"] = snap.bestValue;
}
BENCHMARK(BM_ShuffleSearch100)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace velgram

BENCHMARK_MAIN();
