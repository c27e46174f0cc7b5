#pragma once
// "Poule Zwitsers Afval": name, format, tables, times and match system of a pool.
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QTimeEdit>
#include <vector>

namespace velgram {

class CVelgramApp;

class LDlgPool : public QDialog {
  Q_OBJECT
 public:
  // idPool < 1: a new pool of the class.
  LDlgPool(CVelgramApp& app, int idSystem, int idPool, QWidget* parent = nullptr);
  void accept() override;
  int SavedId() const { return savedId_; }

  QLineEdit* name;
  QComboBox* style;        // "Poule", "Zwitsers", "Afval"
  QLineEdit* tables;
  QTimeEdit* start;
  QTimeEdit* end;
  QComboBox* matchSystem;  // the match systems by name

 private:
  CVelgramApp& app_;
  int idSystem_, idPool_;
  int savedId_ = -1;
  std::vector<int> systemIds_;
};

}  // namespace velgram
