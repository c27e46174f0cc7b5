// The dialogs on their own, the message boxes and the font and colour forms.
#include <QMessageBox>
#include <QWindow>
#include <QTest>
#include <thread>

#include "app/dialogs/dlg_backup.h"
#include "app/dialogs/dlg_common.h"
#include "app/dialogs/dlg_player.h"
#include "app/dialogs/dlg_selectlist.h"
#include "app/dialogs/dlg_settingscolors.h"
#include "app/dialogs/dlg_settingsfont.h"
#include "app/dialogs/dlg_settingsswiss.h"
#include "app/dialogs/dlg_simaddplayers.h"
#include "app/pools/dlg_system.h"
#include "app/dialogs/dlg_toernooi.h"
#include "app/shell/fonts.h"
#include "app/shell/mainwindow.h"
#include "app/shell/qtprompter.h"
#include "tests/app/shell_fixture.h"

namespace velgram::testing {
namespace {

using DialogsTest = ShellTest;

TEST_F(DialogsTest, TextWindows1252CannotHoldIsRefusedAndTheDialogStaysOpen) {
  OpenTournament();
  LDlgPlayer dlg(*app, -1);
  dlg.name->setText(QStringLiteral("\u0141ukasz Kowalski"));  // L with stroke: not in Windows-1252
  dlg.accept();
  EXPECT_EQ(dlg.result(), QDialog::Rejected);
  ASSERT_EQ(prompter.alerts.size(), 1u);
  EXPECT_EQ(prompter.alerts[0], kNotStorableMessage);
  std::vector<PlayerRecord> players;
  db().ListPlayers(players, app->IdToernooi());
  EXPECT_TRUE(players.empty());

  // A club name is checked as well, and Western accents are fine.
  dlg.name->setText(QStringLiteral("Ren\u00e9e Lef\u00e8vre"));
  dlg.club->setEditText(QStringLiteral("TTV \u2603"));
  dlg.accept();
  EXPECT_EQ(prompter.alerts.size(), 2u);
  dlg.club->setEditText(QStringLiteral("TTV Zoë"));
  dlg.accept();
  EXPECT_EQ(dlg.result(), QDialog::Accepted);
  db().ListPlayers(players, app->IdToernooi());
  ASSERT_EQ(players.size(), 1u);
  EXPECT_EQ(players[0].name, "Ren\xE9" "e Lef\xE8vre");
  EXPECT_EQ(db().GetClubName(players[0].idClub), "TTV Zo\xEB");

  LDlgToernooi t(*app, -1);
  t.NameEdit()->setText(QStringLiteral("Toernooi \U0001F3D3"));
  t.accept();
  EXPECT_EQ(t.result(), QDialog::Rejected);
  EXPECT_EQ(prompter.alerts.back(), kNotStorableMessage);
}

TEST_F(DialogsTest, PlayerDialogChecksAndKeepsAnEmptyRatingEmpty) {
  LDlgPlayer none(*app, -1);
  none.name->setText(QStringLiteral("Anna"));
  none.accept();
  EXPECT_EQ(prompter.alerts.back(), "Selecteer eerst een toernooi.");

  OpenTournament();
  LDlgPlayer blank(*app, -1);
  blank.accept();
  EXPECT_EQ(prompter.alerts.back(), "Vul de naam in.");
  EXPECT_EQ(blank.result(), QDialog::Rejected);

  LDlgPlayer dlg(*app, -1);
  dlg.name->setText(QStringLiteral("Anna"));
  dlg.accept();
  std::vector<PlayerRecord> players;
  db().ListPlayers(players, app->IdToernooi());
  ASSERT_EQ(players.size(), 1u);
  EXPECT_EQ(players[0].rating, 0);
  EXPECT_EQ(players[0].gender, -1);
  LDlgPlayer again(*app, players[0].id);
  EXPECT_EQ(again.rating->text(), QString());
  EXPECT_FALSE(again.man->isChecked());
  EXPECT_FALSE(again.vrouw->isChecked());

  // A Dutch thousands separator never reaches the stored rating.
  const QLocale before;
  QLocale::setDefault(QLocale(QLocale::Dutch, QLocale::Netherlands));
  LDlgPlayer typed(*app, players[0].id);
  QTest::keyClicks(typed.rating, QStringLiteral("1.450"));
  typed.accept();
  QLocale::setDefault(before);
  PlayerRecord stored;
  db().GetPlayer(stored, players[0].id);
  EXPECT_EQ(stored.rating, 1450);
}

TEST_F(DialogsTest, PlayerDialogGoesFromManToTheEmailFieldInOneTab) {
  OpenTournament();
  LDlgPlayer dlg(*app, -1);
  dlg.show();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&dlg));
  dlg.man->setFocus();
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("anna@ttv.nl"));
  EXPECT_EQ(dlg.email->text(), QStringLiteral("anna@ttv.nl"));
  dlg.man->setFocus();
  QTest::keyClick(dlg.man, Qt::Key_Right);  // the arrow keys reach "Vrouw"
  EXPECT_TRUE(dlg.vrouw->hasFocus());
}

