#pragma once
// Table cards: one card per table, A6-sized, four to an A4 page, to stand on
// the table. The QR code opens that table's page, where the umpire enters the
// result on a phone. The card's address holds the table's secret, so it is
// printed only as the code.
#include <QRectF>
#include <QString>
#include <map>
#include <string>
#include <vector>

#include "app/printing/print_layout.h"

namespace velgram {

struct TableCard {
  int tafel = 0;
  QString toernooi;
  QString address;  // http://<hall address>:<port>/t/<token>
};

// The address a table's card opens: hall is the server's address as the
// hall opens it ("http://192.168.1.20:8080/").
QString TableCardAddress(const QString& hall, const std::string& token);
// One card per table of tokens (table and token), in table order.
std::vector<TableCard> TableCards(const QString& toernooi, const QString& hall,
                                  const std::map<int, std::string>& tokens);

inline constexpr int kCardsPerPage = 4;  // two across, two down

// Card k (0-based) of its page: a quarter of the page, whose halves are the
// cutting lines.
QRectF TableCardRect(int k, double pageWidth, double pageHeight);

// Draws one card into rect, in device units.
void PaintTableCard(QPainter& painter, const TableCard& card, const QRectF& rect);

// The cards as pages for the printer. The cards fill the page: no page
// header or footer.
class TableCardPages : public PageSource {
 public:
  explicit TableCardPages(std::vector<TableCard> cards) : cards_(std::move(cards)) {}
  int PageCount(int pageWidth, int pageHeight, double dpi, const GridPrintSetup& setup) const override;
  void PaintPage(QPainter& painter, int pageWidth, int pageHeight, double dpi, int page,
                 const GridPrintSetup& setup) const override;
  const std::vector<TableCard>& Cards() const { return cards_; }

 private:
  std::vector<TableCard> cards_;
};

}  // namespace velgram
