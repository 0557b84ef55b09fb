// Makes the clock that seeds the class library's generator read a fixed value, so
// that the coin of the correlation filter falls the same way every time.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "numerics/MersenneTwister.h"
#include "platform/base/Random.h"

class FixedClock {
public:
  explicit FixedClock(uint64_t nanoseconds) {
    now_ = nanoseconds;
    SetRandomizeClock([] { return now_; });
  }
  ~FixedClock() { SetRandomizeClock(nullptr); }
  FixedClock(const FixedClock&) = delete;
  FixedClock& operator=(const FixedClock&) = delete;

  // A clock reading under which the coin of the correlation filter drops the
  // first (or the second) of two tied variables.
  static uint64_t ReadingThatDrops(bool first) {
    for (uint64_t now = 1;; ++now) {
      FixedClock clock(now);
      MersenneTwister coin(0);
      coin.SeedFromSystem();
      if ((coin.RandomInt(2) == 1) == first) return now;
    }
  }

  // roles after the exchanges of a random splitting under this clock, worked out
  // here from the class library generator's own recurrence: object i exchanges its
  // role with object (seed * n) >> 32, seed stepping as seed * 134775813 + 1.
  static std::vector<int32_t> Exchanged(std::vector<int32_t> roles) {
    const uint64_t n = roles.size();
    uint32_t seed = static_cast<uint32_t>(now_);
    for (std::size_t i = 0; i < n; ++i) {
      seed = seed * 134775813u + 1u;
      std::swap(roles[i], roles[(static_cast<uint64_t>(seed) * n) >> 32]);
    }
    return roles;
  }

private:
  static inline uint64_t now_ = 0;
};
