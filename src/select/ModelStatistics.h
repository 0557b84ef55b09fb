// The record of a kept model: its variables, coefficients, leave-one-out
// predictions and the fit, cross-validation and prediction-set statistics.
#pragma once

#include <cstdint>
#include <vector>

#include "numerics/CheckedValue.h"

class ChemoData;
class DataResultNode;
class Matrix;
class SubsetFitter;

// The prediction objects of a search (count 0: none).
struct PredictionSet {
  int count = 0;
  const uint8_t* mask = nullptr;
  const Matrix* response = nullptr;
};

// The statistic cell of a fitness id: Q2loo, R2adj, LOF or RMSE cv.
CheckedValue& FitnessCell(DataResultNode& node, int id);
const CheckedValue& FitnessCell(const DataResultNode& node, int id);

// Fills a reset node from the fitter's last fit (Fit and ComputePress done) of the
// pool positions `positions`; the ID is left to the caller.
void FillModelRecord(DataResultNode& node, const ChemoData& data, const SubsetFitter& fitter,
                     const std::vector<int>& positions, const PredictionSet& prediction);
