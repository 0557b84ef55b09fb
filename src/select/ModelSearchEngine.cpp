#include "select/ModelSearchEngine.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <mutex>
#include <thread>

#include "data/ChemoData.h"
#include "data/DataResult.h"
#include "numerics/Matrix.h"
#include "numerics/Utils.h"
#include "platform/base/CommandGuard.h"
#include "platform/base/Exception.h"
#include "platform/base/JoinableLoops.h"
#include "platform/base/NumberText.h"
#include "platform/base/UiServices.h"
#include "platform/base/WorkerThreads.h"
#include "select/Fitness.h"
#include "select/GenAlg.h"
#include "select/ModelStatistics.h"
#include "select/SubsetFitter.h"
#include "select/SubsetScreen.h"

namespace {

const char* const kAbortQuestion = "Do you really want to abort calculation?";
const char* const kAllSubsetPreface =
    "All subset has not been completed: to avoid confusion all models will be deleted so the calculation "
    "setup can begin again from scratch. ";

// Resets a listed node for a model that replaces it; its place in the list stays.
void ResetInPlace(DataResultNode& node) {
  DataResultNode* next = node.Next();
  DataResultNode* prev = node.Prev();
  node.Reset();
  node.SetNext(next);
  node.SetPrev(prev);
}

// Inside a catch block: the exception is an arithmetic fault of the numeric routines.
bool IsArithmeticFault() {
  try {
    throw;
  } catch (const EMathError&) {
    return true;
  } catch (const MatrixEx&) {
    return true;
  } catch (...) {
    return false;
  }
}

SearchView& SilentView() {
  static SearchView view;
  return view;
}

}  // namespace

void ShowSearchException(const std::string& caption, const std::string& fallback) {
  try {
    throw;
  } catch (const SearchStartFailed&) {
    // Already reported.
  } catch (...) {
    ShowCaughtException(caption, fallback);
  }
}

ModelSearchEngine::ModelSearchEngine(uint8_t mode, DataResultList* models, ChemoData* data, SearchView* view)
    : data_(data), models_(models), view_(view ? view : &SilentView()), mode_(mode) {}

void ModelSearchEngine::BuildObjectMasks(uint8_t* prediction, uint8_t* training, uint8_t* missing) const {
  data_->BuildObjectMasks(prediction, training, missing);
}

void ModelSearchEngine::SetEngineInputs(int nTrain, int nPred, const uint8_t* trainingMask,
                                        const uint8_t* predictionMask, const Matrix* trainingResponse,
                                        const Matrix* predictionResponse) {
  nTrain_ = nTrain;
  nPred_ = nPred;
  trainMask_ = trainingMask;
  predMask_ = predictionMask;
  trainResponse_ = trainingResponse;
  predResponse_ = predictionResponse;
  ReturnCarriedSubsets();  // screened with the inputs before
  fitter_.reset();
  workers_.clear();
  screen_.reset();
  poolGram_.reset();
  if (nTrain_ > 0 && trainResponse_) fitter_ = std::make_unique<SubsetFitter>(*data_, trainMask_, nTrain_, *trainResponse_);
}

// A pool position is admissible when no object of the whole data set (training,
// prediction and excluded alike) misses a value of its variable.
bool ModelSearchEngine::Admissible(int position) {
  if (missing_.empty()) missing_.assign(data_->iSelectedVarCount, -1);
  signed char& state = missing_[position];
  if (state < 0) {
    const int variable = data_->ipSelectedVarPtr[position];
    state = 0;
    for (int i = 0; i < data_->iObjCount && state == 0; ++i)
      if (data_->tpChemoValuePtr[i][variable].Missing) state = 1;
  }
  return state == 0;
}

bool ModelSearchEngine::PollEscape() { return Ui().EscapePressed() && ConfirmAbort(); }

bool ModelSearchEngine::ConfirmAbort() {
  const std::string text = phaseDone_ ? std::string(kAbortQuestion) : std::string(kAllSubsetPreface) + kAbortQuestion;
  if (Ui().MessageBox(text, "APPLICATION WARNING", MB_YESNO | MB_ICONQUESTION) != IDYES) return false;
  view_->StatusText("Exiting...");
  abortRequested_ = true;
  return true;
}

void ModelSearchEngine::EnumerateSubsets(int* buffer, int64_t& visited, int start, int end, int depth, int k) {
  ReturnCarriedSubsets();
  if (depth == k) {
    PushLeaf(buffer, visited, k);
    return;
  }
  if (start > end) return;
  // Every completion is visited at once; the stack hands them out one by one in
  // the order single pushes would be taken back.
  visited += CountCombinations(end - start + 1, k - depth);
  for (int j = 0; j < depth; ++j)
    if (!Admissible(buffer[j])) return;
  std::vector<int> candidates;
  for (int v = start; v <= end; ++v)
    if (Admissible(v)) candidates.push_back(v);
  stack_.PushRange(buffer, depth, std::move(candidates), k);
}

void ModelSearchEngine::PushLeaf(const int* positions, int64_t& visited, int k) {
  ++visited;
  PollEscape();
  for (int j = 0; j < k; ++j)
    if (!Admissible(positions[j])) return;
  stack_.PushSubset(positions, k);
}

bool ModelSearchEngine::CalculateModelBatch() {
  // Without training objects there is no matrix to fit, as the fits would report.
  if (!fitter_ && !stack_.Empty()) throw MatrixIndexEx();
  return SearchFastPaths() ? CalculateFastBatch() : CalculatePlainBatch();
}

bool ModelSearchEngine::CalculatePlainBatch() {
  ReturnCarriedSubsets();
  int taken = 0;
  while (!stack_.Empty()) {
    if (PollEscape()) return false;
    ++processed_;
    if (processed_ % 50 == 0 && total_ != 0) view_->PercentText(IntToStr(processed_ * 100 / total_) + "%");
    stack_.Pop(subset_);
    FitSubset(subset_);
    if (++taken == BatchSize && !stack_.Empty()) return true;
  }
  view_->PercentText("100%");
  return false;
}

