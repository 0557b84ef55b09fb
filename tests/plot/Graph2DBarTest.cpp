#include "plot/Graph2DBar.h"

#include <gtest/gtest.h>

#include "plot/PlotTestData.h"

namespace {

// 616 x 577: plot area left 77, bottom 520, 494 x 463 (the bar chart keeps its width).
constexpr int kW = 616;
constexpr int kH = 577;

PlotTestData Column(std::vector<std::optional<long double>> values) {
  Cells rows;
  for (const auto& v : values) rows.push_back({v});
  return PlotTestData(rows);
}

std::vector<int> Counts(const Graph2DBar& bar) {
  std::vector<int> counts;
  for (int k = 0; k < bar.GetClassCount(); ++k) counts.push_back(bar.GetClassValue(k));
  return counts;
}

std::vector<std::string> YLabels(const RecordingCanvas& canvas) {
  std::vector<std::string> labels;
  for (const CanvasCall& t : canvas.CallsOf(CallKind::TextOut))
    if (t.at[0] < 77 && t.font.color == clBlack) labels.push_back(t.text);
  return labels;
}

}  // namespace

TEST(Graph2DBarTest, ClassesAreHalfOpenExceptTheLast) {
  PlotTestData table = Column({0, 1, 2, 3, 4, std::nullopt});
  table.data.YAxisName = "4";
  RecordingCanvas canvas(kW, kH);
  Graph2DBar bar(canvas, &table.data);
  EXPECT_EQ(Counts(bar), (std::vector<int>{1, 1, 1, 2}));
  EXPECT_EQ(bar.GetLargestCount(), 2);

  PlotTestData same = Column({2, 2, 2});
  same.data.YAxisName = "3";
  Graph2DBar sameBar(canvas, &same.data);
  EXPECT_EQ(Counts(sameBar), (std::vector<int>{0, 0, 3}));

  PlotTestData one = Column({-1, 7, std::nullopt, 3});
  one.data.YAxisName = "0";  // fewer than 1 class becomes 1
  Graph2DBar oneBar(canvas, &one.data);
  EXPECT_EQ(Counts(oneBar), (std::vector<int>{3}));

  // Bounds whose computed last upper end falls short of the maximum still count it.
  // (0.8 / 5) * 5 < 0.8 in extended precision.
  PlotTestData fifths = Column({0, 0.1L, 0.8L});
  fifths.data.YAxisName = "5";
  Graph2DBar fifthsBar(canvas, &fifths.data);
  EXPECT_EQ(Counts(fifthsBar), (std::vector<int>{2, 0, 0, 0, 1}));
}

TEST(Graph2DBarTest, BarsAndLabelsFollowTheCounts) {
  PlotTestData table = Column({0, 1, 2, 3, 4});
  table.data.YAxisName = "4";
  table.data.LabelType = 1;
  RecordingCanvas canvas(kW, kH);
  Graph2DBar bar(canvas, &table.data);
  canvas.ClearCalls();
  bar.DrawData();
  // Two intervals of 231 pixels: one count is 231 pixels high.
  std::vector<CanvasCall> bars = canvas.CallsOf(CallKind::Rectangle);
  ASSERT_EQ(bars.size(), 4u);
  EXPECT_EQ(bars[0].at, (std::vector<int>{83, 521, 194, 289}));
  EXPECT_EQ(bars[1].at, (std::vector<int>{206, 521, 317, 289}));
  EXPECT_EQ(bars[3].at, (std::vector<int>{452, 521, 563, 58}));
  EXPECT_EQ(bars[3].brush.color, clAqua);
  const std::string last = "[3.00, 4.00) : 40.00%";
  const CanvasCall* text = canvas.FindText(last);
  ASSERT_NE(text, nullptr);
  EXPECT_NE(canvas.FindText("[0.00, 1.00) : 20.00%"), nullptr);
  const LabelPlotParam& box = table.Label(3);
  EXPECT_EQ(box.LabelLeft, 446 + 61 - canvas.TextWidth(last) / 2 - 8);
  EXPECT_EQ(box.LabelTop, 58 - 18);
  EXPECT_EQ(text->at, (std::vector<int>{box.LabelLeft + 8, box.LabelTop + 2}));
  EXPECT_EQ(canvas.CallsOf(CallKind::RoundRect).size(), 4u);
  EXPECT_NE(canvas.FindLine(507, 58, box.LabelLeft + (box.LabelRight - box.LabelLeft) / 2,
                            box.LabelTop + (box.LabelBottom - box.LabelTop) / 2),
            nullptr);
}

