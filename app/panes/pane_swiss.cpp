#include "app/panes/pane_swiss.h"

#include <QHBoxLayout>
#include <QInputDialog>
#include <QResizeEvent>
#include <QScrollBar>
#include <QTimer>
#include <algorithm>
#include <map>

#include "app/dialogs/dlg_shuffle.h"
#include "app/pools/dlg_contestants.h"
#include "app/results/enter_result.h"
#include "app/shell/app.h"
#include "app/shell/mainwindow.h"
#include "app/shell/qtext.h"
#include "app/widgets/flow_layout.h"
#include "competition/match_rules.h"
#include "competition/matchbook.h"
#include "competition/poule.h"
#include "competition/swiss_screen.h"
#include "store/database.h"
#include "support/clock.h"
#include "support/paths.h"
#include "support/prompt.h"
#include "support/random.h"
#include "support/text.h"

namespace velgram {

namespace {

// The link and add-players dialogs hold at most this many positions.
constexpr int kMaxSwissPositions = 100;
const Qt::Alignment kRight = Qt::AlignRight | Qt::AlignVCenter;
const QColor kWon(0, 200, 0);
const QColor kLost(230, 0, 0);

QString Time(int t) { return QString::asprintf("%d:%02d", t / 100, t % 100); }

}  // namespace

LPaneSwiss::LPaneSwiss(CVelgramApp& app, int idPool, QWidget* parent)
    : LPane(app, QStringLiteral("Zwitsers"), parent), idPool_(idPool), exportFolder_(DataFolder()) {
  editButton_ = AddButton(QStringLiteral("Wijzig Naam, Tafels, Tijden"), [this] { EditPool(); });
  startButton_ = AddButton(QStringLiteral("Start poule"), [this] { StartPool(); });
  linkButton_ = AddButton(QStringLiteral("Koppel met vorig blok"), [this] { LinkPrevious(); });
  contestantsButton_ = AddButton(QStringLiteral("Spelers toevoegen en verwijderen"), [this] { ChangeContestants(); });
  nextButton_ = AddButton(QStringLiteral("Bereken volgende ronde"), [this] { NextRound(); });
  menuButton_ = AddButton(QStringLiteral("Menu"), [this] {
    menu_->exec(menuButton_->mapToGlobal(QPoint(0, menuButton_->height())));
  });
  // After the start these are otherwise only in the right-click menus, which
  // a director does not look for on the day.
  addLateButton_ = AddButton(QStringLiteral("Speler toevoegen"), [this] { AddPlayer(); });
  bringBackButton_ = AddButton(QStringLiteral("Speler weer indelen"), [this] { BringBackPlayer(); });
  AddButton(QStringLiteral("Afdrukken"), [this] { Print(); });

  // The views, the round and the check boxes on a row of their own under the
  // title: beside the commands they would not fit.
  viewBar_ = new QWidget(this);
  auto* row = new FlowLayout(viewBar_, 8);
  const std::pair<const char*, View> views[] = {{"Spelers", View::kPlayers},
                                                {"Wedstrijden huidige ronde", View::kRound},
                                                {"Matrix", View::kMatrix},
                                                {"Stand", View::kStand}};
  for (const auto& [text, view] : views) {
    auto* b = new QPushButton(QString::fromLatin1(text), viewBar_);
    b->setStyleSheet(GreenButtonStyle());
    b->setAutoDefault(false);
    View v = view;
    connect(b, &QPushButton::clicked, this, [this, v] { ShowView(v); });
    row->addWidget(b);
    viewButtons_.push_back(b);
  }
  roundLabel_ = new QLabel(QStringLiteral("Ronde: 0"), viewBar_);
  row->addWidget(roundLabel_);
  tables_ = new QCheckBox(QStringLiteral("Tafels"), viewBar_);
  times_ = new QCheckBox(QStringLiteral("Tijden"), viewBar_);
  club_ = new QCheckBox(QStringLiteral("Vereniging"), viewBar_);
  const std::pair<QCheckBox*, const char*> boxes[] = {
      {tables_, "SwissTables%d"}, {times_, "SwissTimes%d"}, {club_, "SwissClub%d"}};
  for (const auto& [box, key] : boxes) {
    row->addWidget(box);
    const char* k = key;
    connect(box, &QCheckBox::clicked, this, [this, k](bool on) {
      SetSetting(k, on);
      Refresh();
    });
  }

  menu_ = new QMenu(this);
  menu_->addAction(QStringLiteral("Verwijder huidige ronde"), this, [this] { DeleteRound(); });
  menu_->addAction(QStringLiteral("Exporteer"), this, [this] { Export(); });
  menu_->addSeparator();
  menu_->addAction(QStringLiteral("Simuleer perfect resultaat"), this, [this] { Simulate(SimMode::kPerfect); });
  menu_->addAction(QStringLiteral("Simuleer anti-perfect resultaat"), this, [this] { Simulate(SimMode::kAntiPerfect); });
  menu_->addAction(QStringLiteral("Simuleer gewogen resultaat"), this, [this] { Simulate(SimMode::kWeighted); });

  grid_->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(grid_, &QWidget::customContextMenuRequested, this, &LPaneSwiss::OnContextMenu);
  // Queued: what a double click opens rebuilds the grid, which must not
  // happen inside the view's own mouse handling.
  connect(grid_, &LGrid::rowDoubleClicked, this, &LPaneSwiss::OnDoubleClick, Qt::QueuedConnection);
  connect(grid_, &LGrid::headerClicked, this, &LPaneSwiss::OnHeaderClicked);
  connect(grid_, &LGrid::sorted, this, [this] {
    if (view_ != View::kPlayers) return;
    for (int r = 0; r < grid_->RowCount(); ++r) grid_->SetCell(r, 0, QString::number(r + 1));
  });
  connect(
      grid_, &QTableView::clicked, this,
      [this](const QModelIndex& index) {
    if (view_ == View::kStand && index.column() == 0 && standLines_.size() > static_cast<size_t>(index.row()) &&
        standLines_[index.row()].player)
      ToggleExpanded(grid_->RowData(index.row()));
      },
      Qt::QueuedConnection);
}

std::string LPaneSwiss::SettingKey(const char* key) const { return Format(key, app_.IdToernooi()); }
bool LPaneSwiss::Setting(const char* key) const { return app_.Db().GetSetting(SettingKey(key)) == "1"; }
void LPaneSwiss::SetSetting(const char* key, bool on) { Db().SetSetting(SettingKey(key), on ? "1" : "0"); }

void LPaneSwiss::resizeEvent(QResizeEvent* event) {
  LPane::resizeEvent(event);
  QRect g = grid_->geometry();
  int h = viewBar_->layout()->heightForWidth(g.width());
  viewBar_->setGeometry(g.x(), g.y(), g.width(), h);
  grid_->setGeometry(g.x(), g.y() + h + 6, g.width(), std::max(20, g.height() - h - 6));
}

void LPaneSwiss::Load() {
  pool_ = LSwiss();
  PoolRecord row;
  if (!Db().GetPool(idPool_, row)) return;
  pool_.FillFrom(row);
  pool_.AttachDatabase(&Db());
  pool_.Load(Db());
  pool_.Standings(pool_.contestants, pool_.matches);
  hasMatches_ = !pool_.matches.empty();
  withClub_ = Setting("SwissClub%d");
}

void LPaneSwiss::SetVisibility() {
  bool earlier = Db().HasEarlierPool(idPool_);
  contestantsButton_->setVisible(!hasMatches_);
  linkButton_->setVisible(!hasMatches_ && earlier);
  startButton_->setVisible(!hasMatches_);
  for (QPushButton* b : viewButtons_) b->setVisible(hasMatches_);
  nextButton_->setVisible(hasMatches_);
  menuButton_->setVisible(hasMatches_);
  addLateButton_->setVisible(hasMatches_);
  bringBackButton_->setVisible(hasMatches_);
  bringBackButton_->setEnabled(std::any_of(pool_.contestants.begin(), pool_.contestants.end(),
                                           [](const Contestant& c) { return c.poolPos < 0; }));
  roundLabel_->setVisible(hasMatches_);
  if (!hasMatches_) view_ = View::kPlayers;
}

void LPaneSwiss::Refresh() {
  ApplyLook();
  int scroll = grid_->verticalScrollBar()->value();
  Load();
  SetTitle(ToQt(pool_.name.empty() ? std::string("Zwitsers") : pool_.name));
  SetVisibility();
  roundLabel_->setText(QStringLiteral("Ronde: %1").arg(pool_.maxRound));
  tables_->setChecked(Setting("SwissTables%d"));
  times_->setChecked(Setting("SwissTimes%d"));
  club_->setChecked(withClub_);
  switch (view_) {
    case View::kPlayers: FillPlayers(); break;
    case View::kRound: FillRound(); break;
    case View::kMatrix: FillMatrix(); break;
    case View::kStand: FillStand(); break;
  }
  grid_->AutoSize();
  grid_->verticalScrollBar()->setValue(scroll);
  QResizeEvent again(size(), size());
  resizeEvent(&again);
  // Before the start the button row changes its width: lay out once more
  // when the widgets have settled.
  if (!hasMatches_) QTimer::singleShot(100, this, [this] {
      QResizeEvent e(size(), size());
      resizeEvent(&e);
    });
}

void LPaneSwiss::ShowView(View view) {
  view_ = view;
  grid_->verticalScrollBar()->setValue(0);
  Refresh();
}

void LPaneSwiss::FillPlayers() {
  grid_->SetColumns({{QStringLiteral("Nr"), SortKind::None, kRight},
                     {QStringLiteral("Speler")},
                     {QStringLiteral("Klasse")},
                     {QStringLiteral("Sterkte"), SortKind::Number, kRight}});
  grid_->SetHeaderClickSorts(true);
  grid_->BeginUpdate();
  int nr = 0;
  for (const Contestant& c : pool_.contestants) {
    int row = grid_->AddRow({QString::number(++nr), ToQt(SwissName(c, withClub_)), ToQt(c.klasse),
                             QString::number(c.rating)},
                            c.id);
    if (c.poolPos < 0)
      for (int col = 0; col < 4; ++col) grid_->SetCellStrike(row, col, true);
  }
  grid_->EndUpdate();
}

void LPaneSwiss::FillRound() {
  MatchSystem system = MatchSystemById(Db(), pool_.idMatchSystem);
  grid_->SetColumns({{QStringLiteral("Speler 1")},
                     {QStringLiteral("Speler 2")},
                     {QStringLiteral("Tafel"), SortKind::Number, kRight},
                     {QStringLiteral("Tijd"), SortKind::Time, kRight},
                     {QStringLiteral("Uitslag"), SortKind::None}});
  grid_->SetHeaderClickSorts(true);
  std::map<int, const Contestant*> byId;
  for (const Contestant& c : pool_.contestants) byId[c.id] = &c;
  auto name = [&](int id) {
    if (id == kNotPlayed) return QStringLiteral("Niet gespeeld");
    auto it = byId.find(id);
    return it == byId.end() ? QStringLiteral("???") : ToQt(SwissName(*it->second, withClub_));
  };
  std::set<int> playing;
  grid_->BeginUpdate();
  for (const RoundEntry& r : pool_.rounds) {
    if (r.round != pool_.maxRound) continue;
    for (const MatchEntry& m : pool_.matches) {
      if (m.id != r.idMatch) continue;
      playing.insert(m.idContestant1);
      playing.insert(m.idContestant2);
      // A removed player's round is no match at a table: no "Tafel 0, 0:00".
      const bool placed = m.tafel > 0;
      grid_->AddRow({name(m.idContestant1), name(m.idContestant2), placed ? QString::number(m.tafel) : QString(),
                     placed ? Time(m.starttime) : QString(), ToQt(MatchResultText(m, system))},
                    m.id);
    }
  }
  for (const Contestant& c : pool_.contestants)
    if (c.poolPos >= 0 && !playing.count(c.id)) grid_->AddRow({name(c.id), QStringLiteral("Bye")}, -1);
  grid_->EndUpdate();
  grid_->SetColumnHidden(2, !Setting("SwissTables%d"));
  grid_->SetColumnHidden(3, !Setting("SwissTimes%d"));
}

void LPaneSwiss::FillMatrix() {
  std::vector<size_t> order(pool_.contestants.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return pool_.places[a] < pool_.places[b]; });
  std::vector<GridColumn> columns = {{QStringLiteral("Nr"), SortKind::None, kRight},
                                     {QStringLiteral("Naam"), SortKind::None}};
  for (size_t i = 0; i < order.size(); ++i)
    columns.push_back({QString::number(i + 1), SortKind::None, Qt::AlignCenter});
  grid_->SetColumns(columns);
  grid_->SetHeaderClickSorts(false);
  std::map<int, int> columnOf;
  for (size_t i = 0; i < order.size(); ++i) columnOf[pool_.contestants[order[i]].id] = static_cast<int>(i) + 2;
  grid_->BeginUpdate();
  for (size_t i = 0; i < order.size(); ++i) {
    const Contestant& c = pool_.contestants[order[i]];
    int row = grid_->AddRow({QString::number(pool_.places[order[i]] + 1), ToQt(SwissName(c, withClub_))}, c.id);
    if (c.poolPos < 0) grid_->SetCellStrike(row, 1, true);
  }
  for (const MatchEntry& m : pool_.matches) {
    if (m.indexWinner < 0 || !columnOf.count(m.idContestant1) || !columnOf.count(m.idContestant2)) continue;
    int col1 = columnOf[m.idContestant1], col2 = columnOf[m.idContestant2];
    bool firstWon = m.indexWinner == 0;
    grid_->SetCellColors(col1 - 2, col2, QColor(), firstWon ? kWon : kLost);
    grid_->SetCellColors(col2 - 2, col1, QColor(), firstWon ? kLost : kWon);
  }
  grid_->EndUpdate();
}

