#include "prepare/IDtMain.h"

#include <QAction>
#include <QCheckBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>
#include <QVBoxLayout>

#include "data/ProjectHost.h"
#include "platform/base/NumberText.h"
#include "platform/base/Stream.h"
#include "platform/qt/Dialogs.h"
#include "platform/qt/Events.h"
#include "platform/qt/QtConvert.h"
#include "platform/qt/StringGrid.h"
#include "prepare/GridSearch.h"

namespace {

constexpr TColor kSkyBlue = 0xF0CAA6;
constexpr TColor kCream = 0xF0FBFF;
constexpr TColor kLightGreen = 0xB0FFB0;
constexpr TColor kLime = 0x00FF00;
constexpr TColor kYellow = 0x00FFFF;
// The window opens this far right of and below the screen centre.
constexpr int kPlacementOffset = 24;

// The import grid as the import command reads it.
class GridCells : public ImportCells {
public:
  explicit GridCells(const StringGrid& grid) : grid_(grid) {}
  int ColCount() const override { return grid_.ColCount(); }
  int RowCount() const override { return grid_.RowCount(); }
  std::string_view Cell(int col, int row) const override { return grid_.Cells(col, row); }

private:
  const StringGrid& grid_;
};

// A read-only number box with up-down arrows, at 1 until given its range; its edit is
// returned through edit.
QSpinBox* UpDown(QWidget* parent, QLineEdit*& edit) {
  auto* box = new QSpinBox(parent);
  box->setRange(1, 1);
  edit = box->findChild<QLineEdit*>();
  edit->setReadOnly(true);
  edit->setMaxLength(5);
  return box;
}

void SetUpDown(QSpinBox* box, int lo, int hi, int position) {
  box->setRange(lo, hi);
  box->setValue(position);
}

std::string ReadWholeFile(const std::string& fileName) {
  FileStream file(fileName, FileMode::OpenRead);
  std::string bytes(static_cast<std::size_t>(file.Size()), '\0');
  bytes.resize(file.Read(bytes.data(), bytes.size()));
  return bytes;
}

}  // namespace

TImportDataForm::TImportDataForm(QWidget* owner, const std::string& fileName, ChemoData* data,
                                 DataResultList* models, ProgressWindowFactory progressWindow)
    : ModalDialog(owner), FileName(fileName), data_(data), models_(models), progressWindow_(std::move(progressWindow)) {
  setWindowTitle("Import Data");
  BuildControls();
  ConnectHandlers();
  CheckBoxTab->setChecked(true);  // loads the file through its handler
  EditDelimiter->setEnabled(true);
  EditMissingValue->setText("-999");
  SetUpDown(UpDownFiltConst, 1, 99, 80);
  SetUpDown(UpDownFiltCorr, 85, 99, 95);
  UpDownFiltConst->setEnabled(false);
  UpDownFiltCorr->setEnabled(false);
  for (QAction* item : {PopupMenuExcludeFilter, PopupMenuReleaseExcluded, PopUpMenuToggleSplit}) item->setEnabled(false);
  MouseIsDown = false;
  SplitColumn = -1;
  DisableRangeSelect();
  setWindowTitle("Import data - " + QPath(fileName));
  FirstSearch = true;
}

void TImportDataForm::BuildControls() {
  resize(900, 600);
  auto* layout = new QVBoxLayout(this);
  auto* controls = new QHBoxLayout;
  layout->addLayout(controls);
  auto labelled = [&](const char* caption, QWidget* widget) {
    controls->addWidget(new QLabel(caption, this));
    controls->addWidget(widget);
  };
  UpDownIDColumn = UpDown(this, EditIDColumn);
  labelled("Name column", UpDownIDColumn);
  UpDownLabelsRow = UpDown(this, EditLabelsRow);
  labelled("Label row", UpDownLabelsRow);
  EditMissingValue = new QLineEdit(this);
  EditMissingValue->setFixedWidth(60);
  labelled("Missing value", EditMissingValue);
  EditDelimiter = new QLineEdit(this);
  EditDelimiter->setMaxLength(1);
  EditDelimiter->setFixedWidth(24);
  EditDelimiter->setToolTip("Special character preceded by '\\', e.g.  \\t = tab");
  labelled("Delimiter", EditDelimiter);
  CheckBoxTab = new QCheckBox("tab", this);
  controls->addWidget(CheckBoxTab);
  CheckBoxFilterConst = new QCheckBox("Exclude if const. > %", this);
  controls->addWidget(CheckBoxFilterConst);
  UpDownFiltConst = UpDown(this, EditFiltConst);
  controls->addWidget(UpDownFiltConst);
  CheckBoxFilterCorr = new QCheckBox("Exclude if corr. > %", this);
  controls->addWidget(CheckBoxFilterCorr);
  UpDownFiltCorr = UpDown(this, EditFiltCorr);
  controls->addWidget(UpDownFiltCorr);
  controls->addStretch();
  ButtonImport = new QPushButton("Import", this);
  ButtonCancel = new QPushButton("Cancel", this);
  controls->addWidget(ButtonImport);
  controls->addWidget(ButtonCancel);
  StringGrid = new ::StringGrid(this);
  layout->addWidget(StringGrid);
  PopupMenuSelCol = new QMenu(this);
  PopupMenuExcludeFilter = PopupMenuSelCol->addAction("&Exclude from corr. and const. filtering");
  PopupMenuReleaseExcluded = PopupMenuSelCol->addAction("&Release excluded");
  PopUpMenuToggleSplit = PopupMenuSelCol->addAction("&Select / Unselect splitting for filtering");
  PopupMenuSelCol->addSeparator();
  PopupMenuSearchVar = PopupMenuSelCol->addAction("Search &variable...");
}

