// How the main window looks to a director: its narrowest size, the fonts of
// its navigation, and Qt's own texts in Dutch.
#include <QDateTime>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileSystemModel>
#include <QLocale>
#include <QPushButton>
#include <QTest>
#include <QTranslator>
#include <QTreeWidget>

#include "app/shell/mainwindow.h"
#include "app/shell/translations.h"
#include "tests/app/shell_fixture.h"

namespace velgram::testing {
namespace {

class WindowLookTest : public ShellTest {
 protected:
  std::unique_ptr<CVelgramDlg> MakeWindow() {
    auto w = std::make_unique<CVelgramDlg>(*app);
    w->StartTimer().stop();
    return w;
  }
};

TEST_F(WindowLookTest, ANarrowedWindowKeepsAWidthThatIsRestoredAtTheNextStart) {
  OpenTournament();
  auto w = MakeWindow();
  const int scaled = static_cast<int>(w->logicalDpiX() / 96.0 * 50);
  w->show();
  w->resize(800, 150);
  QApplication::processEvents();
  EXPECT_EQ(w->size(), QSize(1000 + scaled, 200 + scaled));  // 1050 by 250 at 96 dots per inch
  w->SavePlacement();
  w.reset();
  auto next = MakeWindow();
  EXPECT_EQ(next->width(), 1000 + scaled);
}

TEST_F(WindowLookTest, NavigationKeepsTheChosenFontAndMakesOnlyTheSelectionHeavier) {
  OpenTournament();
  // A light font and a bold one: the weight is the director's choice.
  const std::pair<const char*, QFont::Weight> fonts[] = {{"Arial,12,300,1,34,0", QFont::Light},
                                                         {"Arial,12,700,1,34,0", QFont::Bold}};
  for (const auto& [text, weight] : fonts) {
    db().SetSetting("NavFont", text);
    auto w = MakeWindow();
    w->FillTree();
    ASSERT_TRUE(w->SelectItem(NavType::Tables));
    QTreeWidgetItem* selected = w->Navigation().Find(NavType::Tables);
    QTreeWidgetItem* other = w->Navigation().Find(NavType::Players);
    EXPECT_EQ(other->font(0).weight(), weight) << text;
    EXPECT_EQ(other->font(0).pointSize(), 12) << text;
    EXPECT_GT(selected->font(0).weight(), weight) << text;
    EXPECT_GE(selected->font(0).weight(), QFont::Bold) << text;
    EXPECT_EQ(selected->font(0).pointSize(), 12) << text;
  }
}

TEST(QtTranslations, QtsFileChooserShowsDutchDates) {
  TempDir dir;
  QFile file(QString::fromStdString(dir.File("spelers.csv")));
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  const QDateTime modified(QDate(2026, 12, 7), QTime(15, 15));
  ASSERT_TRUE(file.setFileTime(modified, QFileDevice::FileModificationTime));
  file.close();
  QFileSystemModel model;  // what the file chooser lists
  model.setRootPath(QString::fromStdString(dir.Path()));
  QModelIndex date = model.index(file.fileName(), 3);
  ASSERT_TRUE(QTest::qWaitFor([&] { return !model.data(date).toString().isEmpty(); }));
  EXPECT_EQ(model.data(date).toString(),
            QLocale(QLocale::Dutch, QLocale::Netherlands).toString(modified, QLocale::ShortFormat));
}

TEST(QtTranslations, QtsOwnButtonsSpeakDutch) {
  const QLocale before;
  ASSERT_TRUE(InstallDutchQtTranslations(*qApp)) << "is qt6-translations-l10n installed?";
  QDialogButtonBox box(QDialogButtonBox::Cancel | QDialogButtonBox::Close | QDialogButtonBox::Yes |
                       QDialogButtonBox::No);
  EXPECT_EQ(box.button(QDialogButtonBox::Cancel)->text(), "Annuleren");
  EXPECT_EQ(box.button(QDialogButtonBox::Close)->text(), "Sluiten");
  EXPECT_EQ(box.button(QDialogButtonBox::Yes)->text().remove('&'), "Ja");
  EXPECT_EQ(box.button(QDialogButtonBox::No)->text().remove('&'), "Nee");
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
