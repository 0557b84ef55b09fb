#include "select/SubsetFitter.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <new>
#include <vector>

#include "numerics/ModelCalc.h"
#include "select/SearchTestData.h"

// Counts the heap allocations of this thread while counting is on: replaces the
// global allocation functions of the test program, which otherwise behave as usual.
namespace {

thread_local bool counting = false;
thread_local long allocations = 0;

void* CountedAllocation(std::size_t size) noexcept {
  if (counting) ++allocations;
  return std::malloc(size == 0 ? 1 : size);
}

// The allocations made by action.
template <typename Action>
long AllocationsOf(Action action) {
  allocations = 0;
  counting = true;
  action();
  counting = false;
  return allocations;
}

}  // namespace

void* operator new(std::size_t size) {
  if (void* p = CountedAllocation(size)) return p;
  throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return ::operator new(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return CountedAllocation(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return CountedAllocation(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

namespace {

struct Fixture {
  std::unique_ptr<ChemoData> data;
  std::vector<uint8_t> mask;
  Matrix response;
};

Fixture MakeFixture(int nObj, int nDesc) {
  Fixture f{searchtest::MakeLinearData(nObj, nDesc, {{0, 2.0L}, {3, -1.5L}, {5, 0.5L}}, 0.2L, 99),
            std::vector<uint8_t>(nObj, 1), Matrix(nObj, 1)};
  for (int i = 0; i < nObj; ++i) f.response.At(i, 0) = f.data->tpChemoValuePtr[i][nDesc].Value;
  return f;
}

// Every subset of size k of pool variables, in lexicographic order.
void Subsets(int pool, int k, std::vector<int>& prefix, std::vector<std::vector<int>>& out) {
  if (static_cast<int>(prefix.size()) == k) {
    out.push_back(prefix);
    return;
  }
  for (int v = prefix.empty() ? 0 : prefix.back() + 1; v < pool; ++v) {
    prefix.push_back(v);
    Subsets(pool, k, prefix, out);
    prefix.pop_back();
  }
}

// Everything the search asks of a subset: K indices, fit, PRESS and each fitness.
bool Score(SubsetFitter& fitter, const std::vector<int>& variables) {
  fitter.Load(variables.data(), static_cast<int>(variables.size()));
  fitter.ComputeKIndices();
  bool scored = fitter.Fit() && fitter.ComputePress();
  for (int id = 0; id < 4; ++id) scored = !fitter.Fitness(id, 1.0L).Missing && scored;
  return scored;
}

}  // namespace

// After one subset of each size, fitting any number of further subsets of those
// sizes, in the search's mix of sizes, allocates nothing.
TEST(SubsetFitter, SubsetsOfSizesSeenBeforeAreScoredWithoutAllocating) {
  Fixture f = MakeFixture(80, 10);
  SubsetFitter fitter(*f.data, f.mask.data(), 80, f.response);
  std::vector<std::vector<int>> batch;
  for (int k = 4; k >= 1; --k) {
    std::vector<int> prefix;
    Subsets(10, k, prefix, batch);
  }
  // Warm-up: the first subset of each size makes that size's matrices (which the
  // counter sees: it is live).
  for (std::size_t s = 0; s < batch.size(); ++s)
    if (s == 0 || batch[s].size() != batch[s - 1].size())
      EXPECT_GT(AllocationsOf([&] { Score(fitter, batch[s]); }), 0);

  int scored = 0;
  const long count = AllocationsOf([&] {
    for (const auto& subset : batch) scored += Score(fitter, subset) ? 1 : 0;
  });
  EXPECT_EQ(count, 0) << "allocations over " << batch.size() << " subsets";
  EXPECT_GT(scored, static_cast<int>(batch.size()) / 2);  // real fits, not early failures
}

// Subsets of changing sizes give exactly what the routines give on matrices built
// afresh for each subset.
TEST(SubsetFitter, ResultsMatchTheRoutinesOnFreshMatricesWhateverCameBefore) {
  Fixture f = MakeFixture(40, 8);
  const int n = 40;
  SubsetFitter fitter(*f.data, f.mask.data(), n, f.response);
  const std::vector<std::vector<int>> subsets = {{1, 4, 6}, {2}, {0, 3, 5, 7}, {1, 4, 6}, {5, 0}, {0, 3, 5, 7}, {6, 2}};
  for (const auto& subset : subsets) {
    const int k = static_cast<int>(subset.size());
    ASSERT_TRUE(Score(fitter, subset));
    Matrix D(n, k), DY(n, k + 1), X(n, k + 1);
    for (int i = 0; i < n; ++i) {
      X.At(i, 0) = 1.0L;
      for (int j = 0; j < k; ++j) D.At(i, j) = DY.At(i, j) = X.At(i, j + 1) = f.data->tpChemoValuePtr[i][subset[j]].Value;
    }
    long double kxx, kxy, ssReg, ssTot, press;
    bool kxxMissing, kxyMissing;
    KIndices(D, DY, f.response, kxx, kxxMissing, kxy, kxyMissing, k);
    EXPECT_EQ(fitter.Kxx().Value, kxx);
    EXPECT_EQ(fitter.Kxy().Value, kxy);
    Matrix b(k + 1, 1), fitted(n, 1), loo(n, 1);
    ASSERT_TRUE(FitModel(ssReg, ssTot, &press, &b, &loo, n, k, f.response, X, &fitted));
    EXPECT_EQ(fitter.SSreg(), ssReg);
    EXPECT_EQ(fitter.Press(), press);
    for (int j = 0; j <= k; ++j) EXPECT_EQ(fitter.Coefficients().At(j, 0), b.At(j, 0));
    for (int i = 0; i < n; ++i) {
      EXPECT_EQ(fitter.FittedValues().At(i, 0), fitted.At(i, 0));
      EXPECT_EQ(fitter.LooPredictions().At(i, 0), loo.At(i, 0));
    }
  }
}
