#include "select/GenAlg.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "data/DataResult.h"
#include "numerics/Utils.h"
#include "data/FileVersionTags.h"
#include "data/RecordStreams.h"
#include "platform/base/Stream.h"
#include "platform/base/WorkerThreads.h"
#include "select/SubsetScreen.h"
#include "platform/base/Random.h"
#include "select/Fitness.h"
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
  void GaIterationText(const std::string& text) override { generations.push_back(text); }
  void CloseWindow() override { ++closes; }
};

Sets ModelSets(const DataResultList& list) {
  Sets sets = searchtest::Models(list);
  for (auto& set : sets) std::sort(set.begin(), set.end());
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
  EXPECT_EQ(search.data->iAllSubsetUntil, 4);
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

// Settings a window or file could pass are checked: a population whose double is
// no int is refused with a report, at the start and inside the idle step (which
// then ends the run with the sizes done), and a negative display count shows none.
TEST(GenAlgTest, ImpossibleSettingsAreReportedNotObeyed) {
  FixedClock clock(9);
  const int huge = LargestInt() / 2 + 1;
  const std::string refusal = "Invalid population size for the genetic algorithm: " + std::to_string(huge);
  GaSearch alone(MakeLinearData(10, 4, {{0, 1.0L}}, 0.2L, 3), 2, 2, huge, 1, 2, 1);
  ModelSearchEngine engine(ModelSearchEngine::ModeGeneticOnly, &alone.list, alone.data.get(), &alone.view);
  engine.Activate();
  EXPECT_EQ(engine.Genetic(), nullptr);
  EXPECT_EQ(TestUi().Shown().back().text, refusal);

  GaSearch after(MakeLinearData(10, 4, {{0, 1.0L}}, 0.2L, 3), 2, 3, huge, 1, 2, 1);
  after.data->iAllSubsetUntil = 1;
  after.RunUntilClosed(ModelSearchEngine::ModeAllSubsets);
  EXPECT_EQ(after.list.Count(), 4);
  EXPECT_EQ(after.data->iAllSubsetUntil, 1);
  EXPECT_EQ(std::count_if(TestUi().Shown().begin(), TestUi().Shown().end(),
                          [&](const auto& message) { return message.text == refusal; }),
            2);

  struct RowsView : SearchView {
    std::vector<SearchGridRow> rows;
    int bestPerSize = 0;
    void ShowGaModels(const std::vector<SearchGridRow>& shown) override { rows = shown; }
    void SelectBestPerSizeItem(int item) override { bestPerSize = item; }
    void StatusText(const std::string& text) override { status = text; }
    std::string status;
  } view;
  GaSearch small(MakeLinearData(10, 4, {{0, 1.0L}}, 0.2L, 3), 2, 2, 4, 5, 2, 1);
  ModelSearchEngine shown(ModelSearchEngine::ModeGeneticOnly, &small.list, small.data.get(), &view);
  const std::size_t reports = TestUi().Shown().size();
  shown.Activate();
  ASSERT_NE(shown.Genetic(), nullptr);
  EXPECT_EQ(TestUi().Shown().size(), reports);  // a full population: no report
  EXPECT_EQ(view.bestPerSize, 1);
  EXPECT_EQ(view.status, "Running genetic algorithm: 2 variables");
  ASSERT_EQ(view.rows.size(), 4u);  // min(10 shown, P)
  for (int i = 0; i < 4; ++i) {
    const GenPop individual = shown.Genetic()->CopyIndividual(i);
    EXPECT_EQ(view.rows[i].rank, i + 1);
    EXPECT_EQ(view.rows[i].fitness, GridFitnessText(individual.fitness.Value));
    EXPECT_EQ(view.rows[i].descriptors,
              "D" + std::to_string(individual.genes[0]) + " D" + std::to_string(individual.genes[1]) + " ");
  }
  shown.SetDisplayCountChoice(-3);
  shown.Genetic()->ShowBestModels();
  EXPECT_TRUE(view.rows.empty());

  // Listed smaller models: the best n of each size are shown beside the population.
  const long double r2adj[3] = {0.1L, 0.3L, 0.2L};
  for (int v = 0; v < 3; ++v) {
    DataResultNode* node = small.list.Append();
    node->iSize = 1;
    AllocCheckedArray(node->ipSelVarIdxPtr, 1, "variable");
    node->ipSelVarIdxPtr[0] = v;
    node->cvR2adj = CheckedValue(r2adj[v], false);
  }
  ModelSearchEngine withModels(ModelSearchEngine::ModeGeneticOnly, &small.list, small.data.get(), &view);
  withModels.Activate();
  auto sizeOneRows = [&] {
    std::vector<std::string> names;
    for (const auto& row : view.rows)
      if (row.size == 1) names.push_back(row.descriptors);
    return names;
  };
  EXPECT_EQ(sizeOneRows(), std::vector<std::string>{"D1 "});
  withModels.SetBestPerSizeChoice(2);
  withModels.Genetic()->ShowBestModels();
  EXPECT_EQ(sizeOneRows(), (std::vector<std::string>{"D1 ", "D2 "}));
}

GenPop Individual(std::vector<int> genes) {
  const int size = static_cast<int>(genes.size());
  return GenPop{std::move(genes), size};
}

// Hands out the given draws in turn and records each bound asked for.
struct ScriptedDraws : GaDraws {
  explicit ScriptedDraws(std::vector<int> script) : values(std::move(script)) {}
  int Int(int n) override {
    bounds.push_back(n);
    return values.at(bounds.size() - 1);
  }
  std::vector<int> values, bounds;
};

// A pool of data-set variables 7, 2, 11, 4 and 9 (positions differ from variables);
// the response lies on D2 and D7.
struct PoolSearch : GaSearch {
  PoolSearch(int first, int population, int mutation)
      : GaSearch(MakeLinearData(16, 12, {{2, 1.0L}, {7, 1.0L}}, 0.1L, 71), first, first, population, 3, mutation, 1) {
    const int pool[] = {7, 2, 11, 4, 9};
    std::copy(pool, pool + 5, data->ipSelectedVarPtr);
    data->iSelectedVarCount = data->iEnumSize = 5;
  }

  // Runs the all-subset search of the settings, then sets the GA's first size.
  void RunAllSubsetsThenStartGaAt(int size) {
    ModelSearchEngine subsets(ModelSearchEngine::ModeAllSubsets, &list, data.get());
    subsets.Activate();
    while (!subsets.TimerWantsClose()) subsets.IdleStep();
    data->iGAFirstSize = size;
  }
};

// Two tournaments (ties to the second drawn, a drawn pair redrawn, the excluded
// winner drawn again), the crossover after gene `cut`, and a mutation drawn with
// probability 1 in m that replaces the gene of the child drawn by a pool variable.
TEST(GenAlgTest, OperatorsFollowTheirDrawsTracedByHand) {
  FixedClock clock(21);
  PoolSearch search(3, 4, 7);
  ModelSearchEngine engine(ModelSearchEngine::ModeGeneticOnly, &search.list, search.data.get(), &search.view);
  engine.Activate();
  ASSERT_NE(engine.Genetic(), nullptr);
  GenAlg& ga = *engine.Genetic();
  const GenPop empty = Individual({-1, -1, -1});
  const std::vector<GenPop> start = {Individual({7, 2, 11}), Individual({4, 9, 2}), Individual({11, 4, 9}),
                                     Individual({7, 2, 11}), empty, empty, empty, empty};
  auto fitnessOf = [&](std::vector<int> genes) {
    bool quik = false;
    return ga.EvaluateFitness(3, genes.data(), quik).Value;
  };
  ASSERT_GT(fitnessOf({4, 9, 2}), fitnessOf({11, 4, 9}));

  // Tournament 1: 0 and 3 tie, 3 wins. Tournament 2: 3 again is excluded; 2 and 2
  // are redrawn as a pair; 1 beats 2. Parents {2, 7, 11} and {2, 4, 9} (genes sorted by their
  // fitting) cross after gene 1; gene 1 of child 0 becomes pool position 2, D11.
  std::vector<GenPop> current = start;
  ScriptedDraws draws({0, 3, 0, 3, 2, 2, 1, 2, 1, 0, 1, 1, 2});
  ga.MakeChildren(draws, current, 0);
  EXPECT_EQ(draws.bounds, (std::vector<int>{4, 4, 4, 4, 4, 4, 4, 4, 2, 7, 3, 2, 5}));
  EXPECT_EQ(current[4].genes, (std::vector<int>{2, 9, 11}));
  EXPECT_EQ(current[4].fitness.Value, fitnessOf({2, 9, 11}));
  EXPECT_EQ(current[5].genes, (std::vector<int>{2, 4, 11}));
  EXPECT_FALSE(current[5].fitness.Missing);

  // Individual 0 wins the first tournament (a tie, drawn second); no mutation (the
  // draw is not 0) and a cut after gene 0: both children repeat their parents and
  // stay out.
  current = start;
  ScriptedDraws plain({3, 0, 1, 2, 0, 1});
  ga.MakeChildren(plain, current, 2);
  EXPECT_EQ(plain.bounds, (std::vector<int>{4, 4, 4, 4, 2, 7}));
  EXPECT_TRUE(current[6].Empty());
  EXPECT_TRUE(current[6].fitness.Missing);
  EXPECT_TRUE(current[7].Empty());
}

// For a minimised fitness (LOF) a tie goes to the second drawn as well.
TEST(GenAlgTest, ATieOfAMinimisedFitnessGoesToTheSecondDrawn) {
  FixedClock clock(22);
  PoolSearch search(3, 4, 7);
  search.data->iFitnessFunc = 2;
  ModelSearchEngine engine(ModelSearchEngine::ModeGeneticOnly, &search.list, search.data.get(), &search.view);
  engine.Activate();
  ASSERT_NE(engine.Genetic(), nullptr);
  std::vector<GenPop> current(8, Individual({7, 2, 11}));
  ScriptedDraws draws({0, 3});
  EXPECT_EQ(engine.Genetic()->Tournament(draws, current, -1), 3);
}

// The harvest maps each individual's variables to pool positions and back: every
// model holds pool variables and the fit of exactly those.
TEST(GenAlgTest, HarvestedModelsOfAPoolAreFitsOfTheirVariables) {
  FixedClock clock(4);
  PoolSearch search(3, 4, 3);
  search.RunUntilClosed();
  ASSERT_GT(search.list.Count(), 0);
  const Matrix y = searchtest::ResponseOf(*search.data);
  for (const DataResultNode* node = search.list.First(); node; node = node->Next()) {
    const std::vector<int> variables(node->ipSelVarIdxPtr, node->ipSelVarIdxPtr + node->iSize);
    for (int v : variables) EXPECT_NE(std::count(search.data->ipSelectedVarPtr, search.data->ipSelectedVarPtr + 5, v), 0);
    const searchtest::FreshFit fit(*search.data, y, variables);
    EXPECT_EQ(node->ldpBModelCoeffPtr[0], fit.b.At(0, 0));
  }
}

// The whole run is fixed by the clock: the seeding of size 3 from extended size-2
// models and the draws of every generation. The size-3 models, in harvest order,
// of one such run (a change of seeding, draws or operators changes them).
TEST(GenAlgTest, AReseededRunRepeatsItsModelsExactly) {
  FixedClock clock(99);
  GaSearch search(MakeLinearData(16, 7, {{1, 1.0L}, {4, -1.0L}, {6, 0.5L}}, 0.5L, 5), 2, 3, 24, 2, 3, 1);
  search.data->iAllSubsetUntil = 2;
  search.RunUntilClosed(ModelSearchEngine::ModeAllSubsets);
  // Size 2 holds all 21 pairs: the last 3 individuals find no new pair.
  EXPECT_EQ(TestUi().Shown(0).text,
            "Cannot build 3 of the 24 individuals of the genetic algorithm from the models found: they stay empty.");
  Sets sizeThree;
  for (const auto& set : ModelSets(search.list))
    if (set.size() == 3) sizeThree.push_back(set);
  EXPECT_EQ(sizeThree, (Sets{{2, 5, 6}, {3, 4, 5}, {2, 3, 4}, {2, 4, 5}, {0, 4, 5}, {0, 3, 4}, {4, 5, 6}, {3, 4, 6},
                             {0, 4, 6}, {2, 4, 6}, {1, 3, 5}, {1, 2, 5}, {1, 5, 6}, {1, 2, 3}, {0, 1, 5}, {0, 1, 2},
                             {1, 3, 6}, {1, 2, 6}, {0, 1, 6}, {0, 1, 4}, {1, 4, 5}, {1, 2, 4}, {1, 3, 4}, {1, 4, 6}}));
}

// With too few models of the size, the rest of the population extends the smaller
// models: all four individuals are built, without a report.
TEST(GenAlgTest, SeedingExtendsSmallerModelsWhenTheSizeHasTooFew) {
  FixedClock clock(6);
  PoolSearch search(2, 4, 3);
  search.data->iAllSubsetUntil = 2;
  search.data->iKeepPerSize = 2;
  search.data->iGAFirstSize = 0;
  search.RunAllSubsetsThenStartGaAt(2);
  ASSERT_EQ(search.list.Count(), 4);
  const std::size_t reports = TestUi().Shown().size();
  ModelSearchEngine engine(ModelSearchEngine::ModeGeneticOnly, &search.list, search.data.get());
  engine.Activate();
  ASSERT_NE(engine.Genetic(), nullptr);
  EXPECT_EQ(TestUi().Shown().size(), reports);
  for (int i = 0; i < 4; ++i) EXPECT_FALSE(engine.Genetic()->CopyIndividual(i).Empty()) << i;
}

// With too few models of the size, the other individuals extend the smaller
// models, the best of the list included.
TEST(GenAlgTest, SeedingExtendsTheBestModelOfTheList) {
  FixedClock clock(9);
  PoolSearch search(3, 3, 3);
  search.data->iAllSubsetUntil = 3;
  search.data->iKeepPerSize = 1;
  search.data->iGAFirstSize = 0;
  search.data->iFitnessFunc = 2;  // LOF, smoothed so that a third variable does not pay
  search.data->ldLOFSmoothing = 3.0L;
  search.RunAllSubsetsThenStartGaAt(3);
  const DataResultNode* best = search.list.First();
  for (const DataResultNode* node = best; node; node = node->Next())
    if (node->cvLOF.Value < best->cvLOF.Value) best = node;
  ASSERT_EQ(best->iSize, 2);
  const std::set<int> base(best->ipSelVarIdxPtr, best->ipSelVarIdxPtr + 2);
  ModelSearchEngine engine(ModelSearchEngine::ModeGeneticOnly, &search.list, search.data.get());
  engine.Activate();
  ASSERT_NE(engine.Genetic(), nullptr);
  for (int i = 0; i < 3; ++i) {
    const std::vector<int> genes = engine.Genetic()->CopyIndividual(i).genes;
    for (int variable : base) EXPECT_EQ(std::count(genes.begin(), genes.end(), variable), 1) << i;
  }
}

// Seeding from models of the size takes them from the worst end of the list.
TEST(GenAlgTest, SeedingTakesTheWorstModelsOfTheSize) {
  FixedClock clock(8);
  PoolSearch search(1, 2, LargestInt());
  search.data->iAllSubsetUntil = 1;
  search.data->iKeepPerSize = -1;
  search.data->iGAFirstSize = 0;
  search.RunAllSubsetsThenStartGaAt(1);
  std::vector<std::pair<long double, int>> ranked;
  for (const DataResultNode* node = search.list.First(); node; node = node->Next())
    ranked.emplace_back(node->cvR2adj.Value, node->ipSelVarIdxPtr[0]);
  ASSERT_EQ(ranked.size(), 5u);
  std::sort(ranked.begin(), ranked.end());

  ModelSearchEngine engine(ModelSearchEngine::ModeGeneticOnly, &search.list, search.data.get());
  engine.Activate();
  ASSERT_NE(engine.Genetic(), nullptr);
  EXPECT_EQ(engine.Genetic()->CopyIndividual(0).genes, std::vector<int>{ranked[1].second});
  EXPECT_EQ(engine.Genetic()->CopyIndividual(1).genes, std::vector<int>{ranked[0].second});
}

// A size-2 population where D5 is constant, so fits with it fail.
TEST(GenAlgTest, RejectsDuplicateAndEmptyChildrenAndScoresFailedFitsAsMissing) {
  FixedClock clock(3);
  GaSearch search(MakeLinearData(12, 6, {{2, 1.0L}, {4, 1.0L}}, 0.2L, 53), 2, 2, 4, 0, 3, 2);
  searchtest::MakeLinearCopy(*search.data, 0, 5, 0.0L, 1.0L);
  ModelSearchEngine engine(ModelSearchEngine::ModeGeneticOnly, &search.list, search.data.get());
  engine.Activate();
  ASSERT_NE(engine.Genetic(), nullptr);
  GenAlg& ga = *engine.Genetic();
  const std::vector<GenPop> population = {Individual({1, 3}), Individual({-1, -1}), Individual({4, 0})};
  struct Case {
    std::vector<int> child;
    int count;
    bool rejected;
  };
  const Case cases[] = {
      {{2, 2}, 3, true},   // a repeated gene
      {{3, 1}, 3, true},   // equal as a set to the first
      {{0, 4}, 2, false},  // the third is not compared
      {{0, 2}, 2, false},  // an empty slot matches no child, not even one holding variable 0
      {{-1, 2}, 3, true},  // an empty gene
      {{2, -1}, 3, true},  // an empty gene after a filled one
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.child));
    EXPECT_EQ(ga.IsRejectedChild(population, c.count, Individual(c.child)), c.rejected);
  }
  // A gene outside the pool (the response) is reported once and rejects nothing.
  const std::size_t reports = TestUi().Shown().size();
  for (int call = 0; call < 2; ++call) EXPECT_FALSE(ga.IsRejectedChild(population, 3, Individual({0, 6})));
  ASSERT_EQ(TestUi().Shown().size(), reports + 1);
  EXPECT_EQ(TestUi().Shown().back().text,
            "Cannot find nucleotide indexed as: 6. The program was looking for variable: 6. Internal error, please check.");

  int failed[2] = {5, 1};
  bool quik = false;
  const CheckedValue lof = ga.EvaluateFitness(2, failed, quik);
  EXPECT_TRUE(lof.Missing);
  EXPECT_EQ(lof.Value, fitness::Worst(2));
  int empty[2] = {-1, -1};
  EXPECT_TRUE(ga.EvaluateFitness(2, empty, quik).Missing);
  // The QUIK rule, when on, refuses a pair before it is fitted.
  int fine[2] = {2, 4};
  EXPECT_FALSE(ga.EvaluateFitness(2, fine, quik).Missing);
  search.data->ldQuikDelta = 2.0L;  // no pair passes
  EXPECT_TRUE(ga.EvaluateFitness(2, fine, quik).Missing);
}

