#include <algorithm>
#include <string>
#include <vector>

#include "store/database.h"
#include "store_fixture.h"

namespace velgram {
namespace {

using ParticipantsTest = StoreTest;

PlayerRecord Player(const std::string& name, int idClub = -1, const std::string& bondsnummer = "",
                    int rating = 0, const std::string& klasse = "") {
  PlayerRecord p;
  p.name = name;
  p.idClub = idClub;
  p.bondsnummer = bondsnummer;
  p.rating = rating;
  p.klasse = klasse;
  return p;
}

std::string PlayerName(Database& db, int id) {
  PlayerRecord p;
  db.GetPlayer(p, id);
  return p.name;
}

TEST_F(ParticipantsTest, TournamentNamesAreMadeUniqueWithoutLimit) {
  int first = db.AddToernooi("Clubkampioenschap");
  int second = db.AddToernooi("Clubkampioenschap");
  EXPECT_GT(first, 0);
  EXPECT_GT(second, first);
  TournamentRecord t;
  db.GetToernooi(t, second);
  EXPECT_EQ(t.name, "Clubkampioenschap (1)");
  // A tournament never written with a match system reads as none, not as "no column".
  EXPECT_EQ(t.idMatchSystem, 0);

  // Unlike players and classes, tournaments go past 999.
  std::string sql = "INSERT INTO Toernooien (name) VALUES ('Open')";
  for (int n = 1; n <= 999; ++n) sql += ",('Open (" + std::to_string(n) + ")')";
  ASSERT_EQ(db.ExecText(nullptr, sql), 0);
  db.GetToernooi(t, db.AddToernooi("Open"));
  EXPECT_EQ(t.name, "Open (1000)");
}

TEST_F(ParticipantsTest, TournamentNamesWithQuotesAreStoredListedAndRenamed) {
  int id = db.AddToernooi("'t Hoekje \"zomer\" & co");
  ASSERT_GT(id, 0);
  db.AddToernooi("Aalsmeer");
  std::vector<std::pair<int, std::string>> list;
  db.ListToernooien(list);
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list[0].second, "'t Hoekje \"zomer\" & co");  // ordered by name: ' sorts before A
  EXPECT_EQ(list[0].first, id);

  db.RenameToernooi(id, "Zomer '23");
  TournamentRecord t;
  db.GetToernooi(t, id);
  EXPECT_EQ(t.name, "Zomer '23");

  TournamentRecord missing;
  missing.name = "unchanged";
  db.GetToernooi(missing, 999);
  EXPECT_EQ(missing.name, "unchanged");
}

TEST_F(ParticipantsTest, ClubsAreAddedOnceAndCached) {
  EXPECT_EQ(db.GetOrAddClub(""), -1);
  int id = db.GetOrAddClub("'s-Gravenzande");
  ASSERT_GT(id, 0);
  EXPECT_EQ(Count("Clubs"), 1);
  EXPECT_EQ(db.GetOrAddClub("'s-Gravenzande"), id);
  EXPECT_EQ(Count("Clubs"), 1);

  // The cache answers without the table: clubs are never renamed or deleted.
  db.ExecText(nullptr, "DELETE FROM Clubs");
  EXPECT_EQ(db.GetOrAddClub("'s-Gravenzande"), id);
  EXPECT_EQ(db.GetClubName(id), "'s-Gravenzande");
}

TEST_F(ParticipantsTest, ClubNameOfUnknownIdIsEmptyAndNotRemembered) {
  EXPECT_EQ(db.GetClubName(1), "");
  int id = db.GetOrAddClub("TTV Smash");
  ASSERT_EQ(id, 1);
  EXPECT_EQ(db.GetClubName(1), "TTV Smash");
}

TEST_F(ParticipantsTest, ClubListsOfATournament) {
  int t1 = db.AddToernooi("T1");
  int t2 = db.AddToernooi("T2");
  int zwolle = db.GetOrAddClub("Zwolle");
  int almelo = db.GetOrAddClub("Almelo");
  db.GetOrAddClub("Deventer");  // no players
  db.AddPlayer(Player("Anna", zwolle), t1);
  db.AddPlayer(Player("Bert", zwolle), t1);
  db.AddPlayer(Player("Cor", almelo), t1);
  db.AddPlayer(Player("Dirk", db.GetOrAddClub("Enschede")), t2);

  std::vector<ClubEntry> list;
  db.ListClubs(t1, list);
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list[0].name, "Almelo");
  EXPECT_EQ(list[1].name, "Zwolle");
  db.ListClubsOfToernooi(t1, list);
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list[1].id, zwolle);
}

