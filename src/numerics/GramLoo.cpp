#include "numerics/GramLoo.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstring>
#include <utility>

#include "numerics/RankTest.h"
#include "numerics/UnrolledSize.h"
#include "numerics/Utils.h"

namespace {

constexpr int kMax = kGramLooMaxCoefficients;

[[noreturn]] void Singular() { throw EZeroDivide(); }

// Finite's test without a constant from memory (loading an extended-precision
// constant costs as much as several multiplications): x - x is +0 for every finite
// x and NaN for an infinity or a NaN.
inline long double Checked(long double x) {
  const long double zero = x - x;
  if (zero != zero) RaiseNonFinite(x);
  return x;
}

// CheckedDiv with the test above; it also stands for the decomposition's tests of a
// zero row or pivot, which precede a division by that same value.
inline long double Divided(long double a, long double b) {
  if (b == 0.0L) Singular();
  return Checked(a / b);
}

// True when G equals its transpose (a NaN never does).
bool Symmetric(int q, const long double* G) {
  for (int j = 0; j < q; ++j)
    for (int k = 0; k < j; ++k)
      if (!(G[j * q + k] == G[k * q + j])) return false;
  return true;
}

constexpr long double kUnitRoundoff = 0x1p-64L;

// Factorizes a - shift I (symmetric, upper half read) as R'R; false where a pivot
// is not positive or a value not finite.
bool Cholesky(int q, const long double (*a)[kMax], long double shift, long double (*r)[kMax]) {
  for (int j = 0; j < q; ++j)
    for (int k = j; k < q; ++k) {
      long double s = k == j ? a[j][j] - shift : a[j][k];
      for (int i = 0; i < j; ++i) s -= r[i][j] * r[i][k];
      if (k == j) {
        if (!(s > 0.0L) || !std::isfinite(s)) return false;
        r[j][j] = std::sqrt(s);
      } else {
        r[j][k] = s / r[j][j];
        if (!std::isfinite(r[j][k])) return false;
      }
    }
  return true;
}

// (R'R)^-1 = T T' with T = R^-1 (upper triangular, from R T = I).
void InverseFromFactor(int q, const long double (*r)[kMax], long double (*inverse)[kMax]) {
  long double t[kMax][kMax] = {};
  for (int j = q - 1; j >= 0; --j) {
    t[j][j] = 1.0L / r[j][j];
    for (int k = j + 1; k < q; ++k) {
      long double s = 0.0L;
      for (int i = j + 1; i <= k; ++i) s += r[j][i] * t[i][k];
      t[j][k] = -s / r[j][j];
    }
  }
  for (int j = 0; j < q; ++j)
    for (int k = 0; k < q; ++k) {
      long double s = 0.0L;
      for (int i = std::max(j, k); i < q; ++i) s += t[j][i] * t[k][i];
      inverse[j][k] = s;
    }
}

// An upper bound of the Frobenius norm from its computed sum of squares (whose
// relative error is below 1e-17 for these sizes).
long double FrobeniusBound(long double sumOfSquares) { return 1.01L * std::sqrt(sumOfSquares); }

}  // namespace

