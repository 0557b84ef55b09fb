// The matrix viewer: a labelled matrix of real or integer cells in a grid.
#include "plot/VMtMain.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>
#include <cmath>
#include <fstream>

#include "data/ProjectHost.h"
#include "numerics/Sorts.h"
#include "numerics/Utils.h"
#include "platform/base/Files.h"
#include "platform/base/NumberText.h"
#include "platform/base/UiServices.h"
#include "platform/qt/QtConvert.h"
#include "platform/qt/ViewerCommon.h"

namespace {

constexpr TColor kThresholdLo = 65535;   // yellow
constexpr TColor kThresholdMi = 33023;   // orange: red 255, green 128
constexpr TColor kThresholdHi = 255;     // red
constexpr char kTab = '\t';
constexpr const char* kLineEnd = "\r\n";

// Fills a vector under a named allocation, reporting failure as the data exceptions do.
template <typename T>
void AssignChecked(std::vector<T>& v, int n, const std::string& name) {
  try {
    v.assign(static_cast<std::size_t>(n), T());
  } catch (const std::bad_alloc&) {
    throw DataNoMemoryEx(name);
  }
}

}  // namespace

UpDownControl::UpDownControl(int min, int max, QWidget* parent)
    : QWidget(parent), min_(min), max_(max), position_(min) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  for (int delta : {1, -1}) {
    auto* arrow = new QToolButton(this);
    arrow->setArrowType(delta > 0 ? Qt::UpArrow : Qt::DownArrow);
    arrow->setFixedSize(16, 11);
    connect(arrow, &QToolButton::clicked, this, [this, delta] { Step(delta); });
    layout->addWidget(arrow);
  }
}

void UpDownControl::SetPosition(int position) { position_ = std::clamp(position, min_, max_); }

void UpDownControl::Step(int delta) {
  SetPosition(position_ + delta);
  emit Clicked();
}

std::unique_ptr<TFormViewMatrix> TFormViewMatrix::CreateForRealMatrix(QWidget* owner, CheckedMatrix* matrix,
                                                                      const std::string* colLabels,
                                                                      const std::string* rowLabels,
                                                                      const std::string& title,
                                                                      uint8_t lowerTriangle, uint8_t sortable,
                                                                      int fixedRows, int fixedCols) {
  std::unique_ptr<TFormViewMatrix> form(new TFormViewMatrix(owner, matrix, nullptr, nullptr, colLabels, rowLabels,
                                                            title, lowerTriangle, sortable, fixedRows, fixedCols));
  form->Construct();
  return form;
}

std::unique_ptr<TFormViewMatrix> TFormViewMatrix::CreateForIntMatrix(QWidget* owner, CheckedIntMatrix* matrix,
                                                                     const TColor* rowColors,
                                                                     const std::string* colLabels,
                                                                     const std::string* rowLabels,
                                                                     const std::string& title,
                                                                     uint8_t lowerTriangle, uint8_t sortable,
                                                                     int fixedRows, int fixedCols) {
  std::unique_ptr<TFormViewMatrix> form(new TFormViewMatrix(owner, nullptr, matrix, rowColors, colLabels, rowLabels,
                                                            title, lowerTriangle, sortable, fixedRows, fixedCols));
  if (matrix != nullptr) AssignChecked(form->sortedRowColors_, matrix->Rows(), "*tpSortRowColorPtr");
  form->Construct();
  return form;
}

TFormViewMatrix::TFormViewMatrix(QWidget* owner, CheckedMatrix* realMatrix, CheckedIntMatrix* intMatrix,
                                 const TColor* rowColors, const std::string* colLabels,
                                 const std::string* rowLabels, const std::string& title, uint8_t lowerTriangle,
                                 uint8_t sortable, int fixedRows, int fixedCols)
    : ModalDialog(owner),
      realMatrix_(realMatrix),
      intMatrix_(intMatrix),
      rowColors_(rowColors),
      colLabels_(colLabels),
      rowLabels_(rowLabels),
      title_(title),
      lowerTriangle_(lowerTriangle),
      sortable_(sortable),
      fixedRows_(fixedRows),
      fixedCols_(fixedCols) {
  setWindowTitle("View Matrix");
  resize(676, 434);
  BuildComponents();
}

