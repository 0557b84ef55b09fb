// The full statistics that the model list's commands need of single models,
// over the data set's training and prediction objects: the confidence
// intervals of the coefficients (for the interval filter) and the outlier
// counts of one model (leverage above h*, standardized residuals beyond a
// threshold), which also tally each counted object in a per-object matrix.
#pragma once

#include <memory>

#include "numerics/CheckedValue.h"

class ChemoData;
class DataResultList;
class DataResultNode;
class ExternalValidator;

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

private:
  ChemoData* data_;
  std::unique_ptr<DataResultList> list_;
  std::unique_ptr<ExternalValidator> validator_;
};
