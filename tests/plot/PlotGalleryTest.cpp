// Every plot of one model of the example data, drawn as the single-model window
// opens it: no text is written over another text. With KORVANE_PLOT_PNG_DIR set,
// each plot is also saved there as a PNG.
#include <gtest/gtest.h>

#include <QToolButton>
#include <algorithm>
#include <cstdlib>

#include "data/TempFiles.h"
#include "platform/base/Random.h"
#include "platform/qt/RecordingCanvas.h"
#include "plot/VGrMain.h"
#include "support/FakeProjectHost.h"
#include "support/ScriptedUi.h"
#include "support/TestFolder.h"
#include "validate/ExternalValidator.h"
#include "validate/InternalValidation.h"
#include "validate/VMsMain.h"
#include "validate/ExampleData.h"
#include "validate/ValidationTestData.h"
#include "platform/base/NumberText.h"

namespace {

using validationtest::TestObject;

// The example table's descriptors and its response: every fourth compound
// predicts, the sixth has no response.
std::vector<TestObject> ExampleObjects(std::vector<std::string> descriptors) {
  descriptors.push_back("Activity");
  std::vector<TestObject> objects;
  for (const std::vector<std::string>& cells : validationtest::ExampleCells(descriptors)) {
    TestObject object{objects.size() % 4 == 3 ? 2 : 1, {}, StrToFloat(cells.back())};
    for (std::size_t d = 1; d + 1 < cells.size(); ++d) object.x.push_back(StrToFloat(cells[d]));
    if (objects.size() == 5) object.y.reset();
    objects.push_back(object);
  }
  return objects;
}

struct ValidationHost : FakeProjectHost {
  explicit ValidationHost(const std::string& dir) : files(dir) {
    for (int kind = 0; kind < kValidationKindCount; ++kind) files.AddName(ValidationFileTag(kind));
  }
  TempFiles* Registry() override { return &files; }
  TempFiles files;
};

uint64_t ZeroClock() { return 0; }

struct TextBox {
  int l, t, r, b;
  std::string text;
};

// The texts written, each once (a text written again in its place covers nothing).
std::vector<TextBox> TextBoxes(RecordingCanvas& canvas) {
  std::vector<TextBox> boxes;
  for (const CanvasCall& call : canvas.CallsOf(CallKind::TextOut)) {
    if (call.text.find_first_not_of(' ') == std::string::npos) continue;
    const int x = call.at[0], y = call.at[1];
    const TextBox box{x, y, x + canvas.TextWidth(call.text), y + canvas.TextHeight(call.text), call.text};
    if (std::none_of(boxes.begin(), boxes.end(), [&box](const TextBox& b) {
          return b.text == box.text && b.l == box.l && b.t == box.t;
        }))
      boxes.push_back(box);
  }
  return boxes;
}

bool Overlap(const TextBox& a, const TextBox& b) { return a.l < b.r && b.l < a.r && a.t < b.b && b.t < a.b; }

struct PlotGallery : ::testing::Test {
  PlotGallery() {
    TestUi().Reset();
    SetRandomizeClock(ZeroClock);
    // Five descriptors with long names: the model's name lists them.
    const std::vector<std::string> names{"MolLogP", "NumValenceElectrons", "MaxAbsPartialCharge",
                                         "FpDensityMorgan2", "qed"};
    data = validationtest::MakeData(ExampleObjects(names));
    std::copy(names.begin(), names.end(), data->tpVarNameStrPtr);
    list = std::make_unique<DataResultList>(data.get());
    model = &validationtest::FitByEngine(*data, *list, {0, 1, 2, 3, 4});
    model->iSelStatus = 1;
    ExternalValidator calculator(false, list.get(), data.get());
    calculator.ValidateExternal();
    InternalValidation validation(calculator, list.get(), data.get(), &host.files);
    for (int kind = 0; kind < kValidationKindCount; ++kind) {
      validation.SetChecked(kind, true);
      validation.SetIterationText(kind, "20");
    }
    validation.SetLmoPercentText("20");
    validation.Start();
    for (int calls = 0; validation.Running() && calls < 100; ++calls) validation.Step();
  }
  ~PlotGallery() override { SetRandomizeClock(nullptr); }

  TestFolder folder;
  ValidationHost host{folder.Dir()};
  std::unique_ptr<ChemoData> data;
  std::unique_ptr<DataResultList> list;
  DataResultNode* model = nullptr;
};

TEST_F(PlotGallery, NoTextCoversAnother) {
  TViewSelModForm form(nullptr, "", 1, 0, model, data.get());
  const char* pngDir = std::getenv("KORVANE_PLOT_PNG_DIR");
  int shown = 0;
  form.ShowModalWindow = [&](ModalDialog& window) {
    auto& plot = dynamic_cast<TViewGraphForm&>(window);
    const std::string caption = plot.windowTitle().toStdString();
    ++shown;
    if (pngDir != nullptr) {
      plot.resize(900, 700);
      plot.FormResize();
      plot.grab().save(QString::fromStdString(std::string(pngDir) + "/plot" + std::to_string(shown) + ".png"));
    }
    plot.DrawOn(std::make_unique<RecordingCanvas>(616, 577));
    auto& canvas = dynamic_cast<RecordingCanvas&>(plot.ImageCanvasInUse());
    canvas.ClearCalls();
    plot.FormResize();
    const std::vector<TextBox> boxes = TextBoxes(canvas);
    for (std::size_t i = 0; i < boxes.size(); ++i)
      for (std::size_t j = i + 1; j < boxes.size(); ++j)
        EXPECT_FALSE(Overlap(boxes[i], boxes[j])) << caption << ": \"" << boxes[i].text << "\" and \""
                                                  << boxes[j].text << "\"";
  };
  for (QToolButton* button :
       {form.SpeedButtonViewExpCalcPlot, form.SpeedButtonViewExpPredPlot, form.SpeedButtonViewWillPlotCalc,
        form.SpeedButtonViewWillPlotPred, form.SpeedButtonApplDomain, form.SpeedButtonResCalc,
        form.SpeedButtonResPred, form.SpeedButtonLMO, form.SpeedButtonYScramble, form.SpeedButtonRandDesc,
        form.SpeedButtonRandResp}) {
    ASSERT_TRUE(button->isEnabled()) << button->toolTip().toStdString();
    button->click();
  }
  EXPECT_EQ(shown, 11);
}

}  // namespace
