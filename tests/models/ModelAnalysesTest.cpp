// Average R2 and Q2 per model size, and the outlier counts over models.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <mutex>
#include <optional>

#include "data/ChemoData.h"
#include "data/DataResult.h"
#include "models/ModelOutliers.h"
#include "platform/base/Exception.h"
#include "models/ModelSizeAverages.h"
#include "support/ProgressSteps.h"
#include "support/ScriptedUi.h"
#include "validate/ModelListStatistics.h"
#include "validate/SingleModelAnalysis.h"
#include "validate/ValidationTestData.h"

namespace {

class ModelAnalysesTest : public ::testing::Test {
protected:
  DataResultNode* Add(int size, long double r2, long double q2, int32_t state = 3) {
    DataResultNode* m = list.Append();
    m->iSize = size;
    m->iSelStatus = state;
    m->cvR2 = CheckedValue(r2, false);
    m->cvQ2loo = CheckedValue(q2, true);  // missing flags are not consulted
    sorted.push_back(m);
    return m;
  }
  DataResultList list{nullptr};
  std::vector<DataResultNode*> sorted;
};

}  // namespace

TEST_F(ModelAnalysesTest, MeansAndPopulationDeviationsPerSize) {
  Add(3, 0.70L, 0.60L);
  Add(3, 0.80L, 0.65L);
  Add(1, 0.99L, 0.11L, 0);  // unselected: left out
  Add(3, 0.90L, 0.50L, 1);
  SizeAverages averages(sorted);
  ASSERT_EQ(averages.Sizes(), 3);
  CheckedValue** rows = averages.Rows();
  const int K = 3;
  EXPECT_NEAR(static_cast<double>(rows[2][1].Value), 0.80, 1e-15);
  EXPECT_NEAR(static_cast<double>(rows[2 * K + 2][1].Value), std::sqrt(0.02 / 3), 1e-15);
  EXPECT_NEAR(static_cast<double>(rows[2 * K + 2][1].Value), 0.08165, 5e-6);
  EXPECT_NEAR(static_cast<double>(rows[K + 2][1].Value), 1.75 / 3, 1e-15);
  EXPECT_NEAR(static_cast<double>(rows[3 * K + 2][1].Value), std::sqrt(0.035 / 9), 1e-15);
  for (int block = 0; block < 4; ++block) EXPECT_FALSE(rows[block * K + 2][1].Missing);
  EXPECT_EQ(rows[2][0].Value, 3.0L);
  EXPECT_EQ(rows[K + 2][0].Value, 3.0L);
  EXPECT_FALSE(rows[2][0].Missing);
  EXPECT_FALSE(rows[K + 2][0].Missing);
  EXPECT_TRUE(rows[2 * K + 2][0].Missing);
  EXPECT_FALSE(rows[3 * K + 2][0].Missing);
  EXPECT_EQ(rows[3 * K + 2][0].Value, 0.0L);
}

TEST_F(ModelAnalysesTest, ModelsOfOneVariableHaveTheirPoint) {
  Add(1, 0.6L, 0.5L);
  Add(1, 0.8L, 0.3L);
  SizeAverages averages(sorted);
  ASSERT_EQ(averages.Sizes(), 1);
  EXPECT_FALSE(averages.Rows()[0][1].Missing);
  EXPECT_NEAR(static_cast<double>(averages.Rows()[0][1].Value), 0.7, 1e-15);
  EXPECT_NEAR(static_cast<double>(averages.Rows()[1][1].Value), 0.4, 1e-15);
}

TEST_F(ModelAnalysesTest, SizesWithoutSelectedModelsHaveMissingCellsInAllFourBlocks) {
  Add(2, 0.5L, 0.4L);
  Add(4, 0.9L, 0.7L);
  Add(3, 0.8L, 0.6L, 0);
  SizeAverages averages(sorted);
  ASSERT_EQ(averages.Sizes(), 4);
  for (int block = 0; block < 4; ++block)
    for (int size = 1; size <= 4; ++size) {
      const CheckedValue& y = averages.Rows()[block * 4 + size - 1][1];
      EXPECT_EQ(y.Missing, size == 1 || size == 3) << block << " " << size;
      if (y.Missing) {
        EXPECT_EQ(y.Value, 0.0L);
      }
    }
  // A single model of its size: its own values, deviations 0.
  EXPECT_EQ(averages.Rows()[1][1].Value, 0.5L);
  EXPECT_EQ(averages.Rows()[4 + 3][1].Value, 0.7L);
  EXPECT_EQ(averages.Rows()[8 + 1][1].Value, 0.0L);
}

