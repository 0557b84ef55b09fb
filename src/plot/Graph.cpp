#include "plot/Graph.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "numerics/Utils.h"
#include "platform/base/NumberText.h"

namespace {

constexpr int kIntervals = 8;
constexpr int kLabelGap = 8;     // pixels between an axis and its labels
constexpr int kMajorTick = 8;    // length of a major tick
constexpr int kMinorTick = 4;    // length of a minor tick
constexpr int kMinorPerMajor = 10;
constexpr TColor kLabelColor = 0xC0FFFF;
constexpr int kLabelCorner = 16;
constexpr long double kPixelLimit = 1.0e9L;

// The nine minor ticks after a major tick at `from`, a tenth of `step` pixels
// apart in `direction` (+1 or -1); the pixels left over widen the first intervals.
std::array<int, kMinorPerMajor - 1> MinorTicks(int from, int step, int direction) {
  const int sub = direction * (step / kMinorPerMajor);
  int rest = step % kMinorPerMajor;
  std::array<int, kMinorPerMajor - 1> ticks{};
  int p = from + sub;
  for (int& tick : ticks) {
    tick = p;
    p += sub;
    if (rest > 0) {
      p += direction;
      --rest;
    }
  }
  return ticks;
}

// The value between two major ticks. A range whose span overflows (values near
// the extended-real limits) is divided before it is subtracted.
long double TickStep(long double low, long double high) {
  const long double step = (high - low) / kIntervals;
  return std::isfinite(step) ? step : high / kIntervals - low / kIntervals;
}

// Zero for an accumulated tick value that differs from zero only by rounding.
long double TickValue(long double v, long double step) { return std::fabs(v) < 1.0e-12L * step ? 0.0L : v; }

}  // namespace

Graph::Graph(Canvas& image, GraphData* data) : image_(image), data_(data) {
  const int w = image.Width();
  const int h = image.Height();
  boxLeft_ = w / 10 + 16;
  boxRight_ = w - w / 10 + 16;
  boxBottom_ = h - h / 10;
  boxTop_ = h / 10;
  plotWidth_ = boxRight_ - boxLeft_;
  plotHeight_ = boxBottom_ - boxTop_;
}

void Graph::DrawFrame() {
  DrawXAxis();
  DrawYAxis();
  DrawTitle();
}

bool Graph::BothPresent(int row) const {
  return !Cell(row, data_->XColumn).Missing && !Cell(row, data_->YColumn).Missing;
}

int Graph::GroupOf(int row) const {
  return data_->Axis.ElementGroup == nullptr ? 0 : data_->Axis.ElementGroup[row];
}

void Graph::ComputeRange(int column, const OptionalValue& extra, long double& low, long double& high) {
  if (data_->RowCount <= 0) {
    low = high = 0.0L;
  } else {
    bool seeded = false;
    for (int row = 0; row < data_->RowCount; ++row) {
      if (!BothPresent(row)) continue;
      long double v = Cell(row, column).Value;
      if (!seeded) {
        low = high = v;
        seeded = true;
      }
      if (low > v) low = v;
      if (!(high >= v)) high = v;
    }
  }
  if (extra.IsSet()) {
    long double e = extra.Value();
    if (!(high >= e)) high = e;
    if (low > e) low = e;
  }
}

void Graph::ComputeXRange() { ComputeRange(data_->XColumn, data_->Axis.ExtraX, xMin_, xMax_); }

void Graph::ComputeYRange() { ComputeRange(data_->YColumn, data_->Axis.ExtraY, yMin_, yMax_); }

void Graph::GetRange(long double& xMin, long double& xMax, long double& yMin, long double& yMax) const {
  xMin = xMin_;
  xMax = xMax_;
  yMin = yMin_;
  yMax = yMax_;
}

void Graph::SetRange(long double xMin, long double xMax, long double yMin, long double yMax) {
  xMin_ = xMin;
  xMax_ = xMax;
  SetYRange(yMin, yMax);
}

