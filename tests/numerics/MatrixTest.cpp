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
  // A failed product still takes the product's shape.
  Matrix huge = FromRows({{1e4000L, 1}});
  EXPECT_EQ(ThrownText([&] { huge.Multiply(FromRows({{1e4000L, 1, 1}, {1, 1, 1}})); }),
            "Matrix multiplication: calculation error");
  EXPECT_EQ(huge.Cols(), 3);
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
  // Row 2 moves to position 0 and its position takes row 0's scale 1/100: then
  // |2.975| / 100 loses to |0.095| and no row moves (with row 2's scale 1/20, or
  // unscaled, row 0 would win).
  Matrix scaled = FromRows({{0.5L, 3, 100}, {0.1L, 0.1L, 1}, {20, 1, 1}});
  scaled.LUDecompose();
  EXPECT_EQ(std::vector<int>(scaled.RowPermutation(), scaled.RowPermutation() + 3), (std::vector<int>{2, 1, 0}));
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

  // Called directly, the back substitution reports the zero pivot itself.
  Matrix steps = FromRows({{1, 2}, {2, 4}});
  const long double side[2] = {1, 1};
  steps.LUDecompose();
  steps.ForwardSubstitute(side);
  EXPECT_EQ(ThrownText([&] { steps.BackSubstitute(); }), "Matrix LU backward substitution error: singular matrix found");
  Matrix wide(2, 3);
  EXPECT_THROW(wide.ForwardSubstitute(side), MatrixSameIndexEx);
  EXPECT_THROW(wide.Invert(), MatrixSameIndexEx);
  EXPECT_THROW(wide.InvertMultiply(Matrix(3, 1)), MatrixSameIndexEx);

  Matrix b = FromRows({{3, 1, 0}, {1, 4, 1}, {0, 1, 5}});
  b.InvertMultiply(FromRows({{4}, {6}, {6}}));  // b x [1 1 1]'
  ExpectNear(b, {{1}, {1}, {1}}, 1e-18L);
  Matrix self = FromRows({{3, 1}, {1, 2}});
  self.InvertMultiply(self);  // the operand is copied first
  ExpectNear(self, {{1, 0}, {0, 1}}, 1e-18L);
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
  Matrix notSquare(2, 3), dest(2, 2);
  EXPECT_THROW(notSquare.InvertInto(dest, scratch), MatrixSameIndexEx);
  EXPECT_THROW(a.TransposeInto(wrong), MatrixBoundariesEx);
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
  EXPECT_EQ(m.Cols(), 0);
}

// A new layout drops what belonged to the old one.
TEST(Matrix, AllocateAndReshapeReleaseTheOldState) {
  Matrix m = FromRows({{2, 1}, {1, 3}});
  m.LUDecompose();
  ASSERT_NE(m.RowPermutation(), nullptr);
  m.Allocate(2, 2);
  EXPECT_EQ(m.RowPermutation(), nullptr);
  Matrix r(2, 2);
  r.Correlation(FromRows({{1, 2}, {2, 4}, {3, 5}}));
  ASSERT_NE(r.MissCorrFlags(), nullptr);
  r.Reshape(1, 2);
  EXPECT_EQ(r.MissCorrFlags(), nullptr);
}
