#pragma once
// "Spelklasse": a playing class of the current tournament.
#include <QDialog>
#include <QLineEdit>
#include <QRadioButton>

namespace velgram {

class CVelgramApp;

class LDlgSystem : public QDialog {
  Q_OBJECT
 public:
  // id < 1: a new class.
  LDlgSystem(CVelgramApp& app, int id, QWidget* parent = nullptr);
  void accept() override;

  QLineEdit* name;
  QRadioButton* single;
  QRadioButton* dual;
  QLineEdit* description;

 private:
  CVelgramApp& app_;
  int id_;
};

}  // namespace velgram
