#include "app/widgets/grid.h"

#include <QCollator>
#include <QFontMetrics>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <numeric>

#include "app/printing/print_layout.h"

namespace velgram {

// ---------------------------------------------------------------------------
// Sort keys

double NumericSortKey(const QString& text) {
  // Lenient like atof: blanks, then a sign, digits and one decimal point
  // (a comma counts as the Dutch decimal sign); whatever follows is ignored.
  int i = 0;
  const int n = text.size();
  while (i < n && text[i].isSpace()) ++i;
  bool negative = false;
  if (i < n && (text[i] == u'-' || text[i] == u'+')) {
    negative = text[i] == u'-';
    ++i;
  }
  double value = 0;
  bool any = false;
  while (i < n && text[i].isDigit()) {
    value = value * 10 + text[i].digitValue();
    any = true;
    ++i;
  }
  if (i < n && (text[i] == u'.' || text[i] == u',')) {
    ++i;
    double scale = 0.1;
    while (i < n && text[i].isDigit()) {
      value += text[i].digitValue() * scale;
      scale /= 10;
      any = true;
      ++i;
    }
  }
  if (!any) return 0;
  return negative ? -value : value;
}

int TimeSortKey(const QString& text) {
  int i = 0;
  const int n = text.size();
  while (i < n && text[i].isSpace()) ++i;
  int hours = 0;
  int digits = 0;
  while (i < n && text[i].isDigit()) {
    hours = hours * 10 + text[i].digitValue();
    ++digits;
    ++i;
  }
  if (digits == 0 || i >= n || text[i] != u':') return -1;
  ++i;
  int minutes = 0;
  digits = 0;
  while (i < n && text[i].isDigit() && digits < 2) {
    minutes = minutes * 10 + text[i].digitValue();
    ++digits;
    ++i;
  }
  if (digits == 0) return -1;
  return hours * 60 + minutes;
}

// ---------------------------------------------------------------------------
// LGridModel

LGridModel::LGridModel(QObject* parent) : QAbstractTableModel(parent) {}

int LGridModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int LGridModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(columns_.size());
}

QVariant LGridModel::data(const QModelIndex& index, int role) const {
  const Cell* cell = CellAt(index.row(), index.column());
  if (!cell) return {};
  switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
      return cell->text;
    case Qt::ToolTipRole:
      return cell->tooltip.isEmpty() ? QVariant() : QVariant(cell->tooltip);
    case Qt::ForegroundRole:
      if (cell->fg.isValid()) return cell->fg;
      return defaultFg_.isValid() ? QVariant(defaultFg_) : QVariant();
    case Qt::BackgroundRole:
      if (cell->bg.isValid()) return cell->bg;
      return defaultBg_.isValid() ? QVariant(defaultBg_) : QVariant();
    case Qt::FontRole:
      if (cell->bold || cell->strike) {
        QFont f = font_;
        f.setBold(cell->bold);
        f.setStrikeOut(cell->strike);
        return f;
      }
      return {};
    case Qt::TextAlignmentRole:
      return QVariant::fromValue(columns_[index.column()].align);
    case Qt::UserRole:
      return rows_[index.row()].id;
    default:
      return {};
  }
}

bool LGridModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  Cell* cell = CellAt(index.row(), index.column());
  if (!cell || role != Qt::EditRole) return false;
  cell->text = value.toString();
  emit dataChanged(index, index);
  emit edited(index.row(), index.column());
  return true;
}

QVariant LGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || section < 0 || section >= columnCount()) return {};
  if (role == Qt::DisplayRole) return columns_[section].title;
  if (role == Qt::TextAlignmentRole) return QVariant::fromValue(Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter));
  return {};
}

Qt::ItemFlags LGridModel::flags(const QModelIndex& index) const {
  const Cell* cell = CellAt(index.row(), index.column());
  if (!cell) return Qt::NoItemFlags;
  Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
  if (cell->editable) f |= Qt::ItemIsEditable;
  return f;
}

