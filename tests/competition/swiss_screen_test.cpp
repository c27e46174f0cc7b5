// The texts of the Swiss and knockout screens: results and export lines.
#include <gtest/gtest.h>

#include "competition/swiss_screen.h"

namespace velgram {
namespace {

TEST(MatchResultText, EachResultModeReadsAsTheListsShowIt) {
  MatchSystem fast = DefaultMatchSystem();  // game by game, 11 points, two-point lead
  MatchSystem sets = fast, games = fast;
  sets.result = 1;
  games.result = 2;
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
    m.indexWinner = c.winner;
    m.games = c.games;
    m.decision = c.decision;
    EXPECT_EQ(MatchResultText(m, c.system, c.eachGame), c.text) << c.text;
  }
}

TEST(SwissExportText, CellsBySemicolonLinesByLineFeed) {
  EXPECT_EQ(SwissExportText({{"", "Nr", "Naam"}, {"+", "1", "Jan (TTV)"}, {"", "", "1 Bye"}}),
            ";Nr;Naam\n+;1;Jan (TTV)\n;;1 Bye\n");
}

}  // namespace
}  // namespace velgram
