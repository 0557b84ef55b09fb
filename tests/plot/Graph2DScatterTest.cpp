#include "plot/Graph2DScatter.h"

#include <gtest/gtest.h>

#include "plot/PlotTestData.h"

namespace {

// 616 x 577: plot area left 77, bottom 520, 488 x 456 after the axes.
constexpr int kW = 616;
constexpr int kH = 577;

// The symbol of a point centred at (x, y).
bool HasSymbol(const RecordingCanvas& canvas, int x, int y) {
  for (const CanvasCall& e : canvas.CallsOf(CallKind::Ellipse))
    if (e.at == std::vector<int>{x - 3, y - 3, x + 4, y + 4}) return true;
  return false;
}

const CanvasCall* SymbolAt(const RecordingCanvas& canvas, int x, int y) {
  for (const CanvasCall& call : canvas.Calls())
    if (call.kind == CallKind::Ellipse && call.at == std::vector<int>{x - 3, y - 3, x + 4, y + 4}) return &call;
  return nullptr;
}

std::vector<CanvasCall> LinesIn(const RecordingCanvas& canvas, TColor color, PenStyle style) {
  std::vector<CanvasCall> found;
  for (const CanvasCall& line : canvas.CallsOf(CallKind::LineTo))
    if (line.pen.color == color && line.pen.style == style) found.push_back(line);
  return found;
}

// Draws only the data of a scatter plot whose frame is already drawn.
void DrawDataOnly(Graph2DScatter& plot, RecordingCanvas& canvas) {
  canvas.ClearCalls();
  plot.DrawData();
}

}  // namespace

TEST(Graph2DScatterTest, PointsSitWhereTheRangeMapsThem) {
  PlotTestData table({{0, 0}, {8, 8}, {2, 6}, {3, std::nullopt}, {std::nullopt, 1}});
  table.data.LabelType = 2;
  RecordingCanvas canvas(kW, kH);
  Graph2DScatter plot(canvas, &table.data, 0);
  DrawDataOnly(plot, canvas);
  EXPECT_EQ(canvas.CallsOf(CallKind::Ellipse).size(), 3u);
  EXPECT_TRUE(HasSymbol(canvas, 77, 520));
  EXPECT_TRUE(HasSymbol(canvas, 565, 64));
  EXPECT_TRUE(HasSymbol(canvas, 77 + 122, 520 - 342));
  const CanvasCall* symbol = SymbolAt(canvas, 77, 520);
  EXPECT_EQ(symbol->brush.color, clAqua);  // no groups: aqua
  EXPECT_EQ(symbol->brush.style, BrushStyle::Solid);
  EXPECT_EQ(symbol->pen.color, clBlack);
  // The symbol box goes into the label record; rows with a missing value stay untouched.
  const LabelPlotParam& kept = table.Label(2);
  EXPECT_EQ((std::vector<int>{kept.SymbolLeft, kept.SymbolTop, kept.SymbolRight, kept.SymbolBottom}),
            (std::vector<int>{196, 175, 203, 182}));
  EXPECT_FALSE(table.Label(3).IsPlaced());
  EXPECT_EQ(table.Label(3).SymbolRight, 0);
  EXPECT_FALSE(table.Label(4).IsPlaced());
  EXPECT_EQ(canvas.FindText("E4"), nullptr);
  EXPECT_EQ(canvas.FindText("E5"), nullptr);
}

