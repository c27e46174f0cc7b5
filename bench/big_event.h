#pragma once
// A tournament of about 5,000 matches for the benchmarks that read a whole
// event: 14 classes, each with ten round robins of eight (half the results
// in), a Swiss pool of 32 in its fourth round and a knockout of sixteen.
#include <memory>
#include <random>

#include "bench/bench_tournament.h"
#include "common/fakes.h"
#include "competition/dropout.h"
#include "competition/matchbook.h"
#include "competition/poule.h"
#include "store/database.h"
#include "support/text.h"

namespace velgram::bench {

inline constexpr int kClasses = 14;
inline constexpr int kPoules = 10;
inline constexpr int kPouleSize = 8;
inline constexpr int kSwissSize = 32;
inline constexpr int kSwissRounds = 4;

struct BigEvent {
  testing::TempDir dir;
  testing::FakeClock clock;
  testing::FakePrompter prompter;
  std::unique_ptr<Database> db;
  int toernooi = -1;
  int openMatch = -1;  // a round-robin match without a result
  size_t matches = 0;

  void AddPositions(int idPool, int n, std::mt19937& rng, int k) {
    std::vector<int> players;
    for (int s = 0; s < n; ++s)
      players.push_back(AddPlayer(*db, toernooi, Format("Speler %d-%d-%d", k, idPool, s),
                                         Format("Club %d", static_cast<int>(rng() % 20)),
                                         1000 + static_cast<int>(rng() % 1000)));
    Seat(*db, idPool, players);
  }

  BigEvent() {
    db = std::make_unique<Database>(dir.File("Velgram.db"), clock);
    Database& d = *db;
    d.SetSetting("PouleActivateWarning", "No");
    toernooi = d.AddToernooi("Groot toernooi");
    std::mt19937 rng(7);
    Transaction tx(d);
    for (int k = 0; k < kClasses; ++k) {
      const int idClass = AddClass(d, toernooi, Format("Klasse %d", k + 1));
      for (int p = 0; p < kPoules; ++p) {
        const int id = AddPool(d, idClass, Format("Poule %d", p + 1), "1-12");
        AddPositions(id, kPouleSize, rng, k);
        StartPoule(d, prompter, id);
        std::vector<MatchRecord> list;
        d.ListMatches(id, list);
        for (size_t m = 0; m < list.size(); ++m)
          if (m % 2 == 0) d.RecordResult(list[m].id, static_cast<int>(rng() % 2), {}, false);
        if (openMatch < 0) openMatch = list[1].id;
      }
      const int swiss = AddPool(d, idClass, "Zwitsers", "1-12", kPlaystyleSwiss);
      AddPositions(swiss, kSwissSize, rng, k);
      std::vector<ContestantRecord> seats;
      d.ListContestants(swiss, seats);
      for (int r = 1; r <= kSwissRounds; ++r)
        for (int i = 0; i < kSwissSize / 2; ++i) {
          int a = seats[i].id, b = seats[(i + r * 3) % (kSwissSize / 2) + kSwissSize / 2].id;
          int id = d.AddMatch(swiss, a, b, 1 + i % 12, 900 + r * 100);
          d.AddRoundMatch(swiss, r, id);
          if (r < kSwissRounds) d.RecordResult(id, static_cast<int>(rng() % 2), {}, false);
        }
      const int ko = AddPool(d, idClass, "Afval", "1-12", kPlaystyleDropout, "{ \"dimension\":16 }");
      AddPositions(ko, 16, rng, k);
      StartKnockout(d, prompter, ko);
    }
    tx.Commit();
    MatchBook book(d);
    book.FillToernooi(toernooi);
    matches = book.Matches().size();
  }
};

inline BigEvent& Big() {
  static BigEvent t;
  return t;
}

}  // namespace velgram::bench
