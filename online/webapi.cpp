#include "online/webapi.h"

#include <curl/curl.h>

#include <chrono>
#include <exception>
#include <filesystem>
#include <mutex>
#include <thread>

#include "online/key_material.h"
#include "support/ljson.h"
#include "support/log.h"
#include "support/text.h"

namespace velgram {

namespace {

constexpr int kAttempts = 5;
constexpr int kForbiddenWaitMs = 5000;
constexpr int kRetryWaitMs = 100;
constexpr const char* kUserAgent = "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.1)";
constexpr const char* kSystemCaFolder = "/etc/ssl/certs";

bool Cancelled(const WebApiContext& ctx) { return ctx.cancel && ctx.cancel->load(); }

// Never destroyed: a worker of a closed dialog may still hold it while the
// process ends.
std::timed_mutex& ApiLock() {
  static auto* lock = new std::timed_mutex;
  return *lock;
}

void InitCurl() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

}  // namespace

void InitWebTransport() { InitCurl(); }

namespace {

void Wait(const WebApiContext& ctx, int ms) {
  if (ctx.sleep) {
    ctx.sleep(ms);
    return;
  }
  auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (!Cancelled(ctx) && std::chrono::steady_clock::now() < until)
    std::this_thread::sleep_for(std::chrono::milliseconds(std::min(ms, 20)));
}

struct Transfer {
  std::string* answer;
  const WebApiContext* ctx;
  bool tooLarge = false;
};

size_t OnData(char* data, size_t size, size_t count, void* user) {
  auto* t = static_cast<Transfer*>(user);
  size_t n = size * count;
  if (t->answer->size() + n > t->ctx->maxAnswerBytes) {
    t->tooLarge = true;
    return 0;  // curl ends the transfer with a write error
  }
  t->answer->append(data, n);
  return n;
}

int OnProgress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
  return Cancelled(*static_cast<Transfer*>(user)->ctx) ? 1 : 0;
}

// One POST. True for a usable answer; otherwise error and errorText say why.
bool Attempt(const std::string& body, std::string& answer, int& error, std::string& errorText,
             const WebApiContext& ctx) {
  CURLU* url = curl_url();
  if (!url) {
    error = CURLE_OUT_OF_MEMORY;
    errorText = "Out of memory";
    return false;
  }
  std::unique_ptr<CURLU, decltype(&curl_url_cleanup)> urlGuard(url, &curl_url_cleanup);
  if (CURLUcode uc = curl_url_set(url, CURLUPART_URL, ctx.endpoint.c_str(), 0); uc != CURLUE_OK) {
    error = static_cast<int>(uc);
    errorText = "Parsing error";
    return false;
  }
  CURL* curl = curl_easy_init();
  if (!curl) {
    error = CURLE_FAILED_INIT;
    errorText = "curl_easy_init failed";
    return false;
  }
  std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> curlGuard(curl, &curl_easy_cleanup);
  curl_slist* headers = nullptr;
  for (const char* h : {"Content-Type: application/x-www-form-urlencoded", "Accept: */*", "Cache-Control: no-cache",
                        "Pragma: no-cache", "Connection: Keep-Alive", "Expect:"})
    headers = curl_slist_append(headers, h);
  std::unique_ptr<curl_slist, decltype(&curl_slist_free_all)> headerGuard(headers, &curl_slist_free_all);

  Transfer transfer{&answer, &ctx};
  char message[CURL_ERROR_SIZE] = {0};
  curl_easy_setopt(curl, CURLOPT_CURLU, url);
  curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "https");
  curl_easy_setopt(curl, CURLOPT_POST, 1L);
  curl_easy_setopt(curl, CURLOPT_POSTFIELDS, body.data());
  curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body.size()));
  curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
  curl_easy_setopt(curl, CURLOPT_USERAGENT, kUserAgent);
  curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 0L);
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 1L);
  curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 2L);
  if (!ctx.caFile.empty()) {
    // The extra file takes the place of curl's bundle; the system's
    // certificates stay trusted through their folder.
    curl_easy_setopt(curl, CURLOPT_CAINFO, ctx.caFile.c_str());
    std::error_code ec;
    if (std::filesystem::is_directory(kSystemCaFolder, ec)) curl_easy_setopt(curl, CURLOPT_CAPATH, kSystemCaFolder);
  }
  curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, ctx.timeoutMs);
  curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, std::min(ctx.timeoutMs, 10000L));
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &OnData);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &transfer);
  curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
  curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, &OnProgress);
  curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &transfer);
  curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, message);

  CURLcode rc = curl_easy_perform(curl);
  if (rc != CURLE_OK) {
    error = static_cast<int>(rc);
    if (transfer.tooLarge)
      errorText = Format("Answer longer than %zu bytes", ctx.maxAnswerBytes);
    else if (rc == CURLE_ABORTED_BY_CALLBACK)
      errorText = "Cancelled";
    else
      errorText = message[0] ? message : curl_easy_strerror(rc);
    return false;
  }
  long status = 0;
  curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
  if (status == 407) {
    error = 407;
    errorText = "HTTP_STATUS_PROXY_AUTH_REQ";
    return false;
  }
  if (status == 401) {
    error = 401;
    errorText = "HTTP_STATUS_DENIED";
    return false;
  }
  if (status < 200 || status > 299) {
    error = static_cast<int>(status);
    errorText = Format("HTTP status %ld", status);
    return false;
  }
  if (answer.find(kForbiddenTitle) != std::string::npos) {
    error = 403;
    errorText = "HTTP status 403";
    return false;
  }
  return true;
}

}  // namespace

