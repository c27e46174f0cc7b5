#include "app/dialogs/dlg_removeplayers.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/dialogs/dlg_common.h"
#include "app/shell/qtext.h"

namespace velgram {

LDlgRemovePlayers::LDlgRemovePlayers(const std::vector<PlayerRecord>& players,
                                     std::function<bool(const std::vector<int>&)> removeSelected, QWidget* parent)
    : QDialog(parent), removeSelected_(std::move(removeSelected)) {
  setWindowTitle(QStringLiteral("Verwijder deelnemers"));
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(
      QStringLiteral("Sommige spelers zijn wel aanwezig in de toernooidatabase, maar niet in het importbestand."),
      this));
  layout->addWidget(
      new QLabel(QStringLiteral("Selecteer de spelers die u uit het toernooibestand wilt verwijderen."), this));
  list_ = new QListWidget(this);
  list_->setSelectionMode(QAbstractItemView::MultiSelection);
  for (const PlayerRecord& p : players) {
    auto* item = new QListWidgetItem(QStringLiteral("%1 (%2)").arg(ToQt(p.name), ToQt(p.bondsnummer)), list_);
    item->setData(Qt::UserRole, p.id);
  }
  FitListWidth(list_, 0);
  layout->addWidget(list_, 1);

  auto add = [&](const QString& text, auto slot) {
    auto* b = new QPushButton(text, this);
    b->setAutoDefault(false);
    connect(b, &QPushButton::clicked, this, slot);
    layout->addWidget(b);
  };
  add(QStringLiteral("Selecteer alle spelers"), [this] { SelectAll(); });
  add(QStringLiteral("Selecteer geen enkele speler"), [this] { SelectNone(); });
  add(QStringLiteral("Verwijder de geselecteerde spelers"), [this] { RemoveSelected(); });
  add(QStringLiteral("Verwijder geen enkele speler"), [this] { accept(); });
  add(QStringLiteral("Stop het importeren"), [this] { reject(); });
  resize(520, 520);
}

QPushButton* LDlgRemovePlayers::Button(const QString& text) const {
  for (QPushButton* b : findChildren<QPushButton*>())
    if (b->text() == text) return b;
  return nullptr;
}

std::vector<int> LDlgRemovePlayers::SelectedIds() const {
  // In list order, not in the order the lines were clicked.
  std::vector<int> ids;
  for (int i = 0; i < list_->count(); ++i)
    if (list_->item(i)->isSelected()) ids.push_back(list_->item(i)->data(Qt::UserRole).toInt());
  return ids;
}

void LDlgRemovePlayers::SelectAll() { list_->selectAll(); }
void LDlgRemovePlayers::SelectNone() { list_->clearSelection(); }

void LDlgRemovePlayers::RemoveSelected() {
  if (removeSelected_(SelectedIds())) accept();
}

}  // namespace velgram
