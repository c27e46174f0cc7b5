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
// started; the user is told where the damaged file now is.
std::unique_ptr<Database> OpenDatabase(const std::string& path, Clock& clock, Prompter& prompter);

// The newest copy in the backup folder that passes the check; "" when none.
std::string NewestSoundBackup(const std::string& backupFolder);

}  // namespace velgram