TEST(Graph2DScatterTest, LabelsAreBoxedAboveTheirPointsAfterAllPoints) {
  PlotTestData table({{0, 0}, {8, 8}, {2, 6}});
  table.data.LabelType = 2;
  RecordingCanvas canvas(kW, kH);
  Graph2DScatter plot(canvas, &table.data, 0);
  DrawDataOnly(plot, canvas);
  const int hw = canvas.TextWidth("E3") / 2;
  const int th = canvas.TextHeight("E3");
  const LabelPlotParam& box = table.Label(2);
  EXPECT_EQ(box.LabelLeft, 199 - hw - 8);
  EXPECT_EQ(box.LabelTop, 178 - 18);
  EXPECT_EQ(box.LabelRight, 199 + hw + 8);
  EXPECT_EQ(box.LabelBottom, 178 + th - 14);
  const CanvasCall* text = canvas.FindText("E3");
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(text->at, (std::vector<int>{box.LabelLeft + 8, box.LabelTop + 2}));
  // Leader from the point to the box centre.
  EXPECT_NE(canvas.FindLine(199, 178, box.LabelLeft + (box.LabelRight - box.LabelLeft) / 2,
                            box.LabelTop + (box.LabelBottom - box.LabelTop) / 2),
            nullptr);
  // Light-yellow rounded boxes, all drawn after the last symbol.
  std::vector<CanvasCall> boxes = canvas.CallsOf(CallKind::RoundRect);
  ASSERT_EQ(boxes.size(), 3u);
  EXPECT_EQ(boxes[2].at, (std::vector<int>{box.LabelLeft, box.LabelTop, box.LabelRight, box.LabelBottom, 16, 16}));
  EXPECT_EQ(boxes[2].brush.color, 0xC0FFFFu);
  EXPECT_EQ(canvas.Calls().back().kind, CallKind::TextOut);
  int lastSymbol = 0, firstBox = 0;
  for (int i = 0; i < static_cast<int>(canvas.Calls().size()); ++i) {
    if (canvas.Calls()[i].kind == CallKind::Ellipse) lastSymbol = i;
    if (canvas.Calls()[i].kind == CallKind::RoundRect && firstBox == 0) firstBox = i;
  }
  EXPECT_LT(lastSymbol, firstBox);
  // A placed box stays where it is on the next drawing.
  table.Label(2).LabelLeft += 50;
  table.Label(2).LabelRight += 50;
  DrawDataOnly(plot, canvas);
  EXPECT_EQ(canvas.FindText("E3")->at[0], box.LabelLeft + 8);
}

TEST(Graph2DScatterTest, LabelBoxesStayInsideTheImage) {
  PlotTestData table({{0, 0}, {10, 10}});
  table.data.LabelType = 2;
  table.data.ElementNames[1] = "A long label at the corner";
  RecordingCanvas canvas(200, 100);  // box 36..196 x 10..90: the top point is at y = 10
  Graph2DScatter plot(canvas, &table.data, 0);
  plot.DrawData();
  const LabelPlotParam& corner = table.Label(1);
  EXPECT_EQ(corner.LabelTop, 0);
  EXPECT_EQ(corner.LabelBottom, 10 + canvas.TextHeight("x") - 14 + 8);
  EXPECT_EQ(corner.LabelRight, 200);
  EXPECT_EQ(corner.LabelRight - corner.LabelLeft, 2 * (canvas.TextWidth(table.data.ElementNames[1]) / 2) + 16);
  const LabelPlotParam& origin = table.Label(0);  // the lowest point's box reaches past the bottom
  EXPECT_LE(origin.LabelBottom, 100);
  EXPECT_GE(origin.LabelLeft, 0);
}

TEST(Graph2DScatterTest, PointsOutsideTheConstructorBoxAreNotDrawn) {
  PlotTestData table({{0, 0}, {8, 8}, {8.1L, 4}, {8.2L, 5}});
  table.data.LabelType = 1;
  RecordingCanvas canvas(kW, kH);
  Graph2DScatter plot(canvas, &table.data, 0);
  plot.SetRange(0, 8, 0, 8);
  canvas.ClearCalls();
  plot.Redraw();
  EXPECT_EQ(canvas.Calls()[0].kind, CallKind::FillRect);
  EXPECT_EQ(canvas.Calls()[0].at, (std::vector<int>{0, 0, kW, kH}));
  EXPECT_EQ(canvas.Calls()[0].brush.color, clWhite);
  EXPECT_TRUE(HasSymbol(canvas, 565, 64));          // on X max: left + width
  EXPECT_TRUE(HasSymbol(canvas, 571, 292));         // right of the last tick, inside the box
  EXPECT_EQ(canvas.CallsOf(CallKind::Ellipse).size(), 3u);  // 577 > box right 571
  EXPECT_NE(canvas.FindText("3"), nullptr);
  EXPECT_EQ(canvas.FindText("4"), nullptr);
}

TEST(Graph2DScatterTest, SingleLabelsShowOnlyTheChosenElements) {
  PlotTestData table({{0, 0}, {8, 8}, {2, 6}});
  table.data.LabelType = 2;
  RecordingCanvas canvas(kW, kH);
  Graph2DScatter plot(canvas, &table.data, 1);
  DrawDataOnly(plot, canvas);
  EXPECT_EQ(canvas.CallsOf(CallKind::Ellipse).size(), 3u);
  EXPECT_TRUE(canvas.CallsOf(CallKind::RoundRect).empty());
  EXPECT_TRUE(canvas.CallsOf(CallKind::LineTo).empty());  // no leader lines
  EXPECT_TRUE(plot.IsLabelShown(&table.data, 1) == false);
  table.Label(1).Shown = true;
  DrawDataOnly(plot, canvas);
  EXPECT_EQ(canvas.CallsOf(CallKind::RoundRect).size(), 1u);
  EXPECT_NE(canvas.FindText("E2"), nullptr);
  EXPECT_EQ(canvas.CallsOf(CallKind::LineTo).size(), 1u);
}

