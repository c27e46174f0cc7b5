#pragma once
// The client of the maker's web API: enciphered JSON requests posted over
// HTTPS, one at a time for the whole process.
#include <atomic>
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "online/tickets.h"
#include "support/clock.h"

namespace velgram {

enum WebApiAction { kGetTickets = 2, kPutTicket = 5, kGetTicketHistory = 6, kReplyTicket = 7 };

// Where a call goes and what may stop it. The defaults are the program's;
// tests give their own clock and sleeper so that retries take no time.
struct WebApiContext {
  std::string endpoint;  // https://...
  std::string caFile;    // one extra trusted certificate (PEM) besides the system's; may be empty
  const Clock* clock = nullptr;                 // the local date of the key; nullptr: the system clock
  std::function<void(int milliseconds)> sleep;  // empty: real waits, cut short by cancel
  const std::atomic<bool>* cancel = nullptr;    // set by a closing dialog: the transfer is aborted
  size_t maxAnswerBytes = 4u << 20;
  long timeoutMs = 30000;  // the whole transfer of one attempt
};

struct WebApiArgs {
  std::string email;
  std::string subject;
  std::string question;
  int idTicket = 0;
};

// Why an exchange failed, for what the screens tell the user.
enum class WebApiFailure {
  kNone,
  kUnreachable,  // no answer, or none the desk could have given (wrong server, wrong key)
  kRefused,      // the desk answered with an error code
  kCancelled,    // stopped by its dialog; nobody reads the result
};

struct WebApiResult {
  std::string status;  // "OK" or an "ERROR: ..." text
  WebApiFailure failure = WebApiFailure::kNone;
  std::vector<Ticket> tickets;
  std::vector<TicketMessage> messages;
  bool Ok() const { return status == "OK"; }
};

inline constexpr const char* kDeskUnreachable =
    "De helpdesk is niet bereikbaar; controleer de internetverbinding en het serveradres in Instellingen > "
    "Ondersteuning.";
inline constexpr const char* kDeskRefused = "De helpdesk heeft het verzoek geweigerd.";

// What a support window shows for a failed exchange: one Dutch sentence the
// user can act on, above the status text as the client gave it. "" for
// success.
std::string FailureReport(const WebApiResult& result);

// Sets the transport library up, once per process. A caller that keeps
// objects alive at exit which must outlast a running transfer calls it before
// building them: exit handlers run in reverse order, so the library's own
// clean-up then comes after theirs.
void InitWebTransport();

// The one entry point: takes the process-wide lock, posts the action's
// request and fills result. Never throws.
void CallWebApi(int action, const WebApiArgs& args, WebApiResult& result, const WebApiContext& ctx);

// The transport: five attempts at most. Returns the answer (without a UTF-8
// byte-order mark) with error 0, or "GetHttp error %d\n%s" with the error
// number and text of the last attempt.
std::string PostToApi(const std::string& body, int& error, std::string& errorText, const WebApiContext& ctx);

// Pieces of the request, open for the tests.
std::string EscapeJsonText(std::string_view text);
std::string BuildRequest(int action, const WebApiArgs& args);  // empty for an unknown action
std::string Encipher(const std::string& plain, const DateTime& localDate);
bool Decipher(const std::string& body, const DateTime& localDate, std::string& plain);

// The page a busy server answers with; after it the client waits longer.
inline constexpr const char* kForbiddenTitle = "<title>403 - Forbidden: Access is denied.</title>";

}  // namespace velgram
