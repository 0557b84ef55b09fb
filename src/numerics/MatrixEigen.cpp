// Autoscaling, covariance and correlation, and the symmetric eigen-decomposition
// (Householder tridiagonalisation, implicit QL iteration, eigenvalue ordering).
#include <cmath>
#include <utility>

#include "numerics/CovarianceSteps.h"
#include "numerics/Matrix.h"
#include "numerics/Statistics.h"
#include "numerics/RowArray.h"
#include "numerics/Utils.h"
#include "numerics/WorkPoll.h"

namespace {

// Householder reduction of the symmetric matrix a (lower triangle read) to
// tridiagonal form, accumulating the transformation in a. On return d holds the
// diagonal and e the sub-diagonal with e[i] coupling d[i-1] and d[i] (e[0] = 0).
// Each row of the inner loops counts its steps on the poll.
void Tridiagonalise(long double** a, int n, long double* d, long double* e, WorkPoll* poll) {
  for (int i = n - 1; i > 0; --i) {
    const int l = i - 1;
    long double h = 0.0L;
    if (l > 0) {
      long double scale = 0.0L;
      for (int k = 0; k <= l; ++k) scale += std::fabs(a[i][k]);
      if (scale == 0.0L) {
        e[i] = a[i][l];
      } else {
        for (int k = 0; k <= l; ++k) {
          a[i][k] = CheckedDiv(a[i][k], scale);
          h += a[i][k] * a[i][k];
        }
        long double f = a[i][l];
        long double g = (f >= 0.0L) ? -CheckedSqrt(h) : CheckedSqrt(h);
        e[i] = scale * g;
        h -= f * g;
        a[i][l] = f - g;
        f = 0.0L;
        for (int j = 0; j <= l; ++j) {
          a[j][i] = CheckedDiv(a[i][j], h);
          g = 0.0L;
          for (int k = 0; k <= j; ++k) g += a[j][k] * a[i][k];
          for (int k = j + 1; k <= l; ++k) g += a[k][j] * a[i][k];
          e[j] = CheckedDiv(g, h);
          f += e[j] * a[i][j];
          CountSteps(poll, l + 1);
        }
        const long double hh = CheckedDiv(f, h + h);
        for (int j = 0; j <= l; ++j) {
          f = a[i][j];
          e[j] = g = e[j] - hh * f;
          for (int k = 0; k <= j; ++k) a[j][k] -= (f * e[k] + g * a[i][k]);
          CountSteps(poll, j + 1);
        }
      }
    } else {
      e[i] = a[i][l];
    }
    d[i] = h;
  }
  d[0] = 0.0L;
  e[0] = 0.0L;
  for (int i = 0; i < n; ++i) {
    const int l = i - 1;
    if (d[i] != 0.0L) {
      for (int j = 0; j <= l; ++j) {
        long double g = 0.0L;
        for (int k = 0; k <= l; ++k) g += a[i][k] * a[k][j];
        for (int k = 0; k <= l; ++k) a[k][j] -= g * a[k][i];
        CountSteps(poll, 2 * (l + 1));
      }
    }
    d[i] = a[i][i];
    a[i][i] = 1.0L;
    for (int j = 0; j <= l; ++j) a[j][i] = a[i][j] = 0.0L;
    CountSteps(poll, i);
  }
}

void RequireFinite(const long double* v, int n) {
  for (int i = 0; i < n; ++i) Finite(v[i]);
}

// One implicit QL step with shift on rows l..m of the tridiagonal form, rotating
// the columns of z (zRows rows; none when null). Each rotation counts two steps a
// row of z: it reads z across its rows, at about twice the time of a step of the
// other loops.
void QLStep(long double* d, long double* e, int l, int m, long double** z, int zRows, WorkPoll* poll) {
  long double g = CheckedDiv(d[l + 1] - d[l], 2.0L * e[l]);
  long double r = CheckedSqrt(Finite(g * g) + 1.0L);
  g = d[m] - d[l] + CheckedDiv(e[l], g + (g >= 0.0L ? r : -r));
  long double s = 1.0L;
  long double c = 1.0L;
  long double p = 0.0L;
  for (int i = m - 1; i >= l; --i) {
    long double f = s * e[i];
    const long double b = c * e[i];
    if (std::fabs(f) >= std::fabs(g)) {
      c = CheckedDiv(g, f);
      r = CheckedSqrt(c * c + 1.0L);
      e[i + 1] = f * r;
      s = 1.0L / r;
      c *= s;
    } else {
      s = CheckedDiv(f, g);
      r = CheckedSqrt(s * s + 1.0L);
      e[i + 1] = g * r;
      c = 1.0L / r;
      s *= c;
    }
    g = d[i + 1] - p;
    r = (d[i] - g) * s + 2.0L * c * b;
    p = s * r;
    d[i + 1] = g + p;
    g = c * r - b;
    for (int k = 0; k < zRows; ++k) {
      f = z[k][i + 1];
      z[k][i + 1] = s * z[k][i] + c * f;
      z[k][i] = c * z[k][i] - s * f;
    }
    CountSteps(poll, 2 * zRows + 1);
  }
  d[l] -= p;
  e[l] = g;
  e[m] = 0.0L;
}

void SwapColumns(Matrix* m, int a, int b) {
  if (m == nullptr) return;
  for (int r = 0; r < m->Rows(); ++r) std::swap(m->At(r, a), m->At(r, b));
}

}  // namespace

