#include "numerics/ModelCalc.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "numerics/MersenneTwister.h"
#include "numerics/NumericsTestSupport.h"

namespace {

// Design matrix [1 | descriptors] and response from rows of (y, x1..xp).
struct Model {
  Matrix X;
  Matrix y;
  int n;
  int p;
};

Model MakeModel(const std::vector<std::vector<long double>>& rows) {
  const int n = static_cast<int>(rows.size());
  const int p = static_cast<int>(rows[0].size()) - 1;
  Model m{Matrix(n, p + 1), Matrix(n, 1), n, p};
  for (int i = 0; i < n; ++i) {
    m.y.At(i, 0) = rows[i][0];
    m.X.At(i, 0) = 1.0L;
    for (int j = 1; j <= p; ++j) m.X.At(i, j) = rows[i][j];
  }
  return m;
}

// Well-conditioned data: y = 1 + sum_j j x_j + noise.
Model RandomModel(int n, int p, int32_t seed) {
  MersenneTwister random(seed);
  std::vector<std::vector<long double>> rows(n, std::vector<long double>(p + 1));
  for (auto& row : rows) {
    row[0] = 1.0L + random.RandomReal();
    for (int j = 1; j <= p; ++j) {
      row[j] = 10.0L * random.RandomReal();
      row[0] += j * row[j];
    }
  }
  return MakeModel(rows);
}

// The columns of the example table: the response, then every descriptor.
std::vector<std::vector<long double>> ExampleColumns() {
  std::ifstream in(KORVANE_ASSETS_DIR "/help/example.txt");
  std::string line, cell;
  std::getline(in, line);
  std::vector<std::vector<long double>> columns;
  while (std::getline(in, line)) {
    std::istringstream cells(line);
    std::getline(cells, cell, '\t');  // the object name
    for (std::size_t c = 0; std::getline(cells, cell, '\t'); ++c) {
      if (columns.size() <= c) columns.emplace_back();
      columns[c].push_back(std::strtold(cell.c_str(), nullptr));
    }
  }
  return columns;
}

// The condition number of X'X with X's columns scaled to unit length.
long double ScaledConditionNumber(const Matrix& X) {
  Matrix xt(X);
  xt.Transpose();
  Matrix s(xt);
  s.Multiply(X);
  const int q = s.Rows();
  std::vector<long double> norm(q);
  for (int j = 0; j < q; ++j) norm[j] = std::sqrt(s.At(j, j));
  for (int i = 0; i < q; ++i)
    for (int j = 0; j < q; ++j) s.At(i, j) /= norm[i] * norm[j];
  s.HouseholderReduce(nullptr);
  s.QLEigen(nullptr);
  long double low = s.At(0, 0), high = s.At(0, 0);
  for (int j = 1; j < q; ++j) {
    low = std::min(low, s.At(0, j));
    high = std::max(high, s.At(0, j));
  }
  return low > 0.0L ? high / low : INFINITY;
}

long double RelativeError(long double actual, long double expected) {
  return std::fabs(actual - expected) / std::fabs(expected);
}

}  // namespace

// The classic employment data (16 years, 6 strongly collinear descriptors) with
// its certified least-squares coefficients.
TEST(OlsCoefficients, IllConditionedEmploymentDataMatchCertifiedValues) {
  Model m = MakeModel({
      {60323, 83.0, 234289, 2356, 1590, 107608, 1947},  {61122, 88.5, 259426, 2325, 1456, 108632, 1948},
      {60171, 88.2, 258054, 3682, 1616, 109773, 1949},  {61187, 89.5, 284599, 3351, 1650, 110929, 1950},
      {63221, 96.2, 328975, 2099, 3099, 112075, 1951},  {63639, 98.1, 346999, 1932, 3594, 113270, 1952},
      {64989, 99.0, 365385, 1870, 3547, 115094, 1953},  {63761, 100.0, 363112, 3578, 3350, 116219, 1954},
      {66019, 101.2, 397469, 2904, 3048, 117388, 1955}, {67857, 104.6, 419180, 2822, 2857, 118734, 1956},
      {68169, 108.4, 442769, 2936, 2798, 120445, 1957}, {66513, 110.8, 444546, 4681, 2637, 121950, 1958},
      {68655, 112.6, 482704, 3813, 2552, 123366, 1959}, {69564, 114.2, 502601, 3931, 2514, 125368, 1960},
      {69331, 115.7, 518173, 4806, 2572, 127852, 1961}, {70551, 116.9, 554894, 4007, 2827, 130081, 1962},
  });
  const long double certified[7] = {-3482258.63459582L, 15.0618722713733L,  -0.358191792925910e-1L,
                                    -2.02022980381683L, -1.03322686717359L, -0.511041056535807e-1L,
                                    1829.15146461355L};
  OlsCoefficients(m.X, m.y, m.n, m.p);
  ASSERT_EQ(m.X.Rows(), 7);
  ASSERT_EQ(m.X.Cols(), 1);
  for (int j = 0; j < 7; ++j) EXPECT_LT(RelativeError(m.X.At(j, 0), certified[j]), 1e-10L) << "b" << j;
}

