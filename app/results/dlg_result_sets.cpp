#include "app/results/dlg_result_sets.h"

#include <QGridLayout>
#include <QKeyEvent>
#include <QVBoxLayout>

#include "app/shell/fonts.h"
#include "competition/match_rules.h"

namespace velgram {

LDlgResultSingleSets::LDlgResultSingleSets(CVelgramApp& app, int idMatch, int idMatchSystem, QWidget* parent)
    : LDlgResultBase(app, idMatch, idMatchSystem, parent) {
  auto* layout = new QVBoxLayout(this);
  AddHeader(layout);
  auto* row = new QHBoxLayout;
  QFont bold = ResultFont("Arial,14,700,1,34,0", font());
  for (int i = 0; i < 2; ++i) {
    side_[i] = new QPushButton(this);
    side_[i]->setFont(bold);
    PlainButton(side_[i]);
    // The layout widens the button (and the dialog) to the name it carries.
    side_[i]->setMinimumHeight(side_[i]->fontMetrics().height() * 2);
    row->addWidget(side_[i], 1);
    connect(side_[i], &QPushButton::clicked, this, [this, i] { Choose(i); });
  }
  layout->addLayout(row);
  layout->addWidget(new QLabel(QStringLiteral("Toets 1 of 2 kiest de winnaar."), this));
  AddButtons(layout);
}

void LDlgResultSingleSets::ShowMatch() {
  side_[0]->setText(SideText(match_, 0));
  side_[1]->setText(SideText(match_, 1));
  adjustSize();
}

void LDlgResultSingleSets::LockEntry() {
  side_[0]->setEnabled(false);
  side_[1]->setEnabled(false);
}

void LDlgResultSingleSets::keyPressEvent(QKeyEvent* event) {
  int side = event->key() == Qt::Key_1 ? 0 : event->key() == Qt::Key_2 ? 1 : -1;
  if (side >= 0 && side_[side]->isEnabled()) {
    side_[side]->click();
    return;
  }
  LDlgResultBase::keyPressEvent(event);
}

void LDlgResultSingleSets::EndingChanged() {
  // A side button means "this side won"; a walkover or a retirement names the
  // loser in the list instead, so the buttons rest and OK stores it.
  const bool played = ChosenEnding().decision == kDecisionPlayed;
  side_[0]->setEnabled(played);
  side_[1]->setEnabled(played);
  OkButton()->setEnabled(!played);
}

void LDlgResultSingleSets::accept() {
  if (ChosenEnding().decision != kDecisionPlayed) Store(DecideEnding(ChosenEnding()));
}

void LDlgResultSingleSets::Choose(int side) { Store(DecideWinnerOnly(side)); }

}  // namespace velgram
