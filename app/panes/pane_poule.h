#pragma once
// The round-robin pool: its standings as a cross table with the explained
// places, its matches with tables and times, and the commands that fill,
// start and print it.
#include <QCheckBox>
#include <set>
#include <vector>

#include "app/panes/pane.h"
#include "competition/changes.h"
#include "competition/pool.h"

namespace velgram {

class LPanePoule : public LPane {
  Q_OBJECT
 public:
  LPanePoule(CVelgramApp& app, int idPool, QWidget* parent = nullptr);
  void Refresh() override;
  int IdPool() const { return idPool_; }

  // The standings grid is Grid(), the matches grid Grid2().
  LGrid* Standings() const { return grid_; }
  LGrid* MatchList() const { return grid2_; }
  QCheckBox* TablesBox() const { return tablesBox_; }
  QCheckBox* TimesBox() const { return timesBox_; }

  // Standings columns: number, "Speler", "Vereniging", 1..n, "Gewonnen", "Stand".
  static constexpr int kFirstOpponentColumn = 3;
  // Matches columns: "Spelers" (the position numbers), the two names, the
  // result, "Tafel", "Tijd".
  enum { kColNumbers, kColNames, kColResult, kColTable, kColTime };

  // The commands behind the buttons.
  void EditPool();
  void AddPlayers();
  void LinkPlayers();
  void Start();
  void PrintStandings();
  void PrintMatches();
  // The result entry for the match shown in that row of the matches grid.
  void EnterMatch(int row);
  // A change notice: read again when it touched a pool this pane was built
  // from (its own, or one its links resolve through).
  void Follow(const DataChange& change);

 private:
  void FillStandings(const std::vector<Contestant>& positions, const std::vector<MatchEntry>& matches,
                     const std::vector<int>& places, const std::vector<std::string>& explanations);
  void FillMatches(const std::vector<Contestant>& positions, const std::vector<MatchEntry>& matches);
  void SetButtons(bool started, bool hasEarlierPool);
  void Relayout();
  // A change that other windows must see.
  void Changed();

  int idPool_;
  int idSystem_ = -1;
  QString poolName_;
  QCheckBox* tablesBox_;
  QCheckBox* timesBox_;
  std::set<int> poolsRead_;  // what the last refresh read
};

}  // namespace velgram
