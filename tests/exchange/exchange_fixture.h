#pragma once
// A database in a temporary folder with helpers to build a tournament.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "common/fakes.h"
#include "competition/pool.h"
#include "store/database.h"

namespace velgram::testing {

class TournamentTest : public ::testing::Test {
 protected:
  void SetUp() override {
    clock.SetLocal(2023, 3, 4, 9, 0, 0);
    db = std::make_unique<Database>(dir.File("Velgram.db"), clock);
    ASSERT_TRUE(db->IsOpen());
    idT = db->AddToernooi("Open");
  }

  std::string DbFile() const { return dir.File("Velgram.db"); }

  int Player(const std::string& name, const std::string& club, const std::string& bondsnummer, int rating = 1000,
             const std::string& klasse = "A", int idToernooi = 0) {
    PlayerRecord p;
    p.name = name;
    p.idClub = club.empty() ? -1 : db->GetOrAddClub(club);
    p.bondsnummer = bondsnummer;
    p.rating = rating;
    p.klasse = klasse;
    p.gender = 1;
    p.email = name + "@example.nl";
    return db->AddPlayer(p, idToernooi > 0 ? idToernooi : idT);
  }

  int Class(const std::string& name, int nrPlayers = 1, int idToernooi = 0) {
    SystemRecord s;
    s.name = name;
    s.nrPlayers = nrPlayers;
    int t = idToernooi > 0 ? idToernooi : idT;
    db->AddSystem(s, t);
    std::vector<SystemRecord> list;
    db->ListSystems(list, t);
    return list.back().id;
  }

  int Pool(int idSystem, const std::string& name) {
    PoolRecord p;
    p.name = name;
    p.idSystem = idSystem;
    p.tables = "1-4";
    p.starttime = 900;
    return db->AddPool(p, idSystem);
  }

  // A position of the pool; returns its id.
  int Position(int idPool, int idPlayer, int linktype = kLinkPlayer) {
    std::vector<ContestantRecord> list;
    db->ListContestants(idPool, list);
    ContestantRecord c;
    c.idPool = idPool;
    c.poolPos = static_cast<int>(list.size()) + 1;
    c.sort = c.poolPos;
    c.linktype = linktype;
    c.idPlayer = idPlayer;
    db->AddContestant(c);
    db->ListContestants(idPool, list);
    return list.back().id;
  }

  // A result entered at that moment of 4 March 2023.
  void Result(int idMatch, int winner, int hour, int minute, int second = 0, int fraction = 0) {
    clock.SetLocal(2023, 3, 4, hour, minute, second);
    clock.fraction = fraction;
    db->RecordResult(idMatch, winner, {}, false);
  }

  TempDir dir;
  FakeClock clock;
  std::unique_ptr<Database> db;
  int idT = -1;
};

}  // namespace velgram::testing
