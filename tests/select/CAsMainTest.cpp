#include "select/CAsMain.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QCoreApplication>
#include <cmath>
#include <set>
#include <string>
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <stdexcept>

#include "platform/qt/StringGrid.h"
#include "select/SearchTestData.h"
#include "select/SearchWindowDriver.h"
#include "support/FakeProjectHost.h"
#include "support/Pictures.h"
#include "support/ScriptedUi.h"

using searchtest::MakeLinearData;
using searchtest::Models;
using searchtest::Sets;

namespace {

// The project of the main window, holding the search's data set and list.
struct SearchHost : FakeProjectHost {
  ChemoData& DataSet() override { return *dataSet; }
  ChemoData* dataSet = nullptr;
};

// Records the generation numbers shown and can act from inside a step.
class RecordingForm : public TCalcAllSubForm {
public:
  using TCalcAllSubForm::TCalcAllSubForm;
  std::vector<std::string> generations;
  std::function<void()> duringPercent;
  bool throwOnSlots = false;

protected:
  void GaIterationText(const std::string& text) override {
    generations.push_back(text);
    TCalcAllSubForm::GaIterationText(text);
  }
  void PercentText(const std::string& text) override {
    if (duringPercent) std::exchange(duringPercent, nullptr)();
    TCalcAllSubForm::PercentText(text);
  }
  void DisplaySlotsChanged() override {
    if (std::exchange(throwOnSlots, false)) throw std::runtime_error("display failed");
    TCalcAllSubForm::DisplaySlotsChanged();
  }
};

struct CAsMainTest : testing::Test {
  // nDesc descriptors, the response on D1 and D3; the first two objects predict.
  static std::unique_ptr<ChemoData> Build(int nObj, int nDesc) {
    auto made = MakeLinearData(nObj, nDesc, {{1, 1.0L}, {3, -0.8L}}, 0.3L, 41);
    made->ipTrainingPtr[0] = made->ipTrainingPtr[1] = kStatusPrediction;
    made->iKeepPerSize = 10;
    made->ldQuikDelta = -1.0L;
    return made;
  }
  void Make(int nObj, int nDesc) {
    data = Build(nObj, nDesc);
    list = std::make_unique<DataResultList>(data.get());
    host.dataSet = data.get();
    host.models = list.get();
  }
  void SetGa(int first, int until, int population, int generations) {
    data->iGAFirstSize = first;
    data->iGAUntil = until;
    data->iGAPopSize = population;
    data->iGAGenerations = generations;
    data->iGAMutation = 20;
  }
  std::unique_ptr<RecordingForm> Open(uint8_t mode) {
    return std::make_unique<RecordingForm>(nullptr, mode, list.get(), data.get());
  }
  std::unique_ptr<RecordingForm> OpenAllSubsets(int nObj, int nDesc, int K) {
    Make(nObj, nDesc);
    data->iAllSubsetUntil = K;
    return Open(ModelSearchEngine::ModeAllSubsets);
  }
  static void Run(TCalcAllSubForm& form, const std::function<void()>& beforeStep = {}) {
    RunSearchWindow(form, beforeStep);
  }
  // Shows the window and lets the event loop run it until it closes.
  static void RunShown(TCalcAllSubForm& form) {
    form.show();
    QElapsedTimer clock;
    clock.start();
    while (!form.Closed() && clock.elapsed() < 20000) QCoreApplication::processEvents();
    ASSERT_TRUE(form.Closed());
  }
  std::string Last() const { return ui.Shown().back().text; }
  int CountOfSize(int k) const {
    int count = 0;
    for (const DataResultNode* node = list->First(); node; node = node->Next()) count += node->iSize == k;
    return count;
  }
  void ExpectDiscarded() {
    EXPECT_EQ(Last(), "Models calculation aborted.");
    EXPECT_EQ(host.discards, 1);
    EXPECT_EQ(list->Count(), 0);
    for (int32_t setting : {data->iEnumSize, data->iAllSubsetUntil, data->iGAFirstSize, data->iGAUntil,
                            data->iGAPopSize, data->iGAGenerations, data->iGAMutation})
      EXPECT_EQ(setting, 0);
  }

