// Matrices that the model routines of ModelCalc keep from call to call, so that
// scoring many models allocates nothing once a workspace has seen the largest
// sizes: each routine lays its matrices out for its own n objects and p
// descriptors within the storage they hold, and they grow only for a larger size.
#pragma once

#include <vector>

#include "numerics/Matrix.h"

// The K index of m columns of n rows: their correlation matrix (m x m), the
// deviations from the column means (n x m), the Householder transformation (m x m)
// and tridiagonal form (2 x m).
struct CorrelationWorkspace {
  Matrix correlation, deviations, transformation, form;
  std::vector<long double> scratch;  // column means and standard deviations

  void Prepare(int n, int m);
  // The matrices of the index from a correlation matrix made elsewhere.
  void PrepareIndex(int m);
};

struct ModelCalcWorkspace {
  // Least squares: X' ((p + 1) x n), X'X, (X'X)^-1 X', b ((p + 1) x 1) and the
  // fitted values (n x 1) of the last fit.
  Matrix xt, xtx, solution, b, fitted;
  // Leave-one-out: G = X'X, h = X'y, G_i, G_i^-1, h_i and b_(i), and the predictions.
  Matrix g, h, gi, giInverse, hi, bi;
  std::vector<long double> predictions;
  // The unit-scaled normal equations of the rank test.
  Matrix scaled;
  std::vector<long double> scratch;  // row scales and side vector of the LU solutions
  // Kxx (descriptors) and Kxy (descriptors and response).
  CorrelationWorkspace descriptors, withResponse;

  void PrepareFit(int n, int p);
  void PrepareLoo(int n, int p);
  // The matrices of the refits alone.
  void PrepareRefits(int p);
};
