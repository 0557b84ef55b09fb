#include "models/ModelFilters.h"

#include <cmath>

#include "data/DataResult.h"

namespace {

bool IntervalsComputed(const DataResultNode& model) {
  return model.ldpBSignifPtr != nullptr && !(model.ldpBSignifPtr[0] < -0.5L);
}

int32_t RejectedState(int32_t state) { return state == 3 || state == 2 ? 2 : 0; }

}  // namespace

bool RejectedByQuik(const DataResultNode& model, long double delta) {
  return model.cvKxy.Value - model.cvKxx.Value < delta;
}

bool RejectedByConfidence(const DataResultNode& model, long double factor) {
  if (model.ldpBModelCoeffPtr == nullptr || model.ldpBIntConfPtr == nullptr) return true;
  for (int j = 0; j <= model.iSize; ++j) {
    const long double b = model.ldpBModelCoeffPtr[j];
    const long double halfWidth = model.ldpBIntConfPtr[j];
    if (b == 0.0L || halfWidth == -1.0L) return true;
    const long double relative = std::fabs(halfWidth / b);
    if (!std::isfinite(relative) || factor <= relative) return true;
  }
  return false;
}

bool ApplyModelFilters(const std::vector<DataResultNode*>& models, const ModelFilterChoice& choice,
                       const std::function<void(DataResultNode&)>& computeIntervals, Progress* progress) {
  bool allComputed = true;
  for (DataResultNode* model : models) {
    bool rejected = choice.quikDelta && RejectedByQuik(*model, *choice.quikDelta);
    bool decided = true;
    if (choice.ciFactor) {
      try {
        if (!IntervalsComputed(*model)) computeIntervals(*model);
        rejected = RejectedByConfidence(*model, *choice.ciFactor) || rejected;
      } catch (...) {
        allComputed = false;
        decided = false;
      }
    }
    if (decided) {
      if (rejected) {
        model->iSelStatus = RejectedState(model->iSelStatus);
      } else if (!choice.ciFactor && (model->iSelStatus == 0 || model->iSelStatus == 2)) {
        model->iSelStatus = 3;
      }
    }
    if (progress != nullptr) progress->AnimationTick();
  }
  return allComputed;
}
