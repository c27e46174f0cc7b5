// The round-robin pane: its buttons, and a whole class played from the
// screens up to a final filled through the link dialog.
#include <QDialogButtonBox>
#include <QTest>
#include <set>

#include "app/panes/pane_classes.h"
#include "app/panes/pane_poule.h"
#include "app/pools/dlg_contestants.h"
#include "app/pools/dlg_pool.h"
#include "app/results/dlg_result_fast.h"
#include "competition/match_rules.h"
#include "competition/matchbook.h"
#include "competition/swiss_screen.h"
#include "tests/app/shell_fixture.h"

namespace velgram::testing {
namespace {

class PouleClassTest : public ShellTest {
 protected:
  PouleClassTest() { OpenTournament(); }
  static void Click(QPushButton* b) { QTest::mouseClick(b, Qt::LeftButton); }
  static bool Visible(LPane* pane, const char* button) {
    QPushButton* b = pane->Button(QString::fromUtf8(button));
    return b && !b->isHidden();
  }
  static QPushButton* OkOf(QDialog* d) {
    for (QDialogButtonBox* box : d->findChildren<QDialogButtonBox*>())
      if (QPushButton* ok = box->button(QDialogButtonBox::Ok)) return ok;
    return nullptr;
  }

  // "Toevoegen Poule, Zwitsers, Afval" on the class pane; the new pool's pane.
  LPanePoule* NewPool(CVelgramDlg& w, int cls, const QString& name) {
    auto* classPane = Show<LPaneSystem>(w, NavType::System, cls);
    OnModal<LDlgPool>([name](LDlgPool* d) {
      d->name->setText(name);
      d->style->setCurrentIndex(0);
      d->tables->setText(QStringLiteral("1-2"));
      Click(OkOf(d));
    });
    Click(classPane->Button(QStringLiteral("Toevoegen Poule, Zwitsers, Afval")));
    return dynamic_cast<LPanePoule*>(w.CurrentPane());
  }

  // The players whose names are given, chosen in "Spelers toevoegen".
  void AddPlayers(LPanePoule* pane, const QStringList& names) {
    OnModal<LDlgAddContestants>([names](LDlgAddContestants* d) {
      std::vector<int> rows;
      for (int r = 0; r < d->participants->RowCount(); ++r)
        if (names.contains(d->participants->Cell(r, 0))) rows.push_back(r);
      d->participants->SelectRows(rows);
      Click(d->addButton);
      Click(OkOf(d));
    });
    Click(pane->Button(QStringLiteral("Spelers toevoegen en verwijderen")));
  }

  // Every match of the pane entered on the keypad: the higher rating wins
  // 11-7, 11-9, 11-5 ("<>" turns a game when the second side wins), except
  // that the lowest-rated player of the pool beats the best one.
  void PlayAll(LPanePoule* pane, int idPool) {
    std::map<int, int> rating;
    for (const Contestant& c : LinkResolver(db(), app->IdToernooi()).Contestants(idPool)) rating[c.id] = c.rating;
    const auto [worst, best] = std::minmax_element(rating.begin(), rating.end(),
                                                   [](auto& x, auto& y) { return x.second < y.second; });
    for (int row = 0; row < pane->MatchList()->RowCount(); ++row) {
      const int id = pane->MatchList()->RowData(row);
      const int a = StoredMatch(db(), id).idContestant1, b = StoredMatch(db(), id).idContestant2;
      const bool firstWins = (rating[a] > rating[b]) != (std::set{a, b} == std::set{worst->first, best->first});
      OnModal<LDlgResultFast>([firstWins](LDlgResultFast* d) {
        for (int g = 0; g < 3; ++g) {
          Click(d->KeypadButton(std::vector<int>{7, 9, 5}[g]));
          if (!firstWins) Click(d->Game(g)->ExchangeButton());
        }
        Click(d->OkButton());
      });
      DoubleClick(pane->MatchList(), row);
      ASSERT_EQ(StoredMatch(db(), id).indexWinner, firstWins ? 0 : 1) << "match row " << row;
    }
  }

