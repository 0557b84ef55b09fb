#include "plot/Graph.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

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
constexpr int kMaxPrecision = 18;  // significant digits a label can show

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

// The values of the nine major ticks of low .. high, from low up.
std::vector<long double> TickValues(long double low, long double high) {
  const long double step = TickStep(low, high);
  std::vector<long double> values;
  long double v = low;
  for (int i = 0; i <= kIntervals; ++i) {
    values.push_back(TickValue(v, step));
    v += step;
  }
  return values;
}

// A major tick label: fixed with 3 decimals, exponent notation outside the thousandths .. thousands.
std::string AxisText(long double value) {
  const int threshold = 3;
  FloatFormat format;
  int precision;
  int digits;
  ChooseFloatFormat(&value, &threshold, &format, &precision, &digits);
  return FloatToStrF(value, format, precision, digits);
}

bool NeighboursDiffer(const std::vector<std::string>& texts) {
  return std::adjacent_find(texts.begin(), texts.end()) == texts.end();
}

}  // namespace

std::vector<std::string> Graph::DistinctTexts(const std::vector<long double>& values, ValueText text) {
  std::vector<std::string> texts;
  for (long double v : values) texts.push_back(text(v));
  if (NeighboursDiffer(texts)) return texts;
  for (int precision = 1; precision <= kMaxPrecision; ++precision) {
    std::vector<std::string> general;
    for (long double v : values) general.push_back(FloatToStrF(v, FloatFormat::General, precision, 0));
    if (NeighboursDiffer(general)) return general;
  }
  return texts;
}

Graph::Graph(Canvas& image, GraphData* data) : image_(image), data_(data) {
  const int w = image.Width();
  const int h = image.Height();
  boxLeft_ = w / 10 + 16;
  boxRight_ = w - w / 10 + 16;
  boxBottom_ = h - h / 10;
  boxTop_ = h / 10;
  baseBox_ = {boxLeft_, boxTop_, boxRight_, boxBottom_};
  boxRight_ = InsideImage(boxRight_);
  plotWidth_ = boxRight_ - boxLeft_;
  plotHeight_ = boxBottom_ - boxTop_;
}

