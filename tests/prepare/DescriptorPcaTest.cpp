#include "prepare/DescriptorPca.h"

#include <gtest/gtest.h>

#include <cmath>

#include "prepare/SetupTestData.h"

namespace {

const long double kRoot = 1.0L / std::sqrt(2.0L);

bool Near(long double a, long double b, long double tol = 1e-12L) { return std::fabs(a - b) <= tol; }

// Eigenpairs of a symmetric matrix by cyclic Jacobi rotations, for comparison.
void Jacobi(std::vector<std::vector<long double>> a, std::vector<long double>& values,
            std::vector<std::vector<long double>>& vectors) {
  const int n = static_cast<int>(a.size());
  vectors.assign(n, std::vector<long double>(n, 0.0L));
  for (int i = 0; i < n; ++i) vectors[i][i] = 1.0L;
  for (int sweep = 0; sweep < 100; ++sweep)
    for (int p = 0; p < n; ++p)
      for (int q = p + 1; q < n; ++q) {
        if (std::fabs(a[p][q]) < 1e-30L) continue;
        const long double theta = (a[q][q] - a[p][p]) / (2 * a[p][q]);
        const long double t = (theta >= 0 ? 1 : -1) / (std::fabs(theta) + std::sqrt(theta * theta + 1));
        const long double c = 1 / std::sqrt(t * t + 1), s = t * c;
        for (int k = 0; k < n; ++k) {
          const long double akp = a[k][p], akq = a[k][q];
          a[k][p] = c * akp - s * akq;
          a[k][q] = s * akp + c * akq;
        }
        for (int k = 0; k < n; ++k) {
          const long double apk = a[p][k], aqk = a[q][k];
          a[p][k] = c * apk - s * aqk;
          a[q][k] = s * apk + c * aqk;
        }
        for (int k = 0; k < n; ++k) {
          const long double vkp = vectors[k][p], vkq = vectors[k][q];
          vectors[k][p] = c * vkp - s * vkq;
          vectors[k][q] = s * vkp + c * vkq;
        }
      }
  values.resize(n);
  for (int i = 0; i < n; ++i) values[i] = a[i][i];
}

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
  // The plotted matrices hold the components in that order.
  EXPECT_EQ(pca.LoadingMatrix().At(1, 0), pca.Loading(1, 1));
  EXPECT_EQ(pca.ScoreMatrix().At(3, 1), pca.Score(3, 2));
}

TEST(DescriptorPca, MatchesAnIndependentEigenDecomposition) {
  ChemoData data;
  FillData(data, {{1.0, 2.1, 0.3, 5}, {2.2, 3.9, 0.1, 3}, {3.1, 6.2, 0.7, 4}, {4.5, 8.1, 0.2, 1},
                  {5.0, 9.7, 0.9, 2}, {6.3, 12.5, 0.4, 0}});
  VariablePca pca;
  ASSERT_TRUE(ComputeVariablePca(data, {0, 1, 2, 3}, pca));
  Matrix X(6, 4);
  for (int i = 0; i < 6; ++i)
    for (int j = 0; j < 4; ++j) X.At(i, j) = data.tpChemoValuePtr[i][j].Value;
  Matrix R;
  R.Correlation(X);
  std::vector<std::vector<long double>> r(4, std::vector<long double>(4));
  for (int j = 0; j < 4; ++j)
    for (int k = 0; k <= j; ++k) r[j][k] = r[k][j] = R.At(j, k);
  std::vector<long double> values;
  std::vector<std::vector<long double>> vectors;
  Jacobi(r, values, vectors);

  long double previous = 1e30L, total = 0.0L;
  for (int k = 1; k <= 4; ++k) {
    const long double value = pca.explained.At(0, 4 - k) * 4;  // the eigenvalues sum to p
    EXPECT_LE(value, previous);
    previous = value;
    total += std::stold(pca.ExplainedText(k));
    int match = -1;
    for (int m = 0; m < 4; ++m)
      if (Near(values[m], value, 1e-12L)) match = m;
    ASSERT_GE(match, 0) << "component " << k;
    const long double sign = (pca.Loading(0, k) * vectors[0][match] < 0) ? -1.0L : 1.0L;
    for (int v = 0; v < 4; ++v) EXPECT_TRUE(Near(pca.Loading(v, k), sign * vectors[v][match], 1e-10L));
  }
  EXPECT_NEAR(static_cast<double>(total), 100.0, 0.02);
}

TEST(DescriptorPca, PoolAndObjectsFollowMarksMissingCellsAndStatuses) {
  ChemoData data;
  FillData(data, {{1, 2, 5, 9}, {2, 1, 3, kMissing}, {3, 4, 1, 2}, {4, 5, 6, 1}, {5, 3, 2, 0}});
  VariablePca pca;
  ASSERT_TRUE(ComputeVariablePca(data, {3, 0, 2}, pca));
  EXPECT_EQ(pca.pool, (std::vector<int32_t>{0, 2}));
  EXPECT_EQ(pca.objects.size(), 5u);

  data.ipTrainingPtr[1] = kStatusExcluded;
  data.iResponseIndex = 1;
  ASSERT_TRUE(ComputeVariablePca(data, {0, 2}, pca));
  EXPECT_EQ(pca.objects, (std::vector<int32_t>{0, 2, 3, 4}));
  EXPECT_EQ(pca.scores.Rows(), 4);

  EXPECT_FALSE(ComputeVariablePca(data, {0, 3}, pca));
  for (int i : {0, 2, 3}) data.ipTrainingPtr[i] = kStatusExcluded;
  EXPECT_FALSE(ComputeVariablePca(data, {0, 2}, pca));
  EXPECT_EQ(ShownTexts(),
            (Texts{"Too few selected variables, cannot continue.", "Too few selected objects, cannot continue."}));
  EXPECT_EQ(TestUi().Shown(0).caption, "APPLICATION ERROR");
}

TEST(DescriptorPca, LendingIsUndoneWhenTheAnalysisFails) {
  ChemoData data;
  FillData(data, {{1, 7, 0}, {2, 7, 1}, {3, 7, 0}});
  data.ipTrainingPtr[2] = kStatusPrediction;
  VariablePca pca;
  try {
    LentSetup lent(data, {0, 1, 1}, 2);
    EXPECT_EQ(data.ipTrainingPtr[0], kStatusExcluded);
    EXPECT_EQ(data.iResponseIndex, 2);
    ComputeVariablePca(data, {0, 1}, pca);
    ADD_FAILURE() << "a constant variable must fail the autoscaling";
  } catch (const MatrixEx&) {
  }
  EXPECT_EQ(data.ipTrainingPtr[0], kStatusTraining);
  EXPECT_EQ(data.ipTrainingPtr[2], kStatusPrediction);
  EXPECT_EQ(data.iResponseIndex, -1);
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
  EXPECT_EQ(data.tpVarNameStrPtr[4].substr(0, 13), "PCA-2(set-A) ");
  EXPECT_TRUE(data.tpChemoValuePtr[0][3].Missing);
  EXPECT_FALSE(data.tpChemoValuePtr[1][4].Missing);
  EXPECT_EQ(data.tpChemoValuePtr[1][3].Value, pca.Score(0, 1));
  EXPECT_EQ(data.tpChemoValuePtr[3][4].Value, pca.Score(2, 2));
  EXPECT_TRUE(data.tpChemoValuePtr[2][2].Missing);
  EXPECT_EQ(data.tpChemoValuePtr[3][1].Value, 5.0L);
}

}  // namespace
