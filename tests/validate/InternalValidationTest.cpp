#include "validate/InternalValidation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <thread>
#include <string>
#include <vector>

#include "data/TempFiles.h"
#include "platform/base/Files.h"
#include "platform/base/Random.h"
#include "platform/base/Stream.h"
#include "platform/base/WorkerThreads.h"
#include "select/SubsetScreen.h"
#include "support/ScriptedUi.h"
#include "support/TestFolder.h"
#include "validate/ExternalValidator.h"
#include "validate/ValidationTestData.h"

namespace {

using validationtest::AddModel;
using validationtest::RecordedProgress;
using validationtest::MakeData;
using validationtest::TestObject;

// Every re-seeding gives the class library's generator the seed 0, so every
// twister starts as Seed(4357).
uint64_t ZeroClock() { return 0; }

::testing::AssertionResult Near(const CheckedValue& cell, long double expected, long double tolerance = 5e-7L) {
  if (cell.Missing) return ::testing::AssertionFailure() << "missing";
  if (std::fabs(cell.Value - expected) <= tolerance) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << static_cast<double>(cell.Value) << " is not "
                                       << static_cast<double>(expected);
}

std::vector<TestObject> Line(const std::vector<long double>& ys) {
  std::vector<TestObject> objects;
  for (std::size_t i = 0; i < ys.size(); ++i) objects.push_back({1, {static_cast<long double>(i + 1)}, ys[i]});
  return objects;
}

struct Validation : ::testing::Test {
  void SetUp() override {
    TestUi().Reset();
    SetRandomizeClock(ZeroClock);
    for (int kind = 0; kind < kValidationKindCount; ++kind) registry.AddName(ValidationFileTag(kind));
  }
  void TearDown() override { SetRandomizeClock(nullptr); }

  void Use(const std::vector<TestObject>& objects) {
    data = MakeData(objects);
    list = std::make_unique<DataResultList>(data.get());
  }
  // Six objects on a line, with the line's x and its square root as descriptors.
  void UseALineAndItsRoot() {
    std::vector<TestObject> objects = Line({2.1L, 3.9L, 6.2L, 7.8L, 10.1L, 12.2L});
    for (TestObject& object : objects) object.x.push_back(std::sqrt(object.x[0]));
    Use(objects);
  }
  // Runs with only kind checked, N iterations, until the run ends.
  void Run(int kind, int iterations, const std::string& percent = "30") {
    calculator = std::make_unique<ExternalValidator>(false, list.get(), data.get());
    validation = std::make_unique<InternalValidation>(*calculator, list.get(), data.get(), &registry);
    for (int k = 0; k < kValidationKindCount; ++k) {
      validation->SetChecked(k, k == kind);
      validation->SetIterationText(k, std::to_string(iterations));
    }
    validation->SetLmoPercentText(percent);
    RunToEnd();
  }
  void RunToEnd() {
    validation->Start();
    for (int calls = 0; validation->Running() && calls < 100; ++calls) validation->Step();
    ASSERT_FALSE(validation->Running());
  }
  ValidationRecord RecordOf(int kind, const DataResultNode& model) {
    FileStream file(registry.FindTempFilePath(ValidationFileTag(kind), 0), FileMode::OpenRead);
    ValidationRecord record;
    EXPECT_EQ(FindValidationRecord(file, model.ipSelVarIdxPtr, model.iSize, record), RecordSearch::Found);
    return record;
  }
  void ExpectIteration(const ValidationIteration& it, long double r2, long double q2, long double k) {
    EXPECT_TRUE(Near(it.r2, r2));
    EXPECT_TRUE(Near(it.q2, q2));
    EXPECT_TRUE(Near(it.k, k));
  }

