#include "numerics/ColumnCorrelations.h"

#include <cmath>
#include <cstddef>
#include <limits>
#include <utility>

#include "numerics/CovarianceSteps.h"
#include "numerics/Matrix.h"

namespace {

std::size_t TriangleIndex(int a, int b) {
  if (a < b) std::swap(a, b);
  return static_cast<std::size_t>(a) * static_cast<std::size_t>(a + 1) / 2 + static_cast<std::size_t>(b);
}

}  // namespace

ColumnCorrelations::ColumnCorrelations(int n, const long double* const* columns, int count)
    : count_(count), entries_(TriangleIndex(count, 0), std::numeric_limits<long double>::quiet_NaN()) {
  if (n < 1) return;
  // Each column's deviations and standard deviation; a column whose mean or spread
  // fails has none.
  const auto rows = static_cast<std::size_t>(n);
  std::vector<long double> deviations(rows * static_cast<std::size_t>(count));
  std::vector<long double> sd(static_cast<std::size_t>(count));
  std::vector<bool> formed(static_cast<std::size_t>(count), false);
  for (int c = 0; c < count; ++c) {
    const long double* x = columns[c];
    long double* dev = &deviations[rows * static_cast<std::size_t>(c)];
    try {
      const long double mean = DeviationMean(n, [x](int i) { return x[i]; });
      for (int i = 0; i < n; ++i) dev[i] = x[i] - mean;
      sd[c] = DeviationSd(n, [dev](int i) { return dev[i]; });
      formed[c] = true;
    } catch (...) {
    }
  }
  for (int a = 0; a < count; ++a) {
    if (!formed[a]) continue;
    const long double* devA = &deviations[rows * static_cast<std::size_t>(a)];
    for (int b = 0; b <= a; ++b) {
      if (!formed[b]) continue;
      const long double* devB = &deviations[rows * static_cast<std::size_t>(b)];
      try {
        bool zeroSpread = false;
        const long double covariance = DeviationCovariance(n, [devA](int i) { return devA[i]; },
                                                           [devB](int i) { return devB[i]; });
        entries_[TriangleIndex(a, b)] = CorrelationOf(covariance, sd[a], sd[b], zeroSpread);
      } catch (...) {
      }
    }
  }
}

long double ColumnCorrelations::Entry(int a, int b) const { return entries_[TriangleIndex(a, b)]; }

bool ColumnCorrelations::Gather(const int* columns, int count, Matrix& R) const {
  long double** r = R.Data();
  for (int j = 0; j < count; ++j) {
    for (int k = 0; k < j; ++k) {
      const long double entry = Entry(columns[j], columns[k]);
      if (std::isnan(entry)) return false;
      r[j][k] = r[k][j] = entry;
    }
    r[j][j] = 1.0L;
  }
  return true;
}
