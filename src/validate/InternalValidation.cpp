#include "validate/InternalValidation.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <utility>

#include "data/ChemoData.h"
#include "data/DataResult.h"
#include "data/TempFiles.h"
#include "numerics/Matrix.h"
#include "numerics/MersenneTwister.h"
#include "platform/base/Files.h"
#include "platform/base/NumberText.h"
#include "platform/base/Stream.h"
#include "validate/ExternalValidator.h"

namespace {

constexpr int kProgressMaximum = 2147483647;
constexpr auto kProgressInterval = std::chrono::milliseconds(125);

struct KindTexts {
  const char* tag;
  const char* name;
  const char* progressPrefix;
};

constexpr KindTexts kKinds[kValidationKindCount] = {
    {"~many~", "LMO", "Calc. LMO: "},
    {"~yscr~", "Y-scramble", "Calc. Y-scramble: "},
    {"~rdes~", "Random descriptors", "Calc. Rand. Descr.: "},
    {"~rres~", "Random responses", "Calc. Rand. Resp.: "},
};

void ShowError(const std::string& text) { Ui().MessageBox(text, "APPLICATION ERROR", MB_OK | MB_ICONERROR); }

// One cause (a full disk, a read-only folder) stops every kind and model: a
// warning of it is shown once in a run.
void WarnOnce(bool& shown, const std::string& text) {
  if (!shown) Ui().MessageBox(text, "APPLICATION WARNING", MB_OK | MB_ICONWARNING);
  shown = true;
}

std::string RecordFileFailure(const EStreamError& e) {
  return std::string(e.what()) + ". Detailed data will not be available for plotting graphs.";
}

bool AllPresent(const ValidationIteration& it) { return !it.r2.Missing && !it.q2.Missing && !it.k.Missing; }

// A step of the bar; past the maximum it starts over from the beginning, as a
// progress bar's step does (the bar stays for every kind of the run).
int SteppedPosition(int position, int step) {
  const int64_t next = static_cast<int64_t>(position) + step;
  return static_cast<int>(next > kProgressMaximum ? next - kProgressMaximum : next);
}

}  // namespace

const char* ValidationFileTag(int kind) { return kKinds[kind].tag; }

InternalValidation::InternalValidation(ExternalValidator& calculator, DataResultList* models, ChemoData* data,
                                       TempFiles* registry, ProgressWindowFactory progressWindow)
    : calculator_(calculator),
      models_(models),
      data_(data),
      registry_(registry),
      progressWindow_(std::move(progressWindow)) {
  for (int i = 0; i < data_->iObjCount; ++i)
    if (calculator_.TrainingMask()[i]) training_.push_back(i);
}

InternalValidation::~InternalValidation() = default;

int InternalValidation::LmoPredictionCount() const {
  long double percent = 0.0L;
  if (!TryStrToFloat(lmoPercentText_, percent)) return 0;
  // The product before the division keeps whole-number results exact (30 % of 120 is 36, not 35.999...).
  return static_cast<int>(std::trunc(percent * calculator_.TrainingCount() / 100.0L));
}

void InternalValidation::LmoSizeCheck() const {
  const int predictCount = LmoPredictionCount();
  if (predictCount >= 2) return;
  Ui().MessageBox("Too few prediction elements (" + std::to_string(predictCount) +
                      "). Please, choose an higher percentage or increase the training set size.",
                  "LMO WARNING", MB_OK | MB_ICONWARNING);
}

void InternalValidation::Step() {
  if (!running_) return;
  if (!busy_) busy_.emplace();  // the hourglass stays until the run ends
  if (abortRequested_ && !kindStarted_) checked_.fill(false);
  int kind = 0;
  while (kind < kValidationKindCount && !checked_[kind]) ++kind;
  if (kind == kValidationKindCount)
    EndRun();
  else
    ValidationStep(kind);
}

void InternalValidation::EndRun() {
  running_ = false;
  abortRequested_ = false;
  escapeTyped_ = false;
  kindStarted_ = false;
  current_ = nullptr;
  progress_.reset();
  busy_.reset();
  detailLossShown_ = false;
  staleShown_ = false;
  setupFailureShown_ = false;
  lmoFitShown_ = false;
}

bool InternalValidation::CheckStep(int kind, int trainingCount, int& predictCount, int& iterations) {
  if (trainingCount == 0) {
    ShowError("No training elements found!");
    return false;
  }
  if (kind == kLeaveManyOut) {
    predictCount = LmoPredictionCount();
    if (predictCount < 2) {
      Ui().MessageBox("Too few prediction elements: " + std::to_string(predictCount) + ". Cannot calculate LMO.",
                      "LMO ERROR", MB_OK | MB_ICONERROR);
      return false;
    }
  }
  if (!TryStrToInt(iterationText_[kind], iterations) || iterations < 1) {
    ShowError("Cannot achieve iteration count, aborting... ");
    return false;
  }
  return true;
}

