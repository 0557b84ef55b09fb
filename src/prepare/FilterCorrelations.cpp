#include "prepare/FilterCorrelations.h"

#include <algorithm>
#include <cmath>

#include "numerics/Utils.h"

namespace {

// A pair that cannot be correlated.
struct UncorrelatablePair {};

std::size_t PairCount(int cols) {
  return cols < 2 ? 0 : static_cast<std::size_t>(cols) * static_cast<std::size_t>(cols - 1) / 2;
}

}  // namespace

FilterCorrelations::FilterCorrelations(std::vector<long double> values, int rows, int cols)
    : rows_(rows),
      cols_(cols),
      deviations_(std::move(values)),
      stdDev_(static_cast<std::size_t>(cols)),
      failed_(static_cast<std::size_t>(cols)),
      sumSquares_(static_cast<std::size_t>(cols)),
      conditioning_(static_cast<std::size_t>(cols)),
      // Made here, not on the first pair: the filter passes over a pair that fails, and
      // a cache that cannot be had must stop the filter instead of failing every pair.
      known_(PairCount(cols)),
      state_(PairCount(cols), PairState::Unknown) {
  for (int c = 0; c < cols_; ++c) PrepareColumn(c);
}

// The moments of PairCorrelation: the mean as the sum in row order over n; the standard
// deviation as sqrt((sum x^2 - n m^2) / (n - 1)); a constant column fails.
void FilterCorrelations::PrepareColumn(int c) {
  const auto column = static_cast<std::size_t>(c);
  long double* x = &deviations_[column * static_cast<std::size_t>(rows_)];
  const int n = rows_;
  bool constant = true;
  for (int i = 1; i < n; ++i) constant = constant && x[i] == x[0];
  long double sum = 0.0L;
  for (int i = 0; i < n; ++i) sum += x[i];
  const long double mean = sum / n;
  long double sumSq = 0.0L;
  for (int i = 0; i < n; ++i) {
    sumSq += x[i] * x[i];
    x[i] = x[i] - mean;
  }
  sumSquares_[column] = sumSq;
  try {
    if (constant) throw UncorrelatablePair();
    stdDev_[column] = CheckedSqrt(CheckedDiv(sumSq - n * (mean * mean), n - 1));
  } catch (...) {
    failed_[column] = 1;
  }
}

long double FilterCorrelations::Finish(int a, int b, long double sum) const {
  const long double cov = CheckedDiv(sum, rows_ - 1);
  return CheckedDiv(cov, stdDev_[static_cast<std::size_t>(a)] * stdDev_[static_cast<std::size_t>(b)]);
}

long double FilterCorrelations::DeviationProducts(int a, int b) const {
  const long double* x = Deviations(a);
  const long double* y = Deviations(b);
  long double sum = 0.0L;
  for (int i = 0; i < rows_; ++i) sum += x[i] * y[i];
  return sum;
}

std::size_t FilterCorrelations::PairIndex(int a, int b) const {
  if (a > b) std::swap(a, b);
  return static_cast<std::size_t>(b) * static_cast<std::size_t>(b - 1) / 2 + static_cast<std::size_t>(a);
}

void FilterCorrelations::Store(int a, int b, long double sum) {
  const std::size_t index = PairIndex(a, b);
  try {
    known_[index] = Finish(a, b, sum);
    state_[index] = PairState::Known;
  } catch (...) {
    state_[index] = PairState::Failed;
  }
}

void FilterCorrelations::Prepare(int v, const std::vector<int>& others) {
  if (Fails(v)) return;
  std::vector<int> pending;
  for (int w : others)
    if (w != v && !Fails(w) && state_[PairIndex(v, w)] == PairState::Unknown) pending.push_back(w);
  const long double* x = Deviations(v);
  std::size_t next = 0;
  for (; next + 4 <= pending.size(); next += 4) {
    const long double* y0 = Deviations(pending[next]);
    const long double* y1 = Deviations(pending[next + 1]);
    const long double* y2 = Deviations(pending[next + 2]);
    const long double* y3 = Deviations(pending[next + 3]);
    long double s0 = 0.0L, s1 = 0.0L, s2 = 0.0L, s3 = 0.0L;  // in registers, not memory
    for (int i = 0; i < rows_; ++i) {
      const long double xi = x[i];
      s0 += xi * y0[i];
      s1 += xi * y1[i];
      s2 += xi * y2[i];
      s3 += xi * y3[i];
    }
    Store(v, pending[next], s0);
    Store(v, pending[next + 1], s1);
    Store(v, pending[next + 2], s2);
    Store(v, pending[next + 3], s3);
  }
  for (; next < pending.size(); ++next) Store(v, pending[next], DeviationProducts(v, pending[next]));
}