std::vector<std::vector<std::string>> LPaneSwiss::StandRows(const std::set<int>& expanded) {
  MatchSystem system = MatchSystemById(Db(), pool_.idMatchSystem);
  SwissStandOptions options;
  options.withClub = withClub_;
  options.dudodeva = system.name == "Duo Dudodeva";
  options.gameStop = system.gameStop;
  std::vector<SwissStandLine> lines = SwissStandLines(pool_, expanded, options);

  // Sorted by the last sort column, each player with its round lines.
  std::vector<std::vector<SwissStandLine>> groups;
  for (SwissStandLine& l : lines) {
    if (l.player || groups.empty()) groups.emplace_back();
    groups.back().push_back(std::move(l));
  }
  int col = standSortColumn_;
  if (col >= 1 && col < static_cast<int>(SwissStandHeader(options.dudodeva).size())) {
    bool text = col == 2 || col == 3;
    std::stable_sort(groups.begin(), groups.end(), [&](const auto& a, const auto& b) {
      QString x = ToQt(a.front().cells[col]), y = ToQt(b.front().cells[col]);
      if (text) {
        int c = QString::localeAwareCompare(x.toLower(), y.toLower());
        return standAscending_ ? c < 0 : c > 0;
      }
      double p = NumericSortKey(x), q = NumericSortKey(y);
      return standAscending_ ? p < q : p > q;
    });
  }
  std::vector<std::vector<std::string>> rows;
  standLines_.clear();
  for (auto& g : groups)
    for (SwissStandLine& l : g) {
      rows.push_back(l.cells);
      standLines_.push_back(std::move(l));
    }
  return rows;
}

