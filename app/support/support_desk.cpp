#include "app/support/support_desk.h"

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <QTime>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>

#include "app/shell/app.h"
#include "app/shell/qtext.h"
#include "app/support/dlg_settingssupport.h"
#include "app/support/dlg_tickets.h"
#include "store/database.h"
#include "support/log.h"

namespace velgram {

namespace {

// The moment an exchange starts, for the worker: the window's clock may be
// gone by the time a worker that was told to stop gets round to it.
class FrozenClock : public Clock {
 public:
  explicit FrozenClock(const Clock& clock) : unix_(clock.NowUnix()), local_(clock.NowLocal()), utc_(clock.NowUtc()) {}
  int64_t NowUnix() const override { return unix_; }
  DateTime NowLocal() const override { return local_; }
  DateTime NowUtc() const override { return utc_; }

 private:
  int64_t unix_;
  DateTime local_, utc_;
};

// Workers of closed dialogs may still be inside a transfer (or loading the
// trust store) when the program ends, and the TLS library tears itself down at
// exit under their feet. The exit therefore waits until they are out; they
// were told to stop, so that is a matter of milliseconds, and a hung one
// cannot hold the exit longer than the bound.
class RunningWorkers {
 public:
  static RunningWorkers& Get() {
    InitWebTransport();  // its exit handler is registered first, so it runs after ours
    static RunningWorkers workers;
    return workers;
  }
  void Enter() {
    std::lock_guard<std::mutex> guard(lock_);
    ++count_;
  }
  void Leave() {
    std::lock_guard<std::mutex> guard(lock_);
    if (--count_ == 0) idle_.notify_all();
  }
  ~RunningWorkers() {
    std::unique_lock<std::mutex> guard(lock_);
    idle_.wait_for(guard, std::chrono::seconds(5), [this] { return count_ == 0; });
  }

 private:
  std::mutex lock_;
  std::condition_variable idle_;
  int count_ = 0;
};

constexpr const char* kSettingsFirst =
    "Vul eerst je e-mailadres en het adres van de server van de helpdesk in.\n"
    "Aan je e-mailadres herkent de helpdesk je vragen, en daarheen gaat ook het antwoord.";

}  // namespace

bool SupportDeskConfigured(Database& db) {
  return !db.GetSetting(kSettingSupportEmail).empty() && !db.GetSetting(kSettingSupportServer).empty();
}

SupportDesk SupportDeskFromSettings(Database& db, Prompter& prompter) {
  SupportDesk desk;
  desk.email = db.GetSetting(kSettingSupportEmail);
  desk.api.endpoint = db.GetSetting(kSettingSupportServer);
  desk.api.caFile = db.GetSetting(kSettingSupportCaFile);
  desk.prompter = &prompter;
  return desk;
}

QString ReceivedText(const DateTime& nowLocal, const DateTime& received) {
  if (ShowsTimeOfDay(nowLocal, received)) return ToQt(TimeOfDayText(received));
  return QLocale().toString(QDate(received.year, received.month, received.day), QLocale::ShortFormat);
}

QString ReceivedDateTimeText(const DateTime& r) {
  QDateTime t(QDate(r.year, r.month, r.day), QTime(r.hour, r.minute, r.second));
  return QLocale().toString(t, QLocale::ShortFormat);
}

QString DeskText(const std::string& cp1252) { return ToQt(FromLineBreakMarkers(cp1252)); }

void SupportExchange::Start(int action, const WebApiArgs& args, const WebApiContext& ctx, Done done) {
  Stop();
  auto shared = std::make_shared<Shared>();
  shared_ = shared;
  done_ = std::move(done);
  QObject* window = window_;
  const char* owner = owner_;
  auto clock = std::make_shared<FrozenClock>(ctx.clock ? *ctx.clock : DefaultClock());
  WebApiContext api = ctx;
  api.cancel = &shared->cancel;
  api.clock = clock.get();
  RunningWorkers& workers = RunningWorkers::Get();
  workers.Enter();
  std::thread([shared, clock, window, owner, action, args, api, this, &workers] {
    struct Leaving {
      RunningWorkers& workers;
      ~Leaving() { workers.Leave(); }
    } leaving{workers};
    try {
      // Below normal, as every worker of the program: the window comes first.
      setpriority(PRIO_PROCESS, static_cast<id_t>(syscall(SYS_gettid)), 5);
      WebApiResult result;
      CallWebApi(action, args, result, api);
      std::lock_guard<std::mutex> guard(shared->lock);
      shared->result = std::move(result);
      // Posted under the lock: Stop() takes it too, so the window cannot
      // drop the exchange between this check and the post. A window that is
      // deleted later takes its pending calls with it.
      if (shared->wanted)
        QMetaObject::invokeMethod(window, [this, shared] { Deliver(shared); }, Qt::QueuedConnection);
    } catch (const std::exception& e) {
      Log("%s::StartThread  EXCEPTION: %s", owner, e.what()[0] ? e.what() : "Unknown exception");
    } catch (...) {
      Log("%s::StartThread  EXCEPTION", owner);
    }
  }).detach();
}

void SupportExchange::Deliver(const std::shared_ptr<Shared>& shared) {
  if (shared != shared_) return;  // a later exchange took its place
  WebApiResult result;
  {
    std::lock_guard<std::mutex> guard(shared->lock);
    result = shared->result;
  }
  shared_.reset();
  Done done = done_;
  if (done) done(result);
}

void SupportExchange::Stop() {
  if (!shared_) return;
  {
    std::lock_guard<std::mutex> guard(shared_->lock);
    shared_->wanted = false;
    shared_->cancel = true;
  }
  shared_.reset();
}

void AskSupportDesk(CVelgramApp& app, QWidget* parent) {
  if (!SupportDeskConfigured(app.Db())) {
    LDlgSettingsSupport settings(app.Db(), app.Prompt(), QString::fromUtf8(kSettingsFirst), parent);
    if (settings.exec() != QDialog::Accepted) return;
  }
  LDlgTickets dlg(SupportDeskFromSettings(app.Db(), app.Prompt()), parent);
  dlg.exec();
}

void EditSupportSettings(CVelgramApp& app, QWidget* parent) {
  LDlgSettingsSupport dlg(app.Db(), app.Prompt(), QString(), parent);
  dlg.exec();
}

}  // namespace velgram
