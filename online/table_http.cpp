#include "online/table_http.h"

#include <openssl/crypto.h>

#include <cctype>
#include <iterator>

#include "support/text.h"

namespace velgram {

namespace {

constexpr const char* kScanCardJson = R"({"fout":"Scan de QR-code op de tafelkaart."})";
constexpr const char* kTooManyJson = R"({"fout":"Te veel pogingen. Probeer het over enkele minuten opnieuw."})";
constexpr const char* kUnreadableJson = R"({"fout":"Onleesbare invoer."})";
constexpr const char* kNotTakenJson = R"({"fout":"De wedstrijdtafel neemt nu geen uitslagen aan."})";
constexpr const char* kSentJson = R"({"status":"verzonden"})";
constexpr const char* kJsonType = "application/json; charset=utf-8";

LiveReply Json(int status, std::string body) {
  LiveReply r;
  r.status = status;
  r.contentType = kJsonType;
  r.body = std::move(body);
  // What a table is told is about its own entry or its own token.
  r.headers.emplace_back("Cache-Control", "no-store");
  return r;
}

LiveReply NotFound() {
  LiveReply r;
  r.status = 404;
  r.contentType = "text/plain; charset=utf-8";
  r.body = "Niet gevonden";
  return r;
}

LiveReply NotAllowed(const char* allow) {
  LiveReply r;
  r.status = 405;
  r.contentType = "text/plain; charset=utf-8";
  r.body = "Methode niet toegestaan";
  r.headers.emplace_back("Allow", allow);
  return r;
}

// The table whose token this is, or false. Every token is compared in full
// and in constant time, so the answer's timing tells nothing about how much
// of a guess was right.
bool TableOf(const LiveDocuments& docs, const std::string& token, int& tafel) {
  bool found = false;
  for (const auto& [known, n] : docs.tableOfToken) {
    if (!token.empty() && known.size() == token.size() &&
        CRYPTO_memcmp(known.data(), token.data(), known.size()) == 0) {
      found = true;
      tafel = n;
    }
  }
  return found;
}

std::string Trim(const std::string& s) {
  const size_t b = s.find_first_not_of(" \t"), e = s.find_last_not_of(" \t");
  return b == std::string::npos ? std::string() : s.substr(b, e - b + 1);
}

// The value of the table's cookie in a Cookie header; empty when absent.
std::string CookieToken(const std::string& header) {
  size_t pos = 0;
  while (pos < header.size()) {
    size_t end = header.find(';', pos);
    if (end == std::string::npos) end = header.size();
    const std::string pair = Trim(header.substr(pos, end - pos));
    const size_t eq = pair.find('=');
    if (eq != std::string::npos && Trim(pair.substr(0, eq)) == kTableCookie) return Trim(pair.substr(eq + 1));
    pos = end + 1;
  }
  return {};
}

bool IsJsonType(const std::string& header) {
  std::string type = Trim(header.substr(0, header.find(';')));
  for (auto& c : type) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return type == "application/json";
}

LiveReply TableData(const LiveRequest& request, const LiveDocuments& docs, int tafel) {
  auto it = docs.byName.find(Format("tafel/%d", tafel));
  if (it == docs.byName.end()) return NotFound();
  LiveReply r;
  r.contentType = kJsonType;
  // The tag names the table: a phone whose card changed must not keep
  // another table's document because the versions happen to agree.
  const std::string tag = Format("\"%d-%llu\"", tafel, static_cast<unsigned long long>(it->second->version));
  r.headers.emplace_back("ETag", tag);
  r.headers.emplace_back("Cache-Control", "private, no-cache");
  r.headers.emplace_back("Vary", "Cookie");
  if (!request.ifNoneMatch.empty() && LiveTagMatches(request.ifNoneMatch, tag))
    r.status = 304;
  else
    r.body = it->second->json;
  return r;
}

LiveReply TableResult(const LiveRequest& request, const LiveDocuments& docs, int tafel) {
  TableEntry entry;
  if (!ReadTableEntryJson(request.body, tafel, entry)) return Json(400, kUnreadableJson);
  // The match called to the table is checked here, so that the umpire hears
  // of a mistake while still at the table. Any other match is for the desk
  // to judge: it waits there as no longer at this table.
  if (auto it = docs.tables.find(tafel); it != docs.tables.end()) {
    const LiveTable& t = it->second;
    const MatchSystem* ms = entry.idMatch == t.idMatchNow    ? &t.systemNow
                            : entry.idMatch == t.idMatchNext ? &t.systemNext
                                                             : nullptr;
    if (ms) {
      const ResultDecision decision = DecideTableEntry(*ms, entry);
      if (!decision.Ok()) return Json(422, "{\"fout\":" + LiveJsonText(decision.error) + "}");
    }
  }
  LiveReply r = Json(202, kSentJson);
  r.entry = std::move(entry);
  return r;
}

LiveReply AnswerTableRoute(const LiveRequest& request, const std::string& path, const LiveDocuments& docs,
                           const std::map<std::string, LiveAsset>& assets, TableTokenGuard& guard,
                           std::int64_t now) {
  const bool post = request.method == "POST";
  const bool get = request.method == "GET" || request.method == "HEAD";
  if (path == "/tafel/uitslag") {
    if (!post) return NotAllowed("POST");
  } else if (!get) {
    return NotAllowed("GET, HEAD");
  }

  if (path.rfind("/t/", 0) == 0) {
    int tafel = 0;
    if (!TableOf(docs, path.substr(3), tafel)) {
      guard.Failed(request.peer, now);
      return NotFound();
    }
    // The cookie holds the token from now on; the address the browser goes
    // on to, and shows, does not.
    LiveReply r;
    r.status = 303;
    r.headers.emplace_back("Location", "/tafel");
    r.headers.emplace_back("Set-Cookie", Format("%s=%s; Path=/; HttpOnly; SameSite=Strict; Max-Age=%d",
                                                kTableCookie, path.substr(3).c_str(), kTableCookieSeconds));
    r.headers.emplace_back("Cache-Control", "no-store");
    return r;
  }
  if (path == "/tafel" || path == "/tafel.js" || path == "/tafel.css") {
    auto it = assets.find(path);
    if (it == assets.end()) return NotFound();
    LiveReply r;
    r.contentType = it->second.contentType;
    r.body = it->second.body;
    r.headers.emplace_back("Cache-Control", "max-age=60");
    return r;
  }
  const bool data = path == "/tafel/data";
  if (!data && !post) return NotFound();

  if (post) {
    if (!IsJsonType(request.contentType)) return Json(415, kUnreadableJson);
    if (request.body.size() > kTableEntryMaxBytes) return Json(413, kUnreadableJson);
  }
  const std::string token = CookieToken(request.cookie);
  if (token.empty()) return Json(401, kScanCardJson);
  int tafel = 0;
  if (!TableOf(docs, token, tafel)) {
    guard.Failed(request.peer, now);
    return Json(401, kScanCardJson);
  }
  return data ? TableData(request, docs, tafel) : TableResult(request, docs, tafel);
}

}  // namespace

std::int64_t TableTokenGuard::BlockedFor(const std::string& peer, std::int64_t now) const {
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = failures_.find(peer);
  if (it == failures_.end() || static_cast<int>(it->second.size()) < kTokenMaxFailures) return 0;
  const std::int64_t until = it->second.front() + kTokenFailureWindowSeconds;
  return until > now ? until - now : 0;
}

void TableTokenGuard::Failed(const std::string& peer, std::int64_t now) {
  std::lock_guard<std::mutex> lock(mutex_);
  std::deque<std::int64_t>& times = failures_[peer];
  times.push_back(now);
  // Only the last failures decide; older ones are forgotten.
  while (static_cast<int>(times.size()) > kTokenMaxFailures) times.pop_front();
  // Peers whose failures are all old are forgotten, so a day of passers-by
  // does not pile up.
  if (failures_.size() > 64) {
    for (auto it = failures_.begin(); it != failures_.end();)
      it = now - it->second.back() >= kTokenFailureWindowSeconds ? failures_.erase(it) : std::next(it);
  }
}

bool IsTableRoute(const std::string& path) {
  const std::string p = path.substr(0, path.find_first_of("?#"));
  return p.rfind("/t/", 0) == 0 || p == "/tafel" || p == "/tafel.js" || p == "/tafel.css" ||
         p.rfind("/tafel/", 0) == 0;
}

LiveReply AnswerTable(const LiveRequest& request, const LiveDocuments* docs,
                      const std::map<std::string, LiveAsset>& assets, TableTokenGuard& guard,
                      std::int64_t now) {
  const std::string path = request.path.substr(0, request.path.find_first_of("?#"));
  LiveReply reply;
  if (!docs || docs->tableOfToken.empty() || !IsTableRoute(path)) {
    reply = NotFound();
  } else if (const std::int64_t wait = guard.BlockedFor(request.peer, now); wait > 0) {
    reply = Json(429, kTooManyJson);
    reply.headers.emplace_back("Retry-After", std::to_string(wait));
  } else {
    reply = AnswerTableRoute(request, path, *docs, assets, guard, now);
  }
  if (request.method == "HEAD") reply.body.clear();
  AddLiveSecurityHeaders(reply);
  return reply;
}

LiveReply AnswerHall(const LiveRequest& request, const LiveDocuments* docs,
                     const std::map<std::string, LiveAsset>& assets, TableTokenGuard& guard,
                     std::int64_t now) {
  return IsTableRoute(request.path) ? AnswerTable(request, docs, assets, guard, now)
                                    : AnswerLive(request, docs, assets);
}

LiveReply TableEntryNotTaken() {
  LiveReply reply = Json(503, kNotTakenJson);
  AddLiveSecurityHeaders(reply);
  return reply;
}

}  // namespace velgram
