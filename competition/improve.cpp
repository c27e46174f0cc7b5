#include "competition/improve.h"

#include <algorithm>
#include <exception>
#include <unordered_map>

#if defined(_WIN32)
#include <windows.h>
#elif defined(__linux__)
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>
#endif

#include "support/clock.h"
#include "support/log.h"
#include "support/text.h"

namespace velgram {

namespace {

uint64_t Mix(uint64_t x) {
  // splitmix64 finaliser
  x += 0x9E3779B97F4A7C15ull;
  x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
  x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
  return x ^ (x >> 31);
}

// The search may take a whole core for minutes; the screen must stay
// responsive meanwhile.
void LowerThisThreadsPriority() {
#if defined(_WIN32)
  SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_BELOW_NORMAL);
#elif defined(__linux__)
  setpriority(PRIO_PROCESS, static_cast<id_t>(syscall(SYS_gettid)), 5);
#endif
}

}  // namespace

Pairing PairingOfCards(const std::vector<LCard>& cards) {
  std::unordered_map<int, int> indexOf;
  for (size_t i = 0; i < cards.size(); ++i) indexOf.emplace(cards[i].contestantId, static_cast<int>(i));
  Pairing pairing;
  for (size_t i = 0; i < cards.size(); ++i) {
    auto it = indexOf.find(cards[i].partner);
    if (cards[i].partner < 0 || it == indexOf.end()) continue;
    if (it->second > static_cast<int>(i)) pairing.emplace_back(static_cast<int>(i), it->second);
  }
  return pairing;
}

void NormalisePairing(Pairing& pairing) {
  for (auto& p : pairing)
    if (p.first > p.second) std::swap(p.first, p.second);
  std::sort(pairing.begin(), pairing.end());
}

bool DrawPairing(int n, Random& random, std::vector<int>& left, Pairing& out, const std::vector<char>* met) {
  left.resize(static_cast<size_t>(std::max(n, 0)));
  for (int i = 0; i < n; ++i) left[static_cast<size_t>(i)] = i;
  out.clear();
  size_t len = left.size();
  const size_t stride = static_cast<size_t>(std::max(n, 0));
  auto pair = [&](int a, int b) {
    out.emplace_back(a, b);
    return !met || !(*met)[static_cast<size_t>(a) * stride + static_cast<size_t>(b)];
  };
  while (len > 2) {
    const unsigned bound = static_cast<unsigned>(len);
    size_t a = static_cast<unsigned>(random.Next()) % bound;
    size_t b = static_cast<unsigned>(random.Next()) % bound;
    while (b == a) b = static_cast<unsigned>(random.Next()) % bound;
    if (!pair(left[a], left[b])) return false;
    // The higher position first, so that the lower one is not the one moved.
    if (a < b) std::swap(a, b);
    left[a] = left[--len];
    left[b] = left[--len];
  }
  if (len == 2) return pair(left[0], left[1]);
  return true;
}

Pairing RandomPairing(int n, Random& random) {
  std::vector<int> left;
  Pairing pairing;
  DrawPairing(n, random, left, pairing);
  return pairing;
}

uint64_t PairingFingerprint(const Pairing& pairing) {
  // A sum of the pairs' mixes does not depend on their order, so a candidate
  // needs no sorting to be recognised.
  uint64_t sum = 0;
  for (const auto& p : pairing) {
    uint32_t lo = static_cast<uint32_t>(std::min(p.first, p.second));
    uint32_t hi = static_cast<uint32_t>(std::max(p.first, p.second));
    sum += Mix((static_cast<uint64_t>(lo) << 32) | hi);
  }
  uint64_t h = Mix(sum ^ Mix(pairing.size()));
  return h == 0 ? 1 : h;  // 0 marks an empty slot
}

// ------------------------------------------------------------------- cost

PairingCost::PairingCost(const std::vector<LCard>& cards, const std::vector<MatchEntry>& matches) : cards_(cards) {
  const int n = static_cast<int>(cards_.size());
  std::unordered_map<int, int> indexOf;
  for (int i = 0; i < n; ++i) indexOf.emplace(cards_[static_cast<size_t>(i)].contestantId, i);
  auto index = [&](int contestant) {
    auto it = indexOf.find(contestant);
    return it == indexOf.end() ? -1 : it->second;
  };
  met_.assign(static_cast<size_t>(n) * static_cast<size_t>(n), 0);
  history_.reserve(matches.size());
  for (const MatchEntry& m : matches) {
    int a = index(m.idContestant1);
    int b = index(m.idContestant2);
    history_.emplace_back(a, b);
    if (a >= 0 && b >= 0) {
      met_[static_cast<size_t>(a) * n + b] = 1;
      met_[static_cast<size_t>(b) * n + a] = 1;
    }
  }
}

