#include <QApplication>
#include <QLabel>

#include "store/database.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  velgram::Database db(velgram::DatabasePath());
  QLabel label("Velgram");
  label.show();
  return app.exec();
}
