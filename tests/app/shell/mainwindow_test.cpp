// The main window: start-up, navigation, panes, tree deletions, commands and
// the remembered placement.
#include <QKeyEvent>
#include <filesystem>
#include <QTest>

#include "app/dialogs/dlg_backup.h"
#include "app/dialogs/dlg_selectlist.h"
#include "app/dialogs/dlg_toernooi.h"
#include "app/shell/mainwindow.h"
#include "app/panes/pane.h"
#include "app/panes/pane_classes.h"
#include "app/panes/pane_participants.h"
#include "tests/app/shell_fixture.h"

namespace velgram::testing {
namespace {

class MainWindowTest : public ShellTest {
 protected:
  // A window whose start timer does not fire by itself: the tests open the
  // start tournament when they want it.
  std::unique_ptr<CVelgramDlg> MakeWindow() {
    auto w = std::make_unique<CVelgramDlg>(*app);
    w->StartTimer().stop();
    return w;
  }
  static QStringList TopItems(QTreeWidget* tree) {
    QStringList texts;
    for (int i = 0; i < tree->topLevelItemCount(); ++i) texts << tree->topLevelItem(i)->text(0);
    return texts;
  }
};

TEST_F(MainWindowTest, FirstStartAsksForANewTournamentThenShowsTreeAndParticipants) {
  auto w = MakeWindow();
  OnModal<LDlgToernooi>([](LDlgToernooi* d) {
    d->NameEdit()->setText(QStringLiteral("Clubkampioenschap"));
    d->accept();
  });
  w->OpenStartTournament();

  ASSERT_TRUE(app->HasToernooi());
  EXPECT_EQ(app->Toernooi().name, "Clubkampioenschap");
  EXPECT_EQ(db().GetSettingInt("ToernooiID"), app->IdToernooi());
  EXPECT_EQ(w->windowTitle(), QStringLiteral("Velgram    Clubkampioenschap"));
  EXPECT_EQ(TopItems(w->Tree()), (QStringList{"Deelnemers", "Duo's", "Tafels", "Wedstrijden", "Wedstrijdbriefjes",
                                             "Spelklassen"}));
  EXPECT_NE(dynamic_cast<LPanePlayers*>(w->CurrentPane()), nullptr);
  EXPECT_TRUE(w->Tree()->currentItem()->font(0).bold());
  EXPECT_EQ(w->Tree()->width(), CVelgramDlg::kTreeWidth);
  EXPECT_TRUE(prompter.alerts.empty());
}

TEST_F(MainWindowTest, CancelledFirstStartLeavesNoTournament) {
  auto w = MakeWindow();
  OnModal<LDlgToernooi>([](LDlgToernooi* d) { d->reject(); });
  w->OpenStartTournament();
  EXPECT_FALSE(app->HasToernooi());
  EXPECT_EQ(w->Tree()->topLevelItemCount(), 0);
  w->CmdChange();
  EXPECT_EQ(prompter.alerts, std::vector<std::string>{"Selecteer eerst een toernooi."});
}

TEST_F(MainWindowTest, StartTournamentIsTheRememberedOneElseTheNewest) {
  int first = db().AddToernooi("Voorjaar");
  int second = db().AddToernooi("Najaar");
  {
    auto w = MakeWindow();
    w->OpenStartTournament();
    EXPECT_EQ(app->IdToernooi(), second);
  }
  app->DropToernooi();
  db().SetSettingInt("ToernooiID", first);
  {
    auto w = MakeWindow();
    w->OpenStartTournament();
    EXPECT_EQ(app->IdToernooi(), first);
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Velgram    Voorjaar"));
  }
  // A remembered tournament that is gone: the newest one, never an empty id.
  app->DropToernooi();
  db().SetSettingInt("ToernooiID", second + 10);
  auto w = MakeWindow();
  w->OpenStartTournament();
  EXPECT_EQ(app->IdToernooi(), second);
}

TEST_F(MainWindowTest, ClassesAndPoolsHangUnderSpelklassenAndSelectionIsBold) {
  OpenTournament();
  int jeugd = AddClass("Jeugd");
  int senioren = AddClass("Senioren");
  int voorronde = AddPool(jeugd, "Voorronde");
  int finale = AddPool(jeugd, "Finale", kPlaystyleDropout);
  auto w = MakeWindow();
  w->FillTree();
  QTreeWidgetItem* classes = w->Navigation().Find(NavType::Systems);
  ASSERT_NE(classes, nullptr);
  ASSERT_EQ(classes->childCount(), 2);
  EXPECT_EQ(classes->child(0)->text(0), QStringLiteral("Jeugd"));
  EXPECT_EQ(classes->child(1)->text(0), QStringLiteral("Senioren"));
  EXPECT_EQ(classes->child(0)->child(0)->text(0), QStringLiteral("Voorronde"));
  EXPECT_EQ(classes->child(0)->child(1)->text(0), QStringLiteral("Finale"));
  EXPECT_TRUE(classes->isExpanded());
  EXPECT_TRUE(classes->child(0)->isExpanded());

  ASSERT_TRUE(w->SelectItem(NavType::Pool, finale));
  EXPECT_TRUE(w->Navigation().Find(NavType::Pool, finale)->font(0).bold());
  ASSERT_TRUE(w->SelectItem(NavType::System, senioren));
  EXPECT_FALSE(w->Navigation().Find(NavType::Pool, finale)->font(0).bold());
  EXPECT_TRUE(w->Navigation().Find(NavType::System, senioren)->font(0).bold());
  auto* pane = dynamic_cast<LPaneSystem*>(w->CurrentPane());
  ASSERT_NE(pane, nullptr);
  EXPECT_EQ(pane->IdSystem(), senioren);
  EXPECT_EQ(w->Navigation().Find(NavType::Pool, voorronde)->parent(), w->Navigation().Find(NavType::System, jeugd));
}

TEST_F(MainWindowTest, PanesAreMadeOnceAndRefreshedWhenShownAgain) {
  OpenTournament();
  int cls = AddClass("Jeugd");
  int pool = AddPool(cls, "Voorronde");
  int other = AddPool(cls, "Finale");
  auto w = MakeWindow();
  w->FillTree();
  w->SelectItem(NavType::Players);
  w->SelectItem(NavType::Pool, pool);
  LPane* first = w->CurrentPane();
  int count = w->PaneCount();
  w->SelectItem(NavType::Players);
  db().Exec(nullptr, "UPDATE Pools SET name='Voorronde A' WHERE id=%d", pool);
  w->SelectItem(NavType::Pool, pool);
  EXPECT_EQ(w->CurrentPane(), first);
  EXPECT_EQ(w->PaneCount(), count);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->TitleLabel()->text(), QStringLiteral("Voorronde A"));
  EXPECT_TRUE(first->isVisible() || !w->isVisible());

