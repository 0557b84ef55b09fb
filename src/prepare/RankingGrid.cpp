#include "prepare/RankingGrid.h"

#include "data/ChemoData.h"
#include "data/LabelLists.h"
#include "numerics/Utils.h"
#include "platform/base/Exception.h"
#include "platform/base/NumberText.h"
#include "platform/base/UiServices.h"
#include "prepare/DataSetup.h"
#include "prepare/VariableTools.h"

namespace {

bool Refuse(const std::string& text) {
  Ui().MessageBox(text, "APPLICATION ERROR", MB_OK | MB_ICONERROR);
  return false;
}

const char* OptimalityText(const CheckedValue& setting) { return setting.Missing ? "Maximize" : "Minimize"; }

}  // namespace

RankingGrid::RankingGrid(ChemoData& data, CellStore& cells)
    : data_(data), cells_(cells), order_(InitialOrder(data.iObjCount)) {}

int RankingGrid::VariableCount() const { return data_.iVarCount; }

bool RankingGrid::IsVariableColumn(int col) const {
  return col >= FirstDataColumn && col < FirstDataColumn + VariableCount();
}

bool RankingGrid::HasMissing(int32_t var, bool selectedOnly) const {
  for (const SelectedRowRec& row : selectedRow_)
    if ((row.selected || !selectedOnly) && data_.tpChemoValuePtr[row.object][var].Missing) return true;
  return false;
}

void RankingGrid::LoadGrid(Progress& progress) {
  progress.SetText("Loading data...");
  const int vars = VariableCount();
  const int splits = data_.iSplitCount;
  const int objects = data_.iObjCount;
  cells_.SetRowCount(objects + HeaderRowCount);
  cells_.SetColCount(FirstDataColumn + vars + splits);
  selectedCol_.assign(static_cast<std::size_t>(cells_.ColCount()), false);
  selectedRow_.clear();
  for (int32_t r = 0; r < objects; ++r) selectedRow_.push_back({r, true});
  colSetup_.assign(static_cast<std::size_t>(vars + splits), CheckedValue().InitMissing());

  const char* lead[] = {"No", "ID", "Name", "Status"};
  for (int c = 0; c < FirstDataColumn; ++c) cells_.Cell(c, 0) = lead[c];
  cells_.Cell(3, 1) = "Optimality";
  cells_.Cell(3, 2) = "Weight";
  for (int32_t r = 0; r < objects; ++r) {
    WriteLeadCells(r, r);
    cells_.Cell(3, HeaderRowCount + r) = StoredStatusText(data_, r);
    progress.AnimationTick();
  }
  for (int j = 0; j < vars + splits; ++j) {
    const int col = FirstDataColumn + j;
    cells_.Cell(col, 0) = j < vars ? data_.tpVarNameStrPtr[j] : data_.tpSplitNameStrPtr[j - vars];
    cells_.Cell(col, 1) = OptimalityText(colSetup_[j]);
    ShowWeight(col);
    progress.AnimationTick();
  }
  for (int32_t r = 0; r < objects; ++r) {
    WriteValueCells(r, r);
    progress.AnimationTick();
  }
  cells_.SetColCount(cells_.ColCount() + 1);
  selectedCol_.push_back(false);
  cells_.Cell(ScoreColumn(), 0) = "MCDM score";
  ResetWeights();
}

void RankingGrid::WriteLeadCells(int k, int32_t obj) {
  const int row = HeaderRowCount + k;
  cells_.Cell(0, row) = IntToStr(k + 1);
  cells_.Cell(1, row) = IntToStr(obj + 1);
  cells_.Cell(2, row) = data_.tpObjNameStrPtr[obj];
  cells_.Cell(3, row) = TrainingStatus().GetLabel(data_.ipTrainingPtr[obj]);
}

void RankingGrid::WriteValueCells(int k, int32_t obj) {
  const int row = HeaderRowCount + k;
  const int vars = VariableCount();
  const TrainingStatus labels;
  for (int j = 0; j < vars; ++j) {
    const CheckedValue& cell = data_.tpChemoValuePtr[obj][j];
    cells_.Cell(FirstDataColumn + j, row) = cell.Missing ? "Missing data" : FloatToStr(cell.Value);
  }
  for (int s = 0; s < data_.iSplitCount; ++s)
    cells_.Cell(FirstDataColumn + vars + s, row) = labels.GetLabel(data_.ipSplittingPtr[s][obj]);
}

void RankingGrid::ShowWeight(int col) { cells_.Cell(col, 2) = FloatToStr(Setting(col).Value); }

