#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "data/PredictObjects.h"
#include "numerics/RowArray.h"
#include "numerics/Statistics.h"
#include "support/ScriptedUi.h"
#include "validate/ExternalValidator.h"
#include "validate/FullModelStats.h"
#include "validate/ExampleData.h"
#include "validate/ValidationTestData.h"

namespace {

using validationtest::FitByEngine;
using validationtest::MakeData;

::testing::AssertionResult Near(long double actual, long double expected, long double relative = 5e-6L) {
  if (std::fabs(actual - expected) <= relative * std::fabs(expected)) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << static_cast<double>(actual) << " is not " << static_cast<double>(expected);
}

// The point rows of one call and what FullModelStats hands back.
struct StatsRun {
  explicit StatsRun(const ChemoData& data) : n(data.iObjCount) {}

  ModelPointRows Rows() {
    return {expCalc.Get(), expPred.Get(), stdResCalc.Get(), stdResPred.Get(),
            resCalc.Get(), resPred.Get(), leverage.Get()};
  }

  int n;
  RowArray<CheckedValue> expCalc{n, 2, "a", "b"}, expPred{n, 2, "a", "b"}, stdResCalc{n, 2, "a", "b"},
      stdResPred{n, 2, "a", "b"}, resCalc{n, 2, "a", "b"}, resPred{n, 2, "a", "b"}, leverage{n, 2, "a", "b"};
  std::unique_ptr<bool[]> hStar;
  std::string names;
};

// Runs the single-model window's sequence: PredictObjects, then FullModelStats.
void RunFull(const ChemoData& data, DataResultNode& model, const ExternalValidator& validator, StatsRun& run,
             const uint8_t* unknown = nullptr, int unknownCount = 0) {
  const ModelObjectMasks masks{validator.TrainingMask(), validator.TestMask(), unknown};
  PredictObjects(data, masks.training, masks.test, model, run.expCalc.Get(), run.expPred.Get(), run.leverage.Get(),
                 nullptr);
  FullModelStats(data, masks, unknownCount, run.hStar, run.Rows(), model, run.names, validator, nullptr, false);
}

TEST(FullModelStats, OneDescriptorModelGivesTheReferenceStatistics) {
  TestUi().Reset();
  auto data = MakeData({{1, {1}, 2.1L},
                        {1, {2}, 3.9L},
                        {2, {3}, 6.0L},
                        {1, {3}, 6.2L},
                        {1, {4}, 7.8L},
                        {1, {5}, 10.1L},
                        {2, {7}, 14.0L}});
  DataResultList list(data.get());
  DataResultNode& model = FitByEngine(*data, list, {0});
  ExternalValidator validator(true, &list, data.get());
  StatsRun run(*data);
  RunFull(*data, model, validator, run);

  EXPECT_TRUE(Near(model.ldpBStdErrPtr[0], 0.198074L));
  EXPECT_TRUE(Near(model.ldpBStdErrPtr[1], 0.0597216L));
  EXPECT_TRUE(Near(model.ldpBSignifPtr[0], 0.817015L));
  EXPECT_TRUE(Near(model.ldpBSignifPtr[1], 5.94154e-5L));
  EXPECT_TRUE(Near(model.ldpBStdCoeffPtr[1], 0.998652L));
  const long double t = InvStudentT(0.05L, 3);
  for (int j = 0; j <= 1; ++j) EXPECT_EQ(model.ldpBIntConfPtr[j], std::fabs(model.ldpBStdErrPtr[j] * t));

  const long double leverages[] = {0.6L, 0.3L, 0.2L, 0.3L, 0.6L};
  const long double standardized[] = {-0.502331L, 0.822741L, -1.065605L, 1.329043L, -0.837218L};
  ASSERT_EQ(model.tsTrainLev.iCount, 5);
  EXPECT_NE(model.tsTrainLev.bpActiveIndexPtr, nullptr);
  for (int k = 0; k < 5; ++k) EXPECT_TRUE(Near(model.tsTrainLev.ldpValuePtr[k], leverages[k]));
  const int trainingRows[] = {0, 1, 3, 4, 5};
  for (int k = 0; k < 5; ++k) {
    const int i = trainingRows[k];
    EXPECT_TRUE(Near(run.leverage[i][0].Value, leverages[k]));
    EXPECT_TRUE(Near(run.stdResCalc[i][1].Value, standardized[k]));
    EXPECT_FALSE(run.stdResCalc[i][1].Missing);
  }
  ASSERT_EQ(model.tsTestLev.iCount, 2);
  EXPECT_TRUE(Near(model.tsTestLev.ldpValuePtr[0], 0.2L));
  EXPECT_TRUE(Near(run.stdResCalc[2][1].Value, 0.118401L));
  EXPECT_EQ(run.stdResPred[2][1].Value, run.stdResCalc[2][1].Value);
  EXPECT_FALSE(run.hStar[2]);
  EXPECT_TRUE(Near(model.ldHstar, 1.2L));
  EXPECT_TRUE(Near(model.tsTestLev.ldpValuePtr[1], 1.8L));
  EXPECT_TRUE(run.hStar[6]);
  EXPECT_TRUE(run.stdResCalc[6][1].Missing);
  EXPECT_EQ(run.names, "O6 ");
}

// A model of two descriptors, statistics only: no leverage is written.
TEST(FullModelStats, TwoDescriptorStatisticsWithoutLeverages) {
  auto data = MakeData({{1, {1, 2}, 3.1L},
                        {1, {2, 1}, 3.9L},
                        {1, {3, 4}, 7.2L},
                        {1, {4, 3}, 7.8L},
                        {1, {5, 6}, 11.1L},
                        {1, {6, 5}, 11.9L},
                        {2, {3, 3}, 6.0L}});
  DataResultList list(data.get());
  DataResultNode& model = FitByEngine(*data, list, {0, 1});
  model.ldpBStdCoeffPtr[0] = 42.0L;
  ExternalValidator validator(true, &list, data.get());
  std::unique_ptr<bool[]> hStar;
  std::string names;
  FullModelStats(*data, {validator.TrainingMask(), validator.TestMask(), nullptr}, 0, hStar, ModelPointRows{}, model,
                 names, validator, nullptr, true);
  const long double errors[] = {0.0643702L, 0.0284638L, 0.0284638L};
  const long double pValues[] = {0.00443905L, 1.98921e-5L, 0.000198747L};
  for (int j = 0; j <= 2; ++j) {
    EXPECT_TRUE(Near(model.ldpBStdErrPtr[j], errors[j]));
    EXPECT_TRUE(Near(model.ldpBSignifPtr[j], pValues[j]));
  }
  EXPECT_TRUE(Near(model.ldpBStdCoeffPtr[1], 0.710112L));
  EXPECT_TRUE(Near(model.ldpBStdCoeffPtr[2], 0.329076L));
  EXPECT_EQ(model.ldpBStdCoeffPtr[0], 42.0L);  // the intercept has none
  EXPECT_EQ(model.tsTrainLev.iCount, 0);
  EXPECT_EQ(model.tsTestLev.iCount, 0);
  EXPECT_EQ(model.tsTrainLev.ldpValuePtr, nullptr);
  ASSERT_NE(hStar, nullptr);
  for (int i = 0; i < data->iObjCount; ++i) EXPECT_FALSE(hStar[i]);
  EXPECT_EQ(names, "");
}

TEST(FullModelStats, NoResidualDegreeOfFreedomLeavesThePValuesUndefined) {
  auto data = MakeData({{1, {1}, 1.0L}, {1, {2}, 3.0L}});
  DataResultList list(data.get());
  DataResultNode& model = FitByEngine(*data, list, {0});
  ExternalValidator validator(true, &list, data.get());
  StatsRun run(*data);
  RunFull(*data, model, validator, run);
  for (int j = 0; j <= 1; ++j) {
    EXPECT_EQ(model.ldpBSignifPtr[j], -1.0L);
    EXPECT_EQ(model.ldpBIntConfPtr[j], 0.0L);
  }
  // Both leverages are 1: no standardized residual for either.
  EXPECT_EQ(run.names, "O0 O1 ");
}

TEST(FullModelStats, EqualTrainingResponsesGiveUndefinedValuesNotNaN) {
  auto data = MakeData({{1, {1}, 5.0L}, {1, {2}, 5.0L}, {1, {4}, 5.0L}, {1, {7}, 5.0L}});
  DataResultList list(data.get());
  DataResultNode& model = FitByEngine(*data, list, {0});
  ExternalValidator validator(true, &list, data.get());
  StatsRun run(*data);
  RunFull(*data, model, validator, run);
  EXPECT_EQ(model.ldpBStdCoeffPtr[1], -1.0L);  // SD(y) = 0
  for (int j = 0; j <= 1; ++j) {
    EXPECT_TRUE(std::isfinite(model.ldpBStdErrPtr[j]));
    EXPECT_TRUE(std::isfinite(model.ldpBIntConfPtr[j]));
    EXPECT_TRUE(std::isfinite(model.ldpBSignifPtr[j]));
  }
  EXPECT_EQ(run.names, "O0 O1 O2 O3 ");  // s = 0: no standardized residual
}

// Training x = 1..5 (leverages 0.6, 0.3, 0.2, 0.3, 0.6), one test object at x = 3,
// an excluded object and one without a response.
struct FullModelLeverages : ::testing::Test {
  void SetUp() override { TestUi().Reset(); }