// One batch on the fast path. Helper threads, and this thread while it waits,
// claim the subsets in order, a few at a time, taking them from the stack, and
// screen each against the worst kept values as the latest decisions published
// them; this thread decides them in order. A state published after deciding subset
// d bounds every later subset: the worst kept value of a full size only improves
// as decisions go on, and a decision checks a screened subset again against the
// worst of its size at that moment. A subset that the screen cannot pass over
// waits for a fit, which the first thread free takes, so that the screen goes on
// meanwhile; it is screened again if the kept values moved before its fit begins.
struct ModelSearchEngine::BatchRun {
  // A subset's outcome is ready from kReady on; a screened one's is its stage and
  // what it was screened against. A claimed subset is written into its slot by the
  // claiming thread, then pending.
  enum Stage : uint8_t { kClaimed, kPending, kWantsFit, kFitting, kReady, kScreened, kScreenedAgainst };
  // Subsets taken from the stack at a time: the claims of many threads at once
  // meet at the stack's lock, a claim of one subset each time would queue there.
  // Towards the end of the claims they shrink, so that the last ones end together.
  static constexpr std::size_t kClaim = 8;
  std::size_t ClaimSize(std::size_t taken) const { return std::clamp<std::size_t>((limit - taken) / 16, 1, kClaim); }
  // With helpers, subsets beyond the batch's decisions are claimed and screened
  // while the last decisions are taken, and carried to the next batch.
  static constexpr std::size_t kLookahead = 256;

  explicit BatchRun(SubsetStack& stack)
      : stack(stack), subsets(BatchSize + kLookahead), outcomes(BatchSize + kLookahead),
        stages(std::make_unique<std::atomic<uint8_t>[]>(BatchSize + kLookahead)),
        screenedWith(BatchSize + kLookahead), against(BatchSize + kLookahead), fitted(BatchSize + kLookahead),
        fittedValid(BatchSize + kLookahead) {}

  // Starts a batch with the subsets carried from the last one, none larger than
  // largest among those still on the stack. With helpers, the deciding thread
  // claims one subset at a time, to be back soon for its decisions; half the
  // helpers fit at once where a fit may raise the worst kept value, all of them
  // where every model is kept.
  void Begin(int largest, int helpers, bool keepAll) {
    ownClaim = helpers > 0 ? 1 : kClaim;
    fitsAtOnce = keepAll ? helpers : (helpers + 1) / 2;
    limit = helpers > 0 ? BatchSize + kLookahead : BatchSize;
    if (unsettled) {
      for (Outcome& outcome : outcomes) outcome = Outcome{};
      unsettled = false;
    }
    maxSize = largest;
    for (std::size_t t = 0; t < carried; ++t) {
      const std::size_t from = BatchSize + t;
      subsets[t].swap(subsets[from]);
      // A carried outcome holds nothing but a failure of its screen, if that.
      if (outcomes[from].failure) std::swap(outcomes[t].failure, outcomes[from].failure);
      stages[t].store(stages[from].load(std::memory_order_relaxed), std::memory_order_relaxed);
      screenedWith[t] = screenedWith[from];
      against[t] = against[from];
      fittedValid[t] = 0;
      maxSize = std::max(maxSize, static_cast<int>(subsets[t].size()));
    }
    KeepStatesOfCarried();
    size = carried;
    carried = 0;
    popped.store(size);
    allTaken.store(size == limit || stack.Empty());
    fitsFrom.store(0);
    stop.store(false);
  }
  // After the decisions: the subsets claimed beyond them, for the next batch.
  void Carry() { carried = size > BatchSize ? size - BatchSize : 0; }
  // Puts the carried subsets back on the stack, in order.
  void ReturnCarried() {
    for (std::size_t t = BatchSize + carried; t-- > BatchSize;)
      stack.PushSubset(subsets[t].data(), static_cast<int>(subsets[t].size()));
    unsettled = unsettled || carried > 0;  // their outcomes may hold a failure
    carried = 0;
  }
  // Takes the next subsets of the batch from the stack, at most `most`, into
  // [from, to); false when none is left or the batch stops. They are written into
  // their slots once the lock is released, as the slots' memory was last used by
  // other threads.
  bool Claim(std::size_t& from, std::size_t& to, std::size_t most) {
    if (allTaken.load(std::memory_order_acquire) || stop.load(std::memory_order_relaxed)) return false;
    thread_local std::vector<int> positions, sizes;  // this thread's claim
    positions.clear();
    sizes.clear();
    {
      const std::lock_guard<SpinLock> guard(stackLock);
      if (allTaken.load(std::memory_order_relaxed) || stop.load(std::memory_order_relaxed)) return false;
      from = size;
      const std::size_t count = std::min(most, ClaimSize(size));
      while (size < limit && size - from < count && !stack.Empty()) {
        stack.Pop(taken);
        positions.insert(positions.end(), taken.begin(), taken.end());
        sizes.push_back(static_cast<int>(taken.size()));
        stages[size].store(kClaimed, std::memory_order_relaxed);
        fittedValid[size] = 0;
        ++size;
      }
      to = size;
      popped.store(size, std::memory_order_release);
      if (size == limit || stack.Empty()) allTaken.store(true, std::memory_order_release);
    }
    const int* next = positions.data();
    for (std::size_t t = from; t < to; ++t) {
      const int k = sizes[t - from];
      subsets[t].assign(next, next + k);
      next += k;
      stages[t].store(kPending, std::memory_order_release);
    }
    return to > from;
  }
  // Ends the claims; returns how many subsets were taken from the stack, each
  // written into its slot.
  std::size_t StopClaims() {
    std::size_t taken = 0;
    {
      const std::lock_guard<SpinLock> guard(stackLock);
      stop.store(true);
      taken = size;
    }
    for (std::size_t t = 0; t < taken; ++t)
      while (stages[t].load(std::memory_order_acquire) == kClaimed) CpuRelax();
    return taken;
  }
  // The claimed subsets of the batch's decisions: only those are fitted.
  std::size_t Decidable() const { return std::min<std::size_t>(popped.load(std::memory_order_acquire), BatchSize); }
  // Takes into t the first subset waiting for its fit.
  bool TakeFit(std::size_t& t) {
    const std::size_t claimed = Decidable();
    for (t = fitsFrom.load(std::memory_order_relaxed); t < claimed; ++t)
      if (TakeFitOf(t)) return true;
    return false;
  }
  // A helper's TakeFit while fewer than fitsAtOnce helpers fit; the caller gives
  // the slot back (fitting) after the fit.
  bool TakeFitSlot(std::size_t& t) {
    if (fitting.load(std::memory_order_relaxed) >= fitsAtOnce) return false;
    if (fitting.fetch_add(1) < fitsAtOnce && TakeFit(t)) return true;
    fitting.fetch_sub(1);
    return false;
  }
  // A subset waiting for its fit.
  bool FitsWaiting() const {
    const std::size_t claimed = Decidable();
    for (std::size_t t = fitsFrom.load(std::memory_order_relaxed); t < claimed; ++t)
      if (stages[t].load(std::memory_order_relaxed) == kWantsFit) return true;
    return false;
  }
  bool TakeFitOf(std::size_t t) {
    uint8_t waiting = kWantsFit;
    return stages[t].load(std::memory_order_relaxed) == kWantsFit &&
           stages[t].compare_exchange_strong(waiting, kFitting, std::memory_order_acquire);
  }
  bool Ready(std::size_t t) const { return stages[t].load(std::memory_order_acquire) >= kReady; }
  // The states as the latest decision left them.
  const std::vector<SizeState>& Latest() const { return *sizes.load(std::memory_order_acquire); }
  // Called by the deciding thread only; every state stays alive while a subset of
  // the batch or one carried from it was screened with it.
  void Publish(std::vector<SizeState> states) {
    published.push_back(std::make_unique<const std::vector<SizeState>>(std::move(states)));
    sizes.store(published.back().get(), std::memory_order_release);
  }
  void KeepStatesOfCarried() {
    const auto used = [&](const std::unique_ptr<const std::vector<SizeState>>& states) {
      return std::find(screenedWith.begin(), screenedWith.begin() + static_cast<std::ptrdiff_t>(carried),
                       states.get()) != screenedWith.begin() + static_cast<std::ptrdiff_t>(carried);
    };
    const auto unused = [&](const auto& states) { return !used(states); };
    published.erase(std::remove_if(published.begin(), published.end(), unused), published.end());
  }

