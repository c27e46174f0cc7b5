#include "app/results/dlg_result_fast.h"

#include <QDialogButtonBox>
#include <QFontMetrics>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QVBoxLayout>
#include <algorithm>

#include "app/dialogs/dlg_common.h"
#include "app/shell/app.h"
#include "app/shell/fonts.h"
#include "app/shell/qtext.h"
#include "support/prompt.h"

namespace velgram {

namespace {

const char* const kNameFont = "Arial,12,400,1,34,0";
const char* const kWinnerFont = "Arial,14,700,1,34,0";

}  // namespace

// --- one game ------------------------------------------------------------------

LFlyGameResult::LFlyGameResult(int game, QWidget* parent) : QFrame(parent) {
  setFrameShape(QFrame::StyledPanel);
  setAutoFillBackground(true);
  auto* row = new QHBoxLayout(this);
  row->setContentsMargins(6, 3, 6, 3);
  auto* number = new QLabel(QStringLiteral("%1.").arg(game + 1), this);
  left_ = new QLineEdit(this);
  right_ = new QLineEdit(this);
  for (QLineEdit* e : {left_, right_}) {
    e->setAlignment(Qt::AlignCenter);
    // Wide enough for three digits in whatever font the dialog has.
    e->setMinimumWidth(e->fontMetrics().horizontalAdvance(QStringLiteral("0000")) + 12);
    connect(e, &QLineEdit::textEdited, this, &LFlyGameResult::changed);
  }
  makeCurrent_ = new QPushButton(QStringLiteral(">"), this);
  exchange_ = new QPushButton(QStringLiteral("<>"), this);
  for (QPushButton* b : {makeCurrent_, exchange_}) {
    PlainButton(b);
    // The style's minimum button width would make these two the widest part.
    b->setMaximumWidth(b->fontMetrics().horizontalAdvance(QStringLiteral("<>")) * 2 + 16);
  }
  makeCurrent_->setToolTip(QStringLiteral("Deze game is de volgende die het toetsenblok vult"));
  exchange_->setToolTip(QStringLiteral("De andere speler heeft deze game gewonnen"));
  row->addWidget(number);
  row->addWidget(left_);
  row->addWidget(new QLabel(QStringLiteral("-"), this));
  row->addWidget(right_);
  row->addWidget(makeCurrent_);
  row->addWidget(exchange_);
  connect(makeCurrent_, &QPushButton::clicked, this, &LFlyGameResult::chosen);
  connect(exchange_, &QPushButton::clicked, this, &LFlyGameResult::Exchange);
  SetCurrent(false);
}

void LFlyGameResult::SetScore(int left, int right) {
  left_->setText(QString::number(left));
  right_->setText(QString::number(right));
  emit changed();
}

void LFlyGameResult::Clear() {
  left_->clear();
  right_->clear();
  emit changed();
}

void LFlyGameResult::Exchange() {
  QString l = left_->text();
  left_->setText(right_->text());
  right_->setText(l);
  emit changed();
}

void LFlyGameResult::SetCurrent(bool current) {
  current_ = current;
  QPalette p = palette();
  p.setColor(QPalette::Window, current ? CurrentColour() : parentWidget() ? parentWidget()->palette().color(QPalette::Window)
                                                                         : QPalette().color(QPalette::Window));
  setPalette(p);
}

void LFlyGameResult::SetLocked(bool locked) {
  for (QWidget* w : std::initializer_list<QWidget*>{left_, right_, makeCurrent_, exchange_}) w->setEnabled(!locked);
}

// --- the loser's points ----------------------------------------------------------

LDlgPointsLoser::LDlgPointsLoser(Prompter& prompter, const MatchSystem& ms, QWidget* parent)
    : QDialog(parent), prompter_(prompter), ms_(ms) {
  setWindowTitle(QStringLiteral("Punten verliezer"));
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(QStringLiteral("Vul het aantal punten van de verliezer in:"), this));
  edit_ = new QLineEdit(this);
  layout->addWidget(edit_);
  AddOkCancel(this, layout);
  edit_->setFocus();
}

