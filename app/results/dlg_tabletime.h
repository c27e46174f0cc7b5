#pragma once
// "Tafel / Tijd": moves one match to another table or start time.
#include <QDialog>
#include <QLineEdit>
#include <QTimeEdit>

namespace velgram {

class CVelgramApp;

class LDlgTableTime : public QDialog {
  Q_OBJECT
 public:
  LDlgTableTime(CVelgramApp& app, int idMatch, QWidget* parent = nullptr);
  // Reads the match; false (after telling the user) when it no longer exists.
  bool Load();
  void accept() override;

  QLineEdit* TableEdit() const { return table_; }
  QTimeEdit* TimeEdit() const { return time_; }

 private:
  CVelgramApp& app_;
  int idMatch_;
  QLineEdit* table_;
  QTimeEdit* time_;
};

}  // namespace velgram
