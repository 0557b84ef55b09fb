#include "numerics/GramLoo.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "numerics/Matrix.h"
#include "numerics/ModelCalc.h"
#include "numerics/NumericsTestSupport.h"
#include "numerics/RankTest.h"

namespace {

// A design [1 | X] of n rows and q columns of a given kind, and a response;
// spread scales the noise that separates a near copy from its original.
struct Design {
  Design(int n, int q, int kind, std::mt19937& random, long double spread = 1e-14L) : X(n, q), y(n, 1) {
    std::normal_distribution<double> noise;
    auto draw = [&] { return static_cast<long double>(noise(random)); };
    for (int i = 0; i < n; ++i) {
      X.At(i, 0) = 1.0L;
      for (int j = 1; j < q; ++j) {
        long double v = draw();
        if (kind == 1 && j == q - 1) v = 2.0L * X.At(i, 1) - 3.0L;                 // an exact copy
        if (kind == 2 && j == q - 1) v = X.At(i, 1) + spread * draw();            // a near copy
        if (kind == 3) v = 1e3L + 1e-3L * v;                                       // badly centred
        if (kind == 4 && i == 0) v = 1e30L;                                        // one huge leverage
        if (kind == 5 && j == 1) v = 0.0L;                                         // a zero column
        if (kind == 6 && j == q - 1) v = X.At(i, 1) + (i == 0 ? 1.0L : 0.0L);     // a copy but for row 0
        if (kind == 9 && j == 1) v = 5.0L + 1e-3L * v;                             // small spread: rows exchange
        if (kind == 10) v = 1e2L * j + 0.1L * v;                                   // large means
        if (kind == 11 && i == 0 && j == 1) v = 1e4L;                              // leverage near 1
        if (kind == 12 && j == 1) v = 1e-3L * v;                                   // a small column
        X.At(i, j) = v;
      }
      if (kind == 13) X.At(i, 0) = 1e-3L * (1.0L + 0.1L * draw());  // no constant: the first pivot moves
      y.At(i, 0) = 1.0L + draw();
      if (kind == 7) y.At(i, 0) = 2.0L;                    // nothing to explain
      if (kind == 8) y.At(i, 0) = 1e-2500L * draw();       // squares underflow
      if (kind == 14) y.At(i, 0) = 1e2500L * draw();       // squares overflow
    }
  }
  Matrix X, y;
};

constexpr int kKinds = 15;
constexpr long double kUnwritten = 7.25L;

// G = X'X and h = X'y as LooPress forms them, flat; false where they overflow.
bool CrossProducts(const Matrix& X, const Matrix& y, std::vector<long double>& G, std::vector<long double>& h) {
  const int n = X.Rows(), q = X.Cols();
  Matrix xt(q, n), g(q, q), xy(q, 1);
  X.TransposeInto(xt);
  try {
    xt.MultiplyInto(X, g);
    xt.MultiplyInto(y, xy);
  } catch (...) {
    return false;
  }
  G.clear();
  h.clear();
  for (int j = 0; j < q; ++j) {
    h.push_back(xy.At(j, 0));
    for (int k = 0; k < q; ++k) G.push_back(g.At(j, k));
  }
  return true;
}

// How LooPress ended on a design.
struct Outcome {
  int succeeded = 0, failedAtOnce = 0, failedPartWay = 0;
  void Add(bool ok, const Matrix& loo) {
    if (ok) ++succeeded;
    else if (loo.At(0, 0) == kUnwritten) ++failedAtOnce;
    else ++failedPartWay;
  }
  // Each way of ending met more often than given.
  void ExpectMoreThan(int fits, int atOnce, int partWay) const {
    EXPECT_GT(succeeded, fits);
    EXPECT_GT(failedAtOnce, atOnce);
    EXPECT_GT(failedPartWay, partWay);
  }
};

// Runs LooPressFromGram and LooPress on one design and expects the same verdict,
// PRESS and every prediction to the bit, those written before a fault included;
// from the fault on LooPressFromGram leaves 0 where LooPress writes nothing.
void ExpectSameAsLooPress(const Design& d, Outcome& outcome) {
  const int n = d.X.Rows(), q = d.X.Cols();
  Matrix expectedLoo(n, 1);
  for (int i = 0; i < n; ++i) expectedLoo.At(i, 0) = kUnwritten;
  bool succeeded = false;
  const long double expected = LooPress(d.X, d.y, n, q - 1, &expectedLoo, &succeeded);
  std::vector<long double> G, h, y, loo(static_cast<std::size_t>(n), kUnwritten);
  std::vector<std::vector<long double>> columnValues(static_cast<std::size_t>(q));
  std::vector<const long double*> columns;
  for (int i = 0; i < n; ++i) {
    for (int j = 0; j < q; ++j) columnValues[static_cast<std::size_t>(j)].push_back(d.X.At(i, j));
    y.push_back(d.y.At(i, 0));
  }
  for (const auto& column : columnValues) columns.push_back(column.data());
  long double press = -5.0L;
  const bool ok = CrossProducts(d.X, d.y, G, h) &&
                  LooPressFromGram(n, q, G.data(), h.data(), columns.data(), y.data(), press, loo.data());
  EXPECT_EQ(ok, succeeded);
  if (ok && succeeded) {
    EXPECT_TRUE(SameBits(press, expected));
  }
  // The refits by ranges of three rows, the last range first, as threads may run them.
  std::vector<long double> byRanges(static_cast<std::size_t>(n), kUnwritten);
  long double rangesPress = -5.0L;
  bool rangesOk = false;
  if (!G.empty()) {
    const GramLooRefits refits(n, q, G.data(), h.data(), columns.data(), y.data());
    int fault = n;
    for (int from = (n - 1) / 3 * 3; from >= 0; from -= 3) {
      const int to = std::min(n, from + 3);
      const int faulted = refits.Run(from, to, byRanges.data());
      if (faulted < to) fault = std::min(fault, faulted);
    }
    rangesOk = refits.Sum(fault, byRanges.data(), rangesPress);
  }
  if (ok) {
    EXPECT_TRUE(rangesOk);
    EXPECT_TRUE(SameBits(rangesPress, press));
  }
  for (int i = 0; i < n; ++i) {
    const long double expectedPrediction = expectedLoo.At(i, 0) == kUnwritten ? 0.0L : expectedLoo.At(i, 0);
    EXPECT_TRUE(SameBits(loo[static_cast<std::size_t>(i)], expectedPrediction)) << "row " << i;
    if (!G.empty()) {
      EXPECT_TRUE(SameBits(byRanges[static_cast<std::size_t>(i)], expectedPrediction)) << "row " << i;
    }
  }
  outcome.Add(succeeded, expectedLoo);
}

// PRESS, the predictions and the verdict are LooPress's own, for designs that fit,
// that fail (part-way included) and that hang on rounding, from n = q + 1 rows up.
TEST(GramLoo, GivesLooPressBitForBit) {
  std::mt19937 random(7);
  Outcome outcome;
  for (int repeat = 0; repeat < 8; ++repeat)
    for (int kind = 0; kind < kKinds; ++kind)
      for (int q = 1; q <= 7; ++q)
        for (int n : {q + 1, q + 3, 40}) {
          SCOPED_TRACE(testing::Message() << "kind " << kind << " q " << q << " n " << n);
          ExpectSameAsLooPress(Design(n, q, kind, random), outcome);
        }
  outcome.ExpectMoreThan(1000, 500, 10);
}

// Near copies whose rank-test pivots straddle its tolerance: the refits refuse
// where LooPress refuses, also for single rows.
TEST(GramLoo, DecidesAsTheRankTestNearItsTolerance) {
  std::mt19937 random(11);
  Outcome outcome;
  for (long double spread = 1e-8L; spread < 1e-4L; spread *= 1.05L)
    for (int q : {2, 3, 4, 5})
      for (int n : {q + 2, 8, 30}) {
        SCOPED_TRACE(testing::Message() << "spread " << static_cast<double>(spread) << " q " << q << " n " << n);
        ExpectSameAsLooPress(Design(n, q, 2, random, spread), outcome);
      }
  outcome.ExpectMoreThan(500, 500, 30);
}

TEST(GramLoo, RefusesSizesOutsideItsArraysOnly) {
  std::mt19937 random(5);
  Outcome largest;
  ExpectSameAsLooPress(Design(40, kGramLooMaxCoefficients, 0, random), largest);
  EXPECT_EQ(largest.succeeded, 1);
  const long double one = 1.0L, y = 0.0L;
  const long double* column = &one;
  long double press = 7.0L;
  EXPECT_FALSE(LooPressFromGram(1, 0, &one, &one, &column, &y, press, nullptr));
  EXPECT_FALSE(LooPressFromGram(1, kGramLooMaxCoefficients + 1, &one, &one, &column, &y, press, nullptr));
  EXPECT_EQ(press, 7.0L);
}

// The smallest pivot of the rank test on G - x x' rounded as the refit rounds it;
// -1 where the test refuses.
long double SmallestRankPivot(int q, const std::vector<long double>& G, const long double* x) {
  std::vector<long double> gi(static_cast<std::size_t>(q * q)), scaled(gi.size(), -1.0L);
  std::vector<long double*> giRows, scaledRows;
  for (int j = 0; j < q; ++j) {
    giRows.push_back(&gi[static_cast<std::size_t>(j * q)]);
    scaledRows.push_back(&scaled[static_cast<std::size_t>(j * q)]);
    for (int k = 0; k < q; ++k) gi[static_cast<std::size_t>(j * q + k)] = G[static_cast<std::size_t>(j * q + k)] - x[j] * x[k];
  }
  try {
    RequireFullRankRows(q, giRows.data(), scaledRows.data(), [] { throw 1; });
  } catch (int) {
    return -1.0L;
  }
  long double smallest = scaled[0];
  for (int k = 1; k < q; ++k) smallest = std::min(smallest, scaledRows[static_cast<std::size_t>(k)][k]);
  return smallest;
}

// Counts the rows of a design that the waiver waives, expecting each of them to
// pass the rank test with every pivot at least the 1e-10 that a waiver promises;
// closest receives the smallest such pivot seen.
int ExpectWaivedRowsPass(const Design& d, long double& closest) {
  const int q = d.X.Cols();
  std::vector<long double> G, h;
  if (!CrossProducts(d.X, d.y, G, h)) return 0;
  const RankTestWaiver waiver(q, G.data());
  int waived = 0;
  for (int i = 0; i < d.X.Rows(); ++i)
    if (waiver.Waives(d.X.Data()[i])) {
      ++waived;
      const long double pivot = SmallestRankPivot(q, G, d.X.Data()[i]);
      EXPECT_GE(pivot, 0.99999e-10L) << "row " << i;
      closest = std::min(closest, pivot);
    }
  return waived;
}

TEST(GramLoo, WaivesTheRankTestOnlyWithRoomToSpare) {
  std::mt19937 random(5);
  int waived = 0;
  long double closest = 1.0L;
  for (int repeat = 0; repeat < 4; ++repeat)
    for (int kind = 0; kind < kKinds; ++kind)
      for (int q = 1; q <= 7; ++q)
        for (int n : {q + 1, q + 3, 40}) {
          SCOPED_TRACE(testing::Message() << "kind " << kind << " q " << q << " n " << n);
          waived += ExpectWaivedRowsPass(Design(n, q, kind, random), closest);
        }
  // Near copies whose smallest scaled eigenvalue lies around 1e-10, with rows of
  // every leverage.
  for (long double spread = 1e-6L; spread < 1e-3L; spread *= 1.05L)
    for (int q : {2, 3, 5})
      for (int n : {q + 2, 12, 40}) {
        SCOPED_TRACE(testing::Message() << "spread " << static_cast<double>(spread) << " q " << q);
        waived += ExpectWaivedRowsPass(Design(n, q, 2, random, spread), closest);
      }
  EXPECT_GT(waived, 20000);
  EXPECT_LT(closest, 1e-8L);
}

TEST(GramLoo, WaivesTheRankTestForMostRowsOfAnOrdinaryModel) {
  std::mt19937 random(3);
  for (int kind : {0, 9, 10, 12, 13}) {
    long double closest = 1.0L;
    EXPECT_GE(ExpectWaivedRowsPass(Design(200, 5, kind, random), closest), 190) << "kind " << kind;
  }
  const Design farObject(200, 4, 11, random);
  std::vector<long double> G, h;
  ASSERT_TRUE(CrossProducts(farObject.X, farObject.y, G, h));
  EXPECT_FALSE(RankTestWaiver(4, G.data()).Waives(farObject.X.Data()[0]));  // its leverage is about 1
  EXPECT_TRUE(RankTestWaiver(4, G.data()).Waives(farObject.X.Data()[1]));
}

TEST(GramLoo, WaivesNothingForUnfitCrossProducts) {
  const long double x[2] = {1.0L, 0.0L};
  const long double asymmetric[4] = {4.0L, 1.0L, 1.5L, 4.0L};
  const long double indefinite[4] = {1.0L, 2.0L, 2.0L, 1.0L};
  const long double zeroDiagonal[4] = {0.0L, 0.0L, 0.0L, 4.0L};
  const long double nan = std::numeric_limits<long double>::quiet_NaN();
  const long double notANumber[4] = {4.0L, nan, nan, 4.0L};
  const long double fit[4] = {4.0L, 1.0L, 1.0L, 4.0L};
  const long double outsideDoubles[4] = {4.0L, 1e300L, 1e300L, 1e640L};  // its unit scale is no double
  EXPECT_FALSE(RankTestWaiver(2, asymmetric).Waives(x));
  EXPECT_FALSE(RankTestWaiver(2, indefinite).Waives(x));
  EXPECT_FALSE(RankTestWaiver(2, zeroDiagonal).Waives(x));
  EXPECT_FALSE(RankTestWaiver(2, notANumber).Waives(x));
  EXPECT_FALSE(RankTestWaiver(2, outsideDoubles).Waives(x));
  EXPECT_TRUE(RankTestWaiver(2, fit).Waives(x));
  const long double infinite[2] = {std::numeric_limits<long double>::infinity(), 0.0L};
  EXPECT_FALSE(RankTestWaiver(2, fit).Waives(infinite));
}

}  // namespace
