// Hand-built data sets and models for the validation tests.
#pragma once

#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "data/ChemoData.h"
#include "data/DataResult.h"
#include "numerics/Matrix.h"
#include "numerics/Utils.h"
#include "platform/base/UiServices.h"
#include "select/ModelSearchEngine.h"

namespace validationtest {

struct TestObject {
  int status;                    // 0 excluded, 1 training, 2 prediction
  std::vector<long double> x;    // descriptor values
  std::optional<long double> y;  // the response; none: missing
};

// Descriptors "D0".."Dn-1", the response "Y" last; objects named "O0", "O1", ...
inline std::unique_ptr<ChemoData> MakeData(const std::vector<TestObject>& objects) {
  const int nDesc = static_cast<int>(objects.front().x.size());
  auto data = std::make_unique<ChemoData>(nDesc + 1, static_cast<int>(objects.size()), nDesc);
  for (int v = 0; v < nDesc; ++v) data->tpVarNameStrPtr[v] = "D" + std::to_string(v);
  data->tpVarNameStrPtr[nDesc] = "Y";
  for (int i = 0; i < data->iObjCount; ++i) {
    const TestObject& object = objects[i];
    data->tpObjNameStrPtr[i] = "O" + std::to_string(i);
    data->ipTrainingPtr[i] = object.status;
    for (int v = 0; v < nDesc; ++v) data->tpChemoValuePtr[i][v] = CheckedValue(object.x[v], false);
    data->tpChemoValuePtr[i][nDesc] = object.y ? CheckedValue(*object.y, false) : CheckedValue(0.0L, true);
  }
  return data;
}

// Appends a model of the given variables and coefficients (intercept first) in
// selection state `state`; its arrays are allocated, its cells reset.
inline DataResultNode& AddModel(DataResultList& list, const std::vector<int>& variables,
                                const std::vector<long double>& coefficients, int state = 1) {
  DataResultNode& node = *list.Append();
  node.iSelStatus = state;
  node.iSize = static_cast<int>(variables.size());
  AllocCheckedArray(node.ipSelVarIdxPtr, node.iSize, "*ipSelVarIdxPtr");
  for (int j = 0; j < node.iSize; ++j) node.ipSelVarIdxPtr[j] = variables[j];
  for (long double** array :
       {&node.ldpBModelCoeffPtr, &node.ldpBStdCoeffPtr, &node.ldpBIntConfPtr, &node.ldpBSignifPtr, &node.ldpBStdErrPtr})
    AllocCheckedArray(*array, node.iSize + 1, "*array");
  for (int j = 0; j <= node.iSize; ++j) node.ldpBModelCoeffPtr[j] = coefficients[j];
  return node;
}

// Fits the model of the given variables on the training objects with the hidden
// search engine, as the program's callers do, and returns it (last in the list).
inline DataResultNode& FitByEngine(ChemoData& data, DataResultList& list, const std::vector<int>& variables) {
  const int nDesc = data.iResponseIndex;
  delete[] data.ipSelectedVarPtr;  // a second model of the same data set
  AllocCheckedArray(data.ipSelectedVarPtr, nDesc, "*ipSelectedVarPtr");
  for (int v = 0; v < nDesc; ++v) data.ipSelectedVarPtr[v] = v;
  data.iSelectedVarCount = data.iEnumSize = nDesc;
  data.iKeepPerSize = -1;
  ModelSearchEngine engine(ModelSearchEngine::ModeAllSubsets, &list, &data);
  std::vector<uint8_t> training(data.iObjCount), prediction(data.iObjCount);
  engine.BuildObjectMasks(prediction.data(), training.data(), nullptr);
  auto responses = [&data, nDesc](const std::vector<uint8_t>& mask) {
    Matrix y(std::max(1, static_cast<int>(std::count(mask.begin(), mask.end(), 1))), 1);
    for (int i = 0, row = 0; i < data.iObjCount; ++i)
      if (mask[i]) y.At(row++, 0) = data.tpChemoValuePtr[i][nDesc].Value;
    return y;
  };
  const Matrix yTrain = responses(training), yPred = responses(prediction);
  std::vector<int> buffer(variables);
  int64_t visited = 0;
  const int k = static_cast<int>(variables.size());
  engine.EnumerateSubsets(buffer.data(), visited, 0, 0, k, k);
  engine.SetEngineInputs(static_cast<int>(std::count(training.begin(), training.end(), 1)),
                         static_cast<int>(std::count(prediction.begin(), prediction.end(), 1)), training.data(),
                         prediction.data(), &yTrain, &yPred);
  while (engine.CalculateModelBatch()) {
  }
  engine.ClearSubsetStack();
  return *list.Last();
}

// The progress window of a run as a record of what it was told.
struct RecordedProgress : Progress {
  explicit RecordedProgress(std::vector<std::string>& log) : log(log) {}
  ~RecordedProgress() override { log.push_back("closed"); }
  void SetText(const std::string& text) override { log.push_back("text " + text); }
  void SetRange(int lo, int hi) override { log.push_back("range " + std::to_string(lo) + " " + std::to_string(hi)); }
  void SetPosition(int pos) override { log.push_back("position " + std::to_string(pos)); }
  void AnimationTick() override {}
  void SetCaption(const std::string& caption) override { log.push_back("caption " + caption); }
  std::vector<std::string>& log;
};

}  // namespace validationtest