bool PairingCost::HasRematch(const Pairing& pairing) const {
  const size_t n = cards_.size();
  for (const auto& p : pairing)
    if (met_[static_cast<size_t>(p.first) * n + static_cast<size_t>(p.second)]) return true;
  return false;
}

namespace {

// The keys of the standings as unsigned numbers that sort ascending: points,
// resistance and rating descending, byes ascending.
uint32_t Ascending(int x) { return static_cast<uint32_t>(x) ^ 0x80000000u; }
uint32_t Descending(int x) { return Ascending(~x); }

}  // namespace

double PairingCost::operator()(const Pairing& pairing) const {
  const int n = static_cast<int>(cards_.size());
  const size_t count = cards_.size();
  points_.resize(count);
  resistance_.resize(count);
  byes_.resize(count);
  paired_.assign(count, 0);
  for (size_t i = 0; i < count; ++i) {
    points_[i] = cards_[i].points;
    resistance_[i] = cards_[i].resistance;
    byes_[i] = cards_[i].byes;
  }
  for (const auto& p : pairing) {
    const int members[2] = {p.first, p.second};
    for (int k = 0; k < 2; ++k) {
      const size_t self = static_cast<size_t>(members[k]);
      if (paired_[self]) continue;  // only its first pair counts
      int o = members[1 - k];
      int i = members[k];
      const LCard& me = cards_[self];
      const LCard& other = cards_[static_cast<size_t>(o)];
      paired_[self] = 1;
      if (me.rating > other.rating || (me.rating == other.rating && i < o)) ++points_[self];
      resistance_[self] += other.rating;
    }
  }
  for (size_t i = 0; i < count; ++i)
    if (!paired_[i]) ++byes_[i];

  // The projected standings: positions of the cards after the round. Equal
  // cards keep their order: the index is the last key.
  keys_.resize(count);
  for (size_t i = 0; i < count; ++i) {
    keys_[i].first = (static_cast<uint64_t>(Descending(points_[i])) << 32) | Descending(resistance_[i]);
    keys_[i].second = (static_cast<uint64_t>(Descending(cards_[i].rating)) << 32) | Ascending(byes_[i]);
    keys_[i].index = static_cast<int>(i);
  }
  std::sort(keys_.begin(), keys_.end(), [](const SortKey& a, const SortKey& b) {
    if (a.first != b.first) return a.first < b.first;
    if (a.second != b.second) return a.second < b.second;
    return a.index < b.index;
  });
  position_.resize(count);
  for (int p = 0; p < n; ++p) position_[static_cast<size_t>(keys_[static_cast<size_t>(p)].index)] = p;
  auto pos = [&](int index) { return index >= 0 ? position_[static_cast<size_t>(index)] : n; };

  double s = 0;
  int64_t m = 0;
  for (const auto& p : pairing) {
    double d = pos(p.first) - pos(p.second);
    s += d * d;
    ++m;
  }
  for (const auto& h : history_) {
    double d = pos(h.first) - pos(h.second);
    s += d * d;
    ++m;
  }
  double value = m > 0 ? s / static_cast<double>(m) : 0;

  for (size_t i = 0; i < count; ++i)
    for (int k = 1; k < byes_[i]; ++k) value *= value;
  for (int p = 0; p < n; ++p)
    if (!paired_[static_cast<size_t>(keys_[static_cast<size_t>(p)].index)]) value *= 1 + (n - p) / 50.0;
  return value;
}

double Cost(const std::vector<LCard>& cards, const std::vector<MatchEntry>& matches, const Pairing& pairing) {
  return PairingCost(cards, matches)(pairing);
}

// ----------------------------------------------------------- fingerprints

size_t FingerprintSet::Find(uint64_t key) const {
  const size_t mask = slots_.size() - 1;
  size_t i = static_cast<size_t>(key) & mask;
  while (slots_[i] != 0 && slots_[i] != key) i = (i + 1) & mask;
  return i;
}

