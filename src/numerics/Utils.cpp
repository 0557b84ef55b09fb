#include "numerics/Utils.h"

#include <cmath>

namespace {

std::string ReplaceFirst(const std::string& text, char from, char to) {
  if (from == to) return text;
  std::string result = text;
  std::size_t at = result.find(from);
  if (at != std::string::npos) result[at] = to;
  return result;
}

}  // namespace

std::string ToSystemDecimalSeparator(const std::string& text, char userSeparator) {
  return ReplaceFirst(text, '.', userSeparator);
}

std::string FromSystemDecimalSeparator(const std::string& text, char userSeparator) {
  return ReplaceFirst(text, userSeparator, '.');
}

std::string ConvertReportSeparators(const std::string& text, char userSeparator) {
  std::string result;
  std::size_t i = 0;
  while (i < text.size()) {
    if (text[i] != ':') {
      result += text[i++];
      continue;
    }
    std::size_t end = text.find('\t', i);
    std::string part = text.substr(i, end == std::string::npos ? std::string::npos : end - i);
    if (end != std::string::npos) part += ' ';
    result += ToSystemDecimalSeparator(part, userSeparator);
    i = (end == std::string::npos) ? text.size() : end;
  }
  return result;
}

void RaiseNonFinite(long double x) {
  if (std::isnan(x)) throw EInvalidOp();
  throw EOverflow();
}

int RoundHalfAway(long double x) {
  long double t = std::trunc(x);
  long double f = std::fabs(x - t);
  int result = static_cast<int>(t);
  if (f >= 0.5L) result += (x >= 0) ? 1 : -1;
  return result;
}

void ChooseFloatFormat(const long double* value, const int* k, FloatFormat* format, int* precision,
                       int* digits) {
  *format = FloatFormat::Fixed;
  *precision = 18;
  *digits = 3;
  long double magnitude = std::fabs(*value);
  // 10^k is exact for the small k of the axes; 10^-k is its correctly rounded reciprocal.
  long double bound = std::pow(10.0L, static_cast<long double>(*k));
  if (*value != 0 && (magnitude < 1.0L / bound || magnitude >= bound)) {
    *format = FloatFormat::Exponent;
    *precision = 3;
    *digits = 2;
  }
}

SinCosInt360::SinCosInt360() {
  AllocCheckedArray(ldpSinTablePtr, 360, "*ldpSinTablePtr");
  try {
    AllocCheckedArray(ldpCosTablePtr, 360, "*ldpCosTablePtr");
  } catch (...) {
    delete[] ldpSinTablePtr;
    throw;
  }
  for (int i = 0; i < 360; ++i) {
    long double angle = i * 0.017453292522222223L;
    ldpSinTablePtr[i] = std::sin(angle);
    ldpCosTablePtr[i] = std::cos(angle);
  }
}

SinCosInt360::~SinCosInt360() {
  delete[] ldpSinTablePtr;
  delete[] ldpCosTablePtr;
}
