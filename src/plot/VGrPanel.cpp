// The plot window's control panel: the controls each plot kind shows, the limit
// and rank-class edits, and the label-layout bookkeeping.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTextEdit>
#include <QToolButton>

#include "data/ChemoData.h"
#include "numerics/Matrix.h"
#include "platform/base/CommandGuard.h"
#include "platform/base/NumberText.h"
#include "platform/base/UiServices.h"
#include "platform/qt/QtConvert.h"
#include "plot/VGrMain.h"

namespace {

constexpr int kRowTops[3] = {12, 40, 68};  // combo tops of the panel's three rows

const char* const kNoteCalculated =
    "Note: training data are calculated by the model equation. Prediction data (when present) are predicted by "
    "the model equation.";
const char* const kNoteLoo =
    "Note: training data are predicted by LOO cross-validation. Prediction data (when present) are predicted by "
    "the model equation.";
const char* const kNoteDomain =
    "Note: training data are calculated by the model equation. Prediction and unknown data (when present) are "
    "predicted by the model equation.";

void Hide(QLabel* label, QComboBox* combo) {
  label->hide();
  combo->hide();
}

// The edit's integer, or fallback when it holds none.
int IntOf(const QLineEdit* edit, int fallback) {
  int value = fallback;
  return TryStrToInt(StdStr(edit->text()), value) ? value : fallback;
}

}  // namespace

// The limit controls take the state a redraw settles on only at its end, and
// only where it changes: a redraw started by leaving an edit for another limit
// control must neither hide nor disable that control in the middle of the click.
void TViewGraphForm::PlanLimitControls(bool shown) {
  limitControlsShown_ = shown;
  limitEditsEnabled_.fill(false);
}

void TViewGraphForm::SettleLimitControls() {
  for (int i = 0; i < 4; ++i) {
    CheckBoxLimit[i]->setVisible(limitControlsShown_);
    EditLimit[i]->setVisible(limitControlsShown_);
    EditLimit[i]->setEnabled(limitEditsEnabled_[i]);
  }
}

void TViewGraphForm::FillCombo(QLabel* label, QComboBox* combo, const std::string& caption,
                               const std::vector<std::string>& items, int defaultIndex) {
  int remembered = combo->currentIndex();
  label->setText(QStr(caption));
  combo->clear();
  for (const std::string& item : items) combo->addItem(QStr(item));
  int wanted = remembered != -1 ? remembered : defaultIndex;
  combo->setCurrentIndex(wanted < combo->count() ? wanted : -1);
  label->show();
  combo->show();
}

void TViewGraphForm::PlaceLabelCombo(int row) {
  ComboBoxLabel->move(ComboBoxLabel->x(), kRowTops[row]);
  LabelLabel->move(LabelLabel->x(), kRowTops[row] + 4);
}

// "2", "3", ... up to the object count minus 1; "1" alone below two objects.
std::vector<std::string> TViewGraphForm::BarItems() const {
  if (data_->iObjCount < 2) return {"1"};
  std::vector<std::string> items;
  for (int i = 2; i < data_->iObjCount; ++i) items.push_back(IntToStr(i));
  return items;
}

std::vector<std::string> TViewGraphForm::VariableNames() const {
  return std::vector<std::string>(data_->tpVarNameStrPtr, data_->tpVarNameStrPtr + data_->iVarCount);
}

std::vector<std::string> TViewGraphForm::AxisNames() const {
  int cols = matrix_.values != nullptr ? matrix_.values->Cols() : 0;
  return std::vector<std::string>(matrix_.axisNames, matrix_.axisNames + cols);
}

std::vector<std::string> TViewGraphForm::MatrixLabelItems() const {
  std::vector<std::string> items = {"None", matrix_.firstLabelText, matrix_.secondLabelText};
  if (kind_ == GraphKind::ModelsScatter) items.push_back("Mod ID");
  if (kind_ == GraphKind::McdmRanking) items.push_back("ID");
  if (matrix_.singleLabel != 0) items.pop_back();
  return items;
}

