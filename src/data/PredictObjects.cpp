#include "data/PredictObjects.h"

#include "data/ChemoData.h"
#include "data/DataResult.h"
#include "numerics/Utils.h"

namespace {

bool ModelVariablesPresent(const CheckedValue* row, const DataResultNode& model) {
  for (int j = 0; j < model.iSize; ++j)
    if (row[model.ipSelVarIdxPtr[j]].Missing) return false;
  return true;
}

// b0 + sum of b_j x_var(j), term by term from b0; an overflow raises.
long double EquationValue(const CheckedValue* row, const DataResultNode& model) {
  long double value = model.ldpBModelCoeffPtr[0];
  for (int j = 0; j < model.iSize; ++j) value += model.ldpBModelCoeffPtr[j + 1] * row[model.ipSelVarIdxPtr[j]].Value;
  return Finite(value);
}

}  // namespace

void PredictObjects(const ChemoData& data, const uint8_t* trainingMask, const uint8_t* predictionMask,
                    const DataResultNode& model, CheckedValue** calculated, CheckedValue** predicted,
                    CheckedValue** equation, ProgressStepper* progress) {
  int trainingIndex = 0;
  for (int i = 0; i < data.iObjCount; ++i) {
    for (int c = 0; c < 2; ++c) {
      calculated[i][c].InitMissing();
      predicted[i][c].InitMissing();
      equation[i][c].InitMissing();
    }
    const CheckedValue* row = data.tpChemoValuePtr[i];
    // A data set without a response column has no object with a response.
    const bool hasResponse = data.iResponseIndex >= 0 && !row[data.iResponseIndex].Missing;
    const bool training = trainingMask[i] != 0;
    if (training || predictionMask[i] != 0) {
      const long double yhat = EquationValue(row, model);
      calculated[i][0] = predicted[i][0] = CheckedValue(row[data.iResponseIndex].Value, false);
      calculated[i][1] = equation[i][1] = CheckedValue(yhat, false);
      if (!training) {
        predicted[i][1] = CheckedValue(yhat, false);
      } else if (model.ldpTrainYCapPtr != nullptr && trainingIndex < model.iTrainCount) {
        // A model with fewer stored predictions than training objects leaves the rest missing.
        predicted[i][1] = CheckedValue(model.ldpTrainYCapPtr[trainingIndex++], false);
      }
    } else if (!hasResponse && ModelVariablesPresent(row, model)) {
      const long double yhat = EquationValue(row, model);
      calculated[i][1] = equation[i][1] = CheckedValue(yhat, false);
    }
    if (progress != nullptr) progress->Step();
  }
}
