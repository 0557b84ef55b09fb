// Multiple linear regression of one model: least-squares coefficients, fit sums
// of squares, leave-one-out PRESS, K correlation indices, model statistics and
// leverages.
//
// Layout: the design matrix X has n rows and p + 1 columns, column 0 being 1.0
// (the constant term) and columns 1..p the model's descriptors; the response y
// is n x 1; coefficients are (p + 1) x 1, intercept first.
#pragma once

#include <cmath>
#include <vector>

#include "numerics/CheckedValue.h"
#include "numerics/Matrix.h"
#include "numerics/ModelCalcWorkspace.h"
#include "numerics/Utils.h"

class ColumnCorrelations;

// Each routine that scores one model comes in two forms: one that keeps its
// matrices in a caller's workspace (the model search: nothing is allocated per
// model once the workspace has grown) and one that makes its own.

// b = (X'X)^-1 X'y from the normal equations into ws.b; every fault (a singular
// X'X, sizes that do not match n and p) passes to the caller.
void OlsCoefficients(ModelCalcWorkspace& ws, const Matrix& X, const Matrix& y, int n, int p);
// The same, replacing X by b.
void OlsCoefficients(Matrix& X, const Matrix& y, int n, int p);

// Leave-one-out PRESS with one refit per object from down-dated normal equations;
// fills row i of looPredictions (n x 1) with the prediction of object i.
// Any fault gives -1.0 and sets *succeeded (when given) to false.
long double LooPress(ModelCalcWorkspace& ws, const Matrix& X, const Matrix& y, int n, int p,
                     Matrix* looPredictions = nullptr, bool* succeeded = nullptr);
long double LooPress(const Matrix& X, const Matrix& y, int n, int p, Matrix* looPredictions = nullptr,
                     bool* succeeded = nullptr);

// LooPress in two steps, so that ranges of rows can be refitted on different
// threads, each with a workspace of its own: Run for ranges that cover the rows,
// then Sum. The same operations in the same order, so the same bits.
class LooRefits {
public:
  // The design X (n x (p + 1)), the response y (n x 1), and G = X'X and h = X'y as
  // FormLooSums forms them; all kept by address.
  LooRefits(const Matrix& X, const Matrix& y, const Matrix& G, const Matrix& h);
  // Refits rows [from, to), row i's prediction into predictions[i]; returns the
  // first row whose refit faulted, else to.
  int Run(ModelCalcWorkspace& ws, int from, int to, long double* predictions) const;
  // Row i's refit in its two parts, for responses that share X: the inverse of
  // G = X'X less row i's terms (q x q; throws where the refit faults), then the
  // prediction from it with this response.
  static void Inverse(ModelCalcWorkspace& ws, const Matrix& X, const Matrix& G, int i, Matrix& inverse);
  long double Prediction(ModelCalcWorkspace& ws, int i, const Matrix& inverse) const;
  // PRESS summed in row order over rows [0, fault), fault being the first row whose
  // refit faulted (n: none), and LooPress's verdict; the predictions of those rows
  // into looPredictions when given.
  bool Sum(int fault, const long double* predictions, long double& press, Matrix* looPredictions = nullptr) const;

private:
  const Matrix &X_, &y_, &G_, &h_;
};

// G = X'X entry by entry as the product of X' with X forms it (the same terms summed
// in the same order, each sum checked finite), without the transposed copy; the
// lower triangle mirrors the upper one, as the products commute exactly. Throws
// where a sum is not finite.
void FormGram(const Matrix& X, Matrix& G);
// G = X'X and h = X'y as LooPress forms them, by way of X' in ws.xt; throws where a
// sum is not finite.
void FormLooSums(ModelCalcWorkspace& ws, const Matrix& X, const Matrix& y, Matrix& G, Matrix& h);

// The QUIK rule's inputs: Kxx of the descriptors D (n x p; 0.0 when p < 2) and Kxy
// of DY (n x (p + 1)), whose column p receives y here. A failed index is missing
// with the value -1.0.
void KIndices(ModelCalcWorkspace& ws, const Matrix& D, Matrix& DY, const Matrix& y, long double& kxx,
              bool& kxxMissing, long double& kxy, bool& kxyMissing, int p);
void KIndices(const Matrix& D, Matrix& DY, const Matrix& y, long double& kxx, bool& kxxMissing, long double& kxy,
              bool& kxyMissing, int p);
