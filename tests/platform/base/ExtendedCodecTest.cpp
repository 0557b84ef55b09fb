#include "platform/base/ExtendedCodec.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

namespace {

// The x87 extended real as it lies in memory: 8 bytes of mantissa with the
// explicit integer bit, then the sign-and-exponent word, little-endian.
std::vector<uint8_t> MemoryImage(long double value) {
  std::vector<uint8_t> bytes(kExtendedSize);
  std::memcpy(bytes.data(), &value, kExtendedSize);
  return bytes;
}

long double FromParts(bool negative, unsigned exponent, uint64_t mantissa) {
  uint8_t bytes[16] = {};
  for (int i = 0; i < 8; ++i) bytes[i] = static_cast<uint8_t>(mantissa >> (8 * i));
  unsigned word = exponent | (negative ? 0x8000u : 0u);
  bytes[8] = static_cast<uint8_t>(word);
  bytes[9] = static_cast<uint8_t>(word >> 8);
  long double value;
  std::memcpy(&value, bytes, sizeof value);
  return value;
}

void ExpectBitExactRoundTrip(long double value) {
  uint8_t encoded[kExtendedSize];
  EncodeExtended(value, encoded);
  EXPECT_EQ(std::vector<uint8_t>(encoded, encoded + kExtendedSize), MemoryImage(value)) << value;
  EXPECT_EQ(MemoryImage(DecodeExtended(encoded)), MemoryImage(value)) << value;
}

}  // namespace

TEST(ExtendedCodec, RoundTripsEveryKindOfValueBitForBit) {
  const long double denormMin = std::numeric_limits<long double>::denorm_min();
  for (long double value : {0.0L, -0.0L, 1.0L, -1.0L, 0.1L, -2.5L, 3.14159265358979323846L, 1e-300L, 1e300L,
                            LDBL_MAX, -LDBL_MAX, LDBL_MIN, -LDBL_MIN, denormMin, -denormMin, denormMin * 12345,
                            LDBL_MIN / 3, LDBL_MIN - denormMin, 18446744073709551615.0L}) {
    ExpectBitExactRoundTrip(value);
  }
  ExpectBitExactRoundTrip(std::numeric_limits<long double>::infinity());
  ExpectBitExactRoundTrip(-std::numeric_limits<long double>::infinity());
}

TEST(ExtendedCodec, RoundTripsPseudoRandomBitPatterns) {
  uint64_t state = 0x9E3779B97F4A7C15ULL;
  for (int i = 0; i < 20000; ++i) {
    state = state * 6364136223846793005ULL + 1442695040888963407ULL;
    unsigned exponent = static_cast<unsigned>(state >> 49) % 0x7FFF;  // finite exponents only
    uint64_t mantissa = state * 0xD1342543DE82EF95ULL;
    mantissa = exponent == 0 ? mantissa & ~(1ULL << 63) : mantissa | (1ULL << 63);
    ExpectBitExactRoundTrip(FromParts((state & 1) != 0, exponent, mantissa));
  }
}

TEST(ExtendedCodec, WritesTheLayoutOfSignExponentAndMantissa) {
  uint8_t bytes[kExtendedSize];
  EncodeExtended(-2.0L, bytes);  // mantissa 1.0 (integer bit), exponent 0x4000, sign set
  EXPECT_EQ(std::vector<uint8_t>(bytes, bytes + 10), (std::vector<uint8_t>{0, 0, 0, 0, 0, 0, 0, 0x80, 0x00, 0xC0}));
  EncodeExtended(std::numeric_limits<long double>::denorm_min(), bytes);
  EXPECT_EQ(std::vector<uint8_t>(bytes, bytes + 10), (std::vector<uint8_t>{1, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
  EncodeExtended(-0.0L, bytes);
  EXPECT_EQ(std::vector<uint8_t>(bytes, bytes + 10), (std::vector<uint8_t>{0, 0, 0, 0, 0, 0, 0, 0, 0, 0x80}));
}

TEST(ExtendedCodec, Int32IsLittleEndian) {
  uint8_t bytes[4];
  EncodeInt32(-2, bytes);
  EXPECT_EQ(std::vector<uint8_t>(bytes, bytes + 4), (std::vector<uint8_t>{0xFE, 0xFF, 0xFF, 0xFF}));
  EncodeInt32(0x12345678, bytes);
  EXPECT_EQ(std::vector<uint8_t>(bytes, bytes + 4), (std::vector<uint8_t>{0x78, 0x56, 0x34, 0x12}));
  EXPECT_EQ(DecodeInt32(bytes), 0x12345678);
}

TEST(ExtendedCodec, CheckedValueImageHasFlagValueAndZeroPadding) {
  uint8_t image[kCheckedValueSize];
  std::memset(image, 0xAA, sizeof image);
  EncodeCheckedValueImage(true, 7.25L, image);
  std::vector<uint8_t> expected(24, 0);
  expected[0] = 1;
  std::vector<uint8_t> value = MemoryImage(7.25L);
  std::copy(value.begin(), value.end(), expected.begin() + 8);
  EXPECT_EQ(std::vector<uint8_t>(image, image + 24), expected);

  // The reader ignores the padding; a missing cell keeps its stored value.
  for (int i : {1, 2, 7, 18, 23}) image[i] = 0x5C;
  bool missing = false;
  long double decoded = 0;
  DecodeCheckedValueImage(image, missing, decoded);
  EXPECT_TRUE(missing);
  EXPECT_EQ(decoded, 7.25L);
}

TEST(ExtendedCodec, CheckedIntImageHasFlagAndValueAtByteFour) {
  uint8_t image[kCheckedIntValueSize];
  EncodeCheckedIntImage(false, -3, image);
  EXPECT_EQ(std::vector<uint8_t>(image, image + 8), (std::vector<uint8_t>{0, 0, 0, 0, 0xFD, 0xFF, 0xFF, 0xFF}));
  image[1] = image[3] = 0x77;
  bool missing = true;
  int32_t value = 0;
  DecodeCheckedIntImage(image, missing, value);
  EXPECT_FALSE(missing);
  EXPECT_EQ(value, -3);
}
