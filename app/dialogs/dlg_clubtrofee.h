#pragma once
// "Verenigingsbeker": the clubs of the tournament ranked by their players'
// victories, sortable by any column and printable.
#include <QDialog>
#include <QTimer>

#include "competition/club_trophy.h"

class QLineEdit;
class QPushButton;

namespace velgram {

class Database;
class LGrid;
class Prompter;

class LDlgClubTrofee : public QDialog {
  Q_OBJECT
 public:
  LDlgClubTrofee(Database& db, int idToernooi, Prompter& prompter, QWidget* parent = nullptr);

  LGrid* Grid() const { return grid_; }
  QLineEdit* DenominatorField() const { return denominator_; }
  QPushButton* PrintButton() const { return print_; }
  const ClubTrophyModel& Model() const { return model_; }

  // Takes the typed minimum denominator now (normally 500 ms after the last
  // keystroke).
  void CommitDenominator();
  void Print();

 private:
  void Fill();
  void ApplyFont();

  Database& db_;
  Prompter& prompter_;
  ClubTrophyModel model_;
  QLineEdit* denominator_;
  QPushButton* print_;
  LGrid* grid_;
  QTimer denominatorTimer_;
};

}  // namespace velgram
