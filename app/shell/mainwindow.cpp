#include "app/shell/mainwindow.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QVBoxLayout>
#include <QIcon>
#include <QKeyEvent>
#include <QMenuBar>
#include <QMessageBox>

#include "app/shell/app.h"
#include "app/shell/classes_menu.h"
#include "app/dialogs/dlg_import.h"
#include "app/dialogs/dlg_backup.h"
#include "app/pools/dlg_pool.h"
#include "app/dialogs/dlg_selectlist.h"
#include "app/dialogs/dlg_settingscolors.h"
#include "app/dialogs/dlg_settingsfont.h"
#include "app/dialogs/dlg_settingsswiss.h"
#include "app/dialogs/dlg_simaddplayers.h"
#include "app/dialogs/dlg_toernooi.h"
#include "app/display/fly_hall.h"
#include "app/live/dlg_live.h"
#include "app/live/live_desk.h"
#include "app/shell/fonts.h"
#include "app/panes/pane_classes.h"
#include "app/panes/pane_matches.h"
#include "app/panes/pane_participants.h"
#include "app/panes/pane_dropout.h"
#include "app/panes/pane_entries.h"
#include "app/panes/pane_poule.h"
#include "app/panes/pane_swiss.h"
#include "app/panes/pane_tables.h"
#include "app/printing/print_preview.h"
#include "app/support/support_desk.h"
#include "app/shell/qtext.h"
#include "competition/pool.h"
#include "competition/live_snapshot.h"
#include "competition/table_entry.h"
#include "competition/tables.h"
#include "store/recordset.h"
#include "support/text.h"

