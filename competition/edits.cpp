#include "competition/edits.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

#include "competition/inuse.h"
#include "competition/pool.h"
#include "competition/tables.h"
#include "store/database.h"
#include "support/prompt.h"
#include "support/text.h"

namespace velgram {

namespace {

constexpr const char* kNoTournament = "Selecteer eerst een toernooi.";

std::string Trim(const std::string& s) {
  size_t b = 0, e = s.size();
  while (b < e && std::isspace(static_cast<unsigned char>(s[b]))) ++b;
  while (e > b && std::isspace(static_cast<unsigned char>(s[e - 1]))) --e;
  return s.substr(b, e - b);
}

// A whole number with an optional sign and nothing else around it.
bool IsWholeNumber(const std::string& s) {
  size_t i = (!s.empty() && (s[0] == '-' || s[0] == '+')) ? 1 : 0;
  if (i >= s.size() || s.size() - i > 9) return false;
  for (; i < s.size(); ++i)
    if (!std::isdigit(static_cast<unsigned char>(s[i]))) return false;
  return true;
}

// The database refused a write (held by another program beyond the busy
// wait, a full disk): the action was rolled back whole, and the director must
// know, or the dialog's input is believed stored. The dialog stays open.
bool NotSaved(Database& db, Prompter& prompter, const char* what) {
  prompter.Alert(Format("%s: %s. Er is niets gewijzigd.", what, Database::FailureText(db.LastFailure()).c_str()));
  return false;
}

}  // namespace

bool SaveToernooi(Database& db, Prompter& prompter, int id, const std::string& name, int* savedId) {
  std::string trimmed = Trim(name);
  if (trimmed.empty()) {
    prompter.Alert("Geef het toernooi een naam.");
    return false;
  }
  Transaction tx(db);
  if (id < 1)
    id = db.AddToernooi(trimmed);
  else
    db.RenameToernooi(id, trimmed);
  if (!tx.Commit() || id < 1) return NotSaved(db, prompter, "Het toernooi kon niet in de database worden opgeslagen");
  if (savedId) *savedId = id;
  return true;
}

bool SavePlayer(Database& db, Prompter& prompter, int idToernooi, int id, const PlayerForm& form, int* savedId) {
  if (idToernooi < 1) {
    prompter.Alert(kNoTournament);
    return false;
  }
  PlayerRecord p;
  p.id = id;
  p.name = Trim(form.name);
  if (p.name.empty()) {
    prompter.Alert("Vul de naam in.");
    return false;
  }
  // A new club and its player are written together: a refused player must
  // not leave its club behind.
  Transaction tx(db);
  p.idClub = db.GetOrAddClub(Trim(form.club));
  p.bondsnummer = Trim(form.bondsnummer);
  p.rating = std::atoi(form.rating.c_str());
  p.klasse = Trim(form.klasse);
  p.gender = form.gender;
  p.email = Trim(form.email);
  if (id < 1)
    p.id = db.AddPlayer(p, idToernooi);
  else
    db.UpdatePlayer(p);
  if (!tx.Commit() || p.id < 1) return NotSaved(db, prompter, "De speler kon niet in de database worden opgeslagen");
  if (savedId) *savedId = p.id;
  return true;
}

PlayerForm LoadPlayerForm(Database& db, int id) {
  PlayerRecord p;
  db.GetPlayer(p, id);
  PlayerForm f;
  f.name = p.name;
  f.club = p.idClub > 0 ? db.GetClubName(p.idClub) : "";
  f.bondsnummer = p.bondsnummer;
  f.rating = p.rating == 0 ? "" : Format("%d", p.rating);
  f.klasse = p.klasse;
  f.gender = p.gender < 0 ? -1 : (p.gender == 1 ? 1 : 0);
  f.email = p.email;
  return f;
}

DuoDraft LoadDuoDraft(Database& db, int idDuo) {
  DuoDraft d;
  DuoRecord r;
  db.GetDuo(r, idDuo);
  if (r.id < 1) return d;
  d.id = r.id;
  d.idPlayer1 = r.idPlayer1;
  d.idPlayer2 = r.idPlayer2;
  d.name = r.name;
  d.club = r.club;
  d.klasse = r.klasse;
  d.rating = r.rating;
  return d;
}

bool AddToDuo(Prompter& prompter, DuoDraft& duo, const PlayerWithClub& player) {
  if (duo.idPlayer1 < 1) {
    duo.idPlayer1 = player.id;
    duo.name = player.name;
    duo.club = player.club;
    duo.rating = player.rating;
    duo.klasse = player.klasse;
    return true;
  }
  if (duo.idPlayer2 > 0) {
    prompter.Alert("Er zijn al twee spelers in het duo");
    return false;
  }
  if (player.id == duo.idPlayer1) return false;
  duo.idPlayer2 = player.id;
  duo.name += " + " + player.name;
  if (player.club != duo.club) duo.club += "/" + player.club;
  duo.rating += player.rating;
  if (player.klasse != duo.klasse) duo.klasse.clear();
  return true;
}

void ClearDuo(DuoDraft& duo) {
  int id = duo.id;
  duo = DuoDraft();
  duo.id = id;
}

std::vector<PlayerWithClub> PlayersForDuo(Database& db, int idToernooi, const DuoDraft& duo) {
  std::vector<PlayerWithClub> all;
  db.ListPlayersWithClub(idToernooi, all);
  std::erase_if(all, [&](const PlayerWithClub& p) { return p.id == duo.idPlayer1 || p.id == duo.idPlayer2; });
  return all;
}

bool SaveDuo(Database& db, Prompter& prompter, int idToernooi, const DuoDraft& duo, const std::string& klasse) {
  if (idToernooi < 1) {
    prompter.Alert(kNoTournament);
    return false;
  }
  if (duo.Count() < 2) {
    prompter.Alert("Selecteer twee deelnemers voor het duo");
    return false;
  }
  DuoRecord r;
  r.id = duo.id;
  r.idPlayer1 = duo.idPlayer1;
  r.idPlayer2 = duo.idPlayer2;
  r.klasse = Trim(klasse);
  if (r.klasse.empty()) {
    prompter.Alert("Vul een klasse in");
    return false;
  }
  Transaction tx(db);
  if (r.id < 1)
    db.AddDuo(r, idToernooi);
  else
    db.UpdateDuo(r);
  return tx.Commit() || NotSaved(db, prompter, "Het duo kon niet in de database worden opgeslagen");
}

bool SaveSystem(Database& db, Prompter& prompter, int idToernooi, int id, const std::string& name,
                const std::string& description, int nrPlayers) {
  if (idToernooi < 1) {
    prompter.Alert(kNoTournament);
    return false;
  }
  SystemRecord s;
  s.id = id;
  s.name = Trim(name);
  if (s.name.empty()) {
    prompter.Alert("Vul de naam in.");
    return false;
  }
  if (nrPlayers != 1 && nrPlayers != 2) {
    prompter.Alert("Vul of Enkel of Dubbel in.");
    return false;
  }
  s.nrPlayers = nrPlayers;
  s.description = description;
  Transaction tx(db);
  if (id < 1) {
    s.idMatchSystem = 0;
    db.AddSystem(s, idToernooi);
  } else {
    // A class keeps the match system chosen for it elsewhere.
    SystemRecord old;
    db.GetSystem(old, id);
    s.idMatchSystem = old.idMatchSystem;
    db.UpdateSystem(s, idToernooi);
  }
  return tx.Commit() || NotSaved(db, prompter, "De spelklasse kon niet in de database worden opgeslagen");
}

int SavePool(Database& db, Prompter& prompter, int idSystem, int idPool, const PoolForm& form) {
  std::string name = Trim(form.name);
  if (name.empty()) {
    prompter.Alert("Vul de naam in.");
    return -1;
  }
  std::unique_ptr<LPool> pool;
  if (idPool > 0) {
    pool = LoadPool(db, idPool);
  } else {
    PoolRecord row;
    row.playstyle = form.playstyle;
    row.idSystem = idSystem;
    pool = MakePool(row);
  }
  if (!pool) {
    prompter.Alert("Kies een speelwijze.");
    return -1;
  }
  pool->name = name;
  pool->idMatchSystem = form.idMatchSystem;
  if (idPool < 1 || !PoolLocked(db, idPool)) {
    pool->tables = ParseTables(form.tables);
    pool->starttime = form.starttime;
    pool->endtime = form.endtime;
  }
  Transaction tx(db);
  int id = idPool;
  if (idPool > 0)
    db.UpdatePool(pool->ToRecord());
  else
    id = db.AddPool(pool->ToRecord(), idSystem);
  if (!tx.Commit() || id < 1) {
    NotSaved(db, prompter, "De poule kon niet in de database worden opgeslagen");
    return -1;
  }
  return id;
}

bool ReadPoolTimes(Prompter& prompter, const std::string& start, const std::string& end, PoolForm& form) {
  int s = 0, e = 0;
  if (!ParseTimeOfDay(start, s)) {
    prompter.Alert("De begintijd is onjuist. Vul een tijd in zoals 9:30 of 930.");
    return false;
  }
  if (!ParseTimeOfDay(end, e)) {
    prompter.Alert("De eindtijd is onjuist. Vul een tijd in zoals 16:00 of 1600.");
    return false;
  }
  form.starttime = s;
  form.endtime = e;
  return true;
}

bool PoolLocked(Database& db, int idPool) {
  std::vector<MatchRecord> matches;
  db.ListMatches(idPool, matches);
  return !matches.empty();
}

bool DeletePlayers(Database& db, Prompter& prompter, int idToernooi, const std::vector<int>& ids) {
  if (ids.empty()) {
    prompter.Alert("Selecteer de deelnemers die u wilt verwijderen.\nGebruik ev. Ctrl en Shift.");
    return false;
  }
  int n = static_cast<int>(ids.size());
  if (!prompter.Confirm(Format("Weet u zeker, dat u %d deelnemer%s wilt verwijderen?", n, n == 1 ? "" : "s")))
    return false;
  std::string use = PlayersInUse(db, idToernooi, ids);
  if (use.empty()) use = PlayersInDuos(db, idToernooi, ids);
  if (!use.empty()) {
    prompter.Alert(use);
    return false;
  }
  Transaction tx(db);
  for (int id : ids) db.DeletePlayer(id);
  return tx.Commit() || NotSaved(db, prompter, "De deelnemers konden niet verwijderd worden");
}

bool DeleteDuos(Database& db, Prompter& prompter, int idToernooi, const std::vector<int>& ids) {
  if (ids.empty()) {
    prompter.Alert("Selecteer de duo's die u wilt verwijderen.\nGebruik ev. Ctrl en Shift.");
    return false;
  }
  int n = static_cast<int>(ids.size());
  if (!prompter.Confirm(Format("Weet u zeker, dat u %d duo%s wilt verwijderen?", n, n == 1 ? "" : "'s")))
    return false;
  std::string use = DuosInUse(db, idToernooi, ids);
  if (!use.empty()) {
    prompter.Alert(use);
    return false;
  }
  Transaction tx(db);
  for (int id : ids) db.DeleteDuo(id);
  return tx.Commit() || NotSaved(db, prompter, "De duo's konden niet verwijderd worden");
}

namespace {

// The pool's neighbours in its class: index of the pool in list, -1 when absent.
int PoolIndex(Database& db, int idPool, std::vector<PoolRecord>& list) {
  PoolRecord pool;
  if (!db.GetPool(idPool, pool)) return -1;
  db.ListPools(pool.idSystem, list);
  for (size_t i = 0; i < list.size(); ++i)
    if (list[i].id == idPool) return static_cast<int>(i);
  return -1;
}

bool LinkedTo(Database& db, int idPool, int idOther) {
  std::vector<int> from = PoolsLinkedFrom(db, idPool);
  return std::find(from.begin(), from.end(), idOther) != from.end();
}

}  // namespace

bool MovePoolUp(Database& db, Prompter& prompter, int idPool) {
  std::vector<PoolRecord> list;
  int i = PoolIndex(db, idPool, list);
  if (i < 1) return false;
  const PoolRecord& prev = list[i - 1];
  if (LinkedTo(db, idPool, prev.id)) {
    prompter.Alert("Speler is gekoppeld aan vorige poule. Verwijder deze eerst.");
    return false;
  }
  Transaction tx(db);
  db.Exec(nullptr, "UPDATE Pools SET sort=%d WHERE id=%d", list[i].sort, prev.id);
  db.Exec(nullptr, "UPDATE Pools SET sort=%d WHERE id=%d", prev.sort, idPool);
  return tx.Commit() || NotSaved(db, prompter, "De poule kon niet verplaatst worden");
}

bool MovePoolDown(Database& db, Prompter& prompter, int idPool) {
  std::vector<PoolRecord> list;
  int i = PoolIndex(db, idPool, list);
  if (i < 0 || i + 1 >= static_cast<int>(list.size())) return false;
  if (LinkedTo(db, list[i + 1].id, idPool)) {
    prompter.Alert("Speler is gekoppeld aan volgende poule. Verwijder deze eerst.");
    return false;
  }
  Transaction tx(db);
  db.MovePoolDown(idPool, list[i].idSystem);
  return tx.Commit() || NotSaved(db, prompter, "De poule kon niet verplaatst worden");
}

int StoreBackupInterval(Database& db, bool on, const std::string& minutesText) {
  int minutes = 0;
  if (on) minutes = std::max(5, std::atoi(minutesText.c_str()));
  db.SetSettingInt("BackupInterval", minutes);
  db.SetBackupInterval(minutes);
  return minutes;
}

std::string SwissBorderText(Database& db) {
  std::string text = db.GetSetting("SwissBorder");
  return text.empty() ? "5" : text;
}

bool StoreSwissBorder(Database& db, Prompter& prompter, const std::string& text) {
  std::string trimmed = Trim(text);
  if (!trimmed.empty() && !IsWholeNumber(trimmed)) {
    prompter.Alert("Vul als grens een geheel getal in, bijvoorbeeld 5 of -40.");
    return false;
  }
  db.SetSetting("SwissBorder", trimmed);
  return true;
}

}  // namespace velgram
