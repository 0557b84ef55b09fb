// The low-level record streams shared by the data-set, model and project
// records: one routine per field kind for both directions (mode 1 writes,
// any other mode reads). A short read never throws: the target keeps what it
// had (a count read short becomes 0). A count that cannot be right (negative,
// or more items than the stream still holds) throws EDamagedRecord before
// anything is allocated. No infinity or NaN passes: the writers put a missing
// zero cell or the undefined real -1.0 in their place, the readers refuse them
// as damage.
#pragma once

#include <cstdint>
#include <string>

#include "numerics/CheckedValue.h"
#include "platform/base/Stream.h"

constexpr uint8_t kStreamRead = 0;
constexpr uint8_t kStreamWrite = 1;

// A record whose contents cannot belong to a file this program wrote.
class EDamagedRecord : public EStreamError {
public:
  explicit EDamagedRecord(const std::string& what) : EStreamError("Damaged record: " + what) {}
};

// Forwards to another stream and notes every read that came back short.
class ShortReadNotingStream : public Stream {
public:
  explicit ShortReadNotingStream(Stream& inner) : inner_(inner) {}
  std::size_t Read(void* buffer, std::size_t count) override;
  void Write(const void* buffer, std::size_t count) override { inner_.Write(buffer, count); }
  int64_t Seek(int64_t offset, SeekOrigin origin) override { return inner_.Seek(offset, origin); }
  int64_t Size() override { return inner_.Size(); }
  bool ShortReadSeen() const { return shortRead_; }

private:
  Stream& inner_;
  bool shortRead_ = false;
};

inline bool IsWriting(uint8_t mode) { return mode == kStreamWrite; }

// Frees an owned array and leaves its pointer null.
template <typename T>
void ReleaseArray(T*& p) {
  delete[] p;
  p = nullptr;
}

// Throws EDamagedRecord unless count is at least 0 and count items of itemBytes
// each fit into what is left of the stream.
void RequireRoom(Stream& stream, int64_t count, int64_t itemBytes, const std::string& what);
// Throws EDamagedRecord when a count read in front of an array was read whole
// but disagrees with the record's own count (a count read short is 0).
void RequireCount(int32_t read, int32_t expected, const std::string& what);

void StreamInt(Stream& stream, int32_t& target, uint8_t mode);
void StreamLongDouble(Stream& stream, long double& target, uint8_t mode);
// Count then items. Reading releases the old array and allocates count items;
// writing an array that was never filled (null) writes 0 or -1.0 items.
void StreamIntArray(Stream& stream, int32_t*& target, int32_t& count, uint8_t mode);
void StreamRealArray(Stream& stream, long double*& target, int32_t& count, uint8_t mode);
void StreamValueRow(Stream& stream, CheckedValue*& target, int32_t& count, uint8_t mode);
// count strings, each its length and its characters; the count itself is not
// stored. Reading releases the old array and allocates a new one of count texts.
void StreamStringArray(Stream& stream, std::string*& target, int32_t count, uint8_t mode);
void StreamString(Stream& stream, std::string& target, uint8_t mode);
// Raw 24-byte and 8-byte cell images; reading changes the cell only when the
// whole image was read.
void StreamCell(Stream& stream, CheckedValue& cell, uint8_t mode);
void StreamIntCell(Stream& stream, CheckedIntValue& cell, uint8_t mode);
