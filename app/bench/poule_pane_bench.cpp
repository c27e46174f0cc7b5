// How long a director waits at a match of a big tournament: from the double
// click on a match of the round-robin pane until the result dialog shows, and
// from its OK until the pane shows the new result. Measured at 2,000 matches
// (200 pools of five) against the same steps in a tournament of 20 matches.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "bench/bench_tournament.h"
#include "app/panes/pane_poule.h"
#include "app/results/dlg_result_fast.h"
#include "app/shell/app.h"
#include "app/shell/mainwindow.h"
#include "competition/match_rules.h"
#include "competition/poule.h"
#include "store/database.h"
#include "support/prompt.h"

namespace velgram {
namespace {

constexpr int kPlayersPerPool = 5;
constexpr int kPoolsPerClass = 20;

// A tournament of `pools` started pools of five, half of each pool's matches
// played; the main window shows the first pool.
struct Tournament {
  explicit Tournament(int pools) {
    app = std::make_unique<CVelgramApp>(dir.filePath("Velgram.db").toStdString());
    app->SetPrompter(&prompter);
    Database& db = app->Db();
    int id = db.AddToernooi("Benchmark");
    db.SetSetting("PouleActivateWarning", "No");
    Transaction tx(db);
    int idSystem = -1;
    for (int p = 0; p < pools; ++p) {
      if (p % kPoolsPerClass == 0) idSystem = bench::AddClass(db, id, "Klasse " + std::to_string(p / kPoolsPerClass), 1);
      int idPool = bench::AddPool(db, idSystem, "Poule " + std::to_string(p + 1), "1-2", kPlaystylePoule, "", 900, 1700);
      if (p == 0) firstPool = idPool;
      std::vector<int> players;
      for (int i = 0; i < kPlayersPerPool; ++i)
        players.push_back(bench::AddPlayer(db, id, "Speler " + std::to_string(p * kPlayersPerPool + i),
                                           "Club " + std::to_string((p + i) % 30), 1000 + (p * 37 + i * 101) % 900));
      bench::Seat(db, idPool, players);
      StartPoule(db, prompter, idPool);
      std::vector<MatchRecord> matches;
      db.ListMatches(idPool, matches);
      for (size_t m = 0; m < matches.size(); m += 2)
        SaveResult(db, matches[m].id, DecideGameByGame(DefaultMatchSystem(), {8, 10, 6}));
      matchCount += static_cast<int>(matches.size());
    }
    tx.Commit();
    window = std::make_unique<CVelgramDlg>(*app);
    window->StartTimer().stop();
    window->OpenStartTournament();
    window->resize(1400, 900);
    window->show();
    window->SelectItem(NavType::Pool, firstPool);
    pane = dynamic_cast<LPanePoule*>(window->CurrentPane());
  }

  void DoubleClick(int row) {
    LGrid* grid = pane->MatchList();
    QRect r = grid->visualRect(grid->model()->index(row, 0));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, r.center());
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, r.center());
  }

  QTemporaryDir dir;
  bench::QuietPrompter prompter;
  std::unique_ptr<CVelgramApp> app;
  std::unique_ptr<CVelgramDlg> window;
  LPanePoule* pane = nullptr;
  int firstPool = -1;
  int matchCount = 0;
};

// Calls act on the result dialog as soon as it is shown.
class OnShown : public QObject {
 public:
  explicit OnShown(std::function<void(LDlgResultFast*)> act) : act_(std::move(act)) { qApp->installEventFilter(this); }
  ~OnShown() override { qApp->removeEventFilter(this); }
  bool eventFilter(QObject* o, QEvent* e) override {
    if (e->type() == QEvent::Show)
      if (auto* d = qobject_cast<LDlgResultFast*>(o)) {
        QTimer::singleShot(0, d, [this, d] { act_(d); });
        if (shownAt < 0) shownAt = clock.nsecsElapsed();
      }
    return false;
  }
  QElapsedTimer clock;
  qint64 shownAt = -1;

 private:
  std::function<void(LDlgResultFast*)> act_;
};

void BM_DoubleClickToDialogShown(benchmark::State& state) {
  Tournament t(static_cast<int>(state.range(0)));
  if (!t.pane) return state.SkipWithError("no round-robin pane");
  for (auto _ : state) {
    OnShown shown([](LDlgResultFast* d) { d->reject(); });
    shown.clock.start();
    t.DoubleClick(1);
    if (shown.shownAt < 0) return state.SkipWithError("the result dialog did not open");
    state.SetIterationTime(shown.shownAt / 1e9);
  }
  state.counters["matches"] = t.matchCount;
}
BENCHMARK(BM_DoubleClickToDialogShown)->Arg(2)->Arg(200)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_OkToRefreshedPane(benchmark::State& state) {
  Tournament t(static_cast<int>(state.range(0)));
  if (!t.pane) return state.SkipWithError("no round-robin pane");
  bool first = true;
  for (auto _ : state) {
    QElapsedTimer clock;
    OnShown shown([&clock, first](LDlgResultFast* d) {
      for (int p : {7, 9, 5}) d->KeypadButton(p)->click();
      // Alternate the winner, so that every OK really changes the standings.
      if (!first)
        for (int g = 0; g < 3; ++g) d->Game(g)->ExchangeButton()->click();
      clock.start();
      d->OkButton()->click();
    });
    t.DoubleClick(1);
    qint64 elapsed = clock.isValid() ? clock.nsecsElapsed() : -1;
    if (elapsed < 0) return state.SkipWithError("no result was entered");
    if (t.pane->MatchList()->RowCount() == 0) return state.SkipWithError("the pane lost its matches");
    state.SetIterationTime(elapsed / 1e9);
    first = !first;
  }
  state.counters["matches"] = t.matchCount;
}
BENCHMARK(BM_OkToRefreshedPane)->Arg(2)->Arg(200)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace velgram