void Matrix::Autoscale() {
  try {
    for (int c = 0; c < cols_; ++c) {
      const long double sd = ColumnStdDev(*this, c);
      const long double mean = ColumnMean(*this, c);
      for (int r = 0; r < rows_; ++r) {
        if (sd == 0.0L) throw EZeroDivide();
        ldpMatrixDataPtr[r][c] = CheckedDiv(ldpMatrixDataPtr[r][c] - mean, sd);
      }
    }
  } catch (...) {
    throw MatrixCalcErrorEx("Austoscaled matrix error.");
  }
}

void Matrix::CovarianceRows(const Matrix& X, bool correlation, long double** result, bool** flags,
                            long double** dev, long double* scratch, WorkPoll* poll) const {
  const int p = X.cols_;
  const int n = X.rows_;
  long double* means = scratch;
  long double* sd = scratch + p;
  const long double* const* x = X.ldpMatrixDataPtr;
  auto deviations = [dev](int j) { return [dev, j](int i) { return dev[i][j]; }; };
  for (int j = 0; j < p; ++j) {
    means[j] = DeviationMean(n, [x, j](int i) { return x[i][j]; });
    for (int i = 0; i < n; ++i) dev[i][j] = x[i][j] - means[j];
    CountSteps(poll, 2 * n);
  }
  if (correlation)
    for (int j = 0; j < p; ++j) {
      sd[j] = DeviationSd(n, deviations(j));
      CountSteps(poll, n);
    }
  const int s = correlation ? 1 : 0;
  for (int j = s; j < p; ++j)
    for (int k = 0; k <= j - s; ++k) {
      long double c = DeviationCovariance(n, deviations(j), deviations(k));
      if (correlation) c = CorrelationOf(c, sd[j], sd[k], flags[j][k]);
      result[j][k] = c;
      CountSteps(poll, n);
    }
  if (correlation)
    for (int j = 0; j < p; ++j) result[j][j] = 1.0L;
}

namespace {

void RequireCovarianceInput(const Matrix& X) {
  if (X.Cols() < 2) throw MatrixCalcErrorEx("Covariance matrix column amount must be greater than 1: ");
  if (X.Rows() < 1) throw MatrixIndexEx();
}

const char* const kCovarianceContext = "Building covariance matrix: ";
const char* const kHouseholderContext = "Householder reduction: ";

}  // namespace

void Matrix::Covariance(const Matrix& X, bool correlation, WorkPoll* poll) {
  RequireCovarianceInput(X);
  const int p = X.cols_;
  RunGuarded(kCovarianceContext, [&] {
    RowArray<long double> result(p, p, "*ldpDestMatrixPtr", "**ldpDestMatrixPtr", poll);
    RowArray<bool> flags(p, p, "*bpDestMissCorrMatrPtr", "**bpDestMissCorrMatrPtr", poll);
    std::unique_ptr<long double[]> scratch = AllocVector(2 * p, "*ldpColMeansVectorPtr");
    RowArray<long double> dev(X.rows_, p, "*ldpDiffArrayPtr", "**ldpDiffArrayPtr", poll);
    CovarianceRows(X, correlation, result.Get(), flags.Get(), dev.Get(), scratch.get(), poll);
    InstallData(result.Release(), p, p);
    bpDestMissCorrMatrPtr = flags.Release();
  });
}

void Matrix::CovarianceInto(const Matrix& X, bool correlation, Matrix& deviations, long double* scratch) {
  RequireCovarianceInput(X);
  const int p = X.cols_;
  if (rows_ != p || cols_ != p || &X == this) throw MatrixBoundariesEx();
  X.RequireDestination(deviations, X.rows_, p, this);
  RunGuarded(kCovarianceContext, [&] {
    if (bpDestMissCorrMatrPtr == nullptr)
      bpDestMissCorrMatrPtr = RowArray<bool>(p, p, "*bpDestMissCorrMatrPtr", "**bpDestMissCorrMatrPtr").Release();
    CovarianceRows(X, correlation, ldpMatrixDataPtr, bpDestMissCorrMatrPtr, deviations.ldpMatrixDataPtr, scratch);
  });
}

