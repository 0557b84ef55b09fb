// The plot builder: every picture of the plot window is drawn afresh here, from
// the panel's choices and the data the window was opened with.
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <cmath>

#include "data/ChemoData.h"
#include "data/DataResult.h"
#include "data/ProjectHost.h"
#include "data/TempFiles.h"
#include "numerics/Matrix.h"
#include "platform/base/CommandGuard.h"
#include "platform/base/NumberText.h"
#include "platform/base/UiServices.h"
#include "platform/qt/QtConvert.h"
#include "platform/qt/RecordingCanvas.h"
#include "plot/Graph2DBar.h"
#include "plot/Graph2DHist.h"
#include "plot/Graph2DScatter.h"
#include "plot/ModelPlotFill.h"
#include "plot/ValidationPlotFill.h"
#include "plot/VGrMain.h"

void TViewGraphForm::ResetPicture() {
  if (auto* recording = dynamic_cast<RecordingCanvas*>(canvas_.get())) recording->ClearCalls();
  picture_ = QImage(std::max(1, Image->width()), std::max(1, Image->height()), QImage::Format_RGB32);
  picture_.fill(Qt::white);
  Image->update();
}

// Grows the current and base label layouts to at least count elements.
void TViewGraphForm::EnsureLabelCapacity(int count) {
  if (static_cast<int>(labels_.size()) < count) labels_.resize(static_cast<std::size_t>(count));
  if (static_cast<int>(baseLabels_.size()) < count) baseLabels_.resize(static_cast<std::size_t>(count));
  tGraphData.SetLabels(labels_);
}

// The custom label texts go, and no pointer of the plot data is left on them.
void TViewGraphForm::FreeCustomLabels() {
  if (!customLabels_.empty() && tGraphData.ElementNames == customLabels_.data()) tGraphData.ElementNames = nullptr;
  customLabels_.clear();
}

void TViewGraphForm::FormResize() {
  if (closing_ || Result() == mrCancel || !setupDone_ || inRedraw_) return;
  inRedraw_ = true;
  try {
    RedrawSteps();
  } catch (const GraphAxesParEx& e) {
    Ui().MessageBox(e.Message, "Exception Message", MB_OK | MB_ICONERROR);
  } catch (const VerticalPanelEx& e) {
    Ui().MessageBox(e.Message, "Exception Message", MB_OK | MB_ICONERROR);
  } catch (const Exception& e) {
    Ui().MessageBox(e.Message, "APPLICATION WARNING", MB_OK | MB_ICONWARNING);
  } catch (...) {
    Ui().MessageBox("Unhandled graphic exception", "Exception Message", MB_OK);
  }
  inRedraw_ = false;
  SettleLimitControls();
  Image->update();
}

void TViewGraphForm::RedrawSteps() {
  FreeCustomLabels();
  ResetPicture();
  if (picture_.isNull()) {
    Ui().MessageBox("Cannot allocate Bitmap - no resize", "APPLICATION WARNING", MB_OK | MB_ICONWARNING);
    return;
  }
  const int width = canvas_->Width();
  const int height = canvas_->Height();
  if (width < 16 || height < 16) return;
  long double sx = referenceWidth_ > 0 ? static_cast<long double>(width) / referenceWidth_ : 1.0L;
  long double sy = referenceHeight_ > 0 ? static_cast<long double>(height) / referenceHeight_ : 1.0L;
  const PlotFamily family = Traits().family;
  if (family != PlotFamily::Validation && !layoutReset_) ScaleLabelLayout(sx, sy);
  BuildVerticalPanel();

  bool filled = false;
  {
    std::unique_ptr<BusyCursor> busy;
    if (Traits().slow) busy = std::make_unique<BusyCursor>();
    filled = FillFamilyData(family, sx, sy);
  }
  if (family == PlotFamily::Validation && !layoutReset_) ScaleLabelLayout(sx, sy);
  ReadPanel();
  DrawPlot(filled);

  if (layoutReset_) {
    int n = std::min({ElementCount(), static_cast<int>(labels_.size()), static_cast<int>(baseLabels_.size())});
    for (int k = 0; k < n; ++k) {
      baseLabels_[k].LabelLeft = labels_[k].LabelLeft;
      baseLabels_[k].LabelTop = labels_[k].LabelTop;
      baseLabels_[k].LabelRight = labels_[k].LabelRight;
      baseLabels_[k].LabelBottom = labels_[k].LabelBottom;
    }
    layoutReset_ = false;
  }
}

