// The club trophy window and the classes menu that opens it; the counts,
// quotients, sort and kept settings are the core's (ClubTrophy.*).
#include <QAction>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>

#include "app/dialogs/dlg_clubtrofee.h"
#include "app/printing/print_preview.h"
#include "app/shell/classes_menu.h"
#include "app/shell/qtext.h"
#include "tests/app/dialog_fixture.h"

namespace velgram::testing {
namespace {

// TTV Alpha: 2 players, 1 win; De Smash: 1 player, 1 win; Nul Club: 1
// player, no win.
class ClubTrofeeTest : public DialogTest {
 protected:
  ClubTrofeeTest() {
    idT = OpenTournament();
    const int pool = AddPool(AddClass("A"), "Poule 1");
    for (auto [name, club] : {std::pair{"Alpha 0", "TTV Alpha"}, {"Alpha 1", "TTV Alpha"}, {"Smash 0", "De Smash"},
                              {"Nul 0", "Nul Club"}})
      Seat(pool, AddPlayer(name, 0, club));
    std::vector<ContestantRecord> s = Seats(pool);
    db().RecordResult(db().AddMatch(pool, s[0].id, s[3].id, 1, 930), 0, {}, false);
    db().RecordResult(db().AddMatch(pool, s[1].id, s[2].id, 1, 945), 1, {}, false);
  }
  int idT = -1;
};

// The window passes the denominator on after a pause and the sort on a header
// click, and prints under its own key with the main window's caption; the
// classes menu opens it.
TEST_F(ClubTrofeeTest, ShowsTheRowsPassesTheChoicesOnPrintsAndOpensFromTheClassesMenu) {
  db().SetSetting("ExtraSpaceClubTrofee", "100");
  QWidget main;
  main.setWindowTitle("Velgram    Clubkampioenschap");
  LDlgClubTrofee dialog(db(), idT, prompter, &main);
  const LGrid& grid = *dialog.Grid();
  ASSERT_EQ(grid.RowCount(), 3);
  EXPECT_EQ(dialog.windowTitle() + "|" + grid.ColumnTitle(3), QString::fromUtf8("Verenigingsbeker|Quotiënt      "));
  EXPECT_EQ(RowText(grid, 0) + "/" + RowText(grid, 1) + "/" + RowText(grid, 2) + "/" + dialog.DenominatorField()->text(),
            "De Smash|1|1|1.000|1.000/Nul Club||1|0.000|0.000/TTV Alpha|1|2|0.500|0.500/1");
  dialog.DenominatorField()->clear();
  QTest::keyClicks(dialog.DenominatorField(), "4");
  EXPECT_EQ(grid.Cell(2, 4), "0.500");  // not at the keystroke
  QTest::qWait(700);
  EXPECT_EQ(grid.Cell(2, 4), "0.250");
  EXPECT_EQ(LDlgClubTrofee(db(), idT, prompter).DenominatorField()->text(), "4");
  emit dialog.Grid()->horizontalHeader()->sectionClicked(0);  // by name, descending
  EXPECT_EQ(grid.Cell(0, 0), "TTV Alpha");
  dialog.show();
  OnModal<LDlgPrintPreview>([&](LDlgPrintPreview* preview) {
    EXPECT_EQ(preview->Settings().extraSpace + "|" + FromQt(preview->CurrentSetup().caption),
              "100|Velgram    Clubkampioenschap");
    preview->SetPdfOutput(QString::fromStdString(dir.File("trofee.pdf")));
    preview->PrintNow();
  });
  QTest::mouseClick(dialog.PrintButton(), Qt::LeftButton);

  // The classes menu's commands in order; the trophy wants a tournament; the
  // match list goes into the data folder and its path is told.
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
  main.show();
  EXPECT_EQ(ShowClassesMenu(db(), idT, prompter, &main, QPoint(10, 10)), ClassesMenuCommand::kClubTrophy);
  EXPECT_EQ(items, (QStringList{"NTTB Elo Rating", "Export wedstrijden", "Verenigingsbeker"}));
  RunClassesMenuCommand(ClassesMenuCommand::kClubTrophy, db(), -1, prompter, nullptr);
  const QByteArray home = qgetenv("HOME"), xdg = qgetenv("XDG_CONFIG_HOME");
  qputenv("HOME", QByteArray::fromStdString(dir.Path()));
  qunsetenv("XDG_CONFIG_HOME");
  RunClassesMenuCommand(ClassesMenuCommand::kMatchExport, db(), idT, prompter, nullptr);
  qputenv("HOME", home);
  if (!xdg.isEmpty()) qputenv("XDG_CONFIG_HOME", xdg);
  ASSERT_EQ(prompter.alerts.size(), 3u);  // after the PDF's
  EXPECT_EQ(prompter.alerts[1], "Selecteer eerst een toernooi.");
  EXPECT_EQ(prompter.alerts[2].rfind(dir.Path(), 0), 0u) << prompter.alerts[2];  // what it holds: ExportTest.*
  EXPECT_FALSE(ReadFileBytes(prompter.alerts[2]).empty());
}

}  // namespace
}  // namespace velgram::testing