void LGridModel::SetColumns(const std::vector<GridColumn>& columns) {
  beginResetModel();
  columns_ = columns;
  rows_.clear();
  endResetModel();
}

void LGridModel::Clear() {
  if (updating_) {
    // A list refilled within an update mostly gets as many rows again: the
    // rows are kept to be filled anew rather than freed and allocated.
    spare_.swap(rows_);
    rows_.clear();
    rows_.reserve(spare_.size());
    return;
  }
  beginResetModel();
  rows_.clear();
  endResetModel();
}

LGridModel::Row LGridModel::MakeRow(const QStringList& cells, int id) {
  Row r;
  if (!spare_.empty()) {
    r = std::move(spare_.back());
    spare_.pop_back();
  }
  r.id = id;
  r.cells.resize(columns_.size());
  const int n = std::min<int>(cells.size(), static_cast<int>(columns_.size()));
  for (int c = 0; c < static_cast<int>(r.cells.size()); ++c) {
    r.cells[c] = Cell{};  // nothing of the row it was before
    if (c < n) r.cells[c].text = cells[c];
  }
  return r;
}

int LGridModel::AddRow(const QStringList& cells, int id) {
  const int row = static_cast<int>(rows_.size());
  if (!updating_) beginInsertRows(QModelIndex(), row, row);
  rows_.push_back(MakeRow(cells, id));
  if (!updating_) endInsertRows();
  return row;
}

int LGridModel::InsertRowSorted(const QStringList& cells, int id, int col, bool ascending) {
  const SortKind kind = col >= 0 && col < columnCount() ? columns_[col].sort : SortKind::None;
  const QString text = kind == SortKind::None ? QString() : cells.value(col);
  QCollator collator(QLocale(QLocale::Dutch, QLocale::Netherlands));
  collator.setCaseSensitivity(Qt::CaseInsensitive);
  collator.setNumericMode(true);
  const double key = kind == SortKind::Number ? NumericSortKey(text) : kind == SortKind::Time ? TimeSortKey(text) : 0;
  // True when the new row goes before row r.
  auto before = [&](int r) {
    int c = 0;
    if (kind == SortKind::Text) {
      c = collator.compare(text, rows_[r].cells[col].text);
    } else if (kind != SortKind::None) {
      const QString& other = rows_[r].cells[col].text;
      const double k = kind == SortKind::Number ? NumericSortKey(other) : TimeSortKey(other);
      c = key < k ? -1 : key > k ? 1 : 0;
    }
    if (!ascending) c = -c;
    return c != 0 ? c < 0 : id < rows_[r].id;
  };
  int lo = 0, hi = rowCount();
  while (lo < hi) {
    const int mid = lo + (hi - lo) / 2;
    if (before(mid))
      hi = mid;
    else
      lo = mid + 1;
  }
  if (!updating_) beginInsertRows(QModelIndex(), lo, lo);
  rows_.insert(rows_.begin() + lo, MakeRow(cells, id));
  if (!updating_) endInsertRows();
  return lo;
}

void LGridModel::RemoveRow(int row) {
  if (row < 0 || row >= rowCount()) return;
  if (!updating_) beginRemoveRows(QModelIndex(), row, row);
  rows_.erase(rows_.begin() + row);
  if (!updating_) endRemoveRows();
}

void LGridModel::BeginUpdate() {
  if (updating_++ == 0) beginResetModel();
}

void LGridModel::EndUpdate() {
  if (updating_ == 0) return;
  if (--updating_ == 0) {
    spare_.clear();
    endResetModel();
  }
}

LGridModel::Cell* LGridModel::CellAt(int row, int col) {
  if (row < 0 || row >= static_cast<int>(rows_.size()) || col < 0 || col >= static_cast<int>(columns_.size()))
    return nullptr;
  return &rows_[row].cells[col];
}

