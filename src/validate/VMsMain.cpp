// The "View selected model" window.
#include "validate/VMsMain.h"

#include <QAction>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QScreen>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <vector>

#include "data/ChemoData.h"
#include "data/DataResult.h"
#include "data/ProjectFile.h"
#include "data/ProjectHost.h"
#include "data/TempFiles.h"
#include "data/ValidationFiles.h"
#include "numerics/Matrix.h"
#include "platform/base/CommandGuard.h"
#include "platform/base/Files.h"
#include "platform/base/NumberText.h"
#include "platform/base/ProgressWindow.h"
#include "platform/qt/Events.h"
#include "platform/qt/StringGrid.h"
#include "platform/qt/ViewerCommon.h"
#include "plot/VMtMain.h"
#include "platform/base/Stream.h"
#include "validate/InternalValidation.h"
#include "validate/ModelDescriptorPca.h"
#include "validate/ModelReport.h"
#include "validate/QmrfDocuments.h"
#include "validate/SingleModelFile.h"

namespace {

void Warn(const char* text) { Ui().MessageBox(text, "APPLICATION WARNING", MB_OK | MB_ICONWARNING); }

void FillGrid(StringGrid& grid, const std::vector<std::vector<std::string>>& cells) {
  grid.SetRowCount(static_cast<int>(cells.size()));
  for (int row = 0; row < grid.RowCount(); ++row)
    for (int col = 0; col < grid.ColCount(); ++col) grid.Cells(col, row) = cells[row][col];
}

}  // namespace

TViewSelModForm::TViewSelModForm(QWidget* owner, const std::string& fileName, uint8_t offerSmdSave,
                                 uint8_t showProgress, DataResultNode* model, ChemoData* data,
                                 ProgressWindowFactory progressWindow)
    : ModalDialog(owner), data_(data), model_(model), offerSmdSave_(offerSmdSave), progressWindow_(progressWindow) {
  ShowModalWindow = [](ModalDialog& window) { window.ShowModal(); };
  BuildComponents();
  BuildPopupMenu();
  ShowQmrfCommandsWhenPresent(fileName);
  analysis_ = std::make_unique<SingleModelAnalysis>(*data_, *model_,
                                                    showProgress ? std::move(progressWindow) : ProgressWindowFactory{});
  DisableMissingValidations();
  ShowResults();
}

TViewSelModForm::~TViewSelModForm() { ReleasePcaPlots(); }