TEST(Graph2DScatterTest, SymmetricAndSameRangeOptionsAdjustTheRanges) {
  long double xMin, xMax, yMin, yMax;
  RecordingCanvas canvas(kW, kH);
  {
    PlotTestData table({{0, -2.5L}, {1, 4.2L}});
    table.data.Axis.Symmetric = true;
    Graph2DScatter plot(canvas, &table.data, 0);
    plot.GetRange(xMin, xMax, yMin, yMax);
    EXPECT_EQ(yMin, -5);
    EXPECT_EQ(yMax, 5);
    EXPECT_EQ(xMax, 1);
  }
  {
    PlotTestData table({{1, 0}, {3, 5}});
    table.data.Axis.SameRange = true;
    Graph2DScatter plot(canvas, &table.data, 0);
    plot.GetRange(xMin, xMax, yMin, yMax);
    EXPECT_EQ(xMin, 0);
    EXPECT_EQ(yMin, 0);
    EXPECT_EQ(xMax, 5);
    EXPECT_EQ(yMax, 5);
    DrawDataOnly(plot, canvas);
    EXPECT_NE(canvas.FindLine(77, 520, 565, 64), nullptr);
  }
}

TEST(Graph2DScatterTest, ReferenceLinesAppearOnlyInsideTheRange) {
  PlotTestData table({{0, -4}, {8, 4}});
  AxisParams& axis = table.data.Axis;
  axis.HorizontalLines = true;
  axis.FirstLineY = -2;
  axis.SecondLineY = 2;
  axis.FullWidth = true;
  axis.VerticalLine = true;
  axis.VerticalLineX = 2;
  axis.ZeroLine = true;
  RecordingCanvas canvas(kW, kH);
  Graph2DScatter plot(canvas, &table.data, 0);
  DrawDataOnly(plot, canvas);
  // Y: -4..4 over 456 pixels, 57 per unit.
  std::vector<CanvasCall> dashed = LinesIn(canvas, clBlack, PenStyle::Dash);
  ASSERT_EQ(dashed.size(), 2u);
  EXPECT_EQ(dashed[0].at, (std::vector<int>{77, 406, 565, 406}));
  EXPECT_EQ(dashed[1].at, (std::vector<int>{77, 178, 565, 178}));
  EXPECT_NE(canvas.FindLine(199, 520, 199, 64), nullptr);  // vertical at X = 2
  EXPECT_NE(canvas.FindLine(77, 292, 565, 292), nullptr);  // zero line

  axis.FullWidth = false;
  axis.LineEndX = 4;
  DrawDataOnly(plot, canvas);
  EXPECT_EQ(LinesIn(canvas, clBlack, PenStyle::Dash)[0].at, (std::vector<int>{77, 406, 321, 406}));

  axis.SecondLineY = 4.5L;  // one line outside: neither is drawn
  axis.VerticalLineX = 9;
  DrawDataOnly(plot, canvas);
  EXPECT_TRUE(LinesIn(canvas, clBlack, PenStyle::Dash).empty());
  EXPECT_EQ(canvas.FindLine(199, 520, 199, 64), nullptr);
}

TEST(Graph2DScatterTest, BandLinesRunParallelToTheDiagonal) {
  PlotTestData table({{0, 0}, {8, 8}});
  table.data.Axis.SameRange = true;
  table.data.Axis.Band = true;
  table.data.Axis.BandOffset = 2;
  RecordingCanvas canvas(kW, kH);
  Graph2DScatter plot(canvas, &table.data, 0);
  DrawDataOnly(plot, canvas);
  std::vector<CanvasCall> dashed = LinesIn(canvas, clBlack, PenStyle::Dash);
  ASSERT_EQ(dashed.size(), 2u);
  EXPECT_EQ(dashed[0].at, (std::vector<int>{77, 406, 443, 64}));
  EXPECT_EQ(dashed[1].at, (std::vector<int>{199, 520, 565, 178}));
  // Flat axes give no scale for the band: nothing is drawn, nothing fails.
  PlotTestData flat({{3, 3}, {3, 3}});
  flat.data.Axis.Band = true;
  flat.data.Axis.BandOffset = 2;
  Graph2DScatter flatPlot(canvas, &flat.data, 0);
  DrawDataOnly(flatPlot, canvas);
  EXPECT_TRUE(LinesIn(canvas, clBlack, PenStyle::Dash).empty());
}

