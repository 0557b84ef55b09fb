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

constexpr std::array<ModelListColumn, kModelListColumnCount> kColumns{{
    {24, "St.", 1, 3},
    {32, "No.", 1, 3},
    {32, "ID", 1, 3},
    {24, "Size", 0, 3},
    {128, "Variables", 1, 3},
    {40, "R2", 0, 0},
    {40, "R2adj", 0, 0},
    {50, "R2-R2adj", 1, 0},
    {50, "LOF", 1, 0},
    {40, "Kxx", 1, 0},
    {40, "Delta K", 0, 0},
    {50, "RMSE tr", 1, 0},
    {40, "MAE tr", 1, 0},
    {40, "RSS tr", 1, 0},
    {50, "CCC tr", 0, 0},
    {40, "s", 1, 0},
    {40, "F", 1, 0},
    {40, "Q2loo", 0, 1},
    {50, "R2-Q2loo", 1, 1},
    {50, "RMSE cv", 1, 1},
    {40, "MAE cv", 1, 1},
    {50, "PRESS cv ", 1, 1},
    {50, "CCC cv", 0, 1},
    {50, "Q2 LMO", 0, 1},
    {50, "R2 Yscr", 1, 1},
    {50, "Q2 Yscr", 1, 1},
    {50, "R2 Xrnd", 1, 1},
    {50, "Q2 Xrnd", 1, 1},
    {50, "R2 Yrnd", 1, 1},
    {50, "Q2 Yrnd", 1, 1},
    {60, "N. ext. OK", 0, 2},
    {50, "RMSE ext", 1, 2},
    {50, "MAE ext", 1, 2},
    {50, "PRESS ext ", 1, 2},
    {40, "R2ext", 0, 2},
    {50, "Q2-F1", 0, 2},
    {50, "Q2-F2", 0, 2},
    {50, "Q2-F3", 0, 2},
    {50, "CCC ext", 0, 2},
    {50, "r2m aver.", 0, 2},
    {50, "r2m delta", 1, 2},
    {50, "k'", 1, 2},
    {50, "k", 1, 2},
    {54, "Clos'", 1, 2},
    {54, "Clos", 1, 2},
    {100, "N. Y-outl. und. mod. eq.", 1, 3},
    {100, "N. Y-outl. over. mod. eq.", 1, 3},
    {100, "N. Y-outl. und. LOO", 1, 3},
    {100, "N. Y-outl. over. LOO", 1, 3},
    {50, "N. X-outl.", 1, 3},
    {50, "N. out AD", 1, 3},
    {50, "MCDM fit", 0, 0},
    {50, "MCDM cv", 0, 1},
    {50, "MCDM ext", 0, 2},
    {50, "MCDM all", 0, 3},
}};

// What a column's cell holds: a real statistic, a count, a difference of two
// real statistics, or something the model record holds directly.
struct ColumnSource {
  CheckedValue ModelCells::*real = nullptr;
  CheckedIntValue ModelCells::*count = nullptr;
  CheckedValue ModelCells::*minus = nullptr;  // derived: real - minus
};

constexpr ColumnSource Real(CheckedValue ModelCells::*cell) { return {cell, nullptr, nullptr}; }
constexpr ColumnSource Count(CheckedIntValue ModelCells::*cell) { return {nullptr, cell, nullptr}; }
constexpr ColumnSource Diff(CheckedValue ModelCells::*a, CheckedValue ModelCells::*b) { return {a, nullptr, b}; }

