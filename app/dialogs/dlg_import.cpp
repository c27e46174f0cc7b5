#include "app/dialogs/dlg_import.h"

#include <QFile>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

#include "app/dialogs/dlg_common.h"
#include "app/dialogs/dlg_removeplayers.h"
#include "app/dialogs/dlg_selectclub.h"
#include "app/widgets/grid.h"
#include "app/shell/qtext.h"
#include "exchange/import_file.h"
#include "support/paths.h"
#include "support/prompt.h"

namespace velgram {

ClubChoice QtImportPrompter::SelectClub(const PlayerRecord& row, const std::vector<ClubEntry>& clubs) {
  LDlgSelectClub dialog(row, clubs, messages_, parent_);
  if (dialog.exec() != QDialog::Accepted) return {};
  return dialog.Choice();
}

RemoveOutcome QtImportPrompter::RemovePlayers(const std::vector<PlayerRecord>& players,
                                              const std::function<bool(const std::vector<int>&)>& removeSelected) {
  LDlgRemovePlayers dialog(players, removeSelected, parent_);
  return dialog.exec() == QDialog::Accepted ? RemoveOutcome::kContinue : RemoveOutcome::kStop;
}

// ---------------------------------------------------------------------------

LDlgImportPlayers::LDlgImportPlayers(Database& db, int idToernooi, Prompter& prompter, QWidget* parent)
    : QDialog(parent), db_(db), idToernooi_(idToernooi), prompter_(prompter) {
  setWindowTitle(QStringLiteral("Importeren deelnemers"));
  auto* layout = new QVBoxLayout(this);
  // OK and Annuleren stand 50 pixels above the bottom; the list keeps 10
  // pixels on either side.
  layout->setContentsMargins(10, 10, 10, 50);
  for (const char* text : {"Hier kunt u deelnemers importeren vanuit een CSV-bestand.",
                           "Het bestand moet bestaan uit 7 kolommen in de volgorde:",
                           "Naam, Vereniging, Bondsnummer, Geslacht, Email, Speelsterkte, Klasse",
                           "De kolommen worden gescheiden met een komma",
                           "Als er in de tekst een komma staat, plaats dan de tekst tussen dubbele quotes: \""})
    layout->addWidget(new QLabel(QString::fromUtf8(text), this));

  auto* fileRow = new QHBoxLayout;
  fileRow->addWidget(new QLabel(QStringLiteral("CSV-bestand:"), this));
  file_ = new QLineEdit(this);
  fileRow->addWidget(file_, 1);
  auto* browse = new QPushButton(QStringLiteral("..."), this);
  browse->setAutoDefault(false);
  fileRow->addWidget(browse);
  layout->addLayout(fileRow);
  separator_ = new QLabel(this);
  layout->addWidget(separator_);
  connect(browse, &QPushButton::clicked, this, &LDlgImportPlayers::Browse);
  // A typed name is read when the typing is done, not at every keystroke:
  // half a path would tell "Kan bestand niet openen" at each letter.
  connect(file_, &QLineEdit::editingFinished, this, [this] {
    if (file_->text().trimmed() != loaded_ || !loadedOnce_) LoadFile();
  });

  grid_ = new LGrid(this);
  layout->addWidget(grid_, 1);
  FillPreview();

  auto* buttons = new QHBoxLayout;
  ok_ = new QPushButton(QStringLiteral("OK"), this);
  auto* cancel = new QPushButton(QStringLiteral("Annuleren"), this);
  ok_->setAutoDefault(false);
  cancel->setAutoDefault(false);
  buttons->addWidget(ok_);
  buttons->addWidget(cancel);
  buttons->addStretch(1);
  layout->addLayout(buttons);
  connect(ok_, &QPushButton::clicked, this, [this] { Import(); });
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  resize(900, 600);
}

QString LDlgImportPlayers::BrowseFilter() {
  return QStringLiteral("CSV bestanden (*.CSV *.csv);;Text bestanden (*.TXT *.txt);;Alle bestanden (*)");
}

void LDlgImportPlayers::Browse() {
  const QString start = file_->text().trimmed().isEmpty()
                            ? QFile::decodeName(QByteArray::fromStdString(DocumentsFolder()))
                            : file_->text().trimmed();
  QFileDialog dialog(this, QStringLiteral("CSV-bestand"), start, BrowseFilter());
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setDefaultSuffix(QStringLiteral("CSV"));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
  SetFile(dialog.selectedFiles().front());
}

void LDlgImportPlayers::SetFile(const QString& path) {
  file_->setText(path);
  LoadFile();
}

void LDlgImportPlayers::LoadFile() {
  loaded_ = file_->text().trimmed();
  loadedOnce_ = true;
  read_ = {};
  // File names are the system's own bytes, not Windows-1252 text.
  if (!loaded_.isEmpty()) read_ = LoadImportRows(QFile::encodeName(loaded_).toStdString(), prompter_);
  separator_->setText(loaded_.isEmpty() ? QString()
                                        : ToQt("Gelezen scheidingsteken: " + SeparatorName(read_.separator)));
  FillPreview();
}

void LDlgImportPlayers::FillPreview() {
  std::vector<GridColumn> columns;
  for (const char* title : kImportPreviewHeaders) columns.push_back({ToQt(title), SortKind::Text});
  columns[4].sort = SortKind::Number;
  columns[4].align = Qt::AlignRight | Qt::AlignVCenter;
  grid_->SetColumns(columns);
  grid_->BeginUpdate();
  for (size_t i = 0; i < read_.rows.size(); ++i) {
    QStringList cells;
    for (const std::string& cell : ImportPreviewCells(read_.rows[i])) cells << ToQt(cell);
    grid_->AddRow(cells, static_cast<int>(i));
  }
  grid_->EndUpdate();
  grid_->AutoSize();
  FitListWidth(grid_, 0);
}

ImportResult LDlgImportPlayers::Import() {
  if (idToernooi_ <= 0) {
    prompter_.Alert("Selecteer eerst een toernooi.");
    return ImportResult::kNoTournament;
  }
  if (!loadedOnce_ || file_->text().trimmed() != loaded_) LoadFile();
  QtImportPrompter questions(prompter_, this);
  const ImportResult result = ImportPlayers(db_, idToernooi_, read_, questions);
  if (result == ImportResult::kImported) accept();
  if (result == ImportResult::kStopped) reject();
  return result;
}

void LDlgImportPlayers::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!placed_) {
    placed_ = true;
    QTimer::singleShot(100, this, &LDlgImportPlayers::PlaceOnScreen);
  }
}

void LDlgImportPlayers::PlaceOnScreen() {
  QScreen* s = screen();
  if (!s) return;
  const QRect g = s->availableGeometry();
  setGeometry(g.x() + g.width() / 10, g.y() + g.height() / 10, g.width() * 8 / 10, g.height() * 8 / 10);
}

bool RunImportPlayers(Database& db, int idToernooi, Prompter& prompter, QWidget* parent) {
  LDlgImportPlayers dialog(db, idToernooi, prompter, parent);
  return dialog.exec() == QDialog::Accepted;
}

}  // namespace velgram
