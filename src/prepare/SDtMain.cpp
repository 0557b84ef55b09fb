// The data set-up window.
#include "prepare/SDtMain.h"

#include <QAction>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <QVBoxLayout>

#include "data/ChemoData.h"
#include "data/DataResult.h"
#include "data/ProjectHost.h"
#include "data/ValidationFileCopies.h"
#include "platform/base/NumberText.h"
#include "platform/qt/Dialogs.h"
#include "platform/qt/Events.h"
#include "platform/qt/QtConvert.h"
#include "platform/qt/StringGrid.h"
#include "plot/VGrMain.h"
#include "platform/base/CommandGuard.h"
#include "prepare/CorrelationWindow.h"
#include "prepare/DRdMain.h"
#include "prepare/DescriptorPca.h"
#include "prepare/GridSearch.h"
#include "prepare/Splitting.h"
#include "prepare/VariableTools.h"
#include "select/SingleModelFit.h"
#include "validate/ExternalValidator.h"
#include "validate/VMdMain.h"
#include "validate/VMsMain.h"

int TDataSetupForm::NextVarSearchRow = 1;
int TDataSetupForm::NextObjSearchRow = 1;

namespace {

constexpr int kStatusCol = 2;
constexpr TColor kResponseFill = 0x008000;
constexpr TColor kResponseFillSelected = 0x00BB00;
enum PlotSlot { kLoading, kScore, kTraining, kPrediction };

QPushButton* Button(const char* caption, QWidget* parent) { return new QPushButton(caption, parent); }

QComboBox* DropDown(QWidget* parent) {
  auto* combo = new QComboBox(parent);
  combo->setEditable(false);
  return combo;
}

void Refuse(const std::string& text, const char* caption) { Ui().MessageBox(text, caption, MB_OK | MB_ICONERROR); }

void Inform(const char* text) { Ui().MessageBox(text, "APPLICATION MESSAGE", MB_OK | MB_ICONINFORMATION); }

bool AskYesNo(const std::string& text, const char* caption) {
  return Ui().MessageBox(text, caption, MB_YESNO | MB_ICONQUESTION) == IDYES;
}

void SetupGrid(StringGrid* grid, int rows, const char* nameHeader) {
  grid->SetColCount(3);
  grid->SetRowCount(rows);
  grid->SetFixedRows(1);
  grid->SetFixedCols(0);
  grid->SetColWidth(0, 40);
  grid->SetColWidth(1, 96);
  grid->SetColWidth(2, 72);
  grid->SetRangeSelect(true);
  grid->Cells(0, 0) = "No.";
  grid->Cells(1, 0) = nameHeader;
  grid->Cells(2, 0) = "Status";
}

}  // namespace

TDataSetupForm::TDataSetupForm(QWidget* owner, DataResultList* models, ChemoData* data,
                               ProgressWindowFactory progressWindow)
    : ModalDialog(owner), data_(data), models_(models), progressWindow_(std::move(progressWindow)) {
  RequestName = [this](const std::string& caption, std::string& text) {
    TDataRequestForm form(this, caption, &text, data_);
    form.exec();
  };
  ShowModalWindow = [](ModalDialog& window) { window.ShowModal(); };
  setWindowTitle("Data Setup");
  BuildComponents();
  BuildPopupMenus();
  RunGuarded([this] { Construct(); }, "Cannot setup data");
  ConnectHandlers();
  resize(1000, 660);
}

void TDataSetupForm::showEvent(QShowEvent* event) {
  ModalDialog::showEvent(event);
  PlaceOnScreen(*this, 24);
}

TDataSetupForm::~TDataSetupForm() {
  for (PlotSet& set : plots_) ReleasePlotSet(set);
}

// ---- Construction ---------------------------------------------------------

void TDataSetupForm::BuildComponents() {
  QFont face("DejaVu Sans");
  face.setPixelSize(11);
  setFont(face);
  StringGridVar = new StringGrid(this);
  StringGridObj = new StringGrid(this);
  StringGridVar->OnDrawCell = [this](int col, int row, CellLook& look) {
    if (col != kStatusCol || row < 1 || StringGridVar->Cells(col, row) != "Response") return;
    look.fill = look.selected ? kResponseFillSelected : kResponseFill;
    look.textColor = clWhite;
  };

  auto* right = new QVBoxLayout;
  right->addWidget(BuildVariableGroup());
  right->addWidget(BuildObjectGroup());
  right->addWidget(BuildSplittingGroup());
  right->addWidget(BuildAnalysisRow());
  right->addStretch();

  auto* top = new QHBoxLayout;
  top->addWidget(StringGridVar, 1);
  top->addWidget(StringGridObj, 1);
  top->addLayout(right);

  ButtonOK = Button("OK", this);
  ButtonCancel = Button("Cancel", this);
  SetButtonResult(ButtonCancel, mrCancel);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(ButtonOK);
  buttons->addWidget(ButtonCancel);

  auto* main = new QVBoxLayout(this);
  main->addLayout(top, 1);
  main->addWidget(BuildListsRow());
  main->addLayout(buttons);
}

