// The hall display's refresh for a tournament of about 5,000 matches against
// the MatchBook fill alone, which every refresh contains.
#include <benchmark/benchmark.h>

#include "bench/big_event.h"
#include "competition/hall_display.h"

namespace velgram {
namespace {

using bench::Big;
using bench::kClasses;
using bench::kPoules;
using Tournament = bench::BigEvent;

void BM_MatchBookFill(benchmark::State& state) {
  Tournament& t = Big();
  for (auto _ : state) {
    MatchBook book(*t.db);
    book.FillToernooi(t.toernooi);
    benchmark::DoNotOptimize(book.Matches().back().name2);
  }
  state.counters["matches"] = static_cast<double>(t.matches);
}
BENCHMARK(BM_MatchBookFill)->Unit(benchmark::kMillisecond);

// What the display does on every change notice: read the options, build the
// content and cut it into pages.
void BM_HallRefresh(benchmark::State& state) {
  Tournament& t = Big();
  size_t open = 0, blocks = 0, pages = 0;
  for (auto _ : state) {
    HallOptions options = ReadHallOptions(*t.db, t.toernooi);
    HallContent content = BuildHallContent(*t.db, t.toernooi, options);
    std::vector<HallPage> cut = PaginateHall(content, 20, 2);
    open = content.open.size();
    blocks = content.blocks.size();
    pages = cut.size();
    benchmark::DoNotOptimize(cut.data());
  }
  state.counters["matches"] = static_cast<double>(t.matches);
  state.counters["open"] = static_cast<double>(open);
  state.counters["blocks"] = static_cast<double>(blocks);
  state.counters["pages"] = static_cast<double>(pages);
  if (blocks != static_cast<size_t>(kClasses * (kPoules + 2))) state.SkipWithError("a pool in play has no standings");
}
BENCHMARK(BM_HallRefresh)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace velgram

BENCHMARK_MAIN();
