// Principal component analysis of descriptors: the scores, eigenvectors and
// explained variances of the marked variables, the texts that name the
// components, and new variables made of the scores.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "numerics/Matrix.h"

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

// Columns of scores, vectors and explained are in ascending order of eigenvalue,
// as the eigenvalue sort leaves them: component k (from 1) is column p - k.
struct VariablePca {
  std::vector<int32_t> pool;     // analysed variables
  std::vector<int32_t> objects;  // analysed objects: score row r is object objects[r]
  Matrix scores;                 // objects x components
  Matrix vectors;                // variables x components
  Matrix explained;              // 1 x components: share of each eigenvalue

  int Components() const { return static_cast<int>(pool.size()); }
  // Component k = 1 .. p.
  long double Score(int row, int k) const { return scores.At(row, Components() - k); }
  long double Loading(int var, int k) const { return vectors.At(var, Components() - k); }
  // The explained percentage with 2 decimals: "45.12".
  std::string ExplainedText(int k) const;
  // "PC1 (EV% = 45.12%)".
  std::string AxisText(int k) const;
  // Rows of variables / objects, column c = component c + 1.
  Matrix LoadingMatrix() const;
  Matrix ScoreMatrix() const;
};

// The analysis as the set-up runs it on the data set's own statuses and
// response (lent by the caller): the marked variables without a missing cell,
// the non-excluded objects (every object without a response). False, after its
// message, when fewer than 2 variables or objects remain; a numeric failure
// (a constant variable) throws the matrix exception.
bool ComputeVariablePca(const ChemoData& data, const std::vector<int32_t>& marked, VariablePca& pca);

// The analysis of the variables pca.pool over the objects pca.objects (in
// that order), autoscaled: fills the scores, vectors and explained shares. A
// constant variable throws the matrix exception.
void ComputePca(const ChemoData& data, VariablePca& pca);

// Appends one variable per component, "PCA-k(name) (EV% = e%)", holding the
// component's scores; objects left out of the analysis get missing cells.
// Nothing of the data set changes when it fails.
void AppendPcaVariables(ChemoData& data, const VariablePca& pca, const std::string& name);
