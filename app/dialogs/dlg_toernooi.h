#pragma once
// "Toernooi": the name of a new or existing tournament.
#include <QDialog>
#include <QLineEdit>

namespace velgram {

class CVelgramApp;

class LDlgToernooi : public QDialog {
  Q_OBJECT
 public:
  // id < 1: a new tournament.
  LDlgToernooi(CVelgramApp& app, int id, QWidget* parent = nullptr);
  void accept() override;

  int SavedId() const { return savedId_; }
  QLineEdit* NameEdit() const { return name_; }

 private:
  CVelgramApp& app_;
  int id_;
  int savedId_ = -1;
  QLineEdit* name_;
};

}  // namespace velgram
