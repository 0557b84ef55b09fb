#include "numerics/Statistics.h"
#include "numerics/NumericsTestSupport.h"
#include "numerics/Utils.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace {

Matrix Columns(const std::vector<std::vector<long double>>& columns) {
  Matrix m(static_cast<int>(columns[0].size()), static_cast<int>(columns.size()));
  for (int c = 0; c < m.Cols(); ++c)
    for (int r = 0; r < m.Rows(); ++r) m.At(r, c) = columns[c][r];
  return m;
}

}  // namespace

TEST(InvNormalDeviate, AllThreeRegionsAndBadInput) {
  EXPECT_EQ(InvNormalDeviate(0.5L), 0.0L);
  const struct {
    long double p, z;
  } cases[] = {{0.975L, 1.95996398454005423552L},
               {0.001L, -3.09023230616781354154L},  // intermediate tail
               {1e-20L, -9.26234008979840757372L}};  // far tail
  for (const auto& c : cases) EXPECT_TRUE(Close(InvNormalDeviate(c.p), c.z, 1e-15 * std::fabs(c.z)));
  for (long double p : {0.0L, 1.0L, -0.2L, 1.5L}) EXPECT_EQ(InvNormalDeviate(p), 0.0L);
}

TEST(StudentTProb, ExactSeriesForOddAndEvenDf) {
  for (int df = 1; df < 8; ++df) EXPECT_EQ(StudentTProb(0.0L, df), 1.0L);
  EXPECT_TRUE(Close(StudentTProb(-3.0L, 2), 1.0L - 3.0L / std::sqrt(11.0L), 1e-17));
  const struct {
    long double t;
    int df;
    double p;
  } cases[] = {{2.0L, 3, 0.139325968558843176848},
               {1.5L, 7, 0.177298486989970033154},
               {-3.0L, 25, 0.00603817956514348712053}};
  for (const auto& c : cases)
    EXPECT_TRUE(Close(StudentTProb(c.t, c.df), c.p, 1e-16)) << c.df;
  // Closed forms: 1 - 2 atan(t) / pi for df 1, 1 - t (t^2 + 6) / (t^2 + 4)^1.5 for
  // df 4, and 1 - t / sqrt(t^2 + 6) (1 + b / 2 + 3 b^2 / 8) with b = 6 / (t^2 + 6) for df 6.
  EXPECT_TRUE(Close(StudentTProb(1.5L, 1), 1.0L - 2.0L * std::atan(1.5L) / 3.14159265358979323846L, 1e-16));
  EXPECT_TRUE(Close(StudentTProb(1.5L, 4), 1.0L - 1.5L * 8.25L / std::pow(6.25L, 1.5L), 1e-17));
  const long double b6 = 6.0L / 10.0L;
  EXPECT_TRUE(Close(StudentTProb(2.0L, 6), 1.0L - 2.0L / std::sqrt(10.0L) * (1 + b6 / 2 + 3 * b6 * b6 / 8), 1e-17));
  // A t whose square overflows raises rather than giving NaN.
  EXPECT_THROW(StudentTProb(std::numeric_limits<long double>::infinity(), 3), EOverflow);
}

TEST(InvStudentT, ClosedFormsAndHillsApproximation) {
  EXPECT_TRUE(Close(InvStudentT(0.05L, 1.0L), 12.7062047361747046L, 1e-13));
  EXPECT_TRUE(Close(InvStudentT(0.05L, 3.0L), 3.18244630528371L, 1e-6 * 3.2));
  EXPECT_TRUE(Close(InvStudentT(0.05L, 30.0L), 2.04227245630124L, 1e-6 * 2.1));
  // Hill's approximation, on both sides of its 0.1 switch between exp(y) - 1 and
  // its series, inverts the exact probability.
  for (long double df : {3.0L, 4.0L, 6.0L, 9.0L, 30.0L})
    for (long double p : {0.002L, 0.01L, 0.05L, 0.2L, 0.6L})
      EXPECT_TRUE(Close(StudentTProb(InvStudentT(p, df), static_cast<int>(df)), p, 2e-5L * p)) << df << " " << p;
  EXPECT_EQ(InvStudentT(0.05L, 0.5L), 0.0L);
  for (long double df : {1.0L, 7.0L}) EXPECT_EQ(InvStudentT(0.0L, df), 0.0L);  // a fault gives 0
}