TEST_F(ModelAnalysesTest, OutlierWalkCountsSelectedModelsStepsByOneAndStopsOnEscapeYes) {
  Add(1, 0, 0);
  Add(1, 0, 0, 0);
  Add(1, 0, 0, 1);
  Add(1, 0, 0);
  CheckedIntMatrix counts(2, 3);
  // Each counted model flags object 0 for a leverage and counts its order of
  // call as "N. out AD"; the third model of the list fails.
  std::mutex lock;
  std::vector<DataResultNode*> counted;
  auto count = [&](DataResultNode& model) -> std::optional<ModelOutlierCounts> {
    std::lock_guard<std::mutex> hold(lock);
    counted.push_back(&model);
    if (&model == sorted[2]) return std::nullopt;
    ModelOutlierCounts result;
    result.objects = {ModelOutlierCounts::kLeverage, ModelOutlierCounts::kNoCounts};
    result.outAD = static_cast<int>(counted.size());
    return result;
  };
  ProgressSteps bar;
  TestUi().Reset();
  OutlierWalk walk = CountOutliersOverModels(list, counts, count, bar);
  EXPECT_TRUE(walk.failed);
  EXPECT_FALSE(walk.aborted);
  std::sort(counted.begin(), counted.end(), [&](auto* a, auto* b) {
    return std::find(sorted.begin(), sorted.end(), a) < std::find(sorted.begin(), sorted.end(), b);
  });
  EXPECT_EQ(counted, (std::vector<DataResultNode*>{sorted[0], sorted[2], sorted[3]}));
  EXPECT_EQ(bar.range, std::make_pair(0, 3));
  EXPECT_EQ(bar.positions, (std::vector<int>{1, 2, 3}));
  EXPECT_EQ(counts.At(0, 0).Value, 2);
  EXPECT_FALSE(counts.At(0, 0).Missing);
  EXPECT_TRUE(counts.At(1, 2).Missing);
  EXPECT_FALSE(sorted[0]->ciNOutAD.Missing);
  const int32_t lastOutAD = sorted[3]->ciNOutAD.Value;

  counted.clear();
  TestUi().PressEscape(2);  // the first model's poll answered No, the unselected model's Yes
  TestUi().Answer(IDNO);
  TestUi().Answer(IDYES);
  walk = CountOutliersOverModels(list, counts, count, bar);
  EXPECT_TRUE(walk.aborted);
  EXPECT_FALSE(walk.failed);  // the failing model was never reached
  EXPECT_EQ(counts.At(0, 0).Value, 3);  // the counts gathered so far stay
  EXPECT_EQ(sorted[3]->ciNOutAD.Value, lastOutAD);  // a model not reached keeps its cells

  // A counting that throws: the failure reaches the caller when its model is
  // reached, after the models before it were applied.
  auto throwing = [&](DataResultNode& model) -> std::optional<ModelOutlierCounts> {
    if (&model == sorted[2]) throw Exception("Not enough free memory (*tpXYHAT_CalcPtr)");
    return count(model);
  };
  EXPECT_THROW(CountOutliersOverModels(list, counts, throwing, bar), Exception);
  EXPECT_EQ(counts.At(0, 0).Value, 4);
  EXPECT_EQ(sorted[3]->ciNOutAD.Value, lastOutAD);
}

TEST(OutlierRowColoursTest, RolesGiveColoursAndAMissingResponseIsRed) {
  ChemoData data(2, 5, 1);
  const int32_t status[] = {0, 1, 2, 1, 2};
  for (int i = 0; i < 5; ++i) {
    data.ipTrainingPtr[i] = status[i];
    data.tpChemoValuePtr[i][1] = CheckedValue(1.0L, i == 3 || i == 4);
  }
  EXPECT_EQ(OutlierRowColours(data), (std::vector<uint32_t>{0xFFFFFF, 0x00FFFF, 0xFFC000, 0x0000FF, 0x0000FF}));
  data.ipTrainingPtr[0] = 2;  // the first object takes its colour too
  EXPECT_EQ(OutlierRowColours(data)[0], 0xFFC000u);
  EXPECT_EQ(OutlierCountTitles(),
            (std::vector<std::string>{"High leverage (> h*)", "Pred. by model eq. res.", "Pred. by LOO res."}));
}

TEST(OutlierCountsOverTwoModelsTest, EachObjectCountsTheModelsWhereItsResidualPassesTheThresholdStrictly) {
  using namespace validationtest;
  TestUi().Reset();
  const long double a[9] = {1.0L, 2.0L, 3.5L, 4.1L, 5.2L, 6.0L, 7.3L, 2.8L, 5.5L};
  const long double b[9] = {2.2L, 0.5L, 3.1L, 1.4L, 4.8L, 0.9L, 2.6L, 3.9L, 1.7L};
  const long double noise[9] = {0.3L, -0.4L, 0.1L, 0.6L, -0.2L, -0.5L, 0.2L, 0.4L, -0.3L};
  std::vector<TestObject> objects;
  for (int i = 0; i < 9; ++i) objects.push_back({i < 7 ? 1 : 2, {a[i], b[i]}, 1.0L + a[i] + 0.5L * b[i] + noise[i]});
  auto data = MakeData(objects);
  DataResultList list(data.get());
  DataResultNode* first = &FitByEngine(*data, list, {0});
  DataResultNode* second = &FitByEngine(*data, list, {1});
  first->iSelStatus = second->iSelStatus = 3;
  // Each model's standardized residuals as the single-model calculation gives them.
  std::vector<long double> r[2];
  int k = 0;
  for (DataResultNode* model : {first, second}) {
    SingleModelAnalysis analysis(*data, *model);
    for (int e = 0; e < 9; ++e) r[k].push_back(analysis.StdResCalc()[e][1].Value);
    ++k;
  }
  // The threshold equals the second model's residual of object 0 in magnitude.
  const long double t = std::fabs(r[1][0]);
  ASSERT_NE(std::fabs(r[0][0]), t);
  ModelListStatistics stats(data.get());
  CheckedIntMatrix counts(9, 3);
  ProgressSteps bar;
  CountOutliersOverModels(
      list, counts,
      [&](DataResultNode& model) { return stats.CountOutliers(model, t); },
      bar);
  for (int e = 0; e < 9; ++e)
    EXPECT_EQ(counts.At(e, 1).Value, (t < std::fabs(r[0][e]) ? 1 : 0) + (t < std::fabs(r[1][e]) ? 1 : 0)) << e;
}
