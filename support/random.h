#pragma once
#include <cstdint>
#include <random>

namespace velgram {

// "A random number" of the tournament rules: a non-negative int, used modulo
// some bound. Injectable so that simulations and searches replay in tests.
class Random {
 public:
  virtual ~Random() = default;
  virtual int Next() = 0;  // 0 .. 2^31-1
  virtual void Seed(uint32_t seed) = 0;
};

class StdRandom : public Random {
 public:
  explicit StdRandom(uint32_t seed = 1) : engine_(seed) {}
  int Next() override { return static_cast<int>(engine_() >> 1); }
  void Seed(uint32_t seed) override { engine_.seed(seed); }

 private:
  std::mt19937 engine_;
};

}  // namespace velgram