void Graph::SetYRange(long double yMin, long double yMax) {
  yMin_ = yMin;
  yMax_ = yMax;
}

bool Graph::IsDrawableSpan(long double span) { return span > 0 && std::isfinite(span); }

bool Graph::IsDrawableRange(long double xMin, long double xMax, long double yMin, long double yMax) {
  return IsDrawableSpan(xMax - xMin) && IsDrawableSpan(yMax - yMin);
}

void Graph::GetPlotArea(int& left, int& bottom, int& width, int& height) const {
  left = boxLeft_;
  bottom = boxBottom_;
  width = plotWidth_;
  height = plotHeight_;
}

int Graph::PixelOffset(long double numerator, long double denominator) {
  long double offset = std::trunc(numerator / denominator);
  if (std::isnan(offset)) return 0;
  if (offset > kPixelLimit) return static_cast<int>(kPixelLimit);
  if (offset < -kPixelLimit) return static_cast<int>(-kPixelLimit);
  return static_cast<int>(offset);
}

std::string Graph::AxisLabel(long double value) {
  const int threshold = 3;
  FloatFormat format;
  int precision;
  int digits;
  ChooseFloatFormat(&value, &threshold, &format, &precision, &digits);
  return FloatToStrF(value, format, precision, digits);
}

std::vector<std::string> Graph::TickLabels(long double low, long double high) {
  const long double valueStep = TickStep(low, high);
  std::vector<std::string> labels;
  long double v = low;
  for (int i = 0; i <= kIntervals; ++i) {
    labels.push_back(AxisLabel(TickValue(v, valueStep)));
    v += valueStep;
  }
  return labels;
}

LabelPlotParam& Graph::LabelRecord(int element) {
  if (LabelPlotParam* given = data_->GivenLabel(element)) return *given;
  if (static_cast<int>(ownLabels_.size()) <= element) ownLabels_.resize(element + 1);
  return ownLabels_[element];
}

void Graph::SetAxisPen(PenStyle style, TColor color) {
  image_.pen.style = style;
  image_.pen.color = color;
}

void Graph::BeginDrawing() {
  image_.pen.width = 1;
  image_.font.color = clBlack;
  image_.brush.style = BrushStyle::Clear;
}

void Graph::SetBrush(TColor color) {
  image_.brush.color = color;
  image_.brush.style = BrushStyle::Solid;
}

void Graph::DrawXTick(int x, const std::string& label) {
  SetAxisPen(PenStyle::Solid, clBlack);
  image_.TextOut(x - image_.TextWidth(label) / 2, boxBottom_ + kLabelGap, label);
  image_.MoveTo(x, boxBottom_ + 1);
  image_.LineTo(x, boxBottom_ + kMajorTick);
}

void Graph::DrawXAxis() {
  if (xMin_ > xMax_) throw GraphAxesParEx();
  BeginDrawing();
  const int left = boxLeft_;
  const int bottom = boxBottom_;
  const int step = (boxRight_ - boxLeft_) / kIntervals;
  const int span = kIntervals * step;
  const int last = left + span;
  plotWidth_ = span;
  const int gridTop = bottom - kIntervals * ((boxBottom_ - boxTop_) / kIntervals) - 1;
  auto drawGrid = [&](int x) {
    if (x <= left) return;
    SetAxisPen(PenStyle::Dot, clSilver);
    image_.MoveTo(x, bottom);
    image_.LineTo(x, gridTop);
  };
  if (!data_->Axis.IntegerXTicks) {
    const std::vector<std::string> labels = TickLabels(xMin_, xMax_);
    for (int i = 0; i <= kIntervals; ++i) {
      const int x = left + i * step;
      DrawXTick(x, labels[i]);
      if (x < last) {
        for (int p : MinorTicks(x, step, 1)) {
          image_.MoveTo(p, bottom + 1);
          image_.LineTo(p, bottom + kMinorTick);
        }
      }
      drawGrid(x);
    }
  } else {
    // One tick per whole number crossed, at the first pixel column within one
    // pixel's worth of it.
    const long double perPixel = span > 0 ? (xMax_ - xMin_) / span : 0.0L;
    bool armed = true;
    for (int x = left; x <= last; ++x) {
      const long double v = xMin_ + (x - left) * perPixel;
      const long double d = std::fabs(v - std::trunc(v));
      if (d > perPixel) armed = true;
      if (armed && d < perPixel) {
        armed = false;
        DrawXTick(x, FloatToStrF(v, FloatFormat::Fixed, 18, 0));
        drawGrid(x);
      }
    }
  }
  SetAxisPen(PenStyle::Solid, clBlack);
  image_.MoveTo(left, bottom);
  image_.LineTo(last + 1, bottom);
}

