#include "select/SubsetFitter.h"

#include <algorithm>
#include <atomic>
#include <cfloat>
#include <cmath>
#include <cstring>
#include <iterator>
#include <string>

#include "data/ChemoData.h"
#include "numerics/ColumnCorrelations.h"
#include "numerics/GramFit.h"
#include "numerics/GramLoo.h"
#include "numerics/ModelCalc.h"
#include "numerics/Statistics.h"
#include "platform/base/Exception.h"
#include "platform/base/JoinableLoops.h"
#include "platform/base/WorkerThreads.h"
#include "select/Fitness.h"
#include "select/SubsetScreen.h"

namespace {

// to = from, copied as bytes: the extended-precision loads and stores of the
// floating-point unit are slow beside plain moves.
inline void CopyValue(long double& to, const long double& from) { std::memcpy(&to, &from, sizeof(long double)); }

}  // namespace

// The matrices of one subset size; those that only the plain routines read are
// made on their first need, as fits from the pool's sums never touch them.
struct SubsetFitter::Workspace {
  Workspace(int n, int k) : design(n, k + 1), loo(n, 1) {}
  std::unique_ptr<Matrix> x;   // descriptors
  std::unique_ptr<Matrix> xy;  // descriptors and response
  Matrix design;               // [1 | X]
  Matrix loo;
  ModelCalcWorkspace calc;  // the fit's coefficients and fitted values stay here
};

PoolGram::PoolGram(const ChemoData& data, const uint8_t* trainingMask, int nTrain, const Matrix& response)
    : columns(1 + data.iSelectedVarCount), columnOf(static_cast<std::size_t>(data.iVarCount), -1) {
  for (int v = 0; v < data.iSelectedVarCount; ++v) {
    const int variable = data.ipSelectedVarPtr[v];
    if (variable >= 0 && variable < data.iVarCount && columnOf[variable] < 0) columnOf[variable] = 1 + v;
  }
  std::vector<int> objects;
  for (int i = 0; i < data.iObjCount && static_cast<int>(objects.size()) < nTrain; ++i)
    if (trainingMask[i] != 0) objects.push_back(i);
  rows = static_cast<int>(objects.size());
  // The design rows [1 | pool] of the training objects, column by column, and the response.
  const auto cols = static_cast<std::size_t>(columns);
  values_ = std::make_unique_for_overwrite<long double[]>((cols + 1) * static_cast<std::size_t>(rows));
  auto column = [&](std::size_t c) { return &values_[c * static_cast<std::size_t>(rows)]; };
  // Blocks of rows on the worker threads; a cell read from its row and written to
  // fresh memory costs about ten arithmetic operations.
  constexpr int kRowsPerTask = 64;
  ParallelFor((rows + kRowsPerTask - 1) / kRowsPerTask, 10.0 * static_cast<double>(cols) * kRowsPerTask, [&](int task) {
    for (int r = task * kRowsPerTask; r < std::min(rows, (task + 1) * kRowsPerTask); ++r) {
      const CheckedValue* cells = data.tpChemoValuePtr[objects[static_cast<std::size_t>(r)]];
      column(0)[r] = 1.0L;
      for (int v = 0; v < data.iSelectedVarCount; ++v)
        column(1 + static_cast<std::size_t>(v))[r] = cells[data.ipSelectedVarPtr[v]].Value;
      column(cols)[r] = response.At(r, 0);
    }
  });
  gram.assign(cols * cols, 0.0L);
  gramFinite.assign(cols * cols, 0);
  xty.assign(cols, 0.0L);
  xtyFinite.assign(cols, 0);
  // Column `cols` is the response: its products with column a are X'y.
  auto store = [&](std::size_t a, std::size_t b, long double sum) {
    const uint8_t finite = std::isfinite(sum) ? 1 : 0;
    if (b == cols) {
      xty[a] = sum;
      xtyFinite[a] = finite;
      return;
    }
    gram[a * cols + b] = gram[b * cols + a] = sum;
    gramFinite[a * cols + b] = gramFinite[b * cols + a] = finite;
  };
  // Each sum over the rows in row order; four at a time share the loads of column a.
  // The rows a of the triangle are independent: spread over the worker threads.
  ParallelFor(static_cast<int>(cols), static_cast<double>(cols) * rows, [&](int task) {
    const auto a = static_cast<std::size_t>(task);
    const long double* xa = column(a);
    std::size_t b = a;
    for (; b + 4 <= cols + 1; b += 4) {
      const long double *x0 = column(b), *x1 = column(b + 1), *x2 = column(b + 2), *x3 = column(b + 3);
      long double s0 = 0.0L, s1 = 0.0L, s2 = 0.0L, s3 = 0.0L;
      for (int k = 0; k < rows; ++k) {
        const long double v = xa[k];
        s0 += v * x0[k];
        s1 += v * x1[k];
        s2 += v * x2[k];
        s3 += v * x3[k];
      }
      store(a, b, s0);
      store(a, b + 1, s1);
      store(a, b + 2, s2);
      store(a, b + 3, s3);
    }
    for (; b <= cols; ++b) {
      const long double* xb = column(b);
      long double sum = 0.0L;
      for (int k = 0; k < rows; ++k) sum += xa[k] * xb[k];
      store(a, b, sum);
    }
  });
}