  SubsetStack& stack;  // the engine's, taken from under stackLock while the batch runs
  std::vector<std::vector<int>> subsets;
  std::vector<Outcome> outcomes;
  std::unique_ptr<std::atomic<uint8_t>[]> stages;
  std::vector<const std::vector<SizeState>*> screenedWith;  // the states each subset passed
  std::vector<long double> against;  // the bound a subset of stage kScreenedAgainst failed
  // The fitness rank of a fitted subset that is a candidate for the list (valid 1),
  // written by the thread that fits it before its stage; the decisions leave it.
  std::vector<long double> fitted;
  std::vector<uint8_t> fittedValid;
  int maxSize = 0;         // no subset of the batch is larger
  std::size_t ownClaim = kClaim;  // the largest claim of the deciding thread
  std::size_t limit = BatchSize;  // the subsets a batch may claim
  std::size_t carried = 0;        // claimed beyond the last batch's decisions, from BatchSize on
  // Helpers fitting at once: the others join their leave-one-out refits, so that
  // fits end sooner and later subsets meet the worst kept values they raise.
  int fitsAtOnce = 1;
  bool unsettled = false;  // outcomes left behind by an abort or a failure
  SpinLock stackLock;      // guards the stack, size and taken while the batch runs
  std::size_t size = 0;    // the subsets taken from the stack
  std::vector<int> taken;
  // Each on a cache line of its own: the threads write them at different paces.
  alignas(64) std::atomic<std::size_t> popped{0};  // size, for reading without the lock
  alignas(64) std::atomic<std::size_t> fitsFrom{0};  // no subset before it waits for a fit
  alignas(64) std::atomic<int> fitting{0};           // helpers fitting
  alignas(64) std::atomic<bool> allTaken{false};     // the batch's subsets are all claimed
  std::atomic<bool> stop{false};
  alignas(64) std::atomic<const std::vector<SizeState>*> sizes{nullptr};
  std::vector<std::unique_ptr<const std::vector<SizeState>>> published;
  JoinableLoops loops;  // the fits' leave-one-out refits, which idle threads join
};

ModelSearchEngine::~ModelSearchEngine() = default;

void ModelSearchEngine::ClearSubsetStack() {
  ReturnCarriedSubsets();
  stack_.Clear();
}

void ModelSearchEngine::ReturnCarriedSubsets() {
  if (run_) run_->ReturnCarried();
}

// One batch: the helpers and this thread claim its subsets from the stack as they go.
bool ModelSearchEngine::CalculateFastBatch() {
  if (!stack_.Empty() || (run_ && run_->carried > 0)) {
    if (!run_) run_ = std::make_unique<BatchRun>(stack_);
    BatchRun& run = *run_;
    const int helpers = WorkerThreadCount() - 1;
    PrepareFastPath(helpers);
    if (data_->iKeepPerSize != -1) CollectSizeModels();
    run.Begin(stack_.LargestSize(), helpers, data_->iKeepPerSize == -1);
    run.Publish(SizeStates(run.maxSize, 0));
    bool completed = true;
    RunBeside(
        helpers, [&](int helper) { HelpBatch(run, *workers_[static_cast<std::size_t>(helper)]); },
        [&] {
          // However this ends, the helpers claim nothing more.
          struct StopOnExit {
            BatchRun& run;
            ~StopOnExit() { run.StopClaims(); }
          } stopOnExit{run};
          completed = DecideInOrder(run);
        });
    if (!completed) return false;
    run.Carry();
    if (!stack_.Empty() || run.carried > 0) return true;
  }
  view_->PercentText("100%");
  return false;
}