void LPaneSwiss::FillStand() {
  MatchSystem system = MatchSystemById(Db(), pool_.idMatchSystem);
  std::vector<std::string> header = SwissStandHeader(system.name == "Duo Dudodeva");
  std::vector<GridColumn> columns;
  for (size_t i = 0; i < header.size(); ++i) {
    bool text = i == 2 || i == 3;
    columns.push_back({ToQt(header[i]), SortKind::None, text || i == 0 ? Qt::AlignLeft | Qt::AlignVCenter : kRight});
  }
  grid_->SetColumns(columns);
  grid_->SetHeaderClickSorts(false);
  std::vector<std::vector<std::string>> rows = StandRows(expanded_);
  grid_->BeginUpdate();
  for (size_t i = 0; i < rows.size(); ++i) {
    QStringList cells;
    for (const std::string& s : rows[i]) cells << ToQt(s);
    const SwissStandLine& line = standLines_[i];
    int row = grid_->AddRow(cells, line.player ? line.idContestant : -1);
    if (line.player) {
      if (expanded_.count(line.idContestant)) grid_->SetCell(row, 0, QStringLiteral("\u2212"));  // minus: folds in
      grid_->SetCellBold(row, 1, true);
      grid_->SetCellBold(row, 7, true);
    }
    if (line.removed)
      for (int col = 1; col < static_cast<int>(cells.size()); ++col) grid_->SetCellStrike(row, col, true);
  }
  grid_->EndUpdate();
}

