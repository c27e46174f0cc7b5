#include "competition/dropout.h"

#include <algorithm>
#include <bit>
#include <climits>

#include "competition/tables.h"
#include "store/database.h"
#include "support/ljson.h"
#include "support/prompt.h"
#include "support/text.h"

namespace velgram {

namespace {

// First-level seed pairs per size; seeds 1 and 2 can only meet in the final.
const int kSeeds2[] = {1, 2};
const int kSeeds4[] = {1, 4, 3, 2};
const int kSeeds8[] = {1, 8, 6, 4, 3, 5, 7, 2};
const int kSeeds16[] = {1, 16, 11, 8, 6, 9, 13, 4, 3, 14, 10, 5, 7, 12, 15, 2};

const int* SeedOrder(int dimension) {
  switch (dimension) {
    case 2:
      return kSeeds2;
    case 4:
      return kSeeds4;
    case 8:
      return kSeeds8;
    case 16:
      return kSeeds16;
    default:
      return nullptr;
  }
}

const MatchEntry* FindMatch(const std::vector<MatchEntry>& matches, int id) {
  for (const MatchEntry& m : matches)
    if (m.id == id) return &m;
  return nullptr;
}

// A bracket has at most four levels; anything deeper is a loop in damaged data.
constexpr int kMaxDepth = 8;

int SideAt(const std::vector<MatchEntry>& matches, int side, int depth);

int WinnerIndexAt(const std::vector<MatchEntry>& matches, const MatchRecord& m, int depth) {
  if (m.indexWinner >= 0) return m.indexWinner == 0 ? 0 : 1;
  if (depth > kMaxDepth) return -1;
  if (SideAt(matches, m.idContestant1, depth + 1) == 0) return 1;
  if (SideAt(matches, m.idContestant2, depth + 1) == 0) return 0;
  return -1;
}

int SideAt(const std::vector<MatchEntry>& matches, int side, int depth) {
  if (side >= 0) return side;
  if (depth > kMaxDepth) return -1;
  const MatchEntry* earlier = FindMatch(matches, -side);
  if (!earlier) return -1;
  int winner = WinnerIndexAt(matches, *earlier, depth + 1);
  if (winner < 0) return -1;
  return SideAt(matches, winner == 0 ? earlier->idContestant1 : earlier->idContestant2, depth + 1);
}

}  // namespace

int ValidBracketSize(int size) {
  int d = kMinBracketSize;
  while (d < size && d < kMaxBracketSize) d *= 2;
  return d;
}

LDropout::LDropout(const std::string& extra) {
  if (!extra.empty()) {
    Ljson json(extra);
    int stored = dimension;
    // A size that is no bracket (typed into the file, or from a damaged row)
    // would leave seats without a shape; take the bracket that holds it.
    if (json.GetInt("dimension", stored)) dimension = ValidBracketSize(stored);
  }
}

std::string LDropout::ExtraText() const { return Format("{ \"dimension\":%d }", dimension); }

void LDropout::Standings(const std::vector<Contestant>&, const std::vector<MatchEntry>&) {
  places.clear();
  explanations.clear();
}

bool LDropout::Grow() {
  if (dimension >= kMaxBracketSize) return false;
  dimension *= 2;
  return true;
}

bool LDropout::Shrink() {
  if (dimension <= kMinBracketSize) return false;
  dimension /= 2;
  return true;
}

std::vector<BracketMatch> BracketShape(int dimension) {
  std::vector<BracketMatch> shape;
  const int* seeds = SeedOrder(dimension);
  if (!seeds) return shape;
  int number = 1;
  for (int k = 0; k < dimension / 2; ++k, ++number) shape.push_back({number, 1, seeds[2 * k], seeds[2 * k + 1]});
  // Every later level pairs the winners of consecutive matches of the level
  // before it.
  int levelStart = 1;
  int levelSize = dimension / 2;
  for (int level = 2; levelSize > 1; ++level) {
    for (int k = 0; k < levelSize / 2; ++k, ++number)
      shape.push_back({number, level, -(levelStart + 2 * k), -(levelStart + 2 * k + 1)});
    levelStart += levelSize;
    levelSize /= 2;
  }
  return shape;
}

std::vector<CrossSeed> CrossOrder(int pools, int places, int dimension) {
  const int* order = SeedOrder(dimension);
  if (!order || pools < 1 || places < 1 || pools * places > dimension) return {};
  // The 0-based seat of each seed in first-round order: two seats first meet
  // in the level given by the highest bit in which their numbers differ.
  std::vector<int> seat(static_cast<size_t>(dimension) + 1);
  for (int i = 0; i < dimension; ++i) seat[static_cast<size_t>(order[i])] = i;
  auto meetLevel = [](int a, int b) { return static_cast<int>(std::bit_width(static_cast<unsigned>(a ^ b))); };

  std::vector<CrossSeed> seeds(static_cast<size_t>(pools * places), CrossSeed{-1, 0});
  std::vector<std::vector<int>> seatsOfPool(static_cast<size_t>(pools));
  for (int place = 1; place <= places; ++place) {
    const int first = (place - 1) * pools + 1;
    for (int k = 0; k < pools; ++k) {
      const int pool = place % 2 == 1 ? k : pools - 1 - k;
      int best = -1;
      int bestLevel = -1;
      for (int s = first; s < first + pools; ++s) {
        if (seeds[static_cast<size_t>(s - 1)].pool >= 0) continue;
        int level = INT_MAX;
        for (int other : seatsOfPool[static_cast<size_t>(pool)])
          level = std::min(level, meetLevel(seat[static_cast<size_t>(s)], other));
        if (level > bestLevel) {
          best = s;
          bestLevel = level;
        }
      }
      seeds[static_cast<size_t>(best - 1)] = {pool, place};
      seatsOfPool[static_cast<size_t>(pool)].push_back(seat[static_cast<size_t>(best)]);
    }
  }
  return seeds;
}

std::vector<std::string> FirstRoundPairings(const std::vector<Contestant>& seeds, int dimension) {
  auto name = [&](int seed) {
    return seed <= static_cast<int>(seeds.size()) ? seeds[static_cast<size_t>(seed - 1)].name : std::string("Bye");
  };
  std::vector<std::string> lines;
  for (const BracketMatch& m : BracketShape(dimension))
    if (m.level == 1)
      lines.push_back(Format("Wedstrijd %d: %s - %s", m.number, name(m.side1).c_str(), name(m.side2).c_str()));
  return lines;
}

std::vector<Contestant> SeatsWithByes(const std::vector<Contestant>& contestants, int idPool, int dimension) {
  std::vector<Contestant> seats = contestants;
  for (int seat = static_cast<int>(seats.size()); seat < dimension; ++seat) {
    Contestant bye;
    bye.id = 0;
    bye.idPool = idPool;
    bye.poolPos = seat;
    bye.sort = seat;
    bye.linktype = kLinkBye;
    seats.push_back(bye);
  }
  return seats;
}

bool ChangeBracketSize(Database& db, LDropout& pool, bool grow) {
  if (!(grow ? pool.Grow() : pool.Shrink())) return false;
  db.UpdatePool(pool.ToRecord());
  return true;
}

ActivateOutcome ActivateDropout(Database& db, Prompter& prompter, const LDropout& pool,
                                const std::vector<Contestant>& contestants) {
  // Every check comes before the old matches go: a refused start must not
  // cost the bracket that is there.
  if (contestants.empty()) {
    prompter.Alert("Er zijn geen spelers toegekend.");
    return ActivateOutcome::kNoContestants;
  }
  if (static_cast<int>(contestants.size()) > pool.dimension) {
    prompter.Alert(Format("Maximum aantal spelers is %d", pool.dimension));
    return ActivateOutcome::kTooMany;
  }
  if (pool.tables.empty()) {
    prompter.Alert("Er zijn geen tafels voor de wedstrijden.");
    return ActivateOutcome::kNoTables;
  }

  std::vector<Contestant> seats = SeatsWithByes(contestants, pool.id, pool.dimension);
  std::vector<BracketMatch> shape = BracketShape(pool.dimension);
  std::vector<int> levels;
  for (const BracketMatch& m : shape) levels.push_back(m.level);
  std::vector<TableTime> slots = KnockoutWaves(pool.tables, pool.starttime, levels);

  Transaction tx(db);
  if (!db.DeleteMatchesOfPool(pool.id)) return ActivateOutcome::kStoreFailed;
  std::vector<int> ids(shape.size() + 1, 0);
  auto sideValue = [&](int side) {
    return side > 0 ? seats[static_cast<size_t>(side - 1)].id : -ids[static_cast<size_t>(-side)];
  };
  for (size_t k = 0; k < shape.size(); ++k) {
    const BracketMatch& m = shape[k];
    int id = db.AddMatch(pool.id, sideValue(m.side1), sideValue(m.side2), slots[k].tafel, slots[k].starttime);
    if (id < 0) return ActivateOutcome::kStoreFailed;
    ids[static_cast<size_t>(m.number)] = id;
  }
  return tx.Commit() ? ActivateOutcome::kActivated : ActivateOutcome::kStoreFailed;
}

int KnockoutWinnerIndex(const std::vector<MatchEntry>& poolMatches, const MatchRecord& match) {
  return WinnerIndexAt(poolMatches, match, 0);
}

int KnockoutSide(const std::vector<MatchEntry>& poolMatches, int side) { return SideAt(poolMatches, side, 0); }

}  // namespace velgram