const LGridModel::Cell* LGridModel::CellAt(int row, int col) const {
  return const_cast<LGridModel*>(this)->CellAt(row, col);
}

void LGridModel::CellChanged(int row, int col) {
  if (updating_) return;
  const QModelIndex i = index(row, col);
  emit dataChanged(i, i);
}

void LGridModel::RowChanged(int row) {
  if (updating_ || columns_.empty()) return;
  emit dataChanged(index(row, 0), index(row, columnCount() - 1));
}

void LGridModel::SetRowData(int row, int id) {
  if (row >= 0 && row < rowCount()) rows_[row].id = id;
}

void LGridModel::SetDefaultColors(const QColor& text, const QColor& background) {
  defaultFg_ = text;
  defaultBg_ = background;
  if (!updating_ && !rows_.empty() && !columns_.empty())
    emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
}

void LGridModel::SortRows(int col, bool ascending) {
  if (col < 0 || col >= columnCount() || rows_.size() < 2) return;
  const SortKind kind = columns_[col].sort;
  if (kind == SortKind::None) return;
  // Keys are computed once per row, not once per comparison: sorting 20,000
  // rows by a text column would otherwise parse each text ~30 times.
  const size_t n = rows_.size();
  std::vector<size_t> order(n);
  std::iota(order.begin(), order.end(), 0);
  if (kind == SortKind::Text) {
    // Dutch collation: accents and case come after the letter itself
    // ("Emile", "Émile", "Eva"), and numbers inside names count as numbers
    // ("Poule 2" before "Poule 10").
    QCollator collator(QLocale(QLocale::Dutch, QLocale::Netherlands));
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    collator.setNumericMode(true);
    std::vector<QCollatorSortKey> keys;
    keys.reserve(n);
    for (size_t i = 0; i < n; ++i) keys.push_back(collator.sortKey(rows_[i].cells[col].text));
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
      const int c = keys[a].compare(keys[b]);
      return ascending ? c < 0 : c > 0;
    });
  } else {
    std::vector<double> keys(n);
    for (size_t i = 0; i < n; ++i) {
      const QString& t = rows_[i].cells[col].text;
      keys[i] = kind == SortKind::Number ? NumericSortKey(t) : TimeSortKey(t);
    }
    std::stable_sort(order.begin(), order.end(),
                     [&](size_t a, size_t b) { return ascending ? keys[a] < keys[b] : keys[a] > keys[b]; });
  }
  if (!updating_) emit layoutAboutToBeChanged();
  const QModelIndexList before = updating_ ? QModelIndexList() : persistentIndexList();
  std::vector<Row> sortedRows;
  sortedRows.reserve(n);
  std::vector<int> newPos(n);
  for (size_t i = 0; i < n; ++i) {
    newPos[order[i]] = static_cast<int>(i);
    sortedRows.push_back(std::move(rows_[order[i]]));
  }
  rows_ = std::move(sortedRows);
  if (!updating_) {
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex& i : before) after.push_back(index(newPos[i.row()], i.column()));
    changePersistentIndexList(before, after);
    emit layoutChanged();
  }
}

// ---------------------------------------------------------------------------
// LGrid

LGrid::LGrid(QWidget* parent) : QTableView(parent), model_(new LGridModel(this)) {
  setModel(model_);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::ExtendedSelection);
  setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed);
  setWordWrap(false);
  setAlternatingRowColors(false);
  verticalHeader()->hide();
  verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  horizontalHeader()->setSectionsClickable(true);
  horizontalHeader()->setHighlightSections(false);
  horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
  horizontalHeader()->setStretchLastSection(false);
  model_->SetBaseFont(font());
  SetRowHeight(0);

  connect(horizontalHeader(), &QHeaderView::sectionClicked, this, &LGrid::OnHeaderClicked);
  connect(this, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& index) {
    if (index.isValid() && !(model_->flags(index) & Qt::ItemIsEditable)) emit rowDoubleClicked(index.row());
  });
  connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] { emit rowSelectionChanged(); });
  // The program changes cells with SetCell; only an editor goes through setData.
  connect(model_, &LGridModel::edited, this, [this](int row, int col) { emit cellEdited(row, col, Cell(row, col)); });
}

