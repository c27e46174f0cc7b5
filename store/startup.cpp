#include "store/startup.h"

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <tuple>
#include <vector>

#include "support/log.h"
#include "support/text.h"

namespace velgram {

namespace fs = std::filesystem;

namespace {

// "Velgram20231015.db" (daily) or "Velgram20231015-143005.db" (on demand,
// timed): the date and the time of day it was made, 0 for a daily copy.
bool BackupStamp(const std::string& name, int& date, int& time) {
  static const std::string kPrefix = "Velgram", kSuffix = ".db";
  if (name.size() <= kPrefix.size() + kSuffix.size() || name.rfind(kPrefix, 0) != 0 ||
      name.compare(name.size() - kSuffix.size(), kSuffix.size(), kSuffix) != 0)
    return false;
  std::string stem = name.substr(kPrefix.size(), name.size() - kPrefix.size() - kSuffix.size());
  size_t dash = stem.find('-');
  std::string day = stem.substr(0, dash), clock = dash == std::string::npos ? "0" : stem.substr(dash + 1);
  auto digits = [](const std::string& s) {
    return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
  };
  if (!digits(day) || !digits(clock)) return false;
  date = std::atoi(day.c_str());
  time = std::atoi(clock.c_str());
  return true;
}

// The damaged file's new name beside it, unused so far.
std::string AsideName(const std::string& path, Clock& clock) {
  fs::path p(path);
  DateTime t = clock.NowLocal();
  std::string base = (p.parent_path() / p.stem()).string() +
                     Format("-beschadigd-%04d%02d%02d-%02d%02d%02d", t.year, t.month, t.day, t.hour, t.minute,
                            t.second);
  std::string ext = p.extension().string();
  std::string candidate = base + ext;
  std::error_code ec;
  for (int n = 1; fs::exists(candidate, ec); ++n) candidate = base + Format(" (%d)", n) + ext;
  return candidate;
}

// Moves the damaged file and its journal aside; false when it cannot be moved.
bool SetAside(const std::string& path, const std::string& aside) {
  std::error_code ec;
  fs::rename(path, aside, ec);
  if (ec) return false;
  // A journal belongs to its file: left here, SQLite would play it into the
  // new database.
  if (fs::exists(path + "-journal", ec)) fs::rename(path + "-journal", aside + "-journal", ec);
  return true;
}

std::string FolderOf(const std::string& path) {
  fs::path folder = fs::path(path).parent_path();
  return folder.empty() ? std::string(".") : folder.string();
}

std::string BackupFolderOf(const std::string& path) { return FolderOf(path) + "/backup"; }

// The start-up's own events go to the log beside the database, so that a
// director's "where did my data go" has an answer afterwards.
void LogStart(const std::string& path, Clock& clock, const std::string& message) {
  LogIn(clock, FolderOf(path), message);
}

// Offers the newest sound backup in place of the database at path, which is
// missing now; told says why. True when a backup was put in its place.
bool OfferBackup(const std::string& path, const std::string& aside, std::string told, Clock& clock,
                 Prompter& prompter) {
  std::string backup = NewestSoundBackup(BackupFolderOf(path));
  if (!backup.empty() &&
      prompter.Confirm(told + Format("\n\nWilt u de nieuwste goede backup terugzetten?\n%s", backup.c_str()))) {
    if (Database::CopyDatabaseFile(backup, path) == 0) {
      LogStart(path, clock, Format("Start: backup %s teruggezet als %s", backup.c_str(), path.c_str()));
      return true;
    }
    LogStart(path, clock, Format("Start: backup %s kon niet teruggezet worden als %s", backup.c_str(), path.c_str()));
    told = Format("De backup %s kon niet teruggezet worden.\nHet beschadigde bestand staat in %s.",
                  backup.c_str(), aside.c_str());
  }
  prompter.Alert(told + "\nVelgram begint met een nieuwe, lege database.");
  return false;
}

// Sets the damaged file aside and puts a sound backup or nothing in its place;
// false when the program must stop.
bool ReplaceDamaged(const std::string& path, Clock& clock, Prompter& prompter, bool& restored) {
  std::string aside = AsideName(path, clock);
  if (!SetAside(path, aside)) {
    LogStart(path, clock, Format("Start: beschadigd bestand %s kan niet opzij gezet worden", path.c_str()));
    prompter.Alert(Format("Het bestand %s is beschadigd of is geen database, en kan niet opzij gezet worden.\n"
                          "Velgram stopt; er is niets in het bestand veranderd.",
                          path.c_str()));
    return false;
  }
  LogStart(path, clock, Format("Start: beschadigd bestand %s opzij gezet als %s", path.c_str(), aside.c_str()));
  restored = OfferBackup(
      path, aside,
      Format("Het bestand %s is beschadigd of is geen database.\nHet is opzij gezet als %s.", path.c_str(),
             aside.c_str()),
      clock, prompter);
  return true;
}

// No database to go on with: none at all, or an empty file that SQLite made
// and a killed start left behind.
bool NoDatabase(const std::string& path) {
  std::error_code ec;
  if (!fs::exists(path, ec)) return !ec;
  return fs::is_regular_file(path, ec) && fs::file_size(path, ec) == 0 && !ec;
}

// The newest file that an earlier start set aside for the database at path
// ("Velgram-beschadigd-<stamp>.db", perhaps with " (n)"); "" when none.
std::string NewestAside(const std::string& path) {
  fs::path p(path);
  const std::string prefix = p.stem().string() + "-beschadigd-", ext = p.extension().string();
  std::string newest;
  std::error_code ec;
  for (fs::directory_iterator it(FolderOf(path), ec), end; !ec && it != end; it.increment(ec)) {
    std::string name = it->path().filename().string();
    std::error_code typeError;
    if (name.rfind(prefix, 0) != 0 || name.size() < prefix.size() + ext.size() ||
        name.compare(name.size() - ext.size(), ext.size(), ext) != 0 || !it->is_regular_file(typeError))
      continue;
    if (newest.empty() || name > fs::path(newest).filename().string()) newest = it->path().string();
  }
  return newest;
}

}  // namespace

std::string DataFolderProblem(const std::string& path) {
  const std::string folder = FolderOf(path);
  std::error_code ec;
  fs::file_status status = fs::status(folder, ec);
  const char* stop = "\nVelgram stopt; er is niets veranderd.";
  if (fs::exists(status) && !fs::is_directory(status))
    return Format("De gegevensmap %s is geen map maar een bestand.\nVerplaats of hernoem dat bestand.%s",
                  folder.c_str(), stop);
  if (!fs::exists(status))
    return Format("De gegevensmap %s bestaat niet en kan niet gemaakt worden.%s", folder.c_str(), stop);
  if (access(folder.c_str(), W_OK | X_OK) != 0)
    return Format("Velgram mag niet schrijven in de gegevensmap %s.\nGeef uw gebruiker schrijfrechten op die map.%s",
                  folder.c_str(), stop);
  if (fs::exists(path, ec) && access(path.c_str(), R_OK | W_OK) != 0)
    return Format("Velgram mag de database %s niet lezen of beschrijven.\nGeef uw gebruiker schrijfrechten op dat "
                  "bestand.%s",
                  path.c_str(), stop);
  return "";
}

void RefuseSecondCopy(const std::string& path, Clock& clock, Prompter& prompter) {
  LogStart(path, clock, Format("Start geweigerd: %s is al geopend door een andere Velgram", path.c_str()));
  prompter.Alert("Velgram is al geopend met deze database.");
}

std::string LockFileProblem(const std::string& path) {
  return Format("Velgram kan het slotbestand %s.lock niet maken in de gegevensmap %s.\n"
                "Controleer of u in die map mag schrijven.\nVelgram stopt; er is niets veranderd.",
                path.c_str(), FolderOf(path).c_str());
}

std::string NewestSoundBackup(const std::string& backupFolder) {
  std::vector<std::tuple<int, int, std::string>> copies;
  std::error_code ec;
  for (fs::directory_iterator it(backupFolder, ec), end; !ec && it != end; it.increment(ec)) {
    std::string name = it->path().filename().string();
    int date = 0, time = 0;
    std::error_code typeError;
    if (!BackupStamp(name, date, time) || !it->is_regular_file(typeError)) continue;
    copies.emplace_back(date, time, it->path().string());
  }
  std::sort(copies.begin(), copies.end(), std::greater<>());
  for (const auto& [date, time, file] : copies) {
    std::error_code sizeError;
    if (fs::file_size(file, sizeError) > 0 && !sizeError && Database::FilePassesCheck(file)) return file;
  }
  return "";
}

std::unique_ptr<Database> OpenDatabase(const std::string& path, Clock& clock, Prompter& prompter) {
  bool restored = false;
  // A start killed while it offered a backup has set the damaged file aside
  // and left no database: the next start must not quietly begin afresh.
  if (NoDatabase(path)) {
    std::string aside = NewestAside(path);
    if (!aside.empty())
      restored = OfferBackup(path, aside,
                             Format("Er is geen database in %s.\nBij een eerdere start is het beschadigde bestand "
                                    "opzij gezet als %s.",
                                    path.c_str(), aside.c_str()),
                             clock, prompter);
  }
  auto db = std::make_unique<Database>(path, clock, nullptr, restored ? OpenKind::kRestored : OpenKind::kAsFound);
  if (db->Damaged()) {
    db.reset();
    if (!ReplaceDamaged(path, clock, prompter, restored)) return nullptr;
    db = std::make_unique<Database>(path, clock, nullptr, restored ? OpenKind::kRestored : OpenKind::kAsFound);
  }
  if (!db->StartError().empty()) {
    LogStart(path, clock, "Start geweigerd: " + db->StartError());
    prompter.Alert(db->StartError() + "\nVelgram stopt.");
    return nullptr;
  }
  return db;
}

}  // namespace velgram
