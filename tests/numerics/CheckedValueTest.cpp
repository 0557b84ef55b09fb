#include "numerics/CheckedValue.h"

#include <gtest/gtest.h>

#include "numerics/NumericsTestSupport.h"

TEST(CheckedMatrix, LimitsAndIndicesAreCheckedAndCellsStartPresentZero) {
  EXPECT_EQ(ThrownText([] { CheckedMatrix m(0, 5); }), "Invalid checked value limits.");
  EXPECT_EQ(ThrownText([] { CheckedIntMatrix m(5, 0); }), "Invalid checked value limits.");
  CheckedMatrix m(3, 2);
  EXPECT_EQ(ThrownText([&] { m.At(3, 0); }), "Invalid checked matrix index");
  EXPECT_EQ(ThrownText([&] { m.At(0, -1); }), "Invalid checked matrix index");
  m.At(2, 1) = CheckedValue(4.5L, false);
  EXPECT_EQ(m.At(2, 1).Value, 4.5L);
  CheckedIntMatrix ints(1, 1);
  EXPECT_FALSE(ints.At(0, 0).Missing);
  EXPECT_EQ(ints.At(0, 0).Value, 0);
  ints.Free();
  ints.Free();  // and once more by the destructor
}
