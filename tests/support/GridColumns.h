// Whether a grid column shows its texts whole (GUI tests only).
#pragma once

#include <QFontMetrics>

#include "platform/qt/QtConvert.h"
#include "platform/qt/StringGrid.h"

// Every text of the column, drawn 2 pixels into its cell, ends inside the cell.
inline bool ShowsWholeTexts(const StringGrid& grid, int col) {
  for (int row = 0; row < grid.RowCount(); ++row)
    if (grid.fontMetrics().horizontalAdvance(QStr(grid.CellText(col, row))) + 2 > grid.ColWidth(col)) return false;
  return true;
}
