#include "platform/qt/StringGrid.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <map>

#include "platform/base/Exception.h"
#include "platform/qt/QtConvert.h"
#include "support/GridColumns.h"

namespace {

// A shown grid of cols x rows with "c,r" in every cell.
struct FilledGrid {
  StringGrid grid;
  FilledGrid(int cols, int rows) {
    grid.resize(400, 300);
    grid.SetColCount(cols);
    grid.SetRowCount(rows);
    for (int r = 0; r < rows; ++r)
      for (int c = 0; c < cols; ++c) grid.Cells(c, r) = std::to_string(c) + "," + std::to_string(r);
    grid.show();
    QCoreApplication::processEvents();
  }
  QRect CellRect(int col, int row) const {
    return grid.visualRect(grid.model()->index(row - grid.FixedRows(), col - grid.FixedCols()));
  }
};

TEST(StringGridTest, CellsAreColumnFirstAndSurviveResizing) {
  StringGrid grid;
  grid.SetColCount(3);
  grid.SetRowCount(4);
  grid.Cells(2, 1) = "x";
  grid.Cells(0, 3) = "name";
  // The view shows only the cells that are not fixed: one fixed row and column by default.
  EXPECT_EQ(grid.model()->index(0, 1).data().toString(), "x");
  grid.SetColCount(6);
  grid.SetRowCount(3);  // the last row is dropped
  grid.SetRowCount(4);
  EXPECT_EQ(grid.Cells(2, 1), "x");
  EXPECT_EQ(grid.Cells(0, 3), "");
  EXPECT_THROW(grid.Cells(6, 0), Exception);
  EXPECT_THROW(grid.Cells(0, -1), Exception);
}

TEST(StringGridTest, FixedCellsStayInViewAndHiddenColumnsTakeNoRoom) {
  FilledGrid f(40, 200);
  f.grid.SetTopRow(50);
  f.grid.SetLeftCol(10);
  EXPECT_EQ(f.CellRect(10, 50).topLeft(), QPoint(0, 0));
  f.grid.SetFixedRows(2);  // the view keeps its place in grid coordinates
  EXPECT_EQ(f.grid.TopRow(), 50);
  EXPECT_EQ(f.grid.horizontalHeader()->height(), 2 * (f.grid.DefaultRowHeight() + 1));
  f.grid.SetTopRow(0);  // clamped to the first scrolling row
  EXPECT_EQ(f.grid.TopRow(), 2);

  f.grid.SetLeftCol(1);
  f.grid.SetColWidth(3, 100);
  f.grid.SetColWidth(2, -1);
  // Column 3 follows column 1 directly; its cell is 100 pixels wide.
  EXPECT_EQ(f.CellRect(3, 5).left(), f.CellRect(1, 5).left() + f.grid.DefaultColWidth() + 1);
  EXPECT_EQ(f.CellRect(3, 5).width(), 100);
  f.grid.SetFixedCols(3);  // column 2, hidden, becomes fixed and takes no room
  EXPECT_EQ(f.grid.verticalHeader()->width(), 2 * (f.grid.DefaultColWidth() + 1));
  EXPECT_EQ(f.CellRect(3, 5).width(), 100);
}

TEST(StringGridTest, CellsThatStopBeingFixedStayInView) {
  FilledGrid f(20, 50);
  f.grid.SetFixedCols(0);
  f.grid.SetFixedRows(0);
  EXPECT_EQ(f.grid.LeftCol(), 0);
  EXPECT_EQ(f.grid.TopRow(), 0);
  EXPECT_EQ(f.CellRect(0, 0).topLeft(), QPoint(0, 0));
  f.grid.SetLeftCol(5);  // scrolled away, the view keeps its place and its selection
  f.grid.SetSelection({6, 2, 7, 3});
  f.grid.SetFixedCols(1);
  EXPECT_EQ(f.grid.LeftCol(), 5);
  EXPECT_EQ(f.grid.Selection(), (GridRect{6, 2, 7, 3}));
}

TEST(StringGridTest, SelectionIsInGridCoordinatesAndClamped) {
  FilledGrid f(8, 8);
  f.grid.SetSelection({0, 0, 99, 2});
  EXPECT_EQ(f.grid.Selection(), (GridRect{1, 1, 7, 2}));
  f.grid.SetRowSelect(true);
  f.grid.SetSelection({3, 5, 3, 6});
  EXPECT_EQ(f.grid.Selection(), (GridRect{1, 5, 7, 6}));
}

TEST(StringGridTest, DrawHookSeesEveryVisibleCellWithItsState) {
  FilledGrid f(4, 4);
  f.grid.SetSelection({2, 2, 2, 2});
  std::map<std::pair<int, int>, CellLook> seen;
  f.grid.OnDrawCell = [&](int col, int row, CellLook& look) {
    seen[{col, row}] = look;
    if (col == 3 && row == 3) look.fill = clRed;
  };
  const QImage image = f.grid.grab().toImage();
  ASSERT_EQ(seen.size(), 16u);
  for (const auto& [cell, state] : seen) {
    EXPECT_EQ(state.fixed, cell.first == 0 || cell.second == 0) << cell.first << "," << cell.second;
    EXPECT_EQ(state.selected, cell == std::make_pair(2, 2)) << cell.first << "," << cell.second;
  }
  EXPECT_EQ(seen.at({2, 2}).fill, clHighlight);
  const QRect red = f.CellRect(3, 3).translated(f.grid.viewport()->mapTo(&f.grid, QPoint(0, 0)));
  EXPECT_EQ(ToTColor(image.pixelColor(red.center())), clRed);
}

// The runs of equal colours met from `from` on, n pixels one step apart.
using Runs = std::vector<std::pair<TColor, int>>;
Runs ColourRuns(const QImage& image, QPoint from, QPoint step, int n) {
  Runs runs;
  for (QPoint at = from; n-- > 0; at += step) {
    const TColor colour = ToTColor(image.pixelColor(at));
    if (runs.empty() || runs.back().first != colour)
      runs.push_back({colour, 1});
    else
      ++runs.back().second;
  }
  return runs;
}

// Two fixed columns, as the table editor of experimental against predicted
// values has: each is drawn in its own place, side by side at the left of every
// row, title row included, also while the grid is scrolled.
TEST(StringGridTest, TwoFixedColumnsAreDrawnSideBySideUnderTheirTitles) {
  FilledGrid f(40, 40);
  StringGrid& grid = f.grid;
  grid.SetDefaultRowHeight(16);
  grid.SetDefaultColWidth(40);
  grid.SetFixedCols(2);
  grid.SetColWidth(0, 30);
  grid.SetColWidth(1, 50);
  const TColor byCol[] = {clRed, clLime};
  grid.OnDrawCell = [&](int col, int, CellLook& look) {
    look.fill = look.textColor = col < 2 ? byCol[col] : clBlue;  // no text shows
  };
  const TColor line = 0xA0A0A0;
  const Runs across{{clRed, 30}, {line, 1}, {clLime, 50}, {line, 1}, {clBlue, 40}};
  const Runs down{{clLime, 16}, {line, 1}, {clLime, 16}, {line, 1}, {clLime, 16}};
  const int frame = grid.frameWidth();
  for (const bool scrolled : {false, true}) {
    SCOPED_TRACE(scrolled ? "scrolled" : "at the start");
    if (scrolled) {
      grid.SetLeftCol(6);
      grid.SetTopRow(20);
    }
    const QImage image = grid.grab().toImage();
    for (int row = 0; row < 3; ++row)
      EXPECT_EQ(ColourRuns(image, {frame, frame + 17 * row + 8}, {1, 0}, 122), across) << "row " << row;
    EXPECT_EQ(ColourRuns(image, {frame + 31 + 25, frame}, {0, 1}, 50), down);
    const Runs title{{clBlue, 16}, {line, 1}, {clBlue, 1}};  // a title cell over its column
    EXPECT_EQ(ColourRuns(image, {frame + 82 + 20, frame}, {0, 1}, 18), title);
  }
}

// A draw hook that reads cells through the writable accessor leaves the grid at
// rest once painted; a write outside painting still repaints.
TEST(StringGridTest, ReadingCellsWhileDrawingSchedulesNoRepaint) {
  FilledGrid filled(4, 6);
  StringGrid& grid = filled.grid;
  int paints = 0;
  grid.OnDrawCell = [&](int col, int row, CellLook& look) {
    ++paints;
    if (grid.Cells(col, row) == "1,1") look.fill = clRed;
  };
  auto pump = [] {
    for (int round = 0; round < 20; ++round) QCoreApplication::processEvents();
  };
  grid.viewport()->update();
  pump();
  ASSERT_GT(paints, 0);
  paints = 0;
  pump();
  EXPECT_EQ(paints, 0);
  grid.Cells(2, 2) = "new";
  pump();
  EXPECT_GT(paints, 0);
}

TEST(StringGridTest, EditingReportsEveryKeystroke) {
  FilledGrid f(3, 3);
  std::vector<std::string> edits;
  f.grid.OnSetEditText = [&](int col, int row, const std::string& text) {
    edits.push_back(std::to_string(col) + "," + std::to_string(row) + "=" + text);
    if (text.back() == 'x') f.grid.Cells(col, row) = text.substr(0, text.size() - 1);  // refused
  };
  const QModelIndex index = f.grid.model()->index(1, 1);  // grid cell (2, 2)
  EXPECT_FALSE(f.grid.model()->flags(index) & Qt::ItemIsEditable);  // editing is off

  f.grid.SetEditing(true);
  f.grid.setCurrentIndex(index);
  f.grid.edit(index);
  auto* editor = f.grid.viewport()->findChild<QLineEdit*>();
  ASSERT_NE(editor, nullptr);
  editor->selectAll();
  for (const char* key : {"1", "x", "2"}) {
    QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, key);
    QCoreApplication::sendEvent(editor, &press);
  }
  EXPECT_EQ(edits, (std::vector<std::string>{"2,2=1", "2,2=1x", "2,2=12"}));
  EXPECT_EQ(f.grid.Cells(2, 2), "12");
  EXPECT_EQ(editor->text(), "12");
}

