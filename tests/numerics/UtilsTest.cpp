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

TEST(AllocCheckedArray, ZeroCountGivesEmptyArrayAndElementsAreInitialised) {
  int* empty = nullptr;
  AllocCheckedArray(empty, 0, "*ipBuffer");
  EXPECT_NE(empty, nullptr);
  delete[] empty;
  std::string* labels = nullptr;
  AllocCheckedArray(labels, 3, "*tpLabelsPtr");
  EXPECT_TRUE(labels[2].empty());
  delete[] labels;
}

TEST(RoundHalfAway, HalvesGoAwayFromZero) {
  for (auto [value, rounded] : {std::pair{2.5L, 3}, {-2.5L, -3}, {2.4999L, 2}, {-0.5L, -1}, {0.49L, 0}})
    EXPECT_EQ(RoundHalfAway(value), rounded) << static_cast<double>(value);
}

TEST(ChooseFloatFormat, SwitchesToExponentOutsideTheDecades) {
  struct Case {
    long double value;
    FloatFormat format;
    int precision, digits;
  } cases[] = {{0.0L, FloatFormat::Fixed, 18, 3},     {0.0005L, FloatFormat::Exponent, 3, 2},
               {0.001L, FloatFormat::Fixed, 18, 3},   {999.9L, FloatFormat::Fixed, 18, 3},
               {1000.0L, FloatFormat::Exponent, 3, 2}, {-1000.0L, FloatFormat::Exponent, 3, 2}};
  int k = 3;
  for (const Case& c : cases) {
    FloatFormat format;
    int precision, digits;
    ChooseFloatFormat(&c.value, &k, &format, &precision, &digits);
    EXPECT_EQ(format, c.format) << static_cast<double>(c.value);
    EXPECT_EQ(precision, c.precision);
    EXPECT_EQ(digits, c.digits);
  }
}

TEST(DecimalSeparator, OnlyTheFirstSeparatorIsReplaced) {
  EXPECT_EQ(ToSystemDecimalSeparator("1.5", ','), "1,5");
  EXPECT_EQ(ToSystemDecimalSeparator("1.5", '.'), "1.5");
  EXPECT_EQ(ToSystemDecimalSeparator("1.5.6", ','), "1,5.6");
  EXPECT_EQ(FromSystemDecimalSeparator("1,5,6", ','), "1.5,6");
  EXPECT_EQ(FromSystemDecimalSeparator("1,5", '.'), "1,5");
}

TEST(ConvertReportSeparators, ConvertsEachValuePartAndPadsBeforeTab) {
  EXPECT_EQ(ConvertReportSeparators("R2: 0.81\tQ2: 0.75", ','), "R2: 0,81 \tQ2: 0,75");
  EXPECT_EQ(ConvertReportSeparators("no value 1.5", ','), "no value 1.5");
  EXPECT_EQ(ConvertReportSeparators("a:1.5", ','), "a:1,5");
  EXPECT_EQ(ConvertReportSeparators("a.b:1.5.2\tc.d", ','), "a.b:1,5.2 \tc.d");
}

TEST(SinCosInt360, UsesTenDigitPi) {
  SinCosInt360 table;
  EXPECT_EQ(table.ldpCosTablePtr[0], 1.0L);
  EXPECT_NEAR(static_cast<double>(table.ldpSinTablePtr[180]), -4.1e-10, 0.05e-10);
  EXPECT_NEAR(static_cast<double>(table.ldpSinTablePtr[90]), 1.0, 1e-15);
}
