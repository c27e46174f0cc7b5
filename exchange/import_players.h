#pragma once
// The import of participants on OK of the import dialog: clubs, recognition of
// known players, removal of players the file no longer lists, and storing.
#include <functional>
#include <string>
#include <vector>

#include "exchange/import_file.h"
#include "store/records.h"
#include "support/prompt.h"

namespace velgram {

class Database;

// The answer of the club question (LDlgSelectClub) for one row.
struct ClubChoice {
  enum Kind { kCancel, kExisting, kNew };
  Kind kind = kCancel;
  int idClub = -1;      // kExisting: the club picked from the list
  std::string newName;  // kNew: the name given after "Nieuwe vereniging"
};

enum class RemoveOutcome {
  kContinue,  // players were removed, or "Verwijder geen enkele speler"
  kStop,      // "Stop het importeren"
};

// The questions of the import. The application shows them as dialogs; tests
// answer them from a script.
class ImportPrompter : public Prompter {
 public:
  // Which club a row belongs to whose club is not in the club list. clubs are
  // the choices: the clubs of the tournament's players, else all clubs, and
  // the clubs made so far in this import, by name. A new club is only created
  // when the import goes on, so that stopping it leaves nothing behind; until
  // then it is offered under an id below -1.
  virtual ClubChoice SelectClub(const PlayerRecord& row, const std::vector<ClubEntry>& clubs) = 0;

  // Offers the players that are not in the file for removal. For "Verwijder
  // de geselecteerde spelers" the dialog calls removeSelected with the ids of
  // the selected lines; it asks for confirmation, refuses players that still
  // play, and returns true when the players are gone, upon which the dialog
  // closes and the import goes on.
  virtual RemoveOutcome RemovePlayers(const std::vector<PlayerRecord>& players,
                                      const std::function<bool(const std::vector<int>&)>& removeSelected) = 0;
};

struct ImportCounts {
  int added = 0;
  int changed = 0;
};

enum class ImportResult {
  kNoTournament,  // told "Selecteer eerst een toernooi."; the dialog stays open
  kNoRows,        // told "Het bestand bevat geen spelers."; nothing asked or written
  kStopped,       // "Stop het importeren": nothing was written
  kFailed,        // the database refused a write: nothing was kept
  kImported,      // written and reported
};

// Imports the rows of a file (as read by ReadImportFile) into the tournament
// in one transaction and reports the counts. A file without rows imports
// nothing: offering every participant for removal would be no import at all.
ImportResult ImportPlayers(Database& db, int idToernooi, const ImportFile& file, ImportPrompter& prompter,
                           ImportCounts* counts = nullptr);

// "1 deelnemer toegevoegd.\r\nGeen deelnemers gewijzigd." and so on, followed
// by the participants whose names lost characters, one a line.
std::string ImportReportText(const ImportCounts& counts, const std::vector<std::string>& approximated = {});

// Why these players cannot be removed, or "" when they can: "%s speelt in %s /
// %s" for the first position (in a pool of any tournament, the given one
// first, classes and pools in their order) that holds one of them or a duo
// with one of them, else "%s zit in duo %s" for a duo that includes one.
// Removing a player removes him from every tournament.
std::string PlayersStillPlaying(Database& db, int idToernooi, const std::vector<int>& idPlayers);

// Case-insensitive comparison of two Windows-1252 texts (letters with accents
// included).
bool SameTextIgnoringCase(const std::string& a, const std::string& b);

}  // namespace velgram
