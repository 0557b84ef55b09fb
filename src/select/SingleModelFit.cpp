#include "select/SingleModelFit.h"

#include <algorithm>
#include <numeric>

#include "data/ChemoData.h"
#include "data/DataResult.h"
#include "numerics/Matrix.h"
#include "numerics/Utils.h"
#include "platform/base/UiServices.h"
#include "select/ModelSearchEngine.h"

namespace {

void ShowError(const char* text, const char* caption) { Ui().MessageBox(text, caption, MB_OK | MB_ICONERROR); }

// The responses of the masked objects in object order (one row at least, for the engine's shape).
Matrix Responses(const ChemoData& data, const std::vector<uint8_t>& mask, int count) {
  Matrix y(std::max(1, count), 1);
  for (int i = 0, row = 0; i < data.iObjCount; ++i)
    if (mask[i]) y.At(row++, 0) = data.tpChemoValuePtr[i][data.iResponseIndex].Value;
  return y;
}

bool AnyMissing(const ChemoData& data) {
  for (int j = 0; j < data.iSelectedVarCount; ++j)
    for (int i = 0; i < data.iObjCount; ++i)
      if (data.tpChemoValuePtr[i][data.ipSelectedVarPtr[j]].Missing) return true;
  return false;
}

std::vector<int32_t> Copy(const int32_t* values, int count) {
  return values != nullptr && count > 0 ? std::vector<int32_t>(values, values + count) : std::vector<int32_t>{};
}

// Replaces an int array by a fresh one holding values.
void Refill(int32_t*& array, const std::vector<int32_t>& values, const char* name) {
  int32_t* fresh = nullptr;
  AllocCheckedArray(fresh, static_cast<int>(values.size()), name);
  std::copy(values.begin(), values.end(), fresh);
  delete[] array;
  array = fresh;
}

}  // namespace

SingleModelFitResult FitSingleModel(DataResultList& models, ChemoData& data, bool checkMissingData) {
  ModelSearchEngine engine(ModelSearchEngine::ModeAllSubsets, &models, &data);
  const int n = data.iObjCount;
  std::vector<uint8_t> training(n), prediction(n);
  engine.BuildObjectMasks(prediction.data(), training.data(), nullptr);
  const int nTrain = static_cast<int>(std::count(training.begin(), training.end(), 1));
  const int nPred = static_cast<int>(std::count(prediction.begin(), prediction.end(), 1));
  if (nTrain == 0) {
    ShowError("Zero rows matrix, cannot continue", "APPLICATION ERROR");
    throw SingleModelFitFailed{};
  }
  const Matrix yTrain = Responses(data, training, nTrain);
  const Matrix yPred = Responses(data, prediction, nPred);
  const int k = data.iSelectedVarCount;
  std::vector<int> buffer(k);
  std::iota(buffer.begin(), buffer.end(), 0);
  if (checkMissingData && AnyMissing(data)) {
    ShowError("Cannot calculate a model with missing data", "USER DATA INPUT ERROR");
    return {nullptr, true};
  }
  engine.SetEngineInputs(nTrain, nPred, training.data(), prediction.data(), &yTrain, nPred > 0 ? &yPred : nullptr);
  int64_t visited = 0;
  const int before = models.Count();
  engine.EnumerateSubsets(buffer.data(), visited, 0, 0, k, k);
  while (engine.CalculateModelBatch()) {
  }
  engine.ClearSubsetStack();
  if (models.Count() == before) throw SingleModelFitFailed{};
  return {models.Last(), false};
}

DataSetupLoan::DataSetupLoan(ChemoData& data, const std::vector<int32_t>& variables, int32_t response,
                             const std::vector<int32_t>& statuses)
    : data_(data),
      variables_(variables),
      statuses_(statuses),
      response_(response),
      savedSelected_(Copy(data.ipSelectedVarPtr, data.iSelectedVarCount)),
      savedSplit_(Copy(data.ipSelectedSplitPtr, data.iSelectedSplitCount)),
      savedStatuses_(Copy(data.ipTrainingPtr, data.iObjCount)),
      savedResponse_(data.iResponseIndex),
      savedNextModelID_(data.iNextModelID) {}

void DataSetupLoan::Apply() {
  Refill(data_.ipSelectedVarPtr, variables_, "*ipSelectedVarPtr");
  data_.iSelectedVarCount = static_cast<int32_t>(variables_.size());
  data_.iResponseIndex = response_;
  std::copy_n(statuses_.begin(), std::min<std::size_t>(statuses_.size(), data_.iObjCount), data_.ipTrainingPtr);
}

DataSetupLoan::~DataSetupLoan() {
  try {
    Refill(data_.ipSelectedVarPtr, savedSelected_, "*tpChemoData->ipSelectedVarPtr");
    data_.iSelectedVarCount = static_cast<int32_t>(savedSelected_.size());
    Refill(data_.ipSelectedSplitPtr, savedSplit_, "*tpChemoData->ipSelectedSplitPtr");
    data_.iSelectedSplitCount = static_cast<int32_t>(savedSplit_.size());
    data_.iResponseIndex = savedResponse_;
    data_.iNextModelID = savedNextModelID_;
    std::copy(savedStatuses_.begin(), savedStatuses_.end(), data_.ipTrainingPtr);
  } catch (...) {
    // Out of memory while putting back: the data set keeps the working set-up.
  }
}
