#pragma once
// Match slips to cut out and hand to the players: several to a page, each
// with the match's code, table and time, both names and an empty box per
// game for the umpire's scores, and one for the total; and, while results
// are entered at the tables, the QR code of the table's page.
//
// Laid out like the printed lists, in screen pixels (96 per inch) scaled to
// the page. Two slips go side by side when the boxes leave the names room
// enough; otherwise one slip takes the width of the page.
#include <QRectF>
#include <QString>
#include <vector>

#include "app/printing/print_layout.h"

namespace velgram {

struct MatchSlip {
  QString info;   // class, pool and round as the list shows them; may be empty
  QString table;  // "%d", or empty when not shown or not set
  QString time;   // "%d:%02d", or empty likewise
  QString name1, name2;
  int games = 0;  // boxes per side: the most games a match can take; 0 for a winner's box only
  // A match decided without being played out: "w.o." or "opg." in the total
  // box of the side that did not play or gave up.
  QString mark;
  int markSide = -1;
  // While entry at the tables is on: the address of the table's card, as a
  // small QR code beside the boxes, so the umpire's phone finds the table.
  QString qr;
};

struct SlipPageLayout {
  double pageWidth = 0, pageHeight = 0;       // the page in layout pixels
  double unitsPerPixel = 1;                   // device units per layout pixel
  double headerHeight = 0, footerHeight = 0;  // the page's header and footer
  QFont font, boldFont, smallFont, headerFont;
  double lineHeight = 0;
  int columns = 1, rows = 1;  // slips across and down a page
  double slipWidth = 0, slipHeight = 0;
  double boxWidth = 0, totalWidth = 0;  // a game box and the total (or winner) box
  int games = 0;                        // boxes of the widest slip
  double qrSide = 0;                    // the QR code's square, when any slip has one
  int slipCount = 0;

  int PerPage() const { return columns * rows; }
  int PageCount() const { return slipCount == 0 ? 1 : (slipCount + PerPage() - 1) / PerPage(); }
  // The slip at position k (0-based) of its page, in layout pixels from the
  // page's top left.
  QRectF SlipRect(int k) const;
};

SlipPageLayout LayoutSlipPages(const std::vector<MatchSlip>& slips, int pageWidth, int pageHeight, double dpi,
                               const GridPrintSetup& setup);

// Draws one slip into rect (layout pixels).
void PaintSlip(QPainter& painter, const SlipPageLayout& layout, const MatchSlip& slip, const QRectF& rect);

// The slips as pages for the print preview and the printer.
class SlipPages : public PageSource {
 public:
  explicit SlipPages(std::vector<MatchSlip> slips) : slips_(std::move(slips)) {}
  int PageCount(int pageWidth, int pageHeight, double dpi, const GridPrintSetup& setup) const override;
  void PaintPage(QPainter& painter, int pageWidth, int pageHeight, double dpi, int page,
                 const GridPrintSetup& setup) const override;
  const std::vector<MatchSlip>& Slips() const { return slips_; }

 private:
  std::vector<MatchSlip> slips_;
};

}  // namespace velgram
