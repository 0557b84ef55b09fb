// The tick labels and class labels of every plot kind, drawn by the plot window
// at its default size, at 640 x 480 and at its smallest size, over columns whose
// labels need many digits, a sign or an exponent: every label drawn lies whole
// inside the image, covers no other text, and reads its own tick or class with
// its sign. Every other text, the title block's included, and the plot's frame
// lie inside the image too. With KORVANE_PNG_DIR set, each drawing is also saved there.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QPushButton>
#include <QToolButton>
#include <QtTest/QTest>
#include <algorithm>
#include <cmath>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "data/ChemoData.h"
#include "data/DataResult.h"
#include "platform/base/NumberText.h"
#include "platform/qt/RecordingCanvas.h"
#include "plot/PlotTestData.h"
#include "plot/VGrMain.h"
#include "prepare/SDtMain.h"
#include "prepare/SetupTestData.h"
#include "support/FakeProjectHost.h"
#include "support/Pictures.h"
#include "support/ScriptedUi.h"
#include "support/UserInput.h"
#include "support/WindowSystemInput.h"

namespace {

struct DataColumn {
  std::string name;
  std::vector<long double> values;
};

// Small negatives, values a millionth apart, exponent labels of either sign and
// labels of eight significant digits.
const std::vector<DataColumn> kColumns = {
    {"Small", {-0.0031L, -0.0030L, -0.0029L, -0.0028L, -0.0027L, -0.0026L, -0.0025L}},
    {"NearOne", {0.999999L, 1.0L, 1.000001L, 1.000002L, 1.000003L, 1.000004L, 1.000004L}},
    {"Million", {1.0e6L, 1.2e6L, 1.3e6L, 1.5e6L, 1.6e6L, 1.8e6L, 2.0e6L}},
    {"Wide", {100000, 100002, 100004, 100005, 100006, 100008, 100010}},
    {"Tiny", {-3.1e-4L, -3.0e-4L, -2.9e-4L, -2.8e-4L, -2.7e-4L, -2.6e-4L, -2.5e-4L}},
};

struct WindowSize {
  int width, height;
};
// The window's default size, the 640 x 480, and the smallest size it allows.
const WindowSize kSizes[] = {{840, 610}, {640, 480}, {1, 1}};

std::unique_ptr<ChemoData> MakeColumns() {
  const int objects = static_cast<int>(kColumns[0].values.size());
  auto data = std::make_unique<ChemoData>(static_cast<int>(kColumns.size()), objects, -1);
  for (std::size_t v = 0; v < kColumns.size(); ++v) {
    data->tpVarNameStrPtr[v] = kColumns[v].name;
    for (int o = 0; o < objects; ++o) data->tpChemoValuePtr[o][v] = CheckedValue(kColumns[v].values[o], false);
  }
  for (int o = 0; o < objects; ++o) {
    // The last object, at the top right of each scatter, has a name wider than the smallest image.
    data->tpObjNameStrPtr[o] = "O" + std::to_string(o + 1) + (o + 1 == objects ? ", the last object of the set" : "");
    data->ipTrainingPtr[o] = kStatusTraining;
  }
  return data;
}

// Chooses an item of a panel list as a user does, with the keyboard.
void Choose(QComboBox* combo, int index) {
  combo->setFocus();
  QTest::keyClick(combo, Qt::Key_Home);
  for (int i = 0; i < index; ++i) QTest::keyClick(combo, Qt::Key_Down);
  ASSERT_EQ(combo->currentIndex(), index);
}

struct TextBox {
  int l, t, r, b;
  std::string text;
};

bool Overlap(const TextBox& a, const TextBox& b) { return a.l < b.r && b.l < a.r && a.t < b.b && b.t < a.b; }

// A plot window of one kind over the columns, shown at a size; its drawing is
// then recorded at the image's size.
class PlotAtSize {
public:
  PlotAtSize(GraphKind kind, const WindowSize& size) : data_(MakeColumns()) {
    Show(TViewGraphForm::CreateForDataSet(nullptr, data_.get(), kind), size);
  }
  // A window the caller opened over data it keeps.
  PlotAtSize(std::unique_ptr<TViewGraphForm> form, const WindowSize& size) { Show(std::move(form), size); }
  TViewGraphForm& Form() { return *form_; }