QWidget* TDataSetupForm::BuildVariableGroup() {
  auto* group = new QGroupBox("Variables setup", this);
  auto* grid = new QGridLayout(group);
  ButtonSetX = Button("Select var.", group);
  ButtonHoldVar = Button("Hold var.", group);
  ButtonReleaseX = Button("Release var.", group);
  ButtonSetY = Button("Select resp.", group);
  ButtonReleaseY = Button("Release resp.", group);
  ButtonClearAll = Button("Clear all", group);
  ButtonSetSplitting = Button("Set splitting", group);
  ButtonRespDist = Button("View resp. d.", group);
  ButtonNormVar = Button("Normalize var.", group);
  QPushButton* order[] = {ButtonSetX,   ButtonHoldVar,      ButtonReleaseX, ButtonSetY,   ButtonReleaseY,
                          ButtonClearAll, ButtonSetSplitting, ButtonRespDist, ButtonNormVar};
  for (int i = 0; i < 9; ++i) grid->addWidget(order[i], i / 3, i % 3);
  return group;
}

QWidget* TDataSetupForm::BuildObjectGroup() {
  auto* group = new QGroupBox("Objects setup", this);
  auto* grid = new QGridLayout(group);
  ButtonTraining = Button("Training", group);
  ButtonTest = Button("Prediction", group);
  ButtonExcluded = Button("Excluded", group);
  ButtonResetObjects = Button("Reset objects", group);
  ButtonCreateSplitting = Button("Create splitting", group);
  ButtonDeleteSplitting = Button("Delete splitting", group);
  QPushButton* order[] = {ButtonTraining,     ButtonTest,           ButtonExcluded,
                          ButtonResetObjects, ButtonCreateSplitting, ButtonDeleteSplitting};
  for (int i = 0; i < 6; ++i) grid->addWidget(order[i], i / 3, i % 3);
  return group;
}

QWidget* TDataSetupForm::BuildSplittingGroup() {
  auto* group = new QGroupBox("Splitting setup", this);
  auto* grid = new QGridLayout(group);
  ComboBoxSplitting = DropDown(group);
  ComboBoxRandom = DropDown(group);
  grid->addWidget(new QLabel("Name", group), 0, 0);
  grid->addWidget(ComboBoxSplitting, 0, 1, 1, 2);
  grid->addWidget(new QLabel("Random percentage", group), 1, 0);
  grid->addWidget(ComboBoxRandom, 1, 1);

  auto* ordered = new QGroupBox("Ordered by", group);
  auto* orderedGrid = new QGridLayout(ordered);
  RadioButtonOrdByResp = new QRadioButton("Response", ordered);
  RadioButtonOrdByPCA1 = new QRadioButton("Structure", ordered);
  RadioButtonOrdByResp->setChecked(true);
  ComboBoxRATrain = DropDown(ordered);
  ComboBoxRATest = DropDown(ordered);
  ComboBoxRABegin = DropDown(ordered);
  ButtonSwap = Button("Swap", ordered);
  orderedGrid->addWidget(RadioButtonOrdByResp, 0, 0);
  orderedGrid->addWidget(RadioButtonOrdByPCA1, 0, 1);
  orderedGrid->addWidget(new QLabel("Training comp.", ordered), 1, 0);
  orderedGrid->addWidget(ComboBoxRATrain, 1, 1);
  orderedGrid->addWidget(new QLabel("Prediction comp.", ordered), 2, 0);
  orderedGrid->addWidget(ComboBoxRATest, 2, 1);
  orderedGrid->addWidget(new QLabel("Second mol.", ordered), 3, 0);
  orderedGrid->addWidget(ComboBoxRABegin, 3, 1);
  orderedGrid->addWidget(ButtonSwap, 3, 2);
  grid->addWidget(ordered, 2, 0, 1, 3);
  return group;
}

QWidget* TDataSetupForm::BuildAnalysisRow() {
  auto* box = new QWidget(this);
  auto* grid = new QGridLayout(box);
  grid->setContentsMargins(0, 0, 0, 0);
  ButtonVarPCA = Button("Var. PCA", box);
  Button1 = Button("Des. from PCA", box);
  Button2 = Button("Correlation", box);
  ButtonSingleModel = Button("Single model", box);
  ComboBoxLOFsmooth = DropDown(box);
  grid->addWidget(ButtonVarPCA, 0, 0);
  grid->addWidget(Button1, 0, 1);
  grid->addWidget(Button2, 0, 2);
  grid->addWidget(ButtonSingleModel, 1, 0);
  grid->addWidget(new QLabel("LOF smooth", box), 1, 1, Qt::AlignRight);
  grid->addWidget(ComboBoxLOFsmooth, 1, 2);
  return box;
}

QWidget* TDataSetupForm::BuildListsRow() {
  auto* row = new QWidget(this);
  auto* layout = new QHBoxLayout(row);
  layout->setContentsMargins(0, 0, 0, 0);
  auto listGroup = [&](const char* title, QListWidget*& list, QToolButton*& copy) {
    auto* group = new QGroupBox(title, row);
    auto* inner = new QHBoxLayout(group);
    list = new QListWidget(group);
    copy = new QToolButton(group);
    copy->setText("Copy");
    copy->setToolTip("Copy to clipboard");
    inner->addWidget(list, 1);
    inner->addWidget(copy, 0, Qt::AlignTop);
    auto* action = new QAction("&Copy", list);
    action->setShortcut(QKeySequence::Copy);
    action->setShortcutContext(Qt::WidgetShortcut);  // both lists copy with the same keys: the focused one
    list->addAction(action);
    list->setContextMenuPolicy(Qt::ActionsContextMenu);
    layout->addWidget(group, 1);
    return action;
  };
  QAction* copySel = listGroup("Selected variables", ListBoxSelVar, SpeedButtonCopyVarToClipboard);
  QAction* copyMissing = listGroup("Missing values", ListBoxMissingData, SpeedButtonCopyToClipboard);
  connect(copySel, &QAction::triggered, this, [this] { SpeedButtonCopyVarToClipboardClick(); });
  connect(copyMissing, &QAction::triggered, this, [this] { SpeedButtonCopyToClipboardClick(); });
  MemoDetails = new QPlainTextEdit(row);
  MemoDetails->setReadOnly(true);
  MemoDetails->setTabStopDistance(40);
  layout->addWidget(MemoDetails, 2);
  row->setFixedHeight(130);
  return row;
}

