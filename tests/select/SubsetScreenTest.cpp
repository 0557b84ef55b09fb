#include "select/SubsetScreen.h"

#include <gtest/gtest.h>

#include <memory>
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

TEST(SubsetScreen, ClaimsSurelyWorseOnlyOfWhatTheFitFindsWorse) {
  ChemoData data;
  LoadExample(data);
  data.iResponseIndex = 0;
  std::vector<int> pool;
  for (int v = 1; v < data.iVarCount && pool.size() < 8; ++v) pool.push_back(v);
  AllocCheckedArray(data.ipSelectedVarPtr, 8, "*ipSelectedVarPtr");
  std::copy(pool.begin(), pool.end(), data.ipSelectedVarPtr);
  data.iSelectedVarCount = 8;
  Training training(data);
  SubsetScreen screen(std::make_shared<const PoolGram>(data, training.mask.data(), data.iObjCount, training.response));
  SubsetFitter fitter(data, training.mask.data(), data.iObjCount, training.response);
  // Against the fitted value itself the screen never claims "surely worse"; against
  // a value a little better it mostly does.
  int decided = 0, total = 0;
  for (int k = 1; k <= 6; ++k)  // every row pass of a fixed size
    for (const std::vector<int>& positions : searchtest::Lexicographic(8, k)) {
      std::vector<int> variables;
      for (int p : positions) variables.push_back(pool[p]);
      for (int id = 0; id < 4; ++id) {
        ++total;
        fitter.Load(variables.data(), k);
        const CheckedValue fitted = fitter.Fitness(id, 1.0L);
        if (fitted.Missing) continue;  // a failed fit: never kept, screened or not
        EXPECT_FALSE(screen.SurelyWorse(positions.data(), k, id, 1.0L, fitted.Value)) << k << " " << id;
        const long double better = fitted.Value + (fitness::IsMaximised(id) ? 1e-3L : -1e-3L) * std::fabs(fitted.Value);
        decided += screen.SurelyWorse(positions.data(), k, id, 1.0L, better) ? 1 : 0;
      }
    }
  EXPECT_GT(decided, total / 2) << decided << " of " << total;
}

}  // namespace