LGrid::~LGrid() = default;

void LGrid::SetColumns(const std::vector<GridColumn>& columns) {
  model_->SetColumns(columns);
  sortColumn_ = -1;
  sortAscending_ = false;
  // The arrow belonged to the old columns.
  horizontalHeader()->setSortIndicatorShown(false);
  horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
  for (int c = 0; c < ColumnCount(); ++c) setColumnHidden(c, false);
}

int LGrid::ColumnCount() const { return model_->columnCount(); }

QString LGrid::ColumnTitle(int col) const {
  return col >= 0 && col < ColumnCount() ? model_->Columns()[col].title : QString();
}

SortKind LGrid::ColumnSort(int col) const {
  return col >= 0 && col < ColumnCount() ? model_->Columns()[col].sort : SortKind::None;
}

void LGrid::SetColumnSort(int col, SortKind kind) {
  if (col >= 0 && col < ColumnCount()) model_->MutableColumns()[col].sort = kind;
}

void LGrid::SetColumnWidthPx(int col, int width) {
  if (col < 0 || col >= ColumnCount()) return;
  if (width <= 0) {
    setColumnHidden(col, true);
  } else {
    setColumnHidden(col, false);
    setColumnWidth(col, width);
  }
}

void LGrid::Clear() { model_->Clear(); }
int LGrid::RowCount() const { return model_->rowCount(); }
int LGrid::AddRow(const QStringList& cells, int id) { return model_->AddRow(cells, id); }
void LGrid::RemoveRow(int row) { model_->RemoveRow(row); }
int LGrid::InsertRowSorted(const QStringList& cells, int id) {
  return model_->InsertRowSorted(cells, id, sortColumn_, sortAscending_);
}
void LGrid::BeginUpdate() { model_->BeginUpdate(); }
void LGrid::EndUpdate() { model_->EndUpdate(); }

void LGrid::SetCell(int row, int col, const QString& text) {
  if (LGridModel::Cell* c = model_->CellAt(row, col)) {
    c->text = text;
    model_->CellChanged(row, col);
  }
}

QString LGrid::Cell(int row, int col) const {
  const LGridModel::Cell* c = model_->CellAt(row, col);
  return c ? c->text : QString();
}

void LGrid::SetCellColors(int row, int col, const QColor& text, const QColor& background) {
  if (LGridModel::Cell* c = model_->CellAt(row, col)) {
    c->fg = text;
    c->bg = background;
    model_->CellChanged(row, col);
  }
}

void LGrid::SetRowColors(int row, const QColor& text, const QColor& background) {
  if (row < 0 || row >= RowCount()) return;
  for (int col = 0; col < ColumnCount(); ++col) {
    LGridModel::Cell* c = model_->CellAt(row, col);
    c->fg = text;
    c->bg = background;
  }
  model_->RowChanged(row);
}

void LGrid::SetCellBold(int row, int col, bool bold) {
  if (LGridModel::Cell* c = model_->CellAt(row, col)) {
    c->bold = bold;
    model_->CellChanged(row, col);
  }
}

void LGrid::SetCellStrike(int row, int col, bool strike) {
  if (LGridModel::Cell* c = model_->CellAt(row, col)) {
    c->strike = strike;
    model_->CellChanged(row, col);
  }
}

void LGrid::SetCellLines(int row, int col, int lines) {
  if (LGridModel::Cell* c = model_->CellAt(row, col)) {
    c->lines = lines;
    model_->CellChanged(row, col);
  }
}

