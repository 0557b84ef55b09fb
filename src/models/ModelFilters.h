// The QUIK rule and the confidence-interval filter of the model list: each
// model is kept or rejected, and its selection state follows.
#pragma once

#include <functional>
#include <optional>
#include <vector>

#include "platform/base/UiServices.h"

class DataResultNode;

// Rejected when Kxy - Kxx < delta (stored numbers, whatever their flags).
bool RejectedByQuik(const DataResultNode& model, long double delta);
// Rejected when factor <= |CI95_j / b_j| for a coefficient j (intercept
// included), when a coefficient is 0 (its relative interval has no bound) or
// when a half-width could not be computed (-1). A model without intervals is
// rejected.
bool RejectedByConfidence(const DataResultNode& model, long double factor);

struct ModelFilterChoice {
  std::optional<long double> quikDelta;  // none: "None"
  std::optional<long double> ciFactor;   // none: "None"
};

// Runs both filters over the models in order. A rejected model gets state 2 when
// it was in state 3 or 2, else 0. Without the CI filter a model the QUIK rule
// keeps goes from state 0 or 2 to 3; with it, a kept model keeps its state.
// computeIntervals gives a model whose intervals are not computed yet (first
// significance below -0.5) its full statistics; when it throws, the model keeps
// its state and the walk goes on. Returns false when a calculation failed.
bool ApplyModelFilters(const std::vector<DataResultNode*>& models, const ModelFilterChoice& choice,
                       const std::function<void(DataResultNode&)>& computeIntervals, Progress* progress);
