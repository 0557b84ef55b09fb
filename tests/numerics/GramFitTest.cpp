#include "numerics/GramFit.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "numerics/Matrix.h"
#include "numerics/ModelCalc.h"
#include "numerics/NumericsTestSupport.h"
#include "numerics/Statistics.h"

namespace {

// A design [1 | X] of n rows and q columns, column by column, and a response:
// spread, with an exact or a near copy, badly centred, with a zero column, with
// one huge value, or with a response far beyond the descriptors' range.
struct Design {
  Design(int n, int q, int kind, std::mt19937& random)
      : X(n, q), y(n, 1), columns(static_cast<std::size_t>(q), std::vector<long double>(static_cast<std::size_t>(n))) {
    std::normal_distribution<double> noise;
    auto draw = [&] { return static_cast<long double>(noise(random)); };
    for (int i = 0; i < n; ++i) {
      X.At(i, 0) = 1.0L;
      for (int j = 1; j < q; ++j) {
        long double v = draw();
        if (kind == 1 && j == q - 1) v = 2.0L * X.At(i, 1) - 3.0L;
        if (kind == 2 && j == q - 1) v = X.At(i, 1) + 1e-14L * draw();
        if (kind == 3) v = 1e6L + 1e-3L * v;
        if (kind == 4 && j == 1) v = 0.0L;
        if (kind == 5 && i == 0) v = 1e2400L;
        X.At(i, j) = v;
      }
      y.At(i, 0) = kind == 6 ? 1e4900L * draw() : 1.0L + draw();
      if (kind == 7) y.At(i, 0) = 2.0L;
      for (int j = 0; j < q; ++j) columns[j][i] = X.At(i, j);
    }
  }
  Matrix X, y;
  std::vector<std::vector<long double>> columns;
};

// The coefficients, fitted values, SSreg and verdict are FitModel's own, for
// designs that fit and that fail, from n = q rows up.
TEST(GramFit, GivesFitModelBitForBit) {
  std::mt19937 random(11);
  int failed = 0, fitted = 0;
  for (int kind = 0; kind <= 7; ++kind)
    for (int q = 1; q <= 7; ++q)
      for (int n : {q, q + 2, 30}) {
        SCOPED_TRACE(testing::Message() << "kind " << kind << " q " << q << " n " << n);
        const Design d(n, q, kind, random);
        ModelCalcWorkspace ws;
        long double ssReg = 0.0L, ssTot = 0.0L;
        const bool expected = FitModel(ws, ssReg, ssTot, nullptr, nullptr, nullptr, n, q - 1, d.y, d.X, nullptr);
        Matrix xt(q, n), G(q, q);
        d.X.TransposeInto(xt);
        bool gramFinite = true;
        try {
          xt.MultiplyInto(d.X, G);
        } catch (...) {
          gramFinite = false;
        }
        std::vector<long double> flatG, y, b(static_cast<std::size_t>(q)), fit(static_cast<std::size_t>(n));
        std::vector<const long double*> columns;
        for (int j = 0; j < q; ++j) {
          columns.push_back(d.columns[j].data());
          for (int k = 0; k < q; ++k) flatG.push_back(G.At(j, k));
        }
        for (int i = 0; i < n; ++i) y.push_back(d.y.At(i, 0));
        long double gramSSReg = -5.0L;
        // SStot, which FitModel takes after SSreg, is the caller's.
        bool responseSpread = true;
        try {
          SumSqDev(d.y);
        } catch (...) {
          responseSpread = false;
        }
        const bool ok = gramFinite && FitFromGram(n, q, flatG.data(), columns.data(), y.data(), b.data(), fit.data(), gramSSReg);
        ASSERT_EQ(ok && responseSpread, expected);
        if (!expected) {
          ++failed;
          continue;
        }
        ++fitted;
        EXPECT_TRUE(SameBits(gramSSReg, ssReg));
        for (int j = 0; j < q; ++j) EXPECT_TRUE(SameBits(b[j], ws.b.At(j, 0))) << "b" << j;
        for (int i = 0; i < n; ++i) EXPECT_TRUE(SameBits(fit[i], ws.fitted.At(i, 0))) << "row " << i;
      }
  EXPECT_GT(failed, 20);
  EXPECT_GT(fitted, 60);
}

// The mean of 1.1e4932, -1.1e4932 and -1.1e4932 is finite, the first residual is
// not: the fit fails there, before SSreg (which would be 0 for the constant
// fitted values).
TEST(GramFit, AResidualBeyondTheNumberRangeFailsTheFit) {
  const long double ones[3] = {1.0L, 1.0L, 1.0L}, y[3] = {1.1e4932L, -1.1e4932L, -1.1e4932L}, G = 3.0L;
  const long double* columns[1] = {ones};
  long double b = 0.0L, fitted[3] = {}, ssReg = 0.0L;
  EXPECT_FALSE(FitFromGram(3, 1, &G, columns, y, &b, fitted, ssReg));
  EXPECT_TRUE(std::isfinite(fitted[0]));
}

TEST(GramFit, RefusesSizesOutsideItsArrays) {
  const long double one = 1.0L;
  const long double* column = &one;
  long double b = 7.0L, fitted = 7.0L, ssReg = 7.0L;
  EXPECT_FALSE(FitFromGram(1, 0, &one, &column, &one, &b, &fitted, ssReg));
  EXPECT_FALSE(FitFromGram(1, kGramFitMaxCoefficients + 1, &one, &column, &one, &b, &fitted, ssReg));
  EXPECT_EQ(ssReg, 7.0L);
}

}  // namespace
