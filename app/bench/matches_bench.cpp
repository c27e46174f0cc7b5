// The matches pane refreshes after every result, so its refresh must stay
// well under a tenth of a second for a big tournament: 5,000 matches in 91
// round-robin pools, most of them played. The MatchBook fill (reading the
// matches and results and naming every side) is measured alone as the
// baseline; the pane adds the filters, the rows, the sort and the sizing.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>

#include "bench/bench_tournament.h"
#include "app/panes/pane_matches.h"
#include "app/shell/app.h"
#include "competition/match_rules.h"
#include "competition/matchbook.h"
#include "store/database.h"

namespace velgram {
namespace {

constexpr int kClasses = 7, kPoolsPerClass = 13, kPlayersPerPool = 11;  // 91 pools of 55 matches

struct Tournament {
  QTemporaryDir dir;
  std::unique_ptr<CVelgramApp> app;
  int id = -1;
  int matches = 0;

  Tournament() {
    app = std::make_unique<CVelgramApp>(QDir(dir.path()).filePath("Velgram.db").toStdString());
    Database& db = app->Db();
    id = db.AddToernooi("Groot toernooi");
    Transaction tx(db);
    int player = 0;
    for (int k = 0; k < kClasses; ++k) {
      const int idSystem = bench::AddClass(db, id, "Klasse " + std::string(1, static_cast<char>('A' + k)), 1);
      for (int p = 0; p < kPoolsPerClass; ++p) {
        const int idPool =
            bench::AddPool(db, idSystem, "Poule " + std::to_string(p + 1), "1-24", kPlaystylePoule, "", 900, 2200);
        std::vector<int> players;
        for (int s = 0; s < kPlayersPerPool; ++s, ++player)
          players.push_back(bench::AddPlayer(db, id, "Speler " + std::to_string(player),
                                             "TTV Club " + std::to_string((player + 1) % 40)));
        bench::Seat(db, idPool, players);
        std::vector<ContestantRecord> seats;
        db.ListContestants(idPool, seats);
        for (size_t i = 0; i < seats.size(); ++i)
          for (size_t j = i + 1; j < seats.size(); ++j, ++matches) {
            const int idMatch = db.AddMatch(idPool, seats[i].id, seats[j].id, 1 + matches % 24,
                                            900 + (matches / 24) % 13 * 100 + matches % 6 * 10);
            if (matches % 5 != 0) SaveResult(db, idMatch, DecideWinnerOnly(matches % 2));
          }
      }
    }
    tx.Commit();
    app->OpenToernooi(id);
    // The list as the director would leave it: times shown, sorted by time.
    db.SetSetting("MatchesTimes" + std::to_string(id), "1");
    db.SetSetting("MatchesTables" + std::to_string(id), "1");
    db.SetSetting("PaneMatchesSortColumn" + std::to_string(id), "1");
  }
};

Tournament& Big() {
  static Tournament t;
  return t;
}

void BM_MatchBookFill(benchmark::State& state) {
  Tournament& t = Big();
  MatchBook book(t.app->Db());
  for (auto _ : state) {
    book.FillToernooi(t.id);
    benchmark::DoNotOptimize(book.Matches().size());
  }
  state.counters["matches"] = static_cast<double>(book.Matches().size());
}
BENCHMARK(BM_MatchBookFill)->Unit(benchmark::kMillisecond);

// The part of the fill that only reads: matches and results through the
// record sets, without naming the sides.
void BM_ReadMatchesAndResults(benchmark::State& state) {
  Tournament& t = Big();
  std::vector<MatchRecord> rows;
  for (auto _ : state) {
    t.app->Db().ListMatchesOfToernooi(t.id, rows);
    t.app->Db().ReadResults(rows);
    benchmark::DoNotOptimize(rows.size());
  }
}
BENCHMARK(BM_ReadMatchesAndResults)->Unit(benchmark::kMillisecond);

// Arg: the "Gespeeld" box; 0 unchecked (the open matches), 1 the third
// state (all matches, the most rows).
void BM_MatchesPaneRefresh(benchmark::State& state) {
  Tournament& t = Big();
  LPaneMatches pane(*t.app);
  pane.resize(1200, 800);
  pane.PlayedBox()->setCheckState(state.range(0) ? Qt::PartiallyChecked : Qt::Unchecked);
  for (auto _ : state) {
    pane.Refresh();
    benchmark::DoNotOptimize(pane.Grid()->RowCount());
  }
  state.counters["rows"] = pane.Grid()->RowCount();
  const int expected = state.range(0) ? t.matches : (t.matches + 4) / 5;
  if (pane.Grid()->RowCount() != expected) state.SkipWithError("the pane did not list the expected matches");
}
BENCHMARK(BM_MatchesPaneRefresh)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// A class and a name typed: the filters themselves on top of the fill.
void BM_MatchesPaneFiltered(benchmark::State& state) {
  Tournament& t = Big();
  LPaneMatches pane(*t.app);
  pane.PlayedBox()->setCheckState(Qt::PartiallyChecked);
  pane.Refresh();
  pane.ClassList()->setCurrentIndex(3);
  pane.ParticipantField()->setText(QStringLiteral("speler 3"));
  pane.TakeParticipantText();
  for (auto _ : state) {
    pane.Refresh();
    benchmark::DoNotOptimize(pane.Grid()->RowCount());
  }
  state.counters["rows"] = pane.Grid()->RowCount();
}
BENCHMARK(BM_MatchesPaneFiltered)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace velgram
