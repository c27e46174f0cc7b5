#pragma once
// Page layout of a printed list, free of any window so that it can be tested
// and used both by the preview and by the printer.
//
// A list is laid out in screen pixels (96 per inch) with the content font and
// then scaled to the width of the page, so that the widest list still fits
// and "extra space" at the right makes the text smaller. A narrow list is
// enlarged at most kMaxPrintMagnification times: a two-column list would
// otherwise print in letters of a centimetre. The fonts give the face, weight
// and style; their size is always 10 points, since the scaling decides how
// large the text comes out (the dialog says so). Every page repeats the
// column titles under a page header (caption centred, program title right,
// bold, a rule and the subtitle) and ends in a footer ("Pag. %d of %d" left,
// date and time right).
#include <QFont>
#include <QFontMetricsF>
#include <QString>
#include <vector>

#include "app/widgets/grid.h"

class QPainter;
class QPrinter;

namespace velgram {

struct GridPrintLayout {
  struct Column {
    int source = -1;   // grid column, -1 for the added empty column
    double width = 0;  // layout pixels
  };
  std::vector<Column> columns;
  double pageWidth = 0, pageHeight = 0;       // the page in layout pixels
  double unitsPerPixel = 1;                   // device units per layout pixel
  double gridScale = 1;                       // layout pixels of the list to layout pixels of the page
  double headerHeight = 0, footerHeight = 0;  // layout pixels, not scaled by gridScale
  double titleRowHeight = 0, rowHeight = 0;   // layout pixels before gridScale
  double textScale = 1;                       // the content font shrunk to fit a low row height
  QFont contentFont, headerFont;              // pixel-sized, in layout pixels
  int rowCount = 0;
  int rowsPerPage = 1;

  int PageCount() const { return rowCount == 0 ? 1 : (rowCount + rowsPerPage - 1) / rowsPerPage; }
  int FirstRow(int page) const { return (page - 1) * rowsPerPage; }
};

// The columns the print shows: those shown on screen, less the empty ones
// when asked (a list without rows keeps all), plus the extra column.
GridPrintLayout LayoutGridPages(const LGrid& grid, int pageWidth, int pageHeight, double dpi,
                                const GridPrintSetup& setup);

// Draws page `page` (from 1; clamped to the page range) with the device's
// origin at the top left of the printable area.
void PaintGridPage(QPainter& painter, const LGrid& grid, const GridPrintLayout& layout, int page,
                   const GridPrintSetup& setup);

// Prints every page on a printer that is already set up; false when the
// printer could not be started.
bool PrintGrid(const LGrid& grid, QPrinter& printer, const GridPrintSetup& setup);

// Pages drawn by something else than the list itself, such as the match
// slips, printed with the same page header and footer.
class PageSource {
 public:
  virtual ~PageSource() = default;
  // Sizes in device units of the printable area at dpi dots per inch.
  virtual int PageCount(int pageWidth, int pageHeight, double dpi, const GridPrintSetup& setup) const = 0;
  // Page `page` (from 1) with the origin at the top left of the printable area.
  virtual void PaintPage(QPainter& painter, int pageWidth, int pageHeight, double dpi, int page,
                         const GridPrintSetup& setup) const = 0;
};
bool PrintPages(const PageSource& source, QPrinter& printer, const GridPrintSetup& setup);

// The page header (caption, title, rule, subtitle) and footer ("Pag. %d of
// %d", date and time) in layout pixels; headerFont is the bold pixel font.
void PageFrameHeights(const QFont& headerFont, const GridPrintSetup& setup, double& header, double& footer);
void PaintPageFrame(QPainter& painter, double pageWidth, double pageHeight, const QFont& headerFont, int page,
                    int pageCount, const GridPrintSetup& setup);

// Widths of single-line texts in one font, summed from cached character
// advances. Shaping every text of a long list (20,000 rows) takes a quarter
// of a second; this takes a fraction of that. Kerning only ever narrows the
// shaped text, so the sum is never too small to hold it.
class TextMeasurer {
 public:
  explicit TextMeasurer(const QFont& font);
  double Width(const QString& text);

 private:
  QFontMetricsF metrics_;
  double advance_[256];
};

inline constexpr double kMaxPrintMagnification = 1.5;

// A font for the printed page: the face, weight and style of `font` at 10
// points, expressed in layout pixels.
QFont PrintPixelFont(const QFont& font);

}  // namespace velgram
