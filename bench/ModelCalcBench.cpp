// Speed of scoring one model as the model search does it: the K indices, the
// least-squares fit and the leave-one-out PRESS, for n objects and p descriptors;
// and of the leave-one-out refits alone, from the model's cross-products.
#include <benchmark/benchmark.h>

#include <vector>

#include "numerics/GramLoo.h"
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

// The leave-one-out refits of one model from its cross-products, as the search runs
// them: n objects, q = p + 1 coefficients, descriptors with means far from 0 and
// unlike scales, as in real descriptor tables.
struct GramModel {
  GramModel(int n, int q) : design(n, q), columns(q, n), response(n, 1), y(static_cast<std::size_t>(n)) {
    MersenneTwister random(777);
    for (int i = 0; i < n; ++i) {
      design.At(i, 0) = 1.0L;
      long double value = 0.0L;
      for (int j = 1; j < q; ++j) {
        design.At(i, j) = 10.0L * j * j + j * (random.RandomReal() - 0.5L);
        value += design.At(i, j) / j;
      }
      response.At(i, 0) = value + random.RandomReal();
      y[static_cast<std::size_t>(i)] = response.At(i, 0);
    }
    Matrix g(q, q), hm(q, 1);
    design.TransposeInto(columns);
    columns.MultiplyInto(design, g);
    columns.MultiplyInto(response, hm);
    for (int j = 0; j < q; ++j) {
      h.push_back(hm.At(j, 0));
      for (int k = 0; k < q; ++k) G.push_back(g.At(j, k));
    }
  }
  Matrix design, columns, response;  // columns: the design transposed
  std::vector<long double> y, G, h;
};

void BM_LooPressFromGram(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const int q = static_cast<int>(state.range(1));
  const GramModel model(n, q);
  std::vector<long double> loo(static_cast<std::size_t>(n));
  for (auto _ : state) {
    long double press = 0.0L;
    const bool ok = LooPressFromGram(n, q, model.G.data(), model.h.data(), model.columns.Data(), model.y.data(), press,
                                     loo.data());
    benchmark::DoNotOptimize(ok);
    benchmark::DoNotOptimize(press);
  }
  state.counters["objects/s"] =
      benchmark::Counter(static_cast<double>(state.iterations()) * n, benchmark::Counter::kIsRate);
}

// What the refits' arithmetic costs on this processor, per operation: an
// extended-precision value loaded from memory and stored back (a refit of q = 4
// makes about 150 loads and 60 stores), and an extended-precision division (26 per
// refit), six independent ones at a time, in registers.
void BM_ExtendedLoadStore(benchmark::State& state) {
  volatile long double values[16] = {1.0L, 2.0L, 3.0L, 4.0L, 5.0L, 6.0L, 7.0L, 8.0L};
  for (auto _ : state)
    for (int i = 0; i < 8; ++i) values[i + 8] = values[i];
  state.counters["ns/op"] = benchmark::Counter(static_cast<double>(state.iterations()) * 8.0,
                                               benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_ExtendedDivision(benchmark::State& state) {
  volatile long double seed = 1.0000000001L;
  const long double divisor = seed;
  long double a = seed, b = seed + 1, c = seed + 2, d = seed + 3, e = seed + 4, f = seed + 5;
  for (auto _ : state) {
    a /= divisor;
    b /= divisor;
    c /= divisor;
    d /= divisor;
    e /= divisor;
    f /= divisor;
  }
  benchmark::DoNotOptimize(a + b + c + d + e + f);
  state.counters["ns/op"] = benchmark::Counter(static_cast<double>(state.iterations()) * 6.0,
                                               benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

}  // namespace

BENCHMARK(BM_ExtendedLoadStore);
BENCHMARK(BM_ExtendedDivision);
BENCHMARK(BM_LooPressFromGram)->ArgsProduct({{1017}, {2, 3, 4, 5}})->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ScoreModel)->ArgsProduct({{50, 200}, {1, 2, 3, 4, 5, 6}})->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