void ModelSearchEngine::PrepareFastPath(int helpers) {
  // Each spreads its sums over the worker threads; the screen reads the pool's.
  if (!poolGram_) {
    poolGram_ = std::make_shared<const PoolGram>(*data_, trainMask_, nTrain_, *trainResponse_);
    fitter_->UsePoolGram(poolGram_);
    // Made here on all threads rather than by the first record while the others wait.
    poolGram_->Correlations();
  }
  if (data_->iKeepPerSize != -1 && !screen_) screen_ = std::make_unique<SubsetScreen>(poolGram_);
  while (static_cast<int>(workers_.size()) < helpers) {
    workers_.push_back(std::make_unique<SubsetFitter>(*data_, trainMask_, nTrain_, *trainResponse_));
    workers_.back()->UsePoolGram(poolGram_);
  }
  JoinableLoops* loops = helpers > 0 ? &run_->loops : nullptr;
  fitter_->ShareLoops(loops);
  for (auto& worker : workers_) worker->ShareLoops(loops);
}

// Nothing here touches the model list or the view. A helper joins refits first,
// then fits (while fewer than fitsAtOnce helpers fit), then claims; it leaves once
// nothing is left to claim or fit, or the batch stops: this thread fits what still
// waits.
void ModelSearchEngine::HelpBatch(BatchRun& run, SubsetFitter& fitter) {
  for (std::size_t t = 0, to = 0;;) {
    if (run.loops.HelpOne()) {
      // A chunk of another thread's refits.
    } else if (run.TakeFitSlot(t)) {
      Settle(run, t, [&] { return FitOne(run, fitter, t); });
      run.fitting.fetch_sub(1);
    } else if (run.Claim(t, to, BatchRun::kClaim)) {
      ScreenClaimed(run, t, to);
    } else if (run.stop.load(std::memory_order_relaxed) ||
               (run.allTaken.load(std::memory_order_acquire) && !run.FitsWaiting())) {
      return;
    } else {
      CpuRelax();  // fits wait while others fit: their refits will want help
    }
  }
}

// Runs work for subset t and gives the subset the stage work returns; a failure is
// kept for the decision, the outcome then ready.
template <typename Work>
void ModelSearchEngine::Settle(BatchRun& run, std::size_t t, const Work& work) {
  uint8_t stage = BatchRun::kReady;
  try {
    stage = work();
  } catch (...) {
    run.outcomes[t].failure = std::current_exception();
  }
  run.stages[t].store(stage, std::memory_order_release);
}

// A screened subset's outcome is its stage and the states it was screened with,
// so that the deciding thread reads little and writes nothing for it. Once the
// batch has stopped, the rest waits unscreened: it is screened before its fit.
void ModelSearchEngine::ScreenClaimed(BatchRun& run, std::size_t from, std::size_t to) {
  for (std::size_t t = from; t < to; ++t) {
    if (run.stop.load(std::memory_order_relaxed)) {
      run.screenedWith[t] = nullptr;
      run.stages[t].store(BatchRun::kWantsFit, std::memory_order_release);
    } else {
      Settle(run, t, [&] { return ScreenedOut(run, t) ? BatchRun::kScreened : BatchRun::kWantsFit; });
    }
  }
}

bool ModelSearchEngine::ScreenedOut(BatchRun& run, std::size_t t) {
  const std::vector<int>& positions = run.subsets[t];
  const std::vector<SizeState>& latest = run.Latest();
  run.screenedWith[t] = &latest;
  const SizeState& size = latest[positions.size()];
  return size.full && SurelyWorseThan(positions, size.worst);
}

bool ModelSearchEngine::SurelyWorseThan(const std::vector<int>& positions, long double worst) const {
  return screen_->SurelyWorse(positions.data(), static_cast<int>(positions.size()), data_->iFitnessFunc,
                              data_->ldLOFSmoothing, worst);
}

// Screens subset t again when the states moved since it passed (or first, when its
// batch stopped before its screen), then scores it and prepares its record.
uint8_t ModelSearchEngine::FitOne(BatchRun& run, SubsetFitter& fitter, std::size_t t) {
  if (run.screenedWith[t] != &run.Latest() && ScreenedOut(run, t)) return BatchRun::kScreened;
  const std::vector<int>& positions = run.subsets[t];
  const int k = static_cast<int>(positions.size());
  long double bound = 0.0L;
  if (PendingBound(run, t, bound) && SurelyWorseThan(positions, bound)) {
    run.against[t] = bound;
    return BatchRun::kScreenedAgainst;
  }
  Outcome& outcome = run.outcomes[t];
  Score(fitter, positions, outcome);
  // The record only where the model may still enter, as the fits before it tell
  // by now (a model that enters after all is fitted again at its decision).
  const SizeState& screened = (*run.screenedWith[t])[static_cast<std::size_t>(k)];
  SizeState entry;
  entry.full = screened.full;
  entry.worst = screened.worst;
  if (PendingBound(run, t, bound)) {
    entry.full = true;
    entry.worst = bound;
  }
  PrepareRecord(fitter, positions, entry, outcome);
  if (outcome.quikPassed && outcome.fitted && !outcome.fitness.Missing && !outcome.recordFailure) {
    run.fitted[t] = outcome.fitness.Value;
    run.fittedValid[t] = 1;
  }
  return BatchRun::kReady;
}

// Each fitted subset before t either enters the list at its decision or is worse
// than the keep-th best of the candidates met by then, so the worst kept value at
// t's decision is no worse than the keep-th best of those known now. (A kept model
// whose record fails leaves the list; the decision checks the bound again.)
bool ModelSearchEngine::PendingBound(const BatchRun& run, std::size_t t, long double& bound) const {
  const int keep = data_->iKeepPerSize;
  const std::size_t k = run.subsets[t].size();
  const SizeState& published = run.Latest()[k];
  if (keep < 1) return false;
  thread_local std::vector<long double> ranks;
  ranks.assign(published.kept.begin(), published.kept.end());
  const std::size_t before = ranks.size();
  for (std::size_t u = published.decided; u < t; ++u)
    if (run.stages[u].load(std::memory_order_acquire) == BatchRun::kReady && run.fittedValid[u] &&
        run.subsets[u].size() == k)
      ranks.push_back(run.fitted[u]);
  if (ranks.size() == before || ranks.size() < static_cast<std::size_t>(keep)) return false;
  const int id = data_->iFitnessFunc;
  std::nth_element(ranks.begin(), ranks.begin() + (keep - 1), ranks.end(),
                   [id](long double a, long double b) { return fitness::Better(a, b, id); });
  bound = ranks[static_cast<std::size_t>(keep - 1)];
  return true;
}

