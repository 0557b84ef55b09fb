#include "plot/Graph.h"

#include <gtest/gtest.h>

#include <cctype>

#include "plot/Graph2DScatter.h"
#include "plot/PlotTestData.h"

namespace {

// The base class alone: ranges from the data, then the frame.
class FrameOnly : public Graph {
public:
  FrameOnly(Canvas& image, GraphData* data) : Graph(image, data) {
    ComputeXRange();
    ComputeYRange();
  }
  void DrawData() override {}
  using Graph::DrawAnchoredLabel;
  using Graph::ShortenedText;
  using Graph::GroupOf;
  using Graph::DrawBaseLine;
  using Graph::DrawColumnChartTitle;
};

// The texts drawn under the X axis of a 616 x 577 image (top 8 below the box).
std::vector<std::string> XLabels(const RecordingCanvas& canvas) {
  std::vector<std::string> labels;
  for (const CanvasCall& call : canvas.CallsOf(CallKind::TextOut))
    if (call.at[1] == 528) labels.push_back(call.text);
  return labels;
}

}  // namespace

TEST(GraphTest, BoxTicksAndGridFollowTheImageSize) {
  PlotTestData table({{0, 0}, {8, 8}});
  RecordingCanvas canvas(616, 577);
  FrameOnly graph(canvas, &table.data);
  graph.DrawFrame();
  int left, bottom, width, height;
  graph.GetPlotArea(left, bottom, width, height);
  EXPECT_EQ(width, 488);  // X step 61, Y step 57
  EXPECT_EQ(height, 456);
  EXPECT_NE(canvas.FindLine(565, 521, 565, 528), nullptr);  // last X tick
  EXPECT_NE(canvas.FindLine(76, 64, 69, 64), nullptr);  // top Y tick
  EXPECT_NE(canvas.FindLine(77, 520, 566, 520), nullptr);  // axes end one pixel past the last tick
  EXPECT_NE(canvas.FindLine(77, 520, 77, 63), nullptr);
  // Minor ticks: 61 = 10 * 6 + 1, the spare pixel goes to the first sub-interval.
  std::vector<int> minorX;
  for (const CanvasCall& line : canvas.CallsOf(CallKind::LineTo))
    if (line.at[1] == 521 && line.at[3] == 524 && line.at[0] < 138) minorX.push_back(line.at[0]);
  EXPECT_EQ(minorX, (std::vector<int>{83, 90, 96, 102, 108, 114, 120, 126, 132}));
  EXPECT_NE(canvas.FindLine(138, 520, 138, 63), nullptr);  // X grid
  EXPECT_NE(canvas.FindLine(78, 64, 565, 64), nullptr);  // Y grid up to the last X tick
}

TEST(GraphTest, TickLabelsSwitchToExponentOutsideTheThousandths) {
  struct Case {
    long double low, high;
    std::vector<std::string> labels;
  };
  const Case cases[] = {
      {-8, 0, {"-8.000", "-7.000", "-6.000", "-5.000", "-4.000", "-3.000", "-2.000", "-1.000", "0.000"}},
      {0, 8e6L, {"0.000", "2.00E+06", "4.00E+06", "6.00E+06", "8.00E+06"}},  // wider than a tick step: every other
      {1e-6L, 9e-6L, {"1.00E-06", "2.00E-06", "3.00E-06", "4.00E-06", "5.00E-06", "6.00E-06", "7.00E-06",
                      "8.00E-06", "9.00E-06"}},
      {-0.7L, 0.7L, {"-0.700", "-0.525", "-0.350", "-0.175", "0.000", "0.175", "0.350", "0.525", "0.700"}},  // the middle tick accumulates to a rounding error, not to 0
      {-900, 700, {"-900.000", "-700.000", "-500.000", "-300.000", "-100.000", "100.000", "300.000", "500.000",
                   "700.000"}},
  };
  for (const Case& c : cases) {
    PlotTestData table({{c.low, c.low}, {c.high, c.high}});
    RecordingCanvas canvas(616, 577);
    FrameOnly graph(canvas, &table.data);
    graph.DrawFrame();
    EXPECT_EQ(XLabels(canvas), c.labels) << static_cast<double>(c.low);
    // Nine Y labels; the title and the two axis names (the empty caption writes nothing).
    EXPECT_EQ(canvas.CallsOf(CallKind::TextOut).size(), c.labels.size() + 9 + 3);
  }
}

