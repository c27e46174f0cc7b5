#pragma once
// A pool until its own playing screen comes: what kind of pool it is, its
// tables and times, and who fills its positions.
#include <QLabel>

#include "app/panes/pane.h"

namespace velgram {

class LPanePool : public LPane {
  Q_OBJECT
 public:
  LPanePool(CVelgramApp& app, int idPool, QWidget* parent = nullptr);
  void Refresh() override;
  int IdPool() const { return idPool_; }
  QLabel* InfoLabel() const { return info_; }

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  int idPool_;
  QLabel* info_;
};

}  // namespace velgram
