#include "app/dialogs/dlg_common.h"

#include <QBoxLayout>
#include <QDialog>
#include <QPushButton>
#include <QRegularExpression>
#include <QRegularExpressionValidator>

#include "app/shell/qtext.h"
#include "support/prompt.h"

namespace velgram {

const char* const kNotStorableMessage =
    "De ingevulde tekst bevat tekens die Velgram niet kan opslaan.\r\n"
    "Alleen West-Europese letters, cijfers en leestekens zijn mogelijk.\r\n"
    "Pas de tekst aan en probeer het opnieuw.";

bool ReadStorable(Prompter& prompter, std::initializer_list<std::pair<QString, std::string*>> fields) {
  for (const auto& f : fields) {
    bool lossless = true;
    FromQt(f.first, &lossless);
    if (!lossless) {
      prompter.Alert(kNotStorableMessage);
      return false;
    }
  }
  for (const auto& f : fields) *f.second = FromQt(f.first);
  return true;
}

QValidator* DigitsValidator(int maxDigits, QObject* parent) {
  return new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,%1}").arg(maxDigits)), parent);
}

QDialogButtonBox* AddOkCancel(QDialog* dialog, QBoxLayout* layout) {
  auto* box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
  box->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
  box->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Annuleren"));
  QObject::connect(box, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
  QObject::connect(box, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
  layout->addWidget(box);
  return box;
}

}  // namespace velgram
