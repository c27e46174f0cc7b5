#pragma once
// A fresh database with one tournament and one class, and short ways to add
// pools, players and positions, for the Swiss, knockout, simulation and club
// trophy tests.
#include <gtest/gtest.h>
#include "common/fakes.h"
#include "competition/dropout.h"
#include "competition/matchbook.h"
#include "competition/pool.h"
#include "store/database.h"

namespace velgram::testing {

class EventFixture : public ::testing::Test {
 public:
  EventFixture() {
    clock.SetLocal(2026, 5, 16, 14, 7, 9);
    db = std::make_unique<Database>(dir.File("Velgram.db"), clock);
    idToernooi = db->AddToernooi("Clubkampioenschap");
    idSystem = AddClass("A");
  }
  // A class of the tournament by name; returns its id.
  int AddClass(const std::string& name, int idMatchSystem = 0) {
    SystemRecord s;
    std::tie(s.name, s.idMatchSystem) = std::tie(name, idMatchSystem);
    db->AddSystem(s, idToernooi);
    std::vector<SystemRecord> list;
    db->ListSystems(list, idToernooi);
    for (const SystemRecord& r : list)
      if (r.name == name) return r.id;
    return -1;
  }
  int AddPool(int playstyle, const std::string& tables = "1-4", int start = 900, const std::string& extra = "",
              int idMatchSystem = 0) {
    PoolRecord pool;
    std::tie(pool.playstyle, pool.name, pool.tables, pool.starttime, pool.endtime, pool.extra, pool.idMatchSystem) =
        std::tuple(playstyle, "Pool " + std::to_string(++poolCount_), tables, start, 1800, extra, idMatchSystem);
    return db->AddPool(pool, idSystem);
  }
  int AddPlayer(const std::string& name, const std::string& club, int rating, const std::string& klasse = "") {
    PlayerRecord p;
    std::tie(p.name, p.idClub, p.rating, p.klasse) = std::tuple(name, db->GetOrAddClub(club), rating, klasse);
    return db->AddPlayer(p, idToernooi);
  }
  int AddDuo(int idPlayer1, int idPlayer2, const std::string& klasse = "A") {
    DuoRecord d;
    std::tie(d.idPlayer1, d.idPlayer2, d.klasse) = std::tuple(idPlayer1, idPlayer2, klasse);
    db->AddDuo(d, idToernooi);
    std::vector<DuoRecord> list;
    db->ListDuos(list, idToernooi);
    return list.back().id;
  }
  // A position of a player in a pool; returns its id.
  int AddContestant(int idPool, int idPlayer, int poolPos, int linktype = kLinkPlayer) {
    ContestantRecord c;
    std::tie(c.idPool, c.poolPos, c.sort, c.linktype, c.idPlayer) =
        std::tuple(idPool, poolPos, ++sortCount_, linktype, idPlayer);
    db->AddContestant(c);
    for (const ContestantRecord& r : Rows(idPool))
      if (r.sort == c.sort) return r.id;
    ADD_FAILURE() << "position not stored";
    return -1;
  }
  std::vector<ContestantRecord> Rows(int idPool) {
    std::vector<ContestantRecord> list;
    db->ListContestants(idPool, list);
    return list;
  }
  // Every write fails from here on, as on a full or locked disk; reads go on.
  void RefuseWrites() {
    db->SetStatementHook([](int, const char* sql) {
      return std::string(sql).rfind("SELECT", 0) == 0 ? StatementFault::kRun : StatementFault::kFail;
    });
  }
  std::vector<MatchRecord> Matches(int idPool) {
    std::vector<MatchRecord> list;
    db->ListMatches(idPool, list);
    db->ReadResults(list);
    return list;
  }
  // A started knockout of `dimension` seats for the players, seeded in order.
  int AddKnockout(const std::vector<int>& players, int dimension, const std::string& tables = "5", int start = 1000) {
    LDropout ko("{ \"dimension\":" + std::to_string(dimension) + " }");
    const int id = AddPool(kPlaystyleDropout, tables, start, ko.ExtraText());
    PoolRecord row;
    EXPECT_TRUE(db->GetPool(id, row));
    ko.FillFrom(row);
    std::vector<Contestant> seats;
    for (size_t i = 0; i < players.size(); ++i) AddContestant(id, players[i], static_cast<int>(i) + 1);
    LoadContestants(*db, id, seats, true);
    EXPECT_EQ(ActivateDropout(*db, prompter, ko, seats), ActivateOutcome::kActivated);
    return id;
  }
  std::vector<MatchEntry> Entries(int idPool) {
    std::vector<MatchEntry> list;
    for (const MatchRecord& m : Matches(idPool)) list.push_back(MatchEntry::FromRecord(m));
    return list;
  }
  TempDir dir;
  FakeClock clock;
  FakePrompter prompter;
  std::unique_ptr<Database> db;
  int idToernooi = -1;
  int idSystem = -1;
 private:
  int poolCount_ = 0;
  int sortCount_ = 0;
};

}  // namespace velgram::testing
