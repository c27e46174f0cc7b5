#include "app/panes/pane_dropout.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QResizeEvent>
#include <QStyledItemDelegate>

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
#include "support/prompt.h"
#include "support/text.h"

namespace velgram {

namespace {

// Draws a cell as usual, then the bracket lines along its edges.
class BracketDelegate : public QStyledItemDelegate {
 public:
  BracketDelegate(LGrid* grid) : QStyledItemDelegate(grid), grid_(grid) {}
  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    QStyledItemDelegate::paint(painter, option, index);
    const LGridModel::Cell* cell = grid_->Model()->CellAt(index.row(), index.column());
    if (!cell || !cell->lines) return;
    painter->save();
    painter->setPen(QPen(Qt::black, 2));
    const QRect r = option.rect;
    if (cell->lines & LGrid::kLineBottom) painter->drawLine(r.left(), r.bottom(), r.right(), r.bottom());
    if (cell->lines & LGrid::kLineRight) painter->drawLine(r.right(), r.top(), r.right(), r.bottom());
    painter->restore();
  }

 private:
  LGrid* grid_;
};

}  // namespace

BracketLayout BracketLayoutOf(int dimension) {
  BracketLayout l;
  switch (dimension) {
    case 2:
      l.seedRows = {0, 4};
      l.winners = {{1, 2}};
      l.matchCells = {{2, 0}};
      break;
    case 4:
      l.seedRows = {0, 10, 6, 4};
      l.winners = {{1, 2}, {9, 2}, {4, 4}};
      l.matchCells = {{2, 0}, {8, 0}, {5, 2}};
      break;
    case 8:
      l.seedRows = {0, 22, 12, 10, 16, 6, 18, 4};
      l.winners = {{1, 2}, {9, 2}, {13, 2}, {21, 2}, {4, 4}, {18, 4}, {10, 6}};
      l.matchCells = {{2, 0}, {8, 0}, {14, 0}, {20, 0}, {5, 2}, {17, 2}, {11, 4}};
      break;
    default:
      dimension = 16;
      l.seedRows = {0, 46, 24, 22, 34, 12, 36, 10, 16, 30, 6, 40, 18, 28, 42, 4};
      l.winners = {{1, 2},  {9, 2},  {13, 2}, {21, 2}, {25, 2}, {33, 2}, {37, 2}, {45, 2},
                   {4, 4},  {18, 4}, {28, 4}, {42, 4}, {10, 6}, {36, 6}, {22, 8}};
      l.matchCells = {{2, 0},  {8, 0},  {14, 0}, {20, 0}, {26, 0}, {32, 0}, {38, 0}, {44, 0},
                      {5, 2},  {17, 2}, {29, 2}, {41, 2}, {11, 4}, {35, 4}, {23, 6}};
      break;
  }
  int levels = 0;
  for (int d = dimension; d > 1; d /= 2) ++levels;
  l.rows = 3 * dimension - 1;
  l.columns = 2 * levels + 1;
  return l;
}

