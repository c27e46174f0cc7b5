#include <gtest/gtest.h>
#include "competition/matchbook.h"
#include "competition/simulate.h"
#include "competition/swiss.h"
#include "competition/swiss_screen.h"
#include "event_fixture.h"

namespace velgram {
namespace {

using testing::EventFixture;
using Pairs = std::set<std::pair<int, int>>;

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
  Pairs RoundPairs(int round) {
    LSwiss s = Pool();
    Pairs pairs;
    for (const RoundEntry& r : s.rounds)
      for (const MatchEntry& m : s.matches)
        if (r.round == round && r.idMatch == m.id) pairs.insert({m.idContestant1, m.idContestant2});
    return pairs;
  }
  // The pairs of the cards, the higher card first.
  static Pairs CardPairs(const std::vector<LCard>& cards) {
    Pairs pairs;
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

TEST_F(SwissRound, FirstRoundIsWrittenInWavesFromTheTimeOfDay) {
  std::vector<int> ids = MakePool(5, "3");
  clock.SetLocal(2026, 5, 16, 23, 50, 30);
  ASSERT_EQ(NextRound(), RoundOutcome::kWritten);
  EXPECT_EQ(RoundPairs(1), (Pairs{{ids[0], ids[4]}, {ids[1], ids[3]}}));
  std::vector<int> times;
  for (const MatchRecord& m : Matches(idPool)) {
    EXPECT_EQ(m.tafel, 3);
    times.push_back(m.starttime);
  }
  std::sort(times.begin(), times.end());
  EXPECT_EQ(times, (std::vector<int>{2350, 2405}));  // one table: a wave each, no wrap at midnight
}

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
  PoolRecord row;
  db->GetPool(idPool, row);
  row.tables = "";
  db->UpdatePool(row);
  EXPECT_EQ(NextRound(), RoundOutcome::kNoTables);
  row.tables = "1-2";
  db->UpdatePool(row);
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
  Pairs round2 = RoundPairs(2);
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

TEST_F(SwissRound, LateEntrantLosesTheRoundsItMissed) {
  MakePool(4);
  for (int round = 1; round <= 2; ++round) {
    ASSERT_EQ(NextRound(), RoundOutcome::kWritten);
    Simulate();
  }
  int late = AddContestant(idPool, AddPlayer("Laatkomer", "TTV", 2500), 5);
  AddMissedRounds(*db, idPool, late);
  LSwiss s = Pool();
  std::vector<int> roundsOfLate;
  for (const MatchEntry& m : s.matches) {
    if (m.idContestant1 != late) continue;
    EXPECT_EQ(std::tuple(m.idContestant2, m.tafel, m.starttime, m.indexWinner, m.games, m.stamp.isodate),
              std::tuple(kNotPlayed, 1, 900, 1, std::vector<int>{-1, -1, -1}, 20260516));
    for (const RoundEntry& r : s.rounds)
      if (r.idMatch == m.id) roundsOfLate.push_back(r.round);
  }
  std::sort(roundsOfLate.begin(), roundsOfLate.end());
  EXPECT_EQ(std::pair(roundsOfLate, s.Points(s.contestants.back())), std::pair(std::vector<int>{1, 2}, 0));
  // Despite the highest rating, the late entrant starts round 3 at the bottom.
  ASSERT_TRUE(s.PairCards());
  EXPECT_EQ(s.cards.back().contestantId, late);
  // Before the first round nothing is added.
  int idOther = AddPool(kPlaystyleSwiss);
  AddMissedRounds(*db, idOther, late);
  EXPECT_TRUE(Matches(idOther).empty());
}

// The buttons of the Swiss screen: what each checks, asks and writes.
TEST_F(SwissRound, ScreenActionsCheckAskAndWrite) {
  std::vector<int> ids = MakePool(4);
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
  ASSERT_TRUE(StartSwissPool(*db, prompter, clock, idPool));
  ASSERT_TRUE(StartSwissPool(*db, prompter, clock, idPool));  // again: round 1 anew, not beside the first
  EXPECT_EQ(std::pair(db->MaxRound(idPool), Matches(idPool).size()), std::pair(1, size_t{2}));
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

}  // namespace
}  // namespace velgram
