#pragma once
// What the support screens share: the user's address and the desk's server
// from the settings, the worker that runs one exchange with the web API, and
// the time display of received messages.
#include <QObject>
#include <QString>
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "online/webapi.h"

class QWidget;

namespace velgram {

class CVelgramApp;
class Database;
class Prompter;

inline constexpr const char* kSettingSupportEmail = "SupportEmail";
inline constexpr const char* kSettingSupportServer = "SupportServer";
inline constexpr const char* kSettingSupportCaFile = "SupportCAFile";

struct SupportDesk {
  std::string email;
  WebApiContext api;
  Prompter* prompter = nullptr;
  const Clock& Now() const { return api.clock ? *api.clock : DefaultClock(); }
};

// True when both the e-mail address and the server are set.
bool SupportDeskConfigured(Database& db);
SupportDesk SupportDeskFromSettings(Database& db, Prompter& prompter);

// "Gesteld" and "Datum/Tijd": the time of day below 24 hours, else the date
// in the user's locale.
QString ReceivedText(const DateTime& nowLocal, const DateTime& received);
// The date and time in the user's locale.
QString ReceivedDateTimeText(const DateTime& received);
// A text of the desk with its line-break markers as line breaks.
QString DeskText(const std::string& cp1252);

// One exchange with the web API on a worker thread. The result reaches the
// window through a lock and a queued call; when the window stops the
// exchange (or goes), the worker's transfer is aborted and its result dropped,
// so a closing window never waits for the network.
class SupportExchange {
 public:
  using Done = std::function<void(const WebApiResult&)>;
  // owner names the window in the log ("LDlgTickets").
  SupportExchange(const char* owner, QObject* window) : owner_(owner), window_(window) {}
  ~SupportExchange() { Stop(); }
  SupportExchange(const SupportExchange&) = delete;
  SupportExchange& operator=(const SupportExchange&) = delete;

  void Start(int action, const WebApiArgs& args, const WebApiContext& ctx, Done done);
  void Stop();
  bool Running() const { return shared_ != nullptr; }

 private:
  struct Shared {
    std::mutex lock;  // guards result and wanted
    WebApiResult result;
    bool wanted = true;
    std::atomic<bool> cancel{false};
  };
  void Deliver(const std::shared_ptr<Shared>& shared);

  const char* owner_;
  QObject* window_;
  std::shared_ptr<Shared> shared_;
  Done done_;
};

// "Stel een vraag" of the main window: the settings first when they are
// missing, then the list of questions.
void AskSupportDesk(CVelgramApp& app, QWidget* parent);
// "Instellingen" > "Ondersteuning".
void EditSupportSettings(CVelgramApp& app, QWidget* parent);

}  // namespace velgram
