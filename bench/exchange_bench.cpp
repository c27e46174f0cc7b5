// Import of a 5,000-player file (into an empty tournament and into one that
// already holds them) and both exports of a tournament with 5,000 results.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <memory>
#include <string>
#include <vector>

#include "bench_ratio.h"
#include "bench_tournament.h"
#include "common/fakes.h"
#include "competition/pool.h"
#include "exchange/exports.h"
#include "exchange/import_file.h"
#include "exchange/import_players.h"
#include "store/database.h"
#include "support/text.h"

namespace velgram {
namespace {

constexpr int kPlayers = 5000;
constexpr int kClubs = 60;

class QuietImport : public ImportPrompter {
 public:
  void Alert(const std::string&) override {}
  bool Confirm(const std::string&) override { return true; }
  ClubChoice SelectClub(const PlayerRecord&, const std::vector<ClubEntry>&) override { return {}; }
  RemoveOutcome RemovePlayers(const std::vector<PlayerRecord>&,
                              const std::function<bool(const std::vector<int>&)>&) override {
    return RemoveOutcome::kContinue;
  }
};

std::string PlayerFile() {
  std::string text = "Naam,Vereniging,Bondsnummer,Geslacht,Email,Speelsterkte,Klasse\r\n";
  for (int i = 0; i < kPlayers; ++i)
    text += Format("\"Speler %d, J\xC3\xA9r\xC3\xB4me\",Club %d,NL%06d,%s,s%d@example.nl,%d,%c\r\n", i, i % kClubs, i,
                   i % 2 ? "M" : "V", i, 800 + i % 1200, 'A' + i % 4);
  return text;
}

struct Fixture {
  Fixture() : db(std::make_unique<Database>(dir.File("Velgram.db"), clock)) {
    idT = db->AddToernooi("Bench");
    Transaction tx(*db);
    for (int c = 0; c < kClubs; ++c) db->GetOrAddClub(Format("Club %d", c));
    tx.Commit();
  }
  testing::TempDir dir;
  testing::FakeClock clock;
  std::unique_ptr<Database> db;
  int idT = -1;
};

void BM_ReadPlayerFile(benchmark::State& state) {
  testing::TempDir dir;
  testing::WriteFileBytes(dir.File("spelers.csv"), PlayerFile());
  for (auto _ : state) {
    auto rows = ReadImportFile(dir.File("spelers.csv"));
    benchmark::DoNotOptimize(rows);
  }
  state.SetItemsProcessed(state.iterations() * kPlayers);
}
BENCHMARK(BM_ReadPlayerFile)->Unit(benchmark::kMillisecond);

void BM_ImportIntoEmptyTournament(benchmark::State& state) {
  ImportFile rows = ParseImportText(PlayerFile());
  QuietImport ui;
  for (auto _ : state) {
    state.PauseTiming();
    auto f = std::make_unique<Fixture>();
    state.ResumeTiming();
    ImportCounts counts;
    ImportPlayers(*f->db, f->idT, rows, ui, &counts);
    if (counts.added != kPlayers) state.SkipWithError("not every player was added");
    state.PauseTiming();
    f.reset();
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * kPlayers);
}
BENCHMARK(BM_ImportIntoEmptyTournament)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_ImportIntoFullTournament(benchmark::State& state) {
  ImportFile rows = ParseImportText(PlayerFile());
  QuietImport ui;
  Fixture f;
  ImportPlayers(*f.db, f.idT, rows, ui);
  for (auto _ : state) {
    ImportCounts counts;
    ImportPlayers(*f.db, f.idT, rows, ui, &counts);
    if (counts.changed != kPlayers) state.SkipWithError("not every player was recognised");
  }
  state.SetItemsProcessed(state.iterations() * kPlayers);
}
BENCHMARK(BM_ImportIntoFullTournament)->Unit(benchmark::kMillisecond)->Iterations(3);

// The floor of an import: the same players and tournament entries written
// with prepared statements in one transaction, nothing looked up.
void BM_RawInsertPlayers(benchmark::State& state) {
  ImportFile rows = ParseImportText(PlayerFile());
  for (auto _ : state) {
    state.PauseTiming();
    auto f = std::make_unique<Fixture>();
    f->db.reset();
    sqlite3* raw = nullptr;
    sqlite3_open(f->dir.File("Velgram.db").c_str(), &raw);
    state.ResumeTiming();
    sqlite3_exec(raw, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
    sqlite3_stmt* player = nullptr;
    sqlite3_stmt* entry = nullptr;
    sqlite3_prepare_v2(raw, "INSERT INTO PlayersMain (name,idClub,bondsnummer,gender,email) VALUES (?,?,?,?,?)", -1,
                       &player, nullptr);
    sqlite3_prepare_v2(raw, "INSERT INTO PlayersToernooi (idPlayer,idToernooi,rating,klasse) VALUES (?,?,?,?)", -1,
                       &entry, nullptr);
    for (size_t i = 0; i < rows.rows.size(); ++i) {
      const PlayerRecord& r = rows.rows[i];
      sqlite3_bind_text(player, 1, r.name.c_str(), -1, SQLITE_STATIC);
      sqlite3_bind_int(player, 2, 1 + static_cast<int>(i % kClubs));
      sqlite3_bind_text(player, 3, r.bondsnummer.c_str(), -1, SQLITE_STATIC);
      sqlite3_bind_int(player, 4, r.gender);
      sqlite3_bind_text(player, 5, r.email.c_str(), -1, SQLITE_STATIC);
      sqlite3_step(player);
      sqlite3_reset(player);
      sqlite3_bind_int64(entry, 1, sqlite3_last_insert_rowid(raw));
      sqlite3_bind_int(entry, 2, f->idT);
      sqlite3_bind_int(entry, 3, r.rating);
      sqlite3_bind_text(entry, 4, r.klasse.c_str(), -1, SQLITE_STATIC);
      sqlite3_step(entry);
      sqlite3_reset(entry);
    }
    sqlite3_finalize(player);
    sqlite3_finalize(entry);
    if (sqlite3_exec(raw, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK) state.SkipWithError("commit refused");
    state.PauseTiming();
    sqlite3_close(raw);
    f.reset();
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * kPlayers);
}
BENCHMARK(BM_RawInsertPlayers)->Unit(benchmark::kMillisecond)->Iterations(3);

// 100 pools of ten players, 50 matches each, every match with a result.
struct MatchTournament : Fixture {
  MatchTournament() {
    Transaction tx(*db);
    SystemRecord cls;
    cls.name = "Senioren";
    cls.nrPlayers = 1;
    db->AddSystem(cls, idT);
    std::vector<SystemRecord> classes;
    db->ListSystems(classes, idT);
    int second = 0;
    for (int p = 0; p < 100; ++p) {
      PoolRecord pool;
      pool.name = Format("Poule %d", p + 1);
      pool.tables = "1-10";
      int idPool = db->AddPool(pool, classes[0].id);
      std::vector<int> seats;
      for (int s = 0; s < 10; ++s) {
        PlayerRecord pl;
        pl.name = Format("Speler %d", p * 10 + s);
        pl.idClub = db->GetOrAddClub(Format("Club %d", (p * 10 + s) % kClubs));
        pl.bondsnummer = Format("NL%06d", p * 10 + s);
        int idPlayer = db->AddPlayer(pl, idT);
        ContestantRecord c;
        c.idPool = idPool;
        c.poolPos = c.sort = s + 1;
        c.linktype = kLinkPlayer;
        c.idPlayer = idPlayer;
        db->AddContestant(c);
      }
      std::vector<ContestantRecord> positions;
      db->ListContestants(idPool, positions);
      for (int m = 0; m < 50; ++m) {
        int a = m % 10, b = (m / 10 + 1 + m) % 10;
        if (a == b) b = (b + 1) % 10;
        int idMatch = db->AddMatch(idPool, positions[a].id, positions[b].id, 1 + m % 10, 900 + m);
        // Results entered out of schedule order, some in the same second.
        clock.SetLocal(2023, 3, 4, 9 + (second / 3600) % 12, (second / 60) % 60, second % 60);
        clock.fraction = (p * 7919 + m * 104729) % 10000000;
        second = (second + 37) % 43200;
        db->RecordResult(idMatch, (p + m) % 2, {}, false);
      }
    }
    tx.Commit();
  }
};

void BM_ExportRatingFile(benchmark::State& state) {
  MatchTournament t;
  bench::QuietPrompter ui;
  for (auto _ : state)
    if (ExportRatingFile(*t.db, t.idT, ui, t.dir.Path()) != ExportResult::kWritten) state.SkipWithError("refused");
  state.SetItemsProcessed(state.iterations() * 5000);
}
BENCHMARK(BM_ExportRatingFile)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_ExportMatchList(benchmark::State& state) {
  MatchTournament t;
  bench::QuietPrompter ui;
  for (auto _ : state)
    if (ExportMatchList(*t.db, t.idT, ui, t.dir.Path()) != ExportResult::kWritten) state.SkipWithError("refused");
  state.SetItemsProcessed(state.iterations() * 5000);
}
BENCHMARK(BM_ExportMatchList)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace
}  // namespace velgram

int main(int argc, char** argv) {
  return velgram::bench::RunWithRatios(
      argc, argv,
      {{"BM_ImportIntoEmptyTournament/iterations:3", "BM_RawInsertPlayers/iterations:3"},
       {"BM_ImportIntoFullTournament/iterations:3", "BM_RawInsertPlayers/iterations:3"}});
}
