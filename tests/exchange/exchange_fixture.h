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
    PlayerRecord p{-1, name, club.empty() ? -1 : db->GetOrAddClub(club), bondsnummer, rating, klasse, 1,
                   name + "@example.nl", ""};
    return db->AddPlayer(p, idToernooi > 0 ? idToernooi : idT);
  }

  int Class(const std::string& name, int nrPlayers = 1, int idToernooi = 0) {
    int t = idToernooi > 0 ? idToernooi : idT;
    db->AddSystem({-1, name, "", nrPlayers, 0, 0}, t);
    std::vector<SystemRecord> list;
    db->ListSystems(list, t);
    return list.back().id;
  }

  int Pool(int idSystem, const std::string& name) {
    return db->AddPool({-1, kPlaystylePoule, idSystem, name, "1-4", 900, 0, 0, "", 0}, idSystem);
  }

  // A position of the pool; returns its id.
  int Position(int idPool, int idPlayer, int linktype = kLinkPlayer) {
    std::vector<ContestantRecord> list;
    db->ListContestants(idPool, list);
    const int pos = static_cast<int>(list.size()) + 1;
    db->AddContestant({-1, idPool, pos, pos, linktype, idPlayer, 0, 0});
    db->ListContestants(idPool, list);
    return list.back().id;
  }

  // The tournament's only pair.
  int Duo(int idPlayer1, int idPlayer2) {
    db->AddDuo({-1, idPlayer1, idPlayer2, "A", "", "", 0}, idT);
    std::vector<DuoRecord> list;
    db->ListDuos(list, idT);
    return list.size() == 1 ? list[0].id : -1;
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
