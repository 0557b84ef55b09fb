#include "numerics/ModelCalc.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <optional>
#include <utility>

#include "numerics/ColumnCorrelations.h"
#include "numerics/RankTest.h"
#include "numerics/Statistics.h"
#include "numerics/Utils.h"

namespace {

void CheckDesign(const Matrix& X, const Matrix& y, int n, int p) {
  if (X.Rows() != n || X.Cols() != p + 1 || y.Rows() != n || y.Cols() != 1) throw MatrixBoundariesEx();
}

// Refuses normal equations G = X'X whose scaled columns are linearly dependent
// (RankTest.h).
void RequireFullRank(const Matrix& gram, Matrix& work) {
  RequireFullRankRows(gram.Rows(), gram.Data(), work.Data(), [] { throw MatrixSingularEx("Least squares: "); });
}

// X takes the shape and elements of b.
void ReplaceBy(Matrix& X, const Matrix& b) {
  X.Reshape(b.Rows(), b.Cols());
  X = b;
}

}  // namespace

void OlsCoefficients(ModelCalcWorkspace& ws, const Matrix& X, const Matrix& y, int n, int p) {
  CheckDesign(X, y, n, p);
  ws.PrepareFit(n, p);
  X.TransposeInto(ws.xt);
  ws.xt.MultiplyInto(X, ws.xtx);
  RequireFullRank(ws.xtx, ws.scaled);
  ws.xtx.InvertMultiplyInto(ws.xt, ws.solution, ws.scratch.data());
  ws.solution.MultiplyInto(y, ws.b);
}

void OlsCoefficients(Matrix& X, const Matrix& y, int n, int p) {
  ModelCalcWorkspace ws;
  OlsCoefficients(ws, X, y, n, p);
  ReplaceBy(X, ws.b);
}

LooRefits::LooRefits(const Matrix& X, const Matrix& y, const Matrix& G, const Matrix& h)
    : X_(X), y_(y), G_(G), h_(h) {}

int LooRefits::Run(ModelCalcWorkspace& ws, int from, int to, long double* predictions) const {
  for (int i = from; i < to; ++i) {
    try {
      Inverse(ws, X_, G_, i, ws.giInverse);
      predictions[i] = Prediction(ws, i, ws.giInverse);
    } catch (...) {
      return i;
    }
  }
  return to;
}

void LooRefits::Inverse(ModelCalcWorkspace& ws, const Matrix& X, const Matrix& G, int i, Matrix& inverse) {
  const int q = X.Cols();
  ws.PrepareRefits(q - 1);
  const long double* x = X.Data()[i];
  long double** gi = ws.gi.Data();
  ws.gi = G;
  for (int j = 0; j < q; ++j)
    for (int k = 0; k < q; ++k) gi[j][k] -= x[j] * x[k];
  RequireFullRank(ws.gi, ws.scaled);
  ws.gi.InvertInto(inverse, ws.scratch.data());
}

long double LooRefits::Prediction(ModelCalcWorkspace& ws, int i, const Matrix& inverse) const {
  const int p = X_.Cols() - 1;
  ws.PrepareRefits(p);
  const long double* x = X_.Data()[i];
  const long double yi = y_.At(i, 0);
  long double** hi = ws.hi.Data();
  const long double* const* h = h_.Data();
  for (int j = 0; j <= p; ++j) hi[j][0] = h[j][0] - x[j] * yi;
  inverse.MultiplyInto(ws.hi, ws.bi);
  const long double* const* bi = ws.bi.Data();
  long double yhat = bi[0][0];
  for (int j = 1; j <= p; ++j) yhat += bi[j][0] * x[j];
  return yhat;
}

bool LooRefits::Sum(int fault, const long double* predictions, long double& press, Matrix* looPredictions) const {
  try {
    press = 0.0L;
    bool residualSeen = false;
    for (int i = 0; i < fault; ++i) {
      const long double residual = y_.At(i, 0) - predictions[i];
      residualSeen = residualSeen || residual != 0.0L;
      press = Finite(press + residual * residual);
      if (looPredictions != nullptr) looPredictions->At(i, 0) = Finite(predictions[i]);
    }
    // Residuals whose squares all vanish: the PRESS is below the number range, not 0.
    return fault == X_.Rows() && !(residualSeen && press < LDBL_MIN);
  } catch (...) {
    return false;
  }
}

