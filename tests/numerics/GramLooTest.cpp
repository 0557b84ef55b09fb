#include "numerics/GramLoo.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "numerics/Matrix.h"
#include "numerics/ModelCalc.h"

namespace {

// A design [1 | X] of n rows and q columns of a given kind, and a response.
struct Design {
  Design(int n, int q, int kind, std::mt19937& random) : X(n, q), y(n, 1) {
    std::normal_distribution<double> noise;
    for (int i = 0; i < n; ++i) {
      X.At(i, 0) = 1.0L;
      for (int j = 1; j < q; ++j) {
        long double v = static_cast<long double>(noise(random));
        if (kind == 1 && j == q - 1) v = 2.0L * X.At(i, 1) - 3.0L;                           // an exact copy
        if (kind == 2 && j == q - 1) v = X.At(i, 1) + 1e-14L * static_cast<long double>(noise(random));  // a near copy
        if (kind == 3) v = 1e3L + 1e-3L * v;                                                 // badly centred
        if (kind == 4 && i == 0) v = 1e30L;                                                  // one huge leverage
        if (kind == 5 && j == 1) v = 0.0L;                                                   // a zero column
        if (kind == 6 && j == q - 1) v = X.At(i, 1) + (i == 0 ? 1.0L : 0.0L);  // a copy but for the row left out first
        X.At(i, j) = v;
      }
      y.At(i, 0) = 1.0L + static_cast<long double>(noise(random));
      if (kind == 7) y.At(i, 0) = 2.0L;                                                 // nothing to explain
      if (kind == 8) y.At(i, 0) = 1e-2500L * static_cast<long double>(noise(random));  // squares underflow
    }
  }
  Matrix X, y;
};

// PRESS, the predictions and the verdict are LooPress's own, for designs that fit,
// that fail and that hang on rounding, from n = q + 1 rows up.
TEST(GramLoo, GivesLooPressBitForBit) {
  std::mt19937 random(7);
  int failed = 0;
  for (int kind = 0; kind <= 8; ++kind)
    for (int q = 1; q <= 6; ++q)
      for (int n : {q + 1, q + 3, 40}) {
        SCOPED_TRACE(testing::Message() << "kind " << kind << " q " << q << " n " << n);
        Design d(n, q, kind, random);
        Matrix expectedLoo(n, 1), xt(q, n), G(q, q), h(q, 1);
        bool succeeded = false;
        const long double expected = LooPress(d.X, d.y, n, q - 1, &expectedLoo, &succeeded);
        d.X.TransposeInto(xt);
        bool gramFinite = true;
        try {
          xt.MultiplyInto(d.X, G);
          xt.MultiplyInto(d.y, h);
        } catch (...) {
          gramFinite = false;
        }
        std::vector<long double> flatG, flatH, y, loo(static_cast<std::size_t>(n), 0.0L);
        std::vector<const long double*> rows;
        for (int j = 0; j < q; ++j) {
          flatH.push_back(h.At(j, 0));
          for (int k = 0; k < q; ++k) flatG.push_back(G.At(j, k));
        }
        for (int i = 0; i < n; ++i) {
          rows.push_back(d.X.Data()[i]);
          y.push_back(d.y.At(i, 0));
        }
        long double press = -5.0L;
        const bool ok = gramFinite && LooPressFromGram(n, q, flatG.data(), flatH.data(), rows.data(), y.data(), press, loo.data());
        EXPECT_EQ(ok, succeeded);
        if (!succeeded) {
          ++failed;
          continue;
        }
        EXPECT_EQ(press, expected);
        for (int i = 0; i < n; ++i) EXPECT_EQ(loo[static_cast<std::size_t>(i)], expectedLoo.At(i, 0)) << i;
      }
  EXPECT_GT(failed, 3);
}

TEST(GramLoo, RefusesSizesOutsideItsArrays) {
  const long double one = 1.0L, y = 0.0L;
  const long double* row = &one;
  long double press = 7.0L;
  EXPECT_FALSE(LooPressFromGram(1, 0, &one, &one, &row, &y, press, nullptr));
  EXPECT_FALSE(LooPressFromGram(1, kGramLooMaxCoefficients + 1, &one, &one, &row, &y, press, nullptr));
  EXPECT_EQ(press, 7.0L);
}

}  // namespace