void TViewGraphForm::ShowNote(const char* note) {
  RichEditParam->clear();
  RichEditParam->setPlainText(note);
  RichEditParam->show();
}

void TViewGraphForm::BuildKindControls() {
  const std::vector<std::string> stdDevs = {"2.0", "2.5", "3.0"};
  const std::vector<std::string> noneIdName = {"None", "ID", "Name"};
  auto modelControls = [&](const char* note) {
    PlaceLabelCombo(0);
    FillCombo(LabelLabel, ComboBoxLabel, "Label:", noneIdName, 0);
    PlanLimitControlsShown();
    CheckBoxCustomLabel->show();
    StaticTextHint->show();
    ShowNote(note);
  };
  auto labelControls = [&]() {
    CheckBoxCustomLabel->show();
    StaticTextHint->show();
    RichEditParam->hide();
  };
  auto scatterControls = [&]() {
    PlanLimitControlsShown();
    labelControls();
  };
  switch (kind_) {
    case GraphKind::VariableProfile:
    case GraphKind::ObjectProfile: {
      bool variable = kind_ == GraphKind::VariableProfile;
      std::vector<std::string> names =
          variable ? VariableNames()
                   : std::vector<std::string>(data_->tpObjNameStrPtr, data_->tpObjNameStrPtr + data_->iObjCount);
      FillCombo(LabelVar1, ComboBoxVar1, variable ? "Variable:" : "Object:", names, 0);
      Hide(LabelVar2, ComboBoxVar2);
      PlaceLabelCombo(1);
      FillCombo(LabelLabel, ComboBoxLabel, "Label:",
                variable ? noneIdName : std::vector<std::string>{"None", "Name"}, 1);
      RichEditParam->hide();
      break;
    }
    case GraphKind::VariableDistribution:
      FillCombo(LabelVar1, ComboBoxVar1, "Variable:", VariableNames(), 0);
      FillCombo(LabelVar2, ComboBoxVar2, "Bars:", BarItems(), data_->iObjCount / 10);
      PlaceLabelCombo(2);
      FillCombo(LabelLabel, ComboBoxLabel, "Label:", {"None", "Data"}, 1);
      break;
    case GraphKind::VariablesScatter:
      FillCombo(LabelVar1, ComboBoxVar1, "X variable:", VariableNames(), 0);
      FillCombo(LabelVar2, ComboBoxVar2, "Y variable:", VariableNames(), data_->iVarCount > 0 ? 1 : 0);
      PlaceLabelCombo(2);
      FillCombo(LabelLabel, ComboBoxLabel, "Label:", noneIdName, 2);
      labelControls();  // the data scatter plot has no forced limits
      break;
    case GraphKind::VariableFrequency: {
      std::vector<std::string> sizes = {"All"};
      for (int s = 1; s <= largestModelSize_; ++s) sizes.push_back(IntToStr(s));
      FillCombo(LabelVar1, ComboBoxVar1, "Model vars:", sizes, 0);
      Hide(LabelVar2, ComboBoxVar2);
      Hide(LabelLabel, ComboBoxLabel);
      RichEditParam->hide();
      break;
    }
    case GraphKind::ExpVsCalc:
    case GraphKind::ExpVsPred:
      Hide(LabelVar1, ComboBoxVar1);
      FillCombo(LabelVar2, ComboBoxVar2, "Std.Dev.:", stdDevs, 1);
      CheckBoxLabel2->show();
      CheckBoxLabel2->setEnabled(true);
      modelControls(kind_ == GraphKind::ExpVsCalc ? kNoteCalculated : kNoteLoo);
      break;
    case GraphKind::WilliamsCalc:
    case GraphKind::WilliamsPred:
      Hide(LabelVar1, ComboBoxVar1);
      FillCombo(LabelVar2, ComboBoxVar2, "Std.Dev.:", stdDevs, 1);
      modelControls(kind_ == GraphKind::WilliamsCalc ? kNoteCalculated : kNoteLoo);
      break;
    case GraphKind::ApplicabilityDomain:
    case GraphKind::ResidualsCalc:
    case GraphKind::ResidualsPred:
      Hide(LabelVar1, ComboBoxVar1);
      Hide(LabelVar2, ComboBoxVar2);
      modelControls(kind_ == GraphKind::ApplicabilityDomain ? kNoteDomain
                    : kind_ == GraphKind::ResidualsCalc     ? kNoteCalculated
                                                            : kNoteLoo);
      break;
    case GraphKind::YScramble:
    case GraphKind::RandomDescriptors:
    case GraphKind::RandomResponses:
    case GraphKind::LeaveManyOut:
      Hide(LabelVar1, ComboBoxVar1);
      Hide(LabelVar2, ComboBoxVar2);
      FillCombo(LabelLabel, ComboBoxLabel, "Label:", {"None", "Name label"}, 1);
      scatterControls();
      break;
    case GraphKind::AxesChoice:
    case GraphKind::PcaScores:
    case GraphKind::PcaLoadings:
    case GraphKind::ModelsScatter:
    case GraphKind::McdmRanking: {
      bool withIDs = kind_ == GraphKind::ModelsScatter || kind_ == GraphKind::McdmRanking;
      FillCombo(LabelVar1, ComboBoxVar1, "X axis:", AxisNames(), 0);
      FillCombo(LabelVar2, ComboBoxVar2, "Y axis:", AxisNames(), 1);
      PlaceLabelCombo(2);
      FillCombo(LabelLabel, ComboBoxLabel, "Label:", MatrixLabelItems(), withIDs ? 3 : 1);
      scatterControls();
      if (kind_ == GraphKind::McdmRanking) {
        PanelRange->move(PanelRange->x(), 336);
        const TColor colors[3] = {clRed, clYellow, clBlue};
        for (int i = 0; i < 3; ++i)
          EditRange[i]->setStyleSheet(QString("background-color: %1").arg(ToQColor(colors[i]).name()));
      }
      break;
    }
    case GraphKind::ResponseDistribution:
      Hide(LabelVar1, ComboBoxVar1);
      FillCombo(LabelVar2, ComboBoxVar2, "Bars:", BarItems(), givenRowCount_ >= 1 ? givenRowCount_ / 10 : 0);
      PlaceLabelCombo(2);
      FillCombo(LabelLabel, ComboBoxLabel, "Label:", {"None", "Data"}, 1);
      break;
    case GraphKind::R2VsQ2:
      Hide(LabelVar1, ComboBoxVar1);
      Hide(LabelVar2, ComboBoxVar2);
      PlaceLabelCombo(0);
      FillCombo(LabelLabel, ComboBoxLabel, "Label:", {"None", "Number of variables"}, 0);
      PlanLimitControlsShown();
      break;
  }
}

