// How fast the lists fill, sort, size and paginate at the sizes of a big
// tournament: the grid model with 20,000 rows (a match list) and the
// participants pane with 5,000 players read from the database.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>

#include "app/shell/app.h"
#include "app/widgets/grid.h"
#include "app/panes/pane_participants.h"
#include "app/printing/print_layout.h"
#include "store/database.h"

namespace velgram {
namespace {

const std::vector<GridColumn> kMatchColumns = {{"Tafel", SortKind::Number},
                                               {"Tijd", SortKind::Time},
                                               {"Klasse"},
                                               {"Poule"},
                                               {"Speler 1"},
                                               {"Speler 2"},
                                               {"Uitslag"}};

std::vector<QStringList> MatchRows(int rows) {
  std::vector<QStringList> list;
  for (int i = 0; i < rows; ++i)
    list.push_back({QString::number(1 + i % 24), QString("%1:%2").arg(9 + i / 600).arg(i % 60, 2, 10, QChar('0')),
                    QString("Klasse %1").arg(i % 12), QString("Poule %1").arg(i % 40),
                    QString("Speler %1").arg(i * 7 % 5003), QString("Speler %1").arg(i * 13 % 5003),
                    i % 3 ? QString("3-1") : QString()});
  return list;
}

void FillMatches(LGrid& grid, const std::vector<QStringList>& rows) {
  grid.BeginUpdate();
  grid.Clear();
  for (size_t i = 0; i < rows.size(); ++i) grid.AddRow(rows[i], static_cast<int>(i) + 1);
  grid.EndUpdate();
}

void BM_FillGridModel(benchmark::State& state) {
  LGrid grid;
  grid.SetColumns(kMatchColumns);
  const std::vector<QStringList> rows = MatchRows(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    FillMatches(grid, rows);
    benchmark::DoNotOptimize(grid.RowCount());
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_FillGridModel)->Arg(20000)->Unit(benchmark::kMillisecond);

// Without batching every row is announced to the view on its own.
void BM_FillGridRowByRow(benchmark::State& state) {
  LGrid grid;
  grid.SetColumns(kMatchColumns);
  const std::vector<QStringList> rows = MatchRows(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    grid.Clear();
    for (size_t i = 0; i < rows.size(); ++i) grid.AddRow(rows[i], static_cast<int>(i) + 1);
    benchmark::DoNotOptimize(grid.RowCount());
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_FillGridRowByRow)->Arg(20000)->Unit(benchmark::kMillisecond);

void BM_SortGrid(benchmark::State& state) {
  LGrid grid;
  grid.SetColumns(kMatchColumns);
  FillMatches(grid, MatchRows(20000));
  const int col = static_cast<int>(state.range(0));
  bool ascending = true;
  for (auto _ : state) {
    grid.SortByColumn(col, ascending);
    ascending = !ascending;
  }
  state.SetLabel(col == 0 ? "number" : col == 1 ? "time" : "text");
}
BENCHMARK(BM_SortGrid)->Arg(0)->Arg(1)->Arg(4)->Unit(benchmark::kMillisecond);

void BM_AutoSizeGrid(benchmark::State& state) {
  LGrid grid;
  grid.SetColumns(kMatchColumns);
  FillMatches(grid, MatchRows(20000));
  for (auto _ : state) grid.AutoSize();
}
BENCHMARK(BM_AutoSizeGrid)->Unit(benchmark::kMillisecond);

void BM_PaginateGrid(benchmark::State& state) {
  LGrid grid;
  grid.SetColumns(kMatchColumns);
  FillMatches(grid, MatchRows(20000));
  GridPrintSetup setup;
  setup.hideEmptyColumns = true;
  int pages = 0;
  for (auto _ : state) pages = grid.PageCount(9000, 13000, 1200, setup);
  state.counters["pages"] = pages;
}
BENCHMARK(BM_PaginateGrid)->Unit(benchmark::kMillisecond);

// The participants pane as the program shows it: read from the database,
// converted, filled, sorted as last chosen and sized.
void BM_ParticipantsPane(benchmark::State& state) {
  QTemporaryDir dir;
  CVelgramApp app(QDir(dir.path()).filePath("Velgram.db").toStdString());
  Database& db = app.Db();
  const int id = db.AddToernooi("Groot toernooi");
  {
    Transaction tx(db);
    std::vector<int> clubs;
    for (int c = 0; c < 60; ++c) clubs.push_back(db.GetOrAddClub("TTV Club " + std::to_string(c)));
    for (int i = 0; i < state.range(0); ++i) {
      PlayerRecord p;
      p.name = "Speler " + std::to_string(i);
      p.idClub = clubs[i % clubs.size()];
      p.bondsnummer = std::to_string(1000000 + i);
      p.rating = 500 + i % 1500;
      p.klasse = std::string(1, static_cast<char>('A' + i % 6));
      p.gender = i % 2;
      p.email = "speler" + std::to_string(i) + "@example.nl";
      db.AddPlayer(p, id);
    }
    tx.Commit();
  }
  app.OpenToernooi(id);
  LPanePlayers pane(app);
  pane.Grid()->SortByColumn(1, false);
  for (auto _ : state) {
    pane.Refresh();
    benchmark::DoNotOptimize(pane.Grid()->RowCount());
  }
  if (pane.Grid()->RowCount() != state.range(0)) state.SkipWithError("the pane did not show every player");
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ParticipantsPane)->Arg(5000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace velgram
