// The result dialogs driven as a director drives them. What the rules decide
// of the typed games is the core's (GameRules.*, MatchRules.*, DuoDudodeva.*).
#include <QSignalSpy>
#include <QTest>

#include "app/panes/pane_tables.h"
#include "app/results/dlg_result_duo.h"
#include "app/results/dlg_result_fast.h"
#include "app/results/dlg_result_games.h"
#include "app/results/dlg_result_sets.h"
#include "app/results/dlg_tabletime.h"
#include "app/results/enter_result.h"
#include "app/shell/mainwindow.h"
#include "competition/match_rules.h"
#include "tests/app/dialog_fixture.h"

namespace velgram::testing {
namespace {

class ResultDialogs : public DialogTest {
 protected:
  ResultDialogs() {
    OpenTournament();
    pool = AddPool(cls = AddClass("Heren"), "Poule A");
    for (const char* name : {"Jan Smit", "Piet Bos"}) Seat(pool, AddPlayer(name));
    match = AddMatch(pool);
    gamesWon.result = kResultGames;
    gamesWon.name = "Games";
    gamesWon.immutable = false;
    idGames = db().AddMatchSystem(gamesWon);  // the default rules entered as games won
  }
  MatchRecord Stored(int id = -1) { return StoredMatch(db(), id < 0 ? match : id); }
  // Enters the match's result under the given rules; act must close the dialog.
  template <typename D>
  bool Enter(std::function<void(D*)> act, int idMatchSystem = 0, int id = -1) {
    OnModal<D>(act);
    return EnterResult(*app, id < 0 ? match : id, idMatchSystem, nullptr);
  }
  int cls = -1, pool = -1, match = -1, idGames = -1;
  MatchSystem gamesWon = DefaultMatchSystem();
};

void Click(QPushButton* b) { QTest::mouseClick(b, Qt::LeftButton); }
// Where a key typed in the dialog goes: the widget holding its focus.
QWidget* Focused(QWidget* d) { return d->focusWidget() ? d->focusWidget() : d; }
QString Shown(LFlyGameResult* g) { return g->LeftText() + "-" + g->RightText(); }

// One whole entry in each way of entering and the codes stored. In the game
// windows the name ahead turns bold after the rebuild and no window moves.
TEST_F(ResultDialogs, OneWholeEntryInEachWay) {
  auto keys = [](LDlgResultFast* d, const QString& typed) { for (QChar ch : typed) QTest::keyClicks(Focused(d), ch); };
  auto fast = [this](std::function<void(LDlgResultFast*)> steps) -> std::function<bool()> {
    return [this, steps] {
      return Enter<LDlgResultFast>([&](LDlgResultFast* d) {
        EXPECT_EQ(std::pair(d->ShownGames(), d->Game(5)->isVisible()), std::pair(5, false));
        const int top = d->Game(0)->mapTo(d, QPoint()).y();
        steps(d);
        QTest::qWait(LDlgResultFast::kRebuildMs + 100);
        EXPECT_TRUE(d->NameLabel(0)->font().bold() && !d->NameLabel(1)->font().bold());
        EXPECT_EQ(d->Game(0)->mapTo(d, QPoint()).y(), top);
        QTest::keyClick(Focused(d), Qt::Key_Return);
      });
    };
  };
  const struct { const char* what; std::function<bool()> enter; std::vector<int> games; int winner; } cases[] = {
      {"keypad", fast([](LDlgResultFast* d) { for (int p : {7, 9, 5}) Click(d->KeypadButton(p)); }), {8, 10, 6}, 0},
      {"keyboard", fast([&](LDlgResultFast* d) { keys(d, "795"); }), {8, 10, 6}, 0},
      {"exchange the second game", fast([](LDlgResultFast* d) {
         for (int p : {7, 9}) Click(d->KeypadButton(p));
         Click(d->Game(1)->ExchangeButton());
         EXPECT_EQ(Shown(d->Game(1)), "9-11");
         for (int p : {5, 3}) Click(d->KeypadButton(p));
       }), {8, -10, 6, 4}, 0},
      {"12 and 13 by keys, a deuce by \"?\"", fast([&](LDlgResultFast* d) {
         keys(d, "+2+3");
         OnModal<LDlgPointsLoser>([](LDlgPointsLoser* p) {
           QTest::keyClicks(p->PointsEdit(), "20");
           p->accept();
         });
         keys(d, "?");
       }), {13, 14, 21}, 0},
      {"games won, closed by Return", [&] { return Enter<LDlgResultSingleGames>([](LDlgResultSingleGames* d) {
         for (int side : {0, 1}) QTest::keyClicks(d->GamesEdit(side), QString::number(side + 2));
         QTest::keyClick(d->GamesEdit(1), Qt::Key_Return);
       }, idGames); }, {2, 3}, 1},
      {"winner by its key", [&] { return Enter<LDlgResultSingleSets>([](LDlgResultSingleSets* d) {
         EXPECT_EQ(d->SideButton(0)->text(), "Jan Smit");
         QTest::keyClick(d, Qt::Key_1);
       }, SystemId("Sets")); }, {}, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ClearMatchResult(db(), match);
    EXPECT_TRUE(c.enter());
    EXPECT_EQ(std::pair(Stored().games, Stored().indexWinner), std::pair(c.games, c.winner));
  }
}

// The keypad's steps; stored games come back; other windows hear of changes only.
TEST_F(ResultDialogs, KeypadStepsAndStoredGames) {
  auto main = Window(false);
  QSignalSpy announced(main.get(), &CVelgramDlg::dataChanged);
  EXPECT_FALSE(Enter<LDlgResultFast>([](LDlgResultFast* d) {
    Click(d->KeypadButton(11));  // under the two-point rule a loser's 11 is 13-11, by button or keys
    QTest::keyClicks(Focused(d), "+1");
    EXPECT_EQ(Shown(d->Game(0)) + Shown(d->Game(1)), "13-1113-11");
    EXPECT_EQ(d->CurrentGame(), 2);
    // ">" makes a window current; "Wis game" empties it and steps back, but
    // not below the first.
    Click(d->Game(0)->CurrentButton());
    Click(d->ClearGameButton());
    EXPECT_EQ(std::pair(d->CurrentGame(), Shown(d->Game(0))), std::pair(0, QString("-")));
    EXPECT_EQ(d->Game(0)->palette().color(QPalette::Window), LFlyGameResult::CurrentColour());
    QTest::keyClick(Focused(d), Qt::Key_Backspace);
    EXPECT_EQ(d->CurrentGame(), 0);
    for (int i = 0; i < 6; ++i) Click(d->KeypadButton(3));
    EXPECT_EQ(d->CurrentGame(), 4);  // the last window shown keeps the mark
    d->reject();
  }));
  EXPECT_EQ(std::pair(Stored().indexWinner, int(announced.count())), std::pair(-1, 0));
  // A lost game on the right. What the rules cannot hold (GameRules.TypedGameTexts)
  // is told and the dialog stays open.
  const std::vector<int> stored = {8, -11, 6, 13};
  ASSERT_TRUE(SaveResult(db(), match, DecideGameByGame(DefaultMatchSystem(), stored)));
  EXPECT_FALSE(Enter<LDlgResultFast>([&](LDlgResultFast* d) {
    EXPECT_EQ(Shown(d->Game(1)) + "|" + Shown(d->Game(3)) + "|" + d->TableLabel()->text() + "|" +
                  d->TimeLabel()->text() + "|" + d->PoolLabel()->text(), "10-12|14-12|2|9:30|Heren / Poule A");
    QTest::keyClicks(d->Game(4)->LeftEdit(), "-3");
    QTest::keyClicks(d->Game(4)->RightEdit(), "11");
    Click(d->OkButton());
    EXPECT_TRUE(d->isVisible());
    OnModal<LDlgPointsLoser>([&](LDlgPointsLoser* p) {
      QTest::keyClicks(p->PointsEdit(), "-3");
      p->accept();
      EXPECT_TRUE(p->isVisible());
      p->reject();
    });
    Click(d->AskButton());
    d->reject();
  }));
  EXPECT_EQ(prompter.alerts, (std::vector<std::string>{"Game 5: Vul een aantal punten van 0 tot en met 99 in.",
                                                       "Vul een aantal punten van 0 tot en met 99 in."}));
  EXPECT_EQ(Stored().games, stored);
  EXPECT_TRUE(Enter<LDlgResultFast>([](LDlgResultFast* d) { Click(d->ClearButton()); }));
  EXPECT_EQ(std::tuple(Stored().indexWinner, Stored().games.size(), int(announced.count())), std::tuple(-1, size_t{0}, 1));
}

// "Beslissing:" in every dialog: the dialog sends the choice (walkover of the
// first side, or the second gave up, alternating) with the games typed before
// it, the core decides (MatchRules.*), and the choice shows again reopened.
TEST_F(ResultDialogs, WalkoverAndRetirementInEveryDialog) {
  const int idDuo = SystemId("Duo Dudodeva");
  DuoEntry duoGames;
  duoGames.left[0] = "11", duoGames.right[0] = "7";
  const struct {
    const char* what;
    int idSystem;
    std::function<void(QDialog*)> type;                    // the games typed before the choice
    std::function<ResultDecision(const Ending&)> core;     // what the core decides of them
  } cases[] = {
      {"winner only", SystemId("Sets"), [](QDialog*) {}, [](const Ending& e) { return DecideEnding(e); }},
      {"games won", idGames,
       [](QDialog* d) {
         QTest::keyClicks(static_cast<LDlgResultSingleGames*>(d)->GamesEdit(0), "1");
         QTest::keyClicks(static_cast<LDlgResultSingleGames*>(d)->GamesEdit(1), "2");
       },
       [&](const Ending& e) { return DecideGamesWonTexts(gamesWon, "1", "2", e); }},
      {"game by game", 0, [](QDialog* d) { Click(static_cast<LDlgResultFast*>(d)->KeypadButton(7)); },
       [](const Ending& e) { return DecideGameTexts(DefaultMatchSystem(), {{"11", "7"}}, e); }},
      {"duo", idDuo,
       [](QDialog* d) {
         QTest::keyClicks(static_cast<LDlgResultDuoPoints*>(d)->Field(0, 0), "11");
         QTest::keyClicks(static_cast<LDlgResultDuoPoints*>(d)->Field(0, 1), "7");
       },
       [&](const Ending& e) { return DecideDuo(MatchSystemById(db(), idDuo), duoGames, {}, e); }},
  };
  int choice = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    choice = choice == 4 ? 1 : 4;
    ClearMatchResult(db(), match);
    ResultDecision expected = c.core(EndingOfChoice(choice));
    ASSERT_TRUE(expected.Ok()) << expected.error;
    EXPECT_TRUE(Enter<LDlgResultBase>([&](LDlgResultBase* d) {
      c.type(d);
      ASSERT_EQ(d->EndingCombo()->count(), kEndingChoices);
      d->EndingCombo()->setCurrentIndex(choice);
      Click(d->OkButton());
    }, c.idSystem));
    MatchRecord m = Stored();
    EXPECT_EQ(std::tie(m.indexWinner, m.decision, m.games),
              std::tie(expected.indexWinner, expected.decision, expected.games));
    EXPECT_FALSE(Enter<LDlgResultFast>([&](LDlgResultFast* d) {
      EXPECT_EQ(d->EndingCombo()->currentIndex(), choice);
      d->reject();
    }));
  }
}

// A side still linked to a place of an unfinished pool: the dialog opens for
// the table and time only. A side that is no position of the pool: "Bye".
// (A match deleted meanwhile is the core's: EngineDb.SavingAndClearingAResult.)
TEST_F(ResultDialogs, MatchesThatCannotTakeAResult) {
  int later = AddPool(cls, "Finale");
  Seat(later, 0, kLinkPlace, pool);  // place 1 of Poule A, still being played
  Seat(later, AddPlayer("Kees Dam"));
  int linked = AddMatch(later);
  EXPECT_FALSE(Enter<LDlgResultFast>([](LDlgResultFast* d) {
    for (QPushButton* b : {d->KeypadButton(7), d->Game(0)->ExchangeButton(), d->OkButton(), d->ClearButton()})
      EXPECT_FALSE(b->isEnabled()) << b->text().toStdString();
    EXPECT_TRUE(d->TableTimeButton()->isEnabled());
    QTest::keyClicks(d, "795");
    QTest::keyClick(d, Qt::Key_Return);
    EXPECT_EQ(d->Game(0)->LeftText(), "");
    d->reject();
  }, 0, linked));
  EXPECT_FALSE(EnterResult(*app, db().AddMatch(pool, Seats(pool)[0].id, kNotPlayed, 0, 0), 0, nullptr));
  EXPECT_EQ(prompter.alerts, (std::vector<std::string>{"1 of 2 spelers zijn nog onbekend", "Bye"}));
}

// "Wijzig Tafel/Tijd" moves the match and closes the result dialog without a
// result; in the tables chart a double-clicked cell opens it for its match,
// and a table booked twice is red.
TEST_F(ResultDialogs, TableAndTime) {
  EXPECT_TRUE(Enter<LDlgResultFast>([&](LDlgResultFast* d) {
    Click(d->KeypadButton(7));
    OnModal<LDlgTableTime>([&](LDlgTableTime* t) {
      EXPECT_EQ(t->windowTitle() + t->TableEdit()->text(), "Tafel / Tijd2");
      EXPECT_EQ(t->TimeEdit()->time(), QTime(9, 30));
      t->TableEdit()->setText("5");
      t->TimeEdit()->setTime(QTime(10, 45));
      t->accept();
    });
    Click(d->TableTimeButton());
  }));
  EXPECT_EQ(std::tuple(Stored().tafel, Stored().starttime, Stored().indexWinner), std::tuple(5, 1045, -1));
  LPaneTables pane(*app);
  pane.resize(800, 500);
  pane.show();
  pane.Refresh();
  ASSERT_EQ(pane.Grid()->ColumnTitle(1) + "|" + pane.Grid()->Cell(0, 0), "5|10:45 - 11:00");
  OnModal<LDlgTableTime>([](LDlgTableTime* t) {
    t->TableEdit()->setText("4");
    t->accept();
  });
  DoubleClick(pane.Grid(), 0, 1);
  EXPECT_EQ(Stored().tafel, 4);
  EXPECT_EQ(pane.Grid()->ColumnTitle(1), "4");  // refreshed
  // A pool without matches books its tables for its whole time.
  db().Exec(nullptr, "UPDATE Pools SET tables='4' WHERE id=%d", AddPool(AddClass("Dames"), "Poule B"));
  pane.Refresh();
  const QAbstractItemModel* chart = pane.Grid()->Model();
  auto background = [&](int row) { return chart->index(row, 1).data(Qt::BackgroundRole).value<QBrush>().color(); };
  EXPECT_EQ(Column(pane.Grid(), 0), (QStringList{"9:30 - 10:45", "10:45 - 11:00", "11:00 - 16:00"}));
  EXPECT_EQ(std::pair(background(0), background(1)), std::pair(QColor(0, 160, 0), QColor(160, 0, 0)));
  EXPECT_EQ(chart->index(1, 1).data(Qt::ToolTipRole).toString(), QStringLiteral("Dames / Poule B\nHeren / Poule A"));
}

// The duo sheet: totals follow the typing after a pause; with the duos
// exchanged on screen, the games are stored in the match's own order.
TEST_F(ResultDialogs, DuoSheet) {
  const int dudodeva = SystemId("Duo Dudodeva"), duoPool = AddPool(cls, "Duo's");
  db().Exec(nullptr, "UPDATE Pools SET idMatchSystem=%d WHERE id=%d", dudodeva, duoPool);
  Seat(duoPool, AddDuo("Anna", "Bea"), kLinkDuo);
  Seat(duoPool, AddDuo("Carla", "Dirk"), kLinkDuo);
  const int duoMatch = AddMatch(duoPool);
  EXPECT_TRUE(Enter<LDlgResultDuoPoints>([&](LDlgResultDuoPoints* d) {
    auto labels = [d] {
      QStringList l;
      for (int p = 0; p < 4; ++p) l << d->PlayerLabel(p)->text();
      return l.join("|");
    };
    EXPECT_EQ(labels(), "a  Anna|b  Bea|x  Carla|y  Dirk");
    for (auto [g, side, typed] : {std::tuple{0, 0, "11"}, {0, 1, "7"}, {3, 0, "4"}})
      QTest::keyClicks(d->Field(g, side), typed);
    EXPECT_EQ(d->Total(5)->text(), "0 - 0");
    QTest::qWait(LDlgResultDuoPoints::kTotalsMs + 150);
    EXPECT_EQ(d->Total(0)->text() + "|" + d->Total(1)->text() + "|" + d->Total(5)->text(), "11 - 7|4 - 0|15 - 7");
    // A letter: the core names the game (DuoDudodeva.ValidationNamesTheFirstFaultyGame).
    for (int g = 0; g < kDuoGames; ++g) d->Field(g, 0)->setText("11"), d->Field(g, 1)->setText(g == 3 ? "x" : QString::number(g));
    Click(d->OkButton());
    EXPECT_TRUE(d->isVisible());
    Click(d->SwapButton(2));
    EXPECT_EQ(labels(), "a  Carla|b  Dirk|x  Anna|y  Bea");
    Click(d->SwapButton(0));
    EXPECT_EQ(labels(), "a  Dirk|b  Carla|x  Anna|y  Bea");
    Click(d->SwapButton(0));
    d->Field(3, 1)->setText("3");
    Click(d->OkButton());
  }, dudodeva, duoMatch));
  EXPECT_EQ(prompter.alerts, (std::vector<std::string>{"Game 2 van b-y is incorrect."}));
  // Row "3 a y" showed x against b: the match's b-x, seen from the second duo.
  EXPECT_EQ(std::pair(Stored(duoMatch).games, Stored(duoMatch).indexWinner),
            std::pair(std::vector<int>{-1, -2, -3, -4, -7, -8, -5, -6, -9, -10}, 1));
  EXPECT_FALSE(Enter<LDlgResultDuoPoints>([](LDlgResultDuoPoints* d) {
    EXPECT_EQ(d->Field(4, 0)->text() + "|" + d->Field(4, 1)->text() + "|" + d->Total(5)->text(), "6|11|45 - 110");
    d->reject();
  }, dudodeva, duoMatch));
}

}  // namespace
}  // namespace velgram::testing