PoolGram::~PoolGram() = default;

const ColumnCorrelations& PoolGram::Correlations() const {
  std::call_once(correlationsMade_, [this] {
    std::vector<const long double*> all;
    for (int c = 0; c <= columns; ++c) all.push_back(Column(c));
    correlations_ = std::make_unique<ColumnCorrelations>(rows, all.data(), columns + 1);
  });
  return *correlations_;
}

SubsetFitter::SubsetFitter(const ChemoData& data, const uint8_t* trainingMask, int nTrain, const Matrix& response)
    : data_(data), mask_(trainingMask), n_(nTrain), response_(response) {
  for (int i = 0; i < data.iObjCount; ++i)
    if (mask_[i] != 0) rows_.push_back(i);
  if (static_cast<int>(rows_.size()) != n_ || response_.Rows() != n_ || response_.Cols() != 1)
    throw Exception("The training objects do not match their count (" + std::to_string(n_) + ")");
  responseSS_ = SumSqDev(response_);
  // FitModel's rule: a spread response whose sum of squares is below the number
  // range has no statistic to show.
  responseFits_ = !(responseSS_ < LDBL_MIN && !IsConstantColumn(response_, 0));
  for (int r = 0; r < n_; ++r) y_.push_back(response_.At(r, 0));
}

SubsetFitter::~SubsetFitter() = default;

SubsetFitter::Workspace& SubsetFitter::Space(int k) {
  if (static_cast<int>(spaces_.size()) <= k) spaces_.resize(k + 1);
  if (!spaces_[k]) spaces_[k] = std::make_unique<Workspace>(n_, k);
  return *spaces_[k];
}

void SubsetFitter::Load(const int* variables, int k) {
  space_ = &Space(k);
  k_ = k;
  fitDone_ = fitOk_ = pressDone_ = pressOk_ = false;
  variables_.assign(variables, variables + k);
  columns_.assign(1, 0);
  for (int j = 0; j < k; ++j)
    columns_.push_back(gram_ && variables[j] >= 0 && variables[j] < static_cast<int>(gram_->columnOf.size())
                           ? gram_->columnOf[variables[j]]
                           : -1);
  pooled_ = gram_ && SearchFastPaths() && std::find(columns_.begin(), columns_.end(), -1) == columns_.end();
  cellsLoaded_ = false;
}

// The subset's training columns into the workspace's matrices, for the routines
// that read them there.
void SubsetFitter::LoadCells() {
  if (cellsLoaded_) return;
  cellsLoaded_ = true;
  if (!space_->x) {
    space_->x = std::make_unique<Matrix>(n_, k_);
    space_->xy = std::make_unique<Matrix>(n_, k_ + 1);
  }
  long double** x = space_->x->Data();
  long double** xy = space_->xy->Data();
  long double** design = space_->design.Data();
  for (int r = 0; r < n_; ++r) {
    const CheckedValue* row = data_.tpChemoValuePtr[rows_[r]];
    design[r][0] = 1.0L;
    for (int j = 0; j < k_; ++j) x[r][j] = xy[r][j] = design[r][j + 1] = row[variables_[j]].Value;
  }
}

