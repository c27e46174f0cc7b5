#pragma once
// What every result dialog shares: the match's table, time and pool above the
// entry (and the table that entered the stored result), the match and its rules, "Wijzig Tafel/Tijd" and "Wis uitslag", and
// the decision whether entry is possible at all.
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <memory>
#include <vector>

#include "competition/match_rules.h"
#include "competition/changes.h"
#include "competition/matchbook.h"
#include "store/records.h"

class QBoxLayout;
class QHBoxLayout;

namespace velgram {

class CVelgramApp;

class LDlgResultBase : public QDialog {
  Q_OBJECT
 public:
  LDlgResultBase(CVelgramApp& app, int idMatch, int idMatchSystem, QWidget* parent);

  // Reads the match. False when the dialog must not be shown: the match no
  // longer exists, or a side is no position of the pool ("Bye"); the user has
  // been told. "1 of 2 spelers zijn nog onbekend" opens the dialog with entry
  // locked, so that only the table or time can be changed.
  bool Load();

  // Something was stored or cleared, or the table or time moved.
  bool Changed() const { return changed_; }
  // What changed, as the other windows are told.
  DataChange Change() const;
  bool EntryLocked() const { return locked_; }

  QLabel* TableLabel() const { return table_; }
  QLabel* TimeLabel() const { return time_; }
  QLabel* PoolLabel() const { return pool_; }
  // Where the stored result came from, when a table entered it; hidden for a
  // result typed at the desk.
  QLabel* SourceLabel() const { return source_; }
  QPushButton* TableTimeButton() const { return tableTime_; }
  QPushButton* ClearButton() const { return clear_; }
  QPushButton* OkButton() const { return ok_; }
  // "Beslissing:": played, or a walkover or retirement of either side.
  QComboBox* EndingCombo() const { return ending_; }
  Ending ChosenEnding() const;

  const MatchEntry& Match() const { return match_; }
  const MatchSystem& System() const { return system_; }

 protected:
  // The header (table, time, pool) at the top of layout.
  void AddHeader(QBoxLayout* layout);
  // "Beslissing:" above "Wijzig Tafel/Tijd", "Wis uitslag", then OK (unless
  // withOk is false) and "Annuleren".
  void AddButtons(QBoxLayout* layout, bool withOk = true);
  // The choice under "Beslissing:" changed (also when the match is shown).
  virtual void EndingChanged() {}
  // Fills the dialog's own controls from match_ once it is read.
  virtual void ShowMatch() = 0;
  // Locks the dialog's own entry controls (the sides are not known yet).
  virtual void LockEntry() {}
  // Stores the decision; on success the dialog closes with OK.
  bool Store(const struct ResultDecision& decision);
  // The rules the match is played by: the pool's own unless the caller named
  // a system.
  virtual MatchSystem RulesOf(MatchBook& book);

  CVelgramApp& app_;
  int idMatch_;
  int idMatchSystem_;
  MatchEntry match_;
  MatchSystem system_;

 private:
  void ChangeTableTime();
  void ClearResult();

  QLabel* table_ = nullptr;
  QLabel* time_ = nullptr;
  QLabel* pool_ = nullptr;
  QLabel* source_ = nullptr;
  QPushButton* tableTime_ = nullptr;
  QPushButton* clear_ = nullptr;
  QPushButton* ok_ = nullptr;
  QComboBox* ending_ = nullptr;
  bool changed_ = false;
  bool tableTimeChanged_ = false;
  bool locked_ = false;
};

// The names of the two sides as the result dialogs show them: a duo side
// lists its two players.
QString SideText(const MatchEntry& match, int side);

// A font text of the result dialogs ("Arial,14,700,1,34,0"), never smaller
// than the font the dialog has, so that larger fonts keep the names readable.
QFont ResultFont(const char* text, const QFont& dialogFont);

// Prevents a button from taking Enter for itself, so that Enter always means
// OK in the result dialogs.
void PlainButton(QPushButton* button);

}  // namespace velgram
