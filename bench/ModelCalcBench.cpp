// Speed of scoring one model as the model search does it: the K indices, the
// least-squares fit and the leave-one-out PRESS, for n objects and p descriptors.
#include <benchmark/benchmark.h>

#include "numerics/MersenneTwister.h"
#include "numerics/ModelCalc.h"

namespace {

struct Data {
  Data(int n, int p) : descriptors(n, p), response(n, 1) {
    MersenneTwister random(12345);
    for (int i = 0; i < n; ++i) {
      long double y = 0.0L;
      for (int j = 0; j < p; ++j) {
        descriptors.At(i, j) = random.RandomReal();
        y += (j + 1) * descriptors.At(i, j);
      }
      response.At(i, 0) = y + 0.1L * random.RandomReal();
    }
  }
  Matrix descriptors;
  Matrix response;
};

void BM_ScoreModel(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const int p = static_cast<int>(state.range(1));
  const Data data(n, p);
  for (auto _ : state) {
    Matrix D(data.descriptors);
    Matrix DY(n, p + 1);
    Matrix X(n, p + 1);
    for (int i = 0; i < n; ++i) {
      X.At(i, 0) = 1.0L;
      for (int j = 0; j < p; ++j) DY.At(i, j) = X.At(i, j + 1) = D.At(i, j);
    }
    long double kxx, kxy, ssReg, ssTot, press;
    bool kxxMissing, kxyMissing;
    KIndices(D, DY, data.response, kxx, kxxMissing, kxy, kxyMissing, p);
    Matrix coefficients(p + 1, 1);
    FitModel(ssReg, ssTot, &press, &coefficients, nullptr, n, p, data.response, X, nullptr);
    benchmark::DoNotOptimize(press);
  }
  state.counters["models/s"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

}  // namespace

BENCHMARK(BM_ScoreModel)->ArgsProduct({{50, 200}, {1, 2, 3, 4, 5, 6}})->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
