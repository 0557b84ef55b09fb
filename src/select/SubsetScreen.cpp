#include "select/SubsetScreen.h"

#include <algorithm>
#include <atomic>
#include <cmath>

#include "platform/base/WorkerThreads.h"
#include "select/Fitness.h"
#include "select/SubsetFitter.h"

namespace {

// The largest model the screen handles (k + 1 coefficients); larger ones are fitted.
constexpr int kMaxCoefficients = 16;
// The estimate is trusted while condition x unit roundoff (5.4e-20) stays far below
// its margin. The condition is the 1-norm condition of the cross-product matrix
// times the square root of the response's size against its spread (together they
// set the rounding error of the residuals against the response's spread) and, for
// the leave-one-out sums, over the least 1 - h_ii; up to 1e12 it gives errors near
// 1e-7 of the spread, against margins of 1e-5 of the sum and 1e-5 of the spread.
// The fit's sums of squared deviations (of the response and of the fitted values)
// are sums of squares less the square of the sum, which lose n^2 max y^2 / SStot
// units of roundoff: that condition, too, must stay below 1e12.
constexpr long double kMaxCondition = 1e12L;
constexpr long double kRelativeMargin = 1e-5L;
constexpr long double kSpreadMargin = 1e-5L;
// The estimate itself is computed from centred, scaled columns in double precision
// (unit roundoff 1.1e-16): condition numbers up to 1e7 keep its error near 1e-9.
constexpr long double kMaxScreenCondition = 1e7L;

// The residual (R2adj, LOF) or leave-one-out (Q2loo, RMSE cv) sum of squares above
// which the fitness of an id is strictly worse than `worst`; false when the fitness
// would be missing whatever the sum (such a subset is never kept either).
bool SumBeyond(int id, long double worst, int n, int k, long double ssTot, long double smoothing,
               long double& limit, bool& alwaysMissing) {
  alwaysMissing = false;
  switch (id) {
    case 0:  // 1 - S / SStot < worst
      limit = (1.0L - worst) * ssTot;
      return true;
    case 1: {  // 1 - (S / SStot) (n - 1) / d < worst
      const int d = n - (k + 1);
      alwaysMissing = d <= 0;
      limit = (1.0L - worst) * ssTot * d / (n - 1);
      return true;
    }
    case 2: {  // (S / n) / t^2 > worst
      const long double t = 1.0L - k * (smoothing + 1.0L) / n;
      alwaysMissing = !(t * t > 0.0L);
      limit = worst * n * (t * t);
      return true;
    }
    case 3:  // sqrt(S / n) > worst
      limit = worst < 0.0L ? -1.0L : worst * worst * n;
      return true;
    default:
      return false;
  }
}

std::atomic<bool> fastPaths{true};

}  // namespace

bool SearchFastPaths() { return fastPaths.load(); }

void SetSearchFastPaths(bool on) { fastPaths.store(on); }

SubsetScreen::SubsetScreen(std::shared_ptr<const PoolGram> pool)
    : pool_(std::move(pool)), n_(pool_->rows), columns_(pool_->columns) {
  const int poolSize = columns_ - 1;
  stride_ = (n_ + 3) / 4 * 4;
  const long double* y = pool_->Column(columns_);
  // The response, centred.
  long double sum = 0.0L, largest = 0.0L;
  for (int r = 0; r < n_; ++r) {
    sum += y[r];
    largest = std::max(largest, std::fabs(y[r]));
  }
  const long double mean = n_ > 0 ? sum / n_ : 0.0L;
  std::vector<long double> yc(static_cast<std::size_t>(n_));
  for (int r = 0; r < n_; ++r) {
    yc[r] = y[r] - mean;
    ssTot_ += yc[r] * yc[r];
  }
  const long double variance = n_ > 1 ? ssTot_ / (n_ - 1) : 0.0L;
  spreadRatio_ = variance > 0.0L ? std::max(1.0L, largest / std::sqrt(variance)) : INFINITY;
  squaresCondition_ = ssTot_ > 0.0L ? static_cast<long double>(n_) * n_ * largest * largest / ssTot_ : INFINITY;
  // The pool columns centred and scaled to unit length, in both precisions, their
  // cross-products (a correlation matrix) and their products with the centred response.
  const auto p = static_cast<std::size_t>(poolSize);
  const auto stride = static_cast<std::size_t>(stride_);
  // Unset: each column's thread writes (and first touches) its own.
  const auto unit = std::make_unique_for_overwrite<long double[]>(p * static_cast<std::size_t>(n_));
  auto unitColumn = [&](std::size_t v) { return &unit[v * static_cast<std::size_t>(n_)]; };
  usable_.assign(p, 0);
  unitColumns_ = std::make_unique_for_overwrite<double[]>(p * stride);
  ParallelFor(poolSize, 4.0 * n_, [&](int task) {
    const auto v = static_cast<std::size_t>(task);
    const long double* column = pool_->Column(1 + task);
    long double m = 0.0L;
    for (int r = 0; r < n_; ++r) m += column[r];
    m = n_ > 0 ? m / n_ : 0.0L;
    long double norm = 0.0L;
    for (int r = 0; r < n_; ++r) norm += (column[r] - m) * (column[r] - m);
    norm = std::sqrt(norm);
    usable_[v] = std::isfinite(norm) && norm > 0.0L ? 1 : 0;
    long double* to = unitColumn(v);
    double* inDoubles = &unitColumns_[v * stride];
    for (int r = 0; r < n_; ++r) {
      to[r] = usable_[v] ? (column[r] - m) / norm : 0.0L;
      inDoubles[r] = static_cast<double>(to[r]);
    }
    std::fill(inDoubles + n_, inDoubles + stride, 0.0);
  });
  correlation_.assign(p * p, 0.0L);
  withResponse_.assign(p, 0.0L);
  // Each row a of the triangle of sums is independent: spread over the worker threads.
  ParallelFor(poolSize, static_cast<double>(columns_) * n_, [&](int task) {
    const auto a = static_cast<std::size_t>(task);
    const long double* ua = unitColumn(a);
    for (int r = 0; r < n_; ++r) withResponse_[a] += ua[r] * yc[r];
    for (std::size_t b = a; b < p; ++b) {
      const long double* ub = unitColumn(b);
      long double s = 0.0L;
      for (int r = 0; r < n_; ++r) s += ua[r] * ub[r];
      correlation_[a * p + b] = correlation_[b * p + a] = s;
    }
  });
  centredResponse_.assign(stride, 0.0);
  for (int r = 0; r < n_; ++r) centredResponse_[r] = static_cast<double>(yc[r]);
}