void FormGram(const Matrix& X, Matrix& G) {
  const int n = X.Rows();
  const int m = X.Cols();
  G.Reshape(m, m);
  const long double* const* x = X.Data();
  long double** gram = G.Data();
  for (int i = 0; i < m; ++i)
    for (int j = i; j < m; ++j) {
      long double sum = 0.0L;
      for (int k = 0; k < n; ++k) sum += x[k][i] * x[k][j];
      gram[i][j] = gram[j][i] = Finite(sum);
    }
}

void FormLooSums(ModelCalcWorkspace& ws, const Matrix& X, const Matrix& y, Matrix& G, Matrix& h) {
  ws.xt.Reshape(X.Cols(), X.Rows());
  G.Reshape(X.Cols(), X.Cols());
  h.Reshape(X.Cols(), 1);
  X.TransposeInto(ws.xt);
  ws.xt.MultiplyInto(X, G);
  ws.xt.MultiplyInto(y, h);
}

long double LooPress(ModelCalcWorkspace& ws, const Matrix& X, const Matrix& y, int n, int p, Matrix* looPredictions,
                     bool* succeeded) {
  if (succeeded != nullptr) *succeeded = false;
  try {
    CheckDesign(X, y, n, p);
    ws.PrepareLoo(n, p);
    FormLooSums(ws, X, y, ws.g, ws.h);
    const LooRefits refits(X, y, ws.g, ws.h);
    long double* predictions = ws.predictions.data();
    long double press = 0.0L;
    if (!refits.Sum(refits.Run(ws, 0, n, predictions), predictions, press, looPredictions)) return -1.0L;
    if (succeeded != nullptr) *succeeded = true;
    return press;
  } catch (...) {
    return -1.0L;
  }
}

long double LooPress(const Matrix& X, const Matrix& y, int n, int p, Matrix* looPredictions, bool* succeeded) {
  ModelCalcWorkspace ws;
  return LooPress(ws, X, y, n, p, looPredictions, succeeded);
}

long double KIndexOfCorrelation(CorrelationWorkspace& ws) {
  Matrix& R = ws.correlation;
  const int cols = R.Cols();
  try {
    const Matrix* eigenvalues = &R;  // row 0
    if (cols == 2) {
      R.At(0, 1) = R.At(1, 0);
      long double eigen[2];
      if (R.Eigen2x2(eigen)) {
        R.At(0, 0) = eigen[0];
        R.At(0, 1) = eigen[1];
      }
    } else {
      R.HouseholderReduceInto(ws.form, ws.transformation);
      ws.form.QLEigen(nullptr);
      eigenvalues = &ws.form;
    }
    long double sum = 0.0L;
    for (int j = 0; j < cols; ++j) sum += eigenvalues->At(0, j);
    long double k = 0.0L;
    for (int j = 0; j < cols; ++j) k += std::fabs(CheckedDiv(eigenvalues->At(0, j), sum) - 1.0L / cols);
    return Finite(k / (2.0L * (cols - 1) / cols));
  } catch (...) {
    return -1.0L;
  }
}

long double KCorrelationIndex(CorrelationWorkspace& ws, const Matrix& m) {
  const int cols = m.Cols();
  if (cols < 2) return 0.0L;
  try {
    ws.Prepare(m.Rows(), cols);
    ws.correlation.CovarianceInto(m, true, ws.deviations, ws.scratch.data());
  } catch (...) {
    return -1.0L;
  }
  return KIndexOfCorrelation(ws);
}

long double KCorrelationIndex(const Matrix& m) {
  CorrelationWorkspace ws;
  return KCorrelationIndex(ws, m);
}

long double KCorrelationIndex(CorrelationWorkspace& ws, const ColumnCorrelations& pool, const int* columns,
                              int count) {
  if (count < 2) return 0.0L;
  try {
    ws.PrepareIndex(count);
    if (!pool.Gather(columns, count, ws.correlation)) return -1.0L;
  } catch (...) {
    return -1.0L;
  }
  return KIndexOfCorrelation(ws);
}