  std::unique_ptr<ChemoData> data = MakeData({{1, {1}, 2.1L},
                                              {1, {2}, 3.9L},
                                              {2, {3}, 6.0L},
                                              {1, {3}, 6.2L},
                                              {0, {4}, 8.0L},
                                              {1, {4}, 7.8L},
                                              {0, {5.5L}, std::nullopt},
                                              {1, {5}, 10.1L},
                                              {0, {6}, 12.0L}});
  DataResultList list{data.get()};
  DataResultNode& model = FitByEngine(*data, list, {0});
  const uint8_t unknown[9] = {0, 0, 0, 0, 0, 0, 1, 0, 0};
};

TEST_F(FullModelLeverages, UnknownAndExcludedObjectsGetTheirRows) {
  ExternalValidator validator(true, &list, data.get());
  StatsRun run(*data);
  // Rows left over from an earlier call.
  for (int i = 0; i < data->iObjCount; ++i)
    for (CheckedValue** rows : {run.leverage.Get(), run.stdResCalc.Get(), run.stdResPred.Get()})
      rows[i][0] = rows[i][1] = CheckedValue(9.0L, false);
  FullModelStats(*data, {validator.TrainingMask(), validator.TestMask(), unknown}, 1, run.hStar, run.Rows(), model,
                 run.names, validator, nullptr, false);
  for (int excluded : {4, 8}) {
    EXPECT_TRUE(run.leverage[excluded][0].Missing);
    EXPECT_EQ(run.leverage[excluded][0].Value, 0.0L);
    EXPECT_TRUE(run.stdResCalc[excluded][1].Missing);
    EXPECT_TRUE(run.stdResPred[excluded][1].Missing);
  }
  run.names.clear();
  RunFull(*data, model, validator, run, unknown, 1);
  ASSERT_EQ(model.tsNoRespLev.iCount, 1);
  EXPECT_TRUE(Near(model.tsNoRespLev.ldpValuePtr[0], 0.2L + 6.25L / 10.0L));
  EXPECT_FALSE(model.tsNoRespLev.bpHstarPtr[0]);
  EXPECT_TRUE(Near(run.leverage[6][0].Value, 0.825L));
  EXPECT_FALSE(run.leverage[6][0].Missing);
  EXPECT_TRUE(run.stdResCalc[6][0].Missing && run.stdResCalc[6][1].Missing);
  EXPECT_EQ(run.names, "O6 ");
  // Residuals: X the experimental response, Y the value minus it.
  EXPECT_EQ(run.resCalc[0][0].Value, 2.1L);
  EXPECT_FALSE(run.resCalc[0][0].Missing);
  EXPECT_EQ(run.resCalc[0][1].Value, run.expCalc[0][1].Value - 2.1L);
  EXPECT_EQ(run.resPred[0][1].Value, run.expPred[0][1].Value - 2.1L);
  EXPECT_NE(run.resPred[0][1].Value, run.resCalc[0][1].Value);
  EXPECT_TRUE(run.resCalc[6][0].Missing);  // no response
  EXPECT_TRUE(Near(run.stdResPred[0][1].Value, (run.expPred[0][1].Value - 2.1L) / (model.cvS.Value * std::sqrt(0.4L))));
  EXPECT_EQ(run.stdResPred[0][0].Value, run.leverage[0][0].Value);

  std::unique_ptr<bool[]> hStar;
  std::string names;
  EXPECT_THROW(FullModelStats(*data, {validator.TrainingMask(), validator.TestMask(), unknown}, 2, hStar, run.Rows(),
                              model, names, validator, nullptr, false),
               Exception);
}

TEST_F(FullModelLeverages, StoredLeveragesServeOnlyTheSameObjects) {
  ExternalValidator validator(true, &list, data.get());
  StatsRun first(*data);
  RunFull(*data, model, validator, first);
  model.tsTrainLev.ldpValuePtr[0] = 0.5L;
  model.ldpBStdErrPtr[1] = 42.0L;
  StatsRun second(*data);
  RunFull(*data, model, validator, second);
  EXPECT_EQ(second.leverage[0][0].Value, 0.5L);  // reused
  EXPECT_EQ(model.ldpBStdErrPtr[1], 42.0L);      // statistics not recomputed
  EXPECT_EQ(model.tsTestLev.iCount, 1);

  // Two more prediction objects: the test leverages are computed again.
  data->ipTrainingPtr[4] = data->ipTrainingPtr[8] = kStatusPrediction;
  ExternalValidator more(true, &list, data.get());
  StatsRun third(*data);
  RunFull(*data, model, more, third);
  ASSERT_EQ(model.tsTestLev.iCount, 3);
  EXPECT_TRUE(Near(model.tsTestLev.ldpValuePtr[1], 0.3L));
  EXPECT_TRUE(Near(model.tsTestLev.ldpValuePtr[2], 0.2L + 0.9L));
  EXPECT_TRUE(Near(third.leverage[8][0].Value, 1.1L));
  EXPECT_TRUE(third.stdResCalc[8][1].Missing);  // a leverage above 1
  EXPECT_EQ(third.names, "O8 ");

  // One fewer training object: everything is computed again.
  data->ipTrainingPtr[0] = kStatusExcluded;
  ExternalValidator fewer(true, &list, data.get());
  StatsRun fourth(*data);
  RunFull(*data, model, fewer, fourth);
  EXPECT_EQ(model.tsTrainLev.iCount, 4);
  EXPECT_NE(model.ldpBStdErrPtr[1], 42.0L);
  EXPECT_TRUE(fourth.leverage[0][0].Missing);

  // No test object left: the stored test leverages go.
  for (int i : {2, 4, 8}) data->ipTrainingPtr[i] = kStatusExcluded;
  ExternalValidator none(true, &list, data.get());
  StatsRun fifth(*data);
  RunFull(*data, model, none, fifth);
  EXPECT_EQ(model.tsTestLev.iCount, 0);
  EXPECT_EQ(model.tsTestLev.ldpValuePtr, nullptr);
}

TEST_F(FullModelLeverages, ALeverageEqualToHStarIsNotFlagged) {
  ExternalValidator validator(true, &list, data.get());
  StatsRun first(*data);
  RunFull(*data, model, validator, first);
  model.ldHstar = model.tsTrainLev.ldpValuePtr[1];  // 0.3, shared by objects 1 and 5
  model.tsTrainLev.Release();
  StatsRun second(*data);
  RunFull(*data, model, validator, second);
  const bool expected[] = {true, false, false, false, true};
  for (int k = 0; k < 5; ++k) EXPECT_EQ(model.tsTrainLev.bpHstarPtr[k], expected[k]) << k;
  EXPECT_TRUE(second.hStar[0]);
  EXPECT_FALSE(second.hStar[1]);
}

TEST_F(FullModelLeverages, ASingularDesignThrowsAndWritesNothing) {
  DataResultNode& twin = validationtest::AddModel(list, {0, 0}, {0.0L, 1.0L, 1.0L});
  twin.ldHstar = 1.0L;
  twin.ldpBStdErrPtr[0] = twin.ldpBSignifPtr[0] = twin.ldpBIntConfPtr[0] = 42.0L;
  ExternalValidator validator(true, &list, data.get());
  StatsRun run(*data);
  EXPECT_THROW(RunFull(*data, twin, validator, run), MatrixSingularEx);
  EXPECT_EQ(twin.ldpBStdErrPtr[0], 42.0L);
  EXPECT_EQ(twin.ldpBSignifPtr[0], 42.0L);
  EXPECT_EQ(twin.ldpBIntConfPtr[0], 42.0L);
  EXPECT_EQ(twin.tsTrainLev.iCount, 0);
  EXPECT_EQ(twin.tsTestLev.iCount, 0);
  // The statistics alone, as the model list's filter asks for them.
  std::unique_ptr<bool[]> hStar;
  std::string names;
  EXPECT_THROW(FullModelStats(*data, {validator.TrainingMask(), validator.TestMask(), nullptr}, 0, hStar,
                              ModelPointRows{}, twin, names, validator, nullptr, true),
               MatrixSingularEx);
  EXPECT_EQ(twin.ldpBStdErrPtr[0], 42.0L);
}

// Counts the steps of a progress bar.
struct CountingProgress : Progress {
  void SetText(const std::string&) override {}
  void SetRange(int, int) override {}
  void SetPosition(int position) override { positions.push_back(position); }
  void AnimationTick() override {}
  std::vector<int> positions;
};

TEST_F(FullModelLeverages, TheObjectPassStepsTheProgressOncePerObject) {
  ExternalValidator validator(true, &list, data.get());
  StatsRun run(*data);
  PredictObjects(*data, validator.TrainingMask(), validator.TestMask(), model, run.expCalc.Get(), run.expPred.Get(),
                 run.leverage.Get(), nullptr);
  CountingProgress progress;
  ProgressStepper stepper(progress, 3);
  FullModelStats(*data, {validator.TrainingMask(), validator.TestMask(), nullptr}, 0, run.hStar, run.Rows(), model,
                 run.names, validator, &stepper, false);
  EXPECT_EQ(progress.positions.size(), 9u);
  EXPECT_EQ(stepper.Position(), 27);
}

}  // namespace

