// The ranking window.
#include "prepare/CPmMain.h"

#include <QAction>
#include <QComboBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QToolButton>

#include "data/ChemoData.h"
#include "data/ProjectHost.h"
#include "platform/base/CommandGuard.h"
#include "platform/base/NumberText.h"
#include "platform/qt/Events.h"
#include "platform/qt/QtConvert.h"
#include "platform/qt/StringGrid.h"
#include "platform/qt/ViewerCommon.h"
#include "plot/VGrMain.h"
#include "prepare/CorrelationWindow.h"
#include "prepare/DRdMain.h"
#include "prepare/GridWindow.h"
#include "prepare/McsMain.h"

namespace {

enum PlotSlot { kLoading, kScore };

constexpr TColor kMoneyGreen = 0x00C0DCC0;  // RGB(192, 220, 192)
constexpr TColor kSkyBlue = 0x00F0CAA6;     // RGB(166, 202, 240)
constexpr TColor kHeaderLight = 0x00C8D0D4; // RGB(212, 208, 200)
constexpr TColor kYellow = 0x0000FFFF;
constexpr TColor kGrey = 0x00808080;

}  // namespace

TFormPcaMcdm::TFormPcaMcdm(QWidget* owner, ChemoData* data, ProgressWindowFactory progressWindow)
    : ModalDialog(owner), StringGrid(new ::StringGrid(this)), data_(data), cells_(*StringGrid),
      model_(*data, cells_), progressWindow_(std::move(progressWindow)) {
  ShowModalWindow = [](ModalDialog& window) { window.ShowModal(); };
  EditColumnSetting = [this](bool& cancelled, CheckedValue& setting) {
    try {
      TFormMCDMparam form(this, &cancelled, &setting);
      form.ShowModal();
    } catch (...) {
      Ui().MessageBox("Cannot create MCDM parameter setup dialog", "APPLICATION ERROR", MB_OK | MB_ICONERROR);
    }
  };
  RequestName = [this](const std::string& caption, std::string& text) {
    TDataRequestForm form(this, caption, &text, data_);
    form.ShowModal();
  };
  setWindowTitle("Calculate ranking");
  setMinimumSize(320, 240);
  BuildComponents();
  BuildPopupMenu();
  try {
    BusyCursor busy;
    std::unique_ptr<Progress> progress = OpenProgress(progressWindow_, true);
    model_.LoadGrid(*progress);
  } catch (const Exception& e) {
    Ui().MessageBox(e.Message, "APPLICATION ERROR", MB_OK | MB_ICONERROR);
  } catch (...) {
    Ui().MessageBox("Cannot import data", "APPLICATION ERROR", MB_OK | MB_ICONERROR);
  }
  StringGrid->SetFixedCols(0);
  StringGrid->SetFixedRows(1);
  StringGrid->SetSelection({FirstDataColumn, HeaderRowCount, FirstDataColumn, HeaderRowCount});
  // The selection scrolls the still small grid; the window opens at its top left.
  StringGrid->SetLeftCol(0);
  StringGrid->SetTopRow(1);
  UpdateCommands(0);
  resize(900, 600);
}

TFormPcaMcdm::~TFormPcaMcdm() {
  for (ModelessPlot& plot : plots_) plot.Release();
}

