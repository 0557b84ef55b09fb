#include "platform/base/NumberText.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <clocale>
#include <cmath>
#include <limits>
#include <string>

#include "platform/base/Exception.h"

namespace {

std::string Fixed(long double v, int precision, int digits) {
  return FloatToStrF(v, FloatFormat::Fixed, precision, digits);
}
std::string Number(long double v, int precision, int digits) {
  return FloatToStrF(v, FloatFormat::Number, precision, digits);
}
std::string Exponent(long double v, int precision, int digits) {
  return FloatToStrF(v, FloatFormat::Exponent, precision, digits);
}
std::string General(long double v, int precision, int digits) {
  return FloatToStrF(v, FloatFormat::General, precision, digits);
}

}  // namespace

TEST(FloatToStrF, FixedRoundsTheExactExpansionHalfAwayFromZero) {
  EXPECT_EQ(Fixed(0.125L, 18, 2), "0.13");  // exact tie
  EXPECT_EQ(Fixed(-0.125L, 18, 2), "-0.13");
  EXPECT_EQ(Fixed(std::nextafter(0.125L, 0.0L), 18, 2), "0.12");  // just below the tie
  EXPECT_EQ(Fixed(2.5L, 18, 0), "3");
  EXPECT_EQ(Fixed(0.4L, 18, 0), "0");
  EXPECT_EQ(Fixed(9.995L, 18, 2), "9.99");  // 9.995 is stored slightly below
  EXPECT_EQ(Fixed(99.96L, 18, 1), "100.0");
  EXPECT_EQ(Fixed(1.0L / 3.0L, 18, 18), "0.333333333333333333");
  EXPECT_EQ(Fixed(12.0L, 18, 3), "12.000");
}

TEST(FloatToStrF, FixedNeverPrintsNegativeZero) {
  EXPECT_EQ(Fixed(-0.001L, 18, 2), "0.00");
  EXPECT_EQ(Fixed(-0.0L, 18, 2), "0.00");
  EXPECT_EQ(Fixed(-0.005L, 18, 2), "0.00");  // stored slightly below 0.005
  EXPECT_EQ(Fixed(-0.00625L, 18, 2), "-0.01");
  EXPECT_EQ(Fixed(-1e-30L, 18, 0), "0");
}

TEST(FloatToStrF, FixedLimitsSignificantDigitsAndFallsBackToExponent) {
  EXPECT_EQ(Fixed(1234.5678L, 4, 2), "1235.00");
  EXPECT_EQ(Fixed(123456.789L, 4, 2), "1.235E+05");
  EXPECT_EQ(Fixed(999.6L, 3, 1), "1.00E+3");  // rounds up to four integer digits
  EXPECT_EQ(Fixed(1.5e20L, 15, 2), "1.50000000000000E+20");
}

TEST(FloatToStrF, NumberGroupsThousands) {
  EXPECT_EQ(Number(1234567.891L, 18, 2), "1,234,567.89");
  EXPECT_EQ(Number(100000.0L, 18, 2), "100,000.00");
  EXPECT_EQ(Number(-1234.0L, 18, 0), "-1,234");
  EXPECT_EQ(Number(999.5L, 18, 0), "1,000");
  EXPECT_EQ(Number(123.4L, 18, 2), "123.40");
  EXPECT_EQ(Number(0.5L, 18, 2), "0.50");
}

TEST(FloatToStrF, ExponentKeepsPrecisionDigitsAndSignedExponent) {
  EXPECT_EQ(Exponent(0.0005L, 3, 2), "5.00E-04");
  EXPECT_EQ(Exponent(0.0L, 3, 2), "0.00E+00");
  EXPECT_EQ(Exponent(123456.0L, 4, 0), "1.235E+5");
  EXPECT_EQ(Exponent(-9.9996L, 4, 2), "-1.000E+01");
  EXPECT_EQ(Exponent(1e-300L, 3, 2), "1.00E-300");
  EXPECT_EQ(Exponent(7.0L, 1, 4), "7E+0000");
  EXPECT_EQ(Exponent(1.0L / 3.0L, 30, 9), "3.33333333333333333E-0001");  // 18 digits, 4 exponent digits
}

