#include "validate/ValidationIterations.h"

#include <algorithm>
#include <atomic>
#include <cfloat>
#include <cmath>
#include <thread>
#include <utility>

#include "data/ChemoData.h"
#include "numerics/GramFit.h"
#include "numerics/GramLoo.h"
#include "numerics/MersenneTwister.h"
#include "numerics/ModelCalc.h"
#include "numerics/Statistics.h"
#include "platform/base/WorkerThreads.h"
#include "select/SubsetScreen.h"

namespace {

constexpr int kKernelMaxCoefficients = std::min(kGramFitMaxCoefficients, kGramLooMaxCoefficients);
// About q^3 x this many operations make a chunk of spread refits: some milliseconds.
constexpr int kChunkCubes = 65536;
// The data of a block's iterations stays within about this many bytes.
constexpr double kBlockBytes = 16e6;
constexpr int kMaxBlock = 256;
// The refit inverses that iterations share take at most this many bytes.
constexpr double kInverseBytes = 512e6;

// The refits' matrices of the thread that runs them.
ModelCalcWorkspace& ThreadWorkspace() {
  thread_local ModelCalcWorkspace ws;
  return ws;
}

ValidationIteration FailedIteration() {
  return {CheckedValue(0.0L, true), CheckedValue(0.0L, true), CheckedValue(0.0L, true)};
}

// A statistic that came out non-finite counts as a failure of its iteration.
struct IterationFailed {};

CheckedValue Statistic(long double value, bool missing) {
  if (!std::isfinite(value)) throw IterationFailed{};
  return CheckedValue(missing ? 0.0L : value, missing);
}

CheckedValue R2Of(long double ssReg, long double ssTot) {
  long double value = 0.0L;
  bool missing = false;
  R2FromSS(value, missing, ssReg, ssTot);
  return Statistic(value, missing);
}

CheckedValue Q2Of(long double press, long double ss) {
  long double value = 0.0L;
  bool missing = false;
  Q2FromPress(value, missing, press, ss);
  return Statistic(value, missing);
}

// K of the descriptor columns of X together with y. Only the index's failure value
// fails the iteration: a K past 1 by rounding is 1.
CheckedValue KOf(const Matrix& X, const Matrix& y) {
  thread_local Matrix m;
  thread_local CorrelationWorkspace ws;
  const int rows = X.Rows();
  const int p = X.Cols() - 1;
  m.Reshape(rows, p + 1);
  for (int r = 0; r < rows; ++r) {
    for (int j = 1; j <= p; ++j) m.At(r, j - 1) = X.At(r, j);
    m.At(r, p) = y.At(r, 0);
  }
  const long double k = KCorrelationIndex(ws, m);
  if (k == -1.0L || !std::isfinite(k)) throw IterationFailed{};
  return CheckedValue(std::min(k, 1.0L), false);
}

// FitModel's rule: a spread response whose sum of squares is below the number range
// has no statistic to show.
long double TotalSumOfSquares(const Matrix& y) {
  const long double ssTot = SumSqDev(y);
  if (ssTot < LDBL_MIN && !IsConstantColumn(y, 0)) throw IterationFailed{};
  return ssTot;
}

}  // namespace

void ShuffleIndexes(std::vector<int>& indexes) {
  MersenneTwister twister(0);
  twister.SeedFromSystem();
  const auto n = static_cast<uint32_t>(indexes.size());
  for (uint32_t i = 0; i < n; ++i) std::swap(indexes[i], indexes[twister.RandomInt(n)]);
}

// One iteration of a block: its own design where it has one, its response, and what
// its spread refits need.
struct ModelIterations::Slot {
  Matrix X, xt, y, gram, h;
  const Matrix* design = nullptr;  // X or the model's
  const Matrix* transposed = nullptr;
  const Matrix* sums = nullptr;    // X'X
  std::vector<long double> predictions;
  std::vector<int> faults;  // per chunk of refits: its first faulted row, or its end
  long double ssTot = 0.0L;
  bool refitsWanted = false;
  ValidationIteration result;
};

