#include "competition/matchbook.h"
#include <gtest/gtest.h>
#include "competition/poule.h"
#include "engine_fixture.h"

namespace velgram {
namespace {

using Links = testing::EngineTest;

using Texts = std::vector<std::string>;

// The positions as shown: name, " / source" when asked, " ?" while unknown.
Texts Shown(const std::vector<Contestant>& list, bool withSource = false) {
  Texts out;
  for (const Contestant& c : list) out.push_back(c.name + (withSource ? " / " + c.source : "") + (c.known ? "" : " ?"));
  return out;
}

// The positions of a pool as its screen loads them.
Texts Loaded(Database& db, int idPool, bool withSource = false) {
  std::vector<Contestant> list;
  LoadContestants(db, idPool, list, true);
  return Shown(list, withSource);
}

TEST_F(Links, UnfinishedPoolShowsThePlaceItWaitsFor) {
  int cls = AddClass("Heren");
  int a = AddPool(cls, "Poule A");
  int kees = AddPlayer("Kees", "Z", 3);
  auto pos = AddPlayers(a, {AddPlayer("Jan", "X", 1), AddPlayer("Piet", "Y", 2), kees});
  Play(a, pos[0], pos[1], 0);
  Play(a, pos[1], pos[2], 0);
  int open = db.AddMatch(a, pos[0], pos[2], 1, 900);  // not played yet
  int b = AddPool(cls, "Poule B");
  AddLink(b, a, 3);
  AddLink(b, a, 0);  // no place: nobody, however far the pool is played
  LinkResolver resolver(db, toernooi);
  resolver.ReadMatchesOfToernooi();
  EXPECT_EQ(resolver.Contestants(b).at(0).club + resolver.Contestants(b).at(0).klasse, "");
  EXPECT_EQ(Shown(resolver.Contestants(b), true), (Texts{"Poule A nr. 3 / Poule A nr. 3 ?", "Poule A nr. 0 / Poule A nr. 0 ?"}));
  // The last result comes in: once the resolver forgets what it read, the
  // link resolves to the player in third place.
  db.RecordResult(open, 0, {6, 6, 6}, true);
  resolver.Clear();
  const Contestant c = resolver.Contestants(b).at(0);
  EXPECT_EQ(std::tuple(c.name, c.club, c.rating, c.known, c.idResolved), std::tuple("Kees", "Z", 3, true, kees));
}

TEST_F(Links, ClassFilterTakesTheBestOfThatClass) {
  int cls = AddClass("Open");
  int a = AddPool(cls, "Poule A");
  auto pos = AddPlayers(a, {AddPlayer("Anna", "X", 1, "A"), AddPlayer("Bert", "X", 1, "B"),
                            AddPlayer("Carla", "X", 1, "A"), AddPlayer("Dirk", "X", 1, "B")});
  for (auto [winner, loser] : {std::pair{2, 0}, {2, 1}, {2, 3}, {0, 1}, {0, 3}, {3, 1}})  // Carla, Anna, Dirk, Bert
    Play(a, pos[winner], pos[loser], 0);
  EXPECT_EQ(PoolClassList(db, a), (Texts{"A", "B"}));
  int b = AddPool(cls, "Poule B");
  AddLink(b, a, 1, 2);  // best of class B
  AddLink(b, a, 2, 2);
  AddLink(b, a, 1, 0);
  AddLink(b, a, 3, 1);  // class A has only two players
  EXPECT_EQ(Loaded(db, b, true), (Texts{"Dirk / Poule A nr. 1, klasse B", "Bert / Poule A nr. 2, klasse B",
                                        "Carla / Poule A nr. 1", "Poule A nr. 3 / Poule A nr. 3, klasse A ?"}));
  // The filter renumbers its class in standings order and puts everyone else,
  // and whoever left the pool, out of reach.
  std::vector<Contestant> cs(5);
  const char* classes[] = {"A", "B", "A", "B", "B"};
  for (int i = 0; i < 5; ++i) cs[i].klasse = classes[i];
  cs[4].poolPos = -1;  // removed from the pool
  EXPECT_EQ(FilterPlacesByClass({0, 3, 1, 2, 4}, cs, "B"), (std::vector<int>{1000, 1, 1001, 0, 1004}));
  // An unfinished pool hands out no places through the filter either.
  EXPECT_EQ(FilterPlacesByClass({-1, -1, -1, -1, -1}, cs, "B"), (std::vector<int>{-1, -1, -1, -1, -1}));
}

TEST_F(Links, ResolveThroughTwoPoolsAndRankEachPoolOnce) {
  int cls = AddClass("Jeugd");
  int a = AddPool(cls, "A");
  auto pa = AddPlayers(a, {AddPlayer("Jan", "X", 1, "J"), AddPlayer("Piet", "Y", 2, "K")});
  Play(a, pa[0], pa[1], 1);  // Piet first, Jan second
  int b = AddPool(cls, "B");
  int l1 = AddLink(b, a, 1);
  int l2 = AddLink(b, a, 2);
  AddPlayers(b, {AddPlayer("Kees", "Z", 3, "L")});
  auto pb = PositionIds(b);
  Play(b, l2, l1, 0);   // Jan beats Piet
  Play(b, l2, pb[2], 0);  // and Kees
  Play(b, l1, pb[2], 0);
  int c = AddPool(cls, "C");
  for (int place = 1; place <= 3; ++place) AddLink(c, b, place);
  AddLink(c, b, 1);
  LinkResolver resolver(db, toernooi);
  EXPECT_EQ(Shown(resolver.Contestants(c)), (Texts{"Jan", "Piet", "Kees", "Jan"}));
  EXPECT_EQ(std::pair(resolver.Contestants(c)[0].resolvedType, resolver.StandingsComputed()),
            std::pair(int{kLinkPlayer}, 2));  // A and B ranked once each
  // The same with the tournament's matches read in one go.
  LinkResolver bulk(db, toernooi);
  bulk.ReadMatchesOfToernooi();
  EXPECT_EQ(std::pair(Shown(bulk.Contestants(c)), bulk.Places(b)), std::pair(Shown(resolver.Contestants(c)), resolver.Places(b)));
  EXPECT_EQ(bulk.Explanations(b)[1], "Enige speler met 2 overwinningen");
  EXPECT_EQ(PoolClassList(db, c), (Texts{"J", "K", "L"}));
}

// Games-won counts (mode 2) are no game codes: a three-way tie in such a pool
// goes to the lot instead of to quotients read from the counts. The pool's own
// rules hold even after a pool of its class, under the class's rules, was ranked.
TEST_F(Links, GamesWonCountsAreNotReadAsGames) {
  MatchSystem gamesWon = DefaultMatchSystem();
  std::tie(gamesWon.name, gamesWon.result, gamesWon.immutable) = std::tuple("Games", kResultGames, false);
  int idGames = db.AddMatchSystem(gamesWon);
  int cls = AddClass("Veteranen");
  int d = AddPool(cls, "D");
  auto q = AddPlayers(d, {AddPlayer("Dirk", "W", 1), AddPlayer("Eva", "V", 1)});
  Play(d, q[0], q[1], 0);
  int a = AddPool(cls, "A", "1-4", 900, idGames);
  auto p = AddPlayers(a, {AddPlayer("Anna", "X", 1), AddPlayer("Bert", "Y", 1), AddPlayer("Carla", "Z", 1)});
  Play(a, p[2], p[1], 0, {3, 0});
  Play(a, p[1], p[0], 0, {3, 1});
  Play(a, p[0], p[2], 0, {3, 2});
  int b = AddPool(cls, "B");
  AddLink(b, d, 1);
  AddLink(b, a, 1);
  EXPECT_EQ(Loaded(db, b), (Texts{"Dirk", "Anna"}));  // read as codes, Bert would lead
}

// Read tournament-wide, a pool's matches keep the pool's own order: by time
// and table, then by id, as read one pool at a time.
TEST_F(Links, MatchesReadTournamentWideKeepThePoolsOrder) {
  int a = AddPool(AddClass("Jeugd"), "A");
  auto p = AddPlayers(a, {AddPlayer("Anna", "X", 1), AddPlayer("Bert", "Y", 1)});
  const std::vector<int> ids = {db.AddMatch(a, p[0], p[1], 2, 930), db.AddMatch(a, p[1], p[0], 1, 930),
                                db.AddMatch(a, p[0], p[1], 1, 930)};
  LinkResolver resolver(db, toernooi);
  resolver.ReadMatchesOfToernooi();
  std::vector<int> order;
  for (const MatchEntry& m : resolver.Matches(a)) order.push_back(m.id);
  EXPECT_EQ(order, (std::vector<int>{ids[1], ids[2], ids[0]}));
}

// A damaged file where A takes a place of B, B a place of A, and A one of
// itself: resolution ends, and only the links that lead round stay open.
TEST_F(Links, ACycleOfLinksEnds) {
  int cls = AddClass("Kapot");
  int a = AddPool(cls, "A");
  int b = AddPool(cls, "B");
  AddLink(a, b, 1);
  AddLink(a, a, 2);
  int back = AddLink(b, a, 1);
  int kees = AddPlayers(b, {AddPlayer("Kees", "Z", 3)}).back();
  Play(b, kees, back, 0);
  EXPECT_EQ(std::pair(Loaded(db, a), Loaded(db, b)), std::pair(Texts{"Kees", "A nr. 2 ?"}, Texts{"A nr. 1 ?", "Kees"}));
  EXPECT_EQ(PoolClassList(db, a), Texts{"A"});
}

TEST_F(Links, DuosAndPlayersResolveWithTheirDisplayTexts) {
  int cls = AddClass("Dubbel");
  int pool = AddPool(cls, "P");
  const int duo = AddDuo(AddPlayer("Jan", "TTV", 1500, "D"), AddPlayer("Piet", "Smash", 1400, "D"), "D1");
  const int seat = AddPlayers(pool, {duo}, kLinkDuo).at(0);
  const int match = db.AddMatch(pool, seat, kNotPlayed, 0, 0);
  for (int t : {toernooi, -1}) {
    LinkResolver resolver(db, t);
    const Contestant& c = resolver.Contestants(pool).at(0);
    EXPECT_EQ(std::tuple(c.name, c.club, c.klasse, c.duoNames[0], c.duoNames[1], c.source, c.rating, c.known),
              std::tuple("Jan + Piet", "TTV/Smash", "D1", "Jan", "Piet", "Vast", 2900, true));
  }
  EXPECT_EQ(PoolClassList(db, pool), Texts{"D1"});
  MatchBook book(db);  // the duo sheet names both players of a side
  book.FillToernooi(toernooi);
  const MatchEntry* m = book.FindMatch(match);
  ASSERT_TRUE(m);
  EXPECT_EQ(std::pair(m->duo1[0], m->duo1[1]), (std::pair<std::string, std::string>("Jan", "Piet")));
  Contestant odd;
  odd.linktype = 4;
  ResolveContestant(db, odd);
  EXPECT_EQ(Shown({odd}), Texts{"??? ?"});
}

TEST_F(Links, MatchBookNamesSidesAndSeats) {
  int cls = AddClass("Heren");
  int pool = AddPool(cls, "Poule A");
  auto pos = AddPlayers(pool, {AddPlayer("Jan", "TTV", 1), AddPlayer("Piet", "Smash", 2)});
  int played = Play(pool, pos[0], pos[1], 1);
  int open = db.AddMatch(pool, pos[0], pos[1], 3, 930);
  int bye = db.AddMatch(pool, pos[0], kNotPlayed, 0, 0);
  int fromPlayed = db.AddMatch(pool, -played, -open, 2, 1000);
  int missing = db.AddMatch(pool, -9999, 12345, 2, 1000);
  MatchBook book(db);
  book.Refill(open);
  EXPECT_EQ(book.Toernooi(), toernooi);
  ASSERT_EQ(book.Matches().size(), 5u);
  Texts names;
  for (int m : {played, bye, fromPlayed, missing}) names.insert(names.end(), {book.FindMatch(m)->name1, book.FindMatch(m)->name2});
  EXPECT_EQ(names, (Texts{"Jan", "Piet", "Jan", "Niet gespeeld", "Piet", "?9:30 Tafel 3", "???", "???"}));
  EXPECT_EQ(book.FindMatch(played)->indexWinner, 1);
  Texts shown = {book.SideName(pos[0], 777777), book.SeatName(pool, 1, true),
                                    book.SeatName(pool, 2, false), book.SeatName(pool + 1000, 0, false)};
  book.withClub = true;
  shown.insert(shown.end(), {book.SideName(pos[0], pool), book.MatchSystemOfPool(pool).name});
  EXPECT_EQ(shown, (Texts{"?", "Piet (Vast)", "Bye", "Speler 1", "Jan (TTV)", "Best of 5"}));
  using S = MatchBook::Sides;
  std::vector<S> sides;
  for (int m : {open, bye, fromPlayed, missing}) sides.push_back(book.CheckSides(*book.FindMatch(m)));
  EXPECT_EQ(sides, (std::vector<S>{S::kReady, S::kBye, S::kUnknown, S::kUnknown}));
  int link = AddLink(pool, pool + 500, 1);  // to a pool that does not exist
  int toLink = db.AddMatch(pool, pos[0], link, 1, 900);
  book.withClub = false;
  book.Refill(toLink);
  EXPECT_EQ(std::pair(book.FindMatch(toLink)->name2, book.CheckSides(*book.FindMatch(toLink))),
            std::pair(std::string("???"), S::kUnknown));
  // With no tournament open the book holds nothing, not a pointer into the old rows.
  book.FillToernooi(-1);
  EXPECT_EQ(book.FindMatch(missing), nullptr);
}

// The book of a tournament is read in a fixed number of statements, however
// many pools it has; the book of one match reads its own pool and the pools
// its links go through, and names its matches as the whole book does.
TEST_F(Links, ReadsDoNotGrowWithThePools) {
  int cls = AddClass("Open");
  Texts texts;
  auto count = [&](auto read) {
    texts.clear();
    db.SetStatementHook([&](int, const char* sql) { return texts.push_back(sql), StatementFault::kRun; });
    read();
    db.SetStatementHook(nullptr);
    return static_cast<int>(texts.size());
  };
  int first = -1, linked = -1, linkedMatch = -1;
  std::vector<std::pair<int, int>> counts;  // whole book, book of the linked match
  for (int round = 0; round < 2; ++round) {
    for (int p = 0; p < 4; ++p) {
      int pool = AddPool(cls, "P" + std::to_string(round) + std::to_string(p));
      if (first < 0) first = pool;
      auto pos = AddPlayers(pool, {AddPlayer("A" + std::to_string(pool), "X", 1), AddPlayer("B" + std::to_string(pool), "Y", 2)});
      Play(pool, pos[0], pos[1], 1);
    }
    if (linked < 0) {
      linked = AddPool(cls, "Finale");
      int l1 = AddLink(linked, first, 1), l2 = AddLink(linked, first, 2);
      linkedMatch = db.AddMatch(linked, l1, l2, 1, 900);
    }
    MatchBook whole(db), one(db);
    const int wholeCount = count([&] { whole.FillToernooi(toernooi); });
    counts.emplace_back(wholeCount, count([&] { one.FillPoolOfMatch(linkedMatch); }));
    // The players read are those of the positions, not the tournament's.
    for (const std::string& sql : texts)
      EXPECT_TRUE(sql.find("PlayersToernooi") == std::string::npos || sql.find(" IN (") != std::string::npos) << sql;
    const MatchEntry* w = whole.FindMatch(linkedMatch);
    ASSERT_EQ(one.Matches().size(), 1u);
    EXPECT_EQ((Texts{one.Matches()[0].name1, one.Matches()[0].name2, one.Matches()[0].poolName}),
              (Texts{w->name1, w->name2, w->poolName}));
    EXPECT_EQ(w->name1, "B" + std::to_string(first));
  }
  EXPECT_TRUE(counts[0] == counts[1] && counts[1].first <= 12);
}

}  // namespace
}  // namespace velgram