void InternalValidation::ValidationStep(int kind) {
  int predictCount = 0;
  int iterations = 0;
  if (!CheckStep(kind, calculator_.TrainingCount(), predictCount, iterations)) {
    checked_[kind] = false;
    return;
  }
  if (!kindStarted_) StartKind(kind);
  AbortConfirmed();  // Escape between two models
  if (abortRequested_) {
    EndKind(kind);
    return;
  }
  lastProgress_ = std::chrono::steady_clock::now();
  if (current_ && Processed(*current_)) {
    working_ = training_;
    if (kind == kLeaveManyOut || kind == kYScramble) ShuffleIndexes(working_);
    MersenneTwister twister(0);
    twister.SeedFromSystem();
    if (kind == kLeaveManyOut) CheckLmoFit(*current_, predictCount);
    ValidateModel(kind, *current_, iterations, predictCount, twister);
  }
  if (current_) current_ = current_->Next();
  if (!current_ || abortRequested_) EndKind(kind);
}

void InternalValidation::StartKind(int kind) {
  kindStarted_ = true;
  current_ = models_->First();
  if (!progress_ && progressWindow_) {
    progress_ = progressWindow_(false);
    int selected = 0;
    for (DataResultNode* node = models_->First(); node; node = node->Next())
      if (node->iSelStatus == 1 || node->iSelStatus == 3) ++selected;
    progressStep_ = selected > 0 ? kProgressMaximum / selected : 0;
    progressPosition_ = 0;
    progress_->SetRange(0, kProgressMaximum);
    progress_->SetPosition(0);
    progress_->SetText("Press ESC to abort...");
  }
  detailsLost_ = false;
  validated_.clear();
  const std::string path = FilePath(kind, "");
  try {
    if (path.empty()) throw EStreamError("no registry");
    recordStream_ = std::make_unique<FileStream>(FilePath(kind, registry_->TmpExtension()), FileMode::Create);
  } catch (const EStreamError&) {
    recordStream_.reset();
    LoseDetails(
        "Cannot open temporary validation file, detailed data will not be available for plotting graphs. "
        "Please check your privileges.");
  }
}

// No fit of fewer objects than coefficients can succeed: every iteration of such
// a model fails, and the user is told why once in a run.
void InternalValidation::CheckLmoFit(const DataResultNode& model, int predictCount) {
  const int rows = static_cast<int>(training_.size()) - predictCount;
  if (lmoFitShown_ || rows > model.iSize) return;
  lmoFitShown_ = true;
  Ui().MessageBox("LMO cannot be calculated for model " + model.sName + ": leaving out " +
                      std::to_string(predictCount) + " objects leaves " + std::to_string(rows) + " to fit its " +
                      std::to_string(model.iSize + 1) + " coefficients. Please, choose a lower percentage.",
                  "LMO WARNING", MB_OK | MB_ICONWARNING);
}

std::string InternalValidation::FilePath(int kind, const std::string& extension) const {
  return registry_ ? registry_->WorkingCopyPath(kKinds[kind].tag, extension) : "";
}

bool InternalValidation::Processed(const DataResultNode& model) const {
  return calculator_.AllModels() || model.iSelStatus == 1 || model.iSelStatus == 3;
}

void InternalValidation::ValidateModel(int kind, DataResultNode& model, int iterations, int predictCount,
                                       MersenneTwister& twister) {
  const int rows = static_cast<int>(training_.size());
  const int p = model.iSize;
  Matrix X;
  Matrix y;
  std::unique_ptr<ModelIterations> calculation;
  try {
    X.Allocate(rows, p + 1);
    calculator_.BuildDesignMatrix(X, rows, p, calculator_.TrainingMask(), model.ipSelVarIdxPtr);
    y.Allocate(rows, 1);
    for (int r = 0; r < rows; ++r) y.At(r, 0) = data_->tpChemoValuePtr[training_[r]][data_->iResponseIndex].Value;
    calculation =
        std::make_unique<ModelIterations>(kind, *data_, training_, model.ipSelVarIdxPtr, p, X, y, predictCount);
  } catch (const std::exception& e) {
    SetupFailed(e.what());
    return;
  } catch (...) {
    SetupFailed("Unknown error");
    return;
  }
  if (progress_) progress_->SetCaption(std::string(kKinds[kind].name) + ": " + model.sName);

  ValidationRecord record;
  record.variables.assign(model.ipSelVarIdxPtr, model.ipSelVarIdxPtr + p);
  record.iterations.reserve(static_cast<std::size_t>(iterations));
  // An abort confirmed during the iterations leaves the model's record and cells as they were.
  if (!RunIterations(*calculation, kind, model, iterations, twister, record)) return;
  long double sumR2 = 0.0L;
  long double sumQ2 = 0.0L;
  int count = 0;
  for (const ValidationIteration& it : record.iterations)
    if (AllPresent(it)) {
      sumR2 += it.r2.Value;
      sumQ2 += it.q2.Value;
      ++count;
    }
  validated_.push_back(record.variables);
  if (recordStream_) WriteRecord(record);
  if (count > 0) {
    model.*kValidationMeanR2[kind] = IfFinite(sumR2 / count);
    model.*kValidationMeanQ2[kind] = IfFinite(sumQ2 / count);
  }
  if (progress_) {
    progressPosition_ = SteppedPosition(progressPosition_, progressStep_);
    progress_->SetPosition(progressPosition_);
  }
}