void TViewSelModForm::BuildComponents() {
  resize(610, 566);
  setMinimumSize(618, 600);
  SpeedButtonCopy = TextToolButton(this, "Copy", "Copy to clipboard");
  SpeedButtonSaveToFile = TextToolButton(this, "Save", "Save to file");
  SpeedButtonViewExpCalcPlot =
      TextToolButton(this, "E/C", "View experimental endpoint vs Predicted by model equation");
  SpeedButtonViewExpPredPlot = TextToolButton(this, "E/P", "View Experimental endpoint vs Prediction by LOO");
  SpeedButtonResCalc = TextToolButton(this, "Rc", "View residuals from model predicted by model equation");
  SpeedButtonResPred = TextToolButton(this, "Rp", "View residuals from model predicted by LOO");
  SpeedButtonViewWillPlotCalc = TextToolButton(this, "Wc", "View Williams plot - Predictions by model equation");
  SpeedButtonViewWillPlotPred = TextToolButton(this, "Wp", "View Williams plot - Predictions by LOO");
  SpeedButtonApplDomain = TextToolButton(this, "AD", "View Applicability Domain");
  SpeedButtonLMO = TextToolButton(this, "LMO", "View LMO plot");
  SpeedButtonYScramble = TextToolButton(this, "Ys", "View Y-scramble plot");
  SpeedButtonRandDesc = TextToolButton(this, "Xr", "View Random descriptors plot");
  SpeedButtonRandResp = TextToolButton(this, "Yr", "View Random responces plot");
  SpeedButtonPCAdesc = TextToolButton(this, "PCA", "PCA of the descriptors");
  SpeedButtonCorrMatr = TextToolButton(this, "Corr", "View correlation matrix");
  SpeedButtonQMRF = TextToolButton(this, "QMRF", "View QMRF");
  SpeedButtonExportQMRF = TextToolButton(this, "Exp", "Export QMRF and SDF");
  BevelQMRF = MakeBevel(this);

  auto* top = new QHBoxLayout;
  top->setSpacing(1);
  const std::vector<std::vector<QWidget*>> groups{
      {SpeedButtonCopy, SpeedButtonSaveToFile},
      {SpeedButtonViewExpCalcPlot, SpeedButtonViewExpPredPlot, SpeedButtonResCalc, SpeedButtonResPred},
      {SpeedButtonViewWillPlotCalc, SpeedButtonViewWillPlotPred, SpeedButtonApplDomain},
      {SpeedButtonLMO, SpeedButtonYScramble, SpeedButtonRandDesc, SpeedButtonRandResp},
      {SpeedButtonPCAdesc, SpeedButtonCorrMatr}};
  for (const auto& group : groups) {
    if (&group != &groups.front()) top->addWidget(MakeBevel(this));
    for (QWidget* w : group) top->addWidget(w);
  }
  top->addWidget(BevelQMRF);
  top->addWidget(SpeedButtonQMRF);
  top->addWidget(SpeedButtonExportQMRF);
  top->addStretch(1);
  for (QWidget* w : {static_cast<QWidget*>(SpeedButtonQMRF), static_cast<QWidget*>(SpeedButtonExportQMRF),
                     static_cast<QWidget*>(BevelQMRF)})
    w->hide();

  StringGridRegrPar = new ::StringGrid(this);
  StringGridRegrPar->SetColCount(SingleModelAnalysis::ParamColumns);
  StringGridRegrPar->SetFixedCols(0);
  StringGridRegrPar->SetDefaultColWidth(96);
  StringGridRegrPar->SetDefaultRowHeight(16);
  StringGridRegrPar->setFixedHeight(91);
  StringGridRegrPar->OnDrawCell = [this](int col, int row, CellLook& look) { StringGridRegrParDrawCell(col, row, look); };

  RichEdit = new QPlainTextEdit(this);
  RichEdit->setReadOnly(true);
  RichEdit->setLineWrapMode(QPlainTextEdit::NoWrap);
  // The text shows the window's pop-up menu, not the editor's own.
  RichEdit->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(RichEdit, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& pos) { PopupMenu->popup(RichEdit->viewport()->mapToGlobal(pos)); });

  ComboBoxStdRes = new QComboBox(this);
  for (const std::string& item : SingleModelAnalysis::ThresholdItems())
    ComboBoxStdRes->addItem(QString::fromStdString(item));
  ComboBoxStdRes->setCurrentIndex(SingleModelAnalysis::DefaultThresholdItem);
  auto* threshold = new QHBoxLayout;
  threshold->addWidget(new QLabel("Std. res. thresh.", this));
  threshold->addWidget(ComboBoxStdRes);
  threshold->addStretch(1);

  StringGrid = new ::StringGrid(this);
  StringGrid->SetColCount(SingleModelAnalysis::ObjectColumns);
  StringGrid->SetFixedCols(0);
  StringGrid->SetDefaultColWidth(96);
  StringGrid->SetDefaultRowHeight(16);
  StringGrid->SetRowSelect(true);
  StringGrid->OnDrawCell = [this](int col, int row, CellLook& look) { StringGridDrawCell(col, row, look); };

  auto* main = new QVBoxLayout(this);
  main->setContentsMargins(2, 2, 2, 2);
  main->addLayout(top);
  main->addWidget(StringGridRegrPar);
  main->addWidget(RichEdit, 1);
  main->addLayout(threshold);
  main->addWidget(StringGrid, 2);

  const std::pair<QToolButton*, void (TViewSelModForm::*)()> buttons[] = {
      {SpeedButtonCopy, &TViewSelModForm::SpeedButtonCopyClick},
      {SpeedButtonSaveToFile, &TViewSelModForm::SpeedButtonSaveToFileClick},
      {SpeedButtonViewExpCalcPlot, &TViewSelModForm::SpeedButtonViewExpCalcPlotClick},
      {SpeedButtonViewExpPredPlot, &TViewSelModForm::SpeedButtonViewExpPredPlotClick},
      {SpeedButtonResCalc, &TViewSelModForm::SpeedButtonResCalcClick},
      {SpeedButtonResPred, &TViewSelModForm::SpeedButtonResPredClick},
      {SpeedButtonViewWillPlotCalc, &TViewSelModForm::SpeedButtonViewWillPlotCalcClick},
      {SpeedButtonViewWillPlotPred, &TViewSelModForm::SpeedButtonViewWillPlotPredClick},
      {SpeedButtonApplDomain, &TViewSelModForm::SpeedButtonApplDomainClick},
      {SpeedButtonLMO, &TViewSelModForm::SpeedButtonLMOClick},
      {SpeedButtonYScramble, &TViewSelModForm::SpeedButtonYScrambleClick},
      {SpeedButtonRandDesc, &TViewSelModForm::SpeedButtonRandDescClick},
      {SpeedButtonRandResp, &TViewSelModForm::SpeedButtonRandRespClick},
      {SpeedButtonPCAdesc, &TViewSelModForm::SpeedButtonPCAdescClick},
      {SpeedButtonCorrMatr, &TViewSelModForm::SpeedButtonCorrMatrClick},
      {SpeedButtonQMRF, &TViewSelModForm::SpeedButtonQMRFClick},
      {SpeedButtonExportQMRF, &TViewSelModForm::SpeedButtonExportQMRFClick}};
  ConnectClicks(this, buttons);
  connect(ComboBoxStdRes, &QComboBox::activated, this, [this] { ComboBoxStdResChange(); });
}

