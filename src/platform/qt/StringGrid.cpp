#include "platform/qt/StringGrid.h"

#include <QAbstractTableModel>
#include <QHeaderView>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <algorithm>

#include "platform/base/Exception.h"
#include "platform/qt/QtConvert.h"

namespace {

constexpr TColor kGridLine = 0xA0A0A0;

// A fixed cell: the hooked look inside, grid lines on its right and bottom edge.
void PaintFixedCell(StringGrid& grid, QPainter& painter, const QRect& rect, int col, int row) {
  grid.PaintCell(painter, rect.adjusted(0, 0, -1, -1), col, row, false, true);
  painter.setPen(ToQColor(kGridLine));
  painter.drawLine(rect.topRight(), rect.bottomRight());
  painter.drawLine(rect.bottomLeft(), rect.bottomRight());
}

// The fixed columns' cells of one row, from x on, each as high as height.
void PaintFixedColumns(StringGrid& grid, QPainter& painter, int x, int y, int height, int row) {
  for (int col = 0; col < grid.FixedCols(); ++col) {
    const int width = grid.ColWidth(col) + 1;
    if (width <= 0) continue;
    PaintFixedCell(grid, painter, QRect(x, y, width, height), col, row);
    x += width;
  }
}

}  // namespace

// The view's window on the grid's store: the cells that are not fixed.
class StringGridModel : public QAbstractTableModel {
public:
  explicit StringGridModel(StringGrid& grid) : QAbstractTableModel(&grid), grid_(grid) {}

  int rowCount(const QModelIndex& parent = {}) const override {
    return parent.isValid() ? 0 : grid_.RowCount() - grid_.FixedRows();
  }
  int columnCount(const QModelIndex& parent = {}) const override {
    return parent.isValid() ? 0 : grid_.ColCount() - grid_.FixedCols();
  }
  QVariant data(const QModelIndex& index, int role) const override {
    if (role != Qt::DisplayRole && role != Qt::EditRole) return {};
    return QStr(grid_.CellText(index.column() + grid_.FixedCols(), index.row() + grid_.FixedRows()));
  }
  bool setData(const QModelIndex& index, const QVariant& value, int role) override {
    if (role != Qt::EditRole) return false;
    Cell(index) = StdStr(value.toString());
    emit dataChanged(index, index);
    return true;
  }
  Qt::ItemFlags flags(const QModelIndex&) const override {
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    return grid_.Editing() ? flags | Qt::ItemIsEditable : flags;
  }

  // Runs a change of the store between the begin and end notifications.
  void Reset(const std::function<void()>& change) {
    beginResetModel();
    change();
    endResetModel();
  }
  void ResizeRows(int from, int to, const std::function<void()>& change) {
    Resize(Qt::Vertical, from, to, change);
  }
  void ResizeColumns(int from, int to, const std::function<void()>& change) {
    Resize(Qt::Horizontal, from, to, change);
  }

private:
  std::string& Cell(const QModelIndex& index) const {
    return grid_.Cells(index.column() + grid_.FixedCols(), index.row() + grid_.FixedRows());
  }
  void Resize(Qt::Orientation orientation, int from, int to, const std::function<void()>& change) {
    const bool rows = orientation == Qt::Vertical;
    if (to > from) {
      rows ? beginInsertRows({}, from, to - 1) : beginInsertColumns({}, from, to - 1);
      change();
      rows ? endInsertRows() : endInsertColumns();
    } else if (to < from) {
      rows ? beginRemoveRows({}, to, from - 1) : beginRemoveColumns({}, to, from - 1);
      change();
      rows ? endRemoveRows() : endRemoveColumns();
    } else {
      change();
    }
  }

  StringGrid& grid_;
};

// The fixed rows (the top header) or the fixed columns (the left header).
class StringGridHeader : public QHeaderView {
public:
  StringGridHeader(Qt::Orientation orientation, StringGrid& grid) : QHeaderView(orientation, &grid), grid_(grid) {
    setMinimumSectionSize(0);
    setHighlightSections(false);
    setSectionsClickable(false);
    setSectionResizeMode(orientation == Qt::Horizontal ? Interactive : Fixed);
  }

