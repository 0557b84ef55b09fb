#include "platform/base/ExtendedCodec.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstring>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Image(const uint8_t* bytes, int size) { return Bytes(bytes, bytes + size); }

// The x87 extended real as it lies in memory: 8 bytes of mantissa with the
// explicit integer bit, then the sign-and-exponent word, little-endian.
Bytes MemoryImage(long double value) {
  uint8_t bytes[sizeof value];
  std::memcpy(bytes, &value, sizeof value);
  return Image(bytes, kExtendedSize);
}

void ExpectBitExactRoundTrip(long double value) {
  uint8_t encoded[kExtendedSize];
  EncodeExtended(value, encoded);
  EXPECT_EQ(Image(encoded, kExtendedSize), MemoryImage(value)) << value;
  EXPECT_EQ(MemoryImage(DecodeExtended(encoded)), MemoryImage(value)) << value;
}

}  // namespace

TEST(ExtendedCodec, RoundTripsEveryKindOfValueBitForBit) {
  const long double denormMin = LDBL_TRUE_MIN;
  for (long double value : {0.0L, -0.0L, -2.5L, LDBL_MAX, -LDBL_MAX, LDBL_MIN, denormMin, -denormMin, denormMin * 12345,
                            LDBL_MIN / 3, LDBL_MIN - denormMin, 18446744073709551615.0L, HUGE_VALL, -HUGE_VALL}) {
    ExpectBitExactRoundTrip(value);
  }
  uint64_t state = 0x9E3779B97F4A7C15ULL;  // pseudo-random finite bit patterns
  for (int i = 0; i < 20000; ++i) {
    state = state * 6364136223846793005ULL + 1442695040888963407ULL;
    const uint16_t exponent = static_cast<uint16_t>((state >> 49) % 0x7FFF);
    uint64_t mantissa = state * 0xD1342543DE82EF95ULL;
    mantissa = exponent == 0 ? mantissa & ~(1ULL << 63) : mantissa | (1ULL << 63);
    const uint16_t word = static_cast<uint16_t>(exponent | (state & 1) << 15);  // sign bit from the state
    long double value = 0;
    std::memcpy(&value, &mantissa, 8);
    std::memcpy(reinterpret_cast<uint8_t*>(&value) + 8, &word, 2);
    ExpectBitExactRoundTrip(value);
  }
}

TEST(ExtendedCodec, CheckedImagesHaveFlagValueAndIgnoredZeroPadding) {
  uint8_t image[kCheckedValueSize];
  std::memset(image, 0xAA, sizeof image);
  EncodeCheckedValueImage(true, 7.25L, image);
  Bytes expected = MemoryImage(7.25L);  // flag, 7 zero bytes, the value, 6 zero bytes
  expected.insert(expected.begin(), {1, 0, 0, 0, 0, 0, 0, 0});
  expected.resize(kCheckedValueSize, 0);
  EXPECT_EQ(Image(image, kCheckedValueSize), expected);
  for (int i : {1, 2, 7, 18, 23}) image[i] = 0x5C;
  bool missing = false;
  long double decoded = 0;
  DecodeCheckedValueImage(image, missing, decoded);
  EXPECT_TRUE(missing);
  EXPECT_EQ(decoded, 7.25L);  // a missing cell keeps its stored value

  EncodeCheckedIntImage(false, -3, image);
  EXPECT_EQ(Image(image, 8), (Bytes{0, 0, 0, 0, 0xFD, 0xFF, 0xFF, 0xFF}));
  image[1] = image[3] = 0x77;
  int32_t intValue = 0;
  DecodeCheckedIntImage(image, missing, intValue);
  EXPECT_FALSE(missing);
  EXPECT_EQ(intValue, -3);
  EncodeInt32(0x12345678, image);
  EXPECT_EQ(Image(image, 4), (Bytes{0x78, 0x56, 0x34, 0x12}));
  EXPECT_EQ(DecodeInt32(image), 0x12345678);
}