std::vector<uint8_t> ListBytes(DataResultList& list) {
  MemoryStream stream;
  list.ReadWrite(&stream, kStreamWrite, FileVersionTags::Count() - 1);
  return stream.Bytes();
}

// Scoring a generation's parents and children on worker threads gives the same
// individuals, the same harvest and the same models as scoring them in turn.
// Generation by generation the fast path holds the same individuals, genes in the
// same order, as the plain path.
TEST(GenAlgTest, TheFastPathKeepsThePlainPathsGenerations) {
  // Each individual's genes, then its fitness and whether it is missing.
  auto generations = [](bool fast, int threads) {
    SetSearchFastPaths(fast);
    SetWorkerThreadCount(threads);
    FixedClock clock(31);
    GaSearch search(MakeLinearData(25, 14, {{2, 1.0L}, {7, -1.0L}, {9, 0.5L}}, 0.3L, 53), 4, 4, 10, 0, 2, 0);
    ModelSearchEngine engine(ModelSearchEngine::ModeGeneticOnly, &search.list, search.data.get());
    engine.Activate();
    std::vector<std::vector<int>> genes;
    std::vector<std::pair<long double, bool>> fitness;
    for (int g = 0; g < 4 && engine.Genetic(); ++g) {
      for (int i = 0; i < 20; ++i) {
        const GenPop individual = engine.Genetic()->CopyIndividual(i);
        genes.push_back(individual.genes);
        fitness.emplace_back(individual.fitness.Value, individual.fitness.Missing);
      }
      engine.Genetic()->RunGeneration();
    }
    return std::make_pair(genes, fitness);
  };
  const auto plain = generations(false, 1);
  ASSERT_EQ(plain.first.size(), 80u);
  for (const int threads : {1, 8}) EXPECT_EQ(generations(true, threads), plain) << threads << " threads";
  SetSearchFastPaths(true);
  SetWorkerThreadCount(0);
}

