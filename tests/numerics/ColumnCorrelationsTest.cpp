#include "numerics/ColumnCorrelations.h"

#include <gtest/gtest.h>

#include <limits>
#include <random>
#include <vector>

#include "numerics/Matrix.h"
#include "numerics/ModelCalc.h"
#include "numerics/NumericsTestSupport.h"

namespace {

// Columns of n rows of every kind the correlation treats apart: spread ones, a
// constant, a large mean, exact and near copies, values whose squares underflow
// or overflow, an infinity and a NaN.
std::vector<std::vector<long double>> Columns(int n, std::mt19937& random) {
  std::normal_distribution<double> noise;
  auto draw = [&] { return static_cast<long double>(noise(random)); };
  std::vector<std::vector<long double>> columns(11, std::vector<long double>(static_cast<std::size_t>(n)));
  for (int i = 0; i < n; ++i) {
    const long double a = draw(), b = draw();
    columns[0][i] = a;
    columns[1][i] = b;
    columns[2][i] = 3.0L;
    columns[3][i] = 1e9L + draw();
    columns[4][i] = 2.0L * a - 3.0L;
    columns[5][i] = b + 1e-14L * draw();
    columns[6][i] = 1e-2500L * draw();
    columns[7][i] = 1e2470L * draw();
    columns[8][i] = i == n - 1 ? std::numeric_limits<long double>::infinity() : a;
    columns[9][i] = i == 0 ? std::numeric_limits<long double>::quiet_NaN() : b;
    columns[10][i] = 1e2460L * draw();
  }
  return columns;
}

struct Pool {
  Pool(int n, std::mt19937& random) : n(n), columns(Columns(n, random)) {
    for (const auto& column : columns) pointers.push_back(column.data());
  }
  // The matrix of the chosen columns.
  Matrix Of(const std::vector<int>& chosen) const {
    Matrix m(n, static_cast<int>(chosen.size()));
    for (int i = 0; i < n; ++i)
      for (std::size_t j = 0; j < chosen.size(); ++j) m.At(i, static_cast<int>(j)) = columns[chosen[j]][i];
    return m;
  }
  int n;
  std::vector<std::vector<long double>> columns;
  std::vector<const long double*> pointers;
};

// Every ordered choice of count columns (repeats allowed) of the pool.
std::vector<std::vector<int>> Choices(int columns, int count) {
  std::vector<std::vector<int>> out(1);
  for (int c = 0; c < count; ++c) {
    std::vector<std::vector<int>> longer;
    for (const auto& choice : out)
      for (int j = 0; j < columns; ++j) {
        longer.push_back(choice);
        longer.back().push_back(j);
      }
    out = longer;
  }
  return out;
}

// A gathered correlation matrix holds the entries that Matrix::CovarianceInto forms
// from the columns themselves, and fails exactly where it throws.
TEST(ColumnCorrelations, GathersTheEntriesOfCovarianceIntoBitForBit) {
  std::mt19937 random(3);
  int failures = 0, gathered = 0;
  for (int n : {1, 2, 7}) {
    const Pool pool(n, random);
    const int count = static_cast<int>(pool.columns.size());
    const ColumnCorrelations correlations(n, pool.pointers.data(), count);
    EXPECT_EQ(correlations.Count(), count);
    for (int size : {2, 3})
      for (const std::vector<int>& chosen : Choices(count, size)) {
        SCOPED_TRACE(testing::Message() << "n " << n << " columns " << testing::PrintToString(chosen));
        const Matrix m = pool.Of(chosen);
        Matrix expected(size, size), deviations(n, size), R(size, size);
        std::vector<long double> scratch(2 * static_cast<std::size_t>(size));
        bool thrown = false;
        try {
          expected.CovarianceInto(m, true, deviations, scratch.data());
        } catch (const MatrixEx&) {
          thrown = true;
        }
        const bool ok = correlations.Gather(chosen.data(), size, R);
        ASSERT_EQ(ok, !thrown);
        if (!ok) {
          ++failures;
          continue;
        }
        ++gathered;
        for (int j = 0; j < size; ++j)
          for (int k = 0; k < size; ++k)
            EXPECT_TRUE(SameBits(R.At(j, k), expected.At(std::max(j, k), std::min(j, k)))) << j << " " << k;
      }
  }
  EXPECT_GT(failures, 100);
  EXPECT_GT(gathered, 1000);
}

// The K index of pool columns is KCorrelationIndex's of a matrix of those columns,
// through the 2 x 2 formula and the Householder and QL iteration.
TEST(ColumnCorrelations, KIndexOfPoolColumnsIsThatOfTheirMatrix) {
  std::mt19937 random(5);
  const Pool pool(9, random);
  const int count = static_cast<int>(pool.columns.size());
  const ColumnCorrelations correlations(pool.n, pool.pointers.data(), count);
  CorrelationWorkspace ws;  // reused, as the search reuses it
  int failed = 0;
  for (int size = 1; size <= 4; ++size)
    for (const std::vector<int>& chosen : Choices(count, size)) {
      if (size == 4 && chosen[0] > 1) break;  // a sample of the larger sizes
      const long double expected = KCorrelationIndex(pool.Of(chosen));
      const long double k = KCorrelationIndex(ws, correlations, chosen.data(), size);
      EXPECT_TRUE(SameBits(k, expected)) << testing::PrintToString(chosen);
      failed += expected == -1.0L ? 1 : 0;
    }
  EXPECT_GT(failed, 100);
}

}  // namespace
