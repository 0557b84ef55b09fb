#include "prepare/CPmMain.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QEvent>
#include <QLabel>
#include <QToolButton>

#include "numerics/Matrix.h"
#include "platform/qt/StringGrid.h"
#include "plot/VGrMain.h"
#include "prepare/SetupTestData.h"
#include "support/FakeProjectHost.h"
#include "support/GridColumns.h"

namespace {

using Line = std::vector<std::string>;

struct RankingWindowFixture : testing::Test {
  // Criteria A and B of the ranking example, a third column with a missing value.
  RankingWindowFixture() { FillData(data, {{5, 1, 1}, {3, 2, kMissing}, {4, 4, 2}, {5, 1, 3}, {1, 9, 4}}); }

  std::unique_ptr<TFormPcaMcdm> Open() {
    auto form = std::make_unique<TFormPcaMcdm>(nullptr, &data);
    form->ShowModalWindow = [this](ModalDialog& window) { shown.push_back(window.windowTitle().toStdString()); };
    form->RequestName = [this](const std::string&, std::string& text) {
      if (!names.empty()) text = names.front(), names.erase(names.begin());
    };
    return form;
  }
  void Select(TFormPcaMcdm& form, GridRect rect) { form.StringGrid->SetSelection(rect); }
  // Columns A (maximize) and B (minimize), weights 0.5, object 5 unselected.
  void SetUpRanking(TFormPcaMcdm& form) {
    Select(form, {4, 3, 5, 3});
    form.Select1Click();
    form.EditColumnSetting = [](bool&, CheckedValue& setting) { setting.Missing = false; };
    Select(form, {5, 3, 5, 3});
    form.SetcolumnMCDMparametersClick();
    Select(form, {0, 7, 2, 7});
    form.Unselectmolecules1Click();
  }
  Line Column(const TFormPcaMcdm& form, int col) const {
    Line texts;
    for (int row = 3; row < form.StringGrid->RowCount(); ++row) texts.push_back(form.StringGrid->Cells(col, row));
    return texts;
  }

