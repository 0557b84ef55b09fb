// The model search engine: turns subsets of the selected variables into fitted
// models kept per model size in the project's model list, and runs a search
// (all subsets, a held model plus one variable, the genetic algorithm per size)
// in steps. The search window owns one and shows its progress; other parts use
// it hidden as the calculator of single models:
//   construct; BuildObjectMasks; SetEngineInputs; EnumerateSubsets (start 0,
//   end 0, depth k); CalculateModelBatch until false; ClearSubsetStack.
#pragma once

#include <array>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "numerics/CheckedValue.h"
#include "select/SearchView.h"
#include "select/SubsetStack.h"

class ChemoData;
class DataResultList;
class DataResultNode;
class GenAlg;
class Matrix;
class SubsetFitter;
class SubsetScreen;
struct PoolGram;

// Thrown by a start that has already told the user why it cannot go on.
struct SearchStartFailed {};

// Inside a catch block: the two-tier report of ShowCaughtException, silent for a
// start failure that was already reported.
void ShowSearchException(const std::string& caption, const std::string& fallback);

// One display slot: a best model met so far (size 0 = empty).
struct Disp {
  int size = 0;
  long double fitness = 0.0L;
  std::string text;
};

class ModelSearchEngine {
public:
  enum : uint8_t { ModeAllSubsets = 0, ModeHoldAndAdd = 1, ModeGeneticOnly = 2 };
  static constexpr int BatchSize = 500;
  static constexpr int DisplaySlotCount = 15;

  // Neither the list, the data set nor the view is owned; view may be null.
  ModelSearchEngine(uint8_t mode, DataResultList* models, ChemoData* data, SearchView* view = nullptr);
  ~ModelSearchEngine();
  ModelSearchEngine(const ModelSearchEngine&) = delete;
  ModelSearchEngine& operator=(const ModelSearchEngine&) = delete;

  // The data set's object masks (ChemoData::BuildObjectMasks).
  void BuildObjectMasks(uint8_t* prediction, uint8_t* training, uint8_t* missing) const;
  // Stores the inputs of the following fits; the caller keeps them alive.
  void SetEngineInputs(int nTrain, int nPred, const uint8_t* trainingMask, const uint8_t* predictionMask,
                       const Matrix* trainingResponse, const Matrix* predictionResponse);
  // Pushes the k-subsets of pool positions start..end completing buffer[0..depth-1]
  // (depth = k pushes buffer[0..k-1] itself); counts every subset visited.
  void EnumerateSubsets(int* buffer, int64_t& visited, int start, int end, int depth, int k);
  // Fits up to 500 subsets; true when it stopped at 500 with subsets left.
  bool CalculateModelBatch();
  void ClearSubsetStack();

  // The shown run.
  void Activate();          // the first activation: starts the run
  bool StartCalculation();  // false after a reported failure
  void IdleStep();
  // Subsets left to fit or a genetic algorithm running: the next step is wanted.
  bool HasWork() const;
  // The run is over or ended as aborted, and no genetic algorithm is set up.
  bool TimerWantsClose() const;
  // Asks before stopping: the abort question while subsets are left (Yes ends the
  // run as aborted), the stop question while a genetic algorithm runs; false keeps the run.
  bool ConfirmClose();
  // Ends the run: writes the sizes back (unless aborted), harvests, frees, discards
  // the models of an aborted search through discardModels and reports the end.
  void FinishRun(const std::function<void()>& discardModels);
  void HarvestGaPopulation();
  // A model of the list with `size` variables, each among `variables`.
  bool FindModelWithVariables(const int* variables, int size) const;

  // The display settings of the genetic algorithm, set by the window.
  void SetDisplayResults(bool on) { displayResults_ = on; }
  void SetDisplayCountChoice(int n);
  void SetBestPerSizeChoice(int n);

