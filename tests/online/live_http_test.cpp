// The live server's request rules: which paths answer, conditional requests,
// the headers of every answer, the device count and the loopback test; and
// entry at the tables over HTTP: the card's token becomes a cookie, the page
// reads its table's document and sends entries; guessing is shut out.
#include "online/live_http.h"
#include "online/table_http.h"

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

const std::string kTokenA(32, 'a'), kTokenB(32, 'b');  // tables 3 and 5
const char* const kScan = R"({"fout":"Scan de QR-code op de tafelkaart."})";
const char* const kUnreadable = R"({"fout":"Onleesbare invoer."})";
const char* const kSent = R"({"status":"verzonden"})";

// A games-won entry (or a winner-only one when games1 is null) for a match.
std::string Entry(int match, const char* games1, const char* games2 = "1") {
  const std::string head = R"({"entry":"e1e1e1e1e1e1e1e1","device":"dev12345","match":)" + std::to_string(match);
  return games1 ? head + R"(,"mode":2,"decision":0,"side":-1,"games1":")" + games1 + R"(","games2":")" + games2 + "\"}"
                : head + R"(,"mode":1,"decision":0,"side":-1,"winner":0})";
}

class TableHttpTest : public ::testing::Test {
 protected:
  TableHttpTest() {
    docs.tableOfToken = {{kTokenA, 3}, {kTokenB, 5}};
    docs.byName["nu"] = std::make_shared<LiveDocument>(LiveDocument{"{}", 2});
    docs.byName["tafel/3"] = std::make_shared<LiveDocument>(LiveDocument{R"({"tafel":3})", 7});
    LiveTable& t = docs.tables[3];
    t.tafel = 3, t.idMatchNow = 10, t.idMatchNext = 11;
    t.systemNow.result = kResultGames;
    t.systemNext.result = kResultSets;
    for (MatchSystem* ms : {&t.systemNow, &t.systemNext}) ms->setWon = 3, ms->setMax = 5, ms->gameStop = 11;
  }
  LiveReply Ask(const LiveRequest& request, std::int64_t now = 1000) {
    return AnswerHall(request, &docs, assets, guard, now);
  }

  LiveDocuments docs;
  const std::map<std::string, LiveAsset> assets = {{"/", {"text/html; charset=utf-8", "<live>"}},
                                                   {"/tafel", {"text/html; charset=utf-8", "<tafel>"}},
                                                   {"/tafel.js", {"text/javascript; charset=utf-8", "js"}},
                                                   {"/tafel.css", {"text/css; charset=utf-8", "css"}}};
  TableTokenGuard guard;
};

