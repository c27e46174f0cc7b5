// The import dialog: what it shows of the file, and the questions of a whole
// import answered as a user does. How lines are read and stored: tests/exchange.
#include <QLabel>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QTest>

#include "app/dialogs/dlg_common.h"
#include "app/dialogs/dlg_import.h"
#include "app/dialogs/dlg_question.h"
#include "app/dialogs/dlg_removeplayers.h"
#include "app/dialogs/dlg_selectclub.h"
#include "tests/app/dialog_fixture.h"

namespace velgram::testing {
namespace {

// Hands each modal dialog that opens to the test once. Buttons are clicked
// from the event loop, so that a dialog they open can be answered in turn.
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

class ImportDialogTest : public DialogTest {
 protected:
  ImportDialogTest() {
    idToernooi = OpenTournament();
    for (auto [name, number] : {std::pair{"Jan Jansen", "111"}, {"Piet Oud", "999"}})
      AddPlayer(name, 1400, "TTV Alpha", "A", number);
    WriteFileBytes(csv, "Naam,Vereniging,Bondsnummer,Geslacht,Email,Speelsterkte,Klasse\r\n"
                        "Jan Jansen,ttv alpha,111,M,jan@example.nl,1500,A\r\n"
                        "\"Vries, Anna de\",De Smash,222,vrouw,,1200,B\r\n"
                        "Kees Klein,De Smash,333,x,kees@example.nl,abc,C\r\n");
  }
  std::vector<ClubEntry> Clubs() {
    std::vector<ClubEntry> clubs;
    db().ListClubs(0, clubs);
    return clubs;
  }
  std::unique_ptr<LDlgImportPlayers> Dialog(int idT) {
    auto d = std::make_unique<LDlgImportPlayers>(db(), idT, prompter);
    d->show();
    d->SetFile(QString::fromStdString(csv));
    return d;
  }
  int idToernooi = -1;
  std::string csv = dir.File("deelnemers.csv");
};

// A whole import: the preview shows the rows the core read and names the
// separator it found; the unknown club is asked once, the new name prefilled,
// Piet (not in the file) offered for removal and kept; the report closes the
// dialog. A file the core refuses is told and keeps the dialog open.
TEST_F(ImportDialogTest, PreviewThenTheUnknownClubIsAskedOnceAndTheParticipantsAreStored) {
  auto dialog = Dialog(idToernooi);
  LGrid* grid = dialog->Preview();
  ASSERT_EQ(std::pair(grid->ColumnCount(), grid->RowCount()), std::pair(7, 3));
  EXPECT_EQ(grid->ColumnTitle(3) + "|" + grid->ColumnTitle(6), "M/V|E-mailadres");
  EXPECT_EQ(RowText(*grid, 1), "Vries, Anna de|De Smash|222|V|1200|B|");
  EXPECT_EQ(dialog->SeparatorLabel()->text(), "Gelezen scheidingsteken: komma");  // which: ParseImportText.*
  QString askedFor, questionPrefill;
  QStringList offered, removable;
  ModalDriver driver([&](QWidget* w) {
    if (auto* select = qobject_cast<LDlgSelectClub*>(w)) {
      for (QLabel* l : select->findChildren<QLabel*>()) askedFor += l->text() + "|";
      for (int i = 0; i < select->ClubList()->count(); ++i) offered << select->ClubList()->item(i)->text();
      // It wants a line or a name Windows-1252 can hold.
      select->TakeSelected();
      EXPECT_FALSE(select->TakeNewClub(QString::fromUtf8("Smash \xE6\xBC\xA2")) || select->TakeNewClub("   "));
      ModalDriver::Click(select->NewClubButton());
    } else if (auto* question = qobject_cast<LDlgQuestion*>(w)) {
      questionPrefill = question->Answer();
      question->AnswerEdit()->setText(QString::fromUtf8("  De Smash Z\xC3\xBCrich "));
      QMetaObject::invokeMethod(question, &QDialog::accept, Qt::QueuedConnection);
    } else if (auto* remove = qobject_cast<LDlgRemovePlayers*>(w)) {
      for (int i = 0; i < remove->PlayerList()->count(); ++i) removable << remove->PlayerList()->item(i)->text();
      ModalDriver::Click(remove->Button("Verwijder geen enkele speler"));
    }
  });
  QTest::mouseClick(dialog->OkButton(), Qt::LeftButton);
  EXPECT_EQ(dialog->result(), QDialog::Accepted);
  EXPECT_TRUE(askedFor.contains("Vries, Anna de") && askedFor.contains("De Smash")) << askedFor.toStdString();
  EXPECT_EQ(std::tuple(offered, questionPrefill, removable),
            std::tuple(QStringList{"TTV Alpha"}, QString("De Smash"), QStringList{"Piet Oud (999)"}));  // asked once
  EXPECT_EQ(prompter.alerts, (std::vector<std::string>{"Selecteer een vereniging in de lijst", kNotStorableMessage,
                                                       "Geef de naam van de club op.", "2 deelnemers toegevoegd.\r\n1 deelnemer gewijzigd."}));
  ASSERT_EQ(std::pair(Players().size(), Clubs().size()), std::pair(size_t{4}, size_t{2}));
  EXPECT_EQ(Clubs()[0].name + "|" + Clubs()[1].name, "De Smash Z\xFCrich|TTV Alpha");  // stored as Windows-1252
  // Which files the core refuses: ImportPlayers.*. No removal question either.
  WriteFileBytes(csv, "Naam|Vereniging|Bondsnummer\r\nJan|TTV|1\r\n");
  auto refused = Dialog(idToernooi);
  EXPECT_EQ(refused->Import(), ImportResult::kNoRows);
  EXPECT_EQ(std::tuple(prompter.alerts.back(), refused->isVisible(), Players().size(), removable.size()),
            std::tuple(std::string("Het bestand bevat geen spelers."), true, size_t{4}, qsizetype{1}));
}

// A typed file is read at OK; "Stop het importeren" leaves the database as it
// was. Another import removes the selected missing players, none unselected.
TEST_F(ImportDialogTest, StoppingOrRemovingAtTheRemovalQuestion) {
  LDlgImportPlayers dialog(db(), idToernooi, prompter);
  dialog.show();
  dialog.FileField()->setText(QString::fromStdString(csv));
  bool stop = true, stayed = false;
  ModalDriver driver([&](QWidget* w) {
    if (auto* select = qobject_cast<LDlgSelectClub*>(w)) {
      // A double click on the only club, TTV Alpha, takes it.
      QListWidget* list = select->ClubList();
      const QPoint at = list->visualItemRect(list->item(0)).center();
      QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, at);
      QTest::mouseDClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    } else if (auto* remove = qobject_cast<LDlgRemovePlayers*>(w)) {
      if (!stop) {
        remove->RemoveSelected();
        stayed = remove->isVisible();
        remove->SelectAll();
      }
      ModalDriver::Click(remove->Button(stop ? "Stop het importeren" : "Verwijder de geselecteerde spelers"));
    }
  });
  EXPECT_EQ(dialog.Import(), ImportResult::kStopped);
  EXPECT_EQ(std::tuple(dialog.result(), dialog.Preview()->RowCount(), Players().size(), Players()[0].rating,
                       Clubs().size()),
            std::tuple(QDialog::Rejected, 3, size_t{2}, 1400, size_t{1}));
  stop = false;
  WriteFileBytes(csv, "Jan Jansen,TTV Alpha,111,M,,0,A\n");
  auto second = Dialog(idToernooi);
  EXPECT_EQ(second->Import(), ImportResult::kImported);
  EXPECT_TRUE(stayed);
  EXPECT_EQ(prompter.alerts.front(), "Selecteer de spelers die u wilt verwijderen.");
  EXPECT_EQ(prompter.questions, std::vector<std::string>{"Weet u zeker, dat u 1 deelnemer wilt verwijderen?"});
  EXPECT_EQ(Players().size(), 1u);
}

}  // namespace
}  // namespace velgram::testing
