#include "app/display/dlg_hall_settings.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QVBoxLayout>

#include "app/dialogs/dlg_common.h"
#include "app/shell/qtext.h"
#include "competition/hall_display.h"
#include "store/database.h"

namespace velgram {

LDlgHallSettings::LDlgHallSettings(Database& db, int idToernooi, QWidget* parent)
    : QDialog(parent), db_(db), idToernooi_(idToernooi) {
  setWindowTitle(QStringLiteral("Instellingen zaalscherm"));
  HallOptions o = ReadHallOptions(db_, idToernooi_);
  auto* layout = new QVBoxLayout(this);

  auto* show = new QGroupBox(QStringLiteral("Tonen"), this);
  auto* showLayout = new QVBoxLayout(show);
  showMatches = new QRadioButton(QStringLiteral("Nu aan de beurt"), show);
  showStandings = new QRadioButton(QStringLiteral("Standen"), show);
  showBoth = new QRadioButton(QStringLiteral("Beide"), show);
  for (QRadioButton* b : {showMatches, showStandings, showBoth}) showLayout->addWidget(b);
  (o.show == HallShow::kMatches ? showMatches : o.show == HallShow::kStandings ? showStandings : showBoth)
      ->setChecked(true);
  layout->addWidget(show);

  auto* group = new QGroupBox(QStringLiteral("Spelklassen"), this);
  auto* classLayout = new QVBoxLayout(group);
  std::vector<SystemRecord> list;
  db_.ListSystems(list, idToernooi_);
  for (const SystemRecord& s : list) {
    auto* box = new QCheckBox(ToQt(s.name), group);
    box->setChecked(!o.hiddenClasses.count(s.id));
    classLayout->addWidget(box);
    classes.push_back(box);
    classIds_.push_back(s.id);
  }
  layout->addWidget(group);

  auto* form = new QFormLayout;
  pageSeconds = new QSpinBox(this);
  pageSeconds->setRange(kHallMinPageSeconds, kHallMaxPageSeconds);
  pageSeconds->setValue(o.pageSeconds);
  form->addRow(QStringLiteral("Seconden per pagina:"), pageSeconds);
  layout->addLayout(form);
  AddOkCancel(this, layout);
}

void LDlgHallSettings::accept() {
  HallOptions o = ReadHallOptions(db_, idToernooi_);
  o.show = showMatches->isChecked() ? HallShow::kMatches : showStandings->isChecked() ? HallShow::kStandings
                                                                                       : HallShow::kBoth;
  o.hiddenClasses.clear();
  for (size_t i = 0; i < classes.size(); ++i)
    if (!classes[i]->isChecked()) o.hiddenClasses.insert(classIds_[i]);
  o.pageSeconds = pageSeconds->value();
  WriteHallOptions(db_, idToernooi_, o);
  QDialog::accept();
}

}  // namespace velgram
