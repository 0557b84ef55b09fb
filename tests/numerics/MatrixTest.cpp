#include "numerics/Matrix.h"
#include "numerics/NumericsTestSupport.h"
#include "numerics/Utils.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

void ExpectNear(const Matrix& actual, const std::vector<std::vector<long double>>& expected, long double tol) {
  ASSERT_EQ(actual.Rows(), static_cast<int>(expected.size()));
  ASSERT_EQ(actual.Cols(), static_cast<int>(expected[0].size()));
  for (int r = 0; r < actual.Rows(); ++r)
    for (int c = 0; c < actual.Cols(); ++c) EXPECT_TRUE(Close(actual.At(r, c), expected[r][c], tol)) << r << "," << c;
}

}  // namespace

TEST(Matrix, SizesProductsAndTransposition) {
  // 2^46 elements: a count that wraps to 0 in 32 bits must not give a tiny block.
  EXPECT_THROW(Matrix(1 << 16, 1 << 30), DataNoMemoryEx);
  Matrix a = FromRows({{1, 2, 3}, {4, 5, 6}});
  EXPECT_THROW(a.Multiply(FromRows({{1, 2, 3}})), MatrixMultiplicationEx);
  a.Multiply(FromRows({{1, 0, 0, 1}, {0, 1, 0, 1}, {0, 0, 1, 1}}));
  a.Transpose();
  ExpectNear(a, {{1, 4}, {2, 5}, {3, 6}, {6, 15}}, 0);
  Matrix sq = FromRows({{1, 1}, {0, 1}});
  sq.Multiply(sq);  // aliasing: the product of the old values
  ExpectNear(sq, {{1, 2}, {0, 1}}, 0);
  Matrix huge = FromRows({{1e4000L}});
  EXPECT_EQ(ThrownText([&] { huge.Multiply(huge); }), "Matrix multiplication: calculation error");
}

TEST(Matrix, LUPivotsOnTheUnscaledCurrentPosition) {
  // Scaled, row 1 (|1| x 1/1) beats row 0 entering unscaled with |0.5|.
  Matrix s = FromRows({{0.5, 100}, {1, 1}});
  s.LUDecompose();
  EXPECT_EQ(s.RowPermutation()[0], 1);
  // Position k enters unscaled at every step: |1| beats 7 x (1/10), then |-3|
  // beats |-6| x (1/10), so no row moves; L and U share the array in place.
  Matrix f = FromRows({{1, 2, 3}, {4, 5, 6}, {7, 8, 10}});
  f.LUDecompose();
  for (int i = 0; i < 3; ++i) EXPECT_EQ(f.RowPermutation()[i], i);
  ExpectNear(f, {{1, 2, 3}, {4, -3, -6}, {7, 2, 1}}, 0);
  Matrix zero = FromRows({{1, 2}, {0, 0}});
  EXPECT_EQ(ThrownText([&] { zero.LUDecompose(); }), "LU decomposition: calculation error");
  EXPECT_EQ(zero.RowPermutation(), nullptr);
}

TEST(Matrix, InversionAndSolvingFailAsCalculationErrors) {
  Matrix a = FromRows({{4, 7}, {2, 6}});
  a.Invert();
  ExpectNear(a, {{0.6L, -0.7L}, {-0.2L, 0.4L}}, 1e-18L);
  // Singular only in the last pivot: the back substitution fails.
  Matrix rank1 = FromRows({{1, 2}, {2, 4}});
  EXPECT_EQ(ThrownText([&] { rank1.Invert(); }), "Matrix inversion: calculation error");
  EXPECT_EQ(rank1.SolutionVector(), nullptr);

  Matrix b = FromRows({{3, 1, 0}, {1, 4, 1}, {0, 1, 5}});
  b.InvertMultiply(FromRows({{4}, {6}, {6}}));  // b x [1 1 1]'
  ExpectNear(b, {{1}, {1}, {1}}, 1e-18L);
  Matrix singular = FromRows({{1, 1}, {1, 1}});
  EXPECT_EQ(ThrownText([&] { singular.InvertMultiply(Matrix(2, 1)); }),
            "Fast matrix inversion - multiplication: calculation error");
}

// The forms that write into a destination check it and fail as the replacing forms.
TEST(Matrix, IntoFormsCheckTheirDestination) {
  const Matrix a = FromRows({{1, 2}, {3, 4}, {5, 6}});
  Matrix wrong(2, 2);
  EXPECT_THROW(a.MultiplyInto(a, wrong), MatrixMultiplicationEx);
  Matrix square = FromRows({{2, 1}, {1, 1}});
  long double scratch[4];
  EXPECT_THROW(square.InvertInto(square, scratch), MatrixBoundariesEx);
  Matrix singular = FromRows({{1, 1}, {1, 1}});
  Matrix t(2, 3);
  Matrix solution(2, 3);
  EXPECT_EQ(ThrownText([&] { singular.InvertMultiplyInto(t, solution, scratch); }),
            "Fast matrix inversion - multiplication: calculation error");
}

TEST(Matrix, AFreedMatrixRefusesToTransposeOrInvert) {
  Matrix m = FromRows({{1, 2}, {3, 4}});
  m.FreeData();
  EXPECT_THROW(m.Transpose(), MatrixEx);
  EXPECT_THROW(m.Invert(), MatrixEx);
  EXPECT_EQ(m.Rows(), 0);
}
