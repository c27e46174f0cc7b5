// Draws the "Live in de zaal" dialog with its server running for a tournament
// in play, after one phone has asked for a page, and its poster into a PDF
// file when one is named: live_shot <png> [port] [poster.pdf].
// Run under Xvfb for the screenshot.
#include <QApplication>
#include <QPushButton>
#include <QSpinBox>
#include <QDir>
#include <QTcpSocket>
#include <QTimer>

#include "app/live/dlg_live.h"
#include "app/live/live_desk.h"
#include "app/shell/app.h"
#include "app/shell/mainwindow.h"
#include "bench/bench_tournament.h"

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
  if (argc > 3) {
    dialog.SetPdfOutput(QString::fromLocal8Bit(argv[3]));
    dialog.PrintPoster();
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