// Labels of eight and more digits: on a 300 x 300 image the box moves in until
// the widest Y label starts at the image's left edge and the last X label ends
// inside its right edge; on 120 x 100 the left margin stops short of Y labels
// wider than half the box's width (28 + 48) and leaves them off, and the box
// rises to hold the X labels.
TEST(GraphTest, MarginsGrowToHoldTheTickLabelsUpToTheirLimits) {
  PlotTestData table({{0.9999995L, 0.9999995L}, {1.0000045L, 1.0000045L}});
  RecordingCanvas canvas(300, 300);
  FrameOnly graph(canvas, &table.data);
  graph.DrawFrame();
  int left, bottom, width, height;
  graph.GetPlotArea(left, bottom, width, height);
  int widest = 0;
  int lastRight = 0;
  for (const CanvasCall& call : canvas.CallsOf(CallKind::TextOut)) {
    if (call.at[1] == bottom + 8) lastRight = std::max(lastRight, call.at[0] + canvas.TextWidth(call.text));
    if (call.at[0] + canvas.TextWidth(call.text) == left - 8) widest = std::max(widest, canvas.TextWidth(call.text));
  }
  EXPECT_GT(widest, 46 - 8);  // wider than the first margin
  EXPECT_EQ(left, widest + 8);
  EXPECT_GT(lastRight, 300 - 14 - 8);  // the last X label, inside the image
  EXPECT_LE(lastRight, 300);
  EXPECT_GT(width, 8 * ((286 - left) / 8) - 40);  // the right end moved in by less than a label

  PlotTestData wide({{-1.0000005e20L, -1.0000005e20L}, {-1.0000001e20L, -1.0000001e20L}});  // "-1.0000004E+20"
  RecordingCanvas small(120, 100);
  FrameOnly cramped(small, &wide.data);
  cramped.DrawFrame();
  cramped.GetPlotArea(left, bottom, width, height);
  EXPECT_EQ(bottom, 100 - 8 - small.TextHeight("0"));
  EXPECT_LT(left, 28 + 48);
  for (const CanvasCall& call : small.CallsOf(CallKind::TextOut)) {
    EXPECT_NE(call.at[0] + small.TextWidth(call.text), left - 8) << call.text;  // no Y label
    EXPECT_TRUE(call.font.color == clBlue || call.at[0] >= 0) << call.text;
  }
}

TEST(GraphTest, RangesComeFromRowsWithBothValuesAndTheExtraValues) {
  RecordingCanvas canvas(400, 300);
  PlotTestData mixed({{3, 2}, {std::nullopt, 100}, {-1, 5}, {50, std::nullopt}});
  EXPECT_EQ(RangeOf(FrameOnly(canvas, &mixed.data)), (std::vector<long double>{-1, 3, 2, 5}));
  PlotTestData empty({});
  EXPECT_EQ(RangeOf(FrameOnly(canvas, &empty.data)), (std::vector<long double>{0, 0, 0, 0}));
  PlotTestData noY({{1, std::nullopt}, {2, std::nullopt}});
  EXPECT_EQ(RangeOf(FrameOnly(canvas, &noY.data)), (std::vector<long double>{0, 10, 0, 10}));
  PlotTestData extra({{1, 2}, {2, 5}});
  extra.data.Axis.ExtraX.Set(7);
  extra.data.Axis.ExtraY.Set(0);
  EXPECT_EQ(RangeOf(FrameOnly(canvas, &extra.data)), (std::vector<long double>{1, 7, 0, 5}));
}

