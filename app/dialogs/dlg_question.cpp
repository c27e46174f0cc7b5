#include "app/dialogs/dlg_question.h"

#include <QVBoxLayout>
#include <algorithm>

#include "app/dialogs/dlg_common.h"

namespace velgram {

LDlgQuestion::LDlgQuestion(const QString& caption, const QString& prompt, const QString& answer, QWidget* parent)
    : QDialog(parent) {
  setWindowTitle(caption);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(prompt, this));
  answer_ = new QLineEdit(answer, this);
  answer_->setMinimumWidth(std::max(300, CharsWide(answer_, 32)));
  answer_->selectAll();
  layout->addWidget(answer_);
  AddOkCancel(this, layout);
}

}  // namespace velgram
