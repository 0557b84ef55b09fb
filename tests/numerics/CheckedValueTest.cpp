#include "numerics/CheckedValue.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string ThrownText(auto action) {
  try {
    action();
  } catch (const char* text) {
    return text;
  }
  return "";
}

}  // namespace

TEST(CheckedMatrix, LimitsMustBePositive) {
  EXPECT_EQ(ThrownText([] { CheckedMatrix m(0, 5); }), "Invalid checked value limits.");
  EXPECT_EQ(ThrownText([] { CheckedIntMatrix m(5, 0); }), "Invalid checked value limits.");
  CheckedMatrix one(1, 1);
  EXPECT_EQ(one.Rows(), 1);
}

TEST(CheckedMatrix, IndexIsBoundsChecked) {
  CheckedMatrix m(3, 2);
  EXPECT_EQ(ThrownText([&] { m.At(3, 0); }), "Invalid checked matrix index");
  EXPECT_EQ(ThrownText([&] { m.At(0, -1); }), "Invalid checked matrix index");
  m.At(2, 1) = CheckedValue(4.5L, false);
  EXPECT_EQ(m.At(2, 1).Value, 4.5L);
}

TEST(CheckedMatrix, StartsWithPresentZerosAndFreesTwice) {
  CheckedIntMatrix m(2, 2);
  EXPECT_FALSE(m.At(1, 1).Missing);
  EXPECT_EQ(m.At(1, 1).Value, 0);
  m.Free();
  m.Free();
}

TEST(CheckedValue, InitMissingClearsTheValue) {
  CheckedValue cell(3.0L, false);
  cell.InitMissing();
  EXPECT_TRUE(cell.Missing);
  EXPECT_EQ(cell.Value, 0.0L);
}