namespace {

// The Cholesky factor L (lower, row-major q x q) of the symmetric matrix m(a, b), the
// reciprocals of its diagonal and the 1-norm condition number; false when m is not
// positive definite.
template <typename Element>
bool Factor(int q, Element m, long double* L, long double* reciprocal, long double& condition) {
  long double norm = 0.0L;
  for (int a = 0; a < q; ++a) {
    long double column = 0.0L;
    for (int b = 0; b < q; ++b) column += std::fabs(m(a, b));
    norm = std::max(norm, column);
  }
  for (int a = 0; a < q; ++a) {
    for (int b = 0; b <= a; ++b) {
      long double s = m(a, b);
      for (int t = 0; t < b; ++t) s -= L[a * q + t] * L[b * q + t];
      if (a == b) {
        if (!(s > 0.0L)) return false;
        L[a * q + a] = std::sqrt(s);
        reciprocal[a] = 1.0L / L[a * q + a];
      } else {
        L[a * q + b] = s * reciprocal[b];
      }
    }
  }
  long double inverseNorm = 0.0L;  // of L^-T L^-1, column by column
  for (int col = 0; col < q; ++col) {
    long double w[kMaxCoefficients], z[kMaxCoefficients];
    for (int a = 0; a < q; ++a) {
      long double s = a == col ? 1.0L : 0.0L;
      for (int t = 0; t < a; ++t) s -= L[a * q + t] * w[t];
      w[a] = s * reciprocal[a];
    }
    long double column = 0.0L;
    for (int a = q - 1; a >= 0; --a) {
      long double s = w[a];
      for (int t = a + 1; t < q; ++t) s -= L[t * q + a] * z[t];
      z[a] = s * reciprocal[a];
      column += std::fabs(z[a]);
    }
    inverseNorm = std::max(inverseNorm, column);
  }
  condition = norm * inverseNorm;
  return std::isfinite(condition);
}

using Double4 = double __attribute__((vector_size(32)));

// The vectors go in and out through references: passed by value, they would
// change the calling convention of machines without AVX.
void Load4(Double4& v, const double* p) { __builtin_memcpy(&v, p, sizeof v); }

double Sum4(const Double4& v) { return (v[0] + v[1]) + (v[2] + v[3]); }

// The pass over the rows: the sum over the rows seen so far is a lower bound of the
// whole sum (every term is a square), so most subsets are decided after some of the
// rows. Four rows at a time; the padding rows add nothing. K (the number of
// descriptors, at most k) is fixed, so that the rows' values stay in registers.
struct RowPass {
  int k;
  const double* lower;  // k x k, strictly lower part
  const double* scale;
  const double* coefficient;
  const double* const* column;
  const double* response;
  int stride;
  bool leaveOneOut;
  double smallestFreedom, inverseCount, bound;

