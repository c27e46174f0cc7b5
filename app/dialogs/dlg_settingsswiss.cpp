#include "app/dialogs/dlg_settingsswiss.h"

#include <QFormLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "app/dialogs/dlg_common.h"
#include "app/shell/qtext.h"
#include "competition/edits.h"

namespace velgram {

LDlgSettingsSwiss::LDlgSettingsSwiss(Database& db, Prompter& prompter, QWidget* parent)
    : QDialog(parent), db_(db), prompter_(prompter) {
  setWindowTitle(QStringLiteral("Instellingen Zwitsers"));
  auto* layout = new QVBoxLayout(this);
  auto* form = new QFormLayout;
  border = new QLineEdit(ToQt(SwissBorderText(db_)), this);
  border->setMaximumWidth(80);
  form->addRow(QStringLiteral("Grens:"), border);
  layout->addLayout(form);
  auto* text = new QLabel(QStringLiteral(
                              "Grenswaarde voor de initi\u00eble indeling op basis van de stand\n"
                              "B.v. 5 betekent, dat de nr. 1 tegen de nr.6 speelt, de nr. 2 tegen de nr. 7, etc.\n"
                              "Rekening houdend met het aantal gewonnen wedstrijden\n"
                              "en of ze al tegen elkaar gespeeld hebben.\n\n"
                              "Een negatieve waarde is een percentage van het aantal spelers in de poule.\n"
                              "B.v. -40 in een poule van 10 betekent een grens van 4.\n"
                              "-40 in een poule van 30 betekent een grens van 12."),
                          this);
  layout->addWidget(text);
  AddOkCancel(this, layout);
}

void LDlgSettingsSwiss::accept() {
  std::string text;
  if (!ReadStorable(prompter_, {{border->text(), &text}})) return;
  if (!StoreSwissBorder(db_, prompter_, text)) {
    border->setFocus();
    return;
  }
  QDialog::accept();
}

}  // namespace velgram