void TDataSetupForm::BuildPopupMenus() {
  auto item = [this](QMenu* menu, const char* caption, void (TDataSetupForm::*handler)()) {
    QAction* action = menu->addAction(caption);
    connect(action, &QAction::triggered, this, [this, handler] { (this->*handler)(); });
    return action;
  };
  PopupMenuVar = new QMenu(this);
  item(PopupMenuVar, "&Select variable", &TDataSetupForm::ButtonSetXClick);
  item(PopupMenuVar, "&Hold variable", &TDataSetupForm::ButtonHoldVarClick);
  item(PopupMenuVar, "&Release variable", &TDataSetupForm::ButtonReleaseXClick);
  item(PopupMenuVar, "&Normalize variable", &TDataSetupForm::NormalizevariableClick);
  item(PopupMenuVar, "S&elect response ", &TDataSetupForm::ButtonSetYClick);
  item(PopupMenuVar, "Re&lease response", &TDataSetupForm::ButtonReleaseYClick);
  item(PopupMenuVar, "Se&t splitting", &TDataSetupForm::ButtonSetSplittingClick);
  item(PopupMenuVar, "&Clear All", &TDataSetupForm::ButtonClearAllClick);
  PopUpRespDist = item(PopupMenuVar, "View Res&ponse distribution", &TDataSetupForm::ButtonRespDistClick);
  item(PopupMenuVar, "Se&arch variable...", &TDataSetupForm::SearchvariableClick);
  PopupMenuObj = new QMenu(this);
  item(PopupMenuObj, "&Training", &TDataSetupForm::ButtonTrainingClick);
  item(PopupMenuObj, "&Prediction", &TDataSetupForm::ButtonTestClick);
  item(PopupMenuObj, "E&xcluded", &TDataSetupForm::ButtonExcludedClick);
  item(PopupMenuObj, "&Reset objects", &TDataSetupForm::ButtonResetObjectsClick);
  item(PopupMenuObj, "&Create splitting...", &TDataSetupForm::ButtonCreateSplittingClick);
  PopupDeleteSplitting = item(PopupMenuObj, "&Delete splitting", &TDataSetupForm::ButtonDeleteSplittingClick);
  item(PopupMenuObj, "&Search object...", &TDataSetupForm::SearchobjectClick);
  for (auto [grid, menu] : {std::pair{StringGridVar, PopupMenuVar}, std::pair{StringGridObj, PopupMenuObj}}) {
    grid->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(grid, &QWidget::customContextMenuRequested, this,
            [grid = grid, menu = menu](const QPoint& at) { menu->popup(grid->viewport()->mapToGlobal(at)); });
  }
}

void TDataSetupForm::ConnectHandlers() {
  auto click = [this](QPushButton* button, void (TDataSetupForm::*handler)()) {
    connect(button, &QPushButton::clicked, this, [this, handler] { (this->*handler)(); });
  };
  click(ButtonSetX, &TDataSetupForm::ButtonSetXClick);
  click(ButtonSingleModel, &TDataSetupForm::ButtonSingleModelClick);
  click(ButtonHoldVar, &TDataSetupForm::ButtonHoldVarClick);
  click(ButtonReleaseX, &TDataSetupForm::ButtonReleaseXClick);
  click(ButtonSetY, &TDataSetupForm::ButtonSetYClick);
  click(ButtonReleaseY, &TDataSetupForm::ButtonReleaseYClick);
  click(ButtonClearAll, &TDataSetupForm::ButtonClearAllClick);
  click(ButtonSetSplitting, &TDataSetupForm::ButtonSetSplittingClick);
  click(ButtonRespDist, &TDataSetupForm::ButtonRespDistClick);
  click(ButtonNormVar, &TDataSetupForm::NormalizevariableClick);
  click(ButtonTraining, &TDataSetupForm::ButtonTrainingClick);
  click(ButtonTest, &TDataSetupForm::ButtonTestClick);
  click(ButtonExcluded, &TDataSetupForm::ButtonExcludedClick);
  click(ButtonResetObjects, &TDataSetupForm::ButtonResetObjectsClick);
  click(ButtonCreateSplitting, &TDataSetupForm::ButtonCreateSplittingClick);
  click(ButtonDeleteSplitting, &TDataSetupForm::ButtonDeleteSplittingClick);
  click(ButtonSwap, &TDataSetupForm::ButtonSwapClick);
  click(ButtonVarPCA, &TDataSetupForm::ButtonVarPCAClick);
  click(Button1, &TDataSetupForm::Button1Click);
  click(Button2, &TDataSetupForm::Button2Click);
  click(ButtonOK, &TDataSetupForm::ButtonOKClick);
  connect(SpeedButtonCopyVarToClipboard, &QToolButton::clicked, this,
          [this] { SpeedButtonCopyVarToClipboardClick(); });
  connect(SpeedButtonCopyToClipboard, &QToolButton::clicked, this, [this] { SpeedButtonCopyToClipboardClick(); });
  OnComboChange(ComboBoxSplitting, [this] { ComboBoxSplittingChange(); });
  OnComboChange(ComboBoxRandom, [this] { ComboBoxRandomChange(); });
  OnComboChange(ComboBoxRATrain, [this] { ComboBoxRATrainChange(); });
  OnComboChange(ComboBoxRATest, [this] { ComboBoxRATestChange(); });
  OnComboChange(ComboBoxRABegin, [this] { ComboBoxRABeginChange(); });
  OnRadioButtonClick(RadioButtonOrdByResp, [this] { RadioButtonOrdByRespClick(); });
  OnRadioButtonClick(RadioButtonOrdByPCA1, [this] { RadioButtonOrdByPCA1Click(); });
  for (StringGrid* grid : {StringGridVar, StringGridObj})
    grid->OnMouseUp = [this, grid](int, int) { ConfineToStatusColumn(grid); };
}

