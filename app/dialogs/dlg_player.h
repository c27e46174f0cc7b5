#pragma once
// "Deelnemer": one player of the current tournament.
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QRadioButton>

namespace velgram {

class CVelgramApp;

class LDlgPlayer : public QDialog {
  Q_OBJECT
 public:
  // id < 1: a new player.
  LDlgPlayer(CVelgramApp& app, int id, QWidget* parent = nullptr);
  void accept() override;

  QLineEdit* name;
  QComboBox* club;
  QLineEdit* bondsnummer;
  QLineEdit* rating;
  QLineEdit* klasse;
  QRadioButton* man;
  QRadioButton* vrouw;
  QLineEdit* email;

 private:
  CVelgramApp& app_;
  int id_;
};

}  // namespace velgram