  // Draws the plot as it stands, saving a picture when asked, and records that drawing.
  RecordingCanvas& Draw(const std::string& pictureName) {
    form_->FormResize();
    SavePictureWhenAsked(*form_, pictureName);
    form_->DrawOn(std::make_unique<RecordingCanvas>(form_->Image->width(), form_->Image->height()));
    form_->FormResize();
    return dynamic_cast<RecordingCanvas&>(form_->ImageCanvasInUse());
  }

private:
  void Show(std::unique_ptr<TViewGraphForm> form, const WindowSize& size) {
    form_ = std::move(form);
    form_->resize(size.width, size.height);
    form_->show();
    QCoreApplication::processEvents();
  }

  std::unique_ptr<ChemoData> data_;
  std::unique_ptr<TViewGraphForm> form_;
};

// The box of a written text, measured in the font it was written in.
TextBox BoxOf(RecordingCanvas& canvas, const CanvasCall& call) {
  const Font kept = canvas.font;
  canvas.font = call.font;
  const TextBox box{call.at[0], call.at[1], call.at[0] + canvas.TextWidth(call.text),
                    call.at[1] + canvas.TextHeight(call.text), call.text};
  canvas.font = kept;
  return box;
}

// Every text written, each once.
std::vector<TextBox> DrawnTexts(RecordingCanvas& canvas) {
  std::vector<TextBox> boxes;
  for (const CanvasCall& call : canvas.CallsOf(CallKind::TextOut)) {
    const TextBox box = BoxOf(canvas, call);
    if (std::none_of(boxes.begin(), boxes.end(), [&](const TextBox& b) { return b.text == box.text && b.l == box.l; }))
      boxes.push_back(box);
  }
  return boxes;
}

// Expects the whole drawing inside the image: every text written, title block
// included, and every line and box drawn, the plot's frame among them (a line
// leaves out its end pixel, a box its right and bottom edge).
void ExpectDrawingInsideImage(RecordingCanvas& canvas, const std::string& where) {
  const int w = canvas.Width();
  const int h = canvas.Height();
  for (const TextBox& text : DrawnTexts(canvas)) {
    EXPECT_TRUE(text.l >= 0 && text.t >= 0 && text.r <= w && text.b <= h)
        << where << ": \"" << text.text << "\" at " << text.l << ".." << text.r << ", " << text.t << ".." << text.b
        << " of " << w << " x " << h;
  }
  for (const CanvasCall& call : canvas.Calls()) {
    const std::vector<int>& at = call.at;
    if (call.kind == CallKind::LineTo) {
      EXPECT_TRUE(at[0] >= 0 && at[0] < w && at[1] >= 0 && at[1] < h && at[2] >= -1 && at[2] <= w && at[3] >= -1 &&
                  at[3] <= h)
          << where << ": line " << at[0] << "," << at[1] << " to " << at[2] << "," << at[3];
    } else if (call.kind == CallKind::Rectangle || call.kind == CallKind::RoundRect) {
      EXPECT_TRUE(at[0] >= 0 && at[1] >= 0 && at[2] <= w && at[3] <= h)
          << where << ": box " << at[0] << "," << at[1] << " to " << at[2] << "," << at[3];
    }
  }
}

// Expects each text to be written.
void ExpectWritten(const RecordingCanvas& canvas, const std::vector<std::string>& texts, const std::string& where) {
  for (const std::string& text : texts) EXPECT_NE(canvas.FindText(text), nullptr) << where << ": no \"" << text << "\"";
}

// Expects every label to lie inside the image and to cover no other text drawn
// that `kept` names.
void ExpectInsideAndClear(RecordingCanvas& canvas, const std::vector<TextBox>& labels,
                          const std::function<bool(const TextBox&)>& kept, const std::string& where) {
  for (const TextBox& label : labels) {
    EXPECT_TRUE(label.l >= 0 && label.t >= 0 && label.r <= canvas.Width() && label.b <= canvas.Height())
        << where << ": \"" << label.text << "\" at " << label.l << ".." << label.r << " of " << canvas.Width();
    for (const TextBox& other : DrawnTexts(canvas)) {
      if ((other.text != label.text || other.l != label.l) && !other.text.empty() && kept(other)) {
        EXPECT_FALSE(Overlap(label, other)) << where << ": \"" << label.text << "\" covers \"" << other.text << "\"";
      }
    }
  }
}

// Expects every label to lie inside the image and to cover no other label, nor,
// where the image has room for the whole title block (`titles`), any other text.
void ExpectInsideAndApart(RecordingCanvas& canvas, const std::vector<TextBox>& labels, bool titles,
                          const std::string& where) {
  ExpectInsideAndClear(
      canvas, labels,
      [&](const TextBox& other) {
        return titles ||
               std::any_of(labels.begin(), labels.end(), [&](const TextBox& l) { return l.text == other.text; });
      },
      where);
}

// Whether the text reads the value to within half a step, with the value's sign.
bool Reads(const std::string& text, long double value, long double step) {
  long double read = 0;
  return TryStrToFloat(text, read) && std::fabs(read - value) <= step / 2 &&
         (std::fabs(value) <= step / 2 || (read < 0) == (value < 0));
}

void ExpectReads(const std::string& text, long double value, long double step, const std::string& where) {
  EXPECT_TRUE(Reads(text, value, step)) << where << ": \"" << text << "\" for " << static_cast<double>(value);
}

// Whether a class label "[lower, upper) : share%" reads the bounds of the class
// that starts at `lower` and is `width` wide.
bool ReadsClass(const std::string& label, long double lower, long double width) {
  const std::size_t comma = label.find(", ");
  const std::size_t close = label.find(") : ");
  return label.rfind('[', 0) == 0 && comma != std::string::npos && close != std::string::npos &&
         Reads(label.substr(1, comma - 1), lower, width) &&
         Reads(label.substr(comma + 2, close - comma - 2), lower + width, width);
}

// Whether a text is drawn where the label's box holds its text.
bool InLabelBox(const TextBox& text, const LabelPlotParam& label) {
  return text.l == label.LabelLeft + 8 && text.t == label.LabelTop + 2;
}

// Where a plot drew its axes, and their ranges: X min, X max, Y min, Y max.
struct PlotFrame {
  int left, bottom, width, height;
  std::vector<long double> range;
};

PlotFrame FrameOf(const Graph& plot) {
  PlotFrame frame;
  plot.GetPlotArea(frame.left, frame.bottom, frame.width, frame.height);
  frame.range = RangeOf(plot);
  return frame;
}

// The frame of a bar chart, read from its Y axis line (the first long vertical
// line in solid black), with the values' range on Y.
PlotFrame RecordedFrame(const RecordingCanvas& canvas, long double low, long double high) {
  for (const CanvasCall& line : canvas.CallsOf(CallKind::LineTo))
    if (line.pen.style == PenStyle::Solid && line.pen.color == clBlack && line.at[0] == line.at[2] &&
        line.at[1] - line.at[3] > 20)
      return {line.at[0], line.at[1], 0, line.at[1] - line.at[3] - 1, {0, 0, low, high}};
  ADD_FAILURE() << "no Y axis";
  return {};
}

// The tick labels of the plot's two axes: numbers written in black with a clear
// brush, under the X axis (top 8 below it) or left of the Y axis (right end 8 left of it).
struct TickLabels {
  std::vector<TextBox> x, y;
};

TickLabels FindTickLabels(RecordingCanvas& canvas, const PlotFrame& frame, const std::string& where) {
  TickLabels labels;
  for (const CanvasCall& call : canvas.CallsOf(CallKind::TextOut)) {
    long double value;
    if (call.brush.style != BrushStyle::Clear || call.font.color != clBlack || !TryStrToFloat(call.text, value)) continue;
    const TextBox box = BoxOf(canvas, call);
    const bool onX = box.t == frame.bottom + 8;
    EXPECT_TRUE(onX || box.r == frame.left - 8) << where << ": \"" << call.text << "\" is no tick label";
    (onX ? labels.x : labels.y).push_back(box);
  }
  return labels;
}

// Expects each label of the plot's eight-interval axes to read the tick it is centred on.
void ExpectTicksRead(const TickLabels& labels, const PlotFrame& frame, const std::string& where) {
  for (int axis : {0, 1}) {
    const long double step = (frame.range[2 * axis + 1] - frame.range[2 * axis]) / 8;
    for (const TextBox& box : axis == 0 ? labels.x : labels.y) {
      const int pixels = axis == 0 ? (box.l + box.r) / 2 - frame.left : frame.bottom - (box.t + box.b) / 2;
      const int tick = static_cast<int>(std::lround(pixels * 8.0 / (axis == 0 ? frame.width : frame.height)));
      ExpectReads(box.text, frame.range[2 * axis] + tick * step, step, where + (axis == 0 ? " X" : " Y"));
    }
  }
}

std::string SizeName(const TViewGraphForm& form) {
  return std::to_string(form.width()) + "x" + std::to_string(form.height());
}

}  // namespace

