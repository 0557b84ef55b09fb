// Test helpers for file work: a fresh folder per test, whole-file reads and
// writes, the bytes of a written record, and a stream that fails after a given
// number of bytes.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "data/RecordStreams.h"
#include "platform/base/Stream.h"
#include "support/TestFolder.h"

inline void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

inline std::vector<uint8_t> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The bytes the record (a data set or a model list) writes at version.
template <typename Record>
std::vector<uint8_t> Written(Record& record, int version = 2) {
  MemoryStream stream;
  record.ReadWrite(&stream, kStreamWrite, version);
  return stream.Bytes();
}

// A memory stream whose writes fail once `limit` bytes have been written, as a
// full disk would.
class FailingStream : public MemoryStream {
public:
  explicit FailingStream(std::size_t limit) : limit_(limit) {}
  void Write(const void* buffer, std::size_t count) override {
    if (Bytes().size() + count > limit_) throw EStreamError("Stream write error");
    MemoryStream::Write(buffer, count);
  }

private:
  std::size_t limit_;
};