void TImportDataForm::ConnectHandlers() {
  OnCheckBoxClick(CheckBoxTab, [this] { CheckBoxTabClick(); });
  OnEditChange(EditDelimiter, [this] { EditDelimiterChange(); });
  EditDelimiter->installEventFilter(this);
  connect(UpDownIDColumn, &QSpinBox::valueChanged, this, [this] { UpDownIDColumnClick(); });
  connect(UpDownLabelsRow, &QSpinBox::valueChanged, this, [this] { UpDownLabelsRowClick(); });
  OnCheckBoxClick(CheckBoxFilterConst, [this] { CheckBoxFilterConstClick(); });
  OnCheckBoxClick(CheckBoxFilterCorr, [this] { CheckBoxFilterCorrClick(); });
  connect(ButtonImport, &QPushButton::clicked, this, [this] { ButtonImportClick(); });
  SetButtonResult(ButtonImport, mrOk);
  SetButtonResult(ButtonCancel, mrCancel);
  connect(PopupMenuExcludeFilter, &QAction::triggered, this, [this] { PopupMenuExcludeFilterClick(); });
  connect(PopupMenuReleaseExcluded, &QAction::triggered, this, [this] { PopupMenuReleaseExcludedClick(); });
  connect(PopUpMenuToggleSplit, &QAction::triggered, this, [this] { PopUpMenuToggleSplitClick(); });
  connect(PopupMenuSearchVar, &QAction::triggered, this, [this] { PopupMenuSearchVarClick(); });
  ConnectGrid();
}

void TImportDataForm::ConnectGrid() {
  StringGrid->setContextMenuPolicy(Qt::CustomContextMenu);
  // The menu takes the mouse, so the grid never sees the button go up.
  connect(StringGrid, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
    StringGridMouseUp();
    PopupMenuSelCol->popup(StringGrid->viewport()->mapToGlobal(pos));
  });
  StringGrid->OnMouseDown = [this](int, int) { StringGridMouseDown(); };
  StringGrid->OnMouseUp = [this](int, int) { StringGridMouseUp(); };
  StringGrid->OnSelectCell = [this](int, int) {
    if (!MouseIsDown) ConstrainSelection();
  };
  StringGrid->OnDrawCell = [this](int col, int row, CellLook& look) { StringGridDrawCell(col, row, look); };
}

void TImportDataForm::showEvent(QShowEvent* event) {
  ModalDialog::showEvent(event);
  PlaceOnScreen(*this, kPlacementOffset);
}

bool TImportDataForm::eventFilter(QObject* watched, QEvent* event) {
  if (watched == EditDelimiter && event->type() == QEvent::FocusIn) EditDelimiterEnter();
  return ModalDialog::eventFilter(watched, event);
}

std::unique_ptr<Progress> TImportDataForm::OpenProgress(bool animated) {
  return progressWindow_ ? progressWindow_(animated) : nullptr;
}

// ---- Reading the file -------------------------------------------------------

void TImportDataForm::LoadFileToGrid() {
  BusyCursor busy;
  const QString delimiterText = EditDelimiter->text();
  const char delimiter = CheckBoxTab->isChecked() ? '\t' : delimiterText.isEmpty() ? '\0' : delimiterText.at(0).toLatin1();
  std::string bytes;
  try {
    bytes = ReadWholeFile(FileName);
  } catch (const Exception& e) {
    Ui().MessageBox(e.Message, "APPLICATION WARNING", MB_OK | MB_ICONWARNING);
    return;
  } catch (...) {
    Ui().MessageBox(FileName + " - Cannot load file", "APPLICATION ERROR", MB_OK | MB_ICONERROR);
    return;
  }
  try {
    const std::unique_ptr<Progress> progress = OpenProgress(true);
    if (progress) progress->SetText("Formatting...");
    ShowTable(ReadDelimitedTable(std::move(bytes), delimiter, progress.get()), progress.get());
  } catch (...) {
    Ui().MessageBox("Cannot format data", "Exception Message", MB_OK);
  }
}