TEST(AxisLabelsTest, ScatterTickLabelsLieWholeInsideTheImageAndReadTheirTicks) {
  TestUi().Reset();
  // Each column on either axis.
  const std::vector<std::pair<int, int>> pairs{{0, 1}, {1, 0}, {2, 3}, {3, 4}, {4, 2}};
  for (const WindowSize& size : kSizes) {
    for (auto [x, y] : pairs) {
      PlotAtSize plot(GraphKind::VariablesScatter, size);
      TViewGraphForm& form = plot.Form();
      Choose(form.ComboBoxVar1, x);
      Choose(form.ComboBoxVar2, y);
      const std::string where = "scatter " + SizeName(form) + " " + kColumns[x].name + " vs " + kColumns[y].name;
      RecordingCanvas& canvas = plot.Draw(where);
      ExpectDrawingInsideImage(canvas, where);
      ASSERT_NE(form.CurrentPlot(), nullptr) << where;
      const PlotFrame frame = FrameOf(*form.CurrentPlot());
      const TickLabels labels = FindTickLabels(canvas, frame, where);
      ExpectTicksRead(labels, frame, where);
      std::vector<TextBox> both = labels.x;
      both.insert(both.end(), labels.y.begin(), labels.y.end());
      // The two larger windows label most ticks of both axes; the smallest draws what its image has room for.
      const bool roomy = form.width() >= 640;
      const std::string& xName = kColumns[x].name;
      const std::string& yName = kColumns[y].name;
      if (roomy) ExpectWritten(canvas, {xName + " vs. " + yName, xName, yName}, where);
      ExpectInsideAndApart(canvas, both, roomy, where);
      EXPECT_GE(labels.x.size(), roomy ? 4u : 0u) << where;
      EXPECT_GE(labels.y.size(), roomy ? 4u : 0u) << where;
    }
  }
  EXPECT_TRUE(TestUi().Shown().empty());
}

