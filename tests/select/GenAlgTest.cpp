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
using searchtest::Sets;

namespace {

uint64_t fakeNow = 0;

// Makes every re-seeding from the clock reproducible for the test's lifetime.
struct FixedClock {
  explicit FixedClock(uint64_t start) {
    fakeNow = start;
    SetRandomizeClock([] { return fakeNow += 1000003; });
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

Sets ModelSets(const DataResultList& list) {
  Sets sets = searchtest::Models(list);
  for (auto& set : sets) set = Sorted(set);
  return sets;
}

// A data set with genetic-algorithm settings, its model list and a view, for one run.
struct GaSearch {
  GaSearch(std::unique_ptr<ChemoData> made, int first, int until, int population, int generations, int mutation,
           int fitnessId, int keep = -1)
      : data(std::move(made)), list(data.get()) {
    data->iGAFirstSize = first;
    data->iGAUntil = until;
    data->iGAPopSize = population;
    data->iGAGenerations = generations;
    data->iGAMutation = mutation;
    data->iFitnessFunc = fitnessId;
    data->iKeepPerSize = keep;
  }

  // Runs the search as the window does until the genetic algorithm closes it.
  void RunUntilClosed(uint8_t mode = ModelSearchEngine::ModeGeneticOnly) {
    ModelSearchEngine engine(mode, &list, data.get(), &view);
    engine.Activate();
    for (int step = 0; step < 100000 && view.closes == 0; ++step) engine.IdleStep();
    ASSERT_EQ(view.closes, 1);
    ASSERT_TRUE(engine.ConfirmClose());
    engine.FinishRun(nullptr);
  }

  std::unique_ptr<ChemoData> data;
  DataResultList list;
  RecordingView view;
};

// 40 descriptors, the response planted on D3, D11, D20 and D33; D39 is constant 1.0,
// so every fit with it fails. All subsets up to 3 keeping 5 per size, then the GA
// for size 4.
struct PlantedSearch : GaSearch {
  PlantedSearch()
      : GaSearch(MakeLinearData(30, 40, {{3, 1.0L}, {11, 1.0L}, {20, -1.0L}, {33, 0.7L}}, 0.05L, 77), 4, 4, 20, 15,
                 10, 1, 5) {
    searchtest::MakeLinearCopy(*data, 0, 39, 0.0L, 1.0L);
    data->iAllSubsetUntil = 3;
    RunUntilClosed(ModelSearchEngine::ModeAllSubsets);
  }
};

TEST(GenAlgTest, FindsAPlantedModelReproduciblyWithoutDuplicatesOrFailedFits) {
  FixedClock clock(12345);
  PlantedSearch first;
  const Sets sets = ModelSets(first.list);
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

// Each size runs G + 1 generations and its harvest fits the worst-ranked
// individual first: within a size the IDs rise with the fitness.
TEST(GenAlgTest, SizesRunInTurnAndEachHarvestFitsTheWorstRankedFirst) {
  FixedClock clock(17);
  GaSearch search(MakeLinearData(20, 8, {{1, 1.0L}, {5, 1.0L}, {6, 0.5L}}, 0.4L, 47), 3, 4, 8, 2, 5, 1);
  search.RunUntilClosed();
  EXPECT_EQ(search.view.generations, (std::vector<std::string>{"0", "1", "2", "0", "1", "2"}));
  EXPECT_EQ(search.data->iGAFirstSize, 4);
  EXPECT_EQ(search.data->iAllSubsetUntil, 4);
  EXPECT_EQ(TestUi().Shown().back().text, "Models calculation completed.");
  ASSERT_EQ(search.list.Count(), 16);
  int index = 0;
  for (const DataResultNode* node = search.list.First(); node; node = node->Next(), ++index) {
    EXPECT_EQ(node->iSize, index < 8 ? 3 : 4);
    if (index == 0 || index == 8) continue;
    EXPECT_EQ(node->iID, node->Prev()->iID + 1);
    EXPECT_GE(node->cvR2adj.Value, node->Prev()->cvR2adj.Value);
  }
}

TEST(GenAlgTest, APoolTooSmallForTheSizeLeavesEmptyIndividualsAndOneReport) {
  FixedClock clock(5);
  GaSearch search(MakeLinearData(10, 3, {{0, 1.0L}}, 0.2L, 43), 4, 4, 4, 3, 2, 2);
  search.RunUntilClosed();
  EXPECT_EQ(search.list.Count(), 0);
  int reports = 0;
  for (const auto& message : TestUi().Shown()) reports += message.caption == "APPLICATION WARNING (genetic algorithm)";
  EXPECT_EQ(reports, 1);
}

TEST(GenAlgTest, AGeneticRunWithoutASizeStartsNothing) {
  // Models in the list make the set-up choose the genetic algorithm only, also
  // when no genetic-algorithm size was requested.
  GaSearch search(MakeLinearData(12, 5, {{1, 1.0L}}, 0.2L, 45), 0, 0, 6, 3, 1, 1);
  search.list.Append()->iSize = 1;
  ModelSearchEngine engine(ModelSearchEngine::ModeGeneticOnly, &search.list, search.data.get(), &search.view);
  engine.Activate();
  EXPECT_EQ(engine.Genetic(), nullptr);
  EXPECT_TRUE(engine.TimerWantsClose());
  ASSERT_TRUE(engine.ConfirmClose());
  engine.FinishRun(nullptr);
  EXPECT_EQ(search.list.Count(), 1);
  ASSERT_EQ(TestUi().Shown().size(), 1u);
  EXPECT_EQ(TestUi().Shown(0).text, "Models calculation completed.");
}

TEST(GenAlgTest, WithoutAGenerationLimitTheSizeRunsUntilTheUserStopsIt) {
  FixedClock clock(7);
  GaSearch search(MakeLinearData(15, 7, {{1, 1.0L}, {5, 1.0L}}, 0.2L, 59), 2, 1, 6, 0, 4, 1);
  ModelSearchEngine engine(ModelSearchEngine::ModeGeneticOnly, &search.list, search.data.get(), &search.view);
  engine.Activate();
  for (int step = 0; step < 30; ++step) engine.IdleStep();
  EXPECT_EQ(search.view.generations.back(), "30");
  EXPECT_FALSE(engine.TimerWantsClose());

  TestUi().Answer(IDNO);
  EXPECT_FALSE(engine.ConfirmClose());
  EXPECT_EQ(TestUi().Shown(0).text, "Do you really want to stop the genetic algorithm calculation?");
  TestUi().Answer(IDYES);
  ASSERT_TRUE(engine.ConfirmClose());
  engine.FinishRun(nullptr);
  EXPECT_EQ(search.data->iGAUntil, 2);
  EXPECT_EQ(search.data->iAllSubsetUntil, 2);
  EXPECT_GE(search.list.Count(), 1);  // harvested when stopped
}

// Replays the next generation from the parents and the seed the engine will draw:
// two-way tournaments (the second drawn wins ties, the second parent differs from
// the first), one-point crossover, a mutation drawing gene, child and pool variable
// in that order, rejection of duplicates, then the best P of all 2P slots. The
// fitness is minimised (LOF). Returns the genes of the best P, best first.
Sets ReplayGeneration(GenAlg& ga, const ChemoData& data, int& mutations) {
  const int p = data.iGAPopSize;
  const int k = data.iGAFirstSize;
  std::vector<GenPop> slots;
  for (int i = 0; i < p; ++i) slots.push_back(ga.CopyIndividual(i));
  slots.resize(2 * p, GenPop{std::vector<int>(k, -1), k, CheckedValue(1e99L, true)});
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
  Sets best;
  for (int s = 0; s < p; ++s) best.push_back(Sorted(slots[order[s]].genes));
  return best;
}

TEST(GenAlgTest, GenerationsFollowTheDrawOrderOfTournamentsCrossoverAndMutation) {
  // D3 and D4 repeat D1 and D2, so equal fitness values are common and the
  // tournaments' tie rule decides; pairs of a variable and its copy fail to fit.
  FixedClock clock(21);
  GaSearch search(MakeLinearData(12, 6, {{1, 1.0L}, {2, 1.0L}}, 0.3L, 63), 2, 2, 6, 0, 2, 2);
  searchtest::MakeLinearCopy(*search.data, 1, 3, 1.0L, 0.0L);
  searchtest::MakeLinearCopy(*search.data, 2, 4, 1.0L, 0.0L);
  ModelSearchEngine engine(ModelSearchEngine::ModeGeneticOnly, &search.list, search.data.get());
  engine.Activate();
  GenAlg& ga = *engine.Genetic();
  int mutations = 0;
  for (int generation = 1; generation <= 12; ++generation) {
    const Sets expected = ReplayGeneration(ga, *search.data, mutations);
    ga.RunGeneration();
    for (int s = 0; s < search.data->iGAPopSize; ++s)
      EXPECT_EQ(Sorted(ga.CopyIndividual(s).genes), expected[s]) << "generation " << generation << " slot " << s;
  }
  EXPECT_GT(mutations, 0);
}

// The building blocks on a size-2 population where D5 is constant: fits with it fail.
class GenAlgPartsTest : public testing::Test {
protected:
  void SetUp() override {
    searchtest::MakeLinearCopy(*search_.data, 0, 5, 0.0L, 1.0L);
    engine_.Activate();
    ga_ = engine_.Genetic();
    ASSERT_NE(ga_, nullptr);
  }

  static GenPop Individual(std::vector<int> genes) {
    const int size = static_cast<int>(genes.size());
    return GenPop{std::move(genes), size};
  }

  FixedClock clock_{3};
  GaSearch search_{MakeLinearData(12, 6, {{2, 1.0L}, {4, 1.0L}}, 0.2L, 53), 2, 2, 4, 0, 3, 2};
  ModelSearchEngine engine_{ModelSearchEngine::ModeGeneticOnly, &search_.list, search_.data.get()};
  GenAlg* ga_ = nullptr;
};

TEST_F(GenAlgPartsTest, ChildRejection) {
  const std::vector<GenPop> population = {Individual({1, 3}), Individual({-1, -1}), Individual({4, 0})};
  struct Case {
    std::vector<int> child;
    int count;
    bool rejected;
  };
  const Case cases[] = {
      {{2, 2}, 3, true},   // a repeated gene
      {{3, 1}, 3, true},   // equal as a set to the first
      {{0, 4}, 3, true},   // to the third
      {{0, 4}, 2, false},  // the third is not compared
      {{0, 2}, 2, false},  // an empty slot matches no child, not even one holding variable 0
      {{-1, 2}, 3, true},  // an empty gene
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.child));
    EXPECT_EQ(ga_->IsRejectedChild(population, c.count, Individual(c.child)), c.rejected);
  }
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
  search_.data->ldQuikDelta = 2.0L;
  ga_->EvaluateFitness(2, good, quik);
  EXPECT_FALSE(quik);
}

}  // namespace
