#pragma once
// Trying out a tournament without real players: invented participants
// ("Simulatie", "Deelnemers toevoegen") and invented results for the open
// matches of a Swiss pool. Everything is written like real data.
#include <string>
#include <vector>

#include "competition/pool.h"

namespace velgram {

class Clock;
class Database;
class Random;

// The fields of "Simulatie deelnemers toevoegen" as typed.
struct SimParticipantsForm {
  std::string count;      // "Aantal deelnemers:"
  std::string minRating;  // "Minimale speelsterkte:"
  std::string maxRating;  // "Maximale speelsterkte:"
  bool duo = false;       // "Duo": every two players form a duo
};

inline constexpr int kMaxSimulatedParticipants = 100;

// Adds the participants to the tournament in one transaction and returns how
// many players were added; 0 when the form asks for nothing sensible (the
// dialog then closes as cancelled). The random source is seeded from the
// clock first.
int AddSimulatedParticipants(Database& db, int idToernooi, const SimParticipantsForm& form, Random& random,
                             Clock& clock);

enum class SimMode { kPerfect, kAntiPerfect, kWeighted };

// 0 when side 1 wins, 1 when side 2 wins.
int SimulatedWinner(SimMode mode, int rating1, int rating2, Random& random);
// The games of a simulated match won by `winner`: three straight games, or
// under "Duo Dudodeva" ten games with random loser points below gameStop.
std::vector<int> SimulatedGames(int winner, bool dudodeva, int gameStop, Random& random);

// Fills every open match of the pool whose both sides are positions of the
// pool (not NotPlayed, not a winner of another match) with a simulated result,
// in one transaction. Returns the number of results written.
int SimulateSwissResults(Database& db, const LPool& pool, const std::vector<Contestant>& contestants,
                         const std::vector<MatchEntry>& matches, SimMode mode, Random& random, Clock& clock);

}  // namespace velgram
