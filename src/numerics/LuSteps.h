// The arithmetic of Matrix's LU decomposition with row scaling and of its forward
// and back substitution, on rows given by pointers, for Matrix and for the
// fixed-size kernels that must give its results to the last bit.
#pragma once

#include <cmath>
#include <utility>

#include "numerics/Utils.h"

// Decomposes the n x n rows a[0..n-1] in place with the row permutation perm and
// the row scales scale; singular() is called (and must throw) where a row is zero
// or a pivot vanishes.
template <typename Singular>
void LuDecomposeRows(int n, long double* const* a, int* perm, long double* scale, Singular singular) {
  for (int i = 0; i < n; ++i) perm[i] = i;
  for (int i = 0; i < n; ++i) {
    long double big = 0.0L;
    for (int j = 0; j < n; ++j)
      if (std::fabs(a[i][j]) > big) big = std::fabs(a[i][j]);
    if (big == 0.0L) singular();
    scale[i] = CheckedDiv(1.0L, big);
  }
  for (int k = 0; k < n - 1; ++k) {
    // Position k competes unscaled, later positions scaled; the first largest wins.
    long double big = std::fabs(a[perm[k]][k]);
    int imax = k;
    for (int i = k + 1; i < n; ++i) {
      long double candidate = std::fabs(a[perm[i]][k]) * scale[i];
      if (candidate > big) {
        big = candidate;
        imax = i;
      }
    }
    if (imax != k) {
      std::swap(perm[k], perm[imax]);
      scale[imax] = scale[k];
    }
    const long double* pivotRow = a[perm[k]];
    if (pivotRow[k] == 0.0L) singular();
    for (int i = k + 1; i < n; ++i) {
      long double* row = a[perm[i]];
      row[k] = CheckedDiv(row[k], pivotRow[k]);
      for (int j = k + 1; j < n; ++j) row[j] = Finite(row[j] - row[k] * pivotRow[j]);
    }
  }
}

// y = the forward substitution of the permuted b through the unit lower factor.
inline void LuForwardRows(int n, const long double* const* lu, const int* perm, const long double* b, long double* y) {
  for (int i = 0; i < n; ++i) {
    const long double* row = lu[perm[i]];
    long double sum = b[perm[i]];
    for (int j = 0; j < i; ++j) sum -= row[j] * y[j];
    y[i] = Finite(sum);
  }
}

// x (holding y) = the back substitution through the upper factor; singular() is
// called (and must throw) at a zero diagonal.
template <typename Singular>
void LuBackRows(int n, const long double* const* lu, const int* perm, long double* x, Singular singular) {
  for (int i = n - 1; i >= 0; --i) {
    const long double* row = lu[perm[i]];
    long double sum = x[i];
    for (int j = i + 1; j < n; ++j) sum -= row[j] * x[j];
    if (row[i] == 0.0L) singular();
    x[i] = CheckedDiv(sum, row[i]);
  }
}
