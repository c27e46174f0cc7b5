#include <QApplication>
#include <memory>

#include "app/shell/app.h"
#include "app/shell/mainwindow.h"
#include "app/shell/translations.h"

int main(int argc, char** argv) {
  velgram::UseDutchSystemDates();
  QApplication qt(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Velgram"));
  QApplication::setOrganizationName(QStringLiteral("Dorvane"));
  QApplication::setDesktopFileName(QStringLiteral("velgram"));
  QApplication::setWindowIcon(velgram::CVelgramDlg::ProgramIcon());
  velgram::InstallDutchQtTranslations(qt);
  velgram::QtPrompter startPrompter;
  std::unique_ptr<velgram::CVelgramApp> app = velgram::CVelgramApp::Start(velgram::DatabasePath(), startPrompter);
  if (!app) return 1;  // the user has been told why
  velgram::CVelgramDlg window(*app);
  window.show();
  // Nothing is saved at the end: every change is in the database already.
  return qt.exec();
}
