#include "prepare/VariableTools.h"

#include <gtest/gtest.h>

#include <limits>

#include "numerics/Matrix.h"
#include "prepare/SetupTestData.h"

namespace {

TEST(NormaliseVariable, MapsPresentCellsOntoTheUnitRange) {
  ChemoData data;
  FillData(data, {{2, 5}, {4, 5}, {kMissing, kMissing}, {6, 5}});
  EXPECT_TRUE(NormaliseVariable(data, 0));
  EXPECT_EQ(data.tpChemoValuePtr[1][0].Value, 0.5L);
  EXPECT_TRUE(data.tpChemoValuePtr[2][0].Missing);
  EXPECT_EQ(data.tpChemoValuePtr[3][0].Value, 1.0L);
  EXPECT_FALSE(NormaliseVariable(data, 1));
  EXPECT_EQ(data.tpChemoValuePtr[3][1].Value, 5.0L);
  const long double huge = std::numeric_limits<long double>::max();
  FillData(data, {{-huge}, {0}, {huge}});
  EXPECT_FALSE(NormaliseVariable(data, 0));
  EXPECT_EQ(data.tpChemoValuePtr[2][0].Value, huge);
}

TEST(VariableCorrelation, FullSymmetricMatrixOfCompleteVariables) {
  ChemoData data;
  FillData(data, {{1, 2, 7, kMissing}, {2, 4, 7, 1}, {3, 5, 7, 2}});
  const std::vector<int32_t> vars = CompleteVariables(data, {3, 0, 1, 2});
  EXPECT_EQ(vars, (std::vector<int32_t>{0, 1, 2}));
  auto r = VariableCorrelation(data, vars, true);
  for (int j = 0; j < 3; ++j) EXPECT_EQ(r->At(j, j).Value, 1.0L);
  EXPECT_GT(r->At(1, 0).Value, 0.9L);
  EXPECT_EQ(r->At(0, 1).Value, r->At(1, 0).Value);
  EXPECT_TRUE(r->At(2, 0).Missing);  // the constant variable has no correlation
  EXPECT_TRUE(r->At(1, 2).Missing);
  r = VariableCorrelation(data, vars, false);
  EXPECT_FALSE(r->At(2, 0).Missing);
  EXPECT_FALSE(r->At(1, 2).Missing);
  EXPECT_EQ(r->At(1, 2).Value, 0.0L);
  EXPECT_THROW(VariableCorrelation(data, {0}, true), MatrixEx);
}

}  // namespace
