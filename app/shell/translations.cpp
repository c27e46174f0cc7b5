#include "app/shell/translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <cstdlib>
#include <string>

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

void UseDutchSystemDates() {
  // LC_ALL would hide the time category: its value moves to the others.
  if (const char* all = std::getenv("LC_ALL"); all && *all) {
    const std::string value = all;
    for (const char* category : {"LC_CTYPE", "LC_NUMERIC", "LC_COLLATE", "LC_MONETARY", "LC_MESSAGES"})
      setenv(category, value.c_str(), 1);
    unsetenv("LC_ALL");
  }
  setenv("LC_TIME", "nl_NL.UTF-8", 1);
}

}  // namespace velgram
