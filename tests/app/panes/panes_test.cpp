// The participant, duo and class panes driven through their buttons.
#include <QTest>

#include <QMenu>

#include "app/dialogs/dlg_clubtrofee.h"
#include "app/dialogs/dlg_duo.h"
#include "app/pools/dlg_pool.h"
#include "app/dialogs/dlg_player.h"
#include "app/pools/dlg_system.h"
#include "app/shell/fonts.h"
#include "app/shell/mainwindow.h"
#include "app/panes/pane_classes.h"
#include "app/panes/pane_participants.h"
#include "app/panes/pane_dropout.h"
#include "app/panes/pane_poule.h"
#include "app/panes/pane_swiss.h"
#include "app/panes/pane_tables.h"
#include "tests/app/shell_fixture.h"

namespace velgram::testing {
namespace {

class PanesTest : public ShellTest {
 protected:
  // A main window showing the tournament, as the user sees it.
  std::unique_ptr<CVelgramDlg> Window() {
    auto w = std::make_unique<CVelgramDlg>(*app);
    w->StartTimer().stop();
    app->DropToernooi();  // opened again as at start, tree and all
    w->OpenStartTournament();
    return w;
  }
  template <typename P>
  P* Show(CVelgramDlg& w, NavType type, int id = 0) {
    EXPECT_TRUE(w.SelectItem(type, id));
    return dynamic_cast<P*>(w.CurrentPane());
  }
  static QStringList Column(LGrid* grid, int col) {
    QStringList texts;
    for (int r = 0; r < grid->RowCount(); ++r) texts << grid->Cell(r, col);
    return texts;
  }
};

TEST_F(PanesTest, PlayersAreAddedChangedAndDeletedThroughThePane) {
  OpenTournament();
  auto w = Window();
  auto* pane = Show<LPanePlayers>(*w, NavType::Players);
  ASSERT_NE(pane, nullptr);
  EXPECT_EQ(pane->Grid()->ColumnTitle(1), QStringLiteral("Speelsterkte"));

  OnModal<LDlgPlayer>([](LDlgPlayer* d) {
    d->name->setText(QStringLiteral("Jan de Vries"));
    d->club->setEditText(QStringLiteral("TTV Smash"));
    d->rating->setText(QStringLiteral("1450"));
    d->man->setChecked(true);
    d->accept();
  });
  pane->Button(QStringLiteral("Toevoegen"))->click();
  ASSERT_EQ(pane->Grid()->RowCount(), 1);
  EXPECT_EQ(pane->Grid()->Cell(0, 0), QStringLiteral("Jan de Vries"));
  EXPECT_EQ(pane->Grid()->Cell(0, 1), QStringLiteral("1450"));
  EXPECT_EQ(pane->Grid()->Cell(0, 2), QStringLiteral("TTV Smash"));
  EXPECT_EQ(pane->Grid()->Cell(0, 5), QStringLiteral("M"));

  // "Wijzigen" wants exactly one row.
  pane->Button(QStringLiteral("Wijzigen"))->click();
  EXPECT_EQ(prompter.alerts.back(), "Selecteer \xE9\xE9n deelnemer die u wilt wijzigen.");
  pane->Grid()->SelectRow(0);
  OnModal<LDlgPlayer>([](LDlgPlayer* d) {
    EXPECT_EQ(d->club->currentText(), QStringLiteral("TTV Smash"));
    d->name->setText(QStringLiteral("Jan de Vries jr."));
    d->vrouw->setChecked(true);
    d->accept();
  });
  pane->Button(QStringLiteral("Wijzigen"))->click();
  EXPECT_EQ(pane->Grid()->Cell(0, 0), QStringLiteral("Jan de Vries jr."));
  EXPECT_EQ(pane->Grid()->Cell(0, 5), QStringLiteral("V"));

  pane->Grid()->ClearRowSelection();
  pane->Button(QStringLiteral("Verwijderen"))->click();
  EXPECT_EQ(prompter.alerts.back(), "Selecteer de deelnemers die u wilt verwijderen.\nGebruik ev. Ctrl en Shift.");
  pane->Grid()->SelectRow(0);
  prompter.answers = {false};
  pane->Button(QStringLiteral("Verwijderen"))->click();
  EXPECT_EQ(prompter.questions.back(), "Weet u zeker, dat u 1 deelnemer wilt verwijderen?");
  EXPECT_EQ(pane->Grid()->RowCount(), 1);
  pane->Button(QStringLiteral("Verwijderen"))->click();
  EXPECT_EQ(pane->Grid()->RowCount(), 0);
}

TEST_F(PanesTest, APlayerInAPoolIsNotDeletedAndTheMessageNamesHim) {
  OpenTournament();
  int anna = AddPlayer("Anna", 1200);
  int bert = AddPlayer("Bert", 1300);
  int cls = AddClass("Jeugd");
  int pool = AddPool(cls, "Voorronde");
  Seat(pool, bert);
  auto w = Window();
  auto* pane = Show<LPanePlayers>(*w, NavType::Players);
  ASSERT_EQ(pane->Grid()->RowCount(), 2);
  pane->Grid()->SelectRows({0, 1});
  pane->Button(QStringLiteral("Verwijderen"))->click();
  EXPECT_EQ(prompter.questions.back(), "Weet u zeker, dat u 2 deelnemers wilt verwijderen?");
  EXPECT_EQ(prompter.alerts.back(), "Bert speelt in Jeugd / Voorronde");
  EXPECT_EQ(pane->Grid()->RowCount(), 2);
  PlayerRecord p;
  db().GetPlayer(p, anna);
  EXPECT_EQ(p.name, "Anna");
}

TEST_F(PanesTest, RatingColumnSortsByNumber) {
  OpenTournament();
  AddPlayer("A", 900);
  AddPlayer("B", 1500);
  AddPlayer("C", 80);
  auto w = Window();
  auto* pane = Show<LPanePlayers>(*w, NavType::Players);
  pane->Grid()->horizontalHeader()->sectionClicked(1);
  EXPECT_EQ(Column(pane->Grid(), 1), (QStringList{"80", "900", "1500"}));
  pane->Grid()->horizontalHeader()->sectionClicked(1);
  EXPECT_EQ(Column(pane->Grid(), 1), (QStringList{"1500", "900", "80"}));
  // A refresh keeps the order the user chose.
  pane->Refresh();
  EXPECT_EQ(Column(pane->Grid(), 1), (QStringList{"1500", "900", "80"}));
}

TEST_F(PanesTest, ListsTakeTheirFontAndColoursFromTheSettings) {
  OpenTournament();
  AddPlayer("Anna", 1200);
  db().SetSetting("InfoFont", "Courier New,13,700,1,49,0");
  db().SetSettingInt("InfoColorText", 0x0000FF);        // red
  db().SetSettingInt("InfoColorBackground", 0xFFFF00);  // cyan
  auto w = Window();
  auto* pane = Show<LPanePlayers>(*w, NavType::Players);
  QModelIndex cell = pane->Grid()->Model()->index(0, 0);
  EXPECT_EQ(cell.data(Qt::ForegroundRole).value<QBrush>().color(), QColor(255, 0, 0));
  EXPECT_EQ(cell.data(Qt::BackgroundRole).value<QBrush>().color(), QColor(0, 255, 255));
  EXPECT_EQ(pane->Grid()->font().family(), QStringLiteral("Courier New"));
  EXPECT_EQ(pane->Grid()->font().pointSize(), 13);
  EXPECT_TRUE(pane->Grid()->font().bold());
  EXPECT_EQ(pane->TitleLabel()->font().pointSize(), 14);
  EXPECT_TRUE(pane->TitleLabel()->font().bold());
  EXPECT_TRUE(pane->Button(QStringLiteral("Toevoegen"))->styleSheet().contains(QStringLiteral("rgb(0,255,0)")));
}

TEST_F(PanesTest, DuosArePutTogetherFromTwoPlayersAndBlockedWhilePlaying) {
  OpenTournament();
  AddPlayer("Anna", 1200, "TTV Smash", "C");
  AddPlayer("Bert", 1300, "TTC Batjes", "D");
  auto w = Window();
  auto* pane = Show<LPaneDuos>(*w, NavType::Duos);
  ASSERT_NE(pane, nullptr);
  OnModal<LDlgDuo>([](LDlgDuo* d) {
    ASSERT_EQ(d->players->RowCount(), 2);
    d->players->SelectRows({0, 1});
    d->addButton->click();
    EXPECT_EQ(d->players->RowCount(), 0);
    EXPECT_EQ(d->klasse->text(), QString());  // the classes differ
    d->klasse->setText(QStringLiteral("Duo A"));
    d->accept();
  });
  pane->Button(QStringLiteral("Toevoegen"))->click();
  ASSERT_EQ(pane->Grid()->RowCount(), 1);
  EXPECT_EQ(pane->Grid()->Cell(0, 0), QStringLiteral("Anna + Bert"));
  EXPECT_EQ(pane->Grid()->Cell(0, 1), QStringLiteral("2500"));
  EXPECT_EQ(pane->Grid()->Cell(0, 2), QStringLiteral("TTV Smash/TTC Batjes"));
  EXPECT_EQ(pane->Grid()->Cell(0, 3), QStringLiteral("Duo A"));

  int idDuo = pane->Grid()->RowData(0);
  int cls = AddClass("Dubbel", 2);
  int pool = AddPool(cls, "Poule 1");
  Seat(pool, idDuo, kLinkDuo);
  pane->Grid()->SelectRow(0);
  pane->Button(QStringLiteral("Verwijderen"))->click();
  EXPECT_EQ(prompter.questions.back(), "Weet u zeker, dat u 1 duo wilt verwijderen?");
  EXPECT_EQ(prompter.alerts.back(), "Anna + Bert speelt in Dubbel / Poule 1");
  EXPECT_EQ(pane->Grid()->RowCount(), 1);

  db().DeletePool(pool);
  pane->Grid()->SelectRow(0);
  pane->Button(QStringLiteral("Verwijderen"))->click();
  EXPECT_EQ(pane->Grid()->RowCount(), 0);
}

TEST_F(PanesTest, ClassesAreAddedRenamedMovedAndDeleted) {
  OpenTournament();
  auto w = Window();
  auto* pane = Show<LPaneSystems>(*w, NavType::Systems);
  ASSERT_NE(pane, nullptr);
  EXPECT_FALSE(pane->Button(QStringLiteral("Wijzigen"))->isEnabled());

  for (const char* name : {"Jeugd", "Senioren", "Veteranen"}) {
    OnModal<LDlgSystem>([name](LDlgSystem* d) {
      d->name->setText(QString::fromLatin1(name));
      d->single->setChecked(true);
      d->accept();
    });
    pane->Button(QStringLiteral("Toevoegen"))->click();
  }
  // Adding rebuilt the tree and showed this pane again.
  EXPECT_EQ(w->CurrentPane(), pane);
  EXPECT_EQ(Column(pane->Grid(), 0), (QStringList{"Jeugd", "Senioren", "Veteranen"}));
  EXPECT_EQ(w->Navigation().Find(NavType::Systems)->childCount(), 3);
  EXPECT_EQ(pane->Grid()->Cell(0, 1), QStringLiteral("Enkel"));

  // Renamed to a name another class has: it gets a number.
  pane->Grid()->SelectRow(2);
  EXPECT_TRUE(pane->Button(QStringLiteral("Wijzigen"))->isEnabled());
  OnModal<LDlgSystem>([](LDlgSystem* d) {
    d->name->setText(QStringLiteral("Jeugd"));
    d->accept();
  });
  pane->Button(QStringLiteral("Wijzigen"))->click();
  EXPECT_EQ(Column(pane->Grid(), 0), (QStringList{"Jeugd", "Senioren", "Jeugd (1)"}));
  EXPECT_EQ(pane->Grid()->FirstSelectedRow(), 2);

  // The last one cannot go further down; the first not further up.
  pane->Button(QStringLiteral("Naar beneden"))->click();
  EXPECT_EQ(Column(pane->Grid(), 0), (QStringList{"Jeugd", "Senioren", "Jeugd (1)"}));
  EXPECT_EQ(pane->Grid()->FirstSelectedRow(), 2);
  pane->Grid()->SelectRow(0);
  pane->Button(QStringLiteral("Naar boven"))->click();
  EXPECT_EQ(Column(pane->Grid(), 0), (QStringList{"Jeugd", "Senioren", "Jeugd (1)"}));
  EXPECT_EQ(pane->Grid()->FirstSelectedRow(), 0);
  pane->Button(QStringLiteral("Naar beneden"))->click();
  EXPECT_EQ(Column(pane->Grid(), 0), (QStringList{"Senioren", "Jeugd", "Jeugd (1)"}));
  EXPECT_EQ(pane->Grid()->FirstSelectedRow(), 1);
  EXPECT_EQ(w->Navigation().Find(NavType::Systems)->child(0)->text(0), QStringLiteral("Senioren"));

  pane->Button(QStringLiteral("Verwijderen"))->click();
  EXPECT_EQ(prompter.questions.back(), "Weet u zeker, dat u Jeugd wilt verwijderen?");
  EXPECT_EQ(Column(pane->Grid(), 0), (QStringList{"Senioren", "Jeugd (1)"}));
  EXPECT_EQ(w->Navigation().Find(NavType::Systems)->childCount(), 2);
}

TEST_F(PanesTest, TheClubTrophyFromTheClassesMenuKeepsPlainButtons) {
  OpenTournament();
  auto w = Window();
  w->show();
  auto* pane = Show<LPaneSystems>(*w, NavType::Systems);
  ASSERT_NE(pane, nullptr);
  QColor printColour;
  bool opened = false;
  QTimer timer;
  QObject::connect(&timer, &QTimer::timeout, [&] {
    if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
      QAction* trophy = menu->actions().value(2);
      QMetaObject::invokeMethod(
          menu, [menu, trophy] { QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(trophy).center()); },
          Qt::QueuedConnection);
    } else if (auto* d = qobject_cast<LDlgClubTrofee*>(QApplication::activeModalWidget())) {
      if (opened) return;
      opened = true;
      QPushButton* print = d->PrintButton();
      printColour = print->grab().toImage().pixelColor(print->width() / 2, print->height() - 3);
      QMetaObject::invokeMethod(d, &QDialog::accept, Qt::QueuedConnection);
    }
  });
  timer.start(10);
  pane->Button(QStringLiteral("Menu"))->click();
  ASSERT_TRUE(opened);
  // The green of the pane's own buttons stays on the pane.
  EXPECT_FALSE(printColour.green() > 120 && printColour.red() < 60 && printColour.blue() < 60) << printColour.name().toStdString();
}