void TFormPcaMcdm::BuildComponents() {
  QFont face("DejaVu Sans");
  face.setPixelSize(11);
  setFont(face);
  SpeedButtonCopy = TextToolButton(this, "Copy", "");
  SpeedButtonPCA = TextToolButton(this, "PCA", "Calculate PCA");
  SpeedButtonMCDM = TextToolButton(this, "MCDM", "Calculate MCDM");
  StaticTextOrder = new QLabel("Order", this);
  ComboBoxOrder = new QComboBox(this);
  ComboBoxOrder->addItems({"Ascending", "Descending"});
  ComboBoxOrder->setCurrentIndex(1);
  SpeedButtonStoreMCDM = TextToolButton(this, "Store", "Store MCDM column");
  SpeedButtonCorr = TextToolButton(this, "Correlation", "Calculate correlation");
  auto* panel = new QHBoxLayout;
  panel->addWidget(SpeedButtonCopy);
  panel->addWidget(MakeBevel(this));
  panel->addWidget(SpeedButtonPCA);
  panel->addWidget(MakeBevel(this));
  panel->addWidget(SpeedButtonMCDM);
  panel->addWidget(StaticTextOrder);
  panel->addWidget(ComboBoxOrder);
  panel->addWidget(MakeBevel(this));
  panel->addWidget(SpeedButtonStoreMCDM);
  panel->addWidget(MakeBevel(this));
  panel->addWidget(SpeedButtonCorr);
  panel->addStretch();
  const std::pair<QToolButton*, void (TFormPcaMcdm::*)()> buttons[] = {
      {SpeedButtonCopy, &TFormPcaMcdm::SpeedButtonCopyClick},
      {SpeedButtonPCA, &TFormPcaMcdm::SpeedButtonPCAClick},
      {SpeedButtonMCDM, &TFormPcaMcdm::SpeedButtonMCDMClick},
      {SpeedButtonStoreMCDM, &TFormPcaMcdm::SpeedButtonStoreMCDMClick},
      {SpeedButtonCorr, &TFormPcaMcdm::SpeedButtonCorrClick}};
  ConnectClicks(this, buttons);
  connect(ComboBoxOrder, &QComboBox::activated, this, [this] { SpeedButtonMCDMClick(); });

  StringGrid->SetDefaultRowHeight(16);
  StringGrid->SetDefaultColWidth(80);
  StringGrid->SetRangeSelect(true);
  StringGrid->OnDrawCell = [this](int col, int row, CellLook& look) { StringGridDrawCell(col, row, look); };
  StringGrid->OnMouseUp = [this](int, int) { StringGridMouseUp(); };
  LayOutGridWindow(this, panel, StringGrid);
}

void TFormPcaMcdm::BuildPopupMenu() {
  PopupMenu = new QMenu(this);
  const auto item = [this](const char* caption, void (TFormPcaMcdm::*handler)()) {
    QAction* action = PopupMenu->addAction(caption);
    connect(action, &QAction::triggered, this, [this, handler] { (this->*handler)(); });
    return action;
  };
  Select1 = item("&Select columns for calculation", &TFormPcaMcdm::Select1Click);
  Unselect1 = item("&Unselect columns", &TFormPcaMcdm::Unselect1Click);
  SetcolumnMCDMparameters =
      item("&Change columns MCDM parameters...", &TFormPcaMcdm::SetcolumnMCDMparametersClick);
  Roundweighttoreach1 = item("Set &weight to reach total 1", &TFormPcaMcdm::Roundweighttoreach1Click);
  PopupMenu->addSeparator();
  Selectmolecules1 = item("S&elect objects", &TFormPcaMcdm::Selectmolecules1Click);
  Unselectmolecules1 = item("Un&select objects", &TFormPcaMcdm::Unselectmolecules1Click);
  PopupMenu->addSeparator();
  PopupMenuCopy = item("C&opy", &TFormPcaMcdm::SpeedButtonCopyClick);
  PopupCalculatePCA = item("Calculate &PCA...", &TFormPcaMcdm::SpeedButtonPCAClick);
  PopupCalculateMCDM = item("Calculate &MCDM", &TFormPcaMcdm::SpeedButtonMCDMClick);
  PopupStoreMCDMcolumn = item("S&tore MCDM column...", &TFormPcaMcdm::SpeedButtonStoreMCDMClick);
  PopupCalculatecorrelation = item("Calculate co&rrelation...", &TFormPcaMcdm::SpeedButtonCorrClick);
  AttachPopupMenu(StringGrid, PopupMenu);
}

// ---- Commands and selection ---------------------------------------------------

