// The rank test of the least-squares routines on normal equations given by row
// pointers, shared by ModelCalc and the fixed-size kernels that must decide as it does.
#pragma once

#include <cmath>

// A pivot of the unit-scaled normal equations at or below this is a linear
// dependence to working precision. A design whose scaled X'X has a condition
// number below 1e12 has every pivot above 1e-12, so it is never refused.
constexpr long double kRankTolerance = 1e-13L;

// Calls refuse() (which must throw) when the columns of the q x q normal equations
// g, scaled to unit length, are linearly dependent: an elimination pivot of D G D
// (D = diag(G)^-1/2) at or below kRankTolerance. s receives the scaled lower half.
// A zero column is left to the LU decomposition, which reports it.
template <typename Refuse>
void RequireFullRankRows(int q, const long double* const* g, long double* const* s, Refuse refuse) {
  constexpr int kMaxRoots = 16;
  long double root[kMaxRoots];  // sqrt |g_jj|, taken once per column when q allows
  for (int j = 0; j < q; ++j) {
    if (g[j][j] == 0.0L) return;
    if (j < kMaxRoots) root[j] = std::sqrt(std::fabs(g[j][j]));
  }
  auto rootOf = [&](int j) { return j < kMaxRoots ? root[j] : std::sqrt(std::fabs(g[j][j])); };
  for (int i = 0; i < q; ++i)
    for (int j = 0; j <= i; ++j) s[i][j] = g[i][j] / (rootOf(i) * rootOf(j));
  for (int k = 0; k < q; ++k) {
    const long double pivot = s[k][k];
    if (!(pivot > kRankTolerance)) refuse();
    for (int i = k + 1; i < q; ++i)
      for (int j = k + 1; j <= i; ++j) s[i][j] -= s[i][k] * s[j][k] / pivot;
  }
}
