// The web API client against the test support desk over real HTTPS.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <thread>

#include "common/fakes.h"
#include "online/key_material.h"
#include "online/support_server_fixture.h"
#include "online/webapi.h"
#include "support/paths.h"
#include "support/text.h"

namespace velgram {
namespace {

using testing::FakeClock;
using testing::SupportServer;
using testing::TempDir;

WebApiArgs Mail(const char* email) { return {email, "", "", 0}; }

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

  WebApiResult Call(int action, const WebApiArgs& args) {
    WebApiResult r;
    CallWebApi(action, args, r, ctx);
    return r;
  }
  int Requests() { return std::stoi(server->Query("SELECT COUNT(*) FROM Requests")); }

  static SupportServer* server;
  FakeClock clock;
  WebApiContext ctx;
  std::vector<int> sleeps;
};

SupportServer* WebApiTest::server = nullptr;

TEST_F(WebApiTest, AsksListsReadsAndRepliesWithEscapedText) {
  WebApiArgs a{"marie@ttv.nl", "Poule van 5", "Regel een\r\nzegt \"hallo\"", 0};
  ASSERT_EQ(Call(kPutTicket, a).status, "OK");
  std::string raw = server->Query("SELECT body FROM Requests ORDER BY id DESC LIMIT 1");
  EXPECT_NE(raw.find("\"question\":\"Regel een[LINEBREAK]zegt \\\"hallo\\\"\""), std::string::npos) << raw;

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
  EXPECT_EQ(Call(kGetTickets, a).tickets.at(0).status, 2);
  EXPECT_TRUE(sleeps.empty());
}

TEST_F(WebApiTest, RetriesAfterTheBusyPageAndOtherFailures) {
  const struct {
    const char* mode;
    int count;
    std::vector<int> waits;
    const char* status;
  } cases[] = {{"403", 4, {5000, 5000, 5000, 5000}, "OK"},
      {"403", 5, {5000, 5000, 5000, 5000}, "ERROR: 403. GetHttp error 403\nHTTP status 403"},
      {"busy", 5, {5000, 5000, 5000, 5000}, "ERROR: 403. GetHttp error 403\nHTTP status 403"},
      {"404", 1, {100}, "OK"},
      {"404", 5, {100, 100, 100, 100}, "ERROR: 404. GetHttp error 404\nHTTP status 404"}};
  for (const auto& c : cases) {
    sleeps.clear();
    ASSERT_TRUE(server->Control(c.mode, c.count));
    EXPECT_EQ(Call(kGetTickets, Mail("x@y.nl")).status, c.status) << c.mode << " x" << c.count;
    EXPECT_EQ(sleeps, c.waits) << c.mode << " x" << c.count;
  }
}

TEST_F(WebApiTest, BadAnswersAndServerErrorsBecomeStatusTextsAndAByteOrderMarkIsRemoved) {
  ASSERT_TRUE(server->Control("garbage"));
  WebApiResult garbage = Call(kGetTickets, Mail("x@y.nl"));
  EXPECT_EQ(garbage.status, "ERROR: Invalid response");
  EXPECT_EQ(FailureReport(garbage), std::string(kDeskUnreachable) + "\nERROR: Invalid response");
  WebApiResult r = Call(kGetTicketHistory, WebApiArgs{"", "", "", 987654});
  EXPECT_EQ(r.status, "ERROR: errorcode=3  Ticket 987654 not found");
  EXPECT_EQ(FailureReport(r), std::string(kDeskRefused) + "\n" + r.status);
  EXPECT_TRUE(r.messages.empty());
  EXPECT_EQ(FailureReport(Call(kGetTickets, Mail("x@y.nl"))), "");
  // A byte order mark before the answer is removed.
  ASSERT_TRUE(server->Control("bom"));
  int error = -1;
  std::string text,
      answer = PostToApi(Encipher(BuildRequest(kGetTickets, Mail("x@y.nl")), clock.NowLocal()), error, text, ctx);
  EXPECT_TRUE(error == 0 && answer.substr(0, 3) != "\xEF\xBB\xBF") << error << answer;
  ASSERT_TRUE(server->Control("bom"));
  EXPECT_EQ(Call(kGetTickets, Mail("x@y.nl")).status, "OK");
}

TEST_F(WebApiTest, UntrustedCertificateIsRefusedOnEveryAttempt) {
  ctx.caFile.clear();
  int before = Requests();
  WebApiResult r = Call(kGetTickets, Mail("x@y.nl"));
  EXPECT_EQ(r.status.rfind("ERROR: 60. GetHttp error 60\n", 0), 0u) << r.status;
  EXPECT_NE(r.status.find("certificate"), std::string::npos) << r.status;
  EXPECT_EQ(sleeps, (std::vector<int>{100, 100, 100, 100}));
  EXPECT_EQ(Requests(), before);
}

TEST_F(WebApiTest, DailyKeyAgreesWithTheServerAndNotWithTheNextDay) {
  std::unique_ptr<FILE, decltype(&pclose)> p(
      popen("python3 " VELGRAM_SUPPORT_SERVER " --print-key 20260315", "r"), &pclose);
  char line[64] = {0};
  ASSERT_TRUE(p && fgets(line, sizeof line, p.get()));
  Md5Digest key = DailyKey(2026, 3, 15);
  std::string hex;
  for (uint8_t b : key) hex += Format("%02x", b);
  EXPECT_EQ(std::string(line).substr(0, 32), hex);
  EXPECT_NE(DailyKey(2026, 3, 16), key);

  clock.SetLocal(2026, 3, 16, 0, 0, 1);
  EXPECT_EQ(Call(kGetTickets, Mail("x@y.nl")).status, "ERROR: Invalid response");
}

TEST_F(WebApiTest, TransportLimitsEndAnAttempt) {
  ctx.maxAnswerBytes = 10;
  EXPECT_EQ(Call(kGetTickets, Mail("x@y.nl")).status, "ERROR: 23. GetHttp error 23\nAnswer longer than 10 bytes");

  ctx.maxAnswerBytes = 1 << 20;
  ctx.timeoutMs = 300;
  sleeps.clear();
  ASSERT_TRUE(server->Control("delay", 1, 2000));
  EXPECT_EQ(Call(kGetTickets, Mail("x@y.nl")).status, "OK");  // the second attempt is answered at once
  EXPECT_EQ(sleeps, std::vector<int>{100});

  ctx.endpoint = "https://[nonsense";
  EXPECT_NE(Call(kGetTickets, Mail("x@y.nl")).status.find("\nParsing error"), std::string::npos);
  ctx.endpoint = "http://127.0.0.1:1/api";
  WebApiResult refused = Call(kGetTickets, Mail("x@y.nl"));
  EXPECT_NE(refused.status.find("GetHttp error 1\n"), std::string::npos);
  EXPECT_EQ(FailureReport(refused), std::string(kDeskUnreachable) + "\n" + refused.status);
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
  std::thread worker([&] { CallWebApi(kGetTickets, Mail("x@y.nl"), r, ctx); });
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
