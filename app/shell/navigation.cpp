#include "app/shell/navigation.h"

#include <QTreeWidgetItemIterator>
#include <vector>

#include "app/shell/qtext.h"
#include "competition/live_snapshot.h"
#include "competition/table_entry.h"
#include "store/database.h"

namespace velgram {

namespace {
constexpr int kTypeRole = Qt::UserRole;
constexpr int kIdRole = Qt::UserRole + 1;
}  // namespace

QTreeWidgetItem* NavigationTree::Add(QTreeWidgetItem* parent, const QString& text, NavType type, int id) {
  auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(tree_);
  item->setText(0, text);
  item->setData(0, kTypeRole, static_cast<int>(type));
  item->setData(0, kIdRole, id);
  return item;
}

void NavigationTree::Fill(Database& db, int idToernooi, const QFont& font) {
  tree_->blockSignals(true);
  tree_->clear();
  tree_->setFont(font);
  Add(nullptr, QStringLiteral("Deelnemers"), NavType::Players, 0);
  Add(nullptr, QStringLiteral("Duo's"), NavType::Duos, 0);
  Add(nullptr, QStringLiteral("Tafels"), NavType::Tables, 0);
  Add(nullptr, QStringLiteral("Wedstrijden"), NavType::Matches, 0);
  Add(nullptr, QStringLiteral("Wedstrijdbriefjes"), NavType::MatchNotes, 0);
  QTreeWidgetItem* classes = Add(nullptr, QStringLiteral("Spelklassen"), NavType::Systems, 0);
  std::vector<SystemRecord> systems;
  db.ListSystems(systems, idToernooi);
  for (const SystemRecord& s : systems) {
    QTreeWidgetItem* cls = Add(classes, ToQt(s.name), NavType::System, s.id);
    std::vector<PoolRecord> pools;
    db.ListPools(s.id, pools);
    for (const PoolRecord& p : pools) Add(cls, ToQt(p.name), NavType::Pool, p.id);
  }
  tree_->expandAll();
  tree_->blockSignals(false);
  const int waiting = CountWaitingEntries(db, idToernooi);
  SetEntries(LiveSettings::Read(db, idToernooi).tableEntry || waiting > 0, waiting);
}

QString NavigationTree::EntriesText(int waiting) {
  return QStringLiteral("Binnengekomen uitslagen (%1)").arg(waiting);
}

void NavigationTree::SetEntries(bool shown, int waiting) {
  QTreeWidgetItem* item = Find(NavType::Entries);
  if (!shown) {
    if (item) {
      const bool blocked = tree_->blockSignals(true);
      delete item;
      tree_->blockSignals(blocked);
    }
    return;
  }
  if (!item) {
    // Beside the matches it fills, above the classes.
    QTreeWidgetItem* classes = Find(NavType::Systems);
    const int at = classes ? tree_->indexOfTopLevelItem(classes) : tree_->topLevelItemCount();
    item = new QTreeWidgetItem;
    item->setData(0, kTypeRole, static_cast<int>(NavType::Entries));
    item->setData(0, kIdRole, 0);
    item->setFont(0, tree_->font());
    const bool blocked = tree_->blockSignals(true);
    tree_->insertTopLevelItem(at, item);
    tree_->blockSignals(blocked);
  }
  item->setText(0, EntriesText(waiting));
}

QTreeWidgetItem* NavigationTree::Find(NavType type, int id) const {
  for (QTreeWidgetItemIterator it(tree_); *it; ++it) {
    NavItem n = ItemOf(*it);
    if (n.type == type && n.id == id) return *it;
  }
  return nullptr;
}

NavItem NavigationTree::ItemOf(const QTreeWidgetItem* item) {
  if (!item) return {};
  return {static_cast<NavType>(item->data(0, kTypeRole).toInt()), item->data(0, kIdRole).toInt()};
}

void NavigationTree::MarkSelected(QTreeWidgetItem* selected) {
  // The chosen font stays as it is; the selected item is drawn heavier on top
  // of it, also when the chosen font is bold already.
  const QFont chosen = tree_->font();
  QFont heavier = chosen;
  heavier.setWeight(chosen.weight() < QFont::Bold ? QFont::Bold : QFont::Black);
  for (QTreeWidgetItemIterator it(tree_); *it; ++it) (*it)->setFont(0, *it == selected ? heavier : chosen);
}

QTreeWidgetItem* NavigationTree::ClassOf(QTreeWidgetItem* item) const {
  while (item && ItemOf(item).type != NavType::System) item = item->parent();
  return item;
}

}  // namespace velgram
