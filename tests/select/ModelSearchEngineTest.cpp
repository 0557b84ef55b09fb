#include "select/ModelSearchEngine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "data/DataResult.h"
#include "numerics/Matrix.h"
#include "numerics/ModelCalc.h"
#include "select/SearchTestData.h"
#include "support/ScriptedUi.h"

using searchtest::MakeLinearData;

namespace {

std::vector<int> Variables(const DataResultNode& node) {
  return std::vector<int>(node.ipSelVarIdxPtr, node.ipSelVarIdxPtr + node.iSize);
}

// Runs an all-subset search up to K as the search window does.
void RunAllSubsets(ChemoData& data, DataResultList& list, int K, int keep, int fitnessId) {
  data.iAllSubsetUntil = K;
  data.iKeepPerSize = keep;
  data.iFitnessFunc = fitnessId;
  ModelSearchEngine engine(ModelSearchEngine::ModeAllSubsets, &list, &data);
  engine.Activate();
  while (!engine.TimerWantsClose()) engine.IdleStep();
}

// ---- An independent replay of the search ------------------------------------------

struct Kept {
  std::vector<int> variables;
  CheckedValue fitness;
  int id = 0;
  long double r2 = 0, q2 = 0, b0 = 0;
};

// The k-subsets of 0..n-1 in lexicographic order.
void Lexicographic(int n, int k, std::vector<int>& prefix, std::vector<std::vector<int>>& out) {
  if (static_cast<int>(prefix.size()) == k) {
    out.push_back(prefix);
    return;
  }
  for (int v = prefix.empty() ? 0 : prefix.back() + 1; v < n; ++v) {
    prefix.push_back(v);
    Lexicographic(n, k, prefix, out);
    prefix.pop_back();
  }
}

// Fits every subset (sizes K down to 1, each size in reverse lexicographic order)
// and keeps the best N per size, a model replacing the first-found worst one in
// place when it is not strictly worse.
std::vector<Kept> BruteForce(const ChemoData& data, int K, int N, int id, long double delta, int nextId) {
  const int n = data.iObjCount;
  Matrix y(n, 1);
  for (int i = 0; i < n; ++i) y.At(i, 0) = data.tpChemoValuePtr[i][data.iResponseIndex].Value;
  std::vector<Kept> list;
  for (int k = K; k >= 1; --k) {
    std::vector<std::vector<int>> subsets;
    std::vector<int> prefix;
    Lexicographic(data.iSelectedVarCount, k, prefix, subsets);
    std::reverse(subsets.begin(), subsets.end());
    for (const auto& subset : subsets) {
      Matrix d(n, k), dy(n, k + 1), x(n, k + 1);
      for (int i = 0; i < n; ++i) {
        x.At(i, 0) = 1.0L;
        for (int j = 0; j < k; ++j) d.At(i, j) = dy.At(i, j) = x.At(i, j + 1) = data.tpChemoValuePtr[i][subset[j]].Value;
      }
      long double kxx, kxy;
      bool kxxMissing, kxyMissing;
      KIndices(d, dy, y, kxx, kxxMissing, kxy, kxyMissing, k);
      if (delta >= 0 && (kxxMissing || kxyMissing || kxy - kxx < delta)) continue;
      Matrix work(x), b(k + 1, 1);
      long double ssReg, ssTot;
      if (!FitModel(ssReg, ssTot, nullptr, &b, nullptr, n, k, y, work, nullptr)) continue;
      const long double press = LooPress(x, y, n, k);
      Kept model;
      model.variables = subset;
      model.b0 = b.At(0, 0);
      CheckedValue r2, r2adj, q2;
      R2FromSS(r2.Value, r2.Missing, ssReg, ssTot);
      AdjustedR2(r2adj.Value, r2adj.Missing, r2.Value, r2.Missing, n, n - k - 1);
      Q2FromPress(q2.Value, q2.Missing, press, ssTot);
      model.r2 = r2.Value;
      model.q2 = q2.Value;
      const CheckedValue lof = FriedmanLof(ssTot - ssReg, n, k, data.ldLOFSmoothing);
      const CheckedValue rmse(std::sqrt(press / n), press < 0);
      model.fitness = id == 0 ? q2 : id == 1 ? r2adj : id == 2 ? lof : rmse;

      const bool maximised = id < 2;
      auto rank = [&](const CheckedValue& f) { return f.Missing ? (maximised ? -1e99L : 1e99L) : f.Value; };
      auto worse = [&](long double a, long double b) { return maximised ? a < b : a > b; };
      int count = 0, worst = -1;
      for (std::size_t i = 0; i < list.size(); ++i) {
        if (static_cast<int>(list[i].variables.size()) != k) continue;
        ++count;
        if (worst < 0 || worse(rank(list[i].fitness), rank(list[worst].fitness))) worst = static_cast<int>(i);
      }
      model.id = nextId;
      if (N == -1 || count < N) {
        list.push_back(model);
      } else {
        if (worst < 0 || model.fitness.Missing || worse(rank(model.fitness), rank(list[worst].fitness))) continue;
        list[worst] = model;
      }
      ++nextId;
    }
  }
  return list;
}

class ModelSearchEngineTest : public testing::Test {
protected:
  void ExpectSameAsBruteForce(ChemoData& data, int K, int N, int id, long double delta) {
    data.ldQuikDelta = delta;
    DataResultList list(&data);
    const int firstId = data.iNextModelID;
    RunAllSubsets(data, list, K, N, id);
    const std::vector<Kept> expected = BruteForce(data, K, N, id, delta, firstId);
    ASSERT_EQ(list.Count(), static_cast<int>(expected.size())) << "fitness " << id << " N " << N;
    const DataResultNode* node = list.First();
    for (const Kept& model : expected) {
      EXPECT_EQ(Variables(*node), model.variables);
      EXPECT_EQ(node->iID, model.id);
      const CheckedValue& cell = id == 0 ? node->cvQ2loo : id == 1 ? node->cvR2adj : id == 2 ? node->cvLOF : node->cvRMSEcv;
      EXPECT_EQ(cell.Missing, model.fitness.Missing);
      EXPECT_EQ(cell.Value, model.fitness.Value);
      EXPECT_EQ(node->cvR2.Value, model.r2);
      EXPECT_EQ(node->cvQ2loo.Value, model.q2);
      EXPECT_EQ(node->ldpBModelCoeffPtr[0], model.b0);
      node = node->Next();
    }
  }
};

TEST_F(ModelSearchEngineTest, KeepsWhatABruteForceKeepsForEveryFitnessFunction) {
  auto data = MakeLinearData(14, 6, {{1, 2.0L}, {3, -1.0L}, {4, 0.5L}}, 0.3L, 11);
  data->iNextModelID = 40;
  for (int id = 0; id < 4; ++id) {
    ExpectSameAsBruteForce(*data, 3, 2, id, -1.0L);
    ExpectSameAsBruteForce(*data, 3, 4, id, 0.05L);
  }
  ExpectSameAsBruteForce(*data, 2, -1, 1, -1.0L);
}

TEST_F(ModelSearchEngineTest, PoolOfFourUpToPairsFitsTheLastPairFirst) {
  auto data = MakeLinearData(8, 4, {{0, 1.0L}}, 0.5L, 3);
  data->iNextModelID = 7;
  DataResultList list(data.get());
  RunAllSubsets(*data, list, 2, -1, 1);
  ASSERT_EQ(list.Count(), 10);
  EXPECT_EQ(Variables(*list.First()), (std::vector<int>{2, 3}));
  EXPECT_EQ(list.First()->iID, 7);
  EXPECT_EQ(Variables(*list.Last()), (std::vector<int>{0}));
  EXPECT_EQ(list.Last()->iID, 16);
  EXPECT_EQ(data->iNextModelID, 17);
}

TEST_F(ModelSearchEngineTest, AnEqualModelReplacesTheWorstInPlaceWithANewId) {
  // D2 repeats D0: fitted in the order D2, D1, D0, the last ties with the first.
  auto data = MakeLinearData(10, 3, {{1, 2.0L}, {0, 1.0L}}, 0.2L, 5);
  searchtest::MakeLinearCopy(*data, 0, 2, 1.0L, 0.0L);
  DataResultList list(data.get());
  RunAllSubsets(*data, list, 1, 2, 1);
  ASSERT_EQ(list.Count(), 2);
  EXPECT_EQ(Variables(*list.First()), std::vector<int>{0});
  EXPECT_EQ(list.First()->iID, 2);
  EXPECT_EQ(Variables(*list.Last()), std::vector<int>{1});
  EXPECT_EQ(list.Last()->iID, 1);
}

TEST_F(ModelSearchEngineTest, AReplacedModelLosesTheValidationResultsOfTheOldOne) {
  auto data = MakeLinearData(10, 2, {{0, 2.0L}}, 0.2L, 9);
  DataResultList list(data.get());
  RunAllSubsets(*data, list, 1, 1, 1);
  ASSERT_EQ(list.Count(), 1);
  DataResultNode* node = list.First();
  EXPECT_EQ(Variables(*node), std::vector<int>{0});
  // The stored model is D0; pretend it was validated and weak, then search again.
  node->cvQ2F1 = CheckedValue(0.9L, false);
  node->cvR2adj = CheckedValue(-5.0L, false);
  AllocCheckedArray(node->tsTrainLev.ldpValuePtr, 3, "lev");
  node->tsTrainLev.iCount = 3;
  RunAllSubsets(*data, list, 1, 1, 1);
  ASSERT_EQ(list.Count(), 1);
  EXPECT_TRUE(list.First()->cvQ2F1.Missing);
  EXPECT_EQ(list.First()->tsTrainLev.iCount, 0);
  EXPECT_FALSE(list.First()->cvR2adj.Missing);
}

TEST_F(ModelSearchEngineTest, AMissingFitnessRanksWorstAndIsDroppedFromAFullSize) {
  auto data = MakeLinearData(10, 3, {{0, 1.0L}}, 0.3L, 61);
  DataResultList list(data.get());
  DataResultNode* other = list.Append();  // a model of another size
  other->iSize = 2;
  other->cvQ2loo = CheckedValue(0.1L, false);
  DataResultNode* unscored = list.Append();  // a size-1 model without a fitness
  unscored->iSize = 1;
  RunAllSubsets(*data, list, 1, 1, 0);
  ASSERT_EQ(list.Count(), 2);
  EXPECT_EQ(list.First(), other);
  EXPECT_EQ(list.First()->iSize, 2);
  EXPECT_EQ(list.Last()->iSize, 1);
  EXPECT_FALSE(list.Last()->cvQ2loo.Missing);

  // A constant response leaves every Q2loo missing: the first model fitted stays.
  for (int i = 0; i < data->iObjCount; ++i) data->tpChemoValuePtr[i][3].Value = 2.0L;
  DataResultList constant(data.get());
  RunAllSubsets(*data, constant, 1, 1, 0);
  ASSERT_EQ(constant.Count(), 1);
  EXPECT_EQ(Variables(*constant.First()), std::vector<int>{2});
}

TEST_F(ModelSearchEngineTest, MissingValuesAnywhereKeepAVariableOutOfEveryModel) {
  auto data = MakeLinearData(9, 4, {{1, 1.0L}}, 0.4L, 21);
  data->ipTrainingPtr[5] = kStatusExcluded;
  data->tpChemoValuePtr[5][2].Missing = true;
  DataResultList list(data.get());
  RunAllSubsets(*data, list, 2, -1, 0);
  EXPECT_EQ(list.Count(), 3 + 3);
  for (const DataResultNode* node = list.First(); node; node = node->Next()) {
    const auto vars = Variables(*node);
    EXPECT_EQ(std::count(vars.begin(), vars.end(), 2), 0);
    EXPECT_EQ(node->iTrainCount, 8);
  }
}

TEST_F(ModelSearchEngineTest, QuikRuleRejectsACollinearPairAndLetsSingleVariablesThrough) {
  auto data = MakeLinearData(12, 3, {{0, 1.0L}, {2, 1.0L}}, 0.3L, 17);
  searchtest::MakeLinearCopy(*data, 0, 1, 2.0L, 1.0L);
  data->ldQuikDelta = 0.0L;
  DataResultList list(data.get());
  RunAllSubsets(*data, list, 2, -1, 1);
  ASSERT_EQ(list.Count(), 2 + 3);
  for (const DataResultNode* node = list.First(); node; node = node->Next()) {
    EXPECT_NE(Variables(*node), (std::vector<int>{0, 1}));
    if (node->iSize == 1) {
      EXPECT_EQ(node->cvKxx.Value, 0.0L);
      EXPECT_FALSE(node->cvKxx.Missing);
    }
  }

  // A response uncorrelated with the one variable gives Kxy = Kxx = 0: equality passes.
  auto flat = MakeLinearData(4, 1, {}, 0.0L, 1);
  const long double x[4] = {-1, 0, 1, 0}, y[4] = {1, -1, 1, -1};
  for (int i = 0; i < 4; ++i) {
    flat->tpChemoValuePtr[i][0].Value = x[i];
    flat->tpChemoValuePtr[i][1].Value = y[i];
  }
  flat->ldQuikDelta = 0.0L;
  DataResultList passed(flat.get());
  RunAllSubsets(*flat, passed, 1, -1, 1);
  ASSERT_EQ(passed.Count(), 1);
  EXPECT_EQ(passed.First()->cvKxy.Value, 0.0L);
  flat->ldQuikDelta = 1e-30L;
  DataResultList rejected(flat.get());
  RunAllSubsets(*flat, rejected, 1, -1, 1);
  EXPECT_EQ(rejected.Count(), 0);
}

TEST_F(ModelSearchEngineTest, AFailedFitNeverBecomesAModel) {
  // D1 is constant 1.0, the intercept's column: every fit with it is singular,
  // which the lack of fit would otherwise score as 0, the best value.
  auto data = MakeLinearData(10, 3, {{0, 1.0L}}, 0.3L, 4);
  searchtest::MakeLinearCopy(*data, 0, 1, 0.0L, 1.0L);
  DataResultList list(data.get());
  RunAllSubsets(*data, list, 2, 1, 2);
  ASSERT_EQ(list.Count(), 2);
  for (const DataResultNode* node = list.First(); node; node = node->Next()) {
    const auto vars = Variables(*node);
    EXPECT_EQ(std::count(vars.begin(), vars.end(), 1), 0);
    EXPECT_GT(node->cvLOF.Value, 0.0L);
  }
}

TEST_F(ModelSearchEngineTest, StatisticsOfAStoredModel) {
  auto data = MakeLinearData(12, 2, {{0, 1.5L}}, 0.3L, 8);
  data->ipTrainingPtr[10] = kStatusPrediction;
  data->ipTrainingPtr[11] = kStatusPrediction;
  DataResultList list(data.get());
  RunAllSubsets(*data, list, 1, -1, 0);
  const DataResultNode& model = *list.Last();  // D0
  ASSERT_EQ(Variables(model), std::vector<int>{0});
  EXPECT_EQ(model.iTrainCount, 10);
  EXPECT_EQ(model.sName, "D0  ");
  EXPECT_EQ(model.iSelStatus, 0);
  EXPECT_EQ(model.ldHstar, 3.0L * 2 / 10);
  EXPECT_EQ(model.ldpBSignifPtr[0], -1.0L);
  EXPECT_NEAR(static_cast<double>(model.ldpBModelCoeffPtr[1]), 1.5, 0.3);
  // Residuals from the stored coefficients and leave-one-out predictions.
  long double rss = 0, press = 0, ext = 0;
  for (int i = 0; i < 12; ++i) {
    const CheckedValue* row = data->tpChemoValuePtr[i];
    const long double fit = model.ldpBModelCoeffPtr[0] + model.ldpBModelCoeffPtr[1] * row[0].Value;
    const long double r = row[2].Value - fit;
    if (i < 10) {
      rss += r * r;
      press += (row[2].Value - model.ldpTrainYCapPtr[i]) * (row[2].Value - model.ldpTrainYCapPtr[i]);
    } else {
      ext += r * r;
    }
  }
  EXPECT_NEAR(static_cast<double>(model.cvRSStr.Value), static_cast<double>(rss), 1e-12);
  EXPECT_NEAR(static_cast<double>(model.cvRMSEtr.Value), std::sqrt(static_cast<double>(rss) / 10), 1e-12);
  EXPECT_NEAR(static_cast<double>(model.cvPRESScv.Value), static_cast<double>(press), 1e-12);
  EXPECT_NEAR(static_cast<double>(model.cvS.Value), std::sqrt(static_cast<double>(rss) / 8), 1e-12);
  EXPECT_NEAR(static_cast<double>(model.cvPRESSext.Value), static_cast<double>(ext), 1e-12);
  EXPECT_NEAR(static_cast<double>(model.cvRMSEext.Value), std::sqrt(static_cast<double>(ext) / 2), 1e-12);
  EXPECT_GT(model.cvCCCtr.Value, model.cvCCCcv.Value);
  EXPECT_LT(model.cvCCCtr.Value, 1.0L);
  EXPECT_FALSE(model.cvF.Missing);
}

TEST_F(ModelSearchEngineTest, OnePredictionObjectLeavesTheExternalStatisticsMissing) {
  auto data = MakeLinearData(6, 1, {{0, 1.0L}}, 0.3L, 2);
  data->ipTrainingPtr[5] = kStatusPrediction;
  DataResultList list(data.get());
  RunAllSubsets(*data, list, 1, -1, 1);
  ASSERT_EQ(list.Count(), 1);
  EXPECT_TRUE(list.First()->cvRMSEext.Missing);
  EXPECT_TRUE(list.First()->cvMAEext.Missing);
  EXPECT_TRUE(list.First()->cvPRESSext.Missing);
}

TEST_F(ModelSearchEngineTest, HoldAndAddPutsTheHeldVariablesInEveryModel) {
  auto data = MakeLinearData(12, 6, {{1, 1.0L}, {4, 1.0L}}, 0.3L, 13);
  searchtest::SetHeld(*data, {4, 1});  // not in pool order
  data->iKeepPerSize = -1;
  DataResultList list(data.get());
  ModelSearchEngine engine(ModelSearchEngine::ModeHoldAndAdd, &list, data.get());
  engine.Activate();
  EXPECT_TRUE(engine.TimerWantsClose());
  ASSERT_EQ(list.Count(), 4);
  std::vector<int> added;
  for (const DataResultNode* node = list.First(); node; node = node->Next()) {
    const auto vars = Variables(*node);
    ASSERT_EQ(vars.size(), 3u);
    EXPECT_EQ(vars[0], 4);
    EXPECT_EQ(vars[1], 1);
    added.push_back(vars[2]);
  }
  EXPECT_EQ(added, (std::vector<int>{5, 3, 2, 0}));
}

TEST_F(ModelSearchEngineTest, HiddenCalculatorFitsOneSubset) {
  auto data = MakeLinearData(10, 5, {{3, 1.0L}}, 0.3L, 19);
  data->iKeepPerSize = 1;
  data->iFitnessFunc = 2;
  DataResultList list(data.get());
  ModelSearchEngine engine(ModelSearchEngine::ModeAllSubsets, &list, data.get());
  std::vector<uint8_t> training(10), prediction(10), missing(10);
  data->ipTrainingPtr[0] = kStatusPrediction;
  data->ipTrainingPtr[1] = kStatusExcluded;
  data->tpChemoValuePtr[2][5].Missing = true;
  engine.BuildObjectMasks(prediction.data(), training.data(), missing.data());
  EXPECT_EQ(training, (std::vector<uint8_t>{0, 0, 0, 1, 1, 1, 1, 1, 1, 1}));
  EXPECT_EQ(prediction, (std::vector<uint8_t>{1, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(missing, (std::vector<uint8_t>{0, 0, 1, 0, 0, 0, 0, 0, 0, 0}));
  data->iResponseIndex = -1;
  engine.BuildObjectMasks(prediction.data(), training.data(), missing.data());
  EXPECT_EQ(training, std::vector<uint8_t>(10, 0));
  EXPECT_EQ(missing, std::vector<uint8_t>(10, 1));
  data->iResponseIndex = 5;
  engine.BuildObjectMasks(prediction.data(), training.data(), missing.data());

  Matrix yTrain(7, 1), yPred(1, 1);
  for (int i = 3; i < 10; ++i) yTrain.At(i - 3, 0) = data->tpChemoValuePtr[i][5].Value;
  yPred.At(0, 0) = data->tpChemoValuePtr[0][5].Value;
  int buffer[2] = {3, 1};
  int64_t visited = 0;
  engine.EnumerateSubsets(buffer, visited, 0, 0, 2, 2);
  EXPECT_THROW(engine.CalculateModelBatch(), MatrixEx);  // no inputs set
  engine.SetEngineInputs(7, 1, training.data(), prediction.data(), &yTrain, &yPred);
  EXPECT_FALSE(engine.CalculateModelBatch());
  engine.ClearSubsetStack();
  EXPECT_EQ(visited, 1);
  ASSERT_EQ(list.Count(), 1);
  EXPECT_EQ(Variables(*list.First()), (std::vector<int>{3, 1}));
  EXPECT_EQ(list.First()->iTrainCount, 7);
  const auto rows = engine.DisplaySlotRows();
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].rank, 1);
  EXPECT_EQ(rows[0].size, 2);
  EXPECT_EQ(rows[0].descriptors, "D3  D1  ");
  EXPECT_EQ(rows[0].fitness, GridFitnessText(list.First()->cvLOF.Value));
}

TEST_F(ModelSearchEngineTest, DisplaySlotsHoldTheBestFifteenBestFirst) {
  auto data = MakeLinearData(12, 6, {{0, 1.0L}, {1, 0.5L}}, 0.5L, 23);
  DataResultList list(data.get());
  data->iAllSubsetUntil = 3;
  data->iFitnessFunc = 3;
  ModelSearchEngine engine(ModelSearchEngine::ModeAllSubsets, &list, data.get());
  engine.Activate();
  while (!engine.TimerWantsClose()) engine.IdleStep();
  std::vector<long double> all;
  for (const DataResultNode* node = list.First(); node; node = node->Next()) all.push_back(node->cvRMSEcv.Value);
  std::sort(all.begin(), all.end());
  const auto& slots = engine.DisplaySlots();
  for (int i = 0; i < ModelSearchEngine::DisplaySlotCount; ++i) EXPECT_EQ(slots[i].fitness, all[i]);
}

TEST_F(ModelSearchEngineTest, ProgressAndTotalCountEveryVisitedSubset) {
  auto data = MakeLinearData(8, 12, {{0, 1.0L}}, 0.5L, 29);
  data->tpChemoValuePtr[3][11].Missing = true;
  DataResultList list(data.get());
  struct PercentView : SearchView {
    std::vector<std::string> texts;
    void PercentText(const std::string& text) override { texts.push_back(text); }
  } view;
  data->iAllSubsetUntil = 2;
  data->iKeepPerSize = -1;
  ModelSearchEngine engine(ModelSearchEngine::ModeAllSubsets, &list, data.get(), &view);
  engine.Activate();
  EXPECT_EQ(engine.Total(), 12 + 66);
  while (!engine.TimerWantsClose()) engine.IdleStep();
  EXPECT_EQ(engine.Processed(), 11 + 55);
  EXPECT_EQ(view.texts, (std::vector<std::string>{"64%", "100%"}));
}

TEST_F(ModelSearchEngineTest, EscapeDuringTheAllSubsetPhaseAbortsAndDiscards) {
  auto data = MakeLinearData(8, 16, {{0, 1.0L}}, 0.5L, 31);
  DataResultList list(data.get());
  data->iAllSubsetUntil = 3;
  data->iKeepPerSize = -1;
  ModelSearchEngine engine(ModelSearchEngine::ModeAllSubsets, &list, data.get());
  engine.Activate();
  engine.IdleStep();
  EXPECT_EQ(list.Count(), 500);
  TestUi().PressEscape();
  TestUi().Answer(IDYES);
  engine.IdleStep();
  EXPECT_TRUE(engine.Aborted());
  EXPECT_TRUE(engine.TimerWantsClose());
  EXPECT_EQ(TestUi().Shown(0).text.rfind("All subset has not been completed", 0), 0u);
  EXPECT_EQ(TestUi().Shown(0).caption, "APPLICATION WARNING");
  bool discarded = false;
  ASSERT_TRUE(engine.ConfirmClose());
  engine.FinishRun([&] { discarded = true; });
  EXPECT_TRUE(discarded);
  EXPECT_EQ(TestUi().Shown().back().text, "Models calculation aborted.");
  EXPECT_EQ(TestUi().Shown().back().caption, "APPLICATION MESSAGE");
}

TEST_F(ModelSearchEngineTest, NoTrainingObjectStopsTheStartWithOneMessage) {
  auto data = MakeLinearData(5, 3, {{0, 1.0L}}, 0.5L, 37);
  for (int i = 0; i < 5; ++i) data->ipTrainingPtr[i] = kStatusPrediction;
  DataResultList list(data.get());
  list.Append();
  data->iAllSubsetUntil = 2;
  ModelSearchEngine engine(ModelSearchEngine::ModeAllSubsets, &list, data.get());
  engine.Activate();
  ASSERT_EQ(TestUi().Shown().size(), 1u);
  EXPECT_EQ(TestUi().Shown(0).text, "Zero rows matrix, cannot continue");
  EXPECT_EQ(TestUi().Shown(0).caption, "APPLICATION ERROR");
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(TestUi().busyDepth, 0);

  // The genetic algorithm alone continues from earlier models: they stay.
  TestUi().Clear();
  list.Append()->iSize = 1;
  data->iGAFirstSize = 2;
  data->iGAUntil = 2;
  data->iGAPopSize = 4;
  ModelSearchEngine genetic(ModelSearchEngine::ModeGeneticOnly, &list, data.get());
  genetic.Activate();
  ASSERT_EQ(TestUi().Shown().size(), 1u);
  EXPECT_EQ(TestUi().Shown(0).text, "Zero rows matrix, cannot continue");
  EXPECT_EQ(genetic.Genetic(), nullptr);
  EXPECT_EQ(list.Count(), 1);
}

}  // namespace
