// A large tournament: 16 classes, each with eight round-robin pools of eight
// players and a second stage of eight pools that take the places of the
// first, every result entered. Times a full MatchBook fill and the standings
// of every pool.
#include <benchmark/benchmark.h>

#include <memory>
#include <random>

#include "bench/bench_tournament.h"
#include "common/fakes.h"
#include "competition/matchbook.h"
#include "competition/poule.h"
#include "store/database.h"
#include "support/text.h"

namespace velgram {
namespace {

constexpr int kClasses = 16;
constexpr int kPoolsPerStage = 8;
constexpr int kPoolSize = 8;

struct Tournament {
  testing::TempDir dir;
  testing::FakeClock clock;
  std::unique_ptr<Database> db;
  testing::FakePrompter prompter;
  int toernooi = -1;
  std::vector<int> pools;
  int matches = 0;

  Tournament() {
    db = std::make_unique<Database>(dir.File("Velgram.db"), clock);
    Database& d = *db;
    d.SetSetting("PouleActivateWarning", "No");
    toernooi = d.AddToernooi("Groot toernooi");
    std::mt19937 rng(2024);
    Transaction tx(d);
    for (int k = 0; k < kClasses; ++k) {
      const int idClass = bench::AddClass(d, toernooi, Format("Klasse %d", k + 1));
      std::vector<int> first, second;
      for (int p = 0; p < kPoolsPerStage; ++p) {
        PoolRecord pool;
        pool.name = Format("Ronde 1 poule %d", p + 1);
        pool.tables = "1-4";
        pool.starttime = 900;
        pool.endtime = 1300;
        int id = d.AddPool(pool, idClass);
        first.push_back(id);
        std::vector<ContestantRecord> rows;
        for (int s = 0; s < kPoolSize; ++s) {
          PlayerRecord pl;
          pl.name = Format("Speler %d-%d-%d", k, p, s);
          pl.idClub = d.GetOrAddClub(Format("Club %d", static_cast<int>(rng() % 12)));
          pl.rating = 1000 + static_cast<int>(rng() % 1000);
          pl.klasse = s % 2 ? "A" : "B";
          ContestantRecord c;
          c.sort = s;
          c.linktype = kLinkPlayer;
          c.idPlayer = d.AddPlayer(pl, toernooi);
          rows.push_back(c);
        }
        d.ReplaceContestants(id, rows);
      }
      for (int p = 0; p < kPoolsPerStage; ++p) {
        PoolRecord pool;
        pool.name = Format("Ronde 2 poule %d", p + 1);
        pool.tables = "5-8";
        pool.starttime = 1400;
        pool.endtime = 1800;
        int id = d.AddPool(pool, idClass);
        second.push_back(id);
        std::vector<ContestantRecord> rows;
        for (int s = 0; s < kPoolSize; ++s) {
          ContestantRecord c;
          c.sort = s;
          c.linktype = kLinkPlace;
          c.idLinkedPool = first[s];
          c.poolPos = p + 1;  // pool p of the second stage takes place p+1 of each
          rows.push_back(c);
        }
        d.ReplaceContestants(id, rows);
      }
      for (const std::vector<int>* stage : {&first, &second}) {
        for (int id : *stage) {
          StartPoule(d, prompter, id);
          std::vector<MatchRecord> list;
          d.ListMatches(id, list);
          for (const MatchRecord& m : list) {
            int winner = static_cast<int>(rng() % 2);
            std::vector<int> games;
            int won = 0, lost = 0;
            while (won < 3) {
              bool w = rng() % 3 != 0 || lost == 2;
              int code = 1 + static_cast<int>(rng() % 12);
              games.push_back((w == (winner == 0)) ? code : -code);
              (w ? won : lost)++;
            }
            d.RecordResult(m.id, winner, games, true);
            ++matches;
          }
          pools.push_back(id);
        }
      }
    }
    tx.Commit();
  }
};

Tournament& Big() {
  static Tournament t;
  return t;
}

void BM_MatchBookFill(benchmark::State& state) {
  Tournament& t = Big();
  size_t n = 0;
  for (auto _ : state) {
    MatchBook book(*t.db);
    book.FillToernooi(t.toernooi);
    n = book.Matches().size();
    benchmark::DoNotOptimize(book.Matches().back().name2);
  }
  state.counters["matches"] = static_cast<double>(n);
  if (n != static_cast<size_t>(t.matches)) state.SkipWithError("not every match was read");
}
BENCHMARK(BM_MatchBookFill)->Unit(benchmark::kMillisecond);

void BM_StandingsOfEveryPool(benchmark::State& state) {
  Tournament& t = Big();
  int placed = 0;
  for (auto _ : state) {
    LinkResolver resolver(*t.db, t.toernooi);
    resolver.ReadMatchesOfToernooi();
    placed = 0;
    for (int id : t.pools)
      for (int p : resolver.Places(id)) placed += p >= 0;
    benchmark::DoNotOptimize(placed);
  }
  state.counters["pools"] = static_cast<double>(t.pools.size());
  state.counters["placed"] = placed;
  if (placed != static_cast<int>(t.pools.size()) * kPoolSize) state.SkipWithError("a pool has open places");
}
BENCHMARK(BM_StandingsOfEveryPool)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace velgram

BENCHMARK_MAIN();
