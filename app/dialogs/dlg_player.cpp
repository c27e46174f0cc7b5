#include "app/dialogs/dlg_player.h"

#include <QButtonGroup>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QVBoxLayout>
#include <algorithm>

#include "app/shell/app.h"
#include "app/dialogs/dlg_common.h"
#include "app/shell/qtext.h"
#include "competition/edits.h"

namespace velgram {

namespace {

// The arrow keys move the focus from one of two buttons to the other. Qt does
// that only for buttons that can be tabbed to, which the group allows only
// one of at a time.
class ArrowsBetween : public QObject {
 public:
  ArrowsBetween(QWidget* a, QWidget* b, QObject* parent) : QObject(parent), a_(a), b_(b) {}
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::KeyPress) return false;
    switch (static_cast<QKeyEvent*>(event)->key()) {
      case Qt::Key_Left:
      case Qt::Key_Right:
      case Qt::Key_Up:
      case Qt::Key_Down:
        (watched == a_ ? b_ : a_)->setFocus(Qt::TabFocusReason);
        return true;
      default:
        return false;
    }
  }

 private:
  QWidget* a_;
  QWidget* b_;
};

}  // namespace

LDlgPlayer::LDlgPlayer(CVelgramApp& app, int id, QWidget* parent) : QDialog(parent), app_(app), id_(id) {
  setWindowTitle(QStringLiteral("Deelnemer"));
  auto* layout = new QVBoxLayout(this);
  auto* form = new QFormLayout;
  name = new QLineEdit(this);
  name->setMinimumWidth(std::max(300, CharsWide(name, 32)));
  club = new QComboBox(this);
  club->setEditable(true);
  club->setInsertPolicy(QComboBox::NoInsert);
  bondsnummer = new QLineEdit(this);
  rating = new QLineEdit(this);
  rating->setValidator(DigitsValidator(5, rating));
  klasse = new QLineEdit(this);
  man = new QRadioButton(QStringLiteral("Man"), this);
  vrouw = new QRadioButton(QStringLiteral("Vrouw"), this);
  // An exclusive group would not allow "neither", which a stored player may be.
  auto* genders = new QHBoxLayout;
  genders->addWidget(man);
  genders->addWidget(vrouw);
  genders->addStretch();
  man->setAutoExclusive(false);
  vrouw->setAutoExclusive(false);
  // One Tab stop for the pair (the one last in focus), with the arrow keys
  // between them, as for radio buttons; the group itself does not exclude.
  auto* genderKeys = new QButtonGroup(this);
  genderKeys->setExclusive(false);
  genderKeys->addButton(man);
  genderKeys->addButton(vrouw);
  auto* arrows = new ArrowsBetween(man, vrouw, this);
  man->installEventFilter(arrows);
  vrouw->installEventFilter(arrows);
  connect(man, &QRadioButton::toggled, this, [this](bool on) {
    if (on) vrouw->setChecked(false);
  });
  connect(vrouw, &QRadioButton::toggled, this, [this](bool on) {
    if (on) man->setChecked(false);
  });
  email = new QLineEdit(this);
  form->addRow(QStringLiteral("Naam:"), name);
  form->addRow(QStringLiteral("Vereniging:"), club);
  form->addRow(QStringLiteral("Bondsnummer:"), bondsnummer);
  form->addRow(QStringLiteral("Rating:"), rating);
  form->addRow(QStringLiteral("Klasse/Licentie:"), klasse);
  form->addRow(QStringLiteral("Geslacht:"), genders);
  form->addRow(QStringLiteral("E-mailadres:"), email);
  layout->addLayout(form);
  AddOkCancel(this, layout);

  std::vector<ClubEntry> clubs;
  app_.Db().ListClubs(app_.IdToernooi(), clubs);
  for (const ClubEntry& c : clubs) club->addItem(ToQt(c.name));
  club->setCurrentIndex(-1);
  club->setEditText(QString());
  if (id_ > 0) {
    PlayerForm f = LoadPlayerForm(app_.Db(), id_);
    name->setText(ToQt(f.name));
    club->setEditText(ToQt(f.club));
    bondsnummer->setText(ToQt(f.bondsnummer));
    rating->setText(ToQt(f.rating));
    klasse->setText(ToQt(f.klasse));
    man->setChecked(f.gender == 1);
    vrouw->setChecked(f.gender == 0);
    email->setText(ToQt(f.email));
  }
}

void LDlgPlayer::accept() {
  PlayerForm f;
  if (!ReadStorable(app_.Prompt(), {{name->text(), &f.name},
                                    {club->currentText(), &f.club},
                                    {bondsnummer->text(), &f.bondsnummer},
                                    {rating->text(), &f.rating},
                                    {klasse->text(), &f.klasse},
                                    {email->text(), &f.email}}))
    return;
  f.gender = man->isChecked() ? 1 : vrouw->isChecked() ? 0 : -1;
  if (!SavePlayer(app_.Db(), app_.Prompt(), app_.IdToernooi(), id_, f)) {
    name->setFocus();
    return;
  }
  QDialog::accept();
}

}  // namespace velgram
