#include "select/GenAlg.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "data/DataResult.h"
#include "numerics/MersenneTwister.h"
#include "numerics/Sorts.h"
#include "platform/base/Random.h"
#include "select/ModelSearchEngine.h"
#include "select/SearchTestData.h"
#include "support/ScriptedUi.h"

using searchtest::MakeLinearData;

namespace {

uint64_t fakeNow = 0;
uint64_t FakeClock() { return fakeNow += 1000003; }

// Makes every re-seeding from the clock reproducible for the test's lifetime.
class FixedClock {
public:
  explicit FixedClock(uint64_t start) {
    fakeNow = start;
    SetRandomizeClock(FakeClock);
  }
  ~FixedClock() { SetRandomizeClock(nullptr); }
};

struct RecordingView : SearchView {
  std::vector<std::string> generations;
  int closes = 0;
  std::vector<SearchGridRow> shown;
  void GaIterationText(const std::string& text) override { generations.push_back(text); }
  void CloseWindow() override { ++closes; }
  void ShowGaModels(const std::vector<SearchGridRow>& rows) override { shown = rows; }
};

std::vector<int> Sorted(std::vector<int> v) {
  std::sort(v.begin(), v.end());
  return v;
}

std::vector<std::vector<int>> ModelSets(const DataResultList& list) {
  std::vector<std::vector<int>> sets;
  for (const DataResultNode* node = list.First(); node; node = node->Next())
    sets.push_back(Sorted(std::vector<int>(node->ipSelVarIdxPtr, node->ipSelVarIdxPtr + node->iSize)));
  return sets;
}

void SetGa(ChemoData& data, int first, int until, int population, int generations, int mutation, int fitnessId) {
  data.iGAFirstSize = first;
  data.iGAUntil = until;
  data.iGAPopSize = population;
  data.iGAGenerations = generations;
  data.iGAMutation = mutation;
  data.iFitnessFunc = fitnessId;
}

// Runs a search as the window does until the genetic algorithm closes it.
void RunUntilClosed(ModelSearchEngine& engine, RecordingView& view) {
  engine.Activate();
  for (int step = 0; step < 100000 && view.closes == 0; ++step) engine.IdleStep();
  ASSERT_EQ(view.closes, 1);
  ASSERT_TRUE(engine.ConfirmClose());
  engine.FinishRun(nullptr);
}

void RunGeneticOnly(ChemoData& data, DataResultList& list, RecordingView& view) {
  ModelSearchEngine engine(ModelSearchEngine::ModeGeneticOnly, &list, &data, &view);
  RunUntilClosed(engine, view);
}

// 40 descriptors, the response planted on D3, D11, D20 and D33; D39 is constant 1.0,
// so every fit with it fails. All subsets up to 3, then the GA for size 4.
struct PlantedSearch {
  std::unique_ptr<ChemoData> data = MakeLinearData(30, 40, {{3, 1.0L}, {11, 1.0L}, {20, -1.0L}, {33, 0.7L}}, 0.05L, 77);
  DataResultList list{data.get()};
  RecordingView view;

