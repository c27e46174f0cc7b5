// The live server's request rules: which paths answer, conditional requests,
// the headers of every answer, the device count and the loopback test.
#include "online/live_http.h"

#include <gtest/gtest.h>

namespace velgram {
namespace {

std::string Header(const LiveReply& r, const std::string& name) {
  for (const auto& [key, value] : r.headers)
    if (key == name) return value;
  return "<none>";
}

TEST(AnswerLive, ServesOnlyItsPagesAndDocuments) {
  const std::map<std::string, LiveAsset> assets = {{"/", {"text/html; charset=utf-8", "<html>"}},
                                                   {"/live.js", {"text/javascript; charset=utf-8", "js"}},
                                                   {"/live.css", {"text/css; charset=utf-8", "css"}}};
  LiveDocuments docs;
  docs.byName["nu"] = std::make_shared<LiveDocument>(LiveDocument{"{\"n\":1}", 5});

  struct Case { const char* method; std::string path; const char* ifNoneMatch; int status; const char *body, *etag, *cache; };
  const Case cases[] = {
      {"GET", "/", "", 200, "<html>", "<none>", "max-age=60"},
      {"GET", "/?van=qr", "", 200, "<html>", "<none>", "max-age=60"},
      {"HEAD", "/live.css", "", 200, "", "<none>", "max-age=60"},
      {"GET", "/data/nu", "", 200, "{\"n\":1}", "\"5\"", "no-cache"},
      {"GET", "/data/nu", "\"4\", W/\"5\"", 304, "", "\"5\"", "no-cache"},
      {"GET", "/data/nu", "\"4\",\"5\" ,\"6\"", 304, "", "\"5\"", "no-cache"},
      {"GET", "/data/nu", "\"55\"", 200, "{\"n\":1}", "\"5\"", "no-cache"},
      {"GET", "/data/poule/4", "", 404, nullptr, "<none>", "no-cache"},
      {"GET", "/index.html", "", 404, nullptr, "<none>", "<none>"},
      {"GET", "live.js", "", 404, nullptr, "<none>", "<none>"},
      {"GET", "/data/poule/../nu", "", 404, nullptr, "<none>", "<none>"},
      {"GET", "/data/%6Eu", "", 404, nullptr, "<none>", "<none>"},
      {"GET", "/data/nu\\", "", 404, nullptr, "<none>", "<none>"},
      {"GET", std::string("/data/nu\0", 9), "", 404, nullptr, "<none>", "<none>"},
      {"POST", "/data/nu", "", 405, nullptr, "<none>", "<none>"},
      {"get", "/", "", 405, nullptr, "<none>", "<none>"},
  };
  for (const Case& c : cases) {
    const std::string what = std::string(c.method) + " " + c.path + " " + c.ifNoneMatch;
    const LiveReply r = AnswerLive({c.method, c.path, c.ifNoneMatch}, &docs, assets);
    // A null body: an error page whose text is not the point.
    EXPECT_EQ(std::tuple(r.status, r.body, Header(r, "ETag"), Header(r, "Cache-Control"), Header(r, "Allow")),
              std::tuple(c.status, c.body ? c.body : r.body, c.etag, c.cache, c.status == 405 ? "GET, HEAD" : "<none>"))
        << what;
    const bool data = c.path.rfind("/data/", 0) == 0;
    EXPECT_EQ(r.contentType, r.status >= 400 ? "text/plain; charset=utf-8"
                             : data         ? "application/json; charset=utf-8"
                                            : assets.at(c.path.substr(0, c.path.find('?'))).contentType)
        << what;
    EXPECT_EQ(std::tuple(Header(r, "X-Content-Type-Options"), Header(r, "Content-Security-Policy"),
                         Header(r, "Referrer-Policy")),
              std::tuple("nosniff", "default-src 'self'", "no-referrer"))
        << what;
  }
  // Before the first snapshot only the pages answer.
  EXPECT_EQ(AnswerLive({"GET", "/data/nu", ""}, nullptr, assets).status, 404);
  EXPECT_EQ(AnswerLive({"GET", "/", ""}, nullptr, assets).status, 200);
}

TEST(LiveDevices, CountsEachAddressSeenInTheLastMinuteOnce) {
  LiveDevices devices;
  devices.Seen("192.168.1.20", 100);
  devices.Seen("192.168.1.21", 110);
  devices.Seen("192.168.1.20", 150);
  devices.Seen("192.168.1.20", 120);  // a late report does not move the time back
  const std::pair<std::int64_t, int> counts[] = {{150, 2}, {169, 2}, {170, 1}, {209, 1}, {210, 0}};
  for (const auto& [now, n] : counts) EXPECT_EQ(devices.Count(now), n) << now;

  // Forgetting old addresses keeps the recent ones.
  LiveDevices crowd;
  for (int t = 0; t < 200; ++t) crowd.Seen("10.0.0." + std::to_string(t), t);
  EXPECT_EQ(crowd.Count(199), 60);
}

TEST(IsLoopbackPeer, OnlyTheMachineItself) {
  const std::pair<const char*, bool> cases[] = {
      {"127.0.0.1", true},        {"127.255.3.4", true},        {"::1", true},
      {"[::1]", true},            {"0:0:0:0:0:0:0:1", true},    {"::ffff:127.0.0.1", true},
      {"::FFFF:127.0.0.5", true}, {"192.168.1.5", false},       {"10.0.0.1", false},
      {"128.0.0.1", false},       {"::ffff:192.168.1.5", false}, {"1270.0.0.1", false},
      {"127.0.0", false},         {"127.0.0.1.5", false},       {"127.0.0.256", false},
      {"127..0.1", false},        {"::2", false},               {"fe80::1", false},
      {"localhost", false},       {"", false},
  };
  for (const auto& [peer, loopback] : cases) EXPECT_EQ(IsLoopbackPeer(peer), loopback) << peer;
}

}  // namespace
}  // namespace velgram
