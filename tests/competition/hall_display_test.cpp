#include "competition/hall_display.h"
#include <gtest/gtest.h>
#include "competition/club_trophy.h"
#include "competition/poule.h"
#include "competition/swiss_screen.h"
#include "event_fixture.h"
#include "support/text.h"

namespace velgram {
namespace {

using testing::EventFixture;

class HallContentTest : public EventFixture {
 protected:
  void SetUp() override {
    db->SetSetting("PouleActivateWarning", "No");
    poule = AddPool(kPlaystylePoule, "1-2", 900);
    for (int i = 1; i <= 4; ++i) AddContestant(poule, AddPlayer("Rr " + std::to_string(i), "TTV", 1500), i);
    ASSERT_EQ(StartPoule(*db, prompter, poule), StartOutcome::kStarted);
    swiss = AddPool(kPlaystyleSwiss, "3-4", 900);
    for (int i = 1; i <= 5; ++i)
      AddContestant(swiss, AddPlayer("Zw " + std::to_string(i), "Zaal", 2000 - 100 * i), i);
    ASSERT_TRUE(NextSwissRound(*db, prompter, clock, swiss, nullptr));
    // Three in a bracket of four: seed 1 has a bye, match 3 waits for match 2.
    knockout = AddKnockout("Ko ", 3, 4);
  }
  // A started bracket of `dimension` seats for `players` named prefix 1, 2, ...
  int AddKnockout(const std::string& prefix, int players, int dimension) {
    std::vector<int> ids;
    for (int i = 1; i <= players; ++i) ids.push_back(AddPlayer(prefix + std::to_string(i), "Net", 1000));
    return EventFixture::AddKnockout(ids, dimension);
  }
  HallContent Build(const HallOptions& o = {}) { return BuildHallContent(*db, idToernooi, o); }
  const HallBlock* Block(const HallContent& c, int idPool) {
    for (const HallBlock& b : c.blocks)
      if (b.idPool == idPool) return &b;
    return nullptr;
  }
  std::vector<int> OpenIds(const HallContent& c) {
    std::vector<int> ids;
    for (const HallMatchRow& r : c.open) ids.push_back(r.idMatch);
    return ids;
  }
  // A knockout block's lines: "place name-name2 winner result", " bye" after a bye.
  static std::vector<std::string> KnockoutLines(const HallBlock& b) {
    std::vector<std::string> lines;
    for (const HallStandingRow& r : b.rows)
      lines.push_back(Format("%d %s-%s %d%s%s%s", r.place, r.name.c_str(), r.name2.c_str(), r.winner,
                             r.result.empty() ? "" : " ", r.result.c_str(), r.bye ? " bye" : ""));
    return lines;
  }
  int poule = -1, swiss = -1, knockout = -1;
};

TEST_F(HallContentTest, ListsTheCallableMatchesInTimeAndTableOrderAndFollowsResults) {
  MatchRecord moved = Matches(poule).front();  // in the first wave, to a table after the Swiss ones
  moved.tafel = 9;
  db->UpdateMatch(moved);
  HallContent c = Build();
  EXPECT_EQ(c.toernooi, "Clubkampioenschap");
  std::vector<MatchRecord> ko = Matches(knockout);
  ASSERT_EQ(ko.size(), 3u);
  // Round robin 6, Swiss 2 (the fifth player has a bye), knockout only match
  // 2: match 1 is a bye and match 3 has an undecided side.
  std::vector<int> expected;
  for (int id : {poule, swiss})
    for (const MatchRecord& m : Matches(id)) expected.push_back(m.id);
  expected.push_back(ko[1].id);
  std::vector<int> got = OpenIds(c);
  EXPECT_EQ(std::set<int>(got.begin(), got.end()), std::set<int>(expected.begin(), expected.end()));
  EXPECT_EQ(got.size(), expected.size());
  for (size_t i = 1; i < c.open.size(); ++i)
    EXPECT_LE(std::pair(c.open[i - 1].starttime, c.open[i - 1].tafel), std::pair(c.open[i].starttime, c.open[i].tafel));
  EXPECT_EQ(std::tuple(c.played, c.toPlay, c.open.front().klasse), std::tuple(0, 6 + 2 + 2, "A"));  // knockout 2 and 3
  ASSERT_EQ(c.blocks.size(), 3u);
  EXPECT_EQ(c.blocks[1].caption, "Ronde 1");
  // The bye (of the middle player) already counts as a point in the Swiss standings.
  EXPECT_EQ(std::tuple(c.blocks[1].rows.front().name, c.blocks[1].rows.front().points, c.blocks[1].rows.back().points,
                       c.blocks[2].caption),
            std::tuple("Zw 3", 1, 0, "Halve finale"));
  EXPECT_EQ(KnockoutLines(c.blocks[2]), (std::vector<std::string>{"1 Ko 1-Bye 0 bye", "2 Ko 3-Ko 2 -1"}));

  // A result takes its match off and moves the standings.
  db->RecordResult(moved.id, 1, {}, false);
  db->RecordResult(ko[1].id, 0, {}, false);  // seed 3 beats seed 2
  c = Build();
  got = OpenIds(c);
  EXPECT_EQ(std::count(got.begin(), got.end(), moved.id), 0);
  // The final is callable now, with both names carried forward.
  ASSERT_EQ(std::count(got.begin(), got.end(), ko[2].id), 1);
  for (const HallMatchRow& r : c.open) EXPECT_TRUE(r.idMatch != ko[2].id || r.name1 + "-" + r.name2 == "Ko 1-Ko 3");
  EXPECT_EQ(std::pair(c.played, c.toPlay), std::pair(2, 8));
  const HallBlock* rr = Block(c, poule);
  const HallBlock* final = Block(c, knockout);
  ASSERT_TRUE(rr && final);
  // In play, places follow the wins so far; equal wins share a place.
  EXPECT_EQ(std::tuple(rr->rows[0].wins, rr->rows[0].place, rr->rows[1].place, rr->rows[3].place, rr->rows[0].club),
            std::tuple(1, 1, 2, 2, "TTV"));
  EXPECT_EQ(std::pair(final->caption, KnockoutLines(*final)),
            std::pair(std::string("Finale"), std::vector<std::string>{"3 Ko 1-Ko 3 -1"}));
  // Once decided, the final stays on show with its winner. A Swiss player
  // taken out of the draw shows as removed; one put back (0) does not.
  db->RecordResult(ko[2].id, 1, {}, false);
  std::vector<ContestantRecord> zw = Rows(swiss);
  std::tie(zw[0].poolPos, zw[1].poolPos) = std::pair(-1, 0);
  for (int i : {0, 1}) db->UpdateContestant(zw[i]);
  c = Build();
  ASSERT_TRUE(Block(c, knockout) && Block(c, swiss));
  EXPECT_EQ(KnockoutLines(*Block(c, knockout)), std::vector<std::string>{"3 Ko 1-Ko 3 1 0 - 1"});
  std::set<std::string> removed;
  for (const HallStandingRow& r : Block(c, swiss)->rows)
    if (r.removed) removed.insert(r.name);
  EXPECT_EQ(removed, std::set<std::string>{"Zw 1"});
  // A knockout line is a bye whichever side the bye stands on, and only then:
  // five in a bracket of eight.
  const int eight = AddKnockout("Bc ", 5, 8);
  c = Build();
  ASSERT_TRUE(Block(c, eight));
  EXPECT_EQ(Block(c, eight)->caption, "Kwartfinale");
  EXPECT_EQ(KnockoutLines(*Block(c, eight)), (std::vector<std::string>{"1 Bc 1-Bye 0 bye", "2 Bye-Bc 4 1 bye",
                                                                       "3 Bc 3-Bc 5 -1", "4 Bye-Bc 2 1 bye"}));
}

TEST_F(HallContentTest, ChoicesHideClassesAndParts) {
  HallOptions o;
  o.hiddenClasses.insert(idSystem);
  o.show = HallShow::kMatches, o.pageSeconds = 1;  // below the least: kept at the least
  WriteHallOptions(*db, idToernooi, o);
  db->SetSetting("MatchesClub" + std::to_string(idToernooi), "1");
  HallOptions read = ReadHallOptions(*db, idToernooi);
  EXPECT_EQ(std::tuple(read.hiddenClasses, read.show, read.pageSeconds, read.withClub),
            std::tuple(o.hiddenClasses, HallShow::kMatches, kHallMinPageSeconds, true));
  HallContent c = Build(read);
  EXPECT_TRUE(c.open.empty() && c.blocks.empty() && c.toPlay == 0);
  read.hiddenClasses.clear();
  c = Build(read);
  ASSERT_FALSE(c.open.empty());
  EXPECT_TRUE(c.open.front().name1.find(" (") != std::string::npos && c.blocks.empty());  // clubs, matches only
}

TEST(HallPages, EveryRowOnceWithinThePage) {
  HallContent c;
  for (int i = 0; i < 28; ++i) c.open.push_back({i, 1, 900, "a", "b", "A", "P"});
  for (int n : {4, 12, 30, 3, 6}) {
    HallBlock b;
    b.rows.resize(n);
    c.blocks.push_back(b);
  }
  const int lines = 20, columns = 2;
  std::vector<HallPage> pages = PaginateHall(c, lines, columns);
  int nextMatch = 0;
  std::map<int, int> nextRow;
  std::map<int, int> pieces;
  for (const HallPage& p : pages) {
    ASSERT_FALSE(p.pieces.empty());
    std::map<int, int> bottom;  // per column, the first free line
    for (const HallPiece& piece : p.pieces) {
      EXPECT_LE(piece.line + kHallPieceHead + piece.count, lines);
      EXPECT_LT(piece.column, columns);
      EXPECT_GE(piece.line, bottom[piece.column]);
      bottom[piece.column] = piece.line + kHallPieceHead + piece.count;
      if (piece.kind == HallPiece::kMatches) {
        for (int col = 1; col < columns; ++col) bottom[col] = bottom[0];
        EXPECT_EQ(piece.first, nextMatch);
        nextMatch += piece.count;
      } else {
        EXPECT_EQ(piece.first, nextRow[piece.block]);
        EXPECT_EQ(piece.continued, piece.first > 0);
        nextRow[piece.block] += piece.count;
        ++pieces[piece.block];
      }
    }
  }
  EXPECT_EQ(nextMatch, 28);
  for (int b = 0; b < 5; ++b) EXPECT_EQ(nextRow[b], static_cast<int>(c.blocks[b].rows.size())) << b;
  EXPECT_EQ(pieces[1], 1);  // fits a column: moved on whole rather than split
  EXPECT_GE(pieces[2], 2);  // longer than a column
  // The last matches page has room left below for the first block.
  EXPECT_EQ(pages[1].pieces.size() > 1, true);
  // Nothing to show is still one page; matches only leaves the blocks off.
  EXPECT_EQ(PaginateHall(HallContent{}, lines, columns).size(), 1u);
  c.showStandings = false;
  EXPECT_EQ(PaginateHall(c, lines, columns).size(), 2u);
}

TEST(ChangeRule, ATouchedPoolTakesEveryPoolThatLinksToIt) {
  // 2 and 3 take places of 1, 4 of 3; 5 links to itself (a damaged file).
  const LinkGraph links = {{1, {}}, {2, {1}}, {3, {1}}, {4, {3}}, {5, {5}}, {6, {}}};
  const struct {
    ChangeKind kind;
    int pool;
    std::set<int> touched;
  } cases[] = {
      {ChangeKind::kResult, 1, {1, 2, 3, 4}},    {ChangeKind::kPositions, 3, {3, 4}},
      {ChangeKind::kTableTime, 1, {1}},          {ChangeKind::kResult, 5, {5}},
      {ChangeKind::kResult, 6, {6}},
  };
  for (const auto& c : cases) EXPECT_EQ(PoolsTouched(c.kind, c.pool, links), c.touched) << c.pool;
}

using ClubTrophy = EventFixture;

// Victories count knockout winners but no byes; the least denominator and the
// sort are kept per tournament.
TEST_F(ClubTrophy, CountsVictoriesAndKeepsItsChoicesPerTournament) {
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
  EXPECT_TRUE(model.MinimumDenominator() == 1 && !model.SetMinimumDenominator(0));
  EXPECT_FALSE(model.SortBy(-1) || model.SortBy(ClubTrophyModel::kColumnCount));  // no such column
  EXPECT_EQ(db->GetSetting(Format("ClubTrofeeDenom%d", idToernooi)), "");
  ASSERT_TRUE(model.SetMinimumDenominator(5));
  EXPECT_EQ(model.Cell(1, ClubTrophyModel::kMinQuotient), "0.200");  // Beta: 1 of 5
  std::string firsts;
  model.SortBy(ClubTrophyModel::kClub);  // first click: descending
  firsts += model.Rows()[0].club + (model.Descending() ? "v " : "^ ");
  model.SortBy(ClubTrophyModel::kMinQuotient);  // flips again: ascending
  firsts += model.Rows()[0].club + " ";
  model.SortBy(ClubTrophyModel::kMinQuotient);
  EXPECT_EQ(firsts + model.Rows()[0].club, "Gammav Gamma Alpha");
  ClubTrophyModel reopened(*db, idToernooi);
  reopened.Load();
  EXPECT_EQ(std::tuple(reopened.MinimumDenominator(), reopened.SortColumn(), reopened.Descending(),
                       reopened.Rows()[0].club),
            std::tuple(5, ClubTrophyModel::kMinQuotient, true, "Alpha"));
  // Another tournament has its own settings.
  ClubTrophyModel other(*db, idToernooi + 1);
  other.Load();
  EXPECT_EQ(std::pair(other.MinimumDenominator(), other.Rows().empty()), std::pair(1, true));
}

}  // namespace
}  // namespace velgram