void Graph::DrawYAxis() {
  if (yMin_ > yMax_) throw GraphAxesParEx();
  BeginDrawing();
  const int left = boxLeft_;
  const int bottom = boxBottom_;
  const int step = (boxBottom_ - boxTop_) / kIntervals;
  const int topTick = bottom - kIntervals * step;
  plotHeight_ = kIntervals * step;
  const int xLast = left + kIntervals * ((boxRight_ - boxLeft_) / kIntervals);
  const std::vector<std::string> labels = TickLabels(yMin_, yMax_);
  for (int i = 0; i <= kIntervals; ++i) {
    const int y = bottom - i * step;
    SetAxisPen(PenStyle::Solid, clBlack);
    const std::string& label = labels[i];
    image_.TextOut(left - image_.TextWidth(label) - kLabelGap, y - image_.TextHeight(label) / 2, label);
    image_.MoveTo(left - 1, y);
    image_.LineTo(left - kMajorTick, y);
    if (y > topTick) {
      for (int p : MinorTicks(y, step, -1)) {
        image_.MoveTo(left - 1, p);
        image_.LineTo(left - kMinorTick, p);
      }
    }
    if (y < bottom) {
      SetAxisPen(PenStyle::Dot, clSilver);
      image_.MoveTo(left + 1, y);
      image_.LineTo(xLast, y);
    }
  }
  SetAxisPen(PenStyle::Solid, clBlack);
  image_.MoveTo(left, bottom);
  image_.LineTo(left, topTick - 1);
}

// The title over the box, the Y-axis name above its left end, the X-axis name
// under its right end and the caption under its left end, in blue. Two moves keep
// the texts apart: the title goes up to clear the Y-axis name when the two would
// meet, and a caption too long to share its line with the X-axis name goes below
// it (the X-axis name then rises to just under the tick labels).
void Graph::DrawTitle() {
  const int below = image_.Height() - boxBottom_;  // room under the box
  image_.font.color = clBlue;
  const std::string& xName = data_->XAxisName;
  const std::string& yName = data_->YAxisName;
  const std::string& caption = data_->Caption;
  const std::string title = xName + " vs. " + yName;
  const int yNameTop = boxTop_ - below / 2 + image_.TextHeight(yName) / 4;
  const int yNameRight = boxLeft_ + image_.TextWidth(yName);

  image_.font.bold = true;
  const int titleX = boxLeft_ + (boxRight_ - boxLeft_) / 2 - image_.TextWidth(title) / 2;
  const int titleHeight = image_.TextHeight(title);
  int titleY = boxTop_ / 2 - titleHeight / 2;
  if (!yName.empty() && titleX < yNameRight && titleY + titleHeight > yNameTop)
    titleY = std::max(0, yNameTop - titleHeight);
  image_.TextOut(titleX, titleY, title);
  const int captionRight = boxLeft_ + image_.TextWidth(caption);
  const int captionHeight = image_.TextHeight(caption);
  image_.font.bold = false;

  const int xNameX = boxRight_ - image_.TextWidth(xName);
  int xNameY = boxBottom_ + below / 2 + image_.TextHeight(xName) / 4;
  int captionY = boxBottom_ + below / 2 + captionHeight / 4;
  if (!caption.empty() && !xName.empty() && captionRight + kLabelGap > xNameX) {
    xNameY = boxBottom_ + kLabelGap + image_.TextHeight(AxisLabel(xMin_));
    captionY = xNameY + image_.TextHeight(xName);
  }
  image_.TextOut(xNameX, xNameY, xName);
  image_.TextOut(boxLeft_, yNameTop, yName);
  image_.font.bold = true;
  image_.TextOut(boxLeft_, captionY, caption);
  image_.font.bold = false;
}

