#pragma once
// "Live in de zaal": the director turns the live server on and off, chooses
// its port and whether only this computer may use it, and sees the address
// the hall types or scans, with its QR code, printable as a poster for the
// wall. Below it, entry at the tables: the switch, whether an entry nobody
// doubts becomes a result at once, the tables with their cards, a new code
// for a lost card, and the cards to print. The choices are kept per
// tournament.
#include <QDialog>
#include <QImage>
#include <QString>
#include <QTimer>
#include <map>
#include <vector>

#include "app/printing/qr_code.h"
#include "competition/live_snapshot.h"

class QCheckBox;
class QLabel;
class QPainter;
class QPrinter;
class QPushButton;
class QRectF;
class QSpinBox;
class QTreeWidget;

namespace velgram {

class CVelgramApp;
class Database;
class LiveDesk;

// The address phones in the hall open: this machine's address on the hall's
// network (a private IPv4 address where it has one), or the loopback address
// when only this computer may use the server.
QString LiveAddress(quint16 port, bool localOnly);

// The address each table's card opens, by table; empty while entry at the
// tables is off. Tables without a token get one.
std::map<int, QString> TableCardAddresses(Database& db, int idToernooi);

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

  // "Invoer aan de tafels" and "Direct accepteren ...": kept at once.
  void KeepTableChoices();
  // "Nieuwe code": a new token for the selected table, once the director
  // confirms that its old card stops working.
  void RenewSelectedToken();
  // "Afdrukken tafelkaarten": the cards of the selected tables, or of every
  // table when none is selected.
  void PrintTableCards();
  // The table list again: the tables, their cards' addresses.
  void RefreshTables();

  QSpinBox* port;
  QCheckBox* localOnly;
  QPushButton* start;
  QPushButton* stop;
  QLabel* state;
  QLabel* address;
  QLabel* qr;
  QLabel* devices;
  QPushButton* print;
  QCheckBox* tableEntry;
  QCheckBox* autoAccept;
  QTreeWidget* tables;  // one row per table; the table in the row's data
  QPushButton* renew;
  QPushButton* printCards;

 private:
  // The widgets' choices; on: whether the server should run.
  LiveSettings Choices(bool on) const;
  // A printer set up by the director, or a PDF file where the machine has
  // none (suggested), or the file of SetPdfOutput; false when cancelled.
  bool SetUpPrinter(QPrinter& printer, const QString& suggested, QString* pdf);
  std::vector<int> SelectedTables() const;
  // The server's address as the cards carry it, from the port and the
  // "Alleen deze computer" shown.
  QString Hall() const;

  CVelgramApp& app_;
  LiveDesk& desk_;
  QString pdfPath_;
  QTimer beat_;
};

// "Toernooi" > "Live in de zaal".
void OpenLiveDialog(CVelgramApp& app, LiveDesk& desk, QWidget* parent);

}  // namespace velgram
