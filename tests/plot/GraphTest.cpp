#include "plot/Graph.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "plot/PlotTestData.h"

namespace {

// The base class with nothing of its own: ranges from the data, then the frame.
class FrameOnly : public Graph {
public:
  FrameOnly(Canvas& image, GraphData* data) : Graph(image, data) {
    ComputeXRange();
    ComputeYRange();
  }
  void DrawData() override {}
};

struct Range {
  long double xMin, xMax, yMin, yMax;
};

Range RangeOf(const Graph& graph) {
  Range r{};
  graph.GetRange(r.xMin, r.xMax, r.yMin, r.yMax);
  return r;
}

// The texts drawn under the X axis (their top is 8 below the box bottom).
std::vector<std::string> XLabels(const RecordingCanvas& canvas, int bottom) {
  std::vector<std::string> labels;
  for (const CanvasCall& call : canvas.CallsOf(CallKind::TextOut))
    if (call.at[1] == bottom + 8) labels.push_back(call.text);
  return labels;
}

}  // namespace

TEST(GraphTest, BoxAndTickSpacingFollowTheImageSize) {
  PlotTestData table({{1, 1}, {9, 9}});
  RecordingCanvas canvas(616, 577);
  FrameOnly graph(canvas, &table.data);
  EXPECT_EQ(graph.GetBoxLeft(), 77);
  EXPECT_EQ(graph.GetBoxRight(), 571);
  EXPECT_EQ(graph.GetBoxBottom(), 520);
  EXPECT_EQ(graph.GetBoxTop(), 57);
  graph.DrawFrame();
  int left, bottom, width, height;
  graph.GetPlotArea(left, bottom, width, height);
  EXPECT_EQ(width, 488);
  EXPECT_EQ(height, 456);
  // Major X ticks every 61 pixels up to 565, Y ticks every 57 up to 64.
  EXPECT_NE(canvas.FindLine(565, 521, 565, 528), nullptr);
  EXPECT_NE(canvas.FindLine(76, 64, 69, 64), nullptr);
  EXPECT_EQ(canvas.FindLine(626, 521, 626, 528), nullptr);
  // Axis lines: the X line ends one past the last tick, the Y line one above the top tick.
  EXPECT_NE(canvas.FindLine(77, 520, 566, 520), nullptr);
  EXPECT_NE(canvas.FindLine(77, 520, 77, 63), nullptr);
}

TEST(GraphTest, MinorTicksShareTheSparePixelsFromTheLeft) {
  PlotTestData table({{0, 0}, {8, 8}});
  RecordingCanvas canvas(616, 577);
  FrameOnly graph(canvas, &table.data);
  graph.DrawFrame();
  // step 61 = 10 * 6 + 1: the first sub-interval gets the spare pixel.
  std::vector<int> minor;
  for (const CanvasCall& line : canvas.CallsOf(CallKind::LineTo))
    if (line.at[1] == 521 && line.at[3] == 524 && line.at[0] < 138) minor.push_back(line.at[0]);
  EXPECT_EQ(minor, (std::vector<int>{83, 90, 96, 102, 108, 114, 120, 126, 132}));
  // Grid lines are silver and dotted, not at the axis itself.
  const CanvasCall* grid = canvas.FindLine(138, 520, 138, 63);
  ASSERT_NE(grid, nullptr);
  EXPECT_EQ(grid->pen.color, clSilver);
  EXPECT_EQ(grid->pen.style, PenStyle::Dot);
  EXPECT_EQ(canvas.FindLine(77, 520, 77, 63)->pen.style, PenStyle::Solid);
  EXPECT_NE(canvas.FindLine(78, 64, 565, 64), nullptr);  // Y grid up to the last X tick
}

