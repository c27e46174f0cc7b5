#include <QApplication>
#include <QIcon>

#include "app/app.h"
#include "app/mainwindow.h"

int main(int argc, char** argv) {
  QApplication qt(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Velgram"));
  QApplication::setOrganizationName(QStringLiteral("Dorvane"));
  QApplication::setDesktopFileName(QStringLiteral("velgram"));
  QApplication::setWindowIcon(QIcon(QStringLiteral(":/velgram.svg")));
  velgram::CVelgramApp app;
  velgram::CVelgramDlg window(app);
  window.show();
  // Nothing is saved at the end: every change is in the database already.
  return qt.exec();
}
