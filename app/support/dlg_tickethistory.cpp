#include "app/support/dlg_tickethistory.h"

#include <QDialogButtonBox>
#include <array>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "app/shell/qtext.h"
#include "app/support/dlg_ticket.h"

namespace velgram {

namespace {

constexpr const char* kFetching = "Informatie wordt opgehaald";

bool Later(const DateTime& a, const DateTime& b) {
  auto key = [](const DateTime& t) {
    return std::array{t.year, t.month, t.day, t.hour, t.minute, t.second};
  };
  return key(a) > key(b);
}

}  // namespace

LDlgTicketHistory::LDlgTicketHistory(SupportDesk desk, const Ticket& ticket, QWidget* parent)
    : QDialog(parent), desk_(std::move(desk)), ticket_(ticket) {
  setWindowTitle(QStringLiteral("Vraag en antwoord"));
  resize(720, 480);
  auto* layout = new QVBoxLayout(this);
  auto* form = new QFormLayout;
  subject = new QLabel(DeskText(ticket_.subject), this);
  subject->setWordWrap(true);
  asked = new QLabel(ReceivedDateTimeText(ticket_.received), this);
  updated = new QLabel(ReceivedDateTimeText(ticket_.received), this);
  state = new QLabel(ticket_.Answered() ? QStringLiteral("Beantwoord") : QStringLiteral("Open"), this);
  form->addRow(QStringLiteral("Onderwerp:"), subject);
  form->addRow(QStringLiteral("Gesteld:"), asked);
  form->addRow(QStringLiteral("Bijgewerkt:"), updated);
  form->addRow(QStringLiteral("Status:"), state);
  layout->addLayout(form);
  grid = new LGrid(this);
  grid->SetColumns({{QStringLiteral("Datum/Tijd"), SortKind::None}, {QStringLiteral("Bericht"), SortKind::None}});
  grid->SetHeaderClickSorts(false);
  grid->setWordWrap(true);
  grid->horizontalHeader()->setStretchLastSection(true);
  layout->addWidget(grid, 1);
  auto* bottom = new QHBoxLayout;
  status = new QLabel(QString::fromUtf8(kFetching), this);
  status->setWordWrap(true);
  status->setTextInteractionFlags(Qt::TextSelectableByMouse);
  bottom->addWidget(status, 1);
  reply = new QPushButton(QStringLiteral("Reageer"), this);
  bottom->addWidget(reply);
  auto* close = new QDialogButtonBox(QDialogButtonBox::Close, this);
  close->button(QDialogButtonBox::Close)->setText(QStringLiteral("Sluiten"));
  bottom->addWidget(close);
  layout->addLayout(bottom);
  connect(close, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(reply, &QPushButton::clicked, this, &LDlgTicketHistory::Reply);
  Refresh();
}

LDlgTicketHistory::~LDlgTicketHistory() { exchange_.Stop(); }

void LDlgTicketHistory::done(int result) {
  exchange_.Stop();
  QDialog::done(result);
}

void LDlgTicketHistory::Refresh() {
  status->setText(QString::fromUtf8(kFetching));
  WebApiArgs args;
  args.idTicket = ticket_.id;
  exchange_.Start(kGetTicketHistory, args, desk_.api, [this](const WebApiResult& r) { Show(r); });
}

void LDlgTicketHistory::Show(const WebApiResult& result) {
  messages_ = result.messages;
  DateTime now = desk_.Now().NowLocal();
  // Without messages the question itself is the last news.
  DateTime last = ticket_.received;
  grid->BeginUpdate();
  grid->Clear();
  for (const TicketMessage& m : messages_) {
    int row = grid->AddRow({ReceivedText(now, m.received), DeskText(m.message)}, m.id);
    if (m.FromUser()) grid->SetCellColors(row, 0, QColor(), QColor(240, 255, 240));
    if (Later(m.received, last)) last = m.received;
  }
  grid->EndUpdate();
  grid->resizeColumnToContents(0);
  grid->resizeRowsToContents();
  updated->setText(ReceivedDateTimeText(last));
  state->setText(AnsweredAfter(ticket_, messages_) ? QStringLiteral("Beantwoord") : QStringLiteral("Open"));
  status->setText(ToQt(FailureReport(result)));
}

void LDlgTicketHistory::Reply() {
  LDlgTicket dlg(desk_, ticket_.id, this);
  dlg.exec();
  Refresh();
}

}  // namespace velgram
