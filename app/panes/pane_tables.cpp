#include "app/panes/pane_tables.h"

#include <QHeaderView>

#include "app/dialogs/dlg_selectlist.h"
#include "app/results/dlg_tabletime.h"
#include "app/shell/app.h"
#include "app/shell/mainwindow.h"
#include "app/shell/qtext.h"
#include "competition/matchbook.h"
#include "competition/tables.h"

namespace velgram {

LPaneTables::LPaneTables(CVelgramApp& app, QWidget* parent) : LPane(app, QStringLiteral("Tafels"), parent) {
  AddButton(QStringLiteral("Afdrukken"), [this] { Print(); });
  // The chart is read by time from top to bottom; sorting would scramble it.
  grid_->SetHeaderClickSorts(false);
  connect(grid_, &QAbstractItemView::doubleClicked, this,
          [this](const QModelIndex& index) { MoveMatchAt(index.row(), index.column()); });
}

void LPaneTables::Refresh() {
  ApplyLook();
  grid_->SetColumns({{QStringLiteral("Tijdvak"), SortKind::None}});
  chart_ = TablesChart();
  if (!app_.HasToernooi()) {
    Prompt().Alert("Selecteer eerst een toernooi.");
    return;
  }
  chart_ = BuildTablesChart(CollectBookings(Db(), app_.IdToernooi()));
  const TablesChart& chart = chart_;
  std::vector<GridColumn> columns{{QStringLiteral("Tijdvak"), SortKind::None}};
  for (int t : chart.tables) columns.push_back({QString::number(t), SortKind::None, Qt::AlignCenter});
  grid_->SetColumns(columns);
  grid_->BeginUpdate();
  for (const ChartRow& r : chart.rows) {
    int row = grid_->AddRow({ToQt(r.slot)});
    for (size_t c = 0; c < r.cells.size(); ++c) {
      const ChartCell& cell = r.cells[c];
      if (cell.colour == CellColour::kNone) continue;
      QColor colour = cell.colour == CellColour::kBusy ? QColor(0, 160, 0) : QColor(160, 0, 0);
      grid_->SetCellColors(row, static_cast<int>(c) + 1, QColor(), colour);
      grid_->SetCellTooltip(row, static_cast<int>(c) + 1, ToQt(cell.tooltip).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    }
  }
  grid_->EndUpdate();
  grid_->AutoSize();
  // Square cells: the chart is a field of small blocks.
  int side = grid_->verticalHeader()->defaultSectionSize();
  for (int c = 1; c < grid_->ColumnCount(); ++c) grid_->setColumnWidth(c, std::max(side, grid_->fontMetrics().horizontalAdvance(grid_->ColumnTitle(c)) + 8));
}

void LPaneTables::MoveMatchAt(int row, int col) {
  if (row < 0 || col < 1 || row >= static_cast<int>(chart_.rows.size()) || col > static_cast<int>(chart_.tables.size()))
    return;
  const ChartRow& slot = chart_.rows[row];
  // A pool without matches books its tables too; there is nothing to move.
  std::vector<MatchRecord> matches = MatchesInSlot(Db(), app_.IdToernooi(), chart_.tables[col - 1], slot.start, slot.end);
  if (matches.empty()) return;
  int idMatch = matches.front().id;
  if (matches.size() > 1) {
    MatchBook book(Db());
    book.FillToernooi(app_.IdToernooi());
    QStringList texts;
    for (const MatchRecord& m : matches) {
      const MatchEntry* e = book.FindMatch(m.id);
      texts << ToQt(FormatTime(m.starttime) + "  " + m.systemName + " / " + m.poolName + ": " +
                    (e ? e->name1 + " - " + e->name2 : std::string()));
    }
    LDlgSelectList pick(Prompt(), texts, this);
    if (pick.exec() != QDialog::Accepted || pick.SelectedIndex() < 0) return;
    idMatch = matches[pick.SelectedIndex()].id;
  }
  LDlgTableTime dlg(app_, idMatch, this);
  bool moved = dlg.Load() && dlg.exec() == QDialog::Accepted;
  Refresh();
  if (moved && Main()) Main()->NotifyDataChanged();
}

void LPaneTables::Print() {
  if (Main()) Main()->PrintGrid(grid_, QStringLiteral("PaneTables"), this, QString());
}

}  // namespace velgram
