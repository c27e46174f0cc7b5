#pragma once
// "Ondersteuning": the questions the user asked the support desk, with their
// state; a double click opens the conversation, "Stel een vraag" a new one.
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <vector>

#include "app/support/support_desk.h"
#include "app/widgets/grid.h"

namespace velgram {

class LDlgTickets : public QDialog {
  Q_OBJECT
 public:
  explicit LDlgTickets(SupportDesk desk, QWidget* parent = nullptr);
  ~LDlgTickets() override;

  // Fetches the list again; the rows stay on screen until it arrives.
  void Refresh();
  // The conversation of the question on this row.
  void OpenRow(int row);
  void AskQuestion();
  void done(int result) override;

  const std::vector<Ticket>& Tickets() const { return tickets_; }
  bool Fetching() const { return exchange_.Running(); }

  LGrid* grid;
  QLabel* status;
  QPushButton* ask;

 private:
  void Show(const WebApiResult& result);

  SupportDesk desk_;
  std::vector<Ticket> tickets_;
  SupportExchange exchange_{"LDlgTickets", this};
};

}  // namespace velgram
