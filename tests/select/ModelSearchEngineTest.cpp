#include "select/ModelSearchEngine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "data/DataResult.h"
#include "select/Fitness.h"
#include "data/FileVersionTags.h"
#include "data/RecordStreams.h"
#include "platform/base/Stream.h"
#include "platform/base/WorkerThreads.h"
#include "prepare/SetupTestData.h"
#include "select/SubsetScreen.h"
#include "select/SearchTestData.h"
#include "support/ScriptedUi.h"

using searchtest::MakeLinearData;
using searchtest::Models;
using searchtest::Sets;

namespace {

std::vector<int> Ids(const DataResultList& list) {
  std::vector<int> ids;
  for (const DataResultNode* node = list.First(); node; node = node->Next()) ids.push_back(node->iID);
  return ids;
}

// Runs an all-subset search up to K as the search window does.
std::unique_ptr<ModelSearchEngine> RunAllSubsets(ChemoData& data, DataResultList& list, int K, int keep,
                                                 int fitnessId, SearchView* view = nullptr) {
  data.iAllSubsetUntil = K;
  data.iKeepPerSize = keep;
  data.iFitnessFunc = fitnessId;
  auto engine = std::make_unique<ModelSearchEngine>(ModelSearchEngine::ModeAllSubsets, &list, &data, view);
  engine->Activate();
  while (!engine->TimerWantsClose()) engine->IdleStep();
  return engine;
}

// Records the texts a run shows and counts the display-slot repaints.
struct TextsView : SearchView {
  std::vector<std::string> statuses, percents;
  int slotRepaints = 0;
  void StatusText(const std::string& text) override { statuses.push_back(text); }
  void PercentText(const std::string& text) override { percents.push_back(text); }
  void DisplaySlotsChanged() override { ++slotRepaints; }
};

const CheckedValue& FitnessCellOf(const DataResultNode& node, int id) {
  return id == 0 ? node.cvQ2loo : id == 1 ? node.cvR2adj : id == 2 ? node.cvLOF : node.cvRMSEcv;
}

// ---- An independent replay of the search ------------------------------------------

struct Kept {
  std::vector<int> variables;
  CheckedValue fitness;
  int id = 0;
  long double r2 = 0, q2 = 0, b0 = 0, kxy = 0;
};

// Fits every subset (sizes K down to 1, each size in reverse lexicographic order)
// and keeps the best N per size, a model replacing the first-found worst one in
// place when it is not strictly worse.
std::vector<Kept> BruteForce(const ChemoData& data, int K, int N, int id, long double delta, int nextId) {
  const int n = data.iObjCount;
  const Matrix y = searchtest::ResponseOf(data);
  // Higher is better; a missing fitness is the worst.
  auto score = [id](const CheckedValue& f) { return f.Missing ? -1e99L : id < 2 ? f.Value : -f.Value; };
  std::vector<Kept> list;
  for (int k = K; k >= 1; --k) {
    const Sets subsets = searchtest::Lexicographic(data.iSelectedVarCount, k);
    for (auto subset = subsets.rbegin(); subset != subsets.rend(); ++subset) {
      const searchtest::FreshFit fit(data, y, *subset);
      if (delta >= 0 && (fit.kxxMissing || fit.kxyMissing || fit.kxy - fit.kxx < delta)) continue;
      if (!fit.ok) continue;
      CheckedValue r2, r2adj, q2;
      R2FromSS(r2.Value, r2.Missing, fit.ssReg, fit.ssTot);
      AdjustedR2(r2adj.Value, r2adj.Missing, r2.Value, r2.Missing, n, n - k - 1);
      Q2FromPress(q2.Value, q2.Missing, fit.press, fit.ssTot);
      const CheckedValue lof = FriedmanLof(fit.ssTot - fit.ssReg, n, k, data.ldLOFSmoothing);
      const CheckedValue rmse(std::sqrt(fit.press / n), fit.press < 0);
      const Kept model{*subset, id == 0 ? q2 : id == 1 ? r2adj : id == 2 ? lof : rmse, nextId, r2.Value, q2.Value,
                       fit.b.At(0, 0), fit.kxy};

      int count = 0, worst = -1;
      for (std::size_t i = 0; i < list.size(); ++i) {
        if (static_cast<int>(list[i].variables.size()) != k) continue;
        ++count;
        if (worst < 0 || score(list[i].fitness) < score(list[worst].fitness)) worst = static_cast<int>(i);
      }
      if (N == -1 || count < N)
        list.push_back(model);
      else if (!model.fitness.Missing && score(model.fitness) >= score(list[worst].fitness))
        list[worst] = model;
      else
        continue;
      ++nextId;
    }
  }
  return list;
}

TEST(ModelSearchEngineTest, KeepsWhatABruteForceKeepsForEveryFitnessFunction) {
  auto data = MakeLinearData(14, 6, {{1, 2.0L}, {3, -1.0L}, {4, 0.5L}}, 0.3L, 11);
  data->iNextModelID = 40;
  struct Case {
    int K, N;
    long double delta;
  };
  const Case cases[] = {{3, 2, -1.0L}, {3, 4, 0.05L}, {2, -1, -1.0L}};
  for (int id = 0; id < 4; ++id) {
    for (const Case& c : cases) {
      SCOPED_TRACE(testing::Message() << "fitness " << id << " K " << c.K << " N " << c.N << " delta " << c.delta);
      data->ldQuikDelta = c.delta;
      DataResultList list(data.get());
      const std::vector<Kept> expected = BruteForce(*data, c.K, c.N, id, c.delta, data->iNextModelID);
      RunAllSubsets(*data, list, c.K, c.N, id);
      ASSERT_EQ(list.Count(), static_cast<int>(expected.size()));
      const Sets models = Models(list);
      const DataResultNode* node = list.First();
      for (std::size_t i = 0; i < expected.size(); ++i, node = node->Next()) {
        const Kept& model = expected[i];
        EXPECT_EQ(models[i], model.variables);
        EXPECT_EQ(node->iID, model.id);
        EXPECT_EQ(FitnessCellOf(*node, id).Missing, model.fitness.Missing);
        EXPECT_EQ(FitnessCellOf(*node, id).Value, model.fitness.Value);
        EXPECT_EQ(node->cvR2.Value, model.r2);
        EXPECT_EQ(node->cvQ2loo.Value, model.q2);
        EXPECT_EQ(node->ldpBModelCoeffPtr[0], model.b0);
        EXPECT_EQ(node->cvKxy.Value, model.kxy);
      }
    }
  }
}

// ---- The worked examples and the keep-best rules -------------------------------

// Pool 4 up to pairs fits (2, 3) first; with two kept, D0 ties with its copy D2
// (fitted D2, D1, D0) and replaces it in place with a new id.
TEST(ModelSearchEngineTest, FittingOrderIdsAndInPlaceReplacementOfATie) {
  auto data = MakeLinearData(8, 4, {{0, 1.0L}}, 0.5L, 3);
  data->iNextModelID = 7;
  DataResultList list(data.get());
  RunAllSubsets(*data, list, 2, -1, 1);
  EXPECT_EQ(Models(list), (Sets{{2, 3}, {1, 3}, {1, 2}, {0, 3}, {0, 2}, {0, 1}, {3}, {2}, {1}, {0}}));
  EXPECT_EQ(Ids(list), (std::vector<int>{7, 8, 9, 10, 11, 12, 13, 14, 15, 16}));
  EXPECT_EQ(data->iNextModelID, 17);

  auto tie = MakeLinearData(10, 3, {{1, 2.0L}, {0, 1.0L}}, 0.2L, 5);
  searchtest::MakeLinearCopy(*tie, 0, 2, 1.0L, 0.0L);
  DataResultList kept(tie.get());
  RunAllSubsets(*tie, kept, 1, 2, 1);
  EXPECT_EQ(Models(kept), (Sets{{0}, {1}}));
  EXPECT_EQ(Ids(kept), (std::vector<int>{2, 1}));
}

// A model replacing another in place takes none of its validation results.
TEST(ModelSearchEngineTest, AMissingFitnessRanksWorstAndIsReplacedOrDroppedFromAFullSize) {
  auto data = MakeLinearData(10, 3, {{0, 1.0L}}, 0.3L, 61);
  DataResultList list(data.get());
  DataResultNode* other = list.Append();  // a model of another size
  other->iSize = 2;
  other->cvQ2loo = CheckedValue(0.1L, false);
  DataResultNode* unscored = list.Append();  // a validated size-1 model without a fitness
  unscored->iSize = 1;
  unscored->cvQ2F1 = CheckedValue(0.9L, false);
  AllocCheckedArray(unscored->tsTrainLev.ldpValuePtr, 3, "lev");
  unscored->tsTrainLev.iCount = 3;
  RunAllSubsets(*data, list, 1, 1, 0);
  ASSERT_EQ(list.Count(), 2);
  EXPECT_EQ(list.First(), other);
  EXPECT_EQ(list.Last(), unscored);
  EXPECT_FALSE(unscored->cvQ2loo.Missing);
  EXPECT_TRUE(unscored->cvQ2F1.Missing);
  EXPECT_EQ(unscored->tsTrainLev.iCount, 0);

  // Any present fitness, however extreme, ranks better than a missing one.
  for (int id = 0; id < 4; ++id)
    EXPECT_TRUE(fitness::Better(fitness::IsMaximised(id) ? -1e300L : 1e300L,
                                fitness::Rank(CheckedValue(0.0L, true), id), id));

  // A constant response leaves every Q2loo missing: the first model fitted stays,
  // on either path.
  for (int i = 0; i < data->iObjCount; ++i) data->tpChemoValuePtr[i][3].Value = 2.0L;
  for (const bool fast : {false, true}) {
    SetSearchFastPaths(fast);
    DataResultList constant(data.get());
    RunAllSubsets(*data, constant, 1, 1, 0);
    EXPECT_EQ(Models(constant), Sets{{2}}) << (fast ? "fast" : "plain");
  }
  SetSearchFastPaths(true);
}

// A model whose statistics overflow (here those of a prediction object far out)
// is a failed fit: it leaves no half-filled model, spends no id, and the run goes on.
TEST(ModelSearchEngineTest, AModelWhoseStatisticsOverflowIsDroppedAndTheRunGoesOn) {
  auto data = MakeLinearData(10, 3, {{0, 1.0L}}, 0.3L, 23);
  data->ipTrainingPtr[8] = data->ipTrainingPtr[9] = kStatusPrediction;
  data->tpChemoValuePtr[9][1].Value = 1e4930L;
  data->iNextModelID = 1;
  DataResultList list(data.get());
  RunAllSubsets(*data, list, 2, -1, 0);
  EXPECT_EQ(Models(list), (Sets{{0, 2}, {2}, {0}}));
  EXPECT_EQ(Ids(list), (std::vector<int>{1, 2, 3}));
  const DataResultNode& first = *list.First();
  long double sse = 0;
  for (int i : {8, 9}) {
    const CheckedValue* row = data->tpChemoValuePtr[i];
    const long double e = row[3].Value - (first.ldpBModelCoeffPtr[0] + first.ldpBModelCoeffPtr[1] * row[0].Value +
                                          first.ldpBModelCoeffPtr[2] * row[2].Value);
    sse += e * e;
  }
  EXPECT_NEAR(static_cast<double>(first.cvRMSEext.Value), static_cast<double>(std::sqrt(sse / 2)), 1e-12);
}

// With one model kept per size, a better model whose statistics overflow takes the
// place of the kept one and is then dropped: the size is empty again, and the next
// model of the size is appended, on every path and thread count.
TEST(ModelSearchEngineTest, AFailedReplacementEmptiesItsSizeAndTheNextModelIsAppended) {
  auto data = MakeLinearData(12, 4, {{3, 1.0L}, {0, 1.0L}}, 0.3L, 71);
  data->ipTrainingPtr[10] = data->ipTrainingPtr[11] = kStatusPrediction;
  data->tpChemoValuePtr[11][3].Value = 1e4930L;  // every model with D3 overflows
  SetSearchFastPaths(false);
  data->iNextModelID = 1;
  DataResultList plain(data.get());
  RunAllSubsets(*data, plain, 2, 1, 1);
  // D1 D2 enters, D0 D3 replaces it and fails, D0 D2 enters the empty size and D0 D1
  // replaces it.
  EXPECT_EQ(Models(plain), (Sets{{0, 1}, {0}}));
  SetSearchFastPaths(true);
  for (const int threads : {1, 4}) {
    SetWorkerThreadCount(threads);
    data->iNextModelID = 1;
    DataResultList fast(data.get());
    RunAllSubsets(*data, fast, 2, 1, 1);
    EXPECT_EQ(Models(fast), Models(plain)) << threads << " threads";
    EXPECT_EQ(Ids(fast), Ids(plain));
  }
  SetWorkerThreadCount(0);
}

TEST(ModelSearchEngineTest, AnEnumerationSizeAboveThePoolIsRefused) {
  auto data = MakeLinearData(8, 4, {{0, 1.0L}}, 0.5L, 41);
  data->iEnumSize = 5;
  DataResultList list(data.get());
  list.Append();
  RunAllSubsets(*data, list, 2, -1, 0);
  EXPECT_EQ(list.Count(), 0);
  ASSERT_EQ(TestUi().Shown().size(), 1u);
  EXPECT_EQ(TestUi().Shown(0).text, "The subset sizes exceed the selected variables: cannot calculate all combinations");
}

TEST(ModelSearchEngineTest, AFailedFitNeverBecomesAModel) {
  // D1 is constant 1.0, the intercept's column: every fit with it is singular,
  // which the lack of fit would otherwise score as 0, the best value.
  auto data = MakeLinearData(10, 3, {{0, 1.0L}}, 0.3L, 4);
  searchtest::MakeLinearCopy(*data, 0, 1, 0.0L, 1.0L);
  DataResultList list(data.get());
  RunAllSubsets(*data, list, 2, 1, 2);
  EXPECT_EQ(Models(list), (Sets{{0, 2}, {0}}));
  for (const DataResultNode* node = list.First(); node; node = node->Next()) EXPECT_GT(node->cvLOF.Value, 0.0L);
}

// With keep 2, D3 and its copy D2 tie as the worst: D1 replaces the earlier, D3,
// and D0 then replaces D2.
TEST(ModelSearchEngineTest, OfTwoEquallyWorstModelsTheEarlierIsReplaced) {
  auto data = MakeLinearData(12, 4, {{0, 2.0L}, {1, 1.0L}}, 0.2L, 9);
  searchtest::MakeLinearCopy(*data, 2, 3, 1.0L, 0.0L);
  DataResultList list(data.get());
  RunAllSubsets(*data, list, 1, 2, 1);
  EXPECT_EQ(Models(list), (Sets{{1}, {0}}));
  EXPECT_EQ(list.Last()->Prev(), list.First());  // a node replaced in place keeps its links
}

// Display slots hold the best models best first; a model equal to a shown one
// goes after it.
TEST(ModelSearchEngineTest, DisplaySlotsAreBestFirstWithTiesInFittingOrder) {
  auto data = MakeLinearData(12, 4, {{0, 1.0L}, {1, 0.5L}}, 0.3L, 15);
  searchtest::MakeLinearCopy(*data, 1, 3, 1.0L, 0.0L);
  DataResultList list(data.get());
  TextsView view;
  const auto engine = RunAllSubsets(*data, list, 1, -1, 1, &view);
  EXPECT_EQ(view.slotRepaints, 4);
  std::vector<std::pair<long double, int>> expected;  // fitted D3, D2, D1, D0
  for (const DataResultNode* node = list.First(); node; node = node->Next())
    expected.emplace_back(node->cvR2adj.Value, node->ipSelVarIdxPtr[0]);
  std::stable_sort(expected.begin(), expected.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
  ASSERT_EQ(expected[1].first, expected[2].first);  // D3 and D1 tie
  const auto rows = engine->DisplaySlotRows();
  ASSERT_EQ(rows.size(), 4u);
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(rows[i].rank, i + 1);
    EXPECT_EQ(rows[i].descriptors, "D" + std::to_string(expected[i].second) + "  ");
  }
}

// ---- Admissible subsets -------------------------------------------------------------

// A pool of variables 7, 2, 11, 4 in that order: subsets are taken over pool
// positions and stored as variables; a value missing in variable 2 keeps it out,
// one in variable 3 (not in the pool) changes nothing.
TEST(ModelSearchEngineTest, SubsetsOfAPoolInItsOrderAreStoredAsItsVariables) {
  auto data = MakeLinearData(12, 12, {{7, 1.0L}, {4, 1.0L}}, 0.3L, 27);
  const int pool[] = {7, 2, 11, 4};
  std::copy(pool, pool + 4, data->ipSelectedVarPtr);
  data->iSelectedVarCount = data->iEnumSize = 4;
  data->tpChemoValuePtr[5][2].Missing = true;
  data->tpChemoValuePtr[6][3].Missing = true;
  DataResultList list(data.get());
  RunAllSubsets(*data, list, 2, -1, 1);
  EXPECT_EQ(Models(list), (Sets{{11, 4}, {7, 4}, {7, 11}, {4}, {11}, {7}}));
  const Matrix y = searchtest::ResponseOf(*data);
  for (const DataResultNode* node = list.First(); node; node = node->Next()) {
    const searchtest::FreshFit fit(*data, y, std::vector<int>(node->ipSelVarIdxPtr, node->ipSelVarIdxPtr + node->iSize));
    EXPECT_EQ(node->ldpBModelCoeffPtr[1], fit.b.At(1, 0));
  }

  data->tpChemoValuePtr[5][2].Missing = false;
  searchtest::SetHeld(*data, {4, 7});
  DataResultList held(data.get());
  TextsView view;
  ModelSearchEngine engine(ModelSearchEngine::ModeHoldAndAdd, &held, data.get(), &view);
  engine.Activate();
  EXPECT_EQ(Models(held), (Sets{{4, 7, 11}, {4, 7, 2}}));
  EXPECT_EQ(view.statuses, std::vector<std::string>{"Calculating hold models, press ESC to abort..."});
}

// ---- Admissible subsets -------------------------------------------------------------

TEST(ModelSearchEngineTest, QuikRuleRejectsACollinearPairAndLetsSingleVariablesThrough) {
  auto data = MakeLinearData(12, 3, {{0, 1.0L}, {2, 1.0L}}, 0.3L, 17);
  searchtest::MakeLinearCopy(*data, 0, 1, 2.0L, 1.0L);
  data->tpChemoValuePtr[0][1].Value += 0.01L;  // nearly collinear: the pair fits, the rule refuses it
  data->ldQuikDelta = 0.0L;
  DataResultList list(data.get());
  RunAllSubsets(*data, list, 2, -1, 1);
  EXPECT_EQ(Models(list), (Sets{{1, 2}, {0, 2}, {2}, {1}, {0}}));
}

TEST(ModelSearchEngineTest, HoldAndAddPutsTheHeldVariablesInEveryModel) {
  auto data = MakeLinearData(12, 6, {{1, 1.0L}, {4, 1.0L}}, 0.3L, 13);
  searchtest::SetHeld(*data, {4, 1});  // not in pool order
  data->iKeepPerSize = -1;
  DataResultList list(data.get());
  ModelSearchEngine engine(ModelSearchEngine::ModeHoldAndAdd, &list, data.get());
  engine.Activate();
  engine.Activate();  // only the first activation runs
  EXPECT_TRUE(engine.TimerWantsClose());
  EXPECT_EQ(Models(list), (Sets{{4, 1, 5}, {4, 1, 3}, {4, 1, 2}, {4, 1, 0}}));
}

// A value missing in an excluded object keeps its variable out of every model; the
// total counts every subset, the processed count and "%" texts the admissible ones.
TEST(ModelSearchEngineTest, ProgressAndMissingValuesOfAnAllSubsetRun) {
  auto data = MakeLinearData(8, 12, {{0, 1.0L}}, 0.5L, 29);
  data->ipTrainingPtr[3] = kStatusExcluded;
  data->tpChemoValuePtr[3][5].Missing = true;
  DataResultList list(data.get());
  TextsView view;
  const auto engine = RunAllSubsets(*data, list, 2, -1, 3, &view);
  EXPECT_EQ(engine->Total(), 12 + 66);
  EXPECT_EQ(engine->Processed(), 11 + 55);
  EXPECT_EQ(view.percents, (std::vector<std::string>{"64%", "100%"}));
  ASSERT_EQ(list.Count(), 11 + 55);
  for (const DataResultNode* node = list.First(); node; node = node->Next())
    EXPECT_EQ(std::count(node->ipSelVarIdxPtr, node->ipSelVarIdxPtr + node->iSize, 5), 0);
}

// ---- The hidden calculator and the shown run --------------------------------------

TEST(ModelSearchEngineTest, HiddenCalculatorFitsOneSubset) {
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

  Matrix yTrain(7, 1), yPred(1, 1);
  for (int i = 3; i < 10; ++i) yTrain.At(i - 3, 0) = data->tpChemoValuePtr[i][5].Value;
  yPred.At(0, 0) = data->tpChemoValuePtr[0][5].Value;
  int buffer[2] = {3, 1};
  int64_t visited = 0;
  engine.EnumerateSubsets(buffer, visited, 0, 0, 2, 2);
  engine.SetEngineInputs(7, 1, training.data(), prediction.data(), &yTrain, &yPred);
  EXPECT_FALSE(engine.CalculateModelBatch());
  engine.ClearSubsetStack();
  EXPECT_EQ(visited, 1);
  ASSERT_EQ(Models(list), (Sets{{3, 1}}));
  EXPECT_EQ(list.First()->iTrainCount, 7);
  EXPECT_TRUE(list.First()->cvRMSEext.Missing);  // a single prediction object

  // Completing a prefix: position 1 with each of 2..4, where 4 misses a value in
  // an excluded object; a prefix or a leaf holding position 4 pushes nothing.
  data->iKeepPerSize = -1;
  data->tpChemoValuePtr[1][4].Missing = true;
  int prefix[2] = {1, 0}, held[2] = {4, 0}, leaf[2] = {2, 4};
  engine.EnumerateSubsets(prefix, visited, 2, 4, 1, 2);
  engine.EnumerateSubsets(held, visited, 0, 1, 1, 2);
  engine.EnumerateSubsets(leaf, visited, 0, 0, 2, 2);
  EXPECT_EQ(visited, 1 + 3 + 2 + 1);
  EXPECT_FALSE(engine.CalculateModelBatch());
  EXPECT_EQ(Models(list), (Sets{{3, 1}, {1, 3}, {1, 2}}));
}

TEST(ModelSearchEngineTest, EscapeDuringTheAllSubsetPhaseAbortsAndDiscards) {
  auto data = MakeLinearData(8, 16, {{0, 1.0L}}, 0.5L, 31);
  DataResultList list(data.get());
  data->iAllSubsetUntil = 3;
  data->iKeepPerSize = -1;
  TextsView view;
  ModelSearchEngine engine(ModelSearchEngine::ModeAllSubsets, &list, data.get(), &view);
  engine.Activate();
  engine.IdleStep();
  EXPECT_EQ(list.Count(), 500);
  TestUi().PressEscape();
  TestUi().Answer(IDYES);
  engine.IdleStep();
  EXPECT_TRUE(engine.Aborted());
  EXPECT_TRUE(engine.TimerWantsClose());
  EXPECT_EQ(TestUi().Shown(0).text.rfind("All subset has not been completed", 0), 0u);
  bool discarded = false;
  ASSERT_TRUE(engine.ConfirmClose());
  engine.FinishRun([&] { discarded = true; });
  EXPECT_TRUE(discarded);
  EXPECT_EQ(view.statuses.back(), "Exiting...");
  EXPECT_FALSE(engine.IdleHandlerActive());
  EXPECT_FALSE(engine.CalculateModelBatch());  // no subset left behind
  EXPECT_EQ(TestUi().Shown().back().text, "Models calculation aborted.");
}

TEST(ModelSearchEngineTest, NoTrainingObjectStopsTheStartWithOneMessage) {
  auto data = MakeLinearData(5, 3, {{0, 1.0L}}, 0.5L, 37);
  for (int i = 0; i < 5; ++i) data->ipTrainingPtr[i] = kStatusPrediction;
  DataResultList list(data.get());
  list.Append();
  data->iAllSubsetUntil = 2;
  ModelSearchEngine engine(ModelSearchEngine::ModeAllSubsets, &list, data.get());
  engine.Activate();
  ASSERT_EQ(TestUi().Shown().size(), 1u);
  EXPECT_EQ(TestUi().Shown(0).text, "Zero rows matrix, cannot continue");
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(TestUi().busyDepth, 0);
}

// ---- The fast path against the plain one --------------------------------------

std::vector<uint8_t> ListBytes(DataResultList& list) {
  MemoryStream stream;
  list.ReadWrite(&stream, kStreamWrite, FileVersionTags::Count() - 1);
  return stream.Bytes();
}

// The display slots as rows of text: fitness, size and descriptors.
std::vector<std::string> SlotTexts(const ModelSearchEngine& engine) {
  std::vector<std::string> texts;
  for (const SearchGridRow& row : engine.DisplaySlotRows())
    texts.push_back(row.fitness + " " + std::to_string(row.size) + " " + row.descriptors);
  return texts;
}

// The example table's response and its first descriptors without a missing cell.
std::unique_ptr<ChemoData> ExampleJob(int poolSize) {
  auto data = std::make_unique<ChemoData>();
  LoadExample(*data);
  data->iResponseIndex = 0;
  std::vector<int> pool;
  for (int v = 1; v < data->iVarCount && static_cast<int>(pool.size()) < poolSize; ++v) {
    bool complete = true;
    for (int i = 0; i < data->iObjCount; ++i) complete = complete && !data->tpChemoValuePtr[i][v].Missing;
    if (complete) pool.push_back(v);
  }
  AllocCheckedArray(data->ipSelectedVarPtr, static_cast<int>(pool.size()), "*ipSelectedVarPtr");
  std::copy(pool.begin(), pool.end(), data->ipSelectedVarPtr);
  data->iSelectedVarCount = data->iEnumSize = static_cast<int>(pool.size());
  return data;
}

// Exact and near copies, a constant and a column that is the sum of two others.
std::unique_ptr<ChemoData> CollinearJob() {
  auto data = MakeLinearData(24, 12, {{0, 2.0L}, {2, -1.0L}, {9, 0.5L}}, 0.3L, 41);
  searchtest::MakeLinearCopy(*data, 0, 3, 2.0L, 1.0L);
  searchtest::MakeLinearCopy(*data, 2, 4, 1.0L, 1e-12L);
  for (int i = 0; i < data->iObjCount; ++i) {
    CheckedValue* row = data->tpChemoValuePtr[i];
    row[5] = CheckedValue(row[1].Value + row[2].Value, false);
    row[6] = CheckedValue(row[0].Value * (1.0L + 1e-15L * (i % 3)), false);
    row[7] = CheckedValue(3.0L, false);
  }
  data->iResponseIndex = 12;
  return data;
}

// Nearly collinear descriptors (two pairs apart by 1e-5 and 3e-5 of a descriptor
// that the response depends on) and a response 1e9 from zero against a spread of 1:
// the plain fit's sums of squared deviations lose a tenth of their value to
// rounding, so its Q2loo and R2adj stray far from the exact values that the screen
// estimates, and only the screen's guard, which then sends every subset to the
// plain fit, keeps what the plain path keeps.
std::unique_ptr<ChemoData> GuardedJob() {
  auto data = MakeLinearData(40, 12, {{0, 1.0L}, {5, 0.5L}, {8, 0.7L}, {9, 0.6L}}, 1.0L, 43);
  for (int i = 0; i < data->iObjCount; ++i) {
    CheckedValue* row = data->tpChemoValuePtr[i];
    row[1] = CheckedValue(row[0].Value + 1e-5L * row[8].Value, false);
    row[3] = CheckedValue(row[2].Value - 3e-5L * row[9].Value, false);
    row[12].Value += 1e9L;
  }
  data->iResponseIndex = 12;
  return data;
}

// New inputs replace the fitters of every thread: the hidden calculator fits pairs
// on all objects, then on the first twelve only, and keeps what an engine given only
// the second inputs keeps. Either path takes 500 subsets a batch.
TEST(ModelSearchEngineTest, NewInputsReachEveryThreadsFitsAndABatchIsFiveHundredSubsets) {
  auto data = MakeLinearData(20, 40, {{3, 1.0L}, {7, 0.5L}}, 0.3L, 57);
  data->iKeepPerSize = -1;
  data->iFitnessFunc = 0;
  auto inputs = [&](int objects, std::vector<uint8_t>& mask, Matrix& y) {
    mask.assign(20, 0);
    for (int i = 0; i < objects; ++i) {
      mask[static_cast<std::size_t>(i)] = 1;
      y.At(i, 0) = data->tpChemoValuePtr[i][40].Value;
    }
  };
  auto fitPairs = [&](ModelSearchEngine& engine, int objects, std::vector<uint8_t>& mask, Matrix& y) {
    inputs(objects, mask, y);
    engine.SetEngineInputs(objects, 0, mask.data(), nullptr, &y, nullptr);
    std::vector<int> buffer(2);
    int64_t visited = 0;
    engine.EnumerateSubsets(buffer.data(), visited, 0, 39, 0, 2);  // 780 pairs
    EXPECT_TRUE(engine.CalculateModelBatch());
    EXPECT_EQ(engine.Processed() % 780, 500);
    while (engine.CalculateModelBatch()) {
    }
  };
  for (const bool fast : {false, true}) {
    SetSearchFastPaths(fast);
    SetWorkerThreadCount(4);
    std::vector<uint8_t> maskAll, maskPart, maskFresh;
    Matrix yAll(20, 1), yPart(12, 1), yFresh(12, 1);
    DataResultList both(data.get()), fresh(data.get());
    ModelSearchEngine reused(ModelSearchEngine::ModeAllSubsets, &both, data.get());
    fitPairs(reused, 20, maskAll, yAll);
    both.Clear();
    fitPairs(reused, 12, maskPart, yPart);
    ModelSearchEngine once(ModelSearchEngine::ModeAllSubsets, &fresh, data.get());
    fitPairs(once, 12, maskFresh, yFresh);
    data->iNextModelID = 0;
    for (DataResultNode* node = both.First(); node; node = node->Next()) node->iID = 0;
    for (DataResultNode* node = fresh.First(); node; node = node->Next()) node->iID = 0;
    EXPECT_EQ(ListBytes(both), ListBytes(fresh)) << (fast ? "fast" : "plain");
    EXPECT_EQ(both.Count(), 780);
  }
  SetSearchFastPaths(true);
  SetWorkerThreadCount(0);
}

// Every fitness function, QUIK off and at 0.000, 10, 100 and every model kept: the
// fast path on 1, 2, 4 and 8 threads keeps the same models as the plain path, to the
// last bit of every statistic, in the same order and with the same IDs, and shows
// the same progress and display slots.
TEST(ModelSearchEngineTest, TheFastPathKeepsWhatThePlainPathKeepsBitForBit) {
  int64_t screened = 0;
  for (const int job : {0, 1, 2}) {
    const bool example = job == 0;
    // More subsets than one batch, so that later batches meet full sizes.
    auto data = example ? ExampleJob(16) : job == 1 ? CollinearJob() : GuardedJob();
    for (int id = 0; id < 4; ++id) {
      for (const long double delta : {-1.0L, 0.0L}) {
        for (const int keep : {10, 100, -1}) {
          // The example's larger job with 10 kept; with more, its pairs and triples.
          const int K = job == 1 ? 4 : example && keep != 10 ? 2 : 3;
          SCOPED_TRACE(testing::Message() << "job " << job << " id " << id << " QUIK "
                                          << static_cast<double>(delta) << " keep " << keep);
          data->ldQuikDelta = delta;
          SetSearchFastPaths(false);
          DataResultList plain(data.get());
          data->iNextModelID = 1;
          TextsView plainView;
          const auto plainEngine = RunAllSubsets(*data, plain, K, keep, id, &plainView);
          SetSearchFastPaths(true);
          for (const int threads : {1, 2, 4, 8}) {
            SetWorkerThreadCount(threads);
            DataResultList fast(data.get());
            data->iNextModelID = 1;
            TextsView fastView;
            const auto fastEngine = RunAllSubsets(*data, fast, K, keep, id, &fastView);
            screened += fastEngine->Screened();
            EXPECT_EQ(ListBytes(fast), ListBytes(plain)) << threads << " threads";
            // What the window shows along the way is the same too.
            EXPECT_EQ(fastView.percents, plainView.percents);
            EXPECT_EQ(fastView.slotRepaints, plainView.slotRepaints);
            EXPECT_EQ(SlotTexts(*fastEngine), SlotTexts(*plainEngine));
            EXPECT_EQ(fastEngine->Processed(), plainEngine->Processed());
            if (keep == -1) {
              EXPECT_EQ(fastEngine->Screened(), 0);
            }
          }
          SetWorkerThreadCount(0);
        }
      }
    }
  }
  EXPECT_GT(screened, 300);  // the screen did pass over subsets
}

enum class Interruption { kEscape, kFailureBeforeTheFit, kFailureAfterTheFit };

// In the middle of a batch the view presses Escape (answered Yes) or fails at its
// `at`-th "%" text, before the next subset is fitted, or fails at its 20th
// display-slot repaint, after a model was stored.
struct InterruptingView : TextsView {
  InterruptingView(Interruption how, std::size_t at) : how(how), at(at) {}
  void PercentText(const std::string& text) override {
    TextsView::PercentText(text);
    if (percents.size() != at || how == Interruption::kFailureAfterTheFit) return;
    if (how == Interruption::kFailureBeforeTheFit) throw std::runtime_error("view");
    TestUi().PressEscape();
    TestUi().Answer(IDYES);
  }
  void DisplaySlotsChanged() override {
    TextsView::DisplaySlotsChanged();
    if (slotRepaints == 20 && how == Interruption::kFailureAfterTheFit) throw std::runtime_error("view");
  }
  Interruption how;
  std::size_t at;
};

struct Interrupted {
  std::vector<uint8_t> atInterruption, atEnd;
  int64_t processedAtInterruption = 0, processedAtEnd = 0;
};

// Runs an all-subset search up to triples that the view interrupts, then fits the
// subsets left behind until none is.
Interrupted RunInterrupted(ChemoData& data, int keep, Interruption how, std::size_t at) {
  const bool fail = how != Interruption::kEscape;
  Interrupted result;
  data.iAllSubsetUntil = 3;
  data.iKeepPerSize = keep;
  data.iNextModelID = 1;
  DataResultList list(&data);
  InterruptingView view(how, at);
  ModelSearchEngine engine(ModelSearchEngine::ModeAllSubsets, &list, &data, &view);
  engine.Activate();
  bool thrown = false;
  try {
    while (!engine.TimerWantsClose()) engine.IdleStep();
  } catch (const std::runtime_error&) {
    thrown = true;
  }
  EXPECT_EQ(thrown, fail);
  EXPECT_EQ(engine.Aborted(), !fail);
  result.atInterruption = ListBytes(list);
  result.processedAtInterruption = engine.Processed();
  while (engine.CalculateModelBatch()) {
  }
  result.atEnd = ListBytes(list);
  result.processedAtEnd = engine.Processed();
  return result;
}

// An abort or a failure in the middle of a batch, while helpers score the subsets
// after it, leaves the models the plain path leaves and puts the subsets not yet
// decided back in their order, those claimed for the next batch and those carried
// from the last one included: the rest of the run keeps what the plain path keeps.
TEST(ModelSearchEngineTest, AnAbortOrAFailureMidBatchPutsTheUndecidedSubsetsBackInOrder) {
  auto data = ExampleJob(16);
  data->iFitnessFunc = 0;
  data->ldQuikDelta = -1.0L;
  for (const Interruption how :
       {Interruption::kEscape, Interruption::kFailureBeforeTheFit, Interruption::kFailureAfterTheFit}) {
    for (const int keep : {10, -1}) {
      // At the third "%" text, in the first batch, and at the 13th, in the second.
      for (const std::size_t at : {3u, 13u}) {
        if (at == 13 && how == Interruption::kFailureAfterTheFit) continue;
        SCOPED_TRACE(testing::Message() << "interruption " << static_cast<int>(how) << " keep " << keep
                                        << " at " << at);
        SetSearchFastPaths(false);
        const Interrupted plain = RunInterrupted(*data, keep, how, at);
        if (how != Interruption::kFailureAfterTheFit) {
          EXPECT_EQ(plain.processedAtInterruption, static_cast<int64_t>(50 * at));
        }
        EXPECT_GT(plain.processedAtInterruption, 1);
        EXPECT_NE(plain.processedAtInterruption % 500, 0);  // in the middle of a batch
        SetSearchFastPaths(true);
        for (const int threads : {1, 4, 8}) {
          SetWorkerThreadCount(threads);
          const Interrupted fast = RunInterrupted(*data, keep, how, at);
          EXPECT_EQ(fast.atInterruption, plain.atInterruption) << threads << " threads";
          EXPECT_EQ(fast.processedAtInterruption, plain.processedAtInterruption);
          EXPECT_EQ(fast.atEnd, plain.atEnd) << threads << " threads";
          EXPECT_EQ(fast.processedAtEnd, plain.processedAtEnd);
        }
        SetWorkerThreadCount(0);
      }
    }
  }
}

// The subsets that the fast path claimed beyond a batch go back on the stack in
// order when the plain path takes over, and nothing is left once the stack is cleared.
TEST(ModelSearchEngineTest, SubsetsClaimedAheadOfTheDecisionsAreNeitherLostNorKept) {
  auto data = ExampleJob(16);
  data->iFitnessFunc = 0;
  data->ldQuikDelta = -1.0L;
  data->iNextModelID = 1;
  DataResultList plain(data.get());
  SetSearchFastPaths(false);
  RunAllSubsets(*data, plain, 3, 10, 0);
  SetWorkerThreadCount(8);
  for (const bool clear : {false, true}) {
    SCOPED_TRACE(clear ? "cleared" : "plain path after one fast batch");
    data->iNextModelID = 1;
    DataResultList mixed(data.get());
    ModelSearchEngine engine(ModelSearchEngine::ModeAllSubsets, &mixed, data.get());
    data->iAllSubsetUntil = 3;
    data->iKeepPerSize = 10;
    engine.Activate();
    SetSearchFastPaths(true);
    engine.IdleStep();
    EXPECT_EQ(engine.Processed(), 500);
    SetSearchFastPaths(false);
    if (clear) {
      engine.ClearSubsetStack();
      EXPECT_FALSE(engine.CalculateModelBatch());
      EXPECT_EQ(engine.Processed(), 500);
      continue;
    }
    while (!engine.TimerWantsClose()) engine.IdleStep();
    EXPECT_EQ(ListBytes(mixed), ListBytes(plain));
    EXPECT_EQ(engine.Processed(), engine.Total());
  }
  SetSearchFastPaths(true);
  SetWorkerThreadCount(0);
}

}  // namespace
