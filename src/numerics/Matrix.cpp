#include "numerics/Matrix.h"

#include <cmath>

#include "numerics/LuSteps.h"
#include "numerics/RowArray.h"
#include "numerics/Utils.h"

namespace {

const char* const kLUContext = "Matrix LU decomposition error: ";
const char* const kLUGuardContext = "LU decomposition: ";
const char* const kMultiplyContext = "Matrix multiplication: ";
const char* const kTransposeContext = "Matrix transposition: ";
const char* const kInvertContext = "Matrix inversion error: ";
const char* const kInvertMultiplyContext = "Fast matrix inversion - multiplication: ";

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
  InstallData(RowArray<long double>(rows, cols, "*ldpMatrixDataPtr", "**ldpMatrixDataPtr").Release(), rows, cols);
}

void Matrix::Reshape(int rows, int cols) {
  if (rows == rows_ && cols == cols_) return;
  const std::size_t elements = static_cast<std::size_t>(rows) * static_cast<std::size_t>(cols);
  if (rows < 1 || cols < 1 || rows > rowCapacity_ || elements > capacity_) {
    Allocate(rows, cols);
    return;
  }
  FreeFlags();
  for (int r = 1; r < rows; ++r) ldpMatrixDataPtr[r] = ldpMatrixDataPtr[0] + static_cast<std::size_t>(r) * cols;
  rows_ = rows;
  cols_ = cols;
}

void Matrix::FreeData() {
  FreeRowArray(ldpMatrixDataPtr);
  ldpMatrixDataPtr = nullptr;
  rows_ = 0;
  cols_ = 0;
  rowCapacity_ = 0;
  capacity_ = 0;
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
  rowCapacity_ = rows;
  capacity_ = static_cast<std::size_t>(rows) * static_cast<std::size_t>(cols);
}

void Matrix::RequireDestination(const Matrix& dest, int rows, int cols, const Matrix* operand) const {
  if (dest.rows_ != rows || dest.cols_ != cols || &dest == this || &dest == operand) throw MatrixBoundariesEx();
}

template <typename Fill>
void Matrix::ReplaceGuarded(int rows, int cols, const char* name, const char* rowName, const char* context,
                            Fill fill, WorkPoll* poll) {
  std::unique_ptr<RowArray<long double>> dest;
  try {
    dest = std::make_unique<RowArray<long double>>(rows, cols, name, rowName, poll);
    fill(dest->Get());
  } catch (const CalculationStopped&) {
    throw;
  } catch (...) {
    if (dest) InstallData(dest->Release(), rows, cols);
    throw MatrixCalcErrorEx(context);
  }
  InstallData(dest->Release(), rows, cols);
}

void Matrix::ThrowBoundaries() { throw MatrixBoundariesEx(); }

void Matrix::RequireSquare(const char* context) const {
  if (rows_ != cols_) throw MatrixSameIndexEx(context);
}

void Matrix::MultiplyRows(const Matrix& B, long double** dest, WorkPoll* poll) const {
  for (int i = 0; i < rows_; ++i)
    for (int j = 0; j < B.cols_; ++j) {
      long double sum = 0.0L;
      for (int k = 0; k < cols_; ++k) sum += ldpMatrixDataPtr[i][k] * B.ldpMatrixDataPtr[k][j];
      dest[i][j] = Finite(sum);
      CountSteps(poll, cols_);
    }
}

void Matrix::Multiply(const Matrix& B, WorkPoll* poll) {
  if (cols_ != B.rows_) throw MatrixMultiplicationEx();
  ReplaceGuarded(rows_, B.cols_, "*ldpDestMatrixPtr", "**ldpDestMatrixPtr", kMultiplyContext,
                 [&](long double** dest) { MultiplyRows(B, dest, poll); }, poll);
}

void Matrix::MultiplyInto(const Matrix& B, Matrix& dest) const {
  if (cols_ != B.rows_) throw MatrixMultiplicationEx();
  RequireDestination(dest, rows_, B.cols_, &B);
  RunGuarded(kMultiplyContext, [&] { MultiplyRows(B, dest.ldpMatrixDataPtr); });
}

void Matrix::TransposeRows(long double** dest) const {
  for (int i = 0; i < rows_; ++i)
    for (int j = 0; j < cols_; ++j) dest[j][i] = ldpMatrixDataPtr[i][j];
}

void Matrix::Transpose() {
  ReplaceGuarded(cols_, rows_, "*ldpDestMatrixPtr", "**ldpDestMatrixPtr", kTransposeContext,
                 [&](long double** dest) { TransposeRows(dest); });
}

void Matrix::TransposeInto(Matrix& dest) const {
  RequireDestination(dest, cols_, rows_, nullptr);
  RunGuarded(kTransposeContext, [&] { TransposeRows(dest.ldpMatrixDataPtr); });
}

