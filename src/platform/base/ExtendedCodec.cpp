#include "platform/base/ExtendedCodec.h"

#include <cmath>
#include <cstring>

namespace {

constexpr int kExponentBias = 16383;
constexpr int kMaxExponentField = 0x7FFF;
// A denormal's value is mantissa x 2^(1 - bias - 63).
constexpr int kDenormalShift = kExponentBias - 1 + 63;
constexpr uint64_t kIntegerBit = 0x8000000000000000ULL;
constexpr uint64_t kQuietNaNMantissa = 0xC000000000000000ULL;

void EncodeUInt64(uint64_t value, uint8_t out[8]) {
  for (int i = 0; i < 8; ++i) out[i] = static_cast<uint8_t>(value >> (8 * i));
}

uint64_t DecodeUInt64(const uint8_t in[8]) {
  uint64_t value = 0;
  for (int i = 7; i >= 0; --i) value = (value << 8) | in[i];
  return value;
}

// Splits |value| into the exponent field and the 64-bit mantissa with its
// explicit integer bit.
void SplitExtended(long double magnitude, int& exponentField, uint64_t& mantissa) {
  switch (std::fpclassify(magnitude)) {
    case FP_ZERO:
      exponentField = 0;
      mantissa = 0;
      return;
    case FP_INFINITE:
      exponentField = kMaxExponentField;
      mantissa = kIntegerBit;
      return;
    case FP_NAN:
      exponentField = kMaxExponentField;
      mantissa = kQuietNaNMantissa;
      return;
    case FP_SUBNORMAL:
      exponentField = 0;
      mantissa = static_cast<uint64_t>(std::ldexp(magnitude, kDenormalShift));
      return;
    default: {
      int exponent = 0;
      long double fraction = std::frexp(magnitude, &exponent);  // in [0.5, 1)
      exponentField = exponent - 1 + kExponentBias;
      mantissa = static_cast<uint64_t>(std::ldexp(fraction, 64));
    }
  }
}

}  // namespace

void EncodeExtended(long double value, uint8_t out[kExtendedSize]) {
  int exponentField = 0;
  uint64_t mantissa = 0;
  SplitExtended(std::fabs(value), exponentField, mantissa);
  EncodeUInt64(mantissa, out);
  unsigned signAndExponent = static_cast<unsigned>(exponentField) | (std::signbit(value) ? 0x8000u : 0u);
  out[8] = static_cast<uint8_t>(signAndExponent);
  out[9] = static_cast<uint8_t>(signAndExponent >> 8);
}

long double DecodeExtended(const uint8_t in[kExtendedSize]) {
  uint64_t mantissa = DecodeUInt64(in);
  unsigned signAndExponent = in[8] | (static_cast<unsigned>(in[9]) << 8);
  int exponentField = static_cast<int>(signAndExponent & 0x7FFF);
  long double magnitude;
  if (exponentField == kMaxExponentField) {
    magnitude = (mantissa << 1) == 0 ? HUGE_VALL : std::nanl("");
  } else if (exponentField == 0) {
    magnitude = std::ldexp(static_cast<long double>(mantissa), -kDenormalShift);
  } else {
    magnitude = std::ldexp(static_cast<long double>(mantissa), exponentField - kExponentBias - 63);
  }
  return (signAndExponent & 0x8000) ? -magnitude : magnitude;
}

void EncodeInt32(int32_t value, uint8_t out[4]) {
  uint32_t bits = static_cast<uint32_t>(value);
  for (int i = 0; i < 4; ++i) out[i] = static_cast<uint8_t>(bits >> (8 * i));
}

int32_t DecodeInt32(const uint8_t in[4]) {
  uint32_t bits = in[0] | (in[1] << 8) | (in[2] << 16) | (static_cast<uint32_t>(in[3]) << 24);
  return static_cast<int32_t>(bits);
}

void EncodeCheckedValueImage(bool missing, long double value, uint8_t out[kCheckedValueSize]) {
  std::memset(out, 0, kCheckedValueSize);
  out[0] = missing ? 1 : 0;
  EncodeExtended(value, out + 8);
}

void DecodeCheckedValueImage(const uint8_t in[kCheckedValueSize], bool& missing, long double& value) {
  missing = in[0] != 0;
  value = DecodeExtended(in + 8);
}

void EncodeCheckedIntImage(bool missing, int32_t value, uint8_t out[kCheckedIntValueSize]) {
  std::memset(out, 0, kCheckedIntValueSize);
  out[0] = missing ? 1 : 0;
  EncodeInt32(value, out + 4);
}

void DecodeCheckedIntImage(const uint8_t in[kCheckedIntValueSize], bool& missing, int32_t& value) {
  missing = in[0] != 0;
  value = DecodeInt32(in + 4);
}