TFormViewMatrix::~TFormViewMatrix() { ReleaseSortedCopies(); }

void TFormViewMatrix::BuildComponents() {
  auto* top = new QHBoxLayout;
  top->setContentsMargins(4, 2, 4, 2);
  SpeedButtonCopy = MakeToolButton(this, QStyle::SP_FileDialogContentsView, "Copy to clipboard");
  SpeedButtonSaveToFile = MakeToolButton(this, QStyle::SP_DialogSaveButton, "Save to file");
  StaticTextSortBy = new QLabel("Sort by", this);
  ComboBoxSortCol = new QComboBox(this);
  ComboBoxSortCol->setMinimumWidth(120);
  StaticTextOrder = new QLabel("Order:", this);
  ComboBoxAscDes = new QComboBox(this);
  top->addWidget(SpeedButtonCopy);
  top->addWidget(SpeedButtonSaveToFile);
  top->addSpacing(12);
  top->addWidget(StaticTextSortBy);
  top->addWidget(ComboBoxSortCol);
  top->addWidget(StaticTextOrder);
  top->addWidget(ComboBoxAscDes);
  top->addStretch(1);
  QLineEdit** edits[] = {&EditLo, &EditMi, &EditHi};
  UpDownControl** upDowns[] = {&UpDownLo, &UpDownMi, &UpDownHi};
  for (int i = 0; i < 3; ++i) {
    *edits[i] = new QLineEdit(this);
    (*edits[i])->setReadOnly(true);
    (*edits[i])->setFixedWidth(44);
    (*edits[i])->hide();
    *upDowns[i] = new UpDownControl(1, 99, this);
    (*upDowns[i])->hide();
    top->addWidget(*edits[i]);
    top->addWidget(*upDowns[i]);
    connect(*upDowns[i], &UpDownControl::Clicked, this, [this] { UpDownClick(); });
  }

  StringGrid = new ::StringGrid(this);
  StringGrid->SetDefaultRowHeight(16);
  StringGrid->SetDefaultColWidth(80);
  StringGrid->setContextMenuPolicy(Qt::CustomContextMenu);
  StringGrid->OnDrawCell = [this](int col, int row, CellLook& look) { StringGridDrawCell(col, row, look); };
  StringGrid->OnMouseDown = [this](int, int) { StringGridMouseDown(); };
  StringGrid->OnMouseUp = [this](int, int) { StringGridMouseUp(); };
  auto* menu = new QMenu(this);
  connect(menu->addAction("Copy"), &QAction::triggered, this, [this] { SpeedButtonCopyClick(); });
  connect(menu->addAction("Save..."), &QAction::triggered, this, [this] { SpeedButtonSaveToFileClick(); });
  connect(StringGrid, &QWidget::customContextMenuRequested, this,
          [this, menu](const QPoint& at) { menu->popup(StringGrid->viewport()->mapToGlobal(at)); });

  connect(SpeedButtonCopy, &QToolButton::clicked, this, [this] { SpeedButtonCopyClick(); });
  connect(SpeedButtonSaveToFile, &QToolButton::clicked, this, [this] { SpeedButtonSaveToFileClick(); });
  connect(ComboBoxSortCol, &QComboBox::activated, this, [this] { ComboBoxSortColChange(); });
  connect(ComboBoxAscDes, &QComboBox::activated, this, [this] { ComboBoxAscDesChange(); });

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  auto* panel = new QWidget(this);
  panel->setLayout(top);
  panel->setFixedHeight(33);
  layout->addWidget(panel);
  layout->addWidget(StringGrid, 1);
}

