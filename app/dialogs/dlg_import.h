#pragma once
// "Importeren deelnemers": participants from a comma-separated file (or one
// separated by semicolons or tabs), shown in a preview list as soon as a file
// is chosen and imported on OK.
#include <QDialog>
#include <QString>
#include <vector>

#include "exchange/import_players.h"
#include "store/records.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace velgram {

class Database;
class LGrid;

// The import's questions as the program's dialogs: the club of an unknown
// club name (LDlgSelectClub) and the players the file no longer lists
// (LDlgRemovePlayers). Messages go to the given prompter.
class QtImportPrompter : public ImportPrompter {
 public:
  QtImportPrompter(Prompter& messages, QWidget* parent) : messages_(messages), parent_(parent) {}
  void Alert(const std::string& text) override { messages_.Alert(text); }
  bool Confirm(const std::string& text) override { return messages_.Confirm(text); }
  ClubChoice SelectClub(const PlayerRecord& row, const std::vector<ClubEntry>& clubs) override;
  RemoveOutcome RemovePlayers(const std::vector<PlayerRecord>& players,
                              const std::function<bool(const std::vector<int>&)>& removeSelected) override;

 private:
  Prompter& messages_;
  QWidget* parent_;
};

class LDlgImportPlayers : public QDialog {
  Q_OBJECT
 public:
  // idToernooi -1 when no tournament is open (OK then says so).
  LDlgImportPlayers(Database& db, int idToernooi, Prompter& prompter, QWidget* parent = nullptr);

  // Reads the file into the preview; the same as choosing it.
  void SetFile(const QString& path);
  const std::vector<PlayerRecord>& Rows() const { return read_.rows; }
  // What the dialog says about the file read: its separator.
  QLabel* SeparatorLabel() const { return separator_; }
  LGrid* Preview() const { return grid_; }
  QLineEdit* FileField() const { return file_; }
  QPushButton* OkButton() const { return ok_; }
  // OK: imports and closes when done; the result tells what happened.
  ImportResult Import();

  // Filter of the file chooser.
  static QString BrowseFilter();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void Browse();
  void LoadFile();
  void FillPreview();
  void PlaceOnScreen();

  Database& db_;
  int idToernooi_;
  Prompter& prompter_;
  ImportFile read_;  // what the file yielded
  QString loaded_;  // the file name the rows were read from
  bool loadedOnce_ = false;
  bool placed_ = false;
  QLineEdit* file_;
  QLabel* separator_;
  LGrid* grid_;
  QPushButton* ok_;
};

// The participants pane's "Importeren": true when the import was done.
bool RunImportPlayers(Database& db, int idToernooi, Prompter& prompter, QWidget* parent);

}  // namespace velgram
