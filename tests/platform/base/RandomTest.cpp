#include "platform/base/Random.h"

#include <gtest/gtest.h>

TEST(Random, FollowsTheLinearCongruentialSequenceAndStaysBelowTheBound) {
  RandSeed = 0;
  EXPECT_EQ(Random(100), 0);  // seed 1: 100 / 2^32 truncates to 0
  EXPECT_EQ(Random(100), 3);  // seed 134775814: 134775814 * 100 / 2^32 = 3.138...
  EXPECT_EQ(Random(1000), 861);  // seed 134775814 * 134775813 + 1 mod 2^32 = 3698175007
  EXPECT_EQ(RandSeed, 3698175007u);

  RandSeed = 0xFFFFFFFFu;  // (2^32 - 1) * 134775813 + 1 = -134775812 mod 2^32
  EXPECT_EQ(Random(2147483647), 2080095741);  // upper half of 4160191484 * 2147483647
  EXPECT_EQ(RandSeed, 4160191484u);
  EXPECT_EQ(Random(1), 0);
  EXPECT_EQ(Random(0), 0);
}
