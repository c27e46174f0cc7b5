// The hall display's refresh for a tournament of about 5,000 matches against
// the MatchBook fill alone, which every refresh contains: 14 classes, each
// with ten round robins of eight (half the results in), a Swiss pool of 32 in
// its fourth round and a knockout of sixteen.
#include <benchmark/benchmark.h>

#include <memory>
#include <random>

#include "bench/bench_tournament.h"
#include "common/fakes.h"
#include "competition/dropout.h"
#include "competition/hall_display.h"
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
  size_t matches = 0;

  void AddPositions(Database& d, int idPool, int n, std::mt19937& rng, int k) {
    std::vector<int> players;
    for (int s = 0; s < n; ++s)
      players.push_back(bench::AddPlayer(d, toernooi, Format("Speler %d-%d-%d", k, idPool, s),
                                         Format("Club %d", static_cast<int>(rng() % 20)),
                                         1000 + static_cast<int>(rng() % 1000)));
    bench::Seat(d, idPool, players);
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
      auto pool = [&](const std::string& name, int playstyle, const std::string& extra) {
        return bench::AddPool(d, idClass, name, "1-12", playstyle, extra);
      };
      for (int p = 0; p < kPoules; ++p) {
        int id = pool(Format("Poule %d", p + 1), kPlaystylePoule, "");
        AddPositions(d, id, kPouleSize, rng, k);
        StartPoule(d, prompter, id);
        std::vector<MatchRecord> list;
        d.ListMatches(id, list);
        for (size_t m = 0; m < list.size(); ++m)
          if (m % 2 == 0) d.RecordResult(list[m].id, static_cast<int>(rng() % 2), {}, false);
      }
      int swiss = pool("Zwitsers", kPlaystyleSwiss, "");
      AddPositions(d, swiss, kSwissSize, rng, k);
      std::vector<ContestantRecord> seats;
      d.ListContestants(swiss, seats);
      for (int r = 1; r <= kSwissRounds; ++r) {
        for (int i = 0; i < kSwissSize / 2; ++i) {
          int a = seats[i].id, b = seats[(i + r * 3) % (kSwissSize / 2) + kSwissSize / 2].id;
          int id = d.AddMatch(swiss, a, b, 1 + i % 12, 900 + r * 100);
          d.AddRoundMatch(swiss, r, id);
          if (r < kSwissRounds) d.RecordResult(id, static_cast<int>(rng() % 2), {}, false);
        }
      }
      int ko = pool("Afval", kPlaystyleDropout, "{ \"dimension\":16 }");
      AddPositions(d, ko, 16, rng, k);
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
