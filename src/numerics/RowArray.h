// Owners of the work arrays of the numeric routines, allocated through the
// checked routine under the caller's variable names and freed on every path.
#pragma once

#include <algorithm>
#include <cstddef>
#include <memory>
#include <new>
#include <utility>

#include "numerics/Utils.h"
#include "numerics/WorkPoll.h"

// Frees an array made by RowArray: the row pointers and the one block of elements
// that they point into.
template <typename T>
void FreeRowArray(T** data) {
  if (data == nullptr) return;
  delete[] data[0];
  delete[] data;
}

// rows x cols elements (rows >= 1), value-initialised, behind row pointers; the
// elements are one block so that a matrix costs two allocations. With a poll the
// elements are set a row at a time, each row counted on it: the first writes
// into a large block take long, and the poll may stop them.
template <typename T>
class RowArray {
public:
  RowArray(int rows, int cols, const char* name, const char* rowName, WorkPoll* poll = nullptr) {
    // Row 0 is written below: without a row there is nothing to write it into.
    if (rows < 1 || cols < 0) throw DataBadAllocEx(rowName);
    AllocCheckedArray(data_, rows, name);
    // The element count is taken in size_t: rows x cols may pass the int range.
    const std::size_t count = static_cast<std::size_t>(rows) * static_cast<std::size_t>(cols);
    data_[0] = poll != nullptr ? new (std::nothrow) T[count] : new (std::nothrow) T[count]();
    if (data_[0] == nullptr) {
      delete[] data_;
      throw DataNoMemoryEx(rowName);
    }
    for (int r = 1; r < rows; ++r) data_[r] = data_[0] + static_cast<std::size_t>(r) * cols;
    if (poll != nullptr) InitialiseRows(rows, cols, *poll);
  }
  ~RowArray() { FreeRowArray(data_); }
  RowArray(const RowArray&) = delete;
  RowArray& operator=(const RowArray&) = delete;

  T** Get() { return data_; }
  T* const* Get() const { return data_; }
  T** Release() { return std::exchange(data_, nullptr); }
  T* operator[](int r) { return data_[r]; }

private:
  void InitialiseRows(int rows, int cols, WorkPoll& poll) {
    try {
      for (int r = 0; r < rows; ++r) {
        std::fill_n(data_[r], cols, T());
        poll.Count(cols);
      }
    } catch (...) {
      FreeRowArray(std::exchange(data_, nullptr));
      throw;
    }
  }

  T** data_ = nullptr;
};

inline std::unique_ptr<long double[]> AllocVector(int n, const char* name) {
  long double* v = nullptr;
  AllocCheckedArray(v, n, name);
  return std::unique_ptr<long double[]>(v);
}
