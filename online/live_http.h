#pragma once
// The request rules of the hall's live server, apart from any network code so
// that the server stays a thin adaptor: which paths exist, conditional
// requests, the headers every answer carries, the limits, and the count of
// devices seen.
#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "competition/live_snapshot.h"
#include "competition/table_entry.h"

namespace velgram {

struct LiveAsset {  // the pages: "/", "/live.js", "/live.css"
  std::string contentType;
  std::string body;
};

struct LiveRequest {
  std::string method, path, ifNoneMatch;  // path without host, may have a query
  // What only entry at the tables reads: the raw Cookie and Content-Type
  // headers, the body, and the peer's address (for the failed-token guard).
  // Defaulted, so that a request of the read-only routes may leave them out.
  std::string cookie = {}, contentType = {}, body = {}, peer = {};
};

struct LiveReply {
  int status = 200;
  std::string contentType;
  std::string body;
  std::vector<std::pair<std::string, std::string>> headers;
  std::optional<TableEntry> entry;  // sent from a table and passed: the server hands it to the desk
};

// GET/HEAD only (else 405). "/" and the asset names from `assets`;
// "/data/<name>" from docs (ETag "\"<version>\"", If-None-Match equal -> 304
// with no body; Cache-Control: no-cache for data, a short max-age for
// assets). Anything else 404. Never touches the file system; a path with
// "..", "%", "\\" or control characters is 404. Security headers on every
// reply: X-Content-Type-Options: nosniff, Content-Security-Policy:
// default-src 'self', Referrer-Policy: no-referrer.
LiveReply AnswerLive(const LiveRequest& request, const LiveDocuments* docs,
                     const std::map<std::string, LiveAsset>& assets);

// Pieces of AnswerLive that entry at the tables shares: whether an
// If-None-Match header names the tag, and the security headers.
bool LiveTagMatches(const std::string& ifNoneMatch, const std::string& tag);
void AddLiveSecurityHeaders(LiveReply& reply);

// Limits the server enforces.
inline constexpr int kLiveMaxRequestBytes = 8 * 1024;  // request line, headers and body together
inline constexpr int kLiveMaxHeaderBytes = 4 * 1024;   // the headers alone
inline constexpr int kLiveMaxConnections = 512;
inline constexpr int kLiveRequestSeconds = 10;  // a request not complete by then is dropped

// Devices seen in the last minute, by peer address; thread-safe; time in
// seconds, given by the caller.
class LiveDevices {
 public:
  void Seen(const std::string& peer, std::int64_t now);
  int Count(std::int64_t now) const;

 private:
  mutable std::mutex mutex_;
  std::map<std::string, std::int64_t> lastSeen_;  // peer -> last time seen
};

// Only the desk's own machine: true for loopback addresses (127.0.0.0/8, ::1,
// ::ffff:127.x).
bool IsLoopbackPeer(const std::string& peer);

}  // namespace velgram
