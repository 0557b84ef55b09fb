// A table of text cells with the class library's grid semantics: cells are
// addressed column first, the first rows and columns may be fixed (grey title
// cells that stay in view while the rest scrolls), a column of width -1 is
// hidden, a per-cell hook chooses the colours, and the selection is a rectangle
// of grid coordinates (range selection on at first, as in the class library).
// The cells live in the grid's own store, so large tables stay fast.
#pragma once

#include <QTableView>
#include <functional>
#include <string>
#include <vector>

#include "platform/base/GridRect.h"
#include "platform/base/Canvas.h"

// How one cell is drawn; the draw hook may change the colours.
struct CellLook {
  TColor fill;
  TColor textColor;
  bool selected;  // inside the selection (never for fixed cells)
  bool fixed;     // a fixed title cell
};

constexpr TColor clBtnFace = 0xF0F0F0;
constexpr TColor clHighlight = 0xD77800;
constexpr TColor clHighlightText = clWhite;

class StringGridModel;
class StringGridHeader;

class StringGrid : public QTableView {
public:
  explicit StringGrid(QWidget* parent = nullptr);

  // The text of a stored cell; throws Exception when the cell lies outside the
  // grid or is a row the cell-text provider serves.
  std::string& Cells(int col, int row);
  const std::string& Cells(int col, int row) const;
  // The text shown in a cell, stored or provided.
  std::string CellText(int col, int row) const;

  // Lets a function give the texts of the rows below the fixed ones, formatted
  // on demand, so that very long tables keep no text per cell; those rows are
  // read-only. Fixed rows stay in the grid's store. Call Invalidate() after the
  // provider's data changed.
  using CellTextProvider = std::function<std::string(int col, int row)>;
  void SetCellTextProvider(CellTextProvider provider);
  void Invalidate() { ScheduleRepaint(); }

  int ColCount() const { return colCount_; }
  int RowCount() const { return static_cast<int>(rows_.size()); }
  void SetColCount(int count);
  void SetRowCount(int count);
  int FixedCols() const { return fixedCols_; }
  int FixedRows() const { return fixedRows_; }
  void SetFixedCols(int count);
  void SetFixedRows(int count);

  int ColWidth(int col) const { return colWidths_.at(col); }
  void SetColWidth(int col, int width);  // -1 hides the column
  // The column width in which text shows whole.
  int TextColWidth(const std::string& text) const;
  // Widens a shown column so that its widest text, fixed cells included, shows
  // whole; a wider column stays as it is.
  void WidenColToFit(int col);
  int DefaultColWidth() const { return defaultColWidth_; }
  void SetDefaultColWidth(int width);    // also resets every column to it
  int DefaultRowHeight() const { return defaultRowHeight_; }
  void SetDefaultRowHeight(int height);

  // The selection; without one, the current cell.
  GridRect Selection() const;
  void SetSelection(GridRect rect);
  bool RangeSelect() const { return rangeSelect_; }
  void SetRangeSelect(bool on);
  void SetRowSelect(bool on);
  int Col() const;  // the current cell
  int Row() const;

  // The first non-fixed row and column in view.
  int TopRow() const;
  void SetTopRow(int row);
  int LeftCol() const;
  void SetLeftCol(int col);
  void ScrollIntoView(int col, int row);

  bool Editing() const { return editing_; }
  void SetEditing(bool on);
  // What the in-place editor does on every keystroke: store the text and run
  // OnSetEditText; a handler that changes the cell changes the editor too. The
  // editor stays open while the handler runs, also when a message it shows takes
  // the focus, so that the keystroke returns to a live editor; the editor then
  // takes the focus back, so that the next keys reach it.
  void EditText(int col, int row, const std::string& text, QWidget* editor);

  // Draws one cell into rect (grid lines excluded) with the hook's colours.
  void PaintCell(QPainter& painter, const QRect& rect, int col, int row, bool selected, bool fixed);
  // The width of the fixed columns and the height of the fixed rows, grid lines included.
  int FixedColsWidth() const;
  int FixedRowsHeight() const;

  std::function<void(int col, int row, CellLook& look)> OnDrawCell;
  std::function<void(int col, int row, const std::string& text)> OnSetEditText;
  std::function<void(int col, int row)> OnSelectCell;  // the current cell moved
  std::function<void(int col, int row)> OnMouseDown;   // the cell under the mouse, -1 outside
  std::function<void(int col, int row)> OnMouseUp;
  std::function<void()> OnDblClick;
  std::function<void()> OnTopLeftChanged;

protected:
  void updateGeometries() override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
  void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;

private:
  friend class StringGridModel;
  void CheckCell(int col, int row) const;
  void ScheduleRepaint();
  void ApplyColWidth(int col);
  void ApplyAllColWidths();
  void ApplyFixedSizes();
  void ChangeFixed(const std::function<void()>& change);
  void CellAt(const QPoint& viewportPos, int& col, int& row) const;
  int VisibleColumnsBefore(int modelCol) const;
  bool Provided(int row) const { return provider_ && row >= fixedRows_; }

  std::vector<std::vector<std::string>> rows_;  // rows_[row][col]; provided rows hold none
  CellTextProvider provider_;
  std::vector<int> colWidths_;
  int colCount_ = 0;
  int fixedCols_ = 0;
  int fixedRows_ = 0;
  int defaultColWidth_ = 64;
  int defaultRowHeight_ = 24;
  bool rangeSelect_ = true;
  bool editing_ = false;
  bool repaintQueued_ = false;
  bool painting_ = false;  // inside the draw hook
  QWidget* reportingEditor_ = nullptr;  // the editor whose keystroke OnSetEditText handles
  StringGridModel* model_ = nullptr;
  StringGridHeader* topHeader_ = nullptr;
  StringGridHeader* leftHeader_ = nullptr;
  QWidget* corner_ = nullptr;
};
