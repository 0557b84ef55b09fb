// The full statistics that the model list's commands need of single models,
// over the data set's training and prediction objects: the confidence
// intervals of the coefficients (for the interval filter) and the outlier
// counts of one model (leverage above h*, standardized residuals beyond a
// threshold), which also tally each counted object in a per-object matrix.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "numerics/CheckedValue.h"

class ChemoData;
class DataResultList;
class DataResultNode;
class ExternalValidator;

// One model's outlier counts, not yet written anywhere: the six counts of the
// model and, per object of the data set, the flags of the columns it counts in.
struct ModelOutlierCounts {
  enum ObjectFlag : uint8_t { kLeverage = 1, kEquation = 2, kLoo = 4, kNoCounts = 8 };
  std::vector<uint8_t> objects;
  int outAD = 0, xOutliers = 0, underEquation = 0, overEquation = 0, underLoo = 0, overLoo = 0;

  // Writes the six counts into the model's cells and adds each object's flags to
  // its cells of the matrix columns; an object without counts gets all three missing.
  void Apply(CheckedIntMatrix& counts, DataResultNode& model, int leverageCol, int equationCol, int looCol) const;
};

class ModelListStatistics {
public:
  // A temporary empty model list on data and a hidden external-validation
  // calculator on it (all models); its masks are the training and prediction
  // objects. Throws when they cannot be made.
  explicit ModelListStatistics(ChemoData* data);
  ~ModelListStatistics();
  ModelListStatistics(const ModelListStatistics&) = delete;
  ModelListStatistics& operator=(const ModelListStatistics&) = delete;

  // Standard errors, confidence half-widths and p-values of the model's coefficients.
  void ComputeIntervals(DataResultNode& model);

  // Resets the model's six count cells and counts, for threshold t: the objects
  // with leverage above h* ("N. out AD"; "N. X-outl." for those that are training
  // or prediction objects), and the objects whose model-equation or leave-one-out
  // standardized residual r has t < |r|, by its sign. Each counted object adds
  // one to its cell in the leverage, equation or LOO column of counts; the three
  // cells of an object without a response or excluded become missing.
  void RecalculateExternalColumns(CheckedIntMatrix& counts, DataResultNode& model, int leverageCol,
                                  int equationCol, int looCol, long double t);
  // The same counts, returned: several threads may count different models at once.
  ModelOutlierCounts CountOutliers(DataResultNode& model, long double t) const;

private:
  ChemoData* data_;
  std::unique_ptr<DataResultList> list_;
  std::unique_ptr<ExternalValidator> validator_;
};
