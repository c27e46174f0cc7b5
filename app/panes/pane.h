#pragma once
// The base of every pane shown right of the navigation tree: a title in a
// large font, green buttons beside it, one or two lists below, the list font
// and colours from the settings, and a refresh that reloads from the database.
#include <QLabel>
#include <QPushButton>
#include <QWidget>
#include <functional>

#include "app/widgets/grid.h"

namespace velgram {

class CVelgramApp;
class CVelgramDlg;
class Database;
class Prompter;

class LPane : public QWidget {
  Q_OBJECT
 public:
  LPane(CVelgramApp& app, const QString& title, QWidget* parent = nullptr);

  // Reloads everything the pane shows.
  virtual void Refresh() = 0;

  LGrid* Grid() const { return grid_; }
  LGrid* Grid2() const { return grid2_; }
  QLabel* TitleLabel() const { return title_; }
  // A button by its text (without '&'); nullptr when the pane has none.
  QPushButton* Button(const QString& text) const;

  // The colours of the green buttons: top and bottom of the gradient, plain
  // and under the mouse.
  static QString GreenButtonStyle();

 protected:
  QPushButton* AddButton(const QString& text, std::function<void()> action);
  // A second list under the first (pool panes).
  LGrid* AddSecondGrid();
  // List font ("InfoFont") and colours from the settings on both lists.
  void ApplyLook();
  void SetTitle(const QString& text);

  Database& Db();
  Prompter& Prompt();
  CVelgramDlg* Main() const;
  // A record id per row: the selected rows' ids.
  std::vector<int> SelectedIds() const { return grid_->SelectedIds(); }

  void resizeEvent(QResizeEvent* event) override;

  CVelgramApp& app_;
  LGrid* grid_;
  LGrid* grid2_ = nullptr;

 private:
  void LayoutGrids();
  QLabel* title_;
  QWidget* buttonBar_;
};

// A pane for an item whose own screen is not part of this version: its title
// and a line of explanation.
class LPaneInfo : public LPane {
  Q_OBJECT
 public:
  LPaneInfo(CVelgramApp& app, const QString& title, std::function<QString()> text, QWidget* parent = nullptr);
  void Refresh() override;
  QLabel* TextLabel() const { return text_; }

 private:
  std::function<QString()> makeText_;
  QLabel* text_;
};

}  // namespace velgram
