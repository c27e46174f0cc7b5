#include "app/printing/print_layout.h"

#include <QDateTime>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPainter>
#include <QPrinter>
#include <algorithm>
#include <cmath>

namespace velgram {

namespace {

constexpr double kScreenDpi = 96.0;
constexpr double kCellPadding = 6.0;  // left and right of the text in a cell
constexpr double kHeaderGap = 6.0;    // between the page header and the list

// A column is empty when no cell below the header shows anything: a chart
// such as the tables chart says everything with colours and has no text.
bool ColumnIsEmpty(const LGridModel& model, int col) {
  for (int row = 0; row < model.rowCount(); ++row) {
    const LGridModel::Cell* cell = model.CellAt(row, col);
    if (!cell->text.trimmed().isEmpty()) return false;
    if (cell->bg.isValid() && cell->bg != model.DefaultBackground()) return false;
  }
  return true;
}

}  // namespace

TextMeasurer::TextMeasurer(const QFont& font) : metrics_(font) {
  for (double& a : advance_) a = -1;
}

double TextMeasurer::Width(const QString& text) {
  double width = 0;
  for (const QChar c : text) {
    const char16_t u = c.unicode();
    if (u >= 256) return metrics_.horizontalAdvance(text);
    double& a = advance_[u];
    if (a < 0) a = metrics_.horizontalAdvance(c);
    width += a;
  }
  return width;
}

QFont PrintPixelFont(const QFont& font) {
  QFont f = font;
  f.setPixelSize(static_cast<int>(std::lround(10 * kScreenDpi / 72.0)));
  // Hinting would round glyphs to device pixels of the screen and make the
  // text on paper wider than it was measured.
  f.setHintingPreference(QFont::PreferNoHinting);
  return f;
}

void PageFrameHeights(const QFont& headerFont, const GridPrintSetup& setup, double& header, double& footer) {
  const QFontMetricsF metrics(headerFont);
  header = metrics.height() + 4 + 1 + kHeaderGap;
  if (!setup.subtitle.isEmpty()) header += metrics.height() + 2;
  footer = kHeaderGap + metrics.height();
}

void PaintPageFrame(QPainter& painter, double pageWidth, double pageHeight, const QFont& headerFont, int page,
                    int pageCount, const GridPrintSetup& setup) {
  const double w = pageWidth;
  // Header: caption centred, program title right, a rule, the subtitle.
  painter.setPen(Qt::black);
  painter.setFont(headerFont);
  const QFontMetricsF header(headerFont);
  const double lineH = header.height();
  painter.drawText(QRectF(0, 0, w, lineH), Qt::AlignHCenter | Qt::AlignVCenter | Qt::TextSingleLine, setup.caption);
  painter.drawText(QRectF(0, 0, w, lineH), Qt::AlignRight | Qt::AlignVCenter | Qt::TextSingleLine, setup.title);
  double y = lineH + 4;
  painter.setPen(QPen(Qt::black, 1));
  painter.drawLine(QPointF(0, y), QPointF(w, y));
  y += 1;
  if (!setup.subtitle.isEmpty()) {
    y += 2;
    painter.drawText(QRectF(0, y, w, lineH), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, setup.subtitle);
  }

  // Footer.
  const double footerY = pageHeight - lineH;
  painter.drawText(QRectF(0, footerY, w, lineH), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                   QStringLiteral("Pag. %1 of %2").arg(page).arg(pageCount));
  const QString when = setup.dateTime.isEmpty()
                           ? QDateTime::currentDateTime().toString(QStringLiteral("dd-MM-yyyy HH:mm"))
                           : setup.dateTime;
  painter.drawText(QRectF(0, footerY, w, lineH), Qt::AlignRight | Qt::AlignVCenter | Qt::TextSingleLine, when);
}

GridPrintLayout LayoutGridPages(const LGrid& grid, int pageWidth, int pageHeight, double dpi,
                                const GridPrintSetup& setup) {
  GridPrintLayout layout;
  const LGridModel& model = *grid.Model();
  layout.rowCount = model.rowCount();
  layout.unitsPerPixel = (dpi > 0 ? dpi : kScreenDpi) / kScreenDpi;
  layout.pageWidth = pageWidth / layout.unitsPerPixel;
  layout.pageHeight = pageHeight / layout.unitsPerPixel;
  layout.contentFont = PrintPixelFont(setup.contentFont);
  layout.headerFont = PrintPixelFont(setup.headerFont);
  layout.headerFont.setBold(true);

  PageFrameHeights(layout.headerFont, setup, layout.headerHeight, layout.footerHeight);

  QFont boldFont = layout.contentFont;
  boldFont.setBold(true);
  const QFontMetricsF normalMetrics(layout.contentFont);
  TextMeasurer normal(layout.contentFont);
  TextMeasurer bold(boldFont);
  const bool dropEmpty = setup.hideEmptyColumns && layout.rowCount > 0;
  for (int col = 0; col < model.columnCount(); ++col) {
    if (grid.isColumnHidden(col)) continue;
    if (dropEmpty && ColumnIsEmpty(model, col)) continue;
    double width = bold.Width(model.Columns()[col].title.trimmed());
    for (int row = 0; row < layout.rowCount; ++row) {
      const LGridModel::Cell* c = model.CellAt(row, col);
      if (!c->text.isEmpty()) width = std::max(width, (c->bold ? bold : normal).Width(c->text));
    }
    layout.columns.push_back({col, std::ceil(width + 2 * kCellPadding)});
  }
  if (setup.extraSpace > 0) layout.columns.push_back({-1, static_cast<double>(setup.extraSpace)});

  double gridWidth = 0;
  for (const auto& c : layout.columns) gridWidth += c.width;
  // One pixel less than the page, so that the rule at the right stays on it.
  if (gridWidth > 0) layout.gridScale = std::min((layout.pageWidth - 1) / gridWidth, kMaxPrintMagnification);

  const double natural = std::ceil(normalMetrics.height()) + 6;
  layout.titleRowHeight = natural;
  layout.rowHeight = setup.rowHeight > 0 ? setup.rowHeight : natural;
  if (layout.rowHeight < natural) layout.textScale = std::max(0.2, (layout.rowHeight - 2) / normalMetrics.height());

  const double available =
      (layout.pageHeight - layout.headerHeight - layout.footerHeight) / layout.gridScale - layout.titleRowHeight;
  layout.rowsPerPage = std::max(1, static_cast<int>(std::floor(available / layout.rowHeight + 1e-9)));
  if (grid.PrintOnOnePage() && layout.rowsPerPage < layout.rowCount) {
    const double listHeight = layout.titleRowHeight + layout.rowCount * layout.rowHeight;
    layout.gridScale = std::min(layout.gridScale,
                                (layout.pageHeight - layout.headerHeight - layout.footerHeight - 1) / listHeight);
    layout.rowsPerPage = layout.rowCount;
  }
  return layout;
}

void PaintGridPage(QPainter& painter, const LGrid& grid, const GridPrintLayout& layout, int page,
                   const GridPrintSetup& setup) {
  const LGridModel& model = *grid.Model();
  page = std::clamp(page, 1, layout.PageCount());
  painter.save();
  painter.setRenderHint(QPainter::TextAntialiasing);
  painter.scale(layout.unitsPerPixel, layout.unitsPerPixel);

  PaintPageFrame(painter, layout.pageWidth, layout.pageHeight, layout.headerFont, page, layout.PageCount(), setup);

  // The list.
  painter.translate(0, layout.headerHeight);
  painter.scale(layout.gridScale, layout.gridScale);
  double gridWidth = 0;
  for (const auto& c : layout.columns) gridWidth += c.width;
  const QPen linePen(QColor(160, 160, 160), 0);

  QFont titleFont = layout.contentFont;
  titleFont.setBold(true);
  painter.fillRect(QRectF(0, 0, gridWidth, layout.titleRowHeight), QColor(230, 230, 230));
  painter.setFont(titleFont);
  painter.setPen(Qt::black);
  double x = 0;
  for (const auto& c : layout.columns) {
    if (c.source >= 0)
      painter.drawText(QRectF(x + kCellPadding, 0, c.width - kCellPadding, layout.titleRowHeight),
                       Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                       model.Columns()[c.source].title.trimmed());
    x += c.width;
  }

  QFont cellFont = layout.contentFont;
  if (layout.textScale < 1)
    cellFont.setPixelSize(std::max(1, static_cast<int>(cellFont.pixelSize() * layout.textScale)));
  QFont cellBold = cellFont;
  cellBold.setBold(true);
  const int first = layout.FirstRow(page);
  const int last = std::min(layout.rowCount, first + layout.rowsPerPage);
  double rowY = layout.titleRowHeight;
  for (int row = first; row < last; ++row, rowY += layout.rowHeight) {
    x = 0;
    for (const auto& c : layout.columns) {
      const QRectF cellRect(x, rowY, c.width, layout.rowHeight);
      x += c.width;
      if (c.source < 0) continue;
      const LGridModel::Cell* cell = model.CellAt(row, c.source);
      if (cell->bg.isValid()) painter.fillRect(cellRect, cell->bg);
      if (cell->lines) {
        painter.setPen(QPen(Qt::black, 1.5));
        if (cell->lines & LGrid::kLineBottom) painter.drawLine(cellRect.bottomLeft(), cellRect.bottomRight());
        if (cell->lines & LGrid::kLineRight) painter.drawLine(cellRect.topRight(), cellRect.bottomRight());
      }
      if (cell->text.isEmpty()) continue;
      QFont f = cell->bold ? cellBold : cellFont;
      f.setStrikeOut(cell->strike);
      painter.setFont(f);
      painter.setPen(cell->fg.isValid() ? cell->fg : QColor(Qt::black));
      const Qt::Alignment align = model.Columns()[c.source].align;
      painter.drawText(cellRect.adjusted(kCellPadding, 0, -kCellPadding, 0),
                       static_cast<int>((align & Qt::AlignHorizontal_Mask) | Qt::AlignVCenter | Qt::TextSingleLine),
                       cell->text);
    }
  }

  // Grid lines over the whole table, the added column included; a list
  // shown without them (a bracket) prints without them.
  painter.setPen(grid.showGrid() ? linePen : QPen(Qt::NoPen));
  const double bottom = rowY;
  painter.drawLine(QPointF(0, 0), QPointF(gridWidth, 0));
  painter.drawLine(QPointF(0, layout.titleRowHeight), QPointF(gridWidth, layout.titleRowHeight));
  for (double ly = layout.titleRowHeight + layout.rowHeight; ly <= bottom + 0.01; ly += layout.rowHeight)
    painter.drawLine(QPointF(0, ly), QPointF(gridWidth, ly));
  x = 0;
  painter.drawLine(QPointF(0, 0), QPointF(0, bottom));
  for (const auto& c : layout.columns) {
    x += c.width;
    painter.drawLine(QPointF(x, 0), QPointF(x, bottom));
  }
  painter.restore();
}

bool PrintGrid(const LGrid& grid, QPrinter& printer, const GridPrintSetup& setup) {
  QPainter painter;
  if (!painter.begin(&printer)) return false;
  const QRect area = printer.pageLayout().paintRectPixels(printer.resolution());
  const GridPrintLayout layout = LayoutGridPages(grid, area.width(), area.height(), printer.resolution(), setup);
  for (int page = 1; page <= layout.PageCount(); ++page) {
    if (page > 1 && !printer.newPage()) return false;
    PaintGridPage(painter, grid, layout, page, setup);
  }
  return painter.end();
}

bool PrintPages(const PageSource& source, QPrinter& printer, const GridPrintSetup& setup) {
  QPainter painter;
  if (!painter.begin(&printer)) return false;
  const QRect area = printer.pageLayout().paintRectPixels(printer.resolution());
  const int count = source.PageCount(area.width(), area.height(), printer.resolution(), setup);
  for (int page = 1; page <= count; ++page) {
    if (page > 1 && !printer.newPage()) return false;
    source.PaintPage(painter, area.width(), area.height(), printer.resolution(), page, setup);
  }
  return painter.end();
}

}  // namespace velgram
