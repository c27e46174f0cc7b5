#pragma once
// "Live in de zaal": the director turns the live server on and off, chooses
// its port and whether only this computer may use it, and sees the address
// the hall types or scans, with its QR code, printable as a poster for the
// wall. The choices are kept per tournament.
#include <QDialog>
#include <QImage>
#include <QString>
#include <QTimer>

class QCheckBox;
class QLabel;
class QPainter;
class QPrinter;
class QPushButton;
class QRectF;
class QSpinBox;

namespace velgram {

class CVelgramApp;
class LiveDesk;

// The address phones in the hall open: this machine's address on the hall's
// network (a private IPv4 address where it has one), or the loopback address
// when only this computer may use the server.
QString LiveAddress(quint16 port, bool localOnly);

// The QR code of text: one pixel per module, black on white, with the quiet
// zone of four modules around it. Null when the text does not fit a code.
QImage LiveQrImage(const QString& text);

// The poster: the tournament's name, a large QR code and the address.
void PaintLivePoster(QPainter& painter, const QRectF& page, const QString& toernooi, const QString& address);

class LDlgLive : public QDialog {
  Q_OBJECT
 public:
  LDlgLive(CVelgramApp& app, LiveDesk& desk, QWidget* parent = nullptr);

  // "Starten" and "Stoppen": the server, and the tournament's settings.
  void StartServer();
  void StopServer();
  // "Afdrukken": the poster on a printer, or into a PDF file where the
  // machine has no printer.
  void PrintPoster();
  // Prints into this PDF file without asking (tests).
  void SetPdfOutput(const QString& path) { pdfPath_ = path; }
  // Shows the server's state, the address and the devices seen.
  void Refresh();

  QSpinBox* port;
  QCheckBox* localOnly;
  QPushButton* start;
  QPushButton* stop;
  QLabel* state;
  QLabel* address;
  QLabel* qr;
  QLabel* devices;
  QPushButton* print;

 private:
  CVelgramApp& app_;
  LiveDesk& desk_;
  QString pdfPath_;
  QTimer beat_;
};

// "Toernooi" > "Live in de zaal".
void OpenLiveDialog(CVelgramApp& app, LiveDesk& desk, QWidget* parent);

}  // namespace velgram
