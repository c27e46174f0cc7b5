// The support dialogs against the test support desk.
#include <QElapsedTimer>
#include <QFileDialog>
#include <QLocale>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "app/support/dlg_settingssupport.h"
#include "app/support/dlg_ticket.h"
#include "app/support/dlg_tickethistory.h"
#include "app/support/dlg_tickets.h"
#include "app/support/support_desk.h"
#include "online/support_server_fixture.h"
#include "tests/app/dialog_fixture.h"

namespace velgram::testing {
namespace {

bool WaitFor(const std::function<bool()>& done, int ms = 10000) { return QTest::qWaitFor(done, ms); }

QString LocaleDate(int y, int m, int d) { return QLocale().toString(QDate(y, m, d), QLocale::ShortFormat); }
constexpr const char* kThanks = "Bedankt voor je vraag.\nJe krijgt meestal binnen 24 uur antwoord.";

class SupportDialogsTest : public ShellTest {
 protected:
  static void SetUpTestSuite() { server = new SupportServer("20260315"); }
  static void TearDownTestSuite() {
    delete server;
    server = nullptr;
  }
  SupportDialogsTest() {
    clock.SetLocal(2026, 3, 15, 12, 0, 0);
    desk.email = ::testing::UnitTest::GetInstance()->current_test_info()->name() + std::string("@ttv.nl");
    desk.api.endpoint = server->Endpoint();
    desk.api.caFile = server->CaFile();
    desk.api.clock = &clock;
    desk.prompter = &prompter;
  }
  // A question of this test's user, written straight into the desk's file;
  // subject "NULL" leaves the member out of the answer.
  int AddTicket(const std::string& subject, int date, int time, int status) {
    server->Sql("INSERT OR IGNORE INTO Customers (email) VALUES ('" + desk.email + "');"
                "INSERT INTO Tickets (idCustomer, customer, subject, dateReceived, timeReceived, status) "
                "SELECT id, email, " + (subject == "NULL" ? subject : "'" + subject + "'") + ", " +
                std::to_string(date) + ", " + std::to_string(time) + ", " + std::to_string(status) +
                " FROM Customers WHERE email = '" + desk.email + "'");
    return std::stoi(server->Query("SELECT MAX(id) FROM Tickets"));
  }
  static void ClickOk(QDialogButtonBox* box) { QTest::mouseClick(box->button(QDialogButtonBox::Ok), Qt::LeftButton); }
  inline static SupportServer* server = nullptr;
  FakeClock clock;
  SupportDesk desk;
};

// The list shows each question's time (today) or date and state; a double
// click opens it, but not while the list is fetched again.
TEST_F(SupportDialogsTest, ListShowsTheQuestionsAndOpensAConversation) {
  AddTicket("Poule[LINEBREAK]indeling", 20260314, 120100, 1);  // 23 h 59 min ago
  AddTicket("Uitslagen", 20260314, 120000, 2);                 // 24 h ago
  AddTicket("NULL", 20260310, 90000, 1);
  LDlgTickets dlg(desk);
  dlg.show();
  EXPECT_EQ(dlg.status->text(), QStringLiteral("Informatie wordt opgehaald"));
  ASSERT_TRUE(WaitFor([&] { return !dlg.Fetching(); }));
  EXPECT_EQ(dlg.status->text(), QStringLiteral("Dubbelklik op een regel voor meer informatie"));
  ASSERT_EQ(dlg.grid->RowCount(), 3);
  EXPECT_EQ((QStringList{RowText(*dlg.grid, -1), RowText(*dlg.grid, 0), RowText(*dlg.grid, 1), RowText(*dlg.grid, 2)}),
            (QStringList{"Onderwerp|Gesteld|Status", "Poule\nindeling|12:01|Beantwoord",
                         "Uitslagen|" + LocaleDate(2026, 3, 14) + "|Open", "|" + LocaleDate(2000, 1, 1) + "|Open"}));
  QString seen;
  OnModal<LDlgTicketHistory>([&](LDlgTicketHistory* h) {
    seen = h->subject->text();
    h->reject();
  });
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
  QPoint cell = dlg.grid->visualRect(dlg.grid->model()->index(1, 0)).center();
  QTest::mouseClick(dlg.grid->viewport(), Qt::LeftButton, {}, cell);
  QTest::mouseDClick(dlg.grid->viewport(), Qt::LeftButton, {}, cell);
  EXPECT_EQ(seen, QStringLiteral("Uitslagen"));
  dlg.Refresh();
  dlg.OpenRow(0);
  EXPECT_EQ(prompter.alerts, std::vector<std::string>{"Kan de vraag niet vinden."});
  ASSERT_TRUE(WaitFor([&] { return !dlg.Fetching(); }));
}

TEST_F(SupportDialogsTest, ConversationShowsTheMessagesAndTakesAReply) {
  int id = AddTicket("Tafels", 20260314, 100000, 1);
  const std::string idText = std::to_string(id);
  server->Sql("INSERT INTO Messages (idTicket, message, agent, dateReceived, timeReceived) VALUES (" + idText +
              ", 'Hoe zet ik[LINEBREAK]de tafels?', 0, 20260314, 100000), (" + idText + ", 'Via de poule.', 1, 20260315, 110000)");
  LDlgTicketHistory dlg(desk, Ticket{id, ReceivedFrom(20260314, 100000), 0, "", "Tafels", 1});
  dlg.show();
  EXPECT_EQ(dlg.status->text(), QStringLiteral("Informatie wordt opgehaald"));
  ASSERT_TRUE(WaitFor([&] { return !dlg.Fetching(); }));
  EXPECT_EQ(dlg.windowTitle() + "|" + dlg.state->text(), QStringLiteral("Vraag en antwoord|Beantwoord"));
  EXPECT_EQ(dlg.updated->text(), ReceivedDateTimeText(ReceivedFrom(20260315, 110000)));
  ASSERT_EQ(dlg.grid->RowCount(), 2);
  EXPECT_EQ(RowText(*dlg.grid, 0) + "/" + dlg.grid->Cell(1, 0), LocaleDate(2026, 3, 14) + "|Hoe zet ik\nde tafels?/11:00");
  auto background = [&](int row) {
    return dlg.grid->model()->index(row, 0).data(Qt::BackgroundRole).value<QBrush>().color();
  };
  EXPECT_EQ(background(0), QColor(240, 255, 240));  // the user's own messages
  EXPECT_NE(background(1), QColor(240, 255, 240));
  OnModal<LDlgTicket>([&](LDlgTicket* q) {
    EXPECT_FALSE(q->subject->isVisible());
    q->question->setPlainText(QStringLiteral("Dank je, en \"nog\" iets:\nde klok"));
    ClickOk(q->buttons);
  });
  QTest::mouseClick(dlg.reply, Qt::LeftButton);
  EXPECT_EQ(prompter.alerts, std::vector<std::string>{kThanks});
  ASSERT_TRUE(WaitFor([&] { return !dlg.Fetching(); }));
  ASSERT_EQ(dlg.grid->RowCount(), 3);
  EXPECT_EQ(dlg.grid->Cell(2, 1), QStringLiteral("Dank je, en \"nog\" iets:\nde klok"));
  EXPECT_EQ(background(2), QColor(240, 255, 240));
  EXPECT_EQ(dlg.state->text(), QStringLiteral("Open"));  // the history is newer than the list's ticket
}

TEST_F(SupportDialogsTest, NewQuestionWantsBothFieldsAndShowsAFailedSend) {
  LDlgTicket dlg(desk, -1);
  dlg.show();
  ClickOk(dlg.buttons);
  dlg.subject->setText(QStringLiteral("Klok"));
  ClickOk(dlg.buttons);
  EXPECT_EQ(prompter.alerts, (std::vector<std::string>{"Vul aub een onderwerp in.", "Vul aub een vraag in."}));
  dlg.question->setPlainText(QStringLiteral("Regel 1\nRegel 2"));
  ASSERT_TRUE(server->Control("garbage"));
  ClickOk(dlg.buttons);
  ASSERT_TRUE(WaitFor([&] { return !dlg.Sending(); }));
  EXPECT_EQ(prompter.alerts.back(), std::string(kDeskUnreachable) + "\nERROR: Invalid response");
  EXPECT_TRUE(dlg.isVisible());
  ClickOk(dlg.buttons);
  ASSERT_TRUE(WaitFor([&] { return !dlg.isVisible(); }));
  EXPECT_EQ(std::pair(dlg.result(), prompter.alerts.back()), std::pair(int(QDialog::Accepted), std::string(kThanks)));
  EXPECT_EQ(server->Query("SELECT m.message || '|' || t.subject FROM Messages m JOIN Tickets t ON t.id = m.idTicket "
                          "WHERE t.customer = '" + desk.email + "'"),
            "Regel 1[LINEBREAK]Regel 2|Klok");
}

// A list closed while the desk delays neither blocks nor crashes; a list
// that cannot be fetched says why below the hint.
TEST_F(SupportDialogsTest, ALateListClosedOrAFailedOne) {
  AddTicket("Wachten", 20260315, 90000, 0);
  ASSERT_TRUE(server->Control("delay", 1, 8000));
  auto* dlg = new LDlgTickets(desk);
  dlg->show();
  QTest::qWait(150);
  ASSERT_TRUE(dlg->Fetching());
  QElapsedTimer t;
  t.start();
  dlg->reject();
  delete dlg;
  EXPECT_LT(t.elapsed(), 300);
  QTest::qWait(200);
  // The abandoned request no longer holds the client: the next list comes at once.
  LDlgTickets again(desk);
  again.show();
  ASSERT_TRUE(WaitFor([&] { return !again.Fetching(); }, 5000));
  EXPECT_EQ(again.grid->RowCount(), 1);
  desk.api.endpoint = "https://127.0.0.1:1/api";  // nobody listens there
  LDlgTickets failed(desk);
  failed.show();
  ASSERT_TRUE(WaitFor([&] { return !failed.Fetching(); }));
  EXPECT_TRUE(failed.status->text().startsWith(QStringLiteral("Dubbelklik op een regel voor meer informatie\n"
                                                              "De lijst met vragen kon niet worden opgehaald.\n") +
                                               QString::fromUtf8(kDeskUnreachable) + QStringLiteral("\nERROR: ")))
      << failed.status->text().toStdString();
}

// Asking first asks for the settings, then lists; Enter after browsing is OK.
TEST_F(SupportDialogsTest, AskingFirstAsksForTheSettings) {
  OnModal<LDlgSettingsSupport>([&](LDlgSettingsSupport* s) {
    EXPECT_TRUE(s->explanation->isVisible() && !s->explanation->text().isEmpty());
    s->email->setText(QStringLiteral("jan"));
    s->server->setText(QString::fromStdString(server->Endpoint()));
    s->accept();
    s->email->setText(QStringLiteral("jan@ttv.nl"));
    OnModal<LDlgTickets>([](LDlgTickets* list) { list->reject(); });
    s->accept();
  });
  AskSupportDesk(*app, nullptr);
  EXPECT_EQ(prompter.alerts, std::vector<std::string>{"Vul aub een geldig e-mailadres in."});
  EXPECT_EQ(db().GetSetting(kSettingSupportEmail) + "|" + db().GetSetting(kSettingSupportServer),
            "jan@ttv.nl|" + server->Endpoint());
  bool listed = false;
  OnModal<LDlgTickets>([&](LDlgTickets* list) {
    listed = true;
    list->reject();
  });
  AskSupportDesk(*app, nullptr);
  EXPECT_TRUE(listed);
  LDlgSettingsSupport s(db(), prompter, QString());
  s.email->setText(QStringLiteral("piet@ttv.nl"));
  s.show();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&s));
  s.browse->setFocus();  // where the focus is after the chooser closed
  // A chooser opened by the Enter is closed again, so that the test goes on.
  QTimer::singleShot(500, [] {
    if (auto* chooser = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) chooser->reject();
  });
  QTest::keyClick(s.browse, Qt::Key_Return);
  EXPECT_EQ(s.result(), QDialog::Accepted);
  EXPECT_EQ(db().GetSetting(kSettingSupportEmail), "piet@ttv.nl");
}

}  // namespace
}  // namespace velgram::testing
