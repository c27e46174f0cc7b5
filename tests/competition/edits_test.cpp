#include "competition/edits.h"
#include <gtest/gtest.h>
#include "competition/inuse.h"
#include "competition/live_snapshot.h"
#include "competition/poule.h"
#include "competition/positions.h"
#include "support/text.h"
#include "tests/competition/event_fixture.h"

namespace velgram::testing {
namespace {

class EditsTest : public EventFixture {
 protected:
  std::vector<std::string> PoolNames() {
    std::vector<PoolRecord> list;
    db->ListPools(idSystem, list);
    std::vector<std::string> names;
    for (const PoolRecord& p : list) names.push_back(p.name);
    return names;
  }
};

TEST_F(EditsTest, DeletingPlayersAndDuosAsksAndNamesTheOneInUse) {
  int anna = AddPlayer("Anna", "Smash", 1200), bert = AddPlayer("Bert", "Smash", 1300);
  int cees = AddPlayer("Cees", "Smash", 1100), duo = AddDuo(anna, bert), pool = AddPool(kPlaystylePoule);
  auto names = [&] {
    std::vector<PlayerRecord> players;
    db->ListPlayers(players, idToernooi);
    std::string s;
    for (const PlayerRecord& p : players) s += p.name + " ";
    return s;
  };
  AddContestant(pool, cees, 1);
  // A duo position whose duo id happens to be a player id says nothing about
  // that player.
  AddContestant(pool, duo, 2, kLinkDuo);
  // A player of a duo cannot go while the duo exists.
  EXPECT_EQ((std::vector<std::string>{PlayersInUse(*db, idToernooi, {duo}), DuosInUse(*db, idToernooi, {duo}),
                                      DuosInUse(*db, idToernooi, {duo + 100}),
                                      PlayersInDuos(*db, idToernooi, {cees, bert}), PlayersInDuos(*db, idToernooi, {cees})}),
            (std::vector<std::string>{"", "Anna + Bert speelt in A / Pool 1", "", "Bert zit in duo Anna + Bert", ""}));
  EXPECT_FALSE(DeletePlayers(*db, prompter, idToernooi, {bert}));
  EXPECT_FALSE(DeletePlayers(*db, prompter, idToernooi, {anna, cees}));  // all or nothing
  EXPECT_FALSE(DeleteDuos(*db, prompter, idToernooi, {duo}));
  db->DeletePool(pool);
  EXPECT_TRUE(DeleteDuos(*db, prompter, idToernooi, {duo}));
  std::vector<DuoRecord> duos;
  db->ListDuos(duos, idToernooi);
  EXPECT_TRUE(duos.empty());
  prompter.answers = {false, false};
  EXPECT_FALSE(DeleteDuos(*db, prompter, idToernooi, {1, 2}));
  EXPECT_FALSE(DeletePlayers(*db, prompter, idToernooi, {anna}));
  EXPECT_EQ(names(), "Anna Bert Cees ");
  EXPECT_TRUE(DeletePlayers(*db, prompter, idToernooi, {anna}));
  EXPECT_EQ(names(), "Bert Cees ");
  EXPECT_FALSE(DeletePlayers(*db, prompter, idToernooi, {}));
  const std::string sure = "Weet u zeker, dat u ";
  EXPECT_EQ(prompter.questions,
            (std::vector<std::string>{sure + "1 deelnemer wilt verwijderen?", sure + "2 deelnemers wilt verwijderen?",
                                      sure + "1 duo wilt verwijderen?", sure + "1 duo wilt verwijderen?",
                                      sure + "2 duo's wilt verwijderen?", sure + "1 deelnemer wilt verwijderen?",
                                      sure + "1 deelnemer wilt verwijderen?"}));
  EXPECT_EQ(prompter.alerts, (std::vector<std::string>{
                                 "Bert zit in duo Anna + Bert", "Cees speelt in A / Pool 1",
                                 "Anna + Bert speelt in A / Pool 1",
                                 "Selecteer de deelnemers die u wilt verwijderen.\nGebruik ev. Ctrl en Shift."}));
}

TEST_F(EditsTest, ADuoIsPutTogetherFromTwoPlayers) {
  DuoDraft duo;
  PlayerWithClub anna{1, "Anna", "Smash", 1200, "C"}, bert{2, "Bert", "Batjes", 1300, "C"};
  PlayerWithClub cees{3, "Cees", "Smash", 1100, "D"};
  ASSERT_TRUE(AddToDuo(prompter, duo, anna) && duo.Count() == 1);
  ASSERT_TRUE(AddToDuo(prompter, duo, bert));
  EXPECT_EQ(std::tuple(duo.name, duo.club, duo.rating, duo.klasse), std::tuple("Anna + Bert", "Smash/Batjes", 2500, "C"));
  EXPECT_FALSE(AddToDuo(prompter, duo, cees));
  ClearDuo(duo);
  AddToDuo(prompter, duo, anna);
  EXPECT_FALSE(AddToDuo(prompter, duo, anna));  // the same player twice is no duo
  AddToDuo(prompter, duo, cees);
  EXPECT_EQ(duo.club + "|" + duo.klasse, "Smash|");  // one club, not "Smash/Smash"; classes differ
  EXPECT_FALSE(SaveDuo(*db, prompter, idToernooi, DuoDraft(), "A"));
  EXPECT_FALSE(SaveDuo(*db, prompter, idToernooi, duo, "  "));
  EXPECT_FALSE(SaveDuo(*db, prompter, -1, duo, "A"));
  EXPECT_EQ(prompter.alerts, (std::vector<std::string>{"Er zijn al twee spelers in het duo",
                                                       "Selecteer twee deelnemers voor het duo", "Vul een klasse in",
                                                       "Selecteer eerst een toernooi."}));
  // The dialog offers the players not in the duo, with or without a club.
  duo.idPlayer1 = AddPlayer("Anna", "Smash", 1200);
  AddPlayer("Bert", "", 1300);
  std::vector<PlayerWithClub> offered = PlayersForDuo(*db, idToernooi, duo);
  ASSERT_EQ(offered.size(), 1u);
  EXPECT_EQ(offered[0].name + "|" + offered[0].club, "Bert|");
}

TEST_F(EditsTest, PlayerFormsAreCheckedAndRoundTrip) {
  PlayerForm f;
  EXPECT_FALSE(SavePlayer(*db, prompter, idToernooi, -1, f));
  EXPECT_EQ(prompter.alerts.back(), "Vul de naam in.");
  std::tie(f.name, f.club, f.rating, f.gender) = std::tuple("  Anna  ", "Smash", "", 0);
  int id = -1;
  ASSERT_TRUE(SavePlayer(*db, prompter, idToernooi, -1, f, &id));
  PlayerForm back = LoadPlayerForm(*db, id);
  EXPECT_EQ(std::tuple(back.name, back.club, back.rating, back.gender), std::tuple("Anna", "Smash", "", 0));
  back.rating = "1375", back.club = "";
  ASSERT_TRUE(SavePlayer(*db, prompter, idToernooi, id, back));
  back = LoadPlayerForm(*db, id);
  EXPECT_EQ(back.rating + "|" + back.club, "1375|");
}

TEST_F(EditsTest, TournamentAndClassFormsAreChecked) {
  int id = -1;
  EXPECT_FALSE(SaveToernooi(*db, prompter, -1, "   ", &id));
  ASSERT_TRUE(SaveToernooi(*db, prompter, -1, "Clubkampioenschap", &id));
  TournamentRecord t;
  db->GetToernooi(t, id);
  EXPECT_EQ(t.name, "Clubkampioenschap (1)");  // the fixture has one already
  EXPECT_FALSE(SaveSystem(*db, prompter, idToernooi, -1, "B", "", 0));
  EXPECT_EQ(prompter.alerts, (std::vector<std::string>{"Geef het toernooi een naam.", "Vul of Enkel of Dubbel in."}));
  // Changing a class keeps the match system chosen for it.
  db->Exec(nullptr, "UPDATE Systems SET idMatchSystem=3 WHERE id=%d", idSystem);
  ASSERT_TRUE(SaveSystem(*db, prompter, idToernooi, idSystem, "A2", "senioren", 2));
  SystemRecord a;
  db->GetSystem(a, idSystem);
  EXPECT_EQ(std::tuple(a.name, a.nrPlayers, a.idMatchSystem), std::tuple("A2", 2, 3));
}

TEST_F(EditsTest, AWriteTheDatabaseRefusesIsToldAndSavesNothing) {
  int anna = AddPlayer("Anna", "Smash", 1200);
  int bert = AddPlayer("Bert", "Smash", 1300);
  int pool1 = AddPool(kPlaystylePoule), pool2 = AddPool(kPlaystylePoule);
  PlayerForm cees;
  cees.name = "Cees";
  cees.club = "Nieuwe club";  // made with the player, so refused with it
  PoolForm poolForm;
  poolForm.name = "B", poolForm.playstyle = kPlaystylePoule;
  DuoDraft duo;
  duo.idPlayer1 = anna, duo.idPlayer2 = bert;
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
  int p1 = AddPool(kPlaystylePoule), p2 = AddPool(kPlaystylePoule), p3 = AddPool(kPlaystylePoule);
  ContestantRecord link;  // a place of the pool two places above: no obstacle for one step
  std::tie(link.idPool, link.poolPos, link.linktype, link.idLinkedPool) = std::tuple(p3, 1, kLinkPlace, p1);
  db->AddContestant(link);
  EXPECT_TRUE(MovePoolUp(*db, prompter, p3));
  EXPECT_EQ(PoolNames(), (std::vector<std::string>{"Pool 1", "Pool 3", "Pool 2"}));
  // Nor past a linked pool; the ends change nothing and say nothing.
  EXPECT_EQ((std::vector<bool>{MovePoolUp(*db, prompter, p3), MovePoolDown(*db, prompter, p1),
                               MovePoolUp(*db, prompter, p1), MovePoolDown(*db, prompter, p2)}),
            std::vector<bool>(4, false));
  EXPECT_EQ(prompter.alerts, (std::vector<std::string>{"Speler is gekoppeld aan vorige poule. Verwijder deze eerst.",
                                                       "Speler is gekoppeld aan volgende poule. Verwijder deze eerst."}));
  EXPECT_EQ(PoolNames(), (std::vector<std::string>{"Pool 1", "Pool 3", "Pool 2"}));
  EXPECT_TRUE(MovePoolDown(*db, prompter, p3));
  EXPECT_EQ(std::pair(PoolNames(), PoolsLinkedFrom(*db, p3)),
            std::pair(std::vector<std::string>{"Pool 1", "Pool 2", "Pool 3"}, std::vector<int>{p1}));
}

TEST_F(EditsTest, PoolFormsAreCheckedAndMatchesFixTablesAndTimes) {
  PoolForm f;
  f.name = " ";
  EXPECT_EQ(SavePool(*db, prompter, idSystem, -1, f), -1);
  f.name = "Voorronde";
  EXPECT_EQ(SavePool(*db, prompter, idSystem, -1, f), -1);
  EXPECT_EQ(prompter.alerts, (std::vector<std::string>{"Vul de naam in.", "Kies een speelwijze."}));
  f.playstyle = kPlaystyleDropout, f.tables = "3,1-2";
  int id = SavePool(*db, prompter, idSystem, 0, f);  // 0, like -1, is a new pool
  ASSERT_GT(id, 0);
  PoolRecord p;
  db->GetPool(id, p);
  EXPECT_EQ(std::tuple(p.playstyle, p.tables, PoolLocked(*db, id)), std::tuple(kPlaystyleDropout, "1-3", false));
  db->AddMatch(id, 1, 2, 1, 900);
  ASSERT_TRUE(PoolLocked(*db, id));
  std::tie(f.name, f.tables, f.starttime) = std::tuple("Finale", "9", 1300);
  EXPECT_EQ(SavePool(*db, prompter, idSystem, id, f), id);
  db->GetPool(id, p);  // the matches keep their tables and times
  EXPECT_EQ(std::tuple(p.name, p.tables, p.starttime), std::tuple("Finale", "1-3", 900));
}

TEST_F(EditsTest, BackupIntervalAndSwissBorderSettings) {
  for (auto [on, text, minutes] : {std::tuple{true, "2", 5}, {true, "45", 45}, {false, "45", 0}}) {
    EXPECT_EQ(StoreBackupInterval(*db, on, text), minutes);
    EXPECT_EQ(std::pair(db->BackupInterval(), db->GetSettingInt("BackupInterval")), std::pair(minutes, minutes));
  }
  EXPECT_EQ(SwissBorderText(*db), "5");
  for (const char* bad : {"4x", "-", "1234567890"})  // the last would not fit a number
    EXPECT_FALSE(StoreSwissBorder(*db, prompter, bad)) << bad;
  EXPECT_TRUE(StoreSwissBorder(*db, prompter, "-123456789") && StoreSwissBorder(*db, prompter, " 7 "));
  EXPECT_EQ(db->GetSetting("SwissBorder"), "7");
  EXPECT_TRUE(StoreSwissBorder(*db, prompter, "") && SwissBorderText(*db) == "5");
}

TEST_F(EditsTest, LiveSettingsAreKeptPerTournamentAndABadPortReadsAsTheDefault) {
  ASSERT_TRUE((LiveSettings{true, 18122, true}.Write(*db, idToernooi)));
  const LiveSettings kept = LiveSettings::Read(*db, idToernooi);
  EXPECT_EQ(std::tuple(kept.on, kept.port, kept.localOnly), std::tuple(true, 18122, true));
  EXPECT_FALSE(LiveSettings::Read(*db, idToernooi + 1).on);
  for (const char* port : {"0", "65536", "-1"}) {
    db->SetSetting(Format("LivePort%d", idToernooi), port);
    EXPECT_EQ(LiveSettings::Read(*db, idToernooi).port, LiveSettings::kDefaultPort) << port;
  }
}

class PositionsTest : public EventFixture {
 protected:
  std::vector<int> Players(int n) {
    std::vector<int> ids;
    for (int i = 0; i < n; ++i) ids.push_back(AddPlayer("Speler " + std::to_string(i + 10), "Club", 1000 + i));
    return ids;
  }
};

TEST_F(PositionsTest, ParticipantsAreRefusedOnlyOnceTheMaximumIsReached) {
  std::vector<int> players = Players(14);
  int pool = AddPool(kPlaystylePoule);
  PositionDraft draft(*db, pool, kPouleDialogMaximum);
  EXPECT_EQ(draft.Candidates().size(), 14u);
  // Checked before adding only: eleven and then two more come to thirteen.
  ASSERT_TRUE(draft.AddParticipants(prompter, std::vector<int>(players.begin(), players.begin() + 11)));
  ASSERT_TRUE(draft.AddParticipants(prompter, {players[11], players[12]}));
  EXPECT_TRUE(prompter.alerts.empty());
  ASSERT_TRUE(draft.RemovePositions({12}));
  EXPECT_EQ(draft.Candidates().size(), 2u);
  EXPECT_FALSE(draft.AddParticipants(prompter, {players[13]}));
  EXPECT_EQ(prompter.alerts.back(), "Maximum aantal spelers is 12");
  EXPECT_EQ(draft.List().size(), 12u);
  // Nothing is stored before OK; then the list comes back in its order.
  EXPECT_TRUE(Rows(pool).empty());
  draft.SaveParticipants();
  PositionDraft again(*db, pool, kPouleDialogMaximum);
  ASSERT_EQ(again.List().size(), 12u);
  EXPECT_EQ(again.List()[0].name + again.List()[11].name, "Speler 10Speler 21");
}

// A duo class's pool offers the duos that have no position yet.
TEST_F(PositionsTest, ADuoClassOffersTheDuosNotSeated) {
  db->Exec(nullptr, "UPDATE Systems SET nrPlayers=2 WHERE id=%d", idSystem);
  std::vector<int> p = Players(4);
  const int seated = AddDuo(p[0], p[1]), free = AddDuo(p[2], p[3]), pool = AddPool(kPlaystylePoule);
  AddContestant(pool, seated, 1, kLinkDuo);
  const std::vector<Candidate> offered = PositionDraft(*db, pool, kPouleDialogMaximum).Candidates();
  ASSERT_EQ(offered.size(), 1u);
  EXPECT_EQ(offered[0].id, free);
}

TEST_F(PositionsTest, BestPlacesMustAllFitAndRemovingLinksKeepsPlayers) {
  std::vector<int> players = Players(12);
  int first = AddPool(kPlaystylePoule);
  for (int i = 0; i < 4; ++i) AddContestant(first, players[i], i + 1);
  int final = AddPool(kPlaystylePoule);
  for (int i = 4; i < 11; ++i) AddContestant(final, players[i], i - 3);
  AddContestant(final, players[11], 8);
  PositionDraft draft(*db, final, kPouleDialogMaximum);
  ASSERT_TRUE(draft.AddLink(prompter, first, 1, 0));  // 9 positions
  EXPECT_TRUE(draft.AddLink(prompter, first, 2, 0));  // 10
  EXPECT_FALSE(draft.AddBest(prompter, first, 3, 0));
  EXPECT_EQ(prompter.alerts.back(), "Maximum aantal spelers is 12");
  EXPECT_EQ(draft.List().size(), 10u);
  draft.RemoveLinks({9});
  ASSERT_TRUE(draft.AddBest(prompter, first, 3, 0));
  ASSERT_EQ(draft.List().size(), 12u);
  for (int i = 0; i < 3; ++i)  // not played yet: the name is the source
    EXPECT_EQ(std::tuple(draft.List()[9 + i].poolPos, draft.List()[9 + i].source, draft.List()[9 + i].name),
              std::tuple(i + 1, "Pool 1 nr. " + std::to_string(i + 1), "Pool 1 nr. " + std::to_string(i + 1)));
  EXPECT_FALSE(draft.AddLink(prompter, first, 4, 0));
  draft.RemoveLinks({1, 8, 0});  // the players at 0 and 1 stay
  EXPECT_EQ(draft.List().size(), 11u);
  EXPECT_FALSE(draft.AddLink(prompter, first, 0, 0));
  EXPECT_EQ(prompter.alerts.back(), "Het nummer in de poule moet minstens 1 zijn.");
  // Removing every link leaves the players where they stood.
  ASSERT_TRUE(draft.MoveUp(8));  // the first link moves above the last player
  draft.RemoveLinks({7, 8, 9, 10});
  ASSERT_EQ(draft.List().size(), 8u);
  for (int i = 0; i < 8; ++i) EXPECT_EQ(draft.List()[i].idPlayer, players[4 + i]) << i;
  EXPECT_FALSE(draft.MoveUp(0) || draft.MoveDown(7));
  // A refused write is reported and leaves the stored positions alone.
  const size_t before = Rows(final).size();
  RefuseWrites();
  EXPECT_FALSE(draft.SaveLinks());
  db->SetStatementHook(nullptr);
  EXPECT_EQ(Rows(final).size(), before);
  ASSERT_TRUE(draft.SaveLinks());
  std::vector<int> sorts;
  for (const ContestantRecord& r : Rows(final)) sorts.push_back(r.sort);
  EXPECT_EQ(sorts, (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7}));
}

TEST_F(PositionsTest, CrossLinksTakeTheBracketOfTheKnockoutPool) {
  for (int i = 0; i < 4; ++i) AddPool(kPlaystylePoule);
  int knockout = AddPool(kPlaystyleDropout, "1-4", 900, "{ \"dimension\":8 }");
  PositionDraft draft(*db, knockout, 8);
  EXPECT_EQ(draft.BracketSize(), 8);
  ASSERT_TRUE(draft.AddLink(prompter, draft.EarlierPools()[0].id, 3, 0));
  EXPECT_FALSE(draft.AddCross(prompter, 2));
  EXPECT_EQ(prompter.alerts.back(), "Maximum aantal spelers is 8");
  draft.RemoveLinks({0});
  ASSERT_TRUE(draft.AddCross(prompter, 2));
  std::vector<std::string> sources;
  for (const Contestant& c : draft.List()) sources.push_back(c.source);
  EXPECT_EQ(sources, (std::vector<std::string>{"Pool 1 nr. 1", "Pool 2 nr. 1", "Pool 3 nr. 1", "Pool 4 nr. 1",
                                               "Pool 4 nr. 2", "Pool 3 nr. 2", "Pool 1 nr. 2", "Pool 2 nr. 2"}));
  // A round robin has no bracket of its own: the order of the bracket that
  // holds the places, the same draw the director would play on.
  int poule = AddPool(kPlaystylePoule);
  PositionDraft plain(*db, poule, kPouleDialogMaximum);
  EXPECT_EQ(plain.BracketSize(), 0);
  ASSERT_TRUE(plain.AddCross(prompter, 2));  // five earlier pools
  ASSERT_EQ(plain.List().size(), 10u);
  EXPECT_EQ(plain.List()[4].source + " " + plain.List()[5].source, "Pool 5 nr. 1 Pool 5 nr. 2");
  EXPECT_FALSE(plain.AddCross(prompter, 0));
  // More places than the largest bracket (six pools of three): in turns,
  // every other place from the last pool back.
  PositionDraft many(*db, AddPool(kPlaystyleSwiss), 100);
  ASSERT_TRUE(many.AddCross(prompter, 3));
  ASSERT_EQ(many.List().size(), 18u);
  EXPECT_EQ(many.List()[6].source, "Pool 6 nr. 2");
  EXPECT_EQ(many.List()[11].source, "Pool 1 nr. 2");
  EXPECT_EQ(many.List()[12].source, "Pool 1 nr. 3");
}

TEST_F(PositionsTest, ALateEntrantOfARunningSwissPoolLosesTheRoundsPlayed) {
  std::vector<int> players = Players(5);
  int swiss = AddPool(kPlaystyleSwiss);
  std::vector<int> seated;
  for (int i = 0; i < 4; ++i) seated.push_back(AddContestant(swiss, players[i], i + 1));
  db->AddRoundMatch(swiss, 1, db->AddMatch(swiss, seated[0], seated[1], 1, 900));  // one round played
  PositionDraft draft(*db, swiss, 100);
  ASSERT_TRUE(draft.Running());
  EXPECT_FALSE(draft.RemovePositions({0}));
  ASSERT_TRUE(draft.AddParticipants(prompter, {players[4]}));
  draft.SaveParticipants();
  // Only the newcomer loses the round played, against nobody, with no games won.
  std::vector<int> ids;
  for (const ContestantRecord& r : Rows(swiss)) ids.push_back(r.id);
  seated.push_back(ids.back());
  EXPECT_EQ(ids, seated);
  std::vector<MatchRecord> lost;
  for (const MatchRecord& m : Matches(swiss))
    if (m.indexWinner >= 0) lost.push_back(m);
  ASSERT_EQ(lost.size(), 1u);
  const MatchRecord& m = lost[0];
  EXPECT_EQ(std::tuple(m.idContestant1, m.idContestant2, m.tafel, m.starttime, m.indexWinner, m.games, m.stamp.isodate),
            std::tuple(ids.back(), kNotPlayed, 1, 900, 1, std::vector<int>{-1, -1, -1}, 20260516));
}

TEST_F(PositionsTest, TypedPoolTimesAreReadOrRefusedWithTheField) {
  PoolForm form;
  ASSERT_TRUE(ReadPoolTimes(prompter, "930", "17:45", form));
  EXPECT_EQ(std::pair(form.starttime, form.endtime), std::pair(930, 1745));
  EXPECT_FALSE(ReadPoolTimes(prompter, "9:75", "17:45", form));
  EXPECT_FALSE(ReadPoolTimes(prompter, "9:00", "25", form));
  EXPECT_EQ(prompter.alerts, (std::vector<std::string>{"De begintijd is onjuist. Vul een tijd in zoals 9:30 of 930.",
                                                       "De eindtijd is onjuist. Vul een tijd in zoals 16:00 of 1600."}));
  EXPECT_EQ(form.starttime, 930);
}

}  // namespace
}  // namespace velgram::testing