void TFormViewMatrix::Construct() {
  SetupGridLabels();
  // The grid takes its fixed counts once it has the rows and columns to fix.
  StringGrid->SetFixedRows(fixedRows_);
  StringGrid->SetFixedCols(fixedCols_);
  SetupPanel();
  if (sortable_ != 0)
    SortRows();
  else if (realMatrix_ != nullptr)
    FillCells();
  if (intMatrix_ != nullptr) FillCells();
  ResetSelection();
  // Only the user's scrolling fixes the label column, not the grid's set-up.
  StringGrid->OnTopLeftChanged = [this] { StringGridTopLeftChanged(); };
}

int TFormViewMatrix::MatrixRows() const {
  if (realMatrix_ != nullptr) return realMatrix_->Rows();
  return intMatrix_ != nullptr ? intMatrix_->Rows() : 0;
}

int TFormViewMatrix::MatrixCols() const {
  if (realMatrix_ != nullptr) return realMatrix_->Cols();
  return intMatrix_ != nullptr ? intMatrix_->Cols() : 0;
}

void TFormViewMatrix::SetupGridLabels() {
  StringGrid->SetRowCount(MatrixRows() + 1);
  StringGrid->SetColCount(MatrixCols() + 1);
  StringGrid->Cells(0, 0) = title_;
  for (int r = 1; r < StringGrid->RowCount(); ++r) StringGrid->Cells(0, r) = rowLabels_[r - 1];
  for (int c = 1; c < StringGrid->ColCount(); ++c) StringGrid->Cells(c, 0) = colLabels_[c - 1];
}

void TFormViewMatrix::SetupPanel() {
  if (sortable_ == 0) {
    StaticTextSortBy->hide();
    StaticTextOrder->hide();
    ComboBoxSortCol->hide();
    ComboBoxAscDes->hide();
  } else {
    for (int c = 0; c < MatrixCols(); ++c) ComboBoxSortCol->addItem(QStr(colLabels_[c]));
    ComboBoxSortCol->setCurrentIndex(0);
    ComboBoxAscDes->addItems({"Ascending", "Descending"});
    ComboBoxAscDes->setCurrentIndex(1);
  }
  if (lowerTriangle_ == 0) return;
  const struct {
    QLineEdit* edit;
    UpDownControl* upDown;
    TColor color;
    int position;
  } thresholds[] = {{EditLo, UpDownLo, kThresholdLo, 70}, {EditMi, UpDownMi, kThresholdMi, 80},
                    {EditHi, UpDownHi, kThresholdHi, 90}};
  for (const auto& t : thresholds) {
    t.edit->setStyleSheet(QString("background-color: %1").arg(ToQColor(t.color).name()));
    t.upDown->SetPosition(t.position);
    t.edit->show();
    t.upDown->show();
  }
  UpdateThresholdEdits();
}

bool TFormViewMatrix::CellPresent(int row, int col) const {
  if (sortedReal_ || realMatrix_ != nullptr) {
    CheckedMatrix& m = sortedReal_ ? *sortedReal_ : *realMatrix_;
    return !m.At(row, col).Missing;
  }
  CheckedIntMatrix& m = sortedInt_ ? *sortedInt_ : *intMatrix_;
  return !m.At(row, col).Missing;
}

std::string TFormViewMatrix::NumberText(int row, int col, int decimals) const {
  if (!CellPresent(row, col)) return std::string();
  if (sortedReal_ || realMatrix_ != nullptr) {
    CheckedMatrix& m = sortedReal_ ? *sortedReal_ : *realMatrix_;
    return FloatToStrF(m.At(row, col).Value, FloatFormat::Fixed, 18, decimals);
  }
  CheckedIntMatrix& m = sortedInt_ ? *sortedInt_ : *intMatrix_;
  return IntToStr(m.At(row, col).Value);
}

