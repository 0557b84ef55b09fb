// Least-squares fit of one variable subset on the training objects, with the
// pieces of the search's statistics. The matrices of each subset size, the
// routines' workspace among them, are made once and reused, so that fitting
// subsets of a size seen before allocates nothing.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "numerics/CheckedValue.h"
#include "numerics/Matrix.h"

class ChemoData;

class SubsetFitter {
public:
  // The mask and response stay the caller's and must outlive the fitter. The mask
  // must mark exactly nTrain objects and the response be nTrain x 1 (Exception
  // otherwise).
  SubsetFitter(const ChemoData& data, const uint8_t* trainingMask, int nTrain, const Matrix& response);
  ~SubsetFitter();

  // Takes the training columns of the given data-set variables (k >= 1).
  void Load(const int* variables, int k);
  // Kxx and Kxy of the QUIK rule.
  void ComputeKIndices();
  // The rule with a delta >= 0: Kxy present and Kxy - Kxx >= delta.
  bool PassesQuik(long double delta) const;
  // Coefficients, fitted values, SSreg and SStot; false when the fit failed.
  bool Fit();
  // The leave-one-out PRESS and predictions; false when they failed.
  bool ComputePress();
  // The statistic of a fitness id, computing only what it needs (Q2loo, R2adj,
  // LOF with the smoothing parameter, RMSE cv). A failed fit gives a missing cell
  // with the id's worst value.
  CheckedValue Fitness(int id, long double smoothing);

  int Size() const { return k_; }
  int TrainingCount() const { return n_; }
  const Matrix& Response() const { return response_; }
  const Matrix& Coefficients() const;   // (k + 1) x 1, after Fit
  const Matrix& FittedValues() const;   // n x 1, after Fit
  const Matrix& LooPredictions() const; // n x 1, after ComputePress
  long double SSreg() const { return ssReg_; }
  long double SStot() const { return ssTot_; }
  long double Press() const { return press_; }
  const CheckedValue& Kxx() const { return kxx_; }
  const CheckedValue& Kxy() const { return kxy_; }

private:
  struct Workspace;
  Workspace& Space(int k);

  const ChemoData& data_;
  const uint8_t* mask_;
  int n_;
  const Matrix& response_;
  std::vector<int> rows_;  // object index of each training row
  std::vector<std::unique_ptr<Workspace>> spaces_;
  Workspace* space_ = nullptr;
  int k_ = 0;
  bool fitDone_ = false, fitOk_ = false, pressDone_ = false, pressOk_ = false;
  long double ssReg_ = 0, ssTot_ = 0, press_ = 0, responseSS_ = 0;
  CheckedValue kxx_, kxy_;
};
