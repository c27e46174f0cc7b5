#pragma once
// The improvement search of a Swiss round ("Bereken Zwitserse ronde"): random
// pairings of the cards, rated by how far apart the paired players stand in
// the standings the round would produce, run on a worker thread until the
// director stops it. The dialog only shows snapshots and calls Start, Stop
// and ResultCards.
#include <atomic>
#include <string>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include "competition/swiss.h"
#include "support/random.h"

namespace velgram {

class Clock;

// Pairs of card indices; a card in no pair has the bye.
using Pairing = std::vector<std::pair<int, int>>;

// The pairs of the cards' partners, each pair once as (lower, higher) index,
// in card order.
Pairing PairingOfCards(const std::vector<LCard>& cards);
// Each pair as (smaller, larger), the list sorted.
void NormalisePairing(Pairing& pairing);
// A uniformly drawn pairing of n cards: two distinct positions at a time from
// the remaining indices; an odd one out stays unpaired. Not normalised.
Pairing RandomPairing(int n, Random& random);
// The same draw into reused buffers (`left` is scratch): no allocation once
// they have grown. A drawn card leaves the list by trading places with the
// last one, which keeps every remaining card equally likely. With `met` (an
// n x n matrix, non-zero where two cards played before) the draw stops at the
// first pair that played before and returns false: that candidate is skipped
// whatever the rest of it would be.
bool DrawPairing(int n, Random& random, std::vector<int>& left, Pairing& out, const std::vector<char>* met = nullptr);

// The cost of pairings (lower is better): the mean squared distance, in the
// standings the pairing would produce, over its pairs and all earlier
// matches; made worse for repeated byes and for byes high in the standings.
class PairingCost {
 public:
  PairingCost(const std::vector<LCard>& cards, const std::vector<MatchEntry>& matches);
  double operator()(const Pairing& pairing) const;
  // True when a pair of the pairing played before.
  bool HasRematch(const Pairing& pairing) const;
  int CardCount() const { return static_cast<int>(cards_.size()); }
  // n x n, non-zero where the two cards played before.
  const std::vector<char>& Met() const { return met_; }

 private:
  std::vector<LCard> cards_;
  // Earlier matches as card indices; -1 for a side that is no card.
  std::vector<std::pair<int, int>> history_;
  std::vector<char> met_;  // n x n
  // Scratch space, reused by every evaluation of this object.
  struct SortKey {
    uint64_t first;   // points and resistance
    uint64_t second;  // rating and byes
    int index;
  };
  mutable std::vector<int> points_, resistance_, byes_;
  mutable std::vector<char> paired_;
  mutable std::vector<SortKey> keys_;
  mutable std::vector<int> position_;
};

// One-off evaluation.
double Cost(const std::vector<LCard>& cards, const std::vector<MatchEntry>& matches, const Pairing& pairing);

// The candidates already evaluated, as 64-bit fingerprints in an open-address
// table. The table grows up to kMaxEntries fingerprints (kMaxBytes of memory);
// beyond that new fingerprints are no longer stored, so a repeat of one of
// them is evaluated again (harmless: it cannot beat the best, which needs a
// strictly lower cost) and counted again.
class FingerprintSet {
 public:
  static constexpr size_t kMaxSlots = size_t{1} << 22;
  static constexpr size_t kMaxBytes = kMaxSlots * sizeof(uint64_t);  // 32 MiB
  static constexpr size_t kMaxEntries = kMaxSlots / 4 * 3;

  // True when the fingerprint was new (and is now held, room permitting).
  bool Insert(uint64_t fingerprint);
  bool Contains(uint64_t fingerprint) const;
  void Clear();
  size_t Stored() const { return stored_; }
  size_t Bytes() const { return slots_.capacity() * sizeof(uint64_t); }

