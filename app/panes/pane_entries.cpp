#include "app/panes/pane_entries.h"

#include <QDateTime>
#include <QHeaderView>
#include <algorithm>

#include "app/results/enter_result.h"
#include "app/shell/app.h"
#include "app/shell/mainwindow.h"
#include "app/shell/qtext.h"
#include "competition/match_rules.h"
#include "competition/matchbook.h"
#include "competition/swiss_screen.h"
#include "store/database.h"

namespace velgram {

namespace {

const QColor kWaitingBackground(255, 236, 160);
constexpr int kGap = 5;

QString TimeOf(std::int64_t unixSeconds) {
  return QDateTime::fromSecsSinceEpoch(unixSeconds).toString(QStringLiteral("HH:mm:ss"));
}

QString DeviceText(int tafel, const std::string& device) {
  return QStringLiteral("Tafel %1, apparaat %2").arg(tafel).arg(ToQt(device.substr(0, 8)));
}

}  // namespace

LPaneEntries::LPaneEntries(CVelgramApp& app, QWidget* parent)
    : LPane(app, QStringLiteral("Binnengekomen uitslagen"), parent) {
  accept_ = AddButton(QStringLiteral("Accepteren"), [this] { Accept(); });
  reject_ = AddButton(QStringLiteral("Afwijzen"), [this] { Reject(); });
  open_ = AddButton(QStringLiteral("Uitslag openen"), [this] { OpenResult(); });
  grid_->SetColumns({{QStringLiteral("Tijd"), SortKind::Time},
                     {QStringLiteral("Tafel"), SortKind::Number, Qt::AlignCenter},
                     {QStringLiteral("Spelklasse / Poule"), SortKind::Text},
                     {QStringLiteral("Wedstrijd"), SortKind::Text},
                     {QStringLiteral("Invoer"), SortKind::Text},
                     {QStringLiteral("Status"), SortKind::Text},
                     {QStringLiteral("Reden"), SortKind::Text}});
  AddSecondGrid()->SetColumns({{QStringLiteral("Bron"), SortKind::None},
                               {QStringLiteral("Tijd"), SortKind::None},
                               {QStringLiteral("Uitslag"), SortKind::None},
                               {QStringLiteral("Status"), SortKind::None},
                               {QStringLiteral("Reden"), SortKind::None}});
  grid2_->SetHeaderClickSorts(false);
  connect(grid_, &LGrid::rowSelectionChanged, this, [this] {
    followWaiting_ = false;  // the director's own choice stays chosen
    ShowDetails();
    EnableButtons();
  });
  connect(grid_, &LGrid::rowDoubleClicked, this, [this] { OpenResult(); });
  if (CVelgramDlg* w = Main()) {
    connect(w, &CVelgramDlg::entriesChanged, this, &LPaneEntries::OnEntriesChanged);
    connect(w, &CVelgramDlg::dataChanged, this, &LPaneEntries::OnDataChanged);
  }
}

QString LPaneEntries::StatusText(EntryStatus status) {
  switch (status) {
    case EntryStatus::kWaiting: return QStringLiteral("Wacht");
    case EntryStatus::kAccepted: return QStringLiteral("Geaccepteerd");
    case EntryStatus::kRejected: return QStringLiteral("Afgewezen");
  }
  return QString();
}

void LPaneEntries::ReadMatches() {
  matches_.clear();
  rules_.clear();
  listed_.clear();
  for (const QueuedEntry& e : entries_) {
    listed_.insert(e.entry.idMatch);
    if (matches_.count(e.entry.idMatch)) continue;
    // A pool at a time: what the result dialog reads, whatever the size of
    // the tournament.
    MatchBook book(Db());
    book.FillPoolOfMatch(e.entry.idMatch);
    const MatchEntry* m = book.FindMatch(e.entry.idMatch);
    if (!m) continue;  // deleted since
    rules_[m->idPool] = book.MatchSystemOfPool(m->idPool);
    for (const MatchEntry& other : book.Matches()) matches_.emplace(other.id, other);
  }
}

QString LPaneEntries::EntryText(const QueuedEntry& e) const {
  auto m = matches_.find(e.entry.idMatch);
  const MatchSystem rules = m == matches_.end() ? DefaultMatchSystem() : rules_.at(m->second.idPool);
  const QString text = ToQt(TableEntryText(rules, e.entry));
  if (!text.isEmpty() || e.entry.mode != kResultAll) return text;
  // Refused by the rules: the points as they were typed, so that the
  // director sees what the table meant.
  QStringList games;
  for (const auto& [a, b] : e.entry.games) games << ToQt(a + "-" + b);
  return games.join(QStringLiteral(", "));
}

void LPaneEntries::Refresh() {
  ApplyLook();
  const int keep = grid_->RowData(grid_->FirstSelectedRow());
  entries_.clear();
  if (app_.HasToernooi()) entries_ = ListTableEntries(Db(), app_.IdToernooi(), false);
  // What waits first, oldest first, as it came in; then what was handled,
  // the latest first.
  std::stable_partition(entries_.begin(), entries_.end(),
                        [](const QueuedEntry& e) { return e.status == EntryStatus::kWaiting; });
  auto handled = std::find_if(entries_.begin(), entries_.end(),
                              [](const QueuedEntry& e) { return e.status != EntryStatus::kWaiting; });
  std::reverse(handled, entries_.end());
  ReadMatches();

  const bool blocked = grid_->blockSignals(true);
  grid_->BeginUpdate();
  grid_->Clear();
  for (const QueuedEntry& e : entries_) {
    auto m = matches_.find(e.entry.idMatch);
    QString klasse, names = QStringLiteral("(verwijderd)");
    if (m != matches_.end()) {
      klasse = ToQt(m->second.systemName + " / " + m->second.poolName);
      names = ToQt(m->second.name1 + " - " + m->second.name2);
    }
    const int row = grid_->AddRow({TimeOf(e.received), QString::number(e.entry.tafel), klasse, names, EntryText(e),
                                   StatusText(e.status), ToQt(e.reason)},
                                  e.id);
    if (e.status == EntryStatus::kWaiting) grid_->SetRowColors(row, QColor(), kWaitingBackground);
  }
  grid_->EndUpdate();
  grid_->AutoSize();
  const int row = followWaiting_ ? -1 : grid_->FindRowData(keep);
  if (row >= 0)
    grid_->SelectRow(row);
  else if (grid_->RowCount() > 0)
    grid_->SelectRow(0);  // the first one waiting, when one waits
  grid_->blockSignals(blocked);
  ShowDetails();
  EnableButtons();
}

const QueuedEntry* LPaneEntries::Selected() const {
  const int id = grid_->RowData(grid_->FirstSelectedRow());
  auto it = std::find_if(entries_.begin(), entries_.end(), [id](const QueuedEntry& e) { return e.id == id; });
  return it == entries_.end() ? nullptr : &*it;
}

void LPaneEntries::ShowDetails() {
  grid2_->BeginUpdate();
  grid2_->Clear();
  if (const QueuedEntry* selected = Selected()) {
    const int idMatch = selected->entry.idMatch;
    auto m = matches_.find(idMatch);
    if (m != matches_.end()) {
      // What is stored now, and where it came from.
      ResultSource source;
      const bool fromTable = ResultSourceOf(Db(), idMatch, source);
      const QString stored = ToQt(MatchResultText(m->second, rules_.at(m->second.idPool)));
      const QString from = stored.isEmpty() ? QString()
                           : fromTable      ? DeviceText(source.tafel, source.device)
                                            : QStringLiteral("Wedstrijdtafel");
      const int row = grid2_->AddRow({from, fromTable ? TimeOf(source.received) : QString(),
                                      stored.isEmpty() ? QStringLiteral("(geen)") : stored,
                                      QStringLiteral("Opgeslagen uitslag"), QString()});
      grid2_->SetRowColors(row, QColor(), QColor(220, 240, 220));
    }
    for (const QueuedEntry& e : entries_) {
      if (e.entry.idMatch != idMatch) continue;
      const int row = grid2_->AddRow(
          {DeviceText(e.entry.tafel, e.entry.device), TimeOf(e.received), EntryText(e), StatusText(e.status), ToQt(e.reason)}, e.id);
      if (e.id == selected->id)
        for (int c = 0; c < grid2_->ColumnCount(); ++c) grid2_->SetCellBold(row, c, true);
    }
  }
  grid2_->EndUpdate();
  grid2_->AutoSize();
}

void LPaneEntries::EnableButtons() {
  const QueuedEntry* e = Selected();
  const bool waiting = e && e->status == EntryStatus::kWaiting;
  accept_->setEnabled(waiting);
  reject_->setEnabled(waiting);
  open_->setEnabled(e && matches_.count(e->entry.idMatch));
}

void LPaneEntries::Accept() {
  const QueuedEntry* e = Selected();
  if (!e) return;
  DataChange change;
  acting_ = true;
  const bool accepted = AcceptTableEntry(Db(), Prompt(), e->id, &change);
  if (accepted && Main()) {
    Main()->NotifyDataChanged(change);
    Main()->NotifyEntriesChanged();
  }
  acting_ = false;
  if (accepted) followWaiting_ = true;  // on to the next one waiting
  Refresh();
}

void LPaneEntries::Reject() {
  const QueuedEntry* e = Selected();
  if (!e) return;
  const int id = e->id;
  acting_ = true;
  if (RejectTableEntry(Db(), id)) {
    if (Main()) Main()->NotifyEntriesChanged();
    followWaiting_ = true;  // on to the next one waiting
  } else {
    QueuedEntry now;
    if (GetTableEntry(Db(), id, now) && now.status == EntryStatus::kWaiting)
      Prompt().Alert("De invoer kon niet afgewezen worden; er is niets veranderd.");
  }
  acting_ = false;
  Refresh();
}

void LPaneEntries::OpenResult() {
  const QueuedEntry* e = Selected();
  if (!e) return;
  auto m = matches_.find(e->entry.idMatch);
  if (m == matches_.end()) {
    Prompt().Alert(kMatchGoneMessage);
    return;
  }
  // The dialog tells everyone of a change itself; this pane follows then.
  EnterResult(app_, m->first, EffectiveMatchSystemId(Db(), m->second.idPool), this);
}

void LPaneEntries::resizeEvent(QResizeEvent* event) {
  LPane::resizeEvent(event);
  // The queue takes the room; the details of one match need a few rows.
  const QRect top = grid_->geometry(), bottom = grid2_->geometry();
  const int total = bottom.bottom() - top.top();
  const int details = std::min(total * 2 / 5, grid2_->horizontalHeader()->height() +
                                                  7 * grid2_->verticalHeader()->defaultSectionSize() + 2);
  grid_->setGeometry(top.x(), top.y(), top.width(), total - details - kGap);
  grid2_->setGeometry(top.x(), top.y() + total - details, top.width(), details);
}

void LPaneEntries::OnEntriesChanged() {
  if (!acting_ && isVisible()) Refresh();
}

void LPaneEntries::OnDataChanged(const DataChange& change) {
  if (acting_ || !isVisible()) return;  // the main window refreshes a pane it shows again
  if (change.kind == ChangeKind::kStructure || listed_.count(change.idMatch)) Refresh();
}

}  // namespace velgram
