#pragma once
// "Poule Zwitsers Afval": name, format, tables, times and match system of a
// pool. Once the pool has matches its tables and times are fixed; its format
// never changes after it is made.
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace velgram {

class CVelgramApp;

class LDlgPool : public QDialog {
  Q_OBJECT
 public:
  // idPool < 1: a new pool of the class.
  LDlgPool(CVelgramApp& app, int idSystem, int idPool, QWidget* parent = nullptr);
  void accept() override;
  int SavedId() const { return savedId_; }
  int ShownMatchSystem() const { return shownSystem_; }
  bool Locked() const { return locked_; }

  // "Wedstrijdsysteem": the editor on the shown row; an existing pool keeps
  // the chosen row at once.
  void ChooseMatchSystem();

  QLineEdit* name;
  QComboBox* style;  // "Poule", "Zwitsers", "Afval"
  QLineEdit* tables;
  QLineEdit* start;  // typed as "9:30", "930" or "09:30", shown as "HH:mm"
  QLineEdit* end;
  QLabel* matchSystem;  // the name of the shown row
  QPushButton* matchSystemButton;

 private:
  void ShowMatchSystem(int id);

  CVelgramApp& app_;
  int idSystem_, idPool_;
  int savedId_ = -1;
  int shownSystem_ = 0;
  bool locked_ = false;
};

}  // namespace velgram
