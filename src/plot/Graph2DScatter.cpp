#include "plot/Graph2DScatter.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "numerics/Matrix.h"
#include "numerics/Statistics.h"
#include "numerics/Utils.h"
#include "platform/base/NumberText.h"

namespace {

constexpr TColor kDefaultPointColor = clAqua;
constexpr TColor kLegendColor = 0xE0FFFF;
constexpr int kLegendMargin = 15;  // the legend's box left of its names, with their symbols
constexpr int kSymbolRadius = 3;  // a symbol covers centre - 3 .. centre + 3
// A range taken from the data grows by this share of its span at each end, so
// that the extreme points do not sit on the frame.
constexpr long double kRangePadShare = 1.0L / 32;

// low .. high widened at both ends; a range of one value by a share of that
// value (at least of 1), so that its points get a scale. Unchanged when it is
// reversed or would overflow.
void PadRange(long double& low, long double& high) {
  const long double span = high - low;
  const long double pad = (span == 0 ? std::max(std::fabs(low), 1.0L) : span) * kRangePadShare;
  if (!Graph::IsDrawableSpan(pad) || !std::isfinite(low - pad) || !std::isfinite(high + pad)) return;
  low -= pad;
  high += pad;
}

}  // namespace

// The Y range grows to hold every drawn error bar whole.
void Graph2DScatter::IncludeErrorBars() {
  if (data_->tpGraphUncert == nullptr) return;
  for (int row = 0; row < data_->RowCount; ++row) {
    if (!BothPresent(row)) continue;
    const long double y = Cell(row, data_->YColumn).Value;
    const long double u = std::fabs(data_->tpGraphUncert[row][data_->YColumn].Value);
    if (!std::isfinite(y - u) || !std::isfinite(y + u)) continue;
    yMin_ = std::min(yMin_, y - u);
    yMax_ = std::max(yMax_, y + u);
  }
}

Graph2DScatter::Graph2DScatter(Canvas& image, GraphData* data, uint8_t singleLabels)
    : Graph(image, data), singleLabels_(singleLabels) {
  ComputeXRange();
  ComputeYRange();
  IncludeErrorBars();
  const AxisParams& axis = data_->Axis;
  PadRange(xMin_, xMax_);
  // The symmetric range runs to the next whole number beyond the data already.
  if (!axis.Symmetric) PadRange(yMin_, yMax_);
  if (axis.Symmetric) {
    const long double a = std::trunc(std::fabs(yMin_) + 1);
    const long double b = std::trunc(std::fabs(yMax_) + 1);
    const long double m = b >= a ? b : a;
    SetYRange(-m, m);
  }
  if (axis.SameRange) {
    const long double low = std::min(xMin_, yMin_);
    const long double high = std::max(xMax_, yMax_);
    SetRange(low, high, low, high);
  }
  if (axis.GroupRegression) FitGroupLine();
  DrawFrame();
}

void Graph2DScatter::FitGroupLine() {
  AxisParams& axis = data_->Axis;
  auto inGroup = [&](int row) { return GroupOf(row) == axis.RegressionGroup && BothPresent(row); };
  int count = 0;
  for (int row = 0; row < data_->RowCount; ++row)
    if (inGroup(row)) ++count;
  if (count >= 2) {
    Matrix points(count, 2);
    int r = 0;
    for (int row = 0; row < data_->RowCount; ++row) {
      if (!inGroup(row)) continue;
      points.At(r, 0) = Cell(row, data_->XColumn).Value;
      points.At(r, 1) = Cell(row, data_->YColumn).Value;
      ++r;
    }
    // The fit leaves its record unchanged when every X is the same: such a
    // group has no line, like a group of fewer than two points.
    LineCoefficients fit;
    fit.a = fit.b = std::numeric_limits<long double>::quiet_NaN();
    LineFit(points, fit);
    if (std::isfinite(fit.a) && std::isfinite(fit.b)) {
      intercept_ = fit.a;
      slope_ = fit.b;
      return;
    }
  }
  axis.GroupRegression = false;
}

bool Graph2DScatter::IsLabelShown(const GraphData* data, int element) const {
  if (singleLabels_ == 0) return true;
  const LabelPlotParam* label = data->GivenLabel(element);
  return label != nullptr && label->Shown;
}

int Graph2DScatter::PixelX(long double v) const {
  const long double span = xMax_ - xMin_;
  return IsDrawableSpan(span) ? boxLeft_ + PixelOffset((v - xMin_) * plotWidth_, span) : boxLeft_;
}

int Graph2DScatter::PixelY(long double v) const {
  const long double span = yMax_ - yMin_;
  return IsDrawableSpan(span) ? boxBottom_ - PixelOffset((v - yMin_) * plotHeight_, span) : boxBottom_;
}

bool Graph2DScatter::InPlotArea(int x, int y) const {
  return x >= boxLeft_ && x <= boxLeft_ + plotWidth_ && y >= boxBottom_ - plotHeight_ && y <= boxBottom_;
}

void Graph2DScatter::Redraw() {
  image_.pen = Pen();
  image_.brush = Brush();
  image_.FillRect(0, 0, image_.Width(), image_.Height());
  DrawFrame();
  DrawData();
}