void Graph::DrawFrame() {
  const std::vector<std::string> xTexts =
      data_->Axis.IntegerXTicks ? std::vector<std::string>() : TickTexts(xMin_, xMax_);
  MakeRoomForXLabels(xTexts);
  MakeRoomForYLabels(YAxisLabels(WidestLeftMargin()), xTexts.empty() ? 0 : image_.TextWidth(xTexts.front()) / 2);
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

std::vector<std::string> Graph::AxisLabels(long double low, long double high, const LabelCorner& corner) {
  const std::vector<std::string> texts = TickTexts(low, high);
  for (int stride = 1; stride <= kIntervals; stride *= 2) {
    const std::vector<std::string> labels = StrideLabels(texts, stride, corner);
    if (LabelsApart(labels, corner)) return labels;
  }
  std::vector<std::string> lowEnd = StrideLabels(texts, kIntervals, corner);
  lowEnd[kIntervals].clear();
  return lowEnd;
}

std::vector<std::string> Graph::StrideLabels(const std::vector<std::string>& texts, int stride,
                                             const LabelCorner& corner) {
  std::vector<std::string> labels(kIntervals + 1);
  for (int tick = 0; tick <= kIntervals; tick += stride)
    if (FitsImage(corner(tick, texts[tick]), texts[tick])) labels[tick] = texts[tick];
  return labels;
}

bool Graph::FitsImage(const TextCorner& at, const std::string& text) {
  return at.x >= 0 && at.y >= 0 && at.x + image_.TextWidth(text) <= image_.Width() &&
         at.y + image_.TextHeight(text) <= image_.Height();
}

int Graph::WidestLeftMargin() const { return baseBox_.left + (baseBox_.right - baseBox_.left) / 2; }

std::vector<std::string> Graph::TickTexts(long double low, long double high) {
  return DistinctTexts(TickValues(low, high), AxisText);
}

void Graph::MakeRoomForXLabels(const std::vector<std::string>& texts) {
  boxBottom_ = std::min(baseBox_.bottom, image_.Height() - kLabelGap - image_.TextHeight("0"));
  const int lastWidth = texts.empty() ? 0 : image_.TextWidth(texts.back());
  const int narrowestRight = baseBox_.right - (baseBox_.right - baseBox_.left) / 4;
  boxRight_ = InsideImage(std::clamp(image_.Width() - (lastWidth - lastWidth / 2), narrowestRight, baseBox_.right));
}

int Graph::InsideImage(int right) const { return std::min(right, image_.Width() - 1); }

void Graph::MakeRoomForYLabels(const std::vector<std::string>& labels, int least) {
  int widest = 0;
  for (const std::string& label : labels)
    if (!label.empty()) widest = std::max(widest, image_.TextWidth(label));
  boxLeft_ = std::clamp(std::max(widest + kLabelGap, least), baseBox_.left, WidestLeftMargin());
  plotWidth_ = boxRight_ - boxLeft_;
}

void Graph::MakeRoomForYAxis() { MakeRoomForYLabels(YAxisLabels(WidestLeftMargin())); }

std::vector<std::string> Graph::YAxisLabels(int axisX) {
  const int step = (boxBottom_ - boxTop_) / kIntervals;
  return AxisLabels(yMin_, yMax_, [&](int tick, const std::string& text) {
    return YLabelCorner(axisX, boxBottom_ - tick * step, text);
  });
}

Graph::TextBox Graph::LabelBox(const TextCorner& at, const std::string& label) {
  return {at.x, at.y, at.x + image_.TextWidth(label) + image_.TextWidth(" "), at.y + image_.TextHeight(label)};
}

bool Graph::Meet(const TextBox& a, const TextBox& b) {
  return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

bool Graph::LabelsApart(const std::vector<std::string>& labels, const LabelCorner& corner) {
  const std::string* previousText = nullptr;
  TextBox previous{};
  for (int tick = 0; tick <= kIntervals; ++tick) {
    const std::string& text = labels[tick];
    if (text.empty()) continue;
    const TextBox box = LabelBox(corner(tick, text), text);
    if (previousText != nullptr && (text == *previousText || Meet(previous, box))) return false;
    previous = box;
    previousText = &text;
  }
  return true;
}

Graph::TextCorner Graph::XLabelCorner(int x, const std::string& label) {
  return {x - image_.TextWidth(label) / 2, boxBottom_ + kLabelGap};
}

Graph::TextCorner Graph::YLabelCorner(int axisX, int y, const std::string& label) {
  return {axisX - image_.TextWidth(label) - kLabelGap, y - image_.TextHeight(label) / 2};
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

// A longer start is never narrower, so the longest start that fits is found by
// doubling a length that fits, then halving the gap to one that does not: no
// text measured is longer than twice the cut, however long the whole text.
std::string Graph::ShortenedText(const std::string& text, int room, int fewestLetters) {
  if (image_.TextWidth(text) <= room) return text;
  auto start = [&](int letters) {
    std::string kept = text.substr(0, letters);
    kept.erase(kept.find_last_not_of(" .") + 1);  // no space or full stop before the ellipsis
    return kept;
  };
  auto fits = [&](int letters) { return image_.TextWidth(start(letters) + kEllipsis) <= room; };
  const int longest = static_cast<int>(text.size()) - 1;
  if (longest < fewestLetters || !fits(fewestLetters)) return std::string();
  int good = fewestLetters;
  int bad = longest + 1;
  while (good < longest) {
    const int next = std::min(2 * good, longest);
    if (!fits(next)) {
      bad = next;
      break;
    }
    good = next;
  }
  while (bad - good > 1) {
    const int middle = good + (bad - good) / 2;
    (fits(middle) ? good : bad) = middle;
  }
  const std::string kept = start(good);
  return static_cast<int>(kept.size()) >= fewestLetters ? kept + kEllipsis : std::string();
}

int Graph::CentredRoom(int centre, int right) { return 2 * std::min(centre, right - centre); }

bool Graph::DrawWholeText(const TextCorner& at, const std::string& text) {
  if (text.empty() || !FitsImage(at, text)) return false;
  image_.TextOut(at.x, at.y, text);
  return true;
}

void Graph::DrawXTick(int x, const std::string& label) {
  SetAxisPen(PenStyle::Solid, clBlack);
  DrawWholeText(XLabelCorner(x, label), label);
  image_.MoveTo(x, boxBottom_ + 1);
  image_.LineTo(x, boxBottom_ + kMajorTick);
}

void Graph::DrawYTick(int y, const std::string& label) {
  SetAxisPen(PenStyle::Solid, clBlack);
  DrawWholeText(YLabelCorner(boxLeft_, y, label), label);
  image_.MoveTo(boxLeft_ - 1, y);
  image_.LineTo(boxLeft_ - kMajorTick, y);
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
    const std::vector<std::string> labels =
        AxisLabels(xMin_, xMax_, [&](int tick, const std::string& text) { return XLabelCorner(left + tick * step, text); });
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
    // pixel's worth of it; a label that would meet the one before is left out.
    const long double perPixel = span > 0 ? (xMax_ - xMin_) / span : 0.0L;
    bool armed = true;
    int labelsEnd = std::numeric_limits<int>::min();
    for (int x = left; x <= last; ++x) {
      const long double v = xMin_ + (x - left) * perPixel;
      const long double d = std::fabs(v - std::trunc(v));
      if (d > perPixel) armed = true;
      if (armed && d < perPixel) {
        armed = false;
        const std::string label = FloatToStrF(v, FloatFormat::Fixed, 18, 0);
        const TextBox box = LabelBox(XLabelCorner(x, label), label);
        const bool apart = box.left >= labelsEnd && FitsImage(XLabelCorner(x, label), label);
        if (apart) labelsEnd = box.right;
        DrawXTick(x, apart ? label : std::string());
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
  const std::vector<std::string> labels = YAxisLabels(left);
  for (int i = 0; i <= kIntervals; ++i) {
    const int y = bottom - i * step;
    DrawYTick(y, labels[i]);
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
// under its right end and the caption under its left end, in blue, each cut to
// the room it has in the image. Two moves keep the texts apart: the title goes up
// to clear the Y-axis name when the two would meet, and a caption too long to
// share its line with the X-axis name goes below it where the image has room for
// that line (the X-axis name then rises to just under the tick labels); else it
// is cut short of the X-axis name.
void Graph::DrawTitle() {
  const int w = image_.Width();
  const int below = image_.Height() - boxBottom_;  // room under the box
  image_.font.color = clBlue;
  const std::string xName = ShortenedText(data_->XAxisName, boxRight_);
  const std::string yName = ShortenedText(data_->YAxisName, w - boxLeft_);
  const int yNameTop = boxTop_ - below / 2 + image_.TextHeight(yName) / 4;
  const int yNameRight = boxLeft_ + image_.TextWidth(yName);
  const int xNameX = boxRight_ - image_.TextWidth(xName);
  const int xNameHeight = image_.TextHeight(xName);
  int xNameY = boxBottom_ + below / 2 + xNameHeight / 4;
  const int risenXNameY = boxBottom_ + kLabelGap + image_.TextHeight(AxisText(xMin_));

  image_.font.bold = true;
  const int centre = boxLeft_ + (boxRight_ - boxLeft_) / 2;
  const std::string title = ShortenedText(data_->XAxisName + " vs. " + data_->YAxisName, CentredRoom(centre, w));
  const int titleX = centre - image_.TextWidth(title) / 2;
  const int titleHeight = image_.TextHeight(title);
  int titleY = boxTop_ / 2 - titleHeight / 2;
  if (!yName.empty() && titleX < yNameRight && titleY + titleHeight > yNameTop)
    titleY = std::max(0, yNameTop - titleHeight);
  DrawWholeText({titleX, titleY}, title);
  const std::string& caption = data_->Caption;
  const int captionHeight = image_.TextHeight(caption);
  int captionY = boxBottom_ + below / 2 + captionHeight / 4;
  int captionRoom = (xName.empty() ? w : xNameX - kLabelGap) - boxLeft_;
  const bool lineBelow = risenXNameY + xNameHeight + captionHeight <= image_.Height();
  if (!caption.empty() && !xName.empty() && image_.TextWidth(caption) > captionRoom && lineBelow) {
    xNameY = risenXNameY;
    captionY = xNameY + xNameHeight;
    captionRoom = w - boxLeft_;
  }
  const std::string shownCaption = ShortenedText(caption, captionRoom);
  image_.font.bold = false;

  DrawWholeText({xNameX, xNameY}, xName);
  DrawWholeText({boxLeft_, yNameTop}, yName);
  image_.font.bold = true;
  DrawWholeText({boxLeft_, captionY}, shownCaption);
  image_.font.bold = false;
}

Graph::TextBox Graph::AnchoredBox(int anchorX, int anchorY, const std::string& text, int leftEdge) {
  const int halfWidth = image_.TextWidth(text) / 2;
  TextBox box{anchorX - halfWidth - 8, anchorY - 18, anchorX + halfWidth + 8, anchorY + image_.TextHeight(text) - 14};
  if (box.left < leftEdge) {
    box.right += leftEdge - box.left;
    box.left = leftEdge;
  }
  if (box.top < 0) {
    box.bottom -= box.top;
    box.top = 0;
  }
  if (box.right >= image_.Width()) {
    box.left -= box.right - image_.Width();
    box.right = image_.Width();
  }
  if (box.bottom >= image_.Height()) {
    box.top -= box.bottom - image_.Height();
    box.bottom = image_.Height();
  }
  return box;
}

void Graph::SetLabelBox(LabelPlotParam& label, const TextBox& box) {
  label.LabelLeft = box.left;
  label.LabelTop = box.top;
  label.LabelRight = box.right;
  label.LabelBottom = box.bottom;
}

void Graph::PlaceLabel(LabelPlotParam& label, int anchorX, int anchorY, const std::string& text) {
  if (!label.IsPlaced()) SetLabelBox(label, AnchoredBox(anchorX, anchorY, text, 0));
}

Graph::TextBox Graph::BarLabelBox(int anchorX, int anchorY, const std::string& text) {
  TextBox box = AnchoredBox(anchorX, anchorY, text, boxLeft_);
  for (const TextBox& title : titleBoxes_) {
    if (!Meet(box, title)) continue;
    box.bottom += title.bottom - box.top;
    box.top = title.bottom;
  }
  return box;
}

void Graph::DrawLeader(const LabelPlotParam& label, int fromX, int fromY) {
  image_.MoveTo(fromX, fromY);
  image_.LineTo(label.LabelLeft + (label.LabelRight - label.LabelLeft) / 2,
                label.LabelTop + (label.LabelBottom - label.LabelTop) / 2);
}

Graph::TextCorner Graph::LabelTextCorner(const LabelPlotParam& label) {
  return {label.LabelLeft + 8, label.LabelTop + 2};
}

void Graph::DrawLabelBox(const LabelPlotParam& label, const std::string& text) {
  const TextCorner at = LabelTextCorner(label);
  if (!FitsImage(at, text)) return;  // box and text together, or neither
  SetBrush(kLabelColor);
  image_.RoundRect(label.LabelLeft, label.LabelTop, label.LabelRight, label.LabelBottom, kLabelCorner, kLabelCorner);
  DrawWholeText(at, text);
}

void Graph::DrawAnchoredLabel(LabelPlotParam& label, int anchorX, int anchorY, const std::string& text) {
  if (!label.IsPlaced()) SetLabelBox(label, BarLabelBox(anchorX, anchorY, text));
  if (!FitsImage(LabelTextCorner(label), text)) return;  // a label left off has no leader either
  DrawLeader(label, anchorX, anchorY);
  if (!text.empty()) DrawLabelBox(label, text);
}

void Graph::DrawColumnChartTitle(const std::string& title, const std::string& middleLine, const std::string& yText) {
  const int below = image_.Height() - boxBottom_;
  const int boxTop = boxBottom_ - plotHeight_;
  const int centre = boxLeft_ + plotWidth_ / 2;
  titleBoxes_.clear();
  auto draw = [&](const std::string& text, int x, int y) {
    if (DrawWholeText({x, y}, text))
      titleBoxes_.push_back({x, y, x + image_.TextWidth(text), y + image_.TextHeight(text)});
  };
  // The Y text stays above the top tick's label, centred on the Y axis as far as
  // its room allows. When the image can hold it whole it is drawn whole, and a
  // title sharing its line is cut a gap short of it, or, where not even its start
  // fits centred, starts a gap right of it and is cut to the image's right edge;
  // else the title comes first and the Y text is cut short of it.
  const int width = image_.Width();
  image_.font.color = clBlue;
  const int yTextHeight = image_.TextHeight(yText);
  const int yTextY =
      std::max(0, std::min(boxTop - below / 2 + yTextHeight / 4, boxTop - yTextHeight / 2 - yTextHeight));
  std::string shownYText;
  int yTextX = 0;
  int yTextRight = 0;
  auto placeYText = [&](int right) {
    shownYText = ShortenedText(yText, right);
    const int textWidth = image_.TextWidth(shownYText);
    yTextX = std::max(0, std::min(boxLeft_ - textWidth / 2, right - textWidth));
    yTextRight = yTextX + textWidth;
  };
  const bool yTextFirst = image_.TextWidth(yText) <= width;
  if (yTextFirst) placeYText(width);

  image_.font.bold = true;
  const int titleHeight = image_.TextHeight(title);
  const int titleY = boxTop / 2 - titleHeight / 2;
  const bool sharedLine = titleY < yTextY + yTextHeight && yTextY < titleY + titleHeight;
  int titleRoom = CentredRoom(centre, width);
  const bool besideYText = yTextFirst && sharedLine && !shownYText.empty();
  if (besideYText) titleRoom = std::min(titleRoom, 2 * (centre - yTextRight - kLabelGap));
  std::string shownTitle = ShortenedText(title, titleRoom);
  int titleX = centre - image_.TextWidth(shownTitle) / 2;
  if (shownTitle.empty() && besideYText) {
    titleX = yTextRight + kLabelGap;
    shownTitle = ShortenedText(title, width - titleX, 1);
  }
  draw(shownTitle, titleX, titleY);
  image_.font.bold = false;
  if (!yTextFirst) placeYText(sharedLine && !shownTitle.empty() ? titleX - kLabelGap : width);
  if (!middleLine.empty())
    draw(middleLine, centre - image_.TextWidth(middleLine) / 2,
         boxBottom_ + below / 2 - image_.TextHeight(middleLine) / 2);
  draw(shownYText, yTextX, yTextY);
  std::sort(titleBoxes_.begin(), titleBoxes_.end(), [](const TextBox& a, const TextBox& b) { return a.top < b.top; });
}

void Graph::DrawBaseLine() {
  SetAxisPen(PenStyle::Solid, clBlack);
  image_.MoveTo(boxLeft_, boxBottom_);
  image_.LineTo(boxLeft_ + plotWidth_ - 1, boxBottom_);
}