void TViewSelModForm::BuildPopupMenu() {
  PopupMenu = new QMenu(this);
  auto item = [this](const char* caption, void (TViewSelModForm::*handler)()) {
    QAction* action = PopupMenu->addAction(caption);
    connect(action, &QAction::triggered, this, [this, handler] { (this->*handler)(); });
    return action;
  };
  PopupMenuCopy = item("&Copy", &TViewSelModForm::SpeedButtonCopyClick);
  PopupMenuSaveToFile = item("&Save...", &TViewSelModForm::SpeedButtonSaveToFileClick);
  PopupMenu->addSeparator();
  PopupMenuViewRespCalcPlot = item("&View Resp-exp vs Resp-calc", &TViewSelModForm::SpeedButtonViewExpCalcPlotClick);
  ViewRespexpvsResppred1 = item("Vi&ew Resp-exp vs Resp-pred", &TViewSelModForm::SpeedButtonViewExpPredPlotClick);
  Viewresidualsfrommodcalc1 = item("View &residuals from mod. calc.", &TViewSelModForm::SpeedButtonResCalcClick);
  Viewresidualsfrommodpred1 = item("View re&siduals from mod. pred.", &TViewSelModForm::SpeedButtonResPredClick);
  PopupMenu->addSeparator();
  PopupMenuViewWillPlot = item("Vie&w Williams plot - calc", &TViewSelModForm::SpeedButtonViewWillPlotCalcClick);
  ViewWilliamsplotpred1 = item("V&iew Williams plot - pred", &TViewSelModForm::SpeedButtonViewWillPlotPredClick);
  ViewApplicabilitydomain1 = item("View &Applicability Domain", &TViewSelModForm::SpeedButtonApplDomainClick);
  PopupMenu->addSeparator();
  ViewLMOdatapoints1 = item("View &LMO data plot", &TViewSelModForm::SpeedButtonLMOClick);
  ViewYscrambling1 = item("View &Y scrambling plot", &TViewSelModForm::SpeedButtonYScrambleClick);
  ViewRx1 = item("View Random descriptor plot", &TViewSelModForm::SpeedButtonRandDescClick);
  ViewRanomresponseplot1 = item("View Rando&m response plot", &TViewSelModForm::SpeedButtonRandRespClick);
  PopupMenu->addSeparator();
  ViewPCAofthedescriptors1 = item("View &PCA of the descriptors", &TViewSelModForm::SpeedButtonPCAdescClick);
  Viewcorrelationmatrix1 = item("View correlation matri&x", &TViewSelModForm::SpeedButtonCorrMatrClick);
  N5 = PopupMenu->addSeparator();
  ViewQMRF1 = item("View &QMRF", &TViewSelModForm::SpeedButtonQMRFClick);
  ExportQMRFandSDF1 = item("Export QMRF and S&DF", &TViewSelModForm::SpeedButtonExportQMRFClick);
  for (QAction* a : {N5, ViewQMRF1, ExportQMRFandSDF1}) a->setVisible(false);
}

