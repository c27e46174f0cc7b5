#include "app/live/dlg_live.h"

#include <qrencode.h>

#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QNetworkInterface>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>

#include "app/live/live_desk.h"
#include "app/shell/app.h"
#include "app/shell/qtext.h"
#include "support/paths.h"

namespace velgram {

namespace {

bool IsPrivate(quint32 ip) {
  return (ip >> 24) == 10 || (ip >> 20) == (172u << 4 | 1u) || (ip >> 16) == (192u << 8 | 168u);
}

// The address the hall's phones can reach: of an interface that is up, a
// private address first (the hall's router hands those out).
QString HallIPv4() {
  QString any;
  for (const QNetworkInterface& nic : QNetworkInterface::allInterfaces()) {
    const auto flags = nic.flags();
    if (!(flags & QNetworkInterface::IsUp) || !(flags & QNetworkInterface::IsRunning) ||
        (flags & QNetworkInterface::IsLoopBack))
      continue;
    for (const QNetworkAddressEntry& entry : nic.addressEntries()) {
      const QHostAddress ip = entry.ip();
      if (ip.protocol() != QAbstractSocket::IPv4Protocol || ip.isLoopback()) continue;
      if (IsPrivate(ip.toIPv4Address())) return ip.toString();
      if (any.isEmpty()) any = ip.toString();
    }
  }
  return any.isEmpty() ? QStringLiteral("127.0.0.1") : any;
}

}  // namespace

QString LiveAddress(quint16 port, bool localOnly) {
  return QStringLiteral("http://%1:%2/").arg(localOnly ? QStringLiteral("127.0.0.1") : HallIPv4()).arg(port);
}

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

void PaintLivePoster(QPainter& painter, const QRectF& page, const QString& toernooi, const QString& address) {
  painter.save();
  painter.fillRect(page, Qt::white);
  painter.setPen(Qt::black);
  const double h = page.height();
  auto font = [&](double share, bool bold) {
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(std::max(8, static_cast<int>(h * share)));
    f.setBold(bold);
    return f;
  };
  auto text = [&](double top, double height, const QString& t, const QFont& f) {
    painter.setFont(f);
    painter.drawText(QRectF(page.left(), page.top() + h * top, page.width(), h * height),
                     Qt::AlignCenter | Qt::TextWordWrap, t);
  };
  text(0.04, 0.12, toernooi, font(0.045, true));
  text(0.16, 0.08, QStringLiteral("Volg de wedstrijden live op je telefoon"), font(0.028, false));

  // Modules drawn as squares, so that the code stays sharp on any printer.
  const QImage code = LiveQrImage(address);
  if (!code.isNull()) {
    const double side = std::min(page.width() * 0.75, h * 0.5);
    const double module = side / code.width();
    const double left = page.left() + (page.width() - side) / 2, top = page.top() + h * 0.26;
    for (int y = 0; y < code.height(); ++y)
      for (int x = 0; x < code.width(); ++x)
        if (code.pixelIndex(x, y) == 1)
          painter.fillRect(QRectF(left + x * module, top + y * module, module, module), Qt::black);
  }
  text(0.78, 0.05, QStringLiteral("Scan de code of open"), font(0.025, false));
  text(0.83, 0.06, address, font(0.035, true));
  text(0.90, 0.06, QStringLiteral("Verbind eerst met het wifi-netwerk van de zaal."), font(0.02, false));
  painter.restore();
}

LDlgLive::LDlgLive(CVelgramApp& app, LiveDesk& desk, QWidget* parent) : QDialog(parent), app_(app), desk_(desk) {
  setWindowTitle(QStringLiteral("Live in de zaal"));
  setMinimumWidth(420);
  const LiveSettings s = LiveSettings::Read(app_.Db(), app_.IdToernooi());
  auto* layout = new QVBoxLayout(this);
  auto* intro = new QLabel(QStringLiteral("Telefoons in de zaal volgen het toernooi via het netwerk van de zaal, "
                                          "zonder app en zonder internet."),
                           this);
  intro->setWordWrap(true);
  layout->addWidget(intro);

  auto* form = new QFormLayout;
  port = new QSpinBox(this);
  port->setRange(1, 65535);
  port->setValue(s.port);
  form->addRow(QStringLiteral("Poort:"), port);
  localOnly = new QCheckBox(QStringLiteral("Alleen deze computer"), this);
  localOnly->setChecked(s.localOnly);
  form->addRow(QString(), localOnly);
  layout->addLayout(form);

  auto* buttons = new QHBoxLayout;
  start = new QPushButton(QStringLiteral("Starten"), this);
  stop = new QPushButton(QStringLiteral("Stoppen"), this);
  buttons->addWidget(start);
  buttons->addWidget(stop);
  buttons->addStretch(1);
  layout->addLayout(buttons);

  state = new QLabel(this);
  layout->addWidget(state);
  address = new QLabel(this);
  address->setTextInteractionFlags(Qt::TextSelectableByMouse);
  QFont big = address->font();
  big.setPointSizeF(big.pointSizeF() * 1.5);
  big.setBold(true);
  address->setFont(big);
  address->setAlignment(Qt::AlignHCenter);
  layout->addWidget(address);
  qr = new QLabel(this);
  qr->setAlignment(Qt::AlignCenter);
  qr->setMinimumSize(240, 240);
  layout->addWidget(qr);
  devices = new QLabel(this);
  layout->addWidget(devices);

  auto* bottom = new QHBoxLayout;
  print = new QPushButton(QStringLiteral("Afdrukken"), this);
  auto* close = new QPushButton(QStringLiteral("Sluiten"), this);
  bottom->addWidget(print);
  bottom->addStretch(1);
  bottom->addWidget(close);
  layout->addLayout(bottom);

  connect(start, &QPushButton::clicked, this, &LDlgLive::StartServer);
  connect(stop, &QPushButton::clicked, this, &LDlgLive::StopServer);
  connect(print, &QPushButton::clicked, this, &LDlgLive::PrintPoster);
  connect(close, &QPushButton::clicked, this, &QDialog::accept);
  beat_.setInterval(1000);
  connect(&beat_, &QTimer::timeout, this, &LDlgLive::Refresh);
  beat_.start();
  Refresh();
}

void LDlgLive::StartServer() {
  LiveSettings s;
  s.on = true;
  s.port = port->value();
  s.localOnly = localOnly->isChecked();
  QString why;
  if (!desk_.Start(static_cast<quint16>(s.port), s.localOnly, &why)) {
    app_.Prompt().Alert(FromQt(QStringLiteral("De server kon niet starten op poort %1: %2").arg(s.port).arg(why)));
  } else if (!s.Write(app_.Db(), app_.IdToernooi())) {
    app_.Prompt().Alert("De keuze kon niet bewaard worden; de server draait wel.");
  }
  Refresh();
}

void LDlgLive::StopServer() {
  desk_.Stop();
  LiveSettings s;
  s.on = false;
  s.port = port->value();
  s.localOnly = localOnly->isChecked();
  s.Write(app_.Db(), app_.IdToernooi());
  Refresh();
}

void LDlgLive::Refresh() {
  const bool running = desk_.Running();
  start->setEnabled(!running);
  stop->setEnabled(running);
  port->setEnabled(!running);
  localOnly->setEnabled(!running);
  print->setEnabled(running);
  if (running) {
    const QString where = LiveAddress(desk_.Server().Port(), desk_.Server().LocalOnly());
    state->setText(desk_.Server().LocalOnly() ? QStringLiteral("De server draait, alleen voor deze computer.")
                                              : QStringLiteral("De server draait. Open in de zaal:"));
    if (address->text() != where) {
      address->setText(where);
      const QImage code = LiveQrImage(where);
      const int scale = std::max(1, 240 / std::max(1, code.width()));
      qr->setPixmap(QPixmap::fromImage(code.scaled(code.size() * scale, Qt::KeepAspectRatio, Qt::FastTransformation)));
    }
  } else {
    state->setText(QStringLiteral("De server staat uit; er luistert niets."));
    address->clear();
    qr->clear();
  }
  devices->setText(QStringLiteral("Apparaten in de laatste minuut: %1").arg(running ? desk_.Server().DevicesLastMinute() : 0));
}

void LDlgLive::PrintPoster() {
  if (!desk_.Running()) return;
  QPrinter printer(QPrinter::HighResolution);
  printer.setPageSize(QPageSize(QPageSize::A4));
  QString pdf = pdfPath_;
  if (pdf.isEmpty() && QPrinterInfo::availablePrinters().isEmpty()) {
    const QString suggested =
        QDir(QFile::decodeName(QByteArray::fromStdString(DocumentsFolder()))).filePath(QStringLiteral("Live in de zaal.pdf"));
    pdf = QFileDialog::getSaveFileName(this, QStringLiteral("Afdrukken naar PDF-bestand"), suggested,
                                       QStringLiteral("PDF-bestanden (*.pdf)"));
    if (pdf.isEmpty()) return;
  }
  if (!pdf.isEmpty()) {
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
  } else {
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() != QDialog::Accepted) return;
  }
  QPainter painter;
  if (!painter.begin(&printer)) {
    app_.Prompt().Alert(pdf.isEmpty() ? std::string("De printer kon niet starten.")
                                      : "Kan het PDF-bestand " + FromQt(pdf) + " niet schrijven.");
    return;
  }
  PaintLivePoster(painter, QRectF(QPointF(0, 0), QSizeF(painter.device()->width(), painter.device()->height())),
                  ToQt(app_.Toernooi().name), address->text());
  painter.end();
  if (pdfPath_.isEmpty() && !pdf.isEmpty())
    app_.Prompt().Alert("De poster is opgeslagen in het PDF-bestand:\r\n" + FromQt(pdf));
}

void OpenLiveDialog(CVelgramApp& app, LiveDesk& desk, QWidget* parent) {
  if (!app.HasToernooi()) {
    app.Prompt().Alert("Selecteer eerst een toernooi.");
    return;
  }
  LDlgLive dialog(app, desk, parent);
  dialog.exec();
}

}  // namespace velgram
