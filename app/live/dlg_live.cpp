#include "app/live/dlg_live.h"

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
#include <QSignalBlocker>
#include <QSpinBox>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "app/live/live_desk.h"
#include "app/printing/table_cards.h"
#include "app/shell/app.h"
#include "app/shell/qtext.h"
#include "competition/table_entry.h"
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

// A row of buttons from the left, the rest of the row empty.
QHBoxLayout* ButtonRow(std::initializer_list<QPushButton*> buttons) {
  auto* row = new QHBoxLayout;
  for (QPushButton* b : buttons) row->addWidget(b);
  row->addStretch(1);
  return row;
}

}  // namespace

QString LiveAddress(quint16 port, bool localOnly) {
  return QStringLiteral("http://%1:%2/").arg(localOnly ? QStringLiteral("127.0.0.1") : HallIPv4()).arg(port);
}

std::map<int, QString> TableCardAddresses(Database& db, int idToernooi) {
  const LiveSettings s = LiveSettings::Read(db, idToernooi);
  std::map<int, QString> addresses;
  if (!s.tableEntry) return addresses;
  const QString hall = LiveAddress(static_cast<quint16>(s.port), s.localOnly);
  for (const auto& [tafel, token] : TableTokens(db, idToernooi)) addresses[tafel] = TableCardAddress(hall, token);
  return addresses;
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

  const double side = std::min(page.width() * 0.75, h * 0.5);
  PaintQrCode(painter, LiveQrImage(address), QPointF(page.left() + (page.width() - side) / 2, page.top() + h * 0.26),
              side);
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

  start = new QPushButton(QStringLiteral("Starten"), this);
  stop = new QPushButton(QStringLiteral("Stoppen"), this);
  layout->addLayout(ButtonRow({start, stop}));

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

  tableEntry = new QCheckBox(QStringLiteral("Invoer aan de tafels"), this);
  tableEntry->setChecked(s.tableEntry);
  layout->addWidget(tableEntry);
  autoAccept = new QCheckBox(QStringLiteral("Direct accepteren als niets twijfelachtig is"), this);
  autoAccept->setChecked(s.autoAccept);
  layout->addWidget(autoAccept);
  tables = new QTreeWidget(this);
  tables->setColumnCount(2);
  tables->setHeaderLabels({QStringLiteral("Tafel"), QStringLiteral("Adres van de kaart")});
  tables->setRootIsDecorated(false);
  tables->setSelectionMode(QAbstractItemView::ExtendedSelection);
  tables->setMinimumHeight(120);
  layout->addWidget(tables);
  renew = new QPushButton(QStringLiteral("Nieuwe code"), this);
  printCards = new QPushButton(QStringLiteral("Afdrukken tafelkaarten"), this);
  layout->addLayout(ButtonRow({renew, printCards}));

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
  connect(tableEntry, &QCheckBox::toggled, this, &LDlgLive::KeepTableChoices);
  connect(autoAccept, &QCheckBox::toggled, this, &LDlgLive::KeepTableChoices);
  connect(port, &QSpinBox::valueChanged, this, &LDlgLive::RefreshTables);
  connect(localOnly, &QCheckBox::toggled, this, &LDlgLive::RefreshTables);
  connect(renew, &QPushButton::clicked, this, &LDlgLive::RenewSelectedToken);
  connect(printCards, &QPushButton::clicked, this, &LDlgLive::PrintTableCards);
  connect(tables, &QTreeWidget::itemSelectionChanged, this, [this] {
    renew->setEnabled(tableEntry->isChecked() && SelectedTables().size() == 1);
  });
  beat_.setInterval(1000);
  connect(&beat_, &QTimer::timeout, this, &LDlgLive::Refresh);
  beat_.start();
  Refresh();
  RefreshTables();
}

QString LDlgLive::Hall() const {
  return LiveAddress(static_cast<quint16>(port->value()), localOnly->isChecked());
}

LiveSettings LDlgLive::Choices(bool on) const {
  LiveSettings s;
  s.on = on;
  s.port = port->value();
  s.localOnly = localOnly->isChecked();
  s.tableEntry = tableEntry->isChecked();
  s.autoAccept = autoAccept->isChecked();
  return s;
}

void LDlgLive::StartServer() {
  const LiveSettings s = Choices(true);
  QString why;
  if (!desk_.Start(static_cast<quint16>(s.port), s.localOnly, &why)) {
    app_.Prompt().Alert(FromQt(QStringLiteral("De server kon niet starten op poort %1: %2").arg(s.port).arg(why)));
  } else if (!s.Write(app_.Db(), app_.IdToernooi())) {
    app_.Prompt().Alert("De keuze kon niet bewaard worden; de server draait wel.");
  }
  Refresh();
  RefreshTables();
}

