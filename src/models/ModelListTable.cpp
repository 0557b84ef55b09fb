#include "models/ModelListTable.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <numeric>
#include <unordered_set>

#include "data/DataResult.h"
#include "data/LabelLists.h"
#include "numerics/Sorts.h"
#include "numerics/Utils.h"
#include "platform/base/WorkerThreads.h"

namespace {

constexpr const auto& kColumns = model_list_columns::kColumns;

// The column of every sort item, and the item of every column (-1: none).
constexpr auto kItemColumns = [] {
  std::array<int, kSortItemCount> columns{};
  for (int col = 0, item = 0; col < kModelListColumnCount; ++col)
    if (kColumns[col].sort != ColumnSort::None) columns[item++] = col;
  return columns;
}();
constexpr auto kColumnItems = [] {
  std::array<int, kModelListColumnCount> items{};
  for (int col = 0, item = 0; col < kModelListColumnCount; ++col)
    items[col] = kColumns[col].sort != ColumnSort::None ? item++ : -1;
  return items;
}();

std::string FixedText(long double value) { return FloatToStrF(value, FloatFormat::Fixed, 18, kStatisticDecimals); }

// A work array of the sort under its variable's name.
template <typename T>
std::vector<T> NamedArray(std::size_t n, const char* name) {
  try {
    return std::vector<T>(n);
  } catch (const std::bad_alloc&) {
    throw DataNoMemoryEx(name);
  }
}

void Tick(Progress* progress) {
  if (progress != nullptr) progress->AnimationTick();
}

}  // namespace

int SortItemColumn(int item) { return kItemColumns.at(item); }

int ColumnSortItem(int col) { return col >= 0 && col < kModelListColumnCount ? kColumnItems[col] : -1; }

bool IsGroupColumn(int col) { return kColumns.at(col).sort == ColumnSort::Grouped; }

bool IsSelectedState(int32_t state) { return state == 1 || state == 3; }

std::string SelectionLetter(int32_t state) { return ModelSelStatus().GetLabel(state); }

int32_t StateOfLetter(const std::string& letter) {
  const ModelSelStatus states;
  int32_t found = -1;
  for (int32_t state = 0; state < states.Count(); ++state)
    if (states.GetLabel(state) == letter) found = state;
  return found;
}

namespace {

// A model's number in a column: the key, whether the cell shows a text, and
// whether the text has the "*" of a missing statistic in front.
struct ColumnNumber {
  long double key = 0.0L;
  bool present = true;
  bool marked = false;
};

ColumnNumber NumberOf(const DataResultNode& model, const ModelListColumn& column) {
  switch (column.source) {
    case CellSource::Id: return {static_cast<long double>(static_cast<uint32_t>(model.iID))};
    case CellSource::Size: return {static_cast<long double>(model.iSize)};
    case CellSource::Rank: return {static_cast<long double>(model.iRank)};
    case CellSource::Count: {
      const CheckedIntValue& cell = model.*column.count;
      return {static_cast<long double>(cell.Value), !cell.Missing};
    }
    case CellSource::Real: {
      const CheckedValue& cell = model.*column.real;
      return {cell.Value, !cell.Missing};
    }
    case CellSource::MarkedReal: {
      const CheckedValue& cell = model.*column.real;
      return {cell.Value, true, cell.Missing};
    }
    case CellSource::Difference: {
      const CheckedValue& cell = model.*column.real;
      const CheckedValue& minus = model.*column.minus;
      return {cell.Value - minus.Value, true, cell.Missing || minus.Missing};
    }
    case CellSource::Status:
    case CellSource::Variables: return {};
  }
  return {};
}

}  // namespace

long double ColumnKey(const DataResultNode& model, int col) { return NumberOf(model, kColumns.at(col)).key; }

bool ModelCellPresent(const DataResultNode& model, int col) { return NumberOf(model, kColumns.at(col)).present; }

bool ModelCellMarked(const DataResultNode& model, int col) { return NumberOf(model, kColumns.at(col)).marked; }

