#include "app/printing/slip_layout.h"

#include <QFontMetricsF>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "app/printing/qr_code.h"

namespace velgram {

namespace {

constexpr double kScreenDpi = 96.0;
constexpr double kGap = 14;       // between slips, room for the scissors
constexpr double kPadding = 6;    // inside a slip's border
constexpr double kBox = 28;       // a game box: room for a handwritten 11-9 (7 mm)
constexpr double kMinBox = 20;
constexpr double kTotal = 46;     // the total or winner box
constexpr double kMinNameScale = 0.7;
constexpr double kMinName = 120;  // the names column (3 cm), before the slips go one across

double InfoRowHeight(const SlipPageLayout& l) { return l.lineHeight + 8; }
double TitleRowHeight(const SlipPageLayout& l) { return QFontMetricsF(l.smallFont).height() + 4; }
double NameRowHeight(const SlipPageLayout& l) { return l.lineHeight + 14; }
double QrRoom(const SlipPageLayout& l) { return l.qrSide > 0 ? l.qrSide + kPadding : 0; }

}  // namespace

QRectF SlipPageLayout::SlipRect(int k) const {
  const int col = k % columns, row = k / columns;
  return QRectF(col * (slipWidth + kGap), headerHeight + row * (slipHeight + kGap), slipWidth, slipHeight);
}

SlipPageLayout LayoutSlipPages(const std::vector<MatchSlip>& slips, int pageWidth, int pageHeight, double dpi,
                               const GridPrintSetup& setup) {
  SlipPageLayout l;
  l.slipCount = static_cast<int>(slips.size());
  l.unitsPerPixel = (dpi > 0 ? dpi : kScreenDpi) / kScreenDpi;
  l.pageWidth = pageWidth / l.unitsPerPixel;
  l.pageHeight = pageHeight / l.unitsPerPixel;
  l.font = PrintPixelFont(setup.contentFont);
  l.boldFont = l.font;
  l.boldFont.setBold(true);
  l.smallFont = l.font;
  l.smallFont.setPixelSize(std::max(1, static_cast<int>(l.font.pixelSize() * 0.8)));
  l.headerFont = PrintPixelFont(setup.headerFont);
  l.headerFont.setBold(true);
  l.lineHeight = std::ceil(QFontMetricsF(l.font).height());
  PageFrameHeights(l.headerFont, setup, l.headerHeight, l.footerHeight);

  for (const MatchSlip& s : slips) l.games = std::max(l.games, s.games);
  l.boxWidth = kBox;
  l.totalWidth = kTotal;
  // The code stands beside the title and name rows, as high as they are.
  if (std::any_of(slips.begin(), slips.end(), [](const MatchSlip& s) { return !s.qr.isEmpty(); }))
    l.qrSide = TitleRowHeight(l) + 2 * NameRowHeight(l);
  // The rule at the right edge stays on the page.
  const double usable = l.pageWidth - 1;
  const double boxes = l.games * l.boxWidth + l.totalWidth + QrRoom(l);
  l.columns = (usable - kGap) / 2 - 2 * kPadding >= boxes + kMinName ? 2 : 1;
  l.slipWidth = l.columns == 2 ? (usable - kGap) / 2 : usable;
  if (l.columns == 1 && l.games > 0) {
    const double room = l.slipWidth - 2 * kPadding - l.totalWidth - QrRoom(l) - kMinName;
    if (room < l.games * l.boxWidth) l.boxWidth = std::max(kMinBox, room / l.games);
  }
  l.slipHeight = 2 * kPadding + InfoRowHeight(l) + TitleRowHeight(l) + 2 * NameRowHeight(l);
  const double available = l.pageHeight - l.headerHeight - l.footerHeight;
  l.rows = std::max(1, static_cast<int>(std::floor((available + kGap) / (l.slipHeight + kGap) + 1e-9)));
  return l;
}

void PaintSlip(QPainter& painter, const SlipPageLayout& l, const MatchSlip& slip, const QRectF& rect) {
  painter.save();
  painter.setPen(QPen(Qt::black, 1));
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(rect);
  const QRectF inner = rect.adjusted(kPadding, kPadding, -kPadding, -kPadding);

  // Code of the match left, table and time right.
  const double infoH = InfoRowHeight(l);
  QStringList where;
  if (!slip.table.isEmpty()) where << QStringLiteral("Tafel %1").arg(slip.table);
  if (!slip.time.isEmpty()) where << slip.time;
  const QString whereText = where.join(QStringLiteral("   "));
  painter.setFont(l.boldFont);
  const QFontMetricsF bold(l.boldFont);
  const double whereWidth = whereText.isEmpty() ? 0 : bold.horizontalAdvance(whereText) + 12;
  const QRectF infoRect(inner.left(), inner.top(), inner.width(), infoH);
  painter.drawText(infoRect, Qt::AlignRight | Qt::AlignVCenter | Qt::TextSingleLine, whereText);
  painter.drawText(infoRect.adjusted(0, 0, -whereWidth, 0), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                   bold.elidedText(slip.info, Qt::ElideRight, std::max(0.0, inner.width() - whereWidth)));
  painter.setPen(QPen(QColor(160, 160, 160), 0));
  painter.drawLine(QPointF(inner.left(), inner.top() + infoH), QPointF(inner.right(), inner.top() + infoH));

  // Box titles: the game numbers, then the total.
  const int games = std::max(0, slip.games);
  const double titleTop = inner.top() + infoH;
  if (!slip.qr.isEmpty())
    PaintQrCode(painter, LiveQrImage(slip.qr), QPointF(inner.right() - l.qrSide, titleTop), l.qrSide);
  const double boxesLeft = inner.right() - QrRoom(l) - games * l.boxWidth - l.totalWidth;
  const double titleH = TitleRowHeight(l);
  painter.setPen(Qt::black);
  painter.setFont(l.smallFont);
  for (int g = 0; g < games; ++g)
    painter.drawText(QRectF(boxesLeft + g * l.boxWidth, titleTop, l.boxWidth, titleH), Qt::AlignCenter,
                     QString::number(g + 1));
  painter.drawText(QRectF(boxesLeft + games * l.boxWidth, titleTop, l.totalWidth, titleH), Qt::AlignCenter,
                   games > 0 ? QStringLiteral("Totaal") : QStringLiteral("Winnaar"));

  // One line per side: the name, a box per game and the total box.
  const QFontMetricsF metrics(l.font);
  const double nameH = NameRowHeight(l);
  const double nameWidth = std::max(0.0, boxesLeft - inner.left() - 6);
  // A long name (with its club) is set smaller before it is cut short; both
  // names of a slip alike.
  const double widest = std::max(metrics.horizontalAdvance(slip.name1), metrics.horizontalAdvance(slip.name2));
  QFont font = l.font;
  if (widest > nameWidth)
    font.setPixelSize(std::max(1, static_cast<int>(l.font.pixelSize() * std::max(kMinNameScale, nameWidth / widest))));
  for (int side = 0; side < 2; ++side) {
    const double top = titleTop + titleH + side * nameH;
    const QString& name = side == 0 ? slip.name1 : slip.name2;
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.drawText(QRectF(inner.left(), top, nameWidth, nameH), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                     QFontMetricsF(font).elidedText(name, Qt::ElideRight, nameWidth));
    painter.setPen(QPen(Qt::black, 1));
    // The boxes of the two sides share their middle line, as on a score card.
    const double boxTop = side == 0 ? top + 3 : top;
    const double boxH = nameH - 3;
    for (int g = 0; g < games; ++g) painter.drawRect(QRectF(boxesLeft + g * l.boxWidth, boxTop, l.boxWidth, boxH));
    const QRectF total(boxesLeft + games * l.boxWidth, boxTop, l.totalWidth, boxH);
    painter.drawRect(total);
    if (side == slip.markSide) painter.drawText(total, Qt::AlignCenter | Qt::TextSingleLine, slip.mark);
  }
  painter.restore();
}

int SlipPages::PageCount(int pageWidth, int pageHeight, double dpi, const GridPrintSetup& setup) const {
  return LayoutSlipPages(slips_, pageWidth, pageHeight, dpi, setup).PageCount();
}

void SlipPages::PaintPage(QPainter& painter, int pageWidth, int pageHeight, double dpi, int page,
                          const GridPrintSetup& setup) const {
  const SlipPageLayout layout = LayoutSlipPages(slips_, pageWidth, pageHeight, dpi, setup);
  page = std::clamp(page, 1, layout.PageCount());
  painter.save();
  painter.setRenderHint(QPainter::TextAntialiasing);
  painter.scale(layout.unitsPerPixel, layout.unitsPerPixel);
  PaintPageFrame(painter, layout.pageWidth, layout.pageHeight, layout.headerFont, page, layout.PageCount(), setup);
  const int first = (page - 1) * layout.PerPage();
  const int last = std::min(layout.slipCount, first + layout.PerPage());
  for (int i = first; i < last; ++i) PaintSlip(painter, layout, slips_[i], layout.SlipRect(i - first));
  painter.restore();
}

}  // namespace velgram