// A missing cell is written empty, so a re-sort never leaves the text of the
// row that stood there before.
void TFormViewMatrix::FillCells() {
  for (int c = 0; c < MatrixCols(); ++c) {
    int start = lowerTriangle_ != 0 ? c : 0;
    for (int r = start; r < MatrixRows(); ++r) StringGrid->Cells(c + 1, r + 1) = NumberText(r, c, 4);
  }
  if (sortable_ != 0 && !sortedRowLabels_.empty())
    for (int r = 0; r < MatrixRows(); ++r) StringGrid->Cells(0, r + 1) = sortedRowLabels_[r];
  StringGrid->viewport()->update();
}

// Splits the rows by column k: present values from the front with their rows,
// the rows of missing cells from the back; returns the count of present values.
template <typename Table, typename Value>
int SplitColumn(Table& table, int k, std::vector<Value>& values, std::vector<int32_t>& index) {
  int m = 0;
  int back = table.Rows() - 1;
  for (int r = 0; r < table.Rows(); ++r) {
    const auto& cell = table.At(r, k);
    if (cell.Missing) {
      index[back--] = r;
    } else {
      values[m] = cell.Value;
      index[m++] = r;
    }
  }
  return m;
}

std::vector<int32_t> TFormViewMatrix::SortedRowOrder(int k, bool descending) const {
  int rows = MatrixRows();
  std::vector<int32_t> index;
  AssignChecked(index, rows, "*ipCorrIdxPtr");
  int m = 0;
  if (realMatrix_ != nullptr) {
    std::vector<long double> values;
    AssignChecked(values, rows, "*ldpValuePtr");
    m = SplitColumn(*realMatrix_, k, values, index);
    SortWithIndex(values.data(), index.data(), 0, m - 1, true);
  } else {
    std::vector<int32_t> values;
    AssignChecked(values, rows, "*ipValuePtr");
    m = SplitColumn(*intMatrix_, k, values, index);
    SortIntArray(values.data(), index.data(), 0, m - 1, true);
  }
  std::vector<int32_t> order(static_cast<std::size_t>(rows));
  for (int i = 0; i < rows; ++i) order[descending && i < m ? m - 1 - i : i] = index[i];
  return order;
}

void TFormViewMatrix::ReleaseSortedCopies() {
  sortedReal_.reset();
  sortedInt_.reset();
  sortedRowLabels_.clear();
}

// order[dest] is the source row shown at row dest.
void TFormViewMatrix::CopySortedRows(const std::vector<int32_t>& order) {
  ReleaseSortedCopies();
  int rows = MatrixRows();
  int cols = MatrixCols();
  AssignChecked(sortedRowLabels_, rows, "*tpSortYlabelPtr");
  if (realMatrix_ != nullptr)
    sortedReal_ = std::make_unique<CheckedMatrix>(rows, cols);
  else
    sortedInt_ = std::make_unique<CheckedIntMatrix>(rows, cols);
  for (int dest = 0; dest < rows; ++dest) {
    int source = order[dest];
    for (int c = 0; c < cols; ++c) {
      if (realMatrix_ != nullptr)
        sortedReal_->At(dest, c) = realMatrix_->At(source, c);
      else
        sortedInt_->At(dest, c) = intMatrix_->At(source, c);
    }
    sortedRowLabels_[dest] = rowLabels_[source];
    if (rowColors_ != nullptr && !sortedRowColors_.empty()) sortedRowColors_[dest] = rowColors_[source];
  }
}

void TFormViewMatrix::SortRows() {
  if (MatrixRows() == 0) return;
  BusyCursor busy;
  int k = std::max(0, ComboBoxSortCol->currentIndex());
  bool descending = ComboBoxAscDes->currentText() == "Descending";
  CopySortedRows(SortedRowOrder(k, descending));
  FillCells();
}

long double TFormViewMatrix::Threshold(const UpDownControl* upDown) const {
  return static_cast<long double>(upDown->Position()) / 100.0L;
}

