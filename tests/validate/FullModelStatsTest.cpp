#include <gtest/gtest.h>

#include "numerics/PredictObjects.h"
#include "numerics/RowArray.h"
#include "numerics/Statistics.h"
#include "support/ScriptedUi.h"
#include "validate/ExternalValidator.h"
#include "validate/FullModelStats.h"
#include "validate/ValidationTestData.h"

namespace {

using validationtest::FitByEngine;
using validationtest::MakeData;

::testing::AssertionResult Near(long double actual, long double expected, long double relative = 5e-6L) {
  if (std::fabs(actual - expected) <= relative * std::fabs(expected)) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << static_cast<double>(actual) << " is not " << static_cast<double>(expected);
}

// The point rows of one call and what FullModelStats hands back.
struct StatsRun {
  explicit StatsRun(const ChemoData& data) : n(data.iObjCount) {}

  ModelPointRows Rows() {
    return {expCalc.Get(), expPred.Get(), stdResCalc.Get(), stdResPred.Get(),
            resCalc.Get(), resPred.Get(), leverage.Get()};
  }

  int n;
  RowArray<CheckedValue> expCalc{n, 2, "a", "b"}, expPred{n, 2, "a", "b"}, stdResCalc{n, 2, "a", "b"},
      stdResPred{n, 2, "a", "b"}, resCalc{n, 2, "a", "b"}, resPred{n, 2, "a", "b"}, leverage{n, 2, "a", "b"};
  std::unique_ptr<bool[]> hStar;
  std::string names;
};

// Runs the single-model window's sequence: PredictObjects, then FullModelStats.
void RunFull(const ChemoData& data, DataResultNode& model, const ExternalValidator& validator, StatsRun& run,
             const uint8_t* unknown = nullptr, int unknownCount = 0) {
  const ModelObjectMasks masks{validator.TrainingMask(), validator.TestMask(), unknown};
  PredictObjects(data, masks.training, masks.test, model, run.expCalc.Get(), run.expPred.Get(), run.leverage.Get(),
                 nullptr);
  FullModelStats(data, masks, unknownCount, run.hStar, run.Rows(), model, run.names, validator, nullptr, false);
}

TEST(FullModelStats, OneDescriptorModelGivesTheReferenceStatistics) {
  TestUi().Reset();
  auto data = MakeData({{1, {1}, 2.1L},
                        {1, {2}, 3.9L},
                        {2, {3}, 6.0L},
                        {1, {3}, 6.2L},
                        {1, {4}, 7.8L},
                        {1, {5}, 10.1L},
                        {2, {7}, 14.0L}});
  DataResultList list(data.get());
  DataResultNode& model = FitByEngine(*data, list, {0});
  ExternalValidator validator(true, &list, data.get());
  StatsRun run(*data);
  RunFull(*data, model, validator, run);

  EXPECT_TRUE(Near(model.ldpBStdErrPtr[0], 0.198074L));
  EXPECT_TRUE(Near(model.ldpBStdErrPtr[1], 0.0597216L));
  EXPECT_TRUE(Near(model.ldpBSignifPtr[0], 0.817015L));
  EXPECT_TRUE(Near(model.ldpBSignifPtr[1], 5.94154e-5L));
  EXPECT_TRUE(Near(model.ldpBStdCoeffPtr[1], 0.998652L));
  const long double t = InvStudentT(0.05L, 3);
  for (int j = 0; j <= 1; ++j) EXPECT_EQ(model.ldpBIntConfPtr[j], std::fabs(model.ldpBStdErrPtr[j] * t));

  const long double leverages[] = {0.6L, 0.3L, 0.2L, 0.3L, 0.6L};
  const long double standardized[] = {-0.502331L, 0.822741L, -1.065605L, 1.329043L, -0.837218L};
  ASSERT_EQ(model.tsTrainLev.iCount, 5);
  for (int k = 0; k < 5; ++k) EXPECT_TRUE(Near(model.tsTrainLev.ldpValuePtr[k], leverages[k]));
  const int trainingRows[] = {0, 1, 3, 4, 5};
  for (int k = 0; k < 5; ++k) {
    const int i = trainingRows[k];
    EXPECT_TRUE(Near(run.leverage[i][0].Value, leverages[k]));
    EXPECT_TRUE(Near(run.stdResCalc[i][1].Value, standardized[k]));
    EXPECT_FALSE(run.stdResCalc[i][1].Missing);
  }
  ASSERT_EQ(model.tsTestLev.iCount, 2);
  EXPECT_TRUE(Near(model.tsTestLev.ldpValuePtr[0], 0.2L));
  EXPECT_TRUE(Near(run.stdResCalc[2][1].Value, 0.118401L));
  EXPECT_EQ(run.stdResPred[2][1].Value, run.stdResCalc[2][1].Value);
  EXPECT_FALSE(run.hStar[2]);
  EXPECT_TRUE(Near(model.ldHstar, 1.2L));
  EXPECT_TRUE(Near(model.tsTestLev.ldpValuePtr[1], 1.8L));
  EXPECT_TRUE(run.hStar[6]);
  EXPECT_TRUE(run.stdResCalc[6][1].Missing);
  EXPECT_EQ(run.names, "O6 ");
}

}  // namespace
