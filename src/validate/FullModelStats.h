// The full statistics of one model: standard errors, standardized coefficients,
// 95% confidence half-widths and p-values of the coefficients, the leverages of the
// training, test and response-less objects with their h* flags, and per object the
// residuals, standardized residuals and leverage coordinates that the single-model
// window shows.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "numerics/CheckedValue.h"
#include "numerics/ProgressStepper.h"

class ChemoData;
class DataResultNode;
class ExternalValidator;

// One byte per data-set object. training: status 1 with a response; test: status 2
// with a response (as BuildObjectMasks makes them); unknown: an object in neither
// whose response is missing and whose model variables are all present.
struct ModelObjectMasks {
  const uint8_t* training = nullptr;
  const uint8_t* test = nullptr;
  const uint8_t* unknown = nullptr;
};

// Per-object rows of two cells (X, Y), one row per data-set object, owned by the
// caller. The first two are inputs filled by PredictObjects; the others are
// written here (of leverage only X). All null in statistics-only mode.
struct ModelPointRows {
  CheckedValue** expCalc = nullptr;     // experimental / model-equation value
  CheckedValue** expPred = nullptr;     // experimental / prediction
  CheckedValue** stdResCalc = nullptr;  // leverage / standardized residual of the equation value
  CheckedValue** stdResPred = nullptr;  // leverage / standardized residual of the prediction
  CheckedValue** resCalc = nullptr;     // experimental / equation value minus experimental
  CheckedValue** resPred = nullptr;     // experimental / prediction minus experimental
  CheckedValue** leverage = nullptr;    // leverage / (equation value, from PredictObjects)
};

// Completes model on data:
// - statistics (when statisticsOnly is set, or the model holds no training
//   leverages for this call's training objects): standard errors (entries 0..p,
//   from the model's "s"), standardized coefficients (1..p; entry 0 untouched),
//   confidence half-widths and p-values (0..p); an entry with no finite value is
//   -1.0, and a p-value that cannot be computed is -1.0. statisticsOnly ends here.
// - the training leverages (same condition) and the test and unknown leverages
//   (when the model holds none for this call's test and unknown objects), each
//   with its h* flags (leverage > the model's h*);
// - per object the rows of points, the h* entry of hStar and, for every object in a
//   mask that gets no standardized residual, its name and one blank appended to
//   noResidualNames.
// hStar receives a new array of one entry per object ("*bprHStarPtr"), also in
// statistics-only mode (all 0 then). unknownCount must equal the number of set
// entries of masks.unknown (a mismatch throws Exception). progress, when given,
// steps once per object of the per-object pass.
// A singular X'X throws MatrixSingularEx before anything computed from it is
// written; other matrix failures pass as MatrixEx, allocation failures as
// DataNoMemoryEx / DataBadAllocEx. What was written before a failure stays.
void FullModelStats(const ChemoData& data, const ModelObjectMasks& masks, int unknownCount,
                    std::unique_ptr<bool[]>& hStar, const ModelPointRows& rows, DataResultNode& model,
                    std::string& noResidualNames, const ExternalValidator& builder, ProgressStepper* progress,
                    bool statisticsOnly);
