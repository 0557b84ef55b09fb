#include "validate/ModelListStatistics.h"

#include <gtest/gtest.h>

#include <cmath>

#include "data/PredictObjects.h"
#include "numerics/RowArray.h"
#include "support/ScriptedUi.h"
#include "validate/ExternalValidator.h"
#include "validate/FullModelStats.h"
#include "validate/ValidationTestData.h"

namespace {

using validationtest::FitByEngine;
using validationtest::MakeData;

// Training x = 1..5, a prediction object, an excluded one, and one without a
// response far outside the training range (leverage above h*).
class OutlierCountsTest : public ::testing::Test {
protected:
  OutlierCountsTest() { TestUi().Reset(); }

  // The model-equation standardized residual of object e, as the full statistics give it.
  long double EquationResidual(int e) {
    DataResultList scratch(data.get());
    ExternalValidator validator(true, &scratch, data.get());
    const int n = data->iObjCount;
    RowArray<CheckedValue> a(n, 2, "a", "b"), b(n, 2, "a", "b"), c(n, 2, "a", "b"), d(n, 2, "a", "b"),
        f(n, 2, "a", "b"), g(n, 2, "a", "b"), h(n, 2, "a", "b");
    PredictObjects(*data, validator.TrainingMask(), validator.TestMask(), model, a.Get(), b.Get(), h.Get(), nullptr);
    std::unique_ptr<bool[]> hStar;
    std::string names;
    DataResultNode copy(model);
    FullModelStats(*data, {validator.TrainingMask(), validator.TestMask(), nullptr}, 0, hStar,
                   {a.Get(), b.Get(), c.Get(), d.Get(), f.Get(), g.Get(), h.Get()}, copy, names, validator, nullptr,
                   false);
    return c[e][1].Value;
  }
  std::vector<int> Counts() const {
    return {model.ciNYOutlUndModEq.Value, model.ciNYOutlOverModEq.Value, model.ciNYOutlUndLOO.Value,
            model.ciNYOutlOverLOO.Value, model.ciNXOutl.Value, model.ciNOutAD.Value};
  }

