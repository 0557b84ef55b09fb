#include "numerics/ColumnCorrelations.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>
#include <utility>

#include "numerics/CovarianceSteps.h"
#include "numerics/Matrix.h"
#include "platform/base/WorkerThreads.h"

namespace {

std::size_t TriangleIndex(int a, int b) {
  if (a < b) std::swap(a, b);
  return static_cast<std::size_t>(a) * static_cast<std::size_t>(a + 1) / 2 + static_cast<std::size_t>(b);
}

}  // namespace

ColumnCorrelations::ColumnCorrelations(int n, const long double* const* columns, int count)
    : n_(n),
      count_(count),
      // Unset: each column's thread writes (and first touches) its own.
      deviations_(std::make_unique_for_overwrite<long double[]>(static_cast<std::size_t>(n > 0 ? n : 0) *
                                                                static_cast<std::size_t>(count))),
      sd_(static_cast<std::size_t>(count)),
      spread_(static_cast<std::size_t>(count), 0),
      entries_(TriangleIndex(count, 0)),
      states_(std::make_unique<std::atomic<uint8_t>[]>(TriangleIndex(count, 0))) {
  if (n < 1) return;
  // The columns are independent: spread over the worker threads.
  ParallelFor(count, 4.0 * n, [&](int c) {
    const long double* x = columns[c];
    long double* dev = &deviations_[static_cast<std::size_t>(n) * static_cast<std::size_t>(c)];
    try {
      const long double mean = DeviationMean(n, [x](int i) { return x[i]; });
      for (int i = 0; i < n; ++i) dev[i] = x[i] - mean;
      sd_[c] = DeviationSd(n, [dev](int i) { return dev[i]; });
      spread_[c] = 1;
    } catch (...) {
    }
  });
}

ColumnCorrelations::~ColumnCorrelations() = default;

// The entry of columns a >= b; NaN where a column's spread or the entry fails.
long double ColumnCorrelations::Form(int a, int b) const {
  constexpr long double kFailed = std::numeric_limits<long double>::quiet_NaN();
  if (!spread_[a] || !spread_[b]) return kFailed;
  const long double* devA = &deviations_[static_cast<std::size_t>(n_) * static_cast<std::size_t>(a)];
  const long double* devB = &deviations_[static_cast<std::size_t>(n_) * static_cast<std::size_t>(b)];
  try {
    bool zeroSpread = false;
    const long double covariance =
        DeviationCovariance(n_, [devA](int i) { return devA[i]; }, [devB](int i) { return devB[i]; });
    return CorrelationOf(covariance, sd_[a], sd_[b], zeroSpread);
  } catch (...) {
    return kFailed;
  }
}

// Threads that need an entry not yet stored each form it (the same bits); the
// first stores it, the others use their own.
long double ColumnCorrelations::Entry(int a, int b) const {
  const std::size_t index = TriangleIndex(a, b);
  std::atomic<uint8_t>& state = states_[index];
  if (state.load(std::memory_order_acquire) == 2) return entries_[index];
  const long double entry = Form(std::max(a, b), std::min(a, b));
  uint8_t unformed = 0;
  if (state.compare_exchange_strong(unformed, 1, std::memory_order_acq_rel)) {
    entries_[index] = entry;
    state.store(2, std::memory_order_release);
  }
  return entry;
}

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
