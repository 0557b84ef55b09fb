#include "plot/Graph2DHist.h"

#include <algorithm>
#include <cmath>

#include "platform/base/NumberText.h"

Graph2DHist::Graph2DHist(Canvas& image, GraphData* data, uint8_t transposed, uint8_t zeroBase)
    : Graph2DHist(image, data, transposed, zeroBase, "Value", data->XAxisName) {}

Graph2DHist::Graph2DHist(Canvas& image, GraphData* data, uint8_t transposed, uint8_t zeroBase,
                         const std::string& yAxisText, const std::string& titleText)
    : Graph(image, data), transposed_(transposed), zeroBase_(zeroBase), yAxisText_(yAxisText), titleText_(titleText) {
  Build();
}

int Graph2DHist::ElementCount() const {
  if (transposed_ == 0) return std::max(data_->RowCount, 0);
  const bool rowExists = data_->XColumn >= 0 && data_->XColumn < data_->RowCount;
  return rowExists ? std::max(data_->ColCount, 0) : 0;
}

const CheckedValue& Graph2DHist::ElementCell(int element) const {
  return transposed_ == 0 ? Cell(element, data_->XColumn) : Cell(data_->XColumn, element);
}

void Graph2DHist::Build() {
  // No elements: the range 0..0, so that an empty chart still gets its frame.
  long double low = 0.0L;
  long double high = 0.0L;
  bool seeded = false;
  for (int e = 0; e < ElementCount(); ++e) {
    const CheckedValue& cell = ElementCell(e);
    if (cell.Missing) continue;
    if (!seeded) low = high = cell.Value;
    seeded = true;
    low = std::min(low, cell.Value);
    high = std::max(high, cell.Value);
  }
  if (zeroBase_ != 0) {
    if (low >= 0)
      low = 0;
    else
      high = 0;
  }
  SetYRange(low, high);
  MakeRoomForYAxis();
  Graph::DrawYAxis();
  DrawXAxis();
  DrawTitle();
}

void Graph2DHist::DrawXAxis() { DrawBaseLine(); }

void Graph2DHist::DrawTitle() { DrawColumnChartTitle(titleText_, std::string(), yAxisText_); }

std::string Graph2DHist::ElementLabel(int element) const {
  if (data_->LabelType == 1) return IntToStr(element + 1);
  const std::string* names = transposed_ == 0 ? data_->ElementNames : data_->ColumnNames;
  return names != nullptr ? names[element] : std::string();
}

void Graph2DHist::DrawData() {
  BeginDrawing();
  SetAxisPen(PenStyle::Solid, clBlack);
  const int n = ElementCount();
  if (n == 0) return;
  int bw = plotWidth_ / n;
  const int gap = static_cast<int>(std::trunc(bw * 0.05L));
  bw = std::max(bw, 3);
  const long double s = static_cast<long double>(plotWidth_ - 1) / n;
  const long double span = yMax_ - yMin_;
  // A value above the range (a zero base below negative data) has no bar.
  auto drawn = [&](int e) { return !ElementCell(e).Missing && ElementCell(e).Value <= yMax_; };
  auto barX = [&](int e) { return boxLeft_ + static_cast<int>(std::trunc(e * s)); };
  auto barTop = [&](int e) {
    return IsDrawableSpan(span) ? boxBottom_ - PixelOffset(plotHeight_ * (ElementCell(e).Value - yMin_), span) : boxBottom_;
  };
  for (int e = 0; e < n; ++e) {
    if (!drawn(e)) continue;
    SetBrush(clAqua);
    if (barTop(e) < boxBottom_) image_.Rectangle(barX(e) + gap, boxBottom_ + 1, barX(e) + bw - gap, barTop(e));
  }
  if (data_->LabelType == 0) return;
  for (int e = 0; e < n; ++e)
    if (drawn(e)) DrawAnchoredLabel(LabelRecord(e), barX(e) + bw / 2, barTop(e), ElementLabel(e));
}