// Six classes of each column: every class whose label the image can hold has it,
// reading its two bounds, inside the image and clear of the tick labels and the
// title block (class labels may meet: the user drags them apart); the range line
// reads the column's ends.
TEST(AxisLabelsTest, BarChartClassLabelsReadTheirBoundsAndLieWholeInsideTheImage) {
  TestUi().Reset();
  const int classes = 6;
  for (const WindowSize& size : kSizes) {
    for (std::size_t column = 0; column < kColumns.size(); ++column) {
      PlotAtSize plot(GraphKind::VariableDistribution, size);
      TViewGraphForm& form = plot.Form();
      Choose(form.ComboBoxVar1, static_cast<int>(column));
      Choose(form.ComboBoxVar2, classes - 2);  // "2", "3", ...
      const std::string where = "bars " + SizeName(form) + " " + kColumns[column].name;
      RecordingCanvas& canvas = plot.Draw(where);
      ExpectDrawingInsideImage(canvas, where);
      const std::vector<long double>& values = kColumns[column].values;
      const long double low = *std::min_element(values.begin(), values.end());
      const long double high = *std::max_element(values.begin(), values.end());
      const long double width = (high - low) / classes;
      const std::vector<TextBox> texts = DrawnTexts(canvas);
      std::vector<TextBox> labels;
      // Each class's label is drawn whole in its box, or left off only when its
      // text (its box less the margins) is wider than the image can hold.
      for (const TextBox& text : texts)
        if (text.text[0] == '[') labels.push_back(text);
      for (int k = 0; k < classes; ++k) {
        const LabelPlotParam& box = form.Data().tpLabelPlotParam[k];
        const bool drawn = std::any_of(labels.begin(), labels.end(), [&](const TextBox& text) {
          return InLabelBox(text, box) && ReadsClass(text.text, low + k * width, width) && text.text.back() == '%';
        });
        const int textWidth = box.LabelRight - box.LabelLeft - 16;
        EXPECT_EQ(drawn, textWidth + 8 <= canvas.Width()) << where << ": class " << k;
      }
      const bool roomy = form.width() >= 640;
      const TextBox* range = nullptr;
      for (const TextBox& text : texts)
        if (text.text.rfind("Range: ", 0) == 0) range = &text;
      // The title block; at the smallest size, the range line only where the image holds it whole.
      if (roomy) {
        ExpectWritten(canvas, {kColumns[column].name, "N\xB0 of compounds"}, where);
        EXPECT_NE(range, nullptr) << where;
      }
      if (range != nullptr) {
        const std::size_t dash = range->text.find(" - ", 7);
        ASSERT_NE(dash, std::string::npos) << where << ": " << range->text;
        ExpectReads(range->text.substr(7, dash - 7), low, width, where + " range");
        ExpectReads(range->text.substr(dash + 3), high, width, where + " range");
      }
      // The counts along the Y axis.
      const TickLabels counts = FindTickLabels(canvas, RecordedFrame(canvas, 0, 0), where);
      EXPECT_TRUE(counts.x.empty()) << where;
      EXPECT_GE(counts.y.size(), 2u) << where;
      ExpectInsideAndApart(canvas, counts.y, roomy, where);
      ExpectInsideAndClear(canvas, labels, [&](const TextBox& other) { return roomy && other.text[0] != '['; }, where);
    }
  }
  EXPECT_TRUE(TestUi().Shown().empty());
}

