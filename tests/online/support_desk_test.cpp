// The support desk's client: ticket records, request texts and Base64 (RFC
// 4648 vectors), then the web API against the test support desk over real
// HTTPS. The desk's own RC4 and daily key decipher every request, so a cipher
// that strayed from them fails every exchange there.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>
#include <tuple>
#include <vector>

#include "common/fakes.h"
#include "online/cipher.h"
#include "online/support_server_fixture.h"
#include "online/tickets.h"
#include "online/webapi.h"
#include "support/ljson.h"
#include "support/paths.h"
#include "support/text.h"

namespace velgram {
namespace {

std::string Stamp(const DateTime& t) {
  return Format("%04d%02d%02d %02d%02d%02d", t.year, t.month, t.day, t.hour, t.minute, t.second);
}

// The four actions' templates; every character but the line break (sent as
// a marker) comes back as sent, and none ends a text early to add a member.
TEST(BuildRequest, FillsTheTemplatesAndNoCharacterBreaksTheRequestOrAddsMembers) {
  WebApiArgs t{"a@b.nl", "Onderwerp", "Vraag", 12};
  EXPECT_EQ(BuildRequest(kGetTickets, t), "{ \"action\":\"GetTickets\", \"email\":\"a@b.nl\" }");
  EXPECT_EQ(BuildRequest(kGetTicketHistory, t), "{ \"action\":\"GetTicketHistory\", \"idTicket\":\"12\" }");
  EXPECT_EQ(BuildRequest(kPutTicket, t),
            "{ \"action\":\"PutTicket\", \"email\":\"a@b.nl\", \"subject\":\"Onderwerp\", \"question\":\"Vraag\" }");
  EXPECT_EQ(BuildRequest(kReplyTicket, t), "{ \"action\":\"ReplyTicket\", \"idTicket\":12, \"question\":\"Vraag\" }");
  EXPECT_EQ(BuildRequest(3, t), "");  // no such action
  EXPECT_EQ(EscapeJsonText("1\r\n2\n3\r"), "1[LINEBREAK]2[LINEBREAK]3\\r");
  std::string all;
  for (int c = 1; c < 256; ++c)
    if (c != '\n') all += static_cast<char>(c);
  WebApiArgs a{"a@b.nl", "s" + all, all + "\", \"action\":\"Drop", 0};
  Ljson json(BuildRequest(kPutTicket, a));
  std::string action, question, subject;
  EXPECT_TRUE(json.GetString("action", action) && json.GetString("question", question) &&
              json.GetString("subject", subject));
  EXPECT_EQ(std::tie(action, question, subject), std::tie("PutTicket", a.question, a.subject));
}

TEST(ReadTickets, AMissingMemberStopsTheRecordWithTheStandInTime) {
  Ljson json(
      "{ \"errorcode\":0, \"tickets\":[ "
      "{\"id\":4,\"dateReceived\":20260314,\"timeReceived\":93005,\"idCustomer\":7,\"customer\":\"Jan\","
      "\"subject\":\"Poule[LINEBREAK]indeling\",\"status\":1}, "
      "{\"id\":5,\"dateReceived\":20260315,\"timeReceived\":101010,\"idCustomer\":7,\"customer\":\"Jan\","
      "\"status\":2} ] }");
  std::vector<Ticket> list = ReadTickets(json);
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(std::make_tuple(Stamp(list[0].received), FromLineBreakMarkers(list[0].subject), list[0].Answered()),
            std::make_tuple("20260314 093005", "Poule\nindeling", true));
  // The second lacks "subject": its texts go, the status is never reached.
  const Ticket& t = list[1];
  EXPECT_EQ(std::make_tuple(t.id, t.customer + t.subject, t.status, Stamp(t.received)),
            std::make_tuple(5, "", 0, "20000101 120000"));

  Ljson history("{\"ticketMessages\":[{\"id\":1,\"dateReceived\":20260315,\"timeReceived\":80000,"
                "\"message\":\"a[LINEBREAK]b\",\"agent\":0},{\"id\":2,\"dateReceived\":20260315}]}");
  std::vector<TicketMessage> messages = ReadTicketMessages(history);
  ASSERT_EQ(messages.size(), 2u);
  EXPECT_EQ(std::make_tuple(messages[0].FromUser(), Stamp(messages[0].received), messages[1].message,
                            Stamp(messages[1].received)),
            std::make_tuple(true, "20260315 080000", "", "20000101 120000"));
}

TEST(TimeDisplay, TimeOfDayBelowTwentyFourHoursElseTheDate) {
  // 23:59:59 and the half second stay below the hour, 23:59:59.6 make the
  // day; a clock ahead of ours still shows today's time.
  const struct {
    int date, time;
    long long hours;
    int nowFraction = 0;  // of the second, in 100 ns
  } cases[] = {{20260314, 120100, 23}, {20260314, 120000, 24}, {20260314, 120001, 23},
               {20260314, 120001, 24, 6000000}, {20260314, 120001, 23, 4000000}, {20260315, 113000, 0},
               {20260316, 120000, -24}, {20250315, 120000, 365 * 24}};
  for (const auto& c : cases) {
    DateTime now = ReceivedFrom(20260315, 120000), r = ReceivedFrom(c.date, c.time);
    now.fraction = c.nowFraction;
    EXPECT_EQ(AgeHours(now, r), c.hours) << c.date << " " << c.time << "." << c.nowFraction;
    EXPECT_EQ(ShowsTimeOfDay(now, r), c.hours < 24) << c.date << " " << c.time;
  }
  EXPECT_EQ(AgeHours(ReceivedFrom(20240301, 3000), ReceivedFrom(20240228, 230000)), 25);  // a leap day between
  EXPECT_EQ(TimeOfDayText(ReceivedFrom(20260314, 90705)), "09:07");
}

TEST(AnsweredAfter, TheLatestMessageDecidesElseTheTicket) {
  auto message = [](int time, int agent) { return TicketMessage{0, ReceivedFrom(20260315, time), "", agent}; };
  const struct {
    int ticketStatus;
    std::vector<TicketMessage> history;
    bool answered;
  } cases[] = {{1, {}, true}, {2, {}, false},
               {1, {message(90000, 1), message(100000, 0)}, false},  // the user wrote after the answer
               {0, {message(90000, 0), message(100000, 3)}, true},
               {0, {message(100000, 1), message(90000, 0)}, true},  // by time, not by place
               {1, {message(100000, 1), message(100000, 0)}, false}};
  for (const auto& c : cases) {
    Ticket t;
    t.status = c.ticketStatus;
    EXPECT_EQ(AnsweredAfter(t, c.history), c.answered) << c.ticketStatus << " " << c.history.size();
  }
}

TEST(CheckSupportSettings, WantsAnAddressAndAnHttpsServer) {
  const std::string desk = "https://desk.example.nl/api";
  EXPECT_EQ(CheckSupportSettings("j@club.nl", desk), "");
  for (const auto& [mail, server] : {std::pair<std::string, std::string>{"", desk}, {"jan.club.nl", desk}, {"@club.nl", desk},
                                     {"jan@club.nl", ""}, {"jan@club.nl", "http://desk.example.nl/api"}})
    EXPECT_NE(CheckSupportSettings(mail, server), "") << mail << " " << server;
}

TEST(Base64, EncodesAndDecodesRfc4648Vectors) {
  const std::pair<const char*, const char*> cases[] = {{"", ""}, {"f", "Zg=="}, {"fo", "Zm8="}, {"foo", "Zm9v"},
      {"foob", "Zm9vYg=="}, {"fooba", "Zm9vYmE="}, {"foobar", "Zm9vYmFy"}};
  // Every byte value passes in the desk exchanges below: cipher text both ways.
  std::string back;
  for (const auto& [plain, encoded] : cases) {
    EXPECT_EQ(Base64Encode(plain), encoded);
    EXPECT_TRUE(Base64Decode(encoded, back) && back == plain) << plain;
  }
  // Decoding stops at the padding, skips line breaks and refuses foreign characters.
  EXPECT_TRUE(Base64Decode("Zm9v\r\nYmFy", back) && back == "foobar");
  EXPECT_TRUE(Base64Decode("Zm8=Zm9v", back) && back == "fo");
  EXPECT_FALSE(Base64Decode("<html>", back));
}

using testing::FakeClock;
using testing::SupportServer;
using testing::TempDir;

class WebApiTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { server = new SupportServer("20260315"); }
  static void TearDownTestSuite() { delete server; }

