// The live pages' snapshot on a tournament of about 5,000 matches: following
// one result (what the desk's thread pays for every result while the server
// runs) against building every document anew.
#include <benchmark/benchmark.h>

#include "bench/bench_ratio.h"
#include "bench/big_event.h"
#include "competition/live_snapshot.h"

namespace velgram {
namespace {

using bench::Big;
using Tournament = bench::BigEvent;

void BM_LiveBuild(benchmark::State& state) {
  Tournament& t = Big();
  size_t docs = 0, bytes = 0, nu = 0;
  for (auto _ : state) {
    LiveSnapshot live(*t.db);
    live.Build(t.toernooi);
    docs = live.Documents()->byName.size();
    bytes = 0;
    for (const auto& [name, doc] : live.Documents()->byName) bytes += doc->json.size();
    nu = live.Documents()->byName.at("nu")->json.size();
  }
  state.counters["matches"] = static_cast<double>(t.matches);
  state.counters["documents"] = static_cast<double>(docs);
  state.counters["kB"] = static_cast<double>(bytes) / 1000;
  state.counters["nu kB"] = static_cast<double>(nu) / 1000;
}
BENCHMARK(BM_LiveBuild)->Unit(benchmark::kMillisecond);

// A result entered and taken back in turn; only the notice is timed, not the
// write of the result.
void BM_LiveApplyResult(benchmark::State& state) {
  Tournament& t = Big();
  LiveSnapshot live(*t.db);
  live.Build(t.toernooi);
  bool entered = false;
  size_t changed = 0;
  for (auto _ : state) {
    state.PauseTiming();
    entered = !entered;
    if (entered)
      t.db->RecordResult(t.openMatch, 0, {}, false);
    else
      t.db->ClearResult(t.openMatch);
    const auto before = live.Documents();
    state.ResumeTiming();
    live.Apply(DataChange::Result(t.openMatch));
    state.PauseTiming();
    changed = 0;
    for (const auto& [name, doc] : live.Documents()->byName)
      if (before->byName.at(name) != doc) ++changed;
    state.ResumeTiming();
  }
  if (entered) t.db->ClearResult(t.openMatch);
  state.counters["documents changed"] = static_cast<double>(changed);
}
BENCHMARK(BM_LiveApplyResult)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace velgram

int main(int argc, char** argv) {
  return velgram::bench::RunWithRatios(argc, argv, {{"BM_LiveApplyResult", "BM_LiveBuild"}});
}
