#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "numerics/CorrelationPca.h"
#include "numerics/Matrix.h"
#include "numerics/NumericsTestSupport.h"
#include "numerics/RowArray.h"
#include "numerics/Utils.h"

TEST(Covariance, CorrelationAndAutoscalingOnDegenerateData) {
  Matrix c;
  c.Covariance(FromRows({{1, 2}, {2, 4}, {3, 3}}), false);
  EXPECT_EQ(c.At(1, 0), 0.5L);
  EXPECT_EQ(c.At(0, 0), 1.0L);  // the variances on the diagonal
  EXPECT_EQ(c.At(1, 1), 1.0L);
  EXPECT_EQ(ThrownText([&] { c.Covariance(FromRows({{1, 2}}), false); }),
            "Building covariance matrix: calculation error");  // n = 1: divisor n - 1 is 0

  Matrix r;
  r.Correlation(FromRows({{1, 5, 2}, {2, 5, 1}, {3, 5, 4}, {4, 5, 3}}));
  EXPECT_TRUE(Close(r.At(2, 0), 0.6L, 1e-18));
  EXPECT_TRUE(r.MissCorrFlags()[1][0]);
  // A constant column whose mean does not come out exact is still flagged.
  Matrix inexact = FromRows({{1.7L, 1}, {1.7L, 2}, {1.7L, 4}});
  r.Correlation(inexact);
  EXPECT_TRUE(r.MissCorrFlags()[1][0]);
  EXPECT_EQ(r.At(1, 0), 0.0L);

  Matrix x = FromRows({{1, 7}, {3, 7}});
  EXPECT_EQ(ThrownText([&] { x.Autoscale(); }), "Austoscaled matrix error.calculation error");
  EXPECT_EQ(x.At(0, 0), -1.0L);  // the column before the failing one stays scaled
  EXPECT_EQ(x.At(1, 0), 1.0L);
}

TEST(Eigen, HouseholderAndQLGiveEigenpairsOrReportTheIterationLimit) {
  const std::vector<std::vector<long double>> rows = {{4, 1, 2, 0.5}, {1, 3, 0, 1}, {2, 0, 5, 1.5}, {0.5, 1, 1.5, 2}};
  Matrix a = FromRows(rows);
  Matrix q;
  a.HouseholderReduce(&q);
  ASSERT_TRUE(a.QLEigen(&q));
  ASSERT_EQ(a.Rows(), 1);
  for (int j = 0; j < 4; ++j)
    for (int r = 0; r < 4; ++r) {  // A v = lambda v for column j
      long double av = 0.0L;
      for (int k = 0; k < 4; ++k) av += rows[r][k] * q.At(k, j);
      EXPECT_TRUE(Close(av, a.At(0, j) * q.At(r, j), 1e-17));
    }

  Matrix tri = FromRows({{2, 1, 0}, {1, 2, 1}, {0, 1, 2}});
  tri.HouseholderReduce(nullptr);
  ASSERT_TRUE(tri.QLIterate(0, nullptr));  // a limit below 1 means 200
  tri.SortEigen(nullptr, nullptr);
  const long double expected[3] = {2.0L - std::sqrt(2.0L), 2.0L, 2.0L + std::sqrt(2.0L)};
  for (int j = 0; j < 3; ++j) EXPECT_LT(std::fabs(tri.At(0, j) - expected[j]), 1e-17L) << j;

  // This form needs a limit of 5 steps per eigenvalue: 4 stops short.
  for (int limit : {4, 5}) {
    Matrix slow = FromRows({{1, 2, 3}, {2, 1, 0}, {3, 0, 2}});
    slow.HouseholderReduce(nullptr);
    EXPECT_EQ(slow.QLIterate(limit, nullptr), limit == 5);
    EXPECT_EQ(slow.Rows(), 1);
  }
  Matrix notForm(3, 3), notSquare(2, 3), form, work(2, 2);
  EXPECT_THROW(notForm.QLEigen(nullptr), MatrixQLIndexEx);
  EXPECT_THROW(notSquare.HouseholderReduce(nullptr), MatrixSameIndexEx);
  EXPECT_THROW(notSquare.HouseholderReduceInto(form, work), MatrixSameIndexEx);
}

// An infinity or a NaN anywhere in the matrix, on the diagonal (which the
// reduction only copies) or off it, fails the reduction, with or without the
// transformation, rather than giving eigenvalues that are no numbers.
TEST(Eigen, NonFiniteEntriesFailTheReduction) {
  for (const long double bad : {HUGE_VALL, -HUGE_VALL, std::nanl("")})
    for (int n : {2, 3})
      for (int r = 0; r < n; ++r)
        for (int c = 0; c <= r; ++c) {
          Matrix a(n, n);
          for (int i = 0; i < n; ++i) a.At(i, i) = 2.0L + i;
          a.At(r, c) = a.At(c, r) = bad;
          const std::string where = std::to_string(n) + " " + std::to_string(r) + " " + std::to_string(c);
          Matrix reduced = a, q, form, work(n, n);
          EXPECT_EQ(ThrownText([&] { reduced.HouseholderReduce(&q); }), "Householder reduction: calculation error")
              << where;
          reduced = a;
          EXPECT_EQ(ThrownText([&] { reduced.HouseholderReduce(nullptr); }), "Householder reduction: calculation error")
              << where;
          EXPECT_EQ(ThrownText([&] { a.HouseholderReduceInto(form, work); }), "Householder reduction: calculation error")
              << where;
        }
}