  QSize sizeHint() const override {
    const QSize base = QHeaderView::sizeHint();
    return orientation() == Qt::Horizontal ? QSize(base.width(), grid_.FixedRowsHeight())
                                           : QSize(grid_.FixedColsWidth(), base.height());
  }

protected:
  void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override {
    const int pitch = grid_.DefaultRowHeight() + 1;
    if (orientation() == Qt::Horizontal) {
      for (int row = 0; row < grid_.FixedRows(); ++row)
        PaintFixedCell(grid_, *painter, QRect(rect.x(), rect.y() + row * pitch, rect.width(), pitch),
                       logicalIndex + grid_.FixedCols(), row);
      return;
    }
    PaintFixedColumns(grid_, *painter, rect.x(), rect.y(), rect.height(), logicalIndex + grid_.FixedRows());
  }

private:
  StringGrid& grid_;
};

// The cells where the fixed rows and the fixed columns cross.
class StringGridCorner : public QWidget {
public:
  explicit StringGridCorner(StringGrid& grid) : QWidget(&grid), grid_(grid) {}

protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    const int pitch = grid_.DefaultRowHeight() + 1;
    for (int row = 0; row < grid_.FixedRows(); ++row) PaintFixedColumns(grid_, painter, 0, row * pitch, pitch, row);
  }

private:
  StringGrid& grid_;
};

// Draws every data cell through the grid and edits in a line edit that reports
// each keystroke.
class StringGridDelegate : public QStyledItemDelegate {
public:
  explicit StringGridDelegate(StringGrid& grid) : QStyledItemDelegate(&grid), grid_(grid) {}

  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    grid_.PaintCell(*painter, option.rect, index.column() + grid_.FixedCols(), index.row() + grid_.FixedRows(),
                    option.state.testFlag(QStyle::State_Selected), false);
  }

  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex& index) const override {
    auto* editor = new QLineEdit(parent);
    editor->setFrame(false);
    const int col = index.column() + grid_.FixedCols();
    const int row = index.row() + grid_.FixedRows();
    connect(editor, &QLineEdit::textEdited, editor,
            [this, editor, col, row](const QString& text) { grid_.EditText(col, row, StdStr(text), editor); });
    return editor;
  }

private:
  StringGrid& grid_;
};

StringGrid::StringGrid(QWidget* parent) : QTableView(parent) {
  corner_ = new StringGridCorner(*this);
  model_ = new StringGridModel(*this);
  setModel(model_);
  topHeader_ = new StringGridHeader(Qt::Horizontal, *this);
  leftHeader_ = new StringGridHeader(Qt::Vertical, *this);
  setHorizontalHeader(topHeader_);
  setVerticalHeader(leftHeader_);
  setItemDelegate(new StringGridDelegate(*this));
  setCornerButtonEnabled(false);
  setWordWrap(false);
  setHorizontalScrollMode(ScrollPerItem);
  setVerticalScrollMode(ScrollPerItem);
  setEditTriggers(NoEditTriggers);
  SetRangeSelect(rangeSelect_);
  connect(topHeader_, &QHeaderView::sectionResized, this, [this](int section, int, int size) {
    const int col = section + fixedCols_;
    if (size > 0 && col < colCount_) colWidths_[col] = size - 1;
  });
  for (QScrollBar* bar : {horizontalScrollBar(), verticalScrollBar()})
    connect(bar, &QScrollBar::valueChanged, this, [this] {
      if (OnTopLeftChanged) OnTopLeftChanged();
    });
  topHeader_->setDefaultSectionSize(defaultColWidth_ + 1);
  SetDefaultRowHeight(defaultRowHeight_);
  SetColCount(5);
  SetRowCount(5);
  SetFixedCols(1);
  SetFixedRows(1);
}

void StringGrid::CheckCell(int col, int row) const {
  if (col < 0 || col >= colCount_ || row < 0 || row >= RowCount())
    throw Exception("Grid cell (" + std::to_string(col) + ", " + std::to_string(row) + ") out of range");
}

std::string& StringGrid::Cells(int col, int row) {
  CheckCell(col, row);
  if (Provided(row)) throw Exception("Grid row " + std::to_string(row) + " is provided, not stored");
  ScheduleRepaint();
  std::vector<std::string>& cells = rows_[row];
  if (static_cast<int>(cells.size()) < colCount_) cells.resize(colCount_);  // a fixed row under a provider
  return cells[col];
}

