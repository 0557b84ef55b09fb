#include "numerics/GramLoo.h"

#include <cfloat>
#include <cmath>
#include <utility>

#include "numerics/LuSteps.h"
#include "numerics/RankTest.h"
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

// CheckedDiv with the test above.
inline long double Divided(long double a, long double b) {
  if (b == 0.0L) Singular();
  return Checked(a / b);
}

// True when G holds the same bits at (j, k) and (k, j) (equal values of equal sign;
// a NaN never qualifies): then G - x x' is symmetric to the bit as well, x_j x_k
// and x_k x_j being one product, and its upper half is a copy of the lower.
bool BitSymmetric(int q, const long double* G) {
  for (int j = 0; j < q; ++j)
    for (int k = 0; k < j; ++k) {
      const long double a = G[j * q + k], b = G[k * q + j];
      if (!(a == b) || std::signbit(a) != std::signbit(b)) return false;
    }
  return true;
}

// One refit's working arrays.
struct Refit {
  long double a[kMax][kMax];       // G_i, then its LU factors
  long double scale[kMax];         // the decomposition's row scales
  int perm[kMax];                  // its row permutation
  long double solved[kMax][kMax];  // solved[p]: the solution for unit vector perm[p]
};

// G_i = G - x x' with the decomposition's row scales (the largest magnitude of a row
// does not depend on the order the row is scanned in).
template <int Q, bool Symmetric>
void DownDate(int runtimeQ, const long double* G, const long double* x, Refit& r) {
  const int q = Q > 0 ? Q : runtimeQ;
  for (int j = 0; j < q; ++j) {
    const long double xj = x[j];
    long double big = 0.0L;
    for (int k = 0; k < q; ++k) {
      const long double v = (Symmetric && k < j) ? r.a[k][j] : G[j * q + k] - xj * x[k];
      r.a[j][k] = v;
      const long double size = std::fabs(v);
      big = size > big ? size : big;
    }
    if (big == 0.0L) Singular();
    r.scale[j] = Divided(1.0L, big);
  }
}

// LuDecomposeRows after the row scales, on the same operands in the same order.
template <int Q>
void Decompose(int runtimeQ, Refit& r) {
  const int q = Q > 0 ? Q : runtimeQ;
  int* perm = r.perm;
  for (int i = 0; i < q; ++i) perm[i] = i;
  for (int k = 0; k < q - 1; ++k) {
    long double big = std::fabs(r.a[perm[k]][k]);
    int imax = k;
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
    if (pivot == 0.0L) Singular();
    for (int i = k + 1; i < q; ++i) {
      long double* row = r.a[perm[i]];
      const long double factor = Divided(row[k], pivot);
      row[k] = factor;
      for (int j = k + 1; j < q; ++j) row[j] = Checked(row[j] - factor * pivotRow[j]);
    }
  }
}

// Matrix::InvertRows after the decomposition, with all columns solved in step (each
// column's operations in its own order). The forward substitution of unit vector
// perm[p] gives exactly +0 above p: each sum starts at +0 and subtracts products of
// finite factors (the decomposition checks them) with +0, which leaves +0 in round
// to nearest. At p it gives exactly 1, and below p the literal sums, whose leading
// zero terms change nothing and are left out, so are their checks, which cannot fire.
template <int Q>
void Invert(int runtimeQ, Refit& r) {
  const int q = Q > 0 ? Q : runtimeQ;
  long double sum[kMax];
  for (int p = 0; p < q; ++p) r.solved[p][p] = 1.0L;
  for (int i = 1; i < q; ++i) {
    const long double* row = r.a[r.perm[i]];
    for (int p = 0; p < i; ++p) sum[p] = 0.0L;
    for (int j = 0; j < i; ++j) {
      const long double factor = row[j];
      for (int p = 0; p <= j; ++p) sum[p] -= factor * r.solved[p][j];
    }
    for (int p = 0; p < i; ++p) r.solved[p][i] = Checked(sum[p]);
  }
  for (int i = q - 1; i >= 0; --i) {
    const long double* row = r.a[r.perm[i]];
    const long double diagonal = row[i];
    if (diagonal == 0.0L) Singular();
    for (int p = 0; p < q; ++p) sum[p] = i < p ? 0.0L : r.solved[p][i];
    for (int j = i + 1; j < q; ++j) {
      const long double factor = row[j];
      for (int p = 0; p < q; ++p) sum[p] -= factor * r.solved[p][j];
    }
    for (int p = 0; p < q; ++p) r.solved[p][i] = Divided(sum[p], diagonal);
  }
}

// The refits of LooPressFromGram with q known to the compiler when Q > 0, so that
// its loops are unrolled; the operations and their order are those of Q = 0.
template <int Q>
bool LooPressOfSize(int n, int runtimeQ, const long double* G, const long double* h, const long double* const* rows,
                    const long double* y, long double& press, long double* loo) {
  const int q = Q > 0 ? Q : runtimeQ;
  try {
    Refit r;
    long double scaled[kMax * kMax], hi[kMax], bi[kMax];
    int position[kMax];
    long double *giRows[kMax], *scaledRows[kMax];
    for (int j = 0; j < q; ++j) {
      giRows[j] = r.a[j];
      scaledRows[j] = &scaled[j * kMax];
    }
    const bool symmetric = BitSymmetric(q, G);
    long double sum = 0.0L;
    bool residualSeen = false;
    for (int i = 0; i < n; ++i) {
      const long double* x = rows[i];
      const long double yi = y[i];
      if (symmetric) DownDate<Q, true>(q, G, x, r); else DownDate<Q, false>(q, G, x, r);
      RequireFullRankRows(q, giRows, scaledRows, Singular);
      Decompose<Q>(q, r);
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
      const long double residual = yi - yhat;
      residualSeen = residualSeen || residual != 0.0L;
      sum = Checked(sum + residual * residual);
      if (loo != nullptr) loo[i] = Checked(yhat);
    }
    // Residuals whose squares all vanish: the PRESS is below the number range, not 0.
    if (residualSeen && sum < LDBL_MIN) return false;
    press = sum;
    return true;
  } catch (...) {
    return false;
  }
}

}  // namespace

bool LooPressFromGram(int n, int q, const long double* G, const long double* h, const long double* const* rows,
                      const long double* y, long double& press, long double* loo) {
  switch (q) {
    case 2: return LooPressOfSize<2>(n, q, G, h, rows, y, press, loo);
    case 3: return LooPressOfSize<3>(n, q, G, h, rows, y, press, loo);
    case 4: return LooPressOfSize<4>(n, q, G, h, rows, y, press, loo);
    case 5: return LooPressOfSize<5>(n, q, G, h, rows, y, press, loo);
    default:
      if (q < 1 || q > kMax) return false;
      return LooPressOfSize<0>(n, q, G, h, rows, y, press, loo);
  }
}