TEST(FloatToStrF, GeneralChoosesFixedOrScientific) {
  EXPECT_EQ(General(1.0L / 3.0L, 15, 0), "0.333333333333333");
  EXPECT_EQ(General(2.0L / 3.0L, 15, 0), "0.666666666666667");
  EXPECT_EQ(General(0.1L, 15, 0), "0.1");
  EXPECT_EQ(General(100.0L, 15, 0), "100");
  EXPECT_EQ(General(-2.5L, 15, 0), "-2.5");
  EXPECT_EQ(General(0.0L, 15, 0), "0");
  EXPECT_EQ(General(-0.0L, 15, 0), "0");
  EXPECT_EQ(General(123456789012345.0L, 15, 0), "123456789012345");
  EXPECT_EQ(General(1234567890123456.0L, 15, 0), "1.23456789012346E15");
  EXPECT_EQ(General(999999999999999.9L, 15, 0), "1E15");  // rounding adds a digit
  EXPECT_EQ(General(1.5e20L, 15, 0), "1.5E20");
  EXPECT_EQ(General(0.00001L, 15, 0), "0.00001");
  EXPECT_EQ(General(0.0000099999L, 15, 0), "9.9999E-6");
  EXPECT_EQ(General(1e-6L, 15, 0), "1E-6");
  EXPECT_EQ(General(-1e-6L, 15, 2), "-1E-06");
  EXPECT_EQ(General(12345.0L, 3, 0), "1.23E4");
}

TEST(FloatToStrF, ExtremesAndNonFiniteValues) {
  EXPECT_EQ(General(LDBL_MAX, 15, 0), "1.18973149535723E4932");
  EXPECT_EQ(Exponent(std::numeric_limits<long double>::denorm_min(), 5, 4), "3.6452E-4951");
  EXPECT_EQ(Fixed(std::numeric_limits<long double>::denorm_min(), 18, 18), "0.000000000000000000");
  EXPECT_EQ(Fixed(std::numeric_limits<long double>::quiet_NaN(), 18, 2), "NAN");
  EXPECT_EQ(General(HUGE_VALL, 15, 0), "INF");
  EXPECT_EQ(Exponent(-HUGE_VALL, 3, 2), "-INF");
}

TEST(FloatToStr, IsGeneralWithFifteenDigits) {
  EXPECT_EQ(FloatToStr(1e-6L), "1E-6");
  EXPECT_EQ(FloatToStr(3.14159265358979323846L), "3.14159265358979");
  EXPECT_EQ(IntToStr(-42), "-42");
  EXPECT_EQ(IntToStr(INT64_MIN), "-9223372036854775808");
}

TEST(StrToFloat, AcceptsNumbersWithSurroundingBlanks) {
  EXPECT_EQ(StrToFloat(" 1.5 "), 1.5L);
  EXPECT_EQ(StrToFloat("-2e3"), -2000.0L);
  EXPECT_EQ(StrToFloat("+.5"), 0.5L);
  EXPECT_EQ(StrToFloat("5."), 5.0L);
  EXPECT_EQ(StrToFloat("1E-2"), 0.01L);
  EXPECT_EQ(StrToFloat("0.1"), 0.1L);  // correctly rounded to extended
  EXPECT_EQ(StrToFloat("1e-5000"), 0.0L);  // underflow is zero, not an error
}

TEST(StrToFloat, RejectsAnythingElseWithTheConversionMessage) {
  for (const char* text : {"", " ", "1,5", "1.5x", "e5", ".", "inf", "nan", "0x10", "1e", "--1", "1 2",
                           "\t1", "1e99999"}) {
    long double value = 7;
    EXPECT_FALSE(TryStrToFloat(text, value)) << text;
    EXPECT_EQ(value, 7) << text;
  }
  try {
    StrToFloat("1,5");
    FAIL() << "no exception";
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message, "'1,5' is not a valid floating point value");
  }
}

TEST(StrToInt, AcceptsOnlyDecimalIntegersInRange) {
  EXPECT_EQ(StrToInt(" 42 "), 42);
  EXPECT_EQ(StrToInt("-2147483648"), INT32_MIN);
  EXPECT_EQ(StrToInt("+2147483647"), INT32_MAX);
  for (const char* text : {"2147483648", "-2147483649", "1.0", "", "-", "1e3", "99999999999999999999"}) {
    int value = 7;
    EXPECT_FALSE(TryStrToInt(text, value)) << text;
    EXPECT_EQ(value, 7) << text;
  }
  try {
    StrToInt("x1");
    FAIL() << "no exception";
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message, "'x1' is not a valid integer value");
  }
}

TEST(NumberText, IgnoresACommaLocale) {
  const std::string saved = std::setlocale(LC_ALL, nullptr);
  if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr) GTEST_SKIP() << "no de_DE.UTF-8 locale";
  const std::string fixed = Fixed(1234.5L, 18, 2);
  const std::string general = FloatToStr(0.25L);
  long double parsed = 0;
  const bool ok = TryStrToFloat("2.5", parsed);
  const bool commaRefused = !TryStrToFloat("2,5", parsed);
  std::setlocale(LC_ALL, saved.c_str());
  EXPECT_EQ(fixed, "1234.50");
  EXPECT_EQ(general, "0.25");
  EXPECT_TRUE(ok);
  EXPECT_TRUE(commaRefused);
  EXPECT_EQ(parsed, 2.5L);
}
