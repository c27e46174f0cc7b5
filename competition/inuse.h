#pragma once
// Which pools use a participant, and which pools a pool takes its players
// from. Deleting a participant or reordering pools must not leave a position
// that points at nothing or at a pool played later.
#include <string>
#include <vector>

namespace velgram {

class Database;

// "%s speelt in %s / %s" for the first position of the tournament (classes and
// pools in their order) that holds one of the players; "" when none does.
std::string PlayersInUse(Database& db, int idToernooi, const std::vector<int>& idPlayers);

// The same for duo positions.
std::string DuosInUse(Database& db, int idToernooi, const std::vector<int>& idDuos);

// "%s zit in duo %s" when one of the players belongs to a duo of the
// tournament; "" otherwise. A duo without one of its players can no longer be
// shown or played.
std::string PlayersInDuos(Database& db, int idToernooi, const std::vector<int>& idPlayers);

// The pools whose places fill positions of this pool (linked positions only).
std::vector<int> PoolsLinkedFrom(Database& db, int idPool);

}  // namespace velgram