void LPaneSwiss::OnHeaderClicked(int col) {
  if (view_ != View::kStand || col < 1) return;
  standAscending_ = col == standSortColumn_ ? !standAscending_ : true;
  standSortColumn_ = col;
  Refresh();
}

void LPaneSwiss::ToggleExpanded(int idContestant) {
  if (idContestant < 0) return;
  if (!expanded_.erase(idContestant)) expanded_.insert(idContestant);
  Refresh();
}

// ---------------------------------------------------------------- commands

void LPaneSwiss::StartPool() {
  if (!AskStartWarning()) return;
  if (StartSwissPool(Db(), Prompt(), DefaultClock(), idPool_)) {
    view_ = View::kRound;
    if (Main()) Main()->NotifyDataChanged();
  }
  Refresh();
}

void LPaneSwiss::NextRound() {
  LShuffleReviewer dialogReviewer(this);
  PairingReviewer* reviewer = reviewer_ ? reviewer_ : &dialogReviewer;
  if (NextSwissRound(Db(), Prompt(), DefaultClock(), idPool_, reviewer)) {
    view_ = View::kRound;
    if (Main()) Main()->NotifyDataChanged();
  }
  Refresh();
}

void LPaneSwiss::DeleteRound() {
  if (DeleteCurrentSwissRound(Db(), Prompt(), idPool_) && Main()) Main()->NotifyDataChanged();
  Refresh();
}

