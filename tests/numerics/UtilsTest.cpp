#include "numerics/Utils.h"

#include <gtest/gtest.h>

TEST(AllocCheckedArray, NegativeCountThrowsWithName) {
  int* p = nullptr;
  try {
    AllocCheckedArray(p, -1, "*ipBuffer");
    FAIL() << "no exception";
  } catch (const DataBadAllocEx& e) {
    EXPECT_EQ(e.Message, "Bad allocation error (*ipBuffer)");
  }
}

TEST(NumberFormatting, RoundingAndFormatChoice) {
  for (auto [value, rounded] : {std::pair{2.5L, 3}, {-2.5L, -3}, {2.4999L, 2}})
    EXPECT_EQ(RoundHalfAway(value), rounded) << static_cast<double>(value);
  int k = 3;
  for (auto [value, fixed] : {std::pair{0.0L, true}, {0.0005L, false}, {0.001L, true}, {999.9L, true}, {-1000.0L, false}}) {
    FloatFormat format;
    int precision, digits;
    ChooseFloatFormat(&value, &k, &format, &precision, &digits);
    EXPECT_EQ(format, fixed ? FloatFormat::Fixed : FloatFormat::Exponent) << static_cast<double>(value);
    EXPECT_EQ(precision, fixed ? 18 : 3);
    EXPECT_EQ(digits, fixed ? 3 : 2);
  }
}

TEST(DecimalSeparator, OnlyTheFirstSeparatorOfEachValueIsReplaced) {
  EXPECT_EQ(ToSystemDecimalSeparator("1.5.6", ','), "1,5.6");
  EXPECT_EQ(FromSystemDecimalSeparator("1,5,6", ','), "1.5,6");
  EXPECT_EQ(ConvertReportSeparators("R2: 0.81\tQ2: 0.75", ','), "R2: 0,81 \tQ2: 0,75");
  EXPECT_EQ(ConvertReportSeparators("no value 1.5", ','), "no value 1.5");
  EXPECT_EQ(ConvertReportSeparators("a.b:1.5.2\tc.d", ','), "a.b:1,5.2 \tc.d");
}

TEST(SinCosInt360, UsesTenDigitPi) {
  SinCosInt360 table;
  EXPECT_NEAR(static_cast<double>(table.ldpSinTablePtr[180]), -4.1e-10, 0.05e-10);
}
