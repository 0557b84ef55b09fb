// Checked cells: a value with a missing flag, and bounds-checked tables of them.
#pragma once

#include <cmath>
#include <cstdint>

struct CheckedValue {
  CheckedValue() = default;
  CheckedValue(long double value, bool missing) : Missing(missing), Value(value) {}
  // Sets flag 1 and value 0 and returns the cell.
  CheckedValue& InitMissing() {
    Missing = true;
    Value = 0.0L;
    return *this;
  }

  bool Missing = false;
  long double Value = 0.0L;
};

// value as a present cell, or a missing one (value 0) when value is not finite.
inline CheckedValue IfFinite(long double value) {
  return std::isfinite(value) ? CheckedValue(value, false) : CheckedValue(0.0L, true);
}

struct CheckedIntValue {
  CheckedIntValue() = default;
  CheckedIntValue(int32_t value, bool missing) : Missing(missing), Value(value) {}

  bool Missing = false;
  int32_t Value = 0;
};

// A rows x cols table of cells, rows and cols at least 1. Invalid limits throw the
// plain text "Invalid checked value limits.", a bad index "Invalid checked matrix index".
template <typename Cell>
class CheckedTable {
public:
  CheckedTable(int rows, int cols);
  ~CheckedTable() { Free(); }
  CheckedTable(const CheckedTable&) = delete;
  CheckedTable& operator=(const CheckedTable&) = delete;

  Cell& At(int row, int col) {
    if (row < 0 || col < 0 || row >= rows_ || col >= cols_) throw "Invalid checked matrix index";
    return tpMatrixPtr[row][col];
  }
  int Rows() const { return rows_; }
  int Cols() const { return cols_; }
  void Free();

private:
  Cell** tpMatrixPtr = nullptr;
  int rows_;
  int cols_;
};

using CheckedMatrix = CheckedTable<CheckedValue>;
using CheckedIntMatrix = CheckedTable<CheckedIntValue>;