void LDlgPointsLoser::accept() {
  int p = ReadGamePoints(ms_, FromQt(edit_->text()));
  if (p < 0) {
    prompter_.Alert(GamePointsMessage(ms_));
    edit_->setFocus();
    edit_->selectAll();
    return;
  }
  points_ = p;
  QDialog::accept();
}

// --- the dialog --------------------------------------------------------------------

LDlgResultFast::LDlgResultFast(CVelgramApp& app, int idMatch, int idMatchSystem, QWidget* parent)
    : LDlgResultBase(app, idMatch, idMatchSystem, parent) {
  auto* layout = new QVBoxLayout(this);
  AddHeader(layout);
  QFont nameFont = ResultFont(kNameFont, font());
  // Each name keeps the height of the winner's larger font, so that the rows
  // below stay where they are when a name turns bold.
  const int nameHeight =
      std::max(QFontMetrics(nameFont).height(), QFontMetrics(ResultFont(kWinnerFont, font())).height());
  for (int i = 0; i < 2; ++i) {
    names_[i] = new QLabel(this);
    names_[i]->setFont(nameFont);
    names_[i]->setMinimumHeight(nameHeight);
    layout->addWidget(names_[i]);
  }

  auto* middle = new QHBoxLayout;
  gamesBox_ = new QGroupBox(QStringLiteral("Gamestanden"), this);
  auto* gamesLayout = new QVBoxLayout(gamesBox_);
  for (int i = 0; i < kFastGameRows; ++i) {
    games_[i] = new LFlyGameResult(i, gamesBox_);
    gamesLayout->addWidget(games_[i]);
    connect(games_[i], &LFlyGameResult::chosen, this, [this, i] { SetCurrent(i); });
    connect(games_[i], &LFlyGameResult::changed, this, [this] { rebuild_.start(); });
  }
  gamesLayout->addStretch();
  middle->addWidget(gamesBox_, 1);

  auto* right = new QVBoxLayout;
  auto* keypadBox = new QGroupBox(QStringLiteral("Verliezer"), this);
  auto* keypad = new QGridLayout(keypadBox);
  for (int p = 0; p <= kKeypadMax + 1; ++p) {
    keypad_[p] = new QPushButton(p <= kKeypadMax ? QString::number(p) : QStringLiteral("?"), keypadBox);
    PlainButton(keypad_[p]);
    keypad->addWidget(keypad_[p], p / 4, p % 4);
    if (p <= kKeypadMax) connect(keypad_[p], &QPushButton::clicked, this, [this, p] { EnterLoser(p); });
  }
  connect(AskButton(), &QPushButton::clicked, this, &LDlgResultFast::AskLoser);
  right->addWidget(keypadBox);
  clearGame_ = new QPushButton(QStringLiteral("Wis game"), this);
  PlainButton(clearGame_);
  connect(clearGame_, &QPushButton::clicked, this, &LDlgResultFast::ClearGame);
  right->addWidget(clearGame_);
  keys_ = new QLabel(QStringLiteral("Toetsenbord: 0 t/m 9 = punten verliezer,\n"
                                    "+ en dan 0 t/m 4 = 10 t/m 14,\n"
                                    "? of / = meer punten, Backspace = Wis game,\n"
                                    "Enter = OK"),
                     this);
  right->addWidget(keys_);
  pending_ = new QLabel(QStringLiteral("+ : nu 0 t/m 4 voor 10 t/m 14"), this);
  pending_->setStyleSheet(QStringLiteral("color: #a00000; font-weight: bold"));
  pending_->setVisible(false);
  right->addWidget(pending_);
  right->addStretch();
  middle->addLayout(right);
  layout->addLayout(middle);
  AddButtons(layout);

  rebuild_.setSingleShot(true);
  rebuild_.setInterval(kRebuildMs);
  connect(&rebuild_, &QTimer::timeout, this, &LDlgResultFast::Rebuild);
  SetCurrent(0);
  keypad_[0]->setFocus();
}

