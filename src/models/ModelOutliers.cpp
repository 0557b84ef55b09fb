#include "models/ModelOutliers.h"

#include <exception>

#include "data/ChemoData.h"
#include "data/DataResult.h"
#include "models/ModelListTable.h"
#include "platform/base/CommandGuard.h"
#include "platform/base/WorkerThreads.h"

namespace {

constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kYellow = 0x00FFFF;
constexpr uint32_t kLightBlue = 0xFFC000;  // red 0, green 192, blue 255
constexpr uint32_t kRed = 0x0000FF;

// Selected models counted at once: enough to keep the worker threads busy,
// few enough that Escape is polled often.
constexpr int kOutlierBatch = 64;

struct CountedModel {
  std::optional<ModelOutlierCounts> counts;
  std::exception_ptr failure;
};

}  // namespace

const std::vector<std::string>& OutlierCountTitles() {
  static const std::vector<std::string> titles = {"High leverage (> h*)", "Pred. by model eq. res.",
                                                  "Pred. by LOO res."};
  return titles;
}

OutlierWalk CountOutliersOverModels(DataResultList& models, CheckedIntMatrix& counts, const OutlierCounter& countModel,
                                    Progress& progress) {
  int selected = 0;
  for (const DataResultNode* model = models.First(); model != nullptr; model = model->Next())
    if (IsSelectedState(model->iSelStatus)) ++selected;
  progress.SetRange(0, selected);
  OutlierWalk walk;
  int position = 0;
  for (DataResultNode* model = models.First(); model != nullptr;) {
    std::vector<DataResultNode*> batch;  // the models of the walk up to kOutlierBatch selected ones
    std::vector<DataResultNode*> batchSelected;
    for (; model != nullptr && static_cast<int>(batchSelected.size()) < kOutlierBatch; model = model->Next()) {
      batch.push_back(model);
      if (IsSelectedState(model->iSelStatus)) batchSelected.push_back(model);
    }
    std::vector<CountedModel> counted(batchSelected.size());
    ParallelFor(static_cast<int>(batchSelected.size()), 1e6, [&](int i) {
      try {
        counted[i].counts = countModel(*batchSelected[i]);
      } catch (...) {
        counted[i].failure = std::current_exception();
      }
    });
    std::size_t next = 0;
    for (DataResultNode* reached : batch) {
      if (IsSelectedState(reached->iSelStatus)) {
        const CountedModel& result = counted[next++];
        if (result.failure) std::rethrow_exception(result.failure);
        if (result.counts) {
          result.counts->Apply(counts, *reached, 0, 1, 2);
        } else {
          walk.failed = true;
        }
        progress.SetPosition(++position);
      }
      if (EscapeAbortRequested()) {
        walk.aborted = true;
        return walk;
      }
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
