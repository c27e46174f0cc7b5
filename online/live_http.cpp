#include "online/live_http.h"

#include <cctype>
#include <cstdlib>
#include <iterator>

#include "support/text.h"

namespace velgram {

namespace {

// A phone polls the same documents every second; the small pages may be kept
// a little while, the data never without asking.
constexpr const char* kAssetCache = "max-age=60";
constexpr const char* kDataCache = "no-cache";
constexpr std::int64_t kDeviceWindowSeconds = 60;

bool SafePath(const std::string& path) {
  if (path.empty() || path[0] != '/') return false;
  if (path.find("..") != std::string::npos) return false;
  for (unsigned char c : path)
    if (c < 0x20 || c == 0x7F || c == '%' || c == '\\') return false;
  return true;
}

LiveReply Plain(int status, const char* text) {
  LiveReply r;
  r.status = status;
  r.contentType = "text/plain; charset=utf-8";
  r.body = text;
  return r;
}

}  // namespace

// An If-None-Match header may list several tags, or be "*".
bool LiveTagMatches(const std::string& header, const std::string& tag) {
  size_t pos = 0;
  while (pos < header.size()) {
    size_t comma = header.find(',', pos);
    if (comma == std::string::npos) comma = header.size();
    std::string item = header.substr(pos, comma - pos);
    size_t b = item.find_first_not_of(" \t"), e = item.find_last_not_of(" \t");
    if (b != std::string::npos) {
      item = item.substr(b, e - b + 1);
      if (item.rfind("W/", 0) == 0) item = item.substr(2);
      if (item == tag || item == "*") return true;
    }
    pos = comma + 1;
  }
  return false;
}

void AddLiveSecurityHeaders(LiveReply& reply) {
  reply.headers.emplace_back("X-Content-Type-Options", "nosniff");
  reply.headers.emplace_back("Content-Security-Policy", "default-src 'self'");
  reply.headers.emplace_back("Referrer-Policy", "no-referrer");
}

LiveReply AnswerLive(const LiveRequest& request, const LiveDocuments* docs,
                     const std::map<std::string, LiveAsset>& assets) {
  LiveReply reply;
  bool head = request.method == "HEAD";
  std::string path = request.path.substr(0, request.path.find_first_of("?#"));
  if (request.method != "GET" && !head) {
    reply = Plain(405, "Methode niet toegestaan");
    reply.headers.emplace_back("Allow", "GET, HEAD");
  } else if (!SafePath(request.path)) {
    reply = Plain(404, "Niet gevonden");
  } else if (path.rfind("/data/", 0) == 0) {
    std::string name = path.substr(6);
    const LiveDocument* doc = nullptr;
    if (docs) {
      auto it = docs->byName.find(name);
      if (it != docs->byName.end()) doc = it->second.get();
    }
    if (!doc) {
      reply = Plain(404, "Niet gevonden");
      reply.headers.emplace_back("Cache-Control", kDataCache);
    } else {
      std::string tag = Format("\"%llu\"", static_cast<unsigned long long>(doc->version));
      reply.headers.emplace_back("ETag", tag);
      reply.headers.emplace_back("Cache-Control", kDataCache);
      reply.contentType = "application/json; charset=utf-8";
      if (!request.ifNoneMatch.empty() && LiveTagMatches(request.ifNoneMatch, tag)) {
        reply.status = 304;
      } else {
        reply.body = doc->json;
      }
    }
  } else {
    auto it = assets.find(path);
    if (it == assets.end()) {
      reply = Plain(404, "Niet gevonden");
    } else {
      reply.contentType = it->second.contentType;
      reply.body = it->second.body;
      reply.headers.emplace_back("Cache-Control", kAssetCache);
    }
  }
  if (head) reply.body.clear();
  AddLiveSecurityHeaders(reply);
  return reply;
}

void LiveDevices::Seen(const std::string& peer, std::int64_t now) {
  std::lock_guard<std::mutex> lock(mutex_);
  std::int64_t& last = lastSeen_[peer];
  if (now > last) last = now;
  // Forget devices long gone, so a day of passers-by does not pile up.
  if (lastSeen_.size() > 64) {
    for (auto it = lastSeen_.begin(); it != lastSeen_.end();)
      it = now - it->second >= kDeviceWindowSeconds ? lastSeen_.erase(it) : std::next(it);
  }
}

int LiveDevices::Count(std::int64_t now) const {
  std::lock_guard<std::mutex> lock(mutex_);
  int n = 0;
  for (const auto& [peer, last] : lastSeen_)
    if (now - last < kDeviceWindowSeconds) ++n;
  return n;
}

bool IsLoopbackPeer(const std::string& peer) {
  std::string p = peer;
  if (p.size() >= 2 && p.front() == '[' && p.back() == ']') p = p.substr(1, p.size() - 2);
  for (auto& c : p) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (p == "::1" || p == "0:0:0:0:0:0:0:1") return true;
  for (const char* prefix : {"::ffff:", "0:0:0:0:0:ffff:"})
    if (p.rfind(prefix, 0) == 0) {
      p = p.substr(std::string(prefix).size());
      break;
    }
  // IPv4 dotted quad with a first part of 127.
  int parts = 0;
  size_t pos = 0;
  int first = -1;
  while (pos <= p.size()) {
    size_t dot = p.find('.', pos);
    if (dot == std::string::npos) dot = p.size();
    std::string part = p.substr(pos, dot - pos);
    if (part.empty() || part.size() > 3 || part.find_first_not_of("0123456789") != std::string::npos) return false;
    int v = std::atoi(part.c_str());
    if (v > 255) return false;
    if (parts == 0) first = v;
    ++parts;
    pos = dot + 1;
  }
  return parts == 4 && first == 127;
}

}  // namespace velgram