  // State.
  const std::array<Disp, DisplaySlotCount>& DisplaySlots() const { return slots_; }
  // The grid rows of the filled display slots, best first.
  std::vector<SearchGridRow> DisplaySlotRows() const;
  uint8_t Mode() const { return mode_; }
  bool AbortRequested() const { return abortRequested_; }
  bool Aborted() const { return aborted_; }
  bool GaFinished() const { return gaFinished_; }
  bool IdleHandlerActive() const { return idleActive_; }
  int64_t Total() const { return total_; }
  int64_t Processed() const { return processed_; }
  // Subsets passed over unfitted as surely worse than the worst kept model.
  int64_t Screened() const { return screened_; }
  GenAlg* Genetic() const { return ga_.get(); }
  SearchView& View() const { return *view_; }
  bool DisplayResults() const { return displayResults_; }
  int DisplayCountChoice() const { return displayCount_; }

private:
  // What the worker threads find out about one subset of a batch, for the decisions
  // that follow in order.
  struct Outcome {
    bool quikPassed = true;
    bool fitted = false;
    CheckedValue fitness;
    // The model's record (no ID yet), filled by the worker for a subset that may
    // enter, or the failure of its statistics.
    std::unique_ptr<DataResultNode> record;
    std::exception_ptr recordFailure;
    std::exception_ptr failure;  // of the scoring itself, raised at the subset's decision
  };
  // The worst kept model of a size as the screen sees it: screening needs a full
  // size. As published for the helpers also the fitness ranks of all its kept
  // models, best first, and the batch's subsets decided by then.
  struct SizeState {
    bool full = false;
    long double worst = 0.0L;
    std::vector<long double> kept;
    std::size_t decided = 0;
  };
  // The kept models of one size in list order, and the first-found worst of them.
  struct SizeModels {
    std::vector<DataResultNode*> nodes;
    DataResultNode* worstNode = nullptr;
    long double worst = 0.0L;
  };
  struct BatchRun;

