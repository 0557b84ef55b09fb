// The model behind the ranking window's grid: the whole data set laid out as
// lead columns, variable columns, splitting columns and a score column, with
// the chosen columns (criteria) and objects, each data column's optimality and
// weight, and the calculations on the chosen cells: principal components, the
// correlation matrix and the multi-criteria ranking.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "numerics/CheckedValue.h"
#include "prepare/CellStore.h"
#include "prepare/DescriptorPca.h"
#include "prepare/McdmRanking.h"

class ChemoData;
struct Progress;

// Grid layout: columns 0-3 are "No", "ID", "Name", "Status"; rows 0-2 are the
// names, the optimalities and the weights.
constexpr int FirstDataColumn = 4;
constexpr int HeaderRowCount = 3;

// The object shown in a grid row and whether it takes part in calculations.
struct SelectedRowRec {
  int32_t object;
  bool selected;
};

// How a cell is coloured, in the order the shades are laid on.
enum class RankingShade { None, LeadHeader, LeadObject, DataHeader, SelectedColumn, UnselectedObject };

class RankingGrid {
public:
  RankingGrid(ChemoData& data, CellStore& cells);

  // Fills the grid from the data set and gives the selected columns equal weights.
  void LoadGrid(Progress& progress);

  int ScoreColumn() const { return cells_.ColCount() - 1; }
  int LastDataColumn() const { return ScoreColumn() - 1; }
  bool IsVariableColumn(int col) const;
  bool IsDataColumn(int col) const { return col >= FirstDataColumn && col <= LastDataColumn(); }
  bool ColumnSelected(int col) const { return selectedCol_.at(col); }
  const SelectedRowRec& Row(int r) const { return selectedRow_.at(r); }
  const CheckedValue& Setting(int col) const { return colSetup_.at(col - FirstDataColumn); }

  // Unselects the selected columns that have a missing value in any object
  // (one message for all) and returns the count still selected.
  int CountSelectedColumns();
  // Every selected column gets the weight 1 / n; unselected ones show no weight.
  void ResetWeights();
  // Selects or unselects the variable columns among left .. right.
  void SelectColumns(int left, int right, bool on);
  // Selects or unselects the objects of the object rows among top .. bottom.
  void SelectObjects(int top, int bottom, bool on);

  // The variables of the selected columns and the selected objects (grid
  // order); false after its message when a column has a missing value in a
  // selected object or fewer than two columns are selected.
  bool GatherSelection(std::vector<int32_t>& vars, std::vector<int32_t>& objects) const;
  // Principal components of the selected columns over the selected objects.
  bool CalculatePca(VariablePca& pca) const;
  // The correlation matrix of the selected columns over the selected objects
  // (a pair with a zero deviation is missing) and the column names; null when
  // the selection is refused.
  std::unique_ptr<CheckedMatrix> Correlation(std::vector<std::string>& names) const;

  // The data columns of left .. right; false when none lies there.
  bool ClampToDataColumns(int& left, int& right) const;
  // Gives the data columns of left .. right the setting.
  void SetColumnParameters(int left, int right, const CheckedValue& setting);
  // Sets the weight of data column col so that the selected columns' weights
  // (col's own in place of its old one, when selected) total 1.
  void CompleteWeight(int col);

  // Whether a ranking may run: two or more selected objects and weights
  // totalling 1; false after its message.
  bool CheckRankingInput() const;
  // Ranks the selected objects (unless a ranking is current, whose scores are
  // kept) and rewrites the grid in the chosen order. False after its message
  // when it failed, the grid and the selection then as they were.
  bool Rank(bool descending, Progress& progress);
  bool RankingCurrent() const { return rankingCurrent_; }
  void EndRanking() { rankingCurrent_ = false; }
  const McdmOrder& Order() const { return order_; }

  // Appends the scores of the shown order to the data set as a variable and
  // gives the grid a column for it after the variables.
  void StoreMcdmColumn(const std::string& name, bool descending);

  // The copy text of the block: the lead columns and the block's columns.
  std::string CopyText(GridRect rect, char separator, Progress& progress) const;
  RankingShade Shade(int col, int row, bool inSelection) const;

private:
  int VariableCount() const;
  bool HasMissing(int32_t var, bool selectedOnly) const;
  std::vector<McdmCriterion> Criteria() const;
  void ShowWeight(int col);
  void WriteLeadCells(int row, int32_t obj);
  void WriteValueCells(int row, int32_t obj);
  // Rewrites the rows in order; the flags of rows follow their objects.
  void WriteOrderedRows(const McdmOrder& order, bool descending, const std::vector<SelectedRowRec>& byObject,
                        Progress& progress);

  ChemoData& data_;
  CellStore& cells_;
  std::vector<bool> selectedCol_;            // per grid column
  std::vector<SelectedRowRec> selectedRow_;  // per object row
  std::vector<CheckedValue> colSetup_;       // per data column: flag = maximize, value = weight
  McdmOrder order_;
  bool rankingCurrent_ = false;
};
