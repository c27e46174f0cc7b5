#pragma once
// The request rules of entry at the tables: a table's card opens its page,
// the page reads its table's document and sends what was played. The card's
// token is the only secret; after the first visit it travels in a cookie and
// never in an address, and a peer that keeps guessing is shut out for a
// while. What a table sends is checked against the match's rules here, so the
// umpire hears of a mistake at once, and is then handed to the desk, which
// decides again and stays the one writer.
#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <string>

#include "online/live_http.h"

namespace velgram {

inline constexpr const char* kTableCookie = "velgram_tafel";
inline constexpr int kTokenMaxFailures = 10;                   // per peer, in the window below
inline constexpr std::int64_t kTokenFailureWindowSeconds = 600;  // ten minutes
inline constexpr int kTableCookieSeconds = 7 * 24 * 3600;     // a week: a tournament and then some

// Failed tokens per peer address: after kTokenMaxFailures within the window
// the peer is refused until the oldest of them is a window old. Thread-safe;
// time in seconds, given by the caller.
class TableTokenGuard {
 public:
  // Seconds the peer must still wait; 0 when it may try.
  std::int64_t BlockedFor(const std::string& peer, std::int64_t now) const;
  void Failed(const std::string& peer, std::int64_t now);

 private:
  mutable std::mutex mutex_;
  std::map<std::string, std::deque<std::int64_t>> failures_;  // peer -> its last failures, oldest first
};

// The paths of entry at the tables: "/t/<token>", "/tafel", "/tafel.js",
// "/tafel.css" and everything under "/tafel/".
bool IsTableRoute(const std::string& path);

// Answers a table route (see IsTableRoute); request.peer and request.cookie
// are used. Every route is 404 while entry at the tables is off (no tokens
// in docs) and 429 while the guard refuses the peer.
// - "/t/<token>" (GET/HEAD): a known token sets the cookie and sends the
//   browser on to "/tafel"; an unknown one is 404 and a failure.
// - "/tafel", "/tafel.js", "/tafel.css" (GET/HEAD): the page from assets.
// - "/tafel/data" (GET/HEAD): the cookie's table document, with ETag/304 as
//   "/data/<name>"; no cookie, or an unknown token (a failure), is 401.
// - "/tafel/uitslag" (POST): a JSON entry of at most kTableEntryMaxBytes; an
//   entry for the table's current or next match must pass that match's
//   rules (422 with their message). An entry that passes is 202 and is in
//   reply.entry, to be handed to the desk.
// The security headers of AnswerLive on every reply.
LiveReply AnswerTable(const LiveRequest& request, const LiveDocuments* docs,
                      const std::map<std::string, LiveAsset>& assets, TableTokenGuard& guard,
                      std::int64_t now);

// Every path of the hall's server: table routes through AnswerTable, the
// rest through AnswerLive.
LiveReply AnswerHall(const LiveRequest& request, const LiveDocuments* docs,
                     const std::map<std::string, LiveAsset>& assets, TableTokenGuard& guard,
                     std::int64_t now);

// The answer instead of 202 when the desk takes no entries (no receiver).
LiveReply TableEntryNotTaken();

}  // namespace velgram