ModelIterations::ModelIterations(int kind, const ChemoData& data, const std::vector<int>& training,
                                 const int* variables, int p, const Matrix& X, const Matrix& y, int predictCount)
    : kind_(kind),
      data_(data),
      training_(training),
      variables_(variables),
      p_(p),
      X_(X),
      y_(y),
      predictCount_(predictCount),
      path_(!SearchFastPaths()                   ? Path::Plain
            : p + 1 <= kKernelMaxCoefficients ? Path::Kernels
                                               : Path::SpreadRefits) {
  const int q = p + 1;
  rowsPerChunk_ = std::max(1, kChunkCubes / (q * q * q));
  sharesInverses_ = path_ == Path::SpreadRefits && SharesDesign() &&
                    static_cast<double>(Rows()) * q * q * sizeof(long double) <= kInverseBytes;
  if (path_ == Path::SpreadRefits && kind_ != kLeaveManyOut && !sharesInverses_)
    chunks_ = (Rows() + rowsPerChunk_ - 1) / rowsPerChunk_;
  if (kind_ == kRandomResponses) {
    ymin_ = ymax_ = y.At(0, 0);
    for (int r = 1; r < y.Rows(); ++r) {
      ymin_ = std::min(ymin_, y.At(r, 0));
      ymax_ = std::max(ymax_, y.At(r, 0));
    }
  }
  if (path_ == Path::Plain || !SharesDesign()) return;
  try {
    xt_.Reshape(q, X.Rows());
    X.TransposeInto(xt_);
    FormGram(X, gram_);
  } catch (...) {
    sumsFailed_ = true;
  }
}

ModelIterations::~ModelIterations() = default;

int ModelIterations::Rows() const {
  return static_cast<int>(training_.size()) - (kind_ == kLeaveManyOut ? predictCount_ : 0);
}

int ModelIterations::BlockSize() const {
  const double q = p_ + 1.0;
  const double bytes = static_cast<double>(Rows()) * (sizeof(int) + sizeof(long double) * (2.0 * q + 2.0)) +
                       sizeof(long double) * 2.0 * q * q;
  const int fitting = static_cast<int>(std::min<double>(kMaxBlock, kBlockBytes / bytes));
  return std::max(4 * WorkerThreadCount(), fitting);
}

void ModelIterations::Draw(std::vector<int>& working, MersenneTwister& twister, IterationDraw& draw) const {
  const int rows = Rows();
  switch (kind_) {
    case kLeaveManyOut:
    case kYScramble:
      draw.order = working;
      ShuffleIndexes(working);
      break;
    case kRandomDescriptors:
      draw.values.resize(static_cast<std::size_t>(p_) * rows);
      for (long double& value : draw.values) value = twister.RandomReal() * 1000.0L + 0.0L;
      break;
    default:
      draw.values.resize(static_cast<std::size_t>(rows));
      for (long double& value : draw.values) value = twister.RandomReal() * (ymax_ - ymin_) + ymin_;
      break;
  }
}

// The pieces of work of one block on the worker threads. Before each piece it
// takes, the calling thread polls with the share of the block's iterations done;
// once a poll says stop, the pieces left are skipped.
class ModelIterations::Pieces {
public:
  Pieces(const Poll& poll, int iterations, int pieces) : poll_(poll), iterations_(iterations), pieces_(pieces) {}

  // work(index) for every index in [0, count); workPerPiece as ParallelFor takes it.
  void Run(int count, double workPerPiece, const std::function<void(int)>& work) {
    ParallelFor(count, workPerPiece, [&](int index) {
      if (stopped_.load(std::memory_order_relaxed)) return;
      if (std::this_thread::get_id() == caller_ && !poll_(Done())) {
        stopped_.store(true);
        return;
      }
      work(index);
      done_.fetch_add(1);
    });
  }
  bool Stopped() const { return stopped_.load(); }

private:
  int Done() const { return static_cast<int>(int64_t{done_.load()} * iterations_ / pieces_); }