// Reports whether a model or validation builder filled the plot data.
bool TViewGraphForm::FillFamilyData(PlotFamily family, long double sx, long double sy) {
  switch (family) {
    case PlotFamily::DataSet: FillDataPlot(); return false;
    case PlotFamily::Frequency: FillFrequencyPlot(); return false;
    case PlotFamily::Model: return FillModelPlot();
    case PlotFamily::Validation: return FillValidationPlot();
    case PlotFamily::Matrix: FillMatrixPlot(); return false;
    case PlotFamily::Uncertainty: FillR2Q2Plot(sx, sy); return false;
  }
  return false;
}

// The model family: the given rows of the list's last model.
bool TViewGraphForm::FillModelPlot() {
  if (givenRows_ == nullptr || models_ == nullptr || models_->Last() == nullptr) return false;
  long double k = 0.0L;
  const bool kRead = !ComboBoxVar2->isHidden() && TryStrToFloat(StdStr(ComboBoxVar2->currentText()), k);
  const ModelPlotInput input{kind_,
                             data_,
                             givenRows_,
                             models_->Last()->ldHstar,
                             kRead ? std::optional<long double>(k) : std::nullopt,
                             !CheckBoxLabel2->isHidden() && CheckBoxLabel2->isChecked()};
  const int predictionCount =
      FillModelPlotData(input, tGraphData, {elementGroups_, colors_.data(), legendNames_.data()});
  const bool expKind = kind_ == GraphKind::ExpVsCalc || kind_ == GraphKind::ExpVsPred;
  CheckBoxVieRegr->setHidden(!expKind || predictionCount < 2);
  tGraphData.Axis.GroupRegression = !CheckBoxVieRegr->isHidden() && CheckBoxVieRegr->isChecked();
  return true;
}

// The validation family: the record of the list's last model in
// the kind's temporary validation file, read afresh at each redraw.
bool TViewGraphForm::FillValidationPlot() {
  const DataResultNode* model = models_ != nullptr ? models_->Last() : nullptr;
  if (model == nullptr) return false;
  TempFiles* registry = MainForm != nullptr ? MainForm->Registry() : nullptr;
  const std::string path =
      registry != nullptr ? registry->FindTempFilePath(ValidationPlotFileName(kind_), TempFiles::DbExtensionIndex())
                          : std::string();
  ValidationRecord record;
  if (!LoadValidationPlotRecord(path, model->ipSelVarIdxPtr, model->iSize, record, !validationFailureShown_)) {
    validationFailureShown_ = true;
    return false;
  }
  validationFailureShown_ = false;
  FillValidationPlotData(kind_, record, {model->cvKxy, model->cvR2, model->cvQ2loo}, tGraphData,
                         {validationRows_, validationRowPointers_, customLabels_, elementGroups_, colors_.data(),
                          legendNames_.data()});
  // Only layouts allocated now get their flags (the model points shown): a label
  // toggled by double click keeps its state over the redraws.
  const int rows = tGraphData.RowCount;
  const bool firstNeed = static_cast<int>(labels_.size()) < rows;
  EnsureLabelCapacity(rows);
  if (firstNeed)
    for (int r = rows - ValidationModelPointCount(kind_); r < rows; ++r) labels_[r].Shown = true;
  return true;
}

void TViewGraphForm::FillDataPlot() {
  GraphData& d = tGraphData;
  d.ColumnNames = data_->tpVarNameStrPtr;
  d.ElementNames = data_->tpObjNameStrPtr;
  d.ElementIDs = nullptr;
  if (kind_ == GraphKind::ResponseDistribution) {
    d.RowCount = givenRowCount_;
    d.ColCount = 2;
    d.XColumn = 0;
    d.tpGraphValue = givenRows_;
    return;
  }
  d.RowCount = data_->iObjCount;
  d.ColCount = data_->iVarCount;
  d.tpGraphValue = data_->tpChemoValuePtr;
}

void TViewGraphForm::FillFrequencyPlot() {
  GraphData& d = tGraphData;
  d.RowCount = largestModelSize_ + 1;
  d.ColCount = data_->iSelectedVarCount;
  d.ColumnNames = poolNames_.empty() ? nullptr : poolNames_.data();
  d.tpGraphValue = frequencyRows_.data();
  d.ElementNames = nullptr;
  d.ElementIDs = nullptr;
}

