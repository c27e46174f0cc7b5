#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>

#include "app/dialogs/dlg_common.h"
#include "app/dialogs/dlg_import.h"
#include "app/dialogs/dlg_question.h"
#include "app/dialogs/dlg_removeplayers.h"
#include "app/dialogs/dlg_selectclub.h"
#include "app/widgets/grid.h"
#include "common/fakes.h"
#include "store/database.h"

namespace velgram {
namespace {

using testing::FakePrompter;
using testing::TempDir;

// Answers the modal dialogs that open while a test clicks through a window,
// as a user would: each dialog is handed to the test once. Buttons are
// clicked from the event loop, so that a dialog they open can be answered
// in turn.
class ModalDriver {
 public:
  explicit ModalDriver(std::function<void(QWidget*)> handle) : handle_(std::move(handle)) {
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      QWidget* w = QApplication::activeModalWidget();
      if (!w) return;
      for (const QPointer<QWidget>& seen : seen_)
        if (seen == w) return;
      seen_.push_back(w);
      handle_(w);
    });
    timer_.start(10);
  }
  static void Click(QPushButton* button) {
    ASSERT_NE(button, nullptr);
    QMetaObject::invokeMethod(button, &QPushButton::click, Qt::QueuedConnection);
  }

 private:
  std::function<void(QWidget*)> handle_;
  std::vector<QPointer<QWidget>> seen_;
  QTimer timer_;
};

QListWidgetItem* ItemWithText(QListWidget* list, const QString& text) {
  for (int i = 0; i < list->count(); ++i)
    if (list->item(i)->text() == text) return list->item(i);
  return nullptr;
}

class ImportDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    idToernooi = db.AddToernooi("Clubkampioenschap");
    idAlpha = db.GetOrAddClub("TTV Alpha");
    idJan = AddPlayer("Jan Jansen", "111", 1400, "A");
    idPiet = AddPlayer("Piet Oud", "999", 1100, "B");
    csv = dir.File("deelnemers.csv");
    testing::WriteFileBytes(csv,
                            "Naam,Vereniging,Bondsnummer,Geslacht,Email,Speelsterkte,Klasse\r\n"
                            "Jan Jansen,ttv alpha,111,M,jan@example.nl,1500,A\r\n"
                            "\"Vries, Anna de\",De Smash,222,vrouw,,1200,B\r\n"
                            "Kees Klein,De Smash,333,x,kees@example.nl,abc,C\r\n"
                            "Zonder klasse,TTV Alpha,444,M,z@example.nl,1000,\r\n");
  }

  int AddPlayer(const std::string& name, const std::string& bondsnummer, int rating, const std::string& klasse) {
    PlayerRecord p;
    p.name = name;
    p.idClub = idAlpha;
    p.bondsnummer = bondsnummer;
    p.rating = rating;
    p.klasse = klasse;
    return db.AddPlayer(p, idToernooi);
  }

  const PlayerRecord* Find(const std::vector<PlayerRecord>& list, const std::string& name) {
    for (const PlayerRecord& p : list)
      if (p.name == name) return &p;
    return nullptr;
  }

  TempDir dir;
  Database db{dir.File("Velgram.db")};
  FakePrompter prompter;
  int idToernooi = -1, idAlpha = -1, idJan = -1, idPiet = -1;
  std::string csv;
};

TEST_F(ImportDialogTest, PreviewShowsTheAcceptedRowsOfTheChosenFile) {
  LDlgImportPlayers dialog(db, idToernooi, prompter);
  dialog.SetFile(QString::fromStdString(csv));
  LGrid* grid = dialog.Preview();
  ASSERT_EQ(grid->ColumnCount(), 7);
  EXPECT_EQ(grid->ColumnTitle(3), "M/V");
  EXPECT_EQ(grid->ColumnTitle(6), "E-mailadres");
  // The header line and the line without class are left out.
  ASSERT_EQ(grid->RowCount(), 3);
  EXPECT_EQ(grid->Cell(1, 0), "Vries, Anna de");
  EXPECT_EQ(grid->Cell(1, 1), "De Smash");
  EXPECT_EQ(grid->Cell(0, 3), "M");
  EXPECT_EQ(grid->Cell(1, 3), "V");
  EXPECT_EQ(grid->Cell(2, 3), "?");
  EXPECT_EQ(grid->Cell(2, 4), "0");  // "abc" is no rating
  EXPECT_EQ(grid->Cell(0, 6), "jan@example.nl");
  EXPECT_GT(grid->columnWidth(0), 50);  // sized to the names
  EXPECT_TRUE(prompter.alerts.empty());

  dialog.SetFile(QString::fromStdString(dir.File("bestaat-niet.csv")));
  EXPECT_EQ(grid->RowCount(), 0);
  ASSERT_EQ(prompter.alerts.size(), 1u);
  EXPECT_EQ(prompter.alerts[0], "Kan bestand niet openen");
}

