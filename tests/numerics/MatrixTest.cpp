#include "numerics/Matrix.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

namespace {

Matrix Make(std::initializer_list<std::vector<long double>> rows) {
  Matrix m(static_cast<int>(rows.size()), static_cast<int>(rows.begin()->size()));
  int r = 0;
  for (const auto& row : rows) {
    for (int c = 0; c < static_cast<int>(row.size()); ++c) m.At(r, c) = row[c];
    ++r;
  }
  return m;
}

template <typename Action>
std::string MatrixMessage(Action action) {
  try {
    action();
  } catch (const MatrixEx& e) {
    return e.Message;
  }
  return "";
}

void ExpectNear(const Matrix& actual, std::initializer_list<std::vector<long double>> expected, double tol) {
  ASSERT_EQ(actual.Rows(), static_cast<int>(expected.size()));
  int r = 0;
  for (const auto& row : expected) {
    ASSERT_EQ(actual.Cols(), static_cast<int>(row.size()));
    for (int c = 0; c < static_cast<int>(row.size()); ++c)
      EXPECT_NEAR(static_cast<double>(actual.At(r, c)), static_cast<double>(row[c]), tol) << r << "," << c;
    ++r;
  }
}

}  // namespace

TEST(Matrix, SizesIndicesAndCopies) {
  EXPECT_THROW(Matrix(0, 3), MatrixIndexEx);
  Matrix m(2, 2);
  EXPECT_THROW(m.At(2, 0), MatrixBoundariesEx);
  EXPECT_THROW(m.At(0, -1), MatrixBoundariesEx);
  Matrix wide(2, 3);
  EXPECT_EQ(MatrixMessage([&] { wide = m; }), "Matrix copy error: colums and rows amount must be the same");
  Matrix a = Make({{1, 2}, {3, 4}});
  m = a;
  EXPECT_EQ(m.At(1, 0), 3.0L);
  m = m;
  EXPECT_EQ(m.At(1, 1), 4.0L);
  Matrix def;
  EXPECT_EQ(def.Rows(), 1);
  EXPECT_EQ(def.Cols(), 1);
}

TEST(Matrix, MultiplyAndTranspose) {
  Matrix a = Make({{1, 2, 3}, {4, 5, 6}});
  Matrix same = Make({{1, 2, 3}, {4, 5, 6}});
  EXPECT_THROW(a.Multiply(same), MatrixMultiplicationEx);
  Matrix b = Make({{1, 0, 0, 1}, {0, 1, 0, 1}, {0, 0, 1, 1}});
  a.Multiply(b);
  ExpectNear(a, {{1, 2, 3, 6}, {4, 5, 6, 15}}, 0);
  a.Transpose();
  ExpectNear(a, {{1, 4}, {2, 5}, {3, 6}, {6, 15}}, 0);
  Matrix sq = Make({{1, 1}, {0, 1}});
  sq.Multiply(sq);  // aliasing: the product of the old values
  ExpectNear(sq, {{1, 2}, {0, 1}}, 0);
}

TEST(Matrix, OverflowInAProductIsACalculationError) {
  Matrix a = Make({{1e4000L}});
  Matrix b = Make({{1e4000L}});
  EXPECT_EQ(MatrixMessage([&] { a.Multiply(b); }), "Matrix multiplication: calculation error");
}

TEST(Matrix, LUPivotingOnUnscaledCurrentPosition) {
  Matrix m = Make({{0, 1}, {1, 0}});
  m.LUDecompose();
  ASSERT_EQ(m.RowPermutationLength(), 2);
  EXPECT_EQ(m.RowPermutation()[0], 1);
  EXPECT_EQ(m.RowPermutation()[1], 0);
  // A tie keeps position 0: |1| unscaled against |1| x (1/1).
  Matrix t = Make({{1, 0.5}, {1, 1}});
  t.LUDecompose();
  EXPECT_EQ(t.RowPermutation()[0], 0);
  // Scaled, row 1 (|1| x 1/1) beats row 0 entering unscaled with |0.5|.
  Matrix s = Make({{0.5, 100}, {1, 1}});
  s.LUDecompose();
  EXPECT_EQ(s.RowPermutation()[0], 1);
  Matrix zero = Make({{1, 2}, {0, 0}});
  EXPECT_EQ(MatrixMessage([&] { zero.LUDecompose(); }), "LU decomposition: calculation error");
  EXPECT_EQ(zero.RowPermutation(), nullptr);
  Matrix wide(2, 3);
  EXPECT_EQ(MatrixMessage([&] { wide.LUDecompose(); }),
            "Matrix LU decomposition error: colums and rows amount must be the same");
}

