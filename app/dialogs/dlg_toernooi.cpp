#include "app/dialogs/dlg_toernooi.h"

#include <QFormLayout>
#include <QLabel>
#include <QVBoxLayout>
#include <algorithm>

#include "app/shell/app.h"
#include "app/dialogs/dlg_common.h"
#include "app/shell/qtext.h"
#include "competition/edits.h"

namespace velgram {

LDlgToernooi::LDlgToernooi(CVelgramApp& app, int id, QWidget* parent) : QDialog(parent), app_(app), id_(id) {
  setWindowTitle(QStringLiteral("Toernooi"));
  auto* layout = new QVBoxLayout(this);
  auto* form = new QFormLayout;
  name_ = new QLineEdit(this);
  name_->setMinimumWidth(std::max(320, CharsWide(name_, 32)));
  form->addRow(QStringLiteral("Naam:"), name_);
  layout->addLayout(form);
  // Sport and playing days are fixed in this version; the labels say so.
  auto* note = new QLabel(QStringLiteral("Sport: tafeltennis\nSpeeldagen en tijden: per poule in te stellen"), this);
  note->setEnabled(false);
  layout->addWidget(note);
  AddOkCancel(this, layout);
  if (id_ > 0) {
    TournamentRecord t;
    app_.Db().GetToernooi(t, id_);
    name_->setText(ToQt(t.name));
  }
}

void LDlgToernooi::accept() {
  std::string name;
  if (!ReadStorable(app_.Prompt(), {{name_->text(), &name}})) return;
  if (!SaveToernooi(app_.Db(), app_.Prompt(), id_, name, &savedId_)) {
    name_->setFocus();
    return;
  }
  QDialog::accept();
}

}  // namespace velgram