  const Poll& poll_;
  const int iterations_, pieces_;
  const std::thread::id caller_ = std::this_thread::get_id();
  std::atomic<int> done_{0};
  std::atomic<bool> stopped_{false};
};

bool ModelIterations::Run(const std::vector<IterationDraw>& draws, std::vector<ValidationIteration>& results,
                          const Poll& poll) {
  const int count = static_cast<int>(draws.size());
  while (static_cast<int>(slots_.size()) < count) slots_.push_back(std::make_unique<Slot>());
  const bool inverting = sharesInverses_ && inverses_.empty() && !sumsFailed_;
  Pieces pieces(poll, count, count * (1 + chunks_) + (inverting ? Rows() : 0));
  if (inverting && !MakeInverses(pieces)) return false;
  const double q = p_ + 1.0;
  const double refitWork = sharesInverses_ ? 2.0 : path_ == Path::SpreadRefits || kind_ == kLeaveManyOut ? 0.0 : q;
  pieces.Run(count, Rows() * q * q * (4.0 + refitWork), [&](int i) { Iterate(draws[i], *slots_[i]); });
  if (chunks_ > 0)
    pieces.Run(count * chunks_, 2.0 * rowsPerChunk_ * q * q * q,
               [&](int t) { RefitChunk(*slots_[t / chunks_], t % chunks_); });
  if (pieces.Stopped()) return false;
  results.resize(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) {
    if (slots_[i]->refitsWanted) FinishRefits(*slots_[i]);
    results[i] = slots_[i]->result;
  }
  return true;
}

// Each row's refit inverse of the shared design, and the first row whose refit
// faults; false when the pieces were stopped.
bool ModelIterations::MakeInverses(Pieces& pieces) {
  const int rows = Rows();
  std::vector<uint8_t> faulted(static_cast<std::size_t>(rows), 0);
  for (int i = 0; i < rows; ++i) inverses_.push_back(std::make_unique<Matrix>(p_ + 1, p_ + 1));
  const double q = p_ + 1.0;
  pieces.Run(rows, 3.0 * q * q * q, [&](int i) {
    try {
      LooRefits::Inverse(ThreadWorkspace(), X_, gram_, i, *inverses_[i]);
    } catch (...) {
      faulted[i] = 1;
    }
  });
  if (pieces.Stopped()) {
    inverses_.clear();
    return false;
  }
  inverseFault_ = static_cast<int>(std::find(faulted.begin(), faulted.end(), 1) - faulted.begin());
  return true;
}

// The iteration's design (its own where it has one) and response, in the kind's way.
void ModelIterations::BuildData(const IterationDraw& draw, Slot& slot) const {
  const int rows = Rows();
  const int response = data_.iResponseIndex;
  auto value = [this](int object, int column) { return data_.tpChemoValuePtr[object][column].Value; };
  slot.y.Reshape(rows, 1);
  slot.design = &X_;
  if (kind_ == kLeaveManyOut) {
    slot.X.Reshape(rows, p_ + 1);
    for (int r = 0; r < rows; ++r) {
      const int object = draw.order[predictCount_ + r];
      slot.X.At(r, 0) = 1.0L;
      for (int j = 1; j <= p_; ++j) slot.X.At(r, j) = value(object, variables_[j - 1]);
      slot.y.At(r, 0) = value(object, response);
    }
    slot.design = &slot.X;
    return;
  }
  if (kind_ == kRandomDescriptors) {
    slot.X.Reshape(rows, p_ + 1);
    slot.X = X_;
    for (int j = 1; j <= p_; ++j)
      for (int r = 0; r < rows; ++r) slot.X.At(r, j) = draw.values[static_cast<std::size_t>(j - 1) * rows + r];
    slot.design = &slot.X;
  }
  for (int r = 0; r < rows; ++r)
    slot.y.At(r, 0) = kind_ == kYScramble           ? value(draw.order[r], response)
                      : kind_ == kRandomResponses ? draw.values[r]
                                                  : y_.At(r, 0);
}