  TestFolder folder;
  TempFiles registry{folder.Dir()};
  std::unique_ptr<ChemoData> data;
  std::unique_ptr<DataResultList> list;
  std::unique_ptr<ExternalValidator> calculator;
  std::unique_ptr<InternalValidation> validation;
};

struct FiveObjects : Validation {
  void SetUp() override {
    Validation::SetUp();
    Use(Line({2.1L, 3.9L, 6.2L, 7.8L, 10.1L}));
  }
};

TEST(ShuffleIndexesTest, EveryPositionDrawsFromTheWholeRange) {
  SetRandomizeClock(ZeroClock);
  std::vector<int> order{1, 2, 3, 4, 5};
  ShuffleIndexes(order);
  EXPECT_EQ(order, (std::vector<int>{2, 1, 3, 5, 4}));
  ShuffleIndexes(order);  // the same swaps again restore this order
  EXPECT_EQ(order, (std::vector<int>{1, 2, 3, 4, 5}));
  SetRandomizeClock(nullptr);
}

TEST_F(FiveObjects, YScramblingRefitsOnShuffledResponses) {
  DataResultNode& model = AddModel(*list, {0}, {0.0L, 2.0L});
  Run(kYScramble, 2);
  const ValidationRecord record = RecordOf(kYScramble, model);
  ASSERT_EQ(record.iterations.size(), 2u);
  ExpectIteration(record.iterations[0], 0.628689L, -0.073913L, 0.792899L);
  ExpectIteration(record.iterations[1], 0.997305L, 0.993449L, 0.998652L);
  EXPECT_TRUE(Near(model.cvR2Yscr, (0.628689L + 0.997305L) / 2, 1e-6L));
  EXPECT_TRUE(Near(model.cvQ2Yscr, (-0.073913L + 0.993449L) / 2, 1e-6L));
  EXPECT_TRUE(TestUi().Shown().empty());
  EXPECT_FALSE(validation->Checked(kYScramble));
}

TEST_F(FiveObjects, RandomDescriptorsAndResponsesComeFromTheStepTwister) {
  DataResultNode& model = AddModel(*list, {0}, {0.0L, 2.0L});
  Run(kRandomDescriptors, 1);
  ExpectIteration(RecordOf(kRandomDescriptors, model).iterations.at(0), 0.845005L, 0.475677L, 0.919241L);
  EXPECT_TRUE(Near(model.cvR2Xrnd, 0.845005L));
  EXPECT_TRUE(Near(model.cvQ2Xrnd, 0.475677L));
  Run(kRandomResponses, 1);
  ExpectIteration(RecordOf(kRandomResponses, model).iterations.at(0), 0.842734L, 0.507266L, 0.918006L);
  EXPECT_TRUE(Near(model.cvR2Yrnd, 0.842734L));
  EXPECT_TRUE(Near(model.cvQ2Yrnd, 0.507266L));
}

TEST_F(Validation, LeaveManyOutPredictsTheLeftOutObjects) {
  Use(Line({2.1L, 3.9L, 6.2L, 7.8L, 10.1L, 12.2L}));
  DataResultNode& model = AddModel(*list, {0}, {0.0L, 2.0L});
  Run(kLeaveManyOut, 2, "50");
  const ValidationRecord record = RecordOf(kLeaveManyOut, model);
  ASSERT_EQ(record.iterations.size(), 2u);
  ExpectIteration(record.iterations[0], 0.998219L, 0.997806L, 0.999109L);
  ExpectIteration(record.iterations[1], 0.994672L, 0.999241L, 0.997333L);
  EXPECT_TRUE(Near(model.cvQ2LMO, (0.997806L + 0.999241L) / 2, 1e-6L));
  EXPECT_TRUE(Near(model.cvR2LMO, (0.998219L + 0.994672L) / 2, 1e-6L));
}

TEST_F(Validation, TooFewLeftOutObjectsUncheckLmoAndTheRunGoesOn) {
  Use(Line({2.1L, 3.9L, 6.2L, 7.8L, 10.1L, 12.2L}));
  DataResultNode& model = AddModel(*list, {0}, {0.0L, 2.0L});
  calculator = std::make_unique<ExternalValidator>(false, list.get(), data.get());
  validation = std::make_unique<InternalValidation>(*calculator, list.get(), data.get(), &registry);
  validation->SetIterationText(kYScramble, "2");
  validation->LmoSizeCheck();
  RunToEnd();
  ASSERT_EQ(TestUi().Shown().size(), 2u);
  EXPECT_TRUE(IsMessage(
      TestUi().Shown(0),
      "Too few prediction elements (1). Please, choose an higher percentage or increase the training set size.",
      "LMO WARNING", MB_ICONWARNING));
  EXPECT_TRUE(
      IsMessage(TestUi().Shown(1), "Too few prediction elements: 1. Cannot calculate LMO.", "LMO ERROR", MB_ICONERROR));
  EXPECT_TRUE(model.cvQ2LMO.Missing);
  EXPECT_FALSE(model.cvR2Yscr.Missing);
  EXPECT_EQ(RecordOf(kYScramble, model).iterations.size(), 2u);
}

TEST_F(Validation, LeftOutCountIsTheTruncatedExactShare) {
  struct Case {
    const char* percent;
    int training;
    int expected;
  };
  for (const Case& c : {Case{"30", 120, 36}, Case{"10", 20, 2}, Case{"5", 40, 2}, Case{"20", 100, 20}, Case{"30", 6, 1},
                        Case{"33", 10, 3}, Case{"50", 7, 3}}) {
    std::vector<long double> ys;
    for (int i = 0; i < c.training; ++i) ys.push_back(2.0L * i + (i % 3));
    Use(Line(ys));
    calculator = std::make_unique<ExternalValidator>(false, list.get(), data.get());
    validation = std::make_unique<InternalValidation>(*calculator, list.get(), data.get(), &registry);
    validation->SetLmoPercentText(c.percent);
    EXPECT_EQ(validation->LmoPredictionCount(), c.expected) << c.percent << " % of " << c.training;
  }
  validation->SetLmoPercentText("half");
  validation->LmoSizeCheck();
  ASSERT_EQ(TestUi().Shown().size(), 1u);
  EXPECT_EQ(TestUi().Shown(0).text.substr(0, 31), "Too few prediction elements (0)");
}

TEST_F(Validation, TenPercentOfTwentyLeavesOutTwoInTheCheckAndTheRun) {
  std::vector<long double> ys;
  for (int i = 0; i < 20; ++i) ys.push_back(2.0L * i + (i % 3));
  Use(Line(ys));
  DataResultNode& model = AddModel(*list, {0}, {0.0L, 2.0L});
  calculator = std::make_unique<ExternalValidator>(false, list.get(), data.get());
  validation = std::make_unique<InternalValidation>(*calculator, list.get(), data.get(), &registry);
  validation->SetLmoPercentText("10");
  validation->LmoSizeCheck();
  Run(kLeaveManyOut, 3, "10");
  EXPECT_TRUE(TestUi().Shown().empty());
  EXPECT_EQ(RecordOf(kLeaveManyOut, model).iterations.size(), 3u);
  EXPECT_FALSE(model.cvQ2LMO.Missing);
}

TEST_F(Validation, SingularIterationsAreWrittenMissingAndLeftOutOfTheMeans) {
  // The second descriptor copies the first: every refit is singular.
  std::vector<TestObject> objects = Line({2.1L, 3.9L, 6.2L, 7.8L, 10.1L});
  for (TestObject& object : objects) object.x.push_back(object.x[0]);
  Use(objects);
  DataResultNode& model = AddModel(*list, {0, 1}, {0.0L, 1.0L, 1.0L});
  model.cvR2Yscr = CheckedValue(0.25L, false);
  model.cvQ2Yscr = CheckedValue(0.5L, true);
  Run(kYScramble, 3);
  const ValidationRecord record = RecordOf(kYScramble, model);
  ASSERT_EQ(record.iterations.size(), 3u);
  for (const ValidationIteration& it : record.iterations)
    for (const CheckedValue* cell : {&it.r2, &it.q2, &it.k}) {
      EXPECT_TRUE(cell->Missing);
      EXPECT_EQ(cell->Value, 0.0L);
    }
  EXPECT_EQ(model.cvR2Yscr.Value, 0.25L);
  EXPECT_FALSE(model.cvR2Yscr.Missing);
  EXPECT_EQ(model.cvQ2Yscr.Value, 0.5L);
  EXPECT_TRUE(model.cvQ2Yscr.Missing);
}

// Escape reports a press at one poll only: the first of a step is the one between
// two models, then one comes before each iteration.
struct EscapeAtPoll : ScriptedUi {
  explicit EscapeAtPoll(int poll) : poll(poll) {}
  bool EscapePressed() override { return ++polls == poll; }
  int poll;
  int polls = 0;
};

// Yes during a model's iterations stops that model at once: its record and cells
// stay those of the run before, the models done before it keep their new ones.
TEST_F(Validation, EscapeConfirmedDuringAModelLeavesItAsItWasAndEndsTheRun) {
  UseALineAndItsRoot();
  DataResultNode& first = AddModel(*list, {0}, {0.0L, 2.0L});
  DataResultNode& second = AddModel(*list, {1}, {0.0L, 2.0L});
  Run(kLeaveManyOut, 3, "50");
  const CheckedValue secondQ2 = second.cvQ2LMO;
  const CheckedValue secondR2 = second.cvR2LMO;
  EscapeAtPoll ui(9);  // the second model's second iteration: 1 + 3 + 1 + 2 + 1 + 1
  ui.Answer(IDYES);
  InstallUi(&ui);
  calculator = std::make_unique<ExternalValidator>(false, list.get(), data.get());
  validation = std::make_unique<InternalValidation>(*calculator, list.get(), data.get(), &registry);
  validation->SetChecked(kYScramble, true);
  for (int k = 0; k < kValidationKindCount; ++k) validation->SetIterationText(k, "4");
  validation->SetLmoPercentText("50");
  RunToEnd();
  InstallUi(&TestUi());
  EXPECT_EQ(RecordOf(kLeaveManyOut, first).iterations.size(), 4u);
  EXPECT_EQ(RecordOf(kLeaveManyOut, second).iterations.size(), 3u);
  EXPECT_EQ(second.cvQ2LMO.Value, secondQ2.Value);
  EXPECT_EQ(second.cvR2LMO.Value, secondR2.Value);
  EXPECT_TRUE(first.cvR2Yscr.Missing);
  for (int k = 0; k < kValidationKindCount; ++k) EXPECT_FALSE(validation->Checked(k));
  ASSERT_EQ(ui.Shown().size(), 1u);
  EXPECT_EQ(ui.Shown(0).text, "Do you really want to abort calculation?");
}

TEST_F(FiveObjects, UnselectedModelsWriteNoRecordsAndAnEmptyFileIsMerged) {
  DataResultNode& model = AddModel(*list, {0}, {0.0L, 2.0L}, 0);
  Run(kYScramble, 2);
  EXPECT_EQ(ReadFileText(registry.FindTempFilePath("~yscr~", 0)), "");
  EXPECT_TRUE(model.cvR2Yscr.Missing);
}

TEST_F(FiveObjects, NoKindCheckedEndsTheRunAtTheFirstStep) {
  AddModel(*list, {0}, {0.0L, 2.0L});
  calculator = std::make_unique<ExternalValidator>(false, list.get(), data.get());
  validation = std::make_unique<InternalValidation>(*calculator, list.get(), data.get(), &registry);
  validation->SetChecked(kLeaveManyOut, false);
  validation->SetChecked(kYScramble, false);
  validation->Start();
  validation->Step();
  EXPECT_FALSE(validation->Running());
  EXPECT_EQ(TestUi().busyDepth, 0);
}

TEST_F(FiveObjects, TheHourglassStaysFromTheFirstStepToTheEndOfTheRun) {
  AddModel(*list, {0}, {0.0L, 2.0L});
  AddModel(*list, {0}, {0.0L, 2.0L});
  calculator = std::make_unique<ExternalValidator>(false, list.get(), data.get());
  validation = std::make_unique<InternalValidation>(*calculator, list.get(), data.get(), &registry);
  validation->SetChecked(kLeaveManyOut, false);
  validation->SetIterationText(kYScramble, "2");
  validation->Start();
  validation->Step();
  EXPECT_EQ(TestUi().busyDepth, 1);
  validation->Step();
  validation->Step();
  EXPECT_FALSE(validation->Running());
  EXPECT_EQ(TestUi().busyDepth, 0);
}

TEST_F(FiveObjects, AStepOutsideARunDoesNothing) {
  DataResultNode& model = AddModel(*list, {0}, {0.0L, 2.0L});
  calculator = std::make_unique<ExternalValidator>(false, list.get(), data.get());
  validation = std::make_unique<InternalValidation>(*calculator, list.get(), data.get(), &registry);
  validation->SetLmoPercentText("50");
  validation->Step();
  EXPECT_TRUE(model.cvQ2LMO.Missing);
  EXPECT_TRUE(validation->Checked(kLeaveManyOut));
  EXPECT_EQ(TestUi().busyDepth, 0);
  EXPECT_TRUE(TestUi().Shown().empty());
}

// The progress window of a run, recording what it was told; captions may take
// long, so that the next iteration finds its 125 ms passed.
struct RunProgress : RecordedProgress {
  RunProgress(std::vector<std::string>& log, int slowCaptions) : RecordedProgress(log), slowCaptions(slowCaptions) {}
  void SetCaption(const std::string& caption) override {
    RecordedProgress::SetCaption(caption);
    if (slowCaptions-- > 0) std::this_thread::sleep_for(std::chrono::milliseconds(140));
  }
  int slowCaptions;
};

struct ProgressOfTheRun : FiveObjects {
  // A run of LMO and Y-scrambling, N = 2, over the list, its progress logged.
  void RunLogged(int slowCaptions = 0, int iterations = 2) {
    calculator = std::make_unique<ExternalValidator>(false, list.get(), data.get());
    validation = std::make_unique<InternalValidation>(*calculator, list.get(), data.get(), &registry,
                                                      [this, slowCaptions](bool animated) {
                                                        log.push_back(animated ? "animated" : "bar");
                                                        return std::make_unique<RunProgress>(log, slowCaptions);
                                                      });
    for (int k = 0; k < kValidationKindCount; ++k) validation->SetIterationText(k, std::to_string(iterations));
    validation->SetLmoPercentText("50");
    RunToEnd();
  }
  std::vector<std::string> log;
};

TEST_F(ProgressOfTheRun, OneBarForTheRunOneStepPerSelectedModel) {
  AddModel(*list, {0}, {0.0L, 2.0L}, 3).sName = "x1";
  AddModel(*list, {0}, {0.0L, 2.0L}, 0).sName = "x2";
  AddModel(*list, {0}, {0.0L, 2.0L}, 1).sName = "x3";
  RunLogged();
  const int step = 2147483647 / 2;
  // The second kind steps the bar past its end: it starts over from the beginning.
  const std::vector<std::string> expected = {"bar",
                                             "range 0 2147483647",
                                             "position 0",
                                             "text Press ESC to abort...",
                                             "caption LMO: x1",
                                             "position " + std::to_string(step),
                                             "caption LMO: x3",
                                             "position " + std::to_string(2 * step),
                                             "caption Y-scramble: x1",
                                             "position " + std::to_string(3LL * step - 2147483647),
                                             "caption Y-scramble: x3",
                                             "position " + std::to_string(4LL * step - 2147483647),
                                             "closed"};
  EXPECT_EQ(log, expected);
  EXPECT_TRUE(TestUi().Shown().empty());
}

TEST_F(ProgressOfTheRun, NoSelectedModelNeverStepsTheBar) {
  AddModel(*list, {0}, {0.0L, 2.0L}, 0);
  RunLogged();
  EXPECT_EQ(log, (std::vector<std::string>{"bar", "range 0 2147483647", "position 0", "text Press ESC to abort...",
                                           "closed"}));
}

TEST_F(ProgressOfTheRun, TheCaptionTellsTheShareDoneAfter125Ms) {
  AddModel(*list, {0}, {0.0L, 2.0L}).sName = "x1";
  RunLogged(3, 4);  // the first three captions take 140 ms each
  std::vector<std::string> captions;
  for (const std::string& line : log)
    if (line.rfind("caption ", 0) == 0) captions.push_back(line.substr(8));
  EXPECT_EQ(captions, (std::vector<std::string>{"LMO: x1", "Calc. LMO: done 0% model: x1", "Calc. LMO: done 25% model: x1",
                                                "Calc. LMO: done 50% model: x1", "Y-scramble: x1"}));
  // The bar moves with the share done, then to the model's end.
  const auto position = [this](const std::string& line) { return std::find(log.begin(), log.end(), line); };
  EXPECT_LT(position("position 536870911"), position("position 1073741823"));
  EXPECT_LT(position("position 1073741823"), position("position 2147483647"));
  EXPECT_NE(position("position 1073741823"), log.end());
}

// The share is trunc(i / N x 100) in extended precision: 29 of 50 iterations is
// 58 %, where double precision gives 57.
TEST_F(ProgressOfTheRun, TheShareDoneIsTruncatedInExtendedPrecision) {
  struct SlowPoll : ScriptedUi {
    bool EscapePressed() override {
      // The 30th poll: the first is the one before the model.
      if (++polls == 30) std::this_thread::sleep_for(std::chrono::milliseconds(140));
      return ScriptedUi::EscapePressed();
    }
    int polls = 0;
  } ui;
  InstallUi(&ui);
  AddModel(*list, {0}, {0.0L, 2.0L}).sName = "x1";
  RunLogged(0, 50);
  InstallUi(&TestUi());
  std::vector<std::string> captions;
  for (const std::string& line : log)
    if (line.rfind("caption ", 0) == 0) captions.push_back(line.substr(8));
  EXPECT_EQ(captions, (std::vector<std::string>{"LMO: x1", "Calc. LMO: done 58% model: x1", "Y-scramble: x1"}));
}

TEST_F(ProgressOfTheRun, EscapeAnsweredNoGoesOnAndYesAsksToWait) {
  AddModel(*list, {0}, {0.0L, 2.0L}).sName = "x1";
  AddModel(*list, {0}, {0.0L, 2.0L}).sName = "x2";
  TestUi().PressEscape();
  TestUi().Answer(IDNO);
  RunLogged();
  ASSERT_EQ(TestUi().Shown().size(), 1u);
  EXPECT_EQ(TestUi().Shown(0).text, "Do you really want to abort calculation?");
  EXPECT_EQ(TestUi().Shown(0).caption, "APPLICATION WARNING");
  EXPECT_EQ(TestUi().Shown(0).flags, static_cast<unsigned>(MB_YESNO | MB_ICONQUESTION));
  EXPECT_FALSE(list->Last()->cvR2Yscr.Missing);

  TestUi().Reset();
  log.clear();
  TestUi().PressEscape();
  TestUi().Answer(IDYES);
  RunLogged();
  EXPECT_NE(std::find(log.begin(), log.end(), "text Please wait until calculations for this model are completed..."),
            log.end());
  // The start only: Escape came before the first model.
  EXPECT_EQ(std::count_if(log.begin(), log.end(), [](const std::string& l) { return l.rfind("position", 0) == 0; }),
            1);
}

TEST_F(FiveObjects, StepMessagesUncheckTheirKindAndTheRunGoesOn) {
  DataResultNode& model = AddModel(*list, {0}, {0.0L, 2.0L});
  calculator = std::make_unique<ExternalValidator>(false, list.get(), data.get());
  validation = std::make_unique<InternalValidation>(*calculator, list.get(), data.get(), &registry);
  validation->SetChecked(kRandomDescriptors, true);
  validation->SetLmoPercentText("50");
  validation->SetIterationText(kLeaveManyOut, "0");
  validation->SetIterationText(kYScramble, "many");
  validation->SetIterationText(kRandomDescriptors, "1");
  RunToEnd();
  ASSERT_EQ(TestUi().Shown().size(), 2u);
  for (const ScriptedUi::Message& message : TestUi().Shown()) {
    EXPECT_TRUE(IsMessage(message, "Cannot achieve iteration count, aborting... ", "APPLICATION ERROR", MB_ICONERROR));
  }
  EXPECT_TRUE(model.cvQ2LMO.Missing);
  EXPECT_TRUE(model.cvR2Yscr.Missing);
  EXPECT_FALSE(model.cvR2Xrnd.Missing);
  for (int k = 0; k < kValidationKindCount; ++k) EXPECT_FALSE(validation->Checked(k));
}

// A count below one leaves the kind's file and the model as they were.
TEST_F(FiveObjects, AnIterationCountBelowOneWritesNoRecord) {
  DataResultNode& model = AddModel(*list, {0}, {0.0L, 2.0L});
  Run(kYScramble, 2);
  const std::string file = ReadFileText(registry.FindTempFilePath("~yscr~", 0));
  const CheckedValue mean = model.cvR2Yscr;
  for (int count : {0, -5}) {
    TestUi().Reset();
    Run(kYScramble, count);
    ASSERT_EQ(TestUi().Shown().size(), 1u);
    EXPECT_EQ(TestUi().Shown(0).text, "Cannot achieve iteration count, aborting... ");
    EXPECT_EQ(ReadFileText(registry.FindTempFilePath("~yscr~", 0)), file);
    EXPECT_EQ(model.cvR2Yscr.Value, mean.Value);
  }
}

// Records that cannot reach the validation file take the models' old records
// along, so that no plot shows them as the current ones, and leave no partial
// file behind: a record file that cannot be made (a read-only folder), a full
// disk under it (said once in the run), or under the merge's output.
TEST_F(Validation, RecordsThatCannotBeStoredTakeTheModelsOldRecordsAlong) {
  UseALineAndItsRoot();
  DataResultNode& done = AddModel(*list, {0}, {0.0L, 2.0L});
  DataResultNode& other = AddModel(*list, {1}, {0.0L, 2.0L});
  const auto runBoth = [this](int iterations) {
    calculator = std::make_unique<ExternalValidator>(false, list.get(), data.get());
    validation = std::make_unique<InternalValidation>(*calculator, list.get(), data.get(), &registry);
    for (int k = 0; k < kValidationKindCount; ++k) validation->SetIterationText(k, std::to_string(iterations));
    validation->SetLmoPercentText("50");
    RunToEnd();
  };
  const std::string lmo = registry.FindTempFilePath("~many~", 0);
  const std::string yscr = registry.FindTempFilePath("~yscr~", 0);
  const auto noSpace = [](const std::string& path) {
    return "Cannot write file \"" + path + "\": No space left on device";
  };
  const std::string fullRecordFile = noSpace(lmo + ".tmp") + ". Detailed data will not be available for plotting graphs.";
  // Records of 60 iterations are larger than the file buffer: their writes fail,
  // where those of 3 fail when the file is closed.
  struct Failure {
    std::string extension;
    bool folder;
    int iterations;
    std::vector<std::string> messages;
  };
  for (const Failure& failure :
       {Failure{".tmp", true, 3,
                {"Cannot open temporary validation file, detailed data will not be available for plotting graphs. "
                 "Please check your privileges."}},
        Failure{".tmp", false, 60, {fullRecordFile}}, Failure{".tmp", false, 3, {fullRecordFile}},
        Failure{".out", false, 3, {noSpace(lmo + ".out"), noSpace(yscr + ".out")}}}) {
    other.iSelStatus = 1;
    runBoth(2);
    std::vector<std::string> kept;
    for (const std::string& db : {lmo, yscr}) {
      const int kind = db == lmo ? kLeaveManyOut : kYScramble;
      const std::vector<uint8_t> image = EncodeValidationRecord(RecordOf(kind, other));
      kept.emplace_back(image.begin(), image.end());
      if (failure.folder)
        std::filesystem::create_directory(db + failure.extension);
      else
        std::filesystem::create_symlink("/dev/full", db + failure.extension);
    }
    const CheckedValue before = done.cvQ2Yscr;
    other.iSelStatus = 0;
    TestUi().Reset();
    runBoth(failure.iterations);
    std::vector<std::string> shown;
    for (const ScriptedUi::Message& message : TestUi().Shown()) shown.push_back(message.text);
    EXPECT_EQ(shown, failure.messages);
    EXPECT_NE(done.cvQ2Yscr.Value, before.Value);  // the means count
    EXPECT_EQ(ReadFileText(lmo), kept[0]) << failure.extension;
    EXPECT_EQ(ReadFileText(yscr), kept[1]) << failure.extension;
    EXPECT_EQ(ListFiles(folder.Dir(), "*"), (std::vector<std::string>{"~many~.db$", "~yscr~.db$"}));
    for (const std::string& db : {lmo, yscr}) std::filesystem::remove_all(db + failure.extension);
  }
}

// While the temporary folder is no folder (as one turned read-only, which root
// cannot make), old records can be neither replaced nor removed: they are marked
// out of date for the models validated, and that is said once; a run that
// validated no model marks nothing and says only what it lost.
TEST_F(FiveObjects, OldRecordsThatCannotGoAreMarkedForTheModelsValidated) {
  DataResultNode& model = AddModel(*list, {0}, {0.0L, 2.0L});
  Run(kYScramble, 2);
  const std::string dir = folder.Dir().substr(0, folder.Dir().size() - 1);
  std::filesystem::rename(dir, dir + ".aside");
  std::ofstream(dir) << "no folder";
  model.iSelStatus = 0;
  TestUi().Reset();
  Run(kYScramble, 2);
  const std::string lost =
      "Cannot open temporary validation file, detailed data will not be available for plotting graphs. Please "
      "check your privileges.";
  ASSERT_EQ(TestUi().Shown().size(), 1u);
  EXPECT_EQ(TestUi().Shown(0).text, lost);
  EXPECT_TRUE(registry.Stale("~yscr~").Sets().empty());

  model.iSelStatus = 1;
  TestUi().Reset();
  Run(kYScramble, 2);
  ASSERT_EQ(TestUi().Shown().size(), 2u);
  EXPECT_EQ(TestUi().Shown(0).text, lost);
  EXPECT_TRUE(IsMessage(TestUi().Shown(1),
                        "Cannot remove the earlier validation records of the models validated: their validation "
                        "plots will not be available. Please check your privileges.",
                        "APPLICATION WARNING", MB_ICONWARNING));
  EXPECT_EQ(registry.Stale("~yscr~").Sets(), (std::vector<std::vector<int32_t>>{{0}}));
  std::filesystem::remove(dir);
  std::filesystem::rename(dir + ".aside", dir);
}

TEST_F(Validation, NoTrainingObjectIsReportedForEachKind) {
  std::vector<TestObject> objects = Line({2.1L, 3.9L, 6.2L, 7.8L, 10.1L});
  for (TestObject& object : objects) object.status = 2;
  Use(objects);
  DataResultNode& model = AddModel(*list, {0}, {0.0L, 2.0L});
  calculator = std::make_unique<ExternalValidator>(false, list.get(), data.get());
  validation = std::make_unique<InternalValidation>(*calculator, list.get(), data.get(), &registry);
  RunToEnd();  // the defaults: LMO and Y-scrambling
  ASSERT_EQ(TestUi().Shown().size(), 2u);
  for (const ScriptedUi::Message& message : TestUi().Shown()) {
    EXPECT_TRUE(IsMessage(message, "No training elements found!", "APPLICATION ERROR", MB_ICONERROR));
  }
  EXPECT_TRUE(model.cvR2Yscr.Missing);
  EXPECT_FALSE(std::filesystem::exists(registry.FindTempFilePath("~yscr~", 0)));
}

// Without a registry, or with the names not registered, no record file exists.
TEST_F(FiveObjects, ARecordFileThatCannotBeCreatedIsReportedOnceAndTheMeansStillCount) {
  DataResultNode& model = AddModel(*list, {0}, {0.0L, 2.0L});
  TempFiles unregistered(folder.Dir());
  for (TempFiles* files : {static_cast<TempFiles*>(nullptr), &unregistered}) {
    TestUi().Reset();
    for (CheckedValue* cell : {&model.cvQ2LMO, &model.cvR2Yscr, &model.cvR2Xrnd}) *cell = CheckedValue(0.0L, true);
    calculator = std::make_unique<ExternalValidator>(false, list.get(), data.get());
    validation = std::make_unique<InternalValidation>(*calculator, list.get(), data.get(), files);
    validation->SetChecked(kRandomDescriptors, true);
    for (int k = 0; k < kValidationKindCount; ++k) validation->SetIterationText(k, "2");
    validation->SetLmoPercentText("50");
    RunToEnd();
    ASSERT_EQ(TestUi().Shown().size(), 1u);
    EXPECT_TRUE(IsMessage(
        TestUi().Shown(0),
        "Cannot open temporary validation file, detailed data will not be available for plotting graphs. Please "
        "check your privileges.",
        "APPLICATION WARNING", MB_ICONWARNING));
    EXPECT_FALSE(model.cvQ2LMO.Missing);
    EXPECT_FALSE(model.cvR2Yscr.Missing);
    EXPECT_FALSE(model.cvR2Xrnd.Missing);
    EXPECT_TRUE(std::filesystem::is_empty(folder.Dir()));
    TestUi().Reset();
    validation->SetChecked(kYScramble, true);
    RunToEnd();  // a later run of the same window reports it again
    EXPECT_EQ(TestUi().Shown().size(), 1u);
  }
}

TEST_F(FiveObjects, AModelThatCannotBeSetUpIsSkippedAndReportedOnce) {
  for (int damaged = 0; damaged < 3; ++damaged)
    AddModel(*list, {0}, {0.0L, 2.0L}).iSize = -2;  // a damaged record: no design matrix
  DataResultNode& sound = AddModel(*list, {0}, {0.0L, 2.0L});
  Run(kYScramble, 2);
  ASSERT_EQ(TestUi().Shown().size(), 1u);
  EXPECT_EQ(TestUi().Shown(0).caption, "APPLICATION WARNING");
  EXPECT_EQ(TestUi().Shown(0).Icon(), static_cast<unsigned>(MB_ICONWARNING));
  EXPECT_FALSE(sound.cvR2Yscr.Missing);
  EXPECT_TRUE(list->First()->cvR2Yscr.Missing);
  EXPECT_EQ(RecordOf(kYScramble, sound).iterations.size(), 2u);
}

// y = 3.3 x - 1.1: K of x with y is 1 but for rounding, which may take it past 1;
// no iteration fails for that.
TEST_F(Validation, AnExactLineFailsNoIteration) {
  std::vector<long double> ys;
  for (int x = 1; x <= 20; ++x) ys.push_back(3.3L * x - 1.1L);
  Use(Line(ys));
  DataResultNode& model = AddModel(*list, {0}, {-1.1L, 3.3L});
  Run(kLeaveManyOut, 100);
  for (const ValidationIteration& it : RecordOf(kLeaveManyOut, model).iterations) {
    EXPECT_FALSE(it.r2.Missing);
    EXPECT_FALSE(it.k.Missing);
    EXPECT_LE(it.k.Value, 1.0L);
    EXPECT_GE(it.k.Value, 1.0L - 1e-15L);
  }
  EXPECT_TRUE(Near(model.cvR2LMO, 1.0L, 1e-15L));
}

// Descriptors of a smooth but irregular spread, the response near a plane of them.
std::vector<TestObject> Spread(int objects, int descriptors) {
  std::vector<TestObject> all;
  for (int i = 0; i < objects; ++i) {
    TestObject object{1, {}, 0.0L};
    for (int v = 0; v < descriptors; ++v) object.x.push_back(std::sin(1.7L * i * (v + 1) + v) + 0.05L * i);
    *object.y = object.x[0] - 2.0L * object.x[1] + 0.5L * object.x[2] + 0.3L * std::cos(3.1L * i);
    all.push_back(object);
  }
  return all;
}

// 5 of 8 objects left out leave 3 to fit 4 coefficients: said once in the run,
// naming the first such model.
TEST_F(Validation, LeaveManyOutWithTooFewObjectsToFitSaysWhy) {
  std::vector<TestObject> objects = Spread(8, 3);
  Use(objects);
  DataResultNode& first = AddModel(*list, {0, 1, 2}, {0.0L, 1.0L, 1.0L, 1.0L});
  first.sName = "M1";
  AddModel(*list, {2, 1, 0}, {0.0L, 1.0L, 1.0L, 1.0L}).sName = "M2";
  DataResultNode& fits = AddModel(*list, {0, 1}, {0.0L, 1.0L, 1.0L});
  Run(kLeaveManyOut, 2, "62.5");
  ASSERT_EQ(TestUi().Shown().size(), 1u);
  EXPECT_TRUE(
      IsMessage(TestUi().Shown(0),
                "LMO cannot be calculated for model M1: leaving out 5 objects leaves 3 to fit its 4 coefficients. "
                "Please, choose a lower percentage.",
                "LMO WARNING", MB_ICONWARNING));
  EXPECT_TRUE(first.cvQ2LMO.Missing);
  EXPECT_FALSE(fits.cvQ2LMO.Missing);
  TestUi().Reset();
  Run(kLeaveManyOut, 2, "50");
  EXPECT_TRUE(TestUi().Shown().empty());
}

// Moves on at every reading, so that each shuffle and each step has a seed of its own.
uint64_t clockTicks = 0;
uint64_t TickingClock() { return clockTicks += 7919; }

std::string Bits(const CheckedValue& cell) {
  char bytes[10];
  std::memcpy(bytes, &cell.Value, sizeof bytes);
  return std::string(bytes, sizeof bytes) + (cell.Missing ? "M" : "P");
}

// The models of all descriptors but the first `skipped`.
DataResultNode& AddModelFrom(DataResultList& list, int skipped, int descriptors) {
  std::vector<int> variables;
  for (int v = skipped; v < descriptors; ++v) variables.push_back(v);
  return AddModel(list, variables, std::vector<long double>(variables.size() + 1, 1.0L));
}

// Every kind over a model within the kernels' size limit (4 coefficients), one
// just beyond it (17) and one as large whose refits fault (a descriptor 0 but in
// one object), on the worker threads or the plain refits.
struct SameBits : Validation {
  void SetUp() override {
    Validation::SetUp();
    std::vector<TestObject> objects = Spread(40, 17);
    for (std::size_t i = 0; i < objects.size(); ++i) objects[i].x[0] = i == 7 ? 1.0L : 0.0L;
    Use(objects);
    AddModel(*list, {1, 2, 3}, {0.0L, 1.0L, 1.0L, 1.0L});
    AddModelFrom(*list, 1, 17);
    AddModelFrom(*list, 0, 16);
  }
  void TearDown() override {
    SetWorkerThreadCount(0);
    SetSearchFastPaths(true);
    Validation::TearDown();
  }
  // The four validation files and the models' cells after a run of every kind.
  std::string RunAll(int threads, bool fastPaths, RandomizeClock clock = TickingClock) {
    SetWorkerThreadCount(threads);
    SetSearchFastPaths(fastPaths);
    clockTicks = 0;
    SetRandomizeClock(clock);
    for (int kind = 0; kind < kValidationKindCount; ++kind)
      std::filesystem::remove(registry.FindTempFilePath(ValidationFileTag(kind), 0));
    calculator = std::make_unique<ExternalValidator>(false, list.get(), data.get());
    validation = std::make_unique<InternalValidation>(*calculator, list.get(), data.get(), &registry);
    for (int kind = 0; kind < kValidationKindCount; ++kind) {
      validation->SetChecked(kind, true);
      validation->SetIterationText(kind, "24");
    }
    RunToEnd();
    std::string bits;
    for (int kind = 0; kind < kValidationKindCount; ++kind) {
      files[kind] = ReadFileText(registry.FindTempFilePath(ValidationFileTag(kind), 0));
      bits += files[kind];
    }
    for (DataResultNode* model = list->First(); model; model = model->Next())
      for (const CheckedValue* cell : {&model->cvR2LMO, &model->cvQ2LMO, &model->cvR2Yscr, &model->cvQ2Yscr,
                                       &model->cvR2Xrnd, &model->cvQ2Xrnd, &model->cvR2Yrnd, &model->cvQ2Yrnd})
        bits += Bits(*cell);
    return bits;
  }
  std::array<std::string, kValidationKindCount> files;
};

TEST_F(SameBits, OnAnyNumberOfThreadsAndWithoutTheFastPaths) {
  const std::string plain = RunAll(1, false);
  EXPECT_EQ(plain.size(), 4 * (3 * (8 + 72 * 24) + 4 * 3 + 2 * 4 * 16) + 3 * 8 * 11u);
  for (DataResultNode* model : {list->First(), list->First()->Next()})
    EXPECT_FALSE(model->cvQ2LMO.Missing || model->cvQ2Yscr.Missing || model->cvQ2Xrnd.Missing || model->cvQ2Yrnd.Missing);
  EXPECT_TRUE(list->Last()->cvQ2Yscr.Missing);
  EXPECT_FALSE(list->Last()->cvQ2Xrnd.Missing);
  EXPECT_EQ(RunAll(1, true), plain);
  EXPECT_EQ(RunAll(2, true), plain);
  EXPECT_EQ(RunAll(8, true), plain);
  EXPECT_EQ(RunAll(8, false), plain);
  EXPECT_TRUE(TestUi().Shown().empty());
}

// As many coefficients as objects: every fit is exact and every refit faults.
TEST_F(SameBits, EveryRefitOfASquareDesignFaults) {
  Use(Spread(17, 16));
  AddModelFrom(*list, 0, 16);
  const std::string plain = RunAll(1, false);
  EXPECT_EQ(RunAll(8, true), plain);
  for (int kind = 0; kind < kValidationKindCount; ++kind)
    for (const ValidationIteration& it : RecordOf(kind, *list->First()).iterations) EXPECT_TRUE(it.r2.Missing);
}

// The clock seeds every shuffle and every step's twister: another clock, other
// data for each kind; the same clock, the same run.
TEST_F(SameBits, TheClockSeedsEveryKind) {
  const std::string ticking = RunAll(8, true);
  const auto tickingFiles = files;
  EXPECT_EQ(RunAll(8, true), ticking);
  RunAll(8, true, ZeroClock);
  for (int kind = 0; kind < kValidationKindCount; ++kind) EXPECT_NE(files[kind], tickingFiles[kind]) << kind;
}

}  // namespace
