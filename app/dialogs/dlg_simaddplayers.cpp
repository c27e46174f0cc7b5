#include "app/dialogs/dlg_simaddplayers.h"

#include <QFormLayout>
#include <QVBoxLayout>

#include "app/shell/app.h"
#include "app/dialogs/dlg_common.h"
#include "app/shell/qtext.h"
#include "competition/simulate.h"
#include "support/random.h"

namespace velgram {

LDlgSimAddPlayers::LDlgSimAddPlayers(CVelgramApp& app, QWidget* parent) : QDialog(parent), app_(app) {
  setWindowTitle(QStringLiteral("Simulatie deelnemers toevoegen"));
  auto* layout = new QVBoxLayout(this);
  auto* form = new QFormLayout;
  count = new QLineEdit(this);
  minRating = new QLineEdit(this);
  maxRating = new QLineEdit(this);
  duo = new QCheckBox(QStringLiteral("Duo"), this);
  form->addRow(QStringLiteral("Aantal deelnemers:"), count);
  form->addRow(QStringLiteral("Minimale speelsterkte:"), minRating);
  form->addRow(QStringLiteral("Maximale speelsterkte:"), maxRating);
  form->addRow(QString(), duo);
  layout->addLayout(form);
  AddOkCancel(this, layout);
}

void LDlgSimAddPlayers::accept() {
  SimParticipantsForm f;
  f.count = FromQt(count->text());
  f.minRating = FromQt(minRating->text());
  f.maxRating = FromQt(maxRating->text());
  f.duo = duo->isChecked();
  StdRandom random;
  added_ = AddSimulatedParticipants(app_.Db(), app_.IdToernooi(), f, random, app_.Db().GetClock());
  // Nothing sensible asked for: closed as cancelled, as the form promises.
  if (added_ < 1)
    reject();
  else
    QDialog::accept();
}

}  // namespace velgram