  template <int K>
  bool Exceeds() const {
    const int m = K < kMaxCoefficients ? K : k;
    Double4 sum = {0.0, 0.0, 0.0, 0.0};
    for (int r = 0; r < stride; r += 4) {
      Double4 x[K];
      Double4 residual;
      Load4(residual, response + r);
      for (int a = 0; a < m; ++a) {
        Load4(x[a], column[a] + r);
        residual -= coefficient[a] * x[a];
      }
      if (leaveOneOut) {
        Double4 leverage = {inverseCount, inverseCount, inverseCount, inverseCount};
        Double4 v[K];
        for (int a = 0; a < m; ++a) {
          Double4 s = x[a];
          for (int t = 0; t < a; ++t) s -= lower[a * m + t] * v[t];
          v[a] = s * scale[a];
          leverage += v[a] * v[a];
        }
        const Double4 freedom = 1.0 - leverage;
        const auto reliable = freedom >= smallestFreedom;
        if (!(reliable[0] && reliable[1] && reliable[2] && reliable[3])) return false;
        residual /= freedom;
      }
      sum += residual * residual;
      if ((r & 15) == 12 && Sum4(sum) > bound) return std::isfinite(Sum4(sum));
    }
    const double total = Sum4(sum);
    return std::isfinite(total) && total > bound;
  }
};

}  // namespace

bool SubsetScreen::SurelyWorse(const int* positions, int k, int id, long double smoothing, long double worst) const {
  const int q = k + 1;
  if (q > kMaxCoefficients || n_ <= q || !(ssTot_ > 0.0L) || !std::isfinite(spreadRatio_) ||
      !(squaresCondition_ <= kMaxCondition))
    return false;
  long double limit = 0.0L;
  bool alwaysMissing = false;
  if (!SumBeyond(id, worst, n_, k, ssTot_, smoothing, limit, alwaysMissing)) return false;
  if (alwaysMissing) return true;
  if (!std::isfinite(limit) || limit < 0.0L) return false;
  for (int j = 0; j < k; ++j)
    if (!usable_[static_cast<std::size_t>(positions[j])]) return false;
  // The fit's own conditioning: the uncentred cross-products with the constant.
  const auto cols = static_cast<std::size_t>(columns_);
  long double L[kMaxCoefficients * kMaxCoefficients], reciprocal[kMaxCoefficients];
  long double fitCondition = 0.0L;
  auto gram = [&](int a, int b) {
    const std::size_t ca = a == 0 ? 0 : 1 + static_cast<std::size_t>(positions[a - 1]);
    const std::size_t cb = b == 0 ? 0 : 1 + static_cast<std::size_t>(positions[b - 1]);
    return pool_->gram[ca * cols + cb];
  };
  if (!Factor(q, gram, L, reciprocal, fitCondition)) return false;
  fitCondition *= spreadRatio_;
  if (!(fitCondition <= kMaxCondition)) return false;
  // The estimate's own: the centred, scaled columns in double precision.
  const auto p = static_cast<std::size_t>(columns_ - 1);
  auto correlation = [&](int a, int b) {
    return correlation_[static_cast<std::size_t>(positions[a]) * p + static_cast<std::size_t>(positions[b])];
  };
  long double screenCondition = 0.0L;
  if (!Factor(k, correlation, L, reciprocal, screenCondition) || !(screenCondition <= kMaxScreenCondition))
    return false;
  // Coefficients from L L' b = X'y.
  long double w[kMaxCoefficients], b[kMaxCoefficients];
  for (int a = 0; a < k; ++a) {
    long double s = withResponse_[static_cast<std::size_t>(positions[a])];
    for (int t = 0; t < a; ++t) s -= L[a * k + t] * w[t];
    w[a] = s * reciprocal[a];
  }
  for (int a = k - 1; a >= 0; --a) {
    long double s = w[a];
    for (int t = a + 1; t < k; ++t) s -= L[t * k + a] * b[t];
    b[a] = s * reciprocal[a];
  }
  double lower[kMaxCoefficients * kMaxCoefficients], scale[kMaxCoefficients], coefficient[kMaxCoefficients];
  const double* column[kMaxCoefficients];
  for (int a = 0; a < k; ++a) {
    for (int t = 0; t < a; ++t) lower[a * k + t] = static_cast<double>(L[a * k + t]);
    scale[a] = static_cast<double>(reciprocal[a]);
    coefficient[a] = static_cast<double>(b[a]);
    column[a] = &unitColumns_[static_cast<std::size_t>(positions[a]) * static_cast<std::size_t>(stride_)];
  }
  RowPass pass;
  pass.k = k;
  pass.lower = lower;
  pass.scale = scale;
  pass.coefficient = coefficient;
  pass.column = column;
  pass.response = centredResponse_.data();
  pass.stride = stride_;
  pass.leaveOneOut = id == 0 || id == 3;
  pass.smallestFreedom =
      static_cast<double>(std::max(fitCondition / kMaxCondition, screenCondition / kMaxScreenCondition));
  pass.inverseCount = 1.0 / n_;
  pass.bound = static_cast<double>((limit + kSpreadMargin * ssTot_) / (1.0L - kRelativeMargin));
  switch (k) {
    case 1: return pass.Exceeds<1>();
    case 2: return pass.Exceeds<2>();
    case 3: return pass.Exceeds<3>();
    case 4: return pass.Exceeds<4>();
    case 5: return pass.Exceeds<5>();
    case 6: return pass.Exceeds<6>();
    default: return pass.Exceeds<kMaxCoefficients>();
  }
}
