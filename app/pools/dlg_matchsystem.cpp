#include "app/pools/dlg_matchsystem.h"

#include <QButtonGroup>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QVBoxLayout>
#include <vector>

#include "app/dialogs/dlg_common.h"
#include "app/shell/app.h"
#include "app/shell/qtext.h"
#include "competition/match_rules.h"

namespace velgram {

LDlgMatchSystem::LDlgMatchSystem(CVelgramApp& app, int idMatchSystem, QWidget* parent)
    : QDialog(parent), app_(app) {
  setWindowTitle(QStringLiteral("Wedstrijdsysteem"));
  auto* layout = new QVBoxLayout(this);
  auto* top = new QFormLayout;
  select = new QComboBox(this);
  select->setMinimumContentsLength(24);
  top->addRow(QStringLiteral("Selecteer:"), select);
  layout->addLayout(top);

  auto* rules = new QGroupBox(QStringLiteral("Spelregels"), this);
  auto* form = new QFormLayout(rules);
  points = new QLineEdit(rules);
  points->setValidator(DigitsValidator(3, points));
  gameDiff = new QCheckBox(QStringLiteral("Twee punten verschil"), rules);
  setMax = new QLineEdit(rules);
  setMax->setValidator(DigitsValidator(2, setMax));
  setWon = new QLineEdit(rules);
  setWon->setValidator(DigitsValidator(2, setWon));
  form->addRow(QStringLiteral("Aantal punten:"), points);
  form->addRow(QString(), gameDiff);
  form->addRow(QStringLiteral("Max. aantal games:"), setMax);
  form->addRow(QStringLiteral("Winnaar bij aantal games:"), setWon);
  layout->addWidget(rules);

  auto* modes = new QGroupBox(QStringLiteral("Eindresultaat"), this);
  auto* modeLayout = new QVBoxLayout(modes);
  auto* group = new QButtonGroup(this);
  const char* labels[] = {"Sets", "Games", "Punten", "Allen: Sets, Games, Punten"};
  for (int i = 0; i < 4; ++i) {
    resultMode[i] = new QRadioButton(QString::fromLatin1(labels[i]), modes);
    group->addButton(resultMode[i], i + 1);
    modeLayout->addWidget(resultMode[i]);
    connect(resultMode[i], &QRadioButton::toggled, this, [this] { UpdateEnabling(); });
  }
  layout->addWidget(modes);

  auto* duo = new QGroupBox(QStringLiteral("Duo"), this);
  auto* duoLayout = new QHBoxLayout(duo);
  duoteam = new QCheckBox(QStringLiteral("Duoteam"), duo);
  duoLayout->addWidget(duoteam);
  for (int i = 0; i < kDuoSubMatches; ++i) {
    subMatches[i] = new QCheckBox(QString::fromLatin1(kDuoSubMatchNames[i]), duo);
    duoLayout->addWidget(subMatches[i]);
  }
  duoLayout->addStretch();
  connect(duoteam, &QCheckBox::toggled, this, [this] { UpdateEnabling(); });
  layout->addWidget(duo);

  auto* bottom = new QFormLayout;
  name = new QLineEdit(this);
  bottom->addRow(QStringLiteral("Naam:"), name);
  layout->addLayout(bottom);

  auto* buttons = AddOkCancel(this, layout);
  deleteButton = buttons->addButton(QStringLiteral("Verwijder..."), QDialogButtonBox::ActionRole);
  connect(deleteButton, &QPushButton::clicked, this, [this] { DeleteSelected(); });
  connect(select, &QComboBox::currentIndexChanged, this, [this] { ShowSelected(); });

  FillList(EditorInitialSelection(app_.Db(), idMatchSystem));
}

void LDlgMatchSystem::FillList(int selectId) {
  QSignalBlocker block(select);
  select->clear();
  std::vector<MatchSystem> all;
  app_.Db().ListMatchSystems(&all);
  int index = all.empty() ? -1 : 0;
  for (const MatchSystem& ms : all) {
    if (ms.id == selectId) index = select->count();
    select->addItem(ToQt(ms.name), ms.id);
  }
  select->setCurrentIndex(index);
  ShowSelected();
}

void LDlgMatchSystem::ShowSelected() {
  int id = select->currentData().toInt();
  if (select->currentIndex() < 0) {
    UpdateEnabling();
    return;
  }
  EditorControls c = EditorControlsOf(MatchSystemById(app_.Db(), id));
  points->setText(ToQt(c.gameStop));
  gameDiff->setChecked(c.gameDiff);
  setMax->setText(ToQt(c.setMax));
  setWon->setText(ToQt(c.setWon));
  for (int i = 0; i < 4; ++i) resultMode[i]->setChecked(c.result == i + 1);
  name->setText(ToQt(c.name));
  duoteam->setChecked(c.duoteam);
  const bool flags[] = {c.duo_ax, c.duo_by, c.duo_ay, c.duo_bx, c.duo_abxy};
  for (int i = 0; i < kDuoSubMatches; ++i) subMatches[i]->setChecked(flags[i]);
  UpdateEnabling();
}

int LDlgMatchSystem::ResultMode() const {
  for (int i = 0; i < 4; ++i)
    if (resultMode[i]->isChecked()) return i + 1;
  return 0;
}

void LDlgMatchSystem::UpdateEnabling() {
  EditorEnabling e = EnableEditorControls(ResultMode(), duoteam->isChecked());
  points->setEnabled(e.points);
  gameDiff->setEnabled(e.gameDiff);
  setMax->setEnabled(e.setMax);
  setWon->setEnabled(e.setWon);
  for (QCheckBox* b : subMatches) b->setEnabled(e.subMatches);
}

void LDlgMatchSystem::accept() {
  EditorControls c;
  std::string typedName;
  if (!ReadStorable(app_.Prompt(), {{name->text(), &typedName}})) return;
  c.gameStop = FromQt(points->text());
  c.setMax = FromQt(setMax->text());
  c.setWon = FromQt(setWon->text());
  c.gameDiff = gameDiff->isChecked();
  c.result = ResultMode();
  c.name = typedName;
  c.duoteam = duoteam->isChecked();
  c.duo_ax = subMatches[0]->isChecked();
  c.duo_by = subMatches[1]->isChecked();
  c.duo_ay = subMatches[2]->isChecked();
  c.duo_bx = subMatches[3]->isChecked();
  c.duo_abxy = subMatches[4]->isChecked();
  int id = SaveEditorMatchSystem(app_.Db(), app_.Prompt(), ReadEditorControls(c));
  if (id < 0) {
    name->setFocus();
    return;
  }
  chosenId_ = id;
  QDialog::accept();
}

void LDlgMatchSystem::DeleteSelected() {
  if (select->currentIndex() < 0) return;
  if (DeleteEditorMatchSystem(app_.Db(), app_.Prompt(), select->currentData().toInt(), app_.IdToernooi()))
    FillList(EditorInitialSelection(app_.Db(), 0));
}

}  // namespace velgram