void LGrid::SetCellTooltip(int row, int col, const QString& tip) {
  if (LGridModel::Cell* c = model_->CellAt(row, col)) c->tooltip = tip;
}

void LGrid::SetCellEditable(int row, int col, bool editable) {
  if (LGridModel::Cell* c = model_->CellAt(row, col)) c->editable = editable;
}

void LGrid::SetRowData(int row, int id) { model_->SetRowData(row, id); }

int LGrid::RowData(int row) const { return row >= 0 && row < RowCount() ? model_->RowAt(row).id : -1; }

int LGrid::FindRowData(int id) const {
  for (int r = 0; r < RowCount(); ++r)
    if (model_->RowAt(r).id == id) return r;
  return -1;
}

void LGrid::SetGridFont(const QFont& font) {
  setFont(font);
  horizontalHeader()->setFont(font);
  model_->SetBaseFont(font);
  SetRowHeight(rowHeight_);
}

void LGrid::SetColors(const QColor& text, const QColor& background) {
  QPalette p = palette();
  p.setColor(QPalette::Text, text);
  p.setColor(QPalette::Base, background);
  setPalette(p);
  model_->SetDefaultColors(text, background);
  viewport()->update();
}

void LGrid::SetRowHeight(int height) {
  rowHeight_ = height > 0 ? height : 0;
  const int natural = QFontMetrics(font()).height() + 6;
  const int h = rowHeight_ > 0 ? rowHeight_ : natural;
  // Rows lower than the style's minimum are asked for by the print settings.
  verticalHeader()->setMinimumSectionSize(1);
  verticalHeader()->setDefaultSectionSize(h);
}

// What a column's width is measured with: the list's font, its bold form, the
// header's font, and the room a cell keeps around its text.
struct LGrid::ColumnMeasures {
  explicit ColumnMeasures(const QTableView& view)
      : normal(view.font()),
        bold(Bold(view.font())),
        header(view.horizontalHeader()->font()),
        padding(2 * view.style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, &view) + 12) {}
  static QFont Bold(QFont font) {
    font.setBold(true);
    return font;
  }
  TextMeasurer normal;
  TextMeasurer bold;
  TextMeasurer header;
  int padding;
};

int LGrid::FittingWidth(int col, ColumnMeasures& m) const {
  // The header also needs room for the sort arrow.
  double width = m.header.Width(ColumnTitle(col)) + 20;
  for (int row = 0; row < RowCount(); ++row) {
    const LGridModel::Cell* c = model_->CellAt(row, col);
    if (!c->text.isEmpty()) width = std::max(width, (c->bold ? m.bold : m.normal).Width(c->text));
  }
  return static_cast<int>(std::ceil(width)) + m.padding;
}

void LGrid::AutoSize() {
  // Measured here rather than with resizeColumnsToContents, which asks the
  // delegate of every cell and is slow on long lists.
  ColumnMeasures m(*this);
  for (int col = 0; col < ColumnCount(); ++col)
    if (!isColumnHidden(col)) setColumnWidth(col, FittingWidth(col, m));
}