// The matrix plots are filled on the first redraw only; later redraws change
// only the axes and labels chosen in the panel.
void TViewGraphForm::FillMatrixPlot() {
  GraphData& d = tGraphData;
  if (d.tpGraphValue != nullptr || matrix_.values == nullptr) return;
  const Matrix& m = *matrix_.values;
  d.RowCount = m.Rows();
  d.ColCount = m.Cols();
  d.ColumnNames = matrix_.axisNames;
  d.ElementNames = matrix_.elementNames;
  if (kind_ == GraphKind::ModelsScatter || kind_ == GraphKind::McdmRanking) d.ElementIDs = matrix_.elementIDs;
  EnsureLabelCapacity(d.RowCount);
  matrixRows_.assign(m.Rows(), std::vector<CheckedValue>(m.Cols()));
  for (int r = 0; r < m.Rows(); ++r) {
    for (int c = 0; c < m.Cols(); ++c) matrixRows_[r][c] = CheckedValue(m.At(r, c), false);
    matrixRowPointers_.push_back(matrixRows_[r].data());
  }
  d.tpGraphValue = matrixRowPointers_.data();

  if (kind_ == GraphKind::McdmRanking && PanelRange->isVisibleTo(this)) {
    ClassifyRanks();
    colors_[0] = clRed;
    colors_[1] = clYellow;
    colors_[2] = clBlue;
    d.Axis.ElementGroup = rankClasses_.data();
    d.Axis.GroupCount = 3;
    d.Axis.GroupColors = colors_.data();
  }
  if (kind_ == GraphKind::PcaLoadings) {
    d.Axis.OriginVectors = true;
    d.Axis.ExtraX.Set(0.0L);
    d.Axis.ExtraY.Set(0.0L);
  }
  if (kind_ == GraphKind::PcaScores) ClassifyScoreElements();
}

// Training objects yellow, prediction objects blue, objects without a response
// red; the legend lists only the groups present.
void TViewGraphForm::ClassifyScoreElements() {
  GraphData& d = tGraphData;
  elementGroups_.assign(static_cast<std::size_t>(d.RowCount), 0);
  bool anyPrediction = false;
  bool anyUnknown = false;
  const bool mapped = matrix_.elementObjects != nullptr && matrix_.elementStatus != nullptr;
  const int32_t response = mapped ? matrix_.elementResponse : data_->iResponseIndex;
  for (int i = 0; i < d.RowCount && (mapped || i < data_->iObjCount); ++i) {
    const int32_t obj = mapped ? matrix_.elementObjects[i] : i;
    const int32_t status = mapped ? matrix_.elementStatus[i] : data_->ipTrainingPtr[obj];
    if (status == kStatusPrediction) elementGroups_[i] = 1;
    if (response >= 0 && data_->tpChemoValuePtr[obj][response].Missing) elementGroups_[i] = 2;
    anyPrediction = anyPrediction || elementGroups_[i] == 1;
    anyUnknown = anyUnknown || elementGroups_[i] == 2;
  }
  legendNames_[0] = "Training";
  legendNames_[1] = "Prediction";
  legendNames_[2] = "Unknown";
  colors_[0] = clYellow;
  colors_[1] = clBlue;
  colors_[2] = clRed;
  int groups = 1 + (anyPrediction ? 1 : 0) + (anyUnknown ? 1 : 0);
  if (anyUnknown && groups == 2) {
    legendNames_[1] = "Unknown";
    colors_[1] = clRed;
    for (int32_t& g : elementGroups_)
      if (g == 2) g = 1;
  }
  d.Axis.GroupCount = groups;
  d.Axis.Legend = true;
  d.Axis.LegendNames = legendNames_.data();
  d.Axis.GroupColors = colors_.data();
  d.Axis.ElementGroup = elementGroups_.data();
}

// The given rows hold n average-R2 points, n average-Q2 points, then their 2n
// standard deviations.
void TViewGraphForm::FillR2Q2Plot(long double sx, long double sy) {
  GraphData& d = tGraphData;
  const int rows = givenRowCount_;
  const int n = rows / 2;
  d.RowCount = rows;
  d.ColCount = 2;
  d.XColumn = 0;
  d.YColumn = 1;
  d.tpGraphValue = givenRows_;
  if (uncertRows_.empty()) {
    uncertRows_.assign(rows, std::vector<CheckedValue>(2));
    for (int i = 0; i < rows; ++i) {
      uncertRows_[i][0] = givenRows_[rows + i][0];
      uncertRows_[i][1] = givenRows_[rows + i][1];
      uncertRowPointers_.push_back(uncertRows_[i].data());
    }
  }
  d.tpGraphUncert = uncertRowPointers_.empty() ? nullptr : uncertRowPointers_.data();
  d.XAxisName = "Number of variables";
  d.YAxisName = "R2 and Q2";
  legendNames_[0] = "Average R2";
  legendNames_[1] = "Average Q2";
  colors_[0] = clBlue;
  colors_[1] = clRed;
  d.Axis.Legend = true;
  d.Axis.GroupCount = 2;
  d.Axis.LegendNames = legendNames_.data();
  d.Axis.GroupColors = colors_.data();
  EnsureLabelCapacity(rows);
  customLabels_.assign(static_cast<std::size_t>(rows), std::string());
  elementGroups_.assign(static_cast<std::size_t>(rows), 0);
  for (int i = 0; i < n; ++i) {
    elementGroups_[n + i] = 1;
    customLabels_[i] = customLabels_[n + i] = IntToStr(i + 1);
  }
  d.Axis.ElementGroup = elementGroups_.data();
  d.ElementNames = customLabels_.empty() ? nullptr : customLabels_.data();
  d.Axis.IntegerXTicks = true;
  if (!layoutReset_) ScaleLabelLayout(sx, sy);
}