TEST_F(PanesTest, PoolsOfAClassMoveOnlyWhenNoLinkIsPassed) {
  OpenTournament();
  int cls = AddClass("Jeugd");
  int a = AddPool(cls, "A");
  int b = AddPool(cls, "B");
  int c = AddPool(cls, "C");
  Seat(b, a, kLinkPlace, a);  // B takes a place of A
  auto w = Window();
  auto* pane = Show<LPaneSystem>(*w, NavType::System, cls);
  ASSERT_NE(pane, nullptr);
  EXPECT_EQ(Column(pane->Grid(), 0), (QStringList{"A", "B", "C"}));
  EXPECT_EQ(pane->Grid()->Cell(0, 1), QStringLiteral("1-2"));
  EXPECT_EQ(pane->Grid()->Cell(0, 2), QStringLiteral("09:30 - 16:00"));

  pane->Grid()->SelectRow(1);
  pane->Button(QStringLiteral("Naar boven"))->click();
  EXPECT_EQ(prompter.alerts.back(), "Speler is gekoppeld aan vorige poule. Verwijder deze eerst.");
  pane->Grid()->SelectRow(0);
  pane->Button(QStringLiteral("Naar beneden"))->click();
  EXPECT_EQ(prompter.alerts.back(), "Speler is gekoppeld aan volgende poule. Verwijder deze eerst.");
  EXPECT_EQ(Column(pane->Grid(), 0), (QStringList{"A", "B", "C"}));

  // C passes B, which it has no link with.
  pane->Grid()->SelectRow(2);
  pane->Button(QStringLiteral("Naar boven"))->click();
  EXPECT_EQ(Column(pane->Grid(), 0), (QStringList{"A", "C", "B"}));
  EXPECT_EQ(pane->Grid()->FirstSelectedRow(), 1);
  QTreeWidgetItem* cItem = w->Navigation().Find(NavType::System, cls);
  EXPECT_EQ(cItem->child(1)->text(0), QStringLiteral("C"));
  (void)c;
}

