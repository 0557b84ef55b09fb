#include "numerics/MersenneTwister.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "numerics/Sorts.h"
#include "platform/base/Random.h"

TEST(MersenneTwister, SeedingOfThe1998Publication) {
  MersenneTwister zero(0);
  MersenneTwister classic(4357);
  EXPECT_EQ(classic.Next(), 3510405877u);
  EXPECT_EQ(zero.Next(), 3510405877u);
  for (int i = 0; i < 2000; ++i) ASSERT_EQ(zero.Next(), classic.Next()) << i;  // across regenerations
}

TEST(MersenneTwister, SeedFromSystemDrawsTheSeedFromTheClassLibraryGenerator) {
  MersenneTwister twister(1);
  twister.SeedFromSystem();
  // The last draw below 2147483647 is the upper half of RandSeed x 2147483647.
  const auto seed = static_cast<int32_t>((static_cast<uint64_t>(RandSeed) * 2147483647u) >> 32);
  EXPECT_EQ(twister.Next(), MersenneTwister(seed).Next());
}

// Draws from the word: RandomInt divides by (2^32 - 1) / n, RandomReal multiplies
// by 1 / (2^32 - 1).
TEST(MersenneTwister, RandomIntAndRandomRealScaleTheWord) {
  MersenneTwister a(17), words(17);
  for (int i = 0; i < 1000; ++i) {
    EXPECT_EQ(a.RandomInt(3), words.Next() / 1431655765u);
    // Above 65535 the plain quotient reaches past n; such draws become n - 1.
    EXPECT_EQ(a.RandomInt(3000000000u), std::min(words.Next() / 1u, 2999999999u));
    const long double real = a.RandomReal();
    const long double expected = words.Next() / 4294967295.0L;
    ASSERT_LE(std::fabs(real - expected), 1e-19L) << i;
    ASSERT_LE(real, 1.0L);
  }
  EXPECT_EQ(a.RandomInt(0), 0u);
}

namespace {

template <typename T>
std::vector<T> Vec(const T* values, int n) {
  return std::vector<T>(values, values + n);
}

}  // namespace

TEST(Sorts, ExamplesWithIndexAndTheNetworkOrderOnTies) {
  for (bool ascending : {true, false}) {
    long double v[3] = {3, 1, 2};
    int32_t idx[3] = {0, 1, 2};
    SortWithIndex(v, idx, 0, 2, ascending);
    EXPECT_EQ(Vec(v, 3), ascending ? (std::vector<long double>{1, 2, 3}) : (std::vector<long double>{3, 2, 1}));
    EXPECT_EQ(Vec(idx, 3), ascending ? (std::vector<int32_t>{1, 2, 0}) : (std::vector<int32_t>{0, 2, 1}));
  }
  // Positions 0 and 2 meet first; the equal values at 1 and 2 are then left alone.
  int32_t ties[5] = {9, 1, 1, 0, 9};
  int32_t idx[5] = {0, 1, 2, 3, 4};
  SortIntArray(ties, idx, 1, 3, true);  // a subrange: 9s stay
  EXPECT_EQ(Vec(ties, 5), (std::vector<int32_t>{9, 0, 1, 1, 9}));
  EXPECT_EQ(Vec(idx, 5), (std::vector<int32_t>{0, 3, 2, 1, 4}));
}

// The network sorts as the textbook loop (every i up to n - j - k) does, ties
// included: the payload of every tie lands where the textbook network puts it.
TEST(Sorts, TiesLandWhereTheFullNetworkPutsThem) {
  auto textbook = [](std::vector<int32_t>& keys, std::vector<int32_t>& payload, bool ascending) {
    const int n = static_cast<int>(keys.size());
    for (int p = 1; p < n; p *= 2)
      for (int k = p; k >= 1; k /= 2)
        for (int j = k % p; j + k < n; j += 2 * k)
          for (int i = 0; i < n - j - k; ++i)
            if ((j + i) / (2 * p) == (j + i + k) / (2 * p) &&
                (ascending ? keys[j + i] > keys[j + i + k] : keys[j + i] < keys[j + i + k])) {
              std::swap(keys[j + i], keys[j + i + k]);
              std::swap(payload[j + i], payload[j + i + k]);
            }
  };
  MersenneTwister random(11);
  for (int n = 1; n <= 40; ++n)
    for (bool ascending : {true, false}) {
      std::vector<int32_t> keys(n), payload(n);
      for (int i = 0; i < n; ++i) {
        keys[i] = static_cast<int32_t>(random.RandomInt(3));
        payload[i] = i;
      }
      std::vector<int32_t> expectedKeys = keys, expectedPayload = payload;
      textbook(expectedKeys, expectedPayload, ascending);
      SortIntArray(keys.data(), payload.data(), 0, n - 1, ascending);
      ASSERT_EQ(keys, expectedKeys) << n;
      ASSERT_EQ(payload, expectedPayload) << n;
    }
}
