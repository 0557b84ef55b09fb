// A table of text cells addressed column first, as the windows' grids hold
// them; the table logic of the data windows works on it without knowing the
// grid widget.
#pragma once

#include <string>

#include "platform/base/GridRect.h"

class CellStore {
public:
  virtual ~CellStore() = default;
  virtual int ColCount() const = 0;
  virtual int RowCount() const = 0;
  virtual void SetColCount(int count) = 0;
  virtual void SetRowCount(int count) = 0;
  virtual std::string& Cell(int col, int row) = 0;
  const std::string& Cell(int col, int row) const { return const_cast<CellStore*>(this)->Cell(col, row); }
  bool Contains(int col, int row) const { return col >= 0 && row >= 0 && col < ColCount() && row < RowCount(); }
};
