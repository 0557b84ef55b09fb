// The external prediction set editor.
#include "prepare/ISmMain.h"

#include <QAction>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QToolButton>
#include <new>

#include "data/ChemoData.h"
#include "data/ProjectHost.h"
#include "platform/base/CommandGuard.h"
#include "platform/base/NumberText.h"
#include "platform/base/UiServices.h"
#include "platform/qt/Events.h"
#include "platform/qt/QtConvert.h"
#include "platform/qt/StringGrid.h"
#include "plot/VMtMain.h"
#include "prepare/ExternalDataTable.h"
#include "prepare/GridWindow.h"

std::unique_ptr<TFormAddExtData> TFormAddExtData::CreateForExternalSet(QWidget* owner, ChemoData* data) {
  return std::unique_ptr<TFormAddExtData>(new TFormAddExtData(owner, data, -1));
}

std::unique_ptr<TFormAddExtData> TFormAddExtData::CreateForTable(QWidget* owner, ChemoData* data,
                                                                 int splittingColumn) {
  return std::unique_ptr<TFormAddExtData>(new TFormAddExtData(owner, data, splittingColumn));
}

TFormAddExtData::TFormAddExtData(QWidget* owner, ChemoData* data, int splittingColumn)
    : ModalDialog(owner), StringGrid(new ::StringGrid(this)), data_(data), splittingColumn_(splittingColumn),
      cells_(*StringGrid) {
  setWindowTitle("Add external prediction dataset");
  BuildComponents();
  BuildPopupMenu();
  InitWindow();
  resize(676, 434);
}

void TFormAddExtData::BuildComponents() {
  QFont face("DejaVu Sans");
  face.setPixelSize(11);
  setFont(face);
  SpeedButtonCopy = TextToolButton(this, "Copy");
  SpeedButtonPaste = TextToolButton(this, "Paste");
  SpeedButtonDelete = TextToolButton(this, "Delete");
  SpeedButtonUndo = TextToolButton(this, "Undo");
  SpeedButtonCut = TextToolButton(this, "Cut");
  SpeedButtonEdit = TextToolButton(this, "Edit cells");
  SpeedButtonEdit->setCheckable(true);
  ButtonAccept = new QPushButton("Accept", this);
  ButtonCancel = new QPushButton("Cancel", this);
  StaticText1 = new QLabel("Rows", this);
  EditRow = new QLineEdit(this);
  EditRow->setFixedWidth(56);
  UpDownRow = new UpDownControl(1, kMaxEditorRows, this);

  auto* panel = new QHBoxLayout;
  const std::pair<QToolButton*, void (TFormAddExtData::*)()> buttons[] = {
      {SpeedButtonCopy, &TFormAddExtData::SpeedButtonCopyClick},
      {SpeedButtonPaste, &TFormAddExtData::SpeedButtonPasteClick},
      {SpeedButtonDelete, &TFormAddExtData::SpeedButtonDeleteClick},
      {SpeedButtonUndo, &TFormAddExtData::SpeedButtonUndoClick},
      {SpeedButtonCut, &TFormAddExtData::SpeedButtonCutClick},
      {SpeedButtonEdit, &TFormAddExtData::SpeedButtonEditClick}};
  for (auto [button, handler] : buttons) panel->addWidget(button);
  ConnectClicks(this, buttons);
  panel->addSpacing(16);
  panel->addWidget(StaticText1);
  panel->addWidget(EditRow);
  panel->addWidget(UpDownRow);
  panel->addStretch();
  panel->addWidget(ButtonAccept);
  panel->addWidget(ButtonCancel);
  connect(ButtonAccept, &QPushButton::clicked, this, [this] { ButtonAcceptClick(); });
  SetButtonResult(ButtonCancel, mrCancel);
  connect(UpDownRow, &UpDownControl::Clicked, this, [this] { UpDownRowClick(); });
  connect(EditRow, &QLineEdit::editingFinished, this, [this] { EditRowExit(); });

  StringGrid->SetDefaultRowHeight(16);
  StringGrid->SetDefaultColWidth(80);
  StringGrid->SetRangeSelect(true);
  StringGrid->OnDrawCell = [this](int col, int row, CellLook& look) { StringGridDrawCell(col, row, look); };
  StringGrid->OnSetEditText = [this](int col, int row, const std::string& text) {
    StringGridSetEditText(col, row, text);
  };
  StringGrid->OnSelectCell = [this](int col, int row) { StringGridSelectCell(col, row); };
  LayOutGridWindow(this, panel, StringGrid);
}

void TFormAddExtData::BuildPopupMenu() {
  PopupMenu = new QMenu(this);
  const std::pair<const char*, void (TFormAddExtData::*)()> items[] = {
      {"&Cut", &TFormAddExtData::SpeedButtonCutClick},       {"C&opy", &TFormAddExtData::SpeedButtonCopyClick},
      {"&Paste", &TFormAddExtData::SpeedButtonPasteClick},   {"&Delete", &TFormAddExtData::SpeedButtonDeleteClick},
      {"&Edit cells", &TFormAddExtData::SpeedButtonEditClick}, {"&Undo", &TFormAddExtData::SpeedButtonUndoClick}};
  for (auto [caption, handler] : items) {
    QAction* action = PopupMenu->addAction(caption);
    connect(action, &QAction::triggered, this, [this, handler = handler] { (this->*handler)(); });
    if (handler == &TFormAddExtData::SpeedButtonEditClick) PopupEditCells = action;
  }
  PopupEditCells->setCheckable(true);
  setContextMenuPolicy(Qt::CustomContextMenu);
  connect(this, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& at) { PopupMenu->popup(mapToGlobal(at)); });
  AttachPopupMenu(StringGrid, PopupMenu);
}

