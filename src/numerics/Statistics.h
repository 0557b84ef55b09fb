// Elementary statistics on the columns of a Matrix: the series are column 0
// (x, observed) and column 1 (y, predicted), one object per row.
#pragma once

#include "numerics/Matrix.h"

// Intercept and slope of a least-squares line.
struct LineCoefficients {
  long double a = 0.0L;  // intercept
  long double b = 0.0L;  // slope
};

// z with P(Z <= z) = p (AS 241); 0.0 for p outside (0, 1) or on any fault.
long double InvNormalDeviate(const long double& p);
// Two-tailed P(|T| >= |t|) for Student's t with df degrees of freedom (exact series).
long double StudentTProb(long double t, int df);
// t >= 0 with P(|T| >= t) = p (Hill's algorithm 396); 0.0 on bad input or any fault.
long double InvStudentT(long double p, long double df);

// True when every row of column j holds the same value.
bool IsConstantColumn(const Matrix& m, int j);
// |sum x^2 - (sum x)^2 / n| of column col; exactly 0 for identical values.
long double SumSqDev(const Matrix& m, int col = 0);
// The same of the n values of an array.
long double SumSqDev(const long double* values, int n);
// Pearson r of columns 0 and 1; fewer than 2 rows throws the value 1.0L.
long double PearsonR(const Matrix& m);
// R2 of the given line y = a + b x, and of the line y = k x.
long double LineR2(const Matrix& m, long double a, long double b);
long double OriginR2(const Matrix& m, long double k);
// Least-squares line of y on x; left unchanged when all x are equal.
void LineFit(const Matrix& m, LineCoefficients& line);
long double OriginSlope(const Matrix& m);
// Population variance and standard deviation of column 0, and of column j.
long double Variance(const Matrix& m);
long double StdDev(const Matrix& m);
long double ColumnStdDev(const Matrix& m, int j);
// Lin's concordance correlation coefficient of columns 0 and 1.
long double LinCCC(const Matrix& m);
// Pearson r of columns i and j from sample moments; faults become MatrixCalcErrorEx.
long double PairCorrelation(const Matrix& m, int i, int j);
long double ColumnMean(const Matrix& m, int j);
// Mean of rows 0..k of column 0.
long double PartialMean(const Matrix& m, int k);
