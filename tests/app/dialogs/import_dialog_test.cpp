// The import dialog with files as spreadsheets write them: what it shows of
// the file, and the questions of a whole import answered as a user does. How
// lines are read and how rows are stored: tests/exchange.
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

void ClickItem(QListWidget* list, const QString& text, bool twice = false) {
  for (int i = 0; i < list->count(); ++i) {
    if (list->item(i)->text() != text) continue;
    const QPoint at = list->visualItemRect(list->item(i)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    if (twice) QTest::mouseDClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    return;
  }
  ADD_FAILURE() << "no line " << text.toStdString();
}

class ImportDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    idToernooi = db.AddToernooi("Clubkampioenschap");
    idAlpha = db.GetOrAddClub("TTV Alpha");
    for (auto [name, number] : {std::pair{"Jan Jansen", "111"}, {"Piet Oud", "999"}}) {
      PlayerRecord p;
      p.name = name;
      p.idClub = idAlpha;
      p.bondsnummer = number;
      p.rating = 1400;
      p.klasse = "A";
      idPiet = db.AddPlayer(p, idToernooi);
    }
    csv = dir.File("deelnemers.csv");
    testing::WriteFileBytes(csv,
                            "Naam,Vereniging,Bondsnummer,Geslacht,Email,Speelsterkte,Klasse\r\n"
                            "Jan Jansen,ttv alpha,111,M,jan@example.nl,1500,A\r\n"
                            "\"Vries, Anna de\",De Smash,222,vrouw,,1200,B\r\n"
                            "Kees Klein,De Smash,333,x,kees@example.nl,abc,C\r\n");
  }

  std::vector<PlayerRecord> Players() {
    std::vector<PlayerRecord> list;
    db.ListPlayers(list, idToernooi);
    return list;
  }
  std::vector<ClubEntry> Clubs() {
    std::vector<ClubEntry> clubs;
    db.ListClubs(0, clubs);
    return clubs;
  }

  TempDir dir;
  Database db{dir.File("Velgram.db")};
  FakePrompter prompter;
  int idToernooi = -1, idAlpha = -1, idPiet = -1;
  std::string csv;
};

// The preview shows the rows the core read, under the dialog's titles, and
// names the separator it found.
TEST_F(ImportDialogTest, PreviewShowsTheRowsAndTheSeparatorOfTheChosenFile) {
  LDlgImportPlayers dialog(db, idToernooi, prompter);
  dialog.SetFile(QString::fromStdString(csv));
  LGrid* grid = dialog.Preview();
  ASSERT_EQ(grid->ColumnCount(), 7);
  EXPECT_EQ(grid->ColumnTitle(3) + "|" + grid->ColumnTitle(6), "M/V|E-mailadres");
  ASSERT_EQ(grid->RowCount(), 3);
  QStringList row;
  for (int c = 0; c < 7; ++c) row << grid->Cell(1, c);
  EXPECT_EQ(row, (QStringList{"Vries, Anna de", "De Smash", "222", "V", "1200", "B", ""}));
  EXPECT_GT(grid->columnWidth(0), 50);  // sized to the names
  EXPECT_EQ(dialog.SeparatorLabel()->text(), "Gelezen scheidingsteken: komma");

  for (auto [content, told] : {std::pair{"Vries, Anna de;TTV Alpha;2;V;;1200;B\r\n", "puntkomma"},
                               {"Vries, Anna de\tTTV Alpha\t2\tV\t\t1200\tB\r\n", "tab"}}) {
    testing::WriteFileBytes(csv, content);
    dialog.SetFile(QString::fromStdString(csv));
    ASSERT_EQ(grid->RowCount(), 1) << told;
    EXPECT_EQ(grid->Cell(0, 0) + "|" + grid->Cell(0, 1), "Vries, Anna de|TTV Alpha");
    EXPECT_EQ(dialog.SeparatorLabel()->text(), QString("Gelezen scheidingsteken: ") + told);
  }
  EXPECT_TRUE(prompter.alerts.empty());
  dialog.SetFile(QString::fromStdString(dir.File("bestaat-niet.csv")));
  EXPECT_EQ(grid->RowCount(), 0);
  EXPECT_EQ(prompter.alerts, std::vector<std::string>{"Kan bestand niet openen"});
}

// The core's refusals are told and the dialog stays open for another file,
// without a removal question.
TEST_F(ImportDialogTest, AnImportTheCoreRefusesLeavesTheDialogOpen) {
  struct Case {
    int idToernooi;
    const char* content;
    ImportResult result;
    const char* told;
  } cases[] = {
      {-1, nullptr, ImportResult::kNoTournament, "Selecteer eerst een toernooi."},
      {idToernooi, "Naam|Vereniging|Bondsnummer\r\nJan|TTV|1\r\n", ImportResult::kNoRows,
       "Het bestand bevat geen spelers."},
  };
  int removals = 0;
  ModalDriver driver([&](QWidget* w) {
    if (auto* remove = qobject_cast<LDlgRemovePlayers*>(w)) {
      ++removals;
      QMetaObject::invokeMethod(remove, &QDialog::reject, Qt::QueuedConnection);
    }
  });
  for (const Case& c : cases) {
    SCOPED_TRACE(c.told);
    prompter.alerts.clear();
    if (c.content) testing::WriteFileBytes(csv, c.content);
    LDlgImportPlayers dialog(db, c.idToernooi, prompter);
    dialog.show();
    dialog.SetFile(QString::fromStdString(csv));
    EXPECT_EQ(dialog.Import(), c.result);
    EXPECT_EQ(prompter.alerts, std::vector<std::string>{c.told});
    EXPECT_TRUE(dialog.isVisible());
  }
  EXPECT_EQ(removals, 0);
  EXPECT_EQ(Players().size(), 2u);
}

