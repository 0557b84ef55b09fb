#include "validate/ModelListStatistics.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "data/ChemoData.h"
#include "data/DataResult.h"
#include "data/PredictObjects.h"
#include "numerics/RowArray.h"
#include "validate/ExternalValidator.h"
#include "validate/FullModelStats.h"

namespace {

// Objects in neither mask, without a response, with every model variable present.
std::vector<uint8_t> UnknownMask(const ChemoData& data, const ExternalValidator& masks, const DataResultNode& model) {
  std::vector<uint8_t> unknown(static_cast<std::size_t>(data.iObjCount), 0);
  for (int e = 0; e < data.iObjCount; ++e) {
    if (masks.TrainingMask()[e] || masks.TestMask()[e] || data.HasResponse(e)) continue;
    bool complete = true;
    for (int j = 0; j < model.iSize && complete; ++j)
      complete = !data.tpChemoValuePtr[e][model.ipSelVarIdxPtr[j]].Missing;
    unknown[e] = complete ? 1 : 0;
  }
  return unknown;
}

// Flags a standardized residual beyond t and counts it by its sign.
void CountResidual(const CheckedValue& r, long double t, uint8_t flag, uint8_t& flags, int& over, int& under) {
  if (r.Missing || !(t < std::fabs(r.Value))) return;
  flags |= flag;
  ++(r.Value >= 0.0L ? over : under);
}

}  // namespace

ModelListStatistics::ModelListStatistics(ChemoData* data)
    : data_(data),
      list_(std::make_unique<DataResultList>(data)),
      validator_(std::make_unique<ExternalValidator>(true, list_.get(), data)) {}

ModelListStatistics::~ModelListStatistics() = default;

void ModelListStatistics::ComputeIntervals(DataResultNode& model) {
  std::unique_ptr<bool[]> hStar;
  std::string names;
  FullModelStats(*data_, {validator_->TrainingMask(), validator_->TestMask(), nullptr}, 0, hStar, ModelPointRows{},
                 model, names, *validator_, nullptr, true);
}

void ModelOutlierCounts::Apply(CheckedIntMatrix& counts, DataResultNode& model, int leverageCol, int equationCol,
                               int looCol) const {
  model.ciNOutAD = CheckedIntValue(outAD, false);
  model.ciNXOutl = CheckedIntValue(xOutliers, false);
  model.ciNYOutlUndModEq = CheckedIntValue(underEquation, false);
  model.ciNYOutlOverModEq = CheckedIntValue(overEquation, false);
  model.ciNYOutlUndLOO = CheckedIntValue(underLoo, false);
  model.ciNYOutlOverLOO = CheckedIntValue(overLoo, false);
  for (std::size_t e = 0; e < objects.size(); ++e) {
    const int row = static_cast<int>(e);
    const std::pair<int, uint8_t> columns[] = {{leverageCol, kLeverage}, {equationCol, kEquation}, {looCol, kLoo}};
    for (const auto& [col, flag] : columns) {
      if (objects[e] & flag) ++counts.At(row, col).Value;
      if (objects[e] & kNoCounts) counts.At(row, col).Missing = true;
    }
  }
}

void ModelListStatistics::RecalculateExternalColumns(CheckedIntMatrix& counts, DataResultNode& model,
                                                     int leverageCol, int equationCol, int looCol, long double t) {
  CountOutliers(model, t).Apply(counts, model, leverageCol, equationCol, looCol);
}

ModelOutlierCounts ModelListStatistics::CountOutliers(DataResultNode& model, long double t) const {
  const int n = data_->iObjCount;
  using Rows = RowArray<CheckedValue>;
  Rows expCalc(n, 2, "*tpXYExternExpCalcDataPtr", "*tpXYExternExpCalcDataPtr[]");
  Rows expPred(n, 2, "*tpXYExternExpPredDataPtr", "*tpXYExternExpPredDataPtr[]");
  Rows leverage(n, 2, "*tpXYHAT_CalcPtr", "*tpXYHAT_CalcPtr[]");
  Rows stdResCalc(n, 2, "*tpXYExternStdResDataCalcPtr", "*tpXYExternStdResDataCalcPtr[]");
  Rows stdResPred(n, 2, "*tpXYExternStdResDataPredPtr", "*tpXYExternStdResDataPredPtr[]");
  Rows resCalc(n, 2, "*tpXYExternResDataCalcPtr", "*tpXYExternResDataCalcPtr[]");
  Rows resPred(n, 2, "*tpXYExternResDataPredPtr", "*tpXYExternResDataPredPtr[]");
  const uint8_t* training = validator_->TrainingMask();
  const uint8_t* test = validator_->TestMask();
  PredictObjects(*data_, training, test, model, expCalc.Get(), expPred.Get(), leverage.Get(), nullptr);
  const std::vector<uint8_t> unknown = UnknownMask(*data_, *validator_, model);
  const int unknownCount = static_cast<int>(std::count(unknown.begin(), unknown.end(), 1));
  std::unique_ptr<bool[]> hStar;
  std::string names;
  const ModelPointRows rows{expCalc.Get(), expPred.Get(), stdResCalc.Get(), stdResPred.Get(),
                            resCalc.Get(),  resPred.Get(), leverage.Get()};
  FullModelStats(*data_, {training, test, unknown.data()}, unknownCount, hStar, rows, model, names, *validator_,
                 nullptr, false);
  ModelOutlierCounts result;
  result.objects.assign(static_cast<std::size_t>(n), 0);
  for (int e = 0; e < n; ++e) {
    uint8_t& flags = result.objects[static_cast<std::size_t>(e)];
    if (hStar[e]) {
      flags |= ModelOutlierCounts::kLeverage;
      ++result.outAD;
      if (training[e] || test[e]) ++result.xOutliers;
    }
    CountResidual(stdResCalc[e][1], t, ModelOutlierCounts::kEquation, flags, result.overEquation,
                  result.underEquation);
    CountResidual(stdResPred[e][1], t, ModelOutlierCounts::kLoo, flags, result.overLoo, result.underLoo);
    if (!data_->HasResponse(e) || data_->ipTrainingPtr[e] == 0) flags |= ModelOutlierCounts::kNoCounts;
  }
  return result;
}
