#pragma once
// The one list widget of the program. Every list (participants, classes,
// pools, matches, tables, the club trophy ...) is an LGrid: a table view on a
// row model, with a fixed header row, per-cell looks, a record id per row,
// whole-row multi-selection, header-click sorting and page rendering for the
// print preview.
//
// Rows are numbered from 0 in the order shown; the header row is not a row.
// Sorting reorders the rows themselves, so a row number always means the same
// line on screen and RowData(row) stays with its line.
#include <QAbstractTableModel>
#include <QColor>
#include <QFont>
#include <QHeaderView>
#include <QString>
#include <QStringList>
#include <QTableView>
#include <vector>

class QPainter;

namespace velgram {

enum class SortKind {
  Text,    // Dutch order, case-insensitive, numbers inside the text by value
  Number,  // leading number of the text ("12", "-3", "0.750"); empty and text sort as 0
  Time,    // "%d:%02d" (also "09:30"); empty sorts before every time
  None,    // a header click on this column does nothing
};

struct GridColumn {
  QString title;
  SortKind sort = SortKind::Text;
  Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter;
};

// What the printed page needs beyond the rows: all optional. Of the fonts
// only face, weight and style count; the list is scaled to the page width.
struct GridPrintSetup {
  QFont contentFont{QStringLiteral("Arial"), 10};  // cells and column titles
  QFont headerFont{QStringLiteral("Arial"), 10};   // page header and footer (drawn bold)
  QString caption;                                 // centre of the page header (the main window's caption)
  QString title;                                   // right of the page header (the program's name)
  QString subtitle;                                // under the header line, when not empty
  QString dateTime;                                // right of the footer; empty: the current date and time
  int extraSpace = 0;                              // screen pixels of an empty column at the right; 0 none
  int rowHeight = 0;                               // screen pixels of every data row; 0 sized by the font
  bool hideEmptyColumns = false;                   // leave out columns whose cells are all empty
};

struct GridPageInfo {
  int pageCount = 0;
  bool hasNext = false;
};

class LGridModel;

class LGrid : public QTableView {
  Q_OBJECT
 public:
  explicit LGrid(QWidget* parent = nullptr);
  ~LGrid() override;

  // --- columns -------------------------------------------------------------
  // Replaces the columns and removes every row.
  void SetColumns(const std::vector<GridColumn>& columns);
  int ColumnCount() const;
  QString ColumnTitle(int col) const;
  SortKind ColumnSort(int col) const;
  void SetColumnSort(int col, SortKind kind);
  // Width 0 hides the column; another width shows it (the next AutoSize sizes it).
  void SetColumnWidthPx(int col, int width);
  void SetColumnHidden(int col, bool hidden) { setColumnHidden(col, hidden); }
  bool ColumnHidden(int col) const { return isColumnHidden(col); }

  // --- rows ------------------------------------------------------------------
  void Clear();  // removes every row, keeps the columns
  int RowCount() const;
  // Appends a row (missing cells stay empty) and returns its number.
  int AddRow(const QStringList& cells, int id = -1);
  void RemoveRow(int row);
  // Puts a row where a full sort by the current sort column would put it,
  // rows of equal keys by id: the order of a list filled in id order and
  // then sorted. Without a sort, by id. Gives the row.
  int InsertRowSorted(const QStringList& cells, int id);
  // Many rows at once: between BeginUpdate and EndUpdate the view is told of
  // nothing, and EndUpdate redraws once. Calls nest.
  void BeginUpdate();
  void EndUpdate();

  void SetCell(int row, int col, const QString& text);
  QString Cell(int row, int col) const;
  // An invalid QColor means the grid's colour.
  void SetCellColors(int row, int col, const QColor& text, const QColor& background);
  void SetRowColors(int row, const QColor& text, const QColor& background);
  void SetCellBold(int row, int col, bool bold);
  void SetCellStrike(int row, int col, bool strike);
  void SetCellTooltip(int row, int col, const QString& tip);
  // Lines drawn along the cell's edges (a bracket), on screen by the view's
  // delegate and on paper by the print.
  enum CellLine { kLineBottom = 1, kLineRight = 2 };
  void SetCellLines(int row, int col, int lines);
  // In-place editing of one cell; an edit ends in cellEdited.
  void SetCellEditable(int row, int col, bool editable);

  void SetRowData(int row, int id);
  int RowData(int row) const;     // -1 for a row out of range
  int FindRowData(int id) const;  // first row carrying id, -1 when none

