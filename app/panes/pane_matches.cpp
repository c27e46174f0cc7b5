#include "app/panes/pane_matches.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QResizeEvent>
#include <algorithm>
#include <cstdio>
#include <map>
#include <set>
#include <unordered_map>

#include "app/live/dlg_live.h"
#include "app/printing/print_preview.h"
#include "app/results/enter_result.h"
#include "app/shell/app.h"
#include "app/shell/mainwindow.h"
#include "app/shell/qtext.h"
#include "competition/match_rules.h"
#include "store/database.h"
#include "support/prompt.h"
#include "support/text.h"

namespace velgram {

namespace {

constexpr int kFilterGap = 6;
// More boxes than this do not fit a slip; no match system asks for them.
constexpr int kMaxSlipGames = 9;

std::string ShortPart(const std::string& name) {
  if (name.size() < 2) return name;
  return std::string{name.front(), name.back()};
}

bool IsBye(const MatchEntry& m) { return m.idContestant1 == kNotPlayed || m.idContestant2 == kNotPlayed; }

QStringList Texts(const std::vector<std::string>& list) {
  QStringList texts;
  for (const std::string& s : list) texts << ToQt(s);
  return texts;
}

}  // namespace

std::string MatchInfoText(const std::string& className, const std::string& poolName, int maxRound, bool brief) {
  if (brief) {
    std::string text = ShortPart(className) + "." + ShortPart(poolName);
    if (maxRound > 0) text += Format("-R%d", maxRound);
    return text;
  }
  std::string text = className + " / " + poolName;
  if (maxRound > 0) text += Format(" / R%d", maxRound);
  return text;
}

// ---------------------------------------------------------------- shared

LPaneMatchList::LPaneMatchList(CVelgramApp& app, const QString& title, QWidget* parent)
    : LPane(app, title, parent), book_(app.Db()) {
  filters_ = new QWidget(this);
  auto* row = new QHBoxLayout(filters_);
  row->setContentsMargins(0, 0, 0, 0);
  row->setSpacing(8);
  connect(grid_, &LGrid::rowDoubleClicked, this, &LPaneMatchList::OpenRow);
  // A result entered anywhere (a pool pane, the hall display) shows here at
  // once; a hidden pane catches up when it is shown again.
  if (CVelgramDlg* w = Main()) connect(w, &CVelgramDlg::dataChanged, this, &LPaneMatchList::OnDataChanged);
}

std::string LPaneMatchList::Key(const char* prefix) const { return prefix + std::to_string(app_.IdToernooi()); }

bool LPaneMatchList::SettingOn(const char* prefix) { return Db().GetSetting(Key(prefix)) == "1"; }

QCheckBox* LPaneMatchList::AddSettingBox(const QString& text, const char* keyPrefix) {
  auto* box = new QCheckBox(text, filters_);
  filters_->layout()->addWidget(box);
  settingBoxes_.push_back({box, keyPrefix});
  connect(box, &QCheckBox::clicked, this, [this, box, keyPrefix] {
    if (!app_.HasToernooi()) return;
    Db().SetSetting(Key(keyPrefix), box->isChecked() ? "1" : "0");
    Refresh();
  });
  return box;
}

bool LPaneMatchList::FillBook(const char* clubPrefix) {
  stale_ = false;
  ApplyLook();
  LoadSettingBoxes();
  if (!app_.HasToernooi()) {
    book_.Clear();
    grid_->Clear();
    return false;
  }
  book_.withClub = SettingOn(clubPrefix);
  book_.FillToernooi(app_.IdToernooi());
  return true;
}

void LPaneMatchList::LoadSettingBoxes() {
  for (const SettingBox& s : settingBoxes_) {
    const bool blocked = s.box->blockSignals(true);
    s.box->setChecked(app_.HasToernooi() && SettingOn(s.keyPrefix));
    s.box->blockSignals(blocked);
  }
}

void LPaneMatchList::FillCombo(QComboBox* combo, const std::vector<std::string>& texts, const QString& keep) {
  const bool blocked = combo->blockSignals(true);
  combo->clear();
  combo->addItems(Texts(texts));
  const int index = combo->findText(keep, Qt::MatchExactly | Qt::MatchCaseSensitive);
  combo->setCurrentIndex(index >= 0 ? index : 0);
  combo->blockSignals(blocked);
}

QString LPaneMatchList::TableText(const MatchEntry& m) { return m.tafel > 0 ? QString::number(m.tafel) : QString(); }

QString LPaneMatchList::TimeText(const MatchEntry& m) {
  if (m.starttime <= 0) return QString();
  // Formatted by hand: QString::arg, twice for each of thousands of rows,
  // is a good part of a refresh.
  char text[16];
  const int n = std::snprintf(text, sizeof text, "%d:%02d", m.starttime / 100, m.starttime % 100);
  return QString::fromLatin1(text, n);
}

QString LPaneMatchList::ResultText(const MatchEntry& m) {
  if (m.indexWinner < 0) return QString();
  QString text = m.indexWinner == 0 ? QStringLiteral("1-0") : QStringLiteral("0-1");
  const std::string mark = DecisionMark(m.decision);  // "w.o." or "opg."
  return mark.empty() ? text : text + QLatin1Char(' ') + ToQt(mark);
}

void LPaneMatchList::OpenRow(int row) {
  const int id = grid_->RowData(row);
  if (id >= 0) OpenMatch(id);
}

void LPaneMatchList::OpenMatch(int idMatch) {
  const MatchEntry* m = book_.FindMatch(idMatch);
  PoolRecord pool;
  if (!m || !Db().GetPool(m->idPool, pool)) {
    Prompt().Alert("Kan de poule niet vinden.");
    return;
  }
  // A pool without rules of its own, its class's or its tournament's plays by
  // the default rules (id 0), which the result entry knows.
  const int idMatchSystem = EffectiveMatchSystemId(Db(), m->idPool);
  entering_ = true;
  DataChange change;
  const bool changed = EnterResult(app_, idMatch, idMatchSystem, this, &change);
  entering_ = false;
  if (changed) Follow(change);
}

void LPaneMatchList::OnDataChanged(const DataChange& change) {
  if (entering_) return;  // followed once when the entry closes
  if (isVisible() && !stale_)
    Follow(change);
  else
    stale_ = true;
}

void LPaneMatchList::Follow(const DataChange& change) {
  if (!app_.HasToernooi() || book_.Toernooi() != app_.IdToernooi()) {
    Refresh();
    return;
  }
  book_.Apply(change);
  ShowRows();
}

void LPaneMatchList::showEvent(QShowEvent* event) {
  LPane::showEvent(event);
  // The main window refreshes a pane it shows; this catches a pane shown
  // some other way after a change.
  if (stale_)
    QTimer::singleShot(0, this, [this] {
      if (stale_ && isVisible()) Refresh();
    });
}

void LPaneMatchList::resizeEvent(QResizeEvent* event) {
  LPane::resizeEvent(event);
  // The filters take the top of the list's place.
  const QRect g = grid_->geometry();
  const int h = filters_->sizeHint().height();
  filters_->setGeometry(g.x(), g.y(), g.width(), h);
  grid_->setGeometry(g.x(), g.y() + h + kFilterGap, g.width(), std::max(50, g.height() - h - kFilterGap));
}

// ---------------------------------------------------------------- Wedstrijden

LPaneMatches::LPaneMatches(CVelgramApp& app, QWidget* parent)
    : LPaneMatchList(app, QStringLiteral("Wedstrijden"), parent) {
  AddButton(QStringLiteral("Afdrukken"), [this] { Print(); });
  auto* row = static_cast<QHBoxLayout*>(filters_->layout());
  row->addWidget(new QLabel(QStringLiteral("Deelnemer:"), filters_));
  participant_ = new QLineEdit(filters_);
  participant_->setMinimumWidth(120);
  row->addWidget(participant_);
  classes_ = new QComboBox(filters_);
  classes_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
  row->addWidget(classes_);
  pools_ = new QComboBox(filters_);
  pools_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
  row->addWidget(pools_);
  played_ = new QCheckBox(QStringLiteral("Gespeeld"), filters_);
  played_->setTristate(true);
  played_->setCheckState(Qt::Unchecked);
  row->addWidget(played_);
  tables_ = AddSettingBox(QStringLiteral("Tafels"), "MatchesTables");
  times_ = AddSettingBox(QStringLiteral("Tijden"), "MatchesTimes");
  club_ = AddSettingBox(QStringLiteral("Vereniging"), "MatchesClub");
  row->addStretch(1);

  grid_->SetColumns({{QStringLiteral("Tafel"), SortKind::Number},
                     {QStringLiteral("Tijd"), SortKind::Time},
                     {QStringLiteral("Speler 1")},
                     {QStringLiteral("Speler 2")},
                     {QStringLiteral("Resultaat")},
                     {QStringLiteral("Spelklasse")},
                     {QStringLiteral("Poule")}});
  connect(grid_, &LGrid::sorted, this, &LPaneMatches::SaveSort);

  // Typing a name refreshes once the typing pauses, not at every letter of a
  // list of thousands.
  filterTimer_.setSingleShot(true);
  filterTimer_.setInterval(300);
  connect(participant_, &QLineEdit::textChanged, this, [this] { filterTimer_.start(); });
  connect(&filterTimer_, &QTimer::timeout, this, &LPaneMatches::TakeParticipantText);
  connect(classes_, &QComboBox::currentIndexChanged, this, [this] { Refresh(); });
  connect(pools_, &QComboBox::currentIndexChanged, this, [this] { Refresh(); });
  connect(played_, &QCheckBox::clicked, this, [this] { Refresh(); });
}

void LPaneMatches::Refresh() {
  if (FillBook("MatchesClub")) ShowRows();
}

LPaneMatches::Filter LPaneMatches::CurrentFilter() const {
  Filter f;
  f.allClasses = classes_->currentIndex() <= 0;
  f.allPools = pools_->currentIndex() <= 0;
  f.klasse = FromQt(classes_->currentText());
  f.pool = FromQt(pools_->currentText());
  f.played = played_->checkState();
  f.text = filter_.toLower();
  return f;
}

bool LPaneMatches::Filter::Keeps(const MatchEntry& m, const QString& name1, const QString& name2) const {
  if (!allClasses && m.systemName != klasse) return false;
  if (!allPools && m.poolName != pool) return false;
  if (played == Qt::Checked && m.indexWinner < 0) return false;
  if (played == Qt::Unchecked && m.indexWinner >= 0) return false;
  return text.isEmpty() || name1.toLower().contains(text) || name2.toLower().contains(text);
}

bool LPaneMatches::Shows(const MatchEntry& m) const {
  return !IsBye(m) && CurrentFilter().Keeps(m, ToQt(m.name1), ToQt(m.name2));
}

QStringList LPaneMatches::Cells(const MatchEntry& m) const {
  return Cells(m, ToQt(m.name1), ToQt(m.name2), ToQt(m.systemName), ToQt(m.poolName));
}

QStringList LPaneMatches::Cells(const MatchEntry& m, QString name1, QString name2, const QString& klasse,
                                const QString& pool) {
  return {TableText(m), TimeText(m), std::move(name1), std::move(name2), ResultText(m), klasse, pool};
}

void LPaneMatches::Follow(const DataChange& change) {
  if (!app_.HasToernooi() || book_.Toernooi() != app_.IdToernooi()) {
    Refresh();
    return;
  }
  const MatchBook::Touched touched = book_.Apply(change);
  // New positions may bring a pool's first matches, and with them a new
  // entry in the pool list: the rows are drawn again from the book.
  if (touched.all || change.kind == ChangeKind::kPositions) {
    ShowRows();
    return;
  }
  // Only the rows of the touched pools change. A row whose place in the sort
  // stays put is rewritten where it is; the others leave and come back where
  // a full sort would put them.
  std::unordered_map<int, const MatchEntry*> touchedMatches;
  for (int idPool : touched.pools)
    for (const MatchEntry& m : book_.PoolMatches(idPool)) touchedMatches[m.id] = book_.FindMatch(m.id);
  const int sortColumn = grid_->SortColumn();
  std::vector<int> leaving;
  std::set<int> placed;
  std::vector<QStringList> gone, come;  // the texts, for the column widths
  auto rowTexts = [this](int row) {
    QStringList texts;
    for (int col = 0; col < grid_->ColumnCount(); ++col) texts << grid_->Cell(row, col);
    return texts;
  };
  for (int row = 0; row < grid_->RowCount(); ++row) {
    auto it = touchedMatches.find(grid_->RowData(row));
    if (it == touchedMatches.end()) continue;
    const MatchEntry* m = it->second;
    const QStringList cells = Cells(*m);
    const QStringList old = rowTexts(row);
    if (old == cells) {
      placed.insert(m->id);
      continue;
    }
    gone.push_back(old);
    if (!Shows(*m) || (sortColumn >= 0 && old[sortColumn] != cells[sortColumn])) {
      leaving.push_back(row);
      continue;
    }
    placed.insert(m->id);
    come.push_back(cells);
    for (int col = 0; col < cells.size(); ++col)
      if (old[col] != cells[col]) grid_->SetCell(row, col, cells[col]);
  }
  for (auto row = leaving.rbegin(); row != leaving.rend(); ++row) grid_->RemoveRow(*row);
  for (const auto& [id, m] : touchedMatches) {
    if (placed.count(id) || !Shows(*m)) continue;
    come.push_back(Cells(*m));
    grid_->InsertRowSorted(come.back(), id);
  }
  grid_->AutoSizeChanged(gone, come);
}

void LPaneMatches::ShowRows() {
  // Byes are not played and not listed.
  std::vector<const MatchEntry*> matches;
  matches.reserve(book_.Matches().size());
  for (const MatchEntry& m : book_.Matches())
    if (!IsBye(m)) matches.push_back(&m);

  // The class list keeps the user's choice; a class added since the pane
  // was opened appears too.
  // A class's matches mostly follow each other: a name like the one before
  // is not looked up in the set again.
  std::set<std::string> classNames;
  for (size_t i = 0; i < matches.size(); ++i)
    if (i == 0 || matches[i]->systemName != matches[i - 1]->systemName) classNames.insert(matches[i]->systemName);
  std::vector<std::string> classTexts{"Alle spelklassen"};
  classTexts.insert(classTexts.end(), classNames.begin(), classNames.end());
  FillCombo(classes_, classTexts, classes_->currentText());

  const bool allClasses = classes_->currentIndex() <= 0;
  const std::string klasse = FromQt(classes_->currentText());
  std::set<std::string> poolNames;
  const std::string* lastPool = nullptr;
  for (const MatchEntry* m : matches)
    if ((allClasses || m->systemName == klasse) && (!lastPool || *lastPool != m->poolName))
      poolNames.insert(*(lastPool = &m->poolName));
  std::vector<std::string> poolTexts{"Alle poules"};
  poolTexts.insert(poolTexts.end(), poolNames.begin(), poolNames.end());
  FillCombo(pools_, poolTexts, pools_->currentText());

  const Filter filter = CurrentFilter();
  const int tournament = app_.IdToernooi();
  // A pool's matches follow each other: its class and pool texts are
  // converted once and shared by its rows.
  const std::string* lastClass = nullptr;
  const std::string* lastPoolName = nullptr;
  QString classText, poolText;
  grid_->BeginUpdate();
  grid_->Clear();
  for (const MatchEntry* m : matches) {
    QString name1 = ToQt(m->name1), name2 = ToQt(m->name2);
    if (!filter.Keeps(*m, name1, name2)) continue;
    if (!lastClass || *lastClass != m->systemName) classText = ToQt(*(lastClass = &m->systemName));
    if (!lastPoolName || *lastPoolName != m->poolName) poolText = ToQt(*(lastPoolName = &m->poolName));
    grid_->AddRow(Cells(*m, std::move(name1), std::move(name2), classText, poolText), m->id);
  }
  grid_->EndUpdate();
  grid_->SetColumnHidden(kTafel, !tables_->isChecked());
  grid_->SetColumnHidden(kTijd, !times_->isChecked());

  const int column = Db().GetSettingInt(Format("PaneMatchesSortColumn%d", tournament), 0);
  const bool ascending = Db().GetSettingInt(Format("PaneMatchesSortDir%d", tournament), 0) != 1;
  grid_->SortByColumn(std::clamp(column, 0, grid_->ColumnCount() - 1), ascending);
  grid_->AutoSize();
}

void LPaneMatches::TakeParticipantText() {
  filterTimer_.stop();
  filter_ = participant_->text();
  Refresh();
}

void LPaneMatches::SaveSort(int col, bool ascending) {
  if (!app_.HasToernooi()) return;
  Db().SetSettings({{Format("PaneMatchesSortColumn%d", app_.IdToernooi()), Format("%d", col)},
                    {Format("PaneMatchesSortDir%d", app_.IdToernooi()), ascending ? "0" : "1"}});
}

QString LPaneMatches::PrintSubtitle() const {
  QString subtitle = filter_;
  auto append = [&subtitle](const QString& text) {
    if (!subtitle.isEmpty()) subtitle += QStringLiteral(", ");
    subtitle += text;
  };
  if (classes_->currentIndex() > 0) append(classes_->currentText());
  if (pools_->currentIndex() > 0) append(pools_->currentText());
  switch (played_->checkState()) {
    case Qt::Checked: append(QStringLiteral("Gespeeld")); break;
    case Qt::Unchecked: append(QStringLiteral("Niet gespeeld")); break;
    default: append(QStringLiteral("Gespeeld en niet gespeeld")); break;
  }
  return subtitle;
}

void LPaneMatches::Print() {
  if (Main()) Main()->PrintGrid(grid_, QStringLiteral("PaneMatches"), this, PrintSubtitle());
}

// ---------------------------------------------------------------- Wedstrijdbriefjes

LPaneMatchNotes::LPaneMatchNotes(CVelgramApp& app, QWidget* parent)
    : LPaneMatchList(app, QStringLiteral("Wedstrijdbriefjes"), parent) {
  AddButton(QStringLiteral("Afdrukken"), [this] { Print(); });
  auto* row = static_cast<QHBoxLayout*>(filters_->layout());
  row->addWidget(new QLabel(QStringLiteral("Spelklasse:"), filters_));
  classes_ = new QComboBox(filters_);
  classes_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
  row->addWidget(classes_);
  row->addWidget(new QLabel(QStringLiteral("Poule:"), filters_));
  pools_ = new QComboBox(filters_);
  pools_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
  row->addWidget(pools_);
  tables_ = AddSettingBox(QStringLiteral("Tafels"), "MatchNotesTables");
  times_ = AddSettingBox(QStringLiteral("Tijden"), "MatchNotesTimes");
  club_ = AddSettingBox(QStringLiteral("Vereniging"), "MatchNotesClub");
  info_ = AddSettingBox(QStringLiteral("Info"), "MatchNotesInfo");
  brief_ = AddSettingBox(QStringLiteral("Info kort"), "MatchNotesInfoBrief");
  row->addStretch(1);

  grid_->SetColumns({{QStringLiteral("Info")},
                     {QStringLiteral("Speler 1")},
                     {QStringLiteral("Speler 2")},
                     {QStringLiteral("Resultaat")},
                     {QStringLiteral("Tafel"), SortKind::Number},
                     {QStringLiteral("Tijd"), SortKind::Time}});
  // The slips stay in the order they are played in.
  grid_->SetHeaderClickSorts(false);
  connect(classes_, &QComboBox::currentIndexChanged, this, [this] { Refresh(); });
  connect(pools_, &QComboBox::currentIndexChanged, this, [this] { Refresh(); });
}

void LPaneMatchNotes::Refresh() {
  if (FillBook("MatchNotesClub")) ShowRows();
}

void LPaneMatchNotes::ShowRows() {
  const std::vector<MatchEntry>& matches = book_.Matches();

  std::set<std::string> classNames;
  for (const MatchEntry& m : matches) classNames.insert(m.systemName);
  FillCombo(classes_, {classNames.begin(), classNames.end()}, classes_->currentText());
  const std::string klasse = FromQt(classes_->currentText());
  std::set<std::string> poolNames;
  for (const MatchEntry& m : matches)
    if (m.systemName == klasse) poolNames.insert(m.poolName);
  FillCombo(pools_, {poolNames.begin(), poolNames.end()}, pools_->currentText());
  const std::string pool = FromQt(pools_->currentText());

  const bool brief = brief_->isChecked();
  std::map<int, int> rounds;  // highest Swiss round per pool id
  grid_->BeginUpdate();
  grid_->Clear();
  for (const MatchEntry& m : matches) {
    if (classNames.empty() || m.systemName != klasse || m.poolName != pool) continue;
    auto round = rounds.find(m.idPool);
    if (round == rounds.end()) round = rounds.emplace(m.idPool, Db().MaxRound(m.idPool)).first;
    grid_->AddRow({ToQt(MatchInfoText(m.systemName, m.poolName, round->second, brief)), ToQt(m.name1), ToQt(m.name2),
                   ResultText(m), TableText(m), TimeText(m)},
                  m.id);
  }
  grid_->EndUpdate();
  grid_->SetColumnHidden(kInfo, !info_->isChecked());
  grid_->SetColumnHidden(kTafel, !tables_->isChecked());
  grid_->SetColumnHidden(kTijd, !times_->isChecked());
  grid_->AutoSize();
}

std::vector<MatchSlip> LPaneMatchNotes::Slips() {
  std::vector<MatchSlip> slips;
  const std::map<int, QString> cards = TableCardAddresses(Db(), app_.IdToernooi());
  for (int row = 0; row < grid_->RowCount(); ++row) {
    const MatchEntry* m = book_.FindMatch(grid_->RowData(row));
    if (!m || IsBye(*m)) continue;
    MatchSlip s;
    // A slip always says which match it is, whatever the list shows.
    s.info = grid_->Cell(row, kInfo);
    s.table = TableText(*m);
    s.time = TimeText(*m);
    s.name1 = ToQt(m->name1);
    s.name2 = ToQt(m->name2);
    s.games = std::clamp(book_.MatchSystemOfPool(m->idPool).setMax, 0, kMaxSlipGames);
    if (m->indexWinner >= 0 && m->decision != kDecisionPlayed) {
      s.mark = ToQt(DecisionMark(m->decision));
      s.markSide = m->indexWinner == 0 ? 1 : 0;
    }
    if (auto card = cards.find(m->tafel); card != cards.end()) s.qr = card->second;
    slips.push_back(s);
  }
  return slips;
}

QString LPaneMatchNotes::PrintSubtitle() const {
  QString subtitle = classes_->currentText();
  if (!pools_->currentText().isEmpty()) subtitle += QStringLiteral(", ") + pools_->currentText();
  return subtitle;
}

void LPaneMatchNotes::Print() {
  const SlipPages slips(Slips());
  RunPrintPreview(Db(), Prompt(), *grid_, "PaneMatchNotes", PrintSubtitle(), this, &slips);
  Refresh();
}

}  // namespace velgram