// Block by block: the block's random data drawn here in iteration order, its refits
// on the worker threads, while this thread shows the progress and polls Escape
// between its pieces of the work.
bool InternalValidation::RunIterations(ModelIterations& calculation, int kind, const DataResultNode& model,
                                       int iterations, MersenneTwister& twister, ValidationRecord& record) {
  const int block = calculation.BlockSize();
  std::vector<IterationDraw> draws;
  std::vector<ValidationIteration> results;
  for (int first = 0; first < iterations; first += block) {
    draws.resize(static_cast<std::size_t>(std::min(block, iterations - first)));
    for (IterationDraw& draw : draws) calculation.Draw(working_, twister, draw);
    const bool finished = calculation.Run(draws, results, [&](int done) {
      ShowProgress(kind, first + done, iterations, model);
      return !AbortConfirmed();
    });
    if (!finished) return false;
    record.iterations.insert(record.iterations.end(), results.begin(), results.end());
  }
  return true;
}

// A record file that failed a write may hold part of a record: it is given up.
void InternalValidation::WriteRecord(const ValidationRecord& record) {
  try {
    WriteValidationRecord(*recordStream_, record);
  } catch (const EStreamError& e) {
    recordStream_.reset();
    LoseDetails(RecordFileFailure(e));
  }
}

void InternalValidation::LoseDetails(const std::string& text) {
  detailsLost_ = true;
  WarnOnce(detailLossShown_, text);
}

void InternalValidation::SetupFailed(const std::string& text) { WarnOnce(setupFailureShown_, text); }

void InternalValidation::ShowProgress(int kind, int iteration, int iterations, const DataResultNode& model) {
  const auto now = std::chrono::steady_clock::now();
  if (!progress_ || now - lastProgress_ <= kProgressInterval) return;
  lastProgress_ = now;
  const int percent = static_cast<int>(std::trunc(static_cast<long double>(iteration) / iterations * 100.0L));
  progress_->SetCaption(std::string(kKinds[kind].progressPrefix) + "done " + std::to_string(percent) +
                        "% model: " + model.sName);
  const auto share = static_cast<int>(static_cast<int64_t>(progressStep_) * iteration / iterations);
  progress_->SetPosition(SteppedPosition(progressPosition_, share));
}

// Asks when Escape went down or reached the window; Yes requests the abort.
bool InternalValidation::AbortConfirmed() {
  const bool typed = std::exchange(escapeTyped_, false);
  if (!(typed || Ui().EscapePressed())) return false;
  if (Ui().MessageBox("Do you really want to abort calculation?", "APPLICATION WARNING",
                      MB_YESNO | MB_ICONQUESTION) != IDYES)
    return false;
  abortRequested_ = true;
  if (progress_) progress_->SetText("Please wait until calculations for this model are completed...");
  return true;
}

void InternalValidation::EndKind(int kind) {
  kindStarted_ = false;
  current_ = nullptr;
  const std::string path = FilePath(kind, "");
  if (!path.empty()) StoreRecords(kind, path);
  checked_[kind] = false;
  if (abortRequested_) checked_.fill(false);
}

// Merges the kind's records into its validation file. Where they cannot all get
// there, the old records of the models done go too, so that no plot shows an
// earlier run as the current one; old records that cannot go are marked out of
// date, and the other models' records stay. A file whose records are all out of
// date goes before the merge; while it stays, no record of it is current. The
// record file never stays behind.
void InternalValidation::StoreRecords(int kind, const std::string& path) {
  const std::string recordPath = FilePath(kind, registry_->TmpExtension());
  const char* tag = kKinds[kind].tag;
  if (recordStream_) {
    try {
      recordStream_->Close();
    } catch (const EStreamError& e) {
      LoseDetails(RecordFileFailure(e));
    }
    recordStream_.reset();
    if (!detailsLost_)
      detailsLost_ = !registry_->DeleteWhollyStaleFile(tag) ||
                     !MergeValidationFiles(path, recordPath, FilePath(kind, registry_->OutExtension()));
  }
  StaleRecords& stale = registry_->Stale(tag);
  if (!stale.All() && (!detailsLost_ || RemoveValidationRecords(path, validated_))) {
    stale.Unmark(validated_);
  } else if (!validated_.empty()) {
    stale.Mark(validated_);
    WarnOnce(staleShown_,
             "Cannot remove the earlier validation records of the models validated: their validation plots will "
             "not be available. Please check your privileges.");
  }
  DeleteFile(recordPath);
}
