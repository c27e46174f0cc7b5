#include "app/dialogs/dlg_backup.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>
#include <filesystem>

#include "app/dialogs/dlg_common.h"
#include "app/shell/qtext.h"
#include "competition/edits.h"
#include "store/database.h"
#include "support/prompt.h"

namespace velgram {

LDlgBackupManagement::LDlgBackupManagement(Database& db, Prompter& prompter, QWidget* parent)
    : QDialog(parent), db_(db), prompter_(prompter) {
  setWindowTitle(QStringLiteral("Backup Beheer"));
  auto* layout = new QVBoxLayout(this);
  auto* form = new QFormLayout;
  // The data folder: the database, the "backup" folder with the copies, the
  // log files and the exports are all in it.
  location = new QLabel(QString::fromStdString(std::filesystem::path(db_.Path()).parent_path().string()), this);
  location->setTextInteractionFlags(Qt::TextSelectableByMouse);
  form->addRow(QStringLiteral("Backup lokatie:"), location);
  layout->addLayout(form);
  onceADay = new QCheckBox(QStringLiteral("Eenmaal per dag bij het eerste gebruik"), this);
  layout->addWidget(onceADay);
  auto* row = new QHBoxLayout;
  every = new QCheckBox(QStringLiteral("Iedere"), this);
  minutes = new QLineEdit(this);
  minutes->setValidator(DigitsValidator(5, minutes));
  minutes->setMaximumWidth(60);
  row->addWidget(every);
  row->addWidget(minutes);
  row->addWidget(new QLabel(QStringLiteral("minuten"), this));
  row->addStretch();
  layout->addLayout(row);
  layout->addWidget(new QLabel(QStringLiteral("Backups:"), this));
  backups = new QListWidget(this);
  layout->addWidget(backups, 1);
  restoreButton = new QPushButton(QStringLiteral("Terugzetten"), this);
  restoreButton->setAutoDefault(false);
  auto* restoreRow = new QHBoxLayout;
  restoreRow->addWidget(restoreButton);
  restoreRow->addStretch();
  layout->addLayout(restoreRow);
  connect(restoreButton, &QPushButton::clicked, this, [this] { RestoreSelected(); });
  connect(backups, &QListWidget::currentRowChanged, this, [this](int r) { restoreButton->setEnabled(r >= 0); });
  auto* box = new QDialogButtonBox(QDialogButtonBox::Close, this);
  box->button(QDialogButtonBox::Close)->setText(QStringLiteral("Sluiten"));
  connect(box, &QDialogButtonBox::rejected, this, &QDialog::accept);
  layout->addWidget(box);

  connect(onceADay, &QCheckBox::toggled, this, [this](bool on) {
    if (showing_) return;
    db_.SetSettingInt("BackupOnceDay", on ? 1 : 0);
    ShowStored();
  });
  connect(every, &QCheckBox::toggled, this, [this] {
    if (showing_) return;
    StoreInterval();
    ShowStored();
  });
  // Stored as typed, so closing the dialog needs no OK; the raise to five
  // minutes shows when the dialog is next filled, not under the typing hand.
  connect(minutes, &QLineEdit::textEdited, this, [this] {
    if (!showing_ && every->isChecked()) StoreInterval();
  });
  ShowStored();
  FillBackups();
}

void LDlgBackupManagement::FillBackups() {
  backups->clear();
  for (const std::string& name : db_.ListBackups()) backups->addItem(ToQt(name));
  restoreButton->setEnabled(false);
}

void LDlgBackupManagement::RestoreSelected() {
  QListWidgetItem* item = backups->currentItem();
  if (!item) return;
  const std::string name = FromQt(item->text());
  if (!prompter_.Confirm("De backup " + name +
                         " komt in de plaats van de huidige gegevens. De huidige gegevens worden eerst zelf als "
                         "backup opgeslagen.\r\nWilt u doorgaan?"))
    return;
  std::string message;
  if (db_.RestoreBackup(db_.BackupFolder() + "/" + name, message)) {
    restored_ = true;
    prompter_.Alert("De backup " + name + " is teruggezet.\r\nDe vorige gegevens staan in\r\n" + message);
  } else {
    prompter_.Alert(message);
  }
  ShowStored();  // the copy brings its own settings
  FillBackups();
}

void LDlgBackupManagement::StoreInterval() {
  StoreBackupInterval(db_, every->isChecked(), FromQt(minutes->text()));
}

void LDlgBackupManagement::ShowStored() {
  showing_ = true;
  onceADay->setChecked(db_.GetSettingInt("BackupOnceDay") != 0);
  int interval = db_.GetSettingInt("BackupInterval");
  every->setChecked(interval > 0);
  minutes->setEnabled(interval > 0);
  minutes->setText(interval > 0 ? QString::number(interval) : QString());
  showing_ = false;
}

}  // namespace velgram
