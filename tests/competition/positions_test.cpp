#include "competition/positions.h"
#include <gtest/gtest.h>
#include "competition/edits.h"
#include "competition/poule.h"
#include "tests/competition/event_fixture.h"

namespace velgram::testing {
namespace {

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

TEST_F(PositionsTest, BestPlacesMustAllFitAndRemovingLinksKeepsPlayers) {
  std::vector<int> players = Players(12);
  int first = AddPool(kPlaystylePoule);
  for (int i = 0; i < 4; ++i) AddContestant(first, players[i], i + 1);
  int final = AddPool(kPlaystylePoule);
  for (int i = 4; i < 11; ++i) AddContestant(final, players[i], i - 3);
  AddContestant(final, players[11], 8);
  PositionDraft draft(*db, final, kPouleDialogMaximum);
  ASSERT_EQ(draft.EarlierPools().size(), 1u);
  EXPECT_EQ(draft.EarlierPools()[0].id, first);
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
  draft.RemoveLinks({0});  // a player: stays
  EXPECT_EQ(draft.List().size(), 12u);
  EXPECT_FALSE(draft.AddLink(prompter, first, 4, 0));
  draft.RemovePositions({});
  draft.RemoveLinks({1, 8, 0});
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
  EXPECT_EQ(plain.List()[4].source, "Pool 5 nr. 1");
  EXPECT_EQ(plain.List()[5].source, "Pool 5 nr. 2");
  EXPECT_FALSE(plain.AddCross(prompter, 0));
  // Six pools of two in the bracket of 16: runners-up of pools 3 and 4 swap
  // to keep each pool's two apart.
  const int swissPool = AddPool(kPlaystyleSwiss);
  PositionDraft swiss(*db, swissPool, 100);
  ASSERT_TRUE(swiss.AddCross(prompter, 2));
  ASSERT_EQ(swiss.List().size(), 12u);
  EXPECT_EQ(swiss.List()[8].source, "Pool 3 nr. 2");
  EXPECT_EQ(swiss.List()[9].source, "Pool 4 nr. 2");
  EXPECT_EQ(swiss.List()[9].indexKlasse, 0);
  // More places than the largest bracket: in turns, every other place from
  // the last pool back.
  PositionDraft many(*db, swissPool, 100);
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