// A QL step that overflows the off-diagonal (the first form) or the diagonal
// (the second) raises the overflow instead of returning an infinite eigenvalue,
// and so do eigenvectors that a transformation holding an infinity spoils. A form
// of zeros has converged.
TEST(Eigen, QLIterationRaisesOverflowsAndTakesZerosAsConverged) {
  for (const std::vector<std::vector<long double>>& rows :
       {std::vector<std::vector<long double>>{{1e4931L, 1e4931L, 1e4931L}, {1e4932L, 0.0L, 0.0L}},
        std::vector<std::vector<long double>>{{1e4931L, 1e4932L}, {5e4931L, 0.0L}}}) {
    Matrix form = FromRows(rows);
    EXPECT_THROW(form.QLEigen(nullptr), EOverflow);
  }
  Matrix form = FromRows({{2, 1}, {1, 0}});
  Matrix q = FromRows({{HUGE_VALL, 0}, {0, 1}});
  EXPECT_THROW(form.QLEigen(&q), EMathError);

  Matrix zeros(3, 3);
  zeros.HouseholderReduce(nullptr);
  ASSERT_TRUE(zeros.QLEigen(nullptr));
  for (int j = 0; j < 3; ++j) EXPECT_EQ(zeros.At(0, j), 0.0L);
}

TEST(Eigen2x2, RealAndComplexPairs) {
  long double out[2] = {7, 7};
  EXPECT_TRUE(FromRows({{2, 1}, {1, 2}}).Eigen2x2(out));
  EXPECT_EQ(out[0], 3.0L);
  EXPECT_EQ(out[1], 1.0L);
  EXPECT_FALSE(FromRows({{0, -1}, {1, 0}}).Eigen2x2(out));
  EXPECT_THROW(FromRows({{1e4000L, 0}, {0, 1e4000L}}).Eigen2x2(out), EMathError);  // not NaN eigenvalues
}

namespace {

// Columns of sines, every fifth one close to the first.
Matrix SineColumns(int rows, int cols) {
  Matrix m(rows, cols);
  for (int r = 0; r < rows; ++r)
    for (int c = 0; c < cols; ++c)
      m.At(r, c) = c % 5 == 0 ? std::sin(0.3L * r) + 0.01L * std::sin(c * r) : std::sin(0.37L * r * (c + 1) + c);
  return m;
}

bool SameValues(const Matrix& a, const Matrix& b) {
  if (a.Rows() != b.Rows() || a.Cols() != b.Cols()) return false;
  for (int r = 0; r < a.Rows(); ++r)
    for (int c = 0; c < a.Cols(); ++c)
      if (a.At(r, c) != b.At(r, c)) return false;
  return true;
}

// A poll that stops the routine at its first question.
WorkPoll Stopping() {
  return WorkPoll([](double) { return true; }, 1.0);
}

}  // namespace

TEST(CorrelationPcaPoll, AskedWithARisingShareOfTheWorkAndWithoutEffectOnTheResults) {
  Matrix plain = SineColumns(50, 150), polled = plain;
  PcaComponents plainPca, polledPca;
  CorrelationPca(plain, plainPca);
  std::vector<double> shares;
  CorrelationPca(polled, polledPca, [&shares](double share) {
    shares.push_back(share);
    return false;
  });
  EXPECT_TRUE(SameValues(polled, plain));
  EXPECT_TRUE(SameValues(polledPca.eigenvalues, plainPca.eigenvalues));
  EXPECT_TRUE(SameValues(polledPca.vectors, plainPca.vectors));
  EXPECT_TRUE(SameValues(polledPca.explained, plainPca.explained));
  ASSERT_GE(shares.size(), 8u);
  EXPECT_TRUE(std::is_sorted(shares.begin(), shares.end()));
  EXPECT_LT(shares.front(), 0.15);
  EXPECT_GT(shares.back(), 0.8);
}

// Each long step of the analysis asks its poll, and a stop passes the matrix
// routines' own failure handling unchanged.
TEST(CorrelationPcaPoll, StopsTheCorrelationTheReductionTheIterationAndTheScores) {
  const Matrix x = SineColumns(60, 200);
  Matrix r, q;
  WorkPoll stop = Stopping();
  EXPECT_THROW(r.Correlation(x, &stop), CalculationStopped);
  r.Correlation(x);
  Matrix reduced = r;
  stop = Stopping();
  EXPECT_THROW(reduced.HouseholderReduce(&q, &stop), CalculationStopped);
  r.HouseholderReduce(&q);
  Matrix form = r, vectors = q;
  stop = Stopping();
  EXPECT_THROW(form.QLEigen(&vectors, &stop), CalculationStopped);
  r.QLEigen(&q);
  Matrix scores = x;
  stop = Stopping();
  EXPECT_THROW(scores.Multiply(q, &stop), CalculationStopped);
  EXPECT_TRUE(SameValues(scores, x));  // left as it was
  PcaComponents pca;
  EXPECT_THROW(CorrelationPca(scores, pca, [](double) { return true; }), CalculationStopped);
}

// The blocks of the analysis are set a row at a time under a poll: to the same
// zeros (a block just freed, holding sevens, is the one handed out again), and
// the poll may stop the setting of a large one.
TEST(CorrelationPcaPoll, BlocksMadeUnderAPollStartAtZeroAndCanBeStopped) {
  {
    RowArray<long double> used(4, 5, "*a", "**a");
    for (int r = 0; r < 4; ++r) std::fill_n(used[r], 5, 7.0L);
  }
  WorkPoll never([](double) { return false; }, 1.0);
  RowArray<long double> block(4, 5, "*a", "**a", &never);
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 5; ++c) EXPECT_EQ(block[r][c], 0.0L) << r << " " << c;
  WorkPoll stop = Stopping();
  EXPECT_THROW(RowArray<bool>(1100, 1000, "*b", "**b", &stop), CalculationStopped);
}
