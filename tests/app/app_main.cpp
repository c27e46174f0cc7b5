// The UI tests share one QApplication; widgets cannot be made without it.
#include <gtest/gtest.h>

#include <QApplication>

#include "app/shell/translations.h"

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  velgram::UseDutchSystemDates();  // as the program does
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Velgram"));
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
