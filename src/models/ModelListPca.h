// Principal component analyses over the selected models of the list: of the
// models' standardized residuals (the models are the variables), and the
// two-stage analysis of their descriptors (each model reduced to the scores of
// its own first component, then the PCA of those score columns).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "numerics/CorrelationPca.h"

class ChemoData;
class DataResultList;
class DataResultNode;

// Training and prediction objects with a response, in data-set order.
std::vector<int32_t> IncludedObjects(const ChemoData& data);

// The most memory the analysis of m columns of n rows holds at once, in bytes:
// the matrix and its scores (2nm values), the correlation matrix with its
// missing flags and the eigenvectors (about 2m^2 values), 16 bytes a value.
uint64_t CorrelationPcaBytes(int64_t n, int64_t m);
// The most columns of n rows whose analysis fits in memory bytes.
int64_t MaxCorrelationPcaColumns(int64_t n, uint64_t memory);
// Why the analysis of `models` models over n objects cannot be made in the
// memory bytes available, with how many models it can take; empty when it fits.
std::string PcaMemoryRefusal(int64_t n, int64_t models, uint64_t memory);

enum class ModelPcaOutcome {
  Done,
  Aborted,           // the per-model hook or the decomposition's poll asked to stop
  ResidualsFailed,   // "Cannot calculate PCA, please check your data."
  FirstStageFailed,  // "Sorry, cannot calculate PCA. Please, check your data."
  SecondStageFailed  // "Cannot calculate PCA of first axis, please check your data."
};

// The message of a failed outcome (empty for Done and Aborted).
std::string ModelPcaFailureText(ModelPcaOutcome outcome);

struct ModelListPcaResult {
  ModelPcaOutcome outcome = ModelPcaOutcome::Done;
  Matrix scores;               // the analysed matrix, replaced by its scores
  PcaComponents components;
  std::vector<std::string> ids;      // the selected models' identifiers, list order
  std::vector<std::string> names;    // point names: variables texts, or object names
  std::vector<std::string> numbers;  // point numbers: ranks, or object indices from 0
};

// Column t of R: each included object's standardized residual in the model,
// (b0 + sum b_k x(i, k) - y_i) / (s sqrt(1 - h)), h its training or test
// leverage taken in turn, 0 where 1 - h <= 0 or s = 0. Throws when the model's
// leverage counts differ from the included objects of each status.
void FillResidualColumn(const ChemoData& data, const DataResultNode& model, const std::vector<int32_t>& included,
                        Matrix& R, int t);

// Called once for every model of the list in each pass; true stops the analysis.
using ModelPcaStep = std::function<bool()>;
// Asked every few milliseconds while the selected models' correlation matrix is
// decomposed, with the share of that work done; true stops the analysis.
using ModelPcaPoll = WorkPoll::Callback;

// The t-th selected model's residuals in column t (FillResidualColumn). The
// first pass runs prepare on each selected model (it gives the model its
// leverages); a model it left without fitting leverages fails the analysis.
ModelListPcaResult ResidualsPca(DataResultList& models, const ChemoData& data,
                                const std::function<void(DataResultNode&)>& prepare, const ModelPcaStep& step,
                                const ModelPcaPoll& decomposing = {});

// The two-stage analysis. finalizing runs before the second stage, whose
// decomposition the poll follows. Model mode: one point per selected model;
// object mode: one per included object.
ModelListPcaResult DescriptorsPca(DataResultList& models, const ChemoData& data, bool objectMode,
                                  const ModelPcaStep& step, const std::function<void()>& finalizing,
                                  const ModelPcaPoll& decomposing = {});

// The plot of an analysis: loadings (m rows) or object scores, column a holding
// component a + 1; and the axis names "PC1 (EV% = 62.35%)", ...
struct PcaPlotValues {
  Matrix values;
  std::vector<std::string> axisNames;
};
PcaPlotValues PcaPlotOf(const ModelListPcaResult& result, bool objectMode);