void TViewGraphForm::BuildVerticalPanel() {
  SpeedButtonLabelReset->setEnabled(true);
  PlanLimitControlsHidden();
  try {
    BuildKindControls();
  } catch (const Exception& e) {
    Ui().MessageBox(e.Message, "APPLICATION WARNING", MB_OK | MB_ICONWARNING);
    firstBuild_ = false;
    return;
  } catch (...) {
    throw VerticalPanelEx();
  }
  if (kind_ != GraphKind::VariableFrequency && ComboBoxLabel->currentIndex() == 0)
    SpeedButtonLabelReset->setEnabled(false);
  if (firstBuild_ && Traits().exports) {
    SpeedButtonSaveImage->setToolTip(SpeedButtonSaveImage->toolTip() + " - Export data");
    SavePictureFilter += "|Text (*.txt)|*.txt";
    if (kind_ == GraphKind::R2VsQ2) {
      EditLimit[0]->setText("0.9");
      CheckBoxLimit[0]->setChecked(true);
    }
  }
  firstBuild_ = false;
}

// A non-number is reported once and replaced by the kept bound, so that later
// redraws do not raise the same error again.
void TViewGraphForm::ApplyLimitEdit(int which, int key) {
  if (key != Qt::Key_Return || !plot_) return;
  long double bounds[4];
  plot_->GetRange(bounds[0], bounds[1], bounds[2], bounds[3]);
  long double kept = bounds[which];
  std::string text = StdStr(EditLimit[which]->text());
  if (!ReadTypedNumber(text, bounds[which])) {
    EditLimit[which]->setText(QStr(FloatToStr(kept)));
    return;
  }
  if (!Graph::IsDrawableRange(bounds[0], bounds[1], bounds[2], bounds[3])) {
    EditLimit[which]->clear();
    EditLimit[which]->setText(QStr(FloatToStr(kept)));
    return;
  }
  if (kind_ == GraphKind::ExpVsCalc || kind_ == GraphKind::ExpVsPred) {
    int partner = which ^ 2;  // X min <-> Y min, X max <-> Y max
    EditLimit[partner]->setText(EditLimit[which]->text());
    // A click on the unticked partner box meant to tick it: done here, so the
    // click must not untick it again.
    if (!CheckBoxLimit[partner]->isChecked() && arrivingClick_ == CheckBoxLimit[partner]) DropArrivingClick();
    CheckBoxLimit[partner]->setChecked(true);
  }
  FormResize();
}

