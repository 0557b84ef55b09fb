#include "select/SubsetStack.h"

#include <gtest/gtest.h>

#include <vector>

#include "select/SearchTestData.h"

namespace {

using Subset = std::vector<int>;

std::vector<Subset> Drain(SubsetStack& stack) {
  std::vector<Subset> popped;
  Subset subset;
  while (!stack.Empty()) {
    stack.Pop(subset);
    popped.push_back(subset);
  }
  return popped;
}

// A range must hand back its subsets as single pushes of them in lexicographic
// order would come back: reversed.
TEST(SubsetStackTest, RangesMatchSinglePushesForPrefixesAndGaps) {
  const std::vector<int> candidates = {0, 2, 3, 5, 6, 9};
  const Subset prefixes[] = {{}, {11}, {12, 11}};
  for (const Subset& prefix : prefixes) {
    const int depth = static_cast<int>(prefix.size());
    for (int k = depth + 1; k <= depth + 4; ++k) {
      SCOPED_TRACE(testing::Message() << "depth " << depth << " k " << k);
      std::vector<Subset> expected;
      for (const Subset& choice : searchtest::Lexicographic(static_cast<int>(candidates.size()), k - depth)) {
        Subset subset = prefix;
        for (int c : choice) subset.push_back(candidates[c]);
        expected.insert(expected.begin(), subset);
      }
      SubsetStack stack;
      stack.PushRange(prefix.data(), depth, candidates, k);
      EXPECT_EQ(Drain(stack), expected);
    }
  }
}

TEST(SubsetStackTest, TooFewCandidatesPushNothingAndSinglesStayLastInFirstOut) {
  SubsetStack stack;
  const int prefix[1] = {0};
  stack.PushRange(prefix, 0, {1, 2}, 3);
  EXPECT_TRUE(stack.Empty());

  stack.PushRange(prefix, 0, {0, 1}, 1);
  const int single[2] = {4, 7};
  stack.PushSubset(single, 2);
  const std::vector<Subset> expected = {{4, 7}, {1}, {0}};
  EXPECT_EQ(Drain(stack), expected);
}

TEST(SubsetStackTest, CountCombinations) {
  EXPECT_EQ(CountCombinations(4, 2), 6);
  EXPECT_EQ(CountCombinations(50, 4), 230300);
  EXPECT_EQ(CountCombinations(5, 0), 1);
  EXPECT_EQ(CountCombinations(3, 4), 0);
  EXPECT_EQ(CountCombinations(62, 31), 465428353255261088LL);
  EXPECT_EQ(CountCombinations(1000, 500), INT64_MAX);
}

}  // namespace
