// Owners of the work arrays of the numeric routines, allocated through the
// checked routine under the caller's variable names and freed on every path.
#pragma once

#include <memory>
#include <utility>

#include "numerics/Utils.h"

template <typename T>
void FreeRowArray(T** data, int rows) {
  if (data == nullptr) return;
  for (int r = 0; r < rows; ++r) delete[] data[r];
  delete[] data;
}

// rows x cols elements behind row pointers, value-initialised.
template <typename T>
class RowArray {
public:
  RowArray(int rows, int cols, const char* name, const char* rowName) : rows_(rows) {
    AllocCheckedArray(data_, rows, name);
    for (int r = 0; r < rows; ++r) data_[r] = nullptr;
    for (int r = 0; r < rows; ++r) AllocCheckedArray(data_[r], cols, rowName);
  }
  ~RowArray() { FreeRowArray(data_, rows_); }
  RowArray(const RowArray&) = delete;
  RowArray& operator=(const RowArray&) = delete;

  T** Get() { return data_; }
  T** Release() { return std::exchange(data_, nullptr); }
  T* operator[](int r) { return data_[r]; }

private:
  T** data_ = nullptr;
  int rows_;
};

inline std::unique_ptr<long double[]> AllocVector(int n, const char* name) {
  long double* v = nullptr;
  AllocCheckedArray(v, n, name);
  return std::unique_ptr<long double[]>(v);
}
