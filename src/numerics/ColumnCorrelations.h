// The correlation matrix of many columns, each entry formed once, on first need,
// so that the correlation matrix of any few of them is gathered rather than summed
// again.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

class Matrix;

class ColumnCorrelations {
public:
  // count columns of n rows each, column c at columns[c][0..n-1]. Each entry is
  // formed as Matrix::CovarianceInto(m, true, ...) forms it for a matrix m that
  // holds the two columns among others. The columns' means and spreads are taken
  // here; an entry when a gather first needs it.
  ColumnCorrelations(int n, const long double* const* columns, int count);
  ~ColumnCorrelations();

  // The correlation matrix of the given columns (count >= 2, repeats allowed) into
  // R, already count x count: the entries that CovarianceInto gives for a matrix of
  // those columns in that order, the upper triangle mirrored. False (R partly
  // written) where CovarianceInto would throw. Thread-safe.
  bool Gather(const int* columns, int count, Matrix& R) const;

  int Count() const { return count_; }

private:
  long double Entry(int a, int b) const;
  long double Form(int a, int b) const;

  int n_ = 0;
  int count_ = 0;
  std::unique_ptr<long double[]> deviations_;  // column by column; from the column's mean
  std::vector<long double> sd_;
  std::vector<uint8_t> spread_;          // 0 where the column's mean or spread failed
  // The lower triangle with the diagonal, row by row, NaN where forming the entry
  // fails; state 0: not formed, 1: being stored by one thread, 2: stored.
  mutable std::vector<long double> entries_;
  std::unique_ptr<std::atomic<uint8_t>[]> states_;
};
