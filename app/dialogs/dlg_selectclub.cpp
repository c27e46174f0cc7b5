#include "app/dialogs/dlg_selectclub.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/dialogs/dlg_common.h"
#include "app/dialogs/dlg_question.h"
#include "app/shell/qtext.h"
#include "exchange/import_file.h"
#include "support/prompt.h"

namespace velgram {

LDlgSelectClub::LDlgSelectClub(const PlayerRecord& row, const std::vector<ClubEntry>& clubs, Prompter& prompter,
                               QWidget* parent)
    : QDialog(parent), row_(row), prompter_(prompter) {
  setWindowTitle(QStringLiteral("Selecteer vereniging"));
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(QStringLiteral("Selecteer een vereniging voor: ") + ToQt(row.name), this));
  layout->addWidget(new QLabel(QStringLiteral("Huidige vereniging: ") + ToQt(row.clubName), this));
  layout->addWidget(new QLabel(QStringLiteral("Selecteer vereniging:"), this));
  list_ = new QListWidget(this);
  list_->setSelectionMode(QAbstractItemView::SingleSelection);
  for (const ClubEntry& club : clubs) {
    auto* item = new QListWidgetItem(ToQt(club.name), list_);
    item->setData(Qt::UserRole, club.id);
  }
  connect(list_, &QListWidget::itemDoubleClicked, this, [this] { TakeSelected(); });
  FitListWidth(list_, 0);
  layout->addWidget(list_, 1);

  auto* buttons = new QDialogButtonBox(this);
  buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
  newClub_ = buttons->addButton(QStringLiteral("Nieuwe vereniging"), QDialogButtonBox::ActionRole);
  buttons->addButton(QStringLiteral("Annuleren"), QDialogButtonBox::RejectRole);
  connect(buttons, &QDialogButtonBox::accepted, this, &LDlgSelectClub::TakeSelected);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(newClub_, &QPushButton::clicked, this, &LDlgSelectClub::AskNewClub);
  layout->addWidget(buttons);
  resize(420, 480);
}

void LDlgSelectClub::TakeSelected() {
  const QList<QListWidgetItem*> selected = list_->selectedItems();
  if (selected.isEmpty()) {
    prompter_.Alert("Selecteer een vereniging in de lijst");
    return;
  }
  choice_ = {ClubChoice::kExisting, selected.front()->data(Qt::UserRole).toInt(), {}};
  accept();
}

void LDlgSelectClub::AskNewClub() {
  LDlgQuestion question(QStringLiteral("Nieuwe club"), QStringLiteral("Wat is de naam van de club?"),
                        ToQt(row_.clubName), this);
  if (question.exec() == QDialog::Accepted) TakeNewClub(question.Answer());
}

bool LDlgSelectClub::TakeNewClub(const QString& name) {
  std::string clubName;
  if (!ReadStorable(prompter_, {{name, &clubName}})) return false;
  clubName = TrimBlanks(clubName);
  if (clubName.empty()) {
    // A club without a name could never be told apart in the lists.
    prompter_.Alert("Geef de naam van de club op.");
    return false;
  }
  choice_ = {ClubChoice::kNew, -1, clubName};
  accept();
  return true;
}

}  // namespace velgram