LPaneDropout::LPaneDropout(CVelgramApp& app, int idPool, QWidget* parent)
    : LPane(app, QStringLiteral("Poules"), parent), idPool_(idPool) {
  editButton_ = AddButton(QStringLiteral("Wijzig Naam, Tafels, Tijden"), [this] { EditPool(); });
  linkButton_ = AddButton(QStringLiteral("Koppel met vorig blok"), [this] { LinkPrevious(); });
  contestantsButton_ = AddButton(QStringLiteral("Spelers toevoegen en verwijderen"), [this] { ChangeContestants(); });
  startButton_ = AddButton(QStringLiteral("Start afvalsysteem"), [this] { Activate(); });
  AddButton(QStringLiteral("Afdrukken"), [this] { Print(); });

  optionBar_ = new QWidget(this);
  auto* row = new FlowLayout(optionBar_, 8);
  sizeTitle_ = new QLabel(QStringLiteral("Systeemgrootte:"), optionBar_);
  size_ = new QLabel(optionBar_);
  size_->setMinimumWidth(24);
  size_->setAlignment(Qt::AlignCenter);
  grow_ = new QToolButton(optionBar_);
  grow_->setArrowType(Qt::UpArrow);
  shrink_ = new QToolButton(optionBar_);
  shrink_->setArrowType(Qt::DownArrow);
  connect(grow_, &QToolButton::clicked, this, [this] { Resize(true); });
  connect(shrink_, &QToolButton::clicked, this, [this] { Resize(false); });
  for (QWidget* w : std::initializer_list<QWidget*>{sizeTitle_, size_, grow_, shrink_}) row->addWidget(w);
  tables_ = new QCheckBox(QStringLiteral("Tafels"), optionBar_);
  times_ = new QCheckBox(QStringLiteral("Tijden"), optionBar_);
  club_ = new QCheckBox(QStringLiteral("Vereniging"), optionBar_);
  link_ = new QCheckBox(QStringLiteral("Koppeling"), optionBar_);
  const std::pair<QCheckBox*, const char*> boxes[] = {
      {tables_, "DropoutTables%d"}, {times_, "DropoutTimes%d"}, {club_, "DropoutClub%d"}, {link_, "DropoutLink%d"}};
  for (const auto& [box, key] : boxes) {
    row->addWidget(box);
    const char* k = key;
    connect(box, &QCheckBox::clicked, this, [this, k](bool on) {
      Db().SetSetting(Format(k, app_.IdToernooi()), on ? "1" : "0");
      Refresh();
    });
  }

  grid_->setItemDelegate(new BracketDelegate(grid_));
  grid_->setShowGrid(false);
  grid_->setSelectionMode(QAbstractItemView::NoSelection);
  grid_->SetHeaderClickSorts(false);
  grid_->SetPrintOnOnePage(true);
  // Queued: the result entry rebuilds the grid, which must not happen inside
  // the view's own mouse handling.
  connect(
      grid_, &QAbstractItemView::doubleClicked, this,
      [this](const QModelIndex& index) { OpenCell(index.row(), index.column()); }, Qt::QueuedConnection);
}

bool LPaneDropout::Setting(const char* key) const {
  return app_.Db().GetSetting(Format(key, app_.IdToernooi())) == "1";
}

void LPaneDropout::resizeEvent(QResizeEvent* event) {
  LPane::resizeEvent(event);
  QRect g = grid_->geometry();
  int h = optionBar_->layout()->heightForWidth(g.width());
  optionBar_->setGeometry(g.x(), g.y(), g.width(), h);
  grid_->setGeometry(g.x(), g.y() + h + 6, g.width(), std::max(20, g.height() - h - 6));
}

void LPaneDropout::Load() {
  pool_ = LDropout();
  PoolRecord row;
  if (!Db().GetPool(idPool_, row)) return;
  pool_ = LDropout(row.extra);
  pool_.FillFrom(row);
  LoadContestants(Db(), idPool_, contestants_, true);
  std::vector<MatchRecord> rows;
  Db().ListMatches(idPool_, rows);
  Db().ReadResults(rows);
  std::sort(rows.begin(), rows.end(), [](const MatchRecord& a, const MatchRecord& b) { return a.id < b.id; });
  matches_.clear();
  for (const MatchRecord& m : rows) matches_.push_back(MatchEntry::FromRecord(m));
}

void LPaneDropout::Refresh() {
  ApplyLook();
  Load();
  const bool active = !matches_.empty();
  editButton_->setText(active ? QStringLiteral("Wijzig naam") : QStringLiteral("Wijzig Naam, Tafels, Tijden"));
  linkButton_->setVisible(!active && Db().HasEarlierPool(idPool_));
  contestantsButton_->setVisible(!active);
  startButton_->setVisible(!active);
  for (QWidget* w : std::initializer_list<QWidget*>{sizeTitle_, size_, grow_, shrink_}) w->setVisible(!active);
  size_->setText(QString::number(pool_.dimension));
  tables_->setChecked(Setting("DropoutTables%d"));
  times_->setChecked(Setting("DropoutTimes%d"));
  club_->setChecked(Setting("DropoutClub%d"));
  link_->setChecked(Setting("DropoutLink%d"));
  Fill();
  QResizeEvent again(size(), size());
  resizeEvent(&again);
}

