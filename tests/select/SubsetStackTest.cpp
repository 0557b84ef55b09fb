#include "select/SubsetStack.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

// Counts reach 64 bits and saturate beyond them.
TEST(SubsetStackTest, CountCombinations) {
  EXPECT_EQ(CountCombinations(4, 2), 6);
  EXPECT_EQ(CountCombinations(50, 4), 230300);
  EXPECT_EQ(CountCombinations(5, 0), 1);
  EXPECT_EQ(CountCombinations(3, 4), 0);
  EXPECT_EQ(CountCombinations(62, 31), 465428353255261088LL);
  EXPECT_EQ(CountCombinations(1000, 500), INT64_MAX);
}


// The largest size waiting: of single subsets and ranges alike, 0 once all are taken.
TEST(SubsetStackTest, LargestSizeOfTheSubsetsWaiting) {
  SubsetStack stack;
  EXPECT_EQ(stack.LargestSize(), 0);
  const int prefix[] = {0};
  stack.PushRange(prefix, 1, {1, 2, 3}, 3);
  const int single[] = {4, 5};
  stack.PushSubset(single, 2);
  EXPECT_EQ(stack.LargestSize(), 3);
  std::vector<int> subset;
  stack.Pop(subset);
  EXPECT_EQ(stack.LargestSize(), 3);
  while (!stack.Empty()) stack.Pop(subset);
  EXPECT_EQ(stack.LargestSize(), 0);
}
