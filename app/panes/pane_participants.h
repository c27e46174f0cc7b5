#pragma once
// The participants pane and the duos pane.
#include "app/panes/pane.h"

namespace velgram {

class LPanePlayers : public LPane {
  Q_OBJECT
 public:
  explicit LPanePlayers(CVelgramApp& app, QWidget* parent = nullptr);
  void Refresh() override;

  void Add();
  void Change();
  void ChangeRow(int row);
  void Delete();
  void Import();
  void Print();
};

class LPaneDuos : public LPane {
  Q_OBJECT
 public:
  explicit LPaneDuos(CVelgramApp& app, QWidget* parent = nullptr);
  void Refresh() override;

  void Add();
  void Change();
  void Delete();
  void Print();
};

}  // namespace velgram
