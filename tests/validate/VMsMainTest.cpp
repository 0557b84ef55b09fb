#include <gtest/gtest.h>

#include <QAction>
#include <QTemporaryDir>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <QCheckBox>
#include <QLineEdit>
#include <QComboBox>
#include <QPlainTextEdit>
#include <QToolButton>

#include "platform/qt/RecordingCanvas.h"
#include "platform/qt/StringGrid.h"
#include "plot/ModelPlotFill.h"
#include "plot/VMtMain.h"
#include "support/FailingAllocation.h"
#include "support/FakeProjectHost.h"
#include "support/ScriptedUi.h"
#include "support/TestFolder.h"
#include "data/TempFiles.h"
#include "data/ValidationFiles.h"
#include "validate/InternalValidation.h"
#include "platform/base/Files.h"
#include "platform/base/Stream.h"
#include "validate/SingleModelFile.h"
#include "validate/VMsMain.h"
#include "validate/ValidationTestData.h"

namespace {

using validationtest::FitByEngine;
using validationtest::MakeData;

struct SingleModelWindow : ::testing::Test {
  SingleModelWindow() {
    TestUi().Reset();
    data = MakeData({{1, {1}, 2.1L}, {1, {2}, 3.9L}, {1, {3}, 6.2L}, {1, {4}, 7.8L}, {1, {5}, 10.1L},
                     {2, {2.5L}, 5.2L}, {2, {4.5L}, 9.3L}, {2, {6}, {}}, {0, {3}, 6.0L}, {1, {7}, {}}});
    list = std::make_unique<DataResultList>(data.get());
    model = &FitByEngine(*data, *list, {0});
    model->sName = "M1";
    for (const char* name : {"~many~", "~yscr~", "~rdes~", "~rres~"}) registry.AddName(name);
    host.registry = &registry;
  }

  // The model carries the kind's results, and its file a record of them.
  void Validated(int kind) {
    model->*kValidationMeanQ2[kind] = CheckedValue(0.5L, false);
    WriteRecord(kind, {{0}, {{CheckedValue(0.5L, false), CheckedValue(0.4L, false), CheckedValue(0.9L, false)}}});
  }
  void WriteRecord(int kind, const ValidationRecord& record) {
    FileStream file(registry.FindTempFilePath(ValidationFileTag(kind), 0), FileMode::Create);
    WriteValidationRecord(file, record);
  }

  std::unique_ptr<TViewSelModForm> Open() {
    auto form = std::make_unique<TViewSelModForm>(nullptr, "", 1, 0, model, data.get());
    form->ShowModalWindow = [this](ModalDialog& window) { opened.push_back(window.windowTitle().toStdString()); };
    return form;
  }

