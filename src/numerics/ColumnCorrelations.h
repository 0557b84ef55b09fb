// The correlation matrix of many columns, made once, so that the correlation matrix
// of any few of them is gathered rather than summed again.
#pragma once

#include <vector>

class Matrix;

class ColumnCorrelations {
public:
  // count columns of n rows each, column c at columns[c][0..n-1]. Each entry is
  // formed as Matrix::CovarianceInto(m, true, ...) forms it for a matrix m that
  // holds the two columns among others.
  ColumnCorrelations(int n, const long double* const* columns, int count);

  // The correlation matrix of the given columns (count >= 2, repeats allowed) into
  // R, already count x count: the entries that CovarianceInto gives for a matrix of
  // those columns in that order, the upper triangle mirrored. False (R partly
  // written) where CovarianceInto would throw.
  bool Gather(const int* columns, int count, Matrix& R) const;

  int Count() const { return count_; }

private:
  long double Entry(int a, int b) const;

  int count_ = 0;
  // The lower triangle with the diagonal, row by row; NaN where forming the entry
  // fails, and throughout the row and column of a column whose mean or spread fails.
  std::vector<long double> entries_;
};
