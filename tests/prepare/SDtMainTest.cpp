#include "prepare/SDtMain.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QPushButton>
#include <QRadioButton>
#include <deque>

#include "platform/qt/StringGrid.h"
#include "prepare/DescriptorPca.h"
#include "plot/VGrMain.h"
#include "plot/VMtMain.h"
#include "prepare/FixedClock.h"
#include "prepare/SetupTestData.h"
#include "support/FakeProjectHost.h"

namespace {

using Statuses = std::vector<int32_t>;

// Eight objects: V0 the response (missing for O2), V1..V3 descriptors (V3
// held), V4 a splitting variable; O7 excluded.
struct SetupFixture : testing::Test {
  SetupFixture() {
    FillData(data, {{5, 1, 2, 0.5, 1},
                    {3, 2, 1, 0.7, 2},
                    {kMissing, 3, 5, 0.2, 0},
                    {1, 4, 3, 0.9, 1},
                    {4, 5, 4, 0.1, 1},
                    {2, 6, 7, 0.4, 2},
                    {7, 7, 6, 0.8, 1},
                    {6, 8, 8, 0.3, 1}});
    data.ipTrainingPtr[7] = kStatusExcluded;
    data.iResponseIndex = 0;
    SetVarLists(data, {1, 2, 3}, {3}, {4});
  }

  std::unique_ptr<TDataSetupForm> Open() {
    auto form = std::make_unique<TDataSetupForm>(nullptr, &models, &data);
    form->RequestName = [this](const std::string&, std::string& text) {
      if (names.empty()) return;
      text = names.front();
      names.pop_front();
    };
    form->ShowModalWindow = [this](ModalDialog& window) { shownModal.push_back(StdTitle(window)); };
    return form;
  }
  static std::string StdTitle(QWidget& window) { return window.windowTitle().toStdString(); }

  static void SelectRows(StringGrid* grid, int top, int bottom) { grid->SetSelection({2, top, 2, bottom}); }
  static void Choose(QComboBox* combo, int item) { combo->setCurrentIndex(item); }

