#pragma once
// Winner only: one button per side; pressing it stores that side as winner.
// A walkover or a retirement is chosen under "Beslissing:" and stored by OK.
#include <QPushButton>

#include "app/results/dlg_result_base.h"

namespace velgram {

class LDlgResultSingleSets : public LDlgResultBase {
  Q_OBJECT
 public:
  LDlgResultSingleSets(CVelgramApp& app, int idMatch, int idMatchSystem, QWidget* parent = nullptr);

  QPushButton* SideButton(int side) const { return side_[side]; }
  void accept() override;

 protected:
  void ShowMatch() override;
  void LockEntry() override;
  void EndingChanged() override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void Choose(int side);
  QPushButton* side_[2];
};

}  // namespace velgram
