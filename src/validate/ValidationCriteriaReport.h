// The report of the experimental-versus-predicted comparison: fitting criteria
// of the training pairs and external criteria of the prediction pairs, as text
// lines ended by a line feed alone, numbers with 4 decimals and '.'.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class Matrix;

// pairs: n x 2, column 0 experimental, column 1 predicted; statuses: one per
// row, 1 training, 2 prediction, negative for a row without a split (a
// prediction row, and then the report has no training reference for Q2-F1).
// A line whose denominator is 0 is left out, and so are both r2m lines when
// either r2m cannot be computed.
std::string ValidationCriteriaReport(const Matrix& pairs, const std::vector<int32_t>& statuses);
