#include "app/dialogs/dlg_common.h"

#include <QAbstractItemView>
#include <QBoxLayout>
#include <QDialog>
#include <QHeaderView>
#include <QPushButton>
#include <QRegularExpression>
#include <QRegularExpressionValidator>
#include <QScreen>
#include <QScrollBar>
#include <QTableView>
#include <algorithm>

#include "app/shell/qtext.h"
#include "support/prompt.h"

namespace velgram {

const char* const kNotStorableMessage =
    "De ingevulde tekst bevat tekens die Velgram niet kan opslaan.\r\n"
    "Alleen West-Europese letters, cijfers en leestekens zijn mogelijk.\r\n"
    "Pas de tekst aan en probeer het opnieuw.";

bool ReadStorable(Prompter& prompter, std::initializer_list<std::pair<QString, std::string*>> fields) {
  for (const auto& f : fields) {
    bool lossless = true;
    FromQt(f.first, &lossless);
    if (!lossless) {
      prompter.Alert(kNotStorableMessage);
      return false;
    }
  }
  for (const auto& f : fields) *f.second = FromQt(f.first);
  return true;
}

QValidator* DigitsValidator(int maxDigits, QObject* parent) {
  return new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,%1}").arg(maxDigits)), parent);
}

void FitListWidth(QAbstractItemView* view, int minWidth) {
  int content = 0;
  if (auto* table = qobject_cast<QTableView*>(view)) {
    for (int c = 0; table->model() && c < table->model()->columnCount(); ++c)
      if (!table->isColumnHidden(c)) content += table->columnWidth(c);
    if (!table->verticalHeader()->isHidden()) content += table->verticalHeader()->sizeHint().width();
  } else {
    content = view->sizeHintForColumn(0);
  }
  // Room for a vertical scroll bar whether or not the list needs one yet: it
  // must not push the last column out of sight when it appears.
  content += 2 * view->frameWidth() + view->verticalScrollBar()->sizeHint().width() + 2;
  const QScreen* screen = view->screen();
  const int limit = screen ? screen->availableGeometry().width() * 9 / 10 : content;
  view->setMinimumWidth(std::max(minWidth, std::min(content, limit)));
}

int CharsWide(const QWidget* widget, int chars) { return widget->fontMetrics().averageCharWidth() * chars + 12; }

QDialogButtonBox* AddOkCancel(QDialog* dialog, QBoxLayout* layout) {
  auto* box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
  box->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
  box->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Annuleren"));
  QObject::connect(box, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
  QObject::connect(box, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
  layout->addWidget(box);
  return box;
}

}  // namespace velgram
