// Outlier counts over the selected models: in how many of them each object of
// the data set has a leverage above h* or a standardized residual beyond the
// threshold, with the row colours of the object roles.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "numerics/CheckedValue.h"
#include "platform/base/UiServices.h"
#include "validate/ModelListStatistics.h"

class ChemoData;
class DataResultList;
class DataResultNode;

// The count matrix: one row per object, these three columns.
constexpr int kOutlierCountColumns = 3;
const std::vector<std::string>& OutlierCountTitles();

struct OutlierWalk {
  bool failed = false;   // some model's counting failed
  bool aborted = false;  // Escape answered Yes
};

// One selected model's counts (from worker threads, several models at once);
// nothing when its counting failed.
using OutlierCounter = std::function<std::optional<ModelOutlierCounts>(DataResultNode& model)>;

// Walks the list from its first model. The selected models are counted a batch
// at a time, the models of a batch at once; then, in list order, each counted
// model's counts are applied (its six cells, and columns 0, 1, 2 of counts), the
// bar (0 .. selected, step 1) moves on, and Escape is polled for every model of
// the walk: Yes ends it with the counts applied so far. A counting that threw
// throws when its model is reached.
OutlierWalk CountOutliersOverModels(DataResultList& models, CheckedIntMatrix& counts, const OutlierCounter& countModel,
                                    Progress& progress);

// One colour per object (0x00BBGGRR): yellow for training, light blue for
// prediction, red for an object without a response (whatever its status),
// white otherwise.
std::vector<uint32_t> OutlierRowColours(const ChemoData& data);
