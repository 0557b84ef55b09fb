// Makes the clock that seeds the class library's generator read a fixed value, so
// that the coin of the correlation filter falls the same way every time.
#pragma once

#include <cstdint>

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

  // The coin thrown under this clock: true drops the first of two tied variables.
  static bool DropsFirst() {
    MersenneTwister coin(0);
    coin.SeedFromSystem();
    return coin.RandomInt(2) == 1;
  }

  // A clock reading under which the coin drops the first (or the second) variable.
  static uint64_t ReadingThatDrops(bool first) {
    for (uint64_t now = 1;; ++now) {
      FixedClock clock(now);
      if (DropsFirst() == first) return now;
    }
  }

private:
  static inline uint64_t now_ = 0;
};
