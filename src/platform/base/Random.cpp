#include "platform/base/Random.h"

#include <chrono>

uint32_t RandSeed = 0;

namespace {

uint64_t SystemClock() {
  const auto now = std::chrono::steady_clock::now().time_since_epoch();
  return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::nanoseconds>(now).count());
}

RandomizeClock randomizeClock = SystemClock;

}  // namespace

void SetRandomizeClock(RandomizeClock clock) { randomizeClock = clock ? clock : SystemClock; }

void Randomize() { RandSeed = static_cast<uint32_t>(randomizeClock()); }

int Random(int n) {
  RandSeed = RandSeed * 134775813u + 1u;
  const uint64_t product = static_cast<uint64_t>(RandSeed) * static_cast<uint32_t>(n);
  return static_cast<int>(product >> 32);
}
