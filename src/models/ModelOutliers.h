// Outlier counts over the selected models: in how many of them each object of
// the data set has a leverage above h* or a standardized residual beyond the
// threshold, with the row colours of the object roles.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "numerics/CheckedValue.h"
#include "platform/base/UiServices.h"

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

// Walks the list from its first model: countModel adds each selected model's
// outliers to counts (false when that model failed) and the bar (0 .. selected,
// step 1) moves on; Escape is polled for every model of the walk, and Yes ends
// it with the counts gathered so far.
OutlierWalk CountOutliersOverModels(
    DataResultList& models, CheckedIntMatrix& counts,
    const std::function<bool(CheckedIntMatrix& counts, DataResultNode& model)>& countModel, Progress& progress);

// One colour per object (0x00BBGGRR): yellow for training, light blue for
// prediction, red for an object without a response (whatever its status),
// white otherwise.
std::vector<uint32_t> OutlierRowColours(const ChemoData& data);
