// Entry at the tables at the desk: the dialog's switches, a lost card's new code, the cards' and slips' addresses.
#include <QCheckBox>
#include <QSpinBox>
#include <QTreeWidget>

#include "app/live/dlg_live.h"
#include "app/live/live_desk.h"
#include "app/panes/pane_matches.h"
#include "app/printing/table_cards.h"
#include "competition/poule.h"
#include "competition/table_entry.h"
#include "tests/app/shell_fixture.h"

namespace velgram::testing {
namespace {

class TableEntryDeskTest : public ShellTest {
 protected:
  void SetUp() override {
    idToernooi = OpenTournament("Open Zaalkampioenschap");
    db().SetSetting("PouleActivateWarning", "No");
    const int pool = AddPool(AddClass("Heren A"), "Poule 1");  // tables 1-2
    for (int i = 1; i <= 4; ++i) Seat(pool, AddPlayer("Speler " + std::to_string(i), 1500, "TTV Hal"));
    ASSERT_EQ(StartPoule(db(), prompter, pool), StartOutcome::kStarted);
    window = Window();
  }
  std::map<int, std::string> Tokens() { return TableTokens(db(), idToernooi); }
  int idToernooi = -1;
  std::unique_ptr<CVelgramDlg> window;
};

TEST_F(TableEntryDeskTest, DialogKeepsTheSwitchesAndRenewsTheSelectedTablesCode) {
  LDlgLive d(*app, window->Live());
  d.port->setValue(18600);
  d.localOnly->setChecked(true);
  d.start->click();
  const int publishes = window->Live().Publishes();
  d.tableEntry->click();
  d.autoAccept->click();
  window->Live().Flush();
  const LiveSettings kept = LiveSettings::Read(db(), idToernooi);
  EXPECT_EQ(std::tuple(kept.on, kept.tableEntry, kept.autoAccept), std::tuple(true, true, true));
  EXPECT_EQ(window->Live().Publishes(), publishes + 1);  // the hall's documents follow the switches
  const std::map<int, std::string> before = Tokens();
  ASSERT_EQ(d.tables->topLevelItemCount(), 2);
  d.tables->topLevelItem(1)->setSelected(true);
  prompter.answers = {false, true};  // the first question declined: nothing changes
  d.renew->click();
  EXPECT_EQ(Tokens(), before);
  d.renew->click();
  EXPECT_EQ(std::pair(Tokens().at(1) == before.at(1), Tokens().at(2) == before.at(2)), std::pair(true, false));
  EXPECT_NE(prompter.questions.at(1).find("tafel 2"), std::string::npos);
  window->Live().Flush();
  EXPECT_EQ(window->Live().Publishes(), publishes + 2);
}

TEST_F(TableEntryDeskTest, SlipsCarryTheirTablesAddressWhileEntryAtTheTablesIsOn) {
  auto* pane = Show<LPaneMatchNotes>(*window, NavType::MatchNotes);
  for (bool on : {false, true}) {
    LiveSettings{false, 18601, true, on, false}.Write(db(), idToernooi);
    const std::vector<MatchSlip> slips = pane->Slips();
    ASSERT_EQ(slips.size(), 6u);
    for (const MatchSlip& s : slips)
      EXPECT_EQ(s.qr, on ? "http://127.0.0.1:18601/t/" + QString::fromStdString(Tokens().at(s.table.toInt())) : "");
  }
}

TEST(TableCards, OneCardPerTableWithItsTokensAddressFourToAPage) {
  const TableCardPages pages(TableCards("Cup", "http://10.0.0.5/", {{9, "e"}, {1, "a"}, {2, "b"}, {3, "c"}, {4, "d"}}));
  QStringList cards;
  for (const TableCard& c : pages.Cards()) cards << QString("%1 %2 %3").arg(c.tafel).arg(c.toernooi, c.address);
  EXPECT_EQ(cards.join(", "), "1 Cup http://10.0.0.5/t/a, 2 Cup http://10.0.0.5/t/b, 3 Cup http://10.0.0.5/t/c, "
                              "4 Cup http://10.0.0.5/t/d, 9 Cup http://10.0.0.5/t/e");
  EXPECT_EQ(pages.PageCount(1000, 1400, 96, {}), 2);
  EXPECT_EQ(TableCardRect(2, 1000, 1400), QRectF(0, 700, 500, 700));
  EXPECT_EQ(TableCardRect(7, 1000, 1400), QRectF(500, 700, 500, 700));
}

}  // namespace
}  // namespace velgram::testing
