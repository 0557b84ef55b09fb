// Dense matrix of extended reals with LU-based linear algebra, covariance and
// correlation, and the symmetric eigen-decomposition (Householder + QL).
#pragma once

#include <cstddef>
#include <string>

#include "numerics/WorkPoll.h"
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
  // Allocate, except that a size that fits the storage held lays the rows out
  // again in it without allocating; the flag matrix is released.
  void Reshape(int rows, int cols);
  void FreeData();

  // An element; outside the matrix MatrixBoundariesEx. Inline: the statistics
  // of many thousand models go through it.
  long double& At(int row, int col) {
    if (row < 0 || col < 0 || row >= rows_ || col >= cols_) ThrowBoundaries();
    return ldpMatrixDataPtr[row][col];
  }
  long double At(int row, int col) const { return const_cast<Matrix*>(this)->At(row, col); }
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

  // this := this x B. The routines that take a poll count their steps on it, and
  // when it stops them they leave this matrix (and Q) as it was or half done.
  void Multiply(const Matrix& B, WorkPoll* poll = nullptr);
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

  // The forms below serve callers that keep their matrices from call to call: the
  // result goes into dest, which must already have the result's size and differ from
  // the operands (MatrixBoundariesEx otherwise), and scratch holds 2 x Rows()
  // extended reals. They allocate nothing beyond a permutation or solution vector
  // of a new length, and compute exactly as the replacing forms above.
  void MultiplyInto(const Matrix& B, Matrix& dest) const;   // dest := this x B
  void TransposeInto(Matrix& dest) const;                   // dest := this'
  void InvertInto(Matrix& dest, long double* scratch);      // dest := this^-1, this := its LU factors
  void InvertMultiplyInto(const Matrix& B, Matrix& dest, long double* scratch);  // dest := this^-1 x B

  // Every column in place to (x - mean) / population standard deviation.
  void Autoscale();
  // this := p x p covariance (or correlation) of the columns of X; lower triangle only.
  void Covariance(const Matrix& X, bool correlation, WorkPoll* poll = nullptr);
  void Correlation(const Matrix& X, WorkPoll* poll = nullptr) { Covariance(X, true, poll); }
  // Covariance into this matrix, already p x p, without allocating once its flag
  // matrix exists: deviations is n x p, scratch holds 2 p extended reals.
  void CovarianceInto(const Matrix& X, bool correlation, Matrix& deviations, long double* scratch);
  // Symmetric n x n -> 2 x n tridiagonal form (row 0 diagonal, row 1 off-diagonal);
  // Q, when given, receives the n x n orthogonal transformation.
  void HouseholderReduce(Matrix* Q, WorkPoll* poll = nullptr);
  // The same reduction into form (reshaped to 2 x n within its storage), with work
  // (n x n) receiving the transformation; this is left unchanged.
  void HouseholderReduceInto(Matrix& form, Matrix& work) const;
  // Tridiagonal form -> 1 x n eigenvalues (unordered); the columns of Q, when given,
  // are rotated into the eigenvectors. False when an eigenvalue did not converge.
  bool QLEigen(Matrix* Q, WorkPoll* poll = nullptr) { return QLIterate(200, Q, poll); }
  bool QLIterate(int limit, Matrix* Q, WorkPoll* poll = nullptr);
  // Ascending order of row 0, exchanging the matching columns of Q and S.
  void SortEigen(Matrix* Q, Matrix* S, WorkPoll* poll = nullptr) { SortEigenBy(Q, S, false, poll); }
  void SortEigenBy(Matrix* Q, Matrix* S, bool byAbsoluteValue, WorkPoll* poll = nullptr);
  // Eigenvalues of this 2 x 2 matrix, larger first; false (out untouched) when complex.
  bool Eigen2x2(long double out[2]) const;

private:
  [[noreturn]] static void ThrowBoundaries();
  // Runs fill on a new rows x cols array (made with the poll) that then replaces
  // the data. Any failure still installs what was filled and becomes
  // MatrixCalcErrorEx(context); a stop leaves the data as it was.
  template <typename Fill>
  void ReplaceGuarded(int rows, int cols, const char* name, const char* rowName, const char* context,
                      Fill fill, WorkPoll* poll = nullptr);
  // Runs work; any failure becomes MatrixCalcErrorEx(context), a stop stays one.
  template <typename Work>
  static void RunGuarded(const char* context, Work work) {
    try {
      work();
    } catch (const CalculationStopped&) {
      throw;
    } catch (...) {
      throw MatrixCalcErrorEx(context);
    }
  }
  void InstallData(long double** data, int rows, int cols);
  // MatrixBoundariesEx unless dest is rows x cols and neither this nor operand.
  void RequireDestination(const Matrix& dest, int rows, int cols, const Matrix* operand) const;
  // The arithmetic of the operations above, writing into rows that the caller
  // provides; the replacing and the destination forms share it.
  void MultiplyRows(const Matrix& B, long double** dest, WorkPoll* poll = nullptr) const;
  void TransposeRows(long double** dest) const;
  // Decomposes this matrix with the row scales in scratch, then solves for count
  // right-hand sides, each filled by fillSide(j, side) into scratch + Rows(); the
  // solution j becomes column j of dest.
  template <typename Side>
  void SolveColumns(int count, long double** dest, long double* scratch, Side fillSide);
  void InvertRows(long double** dest, long double* scratch);
  void InvertMultiplyRows(const Matrix& B, long double** dest, long double* scratch);
  void LUDecomposeWith(long double* scale);
  void CovarianceRows(const Matrix& X, bool correlation, long double** result, bool** flags, long double** dev,
                      long double* scratch, WorkPoll* poll = nullptr) const;
  void HouseholderRows(long double** work, long double* d, long double* e, WorkPoll* poll = nullptr) const;
  void FreePermutation();
  void FreeSolution();
  void FreeFlags();
  void RequireSquare(const char* context) const;
  [[noreturn]] void FailSingular(const std::string& context);
  void LUDecomposeSteps(long double* scale);
  void SolveColumn(long double* side, long double** dest, int col);

  int rows_ = 0;
  int cols_ = 0;
  long double** ldpMatrixDataPtr = nullptr;
  int rowCapacity_ = 0;       // row pointers held
  std::size_t capacity_ = 0;  // elements held in the one block
  int* ipRowPermutPtr = nullptr;
  int permutLength_ = 0;
  long double* ldpSolVectorPtr = nullptr;
  int solLength_ = 0;
  bool** bpDestMissCorrMatrPtr = nullptr;
};