  std::unique_ptr<ChemoData> data = MakeData({{1, {1}, 2.1L},
                                              {1, {2}, 3.9L},
                                              {1, {3}, 6.2L},
                                              {1, {4}, 7.8L},
                                              {1, {5}, 10.1L},
                                              {2, {3}, 6.0L},
                                              {0, {4}, 8.0L},
                                              {0, {20}, std::nullopt}});
  DataResultList list{data.get()};
  DataResultNode& model = FitByEngine(*data, list, {0});
  CheckedIntMatrix counts{8, 3};
};

TEST_F(OutlierCountsTest, AResidualEqualToTheThresholdIsNotCounted) {
  const long double r = EquationResidual(2);  // x = 3: the equation value lies below the response
  ASSERT_LT(r, 0.0L);
  ModelListStatistics stats(data.get());
  stats.RecalculateExternalColumns(counts, model, 0, 1, 2, std::fabs(r));
  EXPECT_EQ(counts.At(2, 1).Value, 0);
  EXPECT_EQ(model.ciNYOutlUndModEq.Value, 0);
  EXPECT_FALSE(model.ciNYOutlUndModEq.Missing);
  stats.RecalculateExternalColumns(counts, model, 0, 1, 2, std::nextafter(std::fabs(r), 0.0L));
  EXPECT_EQ(counts.At(2, 1).Value, 1);
  EXPECT_GE(model.ciNYOutlUndModEq.Value, 1);
  const long double above = EquationResidual(3);  // x = 4: above
  ASSERT_GT(above, 0.0L);
  const int before = counts.At(3, 1).Value;
  stats.RecalculateExternalColumns(counts, model, 0, 1, 2, above);
  EXPECT_EQ(counts.At(3, 1).Value, before);
  const int overAtLimit = model.ciNYOutlOverModEq.Value;
  stats.RecalculateExternalColumns(counts, model, 0, 1, 2, std::nextafter(above, 0.0L));
  EXPECT_EQ(counts.At(3, 1).Value, before + 1);
  EXPECT_EQ(model.ciNYOutlOverModEq.Value, overAtLimit + 1);
}

TEST_F(OutlierCountsTest, AnObjectWithoutResponseCountsOutsideTheDomainOnly) {
  ModelListStatistics stats(data.get());
  stats.RecalculateExternalColumns(counts, model, 0, 1, 2, 2.5L);
  EXPECT_EQ(model.ciNOutAD.Value, 1);
  EXPECT_EQ(model.ciNXOutl.Value, 0);
  EXPECT_EQ(counts.At(7, 0).Value, 1);
  for (int col : {0, 1, 2}) {
    EXPECT_TRUE(counts.At(7, col).Missing);
    EXPECT_TRUE(counts.At(6, col).Missing);  // excluded
    EXPECT_FALSE(counts.At(5, col).Missing);
  }
  // Running again gives the same counts while the matrix keeps adding.
  const std::vector<int> first = Counts();
  stats.RecalculateExternalColumns(counts, model, 0, 1, 2, 2.5L);
  EXPECT_EQ(Counts(), first);
  EXPECT_EQ(counts.At(7, 0).Value, 2);
  // With t = 0 every object with a standardized residual counts in both columns.
  stats.RecalculateExternalColumns(counts, model, 0, 1, 2, 0.0L);
  EXPECT_EQ(model.ciNYOutlUndModEq.Value + model.ciNYOutlOverModEq.Value, 6);
  EXPECT_EQ(model.ciNYOutlUndLOO.Value + model.ciNYOutlOverLOO.Value, 6);
}

TEST_F(OutlierCountsTest, AnObjectWithAMissingModelVariableIsNotCounted) {
  data->tpChemoValuePtr[6][0] = CheckedValue(40.0L, true);  // excluded, with a response
  ModelListStatistics stats(data.get());
  stats.RecalculateExternalColumns(counts, model, 0, 1, 2, 2.5L);
  EXPECT_EQ(model.ciNOutAD.Value, 1);
  EXPECT_EQ(counts.At(6, 0).Value, 0);
  // Without a response too, the object is still not one of the model's objects.
  data->tpChemoValuePtr[6][1] = CheckedValue(0.0L, true);
  stats.RecalculateExternalColumns(counts, model, 0, 1, 2, 2.5L);
  EXPECT_EQ(model.ciNOutAD.Value, 1);
  EXPECT_EQ(counts.At(6, 0).Value, 0);
}

TEST(OutlierCountsOfTrainingObjects, ATrainingObjectAboveHStarIsAnXOutlier) {
  TestUi().Reset();
  std::vector<validationtest::TestObject> objects;
  for (int x = 1; x <= 9; ++x) objects.push_back({1, {static_cast<long double>(x)}, 2.0L * x + (x % 3) * 0.1L});
  objects.push_back({1, {30}, 60.2L});
  auto data = MakeData(objects);
  DataResultList list(data.get());
  DataResultNode& model = FitByEngine(*data, list, {0});
  CheckedIntMatrix counts(10, 3);
  ModelListStatistics(data.get()).RecalculateExternalColumns(counts, model, 0, 1, 2, 2.5L);
  EXPECT_EQ(model.ciNOutAD.Value, 1);
  EXPECT_EQ(model.ciNXOutl.Value, 1);
  EXPECT_EQ(counts.At(9, 0).Value, 1);
  EXPECT_FALSE(counts.At(9, 0).Missing);
}

TEST_F(OutlierCountsTest, IntervalsOfTheOneDescriptorModel) {
  model.ldpBSignifPtr[0] = -1.0L;
  ModelListStatistics stats(data.get());
  stats.ComputeIntervals(model);
  EXPECT_NEAR(static_cast<double>(model.ldpBModelCoeffPtr[0]), 0.05, 1e-12);
  EXPECT_NEAR(static_cast<double>(model.ldpBIntConfPtr[0]), 0.630, 0.001);
  EXPECT_GT(model.ldpBSignifPtr[0], -0.5L);
}

}  // namespace