TEST(StringGridTest, MouseDragSelectsARangeOrMovesTheCell) {
  FilledGrid f(6, 6);
  std::vector<std::pair<int, int>> downs;
  GridRect atRelease{};
  f.grid.OnMouseDown = [&](int col, int row) { downs.push_back({col, row}); };
  f.grid.OnMouseUp = [&](int, int) { atRelease = f.grid.Selection(); };
  auto send = [&](QEvent::Type type, QPoint at, Qt::MouseButtons buttons) {
    QWidget* viewport = f.grid.viewport();
    QMouseEvent event(type, at, viewport->mapToGlobal(at), Qt::LeftButton, buttons, Qt::NoModifier);
    QCoreApplication::sendEvent(viewport, &event);
  };
  auto drag = [&](int fromCol, int fromRow, int toCol, int toRow) {
    send(QEvent::MouseButtonPress, f.CellRect(fromCol, fromRow).center(), Qt::LeftButton);
    send(QEvent::MouseMove, f.CellRect(toCol, toRow).center(), Qt::LeftButton);
    send(QEvent::MouseButtonRelease, f.CellRect(toCol, toRow).center(), Qt::NoButton);
  };
  drag(2, 2, 4, 3);
  EXPECT_EQ(downs, (std::vector<std::pair<int, int>>{{2, 2}}));
  EXPECT_EQ(atRelease, (GridRect{2, 2, 4, 3}));
  f.grid.SetRangeSelect(false);  // a drag now moves the single selected cell
  drag(1, 1, 3, 4);
  EXPECT_EQ(atRelease, (GridRect{3, 4, 3, 4}));
}

}  // namespace