std::string PostToApi(const std::string& body, int& error, std::string& errorText, const WebApiContext& ctx) {
  InitCurl();
  std::string answer;
  error = 0;
  errorText.clear();
  for (int attempt = 1; attempt <= kAttempts; ++attempt) {
    answer.clear();
    error = 0;
    errorText.clear();
    if (Attempt(body, answer, error, errorText, ctx)) break;
    if (error == 0) error = -1;  // a failure always carries a number
    if (attempt == kAttempts || Cancelled(ctx)) break;
    Wait(ctx, answer.find(kForbiddenTitle) != std::string::npos ? kForbiddenWaitMs : kRetryWaitMs);
    if (Cancelled(ctx)) break;
  }
  if (error != 0) return Format("GetHttp error %d\n%s", error, errorText.c_str());
  if (answer.size() > 3 && answer.compare(0, 3, "\xEF\xBB\xBF") == 0) answer.erase(0, 3);
  return answer;
}

std::string EscapeJsonText(std::string_view text) {
  std::string out;
  out.reserve(text.size() + 8);
  for (size_t k = 0; k < text.size(); ++k) {
    unsigned char c = static_cast<unsigned char>(text[k]);
    switch (c) {
      case '\\': out += "\\\\"; break;
      case '"': out += "\\\""; break;
      case '\n': out += "[LINEBREAK]"; break;
      case '\r':
        if (k + 1 < text.size() && text[k + 1] == '\n') {
          out += "[LINEBREAK]";
          ++k;
        } else {
          out += "\\r";
        }
        break;
      case '\t': out += "\\t"; break;
      case '\b': out += "\\b"; break;
      case '\f': out += "\\f"; break;
      default:
        // Any other control character would end the JSON string early or
        // make the request unreadable.
        if (c < 0x20)
          out += Format("\\u%04x", c);
        else
          out += static_cast<char>(c);
    }
  }
  return out;
}

