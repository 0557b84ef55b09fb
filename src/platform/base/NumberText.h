// Number text as the class library writes and reads it. The decimal separator is
// always '.'; the user's separator is applied only by the program's own converters.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

enum class FloatFormat {
  General,   // shortest of fixed and scientific, `precision` significant digits
  Exponent,  // d.ddd E+dd: `precision` significant digits, at least `digits` exponent digits
  Fixed,     // `digits` decimals (precision significant digits at most, else General)
  Number,    // Fixed with thousands separators
};

// Formats value: its 18 significant digits (the exact decimal expansion rounded half away
// from zero) are rounded again, half away from zero, to the digits the format keeps. precision is taken in 1..18; digits is the minimum count of exponent
// digits (0..4) for General and Exponent, the count of decimals (0..18) for Fixed and
// Number. A value that rounds to zero has no minus sign; NaN and infinities print as
// "NAN", "INF" and "-INF".
std::string FloatToStrF(long double value, FloatFormat format, int precision, int digits);
// General format with 15 significant digits.
std::string FloatToStr(long double value);
std::string IntToStr(int64_t value);

// Strict conversions: the whole text (surrounding blanks allowed) must be a number,
// else EConvertError "'<text>' is not a valid floating point value" /
// "'<text>' is not a valid integer value".
long double StrToFloat(std::string_view text);
int StrToInt(std::string_view text);
bool TryStrToFloat(std::string_view text, long double& value);
bool TryStrToInt(std::string_view text, int& value);
