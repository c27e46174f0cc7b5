// The dialogs on their own, the message boxes and the font and colour forms:
// what each shows and sends on (the rules: EditsTest.*, Simulation.*, BackupTest.*).
#include <QMessageBox>
#include <QWindow>
#include <QTest>
#include <filesystem>
#include <thread>

#include "app/dialogs/dlg_backup.h"
#include "app/dialogs/dlg_common.h"
#include "app/dialogs/dlg_player.h"
#include "app/dialogs/dlg_settingscolors.h"
#include "app/dialogs/dlg_settingsfont.h"
#include "app/dialogs/dlg_settingsswiss.h"
#include "app/dialogs/dlg_simaddplayers.h"
#include "app/dialogs/dlg_toernooi.h"
#include "app/shell/fonts.h"
#include "app/shell/mainwindow.h"
#include "app/shell/qtprompter.h"
#include "tests/app/dialog_fixture.h"

namespace velgram::testing {
namespace {

using DialogsTest = DialogTest;

// Without a tournament the core refuses; text Windows-1252 cannot hold never
// reaches the core: the dialog stays open. An empty rating and no gender show
// empty again; Tab goes from "Man" to the e-mail field, the arrows to "Vrouw";
// a Dutch thousands separator is read.
TEST_F(DialogsTest, PlayerDialogFieldsAndTextWindows1252CannotHold) {
  LDlgPlayer dlg(*app, -1);
  dlg.name->setText(QStringLiteral("Anna"));
  dlg.accept();
  OpenTournament();
  for (auto [name, club] : {std::pair{QStringLiteral("Ren\u00e9e Lef\u00e8vre"), QStringLiteral("TTV \u2603")},
                            {QStringLiteral("Ren\u00e9e Lef\u00e8vre"), QStringLiteral("")}}) {
    dlg.name->setText(name);
    dlg.club->setEditText(club);
    dlg.accept();
  }
  EXPECT_EQ(dlg.result(), QDialog::Accepted);
  EXPECT_EQ(prompter.alerts, (std::vector<std::string>{"Selecteer eerst een toernooi.", kNotStorableMessage}));
  ASSERT_EQ(Players().size(), 1u);
  const PlayerRecord stored = Players()[0];
  EXPECT_EQ(std::tuple(stored.name, stored.rating, stored.gender), std::tuple(std::string("Ren\xE9" "e Lef\xE8vre"), 0, -1));
  LDlgToernooi t(*app, -1);
  t.NameEdit()->setText(QStringLiteral("Toernooi \U0001F3D3"));
  t.accept();
  EXPECT_EQ(std::pair(t.result(), prompter.alerts.back()), std::pair(int(QDialog::Rejected), std::string(kNotStorableMessage)));
  LDlgPlayer again(*app, stored.id);
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
  const QLocale before;
  QLocale::setDefault(QLocale(QLocale::Dutch, QLocale::Netherlands));
  LDlgPlayer typed(*app, stored.id);
  QTest::keyClicks(typed.rating, QStringLiteral("1.450"));
  typed.accept();
  QLocale::setDefault(before);
  EXPECT_EQ(Players()[0].rating, 1450);
}

// The Swiss border and simulation dialogs send what was entered.
TEST_F(DialogsTest, SwissBorderAndSimulationDialogs) {
  OpenTournament();
  LDlgSettingsSwiss swiss(db(), prompter);
  EXPECT_EQ(swiss.border->text(), QStringLiteral("5"));
  swiss.border->setText(QStringLiteral(" -40 "));
  swiss.accept();
  EXPECT_EQ(db().GetSetting("SwissBorder"), "-40");
  EXPECT_EQ(LDlgSettingsSwiss(db(), prompter).border->text(), QStringLiteral("-40"));
  LDlgSimAddPlayers sim(*app);
  for (auto [field, text] : {std::pair{sim.count, "5"}, {sim.minRating, "1200"}, {sim.maxRating, "1200"}})
    field->setText(QString::fromLatin1(text));
  sim.duo->setChecked(true);
  sim.accept();
  std::vector<DuoRecord> duos;
  db().ListDuos(duos, app->IdToernooi());
  EXPECT_EQ(std::tuple(Players().size(), Players()[4].rating, duos.size()), std::tuple(size_t{5}, 1200, size_t{2}));
}

// A font text read: PanesTest.PlayersAreAddedChangedSortedAndDeletedThroughThePaneInTheChosenLook
// and PrintPreviewTest.ChoicesAreKeptPerListAndMakeThePagesOfThePdf.
TEST_F(DialogsTest, FontsAndColoursTravelBetweenTextsAndQt) {
  // The font form stores the chosen font of one sample, nothing when cancelled.
  LDlgSettingsFont fonts(db());
  EXPECT_EQ(fonts.Sample(1)->font().family(), QStringLiteral("Arial"));
  fonts.chooseFont = [](QFont& font) { return font = QFont(QStringLiteral("Courier New"), 12, QFont::Bold), true; };
  fonts.Change(1);
  EXPECT_EQ(std::pair(db().GetSetting("InfoFont"), fonts.Sample(1)->font().pointSize()),
            std::pair(std::string("Courier New,12,700,1,34,0"), 12));
  fonts.chooseFont = [](QFont&) { return false; };
  fonts.Change(0);
  EXPECT_TRUE(db().GetSetting("NavFont").empty());
  // The colour form stores both colours; "Standaard" is not the same as unset.
  LDlgSettingsColors colours(db());
  EXPECT_EQ(ColorToWin(colours.BackgroundColor()), 16777214);
  colours.chooseColor = [](QColor& c) { return c = QColor(10, 20, 30), true; };
  colours.ChangeText();
  colours.accept();
  auto stored = [&] { return std::pair(db().GetSettingInt("InfoColorText"), db().GetSettingInt("InfoColorBackground")); };
  EXPECT_EQ(stored(), std::pair(0x1E140A, 16777214));  // Windows keeps red in the low byte
  LDlgSettingsColors standard(db());
  EXPECT_EQ(ColorToWin(standard.TextColor()), ColorToWin(QColor(10, 20, 30)));
  standard.Standard();
  standard.accept();
  EXPECT_EQ(stored(), std::pair(0, 16711679));
}

// The interval goes to the core at every change and the field shows what the
// core made of it; a chosen copy is put back and the window reads it again.
// The window's backup command tells where the copy went.
TEST_F(DialogsTest, BackupManagementIntervalRestoreAndTheBackupCommand) {
  LDlgBackupManagement dlg(db(), prompter);
  EXPECT_EQ(dlg.location->text(), QString::fromStdString(dir.Path()));  // the data folder
  EXPECT_FALSE(dlg.every->isChecked() || dlg.minutes->isEnabled());
  dlg.minutes->setText(QStringLiteral("3"));
  dlg.every->setChecked(true);
  EXPECT_EQ(std::tuple(db().BackupInterval(), dlg.minutes->text(), dlg.minutes->isEnabled()),
            std::tuple(5, QStringLiteral("5"), true));
  dlg.every->setChecked(false);
  dlg.onceADay->setChecked(true);
  EXPECT_EQ(std::pair(db().BackupInterval(), db().GetSetting("BackupOnceDay")), std::pair(0, std::string("1")));
  OpenTournament("Voor de backup");
  db().BackupNow();
  int later = OpenTournament("Na de backup");
  db().SetSettingInt("ToernooiID", later);
  auto w = Window();
  ASSERT_EQ(app->IdToernooi(), later);
  prompter.answers = {false, true};  // the first question is declined
  OnModal<LDlgBackupManagement>([&](LDlgBackupManagement* d) {
    EXPECT_FALSE(d->restoreButton->isEnabled());
    d->backups->setCurrentRow(0);
    for (bool answered : {false, true}) {
      d->restoreButton->click();
      EXPECT_EQ(d->Restored(), answered);
    }
    d->accept();
  });
  w->CmdBackupManagement();
  ASSERT_EQ(prompter.alerts.size(), 1u);
  EXPECT_EQ(prompter.alerts[0].rfind("De backup Velgram", 0), 0u) << prompter.alerts[0];
  std::vector<std::pair<int, std::string>> list;
  db().ListToernooien(list);
  EXPECT_EQ(std::pair(list.size(), app->IdToernooi()), std::pair(size_t{1}, list.at(0).first));  // opened what is there now
  w->CmdBackup();
  EXPECT_EQ(prompter.alerts.back().rfind("Backup opgeslagen in\r\n" + db().BackupFolder(), 0), 0u)
      << prompter.alerts.back();
  // No backup folder can be made: the core's error text alone (what the
  // database does then: BackupTest.*).
  ASSERT_TRUE(std::filesystem::remove_all(db().BackupFolder()) > 0);
  WriteFileBytes(db().BackupFolder(), "in de weg");
  w->CmdBackup();
  EXPECT_EQ(prompter.alerts.back(), "FOUT: Kan database niet kopi\xEB" "ren.");
}

// How much narrower a window is than its caption needs: the caption and, on
// the same title bar, the window manager's icon and three buttons, about
// seven text heights (Openbox cut "Alert" to "..." with less).
int CaptionShortfall(const QWidget* w) {
  QFontMetrics fm(QApplication::font("QMdiSubWindowTitleBar"));
  return fm.horizontalAdvance(w->windowTitle()) + 7 * fm.height() - w->width();
}

// A worker thread's message arrives through the event loop.
TEST(QtPrompterTest, AlertAndConfirmAreMessageBoxes) {
  QtPrompter prompter;
  OnModal<QMessageBox>([&](QMessageBox* box) {
    EXPECT_EQ(box->windowTitle() + "|" + box->text(), QStringLiteral("Alert|Vul de\ntafel in"));
    EXPECT_LE(CaptionShortfall(box), 0);
    box->button(QMessageBox::Ok)->click();
  });
  prompter.Alert("Vul de\r\ntafel in");
  // A blank caption, as the window system would show the program's name for none.
  OnModal<QMessageBox>([&](QMessageBox* box) {
    EXPECT_EQ(box->windowTitle() + "|" + box->windowHandle()->title() + "|" + box->button(QMessageBox::Yes)->text() +
                  "|" + box->button(QMessageBox::No)->text(),
              QStringLiteral("| |&Ja|&Nee"));
    box->button(QMessageBox::Yes)->click();
  });
  EXPECT_TRUE(prompter.Confirm("Weet u het zeker?"));
  OnModal<QMessageBox>([](QMessageBox* box) { box->button(QMessageBox::No)->click(); });
  EXPECT_FALSE(prompter.Confirm("Weet u het zeker?"));
  EXPECT_EQ(std::pair(QtPrompter::Clip(std::string(2500, 'x')).size(), QtPrompter::Clip("kort")),
            std::pair(size_t{2000}, std::string("kort")));
  FakePrompter fake;
  std::thread worker([&fake] { PostAlert(fake, "Verbinding mislukt"); });
  worker.join();
  EXPECT_TRUE(fake.alerts.empty());  // not shown from the worker itself
  QApplication::processEvents();
  EXPECT_EQ(fake.alerts, std::vector<std::string>{"Verbinding mislukt"});
}

}  // namespace
}  // namespace velgram::testing
