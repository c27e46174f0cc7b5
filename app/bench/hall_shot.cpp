// Draws the hall display of a made-up tournament in play (a round robin, a
// Swiss pool in its second round and a knockout) at full HD and writes each
// page as a PNG: hall_shot <folder>. Run under Xvfb for the screenshots.
#include <QApplication>
#include <QDir>
#include <random>

#include "app/display/fly_hall.h"
#include "bench/bench_tournament.h"
#include "app/shell/app.h"
#include "app/shell/mainwindow.h"
#include "competition/dropout.h"
#include "competition/matchbook.h"
#include "competition/poule.h"
#include "competition/swiss.h"
#include "support/clock.h"
#include "support/prompt.h"

using namespace velgram;

namespace {

// The wall clock with a hand that can be put forward, to turn the pages.
class ForwardClock : public Clock {
 public:
  int64_t NowUnix() const override { return DefaultClock().NowUnix() + offset; }
  DateTime NowLocal() const override { return DefaultClock().NowLocal(); }
  DateTime NowUtc() const override { return DefaultClock().NowUtc(); }
  int64_t offset = 0;
};

class SilentPrompter : public Prompter {
 public:
  void Alert(const std::string&) override {}
  bool Confirm(const std::string&) override { return true; }
};

}  // namespace

int main(int argc, char** argv) {
  QApplication qt(argc, argv);
  QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
  QString dbPath = QDir::temp().filePath(QStringLiteral("hall_shot.db"));
  QFile::remove(dbPath);
  CVelgramApp app(dbPath.toStdString());
  SilentPrompter prompter;
  app.SetPrompter(&prompter);
  Database& db = app.Db();
  db.SetSetting("PouleActivateWarning", "No");
  int t = db.AddToernooi("Open Zaalkampioenschap 2026");
  app.OpenToernooi(t);
  db.SetSetting("MatchesClub" + std::to_string(t), "1");
  std::mt19937 rng(11);

  const char* clubs[] = {"TTV Smash", "De Batjes", "Tafeltennis Noord", "Spin Zwolle", "TTC Oranje"};
  int heren = bench::AddClass(db, t, "Heren A");
  int poule = bench::AddPool(db, heren, "Poule 1", "1-3", kPlaystylePoule, "", 930);
  const char* men[] = {"Jan de Vries", "Pieter Bakker", "Kees Jansen", "Henk Visser", "Willem Smit", "Bram Mulder"};
  std::vector<int> ids;
  for (int i = 0; i < 6; ++i) ids.push_back(bench::AddPlayer(db, t, men[i], clubs[i % 5], 1800 - 40 * i));
  bench::Seat(db, poule, ids);
  StartPoule(db, prompter, poule);
  std::vector<MatchRecord> list;
  db.ListMatches(poule, list);
  for (size_t i = 0; i < 7; ++i) db.RecordResult(list[i].id, static_cast<int>(rng() % 2), {}, false);

  int dames = bench::AddClass(db, t, "Dames");
  int swiss = bench::AddPool(db, dames, "Zwitsers", "4-9", kPlaystyleSwiss, "", 1000);
  const char* women[] = {"Anna Kok",     "Sanne de Boer", "Lotte Peters", "Eva Hendriks", "Iris Dekker",
                         "Femke Bos",    "Noor Vos",      "Julia Meijer", "Sophie Brouwer", "Lisa de Graaf",
                         "Emma van Dijk", "Tess Koster"};
  ids.clear();
  for (int i = 0; i < 12; ++i) ids.push_back(bench::AddPlayer(db, t, women[i], clubs[(i + 2) % 5], 1700 - 30 * i));
  bench::Seat(db, swiss, ids);
  for (int round = 1; round <= 2; ++round) {
    LSwiss s;
    PoolRecord row;
    db.GetPool(swiss, row);
    s.FillFrom(row);
    s.AttachDatabase(&db);
    s.CalculateNextRound(db, DefaultClock(), nullptr);
    if (round == 1) {
      db.ListMatches(swiss, list);
      for (const MatchRecord& m : list) db.RecordResult(m.id, static_cast<int>(rng() % 2), {}, false);
    }
  }
  db.ListMatches(swiss, list);
  db.RecordResult(list.back().id, 0, {}, false);

  int jeugd = bench::AddClass(db, t, "Jeugd");
  int ko = bench::AddPool(db, jeugd, "Afval", "10-12", kPlaystyleDropout, "{ \"dimension\":8 }", 1100);
  const char* kids[] = {"Daan Wit", "Sem Hoek", "Finn Stam", "Luuk Berg", "Milan Roos", "Thijs Kuipers", "Ruben Lam"};
  ids.clear();
  for (int i = 0; i < 7; ++i) ids.push_back(bench::AddPlayer(db, t, kids[i], clubs[(i + 4) % 5], 1200 - 20 * i));
  bench::Seat(db, ko, ids);
  bench::StartKnockout(db, prompter, ko);
  db.ListMatches(ko, list);
  db.RecordResult(list[1].id, 1, {}, false);

  CVelgramDlg window(app);
  window.StartTimer().stop();
  ForwardClock clock;
  LFlyHallDisplay display(app, clock);
  display.resize(1920, 1080);
  display.show();
  display.Reload();
  display.Tick();
  for (int page = 0; page < display.PageCount(); ++page) {
    qt.processEvents();
    display.grab().save(QDir(folder).filePath(QStringLiteral("hall_display_%1.png").arg(page + 1)));
    clock.offset += 3600;
    display.Tick();
  }
  return 0;
}
