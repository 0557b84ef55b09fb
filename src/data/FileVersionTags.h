// The version tags at the head of project and single-model files: 20
// characters and a zero byte each; the last one is the current tag that every
// saved file carries, and a tag's index is the record version of the file.
#pragma once

#include <array>

class FileVersionTags {
public:
  FileVersionTags() { Buffer().fill('\0'); }

  // 21 bytes for a header read from a file, with one more zero byte so that
  // its text always ends inside the buffer.
  std::array<char, 22>& Buffer() { return buffer_; }
  // The current tag, zero byte included (Size() bytes).
  static const char* Current() { return Tag(Count() - 1); }
  static const char* Tag(int index);
  static int Size() { return 21; }
  static int Count();
  // The index of the tag equal to the buffer's zero-terminated text; -1 when none.
  int Find() const;

private:
  std::array<char, 22> buffer_;
};