TEST_F(TableHttpTest, RoutesAnswerByMethodCookieAndBody) {
  const std::string a = "velgram_tafel=" + kTokenA, type = "application/json";
  const std::string mode = std::string(R"({"fout":")") + kTableEntryModeMessage + "\"}";
  // off: 1 with entry at the tables off, 2 before the first snapshot.
  struct Case {
    const char* method;
    std::string path, cookie, type, body, ifNoneMatch;
    int status;
    std::string answer;
    int failures, off = 0;
  };
  std::vector<Case> cases = {
      {"GET", "/t/" + kTokenA, "", "", "", "", 303, "", 0},
      {"HEAD", "/t/" + kTokenA + "?van=qr", "", "", "", "", 303, "", 0},
      {"GET", "/t/" + kTokenA.substr(1), "", "", "", "", 404, "Niet gevonden", 1},
      {"POST", "/t/" + kTokenA, "", type, "{}", "", 405, "Methode niet toegestaan", 0},
      {"GET", "/tafel", "", "", "", "", 200, "<tafel>", 0},
      {"GET", "/tafel.js?v=2", "", "", "", "", 200, "js", 0},
      {"HEAD", "/tafel.css", "", "", "", "", 200, "", 0},
      {"GET", "/tafel/", a, "", "", "", 404, "Niet gevonden", 0},
      {"GET", "/tafel/data", a, "", "", "", 200, R"({"tafel":3})", 0},
      {"GET", "/tafel/data", "x=1; velgram_tafel=" + kTokenA + "; y=2", "", "", "\"3-7\"", 304, "", 0},
      {"GET", "/tafel/data", a, "", "", "\"7\"", 200, R"({"tafel":3})", 0},
      {"GET", "/tafel/data", "velgram_tafel=" + kTokenB, "", "", "", 404, "Niet gevonden", 0},
      {"GET", "/tafel/data", "", "", "", "", 401, kScan, 0},
      {"GET", "/tafel/data", "tafel=" + kTokenA, "", "", "", 401, kScan, 0},
      {"GET", "/tafel/data", "velgram_tafel=" + kTokenA.substr(1), "", "", "", 401, kScan, 1},
      {"GET", "/tafel/uitslag", a, "", "", "", 405, "Methode niet toegestaan", 0},
      {"POST", "/tafel/uitslag", a, "text/plain", Entry(10, "3"), "", 415, kUnreadable, 0},
      {"POST", "/tafel/uitslag", a, type, std::string(kTableEntryMaxBytes + 1, ' '), "", 413, kUnreadable, 0},
      {"POST", "/tafel/uitslag", a, type, std::string(kTableEntryMaxBytes, ' '), "", 400, kUnreadable, 0},
      {"POST", "/tafel/uitslag", a, "Application/JSON ; charset=utf-8", Entry(10, "3"), "", 202, kSent, 0},
      {"POST", "/tafel/uitslag", a, type, Entry(10, nullptr), "", 422, mode, 0},
      {"POST", "/tafel/uitslag", a, type, Entry(11, nullptr), "", 202, kSent, 0},
      {"POST", "/tafel/uitslag", a, type, Entry(11, "3"), "", 422, mode, 0},
      // Not the table's match now: the desk judges it.
      {"POST", "/tafel/uitslag", a, type, Entry(99, "3", "3"), "", 202, kSent, 0},
      {"POST", "/tafel/uitslag", "velgram_tafel=" + kTokenB, type, Entry(10, "3", "3"), "", 202, kSent, 0},
      {"GET", "/", a, "", "", "", 200, "<live>", 0, 1},
  };
  // Every table route is absent while entry at the tables is off.
  for (int off : {1, 2})
    for (const std::string& path : {"/t/" + kTokenA, std::string("/tafel"), std::string("/tafel.js"),
                                     std::string("/tafel/data"), std::string("/tafel/uitslag")})
      cases.push_back({path == "/tafel/uitslag" ? "POST" : "GET", path, a, type, Entry(10, "3"), "", 404,
                       "Niet gevonden", 0, off});
  LiveDocuments off;
  off.byName = docs.byName;
  for (const Case& c : cases) {
    const std::string what = std::string(c.method) + " " + c.path + " [" + c.cookie + "] " + c.body + " off " +
                             std::to_string(c.off);
    TableTokenGuard fresh;
    const LiveReply r = AnswerHall({c.method, c.path, c.ifNoneMatch, c.cookie, c.type, c.body, "10.0.0.7"},
                                   c.off ? (c.off == 1 ? &off : nullptr) : &docs, assets, fresh, 1000);
    EXPECT_EQ(std::pair(r.status, r.body), std::pair(c.status, c.answer)) << what;
    // Each counted failure: ten of them shut the peer out.
    for (int i = 1; i < kTokenMaxFailures; ++i) fresh.Failed("10.0.0.7", 1000);
    EXPECT_EQ(fresh.BlockedFor("10.0.0.7", 1000) > 0, c.failures == 1) << what;
    // The headers follow from the kind of answer.
    const bool data = c.path == "/tafel/data" && c.status / 100 != 4, asset = !data && c.status == 200;
    const std::string none = "<none>", json = "application/json; charset=utf-8";
    EXPECT_EQ(std::tuple(r.contentType, Header(r, "Cache-Control"), Header(r, "ETag"), Header(r, "Location"),
                         Header(r, "Set-Cookie"), Header(r, "Allow")),
              std::tuple(data || c.answer[0] == '{' ? json
                         : asset                    ? assets.at(c.path.substr(0, c.path.find('?'))).contentType
                                                    : (c.status == 303 ? "" : "text/plain; charset=utf-8"),
                         data    ? "private, no-cache"
                         : asset ? "max-age=60"
                                 : (c.answer[0] == '{' || c.status == 303 ? "no-store" : none),
                         data ? "\"3-7\"" : none, c.status == 303 ? "/tafel" : none,
                         c.status == 303 ? a + "; Path=/; HttpOnly; SameSite=Strict; Max-Age=604800" : none,
                         c.status != 405 ? none : c.path == "/tafel/uitslag" ? "POST" : "GET, HEAD"))
        << what;
    EXPECT_EQ(std::tuple(Header(r, "X-Content-Type-Options"), Header(r, "Content-Security-Policy"),
                         Header(r, "Referrer-Policy")),
              std::tuple("nosniff", "default-src 'self'", "no-referrer"))
        << what;
    // Only an entry that passed goes on, with the table of its token.
    ASSERT_EQ(r.entry.has_value(), c.status == 202) << what;
    if (r.entry) {
      EXPECT_EQ(r.entry->tafel, c.cookie == a ? 3 : 5) << what;
    }
  }
}

TEST_F(TableHttpTest, TenFailedTokensShutThePeerOutOfEveryTableRouteForTenMinutes) {
  const std::string bad = "/t/" + std::string(32, 'c'), cookie = "velgram_tafel=" + kTokenA;
  for (int i = 0; i < kTokenMaxFailures; ++i)
    EXPECT_EQ(Ask({"GET", bad, "", "", "", "", "10.0.0.9"}, 1000 + 10 * i).status, 404) << i;
  // A crowd of other guessers makes the guard tidy up; recent failures stay.
  for (int i = 0; i < 70; ++i) guard.Failed("10.1.0." + std::to_string(i), 1100);
  struct Case { std::int64_t now; const char *peer, *path; int status; const char* retryAfter; };
  const Case cases[] = {
      {1090, "10.0.0.9", "/tafel/data", 429, "510"}, {1599, "10.0.0.9", "/t/", 429, "1"},
      {1599, "10.0.0.9", "/tafel", 429, "1"},        {1599, "10.0.0.9", "/", 200, "<none>"},
      {1599, "10.0.0.8", "/tafel/data", 200, "<none>"}, {1600, "10.0.0.9", "/tafel/data", 200, "<none>"},
  };
  for (const Case& c : cases) {
    const LiveReply r = Ask({"GET", c.path, "", cookie, "", "", c.peer}, c.now);
    EXPECT_EQ(std::tuple(r.status, Header(r, "Retry-After")), std::tuple(c.status, c.retryAfter)) << c.now << c.path;
    if (c.status == 429) {
      EXPECT_EQ(r.body, R"({"fout":"Te veel pogingen. Probeer het over enkele minuten opnieuw."})");
    }
  }
  // The window slides: one more failure now shuts it out until the second
  // failure is ten minutes old.
  EXPECT_EQ(Ask({"GET", bad, "", "", "", "", "10.0.0.9"}, 1600).status, 404);
  EXPECT_EQ(Ask({"GET", "/tafel", "", "", "", "", "10.0.0.9"}, 1609).status, 429);
  EXPECT_EQ(Ask({"GET", "/tafel", "", "", "", "", "10.0.0.9"}, 1610).status, 200);
}

}  // namespace
}  // namespace velgram