TEST(Graph2DBarTest, YAxisCountsInAtMostTenIntervals) {
  RecordingCanvas canvas(kW, kH);
  PlotTestData three = Column({5, 5, 5, 9});
  three.data.YAxisName = "2";
  Graph2DBar threeBar(canvas, &three.data);
  EXPECT_EQ(YLabels(canvas), (std::vector<std::string>{"0.00", "1.00", "2.00", "3.00"}));
  EXPECT_NE(canvas.FindLine(76, 520 - 3 * 154, 69, 520 - 3 * 154), nullptr);

  std::vector<std::optional<long double>> many(25, 1.0L);
  many.push_back(2);
  PlotTestData crowded = Column(many);
  crowded.data.YAxisName = "2";
  canvas.ClearCalls();
  Graph2DBar crowdedBar(canvas, &crowded.data);
  EXPECT_EQ(YLabels(canvas), (std::vector<std::string>{"0.00", "2.50", "5.00", "7.50", "10.00", "12.50", "15.00",
                                                       "17.50", "20.00", "22.50", "25.00"}));
  // 10 intervals of 46 pixels: the full class reaches the top tick exactly.
  canvas.ClearCalls();
  crowdedBar.DrawData();
  EXPECT_EQ(canvas.CallsOf(CallKind::Rectangle)[0].at[3], 520 - 460);
}

TEST(Graph2DBarTest, TitleShowsNameRangeAndCountCaption) {
  PlotTestData table = Column({-1.5L, 2.25L});
  table.data.YAxisName = "2";
  table.data.XAxisName = "logP";
  RecordingCanvas canvas(kW, kH);
  Graph2DBar bar(canvas, &table.data);
  const int h = canvas.TextHeight("x");
  const CanvasCall* name = canvas.FindText("logP");
  ASSERT_NE(name, nullptr);
  EXPECT_TRUE(name->font.bold);
  EXPECT_EQ(name->font.color, clBlue);
  canvas.font.bold = true;
  EXPECT_EQ(name->at, (std::vector<int>{77 + 247 - canvas.TextWidth("logP") / 2, 28 - h / 2}));
  canvas.font.bold = false;
  const CanvasCall* range = canvas.FindText("Range: -1.50 - 2.25");
  ASSERT_NE(range, nullptr);
  EXPECT_FALSE(range->font.bold);
  EXPECT_EQ(range->at[1], 520 + 28 - h / 2);
  const std::string compounds = "N\xB0 of compounds";
  const CanvasCall* count = canvas.FindText(compounds);
  ASSERT_NE(count, nullptr);
  EXPECT_EQ(count->at, (std::vector<int>{77 - canvas.TextWidth(compounds) / 2, 57 - 28 + h / 4}));
  EXPECT_EQ(count->font.color, clBlue);
  // The X axis is a single line without ticks.
  EXPECT_NE(canvas.FindLine(77, 520, 570, 520), nullptr);
}

TEST(Graph2DBarTest, EmptyDataDrawsZeroSharesWithoutBars) {
  PlotTestData table = Column({});
  table.data.YAxisName = "2";
  table.data.LabelType = 1;
  std::vector<LabelPlotParam> labels(2);
  table.data.tpLabelPlotParam = labels.data();
  RecordingCanvas canvas(kW, kH);
  Graph2DBar bar(canvas, &table.data);
  EXPECT_NE(canvas.FindText("Range: 0.00 - 0.00"), nullptr);
  canvas.ClearCalls();
  bar.DrawData();
  EXPECT_TRUE(canvas.CallsOf(CallKind::Rectangle).empty());
  EXPECT_NE(canvas.FindText("[0.00, 0.00) : 0.00%"), nullptr);

  PlotTestData missing = Column({std::nullopt, 1, 3, std::nullopt});
  missing.data.YAxisName = "1";
  missing.data.LabelType = 1;
  Graph2DBar missingBar(canvas, &missing.data);
  canvas.ClearCalls();
  missingBar.DrawData();
  EXPECT_NE(canvas.FindText("[1.00, 3.00) : 50.00%"), nullptr);  // missing rows still divide
}

TEST(Graph2DBarTest, ClassCountMustBeAWholeNumber) {
  PlotTestData table = Column({1, 2});
  table.data.YAxisName = "Bars";
  RecordingCanvas canvas(kW, kH);
  EXPECT_THROW(Graph2DBar(canvas, &table.data), EConvertError);
}