void TViewGraphForm::ReadPanel() {
  GraphData& d = tGraphData;
  if (!ComboBoxVar1->isHidden() && ComboBoxVar1->currentIndex() >= 0) {
    d.XAxisName = StdStr(ComboBoxVar1->currentText());
    d.XColumn = ComboBoxVar1->currentIndex();
    if (kind_ == GraphKind::VariableFrequency) {
      d.YAxisName = IntToStr(data_->iSelectedVarCount);
      d.YColumn = data_->iSelectedVarCount;
    }
  }
  bool barKind = kind_ == GraphKind::VariableDistribution || kind_ == GraphKind::ResponseDistribution;
  const PlotFamily family = Traits().family;
  // The model family's second list is the "Std.Dev.:" choice, not an axis.
  if (!ComboBoxVar2->isHidden() && family != PlotFamily::Model) {
    if (ComboBoxVar2->currentIndex() >= 0) {
      d.YAxisName = StdStr(ComboBoxVar2->currentText());
      d.YColumn = ComboBoxVar2->currentIndex();
    } else if (barKind) {
      d.YAxisName = "1";  // an empty "Bars:" list draws one bar
    }
  }
  if (ComboBoxLabel->isHidden()) {
    if (kind_ == GraphKind::VariableFrequency) d.LabelType = 2;
    return;
  }
  int index = ComboBoxLabel->currentIndex();
  if (index >= 0) d.LabelType = static_cast<uint8_t>(index);
  const bool namesOnly = family == PlotFamily::Validation || family == PlotFamily::Uncertainty ||
                         kind_ == GraphKind::ObjectProfile;
  if (namesOnly && index > 0) d.LabelType = 2;
  if (family == PlotFamily::Matrix && index >= 0) {
    d.LabelType = index == 0 ? 0 : index == 3 ? 3 : 2;
    d.ElementNames = index == 1 ? matrix_.firstLabelTexts : matrix_.elementNames;
  }
}

void TViewGraphForm::DrawPlot(bool filled) {
  GraphData* d = &tGraphData;
  EnsureLabelCapacity(std::max({d->RowCount, d->ColCount, ElementCount()}));
  std::unique_ptr<Graph> chart;
  switch (Traits().chart) {
    case PlotChart::RowBars:
      chart = std::make_unique<Graph2DHist>(*canvas_, d, 0, 0);
      break;
    case PlotChart::ColumnBars:
      chart = std::make_unique<Graph2DHist>(*canvas_, d, 1, 0);
      break;
    case PlotChart::Distribution:
      chart = std::make_unique<Graph2DBar>(*canvas_, d);
      break;
    case PlotChart::FrequencyBars:
      chart = std::make_unique<Graph2DHist>(*canvas_, d, 1, 1, "Rel. freq.",
                                            "Selected models variables: " + d->XAxisName);
      break;
    case PlotChart::Scatter:
      if (Traits().scatter || filled) DrawScatter();
      return;
  }
  chart->DrawData();
}

// A checked limit whose text is not a number is reported once and replaced by
// the bound in use.
void TViewGraphForm::DrawScatter() {
  plot_.reset();
  auto scatter = std::make_unique<Graph2DScatter>(*canvas_, &tGraphData, CheckBoxCustomLabel->isChecked() ? 1 : 0);
  Graph2DScatter* plot = scatter.get();
  plot_ = std::move(scatter);
  long double bounds[4];
  plot->GetRange(bounds[0], bounds[1], bounds[2], bounds[3]);
  for (int i = 0; i < 4; ++i) {
    if (!CheckBoxLimit[i]->isChecked()) continue;
    ReadTypedNumber(StdStr(EditLimit[i]->text()), bounds[i]);
    limitEditsEnabled_[i] = true;
  }
  if (Graph::IsDrawableRange(bounds[0], bounds[1], bounds[2], bounds[3])) {
    plot->SetRange(bounds[0], bounds[1], bounds[2], bounds[3]);
    plot->Redraw();
  }
  for (int i = 0; i < 4; ++i) {
    EditLimit[i]->setText(QStr(FloatToStr(bounds[i])));
    EditLimit[i]->setCursorPosition(0);
  }
}