bool IsNumberColumn(int col) {
  const CellSource source = kColumns.at(col).source;
  return source != CellSource::Status && source != CellSource::Variables;
}

std::string ModelIdText(const DataResultNode& model) { return std::to_string(static_cast<uint32_t>(model.iID)); }

std::string ModelCellText(const DataResultNode& model, int col) {
  const ModelListColumn& column = kColumns.at(col);
  const auto marked = [&] { return (ModelCellMarked(model, col) ? "*" : "") + FixedText(ColumnKey(model, col)); };
  switch (column.source) {
    case CellSource::Status: return SelectionLetter(model.iSelStatus);
    case CellSource::Rank: return IntToStr(model.iRank);
    case CellSource::Id: return ModelIdText(model);
    case CellSource::Size: return IntToStr(model.iSize);
    case CellSource::Variables: return model.sName;
    case CellSource::Count: {
      const CheckedIntValue& cell = model.*column.count;
      return cell.Missing ? std::string() : IntToStr(cell.Value);
    }
    case CellSource::Real: return (model.*column.real).Missing ? std::string() : FixedText(ColumnKey(model, col));
    case CellSource::MarkedReal:
    case CellSource::Difference: return marked();
  }
  return std::string();
}

void SortValuesWithIndex(long double* keys, DataResultNode** models, int32_t lo, int32_t hi, bool ascending,
                         Progress* progress) {
  BatcherSortNetwork(keys, models, lo, hi, ascending, [progress] { Tick(progress); });
}

// ---- Sort -------------------------------------------------------------------------

void ModelListTable::ResetToListOrder() {
  sorted_.clear();
  for (DataResultNode* model = Models().First(); model != nullptr; model = model->Next()) sorted_.push_back(model);
}

namespace {

// Regroups the models (list order) by first key truncated to a whole number,
// smallest group first, each group sorted by the second key. Only the groups
// that occur are visited, so no key, however large or negative, is trusted to
// bound a loop or to name a group.
std::vector<DataResultNode*> SortByGroups(const std::vector<long double>& keys,
                                          const std::vector<DataResultNode*>& listOrder, int secondCol,
                                          bool ascending, Progress* progress) {
  const std::size_t n = listOrder.size();
  auto group = [&keys](std::size_t i) { return std::trunc(keys[i]); };
  std::vector<std::size_t> byGroup = NamedArray<std::size_t>(n, "*tpSortNodePtr");
  std::iota(byGroup.begin(), byGroup.end(), std::size_t{0});
  std::stable_sort(byGroup.begin(), byGroup.end(), [&group](std::size_t a, std::size_t b) { return group(a) < group(b); });
  std::vector<DataResultNode*> regrouped = NamedArray<DataResultNode*>(n, "*tpSortNodePtr");
  std::vector<long double> groupKeys = NamedArray<long double>(n, "*ldpSubsetVectPtr");
  std::vector<DataResultNode*> groupModels = NamedArray<DataResultNode*>(n, "*tpSubsetVectNodePtr");
  auto next = regrouped.begin();
  for (std::size_t start = 0; start < n;) {
    const long double k = group(byGroup[start]);
    int32_t count = 0;
    for (; start < n && group(byGroup[start]) == k; ++start) {
      DataResultNode* model = listOrder[byGroup[start]];
      groupKeys[count] = ColumnKey(*model, secondCol);
      groupModels[count++] = model;
    }
    SortValuesWithIndex(groupKeys.data(), groupModels.data(), 0, count - 1, ascending, progress);
    next = std::copy_n(groupModels.begin(), count, next);
  }
  return regrouped;
}

}  // namespace