  SearchHost host;
  std::unique_ptr<ChemoData> data;
  std::unique_ptr<DataResultList> list;
  ScriptedUi& ui = TestUi();
};

// ---- Completed runs ------------------------------------------------------------

TEST_F(CAsMainTest, AllSubsetRunKeepsWhatTheEngineAloneKeepsAndShowsTheBestFirst) {
  auto form = OpenAllSubsets(16, 6, 2);
  EXPECT_EQ(form->windowTitle().toStdString(), "Models calculation");
  EXPECT_FALSE(form->ButtonDoneGA->isVisibleTo(form.get()));
  Run(*form);
  ASSERT_EQ(ui.Shown().size(), 1u);
  EXPECT_EQ(ui.Shown(0).text, "Models calculation completed.");
  EXPECT_EQ(ui.Shown(0).caption, "APPLICATION MESSAGE");
  EXPECT_EQ(ui.Shown(0).Icon(), MB_ICONINFORMATION);
  EXPECT_EQ(data->iAllSubsetUntil, 2);

  auto same = Build(16, 6);
  DataResultList alone(same.get());
  same->iAllSubsetUntil = 2;
  ModelSearchEngine engine(ModelSearchEngine::ModeAllSubsets, &alone, same.get());
  engine.Activate();
  while (!engine.TimerWantsClose()) engine.IdleStep();
  EXPECT_EQ(Models(*list), Models(alone));

  const DataResultNode* best = nullptr;
  for (const DataResultNode* node = alone.First(); node; node = node->Next())
    if (!best || node->cvQ2loo.Value > best->cvQ2loo.Value) best = node;
  // The prediction statistics use the two prediction objects only.
  const DataResultNode& first = *list->First();
  long double squares = 0.0L;
  for (int i = 0; i < 2; ++i) {
    const CheckedValue* row = data->tpChemoValuePtr[i];
    long double predicted = first.ldpBModelCoeffPtr[0];
    for (int j = 0; j < first.iSize; ++j) predicted += first.ldpBModelCoeffPtr[j + 1] * row[first.ipSelVarIdxPtr[j]].Value;
    squares += (row[6].Value - predicted) * (row[6].Value - predicted);
  }
  ASSERT_FALSE(first.cvRMSEext.Missing);
  EXPECT_NEAR(static_cast<double>(first.cvRMSEext.Value), static_cast<double>(std::sqrt(squares / 2)), 1e-12);

  const StringGrid& grid = *form->StringGridGAmodels;
  EXPECT_EQ(grid.RowCount(), 16);
  EXPECT_EQ(grid.Cells(1, 0), "Q2loo");
  EXPECT_EQ(grid.Cells(0, 1), "1");
  EXPECT_EQ(grid.Cells(1, 1), GridFitnessText(best->cvQ2loo.Value));
  EXPECT_EQ(grid.Cells(2, 1), IntToStr(best->iSize));
  EXPECT_EQ(grid.Cells(3, 1), best->sName);
}

TEST_F(CAsMainTest, NothingToEnumerateClosesCompleted) {
  auto form = OpenAllSubsets(10, 4, 0);
  Run(*form);
  ASSERT_EQ(ui.Shown().size(), 1u);
  EXPECT_EQ(Last(), "Models calculation completed.");
  EXPECT_EQ(list->Count(), 0);
}

TEST_F(CAsMainTest, HoldAndAddRunsWithinTheActivationAndKeepsTheHeldVariables) {
  Make(12, 6);
  searchtest::SetHeld(*data, {1, 4});
  data->iKeepPerSize = -1;
  auto form = Open(ModelSearchEngine::ModeHoldAndAdd);
  form->FormActivate();
  EXPECT_FALSE(form->IdleStep());
  ASSERT_EQ(list->Count(), 4);
  for (const DataResultNode* node = list->First(); node; node = node->Next()) {
    EXPECT_EQ(node->iSize, 3);
    EXPECT_EQ(std::vector<int>(node->ipSelVarIdxPtr, node->ipSelVarIdxPtr + 2), (std::vector<int>{1, 4}));
  }
  form->TimerTimer();
  EXPECT_TRUE(form->Closed());
  EXPECT_EQ(Last(), "Models calculation completed.");
}

// ---- Failed starts -----------------------------------------------------------------

TEST_F(CAsMainTest, NoTrainingObjectEndsAbortedWithOneErrorWhateverTheGaSize) {
  Make(6, 4);
  for (int i = 0; i < 6; ++i) data->ipTrainingPtr[i] = kStatusPrediction;
  data->iAllSubsetUntil = 2;
  SetGa(3, 4, 10, 2);
  auto form = Open(ModelSearchEngine::ModeAllSubsets);
  Run(*form);
  ASSERT_EQ(ui.Shown().size(), 2u);
  EXPECT_EQ(ui.Shown(0).text, "Zero rows matrix, cannot continue");
  EXPECT_EQ(ui.Shown(0).caption, "APPLICATION ERROR");
  EXPECT_EQ(ui.Shown(0).Icon(), MB_ICONERROR);
  ExpectDiscarded();
}

TEST_F(CAsMainTest, AFailedGeneticStartKeepsTheEarlierModelsAndSizes) {
  Make(6, 4);
  list->Append()->iSize = 1;
  for (int i = 0; i < 6; ++i) data->ipTrainingPtr[i] = kStatusExcluded;
  data->iAllSubsetUntil = 2;
  SetGa(3, 4, 10, 2);
  auto form = Open(ModelSearchEngine::ModeGeneticOnly);
  Run(*form);
  EXPECT_EQ(ui.Shown(0).text, "Zero rows matrix, cannot continue");
  EXPECT_EQ(Last(), "Models calculation aborted.");
  EXPECT_EQ(host.discards, 0);
  EXPECT_EQ(list->Count(), 1);
  EXPECT_EQ(data->iAllSubsetUntil, 2);
  EXPECT_EQ(data->iGAUntil, 4);
}

// ---- Aborts ------------------------------------------------------------------------

// 16 descriptors up to size 3: 696 subsets, two batches.
TEST_F(CAsMainTest, EscapeDuringTheBatchesEndsAbortedWithOrWithoutAGa) {
  for (bool ga : {false, true}) {
    ui.Reset();
    host.discards = 0;
    auto form = OpenAllSubsets(20, 16, 3);
    if (ga) SetGa(4, 5, 10, 2);
    form->FormActivate();
    EXPECT_TRUE(form->IdleStep());
    ui.PressEscape();
    ui.Answer(IDYES);
    EXPECT_FALSE(form->IdleStep());
    EXPECT_EQ(ui.Shown(0).text.rfind("All subset has not been completed: ", 0), 0u);
    EXPECT_EQ(form->StaticText->text().toStdString(), "Exiting...");
    form->TimerTimer();
    ASSERT_TRUE(form->Closed());
    EXPECT_EQ(ui.Shown().size(), 2u);
    ExpectDiscarded();
  }
}

TEST_F(CAsMainTest, EscapeAnsweredNoAndTheCloseBoxAnsweredNoKeepTheRunGoing) {
  auto form = OpenAllSubsets(20, 16, 3);
  form->FormActivate();
  EXPECT_EQ(form->StaticText->text().toStdString(), "Calculating all subset, press ESC to abort...");
  form->IdleStep();
  ui.PressEscape();
  ui.Answer(IDNO);
  form->RequestClose();  // the close box asks the same question
  EXPECT_FALSE(form->Closed());
  ASSERT_EQ(ui.Shown().size(), 1u);
  EXPECT_EQ(ui.Shown(0).text.rfind("All subset has not been completed: ", 0), 0u);
  ui.Answer(IDNO);
  Run(*form);
  EXPECT_EQ(Last(), "Models calculation completed.");
  EXPECT_EQ(CountOfSize(3), 10);
}

TEST_F(CAsMainTest, TheCloseBoxAnsweredYesInTheAllSubsetPhaseAborts) {
  auto form = OpenAllSubsets(20, 16, 3);
  SetGa(4, 5, 10, 2);
  form->FormActivate();
  form->IdleStep();
  ui.Answer(IDYES);
  form->RequestClose();
  ASSERT_TRUE(form->Closed());
  ExpectDiscarded();
}

TEST_F(CAsMainTest, EscapeDuringHoldAndAddEndsAborted) {
  Make(12, 6);
  searchtest::SetHeld(*data, {1, 4});
  data->iAllSubsetUntil = 1;
  auto form = Open(ModelSearchEngine::ModeHoldAndAdd);
  ui.PressEscape();
  ui.Answer(IDYES);
  Run(*form);
  EXPECT_EQ(ui.Shown(0).text, "Do you really want to abort calculation?");
  ExpectDiscarded();
}

// ---- The genetic algorithm -------------------------------------------------------------

TEST_F(CAsMainTest, GaSizesRunInTurnAndTheWindowClosesByItself) {
  auto form = OpenAllSubsets(24, 10, 2);
  SetGa(3, 5, 10, 2);
  Run(*form);
  EXPECT_EQ(form->generations, (std::vector<std::string>{"0", "1", "2", "0", "1", "2", "0", "1", "2"}));
  EXPECT_TRUE(form->ButtonDoneGA->isVisibleTo(form.get()));
  ASSERT_EQ(ui.Shown().size(), 1u);
  EXPECT_EQ(Last(), "Models calculation completed.");
  for (int k = 3; k <= 5; ++k) EXPECT_GT(CountOfSize(k), 0) << k;
  EXPECT_EQ(data->iAllSubsetUntil, 5);
  EXPECT_EQ(data->iGAUntil, 5);
}

TEST_F(CAsMainTest, AnAbortDuringAHarvestEndsTheRunAtThatSize) {
  auto form = OpenAllSubsets(24, 10, 2);
  SetGa(3, 5, 10, 2);
  bool pressed = false;
  Run(*form, [&] {
    if (pressed || data->iGAFirstSize != 3 || form->generations.empty() || form->generations.back() != "1") return;
    pressed = true;
    ui.PressEscape();
    ui.Answer(IDYES);
  });
  ASSERT_TRUE(pressed);
  EXPECT_EQ(Last(), "Models calculation completed.");
  EXPECT_EQ(ui.Shown().size(), 2u);
  EXPECT_GT(CountOfSize(3), 0);
  EXPECT_EQ(CountOfSize(4) + CountOfSize(5), 0);
  EXPECT_EQ(data->iAllSubsetUntil, 3);
  EXPECT_EQ(host.discards, 0);
}

TEST_F(CAsMainTest, WithoutAGenerationLimitTheGaRunsUntilDone) {
  auto form = OpenAllSubsets(24, 10, 2);
  SetGa(3, 3, 10, 0);
  form->FormActivate();
  for (int step = 0; step < 6; ++step) EXPECT_TRUE(form->IdleStep());
  form->TimerTimer();
  EXPECT_FALSE(form->Closed());
  EXPECT_EQ(CountOfSize(3), 0);
  ui.Answer(IDNO);
  form->ButtonDoneGAClick();
  EXPECT_EQ(ui.Shown(0).text, "Do you really want to stop the genetic algorithm calculation?");
  EXPECT_FALSE(form->Closed());
  EXPECT_TRUE(form->IdleStep());
  ui.Answer(IDYES);
  form->ButtonDoneGAClick();
  ASSERT_TRUE(form->Closed());
  EXPECT_EQ(Last(), "Models calculation completed.");
  EXPECT_GT(CountOfSize(3), 0);
  EXPECT_EQ(data->iAllSubsetUntil, 3);
}

TEST_F(CAsMainTest, TheGaAloneContinuesFromTheModelsAndDoneAsksBeforeTheLastGeneration) {
  auto form = OpenAllSubsets(24, 10, 2);
  Run(*form);
  const int before = list->Count();
  SetGa(3, 3, 10, 50);
  form = Open(ModelSearchEngine::ModeGeneticOnly);
  form->FormActivate();
  for (int step = 0; step < 3; ++step) EXPECT_TRUE(form->IdleStep());
  ui.Answer(IDNO);
  form->ButtonDoneGAClick();
  EXPECT_EQ(Last(), "Do you really want to stop the genetic algorithm calculation?");
  EXPECT_FALSE(form->Closed());
  ui.Answer(IDYES);
  form->ButtonDoneGAClick();
  ASSERT_TRUE(form->Closed());
  EXPECT_GT(list->Count(), before);
  EXPECT_EQ(data->iAllSubsetUntil, 3);
}

// The variables text of the genetic algorithm's display: each name and a blank.
std::string DisplayText(const ChemoData& data, const DataResultNode& model) {
  std::string text;
  for (int j = 0; j < model.iSize; ++j) text += data.tpVarNameStrPtr[model.ipSelVarIdxPtr[j]] + " ";
  return text;
}

// The grid at the end of a genetic-algorithm size shows that size's last display
// whole: one row per entry ranked in order, best first, `shown` models of the
// size and, for each smaller size, the list's best model of that size.
void ExpectGaDisplay(const StringGrid& grid, const ChemoData& data, const DataResultList& list, int size, int shown) {
  std::vector<const DataResultNode*> best(static_cast<std::size_t>(size), nullptr);
  int smaller = 0;
  for (const DataResultNode* node = list.First(); node; node = node->Next()) {
    if (node->iSize >= size) continue;
    const DataResultNode*& kept = best[static_cast<std::size_t>(node->iSize)];
    smaller += kept == nullptr ? 1 : 0;
    if (!kept || node->cvQ2loo.Value > kept->cvQ2loo.Value) kept = node;
  }
  ASSERT_EQ(grid.RowCount(), 1 + shown + smaller);
  std::set<std::string> texts;
  int ofSize = 0;
  for (int row = 1; row < grid.RowCount(); ++row) {
    SCOPED_TRACE("row " + std::to_string(row) + ": " + grid.Cells(3, row));
    EXPECT_EQ(grid.Cells(0, row), IntToStr(row));
    if (row > 1) {
      EXPECT_GE(std::stold(grid.Cells(1, row - 1)), std::stold(grid.Cells(1, row)));
    }
    EXPECT_TRUE(texts.insert(grid.Cells(3, row)).second);
    const int rowSize = StrToInt(grid.Cells(2, row));
    ASSERT_LE(rowSize, size);
    if (rowSize == size) {
      ++ofSize;
      continue;
    }
    const DataResultNode& model = *best[static_cast<std::size_t>(rowSize)];
    EXPECT_EQ(grid.Cells(3, row), DisplayText(data, model));
    EXPECT_EQ(grid.Cells(1, row), GridFitnessText(model.cvQ2loo.Value));
  }
  EXPECT_EQ(ofSize, shown);
}

TEST_F(CAsMainTest, AfterEachGaSizeTheGridShowsThatSizesDisplayAloneAlsoWhenContinued) {
  auto form = OpenAllSubsets(24, 10, 2);
  SetGa(3, 3, 10, 3);
  Run(*form);
  EXPECT_EQ(form->ComboBoxNumElemToDisplay->currentText(), "10");
  EXPECT_EQ(form->ComboBoxBestAllSub->currentText(), "1");
  EXPECT_EQ(form->StaticTextGAiter->text(), "3");
  ExpectGaDisplay(*form->StringGridGAmodels, *data, *list, 3, 10);

  // Continued from the set-up: the genetic algorithm alone, shown and run by the event loop.
  SetGa(4, 4, 10, 3);
  form = Open(ModelSearchEngine::ModeGeneticOnly);
  RunShown(*form);
  EXPECT_EQ(Last(), "Models calculation completed.");
  SavePictureWhenAsked(*form, "search-continued");
  ExpectGaDisplay(*form->StringGridGAmodels, *data, *list, 4, 10);
}

// ---- Re-entrancy and the event loop ---------------------------------------------------------

TEST_F(CAsMainTest, ACloseOrTimerDuringAStepWaitsForTheStepsEnd) {
  auto form = OpenAllSubsets(20, 16, 3);
  form->FormActivate();
  std::size_t shownInStep = 99;
  form->duringPercent = [&] {
    form->RequestClose();
    form->TimerTimer();
    shownInStep = ui.Shown().size();
  };
  ui.Answer(IDNO);
  EXPECT_TRUE(form->IdleStep());
  EXPECT_EQ(shownInStep, 0u);
  ASSERT_EQ(ui.Shown().size(), 1u);  // asked once the step was over
  EXPECT_FALSE(form->Closed());
}

TEST_F(CAsMainTest, AnExceptionFromAStepIsShownAndTheRunGoesOn) {
  auto form = OpenAllSubsets(16, 6, 2);
  form->throwOnSlots = true;
  Run(*form);
  ASSERT_EQ(ui.Shown().size(), 2u);
  EXPECT_EQ(ui.Shown(0).text, "display failed");
  EXPECT_EQ(ui.Shown(0).caption, "KORVANE");
  EXPECT_EQ(Last(), "Models calculation completed.");
  EXPECT_EQ(list->Count(), 6 + 10);
}

TEST_F(CAsMainTest, ShownTheRunStartsStepsAndClosesFromTheEventLoop) {
  auto form = OpenAllSubsets(20, 16, 3);
  RunShown(*form);
  EXPECT_EQ(Last(), "Models calculation completed.");
  EXPECT_EQ(CountOfSize(3), 10);
}

}  // namespace