TEST_F(PanesTest, PoolsAreAddedAndDeletedFromTheClassPane) {
  OpenTournament();
  int cls = AddClass("Jeugd");
  auto w = Window();
  auto* pane = Show<LPaneSystem>(*w, NavType::System, cls);
  ASSERT_NE(pane, nullptr);
  EXPECT_EQ(pane->TitleLabel()->text(), QStringLiteral("Poules van Jeugd"));
  OnModal<LDlgPool>([](LDlgPool* d) {
    d->name->setText(QStringLiteral("Voorronde"));
    d->style->setCurrentIndex(0);
    d->tables->setText(QStringLiteral("1-3"));
    d->accept();
  });
  pane->Button(QStringLiteral("Toevoegen Poule, Zwitsers, Afval"))->click();
  // The new pool's item is selected and shows the pool.
  NavItem selected = NavigationTree::ItemOf(w->Tree()->currentItem());
  ASSERT_EQ(selected.type, NavType::Pool);
  EXPECT_EQ(w->Tree()->currentItem()->text(0), QStringLiteral("Voorronde"));
  auto* poolPane = dynamic_cast<LPanePoule*>(w->CurrentPane());
  ASSERT_NE(poolPane, nullptr);
  EXPECT_EQ(poolPane->TitleLabel()->text(), QStringLiteral("Voorronde"));

  w->SelectItem(NavType::System, cls);
  ASSERT_EQ(pane->Grid()->RowCount(), 1);
  pane->Grid()->SelectRow(0);
  prompter.answers = {false};
  pane->Button(QStringLiteral("Verwijderen"))->click();
  EXPECT_EQ(prompter.questions.back(), "Weet u zeker, dat u Voorronde wilt verwijderen?");
  EXPECT_EQ(pane->Grid()->RowCount(), 1);
  int panes = w->PaneCount();
  pane->Grid()->SelectRow(0);
  pane->Button(QStringLiteral("Verwijderen"))->click();
  EXPECT_EQ(pane->Grid()->RowCount(), 0);
  EXPECT_EQ(w->PaneCount(), panes - 1);
  EXPECT_EQ(w->Navigation().Find(NavType::Pool, selected.id), nullptr);
  EXPECT_EQ(NavigationTree::ItemOf(w->Tree()->currentItem()).type, NavType::System);
}