TEST_F(ParticipantsTest, PlayerNamesAreUniqueAcrossTournaments) {
  int t1 = db.AddToernooi("T1");
  int t2 = db.AddToernooi("T2");
  int a = db.AddPlayer(Player("Jan de Vries"), t1);
  int b = db.AddPlayer(Player("Jan de Vries"), t2);
  int c = db.AddPlayer(Player("Jan de Vries"), t1);
  EXPECT_EQ(PlayerName(db, a), "Jan de Vries");
  EXPECT_EQ(PlayerName(db, b), "Jan de Vries (1)");
  EXPECT_EQ(PlayerName(db, c), "Jan de Vries (2)");

  std::vector<PlayerRecord> list;
  db.ListPlayers(list, t2);
  ASSERT_EQ(list.size(), 1u);
  EXPECT_EQ(list[0].id, b);
  db.ListPlayers(list, 0);
  EXPECT_EQ(list.size(), 3u);
}

TEST_F(ParticipantsTest, PlayerAfterNineHundredNinetyNineNamesGetsItsOwnEntry) {
  int t = db.AddToernooi("T");
  std::string sql = "INSERT INTO PlayersMain (name,idClub) VALUES ('Piet',-1)";
  for (int n = 1; n <= 999; ++n) sql += ",('Piet (" + std::to_string(n) + ")',-1)";
  ASSERT_EQ(db.ExecText(nullptr, sql), 0);

  PlayerRecord p = Player("Piet", -1, "", 1234, "A");
  int id = db.AddPlayer(p, t);
  ASSERT_GT(id, 1000);
  EXPECT_EQ(PlayerName(db, id), "Piet (999)");
  std::vector<PlayerRecord> list;
  db.ListPlayers(list, t);
  ASSERT_EQ(list.size(), 1u);
  EXPECT_EQ(list[0].id, id);
  EXPECT_EQ(list[0].rating, 1234);
}

TEST_F(ParticipantsTest, PlayerFieldsSurviveQuotesAndRoundTrip) {
  int t = db.AddToernooi("T");
  PlayerRecord p = Player("Henk 't Hart", db.GetOrAddClub("De \"Batjes\""), "NL'123", 1650, "B'");
  p.gender = 1;
  p.email = "henk@example.nl";
  int id = db.AddPlayer(p, t);
  PlayerRecord back;
  db.GetPlayer(back, id);
  EXPECT_EQ(back.id, id);
  EXPECT_EQ(back.name, p.name);
  EXPECT_EQ(back.idClub, p.idClub);
  EXPECT_EQ(back.bondsnummer, p.bondsnummer);
  EXPECT_EQ(back.rating, 1650);
  EXPECT_EQ(back.klasse, "B'");
  EXPECT_EQ(back.gender, 1);
  EXPECT_EQ(back.email, p.email);
}

TEST_F(ParticipantsTest, UpdatePlayerKeepsOwnNameAndAvoidsOthers) {
  int t = db.AddToernooi("T");
  int a = db.AddPlayer(Player("Anna"), t);
  int b = db.AddPlayer(Player("Bea"), t);

  PlayerRecord p;
  db.GetPlayer(p, a);
  p.rating = 1500;
  p.klasse = "C";
  db.UpdatePlayer(p);
  db.GetPlayer(p, a);
  EXPECT_EQ(p.name, "Anna");
  EXPECT_EQ(p.rating, 1500);
  EXPECT_EQ(p.klasse, "C");

  db.GetPlayer(p, b);
  p.name = "Anna";
  db.UpdatePlayer(p);
  EXPECT_EQ(PlayerName(db, b), "Anna (1)");
  EXPECT_EQ(PlayerName(db, a), "Anna");
}

