#include "prepare/FilterCorrelations.h"

#include <algorithm>
#include <cmath>

#include "numerics/Utils.h"
#include "platform/base/WorkerThreads.h"

namespace {

// A pair that cannot be correlated.
struct UncorrelatablePair {};

// The pair table is kept while it takes at most about 150 MB.
constexpr std::size_t kMaxKnownPairs = std::size_t{9} << 20;
// Pairs per worker task: three running sums side by side, five times over.
constexpr std::size_t kPairsPerTask = 15;

std::size_t PairCount(int cols) {
  return cols < 2 ? 0 : static_cast<std::size_t>(cols) * static_cast<std::size_t>(cols - 1) / 2;
}

}  // namespace

FilterCorrelations::FilterCorrelations(std::vector<const long double*> columns, int rows)
    : FilterCorrelations(std::move(columns), rows, kMaxKnownPairs) {}

FilterCorrelations::FilterCorrelations(std::vector<const long double*> columns, int rows, std::size_t maxKnownPairs)
    : rows_(rows),
      cols_(static_cast<int>(columns.size())),
      columns_(std::move(columns)),
      mean_(columns_.size()),
      stdDev_(columns_.size()),
      failed_(columns_.size()),
      sumSquares_(columns_.size()),
      conditioning_(columns_.size()) {
  // Made here, not on the first pair: the filter passes over a pair that fails, and a
  // table that cannot be had must stop the filter instead of failing every pair.
  if (PairCount(cols_) <= maxKnownPairs) {
    known_.resize(PairCount(cols_));
    state_.assign(PairCount(cols_), PairState::Unknown);
  }
  for (int c = 0; c < cols_; ++c) PrepareColumn(c);
}

// The moments of PairCorrelation: the mean as the sum in row order over n; the standard
// deviation as sqrt((sum x^2 - n m^2) / (n - 1)); a constant column fails.
void FilterCorrelations::PrepareColumn(int c) {
  const auto column = static_cast<std::size_t>(c);
  const long double* x = columns_[column];
  if (x == nullptr) {
    failed_[column] = 1;
    return;
  }
  const int n = rows_;
  bool constant = true;
  for (int i = 1; i < n; ++i) constant = constant && x[i] == x[0];
  long double sum = 0.0L;
  for (int i = 0; i < n; ++i) sum += x[i];
  const long double mean = sum / n;
  long double sumSq = 0.0L;
  for (int i = 0; i < n; ++i) sumSq += x[i] * x[i];
  mean_[column] = mean;
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
  const long double* x = columns_[static_cast<std::size_t>(a)];
  const long double* y = columns_[static_cast<std::size_t>(b)];
  const long double mx = mean_[static_cast<std::size_t>(a)];
  const long double my = mean_[static_cast<std::size_t>(b)];
  long double sum = 0.0L;
  for (int i = 0; i < rows_; ++i) sum += (x[i] - mx) * (y[i] - my);
  return sum;
}

std::size_t FilterCorrelations::PairIndex(int a, int b) const {
  if (a > b) std::swap(a, b);
  return static_cast<std::size_t>(b) * static_cast<std::size_t>(b - 1) / 2 + static_cast<std::size_t>(a);
}

void FilterCorrelations::Remember(int a, int b, bool ok, long double r) {
  if (!KeepsPairs()) return;
  const std::size_t index = PairIndex(a, b);
  known_[index] = r;
  state_[index] = ok ? PairState::Known : PairState::Failed;
}

bool FilterCorrelations::Compute(int a, int b, long double& r) {
  if (Fails(a) || Fails(b)) return false;
  if (KeepsPairs()) {
    const std::size_t index = PairIndex(a, b);
    if (state_[index] != PairState::Unknown) {
      r = known_[index];
      return state_[index] == PairState::Known;
    }
  }
  bool ok = true;
  try {
    r = Finish(a, b, DeviationProducts(a, b));
  } catch (...) {
    ok = false;
  }
  Remember(a, b, ok, r);
  return ok;
}

long double FilterCorrelations::Correlation(int a, int b) {
  long double r = 0.0L;
  if (a == b) {
    if (Fails(a)) throw UncorrelatablePair();
    return Finish(a, a, DeviationProducts(a, a));
  }
  if (!Compute(a, b, r)) throw UncorrelatablePair();
  return r;
}