// Polynomials of degree 5 in x = 0..20 with certified coefficients 1 and 10^-j.
TEST(OlsCoefficients, IllConditionedPolynomialDesignsMatchCertifiedValues) {
  for (const long double base : {1.0L, 0.1L}) {
    std::vector<std::vector<long double>> rows;
    for (int x = 0; x <= 20; ++x) {
      std::vector<long double> row{0};
      long double term = 1.0L, power = 1.0L;
      for (int j = 0; j <= 5; ++j, term *= base, power *= x) {
        row[0] += term * power;
        if (j > 0) row.push_back(power);
      }
      rows.push_back(row);
    }
    Model m = MakeModel(rows);
    OlsCoefficients(m.X, m.y, m.n, m.p);
    long double certified = 1.0L;
    for (int j = 0; j <= 5; ++j, certified *= base)
      EXPECT_LT(RelativeError(m.X.At(j, 0), certified), 1e-8L) << "base " << static_cast<double>(base) << " b" << j;
  }
}

// Every pair of the example table's descriptors and random larger subsets: a
// design that an LU solution accepts and whose scaled X'X is well conditioned fits.
TEST(FitModel, WellConditionedSubsetsOfTheExampleTableFit) {
  const auto columns = ExampleColumns();
  ASSERT_GT(columns.size(), 100u);
  const int n = static_cast<int>(columns[0].size());
  const int descriptors = static_cast<int>(columns.size()) - 1;
  std::vector<std::vector<int>> subsets;
  for (int a = 1; a <= descriptors; ++a)
    for (int b = a; b <= descriptors; ++b) subsets.push_back(a == b ? std::vector<int>{a} : std::vector<int>{a, b});
  MersenneTwister random(2024);
  for (int t = 0; t < 400; ++t) {
    std::vector<int> subset;
    while (static_cast<int>(subset.size()) < 3 + t % 4) {
      const int v = 1 + static_cast<int>(random.RandomInt(descriptors));
      if (std::find(subset.begin(), subset.end(), v) == subset.end()) subset.push_back(v);
    }
    subsets.push_back(subset);
  }
  Matrix y(n, 1);
  for (int i = 0; i < n; ++i) y.At(i, 0) = columns[0][i];
  int checked = 0, refused = 0;
  for (const auto& subset : subsets) {
    const int p = static_cast<int>(subset.size());
    Matrix X(n, p + 1);
    for (int i = 0; i < n; ++i) {
      X.At(i, 0) = 1.0L;
      for (int j = 0; j < p; ++j) X.At(i, j + 1) = columns[subset[j]][i];
    }
    Matrix xt(X), normal(X);
    xt.Transpose();
    normal.Transpose();
    normal.Multiply(X);
    bool solvable = true;
    try {
      normal.InvertMultiply(xt);
    } catch (const MatrixEx&) {
      solvable = false;
    }
    long double ssReg, ssTot;
    const bool fits = FitModel(ssReg, ssTot, nullptr, nullptr, nullptr, n, p, y, X, nullptr);
    if (!solvable || ScaledConditionNumber(X) >= 1e12L) {
      refused += !fits;
      continue;
    }
    ++checked;
    EXPECT_TRUE(fits) << testing::PrintToString(subset);
  }
  EXPECT_GT(checked, 5000);
  EXPECT_GT(refused, 100);
}

