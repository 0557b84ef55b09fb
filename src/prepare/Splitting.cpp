#include "prepare/Splitting.h"

#include <algorithm>
#include <numeric>

#include "data/ChemoData.h"
#include "numerics/Sorts.h"
#include "platform/base/Random.h"

namespace {

// Sorts objects ascending by keys with the Batcher network, carrying the objects along.
std::vector<int32_t> SortedByKeys(std::vector<int32_t> objects, std::vector<long double> keys) {
  const auto n = static_cast<int32_t>(objects.size());
  if (n > 0) SortWithIndex(keys.data(), objects.data(), 0, n - 1, true);
  return objects;
}

// Gives role to the runs of length run at start, start + step, ... of the order.
void AssignRuns(std::vector<int32_t>& status, const std::vector<int32_t>& order, int start, int run, int step,
                int32_t role) {
  const int n = static_cast<int>(order.size());
  for (int i = start; i < n; i += step)
    for (int k = i; k < i + run && k < n; ++k) status[order[k]] = role;
}

int32_t Swapped(int32_t role) {
  if (role == kStatusTraining) return kStatusPrediction;
  if (role == kStatusPrediction) return kStatusTraining;
  return role;
}

}  // namespace

std::vector<int32_t> OrderByResponse(const ChemoData& data, int32_t response) {
  std::vector<int32_t> objects;
  std::vector<long double> values;
  for (int32_t i = 0; i < data.iObjCount; ++i) {
    const CheckedValue& cell = data.tpChemoValuePtr[i][response];
    if (cell.Missing) continue;
    objects.push_back(i);
    values.push_back(cell.Value);
  }
  return SortedByKeys(std::move(objects), std::move(values));
}

std::vector<int32_t> OrderByScores(const std::vector<int32_t>& objects, const std::vector<long double>& scores) {
  return SortedByKeys(objects, scores);
}

void ApplyOrderedSplitting(std::vector<int32_t>& status, const std::vector<int32_t>& order, int training,
                           int prediction, bool predictionSecond) {
  if (training <= 0 || prediction <= 0 || order.empty()) return;
  const int step = training + prediction;
  const int firstRun = predictionSecond ? prediction : training;
  const int secondRun = predictionSecond ? training : prediction;
  const int32_t firstRole = predictionSecond ? kStatusPrediction : kStatusTraining;
  const int32_t secondRole = predictionSecond ? kStatusTraining : kStatusPrediction;
  AssignRuns(status, order, 1, firstRun, step, firstRole);
  AssignRuns(status, order, firstRun + 1, secondRun, step, secondRole);
  status[order.front()] = kStatusTraining;
  status[order.back()] = kStatusTraining;
}

void RandomSplitting(std::vector<int32_t>& status, int percent) {
  const int count = static_cast<int>(status.size());
  const int k = percent * count / 100;
  std::fill(status.begin(), status.end(), kStatusTraining);
  std::fill_n(status.begin(), k, kStatusPrediction);
  Randomize();
  for (int i = 0; i < count; ++i) std::swap(status[i], status[Random(count)]);
}

std::vector<int32_t> AllObjects(int32_t count) {
  std::vector<int32_t> objects(count);
  std::iota(objects.begin(), objects.end(), 0);
  return objects;
}

void SwapRoles(std::vector<int32_t>& status, const std::vector<int32_t>& objects, bool keepEnds) {
  if (objects.empty()) return;
  const int32_t first = status[objects.front()];
  const int32_t last = status[objects.back()];
  for (int32_t obj : objects) status[obj] = Swapped(status[obj]);
  if (!keepEnds) return;
  status[objects.front()] = first;
  status[objects.back()] = last;
}

bool StatusesFromVariable(const ChemoData& data, int32_t var, std::vector<int32_t>& status) {
  bool forced = false;
  for (int32_t i = 0; i < data.iObjCount; ++i) {
    const long double value = data.tpChemoValuePtr[i][var].Value;
    if (value > -1.0L && value < 3.0L) {
      status[i] = static_cast<int32_t>(value);
    } else {
      status[i] = kStatusTraining;
      forced = true;
    }
  }
  return forced;
}

bool HasSplittingName(const std::vector<NamedSplitting>& splittings, const std::string& name) {
  return std::any_of(splittings.begin(), splittings.end(),
                     [&](const NamedSplitting& split) { return split.name == name; });
}

std::string ProposeSplittingName(const std::vector<NamedSplitting>& splittings) {
  for (std::size_t n = splittings.size();; ++n) {
    const std::string name = "Split - " + std::to_string(n);
    if (!HasSplittingName(splittings, name)) return name;
  }
}
