#include "data/RecordStreams.h"

#include <cmath>
#include <vector>

#include "numerics/Utils.h"
#include "platform/base/ExtendedCodec.h"

std::size_t ShortReadNotingStream::Read(void* buffer, std::size_t count) {
  std::size_t got = inner_.Read(buffer, count);
  if (got < count) shortRead_ = true;
  return got;
}

namespace {

// What an array that was never filled, or a value that is not finite, writes:
// the undefined value of a statistic.
constexpr long double kUndefinedReal = -1.0L;

bool ReadWhole(Stream& stream, void* buffer, std::size_t count) { return stream.Read(buffer, count) == count; }

// A number in a file this program wrote is always finite.
long double RequireFinite(long double value) {
  if (!std::isfinite(value)) throw EDamagedRecord("invalid number");
  return value;
}

void WriteReal(Stream& stream, long double value) {
  uint8_t bytes[kExtendedSize];
  EncodeExtended(std::isfinite(value) ? value : kUndefinedReal, bytes);
  stream.Write(bytes, sizeof bytes);
}

// Reads count items of itemBytes each; keeps a default item where the stream ended.
template <typename T, typename Decode>
void ReadArray(Stream& stream, T*& target, int32_t& count, std::size_t itemBytes, Decode decode) {
  ReleaseArray(target);
  count = 0;
  StreamInt(stream, count, kStreamRead);
  RequireRoom(stream, count, static_cast<int64_t>(itemBytes), "array size");
  if (count <= 0) return;
  AllocCheckedArray(target, count, "*tpData");
  std::vector<uint8_t> bytes(itemBytes);
  for (int32_t i = 0; i < count; ++i) {
    if (ReadWhole(stream, bytes.data(), itemBytes)) decode(bytes.data(), target[i]);
  }
}

}  // namespace

void RequireRoom(Stream& stream, int64_t count, int64_t itemBytes, const std::string& what) {
  int64_t left = stream.Size() - stream.Position();
  if (count < 0 || (count > 0 && count > left / itemBytes)) throw EDamagedRecord(what);
}

void RequireCount(int32_t read, int32_t expected, const std::string& what) {
  if (read != 0 && read != expected) throw EDamagedRecord(what);
}

void StreamInt(Stream& stream, int32_t& target, uint8_t mode) {
  uint8_t bytes[4];
  if (IsWriting(mode)) {
    EncodeInt32(target, bytes);
    stream.Write(bytes, sizeof bytes);
  } else if (ReadWhole(stream, bytes, sizeof bytes)) {
    target = DecodeInt32(bytes);
  }
}

void StreamLongDouble(Stream& stream, long double& target, uint8_t mode) {
  uint8_t bytes[kExtendedSize];
  if (IsWriting(mode)) {
    WriteReal(stream, target);
  } else if (ReadWhole(stream, bytes, sizeof bytes)) {
    target = RequireFinite(DecodeExtended(bytes));
  }
}

void StreamIntArray(Stream& stream, int32_t*& target, int32_t& count, uint8_t mode) {
  if (!IsWriting(mode)) {
    ReadArray(stream, target, count, 4, [](const uint8_t* in, int32_t& item) { item = DecodeInt32(in); });
    return;
  }
  StreamInt(stream, count, mode);
  for (int32_t i = 0; i < count; ++i) {
    int32_t item = target ? target[i] : 0;
    StreamInt(stream, item, mode);
  }
}

void StreamRealArray(Stream& stream, long double*& target, int32_t& count, uint8_t mode) {
  if (!IsWriting(mode)) {
    ReadArray(stream, target, count, kExtendedSize,
              [](const uint8_t* in, long double& item) { item = RequireFinite(DecodeExtended(in)); });
    return;
  }
  StreamInt(stream, count, mode);
  for (int32_t i = 0; i < count; ++i) WriteReal(stream, target ? target[i] : kUndefinedReal);
}

void StreamValueRow(Stream& stream, CheckedValue*& target, int32_t& count, uint8_t mode) {
  if (!IsWriting(mode)) {
    ReadArray(stream, target, count, kCheckedValueSize, [](const uint8_t* in, CheckedValue& cell) {
      DecodeCheckedValueImage(in, cell.Missing, cell.Value);
      RequireFinite(cell.Value);
    });
    return;
  }
  StreamInt(stream, count, mode);
  for (int32_t i = 0; i < count; ++i) StreamCell(stream, target[i], mode);
}

void StreamString(Stream& stream, std::string& target, uint8_t mode) {
  int32_t length = static_cast<int32_t>(target.size());
  if (IsWriting(mode)) {
    StreamInt(stream, length, mode);
    stream.Write(target.data(), target.size());
    return;
  }
  length = 0;
  StreamInt(stream, length, mode);
  RequireRoom(stream, length, 1, "text length");
  std::string text(static_cast<std::size_t>(length), '\0');
  std::size_t got = stream.Read(text.data(), text.size());
  text.resize(got);
  target = text;
}

void StreamStringArray(Stream& stream, std::string*& target, int32_t count, uint8_t mode) {
  if (!IsWriting(mode)) {
    ReleaseArray(target);
    RequireRoom(stream, count, 4, "number of texts");
    AllocCheckedArray(target, count, "*tpString");
  }
  for (int32_t i = 0; i < count; ++i) StreamString(stream, target[i], mode);
}

void StreamCell(Stream& stream, CheckedValue& cell, uint8_t mode) {
  uint8_t bytes[kCheckedValueSize];
  if (IsWriting(mode)) {
    // A value that is not finite is no value: it is written as a missing zero.
    bool finite = std::isfinite(cell.Value);
    EncodeCheckedValueImage(cell.Missing || !finite, finite ? cell.Value : 0.0L, bytes);
    stream.Write(bytes, sizeof bytes);
  } else if (ReadWhole(stream, bytes, sizeof bytes)) {
    DecodeCheckedValueImage(bytes, cell.Missing, cell.Value);
    RequireFinite(cell.Value);
  }
}

void StreamIntCell(Stream& stream, CheckedIntValue& cell, uint8_t mode) {
  uint8_t bytes[kCheckedIntValueSize];
  if (IsWriting(mode)) {
    EncodeCheckedIntImage(cell.Missing, cell.Value, bytes);
    stream.Write(bytes, sizeof bytes);
  } else if (ReadWhole(stream, bytes, sizeof bytes)) {
    DecodeCheckedIntImage(bytes, cell.Missing, cell.Value);
  }
}