MatchSystem LDlgResultFast::RulesOf(MatchBook& book) { return book.MatchSystemOfPool(match_.idPool); }

void LDlgResultFast::ShowMatch() {
  names_[0]->setText(QStringLiteral("1  ") + SideText(match_, 0));
  names_[1]->setText(QStringLiteral("2  ") + SideText(match_, 1));
  shown_ = std::clamp(system_.setMax, 1, kFastGameRows);
  for (int i = 0; i < kFastGameRows; ++i) {
    games_[i]->setVisible(i < shown_);
    games_[i]->blockSignals(true);
    games_[i]->Clear();
    if (i < shown_ && i < static_cast<int>(match_.games.size()) && match_.indexWinner >= 0) {
      int left = 0, right = 0;
      GameScore(system_, match_.games[i], left, right);
      if (match_.games[i] != 0) games_[i]->SetScore(left, right);
    }
    games_[i]->blockSignals(false);
  }
  SetCurrent(0);
  Rebuild();
}

void LDlgResultFast::LockEntry() {
  for (QPushButton* b : keypad_) b->setEnabled(false);
  for (LFlyGameResult* g : games_) g->SetLocked(true);
  clearGame_->setEnabled(false);
}

void LDlgResultFast::SetCurrent(int i) {
  current_ = std::clamp(i, 0, std::max(0, shown_ - 1));
  for (int k = 0; k < kFastGameRows; ++k) games_[k]->SetCurrent(k == current_);
}

void LDlgResultFast::EnterLoser(int points) {
  if (EntryLocked() || points < 0) return;
  games_[current_]->SetScore(WinnerPoints(system_, points), points);
  if (current_ < shown_ - 1) SetCurrent(current_ + 1);
}

void LDlgResultFast::ClearGame() {
  if (EntryLocked()) return;
  games_[current_]->Clear();
  SetCurrent(current_ - 1);
}

void LDlgResultFast::AskLoser() {
  if (EntryLocked()) return;
  LDlgPointsLoser dlg(app_.Prompt(), system_, this);
  if (dlg.exec() == QDialog::Accepted) EnterLoser(dlg.Points());
}

GameTexts LDlgResultFast::Texts() const {
  GameTexts texts;
  for (int i = 0; i < shown_; ++i) texts.emplace_back(FromQt(games_[i]->LeftText()), FromQt(games_[i]->RightText()));
  return texts;
}

void LDlgResultFast::Rebuild() {
  codes_ = LeadingGames(WindowCodes(system_, Texts()));
  int bold = BoldSide(system_, codes_);
  if (bold == kKeepFonts) return;
  QFont normal = ResultFont(kNameFont, font()), winner = ResultFont(kWinnerFont, font());
  for (int i = 0; i < 2; ++i) names_[i]->setFont(i == bold ? winner : normal);
}

void LDlgResultFast::accept() {
  rebuild_.stop();
  Rebuild();
  Store(DecideGameTexts(system_, Texts(), ChosenEnding()));
}

void LDlgResultFast::keyPressEvent(QKeyEvent* event) {
  int key = event->key();
  if (EntryLocked() || event->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) {
    LDlgResultBase::keyPressEvent(event);
    return;
  }
  if (key >= Qt::Key_0 && key <= Qt::Key_9) {
    int digit = key - Qt::Key_0;
    bool tens = tens_;
    tens_ = false;
    pending_->setVisible(false);
    if (!tens) EnterLoser(digit);
    else if (digit <= kKeypadMax - 10) EnterLoser(10 + digit);
    return;
  }
  switch (key) {
    case Qt::Key_Plus:
      tens_ = true;
      pending_->setVisible(true);
      return;
    case Qt::Key_Question:
    case Qt::Key_Slash:
      tens_ = false;
      pending_->setVisible(false);
      AskLoser();
      return;
    case Qt::Key_Backspace:
    case Qt::Key_Delete:
      ClearGame();
      return;
    default:
      break;
  }
  LDlgResultBase::keyPressEvent(event);
}

}  // namespace velgram
