// The columns of the model list, one row each: width, title (also the sort
// item's text), order, colour group, what a model's cell holds and how the
// column sorts. Every count and every named position of the table is computed
// from these rows.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "data/DataResult.h"

enum ColumnGroup : int32_t { GroupFit = 0, GroupInternal = 1, GroupExternal = 2, GroupGeneral = 3 };

// What a column's cell holds.
enum class CellSource : int32_t {
  Status,      // the letter of the selection state
  Rank,        // the rank of the last sort
  Id,          // the identifier, unsigned
  Size,        // the number of variables
  Variables,   // the variables text
  Real,        // a statistic, empty when missing
  MarkedReal,  // a statistic always written, "*" in front when missing
  Difference,  // real minus minus, always written, "*" in front when either is missing
  Count,       // a count, empty when missing
};

enum class ColumnSort : int32_t {
  None,     // not in the sort combos
  Key,      // sorts by its value
  Grouped,  // sorts by groups of its value and a second key
};

struct ModelListColumn {
  int32_t width;      // pixels
  const char* title;  // title cell and sort item
  int32_t order;      // 0: larger values are better (shown first), 1: smaller values are better
  int32_t group;      // ColumnGroup: chooses the cell colour
  CellSource source;
  ColumnSort sort;
  CheckedValue ModelCells::*real;
  CheckedValue ModelCells::*minus;
  CheckedIntValue ModelCells::*count;
};

