#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "app/shell/classes_menu.h"
#include "app/dialogs/dlg_clubtrofee.h"
#include "app/widgets/grid.h"
#include "app/printing/print_preview.h"
#include "common/fakes.h"
#include "competition/pool.h"
#include "store/database.h"

namespace velgram {
namespace {

using testing::FakePrompter;
using testing::TempDir;

// Three clubs: TTV Alpha brings 4 players who win 3 matches, De Smash 1
// player who wins 1, Nul Club 2 players who win nothing.
class ClubTrofeeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    idToernooi = db.AddToernooi("Clubkampioenschap");
    std::vector<int> alpha, smash, nul;
    for (int i = 0; i < 4; ++i) alpha.push_back(Player("Alpha " + std::to_string(i), "TTV Alpha"));
    smash.push_back(Player("Smash 0", "De Smash"));
    for (int i = 0; i < 2; ++i) nul.push_back(Player("Nul " + std::to_string(i), "Nul Club"));

    SystemRecord cls;
    cls.name = "A";
    cls.nrPlayers = 1;
    db.AddSystem(cls, idToernooi);
    std::vector<SystemRecord> classes;
    db.ListSystems(classes, idToernooi);
    PoolRecord pool;
    pool.name = "Poule 1";
    const int idPool = db.AddPool(pool, classes.at(0).id);
    std::map<int, int> seat;  // player -> position
    int pos = 0;
    for (int id : {alpha[0], alpha[1], alpha[2], alpha[3], smash[0], nul[0], nul[1]}) {
      ContestantRecord c;
      c.idPool = idPool;
      c.poolPos = c.sort = pos++;
      c.linktype = kLinkPlayer;
      c.idPlayer = id;
      db.AddContestant(c);
    }
    std::vector<ContestantRecord> positions;
    db.ListContestants(idPool, positions);
    for (const ContestantRecord& c : positions) seat[c.idPlayer] = c.id;
    auto play = [&](int winner, int loser, bool firstWins) {
      const int m = firstWins ? db.AddMatch(idPool, seat[winner], seat[loser], 1, 930)
                              : db.AddMatch(idPool, seat[loser], seat[winner], 1, 930);
      db.RecordResult(m, firstWins ? 0 : 1, {}, false);
    };
    play(alpha[0], nul[0], true);
    play(alpha[1], nul[1], false);
    play(alpha[2], smash[0], true);
    play(smash[0], nul[0], false);
    db.AddMatch(idPool, seat[alpha[3]], seat[nul[1]], 2, 1000);  // not played yet
  }

  int Player(const std::string& name, const std::string& club) {
    PlayerRecord p;
    p.name = name;
    p.idClub = db.GetOrAddClub(club);
    return db.AddPlayer(p, idToernooi);
  }

  static QStringList Row(const LGrid& grid, int row) {
    QStringList cells;
    for (int c = 0; c < grid.ColumnCount(); ++c) cells << grid.Cell(row, c);
    return cells;
  }

  TempDir dir;
  Database db{dir.File("Velgram.db")};
  FakePrompter prompter;
  int idToernooi = -1;
};

TEST_F(ClubTrofeeTest, ShowsVictoriesParticipantsAndBothQuotients) {
  LDlgClubTrofee dialog(db, idToernooi, prompter);
  EXPECT_EQ(dialog.windowTitle(), "Verenigingsbeker");
  const LGrid& grid = *dialog.Grid();
  ASSERT_EQ(grid.ColumnCount(), 5);
  EXPECT_EQ(grid.ColumnTitle(3), QString::fromUtf8("Quotiënt      "));
  ASSERT_EQ(grid.RowCount(), 3);
  EXPECT_EQ(Row(grid, 0), (QStringList{"De Smash", "1", "1", "1.000", "1.000"}));
  EXPECT_EQ(Row(grid, 1), (QStringList{"Nul Club", "", "2", "0.000", "0.000"}));
  EXPECT_EQ(Row(grid, 2), (QStringList{"TTV Alpha", "3", "4", "0.750", "0.750"}));
  EXPECT_EQ(dialog.DenominatorField()->text(), "1");
}

TEST_F(ClubTrofeeTest, TheMinimumDenominatorIsTakenAfterAPause) {
  LDlgClubTrofee dialog(db, idToernooi, prompter);
  dialog.DenominatorField()->clear();
  QTest::keyClicks(dialog.DenominatorField(), "6");
  EXPECT_EQ(dialog.Grid()->Cell(2, 4), "0.750");  // not at the keystroke
  QTest::qWait(700);
  EXPECT_EQ(dialog.Grid()->Cell(2, 4), "0.500");
  EXPECT_EQ(dialog.Grid()->Cell(0, 4), "0.167");
  EXPECT_EQ(dialog.Grid()->Cell(2, 3), "0.750");
  EXPECT_EQ(db.GetSetting("ClubTrofeeDenom" + std::to_string(idToernooi)), "6");

  dialog.DenominatorField()->setText("0");  // changes nothing
  dialog.CommitDenominator();
  EXPECT_EQ(dialog.Grid()->Cell(2, 4), "0.500");
  EXPECT_EQ(db.GetSetting("ClubTrofeeDenom" + std::to_string(idToernooi)), "6");

  LDlgClubTrofee again(db, idToernooi, prompter);
  EXPECT_EQ(again.DenominatorField()->text(), "6");
  EXPECT_EQ(again.Grid()->Cell(0, 4), "0.167");
}