  // --- looks -------------------------------------------------------------------
  void SetGridFont(const QFont& font);
  // The colours of every cell that has none of its own.
  void SetColors(const QColor& text, const QColor& background);
  // Height of every row; 0 gives the font's natural height back.
  void SetRowHeight(int height);
  // Sizes every visible column to its widest text (title included).
  void AutoSize();
  // The same widths after rows of plain cells came and went, measuring only
  // those: a column is measured whole only when a text that went may have
  // been its widest.
  void AutoSizeChanged(const std::vector<QStringList>& gone, const std::vector<QStringList>& come);

  // --- selection -----------------------------------------------------------------
  std::vector<int> SelectedRows() const;  // ascending
  std::vector<int> SelectedIds() const;   // RowData of SelectedRows
  int FirstSelectedRow() const;           // -1 when none
  void SelectRow(int row, bool addToSelection = false);
  void SelectRows(const std::vector<int>& rows);
  void ClearRowSelection();

  // --- sorting ---------------------------------------------------------------------
  // A header click flips the direction (whatever the column), makes the column
  // the sort column and sorts, then emits sorted(). Off: only headerClicked.
  void SetHeaderClickSorts(bool on);
  void SortByColumn(int col, bool ascending);
  int SortColumn() const { return sortColumn_; }  // -1 before the first sort
  bool SortAscending() const { return sortAscending_; }

  // --- printing ------------------------------------------------------------------
  // Draws page `page` (from 1) of this list, as laid out for a page of
  // pageWidth x pageHeight device units at dpi dots per inch, into painter
  // (whose transform may scale the page onto a smaller window). The grid
  // itself is not changed: hidden columns stay hidden, fonts stay as shown.
  GridPageInfo RenderPage(QPainter& painter, int pageWidth, int pageHeight, double dpi, int page,
                          const GridPrintSetup& setup) const;
  int PageCount(int pageWidth, int pageHeight, double dpi, const GridPrintSetup& setup) const;
  // A chart that only makes sense whole (a bracket) is scaled down to one page.
  void SetPrintOnOnePage(bool on) { printOnOnePage_ = on; }
  bool PrintOnOnePage() const { return printOnOnePage_; }

  LGridModel* Model() const { return model_; }

 signals:
  void rowDoubleClicked(int row);
  void rowSelectionChanged();
  void headerClicked(int col);
  void sorted(int col, bool ascending);
  void cellEdited(int row, int col, const QString& text);

 private:
  struct ColumnMeasures;
  void OnHeaderClicked(int col);
  // The width that fits the column's title and every text in it.
  int FittingWidth(int col, ColumnMeasures& m) const;

  LGridModel* model_;
  int sortColumn_ = -1;
  bool sortAscending_ = false;  // the first click sorts ascending
  bool headerClickSorts_ = true;
  bool printOnOnePage_ = false;
  int rowHeight_ = 0;
};

// The row store behind LGrid; public for the print layout and the benchmarks.
class LGridModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  struct Cell {
    QString text;
    QString tooltip;
    QColor fg, bg;
    bool bold = false;
    bool strike = false;
    bool editable = false;
    int lines = 0;  // LGrid::CellLine bits
  };
  struct Row {
    std::vector<Cell> cells;
    int id = -1;
  };

  explicit LGridModel(QObject* parent = nullptr);

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

  void SetColumns(const std::vector<GridColumn>& columns);
  const std::vector<GridColumn>& Columns() const { return columns_; }
  std::vector<GridColumn>& MutableColumns() { return columns_; }
  void Clear();
  int AddRow(const QStringList& cells, int id);
  void RemoveRow(int row);
  int InsertRowSorted(const QStringList& cells, int id, int col, bool ascending);
  void BeginUpdate();
  void EndUpdate();
  bool Updating() const { return updating_ > 0; }

  const Row& RowAt(int row) const { return rows_[row]; }
  Cell* CellAt(int row, int col);  // nullptr out of range
  const Cell* CellAt(int row, int col) const;
  void CellChanged(int row, int col);
  void RowChanged(int row);
  void SetRowData(int row, int id);

  void SetBaseFont(const QFont& font) { font_ = font; }
  void SetDefaultColors(const QColor& text, const QColor& background);
  const QColor& DefaultBackground() const { return defaultBg_; }
  // Stable; rows comparing equal keep their order.
  void SortRows(int col, bool ascending);

 signals:
  void edited(int row, int col);  // by an editor of the view

 private:
  std::vector<GridColumn> columns_;
  // A new row, filled with the texts; taken from spare_ when it has one.
  Row MakeRow(const QStringList& cells, int id);

  std::vector<Row> rows_;
  std::vector<Row> spare_;  // rows cleared within an update, to be filled again
  QFont font_;
  QColor defaultFg_, defaultBg_;
  int updating_ = 0;
};

// The sort key of a text under a numeric or time column (exposed for tests).
double NumericSortKey(const QString& text);
int TimeSortKey(const QString& text);  // minutes; -1 when the text holds no time

}  // namespace velgram
