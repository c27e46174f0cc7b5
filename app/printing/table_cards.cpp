#include "app/printing/table_cards.h"

#include <QPainter>
#include <algorithm>

#include "app/printing/qr_code.h"

namespace velgram {

QString TableCardAddress(const QString& hall, const std::string& token) {
  return hall + QStringLiteral("t/") + QString::fromLatin1(token.c_str());
}

std::vector<TableCard> TableCards(const QString& toernooi, const QString& hall,
                                  const std::map<int, std::string>& tokens) {
  std::vector<TableCard> cards;
  for (const auto& [tafel, token] : tokens) cards.push_back({tafel, toernooi, TableCardAddress(hall, token)});
  return cards;
}

QRectF TableCardRect(int k, double pageWidth, double pageHeight) {
  const int slot = k % kCardsPerPage;
  return QRectF((slot % 2) * pageWidth / 2, (slot / 2) * pageHeight / 2, pageWidth / 2, pageHeight / 2);
}

void PaintTableCard(QPainter& painter, const TableCard& card, const QRectF& rect) {
  painter.save();
  painter.fillRect(rect, Qt::white);
  // The cutting lines, faint enough to vanish on a card cut slightly off.
  painter.setPen(QPen(QColor(170, 170, 170), 0, Qt::DashLine));
  painter.drawRect(rect);
  painter.setPen(Qt::black);
  const double w = rect.width(), h = rect.height();
  auto text = [&](double top, double height, double size, bool bold, const QString& t) {
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(std::max(6, static_cast<int>(h * size)));
    f.setBold(bold);
    painter.setFont(f);
    painter.drawText(QRectF(rect.left() + w * 0.05, rect.top() + h * top, w * 0.9, h * height),
                     Qt::AlignCenter | Qt::TextWordWrap, t);
  };
  text(0.05, 0.15, 0.11, true, QStringLiteral("Tafel %1").arg(card.tafel));
  text(0.20, 0.10, 0.035, false, card.toernooi);
  const double side = std::min(w * 0.8, h * 0.56);
  PaintQrCode(painter, LiveQrImage(card.address), QPointF(rect.left() + (w - side) / 2, rect.top() + h * 0.31), side);
  text(0.88, 0.08, 0.032, true, QStringLiteral("Scan om de uitslag in te voeren"));
  painter.restore();
}

int TableCardPages::PageCount(int, int, double, const GridPrintSetup&) const {
  return std::max<int>(1, (static_cast<int>(cards_.size()) + kCardsPerPage - 1) / kCardsPerPage);
}

void TableCardPages::PaintPage(QPainter& painter, int pageWidth, int pageHeight, double dpi, int page,
                               const GridPrintSetup& setup) const {
  page = std::clamp(page, 1, PageCount(pageWidth, pageHeight, dpi, setup));
  painter.save();
  painter.setRenderHint(QPainter::TextAntialiasing);
  const int first = (page - 1) * kCardsPerPage;
  const int last = std::min<int>(static_cast<int>(cards_.size()), first + kCardsPerPage);
  for (int i = first; i < last; ++i) PaintTableCard(painter, cards_[i], TableCardRect(i, pageWidth, pageHeight));
  painter.restore();
}

}  // namespace velgram
