#pragma once
// The shell fixture with the set-ups and read-backs the dialog tests share.
#include <QStringList>

#include "app/widgets/grid.h"
#include "tests/app/shell_fixture.h"

namespace velgram::testing {

class DialogTest : public ShellTest {
 protected:
  int SystemId(const std::string& name) {
    std::vector<MatchSystem> all;
    db().ListMatchSystems(&all);
    for (const MatchSystem& ms : all)
      if (ms.name == name) return ms.id;
    return -1;
  }
  std::vector<ContestantRecord> Seats(int pool) {
    std::vector<ContestantRecord> rows;
    db().ListContestants(pool, rows);
    return rows;
  }
  std::vector<PlayerRecord> Players() {
    std::vector<PlayerRecord> list;
    db().ListPlayers(list, app->IdToernooi());
    return list;
  }
  // A match between the pool's first two positions.
  int AddMatch(int pool, int table = 2, int time = 930) {
    std::vector<ContestantRecord> s = Seats(pool);
    return db().AddMatch(pool, s[0].id, s[1].id, table, time);
  }
  int AddDuo(const std::string& a, const std::string& b) {
    DuoRecord d;
    d.idPlayer1 = AddPlayer(a);
    d.idPlayer2 = AddPlayer(b);
    db().AddDuo(d, app->IdToernooi());
    std::vector<DuoRecord> list;
    db().ListDuos(list, app->IdToernooi());
    for (const DuoRecord& r : list)
      if (r.idPlayer1 == d.idPlayer1) return r.id;
    return -1;
  }
};

// The cells of a row joined by "|"; row -1 gives the column titles.
inline QString RowText(const LGrid& grid, int row) {
  QStringList cells;
  for (int c = 0; c < grid.ColumnCount(); ++c) cells << (row < 0 ? grid.ColumnTitle(c) : grid.Cell(row, c));
  return cells.join('|');
}

}  // namespace velgram::testing