TEST(LooPress, EqualsPressFromTheHatMatrix) {
  for (int p = 1; p <= 4; ++p) {
    Model m = RandomModel(25, p, 7u + p);
    Matrix loo(m.n, 1);
    bool ok = false;
    const long double press = LooPress(m.X, m.y, m.n, m.p, &loo, &ok);
    ASSERT_TRUE(ok);

    Matrix fitX(m.X), fitted(m.n, 1), hatX(m.X);
    std::vector<long double> h;
    long double ssReg, ssTot;
    ASSERT_TRUE(FitModel(ssReg, ssTot, nullptr, nullptr, nullptr, m.n, m.p, m.y, fitX, &fitted));
    ASSERT_TRUE(HatMatrix(hatX, m.n, nullptr, h, m.p));
    long double expected = 0.0L;
    for (int i = 0; i < m.n; ++i) {
      const long double deleted = (m.y.At(i, 0) - fitted.At(i, 0)) / (1.0L - h[i]);
      expected += deleted * deleted;
      EXPECT_LT(std::fabs(m.y.At(i, 0) - loo.At(i, 0) - deleted), 1e-12L * (1 + std::fabs(deleted)));
    }
    EXPECT_LT(RelativeError(press, expected), 1e-12L) << "p = " << p;
  }
}

// Ranges of rows refitted apart, the later first, in workspaces of their own: the
// bits of LooPress; a refit that faults ends its range and fails the sum.
TEST(LooRefits, RangesInAnyOrderGiveLooPressBits) {
  Model m = RandomModel(23, 3, 11);
  Matrix expected(m.n, 1), G(1, 1), h(1, 1), loo(m.n, 1);
  bool ok = false;
  const long double press = LooPress(m.X, m.y, m.n, m.p, &expected, &ok);
  ASSERT_TRUE(ok);
  ModelCalcWorkspace first, second;
  FormLooSums(first, m.X, m.y, G, h);
  const LooRefits refits(m.X, m.y, G, h);
  std::vector<long double> predictions(m.n);
  EXPECT_EQ(refits.Run(second, 9, m.n, predictions.data()), m.n);
  EXPECT_EQ(refits.Run(first, 0, 9, predictions.data()), 9);
  long double sum = 0.0L;
  ASSERT_TRUE(refits.Sum(m.n, predictions.data(), sum, &loo));
  EXPECT_EQ(sum, press);
  for (int i = 0; i < m.n; ++i) EXPECT_EQ(loo.At(i, 0), expected.At(i, 0)) << i;
  EXPECT_FALSE(refits.Sum(m.n - 1, predictions.data(), sum));

  Model spike = MakeModel({{1, 0}, {2, 0}, {3, 7}, {4, 0}});  // without object 2 the descriptor is 0
  FormLooSums(first, spike.X, spike.y, G, h);
  const LooRefits faulting(spike.X, spike.y, G, h);
  EXPECT_EQ(faulting.Run(first, 0, 4, predictions.data()), 2);
  EXPECT_EQ(faulting.Run(first, 3, 4, predictions.data()), 4);
  EXPECT_FALSE(faulting.Sum(2, predictions.data(), sum));
}

TEST(FitModel, ExactFitAndConstantResponse) {
  Model m = MakeModel({{3, 1}, {5, 2}, {7, 3}, {9, 4}});  // y = 1 + 2x
  long double ssReg, ssTot, press, r2, q2;
  bool r2Missing, q2Missing;
  ASSERT_TRUE(FitModel(ssReg, ssTot, &press, nullptr, nullptr, m.n, m.p, m.y, m.X, nullptr));
  R2FromSS(r2, r2Missing, ssReg, ssTot);
  EXPECT_TRUE(Close(r2, 1.0L, 1e-15));
  Q2FromPress(q2, q2Missing, 0.0L, ssTot);  // PRESS 0 leaves Q2 missing
  EXPECT_TRUE(q2Missing);

  Model flat = MakeModel({{1.7L, 1}, {1.7L, 2}, {1.7L, 5}});  // the sums of 1.7 are inexact
  FitModel(ssReg, ssTot, &press, nullptr, nullptr, flat.n, flat.p, flat.y, flat.X, nullptr);
  R2FromSS(r2, r2Missing, ssReg, ssTot);
  Q2FromPress(q2, q2Missing, press, ssTot);
  EXPECT_TRUE(r2Missing);
  EXPECT_TRUE(q2Missing);
}

