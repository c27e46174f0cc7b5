#include "exchange/import_players.h"

#include <algorithm>
#include <climits>
#include <map>
#include <set>

#include "competition/pool.h"
#include "exchange/import_file.h"
#include "store/database.h"
#include "support/text.h"

namespace velgram {

namespace {

// A club id no club row has: the recognition of a row whose club is still to
// be created must not match anyone by name and club.
constexpr int kClubNotYetCreated = INT_MIN;

unsigned char FoldCase(unsigned char c) {
  if (c >= 'A' && c <= 'Z') return static_cast<unsigned char>(c + 32);
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return static_cast<unsigned char>(c + 32);
  switch (c) {
    case 0x8A:  // S caron
    case 0x8C:  // OE
    case 0x8E:  // Z caron
      return static_cast<unsigned char>(c + 16);
    case 0x9F:  // Y diaeresis
      return 0xFF;
    default:
      return c;
  }
}

// A club this import is going to create, as offered in the club question:
// ids from -2 down, clear of the -1 of "no club".
int PendingClubId(int index) { return -2 - index; }
int PendingClubIndex(int idClub) { return idClub <= -2 ? -2 - idClub : -1; }

// How a club name of the file was resolved.
struct ClubResolution {
  int idClub = -1;
  int newClub = -1;  // index into the clubs to create, or -1
};

struct RememberedClub {
  std::string fileName;
  ClubResolution resolution;
};

std::string CountText(int n, const char* verb) {
  if (n == 0) return Format("Geen deelnemers %s.", verb);
  if (n == 1) return Format("1 deelnemer %s.", verb);
  return Format("%d deelnemers %s.", n, verb);
}

bool Contains(const std::vector<int>& ids, int id) { return std::find(ids.begin(), ids.end(), id) != ids.end(); }

std::string PlayerName(Database& db, int id) {
  PlayerRecord p;
  p.id = -1;
  db.GetPlayer(p, id);
  return p.name;
}

}  // namespace

bool SameTextIgnoringCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (FoldCase(static_cast<unsigned char>(a[i])) != FoldCase(static_cast<unsigned char>(b[i]))) return false;
  return true;
}

std::string ImportReportText(const ImportCounts& counts, const std::vector<std::string>& approximated) {
  std::string text = CountText(counts.added, "toegevoegd") + "\r\n" + CountText(counts.changed, "gewijzigd");
  if (!approximated.empty()) {
    text += "\r\n\r\nIn de naam of vereniging van deze deelnemers stonden tekens die Velgram niet kan "
            "opslaan; ze zijn vervangen door de gewone letter of \"?\":";
    for (const std::string& name : approximated) text += "\r\n" + name;
  }
  return text;
}

std::string PlayersStillPlaying(Database& db, int idToernooi, const std::vector<int>& idPlayers) {
  if (idPlayers.empty()) return "";
  std::vector<std::pair<int, std::string>> tournaments;
  db.ListToernooien(tournaments);
  std::stable_partition(tournaments.begin(), tournaments.end(),
                        [idToernooi](const auto& t) { return t.first == idToernooi; });
  for (const auto& [idT, tournamentName] : tournaments) {
    std::vector<SystemRecord> classes;
    db.ListSystems(classes, idT);
    for (const SystemRecord& cls : classes) {
      std::vector<PoolRecord> pools;
      db.ListPools(cls.id, pools);
      for (const PoolRecord& pool : pools) {
        std::vector<ContestantRecord> positions;
        db.ListContestants(pool.id, positions);
        for (const ContestantRecord& pos : positions) {
          int found = -1;
          if (pos.linktype == kLinkPlayer && Contains(idPlayers, pos.idPlayer)) {
            found = pos.idPlayer;
          } else if (pos.linktype == kLinkDuo) {
            DuoRecord duo;
            db.GetDuo(duo, pos.idPlayer);
            if (duo.id == pos.idPlayer) {
              if (Contains(idPlayers, duo.idPlayer1))
                found = duo.idPlayer1;
              else if (Contains(idPlayers, duo.idPlayer2))
                found = duo.idPlayer2;
            }
          }
          if (found < 0) continue;
          std::string text = Format("%s speelt in %s / %s", PlayerName(db, found).c_str(), cls.name.c_str(),
                                    pool.name.c_str());
          if (idT != idToernooi) text += Format(" (toernooi %s)", tournamentName.c_str());
          return text;
        }
      }
    }
  }
  // A duo without one of its players can no longer be shown or played.
  std::vector<DuoRecord> allDuos;
  db.ListDuos(allDuos, 0);
  for (const DuoRecord& d : allDuos) {
    int found = Contains(idPlayers, d.idPlayer1) ? d.idPlayer1 : Contains(idPlayers, d.idPlayer2) ? d.idPlayer2 : -1;
    if (found < 0) continue;
    DuoRecord shown;
    db.GetDuo(shown, d.id);
    return Format("%s zit in duo %s", PlayerName(db, found).c_str(), shown.name.c_str());
  }
  return "";
}

