#include "numerics/Sorts.h"

#include <utility>

namespace {

template <typename T>
void BatcherSort(T* values, int32_t* index, int32_t lo, int32_t hi, bool ascending) {
  const int64_t n = static_cast<int64_t>(hi) - lo + 1;
  for (int64_t p = 1; p < n; p *= 2)
    for (int64_t k = p; k >= 1; k /= 2)
      for (int64_t j = k % p; j + k < n; j += 2 * k)
        for (int64_t i = 0; i <= n - j - k - 1; ++i) {
          if ((j + i) / (2 * p) != (j + i + k) / (2 * p)) continue;
          const int64_t a = lo + j + i;
          const int64_t b = a + k;
          if (ascending ? values[a] > values[b] : values[a] < values[b]) {
            std::swap(values[a], values[b]);
            if (index != nullptr) std::swap(index[a], index[b]);
          }
        }
}

}  // namespace

void SortWithIndex(long double* values, int32_t* index, int32_t lo, int32_t hi, bool ascending) {
  BatcherSort(values, index, lo, hi, ascending);
}

void SortIntArray(int32_t* values, int32_t* index, int32_t lo, int32_t hi, bool ascending) {
  BatcherSort(values, index, lo, hi, ascending);
}
