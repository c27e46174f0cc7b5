#include "competition/match_rules.h"

#include <gtest/gtest.h>

#include "engine_fixture.h"

namespace velgram {
namespace {

MatchSystem BestOf(int setMax, int setWon, int mode = kResultAll) {
  MatchSystem ms = DefaultMatchSystem();
  ms.setMax = setMax;
  ms.setWon = setWon;
  ms.result = mode;
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

TEST(GameRules, WinnerPointsFollowTheTwoPointRule) {
  MatchSystem ms = BestOf(5, 3);
  EXPECT_EQ(WinnerPoints(ms, 0), 11);
  EXPECT_EQ(WinnerPoints(ms, 9), 11);
  EXPECT_EQ(WinnerPoints(ms, 10), 12);
  EXPECT_EQ(WinnerPoints(ms, 11), 13);
  EXPECT_EQ(WinnerPoints(ms, 12), 14);
  ms.gameDiff = false;
  EXPECT_EQ(WinnerPoints(ms, 10), 11);
  EXPECT_EQ(WinnerPoints(ms, 11), 12);
  int p1 = 0, p2 = 0;
  GameScore(BestOf(5, 3), -11, p1, p2);
  EXPECT_EQ(p1, 10);
  EXPECT_EQ(p2, 12);
  GameScore(BestOf(5, 3), 8, p1, p2);
  EXPECT_EQ(p1, 11);
  EXPECT_EQ(p2, 7);
}

TEST(GameRules, GamesAreCodedFromTheFirstSidesView) {
  MatchSystem ms = BestOf(5, 3);
  EXPECT_EQ(EncodeGame(ms, "11", "7"), 8);
  EXPECT_EQ(EncodeGame(ms, "11", "0"), 1);
  EXPECT_EQ(EncodeGame(ms, "7", "11"), -8);
  EXPECT_EQ(EncodeGame(ms, "12", "10"), 11);
  EXPECT_EQ(EncodeGame(ms, "10", "12"), -11);
  EXPECT_EQ(EncodeGame(ms, "11", "11"), 0);
  EXPECT_EQ(EncodeGame(ms, "11", "10"), 0);  // no two-point lead
  EXPECT_EQ(EncodeGame(ms, "10", "8"), 0);   // nobody reached 11
  EXPECT_EQ(EncodeGame(ms, "011", "7"), 0);  // must read back unchanged
  EXPECT_EQ(EncodeGame(ms, "11", ""), 0);
  EXPECT_EQ(EncodeGame(ms, "11", "-1"), 0);
  EXPECT_EQ(EncodeGame(ms, "11 ", "5"), 0);
  ms.gameDiff = false;
  EXPECT_EQ(EncodeGame(ms, "11", "10"), 11);
  EXPECT_EQ(EncodeGame(ms, "11", "11"), 0);  // a drawn game has no winner
}

TEST(GameRules, GameByGameDecisionsInABestOfFive) {
  MatchSystem ms = BestOf(5, 3);
  auto ok = [&](std::vector<int> codes, int winner) {
    ResultDecision d = DecideGameByGame(ms, codes);
    EXPECT_TRUE(d.Ok()) << d.error;
    EXPECT_EQ(d.indexWinner, winner);
    EXPECT_EQ(d.games, codes);
    EXPECT_TRUE(d.writeGames);
  };
  ok({8, 10, 6}, 0);
  ok({-5, 8, 8, 8}, 0);
  ok({8, 8, 8, -5}, 0);  // games after the deciding one are accepted
  ok({8, -8, 8, -8, -12}, 1);
  EXPECT_EQ(DecideGameByGame(ms, {8, 8, -8, -8}).error, "Er is geen winnaar.");
  EXPECT_EQ(DecideGameByGame(ms, {}).error, "Er is geen winnaar.");
  EXPECT_EQ(DecideGameByGame(ms, {8, 8, 8, 8, -8}).error, "De winnaar heeft teveel games gewonnen.");
  EXPECT_EQ(DecideGameByGame(ms, {8, 8, -8}).error, "De winnaar moet minstens 3 games gewonnen hebben.");
  ResultDecision d = DecideGameByGame(ms, {8, 8, -8});
  EXPECT_EQ(d.indexWinner, -1);
}

TEST(GameRules, TheGameByGameDialogMarksTheSideThatHasWon) {
  MatchSystem ms = BestOf(5, 3);
  std::vector<int> windows = {EncodeGame(ms, "11", "7"), EncodeGame(ms, "11", "9"), 0, EncodeGame(ms, "11", "5")};
  EXPECT_EQ(LeadingGames(windows), (std::vector<int>{8, 10}));
  EXPECT_EQ(BoldSide(ms, LeadingGames(windows)), kKeepFonts);
  windows[2] = EncodeGame(ms, "11", "5");
  EXPECT_EQ(LeadingGames(windows), (std::vector<int>{8, 10, 6, 6}));
  EXPECT_EQ(BoldSide(ms, {8, 10, 6}), 0);
  EXPECT_EQ(BoldSide(ms, {8, -10, -6}), -1);
  EXPECT_EQ(BoldSide(ms, {8, -10, -6, -1}), 1);
  EXPECT_EQ(BoldSide(ms, {8, -10, -6, 1}), -1);
}

TEST(GameRules, GamesWonMessagesInOrder) {
  MatchSystem ms = BestOf(5, 3, kResultGames);
  ResultDecision d = DecideGamesWon(ms, 3, 2);
  ASSERT_TRUE(d.Ok());
  EXPECT_EQ(d.indexWinner, 0);
  EXPECT_EQ(d.games, (std::vector<int>{3, 2}));
  EXPECT_EQ(DecideGamesWon(ms, 1, 3).indexWinner, 1);
  EXPECT_EQ(DecideGamesWon(ms, 3, 3).error, "Er kan slechts 1 speler zijn met 3 gewonnen games.");
  EXPECT_EQ(DecideGamesWon(ms, 4, 3).error, "Er kan slechts 1 speler zijn met 3 gewonnen games.");
  EXPECT_EQ(DecideGamesWon(ms, 2, 1).error, "Een van de spelers moet 3 games gewonnen hebben.");
  EXPECT_EQ(DecideGamesWon(ms, 3, -1).error, "Het aantal games kan niet negatief zijn.");
  EXPECT_EQ(DecideGamesWon(BestOf(4, 3, kResultGames), 3, 2).error, "Er zijn teveel games. Max=4");
  ResultDecision one = DecideWinnerOnly(1);
  EXPECT_EQ(one.indexWinner, 1);
  EXPECT_FALSE(one.writeGames);
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
  DuoEntry e = Numbered();
  e.left[0] = "11";
  e.right[0] = "11";
  EXPECT_EQ(DecideDuo(ms, e, {}).error, "Game 1 van a-x is incorrect.");
  e.left[0] = "10";
  e.right[0] = "9";
  EXPECT_EQ(DecideDuo(ms, e, {}).error, "Game 1 van a-x is incorrect.");
  e = Numbered();
  e.left[3] = "12";
  EXPECT_EQ(DecideDuo(ms, e, {}).error, "Game 2 van b-y is incorrect.");
  e.left[3] = "1x";
  EXPECT_EQ(DecideDuo(ms, e, {}).error, "Game 2 van b-y is incorrect.");
  e = Numbered();
  e.left[8].clear();  // reads as 0: 0-8 has no winner
  EXPECT_EQ(DecideDuo(ms, e, {}).error, "Game 1 van ab-xy is incorrect.");
  e = Numbered();
  e.left[7] = "3";
  e.right[7] = "11";
  ResultDecision d = DecideDuo(ms, e, {});
  ASSERT_TRUE(d.Ok()) << d.error;
  EXPECT_EQ(d.games, (std::vector<int>{1, 2, 3, 4, 5, 6, 7, -4, 9, 10}));
  EXPECT_EQ(d.indexWinner, 0);
  EXPECT_EQ(DecideDuo(ms, DuoEntry{}, {}).error, "Game 1 van a-x is incorrect.");
}

TEST(DuoDudodeva, SwapsAreStoredInTheMatchsOwnOrder) {
  MatchSystem ms = Dudodeva();
  // Worked out by hand from which players each displayed row really has.
  // a and b exchanged: the rows show b-x, a-y, b-y, a-x, ab-xy.
  EXPECT_EQ(DecideDuo(ms, Numbered(), {true, false, false}).games,
            (std::vector<int>{7, 8, 5, 6, 3, 4, 1, 2, 9, 10}));
  // x and y exchanged: a-y, b-x, a-x, b-y.
  EXPECT_EQ(DecideDuo(ms, Numbered(), {false, true, false}).games,
            (std::vector<int>{5, 6, 7, 8, 1, 2, 3, 4, 9, 10}));
  // The duos exchanged: the left labels are x and y, so row a-y shows x
  // against b (the match's b-x) and row b-x shows y against a (a-y), and every
  // game is seen from the second duo's side.
  ResultDecision d = DecideDuo(ms, Numbered(), {false, false, true});
  EXPECT_EQ(d.games, (std::vector<int>{-1, -2, -3, -4, -7, -8, -5, -6, -9, -10}));
  EXPECT_EQ(d.indexWinner, 1);  // the left side won: that is the second duo
  // Both exchanges: left a = y, b = x; right x = a, y = b.
  EXPECT_EQ(DecideDuo(ms, Numbered(), {true, false, true}).games,
            (std::vector<int>{-7, -8, -5, -6, -1, -2, -3, -4, -9, -10}));
}

TEST(DuoDudodeva, StoredGamesShowBackUnderEverySwap) {
  std::vector<int> stored = {1, -2, 3, -4, 5, -6, 7, -8, 9, -10};
  for (int mask = 0; mask < 8; ++mask) {
    DuoSwaps s{(mask & 1) != 0, (mask & 2) != 0, (mask & 4) != 0};
    EXPECT_EQ(DuoToMatchOrder(DuoToDisplayOrder(stored, s), s), stored) << mask;
  }
}

TEST(DuoDudodeva, EqualTotalsAreDecidedByTheLastGame) {
  MatchSystem ms = Dudodeva();
  std::vector<std::pair<int, int>> s;
  for (int i = 0; i < 4; ++i) s.push_back({11, 0});
  for (int i = 0; i < 5; ++i) s.push_back({0, 11});
  s.push_back({11, 0});
  ResultDecision d = DecideDuo(ms, Typed(s), {});
  ASSERT_TRUE(d.Ok());
  EXPECT_EQ(d.indexWinner, 0);
  std::swap(s[0], s[9]);
  s[0] = {11, 0};
  s[9] = {0, 11};
  s[4] = {11, 0};
  EXPECT_EQ(DecideDuo(ms, Typed(s), {}).indexWinner, 1);
  auto totals = DuoTotals(Typed({{11, 7}}));
  EXPECT_EQ(FormatTotal(totals[0][0], totals[0][1]), "11 - 7");
  EXPECT_EQ(FormatTotal(totals[5][0], totals[5][1]), "11 - 7");
}

TEST(EnterResult, ChoosesTheDialogOfTheMode) {
  MatchSystem ms = BestOf(5, 3, kResultSets);
  EXPECT_EQ(ChooseEntryDialog(ms).dialog, EntryDialog::kWinnerOnly);
  ms.result = kResultGames;
  EXPECT_EQ(ChooseEntryDialog(ms).dialog, EntryDialog::kGamesWon);
  ms.result = kResultAll;
  EXPECT_EQ(ChooseEntryDialog(ms).dialog, EntryDialog::kGameByGame);
  EXPECT_TRUE(ChooseEntryDialog(ms).message.empty());
  ms.setMax = 9;  // more games than rows: only the winner can be entered
  EXPECT_EQ(ChooseEntryDialog(ms).dialog, EntryDialog::kWinnerOnly);
  EXPECT_FALSE(ChooseEntryDialog(ms).message.empty());
  EXPECT_EQ(ChooseEntryDialog(Dudodeva()).dialog, EntryDialog::kDuoPoints);
  MatchSystem other = Dudodeva();
  other.name = "Duo Anders";
  EntryChoice c = ChooseEntryDialog(other);
  EXPECT_EQ(c.dialog, EntryDialog::kNone);
  EXPECT_EQ(c.message, "Alleen Duo Dudodeva wordt ondersteund op dit moment.");
  for (MatchSystem odd : {BestOf(5, 3, kResultPoints), BestOf(5, 3, 7)}) {
    c = ChooseEntryDialog(odd);
    EXPECT_EQ(c.dialog, EntryDialog::kGameByGame);
    EXPECT_EQ(c.message, "Fallback EnterResult not ready yet");
  }
  other.result = kResultGames;
  EXPECT_EQ(ChooseEntryDialog(other).message, "Fallback EnterResult not ready yet");
}

TEST(MatchSystemEditor, EnablingAndReadingTheControls) {
  EditorEnabling e = EnableEditorControls(kResultSets, false);
  EXPECT_FALSE(e.points || e.gameDiff || e.setMax || e.setWon || e.subMatches);
  e = EnableEditorControls(kResultGames, true);
  EXPECT_TRUE(e.setMax && e.setWon && e.subMatches);
  EXPECT_FALSE(e.points || e.gameDiff);
  e = EnableEditorControls(kResultAll, false);
  EXPECT_TRUE(e.points && e.gameDiff && e.setMax && e.setWon);
  EXPECT_FALSE(e.subMatches);

  EditorControls c = EditorControlsOf(Dudodeva());
  c.name = "  Mijn duo ";
  c.duoteam = false;
  c.result = 0;
  MatchSystem ms = ReadEditorControls(c);
  EXPECT_EQ(ms.name, "Mijn duo");
  EXPECT_EQ(ms.result, kResultSets);
  EXPECT_EQ(ms.gameStop, 11);
  EXPECT_FALSE(ms.duo_ax || ms.duo_ay || ms.duo_bx || ms.duo_by || ms.duo_abxy);
  EXPECT_FALSE(ms.immutable);
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
  int bo3 = IdByName(db, "Best of 3"), bo7 = IdByName(db, "Best of 7"), sets = IdByName(db, "Sets");
  int plain = AddClass("Plain");
  int pool = AddPool(plain, "P");
  EXPECT_EQ(EffectiveMatchSystemId(db, pool), 0);
  EXPECT_EQ(EffectiveMatchSystem(db, pool).name, "Best of 5");
  EXPECT_EQ(EffectiveMatchSystem(db, pool).id, 0);
  db.Exec(nullptr, "UPDATE Toernooien SET idMatchSystem=%d WHERE id=%d", sets, toernooi);
  EXPECT_EQ(EffectiveMatchSystem(db, pool).name, "Sets");
  int ruled = AddClass("Ruled", bo7);
  int pool2 = AddPool(ruled, "P");
  EXPECT_EQ(EffectiveMatchSystem(db, pool2).name, "Best of 7");
  int pool3 = AddPool(ruled, "Q", "1", 900, bo3);
  EXPECT_EQ(EffectiveMatchSystem(db, pool3).name, "Best of 3");
  EXPECT_EQ(MatchSystemById(db, 4242).name, "Best of 5");
}

TEST_F(EngineDb, SavingTheEditorReusesOverwritesOrInserts) {
  int bo5 = IdByName(db, "Best of 5");
  MatchSystem typed = BestOf(5, 3);
  typed.immutable = false;
  typed.name = "Mijn vijf";
  EXPECT_EQ(SaveEditorMatchSystem(db, prompter, typed), bo5);
  EXPECT_EQ(IdByName(db, "Mijn vijf"), -1);

  typed = BestOf(9, 5);
  typed.name = "Best of 3";
  EXPECT_EQ(SaveEditorMatchSystem(db, prompter, typed), -1);
  ASSERT_EQ(prompter.alerts.size(), 1u);
  EXPECT_EQ(prompter.alerts[0], "Kies een andere naam");

  typed.name = "Lang";
  int id = SaveEditorMatchSystem(db, prompter, typed);
  EXPECT_GT(id, 5);
  EXPECT_EQ(IdByName(db, "Lang"), id);
  typed.setMax = 11;
  typed.setWon = 6;
  EXPECT_EQ(SaveEditorMatchSystem(db, prompter, typed), id);
  EXPECT_EQ(MatchSystemById(db, id).setWon, 6);

  typed.setWon = 0;  // no match could ever be won
  EXPECT_EQ(SaveEditorMatchSystem(db, prompter, typed), -1);
  EXPECT_EQ(MatchSystemById(db, id).setWon, 6);
  EXPECT_EQ(EditorInitialSelection(db, id), id);
  EXPECT_EQ(EditorInitialSelection(db, 0), bo5);
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
  size_t before = prompter.alerts.size();
  EXPECT_FALSE(DeleteEditorMatchSystem(db, prompter, id, toernooi));
  EXPECT_EQ(prompter.alerts.back(), "Het wedstrijdsysteem is in gebruik in poule Poule A");
  db.Exec(nullptr, "UPDATE Pools SET idMatchSystem=0 WHERE id=%d", pool);
  EXPECT_FALSE(DeleteEditorMatchSystem(db, prompter, id, toernooi));
  EXPECT_EQ(prompter.alerts.back(), "Het wedstrijdsysteem is in gebruik in systeem Heren");
  EXPECT_FALSE(DeleteEditorMatchSystem(db, prompter, id, toernooi + 100));
  EXPECT_EQ(prompter.alerts.back(), "Het wedstrijdsysteem is in gebruik in toernooi Clubkampioenschap");
  db.Exec(nullptr, "UPDATE Systems SET idMatchSystem=0");
  db.Exec(nullptr, "INSERT INTO Pools (idSystem,playstyle,name,idMatchSystem) VALUES (9999,1,'Wees',%d)", id);
  EXPECT_FALSE(DeleteEditorMatchSystem(db, prompter, id, toernooi));
  EXPECT_EQ(prompter.alerts.back(), "Het wedstrijdsysteem is in gebruik.");
  EXPECT_EQ(prompter.alerts.size(), before + 4);
  db.Exec(nullptr, "DELETE FROM Pools WHERE name='Wees'");
  EXPECT_TRUE(DeleteEditorMatchSystem(db, prompter, id, toernooi));
  EXPECT_EQ(IdByName(db, "Lang"), -1);
}

TEST_F(EngineDb, SavingAndClearingAResult) {
  int cls = AddClass("A");
  int pool = AddPool(cls, "P");
  auto pos = AddPlayers(pool, {AddPlayer("Jan", "TTV", 1500), AddPlayer("Piet", "TTV", 1400)});
  int match = db.AddMatch(pool, pos[0], pos[1], 1, 900);
  EXPECT_FALSE(SaveResult(db, match, DecideGameByGame(BestOf(5, 3), {8, 8})));
  EXPECT_TRUE(SaveResult(db, match, DecideGameByGame(BestOf(5, 3), {8, -8, 8, 8})));
  std::vector<MatchRecord> list;
  db.ListMatches(pool, list);
  db.ReadResults(list);
  ASSERT_EQ(list.size(), 1u);
  EXPECT_EQ(list[0].indexWinner, 0);
  EXPECT_EQ(list[0].games, (std::vector<int>{8, -8, 8, 8}));
  EXPECT_TRUE(SaveResult(db, match, DecideWinnerOnly(1)));  // leaves the games alone
  list.clear();
  db.ListMatches(pool, list);
  db.ReadResults(list);
  EXPECT_EQ(list[0].indexWinner, 1);
  EXPECT_EQ(list[0].games.size(), 4u);
  ClearMatchResult(db, match);
  list.clear();
  db.ListMatches(pool, list);
  db.ReadResults(list);
  EXPECT_EQ(list[0].indexWinner, -1);
  EXPECT_TRUE(list[0].games.empty());
}

}  // namespace
}  // namespace velgram
