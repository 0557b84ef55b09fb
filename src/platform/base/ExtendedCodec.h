// Byte images of numbers as they stand in files: the 10-byte x87 extended real,
// little-endian 32-bit integers, the 24-byte checked real cell (missing flag at
// byte 0, value at bytes 8-17, other bytes zero) and the 8-byte checked integer
// cell (flag at byte 0, int32 at bytes 4-7). Readers ignore the padding bytes.
#pragma once

#include <cstdint>

constexpr int kExtendedSize = 10;
constexpr int kCheckedValueSize = 24;
constexpr int kCheckedIntValueSize = 8;

void EncodeExtended(long double value, uint8_t out[kExtendedSize]);
long double DecodeExtended(const uint8_t in[kExtendedSize]);

void EncodeInt32(int32_t value, uint8_t out[4]);
int32_t DecodeInt32(const uint8_t in[4]);

void EncodeCheckedValueImage(bool missing, long double value, uint8_t out[kCheckedValueSize]);
void DecodeCheckedValueImage(const uint8_t in[kCheckedValueSize], bool& missing, long double& value);

void EncodeCheckedIntImage(bool missing, int32_t value, uint8_t out[kCheckedIntValueSize]);
void DecodeCheckedIntImage(const uint8_t in[kCheckedIntValueSize], bool& missing, int32_t& value);
