#include "numerics/Matrix.h"
#include "numerics/NumericsTestSupport.h"
#include "numerics/Utils.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

void ExpectNear(const Matrix& actual, const std::vector<std::vector<long double>>& expected, long double tol) {
  ASSERT_EQ(actual.Rows(), static_cast<int>(expected.size()));
  int r = 0;
  for (const auto& row : expected) {
    ASSERT_EQ(actual.Cols(), static_cast<int>(row.size()));
    for (int c = 0; c < static_cast<int>(row.size()); ++c)
      EXPECT_TRUE(Close(actual.At(r, c), row[c], tol)) << r << "," << c;
    ++r;
  }
}

}  // namespace

TEST(Matrix, SizesIndicesAndCopies) {
  EXPECT_THROW(Matrix(0, 3), MatrixIndexEx);
  // 2^46 elements: a count that wraps to 0 in 32 bits must not give a tiny block.
  EXPECT_THROW(Matrix(1 << 16, 1 << 30), DataNoMemoryEx);
  Matrix m(2, 2);
  EXPECT_THROW(m.At(2, 0), MatrixBoundariesEx);
  EXPECT_THROW(m.At(0, -1), MatrixBoundariesEx);
  Matrix wide(2, 3);
  EXPECT_EQ(ThrownText([&] { wide = m; }), "Matrix copy error: colums and rows amount must be the same");
  Matrix a = FromRows({{1, 2}, {3, 4}});
  m = a;
  EXPECT_EQ(m.At(1, 0), 3.0L);
  m = m;
  EXPECT_EQ(m.At(1, 1), 4.0L);
}

TEST(Matrix, MultiplyAndTranspose) {
  Matrix a = FromRows({{1, 2, 3}, {4, 5, 6}});
  Matrix same = FromRows({{1, 2, 3}, {4, 5, 6}});
  EXPECT_THROW(a.Multiply(same), MatrixMultiplicationEx);
  Matrix b = FromRows({{1, 0, 0, 1}, {0, 1, 0, 1}, {0, 0, 1, 1}});
  a.Multiply(b);
  ExpectNear(a, {{1, 2, 3, 6}, {4, 5, 6, 15}}, 0);
  a.Transpose();
  ExpectNear(a, {{1, 4}, {2, 5}, {3, 6}, {6, 15}}, 0);
  Matrix sq = FromRows({{1, 1}, {0, 1}});
  sq.Multiply(sq);  // aliasing: the product of the old values
  ExpectNear(sq, {{1, 2}, {0, 1}}, 0);
}

TEST(Matrix, OverflowInAProductIsACalculationError) {
  Matrix a = FromRows({{1e4000L}});
  Matrix b = FromRows({{1e4000L}});
  EXPECT_EQ(ThrownText([&] { a.Multiply(b); }), "Matrix multiplication: calculation error");
}

TEST(Matrix, LUPivotingOnUnscaledCurrentPosition) {
  Matrix m = FromRows({{0, 1}, {1, 0}});
  m.LUDecompose();
  ASSERT_EQ(m.RowPermutationLength(), 2);
  EXPECT_EQ(m.RowPermutation()[0], 1);
  EXPECT_EQ(m.RowPermutation()[1], 0);
  // A tie keeps position 0: |1| unscaled against |1| x (1/1).
  Matrix t = FromRows({{1, 0.5}, {1, 1}});
  t.LUDecompose();
  EXPECT_EQ(t.RowPermutation()[0], 0);
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
  Matrix wide(2, 3);
  EXPECT_EQ(ThrownText([&] { wide.LUDecompose(); }),
            "Matrix LU decomposition error: colums and rows amount must be the same");
}

TEST(Matrix, SubstitutionNeedsItsState) {
  Matrix m = FromRows({{2, 0}, {0, 4}});
  const long double b[2] = {1, 1};
  EXPECT_EQ(ThrownText([&] { m.ForwardSubstitute(b); }),
            "Matrix LU forward substitution error: invalid permutation vector");
  EXPECT_EQ(ThrownText([&] { m.BackSubstitute(); }),
            "Matrix LU backward substitution error: invalid permutation vector");
  m.LUDecompose();
  m.ForwardSubstitute(b);
  m.BackSubstitute();
  EXPECT_EQ(m.SolutionVector()[0], 0.5L);
  EXPECT_EQ(m.SolutionVector()[1], 0.25L);
}