namespace {

// FNV-1a over the ten bytes of each value.
struct Digest {
  uint64_t hash = 14695981039346656037ULL;
  void Add(long double value) {
    unsigned char bytes[sizeof(long double)] = {};
    std::memcpy(bytes, &value, sizeof value);
    for (int b = 0; b < 10; ++b) hash = (hash ^ bytes[b]) * 1099511628211ULL;
  }
  void Add(const long double* values, int count) {
    for (int k = 0; k < count; ++k) Add(values[k]);
  }
};

}  // namespace

// The example table with prediction objects and objects without a response: the
// leverages, coefficient statistics and standardized residuals keep the bits
// they had when the whole hat matrix was built.
TEST(FullModelStats, ExampleDataKeepsItsBits) {
  TestUi().Reset();
  ChemoData data;
  validationtest::ReadExampleTable(data, {"MolWt", "qed", "MaxEStateIndex", "Activity"});
  std::vector<uint8_t> unknown(data.iObjCount, 0);
  for (int o = 0; o < data.iObjCount; ++o) {
    if (o % 5 == 4) data.ipTrainingPtr[o] = kStatusPrediction;
    if (o % 9 == 2) data.tpChemoValuePtr[o][3] = CheckedValue(0.0L, true);
    unknown[o] = o % 9 == 2;
  }
  DataResultList list(&data);
  DataResultNode& model = FitByEngine(data, list, {0, 1, 2});
  ExternalValidator validator(true, &list, &data);
  StatsRun run(data);
  const int unknownCount = static_cast<int>(std::count(unknown.begin(), unknown.end(), 1));
  RunFull(data, model, validator, run, unknown.data(), unknownCount);
  ASSERT_EQ(model.tsTrainLev.iCount + model.tsTestLev.iCount + model.tsNoRespLev.iCount, data.iObjCount);
  ASSERT_GT(model.tsNoRespLev.iCount, 0);
  Digest leverages, statistics, residuals;
  for (const LeverageStruct* set : {&model.tsTrainLev, &model.tsTestLev, &model.tsNoRespLev})
    leverages.Add(set->ldpValuePtr, set->iCount);
  statistics.Add(model.ldpBStdCoeffPtr + 1, model.iSize);
  for (const long double* array : {model.ldpBStdErrPtr, model.ldpBIntConfPtr, model.ldpBSignifPtr})
    statistics.Add(array, model.iSize + 1);
  for (int o = 0; o < data.iObjCount; ++o) {
    residuals.Add(run.stdResCalc[o][1].Value);
    residuals.Add(run.stdResPred[o][1].Value);
  }
  // The statistics alone, as the model list's filter asks for them.
  DataResultNode alone(model);
  alone.ldpBSignifPtr[0] = -1.0L;
  std::unique_ptr<bool[]> hStar;
  std::string names;
  FullModelStats(data, {validator.TrainingMask(), validator.TestMask(), nullptr}, 0, hStar, ModelPointRows{}, alone,
                 names, validator, nullptr, true);
  Digest aloneStatistics;
  aloneStatistics.Add(alone.ldpBStdCoeffPtr + 1, alone.iSize);
  for (const long double* array : {alone.ldpBStdErrPtr, alone.ldpBIntConfPtr, alone.ldpBSignifPtr})
    aloneStatistics.Add(array, alone.iSize + 1);
  EXPECT_EQ(aloneStatistics.hash, statistics.hash);
  EXPECT_EQ(leverages.hash, 5189233929524249783ULL);
  EXPECT_EQ(statistics.hash, 3997699573263193668ULL);
  EXPECT_EQ(residuals.hash, 1517242844704669798ULL);
}

