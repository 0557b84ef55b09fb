#include "numerics/MersenneTwister.h"

#include <gtest/gtest.h>

#include <vector>

#include "numerics/Sorts.h"
#include "platform/base/Random.h"

TEST(MersenneTwister, SeedingOfThe1998Publication) {
  MersenneTwister zero(0);
  MersenneTwister classic(4357);
  EXPECT_EQ(classic.Next(), 3510405877u);
  EXPECT_EQ(zero.Next(), 3510405877u);
  for (int i = 0; i < 2000; ++i) ASSERT_EQ(zero.Next(), classic.Next()) << i;  // across regenerations
  classic.Seed(4357);
  EXPECT_EQ(classic.Next(), 3510405877u);
  MersenneTwister other(1);
  EXPECT_NE(other.Next(), 3510405877u);
}

TEST(MersenneTwister, SeedFromSystemDrawsTheSeedFromTheClassLibraryGenerator) {
  MersenneTwister twister(1);
  twister.SeedFromSystem();
  // The last draw below 2147483647 is the upper half of RandSeed x 2147483647.
  const auto seed = static_cast<int32_t>((static_cast<uint64_t>(RandSeed) * 2147483647u) >> 32);
  MersenneTwister expected(seed);
  EXPECT_EQ(twister.Next(), expected.Next());
}

TEST(MersenneTwister, RandomIntStaysInRange) {
  MersenneTwister a(17);
  MersenneTwister b(17);
  EXPECT_EQ(a.RandomInt(0), 0u);
  EXPECT_EQ(a.Next(), b.Next());  // RandomInt(0) drew nothing
  for (int i = 0; i < 1000; ++i) {
    EXPECT_EQ(a.RandomInt(1), 0u);
    EXPECT_LT(a.RandomInt(3), 3u);
    // Above 65535 the plain quotient reaches past n; such draws become n - 1.
    EXPECT_LT(a.RandomInt(3000000000u), 3000000000u);
  }
}

TEST(MersenneTwister, RandomRealScalesTheWordByTheReciprocalOf2To32Minus1) {
  MersenneTwister a(99);
  MersenneTwister b(99);
  for (int i = 0; i < 100; ++i) {
    const long double r = a.RandomReal();
    EXPECT_EQ(r, b.Next() * (1.0L / 4294967296.0L + 1.0L / 18446744073709551616.0L));
    EXPECT_GE(r, 0.0L);
    EXPECT_LE(r, 1.0L);
  }
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
  int32_t single[2] = {5, 4};
  SortIntArray(single, nullptr, 1, 1, true);
  SortIntArray(single, nullptr, 1, 0, true);
  EXPECT_EQ(Vec(single, 2), (std::vector<int32_t>{5, 4}));

  // Positions 0 and 2 meet first; the equal values at 1 and 2 are then left alone.
  int32_t ties[3] = {1, 1, 0};
  int32_t idx[3] = {0, 1, 2};
  SortIntArray(ties, idx, 0, 2, true);
  EXPECT_EQ(ties[0], 0);
  EXPECT_EQ(Vec(idx, 3), (std::vector<int32_t>{2, 1, 0}));
}

TEST(Sorts, SubrangeOnlyAndEverySize) {
  int32_t v[8] = {9, 8, 7, 6, 5, 4, 3, 2};
  int32_t idx[8] = {0, 1, 2, 3, 4, 5, 6, 7};
  SortIntArray(v, idx, 2, 5, true);
  EXPECT_EQ(Vec(v, 8), (std::vector<int32_t>{9, 8, 4, 5, 6, 7, 3, 2}));
  EXPECT_EQ(Vec(idx, 8), (std::vector<int32_t>{0, 1, 5, 4, 3, 2, 6, 7}));
  MersenneTwister random(5);
  for (int n = 1; n <= 70; ++n)
    for (int ascending = 0; ascending < 2; ++ascending) {
      long double values[70];
      int32_t index[70];
      for (int i = 0; i < n; ++i) {
        values[i] = random.RandomInt(10);
        index[i] = i;
      }
      long double original[70];
      std::copy(values, values + n, original);
      SortWithIndex(values, index, 0, n - 1, ascending == 1);
      for (int i = 0; i < n; ++i) ASSERT_EQ(values[i], original[index[i]]);
      for (int i = 1; i < n; ++i)
        ASSERT_TRUE(ascending ? values[i - 1] <= values[i] : values[i - 1] >= values[i]) << n;
    }
}