// Designs singular to working precision are failed fits with -1.0 values; an
// all-zero column keeps the LU decomposition's own error.
TEST(FitModel, RankDeficientDesignsAreFailedFits) {
  const std::vector<std::vector<std::vector<long double>>> designs = {
      {{1, 2, 4}, {2, 3, 6}, {3, 4, 8}, {5, 1, 2}},                       // x2 = 2 x1
      {{1, 0.1L, 3}, {2, 0.1L, 5}, {4, 0.1L, 4}, {3, 0.1L, 9}},            // x1 constant 0.1
      {{1, 3.7L}, {2, 3.7L}, {4, 3.7L}},                                 // x1 constant 3.7
      {{1, 2, 5, 7}, {3, 1, 4, 5}, {2, 7, 1, 8}, {6, 3, 3, 6}, {5, 4, 9, 13}},  // x3 = x1 + x2
  };
  for (const auto& rows : designs) {
    Model m = MakeModel(rows);
    SCOPED_TRACE(testing::Message() << "p = " << m.p << ", first x = " << static_cast<double>(rows[0][1]));
    Matrix X(m.X);
    EXPECT_THROW(OlsCoefficients(X, m.y, m.n, m.p), MatrixSingularEx);
    long double ssReg = 0, ssTot = 0, press = 0;
    EXPECT_FALSE(FitModel(ssReg, ssTot, &press, nullptr, nullptr, m.n, m.p, m.y, m.X, nullptr));
    EXPECT_EQ(ssReg, -1.0L);
    EXPECT_EQ(ssTot, -1.0L);
    EXPECT_EQ(press, -1.0L);
  }
  Model zero = MakeModel({{1, 0, 2}, {2, 0, 5}, {3, 0, 4}});
  EXPECT_EQ(ThrownText([&] { OlsCoefficients(zero.X, zero.y, zero.n, zero.p); }),
            "Fast matrix inversion - multiplication: calculation error");

  // Without object 2 the spike descriptor is zero: that refit fails, and so the PRESS.
  Model spike = MakeModel({{1, 0}, {2, 0}, {3, 7}, {4, 0}});
  bool ok = true;
  EXPECT_EQ(LooPress(spike.X, spike.y, spike.n + 1, spike.p, nullptr, &ok), -1.0L);  // sizes differ
  EXPECT_FALSE(ok);
  EXPECT_EQ(LooPress(spike.X, spike.y, spike.n, spike.p, nullptr, &ok), -1.0L);
  EXPECT_FALSE(ok);
  // Without object 2 the descriptor is 0.1 throughout, the intercept's direction.
  Model nearSpike = MakeModel({{1, 0.1L}, {2, 0.1L}, {3, 7}, {4, 0.1L}, {3, 0.1L}});
  EXPECT_EQ(LooPress(nearSpike.X, nearSpike.y, nearSpike.n, nearSpike.p, nullptr, &ok), -1.0L);
  EXPECT_FALSE(ok);
}

// Sums of squares beyond the number range: a response near 1e-4935 has no
// statistic rather than a perfect fit.
TEST(FitModel, UnderflowingSumsOfSquaresAreFailures) {
  Model tiny = MakeModel({{1e-4935L, 1}, {3e-4935L, 2}, {2e-4935L, 3}, {5e-4935L, 4}});
  long double ssReg = 0, ssTot = 0, press = 0;
  EXPECT_FALSE(FitModel(ssReg, ssTot, &press, nullptr, nullptr, tiny.n, tiny.p, tiny.y, tiny.X, nullptr));
  EXPECT_EQ(ssTot, -1.0L);
  bool ok = true;
  EXPECT_EQ(LooPress(tiny.X, tiny.y, tiny.n, tiny.p, nullptr, &ok), -1.0L);
  EXPECT_FALSE(ok);
  // A constant response is no underflow: it fits with a zero spread.
  Model flat = MakeModel({{1e-4935L, 1}, {1e-4935L, 2}, {1e-4935L, 3}});
  EXPECT_TRUE(FitModel(ssReg, ssTot, nullptr, nullptr, nullptr, flat.n, flat.p, flat.y, flat.X, nullptr));
  EXPECT_EQ(ssTot, 0.0L);
}