// R2 and K of the iteration, and Q2 unless spread refits are still to come; a
// failure anywhere writes the iteration with all three missing.
void ModelIterations::Iterate(const IterationDraw& draw, Slot& slot) const {
  slot.refitsWanted = false;
  try {
    BuildData(draw, slot);
    slot.result.k = KOf(*slot.design, slot.y);
    if (path_ == Path::Plain)
      PlainFit(draw, slot);
    else if (path_ == Path::Kernels)
      KernelFit(draw, slot);
    else
      SpreadFit(draw, slot);
  } catch (...) {
    // A singular fit, a non-finite statistic or a fault of the matrices.
    slot.refitsWanted = false;
    slot.result = FailedIteration();
  }
}

// Q2 of the iteration's left-out objects: each predicted term by term from b0, PRESS
// against the sum of squares about their own mean.
template <typename Coefficient>
CheckedValue ModelIterations::LeftOutQ2(const IterationDraw& draw, const Coefficient& coefficient) const {
  const int response = data_.iResponseIndex;
  auto value = [this](int object, int column) { return data_.tpChemoValuePtr[object][column].Value; };
  long double mean = 0.0L;
  for (int t = 0; t < predictCount_; ++t) mean += value(draw.order[t], response);
  mean /= predictCount_;
  long double press = 0.0L;
  long double ss = 0.0L;
  for (int t = 0; t < predictCount_; ++t) {
    const int object = draw.order[t];
    long double predicted = coefficient(0);
    for (int j = 1; j <= p_; ++j) predicted += coefficient(j) * value(object, variables_[j - 1]);
    const long double observed = value(object, response);
    press += (predicted - observed) * (predicted - observed);
    ss += (observed - mean) * (observed - mean);
  }
  return Q2Of(press, ss);
}

// FitModel on a copy of the design, with its own leave-one-out PRESS.
void ModelIterations::PlainFit(const IterationDraw& draw, Slot& slot) const {
  Matrix X(*slot.design);
  const int rows = X.Rows();
  long double ssReg = 0.0L;
  long double ssTot = 0.0L;
  long double press = 0.0L;
  Matrix b(p_ + 1, 1);
  const bool leaveManyOut = kind_ == kLeaveManyOut;
  if (!FitModel(ssReg, ssTot, leaveManyOut ? nullptr : &press, leaveManyOut ? &b : nullptr, nullptr, rows, p_, slot.y,
                X, nullptr))
    throw IterationFailed{};
  slot.result.r2 = R2Of(ssReg, ssTot);
  slot.result.q2 = leaveManyOut ? LeftOutQ2(draw, [&b](int j) { return b.At(j, 0); }) : Q2Of(press, ssTot);
}

// FitModel's and LooPress's bits from X'X and X'y on the kernels.
void ModelIterations::KernelFit(const IterationDraw& draw, Slot& slot) const {
  const int rows = Rows();
  const int q = p_ + 1;
  if (sumsFailed_) throw IterationFailed{};
  if (SharesDesign()) {
    slot.transposed = &xt_;
    slot.sums = &gram_;
  } else {
    slot.xt.Reshape(q, rows);
    slot.design->TransposeInto(slot.xt);
    FormGram(*slot.design, slot.gram);
    slot.transposed = &slot.xt;
    slot.sums = &slot.gram;
  }
  const long double* const* columns = slot.transposed->Data();
  const long double* G = slot.sums->Data()[0];
  const long double* y = slot.y.Data()[0];
  thread_local std::vector<long double> fitted;
  fitted.resize(static_cast<std::size_t>(rows));
  long double b[kKernelMaxCoefficients];
  long double ssReg = 0.0L;
  if (!FitFromGram(rows, q, G, columns, y, b, fitted.data(), ssReg)) throw IterationFailed{};
  const long double ssTot = TotalSumOfSquares(slot.y);
  slot.result.r2 = R2Of(ssReg, ssTot);
  if (kind_ == kLeaveManyOut) {
    slot.result.q2 = LeftOutQ2(draw, [&b](int j) { return b[j]; });
    return;
  }
  slot.h.Reshape(q, 1);
  slot.transposed->MultiplyInto(slot.y, slot.h);
  long double press = 0.0L;
  if (!LooPressFromGram(rows, q, G, slot.h.Data()[0], columns, y, press, fitted.data())) throw IterationFailed{};
  slot.result.q2 = Q2Of(press, ssTot);
}

