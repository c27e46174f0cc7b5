#include "exchange/import_players.h"

#include <gtest/gtest.h>

#include <deque>
#include <map>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "exchange/import_file.h"
#include "store/recordset.h"
#include "exchange_fixture.h"

namespace velgram {
namespace {

using Texts = std::vector<std::string>;

// Answers the import's questions from a script and records what was asked.
class ScriptedImport : public testing::FakePrompterOf<ImportPrompter> {
 public:
  ClubChoice SelectClub(const PlayerRecord& row, const std::vector<ClubEntry>& clubs) override {
    clubQuestions.push_back(row.name + " / " + row.clubName);
    offeredClubs = clubs;
    if (clubAnswers.empty()) return {};
    ClubChoice c = clubAnswers.front();
    clubAnswers.pop_front();
    for (const ClubEntry& e : clubs)
      if (c.kind == ClubChoice::kExisting && c.idClub == -1 && e.name == c.newName) c.idClub = e.id;
    return c;
  }
  // Tries each selection in turn, as a user pressing "Verwijder de
  // geselecteerde spelers"; closes when one succeeds, else ends with `last`.
  RemoveOutcome RemovePlayers(const std::vector<PlayerRecord>& players,
                              const std::function<bool(const std::vector<int>&)>& removeSelected) override {
    ++removeDialogs;
    offered = players;
    for (const std::vector<int>& selection : selections)
      if (removeSelected(selection)) return RemoveOutcome::kContinue;
    return last;
  }

  Texts clubQuestions;
  std::deque<ClubChoice> clubAnswers;
  std::vector<ClubEntry> offeredClubs;
  std::vector<std::vector<int>> selections;
  RemoveOutcome last = RemoveOutcome::kContinue;
  std::vector<PlayerRecord> offered;
  int removeDialogs = 0;
};

ClubChoice Existing(int id) { return {ClubChoice::kExisting, id, ""}; }
ClubChoice NewClub(const std::string& name) { return {ClubChoice::kNew, -1, name}; }
// The line of the list that shows this name, as the user picks it.
ClubChoice Listed(const std::string& name) { return {ClubChoice::kExisting, -1, name}; }

class ImportTest : public testing::TournamentTest {
 protected:
  ImportResult Import(const std::string& text) { return ImportPlayers(*db, idT, ParseImportText(text), ui); }

  PlayerRecord Get(int id) {
    PlayerRecord p;
    db->GetPlayer(p, id);
    return p;
  }

  // The tournament's players by name.
  std::map<std::string, PlayerRecord> Entered() {
    std::vector<PlayerRecord> list;
    db->ListPlayers(list, idT);
    std::map<std::string, PlayerRecord> byName;
    for (const PlayerRecord& p : list) byName[p.name] = p;
    return byName;
  }

