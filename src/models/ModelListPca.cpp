#include "models/ModelListPca.h"

#include <cmath>

#include "data/ChemoData.h"
#include "data/DataResult.h"
#include "models/ModelListTable.h"
#include "numerics/Utils.h"
#include "platform/base/Exception.h"
#include "platform/base/NumberText.h"
#include "validate/ExternalValidator.h"

namespace {

bool Selected(const DataResultNode& model) { return IsSelectedState(model.iSelStatus); }

int SelectedCount(const DataResultList& models) {
  int count = 0;
  for (const DataResultNode* model = models.First(); model != nullptr; model = model->Next())
    if (Selected(*model)) ++count;
  return count;
}

// Runs step for every model of the list; true when it asked to stop.
bool Pass(const DataResultList& models, const std::function<void(DataResultNode&)>& onSelected,
          const ModelPcaStep& step) {
  for (DataResultNode* model = models.First(); model != nullptr; model = model->Next()) {
    if (Selected(*model) && onSelected) onSelected(*model);
    if (step && step()) return true;
  }
  return false;
}

bool LeveragesFit(const ChemoData& data, const DataResultNode& model, const std::vector<int32_t>& included) {
  int training = 0;
  for (int32_t i : included)
    if (data.ipTrainingPtr[i] == kStatusTraining) ++training;
  const int test = static_cast<int>(included.size()) - training;
  auto fits = [](const LeverageStruct& lev, int count) { return lev.iCount == count && (count == 0 || lev.ldpValuePtr); };
  return fits(model.tsTrainLev, training) && fits(model.tsTestLev, test);
}

// Runs the analysis: Done, Aborted when its poll stopped it, failure when it failed.
template <typename Analysis>
ModelPcaOutcome OutcomeOf(Analysis analysis, ModelPcaOutcome failure) {
  try {
    analysis();
    return ModelPcaOutcome::Done;
  } catch (const CalculationStopped&) {
    return ModelPcaOutcome::Aborted;
  } catch (...) {
    return failure;
  }
}

}  // namespace

void FillResidualColumn(const ChemoData& data, const DataResultNode& model, const std::vector<int32_t>& included,
                        Matrix& R, int t) {
  if (!LeveragesFit(data, model, included)) throw Exception("Leverages do not match the objects");
  int nextTraining = 0;
  int nextTest = 0;
  const long double s = model.cvS.Value;
  for (std::size_t r = 0; r < included.size(); ++r) {
    const int32_t i = included[r];
    const CheckedValue* row = data.tpChemoValuePtr[i];
    const long double h = data.ipTrainingPtr[i] == kStatusTraining ? model.tsTrainLev.ldpValuePtr[nextTraining++]
                                                                     : model.tsTestLev.ldpValuePtr[nextTest++];
    const long double w = 1.0L - h;
    const long double d = w > 0.0L ? s * std::sqrt(w) : 0.0L;
    const long double residual = ModelEquationValue(model, row) - row[data.iResponseIndex].Value;
    R.At(static_cast<int>(r), t) = d == 0.0L ? 0.0L : CheckedDiv(residual, d);
  }
}

uint64_t CorrelationPcaBytes(int64_t n, int64_t m) {
  constexpr uint64_t kValue = sizeof(long double);
  return kValue * (2 * static_cast<uint64_t>(n) * m) + (2 * kValue + 1) * static_cast<uint64_t>(m) * m;
}

int64_t MaxCorrelationPcaColumns(int64_t n, uint64_t memory) {
  int64_t m = 0;
  while (CorrelationPcaBytes(n, m + 1) <= memory) ++m;
  return m;
}

std::string PcaMemoryRefusal(int64_t n, int64_t models, uint64_t memory) {
  const uint64_t needed = CorrelationPcaBytes(n, models);
  if (needed <= memory) return "";
  auto gigabytes = [](uint64_t bytes) { return FloatToStrF(bytes / 1073741824.0L, FloatFormat::Fixed, 18, 1); };
  return "Cannot calculate PCA of " + std::to_string(models) + " models: it needs " + gigabytes(needed) +
         " GB of memory and " + gigabytes(memory) + " GB are available. Please, select at most " +
         std::to_string(MaxCorrelationPcaColumns(n, memory)) + " models.";
}

std::vector<int32_t> IncludedObjects(const ChemoData& data) {
  std::vector<int32_t> included;
  for (int32_t i = 0; i < data.iObjCount; ++i) {
    const int32_t status = data.ipTrainingPtr[i];
    if ((status == kStatusTraining || status == kStatusPrediction) && data.HasResponse(i)) included.push_back(i);
  }
  return included;
}