  void PushLeaf(const int* positions, int64_t& visited, int k);
  bool PollEscape();
  // Puts the subsets that the fast path claimed ahead of its decisions back on the stack.
  void ReturnCarriedSubsets();
  bool ConfirmAbort();
  void FitSubset(const std::vector<int>& positions);
  // The plain path: one subset after the other, each fitted in full.
  bool CalculatePlainBatch();
  // The fast path: helper threads score the batch's subsets in order while this
  // thread decides them in order as their outcomes come.
  bool CalculateFastBatch();
  // The screen, the pool's cross-products and a fitter for each of `helpers` helpers.
  void PrepareFastPath(int helpers);
  // A helper's part: chunks of other fits' refits, else fits that wait (while
  // fewer than half the helpers fit), else the next subsets claimed and screened.
  void HelpBatch(BatchRun& run, SubsetFitter& fitter);
  template <typename Work>
  void Settle(BatchRun& run, std::size_t t, const Work& work);
  // Screens the claimed subsets [from, to); those that may enter wait for their fits.
  void ScreenClaimed(BatchRun& run, std::size_t from, std::size_t to);
  // True when subset t is surely worse than the worst of its size as last published.
  bool ScreenedOut(BatchRun& run, std::size_t t);
  // The screen's verdict on the subset against a worst kept value.
  bool SurelyWorseThan(const std::vector<int>& positions, long double worst) const;
  // Scores subset t and prepares its record unless the fitted subsets before it,
  // not yet decided, show it cannot enter; its stage.
  uint8_t FitOne(BatchRun& run, SubsetFitter& fitter, std::size_t t);
  // The decision on a screened subset t: true when it is passed over.
  bool PassedOver(BatchRun& run, std::size_t t);
  // This thread's part: the decisions in order; false after a confirmed abort. The
  // undecided subsets go back to the stack on an abort or a failure.
  bool DecideInOrder(BatchRun& run);
  // Waits until subset t is taken from the stack; false when the batch holds fewer.
  bool AwaitSubset(BatchRun& run, std::size_t t);
  // Waits for subset t's outcome.
  void AwaitOutcome(BatchRun& run, std::size_t t);
  void Score(SubsetFitter& fitter, const std::vector<int>& positions, Outcome& outcome);
  // After Score: the record of a subset that may enter a size in the given state.
  void PrepareRecord(SubsetFitter& fitter, const std::vector<int>& positions, const SizeState& size,
                     Outcome& outcome) const;
  // The decisions of FitSubset; true when the kept models of the subset's size changed.
  bool Decide(const std::vector<int>& positions, Outcome& outcome);
  // Stores into target (or a new node) the prepared record, or else the subset
  // loaded into the engine's fitter, and gives it the next ID. Returns the stored
  // node, or null when the record failed and the node left the list.
  DataResultNode* Keep(DataResultNode* target, const std::vector<int>& positions, Outcome* prepared = nullptr);
  DataResultNode* FindWorstModelOfSize(int k, int& count, long double& worst) const;
  // The fast path's kept models by size, collected from the list when a batch
  // begins and then kept up to date by the decisions.
  void CollectSizeModels();
  SizeModels& ModelsOfSize(int k);
  void FindWorst(SizeModels& models) const;
  // After a decision stored `kept` (null: nothing) in place of `replaced` (null: a new node).
  void NoteKept(int k, DataResultNode* replaced, DataResultNode* kept);
  SizeState StateOfSize(int k);
  // The states of sizes 0 to maxSize, for the screen, after `decided` decisions.
  std::vector<SizeState> SizeStates(int maxSize, std::size_t decided);
  // A bound of the worst kept value that subset t will meet: the keep-th best of the
  // kept models as last published and the subsets of its size fitted since, not yet
  // decided; false when that tells nothing new.
  bool PendingBound(const BatchRun& run, std::size_t t, long double& bound) const;
  // The record of the subset loaded into fitter (fitted, its K indices computed).
  void FillRecord(DataResultNode& node, SubsetFitter& fitter, const std::vector<int>& positions) const;
  void ShowDisplaySlots(const DataResultNode& node);
  bool Admissible(int position);
  void StartAllSubsets();
  void StartHoldAndAdd();
  void StartGaSize(int nTrain);
  void StartGaSizeReported(int nTrain);
  void PrepareInputs();

  ChemoData* data_;
  DataResultList* models_;
  SearchView* view_;
  const uint8_t* trainMask_ = nullptr;
  const uint8_t* predMask_ = nullptr;
  const Matrix* trainResponse_ = nullptr;
  const Matrix* predResponse_ = nullptr;
  int nTrain_ = 0;
  int nPred_ = 0;
  bool abortRequested_ = false;
  bool aborted_ = false;
  bool activated_ = false;
  bool gaFinished_ = false;
  uint8_t mode_;
  std::unique_ptr<GenAlg> ga_;
  int generation_ = 0;
  std::array<Disp, DisplaySlotCount> slots_;
  SubsetStack stack_;
  bool phaseDone_ = true;  // false only during the all-subset phase of a shown run
  int64_t total_ = 0;
  int64_t processed_ = 0;
  int64_t screened_ = 0;
  bool idleActive_ = false;
  bool displayResults_ = true;
  int displayCount_ = 10;

  // The inputs of a shown run.
  std::vector<uint8_t> ownTrainMask_, ownPredMask_;
  std::unique_ptr<Matrix> ownTrainResponse_, ownPredResponse_;

  std::unique_ptr<SubsetFitter> fitter_;
  std::vector<std::unique_ptr<SubsetFitter>> workers_;  // one per helper thread
  std::unique_ptr<SubsetScreen> screen_;
  std::shared_ptr<const PoolGram> poolGram_;
  std::vector<int> subset_;           // the subset being fitted (pool positions)
  std::vector<int> variables_;        // its data-set variables
  std::vector<signed char> missing_;  // per pool position: 1 missing somewhere, 0 not, -1 unknown
  std::vector<SizeModels> sizeModels_;  // by model size
  std::unique_ptr<BatchRun> run_;
};