// The same from a pool's correlations: the descriptors are the pool columns
// columns[0..p-1], the response is columns[p]. The bits of the form above.
void KIndices(ModelCalcWorkspace& ws, const ColumnCorrelations& pool, const int* columns, int p, long double& kxx,
              bool& kxxMissing, long double& kxy, bool& kxyMissing);

// Fits y on X: X is replaced by b; SSreg is the spread of the fitted values, SStot
// that of y. Optional: the coefficients (written only when (p + 1) x 1), the fitted
// values (n x 1), PRESS and the leave-one-out predictions. Returns false when the
// fit or the PRESS failed: SSreg, SStot and PRESS are then -1.0 as far as they
// failed (a failed fit sets all three). The workspace form leaves X unchanged
// and, after a successful fit, b in ws.b and the fitted values in ws.fitted.
bool FitModel(ModelCalcWorkspace& ws, long double& ssReg, long double& ssTot, long double* press,
              Matrix* coefficients, Matrix* looPredictions, int n, int p, const Matrix& y, const Matrix& X,
              Matrix* fitted);
bool FitModel(long double& ssReg, long double& ssTot, long double* press, Matrix* coefficients,
              Matrix* looPredictions, int n, int p, const Matrix& y, Matrix& X, Matrix* fitted);

// K index of the columns of m from the eigenvalues of their correlation matrix:
// 0 for uncorrelated columns, 1 for a single non-zero eigenvalue; 0.0 for fewer
// than 2 columns, -1.0 on any fault.
long double KCorrelationIndex(CorrelationWorkspace& ws, const Matrix& m);
long double KCorrelationIndex(const Matrix& m);
// The same for a matrix of the given columns of a pool.
long double KCorrelationIndex(CorrelationWorkspace& ws, const ColumnCorrelations& pool, const int* columns,
                              int count);
// The index part alone, from the correlation matrix in ws.correlation (its lower
// triangle and diagonal as Matrix::CovarianceInto leaves them).
long double KIndexOfCorrelation(CorrelationWorkspace& ws);

// Statistics that may be undefined: value 0 and missing unless their inputs allow.
void R2FromSS(long double& r2, bool& missing, long double ssReg, long double ssTot);
void Q2FromPress(long double& q2, bool& missing, long double press, long double ssTot);
// 1 - (1 - R2) (n - 1) / d; callers pass d = n - (p + 1).
void AdjustedR2(long double& r2adj, bool& missing, long double r2, bool r2Missing, int n, int d);

// Mean absolute and summed squared difference of columns 0 and 1; both -1.0 for
// fewer than 2 rows.
void MaeAndSse(const Matrix& m, long double& mae, long double& sse);
// The same of the n differences diff(i), summed in row order.
template <typename Difference>
void MaeAndSseOf(int n, Difference diff, long double& mae, long double& sse) {
  mae = -1.0L;
  sse = -1.0L;
  if (n < 2) return;
  long double absSum = 0.0L;
  long double sqSum = 0.0L;
  for (int i = 0; i < n; ++i) {
    const long double d = diff(i);
    absSum += std::fabs(d);
    sqSum += d * d;
  }
  mae = Finite(absSum / n);
  sse = Finite(sqSum);
}

// r2 (1 - sqrt(r2 - r0Squared)); a rounding-size negative difference counts as 0,
// a clearly negative one makes the result missing.
CheckedValue R2m(long double r2, long double r0Squared);

// The residual sum of squares ssTot - ssReg; below 0 only by rounding (a
// response the model fits exactly, a constant one), where it is 0.
long double ResidualSumOfSquares(long double ssReg, long double ssTot);

// Friedman's lack of fit (RSS / n) / (1 - p (d + 1) / n)^2 with the smoothing
// parameter d; missing with the value 1e99 when undefined.
CheckedValue FriedmanLof(long double rss, int n, int p, long double d);

// The leverages, the diagonal of the hat matrix, with memory in proportion to
// the rows: with Z null, of X (X'X)^-1 X' (n entries); with Z (m x (p + 1)), of
// Z (X'X)^-1 Z' (m entries). Each entry carries the bits the full product's
// diagonal has. X becomes (X'X)^-1. Returns false on any fault (leverages then
// empty).
bool HatMatrix(Matrix& X, int n, const Matrix* Z, std::vector<long double>& leverages, int p);
// Q becomes (X'X)^-1 of X (n x (p + 1)) as HatMatrix forms it, without
// leverages. Returns false on any fault.
bool InverseGram(const Matrix& X, int n, int p, Matrix& Q);
