#include "plot/Graph2DScatter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>

#include "platform/base/NumberText.h"
#include "plot/PlotTestData.h"

namespace {

using Lines = std::vector<std::vector<int>>;

// Scatter plots on a 616 x 577 image: plot area left 77, bottom 520, 488 x 456 after the axes.
class Graph2DScatterTest : public testing::Test {
protected:
  // Builds the plot, then draws its data alone on a canvas cleared of the frame.
  std::unique_ptr<Graph2DScatter> Draw(PlotTestData& table, int singleLabels = 0) {
    auto plot = std::make_unique<Graph2DScatter>(canvas, &table.data, singleLabels);
    DrawAgain(*plot);
    return plot;
  }
  // As Draw, in the data's own range (the pixel positions below are worked out in
  // it; a plot widens a range it takes from the data, see ExtremePointsStayOffTheFrame).
  std::unique_ptr<Graph2DScatter> DrawIn(PlotTestData& table, std::vector<long double> range) {
    auto plot = std::make_unique<Graph2DScatter>(canvas, &table.data, 0);
    plot->SetRange(range[0], range[1], range[2], range[3]);
    DrawAgain(*plot);
    return plot;
  }
  void DrawAgain(Graph2DScatter& plot) {
    canvas.ClearCalls();
    plot.DrawData();
  }
  // The symbol centred at (x, y), or null.
  const CanvasCall* SymbolAt(int x, int y) const {
    for (const CanvasCall& call : canvas.Calls())
      if (call.kind == CallKind::Ellipse && call.at == std::vector<int>{x - 3, y - 3, x + 4, y + 4}) return &call;
    return nullptr;
  }
  Lines LinesIn(TColor color, PenStyle style) const {
    Lines found;
    for (const CanvasCall& line : canvas.CallsOf(CallKind::LineTo))
      if (line.pen.color == color && line.pen.style == style) found.push_back(line.at);
    return found;
  }
  Lines Dashed() const { return LinesIn(clBlack, PenStyle::Dash); }
  Lines Blue() const { return LinesIn(clBlue, PenStyle::Solid); }
  bool HasLine(int x1, int y1, int x2, int y2) const { return canvas.FindLine(x1, y1, x2, y2) != nullptr; }