void Matrix::LUDecompose() {
  RequireSquare(kLUContext);
  RunGuarded(kLUGuardContext, [&] { LUDecomposeSteps(AllocVector(rows_, "*ldNormalizedRowPtr").get()); });
}

void Matrix::LUDecomposeWith(long double* scale) {
  RunGuarded(kLUGuardContext, [&] { LUDecomposeSteps(scale); });
}

void Matrix::FailSingular(const std::string& context) {
  FreePermutation();
  throw MatrixSingularEx(context);
}

void Matrix::LUDecomposeSteps(long double* scale) {
  const int n = rows_;
  long double** a = ldpMatrixDataPtr;
  if (permutLength_ != n) {
    FreePermutation();
    AllocCheckedArray(ipRowPermutPtr, n, "*ipRowPermutPtr");
    permutLength_ = n;
  }
  LuDecomposeRows(n, a, ipRowPermutPtr, scale, [this] { FailSingular(kLUContext); });
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
  LuForwardRows(rows_, ldpMatrixDataPtr, ipRowPermutPtr, b, ldpSolVectorPtr);
}

void Matrix::BackSubstitute() {
  const char* context = "Matrix LU backward substitution error: ";
  RequireSquare(context);
  if (ldpSolVectorPtr == nullptr || solLength_ != rows_ || ipRowPermutPtr == nullptr ||
      permutLength_ != rows_)
    throw MatrixRowPermutEx(context);
  LuBackRows(rows_, ldpMatrixDataPtr, ipRowPermutPtr, ldpSolVectorPtr, [&] {
    FreeSolution();
    throw MatrixSingularEx(context);
  });
}

void Matrix::SolveColumn(long double* side, long double** dest, int col) {
  ForwardSubstitute(side);
  BackSubstitute();
  for (int i = 0; i < rows_; ++i) dest[i][col] = ldpSolVectorPtr[i];
}

template <typename Side>
void Matrix::SolveColumns(int count, long double** dest, long double* scratch, Side fillSide) {
  long double* side = scratch + rows_;
  LUDecomposeWith(scratch);
  for (int j = 0; j < count; ++j) {
    fillSide(j, side);
    SolveColumn(side, dest, j);
  }
}

void Matrix::InvertRows(long double** dest, long double* scratch) {
  SolveColumns(rows_, dest, scratch, [&](int j, long double* side) {
    for (int i = 0; i < rows_; ++i) side[i] = (i == j) ? 1.0L : 0.0L;
  });
}

void Matrix::Invert() {
  RequireSquare(kInvertContext);
  const int n = rows_;
  ReplaceGuarded(n, n, "*ldpInvMatrixPtr", "**ldpInvMatrixPtr", "Matrix inversion: ", [&](long double** inv) {
    std::unique_ptr<long double[]> scratch = AllocVector(2 * n, "*ldpSideVectorPtr");
    InvertRows(inv, scratch.get());
  });
}

void Matrix::InvertInto(Matrix& dest, long double* scratch) {
  RequireSquare(kInvertContext);
  RequireDestination(dest, rows_, rows_, nullptr);
  RunGuarded("Matrix inversion: ", [&] { InvertRows(dest.ldpMatrixDataPtr, scratch); });
}

void Matrix::InvertMultiplyRows(const Matrix& B, long double** dest, long double* scratch) {
  SolveColumns(B.cols_, dest, scratch, [&](int j, long double* side) {
    for (int i = 0; i < rows_; ++i) side[i] = B.ldpMatrixDataPtr[i][j];
  });
}

void Matrix::InvertMultiply(const Matrix& B) {
  if (cols_ != B.rows_) throw MatrixMultiplicationEx();
  RequireSquare(kInvertContext);
  if (&B == this) {
    Matrix copy(B);
    InvertMultiply(copy);
    return;
  }
  const int n = rows_;
  ReplaceGuarded(n, B.cols_, "*ldpDestMatrixPtr", "**ldpDestMatrixPtr", kInvertMultiplyContext,
                 [&](long double** dest) {
                   std::unique_ptr<long double[]> scratch = AllocVector(2 * n, "*ldpSideVectorPtr");
                   InvertMultiplyRows(B, dest, scratch.get());
                 });
}

void Matrix::InvertMultiplyInto(const Matrix& B, Matrix& dest, long double* scratch) {
  if (cols_ != B.rows_) throw MatrixMultiplicationEx();
  RequireSquare(kInvertContext);
  RequireDestination(dest, rows_, B.cols_, &B);
  if (&B == this) throw MatrixBoundariesEx();
  RunGuarded(kInvertMultiplyContext, [&] { InvertMultiplyRows(B, dest.ldpMatrixDataPtr, scratch); });
}
