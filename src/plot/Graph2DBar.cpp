#include "plot/Graph2DBar.h"

#include <algorithm>
#include <cmath>

#include "numerics/Utils.h"
#include "platform/base/NumberText.h"

namespace {

constexpr int kMaxYIntervals = 10;

std::string BarText(long double value) { return FloatToStrF(value, FloatFormat::Fixed, 18, 2); }

}  // namespace

Graph2DBar::Graph2DBar(Canvas& image, GraphData* data) : Graph(image, data) {
  classCount_ = std::max(StrToInt(data->YAxisName), 1);
  barAreaHeight_ = plotHeight_;
  ipBarValue = MakeCheckedArray<int32_t>(classCount_, "*ipBarValue");
  tpLoValStr = MakeCheckedArray<std::string>(classCount_, "*tpLoValStr");
  tpHiValStr = MakeCheckedArray<std::string>(classCount_, "*tpHiValStr");
  CountClasses();
  largestCount_ = std::max(*std::max_element(ipBarValue.get(), ipBarValue.get() + classCount_), 1);
  MakeRoomForYLabels(CountLabels());
  DrawXAxis();
  DrawYAxis();
  DrawTitle();
}

void Graph2DBar::CountClasses() {
  const int col = data_->XColumn;
  bool seeded = false;
  for (int row = 0; row < data_->RowCount; ++row) {
    const CheckedValue& cell = Cell(row, col);
    if (cell.Missing) continue;
    if (!seeded) valueMin_ = valueMax_ = cell.Value;
    seeded = true;
    valueMin_ = std::min(valueMin_, cell.Value);
    valueMax_ = std::max(valueMax_, cell.Value);
  }
  const int n = classCount_;
  const long double width = (valueMax_ - valueMin_) / n;
  // The bounds read in two decimals, or in the digits that tell neighbours apart;
  // the last class ends at the maximum.
  std::vector<long double> bounds;
  for (int k = 0; k < n; ++k) bounds.push_back(valueMin_ + width * k);
  bounds.push_back(valueMax_);
  const std::vector<std::string> boundTexts = DistinctTexts(bounds, BarText);
  for (int k = 0; k < n; ++k) {
    const long double lower = valueMin_ + width * k;
    const long double upper = valueMin_ + width * (k + 1);
    tpLoValStr[k] = boundTexts[k];
    tpHiValStr[k] = boundTexts[k + 1];
    for (int row = 0; row < data_->RowCount; ++row) {
      const CheckedValue& cell = Cell(row, col);
      if (cell.Missing || cell.Value < lower) continue;
      // The last class is closed and takes the maximum even where rounding
      // leaves its computed upper bound a little below it.
      if (k == n - 1 || cell.Value < upper) ++ipBarValue[k];
    }
  }
}

void Graph2DBar::DrawXAxis() { DrawBaseLine(); }

int Graph2DBar::CountIntervals() const { return std::min(kMaxYIntervals, static_cast<int>(largestCount_)); }

std::vector<std::string> Graph2DBar::CountLabels() const {
  const int m = CountIntervals();
  std::vector<std::string> labels;
  long double v = 0.0L;
  for (int i = 0; i <= m; ++i) {
    labels.push_back(BarText(v));
    v += static_cast<long double>(largestCount_) / m;
  }
  return labels;
}

void Graph2DBar::DrawYAxis() {
  if (largestCount_ < 1) throw GraphAxesParEx();
  BeginDrawing();
  const int left = boxLeft_;
  const int bottom = boxBottom_;
  const int m = CountIntervals();
  const int step = barAreaHeight_ / m;
  const int topTick = bottom - step * m;
  barAreaHeight_ = step * m;
  const std::vector<std::string> labels = CountLabels();
  for (int i = 0; i <= m; ++i) {
    const int y = bottom - i * step;
    DrawYTick(y, labels[i]);
    if (y < bottom) {
      SetAxisPen(PenStyle::Dot, clSilver);
      image_.MoveTo(left + 1, y);
      image_.LineTo(left + plotWidth_ - 1, y);
    }
  }
  SetAxisPen(PenStyle::Solid, clBlack);
  image_.MoveTo(left, bottom);
  image_.LineTo(left, topTick - 1);
}

void Graph2DBar::DrawTitle() {
  DrawColumnChartTitle(data_->XAxisName, "Range: " + tpLoValStr[0] + " - " + tpHiValStr[classCount_ - 1],
                       "N\xB0 of compounds");
}

int Graph2DBar::ClassWidth() const { return plotWidth_ / classCount_; }

int Graph2DBar::ClassX(int k) const {
  const long double s = static_cast<long double>(plotWidth_ - 1) / classCount_;
  return boxLeft_ + static_cast<int>(std::trunc(k * s));
}

int Graph2DBar::ClassTop(int k) const {
  const long double pixelsPerCount = static_cast<long double>(barAreaHeight_) / largestCount_;
  return boxBottom_ - static_cast<int>(std::trunc(ipBarValue[k] * pixelsPerCount));
}

std::string Graph2DBar::ClassLabel(int k) const {
  // An empty data set has no share to show: 0.00 % without dividing by 0 rows.
  const long double share = data_->RowCount > 0 ? static_cast<long double>(ipBarValue[k]) / data_->RowCount * 100 : 0;
  return "[" + tpLoValStr[k] + ", " + tpHiValStr[k] + ") : " + BarText(share) + "%";
}

void Graph2DBar::DrawData() {
  BeginDrawing();
  SetAxisPen(PenStyle::Solid, clBlack);
  const int bw = ClassWidth();
  const int gap = static_cast<int>(std::trunc(bw * 0.05L));
  for (int k = 0; k < classCount_; ++k) {
    SetBrush(clAqua);
    if (ipBarValue[k] > 0) image_.Rectangle(ClassX(k) + gap, boxBottom_ + 1, ClassX(k) + bw - gap, ClassTop(k));
  }
  if (data_->LabelType == 0) return;
  // Every class has its label; labels that meet are the user's to drag apart.
  for (int k = 0; k < classCount_; ++k)
    DrawAnchoredLabel(LabelRecord(k), ClassX(k) + bw / 2, ClassTop(k), ClassLabel(k));
}
