#include <gtest/gtest.h>
#include "competition/swiss_screen.h"

namespace velgram {
namespace {

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
      {sets, 1, {}, "0 - 1 w.o.", kDecisionWalkover},
      {fast, 0, {8, -10}, "1 - 1 (11-7, 9-11) opg.", kDecisionRetired},
      {fast, -1, {}, ""},
      {sets, 1, {}, "0 - 1"},
      {fast, 0, {}, "1 - 0"},
      {games, 0, {3, 1}, "3 - 1"},
      {fast, 0, {8, -10, 11, 1}, "3 - 1 (11-7, 9-11, 12-10, 11-0)"},
      {fast, 0, {8, -10, 11, 1}, "3 - 1", kDecisionPlayed, false},
      {fast, 1, {8, -10}, "1 - 1 opg.", kDecisionRetired, false},
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
  auto match = [](int id, int a, int b, int winner, int decision) {
    MatchEntry m;
    std::tie(m.id, m.idContestant1, m.idContestant2, m.indexWinner, m.decision) = std::tie(id, a, b, winner, decision);
    return m;
  };
  LSwiss pool;
  pool.SetData(players,
               {match(11, 1, 2, 0, kDecisionWalkover), match(12, 3, 1, 1, kDecisionRetired),
                match(13, 1, 2, 1, kDecisionPlayed)},
               {{1, 1, 11}, {2, 2, 12}, {3, 3, 13}});
  std::map<std::string, std::vector<std::string>> rounds;
  for (const SwissStandLine& line : SwissStandLines(pool, {1, 2}, {}))
    if (!line.player)
      rounds[names[line.idContestant - 1]].push_back(line.cells[2] + "|" + line.cells[4] + "|" + line.cells[5]);
  EXPECT_EQ(rounds["An"], (std::vector<std::string>{"1 Bo|w.o.|1", "2 Cas|1300 opg.|1", "3 Bo|1400|0"}));
  EXPECT_EQ(rounds["Bo"], (std::vector<std::string>{"1 An|w.o.|0", "2 Bye||1", "3 An|1500|1"}));
}

TEST(SwissExportText, CellsBySemicolonLinesByLineFeed) {
  EXPECT_EQ(SwissExportText({{"", "Nr", "Naam"}, {"+", "1", "Jan (TTV)"}, {"", "", "1 Bye"}}),
            ";Nr;Naam\n+;1;Jan (TTV)\n;;1 Bye\n");
}

}  // namespace
}  // namespace velgram