void LGrid::AutoSizeChanged(const std::vector<QStringList>& gone, const std::vector<QStringList>& come) {
  ColumnMeasures m(*this);
  TextMeasurer& normal = m.normal;
  TextMeasurer& bold = m.bold;
  TextMeasurer& header = m.header;
  const int padding = m.padding;
  for (int col = 0; col < ColumnCount(); ++col) {
    if (isColumnHidden(col)) continue;
    // AutoSize gives ceil(widest) + padding: a text that went narrower than
    // that cannot have been the widest, and a text that came can only widen.
    const int now = columnWidth(col);
    bool whole = false;
    for (const QStringList& row : gone)
      if (col < row.size() && !row[col].isEmpty() && static_cast<int>(std::ceil(normal.Width(row[col]))) + padding >= now)
        whole = true;
    // Texts of the same width are common (times, table numbers): one that
    // stayed and still reaches the width keeps it.
    auto reaches = [&](const QString& text, bool isBold) {
      return static_cast<int>(std::ceil((isBold ? bold : normal).Width(text))) + padding >= now;
    };
    if (whole && static_cast<int>(std::ceil(header.Width(ColumnTitle(col)) + 20)) + padding >= now) whole = false;
    for (int row = 0; whole && row < RowCount(); ++row) {
      const LGridModel::Cell* c = model_->CellAt(row, col);
      if (!c->text.isEmpty() && reaches(c->text, c->bold)) whole = false;
    }
    if (whole) {
      setColumnWidth(col, FittingWidth(col, m));
      continue;
    }
    int widest = now;
    for (const QStringList& row : come)
      if (col < row.size() && !row[col].isEmpty())
        widest = std::max(widest, static_cast<int>(std::ceil(normal.Width(row[col]))) + padding);
    if (widest != now) setColumnWidth(col, widest);
  }
}

std::vector<int> LGrid::SelectedRows() const {
  std::vector<int> rows;
  for (const QModelIndex& i : selectionModel()->selectedRows()) rows.push_back(i.row());
  std::sort(rows.begin(), rows.end());
  return rows;
}

std::vector<int> LGrid::SelectedIds() const {
  std::vector<int> ids;
  for (int r : SelectedRows()) ids.push_back(RowData(r));
  return ids;
}

int LGrid::FirstSelectedRow() const {
  const std::vector<int> rows = SelectedRows();
  return rows.empty() ? -1 : rows.front();
}

void LGrid::SelectRow(int row, bool addToSelection) {
  if (row < 0 || row >= RowCount() || ColumnCount() == 0) return;
  auto flags =
      QItemSelectionModel::Rows | (addToSelection ? QItemSelectionModel::Select : QItemSelectionModel::ClearAndSelect);
  const QModelIndex index = model_->index(row, 0);
  selectionModel()->setCurrentIndex(index, flags);
  scrollTo(index);
}

void LGrid::SelectRows(const std::vector<int>& rows) {
  ClearRowSelection();
  QItemSelection selection;
  for (int row : rows)
    if (row >= 0 && row < RowCount() && ColumnCount() > 0)
      selection.select(model_->index(row, 0), model_->index(row, ColumnCount() - 1));
  selectionModel()->select(selection, QItemSelectionModel::Select);
}

void LGrid::ClearRowSelection() { selectionModel()->clearSelection(); }

void LGrid::SetHeaderClickSorts(bool on) { headerClickSorts_ = on; }

void LGrid::SortByColumn(int col, bool ascending) {
  if (col < 0 || col >= ColumnCount()) return;
  sortColumn_ = col;
  sortAscending_ = ascending;
  model_->SortRows(col, ascending);
  horizontalHeader()->setSortIndicatorShown(true);
  horizontalHeader()->setSortIndicator(col, ascending ? Qt::AscendingOrder : Qt::DescendingOrder);
}

void LGrid::OnHeaderClicked(int col) {
  emit headerClicked(col);
  if (!headerClickSorts_ || ColumnSort(col) == SortKind::None) return;
  SortByColumn(col, !sortAscending_);
  emit sorted(col, sortAscending_);
}

GridPageInfo LGrid::RenderPage(QPainter& painter, int pageWidth, int pageHeight, double dpi, int page,
                               const GridPrintSetup& setup) const {
  const GridPrintLayout layout = LayoutGridPages(*this, pageWidth, pageHeight, dpi, setup);
  PaintGridPage(painter, *this, layout, page, setup);
  return {layout.PageCount(), page < layout.PageCount()};
}

int LGrid::PageCount(int pageWidth, int pageHeight, double dpi, const GridPrintSetup& setup) const {
  return LayoutGridPages(*this, pageWidth, pageHeight, dpi, setup).PageCount();
}

}  // namespace velgram