namespace {

// Kxx of the descriptors (index(false); 0.0 when p < 2) and Kxy with the response
// (index(true)); an index that fails or throws is missing with the value -1.0.
template <typename Index>
void KIndicesOf(int p, Index index, long double& kxx, bool& kxxMissing, long double& kxy, bool& kxyMissing) {
  kxx = 0.0L;
  try {
    if (p > 1) kxx = index(false);
  } catch (...) {
    kxx = -1.0L;
  }
  kxxMissing = (kxx == -1.0L);
  try {
    kxy = index(true);
  } catch (...) {
    kxy = -1.0L;
  }
  kxyMissing = (kxy == -1.0L);
}

}  // namespace

void KIndices(ModelCalcWorkspace& ws, const Matrix& D, Matrix& DY, const Matrix& y, long double& kxx,
              bool& kxxMissing, long double& kxy, bool& kxyMissing, int p) {
  auto index = [&](bool withResponse) {
    if (!withResponse) return KCorrelationIndex(ws.descriptors, D);
    for (int i = 0; i < y.Rows(); ++i) DY.At(i, p) = y.At(i, 0);
    return KCorrelationIndex(ws.withResponse, DY);
  };
  KIndicesOf(p, index, kxx, kxxMissing, kxy, kxyMissing);
}

void KIndices(const Matrix& D, Matrix& DY, const Matrix& y, long double& kxx, bool& kxxMissing, long double& kxy,
              bool& kxyMissing, int p) {
  ModelCalcWorkspace ws;
  KIndices(ws, D, DY, y, kxx, kxxMissing, kxy, kxyMissing, p);
}

void KIndices(ModelCalcWorkspace& ws, const ColumnCorrelations& pool, const int* columns, int p, long double& kxx,
              bool& kxxMissing, long double& kxy, bool& kxyMissing) {
  auto index = [&](bool withResponse) {
    return withResponse ? KCorrelationIndex(ws.withResponse, pool, columns, p + 1)
                        : KCorrelationIndex(ws.descriptors, pool, columns, p);
  };
  KIndicesOf(p, index, kxx, kxxMissing, kxy, kxyMissing);
}

bool FitModel(ModelCalcWorkspace& ws, long double& ssReg, long double& ssTot, long double* press, Matrix* coefficients,
              Matrix* looPredictions, int n, int p, const Matrix& y, const Matrix& X, Matrix* fitted) {
  try {
    OlsCoefficients(ws, X, y, n, p);
    if (coefficients != nullptr && coefficients->Rows() == p + 1 && coefficients->Cols() == 1) *coefficients = ws.b;
    X.MultiplyInto(ws.b, ws.fitted);
    for (int i = 0; i < n; ++i) Finite(y.At(i, 0) - ws.fitted.At(i, 0));  // the residuals
    if (fitted != nullptr)
      for (int i = 0; i < n; ++i) fitted->At(i, 0) = ws.fitted.At(i, 0);
    ssReg = SumSqDev(ws.fitted);
    ssTot = SumSqDev(y);
    // A spread response whose sum of squares is below the number range has no
    // statistic to show; 0 would claim a perfect fit.
    if (ssTot < LDBL_MIN && !IsConstantColumn(y, 0)) throw EUnderflow();
    if (press == nullptr) return true;
    bool succeeded = false;
    *press = LooPress(ws, X, y, n, p, looPredictions, &succeeded);
    return succeeded;
  } catch (...) {
    ssReg = -1.0L;
    ssTot = -1.0L;
    if (press != nullptr) *press = -1.0L;
    return false;
  }
}

bool FitModel(long double& ssReg, long double& ssTot, long double* press, Matrix* coefficients,
              Matrix* looPredictions, int n, int p, const Matrix& y, Matrix& X, Matrix* fitted) {
  ModelCalcWorkspace ws;
  const bool succeeded = FitModel(ws, ssReg, ssTot, press, coefficients, looPredictions, n, p, y, std::as_const(X), fitted);
  // SStot stays -1 only when the least-squares fit itself failed.
  if (ssTot >= 0.0L) ReplaceBy(X, ws.b);
  return succeeded;
}

