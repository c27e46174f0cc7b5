// The director's desk for the browser test of the live pages: the main window
// with a tournament in play (a round robin, a Swiss pool in its second round,
// a knockout) served by its live server on the port given, while commands on
// stdin enter results the way the desk does (stored through the core, then the
// main window's change notice) and stop or start the server:
//   live_desk_driver <port> [database file]
//   uitslag <idMatch> <games1>-<games2>  ->  "ok" | "fout <reason>"
//   stop | start | quit                   ->  "ok" | "fout <reason>"
// Entry at the tables is on and accepts at once. On start it prints
// "poule <idPool> <soort>" for each pool, "tafel <n> <token>" for each table,
// "database <file>", then "klaar".
#include <QApplication>
#include <QDir>
#include <cstdio>
#include <iostream>
#include <thread>

#include "app/live/live_desk.h"
#include "app/shell/app.h"
#include "app/shell/mainwindow.h"
#include "bench/bench_tournament.h"
#include "common/fakes.h"
#include "competition/match_rules.h"
#include "competition/matchbook.h"
#include "competition/poule.h"
#include "competition/swiss_screen.h"
#include "competition/table_entry.h"

using namespace velgram;

namespace {

void Say(const std::string& line) {
  std::fputs((line + "\n").c_str(), stdout);
  std::fflush(stdout);
}

struct Pools {
  int poule = -1, swiss = -1, knockout = -1;
};

// A result as "3-1" is entered game by game, as the desk does with the
// standard match system: the loser's games first, the winner's last. A game's
// code is the loser's points plus one, negative when the second side won.
ResultDecision GamesWon(Database& db, int idPool, int games1, int games2) {
  const int first = games1 < games2 ? 0 : 1;  // the side whose games come first
  const int counts[2] = {games1, games2};
  std::vector<int> codes;
  for (int side : {first, 1 - first})
    for (int g = 0; g < counts[side]; ++g) {
      const int loserPoints = 5 + (3 * g + side) % 5;  // 5 to 9: real-looking scores
      codes.push_back(side == 0 ? loserPoints + 1 : -(loserPoints + 1));
    }
  return DecideGameByGame(EffectiveMatchSystem(db, idPool), codes);
}

// The tournament of the screenshots: real-looking names, part of it played.
Pools MakeTournament(Database& db, Prompter& prompter, int idToernooi) {
  const char* clubs[] = {"TTV Smash", "De Batjes", "Tafeltennis Noord", "Spin Zwolle", "TTC Oranje"};
  Pools pools;
  std::vector<MatchRecord> list;
  auto seat = [&](int idPool, std::vector<const char*> names, int club, int rating, int step) {
    std::vector<int> ids;
    for (size_t i = 0; i < names.size(); ++i)
      ids.push_back(bench::AddPlayer(db, idToernooi, names[i], clubs[(i + club) % 5], rating - step * int(i)));
    bench::Seat(db, idPool, ids);
  };

  auto pool = [&](const char* cls, const char* name, const char* tables, int style, const std::string& extra, int at) {
    return bench::AddPool(db, bench::AddClass(db, idToernooi, cls), name, tables, style, extra, at);
  };
  pools.poule = pool("Heren A", "Poule 1", "1-3", kPlaystylePoule, "", 930);
  seat(pools.poule, {"Jan de Vries", "Pieter Bakker", "Kees Jansen", "Henk Visser", "Willem Smit"}, 0, 1800, 40);
  StartPoule(db, prompter, pools.poule);
  db.ListMatches(pools.poule, list);
  const int scores[][2] = {{3, 1}, {1, 3}, {3, 2}, {0, 3}};
  for (int i = 0; i < 4; ++i)
    StoreResult(db, prompter, list[i].id, GamesWon(db, pools.poule, scores[i][0], scores[i][1]));

  pools.swiss = pool("Dames", "Zwitsers", "4-7", kPlaystyleSwiss, "", 1000);
  const std::vector women = {"Anna Kok", "Sanne de Boer", "Lotte Peters", "Eva Hendriks",
                             "Iris Dekker", "Femke Bos", "Noor Vos", "Julia Meijer"};
  seat(pools.swiss, women, 2, 1700, 30);
  // A Swiss round takes its start time from the clock: the morning of the
  // tournament, not the hour the test runs.
  testing::FakeClock morning;
  morning.SetLocal(2026, 5, 16, 10, 30);
  NextSwissRound(db, prompter, morning, pools.swiss, nullptr);
  db.ListMatches(pools.swiss, list);
  for (size_t i = 0; i < list.size(); ++i)
    StoreResult(db, prompter, list[i].id, GamesWon(db, pools.swiss, i % 2 ? 1 : 3, i % 2 ? 3 : 2));
  NextSwissRound(db, prompter, morning, pools.swiss, nullptr);

  pools.knockout = pool("Jeugd", "Afval", "8-9", kPlaystyleDropout, "{ \"dimension\":8 }", 1100);
  seat(pools.knockout, {"Daan Wit", "Sem Hoek", "Finn Stam", "Luuk Berg", "Milan Roos", "Thijs Kuipers"}, 4, 1200, 20);
  bench::StartKnockout(db, prompter, pools.knockout);
  return pools;
}

int Desk(QApplication& qt, quint16 port, const std::string& path) {
  CVelgramApp app(path);
  testing::FakePrompter prompter;  // says yes to every question
  app.SetPrompter(&prompter);
  Database& db = app.Db();
  db.SetSetting("PouleActivateWarning", "No");
  const int idToernooi = db.AddToernooi("Open Zaalkampioenschap 2026");
  const Pools pools = MakeTournament(db, prompter, idToernooi);
  LiveSettings settings = LiveSettings::Read(db, idToernooi);
  settings.tableEntry = true;
  settings.autoAccept = true;
  if (!settings.Write(db, idToernooi)) {
    Say("fout instellingen niet opgeslagen");
    return 1;
  }
  const std::map<int, std::string> tokens = TableTokens(db, idToernooi);
  app.OpenToernooi(idToernooi);
  CVelgramDlg window(app);
  window.StartTimer().stop();
  LiveDesk& live = window.Live();
  QString error;
  if (!live.Start(port, true, &error)) {
    Say("fout " + error.toStdString());
    return 1;
  }
  for (auto [id, kind] : {std::pair{pools.poule, "poule"}, {pools.swiss, "zwitsers"}, {pools.knockout, "knockout"}})
    Say("poule " + std::to_string(id) + " " + kind);
  for (const auto& [tafel, token] : tokens) Say("tafel " + std::to_string(tafel) + " " + token);
  Say("database " + path);
  Say("klaar");

  auto run = [&](const std::string& line) {
    int idMatch = 0, games1 = 0, games2 = 0;
    if (std::sscanf(line.c_str(), "uitslag %d %d-%d", &idMatch, &games1, &games2) == 3) {
      MatchRecord match;
      if (!db.GetMatch(match, idMatch)) return Say("fout geen wedstrijd");
      if (!StoreResult(db, prompter, idMatch, GamesWon(db, match.idPool, games1, games2)))
        return Say("fout niet opgeslagen");
      window.NotifyDataChanged(DataChange::Result(idMatch, match.idPool));
      return Say("ok");
    }
    if (line == "stop") {
      live.Stop();
      return Say(live.Running() ? "fout loopt nog" : "ok");
    }
    if (line == "start") {
      QString why;
      if (!live.Start(port, true, &why)) return Say("fout " + why.toStdString());
      return Say("ok");
    }
    if (line == "quit") {
      Say("ok");
      qt.quit();
      return;
    }
    Say("fout onbekend: " + line);
  };

  // The commands come in on a thread of their own and are carried out on the
  // program's thread, as the desk's own actions are.
  std::thread reader([&] {
    std::string line;
    while (std::getline(std::cin, line)) {
      QMetaObject::invokeMethod(&qt, [&run, line] { run(line); }, Qt::QueuedConnection);
      if (line == "quit") return;
    }
    QMetaObject::invokeMethod(&qt, [&qt] { qt.quit(); }, Qt::QueuedConnection);
  });
  const int code = qt.exec();
  live.Stop();
  reader.join();
  return code;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication qt(argc, argv);
  if (argc < 2) {
    std::fprintf(stderr, "gebruik: live_desk_driver <poort> [database]\n");
    return 2;
  }
  const quint16 port = static_cast<quint16>(std::stoi(argv[1]));
  const std::string path =
      argc > 2 ? argv[2] : QDir::temp().filePath(QStringLiteral("live_desk_%1.db").arg(port)).toStdString();
  std::remove(path.c_str());
  const int code = Desk(qt, port, path);
  std::remove(path.c_str());
  return code;
}