  // The pane shows what the engine decided (the rules: Standings.*, PouleCrossTable.*, Links.*):
  // one match's cells and result text, every place and one explanation. The
  // names by place.
  QStringList CheckStandings(LPanePoule* pane, int idPool) {
    LinkResolver engine(db(), app->IdToernooi());
    const std::vector<int>& places = engine.Places(idPool);
    LGrid* table = pane->Standings();
    const int n = table->RowCount(), standCol = LPanePoule::kFirstOpponentColumn + n + 1;
    const MatchEntry m = engine.Matches(idPool).front();
    const int a = table->FindRowData(m.idContestant1), b = table->FindRowData(m.idContestant2);
    EXPECT_EQ(table->Cell(a, LPanePoule::kFirstOpponentColumn + b) + table->Cell(b, LPanePoule::kFirstOpponentColumn + a),
              m.indexWinner == 0 ? "10" : "01");
    EXPECT_EQ(pane->MatchList()->Cell(pane->MatchList()->FindRowData(m.id), LPanePoule::kColResult).toStdString(),
              MatchResultText(m, EffectiveMatchSystem(db(), idPool)));
    EXPECT_EQ(table->Model()->index(0, standCol).data(Qt::ToolTipRole).toString().replace("\n", "\r\n").toStdString(),
              engine.Explanations(idPool)[0]);
    QStringList byPlace(n);
    for (int i = 0; i < n; ++i) {
      EXPECT_EQ(table->Cell(i, standCol), QString::number(places[i] + 1)) << i;
      if (places[i] >= 0 && places[i] < n) byPlace[places[i]] = table->Cell(i, 1);
    }
    return byPlace;
  }
};

TEST_F(PouleClassTest, ADirectorPlaysAWholeClassFromTheScreens) {
  int cls = AddClass("Heren");
  const QStringList players = {"Arend", "Bas", "Cees", "Daan"};
  int rating = 1800;
  for (const QString& n : players) AddPlayer(n.toStdString(), rating -= 50, "TTV " + n.toStdString());
  auto w = Window();
  w->resize(1400, 900);
  w->show();

  int changes = 0;
  QObject::connect(w.get(), &CVelgramDlg::dataChanged, [&] { ++changes; });
  LPanePoule* pane = NewPool(*w, cls, QStringLiteral("Poule A"));
  ASSERT_NE(pane, nullptr);
  EXPECT_FALSE(Visible(pane, "Koppel met vorig blok"));  // not for the first pool of its class
  AddPlayers(pane, players);
  ASSERT_EQ(pane->Standings()->RowCount(), 4);
  // The warning first; its box, ticked at the start, keeps it away after (the final's start).
  for (bool start : {false, true}) {
    OnModal<LDlgPouleActivateWarning>([start](LDlgPouleActivateWarning* d) {
      d->dontShowAgain->setChecked(start);
      Click(start ? d->startButton : d->cancelButton);
    });
    const int before = changes;
    EXPECT_TRUE(Visible(pane, "Spelers toevoegen en verwijderen"));
    Click(pane->Button(QStringLiteral("Start poule")));
    EXPECT_EQ(std::tuple(changes - before, pane->MatchList()->RowCount(), db().GetSetting("PouleActivateWarning")),
              start ? std::tuple(1, 6, std::string("No")) : std::tuple(0, 0, std::string()));
  }
  EXPECT_FALSE(Visible(pane, "Start poule") || Visible(pane, "Spelers toevoegen en verwijderen"));
  EXPECT_TRUE(Visible(pane, "Wijzig naam"));
  LGrid* list = pane->MatchList();
  EXPECT_EQ(list->Cell(0, 0) + " " + list->Cell(0, LPanePoule::kColNames), "1 - 4 " + players[0] + " - " + players[3]);
  // Tables and times show while their boxes are ticked, remembered per
  // tournament (the final's list).
  EXPECT_TRUE(list->ColumnHidden(LPanePoule::kColTable) && list->ColumnHidden(LPanePoule::kColTime));
  pane->TablesBox()->click();
  pane->TimesBox()->click();
  const MatchRecord m = StoredMatch(db(), list->RowData(0));
  EXPECT_EQ(list->Cell(0, LPanePoule::kColTable) + " " + list->Cell(0, LPanePoule::kColTime),
            QString("%1 %2:%3").arg(m.tafel).arg(m.starttime / 100).arg(m.starttime % 100, 2, 10, QChar('0')));
  pane->TimesBox()->click();
  const std::string key = std::to_string(app->IdToernooi());
  EXPECT_EQ(db().GetSetting("PouleTables" + key) + db().GetSetting("PouleTimes" + key), "10");
  // Nobody has a place before the last result.
  for (int r = 0; r < 4; ++r) EXPECT_TRUE(pane->Standings()->Cell(r, 8).isEmpty());
  PlayAll(pane, pane->IdPool());
  const QStringList best = CheckStandings(pane, pane->IdPool()).mid(0, 2);

  LPanePoule* final = NewPool(*w, cls, QStringLiteral("Finale"));
  ASSERT_NE(final, nullptr);
  EXPECT_TRUE(Visible(final, "Koppel met vorig blok"));
  OnModal<LDlgLink>([](LDlgLink* d) {
    d->poolList->setCurrentIndex(d->poolList->findText(QStringLiteral("Poule A")));
    d->best->setCurrentIndex(d->best->findText(QStringLiteral("2")));
    Click(d->addBest);
    ASSERT_EQ(d->grid->RowCount(), 2);
    Click(OkOf(d));
  });
  Click(final->Button(QStringLiteral("Koppel met vorig blok")));
  EXPECT_EQ(Column(final->Standings(), 1), best);
  Click(final->Button(QStringLiteral("Start poule")));
  EXPECT_EQ(final->MatchList()->RowCount(), 1);
  EXPECT_FALSE(final->MatchList()->ColumnHidden(LPanePoule::kColTable));
}

}  // namespace
}  // namespace velgram::testing