void TFormPcaMcdm::UpdateCommands(int n) {
  const bool enough = n >= 2;
  for (QToolButton* button : {SpeedButtonPCA, SpeedButtonMCDM, SpeedButtonCorr}) button->setEnabled(enough);
  for (QAction* action : {PopupCalculatePCA, PopupCalculateMCDM, PopupCalculatecorrelation, Roundweighttoreach1,
                          SetcolumnMCDMparameters})
    action->setEnabled(enough);
  StaticTextOrder->setEnabled(false);
  ComboBoxOrder->setEnabled(false);
  SpeedButtonStoreMCDM->setEnabled(false);
  PopupStoreMCDMcolumn->setEnabled(false);
  model_.EndRanking();
}

void TFormPcaMcdm::AfterRanking() {
  StringGrid->WidenColToFit(model_.ScoreColumn());
  SpeedButtonMCDM->setEnabled(false);
  StaticTextOrder->setEnabled(true);
  ComboBoxOrder->setEnabled(true);
  SpeedButtonStoreMCDM->setEnabled(true);
  PopupStoreMCDMcolumn->setEnabled(true);
}

void TFormPcaMcdm::StringGridMouseUp() {
  GridRect rect = StringGrid->Selection();
  rect.Left = std::max(rect.Left, FirstDataColumn);
  rect.Top = std::max(rect.Top, HeaderRowCount);
  rect.Right = std::max(rect.Right, rect.Left);
  rect.Bottom = std::max(rect.Bottom, rect.Top);
  StringGrid->SetSelection(rect);
  StringGrid->viewport()->update();
}

void TFormPcaMcdm::SelectColumns(bool on) {
  const GridRect rect = StringGrid->Selection();
  model_.SelectColumns(rect.Left, rect.Right, on);
  UpdateCommands(model_.CountSelectedColumns());
  model_.ResetWeights();
  StringGrid->viewport()->update();
}

void TFormPcaMcdm::SelectObjects(bool on) {
  const GridRect rect = StringGrid->Selection();
  model_.SelectObjects(rect.Top, rect.Bottom, on);
  UpdateCommands(model_.CountSelectedColumns());
  StringGrid->viewport()->update();
}

void TFormPcaMcdm::StringGridDrawCell(int col, int row, CellLook& look) const {
  switch (model_.Shade(col, row, look.selected)) {
    case RankingShade::None:
      return;
    case RankingShade::LeadHeader:
      look.fill = kMoneyGreen;
      break;
    case RankingShade::LeadObject:
      look.fill = kSkyBlue;
      break;
    case RankingShade::DataHeader:
      look.fill = kHeaderLight;
      break;
    case RankingShade::SelectedColumn:
      look.fill = kYellow;
      break;
    case RankingShade::UnselectedObject:
      look.fill = kGrey;
      break;
  }
  look.textColor = clBlack;
}

// ---- PCA and correlation ---------------------------------------------------------

TViewGraphForm* TFormPcaMcdm::PlotWindow(int which) const { return plots_.at(which).window.data(); }

// A failure of the analysis (a constant column) is left to the application's
// general report; the plots shown before then stay.
void TFormPcaMcdm::SpeedButtonPCAClick() {
  VariablePca pca;
  {
    BusyCursor busy;
    if (!model_.CalculatePca(pca)) return;
  }
  plots_[kLoading].Release();
  plots_[kScore].Release();
  RunGuarded([&] { ShowPcaLoadingPlot(this, data_, pca, plots_[kLoading]); }, "Unhandled ViewGraph exception");
  RunGuarded([&] { ShowScorePlot(pca); }, "Unhandled ViewGraph exception");
}