const std::string& StringGrid::Cells(int col, int row) const {
  CheckCell(col, row);
  if (Provided(row)) throw Exception("Grid row " + std::to_string(row) + " is provided, not stored");
  static const std::string empty;
  return col < static_cast<int>(rows_[row].size()) ? rows_[row][col] : empty;
}

std::string StringGrid::CellText(int col, int row) const {
  if (!Provided(row)) return Cells(col, row);
  CheckCell(col, row);
  return provider_(col, row);
}

void StringGrid::SetCellTextProvider(CellTextProvider provider) {
  model_->Reset([&] {
    provider_ = std::move(provider);
    if (!provider_) return;
    for (int row = fixedRows_; row < RowCount(); ++row) std::vector<std::string>().swap(rows_[row]);
  });
}

// Cells are written through references, so the repaint is queued once per
// round of the event loop instead of once per cell.
void StringGrid::ScheduleRepaint() {
  if (repaintQueued_ || painting_) return;
  repaintQueued_ = true;
  QMetaObject::invokeMethod(
      this,
      [this] {
        repaintQueued_ = false;
        viewport()->update();
        topHeader_->viewport()->update();
        leftHeader_->viewport()->update();
        corner_->update();
      },
      Qt::QueuedConnection);
}

void StringGrid::SetColCount(int count) {
  count = std::max(count, 0);
  if (count < fixedCols_) SetFixedCols(count);
  model_->ResizeColumns(colCount_ - fixedCols_, count - fixedCols_, [&] {
    colCount_ = count;
    for (auto& row : rows_)
      if (!provider_ || !row.empty()) row.resize(count);
    colWidths_.resize(count, defaultColWidth_);
  });
}

void StringGrid::SetRowCount(int count) {
  count = std::max(count, 0);
  if (count < fixedRows_) SetFixedRows(count);
  model_->ResizeRows(RowCount() - fixedRows_, count - fixedRows_,
                     [&] { rows_.resize(count, std::vector<std::string>(provider_ ? 0 : colCount_)); });
}

void StringGrid::SetFixedCols(int count) {
  count = std::clamp(count, 0, colCount_);
  if (count != fixedCols_) ChangeFixed([&] { fixedCols_ = count; });
}

void StringGrid::SetFixedRows(int count) {
  count = std::clamp(count, 0, RowCount());
  if (count != fixedRows_) ChangeFixed([&] { fixedRows_ = count; });
}

// The view's cells shift when the fixed counts change: keep what is in view
// and what is selected, in grid coordinates. A view at the first scrolling row
// or column stays at the first one, so cells that stop being fixed stay in view.
void StringGrid::ChangeFixed(const std::function<void()>& change) {
  const bool atTop = TopRow() == fixedRows_;
  const bool atLeft = LeftCol() == fixedCols_;
  const int top = TopRow();
  const int left = LeftCol();
  const GridRect selection = Selection();
  model_->Reset(change);
  ApplyAllColWidths();
  SetSelection(selection);  // scrolls to the current cell, so first
  SetTopRow(atTop ? fixedRows_ : top);
  SetLeftCol(atLeft ? fixedCols_ : left);
}

int StringGrid::FixedColsWidth() const {
  int width = 0;
  for (int col = 0; col < fixedCols_; ++col) width += colWidths_[col] + 1;
  return width;
}

int StringGrid::FixedRowsHeight() const { return fixedRows_ * (defaultRowHeight_ + 1); }

void StringGrid::SetColWidth(int col, int width) {
  colWidths_.at(col) = std::max(width, -1);
  ApplyColWidth(col);
}

// The text starts 2 pixels into the cell; as much room is left after it.
int StringGrid::TextColWidth(const std::string& text) const {
  return fontMetrics().horizontalAdvance(QStr(text)) + 4;
}

void StringGrid::WidenColToFit(int col) {
  int width = ColWidth(col);
  if (width < 0) return;
  for (int row = 0; row < RowCount(); ++row) width = std::max(width, TextColWidth(CellText(col, row)));
  SetColWidth(col, width);
}