TEST(GraphTest, IntegerTicksMarkEachWholeNumberOnce) {
  PlotTestData table({{0, 0}, {3.5L, 1}});
  table.data.Axis.IntegerXTicks = true;
  RecordingCanvas canvas(616, 577);
  FrameOnly graph(canvas, &table.data);
  graph.DrawFrame();
  EXPECT_EQ(XLabels(canvas), (std::vector<std::string>{"0", "1", "2", "3"}));
  for (const CanvasCall& line : canvas.CallsOf(CallKind::LineTo))
    EXPECT_FALSE(line.at[1] == 521 && line.at[3] == 524) << "minor tick at " << line.at[0];
  EXPECT_NE(canvas.FindLine(217, 521, 217, 528), nullptr);  // first column past 1: 77 + ceil(488 / 3.5)

  // More than one unit per pixel: every column lies within a pixel's worth of a whole
  // number, so only the first one is marked.
  PlotTestData wide({{0, 0}, {1000, 1}});
  wide.data.Axis.IntegerXTicks = true;
  canvas.ClearCalls();
  FrameOnly wideGraph(canvas, &wide.data);
  wideGraph.DrawFrame();
  EXPECT_EQ(XLabels(canvas), (std::vector<std::string>{"0"}));

  // Whole numbers closer than their labels are wide: each keeps its tick, and a
  // label that would come within a space of the one before is left out.
  PlotTestData crowded({{0, 0}, {60, 1}});
  crowded.data.Axis.IntegerXTicks = true;
  canvas.ClearCalls();
  FrameOnly(canvas, &crowded.data).DrawFrame();
  int ticks = 0, end = 0;
  for (const CanvasCall& line : canvas.CallsOf(CallKind::LineTo)) ticks += line.at[1] == 521 && line.at[3] == 528;
  EXPECT_EQ(ticks, 61);
  EXPECT_GT(XLabels(canvas).size(), 10u);
  for (const CanvasCall& label : canvas.CallsOf(CallKind::TextOut)) {
    if (label.at[1] != 528) continue;
    EXPECT_TRUE(label.text == "0" || label.at[0] - end >= canvas.TextWidth(" ")) << label.text;
    end = label.at[0] + canvas.TextWidth(label.text);
  }
}

TEST(GraphTest, ReversedRangeRaisesBeforeDrawingEqualRangeDraws) {
  PlotTestData table({{2, 2}, {2, 2}});
  RecordingCanvas canvas(616, 577);
  FrameOnly graph(canvas, &table.data);
  EXPECT_NO_THROW(graph.DrawFrame());
  EXPECT_EQ(XLabels(canvas), std::vector<std::string>{"2.000"});  // one label, not nine alike
  EXPECT_EQ(canvas.FindText("2.000")->at[0], 77 - canvas.TextWidth("2.000") / 2);  // at the low end
  graph.SetRange(3, 1, 0, 1);
  canvas.ClearCalls();
  EXPECT_THROW(graph.DrawXAxis(), GraphEx);
  EXPECT_TRUE(canvas.Calls().empty());
  graph.SetRange(0, 1, 1, 0);
  EXPECT_THROW(graph.DrawYAxis(), GraphAxesParEx);
}

TEST(GraphTest, TitleBlockNamesBothAxesAndTheCaption) {
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
  const int h = canvas.TextHeight("T");
  canvas.font.bold = true;
  const int width = canvas.TextWidth(title->text);
  canvas.font.bold = false;
  // Centred over the box (77..571), not only over the ticks.
  EXPECT_EQ(title->at, (std::vector<int>{77 + 494 / 2 - width / 2, 57 / 2 - h / 2}));
  // The X-axis name under the box's right end, the caption on its line at the
  // left end, the Y-axis name above the box (57 pixels below it, 57 above).
  ASSERT_NE(canvas.FindText("Model 1"), nullptr);
  ASSERT_NE(canvas.FindText("Exp. endpoint"), nullptr);
  ASSERT_NE(canvas.FindText("Pred. by LOO"), nullptr);
  const int xNameX = 571 - canvas.TextWidth("Exp. endpoint");
  EXPECT_EQ(canvas.FindText("Exp. endpoint")->at, (std::vector<int>{xNameX, 520 + 28 + h / 4}));
  EXPECT_EQ(canvas.FindText("Model 1")->at, (std::vector<int>{77, 520 + 28 + h / 4}));
  EXPECT_EQ(canvas.FindText("Pred. by LOO")->at, (std::vector<int>{77, 57 - 28 + h / 4}));
  // A caption that would reach the X-axis name goes under it, both whole in the image.
  table.data.Caption = "Model 1 of the long list of models found by the genetic algorithm";
  canvas.ClearCalls();
  FrameOnly(canvas, &table.data).DrawFrame();
  const CanvasCall* caption = canvas.FindText(table.data.Caption);
  const CanvasCall* xName = canvas.FindText("Exp. endpoint");
  ASSERT_NE(caption, nullptr);
  ASSERT_NE(xName, nullptr);
  EXPECT_GE(caption->at[1], xName->at[1] + canvas.TextHeight(xName->text));
  EXPECT_LE(caption->at[1] + canvas.TextHeight(caption->text), 577);
}

