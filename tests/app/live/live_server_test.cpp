// The live server on loopback: it answers from what was published, keeps
// every client within its limits, and lets go of everything when stopped.
// What an answer holds is the request rules' business (tests/online).
#include <gtest/gtest.h>

#include <QNetworkInterface>
#include <QTest>
#include <memory>

#include "app/live/live_server.h"
#include "common/fakes.h"
#include "tests/app/live/live_client.h"

namespace velgram::testing {
namespace {

std::shared_ptr<const LiveDocuments> Docs(std::uint64_t version, const std::string& json) {
  auto docs = std::make_shared<LiveDocuments>();
  docs->version = version;
  docs->byName["nu"] = std::make_shared<const LiveDocument>(LiveDocument{json, version});
  return docs;
}

class LiveServerTest : public ::testing::Test {
 protected:
  static constexpr quint16 kPort = 18110;

  void Start(bool localOnly = false) {
    LiveLimits limits;
    limits.maxConnections = 4;
    limits.requestMs = 400;
    server.SetLimits(limits);
    server.Publish(Docs(3, R"({"versie":3})"));
    QString why;
    ASSERT_TRUE(server.Start(kPort, localOnly, &why)) << why.toStdString();
  }

  FakeClock clock;
  LiveServer server{clock};
};

TEST_F(LiveServerTest, AnswersThePublishedDocumentsAndNotModifiedUntilTheyChange) {
  Start();
  LiveClient page(kPort);
  LiveAnswer a = page.Get("/data/nu");
  EXPECT_EQ(a.status, 200);
  EXPECT_EQ(a.body, R"({"versie":3})");
  EXPECT_EQ(page.Get("/data/nu", "If-None-Match: \"3\"\r\n").status, 304);
  server.Publish(Docs(4, R"({"versie":4})"));
  a = page.Get("/data/nu", "If-None-Match: \"3\"\r\n");
  EXPECT_EQ(a.status, 200);
  EXPECT_EQ(a.body, R"({"versie":4})");
  // The pages are compiled in.
  a = page.Get("/");
  EXPECT_EQ(a.status, 200);
  EXPECT_NE(a.body.find("<html"), std::string::npos);
  EXPECT_EQ(server.DevicesLastMinute(), 1);
}

TEST_F(LiveServerTest, CutsAClientThatSendsTooMuchOrTooSlowly) {
  Start();
  // Too much is cut at once; too slow when its time (400 ms here) is up.
  const struct {
    const char* what;
    std::string bytes;
    int fromMs, toMs;
  } cases[] = {
      {"headers without end", "GET /data/nu HTTP/1.1\r\nX-Pad: " + std::string(kLiveMaxHeaderBytes, 'a'), 0, 300},
      {"a body over the limit",
       "POST /data/nu HTTP/1.1\r\nContent-Length: 20000\r\n\r\n" + std::string(kLiveMaxRequestBytes, 'b'), 0, 300},
      {"half a request, then nothing", "GET /data/nu HTTP/1.1\r\nHost: x\r\n", 350, 2000},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    LiveClient client(kPort);
    QElapsedTimer waited;
    waited.start();
    client.Send(c.bytes);
    EXPECT_TRUE(client.Closed(3000));
    EXPECT_GE(waited.elapsed(), c.fromMs);
    EXPECT_LE(waited.elapsed(), c.toMs);
    EXPECT_EQ(client.buffer, "");
  }
  EXPECT_EQ(LiveClient(kPort).Get("/data/nu").status, 200);
}

TEST_F(LiveServerTest, RefusesConnectionsOverTheLimitUntilOneCloses) {
  Start();
  std::vector<std::unique_ptr<LiveClient>> pages;
  for (int i = 0; i < 4; ++i) {
    pages.push_back(std::make_unique<LiveClient>(kPort));
    ASSERT_EQ(pages.back()->Get("/data/nu").status, 200);
  }
  LiveClient refused(kPort);
  EXPECT_TRUE(refused.Closed());
  pages.pop_back();
  QTest::qWait(100);
  EXPECT_EQ(LiveClient(kPort).Get("/data/nu").status, 200);
}

TEST_F(LiveServerTest, OnlyThisComputerRefusesThePeersOfTheNetwork) {
  QHostAddress outside;
  for (const QHostAddress& a : QNetworkInterface::allAddresses())
    if (a.protocol() == QAbstractSocket::IPv4Protocol && !a.isLoopback()) outside = a;
  if (outside.isNull()) GTEST_SKIP() << "no network address besides loopback";
  for (bool localOnly : {false, true}) {
    SCOPED_TRACE(localOnly);
    Start(localOnly);
    EXPECT_EQ(LiveClient(kPort, outside).Get("/data/nu").status, localOnly ? 0 : 200);
    EXPECT_EQ(LiveClient(kPort).Get("/data/nu").status, 200);
    server.Stop();
  }
}

TEST_F(LiveServerTest, StopDropsOpenConnectionsAndNothingListensAfter) {
  Start();
  LiveClient a(kPort), b(kPort);
  ASSERT_EQ(a.Get("/data/nu").status, 200);
  ASSERT_EQ(b.Get("/data/nu").status, 200);
  QElapsedTimer stopping;
  stopping.start();
  server.Stop();
  EXPECT_TRUE(a.Closed(500));
  EXPECT_TRUE(b.Closed(500));
  EXPECT_LT(stopping.elapsed(), 1000);
  EXPECT_FALSE(LiveClient(kPort).Connected());
}

}  // namespace
}  // namespace velgram::testing