// A screened subset is passed over while the worst kept model of its size is no
// worse than the one (or the bound) it was screened against.
bool ModelSearchEngine::PassedOver(BatchRun& run, std::size_t t) {
  const int k = static_cast<int>(run.subsets[t].size());
  const SizeState size = StateOfSize(k);
  const long double against = run.stages[t].load(std::memory_order_relaxed) == BatchRun::kScreenedAgainst
                                  ? run.against[t]
                                  : (*run.screenedWith[t])[static_cast<std::size_t>(k)].worst;
  return size.full && !fitness::Better(against, size.worst, data_->iFitnessFunc);
}

bool ModelSearchEngine::DecideInOrder(BatchRun& run) {
  // The subsets not yet decided go back, to be taken in the same order: on an abort
  // from the current one on, on a failure from the one that the plain path had not
  // yet taken from the stack (a subset that fails its fit is consumed, so that the
  // run goes on).
  auto putBack = [&](std::size_t from) {
    run.unsettled = true;
    for (std::size_t u = run.StopClaims(); u-- > from;)
      stack_.PushSubset(run.subsets[u].data(), static_cast<int>(run.subsets[u].size()));
  };
  for (std::size_t t = 0; t < BatchSize && AwaitSubset(run, t); ++t) {
    std::size_t undecided = t;
    try {
      if (PollEscape()) {
        putBack(t);
        return false;
      }
      ++processed_;
      if (processed_ % 50 == 0 && total_ != 0) view_->PercentText(IntToStr(processed_ * 100 / total_) + "%");
      undecided = t + 1;
      AwaitOutcome(run, t);
      Outcome& outcome = run.outcomes[t];
      if (run.stages[t].load(std::memory_order_relaxed) >= BatchRun::kScreened) {
        if (PassedOver(run, t)) {
          ++screened_;
          continue;
        }
        // A model of its size went meanwhile.
        Score(*fitter_, run.subsets[t], outcome);
      }
      if (outcome.failure) std::rethrow_exception(outcome.failure);
      if (Decide(run.subsets[t], outcome)) run.Publish(SizeStates(run.maxSize, t + 1));
      outcome = Outcome{};  // the record, once stored, is not needed
    } catch (...) {
      putBack(undecided);
      throw;
    }
  }
  return true;
}

// Claims subsets itself meanwhile, leaving their fits to the helpers.
bool ModelSearchEngine::AwaitSubset(BatchRun& run, std::size_t t) {
  for (std::size_t from = 0, to = 0; t >= run.popped.load(std::memory_order_acquire);) {
    if (run.allTaken.load(std::memory_order_acquire) || run.stop.load(std::memory_order_relaxed))
      return t < run.popped.load(std::memory_order_acquire);
    if (run.Claim(from, to, run.ownClaim))
      ScreenClaimed(run, from, to);
    else
      CpuRelax();
  }
  return true;
}

// Meanwhile this thread fits subset t itself when it waits for its fit, and
// screens the next unclaimed subsets, leaving their fits to the helpers.
void ModelSearchEngine::AwaitOutcome(BatchRun& run, std::size_t t) {
  if (run.Ready(t)) return;
  run.fitsFrom.store(t, std::memory_order_relaxed);
  // A helper finishes a screened subset in a few microseconds: spin that long,
  // then give the processor away between looks.
  constexpr int kSpins = 2000;
  int spins = 0;
  for (std::size_t from = 0, to = 0; !run.Ready(t);) {
    if (run.loops.HelpOne()) {
      // A chunk of a helper's refits: perhaps of subset t's.
    } else if (run.TakeFitOf(t)) {
      Settle(run, t, [&] { return FitOne(run, *fitter_, t); });
    } else if (run.Claim(from, to, run.ownClaim)) {
      ScreenClaimed(run, from, to);
    } else if (++spins < kSpins) {
      CpuRelax();
    } else {
      std::this_thread::yield();
    }
  }
}

void ModelSearchEngine::Score(SubsetFitter& fitter, const std::vector<int>& positions, Outcome& outcome) {
  const int k = static_cast<int>(positions.size());
  std::vector<int> variables(positions.size());
  for (int j = 0; j < k; ++j) variables[j] = data_->ipSelectedVarPtr[positions[j]];
  fitter.Load(variables.data(), k);
  if (data_->ldQuikDelta >= 0.0L) {
    fitter.ComputeKIndices();
    outcome.quikPassed = fitter.PassesQuik(data_->ldQuikDelta);
    if (!outcome.quikPassed) return;
  }
  outcome.fitted = fitter.Fit();
  if (outcome.fitted && data_->iKeepPerSize != -1) outcome.fitness = fitter.Fitness(data_->iFitnessFunc, data_->ldLOFSmoothing);
}

// The calculations of FitSubset and FillRecord in their order: the K indices after
// the fit when the QUIK rule did not need them before.
void ModelSearchEngine::PrepareRecord(SubsetFitter& fitter, const std::vector<int>& positions,
                                      const SizeState& size, Outcome& outcome) const {
  if (!outcome.quikPassed || !outcome.fitted) return;
  if (size.full && (outcome.fitness.Missing || fitness::Better(size.worst, outcome.fitness.Value, data_->iFitnessFunc)))
    return;
  try {
    outcome.record = std::make_unique<DataResultNode>(models_->DataSet());
    if (data_->ldQuikDelta < 0.0L) fitter.ComputeKIndices();
    FillRecord(*outcome.record, fitter, positions);
  } catch (...) {
    outcome.recordFailure = std::current_exception();
  }
}

