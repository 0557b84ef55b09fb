// Tools on the variables of a data set: normalisation in place and the
// correlation matrix of complete variables.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "numerics/CheckedValue.h"

class ChemoData;

// Maps the present cells of the variable onto 0 .. 1 by (x - min) / (max - min),
// in the data set itself. A variable whose range is 0, or too wide for an
// extended number, is left unchanged: false.
bool NormaliseVariable(ChemoData& data, int32_t var);

// The candidates without a missing cell in any object, in their order.
std::vector<int32_t> CompleteVariables(const ChemoData& data, const std::vector<int32_t>& candidates);

// The correlation matrix of the variables over every object, both triangles and
// the unit diagonal set; with zeroDeviationMissing a pair with a zero deviation
// is a missing cell, else it shows its value (0). Fewer than 2 variables throw
// the covariance routine's own error.
std::unique_ptr<CheckedMatrix> VariableCorrelation(const ChemoData& data, const std::vector<int32_t>& vars,
                                                   bool zeroDeviationMissing);
// The same over the given objects only.
std::unique_ptr<CheckedMatrix> VariableCorrelation(const ChemoData& data, const std::vector<int32_t>& objects,
                                                   const std::vector<int32_t>& vars, bool zeroDeviationMissing);

// Appends one variable per name; cell(obj, k) gives object obj's cell of the
// k-th new variable. Everything is built before the data set changes, so a
// failure leaves it as it was.
void AppendVariables(ChemoData& data, const std::vector<std::string>& names,
                     const std::function<CheckedValue(int32_t obj, int k)>& cell);