void Graph::PlaceLabel(LabelPlotParam& label, int anchorX, int anchorY, const std::string& text) {
  if (label.IsPlaced()) return;
  const int halfWidth = image_.TextWidth(text) / 2;
  label.LabelLeft = anchorX - halfWidth - 8;
  label.LabelTop = anchorY - 18;
  label.LabelRight = anchorX + halfWidth + 8;
  label.LabelBottom = anchorY + image_.TextHeight(text) - 14;
  if (label.LabelLeft < 0) {
    label.LabelRight -= label.LabelLeft;
    label.LabelLeft = 0;
  }
  if (label.LabelTop < 0) {
    label.LabelBottom -= label.LabelTop;
    label.LabelTop = 0;
  }
  if (label.LabelRight >= image_.Width()) {
    label.LabelLeft -= label.LabelRight - image_.Width();
    label.LabelRight = image_.Width();
  }
  if (label.LabelBottom >= image_.Height()) {
    label.LabelTop -= label.LabelBottom - image_.Height();
    label.LabelBottom = image_.Height();
  }
}

void Graph::DrawLeader(const LabelPlotParam& label, int fromX, int fromY) {
  image_.MoveTo(fromX, fromY);
  image_.LineTo(label.LabelLeft + (label.LabelRight - label.LabelLeft) / 2,
                label.LabelTop + (label.LabelBottom - label.LabelTop) / 2);
}

void Graph::DrawLabelBox(const LabelPlotParam& label, const std::string& text) {
  SetBrush(kLabelColor);
  image_.RoundRect(label.LabelLeft, label.LabelTop, label.LabelRight, label.LabelBottom, kLabelCorner, kLabelCorner);
  image_.TextOut(label.LabelLeft + 8, label.LabelTop + 2, text);
}

void Graph::DrawAnchoredLabel(LabelPlotParam& label, int anchorX, int anchorY, const std::string& text) {
  PlaceLabel(label, anchorX, anchorY, text);
  DrawLeader(label, anchorX, anchorY);
  if (!text.empty()) DrawLabelBox(label, text);
}

void Graph::DrawColumnChartTitle(const std::string& title, const std::string& middleLine, const std::string& yText) {
  const int below = image_.Height() - boxBottom_;
  const int boxTop = boxBottom_ - plotHeight_;
  auto centredX = [&](const std::string& text) { return boxLeft_ + plotWidth_ / 2 - image_.TextWidth(text) / 2; };
  image_.font.color = clBlue;
  image_.font.bold = true;
  image_.TextOut(centredX(title), boxTop / 2 - image_.TextHeight(title) / 2, title);
  image_.font.bold = false;
  if (!middleLine.empty())
    image_.TextOut(centredX(middleLine), boxBottom_ + below / 2 - image_.TextHeight(middleLine) / 2, middleLine);
  image_.TextOut(boxLeft_ - image_.TextWidth(yText) / 2, boxTop - below / 2 + image_.TextHeight(yText) / 4, yText);
}

void Graph::DrawBaseLine() {
  SetAxisPen(PenStyle::Solid, clBlack);
  image_.MoveTo(boxLeft_, boxBottom_);
  image_.LineTo(boxLeft_ + plotWidth_ - 1, boxBottom_);
}
