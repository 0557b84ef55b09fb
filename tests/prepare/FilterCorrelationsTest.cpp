#include "prepare/FilterCorrelations.h"

#include <gtest/gtest.h>

#include <numeric>
#include <random>

#include "numerics/Matrix.h"
#include "numerics/Statistics.h"
#include "platform/base/WorkerThreads.h"

namespace {

// Columns of many kinds: plain noise, near copies of the previous column, badly
// centred ones, tiny spreads, huge values, few distinct values and a constant one.
Matrix TestColumns(int rows, std::mt19937& random) {
  const int cols = 11;
  Matrix m(rows, cols);
  std::normal_distribution<double> noise;
  for (int r = 0; r < rows; ++r) {
    for (int c = 0; c < cols; ++c) {
      const long double e = static_cast<long double>(noise(random));
      long double v = e;
      switch (c) {
        case 1: v = m.At(r, 0) + 1e-3L * e; break;
        case 2: v = 1e6L + e; break;
        case 3: v = 1e6L + 1e-3L * e; break;
        case 4: v = 1e300L * e; break;
        case 5: v = 1e3000L * e; break;  // squares overflow the extended range
        case 6: v = static_cast<long double>(random() % 2); break;
        case 7: v = -m.At(r, 0) + 0.3L * e; break;
        case 8: v = 4.0L; break;
        case 9: v = 3.0L - (r % 5 == 0 ? 1.0L : 0.0L); break;
        default: break;
      }
      m.At(r, c) = v;
    }
  }
  return m;
}

std::vector<std::vector<long double>> Columns(const Matrix& m) {
  std::vector<std::vector<long double>> columns(static_cast<std::size_t>(m.Cols()));
  for (int c = 0; c < m.Cols(); ++c)
    for (int r = 0; r < m.Rows(); ++r) columns[static_cast<std::size_t>(c)].push_back(m.At(r, c));
  return columns;
}

std::vector<const long double*> Pointers(const std::vector<std::vector<long double>>& columns) {
  std::vector<const long double*> pointers;
  for (const auto& column : columns) pointers.push_back(column.data());
  return pointers;
}

// Single pairs, whole rows on 1 and on 4 threads, with and without the pair table,
// in every order of asking: each gives PairCorrelation's bits or fails where it fails.
TEST(FilterCorrelations, GivesPairCorrelationBitForBitAndFailsWhereItFails) {
  std::mt19937 random(5);
  for (int rows : {2, 3, 17, 200}) {
    const Matrix m = TestColumns(rows, random);
    const auto columns = Columns(m);
    FilterCorrelations single(Pointers(columns), m.Rows());
    FilterCorrelations batched(Pointers(columns), m.Rows());
    FilterCorrelations untabled(Pointers(columns), m.Rows(), 0);
    std::vector<int> all(static_cast<std::size_t>(m.Cols()));
    std::iota(all.begin(), all.end(), 0);
    for (int a = 0; a < m.Cols(); ++a) {
      std::vector<long double> row, rowUntabled;
      std::vector<uint8_t> failed, failedUntabled;
      SetWorkerThreadCount(a % 2 == 0 ? 1 : 4);
      batched.Correlations(a, all, row, failed);
      untabled.Correlations(a, all, rowUntabled, failedUntabled);
      for (int b = 0; b < m.Cols(); ++b) {
        SCOPED_TRACE(testing::Message() << rows << " rows: " << a << ", " << b);
        bool fails = false;
        long double expected = 0.0L;
        try {
          expected = PairCorrelation(m, a, b);
        } catch (const MatrixEx&) {
          fails = true;
        }
        const auto t = static_cast<std::size_t>(b);
        if (a != b) {
          EXPECT_EQ(failed[t] != 0, fails);
          EXPECT_EQ(failedUntabled[t] != 0, fails);
          if (!fails) {
            EXPECT_EQ(row[t], expected);
          }
          if (!fails) {
            EXPECT_EQ(rowUntabled[t], expected);
          }
        }
        for (FilterCorrelations* pairs : {&single, &batched, &untabled}) {
          if (fails) {
            EXPECT_ANY_THROW(pairs->Correlation(a, b));
          } else {
            EXPECT_EQ(pairs->Correlation(a, b), expected);
          }
        }
      }
    }
  }
  SetWorkerThreadCount(0);
}

// The screen never passes over a pair whose exact r exceeds the threshold, also for
// badly centred columns, whose exact r carries the rounding of sum x^2 - n m^2.
TEST(FilterCorrelations, TheScreenKeepsEveryPairThatExceeds) {
  std::mt19937 random(9);
  for (int rows : {3, 17, 200}) {
    const Matrix m = TestColumns(rows, random);
    const auto columns = Columns(m);
    FilterCorrelations pairs(Pointers(columns), m.Rows());
    for (int a = 0; a < m.Cols(); ++a)
      for (int b = a + 1; b < m.Cols(); ++b) {
        long double r = 0.0L;
        try {
          r = pairs.Correlation(a, b);
        } catch (...) {
          EXPECT_FALSE(pairs.MayExceed(a, b, -1.0L)) << a << ", " << b;
          continue;
        }
        for (long double below : {1e-15L, 1e-9L, 1e-3L})
          EXPECT_TRUE(pairs.MayExceed(a, b, r - below)) << rows << ": " << a << ", " << b << " r " << static_cast<double>(r);
      }
  }
}

// An absent column takes part in no pair, and the screen never passes it.
TEST(FilterCorrelations, AnAbsentColumnFailsEveryPair) {
  const std::vector<long double> x = {1, 2, 3, 5};
  FilterCorrelations pairs({x.data(), nullptr, x.data()}, 4);
  EXPECT_NEAR(static_cast<double>(pairs.Correlation(0, 2)), 1.0, 1e-15);
  EXPECT_ANY_THROW(pairs.Correlation(0, 1));
  EXPECT_FALSE(pairs.MayExceed(0, 1, 0.0L));
  EXPECT_TRUE(pairs.MayExceed(0, 2, 0.999L));
}

}  // namespace
