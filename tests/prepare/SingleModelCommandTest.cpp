#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QToolButton>
#include <filesystem>
#include <functional>

#include "data/TempFiles.h"
#include "data/ValidationFileCopies.h"
#include "data/ValidationFiles.h"
#include "platform/base/Exception.h"
#include "platform/base/Stream.h"
#include "platform/qt/RecordingCanvas.h"
#include "plot/VGrMain.h"
#include "platform/qt/StringGrid.h"
#include "prepare/SDtMain.h"
#include "prepare/SetupTestData.h"
#include "support/EventLoop.h"
#include "support/FakeProjectHost.h"
#include "support/TestFolder.h"
#include "validate/VMdMain.h"
#include "validate/VMsMain.h"

namespace {

// What the command must give back: the lists with their counts, the response,
// the statuses and the model-ID counter.
struct SetupState {
  explicit SetupState(const ChemoData& d)
      : selected(d.ipSelectedVarPtr, d.ipSelectedVarPtr + d.iSelectedVarCount),
        split(d.ipSelectedSplitPtr, d.ipSelectedSplitPtr + d.iSelectedSplitCount),
        status(d.ipTrainingPtr, d.ipTrainingPtr + d.iObjCount),
        response(d.iResponseIndex),
        nextModelId(d.iNextModelID) {}
  bool operator==(const SetupState&) const = default;
  std::vector<int32_t> selected, split, status;
  int32_t response, nextModelId;
};

// x and the response y: objects 1-5 training, 6-7 prediction, 8 prediction and
// 10 training without a response, 9 excluded; a splitting variable s.
struct SingleModelCommand : testing::Test {
  SingleModelCommand() {
    FillData(data, {{1, 2.1L, 1}, {2, 3.9L, 2}, {3, 6.2L, 1}, {4, 7.8L, 2}, {5, 10.1L, 1},
                    {2.5L, 5.2L, 1}, {4.5L, 9.3L, 2}, {6, kMissing, 1}, {3, 6.0L, 1}, {7, kMissing, 2}});
    for (int i : {5, 6, 7}) data.ipTrainingPtr[i] = kStatusPrediction;
    data.ipTrainingPtr[8] = kStatusExcluded;
    data.iResponseIndex = 1;
    SetVarLists(data, {0}, {}, {2});
    data.ldQuikDelta = -1.0L;
  }

  // Opens the set-up, runs the command and checks that the set-up came back. The
  // validation dialog is cancelled unless onValidation says otherwise.
  void Run() {
    TDataSetupForm form(nullptr, &models, &data);
    form.ShowModalWindow = [this](ModalDialog& window) {
      if (auto* validation = dynamic_cast<TValidateModelForm*>(&window)) {
        windows.push_back("validation after " + std::to_string(ui.Shown().size()) + " messages");
        onValidation(*validation);
        return;
      }
      auto& view = dynamic_cast<TViewSelModForm&>(window);
      windows.push_back("model");
      for (int row = 0; row < view.StringGrid->RowCount(); ++row)
        cells.push_back(view.StringGrid->Cells(8, row));
      params.push_back(view.StringGridRegrPar->Cells(1, 2));
      EXPECT_EQ(view.OfferSmdSave(), 1);
      if (onModel) onModel(view);
    };
    form.ComboBoxLOFsmooth->setCurrentIndex(3);
    const SetupState before(data);
    form.ButtonSingleModelClick();
    EXPECT_EQ(SetupState(data), before);
    EXPECT_EQ(data.ldLOFSmoothing, StrToFloat(form.ComboBoxLOFsmooth->currentText().toStdString()));
    EXPECT_EQ(models.Count(), 0);
  }

  std::vector<std::string> Texts() const {
    std::vector<std::string> texts;
    for (const auto& m : ui.Shown()) texts.push_back(m.text);
    return texts;
  }

  // The main window with the four validation files registered in a test folder.
  struct Host : FakeProjectHost {
    TempFiles files;
    explicit Host(const std::string& dir) : files(dir) {
      for (const char* name : kValidationFileNames) files.AddName(name);
    }
    TempFiles* Registry() override { return &files; }
  };

