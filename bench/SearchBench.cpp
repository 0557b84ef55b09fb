// Speed of the model search on a real descriptor table: subsets fitted per second
// for model sizes 1 to 4 and each fitness function, genetic-algorithm generations
// per second, a whole all-subset run through the search window, and the job of the
// numpy anchor (BM_AnchorJob, below). The table is
// taken from $KORVANE_SEARCH_DATA or ../shared/data/chembl-1017.txt (name, response, descriptors; tab-separated);
// its first 50 descriptors form the pool and every object is a training object.
#include <benchmark/benchmark.h>

#include <QApplication>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "data/ChemoData.h"
#include "data/DataResult.h"
#include "numerics/Matrix.h"
#include "numerics/Statistics.h"
#include "numerics/Utils.h"
#include "select/CAsMain.h"
#include "select/GenAlg.h"
#include "select/ModelSearchEngine.h"
#include "select/SubsetScreen.h"
#include "platform/base/WorkerThreads.h"
#include "platform/qt/QtUiServices.h"
#include "support/Memory.h"

namespace {

constexpr int kPool = 50;

std::vector<std::string> SplitTabs(const std::string& line) {
  std::vector<std::string> cells;
  std::stringstream stream(line);
  std::string cell;
  while (std::getline(stream, cell, '\t')) cells.push_back(cell);
  return cells;
}

std::unique_ptr<ChemoData> LoadTable() {
  const char* variable = std::getenv("KORVANE_SEARCH_DATA");
  const char* path = variable ? variable : "../shared/data/chembl-1017.txt";
  std::ifstream file(path);
  if (!file) {
    std::fprintf(stderr, "Cannot read %s: run from beside ../shared or set KORVANE_SEARCH_DATA\n", path);
    std::exit(1);
  }
  std::string line;
  std::getline(file, line);
  const std::vector<std::string> header = SplitTabs(line);
  std::vector<std::vector<std::string>> rows;
  while (std::getline(file, line))
    if (!line.empty()) rows.push_back(SplitTabs(line));
  auto data = std::make_unique<ChemoData>(kPool + 1, static_cast<int>(rows.size()), kPool);
  for (int v = 0; v < kPool; ++v) data->tpVarNameStrPtr[v] = header.at(v + 2);
  data->tpVarNameStrPtr[kPool] = header.at(1);
  for (int i = 0; i < data->iObjCount; ++i) {
    data->tpObjNameStrPtr[i] = rows[i].at(0);
    data->ipTrainingPtr[i] = kStatusTraining;
    for (int v = 0; v < kPool; ++v) data->tpChemoValuePtr[i][v] = CheckedValue(std::stold(rows[i].at(v + 2)), false);
    data->tpChemoValuePtr[i][kPool] = CheckedValue(std::stold(rows[i].at(1)), false);
  }
  AllocCheckedArray(data->ipSelectedVarPtr, kPool, "*ipSelectedVarPtr");
  for (int v = 0; v < kPool; ++v) data->ipSelectedVarPtr[v] = v;
  data->iSelectedVarCount = kPool;
  data->iEnumSize = kPool;
  data->iKeepPerSize = 10;
  return data;
}

ChemoData& Table() {
  static std::unique_ptr<ChemoData> data = LoadTable();
  return *data;
}

// Fits batches of size-k subsets of the pool, starting again when all are done.
void BM_Subsets(benchmark::State& state) {
  ChemoData& data = Table();
  const int k = static_cast<int>(state.range(0));
  data.iFitnessFunc = static_cast<int>(state.range(1));
  DataResultList list(&data);
  ModelSearchEngine engine(ModelSearchEngine::ModeAllSubsets, &list, &data);
  std::vector<uint8_t> training(data.iObjCount);
  engine.BuildObjectMasks(nullptr, training.data(), nullptr);
  Matrix response(data.iObjCount, 1);
  for (int i = 0; i < data.iObjCount; ++i) response.At(i, 0) = data.tpChemoValuePtr[i][kPool].Value;
  engine.SetEngineInputs(data.iObjCount, 0, training.data(), nullptr, &response, nullptr);
  std::vector<int> buffer(k);
  int64_t visited = 0;
  bool more = false;
  for (auto _ : state) {
    if (!more) engine.EnumerateSubsets(buffer.data(), visited, 0, kPool - 1, 0, k);
    more = engine.CalculateModelBatch();
  }
  state.SetItemsProcessed(engine.Processed());
  state.SetLabel(std::string("fitness ") + std::to_string(data.iFitnessFunc));
}
BENCHMARK(BM_Subsets)->ArgsProduct({{1, 2, 3, 4}, {0, 1, 2, 3}})->Unit(benchmark::kMillisecond);

// The genetic algorithm for size 4 with a population of 50, from its start (no
// models yet) through 20 generations: fitness id, threads (0: the plain path).
void BM_GaGeneration(benchmark::State& state) {
  constexpr int kGenerations = 20;
  ChemoData& data = Table();
  data.iFitnessFunc = static_cast<int>(state.range(0));
  const int threads = static_cast<int>(state.range(1));
  SetSearchFastPaths(threads > 0);
  SetWorkerThreadCount(std::max(1, threads));
  data.iGAFirstSize = 4;
  data.iGAUntil = 4;
  data.iGAPopSize = 50;
  data.iGAGenerations = 0;
  data.iGAMutation = 10;
  for (auto _ : state) {
    DataResultList list(&data);
    ModelSearchEngine engine(ModelSearchEngine::ModeGeneticOnly, &list, &data);
    engine.Activate();  // the first population and generation
    for (int g = 1; g < kGenerations; ++g) engine.Genetic()->RunGeneration();
  }
  state.counters["generations/s"] =
      benchmark::Counter(static_cast<double>(kGenerations * state.iterations()), benchmark::Counter::kIsRate);
  SetSearchFastPaths(true);
  SetWorkerThreadCount(0);
}
BENCHMARK(BM_GaGeneration)
    ->ArgsProduct({{0, 1, 2, 3}, {0, 1, 4, 8}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MeasureProcessCPUTime();

// A whole all-subset run up to size 2 (1,275 subsets, Q2loo), as the engine alone
// steps it, as the search window's handlers step it, and as the shown window runs
// it from the event loop (idle steps back to back, the 50 ms timer closing it).
enum RunDriver { kEngine, kWindowSteps, kEventLoop };

int64_t RunAllSubsets(ChemoData& data, RunDriver driver) {
  data.iAllSubsetUntil = 2;
  data.iGAFirstSize = 0;
  data.iFitnessFunc = 0;
  DataResultList list(&data);
  if (driver == kEngine) {
    ModelSearchEngine engine(ModelSearchEngine::ModeAllSubsets, &list, &data);
    engine.Activate();
    while (!engine.TimerWantsClose()) engine.IdleStep();
    return engine.Processed();
  }
  TCalcAllSubForm form(nullptr, ModelSearchEngine::ModeAllSubsets, &list, &data);
  if (driver == kWindowSteps) {
    form.FormActivate();
    while (!form.Closed()) {
      form.IdleStep();
      form.TimerTimer();
    }
  } else {
    form.show();
    while (!form.Closed()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  }
  return form.Engine().Processed();
}

void BM_AllSubsetRun(benchmark::State& state) {
  ChemoData& data = Table();
  int64_t subsets = 0;
  for (auto _ : state) subsets += RunAllSubsets(data, static_cast<RunDriver>(state.range(0)));
  state.SetItemsProcessed(subsets);
  const char* labels[] = {"engine", "window steps", "window event loop"};
  state.SetLabel(labels[state.range(0)]);
}
BENCHMARK(BM_AllSubsetRun)->DenseRange(kEngine, kEventLoop)->Iterations(3)->Unit(benchmark::kMillisecond);

// The job a user would otherwise script (../shared/bench/numpy_anchor.py): a table's
// response ($KORVANE_ANCHOR_DATA, by default the example table) and its first
// `descriptors` descriptors less those with a missing value, a constant one or a
// near copy (|r| >= 0.999999) of an earlier one (47 of the example table's first
// 50); every subset of sizes 1 to $KORVANE_ANCHOR_SIZES (default 4: 195,708 on the
// example table), 10 models kept per size, QUIK off.
// A descriptor is also left out where one value fills `share` of the objects or more
// (1: a constant one) or where it correlates with an earlier one by |r| >= limit.
std::unique_ptr<ChemoData> LoadAnchorJob(int descriptors, double share = 1.0, long double limit = 0.999999L) {
  const char* variable = std::getenv("KORVANE_ANCHOR_DATA");
  std::ifstream file(variable ? variable : "../shared/data/example.txt");
  if (!file) {
    std::fprintf(stderr, "Cannot read the example table: run from beside ../shared or set KORVANE_ANCHOR_DATA\n");
    std::exit(1);
  }
  std::string line;
  std::getline(file, line);
  const std::vector<std::string> header = SplitTabs(line);
  const int columnCount = std::min(descriptors + 1, static_cast<int>(header.size()) - 1);
  std::vector<std::vector<long double>> columns(static_cast<std::size_t>(columnCount));
  int objects = 0;
  while (std::getline(file, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) continue;
    const std::vector<std::string> cells = SplitTabs(line);
    for (int c = 0; c < columnCount; ++c) columns[c].push_back(std::stold(cells.at(c + 1)));
    ++objects;
  }
  std::vector<int> kept;
  for (int c = 1; c < columnCount; ++c) {
    const std::vector<long double>& x = columns[c];
    if (std::count(x.begin(), x.end(), -999.0L) > 0 || std::count(x.begin(), x.end(), x[0]) == objects) continue;
    std::vector<long double> sorted = x;
    std::sort(sorted.begin(), sorted.end());
    int longestRun = 0;
    for (std::size_t i = 0, j = 0; i < sorted.size(); i = j) {
      for (j = i; j < sorted.size() && sorted[j] == sorted[i]; ++j) {
      }
      longestRun = std::max(longestRun, static_cast<int>(j - i));
    }
    if (longestRun >= share * objects) continue;
    bool copy = false;
    for (int other : kept) {
      Matrix pair(objects, 2);
      for (int i = 0; i < objects; ++i) pair.At(i, 0) = x[i], pair.At(i, 1) = columns[other][i];
      copy = copy || std::fabs(PairCorrelation(pair, 0, 1)) >= limit;
    }
    if (!copy) kept.push_back(c);
  }
  const int pool = static_cast<int>(kept.size());
  auto data = std::make_unique<ChemoData>(pool + 1, objects, pool);
  for (int v = 0; v < pool; ++v) data->tpVarNameStrPtr[v] = header.at(kept[v] + 1);
  data->tpVarNameStrPtr[pool] = header.at(1);
  for (int i = 0; i < objects; ++i) {
    data->tpObjNameStrPtr[i] = "O" + std::to_string(i);
    data->ipTrainingPtr[i] = kStatusTraining;
    for (int v = 0; v < pool; ++v) data->tpChemoValuePtr[i][v] = CheckedValue(columns[kept[v]][i], false);
    data->tpChemoValuePtr[i][pool] = CheckedValue(columns[0][i], false);
  }
  AllocCheckedArray(data->ipSelectedVarPtr, pool, "*ipSelectedVarPtr");
  for (int v = 0; v < pool; ++v) data->ipSelectedVarPtr[v] = v;
  data->iSelectedVarCount = pool;
  data->iEnumSize = pool;
  data->iResponseIndex = pool;
  data->iKeepPerSize = 10;
  const char* sizes = std::getenv("KORVANE_ANCHOR_SIZES");
  data->iAllSubsetUntil = sizes ? std::atoi(sizes) : 4;
  data->ldQuikDelta = -1.0L;
  return data;
}

// Runs a whole all-subset search as the search window runs it, on the given number
// of threads (0: the plain path); counters: subsets per second of real time, the
// subsets screened and the models kept.
void RunAnchorSearch(benchmark::State& state, ChemoData& data, int threads) {
  SetSearchFastPaths(threads > 0);
  SetWorkerThreadCount(std::max(1, threads));
  // The program starts its helper threads once, at its first parallel work (the
  // import of the table): start them before the timing too.
  ParallelFor(WorkerThreadCount(), 1e9, [](int) {});
  int64_t subsets = 0, screened = 0, kept = 0;
  double listMB = 0.0;
  for (auto _ : state) {
    const double before = benchsupport::ResidentMB();
    DataResultList list(&data);
    ModelSearchEngine engine(ModelSearchEngine::ModeAllSubsets, &list, &data);
    engine.Activate();
    while (!engine.TimerWantsClose()) engine.IdleStep();
    subsets += engine.Processed();
    screened = engine.Screened();
    kept = list.Count();
    listMB = benchsupport::ResidentMB() - before;
  }
  if (kept > 0) state.counters["kB/model"] = 1024.0 * listMB / static_cast<double>(kept);
  state.counters["subsets/s"] = benchmark::Counter(static_cast<double>(subsets), benchmark::Counter::kIsRate);
  state.counters["screened"] = static_cast<double>(screened);
  state.counters["kept"] = static_cast<double>(kept);
  state.SetLabel("pool " + std::to_string(data.iSelectedVarCount));
  SetSearchFastPaths(true);
  SetWorkerThreadCount(0);
}

// The anchor job: fitness id, QUIK (0 off, 1 at 0.000), threads.
void BM_AnchorJob(benchmark::State& state) {
  static std::unique_ptr<ChemoData> data = LoadAnchorJob(50);
  data->iFitnessFunc = static_cast<int>(state.range(0));
  data->ldQuikDelta = state.range(1) == 0 ? -1.0L : 0.0L;
  RunAnchorSearch(state, *data, static_cast<int>(state.range(2)));
}
BENCHMARK(BM_AnchorJob)
    ->ArgsProduct({{0, 1, 2, 3}, {0, 1}, {0, 1, 4, 8}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MeasureProcessCPUTime()
    ->Iterations(1);

// The anchor job (Q2loo, QUIK off) as the program runs it, with the window
// system's services: every subset's Escape poll processes the pending events.
// Threads.
void BM_AnchorJobQtServices(benchmark::State& state) {
  static std::unique_ptr<ChemoData> data = LoadAnchorJob(50);
  data->iFitnessFunc = 0;
  data->ldQuikDelta = -1.0L;
  QtUiServices services;
  InstallUi(&services);
  RunAnchorSearch(state, *data, static_cast<int>(state.range(0)));
}
BENCHMARK(BM_AnchorJobQtServices)
    ->Arg(1)
    ->Arg(8)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MeasureProcessCPUTime()
    ->Iterations(1);

// Every model kept: the anchor table's descriptors, all of them, filtered as above
// and as the import's filters would (a value in 80 % of the objects, |r| >= 0.95):
// 95 of chembl-1017.txt; Q2loo; threads, the largest subset size (3: every subset
// of sizes 1 to 3, about three minutes on one thread; 2: a short version). The
// counter kB/model is the growth of the resident memory while the list is kept,
// per kept model.
void BM_KeepAllJob(benchmark::State& state) {
  static std::unique_ptr<ChemoData> data = LoadAnchorJob(100000, 0.8, 0.95L);
  data->iFitnessFunc = 0;
  data->iKeepPerSize = -1;
  data->iAllSubsetUntil = static_cast<int>(state.range(1));
  RunAnchorSearch(state, *data, static_cast<int>(state.range(0)));
}
BENCHMARK(BM_KeepAllJob)
    ->ArgsProduct({{1, 8}, {2, 3}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MeasureProcessCPUTime()
    ->Iterations(1);

}  // namespace
