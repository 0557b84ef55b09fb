#include "support/FailingAllocation.h"

#include <atomic>
#include <new>

namespace {

std::atomic<std::size_t> failingSize{0};

}  // namespace

void FailNextNothrowAllocation(std::size_t size) { failingSize = size; }

// Replaces the library's nothrow form; every other allocation keeps its own, and
// this one allocates through the ordinary operator new so that delete matches.
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  std::size_t expected = size;
  if (size != 0 && failingSize.compare_exchange_strong(expected, 0)) return nullptr;
  try {
    return ::operator new(size);
  } catch (...) {
    return nullptr;
  }
}
