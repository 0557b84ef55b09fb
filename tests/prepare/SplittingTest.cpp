#include "prepare/Splitting.h"

#include <gtest/gtest.h>

#include "platform/base/Random.h"
#include "prepare/SetupTestData.h"

namespace {

std::vector<int32_t> Along(int n, int training, int prediction, bool predictionSecond) {
  std::vector<int32_t> status(n, 0);
  ApplyOrderedSplitting(status, AllObjects(n), training, prediction, predictionSecond);
  return status;
}

TEST(OrderedSplitting, RunsAlternateAndTheEndsAreTraining) {
  EXPECT_EQ(Along(8, 2, 1, false), (std::vector<int32_t>{1, 1, 1, 2, 1, 1, 2, 1}));
  EXPECT_EQ(Along(7, 1, 1, false), (std::vector<int32_t>{1, 1, 2, 1, 2, 1, 1}));
  EXPECT_EQ(Along(8, 3, 1, true), (std::vector<int32_t>{1, 2, 1, 1, 1, 2, 1, 1}));
  EXPECT_EQ(Along(1, 3, 1, false), (std::vector<int32_t>{1}));
}

TEST(OrderedSplitting, NothingWithoutRunsOrOrderAndOthersKeepTheirRole) {
  EXPECT_EQ(Along(4, 0, 1, false), (std::vector<int32_t>(4, 0)));
  EXPECT_EQ(Along(4, 1, 0, false), (std::vector<int32_t>(4, 0)));
  std::vector<int32_t> status = {0, 0};
  ApplyOrderedSplitting(status, {}, 2, 1, false);
  EXPECT_EQ(status, (std::vector<int32_t>{0, 0}));
  status = {0, 0, 0, 0, 0};
  ApplyOrderedSplitting(status, {4, 0, 2}, 1, 1, false);
  EXPECT_EQ(status, (std::vector<int32_t>{1, 0, 1, 0, 1}));
}

TEST(OrderedSplitting, OrderByResponseLeavesOutMissingResponses) {
  ChemoData data;
  FillData(data, {{3.5}, {kMissing}, {-1}, {2}, {kMissing}, {10}});
  EXPECT_EQ(OrderByResponse(data, 0), (std::vector<int32_t>{2, 3, 0, 5}));
  EXPECT_EQ(OrderByScores({7, 8, 9}, {0.5L, -2.0L, 0.0L}), (std::vector<int32_t>{8, 9, 7}));
  FillData(data, {{kMissing}, {kMissing}});
  std::vector<int32_t> status = {2, 2};
  ApplyOrderedSplitting(status, OrderByResponse(data, 0), 1, 1, false);
  EXPECT_EQ(status, (std::vector<int32_t>{2, 2}));
}

uint64_t FixedClock() { return 0x123456789ABCDEF0ull; }

TEST(RandomSplitting, ReproducesTheGeneratorsExchanges) {
  SetRandomizeClock(FixedClock);
  std::vector<int32_t> status(12, 0);
  RandomSplitting(status, 20);
  SetRandomizeClock(nullptr);

  std::vector<int32_t> expected = {2, 2, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1};
  uint32_t seed = static_cast<uint32_t>(FixedClock());
  for (int i = 0; i < 12; ++i) {
    seed = seed * 134775813u + 1u;
    const int j = static_cast<int>((static_cast<uint64_t>(seed) * 12u) >> 32);
    std::swap(expected[i], expected[j]);
  }
  EXPECT_EQ(status, expected);
  EXPECT_EQ(std::count(status.begin(), status.end(), 2), 2);
  EXPECT_EQ(std::count(status.begin(), status.end(), 1), 10);
}

TEST(SwapRoles, ExchangesTrainingAndPredictionOnly) {
  std::vector<int32_t> status = {1, 1, 1, 2, 2, 0};
  SwapRoles(status, AllObjects(6), false);
  EXPECT_EQ(status, (std::vector<int32_t>{2, 2, 2, 1, 1, 0}));
  status = {1, 2, 2, 1, 0, 1};
  SwapRoles(status, {0, 1, 2, 5}, true);
  EXPECT_EQ(status, (std::vector<int32_t>{1, 1, 1, 1, 0, 1}));
  SwapRoles(status, {}, true);
}

TEST(StatusesFromVariable, TruncatesAndForcesOutOfRangeValuesToTraining) {
  ChemoData data;
  FillData(data, {{0}, {1}, {2}, {2.7L}, {-0.5L}, {kMissing}});
  data.tpChemoValuePtr[5][0].Value = 2.0L;
  std::vector<int32_t> status(6, 1);
  EXPECT_FALSE(StatusesFromVariable(data, 0, status));
  EXPECT_EQ(status, (std::vector<int32_t>{0, 1, 2, 2, 0, 2}));
  FillData(data, {{3}, {-1}, {1e30L}, {-1e4000L}, {2.999L}});
  status.assign(5, 0);
  EXPECT_TRUE(StatusesFromVariable(data, 0, status));
  EXPECT_EQ(status, (std::vector<int32_t>{1, 1, 1, 1, 2}));
}

TEST(SplittingNames, ProposalSkipsNamesInUse) {
  std::vector<NamedSplitting> splittings;
  EXPECT_EQ(ProposeSplittingName(splittings), "Split - 0");
  splittings = {{"x", {}}, {"y", {}}};
  EXPECT_EQ(ProposeSplittingName(splittings), "Split - 2");
  splittings[0].name = "Split - 2";
  EXPECT_EQ(ProposeSplittingName(splittings), "Split - 3");
  EXPECT_TRUE(HasSplittingName(splittings, "y"));
  EXPECT_FALSE(HasSplittingName(splittings, "Y"));
}

}  // namespace
