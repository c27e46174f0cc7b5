#pragma once
// Game by game: a keypad of the loser's points fills the game windows one
// after another; the side that has won the match is shown in bold.
#include <QFrame>
#include <QGroupBox>
#include <QLineEdit>
#include <QTimer>
#include <array>
#include <vector>

#include "app/results/dlg_result_base.h"
#include "competition/match_rules.h"
#include "store/records.h"

namespace velgram {

class Prompter;

// One game: the first side's points on the left, the second's on the right.
class LFlyGameResult : public QFrame {
  Q_OBJECT
 public:
  explicit LFlyGameResult(int game, QWidget* parent = nullptr);

  void SetScore(int left, int right);
  void Clear();
  void Exchange();  // "<>": the other side won this game
  void SetCurrent(bool current);
  bool IsCurrent() const { return current_; }
  void SetLocked(bool locked);

  QString LeftText() const { return left_->text(); }
  QString RightText() const { return right_->text(); }
  QLineEdit* LeftEdit() const { return left_; }
  QLineEdit* RightEdit() const { return right_; }
  QPushButton* CurrentButton() const { return makeCurrent_; }
  QPushButton* ExchangeButton() const { return exchange_; }

  static QColor CurrentColour() { return QColor(200, 240, 90); }

 signals:
  void chosen();   // ">"
  void changed();  // typed, exchanged, filled or emptied

 private:
  QLineEdit* left_;
  QLineEdit* right_;
  QPushButton* makeCurrent_;
  QPushButton* exchange_;
  bool current_ = false;
};

// "Punten verliezer": a loser's score beyond the keypad.
class LDlgPointsLoser : public QDialog {
  Q_OBJECT
 public:
  LDlgPointsLoser(Prompter& prompter, const MatchSystem& ms, QWidget* parent = nullptr);
  void accept() override;
  int Points() const { return points_; }
  QLineEdit* PointsEdit() const { return edit_; }

 private:
  Prompter& prompter_;
  MatchSystem ms_;
  QLineEdit* edit_;
  int points_ = -1;
};

class LDlgResultFast : public LDlgResultBase {
  Q_OBJECT
 public:
  LDlgResultFast(CVelgramApp& app, int idMatch, int idMatchSystem, QWidget* parent = nullptr);
  void accept() override;

  static constexpr int kKeypadMax = 14;
  static constexpr int kRebuildMs = 300;

  LFlyGameResult* Game(int i) const { return games_[i]; }
  int ShownGames() const { return shown_; }
  int CurrentGame() const { return current_; }
  // "0" to "14", then "?" as the sixteenth.
  QPushButton* KeypadButton(int points) const { return keypad_[points]; }
  QPushButton* AskButton() const { return keypad_[kKeypadMax + 1]; }
  QPushButton* ClearGameButton() const { return clearGame_; }
  QLabel* NameLabel(int side) const { return names_[side]; }
  QLabel* KeysLabel() const { return keys_; }
  // The coded games as the last rebuild found them.
  const std::vector<int>& Games() const { return codes_; }

  // The loser's score for the current game, as the keypad gives it.
  void EnterLoser(int points);
  void ClearGame();
  void AskLoser();

 protected:
  void ShowMatch() override;
  void LockEntry() override;
  MatchSystem RulesOf(MatchBook& book) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void SetCurrent(int i);
  void Rebuild();
  GameTexts Texts() const;

  QLabel* names_[2];
  QGroupBox* gamesBox_;
  std::array<LFlyGameResult*, kFastGameRows> games_{};
  std::array<QPushButton*, kKeypadMax + 2> keypad_{};
  QPushButton* clearGame_;
  QLabel* keys_;
  QLabel* pending_;
  QTimer rebuild_;
  int shown_ = 0;
  int current_ = 0;
  bool tens_ = false;  // "+" was typed: the next digit means 10 more
  std::vector<int> codes_;
};

}  // namespace velgram