void TDataSetupForm::Construct() {
  BusyCursor busy;
  std::unique_ptr<Progress> progress = OpenProgress(progressWindow_, true);
  progress->SetText("Loading data...");
  bool badIndices = false;
  DataSetup setup = LoadSetup(*data_, badIndices);
  ipTempTrainingPtr = setup.status;
  iWorkResponse = setup.response;
  tempSplittings_ = setup.splittings;
  iTempCurrentSplit = setup.currentSplit;
  FillGrids(*progress);
  for (int32_t j = 0; j < data_->iVarCount; ++j) SetMark(j, setup.marks[j]);
  if (badIndices) ShowWarning("Invalid variable indices of the data setup were found and ignored");
  FillCombos();
  StringGridVar->SetSelection({kStatusCol, 1, kStatusCol, 1});
  StringGridObj->SetSelection({kStatusCol, 1, kStatusCol, 1});
  ShowSetupSummary();
}

void TDataSetupForm::FillGrids(Progress& progress) {
  SetupGrid(StringGridVar, data_->iVarCount + 1, "Variable");
  SetupGrid(StringGridObj, data_->iObjCount + 1, "Name");
  for (int32_t j = 0; j < data_->iVarCount; ++j) {
    StringGridVar->Cells(0, j + 1) = std::to_string(j + 1);
    StringGridVar->Cells(1, j + 1) = data_->tpVarNameStrPtr[j];
    progress.AnimationTick();
  }
  for (int32_t i = 0; i < data_->iObjCount; ++i) {
    StringGridObj->Cells(0, i + 1) = std::to_string(i + 1);
    StringGridObj->Cells(1, i + 1) = data_->tpObjNameStrPtr[i];
  }
}

void TDataSetupForm::FillCombos() {
  ComboBoxRandom->addItem("");
  for (int percent = 5; percent <= 50; percent += 5) ComboBoxRandom->addItem(QString::number(percent));
  FillSplittingCombo();
  RefreshObjectStatus();
  for (QComboBox* combo : {ComboBoxRATrain, ComboBoxRATest}) {
    combo->addItem("");
    for (int k = 1; k < (data_->iObjCount - 2) / 2; ++k) combo->addItem(QString::number(k));
  }
  ComboBoxRABegin->addItems({"Training", "Prediction"});
  double smoothing = 0.1;
  for (int i = 0; i < 30; ++i, smoothing += 0.1)
    ComboBoxLOFsmooth->addItem(QStr(FloatToStrF(smoothing, FloatFormat::Fixed, 15, 1)));
  ComboBoxLOFsmooth->setCurrentIndex(9);
}

void TDataSetupForm::ConfineToStatusColumn(StringGrid* grid) {
  GridRect rect = grid->Selection();
  rect.Left = kStatusCol;
  if (rect.Right < kStatusCol) rect.Right = kStatusCol;
  grid->SetSelection(rect);
}

// ---- Variable marks -------------------------------------------------------

std::vector<VarMark> TDataSetupForm::GridMarks() const {
  std::vector<VarMark> marks(data_->iVarCount);
  for (int32_t j = 0; j < data_->iVarCount; ++j) marks[j] = VarMarkFromLabel(StringGridVar->Cells(kStatusCol, j + 1));
  return marks;
}

void TDataSetupForm::SetMark(int32_t var, VarMark mark) {
  StringGridVar->Cells(kStatusCol, var + 1) = VariableStatusLabel(mark);
  StringGridVar->viewport()->update();
}

std::vector<int32_t> TDataSetupForm::MarkedPool() const {
  return MarkedVariables(GridMarks(), {VarMark::Selected, VarMark::Hold});
}

void TDataSetupForm::MarkSelectedVariables(VarMark mark) {
  const GridRect rect = StringGridVar->Selection();
  for (int row = std::max(rect.Top, 1); row <= rect.Bottom; ++row) SetMark(row - 1, mark);
  AfterVariableChange();
}

void TDataSetupForm::AfterVariableChange() {
  RefreshObjectStatus();
  ShowSetupSummary();
}

void TDataSetupForm::ButtonReleaseXClick() {
  const std::vector<VarMark> marks = GridMarks();
  const GridRect rect = StringGridVar->Selection();
  for (int row = std::max(rect.Top, 1); row <= rect.Bottom; ++row)
    if (marks[row - 1] == VarMark::Selected || marks[row - 1] == VarMark::Hold) SetMark(row - 1, VarMark::None);
  AfterVariableChange();
}