void FilterCorrelations::Correlations(int v, const std::vector<int>& others, std::vector<long double>& values,
                                      std::vector<uint8_t>& failed) {
  values.assign(others.size(), 0.0L);
  failed.assign(others.size(), 1);
  if (Fails(v)) return;
  std::vector<std::size_t> pending;
  for (std::size_t t = 0; t < others.size(); ++t) {
    const int w = others[t];
    if (w == v || Fails(w)) continue;
    if (KeepsPairs() && state_[PairIndex(v, w)] != PairState::Unknown)
      failed[t] = Compute(v, w, values[t]) ? 0 : 1;
    else
      pending.push_back(t);
  }
  const long double* column = columns_[static_cast<std::size_t>(v)];
  const long double mean = mean_[static_cast<std::size_t>(v)];
  std::vector<long double> x(static_cast<std::size_t>(rows_));
  for (int i = 0; i < rows_; ++i) x[static_cast<std::size_t>(i)] = column[i] - mean;
  auto finish = [&](std::size_t t, long double sum) {
    try {
      values[t] = Finish(v, others[t], sum);
      failed[t] = 0;
    } catch (...) {
    }
  };
  const int tasks = static_cast<int>((pending.size() + kPairsPerTask - 1) / kPairsPerTask);
  ParallelFor(tasks, static_cast<double>(kPairsPerTask) * rows_, [&](int task) {
    const std::size_t first = static_cast<std::size_t>(task) * kPairsPerTask;
    const std::size_t last = std::min(first + kPairsPerTask, pending.size());
    std::size_t next = first;
    for (; next + 3 <= last; next += 3) {
      const std::size_t t0 = pending[next], t1 = pending[next + 1], t2 = pending[next + 2];
      const auto w0 = static_cast<std::size_t>(others[t0]), w1 = static_cast<std::size_t>(others[t1]),
                 w2 = static_cast<std::size_t>(others[t2]);
      const long double *y0 = columns_[w0], *y1 = columns_[w1], *y2 = columns_[w2];
      // Three sums, three means and the shared deviation fill the eight x87 registers.
      const long double m0 = mean_[w0], m1 = mean_[w1], m2 = mean_[w2];
      long double s0 = 0.0L, s1 = 0.0L, s2 = 0.0L;
      for (int i = 0; i < rows_; ++i) {
        const long double xi = x[static_cast<std::size_t>(i)];
        s0 += xi * (y0[i] - m0);
        s1 += xi * (y1[i] - m1);
        s2 += xi * (y2[i] - m2);
      }
      finish(t0, s0);
      finish(t1, s1);
      finish(t2, s2);
    }
    for (; next < last; ++next) finish(pending[next], DeviationProducts(v, others[pending[next]]));
  });
  for (std::size_t t : pending) Remember(v, others[t], failed[t] == 0, values[t]);
}

// Unit vectors are formed in extended precision, so that no square leaves the double
// range; a column without a finite, non-zero spread is never screened out.
void FilterCorrelations::PrepareScreen() {
  const auto rows = static_cast<std::size_t>(rows_);
  unit_.resize(rows * static_cast<std::size_t>(cols_));
  for (int c = 0; c < cols_; ++c) {
    if (Fails(c)) continue;
    const long double* x = columns_[static_cast<std::size_t>(c)];
    const long double mean = mean_[static_cast<std::size_t>(c)];
    long double norm = 0.0L;
    for (std::size_t i = 0; i < rows; ++i) norm += (x[i] - mean) * (x[i] - mean);
    norm = std::sqrt(norm);
    const long double conditioning = sumSquares_[static_cast<std::size_t>(c)] / (norm * norm);
    conditioning_[static_cast<std::size_t>(c)] =
        std::isfinite(norm) && norm > 0.0L ? static_cast<double>(conditioning) : INFINITY;
    double* unit = &unit_[static_cast<std::size_t>(c) * rows];
    for (std::size_t i = 0; i < rows; ++i) unit[i] = static_cast<double>((x[i] - mean) / norm);
  }
}

// The allowance lies far above the worst-case rounding of both calculations: the
// double dot product of unit vectors errs by at most about rows x 1.1e-16; the exact
// calculation takes its standard deviations from sum x^2 - n m^2, which loses about
// rows x 1.1e-19 times the column's conditioning relative to the result.
bool FilterCorrelations::MayExceed(int a, int b, long double threshold) {
  if (Fails(a) || Fails(b)) return false;
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
// first columns against every later column are computed together when the block
// begins, on worker threads, so that each second column is read from memory once per
// block instead of once per pair.
double FilterCorrelations::Estimate(int a, int b) {
  if (a < blockStart_ || a >= blockStart_ + kBlock) {
    blockStart_ = a;
    blockEstimates_.resize(static_cast<std::size_t>(cols_) * kBlock);
    constexpr int kColumnsPerTask = 64;
    const int first = a + 1;
    ParallelFor((cols_ - first + kColumnsPerTask - 1) / kColumnsPerTask, 1.0 * kColumnsPerTask * kBlock * rows_,
                [&](int task) {
      const int end = std::min(cols_, first + (task + 1) * kColumnsPerTask);
      for (int second = first + task * kColumnsPerTask; second < end; ++second) {
        if (Fails(second)) continue;
        double* estimates = &blockEstimates_[static_cast<std::size_t>(second) * kBlock];
        for (int one = blockStart_; one < std::min(blockStart_ + kBlock, second); ++one)
          estimates[one - blockStart_] = Fails(one) ? 0.0 : Dot(one, second);
      }
    });
  }
  return blockEstimates_[static_cast<std::size_t>(b) * kBlock + static_cast<std::size_t>(a - blockStart_)];
}
