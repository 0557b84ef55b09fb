// The workspace forms of the model routines against the routines' steps written
// with the replacing matrix operations: the results must agree bit for bit, also
// when one workspace serves models of changing sizes.
#include "numerics/ModelCalcWorkspace.h"

#include <gtest/gtest.h>

#include <cmath>
#include <optional>

#include "numerics/MersenneTwister.h"
#include "numerics/ModelCalc.h"
#include "numerics/Statistics.h"

namespace {

struct Design {
  Matrix X;  // [1 | D]
  Matrix D;
  Matrix DY;
  Matrix y;
};

// n objects, p descriptors; each descriptor partly copies the previous one so that
// the correlation matrices are far from the identity.
Design RandomDesign(MersenneTwister& random, int n, int p) {
  Design d{Matrix(n, p + 1), Matrix(n, p), Matrix(n, p + 1), Matrix(n, 1)};
  for (int i = 0; i < n; ++i) {
    d.X.At(i, 0) = 1.0L;
    long double y = random.RandomReal();
    for (int j = 0; j < p; ++j) {
      const long double previous = j > 0 ? d.D.At(i, j - 1) : 0.0L;
      const long double x = 0.6L * previous + 10.0L * random.RandomReal() - 5.0L;
      d.X.At(i, j + 1) = d.D.At(i, j) = d.DY.At(i, j) = x;
      y += (j + 1) * x;
    }
    d.y.At(i, 0) = y;
  }
  return d;
}

// The steps of the least-squares fit with the replacing operations: b, fitted values.
std::pair<Matrix, Matrix> ReferenceFit(const Matrix& X, const Matrix& y) {
  Matrix b(X);
  const Matrix A(X);
  b.Transpose();
  const Matrix Xt(b);
  b.Multiply(A);
  b.InvertMultiply(Xt);
  b.Multiply(y);
  Matrix fitted(X);
  fitted.Multiply(b);
  return {b, fitted};
}

// The leave-one-out steps with the replacing operations; nullopt on a fault.
std::optional<long double> ReferencePress(const Matrix& X, const Matrix& y, Matrix& loo) {
  const int n = X.Rows();
  const int q = X.Cols();
  try {
    Matrix Xt(X);
    Xt.Transpose();
    Matrix G(Xt);
    G.Multiply(X);
    Matrix h(Xt);
    h.Multiply(y);
    long double press = 0.0L;
    for (int i = 0; i < n; ++i) {
      Matrix b(G);
      for (int j = 0; j < q; ++j)
        for (int k = 0; k < q; ++k) b.At(j, k) -= X.At(i, j) * X.At(i, k);
      b.Invert();
      Matrix hi(q, 1);
      for (int j = 0; j < q; ++j) hi.At(j, 0) = h.At(j, 0) - X.At(i, j) * y.At(i, 0);
      b.Multiply(hi);
      long double yhat = b.At(0, 0);
      for (int j = 1; j < q; ++j) yhat += b.At(j, 0) * X.At(i, j);
      press += (y.At(i, 0) - yhat) * (y.At(i, 0) - yhat);
      loo.At(i, 0) = yhat;
    }
    return press;
  } catch (...) {
    return std::nullopt;
  }
}

// The eigenvalue sum and K index of the correlation matrix with the replacing operations.
long double ReferenceK(const Matrix& m) {
  const int cols = m.Cols();
  Matrix R;
  R.Correlation(m);
  if (cols == 2) {
    R.At(0, 1) = R.At(1, 0);
    long double eigen[2];
    if (R.Eigen2x2(eigen)) {
      R.At(0, 0) = eigen[0];
      R.At(0, 1) = eigen[1];
    }
  } else {
    R.HouseholderReduce(nullptr);
    R.QLEigen(nullptr);
  }
  long double sum = 0.0L;
  for (int j = 0; j < cols; ++j) sum += R.At(0, j);
  long double k = 0.0L;
  for (int j = 0; j < cols; ++j) k += std::fabs(R.At(0, j) / sum - 1.0L / cols);
  return k / (2.0L * (cols - 1) / cols);
}

void ExpectSameColumn(const Matrix& actual, const Matrix& expected) {
  ASSERT_EQ(actual.Rows(), expected.Rows());
  for (int i = 0; i < expected.Rows(); ++i) EXPECT_EQ(actual.At(i, 0), expected.At(i, 0)) << "row " << i;
}

}  // namespace

