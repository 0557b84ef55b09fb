#include "prepare/DescriptorPca.h"

#include <gtest/gtest.h>

#include <cmath>

#include "prepare/SetupTestData.h"
#include "platform/base/NumberText.h"

namespace {

const long double kRoot = 1.0L / std::sqrt(2.0L);

bool Near(long double a, long double b, long double tol = 1e-12L) { return std::fabs(a - b) <= tol; }

TEST(DescriptorPca, TwoVariablesGiveTheTracedSigns) {
  ChemoData data;
  // r > 0: eigenvalues 1 - r, 1 + r with vectors (1, -1) and (1, 1) over root 2, not exchanged.
  FillData(data, {{1, 1}, {2, 3}, {3, 2}, {4, 4}});
  VariablePca pca;
  ASSERT_TRUE(ComputeVariablePca(data, {0, 1}, pca));
  EXPECT_TRUE(Near(pca.Loading(0, 1), kRoot) && Near(pca.Loading(1, 1), kRoot));
  EXPECT_TRUE(Near(pca.Loading(0, 2), kRoot) && Near(pca.Loading(1, 2), -kRoot));
  // The first object lies below both means: a negative first score.
  EXPECT_LT(pca.Score(0, 1), 0.0L);
  EXPECT_EQ(pca.AxisText(1), "PC1 (EV% = 90.00%)");
  EXPECT_EQ(pca.AxisText(2), "PC2 (EV% = 10.00%)");

  // r < 0: the sort exchanges the two columns, so PC1 is (1, -1) over root 2.
  FillData(data, {{1, 4}, {2, 2}, {3, 3}, {4, 1}});
  ASSERT_TRUE(ComputeVariablePca(data, {0, 1}, pca));
  EXPECT_TRUE(Near(pca.Loading(0, 1), kRoot) && Near(pca.Loading(1, 1), -kRoot));
  EXPECT_TRUE(Near(pca.Loading(0, 2), kRoot) && Near(pca.Loading(1, 2), kRoot));
}

TEST(DescriptorPca, TooFewVariablesWithoutMissingCellsOrTooFewObjectsAreRefused) {
  ChemoData data;
  // V1 has a missing cell; O1 and O2 are excluded.
  FillData(data, {{1, 5, 2}, {2, kMissing, 4}, {3, 1, 5}});
  data.ipTrainingPtr[1] = data.ipTrainingPtr[2] = kStatusExcluded;
  VariablePca pca;
  TestUi().Clear();
  EXPECT_FALSE(ComputeVariablePca(data, {0, 1}, pca));  // only V0 counts
  data.iResponseIndex = 2;
  EXPECT_FALSE(ComputeVariablePca(data, {0, 2}, pca));  // only O0 counts with a response set
  EXPECT_EQ(ShownTexts(),
            (Texts{"Too few selected variables, cannot continue.", "Too few selected objects, cannot continue."}));
  EXPECT_EQ(TestUi().Shown(1).caption, "APPLICATION ERROR");
  data.iResponseIndex = -1;  // without a response every object counts
  EXPECT_TRUE(ComputeVariablePca(data, {0, 2}, pca));
  EXPECT_EQ(pca.objects, (std::vector<int32_t>{0, 1, 2}));
  EXPECT_EQ(TestUi().Shown().size(), 2u);
}

// Each component, checked against the correlation matrix itself: a unit vector v
// with R v = value v, which fixes it up to its sign; values in descending order.
TEST(DescriptorPca, ComponentsAreUnitEigenvectorsOfTheCorrelationMatrixInDescendingOrder) {
  ChemoData data;
  FillData(data, {{1.0, 2.1, 0.3, 5}, {2.2, 3.9, 0.1, 3}, {3.1, 6.2, 0.7, 4}, {4.5, 8.1, 0.2, 1},
                  {5.0, 9.7, 0.9, 2}, {6.3, 12.5, 0.4, 0}});
  VariablePca pca;
  ASSERT_TRUE(ComputeVariablePca(data, {0, 1, 2, 3}, pca));
  Matrix X(6, 4);
  for (int i = 0; i < 6; ++i)
    for (int j = 0; j < 4; ++j) X.At(i, j) = data.tpChemoValuePtr[i][j].Value;
  Matrix R;
  R.Correlation(X);  // the lower triangle is used

  long double previous = 1e30L, total = 0.0L;
  for (int k = 1; k <= 4; ++k) {
    SCOPED_TRACE(k);
    const long double value = pca.explained.At(0, 4 - k) * 4;  // the eigenvalues sum to p
    EXPECT_LT(value, previous);
    previous = value;
    total += StrToFloat(pca.ExplainedText(k));
    long double norm = 0.0L;
    for (int v = 0; v < 4; ++v) norm += pca.Loading(v, k) * pca.Loading(v, k);
    EXPECT_TRUE(Near(norm, 1.0L));
    for (int j = 0; j < 4; ++j) {
      long double rv = 0.0L;
      for (int v = 0; v < 4; ++v) rv += R.At(std::max(j, v), std::min(j, v)) * pca.Loading(v, k);
      EXPECT_TRUE(Near(rv, value * pca.Loading(j, k))) << "row " << j;
    }
  }
  EXPECT_NEAR(static_cast<double>(total), 100.0, 0.02);
}

TEST(DescriptorPca, ScoresBecomeVariablesWithMissingCellsForUnscoredObjects) {
  ChemoData data;
  FillData(data, {{1, 2, 0}, {2, 1, 0}, {3, 4, kMissing}, {4, 5, 1}});
  data.ipTrainingPtr[0] = kStatusExcluded;
  data.iResponseIndex = 2;
  VariablePca pca;
  ASSERT_TRUE(ComputeVariablePca(data, {0, 1}, pca));
  AppendPcaVariables(data, pca, "set-A");
  ASSERT_EQ(data.iVarCount, 5);
  EXPECT_EQ(data.tpVarNameStrPtr[3], "PCA-1(set-A) (EV% = " + pca.ExplainedText(1) + "%)");
  EXPECT_TRUE(data.tpChemoValuePtr[0][3].Missing);
  EXPECT_EQ(data.tpChemoValuePtr[1][3].Value, pca.Score(0, 1));
  EXPECT_EQ(data.tpChemoValuePtr[3][4].Value, pca.Score(2, 2));
  EXPECT_TRUE(data.tpChemoValuePtr[2][2].Missing);
}

}  // namespace