int TViewGraphForm::RankCount() const { return matrix_.values != nullptr ? matrix_.values->Rows() : 0; }

void TViewGraphForm::SetupRankPanel() {
  if (matrix_.firstLabelTexts == nullptr || RankCount() == 0 || matrix_.firstLabelTexts[0] == "n.a.") return;
  int n = RankCount();
  PanelRange->show();
  EditRange[0]->setText(QStr(IntToStr(n / 3)));
  EditRange[1]->setText(QStr(IntToStr((n / 3) * 2)));
  EditRange[2]->setText(QStr(IntToStr(n)));
  EditRange[2]->setReadOnly(true);
  for (int i = 0; i < 3; ++i) rangeTexts_[i] = StdStr(EditRange[i]->text());
  UpdateRangeCaptions();
}

void TViewGraphForm::UpdateRangeCaptions() {
  int a = IntOf(EditRange[0], 0);
  int b = IntOf(EditRange[1], 0);
  int m = b + 1;
  if (m > RankCount()) m -= 1;
  StaticTextRange[0]->setText("From 1 to");
  StaticTextRange[1]->setText(QStr("From " + IntToStr(a + 1) + " to"));
  StaticTextRange[2]->setText(QStr("From " + IntToStr(m) + " to"));
}

void TViewGraphForm::ClassifyRanks() {
  int a = IntOf(EditRange[0], 0);
  int b = IntOf(EditRange[1], 0);
  rankClasses_.assign(static_cast<std::size_t>(RankCount()), 0);
  for (int i = 0; i < RankCount(); ++i) {
    int rank = 0;
    TryStrToInt(matrix_.firstLabelTexts[i], rank);
    if (a < rank) rankClasses_[i] = 1;
    if (b < rank) rankClasses_[i] = 2;
  }
}

void TViewGraphForm::RestoreRangeTexts() {
  for (int i = 0; i < 2; ++i) EditRange[i]->setText(QStr(rangeTexts_[i]));
  UpdateRangeCaptions();
}

