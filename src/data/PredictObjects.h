// Observed and predicted responses of every object of a data set for one model.
#pragma once

#include <cstdint>

#include "numerics/CheckedValue.h"
#include "numerics/ProgressStepper.h"

class ChemoData;
class DataResultNode;

// One pass over the objects in data-set order; each array has one row of two
// cells (X, Y) per object:
// - calculated: observed response and model-equation value;
// - predicted: observed response and the prediction (the model's stored
//   leave-one-out prediction for a training object, the equation value for a
//   prediction object);
// - equation: only Y is used, the model-equation value.
// Training and prediction objects fill all three; an object in neither mask
// whose response is missing and whose model variables are all present gets only
// the equation values; every other cell is missing. The progress bar, when
// given, steps once per object.
void PredictObjects(const ChemoData& data, const uint8_t* trainingMask, const uint8_t* predictionMask,
                    const DataResultNode& model, CheckedValue** calculated, CheckedValue** predicted,
                    CheckedValue** equation, ProgressStepper* progress);
