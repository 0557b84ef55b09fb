#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QPlainTextEdit>
#include <QToolButton>

#include "platform/qt/StringGrid.h"
#include "plot/VMtMain.h"
#include "support/FakeProjectHost.h"
#include "support/ScriptedUi.h"
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
  }

  std::unique_ptr<TViewSelModForm> Open() {
    auto form = std::make_unique<TViewSelModForm>(nullptr, "", 1, 0, model, data.get());
    form->ShowModalWindow = [this](ModalDialog& window) { opened.push_back(window.windowTitle().toStdString()); };
    return form;
  }

  FakeProjectHost host;
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
  model->cvQ2LMO = CheckedValue(0.5L, false);
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

TEST_F(SingleModelWindow, EveryPlotOpensWithItsCaptionOnACopyOfTheModel) {
  model->cvQ2LMO = model->cvQ2Yscr = model->cvQ2Xrnd = model->cvQ2Yrnd = CheckedValue(0.5L, false);
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
