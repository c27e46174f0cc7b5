#include "app/support/dlg_tickets.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "app/shell/qtext.h"
#include "app/support/dlg_ticket.h"
#include "app/support/dlg_tickethistory.h"
#include "support/prompt.h"

namespace velgram {

namespace {
constexpr const char* kFetching = "Informatie wordt opgehaald";
constexpr const char* kHint = "Dubbelklik op een regel voor meer informatie";
constexpr const char* kNotFetched = "De lijst met vragen kon niet worden opgehaald.";
}  // namespace

LDlgTickets::LDlgTickets(SupportDesk desk, QWidget* parent) : QDialog(parent), desk_(std::move(desk)) {
  setWindowTitle(QStringLiteral("Ondersteuning"));
  resize(640, 420);
  auto* layout = new QVBoxLayout(this);
  grid = new LGrid(this);
  grid->SetColumns({{QStringLiteral("Onderwerp")},
                    {QStringLiteral("Gesteld"), SortKind::None},
                    {QStringLiteral("Status"), SortKind::Text}});
  grid->SetHeaderClickSorts(false);
  layout->addWidget(grid, 1);
  auto* bottom = new QHBoxLayout;
  status = new QLabel(QString::fromUtf8(kFetching), this);
  status->setWordWrap(true);
  status->setTextInteractionFlags(Qt::TextSelectableByMouse);
  bottom->addWidget(status, 1);
  ask = new QPushButton(QStringLiteral("Stel een vraag"), this);
  bottom->addWidget(ask);
  auto* close = new QDialogButtonBox(QDialogButtonBox::Close, this);
  close->button(QDialogButtonBox::Close)->setText(QStringLiteral("Sluiten"));
  bottom->addWidget(close);
  layout->addLayout(bottom);
  connect(close, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(ask, &QPushButton::clicked, this, &LDlgTickets::AskQuestion);
  connect(grid, &LGrid::rowDoubleClicked, this, &LDlgTickets::OpenRow);
  Refresh();
}

LDlgTickets::~LDlgTickets() { exchange_.Stop(); }

void LDlgTickets::done(int result) {
  exchange_.Stop();
  QDialog::done(result);
}

void LDlgTickets::Refresh() {
  status->setText(QString::fromUtf8(kFetching));
  // The old list goes at once: a row double-clicked before the new list is
  // in may no longer be the user's question.
  tickets_.clear();
  WebApiArgs args;
  args.email = desk_.email;
  exchange_.Start(kGetTickets, args, desk_.api, [this](const WebApiResult& r) { Show(r); });
}

void LDlgTickets::Show(const WebApiResult& result) {
  tickets_ = result.tickets;
  DateTime now = desk_.Now().NowLocal();
  grid->BeginUpdate();
  grid->Clear();
  for (const Ticket& t : tickets_)
    grid->AddRow({DeskText(t.subject), ReceivedText(now, t.received),
                  t.Answered() ? QStringLiteral("Beantwoord") : QStringLiteral("Open")},
                 t.id);
  grid->EndUpdate();
  grid->AutoSize();
  // An empty list after a failed fetch is not "no questions": say so, and why.
  QString text = QString::fromUtf8(kHint);
  if (!result.Ok()) text += QStringLiteral("\n") + QString::fromUtf8(kNotFetched) + QStringLiteral("\n") +
                            ToQt(FailureReport(result));
  status->setText(text);
}

void LDlgTickets::OpenRow(int row) {
  int id = grid->RowData(row);
  for (const Ticket& t : tickets_) {
    if (t.id != id || id < 0) continue;
    LDlgTicketHistory dlg(desk_, t, this);
    dlg.exec();
    return;
  }
  desk_.prompter->Alert("Kan de vraag niet vinden.");
}

void LDlgTickets::AskQuestion() {
  LDlgTicket dlg(desk_, -1, this);
  dlg.exec();
  Refresh();
}

}  // namespace velgram
