#include "app/results/dlg_tabletime.h"

#include <QFormLayout>
#include <QVBoxLayout>

#include "app/dialogs/dlg_common.h"
#include "app/shell/app.h"
#include "app/shell/qtext.h"
#include "competition/match_rules.h"
#include "competition/tables.h"

namespace velgram {

LDlgTableTime::LDlgTableTime(CVelgramApp& app, int idMatch, QWidget* parent)
    : QDialog(parent), app_(app), idMatch_(idMatch) {
  setWindowTitle(QStringLiteral("Tafel / Tijd"));
  auto* layout = new QVBoxLayout(this);
  auto* form = new QFormLayout;
  table_ = new QLineEdit(this);
  time_ = new QTimeEdit(this);
  time_->setDisplayFormat(QStringLiteral("HH:mm"));
  form->addRow(QStringLiteral("Tafel:"), table_);
  form->addRow(QStringLiteral("Starttijd:"), time_);
  layout->addLayout(form);
  AddOkCancel(this, layout);
}

bool LDlgTableTime::Load() {
  MatchRecord m;
  if (!MatchExists(app_.Db(), idMatch_) || !app_.Db().GetMatch(m, idMatch_)) {
    app_.Prompt().Alert(kMatchGoneMessage);
    return false;
  }
  table_->setText(QString::number(m.tafel));
  // A time past midnight (no wrap when minutes are added) shows as its clock
  // time; the picker cannot hold 24:05.
  time_->setTime(QTime((m.starttime / 100) % 24, m.starttime % 100 % 60));
  table_->selectAll();
  table_->setFocus();
  return true;
}

void LDlgTableTime::accept() {
  QTime t = time_->time();
  bool gone = !MatchExists(app_.Db(), idMatch_);
  if (!ChangeTableTime(app_.Db(), app_.Prompt(), idMatch_, FromQt(table_->text()), t.hour(), t.minute())) {
    if (gone) reject();
    else table_->setFocus();
    return;
  }
  QDialog::accept();
}

}  // namespace velgram
