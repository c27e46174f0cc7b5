#include "app/dialogs/dlg_settingsfont.h"

#include <QFontDialog>
#include <QGridLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/dialogs/dlg_common.h"
#include "app/shell/fonts.h"
#include "store/database.h"

namespace velgram {

const char* LDlgSettingsFont::Key(int sample) {
  static const char* const keys[3] = {"NavFont", "InfoFont", "PrintFont"};
  return keys[sample];
}

LDlgSettingsFont::LDlgSettingsFont(Database& db, QWidget* parent) : QDialog(parent), db_(db) {
  setWindowTitle(QStringLiteral("Instelling Lettergrootte"));
  chooseFont = [this](QFont& font) {
    bool ok = false;
    QFont chosen = QFontDialog::getFont(&ok, font, this, QStringLiteral("Lettertype"));
    if (ok) font = chosen;
    return ok;
  };
  auto* layout = new QVBoxLayout(this);
  auto* grid = new QGridLayout;
  static const char* const texts[3] = {"Velgram met het unieke Zwitsers Systeem", "Informatie van Velgram in tabellen",
                                       "Afdrukken van tabellen van Velgram"};
  for (int i = 0; i < 3; ++i) {
    samples_[i] = new QLabel(QString::fromLatin1(texts[i]), this);
    samples_[i]->setMinimumHeight(40);
    auto* change = new QPushButton(QStringLiteral("Wijzig"), this);
    change->setAutoDefault(false);
    connect(change, &QPushButton::clicked, this, [this, i] { Change(i); });
    grid->addWidget(samples_[i], i, 0);
    grid->addWidget(change, i, 1);
  }
  grid->setColumnStretch(0, 1);
  grid->setColumnMinimumWidth(0, 420);
  layout->addLayout(grid);
  auto* box = new QDialogButtonBox(QDialogButtonBox::Close, this);
  box->button(QDialogButtonBox::Close)->setText(QStringLiteral("Sluiten"));
  connect(box, &QDialogButtonBox::rejected, this, &QDialog::accept);
  layout->addWidget(box);
  ShowSamples();
}

void LDlgSettingsFont::ShowSamples() {
  for (int i = 0; i < 3; ++i) samples_[i]->setFont(SettingFont(db_, Key(i)));
}

void LDlgSettingsFont::Change(int sample) {
  QFont font = SettingFont(db_, Key(sample));
  if (!chooseFont(font)) return;
  db_.SetSetting(Key(sample), FontToText(font));
  ShowSamples();
}

}  // namespace velgram