TEST_F(ParticipantsTest, SetPlayerInToernooiIsKeyedByThePlayer) {
  int t1 = db.AddToernooi("T1");
  int t2 = db.AddToernooi("T2");
  int id = db.AddPlayer(Player("Kees", -1, "", 1200, "D"), t1);
  PlayerRecord p = Player("Kees");
  p.id = id;

  EXPECT_FALSE(db.SetPlayerInToernooi(p, t2));  // new entry, rating 0 and no class
  EXPECT_EQ(Count("PlayersToernooi WHERE idPlayer=" + std::to_string(id)), 2);

  // Nothing to set: both entries stay as they are.
  EXPECT_TRUE(db.SetPlayerInToernooi(p, t1));
  EXPECT_EQ(QueryInt("SELECT rating FROM PlayersToernooi WHERE idToernooi=" + std::to_string(t1), "rating"), 1200);

  // A rating alone changes the rating of every entry and keeps the class.
  p.rating = 1400;
  EXPECT_TRUE(db.SetPlayerInToernooi(p, t1));
  EXPECT_EQ(Count("PlayersToernooi WHERE rating=1400"), 2);
  EXPECT_EQ(QueryInt("SELECT COUNT(*) AS n FROM PlayersToernooi WHERE klasse='D'", "n"), 1);

  p.rating = 0;
  p.klasse = "A'";
  EXPECT_TRUE(db.SetPlayerInToernooi(p, t2));
  EXPECT_EQ(Count("PlayersToernooi WHERE klasse='A'''"), 2);
  EXPECT_EQ(Count("PlayersToernooi WHERE rating=1400"), 2);
}

TEST_F(ParticipantsTest, FindPlayerFallsBackFromBondsnummerToNameAndClub) {
  int t = db.AddToernooi("T");
  int club = db.GetOrAddClub("Veenendaal");
  int withNumber = db.AddPlayer(Player("Els", club, "1234567"), t);
  int other = db.AddPlayer(Player("Fien", club), t);

  EXPECT_EQ(db.FindPlayer(Player("Wrong name", -1, "1234567")), withNumber);
  EXPECT_EQ(db.FindPlayer(Player("Fien", club, "9999999")), other);
  EXPECT_EQ(db.FindPlayer(Player("Fien", club)), other);
  EXPECT_EQ(db.FindPlayer(Player("Fien", club + 1)), -1);
  EXPECT_EQ(db.FindPlayer(Player("O'Neill", club)), -1);
}

TEST_F(ParticipantsTest, PlayerListWithClubNamesIncludesPlayersWithoutClub) {
  int t = db.AddToernooi("T");
  int club = db.GetOrAddClub("Hilversum");
  int a = db.AddPlayer(Player("Anna", club, "", 1100, "B"), t);
  int b = db.AddPlayer(Player("Bram", 77, "", 900, "C"), t);  // club id without a club
  db.AddPlayer(Player("Chris", club), db.AddToernooi("Other"));

  std::vector<PlayerWithClub> list;
  db.ListPlayersWithClub(t, list);
  ASSERT_EQ(list.size(), 2u);
  auto find = [&](int id) { return *std::find_if(list.begin(), list.end(), [&](auto& p) { return p.id == id; }); };
  EXPECT_EQ(find(a).club, "Hilversum");
  EXPECT_EQ(find(a).rating, 1100);
  EXPECT_EQ(find(b).club, "");
  EXPECT_EQ(find(b).klasse, "C");
}

