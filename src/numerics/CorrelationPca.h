// Principal component analysis of the columns of a matrix through their
// correlation matrix: Householder reduction, QL iteration, scores, and the
// components in ascending order of eigenvalue.
#pragma once

#include "numerics/Matrix.h"

struct PcaComponents {
  Matrix eigenvalues;  // 1 x m, ascending
  Matrix vectors;      // m x m, column j belongs to eigenvalue j
  Matrix explained;    // 1 x m, each eigenvalue over their sum (0 when the sum is 0)
};

// A (r x m) becomes its scores A x vectors, as it enters (neither centred nor
// scaled here), its columns ordered with the eigenvalues. The QL iteration's
// limit is not looked at; no sign convention is applied to the vectors. Fewer
// than two columns, or a numeric fault, throws the matrix exception. The poll,
// when given, is asked every few milliseconds with the share done; when it
// stops the analysis, CalculationStopped leaves A as it was or half done.
void CorrelationPca(Matrix& A, PcaComponents& pca, const WorkPoll::Callback& poll = {});
