#include <string>
#include <tuple>
#include <vector>

#include "store/database.h"
#include "store_fixture.h"

namespace velgram {
namespace {

using ParticipantsTest = StoreTest;

PlayerRecord Player(const std::string& name, int idClub = -1, const std::string& bondsnummer = "",
                    int rating = 0, const std::string& klasse = "") {
  return {-1, name, idClub, bondsnummer, rating, klasse, 0, "", ""};
}

PlayerRecord Get(Database& db, int id) {
  PlayerRecord p;
  db.GetPlayer(p, id);
  return p;
}
std::string PlayerName(Database& db, int id) { return Get(db, id).name; }
// A player known by its id only, as the screens pass it to another tournament.
PlayerRecord Known(int id) { return {id, "", -1, "", 0, "", 0, "", ""}; }

TEST_F(ParticipantsTest, TournamentNamesAreUniqueWithoutLimitAndKeepQuotes) {
  int first = db.AddToernooi("'t Hoekje \"zomer\" & co");
  int second = db.AddToernooi("'t Hoekje \"zomer\" & co");
  TournamentRecord t;
  db.GetToernooi(t, second);
  EXPECT_EQ(t.name, "'t Hoekje \"zomer\" & co (1)");
  EXPECT_EQ(t.idMatchSystem, 0);  // never written: reads as none, not as "no column"
  db.RenameToernooi(first, "Zomer '23");
  db.GetToernooi(t, first);
  EXPECT_EQ(t.name, "Zomer '23");

  // Unlike players and classes, tournaments go past 999.
  std::string sql = "INSERT INTO Toernooien (name) VALUES ('Open')";
  for (int n = 1; n <= 999; ++n) sql += ",('Open (" + std::to_string(n) + ")')";
  ASSERT_EQ(db.ExecText(nullptr, sql), 0);
  db.GetToernooi(t, db.AddToernooi("Open"));
  EXPECT_EQ(t.name, "Open (1000)");
}

TEST_F(ParticipantsTest, ClubsAreAddedOnceCachedAndListedPerTournament) {
  EXPECT_EQ(db.GetOrAddClub(""), -1);
  EXPECT_EQ(db.GetClubName(1), "");  // an unknown id is not remembered as nameless
  int zwolle = db.GetOrAddClub("'s-Zwolle");
  ASSERT_EQ(zwolle, 1);
  EXPECT_EQ(db.GetClubName(1), "'s-Zwolle");
  EXPECT_EQ(db.GetOrAddClub("'s-Zwolle"), zwolle);
  EXPECT_EQ(Count("Clubs"), 1);

  int t1 = db.AddToernooi("T1");
  int almelo = db.GetOrAddClub("Almelo");
  db.GetOrAddClub("Deventer");  // no players
  db.AddPlayer(Player("Anna", zwolle), t1);
  db.AddPlayer(Player("Bert", zwolle), t1);
  db.AddPlayer(Player("Cor", almelo), t1);
  db.AddPlayer(Player("Dirk", db.GetOrAddClub("Enschede")), db.AddToernooi("T2"));
  std::vector<ClubEntry> list, distinct;
  db.ListClubs(t1, list);
  db.ListClubsOfToernooi(t1, distinct);
  for (const auto* l : {&list, &distinct}) {
    ASSERT_EQ(l->size(), 2u);
    EXPECT_EQ((*l)[0].name, "'s-Zwolle");
    EXPECT_EQ((*l)[1].id, almelo);
  }
}

TEST_F(ParticipantsTest, PlayerNamesAreUniqueAcrossTournamentsUpTo999AndOnUpdate) {
  int t1 = db.AddToernooi("T1");
  int t2 = db.AddToernooi("T2");
  PlayerRecord full = Player("Henk 't Hart", db.GetOrAddClub("De \"Batjes\""), "NL'123", 1650, "B'");
  full.gender = 1;
  full.email = "henk@example.nl";
  int a = db.AddPlayer(full, t1);
  int b = db.AddPlayer(Player("Henk 't Hart"), t2);
  int c = db.AddPlayer(Player("Henk 't Hart"), t1);
  EXPECT_EQ(PlayerName(db, b), "Henk 't Hart (1)");
  EXPECT_EQ(PlayerName(db, c), "Henk 't Hart (2)");
  // An update keeps the player's own name and avoids the others'.
  PlayerRecord p = Get(db, c);
  p.rating = 1500;
  db.UpdatePlayer(p);
  p = Get(db, c);
  EXPECT_EQ(std::tie(p.name, p.rating), std::make_tuple("Henk 't Hart (2)", 1500));
  p = Get(db, b);
  p.name = "Bea";
  db.UpdatePlayer(p);
  p.name = "Henk 't Hart";
  db.UpdatePlayer(p);
  EXPECT_EQ(PlayerName(db, b), "Henk 't Hart (1)");
  std::vector<PlayerRecord> byId;
  db.ListPlayersById(t1, {c, b, a}, byId);  // b is not entered in t1
  EXPECT_EQ(byId.size(), 2u);
  PlayerRecord b2 = Get(db, a);
  EXPECT_EQ(std::tie(b2.name, b2.idClub, b2.bondsnummer, b2.rating, b2.klasse, b2.gender, b2.email),
            std::tie(full.name, full.idClub, full.bondsnummer, full.rating, full.klasse, full.gender, full.email));

  // After 999 taken names the last candidate is used, and the new player
  // still gets its own tournament entry.
  std::string sql = "INSERT INTO PlayersMain (name,idClub) VALUES ('Piet',-1)";
  for (int n = 1; n <= 999; ++n) sql += ",('Piet (" + std::to_string(n) + ")',-1)";
  ASSERT_EQ(db.ExecText(nullptr, sql), 0);
  int piet = db.AddPlayer(Player("Piet", -1, "", 1234), t2);
  EXPECT_EQ(PlayerName(db, piet), "Piet (999)");
  std::vector<PlayerRecord> list;
  db.ListPlayers(list, t2);
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list[1].id, piet);
  EXPECT_EQ(list[1].rating, 1234);
}

TEST_F(ParticipantsTest, SetPlayerInToernooiIsKeyedByThePlayer) {
  int t1 = db.AddToernooi("T1");
  int t2 = db.AddToernooi("T2");
  PlayerRecord p = Player("Kees");
  p.id = db.AddPlayer(Player("Kees", -1, "", 1200, "D"), t1);
  EXPECT_FALSE(db.SetPlayerInToernooi(p, t2));  // a new entry
  EXPECT_TRUE(db.SetPlayerInToernooi(p, t1));   // nothing to set: unchanged
  EXPECT_EQ(Count("PlayersToernooi WHERE rating=1200 AND klasse='D'"), 1);

  p.rating = 1400;  // a rating alone changes every entry's rating, not the class
  EXPECT_TRUE(db.SetPlayerInToernooi(p, t1));
  EXPECT_EQ(Count("PlayersToernooi WHERE rating=1400"), 2);
  EXPECT_EQ(Count("PlayersToernooi WHERE klasse='D'"), 1);
  p.rating = 0;
  p.klasse = "A'";
  EXPECT_TRUE(db.SetPlayerInToernooi(p, t2));
  EXPECT_EQ(Count("PlayersToernooi WHERE klasse='A''' AND rating=1400"), 2);
}

TEST_F(ParticipantsTest, FindPlayerFallsBackFromBondsnummerToNameAndClub) {
  int t = db.AddToernooi("T");
  int club = db.GetOrAddClub("Veenendaal");
  int withNumber = db.AddPlayer(Player("Els", club, "1234567"), t);
  int other = db.AddPlayer(Player("O'Neill", club), t);
  EXPECT_EQ(db.FindPlayer(Player("Wrong name", -1, "1234567")), withNumber);
  EXPECT_EQ(db.FindPlayer(Player("O'Neill", club, "9999999")), other);
  EXPECT_EQ(db.FindPlayer(Player("O'Neill", club + 1)), -1);
}

TEST_F(ParticipantsTest, DuosShowOneOrTwoClubsAndBelongToTheirTournament) {
  int t = db.AddToernooi("T");
  int zwolle = db.GetOrAddClub("Zwolle");
  int a = db.AddPlayer(Player("Anna", zwolle, "", 1000), t);
  int b = db.AddPlayer(Player("Bert", db.GetOrAddClub("Kampen"), "", 1200), t);
  int c = db.AddPlayer(Player("Cas", zwolle, "", 800), t);
  db.AddDuo({-1, a, b, "A", "", "", 0}, t);
  db.AddDuo({-1, a, c, "A", "", "", 0}, t);

  std::vector<DuoRecord> list;
  db.ListDuos(list, t);
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(std::tie(list[0].name, list[0].club, list[0].rating), std::make_tuple("Anna + Bert", "Zwolle/Kampen", 2200));
  EXPECT_EQ(std::tie(list[1].club, list[1].rating), std::make_tuple("Zwolle", 1800));

  // The players are shared, but another tournament has no pairs.
  int t2 = db.AddToernooi("T2");
  for (int id : {a, b}) db.SetPlayerInToernooi(Known(id), t2);
  std::vector<DuoRecord> none;
  db.ListDuos(none, t2);
  EXPECT_TRUE(none.empty());

  list[0].idPlayer2 = c;
  db.UpdateDuo(list[0]);
  DuoRecord one;
  one.name = "stale";
  db.GetDuo(one, list[0].id);  // looked up among all players
  EXPECT_EQ(one.name + "/" + one.club, "Anna + Cas/Zwolle");
}

}  // namespace
}  // namespace velgram
