#pragma once
// QR codes of the live server's addresses, on screen and on paper (the
// poster, the table cards and the match slips).
#include <QImage>
#include <QString>

class QPainter;
class QPointF;

namespace velgram {

// The QR code of text: one pixel per module, black on white, with the quiet
// zone of four modules around it. Null when the text does not fit a code.
QImage LiveQrImage(const QString& text);

// Draws code (from LiveQrImage) as a square of side `side` with its top left
// at topLeft. The modules are drawn as squares, so that the code stays sharp
// on any printer.
void PaintQrCode(QPainter& painter, const QImage& code, const QPointF& topLeft, double side);

}  // namespace velgram
