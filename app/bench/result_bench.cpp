// How long a result takes at the size of a big tournament: from the request
// to a ready game-by-game dialog (the match cache refilled for the whole
// tournament, sides resolved) and the store on OK, for a tournament of 2,000
// matches against one of 100 in the same run.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <memory>

#include "bench/bench_tournament.h"
#include "app/results/dlg_result_fast.h"
#include "app/shell/app.h"
#include "competition/match_rules.h"
#include "store/database.h"
#include "support/prompt.h"

namespace velgram {
namespace {

class SilentPrompter : public Prompter {
 public:
  void Alert(const std::string&) override {}
  bool Confirm(const std::string&) override { return true; }
};

// Round-robin pools of six (15 matches each) until nrMatches are stored;
// every other match has a result. Returns a match in the middle.
struct Tournament {
  explicit Tournament(int nrMatches) : app(QDir(dir.path()).filePath("Velgram.db").toStdString()) {
    app.SetPrompter(&prompter);
    Database& db = app.Db();
    int t = db.AddToernooi("Groot toernooi");
    app.OpenToernooi(t);
    Transaction tx(db);
    const int idClass = bench::AddClass(db, t, "Open");
    int made = 0;
    for (int p = 0; made < nrMatches; ++p) {
      int idPool = bench::AddPool(db, idClass, "Poule " + std::to_string(p + 1), "1-3");
      std::vector<int> players;
      for (int s = 0; s < 6; ++s)
        players.push_back(bench::AddPlayer(db, t, "Speler " + std::to_string(p * 6 + s), "TTV " + std::to_string(p % 30)));
      bench::Seat(db, idPool, players);
      std::vector<ContestantRecord> seats;
      db.ListContestants(idPool, seats);
      for (int a = 0; a < 6 && made < nrMatches; ++a)
        for (int b = a + 1; b < 6 && made < nrMatches; ++b, ++made) {
          int id = db.AddMatch(idPool, seats[a].id, seats[b].id, 1 + made % 3, 900);
          if (made % 2) db.RecordResult(id, 0, {8, 10, 6}, true);
          if (made == nrMatches / 2) middle = id;
        }
    }
    tx.Commit();
  }
  QTemporaryDir dir;
  SilentPrompter prompter;
  CVelgramApp app;
  int middle = -1;
};

void BM_OpenGameByGameDialog(benchmark::State& state) {
  Tournament t(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    LDlgResultFast dlg(t.app, t.middle, 0);
    if (!dlg.Load()) state.SkipWithError("the dialog did not load");
    benchmark::DoNotOptimize(dlg.ShownGames());
  }
}
BENCHMARK(BM_OpenGameByGameDialog)->Arg(100)->Arg(2000)->Unit(benchmark::kMillisecond);

void BM_StoreOnOk(benchmark::State& state) {
  Tournament t(static_cast<int>(state.range(0)));
  MatchSystem ms = DefaultMatchSystem();
  for (auto _ : state) {
    bool ok = StoreResult(t.app.Db(), t.prompter, t.middle, DecideGameTexts(ms, {{"11", "7"}, {"11", "9"}, {"11", "5"}}));
    if (!ok) state.SkipWithError("nothing stored");
  }
}
BENCHMARK(BM_StoreOnOk)->Arg(100)->Arg(2000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace velgram
