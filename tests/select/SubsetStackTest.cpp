#include "select/SubsetStack.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using Subset = std::vector<int>;

// The subsets of `candidates` completing `prefix` to size k, pushed one by one in
// lexicographic order by a plain recursion: the stack must hand them back reversed.
void PushEach(std::vector<Subset>& pushed, Subset prefix, const std::vector<int>& candidates, std::size_t from,
              int k) {
  if (static_cast<int>(prefix.size()) == k) {
    pushed.push_back(prefix);
    return;
  }
  for (std::size_t i = from; i < candidates.size(); ++i) {
    prefix.push_back(candidates[i]);
    PushEach(pushed, prefix, candidates, i + 1, k);
    prefix.pop_back();
  }
}

std::vector<Subset> Drain(SubsetStack& stack) {
  std::vector<Subset> popped;
  Subset subset;
  while (!stack.Empty()) {
    stack.Pop(subset);
    popped.push_back(subset);
  }
  return popped;
}

TEST(SubsetStackTest, PoolOfFourUpToPairsComesBackLargestSizeFirstInReverseOrder) {
  SubsetStack stack;
  const int none[1] = {0};
  stack.PushRange(none, 0, {0, 1, 2, 3}, 1);
  stack.PushRange(none, 0, {0, 1, 2, 3}, 2);
  const std::vector<Subset> expected = {{2, 3}, {1, 3}, {1, 2}, {0, 3}, {0, 2}, {0, 1}, {3}, {2}, {1}, {0}};
  EXPECT_EQ(Drain(stack), expected);
}

TEST(SubsetStackTest, RangesMatchSinglePushesForPrefixesAndGaps) {
  const std::vector<int> candidates = {0, 2, 3, 5, 6, 9};
  for (int depth = 0; depth <= 2; ++depth) {
    for (int k = depth + 1; k <= depth + 4; ++k) {
      const Subset prefix = depth == 0 ? Subset{} : (depth == 1 ? Subset{11} : Subset{12, 11});
      std::vector<Subset> pushed;
      PushEach(pushed, prefix, candidates, 0, k);
      SubsetStack stack;
      stack.PushRange(prefix.data(), depth, candidates, k);
      const std::vector<Subset> expected(pushed.rbegin(), pushed.rend());
      EXPECT_EQ(Drain(stack), expected) << "depth " << depth << " k " << k;
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
