#include "prepare/DataSetup.h"

#include <algorithm>
#include <iterator>
#include <memory>

#include "data/ChemoData.h"
#include "data/LabelLists.h"
#include "numerics/Utils.h"

namespace {

const char* const kMarkLabels[] = {"", "Selected", "Response", "Splitting", "Hold"};

bool ValidIndex(int32_t index, int32_t count) { return index >= 0 && index < count; }

void MarkEach(const int32_t* items, int32_t count, VarMark mark, std::vector<VarMark>& marks, bool& bad) {
  for (int32_t i = 0; i < count; ++i) {
    if (ValidIndex(items[i], static_cast<int32_t>(marks.size())))
      marks[items[i]] = mark;
    else
      bad = true;
  }
}

bool IsMissing(const ChemoData& data, int32_t obj, int32_t var) { return data.tpChemoValuePtr[obj][var].Missing; }

// A checked int array holding items; null when items is empty.
std::unique_ptr<int32_t[]> IntArray(const std::vector<int32_t>& items, const char* name) {
  if (items.empty()) return nullptr;
  int32_t* raw = nullptr;
  AllocCheckedArray(raw, static_cast<int>(items.size()), name);
  std::unique_ptr<int32_t[]> array(raw);
  for (std::size_t i = 0; i < items.size(); ++i) array[i] = items[i];
  return array;
}

template <typename T>
void Replace(T*& field, std::unique_ptr<T[]>& fresh) {
  delete[] field;
  field = fresh.release();
}

// The named splittings as the data set holds them: rows of statuses and names.
struct SplittingArrays {
  std::unique_ptr<std::unique_ptr<int32_t[]>[]> rows;
  std::unique_ptr<std::string[]> names;

  SplittingArrays(const std::vector<NamedSplitting>& splittings, int32_t objCount) {
    const int count = static_cast<int>(splittings.size());
    if (count == 0) return;
    std::unique_ptr<int32_t[]>* rawRows = nullptr;
    AllocCheckedArray(rawRows, count, "*ipSplittingPtr");
    rows.reset(rawRows);
    std::string* rawNames = nullptr;
    AllocCheckedArray(rawNames, count, "*tpSplitNameStrPtr");
    names.reset(rawNames);
    for (int k = 0; k < count; ++k) {
      const NamedSplitting& split = splittings[k];
      if (static_cast<int32_t>(split.status.size()) != objCount) throw Exception("Invalid splitting size");
      rows[k] = IntArray(split.status, "**ipSplittingPtr");
      names[k] = split.name;
    }
  }

  void InstallInto(ChemoData& data, int32_t count) {
    for (int32_t k = 0; k < data.iSplitCount; ++k) delete[] data.ipSplittingPtr[k];
    delete[] data.ipSplittingPtr;
    delete[] data.tpSplitNameStrPtr;
    data.ipSplittingPtr = nullptr;
    data.tpSplitNameStrPtr = nullptr;
    if (count > 0) {
      int32_t** plain = new int32_t*[count];
      for (int32_t k = 0; k < count; ++k) plain[k] = rows[k].release();
      data.ipSplittingPtr = plain;
      data.tpSplitNameStrPtr = names.release();
    }
    data.iSplitCount = count;
  }
};

}  // namespace

const char* VariableStatusLabel(VarMark mark) { return kMarkLabels[static_cast<int>(mark)]; }

VarMark VarMarkFromLabel(const std::string& label) {
  // The empty label is the first, that of no mark.
  const auto found = std::find(std::begin(kMarkLabels), std::end(kMarkLabels), label);
  return found == std::end(kMarkLabels) ? VarMark::None : static_cast<VarMark>(found - std::begin(kMarkLabels));
}

DataSetup LoadSetup(const ChemoData& data, bool& badIndices) {
  DataSetup setup;
  badIndices = false;
  setup.status.assign(data.ipTrainingPtr, data.ipTrainingPtr + data.iObjCount);
  setup.marks.assign(data.iVarCount, VarMark::None);
  MarkEach(data.ipSelectedVarPtr, data.iSelectedVarCount, VarMark::Selected, setup.marks, badIndices);
  MarkEach(data.ipSelectedHoldPtr, data.iSelectedHoldCount, VarMark::Hold, setup.marks, badIndices);
  if (data.iResponseIndex >= 0) {
    if (ValidIndex(data.iResponseIndex, data.iVarCount)) {
      setup.response = data.iResponseIndex;
      setup.marks[setup.response] = VarMark::Response;
    } else {
      badIndices = true;
    }
  }
  MarkEach(data.ipSelectedSplitPtr, data.iSelectedSplitCount, VarMark::Splitting, setup.marks, badIndices);
  for (int32_t k = 0; k < data.iSplitCount; ++k) {
    const int32_t* row = data.ipSplittingPtr[k];
    setup.splittings.push_back({data.tpSplitNameStrPtr[k], std::vector<int32_t>(row, row + data.iObjCount)});
  }
  setup.currentSplit = data.iCurrentSplit;
  return setup;
}

