#include "plot/GraphData.h"

namespace {

void FreeRowArray(CheckedValue**& rows, int count) {
  if (rows == nullptr) return;
  for (int i = 0; i < count; ++i) delete[] rows[i];
  delete[] rows;
  rows = nullptr;
}

}  // namespace

void GraphData::FreeRows() {
  FreeRowArray(tpGraphValue, RowCount);
  FreeRowArray(tpGraphUncert, RowCount);
}
