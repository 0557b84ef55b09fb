#include "numerics/CorrelationPca.h"

#include "numerics/Utils.h"

void CorrelationPca(Matrix& A, PcaComponents& pca) {
  Matrix& R = pca.eigenvalues;
  R.Correlation(A);
  R.HouseholderReduce(&pca.vectors);
  R.QLEigen(&pca.vectors);
  A.Multiply(pca.vectors);
  R.SortEigen(&pca.vectors, &A);
  const int m = R.Cols();
  long double sum = 0.0L;
  for (int c = 0; c < m; ++c) sum += R.At(0, c);
  pca.explained.Allocate(1, m);
  for (int c = 0; c < m; ++c) pca.explained.At(0, c) = sum == 0.0L ? 0.0L : CheckedDiv(R.At(0, c), sum);
}