// Why a waiver is sound. Let E = diag(e) (the doubles unitScale_, e_j about
// G_jj^-1/2), S = E G E with lambda_min(S) >= L > 0 (G is then positive definite),
// z = E x and h = x'G^-1 x = z'S^-1 z < 1. By Cauchy-Schwarz x x' <= h G, so
// G - x x' >= (1 - h) G. The refit's diagonal fl(g - fl(x^2)) is at most g
// (rounding is monotone, g a number), so with D_i the rank test's scaling,
// D_i G D_i = T S T with T >= (1 - 3e-16) I, and lambda_min(D_i (G - x x') D_i)
// >= (1 - h) L (1 - 6e-16). Rounding G - x x' moves that scaled matrix by at most
// 1.1 q u / (1 - h) in norm (u = 2^-64), the rank test's scaling by 4.1 q u, its
// elimination (growth factor 1 on a positive definite matrix) by 1.1 q (q + 1) u,
// and each pivot of a positive definite matrix is at least its smallest
// eigenvalue. A waived row has 1 - h >= 1e-3 and (1 - h) L >= 1e-10 (up to the
// rounding of the bound itself, about 1e-19), so every pivot the rank test
// computes exceeds 1e-10 - 2e-15 > kRankTolerance.
// L: a Cholesky factorization of fl(S) - mu I that succeeds proves lambda_min(fl(S))
// >= mu - 1.1 (q + 1)^2 u (its backward error, with the rounded shift), and
// ||S - fl(S)|| <= 2.1 u ||fl(S)||_F. h: for the symmetric M (an approximate inverse
// of fl(S), rounded to doubles) and rho >= ||I - S M||, z'S^-1 z <= z'M z +
// (rho / L) |z|^2; rounding z and the sum add at most (2.1 u / L + 1.1 (2q + 2) u
// ||M||_F) |z|^2. slope_ takes twice the sum of these rates, which also covers the
// rounding of |z|^2.
RankTestWaiver::RankTestWaiver(int q, const long double* G) : q_(q) {
  if (q < 1 || q > kMax || !Symmetric(q, G)) return;
  for (int j = 0; j < q; ++j) {
    const long double diagonal = G[j * q + j];
    if (!(diagonal > 0.0L) || !std::isfinite(diagonal)) return;
    unitScale_[j] = static_cast<double>(1.0L / std::sqrt(diagonal));
    if (!std::isnormal(unitScale_[j])) return;
  }
  long double s[kMax][kMax], r[kMax][kMax], m[kMax][kMax], squares = 0.0L;
  for (int j = 0; j < q; ++j)
    for (int k = 0; k < q; ++k) {
      s[j][k] = G[j * q + k] * unitScale_[j] * unitScale_[k];
      squares += s[j][k] * s[j][k];
    }
  const long double normS = FrobeniusBound(squares);
  if (!std::isfinite(normS) || !Cholesky(q, s, 0.0L, r)) return;
  InverseFromFactor(q, r, m);
  double md[kMax][kMax];
  squares = 0.0L;
  for (int j = 0; j < q; ++j)
    for (int k = 0; k < q; ++k) {
      md[j][k] = static_cast<double>(m[std::min(j, k)][std::max(j, k)]);
      squares += static_cast<long double>(md[j][k]) * md[j][k];
      if (k >= j) inverse_[j][k] = k == j ? md[j][k] : 2.0 * md[j][k];
      if (!std::isfinite(inverse_[j][k])) return;
    }
  const long double normM = FrobeniusBound(squares);
  const long double shift = 0.5L / normM;
  if (!std::isfinite(normM) || !Cholesky(q, s, shift, r)) return;
  const long double u = kUnitRoundoff;
  const long double errorS = 2.1L * u * normS;
  const long double lower = 0.99L * (shift - 1.1L * (q + 1) * (q + 1) * u - errorS);
  squares = 0.0L;
  for (int j = 0; j < q; ++j)
    for (int k = 0; k < q; ++k) {
      long double f = j == k ? 1.0L : 0.0L;
      for (int l = 0; l < q; ++l) f -= s[j][l] * md[l][k];
      squares += f * f;
    }
  const long double rho =
      FrobeniusBound(squares) + 1.1L * (q + 2) * u * (std::sqrt(static_cast<long double>(q)) + normS * normM) +
      errorS * normM;
  slope_ = 2.0L * ((rho + 2.1L * u) / lower + 1.1L * (2 * q + 2) * u * normM);
  largest_ = std::min(1.0L - 1e-3L, 1.0L - 1e-10L / lower);
  usable_ = lower > 0.0L && std::isfinite(slope_) && largest_ > 0.0L;
}

template <int Q>
bool RankTestWaiver::Waives(const long double* x) const {
  if (!usable_) return false;
  const int q = Q > 0 ? Q : q_;
  long double z[kMax], size = 0.0L, leverage = 0.0L;
  for (int j = 0; j < q; ++j) {
    z[j] = x[j] * unitScale_[j];
    size += z[j] * z[j];
  }
  for (int j = 0; j < q; ++j) {
    long double row = inverse_[j][j] * z[j];
    for (int k = j + 1; k < q; ++k) row += inverse_[j][k] * z[k];
    leverage += row * z[j];
  }
  return leverage + slope_ * size <= largest_;
}

template bool RankTestWaiver::Waives<0>(const long double*) const;

