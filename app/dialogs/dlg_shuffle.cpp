#include "app/dialogs/dlg_shuffle.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QVBoxLayout>

#include "app/shell/qtext.h"
#include "app/widgets/grid.h"
#include "support/clock.h"
#include "support/random.h"

namespace velgram {

namespace {

QColor CellColour(PairCell cell) {
  switch (cell) {
    case PairCell::kSelf: return Qt::black;
    case PairCell::kWon: return QColor(0, 200, 0);
    case PairCell::kLost: return QColor(230, 0, 0);
    case PairCell::kPaired: return QColor(0, 0, 255);
    case PairCell::kEmpty: break;
  }
  return Qt::white;
}

LGrid* MatrixGrid(int n, QWidget* parent) {
  auto* grid = new LGrid(parent);
  std::vector<GridColumn> columns;
  for (int i = 1; i <= n; ++i) columns.push_back({QString::number(i), SortKind::None, Qt::AlignCenter});
  grid->SetColumns(columns);
  grid->SetHeaderClickSorts(false);
  grid->setSelectionMode(QAbstractItemView::NoSelection);
  grid->SetRowHeight(14);
  grid->horizontalHeader()->setMinimumSectionSize(4);
  grid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  grid->BeginUpdate();
  for (int i = 0; i < n; ++i) grid->AddRow({});
  grid->EndUpdate();
  for (int i = 0; i < n; ++i) grid->SetColumnWidthPx(i, 18);
  grid->setMinimumSize(260, 260);
  return grid;
}

}  // namespace

LDlgShuffle::LDlgShuffle(const std::vector<LCard>& cards, const std::vector<MatchEntry>& matches, QWidget* parent)
    : QDialog(parent), matches_(matches) {
  setWindowTitle(QStringLiteral("Bereken Zwitserse ronde"));
  Clock& clock = DefaultClock();
  engine_ = std::make_unique<ShuffleEngine>(cards, matches, clock, std::make_unique<StdRandom>(),
                                            ShuffleEngine::SeedFromClock(clock));
  const int n = static_cast<int>(cards.size());
  proposal = MatrixGrid(n, this);
  best = MatrixGrid(n, this);

  auto* figures = new QGridLayout;
  auto addFigure = [&](int row, const char* title, QLabel*& value) {
    figures->addWidget(new QLabel(ToQt(title), this), row, 0);
    value = new QLabel(this);
    value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    value->setMinimumWidth(90);
    figures->addWidget(value, row, 1);
  };
  addFigure(0, "Aantal shuffles:", shuffles);
  addFigure(1, "Aantal berekeningen:", evaluations);
  addFigure(2, "Initi\xEBle waarde:", initialValue);
  addFigure(3, "Beste waarde:", bestValue);
  addFigure(4, "Seconden sinds laatste wijziging:", sinceChange);
  addFigure(5, "Snelheid:", speed);

  startButton = new QPushButton(QStringLiteral("Start"), this);
  okButton = new QPushButton(QStringLiteral("OK"), this);
  cancelButton = new QPushButton(QStringLiteral("Annuleren"), this);
  okButton->setDefault(true);
  connect(startButton, &QPushButton::clicked, this, [this] { engine_->Running() ? Stop() : Start(); });
  connect(okButton, &QPushButton::clicked, this, &LDlgShuffle::accept);
  connect(cancelButton, &QPushButton::clicked, this, &LDlgShuffle::reject);

  auto* matrices = new QHBoxLayout;
  matrices->addWidget(proposal, 1);
  matrices->addWidget(best, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(startButton);
  buttons->addStretch();
  buttons->addWidget(okButton);
  buttons->addWidget(cancelButton);
  auto* side = new QVBoxLayout;
  side->addLayout(figures);
  side->addStretch();
  auto* top = new QHBoxLayout;
  top->addLayout(matrices, 1);
  top->addLayout(side);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top, 1);
  layout->addLayout(buttons);

  Pairing initial = PairingOfCards(cards);
  FillMatrix(proposal, initial);
  FillMatrix(best, initial);
  refresh_.setInterval(1000);
  connect(&refresh_, &QTimer::timeout, this, &LDlgShuffle::RefreshFigures);
  resize(std::max(720, 2 * 20 * n + 360), std::max(380, 16 * n + 140));
  // Once laid out, every cell gets its share of the frame.
  QTimer::singleShot(500, this, [this, n] {
    if (n <= 0) return;
    for (LGrid* g : {proposal, best}) {
      int w = std::max(6, g->viewport()->width() / n), h = std::max(6, g->viewport()->height() / n);
      for (int c = 0; c < n; ++c) g->SetColumnWidthPx(c, w);
      g->SetRowHeight(h);
    }
  });
}

LDlgShuffle::~LDlgShuffle() {
  refresh_.stop();
  engine_->Stop();  // the worker reads the engine's data until it ends
}

void LDlgShuffle::FillMatrix(LGrid* grid, const Pairing& pairing) {
  std::vector<PairCell> cells = PairingMatrix(engine_->Cards(), matches_, pairing);
  const int n = static_cast<int>(engine_->Cards().size());
  grid->BeginUpdate();
  for (int r = 0; r < n; ++r)
    for (int c = 0; c < n; ++c) grid->SetCellColors(r, c, QColor(), CellColour(cells[static_cast<size_t>(r * n + c)]));
  grid->EndUpdate();
}

void LDlgShuffle::Start() {
  if (engine_->Running()) return;
  okButton->setEnabled(false);
  cancelButton->setEnabled(false);
  startButton->setText(QStringLiteral("Stop"));
  engine_->Start();
  refresh_.start();
}

void LDlgShuffle::Stop() {
  refresh_.stop();
  engine_->Stop();
  okButton->setEnabled(true);
  cancelButton->setEnabled(true);
  startButton->setText(QStringLiteral("Start"));
  RefreshFigures();
}

void LDlgShuffle::RefreshFigures() {
  ShuffleSnapshot s = engine_->Snapshot();
  if (!s.started) return;
  ShuffleFigures f = FiguresOf(s, DefaultClock().NowUnix());
  if (!initialShown_) {
    initialShown_ = true;
    FillMatrix(proposal, s.initialPairing);
    initialValue->setText(ToQt(f.initialValue));
  }
  FillMatrix(best, s.bestPairing);
  shuffles->setText(ToQt(f.shuffles));
  evaluations->setText(ToQt(f.evaluations));
  bestValue->setText(ToQt(f.bestValue));
  sinceChange->setText(ToQt(f.sinceChange));
  speed->setText(ToQt(f.speed));
}

void LDlgShuffle::accept() {
  if (engine_->Running()) return;
  resultCards_ = engine_->ResultCards();
  QDialog::accept();
}

void LDlgShuffle::reject() {
  // Closing while the search runs ends it first: the worker must not outlive
  // the data it reads. The proposal stays.
  if (engine_->Running()) Stop();
  resultCards_.clear();
  QDialog::reject();
}

void LDlgShuffle::closeEvent(QCloseEvent* event) {
  if (engine_->Running()) Stop();
  QDialog::closeEvent(event);
}

std::vector<LCard> LShuffleReviewer::Review(const std::vector<LCard>& cards, const std::vector<MatchEntry>& matches) {
  LDlgShuffle dlg(cards, matches, parent_);
  if (dlg.exec() != QDialog::Accepted) return {};
  return dlg.ResultCards();
}

}  // namespace velgram
