#include "prepare/DescriptorPca.h"

#include "data/ChemoData.h"
#include "numerics/Utils.h"
#include "prepare/VariableTools.h"

namespace {

bool HasMissing(const ChemoData& data, int32_t var) {
  for (int32_t i = 0; i < data.iObjCount; ++i)
    if (data.tpChemoValuePtr[i][var].Missing) return true;
  return false;
}

}  // namespace

LentSetup::LentSetup(ChemoData& data, const std::vector<int32_t>& status, int32_t response)
    : data_(data), savedStatus_(data.ipTrainingPtr, data.ipTrainingPtr + data.iObjCount),
      savedResponse_(data.iResponseIndex) {
  for (int32_t i = 0; i < data.iObjCount; ++i) data.ipTrainingPtr[i] = status[i];
  data.iResponseIndex = response;
}

LentSetup::~LentSetup() {
  for (int32_t i = 0; i < data_.iObjCount; ++i) data_.ipTrainingPtr[i] = savedStatus_[i];
  data_.iResponseIndex = savedResponse_;
}

bool ComputeVariablePca(const ChemoData& data, const std::vector<int32_t>& marked, VariablePca& pca) {
  pca.pool.clear();
  pca.objects.clear();
  for (int32_t var : marked)
    if (!HasMissing(data, var)) pca.pool.push_back(var);
  if (pca.pool.size() >= 2)
    for (int32_t i = 0; i < data.iObjCount; ++i)
      if (data.iResponseIndex < 0 || data.ipTrainingPtr[i] != kStatusExcluded) pca.objects.push_back(i);
  if (!PcaHasEnough(pca)) return false;
  ComputePca(data, pca);
  return true;
}

void AppendPcaVariables(ChemoData& data, const VariablePca& pca, const std::string& name) {
  const int p = pca.Components();
  std::vector<std::string> names;
  for (int k = 1; k <= p; ++k)
    names.push_back("PCA-" + std::to_string(k) + "(" + name + ")" + " (EV% = " + pca.ExplainedText(k) + "%)");
  std::vector<int> scoreRow(data.iObjCount, -1);
  for (std::size_t r = 0; r < pca.objects.size(); ++r) scoreRow[pca.objects[r]] = static_cast<int>(r);
  AppendVariables(data, names, [&](int32_t obj, int k) {
    CheckedValue cell;
    if (scoreRow[obj] < 0) return cell.InitMissing();
    return CheckedValue(pca.Score(scoreRow[obj], k + 1), false);
  });
}
