#include "platform/qt/StringGrid.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QScrollBar>
#include <map>

#include "platform/base/Exception.h"
#include "platform/qt/QtConvert.h"

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
  EXPECT_EQ(grid.model()->columnCount(), 2);
  EXPECT_EQ(grid.model()->rowCount(), 3);
  EXPECT_EQ(grid.model()->index(0, 1).data().toString(), "x");  // view row 0 is grid row 1
  grid.SetColCount(6);
  grid.SetRowCount(10);
  EXPECT_EQ(grid.Cells(2, 1), "x");
  EXPECT_EQ(grid.Cells(5, 9), "");
  grid.SetRowCount(3);  // the last row is dropped
  grid.SetRowCount(4);
  EXPECT_EQ(grid.Cells(0, 3), "");
  EXPECT_THROW(grid.Cells(6, 0), Exception);
  EXPECT_THROW(grid.Cells(0, -1), Exception);
  grid.SetColCount(0);
  EXPECT_EQ(grid.FixedCols(), 0);
}

TEST(StringGridTest, FixedRowsAndColumnsStayInViewWhileDataScrolls) {
  FilledGrid f(40, 200);
  f.grid.SetTopRow(50);
  f.grid.SetLeftCol(10);
  EXPECT_EQ(f.grid.TopRow(), 50);
  EXPECT_EQ(f.grid.LeftCol(), 10);
  // The first data row in view sits right below the fixed row.
  EXPECT_EQ(f.CellRect(10, 50).topLeft(), QPoint(0, 0));
  EXPECT_EQ(f.grid.horizontalHeader()->height(), f.grid.DefaultRowHeight() + 1);
  EXPECT_EQ(f.grid.verticalHeader()->width(), f.grid.ColWidth(0) + 1);

  f.grid.SetFixedRows(2);  // the view keeps its place in grid coordinates
  EXPECT_EQ(f.grid.TopRow(), 50);
  EXPECT_EQ(f.grid.horizontalHeader()->height(), 2 * (f.grid.DefaultRowHeight() + 1));
  f.grid.SetTopRow(0);  // clamped to the first scrolling row
  EXPECT_EQ(f.grid.TopRow(), 2);
}

TEST(StringGridTest, HiddenColumnsAndWidths) {
  FilledGrid f(10, 5);
  f.grid.SetColWidth(3, 100);
  f.grid.SetColWidth(2, -1);
  EXPECT_EQ(f.grid.ColWidth(3), 100);
  EXPECT_EQ(f.grid.ColWidth(2), -1);
  EXPECT_TRUE(f.grid.isColumnHidden(1));
  // Column 3 follows column 1 directly; its cell is 100 pixels wide.
  EXPECT_EQ(f.CellRect(3, 1).left(), f.CellRect(1, 1).left() + f.grid.DefaultColWidth() + 1);
  EXPECT_EQ(f.CellRect(3, 1).width(), 100);
  // Widths are kept through a change of the fixed columns.
  f.grid.SetFixedCols(2);
  EXPECT_EQ(f.grid.ColWidth(2), -1);
  EXPECT_EQ(f.grid.verticalHeader()->width(), 2 * (f.grid.DefaultColWidth() + 1));
  EXPECT_EQ(f.CellRect(3, 1).width(), 100);
  f.grid.SetLeftCol(4);  // with a hidden fixed-adjacent column before it
  EXPECT_EQ(f.grid.LeftCol(), 4);
  f.grid.SetFixedCols(3);  // column 2, hidden, becomes fixed and takes no room
  EXPECT_EQ(f.grid.verticalHeader()->width(), 2 * (f.grid.DefaultColWidth() + 1));
}

