#include "numerics/Matrix.h"

#include <cmath>

#include "numerics/RowArray.h"
#include "numerics/Utils.h"

namespace {

const char* const kLUContext = "Matrix LU decomposition error: ";

}  // namespace

Matrix::Matrix() { Allocate(1, 1); }

Matrix::Matrix(int rows, int cols) { Allocate(rows, cols); }

Matrix::Matrix(const Matrix& other) {
  Allocate(other.rows_, other.cols_);
  *this = other;
}

Matrix::~Matrix() {
  FreeData();
  FreePermutation();
  FreeSolution();
}

Matrix& Matrix::operator=(const Matrix& other) {
  if (this == &other) return *this;
  if (rows_ != other.rows_ || cols_ != other.cols_) throw MatrixSameIndexEx("Matrix copy error: ");
  for (int r = 0; r < rows_; ++r)
    for (int c = 0; c < cols_; ++c) ldpMatrixDataPtr[r][c] = other.ldpMatrixDataPtr[r][c];
  return *this;
}

void Matrix::Allocate(int rows, int cols) {
  if (rows < 1 || cols < 1) throw MatrixIndexEx();
  FreeData();
  FreePermutation();
  FreeSolution();
  ldpMatrixDataPtr = RowArray<long double>(rows, cols, "*ldpMatrixDataPtr", "**ldpMatrixDataPtr").Release();
  rows_ = rows;
  cols_ = cols;
}

void Matrix::FreeData() {
  FreeRowArray(ldpMatrixDataPtr);
  ldpMatrixDataPtr = nullptr;
  rows_ = 0;
  cols_ = 0;
  FreeFlags();
}

void Matrix::FreeFlags() {
  FreeRowArray(bpDestMissCorrMatrPtr);
  bpDestMissCorrMatrPtr = nullptr;
}

void Matrix::FreePermutation() {
  delete[] ipRowPermutPtr;
  ipRowPermutPtr = nullptr;
  permutLength_ = 0;
}

void Matrix::FreeSolution() {
  delete[] ldpSolVectorPtr;
  ldpSolVectorPtr = nullptr;
  solLength_ = 0;
}

void Matrix::InstallData(long double** data, int rows, int cols) {
  FreeData();
  ldpMatrixDataPtr = data;
  rows_ = rows;
  cols_ = cols;
}

template <typename Fill>
void Matrix::ReplaceGuarded(int rows, int cols, const char* name, const char* rowName, const char* context,
                            Fill fill) {
  std::unique_ptr<RowArray<long double>> dest;
  try {
    dest = std::make_unique<RowArray<long double>>(rows, cols, name, rowName);
    fill(dest->Get());
  } catch (...) {
    if (dest) InstallData(dest->Release(), rows, cols);
    throw MatrixCalcErrorEx(context);
  }
  InstallData(dest->Release(), rows, cols);
}

long double& Matrix::At(int row, int col) {
  if (row < 0 || col < 0 || row >= rows_ || col >= cols_) throw MatrixBoundariesEx();
  return ldpMatrixDataPtr[row][col];
}

long double Matrix::At(int row, int col) const { return const_cast<Matrix*>(this)->At(row, col); }

void Matrix::RequireSquare(const std::string& context) const {
  if (rows_ != cols_) throw MatrixSameIndexEx(context);
}

void Matrix::Multiply(const Matrix& B) {
  if (cols_ != B.rows_) throw MatrixMultiplicationEx();
  const int inner = cols_;
  ReplaceGuarded(rows_, B.cols_, "*ldpDestMatrixPtr", "**ldpDestMatrixPtr", "Matrix multiplication: ",
                 [&](long double** dest) {
                   for (int i = 0; i < rows_; ++i)
                     for (int j = 0; j < B.cols_; ++j) {
                       long double sum = 0.0L;
                       for (int k = 0; k < inner; ++k) sum += ldpMatrixDataPtr[i][k] * B.ldpMatrixDataPtr[k][j];
                       dest[i][j] = Finite(sum);
                     }
                 });
}

void Matrix::Transpose() {
  const int rows = rows_;
  const int cols = cols_;
  ReplaceGuarded(cols, rows, "*ldpDestMatrixPtr", "**ldpDestMatrixPtr", "Matrix transposition: ",
                 [&](long double** dest) {
                   for (int i = 0; i < rows; ++i)
                     for (int j = 0; j < cols; ++j) dest[j][i] = ldpMatrixDataPtr[i][j];
                 });
}

void Matrix::LUDecompose() {
  RequireSquare(kLUContext);
  try {
    LUDecomposeSteps();
  } catch (...) {
    throw MatrixCalcErrorEx("LU decomposition: ");
  }
}

void Matrix::FailSingular(const std::string& context) {
  FreePermutation();
  throw MatrixSingularEx(context);
}