TEST_F(ParticipantsTest, DeletePlayerRemovesItFromEveryTournament) {
  int t1 = db.AddToernooi("T1");
  int t2 = db.AddToernooi("T2");
  int gone = db.AddPlayer(Player("Gijs"), t1);
  int kept = db.AddPlayer(Player("Hans"), t1);
  PlayerRecord p;
  p.id = gone;
  db.SetPlayerInToernooi(p, t2);

  db.DeletePlayer(gone);
  EXPECT_EQ(Count("PlayersMain WHERE id=" + std::to_string(gone)), 0);
  EXPECT_EQ(Count("PlayersToernooi WHERE idPlayer=" + std::to_string(gone)), 0);
  EXPECT_EQ(Count("PlayersToernooi WHERE idPlayer=" + std::to_string(kept)), 1);
}

TEST_F(ParticipantsTest, DeletePlayerIsAllOrNothing) {
  int t = db.AddToernooi("T");
  int id = db.AddPlayer(Player("Ivo"), t);
  ASSERT_EQ(db.ExecText(nullptr,
                        "CREATE TRIGGER keep BEFORE DELETE ON PlayersMain BEGIN SELECT RAISE(ABORT,'kept'); END"),
            0);
  db.DeletePlayer(id);
  EXPECT_EQ(Count("PlayersToernooi WHERE idPlayer=" + std::to_string(id)), 1);
  EXPECT_FALSE(db.InTransaction());
}

TEST_F(ParticipantsTest, DuoDisplayJoinsNamesClubsAndRatings) {
  int t = db.AddToernooi("T");
  int zwolle = db.GetOrAddClub("Zwolle");
  int kampen = db.GetOrAddClub("Kampen");
  int a = db.AddPlayer(Player("Anna", zwolle, "", 1000), t);
  int b = db.AddPlayer(Player("Bert", kampen, "", 1200), t);
  int c = db.AddPlayer(Player("Cas", zwolle, "", 800), t);

  DuoRecord mixed;
  mixed.idPlayer1 = a;
  mixed.idPlayer2 = b;
  mixed.klasse = "A";
  db.AddDuo(mixed, t);
  DuoRecord same = mixed;
  same.idPlayer2 = c;
  db.AddDuo(same, t);

  std::vector<DuoRecord> list;
  db.ListDuos(list, t);
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list[0].name, "Anna + Bert");
  EXPECT_EQ(list[0].club, "Zwolle/Kampen");
  EXPECT_EQ(list[0].rating, 2200);
  EXPECT_EQ(list[1].name, "Anna + Cas");
  EXPECT_EQ(list[1].club, "Zwolle");
  EXPECT_EQ(list[1].rating, 1800);

  DuoRecord one;
  one.name = "stale";
  db.GetDuo(one, list[0].id);
  EXPECT_EQ(one.idPlayer2, b);
  EXPECT_EQ(one.name, "Anna + Bert");
  EXPECT_EQ(one.club, "Zwolle/Kampen");
  EXPECT_EQ(one.klasse, "A");
}

TEST_F(ParticipantsTest, DuosBelongToTheirTournament) {
  int t1 = db.AddToernooi("T1");
  int t2 = db.AddToernooi("T2");
  int a = db.AddPlayer(Player("Anna"), t1);
  int b = db.AddPlayer(Player("Bert"), t1);
  PlayerRecord p;
  p.id = a;
  db.SetPlayerInToernooi(p, t2);
  p.id = b;
  db.SetPlayerInToernooi(p, t2);

  DuoRecord d;
  d.idPlayer1 = a;
  d.idPlayer2 = b;
  d.klasse = "X";
  db.AddDuo(d, t1);

  std::vector<DuoRecord> list;
  db.ListDuos(list, t2);
  EXPECT_TRUE(list.empty());
  db.ListDuos(list, t1);
  ASSERT_EQ(list.size(), 1u);

  // Changing the pair and its class, then removing it.
  int c = db.AddPlayer(Player("Cor"), t1);
  list[0].idPlayer2 = c;
  list[0].klasse = "Y'";
  db.UpdateDuo(list[0]);
  db.GetDuo(d, list[0].id);
  EXPECT_EQ(d.name, "Anna + Cor");
  EXPECT_EQ(d.klasse, "Y'");
  db.DeleteDuo(list[0].id);
  db.ListDuos(list, t1);
  EXPECT_TRUE(list.empty());
}

}  // namespace
}  // namespace velgram
