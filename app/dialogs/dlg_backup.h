#pragma once
// "Backup Beheer": where the backups go and when they are made.
#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>

namespace velgram {

class Database;

class LDlgBackupManagement : public QDialog {
  Q_OBJECT
 public:
  explicit LDlgBackupManagement(Database& db, QWidget* parent = nullptr);

  QLabel* location;
  QCheckBox* onceADay;
  QCheckBox* every;
  QLineEdit* minutes;

 private:
  void ShowStored();
  void StoreInterval();
  Database& db_;
  bool showing_ = false;
};

}  // namespace velgram