  WebApiTest() {
    clock.SetLocal(2026, 3, 15, 10, 0, 0);
    ctx.endpoint = server->Endpoint();
    ctx.caFile = server->CaFile();
    ctx.clock = &clock;
    ctx.sleep = [this](int ms) { sleeps.push_back(ms); };
  }

  WebApiResult Call(int action, const WebApiArgs& args = kAsk) {
    WebApiResult r;
    CallWebApi(action, args, r, ctx);
    return r;
  }
  // Most tests only need some request: the list of one address's tickets.
  static inline const WebApiArgs kAsk{"x@y.nl", "", "", 0};
  int Requests() { return std::stoi(server->Query("SELECT COUNT(*) FROM Requests")); }

  static SupportServer* server;
  FakeClock clock;
  WebApiContext ctx;
  std::vector<int> sleeps;
};

SupportServer* WebApiTest::server = nullptr;

TEST_F(WebApiTest, AsksListsReadsAndRepliesWithEscapedTextAndTellsARefusal) {
  WebApiArgs a{"marie@ttv.nl", "Poule van 5", "Regel een\r\nzegt \"hallo\"", 0};
  ASSERT_EQ(Call(kPutTicket, a).status, "OK");

  WebApiResult list = Call(kGetTickets, a);
  ASSERT_EQ(list.tickets.size(), 1u) << list.status;
  const Ticket& t = list.tickets[0];
  EXPECT_EQ(std::tie(t.subject, t.customer, t.status), std::make_tuple("Poule van 5", "marie@ttv.nl", 0));
  EXPECT_GT(t.received.year, 2000);

  a.idTicket = t.id;
  a.question = "Nog \xE9\xE9n vraag";
  ASSERT_EQ(Call(kReplyTicket, a).status, "OK");
  WebApiResult history = Call(kGetTicketHistory, a);
  ASSERT_EQ(history.messages.size(), 2u) << history.status;
  EXPECT_EQ(FromLineBreakMarkers(history.messages[0].message), "Regel een\nzegt \"hallo\"");
  EXPECT_EQ(history.messages[1].message, "Nog \xE9\xE9n vraag");
  EXPECT_TRUE(history.messages[1].FromUser());
  EXPECT_TRUE(sleeps.empty());

  // An error of the desk is a refusal, not a desk out of reach.
  WebApiResult r = Call(kGetTicketHistory, WebApiArgs{"", "", "", 987654});
  EXPECT_EQ(r.status, "ERROR: errorcode=3  Ticket 987654 not found");
  EXPECT_EQ(FailureReport(r), std::string(kDeskRefused) + "\n" + r.status);
  EXPECT_TRUE(r.messages.empty());
}

// The busy page and other failures are retried; an answer that cannot be
// read is not; a byte order mark before the answer is removed. What fails
// tells that the desk could not be reached.
TEST_F(WebApiTest, RetriesAfterTheBusyPageAndOtherFailures) {
  const struct {
    const char* mode;
    int count;
    std::vector<int> waits;
    std::string status;
  } cases[] = {{"403", 4, {5000, 5000, 5000, 5000}, "OK"},
      {"403", 5, {5000, 5000, 5000, 5000}, "ERROR: 403. GetHttp error 403\nHTTP status 403"},
      {"busy", 5, {5000, 5000, 5000, 5000}, "ERROR: 403. GetHttp error 403\nHTTP status 403"},
      {"404", 5, {100, 100, 100, 100}, "ERROR: 404. GetHttp error 404\nHTTP status 404"},
      {"garbage", 1, {}, "ERROR: Invalid response"}, {"bom", 1, {}, "OK"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.mode + std::string(" x") + std::to_string(c.count));
    sleeps.clear();
    ASSERT_TRUE(server->Control(c.mode, c.count));
    const WebApiResult r = Call(kGetTickets);
    EXPECT_EQ(std::tie(r.status, sleeps), std::tie(c.status, c.waits));
    EXPECT_EQ(FailureReport(r), c.status == "OK" ? "" : std::string(kDeskUnreachable) + "\n" + c.status);
  }
}

TEST_F(WebApiTest, AnUntrustedCertificateAndTransportLimitsEndAnAttempt) {
  ctx.caFile.clear();  // refused on every attempt, before a request is sent
  int before = Requests();
  WebApiResult r = Call(kGetTickets);
  EXPECT_EQ(r.status.rfind("ERROR: 60. GetHttp error 60\n", 0), 0u) << r.status;
  EXPECT_NE(r.status.find("certificate"), std::string::npos) << r.status;
  EXPECT_EQ(sleeps, (std::vector<int>{100, 100, 100, 100}));
  EXPECT_EQ(Requests(), before);

  ctx.caFile = server->CaFile();
  ctx.maxAnswerBytes = 10;
  EXPECT_EQ(Call(kGetTickets).status, "ERROR: 23. GetHttp error 23\nAnswer longer than 10 bytes");

  ctx.maxAnswerBytes = 1 << 20;
  ctx.timeoutMs = 300;
  sleeps.clear();
  ASSERT_TRUE(server->Control("delay", 1, 2000));
  EXPECT_EQ(Call(kGetTickets).status, "OK");  // the second attempt is answered at once
  EXPECT_EQ(sleeps, std::vector<int>{100});

  ctx.endpoint = "https://[nonsense";
  EXPECT_NE(Call(kGetTickets).status.find("\nParsing error"), std::string::npos);
  ctx.endpoint = "http://127.0.0.1:1/api";
  EXPECT_NE(Call(kGetTickets).status.find("GetHttp error 1\n"), std::string::npos);
}

TEST_F(WebApiTest, CancelAbortsAWaitingTransferAndLogsNoError) {
  // The log goes to the documents folder of a HOME of our own.
  TempDir home;
  testing::ScopedEnv homeEnv("HOME", home.Path().c_str()), configEnv("XDG_CONFIG_HOME", home.Path().c_str());
  std::atomic<bool> cancel{false};
  ctx.cancel = &cancel;
  ctx.sleep = nullptr;
  ASSERT_TRUE(server->Control("delay", 1, 8000));
  WebApiResult r;
  auto start = std::chrono::steady_clock::now();
  std::thread worker([&] { CallWebApi(kGetTickets, kAsk, r, ctx); });
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  cancel = true;
  worker.join();
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(5000));
  EXPECT_EQ(r.status.rfind("ERROR: 42. GetHttp error 42\n", 0), 0u) << r.status;
  EXPECT_EQ(r.failure, WebApiFailure::kCancelled);
  std::error_code ec;
  EXPECT_FALSE(std::filesystem::exists(DocumentsFolder() + "/" + ExecutableBaseName() + "/logfiles", ec));
}

}  // namespace
}  // namespace velgram
