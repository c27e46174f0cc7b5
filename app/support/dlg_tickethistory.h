#pragma once
// "Vraag en antwoord": one question with the messages exchanged about it;
// "Reageer" adds the user's reply.
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <vector>

#include "app/support/support_desk.h"
#include "app/widgets/grid.h"

namespace velgram {

class LDlgTicketHistory : public QDialog {
  Q_OBJECT
 public:
  LDlgTicketHistory(SupportDesk desk, const Ticket& ticket, QWidget* parent = nullptr);
  ~LDlgTicketHistory() override;

  void Refresh();
  void Reply();
  void done(int result) override;

  const std::vector<TicketMessage>& Messages() const { return messages_; }
  bool Fetching() const { return exchange_.Running(); }

  QLabel* subject;
  QLabel* asked;
  QLabel* updated;
  QLabel* state;
  QLabel* status;
  LGrid* grid;
  QPushButton* reply;

 private:
  void Show(const WebApiResult& result);

  SupportDesk desk_;
  Ticket ticket_;
  std::vector<TicketMessage> messages_;
  SupportExchange exchange_{"LDlgTicketHistory", this};
};

}  // namespace velgram
