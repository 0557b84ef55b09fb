// Principal component analysis of data-set variables over chosen objects: the
// scores, eigenvectors and explained shares, and the texts that name the
// components. The set-up, the ranking window and the single-model window share it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "numerics/Matrix.h"

class ChemoData;

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

// The analysis of the variables pca.pool over the objects pca.objects (in
// that order), autoscaled: fills the scores, vectors and explained shares (0
// each when the eigenvalues sum to 0). The stored values are used whatever
// their missing flags; a constant variable throws the matrix exception.
void ComputePca(const ChemoData& data, VariablePca& pca);

// True when pca.pool holds at least 2 variables and pca.objects at least 2
// objects; else shows "Too few selected variables, cannot continue." or "Too few
// selected objects, cannot continue." (the variables checked first) and is false.
bool PcaHasEnough(const VariablePca& pca);
