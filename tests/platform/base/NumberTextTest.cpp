#include "platform/base/NumberText.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <clocale>
#include <cmath>
#include <initializer_list>

#include "platform/base/Exception.h"

namespace {

template <typename Convert>
std::string ConversionMessage(Convert convert) {
  try {
    convert();
  } catch (const EConvertError& e) {
    return e.Message;
  }
  return "no exception";
}

template <typename T>
void ExpectRejected(std::initializer_list<const char*> texts, bool (*tryConvert)(std::string_view, T&)) {
  for (const char* text : texts) {
    T value = 7;
    EXPECT_FALSE(tryConvert(text, value)) << text;
    EXPECT_EQ(value, 7) << text;
  }
}

constexpr FloatFormat kFixed = FloatFormat::Fixed, kExp = FloatFormat::Exponent, kGen = FloatFormat::General,
                      kNum = FloatFormat::Number;

}  // namespace

TEST(FloatToStrF, MatchesTheClassLibraryInEveryFormat) {
  const struct {
    long double value;
    FloatFormat format;
    int precision, digits;
    const char* text;
  } cases[] = {
      // Fixed rounds its 18 significant digits half away from zero: exact ties, values stored a little
      // below the half whose 18 digits end in 5000..., and a value below the half within 18 digits.
      {0.125L, kFixed, 18, 2, "0.13"}, {std::nextafter(0.125L, 0.0L), kFixed, 18, 2, "0.13"},
      {2.675L, kFixed, 18, 2, "2.68"}, {-0.285L, kFixed, 18, 2, "-0.29"}, {99.96L, kFixed, 18, 1, "100.0"},
      {0.12499999999999999L, kFixed, 18, 2, "0.12"}, {0.12499999999999999L, kFixed, 18, 18, "0.124999999999999990"},
      {-0.001L, kFixed, 18, 2, "0.00"}, {-0.0L, kGen, 15, 0, "0"},  // no negative zero
      // More integer digits than the precision: general format, digits as its exponent digits.
      {1234.5678L, kFixed, 4, 2, "1235.00"}, {123456.789L, kFixed, 4, 2, "1.235E05"}, {-999.5L, kNum, 18, 0, "-1,000"},
      {-1.5e20L, kFixed, 18, 4, "-1.5E0020"}, {1234567.891L, kNum, 18, 2, "1,234,567.89"},
      // Exponent keeps precision digits and a signed exponent, capped at 18 and 4.
      {0.0005L, kExp, 3, 2, "5.00E-04"}, {-9.9996L, kExp, 4, 2, "-1.000E+01"},
      {1e-300L, kExp, 3, 2, "1.00E-300"}, {1.0L / 3.0L, kExp, 30, 9, "3.33333333333333333E-0001"},
      {1.0L / 3.0L, kGen, 15, 0, "0.333333333333333"}, {2.0L / 3.0L, kGen, 15, 0, "0.666666666666667"},
      {1234567890123456.0L, kGen, 15, 0, "1.23456789012346E15"}, {999999999999999.9L, kGen, 15, 0, "1E15"},
      {0.00001L, kGen, 15, 0, "0.00001"}, {1e-6L, kGen, 15, 0, "1E-6"}, {-1e-6L, kGen, 15, 2, "-1E-06"},
      {LDBL_MAX, kGen, 15, 0, "1.18973149535723E4932"}, {LDBL_TRUE_MIN, kExp, 5, 4, "3.6452E-4951"},
      {std::nanl(""), kFixed, 18, 2, "NAN"}, {HUGE_VALL, kGen, 15, 0, "INF"}, {-HUGE_VALL, kExp, 3, 2, "-INF"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(FloatToStrF(c.value, c.format, c.precision, c.digits), c.text) << static_cast<double>(c.value);
  EXPECT_EQ(FloatToStr(3.14159265358979323846L), "3.14159265358979");
  EXPECT_EQ(IntToStr(INT64_MIN), "-9223372036854775808");
}

TEST(TextToNumber, AcceptsOnlyANumberBetweenBlanksAndLeavesTheTargetOnFailure) {
  EXPECT_EQ(StrToFloat(" -2e3 "), -2000.0L);
  EXPECT_EQ(StrToFloat("+.5"), 0.5L);
  EXPECT_EQ(StrToFloat("0.1"), 0.1L);  // correctly rounded to extended
  EXPECT_EQ(StrToFloat("1e-5000"), 0.0L);
  EXPECT_EQ(StrToInt(" -2147483648 "), INT32_MIN);
  EXPECT_EQ(StrToInt("+2147483647"), INT32_MAX);
  ExpectRejected<long double>({"", " ", "1,5", "1.5x", ".", "inf", "nan", "0x10", "1e", "--1", "\t1", "1e99999"},
                              TryStrToFloat);
  ExpectRejected<int>({"2147483648", "1.0", "", "-", "1e3", "99999999999999999999"}, TryStrToInt);
  EXPECT_EQ(ConversionMessage([] { StrToFloat("1,5"); }), "'1,5' is not a valid floating point value");
  EXPECT_EQ(ConversionMessage([] { StrToInt("x1"); }), "'x1' is not a valid integer value");
}

// A text that is part of a larger one is read to its own end only, long or short.
TEST(TextToNumber, ReadsAPartOfALargerTextToItsEnd) {
  const std::string_view line = "12e3 4e5;7";
  EXPECT_EQ(StrToFloat(line.substr(0, 2)), 12.0L);
  EXPECT_EQ(StrToInt(line.substr(5, 1)), 4);
  long double value = 0;
  EXPECT_FALSE(TryStrToFloat(line.substr(0, 3), value));
  const std::string longText = std::string(80, '0') + "2.5" + std::string(80, '0');
  EXPECT_EQ(StrToFloat(std::string_view(longText + "e1").substr(0, longText.size())), 2.5L);
}

TEST(NumberText, IgnoresACommaLocale) {
  const std::string saved = std::setlocale(LC_ALL, nullptr);
  if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr) GTEST_SKIP() << "no de_DE.UTF-8 locale";
  EXPECT_EQ(FloatToStrF(1234.5L, kFixed, 18, 2), "1234.50");
  EXPECT_EQ(FloatToStrF(0.25L, kGen, 15, 0), "0.25");
  long double parsed = 0;
  EXPECT_TRUE(TryStrToFloat("2.5", parsed));
  EXPECT_FALSE(TryStrToFloat("2,5", parsed));
  EXPECT_EQ(parsed, 2.5L);
  std::setlocale(LC_ALL, saved.c_str());  // EXPECT failures do not leave the test early
}
