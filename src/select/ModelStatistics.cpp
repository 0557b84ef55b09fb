#include "select/ModelStatistics.h"

#include <cmath>
#include <string>

#include "data/ChemoData.h"
#include "data/DataResult.h"
#include "numerics/Matrix.h"
#include "numerics/ModelCalc.h"
#include "numerics/Utils.h"
#include "select/SubsetFitter.h"

namespace {

// sqrt(q) when q >= 0, else missing.
CheckedValue RootIfDefined(long double quotient) {
  return quotient >= 0.0L ? CheckedValue(std::sqrt(quotient), false) : CheckedValue(0.0L, true);
}

// A value that the routines report as -1.0 when undefined.
CheckedValue IfNotNegative(long double value) {
  return value >= 0.0L ? CheckedValue(value, false) : CheckedValue(0.0L, true);
}

// Column 0 of the first n rows of a matrix, read without a copy.
auto ColumnOf(const Matrix& m, int n) {
  if (m.Rows() < n) throw MatrixBoundariesEx();
  return [rows = m.Data()](int i) { return rows[i][0]; };
}

// Concordance correlation coefficient of observed y and calculated f (n rows):
// 2 S(y - my)(f - mf) / (S(f - mf)^2 + S(y - my)^2 + n (my - mf)^2); missing
// unless the denominator is > 0 and the quotient finite.
CheckedValue Concordance(const Matrix& observed, const Matrix& calculated, int n) {
  const auto y = ColumnOf(observed, n);
  const auto f = ColumnOf(calculated, n);
  long double my = 0.0L, mf = 0.0L;
  for (int i = 0; i < n; ++i) {
    my += y(i);
    mf += f(i);
  }
  my /= n;
  mf /= n;
  long double syf = 0.0L, sff = 0.0L, syy = 0.0L;
  for (int i = 0; i < n; ++i) {
    const long double dy = y(i) - my;
    const long double df = f(i) - mf;
    syf += dy * df;
    sff += df * df;
    syy += dy * dy;
  }
  const long double denominator = sff + syy + n * (my - mf) * (my - mf);
  return denominator > 0.0L ? IfFinite(2.0L * syf / denominator) : CheckedValue(0.0L, true);
}

struct Errors {
  long double mae;
  long double sse;
};

// MAE and SSE of observed against calculated (n rows); -1.0 each with fewer than 2 rows.
Errors MaeSse(const Matrix& observed, const Matrix& calculated, int n) {
  const auto y = ColumnOf(observed, n);
  const auto f = ColumnOf(calculated, n);
  Errors errors{};
  MaeAndSseOf(n, [&](int i) { return y(i) - f(i); }, errors.mae, errors.sse);
  return errors;
}

void FillArray(long double*& array, int count, const char* name, long double value) {
  AllocCheckedArray(array, count, name);
  for (int i = 0; i < count; ++i) array[i] = value;
}

// RMSE ext, MAE ext and PRESS ext of the prediction objects.
void FillPredictionStatistics(DataResultNode& node, const ChemoData& data, const PredictionSet& prediction) {
  const int n = prediction.count;
  const int k = node.iSize;
  Matrix observed(n, 1), predicted(n, 1);
  int row = 0;
  for (int i = 0; i < data.iObjCount && row < n; ++i) {
    if (!prediction.mask[i]) continue;
    const CheckedValue* cells = data.tpChemoValuePtr[i];
    long double value = 0.0L;
    value += 1.0L * node.ldpBModelCoeffPtr[0];
    for (int j = 0; j < k; ++j) value += cells[node.ipSelVarIdxPtr[j]].Value * node.ldpBModelCoeffPtr[j + 1];
    observed.At(row, 0) = prediction.response->At(row, 0);
    predicted.At(row, 0) = value;
    ++row;
  }
  const Errors errors = MaeSse(observed, predicted, n);
  // With a single prediction object the sums are undefined (-1.0): all three stay missing.
  if (errors.sse >= 0.0L) node.cvRMSEext = RootIfDefined(errors.sse / n);
  node.cvMAEext = IfNotNegative(errors.mae);
  node.cvPRESSext = IfNotNegative(errors.sse);
}

}  // namespace

