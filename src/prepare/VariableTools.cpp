#include "prepare/VariableTools.h"

#include <cmath>

#include "data/ChemoData.h"
#include "numerics/Matrix.h"
#include "numerics/Utils.h"

bool NormaliseVariable(ChemoData& data, int32_t var) {
  bool found = false;
  long double min = 0.0L;
  long double max = 0.0L;
  for (int32_t i = 0; i < data.iObjCount; ++i) {
    const CheckedValue& cell = data.tpChemoValuePtr[i][var];
    if (cell.Missing) continue;
    if (!found || cell.Value < min) min = cell.Value;
    if (!found || cell.Value > max) max = cell.Value;
    found = true;
  }
  const long double range = max - min;
  if (range == 0.0L || !std::isfinite(range)) return false;
  for (int32_t i = 0; i < data.iObjCount; ++i) {
    CheckedValue& cell = data.tpChemoValuePtr[i][var];
    if (!cell.Missing) cell.Value = (cell.Value - min) / range;
  }
  return true;
}

std::vector<int32_t> CompleteVariables(const ChemoData& data, const std::vector<int32_t>& candidates) {
  std::vector<int32_t> complete;
  for (int32_t var : candidates) {
    bool missing = false;
    for (int32_t i = 0; i < data.iObjCount && !missing; ++i) missing = data.tpChemoValuePtr[i][var].Missing;
    if (!missing) complete.push_back(var);
  }
  return complete;
}

std::unique_ptr<CheckedMatrix> VariableCorrelation(const ChemoData& data, const std::vector<int32_t>& vars,
                                                   bool zeroDeviationMissing) {
  std::vector<int32_t> all(data.iObjCount);
  for (int32_t i = 0; i < data.iObjCount; ++i) all[i] = i;
  return VariableCorrelation(data, all, vars, zeroDeviationMissing);
}

std::unique_ptr<CheckedMatrix> VariableCorrelation(const ChemoData& data, const std::vector<int32_t>& objects,
                                                   const std::vector<int32_t>& vars, bool zeroDeviationMissing) {
  const int p = static_cast<int>(vars.size());
  const int n = static_cast<int>(objects.size());
  if (p < 2) throw MatrixCalcErrorEx("Covariance matrix column amount must be greater than 1: ");
  if (n < 1) throw MatrixIndexEx();
  Matrix X(n, p);
  for (int i = 0; i < n; ++i)
    for (int c = 0; c < p; ++c) X.At(i, c) = data.tpChemoValuePtr[objects[i]][vars[c]].Value;
  Matrix R;
  R.Correlation(X);
  bool** flags = R.MissCorrFlags();
  auto result = std::make_unique<CheckedMatrix>(p, p);
  for (int j = 0; j < p; ++j) {
    result->At(j, j) = CheckedValue(1.0L, false);
    for (int k = 0; k < j; ++k) {
      const CheckedValue cell(R.At(j, k), zeroDeviationMissing && flags[j][k]);
      result->At(j, k) = cell;
      result->At(k, j) = cell;
    }
  }
  return result;
}

void AppendVariables(ChemoData& data, const std::vector<std::string>& names,
                     const std::function<CheckedValue(int32_t obj, int k)>& cell) {
  const int added = static_cast<int>(names.size());
  const int32_t oldCount = data.iVarCount;
  const int32_t newCount = oldCount + added;
  auto newNames = MakeCheckedArray<std::string>(newCount, "*tpVarName");
  for (int32_t j = 0; j < oldCount; ++j) newNames[j] = data.tpVarNameStrPtr[j];
  for (int k = 0; k < added; ++k) newNames[oldCount + k] = names[k];
  auto rows = MakeCheckedArray<std::unique_ptr<CheckedValue[]>>(data.iObjCount, "*tpNewChemoValuePtr");
  for (int32_t i = 0; i < data.iObjCount; ++i) {
    rows[i] = MakeCheckedArray<CheckedValue>(newCount, "**tpNewChemoValuePtr");
    for (int32_t j = 0; j < oldCount; ++j) rows[i][j] = data.tpChemoValuePtr[i][j];
    for (int k = 0; k < added; ++k) rows[i][oldCount + k] = cell(i, k);
  }

  for (int32_t i = 0; i < data.iObjCount; ++i) {
    delete[] data.tpChemoValuePtr[i];
    data.tpChemoValuePtr[i] = rows[i].release();
  }
  delete[] data.tpVarNameStrPtr;
  data.tpVarNameStrPtr = newNames.release();
  data.iVarCount = newCount;
}
