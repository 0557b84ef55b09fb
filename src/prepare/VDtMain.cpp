// The data viewer.
#include "prepare/VDtMain.h"

#include <QHBoxLayout>
#include <QMenu>
#include <QToolButton>

#include "data/ChemoData.h"
#include "data/LabelLists.h"
#include "data/ProjectHost.h"
#include "platform/base/NumberText.h"
#include "platform/qt/Dialogs.h"
#include "platform/qt/Events.h"
#include "platform/qt/QtConvert.h"
#include "platform/qt/StringGrid.h"
#include "platform/qt/ViewerCommon.h"
#include "plot/VGrMain.h"
#include "platform/base/CommandGuard.h"
#include "prepare/CorrelationWindow.h"
#include "prepare/DataSetup.h"
#include "prepare/GridSearch.h"
#include "prepare/GridWindow.h"

int TViewDataForm::NextVarSearchCol = 3;
int TViewDataForm::NextObjSearchRow = 1;

namespace {

constexpr int kLabelCols = 3;
constexpr TColor kLabelFill = 0xF0CAA6;  // sky blue: red 166, green 202, blue 240

}  // namespace

TViewDataForm::TViewDataForm(QWidget* owner, DataResultList* models, ChemoData* data,
                             ProgressWindowFactory progressWindow)
    : ModalDialog(owner), data_(data), models_(models), progressWindow_(std::move(progressWindow)) {
  ShowModalWindow = [](ModalDialog& window) { window.ShowModal(); };
  setWindowTitle("View Data");
  BuildComponents();
  BuildPopupMenu();
  try {
    FillGrid();
  } catch (const Exception& e) {
    Ui().MessageBox(e.Message, "APPLICATION ERROR", MB_OK | MB_ICONERROR);
  } catch (...) {
    Ui().MessageBox("Cannot import data", "APPLICATION ERROR", MB_OK | MB_ICONERROR);
  }
  resize(900, 600);
}

void TViewDataForm::showEvent(QShowEvent* event) {
  ModalDialog::showEvent(event);
  PlaceOnScreen(*this, 24);
}

void TViewDataForm::BuildComponents() {
  QFont face("DejaVu Sans");
  face.setPixelSize(11);
  setFont(face);
  auto* panel = new QHBoxLayout;
  SpeedButtonCopy = TextToolButton(this, "Copy", "Copy to clipboard");
  SpeedButtonSelectRow = TextToolButton(this, "Row", "Select row");
  SpeedButtonSelectColumn = TextToolButton(this, "Column", "Select column");
  SpeedButtonSelectAll = TextToolButton(this, "All", "Select all");
  SpeedButtonGraphVar = TextToolButton(this, "Var. profile", "View variables profile");
  SpeedButtonGraphObj = TextToolButton(this, "Obj. profile", "View objects profile");
  SpeedButtonGraphBar = TextToolButton(this, "Bar chart", "View bar chart");
  SpeedButtonScatterGraph = TextToolButton(this, "Scatter", "View scatter plot");
  SpeedButtonCorrMatr = TextToolButton(this, "Correlation", "View correlation matrix");
  const std::pair<QToolButton*, void (TViewDataForm::*)()> buttons[] = {
      {SpeedButtonCopy, &TViewDataForm::SpeedButtonCopyClick},
      {SpeedButtonSelectRow, &TViewDataForm::SpeedButtonSelectRowClick},
      {SpeedButtonSelectColumn, &TViewDataForm::SpeedButtonSelectColumnClick},
      {SpeedButtonSelectAll, &TViewDataForm::SpeedButtonSelectAllClick},
      {SpeedButtonGraphVar, &TViewDataForm::SpeedButtonGraphVarClick},
      {SpeedButtonGraphObj, &TViewDataForm::SpeedButtonGraphObjClick},
      {SpeedButtonGraphBar, &TViewDataForm::SpeedButtonGraphBarClick},
      {SpeedButtonScatterGraph, &TViewDataForm::SpeedButtonScatterGraphClick},
      {SpeedButtonCorrMatr, &TViewDataForm::SpeedButtonCorrMatrClick}};
  for (auto [button, handler] : buttons) panel->addWidget(button);
  ConnectClicks(this, buttons);
  panel->addStretch();

  StringGrid = new ::StringGrid(this);
  StringGrid->SetRangeSelect(true);
  StringGrid->SetDefaultColWidth(80);
  StringGrid->OnDrawCell = [](int col, int row, CellLook& look) {
    if (col < kLabelCols && row >= 1) look.fill = kLabelFill;
  };
  StringGrid->OnMouseUp = [this](int, int) { StringGridMouseUp(); };
  LayOutGridWindow(this, panel, StringGrid);
}

