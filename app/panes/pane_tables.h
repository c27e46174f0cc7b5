#pragma once
// "Tafels": which tables are booked when, one column per table and one row
// per time slot; red where two pools claim one table at once.
#include "app/panes/pane.h"
#include "competition/tables.h"

namespace velgram {

class LPaneTables : public LPane {
  Q_OBJECT
 public:
  explicit LPaneTables(CVelgramApp& app, QWidget* parent = nullptr);
  void Refresh() override;
  void Print();
  // A double click on a booked cell moves one of its matches ("Tafel / Tijd").
  void MoveMatchAt(int row, int col);

 private:
  TablesChart chart_;
};

}  // namespace velgram
