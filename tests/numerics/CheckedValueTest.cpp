#include "numerics/CheckedValue.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// The text a call throws (the table throws plain character strings), or "" when it throws nothing.
template <typename Call>
std::string ThrownText(Call call) {
  try {
    call();
  } catch (const char* text) {
    return text;
  }
  return "";
}

TEST(CheckedTable, LimitsBelowOneAndIndicesOutsideAreRefusedWithTheirTexts) {
  for (auto [rows, cols] : {std::pair{0, 5}, std::pair{5, 0}, std::pair{-1, 1}}) {
    EXPECT_EQ(ThrownText([r = rows, c = cols] { CheckedMatrix m(r, c); }), "Invalid checked value limits.")
        << rows << "x" << cols;
    EXPECT_EQ(ThrownText([r = rows, c = cols] { CheckedIntMatrix m(r, c); }), "Invalid checked value limits.");
  }
  CheckedMatrix one(1, 1);  // the smallest table
  one.At(0, 0) = CheckedValue(2.5L, false);
  EXPECT_EQ(one.At(0, 0).Value, 2.5L);

  CheckedIntMatrix m(2, 3);
  m.At(1, 2) = CheckedIntValue(7, true);
  EXPECT_EQ(m.At(1, 2).Value, 7);
  EXPECT_TRUE(m.At(1, 2).Missing);
  EXPECT_EQ(std::make_pair(m.Rows(), m.Cols()), std::make_pair(2, 3));
  for (auto [row, col] : {std::pair{-1, 0}, std::pair{0, -1}, std::pair{2, 0}, std::pair{0, 3}})
    EXPECT_EQ(ThrownText([&m, r = row, c = col] { m.At(r, c); }), "Invalid checked matrix index") << row << "," << col;
  m.Free();
  m.Free();  // a second release does nothing
}

}  // namespace