void LPaneDropout::Fill() {
  const BracketLayout layout = BracketLayoutOf(pool_.dimension);
  std::vector<GridColumn> columns;
  for (int c = 0; c < layout.columns; ++c) {
    QString title;
    if (c % 2 == 0) title = c == layout.columns - 1 ? QStringLiteral("Winnaar") : QStringLiteral("Ronde %1").arg(c / 2 + 1);
    columns.push_back({title, SortKind::None, c % 2 ? Qt::AlignCenter : Qt::AlignLeft | Qt::AlignVCenter});
  }
  grid_->SetColumns(columns);
  grid_->BeginUpdate();
  for (int r = 0; r < layout.rows; ++r) grid_->AddRow({});
  cellMatch_.clear();

  const bool withClub = Setting("DropoutClub%d"), withLink = Setting("DropoutLink%d");
  const bool withTables = Setting("DropoutTables%d"), withTimes = Setting("DropoutTimes%d");
  auto contestantName = [&](const Contestant& c) {
    std::string name = c.name;
    if (withClub && !c.club.empty()) name += " (" + c.club + ")";
    if (withLink && !c.source.empty()) name += " (" + c.source + ")";
    return ToQt(name);
  };
  auto nameOf = [&](int idContestant) {
    if (idContestant == 0) return QStringLiteral("Bye");
    for (const Contestant& c : contestants_)
      if (c.id == idContestant) return contestantName(c);
    return QString();
  };

  // Seats: the first level by seed, then the winners' seats.
  const int seeds = static_cast<int>(layout.seedRows.size());
  for (int s = 0; s < seeds; ++s) {
    QString text = s < static_cast<int>(contestants_.size()) ? contestantName(contestants_[s]) : QStringLiteral("Bye");
    grid_->SetCell(layout.seedRows[s], 0, text);
  }
  MatchSystem system = MatchSystemById(Db(), pool_.idMatchSystem);
  for (size_t k = 0; k < layout.winners.size(); ++k) {
    auto [wr, wc] = layout.winners[k];
    auto [mr, mc] = layout.matchCells[k];
    QString seat = QStringLiteral("Speler %1").arg(seeds + static_cast<int>(k) + 1);
    QString cell = QStringLiteral("Wedstrijd %1").arg(k + 1);
    if (k < matches_.size()) {
      const MatchEntry& m = matches_[k];
      int winner = KnockoutWinnerIndex(matches_, m);
      seat = winner < 0 ? QString() : nameOf(KnockoutSide(matches_, winner == 0 ? m.idContestant1 : m.idContestant2));
      bool bye = KnockoutSide(matches_, m.idContestant1) == 0 || KnockoutSide(matches_, m.idContestant2) == 0;
      if (bye) {
        cell.clear();
      } else {
        // An open match always shows its number, table and time: the cell is
        // what the director double-clicks, so it must not be empty. A played
        // one shows its result, with table and time when the boxes ask.
        const QString table = QStringLiteral("Tafel %1").arg(m.tafel);
        const QString time = QString::asprintf("%d:%02d", m.starttime / 100, m.starttime % 100);
        QStringList parts{ToQt(MatchResultText(m, system))};
        if (parts.front().isEmpty()) {
          parts = QStringList{QStringLiteral("Wedstrijd %1").arg(k + 1), table, time};
        } else {
          if (withTables) parts << table;
          if (withTimes) parts << time;
        }
        cell = parts.join(QStringLiteral(", "));
        cellMatch_[{mr, mc}] = m.id;
        grid_->SetCellTooltip(mr, mc, QStringLiteral("Wedstrijd %1").arg(k + 1));
      }
    }
    grid_->SetCell(wr, wc, seat);
    grid_->SetCell(mr, mc, cell);
  }

  // The lines: every seat underlined; from each match's two seats a line
  // down their column's right edge, and across the next column to the
  // winner's seat.
  std::vector<std::vector<int>> lines(static_cast<size_t>(layout.rows), std::vector<int>(static_cast<size_t>(layout.columns), 0));
  std::vector<std::pair<int, int>> seats;
  for (int r : layout.seedRows) seats.push_back({r, 0});
  seats.insert(seats.end(), layout.winners.begin(), layout.winners.end());
  for (auto [r, c] : seats) lines[r][c] |= LGrid::kLineBottom;
  for (size_t k = 0; k < layout.matchCells.size(); ++k) {
    auto [mr, mc] = layout.matchCells[k];
    int above = -1, below = layout.rows;
    for (auto [r, c] : seats) {
      if (c != mc) continue;
      if (r < mr) above = std::max(above, r);
      if (r > mr) below = std::min(below, r);
    }
    for (int r = above + 1; r <= below && r < layout.rows; ++r) lines[r][mc] |= LGrid::kLineRight;
    lines[layout.winners[k].first][mc + 1] |= LGrid::kLineBottom;
  }
  for (int r = 0; r < layout.rows; ++r)
    for (int c = 0; c < layout.columns; ++c)
      if (lines[r][c]) grid_->SetCellLines(r, c, lines[r][c]);
  grid_->EndUpdate();
  grid_->AutoSize();
  for (int c = 1; c < layout.columns; c += 2) grid_->SetColumnWidthPx(c, 24);
  for (int c = 0; c < layout.columns; c += 2) grid_->setColumnWidth(c, std::max(grid_->columnWidth(c), 140));
}

