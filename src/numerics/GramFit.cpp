#include "numerics/GramFit.h"

#include "numerics/LuSteps.h"
#include "numerics/RankTest.h"
#include "numerics/Statistics.h"
#include "numerics/UnrolledSize.h"
#include "numerics/Utils.h"

namespace {

constexpr int kMax = kGramFitMaxCoefficients;

[[noreturn]] void Singular() { throw EZeroDivide(); }

// G^-1 x' for one design row x by LuForwardRows' and LuBackRows' operations, in
// their order, without their checks: a value that is not finite stays so through
// the later steps (infinity times 0 is NaN) and through the sums into b, so that
// testing b decides as the checks of each step would. The zero diagonal that
// LuBackRows refuses is the caller's to refuse, once for all rows.
inline void Solve(int q, const long double* const* lu, const int* perm, const long double* const* columns, int row,
           long double* x) {
  for (int i = 0; i < q; ++i) {
    const long double* lower = lu[perm[i]];
    long double sum = columns[perm[i]][row];
    for (int j = 0; j < i; ++j) sum -= lower[j] * x[j];
    x[i] = sum;
  }
  for (int i = q - 1; i >= 0; --i) {
    const long double* upper = lu[perm[i]];
    long double sum = x[i];
    for (int j = i + 1; j < q; ++j) sum -= upper[j] * x[j];
    x[i] = sum / upper[i];
  }
}

// FitFromGram with q known to the compiler when Q > 0, so that its loops are
// unrolled; the operations and their order are those of Q = 0. Row i of G^-1 X' is
// multiplied into b as soon as it is solved: each b_j still sums its products in
// row order.
template <int Q>
bool FitOfSize(int n, int runtimeQ, const long double* G, const long double* const* columns, const long double* y,
               long double* b, long double* fitted, long double& ssReg) {
  const int q = Q > 0 ? Q : runtimeQ;
  try {
    long double lu[kMax * kMax], scaled[kMax * kMax], scale[kMax], x[kMax], sum[kMax];
    int perm[kMax];
    long double *luRows[kMax], *scaledRows[kMax];
    for (int j = 0; j < q; ++j) {
      luRows[j] = &lu[j * kMax];
      scaledRows[j] = &scaled[j * kMax];
      for (int k = 0; k < q; ++k) lu[j * kMax + k] = G[j * q + k];
      sum[j] = 0.0L;
    }
    RequireFullRankRows(q, luRows, scaledRows, Singular);
    LuDecomposeRows(q, luRows, perm, scale, Singular);
    for (int j = 0; j < q; ++j)
      if (luRows[perm[j]][j] == 0.0L) return false;
    for (int i = 0; i < n; ++i) {
      Solve(q, luRows, perm, columns, i, x);
      const long double yi = y[i];
      for (int j = 0; j < q; ++j) sum[j] += x[j] * yi;
    }
    for (int j = 0; j < q; ++j) b[j] = Finite(sum[j]);
    for (int i = 0; i < n; ++i) {
      long double s = 0.0L;
      for (int k = 0; k < q; ++k) s += columns[k][i] * b[k];
      fitted[i] = Finite(s);
    }
    for (int i = 0; i < n; ++i) Finite(y[i] - fitted[i]);  // the residuals
    ssReg = SumSqDev(fitted, n);
    return true;
  } catch (...) {
    return false;
  }
}

}  // namespace

bool FitFromGram(int n, int q, const long double* G, const long double* const* columns, const long double* y,
                 long double* b, long double* fitted, long double& ssReg) {
  if (q < 1 || q > kMax) return false;
  return WithUnrolledSize(q, [&](auto size) {
    return FitOfSize<decltype(size)::value>(n, q, G, columns, y, b, fitted, ssReg);
  });
}
