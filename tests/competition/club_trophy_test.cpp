#include "competition/club_trophy.h"
#include <gtest/gtest.h>
#include "competition/dropout.h"
#include "event_fixture.h"
#include "support/text.h"

namespace velgram {
namespace {

using testing::EventFixture;

TEST(ClubTrophyRows, Quotients) {
  std::vector<ClubEntry> clubs = {{1, "Alpha"}, {2, "Beta"}, {3, "Leeg"}};
  std::map<std::string, int> victories = {{"Alpha", 3}, {"Beta", 1}, {"Leeg", 2}, {"???", 4}};
  std::map<std::string, int> participants = {{"Alpha", 4}, {"Beta", 1}};
  std::vector<ClubTrophyRow> rows = ClubTrophyRows(clubs, victories, participants, 6);
  ASSERT_EQ(rows.size(), 3u);
  // A club without participants shows 0 rather than a division by zero.
  EXPECT_EQ(std::vector<double>({rows[0].quotient, rows[0].minQuotient, rows[2].quotient, rows[2].minQuotient}),
            std::vector<double>({0.75, 0.5, 0, 2.0 / 6}));
  // A minimum denominator below 1 counts as 1.
  rows = ClubTrophyRows(clubs, victories, participants, 0);
  EXPECT_EQ(std::pair(rows[1].minQuotient, rows[2].minQuotient), std::pair(1.0, 2.0));
}

using ClubTrophy = EventFixture;

TEST_F(ClubTrophy, CountsVictoriesIncludingKnockoutWinnersButNoByes) {
  int a1 = AddPlayer("A1", "Alpha", 1500), a2 = AddPlayer("A2", "Alpha", 1400);
  for (const char* name : {"A3", "A4"}) AddPlayer(name, "Alpha", 1200);
  int b1 = AddPlayer("B1", "Beta", 1600), g1 = AddPlayer("G1", "Gamma", 1000), swiss = AddPool(kPlaystyleSwiss);
  int sa1 = AddContestant(swiss, a1, 1), sa2 = AddContestant(swiss, a2, 2), sb1 = AddContestant(swiss, b1, 3);
  int sg1 = AddContestant(swiss, g1, 4);
  db->RecordResult(db->AddMatch(swiss, sa1, sb1, 1, 900), 0, {}, false);  // Alpha
  db->RecordResult(db->AddMatch(swiss, sg1, sa2, 1, 900), 1, {}, false);  // Alpha
  db->AddMatch(swiss, sa1, sa2, 1, 915);                                   // open
  db->RecordResult(db->AddMatch(swiss, sg1, kNotPlayed, 0, 0), 1, {}, false);  // nobody's win
  // Knockout of three: B1 gets a bye, then wins the final against A1.
  int idKo = AddKnockout({b1, a1, g1}, 4, "1-2");
  std::vector<MatchRecord> bracket = Matches(idKo);
  std::sort(bracket.begin(), bracket.end(), [](auto& x, auto& y) { return x.id < y.id; });
  db->RecordResult(bracket[1].id, 1, {}, false);  // 3 v 2: A1 beats G1
  db->RecordResult(bracket[2].id, 0, {}, false);  // final: W1 (B1 through the bye) wins
  EXPECT_EQ(CountClubVictories(*db, idToernooi), (std::map<std::string, int>{{"Alpha", 3}, {"Beta", 1}}));
  ClubTrophyModel model(*db, idToernooi);
  model.Load();
  ASSERT_EQ(model.Rows().size(), 3u);
  using M = ClubTrophyModel;
  EXPECT_EQ(std::vector<std::string>({model.Cell(0, M::kClub), model.Cell(0, M::kParticipants),
                                      model.Cell(0, M::kQuotient), model.Cell(1, M::kMinQuotient),
                                      model.Cell(2, M::kVictories), model.Cell(2, M::kQuotient)}),
            std::vector<std::string>({"Alpha", "4", "0.750", "1.000", "", "0.000"}));
  EXPECT_EQ(ClubTrophyModel::Header(ClubTrophyModel::kQuotient), "Quoti\xEB" "nt      ");
}

TEST_F(ClubTrophy, DenominatorAndSortAreKeptPerTournament) {
  int a = AddPlayer("A1", "Alpha", 1500), b = AddPlayer("B1", "Beta", 1500), pool = AddPool(kPlaystyleSwiss);
  AddPlayer("A2", "Alpha", 1500);
  int pa = AddContestant(pool, a, 1), pb = AddContestant(pool, b, 2);
  db->RecordResult(db->AddMatch(pool, pa, pb, 1, 900), 1, {}, false);  // Beta
  ClubTrophyModel model(*db, idToernooi);
  model.Load();
  EXPECT_TRUE(model.MinimumDenominator() == 1 && !model.SetMinimumDenominator(0));
  EXPECT_FALSE(model.SortBy(-1) || model.SortBy(ClubTrophyModel::kColumnCount));  // no such column
  EXPECT_EQ(db->GetSetting(Format("ClubTrofeeDenom%d", idToernooi)), "");
  ASSERT_TRUE(model.SetMinimumDenominator(5));
  EXPECT_EQ(model.Cell(1, ClubTrophyModel::kMinQuotient), "0.200");
  std::string firsts;
  model.SortBy(ClubTrophyModel::kMinQuotient);  // first click: descending
  firsts += model.Rows()[0].club + (model.Descending() ? "v " : "^ ");
  model.SortBy(ClubTrophyModel::kClub);  // flips again: ascending
  firsts += model.Rows()[0].club + " ";
  model.SortBy(ClubTrophyModel::kClub);
  EXPECT_EQ(firsts + model.Rows()[0].club, "Betav Alpha Beta");
  ClubTrophyModel reopened(*db, idToernooi);
  reopened.Load();
  EXPECT_EQ(std::tuple(reopened.MinimumDenominator(), reopened.SortColumn(), reopened.Descending(),
                       reopened.Rows()[0].club),
            std::tuple(5, ClubTrophyModel::kClub, true, "Beta"));
  // Another tournament has its own settings.
  ClubTrophyModel other(*db, idToernooi + 1);
  other.Load();
  EXPECT_EQ(std::pair(other.MinimumDenominator(), other.Rows().empty()), std::pair(1, true));
}

}  // namespace
}  // namespace velgram