void TViewSelModForm::contextMenuEvent(QContextMenuEvent* event) { PopupMenu->popup(event->globalPos()); }

void TViewSelModForm::DisableMissingValidations() {
  const std::pair<InternalValidationKind, std::pair<QToolButton*, QAction*>> commands[] = {
      {InternalValidationKind::LeaveManyOut, {SpeedButtonLMO, ViewLMOdatapoints1}},
      {InternalValidationKind::YScramble, {SpeedButtonYScramble, ViewYscrambling1}},
      {InternalValidationKind::RandomDescriptors, {SpeedButtonRandDesc, ViewRx1}},
      {InternalValidationKind::RandomResponses, {SpeedButtonRandResp, ViewRanomresponseplot1}}};
  TempFiles* registry = MainForm != nullptr ? MainForm->Registry() : nullptr;
  for (const auto& [kind, command] : commands) {
    // The plot draws the model's record of the kind's file, which a new search
    // deletes while the model keeps its means, and which a later run of the model
    // may have left out of date.
    const bool present = analysis_->HasValidation(kind) && registry != nullptr &&
                         registry->HoldsCurrentRecord(ValidationFileTag(static_cast<int>(kind)),
                                                      model_->ipSelVarIdxPtr, model_->iSize);
    command.first->setEnabled(present);
    command.second->setEnabled(present);
  }
}

void TViewSelModForm::ShowQmrfCommandsWhenPresent(const std::string& fileName) {
  qmrfPdfPath_ = QmrfPdfPathOf(fileName);
  if (!FileExists(qmrfPdfPath_)) return;
  for (QWidget* w : {static_cast<QWidget*>(SpeedButtonQMRF), static_cast<QWidget*>(SpeedButtonExportQMRF),
                     static_cast<QWidget*>(BevelQMRF)})
    w->show();
  for (QAction* a : {N5, ViewQMRF1, ExportQMRFandSDF1}) a->setVisible(true);
}

void TViewSelModForm::ShowResults() {
  setWindowTitle(QString::fromLatin1(analysis_->Caption()));
  QStringList lines;
  for (const std::string& line : analysis_->TextLines()) lines << QString::fromLatin1(line);
  RichEdit->setPlainText(lines.join('\n'));
  FillGrid(*StringGridRegrPar, analysis_->ParamCells());
  FillGrid(*StringGrid, analysis_->ObjectCells());
}

long double TViewSelModForm::Threshold() const {
  long double value = 0.0L;
  return TryStrToFloat(ComboBoxStdRes->currentText().toStdString(), value) ? value : 0.0L;
}

void TViewSelModForm::ComboBoxStdResChange() { StringGrid->Invalidate(); }

void TViewSelModForm::StringGridDrawCell(int col, int row, CellLook& look) {
  if (row < 1) return;
  const uint32_t colour = analysis_->ObjectCellColour(col, row, Threshold());
  if (colour != kNoCellColour) look.fill = colour;
}

void TViewSelModForm::StringGridRegrParDrawCell(int col, int row, CellLook& look) {
  if (row < 1) return;
  const uint32_t colour = analysis_->ParamCellColour(col, row);
  if (colour != kNoCellColour) look.fill = colour;
}

