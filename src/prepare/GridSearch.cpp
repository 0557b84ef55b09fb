#include "prepare/GridSearch.h"

#include "platform/qt/QtConvert.h"
#include "platform/qt/StringGrid.h"

namespace {

QString Folded(const std::string& text, const GridLine& where, bool matchCase) {
  const QString q = QStr(text);
  if (matchCase) return q;
  return where.upperCase ? q.toUpper() : q.toLower();
}

}  // namespace

void SearchGridLine(StringGrid& grid, const GridLine& where, const FindRequest& request, int& next,
                    const std::function<void(int)>& onMatch) {
  const QString wanted = Folded(request.text, where, request.matchCase);
  const int count = where.alongRows ? grid.RowCount() : grid.ColCount();
  for (;;) {
    bool found = false;
    while (next < count && !found) {
      const int place = next++;
      const std::string& name = where.alongRows ? grid.Cells(where.line, place) : grid.Cells(place, where.line);
      found = Folded(name, where, request.matchCase).contains(wanted);
      if (found) onMatch(place);
    }
    if (next < count) return;
    if (Ui().MessageBox("End of list reached, do you want to start searching from the beginning?",
                        "APPLICATION REQUEST", MB_YESNO | MB_ICONQUESTION) != IDYES)
      return;
    next = where.start;
    if (where.alongRows)
      grid.SetTopRow(grid.FixedRows());
    else
      grid.SetLeftCol(grid.FixedCols());
  }
}