long double FilterCorrelations::Correlation(int a, int b) {
  if (a == b) {
    if (Fails(a)) throw UncorrelatablePair();
    return Finish(a, a, DeviationProducts(a, a));
  }
  const std::size_t index = PairIndex(a, b);
  if (state_[index] == PairState::Unknown) {
    if (Fails(a) || Fails(b))
      state_[index] = PairState::Failed;
    else
      Store(a, b, DeviationProducts(a, b));
  }
  if (state_[index] == PairState::Failed) throw UncorrelatablePair();
  return known_[index];
}

// Unit vectors are formed in extended precision, so that no square leaves the double
// range; a column without a finite, non-zero spread is never screened out.
void FilterCorrelations::PrepareScreen() {
  const auto rows = static_cast<std::size_t>(rows_);
  unit_.resize(rows * static_cast<std::size_t>(cols_));
  for (int c = 0; c < cols_; ++c) {
    const long double* x = Deviations(c);
    long double norm = 0.0L;
    for (std::size_t i = 0; i < rows; ++i) norm += x[i] * x[i];
    norm = std::sqrt(norm);
    const long double conditioning = sumSquares_[static_cast<std::size_t>(c)] / (norm * norm);
    conditioning_[static_cast<std::size_t>(c)] =
        std::isfinite(norm) && norm > 0.0L ? static_cast<double>(conditioning) : INFINITY;
    double* unit = &unit_[static_cast<std::size_t>(c) * rows];
    for (std::size_t i = 0; i < rows; ++i) unit[i] = static_cast<double>(x[i] / norm);
  }
}

// The allowance lies far above the worst-case rounding of both calculations: the
// double dot product of unit vectors errs by at most about rows x 1.1e-16; the exact
// calculation takes its standard deviations from sum x^2 - n m^2, which loses about
// rows x 1.1e-19 times the column's conditioning relative to the result.
bool FilterCorrelations::MayExceed(int a, int b, long double threshold) {
  if (failed_[static_cast<std::size_t>(a)] || failed_[static_cast<std::size_t>(b)]) return false;
  if (unit_.empty()) PrepareScreen();
  const double conditioning = conditioning_[static_cast<std::size_t>(a)] + conditioning_[static_cast<std::size_t>(b)];
  const double allowance = 1e-9 + rows_ * (2e-15 + 1e-18 * conditioning);
  if (!std::isfinite(allowance)) return true;
  return Estimate(std::min(a, b), std::max(a, b)) >= static_cast<double>(threshold) - allowance;
}

double FilterCorrelations::Dot(int a, int b) const {
  const auto rows = static_cast<std::size_t>(rows_);
  const double* x = &unit_[static_cast<std::size_t>(a) * rows];
  const double* y = &unit_[static_cast<std::size_t>(b) * rows];
  // Four running sums, so that the loop pipelines.
  double s[4] = {0.0, 0.0, 0.0, 0.0};
  std::size_t i = 0;
  for (; i + 4 <= rows; i += 4)
    for (std::size_t u = 0; u < 4; ++u) s[u] += x[i + u] * y[i + u];
  for (; i < rows; ++i) s[0] += x[i] * y[i];
  return (s[0] + s[1]) + (s[2] + s[3]);
}

// The pair loop asks for a's pairs, then for a + 1's, ...: the estimates of a block of
// first columns against one second column are computed together, so that each
// second column is read from memory once per block instead of once per pair.
double FilterCorrelations::Estimate(int a, int b) {
  if (a < blockStart_ || a >= blockStart_ + kBlock) {
    blockStart_ = a;
    blockDone_.assign(static_cast<std::size_t>(cols_), 0);
    blockEstimates_.resize(static_cast<std::size_t>(cols_) * kBlock);
  }
  double* estimates = &blockEstimates_[static_cast<std::size_t>(b) * kBlock];
  if (!blockDone_[static_cast<std::size_t>(b)]) {
    for (int first = blockStart_; first < std::min(blockStart_ + kBlock, b); ++first)
      estimates[first - blockStart_] = Dot(first, b);
    blockDone_[static_cast<std::size_t>(b)] = 1;
  }
  return estimates[a - blockStart_];
}
