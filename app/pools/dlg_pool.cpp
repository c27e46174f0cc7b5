#include "app/pools/dlg_pool.h"

#include <QFormLayout>
#include <QVBoxLayout>
#include <algorithm>

#include "app/shell/app.h"
#include "app/dialogs/dlg_common.h"
#include "app/shell/qtext.h"
#include "competition/edits.h"
#include "competition/match_rules.h"
#include "competition/tables.h"

namespace velgram {

LDlgPool::LDlgPool(CVelgramApp& app, int idSystem, int idPool, QWidget* parent)
    : QDialog(parent), app_(app), idSystem_(idSystem), idPool_(idPool) {
  setWindowTitle(QStringLiteral("Poule Zwitsers Afval"));
  auto* layout = new QVBoxLayout(this);
  auto* form = new QFormLayout;
  name = new QLineEdit(this);
  name->setMinimumWidth(std::max(280, CharsWide(name, 32)));
  style = new QComboBox(this);
  style->addItems({QStringLiteral("Poule"), QStringLiteral("Zwitsers"), QStringLiteral("Afval")});
  tables = new QLineEdit(this);
  tables->setPlaceholderText(QStringLiteral("b.v. 1-4,6"));
  start = new QTimeEdit(QTime(9, 0), this);
  end = new QTimeEdit(QTime(16, 0), this);
  start->setDisplayFormat(QStringLiteral("HH:mm"));
  end->setDisplayFormat(QStringLiteral("HH:mm"));
  matchSystem = new QComboBox(this);
  form->addRow(QStringLiteral("Naam:"), name);
  form->addRow(QStringLiteral("Speelwijze:"), style);
  form->addRow(QStringLiteral("Tafels:"), tables);
  form->addRow(QStringLiteral("Begintijd:"), start);
  form->addRow(QStringLiteral("Eindtijd:"), end);
  form->addRow(QStringLiteral("Wedstrijdsysteem:"), matchSystem);
  layout->addLayout(form);
  AddOkCancel(this, layout);

  Database& db = app_.Db();
  std::vector<MatchSystem> systems;
  db.ListMatchSystems(&systems);
  for (const MatchSystem& ms : systems) {
    matchSystem->addItem(ToQt(ms.name));
    systemIds_.push_back(ms.id);
  }
  // A pool under the default rules shows the row those rules are named after.
  int shown = EditorInitialSelection(db, idPool_ > 0 ? EffectiveMatchSystemId(db, idPool_) : 0);
  for (size_t i = 0; i < systemIds_.size(); ++i)
    if (systemIds_[i] == shown) matchSystem->setCurrentIndex(static_cast<int>(i));

  if (idPool_ > 0) {
    PoolRecord p;
    db.GetPool(idPool_, p);
    name->setText(ToQt(p.name));
    style->setCurrentIndex(p.playstyle - 1);
    style->setEnabled(false);
    tables->setText(ToQt(FormatTables(ParseTables(p.tables))));
    start->setTime(QTime(p.starttime / 100 % 24, p.starttime % 100));
    end->setTime(QTime(p.endtime / 100 % 24, p.endtime % 100));
    // Matches already have their tables and times.
    bool locked = PoolLocked(db, idPool_);
    tables->setEnabled(!locked);
    start->setEnabled(!locked);
    end->setEnabled(!locked);
  } else {
    style->setCurrentIndex(-1);
  }
}

void LDlgPool::accept() {
  PoolForm f;
  if (!ReadStorable(app_.Prompt(), {{name->text(), &f.name}, {tables->text(), &f.tables}})) return;
  f.playstyle = style->currentIndex() + 1;
  f.starttime = start->time().hour() * 100 + start->time().minute();
  f.endtime = end->time().hour() * 100 + end->time().minute();
  int i = matchSystem->currentIndex();
  f.idMatchSystem = i >= 0 && i < static_cast<int>(systemIds_.size()) ? systemIds_[i] : 0;
  savedId_ = SavePool(app_.Db(), app_.Prompt(), idSystem_, idPool_, f);
  if (savedId_ < 1) {
    (f.name.find_first_not_of(" \t") == std::string::npos ? static_cast<QWidget*>(name) : style)->setFocus();
    return;
  }
  QDialog::accept();
}

}  // namespace velgram