// The pool's columns of the constant and the loaded variables: the design [1 | X].
void SubsetFitter::PoolColumns(const long double** columns) const {
  for (int j = 0; j <= k_; ++j) columns[j] = gram_->Column(columns_[j]);
}

void SubsetFitter::ComputeKIndices() {
  if (pooled_ && PoolKIndices()) return;
  LoadCells();
  KIndices(space_->calc, *space_->x, *space_->xy, response_, kxx_.Value, kxx_.Missing, kxy_.Value, kxy_.Missing, k_);
}

// The K indices from the pool's correlations, the response being its column after
// the design's; false when the correlations could not be made.
bool SubsetFitter::PoolKIndices() {
  const ColumnCorrelations* correlations = nullptr;
  try {
    correlations = &gram_->Correlations();
  } catch (...) {
    return false;
  }
  int columns[kGramLooMaxCoefficients + 1];
  if (k_ + 1 > static_cast<int>(std::size(columns))) return false;
  for (int j = 0; j < k_; ++j) columns[j] = columns_[j + 1];
  columns[k_] = gram_->columns;
  KIndices(space_->calc, *correlations, columns, k_, kxx_.Value, kxx_.Missing, kxy_.Value, kxy_.Missing);
  return true;
}

bool SubsetFitter::PassesQuik(long double delta) const {
  return !kxx_.Missing && !kxy_.Missing && !(kxy_.Value - kxx_.Value < delta);
}

bool SubsetFitter::Fit() {
  if (fitDone_) return fitOk_;
  fitDone_ = true;
  if (pooled_ && k_ + 1 <= kGramFitMaxCoefficients) {
    fitOk_ = GramFit();
    return fitOk_;
  }
  LoadCells();
  fitOk_ = FitModel(space_->calc, ssReg_, ssTot_, nullptr, nullptr, nullptr, n_, k_, response_, space_->design,
                    nullptr);
  return fitOk_;
}

// G = X'X gathered from the pool's sums, and h = X'y when given; false where a sum
// overflowed, as forming it from the subset's columns fails.
bool SubsetFitter::GatherGram(long double* G, long double* h) const {
  const int q = k_ + 1;
  const auto cols = static_cast<std::size_t>(gram_->columns);
  for (int a = 0; a < q; ++a) {
    const auto ca = static_cast<std::size_t>(columns_[a]);
    if (h != nullptr) {
      if (!gram_->xtyFinite[ca]) return false;
      h[a] = gram_->xty[ca];
    }
    for (int b = 0; b < q; ++b) {
      const std::size_t index = ca * cols + static_cast<std::size_t>(columns_[b]);
      if (!gram_->gramFinite[index]) return false;
      G[a * q + b] = gram_->gram[index];
    }
  }
  return true;
}

// FitModel's fit from the gathered G and the pool's columns; SStot and the rule on
// its underflow are the response's, the same for every subset.
bool SubsetFitter::GramFit() {
  const int q = k_ + 1;
  long double G[kGramFitMaxCoefficients * kGramFitMaxCoefficients], b[kGramFitMaxCoefficients];
  const long double* columns[kGramFitMaxCoefficients];
  PoolColumns(columns);
  Matrix& coefficients = space_->calc.b;
  Matrix& fitted = space_->calc.fitted;
  coefficients.Reshape(q, 1);
  fitted.Reshape(n_, 1);
  fitted_.resize(static_cast<std::size_t>(n_));
  long double ssReg = 0.0L;
  if (!responseFits_ || !GatherGram(G, nullptr) || !FitFromGram(n_, q, G, columns, y_.data(), b, fitted_.data(), ssReg)) {
    ssReg_ = ssTot_ = -1.0L;
    return false;
  }
  ssReg_ = ssReg;
  ssTot_ = responseSS_;
  for (int j = 0; j < q; ++j) coefficients.Data()[j][0] = b[j];
  long double* const* rows = fitted.Data();
  for (int r = 0; r < n_; ++r) CopyValue(rows[r][0], fitted_[static_cast<std::size_t>(r)]);
  return true;
}

