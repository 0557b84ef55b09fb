#include "platform/base/Random.h"

#include <gtest/gtest.h>

TEST(Random, FollowsTheLinearCongruentialSequence) {
  RandSeed = 0;
  EXPECT_EQ(Random(100), 0);  // seed 1: 100 / 2^32 truncates to 0
  EXPECT_EQ(RandSeed, 1u);
  // seed 134775814 (0x08088406): 134775814 * 100 / 2^32 = 3.138...
  EXPECT_EQ(Random(100), 3);
  EXPECT_EQ(RandSeed, 134775814u);
  // seed 134775814 * 134775813 + 1 mod 2^32 = 3698175007 (0xDC6D3C1F)
  EXPECT_EQ(Random(1000), 861);  // 3698175007 * 1000 / 2^32 = 861.05...
  EXPECT_EQ(RandSeed, 3698175007u);
}

TEST(Random, WrapsTheSeedAndStaysBelowTheBound) {
  RandSeed = 0xFFFFFFFFu;  // (2^32 - 1) * 134775813 + 1 = -134775812 mod 2^32
  EXPECT_EQ(Random(2147483647), 2080095741);  // upper half of 4160191484 * 2147483647
  EXPECT_EQ(RandSeed, 4160191484u);
  for (int i = 0; i < 1000; ++i) {
    const int r = Random(7);
    ASSERT_GE(r, 0);
    ASSERT_LT(r, 7);
  }
  EXPECT_EQ(Random(1), 0);
  EXPECT_EQ(Random(0), 0);
}
