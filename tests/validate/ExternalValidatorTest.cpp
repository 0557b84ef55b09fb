#include <gtest/gtest.h>

#include "numerics/Matrix.h"
#include "support/ScriptedUi.h"
#include "validate/ExternalValidator.h"
#include "validate/ValidationTestData.h"

namespace {

using validationtest::AddModel;
using validationtest::MakeData;

// y = 0 + 1 x; training responses 1..4, three test objects.
struct ReferenceCase : ::testing::Test {
  void SetUp() override { TestUi().Reset(); }

  std::unique_ptr<ChemoData> data = MakeData({{1, {1}, 1},
                                              {2, {1.7L}, 1.5L},
                                              {1, {2}, 2},
                                              {2, {2.4L}, 2.5L},
                                              {1, {3}, 3},
                                              {0, {9}, 7},
                                              {2, {3.6L}, 4.0L},
                                              {1, {4}, 4}});
  DataResultList list{data.get()};
  DataResultNode& model = AddModel(list, {0}, {0.0L, 1.0L});
};

::testing::AssertionResult Near(const CheckedValue& cell, long double expected) {
  if (cell.Missing) return ::testing::AssertionFailure() << "missing";
  const long double tolerance = 5e-7L;
  if (std::fabs(cell.Value - expected) <= tolerance) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << static_cast<double>(cell.Value) << " is not "
                                       << static_cast<double>(expected);
}

TEST_F(ReferenceCase, ValidationGivesTheIndependentlyComputedStatistics) {
  ExternalValidator validator(false, &list, data.get());
  validator.ValidateExternal();
  EXPECT_TRUE(Near(model.cvQ2F1, 0.935385L));
  EXPECT_TRUE(Near(model.cvQ2F2, 0.933684L));
  EXPECT_TRUE(Near(model.cvQ2F3, 0.944000L));
  EXPECT_TRUE(Near(model.cvKPrime, 0.936735L));
  EXPECT_TRUE(Near(model.cvR2oPrime, 0.939383L));
  EXPECT_TRUE(Near(model.cvR2extReg, 0.998717L));
  EXPECT_TRUE(Near(model.cvR2o, 0.959924L));
  EXPECT_TRUE(Near(model.cvK, 1.062008L));
  EXPECT_TRUE(Near(model.cvR2mAver, 0.778726L));
  EXPECT_TRUE(Near(model.cvR2mDelta, 0.046564L));
  EXPECT_TRUE(Near(model.cvClos, 0.038844L));
  EXPECT_TRUE(Near(model.cvClosPrime, 0.059410L));
  EXPECT_TRUE(Near(model.cvCCCext, 0.958361L));
  EXPECT_TRUE(Near(model.cvR2ext, 0.998717L));
  EXPECT_FALSE(model.ciNExtOK.Missing);
  EXPECT_EQ(model.ciNExtOK.Value, 5);
  EXPECT_TRUE(TestUi().Shown().empty());
}

}  // namespace