void StringGrid::SetDefaultColWidth(int width) {
  defaultColWidth_ = std::max(width, 0);
  std::fill(colWidths_.begin(), colWidths_.end(), defaultColWidth_);
  ApplyAllColWidths();
}

void StringGrid::SetDefaultRowHeight(int height) {
  defaultRowHeight_ = std::max(height, 1);
  leftHeader_->setDefaultSectionSize(defaultRowHeight_ + 1);
  ApplyFixedSizes();
}

// A column's width excludes its grid line; the view's section includes it.
void StringGrid::ApplyColWidth(int col) {
  if (col < fixedCols_) {
    ApplyFixedSizes();
    return;
  }
  const int section = col - fixedCols_;
  const int width = colWidths_[col];
  topHeader_->setSectionHidden(section, width < 0);
  if (width >= 0) topHeader_->resizeSection(section, width + 1);
}

void StringGrid::ApplyAllColWidths() {
  topHeader_->setDefaultSectionSize(defaultColWidth_ + 1);
  for (int col = fixedCols_; col < colCount_; ++col)
    if (colWidths_[col] != defaultColWidth_ || topHeader_->isSectionHidden(col - fixedCols_)) ApplyColWidth(col);
  ApplyFixedSizes();
}

void StringGrid::ApplyFixedSizes() {
  topHeader_->setHidden(fixedRows_ == 0);
  leftHeader_->setHidden(fixedCols_ == 0);
  updateGeometries();
  viewport()->update();
  corner_->update();
}

void StringGrid::updateGeometries() {
  QTableView::updateGeometries();
  if (!topHeader_ || !leftHeader_) return;  // still being built
  const int frame = frameWidth();
  corner_->setGeometry(frame, frame, leftHeader_->isHidden() ? 0 : leftHeader_->width(),
                       topHeader_->isHidden() ? 0 : topHeader_->height());
  corner_->setVisible(fixedRows_ > 0 && fixedCols_ > 0);
  corner_->raise();
}

void StringGrid::PaintCell(QPainter& painter, const QRect& rect, int col, int row, bool selected, bool fixed) {
  CellLook look{fixed ? clBtnFace : clWhite, clBlack, selected && !fixed, fixed};
  if (look.selected) {
    look.fill = clHighlight;
    look.textColor = clHighlightText;
  }
  if (OnDrawCell) {
    // A hook that reads cells through the writable accessor is drawing them,
    // not changing them: no repaint follows, or the grid would never rest.
    const bool painting = painting_;
    painting_ = true;
    OnDrawCell(col, row, look);
    painting_ = painting;
  }
  painter.fillRect(rect, ToQColor(look.fill));
  painter.setPen(ToQColor(look.textColor));
  painter.drawText(rect.adjusted(2, 2, 0, 0), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                   QStr(CellText(col, row)));
}

GridRect StringGrid::Selection() const {
  const QItemSelection selection = selectionModel()->selection();
  QRect box;
  for (const QItemSelectionRange& range : selection)
    box = box.united(QRect(QPoint(range.left(), range.top()), QPoint(range.right(), range.bottom())));
  if (box.isNull()) {
    const QModelIndex current = currentIndex();
    const QPoint at = current.isValid() ? QPoint(current.column(), current.row()) : QPoint(0, 0);
    box = QRect(at, at);
  }
  return {box.left() + fixedCols_, box.top() + fixedRows_, box.right() + fixedCols_, box.bottom() + fixedRows_};
}

void StringGrid::SetSelection(GridRect rect) {
  const int lastCol = model_->columnCount() - 1;
  const int lastRow = model_->rowCount() - 1;
  if (lastCol < 0 || lastRow < 0) return;
  const QModelIndex topLeft = model_->index(std::clamp(rect.Top - fixedRows_, 0, lastRow),
                                            std::clamp(rect.Left - fixedCols_, 0, lastCol));
  const QModelIndex bottomRight = model_->index(std::clamp(rect.Bottom - fixedRows_, 0, lastRow),
                                                std::clamp(rect.Right - fixedCols_, 0, lastCol));
  selectionModel()->setCurrentIndex(topLeft, QItemSelectionModel::NoUpdate);
  QItemSelectionModel::SelectionFlags flags = QItemSelectionModel::ClearAndSelect;
  if (selectionBehavior() == SelectRows) flags |= QItemSelectionModel::Rows;
  selectionModel()->select(QItemSelection(topLeft, bottomRight), flags);
}