void TFormPcaMcdm::ShowScorePlot(const VariablePca& pca) {
  ModelessPlot& record = plots_[kScore];
  CopyMatrix(record.values, pca.ScoreMatrix());
  for (int k = 1; k <= pca.Components(); ++k) record.axisNames.push_back(pca.AxisText(k));
  for (std::size_t i = 0; i < pca.objects.size(); ++i) {
    const int32_t obj = pca.objects[i];
    record.ids.push_back(IntToStr(obj + 1));
    record.names.push_back(data_->tpObjNameStrPtr[obj]);
    record.texts.push_back(model_.RankingCurrent() ? IntToStr(static_cast<int64_t>(i) + 1) : "n.a.");
  }
  MatrixPlotSource source;
  source.values = &record.values;
  source.elementNames = record.names.data();
  source.firstLabelTexts = record.texts.data();
  source.singleLabel = 0;
  source.firstLabelText = "MCDM order";
  source.secondLabelText = "Name";
  source.elementIDs = record.ids.data();
  source.axisNames = record.axisNames.data();
  record.Show(this,
              TViewGraphForm::CreateForMatrixScatter(this, data_, source, GraphKind::McdmRanking, &record.closed),
              "Score plot", true);
}

void TFormPcaMcdm::SpeedButtonCorrClick() {
  RunGuarded(
      [this] {
        std::vector<std::string> names;
        std::unique_ptr<CheckedMatrix> matrix = model_.Correlation(names);
        if (matrix) ShowCorrelationMatrix(this, std::move(matrix), names, ShowModalWindow);
      },
      "Unhandled ViewGraph exception");
}

void TFormPcaMcdm::SpeedButtonCopyClick() {
  RunGuarded(
      [this] {
        BusyCursor busy;
        std::unique_ptr<Progress> progress = OpenProgress(progressWindow_, false);
        Ui().SetClipboardText(model_.CopyText(StringGrid->Selection(), UserSeparator(), *progress));
      },
      "Cannot copy data into clipboard");
}

// ---- Multi-criteria ranking ------------------------------------------------------

void TFormPcaMcdm::SpeedButtonMCDMClick() {
  if (!model_.CheckRankingInput()) return;
  bool ranked = false;
  {
    BusyCursor busy;
    std::unique_ptr<Progress> progress = OpenProgress(progressWindow_, true);
    ranked = model_.Rank(ComboBoxOrder->currentIndex() != 0, *progress);
  }
  if (ranked) AfterRanking();
  StringGrid->viewport()->update();
}

void TFormPcaMcdm::SetcolumnMCDMparametersClick() {
  GridRect rect = StringGrid->Selection();
  if (rect.Right == model_.ScoreColumn()) {
    rect.Right -= 1;
    StringGrid->SetSelection(rect);
  }
  int left = rect.Left;
  int right = rect.Right;
  if (model_.ClampToDataColumns(left, right)) {
    CheckedValue setting = model_.Setting(left);
    bool cancelled = false;
    EditColumnSetting(cancelled, setting);
    if (!cancelled) {
      model_.SetColumnParameters(left, right, setting);
      UpdateCommands(model_.CountSelectedColumns());
    }
  }
  StringGrid->viewport()->update();
}

void TFormPcaMcdm::Roundweighttoreach1Click() {
  GridRect rect = StringGrid->Selection();
  rect.Right = rect.Left;
  StringGrid->SetSelection(rect);
  if (!model_.IsDataColumn(rect.Left)) return;
  model_.CompleteWeight(rect.Left);
  UpdateCommands(model_.CountSelectedColumns());
  StringGrid->viewport()->update();
}

void TFormPcaMcdm::SpeedButtonStoreMCDMClick() {
  if (Ui().MessageBox("The MCDM column will be permanently added to the dataset matrix. Do you want to proceed?",
                      "APPLICATION REQUEST", MB_YESNO | MB_ICONQUESTION) == IDYES)
    StoreMcdmColumn();
  SpeedButtonStoreMCDM->setEnabled(false);
  PopupStoreMCDMcolumn->setEnabled(false);
}

void TFormPcaMcdm::StoreMcdmColumn() {
  std::string name = "MCDM-A";
  if (!AskNonEmptyName([&](std::string& text) { RequestName("MCDM column name", text); }, name)) return;
  RunGuarded(
      [&] {
        BusyCursor busy;
        model_.StoreMcdmColumn(name, ComboBoxOrder->currentIndex() != 0);
      },
      "Cannot store MCDM column");
  StringGrid->viewport()->update();
}