// One bar per object of each column: the values along the Y axis.
TEST(AxisLabelsTest, ProfileTickLabelsLieWholeInsideTheImageAndReadTheirTicks) {
  TestUi().Reset();
  for (const WindowSize& size : kSizes) {
    for (std::size_t column = 0; column < kColumns.size(); ++column) {
      PlotAtSize plot(GraphKind::VariableProfile, size);
      TViewGraphForm& form = plot.Form();
      Choose(form.ComboBoxVar1, static_cast<int>(column));
      const std::string where = "profile " + SizeName(form) + " " + kColumns[column].name;
      RecordingCanvas& canvas = plot.Draw(where);
      ExpectDrawingInsideImage(canvas, where);
      const std::vector<long double>& values = kColumns[column].values;
      const PlotFrame frame = RecordedFrame(canvas, *std::min_element(values.begin(), values.end()),
                                            *std::max_element(values.begin(), values.end()));
      const TickLabels labels = FindTickLabels(canvas, frame, where);
      EXPECT_TRUE(labels.x.empty()) << where;
      const bool roomy = form.width() >= 640;
      if (roomy) ExpectWritten(canvas, {kColumns[column].name, "Value"}, where);
      EXPECT_GE(labels.y.size(), roomy ? 4u : 0u) << where;
      ExpectTicksRead(labels, frame, where);
      ExpectInsideAndApart(canvas, labels.y, roomy, where);
    }
  }
  EXPECT_TRUE(TestUi().Shown().empty());
}

// Drags with the mouse from one point of the image's plane to another. The
// pointer comes to the first point as the window system brings it, to the plot
// window, even where another window shares that place of the screen.
void Drag(TViewGraphForm& form, const QPoint& grab, const QPoint& to) {
  QMouseEvent hover(QEvent::MouseMove, form.Image->mapTo(&form, grab), form.Image->mapToGlobal(grab), Qt::NoButton,
                    Qt::NoButton, Qt::NoModifier);
  SendFromWindowSystem(form.Image, hover);
  QTest::mousePress(form.Image, Qt::LeftButton, {}, grab);
  QTest::mouseMove(form.Image, to);
  QTest::mouseRelease(form.Image, Qt::LeftButton, {}, to);
}