// The caption prefix of a plot kind and, for the model plots, the rows it draws;
// the validation plots read their records themselves.
TViewSelModForm::ModelGraph TViewSelModForm::GraphOf(GraphKind kind) const {
  SingleModelAnalysis& a = *analysis_;
  switch (kind) {
    case GraphKind::ExpVsCalc: return {"Exp. endpoint vs Pred. by model eq.: ", a.ExpCalc()};
    case GraphKind::ExpVsPred: return {"Exp. endpoint vs Predicted by LOO: ", a.ExpPred()};
    case GraphKind::WilliamsCalc: return {"Williams plot - Pred. by model eq.: ", a.StdResCalc()};
    case GraphKind::WilliamsPred: return {"Williams plot - Predicted by LOO: ", a.StdResPred()};
    case GraphKind::YScramble: return {"Y-scramble: ", nullptr};
    case GraphKind::RandomDescriptors: return {"Random descriptors: ", nullptr};
    case GraphKind::RandomResponses: return {"Random responses: ", nullptr};
    case GraphKind::ApplicabilityDomain: return {"Tolvirna graph: ", a.Leverage()};
    case GraphKind::ResidualsCalc: return {"Residuals of Pred. by model eq.: ", a.ResCalc()};
    case GraphKind::ResidualsPred: return {"Residuals of Predicted by LOO: ", a.ResPred()};
    case GraphKind::LeaveManyOut: return {"LMO: ", nullptr};
    case GraphKind::VariableProfile:
    case GraphKind::ObjectProfile:
    case GraphKind::VariableDistribution:
    case GraphKind::VariablesScatter:
    case GraphKind::VariableFrequency:
    case GraphKind::AxesChoice:
    case GraphKind::PcaScores:
    case GraphKind::PcaLoadings:
    case GraphKind::ModelsScatter:
    case GraphKind::McdmRanking:
    case GraphKind::ResponseDistribution:
    case GraphKind::R2VsQ2:
      break;
  }
  return {"", nullptr};
}

void TViewSelModForm::ShowModelGraph(GraphKind kind) {
  // The plot window works on a list of its own holding a copy of the model.
  DataResultList list(data_);
  try {
    *list.Append() = *model_;
  } catch (...) {
    Warn("Cannot find any data model");
    return;
  }
  try {
    std::unique_ptr<TViewGraphForm> form;
    const ModelGraph graph = GraphOf(kind);
    if (graph.rows != nullptr)
      form = TViewGraphForm::CreateForModelValues(this, data_, &list, kind, graph.rows, model_->sName);
    else if (!graph.prefix.empty())
      form = TViewGraphForm::CreateForModelList(this, data_, &list, kind);
    if (!form) {
      Warn("Cannot create View Graph dialog");
      return;
    }
    form->setWindowTitle(QString::fromLatin1(graph.prefix + model_->sName));
    ShowModalWindow(*form);
  } catch (...) {
    ShowCaughtException("APPLICATION WARNING", "Unhandled ViewGraph exception");
  }
}

void TViewSelModForm::WarnAboutMissingResiduals(const std::string& names) {
  if (names.empty()) return;
  Ui().MessageBox(
      "The following objects will not be displayed because it was not possible to calculate the residuals.\n\n" +
          names,
      "APPLICATION WARNING", MB_OK | MB_ICONWARNING);
}

void TViewSelModForm::SpeedButtonViewWillPlotCalcClick() {
  WarnAboutMissingResiduals(analysis_->NoResidualCalcNames());
  ShowModelGraph(GraphKind::WilliamsCalc);
}

void TViewSelModForm::SpeedButtonViewWillPlotPredClick() {
  WarnAboutMissingResiduals(analysis_->NoResidualPredNames());
  ShowModelGraph(GraphKind::WilliamsPred);
}

