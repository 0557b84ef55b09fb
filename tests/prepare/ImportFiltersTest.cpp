#include "prepare/ImportFilters.h"

#include <gtest/gtest.h>

#include <map>

#include "numerics/Matrix.h"
#include "prepare/FixedClock.h"

namespace {

bool Constant(const std::vector<long double>& values, const std::vector<uint8_t>& missing, int percent) {
  return IsNearlyConstant(values.data(), missing.data(), static_cast<int>(values.size()), FilterThreshold(percent));
}

bool Constant(const std::vector<long double>& values, int percent) {
  return Constant(values, std::vector<uint8_t>(values.size(), 0), percent);
}

TEST(ConstantFilter, SharesAgainstThePercentageMissingCellsAndSingleObjects) {
  // A share exactly at the percentage is kept.
  EXPECT_FALSE(Constant({3, 3, 3, 3, 7}, 60));  // 3 of the other 5 share 3: 0.6
  EXPECT_TRUE(Constant({3, 3, 3, 3, 7}, 59));
  EXPECT_FALSE(Constant({2, 2, 2, 2, 2}, 80));  // 4/5
  EXPECT_TRUE(Constant({2, 2, 2, 2, 2, 2}, 80));  // 5/6
  EXPECT_FALSE(Constant({1, 1.0000000001L, 2, 3}, 20));  // equality is exact
  // Present 7, 7, 8 and a missing cell stored as 7: the missing cell is a reference
  // (2 present cells equal it) unless it is the last object, which never is.
  EXPECT_TRUE(Constant({7, 7, 8, 7}, {1, 0, 0, 0}, 66));   // 2/3 from object 0
  EXPECT_FALSE(Constant({7, 7, 8, 7}, {0, 0, 0, 1}, 34));  // 1/3 at most
  EXPECT_TRUE(Constant({7, 7, 8, 7}, {0, 0, 0, 1}, 33));
  // Without present cells a variable counts as constant.
  EXPECT_TRUE(Constant({-999, -999, -999}, {1, 1, 1}, 99));
  EXPECT_FALSE(Constant({5}, 1));  // a single object is never a reference
  // A share equal to the threshold is constant: 1 of 4 present cells.
  const std::vector<long double> quarter = {4, 4, 5, 6};
  const std::vector<uint8_t> present(4, 0);
  EXPECT_TRUE(IsNearlyConstant(quarter.data(), present.data(), 4, 0.25L));
  EXPECT_FALSE(IsNearlyConstant(quarter.data(), present.data(), 4, 0.2500001L));
}

using Table = std::map<std::pair<int, int>, long double>;
using Kept = std::vector<bool>;

// Correlations given by a table; a pair that is not in the table fails.
class TablePairs : public PairCorrelations {
public:
  explicit TablePairs(Table r) : r_(std::move(r)) {}
  void Correlations(int v, const std::vector<int>& others, std::vector<long double>& values,
                    std::vector<uint8_t>& failed) override {
    prepared.emplace_back(v, others);
    PairCorrelations::Correlations(v, others, values, failed);
  }
  std::vector<std::pair<int, std::vector<int>>> prepared;  // the score requests
  long double Correlation(int a, int b) override {
    const auto it = r_.find({std::min(a, b), std::max(a, b)});
    if (it == r_.end()) throw MatrixCalcErrorEx("Building covariance matrix: ");
    return it->second;
  }

private:
  Table r_;
};

// The variables the filter at 95 % keeps.
Kept RunFilter(const Table& r, int count, Kept exempt = {}) {
  TablePairs pairs(r);
  Kept kept(static_cast<std::size_t>(count), true);
  exempt.resize(static_cast<std::size_t>(count));
  CorrelationFilter filter(pairs, kept, exempt);
  filter.Run(FilterThreshold(95), [] {});
  return kept;
}

TEST(CorrelationFilter, StrictThresholdLargerScoreExemptionsAndFailingPairs) {
  EXPECT_EQ(RunFilter({{{0, 1}, 0.95L}}, 2), (Kept{true, true}));
  EXPECT_EQ(RunFilter({{{0, 1}, -0.99L}}, 2), (Kept{true, true}));
  // The larger score goes: 1.151 > 1.051.
  EXPECT_EQ(RunFilter({{{0, 1}, 0.951L}, {{0, 2}, 0.2L}, {{1, 2}, 0.1L}}, 3), (Kept{false, true, true}));
  // 0-1 cannot be computed; 0-2 counts and the failing pair adds nothing to 0's score.
  EXPECT_EQ(RunFilter({{{0, 2}, 0.99L}, {{1, 2}, 0.3L}}, 3), (Kept{true, true, false}));
  // 0-1 count; 2 is exempt and correlated with 1 only, so 1 has the larger score.
  EXPECT_EQ(RunFilter({{{0, 1}, 0.99L}, {{0, 2}, 0.0L}, {{1, 2}, 0.98L}}, 3, {false, false, true}),
            (Kept{true, false, true}));
  // Exempt pair members are never examined.
  EXPECT_EQ(RunFilter({{{0, 1}, 0.99L}}, 2, {true, false}), (Kept{true, true}));
}

TEST(CorrelationFilter, AtTheThresholdBothStayAndAnExemptPartnerIsNeverDropped) {
  TablePairs pairs({{{0, 1}, 0.5L}, {{0, 2}, 0.1L}, {{1, 2}, 0.2L}});
  Kept kept(3, true);
  const Kept none(3, false);
  CorrelationFilter filter(pairs, kept, none);
  int steps = 0;
  filter.Run(0.5L, [&steps] { ++steps; });
  EXPECT_EQ(kept, (Kept{true, true, true}));
  EXPECT_EQ(steps, 3);  // one step per variable
  EXPECT_TRUE(pairs.prepared.empty());  // no pair counted: no score

  // 1 is exempt: 0-1 is never examined, though 1 would have the larger score.
  EXPECT_EQ(RunFilter({{{0, 1}, 0.99L}, {{0, 2}, 0.0L}, {{1, 2}, 0.98L}}, 3, {false, true, false}),
            (Kept{true, true, true}));
}

TEST(CorrelationFilter, AScoreIsTheSumOverTheOtherKeptVariablesAnnouncedBeforehand) {
  TablePairs pairs({{{0, 1}, 0.99L}, {{0, 2}, 0.25L}, {{1, 2}, 0.5L}, {{0, 3}, 0.125L}});
  Kept kept{true, true, true, false};  // 3 was dropped before: not in the scores
  const Kept none(4, false);
  CorrelationFilter filter(pairs, kept, none);
  filter.Run(0.95L, [] {});
  EXPECT_EQ(kept, (Kept{true, false, true, false}));  // 1.49 against 1.24
  EXPECT_EQ(filter.Score(0).Value, 0.99L + 0.25L);
  EXPECT_EQ(filter.Score(1).Value, 0.99L + 0.5L);
  EXPECT_FALSE(filter.Score(0).Missing);
  EXPECT_TRUE(filter.Score(2).Missing);  // never needed
  using Announced = std::vector<std::pair<int, std::vector<int>>>;
  EXPECT_EQ(pairs.prepared, (Announced{{0, {1, 2}}, {1, {0, 2}}}));
}

TEST(CorrelationFilter, ScoresAreComputedOnceWithTheKeptSetOfThatMoment) {
  // 0-1 counts: 0's score (0.99 + 0.9 + 0.0) beats 1's (0.99 + 0.0 + 0.5); 0 goes and its loop ends.
  // 2-3 counts next: 2's score is new and omits 0 (0.0 + 0.96) while 3's (0.5 + 0.96) is
  // also new, so 3 goes although 2 was once correlated with dropped 0.
  const Table r = {{{0, 1}, 0.99L}, {{0, 2}, 0.9L}, {{0, 3}, 0.0L}, {{1, 2}, 0.0L}, {{1, 3}, 0.5L}, {{2, 3}, 0.96L}};
  EXPECT_EQ(RunFilter(r, 4), (Kept{false, true, true, false}));

  // 1's score is needed again after 0 went: the cached 1.95 (with 0) beats 2's 1.46, so 1
  // goes; a fresh 0.96 (without 0) would have dropped 2.
  const Table again = {{{0, 1}, 0.99L}, {{0, 2}, 0.98L}, {{0, 3}, 0.3L},
                       {{1, 2}, 0.96L}, {{1, 3}, 0.0L},  {{2, 3}, 0.5L}};
  EXPECT_EQ(RunFilter(again, 4), (Kept{false, false, true, true}));
}

TEST(CorrelationFilter, EqualScoresAreDecidedByTheSeededCoin) {
  // Two identical variables and a third one correlated equally with both.
  const Table tie = {{{0, 1}, 1.0L}, {{0, 2}, 0.5L}, {{1, 2}, 0.5L}};
  for (bool dropFirst : {true, false}) {
    FixedClock clock(FixedClock::ReadingThatDrops(dropFirst));
    EXPECT_EQ(RunFilter(tie, 3), (Kept{!dropFirst, dropFirst, true}));
  }
}

}  // namespace