TEST_F(DialogsTest, ClassDialogWantsANameAndAKind) {
  OpenTournament();
  LDlgSystem dlg(*app, -1);
  dlg.accept();
  EXPECT_EQ(prompter.alerts.back(), "Vul de naam in.");
  dlg.name->setText(QStringLiteral("Jeugd"));
  dlg.accept();
  EXPECT_EQ(prompter.alerts.back(), "Vul of Enkel of Dubbel in.");
  dlg.dual->setChecked(true);
  dlg.accept();
  EXPECT_EQ(dlg.result(), QDialog::Accepted);
  std::vector<SystemRecord> list;
  db().ListSystems(list, app->IdToernooi());
  ASSERT_EQ(list.size(), 1u);
  EXPECT_EQ(list[0].nrPlayers, 2);
  LDlgSystem edit(*app, list[0].id);
  EXPECT_TRUE(edit.dual->isChecked());
}

TEST_F(DialogsTest, SelectListWantsAChoice) {
  LDlgSelectList dlg(prompter, {QStringLiteral("Voorjaar"), QStringLiteral("Najaar")});
  dlg.accept();
  EXPECT_EQ(prompter.alerts.back(), "Maak een keuze.");
  EXPECT_EQ(dlg.result(), QDialog::Rejected);
  dlg.List()->setCurrentRow(1);
  dlg.accept();
  EXPECT_EQ(dlg.SelectedText(), QStringLiteral("Najaar"));
  EXPECT_EQ(dlg.SelectedIndex(), 1);
}

TEST_F(DialogsTest, FontsTravelBetweenTextsAndQt) {
  QFont f = FontFromText("Arial,10,400,1,34,0", 96);
  EXPECT_EQ(f.family(), QStringLiteral("Arial"));
  EXPECT_EQ(f.pointSize(), 10);
  EXPECT_EQ(f.weight(), QFont::Normal);
  EXPECT_FALSE(f.italic());
  QFont bold = FontFromText("Times New Roman,14,700,1,34,1", 96);
  EXPECT_TRUE(bold.bold());
  EXPECT_TRUE(bold.italic());
  EXPECT_EQ(FontToText(bold, 96), "Times New Roman,14,700,1,34,1");
  EXPECT_EQ(FontToText(FontFromText("Verdana,9,400,1,34,0", 120), 120), "Verdana,9,400,1,34,0");
  // Windows keeps red in the low byte.
  EXPECT_EQ(ColorFromWin(16777214), QColor(254, 255, 255));
  EXPECT_EQ(ColorFromWin(16711679), QColor(255, 255, 254));
  EXPECT_EQ(ColorToWin(QColor(1, 2, 3)), 0x030201);
}

TEST_F(DialogsTest, FontDialogStoresTheChosenFontPerSample) {
  LDlgSettingsFont dlg(db());
  EXPECT_EQ(dlg.Sample(1)->font().family(), QStringLiteral("Arial"));
  dlg.chooseFont = [](QFont& font) {
    font = QFont(QStringLiteral("Courier New"), 12, QFont::Bold);
    return true;
  };
  dlg.Change(1);
  EXPECT_EQ(db().GetSetting("InfoFont"), "Courier New,12,700,1,34,0");
  EXPECT_TRUE(db().GetSetting("NavFont").empty());
  EXPECT_EQ(dlg.Sample(1)->font().pointSize(), 12);
  dlg.chooseFont = [](QFont&) { return false; };
  dlg.Change(0);
  EXPECT_TRUE(db().GetSetting("NavFont").empty());
}

