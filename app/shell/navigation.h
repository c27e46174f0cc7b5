#pragma once
// The navigation tree of the main window: the fixed items and, under
// "Spelklassen", the classes of the tournament with their pools. The results
// entered at the tables have an item of their own while that entry is on or
// entries wait, with the number waiting in its text.
#include <QFont>
#include <QTreeWidget>

namespace velgram {

class Database;

enum class NavType {
  None = 0,
  Players = 1,    // "Deelnemers"
  Tables = 2,     // "Tafels"
  Matches = 3,    // "Wedstrijden"
  Systems = 4,    // "Spelklassen"
  System = 5,     // one class (id: class id)
  Pool = 6,       // one pool (id: pool id)
  MatchNotes = 7, // "Wedstrijdbriefjes"
  Duos = 8,       // "Duo's"
  Entries = 9,    // "Binnengekomen uitslagen (n)"
};

struct NavItem {
  NavType type = NavType::None;
  int id = 0;
};

class NavigationTree {
 public:
  explicit NavigationTree(QTreeWidget* tree) : tree_(tree) {}

  // Rebuilds every item from the database for the tournament.
  void Fill(Database& db, int idToernooi, const QFont& font);
  void Clear() { tree_->clear(); }

  // The item of the results entered at the tables: shown or not, and the
  // number waiting in its text. Tells nobody, also when it removes the
  // current item.
  void SetEntries(bool shown, int waiting);
  static QString EntriesText(int waiting);

  QTreeWidgetItem* Find(NavType type, int id = 0) const;
  static NavItem ItemOf(const QTreeWidgetItem* item);
  // Every item in the tree's font; the selected one heavier as well.
  void MarkSelected(QTreeWidgetItem* selected);
  // The class item above a pool item (or the item itself for a class).
  QTreeWidgetItem* ClassOf(QTreeWidgetItem* item) const;

  QTreeWidget* Tree() const { return tree_; }

 private:
  QTreeWidgetItem* Add(QTreeWidgetItem* parent, const QString& text, NavType type, int id);
  QTreeWidget* tree_;
};

}  // namespace velgram
