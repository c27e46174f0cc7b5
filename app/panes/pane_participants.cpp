#include "app/panes/pane_participants.h"

#include "app/shell/app.h"
#include "app/dialogs/dlg_duo.h"
#include "app/dialogs/dlg_player.h"
#include "app/shell/mainwindow.h"
#include "app/shell/qtext.h"
#include "competition/edits.h"
#include "support/text.h"

namespace velgram {

namespace {
constexpr const char* kMakeTournament = "Maak of selecteer eerst een toernooi.";
constexpr const char* kNoTournament = "Selecteer eerst een toernooi.";
}  // namespace

LPanePlayers::LPanePlayers(CVelgramApp& app, QWidget* parent) : LPane(app, QStringLiteral("Deelnemers"), parent) {
  AddButton(QStringLiteral("Toevoegen"), [this] { Add(); });
  AddButton(QStringLiteral("Wijzigen"), [this] { Change(); });
  AddButton(QStringLiteral("Verwijderen"), [this] { Delete(); });
  AddButton(QStringLiteral("Importeren"), [this] { Import(); });
  AddButton(QStringLiteral("Afdrukken"), [this] { Print(); });
  grid_->SetColumns({{QStringLiteral("Naam")},
                     {QStringLiteral("Speelsterkte"), SortKind::Number, Qt::AlignRight | Qt::AlignVCenter},
                     {QStringLiteral("Vereniging")},
                     {QStringLiteral("Bondsnummer")},
                     {QStringLiteral("Klasse")},
                     {QStringLiteral("M/V")},
                     {QStringLiteral("E-mailadres")}});
  connect(grid_, &LGrid::rowDoubleClicked, this, [this](int row) { ChangeRow(row); });
}

void LPanePlayers::Refresh() {
  ApplyLook();
  grid_->Clear();
  if (!app_.HasToernooi()) {
    Prompt().Alert(kNoTournament);
    return;
  }
  std::vector<PlayerRecord> players;
  Db().ListPlayers(players, app_.IdToernooi());
  grid_->BeginUpdate();
  for (const PlayerRecord& p : players) {
    QString gender = p.gender == 1 ? QStringLiteral("M") : p.gender == 0 ? QStringLiteral("V") : QString();
    grid_->AddRow({ToQt(p.name), QString::number(p.rating), ToQt(Db().GetClubName(p.idClub)), ToQt(p.bondsnummer),
                   ToQt(p.klasse), gender, ToQt(p.email)},
                  p.id);
  }
  grid_->EndUpdate();
  if (grid_->SortColumn() >= 0) grid_->SortByColumn(grid_->SortColumn(), grid_->SortAscending());
  grid_->AutoSize();
}

void LPanePlayers::Add() {
  if (!app_.HasToernooi()) {
    Prompt().Alert(kMakeTournament);
    return;
  }
  LDlgPlayer dlg(app_, -1, this);
  if (dlg.exec() == QDialog::Accepted) Refresh();
}

void LPanePlayers::Change() {
  std::vector<int> ids = SelectedIds();
  if (ids.size() != 1) {
    Prompt().Alert("Selecteer \xE9\xE9n deelnemer die u wilt wijzigen.");
    return;
  }
  LDlgPlayer dlg(app_, ids[0], this);
  if (dlg.exec() == QDialog::Accepted) Refresh();
}

void LPanePlayers::ChangeRow(int row) {
  int id = grid_->RowData(row);
  if (id < 1) return;
  LDlgPlayer dlg(app_, id, this);
  if (dlg.exec() == QDialog::Accepted) Refresh();
}

void LPanePlayers::Delete() {
  if (DeletePlayers(Db(), Prompt(), app_.IdToernooi(), SelectedIds())) Refresh();
}

void LPanePlayers::Import() {
  if (!app_.HasToernooi()) {
    Prompt().Alert(kMakeTournament);
    return;
  }
  if (Main() && Main()->ImportPlayers(this)) Refresh();
}

void LPanePlayers::Print() {
  if (Main()) Main()->PrintGrid(grid_, QStringLiteral("PanePlayers"), this);
}

LPaneDuos::LPaneDuos(CVelgramApp& app, QWidget* parent) : LPane(app, QStringLiteral("Duo's"), parent) {
  AddButton(QStringLiteral("Toevoegen"), [this] { Add(); });
  AddButton(QStringLiteral("Wijzigen"), [this] { Change(); });
  AddButton(QStringLiteral("Verwijderen"), [this] { Delete(); });
  AddButton(QStringLiteral("Afdrukken"), [this] { Print(); });
  grid_->SetColumns({{QStringLiteral("Naam")},
                     {QStringLiteral("Speelsterkte"), SortKind::Number, Qt::AlignRight | Qt::AlignVCenter},
                     {QStringLiteral("Vereniging")},
                     {QStringLiteral("Klasse")}});
  connect(grid_, &LGrid::rowDoubleClicked, this, [this](int row) {
    int id = grid_->RowData(row);
    if (id < 1) return;
    LDlgDuo dlg(app_, id, this);
    if (dlg.exec() == QDialog::Accepted) Refresh();
  });
}

void LPaneDuos::Refresh() {
  ApplyLook();
  grid_->Clear();
  if (!app_.HasToernooi()) {
    Prompt().Alert(kNoTournament);
    return;
  }
  std::vector<DuoRecord> duos;
  Db().ListDuos(duos, app_.IdToernooi());
  grid_->BeginUpdate();
  for (const DuoRecord& d : duos)
    grid_->AddRow({ToQt(d.name), QString::number(d.rating), ToQt(d.club), ToQt(d.klasse)}, d.id);
  grid_->EndUpdate();
  if (grid_->SortColumn() >= 0) grid_->SortByColumn(grid_->SortColumn(), grid_->SortAscending());
  grid_->AutoSize();
}

void LPaneDuos::Add() {
  if (!app_.HasToernooi()) {
    Prompt().Alert(kMakeTournament);
    return;
  }
  LDlgDuo dlg(app_, -1, this);
  if (dlg.exec() == QDialog::Accepted) Refresh();
}

void LPaneDuos::Change() {
  std::vector<int> ids = SelectedIds();
  if (ids.size() != 1) {
    Prompt().Alert("Selecteer \xE9\xE9n duo dat u wilt wijzigen.");
    return;
  }
  LDlgDuo dlg(app_, ids[0], this);
  if (dlg.exec() == QDialog::Accepted) Refresh();
}

void LPaneDuos::Delete() {
  if (DeleteDuos(Db(), Prompt(), app_.IdToernooi(), SelectedIds())) Refresh();
}

void LPaneDuos::Print() {
  if (Main()) Main()->PrintGrid(grid_, QStringLiteral("PaneDuos"), this);
}

}  // namespace velgram