namespace model_list_columns {

using M = ModelCells;
constexpr int32_t kLargerFirst = 0;
constexpr int32_t kSmallerFirst = 1;

constexpr ModelListColumn Record(int32_t width, const char* title, int32_t order, CellSource source, ColumnSort sort) {
  return {width, title, order, GroupGeneral, source, sort, nullptr, nullptr, nullptr};
}
constexpr ModelListColumn Real(int32_t width, const char* title, int32_t order, ColumnGroup group,
                               CheckedValue M::*cell, CellSource source = CellSource::Real) {
  return {width, title, order, group, source, ColumnSort::Key, cell, nullptr, nullptr};
}
constexpr ModelListColumn Difference(int32_t width, const char* title, int32_t order, ColumnGroup group,
                                     CheckedValue M::*cell, CheckedValue M::*minus) {
  return {width, title, order, group, CellSource::Difference, ColumnSort::Key, cell, minus, nullptr};
}
constexpr ModelListColumn Count(int32_t width, const char* title, int32_t order, ColumnGroup group,
                                CheckedIntValue M::*cell, ColumnSort sort = ColumnSort::Key) {
  return {width, title, order, group, CellSource::Count, sort, nullptr, nullptr, cell};
}

constexpr int32_t L = kLargerFirst;
constexpr int32_t S = kSmallerFirst;

// "PRESS cv " and "PRESS ext " end with a blank.
inline constexpr std::array kColumns = std::to_array<ModelListColumn>({
    Record(24, "St.", S, CellSource::Status, ColumnSort::None),
    Record(32, "No.", S, CellSource::Rank, ColumnSort::None),
    Record(32, "ID", S, CellSource::Id, ColumnSort::Key),
    Record(24, "Size", L, CellSource::Size, ColumnSort::Grouped),
    Record(128, "Variables", S, CellSource::Variables, ColumnSort::None),
    Real(40, "R2", L, GroupFit, &M::cvR2, CellSource::MarkedReal),
    Real(40, "R2adj", L, GroupFit, &M::cvR2adj),
    Difference(50, "R2-R2adj", S, GroupFit, &M::cvR2, &M::cvR2adj),
    Real(50, "LOF", S, GroupFit, &M::cvLOF),
    Real(40, "Kxx", S, GroupFit, &M::cvKxx),
    Difference(40, "Delta K", L, GroupFit, &M::cvKxy, &M::cvKxx),
    Real(50, "RMSE tr", S, GroupFit, &M::cvRMSEtr),
    Real(40, "MAE tr", S, GroupFit, &M::cvMAEtr),
    Real(40, "RSS tr", S, GroupFit, &M::cvRSStr),
    Real(50, "CCC tr", L, GroupFit, &M::cvCCCtr),
    Real(40, "s", S, GroupFit, &M::cvS),
    Real(40, "F", S, GroupFit, &M::cvF),
    Real(40, "Q2loo", L, GroupInternal, &M::cvQ2loo),
    Difference(50, "R2-Q2loo", S, GroupInternal, &M::cvR2, &M::cvQ2loo),
    Real(50, "RMSE cv", S, GroupInternal, &M::cvRMSEcv),
    Real(40, "MAE cv", S, GroupInternal, &M::cvMAEcv),
    Real(50, "PRESS cv ", S, GroupInternal, &M::cvPRESScv),
    Real(50, "CCC cv", L, GroupInternal, &M::cvCCCcv),
    Real(50, "Q2 LMO", L, GroupInternal, &M::cvQ2LMO),
    Real(50, "R2 Yscr", S, GroupInternal, &M::cvR2Yscr),
    Real(50, "Q2 Yscr", S, GroupInternal, &M::cvQ2Yscr),
    Real(50, "R2 Xrnd", S, GroupInternal, &M::cvR2Xrnd),
    Real(50, "Q2 Xrnd", S, GroupInternal, &M::cvQ2Xrnd),
    Real(50, "R2 Yrnd", S, GroupInternal, &M::cvR2Yrnd),
    Real(50, "Q2 Yrnd", S, GroupInternal, &M::cvQ2Yrnd),
    Count(60, "N. ext. OK", L, GroupExternal, &M::ciNExtOK, ColumnSort::Grouped),
    Real(50, "RMSE ext", S, GroupExternal, &M::cvRMSEext),
    Real(50, "MAE ext", S, GroupExternal, &M::cvMAEext),
    Real(50, "PRESS ext ", S, GroupExternal, &M::cvPRESSext),
    Real(40, "R2ext", L, GroupExternal, &M::cvR2ext),
    Real(50, "Q2-F1", L, GroupExternal, &M::cvQ2F1),
    Real(50, "Q2-F2", L, GroupExternal, &M::cvQ2F2),
    Real(50, "Q2-F3", L, GroupExternal, &M::cvQ2F3),
    Real(50, "CCC ext", L, GroupExternal, &M::cvCCCext),
    Real(50, "r2m aver.", L, GroupExternal, &M::cvR2mAver),
    Real(50, "r2m delta", S, GroupExternal, &M::cvR2mDelta),
    Real(50, "k'", S, GroupExternal, &M::cvKPrime),
    Real(50, "k", S, GroupExternal, &M::cvK),
    Real(54, "Clos'", S, GroupExternal, &M::cvClosPrime),
    Real(54, "Clos", S, GroupExternal, &M::cvClos),
    Count(100, "N. Y-outl. und. mod. eq.", S, GroupGeneral, &M::ciNYOutlUndModEq),
    Count(100, "N. Y-outl. over. mod. eq.", S, GroupGeneral, &M::ciNYOutlOverModEq),
    Count(100, "N. Y-outl. und. LOO", S, GroupGeneral, &M::ciNYOutlUndLOO),
    Count(100, "N. Y-outl. over. LOO", S, GroupGeneral, &M::ciNYOutlOverLOO),
    Count(50, "N. X-outl.", S, GroupGeneral, &M::ciNXOutl),
    Count(50, "N. out AD", S, GroupGeneral, &M::ciNOutAD),
    Real(50, "MCDM fit", L, GroupFit, &M::cvMCDMfit),
    Real(50, "MCDM cv", L, GroupInternal, &M::cvMCDMcv),
    Real(50, "MCDM ext", L, GroupExternal, &M::cvMCDMext),
    Real(50, "MCDM all", L, GroupGeneral, &M::cvMCDMall),
});

constexpr int ColumnTitled(std::string_view title) {
  for (std::size_t col = 0; col < kColumns.size(); ++col)
    if (title == kColumns[col].title) return static_cast<int>(col);
  throw "no such column";  // a compile-time error
}

constexpr int SortableCount() {
  int count = 0;
  for (const ModelListColumn& column : kColumns) count += column.sort != ColumnSort::None ? 1 : 0;
  return count;
}

}  // namespace model_list_columns

constexpr int kModelListColumnCount = static_cast<int>(model_list_columns::kColumns.size());
constexpr int kSortItemCount = model_list_columns::SortableCount();
constexpr int kStatusColumn = model_list_columns::ColumnTitled("St.");
constexpr int kRankColumn = model_list_columns::ColumnTitled("No.");
constexpr int kIdColumn = model_list_columns::ColumnTitled("ID");
constexpr int kSizeColumn = model_list_columns::ColumnTitled("Size");
constexpr int kVariablesColumn = model_list_columns::ColumnTitled("Variables");
constexpr int kR2Column = model_list_columns::ColumnTitled("R2");
constexpr int kNExtOkColumn = model_list_columns::ColumnTitled("N. ext. OK");

constexpr const std::array<ModelListColumn, kModelListColumnCount>& ModelListColumns() {
  return model_list_columns::kColumns;
}