  TestFolder folder;
  Host host{folder.Dir()};
  ChemoData& data = host.data;
  DataResultList models{&host.data};
  ScriptedUi& ui = TestUi();
  std::vector<std::string> cells, params, windows;
  std::function<void(TValidateModelForm&)> onValidation = [](TValidateModelForm& w) { w.ButtonCancel->click(); };
  std::function<void(TViewSelModForm&)> onModel;
};

TEST_F(SingleModelCommand, FitsTheMarkedVariablesAndShowsTheModel) {
  ui.Reset();
  ui.Answer(IDNO);
  Run();
  ASSERT_EQ(params, std::vector<std::string>{"1.9900"});
  EXPECT_EQ(windows, (std::vector<std::string>{"validation after 0 messages", "model"}));
  EXPECT_EQ(cells.at(0), "HAT i/i (h*=1.2000)");
  EXPECT_EQ(cells.at(10), "1.8000");
  ASSERT_EQ(ui.Shown().size(), 1u);
  EXPECT_EQ(ui.Shown(0).text,
            "Do you want to perform external validation (Q2-Fn, CCC, r2m, Golbraikh and Tropsha method)?");
  EXPECT_EQ(ui.Shown(0).caption, "APPLICATION REQUEST");
}

TEST_F(SingleModelCommand, AModelWindowThatFailsIsReportedInTheProgramsWords) {
  ui.Reset();
  ui.Answer(IDNO);
  data.iNextModelID = 7;
  TDataSetupForm form(nullptr, &models, &data);
  form.ShowModalWindow = [](ModalDialog&) { throw Exception("Matrix is singular"); };
  form.ButtonSingleModelClick();
  ASSERT_FALSE(ui.Shown().empty());
  EXPECT_EQ(ui.Shown().back().text, "Cannot create Validate models dialog");
  EXPECT_EQ(ui.Shown().back().caption, "APPLICATION WARNING");
  EXPECT_EQ(ui.Shown().back().Icon(), MB_ICONWARNING);
  const std::vector<std::string> texts = Texts();
  EXPECT_EQ(std::count(texts.begin(), texts.end(), "Matrix is singular"), 0);
  EXPECT_EQ(data.iNextModelID, 7);
}

TEST_F(SingleModelCommand, NoQuestionWithoutPredictionObjects) {
  ui.Reset();
  for (int i : {5, 6}) data.ipTrainingPtr[i] = kStatusExcluded;
  Run();
  EXPECT_EQ(params.size(), 1u);
  EXPECT_TRUE(ui.Shown().empty());
}

TEST_F(SingleModelCommand, RefusesBadSetupsAndPutsTheDataSetBack) {
  ui.Reset();
  for (int i = 0; i < data.iObjCount; ++i)
    if (data.ipTrainingPtr[i] == kStatusTraining) data.ipTrainingPtr[i] = kStatusPrediction;
  Run();
  ASSERT_EQ(ui.Shown().size(), 1u);
  EXPECT_EQ(ui.Shown(0).text, "Objects cannot be marked as ALL test!");
  EXPECT_EQ(ui.Shown(0).caption, "INPUT DATA ERROR");
  EXPECT_EQ(ui.Shown(0).Icon(), MB_ICONERROR);
}

TEST_F(SingleModelCommand, RefusesAnEmptyPool) {
  ui.Reset();
  SetVarLists(data, {}, {}, {2});
  Run();
  EXPECT_EQ(Texts(), std::vector<std::string>{"Data setup not valid. Response: 1 - Variable amount: 0"});
  EXPECT_EQ(ui.Shown(0).caption, "USER DATA INPUT ERROR");
}

TEST_F(SingleModelCommand, RefusesMissingValuesEvenOfExcludedObjects) {
  ui.Reset();
  data.tpChemoValuePtr[8][0].InitMissing();
  Run();
  EXPECT_EQ(Texts(), std::vector<std::string>{"Cannot calculate a model with missing data"});
  EXPECT_EQ(ui.Shown(0).caption, "USER DATA INPUT ERROR");
  EXPECT_TRUE(params.empty());
}

TEST_F(SingleModelCommand, NoTrainingResponseEndsInTheCalculationFailure) {
  ui.Reset();
  for (int i = 0; i < 5; ++i) data.tpChemoValuePtr[i][1].InitMissing();
  Run();
  EXPECT_EQ(Texts(), (std::vector<std::string>{"Zero rows matrix, cannot continue", "Cannot calculate single model"}));
  EXPECT_EQ(ui.Shown(1).caption, "APPLICATION ERROR");
  EXPECT_TRUE(params.empty());
}

// The validation dialog runs on the one model and writes the project's files;
// the model window enables and plots the kinds run; when the command ends the
// files are as before it, byte for byte.
TEST_F(SingleModelCommand, ValidatesTheModelWithTheProjectFilesPutAside) {
  ui.Reset();
  ui.Answer(IDNO);
  const std::string yscr = host.files.FindTempFilePath("~yscr~", 0);
  const std::string many = host.files.FindTempFilePath("~many~", 0);
  // A project model of the same variable, with its own record.
  ValidationRecord project{{0}, {{CheckedValue(0.5L, false), CheckedValue(0.4L, false), CheckedValue(0.6L, false)}}};
  const std::vector<uint8_t> bytes = EncodeValidationRecord(project);
  std::ofstream(yscr, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                              static_cast<std::streamsize>(bytes.size()));
  const std::string before = ReadFileText(yscr);

  onValidation = [](TValidateModelForm& w) {
    w.ComboBoxLMOPercPred->setCurrentText("50");
    w.ComboBoxLMOIter->setCurrentText("100");
    w.ComboBoxYscrIter->setCurrentText("200");
    w.show();
    w.ButtonValidate->click();
    EXPECT_TRUE(ProcessEventsUntil([&w] { return w.Result() != mrNone; }));
  };
  int plotRows = 0;
  onModel = [&](TViewSelModForm& view) {
    EXPECT_TRUE(view.SpeedButtonLMO->isEnabled());
    EXPECT_TRUE(view.SpeedButtonYScramble->isEnabled());
    EXPECT_FALSE(view.SpeedButtonRandDesc->isEnabled());
    FileStream file(yscr, FileMode::OpenRead);
    ValidationRecord record;
    const int32_t variable = 0;
    EXPECT_EQ(FindValidationRecord(file, &variable, 1, record), RecordSearch::Found);
    EXPECT_EQ(record.iterations.size(), 200u);
    EXPECT_TRUE(std::filesystem::exists(many));
    view.ShowModalWindow = [&](ModalDialog& window) {
      auto& plot = dynamic_cast<TViewGraphForm&>(window);
      plot.DrawOn(std::make_unique<RecordingCanvas>(616, 577));
      plot.FormResize();
      plotRows = plot.Data().RowCount;
    };
    view.SpeedButtonYScrambleClick();
  };
  Run();
  EXPECT_EQ(plotRows, 2 * 200 + 2);
  EXPECT_EQ(ReadFileText(yscr), before);
  EXPECT_FALSE(std::filesystem::exists(many));
  for (const auto& entry : std::filesystem::directory_iterator(folder.Dir()))
    EXPECT_EQ(entry.path().filename().string().find(".new"), std::string::npos) << entry.path();
  ASSERT_EQ(ui.Shown().size(), 1u);  // the external-validation question only
}

TEST_F(SingleModelCommand, FilesThatCannotBePutAsideSkipTheValidation) {
  ui.Reset();
  ui.Answer(IDNO);
  std::ofstream(host.files.FindTempFilePath("~many~", 0)) << "records";
  std::filesystem::create_directories(host.files.FindTempFilePath("~many~", 0) + ".new/blocked");
  Run();
  EXPECT_EQ(windows, std::vector<std::string>{"model"});
  ASSERT_EQ(ui.Shown().size(), 2u);
  EXPECT_EQ(ui.Shown(0).text, "Cannot handle undo validation files, please check your privileges.");
  EXPECT_EQ(ui.Shown(0).caption, "APPLICATION ERROR");
  EXPECT_EQ(ReadFileText(host.files.FindTempFilePath("~many~", 0)), "records");
}

}  // namespace
