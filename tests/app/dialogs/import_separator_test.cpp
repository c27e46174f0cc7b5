// The import dialog with files as spreadsheets write them.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QTimer>

#include "app/dialogs/dlg_import.h"
#include "app/dialogs/dlg_removeplayers.h"
#include "app/widgets/grid.h"
#include "common/fakes.h"
#include "store/database.h"

namespace velgram {
namespace {

class ImportSeparatorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    idToernooi = db.AddToernooi("Clubkampioenschap");
    PlayerRecord p;
    p.name = "Piet Oud";
    p.idClub = db.GetOrAddClub("TTV Alpha");
    db.AddPlayer(p, idToernooi);
  }
  testing::TempDir dir;
  Database db{dir.File("Velgram.db")};
  testing::FakePrompter prompter;
  int idToernooi = -1;
};

TEST_F(ImportSeparatorTest, TheDialogTellsTheSeparatorItReadTheFileWith) {
  const std::pair<const char*, const char*> files[] = {
      {"Naam;Vereniging;Bondsnummer;Geslacht;Email;Speelsterkte;Klasse\r\nVries, Anna de;TTV Alpha;2;V;;1200;B\r\n",
       "Gelezen scheidingsteken: puntkomma"},
      {"Vries, Anna de\tTTV Alpha\t2\tV\t\t1200\tB\r\n", "Gelezen scheidingsteken: tab"},
      {"\"Vries, Anna de\",TTV Alpha,2,V,,1200,B\r\n", "Gelezen scheidingsteken: komma"},
  };
  for (const auto& [content, told] : files) {
    testing::WriteFileBytes(dir.File("lijst.csv"), content);
    LDlgImportPlayers dialog(db, idToernooi, prompter);
    dialog.SetFile(QString::fromStdString(dir.File("lijst.csv")));
    ASSERT_EQ(dialog.Preview()->RowCount(), 1) << content;
    EXPECT_EQ(dialog.Preview()->Cell(0, 0), "Vries, Anna de");
    EXPECT_EQ(dialog.Preview()->Cell(0, 1), "TTV Alpha");
    EXPECT_EQ(dialog.SeparatorLabel()->text(), told);
  }
}

TEST_F(ImportSeparatorTest, AFileWithoutParticipantsIsToldAndOffersNobodyForRemoval) {
  testing::WriteFileBytes(dir.File("leeg.csv"), "Naam|Vereniging|Bondsnummer\r\nJan|TTV|1\r\n");
  LDlgImportPlayers dialog(db, idToernooi, prompter);
  dialog.show();
  dialog.SetFile(QString::fromStdString(dir.File("leeg.csv")));
  bool removalAsked = false;
  QTimer guard;
  QObject::connect(&guard, &QTimer::timeout, [&] {
    if (auto* remove = qobject_cast<LDlgRemovePlayers*>(QApplication::activeModalWidget())) {
      removalAsked = true;
      remove->reject();
    }
  });
  guard.start(10);
  EXPECT_EQ(dialog.Import(), ImportResult::kNoRows);
  EXPECT_FALSE(removalAsked);
  EXPECT_EQ(prompter.alerts, std::vector<std::string>{"Het bestand bevat geen spelers."});
  EXPECT_TRUE(dialog.isVisible());  // another file can be chosen
  std::vector<PlayerRecord> players;
  db.ListPlayers(players, idToernooi);
  EXPECT_EQ(players.size(), 1u);
}

}  // namespace
}  // namespace velgram