void TDataSetupForm::ButtonSetYClick() {
  const std::vector<VarMark> marks = GridMarks();
  for (int32_t j = 0; j < data_->iVarCount; ++j)
    if (marks[j] == VarMark::Response) SetMark(j, VarMark::None);
  const int top = StringGridVar->Selection().Top;
  if (top >= 1) {
    SetMark(top - 1, VarMark::Response);
    iWorkResponse = top - 1;
  }
  ComboBoxRATest->setCurrentIndex(0);
  ComboBoxRATrain->setCurrentIndex(0);
  bOrderValid = false;
  AfterVariableChange();
}

void TDataSetupForm::ButtonReleaseYClick() {
  const std::vector<VarMark> marks = GridMarks();
  for (int32_t j = 0; j < data_->iVarCount; ++j)
    if (marks[j] == VarMark::Response) SetMark(j, VarMark::None);
  iWorkResponse = -1;
  AfterVariableChange();
}

void TDataSetupForm::ButtonClearAllClick() {
  for (int32_t j = 0; j < data_->iVarCount; ++j) SetMark(j, VarMark::None);
  iWorkResponse = -1;
  AfterVariableChange();
}

void TDataSetupForm::ButtonSetSplittingClick() {
  const int top = StringGridVar->Selection().Top;
  if (top < 1) return;
  SetMark(top - 1, VarMark::Splitting);
  if (StatusesFromVariable(*data_, top - 1, ipTempTrainingPtr))
    ShowWarning("Invalid splitting values found forced to training status");
  AfterObjectChange();
  ButtonCreateSplittingClick();
}

void TDataSetupForm::NormalizevariableClick() {
  const std::vector<VarMark> marks = GridMarks();
  if (MarkedVariables(marks, {VarMark::Selected}).empty()) {
    Refuse("No variables selected, cannot normalize.", "APPLICATION ERROR");
    return;
  }
  if (!AskYesNo("Normalization cannot be cancelled, would you like to continue?", "APPLICATION WARNING")) return;
  std::string constant;
  for (int32_t var : MarkedVariables(marks, {VarMark::Selected, VarMark::Hold}))
    if (!NormaliseVariable(*data_, var)) constant += (constant.empty() ? "" : ", ") + data_->tpVarNameStrPtr[var];
  if (MainForm != nullptr) MainForm->SetModified(true);
  if (!constant.empty()) ShowWarning("Variables with a null or overflowing range were left unchanged: " + constant);
}

// ---- Objects and named splittings -----------------------------------------

void TDataSetupForm::SetSelectedObjectsStatus(int32_t status) {
  const GridRect rect = StringGridObj->Selection();
  for (int row = std::max(rect.Top, 1); row <= rect.Bottom; ++row) ipTempTrainingPtr[row - 1] = status;
  AfterObjectChange();
}

void TDataSetupForm::AfterObjectChange() {
  RefreshObjectStatus();
  ShowSetupSummary();
}

void TDataSetupForm::RefreshObjectStatus() {
  const std::vector<VarMark> marks = GridMarks();
  for (int32_t i = 0; i < data_->iObjCount; ++i)
    StringGridObj->Cells(kStatusCol, i + 1) = ObjectStatusText(*data_, ipTempTrainingPtr, iWorkResponse, marks, i);
  StringGridObj->viewport()->update();
}

void TDataSetupForm::ShowSetupSummary() {
  const SetupSummary summary = SummariseSetup(*data_, ipTempTrainingPtr, iWorkResponse, GridMarks());
  ListBoxSelVar->clear();
  ListBoxMissingData->clear();
  for (const std::string& name : summary.variables) ListBoxSelVar->addItem(QStr(name));
  for (const std::string& line : summary.missingCells) ListBoxMissingData->addItem(QStr(line));
  ButtonRespDist->setEnabled(iWorkResponse >= 0);
  PopUpRespDist->setEnabled(iWorkResponse >= 0);
  MemoDetails->setPlainText(QStr(summary.Text()));
}

void TDataSetupForm::ButtonResetObjectsClick() {
  std::fill(ipTempTrainingPtr.begin(), ipTempTrainingPtr.end(), kStatusTraining);
  AfterObjectChange();
  ComboBoxSplitting->setCurrentIndex(0);
  const std::vector<VarMark> marks = GridMarks();
  for (int32_t j = 0; j < data_->iVarCount; ++j)
    if (marks[j] == VarMark::Splitting) SetMark(j, VarMark::None);
}

bool TDataSetupForm::AskSplittingName(std::string& name) {
  for (;;) {
    RequestName("Splitting variable name", name);
    if (!name.empty() && !HasSplittingName(tempSplittings_, name)) return true;
    const std::string subject = name.empty() ? "Empty string" : name + " already exist";
    if (!AskYesNo(subject + ": do you want to enter a new name?", "APPLICATION WARNING")) {
      Inform("Procedure aborted");
      return false;
    }
  }
}

void TDataSetupForm::ButtonCreateSplittingClick() {
  RunGuarded(
      [this] {
        std::string name = ProposeSplittingName(tempSplittings_);
        if (!AskSplittingName(name)) return;
        tempSplittings_.push_back({name, ipTempTrainingPtr});
        iTempCurrentSplit = static_cast<int32_t>(tempSplittings_.size()) - 1;
        FillSplittingCombo();
      },
      "Cannot create splitting variables");
}

