#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "numerics/Matrix.h"
#include "support/ScriptedUi.h"
#include "validate/ExternalValidator.h"
#include "validate/ValidationTestData.h"

namespace {

using validationtest::AddModel;
using validationtest::RecordedProgress;
using validationtest::MakeData;
using validationtest::TestObject;

::testing::AssertionResult Near(const CheckedValue& cell, long double expected, long double tolerance = 5e-7L) {
  if (cell.Missing) return ::testing::AssertionFailure() << "missing";
  if (std::fabs(cell.Value - expected) <= tolerance) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << static_cast<double>(cell.Value) << " is not "
                                       << static_cast<double>(expected);
}

::testing::AssertionResult MissingZero(const CheckedValue& cell) {
  if (cell.Missing && cell.Value == 0.0L) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "missing " << cell.Missing << " value " << static_cast<double>(cell.Value);
}

// Every cell the calculator writes, in a fixed order.
std::vector<CheckedValue*> ValidationCells(DataResultNode& m) {
  return {&m.cvQ2F1,   &m.cvQ2F2,    &m.cvQ2F3,     &m.cvR2extReg, &m.cvR2o,       &m.cvR2oPrime, &m.cvK,
          &m.cvKPrime, &m.cvR2mAver, &m.cvR2mDelta, &m.cvClos,     &m.cvClosPrime, &m.cvCCCext,   &m.cvR2ext};
}

// Marks every cell present with a value no calculation gives.
void MarkCells(DataResultNode& model) {
  for (CheckedValue* cell : ValidationCells(model)) *cell = CheckedValue(42.0L, false);
  model.ciNExtOK = CheckedIntValue(42, false);
}

bool Marked(const CheckedValue& cell) { return !cell.Missing && cell.Value == 42.0L; }

// Training objects with responses 1..4 (x = response) and the given test objects.
std::unique_ptr<ChemoData> WithTestObjects(const std::vector<TestObject>& test) {
  std::vector<TestObject> objects = {{1, {1}, 1}, {1, {2}, 2}, {1, {3}, 3}, {0, {9}, 7}, {1, {4}, 4}};
  objects.insert(objects.begin() + 1, test.begin(), test.end());
  return MakeData(objects);
}

struct ExternalValidation : ::testing::Test {
  void SetUp() override { TestUi().Reset(); }
};

// y = 0 + 1 x: three test objects observed 1.5, 2.5, 4.0 at x = 1.7, 2.4, 3.6.
struct ExternalReference : ExternalValidation {
  std::unique_ptr<ChemoData> data = WithTestObjects({{2, {1.7L}, 1.5L}, {2, {2.4L}, 2.5L}, {2, {3.6L}, 4.0L}});
  DataResultList list{data.get()};
  DataResultNode& model = AddModel(list, {0}, {0.0L, 1.0L});
};

TEST_F(ExternalReference, ValidationGivesTheIndependentlyComputedStatistics) {
  ExternalValidator validator(false, &list, data.get());
  validator.ValidateExternal();
  // PRESS 0.21; S1 3.25; S2 114/36; S3 5 over 4 training objects.
  EXPECT_TRUE(Near(model.cvQ2F1, 1.0L - 0.21L / 3.25L, 1e-15L));
  EXPECT_TRUE(Near(model.cvQ2F2, 1.0L - 0.21L * 36.0L / 114.0L, 1e-15L));
  EXPECT_TRUE(Near(model.cvQ2F3, 1.0L - 0.07L / 1.25L, 1e-15L));
  EXPECT_TRUE(Near(model.cvKPrime, 0.936735L));
  EXPECT_TRUE(Near(model.cvR2oPrime, 0.939383L));
  EXPECT_TRUE(Near(model.cvR2extReg, 0.998717L));
  EXPECT_TRUE(Near(model.cvR2o, 0.959924L));
  EXPECT_TRUE(Near(model.cvK, 1.062008L));
  EXPECT_TRUE(Near(model.cvR2mAver, 0.778726L));
  EXPECT_TRUE(Near(model.cvR2mDelta, 0.046564L));
  EXPECT_TRUE(Near(model.cvClos, 0.038844L));
  EXPECT_TRUE(Near(model.cvClosPrime, 0.059410L));
  EXPECT_TRUE(Near(model.cvCCCext, 0.958361L));
  EXPECT_TRUE(Near(model.cvR2ext, 0.998717L));
  EXPECT_FALSE(model.ciNExtOK.Missing);
  EXPECT_EQ(model.ciNExtOK.Value, 5);
  EXPECT_TRUE(TestUi().Shown().empty());
  EXPECT_EQ(TestUi().busyDepth, 0);
}

TEST_F(ExternalReference, EachCriterionCountsOnceAndEqualityEarnsItsPoint) {
  ExternalValidator validator(true, &list, data.get());
  validator.ValidateExternal();
  EXPECT_TRUE(model.ciNExtOK.Missing);  // the all-models run does not count
  struct {
    long double ChemoData::*threshold;
    long double value;
    int expected;
  } cases[] = {
      {&ChemoData::ldQ2F1Threshold, 0.94L, 4},
      {&ChemoData::ldQ2F1Threshold, model.cvQ2F1.Value, 5},
      {&ChemoData::ldQ2F2Threshold, 0.94L, 4},
      {&ChemoData::ldQ2F3Threshold, 0.95L, 4},
      {&ChemoData::ldQ2F3Threshold, model.cvQ2F3.Value, 5},
      {&ChemoData::ldCCCextThreshold, 0.96L, 4},
      {&ChemoData::ldR2mAverThreshold, 0.78L, 4},
      {&ChemoData::ldR2mAverThreshold, model.cvR2mAver.Value, 5},
      {&ChemoData::ldR2mDeltaThreshold, 0.04L, 4},
      {&ChemoData::ldR2mDeltaThreshold, model.cvR2mDelta.Value, 5},
  };
  for (const auto& c : cases) {
    ExternalValidator counter(true, &list, data.get());
    const long double saved = data.get()->*c.threshold;
    data.get()->*c.threshold = c.value;
    counter.CountExternalCriteria();
    data.get()->*c.threshold = saved;
    EXPECT_EQ(model.ciNExtOK.Value, c.expected) << static_cast<double>(c.value);
  }
  // Raising every threshold out of reach leaves no point.
  data->ldQ2F1Threshold = data->ldQ2F2Threshold = data->ldQ2F3Threshold = data->ldCCCextThreshold = 2.0L;
  data->ldR2mAverThreshold = 2.0L;
  validator.CountExternalCriteria();
  EXPECT_EQ(model.ciNExtOK.Value, 0);
}

TEST_F(ExternalValidation, OneTestObjectTakesTheFewerThanTwoRowsValues) {
  auto data = WithTestObjects({{2, {1.7L}, 1.5L}});
  DataResultList list(data.get());
  DataResultNode& model = AddModel(list, {0}, {0.0L, 1.0L});
  MarkCells(model);
  ExternalValidator(true, &list, data.get()).ValidateExternal();
  EXPECT_TRUE(MissingZero(model.cvQ2F2));
  EXPECT_TRUE(Near(model.cvQ2F1, 1.0L - 0.04L / 1.0L, 1e-15L));
  for (const CheckedValue* cell :
       {&model.cvR2extReg, &model.cvR2o, &model.cvR2oPrime, &model.cvK, &model.cvKPrime, &model.cvR2mAver})
    EXPECT_TRUE(Near(*cell, 1.0L, 0.0L));
  for (const CheckedValue* cell : {&model.cvR2mDelta, &model.cvClos, &model.cvClosPrime})
    EXPECT_TRUE(Near(*cell, 0.0L, 0.0L));
  EXPECT_TRUE(Marked(model.cvR2ext));
  EXPECT_TRUE(TestUi().Shown().empty());
}

// Pearson's r of these pairs exceeds 1 by rounding.
TEST_F(ExternalValidation, PerfectPredictionsGiveOnes) {
  auto data = WithTestObjects({{2, {6423.381L}, 6423.381L},
                               {2, {13345.398L}, 13345.398L},
                               {2, {8397.185L}, 8397.185L},
                               {2, {9293.493L}, 9293.493L}});
  DataResultList list(data.get());
  DataResultNode& model = AddModel(list, {0}, {0.0L, 1.0L});
  ExternalValidator(true, &list, data.get()).ValidateExternal();
  for (const CheckedValue* cell : {&model.cvQ2F1, &model.cvQ2F2, &model.cvQ2F3, &model.cvK, &model.cvKPrime,
                                   &model.cvR2o, &model.cvR2oPrime, &model.cvR2extReg, &model.cvCCCext, &model.cvR2ext})
    EXPECT_TRUE(Near(*cell, 1.0L, 1e-15L));
  EXPECT_TRUE(Near(model.cvR2mAver, 1.0L, 1e-9L));
  EXPECT_TRUE(Near(model.cvR2mDelta, 0.0L, 1e-9L));
  EXPECT_EQ(model.cvR2ext.Value, 1.0L);
}

// One value predicted for all: the line of observed on predicted cannot be fitted,
// its R2 falls below R2o and r2m is undefined.
TEST_F(ExternalValidation, EqualPredictionsLeaveR2mMissing) {
  auto data = WithTestObjects({{2, {1.7L}, 1.5L}, {2, {2.4L}, 2.5L}, {2, {3.6L}, 4.0L}});
  DataResultList list(data.get());
  DataResultNode& model = AddModel(list, {0}, {2.5L, 0.0L});
  MarkCells(model);
  ExternalValidator(true, &list, data.get()).ValidateExternal();
  EXPECT_TRUE(MissingZero(model.cvR2mAver));
  EXPECT_TRUE(MissingZero(model.cvR2mDelta));
  EXPECT_TRUE(Near(model.cvR2o, 0.0L, 1e-15L));
  EXPECT_TRUE(Near(model.cvClos, 1.0L, 1e-15L));
  EXPECT_TRUE(Near(model.cvClosPrime, 1.0L, 1e-15L));
  EXPECT_TRUE(Near(model.cvR2ext, 0.0L, 0.0L));
  EXPECT_TRUE(Near(model.cvCCCext, 0.0L, 0.0L));
}

TEST_F(ExternalValidation, EqualTestResponsesLeaveTheRatiosOnTheirSpreadMissing) {
  auto data = WithTestObjects({{2, {1.7L}, 2.0L}, {2, {2.4L}, 2.0L}, {2, {3.6L}, 2.0L}});
  DataResultList list(data.get());
  DataResultNode& model = AddModel(list, {0}, {0.0L, 1.0L});
  MarkCells(model);
  ExternalValidator(true, &list, data.get()).ValidateExternal();
  EXPECT_TRUE(MissingZero(model.cvQ2F2));
  EXPECT_TRUE(MissingZero(model.cvClos));
  EXPECT_TRUE(MissingZero(model.cvClosPrime));
  EXPECT_TRUE(Near(model.cvQ2F1, 1.0L - (0.09L + 0.16L + 2.56L) / 0.75L, 1e-15L));
  EXPECT_TRUE(Near(model.cvR2extReg, 0.0L, 0.0L));
  EXPECT_TRUE(Near(model.cvR2mAver, 0.0L, 0.0L));  // R2 and R2o are both 0
  EXPECT_TRUE(Near(model.cvR2mDelta, 0.0L, 0.0L));
  EXPECT_TRUE(Near(model.cvR2ext, 0.0L, 0.0L));
}

TEST_F(ExternalValidation, WithoutPredictionObjectsEachStepReportsAndTheCountStillRuns) {
  auto data = WithTestObjects({});
  DataResultList list(data.get());
  DataResultNode& model = AddModel(list, {0}, {0.0L, 1.0L}, 3);
  MarkCells(model);
  model.cvQ2F1 = model.cvQ2F2 = model.cvQ2F3 = model.cvCCCext = CheckedValue(0.9L, false);
  model.cvR2mAver = CheckedValue(0.8L, false);
  model.cvR2mDelta = CheckedValue(0.1L, false);
  ExternalValidator(false, &list, data.get()).ValidateExternal();
  const std::vector<std::string> texts = {
      "No test elements exists, cannot validate models (Q2-Fn - R2ext)",
      "No test elements exists, cannot calculate CCCext.",
      "No test elements exists, cannot calculate external regression parameters.",
  };
  ASSERT_EQ(TestUi().Shown().size(), 3u);
  for (std::size_t i = 0; i < texts.size(); ++i) {
    EXPECT_EQ(TestUi().Shown(i).text, texts[i]);
    EXPECT_EQ(TestUi().Shown(i).caption, "APPLICATION ERROR");
    EXPECT_EQ(TestUi().Shown(i).flags, static_cast<unsigned>(MB_OK | MB_ICONERROR));
  }
  EXPECT_EQ(model.ciNExtOK.Value, 5);
  EXPECT_TRUE(Marked(model.cvR2ext));
  EXPECT_EQ(TestUi().busyDepth, 0);
}

TEST_F(ExternalValidation, WithoutTrainingObjectsOnlyTheQ2FunctionsFail) {
  auto data = MakeData({{2, {1}, 1.5L}, {2, {2}, 2.5L}, {0, {3}, 3}});
  DataResultList list(data.get());
  DataResultNode& model = AddModel(list, {0}, {0.0L, 1.0L});
  MarkCells(model);
  ExternalValidator(true, &list, data.get()).ValidateExternal();
  ASSERT_EQ(TestUi().Shown().size(), 1u);
  EXPECT_EQ(TestUi().Shown(0).text, "No training elements exists, cannot validate models (Q2-Fn - R2ext)");
  EXPECT_TRUE(Marked(model.cvQ2F1));
  EXPECT_TRUE(Near(model.cvCCCext, 2.0L * 0.5L / (0.5L + 0.5L + 2.0L * 0.25L), 1e-15L));
  EXPECT_TRUE(Near(model.cvR2ext, 1.0L, 1e-15L));
}

TEST_F(ExternalReference, WithTheAllModelsFlagOffOnlySelectedModelsChange) {
  DataResultNode& unselected = AddModel(list, {0}, {0.5L, 1.0L}, 0);
  DataResultNode& rejected = AddModel(list, {0}, {0.5L, 1.0L}, 2);
  model.iSelStatus = 0;
  for (DataResultNode* m : {&model, &unselected, &rejected}) MarkCells(*m);
  ExternalValidator(false, &list, data.get()).ValidateExternal();
  for (DataResultNode* m : {&model, &unselected, &rejected}) {
    for (const CheckedValue* cell : ValidationCells(*m)) EXPECT_TRUE(Marked(*cell));
    EXPECT_EQ(m->ciNExtOK.Value, 42);
  }
  EXPECT_TRUE(TestUi().Shown().empty());
}

TEST_F(ExternalReference, TheCountLooksAtSelectedModelsWhateverTheAllModelsFlag) {
  DataResultNode& chosen = AddModel(list, {0}, {0.5L, 1.0L}, 3);
  model.iSelStatus = 2;
  MarkCells(model);
  ExternalValidator validator(true, &list, data.get());
  validator.ValidateExternal();
  validator.CountExternalCriteria();
  EXPECT_EQ(model.ciNExtOK.Value, 42);
  EXPECT_FALSE(chosen.ciNExtOK.Missing);
  EXPECT_LT(chosen.ciNExtOK.Value, 5);  // shifted by 0.5: the Q2 functions fall below 0.7
}

TEST_F(ExternalReference, EscapeBeforeTheSecondProcessedModelKeepsItsCells) {
  AddModel(list, {0}, {0.0L, 1.0L}, 0);  // not processed: no poll
  DataResultNode& second = AddModel(list, {0}, {0.5L, 1.0L}, 1);
  MarkCells(model);
  MarkCells(second);
  TestUi().PressEscape(2);
  TestUi().Answer(IDNO);   // the first model goes on
  TestUi().Answer(IDYES);  // the second one is not processed
  ExternalValidator validator(false, &list, data.get());
  EXPECT_FALSE(validator.CalcExternalQ2Fn(&list, false));
  ASSERT_EQ(TestUi().Shown().size(), 2u);
  EXPECT_EQ(TestUi().Shown(1).text, "Do you really want to abort calculation?");
  EXPECT_EQ(TestUi().Shown(1).caption, "APPLICATION WARNING");
  EXPECT_EQ(TestUi().Shown(1).flags, static_cast<unsigned>(MB_YESNO | MB_ICONQUESTION));
  EXPECT_TRUE(Near(model.cvQ2F1, 1.0L - 0.21L / 3.25L, 1e-15L));
  EXPECT_TRUE(Near(model.cvClosPrime, 0.059410L));
  for (const CheckedValue* cell : ValidationCells(second)) EXPECT_TRUE(Marked(*cell));
  EXPECT_EQ(TestUi().calculationDepth, 0);
}

TEST_F(ExternalReference, TheConcordanceRunPollsAfterEveryModel) {
  model.iSelStatus = 0;
  DataResultNode& selected = AddModel(list, {0}, {0.0L, 1.0L}, 1);
  MarkCells(selected);
  TestUi().PressEscape(1);
  ExternalValidator validator(false, &list, data.get());
  EXPECT_FALSE(validator.CalcExternalCCC(&list, true));  // aborted after the unselected first model
  EXPECT_TRUE(Marked(selected.cvCCCext));
  EXPECT_TRUE(validator.CalcExternalQ2Fn(&list, false));
  EXPECT_TRUE(validator.CalcExternalCCC(&list, false));
  EXPECT_TRUE(Near(selected.cvCCCext, 0.958361L));
}

TEST_F(ExternalReference, AFailedModelOnlyMarksItsOwnCells) {
  // Predictions that overflow: the concordance fails, the others keep what they had.
  auto huge = MakeData({{1, {1}, 1}, {1, {2}, 2}, {2, {1e4000L}, 1.5L}, {2, {2e4000L}, 2.5L}});
  DataResultList hugeList(huge.get());
  DataResultNode& overflowing = AddModel(hugeList, {0}, {0.0L, 1e900L});
  DataResultNode& sound = AddModel(hugeList, {0}, {2.0L, 0.0L});
  MarkCells(overflowing);
  ExternalValidator(true, &hugeList, huge.get()).ValidateExternal();
  EXPECT_TRUE(overflowing.cvCCCext.Missing);
  EXPECT_EQ(overflowing.cvCCCext.Value, -1.0L);
  for (CheckedValue* cell : ValidationCells(overflowing)) EXPECT_TRUE(std::isfinite(cell->Value));
  EXPECT_TRUE(Marked(overflowing.cvR2ext));
  EXPECT_TRUE(Near(sound.cvQ2F2, 1.0L - 0.5L / 0.5L, 1e-15L));
  EXPECT_TRUE(TestUi().Shown().empty());
}

TEST_F(ExternalValidation, AQ2RatioThatOverflowsIsMissing) {
  // Responses of the order 1e-2460: S1 and S2 near 1e-4920, the squared errors of 1e10 predictions 1e20.
  auto data = MakeData({{1, {1}, 0.0L}, {1, {1}, 3e-2460L}, {2, {1}, 1e-2460L}, {2, {1}, 2e-2460L}});
  DataResultList list(data.get());
  DataResultNode& model = AddModel(list, {0}, {0.0L, 1e10L});
  MarkCells(model);
  ExternalValidator(true, &list, data.get()).ValidateExternal();
  EXPECT_TRUE(MissingZero(model.cvQ2F1));
  EXPECT_TRUE(MissingZero(model.cvQ2F2));
  EXPECT_TRUE(MissingZero(model.cvQ2F3));
}

TEST_F(ExternalReference, ProgressShowsTheCaptionsAndOneStepPerModel) {
  AddModel(list, {0}, {0.0L, 1.0L}, 0);
  AddModel(list, {0}, {0.0L, 1.0L}, 1);
  std::vector<std::string> log;
  ExternalValidator validator(false, &list, data.get(), [&log](bool animated) {
    log.push_back(animated ? "animated" : "bar");
    EXPECT_EQ(TestUi().busyDepth, 1);
    return std::make_unique<RecordedProgress>(log);
  });
  validator.ValidateExternal();
  const std::string step = std::to_string(2147483647 / 3), twoSteps = std::to_string(2 * (2147483647 / 3));
  const std::string threeSteps = std::to_string(3 * (2147483647 / 3));
  const std::vector<std::string> expected = {"bar",
                                             "range 0 2147483647",
                                             "position 0",
                                             "caption Calculating Q2-Fn...",
                                             "text Press ESC to abort...",
                                             "position " + step,
                                             "position " + twoSteps,
                                             "closed",
                                             "bar",
                                             "range 0 2147483647",
                                             "position 0",
                                             "caption Calculating ConcCo...",
                                             "text Press ESC to abort...",
                                             "position " + step,
                                             "position " + twoSteps,
                                             "position " + threeSteps,
                                             "closed"};
  EXPECT_EQ(log, expected);
  EXPECT_EQ(TestUi().busyDepth, 0);

  DataResultList empty(data.get());
  log.clear();
  ExternalValidator(false, &empty, data.get(), [&log](bool) {
    return std::make_unique<RecordedProgress>(log);
  }).ValidateExternal();
  EXPECT_EQ(log.size(), 10u);  // two set-ups and closes, no step
}

TEST_F(ExternalReference, TheDesignMatrixTakesTheMaskedObjectsInOrderAndChecksItsBounds) {
  auto two = MakeData({{1, {1, 10}, 1}, {2, {2, 20}, 2}, {1, {3, 30}, 3}, {1, {4, 40}, std::nullopt}});
  DataResultList twoList(two.get());
  ExternalValidator validator(true, &twoList, two.get());
  EXPECT_EQ(std::vector<uint8_t>(validator.TrainingMask(), validator.TrainingMask() + 4),
            (std::vector<uint8_t>{1, 0, 1, 0}));
  EXPECT_EQ(std::vector<uint8_t>(validator.TestMask(), validator.TestMask() + 4), (std::vector<uint8_t>{0, 1, 0, 0}));
  Matrix X(2, 3);
  const int32_t variables[] = {1, 0};
  validator.BuildDesignMatrix(X, 2, 2, validator.TrainingMask(), variables);
  const long double expected[2][3] = {{1, 10, 1}, {1, 30, 3}};
  for (int r = 0; r < 2; ++r)
    for (int c = 0; c < 3; ++c) EXPECT_EQ(X.At(r, c), expected[r][c]);
  Matrix small(1, 3);
  EXPECT_THROW(validator.BuildDesignMatrix(small, 1, 2, validator.TrainingMask(), variables), MatrixBoundariesEx);
}

}  // namespace