void StringGrid::SetRangeSelect(bool on) {
  rangeSelect_ = on;
  setSelectionMode(on ? ContiguousSelection : SingleSelection);
}

void StringGrid::SetRowSelect(bool on) { setSelectionBehavior(on ? SelectRows : SelectItems); }

int StringGrid::Col() const {
  const QModelIndex current = currentIndex();
  return (current.isValid() ? current.column() : 0) + fixedCols_;
}

int StringGrid::Row() const {
  const QModelIndex current = currentIndex();
  return (current.isValid() ? current.row() : 0) + fixedRows_;
}

int StringGrid::TopRow() const { return std::max(rowAt(0), 0) + fixedRows_; }

int StringGrid::LeftCol() const { return std::max(columnAt(0), 0) + fixedCols_; }

void StringGrid::SetTopRow(int row) {
  QTableView::updateGeometries();
  verticalScrollBar()->setValue(row - fixedRows_);
}

int StringGrid::VisibleColumnsBefore(int modelCol) const {
  int count = 0;
  for (int section = 0; section < modelCol; ++section)
    if (!topHeader_->isSectionHidden(section)) ++count;
  return count;
}

void StringGrid::SetLeftCol(int col) {
  QTableView::updateGeometries();
  horizontalScrollBar()->setValue(VisibleColumnsBefore(col - fixedCols_));
}

void StringGrid::ScrollIntoView(int col, int row) {
  if (col < fixedCols_ || row < fixedRows_ || col >= colCount_ || row >= RowCount()) return;
  scrollTo(model_->index(row - fixedRows_, col - fixedCols_), EnsureVisible);
}

void StringGrid::SetEditing(bool on) {
  editing_ = on;
  if (!on && state() == EditingState) closePersistentEditor(currentIndex());
  setEditTriggers(on ? QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                           QAbstractItemView::AnyKeyPressed
                     : QAbstractItemView::NoEditTriggers);
}

void StringGrid::EditText(int col, int row, const std::string& text, QWidget* editor) {
  rows_[row][col] = text;
  if (OnSetEditText) {
    const QScopedValueRollback<QWidget*> reporting(reportingEditor_, editor);
    OnSetEditText(col, row, text);
  }
  auto* line = qobject_cast<QLineEdit*>(editor);
  if (line && rows_[row][col] != text) line->setText(QStr(rows_[row][col]));
  // A message shown by the handler took the focus, and the view gave it to
  // itself: the typing goes on in the editor once its window is active again.
  editor->setFocus();
}

// The view closes an editor that loses the focus, and frees it in the next round
// of events: a message box's own event loop would free it under its keystroke.
void StringGrid::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) {
  if (editor != reportingEditor_) QTableView::closeEditor(editor, hint);
}

void StringGrid::CellAt(const QPoint& viewportPos, int& col, int& row) const {
  const int modelCol = columnAt(viewportPos.x());
  const int modelRow = rowAt(viewportPos.y());
  col = modelCol < 0 ? -1 : modelCol + fixedCols_;
  row = modelRow < 0 ? -1 : modelRow + fixedRows_;
}

void StringGrid::mousePressEvent(QMouseEvent* event) {
  if (OnMouseDown) {
    int col, row;
    CellAt(event->position().toPoint(), col, row);
    OnMouseDown(col, row);
  }
  QTableView::mousePressEvent(event);
}

void StringGrid::mouseReleaseEvent(QMouseEvent* event) {
  QTableView::mouseReleaseEvent(event);
  if (OnMouseUp) {
    int col, row;
    CellAt(event->position().toPoint(), col, row);
    OnMouseUp(col, row);
  }
}

void StringGrid::mouseDoubleClickEvent(QMouseEvent* event) {
  QTableView::mouseDoubleClickEvent(event);
  if (OnDblClick) OnDblClick();
}

void StringGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
  QTableView::currentChanged(current, previous);
  if (OnSelectCell && current.isValid()) OnSelectCell(current.column() + fixedCols_, current.row() + fixedRows_);
}