TEST(Matrix, SubstitutionNeedsItsState) {
  Matrix m = Make({{2, 0}, {0, 4}});
  const long double b[2] = {1, 1};
  EXPECT_EQ(MatrixMessage([&] { m.ForwardSubstitute(b); }),
            "Matrix LU forward substitution error: invalid permutation vector");
  EXPECT_EQ(MatrixMessage([&] { m.BackSubstitute(); }),
            "Matrix LU backward substitution error: invalid permutation vector");
  m.LUDecompose();
  m.ForwardSubstitute(b);
  m.BackSubstitute();
  EXPECT_EQ(m.SolutionVector()[0], 0.5L);
  EXPECT_EQ(m.SolutionVector()[1], 0.25L);
}

TEST(Matrix, InvertAndFailures) {
  Matrix a = Make({{4, 7}, {2, 6}});
  a.Invert();
  ExpectNear(a, {{0.6, -0.7}, {-0.2, 0.4}}, 1e-18);
  Matrix one = Make({{4}});
  one.Invert();
  EXPECT_EQ(one.At(0, 0), 0.25L);

  Matrix zeroRow = Make({{1, 2}, {0, 0}});
  EXPECT_EQ(MatrixMessage([&] { zeroRow.Invert(); }), "Matrix inversion: calculation error");
  Matrix zero = Make({{0}});
  EXPECT_EQ(MatrixMessage([&] { zero.Invert(); }), "Matrix inversion: calculation error");
  // Singular only in the last pivot: the back substitution fails, the partly
  // filled inverse (all zero here) stays installed.
  Matrix rank1 = Make({{1, 2}, {2, 4}});
  EXPECT_EQ(MatrixMessage([&] { rank1.Invert(); }), "Matrix inversion: calculation error");
  EXPECT_EQ(rank1.SolutionVector(), nullptr);
  ExpectNear(rank1, {{0, 0}, {0, 0}}, 0);
  Matrix wide(2, 3);
  EXPECT_EQ(MatrixMessage([&] { wide.Invert(); }), "Matrix inversion error: colums and rows amount must be the same");
}

TEST(Matrix, InvertMultiplySolvesWithoutTheInverse) {
  Matrix a = Make({{3, 1, 0}, {1, 4, 1}, {0, 1, 5}});
  Matrix b = Make({{4, 1}, {6, 0}, {6, 2}});  // a x [1 1 1]' and a x [x]
  a.InvertMultiply(b);
  ASSERT_EQ(a.Cols(), 2);
  EXPECT_NEAR(static_cast<double>(a.At(0, 0)), 1.0, 1e-18);
  EXPECT_NEAR(static_cast<double>(a.At(2, 0)), 1.0, 1e-18);
  Matrix check = Make({{3, 1, 0}, {1, 4, 1}, {0, 1, 5}});
  Matrix x(3, 1);
  for (int i = 0; i < 3; ++i) x.At(i, 0) = a.At(i, 1);
  check.Multiply(x);
  ExpectNear(check, {{1}, {0}, {2}}, 1e-18);

  Matrix sq = Make({{1, 0}, {0, 1}});
  Matrix tall(3, 1);
  EXPECT_THROW(sq.InvertMultiply(tall), MatrixMultiplicationEx);
  Matrix singular = Make({{1, 1}, {1, 1}});
  Matrix rhs(2, 1);
  EXPECT_EQ(MatrixMessage([&] { singular.InvertMultiply(rhs); }),
            "Fast matrix inversion - multiplication: calculation error");
}
