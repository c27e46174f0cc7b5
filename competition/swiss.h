#pragma once
// The Swiss pool: standings by wins plus byes with "Weerstand" as tie-break,
// and the calculation of the next round (pairing within score groups without
// rematches, a few byes at most, matches written in table waves).
#include <cstdint>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "competition/pool.h"

namespace velgram {

class Clock;
class Database;

// LCard::partner values other than a contestant id.
inline constexpr int kCardUnpaired = -1;
inline constexpr int kCardBye = -2;
inline constexpr int kCardWritten = -3;

// One active contestant as the pairing sees it.
struct LCard {
  LCard() = default;
  LCard(int contestantId, int points, int resistance, int rating, int byes, int partner = kCardUnpaired)
      : contestantId(contestantId), points(points), resistance(resistance), rating(rating), byes(byes),
        partner(partner) {}
  virtual ~LCard() = default;
  LCard(const LCard&) = default;
  LCard& operator=(const LCard&) = default;

  int contestantId = 0;
  int points = 0;      // wins plus byes so far
  int resistance = 0;  // "Weerstand"
  int rating = 0;
  int byes = 0;
  int partner = kCardUnpaired;  // a contestant id or one of the kCard values
};

// Standings order: points, "Weerstand" and rating descending, then fewer byes
// first; equal cards keep their order.
void SortCards(std::vector<LCard>& cards);

// The pairing distance B from the "SwissBorder" setting for a pool with the
// given number of positions (removed ones included).
int SwissBorderDistance(const std::string& setting, int positions);

struct PairingLimits {
  int maxByesPerPlayer;
  bool allowEvenBye;
  int maxByesPerRound;
};
// The attempts of a round calculation, from strict to lenient.
extern const PairingLimits kPairingAttempts[7];

// Game points of a contestant under "Duo Dudodeva".
struct DuoGamePoints {
  int total = 0;
  int matches = 0;  // matches with at least one stored game
  double average = 0;
};

// Looks at the proposed pairing of a round and may replace it (the
// improvement dialog). The cards come in standings order with the partners of
// the proposal; an empty answer keeps the proposal.
class PairingReviewer {
 public:
  virtual ~PairingReviewer() = default;
  virtual std::vector<LCard> Review(const std::vector<LCard>& cards, const std::vector<MatchEntry>& matches) = 0;
};

enum class RoundOutcome {
  kWritten,
  kNoPairing,    // no pairing under any limits, or only byes; nothing written
  kNoTables,     // the pool has no tables left; nothing written
  kStoreFailed,  // the database refused a statement; nothing written
};

class LSwiss : public LPool {
 public:
  explicit LSwiss(const std::string& extra = "");
  int Playstyle() const override { return kPlaystyleSwiss; }
  std::string ExtraText() const override { return ""; }
  int PaneResource() const override { return 181; }
  // Ranks by points, then "Weerstand", then contestant order. Reads the
  // pool's rounds when a database is attached, else uses `rounds` as set.
  void Standings(const std::vector<Contestant>& contestants, const std::vector<MatchEntry>& matches) override;

  // Where Standings reads the pool's rounds (the current round decides the
  // byes). Pools built by the pool factory should get the database.
  void AttachDatabase(Database* db) { database_ = db; }

  // Takes over the pool's data and derives maxRound from the rounds.
  void SetData(std::vector<Contestant> contestantList, std::vector<MatchEntry> matchList,
               std::vector<RoundEntry> roundList);

  // Figures of one contestant of `contestants` (as set by SetData/Standings).
  int Wins(const Contestant& c) const;
  int Byes(const Contestant& c) const;
  int Points(const Contestant& c) const;
  int Resistance(const Contestant& c) const;
  double SwissScore(const Contestant& c) const;  // points + Weerstand / 100000
  std::string SwissScoreText(const Contestant& c) const;
  DuoGamePoints GamePoints(const Contestant& c, int gameStop) const;

  // --- pairing ------------------------------------------------------------
  // One unpaired card per active contestant, sorted.
  void BuildCards();
  void ComputeGroups();
  // Depth-first search for partners of all unpaired cards under the current
  // limits and border.
  bool SearchPairing();
  // Builds, sorts and pairs the cards, trying the limits in turn.
  bool PairCards();
  bool HaveMet(int contestantA, int contestantB) const;

  // Calculates and writes round maxRound + 1 on the data set by SetData, in
  // one transaction. The reviewer (may be null) is asked from round 2 on. The
  // first wave starts at the clock's time of day.
  RoundOutcome WriteNextRound(Database& db, Clock& clock, PairingReviewer* reviewer);
  // Reads the pool's contestants, matches and rounds, then WriteNextRound.
  RoundOutcome CalculateNextRound(Database& db, Clock& clock, PairingReviewer* reviewer);
  // Reads contestants (resolved), matches with results and rounds of this pool.
  void Load(Database& db);

  int maxRound = 0;
  std::vector<LCard> cards;
  std::vector<Contestant> contestants;
  std::vector<MatchEntry> matches;
  std::vector<RoundEntry> rounds;
  std::vector<int> groupStarts;
  int maxByesPerPlayer = 1;
  bool allowEvenBye = false;
  int maxByesPerRound = 1;
  int border = 5;  // the distance B of the current calculation

 private:
  struct Tally {
    int wins = 0;
    int matches = 0;
    int resistance = 0;
    int walkovers = 0;  // matches decided by a walkover, counted without resistance
  };
  void Recount();
  const Tally* TallyOf(int contestantId) const;

  Database* database_ = nullptr;
  std::unordered_map<int, Tally> tallies_;
  std::unordered_set<uint64_t> met_;  // pairs that played in an earlier round
};

// Removes the round's results, matches and round rows (one transaction).
bool DeleteSwissRound(Database& db, int idPool, int round);  // false: nothing deleted

// Gives a contestant that joins a running Swiss pool a lost match against
// NotPlayed (table 1, 9:00, three games lost 0-11) in every round played so
// far.
void AddMissedRounds(Database& db, int idPool, int idContestant);

}  // namespace velgram