TEST_F(ClubTrofeeTest, AHeaderClickSortsAndTheChoiceIsKeptForTheTournament) {
  {
    LDlgClubTrofee dialog(db, idToernooi, prompter);
    dialog.DenominatorField()->setText("5");
    dialog.CommitDenominator();
    emit dialog.Grid()->horizontalHeader()->sectionClicked(4);  // ascending -> descending
    EXPECT_EQ(dialog.Grid()->Cell(0, 0), "TTV Alpha");          // 3 / 5
    EXPECT_EQ(dialog.Grid()->Cell(1, 0), "De Smash");           // 1 / 5
    EXPECT_EQ(dialog.Grid()->Cell(2, 0), "Nul Club");
    EXPECT_EQ(dialog.Grid()->Cell(1, 4), "0.200");
  }
  LDlgClubTrofee reopened(db, idToernooi, prompter);
  EXPECT_EQ(reopened.Grid()->Cell(0, 0), "TTV Alpha");
  EXPECT_EQ(reopened.Grid()->Cell(2, 0), "Nul Club");
  emit reopened.Grid()->horizontalHeader()->sectionClicked(0);  // flips back: ascending by name
  EXPECT_EQ(reopened.Grid()->Cell(0, 0), "De Smash");
}

TEST_F(ClubTrofeeTest, PrintsThroughThePreviewUnderItsOwnKey) {
  db.SetSetting("ExtraSpaceClubTrofee", "100");
  QWidget main;
  main.setWindowTitle("Velgram    Clubkampioenschap");
  LDlgClubTrofee dialog(db, idToernooi, prompter, &main);
  dialog.show();
  const QString pdf = QString::fromStdString(dir.File("trofee.pdf"));
  std::string extraSeen;
  QString captionSeen;
  QTimer timer;
  QObject::connect(&timer, &QTimer::timeout, [&] {
    auto* preview = qobject_cast<LDlgPrintPreview*>(QApplication::activeModalWidget());
    if (!preview || !extraSeen.empty()) return;
    extraSeen = preview->Settings().extraSpace;
    captionSeen = preview->CurrentSetup().caption;
    preview->SetPdfOutput(pdf);
    QMetaObject::invokeMethod(
        preview, [preview] { preview->PrintNow(); }, Qt::QueuedConnection);
  });
  timer.start(10);
  QTest::mouseClick(dialog.PrintButton(), Qt::LeftButton);
  EXPECT_EQ(extraSeen, "100");
  // The page header names the main window's tournament, not this window.
  EXPECT_EQ(captionSeen, "Velgram    Clubkampioenschap");
  EXPECT_GT(QFileInfo(pdf).size(), 0);
  EXPECT_EQ(dialog.Grid()->RowCount(), 3);
}

TEST_F(ClubTrofeeTest, TheClassesMenuOffersItsThreeCommandsInOrder) {
  QStringList items;
  QTimer timer;
  QObject::connect(&timer, &QTimer::timeout, [&] {
    if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
      if (!items.isEmpty()) return;
      for (QAction* a : menu->actions()) items << a->text();
      QAction* trophy = menu->actions().value(2);
      QMetaObject::invokeMethod(
          menu, [menu, trophy] { QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(trophy).center()); },
          Qt::QueuedConnection);
    } else if (auto* trophyWindow = qobject_cast<LDlgClubTrofee*>(QApplication::activeModalWidget())) {
      QMetaObject::invokeMethod(trophyWindow, &QDialog::accept, Qt::QueuedConnection);
    }
  });
  timer.start(10);
  QWidget parent;
  parent.show();
  EXPECT_EQ(ShowClassesMenu(db, idToernooi, prompter, &parent, QPoint(10, 10)), ClassesMenuCommand::kClubTrophy);
  EXPECT_EQ(items, (QStringList{"NTTB Elo Rating", "Export wedstrijden", "Verenigingsbeker"}));
}

TEST_F(ClubTrofeeTest, MenuCommandsWithoutTournamentAndTheMatchListExport) {
  RunClassesMenuCommand(ClassesMenuCommand::kClubTrophy, db, -1, prompter, nullptr);
  RunClassesMenuCommand(ClassesMenuCommand::kMatchExport, db, -1, prompter, nullptr);
  EXPECT_EQ(prompter.alerts,
            (std::vector<std::string>{"Selecteer eerst een toernooi.", "Selecteer eerst een toernooi."}));

  // The export goes into the data folder under the documents folder.
  const QByteArray home = qgetenv("HOME"), xdg = qgetenv("XDG_CONFIG_HOME");
  qputenv("HOME", QByteArray::fromStdString(dir.Path()));
  qunsetenv("XDG_CONFIG_HOME");
  prompter.alerts.clear();
  RunClassesMenuCommand(ClassesMenuCommand::kMatchExport, db, idToernooi, prompter, nullptr);
  qputenv("HOME", home);
  if (!xdg.isEmpty()) qputenv("XDG_CONFIG_HOME", xdg);
  ASSERT_EQ(prompter.alerts.size(), 1u);
  const std::string& path = prompter.alerts[0];
  EXPECT_EQ(path.rfind(dir.Path(), 0), 0u) << path;
  const std::string text = testing::ReadFileBytes(path);
  // The header and the three singles results with a stamp (the fourth
  // result has one too; the unplayed match is left out).
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 5);
}

}  // namespace
}  // namespace velgram
