#include "select/SubsetStack.h"

#include <gtest/gtest.h>

#include <cstdint>

// Counts reach 64 bits and saturate beyond them.
TEST(SubsetStackTest, CountCombinations) {
  EXPECT_EQ(CountCombinations(4, 2), 6);
  EXPECT_EQ(CountCombinations(50, 4), 230300);
  EXPECT_EQ(CountCombinations(5, 0), 1);
  EXPECT_EQ(CountCombinations(3, 4), 0);
  EXPECT_EQ(CountCombinations(62, 31), 465428353255261088LL);
  EXPECT_EQ(CountCombinations(1000, 500), INT64_MAX);
}

