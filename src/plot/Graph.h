// The base of every plot: the plot box in the image, the value ranges, the two
// axes with ticks, labels and grid, and the title block.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "numerics/Utils.h"
#include "plot/GraphData.h"
#include "plot/GraphEx.h"
#include "platform/base/Canvas.h"

class Graph {
public:
  // The box follows from the canvas size; both ranges start at 0..10. The
  // canvas and the data must outlive the plot.
  Graph(Canvas& image, GraphData* data);
  virtual ~Graph() = default;
  Graph(const Graph&) = delete;
  Graph& operator=(const Graph&) = delete;

  virtual void DrawTitle();
  virtual void DrawXAxis();
  virtual void DrawYAxis();
  virtual void DrawData() = 0;

  // Room for the tick labels, then X axis, Y axis and the title.
  void DrawFrame();

  void ComputeXRange();
  void ComputeYRange();
  void GetRange(long double& xMin, long double& xMax, long double& yMin, long double& yMax) const;
  void SetRange(long double xMin, long double xMax, long double yMin, long double yMax);
  void SetYRange(long double yMin, long double yMax);
  void GetPlotArea(int& left, int& bottom, int& width, int& height) const;

  int GetBoxLeft() const { return boxLeft_; }
  int GetBoxRight() const { return boxRight_; }
  int GetBoxBottom() const { return boxBottom_; }
  int GetBoxTop() const { return boxTop_; }
  Canvas& GetImage() { return image_; }
  GraphData* GetData() { return data_; }
  void SetPlotWidth(int width) { plotWidth_ = width; }
  void SetPlotHeight(int height) { plotHeight_ = height; }
  // A span values can be placed in: above 0 and finite.
  static bool IsDrawableSpan(long double span);
  // A range a plot can be drawn in: both spans drawable.
  static bool IsDrawableRange(long double xMin, long double xMax, long double yMin, long double yMax);
  static int GetIntervalsX() { return 8; }
  static int GetIntervalsY() { return 8; }

protected:
  struct TextCorner {
    int x, y;
  };
  struct TextBox {
    int left, top, right, bottom;
  };
  static bool Meet(const TextBox& a, const TextBox& b);

  // A value's text in a plot's own fixed format.
  using ValueText = std::string (*)(long double value);
  // The texts of the values; where two neighbours would read alike, the general
  // format with the fewest significant digits that tells every two neighbours
  // apart, if any does.
  static std::vector<std::string> DistinctTexts(const std::vector<long double>& values, ValueText text);
  // Every tick label lies whole inside the image or is not drawn. From the box's
  // first place, the margins grow to hold the labels: the bottom one the X labels'
  // line, the right one the part of the last X label right of its tick (up to a
  // quarter of the box's first width), the left one the widest Y label and the
  // half of the first X label, `least` (up to half that width); labels that still
  // do not fit are left off.
  void MakeRoomForYLabels(const std::vector<std::string>& labels, int least = 0);
  // Makes room for the labels of the Y axis's eight intervals.
  void MakeRoomForYAxis();
  // The major tick at y with its label, if any, left of the Y axis.
  void DrawYTick(int y, const std::string& label);
  // A word text (a title, a name, a caption) as it fits `room` pixels in the
  // canvas's font: whole, else its start cut to the room and ending with the ellipsis,
  // else (not even `fewestLetters` letters fit; at least one) empty.
  static constexpr int kFewestLetters = 3;
  std::string ShortenedText(const std::string& text, int room, int fewestLetters = kFewestLetters);
  // The width a text centred on that column has between the image's left edge and `right`.
  static int CentredRoom(int centre, int right);
  // Every text of a plot is drawn whole inside the image or not at all: draws
  // the text with its top-left corner at `at` when the image holds it there and
  // it is not empty. True when drawn.
  bool DrawWholeText(const TextCorner& at, const std::string& text);

  // Pixel offset trunc(numerator / denominator), clamped far outside any image
  // so that values beyond a forced range cannot overflow an int; 0 when the
  // quotient is no number.
  static int PixelOffset(long double numerator, long double denominator);
  bool BothPresent(int row) const;
  const CheckedValue& Cell(int row, int col) const { return data_->tpGraphValue[row][col]; }
  // The element's group; 0 when the plot has no group array.
  int GroupOf(int row) const;

  // The element's label record; a record of this object when the plot window
  // gave none, so that labels are still placed.
  LabelPlotParam& LabelRecord(int element);

