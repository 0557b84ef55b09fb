// Reads a stream one byte at a time through a buffer, with one byte of
// push-back, for the byte-driven readers of the database files.
#pragma once

#include <array>
#include <cstddef>

#include "platform/base/Stream.h"

class ByteSource {
public:
  explicit ByteSource(Stream& stream) : stream_(stream) {}

  // The next byte, or -1 at the end of the stream.
  int Get() {
    if (pushedBack_ >= 0) {
      int b = pushedBack_;
      pushedBack_ = -1;
      return b;
    }
    if (position_ == filled_) {
      filled_ = stream_.Read(buffer_.data(), buffer_.size());
      position_ = 0;
      if (filled_ == 0) return -1;
    }
    return buffer_[position_++];
  }
  // Makes b the next byte Get returns.
  void Unget(int b) { pushedBack_ = b; }

private:
  Stream& stream_;
  std::array<unsigned char, 65536> buffer_{};
  std::size_t position_ = 0;
  std::size_t filled_ = 0;
  int pushedBack_ = -1;
};
