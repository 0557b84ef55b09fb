#include "select/SearchSetup.h"

#include <gtest/gtest.h>

namespace {

using Items = std::vector<std::string>;

TEST(SearchSetupTest, BinomialIsExactUpToTheCapAndZeroOutsideOneToN) {
  EXPECT_EQ(Binomial(40, 1), 40);
  EXPECT_EQ(Binomial(40, 6), 3838380);
  EXPECT_EQ(Binomial(40, 34), 3838380);
  EXPECT_EQ(Binomial(10, 10), 1);
  EXPECT_EQ(Binomial(10, 0), 0);
  EXPECT_EQ(Binomial(10, 11), 0);
  EXPECT_EQ(Binomial(10, -1), 0);
  // The product 18 .. 33 is beyond 64 bits; the quotient still is the exact count.
  EXPECT_EQ(Binomial(33, 16), 1166803110);
  EXPECT_EQ(Binomial(34, 17), kCombinationCap);  // 2333606220
  EXPECT_EQ(Binomial(32, 16), 601080390);
  // Far beyond the extended range: capped, never undefined.
  EXPECT_EQ(Binomial(6000, 3000), kCombinationCap);
}

TEST(SearchSetupTest, AllSubsetTotalSumsTheSizesUpToK) {
  EXPECT_EQ(AllSubsetTotal(40, 3), 10700.0L);
  EXPECT_EQ(AllSubsetTotal(40, 6), 4598478.0L);
  EXPECT_EQ(AllSubsetTotal(40, 0), 0.0L);
  EXPECT_GT(AllSubsetTotal(100, 10), static_cast<long double>(kCombinationCap));
  // Capped terms still add up beyond the cap.
  EXPECT_EQ(AllSubsetTotal(34, 17) - AllSubsetTotal(34, 16), static_cast<long double>(kCombinationCap));
}

TEST(SearchSetupTest, GaSizesStopAtTheFirstSizeWithFewerSubsetsThanTwoPopulations) {
  EXPECT_EQ(GaUntilSizes(10, 4, 100), (std::vector<int>{4, 5, 6}));  // B = 210, 252, 210, then 120
  EXPECT_TRUE(GaUntilSizes(10, 2, 100).empty());                     // B(10, 2) = 45
  EXPECT_EQ(GaUntilSizes(10, 3, 10), (std::vector<int>{3, 4, 5, 6, 7, 8}));  // B(10, 8) = 45 >= 20 > B(10, 9)
  EXPECT_EQ(GaUntilSizes(10, 8, 10), (std::vector<int>{8}));
  EXPECT_EQ(GaUntilSizes(10, 5, 126), (std::vector<int>{5}));  // B(10, 5) = 252 = 2P passes
  EXPECT_TRUE(GaUntilSizes(10, 11, 10).empty());
  EXPECT_TRUE(GaUntilSizes(10, 0, 2).empty());  // B(10, 0) = 0
}

TEST(SearchSetupTest, AGaRunsOnlyOverSizesTheListOffers) {
  EXPECT_TRUE(GaSizesCanRun(10, 3, 8, 10));
  EXPECT_TRUE(GaSizesCanRun(10, 3, 3, 10));
  EXPECT_FALSE(GaSizesCanRun(10, 3, 9, 10));   // B(10, 9) = 10 < 2P
  EXPECT_FALSE(GaSizesCanRun(10, 4, 3, 10));   // until below the first size
  EXPECT_FALSE(GaSizesCanRun(10, 10, 8, 10));  // first size = pool: one subset
  EXPECT_FALSE(GaSizesCanRun(10, 4, 6, 200));  // B(10, 4) = 210 < 400
}

TEST(SearchSetupTest, ObjectsPerVariableUseWholeNumberDivision) {
  EXPECT_TRUE(TooFewObjectsPerVariable(20, 5));
  EXPECT_FALSE(TooFewObjectsPerVariable(25, 5));
  EXPECT_TRUE(TooFewObjectsPerVariable(29, 6));
  EXPECT_FALSE(TooFewObjectsPerVariable(30, 6));
}

TEST(SearchSetupTest, KeepPerSizeOffersNumbersUpToThePopulationWhileAGaIsSetUp) {
  const KeepPerSizeChoice full = FillKeepPerSize(false, 50, {}, false);
  EXPECT_EQ(full.items, (Items{"10", "20", "50", "100", "200", "300", "400", "500", "ALL"}));
  EXPECT_EQ(full.index, 0);

  const KeepPerSizeChoice lowered = FillKeepPerSize(true, 50, {4, false}, false);  // "200" before
  EXPECT_EQ(lowered.items, (Items{"10", "20", "50", "ALL"}));
  EXPECT_EQ(lowered.index, 2);
  EXPECT_TRUE(lowered.lowered);

  const KeepPerSizeChoice quiet = FillKeepPerSize(true, 50, {4, false}, true);
  EXPECT_EQ(quiet.index, 2);
  EXPECT_FALSE(quiet.lowered);

  EXPECT_EQ(FillKeepPerSize(true, 50, {8, true}, false).index, 3);  // "ALL" stays "ALL"
  const KeepPerSizeChoice kept = FillKeepPerSize(true, 50, {2, false}, false);
  EXPECT_EQ(kept.index, 2);
  EXPECT_FALSE(kept.lowered);
  EXPECT_EQ(FillKeepPerSize(true, 100, {-1, false}, false).index, 0);
  EXPECT_EQ(FillKeepPerSize(true, 10, {}, false).items, (Items{"10", "ALL"}));
}

TEST(SearchSetupTest, KeepPerSizeValueIsTheNumberOrMinusOneForAll) {
  EXPECT_EQ(KeepPerSizeValue("200"), 200);
  EXPECT_EQ(KeepPerSizeValue("ALL"), -1);
}

}  // namespace
