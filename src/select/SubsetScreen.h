// A cheap, safe estimate of a subset's fitness that lets the search pass over
// subsets that cannot enter the kept list without fitting them.
//
// The least-squares fit is solved once from the cross-product (Gram) matrix of the
// pool, computed once per search, and the leave-one-out residuals follow from the
// leverages (e_i / (1 - h_ii)) instead of one refit per object. The estimate comes
// with an interval far wider than the rounding error of either calculation; a
// subset whose problem is ill-conditioned (collinear descriptors, an object of
// leverage near 1, a response far from zero against its spread) gets no estimate
// and is always fitted.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "numerics/CheckedValue.h"

struct PoolGram;

// The search's fast paths (the screen below, worker threads, kernels that give the
// same bits as the plain routines) are on unless a test turns them off to run the
// plain path and compare.
bool SearchFastPaths();
void SetSearchFastPaths(bool on);

class SubsetScreen {
public:
  // From the training rows of the pool's design and response and their cross-products.
  explicit SubsetScreen(std::shared_ptr<const PoolGram> pool);

  // True when the fitness of fitness id `id` that the fit computes for the subset of
  // pool positions is surely strictly worse than `worst`, or surely missing; false
  // when it may not be, or when the estimate is not reliable. Thread-safe.
  bool SurelyWorse(const int* positions, int k, int id, long double smoothing, long double worst) const;

private:
  std::shared_ptr<const PoolGram> pool_;  // its gram: the uncentred cross-products
  int n_ = 0;
  int stride_ = 0;  // n_ rounded up to a multiple of 4
  int columns_;     // 1 + the pool size: column 0 is the constant 1
  // The pool columns centred and scaled to unit length: their cross-products, their
  // products with the centred response, and the columns themselves in double
  // precision (stride_ rows each, zero padded), with the centred response.
  std::vector<long double> correlation_;
  std::vector<long double> withResponse_;
  std::unique_ptr<double[]> unitColumns_;
  std::vector<double> centredResponse_;
  std::vector<uint8_t> usable_;  // per pool column: not constant
  long double ssTot_ = 0.0L;
  long double spreadRatio_ = 0.0L;  // largest |y| / standard deviation of y
  long double squaresCondition_ = 0.0L;  // n^2 max y^2 / SStot
};