void TDataSetupForm::FillSplittingCombo() {
  ComboBoxSplitting->clear();
  ComboBoxSplitting->addItem("");
  for (const NamedSplitting& split : tempSplittings_) ComboBoxSplitting->addItem(QStr(split.name));
  const bool any = !tempSplittings_.empty();
  ButtonDeleteSplitting->setEnabled(any);
  PopupDeleteSplitting->setEnabled(any);
  if (any) ComboBoxSplitting->setCurrentIndex(iTempCurrentSplit + 1);
}

void TDataSetupForm::ComboBoxSplittingChange() {
  const int item = ComboBoxSplitting->currentIndex();
  if (item < 1 || item > static_cast<int>(tempSplittings_.size())) return;
  ipTempTrainingPtr = tempSplittings_[item - 1].status;
  iTempCurrentSplit = item - 1;
  AfterObjectChange();
  for (QComboBox* combo : {ComboBoxRandom, ComboBoxRATrain, ComboBoxRATest}) combo->setCurrentIndex(0);
}

void TDataSetupForm::ButtonDeleteSplittingClick() {
  const int item = ComboBoxSplitting->currentIndex();
  if (item < 1 || item > static_cast<int>(tempSplittings_.size())) return;
  if (!AskYesNo("Do you really want to delete " + tempSplittings_[item - 1].name + "?", "APPLICATION WARNING"))
    return;
  RunGuarded(
      [&] {
        tempSplittings_.erase(tempSplittings_.begin() + (item - 1));
        if (tempSplittings_.empty()) {
          iTempCurrentSplit = 0;
        } else {
          ipTempTrainingPtr = tempSplittings_.back().status;
          iTempCurrentSplit = static_cast<int32_t>(tempSplittings_.size()) - 1;
        }
        FillSplittingCombo();
        AfterObjectChange();
      },
      "Cannot delete splitting variable");
}

// ---- Splits ---------------------------------------------------------------

void TDataSetupForm::ComboBoxRandomChange() {
  const int item = ComboBoxRandom->currentIndex();
  if (item < 1) return;
  RandomSplitting(ipTempTrainingPtr, ComboBoxRandom->currentText().toInt());
  AfterObjectChange();
  for (QComboBox* combo : {ComboBoxRATrain, ComboBoxRATest, ComboBoxSplitting}) combo->setCurrentIndex(0);
}

void TDataSetupForm::RunOrderedSplitting() {
  if (OrderObjectsByResponse()) ApplyOrderedSplitting();
  ComboBoxRandom->setCurrentIndex(0);
  ComboBoxSplitting->setCurrentIndex(0);
}

void TDataSetupForm::ReorderAndSplit() {
  bOrderValid = false;
  if (OrderObjectsByResponse()) ApplyOrderedSplitting();
}

bool TDataSetupForm::OrderObjectsByResponse() {
  if (bOrderValid) return true;
  const bool byResponse = RadioButtonOrdByResp->isChecked();
  if (byResponse && iWorkResponse < 0) {
    Refuse("Y response must be selected first!", "APPLICATION ERROR");
    ComboBoxRATest->setCurrentIndex(0);
    ComboBoxRATrain->setCurrentIndex(0);
    return false;
  }
  BusyCursor busy;
  ipOrderedResponsePtr.clear();
  bOrderValid = RunGuarded(
      [&] { ipOrderedResponsePtr = byResponse ? OrderByResponse(*data_, iWorkResponse) : StructureOrder(); },
      "Cannot order response");
  if (!bOrderValid) ipOrderedResponsePtr.clear();
  return bOrderValid;
}

// The analysed objects in ascending order of their first principal component;
// every object in object order when the analysis refuses.
std::vector<int32_t> TDataSetupForm::StructureOrder() {
  LentSetup lent(*data_, ipTempTrainingPtr, iWorkResponse);
  VariablePca pca;
  if (!ComputeVariablePca(*data_, MarkedPool(), pca)) return AllObjects(data_->iObjCount);
  std::vector<long double> scores(pca.objects.size());
  for (std::size_t r = 0; r < scores.size(); ++r) scores[r] = pca.Score(static_cast<int>(r), 1);
  return OrderByScores(pca.objects, scores);
}

void TDataSetupForm::ApplyOrderedSplitting() {
  const int training = ComboBoxRATrain->currentIndex();
  const int prediction = ComboBoxRATest->currentIndex();
  if (training < 1 || prediction < 1) return;
  ::ApplyOrderedSplitting(ipTempTrainingPtr, ipOrderedResponsePtr, training, prediction,
                          ComboBoxRABegin->currentIndex() == 1);
  AfterObjectChange();
}

void TDataSetupForm::ButtonSwapClick() {
  std::vector<int32_t> objects = bOrderValid ? ipOrderedResponsePtr : AllObjects(data_->iObjCount);
  bool keep = false;
  // An order built before a new response was chosen still asks; Yes orders again.
  if (!ipOrderedResponsePtr.empty() &&
      AskYesNo("Do you want to preserve the first and the last object status with reference to an ORDERED "
               "response table?",
               "APPLICATION QUESTION")) {
    if (!OrderObjectsByResponse()) return;
    objects = ipOrderedResponsePtr;
    keep = true;
  }
  SwapRoles(ipTempTrainingPtr, objects, keep);
  AfterObjectChange();
}

