#pragma once
// The screen of a knockout pool: the bracket of 2 to 16 seats drawn as a
// bracket, its size, its start, and result entry by double clicks on the
// match cells.
#include <QCheckBox>
#include <QLabel>
#include <QToolButton>
#include <map>
#include <utility>

#include "app/panes/pane.h"
#include "competition/dropout.h"

namespace velgram {

// Where the seats and matches of a bracket of one size sit in the grid.
struct BracketLayout {
  int rows = 0, columns = 0;
  std::vector<int> seedRows;                   // column 0, seed 1 first
  std::vector<std::pair<int, int>> winners;    // the seat of the winner of match k, (row, column)
  std::vector<std::pair<int, int>> matchCells;  // match k's cell
};
BracketLayout BracketLayoutOf(int dimension);

class LPaneDropout : public LPane {
  Q_OBJECT
 public:
  LPaneDropout(CVelgramApp& app, int idPool, QWidget* parent = nullptr);
  void Refresh() override;

  int IdPool() const { return idPool_; }
  int Dimension() const { return pool_.dimension; }
  // The match shown in a cell; -1 when the cell holds none.
  int MatchAt(int row, int col) const;
  std::pair<int, int> MatchCell(int number) const;  // match 1 .. dimension-1
  std::pair<int, int> WinnerSeat(int number) const;

  void Activate();        // "Start afvalsysteem"
  void Resize(bool grow);  // the "Systeemgrootte:" arrows
  void OpenCell(int row, int col);

  QLabel* SizeLabel() const { return size_; }
  QToolButton* GrowButton() const { return grow_; }
  QToolButton* ShrinkButton() const { return shrink_; }
  QCheckBox* TablesBox() const { return tables_; }
  QCheckBox* TimesBox() const { return times_; }
  QCheckBox* ClubBox() const { return club_; }
  QCheckBox* LinkBox() const { return link_; }

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void Load();
  void Fill();
  void Print();
  void EditPool();
  void LinkPrevious();
  void ChangeContestants();
  bool AskStartWarning();
  bool Setting(const char* key) const;

  int idPool_;
  LDropout pool_;
  std::vector<Contestant> contestants_;
  std::vector<MatchEntry> matches_;
  std::map<std::pair<int, int>, int> cellMatch_;  // (row, column) -> match id

  QWidget* optionBar_;
  QPushButton* editButton_;
  QPushButton* linkButton_;
  QPushButton* contestantsButton_;
  QPushButton* startButton_;
  QLabel* sizeTitle_;
  QLabel* size_;
  QToolButton* grow_;
  QToolButton* shrink_;
  QCheckBox* tables_;
  QCheckBox* times_;
  QCheckBox* club_;
  QCheckBox* link_;
};

}  // namespace velgram
