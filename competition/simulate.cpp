#include "competition/simulate.h"

#include <climits>
#include <unordered_map>

#include "store/database.h"
#include "support/clock.h"
#include "support/random.h"
#include "support/text.h"

namespace velgram {

namespace {

// Like atoi, but saturating instead of overflowing.
int ReadNumber(const std::string& text) {
  const char* p = text.c_str();
  while (*p == ' ' || *p == '\t') ++p;
  bool negative = false;
  if (*p == '+' || *p == '-') negative = *p++ == '-';
  long long v = 0;
  while (*p >= '0' && *p <= '9' && v <= INT_MAX) v = v * 10 + (*p++ - '0');
  if (v > INT_MAX) v = INT_MAX;
  return static_cast<int>(negative ? -v : v);
}

int Draw(Random& random, int bound) {
  return static_cast<int>(static_cast<unsigned>(random.Next()) % static_cast<unsigned>(bound));
}

void SeedFromClock(Random& random, Clock& clock) {
  DateTime now = clock.NowLocal();
  random.Seed(static_cast<uint32_t>(clock.NowUnix()) ^ static_cast<uint32_t>(now.fraction));
}

}  // namespace

int AddSimulatedParticipants(Database& db, int idToernooi, const SimParticipantsForm& form, Random& random,
                             Clock& clock) {
  int n = ReadNumber(form.count);
  const int lo = ReadNumber(form.minRating);
  const int hi = ReadNumber(form.maxRating);
  if (n > kMaxSimulatedParticipants) n = kMaxSimulatedParticipants;
  if (n <= 0 || lo < 0 || lo > hi) return 0;

  DateTime now = clock.NowLocal();
  SeedFromClock(random, clock);

  Transaction tx(db);
  int added = 0;
  int heldBack = -1;  // first player of a duo being formed
  for (int i = 1; i <= n; ++i) {
    PlayerRecord player;
    player.gender = -1;  // unknown: 0 would make every test participant a woman
    player.idClub = db.GetOrAddClub(Format("OT %d", Draw(random, 5) + 1));
    player.name = Format("Deelnemer %d%d%d", now.minute, now.second, i);
    player.rating = lo == hi ? lo : lo + Draw(random, hi - lo);
    int id = db.AddPlayer(player, idToernooi);
    if (id < 0) return 0;
    ++added;
    if (!form.duo) continue;
    if (heldBack < 0) {
      heldBack = id;
    } else {
      DuoRecord duo;
      duo.idPlayer1 = heldBack;
      duo.idPlayer2 = id;
      db.AddDuo(duo, idToernooi);
      heldBack = -1;
    }
  }
  return tx.Commit() ? added : 0;
}

int SimulatedWinner(SimMode mode, int rating1, int rating2, Random& random) {
  switch (mode) {
    case SimMode::kPerfect:
      return rating1 >= rating2 ? 0 : 1;
    case SimMode::kAntiPerfect:
      return rating1 >= rating2 ? 1 : 0;
    case SimMode::kWeighted:
      break;
  }
  // Without ratings to weigh (both 0) the match is an even one.
  double sum = static_cast<double>(rating1) + rating2;
  double p = sum != 0 ? rating1 / sum : 0.5;
  double x = Draw(random, 1000) * p;
  return x > 250.0 ? 1 : 0;
}

std::vector<int> SimulatedGames(int winner, bool dudodeva, int gameStop, Random& random) {
  const int sign = winner == 0 ? 1 : -1;
  if (!dudodeva) return std::vector<int>(3, sign);
  std::vector<int> games;
  for (int g = 0; g < 10; ++g) {
    // A game to fewer than 2 points leaves the loser nothing to score.
    int code = gameStop >= 2 ? Draw(random, gameStop - 1) + 1 : 1;
    games.push_back(sign * code);
  }
  return games;
}

int SimulateSwissResults(Database& db, const LPool& pool, const std::vector<Contestant>& contestants,
                         const std::vector<MatchEntry>& matches, SimMode mode, Random& random, Clock& clock) {
  SeedFromClock(random, clock);
  MatchSystem system;
  db.GetMatchSystem(system, pool.idMatchSystem);
  const bool dudodeva = system.name == "Duo Dudodeva";

  std::unordered_map<int, int> ratingOf;
  for (const Contestant& c : contestants) ratingOf.emplace(c.id, c.rating);

  Transaction tx(db);
  int written = 0;
  for (const MatchEntry& m : matches) {
    if (m.indexWinner >= 0) continue;
    auto side1 = ratingOf.find(m.idContestant1);
    auto side2 = ratingOf.find(m.idContestant2);
    if (side1 == ratingOf.end() || side2 == ratingOf.end()) continue;
    int winner = SimulatedWinner(mode, side1->second, side2->second, random);
    db.WriteWinner(m.id, winner);
    db.WriteGames(m.id, SimulatedGames(winner, dudodeva, system.gameStop, random));
    ++written;
  }
  return tx.Commit() ? written : 0;
}

}  // namespace velgram
