// The set-up's principal component analysis of the marked descriptors, and
// new variables made of the scores.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "data/VariablePca.h"

class ChemoData;

// Lends working object statuses and a working response to the data set for the
// lifetime of the object; the data set's own are put back on every path.
class LentSetup {
public:
  LentSetup(ChemoData& data, const std::vector<int32_t>& status, int32_t response);
  ~LentSetup();
  LentSetup(const LentSetup&) = delete;
  LentSetup& operator=(const LentSetup&) = delete;

private:
  ChemoData& data_;
  std::vector<int32_t> savedStatus_;
  int32_t savedResponse_;
};

// The analysis as the set-up runs it on the data set's own statuses and
// response (lent by the caller): the marked variables without a missing cell,
// the non-excluded objects (every object without a response). False, after its
// message, when fewer than 2 variables or objects remain; a numeric failure
// (a constant variable) throws the matrix exception.
bool ComputeVariablePca(const ChemoData& data, const std::vector<int32_t>& marked, VariablePca& pca);

// Appends one variable per component, "PCA-k(name) (EV% = e%)", holding the
// component's scores; objects left out of the analysis get missing cells.
// Nothing of the data set changes when it fails.
void AppendPcaVariables(ChemoData& data, const VariablePca& pca, const std::string& name);
