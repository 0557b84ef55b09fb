// The correlation matrix of the complete variables among some candidates,
// shown in the matrix viewer.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "numerics/CheckedValue.h"

class ChemoData;
class ModalDialog;
class QWidget;

// Leaves out the candidates with a missing cell, opens the matrix viewer on the
// correlation matrix of the others (zeroDeviationMissing as VariableCorrelation
// takes it) and shows it through show. Fewer than two variables throw the
// correlation's own error.
void ShowVariableCorrelation(QWidget* owner, const ChemoData& data, const std::vector<int32_t>& candidates,
                             bool zeroDeviationMissing, const std::function<void(ModalDialog&)>& show);

// Opens the matrix viewer on a correlation matrix labelled by names and shows
// it through show ("Cannot create View Matrix dialog" when it cannot be made).
void ShowCorrelationMatrix(QWidget* owner, std::unique_ptr<CheckedMatrix> matrix, const std::vector<std::string>& names,
                           const std::function<void(ModalDialog&)>& show);