  FakeProjectHost host;  // before the reference to its data set
  ChemoData& data = host.data;
  DataResultList models{&host.data};
  std::deque<std::string> names;
  std::vector<std::string> shownModal;
  ScriptedUi& ui = TestUi();
};

TEST_F(SetupFixture, BadIndicesAreIgnoredAndReportedOnce) {
  SetVarLists(data, {1, 40, -2}, {3}, {99});
  auto form = Open();
  ASSERT_EQ(ui.Shown().size(), 1u);
  EXPECT_EQ(ui.Shown(0).caption, "APPLICATION WARNING");
  EXPECT_EQ(form->StringGridVar->Cells(2, 5), "");
}

TEST_F(SetupFixture, ResponseMarkedAsVariableIsRefusedAtOKAndBySingleModel) {
  auto form = Open();
  SelectRows(form->StringGridVar, 1, 1);
  form->ButtonSetXClick();  // the working response stays V0
  form->ButtonOKClick();
  form->ButtonSingleModelClick();
  ASSERT_EQ(ui.Shown().size(), 2u);
  for (const auto& shown : ui.Shown()) {
    EXPECT_EQ(shown.text, "Data setup not valid: the response variable V0 is no longer marked as response");
    EXPECT_EQ(shown.caption, "USER DATA INPUT ERROR");
  }
  EXPECT_TRUE(shownModal.empty());  // no model fitted
  EXPECT_EQ(form->Result(), mrNone);
  EXPECT_EQ(data.iSelectedVarCount, 3);
}

TEST_F(SetupFixture, OrderedSplitByResponseLeavesOutMissingResponses) {
  auto form = Open();
  Choose(form->ComboBoxRATest, 1);
  Choose(form->ComboBoxRATrain, 2);
  form->ComboBoxRATrainChange();
  // Order by response: O3 O5 O1 O4 O0 O7 O6; O2 has none and keeps its role.
  EXPECT_EQ(form->Order(), (Statuses{3, 5, 1, 4, 0, 7, 6}));
  EXPECT_EQ(form->WorkingStatus(), (Statuses{1, 1, 1, 1, 2, 1, 1, 1}));
  Choose(form->ComboBoxRABegin, 1);
  form->ComboBoxRABeginChange();
  EXPECT_EQ(form->WorkingStatus(), (Statuses{2, 1, 1, 1, 1, 2, 1, 1}));

  ui.Answer(IDYES);
  form->ButtonSwapClick();
  EXPECT_EQ(form->WorkingStatus(), (Statuses{1, 2, 1, 1, 2, 1, 1, 2}));

  // A new response leaves the order stale: Swap still asks, and Yes orders by the new one.
  SelectRows(form->StringGridVar, 2, 2);
  form->ButtonSetYClick();
  EXPECT_FALSE(form->OrderValid());
  ui.Answer(IDYES);
  form->ButtonSwapClick();
  EXPECT_EQ(form->Order(), (Statuses{0, 1, 2, 3, 4, 5, 6, 7}));
  EXPECT_EQ(form->WorkingStatus(), (Statuses{1, 1, 2, 2, 1, 2, 2, 2}));
}

TEST_F(SetupFixture, StructureOrdersTheScoredObjectsByTheirFirstComponentWithTheSetupLent) {
  data.ipTrainingPtr[7] = kStatusTraining;
  data.ipTrainingPtr[3] = kStatusExcluded;  // not last: score rows and objects part ways after it
  VariablePca pca;
  ASSERT_TRUE(ComputeVariablePca(data, {1, 2, 3}, pca));
  std::vector<std::pair<long double, int32_t>> scored;
  for (std::size_t r = 0; r < pca.objects.size(); ++r)
    scored.emplace_back(pca.Score(static_cast<int>(r), 1), pca.objects[r]);
  std::sort(scored.begin(), scored.end());
  Statuses expected;
  for (const auto& [score, obj] : scored) expected.push_back(obj);
  ASSERT_EQ(expected.size(), 7u);  // O3 is excluded: no score

  auto form = Open();
  data.ipTrainingPtr[1] = kStatusPrediction;  // the form lends its own statuses, not these
  Choose(form->ComboBoxRATest, 1);
  Choose(form->ComboBoxRATrain, 1);
  form->RadioButtonOrdByPCA1->setChecked(true);  // runs the radio button's handler
  EXPECT_EQ(form->Order(), expected);
  EXPECT_NE(form->Order(), (Statuses{0, 1, 2, 4, 5, 6, 7}));  // the data is not in score order already
  EXPECT_EQ(data.ipTrainingPtr[1], kStatusPrediction);  // lent and given back
  EXPECT_EQ(data.iResponseIndex, 0);
  data.ipTrainingPtr[1] = kStatusTraining;
  data.ipTrainingPtr[7] = kStatusExcluded;

  // A constant marked variable fails the analysis: reported, order empty, lending undone.
  for (int i = 0; i < 8; ++i) data.tpChemoValuePtr[i][2].Value = 3.0L;
  form->ButtonExcludedClick();  // status cell of O0: working status 0
  form->RadioButtonOrdByResp->setChecked(true);
  ui.Clear();
  form->RadioButtonOrdByPCA1->setChecked(true);
  EXPECT_EQ(ShownTexts(), (Texts{"Austoscaled matrix error.calculation error"}));
  EXPECT_TRUE(form->Order().empty());
  EXPECT_FALSE(form->OrderValid());
  EXPECT_EQ(data.ipTrainingPtr[0], kStatusTraining);
}

TEST_F(SetupFixture, SwapWithoutAnOrderExchangesEveryRoleWithoutAsking) {
  data.ipTrainingPtr[2] = kStatusPrediction;
  auto form = Open();
  form->ButtonSwapClick();
  EXPECT_TRUE(ui.Shown().empty());
  EXPECT_EQ(form->WorkingStatus(), (Statuses{2, 2, 1, 2, 2, 2, 2, 0}));
}

TEST_F(SetupFixture, ResponseDistributionsShowTheResponsesOfEachRoleInTheirOwnWindow) {
  data.ipTrainingPtr[1] = data.ipTrainingPtr[4] = kStatusPrediction;  // responses 3 and 4
  auto form = Open();
  form->ButtonRespDistClick();
  TViewGraphForm* training = form->PlotWindow(2);
  TViewGraphForm* prediction = form->PlotWindow(3);
  ASSERT_NE(training, nullptr);
  ASSERT_NE(prediction, nullptr);
  EXPECT_EQ(StdTitle(*training), "View response training distribution");
  EXPECT_EQ(StdTitle(*prediction), "View response prediction distribution");
  auto values = [](TViewGraphForm* window) {
    std::vector<long double> v;
    for (int r = 0; r < window->Data().RowCount; ++r) v.push_back(window->Data().tpGraphValue[r][0].Value);
    return v;
  };
  // O2 lacks its response and O7 is excluded: neither is shown.
  EXPECT_EQ(values(training), (std::vector<long double>{5, 1, 2, 7}));
  EXPECT_EQ(values(prediction), (std::vector<long double>{3, 4}));
  EXPECT_EQ(training->parentWidget(), form.get());  // owned by the set-up: kept above it
  EXPECT_TRUE(training->isWindow());

  for (int i = 0; i < 8; ++i)
    if (data.ipTrainingPtr[i] == kStatusPrediction) data.ipTrainingPtr[i] = kStatusTraining;
  auto allTraining = Open();
  allTraining->ButtonRespDistClick();  // no prediction object: one window
  EXPECT_NE(allTraining->PlotWindow(2), nullptr);
  EXPECT_EQ(allTraining->PlotWindow(3), nullptr);
}

TEST_F(SetupFixture, RandomSplitDrawsFromTheClassLibraryGenerator) {
  auto form = Open();
  const FixedClock clock(77);
  Choose(form->ComboBoxRandom, 5);  // 25 %: 2 of 8 objects
  form->ComboBoxRandomChange();
  EXPECT_EQ(form->WorkingStatus(), FixedClock::Exchanged({2, 2, 1, 1, 1, 1, 1, 1}));
}

TEST_F(SetupFixture, NamedSplittingsAreCreatedRecalledAndDeleted) {
  auto form = Open();
  // The button and the object grid's pop-up item are enabled together, while a splitting exists.
  const auto deletable = [&form] {
    EXPECT_EQ(form->PopupDeleteSplitting->isEnabled(), form->ButtonDeleteSplitting->isEnabled());
    return form->ButtonDeleteSplitting->isEnabled();
  };
  EXPECT_FALSE(deletable());
  names = {"first"};
  form->ButtonCreateSplittingClick();
  EXPECT_TRUE(deletable());
  SelectRows(form->StringGridObj, 1, 2);
  form->ButtonTestClick();
  names = {"first", ""};
  ui.Answer(IDYES);
  ui.Answer(IDNO);
  form->ButtonCreateSplittingClick();
  EXPECT_EQ(ShownTexts(), (Texts{"first already exist: do you want to enter a new name?",
                                 "Empty string: do you want to enter a new name?", "Procedure aborted"}));
  names = {"second"};
  form->ButtonCreateSplittingClick();
  ASSERT_EQ(form->WorkingSplittings().size(), 2u);

  Choose(form->ComboBoxSplitting, 0);
  ui.Clear();
  form->ButtonDeleteSplittingClick();  // nothing chosen: nothing asked, nothing deleted
  EXPECT_TRUE(ui.Shown().empty());
  Choose(form->ComboBoxSplitting, 1);
  form->ButtonDeleteSplittingClick();
  EXPECT_EQ(ui.Shown(0).text, "Do you really want to delete first?");
  ASSERT_EQ(form->WorkingSplittings().size(), 1u);
  EXPECT_EQ(form->WorkingStatus()[0], kStatusPrediction);  // the last remaining splitting
  EXPECT_EQ(data.iSplitCount, 0);
  EXPECT_TRUE(deletable());
  Choose(form->ComboBoxSplitting, 1);
  form->ButtonDeleteSplittingClick();
  EXPECT_TRUE(form->WorkingSplittings().empty());
  EXPECT_FALSE(deletable());
}

TEST_F(SetupFixture, SetSplittingReadsTheVariableAndWarnsOnce) {
  data.tpChemoValuePtr[1][4].Value = 3.0L;
  data.tpChemoValuePtr[2][4].Value = -7.0L;
  auto form = Open();
  SelectRows(form->StringGridVar, 5, 5);
  form->ButtonSetSplittingClick();
  EXPECT_EQ(form->WorkingStatus(), (Statuses{1, 1, 1, 1, 1, 2, 1, 1}));
  EXPECT_EQ(ShownTexts(), (Texts{"Invalid splitting values found forced to training status"}));
}

TEST_F(SetupFixture, OKChecksBeforeDiscardingModelsThenWritesBack) {
  models.Append();
  auto form = Open();
  SelectRows(form->StringGridObj, 1, 8);
  form->ButtonTestClick();
  form->ButtonOKClick();
  EXPECT_EQ(ui.Shown(0).text, "Objects cannot be marked as ALL test!");
  SelectRows(form->StringGridObj, 1, 6);
  form->ButtonTrainingClick();
  SelectRows(form->StringGridVar, 2, 4);
  form->ButtonReleaseXClick();
  form->ButtonOKClick();
  EXPECT_EQ(ui.Shown(1).text, "Data setup not valid. Response: 0 - Variable amount: 0");
  EXPECT_EQ(host.discards, 0);
  EXPECT_EQ(models.Count(), 1);

  SelectRows(form->StringGridVar, 2, 2);
  form->ButtonSetXClick();
  SelectRows(form->StringGridVar, 3, 3);
  form->ButtonHoldVarClick();
  Choose(form->ComboBoxLOFsmooth, 14);
  ui.Answer(IDNO);
  form->ButtonOKClick();
  EXPECT_EQ(ui.Shown(2).text, "Previous calculated models data will be erased! Do you want to continue?");

  form->ButtonOKClick();
  EXPECT_EQ(host.discards, 1);
  EXPECT_EQ(form->Result(), mrOk);
  EXPECT_EQ(data.iSelectedVarCount, 2);
  EXPECT_EQ(data.ipSelectedHoldPtr[0], 2);
  EXPECT_EQ(data.ipTrainingPtr[7], kStatusPrediction);
  EXPECT_EQ(data.ldLOFSmoothing, 1.5L);
  EXPECT_TRUE(host.modified);
}

TEST_F(SetupFixture, CancelLeavesTheDataSetUntouched) {
  auto form = Open();
  SelectRows(form->StringGridObj, 1, 3);
  form->ButtonExcludedClick();
  form->ButtonClearAllClick();
  form->ButtonCancel->click();
  EXPECT_EQ(form->Result(), mrCancel);
  EXPECT_EQ(data.ipTrainingPtr[0], kStatusTraining);
  EXPECT_EQ(data.iResponseIndex, 0);
  EXPECT_EQ(data.iSelectedVarCount, 3);
}

TEST_F(SetupFixture, NormaliseRefusesWithoutSelectedAndKeepsConstantVariables) {
  for (int i = 0; i < 8; ++i) data.tpChemoValuePtr[i][1].Value = 4.0L;
  auto form = Open();
  SelectRows(form->StringGridVar, 2, 3);
  form->ButtonHoldVarClick();
  form->NormalizevariableClick();
  SelectRows(form->StringGridVar, 2, 2);
  form->ButtonSetXClick();
  form->NormalizevariableClick();
  EXPECT_EQ(ShownTexts(), (Texts{"No variables selected, cannot normalize.",
                                 "Normalization cannot be cancelled, would you like to continue?",
                                 "Variables with a null or overflowing range were left unchanged: V1"}));
  EXPECT_EQ(data.tpChemoValuePtr[0][1].Value, 4.0L);
  EXPECT_EQ(data.tpChemoValuePtr[1][2].Value, 0.0L);
  EXPECT_EQ(data.tpChemoValuePtr[7][2].Value, 1.0L);
}

TEST_F(SetupFixture, PcaVariablesGrowTheGridOnlyWhenAdded) {
  auto form = Open();
  names = {"scores"};
  form->Button1Click();
  ASSERT_EQ(data.iVarCount, 8);
  EXPECT_EQ(form->StringGridVar->Cells(1, 6).substr(0, 21), "PCA-1(scores) (EV% = ");
  EXPECT_TRUE(data.tpChemoValuePtr[7][5].Missing);  // excluded with a response: no score
  EXPECT_EQ(data.ipTrainingPtr[7], kStatusExcluded);

  SelectRows(form->StringGridVar, 2, 4);
  form->ButtonReleaseXClick();
  form->Button1Click();
  EXPECT_EQ(ui.Shown().back().text, "Too few selected variables, cannot continue.");
  EXPECT_EQ(form->StringGridVar->RowCount(), 9);
}

TEST_F(SetupFixture, AnalysesOpenTheirWindowsAndReplaceThem) {
  auto form = Open();
  form->ButtonVarPCAClick();
  ASSERT_NE(form->PlotWindow(1), nullptr);
  EXPECT_EQ(form->PlotWindow(1)->Data().RowCount, 7);
  QPointer<TViewGraphForm> first = form->PlotWindow(0);
  form->ButtonVarPCAClick();
  EXPECT_TRUE(first.isNull());

  form->Button2Click();
  EXPECT_EQ(shownModal, (std::vector<std::string>{"View correlation matrix"}));
  EXPECT_TRUE(ui.Shown().empty());
  data.tpChemoValuePtr[0][2].InitMissing();
  data.tpChemoValuePtr[0][3].InitMissing();
  form->Button2Click();
  EXPECT_EQ(ShownTexts(), (Texts{"Covariance matrix column amount must be greater than 1: calculation error"}));

  // A constant variable fails the analysis: reported, the lent set-up put back, the plots kept.
  data.tpChemoValuePtr[0][2] = CheckedValue(2.0L, false);
  for (int i = 0; i < 8; ++i) data.tpChemoValuePtr[i][1].Value = 1.0L;
  form->ButtonVarPCAClick();
  EXPECT_EQ(ui.Shown(1).text, "Austoscaled matrix error.calculation error");
  EXPECT_EQ(data.ipTrainingPtr[0], kStatusTraining);
  EXPECT_EQ(data.ipTrainingPtr[7], kStatusExcluded);
  EXPECT_NE(form->PlotWindow(1), nullptr);
}

}  // namespace