// The decisions of FitSubset, in the engine's order, on a scored subset.
bool ModelSearchEngine::Decide(const std::vector<int>& positions, Outcome& outcome) {
  const int k = static_cast<int>(positions.size());
  const int id = data_->iFitnessFunc;
  if (!outcome.quikPassed || !outcome.fitted) return false;
  DataResultNode* target = nullptr;
  const int keep = data_->iKeepPerSize;
  if (keep != -1) {
    const SizeModels& models = ModelsOfSize(k);
    if (static_cast<int>(models.nodes.size()) >= keep) {
      if (!models.worstNode || outcome.fitness.Missing || fitness::Better(models.worst, outcome.fitness.Value, id))
        return false;
      target = models.worstNode;
      ResetInPlace(*target);
    }
  }
  DataResultNode* kept = nullptr;
  if (outcome.record || outcome.recordFailure) {
    kept = Keep(target, positions, &outcome);
  } else {
    variables_.resize(k);
    for (int j = 0; j < k; ++j) variables_[j] = data_->ipSelectedVarPtr[positions[j]];
    fitter_->Load(variables_.data(), k);
    fitter_->ComputeKIndices();
    fitter_->Fit();
    kept = Keep(target, positions);
  }
  if (keep == -1) return false;
  NoteKept(k, target, kept);
  return true;
}

DataResultNode* ModelSearchEngine::Keep(DataResultNode* target, const std::vector<int>& positions, Outcome* prepared) {
  if (!target) target = models_->Append();
  try {
    if (!prepared) {
      FillRecord(*target, *fitter_, positions);
    } else if (prepared->recordFailure) {
      std::rethrow_exception(prepared->recordFailure);
    } else {
      *target = std::move(*prepared->record);  // everything but the links
    }
    target->iID = data_->iNextModelID++;
  } catch (...) {
    // A model whose statistics could not be computed is a failed fit: no
    // half-filled model stays in the list, and an arithmetic fault ends only it.
    models_->Remove(target);
    if (!IsArithmeticFault()) throw;
    return nullptr;
  }
  ShowDisplaySlots(*target);
  return target;
}

void ModelSearchEngine::CollectSizeModels() {
  sizeModels_.clear();
  for (DataResultNode* node = models_->First(); node; node = node->Next())
    if (node->iSize >= 1) ModelsOfSize(node->iSize).nodes.push_back(node);
  for (SizeModels& models : sizeModels_) FindWorst(models);
}

ModelSearchEngine::SizeModels& ModelSearchEngine::ModelsOfSize(int k) {
  if (static_cast<int>(sizeModels_.size()) <= k) sizeModels_.resize(static_cast<std::size_t>(k) + 1);
  return sizeModels_[static_cast<std::size_t>(k)];
}

void ModelSearchEngine::FindWorst(SizeModels& models) const {
  const int id = data_->iFitnessFunc;
  models.worstNode = nullptr;
  for (DataResultNode* node : models.nodes) {
    const long double value = fitness::Rank(FitnessCell(*node, id), id);
    if (!models.worstNode || fitness::Better(models.worst, value, id)) {
      models.worstNode = node;
      models.worst = value;
    }
  }
}

void ModelSearchEngine::NoteKept(int k, DataResultNode* replaced, DataResultNode* kept) {
  SizeModels& models = ModelsOfSize(k);
  if (!replaced && kept) models.nodes.push_back(kept);
  if (replaced && !kept) models.nodes.erase(std::find(models.nodes.begin(), models.nodes.end(), replaced));
  FindWorst(models);
}

ModelSearchEngine::SizeState ModelSearchEngine::StateOfSize(int k) {
  SizeState state;
  const int keep = data_->iKeepPerSize;
  if (keep == -1) return state;
  const SizeModels& models = ModelsOfSize(k);
  state.full = models.worstNode && static_cast<int>(models.nodes.size()) >= keep;
  state.worst = models.worst;
  return state;
}

std::vector<ModelSearchEngine::SizeState> ModelSearchEngine::SizeStates(int maxSize, std::size_t decided) {
  const int id = data_->iFitnessFunc;
  std::vector<SizeState> states(static_cast<std::size_t>(maxSize) + 1);
  for (int k = 1; k <= maxSize; ++k) {
    SizeState& state = states[static_cast<std::size_t>(k)];
    state = StateOfSize(k);
    state.decided = decided;
    if (data_->iKeepPerSize == -1) continue;
    for (const DataResultNode* node : ModelsOfSize(k).nodes)
      state.kept.push_back(fitness::Rank(FitnessCell(*node, id), id));
    std::sort(state.kept.begin(), state.kept.end(),
              [id](long double a, long double b) { return fitness::Better(a, b, id); });
  }
  return states;
}

DataResultNode* ModelSearchEngine::FindWorstModelOfSize(int k, int& count, long double& worst) const {
  const int id = data_->iFitnessFunc;
  DataResultNode* worstNode = nullptr;
  count = 0;
  for (DataResultNode* node = models_->First(); node; node = node->Next()) {
    if (node->iSize != k) continue;
    ++count;
    const long double value = fitness::Rank(FitnessCell(*node, id), id);
    if (!worstNode || fitness::Better(worst, value, id)) {
      worstNode = node;
      worst = value;
    }
  }
  return worstNode;
}

void ModelSearchEngine::FitSubset(const std::vector<int>& positions) {
  const int k = static_cast<int>(positions.size());
  variables_.resize(k);
  for (int j = 0; j < k; ++j) variables_[j] = data_->ipSelectedVarPtr[positions[j]];
  fitter_->Load(variables_.data(), k);
  // Kxx and Kxy are computed before the fit when the rule needs them, else only
  // for a model that is stored.
  const bool quik = data_->ldQuikDelta >= 0.0L;
  if (quik) {
    fitter_->ComputeKIndices();
    if (!fitter_->PassesQuik(data_->ldQuikDelta)) return;
  }
  // A failed fit has no coefficients: it never becomes a model.
  if (!fitter_->Fit()) return;

  DataResultNode* target = nullptr;
  const int keep = data_->iKeepPerSize;
  if (keep != -1) {
    const int id = data_->iFitnessFunc;
    const CheckedValue candidate = fitter_->Fitness(id, data_->ldLOFSmoothing);
    int count = 0;
    long double worst = 0.0L;
    DataResultNode* worstNode = FindWorstModelOfSize(k, count, worst);
    if (count >= keep) {
      if (!worstNode || candidate.Missing || fitness::Better(worst, candidate.Value, id)) return;
      target = worstNode;
      ResetInPlace(*target);
    }
  }
  if (!quik) fitter_->ComputeKIndices();
  Keep(target, positions);
}

