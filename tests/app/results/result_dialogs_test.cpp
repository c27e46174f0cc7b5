// The result dialogs driven as a director drives them: keypad and keyboard,
// the game windows' buttons, the duo sheet, and matches that cannot take a
// result.
#include <QApplication>
#include <QSignalSpy>
#include <QTest>
#include <tuple>

#include "app/panes/pane_tables.h"
#include "app/results/dlg_result_duo.h"
#include "app/results/dlg_result_fast.h"
#include "app/results/dlg_result_games.h"
#include "app/results/dlg_result_sets.h"
#include "app/results/dlg_tabletime.h"
#include "app/results/enter_result.h"
#include "app/shell/mainwindow.h"
#include "competition/match_rules.h"
#include "tests/app/shell_fixture.h"
#include "store/recordset.h"

namespace velgram::testing {
namespace {

class ResultDialogs : public ShellTest {
 protected:
  ResultDialogs() {
    OpenTournament();
    cls = AddClass("Heren");
    pool = AddPool(cls, "Poule A");
    Seat(pool, AddPlayer("Jan Smit"));
    Seat(pool, AddPlayer("Piet Bos"));
    std::vector<ContestantRecord> pos;
    db().ListContestants(pool, pos);
    match = db().AddMatch(pool, pos[0].id, pos[1].id, 2, 930);
  }

  int SystemId(const std::string& name) {
    std::vector<MatchSystem> all;
    db().ListMatchSystems(&all);
    for (const MatchSystem& ms : all)
      if (ms.name == name) return ms.id;
    return -1;
  }

  MatchRecord Stored(int id = -1) {
    MatchRecord m;
    db().GetMatch(m, id < 0 ? match : id);
    std::vector<MatchRecord> list{m};
    db().ReadResults(list);
    return list[0];
  }

  // Opens the entry for the match under the pool's rules and plays act in the
  // dialog, which must close it.
  template <typename D>
  bool Enter(std::function<void(D*)> act, int idMatchSystem = 0, int id = -1) {
    OnModal<D>(act);
    return EnterResult(*app, id < 0 ? match : id, idMatchSystem, nullptr);
  }

  // The default rules entered as games won, stored as "Games".
  int AddGamesWon() {
    gamesWon.result = kResultGames;
    gamesWon.name = "Games";
    gamesWon.immutable = false;
    return db().AddMatchSystem(gamesWon);
  }

