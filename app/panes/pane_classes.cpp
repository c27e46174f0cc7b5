#include "app/panes/pane_classes.h"

#include "app/shell/app.h"
#include "app/pools/dlg_system.h"
#include "app/shell/mainwindow.h"
#include "app/shell/qtext.h"
#include "competition/edits.h"
#include "competition/tables.h"
#include "support/text.h"

namespace velgram {

namespace {
constexpr const char* kMakeTournament = "Maak of selecteer eerst een toernooi.";
constexpr const char* kNoTournament = "Selecteer eerst een toernooi.";
}  // namespace

QString PoolTimes(int start, int end) {
  return QString::asprintf("%02d:%02d - %02d:%02d", start / 100, start % 100, end / 100, end % 100);
}

// ---------------------------------------------------------------- classes

LPaneSystems::LPaneSystems(CVelgramApp& app, QWidget* parent) : LPane(app, QStringLiteral("Spelklassen"), parent) {
  AddButton(QStringLiteral("Toevoegen"), [this] { Add(); });
  AddButton(QStringLiteral("Verwijderen"), [this] { Delete(); });
  AddButton(QStringLiteral("Wijzigen"), [this] { Change(); });
  AddButton(QStringLiteral("Naar boven"), [this] { MoveUp(); });
  AddButton(QStringLiteral("Naar beneden"), [this] { MoveDown(); });
  AddButton(QStringLiteral("Menu"), [this] { ShowMenu(); });
  grid_->SetColumns({{QStringLiteral("Naam")}, {QStringLiteral("Type")}, {QStringLiteral("Omschrijving")}});
  // The order of the classes is their order in the tree: sorting the list by
  // a header would make "Naar boven" and "Naar beneden" meaningless.
  grid_->SetHeaderClickSorts(false);
  connect(grid_, &LGrid::rowDoubleClicked, this, [this](int row) {
    grid_->SelectRow(row);
    Change();
  });
  connect(grid_, &LGrid::rowSelectionChanged, this, [this] { UpdateButtons(); });
}

void LPaneSystems::Refresh() {
  ApplyLook();
  grid_->Clear();
  if (!app_.HasToernooi()) {
    Prompt().Alert(kNoTournament);
    UpdateButtons();
    return;
  }
  std::vector<SystemRecord> list;
  Db().ListSystems(list, app_.IdToernooi());
  for (const SystemRecord& s : list)
    grid_->AddRow({ToQt(s.name), s.nrPlayers == 1 ? QStringLiteral("Enkel") : QStringLiteral("Dubbel"),
                   ToQt(s.description)},
                  s.id);
  grid_->AutoSize();
  if (rememberedRow_ >= 0 && rememberedRow_ < grid_->RowCount()) grid_->SelectRow(rememberedRow_);
  UpdateButtons();
}

void LPaneSystems::UpdateButtons() {
  bool selected = grid_->FirstSelectedRow() >= 0;
  for (const char* name : {"Wijzigen", "Verwijderen", "Naar boven", "Naar beneden"})
    if (QPushButton* b = Button(QString::fromLatin1(name))) b->setEnabled(selected);
}

void LPaneSystems::Reshow() {
  if (Main()) {
    Main()->FillTree();
    Main()->SelectItem(NavType::Systems, 0);
  } else {
    Refresh();
  }
}

void LPaneSystems::Add() {
  if (!app_.HasToernooi()) {
    Prompt().Alert(kMakeTournament);
    return;
  }
  LDlgSystem dlg(app_, -1, this);
  if (dlg.exec() == QDialog::Accepted) Reshow();
}

void LPaneSystems::Change() {
  int row = grid_->FirstSelectedRow();
  if (row < 0) {
    Prompt().Alert("Selecteer \xE9\xE9n spelklasse die u wilt wijzigen.");
    return;
  }
  rememberedRow_ = row;
  LDlgSystem dlg(app_, grid_->RowData(row), this);
  if (dlg.exec() == QDialog::Accepted) Reshow();
}

void LPaneSystems::Delete() {
  int row = grid_->FirstSelectedRow();
  if (row < 0) {
    Prompt().Alert("Selecteer \xE9\xE9n spelklasse die u wilt verwijderen.");
    return;
  }
  int id = grid_->RowData(row);
  SystemRecord s;
  Db().GetSystem(s, id);
  if (!Prompt().Confirm(Format("Weet u zeker, dat u %s wilt verwijderen?", s.name.c_str()))) return;
  rememberedRow_ = -1;
  if (Main())
    Main()->DeleteSystem(id);
  else if (!Db().DeleteSystem(id))
    Prompt().Alert(kSystemNotDeleted);
  Reshow();
}

void LPaneSystems::MoveUp() {
  int row = grid_->FirstSelectedRow();
  if (row < 0) {
    Prompt().Alert("Selecteer \xE9\xE9n spelklasse die u eerder wilt tonen.");
    return;
  }
  Db().MoveSystemUp(grid_->RowData(row));
  rememberedRow_ = std::max(0, row - 1);
  Reshow();
}

void LPaneSystems::MoveDown() {
  int row = grid_->FirstSelectedRow();
  if (row < 0) {
    Prompt().Alert("Selecteer \xE9\xE9n spelklasse die u later wilt tonen.");
    return;
  }
  Db().MoveSystemDown(grid_->RowData(row));
  rememberedRow_ = std::min(grid_->RowCount() - 1, row + 1);
  Reshow();
}

void LPaneSystems::ShowMenu() {
  if (!app_.HasToernooi()) {
    Prompt().Alert(kNoTournament);
    return;
  }
  if (Main()) Main()->ShowClassesMenu(Button(QStringLiteral("Menu")));
}

// ---------------------------------------------------------------- pools of a class

LPaneSystem::LPaneSystem(CVelgramApp& app, int idSystem, QWidget* parent)
    : LPane(app, QStringLiteral("Poules"), parent), idSystem_(idSystem) {
  AddButton(QStringLiteral("Toevoegen Poule, Zwitsers, Afval"), [this] { Add(); });
  AddButton(QStringLiteral("Wijzigen"), [this] { Change(); });
  AddButton(QStringLiteral("Verwijderen"), [this] { Delete(); });
  AddButton(QStringLiteral("Naar boven"), [this] { MoveUp(); });
  AddButton(QStringLiteral("Naar beneden"), [this] { MoveDown(); });
  grid_->SetColumns({{QStringLiteral("Naam")}, {QStringLiteral("Tafels")}, {QStringLiteral("Tijden")}});
  grid_->SetHeaderClickSorts(false);
  connect(grid_, &LGrid::rowDoubleClicked, this, [this](int row) {
    grid_->SelectRow(row);
    Change();
  });
  connect(grid_, &LGrid::rowSelectionChanged, this, [this] { UpdateButtons(); });
}

void LPaneSystem::Refresh() {
  ApplyLook();
  grid_->Clear();
  SystemRecord s;
  Db().GetSystem(s, idSystem_);
  SetTitle(s.name.empty() ? QStringLiteral("Poules") : QStringLiteral("Poules van ") + ToQt(s.name));
  std::vector<PoolRecord> pools;
  Db().ListPools(idSystem_, pools);
  for (const PoolRecord& p : pools)
    grid_->AddRow({ToQt(p.name), ToQt(FormatTables(ParseTables(p.tables))), PoolTimes(p.starttime, p.endtime)},
                  p.id);
  grid_->AutoSize();
  if (rememberedRow_ >= 0 && rememberedRow_ < grid_->RowCount()) grid_->SelectRow(rememberedRow_);
  UpdateButtons();
}

void LPaneSystem::UpdateButtons() {
  bool selected = grid_->FirstSelectedRow() >= 0;
  for (const char* name : {"Wijzigen", "Verwijderen", "Naar boven", "Naar beneden"})
    if (QPushButton* b = Button(QString::fromLatin1(name))) b->setEnabled(selected);
}

void LPaneSystem::Reshow() {
  if (Main()) {
    Main()->FillTree();
    Main()->SelectItem(NavType::System, idSystem_);
  } else {
    Refresh();
  }
}

void LPaneSystem::Add() {
  if (!app_.HasToernooi()) {
    Prompt().Alert(kMakeTournament);
    return;
  }
  if (!Main()) return;
  int idPool = Main()->EditPool(idSystem_, -1, this);
  if (idPool > 0) {
    Main()->FillTree();
    Main()->SelectItem(NavType::Pool, idPool);
  }
}

void LPaneSystem::Change() {
  int row = grid_->FirstSelectedRow();
  if (row < 0) {
    Prompt().Alert("Selecteer \xE9\xE9n poule die u wilt wijzigen.");
    return;
  }
  rememberedRow_ = row;
  if (Main() && Main()->EditPool(idSystem_, grid_->RowData(row), this) > 0) Reshow();
}

void LPaneSystem::Delete() {
  int row = grid_->FirstSelectedRow();
  if (row < 0) {
    Prompt().Alert("Selecteer \xE9\xE9n poule die u wilt verwijderen.");
    return;
  }
  int id = grid_->RowData(row);
  PoolRecord p;
  Db().GetPool(id, p);
  if (!Prompt().Confirm(Format("Weet u zeker, dat u %s wilt verwijderen?", p.name.c_str()))) return;
  rememberedRow_ = -1;
  if (Main())
    Main()->DeletePool(id);
  else if (!Db().DeletePool(id))
    Prompt().Alert(kPoolNotDeleted);
  Reshow();
}

void LPaneSystem::MoveUp() {
  int row = grid_->FirstSelectedRow();
  if (row < 0) {
    Prompt().Alert("Selecteer \xE9\xE9n poule die u eerder wilt tonen.");
    return;
  }
  if (!velgram::MovePoolUp(Db(), Prompt(), grid_->RowData(row))) return;
  rememberedRow_ = std::max(0, row - 1);
  Reshow();
}

void LPaneSystem::MoveDown() {
  int row = grid_->FirstSelectedRow();
  if (row < 0) {
    Prompt().Alert("Selecteer \xE9\xE9n poule die u later wilt tonen.");
    return;
  }
  if (!velgram::MovePoolDown(Db(), Prompt(), grid_->RowData(row))) return;
  rememberedRow_ = std::min(grid_->RowCount() - 1, row + 1);
  Reshow();
}

}  // namespace velgram
