#pragma once
// A program on a fresh database in a temporary folder, with a recording
// prompter in place of the message boxes, and a way to play the user in a
// modal dialog.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTimer>
#include <functional>
#include <memory>

#include "app/shell/app.h"
#include "common/fakes.h"
#include "competition/pool.h"

namespace velgram::testing {

class ShellTest : public ::testing::Test {
 protected:
  ShellTest() : app(std::make_unique<CVelgramApp>(dir.File("Velgram.db"))) { app->SetPrompter(&prompter); }

  Database& db() { return app->Db(); }

  // A tournament, opened as the current one.
  int OpenTournament(const std::string& name = "Clubkampioenschap") {
    int id = db().AddToernooi(name);
    app->OpenToernooi(id);
    return id;
  }
  int AddPlayer(const std::string& name, int rating = 0, const std::string& club = "", const std::string& klasse = "") {
    PlayerRecord p;
    p.name = name;
    p.rating = rating;
    p.klasse = klasse;
    p.idClub = db().GetOrAddClub(club);
    return db().AddPlayer(p, app->IdToernooi());
  }
  int AddClass(const std::string& name, int nrPlayers = 1) {
    SystemRecord s;
    s.name = name;
    s.nrPlayers = nrPlayers;
    db().AddSystem(s, app->IdToernooi());
    std::vector<SystemRecord> list;
    db().ListSystems(list, app->IdToernooi());
    for (const SystemRecord& r : list)
      if (r.name == name) return r.id;
    return -1;
  }
  int AddPool(int idSystem, const std::string& name, int playstyle = kPlaystylePoule) {
    PoolRecord p;
    p.name = name;
    p.playstyle = playstyle;
    p.tables = "1-2";
    p.starttime = 930;
    p.endtime = 1600;
    return db().AddPool(p, idSystem);
  }
  void Seat(int idPool, int idPlayer, int linktype = 1, int idLinkedPool = 0) {
    std::vector<ContestantRecord> list;
    db().ListContestants(idPool, list);
    ContestantRecord c;
    c.idPool = idPool;
    c.poolPos = static_cast<int>(list.size()) + 1;
    c.sort = c.poolPos;
    c.linktype = linktype;
    c.idPlayer = idPlayer;
    c.idLinkedPool = idLinkedPool;
    db().AddContestant(c);
  }

  TempDir dir;
  FakePrompter prompter;
  std::unique_ptr<CVelgramApp> app;
};

// Plays the user in the next modal dialog of type D: act runs once the
// dialog is up and must close it. Gives up after about three seconds, so a
// dialog that never opens fails the test instead of hanging it.
template <typename D>
void OnModal(std::function<void(D*)> act) {
  auto* timer = new QTimer;
  auto tries = std::make_shared<int>(0);
  timer->setInterval(10);
  QObject::connect(timer, &QTimer::timeout, [timer, act, tries] {
    if (auto* d = qobject_cast<D*>(QApplication::activeModalWidget())) {
      timer->stop();
      timer->deleteLater();
      act(d);
    } else if (++*tries > 300) {
      timer->stop();
      timer->deleteLater();
      ADD_FAILURE() << "no modal dialog of the expected kind opened";
    }
  });
  timer->start();
}

}  // namespace velgram::testing
