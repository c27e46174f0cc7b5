// What the participant, class and settings dialogs and the panes' delete and
// move buttons check and write.
#include "competition/edits.h"

#include <gtest/gtest.h>

#include <functional>

#include "competition/inuse.h"
#include "tests/competition/event_fixture.h"

namespace velgram::testing {
namespace {

class EditsTest : public ::testing::Test, public EventFixture {
 protected:
  int AddDuo(int p1, int p2) {
    DuoRecord d;
    d.idPlayer1 = p1;
    d.idPlayer2 = p2;
    d.klasse = "A";
    db->AddDuo(d, idToernooi);
    std::vector<DuoRecord> list;
    db->ListDuos(list, idToernooi);
    return list.back().id;
  }
  void Link(int idPool, int fromPool) {
    ContestantRecord c;
    c.idPool = idPool;
    c.poolPos = 1;
    c.linktype = kLinkPlace;
    c.idLinkedPool = fromPool;
    c.idPlayer = 1;
    db->AddContestant(c);
  }
  std::vector<std::string> PoolNames() {
    std::vector<PoolRecord> list;
    db->ListPools(idSystem, list);
    std::vector<std::string> names;
    for (const PoolRecord& p : list) names.push_back(p.name);
    return names;
  }
  FakePrompter prompter;
};

TEST_F(EditsTest, DeletingPlayersIsAllOrNothingAndNamesTheOneInUse) {
  int anna = AddPlayer("Anna", "Smash", 1200);
  int bert = AddPlayer("Bert", "Smash", 1300);
  int pool = AddPool(kPlaystylePoule);
  AddContestant(pool, bert, 1);

  EXPECT_FALSE(DeletePlayers(*db, prompter, idToernooi, {anna, bert}));
  EXPECT_EQ(prompter.questions.back(), "Weet u zeker, dat u 2 deelnemers wilt verwijderen?");
  EXPECT_EQ(prompter.alerts.back(), "Bert speelt in A / Pool 1");
  std::vector<PlayerRecord> players;
  db->ListPlayers(players, idToernooi);
  EXPECT_EQ(players.size(), 2u);

  prompter.answers = {false};
  EXPECT_FALSE(DeletePlayers(*db, prompter, idToernooi, {anna}));
  db->ListPlayers(players, idToernooi);
  EXPECT_EQ(players.size(), 2u);

  EXPECT_TRUE(DeletePlayers(*db, prompter, idToernooi, {anna}));
  EXPECT_EQ(prompter.questions.back(), "Weet u zeker, dat u 1 deelnemer wilt verwijderen?");
  db->ListPlayers(players, idToernooi);
  ASSERT_EQ(players.size(), 1u);
  EXPECT_EQ(players[0].name, "Bert");

  EXPECT_FALSE(DeletePlayers(*db, prompter, idToernooi, {}));
  EXPECT_EQ(prompter.alerts.back(), "Selecteer de deelnemers die u wilt verwijderen.\nGebruik ev. Ctrl en Shift.");
}

TEST_F(EditsTest, OnlyPositionsOfTheRightKindCountAsUse) {
  int anna = AddPlayer("Anna", "Smash", 1200);
  int bert = AddPlayer("Bert", "Smash", 1300);
  int cees = AddPlayer("Cees", "Smash", 1100);
  int duo = AddDuo(anna, bert);
  int pool = AddPool(kPlaystylePoule);
  // A duo position whose duo id happens to be a player id says nothing about
  // that player.
  AddContestant(pool, duo, 1, kLinkDuo);
  EXPECT_EQ(PlayersInUse(*db, idToernooi, {duo}), "");
  EXPECT_EQ(DuosInUse(*db, idToernooi, {duo}), "Anna + Bert speelt in A / Pool 1");
  EXPECT_EQ(DuosInUse(*db, idToernooi, {duo + 100}), "");
  // A player of a duo cannot go while the duo exists.
  EXPECT_EQ(PlayersInDuos(*db, idToernooi, {cees, bert}), "Bert zit in duo Anna + Bert");
  EXPECT_FALSE(DeletePlayers(*db, prompter, idToernooi, {bert}));
  EXPECT_EQ(prompter.alerts.back(), "Bert zit in duo Anna + Bert");
  EXPECT_EQ(PlayersInDuos(*db, idToernooi, {cees}), "");

  EXPECT_FALSE(DeleteDuos(*db, prompter, idToernooi, {duo}));
  EXPECT_EQ(prompter.questions.back(), "Weet u zeker, dat u 1 duo wilt verwijderen?");
  db->DeletePool(pool);
  EXPECT_TRUE(DeleteDuos(*db, prompter, idToernooi, {duo}));
  std::vector<DuoRecord> duos;
  db->ListDuos(duos, idToernooi);
  EXPECT_TRUE(duos.empty());
  prompter.answers = {false};
  EXPECT_FALSE(DeleteDuos(*db, prompter, idToernooi, {1, 2}));
  EXPECT_EQ(prompter.questions.back(), "Weet u zeker, dat u 2 duo's wilt verwijderen?");
}

TEST_F(EditsTest, ADuoIsPutTogetherFromTwoPlayers) {
  DuoDraft duo;
  PlayerWithClub anna{1, "Anna", "Smash", 1200, "C"};
  PlayerWithClub bert{2, "Bert", "Batjes", 1300, "C"};
  PlayerWithClub cees{3, "Cees", "Smash", 1100, "D"};
  ASSERT_TRUE(AddToDuo(prompter, duo, anna));
  EXPECT_EQ(duo.Count(), 1);
  ASSERT_TRUE(AddToDuo(prompter, duo, bert));
  EXPECT_EQ(duo.name, "Anna + Bert");
  EXPECT_EQ(duo.club, "Smash/Batjes");
  EXPECT_EQ(duo.rating, 2500);
  EXPECT_EQ(duo.klasse, "C");
  EXPECT_FALSE(AddToDuo(prompter, duo, cees));
  EXPECT_EQ(prompter.alerts.back(), "Er zijn al twee spelers in het duo");

  ClearDuo(duo);
  AddToDuo(prompter, duo, anna);
  AddToDuo(prompter, duo, cees);
  EXPECT_EQ(duo.club, "Smash");  // one club, not "Smash/Smash"
  EXPECT_EQ(duo.klasse, "");     // classes differ

  EXPECT_FALSE(SaveDuo(*db, prompter, idToernooi, DuoDraft(), "A"));
  EXPECT_EQ(prompter.alerts.back(), "Selecteer twee deelnemers voor het duo");
  EXPECT_FALSE(SaveDuo(*db, prompter, idToernooi, duo, "  "));
  EXPECT_EQ(prompter.alerts.back(), "Vul een klasse in");
  EXPECT_FALSE(SaveDuo(*db, prompter, -1, duo, "A"));
  EXPECT_EQ(prompter.alerts.back(), "Selecteer eerst een toernooi.");
}

TEST_F(EditsTest, TheDuoDialogOffersThePlayersNotInTheDuo) {
  int anna = AddPlayer("Anna", "Smash", 1200);
  AddPlayer("Bert", "", 1300);
  DuoDraft duo;
  duo.idPlayer1 = anna;
  std::vector<PlayerWithClub> offered = PlayersForDuo(*db, idToernooi, duo);
  ASSERT_EQ(offered.size(), 1u);
  EXPECT_EQ(offered[0].name, "Bert");
  EXPECT_EQ(offered[0].club, "");
}

TEST_F(EditsTest, PlayerFormsAreCheckedAndRoundTrip) {
  PlayerForm f;
  EXPECT_FALSE(SavePlayer(*db, prompter, idToernooi, -1, f));
  EXPECT_EQ(prompter.alerts.back(), "Vul de naam in.");
  f.name = "  Anna  ";
  f.club = "Smash";
  f.rating = "";
  f.gender = 0;
  int id = -1;
  ASSERT_TRUE(SavePlayer(*db, prompter, idToernooi, -1, f, &id));
  PlayerForm back = LoadPlayerForm(*db, id);
  EXPECT_EQ(back.name, "Anna");
  EXPECT_EQ(back.club, "Smash");
  EXPECT_EQ(back.rating, "");
  EXPECT_EQ(back.gender, 0);
  back.rating = "1375";
  back.club = "";
  ASSERT_TRUE(SavePlayer(*db, prompter, idToernooi, id, back));
  back = LoadPlayerForm(*db, id);
  EXPECT_EQ(back.rating, "1375");
  EXPECT_EQ(back.club, "");
}

TEST_F(EditsTest, TournamentAndClassFormsAreChecked) {
  int id = -1;
  EXPECT_FALSE(SaveToernooi(*db, prompter, -1, "   ", &id));
  EXPECT_EQ(prompter.alerts.back(), "Geef het toernooi een naam.");
  ASSERT_TRUE(SaveToernooi(*db, prompter, -1, "Clubkampioenschap", &id));
  TournamentRecord t;
  db->GetToernooi(t, id);
  EXPECT_EQ(t.name, "Clubkampioenschap (1)");  // the fixture has one already

  EXPECT_FALSE(SaveSystem(*db, prompter, idToernooi, -1, "B", "", 0));
  EXPECT_EQ(prompter.alerts.back(), "Vul of Enkel of Dubbel in.");
  // Changing a class keeps the match system chosen for it.
  SystemRecord a;
  db->GetSystem(a, idSystem);
  db->Exec(nullptr, "UPDATE Systems SET idMatchSystem=3 WHERE id=%d", idSystem);
  ASSERT_TRUE(SaveSystem(*db, prompter, idToernooi, idSystem, "A2", "senioren", 2));
  db->GetSystem(a, idSystem);
  EXPECT_EQ(a.name, "A2");
  EXPECT_EQ(a.nrPlayers, 2);
  EXPECT_EQ(a.idMatchSystem, 3);
}

TEST_F(EditsTest, AWriteTheDatabaseRefusesIsToldAndSavesNothing) {
  int anna = AddPlayer("Anna", "Smash", 1200);
  int bert = AddPlayer("Bert", "Smash", 1300);
  int pool1 = AddPool(kPlaystylePoule), pool2 = AddPool(kPlaystylePoule);
  PlayerForm cees;
  cees.name = "Cees";
  cees.club = "Nieuwe club";  // made with the player, so refused with it
  PoolForm poolForm;
  poolForm.name = "B";
  poolForm.playstyle = kPlaystylePoule;
  DuoDraft duo;
  duo.idPlayer1 = anna;
  duo.idPlayer2 = bert;
  const struct {
    const char* told;
    std::function<bool()> save;
  } cases[] = {
      {"De speler kon niet in de database worden opgeslagen",
       [&] { return SavePlayer(*db, prompter, idToernooi, -1, cees); }},
      {"De speler kon niet in de database worden opgeslagen",
       [&] { return SavePlayer(*db, prompter, idToernooi, anna, cees); }},
      {"Het duo kon niet in de database worden opgeslagen",
       [&] { return SaveDuo(*db, prompter, idToernooi, duo, "A"); }},
      {"De spelklasse kon niet in de database worden opgeslagen",
       [&] { return SaveSystem(*db, prompter, idToernooi, -1, "B", "", 1); }},
      {"De poule kon niet in de database worden opgeslagen",
       [&] { return SavePool(*db, prompter, idSystem, -1, poolForm) > 0; }},
      {"Het toernooi kon niet in de database worden opgeslagen",
       [&] { return SaveToernooi(*db, prompter, idToernooi, "Nieuw", nullptr); }},
      {"De deelnemers konden niet verwijderd worden",
       [&] { return DeletePlayers(*db, prompter, idToernooi, {anna}); }},
      {"De poule kon niet verplaatst worden", [&] { return MovePoolUp(*db, prompter, pool2); }},
      {"De poule kon niet verplaatst worden", [&] { return MovePoolDown(*db, prompter, pool1); }},
  };
  auto contents = [&] {
    std::string rs;
    db->ExecText(&rs, "SELECT (SELECT group_concat(name) FROM Clubs)||(SELECT group_concat(name) FROM PlayersMain)||"
                      "(SELECT group_concat(name) FROM Toernooien)||(SELECT COUNT(*) FROM Duos)||"
                      "(SELECT COUNT(*) FROM Systems)||(SELECT group_concat(id||':'||sort) FROM Pools) AS x");
    return rs;
  };
  const std::string before = contents();
  Database other(dir.File("Velgram.db"), clock);
  other.BeginTransaction();  // another copy of the program, writing
  db->SetBusyWait(20);
  for (const auto& c : cases) {
    prompter.alerts.clear();
    EXPECT_FALSE(c.save()) << c.told;
    EXPECT_EQ(prompter.alerts, std::vector<std::string>{std::string(c.told) +
                                                        ": een ander programma houdt de database bezet. Er is niets "
                                                        "gewijzigd."});
  }
  other.RollbackTransaction();
  EXPECT_EQ(contents(), before);
}

TEST_F(EditsTest, APoolMovesOnlyPastPoolsItHasNoLinkWith) {
  int p1 = AddPool(kPlaystylePoule);
  int p2 = AddPool(kPlaystylePoule);
  int p3 = AddPool(kPlaystylePoule);
  Link(p3, p1);  // two places above: no obstacle for one step
  EXPECT_TRUE(MovePoolUp(*db, prompter, p3));
  EXPECT_EQ(PoolNames(), (std::vector<std::string>{"Pool 1", "Pool 3", "Pool 2"}));
  EXPECT_FALSE(MovePoolUp(*db, prompter, p3));
  EXPECT_EQ(prompter.alerts.back(), "Speler is gekoppeld aan vorige poule. Verwijder deze eerst.");
  EXPECT_FALSE(MovePoolDown(*db, prompter, p1));
  EXPECT_EQ(prompter.alerts.back(), "Speler is gekoppeld aan volgende poule. Verwijder deze eerst.");
  EXPECT_EQ(PoolNames(), (std::vector<std::string>{"Pool 1", "Pool 3", "Pool 2"}));
  // The ends change nothing and say nothing.
  size_t alerts = prompter.alerts.size();
  EXPECT_FALSE(MovePoolUp(*db, prompter, p1));
  EXPECT_FALSE(MovePoolDown(*db, prompter, p2));
  EXPECT_EQ(prompter.alerts.size(), alerts);
  EXPECT_TRUE(MovePoolDown(*db, prompter, p3));
  EXPECT_EQ(PoolNames(), (std::vector<std::string>{"Pool 1", "Pool 2", "Pool 3"}));
  EXPECT_EQ(PoolsLinkedFrom(*db, p3), std::vector<int>{p1});
}

TEST_F(EditsTest, PoolFormsAreCheckedAndMatchesFixTablesAndTimes) {
  PoolForm f;
  f.name = " ";
  EXPECT_EQ(SavePool(*db, prompter, idSystem, -1, f), -1);
  EXPECT_EQ(prompter.alerts.back(), "Vul de naam in.");
  f.name = "Voorronde";
  EXPECT_EQ(SavePool(*db, prompter, idSystem, -1, f), -1);
  EXPECT_EQ(prompter.alerts.back(), "Kies een speelwijze.");
  f.playstyle = kPlaystyleDropout;
  f.tables = "3,1-2";
  int id = SavePool(*db, prompter, idSystem, -1, f);
  ASSERT_GT(id, 0);
  PoolRecord p;
  db->GetPool(id, p);
  EXPECT_EQ(p.playstyle, kPlaystyleDropout);
  EXPECT_EQ(p.tables, "1-3");
  EXPECT_FALSE(PoolLocked(*db, id));

  db->AddMatch(id, 1, 2, 1, 900);
  ASSERT_TRUE(PoolLocked(*db, id));
  f.name = "Finale";
  f.tables = "9";
  f.starttime = 1300;
  EXPECT_EQ(SavePool(*db, prompter, idSystem, id, f), id);
  db->GetPool(id, p);
  EXPECT_EQ(p.name, "Finale");
  EXPECT_EQ(p.tables, "1-3");
  EXPECT_EQ(p.starttime, 900);
}

TEST_F(EditsTest, BackupIntervalAndSwissBorderSettings) {
  EXPECT_EQ(StoreBackupInterval(*db, true, "2"), 5);
  EXPECT_EQ(db->BackupInterval(), 5);
  EXPECT_EQ(StoreBackupInterval(*db, true, "45"), 45);
  EXPECT_EQ(db->GetSettingInt("BackupInterval"), 45);
  EXPECT_EQ(StoreBackupInterval(*db, false, "45"), 0);
  EXPECT_EQ(db->BackupInterval(), 0);

  EXPECT_EQ(SwissBorderText(*db), "5");
  EXPECT_FALSE(StoreSwissBorder(*db, prompter, "4x"));
  EXPECT_FALSE(StoreSwissBorder(*db, prompter, "-"));
  EXPECT_FALSE(StoreSwissBorder(*db, prompter, "1234567890"));  // would not fit a number
  EXPECT_TRUE(StoreSwissBorder(*db, prompter, "-123456789"));
  EXPECT_TRUE(StoreSwissBorder(*db, prompter, " 7 "));
  EXPECT_EQ(db->GetSetting("SwissBorder"), "7");
  EXPECT_TRUE(StoreSwissBorder(*db, prompter, ""));
  EXPECT_EQ(SwissBorderText(*db), "5");
}

}  // namespace
}  // namespace velgram::testing