std::vector<int32_t> MarkedVariables(const std::vector<VarMark>& marks, std::initializer_list<VarMark> which) {
  std::vector<int32_t> vars;
  for (std::size_t j = 0; j < marks.size(); ++j)
    for (VarMark mark : which)
      if (marks[j] == mark) vars.push_back(static_cast<int32_t>(j));
  return vars;
}

void WriteSetup(ChemoData& data, const DataSetup& setup, long double lofSmoothing) {
  if (static_cast<int32_t>(setup.status.size()) != data.iObjCount) throw Exception("Invalid object status size");
  const std::vector<int32_t> selected = MarkedVariables(setup.marks, {VarMark::Selected, VarMark::Hold});
  const std::vector<int32_t> split = MarkedVariables(setup.marks, {VarMark::Splitting});
  const std::vector<int32_t> hold = MarkedVariables(setup.marks, {VarMark::Hold});
  auto selectedArray = IntArray(selected, "*ipSelectedVarPtr");
  auto splitArray = IntArray(split, "*ipSelectedSplitPtr");
  auto holdArray = IntArray(hold, "*ipSelectedHoldPtr");
  SplittingArrays splittings(setup.splittings, data.iObjCount);

  Replace(data.ipSelectedVarPtr, selectedArray);
  Replace(data.ipSelectedSplitPtr, splitArray);
  Replace(data.ipSelectedHoldPtr, holdArray);
  data.iSelectedVarCount = static_cast<int32_t>(selected.size());
  data.iSelectedSplitCount = static_cast<int32_t>(split.size());
  data.iSelectedHoldCount = static_cast<int32_t>(hold.size());
  data.iResponseIndex = setup.response;
  for (int32_t i = 0; i < data.iObjCount; ++i) data.ipTrainingPtr[i] = setup.status[i];
  splittings.InstallInto(data, static_cast<int32_t>(setup.splittings.size()));
  data.iCurrentSplit = setup.splittings.empty() ? 0 : setup.currentSplit;
  data.ldLOFSmoothing = lofSmoothing;
}

void ResetSetup(ChemoData& data) {
  DataSetup empty;  // no marks: every variable released
  empty.status.assign(data.ipTrainingPtr, data.ipTrainingPtr + data.iObjCount);
  WriteSetup(data, empty, data.ldLOFSmoothing);
}

std::string SetupSummary::Text() const {
  return "Training: " + std::to_string(training) + "\t\tPrediction: " + std::to_string(prediction) +
         "\t\t\tVariables: " + std::to_string(variables.size()) + "\n" + "Excluded: " + std::to_string(excluded) +
         "\t\tMissing: " + std::to_string(missingCells.size()) + "\t\t\tUnknown: " + std::to_string(unknown);
}

SetupSummary SummariseSetup(const ChemoData& data, const std::vector<int32_t>& status, int32_t response,
                            const std::vector<VarMark>& marks) {
  SetupSummary summary;
  const std::vector<int32_t> vars = MarkedVariables(marks, {VarMark::Selected, VarMark::Hold});
  for (int32_t j : vars) summary.variables.push_back(data.tpVarNameStrPtr[j]);
  for (int32_t i = 0; i < data.iObjCount; ++i) {
    for (int32_t j : vars)
      if (IsMissing(data, i, j))
        summary.missingCells.push_back(data.tpObjNameStrPtr[i] + " - " + data.tpVarNameStrPtr[j]);
    const bool noResponse = response >= 0 && IsMissing(data, i, response);
    if (status[i] == kStatusExcluded)
      ++summary.excluded;
    else if (noResponse)
      ++summary.unknown;
    else if (status[i] == kStatusTraining)
      ++summary.training;
    else if (status[i] == kStatusPrediction)
      ++summary.prediction;
  }
  return summary;
}

std::string ObjectStatusText(const ChemoData& data, const std::vector<int32_t>& status, int32_t response,
                             const std::vector<VarMark>& marks, int32_t obj) {
  if (response >= 0 && IsMissing(data, obj, response) && status[obj] != kStatusExcluded) return "Unknown";
  for (std::size_t j = 0; j < marks.size(); ++j)
    if (marks[j] == VarMark::Selected && IsMissing(data, obj, static_cast<int32_t>(j))) return "Missing";
  return TrainingStatus().GetLabel(status[obj]);
}

std::string StoredStatusText(const ChemoData& data, int32_t obj) {
  std::string text = TrainingStatus().GetLabel(data.ipTrainingPtr[obj]);
  for (int32_t k = 0; k < data.iSelectedVarCount; ++k) {
    const int32_t var = data.ipSelectedVarPtr[k];
    if (ValidIndex(var, data.iVarCount) && IsMissing(data, obj, var)) text = "Missing";
  }
  const int32_t response = data.iResponseIndex;
  if (ValidIndex(response, data.iVarCount) && IsMissing(data, obj, response) &&
      data.ipTrainingPtr[obj] != kStatusExcluded)
    text = "Unknown";
  return text;
}
