#include "app/dialogs/dlg_duo.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "app/shell/app.h"
#include "app/dialogs/dlg_common.h"
#include "app/shell/fonts.h"
#include "app/shell/qtext.h"

namespace velgram {

LDlgDuo::LDlgDuo(CVelgramApp& app, int id, QWidget* parent) : QDialog(parent), app_(app) {
  setWindowTitle(QStringLiteral("Duo"));
  auto* layout = new QVBoxLayout(this);
  auto* row = new QHBoxLayout;
  players = new LGrid(this);
  players->SetColumns({{QStringLiteral("Naam")},
                       {QStringLiteral("Vereniging")},
                       {QStringLiteral("Rating"), SortKind::Number, Qt::AlignRight | Qt::AlignVCenter},
                       {QStringLiteral("Klasse")}});
  players->SetGridFont(SettingFont(app_.Db(), "InfoFont"));
  players->setMinimumSize(420, 360);
  row->addWidget(players, 1);

  auto* middle = new QVBoxLayout;
  addButton = new QPushButton(QStringLiteral(">"), this);
  emptyButton = new QPushButton(QStringLiteral("Verwijder"), this);
  addButton->setAutoDefault(false);
  emptyButton->setAutoDefault(false);
  middle->addStretch();
  middle->addWidget(addButton);
  middle->addWidget(emptyButton);
  middle->addStretch();
  row->addLayout(middle);

  auto* form = new QFormLayout;
  name = new QLabel(this);
  club = new QLabel(this);
  rating = new QLabel(this);
  klasse = new QLineEdit(this);
  name->setMinimumWidth(220);
  form->addRow(QStringLiteral("Naam:"), name);
  form->addRow(QStringLiteral("Vereniging:"), club);
  form->addRow(QStringLiteral("Rating:"), rating);
  form->addRow(QStringLiteral("Klasse:"), klasse);
  row->addLayout(form);
  layout->addLayout(row);
  AddOkCancel(this, layout);

  connect(addButton, &QPushButton::clicked, this, &LDlgDuo::AddSelected);
  connect(emptyButton, &QPushButton::clicked, this, &LDlgDuo::Empty);
  connect(players, &LGrid::rowDoubleClicked, this, [this](int r) {
    players->SelectRow(r);
    AddSelected();
  });

  if (id > 0) draft_ = LoadDuoDraft(app_.Db(), id);
  ShowDraft();
  FillPlayers();
}

void LDlgDuo::FillPlayers() {
  offered_ = PlayersForDuo(app_.Db(), app_.IdToernooi(), draft_);
  players->Clear();
  players->BeginUpdate();
  for (size_t i = 0; i < offered_.size(); ++i) {
    const PlayerWithClub& p = offered_[i];
    players->AddRow({ToQt(p.name), ToQt(p.club), QString::number(p.rating), ToQt(p.klasse)}, static_cast<int>(i));
  }
  players->EndUpdate();
  if (players->SortColumn() >= 0) players->SortByColumn(players->SortColumn(), players->SortAscending());
  players->AutoSize();
  FitListWidth(players, 420);
}

void LDlgDuo::ShowDraft() {
  name->setText(ToQt(draft_.name));
  club->setText(ToQt(draft_.club));
  rating->setText(draft_.Count() ? QString::number(draft_.rating) : QString());
  klasse->setText(ToQt(draft_.klasse));
}

void LDlgDuo::AddSelected() {
  if (draft_.Count() == 2) {
    AddToDuo(app_.Prompt(), draft_, PlayerWithClub());  // tells that the duo is full
    return;
  }
  for (int row : players->SelectedRows()) {
    int index = players->RowData(row);
    if (index < 0 || index >= static_cast<int>(offered_.size())) continue;
    if (!AddToDuo(app_.Prompt(), draft_, offered_[index])) break;
  }
  ShowDraft();
  FillPlayers();
}

void LDlgDuo::Empty() {
  ClearDuo(draft_);
  ShowDraft();
  FillPlayers();
}

void LDlgDuo::accept() {
  std::string k;
  if (!ReadStorable(app_.Prompt(), {{klasse->text(), &k}})) return;
  if (!SaveDuo(app_.Db(), app_.Prompt(), app_.IdToernooi(), draft_, k)) {
    klasse->setFocus();
    return;
  }
  QDialog::accept();
}

}  // namespace velgram