TEST(GraphTest, TickLabelsSwitchToExponentOutsideTheThousandths) {
  struct Case {
    long double low, high;
    std::vector<std::string> labels;
  };
  const Case cases[] = {
      {0, 8, {"0.000", "1.000", "2.000", "3.000", "4.000", "5.000", "6.000", "7.000", "8.000"}},
      {-8, 0, {"-8.000", "-7.000", "-6.000", "-5.000", "-4.000", "-3.000", "-2.000", "-1.000", "0.000"}},
      {0, 8e6L, {"0.000", "1.00E+06", "2.00E+06", "3.00E+06", "4.00E+06", "5.00E+06", "6.00E+06", "7.00E+06",
                 "8.00E+06"}},
      {1e-6L, 9e-6L, {"1.00E-06", "2.00E-06", "3.00E-06", "4.00E-06", "5.00E-06", "6.00E-06", "7.00E-06",
                      "8.00E-06", "9.00E-06"}},
      {0.5L, 4.5L, {"0.500", "1.000", "1.500", "2.000", "2.500", "3.000", "3.500", "4.000", "4.500"}},
      {-900, 700, {"-900.000", "-700.000", "-500.000", "-300.000", "-100.000", "100.000", "300.000", "500.000",
                   "700.000"}},
  };
  for (const Case& c : cases) {
    PlotTestData table({{c.low, c.low}, {c.high, c.high}});
    RecordingCanvas canvas(616, 577);
    FrameOnly graph(canvas, &table.data);
    graph.DrawFrame();
    EXPECT_EQ(XLabels(canvas, 520), c.labels) << "range " << static_cast<double>(c.low);
    // The Y labels read the same, bottom to top.
    for (const std::string& label : c.labels) EXPECT_NE(canvas.FindText(label), nullptr);
  }
}

TEST(GraphTest, LabelsAreCentredOnTheirTicks) {
  PlotTestData table({{0, 0}, {8, 8}});
  RecordingCanvas canvas(616, 577);
  FrameOnly graph(canvas, &table.data);
  graph.DrawFrame();
  std::vector<CanvasCall> texts = canvas.CallsOf(CallKind::TextOut);
  const CanvasCall& first = texts[0];  // X label "0.000" at x = 77
  EXPECT_EQ(first.text, "0.000");
  EXPECT_EQ(first.at[0], 77 - canvas.TextWidth("0.000") / 2);
  EXPECT_EQ(first.at[1], 528);
  const CanvasCall* yTop = nullptr;  // the Y label of 8 at y = 64, right end 8 left of the axis
  for (const CanvasCall& t : texts)
    if (t.text == "8.000" && t.at[0] < 77) yTop = &t;
  ASSERT_NE(yTop, nullptr);
  EXPECT_EQ(yTop->at[0], 77 - canvas.TextWidth("8.000") - 8);
  EXPECT_EQ(yTop->at[1], 64 - canvas.TextHeight("8.000") / 2);
}

TEST(GraphTest, RangesComeFromRowsWithBothValues) {
  RecordingCanvas canvas(400, 300);
  {
    PlotTestData table({{3, 2}, {std::nullopt, 100}, {-1, 5}, {50, std::nullopt}});
    FrameOnly graph(canvas, &table.data);
    Range r = RangeOf(graph);
    EXPECT_EQ(r.xMin, -1);
    EXPECT_EQ(r.xMax, 3);
    EXPECT_EQ(r.yMin, 2);
    EXPECT_EQ(r.yMax, 5);
  }
  {
    PlotTestData table({});
    FrameOnly graph(canvas, &table.data);
    Range r = RangeOf(graph);
    EXPECT_EQ(r.xMin, 0);
    EXPECT_EQ(r.xMax, 0);
    EXPECT_EQ(r.yMin, 0);
    EXPECT_EQ(r.yMax, 0);
  }
  {
    PlotTestData table({{1, std::nullopt}, {2, std::nullopt}});
    FrameOnly graph(canvas, &table.data);
    Range r = RangeOf(graph);
    EXPECT_EQ(r.xMin, 0);
    EXPECT_EQ(r.xMax, 10);
    EXPECT_EQ(r.yMax, 10);
  }
  {
    PlotTestData table({{1, 2}, {2, 5}});
    table.data.Axis.ExtraY.Set(0);
    table.data.Axis.ExtraX.Set(7);
    FrameOnly graph(canvas, &table.data);
    Range r = RangeOf(graph);
    EXPECT_EQ(r.yMin, 0);
    EXPECT_EQ(r.yMax, 5);
    EXPECT_EQ(r.xMin, 1);
    EXPECT_EQ(r.xMax, 7);
  }
}