// A bound that is not a whole number is refused like one out of range.
void TViewGraphForm::ApplyRangeEdit(int which, int key) {
  if (key == Qt::Key_Escape) {
    RestoreRangeTexts();
    return;
  }
  if (key != Qt::Key_Return) return;
  int n = RankCount();
  int a = 0;
  int b = 0;
  bool numbers = TryStrToInt(StdStr(EditRange[0]->text()), a) && TryStrToInt(StdStr(EditRange[1]->text()), b);
  if (numbers && a >= 1 && b > a && b < n) {
    rangeTexts_[0] = StdStr(EditRange[0]->text());
    rangeTexts_[1] = StdStr(EditRange[1]->text());
    ClassifyRanks();
    FormResize();
    UpdateRangeCaptions();
    return;
  }
  int keptA = IntOf(EditRange[0], 0);
  int keptB = IntOf(EditRange[1], 0);
  std::string range = which == 0 ? "1 to " + IntToStr(keptB - 1) + "." : IntToStr(keptA + 1) + " to " + IntToStr(n - 1) + ".";
  Ui().MessageBox("Sorry, " + StdStr(EditRange[which]->text()) + " is an invalid value. Allowed range is: " + range,
                  "APPLICATION ERROR", MB_OK | MB_ICONERROR);
  RestoreRangeTexts();
}

// The number of bars is read leniently: an empty "Bars:" choice counts as one bar.
int TViewGraphForm::ElementCount() const {
  switch (Traits().chart) {
    case PlotChart::ColumnBars:
      return tGraphData.ColCount;
    case PlotChart::Distribution:
    case PlotChart::FrequencyBars: {
      int bars = 1;
      TryStrToInt(tGraphData.YAxisName, bars);
      return bars;
    }
    case PlotChart::RowBars:
    case PlotChart::Scatter:
      break;
  }
  return tGraphData.RowCount;
}

void TViewGraphForm::ResetLabelLayout() {
  int n = std::min(ElementCount(), static_cast<int>(labels_.size()));
  for (int k = 0; k < n; ++k) {
    labels_[k].LabelLeft = labels_[k].LabelTop = labels_[k].LabelRight = labels_[k].LabelBottom = 0;
  }
  referenceWidth_ = canvas_->Width();
  referenceHeight_ = canvas_->Height();
  layoutReset_ = true;
}

void TViewGraphForm::ScaleLabelLayout(long double sx, long double sy) {
  int n = std::min({ElementCount(), static_cast<int>(labels_.size()), static_cast<int>(baseLabels_.size())});
  for (int k = 0; k < n; ++k) {
    const LabelPlotParam& base = baseLabels_[k];
    LabelPlotParam& current = labels_[k];
    current.LabelLeft = static_cast<int32_t>(std::trunc(base.LabelLeft * sx));
    current.LabelTop = static_cast<int32_t>(std::trunc(base.LabelTop * sy));
    current.LabelRight = current.LabelLeft + (base.LabelRight - base.LabelLeft);
    current.LabelBottom = current.LabelTop + (base.LabelBottom - base.LabelTop);
    // A box near the right or bottom edge would pass it in a smaller image.
    current.KeepInside(canvas_->Width(), canvas_->Height());
  }
}

void TViewGraphForm::FreePlotArrays() {
  plot_.reset();
  labels_.clear();
  baseLabels_.clear();
  elementGroups_.clear();
  customLabels_.clear();
  poolNames_.clear();
  frequency_.clear();
  frequencyRows_.clear();
  matrixRows_.clear();
  matrixRowPointers_.clear();
  uncertRows_.clear();
  uncertRowPointers_.clear();
  validationRows_.clear();
  validationRowPointers_.clear();
  hover_.clear();
  GraphData& d = tGraphData;
  d.tpLabelPlotParam = nullptr;
  d.LabelCount = 0;
  d.ElementNames = nullptr;
  d.ColumnNames = nullptr;
  d.ElementIDs = nullptr;
  d.tpGraphValue = nullptr;
  d.tpGraphUncert = nullptr;
  d.RowCount = 0;
  d.ColCount = 0;
  d.Axis.ElementGroup = nullptr;
  d.Axis.GroupColors = nullptr;
  d.Axis.LegendNames = nullptr;
  d.Axis.GroupCount = 0;
}
