#pragma once
// The main window: the navigation tree on the left, one pane at a time on the
// right, the menu commands, and the window's remembered placement.
#include <QIcon>
#include <QMainWindow>
#include <QMenu>
#include <QPushButton>
#include <QStackedWidget>
#include <QTimer>
#include <QTreeWidget>
#include <vector>

#include "app/shell/navigation.h"
#include "competition/changes.h"

#ifndef VELGRAM_VERSION
#define VELGRAM_VERSION "0.0.0"
#endif

namespace velgram {

inline constexpr const char* kPoolNotDeleted = "De poule kon niet verwijderd worden; er is niets veranderd.";
inline constexpr const char* kSystemNotDeleted = "De spelklasse kon niet verwijderd worden; er is niets veranderd.";

class CVelgramApp;
class LGrid;
class LiveDesk;
class LPane;

class CVelgramDlg : public QMainWindow {
  Q_OBJECT
 public:
  explicit CVelgramDlg(CVelgramApp& app, QWidget* parent = nullptr);
  ~CVelgramDlg() override;

  static constexpr int kTreeWidth = 300;
  static constexpr int kMinWidth = 1000;
  static constexpr int kMinHeight = 200;

  // --- tournament and navigation --------------------------------------------
  // Opens ToernooiID, else the newest tournament, else asks for a new one.
  void OpenStartTournament();
  void FillTree();
  // Selects the item (which shows its pane); false when the tree has none.
  bool SelectItem(NavType type, int id = 0);
  void ShowPane(NavType type, int id);
  LPane* CurrentPane() const { return current_; }
  int PaneCount() const { return static_cast<int>(panes_.size()); }
  QTreeWidget* Tree() const { return tree_; }
  NavigationTree& Navigation() { return nav_; }
  QTimer& StartTimer() { return startTimer_; }
  QTimer& PlacementTimer() { return placementTimer_; }
  // The live server of the hall and the documents it answers from.
  LiveDesk& Live() { return *live_; }

  // --- deleting classes and pools, with their panes ------------------------------
  // False (after telling the user) when the database refused; nothing is
  // deleted then.
  bool DeletePool(int idPool);
  bool DeleteSystem(int idSystem);
  // "&Verwijder" of the tree's context menu on the selected class or pool.
  void DeleteSelectedItem();
  QMenu* ContextMenu(NavType type);

  // --- menu commands ----------------------------------------------------------------
  void CmdOpen();
  void CmdChange();
  void CmdNew();
  void CmdBackup();
  void CmdBackupManagement();
  void CmdSimAddPlayers();
  void CmdFonts();
  void CmdColors();
  void CmdSwiss();
  void CmdQuestion();
  void CmdAbout();
  // The program's icon: the drawing, or its picture where Qt has no SVG
  // support installed.
  static QIcon ProgramIcon();
  static QString AboutText(const QString& version = QStringLiteral(VELGRAM_VERSION));

  // --- services of the panes -----------------------------------------------------
  bool ImportPlayers(QWidget* parent);
  // The print preview of a pane's list; the pane is refreshed afterwards.
  void PrintGrid(LGrid* grid, const QString& printKey, QWidget* parent, const QString& subtitle = QString());
  void ShowClassesMenu(QWidget* anchor);
  // The pool dialog; the pool's id after OK, -1 when cancelled.
  int EditPool(int idSystem, int idPool, QWidget* parent);

  // --- placement -----------------------------------------------------------------------
  void SavePlacement();
  void RestorePlacement();

  // Results, rounds, pool starts and table/time changes announce themselves
  // here, so that every window showing matches or standings follows at once:
  // the notice says what changed, so that each updates only what it touched.
  void NotifyDataChanged(const DataChange& change = DataChange::Structure()) { emit dataChanged(change); }
  // The results entered at the tables changed (an entry came in, was
  // accepted or rejected) or their setting did: the navigation's count, the
  // notice above the panes and the queue's pane follow.
  void NotifyEntriesChanged();
  // Above the panes while entries wait; a click opens their pane.
  QPushButton* EntriesNotice() const { return entriesNotice_; }
  static QString EntriesNoticeText(int waiting);

 signals:
  void dataChanged(const velgram::DataChange& change);
  void entriesChanged();

 protected:
  void moveEvent(QMoveEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  struct PaneEntry {
    int dialogId;
    LPane* pane;
    int id;
  };
  void BuildMenus();
  void OnCurrentItemChanged(QTreeWidgetItem* item);
  void OnContextMenu(const QPoint& pos);
  void ReshowSelected();
  void RemovePane(int dialogId, int id);
  LPane* CreatePane(int dialogId, int id);
  void SetCaption();
  void FollowLiveSettings();
  void ShowEntriesCount();

  CVelgramApp& app_;
  QTreeWidget* tree_;
  NavigationTree nav_;
  QStackedWidget* stack_;
  QPushButton* entriesNotice_;
  std::vector<PaneEntry> panes_;
  LPane* current_ = nullptr;
  QMenu* classMenu_ = nullptr;
  QMenu* poolMenu_ = nullptr;
  QTimer startTimer_;
  QTimer placementTimer_;
  LiveDesk* live_;
};

}  // namespace velgram