void TFormAddExtData::InitWindow() {
  UpDownRow->SetPosition(5);
  EditRow->setText("5");
  SetupGrid();
}

void TFormAddExtData::SetupGrid() {
  const int vars = data_->iVarCount;
  StringGrid->SetColCount(vars + 2);
  SetupRows();
  StringGrid->SetFixedRows(1);
  StringGrid->SetFixedCols(1);
  StringGrid->Cells(0, 0) = "No.";
  StringGrid->Cells(kNameColumn, 0) = "Obj. Name";
  for (int j = 0; j + 1 < vars; ++j) StringGrid->Cells(kFirstValueColumn + j, 0) = data_->tpVarNameStrPtr[j];
  const int response = data_->iResponseIndex >= 0 && data_->iResponseIndex < vars ? data_->iResponseIndex : vars - 1;
  if (response >= 0) StringGrid->Cells(vars + 1, 0) = data_->tpVarNameStrPtr[response];
  if (!AddMode()) StringGrid->SetColWidth(kNameColumn, -1);
  for (int col = 0; col < StringGrid->ColCount(); ++col) StringGrid->WidenColToFit(col);
  undoText_.clear();
}

void TFormAddExtData::SetupRows() {
  EditRow->setText(QStr(IntToStr(UpDownRow->Position())));
  ::SetupRows(cells_, UpDownRow->Position(), AddMode());
}

void TFormAddExtData::SetFixedColumns(int n) {
  if (n > 0) StringGrid->SetFixedCols(n);
}

void TFormAddExtData::UpDownRowClick() { SetupRows(); }

// A refused text gives way to the row count in force.
void TFormAddExtData::EditRowExit() {
  if (const std::optional<int> rows = EditRowPosition(StdStr(EditRow->text()))) UpDownRow->SetPosition(*rows);
  SetupRows();
}

// ---- Editing ------------------------------------------------------------------

void TFormAddExtData::SpeedButtonEditClick() {
  editMode_ = !editMode_;
  if (editMode_) {
    undoText_ = GridToText(cells_);
    StringGridSelectCell(StringGrid->Col(), StringGrid->Row());
  }
  StringGrid->SetEditing(editMode_);
  PopupEditCells->setChecked(editMode_);
  SpeedButtonEdit->setChecked(editMode_);
  for (QToolButton* button : {SpeedButtonCopy, SpeedButtonPaste, SpeedButtonCut, SpeedButtonDelete, SpeedButtonUndo})
    button->setEnabled(!editMode_);
  StringGrid->viewport()->update();
}

void TFormAddExtData::StringGridSelectCell(int col, int row) {
  editCol_ = col;
  editRow_ = row;
  lastAccepted_ = cells_.Contains(col, row) ? StringGrid->Cells(col, row) : std::string();
}

void TFormAddExtData::StringGridSetEditText(int col, int row, const std::string& text) {
  if (col < kFirstValueColumn) return;
  if (col != editCol_ || row != editRow_) StringGridSelectCell(col, row);
  const std::string typed = FromSystemDecimalSeparator(text, UserSeparator());
  const std::string kept = TypedCellText(typed, lastAccepted_, col == splittingColumn_);
  if (kept == typed) {
    lastAccepted_ = text;
    return;
  }
  StringGrid->Cells(col, row) = kept;
  lastAccepted_ = kept;
}

// The focused cell is not drawn as selected while the cells are edited.
void TFormAddExtData::StringGridDrawCell(int col, int row, CellLook& look) const {
  if (!editMode_ || !look.selected || col != StringGrid->Col() || row != StringGrid->Row()) return;
  look.fill = clWhite;
  look.textColor = clBlack;
}

// ---- Clipboard and undo ---------------------------------------------------------

void TFormAddExtData::SpeedButtonCopyClick() {
  Ui().SetClipboardText(CopyCellsText(cells_, StringGrid->Selection(), UserSeparator()));
}

void TFormAddExtData::SpeedButtonDeleteClick() {
  undoText_ = GridToText(cells_);
  DeleteCells(cells_, StringGrid->Selection());
}

void TFormAddExtData::SpeedButtonCutClick() {
  undoText_ = GridToText(cells_);
  SpeedButtonCopyClick();
  SpeedButtonDeleteClick();
}

void TFormAddExtData::SpeedButtonPasteClick() {
  BusyCursor busy;
  std::string buffer;
  try {
    buffer.reserve(kPasteLimit + 1);
  } catch (const std::bad_alloc&) {
    Ui().MessageBox("Cannot allocate data for clipboard operations.", "APPLICATION ERROR", MB_OK | MB_ICONERROR);
    return;
  }
  undoText_ = GridToText(cells_);
  buffer = Ui().ClipboardText();
  if (buffer.size() > kPasteLimit) buffer.resize(kPasteLimit);
  const GridRect at = StringGrid->Selection();
  PasteText(cells_, buffer, at.Left, at.Top, splittingColumn_, UserSeparator());
}

void TFormAddExtData::SpeedButtonUndoClick() {
  const std::string taken = GridToText(cells_);
  RestoreGridText(cells_, undoText_);
  undoText_ = taken;
}

// ---- Accept -------------------------------------------------------------------

void TFormAddExtData::ButtonAcceptClick() {
  bool accepted = false;
  RunGuarded(
      [&] {
        accepted = AddMode() ? AcceptExternalSet(cells_, *data_, UserSeparator())
                             : AcceptTable(cells_, *data_, splittingColumn_, UserSeparator());
      },
      "Cannot add external data");
  if (accepted) SetModalResult(mrOk);
}