// A statistic whose value is not finite is missing with the value 0.
TEST(ModelStatistics, NonFiniteStatisticsAreMissing) {
  long double value = 5;
  bool missing = false;
  R2FromSS(value, missing, 1e4000L, 1e-4000L);
  EXPECT_TRUE(missing);
  EXPECT_EQ(value, 0.0L);
  Q2FromPress(value, missing, 1e4000L, 1e-4000L);
  EXPECT_TRUE(missing);
  EXPECT_EQ(value, 0.0L);
  AdjustedR2(value, missing, -1e4931L, false, 30, 2);
  EXPECT_TRUE(missing);
  EXPECT_EQ(value, 0.0L);
  EXPECT_TRUE(FriedmanLof(1e4932L, 1, 1, 1e-10L).Missing);  // (rss / 1) / (1 - (1 + 1e-10))^2
  EXPECT_TRUE(R2m(-1e4932L, -1.1e4932L).Missing);
}

TEST(ModelStatistics, AdjustedR2LackOfFitErrorsAndR2m) {
  long double value, mae, sse;
  bool missing;
  AdjustedR2(value, missing, 0.9L, false, 10, 7);
  EXPECT_TRUE(Close(value, 1.0L - 0.1L * 9 / 7, 1e-18));
  AdjustedR2(value, missing, 0.9L, false, 3, 0);  // n = p + 1
  EXPECT_TRUE(missing);
  EXPECT_EQ(value, 0.0L);

  EXPECT_TRUE(Close(FriedmanLof(8.0L, 10, 2, 1.0L).Value, 0.8L / 0.36L, 1e-17));  // (8/10) / (1 - 4/10)^2
  const CheckedValue vanishing = FriedmanLof(8.0L, 4, 2, 1.0L);  // n = 2p with d = 1
  EXPECT_TRUE(vanishing.Missing);
  EXPECT_EQ(vanishing.Value, 1e99L);

  MaeAndSse(FromRows({{1, 2}, {4, 2}}), mae, sse);
  EXPECT_EQ(mae, 1.5L);
  EXPECT_EQ(sse, 5.0L);
  MaeAndSse(FromRows({{1, 2}}), mae, sse);
  EXPECT_EQ(mae, -1.0L);
  EXPECT_EQ(sse, -1.0L);
  R2FromSS(value, missing, 1.0L, 0.0L);
  EXPECT_TRUE(missing);
  EXPECT_EQ(value, 0.0L);

  // R2m: a rounding-size negative difference counts as 0, a clearly negative one is missing.
  EXPECT_TRUE(Close(R2m(0.81L, 0.72L).Value, 0.81L * 0.7L, 1e-18));
  const CheckedValue rounding = R2m(0.8L, 0.8L + 1e-19L);
  EXPECT_FALSE(rounding.Missing);
  EXPECT_EQ(rounding.Value, 0.8L);
  EXPECT_TRUE(R2m(0.8L, 0.81L).Missing);
}

TEST(KIndices, BothEigenFormsOneDescriptorAndFailures) {
  // One descriptor: Kxx is 0; y = 3 - x gives a single non-zero eigenvalue, Kxy = 1.
  // Two identical columns and one uncorrelated: eigenvalues 2, 1, 0, so
  // K = (1/3 + 0 + 1/3) / (2 x 2 / 3).
  EXPECT_TRUE(Close(KCorrelationIndex(FromRows({{1, 1, 1}, {-1, -1, 1}, {1, 1, -1}, {-1, -1, -1}})), 0.5L, 1e-15));
  EXPECT_EQ(KCorrelationIndex(Matrix(1, 3)), -1.0L);  // one row: no correlation

  Matrix D = FromRows({{0}, {1}, {2}, {3}});
  Matrix DY = FromRows({{0, 0}, {1, 0}, {2, 0}, {3, 0}});
  Matrix y = FromRows({{3}, {2}, {1}, {0}});
  long double kxx = 5, kxy = 5;
  bool kxxMissing = true, kxyMissing = true;
  KIndices(D, DY, y, kxx, kxxMissing, kxy, kxyMissing, 1);
  EXPECT_EQ(kxx, 0.0L);
  EXPECT_FALSE(kxxMissing);
  EXPECT_TRUE(Close(kxy, 1.0L, 1e-15));
  EXPECT_FALSE(kxyMissing);

  Matrix single(1, 3), singleDY(1, 4), singleY(1, 1);  // a failed index is missing
  KIndices(single, singleDY, singleY, kxx, kxxMissing, kxy, kxyMissing, 3);
  EXPECT_TRUE(kxxMissing);
  EXPECT_TRUE(kxyMissing);
}

