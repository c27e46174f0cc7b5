#pragma once
// "Ondersteuning" under "Instellingen": the user's e-mail address for the
// support desk, the desk's server and an optional extra trusted certificate.
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace velgram {

class Database;
class Prompter;

class LDlgSettingsSupport : public QDialog {
  Q_OBJECT
 public:
  // explanation, when given, says above the fields why the dialog opened.
  LDlgSettingsSupport(Database& db, Prompter& prompter, const QString& explanation, QWidget* parent = nullptr);
  void accept() override;

  QLabel* explanation;
  QLineEdit* email;
  QLineEdit* server;
  QLineEdit* caFile;
  QPushButton* browse;

 private:
  Database& db_;
  Prompter& prompter_;
};

}  // namespace velgram
