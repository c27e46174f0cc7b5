#include "app/shell/translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace velgram {

bool InstallDutchQtTranslations(QCoreApplication& app) {
  const QLocale dutch(QLocale::Dutch, QLocale::Netherlands);
  QLocale::setDefault(dutch);
  const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
  // "qt" is the catalogue that pulls in every module's file (qtbase holds
  // the dialogs and buttons); qtbase alone where only that one is there.
  for (const char* catalogue : {"qt", "qtbase"}) {
    auto* translator = new QTranslator(&app);
    if (translator->load(dutch, QString::fromLatin1(catalogue), QStringLiteral("_"), folder) &&
        QCoreApplication::installTranslator(translator))
      return true;
    delete translator;
  }
  return false;
}

}  // namespace velgram