TEST(HatMatrix, LeveragesOfOtherObjects) {
  Model m = MakeModel({{1, 0}, {2, 1}, {3, 2}, {4, 3}});
  Matrix Z = FromRows({{1, 1.5L}, {1, 3}});  // the mean of x, and a training object's x
  std::vector<long double> h;
  ASSERT_TRUE(HatMatrix(m.X, m.n, &Z, h, m.p));
  ASSERT_EQ(h.size(), 2u);
  EXPECT_TRUE(Close(h[0], 0.25L, 1e-18));                  // 1/n
  EXPECT_TRUE(Close(h[1], 0.25L + 2.25L / 5.0L, 1e-18));  // 1/n + d^2 / Sxx
  EXPECT_TRUE(Close(m.X.At(0, 0), 0.25L + 2.25L / 5.0L, 1e-18));  // X became (X'X)^-1: 1/n + mean^2 / Sxx
}

// The leverages are the diagonal of the whole product H = R Q R', formed by the
// matrix operations, to the last bit; a singular design or a Z of other
// columns is a fault that leaves no leverage.
TEST(HatMatrix, DiagonalHasTheBitsOfTheWholeProduct) {
  for (int p = 1; p <= 4; ++p) {
    const Model m = RandomModel(30, p, 11u + p);
    const Model other = RandomModel(9, p, 101u + p);
    Matrix Q(m.X);
    Q.Transpose();
    Q.Multiply(m.X);
    Q.Invert();
    for (const Matrix* rows : {&m.X, &other.X}) {
      Matrix H(*rows), transposed(*rows);
      H.Multiply(Q);
      transposed.Transpose();
      H.Multiply(transposed);
      Matrix X(m.X);
      std::vector<long double> h;
      ASSERT_TRUE(HatMatrix(X, m.n, rows == &m.X ? nullptr : rows, h, p));
      ASSERT_EQ(h.size(), static_cast<std::size_t>(rows->Rows()));
      for (int k = 0; k < rows->Rows(); ++k) EXPECT_EQ(h[k], H.At(k, k)) << "p = " << p << ", row " << k;
      EXPECT_EQ(X.At(p, p), Q.At(p, p));
    }
    Matrix inverse(1, 1);
    ASSERT_TRUE(InverseGram(m.X, m.n, p, inverse));
    ASSERT_EQ(inverse.Rows(), p + 1);
    for (int i = 0; i <= p; ++i)
      for (int j = 0; j <= p; ++j) EXPECT_EQ(inverse.At(i, j), Q.At(i, j));
  }
  Model singular = MakeModel({{1, 2}, {2, 2}, {3, 2}});  // x constant: X'X singular
  std::vector<long double> h{1.0L};
  Matrix inverse(1, 1);
  EXPECT_FALSE(InverseGram(singular.X, singular.n, singular.p, inverse));
  EXPECT_FALSE(HatMatrix(singular.X, singular.n, nullptr, h, singular.p));
  EXPECT_TRUE(h.empty());
  Model m = RandomModel(6, 2, 5);
  const Matrix wrong(2, 2);
  EXPECT_FALSE(HatMatrix(m.X, m.n, &wrong, h, m.p));
  // A design that is not n x (p + 1) is refused by both.
  for (auto [n, p] : {std::pair{m.n + 1, m.p}, std::pair{m.n, m.p + 1}, std::pair{m.n, m.p - 1}}) {
    Matrix X(m.X);
    EXPECT_FALSE(HatMatrix(X, n, nullptr, h, p)) << n << " " << p;
    EXPECT_FALSE(InverseGram(m.X, n, p, inverse)) << n << " " << p;
  }
}
