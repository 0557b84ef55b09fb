#include "plot/Graph2DHist.h"

#include <gtest/gtest.h>

#include "plot/PlotTestData.h"

namespace {

// 616 x 577: plot area left 77, bottom 520, 494 wide and, after the Y axis, 456 high.
constexpr int kW = 616;
constexpr int kH = 577;

PlotTestData Column(std::vector<std::optional<long double>> values) {
  Cells rows;
  for (const auto& v : values) rows.push_back({v});
  return PlotTestData(rows);
}

struct YRange {
  long double low, high;
};

YRange RangeOf(const Graph& graph) {
  long double xMin, xMax, yMin, yMax;
  graph.GetRange(xMin, xMax, yMin, yMax);
  return {yMin, yMax};
}

}  // namespace

TEST(Graph2DHistTest, OneBarPerRowFromTheRangeBottom) {
  PlotTestData table = Column({1, 2, std::nullopt, 4});
  table.data.LabelType = 2;
  RecordingCanvas canvas(kW, kH);
  Graph2DHist hist(canvas, &table.data, 0, 0);
  EXPECT_EQ(RangeOf(hist).low, 1);
  EXPECT_EQ(RangeOf(hist).high, 4);
  canvas.ClearCalls();
  hist.DrawData();
  // 4 elements of 123 pixels (gap 6) every 123.25 pixels; 152 pixels per unit.
  std::vector<CanvasCall> bars = canvas.CallsOf(CallKind::Rectangle);
  ASSERT_EQ(bars.size(), 2u);  // the minimum gives no bar, the missing value none either
  EXPECT_EQ(bars[0].at, (std::vector<int>{206, 521, 317, 368}));
  EXPECT_EQ(bars[1].at, (std::vector<int>{452, 521, 563, 64}));
  EXPECT_EQ(bars[1].brush.color, clAqua);
  // Labels for every present value, anchored at the bar top.
  EXPECT_NE(canvas.FindText("E1"), nullptr);
  EXPECT_EQ(canvas.FindText("E3"), nullptr);
  const LabelPlotParam& box = table.Label(3);
  EXPECT_EQ(box.LabelTop, 64 - 18);
  EXPECT_EQ(box.LabelLeft, 446 + 61 - canvas.TextWidth("E4") / 2 - 8);
}

TEST(Graph2DHistTest, TransposedChartShowsOneRowOverTheColumns) {
  PlotTestData table({{9, 9, 9}, {3, std::nullopt, 6}});
  std::string columns[] = {"MW", "logP", "TPSA"};
  table.data.ColumnNames = columns;
  table.data.XColumn = 1;
  table.data.LabelType = 2;
  RecordingCanvas canvas(kW, kH);
  Graph2DHist hist(canvas, &table.data, 1, 0);
  EXPECT_EQ(RangeOf(hist).low, 3);
  EXPECT_EQ(RangeOf(hist).high, 6);
  canvas.ClearCalls();
  hist.DrawData();
  EXPECT_EQ(canvas.CallsOf(CallKind::Rectangle).size(), 1u);
  EXPECT_NE(canvas.FindText("MW"), nullptr);
  EXPECT_NE(canvas.FindText("TPSA"), nullptr);
  EXPECT_EQ(canvas.FindText("logP"), nullptr);
  table.data.LabelType = 1;
  canvas.ClearCalls();
  hist.DrawData();
  EXPECT_NE(canvas.FindText("3"), nullptr);  // ordinal of the third column
}

TEST(Graph2DHistTest, ZeroBaseAnchorsTheRangeAtZero) {
  RecordingCanvas canvas(kW, kH);
  PlotTestData positive = Column({2, 5});
  Graph2DHist positiveHist(canvas, &positive.data, 0, 1);
  EXPECT_EQ(RangeOf(positiveHist).low, 0);
  EXPECT_EQ(RangeOf(positiveHist).high, 5);

  PlotTestData mixed = Column({-3, -1, 5});
  mixed.data.LabelType = 1;
  Graph2DHist mixedHist(canvas, &mixed.data, 0, 1);
  EXPECT_EQ(RangeOf(mixedHist).low, -3);
  EXPECT_EQ(RangeOf(mixedHist).high, 0);
  canvas.ClearCalls();
  mixedHist.DrawData();
  std::vector<CanvasCall> bars = canvas.CallsOf(CallKind::Rectangle);
  ASSERT_EQ(bars.size(), 1u);  // -1 only: no bar above the range
  EXPECT_EQ(bars[0].at[3], 520 - 304);
  EXPECT_EQ(canvas.FindText("3"), nullptr);
  for (const CanvasCall& call : canvas.Calls())
    for (std::size_t i = 1; i < call.at.size() && call.kind != CallKind::TextOut; i += 2) EXPECT_GE(call.at[i], 0);
}