  PlantedSearch() {
    searchtest::MakeLinearCopy(*data, 0, 39, 0.0L, 1.0L);
    data->iAllSubsetUntil = 3;
    data->iKeepPerSize = 5;
    SetGa(*data, 4, 4, 20, 15, 10, 1);
    ModelSearchEngine engine(ModelSearchEngine::ModeAllSubsets, &list, data.get(), &view);
    RunUntilClosed(engine, view);
  }
};

TEST(GenAlgTest, FindsAPlantedModelReproduciblyWithoutDuplicatesOrFailedFits) {
  FixedClock clock(12345);
  PlantedSearch first;
  const auto sets = ModelSets(first.list);
  EXPECT_NE(std::find(sets.begin(), sets.end(), std::vector<int>{3, 11, 20, 33}), sets.end());
  EXPECT_EQ(std::set<std::vector<int>>(sets.begin(), sets.end()).size(), sets.size());
  int sizeFour = 0;
  for (const auto& set : sets) {
    EXPECT_EQ(std::count(set.begin(), set.end(), 39), 0);
    sizeFour += set.size() == 4;
  }
  EXPECT_EQ(sizeFour, 5);
  EXPECT_EQ(first.view.generations.size(), 16u);  // one at construction, 15 from idle steps
  EXPECT_EQ(first.view.generations.front(), "0");
  EXPECT_EQ(first.view.generations.back(), "15");
  EXPECT_EQ(first.data->iAllSubsetUntil, 4);
  EXPECT_FALSE(first.view.shown.empty());
  EXPECT_EQ(first.view.shown.front().rank, 1);

  FixedClock again(12345);
  PlantedSearch second;
  EXPECT_EQ(ModelSets(second.list), sets);
  const DataResultNode* b = second.list.First();
  for (const DataResultNode* a = first.list.First(); a; a = a->Next(), b = b->Next()) {
    EXPECT_EQ(a->iID, b->iID);
    EXPECT_EQ(a->cvR2adj.Value, b->cvR2adj.Value);
  }
}

TEST(GenAlgTest, SizesRunOneAfterAnotherAndTheLimitIsWrittenBack) {
  FixedClock clock(99);
  auto data = MakeLinearData(20, 8, {{1, 1.0L}, {5, 1.0L}}, 0.2L, 41);
  SetGa(*data, 3, 5, 6, 2, 5, 0);
  data->iKeepPerSize = 3;
  DataResultList list(data.get());
  RecordingView view;
  RunGeneticOnly(*data, list, view);
  EXPECT_EQ(view.generations, (std::vector<std::string>{"0", "1", "2", "0", "1", "2", "0", "1", "2"}));
  EXPECT_EQ(data->iGAFirstSize, 5);
  EXPECT_EQ(data->iAllSubsetUntil, 5);
  for (int size = 3; size <= 5; ++size) {
    int count = 0;
    for (const DataResultNode* node = list.First(); node; node = node->Next()) count += node->iSize == size;
    EXPECT_GE(count, 1) << size;
    EXPECT_LE(count, 3) << size;
  }
  EXPECT_EQ(TestUi().Shown().back().text, "Models calculation completed.");
}

TEST(GenAlgTest, APoolTooSmallForTheSizeLeavesEmptyIndividualsAndOneReport) {
  FixedClock clock(5);
  auto data = MakeLinearData(10, 3, {{0, 1.0L}}, 0.2L, 43);
  SetGa(*data, 4, 4, 4, 3, 2, 2);
  data->iKeepPerSize = -1;
  DataResultList list(data.get());
  RecordingView view;
  RunGeneticOnly(*data, list, view);
  EXPECT_EQ(list.Count(), 0);
  int reports = 0;
  for (const auto& message : TestUi().Shown()) reports += message.caption == "APPLICATION WARNING (genetic algorithm)";
  EXPECT_EQ(reports, 1);
}

TEST(GenAlgTest, AGeneticRunWithoutASizeStartsNothing) {
  // Models in the list make the set-up choose the genetic algorithm only, also
  // when no genetic-algorithm size was requested.
  FixedClock clock(11);
  auto data = MakeLinearData(12, 5, {{1, 1.0L}}, 0.2L, 45);
  SetGa(*data, 0, 0, 6, 3, 1, 1);
  DataResultList list(data.get());
  DataResultNode* earlier = list.Append();
  earlier->iSize = 1;
  AllocCheckedArray(earlier->ipSelVarIdxPtr, 1, "*ipSelVarIdxPtr");
  earlier->ipSelVarIdxPtr[0] = 1;
  RecordingView view;
  ModelSearchEngine engine(ModelSearchEngine::ModeGeneticOnly, &list, data.get(), &view);
  engine.Activate();
  EXPECT_EQ(engine.Genetic(), nullptr);
  EXPECT_TRUE(engine.TimerWantsClose());
  ASSERT_TRUE(engine.ConfirmClose());
  engine.FinishRun(nullptr);
  EXPECT_EQ(list.Count(), 1);
  ASSERT_EQ(TestUi().Shown().size(), 1u);
  EXPECT_EQ(TestUi().Shown(0).text, "Models calculation completed.");
}

TEST(GenAlgTest, TheHarvestFitsTheWorstRankedIndividualFirst) {
  FixedClock clock(17);
  auto data = MakeLinearData(20, 8, {{1, 1.0L}, {5, 1.0L}, {6, 0.5L}}, 0.4L, 47);
  SetGa(*data, 3, 3, 8, 2, 5, 1);
  data->iKeepPerSize = -1;
  DataResultList list(data.get());
  RecordingView view;
  RunGeneticOnly(*data, list, view);
  ASSERT_EQ(list.Count(), 8);
  for (const DataResultNode* node = list.First(); node->Next(); node = node->Next()) {
    EXPECT_EQ(node->Next()->iID, node->iID + 1);
    EXPECT_LE(node->cvR2adj.Value, node->Next()->cvR2adj.Value);
  }
}

TEST(GenAlgTest, WithoutAGenerationLimitTheSizeRunsUntilTheUserStopsIt) {
  FixedClock clock(7);
  auto data = MakeLinearData(15, 7, {{1, 1.0L}, {5, 1.0L}}, 0.2L, 59);
  SetGa(*data, 2, 1, 6, 0, 4, 1);
  data->iKeepPerSize = -1;
  DataResultList list(data.get());
  RecordingView view;
  ModelSearchEngine engine(ModelSearchEngine::ModeGeneticOnly, &list, data.get(), &view);
  engine.Activate();
  for (int step = 0; step < 30; ++step) engine.IdleStep();
  EXPECT_EQ(view.generations.back(), "30");
  EXPECT_FALSE(engine.TimerWantsClose());

  TestUi().Answer(IDNO);
  EXPECT_FALSE(engine.ConfirmClose());
  EXPECT_EQ(TestUi().Shown(0).text, "Do you really want to stop the genetic algorithm calculation?");
  TestUi().Answer(IDYES);
  ASSERT_TRUE(engine.ConfirmClose());
  engine.FinishRun(nullptr);
  EXPECT_EQ(data->iGAUntil, 2);
  EXPECT_EQ(data->iAllSubsetUntil, 2);
  EXPECT_GE(list.Count(), 1);
  const auto sets = ModelSets(list);
  EXPECT_EQ(std::set<std::vector<int>>(sets.begin(), sets.end()).size(), sets.size());
}

// Replays the next generation from the parents and the seed the engine will draw:
// two-way tournaments (the second drawn wins ties, the second parent differs from
// the first), one-point crossover, a mutation drawing gene, child and pool variable
// in that order, rejection of duplicates, then the best P of all 2P slots. The
// fitness is minimised (LOF). Returns the genes of the best P, best first.
std::vector<std::vector<int>> ReplayGeneration(GenAlg& ga, const ChemoData& data, int& mutations) {
  const int p = data.iGAPopSize;
  const int k = data.iGAFirstSize;
  std::vector<GenPop> slots;
  for (int i = 0; i < p; ++i) slots.push_back(ga.CopyIndividual(i));
  GenPop reset;
  reset.genes.assign(k, -1);
  reset.size = k;
  reset.fitness = CheckedValue(1e99L, true);
  slots.resize(2 * p, reset);
  const uint64_t now = fakeNow;
  Randomize();
  MersenneTwister random(1 + Random(2147483647));
  fakeNow = now;  // the engine reads the same clock

  auto rank = [](const GenPop& g) { return g.fitness.Missing ? 1e99L : g.fitness.Value; };
  auto tournament = [&](int exclude) {
    for (;;) {
      int a = random.RandomInt(p), b = random.RandomInt(p);
      while (a == b) {
        a = random.RandomInt(p);
        b = random.RandomInt(p);
      }
      const int winner = rank(slots[b]) <= rank(slots[a]) ? b : a;
      if (winner != exclude) return winner;
    }
  };
  for (int i = 0; i < p - 1; i += 2) {
    const int first = tournament(-1);
    const int second = tournament(first);
    const int cut = random.RandomInt(k - 1);
    GenPop children[2] = {slots[first], slots[second]};
    for (int g = cut + 1; g < k; ++g) {
      children[0].genes[g] = slots[second].genes[g];
      children[1].genes[g] = slots[first].genes[g];
    }
    if (random.RandomInt(data.iGAMutation) == 0) {
      ++mutations;
      const int gene = random.RandomInt(k);
      const int child = random.RandomInt(2) == 1 ? 0 : 1;
      children[child].genes[gene] = data.ipSelectedVarPtr[random.RandomInt(data.iSelectedVarCount)];
    }
    for (int j = 0; j < 2; ++j) {
      const std::vector<int> set = Sorted(children[j].genes);
      bool rejected = std::adjacent_find(set.begin(), set.end()) != set.end();
      for (const GenPop& other : slots) rejected = rejected || Sorted(other.genes) == set;
      if (rejected) continue;
      bool quikPassed = false;
      children[j].fitness = ga.EvaluateFitness(k, children[j].genes.data(), quikPassed);
      slots[p + i + j] = children[j];
    }
  }
  std::vector<long double> values;
  std::vector<int32_t> order;
  for (int s = 0; s < 2 * p; ++s) {
    values.push_back(rank(slots[s]));
    order.push_back(s);
  }
  SortWithIndex(values.data(), order.data(), 0, 2 * p - 1, true);
  std::vector<std::vector<int>> best;
  for (int s = 0; s < p; ++s) best.push_back(Sorted(slots[order[s]].genes));
  return best;
}

TEST(GenAlgTest, GenerationsFollowTheDrawOrderOfTournamentsCrossoverAndMutation) {
  // D3 and D4 repeat D1 and D2, so equal fitness values are common and the
  // tournaments' tie rule decides; pairs of a variable and its copy fail to fit.
  FixedClock clock(21);
  auto data = MakeLinearData(12, 6, {{1, 1.0L}, {2, 1.0L}}, 0.3L, 63);
  searchtest::MakeLinearCopy(*data, 1, 3, 1.0L, 0.0L);
  searchtest::MakeLinearCopy(*data, 2, 4, 1.0L, 0.0L);
  SetGa(*data, 2, 2, 6, 0, 2, 2);
  DataResultList list(data.get());
  ModelSearchEngine engine(ModelSearchEngine::ModeGeneticOnly, &list, data.get());
  engine.Activate();
  GenAlg& ga = *engine.Genetic();
  int mutations = 0;
  for (int generation = 1; generation <= 12; ++generation) {
    const auto expected = ReplayGeneration(ga, *data, mutations);
    ga.RunGeneration();
    for (int s = 0; s < data->iGAPopSize; ++s)
      EXPECT_EQ(Sorted(ga.CopyIndividual(s).genes), expected[s]) << "generation " << generation << " slot " << s;
  }
  EXPECT_GT(mutations, 0);
}

class GenAlgPartsTest : public testing::Test {
protected:
  void SetUp() override {
    data_ = MakeLinearData(12, 6, {{2, 1.0L}, {4, 1.0L}}, 0.2L, 53);
    searchtest::MakeLinearCopy(*data_, 0, 5, 0.0L, 1.0L);  // D5 constant: fits with it fail
    SetGa(*data_, 2, 2, 4, 0, 3, 2);
    list_ = std::make_unique<DataResultList>(data_.get());
    engine_ = std::make_unique<ModelSearchEngine>(ModelSearchEngine::ModeGeneticOnly, list_.get(), data_.get());
    engine_->Activate();
    ga_ = engine_->Genetic();
    ASSERT_NE(ga_, nullptr);
  }

