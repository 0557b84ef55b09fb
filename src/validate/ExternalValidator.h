// The external validation calculator: judges every model of a model list on the
// prediction (test) objects of the data set (Q2-F1, Q2-F2, Q2-F3, the regressions
// of observed on predicted responses with and without intercept, r2m, Clos, CCC ext,
// R2ext) and counts the external criteria each model meets against the data set's
// six thresholds. The validation window owns one; callers that only calculate
// construct it directly:
//   construct; call the operations (or use the masks and BuildDesignMatrix); destroy.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/base/UiServices.h"

struct CheckedValue;
class ChemoData;
class DataResultList;
class DataResultNode;
class Matrix;

class ExternalValidator {
public:
  // allModels: every model of the list is processed; otherwise only the selected
  // ones (selection state 1 or 3). Neither the list nor the data set is owned.
  // Builds the test mask (status 2 with a response) and the training mask (status
  // 1 with a response) with the data set's BuildObjectMasks. The progress
  // windows of the operations come from progressWindow (none when it is empty).
  ExternalValidator(bool allModels, DataResultList* models, ChemoData* data, ProgressWindowFactory progressWindow = {});
  ~ExternalValidator();
  ExternalValidator(const ExternalValidator&) = delete;
  ExternalValidator& operator=(const ExternalValidator&) = delete;

  // The whole external validation: CalcExternalQ2Fn and CalcExternalCCC with
  // progress, CalcExternalRegressionParams, then CountExternalCriteria when the
  // all-models flag is off. Each step runs whatever the one before did.
  void ValidateExternal();
  // Q2-F1, Q2-F2, Q2-F3, external R2, R2o, R'2o, k, k', r2m aver., r2m delta, Clos,
  // Clos' of every processed model of list. False when the user aborted with Escape.
  bool CalcExternalQ2Fn(DataResultList* list, bool showProgress);
  // CCC ext of every processed model of list. False when the user aborted.
  bool CalcExternalCCC(DataResultList* list, bool showProgress);
  // R2ext (squared Pearson r of observed and predicted) of every processed model.
  void CalcExternalRegressionParams();
  // "N. ext. OK" of every selected model (state 1 or 3), whatever the all-models flag.
  void CountExternalCriteria();

  // Fills X (rows x (p + 1)): column 0 is 1.0; row r, column j holds variable
  // variableIndices[j - 1] of the r-th object whose mask entry is set. More set
  // entries than rows make X's bound check throw.
  void BuildDesignMatrix(Matrix& X, int rows, int p, const uint8_t* mask, const int32_t* variableIndices) const;

  // One byte per data-set object.
  const uint8_t* TestMask() const { return testMask_.get(); }
  const uint8_t* TrainingMask() const { return trainingMask_.get(); }
  int TestCount() const { return testCount_; }
  int TrainingCount() const { return trainingCount_; }
  bool AllModels() const { return allModels_; }

private:
  bool Processed(const DataResultNode& model) const;
  // Polls Escape and, when pressed, asks whether to abort: true on Yes.
  bool AbortRequested() const;
  void ValidateQ2Fn(DataResultNode& model, const Matrix& trainingY, const Matrix& testY, long double trainingMean,
                    long double testMean) const;
  void ValidateCCC(DataResultNode& model, long double testMean) const;

  ChemoData* data_;
  DataResultList* models_;
  bool allModels_;
  ProgressWindowFactory progressWindow_;
  std::unique_ptr<uint8_t[]> testMask_;      // "*bpTempTestPtr"
  std::unique_ptr<uint8_t[]> trainingMask_;  // "*bpTempTrainingPtr"
  int testCount_ = 0;
  int trainingCount_ = 0;
};

// b0 + sum of b_j x_var(j) of the model on one value row, term by term from b0;
// an overflow raises EOverflow.
long double ModelEquationValue(const DataResultNode& model, const CheckedValue* row);