bool SubsetFitter::ComputePress() {
  if (pressDone_) return pressOk_;
  pressDone_ = true;
  if (pooled_ && k_ + 1 <= kGramLooMaxCoefficients) {
    pressOk_ = GramPress();
    return pressOk_;
  }
  for (int r = 0; r < n_; ++r) space_->loo.At(r, 0) = 0.0L;
  LoadCells();
  press_ = LooPress(space_->calc, space_->design, response_, n_, k_, &space_->loo, &pressOk_);
  return pressOk_;
}

// LooPress's G and h gathered from the pool's sums, then its refits on flat arrays.
// The predictions not reached before a fault are 0, as LooPress leaves them.
bool SubsetFitter::GramPress() {
  const int q = k_ + 1;
  long double G[kGramLooMaxCoefficients * kGramLooMaxCoefficients], h[kGramLooMaxCoefficients];
  looScratch_.resize(static_cast<std::size_t>(n_));
  long double* predictions = looScratch_.data();
  long double press = 0.0L;
  bool ok = GatherGram(G, h);
  if (ok) {
    const long double* columns[kGramLooMaxCoefficients];
    PoolColumns(columns);
    const GramLooRefits refits(n_, q, G, h, columns, y_.data());
    ok = refits.Sum(RefitRows(refits, predictions), predictions, press);
  } else {
    std::fill(predictions, predictions + n_, 0.0L);
  }
  long double* const* loo = space_->loo.Data();
  for (int r = 0; r < n_; ++r) CopyValue(loo[r][0], predictions[r]);
  press_ = ok ? press : -1.0L;
  return ok;
}

// The refits of every row, in chunks that idle threads may join when loops are
// shared; returns the first row whose refit faulted, else n.
int SubsetFitter::RefitRows(const GramLooRefits& refits, long double* predictions) const {
  if (!loops_) return refits.Run(0, n_, predictions);
  constexpr int kRowsPerChunk = 16;  // some microseconds of work
  std::atomic<int> fault{n_};
  loops_->Run((n_ + kRowsPerChunk - 1) / kRowsPerChunk, [&](int chunk) {
    const int from = chunk * kRowsPerChunk;
    const int to = std::min(n_, from + kRowsPerChunk);
    const int faulted = refits.Run(from, to, predictions);
    if (faulted == to) return;
    for (int seen = fault.load(); faulted < seen && !fault.compare_exchange_weak(seen, faulted);) {
    }
  });
  return fault.load();
}

CheckedValue SubsetFitter::Fitness(int id, long double smoothing) {
  CheckedValue result(fitness::Worst(id), true);
  switch (id) {
    case 0: {  // Q2loo
      if (!ComputePress()) return result;
      Q2FromPress(result.Value, result.Missing, press_, responseSS_);
      break;
    }
    case 1: {  // R2adj
      if (!Fit()) return result;
      CheckedValue r2;
      R2FromSS(r2.Value, r2.Missing, ssReg_, ssTot_);
      AdjustedR2(result.Value, result.Missing, r2.Value, r2.Missing, n_, n_ - (k_ + 1));
      break;
    }
    case 2: {  // LOF
      if (!Fit()) return result;
      result = FriedmanLof(ResidualSumOfSquares(ssReg_, ssTot_), n_, k_, smoothing);
      break;
    }
    case 3: {  // RMSE cv
      if (!ComputePress()) return result;
      result = CheckedValue(std::sqrt(press_ / n_), false);
      break;
    }
    default:
      break;
  }
  return result;
}

const Matrix& SubsetFitter::Coefficients() const { return space_->calc.b; }
const Matrix& SubsetFitter::FittedValues() const { return space_->calc.fitted; }
const Matrix& SubsetFitter::LooPredictions() const { return space_->loo; }
