// Draws the "Live in de zaal" dialog with its server running for a tournament
// in play, after one phone has asked for a page, and its poster into a PDF
// file when one is named: live_shot <png> [port] [poster.pdf] [cards.png].
// With cards.png the tournament plays at six tables with entry at the tables
// on, and the first page of its table cards is drawn into that file (A4 at
// 100 dots per inch). Run under Xvfb for the screenshot.
#include <QApplication>
#include <QCheckBox>
#include <QPainter>
#include <QPushButton>
#include <QSpinBox>
#include <QDir>
#include <QTcpSocket>
#include <QTimer>
#include <QTreeWidget>

#include "app/live/dlg_live.h"
#include "app/live/live_desk.h"
#include "app/printing/table_cards.h"
#include "app/shell/app.h"
#include "app/shell/mainwindow.h"
#include "bench/bench_tournament.h"
#include "competition/table_entry.h"

using namespace velgram;

int main(int argc, char** argv) {
  QApplication qt(argc, argv);
  const QString png = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("live-dialog.png");
  const quint16 port = static_cast<quint16>(argc > 2 ? std::atoi(argv[2]) : 8080);
  const QString dbPath = QDir::temp().filePath(QStringLiteral("live_shot.db"));
  QFile::remove(dbPath);
  CVelgramApp app(dbPath.toStdString());
  bench::QuietPrompter prompter;
  app.SetPrompter(&prompter);
  const int t = app.Db().AddToernooi("Open Zaalkampioenschap 2026");
  app.OpenToernooi(t);
  const QString cardsPng = argc > 4 ? QString::fromLocal8Bit(argv[4]) : QString();
  if (!cardsPng.isEmpty())
    bench::AddPool(app.Db(), bench::AddClass(app.Db(), t, "Heren A"), "Poule 1", "1-6");
  CVelgramDlg window(app);
  window.StartTimer().stop();
  LDlgLive dialog(app, window.Live());
  dialog.port->setValue(port);
  dialog.start->click();
  QTcpSocket phone;
  phone.connectToHost(QHostAddress::LocalHost, port);
  phone.waitForConnected(2000);
  phone.write("GET / HTTP/1.1\r\nHost: zaal\r\n\r\n");
  phone.waitForReadyRead(2000);
  dialog.Refresh();
  if (argc > 3 && argv[3][0]) {
    dialog.SetPdfOutput(QString::fromLocal8Bit(argv[3]));
    dialog.PrintPoster();
  }
  if (!cardsPng.isEmpty()) {
    dialog.tableEntry->click();
    dialog.tables->topLevelItem(2)->setSelected(true);
    const TableCardPages cards(TableCards(QStringLiteral("Open Zaalkampioenschap 2026"),
                                          LiveAddress(port, false), TableTokens(app.Db(), t)));
    QImage page(827, 1169, QImage::Format_RGB32);
    page.fill(Qt::white);
    QPainter painter(&page);
    painter.setRenderHint(QPainter::Antialiasing, false);
    cards.PaintPage(painter, page.width(), page.height(), 100, 1, GridPrintSetup());
    painter.end();
    page.save(cardsPng);
  }
  dialog.show();
  QTimer::singleShot(800, [&] {
    dialog.grab().save(png);
    qt.quit();
  });
  qt.exec();
  window.Live().Stop();
  QFile::remove(dbPath);
  return 0;
}