namespace {

// One refit's working arrays. The refit's loops are unrolled completely for fixed
// sizes (#pragma GCC unroll) where that keeps a column or the factors in
// registers: extended-precision loads and stores cost about five cycles each and
// bound the refit's speed.
// Clang cannot unroll the outer loops for the order read at run time (Q = 0) as
// asked, which costs only speed, and would warn of it.
#ifdef __clang__
#pragma clang diagnostic ignored "-Wpass-failed"
#endif
struct Refit {
  long double a[kMax][kMax];       // G_i, then its LU factors
  long double scale[kMax];         // the decomposition's row scales
  int perm[kMax];                  // its row permutation
  long double solved[kMax][kMax];  // solved[p]: the solution for unit vector perm[p]
};

// G_i = G - x x' with the decomposition's row scales (the largest magnitude of a row
// does not depend on the order the row is scanned in).
template <int Q>
void DownDate(int runtimeQ, const long double* G, const long double* x, Refit& r) {
  const int q = Q > 0 ? Q : runtimeQ;
  for (int j = 0; j < q; ++j) {
    const long double xj = x[j];
    long double big = 0.0L;
    for (int k = 0; k < q; ++k) {
      const long double v = G[j * q + k] - xj * x[k];
      r.a[j][k] = v;
      const long double size = std::fabs(v);
      big = size > big ? size : big;
    }
    r.scale[j] = Divided(1.0L, big);
  }
}

// True where the decomposition's first step keeps row 0 as its pivot whatever the
// other rows hold: it compares |a_00| unscaled with the scaled |a_i0| / max_j |a_ij|
// of the other rows, each at most 1 + 2u after rounding, so |a_00| >= 2 wins.
bool FirstPivotStays(const long double* G, const long double* x) { return std::fabs(G[0] - x[0] * x[0]) >= 2.0L; }

// DownDate followed by the decomposition's first step where FirstPivotStays: each
// row of G_i is eliminated as it is formed instead of being stored and read again.
// The scale of row 0 is then never read, and its checks cannot fire (|a_00| >= 2).
template <int Q>
void DownDateEliminatingFirst(int runtimeQ, const long double* G, const long double* x, Refit& r) {
  const int q = Q > 0 ? Q : runtimeQ;
  long double* pivotRow = r.a[0];
  const long double x0 = x[0];
#pragma GCC unroll 16
  for (int k = 0; k < q; ++k) pivotRow[k] = G[k] - x0 * x[k];
  const long double pivot = pivotRow[0];
#pragma GCC unroll 16
  for (int j = 1; j < q; ++j) {
    const long double xj = x[j];
    const long double first = G[j * q] - xj * x0;
    const long double factor = Divided(first, pivot);
    r.a[j][0] = factor;
    long double big = std::fabs(first);
#pragma GCC unroll 16
    for (int k = 1; k < q; ++k) {
      const long double v = G[j * q + k] - xj * x[k];
      const long double size = std::fabs(v);
      big = size > big ? size : big;
      r.a[j][k] = Checked(v - factor * pivotRow[k]);
    }
    r.scale[j] = Divided(1.0L, big);
  }
}

// LuDecomposeRows after the row scales from step First on (its first First steps
// done), on the same operands in the same order for each value (the factors of a
// column before the updates they make).
template <int Q, int First>
void Decompose(int runtimeQ, Refit& r) {
  const int q = Q > 0 ? Q : runtimeQ;
  int* perm = r.perm;
  for (int i = 0; i < q; ++i) perm[i] = i;
#pragma GCC unroll 16
  for (int k = First; k < q - 1; ++k) {
    long double big = std::fabs(r.a[perm[k]][k]);
    int imax = k;
#pragma GCC unroll 16
    for (int i = k + 1; i < q; ++i) {
      const long double candidate = std::fabs(r.a[perm[i]][k]) * r.scale[i];
      const bool larger = candidate > big;
      big = larger ? candidate : big;
      imax = larger ? i : imax;
    }
    if (imax != k) {
      std::swap(perm[k], perm[imax]);
      r.scale[imax] = r.scale[k];
    }
    const long double* pivotRow = r.a[perm[k]];
    const long double pivot = pivotRow[k];
    long double factor[kMax] = {};
#pragma GCC unroll 16
    for (int i = k + 1; i < q; ++i) {
      long double* row = r.a[perm[i]];
      factor[i] = Divided(row[k], pivot);
      row[k] = factor[i];
    }
#pragma GCC unroll 16
    for (int j = k + 1; j < q; ++j) {
      const long double pivotValue = pivotRow[j];
#pragma GCC unroll 16
      for (int i = k + 1; i < q; ++i) {
        long double* row = r.a[perm[i]];
        row[j] = Checked(row[j] - factor[i] * pivotValue);
      }
    }
  }
}

// Matrix::InvertRows after the decomposition, column by column in the order of the
// permuted unit vectors: solved[p] is the solution for unit vector perm[p]. Its
// forward substitution gives exactly +0 above p: each sum starts at +0 and
// subtracts products of finite factors (the decomposition checks them) with +0,
// which leaves +0 in round to nearest. At p it gives exactly 1, and below p the
// literal sums, whose leading zero terms change nothing and are left out, so are
// their checks, which cannot fire. A zero diagonal is reported by Divided's test.
template <int Q>
void Invert(int runtimeQ, Refit& r) {
  const int q = Q > 0 ? Q : runtimeQ;
  const long double* rows[kMax];
  for (int i = 0; i < q; ++i) rows[i] = r.a[r.perm[i]];
#pragma GCC unroll 16
  for (int p = 0; p < q; ++p) {
    long double v[kMax];
    v[p] = 1.0L;
#pragma GCC unroll 16
    for (int i = p + 1; i < q; ++i) {
      long double sum = 0.0L;
#pragma GCC unroll 16
      for (int j = p; j < i; ++j) sum -= rows[i][j] * v[j];
      v[i] = Checked(sum);
    }
#pragma GCC unroll 16
    for (int i = q - 1; i >= 0; --i) {
      long double sum = i < p ? 0.0L : v[i];
#pragma GCC unroll 16
      for (int j = i + 1; j < q; ++j) sum -= rows[i][j] * v[j];
      v[i] = Divided(sum, rows[i][i]);
    }
    for (int i = 0; i < q; ++i) r.solved[p][i] = v[i];
  }
}

// The refits of objects [from, to) with q known to the compiler when Q > 0, so that
// their loops are unrolled; the operations and their order are those of Q = 0.
// Every value is LooPress's, from the same operations on the same operands; only
// the order of independent steps differs (the row scales before the rank test,
// the decomposition's first step as G_i is formed), and so may the order of the
// checks. As any check that fires ends the refits there, and LooPress makes each
// of these checks on the same value, the verdict is its. Returns the object whose
// refit faulted, else to.
template <int Q>
int RefitRange(int runtimeQ, const long double* G, const long double* h, const long double* const* columns,
               const long double* y, const RankTestWaiver& waiver, int from, int to, long double* predictions) {
  const int q = Q > 0 ? Q : runtimeQ;
  Refit r;
  long double scaled[kMax * kMax], hi[kMax], bi[kMax], x[kMax];
  int position[kMax];
  long double *giRows[kMax], *scaledRows[kMax];
  for (int j = 0; j < q; ++j) {
    giRows[j] = r.a[j];
    scaledRows[j] = &scaled[j * kMax];
  }
  int i = from;
  try {
    for (; i < to; ++i) {
      // Row i gathered into one array, bytewise: cheaper than an extended-precision
      // load and store.
      for (int j = 0; j < q; ++j) std::memcpy(&x[j], &columns[j][i], sizeof(long double));
      const long double yi = y[i];
      if (waiver.Waives<Q>(x) && FirstPivotStays(G, x)) {
        DownDateEliminatingFirst<Q>(q, G, x, r);
        Decompose<Q, 1>(q, r);
      } else {
        DownDate<Q>(q, G, x, r);
        if (!waiver.Waives<Q>(x)) RequireFullRankRows(q, giRows, scaledRows, Singular);
        Decompose<Q, 0>(q, r);
      }
      Invert<Q>(q, r);
      for (int p = 0; p < q; ++p) position[r.perm[p]] = p;
      for (int j = 0; j < q; ++j) hi[j] = h[j] - x[j] * yi;
      // b_i = inverse * h_i, entry (j, k) of the inverse being solved[position[k]][j].
      for (int j = 0; j < q; ++j) {
        long double s = 0.0L;
        for (int k = 0; k < q; ++k) s += r.solved[position[k]][j] * hi[k];
        bi[j] = Checked(s);
      }
      long double yhat = bi[0];
      for (int j = 1; j < q; ++j) yhat += bi[j] * x[j];
      predictions[i] = yhat;
    }
  } catch (...) {
    return i;
  }
  return to;
}

}  // namespace

