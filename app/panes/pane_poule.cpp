#include "app/panes/pane_poule.h"

#include <QHBoxLayout>
#include <QResizeEvent>
#include <map>

#include "app/pools/dlg_contestants.h"
#include "app/results/enter_result.h"
#include "app/shell/app.h"
#include "app/shell/mainwindow.h"
#include "app/shell/qtext.h"
#include "competition/match_rules.h"
#include "competition/matchbook.h"
#include "competition/positions.h"
#include "competition/poule.h"
#include "competition/swiss_screen.h"
#include "competition/tables.h"
#include "store/database.h"
#include "support/text.h"

namespace velgram {

namespace {

const QColor kDiagonal(192, 192, 192);
const QColor kPlayedText(110, 110, 110);

QString Setting(const char* name, int idToernooi) { return QString::fromLatin1(name) + QString::number(idToernooi); }

}  // namespace

LPanePoule::LPanePoule(CVelgramApp& app, int idPool, QWidget* parent)
    : LPane(app, QStringLiteral("Poule"), parent), idPool_(idPool) {
  AddButton(QStringLiteral("Wijzig Naam, Tafels, Tijden"), [this] { EditPool(); });
  AddButton(QStringLiteral("Spelers toevoegen en verwijderen"), [this] { AddPlayers(); });
  AddButton(QStringLiteral("Koppel met vorig blok"), [this] { LinkPlayers(); });
  QPushButton* start = AddButton(QStringLiteral("Start poule"), [this] { Start(); });
  AddButton(QStringLiteral("Afdrukken Stand"), [this] { PrintStandings(); });
  AddButton(QStringLiteral("Afdrukken Wedstrijden"), [this] { PrintMatches(); });
  // The boxes sit in the row of buttons, after them.
  QWidget* bar = start->parentWidget();
  tablesBox_ = new QCheckBox(QStringLiteral("Tafels"), bar);
  timesBox_ = new QCheckBox(QStringLiteral("Tijden"), bar);
  for (QCheckBox* box : {tablesBox_, timesBox_}) {
    bar->layout()->addWidget(box);
    connect(box, &QCheckBox::clicked, this, [this, box](bool on) {
      Db().SetSettingInt(FromQt(Setting(box == tablesBox_ ? "PouleTables" : "PouleTimes", app_.IdToernooi())),
                         on ? 1 : 0);
      Refresh();
    });
  }
  AddSecondGrid();
  grid_->SetHeaderClickSorts(false);
  grid2_->SetHeaderClickSorts(false);
  grid2_->SetColumns({{QStringLiteral("Spelers")},
                      {QStringLiteral("Wedstrijd")},
                      {QStringLiteral("Uitslag")},
                      {QStringLiteral("Tafel"), SortKind::None, Qt::AlignRight | Qt::AlignVCenter},
                      {QStringLiteral("Tijd"), SortKind::None, Qt::AlignRight | Qt::AlignVCenter}});
  connect(grid2_, &LGrid::rowDoubleClicked, this, [this](int row) { EnterMatch(row); });
  if (CVelgramDlg* w = Main()) connect(w, &CVelgramDlg::dataChanged, this, &LPanePoule::Follow);
  // A result cell of the cross table opens the match it stands for.
  connect(grid_, &LGrid::rowDoubleClicked, this, [this](int row) {
    int col = grid_->currentIndex().column() - kFirstOpponentColumn;
    if (col < 0 || col == row) return;
    int opponent = grid_->RowData(col), self = grid_->RowData(row);
    for (int r = 0; r < grid2_->RowCount(); ++r) {
      MatchRecord m;
      if (!Db().GetMatch(m, grid2_->RowData(r))) continue;
      if ((m.idContestant1 == self && m.idContestant2 == opponent) ||
          (m.idContestant1 == opponent && m.idContestant2 == self)) {
        EnterMatch(r);
        return;
      }
    }
  });
}

// The base places the button row and both lists on a resize; buttons that
// came or went and a cross table of another size need the same.
void LPanePoule::Relayout() {
  QResizeEvent again(size(), size());
  LPane::resizeEvent(&again);
}

void LPanePoule::Refresh() {
  ApplyLook();
  PoolRecord p;
  if (!Db().GetPool(idPool_, p)) {
    grid_->Clear();
    grid2_->Clear();
    return;
  }
  idSystem_ = p.idSystem;
  poolName_ = ToQt(p.name);
  SetTitle(poolName_);

  LinkResolver resolver(Db(), app_.IdToernooi());
  const std::vector<Contestant> positions = resolver.Contestants(idPool_);
  const std::vector<MatchEntry> matches = resolver.Matches(idPool_);
  const std::vector<int> places = resolver.Places(idPool_);
  const std::vector<std::string> explanations = resolver.Explanations(idPool_);
  poolsRead_ = resolver.PoolsRead();

  SetButtons(!matches.empty(), Db().HasEarlierPool(idPool_));
  FillStandings(positions, matches, places, explanations);
  FillMatches(positions, matches);
  Relayout();
}

void LPanePoule::SetButtons(bool started, bool hasEarlierPool) {
  Button(QStringLiteral("Spelers toevoegen en verwijderen"))->setVisible(!started);
  Button(QStringLiteral("Koppel met vorig blok"))->setVisible(!started && hasEarlierPool);
  Button(QStringLiteral("Start poule"))->setVisible(!started);
  QPushButton* edit = Button(QStringLiteral("Wijzig Naam, Tafels, Tijden"));
  if (!edit) edit = Button(QStringLiteral("Wijzig naam"));
  edit->setText(started ? QStringLiteral("Wijzig naam") : QStringLiteral("Wijzig Naam, Tafels, Tijden"));
  QSignalBlocker b1(tablesBox_), b2(timesBox_);
  tablesBox_->setChecked(Db().GetSettingInt(FromQt(Setting("PouleTables", app_.IdToernooi())), 0) != 0);
  timesBox_->setChecked(Db().GetSettingInt(FromQt(Setting("PouleTimes", app_.IdToernooi())), 0) != 0);
}

void LPanePoule::FillStandings(const std::vector<Contestant>& positions, const std::vector<MatchEntry>& matches,
                               const std::vector<int>& places, const std::vector<std::string>& explanations) {
  const int n = static_cast<int>(positions.size());
  std::vector<GridColumn> columns = {{QStringLiteral("Nr."), SortKind::None, Qt::AlignRight | Qt::AlignVCenter},
                                     {QStringLiteral("Speler"), SortKind::None},
                                     {QStringLiteral("Vereniging"), SortKind::None}};
  for (int i = 1; i <= n; ++i) columns.push_back({QString::number(i), SortKind::None, Qt::AlignCenter});
  columns.push_back({QStringLiteral("Gewonnen"), SortKind::None, Qt::AlignRight | Qt::AlignVCenter});
  columns.push_back({QStringLiteral("Stand"), SortKind::None, Qt::AlignRight | Qt::AlignVCenter});
  grid_->SetColumns(columns);

  const PouleCrossTable cross = CrossTableOf(positions, matches);
  const int wonCol = kFirstOpponentColumn + n, standCol = wonCol + 1;
  grid_->BeginUpdate();
  for (int i = 0; i < n; ++i) {
    const Contestant& c = positions[i];
    QStringList row = {QString::number(i + 1), ToQt(c.name), ToQt(c.club)};
    for (int j = 0; j < n; ++j) row << ToQt(cross.cells[i][j]);
    row << (matches.empty() ? QString() : QString::number(cross.wins[i]));
    bool placed = i < static_cast<int>(places.size()) && places[i] >= 0;
    row << (placed ? QString::number(places[i] + 1) : QString());
    grid_->AddRow(row, c.id);
    grid_->SetCellColors(i, kFirstOpponentColumn + i, QColor(), kDiagonal);
    if (placed && i < static_cast<int>(explanations.size()))
      grid_->SetCellTooltip(i, standCol, ToQt(explanations[i]).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
  }
  grid_->EndUpdate();
  grid_->AutoSize();
}

void LPanePoule::FillMatches(const std::vector<Contestant>& positions, const std::vector<MatchEntry>& matches) {
  std::map<int, int> numberOf;
  for (size_t i = 0; i < positions.size(); ++i) numberOf[positions[i].id] = static_cast<int>(i) + 1;
  auto number = [&](int side) {
    auto it = numberOf.find(side);
    return it == numberOf.end() ? QStringLiteral("?") : QString::number(it->second);
  };
  // Names beside the numbers: the director finds a match without counting rows.
  auto name = [&](int side) {
    auto it = numberOf.find(side);
    return it == numberOf.end() ? QStringLiteral("?") : ToQt(positions[static_cast<size_t>(it->second - 1)].name);
  };
  const MatchSystem system = EffectiveMatchSystem(Db(), idPool_);
  grid2_->Clear();
  grid2_->SetColumnHidden(kColTable, !tablesBox_->isChecked());
  grid2_->SetColumnHidden(kColTime, !timesBox_->isChecked());
  grid2_->BeginUpdate();
  for (const MatchEntry& m : matches) {
    int row = grid2_->AddRow({number(m.idContestant1) + QStringLiteral(" - ") + number(m.idContestant2),
                              name(m.idContestant1) + QStringLiteral(" - ") + name(m.idContestant2),
                              ToQt(MatchResultText(m, system)), QString::number(m.tafel),
                              ToQt(FormatTime(m.starttime))},
                             m.id);
    // Played matches step back so that the open ones stand out.
    if (m.indexWinner >= 0) grid2_->SetRowColors(row, kPlayedText, QColor());
  }
  grid2_->EndUpdate();
  grid2_->AutoSize();
}

void LPanePoule::Changed() {
  if (Main()) Main()->NotifyDataChanged();
}

void LPanePoule::EditPool() {
  if (!Main()) return;
  if (Main()->EditPool(idSystem_, idPool_, this) < 0) return;
  // The name shows in the tree too.
  Main()->FillTree();
  Main()->SelectItem(NavType::Pool, idPool_);
  Refresh();
}

void LPanePoule::AddPlayers() {
  LDlgAddContestants dlg(app_, idPool_, kPouleDialogMaximum, this);
  if (dlg.exec() == QDialog::Accepted) Refresh();
}

void LPanePoule::LinkPlayers() {
  LDlgLink dlg(app_, idPool_, kPouleDialogMaximum, this);
  if (dlg.exec() == QDialog::Accepted) Refresh();
}

void LPanePoule::Start() {
  DialogStartWarning warning(this);
  StartOutcome outcome = StartPoule(Db(), Prompt(), idPool_, &warning);
  Refresh();
  if (outcome == StartOutcome::kStarted) Changed();
}

void LPanePoule::PrintStandings() {
  if (Main()) Main()->PrintGrid(grid_, QStringLiteral("PanePoule"), this, poolName_ + QStringLiteral(", Stand"));
}

void LPanePoule::PrintMatches() {
  if (Main())
    Main()->PrintGrid(grid2_, QStringLiteral("PanePouleWedstrijden"), this, poolName_ + QStringLiteral(", Wedstrijden"));
}

void LPanePoule::EnterMatch(int row) {
  int idMatch = grid2_->RowData(row);
  if (idMatch < 1) return;
  // The entry announces its changes to the other windows, this one included.
  if (EnterResult(app_, idMatch, EffectiveMatchSystemId(Db(), idPool_), this) && !Main()) Refresh();
}

void LPanePoule::Follow(const DataChange& change) {
  // A hidden pane is refreshed when the main window shows it again.
  if (!isVisible()) return;
  if (change.kind == ChangeKind::kStructure || change.idPool < 0 || poolsRead_.count(change.idPool)) Refresh();
}

}  // namespace velgram
