#include "validate/ModelDescriptorPca.h"

#include "data/ChemoData.h"
#include "data/DataResult.h"
#include "validate/SingleModelAnalysis.h"

bool ModelDescriptorPca(const ChemoData& data, const DataResultNode& model, VariablePca& pca) {
  pca.pool.assign(model.ipSelVarIdxPtr, model.ipSelVarIdxPtr + model.iSize);
  pca.objects.clear();
  if (pca.pool.size() >= 2)
    for (int32_t i = 0; i < data.iObjCount; ++i)
      if (data.ipTrainingPtr[i] != kStatusExcluded) pca.objects.push_back(i);
  if (!PcaHasEnough(pca)) return false;
  ComputePca(data, pca);
  return true;
}

void AppendScoreColumns(const VariablePca& pca, std::vector<std::vector<std::string>>& cells) {
  const int p = pca.Components();
  for (int k = 1; k <= p; ++k) cells.at(0).push_back(pca.AxisText(k));
  std::vector<bool> scored(cells.size(), false);
  for (std::size_t r = 0; r < pca.objects.size(); ++r) {
    std::vector<std::string>& row = cells.at(static_cast<std::size_t>(pca.objects[r]) + 1);
    for (int k = 1; k <= p; ++k) row.push_back(SingleModelAnalysis::NumberText(pca.Score(static_cast<int>(r), k)));
    scored[static_cast<std::size_t>(pca.objects[r]) + 1] = true;
  }
  for (std::size_t row = 1; row < cells.size(); ++row)
    if (!scored[row]) cells[row].resize(cells[row].size() + static_cast<std::size_t>(p));
}