ImportResult ImportPlayers(Database& db, int idToernooi, const ImportFile& file, ImportPrompter& prompter,
                           ImportCounts* counts) {
  if (idToernooi <= 0) {
    prompter.Alert("Selecteer eerst een toernooi.");
    return ImportResult::kNoTournament;
  }
  if (file.rows.empty()) {
    prompter.Alert("Het bestand bevat geen spelers.");
    return ImportResult::kNoRows;
  }
  std::vector<PlayerRecord> rows = file.rows;

  // One commit for the whole import. Nothing is written before the removal
  // question, so stopping there leaves the file as it was.
  Transaction tx(db);

  // --- clubs, row by row in file order
  std::vector<ClubEntry> clubs;
  db.ListClubs(0, clubs);
  std::vector<ClubEntry> choices;  // what the club question offers
  bool choicesRead = false;
  std::vector<std::string> newClubs;  // created when the import goes on
  std::vector<RememberedClub> remembered;
  std::vector<ClubResolution> resolution(rows.size());

  auto findClub = [&](const std::string& name, ClubResolution& r) {
    for (const ClubEntry& c : clubs)
      if (SameTextIgnoringCase(c.name, name)) {
        r = {c.id, -1};
        return true;
      }
    // Clubs made in this import count as known from then on, as if created.
    for (size_t k = 0; k < newClubs.size(); ++k)
      if (SameTextIgnoringCase(newClubs[k], name)) {
        r = {-1, static_cast<int>(k)};
        return true;
      }
    return false;
  };

  for (size_t i = 0; i < rows.size(); ++i) {
    PlayerRecord& row = rows[i];
    ClubResolution& r = resolution[i];
    if (findClub(row.clubName, r)) continue;
    auto known = std::find_if(remembered.begin(), remembered.end(), [&](const RememberedClub& m) {
      return SameTextIgnoringCase(m.fileName, row.clubName);
    });
    if (known != remembered.end()) {
      r = known->resolution;
      continue;
    }
    if (!choicesRead) {
      db.ListClubsOfToernooi(idToernooi, choices);
      if (choices.empty()) db.ListClubs(0, choices);
      choicesRead = true;
    }
    // The clubs made earlier in this import are offered too, so that a row
    // spelled differently can be put with them; they are not written yet and
    // stand in the list under a placeholder id.
    std::vector<ClubEntry> offered = choices;
    for (size_t k = 0; k < newClubs.size(); ++k) offered.push_back({PendingClubId(static_cast<int>(k)), newClubs[k]});
    std::stable_sort(offered.begin(), offered.end(),
                     [](const ClubEntry& a, const ClubEntry& b) { return a.name < b.name; });
    ClubChoice choice = prompter.SelectClub(row, offered);
    if (choice.kind == ClubChoice::kCancel) continue;  // the next row with this club asks again
    int pending = PendingClubIndex(choice.idClub);
    if (choice.kind == ClubChoice::kExisting && pending >= 0 && pending < static_cast<int>(newClubs.size())) {
      r = {-1, pending};
    } else if (choice.kind == ClubChoice::kExisting) {
      r = {choice.idClub, -1};
    } else {
      std::string name = TrimBlanks(choice.newName);
      auto same = std::find_if(clubs.begin(), clubs.end(), [&](const ClubEntry& c) { return c.name == name; });
      auto pending = std::find(newClubs.begin(), newClubs.end(), name);
      if (name.empty()) {
        r = {-1, -1};  // a club cannot be nameless
      } else if (same != clubs.end()) {
        r = {same->id, -1};
      } else if (pending != newClubs.end()) {
        r = {-1, static_cast<int>(pending - newClubs.begin())};
      } else {
        newClubs.push_back(name);
        r = {-1, static_cast<int>(newClubs.size()) - 1};
      }
    }
    remembered.push_back({row.clubName, r});
  }

  // --- recognition of players the database already knows
  for (size_t i = 0; i < rows.size(); ++i) {
    PlayerRecord probe = rows[i];
    probe.idClub = resolution[i].newClub >= 0 ? kClubNotYetCreated : resolution[i].idClub;
    rows[i].idClub = resolution[i].idClub;
    rows[i].id = db.FindPlayer(probe);
  }

  // --- players with a tournament entry that the file does not list
  std::vector<PlayerRecord> entered;
  db.ListPlayers(entered, 0);
  std::vector<PlayerRecord> missing;
  std::set<int> seen;
  for (const PlayerRecord& row : rows)
    if (row.id > 0) seen.insert(row.id);
  for (const PlayerRecord& p : entered)
    if (seen.insert(p.id).second) missing.push_back(p);  // each player once, not once per tournament
  if (!missing.empty()) {
    auto removeSelected = [&](const std::vector<int>& selected) {
      std::vector<int> ids;
      for (int id : selected)
        if (!Contains(ids, id)) ids.push_back(id);
      if (ids.empty()) {
        prompter.Alert("Selecteer de spelers die u wilt verwijderen.");
        return false;
      }
      int n = static_cast<int>(ids.size());
      if (!prompter.Confirm(Format("Weet u zeker, dat u %d deelnemer%s wilt verwijderen?", n, n == 1 ? "" : "s")))
        return false;
      std::string inUse = PlayersStillPlaying(db, idToernooi, ids);
      if (!inUse.empty()) {
        prompter.Alert(inUse);
        return false;
      }
      for (int id : ids) db.DeletePlayer(id);
      return true;
    };
    if (prompter.RemovePlayers(missing, removeSelected) == RemoveOutcome::kStop) return ImportResult::kStopped;
  }

  // --- storing, row by row in file order
  std::vector<int> newClubIds(newClubs.size(), -1);
  // A row that recognition found new can only match a player made by an
  // earlier row of this import (a participant listed twice): looked up here,
  // by the keys FindPlayer uses, instead of in the database once more.
  std::map<std::string, int> madeByNumber;
  std::map<std::pair<std::string, int>, int> madeByNameAndClub;
  auto findMade = [&](const PlayerRecord& row) {
    if (!row.bondsnummer.empty())
      if (auto it = madeByNumber.find(row.bondsnummer); it != madeByNumber.end()) return it->second;
    auto it = madeByNameAndClub.find({row.name, row.idClub});
    return it == madeByNameAndClub.end() ? -1 : it->second;
  };
  ImportCounts made;
  bool ok = true;
  for (size_t i = 0; i < rows.size() && ok; ++i) {
    PlayerRecord& row = rows[i];
    if (int k = resolution[i].newClub; k >= 0) {
      if (newClubIds[k] < 0) newClubIds[k] = db.GetOrAddClub(newClubs[k]);
      row.idClub = newClubIds[k];
      if (row.idClub < 0) ok = false;
    }
    if (row.id <= 0) row.id = findMade(row);
    if (row.id <= 0) {
      std::string storedName;
      int id = db.AddPlayer(row, idToernooi, &storedName);
      if (id < 0) ok = false;
      if (!row.bondsnummer.empty()) madeByNumber.emplace(row.bondsnummer, id);
      madeByNameAndClub.emplace(std::make_pair(storedName, row.idClub), id);
      ++made.added;
    } else if (db.SetPlayerInToernooi(row, idToernooi)) {
      ++made.changed;  // the master row of a known player stays as it is
    } else {
      ++made.added;
    }
  }
  if (!ok || !tx.Commit()) {
    prompter.Alert("Het importeren is mislukt; er is niets opgeslagen.");
    return ImportResult::kFailed;
  }
  if (counts) *counts = made;
  prompter.Alert(ImportReportText(made, file.approximated));
  return ImportResult::kImported;
}

}  // namespace velgram
