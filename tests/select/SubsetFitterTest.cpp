#include "select/SubsetFitter.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <new>
#include <vector>

#include "select/SearchTestData.h"

// Counts the heap allocations of this thread while counting is on: replaces the
// global allocation functions of the test program, which otherwise behave as usual.
// Every form is replaced, so that no allocation reaches a library's operator and
// is freed by ours.
namespace {

thread_local bool counting = false;
thread_local long allocations = 0;

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
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  if (counting) ++allocations;
  return std::malloc(size == 0 ? 1 : size);
}
void* operator new(std::size_t size) {
  if (void* p = operator new(size, std::nothrow)) return p;
  throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return operator new(size, std::nothrow); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
#pragma GCC diagnostic pop

namespace {

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
  const auto data = searchtest::MakeLinearData(80, 10, {{0, 2.0L}, {3, -1.5L}, {5, 0.5L}}, 0.2L, 99);
  const std::vector<uint8_t> mask(80, 1);
  const Matrix response = searchtest::ResponseOf(*data);
  SubsetFitter fitter(*data, mask.data(), 80, response);
  std::vector<std::vector<int>> batch;
  for (int k = 4; k >= 1; --k)
    for (auto& subset : searchtest::Lexicographic(10, k)) batch.push_back(subset);
  // Warm-up: the first subset of each size makes that size's matrices, which the
  // counter must see, or a zero count below would prove nothing.
  EXPECT_GT(AllocationsOf([&] {
              for (const auto& subset : batch) Score(fitter, subset);
            }),
            0);

  int scored = 0;
  const long count = AllocationsOf([&] {
    for (const auto& subset : batch) scored += Score(fitter, subset) ? 1 : 0;
  });
  EXPECT_EQ(count, 0) << "allocations over " << batch.size() << " subsets";
  EXPECT_GT(scored, static_cast<int>(batch.size()) / 2);  // real fits, not early failures
}

TEST(SubsetFitter, RefusesAMaskOrResponseThatDoesNotMatchTheTrainingCount) {
  const auto data = searchtest::MakeLinearData(6, 2, {{0, 1.0L}}, 0.2L, 5);
  const std::vector<uint8_t> mask = {1, 1, 0, 1, 0, 0};
  EXPECT_THROW(SubsetFitter(*data, mask.data(), 4, Matrix(4, 1)), Exception);
  EXPECT_THROW(SubsetFitter(*data, mask.data(), 2, Matrix(2, 1)), Exception);
  EXPECT_THROW(SubsetFitter(*data, mask.data(), 3, Matrix(4, 1)), Exception);
  Matrix response(3, 1);
  for (int r = 0; r < 3; ++r) response.At(r, 0) = r;
  SubsetFitter fitter(*data, mask.data(), 3, response);
  EXPECT_EQ(fitter.TrainingCount(), 3);
}

// One descriptor uncorrelated with the response: Kxy = Kxx = 0, which passes the
// rule with delta 0 and no larger delta.
TEST(SubsetFitter, QuikPassesWhenKxyEqualsKxx) {
  auto data = searchtest::MakeLinearData(4, 1, {}, 0.0L, 1);
  const long double x[4] = {1, -1, 1, -1}, y[4] = {1, 1, -1, -1};
  Matrix response(4, 1);
  for (int i = 0; i < 4; ++i) {
    data->tpChemoValuePtr[i][0].Value = x[i];
    response.At(i, 0) = y[i];
  }
  const std::vector<uint8_t> mask(4, 1);
  SubsetFitter fitter(*data, mask.data(), 4, response);
  const int variable = 0;
  fitter.Load(&variable, 1);
  fitter.ComputeKIndices();
  ASSERT_EQ(fitter.Kxy().Value, 0.0L);
  EXPECT_TRUE(fitter.PassesQuik(0.0L));
  EXPECT_FALSE(fitter.PassesQuik(1e-30L));
}