void ModelListTable::Sort(int firstItem, int secondItem, Progress* progress) {
  try {
    const int firstCol = SortItemColumn(firstItem);
    const int secondCol = SortItemColumn(secondItem);
    const std::size_t n = static_cast<std::size_t>(Models().Count());
    std::vector<long double> keys = NamedArray<long double>(n, "*ldpSortValuePtr");
    std::vector<DataResultNode*> order = NamedArray<DataResultNode*>(n, "*tpSortedNodePtr");
    std::size_t i = 0;
    for (DataResultNode* model = Models().First(); model != nullptr; model = model->Next(), ++i) {
      keys[i] = ColumnKey(*model, firstCol);
      order[i] = model;
      Tick(progress);
    }
    if (IsGroupColumn(firstCol)) {
      order = SortByGroups(keys, order, secondCol, kColumns[secondCol].order == 0, progress);
    } else {
      SortValuesWithIndex(keys.data(), order.data(), 0, static_cast<int32_t>(n) - 1, kColumns[firstCol].order == 0,
                          progress);
    }
    sorted_ = std::move(order);
    sortColumn_ = IsGroupColumn(firstCol) ? secondCol : firstCol;
    for (std::size_t pos = 0; pos < n; ++pos) sorted_[pos]->iRank = static_cast<int32_t>(n - pos);
  } catch (...) {
    if (sorted_.size() != static_cast<std::size_t>(Models().Count())) ResetToListOrder();
    throw;
  }
}

// ---- Rows -------------------------------------------------------------------------

void ModelListTable::Fill(bool onlySelected, int m, bool deleteExtra, Progress* progress) {
  onlySelected_ = onlySelected;
  filtered_.clear();
  if (onlySelected) {
    std::vector<int> shownOfSize;
    std::vector<DataResultNode*> extra;
    for (auto it = sorted_.rbegin(); it != sorted_.rend(); ++it) {
      DataResultNode* model = *it;
      Tick(progress);
      bool shown = IsSelectedState(model->iSelStatus);
      if (shown && m > 0) {
        if (static_cast<int>(shownOfSize.size()) <= model->iSize) shownOfSize.resize(model->iSize + 1, 0);
        shown = shownOfSize[model->iSize] < m;
        if (shown) ++shownOfSize[model->iSize];
        if (!shown && deleteExtra) extra.push_back(model);
      }
      if (shown) filtered_.push_back(model);
    }
    Discard(extra);
  } else {
    for (std::size_t i = 0; i < sorted_.size(); ++i) Tick(progress);
  }
  ScanColumns();
}

int ModelListTable::RowCount() const {
  return static_cast<int>(onlySelected_ ? filtered_.size() : sorted_.size());
}

DataResultNode* ModelListTable::RowModel(int row) const {
  if (row < 1 || row > RowCount()) return nullptr;
  return onlySelected_ ? filtered_[row - 1] : sorted_[sorted_.size() - row];
}

std::string ModelListTable::CellText(int col, int row) const {
  if (row == 0) return kColumns.at(col).title;
  const DataResultNode* model = RowModel(row);
  return model != nullptr ? ModelCellText(*model, col) : std::string();
}

std::string ModelListTable::LineText(int row, char userSeparator) const {
  std::string line;
  for (int col = 0; col < kModelListColumnCount; ++col) {
    if (empty_[col]) continue;
    const std::string text = CellText(col, row);
    line += row > 0 && IsNumberColumn(col) ? ToSystemDecimalSeparator(text, userSeparator) : text;
    line += '\t';
  }
  return line + "\r\n";
}

namespace {

// Shown models scanned by one task.
constexpr std::size_t kScanChunk = 4096;

struct Extreme {
  const DataResultNode* model = nullptr;
  long double key = 0.0L;
};

// Over some models: which columns have a text, and each number column's models
// of smallest and largest key, apart for the marked cells.
struct ColumnScan {
  std::array<bool, kModelListColumnCount> present{};
  std::array<std::array<std::array<Extreme, 2>, 2>, kModelListColumnCount> extremes{};  // [marked][smallest, largest]