TEST(Graph2DScatterTest, RegressionLineIsClippedAtItsEnds) {
  // Group 0 lies on y = x; group 1 widens X to 0 so the line's left end is below Y min.
  PlotTestData table({{2, 2}, {4, 4}, {0, 3}});
  table.SetGroups({0, 0, 1}, {clYellow, clRed});
  table.data.Axis.GroupRegression = true;
  table.data.Axis.RegressionGroup = 0;
  RecordingCanvas canvas(kW, kH);
  Graph2DScatter plot(canvas, &table.data, 0);
  EXPECT_NEAR(static_cast<double>(plot.GetSlope()), 1.0, 1e-15);
  EXPECT_NEAR(static_cast<double>(plot.GetIntercept()), 0.0, 1e-15);
  DrawDataOnly(plot, canvas);
  std::vector<CanvasCall> blue = LinesIn(canvas, clBlue, PenStyle::Solid);
  ASSERT_EQ(blue.size(), 1u);
  EXPECT_EQ(blue[0].at, (std::vector<int>{321, 520, 565, 64}));
  EXPECT_EQ(SymbolAt(canvas, 77, 292)->brush.color, clRed);
  EXPECT_EQ(SymbolAt(canvas, 321, 520)->brush.color, clYellow);

  // A flat line below the forced range: its right end stays below the area.
  PlotTestData flat({{0, 1}, {4, 1}, {2, 3}});
  flat.SetGroups({0, 0, 1}, {clYellow, clRed});
  flat.data.Axis.GroupRegression = true;
  Graph2DScatter flatPlot(canvas, &flat.data, 0);
  flatPlot.SetRange(0, 4, 2, 5);
  canvas.ClearCalls();
  flatPlot.Redraw();
  EXPECT_TRUE(LinesIn(canvas, clBlue, PenStyle::Solid).empty());
}

TEST(Graph2DScatterTest, GroupWithoutALineClearsTheRegressionFlag) {
  RecordingCanvas canvas(kW, kH);
  for (const Cells& rows : {Cells{{1, 2}, {1, 5}, {3, 0}}, Cells{{1, 2}, {2, std::nullopt}, {3, 0}}}) {
    PlotTestData table(rows);
    table.SetGroups({0, 0, 1}, {clYellow, clRed});
    table.data.Axis.GroupRegression = true;
    Graph2DScatter plot(canvas, &table.data, 0);
    EXPECT_FALSE(table.data.Axis.GroupRegression);
    EXPECT_EQ(plot.GetSlope(), 0);
    EXPECT_EQ(plot.GetIntercept(), 0);
    DrawDataOnly(plot, canvas);
    EXPECT_TRUE(LinesIn(canvas, clBlue, PenStyle::Solid).empty());
  }
}

TEST(Graph2DScatterTest, ElementsOutsideTheGroupsAreNotDrawnAtAll) {
  PlotTestData table({{0, 0}, {4, 4}, {8, 8}});
  table.data.LabelType = 2;
  table.SetGroups({0, -1, 5}, {clBlue, clRed});
  RecordingCanvas canvas(kW, kH);
  Graph2DScatter plot(canvas, &table.data, 0);
  DrawDataOnly(plot, canvas);
  EXPECT_EQ(canvas.CallsOf(CallKind::Ellipse).size(), 1u);
  EXPECT_EQ(SymbolAt(canvas, 77, 520)->brush.color, clBlue);
  EXPECT_EQ(canvas.FindText("E2"), nullptr);
  EXPECT_FALSE(table.Label(1).IsPlaced());
  EXPECT_FALSE(table.Label(2).IsPlaced());
}

