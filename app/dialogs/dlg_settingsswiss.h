#pragma once
// "Instellingen Zwitsers": the pairing distance of the Swiss system.
#include <QDialog>
#include <QLineEdit>

namespace velgram {

class Database;
class Prompter;

class LDlgSettingsSwiss : public QDialog {
  Q_OBJECT
 public:
  LDlgSettingsSwiss(Database& db, Prompter& prompter, QWidget* parent = nullptr);
  void accept() override;
  QLineEdit* border;

 private:
  Database& db_;
  Prompter& prompter_;
};

}  // namespace velgram
