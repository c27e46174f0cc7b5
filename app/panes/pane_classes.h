#pragma once
// The classes pane ("Spelklassen") and the pane of one class with its pools.
#include "app/panes/pane.h"

namespace velgram {

class LPaneSystems : public LPane {
  Q_OBJECT
 public:
  explicit LPaneSystems(CVelgramApp& app, QWidget* parent = nullptr);
  void Refresh() override;

  void Add();
  void Change();
  void Delete();
  void MoveUp();
  void MoveDown();
  void ShowMenu();

 private:
  void UpdateButtons();
  // Rebuilds the tree and shows this pane again with the row selected.
  void Reshow();
  int rememberedRow_ = -1;
};

class LPaneSystem : public LPane {
  Q_OBJECT
 public:
  LPaneSystem(CVelgramApp& app, int idSystem, QWidget* parent = nullptr);
  void Refresh() override;
  int IdSystem() const { return idSystem_; }

  void Add();
  void Change();
  void Delete();
  void MoveUp();
  void MoveDown();

 private:
  void UpdateButtons();
  void Reshow();
  int idSystem_;
  int rememberedRow_ = -1;
};

// "09:30 - 16:00" from stored times such as 930 and 1600.
QString PoolTimes(int start, int end);

}  // namespace velgram
