#include "numerics/Statistics.h"

#include <cmath>

#include "numerics/RowArray.h"
#include "numerics/Utils.h"

namespace {

const long double kTwoOverPi = 0.6366197723675814L;
const long double kHalfPi = 1.5707963267948966L;

// AS 241 coefficient sets, constant term first.
const long double kCentralNum[8] = {3.3871328727963666080e0L, 1.3314166789178437745e+2L, 1.9715909503065514427e+3L,
                                    1.3731693765509461125e+4L, 4.5921953931549871457e+4L, 6.7265770927008700853e+4L,
                                    3.3430575583588128105e+4L, 2.5090809287301226727e+3L};
const long double kCentralDen[8] = {1.0L,
                                    4.2313330701600911252e+1L,
                                    6.8718700749205790830e+2L,
                                    5.3941960214247511077e+3L,
                                    2.1213794301586595867e+4L,
                                    3.9307895800092710610e+4L,
                                    2.8729085735721942674e+4L,
                                    5.2264952788528545610e+3L};
const long double kMiddleNum[8] = {1.42343711074968357734e0L,  4.63033784615654529590e0L,  5.76949722146069140550e0L,
                                   3.64784832476320460504e0L,  1.27045825245236838258e0L,  2.41780725177450611770e-1L,
                                   2.27238449892691845833e-2L, 7.74545014278341407640e-4L};
const long double kMiddleDen[8] = {1.0L,
                                   2.05319162663775882187e0L,
                                   1.67638483018380384940e0L,
                                   6.89767334985100004550e-1L,
                                   1.48103976427480074590e-1L,
                                   1.51986665636164571966e-2L,
                                   5.47593808499534494600e-4L,
                                   1.05075007164441684324e-9L};
const long double kTailNum[8] = {6.65790464350110377720e0L,  5.46378491116411436990e0L,  1.78482653991729133580e0L,
                                 2.96560571828504891230e-1L, 2.65321895265761230930e-2L, 1.24266094738807843860e-3L,
                                 2.71155556874348757815e-5L, 2.01033439929228813265e-7L};
const long double kTailDen[8] = {1.0L,
                                 5.99832206555887937690e-1L,
                                 1.36929880922735805310e-1L,
                                 1.48753612908506148525e-2L,
                                 7.86869131145613259100e-4L,
                                 1.84631831751005468180e-5L,
                                 1.42151175831644588870e-7L,
                                 2.04426310338993978564e-15L};

// Horner evaluation of a degree-7 polynomial.
long double Poly7(const long double c[8], long double r) {
  long double v = c[7];
  for (int i = 6; i >= 0; --i) v = v * r + c[i];
  return v;
}

Matrix ColumnCopy(const Matrix& m, int j) {
  Matrix column(m.Rows(), 1);
  for (int i = 0; i < m.Rows(); ++i) column.At(i, 0) = m.At(i, j);
  return column;
}

long double Mean(const Matrix& m, int j) {
  long double sum = 0.0L;
  for (int i = 0; i < m.Rows(); ++i) sum += m.At(i, j);
  return Finite(sum / m.Rows());
}

// Sum of (x_i - mx)(y_i - my) over columns 0 and 1.
long double CrossDeviation(const Matrix& m, long double mx, long double my) {
  long double sxy = 0.0L;
  for (int i = 0; i < m.Rows(); ++i) sxy += (m.At(i, 0) - mx) * (m.At(i, 1) - my);
  return sxy;
}

// 1 - rss / SS(y); 1.0 for fewer than 2 rows, 0.0 when SS(y) is not > 0.
long double R2OfResiduals(const Matrix& m, long double rss) {
  const long double ssy = SumSqDev(ColumnCopy(m, 1));
  return ssy > 0.0L ? Finite(1.0L - rss / ssy) : 0.0L;
}

void CheckColumn(const Matrix& m, int j) {
  if (j < 0 || j > m.Cols() - 1) throw "Wrong selected column";
}

// The n values x(0..n-1) are all the same.
template <typename Column>
bool IsConstant(int n, Column x) {
  for (int i = 1; i < n; ++i)
    if (x(i) != x(0)) return false;
  return true;
}

template <typename Column>
long double SumSqDevOf(int n, Column x) {
  // Identical values deviate by nothing; the two sums below would leave a rounding
  // residue that makes a constant column look spread.
  if (IsConstant(n, x)) return 0.0L;
  long double sum = 0.0L;
  long double sumSq = 0.0L;
  for (int i = 0; i < n; ++i) {
    sum += x(i);
    sumSq += x(i) * x(i);
  }
  return Finite(std::fabs(sumSq - CheckedDiv(sum * sum, n)));
}

}  // namespace

bool IsConstantColumn(const Matrix& m, int j) {
  return IsConstant(m.Rows(), [&m, j](int i) { return m.At(i, j); });
}

