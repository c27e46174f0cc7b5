#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <memory>

#include "app/shell/app.h"
#include "app/shell/mainwindow.h"

int main(int argc, char** argv) {
  QApplication qt(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Velgram"));
  QApplication::setOrganizationName(QStringLiteral("Dorvane"));
  QApplication::setDesktopFileName(QStringLiteral("velgram"));
  QApplication::setWindowIcon(velgram::CVelgramDlg::ProgramIcon());
  // The system's dialogs (files, printer, fonts, colours) speak Dutch like
  // the rest of the program, when Qt's Dutch translation is installed.
  QLocale::setDefault(QLocale(QLocale::Dutch, QLocale::Netherlands));
  QTranslator qtDutch;
  if (qtDutch.load(QLocale(QLocale::Dutch), QStringLiteral("qtbase"), QStringLiteral("_"),
                   QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
    QApplication::installTranslator(&qtDutch);
  velgram::QtPrompter startPrompter;
  std::unique_ptr<velgram::CVelgramApp> app = velgram::CVelgramApp::Start(velgram::DatabasePath(), startPrompter);
  if (!app) return 1;  // the user has been told why
  velgram::CVelgramDlg window(*app);
  window.show();
  // Nothing is saved at the end: every change is in the database already.
  return qt.exec();
}