  FakeProjectHost host;
  TestFolder folder;
  TempFiles registry{folder.Dir()};
  std::unique_ptr<ChemoData> data;
  std::unique_ptr<DataResultList> list;
  DataResultNode* model = nullptr;
  std::vector<std::string> opened;
};

TEST_F(SingleModelWindow, ShowsBothGridsTheTextAndTheThresholdColours) {
  auto form = Open();
  EXPECT_EQ(form->windowTitle(), "Model: M1");
  EXPECT_EQ(form->StringGridRegrPar->Cells(1, 1), "0.0500");
  EXPECT_EQ(form->StringGrid->Cells(8, 0), "HAT i/i (h*=1.2000)");
  EXPECT_EQ(form->StringGrid->Cells(6, 2), "4.0857");
  EXPECT_EQ(form->StringGrid->RowCount(), 11);
  EXPECT_TRUE(form->RichEdit->toPlainText().contains("Predictions by LOO:"));
  EXPECT_TRUE(form->RichEdit->toPlainText().contains(QString::fromUtf8("-0.8509\u00B0")));
  ASSERT_EQ(form->ComboBoxStdRes->count(), 8);
  EXPECT_EQ(form->ComboBoxStdRes->currentText(), "2.5");

  auto objectFill = [&](int col, int row) {
    CellLook look{clWhite, clBlack, false, false};
    form->StringGridDrawCell(col, row, look);
    return look.fill;
  };
  EXPECT_EQ(objectFill(10, 5), clWhite);
  form->ComboBoxStdRes->setCurrentIndex(3);  // "2.0", read at every paint
  form->ComboBoxStdResChange();
  EXPECT_EQ(objectFill(10, 5), TColor(kCellMagenta));
  EXPECT_EQ(objectFill(9, 7), TColor(kCellMagenta));
  EXPECT_EQ(objectFill(9, 5), clWhite);
  EXPECT_EQ(objectFill(8, 10), TColor(kCellRed));
  EXPECT_EQ(objectFill(8, 0), clWhite);

  CellLook look{clWhite, clBlack, false, false};
  form->StringGridRegrParDrawCell(5, 1, look);
  EXPECT_EQ(look.fill, TColor(kCellRed));
}

TEST_F(SingleModelWindow, ValidationPlotsAreDisabledWithoutResultsAndQmrfHidden) {
  Validated(kLeaveManyOut);
  auto form = Open();
  EXPECT_TRUE(form->SpeedButtonLMO->isEnabled());
  EXPECT_TRUE(form->ViewLMOdatapoints1->isEnabled());
  for (QToolButton* b : {form->SpeedButtonYScramble, form->SpeedButtonRandDesc, form->SpeedButtonRandResp})
    EXPECT_FALSE(b->isEnabled());
  for (QAction* a : {form->ViewYscrambling1, form->ViewRx1, form->ViewRanomresponseplot1}) EXPECT_FALSE(a->isEnabled());
  EXPECT_TRUE(form->SpeedButtonQMRF->isHidden());
  EXPECT_FALSE(form->ViewQMRF1->isVisible());
  EXPECT_EQ(form->QmrfPdfPath(), "pdf");
}

TEST_F(SingleModelWindow, WilliamsPlotWarnsAboutObjectsWithoutResidualsThenOpens) {
  auto form = Open();
  form->SpeedButtonViewWillPlotPredClick();
  EXPECT_TRUE(TestUi().Shown().empty());
  form->Analysis().NoResidualCalcNames() = "A(7)";
  form->SpeedButtonViewWillPlotCalcClick();
  ASSERT_EQ(TestUi().Shown().size(), 1u);
  EXPECT_EQ(TestUi().Shown(0).text,
            "The following objects will not be displayed because it was not possible to calculate the "
            "residuals.\n\nA(7)");
  EXPECT_EQ(TestUi().Shown(0).caption, "APPLICATION WARNING");
  EXPECT_EQ(opened, (std::vector<std::string>{"Williams plot - Predicted by LOO: M1",
                                              "Williams plot - Pred. by model eq.: M1"}));
}

// A model keeps its means when a new search deletes the validation files: the
// plots that would find no record are disabled, as those of no results.
TEST_F(SingleModelWindow, ValidationPlotsWithoutTheModelsRecordAreDisabled) {
  Validated(kLeaveManyOut);
  Validated(kRandomDescriptors);
  model->cvQ2Yscr = model->cvQ2Yrnd = CheckedValue(0.5L, false);
  WriteRecord(kRandomResponses, {{1}, {}});  // another model's
  auto form = Open();
  EXPECT_TRUE(form->SpeedButtonLMO->isEnabled());
  EXPECT_TRUE(form->ViewRx1->isEnabled());
  EXPECT_FALSE(form->SpeedButtonYScramble->isEnabled());
  EXPECT_FALSE(form->ViewYscrambling1->isEnabled());
  EXPECT_FALSE(form->SpeedButtonRandResp->isEnabled());
  EXPECT_FALSE(form->ViewRanomresponseplot1->isEnabled());
  EXPECT_TRUE(TestUi().Shown().empty());
}

TEST_F(SingleModelWindow, EveryPlotOpensWithItsCaptionOnACopyOfTheModel) {
  for (int kind = 0; kind < kValidationKindCount; ++kind) Validated(kind);
  auto form = Open();
  const std::string before = ModelReportText(*model);
  for (QToolButton* b : {form->SpeedButtonViewExpCalcPlot, form->SpeedButtonViewExpPredPlot, form->SpeedButtonResCalc,
                         form->SpeedButtonResPred, form->SpeedButtonApplDomain, form->SpeedButtonLMO,
                         form->SpeedButtonYScramble, form->SpeedButtonRandDesc, form->SpeedButtonRandResp})
    b->click();
  EXPECT_EQ(opened, (std::vector<std::string>{
                        "Exp. endpoint vs Pred. by model eq.: M1", "Exp. endpoint vs Predicted by LOO: M1",
                        "Residuals of Pred. by model eq.: M1", "Residuals of Predicted by LOO: M1",
                        "Tolvirna graph: M1", "LMO: M1", "Y-scramble: M1", "Random descriptors: M1",
                        "Random responses: M1"}));
  EXPECT_EQ(ModelReportText(*model), before);
  EXPECT_TRUE(TestUi().Shown().empty());
}

TEST_F(SingleModelWindow, APlotWithoutRoomForItsCopyOfTheModelSaysSo) {
  auto form = Open();
  FailNextNothrowAllocation(sizeof(DataResultNode));
  form->SpeedButtonViewExpCalcPlot->click();
  EXPECT_TRUE(opened.empty());
  ASSERT_EQ(TestUi().Shown().size(), 1u);
  EXPECT_EQ(TestUi().Shown(0).text, "Cannot find any data model");
  EXPECT_EQ(TestUi().Shown(0).caption, "APPLICATION WARNING");
  EXPECT_EQ(TestUi().Shown(0).Icon(), MB_ICONWARNING);
}

// Opens one plot of the window, draws it on a recording canvas and hands it to check.
void DrawPlot(TViewSelModForm& form, void (TViewSelModForm::*command)(),
              const std::function<void(TViewGraphForm&)>& check) {
  bool shown = false;
  form.ShowModalWindow = [&](ModalDialog& window) {
    auto& plot = dynamic_cast<TViewGraphForm&>(window);
    plot.DrawOn(std::make_unique<RecordingCanvas>(616, 577));
    plot.FormResize();
    check(plot);
    shown = true;
  };
  (form.*command)();
  EXPECT_TRUE(shown);
}

std::vector<std::string> Limits(TViewGraphForm& plot) {
  std::vector<std::string> limits;
  for (QLineEdit* edit : plot.EditLimit) limits.push_back(edit->text().toStdString());
  return limits;
}

TEST_F(SingleModelWindow, WilliamsPlotDrawsTrainingAndPredictionWithThresholdLines) {
  auto form = Open();
  DrawPlot(*form, &TViewSelModForm::SpeedButtonViewWillPlotCalcClick, [](TViewGraphForm& plot) {
    const GraphData& d = plot.Data();
    EXPECT_EQ(d.XAxisName, "HAT i/i (h* = 1.200)");
    EXPECT_EQ(d.YAxisName, "Std. residuals");
    const AxisParams& a = d.Axis;
    EXPECT_TRUE(a.HorizontalLines && a.FullWidth && a.ZeroLine && a.VerticalLine && a.Legend);
    EXPECT_EQ(a.FirstLineY, -2.5L);
    EXPECT_EQ(a.SecondLineY, 2.5L);
    EXPECT_NEAR(static_cast<double>(a.VerticalLineX), 1.2, 1e-12);
    ASSERT_EQ(a.GroupCount, 2);
    EXPECT_EQ(std::vector<int32_t>(a.ElementGroup, a.ElementGroup + 10),
              (std::vector<int32_t>{0, 0, 0, 0, 0, 1, 1, -1, -1, -1}));
    EXPECT_EQ(a.LegendNames[1], "Prediction");
    EXPECT_EQ(a.GroupColors[0], clYellow);
    EXPECT_EQ(a.GroupColors[1], clBlue);
    EXPECT_EQ(Limits(plot)[2], "-3");
    EXPECT_EQ(Limits(plot)[3], "3");
  });
  EXPECT_EQ(LeverageAxisName(0.0004L), "HAT i/i (h* = 4.00E-04)");
}

TEST_F(SingleModelWindow, ApplicabilityDomainAddsTheUnknownObjects) {
  auto form = Open();
  DrawPlot(*form, &TViewSelModForm::SpeedButtonApplDomainClick, [](TViewGraphForm& plot) {
    const AxisParams& a = plot.Data().Axis;
    ASSERT_EQ(a.GroupCount, 3);
    EXPECT_EQ(std::vector<int32_t>(a.ElementGroup, a.ElementGroup + 10),
              (std::vector<int32_t>{0, 0, 0, 0, 0, 1, 1, 2, -1, 2}));
    EXPECT_EQ(a.LegendNames[2], "Unknown");
    EXPECT_EQ(a.GroupColors[2], clRed);
    EXPECT_TRUE(a.VerticalLine && a.HorizontalLines && !a.FullWidth && !a.ZeroLine);
    EXPECT_NEAR(static_cast<double>(a.FirstLineY), 2.04, 1e-12);
    EXPECT_NEAR(static_cast<double>(a.SecondLineY), 10.0, 1e-12);
    EXPECT_NEAR(static_cast<double>(a.LineEndX), 1.2, 1e-12);
  });
}

TEST_F(SingleModelWindow, ApplicabilityDomainWithoutPredictionObjectsShowsUnknownSecond) {
  data->ipTrainingPtr[5] = data->ipTrainingPtr[6] = kStatusExcluded;
  auto form = Open();
  DrawPlot(*form, &TViewSelModForm::SpeedButtonApplDomainClick, [](TViewGraphForm& plot) {
    const AxisParams& a = plot.Data().Axis;
    ASSERT_EQ(a.GroupCount, 2);
    EXPECT_EQ(a.ElementGroup[7], 1);
    EXPECT_EQ(a.LegendNames[1], "Unknown");
    EXPECT_EQ(a.GroupColors[1], clRed);
  });
}

TEST_F(SingleModelWindow, ExperimentalPlotsDrawTheBandAndResidualPlotsLeaveOutTheOrigin) {
  auto form = Open();
  const long double offsets[] = {0.4152L, 0.5385L};
  int n = 0;
  for (auto command : {&TViewSelModForm::SpeedButtonViewExpCalcPlotClick, &TViewSelModForm::SpeedButtonViewExpPredPlotClick})
    DrawPlot(*form, command, [&](TViewGraphForm& plot) {
      const AxisParams& a = plot.Data().Axis;
      EXPECT_TRUE(a.Band && a.SameRange);
      EXPECT_NEAR(static_cast<double>(a.BandOffset), static_cast<double>(offsets[n++]), 5e-5);
      EXPECT_FALSE(plot.CheckBoxVieRegr->isHidden());
    });
  DrawPlot(*form, &TViewSelModForm::SpeedButtonResCalcClick, [](TViewGraphForm& plot) {
    EXPECT_EQ(plot.Data().YAxisName, "Residuals");
    EXPECT_EQ(Limits(plot)[0].rfind("1.85", 0), 0u);  // 2.1 less a 32nd of the span 8
    EXPECT_EQ(Limits(plot)[2], "-1");
    EXPECT_EQ(Limits(plot)[3], "1");
  });
}

TEST_F(SingleModelWindow, CorrelationMatrixNeedsTwoDescriptors) {
  auto form = Open();
  form->SpeedButtonCorrMatrClick();
  ASSERT_EQ(TestUi().Shown().size(), 1u);
  EXPECT_EQ(TestUi().Shown(0).text, "Sorry, the application needs more than one descriptor.");
  EXPECT_EQ(TestUi().Shown(0).caption, "APPLICATION WARNING");
  EXPECT_TRUE(opened.empty());
}

TEST_F(SingleModelWindow, CorrelationMatrixShowsTheLowerTriangle) {
  data = MakeData({{1, {1, 2}, 3.0L}, {1, {2, 1}, 3.2L}, {1, {3, 4}, 7.1L}, {1, {4, 3}, 6.8L}, {1, {5, 6}, 11.2L},
                   {1, {6, 5}, 10.9L}});
  list = std::make_unique<DataResultList>(data.get());
  model = &FitByEngine(*data, *list, {0, 1});
  auto form = std::make_unique<TViewSelModForm>(nullptr, "", 1, 0, model, data.get());
  std::vector<std::string> cells;
  form->ShowModalWindow = [&](ModalDialog& window) {
    EXPECT_EQ(window.windowTitle(), "View correlation matrix");
    auto* matrix = dynamic_cast<TFormViewMatrix*>(&window);
    ASSERT_NE(matrix, nullptr);
    for (int row = 0; row < matrix->StringGrid->RowCount(); ++row)
      for (int col = 0; col < matrix->StringGrid->ColCount(); ++col)
        cells.push_back(matrix->StringGrid->CellText(col, row));
  };
  form->SpeedButtonCorrMatrClick();
  EXPECT_NE(std::find(cells.begin(), cells.end(), "0.8286"), cells.end());
  EXPECT_TRUE(TestUi().Shown().empty());
}

}  // namespace