// Drags a label with the mouse, grabbed at its centre.
void DragLabel(TViewGraphForm& form, const LabelPlotParam& label, const QPoint& to) {
  Drag(form, QPoint((label.LabelLeft + label.LabelRight) / 2, (label.LabelTop + label.LabelBottom) / 2), to);
}

// A point of label k's box where a press picks that label: inside no later
// label's box (of labels that meet, the last one is picked).
QPoint PickPoint(const LabelPlotParam* labels, int k, int count) {
  auto inside = [](const LabelPlotParam& l, int x, int y) {
    return x > l.LabelLeft && x < l.LabelRight && y > l.LabelTop && y < l.LabelBottom;
  };
  for (int y = labels[k].LabelTop + 1; y < labels[k].LabelBottom; ++y)
    for (int x = labels[k].LabelLeft + 1; x < labels[k].LabelRight; ++x)
      if (std::none_of(labels + k + 1, labels + count, [&](const LabelPlotParam& l) { return inside(l, x, y); }))
        return {x, y};
  ADD_FAILURE() << "label " << k << " lies under later ones";
  return {};
}

std::vector<int> BoxOf(const LabelPlotParam& label) {
  return {label.LabelLeft, label.LabelTop, label.LabelRight, label.LabelBottom};
}

// The example's response distribution, opened from the data set-up at the plot
// window's default size: each of the 22 classes has its label, reading its own
// class. The tallest class's label, dragged away with the mouse, keeps its place
// over a later redraw; "Reset labels layout" puts it back.
TEST(AxisLabelsTest, EveryClassOfTheExamplesResponseDistributionHasItsLabel) {
  TestUi().Reset();
  FakeProjectHost host;
  LoadExample(host.data);
  host.data.iResponseIndex = 1;
  SetVarLists(host.data, {5, 6}, {}, {0});
  DataResultList models(&host.data);
  TDataSetupForm setup(nullptr, &models, &host.data);
  ShowActive(setup);
  for (QPushButton* button : setup.findChildren<QPushButton*>())
    if (button->text() == "View resp. d.") QTest::mouseClick(button, Qt::LeftButton);
  TViewGraphForm* plot = setup.PlotWindow(2);  // the training objects
  ASSERT_NE(plot, nullptr);
  ASSERT_EQ(plot->Image->size(), QSize(616, 577));
  SavePictureWhenAsked(*plot, "response distribution");
  plot->DrawOn(std::make_unique<RecordingCanvas>(616, 577));
  plot->FormResize();
  auto& canvas = dynamic_cast<RecordingCanvas&>(plot->ImageCanvasInUse());
  ASSERT_EQ(plot->ElementCount(), 22);
  std::vector<long double> values;  // the response of every object (the example has none missing)
  for (int o = 0; o < host.data.iObjCount; ++o) values.push_back(host.data.tpChemoValuePtr[o][1].Value);
  const long double low = *std::min_element(values.begin(), values.end());
  const long double width = (*std::max_element(values.begin(), values.end()) - low) / 22;
  std::vector<int> counts(22);
  for (long double v : values) ++counts[std::min(21, static_cast<int>((v - low) / width))];
  const LabelPlotParam* labels = plot->Data().tpLabelPlotParam;
  auto readsOwnClass = [&](int k) {
    const std::vector<TextBox> texts = DrawnTexts(canvas);
    return std::any_of(texts.begin(), texts.end(), [&](const TextBox& text) {
      return InLabelBox(text, labels[k]) && ReadsClass(text.text, low + k * width, width);
    });
  };
  int tallest = 0;
  for (int k = 0; k < 22; ++k) {
    EXPECT_TRUE(readsOwnClass(k)) << "class " << k;
    if (counts[k] > counts[tallest]) tallest = k;
  }
  ExpectDrawingInsideImage(canvas, "response distribution");

  const std::vector<int> placed = BoxOf(labels[tallest]);
  const QPoint grab = PickPoint(labels, tallest, 22);
  const QPoint move(-60, 200);
  Drag(*plot, grab, grab + move);
  canvas.ClearCalls();
  plot->FormResize();
  EXPECT_EQ(BoxOf(labels[tallest]),
            (std::vector<int>{placed[0] + move.x(), placed[1] + move.y(), placed[2] + move.x(), placed[3] + move.y()}));
  EXPECT_TRUE(readsOwnClass(tallest));
  QTest::mouseClick(plot->SpeedButtonLabelReset, Qt::LeftButton);
  EXPECT_EQ(BoxOf(labels[tallest]), placed);
  EXPECT_TRUE(TestUi().Shown().empty());
}

