// Swiss rounds against the database: writing a round with its waves, the
// review of the proposal, removed players, late entrants, deleting a round
// and a whole simulated event.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "competition/simulate.h"
#include "competition/swiss.h"
#include "event_fixture.h"

namespace velgram {
namespace {

using testing::EventFixture;

class SwissRound : public ::testing::Test, public EventFixture {
 protected:
  // A Swiss pool of n players with ratings 2000, 1990, ...; returns the
  // position ids in pool order.
  std::vector<int> MakePool(int n, const std::string& tables = "1-2") {
    idPool = AddPool(kPlaystyleSwiss, tables);
    std::vector<int> ids;
    for (int i = 1; i <= n; ++i)
      ids.push_back(AddContestant(idPool, AddPlayer("Speler " + std::to_string(i), "TTV", 2000 - 10 * i), i));
    return ids;
  }

  LSwiss Pool() {
    LSwiss s;
    PoolRecord row;
    EXPECT_TRUE(db->GetPool(idPool, row));
    s.FillFrom(row);
    s.AttachDatabase(db.get());
    return s;
  }

  RoundOutcome NextRound(PairingReviewer* reviewer = nullptr) {
    LSwiss s = Pool();
    return s.CalculateNextRound(*db, clock, reviewer);
  }

  std::vector<RoundEntry> Rounds() {
    std::vector<RoundEntry> list;
    db->ListRounds(list, idPool);
    return list;
  }

  void Simulate(SimMode mode) {
    LSwiss s = Pool();
    s.Load(*db);
    StdRandom random;
    SimulateSwissResults(*db, s, s.contestants, s.matches, mode, random, clock);
  }

  // The pairs the deterministic search proposes for the next round.
  std::set<std::pair<int, int>> ProposedPairs() {
    LSwiss s = Pool();
    s.Load(*db);
    s.border = 5;
    std::set<std::pair<int, int>> pairs;
    if (!s.PairCards()) return pairs;
    std::set<int> done;
    for (const LCard& c : s.cards)
      if (c.partner >= 0 && !done.count(c.contestantId)) {
        pairs.insert({c.contestantId, c.partner});
        done.insert(c.partner);
      }
    return pairs;
  }

  std::set<std::pair<int, int>> RoundPairs(int round) {
    std::set<int> ids;
    for (const RoundEntry& r : Rounds())
      if (r.round == round) ids.insert(r.idMatch);
    std::set<std::pair<int, int>> pairs;
    for (const MatchRecord& m : Matches(idPool))
      if (ids.count(m.id)) pairs.insert({m.idContestant1, m.idContestant2});
    return pairs;
  }

