#include "app/dialogs/dlg_settingscolors.h"

#include <QColorDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/dialogs/dlg_common.h"
#include "app/shell/fonts.h"
#include "store/database.h"
#include "support/text.h"

namespace velgram {

LDlgSettingsColors::LDlgSettingsColors(Database& db, QWidget* parent) : QDialog(parent), db_(db) {
  setWindowTitle(QStringLiteral("Kleuren"));
  chooseColor = [this](QColor& colour) {
    QColor chosen = QColorDialog::getColor(colour, this, QStringLiteral("Kleur"));
    if (!chosen.isValid()) return false;
    colour = chosen;
    return true;
  };
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(QStringLiteral("Stel de kleuren in van het informatiedeel"), this));
  preview_ = new LGrid(this);
  preview_->SetColumns({{QStringLiteral("Naam")}, {QStringLiteral("Vereniging")}});
  preview_->AddRow({QStringLiteral("Jan de Vries"), QStringLiteral("TTV Smash")});
  preview_->AddRow({QStringLiteral("Anna Jansen"), QStringLiteral("TTC De Batjes")});
  preview_->AddRow({QStringLiteral("Piet Bakker"), QStringLiteral("TTV Smash")});
  preview_->SetGridFont(SettingFont(db_, "InfoFont"));
  preview_->setMinimumSize(360, 140);
  layout->addWidget(preview_);
  auto* buttons = new QHBoxLayout;
  for (auto [label, action] : std::initializer_list<std::pair<const char*, void (LDlgSettingsColors::*)()>>{
           {"Tekst", &LDlgSettingsColors::ChangeText},
           {"Achtergrond", &LDlgSettingsColors::ChangeBackground},
           {"Standaard", &LDlgSettingsColors::Standard}}) {
    auto* b = new QPushButton(QString::fromLatin1(label), this);
    b->setAutoDefault(false);
    connect(b, &QPushButton::clicked, this, action);
    buttons->addWidget(b);
  }
  layout->addLayout(buttons);
  AddOkCancel(this, layout);
  text_ = InfoTextColor(db_);
  background_ = InfoBackgroundColor(db_);
  ShowPreview();
}

void LDlgSettingsColors::ShowPreview() {
  preview_->SetColors(text_, background_);
  preview_->AutoSize();
  FitListWidth(preview_, 360);
  preview_->viewport()->update();
}

void LDlgSettingsColors::ChangeText() {
  if (chooseColor(text_)) ShowPreview();
}

void LDlgSettingsColors::ChangeBackground() {
  if (chooseColor(background_)) ShowPreview();
}

void LDlgSettingsColors::Standard() {
  text_ = ColorFromWin(kDefaultInfoText);
  background_ = ColorFromWin(kStandardInfoBackground);
  ShowPreview();
}

void LDlgSettingsColors::accept() {
  db_.SetSettings({{"InfoColorText", Format("%d", ColorToWin(text_))},
                   {"InfoColorBackground", Format("%d", ColorToWin(background_))}});
  QDialog::accept();
}

}  // namespace velgram
