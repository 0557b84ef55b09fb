// Helpers of the numerics tests: extended-precision closeness, matrices from
// rows, and the text of a thrown plain text or matrix exception.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "numerics/Matrix.h"

inline ::testing::AssertionResult Close(long double actual, long double expected, long double tolerance) {
  const long double diff = std::fabs(actual - expected);
  if (diff <= tolerance) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << static_cast<double>(actual) << " differs from " << static_cast<double>(expected)
                                       << " by " << static_cast<double>(diff);
}

inline Matrix FromRows(const std::vector<std::vector<long double>>& rows) {
  Matrix m(static_cast<int>(rows.size()), static_cast<int>(rows[0].size()));
  for (int r = 0; r < m.Rows(); ++r)
    for (int c = 0; c < m.Cols(); ++c) m.At(r, c) = rows[r][c];
  return m;
}

// The plain text or the MatrixEx message that action throws; empty when it throws none.
template <typename Action>
std::string ThrownText(Action action) {
  try {
    action();
  } catch (const char* text) {
    return text;
  } catch (const MatrixEx& e) {
    return e.Message;
  }
  return "";
}

// The same extended real to the last bit (the 10 bytes that hold its value).
inline ::testing::AssertionResult SameBits(long double actual, long double expected) {
  if (std::memcmp(&actual, &expected, 10) == 0) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << static_cast<double>(actual) << " is not bit for bit "
                                       << static_cast<double>(expected) << " (differs by "
                                       << static_cast<double>(actual - expected) << ")";
}