  ScriptedImport ui;
};

TEST_F(ImportTest, NewParticipantsAreAddedToKnownClubsIgnoringCaseOrAskedFor) {
  EXPECT_EQ(ImportPlayers(*db, 0, ParseImportText("An,C,1,V,,1,A\n"), ui), ImportResult::kNoTournament);
  EXPECT_EQ(ui.alerts, Texts{"Selecteer eerst een toernooi."});
  int bal = db->GetOrAddClub("TTV De Bal");
  int cafe = db->GetOrAddClub("Caf\xC9 \xC0 Z");
  ASSERT_EQ(Import("Naam,Vereniging,Bondsnummer,Geslacht,Email,Speelsterkte,Klasse\n"
                   "Jansen,ttv de bal,111,M,j@x.nl,1650,A\n"
                   "Ren\xC3\xA9" "e,caf\xC3\xA9 \xC3\xA0 z,,Vrouw,,abc,B\n"
                   "Lech Wa\xC5\x82\xC4\x99sa,TTV De Bal,4,M,,1,A\n"
                   "Mia \xF0\x9F\x98\x80,Caf\xC3\x89 \xC3\x80 Z,6,V,,1,A\n"
                   "Bo,Onbekend,,M,,1,A\nCor,onbekend,,M,,1,A\n"),
            ImportResult::kImported);
  // A cancelled club question is asked again for the next row of that club;
  // with nobody in the tournament yet, every club is offered, by name.
  EXPECT_EQ(ui.clubQuestions, (Texts{"Bo / Onbekend", "Cor / onbekend"}));
  ASSERT_EQ(ui.offeredClubs.size(), 2u);
  EXPECT_EQ(ui.offeredClubs[0].id, cafe);
  // The report names the participants whose names were brought near.
  EXPECT_EQ(ui.alerts.back(), "6 deelnemers toegevoegd.\r\nGeen deelnemers gewijzigd.\r\n\r\n"
                              "In de naam of vereniging van deze deelnemers stonden tekens die Velgram niet kan "
                              "opslaan; ze zijn vervangen door de gewone letter of \"?\":\r\nLech Walesa\r\nMia ?");
  auto players = Entered();
  ASSERT_EQ(players.size(), 6u);
  EXPECT_EQ(players["Cor"].idClub, -1);
  const PlayerRecord& j = players["Jansen"];
  EXPECT_EQ(std::tie(j.idClub, j.bondsnummer, j.gender, j.email, j.rating), std::make_tuple(bal, "111", 1, "j@x.nl", 1650));
  const PlayerRecord& r = players["Ren\xE9" "e"];
  EXPECT_EQ(std::tie(r.idClub, r.gender, r.klasse), std::make_tuple(cafe, 0, "B"));
}

TEST_F(ImportTest, KnownPlayersAreChangedButTheirMasterRowsStay) {
  int a = Player("Piet Jansen", "TTV", "111", 1500, "A");
  int b = Player("Kees", "TTV", "", 1200, "B");
  int c = Player("Anna", "TTV", "333", 900, "C", db->AddToernooi("Vorige"));  // known, not entered here
  PlayerRecord before = Get(a);
  ASSERT_EQ(Import("P. Jansen,Elders,111,V,nieuw@x.nl,abc,D\n"     // same number: Piet
                   "Kees,ttv,,M,,1300,B2\n"                         // same name and club
                   "Anna,TTV,333,V,,0,C\n"
                   // Listed twice, by name and club or under one number and
                   // another name: one player, the second row changes it.
                   "Cor,TTV,,V,,1,A\nCor,TTV,,V,,1400,B\nDirk,TTV,77,M,,1,A\nD. de Vries,TTV,77,M,,1500,A\n"),
            ImportResult::kImported);
  EXPECT_EQ(ui.alerts.back(), "3 deelnemers toegevoegd.\r\n4 deelnemers gewijzigd.");
  EXPECT_EQ(std::make_tuple(Entered()["Cor"].rating, Entered()["Dirk"].rating, Entered().size()),
            std::make_tuple(1400, 1500, 5u));
  PlayerRecord piet = Get(a);  // "abc" reads as 0, which keeps the rating
  EXPECT_EQ(std::tie(piet.name, piet.email, piet.idClub, piet.gender, piet.rating, piet.klasse),
            std::tie(before.name, before.email, before.idClub, before.gender, before.rating, "D"));
  EXPECT_EQ(Get(b).rating, 1300);
  EXPECT_EQ(Entered()["Anna"].id, c);
  EXPECT_EQ(ui.removeDialogs, 0);  // nobody was left out of the file
}

// An answered question is not asked again for the same club in other
// letters. A new club is made once, trimmed, for every row that names it
// alike, and is offered, with the clubs of the tournament's players only, to
// a later row spelled otherwise.
TEST_F(ImportTest, AnsweredClubsAreRememberedAndANewClubIsMadeOnce) {
  const int zwaluwen = db->GetOrAddClub("Zwaluwen");
  db->GetOrAddClub("Adelaars");
  Player("Zeger", "Zwaluwen", "9");
  ui.clubAnswers = {Existing(zwaluwen), NewClub(" Nieuw TTV "), Listed("Nieuw TTV")};
  ASSERT_EQ(Import("Zeger,Zwaluwen,9,M,,1,A\nCas,Elders,,V,,1,A\nDo,ELDERS,,M,,1,A\n"
                   "An,Nieuw,,V,,1,A\nBo,nieuw,,M,,1,A\nCor,Nieuw TTV,,M,,1,A\nEva,ttv Nieuw ,,M,,1,A\n"),
            ImportResult::kImported);
  EXPECT_EQ(ui.clubQuestions, (Texts{"Cas / Elders", "An / Nieuw", "Eva / ttv Nieuw"}));
  std::vector<std::string> offered;
  for (const ClubEntry& c : ui.offeredClubs) offered.push_back(c.name);
  EXPECT_EQ(offered, (Texts{"Nieuw TTV", "Zwaluwen"}));
  std::vector<ClubEntry> clubs;
  db->ListClubs(0, clubs);
  ASSERT_EQ(clubs.size(), 3u);
  const int made = db->GetOrAddClub("Nieuw TTV");
  const std::set<std::string> inZwaluwen = {"Cas", "Do", "Zeger"};
  for (auto& [name, p] : Entered()) EXPECT_EQ(p.idClub, inZwaluwen.count(name) ? zwaluwen : made) << name;
}

// That nothing of a failed import is kept, the fault-injection loops show.
TEST_F(ImportTest, AFailedWriteIsTold) {
  db->ExecText(nullptr, "CREATE TRIGGER vol BEFORE INSERT ON PlayersToernooi WHEN NEW.rating=2 "
                        "BEGIN SELECT RAISE(ABORT,'vol'); END");
  EXPECT_EQ(Import("An,,,V,,1,A\nBo,,,M,,2,A\n"), ImportResult::kFailed);
  EXPECT_EQ(ui.alerts, Texts{"Het importeren is mislukt; er is niets opgeslagen."});
}

class RemovalTest : public ImportTest {
 protected:
  void SetUp() override {
    ImportTest::SetUp();
    an = Player("An", "TTV", "1");
    bo = Player("Bo", "TTV", "2");
    other = db->AddToernooi("Najaar");
    cor = Player("Cor", "TTV", "3", 1000, "A", other);
    // Bo is entered in both tournaments and must be offered once.
    db->SetPlayerInToernooi(Get(bo), other);
  }
  int an = 0, bo = 0, cor = 0, other = 0;
};

TEST_F(RemovalTest, SelectedPlayersAreRemovedEverywhereAfterConfirmation) {
  ui.selections = {{}, {bo, cor}, {bo, cor}, {cor}};
  ui.answers = {false, true, true};
  Position(Pool(Class("Senioren", 1, other), "Poule 1"), bo);  // Bo plays in the other tournament
  ASSERT_EQ(Import("An,TTV,1,V,,1,A\n"), ImportResult::kImported);
  ASSERT_EQ(ui.offered.size(), 2u);  // An is in the file
  EXPECT_EQ(ui.questions, (Texts{"Weet u zeker, dat u 2 deelnemers wilt verwijderen?",
                                 "Weet u zeker, dat u 2 deelnemers wilt verwijderen?",
                                 "Weet u zeker, dat u 1 deelnemer wilt verwijderen?"}));
  EXPECT_EQ(ui.alerts, (Texts{"Selecteer de spelers die u wilt verwijderen.",
                              "Bo speelt in Senioren / Poule 1 (toernooi Najaar)",
                              "Geen deelnemers toegevoegd.\r\n1 deelnemer gewijzigd."}));
  std::string rs;
  db->Exec(&rs, "SELECT id FROM PlayersToernooi WHERE idPlayer=%d UNION SELECT id FROM PlayersMain WHERE id=%d", cor,
           cor);
  EXPECT_FALSE(HasRows(rs));
  EXPECT_EQ(Get(bo).name, "Bo");
}

TEST_F(RemovalTest, PlayersInPoolsOrDuosAreNotRemoved) {
  int pool = Pool(Class("Dubbel", 2), "Groep A");
  Position(pool, Duo(an, bo), kLinkDuo);
  EXPECT_EQ(PlayersStillPlaying(*db, idT, {cor, bo}), "Bo speelt in Dubbel / Groep A");
  EXPECT_EQ(PlayersStillPlaying(*db, idT, {cor}), "");

  Position(Pool(Class("Enkel"), "Poule 2"), cor);
  EXPECT_EQ(PlayersStillPlaying(*db, other, {cor}), "Cor speelt in Enkel / Poule 2 (toernooi Open)");

  // A duo that plays nowhere still needs both its players.
  db->DeletePool(pool);
  EXPECT_EQ(PlayersStillPlaying(*db, idT, {an}), "An zit in duo An + Bo");
}

// Neither a file without participants nor stopping at the removal question
// changes the database file.
TEST_F(RemovalTest, NoRowsOrStoppingLeaveTheDatabaseFileAsItWas) {
  const std::string before = testing::ReadFileBytes(DbFile());
  EXPECT_EQ(Import("Naam,Vereniging,Bondsnummer,Geslacht,Email,Speelsterkte,Klasse\r\n"), ImportResult::kNoRows);
  EXPECT_EQ(ui.alerts, Texts{"Het bestand bevat geen spelers."});
  EXPECT_EQ(ui.removeDialogs, 0);

  ui.alerts.clear();
  ui.clubAnswers = {NewClub("Nieuwe club")};
  ui.last = RemoveOutcome::kStop;
  EXPECT_EQ(Import("Dirk,Elders,,M,,1,A\nAn,TTV,1,V,,1700,B\n"), ImportResult::kStopped);
  EXPECT_EQ(testing::ReadFileBytes(DbFile()), before);
  EXPECT_TRUE(ui.alerts.empty());
  EXPECT_EQ(Get(an).rating, 1000);
  // The club that was not made is not remembered either.
  EXPECT_EQ(db->GetClubName(db->GetOrAddClub("Nieuwe club")), "Nieuwe club");
}

}  // namespace
}  // namespace velgram