void TViewDataForm::BuildPopupMenu() {
  PopupMenu = new QMenu(this);
  const std::pair<const char*, void (TViewDataForm::*)()> items[] = {
      {"&Copy", &TViewDataForm::SpeedButtonCopyClick},
      {nullptr, nullptr},
      {"Select &Row", &TViewDataForm::SpeedButtonSelectRowClick},
      {"Select &Column", &TViewDataForm::SpeedButtonSelectColumnClick},
      {"Select &All", &TViewDataForm::SpeedButtonSelectAllClick},
      {nullptr, nullptr},
      {"View variables profile...", &TViewDataForm::SpeedButtonGraphVarClick},
      {"View objects profile...", &TViewDataForm::SpeedButtonGraphObjClick},
      {"View bar chart...", &TViewDataForm::SpeedButtonGraphBarClick},
      {"View scatter plot...", &TViewDataForm::SpeedButtonScatterGraphClick},
      {"View correlation matrix...", &TViewDataForm::SpeedButtonCorrMatrClick},
      {nullptr, nullptr},
      {"&Search variable...", &TViewDataForm::SearchVariableClick},
      {"S&earch object...", &TViewDataForm::SearchObjectClick}};
  for (auto [caption, handler] : items) {
    if (caption == nullptr) {
      PopupMenu->addSeparator();
      continue;
    }
    QAction* action = PopupMenu->addAction(caption);
    connect(action, &QAction::triggered, this, [this, handler = handler] { (this->*handler)(); });
  }
  AttachPopupMenu(StringGrid, PopupMenu);
}

void TViewDataForm::FillGrid() {
  BusyCursor busy;
  std::unique_ptr<Progress> progress = OpenProgress(progressWindow_, true);
  progress->SetText("Loading data...");
  const int vars = data_->iVarCount;
  StringGrid->SetRowCount(data_->iObjCount + 1);
  StringGrid->SetColCount(vars + data_->iSplitCount + kLabelCols);
  StringGrid->SetFixedRows(1);
  StringGrid->SetFixedCols(0);
  StringGrid->Cells(0, 0) = "ID";
  StringGrid->Cells(1, 0) = "Name";
  StringGrid->Cells(2, 0) = "Status";
  for (int32_t i = 0; i < data_->iObjCount; ++i) {
    StringGrid->Cells(0, i + 1) = std::to_string(i + 1);
    StringGrid->Cells(1, i + 1) = data_->tpObjNameStrPtr[i];
    StringGrid->Cells(2, i + 1) = StoredStatusText(*data_, i);
    progress->AnimationTick();
  }
  for (int32_t j = 0; j < vars; ++j) {
    StringGrid->Cells(kLabelCols + j, 0) = data_->tpVarNameStrPtr[j];
    progress->AnimationTick();
  }
  for (int32_t s = 0; s < data_->iSplitCount; ++s) {
    StringGrid->Cells(kLabelCols + vars + s, 0) = data_->tpSplitNameStrPtr[s];
    progress->AnimationTick();
  }
  const TrainingStatus labels;
  for (int32_t i = 0; i < data_->iObjCount; ++i) {
    for (int32_t j = 0; j < vars; ++j) {
      const CheckedValue& cell = data_->tpChemoValuePtr[i][j];
      StringGrid->Cells(kLabelCols + j, i + 1) = cell.Missing ? "Missing data" : FloatToStr(cell.Value);
    }
    for (int32_t s = 0; s < data_->iSplitCount; ++s)
      StringGrid->Cells(kLabelCols + vars + s, i + 1) = labels.GetLabel(data_->ipSplittingPtr[s][i]);
    progress->AnimationTick();
  }
  if (!HasDataCells()) return;
  StringGrid->SetSelection({kLabelCols, 1, kLabelCols, 1});
  // The selection scrolls the still small grid; the window opens at its top left.
  StringGrid->SetLeftCol(0);
  StringGrid->SetTopRow(1);
}

bool TViewDataForm::HasDataCells() const {
  return StringGrid->ColCount() > kLabelCols && StringGrid->RowCount() > 1;
}

// ---- Selection and copy -----------------------------------------------------

void TViewDataForm::SpeedButtonSelectRowClick() {
  if (!HasDataCells()) return;
  const GridRect rect = StringGrid->Selection();
  StringGrid->SetSelection({kLabelCols, rect.Top, StringGrid->ColCount() - 1, rect.Bottom});
}