// A whole import: the unknown club is asked once with the tournament's clubs
// on offer, the new name is prefilled, Piet (not in the file) is offered for
// removal and kept, and the core's report closes the dialog.
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
  EXPECT_EQ(clubQuestions, 1);
  EXPECT_TRUE(askedFor.contains("Vries, Anna de") && askedFor.contains("De Smash")) << askedFor.toStdString();
  EXPECT_EQ(offered, QStringList{"TTV Alpha"});
  EXPECT_EQ(questionPrefill, "De Smash");
  EXPECT_EQ(removable, QStringList{"Piet Oud (999)"});
  EXPECT_EQ(prompter.alerts, std::vector<std::string>{"2 deelnemers toegevoegd.\r\n1 deelnemer gewijzigd."});
  std::vector<ClubEntry> clubs = Clubs();
  ASSERT_EQ(clubs.size(), 2u);
  const int idSmash = clubs[0].name == "De Smash" ? clubs[0].id : clubs[1].id;
  int inSmash = 0;
  for (const PlayerRecord& p : Players()) inSmash += p.idClub == idSmash;
  EXPECT_EQ(Players().size(), 4u);
  EXPECT_EQ(inSmash, 2);
}

// Typed, not browsed, the file is read at OK; a club chosen from the list,
// then "Stop het importeren": the database stays as it was.
TEST_F(ImportDialogTest, StoppingAtTheRemovalQuestionLeavesTheDatabaseAsItWas) {
  LDlgImportPlayers dialog(db, idToernooi, prompter);
  dialog.show();
  dialog.FileField()->setText(QString::fromStdString(csv));
  ModalDriver driver([&](QWidget* w) {
    if (auto* select = qobject_cast<LDlgSelectClub*>(w)) {
      ClickItem(select->ClubList(), "TTV Alpha");
      QMetaObject::invokeMethod(select, &LDlgSelectClub::TakeSelected, Qt::QueuedConnection);
    } else if (auto* remove = qobject_cast<LDlgRemovePlayers*>(w)) {
      ModalDriver::Click(remove->Button("Stop het importeren"));
    }
  });
  EXPECT_EQ(dialog.Import(), ImportResult::kStopped);
  EXPECT_EQ(dialog.result(), QDialog::Rejected);
  EXPECT_EQ(dialog.Preview()->RowCount(), 3);
  EXPECT_EQ(Players().size(), 2u);
  EXPECT_EQ(Players()[0].rating, 1400);
  EXPECT_EQ(Clubs().size(), 1u);
}

// "Verwijder de geselecteerde spelers" with nothing selected keeps the
// dialog; with all selected, the core asks and removes.
TEST_F(ImportDialogTest, SelectedMissingPlayersAreRemovedAfterConfirmation) {
  LDlgImportPlayers dialog(db, idToernooi, prompter);
  dialog.show();
  testing::WriteFileBytes(csv, "Jan Jansen,TTV Alpha,111,M,,0,A\n");
  dialog.SetFile(QString::fromStdString(csv));
  bool stayed = false;
  ModalDriver driver([&](QWidget* w) {
    if (auto* remove = qobject_cast<LDlgRemovePlayers*>(w)) {
      remove->RemoveSelected();
      stayed = remove->isVisible();
      remove->SelectAll();
      ModalDriver::Click(remove->Button("Verwijder de geselecteerde spelers"));
    }
  });
  EXPECT_EQ(dialog.Import(), ImportResult::kImported);
  EXPECT_TRUE(stayed);
  EXPECT_EQ(prompter.alerts.front(), "Selecteer de spelers die u wilt verwijderen.");
  EXPECT_EQ(prompter.questions, std::vector<std::string>{"Weet u zeker, dat u 1 deelnemer wilt verwijderen?"});
  PlayerRecord piet;
  db.GetPlayer(piet, idPiet);
  EXPECT_TRUE(piet.name.empty());
  EXPECT_EQ(Players().size(), 1u);
}

// The club question wants a line or a name Windows-1252 can hold; a double
// click takes the line.
TEST_F(ImportDialogTest, SelectClubInsistsOnALineAndOnAStorableNewName) {
  PlayerRecord row;
  row.name = "Anna";
  row.clubName = "De Smash";
  std::vector<ClubEntry> clubs{{idAlpha, "TTV Alpha"}, {77, "TTV Beta"}};
  LDlgSelectClub dialog(row, clubs, prompter);
  dialog.TakeSelected();
  EXPECT_EQ(prompter.alerts, std::vector<std::string>{"Selecteer een vereniging in de lijst"});
  EXPECT_FALSE(dialog.TakeNewClub(QString::fromUtf8("Smash \xE6\xBC\xA2")));
  EXPECT_EQ(prompter.alerts.back(), kNotStorableMessage);
  EXPECT_FALSE(dialog.TakeNewClub("   "));
  EXPECT_NE(dialog.result(), QDialog::Accepted);
  EXPECT_TRUE(dialog.TakeNewClub(QString::fromUtf8("  Smash Z\xC3\xBCrich ")));
  EXPECT_EQ(dialog.Choice().kind, ClubChoice::kNew);
  EXPECT_EQ(dialog.Choice().newName, "Smash Z\xFCrich");  // stored as Windows-1252

  LDlgSelectClub second(row, clubs, prompter);
  second.show();
  ClickItem(second.ClubList(), "TTV Beta", true);
  EXPECT_EQ(second.result(), QDialog::Accepted);
  EXPECT_EQ(std::pair(second.Choice().kind, second.Choice().idClub), std::pair(ClubChoice::kExisting, 77));
}

}  // namespace
}  // namespace velgram
