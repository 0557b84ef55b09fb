// Checked array allocation with a named report, number-text separator
// conversion and small numeric helpers shared by the whole program.
#pragma once

#include <cmath>
#include <memory>
#include <new>
#include <string>

#include "platform/base/Exception.h"
#include "platform/base/NumberText.h"

class DataBadAllocEx : public Exception {
public:
  explicit DataBadAllocEx(const std::string& name) : Exception("Bad allocation error (" + name + ")") {}
};

class DataNoMemoryEx : public Exception {
public:
  explicit DataNoMemoryEx(const std::string& name) : Exception("Not enough free memory (" + name + ")") {}
};

// Allocates n elements of T (value-initialised) under the caller's variable name;
// the caller frees the array with delete[]. n = 0 yields an empty array.
template <typename T>
void AllocCheckedArray(T*& p, int n, const std::string& name) {
  if (n < 0) throw DataBadAllocEx(name);
  p = new (std::nothrow) T[static_cast<std::size_t>(n)]();
  if (p == nullptr) throw DataNoMemoryEx(name);
}

// An array of n value-initialised elements from the checked allocation, owned.
template <typename T>
std::unique_ptr<T[]> MakeCheckedArray(int n, const std::string& name) {
  T* p = nullptr;
  AllocCheckedArray(p, n, name);
  return std::unique_ptr<T[]>(p);
}

// The first '.' becomes the user's separator (display and export).
std::string ToSystemDecimalSeparator(const std::string& text, char userSeparator);
// The first user separator becomes '.' (text coming in).
std::string FromSystemDecimalSeparator(const std::string& text, char userSeparator);
// Converts every value part (from a ':' up to the next TAB) of a report text.
std::string ConvertReportSeparators(const std::string& text, char userSeparator);

constexpr int LargestInt() { return 2147483647; }

// Arithmetic faults. The hardware does not trap them here, so the numeric code
// tests its divisors and results and raises these where a fault would occur.
class EMathError : public Exception {
public:
  using Exception::Exception;
};
class EZeroDivide : public EMathError {
public:
  EZeroDivide() : EMathError("Floating point division by zero") {}
};
class EInvalidOp : public EMathError {
public:
  EInvalidOp() : EMathError("Invalid floating point operation") {}
};
class EOverflow : public EMathError {
public:
  EOverflow() : EMathError("Floating point overflow") {}
};

class EUnderflow : public EMathError {
public:
  EUnderflow() : EMathError("Floating point underflow") {}
};

// Raises EInvalidOp for a NaN, EOverflow for an infinity.
[[noreturn]] void RaiseNonFinite(long double x);

// x itself; a NaN raises EInvalidOp, an infinity EOverflow.
inline long double Finite(long double x) {
  if (!std::isfinite(x)) RaiseNonFinite(x);
  return x;
}
// a / b; b = 0 raises EZeroDivide, an infinite or NaN quotient as Finite does.
inline long double CheckedDiv(long double a, long double b) {
  if (b == 0.0L) throw EZeroDivide();
  return Finite(a / b);
}
// sqrt(x); x < 0 (or NaN) raises EInvalidOp.
inline long double CheckedSqrt(long double x) {
  if (!(x >= 0.0L)) throw EInvalidOp();
  return Finite(std::sqrt(x));
}

// Rounds to the nearest integer, halves away from zero.
int RoundHalfAway(long double x);

// Chooses how an axis label prints value: fixed 18/3, or exponent 3/2 when value
// is not 0 and |value| < 10^-k or |value| >= 10^k.
void ChooseFloatFormat(const long double* value, const int* k, FloatFormat* format, int* precision,
                       int* digits);

// Sines and cosines of whole degrees 0..359 (pi taken as 3.141592654).
class SinCosInt360 {
public:
  SinCosInt360();
  ~SinCosInt360();
  SinCosInt360(const SinCosInt360&) = delete;
  SinCosInt360& operator=(const SinCosInt360&) = delete;

  long double* ldpSinTablePtr = nullptr;
  long double* ldpCosTablePtr = nullptr;
};
