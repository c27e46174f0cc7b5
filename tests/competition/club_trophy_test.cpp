// The club trophy: quotients, counting victories and participants, and the
// window's settings.
#include "competition/club_trophy.h"

#include <gtest/gtest.h>

#include "competition/dropout.h"
#include "event_fixture.h"
#include "support/text.h"

namespace velgram {
namespace {

using testing::EventFixture;
using testing::FakePrompter;

TEST(ClubTrophyRows, Quotients) {
  std::vector<ClubEntry> clubs = {{1, "Alpha"}, {2, "Beta"}, {3, "Leeg"}};
  std::map<std::string, int> victories = {{"Alpha", 3}, {"Beta", 1}, {"Leeg", 2}, {"???", 4}};
  std::map<std::string, int> participants = {{"Alpha", 4}, {"Beta", 1}};
  std::vector<ClubTrophyRow> rows = ClubTrophyRows(clubs, victories, participants, 6);
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_DOUBLE_EQ(rows[0].quotient, 0.75);
  EXPECT_DOUBLE_EQ(rows[0].minQuotient, 0.5);
  // A club without participants shows 0 rather than a division by zero.
  EXPECT_DOUBLE_EQ(rows[2].quotient, 0);
  EXPECT_DOUBLE_EQ(rows[2].minQuotient, 2.0 / 6);
  // A minimum denominator below 1 counts as 1.
  rows = ClubTrophyRows(clubs, victories, participants, 0);
  EXPECT_DOUBLE_EQ(rows[1].minQuotient, 1.0);
  EXPECT_DOUBLE_EQ(rows[2].minQuotient, 2.0);
}

class ClubTrophy : public ::testing::Test, public EventFixture {};

TEST_F(ClubTrophy, CountsVictoriesIncludingKnockoutWinnersButNoByes) {
  int a1 = AddPlayer("A1", "Alpha", 1500);
  int a2 = AddPlayer("A2", "Alpha", 1400);
  AddPlayer("A3", "Alpha", 1300);
  AddPlayer("A4", "Alpha", 1200);
  int b1 = AddPlayer("B1", "Beta", 1600);
  int g1 = AddPlayer("G1", "Gamma", 1000);

  int swiss = AddPool(kPlaystyleSwiss);
  int sa1 = AddContestant(swiss, a1, 1), sa2 = AddContestant(swiss, a2, 2), sb1 = AddContestant(swiss, b1, 3);
  int sg1 = AddContestant(swiss, g1, 4);
  db->RecordResult(db->AddMatch(swiss, sa1, sb1, 1, 900), 0, {}, false);  // Alpha
  db->RecordResult(db->AddMatch(swiss, sg1, sa2, 1, 900), 1, {}, false);  // Alpha
  db->AddMatch(swiss, sa1, sa2, 1, 915);                                   // open
  db->RecordResult(db->AddMatch(swiss, sg1, kNotPlayed, 0, 0), 1, {}, false);  // nobody's win

  // Knockout of three: B1 gets a bye, then wins the final against A1.
  LDropout ko("{ \"dimension\":4 }");
  int idKo = AddPool(kPlaystyleDropout, "1-2", 1000, ko.ExtraText());
  PoolRecord row;
  db->GetPool(idKo, row);
  ko.FillFrom(row);
  std::vector<Contestant> seats;
  for (auto [player, pos] : {std::pair{b1, 1}, std::pair{a1, 2}, std::pair{g1, 3}}) {
    ContestantRecord r;
    db->GetContestant(r, AddContestant(idKo, player, pos));
    seats.push_back(Contestant::FromRecord(r));
  }
  FakePrompter prompter;
  ASSERT_EQ(ActivateDropout(*db, prompter, ko, seats), ActivateOutcome::kActivated);
  std::vector<MatchRecord> bracket = Matches(idKo);
  std::sort(bracket.begin(), bracket.end(), [](auto& x, auto& y) { return x.id < y.id; });
  db->RecordResult(bracket[1].id, 1, {}, false);  // 3 v 2: A1 beats G1
  db->RecordResult(bracket[2].id, 0, {}, false);  // final: W1 (B1 through the bye) wins

  std::map<std::string, int> victories = CountClubVictories(*db, idToernooi);
  EXPECT_EQ(victories["Alpha"], 3);
  EXPECT_EQ(victories["Beta"], 1);
  EXPECT_EQ(victories.count("Gamma"), 0u);

  ClubTrophyModel model(*db, idToernooi);
  model.Load();
  ASSERT_EQ(model.Rows().size(), 3u);
  EXPECT_EQ(model.Cell(0, ClubTrophyModel::kClub), "Alpha");
  EXPECT_EQ(model.Cell(0, ClubTrophyModel::kParticipants), "4");
  EXPECT_EQ(model.Cell(0, ClubTrophyModel::kQuotient), "0.750");
  EXPECT_EQ(model.Cell(1, ClubTrophyModel::kMinQuotient), "1.000");
  EXPECT_EQ(model.Cell(2, ClubTrophyModel::kVictories), "");
  EXPECT_EQ(model.Cell(2, ClubTrophyModel::kQuotient), "0.000");
  EXPECT_EQ(ClubTrophyModel::Header(ClubTrophyModel::kQuotient), "Quoti\xEB" "nt      ");
}

TEST_F(ClubTrophy, DenominatorAndSortAreKeptPerTournament) {
  int a = AddPlayer("A1", "Alpha", 1500);
  AddPlayer("A2", "Alpha", 1500);
  int b = AddPlayer("B1", "Beta", 1500);
  int pool = AddPool(kPlaystyleSwiss);
  int pa = AddContestant(pool, a, 1), pb = AddContestant(pool, b, 2);
  db->RecordResult(db->AddMatch(pool, pa, pb, 1, 900), 1, {}, false);  // Beta

  ClubTrophyModel model(*db, idToernooi);
  model.Load();
  EXPECT_EQ(model.MinimumDenominator(), 1);
  EXPECT_FALSE(model.SetMinimumDenominator(0));
  EXPECT_EQ(db->GetSetting(Format("ClubTrofeeDenom%d", idToernooi)), "");
  ASSERT_TRUE(model.SetMinimumDenominator(5));
  EXPECT_EQ(model.Cell(1, ClubTrophyModel::kMinQuotient), "0.200");

  model.SortBy(ClubTrophyModel::kMinQuotient);  // first click: descending
  EXPECT_TRUE(model.Descending());
  EXPECT_EQ(model.Rows()[0].club, "Beta");
  model.SortBy(ClubTrophyModel::kClub);  // flips again: ascending
  EXPECT_EQ(model.Rows()[0].club, "Alpha");
  model.SortBy(ClubTrophyModel::kClub);
  EXPECT_EQ(model.Rows()[0].club, "Beta");

  ClubTrophyModel reopened(*db, idToernooi);
  reopened.Load();
  EXPECT_EQ(reopened.MinimumDenominator(), 5);
  EXPECT_EQ(reopened.SortColumn(), ClubTrophyModel::kClub);
  EXPECT_TRUE(reopened.Descending());
  EXPECT_EQ(reopened.Rows()[0].club, "Beta");
  // Another tournament has its own settings.
  ClubTrophyModel other(*db, idToernooi + 1);
  other.Load();
  EXPECT_EQ(other.MinimumDenominator(), 1);
  EXPECT_TRUE(other.Rows().empty());
}

}  // namespace
}  // namespace velgram
