// MT19937 pseudo-random generator with the seeding of its 1998 publication.
#pragma once

#include <cstdint>

class MersenneTwister {
public:
  explicit MersenneTwister(int32_t seed) { Seed(seed); }

  // Seed 0 stands for 4357; the state is filled with the multiplier 69069.
  void Seed(int32_t seed);
  // Seeds the class library's generator from the clock and draws the seed from it.
  void SeedFromSystem();
  uint32_t Next();
  // An integer in 0 .. n-1; 0 for n = 0 (drawing nothing).
  uint32_t RandomInt(uint32_t n);
  // A real in [0, 1]: the word times 1 / (2^32 - 1).
  long double RandomReal();

private:
  static constexpr int N = 624;
  static constexpr int M = 397;
  void Regenerate();

  uint32_t state_[N];
  int32_t index_ = N;
};