GramLooRefits::GramLooRefits(int n, int q, const long double* G, const long double* h,
                             const long double* const* columns, const long double* y)
    : n_(n), q_(q), G_(G), h_(h), columns_(columns), y_(y), waiver_(q, G) {}

int GramLooRefits::Run(int from, int to, long double* predictions) const {
  return WithUnrolledSize(q_, [&](auto size) {
    return RefitRange<decltype(size)::value>(q_, G_, h_, columns_, y_, waiver_, from, to, predictions);
  });
}

bool GramLooRefits::Sum(int fault, long double* predictions, long double& press) const {
  long double sum = 0.0L;
  bool residualSeen = false;
  int i = 0;
  try {
    for (; i < fault; ++i) {
      const long double residual = y_[i] - predictions[i];
      residualSeen = residualSeen || residual != 0.0L;
      // A prediction that is not finite leaves a residual that is not: the sum's
      // check stands for the prediction's.
      sum = Checked(sum + residual * residual);
    }
  } catch (...) {
  }
  if (i < n_) {
    std::fill(predictions + i, predictions + n_, 0.0L);
    return false;
  }
  // Residuals whose squares all vanish: the PRESS is below the number range, not 0.
  if (residualSeen && sum < LDBL_MIN) return false;
  press = sum;
  return true;
}

bool LooPressFromGram(int n, int q, const long double* G, const long double* h, const long double* const* columns,
                      const long double* y, long double& press, long double* loo) {
  if (q < 1 || q > kMax) return false;
  const GramLooRefits refits(n, q, G, h, columns, y);
  return refits.Sum(refits.Run(0, n, loo), loo, press);
}