void Matrix::LUDecomposeSteps() {
  const int n = rows_;
  long double** a = ldpMatrixDataPtr;
  if (permutLength_ != n) {
    FreePermutation();
    AllocCheckedArray(ipRowPermutPtr, n, "*ipRowPermutPtr");
    permutLength_ = n;
  }
  int* perm = ipRowPermutPtr;
  for (int i = 0; i < n; ++i) perm[i] = i;
  std::unique_ptr<long double[]> scale = AllocVector(n, "*ldNormalizedRowPtr");

  for (int i = 0; i < n; ++i) {
    long double big = 0.0L;
    for (int j = 0; j < n; ++j)
      if (std::fabs(a[i][j]) > big) big = std::fabs(a[i][j]);
    if (big == 0.0L) FailSingular(kLUContext);
    scale[i] = CheckedDiv(1.0L, big);
  }

  for (int k = 0; k < n - 1; ++k) {
    // Position k competes unscaled, later positions scaled; the first largest wins.
    long double big = std::fabs(a[perm[k]][k]);
    int imax = k;
    for (int i = k + 1; i < n; ++i) {
      long double candidate = std::fabs(a[perm[i]][k]) * scale[i];
      if (candidate > big) {
        big = candidate;
        imax = i;
      }
    }
    if (imax != k) {
      std::swap(perm[k], perm[imax]);
      scale[imax] = scale[k];
    }
    const long double* pivotRow = a[perm[k]];
    if (pivotRow[k] == 0.0L) FailSingular(kLUContext);
    for (int i = k + 1; i < n; ++i) {
      long double* row = a[perm[i]];
      row[k] = CheckedDiv(row[k], pivotRow[k]);
      for (int j = k + 1; j < n; ++j) row[j] = Finite(row[j] - row[k] * pivotRow[j]);
    }
  }
}

void Matrix::ForwardSubstitute(const long double* b) {
  const char* context = "Matrix LU forward substitution error: ";
  RequireSquare(context);
  if (ipRowPermutPtr == nullptr || permutLength_ != rows_) throw MatrixRowPermutEx(context);
  if (solLength_ != rows_) {
    FreeSolution();
    AllocCheckedArray(ldpSolVectorPtr, rows_, "*ldpSolVectorPtr");
    solLength_ = rows_;
  }
  long double* y = ldpSolVectorPtr;
  for (int i = 0; i < rows_; ++i) {
    const long double* row = ldpMatrixDataPtr[ipRowPermutPtr[i]];
    long double sum = b[ipRowPermutPtr[i]];
    for (int j = 0; j < i; ++j) sum -= row[j] * y[j];
    y[i] = Finite(sum);
  }
}

void Matrix::BackSubstitute() {
  const char* context = "Matrix LU backward substitution error: ";
  RequireSquare(context);
  if (ldpSolVectorPtr == nullptr || solLength_ != rows_ || ipRowPermutPtr == nullptr ||
      permutLength_ != rows_)
    throw MatrixRowPermutEx(context);
  long double* x = ldpSolVectorPtr;
  for (int i = rows_ - 1; i >= 0; --i) {
    const long double* row = ldpMatrixDataPtr[ipRowPermutPtr[i]];
    long double sum = x[i];
    for (int j = i + 1; j < rows_; ++j) sum -= row[j] * x[j];
    if (row[i] == 0.0L) {
      FreeSolution();
      throw MatrixSingularEx(context);
    }
    x[i] = CheckedDiv(sum, row[i]);
  }
}

void Matrix::SolveColumn(long double* side, long double** dest, int col) {
  ForwardSubstitute(side);
  BackSubstitute();
  for (int i = 0; i < rows_; ++i) dest[i][col] = ldpSolVectorPtr[i];
}

void Matrix::Invert() {
  RequireSquare("Matrix inversion error: ");
  const int n = rows_;
  ReplaceGuarded(n, n, "*ldpInvMatrixPtr", "**ldpInvMatrixPtr", "Matrix inversion: ", [&](long double** inv) {
    std::unique_ptr<long double[]> side = AllocVector(n, "*ldpSideVectorPtr");
    LUDecompose();
    for (int j = 0; j < n; ++j) {
      for (int i = 0; i < n; ++i) side[i] = (i == j) ? 1.0L : 0.0L;
      SolveColumn(side.get(), inv, j);
    }
  });
}

void Matrix::InvertMultiply(const Matrix& B) {
  if (cols_ != B.rows_) throw MatrixMultiplicationEx();
  RequireSquare("Matrix inversion error: ");
  if (&B == this) {
    Matrix copy(B);
    InvertMultiply(copy);
    return;
  }
  const int n = rows_;
  ReplaceGuarded(n, B.cols_, "*ldpDestMatrixPtr", "**ldpDestMatrixPtr", "Fast matrix inversion - multiplication: ",
                 [&](long double** dest) {
                   std::unique_ptr<long double[]> side = AllocVector(n, "*ldpSideVectorPtr");
                   LUDecompose();
                   for (int j = 0; j < B.cols_; ++j) {
                     for (int i = 0; i < n; ++i) side[i] = B.ldpMatrixDataPtr[i][j];
                     SolveColumn(side.get(), dest, j);
                   }
                 });
}
