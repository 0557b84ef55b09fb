#include "models/ModelOutliers.h"

#include "data/ChemoData.h"
#include "data/DataResult.h"
#include "models/ModelListTable.h"
#include "platform/base/CommandGuard.h"

namespace {

constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kYellow = 0x00FFFF;
constexpr uint32_t kLightBlue = 0xFFC000;  // red 0, green 192, blue 255
constexpr uint32_t kRed = 0x0000FF;

}  // namespace

const std::vector<std::string>& OutlierCountTitles() {
  static const std::vector<std::string> titles = {"High leverage (> h*)", "Pred. by model eq. res.",
                                                  "Pred. by LOO res."};
  return titles;
}

OutlierWalk CountOutliersOverModels(
    DataResultList& models, CheckedIntMatrix& counts,
    const std::function<bool(CheckedIntMatrix& counts, DataResultNode& model)>& countModel, Progress& progress) {
  int selected = 0;
  for (const DataResultNode* model = models.First(); model != nullptr; model = model->Next())
    if (IsSelectedState(model->iSelStatus)) ++selected;
  progress.SetRange(0, selected);
  OutlierWalk walk;
  int position = 0;
  for (DataResultNode* model = models.First(); model != nullptr; model = model->Next()) {
    if (IsSelectedState(model->iSelStatus)) {
      if (!countModel(counts, *model)) walk.failed = true;
      progress.SetPosition(++position);
    }
    if (EscapeAbortRequested()) {
      walk.aborted = true;
      break;
    }
  }
  return walk;
}

std::vector<uint32_t> OutlierRowColours(const ChemoData& data) {
  std::vector<uint32_t> colours(static_cast<std::size_t>(data.iObjCount), kWhite);
  for (int i = 0; i < data.iObjCount; ++i) {
    if (data.ipTrainingPtr[i] == kStatusTraining) colours[i] = kYellow;
    if (data.ipTrainingPtr[i] == kStatusPrediction) colours[i] = kLightBlue;
    if (!data.HasResponse(i)) colours[i] = kRed;
  }
  return colours;
}