// Titles, captions and axis names too wide for their room, at the default size,
// at 640 x 480 and smaller: each is drawn inside the image, cut to
// its room, beginning with the text's start and ending with the ellipsis; one that fits
// is drawn whole. The title stays the top text of the title block, whose texts
// cover none of one another, two on one line a gap apart.
TEST(AxisLabelsTest, LongTitlesCaptionsAndNamesAreCutToTheirRoom) {
  TestUi().Reset();
  const std::string four = "NumAliphaticHeterocycles  NumSaturatedCarbocycles  NumValenceElectrons  MolWt";
  const std::string three = four.substr(0, four.rfind("  "));
  const std::string title = "NumAliphaticHeterocycles vs. NumSaturatedHeterocycles";
  // A model plot's caption is the text; the other plots show the two named columns.
  const GraphKind model = GraphKind::ExpVsCalc;
  const GraphKind scatter = GraphKind::VariablesScatter;
  const std::string german = "Gr\xf6\xdf" "e_\xb5_der_Molek\xfcloberfl\xe4" "che_\xe4\xf6\xfc\xdf_Durchschnitt_und_mehr";
  struct Case {
    WindowSize size;
    GraphKind kind;
    std::string text;
    bool bold, cut;
  };
  const Case cases[] = {
      {kSizes[0], model, four, true, true},
      {kSizes[1], model, three, true, true},
      {kSizes[1], scatter, title, true, true},
      {kSizes[0], scatter, title, true, false},
      {kSizes[0], model, "NumValenceElectrons  MolWt", true, false},
      {{400, 300}, scatter, "NumSaturatedHeterocycles", false, true},  // the Y-axis name
      {kSizes[2], GraphKind::VariableDistribution, "NumAliphaticHeterocycles", true, true},
      {{420, 330}, GraphKind::VariableDistribution, "NumAliphaticHeterocycles", true, true},
      {kSizes[1], GraphKind::VariableDistribution, german, true, true},
      {kSizes[0], GraphKind::VariableDistribution, german, true, true},
  };
  for (const Case& c : cases) {
    std::unique_ptr<ChemoData> data = MakeColumns();
    data->tpVarNameStrPtr[0] = c.text == german ? german : "NumAliphaticHeterocycles";
    data->tpVarNameStrPtr[1] = "NumSaturatedHeterocycles";
    DataResultList models(data.get());
    models.Append();
    std::vector<CheckedValue*> rows(data->tpChemoValuePtr, data->tpChemoValuePtr + data->iObjCount);
    PlotAtSize plot(c.kind == model ? TViewGraphForm::CreateForModelValues(nullptr, data.get(), &models, model,
                                                                           rows.data(), c.text)
                                    : TViewGraphForm::CreateForDataSet(nullptr, data.get(), c.kind),
                    c.size);
    const std::string where = SizeName(plot.Form()) + " " + c.text;
    RecordingCanvas& canvas = plot.Draw("long " + SizeName(plot.Form()) + " kind " +
                                        std::to_string(static_cast<int>(c.kind)) + (c.cut ? " cut" : ""));
    ExpectDrawingInsideImage(canvas, where);
    // The text as drawn, once in each drawing of the frame, and the title block.
    std::set<std::string> shown;
    std::vector<TextBox> titleBlock;
    for (const TextBox& text : DrawnTexts(canvas)) {
      const CanvasCall& call = *canvas.FindText(text.text);
      if (call.font.color == clBlue) titleBlock.push_back(text);
      if (text.text.rfind(c.text.substr(0, 4), 0) == 0 && call.font.bold == c.bold) shown.insert(text.text);
    }
    ASSERT_FALSE(titleBlock.empty()) << where;
    for (const TextBox& a : titleBlock) {
      EXPECT_LE(titleBlock.front().t, a.t) << where << ": " << a.text << " above the title";  // drawn first
      for (const TextBox& b : titleBlock)
        if (&a != &b) {
          EXPECT_FALSE(Overlap(a, b)) << where << ": \"" << a.text << "\" covers \"" << b.text << "\"";
          EXPECT_TRUE(a.t != b.t || a.r + 8 <= b.l || b.r + 8 <= a.l) << where << ": " << a.text << " | " << b.text;
        }
    }
    // A bar chart's Y text is drawn whole whenever the image can hold it.
    const std::string yText = "N\xb0 of compounds";
    canvas.font.bold = false;
    if (c.kind == GraphKind::VariableDistribution && canvas.TextWidth(yText) <= canvas.Width()) {
      EXPECT_NE(canvas.FindText(yText), nullptr) << where;
    }
    ASSERT_EQ(shown.size(), 1u) << where;
    const std::string& drawn = *shown.begin();
    if (!c.cut) {
      EXPECT_EQ(drawn, c.text) << where;
      continue;
    }
    const std::size_t kept = drawn.size() - 1;
    EXPECT_EQ(drawn.substr(kept), kEllipsis) << where;
    EXPECT_EQ(drawn.substr(0, kept), c.text.substr(0, kept)) << where;
    EXPECT_LT(kept, c.text.size()) << where;
  }
  EXPECT_TRUE(TestUi().Shown().empty());
}