  void Keep(int col, bool marked, const Extreme& candidate) {
    auto& [smallest, largest] = extremes[col][marked ? 1 : 0];
    if (smallest.model == nullptr || candidate.key < smallest.key) smallest = candidate;
    if (largest.model == nullptr || candidate.key > largest.key) largest = candidate;
  }
  void Add(const DataResultNode& model) {
    for (int col = 0; col < kModelListColumnCount; ++col) {
      const ColumnNumber number = NumberOf(model, kColumns[col]);
      if (!number.present) continue;
      present[col] = true;
      if (IsNumberColumn(col)) Keep(col, number.marked, {&model, number.key});
    }
  }
  void Add(const ColumnScan& other) {
    for (int col = 0; col < kModelListColumnCount; ++col) {
      present[col] = present[col] || other.present[col];
      for (bool marked : {false, true})
        for (const Extreme& extreme : other.extremes[col][marked ? 1 : 0])
          if (extreme.model != nullptr) Keep(col, marked, extreme);
    }
  }
};

}  // namespace

void ModelListTable::ScanColumns() {
  // The shown models in memory order, so that each task reads ahead; equal keys
  // give equal texts, so the order changes nothing.
  std::vector<const DataResultNode*> shown(onlySelected_ ? filtered_.begin() : sorted_.begin(),
                                           onlySelected_ ? filtered_.end() : sorted_.end());
  std::sort(shown.begin(), shown.end(), std::less<>());
  std::vector<ColumnScan> scans((shown.size() + kScanChunk - 1) / kScanChunk);
  ParallelFor(static_cast<int>(scans.size()), kScanChunk * kModelListColumnCount, [&](int chunk) {
    const std::size_t end = std::min(shown.size(), (chunk + 1) * kScanChunk);
    for (std::size_t i = chunk * kScanChunk; i < end; ++i) scans[chunk].Add(*shown[i]);
  });
  ColumnScan all;
  for (const ColumnScan& scan : scans) all.Add(scan);
  for (int col = 0; col < kModelListColumnCount; ++col) {
    empty_[col] = !all.present[col];
    extremeTexts_[col].clear();
    for (const auto& pair : all.extremes[col])
      for (const Extreme& extreme : pair)
        if (extreme.model != nullptr) extremeTexts_[col].push_back(ModelCellText(*extreme.model, col));
  }
}

void ModelListTable::RemoveUnselected() {
  std::vector<DataResultNode*> unselected;
  for (DataResultNode* model : sorted_)
    if (!IsSelectedState(model->iSelStatus)) unselected.push_back(model);
  Discard(unselected);
}

void ModelListTable::KeepBest(int k) {
  const std::size_t keep = static_cast<std::size_t>(std::max(k, 0));
  if (sorted_.size() <= keep) return;
  Discard({sorted_.begin(), sorted_.end() - static_cast<std::ptrdiff_t>(keep)});
}

void ModelListTable::Discard(const std::vector<DataResultNode*>& models) {
  const std::unordered_set<const DataResultNode*> gone(models.begin(), models.end());
  const auto isGone = [&gone](const DataResultNode* model) { return gone.count(model) != 0; };
  std::erase_if(sorted_, isGone);
  std::erase_if(filtered_, isGone);
  for (DataResultNode* model : models) Models().Remove(model);
}

// ---- Commands ---------------------------------------------------------------------

int ModelListTable::SelectedCount() const {
  int count = 0;
  for (DataResultNode* model = Models().First(); model != nullptr; model = model->Next())
    if (IsSelectedState(model->iSelStatus)) ++count;
  return count;
}

ModelCommandStates ModelListTable::CommandStates(bool hasPredictionObjects) const {
  int selected = 0;
  int size = -1;
  bool sameSize = true;
  for (DataResultNode* model = Models().First(); model != nullptr; model = model->Next()) {
    if (!IsSelectedState(model->iSelStatus)) continue;
    ++selected;
    if (size >= 0 && model->iSize != size) sameSize = false;
    size = model->iSize;
  }
  ModelCommandStates states;
  states.twoOrMore = selected >= 2;
  states.multiCriteria = states.twoOrMore && hasPredictionObjects;
  states.oneOrMore = selected >= 1;
  states.external = states.oneOrMore && hasPredictionObjects;
  states.descriptorsPca = states.twoOrMore && sameSize;
  return states;
}