void ModelSearchEngine::FillRecord(DataResultNode& node, SubsetFitter& fitter, const std::vector<int>& positions) const {
  fitter.ComputePress();
  const PredictionSet prediction{nPred_, predMask_, predResponse_};
  FillModelRecord(node, *data_, fitter, positions, prediction);
}

void ModelSearchEngine::ShowDisplaySlots(const DataResultNode& node) {
  const int id = data_->iFitnessFunc;
  const CheckedValue& cell = FitnessCell(node, id);
  if (cell.Missing) return;
  for (int i = 0; i < DisplaySlotCount; ++i) {
    if (slots_[i].size != 0 && !fitness::Better(cell.Value, slots_[i].fitness, id)) continue;
    for (int j = DisplaySlotCount - 1; j > i; --j) slots_[j] = slots_[j - 1];
    slots_[i] = Disp{node.iSize, cell.Value, node.sName};
    view_->DisplaySlotsChanged();
    return;
  }
}

std::vector<SearchGridRow> ModelSearchEngine::DisplaySlotRows() const {
  std::vector<SearchGridRow> rows;
  for (int i = 0; i < DisplaySlotCount && slots_[i].size != 0; ++i)
    rows.push_back(SearchGridRow{i + 1, GridFitnessText(slots_[i].fitness), slots_[i].size, slots_[i].text});
  return rows;
}

// ---- The shown run -------------------------------------------------------

void ModelSearchEngine::Activate() {
  if (activated_) return;
  bool started = false;
  {
    BusyCursor busy;
    try {
      started = StartCalculation();
    } catch (...) {
      ShowSearchException("APPLICATION WARNING", "Cannot calculate models");
    }
  }
  // A failed or aborted start ends the run as aborted and leaves no partial
  // models behind; the genetic algorithm alone adds nothing at its start and
  // keeps the models it continues.
  if (!started || abortRequested_) {
    aborted_ = true;
    if (mode_ != ModeGeneticOnly) models_->Clear();
  }
  activated_ = true;
}

// Builds the masks and responses of the training and prediction objects.
void ModelSearchEngine::PrepareInputs() {
  ownTrainMask_.assign(data_->iObjCount, 0);
  ownPredMask_.assign(data_->iObjCount, 0);
  BuildObjectMasks(ownPredMask_.data(), ownTrainMask_.data(), nullptr);
  const int nTrain = static_cast<int>(std::count(ownTrainMask_.begin(), ownTrainMask_.end(), 1));
  const int nPred = static_cast<int>(std::count(ownPredMask_.begin(), ownPredMask_.end(), 1));
  if (nTrain == 0) {
    Ui().MessageBox("Zero rows matrix, cannot continue", "APPLICATION ERROR", MB_OK | MB_ICONERROR);
    throw SearchStartFailed();
  }
  auto responseOf = [this](const std::vector<uint8_t>& mask, int count) {
    auto response = std::make_unique<Matrix>(count, 1);
    int row = 0;
    for (int i = 0; i < data_->iObjCount; ++i)
      if (mask[i]) response->At(row++, 0) = data_->tpChemoValuePtr[i][data_->iResponseIndex].Value;
    return response;
  };
  ownTrainResponse_ = responseOf(ownTrainMask_, nTrain);
  ownPredResponse_ = nPred > 0 ? responseOf(ownPredMask_, nPred) : nullptr;
  SetEngineInputs(nTrain, nPred, ownTrainMask_.data(), ownPredMask_.data(), ownTrainResponse_.get(),
                  ownPredResponse_.get());
}

bool ModelSearchEngine::StartCalculation() {
  abortRequested_ = false;
  // Nothing to do: no subset size, or a genetic algorithm without a model size
  // (the set-up runs the genetic algorithm alone whenever models exist).
  if (mode_ == ModeAllSubsets && data_->iAllSubsetUntil == 0) return true;
  if (mode_ == ModeGeneticOnly && data_->iGAFirstSize < 1) return true;
  slots_.fill(Disp{});
  try {
    PrepareInputs();
    if (mode_ == ModeAllSubsets)
      StartAllSubsets();
    else if (mode_ == ModeHoldAndAdd)
      StartHoldAndAdd();
    else {
      idleActive_ = true;
      StartGaSize(nTrain_);
    }
  } catch (...) {
    ShowSearchException("APPLICATION WARNING", "Cannot calculate all combinations");
    return false;
  }
  return true;
}

void ModelSearchEngine::StartAllSubsets() {
  view_->StatusText(
      "Preparing tables for all subset, it will take a while,please wait or press ESC to abort...");
  if (data_->iEnumSize < 0 || data_->iEnumSize > data_->iSelectedVarCount || data_->iAllSubsetUntil < 0)
    throw Exception("The subset sizes exceed the selected variables: cannot calculate all combinations");
  std::vector<int> buffer(data_->iAllSubsetUntil);
  for (int k = 1; k <= data_->iAllSubsetUntil; ++k)
    EnumerateSubsets(buffer.data(), total_, 0, data_->iEnumSize - 1, 0, k);
  view_->StatusText("Calculating all subset, press ESC to abort...");
  phaseDone_ = false;
  aborted_ = false;
  idleActive_ = true;
}

// The held model plus each other pool variable in pool order. Held variables are
// found by their first pool position whatever the order of the held list, so no
// held variable is ever added to itself.
void ModelSearchEngine::StartHoldAndAdd() {
  view_->StatusText("Calculating hold models, press ESC to abort...");
  const int h = data_->iSelectedHoldCount;
  const int poolSize = data_->iSelectedVarCount;
  std::vector<int> buffer(h + 1);
  std::vector<bool> held(poolSize, false);
  for (int j = 0; j < h; ++j) {
    const int* pool = data_->ipSelectedVarPtr;
    const int* found = std::find(pool, pool + poolSize, data_->ipSelectedHoldPtr[j]);
    if (found == pool + poolSize) throw Exception("Held variable not in the selected variables");
    buffer[j] = static_cast<int>(found - pool);
    held[buffer[j]] = true;
  }
  for (int i = 0; i < poolSize && !abortRequested_; ++i) {
    if (held[i]) continue;
    buffer[h] = i;
    EnumerateSubsets(buffer.data(), total_, 0, 0, h + 1, h + 1);
  }
  while (CalculateModelBatch()) {
  }
}

