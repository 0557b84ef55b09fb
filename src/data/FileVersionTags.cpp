#include "data/FileVersionTags.h"

#include <cstring>
#include <iterator>

namespace {

constexpr const char* kTags[] = {
    "KVP beta ver. 0.99  ",
    "KVP beta ver. 1.00  ",
    "KVP ver. 1.30       ",
};

}  // namespace

const char* FileVersionTags::Tag(int index) { return kTags[index]; }

int FileVersionTags::Count() { return static_cast<int>(std::size(kTags)); }

int FileVersionTags::Find() const {
  for (int i = 0; i < Count(); ++i) {
    if (std::strcmp(buffer_.data(), kTags[i]) == 0) return i;
  }
  return -1;
}
