#include "app/support/dlg_ticket.h"

#include <QFormLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/dialogs/dlg_common.h"
#include "support/prompt.h"

namespace velgram {

LDlgTicket::LDlgTicket(SupportDesk desk, int idTicket, QWidget* parent)
    : QDialog(parent), desk_(std::move(desk)), idTicket_(idTicket) {
  setWindowTitle(QStringLiteral("Stel een vraag"));
  resize(520, 360);
  auto* layout = new QVBoxLayout(this);
  auto* form = new QFormLayout;
  subject = new QLineEdit(this);
  subject->setMaxLength(200);
  subjectLabel = new QLabel(QStringLiteral("Onderwerp:"), this);
  form->addRow(subjectLabel, subject);
  question = new QPlainTextEdit(this);
  question->setTabChangesFocus(true);
  form->addRow(QStringLiteral("Vraag:"), question);
  layout->addLayout(form, 1);
  if (idTicket_ >= 0) {
    subjectLabel->hide();
    subject->hide();
  }
  status = new QLabel(this);
  layout->addWidget(status);
  buttons = AddOkCancel(this, layout);
}

LDlgTicket::~LDlgTicket() { exchange_.Stop(); }

void LDlgTicket::done(int result) {
  exchange_.Stop();
  QDialog::done(result);
}

void LDlgTicket::accept() {
  if (Sending()) return;
  bool reply = idTicket_ >= 0;
  if (!reply && subject->text().trimmed().isEmpty()) {
    desk_.prompter->Alert("Vul aub een onderwerp in.");
    subject->setFocus();
    return;
  }
  if (question->toPlainText().trimmed().isEmpty()) {
    desk_.prompter->Alert("Vul aub een vraag in.");
    question->setFocus();
    return;
  }
  WebApiArgs args;
  args.email = desk_.email;
  args.idTicket = idTicket_;
  if (!ReadStorable(*desk_.prompter, {{subject->text().trimmed(), &args.subject}, {question->toPlainText(), &args.question}}))
    return;
  buttons->button(QDialogButtonBox::Ok)->setEnabled(false);
  status->setText(QStringLiteral("Vraag wordt verstuurd"));
  exchange_.Start(reply ? kReplyTicket : kPutTicket, args, desk_.api, [this](const WebApiResult& r) { Answered(r); });
}

void LDlgTicket::Answered(const WebApiResult& result) {
  buttons->button(QDialogButtonBox::Ok)->setEnabled(true);
  status->clear();
  if (result.Ok()) {
    desk_.prompter->Alert("Bedankt voor je vraag.\nJe krijgt meestal binnen 24 uur antwoord.");
    QDialog::accept();
    return;
  }
  desk_.prompter->Alert(FailureReport(result));
}

}  // namespace velgram
