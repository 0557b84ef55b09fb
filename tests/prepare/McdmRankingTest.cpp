#include "prepare/McdmRanking.h"

#include <gtest/gtest.h>

#include "numerics/Utils.h"
#include "prepare/SetupTestData.h"

namespace {

struct McdmFixture : testing::Test {
  ChemoData data;
};

TEST_F(McdmFixture, ScoresComparePairsByWeightedCriteria) {
  FillData(data, {{5, 1}, {3, 2}, {4, 4}, {5, 1}, {1, 9}});
  const std::vector<long double> scores =
      McdmScores(data, {0, 1, 2, 3}, {{0, 0.5L, true}, {1, 0.5L, false}}, nullptr);
  ASSERT_EQ(scores.size(), 5u);
  EXPECT_EQ(FloatToStr(scores[0]), "0.777777777777778");
  EXPECT_EQ(FloatToStr(scores[1]), "0.111111111111111");
  EXPECT_EQ(FloatToStr(scores[2]), "0.111111111111111");
  EXPECT_EQ(scores[3], scores[0]);
  EXPECT_EQ(scores[4], 0.0L);
  // The factor is the double nearest 2/3, not the extended one: a tie scores exactly K / 2.
  const long double tie = McdmScores(data, {0, 3}, {{0, 1.0L, true}}, nullptr)[0];
  EXPECT_EQ(tie, static_cast<long double>(2.0 / 3.0) * 0.5L);
  EXPECT_NE(tie, 1.0L / 3.0L);
}

TEST_F(McdmFixture, MinimizeAndMaximizeAreMirrored) {
  FillData(data, {{5}, {3}});
  const auto max = McdmScores(data, {0, 1}, {{0, 1.0L, true}}, nullptr);
  const auto min = McdmScores(data, {0, 1}, {{0, 1.0L, false}}, nullptr);
  EXPECT_EQ(FloatToStr(max[0]), "1");
  EXPECT_EQ(max[1], 0.0L);
  EXPECT_EQ(min[0], max[1]);
  EXPECT_EQ(min[1], max[0]);
  // Every pair tied in weight: each score is one third.
  FillData(data, {{1, 1}, {2, 2}, {3, 3}});
  for (long double s : McdmScores(data, {0, 1, 2}, {{0, 0.5L, true}, {1, 0.5L, false}}, nullptr))
    EXPECT_EQ(FloatToStr(s), "0.333333333333333");
}

TEST_F(McdmFixture, AWeightThatZeroesTheDivisorFails) {
  FillData(data, {{1, 1}, {2, 2}});
  EXPECT_THROW(McdmScores(data, {0, 1}, {{0, -1.0L, true}, {1, 2.0L, false}}, nullptr), EZeroDivide);
}

TEST_F(McdmFixture, OrdersFollowTheSortNetworkAndMirrorEachOther) {
  const McdmOrder order = OrderByScore({0.7L, 0.1L, 0.1L, 0.7L, 0.0L});
  EXPECT_EQ(order.ascending, (std::vector<int32_t>{4, 2, 1, 3, 0}));
  EXPECT_EQ(order.descending, (std::vector<int32_t>{0, 3, 1, 2, 4}));
  EXPECT_EQ(order.ascendingScores, (std::vector<long double>{0.0L, 0.1L, 0.1L, 0.7L, 0.7L}));
  EXPECT_EQ(order.descendingScores.front(), 0.7L);
  const McdmOrder initial = InitialOrder(3);
  EXPECT_EQ(initial.descending, (std::vector<int32_t>{2, 1, 0}));
  EXPECT_EQ(initial.ascendingScores, (std::vector<long double>(3, 0.0L)));
  EXPECT_EQ(initial.descendingScores, initial.ascendingScores);
}

TEST_F(McdmFixture, WeightTotalBoundsAreTheNearestDoubles) {
  EXPECT_TRUE(WeightTotalAccepted(static_cast<long double>(0.99999999999999)));
  EXPECT_TRUE(WeightTotalAccepted(static_cast<long double>(1.00000000000001)));
  EXPECT_TRUE(WeightTotalAccepted(3 * (1.0L / 3)));
  EXPECT_FALSE(WeightTotalAccepted(static_cast<long double>(0.99999999999999) - 1e-18L));
  EXPECT_FALSE(WeightTotalAccepted(static_cast<long double>(1.00000000000001) + 1e-18L));
  EXPECT_EQ(WeightTotalMessage(0.3L + 0.3L),
            "The total weight must be 1.0 for proper calculations while the total found is 0.6. Please correct "
            "column weights (the option \"Set weight to reach total 1\" will help in rounding one of the column "
            "weight to accomplish this task)");
}

}  // namespace