// A window opened at its default size, its first label dragged with the mouse
// past the image's bottom right corner and its last one past the top left, then
// the window shrunk to 640 x 480 and to its smallest size: the labels, scaled
// from that layout, stay whole inside the image, the dragged ones drawn in their
// corners; a label wider than the image lies at its left edge and is not drawn.
TEST(AxisLabelsTest, LabelsStayWholeInsideTheImageWhenDraggedOutOrShrunk) {
  TestUi().Reset();
  for (GraphKind kind : {GraphKind::VariablesScatter, GraphKind::VariableDistribution, GraphKind::VariableProfile}) {
    PlotAtSize plot(kind, kSizes[0]);
    TViewGraphForm& form = plot.Form();
    plot.Draw("dragged " + SizeName(form));
    const LabelPlotParam* labels = form.Data().tpLabelPlotParam;
    std::vector<int> placed;
    for (int k = 0; k < form.ElementCount(); ++k)
      if (labels[k].IsPlaced()) placed.push_back(k);
    ASSERT_GE(placed.size(), 2u);
    const int first = placed.front();
    const int last = placed.back();
    auto expectInCorners = [&](RecordingCanvas& canvas, const std::string& where) {
      ExpectDrawingInsideImage(canvas, where);
      const std::vector<TextBox> texts = DrawnTexts(canvas);
      for (int k : {first, last}) {
        const LabelPlotParam& label = labels[k];
        const bool fits = label.LabelRight - label.LabelLeft <= canvas.Width();
        if (k == first && fits)
          EXPECT_EQ(label.LabelRight, canvas.Width()) << where;
        else
          EXPECT_EQ(label.LabelLeft, 0) << where;
        if (k == first)
          EXPECT_EQ(label.LabelBottom, canvas.Height()) << where;
        else
          EXPECT_EQ(label.LabelTop, 0) << where;
        EXPECT_EQ(std::any_of(texts.begin(), texts.end(), [&](const TextBox& text) {
                    return text.l == label.LabelLeft + 8 && text.t == label.LabelTop + 2;
                  }),
                  fits)
            << where << " label " << k;
      }
    };
    DragLabel(form, labels[first], QPoint(form.Image->width() + 40, form.Image->height() + 40));
    DragLabel(form, labels[last], QPoint(-40, -40));
    // The drawing that follows the drop.
    expectInCorners(dynamic_cast<RecordingCanvas&>(form.ImageCanvasInUse()), "dropped");
    for (const WindowSize& size : kSizes) {
      form.resize(size.width, size.height);
      QCoreApplication::processEvents();
      const std::string where = "dragged " + SizeName(form) + " kind " + std::to_string(static_cast<int>(kind));
      expectInCorners(plot.Draw(where), where);
    }
  }
  EXPECT_TRUE(TestUi().Shown().empty());
}
