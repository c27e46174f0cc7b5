#pragma once
// Resolving positions (players, duos and links to places of earlier pools)
// and the match cache of one tournament that the result screens show.
#include <map>
#include <memory>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

#include "competition/changes.h"
#include "competition/pool.h"
#include "store/records.h"

namespace velgram {

class Database;

// One resolution pass. Every pool it touches is read, resolved and ranked at
// most once, however many positions link to it; links that lead back to a
// pool still being resolved (a damaged file) stay unresolved. Keep one
// resolver for the duration of one screen refresh: results entered after it
// filled its cache are not seen.
class LinkResolver {
 public:
  // idToernooi, when known (> 0), lets the players and duos of the tournament
  // be read in one go instead of one by one.
  explicit LinkResolver(Database& db, int idToernooi = -1);
  ~LinkResolver();

  // The pool object, or null when the pool does not exist.
  LPool* Pool(int idPool);
  // The positions of a pool as stored, in sort order.
  const std::vector<ContestantRecord>& Rows(int idPool);
  // The positions of a pool in sort order, resolved; empty when unknown.
  const std::vector<Contestant>& Contestants(int idPool);
  // The matches of a pool with their results.
  const std::vector<MatchEntry>& Matches(int idPool);
  // The pool's places (standings over its resolved positions and matches), in
  // the order of Contestants(); all -1 while undecided.
  const std::vector<int>& Places(int idPool);
  const std::vector<std::string>& Explanations(int idPool);

  // Reads the pools, positions and players of the whole tournament in one
  // statement each, instead of pool by pool. Needs the tournament id.
  void ReadToernooi();

  // Reads the matches and results of the whole tournament in one go, so that
  // ranking many of its pools does not read them pool by pool. Needs the
  // tournament id.
  void ReadMatchesOfToernooi();
  // The same with matches already read: all of the tournament's, with
  // their results. They are borrowed, not copied: all must stay put (not be
  // grown, shrunk or reordered) until this is called again, ReplacePool is
  // given its new form, or the resolver is cleared.
  void UseMatchesOfToernooi(const std::vector<MatchEntry>& all);

  // Fills the display data of one position.
  void Resolve(Contestant& c);
  // The sorted distinct classes of the players that can reach a pool.
  std::vector<std::string> ClassList(int idPool);

  // Forget everything read so far (after results changed).
  void Clear();

  // After a change in pools that the caller has re-read: forgets how these
  // pools were resolved and ranked (what they are built from stays).
  void Forget(const std::set<int>& pools);
  // A match of the tournament's list changed (result, table or time).
  void UpdateMatch(const MatchEntry& match);
  // A pool's matches and positions were read again; its positions are read
  // again on next need. all is the whole list again, with the pool's new
  // matches in it; borrowed as UseMatchesOfToernooi's.
  void ReplacePool(int idPool, const std::vector<MatchEntry>& all);
  // The pools read so far: what a resolution depended on.
  std::set<int> PoolsRead() const;
  // For each pool read, the pools its positions link to.
  LinkGraph Links();

  // How many standings this resolver computed (each pool at most once).
  int StandingsComputed() const { return standingsComputed_; }

 private:
  struct PoolData;
  PoolData* Load(int idPool);
  // The players behind these positions not read yet, in one statement.
  void ReadPlayersOf(const std::vector<ContestantRecord>& rows);
  void ReadAllPlayers();
  void ResolveOne(Contestant& c);
  void ResolvePlayer(Contestant& c, int idPlayer);
  void ResolveDuo(Contestant& c);
  void ResolvePlace(Contestant& c);
  void CollectClasses(int idPool, std::set<std::string>& classes, std::set<int>& visiting);
  bool GameCodesOf(const LPool& pool);

  Database& db_;
  int idToernooi_;
  std::map<int, std::unique_ptr<PoolData>> pools_;
  std::set<int> resolving_;  // pools whose positions are being resolved now
  bool playersRead_ = false;
  std::map<int, PlayerRecord> players_;
  int standingsComputed_ = 0;
  // Points every pool at its matches in the borrowed list, in a pool's order.
  void Borrow(const std::vector<MatchEntry>& all);

