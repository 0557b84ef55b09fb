#include "select/SubsetFitter.h"
#include "platform/base/JoinableLoops.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <new>
#include <vector>

#include "numerics/NumericsTestSupport.h"
#include "prepare/SetupTestData.h"
#include "select/SearchTestData.h"
#include "select/SubsetScreen.h"

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
// sizes, in the search's mix of sizes, allocates nothing, on the plain path and
// from the pool's sums.
TEST(SubsetFitter, SubsetsOfSizesSeenBeforeAreScoredWithoutAllocating) {
  for (const bool pooled : {false, true}) {
  SCOPED_TRACE(pooled ? "from the pool" : "plain");
  const auto data = searchtest::MakeLinearData(80, 10, {{0, 2.0L}, {3, -1.5L}, {5, 0.5L}}, 0.2L, 99);
  const std::vector<uint8_t> mask(80, 1);
  const Matrix response = searchtest::ResponseOf(*data);
  SubsetFitter fitter(*data, mask.data(), 80, response);
  if (pooled) fitter.UsePoolGram(std::make_shared<const PoolGram>(*data, mask.data(), 80, response));
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

namespace {

// Two fitters of the same training objects, one on the plain routines and one on
// the pool's sums, score each subset with the same bits.
class FastAndPlain {
public:
  // With loops, the fast fitter's refits run in chunks that other threads may join.
  FastAndPlain(const ChemoData& data, const std::vector<uint8_t>& mask, JoinableLoops* loops = nullptr)
      : y_(Training(data, mask)) {
    const int n = y_.Rows();
    plain_ = std::make_unique<SubsetFitter>(data, mask.data(), n, y_);
    fast_ = std::make_unique<SubsetFitter>(data, mask.data(), n, y_);
    fast_->UsePoolGram(std::make_shared<const PoolGram>(data, mask.data(), n, y_));
    fast_->ShareLoops(loops);
  }

  // Scores the subset on both, the K indices first or last, and compares all.
  void Compare(const std::vector<int>& variables, bool indicesFirst) {
    SCOPED_TRACE(testing::Message() << "variables " << testing::PrintToString(variables));
    const int k = static_cast<int>(variables.size());
    for (SubsetFitter* fitter : {plain_.get(), fast_.get()}) {
      fitter->Load(variables.data(), k);
      if (indicesFirst) fitter->ComputeKIndices();
      fitter->Fit();
      fitter->ComputePress();
      if (!indicesFirst) fitter->ComputeKIndices();
    }
    ExpectSameCell(fast_->Kxx(), plain_->Kxx());
    ExpectSameCell(fast_->Kxy(), plain_->Kxy());
    const bool fitted = plain_->Fit();
    ASSERT_EQ(fast_->Fit(), fitted);
    EXPECT_TRUE(SameBits(fast_->SSreg(), plain_->SSreg()));
    EXPECT_TRUE(SameBits(fast_->SStot(), plain_->SStot()));
    if (fitted) {
      ExpectSameColumn(fast_->Coefficients(), plain_->Coefficients());
      ExpectSameColumn(fast_->FittedValues(), plain_->FittedValues());
    }
    ASSERT_EQ(fast_->ComputePress(), plain_->ComputePress());
    EXPECT_TRUE(SameBits(fast_->Press(), plain_->Press()));
    ExpectSameColumn(fast_->LooPredictions(), plain_->LooPredictions());
    for (int id = 0; id < 4; ++id) ExpectSameCell(fast_->Fitness(id, 0.5L), plain_->Fitness(id, 0.5L));
    fits_ += fitted ? 1 : 0;
    failures_ += fitted ? 0 : 1;
    missingKxy_ += plain_->Kxy().Missing ? 1 : 0;
  }

  // Every subset of sizes 1 to maxSize of the variables, in both orders.
  void CompareAll(const std::vector<int>& variables, int maxSize) {
    bool indicesFirst = true;
    for (int size = 1; size <= maxSize; ++size)
      for (const std::vector<int>& positions : searchtest::Lexicographic(static_cast<int>(variables.size()), size)) {
        std::vector<int> subset;
        for (int p : positions) subset.push_back(variables[p]);
        Compare(subset, indicesFirst = !indicesFirst);
      }
  }

  int fits_ = 0, failures_ = 0, missingKxy_ = 0;

private:
  static Matrix Training(const ChemoData& data, const std::vector<uint8_t>& mask) {
    std::vector<long double> values;
    for (int i = 0; i < data.iObjCount; ++i)
      if (mask[i]) values.push_back(data.tpChemoValuePtr[i][data.iResponseIndex].Value);
    Matrix y(static_cast<int>(values.size()), 1);
    for (int r = 0; r < y.Rows(); ++r) y.At(r, 0) = values[r];
    return y;
  }
  static void ExpectSameCell(const CheckedValue& fast, const CheckedValue& plain) {
    EXPECT_EQ(fast.Missing, plain.Missing);
    EXPECT_TRUE(SameBits(fast.Value, plain.Value));
  }
  static void ExpectSameColumn(const Matrix& fast, const Matrix& plain) {
    ASSERT_EQ(fast.Rows(), plain.Rows());
    for (int r = 0; r < plain.Rows(); ++r) EXPECT_TRUE(SameBits(fast.At(r, 0), plain.At(r, 0))) << "row " << r;
  }

  Matrix y_;
  std::unique_ptr<SubsetFitter> plain_, fast_;
};

// Every third object left out of the training set.
std::vector<uint8_t> TrainingMask(const ChemoData& data) {
  std::vector<uint8_t> mask(static_cast<std::size_t>(data.iObjCount), 1);
  for (std::size_t i = 2; i < mask.size(); i += 3) mask[i] = 0;
  return mask;
}

// Descriptors that the fit and the correlations treat apart: exact, near and sum
// copies, a constant, a large mean, values whose squares underflow and overflow.
std::unique_ptr<ChemoData> DesignedData(uint64_t seed) {
  auto data = searchtest::MakeLinearData(30, 12, {{0, 2.0L}, {2, -1.0L}, {11, 0.5L}}, 0.3L, seed);
  searchtest::MakeLinearCopy(*data, 0, 3, 2.0L, 1.0L);
  searchtest::MakeLinearCopy(*data, 2, 4, 1.0L, 1e-12L);
  for (int i = 0; i < data->iObjCount; ++i) {
    CheckedValue* row = data->tpChemoValuePtr[i];
    row[5].Value = row[1].Value + row[2].Value;
    row[6].Value = row[0].Value * (1.0L + 1e-15L * (i % 3));
    row[7].Value = 3.0L;
    row[8].Value += 1e9L;
    row[9].Value *= 1e-2500L;
    row[10].Value *= 1e2470L;
  }
  data->iResponseIndex = 12;
  return data;
}

std::vector<int> AllOf(int count) {
  std::vector<int> variables(static_cast<std::size_t>(count));
  for (int v = 0; v < count; ++v) variables[v] = v;
  return variables;
}

TEST(SubsetFitter, ScoresFromThePoolAsThePlainRoutinesOnTheDesignedTable) {
  auto data = DesignedData(41);
  data->iSelectedVarCount = 11;  // variable 11 outside the pool: the plain routines score it
  JoinableLoops loops;
  FastAndPlain fitters(*data, TrainingMask(*data), &loops);
  fitters.CompareAll(AllOf(12), 3);
  fitters.Compare({0, 0}, true);  // one variable twice
  fitters.Compare({1, 5, 1}, false);
  EXPECT_GT(fitters.fits_, 60) << fitters.failures_ << " " << fitters.missingKxy_;
  EXPECT_GT(fitters.failures_, 50);
  EXPECT_GT(fitters.missingKxy_, 20);
}

// A constant response (no spread to explain) and one whose squares underflow (the
// fit fails for every subset).
TEST(SubsetFitter, ScoresFromThePoolAsThePlainRoutinesForDegenerateResponses) {
  for (const long double scale : {0.0L, 1e-2500L}) {
    SCOPED_TRACE(testing::Message() << "response scale " << static_cast<double>(scale));
    auto data = DesignedData(43);
    for (int i = 0; i < data->iObjCount; ++i) data->tpChemoValuePtr[i][12].Value *= scale;
    FastAndPlain fitters(*data, TrainingMask(*data));
    fitters.CompareAll({0, 1, 2, 3, 7, 8, 9}, 3);
  }
}

TEST(SubsetFitter, ScoresFromThePoolAsThePlainRoutinesOnTheExampleTable) {
  ChemoData data;
  LoadExample(data);
  data.iResponseIndex = 0;
  std::vector<int> pool;
  for (int v = 1; v < data.iVarCount && pool.size() < 10; ++v) {
    bool complete = true;
    for (int i = 0; i < data.iObjCount; ++i) complete = complete && !data.tpChemoValuePtr[i][v].Missing;
    if (complete) pool.push_back(v);
  }
  AllocCheckedArray(data.ipSelectedVarPtr, static_cast<int>(pool.size()), "*ipSelectedVarPtr");
  std::copy(pool.begin(), pool.end(), data.ipSelectedVarPtr);
  data.iSelectedVarCount = static_cast<int>(pool.size());
  FastAndPlain fitters(data, TrainingMask(data));
  fitters.CompareAll(pool, 4);
  EXPECT_GT(fitters.fits_, 200);
}

}  // namespace
