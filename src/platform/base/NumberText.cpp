// Number text as the class library writes and reads it, independent of the C locale.
#include "platform/base/NumberText.h"

#include <algorithm>
#include <cerrno>
#include <cfenv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <locale.h>

#include "platform/base/Exception.h"

namespace {

// Significant digits the conversion keeps at most (extended precision).
constexpr int kMaxPrecision = 18;
// Largest minimum number of exponent digits.
constexpr int kMaxExponentDigits = 4;
// General format prints fixed down to 0.1e-4 = 0.00001 (decimal exponent -4).
constexpr int kGeneralMinFixedExponent = -4;
// Decimal limit that never binds (the smallest extended value is about 3.6e-4951).
constexpr int kNoDecimalLimit = 100000;
// Digits read from the truncated expansion; more than kMaxPrecision + 1 are never needed.
constexpr int kExpansionDigits = 24;

// A non-negative value rounded to decimal digits: value = 0.Digits x 10^Exponent.
// Digits has no trailing zeros; it is empty for zero.
struct Decimal {
  std::string Digits;
  int Exponent = 0;
  bool IsZero() const { return Digits.empty(); }
};

// Sets the rounding mode for the lifetime of the object.
class RoundingModeGuard {
public:
  explicit RoundingModeGuard(int mode) : saved_(std::fegetround()) { std::fesetround(mode); }
  ~RoundingModeGuard() { std::fesetround(saved_); }
  RoundingModeGuard(const RoundingModeGuard&) = delete;
  RoundingModeGuard& operator=(const RoundingModeGuard&) = delete;

private:
  int saved_;
};

// The leading digits of the exact decimal expansion of a finite, positive value, truncated
// (never rounded up), with the decimal exponent: value = 0.digits... x 10^exponent.
// Truncation makes the half-away decision exact: the value's remainder after a digit
// position is at least one half exactly when the next truncated digit is 5 or more.
Decimal TruncatedExpansion(long double value) {
  char text[64];
  {
    RoundingModeGuard towardZero(FE_TOWARDZERO);
    std::snprintf(text, sizeof text, "%.*Le", kExpansionDigits, value);
  }
  // "d.ddd...e+xx"; the point may be any separator, so digits are collected up to 'e'.
  Decimal result;
  const char* p = text;
  for (; *p != 'e'; ++p) {
    if (*p >= '0' && *p <= '9') result.Digits += *p;
  }
  result.Exponent = std::atoi(p + 1) + 1;
  return result;
}

// The digit at position i of the digit string (zero past its end).
char DigitAt(const Decimal& d, int i) {
  return i >= 0 && i < static_cast<int>(d.Digits.size()) ? d.Digits[i] : '0';
}

// Keeps the first `keep` digits (keep >= 0), rounding half away from zero on the digit after them.
Decimal RoundDigits(const Decimal& d, int keep) {
  Decimal result;
  result.Exponent = d.Exponent;
  result.Digits = d.Digits.substr(0, static_cast<std::size_t>(keep));
  if (DigitAt(d, keep) >= '5') {
    int i = keep - 1;
    while (i >= 0 && result.Digits[i] == '9') result.Digits[i--] = '0';
    if (i >= 0) {
      ++result.Digits[i];
    } else {  // all nines (or nothing kept): the value becomes the next power of ten
      result.Digits.assign(1, '1');
      ++result.Exponent;
    }
  }
  while (!result.Digits.empty() && result.Digits.back() == '0') result.Digits.pop_back();
  if (result.Digits.empty()) result.Exponent = 0;
  return result;
}

// Rounds a finite value's magnitude to at most `significant` digits and at most `decimals`
// digits after the point. As in the class library, the value is first converted to its 18
// significant digits, and those digits are rounded again to what the format keeps: 2.675,
// stored a little below, has the digits 2.67500000000000000 and prints as 2.68.
Decimal RoundDecimal(long double value, int significant, int decimals) {
  value = std::fabs(value);
  if (value == 0) return Decimal();
  const Decimal converted = RoundDigits(TruncatedExpansion(value), kMaxPrecision);
  const int keep = std::min(significant, converted.Exponent + decimals);
  if (keep < 0) return Decimal();
  return RoundDigits(converted, keep);
}

std::string PaddedNumber(int value, int minDigits) {
  std::string text = std::to_string(value);
  if (static_cast<int>(text.size()) < minDigits) text.insert(0, minDigits - text.size(), '0');
  return text;
}

// Integer part of a decimal, with optional thousands separators.
std::string IntegerPart(const Decimal& d, bool thousands) {
  if (d.Exponent <= 0) return "0";
  std::string text;
  for (int i = 0; i < d.Exponent; ++i) {
    if (thousands && i > 0 && (d.Exponent - i) % 3 == 0) text += ',';
    text += DigitAt(d, i);
  }
  return text;
}

// The point and `count` digits after it; nothing when count is 0.
std::string PointAndDecimals(const Decimal& d, int count) {
  std::string text;
  if (count > 0) text += '.';
  for (int i = 0; i < count; ++i) text += DigitAt(d, d.Exponent + i);
  return text;
}

// Mantissa d.ddd with `count` digits in all (trailing zeros as given).
std::string Mantissa(const Decimal& d, int count) {
  std::string text(1, DigitAt(d, 0));
  if (count > 1) {
    text += '.';
    for (int i = 1; i < count; ++i) text += DigitAt(d, i);
  }
  return text;
}

std::string ExponentForm(const Decimal& d, int precision, int digits) {
  const int exponent = d.IsZero() ? 0 : d.Exponent - 1;
  return Mantissa(d, precision) + 'E' + (exponent < 0 ? '-' : '+') +
         PaddedNumber(std::abs(exponent), digits);
}

std::string GeneralForm(const Decimal& d, int precision, int digits) {
  if (d.IsZero()) return "0";
  const int count = static_cast<int>(d.Digits.size());
  if (d.Exponent > precision || d.Exponent < kGeneralMinFixedExponent) {
    const int exponent = d.Exponent - 1;
    return Mantissa(d, count) + 'E' + (exponent < 0 ? "-" : "") + PaddedNumber(std::abs(exponent), digits);
  }
  const int decimals = std::max(0, count - d.Exponent);
  return IntegerPart(d, false) + PointAndDecimals(d, decimals);
}

std::string NonFiniteText(long double value) {
  if (std::isnan(value)) return "NAN";
  return value < 0 ? "-INF" : "INF";
}

constexpr std::string_view kBlanks = " ";

std::string_view Trimmed(std::string_view text) {
  const auto first = text.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(kBlanks);
  return text.substr(first, last - first + 1);
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Advances past digits; returns how many there were.
int SkipDigits(std::string_view text, std::size_t& pos) {
  const std::size_t start = pos;
  while (pos < text.size() && IsDigit(text[pos])) ++pos;
  return static_cast<int>(pos - start);
}

void SkipSign(std::string_view text, std::size_t& pos) {
  if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) ++pos;
}

// [sign] digits [. digits] [e|E [sign] digits], at least one mantissa digit.
bool IsFloatSyntax(std::string_view text) {
  std::size_t pos = 0;
  SkipSign(text, pos);
  int mantissaDigits = SkipDigits(text, pos);
  if (pos < text.size() && text[pos] == '.') {
    ++pos;
    mantissaDigits += SkipDigits(text, pos);
  }
  if (mantissaDigits == 0) return false;
  if (pos < text.size() && (text[pos] == 'e' || text[pos] == 'E')) {
    ++pos;
    SkipSign(text, pos);
    if (SkipDigits(text, pos) == 0) return false;
  }
  return pos == text.size();
}

// Calls parse with text as a terminated string: short texts (every usual number)
// are copied onto the stack, so a conversion allocates nothing.
template <typename Parse>
auto WithTerminated(std::string_view text, Parse parse) {
  constexpr std::size_t kShort = 64;
  if (text.size() < kShort) {
    char buffer[kShort];
    text.copy(buffer, text.size());
    buffer[text.size()] = '\0';
    return parse(static_cast<const char*>(buffer));
  }
  const std::string copy(text);
  return parse(copy.c_str());
}

locale_t CLocale() {
  static const locale_t locale = newlocale(LC_ALL_MASK, "C", nullptr);
  return locale;
}

}  // namespace