void Graph2DScatter::DrawData() {
  BeginDrawing();
  legendLeft_ = legendRight_ = 0;
  SetAxisPen(PenStyle::Solid, clBlack);
  const AxisParams& axis = data_->Axis;
  const int left = boxLeft_;
  const int bottom = boxBottom_;
  if (axis.SameRange) {
    image_.MoveTo(left, bottom);
    image_.LineTo(left + plotWidth_, bottom - plotHeight_);
  }
  if (axis.HorizontalLines) DrawHorizontalLines();
  if (axis.Band) DrawBand();
  if (axis.VerticalLine) DrawVerticalLine();
  if (axis.ZeroLine) DrawZeroLine();
  if (axis.GroupRegression) DrawRegressionLine();
  if (axis.Legend) DrawLegend();

  std::unique_ptr<bool[]> inBox = MakeCheckedArray<bool>(data_->RowCount, "*bpInBoxPtr");
  for (int row = 0; row < data_->RowCount; ++row)
    if (BothPresent(row)) inBox[row] = DrawPoint(row);
  if (data_->LabelType != 0) DrawLabels(inBox.get());
}

void Graph2DScatter::DrawHorizontalLines() {
  const AxisParams& axis = data_->Axis;
  auto inRange = [&](long double v) { return v >= yMin_ && v <= yMax_; };
  if (!inRange(axis.FirstLineY) || !inRange(axis.SecondLineY)) return;
  const int right = axis.FullWidth ? boxLeft_ + plotWidth_ : std::min(PixelX(axis.LineEndX), boxLeft_ + plotWidth_);
  image_.pen.style = PenStyle::Dash;
  for (long double v : {axis.FirstLineY, axis.SecondLineY}) {
    const int y = PixelY(v);
    image_.MoveTo(boxLeft_, y);
    image_.LineTo(right, y);
  }
  image_.pen.style = PenStyle::Solid;
}

void Graph2DScatter::DrawBand() {
  const long double xSpan = xMax_ - xMin_;
  const long double ySpan = yMax_ - yMin_;
  if (!IsDrawableSpan(xSpan) || !IsDrawableSpan(ySpan)) return;  // no band on a flat axis
  const long double offset = data_->Axis.BandOffset;
  const int dy = std::abs(PixelOffset(offset * plotHeight_, ySpan));
  const int dx = std::abs(PixelOffset(offset * plotWidth_, xSpan));
  const int left = boxLeft_;
  const int right = boxLeft_ + plotWidth_;
  const int bottom = boxBottom_;
  const int top = boxBottom_ - plotHeight_;
  auto drawInside = [&](int x1, int y1, int x2, int y2) {
    if (!InPlotArea(x1, y1) || !InPlotArea(x2, y2)) return;
    image_.MoveTo(x1, y1);
    image_.LineTo(x2, y2);
  };
  image_.pen.style = PenStyle::Dash;
  drawInside(left, bottom - dy, right - dx, top);
  drawInside(left + dx, bottom, right, top + dy);
  image_.pen.style = PenStyle::Solid;
}

void Graph2DScatter::DrawVerticalLine() {
  const long double v = data_->Axis.VerticalLineX;
  if (v < xMin_ || v > xMax_) return;
  const int x = PixelX(v);
  image_.MoveTo(x, boxBottom_);
  image_.LineTo(x, boxBottom_ - plotHeight_);
}

void Graph2DScatter::DrawZeroLine() {
  if (yMin_ > 0 || yMax_ < 0) return;
  const int y = PixelY(0);
  image_.MoveTo(boxLeft_, y);
  image_.LineTo(boxLeft_ + plotWidth_, y);
}

void Graph2DScatter::DrawRegressionLine() {
  long double x1 = xMin_;
  long double x2 = xMax_;
  long double y1 = intercept_ + slope_ * x1;
  long double y2 = intercept_ + slope_ * x2;
  if (y1 < yMin_) {
    y1 = yMin_;
    if (slope_ != 0) x1 = (y1 - intercept_) / slope_;
  }
  if (y2 > yMax_) {
    y2 = yMax_;
    if (slope_ != 0) x2 = (y2 - intercept_) / slope_;
  }
  const int px1 = PixelX(x1);
  const int py1 = PixelY(y1);
  const int px2 = PixelX(x2);
  const int py2 = PixelY(y2);
  if (!InPlotArea(px1, py1) || !InPlotArea(px2, py2)) return;
  image_.pen.color = clBlue;
  image_.MoveTo(px1, py1);
  image_.LineTo(px2, py2);
  image_.pen.color = clBlack;
}

