#pragma once
// "Instelling Lettergrootte": the fonts of the tree, the lists and printing.
#include <QDialog>
#include <QFont>
#include <QLabel>
#include <functional>
#include <string>

namespace velgram {

class Database;

class LDlgSettingsFont : public QDialog {
  Q_OBJECT
 public:
  explicit LDlgSettingsFont(Database& db, QWidget* parent = nullptr);

  // Opens the font chooser on font; false when the user cancels. Replaceable
  // so that a test can play the user.
  std::function<bool(QFont& font)> chooseFont;

  // "Wijzig" beside sample 0 (tree), 1 (lists) or 2 (printing).
  void Change(int sample);
  QLabel* Sample(int i) const { return samples_[i]; }
  static const char* Key(int sample);

 private:
  void ShowSamples();
  Database& db_;
  QLabel* samples_[3];
};

}  // namespace velgram
