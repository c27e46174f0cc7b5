#include "app/results/dlg_result_base.h"

#include <QBoxLayout>
#include <QHBoxLayout>

#include "app/results/dlg_tabletime.h"
#include "app/shell/app.h"
#include "app/shell/fonts.h"
#include "app/shell/qtext.h"
#include "competition/match_rules.h"
#include "competition/table_entry.h"
#include "support/text.h"

namespace velgram {

QString SideText(const MatchEntry& match, int side) { return ToQt(side == 0 ? match.name1 : match.name2); }

QFont ResultFont(const char* text, const QFont& dialogFont) {
  QFont f = FontFromText(text);
  if (f.pointSizeF() > 0 && f.pointSizeF() < dialogFont.pointSizeF()) f.setPointSizeF(dialogFont.pointSizeF());
  return f;
}

void PlainButton(QPushButton* button) {
  button->setAutoDefault(false);
  button->setDefault(false);
}

LDlgResultBase::LDlgResultBase(CVelgramApp& app, int idMatch, int idMatchSystem, QWidget* parent)
    : QDialog(parent), app_(app), idMatch_(idMatch), idMatchSystem_(idMatchSystem) {
  setWindowTitle(QStringLiteral("Uitslag"));
}

void LDlgResultBase::AddHeader(QBoxLayout* layout) {
  auto* row = new QHBoxLayout;
  table_ = new QLabel(this);
  time_ = new QLabel(this);
  pool_ = new QLabel(this);
  row->addWidget(new QLabel(QStringLiteral("Tafel:"), this));
  row->addWidget(table_);
  row->addSpacing(12);
  row->addWidget(new QLabel(QStringLiteral("Tijd:"), this));
  row->addWidget(time_);
  row->addSpacing(12);
  row->addWidget(pool_, 1);
  layout->addLayout(row);
  source_ = new QLabel(this);
  source_->setObjectName(QStringLiteral("resultSource"));
  source_->hide();
  layout->addWidget(source_);
}

void LDlgResultBase::AddButtons(QBoxLayout* layout, bool withOk) {
  auto* endRow = new QHBoxLayout;
  endRow->addWidget(new QLabel(QStringLiteral("Beslissing:"), this));
  ending_ = new QComboBox(this);
  // Typed digits belong to the entry (keypad, "1" and "2"), not to the list.
  ending_->setFocusPolicy(Qt::ClickFocus);
  endRow->addWidget(ending_, 1);
  layout->addLayout(endRow);
  connect(ending_, &QComboBox::currentIndexChanged, this, [this] { EndingChanged(); });

  auto* row = new QHBoxLayout;
  tableTime_ = new QPushButton(QStringLiteral("Wijzig Tafel/Tijd"), this);
  clear_ = new QPushButton(QStringLiteral("Wis uitslag"), this);
  PlainButton(tableTime_);
  PlainButton(clear_);
  row->addWidget(tableTime_);
  row->addWidget(clear_);
  row->addStretch();
  if (withOk) {
    ok_ = new QPushButton(QStringLiteral("OK"), this);
    ok_->setAutoDefault(false);
    ok_->setDefault(true);
    row->addWidget(ok_);
    connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
  }
  auto* cancel = new QPushButton(QStringLiteral("Annuleren"), this);
  PlainButton(cancel);
  row->addWidget(cancel);
  layout->addLayout(row);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(tableTime_, &QPushButton::clicked, this, &LDlgResultBase::ChangeTableTime);
  connect(clear_, &QPushButton::clicked, this, &LDlgResultBase::ClearResult);
}

MatchSystem LDlgResultBase::RulesOf(MatchBook&) { return MatchSystemById(app_.Db(), idMatchSystem_); }

bool LDlgResultBase::Load() {
  MatchBook book(app_.Db());
  book.FillPoolOfMatch(idMatch_);
  MatchEntry* m = book.FindMatch(idMatch_);
  if (!m) {
    app_.Prompt().Alert(kMatchGoneMessage);
    return false;
  }
  match_ = *m;
  MatchBook::Sides sides = book.CheckSides(match_);
  if (sides == MatchBook::Sides::kBye) {
    app_.Prompt().Alert("Bye");
    return false;
  }
  system_ = RulesOf(book);
  if (table_) {
    // A removed Swiss player's round has no table: no "Tafel 0, 0:00".
    const bool placed = match_.tafel > 0;
    table_->setText(placed ? QString::number(match_.tafel) : QString());
    time_->setText(placed ? ToQt(Format("%d:%02d", match_.starttime / 100, match_.starttime % 100)) : QString());
    pool_->setText(ToQt(match_.systemName + " / " + match_.poolName));
    ResultSource source;
    const bool fromTable = ResultSourceOf(app_.Db(), idMatch_, source);
    source_->setText(fromTable ? ToQt(ResultSourceText(source)) : QString());
    source_->setVisible(fromTable);
  }
  if (ending_) {
    const bool blocked = ending_->blockSignals(true);
    ending_->clear();
    for (const std::string& choice : EndingChoices(match_.name1, match_.name2)) ending_->addItem(ToQt(choice));
    ending_->setCurrentIndex(ChoiceOfMatch(match_));
    ending_->blockSignals(blocked);
  }
  ShowMatch();
  EndingChanged();
  if (sides == MatchBook::Sides::kUnknown) {
    app_.Prompt().Alert("1 of 2 spelers zijn nog onbekend");
    locked_ = true;
    if (clear_) clear_->setEnabled(false);
    if (ok_) ok_->setEnabled(false);
    if (ending_) ending_->setEnabled(false);
    LockEntry();
  }
  return true;
}

Ending LDlgResultBase::ChosenEnding() const { return ending_ ? EndingOfChoice(ending_->currentIndex()) : Ending{}; }

DataChange LDlgResultBase::Change() const {
  return tableTimeChanged_ ? DataChange::TableTime(idMatch_, match_.idPool) : DataChange::Result(idMatch_, match_.idPool);
}

bool LDlgResultBase::Store(const ResultDecision& decision) {
  if (locked_) return false;
  if (!StoreResult(app_.Db(), app_.Prompt(), idMatch_, decision)) {
    // Deleted while the dialog was open: nothing typed here can be kept.
    if (!MatchExists(app_.Db(), idMatch_)) reject();
    return false;
  }
  changed_ = true;
  QDialog::accept();
  return true;
}

void LDlgResultBase::ChangeTableTime() {
  LDlgTableTime dlg(app_, idMatch_, this);
  if (!dlg.Load()) {
    reject();  // the match is gone: nothing here can be stored any more
    return;
  }
  if (dlg.exec() != QDialog::Accepted) return;
  changed_ = true;
  tableTimeChanged_ = true;
  // The caller shows the new table and time; what was typed here is dropped.
  reject();
}

void LDlgResultBase::ClearResult() {
  if (locked_) return;
  if (!ClearStoredResult(app_.Db(), app_.Prompt(), idMatch_)) {
    reject();
    return;
  }
  changed_ = true;
  QDialog::accept();
}

}  // namespace velgram
