#include "select/SubsetScreen.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <numeric>
#include <vector>

#include "prepare/SetupTestData.h"
#include "select/SearchTestData.h"
#include "select/Fitness.h"
#include "select/SubsetFitter.h"

namespace {

// The training rows and response of every object of the data set.
struct Training {
  explicit Training(const ChemoData& data) : mask(data.iObjCount, 1), response(searchtest::ResponseOf(data)) {}
  std::vector<uint8_t> mask;
  Matrix response;
};

// How often the screen was sure, out of how many subsets and fitness ids.
struct Screened {
  int decided = 0;
  int total = 0;
};

// Screens each subset of pool positions (the pool is data's selected variables)
// against the plain fit of the subset on every object: against the fitted
// fitness itself the screen never claims "surely worse"; against a value a
// little better it is counted when it does.
Screened ScreenAgainstTheFit(const ChemoData& data, const searchtest::Sets& subsets) {
  Training training(data);
  SubsetScreen screen(std::make_shared<const PoolGram>(data, training.mask.data(), data.iObjCount, training.response));
  SubsetFitter fitter(data, training.mask.data(), data.iObjCount, training.response);
  Screened screened;
  for (const std::vector<int>& positions : subsets) {
    const int k = static_cast<int>(positions.size());
    std::vector<int> variables;
    for (int p : positions) variables.push_back(data.ipSelectedVarPtr[p]);
    for (int id = 0; id < 4; ++id) {
      ++screened.total;
      fitter.Load(variables.data(), k);
      const CheckedValue fitted = fitter.Fitness(id, 1.0L);
      if (fitted.Missing) continue;  // a failed fit: never kept, screened or not
      EXPECT_FALSE(screen.SurelyWorse(positions.data(), k, id, 1.0L, fitted.Value)) << k << " " << id;
      const long double better = fitted.Value + (fitness::IsMaximised(id) ? 1e-3L : -1e-3L) * std::fabs(fitted.Value);
      screened.decided += screen.SurelyWorse(positions.data(), k, id, 1.0L, better) ? 1 : 0;
    }
  }
  return screened;
}

TEST(SubsetScreen, ClaimsSurelyWorseOnlyOfWhatTheFitFindsWorse) {
  ChemoData data;
  LoadExample(data);
  data.iResponseIndex = 0;
  std::vector<int> pool;
  for (int v = 1; v < data.iVarCount && pool.size() < 8; ++v) pool.push_back(v);
  AllocCheckedArray(data.ipSelectedVarPtr, 8, "*ipSelectedVarPtr");
  std::copy(pool.begin(), pool.end(), data.ipSelectedVarPtr);
  data.iSelectedVarCount = 8;
  searchtest::Sets subsets;
  for (int k = 1; k <= 6; ++k)  // every row pass of a fixed size
    for (const std::vector<int>& positions : searchtest::Lexicographic(8, k)) subsets.push_back(positions);
  const Screened screened = ScreenAgainstTheFit(data, subsets);
  EXPECT_GT(screened.decided, screened.total / 2) << screened.decided << " of " << screened.total;
}

// Subsets of 7 to 15 descriptors take the pass whose size is not fixed.
TEST(SubsetScreen, LargeSubsetsAreScreenedAsSafelyAsSmallOnes) {
  auto data = searchtest::MakeLinearData(48, 18, {{0, 1.0L}, {3, -0.7L}, {8, 0.5L}, {12, 0.4L}, {17, -0.3L}}, 0.2L, 7);
  searchtest::Sets subsets;
  uint64_t state = 5;
  for (int k = 7; k <= 15; ++k)
    for (int draw = 0; draw < 6; ++draw) {
      std::vector<int> positions(18);
      std::iota(positions.begin(), positions.end(), 0);
      for (int i = 17; i > 0; --i) {  // a Fisher-Yates shuffle of the pool, first k kept
        state = state * 6364136223846793005ULL + 1442695040888963407ULL;
        std::swap(positions[i], positions[(state >> 33) % static_cast<uint64_t>(i + 1)]);
      }
      positions.resize(k);
      std::sort(positions.begin(), positions.end());
      subsets.push_back(positions);
    }
  const Screened screened = ScreenAgainstTheFit(*data, subsets);
  EXPECT_GT(screened.decided, screened.total * 3 / 4) << screened.decided << " of " << screened.total;
}

}  // namespace