TEST(StringGridTest, SelectionIsInGridCoordinates) {
  FilledGrid f(8, 8);
  EXPECT_EQ(f.grid.Selection(), (GridRect{1, 1, 1, 1}));
  f.grid.SetSelection({2, 3, 5, 4});
  EXPECT_EQ(f.grid.Selection(), (GridRect{2, 3, 5, 4}));
  EXPECT_EQ(f.grid.Col(), 2);
  EXPECT_EQ(f.grid.Row(), 3);
  f.grid.SetSelection({0, 0, 99, 2});  // clamped to the scrolling cells
  EXPECT_EQ(f.grid.Selection(), (GridRect{1, 1, 7, 2}));
  f.grid.SetRowSelect(true);
  f.grid.SetSelection({3, 5, 3, 6});
  EXPECT_EQ(f.grid.Selection(), (GridRect{1, 5, 7, 6}));
}

TEST(StringGridTest, DrawHookSeesEveryVisibleCellWithItsState) {
  FilledGrid f(4, 4);
  f.grid.SetSelection({2, 2, 2, 2});
  std::map<std::pair<int, int>, CellLook> seen;
  auto look = [&](int col, int row) { return seen.at(std::make_pair(col, row)); };
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
  EXPECT_EQ(look(2, 2).fill, clHighlight);
  EXPECT_EQ(look(1, 2).fill, clWhite);
  const QRect red = f.CellRect(3, 3).translated(f.grid.viewport()->mapTo(&f.grid, QPoint(0, 0)));
  EXPECT_EQ(ToTColor(image.pixelColor(red.center())), clRed);
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
  EXPECT_EQ(editor->text(), "2,2");
  editor->selectAll();
  for (const char* key : {"1", "x", "2"}) {
    QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, key);
    QCoreApplication::sendEvent(editor, &press);
  }
  EXPECT_EQ(edits, (std::vector<std::string>{"2,2=1", "2,2=1x", "2,2=12"}));
  EXPECT_EQ(f.grid.Cells(2, 2), "12");
  EXPECT_EQ(editor->text(), "12");
}

void SendMouse(QWidget* target, QEvent::Type type, QPoint at, Qt::MouseButtons buttons) {
  QMouseEvent event(type, at, target->mapToGlobal(at), Qt::LeftButton, buttons, Qt::NoModifier);
  QCoreApplication::sendEvent(target, &event);
}

TEST(StringGridTest, MouseDragSelectsARangeAndEventsReportCells) {
  FilledGrid f(6, 6);
  std::vector<std::pair<int, int>> downs;
  GridRect atRelease{};
  f.grid.OnMouseDown = [&](int col, int row) { downs.push_back({col, row}); };
  f.grid.OnMouseUp = [&](int, int) { atRelease = f.grid.Selection(); };
  QWidget* viewport = f.grid.viewport();
  SendMouse(viewport, QEvent::MouseButtonPress, f.CellRect(2, 2).center(), Qt::LeftButton);
  SendMouse(viewport, QEvent::MouseMove, f.CellRect(4, 3).center(), Qt::LeftButton);
  SendMouse(viewport, QEvent::MouseButtonRelease, f.CellRect(4, 3).center(), Qt::NoButton);
  EXPECT_EQ(downs, (std::vector<std::pair<int, int>>{{2, 2}}));
  EXPECT_EQ(atRelease, (GridRect{2, 2, 4, 3}));

  f.grid.SetRangeSelect(false);  // a drag now moves the single selected cell
  SendMouse(viewport, QEvent::MouseButtonPress, f.CellRect(1, 1).center(), Qt::LeftButton);
  SendMouse(viewport, QEvent::MouseMove, f.CellRect(3, 4).center(), Qt::LeftButton);
  SendMouse(viewport, QEvent::MouseButtonRelease, f.CellRect(3, 4).center(), Qt::NoButton);
  EXPECT_EQ(atRelease, (GridRect{3, 4, 3, 4}));
}

TEST(StringGridTest, TopLeftChangeAndScrollIntoView) {
  FilledGrid f(50, 300);
  int changes = 0;
  f.grid.OnTopLeftChanged = [&] { ++changes; };
  f.grid.ScrollIntoView(45, 250);
  EXPECT_GT(changes, 0);
  EXPECT_TRUE(f.grid.viewport()->rect().contains(f.CellRect(45, 250)));
  f.grid.ScrollIntoView(0, 0);  // fixed cells are always in view
}

}  // namespace
