// A string grid seen as a table of text cells, for the table logic of the
// data windows.
#pragma once

#include "platform/qt/StringGrid.h"
#include "prepare/CellStore.h"

class GridCells : public CellStore {
public:
  explicit GridCells(StringGrid& grid) : grid_(grid) {}
  int ColCount() const override { return grid_.ColCount(); }
  int RowCount() const override { return grid_.RowCount(); }
  void SetColCount(int count) override { grid_.SetColCount(count); }
  void SetRowCount(int count) override { grid_.SetRowCount(count); }
  using CellStore::Cell;
  std::string& Cell(int col, int row) override { return grid_.Cells(col, row); }

private:
  StringGrid& grid_;
};