std::string ModelPcaFailureText(ModelPcaOutcome outcome) {
  switch (outcome) {
    case ModelPcaOutcome::ResidualsFailed: return "Cannot calculate PCA, please check your data.";
    case ModelPcaOutcome::FirstStageFailed: return "Sorry, cannot calculate PCA. Please, check your data.";
    case ModelPcaOutcome::SecondStageFailed: return "Cannot calculate PCA of first axis, please check your data.";
    default: return "";
  }
}

ModelListPcaResult ResidualsPca(DataResultList& models, const ChemoData& data,
                                const std::function<void(DataResultNode&)>& prepare, const ModelPcaStep& step,
                                const ModelPcaPoll& decomposing) {
  ModelListPcaResult result;
  if (Pass(models, prepare, step)) {
    result.outcome = ModelPcaOutcome::Aborted;
    return result;
  }
  const std::vector<int32_t> included = IncludedObjects(data);
  bool filled = true;
  try {
    result.scores.Allocate(static_cast<int>(included.size()), SelectedCount(models));
  } catch (...) {
    filled = false;
  }
  int t = 0;
  const bool aborted = Pass(
      models,
      [&](DataResultNode& model) {
        result.ids.push_back(ModelIdText(model));
        result.names.push_back(model.sName);
        result.numbers.push_back(IntToStr(model.iRank));
        if (!filled) return;
        try {
          FillResidualColumn(data, model, included, result.scores, t++);
        } catch (...) {
          filled = false;
        }
      },
      step);
  if (aborted) {
    result.outcome = ModelPcaOutcome::Aborted;
  } else if (!filled) {
    result.outcome = ModelPcaOutcome::ResidualsFailed;
  } else {
    result.outcome = OutcomeOf([&] { CorrelationPca(result.scores, result.components, decomposing); },
                               ModelPcaOutcome::ResidualsFailed);
  }
  return result;
}

ModelListPcaResult DescriptorsPca(DataResultList& models, const ChemoData& data, bool objectMode,
                                  const ModelPcaStep& step, const std::function<void()>& finalizing,
                                  const ModelPcaPoll& decomposing) {
  ModelListPcaResult result;
  const std::vector<int32_t> included = IncludedObjects(data);
  const int n = static_cast<int>(included.size());
  if (objectMode)
    for (int r = 0; r < n; ++r) {
      result.names.push_back(data.tpObjNameStrPtr[included[r]]);
      result.numbers.push_back(IntToStr(included[r]));
    }
  bool failed = false;
  int t = 0;
  const bool aborted = Pass(
      models,
      [&](DataResultNode& model) {
        result.ids.push_back(ModelIdText(model));
        if (!objectMode) {
          result.names.push_back(model.sName);
          result.numbers.push_back(IntToStr(model.iRank));
        }
        if (failed) return;
        try {
          if (t == 0) result.scores.Allocate(n, SelectedCount(models));
          const int p = model.iSize;
          Matrix D(n, p);
          for (int r = 0; r < n; ++r)
            for (int k = 0; k < p; ++k) D.At(r, k) = data.tpChemoValuePtr[included[r]][model.ipSelVarIdxPtr[k]].Value;
          D.Autoscale();
          PcaComponents first;
          CorrelationPca(D, first);
          for (int r = 0; r < n; ++r) result.scores.At(r, t) = D.At(r, p - 1);
          ++t;
        } catch (...) {
          failed = true;
        }
      },
      [&] { return failed || (step && step()); });
  if (failed) {
    result.outcome = ModelPcaOutcome::FirstStageFailed;
    return result;
  }
  if (aborted) {
    result.outcome = ModelPcaOutcome::Aborted;
    return result;
  }
  if (finalizing) finalizing();
  result.outcome = OutcomeOf(
      [&] {
        result.scores.Autoscale();
        CorrelationPca(result.scores, result.components, decomposing);
      },
      ModelPcaOutcome::SecondStageFailed);
  return result;
}

PcaPlotValues PcaPlotOf(const ModelListPcaResult& result, bool objectMode) {
  const PcaComponents& pca = result.components;
  const int m = pca.eigenvalues.Cols();
  const Matrix& source = objectMode ? result.scores : pca.vectors;
  PcaPlotValues plot;
  plot.values.Allocate(source.Rows(), m);
  for (int b = 0; b < source.Rows(); ++b)
    for (int a = 0; a < m; ++a) plot.values.At(b, a) = source.At(b, m - 1 - a);
  for (int k = 0; k < m; ++k)
    plot.axisNames.push_back("PC" + std::to_string(k + 1) + " (EV% = " +
                             FloatToStrF(100.0L * pca.explained.At(0, m - 1 - k), FloatFormat::Fixed, 18, 2) + "%)");
  return plot;
}
