#include "platform/base/NumberText.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <clocale>
#include <cmath>
#include <limits>

#include "platform/base/Exception.h"

namespace {

std::string Fixed(long double v, int precision, int digits) {
  return FloatToStrF(v, FloatFormat::Fixed, precision, digits);
}
std::string Exponent(long double v, int precision, int digits) {
  return FloatToStrF(v, FloatFormat::Exponent, precision, digits);
}
std::string General(long double v, int digits = 0) { return FloatToStrF(v, FloatFormat::General, 15, digits); }

template <typename Convert>
std::string ConversionMessage(Convert convert) {
  try {
    convert();
  } catch (const EConvertError& e) {
    return e.Message;
  }
  return "no exception";
}

}  // namespace

TEST(FloatToStrF, FixedRoundsTheEighteenDigitsHalfAwayFromZero) {
  EXPECT_EQ(Fixed(0.125L, 18, 2), "0.13");  // exact tie
  EXPECT_EQ(Fixed(-0.125L, 18, 2), "-0.13");
  // Stored a little below the half, but their 18 significant digits end in 5000...
  EXPECT_EQ(Fixed(std::nextafter(0.125L, 0.0L), 18, 2), "0.13");
  EXPECT_EQ(Fixed(9.995L, 18, 2), "10.00");
  EXPECT_EQ(Fixed(2.675L, 18, 2), "2.68");
  EXPECT_EQ(Fixed(-0.285L, 18, 2), "-0.29");
  // ...while a value below the half within 18 digits rounds down.
  EXPECT_EQ(Fixed(0.12499999999999999L, 18, 2), "0.12");
  EXPECT_EQ(Fixed(0.12499999999999999L, 18, 18), "0.124999999999999990");
  EXPECT_EQ(Fixed(0.5L, 18, 0), "1");
  EXPECT_EQ(Fixed(0.06L, 18, 1), "0.1");
  EXPECT_EQ(Fixed(99.96L, 18, 1), "100.0");
  EXPECT_EQ(Fixed(1.0L / 3.0L, 18, 18), "0.333333333333333333");
  EXPECT_EQ(Fixed(-0.001L, 18, 2), "0.00");  // no negative zero
  EXPECT_EQ(Fixed(-0.0L, 18, 0), "0");
}

TEST(FloatToStrF, FixedLimitsSignificantDigitsAndFallsBackToGeneral) {
  EXPECT_EQ(Fixed(1234.5678L, 4, 2), "1235.00");
  // More integer digits than the precision: general format, digits as its exponent digits
  EXPECT_EQ(Fixed(123456.789L, 4, 2), "1.235E05");
  EXPECT_EQ(Fixed(999.6L, 3, 1), "1E3");  // rounding adds the fourth integer digit
  EXPECT_EQ(Fixed(-1.5e20L, 18, 4), "-1.5E0020");
  EXPECT_EQ(FloatToStrF(1.5e20L, FloatFormat::Number, 18, 2), "1.5E20");
  EXPECT_EQ(FloatToStrF(1234567.891L, FloatFormat::Number, 18, 2), "1,234,567.89");
  EXPECT_EQ(FloatToStrF(-999.5L, FloatFormat::Number, 18, 0), "-1,000");
  EXPECT_EQ(FloatToStrF(123.4L, FloatFormat::Number, 18, 1), "123.4");
}

TEST(FloatToStrF, ExponentKeepsPrecisionDigitsAndSignedExponent) {
  EXPECT_EQ(Exponent(0.0005L, 3, 2), "5.00E-04");
  EXPECT_EQ(Exponent(0.0L, 3, 2), "0.00E+00");
  EXPECT_EQ(Exponent(-9.9996L, 4, 2), "-1.000E+01");
  EXPECT_EQ(Exponent(1e-300L, 3, 2), "1.00E-300");
  EXPECT_EQ(Exponent(1.0L / 3.0L, 30, 9), "3.33333333333333333E-0001");  // capped at 18 and 4
}

