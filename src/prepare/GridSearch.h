// The name search of the grids: a substring search along the rows (names in one
// column) or the columns (names in one row) of a grid, continuing where the
// previous search stopped and offering to start again at the end.
#pragma once

#include <functional>

#include "platform/base/UiServices.h"

class StringGrid;

struct GridLine {
  bool alongRows;  // rows with the names in column `line`, or columns with them in row `line`
  int line;
  int start;       // the first row or column of the search
  bool upperCase;  // without match case, both texts are compared in upper (else lower) case
};

// Examines the rows or columns from next on, next moving past each; a match is
// passed to onMatch and ends the pass. At the end of the grid, also after a
// match in the last place, asks whether to start again; on Yes next returns to
// the start, the grid scrolls back and the search runs again.
void SearchGridLine(StringGrid& grid, const GridLine& where, const FindRequest& request, int& next,
                    const std::function<void(int)>& onMatch);