  // Another pool of the same kind has a pane of its own.
  w->SelectItem(NavType::Pool, other);
  EXPECT_NE(w->CurrentPane(), first);
  EXPECT_EQ(w->PaneCount(), count + 1);
}

TEST_F(MainWindowTest, DeletingAPoolFromTheTreeSelectsItsClass) {
  OpenTournament();
  int cls = AddClass("Jeugd");
  int pool = AddPool(cls, "Voorronde");
  auto w = MakeWindow();
  w->FillTree();
  w->SelectItem(NavType::Pool, pool);
  int panes = w->PaneCount();

  prompter.answers = {false};
  w->DeleteSelectedItem();
  PoolRecord p;
  EXPECT_TRUE(db().GetPool(pool, p));

  w->DeleteSelectedItem();
  EXPECT_EQ(prompter.questions.back(), "Weet u zeker dat u Voorronde wilt verwijderen?");
  EXPECT_FALSE(db().GetPool(pool, p));
  EXPECT_EQ(NavigationTree::ItemOf(w->Tree()->currentItem()).type, NavType::System);
  EXPECT_EQ(w->Navigation().Find(NavType::Pool, pool), nullptr);
  // The pool's pane went with it; the class pane came.
  EXPECT_EQ(w->PaneCount(), panes);
}

TEST_F(MainWindowTest, DeletingAClassFromTheTreeTakesItsPoolsAndSelectsSpelklassen) {
  OpenTournament();
  int cls = AddClass("Jeugd");
  int pool = AddPool(cls, "Voorronde");
  auto w = MakeWindow();
  w->FillTree();
  w->SelectItem(NavType::Pool, pool);
  w->SelectItem(NavType::System, cls);
  ASSERT_EQ(w->PaneCount(), 2);
  ASSERT_NE(w->ContextMenu(NavType::System), nullptr);
  EXPECT_EQ(w->ContextMenu(NavType::System)->actions().at(0)->text(), QStringLiteral("&Verwijder"));
  EXPECT_EQ(w->ContextMenu(NavType::Players), nullptr);

  w->ContextMenu(NavType::System)->actions().at(0)->trigger();
  EXPECT_EQ(prompter.questions.back(), "Weet u zeker dat u Jeugd wilt verwijderen?");
  std::vector<SystemRecord> left;
  db().ListSystems(left, app->IdToernooi());
  EXPECT_TRUE(left.empty());
  PoolRecord p;
  EXPECT_FALSE(db().GetPool(pool, p));
  EXPECT_EQ(NavigationTree::ItemOf(w->Tree()->currentItem()).type, NavType::Systems);
  // Only the classes pane is left: the class and pool panes are gone.
  EXPECT_EQ(w->PaneCount(), 1);
  EXPECT_NE(dynamic_cast<LPaneSystems*>(w->CurrentPane()), nullptr);
}

TEST_F(MainWindowTest, PlacementIsSavedASecondAfterTheLastChangeAndRestoredOnlyWhenLargeEnough) {
  OpenTournament();
  {
    auto w = MakeWindow();
    w->show();
    w->resize(1234, 567);
    QApplication::processEvents();
    EXPECT_TRUE(w->PlacementTimer().isActive());
    EXPECT_EQ(w->PlacementTimer().interval(), 1000);
    EXPECT_TRUE(db().GetSetting("width").empty());
    QTest::qWait(1200);
    EXPECT_EQ(db().GetSettingInt("width"), 1234);
    EXPECT_EQ(db().GetSettingInt("height"), 567);
  }
  db().SetSettingInt("left", 40);
  db().SetSettingInt("top", 30);
  db().SetSettingInt("width", 1300);
  db().SetSettingInt("height", 700);
  {
    auto w = MakeWindow();
    EXPECT_EQ(w->size(), QSize(1300, 700));
    EXPECT_EQ(w->pos(), QPoint(40, 30));
  }
  // Width 1000 is not above 1000: the stored placement is ignored.
  db().SetSettingInt("width", 1000);
  auto w = MakeWindow();
  EXPECT_NE(w->width(), 1000);
  EXPECT_GE(w->minimumWidth(), 1000);
  EXPECT_GE(w->minimumHeight(), 200);
}

TEST_F(MainWindowTest, EnterAndEscapeDoNotCloseTheWindow) {
  OpenTournament();
  auto w = MakeWindow();
  w->show();
  QTest::keyClick(w.get(), Qt::Key_Escape);
  QTest::keyClick(w.get(), Qt::Key_Return);
  QApplication::processEvents();
  EXPECT_TRUE(w->isVisible());
}

TEST_F(MainWindowTest, OpenChoosesByRowSoTournamentsOfOneNameStayApart) {
  int a = db().AddToernooi("Clubavond");
  int b = db().AddToernooi("Zomer");
  db().RenameToernooi(b, "Clubavond");
  app->OpenToernooi(a);
  auto w = MakeWindow();
  OnModal<LDlgSelectList>([](LDlgSelectList* d) {
    ASSERT_EQ(d->List()->count(), 2);
    d->List()->setCurrentRow(1);
    d->accept();
  });
  w->CmdOpen();
  std::vector<std::pair<int, std::string>> list;
  db().ListToernooien(list);
  int expected = list[1].first;
  EXPECT_EQ(app->IdToernooi(), expected);
  EXPECT_EQ(db().GetSettingInt("ToernooiID"), expected);
}

TEST_F(MainWindowTest, ChangeRenamesAndSetsTheCaption) {
  OpenTournament("Oud");
  auto w = MakeWindow();
  OnModal<LDlgToernooi>([](LDlgToernooi* d) {
    EXPECT_EQ(d->NameEdit()->text(), QStringLiteral("Oud"));
    d->NameEdit()->setText(QStringLiteral("Nieuw"));
    d->accept();
  });
  w->CmdChange();
  EXPECT_EQ(w->windowTitle(), QStringLiteral("Velgram    Nieuw"));
}

TEST_F(MainWindowTest, BackupCommandReportsWhereTheCopyWent) {
  OpenTournament();
  auto w = MakeWindow();
  w->CmdBackup();
  ASSERT_EQ(prompter.alerts.size(), 1u);
  const std::string prefix = "Backup opgeslagen in\r\n";
  ASSERT_EQ(prompter.alerts[0].rfind(prefix, 0), 0u) << prompter.alerts[0];
  std::string path = prompter.alerts[0].substr(prefix.size());
  EXPECT_EQ(path.rfind(db().BackupFolder(), 0), 0u);
  EXPECT_FALSE(ReadFileBytes(path).empty());

  // No backup folder can be made: the error text alone, and work goes on.
  ASSERT_TRUE(std::filesystem::remove_all(db().BackupFolder()) > 0);
  WriteFileBytes(db().BackupFolder(), "in de weg");
  w->CmdBackup();
  EXPECT_EQ(prompter.alerts.back(), "FOUT: Kan database niet kopi\xEB" "ren.");
  EXPECT_GT(db().AddToernooi("Daarna"), 0);
}

TEST_F(MainWindowTest, SimulationNeedsATournamentAndAboutNamesTheVersion) {
  auto w = MakeWindow();
  w->CmdSimAddPlayers();
  EXPECT_EQ(prompter.alerts, std::vector<std::string>{"Selecteer eerst een toernooi."});
  // The version reads as a file version: build and revision only when set.
  EXPECT_EQ(CVelgramDlg::AboutText(QStringLiteral("0.1.0")), QStringLiteral("Velgram, versie 0.1"));
  EXPECT_EQ(CVelgramDlg::AboutText(QStringLiteral("2.3.4")), QStringLiteral("Velgram, versie 2.3.4.0"));
  EXPECT_EQ(CVelgramDlg::AboutText(QStringLiteral("1.0.0.7")), QStringLiteral("Velgram, versie 1.0.0.7"));
}

}  // namespace
}  // namespace velgram::testing