namespace {

std::string FileText(const std::string& fileName) {
  std::ifstream in(fileName, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST_F(SingleModelWindow, CopyPutsTheGridsOnTheClipboard) {
  auto form = Open();
  form->SpeedButtonCopyClick();
  EXPECT_EQ(TestUi().clipboard.substr(0, TestUi().clipboard.find("\r\n")),
            "Variable\tCoeff.\tStd. coeff.\tStd. err.\t(+/-) Co. int. 95%\tp-value\t");
  EXPECT_EQ(TestUi().busyDepth, 0);
}

TEST_F(SingleModelWindow, SaveWritesTheReportOrTheModelFileAndAsksBeforeReplacing) {
  QTemporaryDir dir;
  const std::string base = dir.path().toStdString() + "/";
  auto form = Open();
  TestUi().AnswerFile(base + "report", 1);
  form->SpeedButtonSaveToFileClick();
  EXPECT_EQ(TestUi().FileDialogs().at(0).options.filter, "Text file (*.txt)|*.txt|Single model (*.smd)|*smd");
  EXPECT_EQ(FileText(base + "report.txt").substr(0, 13), "Model: M1\r\n\r\n");

  {
    std::ofstream(base + "report.txt", std::ios::binary) << "old";
  }
  TestUi().AnswerFile(base + "report.TXT", 1);
  TestUi().Answer(IDNO);
  form->SpeedButtonSaveToFileClick();
  EXPECT_EQ(TestUi().Shown(0).text, base + "report.txt already exists. Do you want to overwrite it?");
  EXPECT_EQ(FileText(base + "report.txt"), "old");

  TestUi().AnswerFile(base + "model.smd", 2);
  form->SpeedButtonSaveToFileClick();
  ChemoData read;
  DataResultNode readModel;
  FileStream stream(base + "model.smd", FileMode::OpenRead);
  ReadSingleModelFile(stream, readModel, read);
  EXPECT_EQ(readModel.iSize, 1);

  // The dialog opens again on the name and filter last chosen.
  form->SpeedButtonSaveToFileClick();
  EXPECT_EQ(TestUi().FileDialogs().back().options.fileName, base + "model.smd");
  EXPECT_EQ(TestUi().FileDialogs().back().options.filterIndex, 2);
}

TEST_F(SingleModelWindow, SavesUnderNamesBeyondAsciiAsTheFileSystemsBytes) {
  QTemporaryDir dir;
  const std::string out = dir.path().toStdString() + "/sortie_é/";
  std::filesystem::create_directories(out);
  auto form = Open();
  TestUi().AnswerFile(out + "rapport_ü", 1);
  form->SpeedButtonSaveToFileClick();
  TestUi().AnswerFile(out + "modèle_ж.smd", 2);
  form->SpeedButtonSaveToFileClick();
  EXPECT_EQ(ListFiles(out, "*"), (std::vector<std::string>{"modèle_ж.smd", "rapport_ü.txt"}));
  EXPECT_TRUE(TestUi().Shown().empty());
}

}  // namespace
