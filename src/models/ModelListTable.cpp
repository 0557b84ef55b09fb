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

long double ColumnKey(const DataResultNode& model, int col) {
  const ModelListColumn& column = kColumns.at(col);
  switch (column.source) {
    case CellSource::Id: return static_cast<uint32_t>(model.iID);
    case CellSource::Size: return model.iSize;
    case CellSource::Count: return (model.*column.count).Value;
    case CellSource::Real:
    case CellSource::MarkedReal: return (model.*column.real).Value;
    case CellSource::Difference: return (model.*column.real).Value - (model.*column.minus).Value;
    case CellSource::Rank: return model.iRank;
    case CellSource::Status:
    case CellSource::Variables: return 0.0L;
  }
  return 0.0L;
}

bool ModelCellPresent(const DataResultNode& model, int col) {
  const ModelListColumn& column = kColumns.at(col);
  switch (column.source) {
    case CellSource::Real: return !(model.*column.real).Missing;
    case CellSource::Count: return !(model.*column.count).Missing;
    case CellSource::Status:
    case CellSource::Rank:
    case CellSource::Id:
    case CellSource::Size:
    case CellSource::Variables:
    case CellSource::MarkedReal:
    case CellSource::Difference: return true;
  }
  return true;
}

bool ModelCellMarked(const DataResultNode& model, int col) {
  const ModelListColumn& column = kColumns.at(col);
  if (column.source == CellSource::MarkedReal) return (model.*column.real).Missing;
  if (column.source == CellSource::Difference) return (model.*column.real).Missing || (model.*column.minus).Missing;
  return false;
}

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
  FindEmptyColumns();
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

std::vector<std::string> ModelListTable::ExtremeTexts(int col) const {
  struct Extreme {
    const DataResultNode* model = nullptr;
    long double key = 0.0L;
  };
  Extreme extremes[2][2];  // [marked][smallest, largest]
  for (int row = 1; row <= RowCount() && IsNumberColumn(col); ++row) {
    const DataResultNode& model = *RowModel(row);
    if (!ModelCellPresent(model, col)) continue;
    const long double key = ColumnKey(model, col);
    Extreme* pair = extremes[ModelCellMarked(model, col) ? 1 : 0];
    if (pair[0].model == nullptr || key < pair[0].key) pair[0] = {&model, key};
    if (pair[1].model == nullptr || key > pair[1].key) pair[1] = {&model, key};
  }
  std::vector<std::string> texts;
  for (const auto& pair : extremes)
    for (const Extreme& extreme : pair)
      if (extreme.model != nullptr) texts.push_back(ModelCellText(*extreme.model, col));
  return texts;
}

void ModelListTable::FindEmptyColumns() {
  const int rows = RowCount();
  for (int col = 0; col < kModelListColumnCount; ++col) {
    bool empty = true;
    for (int row = 1; row <= rows && empty; ++row) empty = !ModelCellPresent(*RowModel(row), col);
    empty_[col] = empty;
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