int RankingGrid::CountSelectedColumns() {
  int count = 0;
  bool dropped = false;
  for (int col = FirstDataColumn; col < ScoreColumn(); ++col) {
    if (!selectedCol_[col]) continue;
    if (IsVariableColumn(col) && !HasMissing(col - FirstDataColumn, false)) {
      ++count;
      continue;
    }
    selectedCol_[col] = false;
    dropped = true;
  }
  if (dropped)
    Ui().MessageBox("Sorry, you cannot select colums containing missing values. They will be automatically unselected.",
                    "APPLICATION ERROR", MB_OK | MB_ICONWARNING);
  return count;
}

void RankingGrid::ResetWeights() {
  const int n = CountSelectedColumns();
  if (n == 0) return;
  const long double weight = 1.0L / n;
  for (int col = FirstDataColumn; col <= LastDataColumn(); ++col) {
    if (!selectedCol_[col]) {
      cells_.Cell(col, 2).clear();
      continue;
    }
    colSetup_[col - FirstDataColumn].Value = weight;
    ShowWeight(col);
  }
}

void RankingGrid::SelectColumns(int left, int right, bool on) {
  for (int col = left; col <= right; ++col)
    if (IsVariableColumn(col)) selectedCol_[col] = on;
}

void RankingGrid::SelectObjects(int top, int bottom, bool on) {
  for (int row = std::max(top, HeaderRowCount); row <= bottom && row < cells_.RowCount(); ++row)
    selectedRow_[row - HeaderRowCount].selected = on;
}

bool RankingGrid::GatherSelection(std::vector<int32_t>& vars, std::vector<int32_t>& objects) const {
  vars.clear();
  objects.clear();
  for (const SelectedRowRec& row : selectedRow_)
    if (row.selected) objects.push_back(row.object);
  for (int col = FirstDataColumn; col < ScoreColumn(); ++col) {
    if (!selectedCol_[col]) continue;
    if (HasMissing(col - FirstDataColumn, true))
      return Refuse("Column " + cells_.Cell(col, 0) + " contains a missing value, cannot proceed.");
    vars.push_back(col - FirstDataColumn);
  }
  if (vars.size() < 2) return Refuse("Too few selected columns, cannot continue.");
  return true;
}

bool RankingGrid::CalculatePca(VariablePca& pca) const {
  if (!GatherSelection(pca.pool, pca.objects)) return false;
  ComputePca(data_, pca);
  return true;
}

std::unique_ptr<CheckedMatrix> RankingGrid::Correlation(std::vector<std::string>& names) const {
  std::vector<int32_t> vars;
  std::vector<int32_t> objects;
  if (!GatherSelection(vars, objects)) return nullptr;
  names.clear();
  for (int32_t var : vars) names.push_back(data_.tpVarNameStrPtr[var]);
  return VariableCorrelation(data_, objects, vars, true);
}

bool RankingGrid::ClampToDataColumns(int& left, int& right) const {
  left = std::max(left, FirstDataColumn);
  right = std::min(right, LastDataColumn());
  return left <= right;
}

void RankingGrid::SetColumnParameters(int left, int right, const CheckedValue& setting) {
  if (!ClampToDataColumns(left, right)) return;
  for (int col = left; col <= right; ++col) {
    colSetup_[col - FirstDataColumn] = setting;
    cells_.Cell(col, 1) = OptimalityText(setting);
    ShowWeight(col);
  }
}

void RankingGrid::CompleteWeight(int col) {
  if (!IsDataColumn(col)) return;
  long double others = 0.0L;
  for (int c = FirstDataColumn; c <= LastDataColumn(); ++c)
    if (selectedCol_[c] && c != col) others += Setting(c).Value;
  colSetup_[col - FirstDataColumn].Value = 1.0L - others;
  ShowWeight(col);
}

std::vector<McdmCriterion> RankingGrid::Criteria() const {
  std::vector<McdmCriterion> criteria;
  for (int col = FirstDataColumn; col <= LastDataColumn(); ++col)
    if (selectedCol_[col]) criteria.push_back({col - FirstDataColumn, Setting(col).Value, Setting(col).Missing});
  return criteria;
}

bool RankingGrid::CheckRankingInput() const {
  int selectedObjects = 0;
  for (const SelectedRowRec& row : selectedRow_) selectedObjects += row.selected ? 1 : 0;
  if (selectedObjects < 2) return Refuse("The number of selected objects must be greater that 1.");
  long double total = 0.0L;
  for (const McdmCriterion& c : Criteria()) total += c.weight;
  if (!WeightTotalAccepted(total)) return Refuse(WeightTotalMessage(total));
  return true;
}