// Fills the grid: headers "Col c" and "Row r", field c of line r in cell (c, r).
void TImportDataForm::ShowTable(const TextTable& table, Progress* progress) {
  StringGrid->SetRowCount(0);
  StringGrid->SetColCount(0);
  const int rows = table.RowCount();
  StringGrid->SetColCount(table.ColCount + 1);
  StringGrid->SetRowCount(std::max(rows, 1) + 1);
  StringGrid->SetFixedCols(1);
  StringGrid->SetFixedRows(1);
  for (int c = 1; c < StringGrid->ColCount(); ++c) StringGrid->Cells(c, 0) = "Col " + IntToStr(c);
  for (int r = 1; r <= rows; ++r) {
    StringGrid->Cells(0, r) = "Row " + IntToStr(r);
    const int fields = table.FieldCount(r - 1);
    for (int c = 0; c < fields; ++c) StringGrid->Cells(c + 1, r) = table.Field(c, r - 1);
    if (progress != nullptr) progress->AnimationTick();
  }
  FitMarksToGrid();
  SetUpDown(UpDownIDColumn, 1, StringGrid->ColCount() - 2, 1);
  SetUpDown(UpDownLabelsRow, 1, StringGrid->RowCount() - 2, 1);
  ConstrainSelection();
}

// The marks follow the grid's columns: columns gone lose theirs, new ones start clear.
void TImportDataForm::FitMarksToGrid() {
  bpColToBeExcl.resize(static_cast<std::size_t>(StringGrid->ColCount()), false);
  if (SplitColumn >= StringGrid->ColCount()) SplitColumn = -1;
}

void TImportDataForm::CheckBoxTabClick() {
  if (!CheckBoxTab->isChecked()) return;
  {
    const QSignalBlocker quiet(EditDelimiter);  // one reload, not two
    EditDelimiter->clear();
  }
  LoadFileToGrid();
}

void TImportDataForm::EditDelimiterChange() { LoadFileToGrid(); }

void TImportDataForm::EditDelimiterEnter() { CheckBoxTab->setChecked(false); }

// ---- Name column, label row and filters --------------------------------------

void TImportDataForm::UpDownIDColumnClick() {
  ConstrainSelection();
  StringGrid->viewport()->update();
}

void TImportDataForm::UpDownLabelsRowClick() { UpDownIDColumnClick(); }

void TImportDataForm::CheckBoxFilterConstClick() {
  FilterCheckBoxClick(CheckBoxFilterConst, UpDownFiltConst, CheckBoxFilterCorr);
}

void TImportDataForm::CheckBoxFilterCorrClick() {
  FilterCheckBoxClick(CheckBoxFilterCorr, UpDownFiltCorr, CheckBoxFilterConst);
}

// The filter's percentage is on while its box is checked; the column marks and range
// selection while either box is.
void TImportDataForm::FilterCheckBoxClick(QCheckBox* box, QSpinBox* upDown, QCheckBox* other) {
  upDown->setEnabled(box->isChecked());
  if (box->isChecked() || !other->isChecked()) {
    for (QAction* item : {PopupMenuExcludeFilter, PopupMenuReleaseExcluded, PopUpMenuToggleSplit})
      item->setEnabled(box->isChecked());
    box->isChecked() ? EnableRangeSelect() : DisableRangeSelect();
  }
  StringGrid->viewport()->update();
}

bool TImportDataForm::AnyFilterChecked() const {
  return CheckBoxFilterConst->isChecked() || CheckBoxFilterCorr->isChecked();
}

ImportSettings TImportDataForm::Settings() const {
  ImportSettings settings;
  settings.NameColumn = UpDownIDColumn->value();
  settings.LabelRow = UpDownLabelsRow->value();
  settings.MissingValue = StdStr(EditMissingValue->text());
  settings.ConstFilter = CheckBoxFilterConst->isChecked();
  settings.ConstPercent = UpDownFiltConst->value();
  settings.CorrFilter = CheckBoxFilterCorr->isChecked();
  settings.CorrPercent = UpDownFiltCorr->value();
  settings.SplitColumn = SplitColumn;
  settings.ExemptColumns = bpColToBeExcl;
  return settings;
}

void TImportDataForm::ButtonImportClick() {
  if (MainForm == nullptr || !ConfirmReplaceData(*MainForm)) return;
  const std::unique_ptr<Progress> progress = OpenProgress(false);
  const GridCells cells(*StringGrid);
  ImportData(cells, Settings(), FileName, *data_, models_, *MainForm, progress.get());
}