TEST_F(DialogsTest, ColourDialogStoresBothColoursAndStandardDiffersFromUnset) {
  LDlgSettingsColors dlg(db());
  EXPECT_EQ(ColorToWin(dlg.BackgroundColor()), 16777214);
  dlg.chooseColor = [](QColor& c) {
    c = QColor(10, 20, 30);
    return true;
  };
  dlg.ChangeText();
  dlg.accept();
  EXPECT_EQ(db().GetSettingInt("InfoColorText"), ColorToWin(QColor(10, 20, 30)));
  EXPECT_EQ(db().GetSettingInt("InfoColorBackground"), 16777214);

  LDlgSettingsColors standard(db());
  EXPECT_EQ(ColorToWin(standard.TextColor()), ColorToWin(QColor(10, 20, 30)));
  standard.Standard();
  standard.accept();
  EXPECT_EQ(db().GetSettingInt("InfoColorText"), 0);
  EXPECT_EQ(db().GetSettingInt("InfoColorBackground"), 16711679);
}

TEST_F(DialogsTest, BackupManagementStoresAndAppliesTheIntervalAtOnce) {
  LDlgBackupManagement dlg(db(), prompter);
  EXPECT_EQ(dlg.location->text(), QString::fromStdString(dir.Path()));  // the data folder
  EXPECT_FALSE(dlg.every->isChecked());
  EXPECT_FALSE(dlg.minutes->isEnabled());
  dlg.minutes->setText(QStringLiteral("3"));
  dlg.every->setChecked(true);
  EXPECT_EQ(db().GetSettingInt("BackupInterval"), 5);
  EXPECT_EQ(db().BackupInterval(), 5);
  EXPECT_EQ(dlg.minutes->text(), QStringLiteral("5"));
  EXPECT_TRUE(dlg.minutes->isEnabled());
  dlg.minutes->clear();
  QTest::keyClicks(dlg.minutes, QStringLiteral("30"));
  EXPECT_EQ(db().GetSettingInt("BackupInterval"), 30);
  EXPECT_EQ(db().BackupInterval(), 30);
  dlg.every->setChecked(false);
  EXPECT_EQ(db().GetSettingInt("BackupInterval"), 0);
  EXPECT_EQ(db().BackupInterval(), 0);
  dlg.onceADay->setChecked(true);
  EXPECT_EQ(db().GetSetting("BackupOnceDay"), "1");
}

TEST_F(DialogsTest, BackupManagementPutsAChosenCopyBackAndTheWindowReadsItAgain) {
  OpenTournament("Voor de backup");
  db().BackupNow();
  int later = OpenTournament("Na de backup");
  db().SetSettingInt("ToernooiID", later);
  CVelgramDlg w(*app);
  w.StartTimer().stop();
  app->DropToernooi();
  w.OpenStartTournament();
  ASSERT_EQ(app->IdToernooi(), later);
  prompter.answers = {false, true};  // the first question is declined
  int rounds = 0;
  OnModal<LDlgBackupManagement>([&](LDlgBackupManagement* d) {
    EXPECT_FALSE(d->restoreButton->isEnabled());
    d->backups->setCurrentRow(0);
    d->restoreButton->click();
    EXPECT_FALSE(d->Restored());
    d->restoreButton->click();
    EXPECT_TRUE(d->Restored());
    ++rounds;
    d->accept();
  });
  w.CmdBackupManagement();
  ASSERT_EQ(rounds, 1);
  ASSERT_EQ(prompter.alerts.size(), 1u);
  EXPECT_EQ(prompter.alerts[0].rfind("De backup Velgram", 0), 0u) << prompter.alerts[0];
  std::vector<std::pair<int, std::string>> list;
  db().ListToernooien(list);
  ASSERT_EQ(list.size(), 1u);
  EXPECT_EQ(app->IdToernooi(), list[0].first);  // the window opened what is there now
}

TEST_F(DialogsTest, SwissBorderIsAWholeNumberOrEmpty) {
  LDlgSettingsSwiss dlg(db(), prompter);
  EXPECT_EQ(dlg.border->text(), QStringLiteral("5"));
  dlg.border->setText(QStringLiteral("vijf"));
  dlg.accept();
  EXPECT_EQ(dlg.result(), QDialog::Rejected);
  EXPECT_EQ(prompter.alerts.size(), 1u);
  EXPECT_TRUE(db().GetSetting("SwissBorder").empty());
  dlg.border->setText(QStringLiteral(" -40 "));
  dlg.accept();
  EXPECT_EQ(db().GetSetting("SwissBorder"), "-40");
  LDlgSettingsSwiss again(db(), prompter);
  EXPECT_EQ(again.border->text(), QStringLiteral("-40"));
}

