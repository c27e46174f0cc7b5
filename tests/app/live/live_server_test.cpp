// The live server on loopback: it answers from what was published, keeps
// every client within its limits, and lets go of everything when stopped.
// What an answer holds is the request rules' business (tests/online).
#include <gtest/gtest.h>

#include <QNetworkInterface>
#include <QTest>
#include <memory>
#include <mutex>

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
  // Each test has a port of its own, so that tests run side by side.
  void Start(quint16 port, bool localOnly = false) {
    port_ = port;
    LiveLimits limits;
    limits.maxConnections = 4;
    limits.requestMs = 400;
    limits.maxUnsentBytes = 64 * 1024;
    server.SetLimits(limits);
    server.Publish(Docs(3, R"({"versie":3})"));
    QString why;
    ASSERT_TRUE(server.Start(port_, localOnly, &why)) << why.toStdString();
  }

  quint16 port_ = 0;
  FakeClock clock;
  LiveServer server{clock};
};

// It answers the documents published last, and hands an entry to the desk
// once, with the table of the cookie's token; what the card and the entry are
// answered is the request rules' business.
TEST_F(LiveServerTest, AnswersThePublishedDocumentsAndHandsAnEntryToTheDeskOnce) {
  Start(18810);
  LiveClient page(port_);
  auto get = [&](const std::string& path, const std::string& headers = "") {
    const LiveAnswer a = page.Get(path, headers);
    return std::pair(a.status, a.body);
  };
  EXPECT_EQ(get("/data/nu"), std::pair(200, std::string(R"({"versie":3})")));
  EXPECT_EQ(get("/data/nu", "If-None-Match: \"3\"\r\n").first, 304);
  server.Publish(Docs(4, R"({"versie":4})"));
  EXPECT_EQ(get("/data/nu", "If-None-Match: \"3\"\r\n"), std::pair(200, std::string(R"({"versie":4})")));
  EXPECT_EQ(server.DevicesLastMinute(), 1);

  const std::string token(32, 'a');
  auto docs = std::make_shared<LiveDocuments>();
  docs->tableOfToken[token] = 3;
  server.Publish(docs);
  const std::string entry =
      R"({"entry":"e1e1e1e1e1e1e1e1","device":"dev12345","match":10,"mode":1,"decision":0,"side":-1,"winner":0})";
  auto send = [&] {
    const LiveAnswer a = page.PostEntry(token, entry);
    return std::pair(a.status, a.body);
  };
  EXPECT_EQ(send(), std::pair(503, std::string(R"({"fout":"De wedstrijdtafel neemt nu geen uitslagen aan."})")));
  std::mutex mutex;
  std::vector<TableEntry> handed;
  server.SetEntrySink([&](TableEntry e) { std::lock_guard<std::mutex> lock(mutex); handed.push_back(std::move(e)); });
  EXPECT_EQ(send(), std::pair(202, std::string(R"({"status":"verzonden"})")));
  std::lock_guard<std::mutex> lock(mutex);
  ASSERT_EQ(handed.size(), 1u);
  EXPECT_EQ(std::tuple(handed[0].entryId, handed[0].tafel, handed[0].idMatch), std::tuple("e1e1e1e1e1e1e1e1", 3, 10));
}

TEST_F(LiveServerTest, CutsAClientThatSendsTooMuchOrTooSlowly) {
  Start(18811);
  // Too much is cut at once; too slow when its time (400 ms here) is up.
  const struct { const char* what; std::string bytes; int fromMs, toMs; } cases[] = {
      {"headers without end", "GET /data/nu HTTP/1.1\r\nX-Pad: " + std::string(kLiveMaxHeaderBytes, 'a'), 0, 300},
      {"a body over the limit",
       "POST /data/nu HTTP/1.1\r\nContent-Length: 20000\r\n\r\n" + std::string(kLiveMaxRequestBytes, 'b'), 0, 300},
      {"half a request, then nothing", "GET /data/nu HTTP/1.1\r\nHost: x\r\n", 350, 2000},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    LiveClient client(port_);
    QElapsedTimer waited;
    waited.start();
    client.Send(c.bytes);
    EXPECT_TRUE(client.Closed(3000));
    EXPECT_TRUE(waited.elapsed() >= c.fromMs && waited.elapsed() <= c.toMs) << waited.elapsed() << " ms";
    EXPECT_EQ(client.buffer, "");
  }
  EXPECT_EQ(LiveClient(port_).Get("/data/nu").status, 200);
}

TEST_F(LiveServerTest, CutsAClientThatAsksWithoutReading) {
  Start(18815);
  LiveClient client(port_);
  client.socket.setReadBufferSize(64 * 1024);  // reads no more than this until asked
  // Several megabytes of answers: more than the sockets' own buffers hold.
  for (int i = 0; i < 600 && client.Connected(); ++i) {
    client.Send("GET /live.js HTTP/1.1\r\nHost: x\r\n\r\n");
    QTest::qWait(1);
  }
  EXPECT_TRUE(client.Closed(3000));
}

TEST_F(LiveServerTest, RefusesConnectionsOverTheLimitAndStopDropsTheOpenOnes) {
  Start(18812);
  std::vector<std::unique_ptr<LiveClient>> pages;
  for (int i = 0; i < 4; ++i) {
    pages.push_back(std::make_unique<LiveClient>(port_));
    ASSERT_EQ(pages.back()->Get("/data/nu").status, 200);
  }
  LiveClient refused(port_);
  EXPECT_TRUE(refused.Closed());
  pages.pop_back();
  QTest::qWait(100);
  pages.push_back(std::make_unique<LiveClient>(port_));
  EXPECT_EQ(pages.back()->Get("/data/nu").status, 200);
  QElapsedTimer stopping;
  stopping.start();
  server.Stop();
  for (auto& page : pages) EXPECT_TRUE(page->Closed(500));
  EXPECT_LT(stopping.elapsed(), 1000);
  EXPECT_FALSE(LiveClient(port_).Connected());
}

TEST_F(LiveServerTest, OnlyThisComputerRefusesThePeersOfTheNetwork) {
  QHostAddress outside;
  for (const QHostAddress& a : QNetworkInterface::allAddresses())
    if (a.protocol() == QAbstractSocket::IPv4Protocol && !a.isLoopback()) outside = a;
  if (outside.isNull()) GTEST_SKIP() << "no network address besides loopback";
  for (bool localOnly : {false, true}) {
    SCOPED_TRACE(localOnly);
    Start(18813, localOnly);
    EXPECT_EQ(LiveClient(port_, outside).Get("/data/nu").status, localOnly ? 0 : 200);
    EXPECT_EQ(LiveClient(port_).Get("/data/nu").status, 200);
    server.Stop();
  }
}

}  // namespace
}  // namespace velgram::testing
