// The internal validation of a model list: leave-many-out, Y-scrambling, random
// descriptors and random responses, each repeated N times per selected model. A run
// goes one model per Step (the window calls it from the idle event), works on the
// first checked kind, stores the means into the model's cells and the iterations
// into the kind's validation file, and unchecks a kind when its list is done.
// Random numbers come from a fresh twister seeded through the class library's
// generator at every shuffle and every step, so a fixed clock repeats a run; they
// are drawn on the calling thread, while the refits run on the worker threads.
#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/base/UiServices.h"
#include "data/ValidationFiles.h"
#include "validate/ValidationIterations.h"

class ChemoData;
class DataResultList;
class DataResultNode;
class ExternalValidator;
class FileStream;
class Matrix;
class MersenneTwister;
class TempFiles;

// The registered base name of each kind's validation file.
const char* ValidationFileTag(int kind);

class InternalValidation {
public:
  // The calculator supplies the training mask, the all-models flag and the design
  // matrix; nothing is owned. registry may be null (no files are written then).
  InternalValidation(ExternalValidator& calculator, DataResultList* models, ChemoData* data, TempFiles* registry,
                     ProgressWindowFactory progressWindow = {});
  ~InternalValidation();
  InternalValidation(const InternalValidation&) = delete;
  InternalValidation& operator=(const InternalValidation&) = delete;

  // The settings the window's controls hold; read at every step.
  bool Checked(int kind) const { return checked_[kind]; }
  void SetChecked(int kind, bool checked) { checked_[kind] = checked; }
  void SetIterationText(int kind, const std::string& text) { iterationText_[kind] = text; }
  void SetLmoPercentText(const std::string& text) { lmoPercentText_ = text; }

  // trunc(percent x training count / 100).
  int LmoPredictionCount() const;
  // Warns when fewer than 2 objects would be left out.
  void LmoSizeCheck() const;

  void Start() { running_ = true; }
  bool Running() const { return running_; }
  // Finishes the current model, merges its kind's file and unchecks every kind.
  void RequestAbort() { abortRequested_ = true; }
  // Escape that reached the window between two polls: the next Escape poll asks.
  // Yes stops the current model at once, leaving its record and cells as they were.
  void EscapeTyped() { escapeTyped_ = true; }
  // One idle call: one model of the first checked kind, or the end of the run.
  void Step();

private:
  void EndRun();
  void ValidationStep(int kind);
  bool CheckStep(int kind, int trainingCount, int& predictCount, int& iterations);
  void StartKind(int kind);
  void CheckLmoFit(const DataResultNode& model, int predictCount);
  void ValidateModel(int kind, DataResultNode& model, int iterations, int predictCount, MersenneTwister& twister);
  void WriteRecord(const ValidationRecord& record);
  void LoseDetails(const std::string& text);
  void StoreRecords(int kind, const std::string& path);
  bool RunIterations(ModelIterations& calculation, int kind, const DataResultNode& model, int iterations,
                     MersenneTwister& twister, ValidationRecord& record);
  void SetupFailed(const std::string& text);
  void ShowProgress(int kind, int iteration, int iterations, const DataResultNode& model);
  bool AbortConfirmed();
  void EndKind(int kind);
  std::string FilePath(int kind, const std::string& extension) const;
  bool Processed(const DataResultNode& model) const;

  ExternalValidator& calculator_;
  DataResultList* models_;
  ChemoData* data_;
  TempFiles* registry_;
  ProgressWindowFactory progressWindow_;

  std::array<bool, kValidationKindCount> checked_{true, true, false, false};
  std::array<std::string, kValidationKindCount> iterationText_{"2000", "2000", "2000", "2000"};
  std::string lmoPercentText_ = "30";

  bool running_ = false;
  bool abortRequested_ = false;
  bool escapeTyped_ = false;
  bool kindStarted_ = false;
  DataResultNode* current_ = nullptr;
  std::unique_ptr<FileStream> recordStream_;
  bool detailsLost_ = false;  // some record of the kind cannot reach its validation file
  std::vector<std::vector<int32_t>> validated_;  // the variable sets of the kind's models done
  bool detailLossShown_ = false;
  bool staleShown_ = false;  // some old record of the run could neither be replaced nor removed
  bool setupFailureShown_ = false;
  bool lmoFitShown_ = false;
  std::unique_ptr<Progress> progress_;
  std::optional<BusyCursor> busy_;
  int progressStep_ = 0;
  int progressPosition_ = 0;
  std::chrono::steady_clock::time_point lastProgress_;
  std::vector<int> training_;  // the training objects in object order
  std::vector<int> working_;   // the shuffled copy of LMO and Y-scrambling
};