TEST(GraphTest, AxesAndTitlesSetTheirOwnPensAndFontsWhateverTheCanvasHeld) {
  PlotTestData table({{0, 0}, {8, 8}});
  table.data.Caption = "Model 1";
  RecordingCanvas canvas(616, 577);
  canvas.pen = Pen{clRed, 3, PenStyle::Dash, PenMode::Copy};
  canvas.font.color = clRed;
  canvas.brush = Brush{clRed, BrushStyle::Solid};
  FrameOnly graph(canvas, &table.data);
  graph.DrawFrame();
  int left = 0, bottom = 0, width = 0, height = 0;
  graph.GetPlotArea(left, bottom, width, height);
  EXPECT_EQ(std::make_pair(left, bottom), std::make_pair(77, 520));

  std::vector<int> minorY;
  for (const CanvasCall& line : canvas.CallsOf(CallKind::LineTo)) {
    EXPECT_EQ(line.pen.width, 1);
    const bool grid = line.pen.style == PenStyle::Dot;
    const bool gridPlace = (line.at[3] == 63 && line.at[0] > 77) || (line.at[0] == 78 && line.at[1] < 520);
    EXPECT_EQ(grid, gridPlace) << line.at[0] << "," << line.at[1];
    EXPECT_EQ(line.pen.color, grid ? clSilver : clBlack) << line.at[0] << "," << line.at[1];
    if (!grid) {
      EXPECT_EQ(line.pen.style, PenStyle::Solid);
    }
    if (line.at[0] == 76 && line.at[2] == 73) {
      EXPECT_GT(line.at[1], 64);  // none above the top tick
      if (line.at[1] > 463) minorY.push_back(line.at[1]);
    }
  }
  // 57 = 10 * 5 + 7: the first seven sub-intervals are a pixel wider.
  EXPECT_EQ(minorY, (std::vector<int>{515, 509, 503, 497, 491, 485, 479, 473, 468}));
  for (const CanvasCall& text : canvas.CallsOf(CallKind::TextOut)) {
    const bool tick = std::isdigit(static_cast<unsigned char>(text.text[0])) != 0;
    EXPECT_EQ(text.font.color, tick ? clBlack : clBlue) << text.text;
    EXPECT_EQ(text.brush.style, BrushStyle::Clear) << text.text;
    const bool bold = text.text == "Model 1" || text.text == "X vs. Y";
    EXPECT_EQ(text.font.bold, bold) << text.text;
  }

  // The column charts' title block: title above the box, a line below it, the Y text above the axis.
  canvas.ClearCalls();
  graph.DrawColumnChartTitle("Title", "Range", "Count");
  const int h = canvas.TextHeight("T");
  const int centre = 77 + 488 / 2;
  canvas.font.bold = true;  // the title's font
  const int titleWidth = canvas.TextWidth("Title");
  canvas.font.bold = false;
  EXPECT_EQ(canvas.FindText("Title")->at, (std::vector<int>{centre - titleWidth / 2, 64 / 2 - h / 2}));
  EXPECT_EQ(canvas.FindText("Range")->at, (std::vector<int>{centre - canvas.TextWidth("Range") / 2, 520 + 57 / 2 - h / 2}));
  EXPECT_EQ(canvas.FindText("Count")->at, (std::vector<int>{77 - canvas.TextWidth("Count") / 2, 64 - 57 / 2 + h / 4}));
  // A title reaching out over the Y text, but on a line of its own, leaves it whole.
  const std::string longTitle = "NumAliphaticHeterocycles  NumSaturatedCarbocycles  NumValenceElectrons";
  canvas.ClearCalls();
  graph.DrawColumnChartTitle(longTitle, "", "Count");
  ASSERT_NE(canvas.FindText(longTitle), nullptr);
  EXPECT_LT(canvas.FindText(longTitle)->at[0], 77);
  EXPECT_NE(canvas.FindText("Count"), nullptr);
  // On a small image the two share a line: the Y text stays whole, and the title
  // is cut a gap short of it, centred where its start fits so, else from a gap
  // right of it to the image's edge; it is left off only when not even one
  // letter and the ellipsis fit there.
  for (int width = 120; width <= 300; ++width) {
    RecordingCanvas sized(width, 300);
    FrameOnly sizedGraph(sized, &table.data);
    for (const std::string yText : {"N\xb0 of compounds", "Count of all the compounds"}) {
      const std::string where = std::to_string(width) + " " + yText;
      sized.ClearCalls();
      sizedGraph.DrawColumnChartTitle("NumAliphaticHeterocycles", "", yText);
      const std::vector<CanvasCall> texts = sized.CallsOf(CallKind::TextOut);
      if (sized.TextWidth(yText) > width) continue;
      ASSERT_FALSE(texts.empty()) << where;
      EXPECT_EQ(texts.back().text, yText) << where;
      const int yTextRight = texts.back().at[0] + sized.TextWidth(yText);
      sized.font.bold = true;
      const bool room = sized.TextWidth(std::string("N") + kEllipsis) <= width - yTextRight - 8;
      const int letter = sized.TextWidth("W");
      sized.font.bold = false;
      ASSERT_EQ(texts.size(), room ? 2u : 1u) << where;
      if (!room) continue;
      EXPECT_LT(texts[1].at[1], texts[0].at[1] + h) << where;
      const std::string kept = texts[0].text.substr(0, texts[0].text.size() - 1);
      EXPECT_EQ(std::string("NumAliphaticHeterocycles").rfind(kept, 0), 0u) << where;
      EXPECT_EQ(texts[0].text.back(), kEllipsis[0]) << where;
      EXPECT_LE(yTextRight + 8, texts[0].at[0]) << where;
      EXPECT_LT(texts[0].at[0] - 1 - (yTextRight + 8), 2 * letter) << where;
    }
  }
  // A Y text wider than the image gives way to the title on its line, a gap short of it.
  RecordingCanvas small(300, 300);
  FrameOnly smallGraph(small, &table.data);
  smallGraph.DrawColumnChartTitle("NumAliphaticHeterocycles", "", std::string(60, 'N'));
  const std::vector<CanvasCall> shared = small.CallsOf(CallKind::TextOut);
  ASSERT_EQ(shared.size(), 2u);
  EXPECT_EQ(shared[0].text, "NumAliphaticHeterocycles");
  EXPECT_EQ(shared[1].text.back(), kEllipsis[0]);
  EXPECT_LE(shared[1].at[0] + small.TextWidth(shared[1].text) + 8, shared[0].at[0]);
  // A Y text wider than the image is cut to it, from the image's left edge.
  RecordingCanvas narrow(90, 300);
  FrameOnly narrowGraph(narrow, &table.data);
  narrowGraph.DrawColumnChartTitle("", "", "Count of all the compounds");
  ASSERT_EQ(narrow.CallsOf(CallKind::TextOut).size(), 1u);
  const CanvasCall yText = narrow.CallsOf(CallKind::TextOut)[0];
  EXPECT_EQ(yText.at[0], 0);
  EXPECT_EQ(yText.text.substr(0, 5), "Count");
  EXPECT_EQ(yText.text.back(), kEllipsis[0]);
  EXPECT_LE(narrow.TextWidth(yText.text), 90);

  canvas.ClearCalls();
  canvas.pen = Pen{clSilver, 1, PenStyle::Dot, PenMode::Copy};  // as a grid leaves it
  graph.DrawBaseLine();
  ASSERT_EQ(canvas.CallsOf(CallKind::LineTo).size(), 1u);
  EXPECT_EQ(canvas.CallsOf(CallKind::LineTo)[0].at, (std::vector<int>{77, 520, 77 + 488 - 1, 520}));
  EXPECT_EQ(canvas.CallsOf(CallKind::LineTo)[0].pen.style, PenStyle::Solid);
  EXPECT_EQ(canvas.CallsOf(CallKind::LineTo)[0].pen.color, clBlack);

  EXPECT_EQ(graph.GroupOf(1), 0);  // no group array: one group
  int32_t groups[] = {0, 3};
  table.data.Axis.ElementGroup = groups;
  EXPECT_EQ(graph.GroupOf(1), 3);
  table.data.Axis.ElementGroup = nullptr;

  canvas.ClearCalls();
  LabelPlotParam label;
  graph.DrawAnchoredLabel(label, 300, 200, "O1");
  const std::vector<CanvasCall> boxes = canvas.CallsOf(CallKind::RoundRect);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].brush.color, 0xC0FFFFu);
  EXPECT_EQ(boxes[0].brush.style, BrushStyle::Solid);
  EXPECT_EQ(boxes[0].at, (std::vector<int>{label.LabelLeft, label.LabelTop, label.LabelRight, label.LabelBottom, 16, 16}));
}

