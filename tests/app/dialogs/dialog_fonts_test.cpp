// Every dialog at a small and a large font (the desktop's and "InfoFont", as
// a director with poor eyesight sets them): nothing may be cut off.
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QScreen>
#include <QScrollBar>

#include "app/dialogs/dlg_backup.h"
#include "app/dialogs/dlg_clubtrofee.h"
#include "app/dialogs/dlg_duo.h"
#include "app/dialogs/dlg_import.h"
#include "app/dialogs/dlg_player.h"
#include "app/dialogs/dlg_question.h"
#include "app/dialogs/dlg_removeplayers.h"
#include "app/dialogs/dlg_selectclub.h"
#include "app/dialogs/dlg_selectlist.h"
#include "app/dialogs/dlg_settingscolors.h"
#include "app/dialogs/dlg_settingsfont.h"
#include "app/dialogs/dlg_settingsswiss.h"
#include "app/dialogs/dlg_simaddplayers.h"
#include "app/dialogs/dlg_toernooi.h"
#include "app/pools/dlg_matchsystem.h"
#include "app/pools/dlg_pool.h"
#include "app/pools/dlg_system.h"
#include "app/printing/print_preview.h"
#include "app/results/dlg_result_duo.h"
#include "app/results/dlg_result_fast.h"
#include "app/results/dlg_result_games.h"
#include "app/results/dlg_result_sets.h"
#include "app/results/dlg_tabletime.h"
#include "app/shell/qtext.h"
#include "tests/app/dialog_fixture.h"