const std::array<ColumnSource, kModelListColumnCount>& Sources() {
  static const std::array<ColumnSource, kModelListColumnCount> sources{{
      {}, {}, {}, {}, {},  // status, rank, identifier, size, variables
      Real(&ModelCells::cvR2),
      Real(&ModelCells::cvR2adj),
      Diff(&ModelCells::cvR2, &ModelCells::cvR2adj),
      Real(&ModelCells::cvLOF),
      Real(&ModelCells::cvKxx),
      Diff(&ModelCells::cvKxy, &ModelCells::cvKxx),
      Real(&ModelCells::cvRMSEtr),
      Real(&ModelCells::cvMAEtr),
      Real(&ModelCells::cvRSStr),
      Real(&ModelCells::cvCCCtr),
      Real(&ModelCells::cvS),
      Real(&ModelCells::cvF),
      Real(&ModelCells::cvQ2loo),
      Diff(&ModelCells::cvR2, &ModelCells::cvQ2loo),
      Real(&ModelCells::cvRMSEcv),
      Real(&ModelCells::cvMAEcv),
      Real(&ModelCells::cvPRESScv),
      Real(&ModelCells::cvCCCcv),
      Real(&ModelCells::cvQ2LMO),
      Real(&ModelCells::cvR2Yscr),
      Real(&ModelCells::cvQ2Yscr),
      Real(&ModelCells::cvR2Xrnd),
      Real(&ModelCells::cvQ2Xrnd),
      Real(&ModelCells::cvR2Yrnd),
      Real(&ModelCells::cvQ2Yrnd),
      Count(&ModelCells::ciNExtOK),
      Real(&ModelCells::cvRMSEext),
      Real(&ModelCells::cvMAEext),
      Real(&ModelCells::cvPRESSext),
      Real(&ModelCells::cvR2ext),
      Real(&ModelCells::cvQ2F1),
      Real(&ModelCells::cvQ2F2),
      Real(&ModelCells::cvQ2F3),
      Real(&ModelCells::cvCCCext),
      Real(&ModelCells::cvR2mAver),
      Real(&ModelCells::cvR2mDelta),
      Real(&ModelCells::cvKPrime),
      Real(&ModelCells::cvK),
      Real(&ModelCells::cvClosPrime),
      Real(&ModelCells::cvClos),
      Count(&ModelCells::ciNYOutlUndModEq),
      Count(&ModelCells::ciNYOutlOverModEq),
      Count(&ModelCells::ciNYOutlUndLOO),
      Count(&ModelCells::ciNYOutlOverLOO),
      Count(&ModelCells::ciNXOutl),
      Count(&ModelCells::ciNOutAD),
      Real(&ModelCells::cvMCDMfit),
      Real(&ModelCells::cvMCDMcv),
      Real(&ModelCells::cvMCDMext),
      Real(&ModelCells::cvMCDMall),
  }};
  return sources;
}

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

const std::array<ModelListColumn, kModelListColumnCount>& ModelListColumns() { return kColumns; }

int SortItemColumn(int item) { return item < 2 ? item + 2 : item + 3; }

int ColumnSortItem(int col) {
  if (col == 2 || col == 3) return col - 2;
  return col >= kR2Column && col < kModelListColumnCount ? col - 3 : -1;
}

bool IsGroupColumn(int col) { return col == kSizeColumn || col == kNExtOkColumn; }

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
  switch (col) {
    case 2: return static_cast<uint32_t>(model.iID);
    case kSizeColumn: return model.iSize;
    default: break;
  }
  const ColumnSource& source = Sources().at(col);
  if (source.count != nullptr) return (model.*source.count).Value;
  if (source.real == nullptr) return 0.0L;
  const long double value = (model.*source.real).Value;
  return source.minus != nullptr ? value - (model.*source.minus).Value : value;
}

bool ModelCellPresent(const DataResultNode& model, int col) {
  const ColumnSource& source = Sources().at(col);
  if (col <= kR2Column || source.minus != nullptr) return true;
  return source.count != nullptr ? !(model.*source.count).Missing : !(model.*source.real).Missing;
}

bool IsNumberColumn(int col) { return col != kStatusColumn && col != kVariablesColumn; }

std::string ModelIdText(const DataResultNode& model) { return std::to_string(static_cast<uint32_t>(model.iID)); }

std::string ModelCellText(const DataResultNode& model, int col) {
  switch (col) {
    case kStatusColumn: return SelectionLetter(model.iSelStatus);
    case kRankColumn: return IntToStr(model.iRank);
    case 2: return ModelIdText(model);
    case kSizeColumn: return IntToStr(model.iSize);
    case kVariablesColumn: return model.sName;
    default: break;
  }
  const ColumnSource& source = Sources().at(col);
  if (source.count != nullptr) {
    const CheckedIntValue& cell = model.*source.count;
    return cell.Missing ? std::string() : IntToStr(cell.Value);
  }
  const CheckedValue& cell = model.*source.real;
  const bool missing = cell.Missing || (source.minus != nullptr && (model.*source.minus).Missing);
  const std::string text = FixedText(ColumnKey(model, col));
  if (col == kR2Column || source.minus != nullptr) return missing ? "*" + text : text;
  return missing ? std::string() : text;
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