int LPaneDropout::MatchAt(int row, int col) const {
  auto it = cellMatch_.find({row, col});
  return it == cellMatch_.end() ? -1 : it->second;
}

std::pair<int, int> LPaneDropout::MatchCell(int number) const {
  BracketLayout l = BracketLayoutOf(pool_.dimension);
  return number >= 1 && number <= static_cast<int>(l.matchCells.size()) ? l.matchCells[number - 1] : std::pair{-1, -1};
}

std::pair<int, int> LPaneDropout::WinnerSeat(int number) const {
  BracketLayout l = BracketLayoutOf(pool_.dimension);
  return number >= 1 && number <= static_cast<int>(l.winners.size()) ? l.winners[number - 1] : std::pair{-1, -1};
}

void LPaneDropout::OpenCell(int row, int col) {
  int idMatch = MatchAt(row, col);
  if (idMatch < 0) return;
  if (EnterResult(app_, idMatch, pool_.idMatchSystem, this)) Refresh();
}

void LPaneDropout::Activate() {
  if (!AskStartWarning()) return;
  Load();
  if (ActivateDropout(Db(), Prompt(), pool_, contestants_) == ActivateOutcome::kActivated && Main())
    Main()->NotifyDataChanged();
  Refresh();
}

void LPaneDropout::Resize(bool grow) {
  Load();
  if (ChangeBracketSize(Db(), pool_, grow)) Refresh();
}

void LPaneDropout::Print() {
  SystemRecord system;
  Db().GetSystem(system, pool_.idSystem);
  QString title = QStringLiteral("%1, %2").arg(ToQt(system.name), ToQt(pool_.name));
  if (Main()) Main()->PrintGrid(grid_, QStringLiteral("PaneDropout"), this, title);
}

void LPaneDropout::EditPool() {
  if (!Main() || Main()->EditPool(pool_.idSystem, idPool_, this) < 0) return;
  Main()->FillTree();
  Main()->SelectItem(NavType::Pool, idPool_);
  Refresh();
}

bool LPaneDropout::AskStartWarning() {
  DialogStartWarning warning(this);
  return ConfirmPoolStart(Db(), Prompt(), &warning);
}

void LPaneDropout::LinkPrevious() {
  LDlgLink dlg(app_, idPool_, pool_.dimension, this);
  if (dlg.exec() != QDialog::Accepted) return;
  if (Main()) Main()->NotifyDataChanged();
  Refresh();
}

void LPaneDropout::ChangeContestants() {
  LDlgAddContestants dlg(app_, idPool_, pool_.dimension, this);
  if (dlg.exec() != QDialog::Accepted) return;
  if (Main()) Main()->NotifyDataChanged();
  Refresh();
}

}  // namespace velgram
