// Owners of the work arrays of the numeric routines, allocated through the
// checked routine under the caller's variable names and freed on every path.
#pragma once

#include <cstddef>
#include <memory>
#include <new>
#include <utility>

#include "numerics/Utils.h"

// Frees an array made by RowArray: the row pointers and the one block of elements
// that they point into.
template <typename T>
void FreeRowArray(T** data) {
  if (data == nullptr) return;
  delete[] data[0];
  delete[] data;
}

// rows x cols elements (rows >= 1), value-initialised, behind row pointers; the
// elements are one block so that a matrix costs two allocations.
template <typename T>
class RowArray {
public:
  RowArray(int rows, int cols, const char* name, const char* rowName) {
    // Row 0 is written below: without a row there is nothing to write it into.
    if (rows < 1 || cols < 0) throw DataBadAllocEx(rowName);
    AllocCheckedArray(data_, rows, name);
    // The element count is taken in size_t: rows x cols may pass the int range.
    data_[0] = new (std::nothrow) T[static_cast<std::size_t>(rows) * static_cast<std::size_t>(cols)]();
    if (data_[0] == nullptr) {
      delete[] data_;
      throw DataNoMemoryEx(rowName);
    }
    for (int r = 1; r < rows; ++r) data_[r] = data_[0] + static_cast<std::size_t>(r) * cols;
  }
  ~RowArray() { FreeRowArray(data_); }
  RowArray(const RowArray&) = delete;
  RowArray& operator=(const RowArray&) = delete;

  T** Get() { return data_; }
  T* const* Get() const { return data_; }
  T** Release() { return std::exchange(data_, nullptr); }
  T* operator[](int r) { return data_[r]; }

private:
  T** data_ = nullptr;
};

inline std::unique_ptr<long double[]> AllocVector(int n, const char* name) {
  long double* v = nullptr;
  AllocCheckedArray(v, n, name);
  return std::unique_ptr<long double[]>(v);
}
