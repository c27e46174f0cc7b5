#pragma once
// What the participant, class and settings dialogs do on OK and what the
// panes' delete and move buttons do: the checks with their Dutch messages and
// the writes. The screens only collect the typed texts and call these; each
// returns true when something was written.
#include <string>
#include <vector>

#include "store/records.h"

namespace velgram {

class Database;
class Prompter;

// New tournament (id < 1) or new name of an existing one. *savedId receives
// the id written.
bool SaveToernooi(Database& db, Prompter& prompter, int id, const std::string& name, int* savedId);

struct PlayerForm {
  std::string name, club, bondsnummer, rating, klasse, email;
  int gender = -1;  // 1 man, 0 vrouw, -1 neither chosen
};

// Player dialog on OK: a new player (id < 1) of the tournament or the changed
// one. *savedId receives the player's id when given.
bool SavePlayer(Database& db, Prompter& prompter, int idToernooi, int id, const PlayerForm& form,
                int* savedId = nullptr);
// The form of a stored player; an empty rating field for rating 0.
PlayerForm LoadPlayerForm(Database& db, int id);

// A duo being put together in the duo dialog.
struct DuoDraft {
  int id = -1;
  int idPlayer1 = -1, idPlayer2 = -1;
  std::string name, club, klasse;
  int rating = 0;
  int Count() const { return (idPlayer1 > 0) + (idPlayer2 > 0); }
};
DuoDraft LoadDuoDraft(Database& db, int idDuo);
// The next player of the duo: "Er zijn al twee spelers in het duo" when it is
// full. The second player joins the names with " + ", the clubs with "/" when
// they differ, adds the ratings and clears the class when the classes differ.
bool AddToDuo(Prompter& prompter, DuoDraft& duo, const PlayerWithClub& player);
void ClearDuo(DuoDraft& duo);
// The players the duo dialog offers: those of the tournament not in the draft.
std::vector<PlayerWithClub> PlayersForDuo(Database& db, int idToernooi, const DuoDraft& duo);
bool SaveDuo(Database& db, Prompter& prompter, int idToernooi, const DuoDraft& duo, const std::string& klasse);

// Class dialog on OK; nrPlayers 1 (Enkel), 2 (Dubbel / Duoteam) or 0 when
// neither is chosen.
bool SaveSystem(Database& db, Prompter& prompter, int idToernooi, int id, const std::string& name,
                const std::string& description, int nrPlayers);

// Pool dialog on OK. playstyle 0 when no format is chosen; tables as typed
// ("1-4,6"); times as hours*100 + minutes. Returns the pool's id, or -1 after
// a message. The format of an existing pool stays what it is.
struct PoolForm {
  std::string name, tables;
  int playstyle = 0;
  int starttime = 900, endtime = 1600;
  int idMatchSystem = 0;
};
int SavePool(Database& db, Prompter& prompter, int idSystem, int idPool, const PoolForm& form);
// The pool dialog's time fields as typed ("930", "9:30", "09:30") into the
// form. A time that cannot be read is refused with a message naming the
// field; the form is then left as it was.
bool ReadPoolTimes(Prompter& prompter, const std::string& start, const std::string& end, PoolForm& form);
// True when the pool has matches: its tables and times are then fixed.
bool PoolLocked(Database& db, int idPool);

// Delete buttons of the participant and duo panes: selection message,
// question, in-use check, then the deletion of all or none.
bool DeletePlayers(Database& db, Prompter& prompter, int idToernooi, const std::vector<int>& ids);
bool DeleteDuos(Database& db, Prompter& prompter, int idToernooi, const std::vector<int>& ids);

// Reordering pools of a class. Refused with a message when the pool takes
// players from the pool it would pass (or the other way round); false also at
// the ends of the list.
bool MovePoolUp(Database& db, Prompter& prompter, int idPool);
bool MovePoolDown(Database& db, Prompter& prompter, int idPool);

// Backup management: the interval stored and applied at once, 0 when off, at
// least 5 minutes when on. Returns the stored value.
int StoreBackupInterval(Database& db, bool on, const std::string& minutesText);

// Swiss settings: the pairing distance "SwissBorder". Empty means the default
// 5; otherwise a whole number, positive for a distance or negative for a
// percentage of the pool. Anything else is refused with a message.
std::string SwissBorderText(Database& db);
bool StoreSwissBorder(Database& db, Prompter& prompter, const std::string& text);

}  // namespace velgram
