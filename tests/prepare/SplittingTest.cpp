#include "prepare/Splitting.h"

#include <gtest/gtest.h>

#include "prepare/FixedClock.h"
#include "prepare/SetupTestData.h"

namespace {

using Roles = std::vector<int32_t>;

TEST(OrderedSplitting, RunsAlternateTheEndsAreTrainingAndOthersKeepTheirRole) {
  const struct {
    Roles order;  // empty: none
    int training, prediction;
    bool predictionSecond;
    Roles expected;  // from all excluded
  } cases[] = {
      {AllObjects(8), 2, 1, false, {1, 1, 1, 2, 1, 1, 2, 1}},
      {AllObjects(8), 3, 1, true, {1, 2, 1, 1, 1, 2, 1, 1}},
      {AllObjects(1), 3, 1, false, {1}},
      {AllObjects(4), 0, 1, false, Roles(4, 0)},
      {{}, 2, 1, false, {0, 0}},
      {{4, 0, 2}, 1, 1, false, {1, 0, 1, 0, 1}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.order) + " " + std::to_string(c.training));
    Roles status(c.expected.size(), 0);
    ApplyOrderedSplitting(status, c.order, c.training, c.prediction, c.predictionSecond);
    EXPECT_EQ(status, c.expected);
  }
}

TEST(OrderedSplitting, OrderByResponseLeavesOutMissingResponses) {
  ChemoData data;
  FillData(data, {{3.5}, {kMissing}, {-1}, {2}, {kMissing}, {10}});
  EXPECT_EQ(OrderByResponse(data, 0), (Roles{2, 3, 0, 5}));
  EXPECT_EQ(OrderByScores({7, 8, 9}, {0.5L, -2.0L, 0.0L}), (Roles{8, 9, 7}));
}

TEST(RandomSplitting, ReproducesTheGeneratorsExchanges) {
  const FixedClock clock(0x123456789ABCDEF0ull);
  Roles status(12, 0);
  RandomSplitting(status, 20);
  EXPECT_EQ(status, FixedClock::Exchanged({2, 2, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1}));
}

TEST(SplittingNames, TheProposedNameCountsUpFromTheNumberOfSplittings) {
  EXPECT_EQ(ProposeSplittingName({}), "Split - 0");
  EXPECT_EQ(ProposeSplittingName({{"Split - 1", {}}}), "Split - 2");
  EXPECT_EQ(ProposeSplittingName({{"a", {}}, {"Split - 2", {}}, {"Split - 3", {}}}), "Split - 4");
  EXPECT_EQ(AllObjects(3), (Roles{0, 1, 2}));
}

TEST(StatusesFromVariable, TruncatesAndForcesOutOfRangeValuesToTraining) {
  ChemoData data;
  FillData(data, {{0}, {1}, {2}, {2.7L}, {-0.5L}, {kMissing}});
  data.tpChemoValuePtr[5][0].Value = 2.0L;
  Roles status(6, 1);
  EXPECT_FALSE(StatusesFromVariable(data, 0, status));
  EXPECT_EQ(status, (Roles{0, 1, 2, 2, 0, 2}));
  FillData(data, {{3}, {-1}, {1e30L}, {-1e4000L}, {2.999L}});
  status.assign(5, 0);
  EXPECT_TRUE(StatusesFromVariable(data, 0, status));
  EXPECT_EQ(status, (Roles{1, 1, 1, 1, 2}));
}

}  // namespace