bool FingerprintSet::Contains(uint64_t key) const {
  if (slots_.empty()) return false;
  return slots_[Find(key)] == key;
}

void FingerprintSet::Grow() {
  std::vector<uint64_t> old;
  old.swap(slots_);
  slots_.assign(old.empty() ? 1024 : old.size() * 2, 0);
  for (uint64_t key : old)
    if (key != 0) slots_[Find(key)] = key;
}

bool FingerprintSet::Insert(uint64_t key) {
  if (key == 0) key = 1;
  if (slots_.empty()) Grow();
  size_t i = Find(key);
  if (slots_[i] == key) return false;
  if (stored_ >= kMaxEntries) return true;  // full: new, but not kept
  if ((stored_ + 1) * 4 > slots_.size() * 3 && slots_.size() < kMaxSlots) {
    Grow();
    i = Find(key);
  }
  slots_[i] = key;
  ++stored_;
  return true;
}

void FingerprintSet::Clear() {
  std::vector<uint64_t>().swap(slots_);
  stored_ = 0;
}

// ----------------------------------------------------------------- engine

ShuffleEngine::ShuffleEngine(std::vector<LCard> cards, std::vector<MatchEntry> matches, Clock& clock,
                             std::unique_ptr<Random> random, uint32_t seed)
    : cards_(std::move(cards)),
      matches_(std::move(matches)),
      clock_(clock),
      random_(std::move(random)),
      seed_(seed),
      cost_(cards_, matches_) {}

ShuffleEngine::~ShuffleEngine() { Stop(); }

uint32_t ShuffleEngine::SeedFromClock(Clock& clock) {
  DateTime now = clock.NowLocal();
  return static_cast<uint32_t>(clock.NowUnix()) ^ static_cast<uint32_t>(now.fraction);
}

void ShuffleEngine::Setup() {
  // The same seed at every Start would replay the candidates of the run
  // before, and a restart could never find anything new.
  random_->Seed(seed_ + runs_++ * 0x9E3779B9u);
  seen_.Clear();
  Pairing initial = PairingOfCards(cards_);
  double value = cost_(initial);
  int64_t now = clock_.NowUnix();
  std::lock_guard<std::mutex> lock(mutex_);
  initialPairing_ = initial;
  bestPairing_ = std::move(initial);
  initialValue_ = bestValue_ = value;
  shuffleCount_ = 0;
  seenCount_ = 0;
  seenBytes_ = 0;
  startTime_ = lastImprovement_ = now;
  started_ = true;
}

void ShuffleEngine::Step() {
  // Rematches are by far the most common reason to skip a candidate once a
  // few rounds are played: the draw stops at the first one, and such a
  // candidate needs neither sorting nor hashing.
  bool evaluate = DrawPairing(cost_.CardCount(), *random_, left_, candidate_, &cost_.Met());
  uint64_t fingerprint = 0;
  if (evaluate) {
    fingerprint = PairingFingerprint(candidate_);
    evaluate = !seen_.Contains(fingerprint);
  }
  double value = evaluate ? cost_(candidate_) : 0;
  if (evaluate) seen_.Insert(fingerprint);

  std::lock_guard<std::mutex> lock(mutex_);
  ++shuffleCount_;
  if (!evaluate) return;
  ++seenCount_;
  seenBytes_ = seen_.Bytes();
  if (value < bestValue_) {
    NormalisePairing(candidate_);  // only a new best is shown, and so sorted
    bestPairing_ = candidate_;     // replaced whole, under the lock
    bestValue_ = value;
    lastImprovement_ = clock_.NowUnix();
  }
}

void ShuffleEngine::Work() {
  LowerThisThreadsPriority();
  try {
    Setup();
    // Fewer than two cards allow one arrangement only: nothing to search.
    while (!stopRequested_.load(std::memory_order_relaxed) && cost_.CardCount() >= 2) Step();
  } catch (const std::exception& e) {
    const char* what = e.what();
    Log("LDlgShuffle::StartThread  EXCEPTION: %s", what && *what ? what : "Unknown exception");
  } catch (...) {
    Log("LDlgShuffle::StartThread  EXCEPTION");
  }
  running_.store(false);
}

void ShuffleEngine::Start() {
  if (running_.load()) return;
  if (worker_.joinable()) worker_.join();  // a worker that ended on its own
  {
    // Until the worker has set up, a snapshot shows a fresh start rather
    // than the figures of the previous run.
    std::lock_guard<std::mutex> lock(mutex_);
    started_ = false;
    shuffleCount_ = seenCount_ = 0;
  }
  stopRequested_.store(false);
  running_.store(true);
  worker_ = std::thread(&ShuffleEngine::Work, this);
}