void ModelSearchEngine::StartGaSize(int nTrain) {
  view_->ShowGaControls();
  view_->SetGridRows(data_->iGAPopSize + 1);
  ga_ = std::make_unique<GenAlg>(*this, data_, models_, trainResponse_, nTrain, trainMask_);
}

// Inside the idle step nothing may escape: a genetic algorithm that cannot be
// built (memory, a bad setting) is reported and ends the run as a finished one,
// with the sizes done so far.
void ModelSearchEngine::StartGaSizeReported(int nTrain) {
  try {
    StartGaSize(nTrain);
  } catch (...) {
    ShowSearchException("APPLICATION WARNING (genetic algorithm)", "Cannot execute genetic algorithm.");
    gaFinished_ = true;
    view_->CloseWindow();
  }
}

void ModelSearchEngine::IdleStep() {
  if (aborted_) return;
  if (!phaseDone_ && !CalculateModelBatch()) {
    if (abortRequested_) {
      aborted_ = true;
    } else {
      phaseDone_ = true;
      if (data_->iGAFirstSize != 0) StartGaSizeReported(nTrain_);
    }
  }
  if (!phaseDone_ || !ga_) return;
  if (ga_->IsRunning()) ga_->RunGeneration();
  if (data_->iGAGenerations == 0) return;
  ++generation_;
  gaFinished_ = false;
  if (generation_ != data_->iGAGenerations) return;
  const int nTrain = ga_->TrainingCount();
  ++data_->iGAFirstSize;
  if (ga_->IsRunning()) HarvestGaPopulation();
  ga_.reset();
  generation_ = 0;
  // An abort confirmed during the harvest ends the run at the size harvested.
  if (!abortRequested_ && data_->iGAFirstSize <= data_->iGAUntil) {
    StartGaSizeReported(nTrain);
  } else {
    gaFinished_ = true;
    view_->CloseWindow();
  }
}

bool ModelSearchEngine::HasWork() const {
  return !aborted_ && (!phaseDone_ || (ga_ && ga_->IsRunning()));
}

bool ModelSearchEngine::TimerWantsClose() const {
  if (!activated_ && !abortRequested_) return false;
  return aborted_ || (phaseDone_ && data_->iGAFirstSize == 0);
}

bool ModelSearchEngine::ConfirmClose() {
  if (aborted_ || gaFinished_) return true;
  // Closing before the subsets are all fitted is an abort, asked as one.
  if (!phaseDone_) {
    if (!ConfirmAbort()) return false;
    aborted_ = true;
    return true;
  }
  if (!activated_ || data_->iGAFirstSize != 0) {
    if (Ui().MessageBox("Do you really want to stop the genetic algorithm calculation?", "APPLICATION WARNING",
                        MB_YESNO | MB_ICONQUESTION) != IDYES)
      return false;
  }
  if (data_->iGAUntil < data_->iGAFirstSize) data_->iGAUntil = data_->iGAFirstSize;
  return true;
}

void ModelSearchEngine::FinishRun(const std::function<void()>& discardModels) {
  // An aborted run leaves the sizes for the next set-up untouched.
  if (!aborted_) {
    if (gaFinished_) --data_->iGAFirstSize;
    if (data_->iGAFirstSize > 0) data_->iAllSubsetUntil = data_->iGAFirstSize;
  }
  idleActive_ = false;
  if (ga_ && ga_->IsRunning()) HarvestGaPopulation();
  ga_.reset();
  SetEngineInputs(0, 0, nullptr, nullptr, nullptr, nullptr);
  ownTrainMask_.clear();
  ownPredMask_.clear();
  ownTrainResponse_.reset();
  ownPredResponse_.reset();
  slots_.fill(Disp{});
  ClearSubsetStack();
  // The genetic algorithm alone only fails at its start: the earlier models stay.
  if (aborted_ && mode_ != ModeGeneticOnly && discardModels) discardModels();
  Ui().MessageBox(std::string("Models calculation ") + (aborted_ ? "aborted." : "completed."),
                  "APPLICATION MESSAGE", MB_OK | MB_ICONINFORMATION);
}

void ModelSearchEngine::HarvestGaPopulation() {
  const int poolSize = data_->iSelectedVarCount;
  const int* pool = data_->ipSelectedVarPtr;
  std::vector<int> positions;
  for (int i = 0; i < data_->iGAPopSize; ++i) {
    const GenPop individual = ga_->CopyIndividual(i);
    if (individual.Empty() || FindModelWithVariables(individual.genes.data(), individual.size)) continue;
    positions.clear();
    for (int variable : individual.genes) {
      const int* found = std::find(pool, pool + poolSize, variable);
      if (found == pool + poolSize) {
        Ui().MessageBox("Internal error: cannot find " + data_->tpVarNameStrPtr[variable] +
                            " variable. Aborting model...",
                        "APPLICATION WARNING (genetic algorithm)", MB_OK | MB_ICONWARNING);
        break;
      }
      positions.push_back(static_cast<int>(found - pool));
    }
    if (static_cast<int>(positions.size()) != individual.size) continue;
    EnumerateSubsets(positions.data(), total_, 0, 0, individual.size, individual.size);
  }
  if (stack_.Empty()) return;
  while (CalculateModelBatch()) {
  }
}

bool ModelSearchEngine::FindModelWithVariables(const int* variables, int size) const {
  for (const DataResultNode* node = models_->First(); node; node = node->Next()) {
    if (node->iSize != size) continue;
    bool all = true;
    for (int j = 0; j < size && all; ++j) all = std::find(variables, variables + size, node->ipSelVarIdxPtr[j]) != variables + size;
    if (all) return true;
  }
  return false;
}

void ModelSearchEngine::SetDisplayCountChoice(int n) {
  displayCount_ = n;
  if (ga_) ga_->SetDisplayCount(n);
}

void ModelSearchEngine::SetBestPerSizeChoice(int n) {
  if (ga_) ga_->ChooseModelsPerSize(n);
}