namespace {

// A title, a stored cell or a provided one may be the widest text; a wider
// column stays as it is and a hidden one stays hidden.
TEST(StringGridTest, FittedColumnsShowTheirWidestText) {
  FilledGrid f(4, 4);
  StringGrid& grid = f.grid;
  grid.SetDefaultColWidth(20);
  grid.Cells(1, 0) = "a long column title";
  grid.Cells(2, 3) = "a long cell text";
  grid.SetColWidth(0, 300);
  grid.SetColWidth(1, 0);
  grid.SetColWidth(3, -1);
  for (int col = 0; col < 4; ++col) grid.WidenColToFit(col);
  EXPECT_TRUE(ShowsWholeTexts(grid, 1));
  EXPECT_TRUE(ShowsWholeTexts(grid, 2));
  EXPECT_EQ(grid.ColWidth(0), 300);
  EXPECT_EQ(grid.ColWidth(3), -1);
  EXPECT_EQ(grid.horizontalHeader()->sectionSize(1), grid.ColWidth(2) + 1);  // the view follows
  EXPECT_EQ(grid.ColWidth(2), grid.TextColWidth("a long cell text"));

  grid.SetCellTextProvider([](int, int row) { return std::string(10 * row, 'w'); });
  grid.WidenColToFit(2);
  EXPECT_EQ(grid.ColWidth(2), grid.TextColWidth(std::string(30, 'w')));
}

TEST(StringGridTest, ProvidedRowsAreFormattedOnDemandAndFixedRowsStayStored) {
  StringGrid grid;
  grid.SetFixedCols(0);
  int calls = 0;
  grid.SetCellTextProvider([&calls](int col, int row) {
    ++calls;
    return "p" + std::to_string(col) + "," + std::to_string(row);
  });
  grid.SetColCount(3);
  grid.SetRowCount(100000);
  grid.Cells(1, 0) = "title";
  EXPECT_EQ(grid.CellText(1, 0), "title");
  EXPECT_EQ(grid.CellText(2, 99999), "p2,99999");
  EXPECT_EQ(StdStr(grid.model()->index(4, 1).data().toString()), "p1,5");
  EXPECT_THROW(grid.Cells(0, 1), Exception);
  EXPECT_THROW(grid.CellText(3, 1), Exception);
  EXPECT_EQ(calls, 2);
  grid.resize(300, 200);
  grid.show();
  QCoreApplication::processEvents();
  EXPECT_LT(calls, 200);  // only the rows in view were formatted
}

}  // namespace
