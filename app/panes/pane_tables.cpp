#include "app/panes/pane_tables.h"

#include <QHeaderView>

#include "app/shell/app.h"
#include "app/shell/mainwindow.h"
#include "app/shell/qtext.h"
#include "competition/tables.h"

namespace velgram {

LPaneTables::LPaneTables(CVelgramApp& app, QWidget* parent) : LPane(app, QStringLiteral("Tafels"), parent) {
  AddButton(QStringLiteral("Afdrukken"), [this] { Print(); });
  // The chart is read by time from top to bottom; sorting would scramble it.
  grid_->SetHeaderClickSorts(false);
}

void LPaneTables::Refresh() {
  ApplyLook();
  grid_->SetColumns({{QStringLiteral("Tijdvak"), SortKind::None}});
  if (!app_.HasToernooi()) {
    Prompt().Alert("Selecteer eerst een toernooi.");
    return;
  }
  TablesChart chart = BuildTablesChart(CollectBookings(Db(), app_.IdToernooi()));
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

void LPaneTables::Print() {
  if (Main()) Main()->PrintGrid(grid_, QStringLiteral("PaneTables"), this, QString());
}

}  // namespace velgram