void LPaneSwiss::Export() {
  Load();
  std::set<int> all;
  for (const Contestant& c : pool_.contestants) all.insert(c.id);
  MatchSystem system = MatchSystemById(Db(), pool_.idMatchSystem);
  std::vector<std::vector<std::string>> rows = {SwissStandHeader(system.name == "Duo Dudodeva")};
  for (auto& r : StandRows(all)) rows.push_back(std::move(r));
  std::string path = exportFolder_ + "/VelgramExport.txt";
  bool written = WriteFileWhole(path, SwissExportText(rows));
  Refresh();  // the lines of the grid again, as they were
  Prompt().Alert(written ? path : std::string("Kan het bestand niet opnenen."));
}

void LPaneSwiss::Simulate(SimMode mode) {
  Load();
  StdRandom random;
  if (SimulateSwissResults(Db(), pool_, pool_.contestants, pool_.matches, mode, random, DefaultClock()) > 0 && Main())
    Main()->NotifyDataChanged();
  Refresh();
}

void LPaneSwiss::OpenResult(int idMatch) {
  if (idMatch < 0) {
    Prompt().Alert("Geen wedstrijd");
    return;
  }
  if (EnterResult(app_, idMatch, pool_.idMatchSystem, this)) Refresh();
}

void LPaneSwiss::EnterResultOf(int idContestant) { OpenResult(CurrentRoundMatch(pool_, idContestant)); }

void LPaneSwiss::RemovePlayer(int idContestant) {
  if (ToggleSwissContestant(Db(), Prompt(), idPool_, idContestant) && Main()) Main()->NotifyDataChanged();
  Refresh();
}

void LPaneSwiss::AddPlayer() {
  if (!Prompt().Confirm("Weet u zeker dat u een speler wilt toevoegen?")) return;
  ChangeContestants();
}

void LPaneSwiss::BringBackPlayer() {
  std::vector<const Contestant*> removed;
  for (const Contestant& c : pool_.contestants)
    if (c.poolPos < 0) removed.push_back(&c);
  if (removed.empty()) return;
  const Contestant* chosen = removed.size() == 1 ? removed.front() : nullptr;
  int row = grid_->currentIndex().isValid() ? grid_->currentIndex().row() : -1;
  if (row >= 0 && view_ != View::kRound)
    for (const Contestant* c : removed)
      if (c->id == grid_->RowData(row)) chosen = c;
  if (!chosen) {
    QStringList names;
    for (const Contestant* c : removed) names << ToQt(SwissName(*c, withClub_));
    bool ok = false;
    QString name = QInputDialog::getItem(this, QStringLiteral("Speler weer indelen"), QStringLiteral("Speler:"), names,
                                         0, false, &ok);
    if (!ok) return;
    chosen = removed[static_cast<size_t>(std::max<qsizetype>(0, names.indexOf(name)))];
  }
  RemovePlayer(chosen->id);  // asks "... weer wilt indelen?" for a removed player
}

