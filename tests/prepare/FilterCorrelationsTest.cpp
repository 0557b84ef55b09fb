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

}  // namespace
