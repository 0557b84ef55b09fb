// An in-memory table of text cells for the table logic's tests.
#pragma once

#include <string>
#include <vector>

#include "prepare/CellStore.h"

class CellTable : public CellStore {
public:
  CellTable(int cols, int rows) { SetColCount(cols), SetRowCount(rows); }
  int ColCount() const override { return cols_; }
  int RowCount() const override { return static_cast<int>(rows_.size()); }
  void SetColCount(int count) override {
    cols_ = count;
    for (auto& row : rows_) row.resize(count);
  }
  void SetRowCount(int count) override { rows_.resize(count, std::vector<std::string>(cols_)); }
  using CellStore::Cell;
  std::string& Cell(int col, int row) override { return rows_.at(row).at(col); }

  // The cells of one row, from column first on.
  std::vector<std::string> Line(int row, int first = 0) const {
    return std::vector<std::string>(rows_.at(row).begin() + first, rows_.at(row).end());
  }

private:
  int cols_ = 0;
  std::vector<std::vector<std::string>> rows_;
};
