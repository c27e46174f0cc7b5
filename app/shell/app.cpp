#include "app/shell/app.h"

#include <QLockFile>
#include <QString>

#include "store/startup.h"

namespace velgram {

CVelgramApp::CVelgramApp(const std::string& path) : db_(std::make_unique<Database>(path)) {}

CVelgramApp::CVelgramApp(std::unique_ptr<QLockFile> lock, std::unique_ptr<Database> db)
    : lock_(std::move(lock)), db_(std::move(db)) {}

CVelgramApp::~CVelgramApp() = default;

std::unique_ptr<CVelgramApp> CVelgramApp::Start(const std::string& path, Prompter& prompter) {
  // A folder that cannot hold the database is said as such, before the lock
  // file's failure would be taken for a second copy.
  const std::string problem = DataFolderProblem(path);
  if (!problem.empty()) {
    prompter.Alert(problem);
    return nullptr;
  }
  // Two copies on one file would each take the other's changes for their own
  // and overwrite them. A lock whose owner is gone counts as free whatever
  // its age; a live owner keeps it however long it runs.
  auto lock = std::make_unique<QLockFile>(QString::fromLocal8Bit(path + ".lock"));
  lock->setStaleLockTime(0);
  if (!lock->tryLock(0)) {
    if (lock->error() == QLockFile::LockFailedError)
      RefuseSecondCopy(path, DefaultClock(), prompter);
    else
      prompter.Alert(LockFileProblem(path));
    return nullptr;
  }
  std::unique_ptr<Database> db = OpenDatabase(path, DefaultClock(), prompter);
  if (!db) return nullptr;
  return std::unique_ptr<CVelgramApp>(new CVelgramApp(std::move(lock), std::move(db)));
}

void CVelgramApp::OpenToernooi(int id) {
  toernooi_ = TournamentRecord();
  toernooi_.id = id;
  db_->GetToernooi(toernooi_, id);
  toernooi_.id = id;
  hasToernooi_ = true;
}

void CVelgramApp::ReloadToernooi() {
  if (hasToernooi_) OpenToernooi(toernooi_.id);
}

void CVelgramApp::DropToernooi() {
  hasToernooi_ = false;
  toernooi_ = TournamentRecord();
}

}  // namespace velgram
