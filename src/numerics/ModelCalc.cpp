#include "numerics/ModelCalc.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <optional>

#include "numerics/Statistics.h"
#include "numerics/Utils.h"

namespace {

void CheckDesign(const Matrix& X, const Matrix& y, int n, int p) {
  if (X.Rows() != n || X.Cols() != p + 1 || y.Rows() != n || y.Cols() != 1) throw MatrixBoundariesEx();
}

}  // namespace

void OlsCoefficients(Matrix& X, const Matrix& y, int n, int p) {
  CheckDesign(X, y, n, p);
  const Matrix A(X);
  X.Transpose();
  const Matrix Xt(X);
  X.Multiply(A);
  X.InvertMultiply(Xt);
  X.Multiply(y);
}

long double LooPress(const Matrix& X, const Matrix& y, int n, int p, Matrix* looPredictions, bool* succeeded) {
  if (succeeded != nullptr) *succeeded = false;
  try {
    CheckDesign(X, y, n, p);
    const int q = p + 1;
    Matrix Xt(X);
    Xt.Transpose();
    Matrix G(Xt);
    G.Multiply(X);
    Matrix h(Xt);
    h.Multiply(y);
    const long double* const* x = X.Data();
    Matrix hi(q, 1);
    long double press = 0.0L;
    for (int i = 0; i < n; ++i) {
      const long double yi = y.At(i, 0);
      Matrix b(G);
      for (int j = 0; j < q; ++j)
        for (int k = 0; k < q; ++k) b.Data()[j][k] -= x[i][j] * x[i][k];
      b.Invert();
      for (int j = 0; j < q; ++j) hi.Data()[j][0] = h.Data()[j][0] - x[i][j] * yi;
      b.Multiply(hi);
      long double yhat = b.Data()[0][0];
      for (int j = 1; j <= p; ++j) yhat += b.Data()[j][0] * x[i][j];
      const long double residual = yi - yhat;
      press = Finite(press + residual * residual);
      if (looPredictions != nullptr) looPredictions->At(i, 0) = Finite(yhat);
    }
    if (succeeded != nullptr) *succeeded = true;
    return press;
  } catch (...) {
    return -1.0L;
  }
}

long double KCorrelationIndex(const Matrix& m) {
  const int cols = m.Cols();
  if (cols < 2) return 0.0L;
  try {
    Matrix R;
    R.Correlation(m);
    if (cols == 2) {
      R.At(0, 1) = R.At(1, 0);
      long double eigen[2];
      if (R.Eigen2x2(eigen)) {
        R.At(0, 0) = eigen[0];
        R.At(0, 1) = eigen[1];
      }
    } else {
      R.HouseholderReduce(nullptr);
      R.QLEigen(nullptr);
    }
    long double sum = 0.0L;
    for (int j = 0; j < cols; ++j) sum += R.At(0, j);
    long double k = 0.0L;
    for (int j = 0; j < cols; ++j) k += std::fabs(CheckedDiv(R.At(0, j), sum) - 1.0L / cols);
    return Finite(k / (2.0L * (cols - 1) / cols));
  } catch (...) {
    return -1.0L;
  }
}

void KIndices(const Matrix& D, Matrix& DY, const Matrix& y, long double& kxx, bool& kxxMissing, long double& kxy,
              bool& kxyMissing, int p) {
  kxx = 0.0L;
  kxxMissing = false;
  try {
    if (p > 1) kxx = KCorrelationIndex(D);
  } catch (...) {
    kxx = -1.0L;
  }
  kxxMissing = (kxx == -1.0L);
  try {
    for (int i = 0; i < y.Rows(); ++i) DY.At(i, p) = y.At(i, 0);
    kxy = KCorrelationIndex(DY);
  } catch (...) {
    kxy = -1.0L;
  }
  kxyMissing = (kxy == -1.0L);
}

bool FitModel(long double& ssReg, long double& ssTot, long double* press, Matrix* coefficients,
              Matrix* looPredictions, int n, int p, const Matrix& y, Matrix& X, Matrix* fitted) {
  try {
    const Matrix X0(X);
    OlsCoefficients(X, y, n, p);
    Matrix F(X0);
    if (coefficients != nullptr && coefficients->Rows() == p + 1 && coefficients->Cols() == 1) *coefficients = X;
    F.Multiply(X);
    if (fitted != nullptr)
      for (int i = 0; i < F.Rows(); ++i) fitted->At(i, 0) = F.At(i, 0);
    ssReg = SumSqDev(F);
    ssTot = SumSqDev(y);
    if (press == nullptr) return true;
    bool succeeded = false;
    *press = LooPress(X0, y, n, p, looPredictions, &succeeded);
    return succeeded;
  } catch (...) {
    ssReg = -1.0L;
    ssTot = -1.0L;
    if (press != nullptr) *press = -1.0L;
    return false;
  }
}

void R2FromSS(long double& r2, bool& missing, long double ssReg, long double ssTot) {
  r2 = 0.0L;
  missing = true;
  if (ssTot > 0.0L) {
    r2 = ssReg / ssTot;
    missing = false;
  }
}

void Q2FromPress(long double& q2, bool& missing, long double press, long double ssTot) {
  q2 = 0.0L;
  missing = true;
  if (ssTot > 0.0L && press > 0.0L) {
    q2 = 1.0L - press / ssTot;
    missing = false;
  }
}

void AdjustedR2(long double& r2adj, bool& missing, long double r2, bool r2Missing, int n, int d) {
  r2adj = 0.0L;
  missing = true;
  if (!r2Missing && d > 0 && n > 0) {
    r2adj = 1.0L - (1.0L - r2) * (n - 1) / d;
    missing = false;
  }
}

void MaeAndSse(const Matrix& m, long double& mae, long double& sse) {
  mae = -1.0L;
  sse = -1.0L;
  const int n = m.Rows();
  if (n < 2) return;
  long double absSum = 0.0L;
  long double sqSum = 0.0L;
  for (int i = 0; i < n; ++i) {
    const long double diff = m.At(i, 0) - m.At(i, 1);
    absSum += std::fabs(diff);
    sqSum += diff * diff;
  }
  mae = Finite(absSum / n);
  sse = Finite(sqSum);
}

CheckedValue R2m(long double r2, long double r0Squared) {
  long double diff = r2 - r0Squared;
  if (diff < 0.0L) {
    if (diff < -16.0L * LDBL_EPSILON * std::max(1.0L, r2)) return CheckedValue(0.0L, true);
    diff = 0.0L;
  }
  return CheckedValue(Finite(r2 * (1.0L - std::sqrt(diff))), false);
}

CheckedValue FriedmanLof(long double rss, int n, int p, long double d) {
  CheckedValue lof(1e99L, true);
  if (n > 0) {
    const long double a = rss / n;
    const long double t = 1.0L - p * (d + 1.0L) / n;
    const long double den = t * t;
    if (den > 0.0L) lof = CheckedValue(Finite(a / den), false);
  }
  return lof;
}

bool HatMatrix(Matrix& X, int n, Matrix* Z, Matrix& H, int p) {
  try {
    if (X.Rows() != n || X.Cols() != p + 1) throw MatrixBoundariesEx();
    const Matrix A(X);
    X.Transpose();
    std::optional<Matrix> T;
    if (Z == nullptr) T.emplace(X);
    X.Multiply(A);
    X.Invert();
    H.Multiply(X);
    if (Z != nullptr) {
      Z->Transpose();
      H.Multiply(*Z);
    } else {
      H.Multiply(*T);
    }
    return true;
  } catch (...) {
    return false;
  }
}