// ---- OK -------------------------------------------------------------------

bool TDataSetupForm::CheckTrainingPresent() {
  if (std::find(ipTempTrainingPtr.begin(), ipTempTrainingPtr.end(), kStatusTraining) != ipTempTrainingPtr.end())
    return false;
  Refuse("Objects cannot be marked as ALL test!", "INPUT DATA ERROR");
  return true;
}

// Refuses a set-up without a response, without variables, or whose response row
// no longer shows "Response"; whether it refused.
bool TDataSetupForm::RefuseInvalidSetup(std::size_t variables) {
  if (iWorkResponse < 0 || variables == 0) {
    Refuse("Data setup not valid. Response: " + std::to_string(iWorkResponse) +
               " - Variable amount: " + std::to_string(variables),
           "USER DATA INPUT ERROR");
    return true;
  }
  if (GridMarks()[iWorkResponse] != VarMark::Response) {
    Refuse("Data setup not valid: the response variable " + data_->tpVarNameStrPtr[iWorkResponse] +
               " is no longer marked as response",
           "USER DATA INPUT ERROR");
    return true;
  }
  return false;
}

// ---- Single model ---------------------------------------------------------------

// Fits the one model of the marked variables on the working set-up, lent to the
// data set for the command, and shows it; the data set gets back its own set-up.
void TDataSetupForm::ButtonSingleModelClick() {
  auto busy = std::make_unique<BusyCursor>();
  data_->ldLOFSmoothing = StrToFloat(StdStr(ComboBoxLOFsmooth->currentText()));
  if (CheckTrainingPresent()) return;
  const std::vector<int32_t> pool = MarkedPool();
  if (RefuseInvalidSetup(pool.size())) return;
  DataSetupLoan loan(*data_, pool, iWorkResponse, ipTempTrainingPtr);
  try {
    loan.Apply();
  } catch (...) {
    ShowWarning("Cannot setup temporary data");
    return;
  }
  DataResultList list(data_);
  SingleModelFitResult fit;
  try {
    fit = FitSingleModel(list, *data_, true);
  } catch (...) {
    Refuse("Cannot calculate single model", "APPLICATION ERROR");
    return;
  }
  if (fit.model == nullptr) return;
  fit.model->iSelStatus = 1;
  busy.reset();
  // The dialog merges the temporary model's records into the project's validation
  // files: they are put aside for the command, so that a project model with the
  // same variables keeps its own records; the model window below plots the new ones.
  TempFiles* registry = MainForm != nullptr ? MainForm->Registry() : nullptr;
  ValidationFilesAside aside(registry);
  if (aside.Held())
    RunOrWarn(
        [&] {
          TValidateModelForm window(this, true, &list, data_, registry, progressWindow_);
          ShowModalWindow(window);
        },
        "Cannot create Validate models dialog");
  bool anyPrediction = false;
  for (int i = 0; i < data_->iObjCount; ++i) anyPrediction = anyPrediction || data_->IsPredictionObject(i);
  if (anyPrediction &&
      Ui().MessageBox("Do you want to perform external validation (Q2-Fn, CCC, r2m, Golbraikh and Tropsha method)?",
                      "APPLICATION REQUEST", MB_YESNO | MB_ICONQUESTION) == IDYES)
    RunOrWarn([&] { ExternalValidator(true, &list, data_, progressWindow_).ValidateExternal(); },
              "Cannot create Validate models dialog");
  RunOrWarn(
      [&] {
        std::unique_ptr<TViewSelModForm> window;
        {
          BusyCursor modelBusy;
          window = std::make_unique<TViewSelModForm>(this, "", 1, 1, list.First(), data_, progressWindow_);
        }
        ShowModalWindow(*window);
      },
      "Cannot create Validate models dialog");
}

void TDataSetupForm::ButtonOKClick() {
  if (CheckTrainingPresent()) return;
  if (RefuseInvalidSetup(MarkedVariables(GridMarks(), {VarMark::Selected}).size())) return;
  int32_t models = models_ != nullptr ? models_->Count() : 0;
  if (models < 0) {
    ShowWarning("Invalid previous models list index, forcing list reset");
    models = 0;
  }
  if (models > 0 && (MainForm == nullptr || !MainForm->ConfirmDiscardModels())) return;
  WriteBack();
}

void TDataSetupForm::WriteBack() {
  DataSetup setup;
  setup.status = ipTempTrainingPtr;
  setup.response = iWorkResponse;
  setup.marks = GridMarks();
  setup.splittings = tempSplittings_;
  setup.currentSplit = iTempCurrentSplit;
  try {
    WriteSetup(*data_, setup, StrToFloat(StdStr(ComboBoxLOFsmooth->currentText())));
  } catch (...) {
    ShowWarning("Data setup may be corrupted - internal data setup will be reset");
    ResetSetup(*data_);
    if (MainForm != nullptr) MainForm->EnableCalculateAllSubset(false);
    return;
  }
  if (MainForm != nullptr) {
    MainForm->EnableCalculateAllSubset(true);
    MainForm->SetModified(true);
  }
  SetModalResult(mrOk);
}

// ---- Analyses -------------------------------------------------------------

TViewGraphForm* TDataSetupForm::PlotWindow(int which) const { return plots_.at(which).window.data(); }

void TDataSetupForm::ReleasePlotSet(PlotSet& set) {
  set.Release();
  set.cells.clear();
  set.rows.clear();
}

