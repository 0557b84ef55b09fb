// Builds the expected bytes of a record field by field, from the file layout:
// little-endian integers, 10-byte extended reals as they lie in memory, 24-byte
// and 8-byte cell images.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

class ByteBuilder {
public:
  ByteBuilder& Int(int64_t value, int size = 4) {
    for (int i = 0; i < size; ++i) bytes.push_back(static_cast<uint8_t>(static_cast<uint64_t>(value) >> (8 * i)));
    return *this;
  }
  ByteBuilder& Real(long double value) {
    const std::size_t at = bytes.size();
    bytes.resize(at + 10);
    std::memcpy(bytes.data() + at, &value, 10);
    return *this;
  }
  ByteBuilder& Text(const std::string& text) {
    Int(static_cast<int64_t>(text.size()));
    bytes.insert(bytes.end(), text.begin(), text.end());
    return *this;
  }
  ByteBuilder& Cell(long double value, bool missing) { return Int(missing ? 1 : 0, 8).Real(value).Int(0, 6); }
  ByteBuilder& IntCell(int32_t value, bool missing) { return Int(missing ? 1 : 0).Int(value); }
  ByteBuilder& Raw(const std::vector<uint8_t>& more) {
    bytes.insert(bytes.end(), more.begin(), more.end());
    return *this;
  }

  std::vector<uint8_t> bytes;
};
