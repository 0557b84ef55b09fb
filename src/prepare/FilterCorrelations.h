// The correlations of the correlation filter's rows.
#pragma once

#include <cstdint>
#include <vector>

#include "prepare/ImportFilters.h"

// The signed Pearson r of two columns from sample (n - 1) moments, computed exactly
// as PairCorrelation does it (the same operations in the same order, so the same
// result to the last bit, and a failure where it fails), with each column's mean,
// deviations and standard deviation prepared once and each pair computed once. A
// double-precision estimate screens out the pairs that cannot exceed a threshold.
class FilterCorrelations : public PairCorrelations {
public:
  // values: rows x cols, column-major (column c is values[c * rows .. c * rows + rows - 1]).
  FilterCorrelations(std::vector<long double> values, int rows, int cols);

  long double Correlation(int a, int b) override;
  bool MayExceed(int a, int b, long double threshold) override;
  // Computes the pairs of v not yet known four at a time: four running sums side by
  // side, each added in row order as alone, so the results are the same.
  void Prepare(int v, const std::vector<int>& others) override;

private:
  enum class PairState : uint8_t { Unknown, Known, Failed };
  void PrepareColumn(int c);
  // The sum of the deviation products of a and b, in row order.
  long double DeviationProducts(int a, int b) const;
  // r from the sum of the deviation products of a and b.
  long double Finish(int a, int b, long double sum) const;
  bool Fails(int c) const { return failed_[static_cast<std::size_t>(c)] != 0; }
  void Store(int a, int b, long double sum);
  void PrepareScreen();
  // The screen's estimate of r: the dot product of the unit vectors; a < b.
  double Dot(int a, int b) const;
  double Estimate(int a, int b);
  std::size_t PairIndex(int a, int b) const;
  const long double* Deviations(int c) const { return &deviations_[static_cast<std::size_t>(c) * rows_]; }

  int rows_;
  int cols_;
  // Per column: the deviations from the mean (column-major, in place of the values),
  // the standard deviation, whether the column cannot be correlated (constant, or a
  // fault in its moments), sum x^2, and sum x^2 / sum (x - m)^2, which sets the
  // rounding error of the standard deviation.
  std::vector<long double> deviations_;
  std::vector<long double> stdDev_;
  std::vector<uint8_t> failed_;
  std::vector<long double> sumSquares_;
  std::vector<double> conditioning_;
  // The screen: each column's deviations scaled to unit length, in double precision.
  std::vector<double> unit_;
  // The estimates of the block of first columns blockStart_ .. + kBlock - 1 against
  // each second column, and whether that column's are in.
  static constexpr int kBlock = 16;
  int blockStart_ = -kBlock;
  std::vector<double> blockEstimates_;
  std::vector<uint8_t> blockDone_;
  // Exact correlations of the pairs computed so far (a < b, triangular order).
  std::vector<long double> known_;
  std::vector<PairState> state_;
};
