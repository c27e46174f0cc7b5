#include "competition/match_rules.h"
#include <gtest/gtest.h>
#include "engine_fixture.h"
#include "store/recordset.h"

namespace velgram {
namespace {

MatchSystem BestOf(int setMax, int setWon, int mode = kResultAll) {
  MatchSystem ms = DefaultMatchSystem();
  std::tie(ms.setMax, ms.setWon, ms.result) = std::tuple(setMax, setWon, mode);
  return ms;
}

MatchSystem Dudodeva() {
  MatchSystem ms;
  ms.gameStop = 11;
  ms.gameDiff = false;
  ms.setMax = ms.setWon = 2;
  ms.result = kResultPoints;
  ms.name = "Duo Dudodeva";
  ms.duoteam = ms.duo_ax = ms.duo_ay = ms.duo_bx = ms.duo_by = ms.duo_abxy = true;
  return ms;
}

TEST(GameRules, WinnerPointsAndGameCodes) {
  MatchSystem ms = BestOf(5, 3);
  // Loser's points -> winner's points, with and without the two-point rule.
  for (auto [loser, twoPoint, plain] : {std::tuple{0, 11, 11}, {9, 11, 11}, {10, 12, 11}, {11, 13, 12}, {12, 14, 13}}) {
    ms.gameDiff = true;
    EXPECT_EQ(WinnerPoints(ms, loser), twoPoint) << loser;
    ms.gameDiff = false;
    EXPECT_EQ(WinnerPoints(ms, loser), plain) << loser;
  }
  // Typed scores -> code; 0 is no game. The last column is without the rule.
  for (auto [s1, s2, code, plainCode] :
       {std::tuple{"11", "7", 8, 8}, {"11", "0", 1, 1}, {"7", "11", -8, -8}, {"12", "10", 11, 11},
        {"10", "12", -11, -11}, {"11", "10", 0, 11}, {"11", "11", 0, 0}, {"10", "8", 0, 0}, {"011", "7", 0, 0},
        {"11", "", 0, 0}, {"11", "-1", 0, 0}, {"11 ", "5", 0, 0}}) {
    ms.gameDiff = true;
    EXPECT_EQ(EncodeGame(ms, s1, s2), code) << s1 << "-" << s2;
    ms.gameDiff = false;
    EXPECT_EQ(EncodeGame(ms, s1, s2), plainCode) << s1 << "-" << s2;  // a drawn game has no winner
  }
}

TEST(GameRules, GameByGameDecisionsInABestOfFive) {
  MatchSystem ms = BestOf(5, 3);
  for (auto [codes, winner] : {std::pair<std::vector<int>, int>{{8, 10, 6}, 0}, {{-5, 8, 8, 8}, 0},
                               {{8, 8, 8, -5}, 0},  // games after the deciding one are accepted
                               {{8, -8, 8, -8, -12}, 1}}) {
    ResultDecision d = DecideGameByGame(ms, codes);
    EXPECT_EQ(std::tuple(d.error, d.indexWinner, d.games, d.writeGames), std::tuple("", winner, codes, true));
  }
  for (auto [codes, error] :
       {std::pair<std::vector<int>, std::string>{{8, 8, -8, -8}, "Er is geen winnaar."}, {{}, "Er is geen winnaar."},
        {{8, 8, 8, 8, -8}, "De winnaar heeft teveel games gewonnen."},
        {{8, 8, -8}, "De winnaar moet minstens 3 games gewonnen hebben."}}) {
    ResultDecision d = DecideGameByGame(ms, codes);
    EXPECT_EQ(std::pair(d.error, d.indexWinner), std::pair(error, -1));
  }
  // The game-by-game dialog takes the games up to the first empty row and
  // sets the side that has won in bold.
  EXPECT_EQ(LeadingGames({8, 10, 0, 6}), (std::vector<int>{8, 10}));
  std::vector<int> bold;
  for (const std::vector<int>& games : std::vector<std::vector<int>>{{8, 10}, {8, 10, 6}, {8, -10, -6}, {8, -10, -6, -1},
                                                                     {8, -10, -6, 1}})
    bold.push_back(BoldSide(ms, games));
  EXPECT_EQ(bold, (std::vector<int>{kKeepFonts, 0, -1, 1, -1}));
}

TEST(GameRules, GamesWonMessagesInOrder) {
  const std::string onlyOne = "Er kan slechts 1 speler zijn met 3 gewonnen games.";
  for (auto [setMax, g1, g2, winner, error] :
       {std::tuple<int, int, int, int, std::string>{5, 3, 2, 0, ""}, {5, 1, 3, 1, ""}, {5, 3, 3, -1, onlyOne},
        {5, 4, 3, -1, onlyOne}, {5, 2, 1, -1, "Een van de spelers moet 3 games gewonnen hebben."},
        {5, 3, -1, -1, "Het aantal games kan niet negatief zijn."}, {4, 3, 2, -1, "Er zijn teveel games. Max=4"}}) {
    ResultDecision d = DecideGamesWon(BestOf(setMax, 3, kResultGames), g1, g2);
    EXPECT_EQ(std::tuple(d.indexWinner, d.error), std::tuple(winner, error)) << g1 << "-" << g2;
    EXPECT_TRUE(winner < 0 || (d.games == std::vector<int>{g1, g2}));
  }
}

DuoEntry Typed(const std::vector<std::pair<int, int>>& scores) {
  DuoEntry e;
  for (size_t i = 0; i < scores.size(); ++i) {
    e.left[i] = std::to_string(scores[i].first);
    e.right[i] = std::to_string(scores[i].second);
  }
  return e;
}

// Game i (0..9) won by the left side with the right side on i points, so the
// displayed codes are 1..10.
DuoEntry Numbered() {
  std::vector<std::pair<int, int>> s;
  for (int i = 0; i < kDuoGames; ++i) s.push_back({11, i});
  return Typed(s);
}

TEST(DuoDudodeva, ValidationNamesTheFirstFaultyGame) {
  MatchSystem ms = Dudodeva();
  const char* names[] = {"a-x", "b-y", "a-y", "b-x", "ab-xy"};
  for (int game = 0; game < kDuoGames; ++game) {
    std::string message = "Game " + std::to_string(game % 2 + 1) + " van " + names[game / 2] + " is incorrect.";
    for (auto [left, right] : {std::pair{"11", "11"}, {"10", "9"}, {"12", "3"}, {"1x", "11"}, {"", "8"}}) {
      DuoEntry e = Numbered();
      e.left[game] = left;
      e.right[game] = right;
      e.left[kDuoGames - 1] = "x";  // a later fault is not the one named
      EXPECT_EQ(DecideDuo(ms, e, {}).error, message) << left << "-" << right;
    }
  }
  DuoEntry e = Numbered();
  e.left[7] = "3", e.right[7] = "11";
  e.left[0] = "011", e.right[0] = "07", e.right[1] = "00";  // leading zeros read as numbers
  ResultDecision d = DecideDuo(ms, e, {});
  EXPECT_EQ(std::tuple(d.error, d.indexWinner, d.games),
            std::tuple("", 0, std::vector<int>{8, 1, 3, 4, 5, 6, 7, -4, 9, 10}));
}

TEST(DuoDudodeva, SwapsAreStoredInTheMatchsOwnOrder) {
  // Worked out by hand from which players each displayed row really has; with
  // the duos exchanged every game is seen from the second duo's side.
  for (auto [swaps, games] : {std::pair<DuoSwaps, std::vector<int>>{{true, false, false}, {7, 8, 5, 6, 3, 4, 1, 2, 9, 10}},
                              {{false, true, false}, {5, 6, 7, 8, 1, 2, 3, 4, 9, 10}},
                              {{false, false, true}, {-1, -2, -3, -4, -7, -8, -5, -6, -9, -10}},
                              {{true, false, true}, {-7, -8, -5, -6, -1, -2, -3, -4, -9, -10}},
                              {{false, true, true}, {-5, -6, -7, -8, -3, -4, -1, -2, -9, -10}}}) {
    ResultDecision d = DecideDuo(Dudodeva(), Numbered(), swaps);
    EXPECT_EQ(std::pair(d.games, d.indexWinner), std::pair(games, swaps.abxy ? 1 : 0));
  }
  // The right-hand side winning with the duos exchanged is the first duo's win.
  DuoEntry right;
  for (int i = 0; i < kDuoGames; ++i) right.left[i] = std::to_string(i), right.right[i] = "11";
  EXPECT_EQ(DecideDuo(Dudodeva(), right, {false, false, true}).indexWinner, 0);
  const std::vector<int> stored = {1, -2, 3, -4, 5, -6, 7, -8, 9, -10};  // shown back under every swap
  for (int mask = 0; mask < 8; ++mask) {
    DuoSwaps s{(mask & 1) != 0, (mask & 2) != 0, (mask & 4) != 0};
    EXPECT_EQ(DuoToMatchOrder(DuoToDisplayOrder(stored, s), s), stored) << mask;
  }
}

TEST(DuoDudodeva, MorePointsWinAndEqualTotalsGoToTheLastGame) {
  MatchSystem ms = Dudodeva();
  std::vector<std::pair<int, int>> s(9, {11, 0});
  s.push_back({0, 11});
  EXPECT_EQ(DecideDuo(ms, Typed(s), {}).indexWinner, 0);
  s = std::vector<std::pair<int, int>>(4, {11, 0});
  s.resize(9, {0, 11});
  s.push_back({11, 0});  // 55 - 55
  EXPECT_EQ(DecideDuo(ms, Typed(s), {}).indexWinner, 0);
  for (auto& g : s) std::swap(g.first, g.second);
  EXPECT_EQ(DecideDuo(ms, Typed(s), {}).indexWinner, 1);
  auto totals = DuoTotals(Typed({{11, 7}, {3, 11}}));
  EXPECT_EQ(FormatTotal(totals[0][0], totals[0][1]) + " / " + FormatTotal(totals[5][0], totals[5][1]),
            "14 - 18 / 14 - 18");  // a-x, and the whole match
}

TEST(EnterResult, ChoosesTheDialogOfTheMode) {
  auto choice = [](const MatchSystem& ms) {
    EntryChoice c = ChooseEntryDialog(ms);
    return std::pair(c.dialog, c.message);
  };
  using D = EntryDialog;
  const std::string fallback = "Fallback EnterResult not ready yet";
  MatchSystem other = Dudodeva(), otherGames = Dudodeva();
  other.name = otherGames.name = "Duo Anders";
  otherGames.result = kResultGames;
  const std::string tooMany = "Dit wedstrijdsysteem heeft meer dan 7 games; alleen de winnaar kan ingevoerd worden.";
  for (auto [ms, dialog, message] :
       {std::tuple<MatchSystem, D, std::string>{BestOf(5, 3, kResultSets), D::kWinnerOnly, ""},
        {BestOf(5, 3, kResultGames), D::kGamesWon, ""}, {BestOf(7, 4), D::kGameByGame, ""},
        {BestOf(9, 5), D::kWinnerOnly, tooMany}, {Dudodeva(), D::kDuoPoints, ""},
        {other, D::kNone, "Alleen Duo Dudodeva wordt ondersteund op dit moment."},
        {BestOf(5, 3, kResultPoints), D::kGameByGame, fallback}, {BestOf(5, 3, 7), D::kGameByGame, fallback},
        {otherGames, D::kGameByGame, fallback}})
    EXPECT_EQ(choice(ms), std::pair(dialog, message)) << ms.name << " " << ms.result;
}

TEST(MatchSystemEditor, EnablingAndReadingTheControls) {
  auto enabled = [](int mode, bool duoteam) {
    EditorEnabling e = EnableEditorControls(mode, duoteam);
    return std::vector<bool>{e.points, e.gameDiff, e.setMax, e.setWon, e.subMatches};
  };
  EXPECT_EQ(enabled(kResultSets, false), (std::vector<bool>{false, false, false, false, false}));
  EXPECT_EQ(enabled(kResultGames, true), (std::vector<bool>{false, false, true, true, true}));
  EXPECT_EQ(enabled(kResultPoints, false), (std::vector<bool>{true, true, true, true, false}));
  EXPECT_EQ(enabled(kResultAll, false), (std::vector<bool>{true, true, true, true, false}));
  EditorControls c = EditorControlsOf(Dudodeva());
  c.name = "  Mijn duo ", c.duoteam = false, c.result = 0;
  MatchSystem ms = ReadEditorControls(c);
  EXPECT_EQ(std::tuple(ms.name, ms.result, ms.gameStop, ms.setMax, ms.setWon),
            std::tuple("Mijn duo", kResultSets, 11, 2, 2));
  EXPECT_FALSE(ms.duo_ax || ms.duo_ay || ms.duo_bx || ms.duo_by || ms.duo_abxy || ms.immutable);
}

using EngineDb = testing::EngineTest;

int IdByName(Database& db, const std::string& name) {
  std::vector<MatchSystem> all;
  db.ListMatchSystems(&all);
  for (const MatchSystem& ms : all)
    if (ms.name == name) return ms.id;
  return -1;
}

TEST_F(EngineDb, EffectiveMatchSystemFollowsPoolClassTournament) {
  int pool = AddPool(AddClass("Plain"), "P");
  const MatchSystem plain = EffectiveMatchSystem(db, pool);
  EXPECT_EQ(std::tuple(EffectiveMatchSystemId(db, pool), plain.name, plain.id), std::tuple(0, "Best of 5", 0));
  db.Exec(nullptr, "UPDATE Toernooien SET idMatchSystem=%d WHERE id=%d", IdByName(db, "Sets"), toernooi);
  EXPECT_EQ(EffectiveMatchSystem(db, pool).name, "Sets");
  int ruled = AddClass("Ruled", IdByName(db, "Best of 7"));
  EXPECT_EQ(EffectiveMatchSystem(db, AddPool(ruled, "P")).name, "Best of 7");
  EXPECT_EQ(EffectiveMatchSystem(db, AddPool(ruled, "Q", "1", 900, IdByName(db, "Best of 3"))).name, "Best of 3");
  EXPECT_EQ(MatchSystemById(db, 4242).name, "Best of 5");
  // The first stored system counts like any other, whatever the tournament has.
  db.Exec(nullptr, "UPDATE Toernooien SET idMatchSystem=%d WHERE id=%d", IdByName(db, "Best of 7"), toernooi);
  EXPECT_EQ(EffectiveMatchSystemId(db, AddPool(AddClass("Eerste", 1), "P")), 1);
}

TEST_F(EngineDb, SavingTheEditorReusesOverwritesOrInserts) {
  int bo5 = IdByName(db, "Best of 5");
  MatchSystem typed = BestOf(5, 3);
  typed.immutable = false;
  typed.name = "Mijn vijf";  // the rules of Best of 5
  EXPECT_EQ(SaveEditorMatchSystem(db, prompter, typed), bo5);
  EXPECT_EQ(IdByName(db, "Mijn vijf"), -1);
  typed = BestOf(9, 5);
  typed.name = "Best of 3";
  EXPECT_EQ(SaveEditorMatchSystem(db, prompter, typed), -1);
  EXPECT_EQ(prompter.alerts, std::vector<std::string>{"Kies een andere naam"});
  typed.name = "Lang";
  int id = SaveEditorMatchSystem(db, prompter, typed);
  EXPECT_TRUE(id > 5 && IdByName(db, "Lang") == id);
  typed.setMax = 11, typed.setWon = 6;
  EXPECT_EQ(SaveEditorMatchSystem(db, prompter, typed), id);
  EXPECT_EQ(MatchSystemById(db, id).setWon, 6);
  typed.setWon = 0;  // no match could ever be won
  EXPECT_EQ(SaveEditorMatchSystem(db, prompter, typed), -1);
  EXPECT_EQ(MatchSystemById(db, id).setWon, 6);
  typed.setWon = 6, typed.gameStop = 21, typed.name = "";
  EXPECT_EQ(SaveEditorMatchSystem(db, prompter, typed), -1);
  EXPECT_EQ(prompter.alerts.back(), "Vul de naam in.");
  // Id 1 is "Sets", the first rule a new file is given.
  EXPECT_EQ(std::tuple(EditorInitialSelection(db, id), EditorInitialSelection(db, 0), EditorInitialSelection(db, 1)),
            std::tuple(id, bo5, 1));
}

TEST_F(EngineDb, DeletingTellsWhereTheRulesAreUsed) {
  MatchSystem typed = BestOf(9, 5);
  typed.name = "Lang";
  int id = SaveEditorMatchSystem(db, prompter, typed);
  EXPECT_FALSE(DeleteEditorMatchSystem(db, prompter, IdByName(db, "Sets"), toernooi));
  EXPECT_EQ(prompter.alerts.back(), "Dit wedstrijdsysteem kan niet verwijderd worden.");
  int cls = AddClass("Heren", id);
  int pool = AddPool(cls, "Poule A", "1", 900, id);
  prompter.answers = {false};
  EXPECT_FALSE(DeleteEditorMatchSystem(db, prompter, id, toernooi));
  EXPECT_EQ(prompter.questions.back(), "Weet u zeker dat u Lang wilt verwijderen?");
  prompter.alerts.clear();
  EXPECT_FALSE(DeleteEditorMatchSystem(db, prompter, id, toernooi));
  db.Exec(nullptr, "UPDATE Pools SET idMatchSystem=0 WHERE id=%d", pool);
  EXPECT_FALSE(DeleteEditorMatchSystem(db, prompter, id, toernooi));
  EXPECT_FALSE(DeleteEditorMatchSystem(db, prompter, id, toernooi + 100));
  db.Exec(nullptr, "UPDATE Systems SET idMatchSystem=0");
  db.Exec(nullptr, "INSERT INTO Pools (idSystem,playstyle,name,idMatchSystem) VALUES (9999,1,'Wees',%d)", id);
  EXPECT_FALSE(DeleteEditorMatchSystem(db, prompter, id, toernooi));
  const std::string inUse = "Het wedstrijdsysteem is in gebruik";
  EXPECT_EQ(prompter.alerts, (std::vector<std::string>{inUse + " in poule Poule A", inUse + " in systeem Heren",
                                                       inUse + " in toernooi Clubkampioenschap", inUse + "."}));
  db.Exec(nullptr, "DELETE FROM Pools WHERE name='Wees'");
  EXPECT_TRUE(DeleteEditorMatchSystem(db, prompter, id, toernooi));
  EXPECT_EQ(IdByName(db, "Lang"), -1);
}

TEST_F(EngineDb, SavingAndClearingAResult) {
  int pool = AddPool(AddClass("A"), "P");
  auto pos = AddPlayers(pool, {AddPlayer("Jan", "TTV", 1500), AddPlayer("Piet", "TTV", 1400)});
  int match = db.AddMatch(pool, pos[0], pos[1], 1, 900);
  auto stored = [&] {
    std::vector<MatchRecord> list;
    db.ListMatches(pool, list);
    db.ReadResults(list);
    return std::tuple(list.at(0).indexWinner, list.at(0).decision, list.at(0).games);
  };
  const int played = kDecisionPlayed;
  EXPECT_FALSE(SaveResult(db, match, DecideGameByGame(BestOf(5, 3), {8, 8})));
  EXPECT_EQ(std::get<0>(stored()), -1);
  EXPECT_TRUE(SaveResult(db, match, DecideGameByGame(BestOf(5, 3), {8, -8, 8, 8})));
  EXPECT_EQ(stored(), std::tuple(0, played, std::vector<int>{8, -8, 8, 8}));
  EXPECT_TRUE(SaveResult(db, match, DecideWinnerOnly(1)));  // leaves the games alone
  EXPECT_EQ(stored(), std::tuple(1, played, std::vector<int>{8, -8, 8, 8}));
  EXPECT_TRUE(SaveResult(db, match, DecideWalkover(0)));  // the games of the earlier entry go
  EXPECT_EQ(stored(), std::tuple(1, static_cast<int>(kDecisionWalkover), std::vector<int>{}));
  EXPECT_TRUE(SaveResult(db, match, DecideWinnerOnly(1)));
  EXPECT_EQ(std::get<1>(stored()), played);
  ClearMatchResult(db, match);
  EXPECT_EQ(stored(), std::tuple(-1, played, std::vector<int>{}));
  // A dialog still open on a match deleted meanwhile writes nothing; nor does
  // a database that refuses the write, and both are told.
  testing::FakePrompter prompter;
  EXPECT_FALSE(StoreResult(db, prompter, match, DecideGameByGame(BestOf(5, 3), {8, 8})));
  RefuseWrites();
  EXPECT_FALSE(StoreResult(db, prompter, match, DecideWinnerOnly(0)));
  EXPECT_FALSE(ClearStoredResult(db, prompter, match));
  db.SetStatementHook(nullptr);
  EXPECT_EQ(std::get<0>(stored()), -1);
  db.Exec(nullptr, "DELETE FROM Matches WHERE id=%d", match);
  EXPECT_FALSE(StoreResult(db, prompter, match, DecideWinnerOnly(0)));
  EXPECT_FALSE(ClearStoredResult(db, prompter, match));
  EXPECT_EQ(prompter.alerts, (std::vector<std::string>{"De winnaar moet minstens 3 games gewonnen hebben.",
                                                       kResultNotStoredMessage, kResultNotStoredMessage,
                                                       kMatchGoneMessage, kMatchGoneMessage}));
  std::string rows;
  db.Exec(&rows, "SELECT * FROM ResultWinner WHERE idMatch=%d", match);
  EXPECT_FALSE(HasRows(rows));
}

// A walkover or a retirement through the entry of each result mode: the side
// named loses; a walkover keeps no games, a retirement the games so far as
// long as they do not decide the match yet.
TEST(Endings, EachEntryModeDecidesWalkoversAndRetirements) {
  const MatchSystem fast = BestOf(5, 3), won = BestOf(5, 3, kResultGames), duo = Dudodeva();
  DuoEntry three, gap, all;  // a-x and game 1 of b-y; the same without a-x game 2; all ten
  for (int i = 0; i < kDuoGames; ++i) all.left[i] = "11", all.right[i] = "3";
  for (int i : {0, 1, 2}) three.left[i] = "11", three.right[i] = "5";
  gap = three;
  gap.left[1] = gap.right[1] = "";
  DuoSwaps none, abxy;
  abxy.abxy = true;
  const Ending wo{kDecisionWalkover, 0}, gaveUp{kDecisionRetired, 1};
  const std::string decided = kAlreadyDecidedMessage;
  struct Case {
    const char* what;
    ResultDecision d;
    int winner, decision;
    std::vector<int> games;
    std::string error;
  } cases[] = {
      {"winner only, w.o.", DecideEnding(wo), 1, kDecisionWalkover, {}, ""},
      {"winner only, opgegeven", DecideEnding(gaveUp), 0, kDecisionRetired, {}, ""},
      {"game by game, w.o.", DecideGameTexts(fast, {{"11", "7"}}, wo), 1, kDecisionWalkover, {}, ""},
      {"game by game, 2-1", DecideGameTexts(fast, {{"11", "7"}, {"9", "11"}, {"11", "5"}, {"5", ""}}, gaveUp), 0,
       kDecisionRetired, {8, -10, 6}, ""},
      {"game by game, 1-2", DecideGameTexts(fast, {{"7", "11"}, {"9", "11"}, {"11", "5"}}, gaveUp), 0,
       kDecisionRetired, {-8, -10, 6}, ""},
      {"game by game, no game", DecideGameTexts(fast, {}, gaveUp), 0, kDecisionRetired, {}, ""},
      {"game by game, a gap", DecideGameTexts(fast, {{"11", "7"}, {"", ""}, {"11", "5"}}, gaveUp), -1,
       kDecisionPlayed, {}, kRetirementGapMessage},
      {"game by game, 3-0", DecideGameTexts(fast, {{"11", "7"}, {"11", "7"}, {"11", "7"}}, gaveUp), -1,
       kDecisionPlayed, {}, decided},
      {"game by game, 0-3", DecideGameTexts(fast, {{"7", "11"}, {"7", "11"}, {"7", "11"}}, gaveUp), -1,
       kDecisionPlayed, {}, decided},
      {"games won, w.o.", DecideGamesWonTexts(won, "3", "0", wo), 1, kDecisionWalkover, {}, ""},
      {"games won, 2-1", DecideGamesWonTexts(won, "2", "1", gaveUp), 0, kDecisionRetired, {2, 1}, ""},
      {"games won, 1-3", DecideGamesWonTexts(won, "1", "3", gaveUp), -1, kDecisionPlayed, {}, decided},
      {"games won, 3-1", DecideGamesWonTexts(won, "3", "1", gaveUp), -1, kDecisionPlayed, {}, decided},
      {"games won, -1", DecideGamesWonTexts(won, "-1", "1", gaveUp), -1, kDecisionPlayed, {},
       "Het aantal games kan niet negatief zijn."},
      {"games won, 1 against -1", DecideGamesWonTexts(won, "1", "-1", gaveUp), -1, kDecisionPlayed, {},
       "Het aantal games kan niet negatief zijn."},
      {"duo, w.o.", DecideDuo(duo, all, none, wo), 1, kDecisionWalkover, {}, ""},
      {"duo, three games", DecideDuo(duo, three, none, gaveUp), 0, kDecisionRetired, {6, 6, 6}, ""},
      {"duo, ab and xy exchanged", DecideDuo(duo, three, abxy, gaveUp), 0, kDecisionRetired, {-6, -6, -6}, ""},
      {"duo, a gap", DecideDuo(duo, gap, none, gaveUp), -1, kDecisionPlayed, {},
       std::string(kRetirementGapMessage) + " De volgorde is a-x, b-y, a-y, b-x, ab-xy."},
      {"duo, all ten", DecideDuo(duo, all, none, gaveUp), -1, kDecisionPlayed, {}, decided},
  };
  for (const Case& c : cases)  // games entered before must not outlive a walkover or a retirement
    EXPECT_EQ(std::tuple(c.d.error, c.d.indexWinner, c.d.decision, c.d.games, c.error.empty() && !c.d.writeGames),
              std::tuple(c.error, c.winner, c.decision, c.games, false)) << c.what;
}

TEST(Endings, ChoicesNameTheLoserAndShowBackFromTheStoredResult) {
  EXPECT_EQ(EndingChoices("Jan", "Piet"),
            (std::vector<std::string>{"Gespeeld", "w.o.: Jan niet gespeeld", "w.o.: Piet niet gespeeld",
                                      "Opgegeven door Jan", "Opgegeven door Piet"}));
  for (int i = 0; i < kEndingChoices; ++i) {
    ResultDecision d = i == 0 ? DecideWinnerOnly(0) : DecideEnding(EndingOfChoice(i));
    MatchRecord stored;
    std::tie(stored.indexWinner, stored.decision) = std::tie(d.indexWinner, d.decision);
    EXPECT_EQ(ChoiceOfMatch(stored), i);
  }
  EXPECT_EQ(EndingOfChoice(kEndingChoices).decision, kDecisionPlayed);
}

// Typed game fields: what cannot be a number of points is told before any
// rule runs; a window that is empty or no game yet ends the games.
TEST(GameRules, TypedGameTexts) {
  MatchSystem ms = BestOf(5, 3);
  const std::string bad = "Game 2: Vul een aantal punten van 0 tot en met 99 in.";
  for (auto [windows, error, games] : {
           std::tuple<GameTexts, std::string, std::vector<int>>{{{"11", "7"}, {"11", "9"}, {"11", "5"}}, "", {8, 10, 6}},
           {{{"11", "7"}, {"x", "9"}}, bad, {}},
           {{{"11", "7"}, {"11", "-3"}}, bad, {}},
           {{{"11", "7"}, {"11", ""}, {"11", "5"}, {"11", "5"}}, "De winnaar moet minstens 3 games gewonnen hebben.", {}},
           {{{"11", "7"}, {"9", "11"}, {" 11", "5 "}, {"14", "12"}}, "", {8, -10, 6, 13}},
       }) {
    ResultDecision d = DecideGameTexts(ms, windows);
    EXPECT_EQ(std::pair(d.error, d.games), std::pair(error, games));
  }
  EXPECT_EQ(std::pair(ReadGamePoints(ms, "99"), ReadGamePoints(ms, "100")), std::pair(99, -1));
  // Games won: empty counts 0, text is refused, negatives keep their message.
  for (auto [g1, g2, error] : {std::tuple{"3", "", ""}, {"3", "twee", "Vul bij beide spelers het aantal gewonnen games in."},
                              {"-1", "3", "Het aantal games kan niet negatief zijn."}, {"1000", "3", "Vul bij beide spelers het aantal gewonnen games in."}})
    EXPECT_EQ(DecideGamesWonTexts(BestOf(5, 3, kResultGames), g1, g2).error, error) << g1 << "-" << g2;
}

}  // namespace
}  // namespace velgram