TEST(Matrix, InvertAndFailures) {
  Matrix a = FromRows({{4, 7}, {2, 6}});
  a.Invert();
  ExpectNear(a, {{0.6L, -0.7L}, {-0.2L, 0.4L}}, 1e-18L);
  Matrix one = FromRows({{4}});
  one.Invert();
  EXPECT_EQ(one.At(0, 0), 0.25L);

  Matrix zeroRow = FromRows({{1, 2}, {0, 0}});
  EXPECT_EQ(ThrownText([&] { zeroRow.Invert(); }), "Matrix inversion: calculation error");
  // Singular only in the last pivot: the back substitution fails, the partly
  // filled inverse (all zero here) stays installed.
  Matrix rank1 = FromRows({{1, 2}, {2, 4}});
  EXPECT_EQ(ThrownText([&] { rank1.Invert(); }), "Matrix inversion: calculation error");
  EXPECT_EQ(rank1.SolutionVector(), nullptr);
  ExpectNear(rank1, {{0, 0}, {0, 0}}, 0);
  Matrix wide(2, 3);
  EXPECT_EQ(ThrownText([&] { wide.Invert(); }), "Matrix inversion error: colums and rows amount must be the same");
}

TEST(Matrix, InvertMultiplySolvesWithoutTheInverse) {
  Matrix a = FromRows({{3, 1, 0}, {1, 4, 1}, {0, 1, 5}});
  Matrix b = FromRows({{4, 1}, {6, 0}, {6, 2}});  // a x [1 1 1]' and a x [x]
  a.InvertMultiply(b);
  ASSERT_EQ(a.Cols(), 2);
  EXPECT_TRUE(Close(a.At(0, 0), 1.0L, 1e-18));
  EXPECT_TRUE(Close(a.At(2, 0), 1.0L, 1e-18));
  Matrix check = FromRows({{3, 1, 0}, {1, 4, 1}, {0, 1, 5}});
  Matrix x(3, 1);
  for (int i = 0; i < 3; ++i) x.At(i, 0) = a.At(i, 1);
  check.Multiply(x);
  ExpectNear(check, {{1}, {0}, {2}}, 1e-18);

  Matrix sq = FromRows({{1, 0}, {0, 1}});
  Matrix tall(3, 1);
  EXPECT_THROW(sq.InvertMultiply(tall), MatrixMultiplicationEx);
  Matrix singular = FromRows({{1, 1}, {1, 1}});
  Matrix rhs(2, 1);
  EXPECT_EQ(ThrownText([&] { singular.InvertMultiply(rhs); }),
            "Fast matrix inversion - multiplication: calculation error");
}

TEST(Matrix, ReshapeReusesHeldStorageAndGrowsWhenNeeded) {
  Matrix m(3, 4);
  const long double* block = m.Data()[0];
  m.Reshape(2, 5);  // 10 of the 12 elements held
  EXPECT_EQ(m.Rows(), 2);
  EXPECT_EQ(m.Cols(), 5);
  EXPECT_EQ(m.Data()[0], block);
  EXPECT_EQ(m.Data()[1], block + 5);
  m.Reshape(3, 4);
  EXPECT_EQ(m.Data()[2], block + 8);
  m.Reshape(4, 2);  // 8 elements, but only 3 row pointers held: new storage
  EXPECT_EQ(m.Rows(), 4);
  m.At(3, 1) = 1.0L;
  m.Reshape(5, 5);
  EXPECT_EQ(m.Cols(), 5);
  m.At(4, 4) = 1.0L;
  EXPECT_THROW(m.Reshape(0, 2), MatrixIndexEx);
}

TEST(Matrix, IntoFormsCheckTheirDestinationAndFailAsTheReplacingForms) {
  const Matrix a = FromRows({{1, 2}, {3, 4}, {5, 6}});
  Matrix wrong(2, 2);
  EXPECT_THROW(a.MultiplyInto(a, wrong), MatrixMultiplicationEx);
  EXPECT_THROW(a.TransposeInto(wrong), MatrixBoundariesEx);
  Matrix t(2, 3);
  a.TransposeInto(t);
  ExpectNear(t, {{1, 3, 5}, {2, 4, 6}}, 0);
  Matrix square = FromRows({{2, 1}, {1, 1}});
  long double scratch[4];
  EXPECT_THROW(square.InvertInto(square, scratch), MatrixBoundariesEx);
  EXPECT_THROW(t.MultiplyInto(a, t), MatrixBoundariesEx);

  Matrix rank1 = FromRows({{1, 2}, {2, 4}});
  Matrix inverse(2, 2);
  EXPECT_EQ(ThrownText([&] { rank1.InvertInto(inverse, scratch); }), "Matrix inversion: calculation error");
  Matrix singular = FromRows({{1, 1}, {1, 1}});
  Matrix solution(2, 3);
  EXPECT_EQ(ThrownText([&] { singular.InvertMultiplyInto(t, solution, scratch); }),
            "Fast matrix inversion - multiplication: calculation error");
  square.InvertInto(inverse, scratch);
  ExpectNear(inverse, {{1, -1}, {-1, 2}}, 1e-18);
}