namespace {

void SetIfFinite(long double& out, bool& missing, long double value) {
  const CheckedValue cell = IfFinite(value);
  out = cell.Value;
  missing = cell.Missing;
}

}  // namespace

void R2FromSS(long double& r2, bool& missing, long double ssReg, long double ssTot) {
  r2 = 0.0L;
  missing = true;
  if (ssTot > 0.0L) SetIfFinite(r2, missing, ssReg / ssTot);
}

void Q2FromPress(long double& q2, bool& missing, long double press, long double ssTot) {
  q2 = 0.0L;
  missing = true;
  if (ssTot > 0.0L && press > 0.0L) SetIfFinite(q2, missing, 1.0L - press / ssTot);
}

void AdjustedR2(long double& r2adj, bool& missing, long double r2, bool r2Missing, int n, int d) {
  r2adj = 0.0L;
  missing = true;
  if (!r2Missing && d > 0 && n > 0) SetIfFinite(r2adj, missing, 1.0L - (1.0L - r2) * (n - 1) / d);
}

void MaeAndSse(const Matrix& m, long double& mae, long double& sse) {
  MaeAndSseOf(m.Rows(), [&m](int i) { return m.At(i, 0) - m.At(i, 1); }, mae, sse);
}

CheckedValue R2m(long double r2, long double r0Squared) {
  long double diff = r2 - r0Squared;
  if (diff < 0.0L) {
    if (diff < -16.0L * LDBL_EPSILON * std::max(1.0L, r2)) return CheckedValue(0.0L, true);
    diff = 0.0L;
  }
  return IfFinite(r2 * (1.0L - std::sqrt(diff)));
}

long double ResidualSumOfSquares(long double ssReg, long double ssTot) { return std::max(0.0L, ssTot - ssReg); }

CheckedValue FriedmanLof(long double rss, int n, int p, long double d) {
  CheckedValue lof(1e99L, true);
  if (n > 0) {
    const long double a = rss / n;
    const long double t = 1.0L - p * (d + 1.0L) / n;
    const long double den = t * t;
    if (den > 0.0L && std::isfinite(a / den)) lof = CheckedValue(a / den, false);
  }
  return lof;
}

namespace {

// Q becomes (X'X)^-1 of the design X; throws on a fault.
void InvertGram(const Matrix& X, Matrix& Q) {
  FormGram(X, Q);
  Q.Invert();
}

void RequireDesign(const Matrix& X, int n, int p) {
  if (X.Rows() != n || X.Cols() != p + 1) throw MatrixBoundariesEx();
}

}  // namespace

bool InverseGram(const Matrix& X, int n, int p, Matrix& Q) {
  try {
    RequireDesign(X, n, p);
    InvertGram(X, Q);
    return true;
  } catch (...) {
    return false;
  }
}

// Row k of Z Q Z' is formed as the full product would form it: (ZQ)_kl summed
// over j from 0, then the diagonal entry summed over l from 0, each sum checked
// finite. Only the row's p + 1 entries of ZQ are kept, never the m x m product.
bool HatMatrix(Matrix& X, int n, const Matrix* Z, std::vector<long double>& leverages, int p) {
  try {
    RequireDesign(X, n, p);
    if (Z != nullptr && Z->Cols() != p + 1) throw MatrixMultiplicationEx();
    const Matrix A(X);
    InvertGram(A, X);
    const Matrix& rows = Z != nullptr ? *Z : A;
    const long double* const* q = std::as_const(X).Data();
    leverages.assign(static_cast<std::size_t>(rows.Rows()), 0.0L);
    std::vector<long double> rowTimesQ(static_cast<std::size_t>(p + 1));
    for (int k = 0; k < rows.Rows(); ++k) {
      const long double* row = rows.Data()[k];
      for (int l = 0; l <= p; ++l) {
        long double sum = 0.0L;
        for (int j = 0; j <= p; ++j) sum += row[j] * q[j][l];
        rowTimesQ[l] = Finite(sum);
      }
      long double sum = 0.0L;
      for (int l = 0; l <= p; ++l) sum += rowTimesQ[l] * row[l];
      leverages[k] = Finite(sum);
    }
    return true;
  } catch (...) {
    leverages.clear();
    return false;
  }
}