namespace velgram {

namespace {

// Dialog numbers of the panes, as the pool objects name their own.
constexpr int kPanePlayers = 136;
constexpr int kPaneSystems = 146;
constexpr int kPaneTables = 167;
constexpr int kPaneMatches = 171;
constexpr int kPaneSystem = 183;
constexpr int kPaneMatchNotes = 215;
constexpr int kPaneDuos = 219;
constexpr int kPanePoule = 161;
constexpr int kPaneSwiss = 181;
constexpr int kPaneDropout = 175;
constexpr int kPaneEntries = 301;

constexpr const char* kNoTournament = "Selecteer eerst een toernooi.";

}  // namespace

CVelgramDlg::CVelgramDlg(CVelgramApp& app, QWidget* parent)
    : QMainWindow(parent), app_(app), tree_(new QTreeWidget), nav_(tree_), live_(new LiveDesk(app, this)) {
  app_.SetMainWindow(this);
  setWindowTitle(QStringLiteral("Velgram"));
  setWindowIcon(ProgramIcon());
  // A too-small window comes back at 1000 and 200 plus 50 pixels per
  // 96 dots per inch: at least what the stored placement needs ("above 1000")
  // to be used at the next start.
  const double dpiScale = logicalDpiX() / 96.0;
  setMinimumSize(kMinWidth + static_cast<int>(dpiScale * 50), kMinHeight + static_cast<int>(dpiScale * 50));
  resize(1200, 720);

  auto* central = new QWidget(this);
  auto* layout = new QHBoxLayout(central);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  tree_->setParent(central);
  tree_->setHeaderHidden(true);
  tree_->setFixedWidth(kTreeWidth);
  tree_->setContextMenuPolicy(Qt::CustomContextMenu);
  stack_ = new QStackedWidget(central);
  // The notice takes room only while entries wait.
  auto* right = new QVBoxLayout;
  right->setContentsMargins(0, 0, 0, 0);
  right->setSpacing(0);
  entriesNotice_ = new QPushButton(central);
  entriesNotice_->setObjectName(QStringLiteral("entriesNotice"));
  entriesNotice_->setStyleSheet(QStringLiteral(
      "QPushButton { background: rgb(255,220,90); border: none; border-bottom: 1px solid rgb(200,160,0);"
      " padding: 6px 10px; text-align: left; font-weight: bold; }"
      "QPushButton:hover { background: rgb(255,232,140); }"));
  entriesNotice_->setCursor(Qt::PointingHandCursor);
  entriesNotice_->setAutoDefault(false);
  entriesNotice_->setFocusPolicy(Qt::NoFocus);
  entriesNotice_->hide();
  connect(entriesNotice_, &QPushButton::clicked, this, [this] { SelectItem(NavType::Entries); });
  right->addWidget(entriesNotice_);
  right->addWidget(stack_, 1);
  layout->addWidget(tree_);
  layout->addLayout(right, 1);
  setCentralWidget(central);
  BuildMenus();

  connect(tree_, &QTreeWidget::currentItemChanged, this,
          [this](QTreeWidgetItem* item) { OnCurrentItemChanged(item); });
  connect(tree_, &QTreeWidget::customContextMenuRequested, this, &CVelgramDlg::OnContextMenu);
  connect(this, &CVelgramDlg::dataChanged, live_, &LiveDesk::Follow);
  connect(this, &CVelgramDlg::entriesChanged, live_, &LiveDesk::TablesChanged);

  RestorePlacement();
  startTimer_.setSingleShot(true);
  startTimer_.setInterval(500);
  connect(&startTimer_, &QTimer::timeout, this, &CVelgramDlg::OpenStartTournament);
  startTimer_.start();
  placementTimer_.setSingleShot(true);
  placementTimer_.setInterval(1000);
  connect(&placementTimer_, &QTimer::timeout, this, &CVelgramDlg::SavePlacement);
}

CVelgramDlg::~CVelgramDlg() {
  if (app_.MainWindow() == this) app_.SetMainWindow(nullptr);
}

void CVelgramDlg::BuildMenus() {
  auto add = [this](QMenu* menu, const QString& text, void (CVelgramDlg::*cmd)()) {
    QAction* a = menu->addAction(text);
    a->setObjectName(QString(text).remove(QLatin1Char('&')));
    connect(a, &QAction::triggered, this, cmd);
  };
  QMenu* t = menuBar()->addMenu(QStringLiteral("&Toernooi"));
  add(t, QStringLiteral("&Open"), &CVelgramDlg::CmdOpen);
  add(t, QStringLiteral("&Wijzig"), &CVelgramDlg::CmdChange);
  add(t, QStringLiteral("&Nieuw"), &CVelgramDlg::CmdNew);
  t->addSeparator();
  add(t, QStringLiteral("&Backup"), &CVelgramDlg::CmdBackup);
  add(t, QStringLiteral("Backup B&eheer"), &CVelgramDlg::CmdBackupManagement);
  t->addSeparator();
  QAction* hall = t->addAction(QStringLiteral("&Zaalscherm"));
  hall->setObjectName(QStringLiteral("Zaalscherm"));
  connect(hall, &QAction::triggered, this, [this] { OpenHallDisplay(app_, this); });
  QAction* live = t->addAction(QStringLiteral("&Live in de zaal"));
  live->setObjectName(QStringLiteral("Live in de zaal"));
  connect(live, &QAction::triggered, this, [this] {
    OpenLiveDialog(app_, *live_, this);
    NotifyEntriesChanged();  // entry at the tables may have been switched
  });
  QMenu* s = menuBar()->addMenu(QStringLiteral("&Simulatie"));
  add(s, QStringLiteral("&Deelnemers toevoegen"), &CVelgramDlg::CmdSimAddPlayers);
  QMenu* i = menuBar()->addMenu(QStringLiteral("&Instellingen"));
  add(i, QStringLiteral("&Lettergrootte"), &CVelgramDlg::CmdFonts);
  add(i, QStringLiteral("&Kleuren"), &CVelgramDlg::CmdColors);
  add(i, QStringLiteral("&Zwitsers"), &CVelgramDlg::CmdSwiss);
  QAction* support = i->addAction(QStringLiteral("&Ondersteuning"));
  support->setObjectName(QStringLiteral("Ondersteuning"));
  connect(support, &QAction::triggered, this, [this] { EditSupportSettings(app_, this); });
  QMenu* h = menuBar()->addMenu(QStringLiteral("&Help"));
  add(h, QStringLiteral("&Stel een vraag"), &CVelgramDlg::CmdQuestion);
  add(h, QStringLiteral("&Over Velgram"), &CVelgramDlg::CmdAbout);
}

// ---------------------------------------------------------------- tournament

void CVelgramDlg::SetCaption() {
  setWindowTitle(QStringLiteral("Velgram    ") + ToQt(app_.Toernooi().name));
}

void CVelgramDlg::OpenStartTournament() {
  startTimer_.stop();
  if (app_.HasToernooi()) return;
  Database& db = app_.Db();
  int id = db.GetSettingInt("ToernooiID");
  TournamentRecord probe;
  if (id > 0) db.GetToernooi(probe, id);
  // A remembered tournament that was removed from the database falls back to
  // the newest one, so that nothing is added under an id no tournament has.
  if (id < 1 || probe.id != id) {
    Records rs;
    db.ExecText(&rs, "SELECT id FROM Toernooien ORDER BY id DESC");
    RecordSet r(rs);
    id = r.First() ? r.Int("id") : -1;
  }
  if (id < 1) {
    CmdNew();
    return;
  }
  app_.OpenToernooi(id);
  SetCaption();
  FillTree();
  SelectItem(NavType::Players);
  FollowLiveSettings();
}

// The live server runs whenever the open tournament has it on, from the
// program's start on.
void CVelgramDlg::FollowLiveSettings() {
  QString why;
  if (!live_->FollowTournament(&why))
    app_.Prompt().Alert(FromQt(QStringLiteral("De server van \"Live in de zaal\" kon niet starten: %1").arg(why)));
}

void CVelgramDlg::FillTree() {
  if (!app_.HasToernooi()) {
    nav_.Clear();
    entriesNotice_->hide();
    return;
  }
  nav_.Fill(app_.Db(), app_.IdToernooi(), SettingFont(app_.Db(), "NavFont"));
  ShowEntriesCount();
}

QString CVelgramDlg::EntriesNoticeText(int waiting) {
  return waiting == 1 ? QStringLiteral("1 binnengekomen uitslag wacht")
                      : QStringLiteral("%1 binnengekomen uitslagen wachten").arg(waiting);
}

void CVelgramDlg::ShowEntriesCount() {
  const int waiting = app_.HasToernooi() ? CountWaitingEntries(app_.Db(), app_.IdToernooi()) : 0;
  const bool shown = app_.HasToernooi() && (waiting > 0 || LiveSettings::Read(app_.Db(), app_.IdToernooi()).tableEntry);
  const bool wasCurrent = NavigationTree::ItemOf(tree_->currentItem()).type == NavType::Entries;
  nav_.SetEntries(shown, waiting);
  if (wasCurrent && !shown) SelectItem(NavType::Matches);
  entriesNotice_->setText(EntriesNoticeText(waiting));
  entriesNotice_->setVisible(waiting > 0);
}

void CVelgramDlg::NotifyEntriesChanged() {
  ShowEntriesCount();
  emit entriesChanged();
}

bool CVelgramDlg::SelectItem(NavType type, int id) {
  QTreeWidgetItem* item = nav_.Find(type, id);
  if (!item) return false;
  if (tree_->currentItem() == item)
    OnCurrentItemChanged(item);
  else
    tree_->setCurrentItem(item);
  return true;
}

void CVelgramDlg::OnCurrentItemChanged(QTreeWidgetItem* item) {
  if (!item) return;
  nav_.MarkSelected(item);
  NavItem n = NavigationTree::ItemOf(item);
  bool withId = n.type == NavType::System || n.type == NavType::Pool;
  ShowPane(n.type, withId ? n.id : 0);
}

void CVelgramDlg::ReshowSelected() {
  if (QTreeWidgetItem* item = tree_->currentItem()) OnCurrentItemChanged(item);
}

// ---------------------------------------------------------------- panes

void CVelgramDlg::ShowPane(NavType type, int id) {
  int dialogId = 0;
  switch (type) {
    case NavType::None: return;
    case NavType::Players: dialogId = kPanePlayers; break;
    case NavType::Duos: dialogId = kPaneDuos; break;
    case NavType::Tables: dialogId = kPaneTables; break;
    case NavType::Matches: dialogId = kPaneMatches; break;
    case NavType::MatchNotes: dialogId = kPaneMatchNotes; break;
    case NavType::Entries: dialogId = kPaneEntries; break;
    case NavType::Systems: dialogId = kPaneSystems; break;
    case NavType::System: dialogId = kPaneSystem; break;
    case NavType::Pool: {
      std::unique_ptr<LPool> pool = LoadPool(app_.Db(), id);
      if (!pool) return;
      dialogId = pool->PaneResource();
      break;
    }
  }
  for (const PaneEntry& e : panes_) {
    if (e.dialogId == dialogId && (id == 0 || e.id == id)) {
      current_ = e.pane;
      stack_->setCurrentWidget(current_);
      current_->Refresh();
      return;
    }
  }
  LPane* pane = CreatePane(dialogId, id);
  if (!pane) return;
  panes_.push_back({dialogId, pane, id});
  stack_->addWidget(pane);
  current_ = pane;
  stack_->setCurrentWidget(pane);
  pane->Refresh();
}

LPane* CVelgramDlg::CreatePane(int dialogId, int id) {
  switch (dialogId) {
    case kPanePlayers: return new LPanePlayers(app_);
    case kPaneDuos: return new LPaneDuos(app_);
    case kPaneSystems: return new LPaneSystems(app_);
    case kPaneSystem: return new LPaneSystem(app_, id);
    case kPaneTables: return new LPaneTables(app_);
    case kPaneMatches: return new LPaneMatches(app_);
    case kPaneMatchNotes: return new LPaneMatchNotes(app_);
    case kPanePoule: return new LPanePoule(app_, id);
    case kPaneSwiss: return new LPaneSwiss(app_, id);
    case kPaneDropout: return new LPaneDropout(app_, id);
    case kPaneEntries: return new LPaneEntries(app_);
    default: return nullptr;
  }
}

void CVelgramDlg::RemovePane(int dialogId, int id) {
  for (auto it = panes_.begin(); it != panes_.end(); ++it) {
    if (it->dialogId != dialogId || it->id != id) continue;
    LPane* pane = it->pane;
    panes_.erase(it);
    if (current_ == pane) current_ = nullptr;
    stack_->removeWidget(pane);
    pane->deleteLater();
    return;
  }
}

// ---------------------------------------------------------------- deleting

bool CVelgramDlg::DeletePool(int idPool) {
  int dialogId = 0;
  if (std::unique_ptr<LPool> pool = LoadPool(app_.Db(), idPool)) dialogId = pool->PaneResource();
  if (!app_.Db().DeletePool(idPool)) {
    app_.Prompt().Alert(kPoolNotDeleted);
    return false;
  }
  RemovePane(dialogId, idPool);
  return true;
}

bool CVelgramDlg::DeleteSystem(int idSystem) {
  std::vector<std::pair<int, int>> poolPanes;  // dialog id, pool id
  std::vector<PoolRecord> pools;
  app_.Db().ListPools(idSystem, pools);
  for (const PoolRecord& p : pools)
    if (std::unique_ptr<LPool> pool = MakePool(p)) poolPanes.push_back({pool->PaneResource(), p.id});
  if (!app_.Db().DeleteSystem(idSystem)) {
    app_.Prompt().Alert(kSystemNotDeleted);
    return false;
  }
  for (auto [dialogId, id] : poolPanes) RemovePane(dialogId, id);
  RemovePane(kPaneSystem, idSystem);
  return true;
}

void CVelgramDlg::DeleteSelectedItem() {
  NavItem n = NavigationTree::ItemOf(tree_->currentItem());
  if (n.type == NavType::Pool) {
    PoolRecord p;
    if (!app_.Db().GetPool(n.id, p)) return;
    if (!app_.Prompt().Confirm(Format("Weet u zeker dat u %s wilt verwijderen?", p.name.c_str()))) return;
    DeletePool(n.id);
    FillTree();
    SelectItem(NavType::System, p.idSystem);
  } else if (n.type == NavType::System) {
    SystemRecord s;
    app_.Db().GetSystem(s, n.id);
    if (!app_.Prompt().Confirm(Format("Weet u zeker dat u %s wilt verwijderen?", s.name.c_str()))) return;
    DeleteSystem(n.id);
    FillTree();
    SelectItem(NavType::Systems);
  }
}

QMenu* CVelgramDlg::ContextMenu(NavType type) {
  QMenu** menu = type == NavType::System ? &classMenu_ : type == NavType::Pool ? &poolMenu_ : nullptr;
  if (!menu) return nullptr;
  if (!*menu) {
    *menu = new QMenu(this);
    connect((*menu)->addAction(QStringLiteral("&Verwijder")), &QAction::triggered, this,
            &CVelgramDlg::DeleteSelectedItem);
  }
  return *menu;
}

void CVelgramDlg::OnContextMenu(const QPoint& pos) {
  QTreeWidgetItem* item = tree_->itemAt(pos);
  if (!item) return;
  if (item != tree_->currentItem()) tree_->setCurrentItem(item);
  if (QMenu* menu = ContextMenu(NavigationTree::ItemOf(item).type)) menu->popup(tree_->viewport()->mapToGlobal(pos));
}

// ---------------------------------------------------------------- commands

void CVelgramDlg::CmdOpen() {
  std::vector<std::pair<int, std::string>> list;
  app_.Db().ListToernooien(list);
  QStringList names;
  for (const auto& t : list) names << ToQt(t.second);
  LDlgSelectList dlg(app_.Prompt(), names, this);
  if (dlg.exec() != QDialog::Accepted) return;
  int index = dlg.SelectedIndex();
  if (index < 0 || index >= static_cast<int>(list.size())) return;
  app_.DropToernooi();
  app_.Db().SetSettingInt("ToernooiID", list[index].first);
  OpenStartTournament();
}

void CVelgramDlg::CmdChange() {
  if (!app_.HasToernooi()) {
    app_.Prompt().Alert(kNoTournament);
    return;
  }
  LDlgToernooi dlg(app_, app_.IdToernooi(), this);
  if (dlg.exec() != QDialog::Accepted) return;
  app_.ReloadToernooi();
  SetCaption();
  live_->Follow(DataChange::Structure());  // the name on the pages
}

void CVelgramDlg::CmdNew() {
  LDlgToernooi dlg(app_, -1, this);
  if (dlg.exec() != QDialog::Accepted) return;
  app_.DropToernooi();
  app_.Db().SetSettingInt("ToernooiID", dlg.SavedId());
  OpenStartTournament();
}

void CVelgramDlg::CmdBackup() {
  std::string path = app_.Db().BackupNow();
  if (path.rfind("FOUT", 0) == 0)
    app_.Prompt().Alert(path);
  else
    app_.Prompt().Alert("Backup opgeslagen in\r\n" + path);
}

void CVelgramDlg::CmdBackupManagement() {
  LDlgBackupManagement dlg(app_.Db(), app_.Prompt(), this);
  dlg.exec();
  if (!dlg.Restored()) return;
  // Other data: every screen reads it again, from the start tournament on.
  app_.DropToernooi();
  OpenStartTournament();
  NotifyDataChanged();
}

void CVelgramDlg::CmdSimAddPlayers() {
  if (!app_.HasToernooi()) {
    app_.Prompt().Alert(kNoTournament);
    return;
  }
  LDlgSimAddPlayers dlg(app_, this);
  if (dlg.exec() == QDialog::Accepted) ReshowSelected();
}

void CVelgramDlg::CmdFonts() {
  LDlgSettingsFont dlg(app_.Db(), this);
  dlg.exec();
  QFont font = SettingFont(app_.Db(), "NavFont");
  tree_->setFont(font);
  nav_.MarkSelected(tree_->currentItem());
  ReshowSelected();
}

void CVelgramDlg::CmdColors() {
  LDlgSettingsColors dlg(app_.Db(), this);
  dlg.exec();
  ReshowSelected();
}

void CVelgramDlg::CmdSwiss() {
  LDlgSettingsSwiss dlg(app_.Db(), app_.Prompt(), this);
  dlg.exec();
}

void CVelgramDlg::CmdQuestion() { AskSupportDesk(app_, this); }

QIcon CVelgramDlg::ProgramIcon() {
  QIcon icon(QStringLiteral(":/velgram.svg"));
  if (icon.pixmap(64, 64).isNull()) icon = QIcon(QStringLiteral(":/velgram.png"));
  return icon;
}

QString CVelgramDlg::AboutText(const QString& version) {
  // The version as a file version of four numbers: major.minor always, the
  // build and revision only when either is set (0.1.0 reads 0.1).
  int part[4] = {0, 0, 0, 0};
  const QStringList given = version.split(QLatin1Char('.'));
  for (int i = 0; i < 4 && i < given.size(); ++i) part[i] = given[i].toInt();
  QString text = QStringLiteral("%1.%2").arg(part[0]).arg(part[1]);
  if (part[2] != 0 || part[3] != 0) text += QStringLiteral(".%1.%2").arg(part[2]).arg(part[3]);
  return QStringLiteral("Velgram, versie ") + text;
}

void CVelgramDlg::CmdAbout() {
  QMessageBox box(QMessageBox::Information, QStringLiteral("Over Velgram"),
                  AboutText() + QStringLiteral("\n\nToernooiprogramma voor tafeltennisverenigingen."),
                  QMessageBox::Ok, this);
  box.setIconPixmap(windowIcon().pixmap(64, 64));
  box.exec();
}

// ---------------------------------------------------------------- pane services

bool CVelgramDlg::ImportPlayers(QWidget* parent) {
  return RunImportPlayers(app_.Db(), app_.IdToernooi(), app_.Prompt(), parent ? parent : this);
}

void CVelgramDlg::PrintGrid(LGrid* grid, const QString& printKey, QWidget* parent, const QString& subtitle) {
  if (!grid) return;
  RunPrintPreview(app_.Db(), app_.Prompt(), *grid, FromQt(printKey), subtitle, parent ? parent : this);
  if (current_) current_->Refresh();
}

void CVelgramDlg::ShowClassesMenu(QWidget* anchor) {
  QPoint where = anchor ? anchor->mapToGlobal(QPoint(0, anchor->height())) : QPoint();
  // The anchor only places the menu: a window owned by a pane's green button
  // would take over the button's style sheet and turn all its buttons green.
  velgram::ShowClassesMenu(app_.Db(), app_.IdToernooi(), app_.Prompt(), this, where);
}

int CVelgramDlg::EditPool(int idSystem, int idPool, QWidget* parent) {
  LDlgPool dlg(app_, idSystem, idPool, parent ? parent : this);
  if (dlg.exec() != QDialog::Accepted) return -1;
  return dlg.SavedId();
}

// ---------------------------------------------------------------- placement

void CVelgramDlg::RestorePlacement() {
  Database& db = app_.Db();
  int left = db.GetSettingInt("left"), top = db.GetSettingInt("top");
  int width = db.GetSettingInt("width"), height = db.GetSettingInt("height");
  if (width <= kMinWidth || height <= kMinHeight) return;
  resize(width, height);
  move(left, top);
}

void CVelgramDlg::SavePlacement() {
  placementTimer_.stop();
  if (isMinimized()) return;
  QPoint p = pos();
  if (p.x() < -10000 || p.y() < -10000) return;
  app_.Db().SetSettings({{"left", Format("%d", p.x())},
                         {"top", Format("%d", p.y())},
                         {"width", Format("%d", width())},
                         {"height", Format("%d", height())}});
}

void CVelgramDlg::moveEvent(QMoveEvent* event) {
  QMainWindow::moveEvent(event);
  if (!isMinimized() && !isMaximized()) placementTimer_.start();
}

void CVelgramDlg::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  if (!isMinimized() && !isMaximized()) placementTimer_.start();
}

void CVelgramDlg::closeEvent(QCloseEvent* event) {
  // Closing the program drops the hall's connections at once.
  live_->Stop();
  QMainWindow::closeEvent(event);
}

void CVelgramDlg::keyPressEvent(QKeyEvent* event) {
  // Enter and Escape belong to the pane's lists and fields, never to closing
  // the window.
  switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
      event->accept();
      return;
  }
  QMainWindow::keyPressEvent(event);
}

}  // namespace velgram
