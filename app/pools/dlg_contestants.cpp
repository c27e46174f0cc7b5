#include "app/pools/dlg_contestants.h"

#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QScrollBar>
#include <QScreen>
#include <QVBoxLayout>
#include <algorithm>

#include "app/dialogs/dlg_common.h"
#include "app/shell/app.h"
#include "app/shell/qtext.h"
#include "app/widgets/grid.h"
#include "competition/dropout.h"

namespace velgram {

namespace {

constexpr int kMaxLinkNumber = 16;

std::vector<GridColumn> PlayerColumns() {
  return {{QStringLiteral("Naam")},
          {QStringLiteral("Vereniging")},
          {QStringLiteral("Rating"), SortKind::Number, Qt::AlignRight | Qt::AlignVCenter},
          {QStringLiteral("Klasse")}};
}

QString RatingText(int rating, bool known = true) { return known ? QString::number(rating) : QString(); }

LGrid* MakeGrid(QWidget* parent, int minRows) {
  auto* g = new LGrid(parent);
  g->setMinimumHeight(g->verticalHeader()->defaultSectionSize() * minRows);
  return g;
}

}  // namespace

// ---------------------------------------------------------------- add players

LDlgAddContestants::LDlgAddContestants(CVelgramApp& app, int idPool, int maximum, QWidget* parent)
    : QDialog(parent), app_(app), draft_(std::make_unique<PositionDraft>(app.Db(), idPool, maximum)) {
  setWindowTitle(QStringLiteral("Spelers toevoegen"));
  auto* layout = new QVBoxLayout(this);
  auto* row = new QHBoxLayout;
  auto* left = new QGroupBox(QStringLiteral("Deelnemers"), this);
  auto* leftLayout = new QVBoxLayout(left);
  participants = MakeGrid(left, 12);
  participants->SetColumns(PlayerColumns());
  leftLayout->addWidget(participants);
  auto* middle = new QVBoxLayout;
  addButton = new QPushButton(QStringLiteral(">"), this);
  removeButton = new QPushButton(QStringLiteral("<"), this);
  for (QPushButton* b : {addButton, removeButton}) b->setAutoDefault(false);
  middle->addStretch();
  middle->addWidget(addButton);
  middle->addWidget(removeButton);
  middle->addStretch();
  auto* right = new QGroupBox(QStringLiteral("Poule"), this);
  auto* rightLayout = new QVBoxLayout(right);
  pool = MakeGrid(right, 12);
  pool->SetColumns(PlayerColumns());
  rightLayout->addWidget(pool);
  row->addWidget(left, 1);
  row->addLayout(middle);
  row->addWidget(right, 1);
  layout->addLayout(row, 1);
  AddOkCancel(this, layout);

  connect(addButton, &QPushButton::clicked, this, [this] { AddSelected(); });
  connect(removeButton, &QPushButton::clicked, this, [this] { RemoveSelected(); });
  connect(participants, &LGrid::rowDoubleClicked, this, [this](int r) {
    participants->SelectRow(r);
    AddSelected();
  });
  connect(pool, &LGrid::rowDoubleClicked, this, [this](int r) {
    pool->SelectRow(r);
    RemoveSelected();
  });
  // The positions of a running pool have matches.
  removeButton->setEnabled(!draft_->Running());
  Fill();
  int width = sizeHint().width() + participants->fontMetrics().averageCharWidth() * 40;
  if (const QScreen* s = screen())
    width = std::min(width, std::max(s->availableGeometry().width(), sizeHint().width()));
  resize(width, sizeHint().height());
}

LDlgAddContestants::~LDlgAddContestants() = default;

void LDlgAddContestants::Fill() {
  participants->Clear();
  participants->BeginUpdate();
  for (const Candidate& c : draft_->Candidates())
    participants->AddRow({ToQt(c.name), ToQt(c.club), RatingText(c.rating), ToQt(c.klasse)}, c.id);
  participants->EndUpdate();
  pool->Clear();
  const std::vector<Contestant>& list = draft_->List();
  for (size_t i = 0; i < list.size(); ++i)
    pool->AddRow({ToQt(list[i].name), ToQt(list[i].club), RatingText(list[i].rating, list[i].known),
                  ToQt(list[i].klasse)},
                 static_cast<int>(i));
  // Half the screen beside the buttons in the middle, for each list.
  const QScreen* screen = this->screen();
  const int room = screen ? (screen->availableGeometry().width() - addButton->sizeHint().width()) / 2 - 60 : 0;
  for (LGrid* g : {participants, pool}) {
    // The rows come back in the draft's order: the order the header's arrow
    // shows is made again.
    if (g->SortColumn() >= 0) g->SortByColumn(g->SortColumn(), g->SortAscending());
    g->AutoSize();
    // Duo names are long. Every column stays in sight and the dialog grows;
    // where two lists that wide would not fit on the screen, the names give
    // way (whole in their tooltips), not "Rating" and "Klasse".
    int columns = 0;
    for (int c = 0; c < g->ColumnCount(); ++c) columns += g->columnWidth(c);
    const int excess = columns + g->verticalScrollBar()->sizeHint().width() + 2 * g->frameWidth() - room;
    if (screen && excess > 0) {
      g->setColumnWidth(0, std::max(g->columnWidth(0) - excess, CharsWide(g, 12)));
      for (int r = 0; r < g->RowCount(); ++r) g->SetCellTooltip(r, 0, g->Cell(r, 0));
    }
    FitListWidth(g, 0);
  }
}

void LDlgAddContestants::AddSelected() {
  std::vector<int> ids = participants->SelectedIds();
  if (ids.empty()) return;
  if (draft_->AddParticipants(app_.Prompt(), ids)) Fill();
}

void LDlgAddContestants::RemoveSelected() {
  std::vector<int> indices = pool->SelectedIds();
  if (indices.empty()) return;
  if (draft_->RemovePositions(indices)) Fill();
}

// A refused write keeps the dialog open with the list as chosen, so that the
// director can try again instead of believing the pool was filled.
constexpr const char* kPositionsNotStored =
    "De spelers van de poule konden niet worden opgeslagen. Er is niets gewijzigd.";

void LDlgAddContestants::accept() {
  if (!draft_->SaveParticipants()) {
    app_.Prompt().Alert(kPositionsNotStored);
    return;
  }
  QDialog::accept();
}

// ---------------------------------------------------------------- links

LDlgLink::LDlgLink(CVelgramApp& app, int idPool, int maximum, QWidget* parent)
    : QDialog(parent), app_(app), draft_(std::make_unique<PositionDraft>(app.Db(), idPool, maximum)) {
  setWindowTitle(QStringLiteral("Koppel spelers uit vorig blok"));
  auto* layout = new QVBoxLayout(this);
  auto* choose = new QGridLayout;
  poolList = new QComboBox(this);
  poolList->setMinimumContentsLength(20);
  klasse = new QComboBox(this);
  klasse->setMinimumContentsLength(12);
  number = new QComboBox(this);
  best = new QComboBox(this);
  for (int i = 1; i <= kMaxLinkNumber; ++i) {
    number->addItem(QString::number(i), i);
    best->addItem(QString::number(i), i);
  }
  addNumber = new QPushButton(QStringLiteral("Toevoegen"), this);
  addBest = new QPushButton(QStringLiteral("Toevoegen"), this);
  addCross = new QPushButton(QStringLiteral("Kruislings"), this);
  addCross->setToolTip(QStringLiteral("De beste van iedere vorige poule, kruislings over het schema verdeeld"));
  for (QPushButton* b : {addNumber, addBest, addCross}) b->setAutoDefault(false);
  choose->addWidget(new QLabel(QStringLiteral("Poule:"), this), 0, 0);
  choose->addWidget(poolList, 0, 1);
  choose->addWidget(new QLabel(QStringLiteral("Klasse:"), this), 0, 2);
  choose->addWidget(klasse, 0, 3);
  choose->addWidget(new QLabel(QStringLiteral("Nummer:"), this), 1, 0);
  choose->addWidget(number, 1, 1);
  choose->addWidget(addNumber, 1, 2);
  choose->addWidget(new QLabel(QStringLiteral("Beste:"), this), 2, 0);
  choose->addWidget(best, 2, 1);
  choose->addWidget(addBest, 2, 2);
  choose->addWidget(addCross, 2, 3, Qt::AlignLeft);
  choose->setColumnStretch(4, 1);
  layout->addLayout(choose);

  grid = MakeGrid(this, 12);
  grid->SetColumns({{QString(), SortKind::None, Qt::AlignCenter},
                    {QString(), SortKind::None, Qt::AlignCenter},
                    {QStringLiteral("Nr."), SortKind::None, Qt::AlignRight | Qt::AlignVCenter},
                    {QStringLiteral("Koppeling"), SortKind::None},
                    {QStringLiteral("Naam"), SortKind::None},
                    {QStringLiteral("Vereniging"), SortKind::None},
                    {QStringLiteral("Rating"), SortKind::None, Qt::AlignRight | Qt::AlignVCenter},
                    {QStringLiteral("Klasse"), SortKind::None}});
  // The list order is the pool's order: the arrows set it, not the headers.
  grid->SetHeaderClickSorts(false);
  layout->addWidget(grid, 1);
  pairings = new QLabel(this);
  pairings->setTextInteractionFlags(Qt::TextSelectableByMouse);
  pairings->setVisible(draft_->BracketSize() > 0);
  layout->addWidget(pairings);
  removeButton = new QPushButton(QStringLiteral("Verwijder geselecteerde speler"), this);
  removeButton->setAutoDefault(false);
  auto* removeRow = new QHBoxLayout;
  removeRow->addWidget(removeButton);
  removeRow->addStretch();
  layout->addLayout(removeRow);
  AddOkCancel(this, layout);

  for (const PoolRecord& p : draft_->EarlierPools()) poolList->addItem(ToQt(p.name), p.id);
  connect(poolList, &QComboBox::currentIndexChanged, this, [this] { FillClasses(); });
  connect(addNumber, &QPushButton::clicked, this, [this] { AddNumber(); });
  connect(addBest, &QPushButton::clicked, this, [this] { AddBest(); });
  connect(addCross, &QPushButton::clicked, this, [this] { AddCross(); });
  connect(removeButton, &QPushButton::clicked, this, [this] { RemoveSelected(); });
  connect(grid, &QAbstractItemView::clicked, this, [this](const QModelIndex& index) {
    if (index.column() == kColUp && !grid->Cell(index.row(), kColUp).isEmpty()) MoveUp(index.row());
    if (index.column() == kColDown && !grid->Cell(index.row(), kColDown).isEmpty()) MoveDown(index.row());
  });
  FillClasses();
  Fill();
  resize(sizeHint().width() + grid->fontMetrics().averageCharWidth() * 30, sizeHint().height());
}

LDlgLink::~LDlgLink() = default;

int LDlgLink::LinkedPool() const { return poolList->currentIndex() < 0 ? -1 : poolList->currentData().toInt(); }

void LDlgLink::FillClasses() {
  klasse->clear();
  klasse->addItem(QStringLiteral("Alle klassen"));
  if (LinkedPool() > 0)
    for (const std::string& k : draft_->ClassList(LinkedPool())) klasse->addItem(ToQt(k));
  klasse->setCurrentIndex(0);
}

void LDlgLink::Fill(int selectRow) {
  grid->Clear();
  const std::vector<Contestant>& list = draft_->List();
  const int n = static_cast<int>(list.size());
  for (int i = 0; i < n; ++i) {
    const Contestant& c = list[i];
    grid->AddRow({i > 0 ? QStringLiteral("\u2191") : QString(), i + 1 < n ? QStringLiteral("\u2193") : QString(),
                  QString::number(i + 1), ToQt(c.source), ToQt(c.name), ToQt(c.club), RatingText(c.rating, c.known),
                  ToQt(c.klasse)},
                 i);
  }
  grid->AutoSize();
  if (selectRow >= 0 && selectRow < n) grid->SelectRow(selectRow);
  if (draft_->BracketSize() > 0) {
    QStringList lines{QStringLiteral("Eerste ronde:")};
    for (const std::string& line : FirstRoundPairings(list, draft_->BracketSize())) lines << ToQt(line);
    pairings->setText(lines.join(QLatin1Char('\n')));
  }
}

void LDlgLink::AddNumber() {
  if (draft_->AddLink(app_.Prompt(), LinkedPool(), number->currentData().toInt(), klasse->currentIndex()))
    Fill(static_cast<int>(draft_->List().size()) - 1);
}

void LDlgLink::AddBest() {
  if (draft_->AddBest(app_.Prompt(), LinkedPool(), best->currentData().toInt(), klasse->currentIndex()))
    Fill(static_cast<int>(draft_->List().size()) - 1);
}

void LDlgLink::AddCross() {
  if (draft_->AddCross(app_.Prompt(), best->currentData().toInt())) Fill(static_cast<int>(draft_->List().size()) - 1);
}

void LDlgLink::RemoveSelected() {
  std::vector<int> rows = grid->SelectedIds();
  if (rows.empty()) return;
  draft_->RemoveLinks(rows);
  Fill();
}

void LDlgLink::MoveUp(int row) {
  if (draft_->MoveUp(row)) Fill(row - 1);
}

void LDlgLink::MoveDown(int row) {
  if (draft_->MoveDown(row)) Fill(row + 1);
}

void LDlgLink::accept() {
  if (!draft_->SaveLinks()) {
    app_.Prompt().Alert(kPositionsNotStored);
    return;
  }
  QDialog::accept();
}

// ---------------------------------------------------------------- start warning

LDlgPouleActivateWarning::LDlgPouleActivateWarning(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("Let op"));
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(QStringLiteral("Het starten kan niet ongedaan gemaakt worden."), this));
  layout->addWidget(new QLabel(QStringLiteral("De spelers worden hiermee definitief."), this));
  dontShowAgain = new QCheckBox(QStringLiteral("Deze melding niet meer tonen."), this);
  layout->addSpacing(8);
  layout->addWidget(dontShowAgain);
  auto* box = new QDialogButtonBox(this);
  startButton = box->addButton(QStringLiteral("Start"), QDialogButtonBox::AcceptRole);
  cancelButton = box->addButton(QStringLiteral("Annuleren"), QDialogButtonBox::RejectRole);
  connect(box, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(box, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(box);
}

bool DialogStartWarning::Ask(bool& dontShowAgain) {
  LDlgPouleActivateWarning dlg(parent_);
  bool start = dlg.exec() == QDialog::Accepted;
  dontShowAgain = dlg.dontShowAgain->isChecked();
  return start;
}

}  // namespace velgram