  int idPool = -1;
};

TEST_F(SwissRound, FirstRoundIsWrittenInWavesFromTheTimeOfDay) {
  std::vector<int> ids = MakePool(5);
  clock.SetLocal(2026, 5, 16, 23, 50, 30);
  ASSERT_EQ(NextRound(), RoundOutcome::kWritten);
  std::vector<MatchRecord> matches = Matches(idPool);
  ASSERT_EQ(matches.size(), 2u);
  // 1-5 and 2-4 (pool order is rating order here); the third player has the bye.
  std::sort(matches.begin(), matches.end(), [](auto& a, auto& b) { return a.id < b.id; });
  EXPECT_EQ(matches[0].idContestant1, ids[0]);
  EXPECT_EQ(matches[0].idContestant2, ids[4]);
  EXPECT_EQ(matches[1].idContestant1, ids[1]);
  EXPECT_EQ(matches[1].idContestant2, ids[3]);
  EXPECT_EQ(matches[0].tafel, 1);
  EXPECT_EQ(matches[1].tafel, 2);
  EXPECT_EQ(matches[0].starttime, 2350);
  for (const RoundEntry& r : Rounds()) EXPECT_EQ(r.round, 1);
  EXPECT_EQ(Rounds().size(), 2u);

  // The third player's bye already counts before any result.
  LSwiss s = Pool();
  s.Load(*db);
  EXPECT_EQ(s.Points(s.contestants[2]), 1);
}

TEST_F(SwissRound, WavesMoveOnPastMidnightWithoutWrapping) {
  MakePool(12);
  clock.SetLocal(2026, 5, 16, 23, 50, 0);
  ASSERT_EQ(NextRound(), RoundOutcome::kWritten);
  std::vector<MatchRecord> matches = Matches(idPool);
  std::vector<int> times;
  for (const MatchRecord& m : matches) times.push_back(m.starttime);
  std::sort(times.begin(), times.end());
  EXPECT_EQ(times, (std::vector<int>{2350, 2350, 2405, 2405, 2420, 2420}));
}

TEST_F(SwissRound, EmptiedTableListRefusesTheRoundAndWritesNothing) {
  MakePool(6);
  ASSERT_EQ(NextRound(), RoundOutcome::kWritten);
  PoolRecord row;
  db->GetPool(idPool, row);
  row.tables = "";
  db->UpdatePool(row);
  EXPECT_EQ(NextRound(), RoundOutcome::kNoTables);
  EXPECT_EQ(db->MaxRound(idPool), 1);
  EXPECT_EQ(Matches(idPool).size(), 3u);
}

class RecordingReviewer : public PairingReviewer {
 public:
  std::vector<LCard> Review(const std::vector<LCard>& cards, const std::vector<MatchEntry>& matches) override {
    ++calls;
    seenMatches = matches.size();
    if (!swap) return {};
    // Pair the first card with the last unpaired one instead, everyone else
    // in order.
    std::vector<LCard> result = cards;
    for (LCard& c : result) c.partner = kCardBye;
    for (size_t i = 0; i + 1 < result.size(); i += 2) {
      result[i].partner = result[i + 1].contestantId;
      result[i + 1].partner = result[i].contestantId;
    }
    return result;
  }
  int calls = 0;
  size_t seenMatches = 0;
  bool swap = false;
};

TEST_F(SwissRound, TheReviewerIsAskedFromRoundTwoAndMayReplaceThePairing) {
  MakePool(8);
  RecordingReviewer reviewer;
  reviewer.swap = true;
  ASSERT_EQ(NextRound(&reviewer), RoundOutcome::kWritten);
  EXPECT_EQ(reviewer.calls, 0);  // round 1 is never reviewed
  Simulate(SimMode::kPerfect);

  // Cancel: the proposal is written, the higher card as contestant 1.
  reviewer.swap = false;
  std::set<std::pair<int, int>> proposed = ProposedPairs();
  ASSERT_EQ(NextRound(&reviewer), RoundOutcome::kWritten);
  EXPECT_EQ(reviewer.calls, 1);
  EXPECT_EQ(reviewer.seenMatches, 4u);
  EXPECT_EQ(RoundPairs(2), proposed);

  // OK: the replacement is written.
  Simulate(SimMode::kPerfect);
  reviewer.swap = true;
  LSwiss before = Pool();
  before.Load(*db);
  before.BuildCards();
  std::set<std::pair<int, int>> replaced;
  for (size_t i = 0; i + 1 < before.cards.size(); i += 2)
    replaced.insert({before.cards[i].contestantId, before.cards[i + 1].contestantId});
  EXPECT_NE(ProposedPairs(), replaced);
  ASSERT_EQ(NextRound(&reviewer), RoundOutcome::kWritten);
  EXPECT_EQ(RoundPairs(3), replaced);
}

TEST_F(SwissRound, RemovedPlayersGetNotPlayedMatchesAndNoBye) {
  std::vector<int> ids = MakePool(6);
  ASSERT_EQ(NextRound(), RoundOutcome::kWritten);
  Simulate(SimMode::kPerfect);
  ContestantRecord removed;
  ASSERT_TRUE(db->GetContestant(removed, ids[5]));
  removed.poolPos = -removed.poolPos;
  db->UpdateContestant(removed);

  ASSERT_EQ(NextRound(), RoundOutcome::kWritten);
  LSwiss s = Pool();
  s.Load(*db);
  int notPlayed = 0, real = 0;
  std::set<int> round2;
  for (const RoundEntry& r : s.rounds)
    if (r.round == 2) round2.insert(r.idMatch);
  for (const MatchEntry& m : s.matches) {
    if (!round2.count(m.id)) continue;
    if (m.idContestant2 == kNotPlayed) {
      ++notPlayed;
      EXPECT_EQ(m.idContestant1, ids[5]);
      EXPECT_EQ(m.tafel, 0);
      EXPECT_EQ(m.starttime, 0);
    } else {
      ++real;
      EXPECT_NE(m.idContestant1, ids[5]);
      EXPECT_NE(m.idContestant2, ids[5]);
    }
  }
  EXPECT_EQ(notPlayed, 1);
  // Five active players: two matches and one bye, which is stored nowhere.
  EXPECT_EQ(real, 2);
  EXPECT_EQ(s.Byes(s.contestants[5]), 0);
  // The simulation leaves the NotPlayed match without a result.
  Simulate(SimMode::kPerfect);
  for (const MatchRecord& m : Matches(idPool)) {
    if (m.idContestant2 == kNotPlayed) {
      EXPECT_EQ(m.indexWinner, -1);
    }
  }
}

TEST_F(SwissRound, LateEntrantLosesTheRoundsItMissed) {
  MakePool(4);
  ASSERT_EQ(NextRound(), RoundOutcome::kWritten);
  Simulate(SimMode::kPerfect);
  ASSERT_EQ(NextRound(), RoundOutcome::kWritten);
  Simulate(SimMode::kPerfect);
  int late = AddContestant(idPool, AddPlayer("Laatkomer", "TTV", 2500), 5);
  AddMissedRounds(*db, idPool, late);

  LSwiss s = Pool();
  s.Load(*db);
  std::vector<int> roundsOfLate;
  for (const MatchEntry& m : s.matches) {
    if (m.idContestant1 != late) continue;
    EXPECT_EQ(m.idContestant2, kNotPlayed);
    EXPECT_EQ(m.tafel, 1);
    EXPECT_EQ(m.starttime, 900);
    EXPECT_EQ(m.indexWinner, 1);
    EXPECT_EQ(m.stamp.isodate, 20260516);
    for (const RoundEntry& r : s.rounds)
      if (r.idMatch == m.id) roundsOfLate.push_back(r.round);
  }
  std::sort(roundsOfLate.begin(), roundsOfLate.end());
  EXPECT_EQ(roundsOfLate, (std::vector<int>{1, 2}));
  EXPECT_EQ(s.Points(s.contestants.back()), 0);
  // Despite the highest rating, the late entrant starts round 3 at the bottom.
  s.border = 5;
  ASSERT_TRUE(s.PairCards());
  EXPECT_EQ(s.cards.back().contestantId, late);

  // Before the first round nothing is added.
  int idOther = AddPool(kPlaystyleSwiss);
  AddMissedRounds(*db, idOther, late);
  EXPECT_TRUE(Matches(idOther).empty());
}

TEST_F(SwissRound, DeletingTheCurrentRoundMakesThePreviousOneCurrent) {
  MakePool(6);
  ASSERT_EQ(NextRound(), RoundOutcome::kWritten);
  Simulate(SimMode::kPerfect);
  ASSERT_EQ(NextRound(), RoundOutcome::kWritten);
  Simulate(SimMode::kPerfect);
  ASSERT_EQ(db->MaxRound(idPool), 2);
  DeleteSwissRound(*db, idPool, 2);
  EXPECT_EQ(db->MaxRound(idPool), 1);
  std::vector<MatchRecord> left = Matches(idPool);
  ASSERT_EQ(left.size(), 3u);
  for (const MatchRecord& m : left) EXPECT_GE(m.indexWinner, 0);
  std::string rs;
  db->Exec(&rs, "SELECT COUNT(*) AS n FROM ResultWinner");
  EXPECT_NE(rs.find("n=\"3\""), std::string::npos) << rs;
  db->Exec(&rs, "SELECT COUNT(*) AS n FROM ResultGames");
  EXPECT_NE(rs.find("n=\"9\""), std::string::npos) << rs;
  // The round can be calculated again.
  EXPECT_EQ(NextRound(), RoundOutcome::kWritten);
  EXPECT_EQ(db->MaxRound(idPool), 2);
}

TEST_F(SwissRound, ThirtyPlayersNineRoundsThroughTheDatabase) {
  MakePool(30, "1-8");
  db->SetSetting("SwissBorder", "-20");  // B = 6
  for (int round = 1; round <= 9; ++round) {
    ASSERT_EQ(NextRound(), RoundOutcome::kWritten) << "round " << round;
    Simulate(SimMode::kWeighted);
  }
  std::set<std::pair<int, int>> played;
  std::vector<MatchRecord> matches = Matches(idPool);
  EXPECT_EQ(matches.size(), 9u * 15u);
  for (const MatchRecord& m : matches) {
    EXPECT_GE(m.indexWinner, 0);
    EXPECT_TRUE(played.insert(std::minmax(m.idContestant1, m.idContestant2)).second);
  }
  // Standings read the rounds themselves and place everyone.
  LSwiss s = Pool();
  s.Load(*db);
  s.Standings(s.contestants, s.matches);
  std::vector<int> places = s.places;
  std::sort(places.begin(), places.end());
  for (int i = 0; i < 30; ++i) EXPECT_EQ(places[i], i);
  int totalPoints = 0;
  for (const Contestant& c : s.contestants) totalPoints += s.Points(c);
  EXPECT_EQ(totalPoints, 9 * 15);
}

}  // namespace
}  // namespace velgram
