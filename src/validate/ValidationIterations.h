// The refits of one model's internal-validation iterations. The calling thread
// draws every iteration's random data in iteration order; the refits of a block of
// iterations then run on the worker threads, with the search's fast paths on the
// kernels that work from cross-products up to their size limit, and beyond it with
// each iteration's leave-one-out refits spread over the threads in chunks of rows;
// where every iteration refits the model's own descriptors, each refit's inverse is
// made once for all of them.
// Every path and thread count gives the bits of one thread's plain refits.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "data/ValidationFiles.h"
#include "numerics/Matrix.h"

class ChemoData;
class LooRefits;
class MersenneTwister;

enum ValidationKind : int { kLeaveManyOut = 0, kYScramble, kRandomDescriptors, kRandomResponses };
constexpr int kValidationKindCount = 4;

// Swaps entry i with a draw from the whole range, for every i, with a fresh
// twister seeded from the clock (not the Fisher-Yates scheme).
void ShuffleIndexes(std::vector<int>& indexes);

// The random part of one iteration.
struct IterationDraw {
  std::vector<int> order;           // leave-many-out and Y-scrambling: the working list
  std::vector<long double> values;  // random descriptors (column by column) or random responses
};

class ModelIterations {
public:
  // Runs on the calling thread before each piece of work it takes, with the number
  // of the block's iterations done (in proportion while refits are spread); false
  // stops the block.
  using Poll = std::function<bool(int done)>;

  // The training objects in object order, the model's p variables, its design X
  // over them (n x (p + 1)) and their responses y (n x 1), all kept by address;
  // leave-many-out leaves predictCount objects out.
  ModelIterations(int kind, const ChemoData& data, const std::vector<int>& training, const int* variables, int p,
                  const Matrix& X, const Matrix& y, int predictCount);
  ~ModelIterations();
  ModelIterations(const ModelIterations&) = delete;
  ModelIterations& operator=(const ModelIterations&) = delete;

  // The iterations of a block: enough to keep every thread busy, few enough to keep
  // their data small.
  int BlockSize() const;
  // The next iteration's data: the working list, which is then shuffled for the
  // iteration after it, or random values from twister.
  void Draw(std::vector<int>& working, MersenneTwister& twister, IterationDraw& draw) const;
  // The iterations of draws into results, in order; false when poll stopped them.
  bool Run(const std::vector<IterationDraw>& draws, std::vector<ValidationIteration>& results, const Poll& poll);

private:
  struct Slot;
  class Pieces;
  enum class Path { Plain, Kernels, SpreadRefits };

  int Rows() const;
  bool SharesDesign() const { return kind_ == kYScramble || kind_ == kRandomResponses; }
  void BuildData(const IterationDraw& draw, Slot& slot) const;
  void Iterate(const IterationDraw& draw, Slot& slot) const;
  void PlainFit(const IterationDraw& draw, Slot& slot) const;
  void KernelFit(const IterationDraw& draw, Slot& slot) const;
  void SpreadFit(const IterationDraw& draw, Slot& slot) const;
  bool MakeInverses(Pieces& pieces);
  void RefitsFromInverses(Slot& slot) const;
  void LooQ2(const LooRefits& refits, int fault, Slot& slot) const;
  void RefitChunk(Slot& slot, int chunk) const;
  void FinishRefits(Slot& slot) const;
  template <typename Coefficient>
  CheckedValue LeftOutQ2(const IterationDraw& draw, const Coefficient& coefficient) const;

  int kind_;
  const ChemoData& data_;
  const std::vector<int>& training_;
  const int* variables_;
  int p_;
  const Matrix& X_;
  const Matrix& y_;
  int predictCount_;
  Path path_;
  long double ymin_ = 0.0L, ymax_ = 0.0L;
  // The fast paths' X' and X'X of a design that every iteration shares; sumsFailed_
  // where X'X is not finite, which fails every fit.
  Matrix xt_, gram_;
  bool sumsFailed_ = false;
  int rowsPerChunk_ = 0;
  int chunks_ = 0;  // chunks of leave-one-out refits per iteration (spread refits)
  // Spread refits of a shared design: each row's refit inverse, made at the first
  // block, and the first row whose refit faults (every iteration fails there).
  bool sharesInverses_ = false;
  std::vector<std::unique_ptr<Matrix>> inverses_;
  int inverseFault_ = 0;
  std::vector<std::unique_ptr<Slot>> slots_;
};
