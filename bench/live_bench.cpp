// The live pages' snapshot on a tournament of about 5,000 matches: following
// one result (what the desk's thread pays for every result while the server
// runs) against building every document anew. 14 classes, each with ten
// round robins of eight (half the results in), a Swiss pool of 32 in its
// fourth round and a knockout of sixteen.
#include <benchmark/benchmark.h>

#include <memory>
#include <random>

#include "bench/bench_ratio.h"
#include "bench/bench_tournament.h"
#include "common/fakes.h"
#include "competition/dropout.h"
#include "competition/live_snapshot.h"
#include "competition/matchbook.h"
#include "competition/poule.h"
#include "store/database.h"
#include "support/text.h"

namespace velgram {
namespace {

constexpr int kClasses = 14;
constexpr int kPoules = 10;
constexpr int kPouleSize = 8;
constexpr int kSwissSize = 32;
constexpr int kSwissRounds = 4;

struct Tournament {
  testing::TempDir dir;
  testing::FakeClock clock;
  testing::FakePrompter prompter;
  std::unique_ptr<Database> db;
  int toernooi = -1;
  int openMatch = -1;  // a round-robin match without a result
  size_t matches = 0;

  void AddPositions(int idPool, int n, std::mt19937& rng, int k) {
    std::vector<int> players;
    for (int s = 0; s < n; ++s)
      players.push_back(bench::AddPlayer(*db, toernooi, Format("Speler %d-%d-%d", k, idPool, s),
                                         Format("Club %d", static_cast<int>(rng() % 20)),
                                         1000 + static_cast<int>(rng() % 1000)));
    bench::Seat(*db, idPool, players);
  }

  Tournament() {
    db = std::make_unique<Database>(dir.File("Velgram.db"), clock);
    Database& d = *db;
    d.SetSetting("PouleActivateWarning", "No");
    toernooi = d.AddToernooi("Groot toernooi");
    std::mt19937 rng(7);
    Transaction tx(d);
    for (int k = 0; k < kClasses; ++k) {
      const int idClass = bench::AddClass(d, toernooi, Format("Klasse %d", k + 1));
      for (int p = 0; p < kPoules; ++p) {
        const int id = bench::AddPool(d, idClass, Format("Poule %d", p + 1), "1-12");
        AddPositions(id, kPouleSize, rng, k);
        StartPoule(d, prompter, id);
        std::vector<MatchRecord> list;
        d.ListMatches(id, list);
        for (size_t m = 0; m < list.size(); ++m)
          if (m % 2 == 0) d.RecordResult(list[m].id, static_cast<int>(rng() % 2), {}, false);
        if (openMatch < 0) openMatch = list[1].id;
      }
      const int swiss = bench::AddPool(d, idClass, "Zwitsers", "1-12", kPlaystyleSwiss);
      AddPositions(swiss, kSwissSize, rng, k);
      std::vector<ContestantRecord> seats;
      d.ListContestants(swiss, seats);
      for (int r = 1; r <= kSwissRounds; ++r)
        for (int i = 0; i < kSwissSize / 2; ++i) {
          int a = seats[i].id, b = seats[(i + r * 3) % (kSwissSize / 2) + kSwissSize / 2].id;
          int id = d.AddMatch(swiss, a, b, 1 + i % 12, 900 + r * 100);
          d.AddRoundMatch(swiss, r, id);
          if (r < kSwissRounds) d.RecordResult(id, static_cast<int>(rng() % 2), {}, false);
        }
      const int ko = bench::AddPool(d, idClass, "Afval", "1-12", kPlaystyleDropout, "{ \"dimension\":16 }");
      AddPositions(ko, 16, rng, k);
      LDropout bracket("{ \"dimension\":16 }");
      PoolRecord row;
      d.GetPool(ko, row);
      bracket.FillFrom(row);
      std::vector<Contestant> contestants;
      LoadContestants(d, ko, contestants, true);
      ActivateDropout(d, prompter, bracket, contestants);
    }
    tx.Commit();
    MatchBook book(d);
    book.FillToernooi(toernooi);
    matches = book.Matches().size();
  }
};

Tournament& Big() {
  static Tournament t;
  return t;
}

void BM_LiveBuild(benchmark::State& state) {
  Tournament& t = Big();
  size_t docs = 0;
  for (auto _ : state) {
    LiveSnapshot live(*t.db);
    live.Build(t.toernooi);
    docs = live.Documents()->byName.size();
  }
  state.counters["matches"] = static_cast<double>(t.matches);
  state.counters["documents"] = static_cast<double>(docs);
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
