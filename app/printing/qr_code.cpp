#include "app/printing/qr_code.h"

#include <qrencode.h>

#include <QPainter>

namespace velgram {

QImage LiveQrImage(const QString& text) {
  const QByteArray utf8 = text.toUtf8();
  QRcode* code = QRcode_encodeString(utf8.constData(), 0, QR_ECLEVEL_M, QR_MODE_8, 1);
  if (!code) return QImage();
  constexpr int kQuiet = 4;
  const int side = code->width + 2 * kQuiet;
  QImage image(side, side, QImage::Format_Mono);
  image.setColor(0, qRgb(255, 255, 255));
  image.setColor(1, qRgb(0, 0, 0));
  image.fill(0);
  for (int y = 0; y < code->width; ++y)
    for (int x = 0; x < code->width; ++x)
      if (code->data[y * code->width + x] & 1) image.setPixel(x + kQuiet, y + kQuiet, 1);
  QRcode_free(code);
  return image;
}

void PaintQrCode(QPainter& painter, const QImage& code, const QPointF& topLeft, double side) {
  if (code.isNull()) return;
  const double module = side / code.width();
  for (int y = 0; y < code.height(); ++y)
    for (int x = 0; x < code.width(); ++x)
      if (code.pixelIndex(x, y) == 1)
        painter.fillRect(QRectF(topLeft.x() + x * module, topLeft.y() + y * module, module, module), Qt::black);
}

}  // namespace velgram