// One workspace scores models whose n and p grow and shrink in turn, so that
// matrices laid out again inside larger storage are exercised too.
TEST(ModelCalcWorkspace, ResultsAreBitIdenticalToTheReplacingStepsAcrossChangingSizes) {
  MersenneTwister random(20261206);
  ModelCalcWorkspace ws;
  const int sizes[][2] = {{30, 4}, {12, 1}, {40, 6}, {7, 2}, {40, 6}, {25, 3}, {9, 5}, {60, 2}};
  for (const auto& [n, p] : sizes) {
    SCOPED_TRACE(testing::Message() << "n = " << n << ", p = " << p);
    Design d = RandomDesign(random, n, p);
    long double ssReg = 0, ssTot = 0, press = 0;
    Matrix loo(n, 1);
    ASSERT_TRUE(FitModel(ws, ssReg, ssTot, &press, nullptr, &loo, n, p, d.y, d.X, nullptr));

    const auto [b, fitted] = ReferenceFit(d.X, d.y);
    ExpectSameColumn(ws.b, b);
    ExpectSameColumn(ws.fitted, fitted);
    EXPECT_EQ(ssReg, SumSqDev(fitted));
    Matrix expectedLoo(n, 1);
    EXPECT_EQ(press, ReferencePress(d.X, d.y, expectedLoo).value());
    ExpectSameColumn(loo, expectedLoo);

    long double kxx, kxy;
    bool kxxMissing, kxyMissing;
    KIndices(ws, d.D, d.DY, d.y, kxx, kxxMissing, kxy, kxyMissing, p);
    EXPECT_EQ(kxx, p > 1 ? ReferenceK(d.D) : 0.0L);
    EXPECT_EQ(kxy, ReferenceK(d.DY));
    EXPECT_FALSE(kxxMissing || kxyMissing);
  }
}

// A failure inside the workspace (a singular system, a correlation of one row)
// reports as before and leaves the workspace fit for the next model.
TEST(ModelCalcWorkspace, FailuresLeaveTheWorkspaceUsable) {
  MersenneTwister random(7);
  ModelCalcWorkspace ws;
  Design d = RandomDesign(random, 20, 3);
  Design collinear = RandomDesign(random, 20, 3);
  for (int i = 0; i < 20; ++i) collinear.X.At(i, 3) = collinear.D.At(i, 2) = collinear.DY.At(i, 2) = collinear.X.At(i, 1);
  Design single = RandomDesign(random, 1, 3);

  long double ssReg, ssTot, press, kxx, kxy;
  bool kxxMissing, kxyMissing;
  EXPECT_FALSE(FitModel(ws, ssReg, ssTot, &press, nullptr, nullptr, 20, 3, collinear.y, collinear.X, nullptr));
  EXPECT_EQ(ssTot, -1.0L);
  KIndices(ws, single.D, single.DY, single.y, kxx, kxxMissing, kxy, kxyMissing, 3);
  EXPECT_TRUE(kxxMissing);
  EXPECT_TRUE(kxyMissing);

  ASSERT_TRUE(FitModel(ws, ssReg, ssTot, &press, nullptr, nullptr, 20, 3, d.y, d.X, nullptr));
  ExpectSameColumn(ws.b, ReferenceFit(d.X, d.y).first);
  Matrix loo(20, 1);
  EXPECT_EQ(press, ReferencePress(d.X, d.y, loo).value());
  KIndices(ws, d.D, d.DY, d.y, kxx, kxxMissing, kxy, kxyMissing, 3);
  EXPECT_EQ(kxx, ReferenceK(d.D));
}

// The forms without a workspace give the same results and still replace X by b.
TEST(ModelCalcWorkspace, FormsWithoutAWorkspaceAgreeAndReplaceTheDesignByB) {
  MersenneTwister random(11);
  Design d = RandomDesign(random, 15, 3);
  Matrix X(d.X);
  long double ssReg, ssTot;
  ASSERT_TRUE(FitModel(ssReg, ssTot, nullptr, nullptr, nullptr, 15, 3, d.y, X, nullptr));
  ASSERT_EQ(X.Cols(), 1);
  ExpectSameColumn(X, ReferenceFit(d.X, d.y).first);
  Matrix loo(15, 1);
  EXPECT_EQ(LooPress(d.X, d.y, 15, 3), ReferencePress(d.X, d.y, loo).value());
  EXPECT_EQ(KCorrelationIndex(d.DY), ReferenceK(d.DY));
}
