#include "app/dialogs/dlg_selectlist.h"

#include <QVBoxLayout>

#include "app/dialogs/dlg_common.h"
#include "support/prompt.h"

namespace velgram {

LDlgSelectList::LDlgSelectList(Prompter& prompter, const QStringList& texts, QWidget* parent)
    : QDialog(parent), prompter_(prompter) {
  setWindowTitle(QStringLiteral("Selecteer"));
  auto* layout = new QVBoxLayout(this);
  list_ = new QListWidget(this);
  list_->addItems(texts);
  list_->setMinimumHeight(260);
  FitListWidth(list_, 320);
  layout->addWidget(list_);
  AddOkCancel(this, layout);
  connect(list_, &QListWidget::itemDoubleClicked, this, [this] { accept(); });
}

void LDlgSelectList::accept() {
  index_ = list_->currentRow();
  if (index_ < 0 || !list_->currentItem()->isSelected()) {
    index_ = -1;
    prompter_.Alert("Maak een keuze.");
    return;
  }
  text_ = list_->currentItem()->text();
  QDialog::accept();
}

}  // namespace velgram
