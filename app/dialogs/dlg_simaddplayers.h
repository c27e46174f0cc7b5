#pragma once
// "Simulatie deelnemers toevoegen": invented players for trying things out.
#include <QCheckBox>
#include <QDialog>
#include <QLineEdit>

namespace velgram {

class CVelgramApp;

class LDlgSimAddPlayers : public QDialog {
  Q_OBJECT
 public:
  explicit LDlgSimAddPlayers(CVelgramApp& app, QWidget* parent = nullptr);
  void accept() override;
  int Added() const { return added_; }

  QLineEdit* count;
  QLineEdit* minRating;
  QLineEdit* maxRating;
  QCheckBox* duo;

 private:
  CVelgramApp& app_;
  int added_ = 0;
};

}  // namespace velgram
