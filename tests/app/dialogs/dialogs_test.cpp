// The dialogs on their own, the message boxes and the font and colour forms:
// what each shows and what it sends on; the rules behind them are the core's.
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

std::vector<PlayerRecord> Players(Database& db, int idToernooi) {
  std::vector<PlayerRecord> players;
  db.ListPlayers(players, idToernooi);
  return players;
}

// Text Windows-1252 cannot hold never reaches the core: the dialog stays open.
TEST_F(DialogsTest, TextWindows1252CannotHoldIsRefusedAndTheDialogStaysOpen) {
  OpenTournament();
  LDlgPlayer dlg(*app, -1);
  for (auto [name, club] : {std::pair{QStringLiteral("\u0141ukasz"), QStringLiteral("TTV")},
                            {QStringLiteral("Ren\u00e9e Lef\u00e8vre"), QStringLiteral("TTV \u2603")}}) {
    dlg.name->setText(name);
    dlg.club->setEditText(club);
    dlg.accept();
    EXPECT_EQ(dlg.result(), QDialog::Rejected);
  }
  EXPECT_EQ(prompter.alerts, std::vector<std::string>(2, kNotStorableMessage));
  EXPECT_TRUE(Players(db(), app->IdToernooi()).empty());
  dlg.club->setEditText(QStringLiteral("TTV Zo\u00eb"));
  dlg.accept();
  EXPECT_EQ(dlg.result(), QDialog::Accepted);
  std::vector<PlayerRecord> players = Players(db(), app->IdToernooi());
  ASSERT_EQ(players.size(), 1u);
  EXPECT_EQ(players[0].name, "Ren\xE9" "e Lef\xE8vre");
  EXPECT_EQ(db().GetClubName(players[0].idClub), "TTV Zo\xEB");

  LDlgToernooi t(*app, -1);
  t.NameEdit()->setText(QStringLiteral("Toernooi \U0001F3D3"));
  t.accept();
  EXPECT_EQ(t.result(), QDialog::Rejected);
  EXPECT_EQ(prompter.alerts.back(), kNotStorableMessage);
}

// An empty rating and no gender show empty again; Tab goes from "Man" to the
// e-mail field and the arrows to "Vrouw"; a Dutch thousands separator never
// reaches the stored rating.
TEST_F(DialogsTest, PlayerDialogFields) {
  LDlgPlayer none(*app, -1);
  none.name->setText(QStringLiteral("Anna"));
  none.accept();
  EXPECT_EQ(prompter.alerts, std::vector<std::string>{"Selecteer eerst een toernooi."});

  OpenTournament();
  LDlgPlayer dlg(*app, -1);
  dlg.name->setText(QStringLiteral("Anna"));
  dlg.accept();
  std::vector<PlayerRecord> players = Players(db(), app->IdToernooi());
  ASSERT_EQ(players.size(), 1u);
  EXPECT_EQ(std::pair(players[0].rating, players[0].gender), std::pair(0, -1));
  LDlgPlayer again(*app, players[0].id);
  EXPECT_EQ(again.rating->text(), QString());
  EXPECT_FALSE(again.man->isChecked() || again.vrouw->isChecked());
  again.show();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&again));
  again.man->setFocus();
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("anna@ttv.nl"));
  EXPECT_EQ(again.email->text(), QStringLiteral("anna@ttv.nl"));
  again.man->setFocus();
  QTest::keyClick(again.man, Qt::Key_Right);
  EXPECT_TRUE(again.vrouw->hasFocus());
  again.reject();

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

// The class dialog sends "Dubbel" as two players and shows it again; the
// list asks for a choice; the Swiss border shows its default and is stored
// as the core takes it.
TEST_F(DialogsTest, ClassListAndSwissBorderDialogs) {
  OpenTournament();
  LDlgSystem dlg(*app, -1);
  dlg.name->setText(QStringLiteral("Jeugd"));
  dlg.dual->setChecked(true);
  dlg.accept();
  std::vector<SystemRecord> list;
  db().ListSystems(list, app->IdToernooi());
  ASSERT_EQ(list.size(), 1u);
  EXPECT_EQ(list[0].nrPlayers, 2);
  EXPECT_TRUE(LDlgSystem(*app, list[0].id).dual->isChecked());

  LDlgSelectList choose(prompter, {QStringLiteral("Voorjaar"), QStringLiteral("Najaar")});
  choose.accept();
  EXPECT_EQ(prompter.alerts.back(), "Maak een keuze.");
  EXPECT_EQ(choose.result(), QDialog::Rejected);
  choose.List()->setCurrentRow(1);
  choose.accept();
  EXPECT_EQ(std::pair(choose.SelectedText(), choose.SelectedIndex()), std::pair(QStringLiteral("Najaar"), 1));

  LDlgSettingsSwiss swiss(db(), prompter);
  EXPECT_EQ(swiss.border->text(), QStringLiteral("5"));
  swiss.border->setText(QStringLiteral("vijf"));
  swiss.accept();
  EXPECT_EQ(swiss.result(), QDialog::Rejected);
  swiss.border->setText(QStringLiteral(" -40 "));
  swiss.accept();
  EXPECT_EQ(db().GetSetting("SwissBorder"), "-40");
  EXPECT_EQ(LDlgSettingsSwiss(db(), prompter).border->text(), QStringLiteral("-40"));
}

