#include "prepare/FilterCorrelations.h"

#include <gtest/gtest.h>

#include <numeric>
#include <random>

#include "numerics/Matrix.h"
#include "numerics/Statistics.h"

namespace {

// Columns of many kinds: plain noise, near copies of the previous column, badly
// centred ones, tiny spreads, huge values, few distinct values and a constant one.
Matrix TestColumns(int rows, std::mt19937& random) {
  const int cols = 14;
  Matrix m(rows, cols);
  std::normal_distribution<double> noise;
  for (int r = 0; r < rows; ++r) {
    for (int c = 0; c < cols; ++c) {
      const long double e = static_cast<long double>(noise(random));
      long double v = e;
      switch (c) {
        case 1: v = m.At(r, 0) + 1e-3L * e; break;
        case 2: v = 1e6L + e; break;
        case 3: v = m.At(r, 2) + 1e-4L * e; break;
        case 4: v = 1e6L + 1e-3L * e; break;
        case 5: v = 1e300L * e; break;
        case 6: v = 1e3000L * e; break;  // squares overflow the extended range
        case 7: v = static_cast<long double>(random() % 2); break;
        case 8: v = -m.At(r, 0) + 0.3L * e; break;
        case 9: v = 4.0L; break;
        case 10: v = m.At(r, 8) * 2.0L + 7.0L; break;
        case 11: v = r % 5 == 0 ? 1.0L : 0.0L; break;
        case 12: v = 3.0L - m.At(r, 11); break;
        default: break;
      }
      m.At(r, c) = v;
    }
  }
  return m;
}

std::vector<long double> ColumnMajor(const Matrix& m) {
  std::vector<long double> values;
  for (int c = 0; c < m.Cols(); ++c)
    for (int r = 0; r < m.Rows(); ++r) values.push_back(m.At(r, c));
  return values;
}

TEST(FilterCorrelations, GivesPairCorrelationBitForBitAndFailsWhereItFails) {
  std::mt19937 random(5);
  for (int rows : {2, 3, 17, 200}) {
    const Matrix m = TestColumns(rows, random);
    FilterCorrelations single(ColumnMajor(m), m.Rows(), m.Cols());
    FilterCorrelations batched(ColumnMajor(m), m.Rows(), m.Cols());
    std::vector<int> all(static_cast<std::size_t>(m.Cols()));
    std::iota(all.begin(), all.end(), 0);
    for (int a = 0; a < m.Cols(); ++a) {
      batched.Prepare(a, all);
      for (int b = 0; b < m.Cols(); ++b) {
        bool failed = false;
        long double expected = 0.0L;
        try {
          expected = PairCorrelation(m, a, b);
        } catch (const MatrixEx&) {
          failed = true;
        }
        for (FilterCorrelations* pairs : {&single, &batched}) {
          if (failed) {
            EXPECT_ANY_THROW(pairs->Correlation(a, b)) << rows << ": " << a << ", " << b;
          } else {
            EXPECT_EQ(pairs->Correlation(a, b), expected) << rows << ": " << a << ", " << b;
          }
        }
      }
    }
  }
}

TEST(FilterCorrelations, TheScreenNeverHidesAPairAboveTheThreshold) {
  std::mt19937 random(9);
  const Matrix m = TestColumns(300, random);
  FilterCorrelations pairs(ColumnMajor(m), m.Rows(), m.Cols());
  int computable = 0;
  int screenedOut = 0;
  for (int a = 0; a < m.Cols(); ++a) {
    for (int b = a + 1; b < m.Cols(); ++b) {
      long double r = 0.0L;
      try {
        r = pairs.Correlation(a, b);
      } catch (...) {
        continue;
      }
      ++computable;
      for (long double threshold : {r - 1e-9L, r - 1e-15L, std::nextafter(r, -1.0L)}) {
        EXPECT_TRUE(pairs.MayExceed(a, b, threshold)) << a << ", " << b;
      }
      if (!pairs.MayExceed(a, b, r + 0.001L)) ++screenedOut;
    }
  }
  EXPECT_GE(2 * screenedOut, computable);  // and it does spare most pairs
}

}  // namespace