void ShuffleEngine::Stop() {
  stopRequested_.store(true);
  if (worker_.joinable()) worker_.join();
  running_.store(false);
}

void ShuffleEngine::RunCandidates(int64_t candidates) {
  if (running_.load()) return;
  Setup();
  if (cost_.CardCount() < 2) return;
  for (int64_t i = 0; i < candidates; ++i) Step();
}

ShuffleSnapshot ShuffleEngine::Snapshot() const {
  ShuffleSnapshot s;
  std::lock_guard<std::mutex> lock(mutex_);
  s.initialPairing = initialPairing_;
  s.bestPairing = bestPairing_;
  s.initialValue = initialValue_;
  s.bestValue = bestValue_;
  s.shuffleCount = shuffleCount_;
  s.seenCount = seenCount_;
  s.startTime = startTime_;
  s.lastImprovement = lastImprovement_;
  s.seenBytes = seenBytes_;
  s.started = started_;
  s.running = running_.load();
  return s;
}

std::vector<LCard> ShuffleEngine::ResultCards() const {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!(bestValue_ > 0)) return {};
  std::vector<LCard> result = cards_;
  for (LCard& c : result) c.partner = kCardBye;
  for (const auto& p : bestPairing_) {
    result[static_cast<size_t>(p.first)].partner = cards_[static_cast<size_t>(p.second)].contestantId;
    result[static_cast<size_t>(p.second)].partner = cards_[static_cast<size_t>(p.first)].contestantId;
  }
  return result;
}

std::vector<PairCell> PairingMatrix(const std::vector<LCard>& cards, const std::vector<MatchEntry>& matches,
                                    const Pairing& pairing) {
  const size_t n = cards.size();
  std::vector<PairCell> cells(n * n, PairCell::kEmpty);
  std::unordered_map<int, size_t> indexOf;
  for (size_t i = 0; i < n; ++i) {
    indexOf.emplace(cards[i].contestantId, i);
    cells[i * n + i] = PairCell::kSelf;
  }
  for (const MatchEntry& m : matches) {
    auto a = indexOf.find(m.idContestant1);
    auto b = indexOf.find(m.idContestant2);
    if (a == indexOf.end() || b == indexOf.end() || a->second == b->second) continue;
    bool firstWon = m.indexWinner == 0;
    cells[a->second * n + b->second] = firstWon ? PairCell::kWon : PairCell::kLost;
    cells[b->second * n + a->second] = firstWon ? PairCell::kLost : PairCell::kWon;
  }
  for (const auto& [a, b] : pairing) {
    if (a < 0 || b < 0 || static_cast<size_t>(a) >= n || static_cast<size_t>(b) >= n) continue;
    cells[static_cast<size_t>(a) * n + static_cast<size_t>(b)] = PairCell::kPaired;
    cells[static_cast<size_t>(b) * n + static_cast<size_t>(a)] = PairCell::kPaired;
  }
  return cells;
}

ShuffleFigures FiguresOf(const ShuffleSnapshot& s, int64_t now) {
  ShuffleFigures f;
  f.shuffles = FormatShuffleCount(static_cast<double>(s.shuffleCount));
  f.evaluations = FormatShuffleCount(static_cast<double>(s.seenCount));
  f.initialValue = Format("%1.2f", s.initialValue);
  f.bestValue = Format("%1.2f", s.bestValue);
  f.sinceChange = Format("%d", static_cast<int>(now - s.lastImprovement));
  int64_t elapsed = now - s.startTime;
  f.speed = Format("%1.2f", static_cast<double>(s.shuffleCount) / static_cast<double>(elapsed > 0 ? elapsed : 1));
  return f;
}

std::string FormatShuffleCount(double value) {
  std::string text = Format("%1.0f", value);
  size_t digitsStart = (!text.empty() && text[0] == '-') ? 1 : 0;
  std::string out = text.substr(0, digitsStart);
  size_t digits = text.size() - digitsStart;
  for (size_t i = 0; i < digits; ++i) {
    if (i > 0 && (digits - i) % 3 == 0) out += ',';
    out += text[digitsStart + i];
  }
  return out;
}

}  // namespace velgram
