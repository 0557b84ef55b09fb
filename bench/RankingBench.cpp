// Speed of the multi-criteria ranking: the pairwise scores of n selected
// objects on c criteria and the sort of the scores, as the ranking window runs them.
#include <benchmark/benchmark.h>

#include "data/ChemoData.h"
#include "numerics/MersenneTwister.h"
#include "prepare/McdmRanking.h"

namespace {

void BM_RankObjects(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const int c = static_cast<int>(state.range(1));
  ChemoData data(c, n, -1);
  MersenneTwister random(2024);
  for (int i = 0; i < n; ++i)
    for (int j = 0; j < c; ++j) data.tpChemoValuePtr[i][j].Value = random.RandomReal();
  std::vector<int32_t> selected(n);
  for (int i = 0; i < n; ++i) selected[i] = i;
  std::vector<McdmCriterion> criteria;
  for (int j = 0; j < c; ++j) criteria.push_back({j, 1.0L / c, j % 2 == 0});
  for (auto _ : state) {
    McdmOrder order = OrderByScore(McdmScores(data, selected, criteria, nullptr));
    benchmark::DoNotOptimize(order.descending.data());
  }
}

}  // namespace

BENCHMARK(BM_RankObjects)->Args({1000, 10})->Args({5000, 10})->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
