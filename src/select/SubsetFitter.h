// Least-squares fit of one variable subset on the training objects, with the
// pieces of the search's statistics. The matrices of each subset size, the
// routines' workspace among them, are made once and reused, so that fitting
// subsets of a size seen before allocates nothing.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "numerics/CheckedValue.h"
#include "numerics/Matrix.h"

class ChemoData;
class ColumnCorrelations;
class GramLooRefits;
class JoinableLoops;

// The cross-products of the constant and the pool's variables over the training
// rows, and their products with the response, summed as the leave-one-out routine
// sums them: made once per search, so that a subset's matrices are gathered, not
// summed again. Read-only once made; shared by the fitters of worker threads.
struct PoolGram {
  PoolGram(const ChemoData& data, const uint8_t* trainingMask, int nTrain, const Matrix& response);
  ~PoolGram();
  int columns = 0;             // 1 + the pool size; column 0 is the constant
  int rows = 0;                // the training rows summed
  std::vector<int> columnOf;   // per data-set variable: its column, or -1
  std::vector<long double> gram, xty;
  std::vector<uint8_t> gramFinite, xtyFinite;  // 0 where the sum overflowed

  // Column c of the design [1 | pool] on the training rows.
  const long double* Column(int c) const { return &values_[static_cast<std::size_t>(c) * rows]; }
  // The correlations of the design's columns and, as column `columns`, of the
  // response; made on the first call (by one thread, the others waiting).
  const ColumnCorrelations& Correlations() const;

private:
  // The design's columns, then the response; left unset until the threads that
  // fill them first touch their memory, which costs more than the arithmetic.
  std::unique_ptr<long double[]> values_;
  mutable std::once_flag correlationsMade_;
  mutable std::unique_ptr<ColumnCorrelations> correlations_;
};

class SubsetFitter {
public:
  // The mask and response stay the caller's and must outlive the fitter. The mask
  // must mark exactly nTrain objects and the response be nTrain x 1 (Exception
  // otherwise).
  SubsetFitter(const ChemoData& data, const uint8_t* trainingMask, int nTrain, const Matrix& response);
  ~SubsetFitter();

  // With a pool's cross-products (and the fast paths on), the subsets of pool
  // variables are scored from them: ComputePress gathers its matrices and runs
  // LooPressFromGram, Fit gathers X'X and runs FitFromGram, ComputeKIndices
  // gathers the correlations; the same bits as the routines on the subset's own
  // columns.
  void UsePoolGram(std::shared_ptr<const PoolGram> gram) { gram_ = std::move(gram); }
  // With loops given (null: none), the leave-one-out refits from the pool's sums
  // run in chunks of rows that other threads may join; the same bits.
  void ShareLoops(JoinableLoops* loops) { loops_ = loops; }

  // Takes the given data-set variables (k >= 1); their training columns are
  // copied when a routine needs them.
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
  bool GatherGram(long double* G, long double* h) const;
  bool GramFit();
  bool GramPress();
  int RefitRows(const GramLooRefits& refits, long double* predictions) const;
  bool PoolKIndices();
  void LoadCells();
  void PoolColumns(const long double** columns) const;

  std::vector<int> rows_;  // object index of each training row
  std::shared_ptr<const PoolGram> gram_;
  JoinableLoops* loops_ = nullptr;
  std::vector<int> variables_;  // the loaded variables
  std::vector<int> columns_;    // the pool column of the constant and each loaded variable (-1: none)
  bool pooled_ = false;         // every loaded variable in the pool, the fast paths on
  bool cellsLoaded_ = false;    // the subset's cells copied into the workspace (on first need)
  bool responseFits_ = true;    // the response passes FitModel's underflow rule
  std::vector<long double> y_, looScratch_, fitted_;
  std::vector<std::unique_ptr<Workspace>> spaces_;
  Workspace* space_ = nullptr;
  int k_ = 0;
  bool fitDone_ = false, fitOk_ = false, pressDone_ = false, pressOk_ = false;
  long double ssReg_ = 0, ssTot_ = 0, press_ = 0, responseSS_ = 0;
  CheckedValue kxx_, kxy_;
};
