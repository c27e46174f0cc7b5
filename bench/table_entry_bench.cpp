// An entry from a table on a tournament of about 5,000 matches whose queue
// already holds 2,000 entries: storing it and renewing the table documents is
// what the desk's thread pays for every entry while the server runs, against
// storing the same result as the desk does; and the same with 200 and 8,000
// entries queued, which must cost alike.
#include <benchmark/benchmark.h>

#include <string>

#include "bench/bench_ratio.h"
#include "bench/big_event.h"
#include "competition/live_snapshot.h"
#include "competition/match_rules.h"
#include "competition/pool.h"
#include "competition/table_entry.h"
#include "support/text.h"

namespace velgram {
namespace {

using bench::Big;

constexpr int kTables = 12;

// A valid entry for the match, in the mode its rules ask for.
TableEntry EntryFor(Database& db, int idMatch, int tafel, int n) {
  MatchRecord match;
  db.GetMatch(match, idMatch);
  const MatchSystem ms = EffectiveMatchSystem(db, match.idPool);
  TableEntry e;
  e.entryId = Format("bench-entry-%d", n);
  e.device = Format("bench-device-%d", tafel);
  e.tafel = tafel;
  e.idMatch = idMatch;
  e.mode = TableEntryMode(ms);
  e.winner = 0;
  e.games1 = std::to_string(ms.setWon);
  e.games2 = std::to_string(0);
  for (int g = 0; g < ms.setWon; ++g) e.games.emplace_back(std::to_string(ms.gameStop), "3");
  return e;
}

// The big event with entry at the tables on and at least `queued` entries
// waiting, spread over the tables.
bench::BigEvent& Queued(int queued) {
  static int made = 0;
  bench::BigEvent& t = Big();
  Database& db = *t.db;
  if (made == 0) {
    LiveSettings s;
    s.on = true;
    s.tableEntry = true;
    s.Write(db, t.toernooi);
  }
  std::vector<MatchRecord> matches;
  db.ListMatchesOfToernooi(t.toernooi, matches);
  Transaction tx(db);
  for (; made < queued; ++made)
    SubmitTableEntry(db, t.toernooi,
                     EntryFor(db, matches[static_cast<size_t>(made) % matches.size()].id, 1 + made % kTables, made),
                     false);
  tx.Commit();
  return t;
}

// The desk's own entry of the same result, written and taken back in turn.
void BM_SaveResult(benchmark::State& state) {
  bench::BigEvent& t = Queued(0);
  Database& db = *t.db;
  MatchRecord match;
  db.GetMatch(match, t.openMatch);
  const ResultDecision decision = DecideTableEntry(EffectiveMatchSystem(db, match.idPool), EntryFor(db, t.openMatch, 1, 0));
  for (auto _ : state) {
    SaveResult(db, t.openMatch, decision);
    state.PauseTiming();
    db.ClearResult(t.openMatch);
    state.ResumeTiming();
  }
}
BENCHMARK(BM_SaveResult)->Unit(benchmark::kMillisecond);

// One new entry stored (it waits for the director) and the table documents
// renewed as the desk renews them after it, with at least range(0) entries
// in the queue before (each run adds its own).
void BM_TableEntryTurn(benchmark::State& state) {
  bench::BigEvent& t = Queued(static_cast<int>(state.range(0)));
  Database& db = *t.db;
  LiveSnapshot live(db);
  live.Build(t.toernooi);
  // Each for a match of its own, as at the tables: a match gets an entry or
  // two, the queue grows by all of them.
  std::vector<MatchRecord> matches;
  db.ListMatchesOfToernooi(t.toernooi, matches);
  static int n = 1000000;
  for (auto _ : state) {
    const TableEntry e = EntryFor(db, matches[static_cast<size_t>(n) % matches.size()].id, 1 + n % kTables, n);
    ++n;
    const SubmitOutcome out = SubmitTableEntry(db, t.toernooi, e, false);
    if (!out.stored) state.SkipWithError("entry not stored");
    live.EntriesChanged({e.tafel});
  }
}
BENCHMARK(BM_TableEntryTurn)->Arg(200)->Arg(2000)->Arg(8000)->Unit(benchmark::kMillisecond);

// The same, with every table's document read anew (what a change of the
// settings or the tokens asks for).
void BM_TableEntryTurnAllTables(benchmark::State& state) {
  bench::BigEvent& t = Queued(2000);
  Database& db = *t.db;
  LiveSnapshot live(db);
  live.Build(t.toernooi);
  static int n = 2000000;
  for (auto _ : state) {
    const TableEntry e = EntryFor(db, t.openMatch, 1 + n % kTables, n);
    ++n;
    const SubmitOutcome out = SubmitTableEntry(db, t.toernooi, e, false);
    if (!out.stored) state.SkipWithError("entry not stored");
    live.TablesChanged();
  }
}
BENCHMARK(BM_TableEntryTurnAllTables)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace velgram

int main(int argc, char** argv) {
  return velgram::bench::RunWithRatios(argc, argv,
                                       {{"BM_TableEntryTurn/2000", "BM_SaveResult"},
                                        {"BM_TableEntryTurn/8000", "BM_TableEntryTurn/200"},
                                        {"BM_TableEntryTurnAllTables", "BM_SaveResult"}});
}