  void SetAxisPen(PenStyle style, TColor color);
  // Pen width 1, black font, clear brush: the state every axis and data drawer starts from.
  void BeginDrawing();
  void SetBrush(TColor color);
  // Places an element's label box next to the anchor (unless already placed)
  // and keeps it inside the image.
  void PlaceLabel(LabelPlotParam& label, int anchorX, int anchorY, const std::string& text);
  // The box of a bar's label at its anchor: inside the image right of the Y axis,
  // and below any text of the title block it would meet.
  TextBox BarLabelBox(int anchorX, int anchorY, const std::string& text);
  void DrawLeader(const LabelPlotParam& label, int fromX, int fromY);
  // The light-yellow rounded box with its text; neither where the image cannot hold the text whole.
  void DrawLabelBox(const LabelPlotParam& label, const std::string& text);
  // Place (the bar label box), leader and box, as the bar and histogram charts
  // label their bars; neither leader nor box where the image cannot hold the text whole.
  void DrawAnchoredLabel(LabelPlotParam& label, int anchorX, int anchorY, const std::string& text);
  // The bar charts' title block, all blue: the bold title centred above the plot
  // area, an optional line centred below it, and the Y text above the Y axis and
  // its top label. The Y text is cut only to the image, the title to the room the
  // Y text leaves it; the line below is drawn whole or not at all.
  void DrawColumnChartTitle(const std::string& title, const std::string& middleLine, const std::string& yText);
  // The bar charts' X axis: one line along the bottom of the plot area.
  void DrawBaseLine();

  Canvas& image_;
  GraphData* data_;
  int boxLeft_;
  int boxRight_;
  int boxBottom_;
  int boxTop_;
  int plotWidth_;
  int plotHeight_;
  long double xMin_ = 0.0L;
  long double xMax_ = 10.0L;
  long double yMin_ = 0.0L;
  long double yMax_ = 10.0L;

private:
  // Where the text of a major tick's label starts, given the tick (0 .. 8) and the text.
  using LabelCorner = std::function<TextCorner(int tick, const std::string& text)>;

  std::vector<LabelPlotParam> ownLabels_;
  std::vector<TextBox> titleBoxes_;  // the column chart's title texts, from the top down
  // The box before it made room for the tick labels; its right edge may lie outside a narrow image.
  TextBox baseBox_;

  int WidestLeftMargin() const;
  // A right edge of the box moved, where it would pass it, to the image's last
  // column: 16 pixels right of the symmetric place, the first box's right edge
  // passes the edge of an image narrower than 170 pixels.
  int InsideImage(int right) const;
  // The texts of the nine major ticks of low .. high, in the digits that tell them apart.
  static std::vector<std::string> TickTexts(long double low, long double high);
  void MakeRoomForXLabels(const std::vector<std::string>& texts);
  // The labels of the Y axis's major ticks if the axis stood at axisX.
  std::vector<std::string> YAxisLabels(int axisX);
  // A label's box next to its anchor, kept inside the image right of leftEdge.
  TextBox AnchoredBox(int anchorX, int anchorY, const std::string& text, int leftEdge);
  static void SetLabelBox(LabelPlotParam& label, const TextBox& box);
  // Where a label's text starts in its box.
  static TextCorner LabelTextCorner(const LabelPlotParam& label);

  void ComputeRange(int column, const OptionalValue& extra, long double& low, long double& high);
  // The label of each major tick of low .. high, empty for a tick left without
  // one. Labels that would meet go to every second, fourth or eighth tick only;
  // when even the two ends cannot be shown, the low end alone has its label.
  std::vector<std::string> AxisLabels(long double low, long double high, const LabelCorner& corner);
  // The texts of every stride-th tick; a label that would cross the image's edge is left off.
  std::vector<std::string> StrideLabels(const std::vector<std::string>& texts, int stride, const LabelCorner& corner);
  bool FitsImage(const TextCorner& at, const std::string& text);
  // True when each label shown reads apart from the one before and their texts,
  // each at its corner, do not meet.
  bool LabelsApart(const std::vector<std::string>& labels, const LabelCorner& corner);
  // The room a tick label takes: its text and a space after it, so that
  // neighbouring labels never read as one.
  TextBox LabelBox(const TextCorner& at, const std::string& label);
  // A label centred under the X axis at x, and one left of a Y axis at axisX centred on y.
  TextCorner XLabelCorner(int x, const std::string& label);
  TextCorner YLabelCorner(int axisX, int y, const std::string& label);
  // The major tick at x with its label, if any.
  void DrawXTick(int x, const std::string& label);
};
