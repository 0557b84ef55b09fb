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

// Counts a standardized residual beyond t in its matrix cell and by its sign.
void CountResidual(const CheckedValue& r, long double t, CheckedIntValue& cell, CheckedIntValue& over,
                   CheckedIntValue& under) {
  if (r.Missing || !(t < std::fabs(r.Value))) return;
  ++cell.Value;
  ++(r.Value >= 0.0L ? over : under).Value;
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

void ModelListStatistics::RecalculateExternalColumns(CheckedIntMatrix& counts, DataResultNode& model,
                                                     int leverageCol, int equationCol, int looCol, long double t) {
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
  for (CheckedIntValue* cell : {&model.ciNOutAD, &model.ciNXOutl, &model.ciNYOutlUndModEq, &model.ciNYOutlOverModEq,
                                &model.ciNYOutlUndLOO, &model.ciNYOutlOverLOO})
    *cell = CheckedIntValue(0, false);
  for (int e = 0; e < n; ++e) {
    if (hStar[e]) {
      ++counts.At(e, leverageCol).Value;
      ++model.ciNOutAD.Value;
      if (training[e] || test[e]) ++model.ciNXOutl.Value;
    }
    CountResidual(stdResCalc[e][1], t, counts.At(e, equationCol), model.ciNYOutlOverModEq, model.ciNYOutlUndModEq);
    CountResidual(stdResPred[e][1], t, counts.At(e, looCol), model.ciNYOutlOverLOO, model.ciNYOutlUndLOO);
    if (!data_->HasResponse(e) || data_->ipTrainingPtr[e] == 0)
      for (int col : {leverageCol, equationCol, looCol}) counts.At(e, col).Missing = true;
  }
}