void LPaneSwiss::OnDoubleClick(int row) {
  if (row < 0 || row >= grid_->RowCount()) return;
  switch (view_) {
    case View::kRound: OpenResult(grid_->RowData(row)); break;
    case View::kPlayers:
    case View::kMatrix: EnterResultOf(grid_->RowData(row)); break;
    case View::kStand:
      if (row >= static_cast<int>(standLines_.size())) return;
      if (standLines_[row].player)
        EnterResultOf(standLines_[row].idContestant);
      else
        OpenResult(standLines_[row].idMatch);
      break;
  }
}

QMenu* LPaneSwiss::RowMenu(int row) {
  delete rowMenu_;
  rowMenu_ = nullptr;
  if (view_ == View::kPlayers && (row < 0 || row >= grid_->RowCount())) {
    rowMenu_ = new QMenu(this);
    rowMenu_->addAction(QStringLiteral("Speler toevoegen"), this, [this] { AddPlayer(); });
    return rowMenu_;
  }
  if (view_ == View::kRound || row < 0 || row >= grid_->RowCount()) return nullptr;
  if (view_ == View::kStand && (row >= static_cast<int>(standLines_.size()) || !standLines_[row].player)) return nullptr;
  int id = grid_->RowData(row);
  rowMenu_ = new QMenu(this);
  rowMenu_->addAction(QStringLiteral("Uitslag"), this, [this, id] { EnterResultOf(id); });
  auto c = std::find_if(pool_.contestants.begin(), pool_.contestants.end(),
                        [id](const Contestant& x) { return x.id == id; });
  const bool removed = hasMatches_ && c != pool_.contestants.end() && c->poolPos < 0;
  rowMenu_->addAction(removed ? QStringLiteral("Speler weer indelen") : QStringLiteral("Speler verwijderen"), this,
                      [this, id] { RemovePlayer(id); });
  return rowMenu_;
}

void LPaneSwiss::OnContextMenu(const QPoint& pos) {
  QModelIndex index = grid_->indexAt(pos);
  if (QMenu* m = RowMenu(index.isValid() ? index.row() : -1)) m->exec(grid_->viewport()->mapToGlobal(pos));
}

QString LPaneSwiss::ViewName() const {
  switch (view_) {
    case View::kPlayers: return QStringLiteral("Deelnemers");
    case View::kRound: return QStringLiteral("Wedstrijden");
    case View::kMatrix: return QStringLiteral("Matrix");
    case View::kStand: return QStringLiteral("Stand");
  }
  return QString();
}

void LPaneSwiss::Print() {
  SystemRecord system;
  Db().GetSystem(system, pool_.idSystem);
  const std::string& className = system.name;
  QString title = QStringLiteral("%1, %2, %3, %4")
                      .arg(ToQt(className), ToQt(pool_.name), ViewName(), roundLabel_->text());
  if (Main()) Main()->PrintGrid(grid_, QStringLiteral("PaneSwiss"), this, title);
}

void LPaneSwiss::EditPool() {
  if (!Main() || Main()->EditPool(pool_.idSystem, idPool_, this) < 0) return;
  Main()->FillTree();
  Main()->SelectItem(NavType::Pool, idPool_);
  Refresh();
}

bool LPaneSwiss::AskStartWarning() {
  DialogStartWarning warning(this);
  return ConfirmPoolStart(Db(), Prompt(), &warning);
}

void LPaneSwiss::LinkPrevious() {
  LDlgLink dlg(app_, idPool_, kMaxSwissPositions, this);
  if (dlg.exec() != QDialog::Accepted) return;
  if (Main()) Main()->NotifyDataChanged();
  Refresh();
}

void LPaneSwiss::ChangeContestants() {
  LDlgAddContestants dlg(app_, idPool_, kMaxSwissPositions, this);
  if (dlg.exec() != QDialog::Accepted) return;
  if (Main()) Main()->NotifyDataChanged();
  Refresh();
}

}  // namespace velgram
