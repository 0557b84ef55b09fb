// Dense matrix of extended reals with LU-based linear algebra, covariance and
// correlation, and the symmetric eigen-decomposition (Householder + QL).
#pragma once

#include <string>

#include "platform/base/Exception.h"

class MatrixEx : public Exception {
public:
  MatrixEx() : Exception("Matrix error") {}

protected:
  explicit MatrixEx(std::string message) : Exception(std::move(message)) {}
};

class MatrixIndexEx : public MatrixEx {
public:
  MatrixIndexEx() : MatrixEx("Matrix index error - matrix columns or rows amount must be greater than 1") {}
};

class MatrixBoundariesEx : public MatrixEx {
public:
  MatrixBoundariesEx() : MatrixEx("Matrix index out of boundaries") {}
};

class MatrixMultiplicationEx : public MatrixEx {
public:
  MatrixMultiplicationEx()
      : MatrixEx("Matrix multiplication error: the first matrix columns amount must match rows amount of "
                 "the second matrix") {}
};

// The classes below put the failing operation's context in front of their text.
class MatrixSingularEx : public MatrixEx {
public:
  explicit MatrixSingularEx(const std::string& context) : MatrixEx(context + "singular matrix found") {}
};

class MatrixSameIndexEx : public MatrixEx {
public:
  explicit MatrixSameIndexEx(const std::string& context)
      : MatrixEx(context + "colums and rows amount must be the same") {}
};

class MatrixRowPermutEx : public MatrixEx {
public:
  explicit MatrixRowPermutEx(const std::string& context) : MatrixEx(context + "invalid permutation vector") {}
};

class MatrixQLIndexEx : public MatrixEx {
public:
  MatrixQLIndexEx() : MatrixEx("Cannot calculate eigenvalues: invalid diagonal and/or off-diagonal structure") {}
};

class MatrixCalcErrorEx : public MatrixEx {
public:
  explicit MatrixCalcErrorEx(const std::string& context) : MatrixEx(context + "calculation error") {}
};

class Matrix {
public:
  Matrix();  // 1 x 1
  Matrix(int rows, int cols);
  Matrix(const Matrix& other);  // same size, elements copied
  ~Matrix();
  // Copies the elements of a matrix of the same size (MatrixSameIndexEx otherwise).
  Matrix& operator=(const Matrix& other);

  // rows, cols >= 1 (MatrixIndexEx otherwise); elements are not initialised.
  void Allocate(int rows, int cols);
  void FreeData();

  long double& At(int row, int col);
  long double At(int row, int col) const;
  int Rows() const { return rows_; }
  int Cols() const { return cols_; }
  long double** Data() { return ldpMatrixDataPtr; }
  const long double* const* Data() const { return ldpMatrixDataPtr; }
  // Zero-deviation pair flags left by Correlation (null before one).
  bool** MissCorrFlags() { return bpDestMissCorrMatrPtr; }
  // LU state: row permutation and solution vector (null when absent).
  const int* RowPermutation() const { return ipRowPermutPtr; }
  int RowPermutationLength() const { return permutLength_; }
  const long double* SolutionVector() const { return ldpSolVectorPtr; }
  int SolutionLength() const { return solLength_; }

  // this := this x B.
  void Multiply(const Matrix& B);
  // LU decomposition in place with implicit row scaling; rows are permuted
  // through the permutation vector only.
  void LUDecompose();
  // solution := L^-1 P b.
  void ForwardSubstitute(const long double* b);
  // solution := U^-1 solution.
  void BackSubstitute();
  // this := this^-1.
  void Invert();
  // this := this^-1 x B, without forming the inverse.
  void InvertMultiply(const Matrix& B);
  void Transpose();

  // Every column in place to (x - mean) / population standard deviation.
  void Autoscale();
  // this := p x p covariance (or correlation) of the columns of X; lower triangle only.
  void Covariance(const Matrix& X, bool correlation);
  void Correlation(const Matrix& X) { Covariance(X, true); }
  // Symmetric n x n -> 2 x n tridiagonal form (row 0 diagonal, row 1 off-diagonal);
  // Q, when given, receives the n x n orthogonal transformation.
  void HouseholderReduce(Matrix* Q);
  // Tridiagonal form -> 1 x n eigenvalues (unordered); the columns of Q, when given,
  // are rotated into the eigenvectors. False when an eigenvalue did not converge.
  bool QLEigen(Matrix* Q) { return QLIterate(200, Q); }
  bool QLIterate(int limit, Matrix* Q);
  // Ascending order of row 0, exchanging the matching columns of Q and S.
  void SortEigen(Matrix* Q, Matrix* S) { SortEigenBy(Q, S, false); }
  void SortEigenBy(Matrix* Q, Matrix* S, bool byAbsoluteValue);
  // Eigenvalues of this 2 x 2 matrix, larger first; false (out untouched) when complex.
  bool Eigen2x2(long double out[2]) const;

private:
  // Runs fill on a new rows x cols array that then replaces the data. Any failure
  // still installs what was filled and becomes MatrixCalcErrorEx(context).
  template <typename Fill>
  void ReplaceGuarded(int rows, int cols, const char* name, const char* rowName, const char* context,
                      Fill fill);
  void InstallData(long double** data, int rows, int cols);
  void FreePermutation();
  void FreeSolution();
  void FreeFlags();
  void RequireSquare(const std::string& context) const;
  [[noreturn]] void FailSingular(const std::string& context);
  void LUDecomposeSteps();
  void SolveColumn(long double* side, long double** dest, int col);

  int rows_ = 0;
  int cols_ = 0;
  long double** ldpMatrixDataPtr = nullptr;
  int* ipRowPermutPtr = nullptr;
  int permutLength_ = 0;
  long double* ldpSolVectorPtr = nullptr;
  int solLength_ = 0;
  bool** bpDestMissCorrMatrPtr = nullptr;
};