TEST_F(ImportDialogTest, UnknownClubIsAskedOnceAndTheParticipantsAreStored) {
  LDlgImportPlayers dialog(db, idToernooi, prompter);
  dialog.show();
  dialog.SetFile(QString::fromStdString(csv));

  int clubQuestions = 0;
  QString askedFor, questionPrefill;
  QStringList offered, removable;
  ModalDriver driver([&](QWidget* w) {
    if (auto* select = qobject_cast<LDlgSelectClub*>(w)) {
      ++clubQuestions;
      for (QLabel* l : select->findChildren<QLabel*>()) askedFor += l->text() + "|";
      for (int i = 0; i < select->ClubList()->count(); ++i) offered << select->ClubList()->item(i)->text();
      ModalDriver::Click(select->NewClubButton());
    } else if (auto* question = qobject_cast<LDlgQuestion*>(w)) {
      questionPrefill = question->Answer();
      QMetaObject::invokeMethod(question, &QDialog::accept, Qt::QueuedConnection);
    } else if (auto* remove = qobject_cast<LDlgRemovePlayers*>(w)) {
      for (int i = 0; i < remove->PlayerList()->count(); ++i) removable << remove->PlayerList()->item(i)->text();
      ModalDriver::Click(remove->Button("Verwijder geen enkele speler"));
    }
  });
  QTest::mouseClick(dialog.OkButton(), Qt::LeftButton);

  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(clubQuestions, 1);  // Kees's "De Smash" takes Anna's answer
  EXPECT_TRUE(askedFor.contains("Vries, Anna de")) << askedFor.toStdString();
  EXPECT_TRUE(askedFor.contains("De Smash"));
  EXPECT_EQ(offered, QStringList{"TTV Alpha"});  // the clubs of the tournament
  EXPECT_EQ(questionPrefill, "De Smash");
  EXPECT_EQ(removable, QStringList{"Piet Oud (999)"});
  ASSERT_FALSE(prompter.alerts.empty());
  EXPECT_EQ(prompter.alerts.back(), "2 deelnemers toegevoegd.\r\n1 deelnemer gewijzigd.");

  std::vector<PlayerRecord> players;
  db.ListPlayers(players, idToernooi);
  ASSERT_EQ(players.size(), 4u);
  std::vector<ClubEntry> clubs;
  db.ListClubs(0, clubs);
  ASSERT_EQ(clubs.size(), 2u);
  const int idSmash = clubs[0].name == "De Smash" ? clubs[0].id : clubs[1].id;
  ASSERT_NE(Find(players, "Vries, Anna de"), nullptr);
  EXPECT_EQ(Find(players, "Vries, Anna de")->idClub, idSmash);
  EXPECT_EQ(Find(players, "Vries, Anna de")->gender, 0);
  EXPECT_EQ(Find(players, "Kees Klein")->idClub, idSmash);
  EXPECT_EQ(Find(players, "Jan Jansen")->rating, 1500);  // known by his number
  EXPECT_EQ(Find(players, "Piet Oud")->rating, 1100);
}

TEST_F(ImportDialogTest, StoppingAtTheRemovalQuestionLeavesTheDatabaseAsItWas) {
  LDlgImportPlayers dialog(db, idToernooi, prompter);
  dialog.show();
  // Typed, not browsed: OK reads the file first.
  dialog.FileField()->setText(QString::fromStdString(csv));
  ModalDriver driver([&](QWidget* w) {
    if (auto* select = qobject_cast<LDlgSelectClub*>(w)) {
      QListWidgetItem* alpha = ItemWithText(select->ClubList(), "TTV Alpha");
      ASSERT_NE(alpha, nullptr);
      QTest::mouseClick(select->ClubList()->viewport(), Qt::LeftButton, Qt::NoModifier,
                        select->ClubList()->visualItemRect(alpha).center());
      QMetaObject::invokeMethod(select, &LDlgSelectClub::TakeSelected, Qt::QueuedConnection);
    } else if (auto* remove = qobject_cast<LDlgRemovePlayers*>(w)) {
      ModalDriver::Click(remove->Button("Stop het importeren"));
    }
  });
  EXPECT_EQ(dialog.Import(), ImportResult::kStopped);
  EXPECT_EQ(dialog.result(), QDialog::Rejected);
  EXPECT_EQ(dialog.Preview()->RowCount(), 3);

  std::vector<PlayerRecord> players;
  db.ListPlayers(players, idToernooi);
  EXPECT_EQ(players.size(), 2u);
  EXPECT_EQ(Find(players, "Jan Jansen")->rating, 1400);
  std::vector<ClubEntry> clubs;
  db.ListClubs(0, clubs);
  EXPECT_EQ(clubs.size(), 1u);
}

