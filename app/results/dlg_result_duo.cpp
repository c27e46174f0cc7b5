#include "app/results/dlg_result_duo.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QVBoxLayout>

#include "app/shell/app.h"
#include "app/shell/fonts.h"
#include "app/shell/qtext.h"

namespace velgram {

namespace {

const char* const kRowTitles[kDuoSubMatches] = {"1 a x", "2 b y", "3 a y", "4 b x", "5 ab xy"};
const char* const kPlayerLetters[4] = {"a", "b", "x", "y"};

}  // namespace

LDlgResultDuoPoints::LDlgResultDuoPoints(CVelgramApp& app, int idMatch, int idMatchSystem, QWidget* parent)
    : LDlgResultBase(app, idMatch, idMatchSystem, parent) {
  auto* layout = new QVBoxLayout(this);
  AddHeader(layout);

  auto* playersRow = new QHBoxLayout;
  auto* playersGrid = new QGridLayout;
  QFont nameFont = ResultFont("Arial,12,400,1,34,0", font());
  for (int p = 0; p < 4; ++p) {
    players_[p] = new QLabel(this);
    players_[p]->setFont(nameFont);
    playersGrid->addWidget(players_[p], p % 2, p / 2);
  }
  playersGrid->setHorizontalSpacing(playersGrid->horizontalSpacing() + fontMetrics().averageCharWidth() * 4);
  playersRow->addLayout(playersGrid, 1);
  auto* swaps = new QVBoxLayout;
  const QString swapTexts[3] = {QStringLiteral("Wissel a en b"), QStringLiteral("Wissel x en y"),
                                QStringLiteral("Wissel ab en xy")};
  for (int s = 0; s < 3; ++s) {
    swap_[s] = new QPushButton(swapTexts[s], this);
    swap_[s]->setCheckable(true);
    PlainButton(swap_[s]);
    swaps->addWidget(swap_[s]);
    connect(swap_[s], &QPushButton::toggled, this, [this, s](bool on) {
      (s == 0 ? swaps_.ab : s == 1 ? swaps_.xy : swaps_.abxy) = on;
      ShowPlayers();
    });
  }
  playersRow->addLayout(swaps);
  layout->addLayout(playersRow);

  auto* box = new QGroupBox(QStringLiteral("Punten"), this);
  auto* grid = new QGridLayout(box);
  grid->addWidget(new QLabel(QStringLiteral("Game 1"), box), 0, 1, 1, 3, Qt::AlignCenter);
  grid->addWidget(new QLabel(QStringLiteral("Game 2"), box), 0, 5, 1, 3, Qt::AlignCenter);
  grid->addWidget(new QLabel(QStringLiteral("Totaal"), box), 0, 9, Qt::AlignCenter);
  for (int r = 0; r < kDuoSubMatches; ++r) {
    grid->addWidget(new QLabel(QString::fromLatin1(kRowTitles[r]), box), r + 1, 0);
    for (int g = 0; g < 2; ++g) {
      int game = 2 * r + g, col = 1 + 4 * g;
      left_[game] = new QLineEdit(box);
      right_[game] = new QLineEdit(box);
      for (QLineEdit* e : {left_[game], right_[game]}) {
        e->setAlignment(Qt::AlignCenter);
        e->setMinimumWidth(e->fontMetrics().horizontalAdvance(QStringLiteral("0000")) + 12);
        connect(e, &QLineEdit::textEdited, this, [this] { totalsTimer_.start(); });
      }
      grid->addWidget(left_[game], r + 1, col);
      grid->addWidget(new QLabel(QStringLiteral("-"), box), r + 1, col + 1);
      grid->addWidget(right_[game], r + 1, col + 2);
    }
    grid->setColumnMinimumWidth(4, 16);
    grid->setColumnMinimumWidth(8, 16);
    totals_[r] = new QLabel(box);
    grid->addWidget(totals_[r], r + 1, 9, Qt::AlignCenter);
  }
  auto* overall = new QLabel(QStringLiteral("Totaal"), box);
  QFont bold = overall->font();
  bold.setBold(true);
  overall->setFont(bold);
  grid->addWidget(overall, kDuoSubMatches + 1, 0);
  totals_[kDuoSubMatches] = new QLabel(box);
  totals_[kDuoSubMatches]->setFont(bold);
  grid->addWidget(totals_[kDuoSubMatches], kDuoSubMatches + 1, 9, Qt::AlignCenter);
  layout->addWidget(box);
  AddButtons(layout);

  totalsTimer_.setSingleShot(true);
  totalsTimer_.setInterval(kTotalsMs);
  connect(&totalsTimer_, &QTimer::timeout, this, &LDlgResultDuoPoints::UpdateTotals);
  UpdateTotals();
}

void LDlgResultDuoPoints::ShowPlayers() {
  const std::string names[4] = {match_.duo1[0], match_.duo1[1], match_.duo2[0], match_.duo2[1]};
  std::array<int, 4> who = DuoLabelPlayers(swaps_);
  for (int p = 0; p < 4; ++p)
    players_[p]->setText(QString::fromLatin1(kPlayerLetters[p]) + QStringLiteral("  ") + ToQt(names[who[p]]));
}

void LDlgResultDuoPoints::ShowMatch() {
  ShowPlayers();
  std::vector<int> stored = match_.games;
  // A retirement keeps the games played before it; the others stay empty.
  if (match_.decision == kDecisionRetired) stored.resize(kDuoGames, 0);
  if (match_.indexWinner >= 0 && stored.size() == static_cast<size_t>(kDuoGames)) {
    std::vector<int> shown = DuoToDisplayOrder(stored, swaps_);
    for (int i = 0; i < kDuoGames; ++i) {
      if (shown[i] == 0) continue;
      int l = 0, r = 0;
      GameScore(system_, shown[i], l, r);
      left_[i]->setText(QString::number(l));
      right_[i]->setText(QString::number(r));
    }
  }
  UpdateTotals();
  left_[0]->setFocus();
}

void LDlgResultDuoPoints::LockEntry() {
  for (int i = 0; i < kDuoGames; ++i) {
    left_[i]->setEnabled(false);
    right_[i]->setEnabled(false);
  }
  for (QPushButton* b : swap_) b->setEnabled(false);
}

DuoEntry LDlgResultDuoPoints::Entry() const {
  DuoEntry e;
  for (int i = 0; i < kDuoGames; ++i) {
    e.left[i] = FromQt(left_[i]->text());
    e.right[i] = FromQt(right_[i]->text());
  }
  return e;
}

void LDlgResultDuoPoints::UpdateTotals() {
  auto totals = DuoTotals(Entry());
  for (int r = 0; r <= kDuoSubMatches; ++r) totals_[r]->setText(ToQt(FormatTotal(totals[r][0], totals[r][1])));
}

void LDlgResultDuoPoints::accept() {
  totalsTimer_.stop();
  UpdateTotals();
  Store(DecideDuo(system_, Entry(), swaps_, ChosenEnding()));
}

}  // namespace velgram