 private:
  size_t Find(uint64_t key) const;
  void Grow();
  std::vector<uint64_t> slots_;
  size_t stored_ = 0;
};

// The same for a pairing whatever the order of its pairs and of the two cards
// within a pair.
uint64_t PairingFingerprint(const Pairing& pairing);

struct ShuffleSnapshot {
  Pairing initialPairing;
  Pairing bestPairing;
  double initialValue = 0;
  double bestValue = 0;
  int64_t shuffleCount = 0;  // candidates drawn since Start
  int64_t seenCount = 0;     // distinct rematch-free candidates evaluated
  int64_t startTime = 0;     // clock seconds
  int64_t lastImprovement = 0;
  size_t seenBytes = 0;      // memory held for duplicate detection
  bool running = false;
  bool started = false;  // the initial pairing has been set up
};

class ShuffleEngine {
 public:
  // The cards in standings order with the partners of the proposed pairing;
  // the matches of the pool. The worker's random source is seeded with
  // `seed` at the first Start (use SeedFromClock in the program) and with a
  // seed derived from it at every later one, so a restart searches anew and
  // a test still replays exactly.
  ShuffleEngine(std::vector<LCard> cards, std::vector<MatchEntry> matches, Clock& clock,
                std::unique_ptr<Random> random, uint32_t seed);
  // Stops and joins the worker: the engine never outlives it.
  ~ShuffleEngine();
  ShuffleEngine(const ShuffleEngine&) = delete;
  ShuffleEngine& operator=(const ShuffleEngine&) = delete;

  static uint32_t SeedFromClock(Clock& clock);

  // Starts the worker (ignored while it runs). With fewer than two cards
  // there is nothing to rearrange: the worker sets up and ends at once.
  void Start();
  // Asks the worker to end and waits for it.
  void Stop();
  bool Running() const { return running_.load(); }
  // Copied under the lock: never a half-replaced pairing.
  ShuffleSnapshot Snapshot() const;

  // Synchronous form of the worker for tests and benchmarks: sets up like
  // Start and evaluates `candidates` draws on the calling thread.
  void RunCandidates(int64_t candidates);

  // OK of the dialog: the cards with the partners of the best pairing (all
  // others a bye), or empty when the best value is not above 0.
  std::vector<LCard> ResultCards() const;
  const std::vector<LCard>& Cards() const { return cards_; }

 private:
  void Setup();
  void Step();
  void Work();

  const std::vector<LCard> cards_;
  const std::vector<MatchEntry> matches_;
  Clock& clock_;
  std::unique_ptr<Random> random_;
  const uint32_t seed_;
  PairingCost cost_;

  // Worker-only state.
  uint32_t runs_ = 0;  // Starts so far, for the seed of the next one
  FingerprintSet seen_;
  Pairing candidate_;
  std::vector<int> left_;  // scratch of the draw

  mutable std::mutex mutex_;  // guards the fields below and seen_'s size
  Pairing initialPairing_;
  Pairing bestPairing_;
  double initialValue_ = 0;
  double bestValue_ = 0;
  int64_t shuffleCount_ = 0;
  int64_t seenCount_ = 0;
  int64_t startTime_ = 0;
  int64_t lastImprovement_ = 0;
  size_t seenBytes_ = 0;
  bool started_ = false;

  std::atomic<bool> stopRequested_{false};
  std::atomic<bool> running_{false};
  std::thread worker_;
};

// The cells of the dialog's n x n matrices (rows and columns are the cards in
// their order), row-major.
enum class PairCell {
  kEmpty,   // white
  kSelf,    // black diagonal
  kWon,     // green: the row's contestant won an earlier match against the column's
  kLost,    // red
  kPaired,  // blue: a pair of the pairing shown
};
std::vector<PairCell> PairingMatrix(const std::vector<LCard>& cards, const std::vector<MatchEntry>& matches,
                                    const Pairing& pairing);

// The figures of the dialog for a snapshot at clock second `now`.
struct ShuffleFigures {
  std::string shuffles;      // "Aantal shuffles:"
  std::string evaluations;   // "Aantal berekeningen:"
  std::string initialValue;  // the proposal's cost
  std::string bestValue;     // "Beste waarde:"
  std::string sinceChange;   // "Seconden sinds laatste wijziging:"
  std::string speed;         // "Snelheid:" candidates per second
};
ShuffleFigures FiguresOf(const ShuffleSnapshot& snapshot, int64_t now);

// Formats a count as the dialog shows it: "%1.0f" with thousands commas
// (1234567 -> "1,234,567").
std::string FormatShuffleCount(double value);

}  // namespace velgram
