#include "app/pools/dlg_system.h"

#include <QFormLayout>
#include <QVBoxLayout>
#include <algorithm>

#include "app/shell/app.h"
#include "app/dialogs/dlg_common.h"
#include "app/shell/qtext.h"
#include "competition/edits.h"

namespace velgram {

LDlgSystem::LDlgSystem(CVelgramApp& app, int id, QWidget* parent) : QDialog(parent), app_(app), id_(id) {
  setWindowTitle(QStringLiteral("Spelklasse"));
  auto* layout = new QVBoxLayout(this);
  auto* form = new QFormLayout;
  name = new QLineEdit(this);
  name->setMinimumWidth(std::max(300, CharsWide(name, 32)));
  single = new QRadioButton(QStringLiteral("Enkel"), this);
  dual = new QRadioButton(QStringLiteral("Dubbel / Duoteam"), this);
  description = new QLineEdit(this);
  form->addRow(QStringLiteral("Naam:"), name);
  form->addRow(QString(), single);
  form->addRow(QString(), dual);
  form->addRow(QStringLiteral("Omschrijving:"), description);
  layout->addLayout(form);
  AddOkCancel(this, layout);
  if (id_ > 0) {
    SystemRecord s;
    app_.Db().GetSystem(s, id_);
    name->setText(ToQt(s.name));
    description->setText(ToQt(s.description));
    (s.nrPlayers == 1 ? single : dual)->setChecked(true);
  }
}

void LDlgSystem::accept() {
  std::string n, d;
  if (!ReadStorable(app_.Prompt(), {{name->text(), &n}, {description->text(), &d}})) return;
  int nrPlayers = single->isChecked() ? 1 : dual->isChecked() ? 2 : 0;
  if (!SaveSystem(app_.Db(), app_.Prompt(), app_.IdToernooi(), id_, n, d, nrPlayers)) {
    name->setFocus();
    return;
  }
  QDialog::accept();
}

}  // namespace velgram
