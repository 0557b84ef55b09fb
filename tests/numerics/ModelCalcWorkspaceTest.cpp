#include "numerics/ModelCalcWorkspace.h"

#include <gtest/gtest.h>

#include "numerics/MersenneTwister.h"
#include "numerics/ModelCalc.h"

namespace {

struct Design {
  Matrix X;  // [1 | D]
  Matrix D;
  Matrix DY;
  Matrix y;
};

// Each descriptor partly copies the previous one, so the correlations are far from 0.
Design RandomDesign(MersenneTwister& random, int n, int p) {
  Design d{Matrix(n, p + 1), Matrix(n, p), Matrix(n, p + 1), Matrix(n, 1)};
  for (int i = 0; i < n; ++i) {
    d.X.At(i, 0) = 1.0L;
    long double y = random.RandomReal();
    for (int j = 0; j < p; ++j) {
      const long double previous = j > 0 ? d.D.At(i, j - 1) : 0.0L;
      const long double x = 0.6L * previous + 10.0L * random.RandomReal() - 5.0L;
      d.X.At(i, j + 1) = d.D.At(i, j) = d.DY.At(i, j) = x;
      y += (j + 1) * x;
    }
    d.y.At(i, 0) = y;
  }
  return d;
}

}  // namespace

// One workspace scores models whose sizes grow and shrink in turn, with a failing
// (collinear) model among them; every result must equal, bit for bit, that of the
// form that makes a fresh workspace.
TEST(ModelCalcWorkspace, ReusedWorkspaceGivesTheFreshFormsResultsAcrossChangingSizes) {
  MersenneTwister random(20261206);
  ModelCalcWorkspace ws;
  const int sizes[][2] = {{30, 4}, {12, 1}, {40, 6}, {7, 2}, {20, 3}, {25, 3}, {9, 5}, {60, 2}};
  for (const auto& [n, p] : sizes) {
    SCOPED_TRACE(testing::Message() << "n = " << n << ", p = " << p);
    Design d = RandomDesign(random, n, p);
    const bool collinear = n == 20;
    if (collinear)
      for (int i = 0; i < n; ++i) d.X.At(i, 3) = d.X.At(i, 1);
    long double ssReg = 0, ssTot = 0, press = 0;
    Matrix loo(n, 1);
    EXPECT_EQ(FitModel(ws, ssReg, ssTot, &press, nullptr, &loo, n, p, d.y, d.X, nullptr), !collinear);

    Matrix plainX(d.X);
    Matrix plainLoo(n, 1);
    long double plainSsReg = 0, plainSsTot = 0, plainPress = 0;
    FitModel(plainSsReg, plainSsTot, &plainPress, nullptr, &plainLoo, n, p, d.y, plainX, nullptr);
    EXPECT_EQ(ssReg, plainSsReg);
    EXPECT_EQ(ssTot, plainSsTot);
    EXPECT_EQ(press, plainPress);
    if (collinear) continue;
    for (int i = 0; i < n; ++i) EXPECT_EQ(loo.At(i, 0), plainLoo.At(i, 0)) << i;
    for (int j = 0; j <= p; ++j) EXPECT_EQ(ws.b.At(j, 0), plainX.At(j, 0)) << j;

    long double k[2][2];
    bool missing[2][2];
    KIndices(ws, d.D, d.DY, d.y, k[0][0], missing[0][0], k[0][1], missing[0][1], p);
    KIndices(d.D, d.DY, d.y, k[1][0], missing[1][0], k[1][1], missing[1][1], p);
    EXPECT_EQ(k[0][0], k[1][0]);
    EXPECT_EQ(k[0][1], k[1][1]);
    EXPECT_FALSE(missing[0][0] || missing[0][1]);
  }
}
