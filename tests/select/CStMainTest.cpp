#include "select/CStMain.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <fstream>

#include "data/TempFiles.h"
#include "select/SearchTestData.h"
#include "select/SearchWindowDriver.h"
#include "select/THbMain.h"
#include "support/FakeProjectHost.h"
#include "support/ScriptedUi.h"
#include "support/TestFolder.h"

using searchtest::MakeLinearData;

namespace {

using Items = std::vector<std::string>;

Items ItemsOf(const QComboBox* box) {
  Items items;
  for (int i = 0; i < box->count(); ++i) items.push_back(box->itemText(i).toStdString());
  return items;
}

std::string Text(const QLabel* label) { return label->text().toStdString(); }
std::string Text(const QAbstractButton* button) { return button->text().toStdString(); }

// The main window with the search's data set, list and a temporary folder.
struct SetupHost : FakeProjectHost {
  ChemoData& DataSet() override { return *dataSet; }
  TempFiles* Registry() override { return registry; }
  ChemoData* dataSet = nullptr;
  TempFiles* registry = nullptr;
};

struct CStMainTest : testing::Test {
  CStMainTest() {
    TCalculateSetupForm::RememberedKeepPerSize = {};
    registry.AddName("~yscr~");
    host.registry = &registry;
  }
  // pool descriptors, `training` training objects (every object trains).
  void Make(int pool, int training) {
    data = MakeLinearData(training, pool, {{1, 1.0L}, {2, -0.5L}}, 0.3L, 57);
    list = std::make_unique<DataResultList>(data.get());
    host.dataSet = data.get();
    host.models = list.get();
  }
  // A set-up whose choice dialog presses `button` (-1: closes it).
  std::unique_ptr<TCalculateSetupForm> Open(int button = -1) {
    return std::make_unique<TCalculateSetupForm>(
        nullptr, list.get(), data.get(),
        [this, button](TFormThreeButtons& dialog) {
          dialogCaption = dialog.windowTitle().toStdString();
          dialogRows = {Text(dialog.StaticTextRow1), Text(dialog.StaticTextRow2), Text(dialog.StaticTextRow3)};
          dialogButtons = {dialog.ButtonOK1->isVisibleTo(&dialog) ? Text(dialog.ButtonOK1) : "", Text(dialog.ButtonOK2)};
          QPushButton* buttons[] = {dialog.ButtonCancel, dialog.ButtonOK1, dialog.ButtonOK2};
          if (button >= 0) buttons[button]->click();
        },
        [this](TCalcAllSubForm& form) {
          modes.push_back(form.Engine().Mode());
          if (runSearches) RunSearchWindow(form);
        });
  }
  static void Choose(QComboBox* box, int item) { box->setCurrentIndex(item); }
  std::string DbFile() const { return registry.FindTempFilePath("~yscr~", 0); }
  void WriteDbFile() const { std::ofstream(DbFile()) << "x"; }
  bool DbFileExists() const { return std::ifstream(DbFile()).good(); }

