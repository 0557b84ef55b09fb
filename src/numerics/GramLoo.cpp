#include "numerics/GramLoo.h"

#include <cfloat>

#include "numerics/LuSteps.h"
#include "numerics/RankTest.h"
#include "numerics/Utils.h"

namespace {

constexpr int kMax = kGramLooMaxCoefficients;

[[noreturn]] void Singular() { throw EZeroDivide(); }

// Matrix::InvertRows after the decomposition: forward and back substitution of each
// unit vector into column col of inverse.
void Invert(int q, const long double* const* lu, const int* perm, long double* inverse) {
  long double side[kMax], x[kMax];
  for (int col = 0; col < q; ++col) {
    for (int i = 0; i < q; ++i) side[i] = (i == col) ? 1.0L : 0.0L;
    LuForwardRows(q, lu, perm, side, x);
    LuBackRows(q, lu, perm, x, Singular);
    for (int i = 0; i < q; ++i) inverse[i * kMax + col] = x[i];
  }
}

// The refits of LooPressFromGram with q known to the compiler when Q > 0, so that
// its loops are unrolled; the operations and their order are those of Q = 0.
template <int Q>
bool LooPressOfSize(int n, int runtimeQ, const long double* G, const long double* h, const long double* const* rows,
                    const long double* y, long double& press, long double* loo) {
  const int q = Q > 0 ? Q : runtimeQ;
  try {
    long double gi[kMax * kMax], scaled[kMax * kMax], inverse[kMax * kMax], hi[kMax], bi[kMax], scale[kMax];
    int perm[kMax];
    long double *giRows[kMax], *scaledRows[kMax];
    for (int j = 0; j < q; ++j) {
      giRows[j] = &gi[j * kMax];
      scaledRows[j] = &scaled[j * kMax];
    }
    long double sum = 0.0L;
    bool residualSeen = false;
    for (int i = 0; i < n; ++i) {
      const long double* x = rows[i];
      const long double yi = y[i];
      for (int j = 0; j < q; ++j)
        for (int k = 0; k < q; ++k) gi[j * kMax + k] = G[j * q + k] - x[j] * x[k];
      RequireFullRankRows(q, giRows, scaledRows, Singular);
      LuDecomposeRows(q, giRows, perm, scale, Singular);
      Invert(q, giRows, perm, inverse);
      for (int j = 0; j < q; ++j) hi[j] = h[j] - x[j] * yi;
      for (int j = 0; j < q; ++j) {
        long double s = 0.0L;
        for (int k = 0; k < q; ++k) s += inverse[j * kMax + k] * hi[k];
        bi[j] = Finite(s);
      }
      long double yhat = bi[0];
      for (int j = 1; j < q; ++j) yhat += bi[j] * x[j];
      const long double residual = yi - yhat;
      residualSeen = residualSeen || residual != 0.0L;
      sum = Finite(sum + residual * residual);
      if (loo != nullptr) loo[i] = Finite(yhat);
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
