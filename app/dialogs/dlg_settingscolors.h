#pragma once
// "Kleuren": text and background colour of the panes' lists.
#include <QColor>
#include <QDialog>
#include <functional>

#include "app/widgets/grid.h"

namespace velgram {

class Database;

class LDlgSettingsColors : public QDialog {
  Q_OBJECT
 public:
  explicit LDlgSettingsColors(Database& db, QWidget* parent = nullptr);
  void accept() override;

  // Opens the colour chooser on colour; false when cancelled. Replaceable for tests.
  std::function<bool(QColor& colour)> chooseColor;

  void ChangeText();
  void ChangeBackground();
  void Standard();
  QColor TextColor() const { return text_; }
  QColor BackgroundColor() const { return background_; }
  LGrid* Preview() const { return preview_; }

 private:
  void ShowPreview();
  Database& db_;
  QColor text_, background_;
  LGrid* preview_;
};

}  // namespace velgram