void TViewDataForm::SpeedButtonSelectColumnClick() {
  if (!HasDataCells()) return;
  const GridRect rect = StringGrid->Selection();
  StringGrid->SetSelection({rect.Left, 1, rect.Right, StringGrid->RowCount() - 1});
}

void TViewDataForm::SpeedButtonSelectAllClick() {
  if (!HasDataCells()) return;
  StringGrid->SetSelection({kLabelCols, 1, StringGrid->ColCount() - 1, StringGrid->RowCount() - 1});
}

void TViewDataForm::StringGridMouseUp() {
  if (!HasDataCells()) return;
  GridRect rect = StringGrid->Selection();
  if (rect.Right < kLabelCols) {
    rect = {kLabelCols, 1, kLabelCols, 1};
  } else if (rect.Left < kLabelCols) {
    rect.Left = kLabelCols;
  }
  StringGrid->SetSelection(rect);
}

void TViewDataForm::SpeedButtonCopyClick() {
  RunGuarded(
      [this] {
        BusyCursor busy;
        std::unique_ptr<Progress> progress = OpenProgress(progressWindow_, false);
        progress->SetText("Formatting...");
        GridRect rect = StringGrid->Selection();
        rect.Left = std::max(rect.Left, kLabelCols);  // the labels lead every line already
        rect.Top = std::max(rect.Top, 1);
        std::string text = StringGrid->Cells(0, 0) + "\t" + StringGrid->Cells(1, 0) + "\t";
        progress->SetRange(rect.Left, rect.Right + 1);
        for (int col = rect.Left; col <= rect.Right; ++col) {
          text += StringGrid->Cells(col, 0) + "\t";
          progress->SetPosition(col + 1);
        }
        text += "\r\n";
        progress->SetRange(rect.Top, rect.Bottom + 1);
        for (int row = rect.Top; row <= rect.Bottom; ++row) {
          progress->SetPosition(row + 1);
          text += StringGrid->Cells(0, row) + "\t" + StringGrid->Cells(1, row) + "\t";
          for (int col = rect.Left; col <= rect.Right; ++col) text += UserNumberText(StringGrid->Cells(col, row)) + "\t";
          text += "\r\n";
        }
        progress->SetText("Sending...");
        Ui().SetClipboardText(text);
      },
      "Cannot copy data into clipboard");
}

// ---- Plots and correlation ----------------------------------------------------

void TViewDataForm::ShowDataPlot(int kind, const char* caption) {
  RunGuarded(
      [&] {
        std::unique_ptr<TViewGraphForm> form =
            TViewGraphForm::CreateForDataSet(this, data_, static_cast<GraphKind>(kind));
        if (!form) {
          ShowWarning("Cannot create View Graph dialog");
          return;
        }
        form->setWindowTitle(QStr(caption));
        ShowModalWindow(*form);
      },
      "Unhandled ViewGraph exception");
}

void TViewDataForm::SpeedButtonCorrMatrClick() {
  RunGuarded(
      [this] {
        std::vector<int32_t> all(data_->iVarCount);
        for (int32_t j = 0; j < data_->iVarCount; ++j) all[j] = j;
        ShowVariableCorrelation(this, *data_, all, true, ShowModalWindow);
      },
      "Unhandled ViewGraph exception");
}

// ---- Searches -------------------------------------------------------------------

void TViewDataForm::SearchVariableClick() {
  Ui().ShowFindDialog(FindDialogOptions{}, [this](const FindRequest& request) { FindDialogVarFind(request); });
}

void TViewDataForm::SearchObjectClick() {
  Ui().ShowFindDialog(FindDialogOptions{}, [this](const FindRequest& request) { FindDialogObjFind(request); });
}

void TViewDataForm::FindDialogVarFind(const FindRequest& request) {
  if (firstVarSearch_) {
    NextVarSearchCol = kLabelCols;
    firstVarSearch_ = false;
  }
  SearchGridLine(*StringGrid, GridLine{false, 0, kLabelCols, true}, request, NextVarSearchCol, [this](int col) {
    StringGrid->SetSelection({col, 0, col, 0});
    StringGrid->ScrollIntoView(col, 1);
  });
}

void TViewDataForm::FindDialogObjFind(const FindRequest& request) {
  if (firstObjSearch_) {
    NextObjSearchRow = 1;
    firstObjSearch_ = false;
  }
  SearchGridLine(*StringGrid, GridLine{true, 1, 1, true}, request, NextObjSearchRow, [this](int row) {
    StringGrid->SetSelection({1, row, 1, row});
    StringGrid->ScrollIntoView(1, row);
  });
}