  RecordingCanvas canvas{616, 577};
};

TEST_F(Graph2DScatterTest, PointsAndLabelsSitWhereTheRangeMapsThem) {
  PlotTestData table({{0, 0}, {8, 8}, {2, 6}, {3, std::nullopt}, {std::nullopt, 1}});
  table.data.LabelType = 2;
  auto plot = DrawIn(table, {0, 8, 0, 8});
  EXPECT_EQ(canvas.CallsOf(CallKind::Ellipse).size(), 3u);
  EXPECT_NE(SymbolAt(77, 520), nullptr);
  EXPECT_NE(SymbolAt(565, 64), nullptr);
  const CanvasCall* symbol = SymbolAt(199, 178);
  ASSERT_NE(symbol, nullptr);
  EXPECT_EQ(symbol->brush.color, clAqua);  // no groups
  const LabelPlotParam& box = table.Label(2);
  EXPECT_EQ((std::vector<int>{box.SymbolLeft, box.SymbolTop, box.SymbolRight, box.SymbolBottom}),
            (std::vector<int>{196, 175, 203, 182}));
  const int hw = canvas.TextWidth("E3") / 2;
  EXPECT_EQ((std::vector<int>{box.LabelLeft, box.LabelTop, box.LabelRight, box.LabelBottom}),
            (std::vector<int>{199 - hw - 8, 160, 199 + hw + 8, 178 + canvas.TextHeight("E3") - 14}));
  EXPECT_EQ(canvas.FindText("E3")->at, (std::vector<int>{box.LabelLeft + 8, box.LabelTop + 2}));
  EXPECT_TRUE(HasLine(199, 178, (box.LabelLeft + box.LabelRight) / 2, (box.LabelTop + box.LabelBottom) / 2));
  // Rows with a missing value are neither drawn nor placed.
  EXPECT_FALSE(table.Label(3).IsPlaced());
  EXPECT_EQ(table.Label(3).SymbolRight, 0);
  EXPECT_EQ(canvas.FindText("E5"), nullptr);
  // A placed box stays where it is.
  table.Label(2).LabelLeft += 50;
  DrawAgain(*plot);
  EXPECT_EQ(canvas.FindText("E3")->at[0], box.LabelLeft + 8);
}

TEST_F(Graph2DScatterTest, LabelBoxesStayInsideTheImage) {
  PlotTestData table({{0, 0}, {10, 10}});
  table.data.LabelType = 2;
  table.data.ElementNames[1] = "A long label at the corner";
  RecordingCanvas small(200, 100);  // box 36..196 x 10..90: the top point is at y = 10
  Graph2DScatter(small, &table.data, 0).DrawData();
  const LabelPlotParam& corner = table.Label(1);
  EXPECT_EQ(corner.LabelTop, 0);
  EXPECT_EQ(corner.LabelBottom, 10 + small.TextHeight("x") - 14 + 8);
  EXPECT_EQ(corner.LabelRight, 200);
  EXPECT_EQ(corner.LabelRight - corner.LabelLeft, 2 * (small.TextWidth(table.data.ElementNames[1]) / 2) + 16);
}

TEST_F(Graph2DScatterTest, ForcedRangeDrawsOnlyPointsInsideTheBox) {
  PlotTestData table({{0, 0}, {8, 8}, {8.1L, 4}, {8.2L, 5}});
  table.data.LabelType = 1;
  Graph2DScatter plot(canvas, &table.data, 0);
  plot.SetRange(0, 8, 0, 8);
  canvas.ClearCalls();
  plot.Redraw();
  EXPECT_NE(SymbolAt(565, 64), nullptr);   // on X max: left + width
  EXPECT_NE(SymbolAt(571, 292), nullptr);  // past the last tick, inside the box
  EXPECT_EQ(canvas.CallsOf(CallKind::Ellipse).size(), 3u);  // 577 is beyond the box right 571
  EXPECT_EQ(canvas.FindText("4"), nullptr);
}

TEST_F(Graph2DScatterTest, SingleLabelsShowOnlyTheChosenElements) {
  PlotTestData table({{0, 0}, {8, 8}, {2, 6}});
  table.data.LabelType = 2;
  auto plot = Draw(table, 1);
  EXPECT_EQ(canvas.CallsOf(CallKind::Ellipse).size(), 3u);
  EXPECT_TRUE(canvas.CallsOf(CallKind::RoundRect).empty());
  EXPECT_TRUE(canvas.CallsOf(CallKind::LineTo).empty());  // no leader lines
  table.Label(1).Shown = true;
  DrawAgain(*plot);
  EXPECT_EQ(canvas.CallsOf(CallKind::RoundRect).size(), 1u);
  EXPECT_NE(canvas.FindText("E2"), nullptr);
}

TEST_F(Graph2DScatterTest, SymmetricAndSameRangeOptionsAdjustTheRanges) {
  // X widens by a 32nd of its span at each end; the symmetric Y range is whole already.
  PlotTestData skewed({{0, -2.5L}, {1, 4.2L}});
  PlotTestData low({{0, -4.2L}, {1, 2.5L}});  // the lower end decides
  for (PlotTestData* t : {&skewed, &low}) {
    t->data.Axis.Symmetric = true;
    EXPECT_EQ(RangeOf(Graph2DScatter(canvas, &t->data, 0)),
              (std::vector<long double>{-1.0L / 32, 1 + 1.0L / 32, -5, 5}));
  }
  // Both widened ranges, then their union on both axes.
  PlotTestData table({{1, 0}, {3, 5}});
  table.data.Axis.SameRange = true;
  EXPECT_EQ(RangeOf(*Draw(table)), (std::vector<long double>{-5.0L / 32, 5 + 5.0L / 32, -5.0L / 32, 5 + 5.0L / 32}));
  EXPECT_TRUE(HasLine(77, 520, 565, 64));  // the diagonal
}

TEST_F(Graph2DScatterTest, ReferenceLinesAppearOnlyInsideTheRange) {
  PlotTestData table({{0, -4}, {8, 4}});  // 57 pixels per Y unit, 61 per X unit
  AxisParams& axis = table.data.Axis;
  axis.HorizontalLines = true;
  axis.FirstLineY = -2;
  axis.SecondLineY = 2;
  axis.FullWidth = true;
  axis.VerticalLine = true;
  axis.VerticalLineX = 2;
  axis.ZeroLine = true;
  auto plot = DrawIn(table, {0, 8, -4, 4});
  EXPECT_EQ(Dashed(), (Lines{{77, 406, 565, 406}, {77, 178, 565, 178}}));
  EXPECT_TRUE(HasLine(199, 520, 199, 64));
  EXPECT_TRUE(HasLine(77, 292, 565, 292));
  axis.SecondLineY = 4.5L;  // one value outside: neither line
  axis.VerticalLineX = 9;
  DrawAgain(*plot);
  EXPECT_TRUE(Dashed().empty());
  EXPECT_FALSE(HasLine(199, 520, 199, 64));
}

TEST_F(Graph2DScatterTest, BandLinesRunParallelToTheDiagonalUnlessAnAxisIsFlat) {
  PlotTestData table({{0, 0}, {8, 8}});
  PlotTestData flat({{3, 3}, {3, 3}});
  for (PlotTestData* t : {&table, &flat}) {
    t->data.Axis.Band = true;
    t->data.Axis.BandOffset = 2;
  }
  table.data.Axis.SameRange = true;
  DrawIn(table, {0, 8, 0, 8});
  EXPECT_EQ(Dashed(), (Lines{{77, 406, 443, 64}, {199, 520, 565, 178}}));
  Draw(flat);
  EXPECT_TRUE(Dashed().empty());
}

TEST_F(Graph2DScatterTest, RegressionLineIsClippedAtItsEnds) {
  // Group 0 lies on y = x; group 1 widens X to 0, so the line starts below Y min.
  PlotTestData table({{2, 2}, {4, 4}, {0, 3}});
  // A flat line below a forced range keeps its right end below the area: not drawn.
  PlotTestData flat({{0, 1}, {4, 1}, {2, 3}});
  for (PlotTestData* t : {&table, &flat}) {
    t->SetGroups({0, 0, 1}, {clYellow, clRed});
    t->data.Axis.GroupRegression = true;
  }
  DrawIn(table, {0, 4, 2, 4});
  EXPECT_EQ(Blue(), (Lines{{321, 520, 565, 64}}));
  EXPECT_EQ(SymbolAt(77, 292)->brush.color, clRed);
  Graph2DScatter flatPlot(canvas, &flat.data, 0);
  flatPlot.SetRange(0, 4, 2, 5);
  canvas.ClearCalls();
  flatPlot.Redraw();
  EXPECT_TRUE(Blue().empty());
}

TEST_F(Graph2DScatterTest, GroupWithoutALineClearsTheRegressionFlag) {
  // Every X equal, then a single usable row.
  for (const Cells& rows : {Cells{{1, 2}, {1, 5}, {3, 0}}, Cells{{1, 2}, {2, std::nullopt}, {3, 0}}}) {
    PlotTestData table(rows);
    table.SetGroups({0, 0, 1}, {clYellow, clRed});
    table.data.Axis.GroupRegression = true;
    auto plot = Draw(table);
    EXPECT_FALSE(table.data.Axis.GroupRegression);
    EXPECT_EQ(plot->GetSlope(), 0);
    EXPECT_TRUE(Blue().empty());
  }
}

TEST_F(Graph2DScatterTest, GroupsColourPointsAndTheLegend) {
  PlotTestData table({{0, 0}, {4, 4}, {8, 8}, {6, 2}});
  table.data.LabelType = 2;
  table.SetGroups({0, -1, 5, 1}, {clYellow, clBlue});
  std::string names[] = {"Training", "Prediction"};
  table.data.Axis.Legend = true;
  table.data.Axis.LegendNames = names;
  DrawIn(table, {0, 8, 0, 8});
  EXPECT_EQ(SymbolAt(77, 520)->brush.color, clYellow);
  EXPECT_EQ(SymbolAt(443, 406)->brush.color, clBlue);
  // Groups outside 0 .. count - 1: no point, no label.
  EXPECT_EQ(canvas.FindText("E2"), nullptr);
  EXPECT_FALSE(table.Label(2).IsPlaced());
  EXPECT_EQ(canvas.CallsOf(CallKind::Rectangle).size(), 1u);  // the legend box
  // Each group's symbol sits on its name's line, just left of it.
  for (int k = 0; k < 2; ++k) {
    const CanvasCall* name = canvas.FindText(names[k]);
    ASSERT_NE(name, nullptr) << names[k];
    const CanvasCall* symbol = SymbolAt(name->at[0] - 8, name->at[1] + canvas.TextHeight(names[k]) / 2);
    ASSERT_NE(symbol, nullptr) << names[k];
    EXPECT_EQ(symbol->brush.color, k == 0 ? clYellow : clBlue) << names[k];
  }
}

TEST_F(Graph2DScatterTest, ALabelThatWouldMeetTheLegendGoesBelowItAndItsPoint) {
  // The point (8, 8) sits at (565, 64), under the right end of a four-line legend.
  PlotTestData table({{0, 0}, {8, 8}, {7.5L, 7.7L}, {1, 8}});
  table.data.LabelType = 2;
  table.SetGroups({0, 1, 2, 3}, {clYellow, clBlue, clRed, clAqua});
  std::string names[] = {"R2 Yscr", "Q2 Yscr", "Mod. R2", "Mod. Q2"};
  table.data.Axis.Legend = true;
  table.data.Axis.LegendNames = names;
  DrawIn(table, {0, 8, 0, 8});
  const int legendBottom = 4 * canvas.TextHeight("Mod. Q2") + 8;
  const CanvasCall legend = canvas.CallsOf(CallKind::Rectangle).at(0);
  ASSERT_EQ(legend.at[3], legendBottom);
  const int height = canvas.TextHeight("E2") + 4;  // from y - 18 to y + text height - 14
  const LabelPlotParam& moved = table.Label(1);
  EXPECT_EQ(moved.LabelTop, 64 + 3 + 2);  // the point's symbol ends lower than the legend
  EXPECT_EQ(moved.LabelBottom - moved.LabelTop, height);
  // A label that starts where the legend ends, and labels away from it, keep
  // their places over their points.
  EXPECT_EQ(table.Label(2).LabelTop, legendBottom);
  EXPECT_EQ(table.Label(3).LabelTop, 64 - 18);
  EXPECT_EQ(table.Label(0).LabelTop, 520 - 18);

  // On a low image the point lies higher than the legend's end: the label goes
  // just below the legend.
  PlotTestData low({{0, 0}, {8, 8}});
  low.data.LabelType = 2;
  low.SetGroups({0, 1}, {clYellow, clBlue, clRed, clAqua});
  low.data.Axis.Legend = true;
  low.data.Axis.LegendNames = names;
  RecordingCanvas small(616, 400);  // box top 40: the point (8, 8) at y = 40
  Graph2DScatter plot(small, &low.data, 0);
  plot.SetRange(0, 8, 0, 8);
  plot.DrawData();
  const int lowLegendBottom = 4 * small.TextHeight("Q2 Yscr") + 8;
  ASSERT_GT(lowLegendBottom, 40 + 4);
  EXPECT_EQ(low.Label(1).LabelTop, lowLegendBottom + 1);
  EXPECT_EQ(low.Label(1).LabelBottom - low.Label(1).LabelTop, height);
}

TEST_F(Graph2DScatterTest, ErrorBarsHaveCapsInsideThePlotArea) {
  PlotTestData table({{0, 0}, {4, 4}, {8, 8}});
  table.SetUncertainty(1);  // 57 pixels
  DrawIn(table, {0, 8, 0, 8});
  for (auto line : Lines{{318, 235, 325, 235}, {318, 349, 325, 349}, {321, 235, 321, 349},
                         {565, 64, 565, 121}, {562, 121, 569, 121}, {77, 463, 77, 520}})
    EXPECT_TRUE(HasLine(line[0], line[1], line[2], line[3])) << line[0] << "," << line[1];
  EXPECT_FALSE(HasLine(562, 64, 569, 64));  // clipped ends have no cap
  EXPECT_FALSE(HasLine(74, 520, 81, 520));
  PlotTestData flat({{0, 3}, {4, 3}});
  flat.SetUncertainty(1);
  DrawIn(flat, {0, 4, 3, 3});
  EXPECT_TRUE(canvas.CallsOf(CallKind::LineTo).empty());
}

TEST_F(Graph2DScatterTest, OriginVectorsRunFromTheOrigin) {
  PlotTestData table({{-4, -4}, {4, 4}});
  table.data.Axis.OriginVectors = true;
  table.data.Axis.KeepSymbolBoxes = false;
  DrawIn(table, {-4, 4, -4, 4});
  EXPECT_EQ(Blue(), (Lines{{321, 292, 77, 520}, {321, 292, 565, 64}}));
  EXPECT_EQ(table.Label(1).SymbolRight, 0);
}

TEST_F(Graph2DScatterTest, ExtremePointsStayOffTheFrame) {
  PlotTestData table({{0, 0}, {8, 8}, {-8, 2}});
  auto plot = Draw(table);
  EXPECT_EQ(RangeOf(*plot), (std::vector<long double>{-8.5L, 8.5L, -0.25L, 8.25L}));
  for (const CanvasCall& symbol : canvas.CallsOf(CallKind::Ellipse)) {
    EXPECT_GT(symbol.at[0], 77);
    EXPECT_LT(symbol.at[2], 565);
    EXPECT_GT(symbol.at[1], 64);
    EXPECT_LT(symbol.at[3], 520);
  }
  // A forced range is taken as it is.
  plot->SetRange(0, 8, 0, 8);
  DrawAgain(*plot);
  EXPECT_NE(SymbolAt(565, 64), nullptr);
}

// The major tick labels of each axis in drawing order, X then Y: numbers along
// the X axis with their tops 8 below the box, along the Y axis with their right
// ends 8 left of it.
std::vector<std::vector<CanvasCall>> TickLabels(RecordingCanvas& canvas, const Graph& plot) {
  int left, bottom, width, height;
  plot.GetPlotArea(left, bottom, width, height);
  std::vector<std::vector<CanvasCall>> labels(2);
  long double value;
  for (const CanvasCall& call : canvas.CallsOf(CallKind::TextOut)) {
    if (!TryStrToFloat(call.text, value)) continue;
    if (call.at[1] == bottom + 8) labels[0].push_back(call);
    if (call.at[0] + canvas.TextWidth(call.text) == left - 8) labels[1].push_back(call);
  }
  return labels;
}

// The tick labels tell the ticks apart: each reads the value at its tick to
// within half a major step, and no two texts come within a space of each other.
// Each axis has at least `least` labels, and every label lies within the image.
void ExpectTickLabelsReadApart(RecordingCanvas& canvas, const Graph& plot, std::size_t least = 2) {
  const std::vector<long double> range = RangeOf(plot);
  int left, bottom, width, height;
  plot.GetPlotArea(left, bottom, width, height);
  const std::vector<std::vector<CanvasCall>> axes = TickLabels(canvas, plot);
  std::vector<std::vector<int>> boxes;
  for (int axis : {0, 1}) {
    ASSERT_GE(axes[axis].size(), least) << axis;
    const long double span = range[2 * axis + 1] - range[2 * axis];
    for (const CanvasCall& label : axes[axis]) {
      const int l = label.at[0], t = label.at[1], r = l + canvas.TextWidth(label.text) + canvas.TextWidth(" ");
      const int b = t + canvas.TextHeight(label.text);
      EXPECT_TRUE(l >= 0 && t >= 0 && r - canvas.TextWidth(" ") <= canvas.Width() && b <= canvas.Height()) << label.text;
      const int pixels = axis == 0 ? (l + r) / 2 - left : bottom - (t + b) / 2;
      const long double tick = range[2 * axis] + pixels * span / (axis == 0 ? width : height);
      EXPECT_NEAR(static_cast<double>(StrToFloat(label.text)), static_cast<double>(tick), static_cast<double>(span) / 15)
          << label.text;
      for (const std::vector<int>& o : boxes) EXPECT_FALSE(o[0] < r && l < o[2] && o[1] < b && t < o[3]) << label.text;
      boxes.push_back({l, t, r, b});
    }
  }
}

TEST_F(Graph2DScatterTest, AnAxisOfOneValueIsWidenedAboutItsDataAndCloseValuesReadApart) {
  // The loadings of two models: one X value (zero too), points spread on Y.
  for (long double x : {0.7071L, 0.0L, -250.0L}) {
    PlotTestData table({{x, 0.7071L}, {x, -0.7071L}});
    Draw(table);
    EXPECT_EQ(canvas.CallsOf(CallKind::Ellipse).size(), 2u) << x;
    EXPECT_NE(SymbolAt(321, 78), nullptr) << x;
    EXPECT_NE(SymbolAt(321, 507), nullptr) << x;
  }
  // Values closer than the labels' thousandths: the ticks still read apart, and
  // the range is the data's.
  PlotTestData narrow({{-0.0462L, -0.0462L}, {-0.0431L, -0.0431L}, {-0.0410L, -0.0410L}});
  canvas.ClearCalls();
  auto plot = std::make_unique<Graph2DScatter>(canvas, &narrow.data, 0);
  const std::vector<long double> range = RangeOf(*plot);
  for (const std::vector<CanvasCall>& labels : TickLabels(canvas, *plot)) EXPECT_EQ(labels.size(), 9u);
  ExpectTickLabelsReadApart(canvas, *plot);
  for (int axis : {0, 2}) {
    EXPECT_NEAR(static_cast<double>(range[axis] + range[axis + 1]) / 2, -0.0436, 1e-12);
    EXPECT_NEAR(static_cast<double>(range[axis + 1] - range[axis]), 0.0052 * 17 / 16, 1e-12);
  }
  // A range next to the largest value keeps finite ends.
  const long double largest = std::numeric_limits<long double>::max();
  PlotTestData huge({{0.5L * largest, 1}, {0.999L * largest, 2}});
  for (long double end : RangeOf(*Draw(huge))) EXPECT_TRUE(std::isfinite(end));
}

// Values whose labels in the axis format would all read "1.00E+03" or
// "1.00E+05", X labels in that format wider than a tick step, and one value.
TEST_F(Graph2DScatterTest, ARangeWithASpreadIsKeptAndItsTickLabelsReadApart) {
  Cells thousand, wide, equal;
  for (int i = 0; i < 6; ++i) {
    thousand.push_back({1000.0L + 16 * i, 1000 + i / 10.0L});
    wide.push_back({1e5L + i, 1e5L + i});
    equal.push_back({1000, 1000});
  }
  for (const Cells* rows : {&thousand, &wide, &equal}) {
    PlotTestData table(*rows);
    canvas.ClearCalls();
    Graph2DScatter plot(canvas, &table.data, 0);
    plot.DrawData();
    ExpectTickLabelsReadApart(canvas, plot);
    RecordingCanvas small(120, 100);  // the X label at the low end only
    ExpectTickLabelsReadApart(small, Graph2DScatter(small, &table.data, 0), 1);
    // Six points over the plot's height, a sixth of it apart; one value widened by a 32nd of it.
    const long double low = rows->front()[1].value(), high = rows->back()[1].value();
    const long double pad = low == high ? low / 32 : (high - low) / 32;
    EXPECT_NEAR(static_cast<double>(RangeOf(plot)[3] - RangeOf(plot)[2]), static_cast<double>(high - low + 2 * pad), 1e-9);
    const std::vector<CanvasCall> symbols = canvas.CallsOf(CallKind::Ellipse);
    for (std::size_t i = 1; i < symbols.size() && low < high; ++i) EXPECT_GT(symbols[i - 1].at[1] - symbols[i].at[1], 80);
  }
}

TEST_F(Graph2DScatterTest, ARangeFromTheDataHoldsTheErrorBarsWhole) {
  PlotTestData table({{0, 0}, {4, 4}, {8, 8}});
  table.SetUncertainty(1);
  auto plot = Draw(table);
  EXPECT_EQ(RangeOf(*plot), (std::vector<long double>{-0.25L, 8.25L, -1.3125L, 9.3125L}));
  int caps = 0;
  for (const CanvasCall& line : canvas.CallsOf(CallKind::LineTo)) caps += line.at[2] - line.at[0] == 7 ? 1 : 0;
  EXPECT_EQ(caps, 6);  // no bar is cut at the frame
}

TEST_F(Graph2DScatterTest, EmptyAndSinglePointData) {
  PlotTestData empty({});
  PlotTestData one({{5, 7}});
  empty.data.LabelType = one.data.LabelType = 1;
  Draw(empty);
  EXPECT_TRUE(canvas.Calls().empty());
  Draw(one);
  EXPECT_NE(SymbolAt(321, 292), nullptr);  // a range of one value is widened about it
  EXPECT_NE(canvas.FindText("1"), nullptr);
}

}  // namespace