TEST(Graph2DHistTest, NarrowElementsAreThreePixelsWide) {
  std::vector<std::optional<long double>> values(200, 2.0L);
  values[0] = 1;
  PlotTestData table = Column(values);
  RecordingCanvas canvas(kW, kH);
  Graph2DHist hist(canvas, &table.data, 0, 0);
  canvas.ClearCalls();
  hist.DrawData();
  std::vector<CanvasCall> bars = canvas.CallsOf(CallKind::Rectangle);
  ASSERT_EQ(bars.size(), 199u);
  EXPECT_EQ(bars[0].at, (std::vector<int>{79, 521, 82, 64}));  // x = 77 + trunc(2.465)
  EXPECT_EQ(bars[1].at[0], 81);
}

TEST(Graph2DHistTest, EmptyChartsDrawOnlyTheirFrame) {
  RecordingCanvas canvas(kW, kH);
  PlotTestData empty = Column({});
  empty.data.LabelType = 1;
  Graph2DHist emptyHist(canvas, &empty.data, 0, 0);
  EXPECT_EQ(RangeOf(emptyHist).low, 0);
  EXPECT_EQ(RangeOf(emptyHist).high, 0);
  EXPECT_NE(canvas.FindLine(77, 520, 570, 520), nullptr);
  canvas.ClearCalls();
  emptyHist.DrawData();
  EXPECT_TRUE(canvas.CallsOf(CallKind::Rectangle).empty());
  EXPECT_TRUE(canvas.CallsOf(CallKind::TextOut).empty());

  PlotTestData noColumns(Cells{{}});
  noColumns.data.ColCount = 0;
  Graph2DHist noColumnsHist(canvas, &noColumns.data, 1, 1);
  canvas.ClearCalls();
  noColumnsHist.DrawData();
  EXPECT_TRUE(canvas.CallsOf(CallKind::Rectangle).empty());

  PlotTestData noSuchRow({{1, 2}});
  noSuchRow.data.XColumn = 1;  // a transposed chart of a row that does not exist
  Graph2DHist noSuchRowHist(canvas, &noSuchRow.data, 1, 0);
  canvas.ClearCalls();
  noSuchRowHist.DrawData();
  EXPECT_TRUE(canvas.CallsOf(CallKind::Rectangle).empty());
}

TEST(Graph2DHistTest, TitleAndYTextAboveTheBox) {
  RecordingCanvas canvas(kW, kH);
  PlotTestData table = Column({1, 2});
  table.data.XAxisName = "logP";
  Graph2DHist hist(canvas, &table.data, 0, 0);
  const int h = canvas.TextHeight("x");
  const CanvasCall* title = canvas.FindText("logP");
  ASSERT_NE(title, nullptr);
  EXPECT_TRUE(title->font.bold);
  canvas.font.bold = true;
  EXPECT_EQ(title->at, (std::vector<int>{77 + 247 - canvas.TextWidth("logP") / 2, 32 - h / 2}));
  canvas.font.bold = false;
  const CanvasCall* yText = canvas.FindText("Value");
  ASSERT_NE(yText, nullptr);
  EXPECT_EQ(yText->at, (std::vector<int>{77 - canvas.TextWidth("Value") / 2, 64 - 28 + h / 4}));
  EXPECT_EQ(yText->font.color, clBlue);

  canvas.ClearCalls();
  Graph2DHist custom(canvas, &table.data, 0, 1, "Rel. freq.", "Selected models variables: logP");
  EXPECT_NE(canvas.FindText("Rel. freq."), nullptr);
  EXPECT_NE(canvas.FindText("Selected models variables: logP"), nullptr);
}