std::string BuildRequest(int action, const WebApiArgs& a) {
  switch (action) {
    case kGetTickets:
      return Format("{ \"action\":\"GetTickets\", \"email\":\"%s\" }", EscapeJsonText(a.email).c_str());
    case kGetTicketHistory:
      return Format("{ \"action\":\"GetTicketHistory\", \"idTicket\":\"%d\" }", a.idTicket);
    case kPutTicket:
      return Format("{ \"action\":\"PutTicket\", \"email\":\"%s\", \"subject\":\"%s\", \"question\":\"%s\" }",
                    EscapeJsonText(a.email).c_str(), EscapeJsonText(a.subject).c_str(),
                    EscapeJsonText(a.question).c_str());
    case kReplyTicket:
      return Format("{ \"action\":\"ReplyTicket\", \"idTicket\":%d, \"question\":\"%s\" }", a.idTicket,
                    EscapeJsonText(a.question).c_str());
    default:
      return {};
  }
}

std::string Encipher(const std::string& plain, const DateTime& localDate) {
  Md5Digest key = DailyKey(localDate.year, localDate.month, localDate.day);
  std::string bytes = plain;
  Rc4(key.data(), key.size()).Apply(bytes);
  return Base64Encode(bytes);
}

bool Decipher(const std::string& body, const DateTime& localDate, std::string& plain) {
  if (!Base64Decode(body, plain)) return false;
  Md5Digest key = DailyKey(localDate.year, localDate.month, localDate.day);
  Rc4(key.data(), key.size()).Apply(plain);
  return true;
}

void CallWebApi(int action, const WebApiArgs& args, WebApiResult& result, const WebApiContext& ctx) {
  result = WebApiResult{};
  try {
    std::unique_lock<std::timed_mutex> lock(ApiLock(), std::defer_lock);
    // A closed dialog's worker stops waiting for the lock instead of posting
    // a request nobody reads.
    while (!lock.try_lock_for(std::chrono::milliseconds(20)))
      if (Cancelled(ctx)) {
        result.status = "ERROR: Cancelled";
        result.failure = WebApiFailure::kCancelled;
        return;
      }
    std::string request = BuildRequest(action, args);
    if (request.empty()) {
      result.status = Format("ERROR: Unknown action %d", action);
      result.failure = WebApiFailure::kRefused;
      return;
    }
    const Clock& clock = ctx.clock ? *ctx.clock : DefaultClock();
    DateTime today = clock.NowLocal();
    int error = 0;
    std::string errorText;
    std::string answer = PostToApi(Encipher(request, today), error, errorText, ctx);
    if (error != 0) {
      result.status = Format("ERROR: %d. %s", error, answer.c_str());
      // A transfer its dialog stopped did not fail: the user closed the window.
      result.failure = Cancelled(ctx) ? WebApiFailure::kCancelled : WebApiFailure::kUnreachable;
      if (result.failure != WebApiFailure::kCancelled) Log("%s", result.status.c_str());
      return;
    }
    std::string plain;
    if (!Decipher(answer, today, plain)) {
      result.status = "ERROR: Invalid response";
      result.failure = WebApiFailure::kUnreachable;
      return;
    }
    Ljson json(plain);
    int errorcode = 0;
    // An answer that does not say it succeeded is not taken as success.
    if (!json.IsValid() || !json.GetInt("errorcode", errorcode)) {
      result.status = "ERROR: Invalid response";
      result.failure = WebApiFailure::kUnreachable;
      return;
    }
    if (errorcode != 0) {
      result.status = Format("ERROR: errorcode=%d", errorcode);
      result.failure = WebApiFailure::kRefused;
      std::string message;
      if (json.GetString("errormessage", message)) result.status += "  " + message;
      return;
    }
    if (action == kGetTickets) result.tickets = ReadTickets(json);
    if (action == kGetTicketHistory) result.messages = ReadTicketMessages(json);
    result.status = "OK";
  } catch (const std::exception& e) {
    result.status = Format("ERROR: %s", e.what());
    result.failure = WebApiFailure::kUnreachable;
    Log("CallWebApi  EXCEPTION: %s", e.what());
  }
}

std::string FailureReport(const WebApiResult& result) {
  switch (result.failure) {
    case WebApiFailure::kNone:
      return {};
    case WebApiFailure::kRefused:
      return std::string(kDeskRefused) + "\n" + result.status;
    default:
      return std::string(kDeskUnreachable) + "\n" + result.status;
  }
}

}  // namespace velgram
