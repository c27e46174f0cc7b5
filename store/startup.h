#pragma once
// Opening the program's database at start-up: a damaged file is set aside and
// replaced by the newest sound backup or a new empty database.
#include <memory>
#include <string>

#include "store/database.h"
#include "support/prompt.h"

namespace velgram {

// The database at path, ready for use; null (after telling the user why) when
// the program cannot go on. A damaged file, or one that is not a database, is
// never written to: it is renamed to a name that says so, the newest backup
// that passes the check is offered in its place, else a new empty database is
// started; the user is told where the damaged file now is. A start that finds
// no database but a file set aside by an earlier start (killed while it
// offered the backup) offers the backup again. The events are logged.
std::unique_ptr<Database> OpenDatabase(const std::string& path, Clock& clock, Prompter& prompter);

// Why the program cannot keep its database at path, in Dutch: the data folder
// is a file, does not exist, or may not be written in; "" when it can. Checked
// before anything is made there, so a refused start changes nothing.
std::string DataFolderProblem(const std::string& path);

// Another copy of the program holds the database at path: the user is told
// and the refusal logged.
void RefuseSecondCopy(const std::string& path, Clock& clock, Prompter& prompter);

// The lock file beside the database could not be made for another reason than
// a second copy; what to tell the user.
std::string LockFileProblem(const std::string& path);

// The newest copy in the backup folder that passes the check; "" when none.
std::string NewestSoundBackup(const std::string& backupFolder);

}  // namespace velgram
