// One idle step of the internal validation: 2,000 iterations of one kind for one
// model with n = 200 training objects and p = 4 descriptors; and the two jobs of a
// user on the shared tables (KORVANE_BENCH_DATA names their folder,
// /work/shared/data by default), imported with both descriptor filters on:
// BM_ExampleYScramble, the example table's single model of every kept descriptor,
// Y-scrambling 10 iterations; BM_ChemblLeaveManyOut, a 5-descriptor model of
// chembl-1017.txt, leave-many-out 300 iterations at 30 %. Their arguments: worker
// threads and the fast paths (0: the plain refits of one thread, the code the
// kernels replaced).
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "data/ChemoData.h"
#include "data/DataResult.h"
#include "data/TempFiles.h"
#include "numerics/Utils.h"
#include "platform/base/WorkerThreads.h"
#include "prepare/DataImport.h"
#include "prepare/TableReader.h"
#include "select/SubsetScreen.h"
#include "validate/ExternalValidator.h"
#include "validate/InternalValidation.h"

namespace {

constexpr int kObjects = 200;
constexpr int kDescriptors = 4;
constexpr int kIterations = 2000;

std::unique_ptr<ChemoData> MakeData() {
  auto data = std::make_unique<ChemoData>(kDescriptors + 1, kObjects, kDescriptors);
  for (int i = 0; i < kObjects; ++i) {
    data->ipTrainingPtr[i] = 1;
    long double y = 0.0L;
    for (int v = 0; v < kDescriptors; ++v) {
      const long double x = std::sin(i * (v + 1) * 0.37L) + 0.01L * i;
      data->tpChemoValuePtr[i][v] = CheckedValue(x, false);
      y += (v + 1) * x;
    }
    data->tpChemoValuePtr[i][kDescriptors] = CheckedValue(y + std::cos(i * 1.3L), false);
  }
  return data;
}

// One step: the list's one model validated by one kind, N iterations.
void ValidateStep(ExternalValidator& calculator, DataResultList& list, ChemoData& data, int kind, int iterations,
                  const std::string& percent = "30") {
  InternalValidation validation(calculator, &list, &data, nullptr);
  for (int k = 0; k < kValidationKindCount; ++k) {
    validation.SetChecked(k, k == kind);
    validation.SetIterationText(k, std::to_string(iterations));
  }
  validation.SetLmoPercentText(percent);
  validation.Start();
  validation.Step();
}

void BM_ValidationStep(benchmark::State& state) {
  const int kind = static_cast<int>(state.range(0));
  auto data = MakeData();
  DataResultList list(data.get());
  DataResultNode& model = *list.Append();
  model.iSelStatus = 1;
  model.iSize = kDescriptors;
  AllocCheckedArray(model.ipSelVarIdxPtr, kDescriptors, "*ipSelVarIdxPtr");
  for (int v = 0; v < kDescriptors; ++v) model.ipSelVarIdxPtr[v] = v;
  ExternalValidator calculator(false, &list, data.get());
  for (auto _ : state) ValidateStep(calculator, list, *data, kind, kIterations);
  state.counters["iterations/s"] =
      benchmark::Counter(static_cast<double>(kIterations) * state.iterations(), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ValidationStep)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);

// A shared table imported with both filters on, every object a training object,
// "Activity" the response; empty when the file cannot be read.
std::unique_ptr<ChemoData> ImportTable(const std::string& name) {
  const char* folder = std::getenv("KORVANE_BENCH_DATA");
  std::ifstream in(std::string(folder != nullptr ? folder : "/work/shared/data") + "/" + name, std::ios::binary);
  if (!in) return nullptr;
  std::stringstream bytes;
  bytes << in.rdbuf();
  ImportSettings settings;
  settings.ConstFilter = true;
  settings.CorrFilter = true;
  const TextTableCells cells(ReadDelimitedTable(bytes.str(), '\t'));
  DataImport import(cells, settings);
  import.ReadValues(nullptr);
  import.FilterConstant(nullptr);
  import.FilterCorrelated(nullptr);
  auto data = std::make_unique<ChemoData>();
  import.Fill(*data);
  for (int v = 0; v < data->iVarCount; ++v)
    if (data->tpVarNameStrPtr[v] == "Activity") data->iResponseIndex = v;
  for (int i = 0; i < data->iObjCount; ++i) data->ipTrainingPtr[i] = 1;
  return data;
}

// One model of the table's first `size` descriptors (every one for size 0) validated
// by one kind, N iterations, on the given threads and paths.
void ValidateOneModel(benchmark::State& state, const std::string& table, int size, int kind, int iterations,
                      const std::string& percent) {
  const std::unique_ptr<ChemoData> data = ImportTable(table);
  if (!data) {
    state.SkipWithError((table + " not found").c_str());
    return;
  }
  SetWorkerThreadCount(static_cast<int>(state.range(0)));
  SetSearchFastPaths(state.range(1) != 0);
  ParallelFor(WorkerThreadCount(), 1e9, [](int) {});  // the helpers start before the timing
  DataResultList list(data.get());
  DataResultNode& model = *list.Append();
  model.iSelStatus = 1;
  model.iSize = 0;
  AllocCheckedArray(model.ipSelVarIdxPtr, data->iVarCount, "*ipSelVarIdxPtr");
  for (int v = 0; v < data->iVarCount && (size == 0 || model.iSize < size); ++v)
    if (v != data->iResponseIndex) model.ipSelVarIdxPtr[model.iSize++] = v;
  ExternalValidator calculator(false, &list, data.get());
  for (auto _ : state) ValidateStep(calculator, list, *data, kind, iterations, percent);
  state.counters["p"] = model.iSize;
  state.counters["n"] = calculator.TrainingCount();
  SetWorkerThreadCount(0);
  SetSearchFastPaths(true);
}

void BM_ExampleYScramble(benchmark::State& state) { ValidateOneModel(state, "example.txt", 0, kYScramble, 10, "30"); }
BENCHMARK(BM_ExampleYScramble)
    ->Args({1, 0})
    ->Args({1, 1})
    ->Args({8, 1})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

void BM_ChemblLeaveManyOut(benchmark::State& state) {
  ValidateOneModel(state, "chembl-1017.txt", 5, kLeaveManyOut, 300, "30");
}
BENCHMARK(BM_ChemblLeaveManyOut)
    ->Args({1, 0})
    ->Args({1, 1})
    ->Args({8, 1})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