// FitModel without PRESS; X'X and X'y for the refits that follow in chunks.
void ModelIterations::SpreadFit(const IterationDraw& draw, Slot& slot) const {
  ModelCalcWorkspace& ws = ThreadWorkspace();
  const int rows = Rows();
  long double ssReg = 0.0L;
  long double ssTot = 0.0L;
  Matrix b(p_ + 1, 1);
  const bool leaveManyOut = kind_ == kLeaveManyOut;
  if (!FitModel(ws, ssReg, ssTot, nullptr, leaveManyOut ? &b : nullptr, nullptr, rows, p_, slot.y, *slot.design,
                nullptr))
    throw IterationFailed{};
  slot.result.r2 = R2Of(ssReg, ssTot);
  if (leaveManyOut) {
    slot.result.q2 = LeftOutQ2(draw, [&b](int j) { return b.At(j, 0); });
    return;
  }
  if (sumsFailed_) throw IterationFailed{};
  if (SharesDesign()) {
    slot.sums = &gram_;
    slot.h.Reshape(p_ + 1, 1);
    xt_.MultiplyInto(slot.y, slot.h);
  } else {
    FormLooSums(ws, *slot.design, slot.y, slot.gram, slot.h);
    slot.sums = &slot.gram;
  }
  slot.ssTot = ssTot;
  slot.predictions.resize(static_cast<std::size_t>(rows));
  if (sharesInverses_) {
    RefitsFromInverses(slot);
    return;
  }
  slot.faults.assign(static_cast<std::size_t>(chunks_), rows);
  slot.refitsWanted = true;
}

// LooPress's refits with each row's inverse made once for every iteration.
void ModelIterations::RefitsFromInverses(Slot& slot) const {
  const LooRefits refits(X_, slot.y, gram_, slot.h);
  for (int i = 0; i < inverseFault_; ++i) slot.predictions[i] = refits.Prediction(ThreadWorkspace(), i, *inverses_[i]);
  LooQ2(refits, inverseFault_, slot);
}

// Q2 from the PRESS of the refits before fault, the first row whose refit faulted
// (n: none); the iteration fails where LooPress would.
void ModelIterations::LooQ2(const LooRefits& refits, int fault, Slot& slot) const {
  long double press = 0.0L;
  if (!refits.Sum(fault, slot.predictions.data(), press)) throw IterationFailed{};
  slot.result.q2 = Q2Of(press, slot.ssTot);
}

void ModelIterations::RefitChunk(Slot& slot, int chunk) const {
  if (!slot.refitsWanted) return;
  const int from = chunk * rowsPerChunk_;
  const int to = std::min(Rows(), from + rowsPerChunk_);
  slot.faults[chunk] =
      LooRefits(*slot.design, slot.y, *slot.sums, slot.h).Run(ThreadWorkspace(), from, to, slot.predictions.data());
}

void ModelIterations::FinishRefits(Slot& slot) const {
  int fault = Rows();
  for (int chunk = 0; chunk < chunks_ && fault == Rows(); ++chunk)
    if (slot.faults[chunk] < std::min(Rows(), (chunk + 1) * rowsPerChunk_)) fault = slot.faults[chunk];
  try {
    LooQ2(LooRefits(*slot.design, slot.y, *slot.sums, slot.h), fault, slot);
  } catch (...) {
    slot.result = FailedIteration();
  }
}