TEST_F(PanesTest, APoolItemOpensThePaneOfItsKind) {
  OpenTournament();
  int cls = AddClass("Jeugd");
  int swiss = AddPool(cls, "Voorronde", kPlaystyleSwiss);
  Seat(swiss, AddPlayer("Anna", 1200, "TTV Smash"));
  int dropout = AddPool(cls, "Finale", kPlaystyleDropout);
  int poule = AddPool(cls, "Poule A");
  auto w = Window();
  auto* swissPane = Show<LPaneSwiss>(*w, NavType::Pool, swiss);
  ASSERT_NE(swissPane, nullptr);
  EXPECT_EQ(swissPane->Grid()->Cell(0, 1), QStringLiteral("Anna"));
  EXPECT_NE(Show<LPaneDropout>(*w, NavType::Pool, dropout), nullptr);
  EXPECT_NE(Show<LPanePoule>(*w, NavType::Pool, poule), nullptr);
}

TEST_F(PanesTest, TablesPaneMarksBookedTablesAndDoubleBookingsInRed) {
  OpenTournament();
  AddPool(AddClass("Jeugd"), "Voorronde");  // tables 1-2, 9:30 to 16:00
  int poule = AddPool(AddClass("Senioren"), "Poule A");
  db().Exec(nullptr, "UPDATE Pools SET tables='2-3' WHERE id=%d", poule);
  auto w = Window();
  auto* pane = Show<LPaneTables>(*w, NavType::Tables);
  ASSERT_NE(pane, nullptr);
  ASSERT_EQ(pane->Grid()->ColumnCount(), 4);
  EXPECT_EQ(pane->Grid()->ColumnTitle(0), QStringLiteral("Tijdvak"));
  EXPECT_EQ(pane->Grid()->ColumnTitle(3), QStringLiteral("3"));
  ASSERT_EQ(pane->Grid()->RowCount(), 1);
  EXPECT_EQ(pane->Grid()->Cell(0, 0), QStringLiteral("9:30 - 16:00"));
  auto background = [&](int col) {
    return pane->Grid()->Model()->index(0, col).data(Qt::BackgroundRole).value<QBrush>().color();
  };
  EXPECT_EQ(background(1), QColor(0, 160, 0));
  EXPECT_EQ(background(2), QColor(160, 0, 0));
  EXPECT_EQ(pane->Grid()->Model()->index(0, 2).data(Qt::ToolTipRole).toString(),
            QStringLiteral("Jeugd / Voorronde\nSenioren / Poule A"));
}

}  // namespace
}  // namespace velgram::testing
