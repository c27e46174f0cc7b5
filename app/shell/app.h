#pragma once
// The application object: the one database, the tournament shown in the main
// window and the way the program talks to the user.
#include <memory>
#include <string>

#include "app/shell/qtprompter.h"
#include "store/database.h"
#include "store/records.h"

class QLockFile;

namespace velgram {

class CVelgramDlg;

class CVelgramApp {
 public:
  // Opens (creating when missing) the database at path.
  explicit CVelgramApp(const std::string& path = DatabasePath());
  ~CVelgramApp();
  CVelgramApp(const CVelgramApp&) = delete;
  CVelgramApp& operator=(const CVelgramApp&) = delete;

  // The program's start on the database at path: a second copy on the same
  // database is refused (through a lock file beside it, which a crashed copy
  // does not leave stuck), a damaged file is set aside, and the database is
  // opened. Null, after telling the user why through prompter, when the
  // program must stop.
  static std::unique_ptr<CVelgramApp> Start(const std::string& path, Prompter& prompter);

  Database& Db() { return *db_; }

  // Messages and questions of every screen. Tests put a recording prompter in
  // place of the message boxes.
  Prompter& Prompt() { return *prompter_; }
  void SetPrompter(Prompter* prompter) { prompter_ = prompter ? prompter : &qtPrompter_; }

  // The current tournament; its id keys the per-tournament settings.
  bool HasToernooi() const { return hasToernooi_; }
  int IdToernooi() const { return hasToernooi_ ? toernooi_.id : -1; }
  const TournamentRecord& Toernooi() const { return toernooi_; }
  void OpenToernooi(int id);  // reads the record; a missing row leaves only the id
  void ReloadToernooi();
  void DropToernooi();

  CVelgramDlg* MainWindow() const { return mainWindow_; }
  void SetMainWindow(CVelgramDlg* w) { mainWindow_ = w; }

 private:
  CVelgramApp(std::unique_ptr<QLockFile> lock, std::unique_ptr<Database> db);

  std::unique_ptr<QLockFile> lock_;  // released after the database is closed
  std::unique_ptr<Database> db_;
  QtPrompter qtPrompter_;
  Prompter* prompter_ = &qtPrompter_;
  TournamentRecord toernooi_;
  bool hasToernooi_ = false;
  CVelgramDlg* mainWindow_ = nullptr;
};

}  // namespace velgram
