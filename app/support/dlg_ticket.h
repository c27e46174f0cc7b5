#pragma once
// "Stel een vraag": a new question to the support desk, or (given a question's
// id) a reply in its conversation. The dialog closes once the desk has it.
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>

#include "app/support/support_desk.h"

namespace velgram {

class LDlgTicket : public QDialog {
  Q_OBJECT
 public:
  // idTicket -1: a new question; otherwise a reply to that question.
  LDlgTicket(SupportDesk desk, int idTicket, QWidget* parent = nullptr);
  ~LDlgTicket() override;
  void accept() override;
  void done(int result) override;

  bool Sending() const { return exchange_.Running(); }

  QLabel* subjectLabel;
  QLineEdit* subject;
  QPlainTextEdit* question;
  QLabel* status;
  QDialogButtonBox* buttons;

 private:
  void Answered(const WebApiResult& result);

  SupportDesk desk_;
  int idTicket_;
  SupportExchange exchange_{"LDlgTicket", this};
};

}  // namespace velgram