CheckedValue& FitnessCell(DataResultNode& node, int id) {
  switch (id) {
    case 0: return node.cvQ2loo;
    case 1: return node.cvR2adj;
    case 2: return node.cvLOF;
    default: return node.cvRMSEcv;
  }
}

const CheckedValue& FitnessCell(const DataResultNode& node, int id) {
  return FitnessCell(const_cast<DataResultNode&>(node), id);
}

void FillModelRecord(DataResultNode& node, const ChemoData& data, const SubsetFitter& fitter,
                     const std::vector<int>& positions, const PredictionSet& prediction) {
  const int k = fitter.Size();
  const int n = fitter.TrainingCount();
  const Matrix& y = fitter.Response();
  const long double ssReg = fitter.SSreg(), ssTot = fitter.SStot(), press = fitter.Press();
  const long double rss = ResidualSumOfSquares(ssReg, ssTot);

  node.iSize = k;
  node.iTrainCount = n;
  AllocCheckedArray(node.ipSelVarIdxPtr, k, "*ipSelVarIdxPtr");
  for (int j = 0; j < k; ++j) {
    const int variable = data.ipSelectedVarPtr[positions[j]];
    node.ipSelVarIdxPtr[j] = variable;
    node.sName += data.tpVarNameStrPtr[variable] + "  ";
  }
  AllocCheckedArray(node.ldpBModelCoeffPtr, k + 1, "*ldpBModelCoeffPtr");
  for (int j = 0; j <= k; ++j) node.ldpBModelCoeffPtr[j] = fitter.Coefficients().At(j, 0);
  FillArray(node.ldpBStdCoeffPtr, k + 1, "*ldpBStdCoeffPtr", -1.0L);
  FillArray(node.ldpBIntConfPtr, k + 1, "*ldpBIntConfPtr", -1.0L);
  FillArray(node.ldpBSignifPtr, k + 1, "*ldpBSignifPtr", -1.0L);
  FillArray(node.ldpBStdErrPtr, k + 1, "*ldpBStdErrPtr", -1.0L);
  AllocCheckedArray(node.ldpTrainYCapPtr, n, "*ldpTrainYCapPtr");
  for (int i = 0; i < n; ++i) node.ldpTrainYCapPtr[i] = fitter.LooPredictions().At(i, 0);

  R2FromSS(node.cvR2.Value, node.cvR2.Missing, ssReg, ssTot);
  AdjustedR2(node.cvR2adj.Value, node.cvR2adj.Missing, node.cvR2.Value, node.cvR2.Missing, n, n - (k + 1));
  Q2FromPress(node.cvQ2loo.Value, node.cvQ2loo.Missing, press, ssTot);
  node.cvLOF = FriedmanLof(rss, n, k, data.ldLOFSmoothing);
  node.cvKxx = CheckedValue(std::fabs(fitter.Kxx().Value), fitter.Kxx().Missing);
  node.cvKxy = fitter.Kxy();

  node.cvRMSEtr = RootIfDefined(rss / n);
  node.cvRMSEcv = RootIfDefined(press / n);  // a failed PRESS is -1.0
  node.cvMAEtr = IfNotNegative(MaeSse(y, fitter.FittedValues(), n).mae);
  node.cvMAEcv = press >= 0.0L ? IfNotNegative(MaeSse(y, fitter.LooPredictions(), n).mae) : CheckedValue(0.0L, true);
  node.cvRSStr = CheckedValue(rss, false);
  node.cvPRESScv = IfNotNegative(press);
  node.cvCCCtr = Concordance(y, fitter.FittedValues(), n);
  node.cvCCCcv = press >= 0.0L ? Concordance(y, fitter.LooPredictions(), n) : CheckedValue(0.0L, true);

  const int d = n - (k + 1);
  if (d != 0) {
    const long double mse = rss / d;
    if (mse >= 0.0L) node.cvS = CheckedValue(std::sqrt(mse), false);
    if (mse > 0.0L) node.cvF = IfFinite((ssReg / k) / mse);
  }
  if (prediction.count > 0) FillPredictionStatistics(node, data, prediction);
  node.ldHstar = 3.0L * (k + 1) / n;
}
