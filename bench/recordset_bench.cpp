// The record-set path (statement -> rows held as a list -> column reads), and
// the same through the record-set text (-> XML parse -> attribute reads),
// against SQLite's own step interface over the same rows, in the same run.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "bench_ratio.h"
#include "common/fakes.h"
#include "store/database.h"
#include "store/recordset.h"

namespace {

using velgram::Database;
using velgram::RecordSet;

struct Fixture {
  velgram::testing::TempDir dir;
  velgram::testing::FakeClock clock;
  std::unique_ptr<Database> db;
  sqlite3* raw = nullptr;

  Fixture() {
    db = std::make_unique<Database>(dir.File("bench.db"), clock);
    velgram::Transaction tx(*db);
    for (int i = 0; i < 10000; ++i)
      db->Exec(nullptr,
               "INSERT INTO PlayersMain (name,idClub,bondsnummer,gender,email) VALUES "
               "('Speler %d',%d,'%d',%d,'speler%d@club.nl')",
               i, i % 40, 1000000 + i, i % 2, i);
    for (int i = 0; i < 2000; ++i) db->Exec(nullptr, "INSERT INTO Settings (theKey,theValue) VALUES ('Key%d','%d')", i, i);
    tx.Commit();
    sqlite3_open(dir.File("bench.db").c_str(), &raw);
  }
  ~Fixture() { sqlite3_close(raw); }
};

Fixture& Shared() {
  static Fixture f;
  return f;
}

template <class Rows>
void ReadPlayers(benchmark::State& state) {
  Fixture& f = Shared();
  const int rows = static_cast<int>(state.range(0));
  for (auto _ : state) {
    Rows rs;
    f.db->Exec(&rs, "SELECT id,name,idClub,bondsnummer,gender,email FROM PlayersMain LIMIT %d", rows);
    RecordSet r(rs);
    long sum = 0;
    for (bool ok = r.First(); ok; ok = r.Next()) {
      sum += r.Int("id") + r.Int("idClub") + r.Int("gender");
      sum += static_cast<long>(r.Text("name").size() + r.Text("bondsnummer").size() + r.Text("email").size());
    }
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(state.iterations() * rows);
}

void BM_RecordSet(benchmark::State& state) { ReadPlayers<velgram::Records>(state); }
void BM_RecordSetText(benchmark::State& state) { ReadPlayers<std::string>(state); }

void BM_SqliteStep(benchmark::State& state) {
  Fixture& f = Shared();
  const int rows = static_cast<int>(state.range(0));
  for (auto _ : state) {
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(f.raw, "SELECT id,name,idClub,bondsnummer,gender,email FROM PlayersMain LIMIT ?", -1, &st,
                       nullptr);
    sqlite3_bind_int(st, 1, rows);
    long sum = 0;
    while (sqlite3_step(st) == SQLITE_ROW) {
      sum += sqlite3_column_int(st, 0) + sqlite3_column_int(st, 2) + sqlite3_column_int(st, 4);
      std::string name(reinterpret_cast<const char*>(sqlite3_column_text(st, 1)));
      std::string nr(reinterpret_cast<const char*>(sqlite3_column_text(st, 3)));
      std::string email(reinterpret_cast<const char*>(sqlite3_column_text(st, 5)));
      sum += static_cast<long>(name.size() + nr.size() + email.size());
    }
    sqlite3_finalize(st);
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(state.iterations() * rows);
}

// One settings look-up among 2,000 settings, without and with the index the
// schema upgrade adds (the upgrade puts it back after the unindexed run).
void BM_GetSetting(benchmark::State& state) {
  Fixture& f = Shared();
  const bool indexed = state.range(0) != 0;
  f.db->ExecText(nullptr, indexed ? "CREATE INDEX IF NOT EXISTS ixSettingsKey ON Settings (theKey)"
                                  : "DROP INDEX IF EXISTS ixSettingsKey");
  int i = 0;
  for (auto _ : state) benchmark::DoNotOptimize(f.db->GetSetting("Key" + std::to_string(i++ % 2000)));
  f.db->ExecText(nullptr, "CREATE INDEX IF NOT EXISTS ixSettingsKey ON Settings (theKey)");
}
BENCHMARK(BM_GetSetting)->ArgName("indexed")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

BENCHMARK(BM_RecordSet)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RecordSetText)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SqliteStep)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  return velgram::bench::RunWithRatios(argc, argv,
                                       {{"BM_RecordSet/1000", "BM_SqliteStep/1000"},
                                        {"BM_RecordSet/10000", "BM_SqliteStep/10000"},
                                        {"BM_RecordSetText/1000", "BM_SqliteStep/1000"},
                                        {"BM_RecordSetText/10000", "BM_SqliteStep/10000"}});
}