TEST_F(ImportDialogTest, SelectedMissingPlayersAreRemovedAfterConfirmation) {
  LDlgImportPlayers dialog(db, idToernooi, prompter);
  dialog.show();
  testing::WriteFileBytes(csv, "Jan Jansen,TTV Alpha,111,M,,0,A\n");
  dialog.SetFile(QString::fromStdString(csv));
  ASSERT_EQ(dialog.Rows().size(), 1u);
  QString alertWhileOpen;
  ModalDriver driver([&](QWidget* w) {
    if (auto* remove = qobject_cast<LDlgRemovePlayers*>(w)) {
      // Nothing selected: told so, and the dialog stays.
      remove->RemoveSelected();
      alertWhileOpen = QString::fromStdString(prompter.alerts.empty() ? "" : prompter.alerts.back());
      EXPECT_TRUE(remove->isVisible());
      remove->SelectAll();
      ModalDriver::Click(remove->Button("Verwijder de geselecteerde spelers"));
    }
  });
  EXPECT_EQ(dialog.Import(), ImportResult::kImported);
  EXPECT_EQ(alertWhileOpen, "Selecteer de spelers die u wilt verwijderen.");
  ASSERT_EQ(prompter.questions.size(), 1u);
  EXPECT_EQ(prompter.questions[0], "Weet u zeker, dat u 1 deelnemer wilt verwijderen?");
  EXPECT_EQ(prompter.alerts.back(), "Geen deelnemers toegevoegd.\r\n1 deelnemer gewijzigd.");
  PlayerRecord piet;
  db.GetPlayer(piet, idPiet);
  EXPECT_TRUE(piet.name.empty());
  std::vector<PlayerRecord> players;
  db.ListPlayers(players, idToernooi);
  ASSERT_EQ(players.size(), 1u);
  EXPECT_EQ(players[0].rating, 1400);  // a rating of 0 leaves the stored one
}

TEST_F(ImportDialogTest, WithoutTournamentOkSaysSoAndStaysOpen) {
  LDlgImportPlayers dialog(db, -1, prompter);
  dialog.SetFile(QString::fromStdString(csv));
  EXPECT_EQ(dialog.Import(), ImportResult::kNoTournament);
  EXPECT_EQ(prompter.alerts, std::vector<std::string>{"Selecteer eerst een toernooi."});
  EXPECT_EQ(dialog.result(), 0);
}

TEST_F(ImportDialogTest, SelectClubInsistsOnALineAndOnAStorableNewName) {
  PlayerRecord row;
  row.name = "Anna";
  row.clubName = "De Smash";
  std::vector<ClubEntry> clubs{{idAlpha, "TTV Alpha"}, {77, "TTV Beta"}};
  LDlgSelectClub dialog(row, clubs, prompter);
  dialog.TakeSelected();
  EXPECT_EQ(prompter.alerts, std::vector<std::string>{"Selecteer een vereniging in de lijst"});
  EXPECT_NE(dialog.result(), QDialog::Accepted);

  EXPECT_FALSE(dialog.TakeNewClub(QString::fromUtf8("Smash \xE6\xBC\xA2")));  // a character 1252 lacks
  EXPECT_EQ(prompter.alerts.back(), kNotStorableMessage);
  EXPECT_FALSE(dialog.TakeNewClub("   "));
  EXPECT_NE(dialog.result(), QDialog::Accepted);
  EXPECT_TRUE(
      dialog.TakeNewClub(QString::fromUtf8("  Smash Z\xC3\xBC"
                                           "rich ")));
  EXPECT_EQ(dialog.Choice().kind, ClubChoice::kNew);
  EXPECT_EQ(dialog.Choice().newName, "Smash Z\xFCrich");  // stored as Windows-1252

  LDlgSelectClub second(row, clubs, prompter);
  second.show();
  QListWidgetItem* beta = ItemWithText(second.ClubList(), "TTV Beta");
  ASSERT_NE(beta, nullptr);
  const QPoint at = second.ClubList()->visualItemRect(beta).center();
  QTest::mouseClick(second.ClubList()->viewport(), Qt::LeftButton, Qt::NoModifier, at);
  QTest::mouseDClick(second.ClubList()->viewport(), Qt::LeftButton, Qt::NoModifier, at);
  EXPECT_EQ(second.result(), QDialog::Accepted);
  EXPECT_EQ(second.Choice().kind, ClubChoice::kExisting);
  EXPECT_EQ(second.Choice().idClub, 77);
}

}  // namespace
}  // namespace velgram