TEST(GenAlgTest, TheFastPathBreedsTheSameIndividualsAsThePlainPath) {
  for (int id = 0; id < 4; ++id) {
    for (const long double delta : {-1.0L, 0.0L}) {
      SCOPED_TRACE(testing::Message() << "id " << id << " QUIK " << static_cast<double>(delta));
      auto run = [&](bool fast, int threads) {
        SetSearchFastPaths(fast);
        SetWorkerThreadCount(threads);
        FixedClock clock(99);
        GaSearch search(MakeLinearData(25, 14, {{2, 1.0L}, {7, -1.0L}, {9, 0.5L}}, 0.3L, 53), 3, 4, 12, 4, 3, id, 6);
        searchtest::MakeLinearCopy(*search.data, 2, 13, 2.0L, 0.5L);  // an exact copy: failed fits
        search.data->ldQuikDelta = delta;
        search.data->iAllSubsetUntil = 2;
        search.RunUntilClosed(ModelSearchEngine::ModeAllSubsets);
        return ListBytes(search.list);
      };
      const std::vector<uint8_t> plain = run(false, 1);
      EXPECT_GT(plain.size(), 1000u);
      EXPECT_EQ(run(true, 1), plain);
      EXPECT_EQ(run(true, 4), plain);
    }
  }
  SetSearchFastPaths(true);
  SetWorkerThreadCount(0);
}

}  // namespace
