#pragma once
// A program on a fresh database with a recording prompter, and a way to play
// the user in a modal dialog.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QHeaderView>
#include <QMenu>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <functional>
#include <memory>

#include "app/shell/app.h"
#include "app/shell/mainwindow.h"
#include "app/widgets/grid.h"
#include "common/fakes.h"
#include "competition/pool.h"

namespace velgram::testing {

class ShellTest : public ::testing::Test {
 protected:
  ShellTest() : app(std::make_unique<CVelgramApp>(dir.File("Velgram.db"))) { app->SetPrompter(&prompter); }

  Database& db() { return app->Db(); }

  // A tournament, opened as the current one.
  int OpenTournament(const std::string& name = "Clubkampioenschap") {
    int id = db().AddToernooi(name);
    app->OpenToernooi(id);
    return id;
  }
  int AddPlayer(const std::string& name, int rating = 0, const std::string& club = "", const std::string& klasse = "",
                const std::string& bondsnummer = "") {
    PlayerRecord p;
    p.name = name;
    p.rating = rating;
    p.klasse = klasse;
    p.bondsnummer = bondsnummer;
    p.idClub = db().GetOrAddClub(club);
    return db().AddPlayer(p, app->IdToernooi());
  }
  int AddClass(const std::string& name, int nrPlayers = 1) {
    SystemRecord s;
    s.name = name;
    s.nrPlayers = nrPlayers;
    db().AddSystem(s, app->IdToernooi());
    std::vector<SystemRecord> list;
    db().ListSystems(list, app->IdToernooi());
    return std::find_if(list.begin(), list.end(), [&](const SystemRecord& r) { return r.name == name; })->id;
  }
  int AddPool(int idSystem, const std::string& name, int playstyle = kPlaystylePoule) {
    PoolRecord p;
    p.name = name;
    p.playstyle = playstyle;
    p.tables = "1-2";
    p.starttime = 930;
    p.endtime = 1600;
    return db().AddPool(p, idSystem);
  }
  void Seat(int idPool, int idPlayer, int linktype = 1, int idLinkedPool = 0) {
    std::vector<ContestantRecord> list;
    db().ListContestants(idPool, list);
    ContestantRecord c;
    c.idPool = idPool;
    c.poolPos = c.sort = static_cast<int>(list.size()) + 1;
    c.linktype = linktype;
    c.idPlayer = idPlayer;
    c.idLinkedPool = idLinkedPool;
    db().AddContestant(c);
  }

  // The main window with its start timer stopped; open: the current
  // tournament opened again as at the program's start, tree and all.
  std::unique_ptr<CVelgramDlg> Window(bool open = true) {
    auto w = std::make_unique<CVelgramDlg>(*app);
    w->StartTimer().stop();
    if (open) {
      app->DropToernooi();
      w->OpenStartTournament();
    }
    return w;
  }
  template <typename P>
  static P* Show(CVelgramDlg& w, NavType type, int id = 0) {
    EXPECT_TRUE(w.SelectItem(type, id));
    return dynamic_cast<P*>(w.CurrentPane());
  }

  static QStringList Column(LGrid* grid, int col) {
    QStringList texts;
    for (int r = 0; r < grid->RowCount(); ++r) texts << grid->Cell(r, col);
    return texts;
  }
  static void ClickHeader(LGrid* grid, int col) {
    QHeaderView* h = grid->horizontalHeader();
    const QPoint middle(h->sectionViewportPosition(col) + h->sectionSize(col) / 2, h->height() / 2);
    QTest::mouseClick(h->viewport(), Qt::LeftButton, {}, middle);
  }
  // A real double click on a cell: the first click, then the second one.
  static void DoubleClick(LGrid* grid, int row, int col = 0) {
    grid->scrollTo(grid->Model()->index(row, col));
    const QPoint at = grid->visualRect(grid->Model()->index(row, col)).center();
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, at);
    QCoreApplication::processEvents();
  }
  static void RunMenu(QMenu* menu, const QString& text) {
    ASSERT_NE(menu, nullptr);
    for (QAction* a : menu->actions())
      if (a->text() == text) return a->trigger();
    ADD_FAILURE() << "no menu item " << text.toStdString();
  }

  TempDir dir;
  FakePrompter prompter;
  std::unique_ptr<CVelgramApp> app;
};

// Plays the user in the next modal dialog of type D: act runs once the
// dialog is up and must close it. Gives up after about three seconds, so a
// dialog that never opens fails the test instead of hanging it.
template <typename D>
void OnModal(std::function<void(D*)> act) {
  auto* timer = new QTimer;
  auto tries = std::make_shared<int>(0);
  QObject::connect(timer, &QTimer::timeout, [timer, act, tries] {
    auto* d = qobject_cast<D*>(QApplication::activeModalWidget());
    if (!d && ++*tries <= 300) return;
    timer->stop();
    timer->deleteLater();
    if (d) return act(d);
    QWidget* other = QApplication::activeModalWidget();
    ADD_FAILURE() << "no modal dialog of the expected kind opened"
                  << (other ? std::string(" but a ") + other->metaObject()->className() : std::string());
    // The wrong dialog is closed, so the test fails instead of waiting on it.
    if (auto* dialog = qobject_cast<QDialog*>(other)) dialog->reject();
    else if (other) other->close();
  });
  timer->start(10);
}

// A match as stored, with its result.
inline MatchRecord StoredMatch(Database& db, int id) {
  std::vector<MatchRecord> one(1);
  EXPECT_TRUE(db.GetMatch(one[0], id)) << id;
  db.ReadResults(one);
  return one[0];
}

// The cells of a row in the columns given, joined by "|".
inline QString Cells(const LGrid& grid, int row, std::initializer_list<int> columns) {
  QStringList cells;
  for (int c : columns) cells << grid.Cell(row, c);
  return cells.join('|');
}

}  // namespace velgram::testing
