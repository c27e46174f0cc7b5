// The main window: start-up, navigation, panes, tree deletions, commands,
// the remembered placement and Qt's own texts in Dutch.
#include <QDateTime>
#include <QDialogButtonBox>
#include <QKeyEvent>
#include <QLocale>
#include <QTest>
#include <QTranslator>

#include "app/dialogs/dlg_selectlist.h"
#include "app/dialogs/dlg_toernooi.h"
#include "app/panes/pane.h"
#include "app/panes/pane_participants.h"
#include "app/shell/translations.h"
#include "tests/app/shell_fixture.h"

namespace velgram::testing {
namespace {

using MainWindowTest = ShellTest;

TEST_F(MainWindowTest, FirstStartAsksForANewTournamentOpenChoosesByRowChangeRenamesAndStartsOpenTheRememberedOne) {
  {
    auto w = Window(false);
    OnModal<LDlgToernooi>([](LDlgToernooi* d) { d->reject(); });
    w->OpenStartTournament();
    EXPECT_EQ(w->Tree()->topLevelItemCount(), 0);
    w->CmdChange();
    w->CmdSimAddPlayers();
    EXPECT_EQ(prompter.alerts, std::vector<std::string>(2, "Selecteer eerst een toernooi."));
  }
  auto w = Window(false);
  OnModal<LDlgToernooi>([](LDlgToernooi* d) {
    d->NameEdit()->setText(QStringLiteral("Clubkampioenschap"));
    d->accept();
  });
  w->OpenStartTournament();
  ASSERT_TRUE(app->HasToernooi());
  const int first = app->IdToernooi();
  EXPECT_EQ(db().GetSettingInt("ToernooiID"), first);
  EXPECT_EQ(w->windowTitle(), QStringLiteral("Velgram    Clubkampioenschap"));
  QStringList top;
  for (int i = 0; i < w->Tree()->topLevelItemCount(); ++i) top << w->Tree()->topLevelItem(i)->text(0);
  EXPECT_EQ(top, (QStringList{"Deelnemers", "Duo's", "Tafels", "Wedstrijden", "Wedstrijdbriefjes", "Spelklassen"}));
  EXPECT_NE(dynamic_cast<LPanePlayers*>(w->CurrentPane()), nullptr);

  // Open chooses by row: tournaments of one name stay apart.
  db().RenameToernooi(db().AddToernooi("Zomer"), "Clubkampioenschap");
  OnModal<LDlgSelectList>([&](LDlgSelectList* d) {
    ASSERT_EQ(d->List()->count(), 2);
    d->accept();  // a choice first
    EXPECT_EQ(std::pair(prompter.alerts.back(), d->isVisible()), std::pair(std::string("Maak een keuze."), true));
    d->List()->setCurrentRow(1);
    d->accept();
  });
  w->CmdOpen();
  std::vector<std::pair<int, std::string>> list;
  db().ListToernooien(list);
  EXPECT_EQ(app->IdToernooi(), list[1].first);
  EXPECT_EQ(db().GetSettingInt("ToernooiID"), list[1].first);
  OnModal<LDlgToernooi>([](LDlgToernooi* d) {
    d->NameEdit()->setText(QStringLiteral("Nieuw"));
    d->accept();
  });
  w->CmdChange();
  EXPECT_EQ(w->windowTitle(), QStringLiteral("Velgram    Nieuw"));
  // A start opens the remembered tournament; with none remembered, or one
  // that is gone, the newest: never an empty id.
  const int newest = app->IdToernooi();
  for (auto [remembered, expected] : {std::pair{0, newest}, {first, first}, {newest + 10, newest}}) {
    db().SetSettingInt("ToernooiID", remembered);
    Window();
    EXPECT_EQ(app->IdToernooi(), expected) << remembered;
  }
}

TEST_F(MainWindowTest, PlacementIsSavedASecondAfterTheLastChangeAndRestoredOnlyWhenLargeEnough) {
  OpenTournament();
  {
    auto w = Window(false);
    const int scaled = static_cast<int>(w->logicalDpiX() / 96.0 * 50);
    w->show();
    // Enter and Escape do not close it.
    QTest::keyClick(w.get(), Qt::Key_Escape);
    QTest::keyClick(w.get(), Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_TRUE(w->isVisible());
    // Narrowed below its smallest size: 1050 by 250 at 96 dots per inch.
    w->resize(800, 150);
    QApplication::processEvents();
    EXPECT_EQ(w->size(), QSize(1000 + scaled, 200 + scaled));
    w->resize(1234, 567);
    QApplication::processEvents();
    EXPECT_TRUE(db().GetSetting("width").empty());
    QTest::qWait(1200);
    EXPECT_EQ(db().GetSetting("width") + "x" + db().GetSetting("height"), "1234x567");
  }
  for (auto [key, value] : {std::pair{"left", 40}, {"top", 30}, {"width", 1300}, {"height", 700}}) db().SetSettingInt(key, value);
  {
    auto w = Window(false);
    EXPECT_EQ(QRect(w->pos(), w->size()), QRect(40, 30, 1300, 700));
  }
  // Width 1000 is not above 1000: the stored placement is ignored.
  db().SetSettingInt("width", 1000);
  EXPECT_NE(Window(false)->width(), 1000);
}

TEST(AboutText, TheVersionReadsAsAFileVersion) {
  // Build and revision only when set.
  const std::pair<const char*, const char*> cases[] = {
      {"0.1.0", "Velgram, versie 0.1"}, {"2.3.4", "Velgram, versie 2.3.4.0"}, {"1.0.0.7", "Velgram, versie 1.0.0.7"}};
  for (auto [version, text] : cases) EXPECT_EQ(CVelgramDlg::AboutText(QString::fromLatin1(version)), QString::fromLatin1(text));
}

TEST(QtTranslations, QtsOwnDatesAndButtonsSpeakDutch) {
  const QDateTime modified(QDate(2026, 12, 7), QTime(15, 15));
  EXPECT_EQ(QLocale::system().toString(modified, QLocale::ShortFormat),
            QLocale(QLocale::Dutch, QLocale::Netherlands).toString(modified, QLocale::ShortFormat));
  const QLocale before;
  ASSERT_TRUE(InstallDutchQtTranslations(*qApp)) << "is qt6-translations-l10n installed?";
  QStringList texts;
  for (auto button : {QDialogButtonBox::Cancel, QDialogButtonBox::Close, QDialogButtonBox::Yes, QDialogButtonBox::No})
    texts << QDialogButtonBox(button).button(button)->text().remove('&');
  EXPECT_EQ(texts, (QStringList{"Annuleren", "Sluiten", "Ja", "Nee"}));
  EXPECT_EQ(QLocale().language(), QLocale::Dutch);
  // The other tests run as they were.
  for (QTranslator* t : qApp->findChildren<QTranslator*>()) {
    QCoreApplication::removeTranslator(t);
    delete t;
  }
  QLocale::setDefault(before);
}

}  // namespace
}  // namespace velgram::testing
