// The correlations of the correlation filter's rows.
#pragma once

#include <cstdint>
#include <vector>

#include "prepare/ImportFilters.h"

// The signed Pearson r of two columns from sample (n - 1) moments, computed exactly
// as PairCorrelation does it (the same operations in the same order, so the same
// result to the last bit, and a failure where it fails), with each column's mean and
// standard deviation prepared once. A double-precision estimate screens out the
// pairs that cannot exceed a threshold.
//
// Memory: the columns are read where they lie; the pairs computed are kept for
// reuse only while the table of all pairs fits a fixed budget, so that many
// descriptors cost time, not memory.
class FilterCorrelations : public PairCorrelations {
public:
  // columns: one pointer per column to its rows values (read, not copied; they must
  // outlive this object); a null column takes part in no pair.
  FilterCorrelations(std::vector<const long double*> columns, int rows);
  // The same with a pair table of at most maxKnownPairs pairs (0: none).
  FilterCorrelations(std::vector<const long double*> columns, int rows, std::size_t maxKnownPairs);

  long double Correlation(int a, int b) override;
  bool MayExceed(int a, int b, long double threshold) override;
  // The pairs of v not yet known are computed on worker threads, three at a time per
  // thread, each a running sum added in row order as when alone.
  void Correlations(int v, const std::vector<int>& others, std::vector<long double>& values,
                    std::vector<uint8_t>& failed) override;

private:
  enum class PairState : uint8_t { Unknown, Known, Failed };
  void PrepareColumn(int c);
  // The sum of the deviation products of a and b, in row order.
  long double DeviationProducts(int a, int b) const;
  // r from the sum of the deviation products of a and b; throws where it fails.
  long double Finish(int a, int b, long double sum) const;
  bool Fails(int c) const { return failed_[static_cast<std::size_t>(c)] != 0; }
  bool KeepsPairs() const { return !state_.empty(); }
  // The exact r of a and b, or false where it fails; from the table when known.
  bool Compute(int a, int b, long double& r);
  void Remember(int a, int b, bool ok, long double r);
  void PrepareScreen();
  // The screen's estimate of r: the dot product of the unit vectors; a < b.
  double Dot(int a, int b) const;
  double Estimate(int a, int b);
  std::size_t PairIndex(int a, int b) const;

  int rows_;
  int cols_;
  std::vector<const long double*> columns_;
  // Per column: the mean, the standard deviation, whether the column cannot be
  // correlated (absent, constant, or a fault in its moments), sum x^2, and
  // sum x^2 / sum (x - m)^2, which sets the rounding error of the standard deviation.
  std::vector<long double> mean_;
  std::vector<long double> stdDev_;
  std::vector<uint8_t> failed_;
  std::vector<long double> sumSquares_;
  std::vector<double> conditioning_;
  // The screen: each column's deviations scaled to unit length, in double precision.
  std::vector<double> unit_;
  // The estimates of the block of first columns blockStart_ .. + kBlock - 1 against
  // each later column.
  static constexpr int kBlock = 16;
  int blockStart_ = -kBlock;
  std::vector<double> blockEstimates_;
  // Exact correlations of the pairs computed so far (a < b, triangular order), when kept.
  std::vector<long double> known_;
  std::vector<PairState> state_;
};
