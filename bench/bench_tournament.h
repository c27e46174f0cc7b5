#pragma once
// The building blocks of the benchmarks' tournaments: a class, a pool, a
// player, the pool's positions, and a prompter that agrees to everything.
// Set-up only; nothing here is measured.
#include <string>
#include <vector>

#include "competition/dropout.h"
#include "competition/matchbook.h"
#include "competition/pool.h"
#include "store/database.h"
#include "store/records.h"
#include "support/prompt.h"

namespace velgram::bench {

// Says nothing and answers yes: a benchmark measures the work, not a dialog.
class QuietPrompter : public Prompter {
 public:
  void Alert(const std::string&) override {}
  bool Confirm(const std::string&) override { return true; }
};

inline int AddClass(Database& db, int idToernooi, const std::string& name, int nrPlayers = 0) {
  SystemRecord s;
  s.name = name;
  s.nrPlayers = nrPlayers;
  db.AddSystem(s, idToernooi);
  std::vector<SystemRecord> list;
  db.ListSystems(list, idToernooi);
  return list.back().id;
}

inline int AddPool(Database& db, int idSystem, const std::string& name, const std::string& tables,
                   int playstyle = kPlaystylePoule, const std::string& extra = "", int start = 900,
                   int end = 1800) {
  PoolRecord p;
  p.name = name;
  p.playstyle = playstyle;
  p.tables = tables;
  p.starttime = start;
  p.endtime = end;
  p.extra = extra;
  return db.AddPool(p, idSystem);
}

inline int AddPlayer(Database& db, int idToernooi, const std::string& name, const std::string& club,
                     int rating = 0) {
  PlayerRecord p;
  p.name = name;
  p.idClub = db.GetOrAddClub(club);
  p.rating = rating;
  return db.AddPlayer(p, idToernooi);
}

// The players take positions 1, 2, ... in this order.
inline void Seat(Database& db, int idPool, const std::vector<int>& players) {
  std::vector<ContestantRecord> rows;
  for (size_t i = 0; i < players.size(); ++i) {
    ContestantRecord c;
    c.sort = static_cast<int>(i);
    c.poolPos = static_cast<int>(i) + 1;
    c.linktype = kLinkPlayer;
    c.idPlayer = players[i];
    rows.push_back(c);
  }
  db.ReplaceContestants(idPool, rows);
}

// Starts a knockout pool whose positions are seated: the bracket read from
// the pool's row, its first round drawn as the knockout pane draws it.
inline void StartKnockout(Database& db, Prompter& prompter, int idPool) {
  PoolRecord row;
  db.GetPool(idPool, row);
  LDropout bracket(row.extra);
  bracket.FillFrom(row);
  std::vector<Contestant> seats;
  LoadContestants(db, idPool, seats, true);
  ActivateDropout(db, prompter, bracket, seats);
}

}  // namespace velgram::bench
