#include "select/ModelStatistics.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "data/DataResult.h"
#include "numerics/NumericsTestSupport.h"
#include "select/SearchTestData.h"
#include "select/SubsetFitter.h"

namespace {

// Plain sums over the rows of two columns.
struct Pairs {
  std::vector<long double> a, b;

  long double Mean(const std::vector<long double>& v) const {
    long double s = 0;
    for (long double x : v) s += x;
    return s / v.size();
  }
  long double SumSq() const {
    long double s = 0;
    for (std::size_t i = 0; i < a.size(); ++i) s += (a[i] - b[i]) * (a[i] - b[i]);
    return s;
  }
  long double MeanAbs() const {
    long double s = 0;
    for (std::size_t i = 0; i < a.size(); ++i) s += std::fabs(a[i] - b[i]);
    return s / a.size();
  }
  long double Concordance() const {
    const long double ma = Mean(a), mb = Mean(b);
    long double sab = 0, saa = 0, sbb = 0;
    for (std::size_t i = 0; i < a.size(); ++i) {
      sab += (a[i] - ma) * (b[i] - mb);
      saa += (a[i] - ma) * (a[i] - ma);
      sbb += (b[i] - mb) * (b[i] - mb);
    }
    return 2 * sab / (saa + sbb + a.size() * (ma - mb) * (ma - mb));
  }
};

long double Pearson(const std::vector<long double>& x, const std::vector<long double>& y) {
  Pairs p{x, y};
  const long double mx = p.Mean(x), my = p.Mean(y);
  long double sxy = 0, sxx = 0, syy = 0;
  for (std::size_t i = 0; i < x.size(); ++i) {
    sxy += (x[i] - mx) * (y[i] - my);
    sxx += (x[i] - mx) * (x[i] - mx);
    syy += (y[i] - my) * (y[i] - my);
  }
  return sxy / std::sqrt(sxx * syy);
}

// K of three columns from the eigenvalues of their correlation matrix (closed form
// for a symmetric 3 x 3 matrix): sum |lambda - 1| / 4.
long double KOfThree(long double r01, long double r02, long double r12) {
  const long double p1 = r01 * r01 + r02 * r02 + r12 * r12;
  const long double p = std::sqrt(2 * p1 / 6);
  const long double det = (2 * r01 * r02 * r12) / (p * p * p);  // det((R - I) / p)
  const long double phi = std::acos(std::fmax(-1.0L, std::fmin(1.0L, det / 2))) / 3;
  const long double e1 = 1 + 2 * p * std::cos(phi);
  const long double e3 = 1 + 2 * p * std::cos(phi + 2.0943951023931954923L);
  const long double e2 = 3 - e1 - e3;
  return (std::fabs(e1 - 1) + std::fabs(e2 - 1) + std::fabs(e3 - 1)) / 4;
}

::testing::AssertionResult Near(const CheckedValue& cell, long double expected) {
  if (cell.Missing) return ::testing::AssertionFailure() << "missing";
  if (std::fabs(cell.Value - expected) <= 1e-12L * (1 + std::fabs(expected))) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << static_cast<double>(cell.Value) << " vs " << static_cast<double>(expected);
}

}  // namespace

