#include "plot/Graph2DBar.h"

#include <gtest/gtest.h>

#include "plot/PlotTestData.h"

namespace {

// 616 x 577: plot area left 77, bottom 520, 494 x 463 (the bar chart keeps its width).
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
  RecordingCanvas canvas(616, 577);
  struct Case {
    std::vector<std::optional<long double>> values;
    std::string classes;
    std::vector<int> counts;
  };
  const Case cases[] = {
      {{0, 1, 2, 3, 4, std::nullopt}, "4", {1, 1, 1, 2}},
      {{2, 2, 2}, "3", {0, 0, 3}},                   // no width: the last class takes all
      {{-1, 7, std::nullopt, 3}, "0", {3}},          // fewer than 1 class: one
      {{0, 0.1L, 0.8L}, "5", {2, 0, 0, 0, 1}},       // (0.8 / 5) * 5 < 0.8: the maximum still counts
  };
  for (const Case& c : cases) {
    PlotTestData table(Column(c.values));
    table.data.YAxisName = c.classes;
    EXPECT_EQ(Counts(Graph2DBar(canvas, &table.data)), c.counts) << c.classes;
  }
  PlotTestData words(Column({1, 2}));
  words.data.YAxisName = "Bars";
  EXPECT_THROW(Graph2DBar(canvas, &words.data), EConvertError);
}

TEST(Graph2DBarTest, BarsAndLabelsFollowTheCounts) {
  PlotTestData table(Column({0, 1, 2, 3, 4}));
  table.data.YAxisName = "4";
  table.data.LabelType = 1;
  RecordingCanvas canvas(616, 577);
  Graph2DBar bar(canvas, &table.data);
  canvas.ClearCalls();
  bar.DrawData();
  // Classes every 123.25 pixels, 123 wide with a gap of 6; one count is 231 pixels.
  std::vector<CanvasCall> bars = canvas.CallsOf(CallKind::Rectangle);
  ASSERT_EQ(bars.size(), 4u);
  EXPECT_EQ(bars[1].at, (std::vector<int>{206, 521, 317, 289}));
  EXPECT_EQ(bars[3].at, (std::vector<int>{452, 521, 563, 58}));
  EXPECT_EQ(bars[3].brush.color, clAqua);
  EXPECT_NE(canvas.FindText("[0.00, 1.00) : 20.00%"), nullptr);
  // Labels wider than a class meet, and every class still has its own, over its bar.
  const std::string third = "[2.00, 3.00) : 20.00%";
  ASSERT_GT(canvas.TextWidth(third) + 16, 123);
  const LabelPlotParam& box = table.Label(2);
  EXPECT_EQ(box.LabelLeft, 384 - canvas.TextWidth(third) / 2 - 8);
  EXPECT_EQ(box.LabelTop, 289 - 18);
  EXPECT_EQ(canvas.FindText(third)->at, (std::vector<int>{box.LabelLeft + 8, box.LabelTop + 2}));
  EXPECT_EQ(canvas.FindText(third)->font.color, clBlack);  // not the title's blue
  const std::vector<CanvasCall> labels = canvas.CallsOf(CallKind::RoundRect);
  ASSERT_EQ(labels.size(), 4u);
  for (int k = 0; k < 4; ++k) {
    const LabelPlotParam& label = table.Label(k);
    EXPECT_EQ(labels[k].at,
              (std::vector<int>{label.LabelLeft, label.LabelTop, label.LabelRight, label.LabelBottom, 16, 16}));
    // The leader from the middle of the bar's top (6 pixels of gap, 61 of half class).
    EXPECT_NE(canvas.FindLine(bars[k].at[0] - 6 + 61, bars[k].at[3], (label.LabelLeft + label.LabelRight) / 2,
                              (label.LabelTop + label.LabelBottom) / 2),
              nullptr)
        << k;
  }
  // Two classes leave room for both labels; the taller one's reaches the top tick.
  PlotTestData two(Column({0, 1, 2, 3, 4}));
  two.data.YAxisName = "2";
  two.data.LabelType = 1;
  Graph2DBar twoBars(canvas, &two.data);
  canvas.ClearCalls();
  twoBars.DrawData();
  EXPECT_EQ(canvas.CallsOf(CallKind::RoundRect).size(), 2u);
  EXPECT_EQ(two.Label(1).LabelTop, 520 - 462 - 18);
  // No label asked for: the bars alone.
  two.data.LabelType = 0;
  canvas.ClearCalls();
  twoBars.DrawData();
  EXPECT_EQ(canvas.CallsOf(CallKind::Rectangle).size(), 2u);
  EXPECT_TRUE(canvas.CallsOf(CallKind::RoundRect).empty());
}

