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
  DrawXAxis();
  largestCount_ = std::max(*std::max_element(ipBarValue.get(), ipBarValue.get() + classCount_), 1);
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
  for (int k = 0; k < n; ++k) {
    const long double lower = valueMin_ + width * k;
    const long double upper = valueMin_ + width * (k + 1);
    tpLoValStr[k] = BarText(lower);
    tpHiValStr[k] = BarText(upper);
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

void Graph2DBar::DrawYAxis() {
  if (largestCount_ < 1) throw GraphAxesParEx();
  BeginDrawing();
  const int left = boxLeft_;
  const int bottom = boxBottom_;
  const int m = std::min(kMaxYIntervals, static_cast<int>(largestCount_));
  const int step = barAreaHeight_ / m;
  const int topTick = bottom - step * m;
  barAreaHeight_ = step * m;
  long double v = 0.0L;
  for (int i = 0; i <= m; ++i) {
    const int y = bottom - i * step;
    SetAxisPen(PenStyle::Solid, clBlack);
    const std::string label = BarText(v);
    image_.TextOut(left - image_.TextWidth(label) - 8, y - image_.TextHeight(label) / 2, label);
    v += static_cast<long double>(largestCount_) / m;
    image_.MoveTo(left - 1, y);
    image_.LineTo(left - 8, y);
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
  DrawColumnChartTitle(data_->XAxisName, "Range: " + BarText(valueMin_) + " - " + BarText(valueMax_),
                       "N\xB0 of compounds");
}

void Graph2DBar::DrawData() {
  BeginDrawing();
  SetAxisPen(PenStyle::Solid, clBlack);
  const int n = classCount_;
  const int bw = plotWidth_ / n;
  const int gap = static_cast<int>(std::trunc(bw * 0.05L));
  const long double s = static_cast<long double>(plotWidth_ - 1) / n;
  const long double pixelsPerCount = static_cast<long double>(barAreaHeight_) / largestCount_;
  auto classX = [&](int k) { return boxLeft_ + static_cast<int>(std::trunc(k * s)); };
  auto classTop = [&](int k) { return boxBottom_ - static_cast<int>(std::trunc(ipBarValue[k] * pixelsPerCount)); };
  for (int k = 0; k < n; ++k) {
    SetBrush(clAqua);
    if (ipBarValue[k] > 0) image_.Rectangle(classX(k) + gap, boxBottom_ + 1, classX(k) + bw - gap, classTop(k));
  }
  if (data_->LabelType == 0) return;
  for (int k = 0; k < n; ++k) {
    // An empty data set has no share to show: 0.00 % without dividing by 0 rows.
    const long double share = data_->RowCount > 0 ? static_cast<long double>(ipBarValue[k]) / data_->RowCount * 100 : 0;
    const std::string text = "[" + tpLoValStr[k] + ", " + tpHiValStr[k] + ") : " + BarText(share) + "%";
    DrawAnchoredLabel(LabelRecord(k), classX(k) + bw / 2, classTop(k), text);
  }
}