TEST_F(DialogsTest, SimulatedParticipantsAreAddedOrTheDialogIsCancelled) {
  OpenTournament();
  LDlgSimAddPlayers dlg(*app);
  dlg.count->setText(QStringLiteral("5"));
  dlg.minRating->setText(QStringLiteral("1200"));
  dlg.maxRating->setText(QStringLiteral("1200"));
  dlg.duo->setChecked(true);
  dlg.accept();
  EXPECT_EQ(dlg.result(), QDialog::Accepted);
  std::vector<PlayerRecord> players;
  db().ListPlayers(players, app->IdToernooi());
  ASSERT_EQ(players.size(), 5u);
  for (const PlayerRecord& p : players) EXPECT_EQ(p.rating, 1200);
  std::vector<DuoRecord> duos;
  db().ListDuos(duos, app->IdToernooi());
  EXPECT_EQ(duos.size(), 2u);

  LDlgSimAddPlayers bad(*app);
  bad.count->setText(QStringLiteral("4"));
  bad.minRating->setText(QStringLiteral("1500"));
  bad.maxRating->setText(QStringLiteral("1000"));
  bad.accept();
  EXPECT_EQ(bad.result(), QDialog::Rejected);
  db().ListPlayers(players, app->IdToernooi());
  EXPECT_EQ(players.size(), 5u);
}

// How much narrower a window is than its caption needs: the caption and, on
// the same title bar, the window manager's icon and three buttons, about
// seven text heights (Openbox cut "Alert" to "..." with less).
int CaptionShortfall(const QWidget* w) {
  QFontMetrics fm(QApplication::font("QMdiSubWindowTitleBar"));
  return fm.horizontalAdvance(w->windowTitle()) + 7 * fm.height() - w->width();
}

TEST(QtPrompterTest, AlertAndConfirmAreMessageBoxes) {
  QtPrompter prompter;
  QString caption, text;
  int shortfall = 0;
  OnModal<QMessageBox>([&](QMessageBox* box) {
    caption = box->windowTitle();
    text = box->text();
    box->button(QMessageBox::Ok)->click();
  });
  prompter.Alert("Backup opgeslagen in\r\n/tmp/x.db");
  EXPECT_EQ(caption, QStringLiteral("Alert"));
  EXPECT_EQ(text, QStringLiteral("Backup opgeslagen in\n/tmp/x.db"));
  OnModal<QMessageBox>([&](QMessageBox* box) {
    shortfall = CaptionShortfall(box);
    box->button(QMessageBox::Ok)->click();
  });
  prompter.Alert("Vul de tafel in");
  EXPECT_LE(shortfall, 0);

  QStringList answers;
  QString shown;
  OnModal<QMessageBox>([&](QMessageBox* box) {
    caption = box->windowTitle();
    shown = box->windowHandle()->title();
    answers = {box->button(QMessageBox::Yes)->text(), box->button(QMessageBox::No)->text()};
    box->button(QMessageBox::Yes)->click();
  });
  EXPECT_TRUE(prompter.Confirm("Weet u het zeker?"));
  // No caption; the window is blank, as the window system would show the
  // program's name for an empty one.
  EXPECT_EQ(caption, QString());
  EXPECT_EQ(shown, QStringLiteral(" "));
  EXPECT_EQ(answers, (QStringList{"&Ja", "&Nee"}));
  OnModal<QMessageBox>([](QMessageBox* box) { box->button(QMessageBox::No)->click(); });
  EXPECT_FALSE(prompter.Confirm("Weet u het zeker?"));

  EXPECT_EQ(QtPrompter::Clip(std::string(2500, 'x')).size(), 2000u);
  EXPECT_EQ(QtPrompter::Clip("kort"), "kort");
}

TEST(QtPrompterTest, AWorkerThreadsMessageArrivesThroughTheEventLoop) {
  FakePrompter prompter;
  std::thread worker([&prompter] { PostAlert(prompter, "Verbinding mislukt"); });
  worker.join();
  EXPECT_TRUE(prompter.alerts.empty());  // not shown from the worker itself
  QApplication::processEvents();
  EXPECT_EQ(prompter.alerts, std::vector<std::string>{"Verbinding mislukt"});
}

}  // namespace
}  // namespace velgram::testing