TEST_F(DialogsTest, FontsAndColoursTravelBetweenTextsAndQt) {
  QFont f = FontFromText("Arial,10,400,1,34,0", 96);
  EXPECT_EQ(std::tuple(f.family(), f.pointSize(), f.weight(), f.italic()),
            std::tuple(QStringLiteral("Arial"), 10, QFont::Normal, false));
  QFont bold = FontFromText("Times New Roman,14,700,1,34,1", 96);
  EXPECT_TRUE(bold.bold() && bold.italic());
  EXPECT_EQ(FontToText(bold, 96), "Times New Roman,14,700,1,34,1");
  EXPECT_EQ(FontToText(FontFromText("Verdana,9,400,1,34,0", 120), 120), "Verdana,9,400,1,34,0");
  // Windows keeps red in the low byte.
  EXPECT_EQ(ColorFromWin(16777214), QColor(254, 255, 255));
  EXPECT_EQ(ColorFromWin(16711679), QColor(255, 255, 254));
  EXPECT_EQ(ColorToWin(QColor(1, 2, 3)), 0x030201);

  // The font form stores the chosen font of one sample only, and nothing
  // when the chooser is cancelled.
  LDlgSettingsFont fonts(db());
  EXPECT_EQ(fonts.Sample(1)->font().family(), QStringLiteral("Arial"));
  fonts.chooseFont = [](QFont& font) {
    font = QFont(QStringLiteral("Courier New"), 12, QFont::Bold);
    return true;
  };
  fonts.Change(1);
  EXPECT_EQ(db().GetSetting("InfoFont"), "Courier New,12,700,1,34,0");
  EXPECT_EQ(fonts.Sample(1)->font().pointSize(), 12);
  fonts.chooseFont = [](QFont&) { return false; };
  fonts.Change(0);
  EXPECT_TRUE(db().GetSetting("NavFont").empty());

  // The colour form stores both colours; "Standaard" is not the same as unset.
  LDlgSettingsColors colours(db());
  EXPECT_EQ(ColorToWin(colours.BackgroundColor()), 16777214);
  colours.chooseColor = [](QColor& c) {
    c = QColor(10, 20, 30);
    return true;
  };
  colours.ChangeText();
  colours.accept();
  EXPECT_EQ(db().GetSettingInt("InfoColorText"), ColorToWin(QColor(10, 20, 30)));
  EXPECT_EQ(db().GetSettingInt("InfoColorBackground"), 16777214);
  LDlgSettingsColors standard(db());
  EXPECT_EQ(ColorToWin(standard.TextColor()), ColorToWin(QColor(10, 20, 30)));
  standard.Standard();
  standard.accept();
  EXPECT_EQ(db().GetSettingInt("InfoColorText"), 0);
  EXPECT_EQ(db().GetSettingInt("InfoColorBackground"), 16711679);
}

// The interval goes to the core at every change, and the field shows what
// the core made of it.
TEST_F(DialogsTest, BackupManagementStoresAndAppliesTheIntervalAtOnce) {
  LDlgBackupManagement dlg(db(), prompter);
  EXPECT_EQ(dlg.location->text(), QString::fromStdString(dir.Path()));  // the data folder
  EXPECT_FALSE(dlg.every->isChecked() || dlg.minutes->isEnabled());
  dlg.minutes->setText(QStringLiteral("3"));
  dlg.every->setChecked(true);
  EXPECT_EQ(db().BackupInterval(), 5);
  EXPECT_EQ(dlg.minutes->text(), QStringLiteral("5"));
  EXPECT_TRUE(dlg.minutes->isEnabled());
  dlg.minutes->clear();
  QTest::keyClicks(dlg.minutes, QStringLiteral("30"));
  EXPECT_EQ(db().BackupInterval(), 30);
  dlg.every->setChecked(false);
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

TEST_F(DialogsTest, SimulatedParticipantsAreAddedOrTheDialogIsCancelled) {
  OpenTournament();
  for (auto [count, low, high, accepted] : {std::tuple{"4", "1500", "1000", false}, {"5", "1200", "1200", true}}) {
    LDlgSimAddPlayers dlg(*app);
    dlg.count->setText(QString::fromLatin1(count));
    dlg.minRating->setText(QString::fromLatin1(low));
    dlg.maxRating->setText(QString::fromLatin1(high));
    dlg.duo->setChecked(true);
    dlg.accept();
    EXPECT_EQ(dlg.result() == QDialog::Accepted, accepted) << count;
  }
  std::vector<PlayerRecord> players = Players(db(), app->IdToernooi());
  ASSERT_EQ(players.size(), 5u);
  for (const PlayerRecord& p : players) EXPECT_EQ(p.rating, 1200);
  std::vector<DuoRecord> duos;
  db().ListDuos(duos, app->IdToernooi());
  EXPECT_EQ(duos.size(), 2u);
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
    shortfall = CaptionShortfall(box);
    box->button(QMessageBox::Ok)->click();
  });
  prompter.Alert("Vul de\r\ntafel in");
  EXPECT_EQ(caption, QStringLiteral("Alert"));
  EXPECT_EQ(text, QStringLiteral("Vul de\ntafel in"));
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
