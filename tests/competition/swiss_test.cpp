#include <gtest/gtest.h>
#include "competition/matchbook.h"
#include "competition/simulate.h"
#include "competition/swiss.h"
#include "competition/swiss_screen.h"
#include "event_fixture.h"
#include "support/random.h"
#include "support/text.h"

namespace velgram {
namespace {

using Pairs = std::vector<std::pair<int, int>>;
using PairSet = std::set<std::pair<int, int>>;
using testing::EventFixture;
using testing::ScriptedRandom;

Contestant Player(int id, int rating, int poolPos = 1) {
  Contestant c;
  std::tie(c.id, c.rating, c.poolPos) = std::tie(id, rating, poolPos);
  return c;
}

MatchEntry Match(int id, int a, int b, int winner, std::vector<int> games = {}, int decision = kDecisionPlayed) {
  MatchEntry m;
  std::tie(m.id, m.idContestant1, m.idContestant2, m.indexWinner, m.decision) = std::tie(id, a, b, winner, decision);
  m.games = std::move(games);
  return m;
}

// Rounds 1..n as rows (only the highest round number matters here).
std::vector<RoundEntry> Rounds(int n) {
  std::vector<RoundEntry> list;
  for (int r = 1; r <= n; ++r) list.push_back({r, r, 10000 + r});
  return list;
}

// n players with distinct ratings, strongest first.
std::vector<Contestant> Field(int n) {
  std::vector<Contestant> list;
  for (int i = 0; i < n; ++i) list.push_back(Player(101 + i, 1990 - 10 * i, i + 1));
  return list;
}

// Pairs as 1-based positions in the sorted card list.
Pairs PairsByPosition(const LSwiss& s) {
  std::map<int, int> posOf;
  for (size_t i = 0; i < s.cards.size(); ++i) posOf[s.cards[i].contestantId] = static_cast<int>(i) + 1;
  Pairs pairs;
  for (size_t i = 0; i < s.cards.size(); ++i)
    if (s.cards[i].partner >= 0 && posOf[s.cards[i].partner] > static_cast<int>(i) + 1)
      pairs.emplace_back(static_cast<int>(i) + 1, posOf[s.cards[i].partner]);
  return pairs;
}

// Cards go by points, weerstand and rating, then the one with fewer byes first.
TEST(SwissCards, OrderEndsWithFewerByesFirst) {
  std::vector<LCard> cards = {{1, 2, 10, 1500, 1}, {2, 2, 10, 1500, 0}, {3, 2, 10, 1600, 1}, {4, 2, 20, 1000, 2},
                              {5, 3, 0, 0, 1}};
  SortCards(cards);
  std::vector<int> order;
  for (const LCard& c : cards) order.push_back(c.contestantId);
  EXPECT_EQ(order, (std::vector<int>{5, 4, 3, 2, 1}));
}

TEST(SwissBorder, SettingGivesDistance) {
  const struct {
    const char* setting;
    int positions;
    int border;
  } cases[] = {{"-40", 10, 4}, {"-40", 30, 12}, {"-5", 10, 5},  {"abc", 10, 5}, {"", 10, 5},
               {"0", 10, 5},   {"3", 10, 3},    {" 7x", 10, 7}, {"-40", 0, 5},  {"99999999999999", 10, 2147483647}};
  for (const auto& c : cases) EXPECT_EQ(SwissBorderDistance(c.setting, c.positions), c.border) << c.setting;
  EXPECT_GT(SwissBorderDistance("-99999999999999", 1000), 0);
}

// Each plays the one five places below; the last two, with nobody that far
// below, meet each other. An odd field has its bye at the first attempt.
TEST(SwissPairing, FirstRoundPairsAtDistanceFive) {
  for (auto [players, pairs] : {std::pair{12, Pairs{{1, 6}, {2, 7}, {3, 8}, {4, 9}, {5, 10}, {11, 12}}},
                                std::pair{5, Pairs{{1, 5}, {2, 4}}}}) {
    LSwiss s;
    s.SetData(Field(players), {}, {});
    ASSERT_TRUE(s.PairCards());
    EXPECT_EQ(std::pair(PairsByPosition(s), s.maxByesPerRound), std::pair(pairs, 1)) << players;
  }
}

TEST(SwissPairing, EvenFieldWithAnUnpairablePlayerNeedsTheSecondAttempt) {
  // Four players, everyone played every round; the fourth has met all others
  // (the others also met players who have left the pool since).
  const int schedule[3][3][2] = {{{1, 4}, {2, 901}, {3, 902}}, {{2, 4}, {1, 903}, {3, 904}}, {{3, 4}, {1, 905}, {2, 906}}};
  std::vector<MatchEntry> matches;
  std::vector<RoundEntry> rounds;
  for (int r = 0; r < 3; ++r)
    for (const auto& pair : schedule[r]) {
      matches.push_back(Match(static_cast<int>(matches.size()) + 1, pair[0], pair[1], 0));
      rounds.push_back({matches.back().id, r + 1, matches.back().id});
    }
  std::vector<Contestant> field = Field(4);
  for (int i = 0; i < 4; ++i) field[i].id = i + 1;
  LSwiss s;
  s.SetData(field, matches, rounds);
  ASSERT_TRUE(s.PairCards());
  EXPECT_TRUE(s.allowEvenBye && s.maxByesPerRound == 2);
  // The fourth and one other player sit out; the other two play.
  EXPECT_EQ(std::count_if(s.cards.begin(), s.cards.end(), [](const LCard& c) { return c.partner == kCardBye; }), 2);
  EXPECT_EQ(std::find_if(s.cards.begin(), s.cards.end(), [](const LCard& c) { return c.contestantId == 4; })->partner,
            kCardBye);
  // Two players who met before, with their byes used up: no pairing at all.
  s.SetData(Field(2), {Match(5, 101, 102, 0)}, {{1, 1, 5}, {2, 3, 99}});
  EXPECT_FALSE(s.PairCards());
  for (const LCard& c : s.cards) EXPECT_EQ(c.partner, kCardUnpaired);
}

TEST(SwissPairing, WholeEventsHaveNoRematchesAndByesOnlyAtTheBottom) {
  // Pair, simulate weighted results, repeat; check every round.
  for (auto [players, roundsToPlay] : {std::pair{13, 8}, std::pair{30, 9}}) {
    StdRandom random(7);
    const std::vector<Contestant> field = Field(players);
    std::vector<MatchEntry> matches;
    std::vector<RoundEntry> rounds;
    std::set<std::pair<int, int>> played;
    std::set<int> hadBye;
    for (int round = 1; round <= roundsToPlay; ++round) {
      LSwiss s;
      s.SetData(field, matches, rounds);
      ASSERT_TRUE(s.PairCards()) << players << " round " << round;
      int byes = 0;
      for (const LCard& c : s.cards) {
        if (c.partner == kCardBye) {
          ++byes;
          EXPECT_LT(c.byes, s.maxByesPerPlayer);
          // The last score group, possibly widened by the cards it could not
          // pair upwards; never above it.
          EXPECT_LE(c.points, s.cards.back().points + 1);
          hadBye.insert(c.contestantId);
        }
        if (c.partner < c.contestantId) continue;  // each pair once
        ASSERT_TRUE(played.insert({c.contestantId, c.partner}).second) << "rematch in round " << round;
        MatchEntry m = Match(static_cast<int>(matches.size()) + 1, c.contestantId, c.partner, 0);
        m.indexWinner = SimulatedWinner(SimMode::kWeighted, field[c.contestantId - 101].rating,
                                        field[c.partner - 101].rating, random);
        matches.push_back(m);
        rounds.push_back({m.id, round, m.id});
      }
      EXPECT_EQ(byes > 0, players % 2 == 1 || s.allowEvenBye);
      EXPECT_LE(byes, s.maxByesPerRound);
    }
    EXPECT_EQ(played.size(), static_cast<size_t>(roundsToPlay * (players / 2)));
    // Thirteen players: a different one has the bye every round.
    EXPECT_EQ(hadBye.size(), players == 13 ? 8u : 0u);
  }
}

// A walkover gives the winner its point, but like a bye no opponent's
// strength to either side; a retirement was played and counts as usual.
TEST(SwissStandings, AWalkoverCountsAsAWinWithoutWeerstand) {
  const std::string wo = "\r\n1 wedstrijd door w.o. beslist: telt zonder weerstand";
  const std::string tie = "2 spelers met 1 overwinning voor plaats 2 t/m 3\r\nWeerstand";
  struct Case {
    int decision;  // of A's win over B in round 1
    int weerstandA;
    std::vector<int> places;
    std::string a, b;
  } cases[] = {
      {kDecisionWalkover, 1300, {2, 3, 0, 1}, tie + wo, "Enige speler met 0 overwinningen" + wo},
      {kDecisionRetired, 2700, {1, 3, 0, 2}, tie, "Enige speler met 0 overwinningen"},
  };
  for (const Case& c : cases) {
    std::vector<Contestant> field = {Player(1, 1500), Player(2, 1400), Player(3, 1300), Player(4, 1200)};
    // Round 1: A beats B, C beats D; round 2: C beats A, D beats B.
    std::vector<MatchEntry> matches = {Match(1, 1, 2, 0), Match(2, 3, 4, 0), Match(3, 1, 3, 1), Match(4, 2, 4, 1)};
    matches[0].decision = c.decision;
    LSwiss s;
    s.SetData(field, matches, Rounds(2));
    s.Standings(field, matches);
    EXPECT_EQ(std::tuple(s.Points(field[0]), s.Resistance(field[0]), s.places, s.explanations[0], s.explanations[1]),
              std::tuple(1, c.weerstandA, c.places, c.a, c.b));
  }
}

TEST(SwissStandings, DudodevaGamePoints) {
  LSwiss s;
  s.SetData({Player(1, 0), Player(2, 0)},
            {Match(1, 1, 2, 0, {5, -3, 11}), Match(2, 2, 1, 1, {}), Match(3, 1, kNotPlayed, 1, {4})}, Rounds(3));
  DuoGamePoints first = s.GamePoints(s.contestants[0], 11);
  // 11 + (-1 - -3) + 11; the NotPlayed match does not count.
  EXPECT_EQ(std::tuple(first.total, first.matches, first.average), std::tuple(24, 1, 24.0));
  EXPECT_EQ(s.GamePoints(s.contestants[1], 11).total, 4 + 11 + 10);
  // No stored games: average 0, not a division by zero.
  LSwiss empty;
  empty.SetData({Player(1, 0)}, {Match(1, 1, 2, 0)}, Rounds(1));
  EXPECT_EQ(empty.GamePoints(empty.contestants[0], 11).average, 0);
}

TEST(MatchResultText, EachResultModeReadsAsTheListsShowIt) {
  MatchSystem fast = DefaultMatchSystem();  // game by game, 11 points, two-point lead
  MatchSystem sets = fast, games = fast;
  sets.result = 1, games.result = 2;
  struct Case {
    const MatchSystem& system;
    int winner;
    std::vector<int> games;
    std::string text;
    int decision = kDecisionPlayed;
    bool eachGame = true;
  } cases[] = {
      {fast, 0, {8, -10}, "1 - 1 (11-7, 9-11) opg.", kDecisionRetired},
      {fast, -1, {}, ""},
      {sets, 1, {}, "0 - 1"},
      {fast, 0, {}, "1 - 0"},
      {games, 0, {3, 1}, "3 - 1"},
      {fast, 0, {8, -10, 11, 1}, "3 - 1 (11-7, 9-11, 12-10, 11-0)"},
      {fast, 0, {8, -10, 11, 1}, "3 - 1", kDecisionPlayed, false},
  };
  for (const Case& c : cases) {
    MatchEntry m;
    std::tie(m.indexWinner, m.games, m.decision) = std::tie(c.winner, c.games, c.decision);
    EXPECT_EQ(MatchResultText(m, c.system, c.eachGame), c.text) << c.text;
  }
}

// An expanded player's round lines: the opponent, the strength the round adds
// to "Weerstand" and the point. A walkover adds no strength and shows its
// mark instead; a retirement counts as played, its mark beside.
TEST(SwissStandLines, ARoundLineShowsAWalkoverAndARetirementByTheirMarks) {
  std::vector<Contestant> players(3);
  const char* names[] = {"An", "Bo", "Cas"};
  for (int i = 0; i < 3; ++i)
    std::tie(players[i].id, players[i].name, players[i].rating) = std::tuple(i + 1, names[i], 1500 - 100 * i);
  LSwiss pool;
  pool.SetData(players,
               {Match(11, 1, 2, 0, {}, kDecisionWalkover), Match(12, 3, 1, 1, {}, kDecisionRetired), Match(13, 1, 2, 1)},
               {{1, 1, 11}, {2, 2, 12}, {3, 3, 13}});
  std::map<std::string, std::vector<std::string>> rounds;
  for (const SwissStandLine& line : SwissStandLines(pool, {1, 2}, {}))
    if (!line.player)
      rounds[names[line.idContestant - 1]].push_back(line.cells[2] + "|" + line.cells[4] + "|" + line.cells[5]);
  EXPECT_EQ(rounds["An"], (std::vector<std::string>{"1 Bo|w.o.|1", "2 Cas|1300 opg.|1", "3 Bo|1400|0"}));
  EXPECT_EQ(rounds["Bo"], (std::vector<std::string>{"1 An|w.o.|0", "2 Bye||1", "3 An|1500|1"}));
  // The export writes the cells by semicolon, the lines by line feed.
  EXPECT_EQ(SwissExportText({{"", "Nr", "Naam"}, {"+", "1", "Jan (TTV)"}, {"", "", "1 Bye"}}),
            ";Nr;Naam\n+;1;Jan (TTV)\n;;1 Bye\n");
}

class SwissRound : public EventFixture {
 protected:
  // n players rated 1990, 1980, ... in pool order; returns the position ids.
  std::vector<int> MakePool(int n, const std::string& tables = "1-2") {
    idPool = AddPool(kPlaystyleSwiss, tables);
    std::vector<int> ids;
    for (int i = 1; i <= n; ++i)
      ids.push_back(AddContestant(idPool, AddPlayer("Speler " + std::to_string(i), "TTV", 2000 - 10 * i), i));
    return ids;
  }
  LSwiss Pool() {  // as the screens build it, with its data read
    LSwiss s;
    PoolRecord row;
    EXPECT_TRUE(db->GetPool(idPool, row));
    s.FillFrom(row);
    s.AttachDatabase(db.get());
    s.Load(*db);
    return s;
  }
  RoundOutcome NextRound(PairingReviewer* reviewer = nullptr) { return Pool().CalculateNextRound(*db, clock, reviewer); }
  void Simulate() {
    LSwiss s = Pool();
    StdRandom random;
    SimulateSwissResults(*db, s, s.contestants, s.matches, SimMode::kPerfect, random, clock);
  }
  void SetPoolPos(int id, int poolPos) {
    ContestantRecord row;
    ASSERT_TRUE(db->GetContestant(row, id));
    row.poolPos = poolPos;
    db->UpdateContestant(row);
  }
  // (contestant 1, contestant 2) of the matches of a round.
  PairSet RoundPairs(int round) {
    LSwiss s = Pool();
    PairSet pairs;
    for (const RoundEntry& r : s.rounds)
      for (const MatchEntry& m : s.matches)
        if (r.round == round && r.idMatch == m.id) pairs.insert({m.idContestant1, m.idContestant2});
    return pairs;
  }
  // The pairs of the cards, the higher card first.
  static PairSet CardPairs(const std::vector<LCard>& cards) {
    PairSet pairs;
    std::set<int> done;
    for (const LCard& c : cards)
      if (c.partner >= 0 && !done.count(c.contestantId)) {
        pairs.insert({c.contestantId, c.partner});
        done.insert(c.partner);
      }
    return pairs;
  }
  int idPool = -1;
};

// Cancels, or pairs the cards in order (1-2, 3-4, ...) as OK would.
class RecordingReviewer : public PairingReviewer {
 public:
  std::vector<LCard> Review(const std::vector<LCard>& cards, const std::vector<MatchEntry>& matches) override {
    ++calls;
    seenMatches = matches.size();
    proposal = cards;
    std::vector<LCard> result = cards;
    for (size_t i = 0; i < result.size(); ++i) result[i].partner = result[i ^ 1].contestantId;
    return replace ? result : std::vector<LCard>{};
  }
  int calls = 0;
  size_t seenMatches = 0;
  bool replace = false;
  std::vector<LCard> proposal;
};

TEST_F(SwissRound, RefusedRoundsWriteNothing) {
  std::vector<int> ids = MakePool(3);
  ASSERT_EQ(NextRound(), RoundOutcome::kWritten);
  Simulate();
  const size_t played = Matches(idPool).size();
  // A refused round row must not leave its match behind, outside any round.
  db->Exec(nullptr, "CREATE TRIGGER refuse BEFORE INSERT ON Rounds BEGIN SELECT RAISE(ABORT, 'nee'); END");
  EXPECT_EQ(NextRound(), RoundOutcome::kStoreFailed);
  db->Exec(nullptr, "DROP TRIGGER refuse");
  // Two active players who have met and one removed: nobody can play, and
  // nobody is asked to review.
  SetPoolPos(ids[1], -1);
  RecordingReviewer reviewer;
  EXPECT_EQ(NextRound(&reviewer), RoundOutcome::kNoPairing);
  EXPECT_EQ(std::tuple(reviewer.calls, db->MaxRound(idPool), Matches(idPool).size()), std::tuple(0, 1, played));
}

TEST_F(SwissRound, TheReviewerIsAskedFromRoundTwoAndMayReplaceThePairing) {
  MakePool(8);
  RecordingReviewer reviewer;
  ASSERT_EQ(NextRound(&reviewer), RoundOutcome::kWritten);
  EXPECT_EQ(reviewer.calls, 0);
  Simulate();
  // Cancel: the proposal is written, the higher card as contestant 1.
  ASSERT_EQ(NextRound(&reviewer), RoundOutcome::kWritten);
  EXPECT_EQ(std::pair(reviewer.calls, reviewer.seenMatches), std::pair(1, size_t{4}));
  EXPECT_EQ(RoundPairs(2), CardPairs(reviewer.proposal));
  // OK: the replacement is written.
  Simulate();
  reviewer.replace = true;
  ASSERT_EQ(NextRound(&reviewer), RoundOutcome::kWritten);
  std::vector<LCard> inOrder = reviewer.proposal;
  for (size_t i = 0; i < inOrder.size(); ++i) inOrder[i].partner = inOrder[i ^ 1].contestantId;
  EXPECT_NE(CardPairs(inOrder), CardPairs(reviewer.proposal));
  EXPECT_EQ(RoundPairs(3), CardPairs(inOrder));
}

TEST_F(SwissRound, RemovedPlayersGetNotPlayedMatchesUntilTheRoundIsDeleted) {
  std::vector<int> ids = MakePool(6);
  ASSERT_EQ(NextRound(), RoundOutcome::kWritten);
  Simulate();
  SetPoolPos(ids[5], -6);
  ASSERT_EQ(NextRound(), RoundOutcome::kWritten);
  PairSet round2 = RoundPairs(2);
  ASSERT_EQ(round2.size(), 3u);  // five active players: two matches, a bye stored nowhere
  EXPECT_TRUE(round2.count({ids[5], kNotPlayed}));
  for (const MatchRecord& m : Matches(idPool))
    EXPECT_TRUE(m.idContestant2 != kNotPlayed || (m.tafel == 0 && m.starttime == 0)) << m.id;
  Simulate();  // leaves the NotPlayed match alone
  LSwiss s = Pool();
  EXPECT_EQ(s.Byes(s.contestants[5]), 0);
  for (const MatchEntry& m : s.matches) EXPECT_EQ(m.indexWinner < 0, m.idContestant2 == kNotPlayed);
  // Deleting the current round takes its results, matches and round rows.
  DeleteSwissRound(*db, idPool, 2);
  EXPECT_EQ(std::pair(db->MaxRound(idPool), Matches(idPool).size()), std::pair(1, size_t{3}));
  std::string rs;
  db->Exec(&rs, "SELECT (SELECT COUNT(*) FROM ResultWinner) AS w, (SELECT COUNT(*) FROM ResultGames) AS g");
  EXPECT_NE(rs.find("w=\"3\" g=\"9\""), std::string::npos) << rs;
  EXPECT_TRUE(NextRound() == RoundOutcome::kWritten && db->MaxRound(idPool) == 2);
}

// The buttons of the Swiss screen: what each checks, asks and writes.
TEST_F(SwissRound, ScreenActionsCheckAskAndWrite) {
  std::vector<int> ids = MakePool(4, "3");
  const int main = idPool;
  idPool = AddPool(kPlaystyleSwiss, "");
  const int alone = AddContestant(idPool, AddPlayer("Alleen", "TTV", 1), 1);
  EXPECT_FALSE(StartSwissPool(*db, prompter, clock, idPool));
  AddContestant(idPool, AddPlayer("Tweede", "TTV", 1), 2);
  EXPECT_FALSE(StartSwissPool(*db, prompter, clock, idPool));
  EXPECT_EQ(prompter.alerts, (std::vector<std::string>{"Een poule moet minstens twee spelers hebben.",
                                                       "Er zijn geen tafels voor de wedstrijden."}));
  // Before the start a position goes at once, without a question.
  EXPECT_TRUE(ToggleSwissContestant(*db, prompter, idPool, alone));
  ContestantRecord row;
  EXPECT_FALSE(db->GetContestant(row, alone) || !prompter.questions.empty());
  idPool = main;
  clock.SetLocal(2026, 5, 16, 23, 50, 30);
  ASSERT_TRUE(StartSwissPool(*db, prompter, clock, idPool));
  ASSERT_TRUE(StartSwissPool(*db, prompter, clock, idPool));  // again: round 1 anew, not beside the first
  // One table: a wave each, from the time of day, no wrap at midnight.
  std::vector<std::pair<int, int>> slots;
  for (const MatchRecord& m : Matches(idPool)) slots.emplace_back(m.tafel, m.starttime);
  std::sort(slots.begin(), slots.end());
  EXPECT_EQ(std::pair(db->MaxRound(idPool), slots),
            std::pair(1, std::vector<std::pair<int, int>>{{3, 2350}, {3, 2405}}));
  EXPECT_FALSE(NextSwissRound(*db, prompter, clock, idPool, nullptr));
  EXPECT_EQ(prompter.alerts.back(), "De wedstrijd tussen Speler 1 en Speler 4 heeft nog geen uitslag.");
  LSwiss s = Pool();
  const int current = CurrentRoundMatch(s, ids[3]);
  EXPECT_TRUE(current > 0 && current == CurrentRoundMatch(s, ids[0]) && current != CurrentRoundMatch(s, ids[1]));
  EXPECT_LT(CurrentRoundMatch(s, 12345), 0);
  Simulate();
  ASSERT_TRUE(NextSwissRound(*db, prompter, clock, idPool, nullptr));
  EXPECT_TRUE(db->MaxRound(idPool) == 2 && CurrentRoundMatch(Pool(), ids[3]) != current);
  // A round without results goes without a question; one with results only on Yes.
  const size_t asked = prompter.questions.size();
  ASSERT_TRUE(DeleteCurrentSwissRound(*db, prompter, idPool));
  EXPECT_EQ(prompter.questions.size(), asked);
  prompter.answers = {false};
  EXPECT_FALSE(DeleteCurrentSwissRound(*db, prompter, idPool));
  EXPECT_EQ(std::pair(prompter.questions.back(), db->MaxRound(idPool)),
            std::pair(std::string("Deze ronde heeft al uitslagen. Toch verwijderen?"), 1));
  // Once started a position is taken out of the draw and put back, each asked.
  prompter.answers = {false};
  EXPECT_FALSE(ToggleSwissContestant(*db, prompter, idPool, ids[3]));
  for (int poolPos : {-1, 0}) {
    ASSERT_TRUE(ToggleSwissContestant(*db, prompter, idPool, ids[3]));
    ASSERT_TRUE(db->GetContestant(row, ids[3]));
    EXPECT_EQ(row.poolPos, poolPos);
  }
  EXPECT_EQ(std::vector<std::string>(prompter.questions.end() - 2, prompter.questions.end()),
            (std::vector<std::string>{"Weet u zeker, dat u Speler 4 wilt verwijderen?",
                                      "Weet u zeker, dat u Speler 4 weer wilt indelen?"}));
  EXPECT_FALSE(ToggleSwissContestant(*db, prompter, idPool + 1, ids[3]));  // not of this pool
}

using Simulation = EventFixture;

TEST_F(Simulation, ParticipantsAreCappedNamedAndRated) {
  auto listPlayers = [&] {
    std::vector<PlayerRecord> list;
    db->ListPlayers(list, idToernooi);
    return list;
  };
  StdRandom random;
  // Forms that are no numbers or whose bounds are the wrong way round add nobody.
  for (SimParticipantsForm form : {SimParticipantsForm{"0", "1000", "2000"}, SimParticipantsForm{"abc", "1", "2"},
                                   SimParticipantsForm{"5", "-1", "2000"}, SimParticipantsForm{"5", "2000", "1000"}})
    EXPECT_EQ(AddSimulatedParticipants(*db, idToernooi, form, random, clock), 0);
  EXPECT_EQ(AddSimulatedParticipants(*db, idToernooi, {"150", "1000", "2000", false}, random, clock), 100);
  std::set<std::string> names;
  for (const PlayerRecord& p : listPlayers()) names.insert(p.name + (p.gender == -1 ? "" : " with a gender"));
  // At 14:07:09 the names are Deelnemer 791, 792, ... Deelnemer 79100.
  EXPECT_TRUE(names.size() == 100u && names.count("Deelnemer 791") && names.count("Deelnemer 79100"));
  // Each player draws its club, then its rating, which never reaches the
  // maximum; equal or adjacent bounds give the minimum.
  ScriptedRandom scripted({7, 1234, 0, 999});
  ASSERT_EQ(AddSimulatedParticipants(*db, idToernooi, {"2", "1000", "2000", false}, scripted, clock), 2);
  for (const char* max : {"1200", "1201"})
    ASSERT_EQ(AddSimulatedParticipants(*db, idToernooi, {"2", "1200", max, false}, random, clock), 2);
  std::vector<PlayerRecord> players = listPlayers();
  std::sort(players.begin(), players.end(), [](auto& a, auto& b) { return a.id < b.id; });
  EXPECT_EQ(Format("%s %d %s %d", db->GetClubName(players[100].idClub).c_str(), players[100].rating,
                   db->GetClubName(players[101].idClub).c_str(), players[101].rating),
            "OT 3 1234 OT 1 1999");
  for (size_t i = 102; i < players.size(); ++i) EXPECT_EQ(players[i].rating, 1200);
  // Five with duos give two duos of the first four new players, the first of
  // each two as player 1.
  ASSERT_EQ(AddSimulatedParticipants(*db, idToernooi, {"5", "1000", "1500", true}, random, clock), 5);
  std::vector<DuoRecord> duos;
  db->ListDuos(duos, idToernooi);
  std::set<int> ids;
  for (const PlayerRecord& p : listPlayers()) ids.insert(p.id);
  const std::vector<int> newest(std::prev(ids.end(), 5), std::prev(ids.end()));
  ASSERT_EQ(duos.size(), 2u);
  EXPECT_EQ((std::vector<int>{duos[0].idPlayer1, duos[0].idPlayer2, duos[1].idPlayer1, duos[1].idPlayer2}), newest);
}

TEST(SimulatedWinner, Modes) {
  const struct {
    SimMode mode;
    int rating1, rating2, draw, winner;
  } cases[] = {
      {SimMode::kPerfect, 1500, 1500, 0, 0},       {SimMode::kPerfect, 1400, 1600, 0, 1},
      {SimMode::kAntiPerfect, 1400, 1600, 0, 0},   {SimMode::kAntiPerfect, 1500, 1500, 0, 1},
      // Weighted: even ratings, side 1 up to 500 (the draw is taken mod 1000).
      {SimMode::kWeighted, 1500, 1500, 500, 0},    {SimMode::kWeighted, 1500, 1500, 501, 1},
      {SimMode::kWeighted, 1500, 1500, 1500, 0},
      // p = 0.75: side 1 only up to 333; p = 0.25: always side 1.
      {SimMode::kWeighted, 3000, 1000, 333, 0},    {SimMode::kWeighted, 3000, 1000, 334, 1},
      {SimMode::kWeighted, 1000, 3000, 999, 0},
      // Both ratings 0: an even match rather than a division by zero.
      {SimMode::kWeighted, 0, 0, 100, 0},          {SimMode::kWeighted, 0, 0, 900, 1},
  };
  for (const auto& c : cases) {
    ScriptedRandom random({c.draw});
    EXPECT_EQ(SimulatedWinner(c.mode, c.rating1, c.rating2, random), c.winner)
        << c.rating1 << " v " << c.rating2 << " draw " << c.draw;
  }
}

TEST(SimulatedGames, DudodevaLoserPointsStayBelowGameStop) {
  // Codes are (draw mod (gameStop - 1)) + 1, negative for a win of side 2.
  ScriptedRandom draws({0, 9, 10, 25, 3});
  EXPECT_EQ(SimulatedGames(1, true, 11, draws), (std::vector<int>{-1, -10, -1, -6, -4, -4, -4, -4, -4, -4}));
}

TEST_F(Simulation, SwissResultsFillOnlyOpenMatchesBetweenPositions) {
  // A "Best of 5" pool and a "Duo Dudodeva" one whose games leave the loser
  // no points to draw.
  MatchSystem duo;
  duo.name = "Duo Dudodeva", duo.gameStop = 1;
  for (int idMatchSystem : {0, db->AddMatchSystem(duo)}) {
    int idPool = AddPool(kPlaystyleSwiss, "1", 900, "", idMatchSystem);
    int a = AddContestant(idPool, AddPlayer("A", "X", 1500), 1);
    int b = AddContestant(idPool, AddPlayer("B", "X", 1500), 2);
    int c = AddContestant(idPool, AddPlayer("C", "Y", 1400), 3);
    int d = AddContestant(idPool, AddPlayer("D", "Y", 1600), 4);
    int equal = db->AddMatch(idPool, a, b, 1, 900);
    int weaker = db->AddMatch(idPool, c, d, 2, 900);
    db->RecordResult(db->AddMatch(idPool, d, a, 1, 915), 1, {-3, -4, -5}, true);
    db->AddMatch(idPool, b, kNotPlayed, 0, 0);
    LSwiss pool;
    pool.id = idPool, pool.idMatchSystem = idMatchSystem;
    pool.Load(*db);
    StdRandom random;
    EXPECT_EQ(SimulateSwissResults(*db, pool, pool.contestants, pool.matches, SimMode::kAntiPerfect, random, clock), 2);
    const std::vector<int> lost = idMatchSystem ? std::vector<int>(10, -1) : std::vector<int>{-1, -1, -1};
    for (const MatchRecord& m : Matches(idPool)) {
      if (m.id == equal) {  // anti-perfect: equal ratings favour side 2
        EXPECT_EQ(std::tuple(m.indexWinner, m.games, m.stamp.isotime), std::tuple(1, lost, 140709));
      } else if (m.id == weaker) {
        EXPECT_EQ(m.indexWinner, 0);
      } else {  // the result already there and the NotPlayed match stay as they are
        EXPECT_EQ(m.games, (m.idContestant2 == kNotPlayed ? std::vector<int>{} : std::vector<int>{-3, -4, -5}));
      }
    }
  }
}

}  // namespace
}  // namespace velgram