  FakeProjectHost host;
  ChemoData& data = host.data;
  std::vector<std::string> shown;
  std::vector<std::string> names;
  ScriptedUi& ui = TestUi();
};

TEST_F(RankingWindowFixture, OpensOnTheWholeDataSetWithCalculationsDisabled) {
  auto form = Open();
  EXPECT_EQ(form->windowTitle(), "Calculate ranking");
  EXPECT_EQ(form->StringGrid->ColCount(), 8);
  EXPECT_EQ(form->StringGrid->RowCount(), 8);
  EXPECT_EQ(form->StringGrid->FixedCols(), 0);
  EXPECT_EQ(form->StringGrid->Selection(), (GridRect{4, 3, 4, 3}));
  EXPECT_EQ(form->ComboBoxOrder->currentText(), "Descending");
  EXPECT_TRUE(form->SpeedButtonCopy->isEnabled());
  for (QToolButton* b : {form->SpeedButtonPCA, form->SpeedButtonMCDM, form->SpeedButtonStoreMCDM, form->SpeedButtonCorr})
    EXPECT_FALSE(b->isEnabled());
  EXPECT_FALSE(form->ComboBoxOrder->isEnabled());
  EXPECT_FALSE(form->SetcolumnMCDMparameters->isEnabled());
}

TEST_F(RankingWindowFixture, MouseSelectionsStartAtTheData) {
  auto form = Open();
  Select(*form, {1, 1, 5, 4});
  form->StringGridMouseUp();
  EXPECT_EQ(form->StringGrid->Selection(), (GridRect{4, 3, 5, 4}));
  // A keyboard selection over the missing-value column: unselected with the message.
  Select(*form, {5, 3, 6, 3});
  form->Select1Click();
  EXPECT_EQ(ui.Shown(0).text,
            "Sorry, you cannot select colums containing missing values. They will be automatically unselected.");
  EXPECT_FALSE(form->SpeedButtonPCA->isEnabled());
  Select(*form, {4, 3, 4, 3});
  form->Select1Click();
  EXPECT_TRUE(form->SpeedButtonPCA->isEnabled());
  EXPECT_TRUE(form->Roundweighttoreach1->isEnabled());
  EXPECT_EQ(form->StringGrid->Cells(5, 2), "0.5");
}

TEST_F(RankingWindowFixture, RankingReordersAndStores) {
  auto form = Open();
  SetUpRanking(*form);
  form->SpeedButtonMCDMClick();
  EXPECT_EQ(Column(*form, 1), (Line{"1", "4", "2", "3", "5"}));
  EXPECT_TRUE(ShowsWholeTexts(*form->StringGrid, 7));  // the scores
  EXPECT_FALSE(form->SpeedButtonMCDM->isEnabled());
  EXPECT_TRUE(form->PopupCalculateMCDM->isEnabled());
  EXPECT_TRUE(form->ComboBoxOrder->isEnabled());
  EXPECT_TRUE(form->SpeedButtonStoreMCDM->isEnabled());
  form->ComboBoxOrder->setCurrentIndex(0);
  form->SpeedButtonMCDMClick();
  EXPECT_EQ(Column(*form, 1), (Line{"5", "3", "2", "4", "1"}));
  // With a current ranking the score plot offers the objects' order texts as rank classes.
  form->SpeedButtonPCAClick();
  ASSERT_NE(form->PlotWindow(1), nullptr);
  EXPECT_TRUE(form->PlotWindow(1)->PanelRange->isVisibleTo(form->PlotWindow(1)));
  EXPECT_EQ(form->PlotWindow(1)->Data().RowCount, 4);

  ui.Answer(IDYES);
  form->SpeedButtonStoreMCDMClick();
  EXPECT_EQ(ui.Shown(0).text,
            "The MCDM column will be permanently added to the dataset matrix. Do you want to proceed?");
  ASSERT_EQ(data.iVarCount, 4);
  EXPECT_EQ(data.tpVarNameStrPtr[3], "MCDM-A");
  EXPECT_EQ(FloatToStr(data.tpChemoValuePtr[3][3].Value), "0.777777777777778");
  EXPECT_EQ(form->StringGrid->Cells(7, 0), "MCDM-A");
  EXPECT_EQ(form->StringGrid->Cells(8, 0), "MCDM score");
  EXPECT_FALSE(form->SpeedButtonStoreMCDM->isEnabled());
  EXPECT_FALSE(form->PopupStoreMCDMcolumn->isEnabled());
  EXPECT_FALSE(host.modified);

  // Any selection change ends the ranking.
  Select(*form, {4, 3, 4, 3});
  form->Selectmolecules1Click();
  EXPECT_TRUE(form->SpeedButtonMCDM->isEnabled());
  EXPECT_FALSE(form->ComboBoxOrder->isEnabled());
}

TEST_F(RankingWindowFixture, AnEmptyNameCanBeGivenUp) {
  auto form = Open();
  SetUpRanking(*form);
  form->SpeedButtonMCDMClick();
  names = {"", ""};
  ui.Answer(IDYES);  // proceed
  ui.Answer(IDYES);  // enter a new name
  ui.Answer(IDNO);
  form->SpeedButtonStoreMCDMClick();
  EXPECT_EQ(ShownTexts().back(), "Procedure aborted");
  EXPECT_EQ(ui.Shown().back().caption, "APPLICATION MESSAGE");
  EXPECT_EQ(ui.Shown().size(), 4u);
  EXPECT_EQ(data.iVarCount, 3);
  EXPECT_FALSE(form->SpeedButtonStoreMCDM->isEnabled());
}

TEST_F(RankingWindowFixture, ColumnParametersNeedADataColumn) {
  auto form = Open();
  int dialogs = 0;
  form->EditColumnSetting = [&](bool& cancelled, CheckedValue& setting) {
    ++dialogs;
    setting.Value = 0.25L;
    cancelled = dialogs == 2;
  };
  Select(*form, {6, 3, 7, 3});  // the score column is left out, column 6 kept
  form->SetcolumnMCDMparametersClick();
  EXPECT_EQ(form->StringGrid->Selection(), (GridRect{6, 3, 6, 3}));
  EXPECT_EQ(form->StringGrid->Cells(6, 2), "0.25");
  Select(*form, {4, 3, 4, 3});
  form->SetcolumnMCDMparametersClick();  // cancelled
  EXPECT_EQ(form->StringGrid->Cells(4, 2), "0");
  Select(*form, {0, 3, 3, 3});  // lead columns only
  form->SetcolumnMCDMparametersClick();
  EXPECT_EQ(dialogs, 2);
}

TEST_F(RankingWindowFixture, PcaOpensOwnedPlotsAndReleasesThePreviousPair) {
  auto form = Open();
  Select(*form, {4, 3, 5, 3});
  form->Select1Click();
  form->SpeedButtonPCAClick();
  ASSERT_NE(form->PlotWindow(0), nullptr);
  ASSERT_NE(form->PlotWindow(1), nullptr);
  EXPECT_EQ(form->PlotWindow(0)->windowTitle(), "Loading plot");
  EXPECT_EQ(form->PlotWindow(1)->windowTitle(), "Score plot");
  EXPECT_EQ(form->PlotWindow(1)->Kind(), GraphKind::McdmRanking);
  EXPECT_EQ(form->PlotWindow(1)->Data().RowCount, 5);
  EXPECT_EQ(form->PlotWindow(1)->parent(), form.get());
  // Without a current ranking the order texts are "n.a." and the rank classes are not offered.
  EXPECT_FALSE(form->PlotWindow(1)->PanelRange->isVisibleTo(form->PlotWindow(1)));
  QPointer<TViewGraphForm> first = form->PlotWindow(0);
  form->SpeedButtonPCAClick();
  EXPECT_TRUE(first.isNull());

  // A score plot closed by hand is not released again, neither by the next PCA nor by the window.
  QPointer<TViewGraphForm> score = form->PlotWindow(1);
  score->close();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(score.isNull());
  EXPECT_EQ(form->PlotWindow(1), nullptr);
  form->SpeedButtonPCAClick();
  score = form->PlotWindow(1);
  score->close();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  QPointer<TViewGraphForm> loading = form->PlotWindow(0);
  form.reset();
  EXPECT_TRUE(loading.isNull());
}

TEST_F(RankingWindowFixture, ConstantColumnsFailThePcaAndKeepThePlots) {
  auto form = Open();
  Select(*form, {4, 3, 5, 3});
  form->Select1Click();
  form->SpeedButtonPCAClick();
  for (int i = 0; i < 5; ++i) data.tpChemoValuePtr[i][1].Value = 2;
  EXPECT_THROW(form->SpeedButtonPCAClick(), MatrixCalcErrorEx);
  EXPECT_NE(form->PlotWindow(0), nullptr);
  EXPECT_EQ(ui.busyDepth, 0);
}

TEST_F(RankingWindowFixture, CorrelationAndCopy) {
  host.separator = ',';
  data.tpChemoValuePtr[0][0].Value = 5.5L;
  auto form = Open();
  Select(*form, {4, 3, 5, 3});
  form->Select1Click();
  form->SpeedButtonCorrClick();
  EXPECT_EQ(shown, (Line{"View correlation matrix"}));
  Select(*form, {4, 3, 5, 4});
  form->SpeedButtonCopyClick();
  EXPECT_EQ(ui.clipboard,
            "No\tID\tName\tStatus\tV0\tV1\t\r\n1\t1\tO0\tTraining\t5,5\t1\t\r\n2\t2\tO1\tTraining\t3\t2\t\r\n");
}

}  // namespace