  static GenPop Individual(std::vector<int> genes) {
    GenPop individual;
    individual.size = static_cast<int>(genes.size());
    individual.genes = std::move(genes);
    return individual;
  }

  FixedClock clock_{3};
  std::unique_ptr<ChemoData> data_;
  std::unique_ptr<DataResultList> list_;
  std::unique_ptr<ModelSearchEngine> engine_;
  GenAlg* ga_ = nullptr;
};

TEST_F(GenAlgPartsTest, ChildRejection) {
  const std::vector<GenPop> population = {Individual({1, 3}), Individual({-1, -1}), Individual({4, 0})};
  EXPECT_TRUE(ga_->IsRejectedChild(population, 3, Individual({2, 2})));
  EXPECT_TRUE(ga_->IsRejectedChild(population, 3, Individual({3, 1})));
  EXPECT_TRUE(ga_->IsRejectedChild(population, 3, Individual({0, 4})));
  EXPECT_FALSE(ga_->IsRejectedChild(population, 2, Individual({0, 4})));
  // An empty slot matches no child, not even one holding variable 0.
  EXPECT_FALSE(ga_->IsRejectedChild(population, 2, Individual({0, 2})));
  EXPECT_TRUE(ga_->IsRejectedChild(population, 3, Individual({-1, 2})));
  EXPECT_EQ(ga_->CountGene(Individual({3, 1}), 3, 1), 1);
  EXPECT_EQ(ga_->CountGene(Individual({3, 1}), 1, 0), 0);
}

TEST_F(GenAlgPartsTest, FitnessOfFailedFitsEmptyIndividualsAndTheQuikRule) {
  bool quik = false;
  int failed[2] = {5, 1};
  const CheckedValue lof = ga_->EvaluateFitness(2, failed, quik);
  EXPECT_TRUE(lof.Missing);
  EXPECT_EQ(lof.Value, 1e99L);
  EXPECT_EQ(failed[0], 1);  // sorted in place

  int empty[2] = {-1, -1};
  EXPECT_TRUE(ga_->EvaluateFitness(2, empty, quik).Missing);
  EXPECT_FALSE(quik);

  int good[2] = {4, 2};
  const CheckedValue fit = ga_->EvaluateFitness(2, good, quik);
  EXPECT_TRUE(quik);
  EXPECT_FALSE(fit.Missing);
  data_->ldQuikDelta = 2.0L;
  ga_->EvaluateFitness(2, good, quik);
  EXPECT_FALSE(quik);
}

TEST_F(GenAlgPartsTest, ThePopulationHoldsNoDuplicatesAndRanksBestFirst) {
  for (int g = 0; g < 5; ++g) ga_->RunGeneration();
  std::set<std::vector<int>> seen;
  long double previous = -1e99L;
  for (int i = 0; i < data_->iGAPopSize; ++i) {
    const GenPop individual = ga_->CopyIndividual(i);
    if (individual.Empty()) continue;
    EXPECT_TRUE(seen.insert(Sorted(individual.genes)).second);
    const long double value = individual.fitness.Missing ? 1e99L : individual.fitness.Value;
    EXPECT_GE(value, previous);
    previous = value;
  }
}

}  // namespace