// Every statistic of a kept model against values computed here from plain sums;
// the pool (variables 7, 2, 11, 4) differs from the data-set order, objects 0 and
// 5 are predicted and object 2 excluded.
TEST(ModelStatistics, TheKeptModelRecordHoldsIndependentlyComputedValues) {
  auto data = searchtest::MakeLinearData(15, 12, {{7, 1.5L}, {11, -0.8L}, {4, 0.3L}}, 0.4L, 83);
  const int pool[] = {7, 2, 11, 4};
  std::copy(pool, pool + 4, data->ipSelectedVarPtr);
  data->iSelectedVarCount = 4;
  data->ldLOFSmoothing = 0.5L;
  std::vector<uint8_t> train(15, 1), predict(15, 0);
  train[0] = train[5] = train[2] = 0;
  predict[0] = predict[5] = 1;
  const int n = 12, k = 2;
  Matrix y(n, 1), yPred(2, 1);
  std::vector<long double> ys, x7, x11;
  for (int i = 0, r = 0; i < 15; ++i) {
    const CheckedValue* row = data->tpChemoValuePtr[i];
    if (predict[i]) yPred.At(i == 0 ? 0 : 1, 0) = row[12].Value;
    if (!train[i]) continue;
    y.At(r++, 0) = row[12].Value;
    ys.push_back(row[12].Value);
    x7.push_back(row[7].Value);
    x11.push_back(row[11].Value);
  }
  SubsetFitter fitter(*data, train.data(), n, y);
  const int variables[] = {7, 11};
  fitter.Load(variables, k);
  fitter.ComputeKIndices();
  ASSERT_TRUE(fitter.Fit());
  ASSERT_TRUE(fitter.ComputePress());
  DataResultNode node;
  FillModelRecord(node, *data, fitter, {0, 2}, PredictionSet{2, predict.data(), &yPred});

  EXPECT_EQ(node.sName, "D7  D11  ");
  EXPECT_EQ(std::vector<int>(node.ipSelVarIdxPtr, node.ipSelVarIdxPtr + k), (std::vector<int>{7, 11}));
  EXPECT_EQ(node.iSize, k);
  EXPECT_EQ(node.iTrainCount, n);
  const long double* b = node.ldpBModelCoeffPtr;
  for (int j = 0; j <= k; ++j) {
    EXPECT_EQ(b[j], fitter.Coefficients().At(j, 0));
    for (const long double* unset : {node.ldpBStdCoeffPtr, node.ldpBIntConfPtr, node.ldpBSignifPtr,
                                     node.ldpBStdErrPtr})
      EXPECT_EQ(unset[j], -1.0L);
  }
  Pairs fit{ys, {}}, loo{ys, {}};
  for (int i = 0; i < n; ++i) {
    fit.b.push_back(b[0] + b[1] * x7[i] + b[2] * x11[i]);
    loo.b.push_back(fitter.LooPredictions().At(i, 0));
    EXPECT_EQ(node.ldpTrainYCapPtr[i], loo.b[i]);
  }
  const long double my = fit.Mean(ys);
  long double ssTot = 0;
  for (long double v : ys) ssTot += (v - my) * (v - my);
  const long double rss = fit.SumSq(), press = loo.SumSq(), d = n - k - 1;
  EXPECT_TRUE(Near(node.cvR2, 1 - rss / ssTot));
  EXPECT_TRUE(Near(node.cvR2adj, 1 - (rss / ssTot) * (n - 1) / d));
  EXPECT_TRUE(Near(node.cvQ2loo, 1 - press / ssTot));
  const long double t = 1 - k * 1.5L / n;
  EXPECT_TRUE(Near(node.cvLOF, (rss / n) / (t * t)));
  EXPECT_TRUE(Near(node.cvF, ((ssTot - rss) / k) / (rss / d)));
  EXPECT_TRUE(Near(node.cvS, std::sqrt(rss / d)));
  EXPECT_TRUE(Near(node.cvRSStr, rss));
  EXPECT_TRUE(Near(node.cvPRESScv, press));
  EXPECT_TRUE(Near(node.cvRMSEtr, std::sqrt(rss / n)));
  EXPECT_TRUE(Near(node.cvRMSEcv, std::sqrt(press / n)));
  EXPECT_TRUE(Near(node.cvMAEtr, fit.MeanAbs()));
  EXPECT_TRUE(Near(node.cvMAEcv, loo.MeanAbs()));
  EXPECT_TRUE(Near(node.cvCCCtr, fit.Concordance()));
  EXPECT_TRUE(Near(node.cvCCCcv, loo.Concordance()));
  // The same operations in the same order as the sums here: the same bits.
  EXPECT_TRUE(SameBits(node.cvMAEcv.Value, loo.MeanAbs()));
  EXPECT_TRUE(SameBits(node.cvCCCcv.Value, loo.Concordance()));
  EXPECT_EQ(node.ldHstar, 3.0L * (k + 1) / n);
  EXPECT_TRUE(Near(node.cvKxx, std::fabs(Pearson(x7, x11))));
  EXPECT_TRUE(Near(node.cvKxy, KOfThree(Pearson(x7, x11), Pearson(x7, ys), Pearson(x11, ys))));

  Pairs ext;
  for (int i : {0, 5}) {
    const CheckedValue* row = data->tpChemoValuePtr[i];
    ext.a.push_back(row[12].Value);
    ext.b.push_back(b[0] + b[1] * row[7].Value + b[2] * row[11].Value);
  }
  EXPECT_TRUE(Near(node.cvRMSEext, std::sqrt(ext.SumSq() / 2)));
  EXPECT_TRUE(Near(node.cvMAEext, ext.MeanAbs()));
  EXPECT_TRUE(Near(node.cvPRESSext, ext.SumSq()));
}

