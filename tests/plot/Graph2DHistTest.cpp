#include "plot/Graph2DHist.h"

#include <gtest/gtest.h>

#include "plot/PlotTestData.h"

namespace {

// 616 x 577: plot area left 77, bottom 520, 494 wide and, after the Y axis, 456 high.
std::vector<long double> YRangeOf(const Graph& graph) { return {RangeOf(graph)[2], RangeOf(graph)[3]}; }

std::vector<std::vector<int>> Bars(RecordingCanvas& canvas, Graph& chart) {
  canvas.ClearCalls();
  chart.DrawData();
  std::vector<std::vector<int>> bars;
  for (const CanvasCall& call : canvas.CallsOf(CallKind::Rectangle)) bars.push_back(call.at);
  return bars;
}

}  // namespace

TEST(Graph2DHistTest, OneBarPerRowFromTheRangeBottom) {
  PlotTestData table(Column({1, 2, std::nullopt, 4}));
  table.data.LabelType = 2;
  RecordingCanvas canvas(616, 577);
  Graph2DHist hist(canvas, &table.data, 0, 0);
  EXPECT_EQ(YRangeOf(hist), (std::vector<long double>{1, 4}));
  // Elements every 123.25 pixels, 123 wide with a gap of 6; 152 pixels per unit.
  // The minimum gives no bar, the missing value none either.
  EXPECT_EQ(Bars(canvas, hist), (std::vector<std::vector<int>>{{206, 521, 317, 368}, {452, 521, 563, 64}}));
  EXPECT_NE(canvas.FindText("E1"), nullptr);
  EXPECT_EQ(canvas.FindText("E3"), nullptr);
  const LabelPlotParam& box = table.Label(3);
  EXPECT_EQ(box.LabelTop, 64 - 18);
  EXPECT_EQ(box.LabelLeft, 507 - canvas.TextWidth("E4") / 2 - 8);
}

// The table gives two label records (one per row) for three column bars: the
// chart keeps its own record for the third instead of reading past them.
TEST(Graph2DHistTest, TransposedChartShowsOneRowOverTheColumns) {
  PlotTestData table({{9, 9, 9}, {3, std::nullopt, 6}});
  std::string columns[] = {"MW", "logP", "TPSA"};
  table.data.ColumnNames = columns;
  table.data.XColumn = 1;
  table.data.LabelType = 2;
  RecordingCanvas canvas(616, 577);
  Graph2DHist hist(canvas, &table.data, 1, 0);
  EXPECT_EQ(YRangeOf(hist), (std::vector<long double>{3, 6}));
  EXPECT_EQ(Bars(canvas, hist).size(), 1u);
  EXPECT_NE(canvas.FindText("TPSA"), nullptr);
  EXPECT_EQ(canvas.FindText("logP"), nullptr);
  table.data.LabelType = 1;
  Bars(canvas, hist);
  EXPECT_NE(canvas.FindText("3"), nullptr);  // ordinal of the third column
}

TEST(Graph2DHistTest, ZeroBaseAnchorsTheRangeAtZero) {
  RecordingCanvas canvas(616, 577);
  PlotTestData positive(Column({2, 5}));
  EXPECT_EQ(YRangeOf(Graph2DHist(canvas, &positive.data, 0, 1)), (std::vector<long double>{0, 5}));
  PlotTestData mixed(Column({-3, -1, 5}));
  mixed.data.LabelType = 1;
  Graph2DHist hist(canvas, &mixed.data, 0, 1);
  EXPECT_EQ(YRangeOf(hist), (std::vector<long double>{-3, 0}));
  // No bar and no label above the range: only -1 shows.
  EXPECT_EQ(Bars(canvas, hist), (std::vector<std::vector<int>>{{249, 521, 397, 216}}));
  EXPECT_EQ(canvas.FindText("3"), nullptr);
}

TEST(Graph2DHistTest, EmptyChartsDrawOnlyTheirFrame) {
  RecordingCanvas canvas(616, 577);
  PlotTestData empty(Column({}));
  empty.data.LabelType = 1;
  Graph2DHist emptyHist(canvas, &empty.data, 0, 0);
  EXPECT_EQ(YRangeOf(emptyHist), (std::vector<long double>{0, 0}));
  EXPECT_NE(canvas.FindLine(77, 520, 570, 520), nullptr);
  EXPECT_TRUE(Bars(canvas, emptyHist).empty());
  EXPECT_TRUE(canvas.Calls().empty());
  PlotTestData noColumns(Cells{{}});
  Graph2DHist noColumnsHist(canvas, &noColumns.data, 1, 1);
  EXPECT_TRUE(Bars(canvas, noColumnsHist).empty());
  PlotTestData noSuchRow({{1, 2}});
  noSuchRow.data.XColumn = 1;  // transposed over a row that does not exist
  Graph2DHist noSuchRowHist(canvas, &noSuchRow.data, 1, 0);
  EXPECT_TRUE(Bars(canvas, noSuchRowHist).empty());
}

TEST(Graph2DHistTest, ARangeWhoseSpanOverflowsHasFiniteTicksAndNoBars) {
  PlotTestData table(Column({1e4932L, -1e4932L, 0}));
  table.data.LabelType = 1;
  RecordingCanvas canvas(616, 577);
  Graph2DHist hist(canvas, &table.data, 0, 0);
  std::vector<std::string> ticks;
  for (const CanvasCall& call : canvas.CallsOf(CallKind::TextOut))
    if (call.at[0] < 77) ticks.push_back(call.text);
  EXPECT_EQ(ticks, (std::vector<std::string>{"-1.00E+4932", "-7.50E+4931", "-5.00E+4931", "-2.50E+4931", "0.000",
                                             "2.50E+4931", "5.00E+4931", "7.50E+4931", "1.00E+4932", "Value"}));
  // Like an empty range: every label stands on the axis and no bar is drawn.
  EXPECT_TRUE(Bars(canvas, hist).empty());
  for (const CanvasCall& call : canvas.CallsOf(CallKind::TextOut)) EXPECT_GT(call.at[1], 480) << call.text;
}
