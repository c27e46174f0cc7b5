#pragma once
// The hall display's own settings, opened by a right click on the display:
// what it shows, which classes, and how long each page stays.
#include <QCheckBox>
#include <QDialog>
#include <QRadioButton>
#include <QSpinBox>
#include <vector>

namespace velgram {

class Database;

class LDlgHallSettings : public QDialog {
  Q_OBJECT
 public:
  LDlgHallSettings(Database& db, int idToernooi, QWidget* parent = nullptr);
  // Writes the choices to the tournament's settings.
  void accept() override;

  QRadioButton* showMatches;
  QRadioButton* showStandings;
  QRadioButton* showBoth;
  QSpinBox* pageSeconds;
  // One box per class of the tournament, in class order; ticked is shown.
  std::vector<QCheckBox*> classes;

 private:
  Database& db_;
  int idToernooi_;
  std::vector<int> classIds_;
};

}  // namespace velgram