void Matrix::HouseholderRows(long double** work, long double* d, long double* e, WorkPoll* poll) const {
  const int n = rows_;
  for (int r = 0; r < n; ++r) {
    for (int c = 0; c < n; ++c) work[r][c] = ldpMatrixDataPtr[r][c];
    CountSteps(poll, n);
  }
  Tridiagonalise(work, n, d, e, poll);
  for (int i = 0; i < n - 1; ++i) e[i] = e[i + 1];
  e[n - 1] = 0.0L;
  RequireFinite(d, n);
  RequireFinite(e, n);
  for (int r = 0; r < n; ++r) {
    RequireFinite(work[r], n);
    CountSteps(poll, n);
  }
}

void Matrix::HouseholderReduce(Matrix* Q, WorkPoll* poll) {
  RequireSquare("Householder symmetric matrix reduction error: ");
  const int n = rows_;
  RunGuarded(kHouseholderContext, [&] {
    RowArray<long double> work(n, n, "*ldpDestMatrixPtr", "**ldpDestMatrixPtr", poll);
    RowArray<long double> form(2, n, "*ldpMatrixDataPtr", "**ldpMatrixDataPtr");
    HouseholderRows(work.Get(), form[0], form[1], poll);
    if (Q != nullptr) Q->InstallData(work.Release(), n, n);
    InstallData(form.Release(), 2, n);
  });
}

void Matrix::HouseholderReduceInto(Matrix& form, Matrix& work) const {
  RequireSquare("Householder symmetric matrix reduction error: ");
  const int n = rows_;
  if (&form == this) throw MatrixBoundariesEx();
  RequireDestination(work, n, n, &form);
  form.Reshape(2, n);
  long double** f = form.ldpMatrixDataPtr;
  RunGuarded(kHouseholderContext, [&] { HouseholderRows(work.ldpMatrixDataPtr, f[0], f[1]); });
}

bool Matrix::QLIterate(int limit, Matrix* Q, WorkPoll* poll) {
  if (rows_ != 2 || cols_ < 0) throw MatrixQLIndexEx();
  const int n = cols_;
  if (Q != nullptr && Q->cols_ != n) throw MatrixBoundariesEx();
  if (limit < 1) limit = 200;
  long double* d = ldpMatrixDataPtr[0];
  long double* e = ldpMatrixDataPtr[1];
  long double** z = Q != nullptr ? Q->ldpMatrixDataPtr : nullptr;
  const int zRows = Q != nullptr ? Q->rows_ : 0;
  const long double tolerance = std::ldexp(1.0L, -63);
  bool converged = true;
  for (int l = 0; l < n && converged; ++l) {
    for (int steps = 0;;) {
      int m = l;
      while (m < n - 1 && std::fabs(e[m]) > (std::fabs(d[m]) + std::fabs(d[m + 1])) * tolerance) ++m;
      if (m == l) break;
      QLStep(d, e, l, m, z, zRows, poll);
      RequireFinite(d, n);
      RequireFinite(e, n);
      if (++steps >= limit) {
        converged = false;
        break;
      }
    }
  }
  for (int k = 0; k < zRows; ++k) {
    RequireFinite(z[k], n);
    CountSteps(poll, n);
  }
  rows_ = 1;  // the off-diagonal row is dropped; its storage goes with the block
  return converged;
}

void Matrix::SortEigenBy(Matrix* Q, Matrix* S, bool byAbsoluteValue, WorkPoll* poll) {
  long double* values = ldpMatrixDataPtr[0];
  auto key = [&](int i) { return byAbsoluteValue ? std::fabs(values[i]) : values[i]; };
  for (int i = 0; i < cols_ - 1; ++i) {
    int smallest = i;
    for (int j = i + 1; j < cols_; ++j)
      if (key(j) < key(smallest)) smallest = j;
    CountSteps(poll, cols_ - i);
    if (smallest == i) continue;
    std::swap(values[i], values[smallest]);
    SwapColumns(Q, i, smallest);
    SwapColumns(S, i, smallest);
    CountSteps(poll, (Q != nullptr ? Q->Rows() : 0) + (S != nullptr ? S->Rows() : 0));
  }
}

bool Matrix::Eigen2x2(long double out[2]) const {
  if (rows_ != 2 || cols_ != 2) throw MatrixBoundariesEx();
  const long double* const* a = ldpMatrixDataPtr;
  const long double t = a[0][0] + a[1][1];
  const long double disc = Finite(t * t - 4.0L * (a[0][0] * a[1][1] - a[1][0] * a[0][1]));
  if (disc < 0.0L) return false;
  out[0] = (t + std::sqrt(disc)) / 2.0L;
  out[1] = (t - std::sqrt(disc)) / 2.0L;
  return true;
}
