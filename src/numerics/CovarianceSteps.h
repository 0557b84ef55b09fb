// The arithmetic of Matrix's covariance and correlation for one column and for one
// pair of columns, on columns read through accessors (x(i) is row i), for Matrix
// and for the correlations of a whole pool, which must give its entries to the
// last bit.
#pragma once

#include "numerics/Utils.h"

// The mean the deviations are taken from: the sum of the n >= 1 values in row
// order over n, except that identical values are their own mean, so that a
// constant column has no deviation.
template <typename Column>
long double DeviationMean(int n, Column x) {
  long double sum = 0.0L;
  for (int i = 0; i < n; ++i) sum += x(i);
  for (int i = 1; i < n; ++i)
    if (x(i) != x(0)) return CheckedDiv(sum, n);
  return x(0);
}

// The sample covariance of two deviation columns: the products summed in row
// order, over n - 1.
template <typename A, typename B>
long double DeviationCovariance(int n, A a, B b) {
  long double sum = 0.0L;
  for (int i = 0; i < n; ++i) sum += a(i) * b(i);
  return CheckedDiv(sum, n - 1);
}

// The sample standard deviation of a deviation column.
template <typename Column>
long double DeviationSd(int n, Column dev) {
  return CheckedSqrt(DeviationCovariance(n, dev, dev));
}

// The correlation from the covariance and the two standard deviations; where their
// product is 0, zeroSpread is set and the covariance is kept as it is.
inline long double CorrelationOf(long double covariance, long double sdA, long double sdB, bool& zeroSpread) {
  const long double product = sdA * sdB;
  zeroSpread = (product == 0.0L);
  return zeroSpread ? covariance : CheckedDiv(covariance, product);
}