void Graph2DScatter::DrawLegend() {
  const AxisParams& axis = data_->Axis;
  if (axis.LegendNames == nullptr) return;
  // The names are cut to the room that keeps the legend's box inside the image.
  std::vector<std::string> names;
  int maxW = 0;
  int maxH = 0;
  for (int k = 0; k < axis.GroupCount; ++k) {
    names.push_back(ShortenedText(axis.LegendNames[k], boxLeft_ + plotWidth_ - kLegendMargin));
    maxW = std::max(maxW, image_.TextWidth(names[k]));
    maxH = std::max(maxH, image_.TextHeight(names[k]));
  }
  const int x0 = boxLeft_ + plotWidth_ - maxW;
  SetBrush(kLegendColor);
  legendLeft_ = x0 - kLegendMargin;
  legendRight_ = boxLeft_ + plotWidth_ + 4;
  legendBottom_ = maxH * axis.GroupCount + 8;
  image_.Rectangle(legendLeft_, 2, legendRight_, legendBottom_);
  for (int k = 0; k < axis.GroupCount; ++k) {
    const int top = maxH * k + 4;
    DrawWholeText({x0, top}, names[k]);
    const TColor kept = image_.brush.color;
    image_.brush.color = axis.GroupColors != nullptr ? axis.GroupColors[k] : kDefaultPointColor;
    const int cx = x0 - 8;
    const int cy = top + maxH / 2;
    image_.Ellipse(cx - kSymbolRadius, cy - kSymbolRadius, cx + kSymbolRadius + 1, cy + kSymbolRadius + 1);
    image_.brush.color = kept;
  }
}

std::string Graph2DScatter::LabelText(int row) const {
  switch (data_->LabelType) {
    case 1:
      return IntToStr(row + 1);
    case 2:
      return data_->ElementNames != nullptr ? data_->ElementNames[row] : std::string();
    case 3:
      return data_->ElementIDs != nullptr ? data_->ElementIDs[row] : std::string();
    default:
      return std::string();
  }
}

bool Graph2DScatter::DrawPoint(int row) {
  const AxisParams& axis = data_->Axis;
  const int x = PixelX(Cell(row, data_->XColumn).Value);
  const int y = PixelY(Cell(row, data_->YColumn).Value);
  const std::string text = LabelText(row);
  TColor color = kDefaultPointColor;
  bool drawable = true;
  if (axis.GroupCount > 0) {
    const int g = GroupOf(row);
    drawable = g >= 0 && g < axis.GroupCount;
    if (drawable && axis.GroupColors != nullptr) color = axis.GroupColors[g];
  }
  LabelPlotParam& label = LabelRecord(row);
  if (!text.empty() && drawable && !label.IsPlaced()) {
    PlaceLabel(label, x, y, text);
    KeepOffLegend(label, y);
  }
  SetBrush(color);
  if (!drawable || x < boxLeft_ || x > boxRight_ || y < boxTop_ || y > boxBottom_) return false;
  if (axis.OriginVectors) {
    image_.pen.color = clBlue;
    image_.MoveTo(PixelX(0), PixelY(0));
    image_.LineTo(x, y);
    image_.pen.color = clBlack;
  }
  if (!text.empty() && IsLabelShown(data_, row)) DrawLeader(label, x, y);
  if (data_->tpGraphUncert != nullptr) DrawErrorBar(row, x, y);
  const int l = x - kSymbolRadius;
  const int t = y - kSymbolRadius;
  const int r = x + kSymbolRadius + 1;
  const int b = y + kSymbolRadius + 1;
  image_.Ellipse(l, t, r, b);
  if (axis.KeepSymbolBoxes) {
    label.SymbolLeft = l;
    label.SymbolTop = t;
    label.SymbolRight = r;
    label.SymbolBottom = b;
  }
  return true;
}

void Graph2DScatter::KeepOffLegend(LabelPlotParam& label, int pointY) const {
  if (legendRight_ == legendLeft_ || label.LabelLeft >= legendRight_ || label.LabelRight <= legendLeft_ ||
      label.LabelTop >= legendBottom_)
    return;
  const int down = std::max(legendBottom_, pointY + kSymbolRadius + 1) + 1 - label.LabelTop;
  label.LabelTop += down;
  label.LabelBottom += down;
}

void Graph2DScatter::DrawErrorBar(int row, int x, int y) {
  const long double span = yMax_ - yMin_;
  if (!IsDrawableSpan(span)) return;  // a flat Y axis has no scale for the bar
  const long double u = data_->tpGraphUncert[row][data_->YColumn].Value;
  const int d = PixelOffset(u * plotHeight_, span);
  auto cap = [&](int at) {
    image_.MoveTo(x - 3, at);
    image_.LineTo(x + 4, at);
  };
  int topEnd = y - d;
  if (topEnd < boxBottom_ - plotHeight_)
    topEnd = boxBottom_ - plotHeight_;
  else
    cap(topEnd);
  int bottomEnd = y + d;
  if (bottomEnd > boxBottom_)
    bottomEnd = boxBottom_;
  else
    cap(bottomEnd);
  image_.MoveTo(x, topEnd);
  image_.LineTo(x, bottomEnd);
}

void Graph2DScatter::DrawLabels(const bool* inBox) {
  for (int row = 0; row < data_->RowCount; ++row) {
    if (!inBox[row]) continue;
    const std::string text = LabelText(row);
    if (!text.empty() && IsLabelShown(data_, row)) DrawLabelBox(LabelRecord(row), text);
  }
}