TEST(FloatToStrF, GeneralChoosesFixedOrScientific) {
  EXPECT_EQ(General(1.0L / 3.0L), "0.333333333333333");
  EXPECT_EQ(General(2.0L / 3.0L), "0.666666666666667");
  EXPECT_EQ(General(0.1L), "0.1");
  EXPECT_EQ(General(-0.0L), "0");
  EXPECT_EQ(General(123456789012345.0L), "123456789012345");
  EXPECT_EQ(General(1234567890123456.0L), "1.23456789012346E15");
  EXPECT_EQ(General(999999999999999.9L), "1E15");
  EXPECT_EQ(General(1.5e20L), "1.5E20");
  EXPECT_EQ(General(0.00001L), "0.00001");
  EXPECT_EQ(General(1e-6L), "1E-6");
  EXPECT_EQ(General(-1e-6L, 2), "-1E-06");
}

TEST(FloatToStrF, ExtremesAndNonFiniteValues) {
  EXPECT_EQ(General(LDBL_MAX), "1.18973149535723E4932");
  EXPECT_EQ(Exponent(std::numeric_limits<long double>::denorm_min(), 5, 4), "3.6452E-4951");
  EXPECT_EQ(Fixed(std::numeric_limits<long double>::quiet_NaN(), 18, 2), "NAN");
  EXPECT_EQ(General(HUGE_VALL), "INF");
  EXPECT_EQ(Exponent(-HUGE_VALL, 3, 2), "-INF");
  EXPECT_EQ(FloatToStr(3.14159265358979323846L), "3.14159265358979");
  EXPECT_EQ(IntToStr(INT64_MIN), "-9223372036854775808");
}

TEST(StrToFloat, AcceptsOnlyANumberBetweenBlanks) {
  EXPECT_EQ(StrToFloat(" -2e3 "), -2000.0L);
  EXPECT_EQ(StrToFloat("+.5"), 0.5L);
  EXPECT_EQ(StrToFloat("5."), 5.0L);
  EXPECT_EQ(StrToFloat("0.1"), 0.1L);  // correctly rounded to extended
  EXPECT_EQ(StrToFloat("1e-5000"), 0.0L);
  for (const char* text : {"", " ", "1,5", "1.5x", ".", "inf", "nan", "0x10", "1e", "--1", "\t1", "1e99999"}) {
    long double value = 7;
    EXPECT_FALSE(TryStrToFloat(text, value)) << text;
    EXPECT_EQ(value, 7) << text;
  }
  EXPECT_EQ(ConversionMessage([] { StrToFloat("1,5"); }), "'1,5' is not a valid floating point value");
}

TEST(StrToInt, AcceptsOnlyDecimalIntegersInRange) {
  EXPECT_EQ(StrToInt(" -2147483648 "), INT32_MIN);
  EXPECT_EQ(StrToInt("+2147483647"), INT32_MAX);
  for (const char* text : {"2147483648", "1.0", "", "-", "1e3", "99999999999999999999"}) {
    int value = 7;
    EXPECT_FALSE(TryStrToInt(text, value)) << text;
    EXPECT_EQ(value, 7) << text;
  }
  EXPECT_EQ(ConversionMessage([] { StrToInt("x1"); }), "'x1' is not a valid integer value");
}

TEST(NumberText, IgnoresACommaLocale) {
  const std::string saved = std::setlocale(LC_ALL, nullptr);
  if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr) GTEST_SKIP() << "no de_DE.UTF-8 locale";
  const std::string fixed = Fixed(1234.5L, 18, 2);
  const std::string general = General(0.25L);
  long double parsed = 0;
  const bool pointRead = TryStrToFloat("2.5", parsed);
  const bool commaRead = TryStrToFloat("2,5", parsed);
  std::setlocale(LC_ALL, saved.c_str());
  EXPECT_EQ(fixed, "1234.50");
  EXPECT_EQ(general, "0.25");
  EXPECT_TRUE(pointRead);
  EXPECT_FALSE(commaRead);
  EXPECT_EQ(parsed, 2.5L);
}
