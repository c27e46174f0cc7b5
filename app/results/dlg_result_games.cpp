#include "app/results/dlg_result_games.h"

#include <QGridLayout>
#include <QTimer>
#include <QVBoxLayout>

#include "app/shell/app.h"
#include "app/shell/fonts.h"
#include "app/shell/qtext.h"
#include "competition/match_rules.h"

namespace velgram {

LDlgResultSingleGames::LDlgResultSingleGames(CVelgramApp& app, int idMatch, int idMatchSystem, QWidget* parent)
    : LDlgResultBase(app, idMatch, idMatchSystem, parent) {
  auto* layout = new QVBoxLayout(this);
  AddHeader(layout);
  auto* grid = new QGridLayout;
  QFont bold = ResultFont("Arial,14,700,1,34,0", font());
  for (int i = 0; i < 2; ++i) {
    names_[i] = new QLabel(this);
    names_[i]->setFont(bold);
    names_[i]->setAlignment(Qt::AlignCenter);
    games_[i] = new QLineEdit(this);
    games_[i]->setAlignment(Qt::AlignCenter);
    grid->addWidget(names_[i], 0, i);
    grid->addWidget(games_[i], 1, i);
  }
  layout->addLayout(grid);
  AddButtons(layout);
  // Typing starts at once, without a click into the first field.
  QTimer::singleShot(50, this, [this] {
    if (games_[0]->isEnabled()) {
      games_[0]->setFocus();
      games_[0]->selectAll();
    }
  });
}

void LDlgResultSingleGames::ShowMatch() {
  names_[0]->setText(SideText(match_, 0));
  names_[1]->setText(SideText(match_, 1));
  if (match_.indexWinner >= 0 && match_.games.size() == 2) {
    games_[0]->setText(QString::number(match_.games[0]));
    games_[1]->setText(QString::number(match_.games[1]));
  }
}

void LDlgResultSingleGames::LockEntry() {
  games_[0]->setEnabled(false);
  games_[1]->setEnabled(false);
}

void LDlgResultSingleGames::accept() {
  if (!Store(DecideGamesWonTexts(system_, FromQt(games_[0]->text()), FromQt(games_[1]->text()), ChosenEnding())))
    games_[0]->setFocus();
}

}  // namespace velgram