// ---- Selection and column marks ----------------------------------------------

// The single cell (1, 1), or the first data column while a filter is checked.
void TImportDataForm::ResetGridSelection() {
  StringGrid->SetSelection({1, 1, 1, 1});
  ConstrainSelection();
}

void TImportDataForm::EnableRangeSelect() {
  StringGrid->SetRangeSelect(true);
  ResetGridSelection();
  StringGrid->viewport()->update();
}

void TImportDataForm::DisableRangeSelect() {
  StringGrid->SetRangeSelect(false);
  ResetGridSelection();
  StringGrid->viewport()->update();
}

// With a filter checked the selection takes whole data columns: every object row, and
// no column at or left of the name column.
void TImportDataForm::ConstrainSelection() {
  if (!AnyFilterChecked()) return;
  const GridRect selection = StringGrid->Selection();
  GridRect columns = selection;
  columns.Top = UpDownLabelsRow->value() + 1;
  columns.Bottom = StringGrid->RowCount() - 1;
  columns.Left = std::max(columns.Left, UpDownIDColumn->value() + 1);
  columns.Right = std::max(columns.Right, columns.Left);
  if (columns.Top > columns.Bottom || columns.Right >= StringGrid->ColCount()) return;
  if (!(columns == selection)) StringGrid->SetSelection(columns);
}

void TImportDataForm::SetColumnMarks(bool exempt) {
  const GridRect selection = StringGrid->Selection();
  for (int c = std::max(selection.Left, 0); c <= selection.Right && c < static_cast<int>(bpColToBeExcl.size()); ++c)
    bpColToBeExcl[static_cast<std::size_t>(c)] = exempt;
  StringGrid->viewport()->update();
}

void TImportDataForm::PopupMenuExcludeFilterClick() { SetColumnMarks(true); }

void TImportDataForm::PopupMenuReleaseExcludedClick() { SetColumnMarks(false); }

void TImportDataForm::PopUpMenuToggleSplitClick() {
  const int left = StringGrid->Selection().Left;
  SplitColumn = left == SplitColumn ? -1 : left;
  StringGrid->viewport()->update();
}

void TImportDataForm::StringGridMouseDown() { MouseIsDown = true; }

void TImportDataForm::StringGridMouseUp() {
  MouseIsDown = false;
  ConstrainSelection();
  StringGrid->viewport()->update();
}

// ---- Drawing -----------------------------------------------------------------

bool TImportDataForm::SplitCellIsOne(int row) {
  int value = 0;
  if (TryStrToInt(StringGrid->Cells(SplitColumn, row), value)) return value == 1;
  SplitColumn = -1;
  if (!splitWarningQueued_) {
    splitWarningQueued_ = true;
    QTimer::singleShot(0, this, [this] {
      splitWarningQueued_ = false;
      Ui().MessageBox("Invalid splitting column", "APPLICATION WARNING", MB_OK | MB_ICONWARNING);
      StringGrid->viewport()->update();
    });
  }
  return false;
}

void TImportDataForm::StringGridDrawCell(int col, int row, CellLook& look) {
  if (look.fixed || look.selected) return;
  const int n = UpDownIDColumn->value();
  const int l = UpDownLabelsRow->value();
  if ((col == n && row > l) || (row == l && col > n)) {
    look.fill = kSkyBlue;
    return;
  }
  if (col <= n || row <= l) return;  // the grid's own colours
  look.fill = SplitColumn >= 0 && SplitColumn != col && SplitCellIsOne(row) ? kLightGreen : kCream;
  if (!AnyFilterChecked()) return;
  if (col == SplitColumn) look.fill = kLime;
  if (col < static_cast<int>(bpColToBeExcl.size()) && bpColToBeExcl[static_cast<std::size_t>(col)]) look.fill = kYellow;
}

// ---- Variable search ---------------------------------------------------------

void TImportDataForm::PopupMenuSearchVarClick() {
  FindDialogOptions options;
  options.showDirection = false;
  const QPointer<TImportDataForm> self(this);
  Ui().ShowFindDialog(options, [self](const FindRequest& request) {
    if (self) self->FindDialogVarFind(request);
  });
}

void TImportDataForm::FindDialogVarFind(const FindRequest& request) {
  const int labelRow = UpDownLabelsRow->value();
  if (FirstSearch) {
    NextSearchColumn = 1;
    FirstSearch = false;
  }
  DisableRangeSelect();
  SearchGridLine(*StringGrid, GridLine{false, labelRow, 1, false}, request, NextSearchColumn, [this, labelRow](int col) {
    EnableRangeSelect();
    StringGrid->SetSelection({col, labelRow, col, labelRow});
    ConstrainSelection();
    StringGrid->ScrollIntoView(col, labelRow);
  });
}