namespace velgram {
namespace {

// What of the shown dialog does not get the room it asks for.
std::vector<std::string> CutOff(QDialog& dialog) {
  std::vector<std::string> faults;
  for (QWidget* w : dialog.findChildren<QWidget*>()) {
    if (!w->isVisibleTo(&dialog) || w->window() != &dialog) continue;
    // The parts of composite widgets are judged with their whole.
    QWidget* up = w->parentWidget();
    if (qobject_cast<QAbstractSpinBox*>(up) || qobject_cast<QComboBox*>(up) || qobject_cast<QHeaderView*>(w)) continue;
    QSize needs(0, 0);
    const QString what = w->property("text").toString();
    if (auto* label = qobject_cast<QLabel*>(w)) {
      if (what.isEmpty()) continue;
      needs = label->wordWrap() ? QSize(0, label->heightForWidth(label->width())) : label->sizeHint();
    } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
      // A button narrowed on purpose (the game windows' "<>") needs only its text.
      needs = button->sizeHint();
      if (button->maximumWidth() < QWIDGETSIZE_MAX) needs.setWidth(button->fontMetrics().horizontalAdvance(what) + 8);
    } else if (auto* edit = qobject_cast<QLineEdit*>(w)) {
      // A field shows its whole text, or 30 characters of a longer one.
      const QFontMetrics m = edit->fontMetrics();
      needs = {std::min(m.horizontalAdvance(what), 30 * m.averageCharWidth()) + 8, edit->sizeHint().height()};
    } else if (qobject_cast<QComboBox*>(w) || qobject_cast<QAbstractSpinBox*>(w)) {
      needs = {w->minimumSizeHint().width(), w->sizeHint().height()};
    } else if (auto* view = qobject_cast<QAbstractItemView*>(w)) {
      // Every column (or the longest line) in sight without scrolling, unless
      // the list is as wide as a dialog may take of the screen already.
      if (view->horizontalScrollBar()->maximum() > 0) needs = {view->screen()->availableGeometry().width() * 9 / 10, 0};
    }
    if (w->width() < needs.width() || w->height() < needs.height())
      faults.push_back(FromQt(QStringLiteral("%1 \"%2\": %3x%4, needs %5x%6").arg(w->metaObject()->className(), what)
                              .arg(w->width()).arg(w->height()).arg(needs.width()).arg(needs.height())));
  }
  return faults;
}

class DialogFontsTest : public testing::DialogTest {
 protected:
  void SetUp() override {
    idT = OpenTournament("Voorjaarstoernooi Tafeltennisvereniging De Snelle Batjes");
    // Long enough to need more room at 16 points, short enough for 800 pixels.
    idPool = AddPool(idSystem = AddClass("Senioren heren eerste klasse"), "Poule A voorronde");
    for (const char* name : {"Wilhelmina Steenhoven", "Jan-Willem Oosterbroek"})
      Seat(idPool, AddPlayer(name, 1875, "TTV De Snelle Batjes", "A"));
    idMatch = AddMatch(idPool);
    testing::WriteFileBytes(csv, "Wilhelmina van der Steenhoven,Tafeltennisvereniging De Snelle Batjes,NL1234567,V,"
                                 "wilhelmina.vandersteenhoven@voorbeeld.nl,1875,A\r\n");
  }
  void TearDown() override { QApplication::setFont(saved); }
  void UseFontSize(int points) {
    QFont f = saved;
    f.setPointSize(points);
    QApplication::setFont(f);
    for (const char* key : {"NavFont", "InfoFont", "PrintFont"})
      db().SetSetting(key, "Arial," + std::to_string(points) + ",400,1,34,0");
  }
  template <typename D>
  static std::unique_ptr<QDialog> Loaded(std::unique_ptr<D> d) {
    EXPECT_TRUE(d->Load());
    return d;
  }
  int idT = -1, idSystem = -1, idPool = -1, idMatch = -1;
  std::string csv = dir.File("deelnemers.csv");
  QFont saved = QApplication::font();
  LGrid printed;
};

TEST_F(DialogFontsTest, EveryDialogGrowsWithItsFonts) {
  using Make = std::function<std::unique_ptr<QDialog>()>;
  const char* club = "Tafeltennisvereniging De Snelle Batjes";
  PlayerRecord row = Players()[0];
  row.clubName = club;
  std::vector<ClubEntry> clubs;
  db().ListClubs(0, clubs);
  printed.SetColumns({{"Naam"}, {"Vereniging"}, {"Speelsterkte"}});
  printed.AddRow({"Wilhelmina van der Steenhoven", club, "1875"});
  const std::pair<const char*, Make> dialogs[] = {
      {"backup", [&] { return std::make_unique<LDlgBackupManagement>(db(), prompter); }},
      {"club trophy", [&] { return std::make_unique<LDlgClubTrofee>(db(), idT, prompter); }},
      {"duo", [&] { return std::make_unique<LDlgDuo>(*app, 0); }},
      {"import",
       [&] {
         auto d = std::make_unique<LDlgImportPlayers>(db(), idT, prompter);
         d->SetFile(QString::fromStdString(csv));
         return d;
       }},
      {"player", [&] { return std::make_unique<LDlgPlayer>(*app, Players()[0].id); }},
      {"question", [&] { return std::make_unique<LDlgQuestion>("Nieuwe club", "Wat is de naam van de club?", club); }},
      {"remove players",
       [&] { return std::make_unique<LDlgRemovePlayers>(Players(), [](const std::vector<int>&) { return false; }); }},
      {"select club", [&] { return std::make_unique<LDlgSelectClub>(row, clubs, prompter); }},
      {"select list", [&] { return std::make_unique<LDlgSelectList>(prompter, QStringList{club, "Najaarscompetitie"}); }},
      {"colours", [&] { return std::make_unique<LDlgSettingsColors>(db()); }},
      {"fonts", [&] { return std::make_unique<LDlgSettingsFont>(db()); }},
      {"swiss", [&] { return std::make_unique<LDlgSettingsSwiss>(db(), prompter); }},
      {"simulation", [&] { return std::make_unique<LDlgSimAddPlayers>(*app); }},
      {"tournament", [&] { return std::make_unique<LDlgToernooi>(*app, idT); }},
      {"pool", [&] { return std::make_unique<LDlgPool>(*app, idSystem, idPool); }},
      {"class", [&] { return std::make_unique<LDlgSystem>(*app, idSystem); }},
      {"match system", [&] { return std::make_unique<LDlgMatchSystem>(*app, 0); }},
      {"game by game", [&] { return Loaded(std::make_unique<LDlgResultFast>(*app, idMatch, 0)); }},
      {"games won", [&] { return Loaded(std::make_unique<LDlgResultSingleGames>(*app, idMatch, 0)); }},
      {"winner", [&] { return Loaded(std::make_unique<LDlgResultSingleSets>(*app, idMatch, 0)); }},
      {"duo sheet", [&] { return Loaded(std::make_unique<LDlgResultDuoPoints>(*app, idMatch, 0)); }},
      {"table and time", [&] { return std::make_unique<LDlgTableTime>(*app, idMatch); }},
      {"print preview", [&] { return std::make_unique<LDlgPrintPreview>(db(), prompter, printed, "PanePlayers", ""); }},
  };
  for (int points : {8, 16}) {
    UseFontSize(points);
    for (const auto& [name, make] : dialogs) {
      std::unique_ptr<QDialog> dialog = make();
      dialog->show();
      QApplication::processEvents();
      EXPECT_EQ(CutOff(*dialog), std::vector<std::string>{}) << name << " at " << points << " points";
    }
  }
}

}  // namespace
}  // namespace velgram
