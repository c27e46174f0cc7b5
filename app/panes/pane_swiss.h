#pragma once
// The screen of a Swiss pool: its players, the current round's matches, the
// matrix of results and the standings with each player's rounds, and the
// commands that start the pool, calculate and delete rounds, take players out
// and in, simulate results and export the standings.
#include <QCheckBox>
#include <QLabel>
#include <QMenu>
#include <set>

#include "app/panes/pane.h"
#include "competition/simulate.h"
#include "competition/swiss.h"
#include "competition/swiss_screen.h"

namespace velgram {

class Clock;
class PairingReviewer;

class LPaneSwiss : public LPane {
  Q_OBJECT
 public:
  enum class View { kPlayers, kRound, kMatrix, kStand };

  LPaneSwiss(CVelgramApp& app, int idPool, QWidget* parent = nullptr);
  void Refresh() override;

  int IdPool() const { return idPool_; }
  View CurrentView() const { return view_; }
  void ShowView(View view);
  const LSwiss& Pool() const { return pool_; }

  // Commands, as their buttons and menu items run them.
  void StartPool();
  void NextRound();
  void DeleteRound();
  void Export();
  void Simulate(SimMode mode);
  void EnterResultOf(int idContestant);  // "Uitslag"
  void RemovePlayer(int idContestant);   // "Speler verwijderen"
  void AddPlayer();                      // "Speler toevoegen"
  // "Speler weer indelen" button: the removed player selected in the grid,
  // the only one there is, or the one chosen from a list.
  void BringBackPlayer();
  void ToggleExpanded(int idContestant);

  // The "Menu" pop-up and the right-click menu for a grid row (-1: below the
  // rows), built but not shown.
  QMenu* CommandMenu() const { return menu_; }
  QMenu* RowMenu(int row);

  QCheckBox* ClubBox() const { return club_; }
  QCheckBox* TablesBox() const { return tables_; }
  QCheckBox* TimesBox() const { return times_; }
  QLabel* RoundLabel() const { return roundLabel_; }
  // The export file's full path (tests point the folder elsewhere).
  void SetExportFolder(const std::string& folder) { exportFolder_ = folder; }
  // Who reviews a proposed round from round 2 on; by default the
  // improvement dialog.
  void SetReviewer(PairingReviewer* reviewer) { reviewer_ = reviewer; }

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void Load();
  void FillPlayers();
  void FillRound();
  void FillMatrix();
  void FillStand();
  void SetVisibility();
  void OnDoubleClick(int row);
  void OnHeaderClicked(int col);
  void OnContextMenu(const QPoint& pos);
  void OpenResult(int idMatch);
  void Print();
  void EditPool();
  void LinkPrevious();
  bool AskStartWarning();
  void ChangeContestants();
  void SetSetting(const char* key, bool on);
  bool Setting(const char* key) const;
  QString ViewName() const;
  std::string SettingKey(const char* key) const;
  std::vector<std::vector<std::string>> StandRows(const std::set<int>& expanded);

  int idPool_;
  View view_ = View::kPlayers;
  LSwiss pool_;
  bool hasMatches_ = false;
  bool withClub_ = false;
  std::set<int> expanded_;
  std::vector<SwissStandLine> standLines_;  // what each row of "Stand" shows
  int standSortColumn_ = -1;
  bool standAscending_ = false;
  std::string exportFolder_;
  PairingReviewer* reviewer_ = nullptr;

  QWidget* viewBar_;
  QPushButton* editButton_;
  QPushButton* startButton_;
  QPushButton* linkButton_;
  QPushButton* contestantsButton_;
  QPushButton* nextButton_;
  QPushButton* menuButton_;
  QPushButton* addLateButton_;
  QPushButton* bringBackButton_;
  std::vector<QPushButton*> viewButtons_;
  QLabel* roundLabel_;
  QCheckBox* tables_;
  QCheckBox* times_;
  QCheckBox* club_;
  QMenu* menu_;
  QMenu* rowMenu_ = nullptr;
};

}  // namespace velgram
