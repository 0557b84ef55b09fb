#include "numerics/MersenneTwister.h"

#include "numerics/Utils.h"
#include "platform/base/Random.h"

namespace {

constexpr uint32_t kUpperMask = 0x80000000u;
constexpr uint32_t kLowerMask = 0x7fffffffu;
constexpr uint32_t kMatrixWord = 0x9908b0dfu;

uint32_t Twist(uint32_t upper, uint32_t lower, uint32_t far) {
  const uint32_t y = (upper & kUpperMask) | (lower & kLowerMask);
  return far ^ (y >> 1) ^ ((y & 1u) ? kMatrixWord : 0u);
}

}  // namespace

void MersenneTwister::Seed(int32_t seed) {
  uint32_t s = seed == 0 ? 4357u : static_cast<uint32_t>(seed);
  state_[0] = s;
  for (int i = 1; i < N; ++i) state_[i] = state_[i - 1] * 69069u;
  index_ = N;
}

void MersenneTwister::SeedFromSystem() {
  Randomize();
  Seed(Random(LargestInt()));
}

void MersenneTwister::Regenerate() {
  int k = 0;
  for (; k < N - M; ++k) state_[k] = Twist(state_[k], state_[k + 1], state_[k + M]);
  for (; k < N - 1; ++k) state_[k] = Twist(state_[k], state_[k + 1], state_[k + M - N]);
  state_[N - 1] = Twist(state_[N - 1], state_[0], state_[M - 1]);
  index_ = 0;
}

uint32_t MersenneTwister::Next() {
  if (index_ >= N) Regenerate();
  uint32_t y = state_[index_++];
  y ^= y >> 11;
  y ^= (y << 7) & 0x9d2c5680u;
  y ^= (y << 15) & 0xefc60000u;
  y ^= y >> 18;
  return y;
}

uint32_t MersenneTwister::RandomInt(uint32_t n) {
  if (n == 0) return 0;
  const uint32_t v = Next() / (4294967295u / n);
  // For n above 65535 the quotient can exceed n; every such value maps to n - 1.
  return v >= n ? n - 1 : v;
}

long double MersenneTwister::RandomReal() {
  // 2^-32 + 2^-64, the reciprocal of 2^32 - 1 in extended precision.
  constexpr long double kScale = 1.0L / 4294967296.0L + 1.0L / 18446744073709551616.0L;
  return Next() * kScale;
}
