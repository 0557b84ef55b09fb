#include "select/SubsetFitter.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <new>
#include <vector>

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

// The replacement operators allocate with malloc and free with free; GCC cannot
// see that the pairs match.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
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
#pragma GCC diagnostic pop

namespace {

struct Fixture {
  std::unique_ptr<ChemoData> data;
  std::vector<uint8_t> mask;
  Matrix response;
};

Fixture MakeFixture(int nObj, int nDesc) {
  auto data = searchtest::MakeLinearData(nObj, nDesc, {{0, 2.0L}, {3, -1.5L}, {5, 0.5L}}, 0.2L, 99);
  const Matrix response = searchtest::ResponseOf(*data);
  return Fixture{std::move(data), std::vector<uint8_t>(nObj, 1), response};
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
  for (int k = 4; k >= 1; --k)
    for (auto& subset : searchtest::Lexicographic(10, k)) batch.push_back(subset);
  // Warm-up: the first subset of each size makes that size's matrices (which the
  // counter sees: it is live).
  for (std::size_t s = 0; s < batch.size(); ++s)
    if (s == 0 || batch[s].size() != batch[s - 1].size()) {
      EXPECT_GT(AllocationsOf([&] { Score(fitter, batch[s]); }), 0);
    }

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
  SubsetFitter fitter(*f.data, f.mask.data(), 40, f.response);
  const std::vector<std::vector<int>> subsets = {{1, 4, 6}, {2}, {0, 3, 5, 7}, {1, 4, 6}, {5, 0}, {0, 3, 5, 7}, {6, 2}};
  for (const auto& subset : subsets) {
    SCOPED_TRACE(testing::PrintToString(subset));
    ASSERT_TRUE(Score(fitter, subset));
    const searchtest::FreshFit fresh(*f.data, f.response, subset);
    ASSERT_TRUE(fresh.ok);
    EXPECT_EQ(fitter.Kxx().Value, fresh.kxx);
    EXPECT_EQ(fitter.Kxy().Value, fresh.kxy);
    EXPECT_EQ(fitter.SSreg(), fresh.ssReg);
    EXPECT_EQ(fitter.Press(), fresh.press);
    for (int j = 0; j <= fresh.k; ++j) EXPECT_EQ(fitter.Coefficients().At(j, 0), fresh.b.At(j, 0));
    for (int i = 0; i < 40; ++i) {
      EXPECT_EQ(fitter.FittedValues().At(i, 0), fresh.fitted.At(i, 0));
      EXPECT_EQ(fitter.LooPredictions().At(i, 0), fresh.loo.At(i, 0));
    }
  }
}