long double InvNormalDeviate(const long double& p) {
  try {
    const long double q = p - 0.5L;
    if (std::fabs(q) <= 0.425L) {
      const long double r = 0.180625L - q * q;
      return CheckedDiv(q * Poly7(kCentralNum, r), Poly7(kCentralDen, r));
    }
    long double r = (q < 0.0L) ? p : 1.0L - p;
    if (r <= 0.0L) return 0.0L;
    r = CheckedSqrt(-std::log(r));
    long double result;
    if (r <= 5.0L) {
      r -= 1.6L;
      result = CheckedDiv(Poly7(kMiddleNum, r), Poly7(kMiddleDen, r));
    } else {
      r -= 5.0L;
      result = CheckedDiv(Poly7(kTailNum, r), Poly7(kTailDen, r));
    }
    return q < 0.0L ? -result : result;
  } catch (...) {
    return 0.0L;
  }
}

// The series runs (df - 2) / 2 terms; callers pass the residual degrees of freedom of a model.
long double StudentTProb(long double t, int df) {
  if (df < 1) return 1.0L;
  // A square that overflows would leave b = 0 and a plainly wrong probability.
  const long double a = Finite(std::fabs(t) / std::sqrt(static_cast<long double>(df)));
  const long double b = 1.0L / (1.0L + Finite(a * a));
  long double p;
  long double c;
  if (df % 2 == 1) {
    p = 1.0L - kTwoOverPi * std::atan(a);
    if (df > 1) {
      c = kTwoOverPi * a * b;
      p -= c;
    }
    if (df > 3)
      for (int i = 1; i <= (df - 2) / 2; ++i) {
        c = c * b * (2 * i) / (2 * i + 1);
        p -= c;
      }
  } else {
    c = a * std::sqrt(b);
    p = 1.0L - c;
    if (df > 2)
      for (int i = 1; i <= (df - 2) / 2; ++i) {
        c = c * b * (2 * i - 1) / (2 * i);
        p -= c;
      }
  }
  return p < 0.0L ? 0.0L : p;
}

long double InvStudentT(long double p, long double df) {
  if (df < 1.0L || p < 0.0L || p > 1.0L) return 0.0L;
  try {
    if (df == 2.0L) return CheckedSqrt(CheckedDiv(2.0L, p * (2.0L - p)) - 2.0L);
    if (df == 1.0L) return Finite(CheckedDiv(std::cos(p * kHalfPi), std::sin(p * kHalfPi)));
    const long double a = 1.0L / (df - 0.5L);
    const long double b = CheckedDiv(48.0L, a * a);
    long double c = ((20700.0L * a / b - 98.0L) * a - 16.0L) * a + 96.36L;
    const long double d = ((CheckedDiv(94.5L, b + c) - 3.0L) / b + 1.0L) * std::sqrt(a * kHalfPi) * df;
    long double x = d * p;
    long double y = Finite(std::pow(x, 2.0L / df));
    if (y > 0.05L + a) {
      x = InvNormalDeviate(0.5L * p);
      y = x * x;
      if (df < 5.0L) c = c + 0.3L * (df - 4.5L) * (x + 0.6L);
      c = (((0.05L * d * x - 5.0L) * x - 7.0L) * x - 2.0L) * x + b + c;
      const long double numerator = ((0.4L * y + 6.3L) * y + 36.0L) * y + 94.5L;
      y = ((CheckedDiv(numerator, c) - y - 3.0L) / b + 1.0L) * x;
      y = a * (y * y);
      if (y > 0.1L)
        y = std::exp(y) - 1.0L;
      else
        y = ((y + 4.0L) * y + 12.0L) * y * y / 24.0L + y;
    } else {
      const long double inner = (CheckedDiv(df + 6.0L, df * y) - 0.089L * d - 0.822L) * (df + 2.0L) * 3.0L;
      y = ((CheckedDiv(1.0L, inner) + 0.5L / (df + 4.0L)) * y - 1.0L) * (df + 1.0L) / (df + 2.0L) +
          CheckedDiv(1.0L, y);
    }
    return CheckedSqrt(Finite(df * y));
  } catch (...) {
    return 0.0L;
  }
}

long double SumSqDev(const Matrix& m, int col) {
  return SumSqDevOf(m.Rows(), [&m, col](int i) { return m.At(i, col); });
}

long double SumSqDev(const long double* values, int n) {
  return SumSqDevOf(n, [values](int i) { return values[i]; });
}

long double PearsonR(const Matrix& m) {
  if (m.Rows() < 2) throw 1.0L;
  const Matrix x = ColumnCopy(m, 0);
  const Matrix y = ColumnCopy(m, 1);
  const long double sxy = CrossDeviation(m, Mean(x, 0), Mean(y, 0));
  const long double ssx = SumSqDev(x);
  const long double ssy = SumSqDev(y);
  if (ssx > 0.0L && ssy > 0.0L) return Finite(sxy / CheckedSqrt(Finite(ssx * ssy)));
  return 0.0L;
}