TEST(GraphTest, IntegerTicksMarkEachWholeNumberOnce) {
  PlotTestData table({{0, 0}, {3.5L, 1}});
  table.data.Axis.IntegerXTicks = true;
  RecordingCanvas canvas(616, 577);
  FrameOnly graph(canvas, &table.data);
  graph.DrawFrame();
  EXPECT_EQ(XLabels(canvas, 520), (std::vector<std::string>{"0", "1", "2", "3"}));
  // No minor ticks under the axis: every short line is a major tick.
  for (const CanvasCall& line : canvas.CallsOf(CallKind::LineTo))
    EXPECT_FALSE(line.at[1] == 521 && line.at[3] == 524);
  // The tick of 1 sits at the first pixel column past 1: 77 + ceil(488 / 3.5).
  EXPECT_NE(canvas.FindLine(217, 521, 217, 528), nullptr);
}

TEST(GraphTest, ReversedRangeRaisesEqualRangeDraws) {
  PlotTestData table({{2, 2}, {2, 2}});
  RecordingCanvas canvas(400, 300);
  FrameOnly graph(canvas, &table.data);
  EXPECT_NO_THROW(graph.DrawFrame());
  EXPECT_EQ(XLabels(canvas, graph.GetBoxBottom()), std::vector<std::string>(9, "2.000"));
  graph.SetRange(3, 1, 0, 1);
  canvas.ClearCalls();
  try {
    graph.DrawXAxis();
    FAIL() << "no exception";
  } catch (const GraphEx& e) {
    EXPECT_STREQ(e.what(), "Axes parameters error - min value greater than max value");
  }
  EXPECT_TRUE(canvas.Calls().empty());
  graph.SetRange(0, 1, 1, 0);
  EXPECT_THROW(graph.DrawYAxis(), GraphAxesParEx);
}

TEST(GraphTest, TitleBlockIsBlueWithBoldTitleAndCaption) {
  PlotTestData table({{0, 0}, {1, 1}});
  table.data.XAxisName = "Exp. endpoint";
  table.data.YAxisName = "Pred. by LOO";
  table.data.Caption = "Model 1";
  RecordingCanvas canvas(616, 577);
  FrameOnly graph(canvas, &table.data);
  graph.DrawFrame();
  const CanvasCall* title = canvas.FindText("Exp. endpoint vs. Pred. by LOO");
  ASSERT_NE(title, nullptr);
  EXPECT_TRUE(title->font.bold);
  EXPECT_EQ(title->font.color, clBlue);
  canvas.font.bold = true;
  EXPECT_EQ(title->at[0], 77 + 247 - canvas.TextWidth(title->text) / 2);
  const int h = canvas.TextHeight("x");
  EXPECT_EQ(title->at[1], 28 - h / 2);
  const CanvasCall* caption = canvas.FindText("Model 1");
  ASSERT_NE(caption, nullptr);
  EXPECT_TRUE(caption->font.bold);
  EXPECT_EQ(caption->at[0], 77);
  EXPECT_EQ(caption->at[1], 520 + 28 + h / 4);
  canvas.font.bold = false;
  const CanvasCall* xName = canvas.FindText("Exp. endpoint");
  ASSERT_NE(xName, nullptr);
  EXPECT_FALSE(xName->font.bold);
  EXPECT_EQ(xName->at[0], 571 - canvas.TextWidth("Exp. endpoint"));
  EXPECT_EQ(xName->at[1], caption->at[1]);
  const CanvasCall* yName = canvas.FindText("Pred. by LOO");
  ASSERT_NE(yName, nullptr);
  EXPECT_EQ(yName->at[0], 77);
  EXPECT_EQ(yName->at[1], 57 - 28 + h / 4);
  EXPECT_EQ(yName->font.color, clBlue);
}

TEST(GraphDataTest, FreeRowsReleasesBothRowSetsAndKeepsNames) {
  GraphData data;
  data.RowCount = 2;
  data.XAxisName = "x";
  data.tpGraphValue = new CheckedValue*[2]{new CheckedValue[3], new CheckedValue[3]};
  data.tpGraphUncert = new CheckedValue*[2]{new CheckedValue[3], new CheckedValue[3]};
  data.FreeRows();
  EXPECT_EQ(data.tpGraphValue, nullptr);
  EXPECT_EQ(data.tpGraphUncert, nullptr);
  EXPECT_EQ(data.XAxisName, "x");
  data.FreeRows();  // nothing left to free
  EXPECT_TRUE(data.Axis.KeepSymbolBoxes);
  EXPECT_FALSE(data.Axis.ExtraX.IsSet());
}
