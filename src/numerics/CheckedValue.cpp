#include "numerics/CheckedValue.h"

#include "numerics/Utils.h"

template <typename Cell>
CheckedTable<Cell>::CheckedTable(int rows, int cols) : rows_(rows), cols_(cols) {
  if (rows < 1 || cols < 1) throw "Invalid checked value limits.";
  AllocCheckedArray(tpMatrixPtr, rows, "*tpMatrixPtr");
  try {
    for (int r = 0; r < rows; ++r) AllocCheckedArray(tpMatrixPtr[r], cols, "**tpMatrixPtr");
  } catch (...) {
    Free();
    throw;
  }
}

template <typename Cell>
void CheckedTable<Cell>::Free() {
  if (tpMatrixPtr == nullptr) return;
  for (int r = 0; r < rows_; ++r) delete[] tpMatrixPtr[r];
  delete[] tpMatrixPtr;
  tpMatrixPtr = nullptr;
}

template class CheckedTable<CheckedValue>;
template class CheckedTable<CheckedIntValue>;