// Twenty thousand objects: the leverages need memory in proportion to the
// objects (the whole hat matrix would take 6.4 GB); they sum to p + 1.
TEST(FullModelStats, TwentyThousandObjectsNeedNoSquareMatrix) {
  TestUi().Reset();
  std::vector<validationtest::TestObject> objects;
  for (int i = 0; i < 20000; ++i) {
    const long double x1 = (i % 97) / 10.0L, x2 = (i % 89) / 7.0L;
    objects.push_back({i % 4 == 3 ? 2 : 1, {x1, x2}, 1.0L + x1 - 2.0L * x2 + (i % 13) / 100.0L});
  }
  auto data = MakeData(objects);
  DataResultList list(data.get());
  DataResultNode& model = FitByEngine(*data, list, {0, 1});
  ExternalValidator validator(true, &list, data.get());
  StatsRun run(*data);
  RunFull(*data, model, validator, run);
  ASSERT_EQ(model.tsTrainLev.iCount, 15000);
  ASSERT_EQ(model.tsTestLev.iCount, 5000);
  long double trace = 0.0L;
  for (int k = 0; k < model.tsTrainLev.iCount; ++k) trace += model.tsTrainLev.ldpValuePtr[k];
  EXPECT_TRUE(Near(trace, 3.0L, 1e-12L));
}