std::string FloatToStrF(long double value, FloatFormat format, int precision, int digits) {
  if (!std::isfinite(value)) return NonFiniteText(value);
  precision = std::clamp(precision, 1, kMaxPrecision);
  const bool fixed = format == FloatFormat::Fixed || format == FloatFormat::Number;
  const int decimals = fixed ? std::clamp(digits, 0, kMaxPrecision) : kNoDecimalLimit;
  const int exponentDigits = std::clamp(digits, 0, kMaxExponentDigits);
  const Decimal rounded = RoundDecimal(value, precision, decimals);
  std::string text;
  if (format == FloatFormat::Exponent) {
    text = ExponentForm(rounded, precision, exponentDigits);
  } else if (format == FloatFormat::General || rounded.Exponent > precision) {
    // Fixed and Number print an integer part longer than the precision in general format.
    text = GeneralForm(rounded, precision, exponentDigits);
  } else {
    text = IntegerPart(rounded, format == FloatFormat::Number);
    text += PointAndDecimals(rounded, decimals);
  }
  if (value < 0 && !rounded.IsZero()) text.insert(text.begin(), '-');
  return text;
}

std::string FloatToStr(long double value) { return FloatToStrF(value, FloatFormat::General, 15, 0); }

std::string IntToStr(int64_t value) { return std::to_string(value); }

bool TryStrToFloat(std::string_view text, long double& value) {
  const std::string_view number = Trimmed(text);
  if (!IsFloatSyntax(number)) return false;
  const long double parsed =
      WithTerminated(number, [](const char* terminated) { return strtold_l(terminated, nullptr, CLocale()); });
  if (!std::isfinite(parsed)) return false;  // overflow; an underflow gives its tiny or zero value
  value = parsed;
  return true;
}

bool TryStrToInt(std::string_view text, int& value) {
  const std::string_view number = Trimmed(text);
  std::size_t pos = 0;
  SkipSign(number, pos);
  if (SkipDigits(number, pos) == 0 || pos != number.size()) return false;
  errno = 0;
  const long long parsed =
      WithTerminated(number, [](const char* terminated) { return std::strtoll(terminated, nullptr, 10); });
  if (errno == ERANGE || parsed < INT32_MIN || parsed > INT32_MAX) return false;
  value = static_cast<int>(parsed);
  return true;
}

long double StrToFloat(std::string_view text) {
  long double value = 0;
  if (!TryStrToFloat(text, value))
    throw EConvertError("'" + std::string(text) + "' is not a valid floating point value");
  return value;
}

int StrToInt(std::string_view text) {
  int value = 0;
  if (!TryStrToInt(text, value)) throw EConvertError("'" + std::string(text) + "' is not a valid integer value");
  return value;
}
