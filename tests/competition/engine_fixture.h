#pragma once
// The event fixture seen as the engine tests use it: classes by name, pools
// in a class, positions appended in order and matches played 3-0.
#include <gtest/gtest.h>
#include "competition/match_rules.h"
#include "event_fixture.h"

namespace velgram::testing {

class EngineTest : public EventFixture {
 protected:
  int AddPlayer(const std::string& name, const std::string& club, int rating, const std::string& klasse = "A") {
    return EventFixture::AddPlayer(name, club, rating, klasse);
  }
  int AddPool(int idClass, const std::string& name, const std::string& tables = "1-4", int start = 900,
              int idMatchSystem = 0) {  // a round robin
    PoolRecord p;
    std::tie(p.name, p.playstyle, p.tables, p.starttime, p.endtime, p.idMatchSystem) =
        std::tuple(name, kPlaystylePoule, tables, start, 1600, idMatchSystem);
    return db.AddPool(p, idClass);
  }
  // Positions are added in order; returns the ids of all positions.
  std::vector<int> AddPlayers(int idPool, const std::vector<int>& players, int linktype = kLinkPlayer) {
    for (int idPlayer : players) {
      ContestantRecord c;
      std::tie(c.linktype, c.idPlayer) = std::tie(linktype, idPlayer);
      Append(idPool, c);
    }
    return PositionIds(idPool);
  }
  int AddLink(int idPool, int idLinkedPool, int place, int indexKlasse = 0) {
    ContestantRecord c;
    std::tie(c.linktype, c.idLinkedPool, c.poolPos, c.indexKlasse) = std::tuple(kLinkPlace, idLinkedPool, place, indexKlasse);
    Append(idPool, c);
    return PositionIds(idPool).back();
  }
  void Append(int idPool, ContestantRecord c) {
    std::vector<ContestantRecord> rows = Rows(idPool);
    c.idPool = idPool;
    c.sort = static_cast<int>(rows.size());
    rows.push_back(c);
    db.ReplaceContestants(idPool, rows);
  }
  std::vector<int> PositionIds(int idPool) {
    std::vector<int> ids;
    for (const ContestantRecord& r : Rows(idPool)) ids.push_back(r.id);
    return ids;
  }
  // A match between two positions, won by the first or second with 3-0.
  int Play(int idPool, int c1, int c2, int winner, std::vector<int> games = {}) {
    int id = db.AddMatch(idPool, c1, c2, 1, 900);
    if (games.empty()) games = winner == 0 ? std::vector<int>{6, 6, 6} : std::vector<int>{-6, -6, -6};
    db.RecordResult(id, winner, games, true);
    return id;
  }
  Database& db = *EventFixture::db;
  const int toernooi = idToernooi;
};

}  // namespace velgram::testing
