// One idle step of the internal validation: 2,000 iterations of one kind for one
// model with n = 200 training objects and p = 4 descriptors.
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>

#include "data/ChemoData.h"
#include "data/DataResult.h"
#include "data/TempFiles.h"
#include "numerics/Utils.h"
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
  for (auto _ : state) {
    InternalValidation validation(calculator, &list, data.get(), nullptr);
    for (int k = 0; k < kValidationKindCount; ++k) {
      validation.SetChecked(k, k == kind);
      validation.SetIterationText(k, std::to_string(kIterations));
    }
    validation.Start();
    validation.Step();
  }
  state.counters["iterations/s"] =
      benchmark::Counter(static_cast<double>(kIterations) * state.iterations(), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ValidationStep)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