  int cls = -1, pool = -1, match = -1;
  MatchSystem gamesWon = DefaultMatchSystem();
};

void Click(QPushButton* b) { QTest::mouseClick(b, Qt::LeftButton); }

// Where a key typed in the dialog goes: the widget holding its focus.
QWidget* Focused(QWidget* d) { return d->focusWidget() ? d->focusWidget() : d; }

std::pair<QString, QString> Shown(LFlyGameResult* g) { return {g->LeftText(), g->RightText()}; }

// One whole entry in each way of entering, as a director types it, and the
// codes stored. In the game windows (best of 5 without the two-point rule's
// deuce) 11-7, 11-9, 11-5 by keypad clicks and by keys alone, with the name
// ahead bold after the rebuild and nothing moved; the other game-window rows
// show what one step does.
TEST_F(ResultDialogs, OneWholeEntryInEachWay) {
  const int idGames = AddGamesWon(), idSets = SystemId("Sets");
  auto keys = [](LDlgResultFast* d, const QString& typed) {
    for (QChar ch : typed) QTest::keyClicks(Focused(d), QString(ch));
  };
  auto fast = [this](std::function<void(LDlgResultFast*)> steps) -> std::function<bool()> {
    return [this, steps] {
      bool bold = false;
      int shift = -1;
      const bool closed = Enter<LDlgResultFast>([&](LDlgResultFast* d) {
        EXPECT_EQ(d->ShownGames(), 5);
        EXPECT_FALSE(d->Game(5)->isVisible());
        const int top = d->Game(0)->mapTo(d, QPoint()).y();
        steps(d);
        QTest::qWait(LDlgResultFast::kRebuildMs + 100);
        bold = d->NameLabel(0)->font().bold() && !d->NameLabel(1)->font().bold();
        shift = d->Game(0)->mapTo(d, QPoint()).y() - top;
        QTest::keyClick(Focused(d), Qt::Key_Return);
      });
      EXPECT_TRUE(bold);
      EXPECT_EQ(shift, 0);
      return closed;
    };
  };
  struct Case {
    const char* what;
    std::function<bool()> enter;
    std::vector<int> games;
    int winner;
  };
  const Case cases[] = {
      {"keypad", fast([](LDlgResultFast* d) { for (int p : {7, 9, 5}) Click(d->KeypadButton(p)); }), {8, 10, 6}, 0},
      {"keyboard", fast([&](LDlgResultFast* d) { keys(d, "795"); }), {8, 10, 6}, 0},
      {"exchange the second game",
       fast([](LDlgResultFast* d) {
         for (int p : {7, 9}) Click(d->KeypadButton(p));
         Click(d->Game(1)->ExchangeButton());
         EXPECT_EQ(Shown(d->Game(1)), std::pair(QString("9"), QString("11")));
         for (int p : {5, 3}) Click(d->KeypadButton(p));
       }),
       {8, -10, 6, 4}, 0},
      {"12 and 13 by keys, a deuce by \"?\"",
       fast([&](LDlgResultFast* d) {
         keys(d, "+2+3");
         OnModal<LDlgPointsLoser>([](LDlgPointsLoser* p) {
           QTest::keyClicks(p->PointsEdit(), "20");
           p->accept();
         });
         keys(d, "?");
       }),
       {13, 14, 21}, 0},
      {"games won, closed by Return",
       [&] {
         return Enter<LDlgResultSingleGames>([](LDlgResultSingleGames* d) {
           QTest::keyClicks(d->GamesEdit(0), "2");
           QTest::keyClicks(d->GamesEdit(1), "3");
           QTest::keyClick(d->GamesEdit(1), Qt::Key_Return);
         }, idGames);
       },
       {2, 3}, 1},
      {"winner by its key",
       [&] {
         return Enter<LDlgResultSingleSets>([](LDlgResultSingleSets* d) {
           EXPECT_EQ(d->SideButton(0)->text(), "Jan Smit");
           QTest::keyClick(d, Qt::Key_1);
         }, idSets);
       },
       {}, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ClearMatchResult(db(), match);
    EXPECT_TRUE(c.enter());
    MatchRecord m = Stored();
    EXPECT_EQ(std::pair(m.games, m.indexWinner), std::pair(c.games, c.winner));
  }
}

TEST_F(ResultDialogs, KeypadStepsAndStoredGames) {
  prompter.alerts.clear();
  EXPECT_FALSE(Enter<LDlgResultFast>([](LDlgResultFast* d) {
    EXPECT_TRUE(d->KeysLabel()->text().contains("+ en dan 0 t/m 4"));
    // Under the two-point rule a loser's 11 is a 13-11 game, by button or keys.
    Click(d->KeypadButton(11));
    EXPECT_EQ(Shown(d->Game(0)), std::pair(QString("13"), QString("11")));
    QTest::keyClicks(Focused(d), "+1");
    EXPECT_EQ(Shown(d->Game(1)), std::pair(QString("13"), QString("11")));
    EXPECT_EQ(d->CurrentGame(), 2);
    // ">" makes a window current; "Wis game" empties it and steps back, but
    // not below the first.
    Click(d->Game(0)->CurrentButton());
    Click(d->ClearGameButton());
    EXPECT_EQ(d->CurrentGame(), 0);
    EXPECT_EQ(Shown(d->Game(0)), std::pair(QString(), QString()));
    EXPECT_EQ(d->Game(0)->palette().color(QPalette::Window), LFlyGameResult::CurrentColour());
    QTest::keyClick(Focused(d), Qt::Key_Backspace);
    EXPECT_EQ(d->CurrentGame(), 0);
    // The last window shown keeps the mark.
    for (int i = 0; i < 6; ++i) Click(d->KeypadButton(3));
    EXPECT_EQ(d->CurrentGame(), 4);
    d->reject();
  }));
  EXPECT_EQ(Stored().indexWinner, -1);

  // Stored games come back in their windows, a lost game on the right.
  ASSERT_TRUE(SaveResult(db(), match, DecideGameByGame(DefaultMatchSystem(), {8, -11, 6, 13})));
  EXPECT_FALSE(Enter<LDlgResultFast>([](LDlgResultFast* d) {
    EXPECT_EQ(Shown(d->Game(1)), std::pair(QString("10"), QString("12")));
    EXPECT_EQ(Shown(d->Game(3)), std::pair(QString("14"), QString("12")));
    EXPECT_EQ(d->TableLabel()->text() + "|" + d->TimeLabel()->text() + "|" + d->PoolLabel()->text(),
              "2|9:30|Heren / Poule A");
    d->reject();
  }));
  EXPECT_TRUE(Enter<LDlgResultFast>([](LDlgResultFast* d) { Click(d->ClearButton()); }));
  EXPECT_EQ(std::pair(Stored().indexWinner, Stored().games.size()), std::pair(-1, size_t{0}));
}

// What the rules cannot hold is told by the core's message, the dialog stays
// open, and nothing is written. Which texts the rules refuse, and with which
// message: GameRules.TypedGameTexts; here one of them in each dialog.
TEST_F(ResultDialogs, NumbersTheRulesCannotHold) {
  const int idGames = AddGamesWon();
  const char* typed = "-3";
  EXPECT_FALSE(Enter<LDlgResultFast>([&](LDlgResultFast* d) {
    // Three games won, then a fourth that cannot be: it still stops OK.
    for (int p : {7, 5, 5}) Click(d->KeypadButton(p));
    QTest::keyClicks(d->Game(3)->LeftEdit(), typed);
    QTest::keyClicks(d->Game(3)->RightEdit(), "11");
    Click(d->OkButton());
    EXPECT_TRUE(d->isVisible());
    OnModal<LDlgPointsLoser>([&](LDlgPointsLoser* p) {
      QTest::keyClicks(p->PointsEdit(), typed);
      p->accept();
      EXPECT_TRUE(p->isVisible());
      p->reject();
    });
    Click(d->AskButton());
    d->reject();
  }));
  EXPECT_FALSE(Enter<LDlgResultSingleGames>([&](LDlgResultSingleGames* d) {
    QTest::keyClicks(d->GamesEdit(0), "3");
    QTest::keyClicks(d->GamesEdit(1), typed);
    Click(d->OkButton());
    EXPECT_TRUE(d->isVisible());
    d->reject();
  }, idGames));
  EXPECT_EQ(prompter.alerts,
            (std::vector<std::string>{"Game 4: Vul een aantal punten van 0 tot en met 99 in.",
                                      "Vul een aantal punten van 0 tot en met 99 in.",
                                      "Het aantal games kan niet negatief zijn."}));
  EXPECT_EQ(Stored().indexWinner, -1);
}

// "Beslissing:" in every dialog: a walkover or a retirement is stored as the
// core decides it from the choice and the games typed before it, and shows
// again when the dialog is reopened.
TEST_F(ResultDialogs, WalkoverAndRetirementInEveryDialog) {
  const int idGames = AddGamesWon(), idSets = SystemId("Sets"), idDuo = SystemId("Duo Dudodeva");
  const int wo = 1, gaveUp = 4;  // the first side did not play; the second gave up
  auto choose = [](LDlgResultBase* d, int choice) {
    ASSERT_EQ(d->EndingCombo()->count(), kEndingChoices);
    d->EndingCombo()->setCurrentIndex(choice);
  };
  DuoEntry duoGames;
  duoGames.left[0] = "11", duoGames.right[0] = "7";
  struct Case {
    const char* what;
    std::function<bool(int choice)> enter;
    std::function<ResultDecision(const Ending&)> core;
  };
  const Case cases[] = {
      {"winner only",
       [&](int choice) {
         return Enter<LDlgResultSingleSets>([&](LDlgResultSingleSets* d) {
           choose(d, choice);
           EXPECT_FALSE(d->SideButton(0)->isEnabled());
           Click(d->OkButton());
         }, idSets);
       },
       [](const Ending& e) { return DecideEnding(e); }},
      {"games won",
       [&](int choice) {
         return Enter<LDlgResultSingleGames>([&](LDlgResultSingleGames* d) {
           QTest::keyClicks(d->GamesEdit(0), "1");
           QTest::keyClicks(d->GamesEdit(1), "2");
           choose(d, choice);
           Click(d->OkButton());
         }, idGames);
       },
       [&](const Ending& e) { return DecideGamesWonTexts(gamesWon, "1", "2", e); }},
      {"game by game",
       [&](int choice) {
         return Enter<LDlgResultFast>([&](LDlgResultFast* d) {
           Click(d->KeypadButton(7));
           choose(d, choice);
           Click(d->OkButton());
         });
       },
       [](const Ending& e) { return DecideGameTexts(DefaultMatchSystem(), {{"11", "7"}}, e); }},
      {"duo",
       [&](int choice) {
         return Enter<LDlgResultDuoPoints>([&](LDlgResultDuoPoints* d) {
           QTest::keyClicks(d->Field(0, 0), "11");
           QTest::keyClicks(d->Field(0, 1), "7");
           choose(d, choice);
           Click(d->OkButton());
         }, idDuo);
       },
       [&](const Ending& e) { return DecideDuo(MatchSystemById(db(), idDuo), duoGames, {}, e); }},
  };
  // One choice a dialog, the two alternating: the dialog sends the choice and
  // its games; what the core makes of each choice is its own test.
  int k = 0;
  for (const Case& c : cases) {
    const int choice = k++ % 2 ? wo : gaveUp;
    SCOPED_TRACE(c.what);
    ClearMatchResult(db(), match);
    ResultDecision expected = c.core(EndingOfChoice(choice));
    ASSERT_TRUE(expected.Ok()) << expected.error;
    EXPECT_TRUE(c.enter(choice));
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
TEST_F(ResultDialogs, MatchesThatCannotTakeAResult) {
  int later = AddPool(cls, "Finale");
  Seat(later, 0, kLinkPlace, pool);  // place 1 of Poule A, still being played
  Seat(later, AddPlayer("Kees Dam"));
  std::vector<ContestantRecord> pos;
  db().ListContestants(later, pos);
  int linked = db().AddMatch(later, pos[0].id, pos[1].id, 1, 1100);
  EXPECT_FALSE(Enter<LDlgResultFast>([](LDlgResultFast* d) {
    for (QPushButton* b : {d->KeypadButton(7), d->Game(0)->ExchangeButton(), d->OkButton(), d->ClearButton()})
      EXPECT_FALSE(b->isEnabled()) << b->text().toStdString();
    EXPECT_TRUE(d->TableTimeButton()->isEnabled());
    QTest::keyClicks(d, "795");
    QTest::keyClick(d, Qt::Key_Return);
    EXPECT_EQ(d->Game(0)->LeftText(), "");
    d->reject();
  }, 0, linked));
  EXPECT_EQ(Stored(linked).indexWinner, -1);
  std::vector<ContestantRecord> first;
  db().ListContestants(pool, first);
  int bye = db().AddMatch(pool, first[0].id, kNotPlayed, 0, 0);
  EXPECT_FALSE(EnterResult(*app, bye, 0, nullptr));
  EXPECT_EQ(prompter.alerts, (std::vector<std::string>{"1 of 2 spelers zijn nog onbekend", "Bye"}));
}

// A list may offer a match deleted meanwhile; a dialog may stay open while
// it goes. Either way the user is told and nothing is written.
TEST_F(ResultDialogs, DeletedMatchIsNeverWritten) {
  auto resultRows = [&] {
    std::string rows;
    db().Exec(&rows, "SELECT idMatch FROM ResultWinner UNION ALL SELECT idMatch FROM ResultGames");
    return HasRows(rows);
  };
  EXPECT_FALSE(EnterResult(*app, match + 50, 0, nullptr));
  EXPECT_EQ(prompter.alerts, std::vector<std::string>{kMatchGoneMessage});
  prompter.alerts.clear();
  bool closed = false;
  EXPECT_FALSE(Enter<LDlgResultFast>([&](LDlgResultFast* d) {
    db().Exec(nullptr, "DELETE FROM Matches WHERE id=%d", match);
    for (int p : {7, 9, 5}) Click(d->KeypadButton(p));
    Click(d->OkButton());
    closed = !d->isVisible();
    if (!closed) d->reject();
  }));
  EXPECT_TRUE(closed);
  EXPECT_EQ(prompter.alerts, std::vector<std::string>{kMatchGoneMessage});
  EXPECT_FALSE(resultRows());
}

// "Wijzig Tafel/Tijd": a refused table keeps the dialog; OK moves the match
// and closes the result dialog without storing a result.
TEST_F(ResultDialogs, TableAndTimeFromTheResultDialog) {
  EXPECT_TRUE(Enter<LDlgResultFast>([&](LDlgResultFast* d) {
    Click(d->KeypadButton(7));
    OnModal<LDlgTableTime>([&](LDlgTableTime* t) {
      EXPECT_EQ(t->windowTitle() + t->TableEdit()->text(), "Tafel / Tijd2");
      EXPECT_EQ(t->TimeEdit()->time(), QTime(9, 30));
      t->TableEdit()->setText("nul");
      t->accept();
      EXPECT_TRUE(t->isVisible());
      t->TableEdit()->setText("5");
      t->TimeEdit()->setTime(QTime(10, 45));
      t->accept();
    });
    Click(d->TableTimeButton());
  }));
  MatchRecord m = Stored();
  EXPECT_EQ(std::tuple(m.tafel, m.starttime, m.indexWinner), std::tuple(5, 1045, -1));
}

// The duo sheet: totals follow the typing after 500 ms; with the duos
// exchanged on screen, the games are stored in the match's own order.
TEST_F(ResultDialogs, DuoSheet) {
  std::vector<int> duos;
  for (auto [p1, p2] : {std::pair{"Anna", "Bea"}, {"Carla", "Dirk"}}) {
    DuoRecord d;
    d.idPlayer1 = AddPlayer(p1);
    d.idPlayer2 = AddPlayer(p2);
    db().AddDuo(d, app->IdToernooi());
  }
  std::vector<DuoRecord> list;
  db().ListDuos(list, app->IdToernooi());
  ASSERT_EQ(list.size(), 2u);
  int dudodeva = SystemId("Duo Dudodeva");
  int duoPool = AddPool(cls, "Duo's");
  db().Exec(nullptr, "UPDATE Pools SET idMatchSystem=%d WHERE id=%d", dudodeva, duoPool);
  for (const DuoRecord& d : list) Seat(duoPool, d.id, kLinkDuo);
  std::vector<ContestantRecord> pos;
  db().ListContestants(duoPool, pos);
  int duoMatch = db().AddMatch(duoPool, pos[0].id, pos[1].id, 1, 1000);

  EXPECT_TRUE(Enter<LDlgResultDuoPoints>([&](LDlgResultDuoPoints* d) {
    auto labels = [d] {
      QStringList l;
      for (int p = 0; p < 4; ++p) l << d->PlayerLabel(p)->text();
      return l.join("|");
    };
    EXPECT_EQ(labels(), "a  Anna|b  Bea|x  Carla|y  Dirk");
    QTest::keyClicks(d->Field(0, 0), "11");
    QTest::keyClicks(d->Field(0, 1), "7");
    QTest::keyClicks(d->Field(3, 0), "4");
    EXPECT_EQ(d->Total(5)->text(), "0 - 0");
    QTest::qWait(LDlgResultDuoPoints::kTotalsMs + 150);
    EXPECT_EQ(d->Total(0)->text(), "11 - 7");
    EXPECT_EQ(d->Total(1)->text(), "4 - 0");
    EXPECT_EQ(d->Total(5)->text(), "15 - 7");
    // A letter: the core names the game (which texts it refuses:
    // DuoDudodeva.ValidationNamesTheFirstFaultyGame).
    for (int g = 0; g < kDuoGames; ++g) {
      if (d->Field(g, 0)->text().isEmpty()) d->Field(g, 0)->setText("11");
      if (d->Field(g, 1)->text().isEmpty()) d->Field(g, 1)->setText("11" == d->Field(g, 0)->text() ? "3" : "11");
    }
    d->Field(3, 1)->setText("x");
    Click(d->OkButton());
    EXPECT_TRUE(d->isVisible());
    Click(d->SwapButton(2));
    EXPECT_EQ(labels(), "a  Carla|b  Dirk|x  Anna|y  Bea");
    Click(d->SwapButton(0));
    EXPECT_EQ(labels(), "a  Dirk|b  Carla|x  Anna|y  Bea");
    Click(d->SwapButton(0));
    for (int g = 0; g < kDuoGames; ++g) {
      d->Field(g, 0)->setText("11");
      d->Field(g, 1)->setText(QString::number(g));
    }
    Click(d->OkButton());
  }, dudodeva, duoMatch));
  EXPECT_EQ(prompter.alerts, (std::vector<std::string>{"Game 2 van b-y is incorrect."}));
  // Row "3 a y" showed x against b: the match's b-x, seen from the second duo.
  MatchRecord m = Stored(duoMatch);
  EXPECT_EQ(m.games, (std::vector<int>{-1, -2, -3, -4, -7, -8, -5, -6, -9, -10}));
  EXPECT_EQ(m.indexWinner, 1);
  // Reopened, the stored games show in the match's own order.
  EXPECT_FALSE(Enter<LDlgResultDuoPoints>([](LDlgResultDuoPoints* d) {
    EXPECT_EQ(d->Field(4, 0)->text(), "6");
    EXPECT_EQ(d->Field(4, 1)->text(), "11");
    EXPECT_EQ(d->Total(5)->text(), "45 - 110");
    d->reject();
  }, dudodeva, duoMatch));
}

// The tables chart moves the match behind a double-clicked cell.
TEST_F(ResultDialogs, TableAndTimeFromTheTablesChart) {
  LPaneTables pane(*app);
  pane.resize(800, 500);
  pane.show();
  pane.Refresh();
  ASSERT_EQ(pane.Grid()->ColumnTitle(1), "2");
  ASSERT_EQ(pane.Grid()->Cell(0, 0), "9:30 - 9:45");
  OnModal<LDlgTableTime>([](LDlgTableTime* t) {
    t->TableEdit()->setText("4");
    t->accept();
  });
  QPoint cell = pane.Grid()->visualRect(pane.Grid()->Model()->index(0, 1)).center();
  QTest::mouseClick(pane.Grid()->viewport(), Qt::LeftButton, {}, cell);
  QTest::mouseDClick(pane.Grid()->viewport(), Qt::LeftButton, {}, cell);
  EXPECT_EQ(Stored().tafel, 4);
  EXPECT_EQ(pane.Grid()->ColumnTitle(1), "4");  // refreshed
}

// Other windows showing matches hear of every change, and only of changes.
TEST_F(ResultDialogs, ChangesAreAnnounced) {
  CVelgramDlg main(*app);
  main.StartTimer().stop();
  QSignalSpy announced(&main, &CVelgramDlg::dataChanged);
  EXPECT_FALSE(Enter<LDlgResultFast>([](LDlgResultFast* d) { d->reject(); }));
  EXPECT_EQ(announced.count(), 0);
  EXPECT_TRUE(Enter<LDlgResultFast>([](LDlgResultFast* d) { Click(d->ClearButton()); }));
  EXPECT_EQ(announced.count(), 1);
}

}  // namespace
}  // namespace velgram::testing
