#include "numerics/CorrelationPca.h"

#include "numerics/Utils.h"

namespace {

// About the steps that the analysis of r rows and m columns counts: the
// correlation's m^2 / 2 pairs of r rows and the scores' r m^2; the reduction's
// 7/6 m^3 and the QL iteration's 0.8 to 1.5 m^3, as fast as the data converge.
double ExpectedSteps(double r, double m) { return 1.5 * r * m * m + 2.3 * m * m * m; }

}  // namespace

void CorrelationPca(Matrix& A, PcaComponents& pca, const WorkPoll::Callback& poll) {
  WorkPoll steps(poll, ExpectedSteps(A.Rows(), A.Cols()));
  WorkPoll* counted = poll ? &steps : nullptr;
  Matrix& R = pca.eigenvalues;
  R.Correlation(A, counted);
  R.HouseholderReduce(&pca.vectors, counted);
  R.QLEigen(&pca.vectors, counted);
  A.Multiply(pca.vectors, counted);
  R.SortEigen(&pca.vectors, &A, counted);
  const int m = R.Cols();
  long double sum = 0.0L;
  for (int c = 0; c < m; ++c) sum += R.At(0, c);
  pca.explained.Allocate(1, m);
  for (int c = 0; c < m; ++c) pca.explained.At(0, c) = sum == 0.0L ? 0.0L : CheckedDiv(R.At(0, c), sum);
}