  TestFolder folder;
  TempFiles registry{folder.Dir()};
  SetupHost host;
  std::unique_ptr<ChemoData> data;
  std::unique_ptr<DataResultList> list;
  ScriptedUi& ui = TestUi();
  std::string dialogCaption;
  Items dialogRows, dialogButtons;
  std::vector<int> modes;
  bool runSearches = true;
};

// ---- First set-up --------------------------------------------------------------------

TEST_F(CStMainTest, FirstSetupFillsEveryBoxWithItsFirstChoiceSilently) {
  Make(40, 30);
  auto form = Open();
  EXPECT_TRUE(ui.Shown().empty());
  EXPECT_TRUE(form->FirstSetup());
  EXPECT_EQ(form->windowTitle().toStdString(), "Variable selection");
  EXPECT_EQ(ItemsOf(form->ComboBoxGAPopSize),
            (Items{"10", "20", "50", "100", "200", "300", "400", "500", "600", "700", "800", "900", "1000"}));
  EXPECT_EQ(form->ComboBoxGAPopSize->currentIndex(), 0);
  EXPECT_EQ(form->ComboBoxAllSubset->count(), 40);
  EXPECT_EQ(form->ComboBoxAllSubset->currentText().toStdString(), "1");
  EXPECT_EQ(form->EditCombinations->text().toStdString(), "40");
  EXPECT_EQ(ItemsOf(form->ComboBoxFitFunc), (Items{"Q2loo", "R2adj", "LOF", "RMSE cv"}));
  EXPECT_EQ(form->ComboBoxFitFunc->currentIndex(), 0);
  EXPECT_EQ(ItemsOf(form->ComboBoxKeepPerSize), (Items{"10", "20", "50", "100", "200", "300", "400", "500", "ALL"}));
  EXPECT_EQ(form->ComboBoxKeepPerSize->currentIndex(), 0);
  const Items quik = ItemsOf(form->ComboBoxQUIKrule);
  ASSERT_EQ(quik.size(), 22u);
  EXPECT_EQ(quik[0], "None");
  EXPECT_EQ(quik[1], "0.000");
  EXPECT_EQ(quik[2], "0.005");
  EXPECT_EQ(quik[21], "0.100");
  EXPECT_EQ(form->ComboBoxQUIKrule->currentIndex(), 1);
  EXPECT_EQ(ItemsOf(form->ComboBoxGAgen), (Items{"50", "100", "500", "1000", "2000", "3000", "4000", "5000", "6000",
                                                 "7000", "8000", "9000", "10000"}));
  EXPECT_EQ(form->ComboBoxGAgen->currentText().toStdString(), "500");
  EXPECT_FALSE(form->ComboBoxGAgen->isEnabled());
  const Items mutation = ItemsOf(form->ComboBoxMutRate);
  ASSERT_EQ(mutation.size(), 19u);
  EXPECT_EQ(mutation.front(), "5");
  EXPECT_EQ(mutation.back(), "95");
  EXPECT_EQ(form->ComboBoxMutRate->currentText().toStdString(), "20");
  EXPECT_FALSE(form->CheckBoxGAuntil->isChecked());
  EXPECT_FALSE(form->ComboBoxGAuntil->isEnabled());
  EXPECT_FALSE(form->RadioButtonHoldAdd->isEnabled());
  EXPECT_EQ(data->iAllSubsetUntil, 1);
  EXPECT_EQ(data->iGAPopSize, 10);
}

TEST_F(CStMainTest, SubsetTotalsWarnAboveHalfAMillionAndResetBeyondTheCap) {
  Make(40, 30);
  auto form = Open();
  Choose(form->ComboBoxAllSubset, 2);
  form->ComboBoxAllSubsetChange();
  EXPECT_EQ(form->EditCombinations->text().toStdString(), "10700");
  EXPECT_TRUE(ui.Shown().empty());
  Choose(form->ComboBoxAllSubset, 5);
  form->ComboBoxAllSubsetChange();
  EXPECT_EQ(form->EditCombinations->text().toStdString(), "4598478");
  ASSERT_EQ(ui.Shown().size(), 1u);
  EXPECT_EQ(ui.Shown(0).text,
            "The number of models generated for all subset will be 4598478: may be you wish to reconsider your setup.");
  EXPECT_EQ(ui.Shown(0).caption, "Application warning");
  EXPECT_EQ(ui.Shown(0).Icon(), MB_ICONWARNING);

  ui.Clear();
  Make(100, 60);
  form = Open();
  Choose(form->ComboBoxAllSubset, 9);
  form->ComboBoxAllSubsetChange();
  ASSERT_EQ(ui.Shown().size(), 1u);
  EXPECT_EQ(ui.Shown(0).text,
            "The number of models generated for all subset is too big. All subset until will be reset to 1.");
  EXPECT_EQ(form->ComboBoxAllSubset->currentText().toStdString(), "1");
  EXPECT_EQ(form->EditCombinations->text().toStdString(), "100");
}

TEST_F(CStMainTest, GaSizesFollowThePopulationAndTooFewObjectsAreWarnedOf) {
  Make(10, 20);
  auto form = Open();
  Choose(form->ComboBoxGAPopSize, 3);  // P = 100
  form->ComboBoxGAPopSizeChange();
  ui.Clear();
  EXPECT_TRUE(form->CheckGASettings(4, false));
  EXPECT_EQ(ItemsOf(form->ComboBoxGAuntil), (Items{"4", "5", "6"}));
  EXPECT_FALSE(form->CheckGASettings(2, false));
  ASSERT_EQ(ui.Shown().size(), 1u);
  EXPECT_EQ(ui.Shown(0).text, "Too few descriptors, GA cannot be used.");
  EXPECT_FALSE(form->CheckBoxGAuntil->isEnabled());

  ui.Clear();
  Choose(form->ComboBoxAllSubset, 4);  // size 5 with 20 training objects
  form->ComboBoxAllSubsetChange();
  ASSERT_EQ(ui.Shown().size(), 1u);
  EXPECT_EQ(ui.Shown(0).text,
            "The number of objects is less than 1/5 of the variables: it is strongly suggested to change this setup.");
  EXPECT_EQ(ui.Shown(0).caption, "APPLICATION WARNING");
  Make(10, 25);
  form = Open();
  ui.Clear();
  Choose(form->ComboBoxAllSubset, 4);
  form->ComboBoxAllSubsetChange();
  EXPECT_TRUE(ui.Shown().empty());
}

TEST_F(CStMainTest, TooFewDescriptorsEmptyTheGaListSoNoOptionSwitchBringsTheGaBack) {
  Make(8, 60);
  searchtest::SetHeld(*data, {1});
  runSearches = false;
  auto form = Open();
  EXPECT_EQ(ItemsOf(form->ComboBoxGAuntil), (Items{"2", "3", "4", "5", "6"}));
  Choose(form->ComboBoxAllSubset, 6);  // all subsets to 7: B(8, 8) = 1 < 2P
  form->ComboBoxAllSubsetChange();
  EXPECT_EQ(ui.Shown(0).text, "Too few descriptors, GA cannot be used.");
  EXPECT_EQ(form->ComboBoxGAuntil->count(), 0);
  form->RadioButtonHoldAdd->setChecked(true);
  form->RadioButtonAllSubset->setChecked(true);
  EXPECT_FALSE(form->CheckBoxGAuntil->isEnabled());
  form->CheckBoxGAuntil->setChecked(true);
  form->ButtonCalculateClick();
  EXPECT_EQ(modes, (std::vector<int>{ModelSearchEngine::ModeAllSubsets}));
  EXPECT_EQ(data->iAllSubsetUntil, 7);
  for (int32_t setting : {data->iGAFirstSize, data->iGAUntil, data->iGAPopSize, data->iGAGenerations})
    EXPECT_EQ(setting, 0);
}

TEST_F(CStMainTest, ModelsPerSizeFollowThePopulationOfAGaAndRememberTheChoice) {
  Make(40, 30);
  auto form = Open();
  Choose(form->ComboBoxKeepPerSize, 4);  // "200"
  form->ComboBoxKeepPerSizeChange();
  Choose(form->ComboBoxGAPopSize, 2);  // P = 50
  form->ComboBoxGAPopSizeChange();
  EXPECT_EQ(form->ComboBoxKeepPerSize->currentText().toStdString(), "200");
  ui.Clear();
  form->CheckBoxGAuntil->setChecked(true);
  EXPECT_EQ(ItemsOf(form->ComboBoxKeepPerSize), (Items{"10", "20", "50", "ALL"}));
  EXPECT_EQ(form->ComboBoxKeepPerSize->currentText().toStdString(), "50");
  ASSERT_EQ(ui.Shown().size(), 1u);
  EXPECT_EQ(ui.Shown(0).text,
            "The GA population size is bigger than the requested number of models to be stored. Reset now to the most "
            "similar (50)");
  Choose(form->ComboBoxKeepPerSize, 3);
  form->ComboBoxKeepPerSizeChange();
  form = Open();
  EXPECT_EQ(form->ComboBoxKeepPerSize->currentText().toStdString(), "ALL");
}

TEST_F(CStMainTest, HoldAndAddShowsTheHeldCountAndSwitchesTheGaOff) {
  Make(8, 20);
  searchtest::SetHeld(*data, {1});
  auto form = Open();
  EXPECT_EQ(Text(form->StaticTextHeldVar), "(1 variable held)");
  form->CheckBoxGAuntil->setChecked(true);
  form->RadioButtonHoldAdd->setChecked(true);
  EXPECT_TRUE(form->StaticTextHeldVar->isVisibleTo(form.get()));
  EXPECT_EQ(form->EditCombinations->text().toStdString(), "7");
  EXPECT_FALSE(form->ComboBoxAllSubset->isEnabled());
  EXPECT_FALSE(form->CheckBoxGAuntil->isEnabled());
  EXPECT_FALSE(form->ComboBoxGAPopSize->isEnabled());
  form->RadioButtonAllSubset->setChecked(true);
  EXPECT_TRUE(form->CheckBoxGAuntil->isEnabled());
  EXPECT_TRUE(form->ComboBoxGAPopSize->isEnabled());
  EXPECT_EQ(form->EditCombinations->text().toStdString(), "8");
}

TEST_F(CStMainTest, CancelInAFirstSetupZeroesTheSizesItWrote) {
  Make(10, 20);
  auto form = Open();
  form->ButtonCancelClick();
  EXPECT_EQ(form->Result(), mrCancel);
  for (int32_t setting :
       {data->iAllSubsetUntil, data->iGAFirstSize, data->iGAUntil, data->iGAPopSize, data->iGAGenerations})
    EXPECT_EQ(setting, 0);
}

// ---- Calculate ---------------------------------------------------------------------------

TEST_F(CStMainTest, CalculateWritesTheSettingsRunsTheSearchAndEnablesTheModelList) {
  Make(6, 16);
  WriteDbFile();
  auto form = Open();
  Choose(form->ComboBoxAllSubset, 1);
  form->ComboBoxAllSubsetChange();
  Choose(form->ComboBoxQUIKrule, 0);
  Choose(form->ComboBoxKeepPerSize, 8);
  Choose(form->ComboBoxFitFunc, 1);
  Choose(form->ComboBoxMutRate, 6);
  form->ButtonCalculateClick();
  EXPECT_EQ(modes, (std::vector<int>{ModelSearchEngine::ModeAllSubsets}));
  EXPECT_EQ(form->Result(), mrOk);
  EXPECT_EQ(data->iAllSubsetUntil, 2);
  for (int32_t setting : {data->iGAFirstSize, data->iGAUntil, data->iGAPopSize, data->iGAGenerations})
    EXPECT_EQ(setting, 0);
  EXPECT_EQ(data->iEnumSize, 6);
  EXPECT_EQ(data->iGAMutation, 35);
  EXPECT_EQ(data->iCombinations, 21);
  EXPECT_EQ(data->iKeepPerSize, -1);
  EXPECT_EQ(data->iFitnessFunc, 1);
  EXPECT_EQ(data->ldQuikDelta, -1.0L);
  EXPECT_FALSE(DbFileExists());
  EXPECT_EQ(list->Count(), 21);
  EXPECT_TRUE(host.viewModelsEnabled);
  EXPECT_TRUE(host.modified);
  EXPECT_EQ(ui.Shown().back().text, "Models calculation completed.");
}

TEST_F(CStMainTest, CalculateWithAGaWritesItsSizesAndHoldAndAddPicksModeOne) {
  Make(10, 40);
  runSearches = false;
  auto form = Open();
  Choose(form->ComboBoxAllSubset, 1);
  form->ComboBoxAllSubsetChange();
  form->CheckBoxGAuntil->setChecked(true);
  Choose(form->ComboBoxGAuntil, 2);
  form->ComboBoxGAuntilChange();
  Choose(form->ComboBoxGAPopSize, 1);
  form->ComboBoxGAPopSizeChange();
  Choose(form->ComboBoxGAgen, 0);
  Choose(form->ComboBoxQUIKrule, 3);
  form->ButtonCalculateClick();
  EXPECT_EQ(modes, (std::vector<int>{ModelSearchEngine::ModeAllSubsets}));
  EXPECT_EQ(data->iAllSubsetUntil, 2);
  EXPECT_EQ(data->iGAFirstSize, 3);
  EXPECT_EQ(data->iGAUntil, 5);
  EXPECT_EQ(data->iGAPopSize, 20);
  EXPECT_EQ(data->iGAGenerations, 50);
  EXPECT_EQ(data->iCombinations, 55);
  EXPECT_EQ(data->iKeepPerSize, 10);
  EXPECT_EQ(data->ldQuikDelta, 0.01L);

  Make(10, 40);
  searchtest::SetHeld(*data, {2});
  form = Open();
  form->RadioButtonHoldAdd->setChecked(true);
  form->ButtonCalculateClick();
  EXPECT_EQ(modes.back(), ModelSearchEngine::ModeHoldAndAdd);
  EXPECT_EQ(data->iGAFirstSize, 0);
  EXPECT_EQ(data->iCombinations, 9);
}

// ---- A later set-up ----------------------------------------------------------------------

struct LaterSetup : CStMainTest {
  LaterSetup() {
    Make(10, 30);
    data->iAllSubsetUntil = 3;
    data->iGAUntil = 5;
    list->Append()->iSize = 3;
  }
};

TEST_F(LaterSetup, TheChoiceDialogOffersTheLastSizeOrTheNextOne) {
  auto form = Open(1);
  EXPECT_EQ(dialogCaption, "Choose number of descriptors for GA");
  EXPECT_EQ(dialogRows, (Items{"Currently the models are calculated using up to 3 descriptors.",
                               "You can continue running the GA.",
                               "Choose the number of descriptors you wish to begin with."}));
  EXPECT_EQ(dialogButtons, (Items{"3", "4"}));
  EXPECT_FALSE(form->FirstSetup());
  EXPECT_FALSE(form->ClosesAtFirstPaint());
  EXPECT_EQ(data->iGAFirstSize, 3);
  EXPECT_EQ(ItemsOf(form->ComboBoxGAuntil), (Items{"3", "4", "5", "6", "7", "8"}));
  EXPECT_FALSE(form->ComboBoxAllSubset->isEnabled());
  EXPECT_TRUE(form->CheckBoxGAuntil->isChecked());

  form = Open(2);
  EXPECT_EQ(data->iGAFirstSize, 4);
  EXPECT_EQ(ItemsOf(form->ComboBoxGAuntil).front(), "4");

  data->iGAUntil = 0;
  form = Open(2);
  EXPECT_EQ(dialogButtons, (Items{"", "Start"}));
  EXPECT_EQ(dialogRows[1], "You can continue running the GA starting from 4 descriptors.");
  EXPECT_EQ(data->iGAFirstSize, 4);
}

TEST_F(LaterSetup, CancelOrAClosedDialogClosesTheSetupWithoutASearch) {
  for (int button : {0, -1}) {
    auto form = Open(button);
    EXPECT_TRUE(form->ClosesAtFirstPaint());
  }
  EXPECT_TRUE(modes.empty());
  EXPECT_EQ(data->iAllSubsetUntil, 3);
}

TEST_F(LaterSetup, NoGaSizeLeftDisablesTheCommandAndCloses) {
  data->iAllSubsetUntil = 9;  // B(10, 9) = 10 < 2P
  host.calculateEnabled = true;
  auto form = Open(1);
  EXPECT_TRUE(dialogCaption.empty());
  EXPECT_TRUE(form->ClosesAtFirstPaint());
  EXPECT_FALSE(host.calculateEnabled);
}

TEST_F(LaterSetup, CalculateContinuesTheGaOnlyAndRefusesAnythingElse) {
  WriteDbFile();
  runSearches = false;
  auto form = Open(2);
  form->CheckBoxGAuntil->setChecked(false);
  const int32_t before[] = {data->iGAFirstSize, data->iGAUntil, data->iGAPopSize, data->iEnumSize};
  form->ButtonCalculateClick();
  ASSERT_EQ(ui.Shown().size(), 1u);
  EXPECT_EQ(ui.Shown(0).text, "The models list is not empty: only the genetic algorithm can be continued.");
  EXPECT_EQ(ui.Shown(0).caption, "Application Message");
  EXPECT_EQ(ui.Shown(0).Icon(), MB_ICONWARNING);
  EXPECT_EQ(form->Result(), mrNone);
  EXPECT_TRUE(modes.empty());
  EXPECT_TRUE(DbFileExists());
  const int32_t after[] = {data->iGAFirstSize, data->iGAUntil, data->iGAPopSize, data->iEnumSize};
  EXPECT_TRUE(std::equal(std::begin(before), std::end(before), std::begin(after)));
  EXPECT_FALSE(host.modified);

  form->CheckBoxGAuntil->setChecked(true);
  form->ButtonCalculateClick();
  EXPECT_EQ(modes, (std::vector<int>{ModelSearchEngine::ModeGeneticOnly}));
  EXPECT_EQ(data->iGAFirstSize, 4);
  EXPECT_EQ(data->iAllSubsetUntil, 3);
  EXPECT_FALSE(DbFileExists());
  EXPECT_EQ(form->Result(), mrOk);
}

TEST_F(LaterSetup, AGaThatCouldNeverEndIsRefused) {
  runSearches = false;
  auto form = Open(2);
  data->iGAFirstSize = 10;  // the whole pool: a single subset, "GA until" below it
  ui.Clear();
  form->ButtonCalculateClick();
  ASSERT_EQ(ui.Shown().size(), 1u);
  EXPECT_EQ(ui.Shown(0).text,
            "The genetic algorithm cannot run from 10 descriptors until 4 with this population: please change the "
            "setup.");
  EXPECT_TRUE(modes.empty());
  EXPECT_EQ(form->Result(), mrNone);
  EXPECT_EQ(data->iGAUntil, 5);
}

}  // namespace
