// Speed of the model search on a real descriptor table: subsets fitted per second
// for model sizes 1 to 4 and each fitness function, genetic-algorithm generations
// per second, and a whole all-subset run through the search window. The table is
// taken from $KORVANE_SEARCH_DATA or ../shared/data/chembl-1017.txt (name, response, descriptors; tab-separated);
// its first 50 descriptors form the pool and every object is a training object.
#include <benchmark/benchmark.h>

#include <QApplication>

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
#include "numerics/Utils.h"
#include "select/CAsMain.h"
#include "select/GenAlg.h"
#include "select/ModelSearchEngine.h"

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

// One generation of the genetic algorithm for size 4 with a population of 50.
void BM_GaGeneration(benchmark::State& state) {
  ChemoData& data = Table();
  data.iFitnessFunc = static_cast<int>(state.range(0));
  data.iGAFirstSize = 4;
  data.iGAUntil = 4;
  data.iGAPopSize = 50;
  data.iGAGenerations = 0;
  data.iGAMutation = 10;
  DataResultList list(&data);
  ModelSearchEngine engine(ModelSearchEngine::ModeGeneticOnly, &list, &data);
  engine.Activate();
  for (auto _ : state) engine.Genetic()->RunGeneration();
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_GaGeneration)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);

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

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