void TFormViewMatrix::UpdateThresholdEdits() {
  EditLo->setText(QStr(FloatToStrF(Threshold(UpDownLo), FloatFormat::Fixed, 18, 2)));
  EditMi->setText(QStr(FloatToStrF(Threshold(UpDownMi), FloatFormat::Fixed, 18, 2)));
  EditHi->setText(QStr(FloatToStrF(Threshold(UpDownHi), FloatFormat::Fixed, 18, 2)));
  StringGrid->viewport()->update();
}

void TFormViewMatrix::StringGridDrawCell(int col, int row, CellLook& look) const {
  if (StringGrid->FixedCols() == 0 && col == 0 && row >= StringGrid->FixedRows()) look.fill = clBtnFace;
  if (rowColors_ != nullptr && col == 0 && row > 0 && !look.selected &&
      row - 1 < static_cast<int>(sortedRowColors_.size()))
    look.fill = sortedRowColors_[row - 1];
  if (lowerTriangle_ != 0 && col > 0 && row > col) {
    long double v = 0;
    if (TryStrToFloat(StringGrid->CellText(col, row), v)) {
      v = std::fabs(v);
      if (v >= Threshold(UpDownHi))
        look.fill = kThresholdHi;
      else if (v >= Threshold(UpDownMi))
        look.fill = kThresholdMi;
      else if (v >= Threshold(UpDownLo))
        look.fill = kThresholdLo;
    }
  }
}

// Scrolled, the row labels stay in view as a fixed column.
void TFormViewMatrix::StringGridTopLeftChanged() {
  if (!restoringFixedCols_ && fixedCols_ < 1 && StringGrid->ColCount() > 1) StringGrid->SetFixedCols(1);
}

// Changing the fixed columns scrolls the grid, which must not fix them again.
void TFormViewMatrix::StringGridMouseDown() {
  restoringFixedCols_ = true;
  StringGrid->SetFixedCols(fixedCols_);
  restoringFixedCols_ = false;
}

void TFormViewMatrix::ResetSelection() {
  GridRect selection = StringGrid->Selection();
  int first = std::min(StringGrid->FixedCols(), StringGrid->ColCount() - 1);
  StringGrid->SetSelection({first, selection.Top, StringGrid->ColCount() - 1, selection.Bottom});
}

// Labels and titles are copied as they are; only the numbers take the user's separator.
void TFormViewMatrix::SpeedButtonCopyClick() {
  BusyCursor busy;
  std::string text;
  for (int r = 0; r < StringGrid->RowCount(); ++r) {
    for (int c = 0; c < StringGrid->ColCount(); ++c) {
      const std::string& cell = StringGrid->Cells(c, r);
      text += (r > 0 && c > 0) ? UserNumberText(cell) : cell;
      text += kTab;
    }
    text += kLineEnd;
  }
  Ui().SetClipboardText(text);
}

std::string TFormViewMatrix::SaveText() const {
  std::string text;
  const int cols = StringGrid->ColCount();
  for (int r = 0; r < StringGrid->RowCount(); ++r) {
    int lastCol = (lowerTriangle_ != 0 && r >= 1) ? std::min(r, cols - 1) : cols - 1;
    for (int c = 0; c <= lastCol; ++c) {
      if (r == 0 || c == 0)
        text += StringGrid->Cells(c, r);
      else
        text += UserNumberText(NumberText(r - 1, c - 1, 18));
      text += kTab;
    }
    text += kLineEnd;
  }
  return text;
}

void TFormViewMatrix::SpeedButtonSaveToFileClick() {
  FileDialogOptions options;
  options.filter = "Text file|*.txt";
  options.defaultExt = "txt";
  FileChoice choice = Ui().SaveFileDialog(options);
  if (!choice.Chosen()) return;
  std::string path = WithExtension(choice.fileName, ".txt", false);
  if (!ConfirmOverwrite(path)) return;
  try {
    WriteTextFile(path, SaveText());
  } catch (...) {
    Ui().MessageBox("Cannot save file", "APPLICATION ERROR", MB_OK | MB_ICONERROR);
  }
}
