#include "app/pools/dlg_pool.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>
#include <vector>

#include "app/dialogs/dlg_common.h"
#include "app/pools/dlg_matchsystem.h"
#include "app/shell/app.h"
#include "app/shell/qtext.h"
#include "competition/edits.h"
#include "competition/match_rules.h"
#include "competition/tables.h"
#include "support/text.h"

namespace velgram {

namespace {

QString TimeText(int hhmm) { return ToQt(Format("%02d:%02d", hhmm / 100, hhmm % 100)); }

// A typed time is shown the way it was read as soon as the field is left, so
// that "930" visibly becomes 09:30; what cannot be read stays for OK to name.
void TidyTime(QLineEdit* field) {
  int hhmm = 0;
  if (ParseTimeOfDay(FromQt(field->text()), hhmm)) field->setText(TimeText(hhmm));
}

}  // namespace

LDlgPool::LDlgPool(CVelgramApp& app, int idSystem, int idPool, QWidget* parent)
    : QDialog(parent), app_(app), idSystem_(idSystem), idPool_(idPool) {
  setWindowTitle(QStringLiteral("Poule Zwitsers Afval"));
  auto* layout = new QVBoxLayout(this);
  auto* form = new QFormLayout;
  name = new QLineEdit(this);
  name->setMinimumWidth(name->fontMetrics().averageCharWidth() * 36);
  style = new QComboBox(this);
  style->addItems({QStringLiteral("Poule"), QStringLiteral("Zwitsers"), QStringLiteral("Afval")});
  tables = new QLineEdit(this);
  tables->setPlaceholderText(QStringLiteral("b.v. 1-4,6"));
  start = new QLineEdit(TimeText(900), this);
  end = new QLineEdit(TimeText(1600), this);
  for (QLineEdit* t : {start, end}) {
    t->setMaxLength(5);
    t->setPlaceholderText(QStringLiteral("uu:mm"));
    connect(t, &QLineEdit::editingFinished, this, [t] { TidyTime(t); });
  }
  auto* systemRow = new QHBoxLayout;
  matchSystemButton = new QPushButton(QStringLiteral("Wedstrijdsysteem"), this);
  matchSystemButton->setAutoDefault(false);
  matchSystem = new QLabel(this);
  systemRow->addWidget(matchSystemButton);
  systemRow->addWidget(matchSystem, 1);
  connect(matchSystemButton, &QPushButton::clicked, this, [this] { ChooseMatchSystem(); });
  form->addRow(QStringLiteral("Naam:"), name);
  form->addRow(QStringLiteral("Speelwijze:"), style);
  form->addRow(QStringLiteral("Tafels:"), tables);
  form->addRow(QStringLiteral("Begintijd:"), start);
  form->addRow(QStringLiteral("Eindtijd:"), end);
  layout->addLayout(form);
  layout->addLayout(systemRow);
  AddOkCancel(this, layout);

  Database& db = app_.Db();
  if (idPool_ > 0) {
    PoolRecord p;
    db.GetPool(idPool_, p);
    name->setText(ToQt(p.name));
    style->setCurrentIndex(p.playstyle - 1);
    style->setEnabled(false);
    tables->setText(ToQt(FormatTables(ParseTables(p.tables))));
    start->setText(TimeText(p.starttime));
    end->setText(TimeText(p.endtime));
    // The matches already have their tables and times.
    locked_ = PoolLocked(db, idPool_);
    tables->setEnabled(!locked_);
    start->setEnabled(!locked_);
    end->setEnabled(!locked_);
    // A pool under the default rules shows the row those rules are named after.
    ShowMatchSystem(EditorInitialSelection(db, EffectiveMatchSystemId(db, idPool_)));
  } else {
    style->setCurrentIndex(-1);
    int shown = EditorInitialSelection(db, 0);
    if (shown < 1) {
      std::vector<MatchSystem> all;
      db.ListMatchSystems(&all);
      if (!all.empty()) shown = all.front().id;
    }
    ShowMatchSystem(shown);
  }
}

void LDlgPool::ShowMatchSystem(int id) {
  shownSystem_ = id;
  matchSystem->setText(ToQt(MatchSystemById(app_.Db(), id).name));
}

void LDlgPool::ChooseMatchSystem() {
  LDlgMatchSystem dlg(app_, shownSystem_, this);
  if (dlg.exec() != QDialog::Accepted) return;
  ShowMatchSystem(dlg.ChosenId());
  if (idPool_ < 1) return;
  PoolRecord p;
  if (!app_.Db().GetPool(idPool_, p)) return;
  p.idMatchSystem = shownSystem_;
  app_.Db().UpdatePool(p);
}

void LDlgPool::accept() {
  PoolForm f;
  if (!ReadStorable(app_.Prompt(), {{name->text(), &f.name}, {tables->text(), &f.tables}})) return;
  f.playstyle = style->currentIndex() + 1;
  f.idMatchSystem = shownSystem_;
  if (!ReadPoolTimes(app_.Prompt(), FromQt(start->text()), FromQt(end->text()), f)) {
    int ignored = 0;
    (ParseTimeOfDay(FromQt(start->text()), ignored) ? end : start)->setFocus();
    return;
  }
  savedId_ = SavePool(app_.Db(), app_.Prompt(), idSystem_, idPool_, f);
  if (savedId_ < 1) {
    (f.name.find_first_not_of(" \t") == std::string::npos ? static_cast<QWidget*>(name) : style)->setFocus();
    return;
  }
  QDialog::accept();
}

}  // namespace velgram
