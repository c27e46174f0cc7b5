#include "competition/inuse.h"

#include <algorithm>

#include "competition/pool.h"
#include "store/database.h"
#include "support/text.h"

namespace velgram {

namespace {

bool Contains(const std::vector<int>& ids, int id) { return std::find(ids.begin(), ids.end(), id) != ids.end(); }

// The first position of linktype kind whose participant is in ids, described
// with the name given by nameOf.
template <typename NameOf>
std::string FirstUse(Database& db, int idToernooi, const std::vector<int>& ids, int kind, NameOf nameOf) {
  if (ids.empty()) return "";
  std::vector<SystemRecord> classes;
  db.ListSystems(classes, idToernooi);
  for (const SystemRecord& cls : classes) {
    std::vector<ContestantRecord> positions;
    db.ListContestantsOfSystem(cls.id, positions);
    for (const ContestantRecord& pos : positions) {
      // Only the kind of position that names this participant: a duo position
      // and a player may share a number without being related.
      if (pos.linktype != kind || !Contains(ids, pos.idPlayer)) continue;
      PoolRecord pool;
      db.GetPool(pos.idPool, pool);
      return Format("%s speelt in %s / %s", nameOf(pos.idPlayer).c_str(), cls.name.c_str(), pool.name.c_str());
    }
  }
  return "";
}

}  // namespace

std::string PlayersInUse(Database& db, int idToernooi, const std::vector<int>& idPlayers) {
  return FirstUse(db, idToernooi, idPlayers, kLinkPlayer, [&db](int id) {
    PlayerRecord p;
    db.GetPlayer(p, id);
    return p.name;
  });
}

std::string DuosInUse(Database& db, int idToernooi, const std::vector<int>& idDuos) {
  return FirstUse(db, idToernooi, idDuos, kLinkDuo, [&db](int id) {
    DuoRecord d;
    db.GetDuo(d, id);
    return d.name;
  });
}

std::string PlayersInDuos(Database& db, int idToernooi, const std::vector<int>& idPlayers) {
  std::vector<DuoRecord> duos;
  db.ListDuos(duos, idToernooi);
  for (int id : idPlayers)
    for (const DuoRecord& d : duos)
      if (d.idPlayer1 == id || d.idPlayer2 == id) {
        PlayerRecord p;
        db.GetPlayer(p, id);
        return Format("%s zit in duo %s", p.name.c_str(), d.name.c_str());
      }
  return "";
}

std::vector<int> PoolsLinkedFrom(Database& db, int idPool) {
  std::vector<ContestantRecord> positions;
  db.ListContestants(idPool, positions);
  std::vector<int> pools;
  for (const ContestantRecord& pos : positions) {
    if (pos.linktype == kLinkPlayer || pos.linktype == kLinkBye || pos.linktype == kLinkDuo) continue;
    if (!Contains(pools, pos.idLinkedPool)) pools.push_back(pos.idLinkedPool);
  }
  return pools;
}

}  // namespace velgram