bool RankingGrid::Rank(bool descending, Progress& progress) {
  try {
    progress.SetText("Sorting data...");
    std::vector<SelectedRowRec> byObject(selectedRow_.size());
    for (const SelectedRowRec& row : selectedRow_) byObject[row.object] = row;
    McdmOrder order = order_;
    if (!rankingCurrent_) {
      std::vector<int32_t> chosen;
      for (const SelectedRowRec& row : byObject)
        if (row.selected) chosen.push_back(row.object);
      order = OrderByScore(McdmScores(data_, chosen, Criteria(), &progress));
    }
    WriteOrderedRows(order, descending, byObject, progress);
    order_ = std::move(order);
    rankingCurrent_ = true;
    return true;
  } catch (const Exception& e) {
    return Refuse(e.Message);
  } catch (...) {
    return Refuse("Cannot import data");
  }
}

void RankingGrid::WriteOrderedRows(const McdmOrder& order, bool descending, const std::vector<SelectedRowRec>& byObject,
                                   Progress& progress) {
  const std::vector<int32_t>& objects = descending ? order.descending : order.ascending;
  const std::vector<long double>& scores = descending ? order.descendingScores : order.ascendingScores;
  for (std::size_t k = 0; k < objects.size(); ++k) {
    const int32_t obj = objects[k];
    WriteLeadCells(static_cast<int>(k), obj);
    cells_.Cell(ScoreColumn(), HeaderRowCount + static_cast<int>(k)) = FloatToStr(scores[k]);
    WriteValueCells(static_cast<int>(k), obj);
    selectedRow_[k] = byObject[obj];
    progress.AnimationTick();
  }
}

void RankingGrid::StoreMcdmColumn(const std::string& name, bool descending) {
  const std::vector<int32_t>& objects = descending ? order_.descending : order_.ascending;
  const std::vector<long double>& scores = descending ? order_.descendingScores : order_.ascendingScores;
  std::vector<long double> byObject(objects.size(), 0.0L);
  for (std::size_t k = 0; k < objects.size(); ++k) byObject[objects[k]] = scores[k];
  const int newCol = FirstDataColumn + VariableCount();
  AppendVariables(data_, {name}, [&](int32_t obj, int) { return CheckedValue(byObject[obj], false); });

  // The splitting and score columns move one place right; the new variable
  // takes the column after the old variables and the score column is emptied.
  cells_.SetColCount(cells_.ColCount() + 1);
  for (int col = ScoreColumn(); col > newCol; --col)
    for (int row = 0; row < cells_.RowCount(); ++row) cells_.Cell(col, row) = std::move(cells_.Cell(col - 1, row));
  selectedCol_.insert(selectedCol_.begin() + newCol, false);
  colSetup_.insert(colSetup_.begin() + (newCol - FirstDataColumn), CheckedValue().InitMissing());
  cells_.Cell(newCol, 0) = name;
  cells_.Cell(newCol, 1) = OptimalityText(Setting(newCol));
  cells_.Cell(newCol, 2).clear();
  for (int row = 1; row < cells_.RowCount(); ++row) cells_.Cell(ScoreColumn(), row).clear();
  for (std::size_t k = 0; k < selectedRow_.size(); ++k)
    cells_.Cell(newCol, HeaderRowCount + static_cast<int>(k)) = FloatToStr(byObject[selectedRow_[k].object]);
}

std::string RankingGrid::CopyText(GridRect rect, char separator, Progress& progress) const {
  progress.SetText("Formatting...");
  const int columns = FirstDataColumn + rect.Right - rect.Left + 1;
  progress.SetRange(0, columns + rect.Bottom - rect.Top + 1);
  int step = 0;
  std::string text;
  const auto appendLine = [&](int row, bool header) {
    for (int col = 0; col < FirstDataColumn; ++col) {
      text += cells_.Cell(col, row) + "\t";
      if (header) progress.SetPosition(++step);
    }
    for (int col = rect.Left; col <= rect.Right; ++col) {
      text += header ? cells_.Cell(col, row) + "\t" : ToSystemDecimalSeparator(cells_.Cell(col, row) + "\t", separator);
      if (header) progress.SetPosition(++step);
    }
    text += "\r\n";
  };
  appendLine(0, true);
  for (int row = rect.Top; row <= rect.Bottom; ++row) {
    appendLine(row, false);
    progress.SetPosition(++step);
  }
  progress.SetText("Sending...");
  return text;
}

RankingShade RankingGrid::Shade(int col, int row, bool inSelection) const {
  if (row == 0) return RankingShade::None;
  RankingShade shade = RankingShade::None;
  if (col < FirstDataColumn) shade = row < HeaderRowCount ? RankingShade::LeadHeader : RankingShade::LeadObject;
  if (inSelection) return shade;
  if (row < HeaderRowCount) return col < FirstDataColumn ? shade : RankingShade::DataHeader;
  if (!selectedRow_[row - HeaderRowCount].selected) return RankingShade::UnselectedObject;
  if (col >= FirstDataColumn && col < ScoreColumn() && selectedCol_[col]) return RankingShade::SelectedColumn;
  return shade;
}