TEST(Graph2DScatterTest, LegendListsTheGroupsInABox) {
  PlotTestData table({{0, 0}, {8, 8}});
  std::string names[] = {"Training", "Prediction"};
  table.SetGroups({0, 1}, {clYellow, clBlue});
  table.data.Axis.Legend = true;
  table.data.Axis.LegendNames = names;
  RecordingCanvas canvas(kW, kH);
  Graph2DScatter plot(canvas, &table.data, 0);
  DrawDataOnly(plot, canvas);
  const int maxW = canvas.TextWidth("Prediction");
  const int maxH = canvas.TextHeight("Prediction");
  const int x0 = 565 - maxW;
  std::vector<CanvasCall> rects = canvas.CallsOf(CallKind::Rectangle);
  ASSERT_EQ(rects.size(), 1u);
  EXPECT_EQ(rects[0].at, (std::vector<int>{x0 - 15, 2, 569, 2 * maxH + 8}));
  EXPECT_EQ(rects[0].brush.color, 0xE0FFFFu);
  EXPECT_EQ(canvas.FindText("Prediction")->at, (std::vector<int>{x0, maxH + 4}));
  const int cy = maxH + 4 + maxH / 2;
  const CanvasCall* dot = SymbolAt(canvas, x0 - 8, cy);
  ASSERT_NE(dot, nullptr);
  EXPECT_EQ(dot->brush.color, clBlue);
}

TEST(Graph2DScatterTest, ErrorBarsHaveCapsInsideThePlotArea) {
  PlotTestData table({{0, 0}, {4, 4}, {8, 8}});
  table.SetUncertainty(1);  // 57 pixels
  RecordingCanvas canvas(kW, kH);
  Graph2DScatter plot(canvas, &table.data, 0);
  DrawDataOnly(plot, canvas);
  EXPECT_NE(canvas.FindLine(318, 235, 325, 235), nullptr);  // caps of the middle point
  EXPECT_NE(canvas.FindLine(318, 349, 325, 349), nullptr);
  EXPECT_NE(canvas.FindLine(321, 235, 321, 349), nullptr);
  EXPECT_NE(canvas.FindLine(565, 64, 565, 121), nullptr);  // clipped at the top, no cap there
  EXPECT_EQ(canvas.FindLine(562, 64, 569, 64), nullptr);
  EXPECT_NE(canvas.FindLine(562, 121, 569, 121), nullptr);
  EXPECT_NE(canvas.FindLine(77, 463, 77, 520), nullptr);  // clipped at the bottom
  EXPECT_EQ(canvas.FindLine(74, 520, 81, 520), nullptr);

  PlotTestData flat({{0, 3}, {4, 3}});
  flat.SetUncertainty(1);
  Graph2DScatter flatPlot(canvas, &flat.data, 0);
  DrawDataOnly(flatPlot, canvas);
  EXPECT_TRUE(canvas.CallsOf(CallKind::LineTo).empty());
  EXPECT_EQ(canvas.CallsOf(CallKind::Ellipse).size(), 2u);
}

TEST(Graph2DScatterTest, OriginVectorsRunFromTheOriginInBlue) {
  PlotTestData table({{-4, -4}, {4, 4}});
  table.data.Axis.OriginVectors = true;
  table.data.Axis.KeepSymbolBoxes = false;
  RecordingCanvas canvas(kW, kH);
  Graph2DScatter plot(canvas, &table.data, 0);
  DrawDataOnly(plot, canvas);
  std::vector<CanvasCall> blue = LinesIn(canvas, clBlue, PenStyle::Solid);
  ASSERT_EQ(blue.size(), 2u);
  EXPECT_EQ(blue[0].at, (std::vector<int>{321, 292, 77, 520}));
  EXPECT_EQ(blue[1].at, (std::vector<int>{321, 292, 565, 64}));
  EXPECT_EQ(table.Label(1).SymbolRight, 0);  // boxes not kept
}

TEST(Graph2DScatterTest, EmptyAndSinglePointDataDrawSafely) {
  RecordingCanvas canvas(kW, kH);
  PlotTestData empty({});
  empty.data.LabelType = 1;
  Graph2DScatter emptyPlot(canvas, &empty.data, 0);
  DrawDataOnly(emptyPlot, canvas);
  EXPECT_TRUE(canvas.Calls().empty());

  PlotTestData one({{5, 7}});
  one.data.LabelType = 1;
  one.data.Axis.ZeroLine = true;
  Graph2DScatter onePlot(canvas, &one.data, 0);
  DrawDataOnly(onePlot, canvas);
  EXPECT_TRUE(HasSymbol(canvas, 77, 520));  // zero spans map to the corner
  EXPECT_NE(canvas.FindText("1"), nullptr);
}