TEST(Statistics, MomentsAndCorrelationsWithTheirDegenerateCases) {
  Matrix m = Columns({{2, 4, 4, 4, 5, 5, 7, 9}});
  EXPECT_EQ(SumSqDev(m), 32.0L);
  EXPECT_EQ(Variance(m), 4.0L);
  EXPECT_EQ(ColumnMean(m, 0), 5.0L);
  // 1.7 is not a binary fraction: the two sums of three copies leave a residue.
  Matrix identical = Columns({{1.7L, 1.7L, 1.7L}, {1, 2, 4}});
  EXPECT_EQ(SumSqDev(identical), 0.0L);
  EXPECT_EQ(PearsonR(identical), 0.0L);
  EXPECT_THROW(ColumnMean(Columns({{1e4932L, 1e4932L}}), 0), EOverflow);  // the sum overflows

  Matrix constant = Columns({{1, 2, 3}, {4, 4, 4}});
  EXPECT_EQ(PearsonR(constant), 0.0L);
  EXPECT_EQ(LinCCC(Columns({{4, 4, 4}, {4, 4, 4}})), 0.0L);
  EXPECT_EQ(ThrownText([&] { PairCorrelation(constant, 0, 1); }), "Building covariance matrix: calculation error");
  try {
    PearsonR(Columns({{1}, {2}}));
    FAIL() << "no exception";
  } catch (long double value) {
    EXPECT_EQ(value, 1.0L);
  }
  EXPECT_TRUE(Close(PearsonR(Columns({{1, 2}, {3, 1}})), -1.0L, 1e-18));  // two rows suffice
  EXPECT_EQ(PartialMean(Columns({{1, 2, 3, 10}}), 2), 2.0L);
  EXPECT_EQ(ColumnStdDev(Columns({{1, 1}, {1, 3}}), 1), 1.0L);
  EXPECT_EQ(ThrownText([&] { ColumnStdDev(Columns({{1, 1}, {1, 3}}), 2); }), "Wrong selected column");
  // Sxy = 3, SSx = SSy = 5.
  EXPECT_TRUE(Close(PearsonR(Columns({{1, 2, 3, 4}, {2, 1, 4, 3}})), 0.6L, 1e-18));
  Matrix shifted = Columns({{1, 2, 3, 4}, {3, 4, 5, 6}});
  // 2 Sxy / (SSx + SSy + n (mx - my)^2) = 10 / (5 + 5 + 16)
  EXPECT_TRUE(Close(LinCCC(shifted), 10.0L / 26.0L, 1e-18));
  // Sums of squares near the top of the range: a denominator that overflows
  // raises rather than turning the quotient into 0.
  const long double u = 0.67e2466L, v = 0.22e2466L, w = 0.63e2466L;
  EXPECT_THROW(LinCCC(Columns({{u, -u, 0, 0}, {v, -v, w, -w}})), EOverflow);
}

TEST(Statistics, LinesAndTheirR2) {
  Matrix m = Columns({{0, 1, 2, 3}, {1, 3, 5, 8}});
  LineCoefficients line;
  LineFit(m, line);
  EXPECT_TRUE(Close(line.a, 0.8L, 1e-17));
  EXPECT_TRUE(Close(line.b, 2.3L, 1e-17));
  // RSS of the fitted line 0.3, SS(y) = 26.75.
  EXPECT_TRUE(Close(LineR2(m, line.a, line.b), 1.0L - 0.3L / 26.75L, 1e-17));
  EXPECT_TRUE(Close(OriginSlope(m), 37.0L / 14.0L, 1e-17));

  // Two rows: the line through them; R2 of another line against SS(y) = 2.
  Matrix two = Columns({{0, 1}, {1, 3}});
  LineFit(two, line);
  EXPECT_EQ(line.a, 1.0L);
  EXPECT_EQ(line.b, 2.0L);
  EXPECT_EQ(LineR2(two, 0, 0), 1.0L - 10.0L / 2.0L);
  EXPECT_EQ(OriginR2(two, 1), 1.0L - 5.0L / 2.0L);
  EXPECT_EQ(OriginSlope(Columns({{0, 0}, {1, 3}})), 0.0L);

  line = {5, 6};
  LineFit(Columns({{1.7L, 1.7L, 1.7L}, {0, 1, 2}}), line);  // vertical: the line is left alone
  EXPECT_EQ(line.a, 5.0L);
  EXPECT_EQ(line.b, 6.0L);
  EXPECT_THROW(LineFit(Columns({{0.6e2466L, -0.5e2466L, -0.1e2466L}, {0.1L, 0.2L, 0.3L}}), line), EOverflow);
}

// Results to the last bit of the extended format, from an exact rational
// evaluation that rounds every operation to 64 significant bits in the order the
// formulas are written: q N(r) / D(r); SSy + SSx + n (mx - my)^2;
// sum x^2 - n m^2.
TEST(Statistics, FormulasRoundInTheirWrittenOrder) {
  EXPECT_EQ(InvNormalDeviate(0.45L), -0x80ad5e3c7496821ap-66L);
  EXPECT_EQ(LinCCC(Columns({{1.8L, 7.3L, 9.8L}, {0.9L, 3.3L, 1.6L}})), 0xd3e654ec79c9a8e7p-67L);
  EXPECT_EQ(PairCorrelation(Columns({{0.5L, 7.5L, 8.8L}, {2.1L, 5.6L, 8.2L}}), 0, 1), 0xf52061af13eeff6cp-64L);
}
