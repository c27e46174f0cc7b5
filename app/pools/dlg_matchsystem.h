#pragma once
// "Wedstrijdsysteem": chooses, changes, adds or deletes a match system. The
// rules (which controls apply, what OK stores, when a row may go) are the
// core's; the dialog gathers the controls and shows what comes back.
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <array>

namespace velgram {

class CVelgramApp;

class LDlgMatchSystem : public QDialog {
  Q_OBJECT
 public:
  LDlgMatchSystem(CVelgramApp& app, int idMatchSystem, QWidget* parent = nullptr);
  void accept() override;
  // The row chosen on OK.
  int ChosenId() const { return chosenId_; }

  // "Verwijder...": the selected row.
  void DeleteSelected();

  QComboBox* select;  // "Selecteer:", item data = id
  QLineEdit* points;  // "Aantal punten:"
  QCheckBox* gameDiff;
  QLineEdit* setMax;  // "Max. aantal games:"
  QLineEdit* setWon;  // "Winnaar bij aantal games:"
  std::array<QRadioButton*, 4> resultMode;  // "Sets", "Games", "Punten", "Allen: Sets, Games, Punten"
  QLineEdit* name;
  QCheckBox* duoteam;
  std::array<QCheckBox*, 5> subMatches;  // a-x, b-y, a-y, b-x, ab-xy
  QPushButton* deleteButton;

 private:
  void FillList(int selectId);
  void ShowSelected();
  void UpdateEnabling();
  int ResultMode() const;

  CVelgramApp& app_;
  int chosenId_ = -1;
};

}  // namespace velgram