void TDataSetupForm::ButtonVarPCAClick() {
  RunGuarded(
      [this] {
        LentSetup lent(*data_, ipTempTrainingPtr, iWorkResponse);
        VariablePca pca;
        bool done = false;
        {
          BusyCursor busy;
          done = ComputeVariablePca(*data_, MarkedPool(), pca);
        }
        if (done)
          ShowPcaPlots(this, data_, pca, ipTempTrainingPtr.data(), iWorkResponse, plots_[kLoading], plots_[kScore]);
      },
      "Unhandled ViewGraph exception");
}

void TDataSetupForm::ButtonRespDistClick() {
  if (iWorkResponse < 0) return;
  ReleasePlotSet(plots_[kTraining]);
  ReleasePlotSet(plots_[kPrediction]);
  RunGuarded(
      [this] {
        if (FillDistribution(plots_[kPrediction], kStatusPrediction))
          ShowDistribution(plots_[kPrediction], "View response prediction distribution", true);
        FillDistribution(plots_[kTraining], kStatusTraining);
        ShowDistribution(plots_[kTraining], "View response training distribution", false);
      },
      "Unhandled ViewGraph exception");
}

bool TDataSetupForm::FillDistribution(PlotSet& set, int32_t status) {
  for (int32_t i = 0; i < data_->iObjCount; ++i) {
    const CheckedValue& cell = data_->tpChemoValuePtr[i][iWorkResponse];
    if (ipTempTrainingPtr[i] == status && !cell.Missing) set.cells.push_back({cell, CheckedValue()});
  }
  for (auto& row : set.cells) set.rows.push_back(row.data());
  return !set.rows.empty();
}

void TDataSetupForm::ShowDistribution(PlotSet& set, const std::string& caption, bool moved) {
  set.Show(this,
           TViewGraphForm::CreateForResponseDistribution(this, data_, GraphKind::ResponseDistribution,
                                                         set.rows.data(), static_cast<int>(set.rows.size()),
                                                         &set.closed),
           caption, moved);
}

bool TDataSetupForm::AskPcaName(std::string& name) {
  return AskNonEmptyName([this](std::string& text) { RequestName("PCA variable name", text); }, name);
}

void TDataSetupForm::Button1Click() {
  std::string name = "set-A";
  if (!AskPcaName(name)) return;
  if (!AskYesNo("The dataset matrix will be permanently updated adding the PCA descriptors: it will not be "
                "possible to undo this step. Do you want to proceed?",
                "APPLICATION WARNING")) {
    Inform("Adding PCA descriptors procedure aborted.");
    return;
  }
  RunGuarded(
      [&] {
        LentSetup lent(*data_, ipTempTrainingPtr, iWorkResponse);
        BusyCursor busy;
        VariablePca pca;
        if (!ComputeVariablePca(*data_, MarkedPool(), pca)) return;
        const int32_t firstNew = data_->iVarCount;
        AppendPcaVariables(*data_, pca, name);
        AppendVariableRows(firstNew);
        if (MainForm != nullptr) MainForm->SetModified(true);
      },
      "Unhandled PCA calculation exception");
}

void TDataSetupForm::AppendVariableRows(int32_t firstNew) {
  StringGridVar->SetRowCount(data_->iVarCount + 1);
  for (int32_t j = firstNew; j < data_->iVarCount; ++j) {
    StringGridVar->Cells(0, j + 1) = std::to_string(j + 1);
    StringGridVar->Cells(1, j + 1) = data_->tpVarNameStrPtr[j];
    StringGridVar->Cells(kStatusCol, j + 1).clear();
  }
}

void TDataSetupForm::Button2Click() {
  // Unlike the data viewer, a pair of zero deviation shows its value.
  RunGuarded([this] { ShowVariableCorrelation(this, *data_, MarkedPool(), false, ShowModalWindow); },
             "Unhandled ViewGraph exception");
}

// ---- Searches and copies --------------------------------------------------

void TDataSetupForm::SearchvariableClick() {
  FindDialogOptions options;
  options.matchCase = true;
  Ui().ShowFindDialog(options, [this](const FindRequest& request) { SearchGridNames(StringGridVar, 0, request); });
}

void TDataSetupForm::SearchobjectClick() {
  FindDialogOptions options;
  options.matchCase = true;
  Ui().ShowFindDialog(options, [this](const FindRequest& request) { SearchGridNames(StringGridObj, 1, request); });
}

void TDataSetupForm::SearchGridNames(StringGrid* grid, int which, const FindRequest& request) {
  int& next = which == 0 ? NextVarSearchRow : NextObjSearchRow;
  bool& first = which == 0 ? bFirstVarSearch : bFirstObjSearch;
  if (first) {
    next = 1;
    first = false;
  }
  SearchGridLine(*grid, GridLine{true, 1, 1, false}, request, next, [grid](int row) {
    grid->SetSelection({0, row, kStatusCol, row});
    grid->ScrollIntoView(0, row);
  });
}

void TDataSetupForm::CopyLines(const QListWidget* list) {
  std::string text;
  for (int i = 0; i < list->count(); ++i) text += StdStr(list->item(i)->text()) + "\r\n";
  Ui().SetClipboardText(text);
}

void TDataSetupForm::SpeedButtonCopyVarToClipboardClick() { CopyLines(ListBoxSelVar); }
void TDataSetupForm::SpeedButtonCopyToClipboardClick() { CopyLines(ListBoxMissingData); }
