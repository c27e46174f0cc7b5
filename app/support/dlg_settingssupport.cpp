#include "app/support/dlg_settingssupport.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "app/dialogs/dlg_common.h"
#include "app/shell/qtext.h"
#include "app/support/support_desk.h"
#include "online/tickets.h"
#include "store/database.h"
#include "support/prompt.h"

namespace velgram {

LDlgSettingsSupport::LDlgSettingsSupport(Database& db, Prompter& prompter, const QString& text, QWidget* parent)
    : QDialog(parent), db_(db), prompter_(prompter) {
  setWindowTitle(QStringLiteral("Ondersteuning"));
  auto* layout = new QVBoxLayout(this);
  explanation = new QLabel(text, this);
  explanation->setWordWrap(true);
  explanation->setVisible(!text.isEmpty());
  layout->addWidget(explanation);
  auto* form = new QFormLayout;
  email = new QLineEdit(ToQt(db_.GetSetting(kSettingSupportEmail)), this);
  email->setMinimumWidth(360);
  server = new QLineEdit(ToQt(db_.GetSetting(kSettingSupportServer)), this);
  server->setPlaceholderText(QStringLiteral("https://"));
  caFile = new QLineEdit(ToQt(db_.GetSetting(kSettingSupportCaFile)), this);
  caFile->setPlaceholderText(QStringLiteral("alleen voor een eigen server"));
  browse = new QPushButton(QStringLiteral("Bladeren..."), this);
  // Enter after choosing a file means OK, not the chooser once more.
  browse->setAutoDefault(false);
  auto* caRow = new QHBoxLayout;
  caRow->addWidget(caFile, 1);
  caRow->addWidget(browse);
  form->addRow(QStringLiteral("E-mailadres:"), email);
  form->addRow(QStringLiteral("Serveradres:"), server);
  form->addRow(QStringLiteral("Extra certificaat:"), caRow);
  layout->addLayout(form);
  AddOkCancel(this, layout);
  connect(browse, &QPushButton::clicked, this, [this] {
    QString file = QFileDialog::getOpenFileName(this, QStringLiteral("Certificaat"), caFile->text(),
                                                QStringLiteral("Certificaten (*.pem *.crt);;Alle bestanden (*)"));
    if (!file.isEmpty()) caFile->setText(file);
  });
}

void LDlgSettingsSupport::accept() {
  std::string mail, address, ca;
  if (!ReadStorable(prompter_, {{email->text().trimmed(), &mail},
                                {server->text().trimmed(), &address},
                                {caFile->text().trimmed(), &ca}}))
    return;
  std::string problem = CheckSupportSettings(mail, address);
  if (!problem.empty()) {
    prompter_.Alert(problem);
    (mail.empty() || problem.find("e-mail") != std::string::npos ? email : server)->setFocus();
    return;
  }
  if (!ca.empty() && !QFileInfo(ToQt(ca)).isFile()) {
    prompter_.Alert("Het certificaatbestand bestaat niet.");
    caFile->setFocus();
    return;
  }
  db_.SetSettings({{kSettingSupportEmail, mail}, {kSettingSupportServer, address}, {kSettingSupportCaFile, ca}});
  QDialog::accept();
}

}  // namespace velgram