// A failed PRESS leaves every cross-validated statistic missing with the value 0.
TEST(ModelStatistics, AFailedPressLeavesTheCrossValidatedStatisticsMissing) {
  auto data = searchtest::MakeLinearData(6, 1, {{0, 1.0L}}, 0.2L, 3);
  for (int i = 0; i < 6; ++i) data->tpChemoValuePtr[i][0].Value = i == 2 ? 7.0L : 0.0L;  // one object only
  const std::vector<uint8_t> train(6, 1);
  const Matrix y = searchtest::ResponseOf(*data);
  SubsetFitter fitter(*data, train.data(), 6, y);
  const int variable = 0;
  fitter.Load(&variable, 1);
  fitter.ComputeKIndices();
  ASSERT_TRUE(fitter.Fit());
  ASSERT_FALSE(fitter.ComputePress());
  DataResultNode node;
  FillModelRecord(node, *data, fitter, {0}, PredictionSet{});
  for (const CheckedValue* cell : {&node.cvQ2loo, &node.cvRMSEcv, &node.cvMAEcv, &node.cvPRESScv, &node.cvCCCcv}) {
    EXPECT_TRUE(cell->Missing);
    EXPECT_EQ(cell->Value, 0.0L);
  }
  EXPECT_FALSE(node.cvR2.Missing);
}

// One degree of freedom left (n = k + 2) still gives s and F; none left gives neither.
TEST(ModelStatistics, StandardErrorAndFNeedOneDegreeOfFreedom) {
  for (int n : {3, 2}) {
    auto data = searchtest::MakeLinearData(n, 1, {{0, 2.0L}}, 0.3L, 11);
    const std::vector<uint8_t> train(n, 1);
    const Matrix y = searchtest::ResponseOf(*data);
    SubsetFitter fitter(*data, train.data(), n, y);
    const int variable = 0;
    fitter.Load(&variable, 1);
    fitter.ComputeKIndices();
    ASSERT_TRUE(fitter.Fit());
    fitter.ComputePress();
    DataResultNode node;
    FillModelRecord(node, *data, fitter, {0}, PredictionSet{});
    SCOPED_TRACE(n);
    EXPECT_EQ(node.cvS.Missing, n == 2);
    EXPECT_EQ(node.cvF.Missing, n == 2);
    if (n == 3) {
      EXPECT_TRUE(Near(node.cvS, std::sqrt(node.cvRSStr.Value)));
    }
  }
}

// A constant response leaves nothing to explain: its sums of squares are rounding
// noise, and no statistic of the models may come out impossible (a negative sum
// of squares or s, a negative F, an R2 above 1).
TEST(ModelStatistics, AConstantResponseGivesNoImpossibleStatistic) {
  int negativeRounding = 0;
  for (long double level : {0.3L, 1.7L, 1e300L}) {
    for (uint64_t seed = 1; seed <= 40; ++seed) {
      auto data = searchtest::MakeLinearData(9, 3, {{0, 1.0L}}, 0.5L, seed);
      for (int i = 0; i < 9; ++i) data->tpChemoValuePtr[i][3].Value = level;
      const std::vector<uint8_t> train(9, 1);
      const Matrix y = searchtest::ResponseOf(*data);
      for (int k = 1; k <= 3; ++k) {
        SubsetFitter fitter(*data, train.data(), 9, y);
        const std::vector<int> variables = {0, 1, 2};
        fitter.Load(variables.data(), k);
        fitter.ComputeKIndices();
        if (!fitter.Fit()) continue;
        fitter.ComputePress();
        negativeRounding += fitter.SStot() - fitter.SSreg() < 0.0L ? 1 : 0;
        DataResultNode node;
        std::vector<int> positions(variables.begin(), variables.begin() + k);
        FillModelRecord(node, *data, fitter, positions, PredictionSet{});
        SCOPED_TRACE(testing::Message() << level << " " << seed << " " << k);
        EXPECT_GE(node.cvRSStr.Value, 0.0L);
        EXPECT_TRUE(node.cvF.Missing || node.cvF.Value >= 0.0L) << node.cvF.Value;
        EXPECT_TRUE(node.cvS.Missing || node.cvS.Value >= 0.0L);
        EXPECT_TRUE(node.cvR2.Missing || node.cvR2.Value <= 1.0L);
        EXPECT_TRUE(node.cvLOF.Missing || node.cvLOF.Value >= 0.0L);
        EXPECT_TRUE(node.cvRMSEtr.Missing || node.cvRMSEtr.Value >= 0.0L);
        const CheckedValue lofFitness = fitter.Fitness(2, data->ldLOFSmoothing);
        EXPECT_TRUE(lofFitness.Missing || lofFitness.Value >= 0.0L);
      }
    }
  }
  EXPECT_GT(negativeRounding, 0);  // the case this guards against does occur
}