TEST(Graph2DBarTest, YAxisCountsInAtMostTenIntervals) {
  RecordingCanvas canvas(616, 577);
  std::vector<std::optional<long double>> many(25, 1.0L);
  many.push_back(2);
  PlotTestData crowded(Column(many));
  crowded.data.YAxisName = "2";
  Graph2DBar crowdedBar(canvas, &crowded.data);
  EXPECT_EQ(YLabels(canvas), (std::vector<std::string>{"0.00", "2.50", "5.00", "7.50", "10.00", "12.50", "15.00",
                                                       "17.50", "20.00", "22.50", "25.00"}));
  // Ticks 46 pixels apart: the axis line up to the top one, a silver dotted grid line at each one above the base.
  EXPECT_NE(canvas.FindLine(77, 520, 77, 520 - 460 - 1), nullptr);
  for (int i = 0; i <= 10; ++i) {
    const CanvasCall* grid = canvas.FindLine(78, 520 - 46 * i, 77 + 494 - 1, 520 - 46 * i);
    ASSERT_EQ(grid != nullptr, i > 0) << i;
    if (grid != nullptr) {
      EXPECT_EQ(grid->pen.style, PenStyle::Dot) << i;
      EXPECT_EQ(grid->pen.color, clSilver) << i;
    }
  }
  canvas.ClearCalls();
  crowdedBar.DrawData();
  EXPECT_EQ(canvas.CallsOf(CallKind::Rectangle)[0].at[3], 520 - 460);  // the full class reaches the top tick
}

TEST(Graph2DBarTest, TitleShowsNameRangeAndCountCaption) {
  PlotTestData table(Column({-1.5L, 2.25L}));
  table.data.YAxisName = "2";
  table.data.XAxisName = "logP";
  RecordingCanvas canvas(616, 577);
  Graph2DBar bar(canvas, &table.data);
  EXPECT_TRUE(canvas.FindText("logP")->font.bold);
  EXPECT_NE(canvas.FindText("Range: -1.50 - 2.25"), nullptr);
  EXPECT_NE(canvas.FindText("N\xB0 of compounds"), nullptr);
  EXPECT_NE(canvas.FindLine(77, 520, 570, 520), nullptr);  // the X axis: one line, no ticks
  // On a narrow image the count labels widen the margin; the axis still ends at
  // the box's right, which stays inside the image (120 - 12 + 16 would pass it).
  RecordingCanvas narrow(120, 100);
  Graph2DBar narrowBar(narrow, &table.data);
  const CanvasCall* zero = narrow.FindText("0.00");
  ASSERT_NE(zero, nullptr);
  const int left = zero->at[0] + narrow.TextWidth("0.00") + 8;
  EXPECT_GT(left, 28);
  EXPECT_EQ(zero->at[0], 0);
  EXPECT_NE(narrow.FindLine(left, 90, 118, 90), nullptr);
}

TEST(Graph2DBarTest, EmptyDataShowsZeroSharesWithoutBars) {
  PlotTestData table(Column({}));
  table.data.YAxisName = "2";
  table.data.LabelType = 1;
  std::vector<LabelPlotParam> labels(2);
  table.data.SetLabels(labels);
  RecordingCanvas canvas(616, 577);
  Graph2DBar bar(canvas, &table.data);
  EXPECT_NE(canvas.FindText("Range: 0.00 - 0.00"), nullptr);
  canvas.ClearCalls();
  bar.DrawData();
  EXPECT_TRUE(canvas.CallsOf(CallKind::Rectangle).empty());
  EXPECT_NE(canvas.FindText("[0.00, 0.00) : 0.00%"), nullptr);
  // Missing values are not counted but still divide the share.
  PlotTestData missing(Column({std::nullopt, 1, 3, std::nullopt}));
  missing.data.YAxisName = "1";
  missing.data.LabelType = 1;
  Graph2DBar missingBar(canvas, &missing.data);
  canvas.ClearCalls();
  missingBar.DrawData();
  EXPECT_NE(canvas.FindText("[1.00, 3.00) : 50.00%"), nullptr);
}
