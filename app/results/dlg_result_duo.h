#pragma once
// Duo Dudodeva: five sub-matches of two games between two duos, with running
// totals and buttons that exchange the players' roles before entry.
#include <QLineEdit>
#include <QTimer>
#include <array>

#include "app/results/dlg_result_base.h"
#include "competition/match_rules.h"

namespace velgram {

class LDlgResultDuoPoints : public LDlgResultBase {
  Q_OBJECT
 public:
  LDlgResultDuoPoints(CVelgramApp& app, int idMatch, int idMatchSystem, QWidget* parent = nullptr);
  void accept() override;

  static constexpr int kTotalsMs = 500;

  // Game g (0..9, sub-match order, game 1 then game 2), left or right side.
  QLineEdit* Field(int game, int side) const { return side == 0 ? left_[game] : right_[game]; }
  QLabel* Total(int subMatch) const { return totals_[subMatch]; }  // 5 is the overall total
  QLabel* PlayerLabel(int player) const { return players_[player]; }  // a, b, x, y
  QPushButton* SwapButton(int which) const { return swap_[which]; }   // a-b, x-y, ab-xy
  const DuoSwaps& Swaps() const { return swaps_; }

 protected:
  void ShowMatch() override;
  void LockEntry() override;

 private:
  void UpdateTotals();
  void ShowPlayers();
  DuoEntry Entry() const;

  std::array<QLineEdit*, kDuoGames> left_{}, right_{};
  std::array<QLabel*, kDuoSubMatches + 1> totals_{};
  std::array<QLabel*, 4> players_{};
  std::array<QPushButton*, 3> swap_{};
  DuoSwaps swaps_;
  QTimer totalsTimer_;
};

}  // namespace velgram
