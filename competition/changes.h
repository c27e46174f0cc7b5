#pragma once
// What a write changed, as the open screens need to know it: each one updates
// the rows and standings a change touches instead of reading the tournament
// again, and reads everything again only after a change of the structure.
#include <map>
#include <set>

namespace velgram {

enum class ChangeKind {
  kResult,     // a match's result stored or cleared
  kTableTime,  // a match's table or start time
  kPositions,  // a pool's positions, and the matches that came with them
  kStructure,  // anything else: classes, pools, players, matches added or removed
};

struct DataChange {
  ChangeKind kind = ChangeKind::kStructure;
  int idMatch = -1;  // kResult and kTableTime
  int idPool = -1;   // the pool of the match, or the pool whose positions changed; -1 unknown

  static DataChange Result(int idMatch, int idPool = -1) { return {ChangeKind::kResult, idMatch, idPool}; }
  static DataChange TableTime(int idMatch, int idPool = -1) { return {ChangeKind::kTableTime, idMatch, idPool}; }
  static DataChange Positions(int idPool) { return {ChangeKind::kPositions, -1, idPool}; }
  static DataChange Structure() { return {}; }
};

// For each pool, the pools its positions link to.
using LinkGraph = std::map<int, std::set<int>>;

// The pools whose shown matches or standings a change in pool idPool can
// alter. A table or time shows in its own pool only (a later knockout match
// names an undecided one by its time and table). A result or new positions
// also move the pool's places, so every pool that links to it, directly or
// through other pools, follows.
std::set<int> PoolsTouched(ChangeKind kind, int idPool, const LinkGraph& linksOf);

}  // namespace velgram
