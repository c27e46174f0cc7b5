#pragma once
// Games won: the two names above a field each for the games that side won.
#include <QLineEdit>

#include "app/results/dlg_result_base.h"

namespace velgram {

class LDlgResultSingleGames : public LDlgResultBase {
  Q_OBJECT
 public:
  LDlgResultSingleGames(CVelgramApp& app, int idMatch, int idMatchSystem, QWidget* parent = nullptr);
  void accept() override;

  QLineEdit* GamesEdit(int side) const { return games_[side]; }
  QLabel* NameLabel(int side) const { return names_[side]; }

 protected:
  void ShowMatch() override;
  void LockEntry() override;

 private:
  QLabel* names_[2];
  QLineEdit* games_[2];
};

}  // namespace velgram