// A word text wider than its room keeps as much of its start as fits with the
// ellipsis, without a space or full stop before it, and at least three letters.
TEST(GraphTest, WordTextsTooWideForTheirRoomAreCutToItWithAnEllipsis) {
  PlotTestData table({{0, 0}, {1, 1}});
  RecordingCanvas canvas(616, 577);
  FrameOnly graph(canvas, &table.data);
  struct Case {
    std::string text;
    std::string roomOf;  // the text whose width is the room
    int lessPixels;
    std::string shown;
  };
  const Case cases[] = {
      {"Exp. endpoint", "Exp. endpoint", 0, "Exp. endpoint"},  // fits
      {"Exp. endpoint", "Exp. endp\x85", 0, "Exp. endp\x85"},
      {"Exp. endpoint", "Exp. \x85", 0, "Exp\x85"},
      {"Abcdef", "Abc\x85", 0, "Abc\x85"},
      {"Abcdef", "Abc\x85", 1, ""},  // not even three letters fit
      {"Abcdef   .", "Abcdef\x85", 0, "Abcdef\x85"},  // all but the last letter
      {"Y", "", 1, ""},
      {"", "", 0, ""},
  };
  for (const Case& c : cases)
    EXPECT_EQ(graph.ShortenedText(c.text, canvas.TextWidth(c.roomOf) - c.lessPixels), c.shown)
        << c.text << " in " << c.roomOf;

  // At every room, a long caption is cut where trying each start from the longest down cuts it.
  std::string caption;
  for (int k = 0; caption.size() < 150; ++k) caption += (k % 5 == 0 ? "AVAWAY. " : "Tiff_Wij lll. ") + std::to_string(k);
  auto longestStartThatFits = [&](int room) {
    for (std::size_t letters = caption.size() - 1; letters >= 3; --letters) {
      std::string start = caption.substr(0, letters);
      start.erase(start.find_last_not_of(" .") + 1);
      if (start.size() >= 3 && canvas.TextWidth(start + kEllipsis) <= room) return start + kEllipsis;
    }
    return std::string();
  };
  for (int room = 0; room < canvas.TextWidth(caption); room += 3)
    ASSERT_EQ(graph.ShortenedText(caption, room), longestStartThatFits(room)) << room;

  // A legend name too wide for the image is cut, so that the legend's box stays inside it.
  PlotTestData groups({{0, 0}, {1, 1}});
  groups.SetGroups({0, 1}, {clYellow, clBlue});
  std::string names[] = {"Training", "Prediction objects of the external validation set"};
  groups.data.Axis.Legend = true;
  groups.data.Axis.LegendNames = names;
  RecordingCanvas narrow(200, 200);
  Graph2DScatter scatter(narrow, &groups.data, 0);
  narrow.ClearCalls();
  scatter.DrawData();
  ASSERT_EQ(narrow.CallsOf(CallKind::Rectangle).size(), 1u);
  EXPECT_GE(narrow.CallsOf(CallKind::Rectangle)[0].at[0], 0);
  EXPECT_NE(narrow.FindText("Training"), nullptr);
  const std::vector<CanvasCall> texts = narrow.CallsOf(CallKind::TextOut);
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_EQ(texts[1].text.substr(0, 10), "Prediction");
  EXPECT_EQ(texts[1].text.back(), kEllipsis[0]);
}
