// The participant, duo and class panes driven through their buttons.
#include <QTest>

#include "app/dialogs/dlg_duo.h"
#include "app/dialogs/dlg_player.h"
#include "app/panes/pane_classes.h"
#include "app/panes/pane_dropout.h"
#include "app/panes/pane_participants.h"
#include "app/panes/pane_poule.h"
#include "app/panes/pane_swiss.h"
#include "app/pools/dlg_pool.h"
#include "app/pools/dlg_system.h"
#include "tests/app/dialog_fixture.h"

namespace velgram::testing {
namespace {

class PanesTest : public DialogTest {
 protected:
  PanesTest() { OpenTournament(); }
  static void Click(LPane* pane, const char* button) { pane->Button(QString::fromUtf8(button))->click(); }
};

TEST_F(PanesTest, PlayersAreAddedChangedSortedAndDeletedThroughThePaneInTheChosenLook) {
  db().SetSetting("InfoFont", "Courier New,13,700,1,49,0");
  db().SetSettingInt("InfoColorText", 0x0000FF);        // red
  db().SetSettingInt("InfoColorBackground", 0xFFFF00);  // cyan
  auto w = Window();
  w->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
  auto* pane = Show<LPanePlayers>(*w, NavType::Players);
  ASSERT_NE(pane, nullptr);
  LGrid* g = pane->Grid();
  EXPECT_EQ(g->font().family() + QString::number(g->font().pointSize()), QStringLiteral("Courier New13"));
  OnModal<LDlgPlayer>([](LDlgPlayer* d) {
    d->name->setText(QStringLiteral("Jan de Vries"));
    d->club->setEditText(QStringLiteral("TTV Smash"));
    d->rating->setText(QStringLiteral("1450"));
    d->man->setChecked(true);
    d->accept();
  });
  Click(pane, "Toevoegen");
  ASSERT_EQ(g->RowCount(), 1);
  EXPECT_EQ(Cells(*g, 0, {0, 1, 2, 5}), "Jan de Vries|1450|TTV Smash|M");
  const QModelIndex cell = g->Model()->index(0, 0);
  EXPECT_EQ(cell.data(Qt::ForegroundRole).value<QBrush>().color().name() + cell.data(Qt::BackgroundRole).value<QBrush>().color().name(),
            QStringLiteral("#ff0000#00ffff"));

  // "Wijzigen" wants exactly one row.
  Click(pane, "Wijzigen");
  EXPECT_EQ(prompter.alerts.back(), "Selecteer \xE9\xE9n deelnemer die u wilt wijzigen.");
  g->SelectRow(0);
  OnModal<LDlgPlayer>([](LDlgPlayer* d) {
    EXPECT_EQ(d->club->currentText(), QStringLiteral("TTV Smash"));
    d->name->setText(QStringLiteral("Jan de Vries jr."));
    d->vrouw->setChecked(true);
    d->accept();
  });
  Click(pane, "Wijzigen");
  EXPECT_EQ(g->Cell(0, 0) + g->Cell(0, 5), QStringLiteral("Jan de Vries jr.V"));

  // Ratings sort as numbers, and a refresh keeps the order chosen.
  AddPlayer("B", 900);
  AddPlayer("C", 80);
  pane->Refresh();
  g->horizontalHeader()->sectionClicked(1);
  g->horizontalHeader()->sectionClicked(1);
  pane->Refresh();
  EXPECT_EQ(Column(g, 1), (QStringList{"1450", "900", "80"}));

  // Deleting asks first; who may go is the core's rule. A click selects a
  // whole row (the grid reads only whole rows), Ctrl adds one.
  for (auto [row, keys] : {std::pair{0, Qt::KeyboardModifiers()}, {1, Qt::KeyboardModifiers(Qt::ControlModifier)}})
    QTest::mouseClick(g->viewport(), Qt::LeftButton, keys, g->visualRect(g->Model()->index(row, 3)).center());
  Click(pane, "Verwijderen");
  EXPECT_EQ(prompter.questions.back(), "Weet u zeker, dat u 2 deelnemers wilt verwijderen?");
  EXPECT_EQ(Column(g, 1), QStringList{"80"});
}

TEST_F(PanesTest, DuosArePutTogetherFromTwoPlayersAndDeleted) {
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
  Click(pane, "Toevoegen");
  LGrid* g = pane->Grid();
  ASSERT_EQ(g->RowCount(), 1);
  EXPECT_EQ(Cells(*g, 0, {0, 1, 2, 3}), "Anna + Bert|2500|TTV Smash/TTC Batjes|Duo A");

  g->SelectRow(0);
  Click(pane, "Verwijderen");
  EXPECT_EQ(g->RowCount(), 0);
  EXPECT_EQ(prompter.questions.front(), "Weet u zeker, dat u 1 duo wilt verwijderen?");
}

// The tree follows every change, only its selected item bold; a pool opens
// the pane of its kind, made once and refreshed when shown again. Deleting
// asks first, from a pane's button or the tree's menu, and takes the panes
// with it; the tree's selects the parent.
TEST_F(PanesTest, ClassesAndTheirPoolsAreAddedMovedAndDeleted) {
  const int cls = AddClass("Jeugd");
  const int a = AddPool(cls, "A", kPlaystyleSwiss);
  Seat(a, AddPlayer("Anna", 1200, "TTV Smash"));
  const int b = AddPool(cls, "B", kPlaystyleDropout);
  Seat(b, 0, kLinkPlace, a);  // B takes a place of A
  auto w = Window();
  auto* classes = Show<LPaneSystems>(*w, NavType::Systems);
  ASSERT_NE(classes, nullptr);
  EXPECT_FALSE(classes->Button(QStringLiteral("Wijzigen"))->isEnabled());
  for (const char* name : {"Senioren", "Veteranen"}) {
    OnModal<LDlgSystem>([name](LDlgSystem* d) {
      d->name->setText(QString::fromLatin1(name));
      (name[0] == 'V' ? d->dual : d->single)->setChecked(true);
      d->accept();
    });
    Click(classes, "Toevoegen");
  }
  QTreeWidgetItem* tree = w->Navigation().Find(NavType::Systems);
  EXPECT_EQ(std::tuple(w->CurrentPane(), tree->childCount(), classes->Grid()->Cell(1, 1) + classes->Grid()->Cell(2, 1)),
            std::tuple(static_cast<LPane*>(classes), 3, QStringLiteral("EnkelDubbel")));
  EXPECT_TRUE(LDlgSystem(*app, classes->Grid()->RowData(2)).dual->isChecked());
  // The last one cannot go further down.
  for (const auto& [row, selected, order] : {std::tuple{2, 2, QStringList{"Jeugd", "Senioren", "Veteranen"}},
                                             std::tuple{0, 1, QStringList{"Senioren", "Jeugd", "Veteranen"}}}) {
    classes->Grid()->SelectRow(row);
    Click(classes, "Naar beneden");
    EXPECT_EQ(Column(classes->Grid(), 0), order);
    EXPECT_EQ(classes->Grid()->FirstSelectedRow(), selected);
  }
  tree = w->Navigation().Find(NavType::Systems);
  EXPECT_EQ(tree->child(0)->text(0) + tree->child(1)->child(0)->text(0) + tree->child(1)->child(1)->text(0),
            QStringLiteral("SeniorenAB"));
  EXPECT_TRUE(tree->isExpanded() && tree->child(1)->isExpanded());

  auto* pane = Show<LPaneSystem>(*w, NavType::System, cls);
  ASSERT_NE(pane, nullptr);
  EXPECT_TRUE(w->Navigation().Find(NavType::System, cls)->font(0).bold() && !w->Navigation().Find(NavType::Systems)->font(0).bold());
  EXPECT_EQ(pane->TitleLabel()->text() + pane->Grid()->Cell(0, 1) + " " + pane->Grid()->Cell(0, 2),
            QStringLiteral("Poules van Jeugd1-2 09:30 - 16:00"));
  OnModal<LDlgPool>([](LDlgPool* d) {
    EXPECT_EQ(d->start->text() + d->end->text() + d->matchSystem->text(), QStringLiteral("09:0016:00Best of 5"));
    d->name->setText(QStringLiteral("C"));
    d->style->setCurrentIndex(0);
    d->tables->setText(QStringLiteral("4,1-2"));
    for (auto [field, typed] : {std::pair{d->start, "930"}, {d->end, "1745"}}) field->selectAll(), QTest::keyClicks(field, typed);
    d->accept();
  });
  Click(pane, "Toevoegen Poule, Zwitsers, Afval");
  const NavItem c = NavigationTree::ItemOf(w->Tree()->currentItem());  // the new pool's, showing it
  ASSERT_EQ(c.type, NavType::Pool);
  PoolRecord p;
  ASSERT_TRUE(db().GetPool(c.id, p));
  EXPECT_EQ(std::tuple(p.name, p.playstyle, p.tables, p.starttime, p.endtime, p.idMatchSystem),
            std::tuple(std::string("C"), kPlaystylePoule, std::string("1-2,4"), 930, 1745, SystemId("Best of 5")));
  auto* poule = dynamic_cast<LPanePoule*>(w->CurrentPane());
  ASSERT_EQ(poule->TitleLabel()->text(), QStringLiteral("C"));
  EXPECT_EQ(Show<LPaneSwiss>(*w, NavType::Pool, a)->Grid()->Cell(0, 1), QStringLiteral("Anna"));
  EXPECT_NE(Show<LPaneDropout>(*w, NavType::Pool, b), nullptr);
  db().Exec(nullptr, "UPDATE Pools SET name='C2' WHERE id=%d", c.id);
  EXPECT_EQ(Show<LPanePoule>(*w, NavType::Pool, c.id), poule);
  EXPECT_EQ(std::pair(poule->TitleLabel()->text(), w->PaneCount()), std::pair(QStringLiteral("C2"), 6));
  w->SelectItem(NavType::System, cls);
  pane->Grid()->SelectRow(2);
  Click(pane, "Naar boven");
  EXPECT_EQ(std::pair(Column(pane->Grid(), 0), pane->Grid()->FirstSelectedRow()), std::pair(QStringList{"A", "C2", "B"}, 1));
  EXPECT_EQ(w->Navigation().Find(NavType::System, cls)->child(1)->text(0), QStringLiteral("C2"));
  Click(pane, "Verwijderen");
  EXPECT_EQ(prompter.questions.back(), "Weet u zeker, dat u C2 wilt verwijderen?");
  EXPECT_EQ(Column(pane->Grid(), 0), (QStringList{"A", "B"}));
  EXPECT_EQ(w->Navigation().Find(NavType::Pool, c.id), nullptr);
  // From the tree: declined first.
  ASSERT_TRUE(w->SelectItem(NavType::Pool, b));
  EXPECT_EQ(w->ContextMenu(NavType::Players), nullptr);
  prompter.answers = {false};
  for (bool gone : {false, true}) {
    RunMenu(w->ContextMenu(NavType::Pool), QStringLiteral("&Verwijder"));
    EXPECT_EQ(db().GetPool(b, p), !gone);
  }
  EXPECT_EQ(prompter.questions.back(), "Weet u zeker dat u B wilt verwijderen?");
  EXPECT_EQ(std::pair(NavigationTree::ItemOf(w->Tree()->currentItem()).type, w->PaneCount()), std::pair(NavType::System, 4));
  RunMenu(w->ContextMenu(NavType::System), QStringLiteral("&Verwijder"));
  EXPECT_EQ(prompter.questions.back(), "Weet u zeker dat u Jeugd wilt verwijderen?");
  EXPECT_FALSE(db().GetPool(a, p));
  EXPECT_EQ(std::pair(NavigationTree::ItemOf(w->Tree()->currentItem()).type, w->PaneCount()), std::pair(NavType::Systems, 2));
  EXPECT_EQ(w->CurrentPane(), classes);
  classes->Grid()->SelectRow(0);
  Click(classes, "Verwijderen");
  EXPECT_EQ(prompter.questions.back(), "Weet u zeker, dat u Senioren wilt verwijderen?");
  EXPECT_EQ(Column(classes->Grid(), 0), (QStringList{"Veteranen"}));
  EXPECT_EQ(w->Navigation().Find(NavType::Systems)->childCount(), 1);
}

}  // namespace
}  // namespace velgram::testing