  bool allMatches_ = false;  // matchesByPool_ holds every match of the tournament
  std::vector<MatchEntry> ownMatches_;  // what ReadMatchesOfToernooi read, lent to itself
  std::map<int, std::vector<const MatchEntry*>> matchesByPool_;
  std::set<int> toernooiClasses_;
  std::map<int, int> classSystem_;  // effective match system per class id
  bool duosRead_ = false;
  std::map<int, DuoRecord> duos_;
};

// Reads the positions of a pool; with resolve, fills their display data.
void LoadContestants(Database& db, int idPool, std::vector<Contestant>& list, bool resolve);
// Resolves one position on its own.
void ResolveContestant(Database& db, Contestant& c);
// The class list of a pool (for the class filter of links and the "Klasse"
// choices).
std::vector<std::string> PoolClassList(Database& db, int idPool);

// The class filter of a link: the places of the contestants of class klasse
// renumbered 0, 1, 2, ... in standings order; everyone else (and removed
// positions, poolPos < 0) is moved out of reach (1000 and above).
std::vector<int> FilterPlacesByClass(const std::vector<int>& places, const std::vector<Contestant>& contestants,
                                     const std::string& klasse);

// The match cache of one tournament, with the display names of match sides
// and seats.
class MatchBook {
 public:
  explicit MatchBook(Database& db) : db_(db) {}

  // Clears everything and reads all matches and results of the tournament of
  // this match, with both display names of every match.
  void Refill(int idMatch);
  void FillToernooi(int idToernooi);
  // Only the pool of this match: its matches with their results and names,
  // and the pools its links resolve through. What a result dialog needs,
  // whatever the size of the tournament.
  void FillPoolOfMatch(int idMatch);
  void Clear();

  const std::vector<MatchEntry>& Matches() const { return matches_; }
  // Follows a change (a result, a table or time, a pool's positions) by
  // reading only what it touched; a change of the structure, or a book not
  // filled for a whole tournament, is read again as a whole. Gives the pools
  // whose matches were named again, or all when everything was read.
  struct Touched {
    bool all = false;
    std::set<int> pools;
  };
  Touched Apply(const DataChange& change);
  MatchEntry* FindMatch(int idMatch);
  // The matches of one pool, in book order.
  std::vector<MatchEntry> PoolMatches(int idPool) const;
  int Toernooi() const { return idToernooi_; }

  // Name of a match side: "Niet gespeeld", a winner of an earlier match, or
  // the position's name (with " (club)" when withClub). duo, when given,
  // receives the two player names of a duo side.
  std::string SideName(int value, int idPool, std::string duo[2] = nullptr);
  // Name of the seat-th position (0-based) of a pool: its name, "Bye" beyond
  // the positions, "Speler %d" when the pool's positions are not cached.
  std::string SeatName(int idPool, int seat, bool withSource);
  // The resolved positions of a pool (read on first need); null when the pool
  // does not exist.
  const std::vector<Contestant>* PoolContestants(int idPool);
  // The position with that id in a pool, or null.
  const Contestant* FindContestant(int idPool, int idContestant);
  // The effective match system of a pool, cached for the last pool asked.
  const MatchSystem& MatchSystemOfPool(int idPool);

  // Whether a result can be entered for a match: kUnknown ("1 of 2 spelers
  // zijn nog onbekend") while a side is not yet a known player, kBye ("Bye")
  // when a side is no position of the pool (an empty side included).
  enum class Sides { kReady, kUnknown, kBye };
  Sides CheckSides(const MatchEntry& match);

  bool withClub = false;

 private:
  LinkResolver& Resolver();
  void Name(MatchEntry& m);  // both side names
  void IndexMatches();
  // The position a side value stands for, following winners of earlier
  // matches; null when there is none (yet).
  const Contestant* SideContestant(int value, int idPool, bool& undecided);

  Database& db_;
  int idToernooi_ = -1;
  std::vector<MatchEntry> matches_;
  // Looked up, never walked in order: hashed, as a refresh fills them anew.
  std::unordered_map<int, size_t> matchIndex_;
  std::unordered_map<int, std::vector<size_t>> byPool_;  // pool id -> indexes into matches_
  bool whole_ = false;  // filled for the whole tournament
  LinkGraph links_;
  std::map<int, std::vector<Contestant>> contestants_;
  std::unique_ptr<LinkResolver> resolver_;
  int idPoolOfSystem_ = -1;
  MatchSystem system_;
};

}  // namespace velgram