void TViewSelModForm::SpeedButtonCorrMatrClick() {
  const int p = model_->iSize;
  if (p < 2) {
    Warn("Sorry, the application needs more than one descriptor.");
    return;
  }
  try {
    // Objects missing one of the model's descriptors are left out.
    std::vector<int> objects;
    for (int i = 0; i < data_->iObjCount; ++i) {
      bool complete = true;
      for (int j = 0; j < p; ++j) complete = complete && !data_->tpChemoValuePtr[i][model_->ipSelVarIdxPtr[j]].Missing;
      if (complete) objects.push_back(i);
    }
    Matrix x(static_cast<int>(objects.size()), p);
    for (int r = 0; r < x.Rows(); ++r)
      for (int j = 0; j < p; ++j) x.At(r, j) = data_->tpChemoValuePtr[objects[r]][model_->ipSelVarIdxPtr[j]].Value;
    Matrix correlation(p, p);
    correlation.Correlation(x);
    CheckedMatrix cells(p, p);
    for (int r = 0; r < p; ++r)
      for (int c = 0; c < p; ++c)
        cells.At(r, c) = IfFinite(correlation.At(std::max(r, c), std::min(r, c)));
    std::vector<std::string> labels(p);
    for (int j = 0; j < p; ++j) labels[j] = data_->tpVarNameStrPtr[model_->ipSelVarIdxPtr[j]];
    std::unique_ptr<TFormViewMatrix> form =
        TFormViewMatrix::CreateForRealMatrix(this, &cells, labels.data(), labels.data(), "", 1, 0, 1, 0);
    if (!form) {
      Warn("Cannot create View Matrix dialog");
      return;
    }
    form->setWindowTitle("View correlation matrix");
    ShowModalWindow(*form);
  } catch (...) {
    ShowCaughtException("APPLICATION WARNING", "Unhandled ViewGraph exception");
  }
}

void TViewSelModForm::SpeedButtonCopyClick() {
  BusyCursor busy;
  std::unique_ptr<Progress> progress = OpenProgress(progressWindow_, false);
  const std::string text = ModelCopyText(*analysis_, UserSeparator(), progress.get());
  progress->SetText("Sending...");
  Ui().SetClipboardText(text);
}

void TViewSelModForm::SpeedButtonSaveToFileClick() {
  saveDialog_.filter = "Text file (*.txt)|*.txt";
  if (offerSmdSave_) saveDialog_.filter += "|Single model (*.smd)|*smd";
  saveDialog_.defaultExt = "txt";
  const FileChoice choice = RunSaveDialog(saveDialog_);
  if (!choice.Chosen()) return;
  const bool modelFile = offerSmdSave_ && choice.filterIndex == 2;
  const std::string fileName = ModelReportFileName(choice.fileName, modelFile ? 2 : 1);
  if (FileExists(fileName) &&
      Ui().MessageBox(fileName + " already exists. Do you want to overwrite it?", "APPLICATION WARNING",
                      MB_YESNO | MB_ICONQUESTION) != IDYES)
    return;
  if (modelFile) {
    SaveSingleModelFile(fileName, *model_, *data_);
    return;
  }
  const std::string report = ModelReportText(*analysis_, UserSeparator());
  SafeWriteFile(fileName, [&](Stream& stream) { stream.Write(report.data(), report.size()); });
}

// ---- Descriptor PCA and QMRF documents -----------------------------------------

void TViewSelModForm::SpeedButtonPCAdescClick() {
  BusyCursor busy;
  RunGuarded(
      [this] {
        VariablePca pca;
        if (!ModelDescriptorPca(*data_, *model_, pca)) return;
        ShowPcaPlots(this, data_, pca, data_->ipTrainingPtr, data_->iResponseIndex, pcaLoadings_, pcaScores_);
        if (!scoreColumnsPending_) return;
        AppendScoreColumns(pca, analysis_->ObjectCells());
        StringGrid->SetColCount(static_cast<int>(analysis_->ObjectCells().front().size()));
        FillGrid(*StringGrid, analysis_->ObjectCells());
        scoreColumnsPending_ = 0;
      },
      "Unhandled ViewGraph exception");
}

void TViewSelModForm::ReleasePcaPlots() {
  for (ModelessPlot* plot : {&pcaLoadings_, &pcaScores_}) {
    try {
      plot->Release();
    } catch (...) {
      // A window that cannot be released is left to its owner's deletion.
    }
  }
}

TViewGraphForm* TViewSelModForm::PcaPlot(int which) const {
  return (which == 0 ? pcaLoadings_ : pcaScores_).window.data();
}

void TViewSelModForm::SpeedButtonQMRFClick() { OpenDocument(qmrfPdfPath_); }

void TViewSelModForm::SpeedButtonExportQMRFClick() { ExportQmrfAndSdf(qmrfPdfPath_, saveDialog_); }
