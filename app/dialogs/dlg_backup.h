#pragma once
// "Backup Beheer": where the backups go and when they are made.
#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

namespace velgram {

class Database;
class Prompter;

class LDlgBackupManagement : public QDialog {
  Q_OBJECT
 public:
  // prompter: asks before a restore and tells how it went.
  LDlgBackupManagement(Database& db, Prompter& prompter, QWidget* parent = nullptr);

  QLabel* location;
  QCheckBox* onceADay;
  QCheckBox* every;
  QLineEdit* minutes;
  QListWidget* backups;  // the copies in the backup folder, newest first
  QPushButton* restoreButton;  // "Terugzetten"
  // "Terugzetten": the selected copy in place of the current data.
  void RestoreSelected();
  // A copy was put back: every screen must read the data again.
  bool Restored() const { return restored_; }

 private:
  void ShowStored();
  void StoreInterval();
  void FillBackups();
  Database& db_;
  Prompter& prompter_;
  bool restored_ = false;
  bool showing_ = false;
};

}  // namespace velgram
