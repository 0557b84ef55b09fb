#include "plot/GraphData.h"

#include <algorithm>

namespace {

void FreeRowArray(CheckedValue**& rows, int count) {
  if (rows == nullptr) return;
  for (int i = 0; i < count; ++i) delete[] rows[i];
  delete[] rows;
  rows = nullptr;
}

}  // namespace

void LabelPlotParam::KeepInside(int width, int height) {
  const int boxWidth = LabelRight - LabelLeft;
  const int boxHeight = LabelBottom - LabelTop;
  LabelLeft = std::max(0, std::min(LabelLeft, width - boxWidth));
  LabelTop = std::max(0, std::min(LabelTop, height - boxHeight));
  LabelRight = LabelLeft + boxWidth;
  LabelBottom = LabelTop + boxHeight;
}

void GraphData::FreeRows() {
  FreeRowArray(tpGraphValue, RowCount);
  FreeRowArray(tpGraphUncert, RowCount);
}