void LDlgLive::StopServer() {
  desk_.Stop();
  Choices(false).Write(app_.Db(), app_.IdToernooi());
  Refresh();
  RefreshTables();
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

bool LDlgLive::SetUpPrinter(QPrinter& printer, const QString& suggested, QString* pdf) {
  printer.setPageSize(QPageSize(QPageSize::A4));
  *pdf = pdfPath_;
  if (pdf->isEmpty() && QPrinterInfo::availablePrinters().isEmpty()) {
    const QString folder = QFile::decodeName(QByteArray::fromStdString(DocumentsFolder()));
    *pdf = QFileDialog::getSaveFileName(this, QStringLiteral("Afdrukken naar PDF-bestand"), QDir(folder).filePath(suggested),
                                        QStringLiteral("PDF-bestanden (*.pdf)"));
    if (pdf->isEmpty()) return false;
  }
  if (!pdf->isEmpty()) {
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(*pdf);
    return true;
  }
  QPrintDialog dialog(&printer, this);
  return dialog.exec() == QDialog::Accepted;
}

namespace {

std::string PrintFailure(const QString& pdf) {
  return pdf.isEmpty() ? std::string("De printer kon niet starten.")
                       : "Kan het PDF-bestand " + FromQt(pdf) + " niet schrijven.";
}

}  // namespace

void LDlgLive::PrintPoster() {
  if (!desk_.Running()) return;
  QPrinter printer(QPrinter::HighResolution);
  QString pdf;
  if (!SetUpPrinter(printer, QStringLiteral("Live in de zaal.pdf"), &pdf)) return;
  QPainter painter;
  if (!painter.begin(&printer)) {
    app_.Prompt().Alert(PrintFailure(pdf));
    return;
  }
  PaintLivePoster(painter, QRectF(QPointF(0, 0), QSizeF(painter.device()->width(), painter.device()->height())),
                  ToQt(app_.Toernooi().name), address->text());
  painter.end();
  if (pdfPath_.isEmpty() && !pdf.isEmpty())
    app_.Prompt().Alert("De poster is opgeslagen in het PDF-bestand:\r\n" + FromQt(pdf));
}

void LDlgLive::KeepTableChoices() {
  LiveSettings s = LiveSettings::Read(app_.Db(), app_.IdToernooi());
  s.tableEntry = tableEntry->isChecked();
  s.autoAccept = autoAccept->isChecked();
  if (!s.Write(app_.Db(), app_.IdToernooi())) {
    app_.Prompt().Alert("De keuze kon niet bewaard worden.");
    const LiveSettings kept = LiveSettings::Read(app_.Db(), app_.IdToernooi());
    const QSignalBlocker b1(tableEntry), b2(autoAccept);
    tableEntry->setChecked(kept.tableEntry);
    autoAccept->setChecked(kept.autoAccept);
  }
  desk_.TablesChanged();
  RefreshTables();
}

std::vector<int> LDlgLive::SelectedTables() const {
  std::vector<int> selected;
  for (QTreeWidgetItem* item : tables->selectedItems()) selected.push_back(item->data(0, Qt::UserRole).toInt());
  std::sort(selected.begin(), selected.end());
  return selected;
}

void LDlgLive::RefreshTables() {
  const bool on = tableEntry->isChecked();
  const std::vector<int> selected = SelectedTables();
  // The tables once: finding them reads every match of the tournament.
  const std::vector<int> list = TablesOfToernooi(app_.Db(), app_.IdToernooi());
  const std::map<int, std::string> tokens =
      on ? TableTokensOf(app_.Db(), app_.IdToernooi(), list) : std::map<int, std::string>();
  const QSignalBlocker block(tables);
  tables->clear();
  for (int tafel : list) {
    // The secret part of the address stays off the screen, which the hall
    // may see; its first characters tell one card from its replacement.
    QString state = QStringLiteral("uit");
    if (auto token = tokens.find(tafel); token != tokens.end())
      state = TableCardAddress(Hall(), token->second.substr(0, 8)) + QStringLiteral("...");
    auto* item = new QTreeWidgetItem(tables, {QString::number(tafel), state});
    item->setData(0, Qt::UserRole, tafel);
    item->setSelected(std::binary_search(selected.begin(), selected.end(), tafel));
  }
  tables->resizeColumnToContents(0);
  autoAccept->setEnabled(on);
  tables->setEnabled(on);
  renew->setEnabled(on && SelectedTables().size() == 1);
  printCards->setEnabled(on && tables->topLevelItemCount() > 0);
}

void LDlgLive::RenewSelectedToken() {
  const std::vector<int> selected = SelectedTables();
  if (!tableEntry->isChecked() || selected.size() != 1) return;
  const int tafel = selected.front();
  if (!app_.Prompt().Confirm("Na een nieuwe code werkt de oude kaart van tafel " + std::to_string(tafel) +
                             " niet meer. Een nieuwe code maken?"))
    return;
  if (RenewTableToken(app_.Db(), app_.IdToernooi(), tafel).empty()) {
    app_.Prompt().Alert("De nieuwe code kon niet bewaard worden; de oude kaart werkt nog.");
    return;
  }
  desk_.TablesChanged();
  RefreshTables();
}

void LDlgLive::PrintTableCards() {
  if (!tableEntry->isChecked()) return;
  if (localOnly->isChecked() &&
      !app_.Prompt().Confirm("De server is alleen voor deze computer: telefoons aan de tafels kunnen de kaarten "
                             "dan niet gebruiken. Toch afdrukken?"))
    return;
  std::map<int, std::string> tokens = TableTokens(app_.Db(), app_.IdToernooi());
  if (const std::vector<int> selected = SelectedTables(); !selected.empty())
    std::erase_if(tokens, [&](const auto& t) { return !std::binary_search(selected.begin(), selected.end(), t.first); });
  if (tokens.empty()) return;
  const TableCardPages pages(TableCards(ToQt(app_.Toernooi().name), Hall(), tokens));
  QPrinter printer(QPrinter::HighResolution);
  QString pdf;
  if (!SetUpPrinter(printer, QStringLiteral("Tafelkaarten.pdf"), &pdf)) return;
  if (!PrintPages(pages, printer, GridPrintSetup())) {
    app_.Prompt().Alert(PrintFailure(pdf));
    return;
  }
  if (pdfPath_.isEmpty() && !pdf.isEmpty())
    app_.Prompt().Alert("De tafelkaarten zijn opgeslagen in het PDF-bestand:\r\n" + FromQt(pdf));
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
