#pragma once
// The pool model: a pool object built from its Pools row, its contestant
// positions with their resolved display data, and the matches as the screens
// show them.
#include <memory>
#include <string>
#include <vector>

#include "store/records.h"

namespace velgram {

class Database;

// A match side without an opponent ("Niet gespeeld").
inline constexpr int kNotPlayed = 999999999;

enum LinkType {
  kLinkPlayer = 1,  // a tournament player
  kLinkPlace = 2,   // a ranked place of an earlier pool of the class
  kLinkBye = 3,     // a bye seat of a knockout bracket, only in memory
  kLinkDuo = 5,     // a duo
};

// One position of a pool: its Contestants row plus what it resolves to.
struct Contestant {
  int id = -1;
  int idPool = -1;
  int poolPos = 0;
  int sort = 0;
  int linktype = 0;
  int idPlayer = 0;
  int idLinkedPool = 0;
  int indexKlasse = 0;

  std::string name = "???";
  std::string club = "???";
  std::string klasse = "???";
  std::string duoNames[4];  // a duo's two player names, then their clubs
  int rating = 0;
  bool known = false;
  std::string source;  // "Vast", or "<pool> nr. <place>[, klasse <class>]"
  // The player (link type 1) or duo (5) behind the position once known, with
  // that link type; for a resolved link, those of the place it took.
  int idResolved = 0;
  int resolvedType = 0;
  // For a link: the class list of the linked pool, filled on first need.
  std::vector<std::string> classList;

  bool IsLink() const { return linktype == kLinkPlace; }

  static Contestant FromRecord(const ContestantRecord& r);
  ContestantRecord ToRecord() const;
};

// One match with everything the screens show.
struct MatchEntry : MatchRecord {
  std::string name1, name2;  // display names of both sides
  std::string duo1[2], duo2[2];  // player names when the sides are duos

  static MatchEntry FromRecord(const MatchRecord& r);
  static MatchEntry FromRecord(MatchRecord&& r);  // takes r's texts and games
};

// A pool of a playing class. Built on demand from its row and discarded after
// use; standings are computed from the stored matches every time.
class LPool {
 public:
  virtual ~LPool() = default;

  virtual int Playstyle() const = 0;          // 1 round robin, 2 Swiss, 3 knockout
  virtual std::string ExtraText() const = 0;  // the JSON kept in Pools.extra
  virtual int PaneResource() const = 0;       // 161, 181, 175
  // Fills places (0-based, -1 unknown) and explanations, one per contestant in
  // the order given.
  virtual void Standings(const std::vector<Contestant>& contestants, const std::vector<MatchEntry>& matches) = 0;

  void FillFrom(const PoolRecord& row);  // everything but the kind and extra
  PoolRecord ToRecord() const;

  int id = -1;
  int idSystem = -1;
  std::string name;
  std::vector<int> tables;
  int starttime = 0;
  int endtime = 0;
  int sort = 0;
  int idMatchSystem = 0;

  std::vector<int> places;
  std::vector<std::string> explanations;
};

// The object of a row's playstyle, filled from the row; null for any other
// playstyle. Knows no database: a Swiss pool made this way ranks without its
// rounds (no byes). Pools to rank come from LoadPool / LoadPools.
std::unique_ptr<LPool> MakePool(const PoolRecord& row);
// The object of a row read from the database, ready to rank (a Swiss pool
// reads its rounds); null for an unknown playstyle.
std::unique_ptr<LPool> MakeStoredPool(Database& db, const PoolRecord& row);
// Pools read from the database, ready to rank (a Swiss pool reads its rounds).
std::unique_ptr<LPool> LoadPool(Database& db, int idPool);
void LoadPools(Database& db, int idSystem, std::vector<std::unique_ptr<LPool>>& list);

}  // namespace velgram