long double LineR2(const Matrix& m, long double a, long double b) {
  if (m.Rows() < 2) return 1.0L;
  long double rss = 0.0L;
  for (int i = 0; i < m.Rows(); ++i) {
    const long double r = a + b * m.At(i, 0) - m.At(i, 1);
    rss += r * r;
  }
  return R2OfResiduals(m, rss);
}

long double OriginR2(const Matrix& m, long double k) {
  if (m.Rows() < 2) return 1.0L;
  long double rss = 0.0L;
  for (int i = 0; i < m.Rows(); ++i) {
    const long double r = m.At(i, 1) - k * m.At(i, 0);
    rss += r * r;
  }
  return R2OfResiduals(m, rss);
}

void LineFit(const Matrix& m, LineCoefficients& line) {
  const int n = m.Rows();
  if (n < 2) {
    line = LineCoefficients{};
    return;
  }
  long double sx = 0.0L, sxx = 0.0L, sy = 0.0L, sxy = 0.0L;
  for (int i = 0; i < n; ++i) {
    const long double x = m.At(i, 0);
    const long double y = m.At(i, 1);
    sx += x;
    sxx += x * x;
    sy += y;
    sxy += x * y;
  }
  const long double den = Finite(n * sxx - sx * sx);
  // Identical x have no line to fit, whatever rounding residue their sums leave in den.
  if (den == 0.0L || IsConstantColumn(m, 0)) return;
  line.a = CheckedDiv(sxx * sy - sx * sxy, den);
  line.b = CheckedDiv(n * sxy - sx * sy, den);
}

long double OriginSlope(const Matrix& m) {
  if (m.Rows() < 2) return 1.0L;
  long double sxy = 0.0L, sxx = 0.0L;
  for (int i = 0; i < m.Rows(); ++i) {
    sxy += m.At(i, 0) * m.At(i, 1);
    sxx += m.At(i, 0) * m.At(i, 0);
  }
  return sxx == 0.0L ? 0.0L : CheckedDiv(sxy, sxx);
}

long double Variance(const Matrix& m) {
  if (m.Rows() < 1) throw "Number of elements must be > 0";
  return SumSqDev(m) / m.Rows();
}

long double StdDev(const Matrix& m) { return std::sqrt(Variance(m)); }

long double ColumnStdDev(const Matrix& m, int j) {
  CheckColumn(m, j);
  return StdDev(ColumnCopy(m, j));
}

long double LinCCC(const Matrix& m) {
  if (m.Rows() < 1 || m.Cols() < 2) throw "Wrong number of column or rows";
  const long double mx = Mean(m, 0);
  const long double my = Mean(m, 1);
  const long double sxy = CrossDeviation(m, mx, my);
  const long double den = SumSqDev(ColumnCopy(m, 1)) + SumSqDev(ColumnCopy(m, 0)) + m.Rows() * ((mx - my) * (mx - my));
  return Finite(den) > 0.0L ? CheckedDiv(2.0L * sxy, den) : 0.0L;
}

long double PairCorrelation(const Matrix& m, int i, int j) {
  if (m.Cols() < 2) throw MatrixCalcErrorEx("Covariance matrix column amount must be greater than 1: ");
  if (m.Rows() < 1 || m.Cols() < 1) throw MatrixIndexEx();
  if (i < 0 || j < 0 || i >= m.Cols() || j >= m.Cols()) throw "Not allowed index values for pair correlation.";
  const int n = m.Rows();
  try {
    RowArray<long double> dev(n, 2, "*ldpDiffArrayPtr", "**ldpDiffArrayPtr");
    // A constant column has no deviation to correlate: the quotient below is 0/0.
    if (IsConstantColumn(m, i) || IsConstantColumn(m, j)) throw EInvalidOp();
    const int column[2] = {i, j};
    long double s[2];
    for (int c = 0; c < 2; ++c) {
      const long double mean = ColumnMean(m, column[c]);
      long double sumSq = 0.0L;
      for (int r = 0; r < n; ++r) {
        const long double x = m.At(r, column[c]);
        dev[r][c] = x - mean;
        sumSq += x * x;
      }
      s[c] = CheckedSqrt(CheckedDiv(sumSq - n * (mean * mean), n - 1));
    }
    long double sum = 0.0L;
    for (int r = 0; r < n; ++r) sum += dev[r][0] * dev[r][1];
    const long double cov = CheckedDiv(sum, n - 1);
    return CheckedDiv(cov, s[0] * s[1]);
  } catch (...) {
    throw MatrixCalcErrorEx("Building covariance matrix: ");
  }
}

long double ColumnMean(const Matrix& m, int j) {
  CheckColumn(m, j);
  if (m.Rows() < 1) throw "No elements for average calculation";
  return Mean(m, j);
}

long double PartialMean(const Matrix& m, int k) {
  if (m.Rows() < 1 || k < 0) throw "No elements for average calculation";
  if (k + 1 > m.Rows()) throw "Requested index higher than the vector element number for average calculation";
  long double sum = 0.0L;
  for (int i = 0; i <= k; ++i) sum += m.At(i, 0);
  return Finite(sum / (k + 1));
}
